#pragma once
// Where a background image sits and how it repeats, read from the background-position and
// background-repeat values of a set.
#include <cstdint>

#include "html/style/prop_value.h"

enum BgPosKind : uint8_t { bpTop, bpCenter, bpBottom, bpLeft, bpRight, bpPercent, bpLength };

// One axis: its kind, a value (percent or pixels for bpPercent and bpLength) and whether the
// image repeats along it.
struct TBgAxis {
    BgPosKind Kind = bpLength;
    int32_t Value = 0;
    bool Repeat = true;
    bool operator==(const TBgAxis&) const = default;
};

struct TBgPosition {
    TBgAxis Horizontal;
    TBgAxis Vertical;
    bool operator==(const TBgPosition&) const = default;
};

// position: the background-position slot; repeat: the background-repeat slot.
TBgPosition ReadBackgroundPosition(const TPropValue& position, const TPropValue& repeat,
                                   int32_t emSize, int32_t exSize);
