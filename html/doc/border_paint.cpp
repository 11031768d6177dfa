#include "html/doc/border_paint.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/graphics/canvas.h"

namespace {

enum Side { sTop, sRight, sBottom, sLeft };

// One stretch of a side across its width, from fraction T0 to T1 of it (0 the outer edge).
struct TBand {
    double T0, T1;
    TColor Color;
};

// Pieces along a side for dashed and dotted borders: [Start, End) from the side's start.
struct TPiece {
    int64_t Start, End;
};

void Fill(TCanvas& canvas, const TRect& r, TColor color) {
    if (r.IsEmpty())
        return;
    canvas.Brush.Color = color;
    canvas.FillRect(r);
}

// Evenly spread pieces of length `on` with gaps near `off` over a side of `length`, one
// piece touching each end so that the corners are drawn. Only the pieces that meet
// [from, to) are made, so a side far longer than the window costs no more than the window.
std::vector<TPiece> Pieces(int64_t length, int64_t on, int64_t off, int64_t from, int64_t to) {
    std::vector<TPiece> out;
    if (length <= 0)
        return out;
    if (on <= 0 || length <= on + off) {
        out.push_back({0, length});
        return out;
    }
    const int64_t n = std::max<int64_t>(2, (length + off) / (on + off));
    // n pieces and n - 1 gaps fill the length exactly.
    const double step =
        static_cast<double>(on) + static_cast<double>(length - n * on) / static_cast<double>(n - 1);
    const int64_t firstIndex =
        std::clamp<int64_t>(static_cast<int64_t>((static_cast<double>(from) - on) / step), 0, n);
    for (int64_t i = firstIndex; i < n; ++i) {
        const int64_t s = std::llround(static_cast<double>(i) * step);
        if (s >= to)
            break;
        out.push_back({s, std::min(length, s + on)});
    }
    return out;
}

// The colours of a side's bands, outer band first.
std::vector<TBand> BandsOf(BorderStyleKind style, int side, int32_t width, TColor c) {
    const bool lit = side == sTop || side == sLeft; // sides that face the light
    const TColor dark = BorderDarkColor(c);
    const TColor light = BorderLightColor(c);
    switch (style) {
    case bdDouble: {
        if (width < 3)
            return {{0, 1, c}};
        const double third = static_cast<double>((width + 1) / 3) / width;
        return {{0, third, c}, {1 - third, 1, c}};
    }
    case bdGroove:
    case bdRidge: {
        const bool outerDark = (style == bdGroove) == lit;
        if (width < 2)
            return {{0, 1, outerDark ? dark : light}};
        const double half = static_cast<double>((width + 1) / 2) / width;
        return {{0, half, outerDark ? dark : light}, {half, 1, outerDark ? light : dark}};
    }
    case bdInset:
        return {{0, 1, lit ? dark : light}};
    case bdOutset:
        return {{0, 1, lit ? light : dark}};
    default:
        return {{0, 1, c}};
    }
}

class TBorderPainter {
public:
    TBorderPainter(TCanvas& canvas, const TRect& box, const TBorderSides& s, const TRect& clip)
        : canvas_(canvas), box_(box), clip_(clip), w_(s.Width) {
        for (int32_t& w : w_)
            w = std::max(0, w);
        // Borders never cross: the far side gives way.
        const int64_t h = box.Height(), wd = box.Width();
        w_[sTop] = static_cast<int32_t>(std::min<int64_t>(w_[sTop], h));
        w_[sBottom] = static_cast<int32_t>(std::min<int64_t>(w_[sBottom], h - w_[sTop]));
        w_[sLeft] = static_cast<int32_t>(std::min<int64_t>(w_[sLeft], wd));
        w_[sRight] = static_cast<int32_t>(std::min<int64_t>(w_[sRight], wd - w_[sLeft]));
    }

