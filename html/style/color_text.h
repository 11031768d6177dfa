#pragma once
// Colour texts: names, hexadecimal (#rgb, #rrggbb, and bare digits where allowed) and rgb().
#include <string_view>

#include "platform/graphics/color.h"

// Converts a colour text. With needHash a hexadecimal colour must be written with "#" (the
// background and border shorthands need that to tell colours from other words). Colours from
// hexadecimal and rgb() text carry PaletteFlag; names do not. Nothing is remembered between
// calls, so documents on different threads convert colours independently.
bool ColorFromText(std::string_view text, bool needHash, TColor& color);
// The part of an rgb() text after "rgb": three components, numbers or percentages, each
// clamped to 0..255. Fails without both parentheses.
bool RgbFromText(std::string_view text, TColor& color);
