#include "html/image/bmp_reader.h"

#include <algorithm>
#include <cstring>

#include "html/image/pixels.h"

using namespace folio_image;

namespace {

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

enum : uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3 };

// Scales a masked channel to 8 bits.
struct TChannel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit TChannel(uint32_t m) : mask(m) {
        if (!m)
            return;
        while (!((m >> shift) & 1))
            ++shift;
        while (bits < 32 - shift && ((m >> (shift + bits)) & 1))
            ++bits;
    }
    uint8_t Get(uint32_t v) const {
        if (!mask)
            return 0;
        uint32_t x = (v & mask) >> shift;
        if (bits >= 8)
            return static_cast<uint8_t>(x >> (bits - 8));
        uint32_t max = (1u << bits) - 1;
        return static_cast<uint8_t>(x * 255 / max);
    }
};

// Run-length data, written straight into the (zeroed) 8-bit bitmap; stored rows run bottom-up
// unless `topDown`. Stops quietly at the end of the data or of the picture; pixels not reached
// stay 0.
void DecodeRle(const uint8_t* p, size_t size, bool four, bool topDown, TBitmap& bmp) {
    const int width = bmp.Width(), height = bmp.Height();
    size_t i = 0;
    int64_t x = 0, y = 0;
    auto put = [&](uint8_t v) {
        if (x < width && y < height)
            bmp.ScanLine(topDown ? static_cast<int>(y) : height - 1 - static_cast<int>(y))[x] = v;
        ++x;
    };
    while (i + 1 < size && y < height) {
        uint8_t count = p[i], value = p[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count; ++k)
                put(four ? ((k & 1) ? value & 15 : value >> 4) : value);
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            break;
        } else if (value == 2) { // delta
            if (i + 1 >= size)
                break;
            x += p[i];
            y += p[i + 1];
            i += 2;
        } else { // absolute run of `value` pixels, padded to a 16-bit boundary
            size_t bytes = four ? (value + 1u) / 2 : value;
            if (i + bytes > size)
                break;
            for (int k = 0; k < value; ++k)
                put(four ? ((k & 1) ? p[i + k / 2] & 15 : p[i + k / 2] >> 4) : p[i + k]);
            i += (bytes + 1) & ~size_t{1};
        }
    }
}

} // namespace

