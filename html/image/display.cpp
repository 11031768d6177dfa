#include "html/image/display.h"

#include <mutex>

#include "html/image/dither.h"
#include "html/image/pixels.h"
#include "platform/graphics/screen.h"

namespace {

// The screen is one for the whole program, so its settings are too: documents on several
// threads share them. Every access holds the lock; what the accessors hand out (the palette,
// the stock bitmaps) is never changed once made, and is freed only when the last client ends
// (or a test overrides the depth or the provider).
struct TDisplayState {
    std::mutex lock;
    int uses = 0;
    bool ready = false; // depth read (or set) and palette made
    int colorBits = 24;
    std::unique_ptr<TPalette> palette;
    std::unique_ptr<TBitmap> stock[3];
    std::function<std::unique_ptr<TBitmap>(int)> provider;
};

TDisplayState& State() {
    static TDisplayState state;
    return state;
}

void MakePalette(TDisplayState& s) {
    if (s.colorBits == 8)
        s.palette = std::make_unique<TPalette>(SharedPaletteEntries());
    else
        s.palette.reset();
}

// A small framed box: the look of a picture that could not be shown.
std::unique_ptr<TBitmap> DrawnStandIn(TStockBitmap which) {
    auto b = std::make_unique<TBitmap>(16, 16, which == sbErrorMask ? pf1bit : pf24bit);
    if (which == sbErrorMask) {
        b->Fill(clBlack); // fully opaque
        return b;
    }
    b->Fill(clSilver);
    for (int i = 0; i < 16; ++i) {
        b->SetPixel(i, 0, clWhite);
        b->SetPixel(0, i, clWhite);
        b->SetPixel(i, 15, clGray);
        b->SetPixel(15, i, clGray);
    }
    if (which == sbError) {
        for (int i = 4; i < 12; ++i) {
            b->SetPixel(i, i, clRed);
            b->SetPixel(15 - i, i, clRed);
        }
    }
    return b;
}

} // namespace

int NormalizeColorBits(int screenBits) {
    if (screenBits <= 4)
        return 4;
    if (screenBits <= 8)
        return 8;
    return 24;
}

// Reads the screen's depth once; clients that never called StartImageDisplay (tools, tests)
// get the same settings on first use. The caller holds the lock.
static TDisplayState& Ready(TDisplayState& s) {
    if (!s.ready) {
        s.colorBits = NormalizeColorBits(TScreen::ColorBits());
        MakePalette(s);
        s.ready = true;
    }
    return s;
}

void StartImageDisplay() {
    TDisplayState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    ++s.uses;
    Ready(s);
}

void EndImageDisplay() {
    TDisplayState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    if (s.uses == 0 || --s.uses > 0)
        return;
    s.palette.reset();
    for (auto& b : s.stock)
        b.reset();
    s.ready = false;
}

int ColorBits() {
    TDisplayState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    return Ready(s).colorBits;
}

void SetColorBits(int bits) {
    TDisplayState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    s.colorBits = NormalizeColorBits(bits);
    MakePalette(s);
    s.ready = true;
}

const TPalette* ThePalette() {
    TDisplayState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    return Ready(s).palette.get();
}

const TPalette& SharedPaletteEntries() {
    static const TPalette palette = [] {
        std::vector<TPaletteEntry> e(256);
        const auto& statics = StaticColors();
        for (int i = 0; i < 10; ++i) {
            e[static_cast<size_t>(i)] = statics[static_cast<size_t>(i)];
            e[static_cast<size_t>(246 + i)] = statics[static_cast<size_t>(10 + i)];
        }
        static const uint8_t levels[6] = {55, 115, 165, 205, 235, 255};
        size_t n = 10;
        for (int b = 0; b < 6; ++b)
            for (int g = 0; g < 6; ++g)
                for (int r = 0; r < 6; ++r)
                    if (r != 5 || g != 5 || b != 5)
                        e[n++] = {levels[r], levels[g], levels[b]};
        for (int i = 1; i <= 24; ++i) {
            if (i == 7 || i == 15 || i == 21)
                continue;
            uint8_t v = static_cast<uint8_t>(5 * i + 130);
            e[n++] = {v, v, v};
        }
        return TPalette(std::move(e));
    }();
    return palette;
}

const TBitmap* StockBitmap(TStockBitmap which) {
    TDisplayState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    int i = static_cast<int>(which);
    if (i < 0 || i > 2)
        return nullptr;
    if (!s.stock[i]) {
        static const int ids[3] = {1002, 1001, 1005};
        if (s.provider)
            s.stock[i] = s.provider(ids[i]);
        if (!s.stock[i])
            s.stock[i] = DrawnStandIn(which);
    }
    return s.stock[i].get();
}

void SetStockBitmapProvider(std::function<std::unique_ptr<TBitmap>(int)> provider) {
    TDisplayState& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    s.provider = std::move(provider);
    for (auto& b : s.stock)
        b.reset();
}

std::string CursorResourceName(int slot) {
    switch (slot) {
    case HandCursor:
        return "1003";
    case ThickIBeamCursor:
        return "1006";
    case UpDownCursor:
        return "UPDOWNCURSOR";
    case UpOnlyCursor:
        return "UPONLYCURSOR";
    case DownOnlyCursor:
        return "DOWNONLYCURSOR";
    default:
        return "";
    }
}
