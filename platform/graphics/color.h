#pragma once
// Colours as the engine stores them: 32-bit RGB with red in the low byte.
#include <cstdint>

using TColor = uint32_t;

constexpr TColor NoColor = 0x1FFFFFFF;     // no colour set
constexpr TColor PaletteFlag = 0x02000000; // colour came from CSS hex or rgb() text
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clGray = 0x808080;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clNavy = 0x800000;

// The desktop colours the engine's defaults refer to, fixed to the classic light scheme so
// that pages look the same on every desktop and in headless output.
constexpr TColor clBtnFace = 0xC0C0C0;
constexpr TColor clBtnShadow = 0x808080;
constexpr TColor clBtnHighlight = 0xFFFFFF;
constexpr TColor clBtnText = 0x000000;
constexpr TColor clWindow = 0xFFFFFF;
constexpr TColor clWindowText = 0x000000;

constexpr TColor RGB(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<TColor>(r) | (static_cast<TColor>(g) << 8) | (static_cast<TColor>(b) << 16);
}
constexpr uint8_t GetRValue(TColor c) {
    return c & 0xFF;
}
constexpr uint8_t GetGValue(TColor c) {
    return (c >> 8) & 0xFF;
}
constexpr uint8_t GetBValue(TColor c) {
    return (c >> 16) & 0xFF;
}
// The plain RGB of a colour, without flag bits.
constexpr TColor ColorToRGB(TColor c) {
    return c & 0xFFFFFF;
}

struct TPaletteEntry {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const TPaletteEntry&) const = default;
};
