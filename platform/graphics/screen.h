#pragma once
// The screen the engine lays out for: 96 pixels per inch, and 24 colour bits unless the
// environment variable FOLIO_COLOR_BITS is set to 8, which makes the engine take its palette
// path (images reduced to the shared palette) as it would on a 256-colour display. Drawing
// itself always happens in 24-bit RGB.
class TScreen {
public:
    static constexpr int PixelsPerInch = 96;
    // 24, or 8 when FOLIO_COLOR_BITS=8 (read at every call, so tests may switch it).
    static int ColorBits();
    // Points to pixels at the screen resolution, rounded to nearest (halves away from zero),
    // as the toolkit's MulDiv does.
    static int PointsToPixels(int points);
};
