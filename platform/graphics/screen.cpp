#include "platform/graphics/screen.h"

#include <cstdlib>
#include <cstring>

int TScreen::ColorBits() {
    const char* v = std::getenv("FOLIO_COLOR_BITS");
    return v != nullptr && std::strcmp(v, "8") == 0 ? 8 : 24;
}

int TScreen::PointsToPixels(int points) {
    // MulDiv(points, 96, 72): rounded to nearest, halves away from zero.
    const long long n = static_cast<long long>(points) * PixelsPerInch;
    const long long q = (n >= 0 ? n + 36 : n - 36) / 72;
    return static_cast<int>(q);
}
