#include "graphics/DDInterface.h"
#include "platform/log/Log.h"
#include "platform/process/MainThread.h"
#include "platform/time/Clock.h"
#include "platform/window/Cursor.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowSystem.h"
#include "shell/PyxoAppBase.h"
#include "shell/WidgetManager.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace Pyxo {

namespace {

constexpr uint32_t kTimerRunGap = 500;     // ms without a timer tick that starts a new run
constexpr uint32_t kUrlSettleTime = 5000;  // ms of timer run before a pending URL is judged
constexpr uint32_t kUrlOpenedTime = 8000;  // ms after which losing the focus means the browser came up
constexpr uint32_t kUrlFailedTime = 12000; // ms after which keeping the focus means it did not
constexpr int kCursorSize = 32;

// The two cursors the application draws itself, 32 x 32: 'X' black, 'O' white, anything else transparent.
// Rows not listed are transparent.
constexpr const char* kHandCursorArt[] = {
    "",
    "",
    "",
    "",
    "..........XX",
    ".........XOOX",
    ".........XOOX",
    ".........XOOX",
    ".........XOOX",
    ".........XOOXXX",
    ".........XOOXOOXXX",
    ".........XOOXOOXOOXX",
    ".........XOOXOOXOOXOX",
    "......XX.XOOOOOOOOXOX",
    "......XOXXOOOOOOOOOOX",
    "......XOOXOOOOOOOOOOX",
    ".......XOOOOOOOOOOOOX",
    ".......XOOOOOOOOOOOOX",
    "........XOOOOOOOOOOOX",
    "........XOOOOOOOOOOX",
    ".........XOOOOOOOOOX",
    ".........XOOOOOOOOOX",
    "..........XOOOOOOOX",
    "..........XOOOOOOOX",
    "..........XXXXXXXXX",
};
constexpr const char* kDragCursorArt[] = {
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "...........XX.XX.XX",
    "..........XOOXOOXOOXX",
    "..........XOOXOOXOOXOX",
    "........XXXOOOOOOOOXOX",
    "........XOXOOOOOOOOOOX",
    "........XOOOOOOOOOOOOX",
    ".........XOOOOOOOOOOOX",
    ".........XOOOOOOOOOOX",
    "..........XOOOOOOOOOX",
    "..........XOOOOOOOOX",
    "..........XXXXXXXXXX",
};

template <size_t N>
Platform::CursorHandle CursorFromArt(const char* const (&art)[N], int hotX, int hotY)
{
    std::vector<uint32_t> pixels(kCursorSize * kCursorSize, 0);
    for (size_t row = 0; row < N && row < kCursorSize; ++row) {
        const size_t length = std::min<size_t>(std::strlen(art[row]), kCursorSize);
        for (size_t column = 0; column < length; ++column) {
            const char c = art[row][column];
            uint32_t& pixel = pixels[row * kCursorSize + column];
            if (c == 'X')
                pixel = 0xFF000000u;
            else if (c == 'O')
                pixel = 0xFFFFFFFFu;
        }
    }
    return Platform::CreateCursorFromArgb(kCursorSize, kCursorSize, pixels, hotX, hotY);
}

bool IsKeyMessage(uint32_t message)
{
    return message == Platform::WM_KEYDOWN || message == Platform::WM_KEYUP || message == Platform::WM_SYSKEYDOWN ||
           message == Platform::WM_SYSKEYUP;
}

bool IsQueuedMessage(uint32_t message)
{
    using namespace Platform;
    switch (message) {
    case WM_MOVE:
    case WM_SIZE:
    case WM_CLOSE:
    case WM_SYSCOLORCHANGE:
    case WM_ACTIVATEAPP:
    case WM_DISPLAYCHANGE:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_TIMER:
    case WM_MOUSEWHEEL:
        return true;
    default:
        return message >= WM_MOUSEMOVE && message <= WM_MBUTTONUP;
    }
}

} // namespace

void PyxoAppBase::CreateCursors()
{
    mHandCursor = CursorFromArt(kHandCursorArt, 11, 4);
    mDragCursor = CursorFromArt(kDragCursorArt, 15, 10);
}

