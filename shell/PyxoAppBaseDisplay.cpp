#include "graphics/D3DInterface.h"
#include "graphics/D3DTester.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "platform/log/Log.h"
#include "platform/time/Clock.h"
#include "platform/window/DesktopDisplay.h"
#include "platform/window/VideoSystem.h"
#include "platform/window/WindowSystem.h"
#include "shell/ProcessExit.h"
#include "shell/PyxoAppBase.h"
#include "shell/SoundManager.h"
#include "shell/StringHelpers.h"
#include "shell/WidgetManager.h"

#include <cmath>

namespace Pyxo {

namespace {

constexpr int kWorkAreaMargin = 4;
constexpr uintptr_t kUpdateTimerId = 100;
constexpr uint32_t kRecoveryRetryTime = 1001; // ms between attempts to restart the display while inactive

} // namespace

std::unique_ptr<DDInterface> PyxoAppBase::CreateDisplay()
{
    return std::make_unique<DDInterface>(this);
}

int PyxoAppBase::StartDisplay(Platform::WindowHandle window, bool isWindowed)
{
    return mDisplay ? mDisplay->Init(window, isWindowed) : DDInterface::RESULT_FAIL;
}

bool PyxoAppBase::PresentDisplay(const Rect* rect)
{
    return mDisplay && mDisplay->Redraw(rect);
}

Platform::WindowRect PyxoAppBase::DesktopWorkArea()
{
    return Platform::GetWorkArea().value_or(Platform::WindowRect{});
}

Platform::WindowPoint PyxoAppBase::PlaceWindow(int preferredX, int preferredY, int width, int height,
                                               const Platform::WindowRect& workArea)
{
    if (preferredX == -1) {
        const int x = workArea.left + (workArea.Width() - width) / 2;
        const int y = workArea.top + static_cast<int>(std::trunc(0.382 * (workArea.Height() - height)));
        return {x, y};
    }
    int x = std::max(preferredX, workArea.left + kWorkAreaMargin);
    int y = std::max(preferredY, workArea.top + kWorkAreaMargin);
    if (x + width >= workArea.right - kWorkAreaMargin)
        x = workArea.right - kWorkAreaMargin - width;
    if (y + height >= workArea.bottom - kWorkAreaMargin)
        y = workArea.bottom - kWorkAreaMargin - height;
    return {x, y};
}

void PyxoAppBase::CreateMainWindow()
{
    if (mMainWindow) {
        Platform::SetWindowUserData(mMainWindow, nullptr);
        Platform::DestroyWindow(mMainWindow);
        mMainWindow = {};
        mCursorWindowId = 0;
        mWidgetManager->mImage = nullptr;
    }

    Platform::WindowCreateInfo info;
    info.className = "MainWindow";
    info.title = mTitle;
    info.width = mWidth;
    info.height = mHeight;
    if (!mWindowedRequested) {
        info.mode = Platform::WindowMode::FullScreen;
        info.x = 0;
        info.y = 0;
        info.visible = true;
        mMainWindow = Platform::CreateWindow(info);
        mIsWindowed = false;
    } else {
        info.mode = Platform::WindowMode::Windowed;
        info.resizable = mAllowMaximize;
        const Platform::WindowPoint position =
            PlaceWindow(mPreferredX, mPreferredY, mWidth, mHeight, DesktopWorkArea());
        info.x = position.x;
        info.y = position.y;
        mMainWindow = Platform::CreateWindow(info);
        mIsWindowed = true;
    }
    if (!mMainWindow) {
        // Without a window nothing can be shown; the program cannot run.
        PopupW(L"Failed to create the main window: " + ToWideString(Platform::VideoError()));
        RestoreDisplayAndExit(1);
    }
    Platform::SetWindowUserData(mMainWindow, this);
    mCursorWindowId = mMainWindow.id;

    if (!mDisplay) {
        mDisplay = CreateDisplay();
        bool is3D = false;
        if (mDisplay && RegistryReadBoolean("Is3D", &is3D)) {
            mDisplay->mIs3D = is3D;
            if (is3D || mAutoEnable3D)
                mTest3D = true;
        }
    }
    if (!mDisplay) {
        PopupW(GetString("FAILED_INIT_DIRECTDRAW", L"Failed to initialize DirectDraw: "));
        RestoreDisplayAndExit(1);
    }

    const int result = StartDisplay(mMainWindow, mIsWindowed);
    mDisplayStartResult = result;
    // A 3-D device that could not take its render target leaves no choice worth keeping.
    if (D3DInterface::sRenderTargetFailed)
        RegistryEraseValue(L"Is3D");

    if (mIsWindowed && result == DDInterface::RESULT_INVALID_COLORDEPTH) {
        if (mFullScreenFailed) {
            PopupW(GetString("PLEASE_SET_COLOR_DEPTH", L"Please set your desktop color depth to 16 bit."));
            RestoreDisplayAndExit(1);
        }
        mWindowedImpossible = true;
        SetScreenMode(false);
        return;
    }
    if (!mIsWindowed &&
        (result == DDInterface::RESULT_EXCLUSIVE_FAIL || result == DDInterface::RESULT_DISPCHANGE_FAIL)) {
        mFullScreenFailed = true;
        SetScreenMode(true);
        // When a window is impossible too, the request above changed nothing: nothing runs, and that must not
        // pass for success.
        if (mDisplayStartResult != DDInterface::RESULT_OK) {
            ShowDisplayFailure(mDisplayStartResult);
            RestoreDisplayAndExit(1);
        }
    } else if (result == DDInterface::RESULT_3D_FAIL || (result != DDInterface::RESULT_OK && mDisplay->mIs3D)) {
        if (!mDisplay->mIs3D) {
            // Already without 3-D: starting again without it would change nothing and leave no display.
            ShowDisplayFailure(result);
            RestoreDisplayAndExit(1);
        }
        FallBackFrom3D();
        return;
    } else if (result != DDInterface::RESULT_OK) {
        ShowDisplayFailure(result);
        RestoreDisplayAndExit(1);
    }

    mActive = Platform::GetActiveWindow() == mMainWindow;
    mSizeMinimized = false;
    if (mMinimized) {
        if (mMuteOnFocusLoss)
            Unmute(true);
        mMinimized = false;
    }
    if ((mActive && !mMinimized) != mHasFocus)
        UpdateFocus();
    AdoptDisplaySurfaces();
    if (mLoadingFinishedHandled)
        Platform::AllowScreenSaver(mIsWindowed); // the screen saver may run only in a window
    Platform::SetTimer(mMainWindow, kUpdateTimerId, static_cast<uint32_t>(std::max(mUpdateInterval, 1)));
}

void PyxoAppBase::AdoptDisplaySurfaces()
{
    RecreateImageSurfaces();
    mWidgetManager->mImage = mDisplay ? mDisplay->GetScreenImage() : nullptr;
    mWidgetManager->MarkAllDirty();
}

void PyxoAppBase::ShowDisplayFailure(int result)
{
    std::wstring text = GetString("FAILED_INIT_DIRECTDRAW", L"Failed to initialize DirectDraw: ");
    text += ToWideString(DDInterface::ResultToString(result));
    if (mDisplay) {
        text += L" ";
        text += ToWideString(mDisplay->mErrorString);
    }
    PopupW(text);
}

void PyxoAppBase::SetScreenModeEx(bool windowed, bool is3D, bool force)
{
    if (mWindowedImpossible)
        windowed = false;
    if (windowed == mWindowedRequested && !force) {
        Set3DAcceleration(is3D, true);
        return;
    }
    Set3DAcceleration(is3D, false);
    mWindowedRequested = windowed;
    CreateMainWindow();
    if (mIsOpeningURL) {
        Platform::ShowWindow(mMainWindow, Platform::SW_SHOWNOACTIVATE);
    } else {
        Platform::ShowWindow(mMainWindow, Platform::SW_SHOWNORMAL);
        Platform::SetForegroundWindow(mMainWindow);
    }
    if (mSoundManager)
        mSoundManager->SetCooperativeWindow(mMainWindow, mIsWindowed);
    mLastActivityTime = Platform::GetTickCount();
}

void PyxoAppBase::SetScreenMode(bool windowed)
{
    SetScreenModeEx(windowed, Is3DAccelerated(), false);
}

void PyxoAppBase::ReapplyScreenMode()
{
    SetScreenModeEx(mWindowedRequested, Is3DAccelerated(), true);
}

void PyxoAppBase::SetSurfaceOnlyDraw(bool surfaceOnly)
{
    if (surfaceOnly == mSurfaceOnlyDraw)
        return;
    mSurfaceOnlyDraw = surfaceOnly;
    if (!mDisplay)
        return;
    mDisplay->SetSurfaceOnlyDraw(surfaceOnly);
    mWidgetManager->mImage = mDisplay->GetScreenImage();
    mWidgetManager->MarkAllDirty();
}

void PyxoAppBase::Set3DAcceleration(bool is3D, bool restart)
{
    if (!mDisplay || mDisplay->mIs3D == is3D)
        return;
    mThreeDSwitchedOn = true;
    mDisplay->mIs3D = is3D;
    if (!restart)
        return;
    const int result = StartDisplay(mMainWindow, mIsWindowed);
    mDisplayStartResult = result;
    if (result != DDInterface::RESULT_OK) {
        if (!is3D) {
            ShowDisplayFailure(result);
            RestoreDisplayAndExit(1);
        }
        FallBackFrom3D();
        return;
    }
    AdoptDisplaySurfaces();
}

void PyxoAppBase::FallBackFrom3D()
{
    // The fall-back is not the player's switch: the stored choice stays as it was unless the player answers the
    // question at exit with No.
    const bool switchedOn = mThreeDSwitchedOn;
    mDisplay->m3DMayNotHaveWorked = true;
    Set3DAcceleration(false, true);
    mThreeDSwitchedOn = switchedOn;
}

bool PyxoAppBase::Is3DAccelerated() const
{
    return mDisplay && mDisplay->mIs3D;
}

bool PyxoAppBase::Is3DSupported() const
{
    return mDisplay && mDisplay->mD3DTester && mDisplay->mD3DTester->mFailureReason.empty();
}

bool PyxoAppBase::Is3DRecommended() const
{
    return Is3DSupported() && mDisplay->mD3DTester->mWarning.empty();
}

void PyxoAppBase::Redraw(const Rect* rect)
{
    if (mInDraw || mShutdown || mScreenSaverActive || !mDisplay)
        return;
    ++mRedrawCount;
    if (PresentDisplay(rect)) {
        if (mSurfacesLost) {
            mSurfacesLost = false;
            mLastRecoveryTime = 0;
        }
        return;
    }

    mSurfacesLost = true;
    const auto placement = Platform::GetWindowPlacement(mMainWindow);
    const uint32_t now = Platform::GetTickCount();
    if (!mActive && (now - mLastRecoveryTime < kRecoveryRetryTime || !mIsWindowed)) {
        ++mRedrawFailCount; // wait to be activated
        return;
    }
    const bool minimized = placement && placement->showCommand == Platform::SW_SHOWMINIMIZED;
    if (minimized || mMinimized)
        return;

    mLastRecoveryTime = now;
    mWidgetManager->mImage = nullptr;
    const Platform::WindowRect workArea = DesktopWorkArea();
    if ((mWidth >= workArea.Width() || mHeight >= workArea.Height()) && mWindowedRequested) {
        if (!mFullScreenFailed) {
            mWindowedImpossible = true;
            SetScreenMode(false);
        } else {
            PopupW(GetString("PLEASE_SET_COLOR_DEPTH", L"Please set your desktop color depth to 16 bit."));
            Shutdown();
        }
        return;
    }
    const int result = StartDisplay(mMainWindow, mIsWindowed);
    mDisplayStartResult = result;
    if (result == DDInterface::RESULT_INVALID_COLORDEPTH && mWindowedRequested && mActive) {
        SetScreenMode(false);
        mWindowedImpossible = true;
    } else if (result == DDInterface::RESULT_3D_FAIL) {
        FallBackFrom3D();
    } else if (result == DDInterface::RESULT_OK) {
        AdoptDisplaySurfaces();
        mLastRecoveryTime = now;
    }
    // Any other failure: try again on a later frame.
}

void PyxoAppBase::RestoreDisplayMode()
{
    // Nothing here changes the desktop's mode (full screen scales into a desktop-sized window), so there is
    // never a mode to restore.
    mDisplayModeChanged = false;
}

void PyxoAppBase::RestoreDisplayAndExit(int exitCode)
{
    RestoreDisplayMode();
    ExitProcess(exitCode);
}

} // namespace Pyxo
