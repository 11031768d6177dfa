#pragma once
// TDib: a device-independent copy of a bitmap (40-byte information header, colour table for 8
// bits or fewer, rows padded to 32 bits, bottom-up), the form in which pictures move between
// palettes and devices.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"

class TDib {
public:
    // Copies the bitmap's pixels (1, 8 or 24 bits) with its palette.
    explicit TDib(const TBitmap& bitmap);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitCount() const { return bits_; }
    // The information block (header and colour table) and the pixel rows.
    const std::vector<uint8_t>& Info() const { return info_; }
    int InfoSize() const { return static_cast<int>(info_.size()); }
    const std::vector<uint8_t>& Image() const { return image_; }
    int64_t ImageSize() const { return static_cast<int64_t>(image_.size()); }

    // Stretches the pixels onto the canvas through a raster operation.
    void DrawDib(TCanvas& canvas, int x, int y, int width, int height, TCopyMode mode) const;
    // A device bitmap of the pixels: 24-bit on deep displays, 8-bit with the shared palette on
    // palette displays.
    std::unique_ptr<TBitmap> CreateDIBmp() const;

private:
    std::unique_ptr<TBitmap> ToBitmap() const;
    int width_ = 0, height_ = 0, bits_ = 0;
    std::vector<uint8_t> info_;
    std::vector<uint8_t> image_;
};
