// PNG decoding: every colour type, bit depth and interlacing against the pixels written beside
// each fixture (tests/data/image/png, made and checked with ImageMagick by the script there),
// transparency maps and how they are drawn, and damaged or lying files.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <sstream>

#include "html/image/image_loader.h"
#include "html/image/png_reader.h"
#include "platform/graphics/canvas.h"
#include "test_util.h"

namespace {

struct TPam {
    int Width = 0, Height = 0;
    std::vector<uint8_t> Rgba;
    const uint8_t* At(int x, int y) const {
        return Rgba.data() + (static_cast<size_t>(y) * Width + x) * 4;
    }
};

bool ReadPam(const std::string& path, TPam& out) {
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    const std::string text(bytes.begin(), bytes.end());
    const size_t end = text.find("ENDHDR\n");
    if (end == std::string::npos)
        return false;
    std::istringstream head(text.substr(0, end));
    std::string word;
    int depth = 0;
    while (head >> word) {
        if (word == "WIDTH")
            head >> out.Width;
        else if (word == "HEIGHT")
            head >> out.Height;
        else if (word == "DEPTH")
            head >> depth;
    }
    out.Rgba.assign(bytes.begin() + static_cast<long>(end + 7), bytes.end());
    return depth == 4 && out.Rgba.size() == static_cast<size_t>(out.Width) * out.Height * 4;
}

void PutBe32(std::vector<uint8_t>& b, uint32_t v) {
    b.insert(b.end(), {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
                       static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)});
}

// A chunk with a correct check value.
void Chunk(std::vector<uint8_t>& b, const char* type, const std::vector<uint8_t>& data) {
    PutBe32(b, static_cast<uint32_t>(data.size()));
    const size_t start = b.size();
    b.insert(b.end(), type, type + 4);
    b.insert(b.end(), data.begin(), data.end());
    PutBe32(b,
            static_cast<uint32_t>(crc32(0, b.data() + start, static_cast<uInt>(b.size() - start))));
}

// An 8-bit RGB file of the size its header claims, whose image data is `rawBytes` zeros (a
// row takes 1 + 3 x width; fewer than the height's worth makes a short file).
std::vector<uint8_t> RgbPng(uint32_t width, uint32_t height, size_t rawBytes) {
    std::vector<uint8_t> b = {137, 'P', 'N', 'G', 13, 10, 26, 10};
    std::vector<uint8_t> ihdr;
    PutBe32(ihdr, width);
    PutBe32(ihdr, height);
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    Chunk(b, "IHDR", ihdr);
    std::vector<uint8_t> raw(rawBytes);
    uLongf n = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> z(n);
    compress2(z.data(), &n, raw.data(), static_cast<uLong>(raw.size()), 9);
    z.resize(n);
    Chunk(b, "IDAT", z);
    Chunk(b, "IEND", {});
    return b;
}

} // namespace

TEST(PngDecode, EveryColourTypeDepthAndInterlacingGivesTheExpectedPixels) {
    const std::vector<uint8_t> list = ReadFileBytes(DataPath("png/cases.txt"));
    std::istringstream in(std::string(list.begin(), list.end()));
    std::string name;
    int cases = 0, transparentCases = 0;
    while (std::getline(in, name)) {
        if (name.empty())
            continue;
        SCOPED_TRACE(name);
        ++cases;
        TPam want;
        ASSERT_TRUE(ReadPam(DataPath("png/" + name + ".pam"), want));
        const std::vector<uint8_t> bytes = ReadFileBytes(DataPath("png/" + name + ".png"));
        std::unique_ptr<TBitmap> map;
        std::unique_ptr<TBitmap> got = ReadPNG(bytes.data(), bytes.size(), &map);
        ASSERT_TRUE(got);
        ASSERT_EQ(got->Width(), want.Width);
        ASSERT_EQ(got->Height(), want.Height);
        bool opaque = true;
        int wrong = 0;
        for (int y = 0; y < want.Height; ++y)
            for (int x = 0; x < want.Width; ++x) {
                const uint8_t* p = want.At(x, y);
                opaque &= p[3] == 255;
                if (got->GetPixel(x, y) != RGB(p[0], p[1], p[2]))
                    ++wrong;
                if (map && map->GetIndex(x, y) != 255 - p[3])
                    ++wrong;
            }
        EXPECT_EQ(wrong, 0);
        // A map only where some pixel lets the background through.
        EXPECT_EQ(map == nullptr, opaque);
        if (map) {
            ++transparentCases;
            EXPECT_EQ(map->PixelFormat(), pf8bit);
            EXPECT_EQ(map->GetPixel(0, 0),
                      RGB(map->GetIndex(0, 0), map->GetIndex(0, 0), map->GetIndex(0, 0)));
        }
        // The file loader gives the same picture, and kind 3 exactly when it is transparent.
        TTransparency kind = NotTransp;
        std::unique_ptr<TBitmap> mask;
        auto loaded = GetImageAndMaskFromFile(DataPath("png/" + name + ".png"), kind, mask);
        ASSERT_TRUE(loaded);
        EXPECT_EQ(loaded->GetPixel(7, 5), got->GetPixel(7, 5));
        EXPECT_EQ(kind, opaque ? NotTransp : TPng);
        EXPECT_EQ(mask != nullptr, !opaque);
    }
    // 15 colour types and depths, each plain and interlaced, and six with tRNS.
    EXPECT_EQ(cases, 36);
    EXPECT_EQ(transparentCases, 4 * 2 + 6);
}

