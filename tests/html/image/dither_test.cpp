// Colour reduction: the lookups, both dither engines, the octree quantiser and the reduction
// modes.
#include <gtest/gtest.h>

#include <set>

#include "html/image/display.h"
#include "html/image/dither.h"
#include "html/image/octree.h"

namespace {

TBitmap Uniform(int w, int h, TColor c) {
    TBitmap b(w, h, pf24bit);
    b.Fill(c);
    return b;
}

TPalette BlackWhite() {
    return TPalette({{0, 0, 0}, {255, 255, 255}});
}

} // namespace

TEST(NetscapeLookup, LevelsRoundAsDocumented) {
    TNetscapeColorLookup lookup;
    TPaletteEntry c;
    EXPECT_EQ(lookup.Lookup(255, 255, 255, c), 215);
    EXPECT_EQ(c, (TPaletteEntry{255, 255, 255}));
    EXPECT_EQ(lookup.Lookup(26, 26, 26, c), 0);
    EXPECT_EQ(lookup.Lookup(27, 27, 27, c), 0); // (27 + 3) / 51 is still 0
    EXPECT_EQ(lookup.Lookup(48, 48, 48, c), 36 + 6 + 1);
    EXPECT_EQ(c, (TPaletteEntry{51, 51, 51}));
    EXPECT_EQ(lookup.Lookup(255, 0, 102, c), 36 * 5 + 2);
}

TEST(FastLookup, NearestBySumOfDifferencesAndFirstWinsTies) {
    TPalette p({{0, 0, 0}, {100, 100, 100}, {100, 100, 100}, {250, 0, 0}});
    TFastColorLookup lookup(p);
    TPaletteEntry c;
    EXPECT_EQ(lookup.Lookup(90, 95, 110, c), 1);
    EXPECT_EQ(lookup.Lookup(200, 10, 10, c), 3);
    EXPECT_EQ(c, (TPaletteEntry{250, 0, 0}));
}

TEST(FastLookup, FirstPixelOfA15BitCellDecidesForTheCell) {
    // 100 and 103 share a 5-bit cell; the cell remembers the answer for its first pixel even
    // though the second pixel's exact colour is nearer another entry.
    TPalette p({{96, 96, 96}, {104, 104, 104}});
    TFastColorLookup lookup(p);
    TPaletteEntry c;
    EXPECT_EQ(lookup.Lookup(99, 99, 99, c), 0); // slot of 96 was claimed at creation
    TFastColorLookup fresh(TPalette({{0, 0, 0}, {200, 200, 200}}));
    EXPECT_EQ(fresh.Lookup(96, 96, 96, c), 0);
    EXPECT_EQ(fresh.Lookup(103, 103, 103, c), 0); // same cell: reused, though 200 is nearer
    EXPECT_EQ(fresh.Lookup(104, 104, 104, c), 1); // the next cell decides anew
}

TEST(FloydSteinberg, CarriesErrorsAheadAndBelowInSerpentineOrder) {
    // Hand-worked: a 2 x 2 picture of grey 100 on black and white.
    TFastColorLookup lookup(BlackWhite());
    TFloydSteinbergEngine e(lookup, 2);
    TPaletteEntry c;
    EXPECT_EQ(e.Direction(), 1);
    EXPECT_EQ(e.Dither(100, 100, 100, c), 0); // error 100
    EXPECT_EQ(e.Dither(100, 100, 100, c), 1); // 100 + 708/16 = 144: white
    e.NextLine();
    EXPECT_EQ(e.Direction(), -1);
    // Right to left: column 1 gets -455/16 (-27): 73, black; column 0 gets (167 + 511)/16.
    EXPECT_EQ(e.Dither(100, 100, 100, c), 0);
    EXPECT_EQ(e.Dither(100, 100, 100, c), 1);
}

TEST(FloydSteinberg, UniformPaletteColourStaysUnchanged) {
    TBitmap b = Uniform(17, 9, RGB(115, 165, 55));
    auto r = ReduceColors(b, rmMyPalette, dmFloydSteinberg);
    ASSERT_EQ(r->PixelFormat(), pf8bit);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 17; ++x)
            ASSERT_EQ(r->GetPixel(x, y), RGB(115, 165, 55));
}

TEST(FloydSteinberg, MidGreyOnTwoColoursAveragesOut) {
    TBitmap b = Uniform(64, 64, RGB(128, 128, 128));
    auto r = ReduceColors(b, rmWindows20, dmFloydSteinberg);
    // The static colours include 128 grey, so it maps exactly...
    EXPECT_EQ(r->GetPixel(5, 5), RGB(128, 128, 128));
    // ...while 64 grey lies between black and 128 grey and must be mixed.
    TBitmap d = Uniform(64, 64, RGB(64, 64, 64));
    auto m = ReduceColors(d, rmWindows20, dmFloydSteinberg);
    int64_t sum = 0;
    std::set<TColor> used;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            sum += GetRValue(m->GetPixel(x, y));
            used.insert(m->GetPixel(x, y));
        }
    EXPECT_GE(used.size(), 2u);
    EXPECT_NEAR(static_cast<double>(sum) / (64 * 64), 64.0, 3.0);
}

