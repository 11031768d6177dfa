#include "html/image/dib.h"

#include <cstring>

#include "html/image/display.h"

namespace {

void PutLe32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i)
        v[at + static_cast<size_t>(i)] = static_cast<uint8_t>(x >> (8 * i));
}
void PutLe16(std::vector<uint8_t>& v, size_t at, uint16_t x) {
    v[at] = static_cast<uint8_t>(x);
    v[at + 1] = static_cast<uint8_t>(x >> 8);
}

} // namespace

TDib::TDib(const TBitmap& bitmap)
    : width_(bitmap.Width()), height_(bitmap.Height()),
      bits_(bitmap.PixelFormat() == pf1bit   ? 1
            : bitmap.PixelFormat() == pf8bit ? 8
                                             : 24) {
    const int colors = bits_ <= 8 ? 1 << bits_ : 0;
    info_.assign(40 + 4 * static_cast<size_t>(colors), 0);
    PutLe32(info_, 0, 40);
    PutLe32(info_, 4, static_cast<uint32_t>(width_));
    PutLe32(info_, 8, static_cast<uint32_t>(height_));
    PutLe16(info_, 12, 1);
    PutLe16(info_, 14, static_cast<uint16_t>(bits_));
    // compression none, resolutions 0
    const TPalette& pal = bitmap.Palette();
    for (int i = 0; i < colors && i < pal.Count(); ++i) {
        const size_t at = 40 + 4 * static_cast<size_t>(i);
        info_[at] = pal[i].b;
        info_[at + 1] = pal[i].g;
        info_[at + 2] = pal[i].r;
    }
    const size_t rowBytes =
        (static_cast<size_t>(bits_) * static_cast<size_t>(width_) + 31) / 32 * 4;
    image_.assign(rowBytes * static_cast<size_t>(height_), 0);
    // TBitmap rows use the same padding; the DIB stores them bottom-up.
    for (int y = 0; y < height_; ++y)
        std::memcpy(image_.data() + rowBytes * static_cast<size_t>(height_ - 1 - y),
                    bitmap.ScanLine(y), rowBytes);
}

std::unique_ptr<TBitmap> TDib::ToBitmap() const {
    TPixelFormat f = bits_ == 1 ? pf1bit : bits_ == 8 ? pf8bit : pf24bit;
    auto b = std::make_unique<TBitmap>(width_, height_, f);
    if (bits_ <= 8) {
        std::vector<TPaletteEntry> entries(static_cast<size_t>(1 << bits_));
        for (size_t i = 0; i < entries.size(); ++i)
            entries[i] = {info_[40 + 4 * i + 2], info_[40 + 4 * i + 1], info_[40 + 4 * i]};
        b->Palette() = TPalette(std::move(entries));
    }
    const size_t rowBytes = static_cast<size_t>(b->RowBytes());
    for (int y = 0; y < height_; ++y)
        std::memcpy(b->ScanLine(y), image_.data() + rowBytes * static_cast<size_t>(height_ - 1 - y),
                    rowBytes);
    return b;
}

void TDib::DrawDib(TCanvas& canvas, int x, int y, int width, int height, TCopyMode mode) const {
    if (width_ == 0 || height_ == 0)
        return;
    auto b = ToBitmap();
    canvas.StretchBlt(Bounds(x, y, width, height), *b, Rect(0, 0, width_, height_), mode);
}

std::unique_ptr<TBitmap> TDib::CreateDIBmp() const {
    auto b = ToBitmap();
    b->SetPixelFormat(pf24bit);
    if (const TPalette* shared = ThePalette()) {
        b->Palette() = *shared;
        b->SetPixelFormat(pf8bit);
    }
    return b;
}
