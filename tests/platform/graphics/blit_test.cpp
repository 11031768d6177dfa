#include <gtest/gtest.h>

#include "platform/graphics/blit.h"

namespace {

TEST(BitmapBlit, MaskAndsIntoAColourBitmapKeepingWhiteAreas) {
    TBitmap picture(4, 1, pf24bit), mask(4, 1, pf1bit);
    picture.Fill(RGB(10, 20, 30));
    mask.SetIndex(1, 0, 1);
    mask.SetIndex(3, 0, 1);
    BitBltBitmap(picture, 0, 0, 4, 1, mask, 0, 0, cmSrcAnd);
    EXPECT_EQ(picture.GetPixel(0, 0), clBlack);
    EXPECT_EQ(picture.GetPixel(1, 0), RGB(10, 20, 30));
    EXPECT_EQ(picture.GetPixel(2, 0), clBlack);
    EXPECT_EQ(picture.GetPixel(3, 0), RGB(10, 20, 30));
}

TEST(BitmapBlit, MonochromeToMonochromeCombinesBits) {
    TBitmap a(3, 1, pf1bit), b(3, 1, pf1bit);
    a.Fill(clWhite);
    b.SetIndex(0, 0, 1);
    BitBltBitmap(a, 0, 0, 3, 1, b, 0, 0, cmSrcAnd);
    EXPECT_EQ(a.GetIndex(0, 0), 1);
    EXPECT_EQ(a.GetIndex(1, 0), 0);
    BitBltBitmap(a, 0, 0, 3, 1, b, 0, 0, cmSrcInvert);
    EXPECT_EQ(a.GetIndex(0, 0), 0);
    PatBltBitmap(a, Rect(1, 0, 3, 1), clWhite, cmSrcCopy);
    EXPECT_EQ(a.GetIndex(2, 0), 1);
}

TEST(BitmapBlit, XorOntoBlackCopiesAndOffsetsAreClipped) {
    TBitmap frame(2, 2, pf8bit);
    frame.Palette() = TPalette({{0, 0, 0}, {255, 0, 0}});
    frame.SetIndex(1, 1, 1);
    TBitmap composition(3, 3, pf24bit);
    BitBltBitmap(composition, 1, 1, 2, 2, frame, 0, 0, cmSrcInvert);
    EXPECT_EQ(composition.GetPixel(2, 2), clRed);
    EXPECT_EQ(composition.GetPixel(1, 1), clBlack);
    // Half outside the destination: the rest is still copied, nothing is written outside.
    BitBltBitmap(composition, 2, 2, 2, 2, frame, 0, 0, cmWhiteness);
    EXPECT_EQ(composition.GetPixel(2, 2), clWhite);
    EXPECT_EQ(composition.GetPixel(1, 2), clBlack);
}

TEST(BitmapBlit, SelfCopyReadsThePictureBeforeTheBlit) {
    TBitmap b(4, 1, pf24bit);
    for (int x = 0; x < 4; ++x)
        b.SetPixel(x, 0, RGB(static_cast<uint8_t>(x + 1), 0, 0));
    BitBltBitmap(b, 1, 0, 3, 1, b, 0, 0, cmSrcCopy);
    EXPECT_EQ(b.GetPixel(1, 0), RGB(1, 0, 0));
    EXPECT_EQ(b.GetPixel(2, 0), RGB(2, 0, 0));
    EXPECT_EQ(b.GetPixel(3, 0), RGB(3, 0, 0));
}

TEST(BitmapBlit, StretchDoublesPixels) {
    TBitmap src(2, 1, pf24bit), dst(4, 2, pf24bit);
    src.SetPixel(0, 0, clRed);
    src.SetPixel(1, 0, clWhite);
    StretchBltBitmap(dst, Rect(0, 0, 4, 2), src, Rect(0, 0, 2, 1), cmSrcCopy);
    EXPECT_EQ(dst.GetPixel(1, 1), clRed);
    EXPECT_EQ(dst.GetPixel(2, 0), clWhite);
}

} // namespace
