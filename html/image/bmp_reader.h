#pragma once
// Reads Windows BMP files: core and info headers (up to V5), 1, 4, 8, 16, 24 and 32 bits per
// pixel, uncompressed, bit fields, RLE4 and RLE8. Palette pictures become 8-bit bitmaps with
// their colour table; the others 24-bit ones.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/graphics/bitmap.h"

// None for data that is not a complete, sane BMP.
std::unique_ptr<TBitmap> ReadBMP(const uint8_t* data, size_t size);
