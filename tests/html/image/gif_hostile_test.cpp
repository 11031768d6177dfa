// Damaged and hostile GIF data: no crash, no out-of-bounds access, and either no image or the
// frames and pixels decoded so far.
#include <gtest/gtest.h>

#include "html/image/gif_image.h"
#include "html/image/gif_lzw.h"
#include "platform/base/exceptions.h"
#include "test_util.h"

namespace {

bool Load(TGIFImage& g, const std::vector<uint8_t>& b) {
    return g.LoadFromMemory(b.data(), b.size());
}

std::vector<uint8_t> Header(int w, int h) {
    TGifWriter gw(w, h, 1, {0xFFFFFF, 0xFF0000});
    return gw.Bytes;
}

} // namespace

TEST(GifHostile, NotAGifFailsAndResets) {
    TGIFImage g;
    std::vector<uint8_t> png = {137, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(Load(g, png));
    EXPECT_TRUE(g.Empty());
    EXPECT_FALSE(g.LoadFromMemory(nullptr, 0));
    EXPECT_FALSE(Load(g, {'G', 'I', 'F'}));
}

TEST(GifHostile, FailedLoadClearsAnEarlierPicture) {
    TGifWriter gw(1, 1, 1, {0, 0xFFFFFF});
    gw.Frame(0, 0, 1, 1, {1}, 2);
    gw.Trailer();
    TGIFImage g;
    ASSERT_TRUE(Load(g, gw.Bytes));
    EXPECT_FALSE(Load(g, {'G', 'I', 'F', '8', '9', 'a'}));
    EXPECT_TRUE(g.Empty());
    EXPECT_EQ(g.NumFrames(), 0);
    EXPECT_EQ(g.Composition(), nullptr);
}

TEST(GifHostile, TruncatedPixelDataKeepsWhatWasDecoded) {
    TGifWriter gw(8, 2, 1, {0, 0xFFFFFF});
    gw.Frame(0, 0, 8, 2, std::vector<uint8_t>(16, 1), 2);
    // Cut the file in the middle of the code data.
    gw.Bytes.resize(gw.Bytes.size() - 4);
    TGIFImage g;
    ASSERT_TRUE(Load(g, gw.Bytes));
    EXPECT_EQ(g.Composition()->GetPixel(0, 0), clWhite);
    EXPECT_EQ(g.Composition()->GetPixel(7, 1), clBlack); // never reached: index 0
}

TEST(GifHostile, TruncatedColourTablesAndDescriptorsGiveNoImage) {
    auto b = Header(2, 2);
    b.resize(13 + 3); // global table declared with 2 entries, one byte-triple present
    TGIFImage g;
    EXPECT_FALSE(Load(g, b));
    auto d = Header(2, 2);
    d.insert(d.end(), {',', 0, 0, 0, 0, 2});
    EXPECT_FALSE(Load(g, d));
    auto l = Header(2, 2);
    l.insert(l.end(), {',', 0, 0, 0, 0, 2, 0, 2, 0, 0x87, 1, 2, 3});
    EXPECT_FALSE(Load(g, l));
}

TEST(GifHostile, ZeroSizedFramesAreDroppedAndAloneGiveNoImage) {
    TGifWriter gw(4, 4, 1, {0, 0xFFFFFF});
    gw.Frame(0, 0, 0, 3, {}, 2);
    gw.Trailer();
    TGIFImage g;
    EXPECT_FALSE(Load(g, gw.Bytes));
    TGifWriter two(4, 4, 1, {0, 0xFFFFFF});
    two.Frame(0, 0, 3, 0, {}, 2);
    two.Frame(0, 0, 1, 1, {1}, 2);
    two.Trailer();
    ASSERT_TRUE(Load(g, two.Bytes));
    EXPECT_EQ(g.NumFrames(), 1);
}

TEST(GifHostile, HugeDeclaredSizesAreRefusedBeforeAllocating) {
    // A 65535 x 65535 frame in a few bytes of data.
    TGifWriter gw(10, 10, 1, {0, 0xFFFFFF});
    gw.Frame(0, 0, 65535, 65535, {1, 1, 1}, 2);
    gw.Trailer();
    TGIFImage g;
    EXPECT_FALSE(Load(g, gw.Bytes));
    // A small frame placed far out would need a huge screen.
    TGifWriter far(10, 10, 1, {0, 0xFFFFFF});
    far.Frame(65000, 65000, 2, 2, {1, 1, 1, 1}, 2);
    far.Trailer();
    EXPECT_FALSE(Load(g, far.Bytes));
    // The structure pass refuses the same sizes, so no caller goes on to a full load.
    EXPECT_FALSE(g.LoadHeaderFromMemory(gw.Bytes.data(), gw.Bytes.size()));
    // A logical screen far larger than its frames would need could ever fill.
    TGifWriter wide(60000, 1000, 1, {0, 0xFFFFFF});
    wide.Frame(0, 0, 2, 2, {1, 1, 1, 1}, 2);
    wide.Trailer();
    EXPECT_FALSE(Load(g, wide.Bytes));
}

TEST(GifHostile, CodesOutOfRangeAndCodeSizesTooLarge) {
    // Code size 2: clear 4, end 5. A first code of 7 (undefined) stops the frame; codes far
    // beyond the table after a good start take the "not yet defined" path without harm.
    TGifWriter a(4, 1, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
    a.RawFrame(0, 0, 4, 1, 2, {4, 7, 1, 2}, 3);
    a.Trailer();
    TGIFImage g;
    ASSERT_TRUE(Load(g, a.Bytes));
    EXPECT_EQ(g.Composition()->GetPixel(0, 0), RGB(255, 0, 0)); // nothing decoded: index 0
    TGifWriter b(6, 1, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
    b.RawFrame(0, 0, 6, 1, 2, {4, 3, 7, 7, 7}, 3);
    b.Trailer();
    ASSERT_TRUE(Load(g, b.Bytes));
    EXPECT_EQ(g.Composition()->GetPixel(0, 0), clWhite);
    EXPECT_EQ(g.Composition()->GetPixel(1, 0), clWhite); // old string + its first char
    // Code sizes of 12 and more leave no room for the table: the frame stays at index 0.
    for (int m : {12, 13, 255}) {
        TGifWriter c(2, 1, 1, {0x123456, 0xFFFFFF});
        c.RawFrame(0, 0, 2, 1, m, {1, 1, 1}, 8);
        c.Trailer();
        ASSERT_TRUE(Load(g, c.Bytes)) << m;
        EXPECT_EQ(g.Composition()->GetPixel(1, 0), RGB(0x12, 0x34, 0x56));
    }
}

TEST(GifHostile, CodeWidthStopsGrowingAtTwelveBits) {
    // Thousands of codes without a clear: the table fills, the width stays at 12 bits, and
    // the decoder neither overruns nor loops.
    std::vector<uint8_t> codes(20000, 0xAB);
    codes[0] = 0x00; // 9-bit clear code 256, then code 0 as the first colour
    codes[1] = 0x01;
    codes[2] = 0x00;
    std::vector<uint8_t> out(100000);
    size_t n = folio_image::DecodeLzw(8, codes.data(), codes.size(), out.data(), out.size());
    EXPECT_GT(n, 0u);
    EXPECT_LE(n, out.size());
}

TEST(GifHostile, StringsLongerThanTheFrameAreCutAtItsEnd) {
    // Code size 2, a run of identical pixels encoded by growing strings.
    std::vector<int> codes = {4, 1, 6, 7, 8, 9, 10, 11, 12, 13, 5};
    TGifWriter gw(7, 1, 2, {0, 0xFFFFFF, 0, 0});
    gw.Bytes.insert(gw.Bytes.end(), {',', 0, 0, 0, 0, 7, 0, 1, 0, 0, 2});
    // Widths: 3 bits until 8 entries, 4 bits after.
    std::vector<uint8_t> data;
    uint32_t acc = 0;
    int bits = 0, width = 3, free = 6;
    for (size_t i = 0; i < codes.size(); ++i) {
        acc |= static_cast<uint32_t>(codes[i]) << bits;
        bits += width;
        while (bits >= 8) {
            data.push_back(static_cast<uint8_t>(acc));
            acc >>= 8;
            bits -= 8;
        }
        if (i >= 2 && free < 4096 && ++free == (1 << width) && width < 12)
            ++width;
    }
    if (bits)
        data.push_back(static_cast<uint8_t>(acc));
    gw.Bytes.push_back(static_cast<uint8_t>(data.size()));
    gw.Bytes.insert(gw.Bytes.end(), data.begin(), data.end());
    gw.Bytes.push_back(0);
    gw.Trailer();
    TGIFImage g;
    ASSERT_TRUE(Load(g, gw.Bytes));
    for (int x = 0; x < 7; ++x)
        EXPECT_EQ(g.Composition()->GetPixel(x, 0), clWhite) << x;
}

TEST(GifHostile, AtMost256FramesAreKept) {
    TGifWriter gw(1, 1, 1, {0, 0xFFFFFF});
    for (int i = 0; i < 300; ++i)
        gw.Frame(0, 0, 1, 1, {static_cast<uint8_t>(i & 1)}, 2);
    gw.Trailer();
    TGIFImage g;
    ASSERT_TRUE(Load(g, gw.Bytes));
    EXPECT_EQ(g.NumFrames(), 256);
}

TEST(GifHostile, LongAnimationsKeepTheFramesThatFitThePixelBudget) {
    // 219 frames of 640 x 480 hold more pixels than one picture may (64 Mi); 218 fit. Each
    // frame's data ends after its first pixel, so the test decodes little.
    TGifWriter gw(640, 480, 1, {0, 0xFFFFFF});
    gw.Loop(0);
    for (int i = 0; i < 219; ++i)
        gw.RawFrame(0, 0, 640, 480, 2, {4, i & 1, 5}, 3);
    gw.Trailer();
    TGIFImage header;
    ASSERT_TRUE(header.LoadHeaderFromMemory(gw.Bytes.data(), gw.Bytes.size()));
    EXPECT_EQ(header.NumFrames(), 218); // both passes agree on what fits
    TGIFImage g;
    ASSERT_TRUE(Load(g, gw.Bytes));
    EXPECT_EQ(g.NumFrames(), 218);
    EXPECT_EQ(g.Width(), 640);
    g.SetCurrentFrame(218);
    EXPECT_EQ(g.Composition()->GetPixel(0, 0), clWhite); // frame 218 starts with colour 1
    // A first frame beyond any picture's size still makes the file unreadable.
    TGifWriter huge(10, 10, 1, {0, 0xFFFFFF});
    huge.RawFrame(0, 0, 16385, 4097, 2, {4, 1, 5}, 3);
    huge.Bytes.resize(huge.Bytes.size() + 20000, 0); // enough bytes to be plausible
    EXPECT_FALSE(Load(g, huge.Bytes));
}

TEST(GifHostile, UnknownBlocksEndTheFileKeepingEarlierFrames) {
    TGifWriter gw(1, 1, 1, {0, 0xFFFFFF});
    gw.Frame(0, 0, 1, 1, {1}, 2);
    gw.Bytes.insert(gw.Bytes.end(), {'!', 0x77, 1, 0, 0, 'x'});
    gw.Frame(0, 0, 1, 1, {0}, 2);
    TGIFImage g;
    ASSERT_TRUE(Load(g, gw.Bytes));
    EXPECT_EQ(g.NumFrames(), 1);
    TGifWriter trunc(1, 1, 1, {0, 0xFFFFFF});
    trunc.Frame(0, 0, 1, 1, {1}, 2);
    trunc.Bytes.insert(trunc.Bytes.end(), {'!', 249, 4});
    ASSERT_TRUE(Load(g, trunc.Bytes));
    EXPECT_EQ(g.NumFrames(), 1);
}
