#pragma once
// TMyFont: a font description with the colour painted behind its text runs.
#include "platform/graphics/color.h"
#include "platform/graphics/font.h"

class TMyFont : public TFont {
public:
    TColor BackColor = NoColor; // NoColor paints nothing behind the text

    TMyFont() = default;
    TMyFont(const TMyFont&) = default;
    TMyFont& operator=(const TMyFont&) = default; // copies BackColor too
    explicit TMyFont(const TFont& font) : TFont(font) {}
    // A plain font brings its attributes only; BackColor stays as it was.
    TMyFont& operator=(const TFont& font) {
        TFont::operator=(font);
        return *this;
    }
    bool operator==(const TMyFont&) const = default;
};
