// The fixed-step loop on an injected clock: updates per elapsed interval whatever the drawing does, the catch-up
// after a stall and its cap, the vsync fraction, deferred deletes by loop depth, and the loading handshake.
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowSystem.h"
#include "shell/Widget.h"
#include "shell/WidgetManager.h"
#include "tests/SuiteLabels.h"
#include "tests/shell/PyxoAppBaseTestApp.h"

#include <gtest/gtest.h>

namespace {

using namespace PyxoTest;

class AppLoop : public AppFixture {};

struct RateCase {
    const char* name;
    double speed;
    uint32_t ms;
    uint32_t updates;
};

ILVANE_THREADED_SUITE(AppLoop);

TEST_F(AppLoop, UpdatesFollowTheElapsedTimeAtEverySpeed)
{
    const RateCase cases[] = {
        {"normal", 1.0, 1000, 100},
        {"double", 2.0, 1000, 200},
        {"half", 0.5, 1000, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestApp& app = MakeApp();
        app.Init();
        app.mSpeedMultiplier = c.speed;
        StepFor(20); // the measurement starts with the first frame
        const uint32_t before = app.mUpdateCount;
        StepFor(c.ms);
        EXPECT_NEAR(static_cast<double>(app.mUpdateCount - before), c.updates, 1.0);
    }
}

TEST_F(AppLoop, ALongFrameIsMadeUpBeforeTheNextDraw)
{
    TestApp& app = MakeApp();
    app.Init();
    StepFor(100);
    app.mDrawDuration = 35;
    const size_t draws = app.mDrawUpdateCounts.size();
    while (app.mDrawUpdateCounts.size() < draws + 1)
        app.RunLoopStep(nullptr);
    app.mDrawDuration = 0;
    while (app.mDrawUpdateCounts.size() < draws + 2)
        app.RunLoopStep(nullptr);
    EXPECT_EQ(app.mDrawUpdateCounts[draws + 1] - app.mDrawUpdateCounts[draws], 3u);
}

TEST_F(AppLoop, AStallMakesUpAtMost200Milliseconds)
{
    for (bool loaded : {false, true}) {
        SCOPED_TRACE(loaded ? "content loaded: draws in between" : "still loading");
        TestApp& app = MakeApp();
        app.Init();
        app.mLoadingFinishedHandled = loaded;
        StepFor(100);
        const uint32_t before = app.mUpdateCount;
        mClock.Advance(5000);
        StepFor(5); // less than one interval: only the backlog runs
        EXPECT_EQ(app.mUpdateCount - before, 20u);
        if (loaded) { // at most ten updates between two draws once the content is there
            for (size_t i = 1; i < app.mDrawUpdateCounts.size(); ++i)
                EXPECT_LE(app.mDrawUpdateCounts[i] - app.mDrawUpdateCounts[i - 1], 10u);
        }
    }
}

TEST_F(AppLoop, ASpeedOfZeroStopsUpdatesButStillTakesMessages)
{
    TestApp& app = MakeApp();
    app.Init();
    app.mSpeedMultiplier = 0.0;
    const uint32_t before = app.mUpdateCount;
    Platform::PostMessage(app.mMainWindow, Platform::WM_CLOSE);
    bool stepped = true;
    for (int i = 0; i < 10 && stepped; ++i)
        stepped = app.RunLoopStep(nullptr);
    EXPECT_FALSE(stepped) << "the close never got through";
    EXPECT_TRUE(app.mShutdown);
    EXPECT_EQ(app.mUpdateCount, before);
}

TEST_F(AppLoop, VSyncFramesCarryTheFractionOfAnUpdate)
{
    TestApp& app = MakeApp();
    app.mWindowedRequested = false;
    app.Init();
    app.mVSyncUpdates = true;
    app.mRefreshRate = 60;
    app.mDrawDuration = 16; // presenting waits for the refresh
    StepFor(200);
    ASSERT_FALSE(app.mFractions.empty());
    EXPECT_FLOAT_EQ(app.mFractions.back(), static_cast<float>(1000.0 / 600.0));
}

TEST_F(AppLoop, AFrameThatMayNotSleepReportsItInstead)
{
    TestApp& app = MakeApp();
    app.Init();
    StepFor(100);
    app.mLoopState = 1;
    app.mHasUpdated = false;
    app.mElapsedTime = 0.0;
    app.mElapsedStamp = mClock.TickCount();
    const uint32_t now = mClock.TickCount();
    EXPECT_FALSE(app.ProcessFrame(false));
    EXPECT_EQ(mClock.TickCount(), now);
}

TEST_F(AppLoop, StepsStopOnceShutDownHasBegun)
{
    TestApp& app = MakeApp();
    app.Init();
    app.Shutdown();
    bool updated = true;
    EXPECT_FALSE(app.RunLoopStep(&updated));
    EXPECT_FALSE(updated);
    EXPECT_FALSE(app.RunLoopOnce());
}

class Tracked : public Pyxo::Widget {
public:
    explicit Tracked(int* deleted) : mDeleted(deleted) {}
    ~Tracked() override { ++*mDeleted; }
    int* mDeleted;
};

TEST_F(AppLoop, DeferredDeletesWaitForTheirLoopLevelToUnwind)
{
    TestApp& app = MakeApp();
    int outerDeleted = 0;
    int innerDeleted = 0;
    app.mLoopDepth = 1; // an update of the outer loop
    app.DeferDelete(new Tracked(&outerDeleted));
    app.mLoopDepth = 2; // a nested loop inside it
    app.DeferDelete(new Tracked(&innerDeleted));
    app.ProcessDeferredDeletes();
    EXPECT_EQ(innerDeleted, 1);
    EXPECT_EQ(outerDeleted, 0);
    app.mLoopDepth = 1;
    app.ProcessDeferredDeletes();
    EXPECT_EQ(outerDeleted, 1);
    app.mLoopDepth = 0;
}

TEST_F(AppLoop, StartRunsTheLoaderAndEndsInOrderOnClose)
{
    TestApp& app = MakeApp();
    app.mUseLoadingThread = true;
    app.Init();
    // Alt+F4 before the loop even runs: the close is taken at the first steps, and the loader is still waited for.
    Platform::PostMessage(app.mMainWindow, Platform::WM_SYSKEYDOWN, Platform::VK_F4, Platform::kKeyAltDown);
    app.Start();
    EXPECT_TRUE(app.mShutdown);
    EXPECT_FALSE(app.mRunning);
    EXPECT_FALSE(app.mCursorThreadRunning);
    EXPECT_TRUE(app.mLoaded);
    EXPECT_TRUE(app.mLoadingThreadCompleted);
    EXPECT_EQ(ReadStored("InProgress"), 0);
}

TEST_F(AppLoop, TheLoadingHandshakeRunsOnceOnTheMainThread)
{
    TestApp& app = MakeApp();
    app.Init();
    app.mLoadingThreadStarted = true;
    StepFor(50);
    EXPECT_EQ(app.mLoadingFinished, 0);
    EXPECT_EQ(app.GetLoadingProgress(), 0.0);
    app.mLoadingThreadCompleted = true;
    StepFor(50);
    EXPECT_EQ(app.mLoadingFinished, 1);
    EXPECT_EQ(app.GetLoadingProgress(), 1.0);
}

} // namespace