intptr_t PyxoAppBase::WindowProc(Platform::WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    using namespace Platform;
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_SETCURSOR:
        if (!mAppHidden)
            ApplyCursor();
        return 1;
    case WM_PAINT:
        if (mInitialized && !mAppHidden) {
            if (mRunning)
                Redraw(nullptr);
            return 0;
        }
        return DefWindowProc(window, message, wParam, lParam);
    case WM_QUERYOPEN:
        return AllowRestoreWindow() ? DefWindowProc(window, message, wParam, lParam) : 0;
    case WM_ENABLE:
        mDisabled = wParam == 0;
        return DefWindowProc(window, message, wParam, lParam);
    case WM_DESTROY:
        Log(LogLevel::Debug, "app", "DESTROYED HWND: %u", window.id);
        return DefWindowProc(window, message, wParam, lParam);
    case WM_ENDSESSION:
        Shutdown();
        return DefWindowProc(window, message, wParam, lParam);
    case WM_NCLBUTTONDOWN: {
        const intptr_t result = DefWindowProc(window, message, wParam, lParam);
        RestartElapsedTime();
        return result;
    }
    case WM_SYSCHAR:
        return SysCharFilter(static_cast<wchar_t>(wParam)) ? 0 : DefWindowProc(window, message, wParam, lParam);
    case WM_SYSCOMMAND:
        if (wParam == SC_SCREENSAVE) {
            if (!mLoadingFinishedHandled || !mIsWindowed)
                return 0;
            return DefWindowProc(window, message, wParam, lParam);
        }
        if (wParam == SC_MONITORPOWER) {
            mLastActivityTime = GetTickCount();
            if (!mAllowMonitorPowerOff || !mLoadingFinishedHandled)
                return 0;
            return DefWindowProc(window, message, wParam, lParam);
        }
        return DefWindowProc(window, message, wParam, lParam);
    default:
        break;
    }

    if (IsQueuedMessage(message)) {
        if (message == WM_ACTIVATEAPP && window == mMainWindow)
            mActive = wParam != 0;
        if (mInSystemDialog)
            return DefWindowProc(window, message, wParam, lParam);

        if (IsKeyMessage(message)) {
            const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
            if (wParam == VK_CONTROL)
                mCtrlDown = down;
            else if (wParam == VK_MENU)
                mAltDown = down;
            if (down && AppKeyDown(static_cast<int>(wParam), mCtrlDown, mAltDown))
                return 0;
        }

        // At most one close, one timer tick and one colour or display change wait at a time, so that a busy
        // loop builds up no backlog of repeated notices.
        bool queue = true;
        const uint32_t newest = mDeferredMessages.empty() ? WM_NULL : mDeferredMessages.back().message;
        if (newest == WM_CLOSE) {
            queue = false;
        } else if (message == WM_TIMER && newest == WM_TIMER) {
            return DefWindowProc(window, message, wParam, lParam);
        } else if (message == WM_SYSCOLORCHANGE || message == WM_DISPLAYCHANGE) {
            queue = std::none_of(mDeferredMessages.begin(), mDeferredMessages.end(), [](const WindowMessage& m) {
                return m.message == WM_SYSCOLORCHANGE || m.message == WM_DISPLAYCHANGE;
            });
        }
        if (queue) {
            WindowMessage record;
            record.hwnd = window;
            record.message = message;
            record.wParam = wParam;
            record.lParam = lParam;
            record.time = GetTickCount();
            record.pt = GetCursorPos();
            mDeferredMessages.push_back(record);
        }

        if (message == WM_SIZE)
            mSizeMinimized = wParam == SIZE_MINIMIZED;
        if (message == WM_SYSKEYDOWN && wParam != VK_F4)
            return 0; // Alt+F4 still reaches the default handling and becomes a close
        if (message == WM_CLOSE) {
            HandleCloseRequest();
            return 0; // never destroyed by the default handling: the queued close shuts the program down
        }
        return DefWindowProc(window, message, wParam, lParam);
    }

    if (message == mNotifyMessage && mNotifyMessage != 0 && window == mMainWindow) {
        RestoreMainWindow(wParam, lParam);
        return 0;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

bool PyxoAppBase::ProcessDeferredMessage(bool onlyOne)
{
    while (!mDeferredMessages.empty()) {
        const Platform::WindowMessage record = mDeferredMessages.front();
        mDeferredMessages.pop_front();
        HandleDeferredMessage(record);
        if (onlyOne)
            break;
    }
    return !mDeferredMessages.empty();
}

void PyxoAppBase::HandleDeferredMessage(const Platform::WindowMessage& record)
{
    using namespace Platform;
    const uint32_t message = record.message;
    const int key = static_cast<int>(record.wParam);
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
        HandleKeyDown(record);
    } else if (message == WM_KEYUP || message == WM_SYSKEYUP) {
        mWidgetManager->KeyUp(key);
    } else if (message == WM_CHAR) {
        mWidgetManager->KeyChar(static_cast<wchar_t>(record.wParam & 0xFFFF));
    } else if (message >= WM_MOUSEMOVE && message <= WM_MBUTTONUP) {
        if (!mAppHidden)
            HandleMouseMessage(record);
    } else if (message == WM_MOUSEWHEEL) {
        mWidgetManager->MouseWheel(static_cast<int8_t>(GetWheelDeltaWParam(record.wParam) / WHEEL_DELTA));
    } else if (message == WM_MOVE) {
        if (record.hwnd == mMainWindow && mWindowedRequested) {
            const auto placement = GetWindowPlacement(mMainWindow);
            if (placement && (placement->showCommand == SW_SHOWNORMAL || placement->showCommand == SW_SHOW)) {
                mPreferredX = placement->normalPosition.left;
                mPreferredY = placement->normalPosition.top;
            }
        }
    } else if (message == WM_SIZE) {
        if (record.hwnd == mMainWindow && !mShutdown)
            HandleSize(record);
    } else if (message == WM_SYSCOLORCHANGE || message == WM_DISPLAYCHANGE) {
        mWidgetManager->SystemColorsChangedAll();
        mWidgetManager->MarkAllDirty();
    } else if (message == WM_ACTIVATEAPP) {
        if (record.hwnd == mMainWindow && !mAppHidden && !mShutdown) {
            UpdateFocus();
            if (mActive && !mWindowedRequested)
                mWidgetManager->MarkAllDirty();
            if (mIsOpeningURL && !mActive)
                OnUrlOpened(mOpeningURL);
        }
    } else if (message == WM_TIMER) {
        if (!mAppHidden && mRunning)
            TimerTick(record.hwnd);
    } else if (message == WM_CLOSE) {
        if (record.hwnd == mMainWindow || record.hwnd == mInvisibleWindow) {
            mCloseFromWindow = true;
            Shutdown();
        }
    }
}

