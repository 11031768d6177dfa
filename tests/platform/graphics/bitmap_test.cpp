#include <gtest/gtest.h>

#include "platform/base/exceptions.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/palette.h"
#include "platform/graphics/screen.h"

namespace {

TPalette Greys() {
    TPalette p;
    for (int i = 0; i < 256; ++i)
        p.Add(TPaletteEntry{static_cast<uint8_t>(i), static_cast<uint8_t>(i),
                            static_cast<uint8_t>(i)});
    return p;
}

TEST(BitmapFormat, RowsArePaddedToFourBytesLikeADib) {
    EXPECT_EQ(TBitmap(1, 1, pf1bit).RowBytes(), 4);
    EXPECT_EQ(TBitmap(33, 1, pf1bit).RowBytes(), 8);
    EXPECT_EQ(TBitmap(5, 1, pf8bit).RowBytes(), 8);
    EXPECT_EQ(TBitmap(5, 2, pf24bit).RowBytes(), 16); // 15 bytes padded
    EXPECT_EQ(TBitmap(4, 1, pf24bit).RowBytes(), 12);
}

TEST(BitmapFormat, TwentyFourBitPixelsAreStoredBlueGreenRed) {
    TBitmap b(2, 1, pf24bit);
    b.SetPixel(1, 0, RGB(10, 20, 30));
    const uint8_t* row = b.ScanLine(0);
    EXPECT_EQ(row[3], 30);
    EXPECT_EQ(row[4], 20);
    EXPECT_EQ(row[5], 10);
    EXPECT_EQ(b.GetPixel(1, 0), RGB(10, 20, 30));
    EXPECT_EQ(b.GetPixel(0, 0), clBlack);
}

TEST(BitmapFormat, MonochromeBitsAreMostSignificantFirstAndSetMeansWhite) {
    TBitmap b(10, 2, pf1bit);
    ASSERT_EQ(b.Palette().Count(), 2);
    b.SetPixel(0, 1, clWhite);
    b.SetPixel(9, 1, RGB(1, 0, 0)); // anything not black sets the bit
    EXPECT_EQ(b.ScanLine(1)[0], 0x80);
    EXPECT_EQ(b.ScanLine(1)[1], 0x40);
    EXPECT_EQ(b.GetPixel(0, 1), clWhite);
    EXPECT_EQ(b.GetPixel(1, 1), clBlack);
    EXPECT_EQ(b.GetIndex(9, 1), 1);
    b.SetPixel(0, 1, clBlack);
    EXPECT_EQ(b.GetIndex(0, 1), 0);
}

TEST(BitmapFormat, EightBitPixelsGoThroughThePalette) {
    TBitmap b(3, 3, pf8bit);
    b.Palette() = TPalette({{0, 0, 0}, {255, 0, 0}, {0, 0, 255}});
    b.SetPixel(1, 1, RGB(200, 10, 10));
    EXPECT_EQ(b.GetIndex(1, 1), 1);
    EXPECT_EQ(b.GetPixel(1, 1), RGB(255, 0, 0));
    b.SetIndex(2, 2, 2);
    EXPECT_EQ(b.GetPixel(2, 2), RGB(0, 0, 255));
    b.SetIndex(0, 0, 7); // beyond the palette
    EXPECT_EQ(b.GetPixel(0, 0), clBlack);
}

TEST(BitmapFormat, OutOfRangeAccessIsHarmless) {
    TBitmap b(2, 2, pf24bit);
    b.Fill(clWhite);
    b.SetPixel(-1, 0, clRed);
    b.SetPixel(2, 0, clRed);
    b.SetPixel(0, 2, clRed);
    EXPECT_EQ(b.GetPixel(-1, 0), clBlack);
    EXPECT_EQ(b.GetPixel(0, 5), clBlack);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(b.GetPixel(x, y), clWhite);
}

TEST(BitmapSize, HugeOrNegativeSizesRaiseOutOfMemoryBeforeAllocating) {
    EXPECT_THROW(TBitmap(-1, 10, pf24bit), EOutOfMemory);
    EXPECT_THROW(TBitmap(100000, 100000, pf8bit), EOutOfMemory);
    EXPECT_THROW(TBitmap(1 << 30, 1 << 30, pf1bit), EOutOfMemory);
    TBitmap b(4, 4, pf24bit);
    EXPECT_THROW(b.SetSize(70000, 1000), EOutOfMemory);
    EXPECT_EQ(b.Width(), 4); // unchanged after the failure
}

TEST(BitmapSize, SetSizeClearsToZeroAndEmptyBitmapsWork) {
    TBitmap b(2, 2, pf24bit);
    b.Fill(clWhite);
    b.SetSize(3, 1);
    EXPECT_EQ(b.GetPixel(2, 0), clBlack);
    TBitmap e;
    EXPECT_TRUE(e.Empty());
    e.Fill(clRed);
    e.SetPixelFormat(pf1bit);
    EXPECT_TRUE(e.Empty());
}

TEST(BitmapConversion, EightToTwentyFourKeepsColoursAndBack) {
    TBitmap b(4, 1, pf8bit);
    b.Palette() = Greys();
    for (int x = 0; x < 4; ++x)
        b.SetIndex(x, 0, static_cast<uint8_t>(x * 80));
    b.SetPixelFormat(pf24bit);
    EXPECT_EQ(b.PixelFormat(), pf24bit);
    EXPECT_EQ(b.GetPixel(3, 0), RGB(240, 240, 240));
    b.SetPixelFormat(pf8bit); // nearest entry of the kept palette
    EXPECT_EQ(b.GetIndex(3, 0), 240);
    EXPECT_EQ(b.GetIndex(1, 0), 80);
}

TEST(BitmapConversion, ToMonochromeIsWhiteWhereNotBlack) {
    TBitmap b(3, 1, pf24bit);
    b.SetPixel(0, 0, clBlack);
    b.SetPixel(1, 0, RGB(0, 0, 1));
    b.SetPixel(2, 0, clWhite);
    b.SetPixelFormat(pf1bit);
    EXPECT_EQ(b.GetIndex(0, 0), 0);
    EXPECT_EQ(b.GetIndex(1, 0), 1);
    EXPECT_EQ(b.GetIndex(2, 0), 1);
    b.SetPixelFormat(pf8bit);
    EXPECT_EQ(b.GetIndex(1, 0), 1);
    EXPECT_EQ(b.GetPixel(1, 0), clWhite);
}

TEST(BitmapFill, FillsEveryFormat) {
    TBitmap m(9, 3, pf1bit);
    m.Fill(clWhite);
    EXPECT_EQ(m.GetIndex(8, 2), 1);
    TBitmap p(5, 2, pf8bit);
    p.Palette() = Greys();
    p.Fill(RGB(7, 7, 7));
    EXPECT_EQ(p.GetIndex(4, 1), 7);
    TBitmap c(5, 2, pf24bit);
    c.Fill(RGB(1, 2, 3));
    EXPECT_EQ(c.GetPixel(4, 1), RGB(1, 2, 3));
}

TEST(BitmapClone, IsADeepCopy) {
    TBitmap b(2, 2, pf24bit);
    auto c = b.Clone();
    c->SetPixel(0, 0, clWhite);
    EXPECT_EQ(b.GetPixel(0, 0), clBlack);
    EXPECT_EQ(c->GetPixel(0, 0), clWhite);
}

TEST(Palette, NearestIndexBySquaredDistanceFirstOfEqualsWins) {
    TPalette p({{0, 0, 0}, {100, 0, 0}, {0, 100, 0}, {100, 0, 0}});
    EXPECT_EQ(p.NearestIndex(RGB(90, 0, 0)), 1);
    EXPECT_EQ(p.NearestIndex(RGB(100, 0, 0)), 1); // index 3 is equal, the first wins
    EXPECT_EQ(p.NearestIndex(RGB(50, 50, 0)), 0); // 0, 1 and 2 equally far: the first
    EXPECT_EQ(p.NearestIndex(RGB(60, 50, 0)), 1);
    EXPECT_EQ(p.NearestIndex(RGB(10, 10, 10)), 0);
    // Squared distance, not the sum of differences.
    TPalette q({{120, 0, 0}, {70, 70, 0}});
    // To (100,40,0): squared 400+1600 = 2000 vs 900+900 = 1800; sums 60 vs 60.
    EXPECT_EQ(q.NearestIndex(RGB(100, 40, 0)), 1);
    EXPECT_EQ(TPalette().NearestIndex(clWhite), 0);
}

TEST(Palette, ColorOfOutOfRangeIsBlack) {
    TPalette p({{1, 2, 3}});
    EXPECT_EQ(p.ColorOf(0), RGB(1, 2, 3));
    EXPECT_EQ(p.ColorOf(1), clBlack);
    EXPECT_EQ(p.ColorOf(-1), clBlack);
}

TEST(Screen, NinetySixPixelsPerInchAndColourBitsFromTheEnvironment) {
    EXPECT_EQ(TScreen::PixelsPerInch, 96);
    EXPECT_EQ(TScreen::PointsToPixels(12), 16);
    EXPECT_EQ(TScreen::PointsToPixels(10), 13); // 13.33
    EXPECT_EQ(TScreen::PointsToPixels(9), 12);
    EXPECT_EQ(TScreen::PointsToPixels(8), 11); // 10.67
    unsetenv("FOLIO_COLOR_BITS");
    EXPECT_EQ(TScreen::ColorBits(), 24);
    setenv("FOLIO_COLOR_BITS", "8", 1);
    EXPECT_EQ(TScreen::ColorBits(), 8);
    setenv("FOLIO_COLOR_BITS", "16", 1);
    EXPECT_EQ(TScreen::ColorBits(), 24);
    unsetenv("FOLIO_COLOR_BITS");
}

} // namespace
