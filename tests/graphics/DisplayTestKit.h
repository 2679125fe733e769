#pragma once

// A display on the DirectDraw stand-in for the display and surface-image tests: an application object that owns
// the display, a desktop the test chooses, a frozen clock and no injected failures left behind.

#include "graphics/DDInterface.h"
#include "platform/directdraw/DirectDrawEmulation.h"
#include "platform/directdraw/DirectDrawSurface.h"
#include "platform/time/Clock.h"
#include "shell/PyxoAppBase.h"

#include <gtest/gtest.h>

#include <memory>

namespace DisplayTest {

inline Platform::DisplayMode Desktop(int width, int height, const Platform::PixelFormat& format, int refreshRate = 60)
{
    Platform::DisplayMode mode;
    mode.width = width;
    mode.height = height;
    mode.bitsPerPixel = static_cast<int>(format.rgbBitCount);
    mode.refreshRate = refreshRate;
    mode.redMask = format.redMask;
    mode.greenMask = format.greenMask;
    mode.blueMask = format.blueMask;
    return mode;
}

class DisplayFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        Platform::ResetDirectDrawEmulation();
        Platform::SetEmulatedDesktop(Desktop(1024, 768, Platform::kFormatX888));
        mPreviousClock = Platform::SetClock(&mClock);
        mApp = std::make_unique<Pyxo::PyxoAppBase>();
        mApp->mDisplay = std::make_unique<Pyxo::DDInterface>(mApp.get());
        mDisplay = mApp->mDisplay.get();
        // 2-D unless a test asks for 3-D: no capability test switches it on behind the test's back.
        mApp->mTest3D = false;
        mDisplay->mIs3D = false;
    }

    void TearDown() override
    {
        mApp.reset();
        Platform::SetClock(mPreviousClock);
        Platform::ResetDirectDrawEmulation();
    }

    /// Starts the display in a window (the null window: client origin (0, 0)) on the given desktop.
    int StartWindowed(const Platform::PixelFormat& format = Platform::kFormatX888)
    {
        Platform::SetEmulatedDesktop(Desktop(1024, 768, format));
        return mDisplay->Init(Platform::WindowHandle{}, true);
    }

    Platform::ManualClock mClock{5000};
    Platform::Clock* mPreviousClock = nullptr;
    std::unique_ptr<Pyxo::PyxoAppBase> mApp;
    Pyxo::DDInterface* mDisplay = nullptr; // owned by mApp
};

} // namespace DisplayTest
