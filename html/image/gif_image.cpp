#include "html/image/gif_image.h"

#include <algorithm>
#include <cstring>

#include "html/image/display.h"
#include "html/image/dither.h"
#include "html/image/gif_lzw.h"
#include "html/image/pixels.h"
#include "platform/base/clock.h"
#include "platform/graphics/canvas.h"

using namespace folio_image;

namespace {

constexpr size_t kMaxFrames = 256;
// The most pixels one byte of LZW data can stand for: a 12-bit code names a string of at most
// 4096 pixels, about 2730 per byte. A frame declared larger than the whole file could hold
// this way is refused before anything is allocated.
constexpr int64_t kPixelsPerByte = 4096;
// The logical screen holds nothing the file encodes: it may exceed the area of its frames
// only this many times (or up to kFreeScreenPixels), so a few bytes cannot ask for a huge
// composition.
constexpr int64_t kScreenPerFramePixels = 16;
constexpr int64_t kFreeScreenPixels = 4 << 20;

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

std::unique_ptr<TBitmap> CopyBitmap(const std::unique_ptr<TBitmap>& b) {
    return b ? b->Clone() : nullptr;
}

// Copies a rectangle of `src` at (sx, sy) into `dst` at (dx, dy); both formats must match.
void CopyArea(const TBitmap& src, int sx, int sy, TBitmap& dst, int dx, int dy, int w, int h) {
    if (src.PixelFormat() == pf24bit) {
        for (int y = 0; y < h; ++y)
            std::memcpy(dst.ScanLine(dy + y) + 3 * dx, src.ScanLine(sy + y) + 3 * sx,
                        static_cast<size_t>(w) * 3);
    } else {
        for (int y = 0; y < h; ++y) {
            const uint8_t* s = src.ScanLine(sy + y);
            uint8_t* d = dst.ScanLine(dy + y);
            for (int x = 0; x < w; ++x)
                SetBit(d, dx + x, GetBit(s, sx + x));
        }
    }
}

void FillArea24(TBitmap& b, int left, int top, int w, int h, uint8_t value) {
    for (int y = 0; y < h; ++y)
        std::memset(b.ScanLine(top + y) + 3 * left, value, static_cast<size_t>(w) * 3);
}

void FillArea1(TBitmap& b, int left, int top, int w, int h, bool on) {
    for (int y = 0; y < h; ++y) {
        uint8_t* row = b.ScanLine(top + y);
        for (int x = 0; x < w; ++x)
            SetBit(row, left + x, on);
    }
}

// Row of the picture that the n-th decoded row lands on.
std::vector<int> RowOrder(int height, bool interlaced) {
    std::vector<int> order;
    order.reserve(static_cast<size_t>(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            order.push_back(y);
        return order;
    }
    static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < height; y += step[pass])
            order.push_back(y);
    return order;
}

// How reading one frame went.
enum class TFrameRead { frOk, frOverBudget, frBroken };

struct TPendingControl {
    bool present = false;
    uint8_t packed = 0;
    int delay = 0;
    int transparentIndex = 0;
};

// Reads one GIF stream; the image keeps what the parser finds.
class TGifParser {
public:
    TGifParser(const uint8_t* data, size_t size, bool headerOnly)
        : data_(data), size_(size), headerOnly_(headerOnly) {}

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool headerOnly_;

    bool Has(size_t n) const { return size_ - pos_ >= n; }

