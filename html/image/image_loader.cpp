#include "html/image/image_loader.h"

#include <vector>

#include "html/image/bmp_reader.h"
#include "html/image/dib.h"
#include "html/image/display.h"
#include "html/image/dither.h"
#include "html/image/gif_image.h"
#include "html/image/jpeg_mod.h"
#include "html/image/pixels.h"
#include "html/image/png_reader.h"
#include "platform/base/files.h"
#include "platform/base/strings.h"

using namespace folio_image;

namespace {

bool ReadWholeFile(const std::string& fileName, std::vector<uint8_t>& out) {
    try {
        TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
        int64_t size = f.Size();
        if (size <= 0)
            return false;
        out.resize(static_cast<size_t>(size));
        f.ReadBuffer(out.data(), size);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::unique_ptr<TBitmap> DecodeJpeg(const uint8_t* data, size_t size) {
    TJpegMod jpeg;
    if (ColorBits() > 8) {
        jpeg.PixelFormat = jf24Bit;
    } else {
        jpeg.PixelFormat = jf8Bit;
        jpeg.Palette = ThePalette();
    }
    if (!jpeg.LoadFromMemory(data, size))
        return nullptr;
    return jpeg.TakeBitmap();
}

// Decodes bytes of a known kind; `converted` is set when the result needs no further display
// preparation (a still GIF already reduced by the GIF decoder).
std::unique_ptr<TBitmap> Decode(const uint8_t* data, size_t size, bool& converted) {
    converted = false;
    switch (KindOfImage(data, size)) {
    case ikBMP:
        return ReadBMP(data, size);
    case ikGIF87:
    case ikGIF89: {
        bool nonAnimated = true;
        auto gif = CreateAGifFromMemory(data, size, nonAnimated);
        if (!gif)
            return nullptr;
        converted = nonAnimated;
        return gif->StillBitmap();
    }
    case ikJPEG:
        return DecodeJpeg(data, size);
    case ikPNG:
        return ReadPNG(data, size);
    default:
        return nullptr;
    }
}

// A PNG carries its own transparency: where it has some, that is the mask (kind 3, partly
// transparent pixels blending); an opaque one takes the lower-left corner's colour when asked.
std::unique_ptr<TBitmap> LoadPng(const uint8_t* data, size_t size, TTransparency& transparent,
                                 std::unique_ptr<TBitmap>& mask) {
    std::unique_ptr<TBitmap> alpha;
    std::unique_ptr<TBitmap> bitmap = ReadPNG(data, size, &alpha);
    if (!bitmap)
        return nullptr;
    if (alpha) {
        transparent = TPng;
        mask = std::move(alpha);
    } else if (transparent == LLCorner) {
        mask = GetImageMask(bitmap.get(), false, clBlack);
    } else {
        transparent = NotTransp;
    }
    return ConvertForDisplay(std::move(bitmap));
}

} // namespace

std::unique_ptr<TBitmap> ConvertForDisplay(std::unique_ptr<TBitmap> bitmap) {
    if (!bitmap || bitmap->Empty())
        return bitmap;
    if (ColorBits() <= 8)
        return DisplayReduction(bitmap.get());
    if (bitmap->PixelFormat() != pf24bit)
        return TDib(*bitmap).CreateDIBmp();
    return bitmap;
}

std::unique_ptr<TBitmap> GetImageFromFile(const std::string& fileName, bool convert) {
    try {
        std::vector<uint8_t> data;
        if (!ReadWholeFile(fileName, data))
            return nullptr;
        bool converted = false;
        auto bitmap = Decode(data.data(), data.size(), converted);
        if (bitmap && convert && !converted)
            bitmap = ConvertForDisplay(std::move(bitmap));
        return bitmap;
    } catch (const std::exception&) {
        return nullptr;
    }
}

std::unique_ptr<TBitmap> GetImageMask(const TBitmap* image, bool colorValid, TColor color) {
    if (!image || image->Empty())
        return nullptr;
    const int w = image->Width(), h = image->Height();
    auto mask = std::make_unique<TBitmap>(w, h, pf1bit);
    if (!colorValid)
        color = image->GetPixel(0, h - 1);
    color = ColorToRGB(color);
    if (image->PixelFormat() == pf8bit) {
        // Palette-relative: every entry with the colour of the nearest entry counts.
        const TPalette& pal = image->Palette();
        const TColor target = pal.ColorOf(pal.NearestIndex(color));
        bool hit[256] = {};
        for (int i = 0; i < 256; ++i)
            hit[i] = pal.ColorOf(i) == target;
        for (int y = 0; y < h; ++y) {
            const uint8_t* s = image->ScanLine(y);
            uint8_t* m = mask->ScanLine(y);
            for (int x = 0; x < w; ++x)
                if (hit[s[x]])
                    SetBit(m, x, true);
        }
    } else {
        for (int y = 0; y < h; ++y) {
            uint8_t* m = mask->ScanLine(y);
            for (int x = 0; x < w; ++x)
                if (image->GetPixel(x, y) == color)
                    SetBit(m, x, true);
        }
    }
    return mask;
}

std::unique_ptr<TBitmap> GetImageAndMaskFromFile(const std::string& fileName,
                                                 TTransparency& transparent,
                                                 std::unique_ptr<TBitmap>& mask) {
    mask.reset();
    try {
        if (!FileExists(fileName))
            return nullptr;
        if (KindOfImageFile(fileName) == ikPNG) {
            std::vector<uint8_t> data;
            if (!ReadWholeFile(fileName, data))
                return nullptr;
            return LoadPng(data.data(), data.size(), transparent, mask);
        }
        const std::string ext = LowerCase(ExtractFileExt(fileName));
        TColor color = clBlack;
        if (ext == ".gif" && IsTransparentGif(fileName, color))
            transparent = TGif;
        if (transparent == NotTransp)
            return GetImageFromFile(fileName, true);
        auto raw = GetImageFromFile(fileName, false);
        mask = GetImageMask(raw.get(), transparent != LLCorner, color);
        if (!mask)
            return nullptr;
        raw.reset();
        auto result = GetImageFromFile(fileName, true);
        if (!result)
            mask.reset();
        return result;
    } catch (const std::exception&) {
        mask.reset();
        return nullptr;
    }
}

std::unique_ptr<TBitmap> GetImageAndMaskFromStream(TMemoryStream* stream,
                                                   TTransparency& transparent,
                                                   std::unique_ptr<TBitmap>& mask) {
    mask.reset();
    if (!stream || stream->Size() < 20)
        return nullptr;
    try {
        const uint8_t* data = stream->Memory();
        const size_t size = static_cast<size_t>(stream->Size());
        std::unique_ptr<TBitmap> bitmap;
        switch (KindOfImage(data, size)) {
        case ikJPEG:
            transparent = NotTransp;
            bitmap = DecodeJpeg(data, size);
            break;
        case ikBMP:
            bitmap = ReadBMP(data, size);
            break;
        case ikPNG:
            return LoadPng(data, size, transparent, mask);
        default:
            return nullptr;
        }
        if (!bitmap)
            return nullptr;
        if (transparent == LLCorner)
            mask = GetImageMask(bitmap.get(), false, clBlack);
        return ConvertForDisplay(std::move(bitmap));
    } catch (const std::exception&) {
        mask.reset();
        return nullptr;
    }
}

void DrawTransparent(TCanvas& canvas, const TBitmap& image, const TBitmap& mask, int x, int y,
                     int width, int height) {
    canvas.DrawMasked(Bounds(x, y, width, height), image, mask);
}
