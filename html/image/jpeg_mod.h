#pragma once
// TJpegMod: JPEG decoding through libjpeg into a 24-bit bitmap, or an 8-bit one mapped onto a
// given palette with Floyd-Steinberg dithering for palette displays. Library errors come back
// as a failed load, never as an exit.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/base/streams.h"
#include "platform/graphics/bitmap.h"

enum TJpegPixelFormat { jf24Bit, jf8Bit };

class TJpegMod {
public:
    TJpegPixelFormat PixelFormat = jf24Bit;
    // Palette for 8-bit output (up to 256 entries); without one, libjpeg picks its own.
    const TPalette* Palette = nullptr;

    bool LoadFromMemory(const uint8_t* data, size_t size);
    bool LoadFromStream(TStream& stream);
    // The decoded picture (none before a successful load); ownership passes to the caller.
    std::unique_ptr<TBitmap> TakeBitmap() { return std::move(bitmap_); }
    const TBitmap* Bitmap() const { return bitmap_.get(); }

private:
    std::unique_ptr<TBitmap> bitmap_;
};
