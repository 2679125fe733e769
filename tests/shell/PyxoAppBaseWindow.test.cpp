// The window procedure and the deferred input queue: one queued message per loop step, coalesced timer ticks,
// colour changes and closes, input ignored while a system dialog is up, focus and minimising with their
// muting, capture while a button is held, and the single-instance notice.
#include "platform/process/InstanceLock.h"
#include "platform/window/MessageBox.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowSystem.h"
#include "shell/WidgetManager.h"
#include "tests/shell/PyxoAppBaseTestApp.h"

#include <gtest/gtest.h>

namespace {

using namespace PyxoTest;
using namespace Platform;

class AppWindow : public AppFixture {
protected:
    TestApp& Started()
    {
        TestApp& app = MakeApp();
        app.Init();
        app.mRunning = true;
        app.mDeferredMessages.clear();
        return app;
    }

    intptr_t Send(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0)
    {
        return mApp->WindowProc(mApp->mMainWindow, message, wParam, lParam);
    }

    std::vector<uint32_t> Queued() const
    {
        std::vector<uint32_t> messages;
        for (const auto& m : mApp->mDeferredMessages)
            messages.push_back(m.message);
        return messages;
    }
};

TEST_F(AppWindow, EachStepTakesOneQueuedMessage)
{
    TestApp& app = Started();
    for (uint32_t key : {'A', 'B', 'C'})
        PostMessage(app.mMainWindow, WM_KEYDOWN, key);
    app.RunLoopStep(nullptr);
    EXPECT_EQ(app.mDeferredMessages.size(), 2u);
    EXPECT_EQ(app.mLoopState, 0);
    app.RunLoopStep(nullptr);
    EXPECT_EQ(app.mDeferredMessages.size(), 1u);
    app.RunLoopStep(nullptr);
    EXPECT_TRUE(app.mDeferredMessages.empty());
    EXPECT_EQ(app.mLoopState, 1); // the queue is worked off: the next step runs a frame
    EXPECT_TRUE(app.mWidgetManager->mKeyDown['C']);
}

TEST_F(AppWindow, RepeatedNoticesWaitOnlyOnce)
{
    Started();
    Send(WM_TIMER, 100);
    Send(WM_TIMER, 100);
    Send(WM_SYSCOLORCHANGE);
    Send(WM_TIMER, 100); // a timer tick after something else is new again
    Send(WM_KEYDOWN, 'A');
    Send(WM_DISPLAYCHANGE); // a colour or display change is already waiting
    EXPECT_EQ(Queued(), (std::vector<uint32_t>{WM_TIMER, WM_SYSCOLORCHANGE, WM_TIMER, WM_KEYDOWN}));
}

TEST_F(AppWindow, ACloseIsQueuedOnceAndShutsDownAtTheNextStep)
{
    TestApp& app = Started();
    EXPECT_EQ(Send(WM_CLOSE), 0);
    Send(WM_CLOSE);
    Send(WM_KEYDOWN, 'A');
    EXPECT_EQ(Queued(), (std::vector<uint32_t>{WM_CLOSE}));
    EXPECT_EQ(app.mCloseRequests, 2);
    EXPECT_TRUE(IsWindow(app.mMainWindow)); // never destroyed directly
    EXPECT_FALSE(app.mShutdown);
    app.RunLoopStep(nullptr);
    EXPECT_TRUE(app.mShutdown);
    EXPECT_TRUE(app.mCloseFromWindow);
}

TEST_F(AppWindow, InputWhileASystemDialogIsUpIsNotQueued)
{
    TestApp& app = Started();
    app.mInSystemDialog = true;
    Send(WM_KEYDOWN, 'A');
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(10, 10));
    EXPECT_TRUE(app.mDeferredMessages.empty());
}

TEST_F(AppWindow, EveryMessageBoxGivesInputBack)
{
    TestApp& app = Started(); // windowed: the flag used to stay up there
    MessageBoxScript script({IDOK});
    EXPECT_EQ(app.MsgBoxW(L"text", L"caption", MB_OK), IDOK);
    EXPECT_FALSE(app.mInSystemDialog);
    app.Popup("fatal");
    EXPECT_FALSE(app.mInSystemDialog);
    Send(WM_KEYDOWN, 'A');
    EXPECT_EQ(Queued(), (std::vector<uint32_t>{WM_KEYDOWN}));
}

