// Image kinds, transparency probes, file and stream loading with masks, the shared palette,
// TDib and transparent drawing.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "html/image/dib.h"
#include "html/image/display.h"
#include "html/image/dither.h"
#include "html/image/image_kind.h"
#include "html/image/image_loader.h"
#include "platform/base/files.h"
#include "test_util.h"

namespace {

std::string TempCopy(const std::vector<uint8_t>& bytes, const std::string& name) {
    std::string dir = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
    std::string path = dir + "/folio-image-test-" + std::to_string(::getpid()) + "-" + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    return path;
}

std::vector<uint8_t> Png(int colorType, bool trns, int trnsLength = 2) {
    std::vector<uint8_t> b = {137, 'P', 'N', 'G', 13, 10, 26, 10};
    auto chunk = [&](const char* type, std::vector<uint8_t> data) {
        uint32_t n = static_cast<uint32_t>(data.size());
        b.insert(b.end(), {static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                           static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
        b.insert(b.end(), type, type + 4);
        b.insert(b.end(), data.begin(), data.end());
        b.insert(b.end(), {0, 0, 0, 0}); // check value, not examined
    };
    chunk("IHDR", {0, 0, 0, 4, 0, 0, 0, 4, 8, static_cast<uint8_t>(colorType), 0, 0, 0});
    chunk("PLTE", {10, 20, 30, 40, 50, 60, 70, 80, 90});
    if (trns)
        chunk("tRNS", std::vector<uint8_t>(static_cast<size_t>(trnsLength), 0));
    chunk("IDAT", {1, 2, 3});
    chunk("IEND", {});
    return b;
}

struct TColorBitsScope {
    explicit TColorBitsScope(int bits) { SetColorBits(bits); }
    ~TColorBitsScope() { SetColorBits(24); }
};

} // namespace

TEST(ImageKind, FromTheFirstBytes) {
    auto kind = [](std::vector<uint8_t> b) { return KindOfImage(b.data(), b.size()); };
    EXPECT_EQ(kind({'B', 'M', 0, 0}), ikBMP);
    EXPECT_EQ(kind({'G', 'I', 'F', '8', '7', 'a'}), ikGIF87);
    EXPECT_EQ(kind({'G', 'I', 'F', '8', '9', 'a'}), ikGIF89);
    EXPECT_EQ(kind({137, 'P', 'N', 'G'}), ikPNG);
    EXPECT_EQ(kind({255, 216, 255, 224}), ikJPEG); // JFIF
    EXPECT_EQ(kind({255, 216, 255, 225}), ikJPEG); // Exif, as cameras write it
    EXPECT_EQ(kind({255, 216, 255, 219}), ikJPEG); // a table straight after the start
    EXPECT_EQ(kind({255, 216, 0, 224}), ikUnknown);
    EXPECT_EQ(kind({'G', 'I'}), ikUnknown);
    EXPECT_EQ(KindOfImageFile(DataPath("holes.gif")), ikGIF89);
    EXPECT_EQ(KindOfImageFile(DataPath("smooth.jpg")), ikJPEG);
    EXPECT_EQ(KindOfImageFile(DataPath("no-such-file.gif")), ikUnknown);
}

TEST(TransparencyProbe, GifColourFromTheControlBlockAfterTheTable) {
    TColor c = 0;
    EXPECT_TRUE(IsTransparentGif(DataPath("holes.gif"), c));
    auto bytes = ReadFileBytes(DataPath("holes.gif"));
    const uint8_t idx = bytes[13 + 768 + 6];
    EXPECT_EQ(c, RGB(bytes[13 + 3 * idx], bytes[14 + 3 * idx], bytes[15 + 3 * idx]));
    EXPECT_FALSE(IsTransparentGif(DataPath("stripes.gif"), c));
    // A GIF89 whose first extension after the table is a comment counts as opaque.
    TGifWriter gw(1, 1, 1, {0, 0xFFFFFF});
    gw.Comment("first");
    gw.Control(0, 0, true, 1);
    gw.Frame(0, 0, 1, 1, {1}, 2);
    gw.Trailer();
    EXPECT_FALSE(IsTransparentGifData(gw.Bytes.data(), gw.Bytes.size(), c));
    TGifWriter ok(1, 1, 1, {0, 0xABCDEF});
    ok.Control(0, 0, true, 1);
    ok.Frame(0, 0, 1, 1, {1}, 2);
    ok.Trailer();
    EXPECT_TRUE(IsTransparentGifData(ok.Bytes.data(), ok.Bytes.size(), c));
    EXPECT_EQ(c, RGB(0xAB, 0xCD, 0xEF));
    // GIF87 files are never transparent by this probe.
    ok.Bytes[4] = '7';
    EXPECT_FALSE(IsTransparentGifData(ok.Bytes.data(), ok.Bytes.size(), c));
}

TEST(TransparencyProbe, PngChunksBeforeImageData) {
    TColor c = 0;
    TMemoryStream s;
    auto pal = Png(3, true, 2);
    s.WriteBuffer(pal.data(), static_cast<int64_t>(pal.size()));
    s.SetPosition(3);
    s.SetPosition(0);
    EXPECT_TRUE(IsTransparentPng(s, c));
    EXPECT_EQ(c, RGB(40, 50, 60)); // entry tRNS length - 1
    EXPECT_EQ(s.Position(), 0);
    auto rgb = Png(2, true);
    TMemoryStream s2;
    s2.WriteBuffer(rgb.data(), static_cast<int64_t>(rgb.size()));
    s2.SetPosition(0);
    EXPECT_TRUE(IsTransparentPng(s2, c));
    for (auto bytes : {Png(6, true), Png(3, false)}) {
        TMemoryStream m;
        m.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        m.SetPosition(0);
        EXPECT_FALSE(IsTransparentPng(m, c));
    }
    auto cut = Png(3, true);
    cut.resize(30);
    TMemoryStream m;
    m.WriteBuffer(cut.data(), static_cast<int64_t>(cut.size()));
    m.SetPosition(0);
    EXPECT_FALSE(IsTransparentPng(m, c));
}

TEST(SharedPalette, LayoutOfTheTwoHundredFiftySixEntries) {
    const TPalette& p = SharedPaletteEntries();
    ASSERT_EQ(p.Count(), 256);
    EXPECT_EQ(p[0], (TPaletteEntry{0, 0, 0}));
    EXPECT_EQ(p[9], (TPaletteEntry{166, 202, 240}));
    EXPECT_EQ(p[10], (TPaletteEntry{55, 55, 55}));
    EXPECT_EQ(p[11], (TPaletteEntry{115, 55, 55})); // red changes fastest
    EXPECT_EQ(p[16], (TPaletteEntry{55, 115, 55}));
    EXPECT_EQ(p[10 + 36], (TPaletteEntry{55, 55, 115})); // blue slowest
    EXPECT_EQ(p[224], (TPaletteEntry{235, 255, 255}));   // the cube without white
    EXPECT_EQ(p[225], (TPaletteEntry{135, 135, 135}));
    EXPECT_EQ(p[230], (TPaletteEntry{160, 160, 160}));
    EXPECT_EQ(p[231], (TPaletteEntry{170, 170, 170})); // 165 left out
    EXPECT_EQ(p[245], (TPaletteEntry{250, 250, 250}));
    EXPECT_EQ(p[255], (TPaletteEntry{255, 255, 255}));
    EXPECT_EQ(p[246], (TPaletteEntry{255, 251, 240}));
}

TEST(DisplaySettings, DepthsAndThePaletteOnlyAtEightBits) {
    EXPECT_EQ(NormalizeColorBits(1), 4);
    EXPECT_EQ(NormalizeColorBits(4), 4);
    EXPECT_EQ(NormalizeColorBits(5), 8);
    EXPECT_EQ(NormalizeColorBits(16), 24);
    {
        TColorBitsScope eight(8);
        ASSERT_NE(ThePalette(), nullptr);
        EXPECT_EQ(*ThePalette(), SharedPaletteEntries());
    }
    EXPECT_EQ(ThePalette(), nullptr);
    StartImageDisplay();
    StartImageDisplay();
    ASSERT_NE(StockBitmap(sbDefault), nullptr);
    EndImageDisplay();
    EXPECT_NE(StockBitmap(sbError), nullptr);
    EndImageDisplay();
    EXPECT_EQ(CursorResourceName(UpDownCursor), "UPDOWNCURSOR");
    EXPECT_EQ(CursorResourceName(HandCursor), "1003");
    SetStockBitmapProvider(
        [](int id) { return id == 1001 ? std::make_unique<TBitmap>(3, 3, pf24bit) : nullptr; });
    EXPECT_EQ(StockBitmap(sbError)->Width(), 3);
    EXPECT_EQ(StockBitmap(sbDefault)->Width(), 16);
    SetStockBitmapProvider(nullptr);
}

TEST(Loader, FilesOfEachKind) {
    auto gif = GetImageFromFile(DataPath("stripes.gif"));
    ASSERT_TRUE(gif);
    TPngImage stripes;
    ASSERT_TRUE(ReadPng(DataPath("stripes.png"), stripes));
    EXPECT_EQ(CountDifferences(stripes, *gif, nullptr), 0);
    auto bmp = GetImageFromFile(DataPath("stripes-4.bmp"));
    ASSERT_TRUE(bmp);
    EXPECT_EQ(bmp->PixelFormat(), pf24bit); // palette bitmaps become device bitmaps
    EXPECT_EQ(CountDifferences(stripes, *bmp, nullptr), 0);
    auto jpg = GetImageFromFile(DataPath("smooth.jpg"));
    ASSERT_TRUE(jpg);
    EXPECT_EQ(jpg->Width(), 48);
    // A PNG gives its colours: the opaque ones of the transparent GIF's reference picture.
    auto png = GetImageFromFile(DataPath("holes.png"));
    ASSERT_TRUE(png);
    TPngImage holes;
    ASSERT_TRUE(ReadPng(DataPath("holes.png"), holes));
    int opaqueWrong = 0;
    for (int y = 0; y < holes.Height; ++y)
        for (int x = 0; x < holes.Width; ++x)
            if (holes.At(x, y) >> 24 == 255 &&
                png->GetPixel(x, y) != RGB(holes.At(x, y) >> 16 & 0xFF, holes.At(x, y) >> 8 & 0xFF,
                                           holes.At(x, y) & 0xFF))
                ++opaqueWrong;
    EXPECT_EQ(opaqueWrong, 0);
    EXPECT_FALSE(GetImageFromFile(DataPath("no-such.bmp")));
}

namespace {
// smooth.jpg with its JFIF segment replaced: by an Exif segment (cameras and phones), or by
// nothing, so that a table follows the start marker directly.
std::vector<uint8_t> JpegWithoutJfif(bool exif) {
    std::vector<uint8_t> b = ReadFileBytes(DataPath("smooth.jpg"));
    const size_t app0 = 4 + (static_cast<size_t>(b[4]) << 8 | b[5]);
    std::vector<uint8_t> out(b.begin(), b.begin() + 2);
    if (exif)
        out.insert(out.end(), {0xFF, 0xE1, 0, 8, 'E', 'x', 'i', 'f', 0, 0});
    out.insert(out.end(), b.begin() + static_cast<long>(app0), b.end());
    return out;
}
} // namespace

TEST(Loader, JpegsWithoutTheJfifSegmentLoad) {
    auto reference = GetImageFromFile(DataPath("smooth.jpg"));
    ASSERT_TRUE(reference);
    for (bool exif : {true, false}) {
        const std::vector<uint8_t> bytes = JpegWithoutJfif(exif);
        ASSERT_EQ(bytes[3], exif ? 0xE1 : 0xDB);
        const std::string path = TempCopy(bytes, exif ? "exif.jpg" : "bare.jpg");
        auto fromFile = GetImageFromFile(path);
        std::remove(path.c_str());
        ASSERT_TRUE(fromFile) << exif;
        EXPECT_EQ(fromFile->Width(), reference->Width());
        EXPECT_EQ(fromFile->ScanLine(7)[30], reference->ScanLine(7)[30]);
        TMemoryStream stream;
        stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        TTransparency t = NotTransp;
        std::unique_ptr<TBitmap> mask;
        auto fromStream = GetImageAndMaskFromStream(&stream, t, mask);
        ASSERT_TRUE(fromStream) << exif;
        EXPECT_EQ(fromStream->Height(), reference->Height());
    }
}

TEST(Loader, KindComesFromTheBytesNotTheName) {
    auto bytes = ReadFileBytes(DataPath("stripes-24.bmp"));
    std::string path = TempCopy(bytes, "bitmap.gif");
    TTransparency t = NotTransp;
    std::unique_ptr<TBitmap> mask;
    auto b = GetImageAndMaskFromFile(path, t, mask);
    ASSERT_TRUE(b);
    EXPECT_EQ(t, NotTransp); // the GIF probe failed
    EXPECT_FALSE(mask);
    EXPECT_EQ(b->Width(), 37);
    std::remove(path.c_str());
}

TEST(Loader, GifWithTransparentColourGetsAMask) {
    TTransparency t = NotTransp;
    std::unique_ptr<TBitmap> mask;
    auto b = GetImageAndMaskFromFile(DataPath("holes.gif"), t, mask);
    ASSERT_TRUE(b);
    EXPECT_EQ(t, TGif);
    ASSERT_TRUE(mask);
    TPngImage holes;
    ASSERT_TRUE(ReadPng(DataPath("holes.png"), holes));
    EXPECT_EQ(CountDifferences(holes, *b, mask.get()), 0);
}

TEST(Loader, PngWithHolesMasksWhatTheGifMasks) {
    TTransparency gt = NotTransp, pt = NotTransp;
    std::unique_ptr<TBitmap> gm, pm;
    auto gif = GetImageAndMaskFromFile(DataPath("holes.gif"), gt, gm);
    auto png = GetImageAndMaskFromFile(DataPath("holes.png"), pt, pm);
    ASSERT_TRUE(gif && gm && png && pm);
    EXPECT_EQ(pt, TPng);
    ASSERT_EQ(png->Width(), gif->Width());
    int holes = 0, wrong = 0;
    for (int y = 0; y < gif->Height(); ++y)
        for (int x = 0; x < gif->Width(); ++x) {
            const bool hole = gm->GetIndex(x, y) == 1;
            holes += hole;
            if (pm->GetIndex(x, y) != (hole ? 255 : 0) ||
                (!hole && png->GetPixel(x, y) != gif->GetPixel(x, y)))
                ++wrong;
        }
    EXPECT_GT(holes, 0);
    EXPECT_EQ(wrong, 0);
}

TEST(Loader, LowerLeftCornerMask) {
    TTransparency t = LLCorner;
    std::unique_ptr<TBitmap> mask;
    auto b = GetImageAndMaskFromFile(DataPath("stripes-24.bmp"), t, mask);
    ASSERT_TRUE(b && mask);
    const TColor corner = b->GetPixel(0, b->Height() - 1);
    for (int y = 0; y < b->Height(); ++y)
        for (int x = 0; x < b->Width(); ++x)
            ASSERT_EQ(mask->GetIndex(x, y) == 1, b->GetPixel(x, y) == corner);
    TTransparency none = NotTransp;
    std::unique_ptr<TBitmap> m2;
    EXPECT_FALSE(GetImageAndMaskFromFile(DataPath("missing.bmp"), none, m2));
    // A file that only looks like a PNG (its image data is not a deflate stream) gives none.
    TTransparency png = NotTransp;
    EXPECT_FALSE(GetImageAndMaskFromFile(TempCopy(Png(3, true), "t.png"), png, m2));
    EXPECT_FALSE(m2);
}

TEST(Loader, StreamsTakeBmpJpegAndPngButNotGif) {
    TTransparency t = LLCorner;
    std::unique_ptr<TBitmap> mask;
    EXPECT_FALSE(GetImageAndMaskFromStream(nullptr, t, mask));
    TMemoryStream small;
    small.WriteString("BM0123456789");
    EXPECT_FALSE(GetImageAndMaskFromStream(&small, t, mask));
    TMemoryStream gif;
    auto g = ReadFileBytes(DataPath("stripes.gif"));
    gif.WriteBuffer(g.data(), static_cast<int64_t>(g.size()));
    EXPECT_FALSE(GetImageAndMaskFromStream(&gif, t, mask));
    TMemoryStream bmp;
    auto b = ReadFileBytes(DataPath("stripes-24.bmp"));
    bmp.WriteBuffer(b.data(), static_cast<int64_t>(b.size()));
    auto bm = GetImageAndMaskFromStream(&bmp, t, mask);
    ASSERT_TRUE(bm);
    ASSERT_TRUE(mask);
    EXPECT_EQ(mask->Width(), 37);
    TMemoryStream jpg;
    auto j = ReadFileBytes(DataPath("smooth.jpg"));
    jpg.WriteBuffer(j.data(), static_cast<int64_t>(j.size()));
    TTransparency jt = LLCorner;
    auto jb = GetImageAndMaskFromStream(&jpg, jt, mask);
    ASSERT_TRUE(jb);
    EXPECT_EQ(jt, NotTransp);
    EXPECT_FALSE(mask);
}

TEST(Loader, EightBitDisplaysGetTheSharedPalette) {
    TColorBitsScope eight(8);
    auto jpg = GetImageFromFile(DataPath("smooth.jpg"));
    ASSERT_TRUE(jpg);
    EXPECT_EQ(jpg->PixelFormat(), pf8bit);
    EXPECT_EQ(jpg->Palette(), SharedPaletteEntries());
    auto bmp = GetImageFromFile(DataPath("stripes-24.bmp"));
    ASSERT_TRUE(bmp);
    EXPECT_EQ(bmp->Palette(), SharedPaletteEntries());
    auto gif = GetImageFromFile(DataPath("noise.gif"));
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->PixelFormat(), pf8bit);
}

TEST(Mask, PaletteRelativeMatching) {
    TBitmap b(3, 1, pf8bit);
    b.Palette() = TPalette({{0, 0, 0}, {200, 0, 0}, {200, 0, 0}});
    b.SetIndex(0, 0, 1);
    b.SetIndex(1, 0, 2);
    auto m = GetImageMask(&b, true, RGB(190, 5, 5)); // nearest entry: 200, 0, 0
    EXPECT_EQ(m->GetIndex(0, 0), 1);
    EXPECT_EQ(m->GetIndex(1, 0), 1);
    EXPECT_EQ(m->GetIndex(2, 0), 0);
    EXPECT_EQ(GetImageMask(nullptr, false, 0), nullptr);
}

TEST(Dib, LayoutAndRoundTrip) {
    TBitmap b(5, 3, pf8bit);
    b.Palette() = TPalette({{1, 2, 3}, {4, 5, 6}});
    b.SetIndex(4, 0, 1);
    TDib dib(b);
    EXPECT_EQ(dib.BitCount(), 8);
    EXPECT_EQ(dib.InfoSize(), 40 + 4 * 256);
    EXPECT_EQ(dib.ImageSize(), 8 * 3);    // rows padded to 32 bits
    EXPECT_EQ(dib.Info()[40 + 4], 6);     // blue of entry 1 first
    EXPECT_EQ(dib.Image()[2 * 8 + 4], 1); // top row stored last
    auto dev = dib.CreateDIBmp();
    EXPECT_EQ(dev->PixelFormat(), pf24bit);
    EXPECT_EQ(dev->GetPixel(4, 0), RGB(4, 5, 6));
    TDib deep(*dev);
    EXPECT_EQ(deep.InfoSize(), 40);
    EXPECT_EQ(deep.ImageSize(), 16 * 3);
    TCanvas c(10, 10);
    dib.DrawDib(c, 0, 0, 10, 6, cmSrcCopy);
    EXPECT_EQ(c.GetPixel(9, 0), RGB(4, 5, 6));
    EXPECT_EQ(c.GetPixel(0, 0), RGB(1, 2, 3));
}

TEST(DrawTransparentTest, MaskedPixelsKeepTheBackground) {
    TBitmap img(2, 1, pf24bit);
    img.SetPixel(0, 0, RGB(10, 20, 30));
    img.SetPixel(1, 0, RGB(200, 200, 200));
    TBitmap mask(2, 1, pf1bit);
    mask.SetIndex(1, 0, 1);
    TCanvas c(4, 1);
    c.Brush.Color = RGB(7, 7, 7);
    c.FillRect(Rect(0, 0, 4, 1));
    DrawTransparent(c, img, mask, 0, 0, 4, 1);
    EXPECT_EQ(c.GetPixel(0, 0), RGB(10, 20, 30));
    EXPECT_EQ(c.GetPixel(1, 0), RGB(10, 20, 30));
    EXPECT_EQ(c.GetPixel(2, 0), RGB(7, 7, 7));
    EXPECT_EQ(c.GetPixel(3, 0), RGB(7, 7, 7));
}
