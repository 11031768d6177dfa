// Border painting: which side owns a corner pixel, the shaded colours, dashes, and hostile
// sizes that must neither crash nor take long.
#include <gtest/gtest.h>

#include "html/doc/border_paint.h"
#include "platform/graphics/canvas.h"

namespace {

TBorderSides Sides(int32_t w, BorderStyleKind style, std::array<TColor, 4> colors) {
    TBorderSides s;
    s.Width = {w, w, w, w};
    s.Style = {style, style, style, style};
    s.Color = colors;
    return s;
}

const std::array<TColor, 4> kFour = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255),
                                     RGB(255, 255, 0)};

TEST(BorderPaintTest, CornersSplitOnTheDiagonal) {
    TCanvas c(40, 40);
    PaintBorders(c, TRect{0, 0, 40, 40}, Sides(8, bdSolid, kFour), TRect{0, 0, 40, 40});
    // Near the top edge far from the left: top; near the left edge far from the top: left.
    EXPECT_EQ(c.GetPixel(6, 1), kFour[0]);
    EXPECT_EQ(c.GetPixel(1, 6), kFour[3]);
    EXPECT_EQ(c.GetPixel(38, 6), kFour[1]);
    EXPECT_EQ(c.GetPixel(20, 38), kFour[2]);
    EXPECT_EQ(c.GetPixel(20, 20), clWhite); // the padding box is left alone
    // Every border pixel is painted by some side.
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            if (x < 8 || y < 8 || x >= 32 || y >= 32) {
                ASSERT_NE(c.GetPixel(x, y), clWhite) << x << "," << y;
            }
        }
    }
}

TEST(BorderPaintTest, ShadedStylesAndDouble) {
    TCanvas c(60, 60);
    const TColor red = RGB(255, 0, 0);
    PaintBorders(c, TRect{0, 0, 60, 60}, Sides(6, bdInset, {red, red, red, red}),
                 TRect{0, 0, 60, 60});
    EXPECT_EQ(c.GetPixel(30, 2), BorderDarkColor(red)); // top is shaded
    EXPECT_EQ(c.GetPixel(30, 57), red);                 // bottom is lit
    EXPECT_EQ(BorderDarkColor(red), RGB(171, 0, 0));
    // Black would show no relief: it turns into two greys.
    EXPECT_EQ(BorderDarkColor(clBlack), RGB(0x54, 0x54, 0x54));
    EXPECT_EQ(BorderLightColor(clBlack), RGB(0xA8, 0xA8, 0xA8));

    TCanvas d(60, 60);
    PaintBorders(d, TRect{0, 0, 60, 60}, Sides(9, bdDouble, {red, red, red, red}),
                 TRect{0, 0, 60, 60});
    EXPECT_EQ(d.GetPixel(30, 1), red);     // outer line
    EXPECT_EQ(d.GetPixel(30, 4), clWhite); // the gap
    EXPECT_EQ(d.GetPixel(30, 7), red);     // inner line
}

TEST(BorderPaintTest, DashesTouchBothCornersAndLeaveGaps) {
    TCanvas c(200, 20);
    const TColor navy = RGB(0, 0, 128);
    TBorderSides s = Sides(4, bdDashed, {navy, navy, navy, navy});
    PaintBorders(c, TRect{0, 0, 200, 20}, s, TRect{0, 0, 200, 20});
    EXPECT_EQ(c.GetPixel(0, 0), navy);
    EXPECT_EQ(c.GetPixel(199, 0), navy);
    int gaps = 0;
    for (int x = 1; x < 200; ++x)
        if (c.GetPixel(x, 1) == clWhite && c.GetPixel(x - 1, 1) == navy)
            ++gaps;
    EXPECT_GT(gaps, 10);
}

TEST(BorderPaintTest, HostileSizesStayCheap) {
    TCanvas c(50, 50);
    // Widths larger than the box, a box far larger than the canvas, zero-sized boxes.
    PaintBorders(c, TRect{0, 0, 50, 50}, Sides(1000000, bdGroove, kFour), TRect{0, 0, 50, 50});
    PaintBorders(c, TRect{-1000000000, -1000000000, 1000000000, 1000000000},
                 Sides(100000, bdDotted, kFour), TRect{0, 0, 50, 50});
    PaintBorders(c, TRect{-1000000000, -1000000000, 1000000000, 1000000000},
                 Sides(3, bdDashed, kFour), TRect{0, 0, 50, 50});
    PaintBorders(c, TRect{10, 10, 10, 10}, Sides(5, bdSolid, kFour), TRect{0, 0, 50, 50});
    EXPECT_NE(c.GetPixel(25, 25), clWhite); // the first call filled the whole box
    // A top border a thousand million pixels thick, seen through the window at its middle and
    // at its inner edge: only the lines that meet the window are walked.
    TBorderSides top = Sides(0, bdSolid, kFour);
    top.Width[0] = 1000000000;
    TCanvas d(50, 50);
    PaintBorders(d, TRect{0, -500000000, 50, 1000000000}, top, TRect{0, 0, 50, 50});
    EXPECT_EQ(d.GetPixel(0, 0), kFour[0]);
    EXPECT_EQ(d.GetPixel(49, 49), kFour[0]);
    TCanvas e(50, 50);
    PaintBorders(e, TRect{0, -999999980, 50, 1000000000}, top, TRect{0, 0, 50, 50});
    EXPECT_EQ(e.GetPixel(25, 19), kFour[0]);
    EXPECT_EQ(e.GetPixel(25, 20), clWhite);
}

} // namespace
