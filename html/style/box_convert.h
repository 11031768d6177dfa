#pragma once
// Box values of a property set (colours, margins, paddings, border widths and styles, width,
// height, top, left: slots 8 to 29) converted into pixels for blocks, table cells and inline
// objects.
#include <array>
#include <cstdint>

#include "html/style/prop_value.h"

constexpr int BoxFirst = 8; // background-color
constexpr int BoxLast = 29; // left
constexpr int BoxCount = BoxLast - BoxFirst + 1;

// 22 entries indexed 8..29 in slot order; an index outside that range throws.
template <class T> struct TBoxArrayOf {
    std::array<T, BoxCount> Items{};
    T& operator[](int index) { return Items.at(static_cast<size_t>(index - BoxFirst)); }
    const T& operator[](int index) const { return Items.at(static_cast<size_t>(index - BoxFirst)); }
};

// As made by TProperties::GetBoxValues: border styles (22..25) are already integer 0 or 1.
using TBoxValues = TBoxArrayOf<TPropValue>;
// Pixels, colours and the NullLength, AutoLength, ParaAutoLength and NoColor markers.
using TBoxArray = TBoxArrayOf<int32_t>;

// Fills every entry but the top and bottom margins (10, 12), which ConvertVerticalMargins
// handles, and returns how many of left margin, width and right margin are AutoLength.
int ConvertBox(const TBoxValues& values, int32_t baseWidth, int32_t baseHeight, int32_t emSize,
               int32_t exSize, TBoxArray& m);

// Top and bottom margins (10, 12); a paragraph's built-in margin becomes 14 pixels with its
// flag set, so block layout can collapse it.
void ConvertVerticalMargins(const TBoxValues& values, int32_t base, int32_t emSize, int32_t exSize,
                            TBoxArray& m, bool& topIsParaMargin, bool& bottomIsParaMargin);

// Paddings 14..17 of a table cell: -1 when not given, a negated percent for a percentage (the
// table resolves it against the cell width).
void ConvertCellPadding(const TBoxValues& values, int32_t emSize, int32_t exSize, TBoxArray& m);

// Margins 10..13 and width and height 26, 27 of images and form controls; NullLength stays
// where nothing was given.
void ConvertInlineBox(const TBoxValues& values, int32_t baseWidth, int32_t emSize, int32_t exSize,
                      TBoxArray& m);
