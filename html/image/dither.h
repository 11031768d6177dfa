#pragma once
// Colour reduction for palette displays: nearest-colour and Floyd-Steinberg mapping of a picture
// onto a fixed or optimised palette. The GIF decoder and the image loader call
// DisplayReduction; the rest is here for them and for tests.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/graphics/bitmap.h"

// Which palette a reduction gives its result.
enum TColorReduction : int {
    rmNone = 0,           // no palette: the result is a 24-bit copy
    rmWindows20 = 1,      // the 20 static colours of the default palette
    rmNetscape = 3,       // the 216-colour cube, levels 0, 51, ..., 255
    rmMyPalette = 4,      // the shared display palette
    rmQuantizeWindows = 5 // octree palette framed by the static colours
};

enum TDitherMode : int { dmNearest = 0, dmFloydSteinberg = 1 };

// The 20 static colours of the host's default palette (10 first, 10 last), a fixed table here.
const std::vector<TPaletteEntry>& StaticColors();

// 24-bit row access to a bitmap: pixels as blue, green, red bytes. Bitmaps already at 24 bits
// are read in place; others are converted once into a private copy, so the caller's bitmap is
// never changed.
class TDIBReader {
public:
    explicit TDIBReader(const TBitmap& bitmap);
    int Width() const { return bits_->Width(); }
    int Height() const { return bits_->Height(); }
    const uint8_t* ScanLine(int y) const;

private:
    const TBitmap* bits_;
    std::unique_ptr<TBitmap> copy_;
};

class TColorLookup {
public:
    virtual ~TColorLookup() = default;
    virtual int Colors() const = 0;
    // Index of the palette colour chosen for (r, g, b); that colour is stored in `color`.
    virtual uint8_t Lookup(uint8_t r, uint8_t g, uint8_t b, TPaletteEntry& color) = 0;
};

// Nearest colour by the sum of absolute channel differences, cached per 15-bit colour: the
// first pixel of each 5-bit-per-channel cell decides for the whole cell.
class TFastColorLookup : public TColorLookup {
public:
    explicit TFastColorLookup(const TPalette& palette);
    int Colors() const override { return static_cast<int>(palette_.size()); }
    uint8_t Lookup(uint8_t r, uint8_t g, uint8_t b, TPaletteEntry& color) override;

private:
    static int Slot(uint8_t r, uint8_t g, uint8_t b) {
        return (r >> 3) | (g >> 3) << 5 | (b >> 3) << 10;
    }
    std::vector<TPaletteEntry> palette_;
    std::vector<int16_t> inverse_; // 32768 slots, -1 while unknown
};

// The 216-colour cube; computed, no tables.
class TNetscapeColorLookup : public TColorLookup {
public:
    int Colors() const override { return 216; }
    uint8_t Lookup(uint8_t r, uint8_t g, uint8_t b, TPaletteEntry& color) override;
};

// Plain nearest-colour mapping; walks rows alternately left to right and right to left.
class TDitherEngine {
public:
    TDitherEngine(TColorLookup& lookup, int width) : lookup_(lookup), width_(width) {}
    virtual ~TDitherEngine() = default;
    virtual uint8_t Dither(uint8_t r, uint8_t g, uint8_t b, TPaletteEntry& color);
    virtual void NextLine();
    int Direction() const { return direction_; }
    int Column() const { return column_; }

protected:
    TColorLookup& lookup_;
    int width_;
    int direction_ = 1;
    int column_ = 0;
};

// Floyd-Steinberg error diffusion (7/16 ahead, 3/16 below-behind, 5/16 below, 1/16
// below-ahead) in serpentine order.
class TFloydSteinbergEngine : public TDitherEngine {
public:
    TFloydSteinbergEngine(TColorLookup& lookup, int width);
    uint8_t Dither(uint8_t r, uint8_t g, uint8_t b, TPaletteEntry& color) override;
    void NextLine() override;

private:
    struct Channel {
        std::vector<int32_t> errors; // width + 2 entries; entry i belongs to column i - 1
        int32_t carry = 0;           // to the next pixel of the row
        int32_t belowPrev = 0;       // to the pixel below and behind
        int32_t below = 0;           // to the pixel below
    };
    int Correct(Channel& c, uint8_t v) const;
    void Spread(Channel& c, int d);
    Channel ch_[3];
    int pos_ = 0;
};

// Makes a bitmap of the source's size whose palette is chosen by `reduction` and whose pixels
// are mapped by `dither`. Mode 0 gives a 24-bit copy; unknown modes an empty 8-bit picture.
std::unique_ptr<TBitmap> ReduceColors(const TBitmap& source, int reduction, int dither);

// The reduction a palette display needs: the static colours below 8 colour bits, else the
// shared palette, with Floyd-Steinberg dithering. None for a missing or empty bitmap.
std::unique_ptr<TBitmap> DisplayReduction(const TBitmap* source);

// An optimised palette for the picture: `colors` entries from the octree quantiser, or 256
// entries with the static colours at 0-9 and 246-255 around 236 quantised ones.
TPalette CreateOptimizedPalette(const TBitmap& bitmap, int colors, int colorBits,
                                bool systemColors);