TEST(ReduceColors, BothDitherModesAgreeWhenColoursFitThePalette) {
    TBitmap b(23, 11, pf24bit);
    const auto& statics = StaticColors();
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 23; ++x) {
            const TPaletteEntry& e = statics[static_cast<size_t>((x * 3 + y) % 20)];
            b.SetPixel(x, y, RGB(e.r, e.g, e.b));
        }
    auto a = ReduceColors(b, rmWindows20, dmNearest);
    auto f = ReduceColors(b, rmWindows20, dmFloydSteinberg);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 23; ++x) {
            ASSERT_EQ(a->GetIndex(x, y), f->GetIndex(x, y));
            ASSERT_EQ(a->GetPixel(x, y), b.GetPixel(x, y));
        }
}

TEST(ReduceColors, ModesChooseTheirPalettes) {
    TBitmap b = Uniform(5, 4, RGB(10, 200, 30));
    auto copy = ReduceColors(b, rmNone, dmNearest);
    EXPECT_EQ(copy->PixelFormat(), pf24bit);
    EXPECT_EQ(copy->GetPixel(4, 3), RGB(10, 200, 30));

    auto win = ReduceColors(b, rmWindows20, dmNearest);
    EXPECT_EQ(win->Palette().Count(), 20);
    EXPECT_EQ(win->GetPixel(0, 0), RGB(0, 255, 0));

    auto cube = ReduceColors(b, rmNetscape, dmNearest);
    EXPECT_EQ(cube->Palette().Count(), 216);
    EXPECT_EQ(cube->GetIndex(0, 0), 0 * 36 + 3 * 6 + 0); // (200 + 3) / 51 = 3
    EXPECT_EQ(cube->GetPixel(0, 0), RGB(0, 153, 0));

    auto shared = ReduceColors(b, rmMyPalette, dmNearest);
    EXPECT_EQ(shared->Palette(), SharedPaletteEntries());

    auto opt = ReduceColors(b, rmQuantizeWindows, dmNearest);
    ASSERT_EQ(opt->Palette().Count(), 256);
    EXPECT_EQ(opt->Palette()[255], (TPaletteEntry{255, 255, 255}));
    EXPECT_EQ(opt->Palette()[10], (TPaletteEntry{10, 200, 30})); // the one quantised colour
    EXPECT_EQ(opt->GetPixel(2, 2), RGB(10, 200, 30));

    auto none = ReduceColors(b, 2, dmNearest);
    EXPECT_EQ(none->PixelFormat(), pf8bit);
    EXPECT_EQ(none->Width(), 5);
    EXPECT_TRUE(none->Palette().Empty());
    auto unset = ReduceColors(b, rmWindows20, 7);
    EXPECT_EQ(unset->GetIndex(1, 1), 0);
}

TEST(ReduceColors, PaletteSourcesAreReadAt24Bits) {
    TBitmap b(4, 2, pf8bit);
    b.Palette() = TPalette({{0, 0, 0}, {255, 0, 0}});
    b.SetIndex(1, 0, 1);
    auto r = ReduceColors(b, rmNetscape, dmNearest);
    EXPECT_EQ(r->GetPixel(1, 0), RGB(255, 0, 0));
    EXPECT_EQ(r->GetPixel(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(b.PixelFormat(), pf8bit); // the source is left alone
}

TEST(DisplayReduction, NoneForMissingOrEmptyBitmaps) {
    EXPECT_EQ(DisplayReduction(nullptr), nullptr);
    TBitmap empty;
    EXPECT_EQ(DisplayReduction(&empty), nullptr);
}

TEST(Octree, KeepsAtMostTheWantedColours) {
    TColorQuantizer q(236, 8);
    for (int i = 0; i < 300; ++i)
        q.AddColor(static_cast<uint8_t>(i * 7), static_cast<uint8_t>(i * 13 + i / 37),
                   static_cast<uint8_t>(i * 29));
    EXPECT_LE(q.ColorCount(), 236);
    EXPECT_EQ(static_cast<int>(q.ColorTable().size()), q.ColorCount());
}

TEST(Octree, FewColoursComeBackExactlyInTreeOrder) {
    TColorQuantizer q(16, 8);
    for (int k = 0; k < 3; ++k) {
        q.AddColor(255, 0, 0);
        q.AddColor(0, 0, 255);
        q.AddColor(0, 255, 0);
    }
    auto t = q.ColorTable();
    ASSERT_EQ(t.size(), 3u);
    // Children in index order: red bit x4, green x2, blue x1.
    EXPECT_EQ(t[0], (TPaletteEntry{0, 0, 255}));
    EXPECT_EQ(t[1], (TPaletteEntry{0, 255, 0}));
    EXPECT_EQ(t[2], (TPaletteEntry{255, 0, 0}));
}

TEST(Octree, FoldedLeavesAverageTheirPixels) {
    TColorQuantizer q(1, 8);
    q.AddColor(10, 20, 30);
    q.AddColor(30, 40, 50);
    q.AddColor(20, 30, 40);
    auto t = q.ColorTable();
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0], (TPaletteEntry{20, 30, 40}));
}

TEST(OptimizedPalette, FramesQuantisedColoursWithStaticOnes) {
    TBitmap b(30, 10, pf24bit);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 30; ++x)
            b.SetPixel(x, y, RGB(static_cast<uint8_t>(x * 8), static_cast<uint8_t>(y * 20), 77));
    TPalette p = CreateOptimizedPalette(b, 236, 8, true);
    ASSERT_EQ(p.Count(), 256);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(p[i], StaticColors()[static_cast<size_t>(i)]);
        EXPECT_EQ(p[246 + i], StaticColors()[static_cast<size_t>(10 + i)]);
    }
    TPalette plain = CreateOptimizedPalette(b, 8, 8, false);
    EXPECT_LE(plain.Count(), 8);
    EXPECT_GE(plain.Count(), 1);
}