TEST(PngDecode, PartlyTransparentPixelsBlendOverWhatLiesBeneath) {
    // Grey + alpha at 8 bits: pixel (x, y) has alpha sample(x, y, 1).
    const std::vector<uint8_t> bytes = ReadFileBytes(DataPath("png/t4-8.png"));
    TPam want;
    ASSERT_TRUE(ReadPam(DataPath("png/t4-8.pam"), want));
    std::unique_ptr<TBitmap> map;
    auto pic = ReadPNG(bytes.data(), bytes.size(), &map);
    ASSERT_TRUE(pic && map);
    TCanvas canvas(want.Width * 2, want.Height);
    canvas.Brush.Color = RGB(200, 40, 0);
    canvas.FillRect(Rect(0, 0, want.Width * 2, want.Height));
    // Stretched to twice the width: each picture pixel covers two canvas pixels.
    canvas.DrawMasked(Rect(0, 0, want.Width * 2, want.Height), *pic, *map);
    int wrong = 0, partial = 0;
    for (int y = 0; y < want.Height; ++y)
        for (int x = 0; x < want.Width * 2; ++x) {
            const uint8_t* p = want.At(x / 2, y);
            const int a = p[3];
            partial += a != 0 && a != 255;
            auto mix = [a](int fg, int bg) { return (fg * a + bg * (255 - a) + 127) / 255; };
            if (canvas.GetPixel(x, y) != RGB(mix(p[0], 200), mix(p[1], 40), mix(p[2], 0)))
                ++wrong;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(partial, 100); // the case is about the greys between, not only holes

    // A 1-bit mask still draws as before: set bits keep the canvas, clear ones copy.
    TBitmap img(2, 1, pf24bit);
    img.Fill(RGB(1, 2, 3));
    TBitmap bits(2, 1, pf1bit);
    bits.SetIndex(0, 0, 1);
    TCanvas c(2, 1);
    c.Brush.Color = RGB(9, 9, 9);
    c.FillRect(Rect(0, 0, 2, 1));
    c.DrawMasked(Rect(0, 0, 2, 1), img, bits);
    EXPECT_EQ(c.GetPixel(0, 0), RGB(9, 9, 9));
    EXPECT_EQ(c.GetPixel(1, 0), RGB(1, 2, 3));
}

TEST(PngDecode, StreamsAndTheLowerLeftCorner) {
    const std::vector<uint8_t> rgba = ReadFileBytes(DataPath("png/t6-8-i.png"));
    TMemoryStream s;
    s.WriteBuffer(rgba.data(), static_cast<int64_t>(rgba.size()));
    TTransparency kind = LLCorner;
    std::unique_ptr<TBitmap> mask;
    auto pic = GetImageAndMaskFromStream(&s, kind, mask);
    ASSERT_TRUE(pic && mask);
    EXPECT_EQ(kind, TPng); // its own alpha wins over the corner asked for
    EXPECT_EQ(mask->PixelFormat(), pf8bit);
    // An opaque PNG asked for the corner gets the corner's 1-bit mask; not asked, none.
    const std::vector<uint8_t> rgb = ReadFileBytes(DataPath("png/t2-8.png"));
    TMemoryStream o;
    o.WriteBuffer(rgb.data(), static_cast<int64_t>(rgb.size()));
    kind = LLCorner;
    pic = GetImageAndMaskFromStream(&o, kind, mask);
    ASSERT_TRUE(pic && mask);
    EXPECT_EQ(kind, LLCorner);
    EXPECT_EQ(mask->PixelFormat(), pf1bit);
    EXPECT_EQ(mask->GetIndex(0, pic->Height() - 1), 1);
    kind = NotTransp;
    pic = GetImageAndMaskFromStream(&o, kind, mask);
    ASSERT_TRUE(pic);
    EXPECT_FALSE(mask);
    EXPECT_EQ(kind, NotTransp);
    // Without a map asked for, the colours alone.
    pic = ReadPNG(rgba.data(), rgba.size());
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->Width(), 19);
}