std::unique_ptr<TBitmap> ReadBMP(const uint8_t* data, size_t size) {
    if (!data || size < 14 + 12 || data[0] != 'B' || data[1] != 'M')
        return nullptr;
    const uint32_t bitsOffset = Le32(data + 10);
    const uint8_t* h = data + 14;
    const uint32_t headerSize = Le32(h);
    if (headerSize < 12 || headerSize > size - 14)
        return nullptr;
    int64_t width, height;
    int bits;
    uint32_t compression = BI_RGB, colorsUsed = 0;
    size_t paletteEntrySize = 4;
    if (headerSize == 12) { // OS/2 core header
        width = Le16(h + 4);
        height = static_cast<int16_t>(Le16(h + 6));
        bits = Le16(h + 10);
        paletteEntrySize = 3;
    } else {
        if (headerSize < 40)
            return nullptr;
        width = static_cast<int32_t>(Le32(h + 4));
        height = static_cast<int32_t>(Le32(h + 8));
        bits = Le16(h + 14);
        compression = Le32(h + 16);
        colorsUsed = Le32(h + 32);
    }
    const bool topDown = height < 0;
    if (topDown)
        height = -height;
    if (width <= 0 || height <= 0 || width * height > TBitmap::MaxBitmapPixels)
        return nullptr;

    uint32_t masks[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};
    if (bits == 16)
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    size_t pos = 14 + headerSize;
    if (compression == BI_BITFIELDS) {
        if (bits != 16 && bits != 32)
            return nullptr;
        // The masks sit inside V4/V5 headers, or right after a 40-byte one.
        const uint8_t* m = headerSize >= 52 ? h + 40 : data + pos;
        if (m + 12 > data + size)
            return nullptr;
        for (int i = 0; i < 3; ++i)
            masks[i] = Le32(m + 4 * i);
        if (headerSize < 52)
            pos += 12;
    } else if (compression == BI_RLE8) {
        if (bits != 8)
            return nullptr;
    } else if (compression == BI_RLE4) {
        if (bits != 4)
            return nullptr;
    } else if (compression != BI_RGB) {
        return nullptr;
    }

    const bool indexed = bits == 1 || bits == 4 || bits == 8;
    if (!indexed && bits != 16 && bits != 24 && bits != 32)
        return nullptr;

    // The pixel data is checked against the file before anything of the claimed size is
    // made: a few header bytes must not cost a picture's worth of memory.
    if (bitsOffset >= size)
        return nullptr;
    const uint8_t* px = data + bitsOffset;
    const size_t avail = size - bitsOffset;
    const bool rle = compression == BI_RLE8 || compression == BI_RLE4;
    const int64_t rowBytes = (static_cast<int64_t>(bits) * width + 31) / 32 * 4;
    if (rle) {
        // Plausibility: runs give at most 255 pixels per two bytes; skips and early ends may
        // leave more untouched, but not without limit.
        if (width * height > static_cast<int64_t>(avail) * 256 + 65536)
            return nullptr;
    } else if (rowBytes * height > static_cast<int64_t>(avail)) {
        return nullptr; // cut short
    }

    std::unique_ptr<TBitmap> bmp;
    if (indexed) {
        uint32_t declared = colorsUsed ? colorsUsed : 1u << bits;
        uint32_t count = std::min<uint32_t>(declared, 1u << bits);
        std::vector<TPaletteEntry> palette(1u << bits); // every index has a colour
        for (uint32_t i = 0; i < count; ++i) {
            size_t at = pos + i * paletteEntrySize;
            if (at + 3 > size)
                break; // a short table leaves the rest black
            palette[i] = {data[at + 2], data[at + 1], data[at]};
        }
        bmp = std::make_unique<TBitmap>(static_cast<int>(width), static_cast<int>(height), pf8bit);
        bmp->Palette() = TPalette(std::move(palette));
    } else {
        bmp = std::make_unique<TBitmap>(static_cast<int>(width), static_cast<int>(height), pf24bit);
    }
    const int w = static_cast<int>(width), hgt = static_cast<int>(height);
    auto rowOf = [&](int stored) { return topDown ? stored : hgt - 1 - stored; };

    if (rle) {
        DecodeRle(px, avail, compression == BI_RLE4, topDown, *bmp);
        return bmp;
    }

    const TChannel r(masks[0]), g(masks[1]), b(masks[2]);
    for (int y = 0; y < hgt; ++y) {
        const uint8_t* s = px + static_cast<size_t>(rowBytes) * static_cast<size_t>(y);
        uint8_t* d = bmp->ScanLine(rowOf(y));
        switch (bits) {
        case 1:
            for (int x = 0; x < w; ++x)
                d[x] = (s[x >> 3] >> (7 - (x & 7))) & 1;
            break;
        case 4:
            for (int x = 0; x < w; ++x)
                d[x] = (x & 1) ? s[x >> 1] & 15 : s[x >> 1] >> 4;
            break;
        case 8:
            std::memcpy(d, s, static_cast<size_t>(w));
            break;
        case 24:
            for (int x = 0; x < w; ++x, s += 3, d += 3)
                PutRGB(d, s[2], s[1], s[0]);
            break;
        default: // 16 and 32 through the channel masks
            for (int x = 0; x < w; ++x, d += 3) {
                uint32_t v = bits == 16 ? Le16(s + 2 * x) : Le32(s + 4 * x);
                PutRGB(d, r.Get(v), g.Get(v), b.Get(v));
            }
            break;
        }
    }
    return bmp;
}