    // Reads the frame at pos_ (the "," separator). Both passes charge the frame to the pixel
    // budget, so they agree on how many frames fit.
    TFrameRead ReadFrame(TgfFrame& f, const TPendingControl& control,
                         const std::array<uint8_t, 768>& global, bool ownPalette,
                         int64_t& pixelBudget) {
        if (!Has(10))
            return TFrameRead::frBroken;
        const uint8_t* d = data_ + pos_;
        f.Left = Le16(d + 1);
        f.Top = Le16(d + 3);
        f.Width = Le16(d + 5);
        f.Height = Le16(d + 7);
        uint8_t packed = d[9];
        pos_ += 10;
        f.Interlaced = (packed & 0x40) != 0;
        if (packed & 0x80) {
            f.Bits = (packed & 7) + 1;
            size_t bytes = 3u << f.Bits;
            if (!Has(bytes))
                return TFrameRead::frBroken;
            f.ColorTable.fill(0);
            if (!headerOnly_)
                std::memcpy(f.ColorTable.data(), data_ + pos_, bytes);
            pos_ += bytes;
        } else {
            f.Bits = 0;
            f.ColorTable = global;
        }
        if (control.present) {
            int disposal = (control.packed >> 2) & 7;
            f.Disposal = disposal <= 1 || disposal == 3 ? disposal : 2;
            f.Delay = control.delay * 10;
            f.Transparent = (control.packed & 1) != 0;
            f.TransparentIndex = control.transparentIndex;
        }
        const uint8_t* t = f.ColorTable.data() + 3 * f.TransparentIndex;
        f.TransparentColor = RGB(t[0], t[1], t[2]);
        f.OwnPalette = ownPalette;

        if (!Has(1))
            return TFrameRead::frBroken;
        int minCodeSize = data_[pos_++];
        std::vector<uint8_t> codes;
        ReadSubBlocks(data_, size_, pos_, headerOnly_ ? nullptr : &codes);
        while (pos_ < size_ && data_[pos_] == 0)
            ++pos_;

        const int64_t pixels = static_cast<int64_t>(f.Width) * f.Height;
        if (pixels == 0)
            return TFrameRead::frOk; // nothing to decode; the caller drops such frames
        if (pixels > static_cast<int64_t>(size_) * kPixelsPerByte)
            return TFrameRead::frBroken;
        if (pixels > pixelBudget)
            return TFrameRead::frOverBudget;
        pixelBudget -= pixels;
        if (headerOnly_)
            return TFrameRead::frOk;

        // Colours: the GIF table, or its nearest entries of the shared palette. The frame is
        // kept as indices with these colours; the transparent index shows black.
        const TPalette* shared = ThePalette();
        std::vector<TPaletteEntry> colors(256);
        for (int i = 0; i < 256; ++i) {
            const uint8_t* c = f.ColorTable.data() + 3 * i;
            colors[static_cast<size_t>(i)] = {c[0], c[1], c[2]};
            if (shared && !ownPalette)
                colors[static_cast<size_t>(i)] =
                    (*shared)[shared->NearestIndex(RGB(c[0], c[1], c[2]))];
        }
        if (f.Transparent)
            colors[static_cast<size_t>(f.TransparentIndex)] = {0, 0, 0};

        f.Image = std::make_unique<TBitmap>(f.Width, f.Height, pf8bit);
        f.Image->Palette() = TPalette(std::move(colors));
        const int w = f.Width;
        const size_t total = static_cast<size_t>(pixels);
        // Rows in order and without padding: the decoder writes straight into the bitmap.
        // Otherwise it writes into a flat buffer whose rows are then placed.
        const bool direct = !f.Interlaced && f.Image->RowBytes() == w;
        std::unique_ptr<uint8_t[]> flat;
        uint8_t* indices = direct ? f.Image->ScanLine(0) : nullptr;
        if (!direct) {
            flat.reset(new uint8_t[total]);
            indices = flat.get();
        }
        size_t decoded = DecodeLzw(minCodeSize, codes.data(), codes.size(), indices, total);
        if (!direct) {
            // Rows never reached (a cut-short file) stay index 0.
            std::memset(indices + decoded, 0, total - decoded);
            const std::vector<int> rows = RowOrder(f.Height, f.Interlaced);
            for (int n = 0; n < f.Height; ++n)
                std::memcpy(f.Image->ScanLine(rows[static_cast<size_t>(n)]),
                            indices + static_cast<size_t>(n) * w, static_cast<size_t>(w));
        }

        if (f.Transparent) {
            f.Mask = std::make_unique<TBitmap>(f.Width, f.Height, pf1bit);
            const uint8_t ti = static_cast<uint8_t>(f.TransparentIndex);
            for (int y = 0; y < f.Height; ++y) {
                const uint8_t* src = f.Image->ScanLine(y);
                uint8_t* mask = f.Mask->ScanLine(y);
                for (int x = 0; x < w; ++x)
                    if (src[x] == ti)
                        SetBit(mask, x, true);
            }
        }

        if (ownPalette && shared) {
            // A still picture gets the error-diffused reduction instead of plain nearest
            // colours; transparent pixels are cleared to black (index 0) again afterwards.
            auto reduced = DisplayReduction(f.Image.get());
            if (reduced) {
                f.Image = std::move(reduced);
                if (f.Mask)
                    for (int y = 0; y < f.Height; ++y) {
                        const uint8_t* m = f.Mask->ScanLine(y);
                        uint8_t* p = f.Image->ScanLine(y);
                        for (int x = 0; x < w; ++x)
                            if (GetBit(m, x))
                                p[x] = 0;
                    }
            }
        }
        return TFrameRead::frOk;
    }
};

} // namespace

