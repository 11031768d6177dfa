#pragma once
// Points, sizes and rectangles in device pixels. A rectangle is half-open like a GDI one:
// (Left, Top, Right, Bottom) covers x in [Left, Right) and y in [Top, Bottom).
#include <algorithm>

struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TSize {
    int cx = 0;
    int cy = 0;
    bool operator==(const TSize&) const = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    // Computed in 64 bits and held within the int range, so no rectangle overflows.
    int Width() const { return Clamp(static_cast<long long>(Right) - Left); }
    int Height() const { return Clamp(static_cast<long long>(Bottom) - Top); }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    bool operator==(const TRect&) const = default;

private:
    static int Clamp(long long v) {
        return static_cast<int>(std::clamp<long long>(v, -2147483647LL - 1, 2147483647LL));
    }
};

constexpr TPoint Point(int x, int y) {
    return TPoint{x, y};
}
constexpr TRect Rect(int left, int top, int right, int bottom) {
    return TRect{left, top, right, bottom};
}
// Held within the int range like Width and Height.
inline TRect Bounds(int left, int top, int width, int height) {
    auto clamp = [](long long v) {
        return static_cast<int>(std::clamp<long long>(v, -2147483647LL - 1, 2147483647LL));
    };
    return TRect{left, top, clamp(static_cast<long long>(left) + width),
                 clamp(static_cast<long long>(top) + height)};
}

// The common part of two rectangles; an empty rectangle (all zero) when they do not meet.
inline TRect IntersectRect(const TRect& a, const TRect& b) {
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
    return r.IsEmpty() ? TRect{} : r;
}
// Which points of a self-overlapping polygon are inside: alternate (even-odd) or winding
// (non-zero), as SetPolyFillMode has them.
enum TFillMode { fmAlternate, fmWinding };