TEST_F(AppWindow, LosingTheFocusOrMinimisingMutes)
{
    TestApp& app = Started();
    const double volume = app.mSfxVolume;
    const auto step = [&](uint32_t message, uintptr_t wParam) {
        Send(message, wParam);
        app.ProcessDeferredMessage(false);
    };
    step(WM_ACTIVATEAPP, 1);
    EXPECT_TRUE(app.mHasFocus);
    EXPECT_DOUBLE_EQ(app.mSound->mVolume, volume);

    step(WM_ACTIVATEAPP, 0);
    EXPECT_FALSE(app.mHasFocus);
    EXPECT_DOUBLE_EQ(app.mSound->mVolume, 0.0);
    step(WM_ACTIVATEAPP, 1);
    EXPECT_DOUBLE_EQ(app.mSound->mVolume, volume);

    // Focus counts as lost while minimised, even though the application stays active.
    step(WM_SIZE, SIZE_MINIMIZED);
    EXPECT_TRUE(app.mActive);
    EXPECT_FALSE(app.mHasFocus);
    EXPECT_DOUBLE_EQ(app.mSound->mVolume, 0.0);
    step(WM_SIZE, SIZE_RESTORED);
    EXPECT_TRUE(app.mHasFocus);
    EXPECT_DOUBLE_EQ(app.mSound->mVolume, volume);
    EXPECT_EQ(app.mMuteCount, 0);
}

TEST_F(AppWindow, ASavedMuteOutlivesTheFocusComingBack)
{
    {
        TestApp& first = MakeApp();
        first.Mute(false);
        first.WriteToRegistry();
    }
    TestApp& app = Started();
    EXPECT_TRUE(app.IsMuted());
    EXPECT_DOUBLE_EQ(app.mSound->mVolume, 0.0);
    Send(WM_ACTIVATEAPP, 1);
    app.ProcessDeferredMessage(false);
    EXPECT_TRUE(app.mHasFocus);
    EXPECT_TRUE(app.IsMuted());
    EXPECT_DOUBLE_EQ(app.mSound->mVolume, 0.0);
    app.WriteToRegistry();
    EXPECT_EQ(ReadStored("Muted"), 1);
}

TEST_F(AppWindow, MuteNestingCountsEachKindApart)
{
    TestApp& app = Started();
    app.Mute(false);
    app.Mute(false);
    app.Unmute(false);
    EXPECT_TRUE(app.IsMuted());
    app.Unmute(false);
    EXPECT_FALSE(app.IsMuted());
    app.Unmute(false); // at 0: nothing changes, the volumes are still applied
    EXPECT_EQ(app.mMuteCount, 0);
    EXPECT_DOUBLE_EQ(app.mSound->mVolume, app.mSfxVolume);
    app.Mute(true);
    app.Unmute(false); // the user's unmute does not lift a focus mute
    EXPECT_TRUE(app.IsMuted());
    app.Unmute(true);
    EXPECT_FALSE(app.IsMuted());
}

TEST_F(AppWindow, ClicksMapToEncodedCountsAndKeepCaptureWhileAButtonIsHeld)
{
    TestApp& app = Started();
    const intptr_t at = MakeLParam(20, 30);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, at);
    Send(WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, at);
    Send(WM_LBUTTONUP, MK_RBUTTON, at);
    app.ProcessDeferredMessage(false);
    EXPECT_EQ(GetCapture(), app.mMainWindow) << "the right button is still held";
    Send(WM_RBUTTONUP, 0, at);
    app.ProcessDeferredMessage(false);
    EXPECT_FALSE(GetCapture());
    EXPECT_EQ(app.mWidgetManager->mLastMouseX, 20);
    EXPECT_EQ(app.mWidgetManager->mLastMouseY, 30);
    EXPECT_TRUE(app.mMouseIn);
}

TEST_F(AppWindow, ALaterCopyBringsTheFirstToTheFront)
{
    TestApp& app = Started();
    InstanceLock second;
    ASSERT_EQ(second.Acquire(app.mProductName + "Mutex", app.mProductName + "Notify"),
              InstanceLock::Result::AlreadyRunning);
    ASSERT_TRUE(second.NotifyRunningInstance());
    app.mLoopState = 0;
    StepMessages();
    EXPECT_EQ(app.mRestores, 1);
}

TEST_F(AppWindow, ASecondInstanceExitsWithoutAWindow)
{
    TestApp& first = Started();
    TestApp second;
    second.mProductName = first.mProductName;
    try {
        second.Init();
        FAIL() << "the second instance kept running";
    } catch (const ExitCalled& exit) {
        EXPECT_EQ(exit.code, 0);
    }
    EXPECT_FALSE(second.mMainWindow);
}

} // namespace
