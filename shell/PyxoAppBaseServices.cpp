#include "platform/log/Log.h"
#include "platform/process/MainThread.h"
#include "platform/process/OpenUrl.h"
#include "platform/time/Clock.h"
#include "platform/window/Clipboard.h"
#include "platform/window/MessageBox.h"
#include "platform/window/Utf16Conversion.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowSystem.h"
#include "shell/DebugOverlay.h"
#include "shell/PerfTimer.h"
#include "shell/PyxoAppBase.h"
#include "shell/StrFormat.h"
#include "shell/StringHelpers.h"
#include "shell/WidgetManager.h"

#include <unistd.h>

#include <vector>

namespace Pyxo {

void PyxoAppBase::SetString(const std::string& id, const std::wstring& text)
{
    mStringMap[id] = text;
}

std::wstring PyxoAppBase::GetString(const std::string& id, const std::wstring& defaultText) const
{
    const auto it = mStringMap.find(id);
    return it == mStringMap.end() ? defaultText : it->second;
}

void PyxoAppBase::BeginSystemDialog()
{
    mInSystemDialog = true;
}

void PyxoAppBase::EndSystemDialog()
{
    // Cleared in a window too: input is ignored while the flag is up, so leaving it set would lose windowed
    // input for good.
    mInSystemDialog = false;
    RestartElapsedTime();
    mWidgetManager->mKeyDown.fill(false);
    mCtrlDown = false;
    mAltDown = false;
    if (mWidgetManager->mDownButtons != 0) {
        mWidgetManager->ReleaseCapture();
        Platform::ReleaseCapture();
    }
}

int PyxoAppBase::MsgBoxW(const std::wstring& text, const std::wstring& caption, uint32_t flags)
{
    // Off the main thread the platform hands the box to the main thread and waits; the application's own state
    // belongs to the main thread, so only there is it bracketed.
    if (!Platform::IsMainThread())
        return Platform::MessageBox(mMainWindow, text, caption, flags);
    BeginSystemDialog();
    const int answer = Platform::MessageBox(mMainWindow, text, caption, flags);
    EndSystemDialog();
    return answer;
}

int PyxoAppBase::MsgBox(const std::string& text, const std::string& caption, uint32_t flags)
{
    return MsgBoxW(StringToWString(text), StringToWString(caption), flags);
}

void PyxoAppBase::PopupW(const std::wstring& text)
{
    const std::wstring caption = GetString("FATAL_ERROR", L"FATAL ERROR");
    // Written first, so that the text survives where no box can be shown (no display, a failing dialog, the
    // program ending meanwhile). The log goes to standard error unless a sink was installed.
    Platform::Log(Platform::LogLevel::Error, "app", "%s: %s", Platform::Utf16ToUtf8(caption).c_str(),
                  Platform::Utf16ToUtf8(text).c_str());
    if (!Platform::IsMainThread()) {
        if (!mShutdown)
            Platform::MessageBox(mMainWindow, text, caption, Platform::MB_ICONERROR);
        return;
    }
    BeginSystemDialog();
    if (!mShutdown)
        Platform::MessageBox(mMainWindow, text, caption, Platform::MB_ICONERROR);
    EndSystemDialog();
}

void PyxoAppBase::Popup(const std::string& text)
{
    PopupW(StringToWString(text));
}

void PyxoAppBase::AppendErrorLog(const std::string& text)
{
    // This system writes no error-log file; the line goes to the log sink instead.
    Platform::Log(Platform::LogLevel::Error, "app", "%s", text.c_str());
}

void PyxoAppBase::OnUrlOpenFailed(const std::string& /*url*/)
{
    mIsOpeningURL = false;
}

void PyxoAppBase::OnUrlOpened(const std::string& /*url*/)
{
    mIsOpeningURL = false;
    if (mShutdownOnURLOpen)
        Shutdown();
}

bool PyxoAppBase::OpenURL(const std::string& url, bool shutdownOnOpen)
{
    if (mIsOpeningURL && url == mOpeningURL)
        return true;
    mShutdownOnURLOpen = shutdownOnOpen;
    mIsOpeningURL = true;
    mOpeningURL = url;
    mOpeningURLTime = Platform::GetTickCount();
    if (Platform::OpenUrl(url))
        return true;
    OnUrlOpenFailed(url);
    return false;
}

std::string PyxoAppBase::GetProductVersion(const std::string& path)
{
    if (!mGetFileVersionInfoSize && mVersionLibrary) {
        mGetFileVersionInfoSize = reinterpret_cast<Platform::GetFileVersionInfoSizeAProc>(
            Platform::GetProcAddress(mVersionLibrary, "GetFileVersionInfoSizeA"));
        mGetFileVersionInfo = reinterpret_cast<Platform::GetFileVersionInfoAProc>(
            Platform::GetProcAddress(mVersionLibrary, "GetFileVersionInfoA"));
        mVerQueryValue =
            reinterpret_cast<Platform::VerQueryValueAProc>(Platform::GetProcAddress(mVersionLibrary, "VerQueryValueA"));
    }
    if (!mGetFileVersionInfoSize || !mGetFileVersionInfo || !mVerQueryValue)
        return {};
    uint32_t handle = 0;
    const uint32_t size = mGetFileVersionInfoSize(path.c_str(), &handle);
    if (size == 0)
        return {};
    std::vector<char> block(size);
    if (!mGetFileVersionInfo(path.c_str(), handle, size, block.data()))
        return {};
    for (const char* table :
         {"\\StringFileInfo\\040904B0\\ProductVersion", "\\StringFileInfo\\040904E4\\ProductVersion"}) {
        void* text = nullptr;
        uint32_t length = 0;
        // The text lies inside the block and ends in a zero within the length given.
        if (mVerQueryValue(block.data(), table, &text, &length) && text && length > 0)
            return std::string(static_cast<const char*>(text), length - 1);
    }
    return {};
}

std::string PyxoAppBase::GetAppInfoText()
{
    const uint32_t seconds = (Platform::GetTickCount() - mStartTick) / 1000;
    return "Product: " + mProductName + "\r\nVersion: " + mProductVersion +
           "\r\nTime Loaded: " + StrFormat("%02u:%02u:%02u", seconds / 3600, seconds / 60 % 60, seconds % 60) +
           "\r\nFullscreen: " + (mWindowedRequested ? "No" : "Yes") + "\r\nPrimary ThreadId: " +
           // The main thread's id is the process id.
           StrFormat("%X", static_cast<unsigned>(getpid())) + "\r\n";
}

void PyxoAppBase::ParseCommandLine()
{
    const std::string& line = mCommandLine;
    size_t start = 0;
    if (!line.empty() && line[0] == '"') {
        const size_t close = line.find('"', 1);
        if (close == std::string::npos) {
            mCommandLineDone = true;
            return;
        }
        start = close + 1;
    }
    const size_t blank = line.find(' ', start);
    if (blank != std::string::npos)
        HandleCommandLine(line.substr(blank + 1));
    mCommandLineDone = true;
}

bool PyxoAppBase::DebugKeyDown(int key)
{
    const bool shift = mWidgetManager->mKeyDown[Platform::VK_SHIFT];
    switch (key) {
    case 'R':
        if (shift) {
            mShowFPSMode = mShowFPSMode + 1 >= 2 ? 0 : mShowFPSMode + 1;
            mShowFPS = true;
        } else {
            mShowFPS = !mShowFPS;
        }
        mWidgetManager->MarkAllDirty();
        if (mShowFPS && mDebugOverlay)
            mDebugOverlay->ResetCounters();
        return false;
    case 'W':
        if (shift) {
            Set3DAcceleration(!Is3DAccelerated(), true);
            MsgBox(StrFormat("3D-Mode: %s", Is3DAccelerated() ? "ON" : "OFF"), "Mode Switch", 0);
        } else {
            ShowVideoStats();
        }
        return true;
    case 'Y':
        return true;
    case 'Z':
        if (shift)
            DumpImages();
        else
            TakeScreenshot();
        return true;
    case 'Q':
        if (!IsPerfRunning()) {
            RestartElapsedTime();
            PerfRunBegin();
        } else {
            PerfRunEnd();
            MsgBox(GetPerfReport(), "Perf Results", 0);
            RestartElapsedTime();
        }
        return false;
    default:
        return false;
    }
}

std::string PyxoAppBase::GetCrashExtraText()
{
    return {};
}

// Narrow clipboard text is UTF-8, so names in any script survive copy and paste.
void PyxoAppBase::CopyToClipboard(const std::string& text)
{
    Platform::SetClipboardText(Platform::Utf8ToUtf16(text));
}

std::string PyxoAppBase::GetClipboardText()
{
    return Platform::Utf16ToUtf8(Platform::GetClipboardText());
}

} // namespace Pyxo
