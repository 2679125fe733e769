#include "shell/PerfTimer.h"

#include "platform/time/Clock.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

// Moves 1 ms at every reading, so that the CPU-speed calibration ends after a few readings, and counts them.
class SteppingClock : public Platform::ManualClock {
public:
    int64_t PerformanceCounter() override
    {
        ++mReadings;
        AdvanceMicroseconds(1000);
        return ManualClock::PerformanceCounter();
    }
    int mReadings = 0;
};

class PerfTimerTest : public ::testing::Test {
protected:
    void SetUp() override { mPrevious = Platform::SetClock(&mClock); }
    void TearDown() override { Platform::SetClock(mPrevious == &Platform::SystemClock() ? nullptr : mPrevious); }

    SteppingClock mClock;
    Platform::Clock* mPrevious = nullptr;
};

TEST_F(PerfTimerTest, CpuSpeedIsMeasuredOnceAndNeverZero)
{
    const uint64_t first = Pyxo::GetCpuSpeed();
    EXPECT_GE(first, 1u);
    mClock.mReadings = 0;
    EXPECT_EQ(Pyxo::GetCpuSpeed(), first);
    EXPECT_EQ(mClock.mReadings, 0) << "the second call must use the cached speed";
}

TEST_F(PerfTimerTest, RunReportsItsTotalTime)
{
    Pyxo::PerfRunBegin();
    EXPECT_TRUE(Pyxo::IsPerfRunning());
    Pyxo::PerfRunEnd();
    EXPECT_FALSE(Pyxo::IsPerfRunning());
    // No code records sections, so the report is the total line alone.
    EXPECT_TRUE(std::regex_match(Pyxo::GetPerfReport(), std::regex("Total Time: [0-9]+\\.[0-9]{2}\n")))
        << Pyxo::GetPerfReport();

    Pyxo::PerfRunBegin(/*keepDisabled=*/true);
    EXPECT_FALSE(Pyxo::IsPerfRunning());
    Pyxo::PerfRunEnd();
}

} // namespace
