#include "platform/base/clock.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

TEST(Clock, AdvancesInMilliseconds) {
    const uint32_t a = timeGetTime();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const uint32_t b = timeGetTime();
    // Unsigned difference, so a wrap between the two reads is harmless.
    const uint32_t elapsed = b - a;
    EXPECT_GE(elapsed, 29u);
    EXPECT_LT(elapsed, 5000u);
}
