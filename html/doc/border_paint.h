#pragma once
// Painting box borders: each side in its own style and colour, the corners cut on the
// diagonal between two sides. Used by blocks (and so by the boxes around tables), table cells
// and inline images.
#include <array>
#include <cstdint>

#include "html/style/properties.h"
#include "platform/graphics/color.h"
#include "platform/graphics/geometry.h"

class TCanvas;

// Sides in the order top, right, bottom, left.
struct TBorderSides {
    std::array<int32_t, 4> Width{};
    std::array<BorderStyleKind, 4> Style{};
    std::array<TColor, 4> Color{};

    bool Any() const;
};

// The shaded colours of groove, ridge, inset and outset: a darker colour for the shadowed
// sides, and black is shown as two greys so that the relief stays visible.
TColor BorderDarkColor(TColor c);
TColor BorderLightColor(TColor c);

// Paints the borders inside box (the border box) within clip. Widths larger than the box are
// cut to it.
void PaintBorders(TCanvas& canvas, const TRect& box, const TBorderSides& sides, const TRect& clip);
