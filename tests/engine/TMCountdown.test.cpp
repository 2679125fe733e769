// Countdowns on the game clock.
#include "engine/TMCountdown.h"

#include "engine/GameClock.h"

#include <gtest/gtest.h>

#include <memory>
#include <type_traits>

namespace {

// A copy would not be in the engine-wide list, or the list would keep a pointer to a dead countdown.
static_assert(!std::is_copy_constructible_v<TMCountdown>);
static_assert(!std::is_copy_assignable_v<TMCountdown>);

class TMCountdownTest : public ::testing::Test {
protected:
    void SetUp() override { ResetGameTime(); }
    void TearDown() override
    {
        gFrameDelta = 0.0f;
        ResetGameTime();
    }

    /// Board steps of 0.5 s each.
    static void Step(int steps)
    {
        gFrameDelta = 0.5f;
        for (int i = 0; i < steps; ++i)
            AdvanceGameTime();
    }
};

TEST_F(TMCountdownTest, RunsUntilTheClockReachesItsEnd)
{
    TMCountdown countdown;
    EXPECT_FALSE(countdown.IsRunning()) << "expired until started";
    Step(20);
    ASSERT_FLOAT_EQ(gGameTime, 10.0f);
    countdown.Start(2.0f);
    Step(3);
    EXPECT_TRUE(countdown.IsRunning());
    EXPECT_FLOAT_EQ(countdown.GetRemaining(), 0.5f);
    Step(1);
    EXPECT_FLOAT_EQ(gGameTime, 12.0f);
    EXPECT_FALSE(countdown.IsRunning()) << "at exactly its end it no longer runs";
    EXPECT_FLOAT_EQ(countdown.GetRemaining(), 0.0f);
    countdown.Extend(1.0f);
    EXPECT_TRUE(countdown.IsRunning()) << "an extended countdown runs again";
}

TEST_F(TMCountdownTest, AClockThatDoesNotStepExpiresNothing)
{
    TMCountdown countdown;
    countdown.Start(1.0f);
    gFrameDelta = 0.0f; // a paused board
    for (int i = 0; i < 100; ++i)
        AdvanceGameTime();
    EXPECT_TRUE(countdown.IsRunning());
}

TEST_F(TMCountdownTest, ResetExpiresEveryLiveCountdown)
{
    const size_t before = TMCountdown::LiveCount();
    Step(10);
    TMCountdown first;
    auto second = std::make_unique<TMCountdown>();
    first.Start(1000.0f);
    second->Start(5.0f);
    EXPECT_EQ(TMCountdown::LiveCount(), before + 2);
    ResetGameTime();
    EXPECT_EQ(gGameTime, 0.0f);
    EXPECT_FALSE(first.IsRunning());
    EXPECT_FALSE(second->IsRunning());
    second.reset();
    EXPECT_EQ(TMCountdown::LiveCount(), before + 1) << "a destroyed countdown leaves the list";
    ResetGameTime();
}

} // namespace
