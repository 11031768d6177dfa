#pragma once
// TBitmap: a device-independent picture in one of three formats. 1-bit bitmaps are masks
// (bit set = white, the toolkit's convention), 8-bit ones index a palette, 24-bit ones hold
// RGB. Pixels are stored top row first, each row padded to 4 bytes like a DIB, so decoders can
// fill scan lines directly: 24-bit pixels are three bytes in DIB order (blue, green, red),
// 1-bit rows hold the leftmost pixel in the most significant bit. A new 8-bit bitmap has an
// empty palette (every index reads as black) until its maker sets one. Drawing onto a canvas
// lives in canvas.h, bitmap-to-bitmap blits in blit.h.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/graphics/color.h"
#include "platform/graphics/palette.h"

enum TPixelFormat { pf1bit, pf8bit, pf24bit };

class TBitmap {
public:
    TBitmap() = default;
    // Raises EOutOfMemory when width x height is beyond what the engine accepts
    // (MaxBitmapPixels) or negative.
    TBitmap(int width, int height, TPixelFormat format);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    TPixelFormat PixelFormat() const { return format_; }
    // Resizes (contents cleared to zero) and/or changes the format.
    void SetSize(int width, int height);
    void SetPixelFormat(TPixelFormat format); // converts the pixels (8->24 through the palette;
                                              // 24->8 by nearest palette colour; to 1-bit:
                                              // white (bit set) where the pixel is not black)
    // Bytes per row including the padding.
    int RowBytes() const { return row_bytes_; }
    uint8_t* ScanLine(int y) { return data_.data() + static_cast<size_t>(y) * row_bytes_; }
    const uint8_t* ScanLine(int y) const {
        return data_.data() + static_cast<size_t>(y) * row_bytes_;
    }

    // Palette of an 8-bit (256 entries at most) or 1-bit (2 entries: black, white) bitmap.
    TPalette& Palette() { return palette_; }
    const TPalette& Palette() const { return palette_; }

    // Colour of a pixel (through the palette for 1 and 8 bits); out-of-range reads give clBlack.
    TColor GetPixel(int x, int y) const;
    // Sets a pixel: 24-bit stores the RGB, 8-bit stores the nearest palette index, 1-bit sets the
    // bit when the colour is not black. Out-of-range writes are ignored.
    void SetPixel(int x, int y, TColor color);
    // Raw access for 8-bit (index) and 1-bit (0/1) bitmaps.
    uint8_t GetIndex(int x, int y) const;
    void SetIndex(int x, int y, uint8_t index);

    void Fill(TColor color);
    // Deep copy.
    std::unique_ptr<TBitmap> Clone() const { return std::make_unique<TBitmap>(*this); }

    // Largest picture the engine allocates (64 megapixels); decoders check sizes against it
    // before allocating.
    static constexpr int64_t MaxBitmapPixels = 64LL * 1024 * 1024;

private:
    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = pf24bit;
    int row_bytes_ = 0;
    std::vector<uint8_t> data_;
    TPalette palette_;
};
