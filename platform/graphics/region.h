#pragma once
// Regions for hit tests (image-map areas and the like): a rectangle, the ellipse inscribed in a
// box, or a polygon with a fill rule. Which pixels on the edge belong to the region follows the
// Windows rules, decided on the pixel's centre (x + 0.5, y + 0.5):
//   rectangle (l, t, r, b): x in [l, r) and y in [t, b) - left and top edges in, right and
//     bottom out;
//   polygon: the centre is inside by the fill rule (alternate or winding); a centre exactly on
//     an edge counts as inside for left and top edges and outside for right and bottom ones,
//     so two polygons sharing an edge never both hold a pixel;
//   ellipse in (l, t, r, b): the centre lies inside or on the ellipse whose axes span the box,
//     ((cx - xc) / rx)^2 + ((cy - yc) / ry)^2 <= 1 with xc = (l + r) / 2, rx = (r - l) / 2 and
//     the same vertically. So the region never leaves the box (a middle row, when the box
//     height is odd, spans [l, r) exactly), and TCanvas::Ellipse fills the same pixels.
// An empty or inverted box, or a polygon of fewer than 3 points, makes an empty region.
#include <vector>

#include "platform/graphics/geometry.h"

class TRegion {
public:
    enum TKind { rkEmpty, rkRect, rkEllipse, rkPolygon };

    TRegion() = default;
    static TRegion CreateRect(const TRect& r);
    static TRegion CreateEllipse(const TRect& box);
    static TRegion CreatePolygon(const std::vector<TPoint>& points, TFillMode mode);

    TKind Kind() const { return kind_; }
    bool IsEmpty() const { return kind_ == rkEmpty; }
    // A rectangle holding every pixel of the region: the box of a rectangle or ellipse, the
    // bounding box of a polygon's points (empty for an empty region).
    TRect BoundsRect() const { return bounds_; }
    // PtInRegion.
    bool Contains(int x, int y) const;
    bool Contains(TPoint p) const { return Contains(p.X, p.Y); }

private:
    TKind kind_ = rkEmpty;
    TRect box_;    // rectangle or ellipse box
    TRect bounds_; // pixels that can be inside
    std::vector<TPoint> points_;
    TFillMode mode_ = fmAlternate;
};

// The pixel-centre rule of the polygon region for one point; TCanvas::Polygon fills the same
// pixels.
bool PolygonContainsPixel(const std::vector<TPoint>& points, TFillMode mode, int x, int y);
// The pixel-centre rule of the ellipse region; TCanvas::Ellipse fills the same pixels.
bool EllipseContainsPixel(const TRect& box, int x, int y);
