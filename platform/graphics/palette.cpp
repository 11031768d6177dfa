#include "platform/graphics/palette.h"

TColor TPalette::ColorOf(int i) const {
    if (i < 0 || i >= Count())
        return clBlack;
    const TPaletteEntry& e = entries_[static_cast<size_t>(i)];
    return RGB(e.r, e.g, e.b);
}

int TPalette::NearestIndex(TColor color) const {
    const int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    int best = 0;
    int bestDistance = 0x7FFFFFFF;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const TPaletteEntry& e = entries_[i];
        const int dr = e.r - r, dg = e.g - g, db = e.b - b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) { // strict: the first of equals wins
            bestDistance = d;
            best = static_cast<int>(i);
            if (d == 0)
                break;
        }
    }
    return best;
}
