// BMP variants and JPEG decoding through libjpeg.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "html/image/bmp_reader.h"
#include "html/image/display.h"
#include "html/image/jpeg_mod.h"
#include "test_util.h"

namespace {

std::unique_ptr<TBitmap> ReadBmpFile(const std::string& name) {
    auto bytes = ReadFileBytes(DataPath(name));
    return ReadBMP(bytes.data(), bytes.size());
}

// A BMP with a 40-byte header and the given palette and pixel bytes.
std::vector<uint8_t> MakeBmp(int w, int h, int bits, uint32_t compression,
                             const std::vector<uint32_t>& palette,
                             const std::vector<uint8_t>& pixels) {
    std::vector<uint8_t> b(54 + 4 * palette.size());
    auto le32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    le32(10, static_cast<uint32_t>(b.size()));
    le32(14, 40);
    le32(18, static_cast<uint32_t>(w));
    le32(22, static_cast<uint32_t>(h));
    b[26] = 1;
    b[28] = static_cast<uint8_t>(bits);
    le32(30, compression);
    le32(46, static_cast<uint32_t>(palette.size()));
    for (size_t i = 0; i < palette.size(); ++i)
        le32(54 + 4 * i, palette[i]);
    b.insert(b.end(), pixels.begin(), pixels.end());
    le32(2, static_cast<uint32_t>(b.size()));
    return b;
}

// The most the process held at once while `read` ran, beyond what it held before, in KiB (0
// where the kernel does not keep the figure).
template <class F> long PeakGrowthKb(F read) {
    auto kb = [](const char* key) {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind(key, 0) == 0)
                return std::stol(line.substr(line.find(':') + 1));
        return 0L;
    };
    { std::ofstream("/proc/self/clear_refs") << "5"; } // the peak starts again from now
    const long before = kb("VmRSS:");
    read();
    return kb("VmHWM:") - before;
}

} // namespace

class BmpVariant : public ::testing::TestWithParam<const char*> {};

TEST_P(BmpVariant, MatchesTheSource) {
    auto bmp = ReadBmpFile(std::string("stripes-") + GetParam() + ".bmp");
    ASSERT_TRUE(bmp);
    TPngImage expected;
    ASSERT_TRUE(ReadPng(DataPath("stripes.png"), expected));
    EXPECT_EQ(CountDifferences(expected, *bmp, nullptr), 0);
}

INSTANTIATE_TEST_SUITE_P(ImageMagick, BmpVariant, ::testing::Values("4", "rle8", "24", "32"));

TEST(Bmp, EightAndOneBitFiles) {
    auto noise = ReadBmpFile("noise-8.bmp");
    ASSERT_TRUE(noise);
    EXPECT_EQ(noise->PixelFormat(), pf8bit);
    TPngImage n;
    ASSERT_TRUE(ReadPng(DataPath("noise-8.png"), n));
    EXPECT_EQ(CountDifferences(n, *noise, nullptr), 0);
    auto two = ReadBmpFile("two-1.bmp");
    ASSERT_TRUE(two);
    TPngImage t;
    ASSERT_TRUE(ReadPng(DataPath("two-1.png"), t));
    EXPECT_EQ(CountDifferences(t, *two, nullptr), 0);
}

TEST(Bmp, Rle8RunsAbsoluteRunsDeltasAndEnds) {
    // 4 x 3, bottom-up: row 0 = run of 3 x index 1, then absolute 2; row 1 delta (+1, +1)
    // lands on row 2 col 1 for a run of 2 x index 3; end of bitmap.
    std::vector<uint8_t> rle = {3, 1, 0, 3, 2, 2, 2, 0, 0, 0, 0, 2, 1, 1, 2, 3, 0, 1};
    auto b = MakeBmp(4, 3, 8, 1, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF}, rle);
    auto bmp = ReadBMP(b.data(), b.size());
    ASSERT_TRUE(bmp);
    // Stored row 0 is the bottom row (y 2).
    EXPECT_EQ(bmp->GetPixel(0, 2), RGB(255, 0, 0));
    EXPECT_EQ(bmp->GetPixel(2, 2), RGB(255, 0, 0));
    EXPECT_EQ(bmp->GetPixel(3, 2), RGB(0, 255, 0)); // absolute run of three, two fit
    EXPECT_EQ(bmp->GetPixel(0, 1), RGB(0, 0, 0));
    EXPECT_EQ(bmp->GetPixel(1, 0), RGB(0, 0, 255));
    EXPECT_EQ(bmp->GetPixel(2, 0), RGB(0, 0, 255));
    EXPECT_EQ(bmp->GetPixel(3, 0), RGB(0, 0, 0));
}

