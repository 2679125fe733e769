#include "shell/Stopwatch.h"

#include "platform/time/Clock.h"

#include <gtest/gtest.h>

namespace {

class StopwatchTest : public ::testing::Test {
protected:
    void SetUp() override { mPrevious = Platform::SetClock(&mClock); }
    void TearDown() override { Platform::SetClock(mPrevious == &Platform::SystemClock() ? nullptr : mPrevious); }

    Platform::ManualClock mClock{1000};
    Platform::Clock* mPrevious = nullptr;
};

TEST_F(StopwatchTest, MeasuresMillisecondsWhileRunningAndFreezesWhenStopped)
{
    Pyxo::Stopwatch watch;
    EXPECT_EQ(watch.GetDuration(), 0.0);

    watch.Start();
    mClock.AdvanceMicroseconds(1500);
    EXPECT_DOUBLE_EQ(watch.GetDuration(), 1.5);
    mClock.AdvanceMicroseconds(500);
    EXPECT_DOUBLE_EQ(watch.GetDuration(), 2.0) << "a running watch keeps measuring";

    watch.Stop();
    mClock.Advance(100);
    EXPECT_DOUBLE_EQ(watch.GetDuration(), 2.0);
    watch.Stop(); // a second stop measures nothing
    EXPECT_DOUBLE_EQ(watch.GetDuration(), 2.0);

    watch.Start();
    mClock.Advance(3);
    watch.Stop();
    EXPECT_DOUBLE_EQ(watch.GetDuration(), 3.0) << "a restart measures from the new start";
}

} // namespace
