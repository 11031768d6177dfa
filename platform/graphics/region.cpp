#include "platform/graphics/region.h"

#include <algorithm>
#include <climits>

namespace {

// Signed area test of the pixel centre against one edge: the edge counts when it crosses the
// centre's row and meets the row strictly right of the centre. A centre exactly on an edge is
// thus inside for left edges and outside for right ones. Returns +1 or -1 (the edge's vertical
// direction) for a counted edge, else 0. Works in doubled coordinates so that the centre is an
// integer and the test is exact.
int Crossing(TPoint a, TPoint b, int x, int y) {
    const int64_t py = 2LL * y + 1, px = 2LL * x + 1;
    const int64_t ay = 2LL * a.Y, by = 2LL * b.Y, ax = 2LL * a.X, bx = 2LL * b.X;
    if ((ay <= py) == (by <= py))
        return 0;
    // The crossing's x is ax + (py - ay) * (bx - ax) / (by - ay); compare it with px without
    // dividing; 128-bit products cannot overflow for any int coordinates.
    const __int128 lhs =
        static_cast<__int128>(ax - px) * (by - ay) + static_cast<__int128>(py - ay) * (bx - ax);
    const bool right = by > ay ? lhs > 0 : lhs < 0;
    if (!right)
        return 0;
    return by > ay ? 1 : -1;
}

} // namespace

bool PolygonContainsPixel(const std::vector<TPoint>& points, TFillMode mode, int x, int y) {
    const size_t n = points.size();
    if (n < 3)
        return false;
    int winding = 0, crossings = 0;
    for (size_t i = 0; i < n; ++i) {
        const int c = Crossing(points[i], points[(i + 1) % n], x, y);
        if (c != 0) {
            winding += c;
            ++crossings;
        }
    }
    return mode == fmWinding ? winding != 0 : (crossings & 1) != 0;
}

bool EllipseContainsPixel(const TRect& area, int x, int y) {
    if (area.IsEmpty() || !area.Contains(x, y))
        return false;
    // Coordinates are held within +-2^28 so that the products below fit 128 bits; no screen
    // comes near that.
    constexpr int kLimit = 1 << 28;
    const TRect box{std::clamp(area.Left, -kLimit, kLimit), std::clamp(area.Top, -kLimit, kLimit),
                    std::clamp(area.Right, -kLimit, kLimit),
                    std::clamp(area.Bottom, -kLimit, kLimit)};
    // Doubled coordinates: centre of the pixel (2x + 1), centre of the box (l + r), radii r - l.
    const __int128 dx = 2LL * x + 1 - (static_cast<int64_t>(box.Left) + box.Right);
    const __int128 dy = 2LL * y + 1 - (static_cast<int64_t>(box.Top) + box.Bottom);
    const __int128 rx = static_cast<int64_t>(box.Right) - box.Left;
    const __int128 ry = static_cast<int64_t>(box.Bottom) - box.Top;
    return dx * dx * ry * ry + dy * dy * rx * rx <= rx * rx * ry * ry;
}

TRegion TRegion::CreateRect(const TRect& r) {
    TRegion g;
    if (r.IsEmpty())
        return g;
    g.kind_ = rkRect;
    g.box_ = g.bounds_ = r;
    return g;
}

TRegion TRegion::CreateEllipse(const TRect& box) {
    TRegion g;
    if (box.IsEmpty())
        return g;
    g.kind_ = rkEllipse;
    g.box_ = g.bounds_ = box;
    return g;
}

TRegion TRegion::CreatePolygon(const std::vector<TPoint>& points, TFillMode mode) {
    TRegion g;
    if (points.size() < 3)
        return g;
    int l = INT_MAX, t = INT_MAX, r = INT_MIN, b = INT_MIN;
    for (const TPoint& p : points) {
        l = std::min(l, p.X);
        t = std::min(t, p.Y);
        r = std::max(r, p.X);
        b = std::max(b, p.Y);
    }
    // Pixel centres lie strictly between the extreme coordinates, so [l, r) x [t, b) holds
    // every pixel that can be inside.
    if (r <= l || b <= t)
        return g;
    g.kind_ = rkPolygon;
    g.bounds_ = TRect{l, t, r, b};
    g.points_ = points;
    g.mode_ = mode;
    return g;
}

bool TRegion::Contains(int x, int y) const {
    switch (kind_) {
    case rkEmpty:
        return false;
    case rkRect:
        return box_.Contains(x, y);
    case rkEllipse:
        return EllipseContainsPixel(box_, x, y);
    case rkPolygon:
        return bounds_.Contains(x, y) && PolygonContainsPixel(points_, mode_, x, y);
    }
    return false;
}
