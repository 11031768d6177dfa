#pragma once
// The 141 colour names style text and HTML colour attributes may use: "transparent", the
// sixteen basic colours, then the extended keywords in alphabetical order. Only "lightgrey" is
// spelt with "grey"; the values carry no PaletteFlag.
#include <string_view>

#include "platform/graphics/color.h"

int ColorNameCount();
std::string_view ColorNameAt(int index);
// Exact (case-sensitive) lookup in table order.
bool FindColorName(std::string_view name, TColor& color);