TEST(PngDecode, DamagedAndLyingFilesGiveNoPicture) {
    // A sound file of the helper's own making decodes, so the failures below are the damage's.
    const std::vector<uint8_t> good = RgbPng(40, 30, 30 * 121);
    std::unique_ptr<TBitmap> map;
    ASSERT_TRUE(ReadPNG(good.data(), good.size(), &map));
    EXPECT_FALSE(map);

    // Cut anywhere before the image data ends: no picture, no crash, nothing leaked.
    const std::vector<uint8_t> fixture = ReadFileBytes(DataPath("png/t6-16-i.png"));
    size_t idatEnd = 0;
    for (size_t i = 8; i + 8 <= fixture.size();) {
        const uint32_t n = static_cast<uint32_t>(fixture[i]) << 24 | fixture[i + 1] << 16 |
                           fixture[i + 2] << 8 | fixture[i + 3];
        if (std::memcmp(&fixture[i + 4], "IDAT", 4) == 0)
            idatEnd = i + 12 + n;
        i += 12 + n;
    }
    ASSERT_GT(idatEnd, 100u);
    for (size_t cut = 0; cut < idatEnd; cut += 7)
        EXPECT_FALSE(ReadPNG(fixture.data(), cut, &map)) << cut;
    // Cut after the pixels (no end chunk): the picture is all there and shows.
    EXPECT_TRUE(ReadPNG(fixture.data(), idatEnd, &map));

    // Image data short of the height the header claims.
    const std::vector<uint8_t> shortRows = RgbPng(40, 30, 20 * 121);
    EXPECT_FALSE(ReadPNG(shortRows.data(), shortRows.size(), &map));
    // Headers claiming far more pixels than the engine takes, or than the data could hold.
    for (auto [w, h] : {std::pair<uint32_t, uint32_t>{100000, 100000},
                        {8000, 8000},
                        {0x7FFFFFFF, 1},
                        {0, 10},
                        {10, 0}}) {
        const std::vector<uint8_t> liar = RgbPng(w, h, 1000);
        EXPECT_FALSE(ReadPNG(liar.data(), liar.size(), &map)) << w << " x " << h;
    }
    // A text chunk claiming 1.6 GB of the 272-byte file (a fuzzing find: libpng allocated the
    // claimed size before reading it). Before the pixels it leaves no picture; after them the
    // picture shows, as a file cut there would.
    const std::vector<uint8_t> textLiar =
        ReadFileBytes(DataPath("text-chunk-claims-gigabytes.png"));
    EXPECT_FALSE(ReadPNG(textLiar.data(), textLiar.size(), &map));
    std::vector<uint8_t> lateLiar(good.begin(), good.end() - 12); // without the end chunk
    lateLiar.insert(lateLiar.end(), {0x64, 0, 0, 0, 't', 'E', 'X', 't', 'a', '\0', 'b'});
    EXPECT_TRUE(ReadPNG(lateLiar.data(), lateLiar.size(), &map));
    // A damaged check value of the image data.
    std::vector<uint8_t> crc = good;
    crc[crc.size() - 12 - 1] ^= 0x55;
    EXPECT_FALSE(ReadPNG(crc.data(), crc.size(), &map));
    // Not a PNG at all, and nothing.
    const std::vector<uint8_t> gif = ReadFileBytes(DataPath("stripes.gif"));
    EXPECT_FALSE(ReadPNG(gif.data(), gif.size(), &map));
    EXPECT_FALSE(ReadPNG(nullptr, 0, &map));
    EXPECT_FALSE(map);
}
