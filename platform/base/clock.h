#pragma once
#include <cstdint>

// Milliseconds from a monotonic clock; wraps like the multimedia timer it stands in for.
uint32_t timeGetTime();
