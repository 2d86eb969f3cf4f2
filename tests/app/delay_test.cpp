#include "app/delay.h"

#include <chrono>

#include <gtest/gtest.h>

namespace zimbalo::app {
namespace {

TEST(Delay, WaitsAtLeastTheGivenTime) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    Delay(30);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(30));

    // Nothing to wait for: returns at once.
    const auto before = Clock::now();
    Delay(0);
    Delay(-5);
    EXPECT_LT(Clock::now() - before, std::chrono::milliseconds(500));
}

}  // namespace
}  // namespace zimbalo::app
