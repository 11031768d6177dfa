// GIF decoding of files written by ImageMagick (tests/data/image, made by make_fixtures.sh)
// and of exact files built in the tests.
#include <gtest/gtest.h>

#include "html/image/display.h"
#include "html/image/gif_image.h"
#include "test_util.h"

namespace {

std::unique_ptr<TGIFImage> Load(const std::string& name) {
    auto g = std::make_unique<TGIFImage>();
    EXPECT_TRUE(g->LoadFromFile(DataPath(name))) << name;
    return g;
}

void ExpectFrameMatches(TGIFImage& g, const std::string& png) {
    TPngImage expected;
    ASSERT_TRUE(ReadPng(DataPath(png), expected)) << png;
    ASSERT_EQ(g.Width(), expected.Width);
    ASSERT_EQ(g.Height(), expected.Height);
    EXPECT_EQ(CountDifferences(expected, *g.Composition(), g.CompositionMask()), 0) << png;
}

} // namespace

class GifStill : public ::testing::TestWithParam<const char*> {};

TEST_P(GifStill, MatchesTheEncodedPixels) {
    std::string name = GetParam();
    auto g = Load(name + ".gif");
    EXPECT_EQ(g->NumFrames(), 1);
    EXPECT_FALSE(g->Animated());
    ExpectFrameMatches(*g, name + ".png");
}

// Minimum code sizes 2 (two colours), 3 (five), 8 (32 and 256 colours, where the table fills
// and the encoder clears it).
INSTANTIATE_TEST_SUITE_P(Encoded, GifStill,
                         ::testing::Values("stripes", "two", "five", "c32", "noise"));

TEST(GifDecode, InterlacedAndPlainGiveTheSamePixels) {
    auto plain = Load("stripes.gif");
    auto inter = Load("stripes-interlaced.gif");
    EXPECT_FALSE(plain->Frame(1).Interlaced);
    EXPECT_TRUE(inter->Frame(1).Interlaced);
    ExpectFrameMatches(*inter, "stripes.png");
}

TEST(GifDecode, TransparentPixelsAreMaskedAndBlack) {
    auto g = Load("holes.gif");
    EXPECT_TRUE(g->IsTransparent());
    ASSERT_NE(g->CompositionMask(), nullptr);
    ExpectFrameMatches(*g, "holes.png");
    const TgfFrame& f = g->Frame(1);
    ASSERT_TRUE(f.Mask);
    EXPECT_EQ(f.Mask->GetIndex(12, 8), 1);
    EXPECT_EQ(f.Image->GetPixel(12, 8), clBlack);
}

TEST(GifDecode, StillBitmapShowsTheTransparentColour) {
    auto g = Load("holes.gif");
    auto still = g->StillBitmap();
    ASSERT_TRUE(still);
    EXPECT_EQ(still->Width(), 24);
    EXPECT_EQ(still->GetPixel(12, 8), g->Frame(1).TransparentColor);
    EXPECT_EQ(still->GetPixel(0, 0), g->Composition()->GetPixel(0, 0));
}

TEST(GifDecode, OddCodeSizesFromExactFiles) {
    // Code sizes 1 to 8 with a picture of every index the size allows.
    for (int m = 1; m <= 8; ++m) {
        const int colours = 1 << m;
        std::vector<uint32_t> table;
        for (int i = 0; i < colours; ++i)
            table.push_back(static_cast<uint32_t>(i * 0x010203));
        const int w = 13, h = 7;
        std::vector<uint8_t> px;
        for (int i = 0; i < w * h; ++i)
            px.push_back(static_cast<uint8_t>((i * 5) % colours));
        TGifWriter gw(w, h, m, table);
        gw.Frame(0, 0, w, h, px, m);
        gw.Trailer();
        TGIFImage g;
        ASSERT_TRUE(g.LoadFromMemory(gw.Bytes.data(), gw.Bytes.size())) << m;
        for (int i = 0; i < w * h; ++i) {
            uint32_t c = table[px[static_cast<size_t>(i)]];
            ASSERT_EQ(g.Composition()->GetPixel(i % w, i / w), RGB(c >> 16, c >> 8, c)) << m;
        }
    }
}