void PyxoAppBase::HandleKeyDown(const Platform::WindowMessage& record)
{
    using namespace Platform;
    if (record.message == WM_SYSKEYDOWN && record.wParam == VK_RETURN && !mWindowedImpossible && !mFullScreenFailed) {
        SetScreenMode(!mWindowedRequested);
        mWidgetManager->mKeyDown.fill(false);
        mCtrlDown = false;
        mAltDown = false;
    }
    if (record.wParam == 'D' && mWidgetManager->mKeyDown[VK_CONTROL] && mWidgetManager->mKeyDown[VK_SHIFT]) {
        // Toggled without a sound: the desktop offers no click that every system has.
        mDebugKeysOn = !mDebugKeysOn;
    }
    const int key = static_cast<int>(record.wParam);
    if (!(mDebugKeysOn && DebugKeyDown(key)))
        mWidgetManager->KeyDown(key);
}

void PyxoAppBase::HandleMouseMessage(const Platform::WindowMessage& record)
{
    using namespace Platform;
    int x = GetXLParam(record.lParam);
    int y = GetYLParam(record.lParam);
    mWidgetManager->MapPointerToScreen(x, y);
    mWidgetManager->MouseMove(x, y);
    if (!mMouseIn) {
        mMouseIn = true;
        ApplyCursor();
    }
    // Capture goes only when no other button is still held.
    const auto releaseUnlessHeld = [this](int bit) {
        if ((mWidgetManager->mActualDownButtons & ~bit) == 0)
            Platform::ReleaseCapture();
    };
    switch (record.message) {
    case WM_LBUTTONDOWN:
        Platform::SetCapture(record.hwnd);
        mWidgetManager->MouseDown(x, y, 1);
        break;
    case WM_LBUTTONDBLCLK:
        Platform::SetCapture(record.hwnd);
        mWidgetManager->MouseDown(x, y, 2);
        break;
    case WM_RBUTTONDOWN:
        Platform::SetCapture(record.hwnd);
        mWidgetManager->MouseDown(x, y, -1);
        break;
    case WM_RBUTTONDBLCLK:
        Platform::SetCapture(record.hwnd);
        mWidgetManager->MouseDown(x, y, -2);
        break;
    case WM_MBUTTONDOWN:
        Platform::SetCapture(record.hwnd);
        mWidgetManager->MouseDown(x, y, 3);
        break;
    case WM_LBUTTONUP:
        releaseUnlessHeld(WidgetManager::kLeftButtonBit);
        mWidgetManager->MouseUp(x, y, 1);
        break;
    case WM_RBUTTONUP:
        releaseUnlessHeld(WidgetManager::kRightButtonBit);
        mWidgetManager->MouseUp(x, y, -1);
        break;
    case WM_MBUTTONUP:
        releaseUnlessHeld(WidgetManager::kMiddleButtonBit);
        mWidgetManager->MouseUp(x, y, 3);
        break;
    default:
        break;
    }
}