    void Side(int side, BorderStyleKind style, TColor color) {
        const int32_t w = w_[static_cast<size_t>(side)];
        if (w <= 0 || style == bdNone || color == NoColor)
            return;
        const bool horizontal = side == sTop || side == sBottom;
        const int64_t length = horizontal ? box_.Width() : box_.Height();
        const int64_t from =
            horizontal ? int64_t{clip_.Left} - box_.Left : int64_t{clip_.Top} - box_.Top;
        const int64_t to =
            horizontal ? int64_t{clip_.Right} - box_.Left : int64_t{clip_.Bottom} - box_.Top;
        std::vector<TPiece> pieces;
        bool patterned = style == bdDashed || style == bdDotted;
        if (style == bdDashed)
            pieces = Pieces(length, int64_t{w} * 2, w, from, to);
        else if (style == bdDotted)
            pieces = Pieces(length, w, w, from, to);
        if (patterned) {
            // A side too short for a gap is drawn whole.
            if (pieces.size() == 1 && pieces[0].Start == 0 && pieces[0].End == length) {
                patterned = false;
            } else if (style == bdDotted && w >= 3) {
                Dots(side, pieces, ColorToRGB(color));
                return;
            }
            style = bdSolid;
        }
        for (const TBand& b : BandsOf(style, side, w, ColorToRGB(color)))
            Band(side, b, patterned ? &pieces : nullptr);
    }

private:
    // Where a row of a horizontal side starts and ends once the corners are cut: a corner
    // pixel belongs to the side whose outer edge it lies nearer, relative to the widths
    // (ties go to the top and bottom).
    static int64_t HorizontalCut(double v, int32_t across) {
        return across <= 0 ? 0 : static_cast<int64_t>(std::ceil(v * across - 0.5));
    }
    static int64_t VerticalCut(double u, int32_t across) {
        return across <= 0 ? 0 : static_cast<int64_t>(std::floor(u * across - 0.5)) + 1;
    }

    void Band(int side, const TBand& band, const std::vector<TPiece>* pieces) {
        const int32_t w = w_[static_cast<size_t>(side)];
        // Only the lines of the band that meet the clip: a border far wider than the window
        // costs no more than the window.
        int64_t kLo = 0, kHi = 0;
        switch (side) {
        case sTop:
            kLo = int64_t{clip_.Top} - box_.Top, kHi = int64_t{clip_.Bottom} - box_.Top;
            break;
        case sBottom:
            kLo = int64_t{box_.Bottom} - clip_.Bottom, kHi = int64_t{box_.Bottom} - clip_.Top;
            break;
        case sLeft:
            kLo = int64_t{clip_.Left} - box_.Left, kHi = int64_t{clip_.Right} - box_.Left;
            break;
        default:
            kLo = int64_t{box_.Right} - clip_.Right, kHi = int64_t{box_.Right} - clip_.Left;
            break;
        }
        const int64_t first = std::max<int64_t>(std::llround(band.T0 * w), kLo);
        const int64_t last = std::min<int64_t>(std::llround(band.T1 * w), kHi);
        for (int64_t k = first; k < last; ++k) {
            const double f = (static_cast<double>(k) + 0.5) / w;
            int64_t a = 0, b = 0, pos = 0; // span along the side, and the line across it
            if (side == sTop || side == sBottom) {
                pos = side == sTop ? box_.Top + k : box_.Bottom - 1 - k;
                a = box_.Left + HorizontalCut(f, w_[sLeft]);
                b = box_.Right - HorizontalCut(f, w_[sRight]);
            } else {
                pos = side == sLeft ? box_.Left + k : box_.Right - 1 - k;
                a = box_.Top + VerticalCut(f, w_[sTop]);
                b = box_.Bottom - VerticalCut(f, w_[sBottom]);
            }
            Span(side, pos, a, b, band.Color, pieces);
        }
    }

    // One line of a side, from a to b along it, less the gaps between pieces.
    void Span(int side, int64_t pos, int64_t a, int64_t b, TColor color,
              const std::vector<TPiece>* pieces) {
        const bool horizontal = side == sTop || side == sBottom;
        const int64_t lo = horizontal ? clip_.Left : clip_.Top;
        const int64_t hi = horizontal ? clip_.Right : clip_.Bottom;
        a = std::max(a, lo);
        b = std::min(b, hi);
        if (a >= b)
            return;
        auto put = [&](int64_t s, int64_t e) {
            if (s >= e)
                return;
            const TRect r = horizontal ? TRect{static_cast<int>(s), static_cast<int>(pos),
                                               static_cast<int>(e), static_cast<int>(pos + 1)}
                                       : TRect{static_cast<int>(pos), static_cast<int>(s),
                                               static_cast<int>(pos + 1), static_cast<int>(e)};
            Fill(canvas_, r, color);
        };
        if (pieces == nullptr) {
            put(a, b);
            return;
        }
        const int64_t origin = horizontal ? box_.Left : box_.Top;
        // Pieces are sorted: find the first that ends after a.
        auto it = std::lower_bound(pieces->begin(), pieces->end(), a - origin,
                                   [](const TPiece& p, int64_t v) { return p.End <= v; });
        for (; it != pieces->end() && origin + it->Start < b; ++it)
            put(std::max(a, origin + it->Start), std::min(b, origin + it->End));
    }

