#pragma once
// Where a background picture goes along one axis of the area it tiles (a block's padding box,
// a table cell), as its background-position says.
#include <algorithm>
#include <cstdint>

#include "html/style/background.h"

// The picture's offset from the area's start, held between -size and the area's end.
inline int64_t PlaceBackgroundAxis(const TBgAxis& axis, int32_t area, int32_t size) {
    int64_t p = 0;
    switch (axis.Kind) {
    case bpCenter:
        p = (int64_t{area} - size) / 2;
        break;
    case bpBottom:
    case bpRight:
        p = int64_t{area} - size;
        break;
    case bpPercent:
        p = (int64_t{area} - size) * axis.Value / 100;
        break;
    case bpLength:
        p = axis.Value;
        break;
    default:
        p = 0;
        break;
    }
    return std::clamp<int64_t>(p, -int64_t{size}, std::max<int64_t>(area, 0));
}
