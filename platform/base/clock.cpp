// The multimedia timer's stand-in: milliseconds from a clock that never jumps with the wall
// clock, wrapping at 2^32 as the original counter does.
#include "platform/base/clock.h"

#include <ctime>

uint32_t timeGetTime() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const uint64_t ms =
        static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}
