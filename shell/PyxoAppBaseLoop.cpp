#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/Graphics.h"
#include "platform/log/Log.h"
#include "platform/process/InstanceLock.h"
#include "platform/process/MainThread.h"
#include "platform/time/Clock.h"
#include "platform/window/DesktopDisplay.h"
#include "platform/window/MessageBox.h"
#include "platform/window/VideoSystem.h"
#include "platform/window/WindowSystem.h"
#include "shell/DebugOverlay.h"
#include "shell/MusicInterface.h"
#include "shell/PyxoAppBase.h"
#include "shell/WidgetManager.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>

namespace Pyxo {

namespace {

constexpr double kMaxElapsedTime = 200.0; // ms made up at most after a stall
constexpr uint32_t kRealTimeCheckLimit = 800;
constexpr int kRealTimeStrikesToBreak = 3;
constexpr int kMaxLoaderYield = 250;
constexpr std::chrono::milliseconds kCursorPollPeriod{10};
constexpr std::chrono::milliseconds kLoaderPollPeriod{20};

} // namespace

void PyxoAppBase::Start()
{
    if (mShutdown)
        return;

    if (!mCursorThreadRunning) {
        mCursorThreadRunning = true;
        mCursorThread = std::thread([this] {
            // The cursor follows the pointer between frames; it is timed by the real clock, not by the
            // process clock, so that an injected clock never makes it spin.
            while (!mShutdown) {
                CursorThreadStep();
                std::unique_lock lock(mThreadMutex);
                mThreadWake.wait_for(lock, kCursorPollPeriod, [this] { return mShutdown.load(); });
            }
            mCursorThreadRunning = false;
        });
    }
    if (mUseLoadingThread && !mLoadingThreadStarted) {
        mYieldToLoader = true;
        mLoadingThreadStarted = true;
        mLoadingThread = std::thread([this] {
            LoadContent();
            Platform::Log(Platform::LogLevel::Debug, "app", "Resource Loading Time: %d",
                          static_cast<int>(Platform::GetTickCount() - mStartTick));
            {
                std::lock_guard lock(mThreadMutex);
                mLoadingThreadCompleted = true;
            }
            mThreadWake.notify_all();
        });
    }

    if (mMainWindow) {
        Platform::ShowWindow(mMainWindow, Platform::SW_SHOW);
        Platform::SetForegroundWindow(mMainWindow);
    }

    const uint32_t t0 = Platform::GetTickCount();
    mRunning = true;
    mLastDrawTime = t0;
    mNextDrawTime = t0;
    mLastActivityTime = t0;

    RunMainLoop();
    ProcessDeferredDeletes();
    mRunning = false;
    WaitForLoadingThread();

    const uint32_t elapsed = Platform::GetTickCount() - t0;
    Platform::Log(Platform::LogLevel::Debug, "app", "Seconds       = %g", elapsed / 1000.0);
    Platform::Log(Platform::LogLevel::Debug, "app", "Sleep Count   = %u", mSleepCount);
    Platform::Log(Platform::LogLevel::Debug, "app", "Update Count  = %u", mUpdateCount);
    Platform::Log(Platform::LogLevel::Debug, "app", "Draw Count    = %u", mDrawCount.load());
    Platform::Log(Platform::LogLevel::Debug, "app", "Draw Time     = %d", mDrawTime);
    Platform::Log(Platform::LogLevel::Debug, "app", "Screen Blt    = %d", mScreenBltTime);
    if (mDrawTime + mScreenBltTime > 0) {
        const int64_t fps = int64_t{mDrawCount.load()} * 1000 / (mDrawTime + mScreenBltTime);
        Platform::Log(Platform::LogLevel::Debug, "app", "Avg FPS       = %d", static_cast<int>(fps));
    }

    AfterMainLoop();
    WriteToRegistry();
}

void PyxoAppBase::RunMainLoop()
{
    while (!mShutdown) {
        mExitLoopStep = false;
        RunLoopOnce();
    }
}

bool PyxoAppBase::RunLoopOnce()
{
    bool updated = false;
    while (!updated) {
        if (!RunLoopStep(&updated))
            return false;
    }
    return true;
}

bool PyxoAppBase::RunLoopStep(bool* updated)
{
    if (updated)
        *updated = false;
    if (mExitLoopStep)
        return false;
    if (mLoopState == 3)
        mLoopState = 0;
    ++mLoopDepth;

    if (mLoopState == 0) {
        Platform::WindowMessage message;
        while (!mShutdown && Platform::PeekMessage(message, true))
            Platform::DispatchMessage(message);
        // A later copy of the program asks this one to come to the front.
        if (mInstanceMutex && mMainWindow && mNotifyMessage != 0) {
            while (auto notification = mInstanceMutex->Poll())
                Platform::PostMessage(mMainWindow, mNotifyMessage, static_cast<uintptr_t>(notification->wParam),
                                      static_cast<intptr_t>(notification->lParam));
        }
        // The cursor thread draws into the in-memory primary only; SDL may show that from the main thread alone.
        if (mDisplay)
            mDisplay->ShowScreenChanges();
        if (!ProcessDeferredMessage(true))
            mLoopState = 1;
    } else {
        const uint32_t before = mUpdateCount;
        ProcessFrame(true);
        if (updated)
            *updated = mUpdateCount != before;
    }

    --mLoopDepth;
    return true;
}

void PyxoAppBase::RestartElapsedTime()
{
    mElapsedTime = 0.0;
    mElapsedStamp = Platform::GetTickCount();
}

void PyxoAppBase::AddElapsedTime()
{
    const uint32_t now = Platform::GetTickCount();
    if (mElapsedStamp == 0) {
        mElapsedStamp = now;
        return;
    }
    const uint32_t delta = now - mElapsedStamp;
    mElapsedTime = std::min(mElapsedTime + delta, kMaxElapsedTime);
    mElapsedStamp = now;
}

bool PyxoAppBase::ProcessFrame(bool allowSleep)
{
    if (mShutdownRequested)
        Shutdown();

    if (mSpeedMultiplier <= 0.0) {
        // Stopped: the frame ends at once, so that the next step pumps messages again (a close still gets
        // through), and waits one interval instead of spinning.
        ProcessDeferredDeletes();
        mLoopState = 3;
        if (!allowSleep)
            return false;
        ++mSleepCount;
        Platform::Sleep(static_cast<uint32_t>(std::max(mUpdateInterval, 1)));
        return true;
    }

    const bool vsync =
        mVSyncUpdates && !mLastDrawSkipped && !mVSyncBroken && (!mIsWindowed || (mWaitForVSync && mAllowWindowedVSync));

    // Neither rate may divide by zero, whatever a caller stored.
    const int refreshRate = std::max(mRefreshRate, 1);
    const int updateInterval = std::max(mUpdateInterval, 1);
    double frameTime = 0.0;
    double fraction = 1.0;
    if (mVSyncUpdates) {
        frameTime = 1000.0 / refreshRate / mSpeedMultiplier;
        fraction = static_cast<float>(1000.0 / (static_cast<double>(updateInterval) * refreshRate));
    } else {
        frameTime = updateInterval / mSpeedMultiplier;
    }

    const uint32_t start = Platform::GetTickCount();
    uint32_t slept = 0;
    if (!vsync)
        AddElapsedTime();

    bool draw = false;
    if (mLoopState == 1) {
        ++mUpdatesSinceDraw;
        if (mUpdatesSinceDraw >= static_cast<int>(std::ceil(mSpeedMultiplier * 10.0)) && mLoadingFinishedHandled) {
            draw = true;
        } else if (vsync ? (mHasUpdated && mElapsedTime < static_cast<int>(frameTime * 0.75))
                         : mElapsedTime < frameTime) {
            draw = true;
        } else {
            if (mSpeedMultiplier == 1.0) {
                const uint32_t ticksPerSecond = static_cast<uint32_t>((updateInterval + 999) / updateInterval);
                if (++mRealTimeCheckTicks >= ticksPerSecond) {
                    if (start - mRealTimeCheckStamp <= kRealTimeCheckLimit) {
                        if (++mRealTimeStrikes >= kRealTimeStrikesToBreak)
                            mVSyncBroken = true;
                    } else {
                        mRealTimeStrikes = 0;
                    }
                    mRealTimeCheckStamp = start;
                    mRealTimeCheckTicks = 0;
                }
            }
            if (TryUpdateFrame())
                mLoopState = 2;
            mHasUpdated = true;
        }
    } else if (mLoopState == 2) {
        mLoopState = 3;
        mUpdateFraction += fraction - 1.0;
        ProcessDeferredDeletes();
        while (mUpdateFraction >= 1.0) {
            ++mUpdatesSinceDraw;
            if (!TryUpdateFrame())
                break;
            ProcessDeferredDeletes();
            mUpdateFraction -= 1.0;
        }
        UpdateFrameFraction(static_cast<float>(fraction));
        ProcessDeferredDeletes();
        mElapsedTime -= frameTime;
        if (vsync) {
            mElapsedTime -= 0.2f;
            if (mElapsedTime < 0.0)
                mElapsedTime = 0.0;
        }
    } else {
        draw = true;
    }

    if (draw) {
        mLoopState = 3;
        mUpdatesSinceDraw = 0;
        if (mHasUpdated) {
            DrawDirty();
        } else {
            const int wait = static_cast<int>(frameTime - mElapsedTime);
            if (wait > 0) {
                if (!allowSleep)
                    return false;
                ++mSleepCount;
                Platform::Sleep(static_cast<uint32_t>(wait));
                slept = static_cast<uint32_t>(wait);
            }
        }
    }

    if (mYieldToLoader) {
        // Sleep about twice the time the frame worked, so that the loading thread gets most of the processor.
        const int64_t worked = static_cast<int64_t>(static_cast<uint32_t>(Platform::GetTickCount() - start - slept));
        const int64_t extra = std::min<int64_t>(2 * worked - slept, kMaxLoaderYield);
        if (extra >= 0) {
            if (!allowSleep)
                return false;
            Platform::Sleep(static_cast<uint32_t>(extra));
        }
    }

    ProcessDeferredDeletes();
    return true;
}

bool PyxoAppBase::TryUpdateFrame()
{
    if (mScreenSaverActive)
        return false;
    if (mLoadingThreadCompleted && !mLoadingFinishedHandled) {
        mLoadingFinishedHandled = true;
        mYieldToLoader = false;
        // Once the content is there, the screen saver may run, but only in a window.
        if (Platform::VideoRunning())
            Platform::AllowScreenSaver(mIsWindowed);
        OnLoadingFinished();
    }
    UpdateFrame();
    return true;
}

void PyxoAppBase::UpdateFrame()
{
    ++mUpdateCount;
    if (!mMinimized)
        mWidgetManager->UpdateFrame();
    if (mMusicInterface)
        mMusicInterface->Update();
    mImagePool.Sweep();
}

void PyxoAppBase::UpdateFrameFraction(float fraction)
{
    if (mVSyncUpdates && !mMinimized)
        mWidgetManager->UpdateFrameFraction(fraction);
}

bool PyxoAppBase::DrawDirty()
{
    uint32_t now = Platform::GetTickCount();
    // The pause between frames that leaves the loading thread the processor lapses once the loader is done, so the
    // hand-over never waits on a pause that has lost its reason.
    if (static_cast<int32_t>(now - mNextDrawTime) < 0 && !mLoadingThreadCompleted) {
        mLastDrawSkipped = true;
        return false;
    }
    if (!mDisplay || !mWidgetManager->mImage) {
        // The surfaces are gone; presenting tries to get them back. Until then nothing is drawn, and the loop
        // waits out its frames instead of coming straight back here.
        Redraw(nullptr);
        mLastDrawSkipped = true;
        mHasUpdated = false;
        return false;
    }

    if (mWaitForVSync && mIsWindowed && mSoftVSyncWait) {
        // A window has no vertical blank of its own to wait for: draws start a refresh period apart.
        const int sinceLastDraw = static_cast<int>(now - mLastDrawTime);
        const int period = mDisplay->mMillisecondsPerFrame;
        if (sinceLastDraw < period) {
            Platform::Sleep(static_cast<uint32_t>(period - sinceLastDraw));
            now = Platform::GetTickCount();
        }
    }
    if (mShowFPS) {
        if (!mDebugOverlay)
            mDebugOverlay = std::make_unique<DebugOverlay>(mDisplay.get());
        mDebugOverlay->Update(mShowFPSMode, mWidgetManager->mLastMouseX, mWidgetManager->mLastMouseY);
    }
    mInDraw = true;
    const bool drew = mWidgetManager->DrawScreen();
    if (mShowFPS) {
        Graphics g(mWidgetManager->mImage);
        mDebugOverlay->Draw(&g, mWidth, mHeight);
    }
    mInDraw = false;
    const uint32_t drawn = Platform::GetTickCount();
    if (!drew && now - mLastDrawTime < 1000) {
        mLastDrawSkipped = true;
        mHasUpdated = false;
        return false;
    }

    ++mDrawCount;
    const int drawDuration = static_cast<int>(drawn - now);
    mDrawTime += drawDuration;
    mLastDrawTime = now;
    Redraw(nullptr);
    AddElapsedTime();
    const uint32_t presented = Platform::GetTickCount();
    mScreenBltTime = static_cast<int>(presented - drawn);
    if (mLoadingThreadStarted && !mLoadingThreadCompleted)
        mNextDrawTime = presented + static_cast<uint32_t>(std::max(drawDuration, 15) + 35);
    else
        mNextDrawTime = presented;
    mHasUpdated = false;
    mLastDrawSkipped = false;
    return true;
}

double PyxoAppBase::GetLoadingProgress()
{
    return mLoadingFinishedHandled ? 1.0 : 0.0;
}

void PyxoAppBase::WaitForLoadingThread()
{
    const bool mainThread = Platform::IsMainThread();
    std::unique_lock lock(mThreadMutex);
    while (mLoadingThreadStarted && !mLoadingThreadCompleted) {
        if (mainThread) {
            // The loader may be waiting for a message box that only this thread can show.
            lock.unlock();
            Platform::ServiceMessageBoxRequests();
            lock.lock();
        }
        mThreadWake.wait_for(lock, kLoaderPollPeriod, [this] { return mLoadingThreadCompleted.load(); });
    }
}

void PyxoAppBase::CursorThreadStep()
{
    const Platform::WindowHandle window{mCursorWindowId.load()};
    if (!window || !mDisplay)
        return;
    Platform::WindowPoint position = Platform::GetCursorPos();
    if (!Platform::ScreenToClient(window, position))
        return;
    if (mDrawCount > 0)
        mCursorReference = {mDisplay->mCursorX.load(), mDisplay->mCursorY.load()};
    if (position == mCursorReference)
        return;
    const uint32_t sinceDraw = Platform::GetTickCount() - mLastDrawTime;
    if (sinceDraw <= static_cast<uint32_t>(std::max(mDisplay->mMillisecondsPerFrame.load(), 0) + 5)) {
        // The next frame is close: it draws the cursor there.
        mDisplay->mNextCursorX = position.x;
        mDisplay->mNextCursorY = position.y;
    } else {
        mDisplay->SetCursorPos(position.x, position.y);
        mCursorReference = position;
    }
}

} // namespace Pyxo