TEST(Bmp, Rle4NibbleRuns) {
    // 5 x 1: run of 3 alternating 1,2 then absolute 3 nibbles 3,0,1.
    std::vector<uint8_t> rle = {3, 0x12, 0, 3, 0x30, 0x10, 0, 1};
    auto b = MakeBmp(6, 1, 4, 2, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF}, rle);
    auto bmp = ReadBMP(b.data(), b.size());
    ASSERT_TRUE(bmp);
    const TColor want[6] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(255, 0, 0),
                            RGB(0, 0, 255), RGB(0, 0, 0),   RGB(255, 0, 0)};
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(bmp->GetPixel(x, 0), want[x]) << x;
}

TEST(Bmp, TopDownAndCoreHeaders) {
    // Top-down 24-bit 1 x 2: red over blue.
    std::vector<uint8_t> px = {0, 0, 255, 0, 255, 0, 0, 0};
    auto b = MakeBmp(1, 2, 24, 0, {}, px);
    b[22] = 0xFE, b[23] = b[24] = b[25] = 0xFF; // height -2
    auto bmp = ReadBMP(b.data(), b.size());
    ASSERT_TRUE(bmp);
    EXPECT_EQ(bmp->GetPixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(bmp->GetPixel(0, 1), RGB(0, 0, 255));
    // OS/2 core header, 1 bit, 3-byte palette entries.
    std::vector<uint8_t> c = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 32, 0,   0,   0,   12,   0, 0, 0,
                              2,   0,   1, 0, 1, 0, 1, 0, 0, 0, 0,  255, 255, 255, 0x40, 0, 0, 0};
    auto core = ReadBMP(c.data(), c.size());
    ASSERT_TRUE(core);
    EXPECT_EQ(core->GetPixel(0, 0), clBlack);
    EXPECT_EQ(core->GetPixel(1, 0), clWhite);
}

TEST(Bmp, DamagedFilesGiveNone) {
    auto good = ReadFileBytes(DataPath("stripes-24.bmp"));
    ASSERT_TRUE(ReadBMP(good.data(), good.size()));
    auto cut = good;
    cut.resize(cut.size() - 10);
    EXPECT_FALSE(ReadBMP(cut.data(), cut.size()));
    auto huge = MakeBmp(100000, 100000, 24, 0, {}, {1, 2, 3});
    EXPECT_FALSE(ReadBMP(huge.data(), huge.size()));
    auto zero = MakeBmp(0, 5, 24, 0, {}, {});
    EXPECT_FALSE(ReadBMP(zero.data(), zero.size()));
    auto rleHuge = MakeBmp(8000, 8000, 8, 1, {0}, {0, 1}); // 64 megapixels in 2 bytes
    EXPECT_FALSE(ReadBMP(rleHuge.data(), rleHuge.size()));
    auto badBits = MakeBmp(2, 2, 7, 0, {}, std::vector<uint8_t>(16));
    EXPECT_FALSE(ReadBMP(badBits.data(), badBits.size()));
    EXPECT_FALSE(ReadBMP(good.data(), 20));
    // A palette declared longer than the file: indices past it read black, no overrun.
    auto shortPal = MakeBmp(2, 1, 8, 0, {0xFFFFFF}, {0, 200, 0, 0});
    auto sp = ReadBMP(shortPal.data(), shortPal.size());
    ASSERT_TRUE(sp);
    EXPECT_EQ(sp->GetPixel(1, 0), clBlack);
}

