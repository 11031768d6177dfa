#pragma once
// Byte layout of 24-bit bitmap rows, kept in one place so the decoders and the colour reducer
// can work on scan lines directly instead of pixel by pixel.
#include <cstdint>

#include "platform/graphics/bitmap.h"

namespace folio_image {

// Offsets of the channels inside one 3-byte pixel of a pf24bit TBitmap row.
constexpr int kRed = 2;
constexpr int kGreen = 1;
constexpr int kBlue = 0;

inline void PutRGB(uint8_t* p, uint8_t r, uint8_t g, uint8_t b) {
    p[kRed] = r;
    p[kGreen] = g;
    p[kBlue] = b;
}
inline void PutColor(uint8_t* p, TColor c) {
    PutRGB(p, GetRValue(c), GetGValue(c), GetBValue(c));
}
// Bit of a 1-bit row (most significant bit first, as in a DIB).
inline bool GetBit(const uint8_t* row, int x) {
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}
inline void SetBit(uint8_t* row, int x, bool on) {
    uint8_t m = static_cast<uint8_t>(0x80 >> (x & 7));
    if (on)
        row[x >> 3] |= m;
    else
        row[x >> 3] &= static_cast<uint8_t>(~m);
}

} // namespace folio_image
