#pragma once
// A floating first letter: the opening letter of a block, with the punctuation before it, set
// in a box of its own at the left or right edge while the text flows beside it (a drop
// capital). It stands in the section's text as one object code, like a floating image.
#include <cstdint>
#include <memory>
#include <string>

#include "html/doc/floating_obj.h"
#include "html/style/my_font.h"
#include "platform/graphics/color.h"

class TCanvas;
class TProperties;
class TResolvedFont;

class TLetterObj : public TFloatingObj {
public:
    // letter: the characters as written; props: the letter's set (its font, colour, box and
    // float side).
    TLetterObj(int32_t position, std::u32string letter, const TProperties& props);

    // Draws the box with its top left corner at a window point (margins outside it).
    void Draw(TCanvas& canvas, int32_t x, int32_t y) const;

    std::u32string Letter; // after the letter's text-transform
    TMyFont Font;

private:
    std::shared_ptr<const TResolvedFont> face_;
    int32_t ascent_ = 0;
    int32_t lead_ = 0; // half the room a line height adds above the glyphs
    TColor background_ = NoColor;
    TColor borderColor_ = NoColor;
    int32_t padding_[4] = {}; // top, right, bottom, left
    int32_t border_[4] = {};
};