std::unique_ptr<TgfFrame> TgfFrame::Clone() const {
    auto f = std::make_unique<TgfFrame>();
    f->Left = Left;
    f->Top = Top;
    f->Width = Width;
    f->Height = Height;
    f->Bits = Bits;
    f->Delay = Delay;
    f->Disposal = Disposal;
    f->Interlaced = Interlaced;
    f->Transparent = Transparent;
    f->TransparentIndex = TransparentIndex;
    f->TransparentColor = TransparentColor;
    f->ColorTable = ColorTable;
    f->Image = CopyBitmap(Image);
    f->Mask = CopyBitmap(Mask);
    f->OwnPalette = OwnPalette;
    f->Comment = Comment;
    return f;
}

TGIFImage::TGIFImage() : Clock(timeGetTime) {}
TGIFImage::~TGIFImage() = default;

void TGIFImage::Reset() {
    // Other uses may share the frames: this image lets go of them and starts a list of its own.
    frames_ = std::make_shared<TFrameList>();
    saved_.reset();
    savedMask_.reset();
    composition_.reset();
    compositionMask_.reset();
    backgroundBuffer_.reset();
    empty_ = true;
    headerOnly_ = false;
    width_ = height_ = 0;
    loopCount_ = 1;
    transparent_ = false;
    bitsPerPixel_ = 0;
    globalTable_.fill(0);
    animating_ = false;
    currentFrame_ = 1;
    cycle_ = 1;
    firstDraw_ = true;
    repaintBackground_ = true;
}

bool TGIFImage::LoadFromMemory(const uint8_t* data, size_t size) {
    return Parse(data, size, false);
}
bool TGIFImage::LoadHeaderFromMemory(const uint8_t* data, size_t size) {
    return Parse(data, size, true);
}

