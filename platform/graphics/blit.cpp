#include "platform/graphics/blit.h"

#include <vector>

namespace {

// Nearest-pixel sampling, pixel centres to pixel centres (the same rule as the canvas).
inline int Sample(int i, int n, int m) {
    return static_cast<int>((2LL * i + 1) * m / (2LL * n));
}

} // namespace

void StretchBltBitmap(TBitmap& dst, const TRect& dest, const TBitmap& src, const TRect& srcRect,
                      TCopyMode mode) {
    if (dest.IsEmpty() || srcRect.IsEmpty())
        return;
    const TRect a = IntersectRect(dest, TRect{0, 0, dst.Width(), dst.Height()});
    if (a.IsEmpty())
        return;
    const int dw = dest.Width(), dh = dest.Height(), sw = srcRect.Width(), sh = srcRect.Height();
    // A blit of a bitmap onto itself reads the picture as it was before the blit.
    const TBitmap* source = &src;
    std::unique_ptr<TBitmap> copy;
    if (&src == &dst) {
        copy = src.Clone();
        source = copy.get();
    }
    for (int y = a.Top; y < a.Bottom; ++y) {
        const int sy = srcRect.Top + Sample(y - dest.Top, dh, sh);
        if (sy < 0 || sy >= source->Height())
            continue;
        for (int x = a.Left; x < a.Right; ++x) {
            const int sx = srcRect.Left + Sample(x - dest.Left, dw, sw);
            if (sx < 0 || sx >= source->Width())
                continue;
            dst.SetPixel(x, y, ApplyCopyMode(mode, dst.GetPixel(x, y), source->GetPixel(sx, sy)));
        }
    }
}

void BitBltBitmap(TBitmap& dst, int dx, int dy, int width, int height, const TBitmap& src, int sx,
                  int sy, TCopyMode mode) {
    StretchBltBitmap(dst, Bounds(dx, dy, width, height), src, Bounds(sx, sy, width, height), mode);
}

void PatBltBitmap(TBitmap& dst, const TRect& r, TColor color, TCopyMode mode) {
    const TRect a = IntersectRect(r, TRect{0, 0, dst.Width(), dst.Height()});
    for (int y = a.Top; y < a.Bottom; ++y)
        for (int x = a.Left; x < a.Right; ++x)
            dst.SetPixel(x, y, ApplyCopyMode(mode, dst.GetPixel(x, y), color));
}
