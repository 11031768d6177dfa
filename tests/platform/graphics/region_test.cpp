#include <gtest/gtest.h>

#include "platform/graphics/region.h"

namespace {

TEST(RectRegion, IncludesLeftAndTopEdgesExcludesRightAndBottom) {
    const TRegion r = TRegion::CreateRect(Rect(10, 20, 30, 40));
    EXPECT_TRUE(r.Contains(10, 20));
    EXPECT_TRUE(r.Contains(29, 39));
    EXPECT_FALSE(r.Contains(30, 20));
    EXPECT_FALSE(r.Contains(10, 40));
    EXPECT_FALSE(r.Contains(9, 25));
    EXPECT_FALSE(r.Contains(15, 19));
    EXPECT_EQ(r.BoundsRect(), Rect(10, 20, 30, 40));
}

TEST(RectRegion, EmptyOrInvertedRectanglesHoldNothing) {
    EXPECT_TRUE(TRegion::CreateRect(Rect(5, 5, 5, 10)).IsEmpty());
    EXPECT_TRUE(TRegion::CreateRect(Rect(10, 10, 5, 5)).IsEmpty());
    EXPECT_FALSE(TRegion::CreateRect(Rect(10, 10, 5, 5)).Contains(7, 7));
    EXPECT_FALSE(TRegion().Contains(0, 0));
}

TEST(EllipseRegion, StaysInsideItsBoxAndHoldsTheCentre) {
    const TRect box = Rect(0, 0, 11, 7);
    const TRegion e = TRegion::CreateEllipse(box);
    int count = 0;
    for (int y = -2; y < 10; ++y)
        for (int x = -2; x < 14; ++x)
            if (e.Contains(x, y)) {
                ++count;
                EXPECT_TRUE(box.Contains(x, y)) << x << "," << y;
            }
    EXPECT_TRUE(e.Contains(5, 3));
    // The middle row (odd height) spans the box from edge to edge.
    EXPECT_TRUE(e.Contains(0, 3));
    EXPECT_TRUE(e.Contains(10, 3));
    // Corners are outside.
    EXPECT_FALSE(e.Contains(0, 0));
    EXPECT_FALSE(e.Contains(10, 6));
    // Area close to pi * a * b = pi * 5.5 * 3.5 = 60.5.
    EXPECT_GT(count, 52);
    EXPECT_LT(count, 70);
}

TEST(EllipseRegion, IsSymmetricInItsBox) {
    const TRect box = Rect(3, 4, 23, 16);
    const TRegion e = TRegion::CreateEllipse(box);
    for (int y = box.Top; y < box.Bottom; ++y)
        for (int x = box.Left; x < box.Right; ++x) {
            const int mx = box.Left + box.Right - 1 - x, my = box.Top + box.Bottom - 1 - y;
            EXPECT_EQ(e.Contains(x, y), e.Contains(mx, y));
            EXPECT_EQ(e.Contains(x, y), e.Contains(x, my));
        }
}

TEST(PolygonRegion, AxisAlignedPolygonMatchesTheRectangleRule) {
    const TRegion p = TRegion::CreatePolygon({{10, 20}, {30, 20}, {30, 40}, {10, 40}}, fmAlternate);
    const TRegion r = TRegion::CreateRect(Rect(10, 20, 30, 40));
    for (int y = 15; y < 45; ++y)
        for (int x = 5; x < 35; ++x)
            EXPECT_EQ(p.Contains(x, y), r.Contains(x, y)) << x << "," << y;
}

TEST(PolygonRegion, TriangleUsesPixelCentres) {
    // Right triangle with the hypotenuse from (0,0) to (10,10): a pixel is in when its
    // centre is below the diagonal (x + 0.5 < y + 0.5), on it counts for the left edge.
    const TRegion t = TRegion::CreatePolygon({{0, 0}, {10, 10}, {0, 10}}, fmAlternate);
    EXPECT_TRUE(t.Contains(0, 9));
    EXPECT_TRUE(t.Contains(3, 7));
    EXPECT_FALSE(t.Contains(7, 3));
    // Centre exactly on the diagonal: the diagonal is a right edge here, so out.
    EXPECT_FALSE(t.Contains(4, 4));
    // The mirrored triangle has the diagonal as its left edge: centres on it are in.
    const TRegion m = TRegion::CreatePolygon({{0, 0}, {10, 0}, {10, 10}}, fmAlternate);
    EXPECT_TRUE(m.Contains(4, 4));
    EXPECT_TRUE(m.Contains(7, 3));
    EXPECT_FALSE(m.Contains(3, 7));
}

TEST(PolygonRegion, NeighboursSharingAnEdgeNeverShareAPixel) {
    const std::vector<TPoint> a = {{0, 0}, {13, 0}, {5, 17}, {0, 17}};
    const std::vector<TPoint> b = {{13, 0}, {20, 0}, {20, 17}, {5, 17}};
    const TRegion ra = TRegion::CreatePolygon(a, fmWinding),
                  rb = TRegion::CreatePolygon(b, fmWinding);
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_NE(ra.Contains(x, y), rb.Contains(x, y)) << x << "," << y;
}

TEST(PolygonRegion, WindingAndAlternateDifferInAPentagramsCentre) {
    const std::vector<TPoint> star = {{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}};
    const TRegion alt = TRegion::CreatePolygon(star, fmAlternate);
    const TRegion wind = TRegion::CreatePolygon(star, fmWinding);
    EXPECT_FALSE(alt.Contains(50, 50)); // the inner pentagon is crossed twice
    EXPECT_TRUE(wind.Contains(50, 50));
    EXPECT_TRUE(alt.Contains(50, 10)); // a point of the star is in either way
    EXPECT_TRUE(wind.Contains(50, 10));
    EXPECT_FALSE(wind.Contains(5, 80));
}

TEST(PolygonRegion, DegeneratePolygonsAreEmpty) {
    EXPECT_TRUE(TRegion::CreatePolygon({{0, 0}, {10, 10}}, fmAlternate).IsEmpty());
    EXPECT_TRUE(TRegion::CreatePolygon({{0, 0}, {10, 0}, {20, 0}}, fmAlternate).IsEmpty());
    EXPECT_FALSE(TRegion::CreatePolygon({{0, 0}, {10, 0}, {20, 0}}, fmAlternate).Contains(5, 0));
}

TEST(PolygonRegion, HugeCoordinatesDoNotOverflow) {
    const int big = 2000000000;
    const TRegion p =
        TRegion::CreatePolygon({{-big, -big}, {big, -big}, {big, big}, {-big, big}}, fmWinding);
    EXPECT_TRUE(p.Contains(0, 0));
    EXPECT_TRUE(p.Contains(-big, -big));
    EXPECT_FALSE(p.Contains(big, 0));
    const TRegion e = TRegion::CreateEllipse(Rect(-big, -big, big, big));
    EXPECT_TRUE(e.Contains(0, 0));
    EXPECT_FALSE(e.Contains(-big, -big));
}

} // namespace