void PyxoAppBase::HandleSize(const Platform::WindowMessage& record)
{
    const bool minimized = record.wParam == Platform::SIZE_MINIMIZED;
    if (minimized != mMinimized) {
        mMinimized = minimized;
        if (minimized) {
            if (mMuteOnFocusLoss)
                Mute(true);
        } else {
            if (mMuteOnFocusLoss)
                Unmute(true);
            mWidgetManager->MarkAllDirty();
        }
    }
    UpdateFocus();
    if (record.wParam == Platform::SIZE_MAXIMIZED)
        SetScreenMode(false);
}

void PyxoAppBase::TimerTick(Platform::WindowHandle window)
{
    using namespace Platform;
    const uint32_t now = GetTickCount();
    if (now - mLastTimerTick > kTimerRunGap)
        mTimerRunStart = now;
    mLastTimerTick = now;

    if (mIsOpeningURL && now - mTimerRunStart > kUrlSettleTime) {
        if (now - mOpeningURLTime > kUrlOpenedTime && !mActive)
            OnUrlOpened(mOpeningURL);
        else if (now - mOpeningURLTime > kUrlFailedTime && mActive)
            OnUrlOpenFailed(mOpeningURL);
    }

    // The pointer left the window without a message saying so (it moved fast, or over another window).
    const WindowRect client = GetClientRect(window);
    WindowPoint topLeft{0, 0};
    WindowPoint bottomRight{client.Width(), client.Height()};
    ClientToScreen(window, topLeft);
    ClientToScreen(window, bottomRight);
    const WindowPoint pointer = GetCursorPos();
    const bool inside = WindowFromPoint(pointer) == window && pointer.x >= topLeft.x && pointer.y >= topLeft.y &&
                        pointer.x < bottomRight.x && pointer.y < bottomRight.y;
    if (inside != mMouseIn) {
        if (!inside) {
            int x = pointer.x - topLeft.x;
            int y = pointer.y - topLeft.y;
            mWidgetManager->MapPointerToScreen(x, y);
            mWidgetManager->MouseExit(x, y);
        }
        mMouseIn = inside;
        ApplyCursor();
    }
}

void PyxoAppBase::UpdateFocus()
{
    const bool focus = mActive && !mMinimized;
    if (focus == mHasFocus)
        return;
    mHasFocus = focus;
    if (focus) {
        if (mMuteOnFocusLoss)
            Unmute(true);
        mWidgetManager->AppGotFocus();
        AppGotFocus();
    } else {
        if (mMuteOnFocusLoss)
            Mute(true);
        mWidgetManager->AppLostFocus();
        AppLostFocus();
        Platform::ReleaseCapture();
        mWidgetManager->ReleaseCapture();
    }
}