namespace {
bool ReadAll(TStream& stream, std::vector<uint8_t>& out) {
    try {
        int64_t size = stream.Size() - stream.Position();
        if (size <= 0)
            return false;
        out.resize(static_cast<size_t>(size));
        stream.ReadBuffer(out.data(), size);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
bool ReadFile(const std::string& fileName, std::vector<uint8_t>& out) {
    try {
        TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
        return ReadAll(f, out);
    } catch (const std::exception&) {
        return false;
    }
}
} // namespace

bool TGIFImage::LoadFromStream(TStream& stream) {
    std::vector<uint8_t> buf;
    if (!ReadAll(stream, buf)) {
        Reset();
        return false;
    }
    return Parse(buf.data(), buf.size(), false);
}

bool TGIFImage::LoadFromFile(const std::string& fileName) {
    std::vector<uint8_t> buf;
    if (!ReadFile(fileName, buf)) {
        Reset();
        return false;
    }
    return Parse(buf.data(), buf.size(), false);
}

bool TGIFImage::LoadHeaderFromFile(const std::string& fileName) {
    std::vector<uint8_t> buf;
    if (!ReadFile(fileName, buf)) {
        Reset();
        return false;
    }
    return Parse(buf.data(), buf.size(), true);
}

bool TGIFImage::Parse(const uint8_t* data, size_t size, bool headerOnly) {
    bool keepOwnPalette = ownPalette_;
    Reset();
    ownPalette_ = keepOwnPalette;
    try {
        if (!data || size < 13 || std::memcmp(data, "GIF", 3) != 0) {
            Reset();
            return false;
        }
        TGifParser p(data, size, headerOnly);
        const uint8_t* lsd = data + 6;
        int screenWidth = Le16(lsd), screenHeight = Le16(lsd + 2);
        uint8_t packed = lsd[4];
        p.pos_ = 13;
        if (packed & 0x80) {
            size_t bytes = 3u << ((packed & 7) + 1);
            if (!p.Has(bytes)) {
                Reset();
                return false;
            }
            std::memcpy(globalTable_.data(), data + p.pos_, bytes);
            p.pos_ += bytes;
            bitsPerPixel_ = (packed & 7) + 1;
        }

        TPendingControl control;
        std::string comment;
        int64_t budget = TBitmap::MaxBitmapPixels;
        while (p.pos_ < size) {
            uint8_t b = data[p.pos_];
            if (b == ';')
                break;
            if (b == ',') {
                if (frames_->size() >= kMaxFrames)
                    break;
                auto f = std::make_unique<TgfFrame>();
                const TFrameRead read = p.ReadFrame(*f, control, globalTable_, ownPalette_, budget);
                // A long animation keeps the frames that fit, as it keeps the first 256; only a
                // first frame too large for any picture makes the file unreadable.
                if (read == TFrameRead::frOverBudget && !frames_->empty())
                    break;
                if (read != TFrameRead::frOk) {
                    Reset();
                    return false;
                }
                control = TPendingControl();
                // A frame of no pixels has nothing to show or compose; it is dropped.
                if (f->Width == 0 || f->Height == 0) {
                    comment.clear();
                    continue;
                }
                bitsPerPixel_ = std::max(bitsPerPixel_, f->Bits);
                if (f->Transparent)
                    transparent_ = true;
                f->Comment = std::move(comment);
                comment.clear();
                frames_->push_back(std::move(f));
                continue;
            }
            if (b != '!' || !p.Has(2))
                break;
            uint8_t label = data[p.pos_ + 1];
            p.pos_ += 2;
            if (label == 249) {
                if (!p.Has(6))
                    break;
                const uint8_t* g = data + p.pos_;
                control.present = true;
                control.packed = g[1];
                control.delay = Le16(g + 2);
                control.transparentIndex = g[4];
                // Honour the declared block size, then whatever sub-blocks follow.
                size_t blockSize = g[0];
                p.pos_ += std::min<size_t>(blockSize + 1, size - p.pos_);
                ReadSubBlocks(data, size, p.pos_, nullptr);
            } else if (label == 254) {
                std::vector<uint8_t> text;
                ReadSubBlocks(data, size, p.pos_, &text);
                comment.append(text.begin(), text.end());
            } else if (label == 255) {
                if (p.Has(12) && data[p.pos_] == 11 &&
                    std::memcmp(data + p.pos_ + 1, "NETSCAPE2.0", 11) == 0) {
                    p.pos_ += 12;
                    // Sub-block: length, id byte, loop count (16-bit little-endian).
                    if (p.Has(4) && data[p.pos_] >= 3)
                        loopCount_ = Le16(data + p.pos_ + 2);
                }
                ReadSubBlocks(data, size, p.pos_, nullptr);
            } else if (label == 1) {
                ReadSubBlocks(data, size, p.pos_, nullptr);
            } else {
                break;
            }
        }
        if (frames_->empty()) {
            Reset();
            return false;
        }

        int64_t w = screenWidth, h = screenHeight, framePixels = 0;
        for (const auto& f : *frames_) {
            w = std::max<int64_t>(w, f->Left + f->Width);
            h = std::max<int64_t>(h, f->Top + f->Height);
            framePixels += static_cast<int64_t>(f->Width) * f->Height;
        }
        if (w * h > TBitmap::MaxBitmapPixels ||
            w * h > std::max(kFreeScreenPixels, framePixels * kScreenPerFramePixels)) {
            Reset();
            return false;
        }
        width_ = static_cast<int>(w);
        height_ = static_cast<int>(h);
        headerOnly_ = headerOnly;
        if (!headerOnly) {
            composition_ = std::make_unique<TBitmap>(width_, height_, pf24bit); // black
            if (transparent_) {
                compositionMask_ = std::make_unique<TBitmap>(width_, height_, pf1bit);
                compositionMask_->Fill(clWhite);
            }
        }
        empty_ = false;
        currentFrame_ = 1;
        if (!headerOnly)
            ComposeFrame(1);
        return true;
    } catch (const std::exception&) {
        Reset();
        return false;
    }
}

void TGIFImage::ComposeFrame(int n) {
    if (headerOnly_ || !composition_ || n < 1 || n > NumFrames())
        return;
    const TgfFrame& f = *(*frames_)[static_cast<size_t>(n - 1)];
    if (!f.Image)
        return;
    if (f.Disposal == 3) {
        // What the frame covers, put back when it goes. Only the frame shown has such an
        // area, so one buffer serves every frame.
        if (!saved_ || saved_->Width() != f.Width || saved_->Height() != f.Height) {
            saved_ = std::make_unique<TBitmap>(f.Width, f.Height, pf24bit);
            savedMask_ = std::make_unique<TBitmap>(f.Width, f.Height, pf1bit);
        }
        CopyArea(*composition_, f.Left, f.Top, *saved_, 0, 0, f.Width, f.Height);
        if (compositionMask_)
            CopyArea(*compositionMask_, f.Left, f.Top, *savedMask_, 0, 0, f.Width, f.Height);
    }
    // Pixels as they lie in a 24-bit row (blue, green, red), written four bytes at a time; the
    // fourth byte is rewritten by the next pixel, so the frame's last pixel gets three.
    uint32_t lut[256] = {};
    const TPalette& pal = f.Image->Palette();
    for (int i = 0; i < pal.Count() && i < 256; ++i) {
        uint8_t px[4] = {0, 0, 0, 0};
        PutRGB(px, pal[i].r, pal[i].g, pal[i].b);
        std::memcpy(&lut[i], px, 4);
    }
    const int w = f.Width;
    for (int y = 0; y < f.Height; ++y) {
        const uint8_t* s = f.Image->ScanLine(y);
        uint8_t* d = composition_->ScanLine(f.Top + y) + 3 * f.Left;
        if (f.Transparent && f.Mask) {
            const uint8_t* m = f.Mask->ScanLine(y);
            uint8_t* cm = compositionMask_ ? compositionMask_->ScanLine(f.Top + y) : nullptr;
            for (int x = 0; x < w; ++x) {
                if (GetBit(m, x))
                    continue;
                std::memcpy(d + 3 * x, &lut[s[x]], 3);
                if (cm)
                    SetBit(cm, f.Left + x, false);
            }
        } else {
            for (int x = 0; x < w - 1; ++x)
                std::memcpy(d + 3 * x, &lut[s[x]], 4);
            std::memcpy(d + 3 * (w - 1), &lut[s[w - 1]], 3);
        }
    }
    if (!(f.Transparent && f.Mask) && compositionMask_)
        FillArea1(*compositionMask_, f.Left, f.Top, f.Width, f.Height, false);
    if (n == 1 && (*frames_)[0]->Disposal <= 1)
        repaintBackground_ = true;
}

void TGIFImage::UndoFrame(int n) {
    if (headerOnly_ || !composition_ || n < 1 || n > NumFrames())
        return;
    const TgfFrame& f = *(*frames_)[static_cast<size_t>(n - 1)];
    if (f.Disposal == 2) {
        FillArea24(*composition_, f.Left, f.Top, f.Width, f.Height, 0);
        if (compositionMask_)
            FillArea1(*compositionMask_, f.Left, f.Top, f.Width, f.Height, true);
    } else if (f.Disposal == 3 && saved_ && saved_->Width() == f.Width &&
               saved_->Height() == f.Height) {
        CopyArea(*saved_, 0, 0, *composition_, f.Left, f.Top, f.Width, f.Height);
        if (compositionMask_)
            CopyArea(*savedMask_, 0, 0, *compositionMask_, f.Left, f.Top, f.Width, f.Height);
    }
}

void TGIFImage::SetSpeed(int percent) {
    speed_ = std::max(1, percent);
}

int TGIFImage::DelayOf(int n) const {
    if (n < 1 || n > NumFrames())
        return 1;
    int64_t d = static_cast<int64_t>((*frames_)[static_cast<size_t>(n - 1)]->Delay) * 100 / speed_;
    return static_cast<int>(std::clamp<int64_t>(d, 1, INT32_MAX));
}

void TGIFImage::SetAnimate(bool on) {
    animating_ = on;
    if (on && NumFrames() > 1) {
        currentDelay_ = DelayOf(currentFrame_);
        lastTick_ = Clock();
        cycle_ = 1;
    }
}

void TGIFImage::SetCurrentFrame(int n) {
    if (empty_ || NumFrames() == 0)
        return;
    UndoFrame(currentFrame_);
    if (n > NumFrames())
        n = 1;
    else if (n <= 0)
        n = NumFrames();
    currentFrame_ = n;
    ComposeFrame(n);
}

void TGIFImage::Tick(const std::function<void(const TRect&)>& invalidate) {
    if (!animating_ || empty_ || headerOnly_)
        return;
    uint32_t now = Clock();
    if (now - lastTick_ < static_cast<uint32_t>(currentDelay_))
        return;
    lastTick_ = now;
    if (loopCount_ > 0 && currentFrame_ == NumFrames()) {
        if (cycle_ >= loopCount_) {
            animating_ = false;
            return;
        }
        ++cycle_;
    }
    if (firstDraw_) {
        firstDraw_ = false;
    } else {
        UndoFrame(currentFrame_);
        currentFrame_ = currentFrame_ >= NumFrames() ? 1 : currentFrame_ + 1;
        ComposeFrame(currentFrame_);
        if (invalidate)
            invalidate(drawn_);
    }
    currentDelay_ = DelayOf(currentFrame_);
}

void TGIFImage::Draw(TCanvas& canvas, int x, int y, int width, int height,
                     const TGifBackground* background) {
    drawn_ = Bounds(x, y, width, height);
    if (!visible_ || empty_ || headerOnly_ || !composition_ || width <= 0 || height <= 0)
        return;
    const TRect dest = drawn_;
    const TRect src = Rect(0, 0, width_, height_);
    const TgfFrame& first = *(*frames_)[0];
    if (!first.Transparent || !compositionMask_) {
        canvas.StretchBlt(dest, *composition_, src, cmSrcCopy);
        return;
    }
    const TgfFrame& current = *(*frames_)[static_cast<size_t>(currentFrame_ - 1)];
    if (current.Disposal >= 2 || !background) {
        canvas.StretchBlt(dest, *composition_, src, cmSrcInvert);
        canvas.StretchBlt(dest, *compositionMask_, src, cmSrcAnd);
        canvas.StretchBlt(dest, *composition_, src, cmSrcPaint);
        return;
    }
    // Frames that build on each other are drawn through a buffer that holds the background.
    if (!backgroundBuffer_ || backgroundBuffer_->Width() != width ||
        backgroundBuffer_->Height() != height) {
        backgroundBuffer_ = std::make_unique<TCanvas>(width, height);
        repaintBackground_ = true;
    }
    TCanvas& buf = *backgroundBuffer_;
    if (repaintBackground_) {
        repaintBackground_ = false;
        const TBitmap* tile = background->Image;
        if (tile && !tile->Empty()) {
            const int tw = tile->Width(), th = tile->Height();
            // Document position of the buffer's top-left pixel, folded into the tile.
            int ox = ((x + background->ScrollX) % tw + tw) % tw;
            int oy = ((y + background->ScrollY) % th + th) % th;
            for (int ty = -oy; ty < height; ty += th)
                for (int tx = -ox; tx < width; tx += tw)
                    buf.Draw(tx, ty, *tile);
        } else {
            buf.Brush.Color = background->Color;
            buf.Brush.Style = bsSolid;
            buf.FillRect(Rect(0, 0, width, height));
        }
    }
    const TRect whole = Rect(0, 0, width, height);
    buf.StretchBlt(whole, *composition_, src, cmSrcInvert);
    buf.StretchBlt(whole, *compositionMask_, src, cmSrcAnd);
    buf.StretchBlt(whole, *composition_, src, cmSrcPaint);
    canvas.CopyRect(dest, buf, whole);
}

namespace {
int64_t BitmapBytes(const TBitmap* b) {
    return b ? static_cast<int64_t>(b->RowBytes()) * b->Height() : 0;
}
} // namespace

int64_t TGIFImage::FrameBytes() const {
    int64_t n = 0;
    for (const auto& f : *frames_)
        n += BitmapBytes(f->Image.get()) + BitmapBytes(f->Mask.get());
    return n;
}

int64_t TGIFImage::OwnBytes() const {
    return BitmapBytes(composition_.get()) + BitmapBytes(compositionMask_.get()) +
           BitmapBytes(saved_.get()) + BitmapBytes(savedMask_.get());
}

std::unique_ptr<TBitmap> TGIFImage::StillBitmap() const {
    if (empty_ || headerOnly_ || frames_->empty() || !(*frames_)[0]->Image)
        return nullptr;
    const TgfFrame& f = *(*frames_)[0];
    const TPalette& pal = f.Image->Palette();
    const bool masked = f.Transparent && f.Mask;
    std::unique_ptr<TBitmap> still;
    if (const TPalette* shared = ThePalette()) {
        // Palette display: indices of the shared palette, each frame colour looked up once.
        uint8_t map[256] = {};
        for (int i = 0; i < pal.Count() && i < 256; ++i)
            map[i] = static_cast<uint8_t>(shared->NearestIndex(pal.ColorOf(i)));
        const uint8_t clearIndex = static_cast<uint8_t>(shared->NearestIndex(f.TransparentColor));
        still = std::make_unique<TBitmap>(f.Width, f.Height, pf8bit);
        still->Palette() = *shared;
        for (int y = 0; y < f.Height; ++y) {
            const uint8_t* s = f.Image->ScanLine(y);
            const uint8_t* m = masked ? f.Mask->ScanLine(y) : nullptr;
            uint8_t* d = still->ScanLine(y);
            for (int x = 0; x < f.Width; ++x)
                d[x] = m && GetBit(m, x) ? clearIndex : map[s[x]];
        }
    } else {
        still = std::make_unique<TBitmap>(f.Width, f.Height, pf24bit);
        for (int y = 0; y < f.Height; ++y) {
            const uint8_t* s = f.Image->ScanLine(y);
            const uint8_t* m = masked ? f.Mask->ScanLine(y) : nullptr;
            uint8_t* d = still->ScanLine(y);
            for (int x = 0; x < f.Width; ++x)
                PutColor(d + 3 * x, m && GetBit(m, x) ? f.TransparentColor : pal.ColorOf(s[x]));
        }
    }
    return still;
}

std::unique_ptr<TGIFImage> TGIFImage::Copy() const {
    auto g = std::make_unique<TGIFImage>();
    g->empty_ = empty_;
    g->headerOnly_ = headerOnly_;
    g->width_ = width_;
    g->height_ = height_;
    g->loopCount_ = loopCount_;
    g->speed_ = speed_;
    g->transparent_ = transparent_;
    g->visible_ = visible_;
    g->bitsPerPixel_ = bitsPerPixel_;
    g->globalTable_ = globalTable_;
    g->ownPalette_ = ownPalette_;
    g->Clock = Clock;
    // The decoded frames are shared: a copy keeps only its own composition, frame counters
    // and the area one frame covers while it is shown.
    g->frames_ = frames_;
    if (!empty_ && !headerOnly_) {
        g->composition_ = std::make_unique<TBitmap>(width_, height_, pf24bit); // black
        if (transparent_) {
            g->compositionMask_ = std::make_unique<TBitmap>(width_, height_, pf1bit);
            g->compositionMask_->Fill(clWhite);
        }
        g->currentFrame_ = 1;
        g->cycle_ = 1;
        g->ComposeFrame(1);
    }
    return g;
}

std::unique_ptr<TGIFImage> CreateAGifFromMemory(const uint8_t* data, size_t size,
                                                bool& nonAnimated) {
    nonAnimated = true;
    auto gif = std::make_unique<TGIFImage>();
    if (!gif->LoadHeaderFromMemory(data, size))
        return nullptr;
    nonAnimated = !gif->Animated();
    gif->SetOwnPalette(ColorBits() == 8 && gif->BitsPerPixel() > 1 && nonAnimated);
    if (!gif->LoadFromMemory(data, size))
        return nullptr;
    nonAnimated = !gif->Animated();
    return gif;
}

std::unique_ptr<TGIFImage> CreateAGif(const std::string& fileName, bool& nonAnimated) {
    nonAnimated = true;
    std::vector<uint8_t> buf;
    if (!ReadFile(fileName, buf))
        return nullptr;
    return CreateAGifFromMemory(buf.data(), buf.size(), nonAnimated);
}
