#include "platform/time/Clock.h"

#include <gtest/gtest.h>

namespace {

TEST(Clock, ManualClockDrivesTheProcessCalls)
{
    Platform::ManualClock clock(0xFFFFFFF0u);
    Platform::Clock* previous = Platform::SetClock(&clock);

    Platform::Sleep(0x20); // sleeping advances the manual clock instead of waiting
    EXPECT_EQ(Platform::GetTickCount(), 0x10u) << "the 32-bit tick wraps";
    EXPECT_EQ(Platform::QueryPerformanceFrequency(), 1'000'000);

    const int64_t before = Platform::QueryPerformanceCounter();
    clock.AdvanceMicroseconds(1500);
    EXPECT_EQ(Platform::QueryPerformanceCounter() - before, 1500);

    Platform::SetClock(previous == &Platform::SystemClock() ? nullptr : previous);
    EXPECT_EQ(&Platform::CurrentClock(), &Platform::SystemClock());
}

} // namespace
