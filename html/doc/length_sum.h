#pragma once
// Lengths come from pages and style sheets, so any of them may be huge. Every length a page
// gives is read within +-kMaxLength, and every sum or difference of lengths made during layout
// is computed in 64 bits and held within the same range by ClampLength, so the sums that
// follow cannot overflow either, however a hostile page combines them.
#include <algorithm>
#include <cstdint>

constexpr int32_t kMaxLength = 1000000000;

constexpr int32_t ClampLength(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, -kMaxLength, kMaxLength));
}