TEST(GifDecode, LocalTableOverridesGlobalOne) {
    TGifWriter gw(4, 1, 1, {0xFF0000, 0x00FF00});
    gw.Frame(0, 0, 2, 1, {0, 1}, 2);
    gw.Frame(2, 0, 2, 1, {0, 1}, 2, 1, {0x0000FF, 0xFFFFFF});
    gw.Trailer();
    TGIFImage g;
    ASSERT_TRUE(g.LoadFromMemory(gw.Bytes.data(), gw.Bytes.size()));
    EXPECT_EQ(g.Frame(1).Bits, 0);
    EXPECT_EQ(g.Frame(2).Bits, 1);
    g.SetCurrentFrame(2);
    EXPECT_EQ(g.Composition()->GetPixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(g.Composition()->GetPixel(1, 0), RGB(0, 255, 0));
    EXPECT_EQ(g.Composition()->GetPixel(2, 0), RGB(0, 0, 255));
    EXPECT_EQ(g.Composition()->GetPixel(3, 0), RGB(255, 255, 255));
}

TEST(GifDecode, NoColourTablesDecodeBlack) {
    TGifWriter gw(3, 2, 0, {});
    gw.Frame(0, 0, 3, 2, {1, 2, 3, 1, 2, 3}, 2);
    gw.Trailer();
    TGIFImage g;
    ASSERT_TRUE(g.LoadFromMemory(gw.Bytes.data(), gw.Bytes.size()));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(g.Composition()->GetPixel(x, y), clBlack);
    EXPECT_EQ(g.BitsPerPixel(), 0);
}

TEST(GifDecode, FrameBeyondTheScreenEnlargesTheImage) {
    TGifWriter gw(4, 4, 1, {0, 0xFFFFFF});
    gw.Frame(3, 2, 5, 6, std::vector<uint8_t>(30, 1), 2);
    gw.Trailer();
    TGIFImage g;
    ASSERT_TRUE(g.LoadFromMemory(gw.Bytes.data(), gw.Bytes.size()));
    EXPECT_EQ(g.Width(), 8);
    EXPECT_EQ(g.Height(), 8);
    EXPECT_EQ(g.Composition()->GetPixel(7, 7), clWhite);
    EXPECT_EQ(g.Composition()->GetPixel(0, 0), clBlack);
}

TEST(GifDecode, CommentsGoToTheNextFrame) {
    TGifWriter gw(1, 1, 1, {0, 0xFFFFFF});
    gw.Comment("made ");
    gw.Comment("by hand");
    gw.Frame(0, 0, 1, 1, {1}, 2);
    gw.Frame(0, 0, 1, 1, {0}, 2);
    gw.Trailer();
    TGIFImage g;
    ASSERT_TRUE(g.LoadFromMemory(gw.Bytes.data(), gw.Bytes.size()));
    EXPECT_EQ(g.Frame(1).Comment, "made by hand");
    EXPECT_EQ(g.Frame(2).Comment, "");
}

TEST(GifDecode, HeaderOnlyKeepsTheStructure) {
    TGIFImage g;
    ASSERT_TRUE(g.LoadHeaderFromFile(DataPath("anim-none.gif")));
    EXPECT_TRUE(g.HeaderOnly());
    EXPECT_EQ(g.NumFrames(), 4);
    EXPECT_TRUE(g.Animated());
    EXPECT_EQ(g.Frame(2).Delay, 200);
    EXPECT_EQ(g.Frame(2).Width, 12);
    EXPECT_EQ(g.BitsPerPixel(), 8);
    EXPECT_EQ(g.Composition(), nullptr);
    EXPECT_EQ(g.StillBitmap(), nullptr);
}

TEST(GifDecode, StreamsAndGif87) {
    TGifWriter gw(2, 1, 1, {0x102030, 0x405060}, false);
    gw.Frame(0, 0, 2, 1, {1, 0}, 2);
    gw.Trailer();
    TMemoryStream s;
    s.WriteBuffer(gw.Bytes.data(), static_cast<int64_t>(gw.Bytes.size()));
    s.SetPosition(0);
    TGIFImage g;
    ASSERT_TRUE(g.LoadFromStream(s));
    EXPECT_EQ(g.Composition()->GetPixel(0, 0), RGB(0x40, 0x50, 0x60));
}

TEST(GifDecode, TwoPassLoadSetsOwnPaletteOnlyForStillsOn8BitDisplays) {
    SetColorBits(8);
    bool still = false;
    auto a = CreateAGif(DataPath("noise.gif"), still);
    ASSERT_TRUE(a);
    EXPECT_TRUE(still);
    EXPECT_TRUE(a->OwnPalette());
    auto b = CreateAGif(DataPath("anim-none.gif"), still);
    ASSERT_TRUE(b);
    EXPECT_FALSE(still);
    EXPECT_FALSE(b->OwnPalette());
    // Animated frames map every colour to its nearest shared-palette entry.
    const TPalette& shared = SharedPaletteEntries();
    TColor c = b->Composition()->GetPixel(5, 5);
    EXPECT_EQ(shared.ColorOf(shared.NearestIndex(c)), c);
    auto stillBmp = a->StillBitmap();
    EXPECT_EQ(stillBmp->PixelFormat(), pf8bit);
    SetColorBits(24);
    auto c24 = CreateAGif(DataPath("noise.gif"), still);
    EXPECT_FALSE(c24->OwnPalette());
}
