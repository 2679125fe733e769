#pragma once

// An application object for the shell's tests: a display that answers with scripted start-up results, a silent
// sound manager that records its volume, a work area that tests choose, and draws that only count. The fixture
// injects the clock, keeps the registry in memory and turns the process exit into an exception.

#include "graphics/DDInterface.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryStorage.h"
#include "platform/time/Clock.h"
#include "shell/PathHelpers.h"
#include "shell/ProcessExit.h"
#include "shell/PyxoAppBase.h"
#include "shell/SoundManager.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace PyxoTest {

/// What the exit function throws in tests in place of ending the process.
struct ExitCalled {
    int code;
};

[[noreturn]] inline void ThrowExit(int code)
{
    throw ExitCalled{code};
}

class FakeSoundManager final : public Pyxo::SoundManager {
public:
    bool Initialized() override { return true; }
    int LoadSoundByName(const std::string&) override { return -1; }
    bool LoadSound(unsigned int, const std::string&) override { return false; }
    void ReleaseSound(unsigned int) override {}
    void SetVolume(double volume) override { mVolume = volume; }
    bool SetBaseVolume(unsigned int, double) override { return false; }
    bool SetBasePan(unsigned int, int) override { return false; }
    Pyxo::SoundInstance* GetSoundInstance(unsigned int) override { return nullptr; }
    void ReleaseSounds() override {}
    void ReleaseChannels() override {}
    double GetMasterVolume() override { return 1.0; }
    void SetMasterVolume(double) override {}
    void SetCooperativeWindow(Platform::WindowHandle, bool) override {}
    void StopAllSounds() override {}
    int GetFreeSoundId() override { return 0; }
    int GetNumSounds() override { return 0; }

    double mVolume = -1.0;
};

class TestApp : public Pyxo::PyxoAppBase {
public:
    TestApp()
    {
        mProductName = "Ilvane Shell Test";
        mRegKey = "Ilvane Tests\\Shell";
        mWindowedRequested = true;
        mUseLoadingThread = false;
    }

    std::unique_ptr<Pyxo::DDInterface> CreateDisplay() override
    {
        auto display = PyxoAppBase::CreateDisplay();
        display->mIs3D = mInitial3D;
        return display;
    }

    int StartDisplay(Platform::WindowHandle, bool isWindowed) override
    {
        mStarts.push_back({isWindowed, mDisplay->mIs3D});
        if (mStartResults.empty())
            return Pyxo::DDInterface::RESULT_OK;
        const int result = mStartResults.front();
        mStartResults.pop_front();
        return result;
    }

    bool PresentDisplay(const Pyxo::Rect*) override
    {
        ++mPresents;
        if (mPresentResults.empty())
            return true;
        const bool presented = mPresentResults.front();
        mPresentResults.pop_front();
        return presented;
    }

    std::unique_ptr<Pyxo::SoundManager> CreateSoundManager(Platform::WindowHandle, bool) override
    {
        auto sound = std::make_unique<FakeSoundManager>();
        mSound = sound.get();
        return sound;
    }

    Platform::WindowRect DesktopWorkArea() override { return mWorkArea; }
    bool ExeFolderHook(const std::string&) override { return true; } // the test process keeps its folder

    /// Counts the draw; presenting takes mDrawDuration on the injected clock (in vsync mode, the wait for the
    /// refresh), and the time is added afterwards, as the real draw does.
    bool DrawDirty() override
    {
        mDrawUpdateCounts.push_back(mUpdateCount);
        if (mDrawDuration > 0)
            Platform::Sleep(mDrawDuration);
        AddElapsedTime();
        mHasUpdated = false;
        return true;
    }

    void UpdateFrameFraction(float fraction) override
    {
        mFractions.push_back(fraction);
        PyxoAppBase::UpdateFrameFraction(fraction);
    }

    void HandleCloseRequest() override { ++mCloseRequests; }
    void RestoreMainWindow(uintptr_t wParam, intptr_t lParam) override
    {
        ++mRestores;
        PyxoAppBase::RestoreMainWindow(wParam, lParam);
    }
    void LoadContent() override { mLoaded = true; }
    void OnLoadingFinished() override { ++mLoadingFinished; }

    struct DisplayStart {
        bool windowed;
        bool is3D;
    };
    std::deque<int> mStartResults; // scripted DDInterface results, then RESULT_OK
    std::vector<DisplayStart> mStarts;
    std::deque<bool> mPresentResults; // scripted presents, then success
    int mPresents = 0;
    bool mInitial3D = false;
    Platform::WindowRect mWorkArea{0, 0, 1920, 1080};
    FakeSoundManager* mSound = nullptr;      // owned by the application
    std::vector<uint32_t> mDrawUpdateCounts; // the update count at each draw
    uint32_t mDrawDuration = 0;              // ms
    std::vector<float> mFractions;
    int mCloseRequests = 0;
    int mRestores = 0;
    std::atomic<bool> mLoaded = false;
    int mLoadingFinished = 0;
};

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        mPreviousClock = Platform::SetClock(&mClock);
        mPreviousStorage = Platform::SetRegistryStorage(&mRegistry);
        mPreviousExit = Pyxo::SetExitHandler(&ThrowExit);
        mPreviousDataFolder = Pyxo::GetAppDataFolder();
    }

    void TearDown() override
    {
        mApp.reset();
        Pyxo::SetAppDataFolder(mPreviousDataFolder); // Init sets it for the whole process
        Pyxo::SetExitHandler(mPreviousExit);
        Platform::SetRegistryStorage(mPreviousStorage);
        Platform::SetClock(mPreviousClock);
    }

    TestApp& MakeApp()
    {
        mApp = std::make_unique<TestApp>();
        return *mApp;
    }

    /// Runs loop steps until the clock has moved on by `ms` (bounded, so a loop that stops sleeping fails
    /// instead of hanging).
    void StepFor(uint32_t ms)
    {
        const uint32_t end = mClock.TickCount() + ms;
        for (int guard = 0; guard < 100000 && static_cast<int32_t>(mClock.TickCount() - end) < 0; ++guard)
            mApp->RunLoopStep(nullptr);
        ASSERT_GE(static_cast<int32_t>(mClock.TickCount() - end), 0) << "the loop stopped waiting for time";
    }

    /// Runs loop steps until no message is pumped or waiting any more.
    void StepMessages()
    {
        for (int i = 0; i < 8; ++i)
            mApp->RunLoopStep(nullptr);
    }

    int ReadStored(const std::string& name)
    {
        int value = -12345;
        EXPECT_TRUE(mApp->RegistryReadInteger(name, &value)) << name;
        return value;
    }

    Platform::ManualClock mClock{1000};
    Platform::MemoryRegistryStorage mRegistry;
    std::unique_ptr<TestApp> mApp;

private:
    Platform::Clock* mPreviousClock = nullptr;
    Platform::RegistryStorage* mPreviousStorage = nullptr;
    Pyxo::ExitHandler mPreviousExit = nullptr;
    std::string mPreviousDataFolder;
};

} // namespace PyxoTest
