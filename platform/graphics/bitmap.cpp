#include "platform/graphics/bitmap.h"

#include <algorithm>
#include <cstring>

#include "platform/base/exceptions.h"

namespace {

int BitsOf(TPixelFormat f) {
    switch (f) {
    case pf1bit:
        return 1;
    case pf8bit:
        return 8;
    case pf24bit:
        break;
    }
    return 24;
}

// Bytes of one DIB row: padded to a multiple of 32 bits. Computed in 64 bits by the caller's
// limits, so it fits an int for every accepted width.
int64_t RowBytesOf(int64_t width, TPixelFormat f) {
    return (BitsOf(f) * width + 31) / 32 * 4;
}

void CheckSize(int width, int height) {
    if (width < 0 || height < 0 || static_cast<int64_t>(width) * height > TBitmap::MaxBitmapPixels)
        throw EOutOfMemory("Bitmap too large");
    // A 1 x N picture is within the pixel limit but a very wide one could still overflow the
    // row size: the pixel limit keeps width below 2^26, so 24 * width + 31 fits 64 bits and
    // the row stays far below 2^31.
}

TPalette MonoPalette() {
    return TPalette({TPaletteEntry{0, 0, 0}, TPaletteEntry{255, 255, 255}});
}

} // namespace

TBitmap::TBitmap(int width, int height, TPixelFormat format) : format_(format) {
    if (format == pf1bit)
        palette_ = MonoPalette();
    SetSize(width, height);
}

void TBitmap::SetSize(int width, int height) {
    CheckSize(width, height);
    const int64_t row = RowBytesOf(width, format_);
    const int64_t total = row * height;
    std::vector<uint8_t> data(static_cast<size_t>(total), 0);
    data_.swap(data);
    width_ = width;
    height_ = height;
    row_bytes_ = static_cast<int>(row);
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == format_)
        return;
    TBitmap out;
    out.format_ = format;
    if (format == pf1bit)
        out.palette_ = MonoPalette();
    else
        out.palette_ = palette_; // kept by 24-bit bitmaps too, so a round trip finds it again
    out.SetSize(width_, height_);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            if (format_ == pf1bit && format == pf8bit)
                out.SetIndex(x, y, GetIndex(x, y)); // the two-entry palette comes along
            else
                out.SetPixel(x, y, GetPixel(x, y));
        }
    }
    *this = std::move(out);
}

TColor TBitmap::GetPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return clBlack;
    const uint8_t* row = ScanLine(y);
    switch (format_) {
    case pf24bit: {
        const uint8_t* p = row + static_cast<size_t>(x) * 3;
        return RGB(p[2], p[1], p[0]);
    }
    case pf8bit:
        return palette_.ColorOf(row[x]);
    case pf1bit:
        return palette_.ColorOf((row[x >> 3] >> (7 - (x & 7))) & 1);
    }
    return clBlack;
}

void TBitmap::SetPixel(int x, int y, TColor color) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    uint8_t* row = ScanLine(y);
    switch (format_) {
    case pf24bit: {
        uint8_t* p = row + static_cast<size_t>(x) * 3;
        p[0] = GetBValue(color);
        p[1] = GetGValue(color);
        p[2] = GetRValue(color);
        break;
    }
    case pf8bit:
        row[x] = static_cast<uint8_t>(palette_.NearestIndex(color));
        break;
    case pf1bit:
        SetIndex(x, y, ColorToRGB(color) != clBlack ? 1 : 0);
        break;
    }
}

uint8_t TBitmap::GetIndex(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0;
    const uint8_t* row = ScanLine(y);
    switch (format_) {
    case pf8bit:
        return row[x];
    case pf1bit:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case pf24bit:
        break;
    }
    return 0;
}

void TBitmap::SetIndex(int x, int y, uint8_t index) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    uint8_t* row = ScanLine(y);
    switch (format_) {
    case pf8bit:
        row[x] = index;
        break;
    case pf1bit: {
        const uint8_t m = static_cast<uint8_t>(0x80 >> (x & 7));
        if (index & 1)
            row[x >> 3] |= m;
        else
            row[x >> 3] &= static_cast<uint8_t>(~m);
        break;
    }
    case pf24bit:
        break;
    }
}

void TBitmap::Fill(TColor color) {
    if (Empty())
        return;
    switch (format_) {
    case pf24bit:
        for (int x = 0; x < width_; ++x)
            SetPixel(x, 0, color);
        break;
    case pf8bit:
        std::memset(ScanLine(0), palette_.NearestIndex(color), static_cast<size_t>(width_));
        break;
    case pf1bit:
        // Whole bytes, padding included: padding bits are never read.
        std::memset(ScanLine(0), ColorToRGB(color) != clBlack ? 0xFF : 0x00,
                    static_cast<size_t>(row_bytes_));
        break;
    }
    for (int y = 1; y < height_; ++y)
        std::memcpy(ScanLine(y), ScanLine(0), static_cast<size_t>(row_bytes_));
}
