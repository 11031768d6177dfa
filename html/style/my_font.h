#pragma once
// TMyFont: a font description with the colour painted behind its text runs and the overline.
#include "platform/graphics/color.h"
#include "platform/graphics/font.h"

class TMyFont : public TFont {
public:
    TColor BackColor = NoColor; // NoColor paints nothing behind the text
    bool Overline = false;      // drawn by the text painter: the face does not know it

    TMyFont() = default;
    TMyFont(const TMyFont&) = default;
    TMyFont& operator=(const TMyFont&) = default; // copies BackColor too
    explicit TMyFont(const TFont& font) : TFont(font) {}
    // A plain font brings its attributes only; BackColor and Overline stay as they were.
    TMyFont& operator=(const TFont& font) {
        TFont::operator=(font);
        return *this;
    }
    bool operator==(const TMyFont&) const = default;
};