void PyxoAppBase::ApplyCursor()
{
    using Platform::SystemCursor;
    if (!mDisplay)
        return;
    Platform::CursorHandle cursor = Platform::LoadSystemCursor(SystemCursor::Arrow);
    if (!mAppHidden && mMouseIn) {
        const bool known = mCursorNumber >= 0 && mCursorNumber < kNumCursors;
        Image* image = known ? mCursorImages[static_cast<size_t>(mCursorNumber)] : nullptr;
        if (image && (mCustomCursors || mCursorNumber == 12)) {
            if (mDisplay->SetCursorImage(image))
                mWidgetManager->MarkAllDirty();
            Platform::SetCursor({});
            mSystemCursorShown = false;
            return;
        }
        switch (mCursorNumber) {
        case 1:
            cursor = mHandCursor;
            break;
        case 2:
            cursor = mDragCursor;
            break;
        case 3:
            cursor = Platform::LoadSystemCursor(SystemCursor::IBeam);
            break;
        case 4:
            cursor = Platform::LoadSystemCursor(SystemCursor::No);
            break;
        case 5:
            cursor = Platform::LoadSystemCursor(SystemCursor::SizeAll);
            break;
        case 6:
            cursor = Platform::LoadSystemCursor(SystemCursor::SizeNESW);
            break;
        case 7:
            cursor = Platform::LoadSystemCursor(SystemCursor::SizeNS);
            break;
        case 8:
            cursor = Platform::LoadSystemCursor(SystemCursor::SizeNWSE);
            break;
        case 9:
            cursor = Platform::LoadSystemCursor(SystemCursor::SizeWE);
            break;
        case 10:
            cursor = Platform::LoadSystemCursor(SystemCursor::Wait);
            break;
        case 11:
        case 12:
            cursor = {};
            break;
        default:
            break;
        }
        if (mOverrideCursor)
            cursor = mOverrideCursor;
    }
    Platform::SetCursor(cursor);
    if (mDisplay->SetCursorImage(nullptr))
        mWidgetManager->MarkAllDirty();
    mSystemCursorShown = true;
}

bool PyxoAppBase::QueueCursorChangeIfOffMainThread(std::function<void()> change)
{
    // The cursor calls reach SDL, which runs on the main thread only; the resource-loading thread selects
    // cursors too, so its calls are made by the main thread at its next update, in the order they were asked for.
    if (!mWidgetManager || Platform::IsMainThread())
        return false;
    mWidgetManager->QueueChange(std::move(change));
    return true;
}

void PyxoAppBase::SetCursor(int cursorNumber)
{
    if (QueueCursorChangeIfOffMainThread([this, cursorNumber] { SetCursor(cursorNumber); }))
        return;
    mCursorNumber = cursorNumber;
    ApplyCursor();
}

void PyxoAppBase::EnableCustomCursors(bool enabled)
{
    if (QueueCursorChangeIfOffMainThread([this, enabled] { EnableCustomCursors(enabled); }))
        return;
    mCustomCursors = enabled;
    ApplyCursor();
}

void PyxoAppBase::SetCursorImage(int cursorNumber, Image* image)
{
    if (QueueCursorChangeIfOffMainThread([this, cursorNumber, image] { SetCursorImage(cursorNumber, image); }))
        return;
    if (cursorNumber < 0 || cursorNumber >= kNumCursors)
        return;
    mCursorImages[static_cast<size_t>(cursorNumber)] = image;
    ApplyCursor();
}

void PyxoAppBase::HideAppWindow()
{
    if (mMainWindow)
        Platform::ShowWindow(mMainWindow, Platform::SW_HIDE);
    mAppHidden = true;
    ApplyCursor();
}

void PyxoAppBase::RestoreMainWindow(uintptr_t wParam, intptr_t /*lParam*/)
{
    if (wParam != 0 || !mMainWindow)
        return;
    if (Platform::IsIconic(mMainWindow))
        Platform::ShowWindow(mMainWindow, Platform::SW_RESTORE);
    Platform::SetForegroundWindow(mMainWindow);
}

bool PyxoAppBase::SysCharFilter(wchar_t character)
{
    return character == L'\r' || character == L'r';
}

bool PyxoAppBase::AllowRestoreWindow()
{
    return !mDisabled;
}

} // namespace Pyxo