    // Round dots on the middle line of a side.
    void Dots(int side, const std::vector<TPiece>& pieces, TColor color) {
        const int32_t w = w_[static_cast<size_t>(side)];
        const bool horizontal = side == sTop || side == sBottom;
        int64_t across = 0;
        switch (side) {
        case sTop:
            across = box_.Top;
            break;
        case sBottom:
            across = int64_t{box_.Bottom} - w;
            break;
        case sLeft:
            across = box_.Left;
            break;
        default:
            across = int64_t{box_.Right} - w;
            break;
        }
        const int64_t origin = horizontal ? box_.Left : box_.Top;
        const int64_t lo = horizontal ? clip_.Left : clip_.Top;
        const int64_t hi = horizontal ? clip_.Right : clip_.Bottom;
        const int64_t clipAcrossLo = horizontal ? clip_.Top : clip_.Left;
        const int64_t clipAcrossHi = horizontal ? clip_.Bottom : clip_.Right;
        if (across + w <= clipAcrossLo || across >= clipAcrossHi)
            return;
        canvas_.Pen.Style = psClear;
        canvas_.Brush.Color = color;
        for (const TPiece& p : pieces) {
            const int64_t s = origin + p.Start;
            if (s + w <= lo)
                continue;
            if (s >= hi)
                break;
            const TRect r = horizontal
                                ? TRect{static_cast<int>(s), static_cast<int>(across),
                                        static_cast<int>(s + w), static_cast<int>(across + w)}
                                : TRect{static_cast<int>(across), static_cast<int>(s),
                                        static_cast<int>(across + w), static_cast<int>(s + w)};
            canvas_.Ellipse(r);
        }
    }

    TCanvas& canvas_;
    TRect box_;
    TRect clip_;
    std::array<int32_t, 4> w_;
};

} // namespace

bool TBorderSides::Any() const {
    for (size_t i = 0; i < 4; ++i)
        if (Width[i] > 0 && Style[i] != bdNone && Color[i] != NoColor)
            return true;
    return false;
}

TColor BorderDarkColor(TColor c) {
    const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    if (r == 0 && g == 0 && b == 0)
        return RGB(0x54, 0x54, 0x54);
    // Each channel loses a third of the brightest one's range.
    const double v = std::max({r, g, b}) / 255.0;
    const double k = std::max(0.0, (v - 0.33) / v);
    auto ch = [k](int x) { return static_cast<uint8_t>(std::lround(x * k)); };
    return RGB(ch(r), ch(g), ch(b));
}

TColor BorderLightColor(TColor c) {
    if (GetRValue(c) == 0 && GetGValue(c) == 0 && GetBValue(c) == 0)
        return RGB(0xA8, 0xA8, 0xA8);
    return c;
}

void PaintBorders(TCanvas& canvas, const TRect& box, const TBorderSides& sides, const TRect& clip) {
    if (box.IsEmpty() || !sides.Any())
        return;
    const TRect area{std::max(box.Left, clip.Left), std::max(box.Top, clip.Top),
                     std::min(box.Right, clip.Right), std::min(box.Bottom, clip.Bottom)};
    if (area.IsEmpty())
        return;
    const TBrush savedBrush = canvas.Brush;
    const TPen savedPen = canvas.Pen;
    const TRect savedClip = canvas.ClipRect();
    const TRect inClip{std::max(area.Left, savedClip.Left), std::max(area.Top, savedClip.Top),
                       std::min(area.Right, savedClip.Right),
                       std::min(area.Bottom, savedClip.Bottom)};
    if (inClip.IsEmpty())
        return;
    canvas.SetClipRect(inClip);
    canvas.Brush.Style = bsSolid;
    TBorderPainter painter(canvas, box, sides, inClip);
    for (int i = 0; i < 4; ++i)
        painter.Side(i, sides.Style[static_cast<size_t>(i)], sides.Color[static_cast<size_t>(i)]);
    canvas.SetClipRect(savedClip);
    canvas.Brush = savedBrush;
    canvas.Pen = savedPen;
}
