#include "html/image/dither.h"

#include <algorithm>
#include <cstdlib>

#include "html/image/display.h"
#include "html/image/octree.h"
#include "html/image/pixels.h"

using namespace folio_image;

const std::vector<TPaletteEntry>& StaticColors() {
    static const std::vector<TPaletteEntry> colors = {
        {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
        {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
        {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
        {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
    };
    return colors;
}

TDIBReader::TDIBReader(const TBitmap& bitmap) : bits_(&bitmap) {
    if (bitmap.PixelFormat() != pf24bit) {
        copy_ = bitmap.Clone();
        copy_->SetPixelFormat(pf24bit);
        bits_ = copy_.get();
    }
}

const uint8_t* TDIBReader::ScanLine(int y) const {
    return bits_->ScanLine(y);
}

TFastColorLookup::TFastColorLookup(const TPalette& palette)
    : palette_(palette.Entries()), inverse_(32768, -1) {
    if (palette_.size() > 256)
        palette_.resize(256);
    for (size_t i = 0; i < palette_.size(); ++i) {
        int s = Slot(palette_[i].r, palette_[i].g, palette_[i].b);
        if (inverse_[s] < 0)
            inverse_[s] = static_cast<int16_t>(i);
    }
}

uint8_t TFastColorLookup::Lookup(uint8_t r, uint8_t g, uint8_t b, TPaletteEntry& color) {
    int s = Slot(r, g, b);
    int index = inverse_[s];
    if (index < 0) {
        int best = 1 << 30;
        index = 0;
        for (size_t i = 0; i < palette_.size(); ++i) {
            const TPaletteEntry& e = palette_[i];
            int d = std::abs(e.r - r) + std::abs(e.g - g) + std::abs(e.b - b);
            if (d < best) {
                best = d;
                index = static_cast<int>(i);
            }
        }
        inverse_[s] = static_cast<int16_t>(index);
    }
    color = palette_[static_cast<size_t>(index)];
    return static_cast<uint8_t>(index);
}

uint8_t TNetscapeColorLookup::Lookup(uint8_t r, uint8_t g, uint8_t b, TPaletteEntry& color) {
    int rl = (r + 3) / 51, gl = (g + 3) / 51, bl = (b + 3) / 51;
    color = {static_cast<uint8_t>(rl * 51), static_cast<uint8_t>(gl * 51),
             static_cast<uint8_t>(bl * 51)};
    return static_cast<uint8_t>(36 * rl + 6 * gl + bl);
}

uint8_t TDitherEngine::Dither(uint8_t r, uint8_t g, uint8_t b, TPaletteEntry& color) {
    column_ += direction_;
    return lookup_.Lookup(r, g, b, color);
}

void TDitherEngine::NextLine() {
    direction_ = -direction_;
    column_ = direction_ > 0 ? 0 : width_ - 1;
}

TFloydSteinbergEngine::TFloydSteinbergEngine(TColorLookup& lookup, int width)
    : TDitherEngine(lookup, width) {
    for (Channel& c : ch_)
        c.errors.assign(static_cast<size_t>(width) + 2, 0);
}

int TFloydSteinbergEngine::Correct(Channel& c, uint8_t v) const {
    int e = c.errors[static_cast<size_t>(pos_ + direction_)];
    int corrected = v + (e + c.carry + 8) / 16;
    return std::clamp(corrected, 0, 255);
}

void TFloydSteinbergEngine::Spread(Channel& c, int d) {
    c.errors[static_cast<size_t>(pos_)] = c.belowPrev + 3 * d;
    c.belowPrev = c.below + 5 * d;
    c.below = d;
    c.carry = 7 * d;
}

uint8_t TFloydSteinbergEngine::Dither(uint8_t r, uint8_t g, uint8_t b, TPaletteEntry& color) {
    int cr = Correct(ch_[0], r), cg = Correct(ch_[1], g), cb = Correct(ch_[2], b);
    uint8_t index = lookup_.Lookup(static_cast<uint8_t>(cr), static_cast<uint8_t>(cg),
                                   static_cast<uint8_t>(cb), color);
    Spread(ch_[0], cr - color.r);
    Spread(ch_[1], cg - color.g);
    Spread(ch_[2], cb - color.b);
    pos_ += direction_;
    column_ += direction_;
    return index;
}

void TFloydSteinbergEngine::NextLine() {
    for (Channel& c : ch_) {
        c.errors[static_cast<size_t>(pos_)] = c.belowPrev;
        c.carry = c.belowPrev = c.below = 0;
    }
    TDitherEngine::NextLine();
    pos_ = direction_ > 0 ? 0 : width_ + 1;
}

namespace {

TPalette PaletteFor(int reduction, const TBitmap& source) {
    switch (reduction) {
    case rmWindows20:
        return TPalette(StaticColors());
    case rmNetscape: {
        std::vector<TPaletteEntry> cube;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    cube.push_back({static_cast<uint8_t>(r * 51), static_cast<uint8_t>(g * 51),
                                    static_cast<uint8_t>(b * 51)});
        return TPalette(std::move(cube));
    }
    case rmMyPalette:
        return ThePalette() ? *ThePalette() : SharedPaletteEntries();
    case rmQuantizeWindows:
        return CreateOptimizedPalette(source, 236, 8, true);
    default:
        return TPalette();
    }
}

} // namespace

std::unique_ptr<TBitmap> ReduceColors(const TBitmap& source, int reduction, int dither) {
    if (reduction == rmNone) {
        auto copy = source.Clone();
        copy->SetPixelFormat(pf24bit);
        return copy;
    }
    auto result = std::make_unique<TBitmap>(source.Width(), source.Height(), pf8bit);
    if (source.Empty())
        return result;
    TPalette palette = PaletteFor(reduction, source);
    result->Palette() = palette;
    std::unique_ptr<TColorLookup> lookup;
    if (reduction == rmNetscape)
        lookup = std::make_unique<TNetscapeColorLookup>();
    else
        lookup = std::make_unique<TFastColorLookup>(palette);
    if (lookup->Colors() == 0)
        return result;

    const int width = source.Width();
    std::unique_ptr<TDitherEngine> engine;
    if (dither == dmNearest)
        engine = std::make_unique<TDitherEngine>(*lookup, width);
    else if (dither == dmFloydSteinberg)
        engine = std::make_unique<TFloydSteinbergEngine>(*lookup, width);
    else
        return result;

    TDIBReader reader(source);
    TPaletteEntry color;
    for (int y = 0; y < source.Height(); ++y) {
        const uint8_t* in = reader.ScanLine(y);
        uint8_t* out = result->ScanLine(y);
        if (engine->Direction() > 0) {
            for (int x = 0; x < width; ++x) {
                const uint8_t* p = in + 3 * x;
                out[x] = engine->Dither(p[kRed], p[kGreen], p[kBlue], color);
            }
        } else {
            for (int x = width - 1; x >= 0; --x) {
                const uint8_t* p = in + 3 * x;
                out[x] = engine->Dither(p[kRed], p[kGreen], p[kBlue], color);
            }
        }
        engine->NextLine();
    }
    return result;
}

std::unique_ptr<TBitmap> DisplayReduction(const TBitmap* source) {
    if (!source || source->Empty())
        return nullptr;
    return ReduceColors(*source, ColorBits() < 8 ? rmWindows20 : rmMyPalette, dmFloydSteinberg);
}

TPalette CreateOptimizedPalette(const TBitmap& bitmap, int colors, int colorBits,
                                bool systemColors) {
    if (systemColors)
        colors = 236;
    TColorQuantizer quantizer(colors, colorBits);
    quantizer.ProcessImage(TDIBReader(bitmap));
    std::vector<TPaletteEntry> table = quantizer.ColorTable();
    if (!systemColors)
        return TPalette(std::move(table));
    const auto& statics = StaticColors();
    std::vector<TPaletteEntry> entries(256);
    std::copy(statics.begin(), statics.begin() + 10, entries.begin());
    std::copy(statics.begin() + 10, statics.end(), entries.begin() + 246);
    for (size_t i = 0; i < table.size() && i < 236; ++i)
        entries[10 + i] = table[i];
    return TPalette(std::move(entries));
}
