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

    clock.SetCalendarTime(1'700'000'000);
    clock.Advance(5000);
    EXPECT_EQ(Platform::GetCalendarTime(), 1'700'000'000) << "the calendar stays where the test put it";

    Platform::SetClock(previous == &Platform::SystemClock() ? nullptr : previous);
    EXPECT_EQ(&Platform::CurrentClock(), &Platform::SystemClock());
    EXPECT_GT(Platform::GetCalendarTime(), 1'700'000'000) << "the system clock reads the real calendar";
}

} // namespace