TEST(Bmp, PixelDataIsCheckedBeforeThePictureIsMade) {
    // A header that claims 8192 x 8192 at 24 bits, with 100 bytes of pixels: 154 bytes.
    const auto big = MakeBmp(8192, 8192, 24, 0, {}, std::vector<uint8_t>(100, 7));
    ASSERT_EQ(big.size(), 154u);
    // Run-length data of 1,100 bytes for the same size at 8 bits.
    std::vector<uint8_t> runs;
    for (int i = 0; i < 550; ++i)
        runs.insert(runs.end(), {255, 1});
    const auto rle = MakeBmp(8192, 8192, 8, 1, {0, 0xFFFFFF}, runs);
    for (const auto* bytes : {&big, &rle}) {
        std::unique_ptr<TBitmap> result;
        const long grown = PeakGrowthKb([&] { result = ReadBMP(bytes->data(), bytes->size()); });
        EXPECT_FALSE(result);
        EXPECT_LT(grown, 8 * 1024) << "KiB held for a " << bytes->size() << "-byte file";
    }
    // Runs that fit the data still decode, into the right rows.
    const auto small = MakeBmp(600, 2, 8, 1, {0, 0xFFFFFF}, {255, 1, 0, 0, 3, 1, 0, 1});
    auto ok = ReadBMP(small.data(), small.size());
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->GetPixel(0, 1), clWhite); // the first stored row is the bottom one
    EXPECT_EQ(ok->GetPixel(255, 1), clBlack);
    EXPECT_EQ(ok->GetPixel(2, 0), clWhite);
    EXPECT_EQ(ok->GetPixel(3, 0), clBlack);
}

TEST(Jpeg, DecodesCloseToTheSource) {
    auto bytes = ReadFileBytes(DataPath("smooth.jpg"));
    TJpegMod j;
    ASSERT_TRUE(j.LoadFromMemory(bytes.data(), bytes.size()));
    const TBitmap* b = j.Bitmap();
    ASSERT_TRUE(b);
    EXPECT_EQ(b->PixelFormat(), pf24bit);
    TPngImage src;
    ASSERT_TRUE(ReadPng(DataPath("smooth.png"), src));
    ASSERT_EQ(b->Width(), src.Width);
    int64_t err = 0;
    for (int y = 0; y < src.Height; ++y)
        for (int x = 0; x < src.Width; ++x) {
            TColor c = b->GetPixel(x, y);
            uint32_t p = src.At(x, y);
            err += std::abs(GetRValue(c) - static_cast<int>((p >> 16) & 255)) +
                   std::abs(GetGValue(c) - static_cast<int>((p >> 8) & 255)) +
                   std::abs(GetBValue(c) - static_cast<int>(p & 255));
        }
    EXPECT_LT(static_cast<double>(err) / (3.0 * src.Width * src.Height), 3.0);
}

TEST(Jpeg, EightBitOutputUsesTheGivenPalette) {
    auto bytes = ReadFileBytes(DataPath("smooth.jpg"));
    TJpegMod j;
    j.PixelFormat = jf8Bit;
    j.Palette = &SharedPaletteEntries();
    ASSERT_TRUE(j.LoadFromMemory(bytes.data(), bytes.size()));
    auto b = j.TakeBitmap();
    ASSERT_EQ(b->PixelFormat(), pf8bit);
    EXPECT_EQ(b->Palette(), SharedPaletteEntries());
}

TEST(Jpeg, BrokenDataFailsWithoutEndingTheProgram) {
    auto bytes = ReadFileBytes(DataPath("smooth.jpg"));
    TJpegMod j;
    std::vector<uint8_t> head(bytes.begin(), bytes.begin() + 30);
    EXPECT_FALSE(j.LoadFromMemory(head.data(), head.size()));
    std::vector<uint8_t> junk = {255, 216, 255, 224, 1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_FALSE(j.LoadFromMemory(junk.data(), junk.size()));
    EXPECT_EQ(j.Bitmap(), nullptr);
}
