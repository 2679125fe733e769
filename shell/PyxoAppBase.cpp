#include "shell/PyxoAppBase.h"

#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/ImageLib.h"
#include "graphics/ResourceManager.h"
#include "platform/audio/DirectSound.h"
#include "platform/directdraw/DirectDraw.h"
#include "platform/files/FileSystem.h"
#include "platform/log/Log.h"
#include "platform/process/InstanceLock.h"
#include "platform/process/MainThread.h"
#include "platform/process/StandInLibrary.h"
#include "platform/time/Clock.h"
#include "platform/window/MessageBox.h"
#include "platform/window/WindowSystem.h"
#include "shell/BassMusicInterface.h"
#include "shell/CrashCatcher.h"
#include "shell/DSoundManager.h"
#include "shell/DebugOverlay.h"
#include "shell/Dialog.h"
#include "shell/FModMusicInterface.h"
#include "shell/MersenneTwister.h"
#include "shell/MusicInterface.h"
#include "shell/PathHelpers.h"
#include "shell/ProcessExit.h"
#include "shell/Random15.h"
#include "shell/SoundInstance.h"
#include "shell/SoundManager.h"
#include "shell/StringHelpers.h"
#include "shell/Widget.h"
#include "shell/WidgetManager.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

namespace Pyxo {

PyxoAppBase* gPyxoAppBase = nullptr;

namespace {

/// The command line in the shape the system hands it over: the program path in quotes, then the arguments
/// separated by blanks.
std::string ProcessCommandLine()
{
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    const std::string raw((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> parts;
    std::string part;
    for (char c : raw) {
        if (c == '\0') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    if (parts.empty())
        return {};
    std::string line = "\"" + parts[0] + "\"";
    for (size_t i = 1; i < parts.size(); ++i)
        line += " " + parts[i];
    return line;
}

// Whether a stand-in of the named system library exists; the handle is freed at once, since nothing is called
// through it here.
bool HasStandInLibrary(const char* name)
{
    Platform::HMODULE module = Platform::LoadLibraryA(name);
    if (!module)
        return false;
    Platform::FreeLibrary(module);
    return true;
}

} // namespace

PyxoAppBase::PyxoAppBase()
{
    // First, so that members built during construction reach the application.
    gPyxoAppBase = this;

    // The stand-ins of the system libraries this object loads by name.
    Platform::RegisterDirectDrawLibrary();
    Platform::RegisterDirectSoundStandIn();
    ImageLib::LoadJ2KCodec();
    Platform::RegisterVersionLibrary();
    mVersionLibrary = Platform::LoadLibraryA("version.dll");
    mExeFolder = Platform::ExecutableFolder().string();
    mProductVersion = GetProductVersion(Platform::ExecutablePath().string());
    mCommandLine = ProcessCommandLine();
    mStartTick = Platform::GetTickCount();
    mLastDrawTime = Platform::GetTickCount();
    mNextDrawTime = mLastDrawTime;

    mStringMap["DIALOG_BUTTON_OK"] = L"OK";
    mStringMap["DIALOG_BUTTON_CANCEL"] = L"CANCEL";
    mStringMap["UPDATE_CHECK_TITLE"] = L"Update Check";
    mStringMap["UPDATE_CHECK_BODY"] = L"Checking if there are any updates available for this product ...";
    mStringMap["UP_TO_DATE_TITLE"] = L"Up to Date";
    mStringMap["UP_TO_DATE_BODY"] = L"There are no updates available for this product at this time.";
    mStringMap["NEW_VERSION_TITLE"] = L"New Version";
    mStringMap["NEW_VERSION_BODY"] =
        L"There is an update available for this product.  Would you like to visit the web site to download it?";

    mWidgetManager = std::make_unique<WidgetManager>(this);
    mResourceManager = std::make_unique<ResourceManager>(this);

    // Whatever path ends the process must first stop the threads this object runs.
    mExitStopperTicket = AddThreadStopper([this] {
        mShutdown = true;
        mThreadWake.notify_all();
        if (mCursorThread.joinable() && mCursorThread.get_id() != std::this_thread::get_id())
            mCursorThread.join();
        if (mLoadingThread.joinable() && mLoadingThread.get_id() != std::this_thread::get_id())
            mLoadingThread.join();
    });

    // Last: a crash report asks a finished application for its text.
    gCrashCatcherApp = this;
}

PyxoAppBase::~PyxoAppBase()
{
    // A crash during the teardown must not ask an application that is going away.
    PyxoAppBase* self = this;
    gCrashCatcherApp.compare_exchange_strong(self, nullptr);
    WaitForLoadingThread();
    Shutdown();
    if (mLoadingThread.joinable())
        mLoadingThread.join();
    if (mCursorThread.joinable())
        mCursorThread.join();
    RemoveThreadStopper(mExitStopperTicket);

    AskHardwareAccelerationQuestions();

    for (auto& [id, dialog] : mDialogMap) {
        mWidgetManager->RemoveWidget(dialog.get());
        dialog.reset();
    }
    mDialogMap.clear();
    mDialogList.clear();

    if (mInvisibleWindow) {
        Platform::SetWindowUserData(mInvisibleWindow, nullptr);
        Platform::DestroyWindow(mInvisibleWindow);
        mInvisibleWindow = {};
    }
    ProcessDeferredDeletes();
    mWidgetManager.reset();
    mResourceManager.reset();
    mImagePool.Clear();

    mDebugOverlay.reset(); // its image belongs to the display
    mDisplay.reset();
    mMusicInterface.reset();
    mSoundManager.reset();

    if (mMainWindow) {
        Platform::SetWindowUserData(mMainWindow, nullptr);
        Platform::DestroyWindow(mMainWindow);
        mMainWindow = {};
    }
    Platform::DestroyCursor(mHandCursor);
    Platform::DestroyCursor(mDragCursor);
    mInstanceMutex.reset();
    if (mVersionLibrary)
        Platform::FreeLibrary(mVersionLibrary);

    if (gPyxoAppBase == this)
        gPyxoAppBase = nullptr;
}

void PyxoAppBase::DialogButtonPress(intptr_t dialogId, intptr_t buttonId)
{
    if (buttonId == 1000)
        ButtonPress(dialogId + kDialogYesOffset);
    else if (buttonId == 1001)
        ButtonPress(dialogId + kDialogNoOffset);
}

void PyxoAppBase::DialogButtonRelease(intptr_t dialogId, intptr_t buttonId)
{
    if (buttonId == 1000)
        ButtonRelease(dialogId + kDialogYesOffset);
    else if (buttonId == 1001)
        ButtonRelease(dialogId + kDialogNoOffset);
}

std::unique_ptr<MusicInterface> PyxoAppBase::CreateMusicInterface(Platform::WindowHandle window)
{
    if (mNoSound)
        return std::make_unique<MusicInterface>(); // music off
    if (mUseFMod)
        return std::make_unique<FModMusicInterface>(window);
    return std::make_unique<BassMusicInterface>(); // music on without the library: plays nothing, loads accepted
}

std::unique_ptr<SoundManager> PyxoAppBase::CreateSoundManager(Platform::WindowHandle window, bool useFMod)
{
    return std::make_unique<DSoundManager>(window, useFMod);
}

void PyxoAppBase::DeferDelete(Widget* widget)
{
    if (!widget)
        return;
    const int depth = mDeferDeleteHoldDepth >= 0 ? std::min(mLoopDepth, mDeferDeleteHoldDepth) : mLoopDepth;
    mDeferredDeletes.emplace_back(depth, std::unique_ptr<Widget>(widget));
}

void PyxoAppBase::ProcessDeferredDeletes()
{
    // Taken out first: a destructor may defer further deletes, which then wait for the next walk.
    std::vector<std::unique_ptr<Widget>> doomed;
    for (auto it = mDeferredDeletes.begin(); it != mDeferredDeletes.end();) {
        if (it->first >= mLoopDepth) {
            doomed.push_back(std::move(it->second));
            it = mDeferredDeletes.erase(it);
        } else {
            ++it;
        }
    }
    for (std::unique_ptr<Widget>& widget : doomed)
        widget.reset(); // in the order they were deferred
}

void PyxoAppBase::Init()
{
    if (mShutdown)
        return;

    if (!HasStandInLibrary("ddraw.dll") || !HasStandInLibrary("dsound.dll")) {
        Platform::MessageBox({},
                             GetString("APP_REQUIRES_DIRECTX",
                                       L"This application requires DirectX to run.  You can get DirectX at "
                                       L"https://www.microsoft.com/directx"),
                             GetString("YOU_NEED_DIRECTX", L"You need DirectX"), Platform::MB_ICONERROR);
        // Not starting is a failure, so the status says so.
        RestoreDisplayAndExit(1);
    }

    PreInit();
    ReadFromRegistry();

    std::string dataFolder = Platform::AppDataFolder().string();
    if (!mCompanyFolder.empty())
        dataFolder += "/" + mCompanyFolder;
    dataFolder += "/" + mProductName;
    SetAppDataFolder(dataFolder);
    if (mDemoFileName.empty() || mDemoFileName[0] != '/')
        mDemoFileName = GetAppDataFolder() + mDemoFileName;

    if (!mCommandLineDone)
        ParseCommandLine();

    if (!ExeFolderHook(mExeFolder)) {
        std::error_code error;
        std::filesystem::current_path(mExeFolder, error);
        if (error)
            PLATFORM_LOG_WARNING("app", "cannot change to %s: %s", mExeFolder.c_str(), error.message().c_str());
    }

    mNotifyMessage = Platform::RegisterWindowMessage(ToWideString(mProductName + "Notify"));
    mInstanceMutex = std::make_unique<Platform::InstanceLock>();
    switch (mInstanceMutex->Acquire(mProductName + "Mutex", mProductName + "Notify")) {
    case Platform::InstanceLock::Result::Acquired:
        break;
    case Platform::InstanceLock::Result::AlreadyRunning:
        EnsureSingleInstance();
        break;
    case Platform::InstanceLock::Result::Failed:
        PLATFORM_LOG_WARNING("app", "no single-instance lock; running unguarded");
        break;
    }

    mRandSeed = Platform::GetTickCount();
    SeedRandom(mRandSeed);
    SeedRand15(Platform::GetTickCount());

    const auto procedure = [](Platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                              intptr_t lParam) -> intptr_t {
        auto* app = static_cast<PyxoAppBase*>(Platform::GetWindowUserData(window));
        if (!app)
            return Platform::DefWindowProc(window, message, wParam, lParam);
        return app->WindowProc(window, message, wParam, lParam);
    };
    Platform::RegisterWindowClass("MainWindow", procedure);
    Platform::RegisterWindowClass("InvisWindow", procedure);
    mUnicodeWindows = true;
    Platform::WindowCreateInfo invisible;
    invisible.className = "InvisWindow";
    invisible.title = mTitle;
    invisible.width = 0;
    invisible.height = 0;
    mInvisibleWindow = Platform::CreateWindow(invisible);
    if (mInvisibleWindow)
        Platform::SetWindowUserData(mInvisibleWindow, this);

    CreateCursors();
    BeforeDisplaySetup();
    mWidgetManager->SetPointerMapping(Rect(0, 0, mWidth, mHeight), Rect(0, 0, mWidth, mHeight));

    if (mWindowedRequested) {
        const Platform::WindowRect workArea = DesktopWorkArea();
        if (mWidth >= workArea.Width() || mHeight >= workArea.Height()) {
            mWindowedRequested = false;
            mWindowedImpossible = true;
        }
    }

    CreateMainWindow();

    if (!mSoundManager)
        mSoundManager = CreateSoundManager(mNoSound ? Platform::WindowHandle{} : mMainWindow, mUseFMod);
    SetSfxVolume(mSfxVolume);
    mMusicInterface = CreateMusicInterface(mInvisibleWindow);
    SetMusicVolume(mMusicVolume);

    AfterInit();
    mInitialized = true;
}

void PyxoAppBase::Shutdown()
{
    if (!Platform::IsMainThread()) {
        mShutdownRequested = true;
        return;
    }
    if (mShutdown.exchange(true))
        return;
    mExitLoopStep = true;
    mThreadWake.notify_all();

    BeforeShutdown();
    if (mCursorThread.joinable())
        mCursorThread.join();
    if (mMusicInterface)
        mMusicInterface->StopAllMusic();
    if (mMainWindow)
        Platform::ShowWindow(mMainWindow, Platform::SW_HIDE);
    RestoreDisplayMode();
    if (mSettingsRead)
        WriteToRegistry();
    ImageLib::FreeJ2KCodec();
}

void PyxoAppBase::EnsureSingleInstance()
{
    if (!mSingleInstance)
        return;
    if (mNotifyMessage != 0 && mInstanceMutex)
        mInstanceMutex->NotifyRunningInstance();
    RestoreDisplayAndExit(0);
}

void PyxoAppBase::AskHardwareAccelerationQuestions()
{
    if (!mDisplay)
        return;
    const std::wstring caption = ToWideString(mCompanyName) + L" " +
                                 GetString("HARDWARE_ACCEL_CONFIRMATION", L"Hardware Acceleration Confirmation");
    const auto keepIt = [&](const std::wstring& text) {
        return Platform::MessageBox({}, text, caption, Platform::MB_YESNO | Platform::MB_ICONQUESTION) ==
               Platform::IDYES;
    };
    if (mThreeDSwitchedOn) {
        bool stored = false;
        if (RegistryReadBoolean("Is3D", &stored)) {
            RegistryWriteBoolean("Is3D", mDisplay->mIs3D);
        } else if (Is3DRecommended()) {
            RegistryWriteBoolean("Is3D", mDisplay->mIs3D);
        } else if (mDisplay->mIs3D) {
            const bool keep = keepIt(
                GetString("HARDWARE_ACCEL_SWITCHED_ON",
                          L"Hardware Acceleration was switched on during this session.\r\nIf this resulted in slower "
                          L"performance, it should be switched off.\r\nWould you like to keep Hardware Acceleration "
                          L"switched on?"));
            mDisplay->mIs3D = keep;
            if (keep)
                RegistryWriteBoolean("Is3D", true);
            return; // one question per run
        }
    }
    if (mDisplay->m3DMayNotHaveWorked &&
        !keepIt(GetString("HARDWARE_ACCEL_NOT_WORKING",
                          L"Hardware Acceleration may not have been working correctly during this session.\r\nIf you "
                          L"noticed graphics problems, you may want to turn off Hardware Acceleration.\r\nWould you "
                          L"like to keep Hardware Acceleration switched on?")))
        RegistryWriteBoolean("Is3D", false);
}

void PyxoAppBase::PlaySamplePan(int soundId, int pan)
{
    if (!mSoundManager || soundId < 0)
        return;
    if (SoundInstance* instance = mSoundManager->GetSoundInstance(static_cast<unsigned>(soundId))) {
        instance->SetPan(pan);
        instance->Play(false, true);
    }
}

void PyxoAppBase::PlaySample(int soundId)
{
    if (!mSoundManager || soundId < 0)
        return;
    if (SoundInstance* instance = mSoundManager->GetSoundInstance(static_cast<unsigned>(soundId)))
        instance->Play(false, true);
}

double PyxoAppBase::GetMasterVolume()
{
    return mSoundManager ? mSoundManager->GetMasterVolume() : 0.0;
}

void PyxoAppBase::SetMasterVolume(double volume)
{
    mSfxVolume = volume;
    if (mSoundManager)
        mSoundManager->SetMasterVolume(volume);
}

void PyxoAppBase::SetMusicVolume(double volume)
{
    mMusicVolume = volume;
    if (mMusicInterface)
        mMusicInterface->SetVolume(mMuteCount > 0 ? 0.0 : volume);
}

void PyxoAppBase::SetSfxVolume(double volume)
{
    mSfxVolume = volume;
    if (mSoundManager)
        mSoundManager->SetVolume(mMuteCount > 0 ? 0.0 : volume);
}

void PyxoAppBase::Mute(bool autoMute)
{
    ++mMuteCount;
    if (autoMute)
        ++mAutoMuteCount;
    SetMusicVolume(mMusicVolume);
    SetSfxVolume(mSfxVolume);
}

void PyxoAppBase::Unmute(bool autoMute)
{
    // Each kind of unmute undoes only its own kind of mute: regaining the focus must not lift a mute the user
    // chose (or the one saved in the settings), and the user's unmute must not lift a mute made for focus loss.
    if (autoMute) {
        if (mAutoMuteCount > 0) {
            --mAutoMuteCount;
            --mMuteCount;
        }
    } else if (mMuteCount > mAutoMuteCount) {
        --mMuteCount;
    }
    SetMusicVolume(mMusicVolume);
    SetSfxVolume(mSfxVolume);
}

Dialog* PyxoAppBase::CreateDialogBox(intptr_t id, bool isModal, const std::wstring& header, const std::wstring& lines,
                                     const std::wstring& footer, int buttonMode)
{
    return new Dialog(nullptr, nullptr, id, isModal, header, lines, footer, buttonMode);
}

Dialog* PyxoAppBase::RunDialogBox(intptr_t id, bool isModal, const std::wstring& header, const std::wstring& lines,
                                  const std::wstring& footer, int buttonMode)
{
    CloseDialogBox(id);
    Dialog* dialog = CreateDialogBox(id, isModal, header, lines, footer, buttonMode);
    AddDialogWithId(id, dialog);
    return dialog;
}

Dialog* PyxoAppBase::GetDialog(intptr_t id)
{
    const auto it = mDialogMap.find(id);
    return it == mDialogMap.end() ? nullptr : it->second.get();
}

void PyxoAppBase::AddDialog(Dialog* dialog)
{
    if (dialog)
        AddDialogWithId(dialog->mId, dialog);
}

void PyxoAppBase::AddDialogWithId(intptr_t id, Dialog* dialog)
{
    if (!dialog)
        return;
    CloseDialogBox(id);
    if (dialog->mWidth == 0) {
        const int width = mWidth / 2;
        dialog->Resize((mWidth - width) / 2, mHeight / 5, width, dialog->GetPreferredHeight(width));
    }
    mDialogMap[id].reset(dialog);
    mDialogList.push_back(dialog);
    mWidgetManager->AddWidget(dialog);
    if (dialog->IsModal()) {
        mWidgetManager->PushModal(dialog);
        ModalOpen();
    }
}

bool PyxoAppBase::CloseDialogObject(Dialog* dialog)
{
    return dialog && CloseDialogBox(dialog->mId);
}

bool PyxoAppBase::CloseDialogBox(intptr_t id)
{
    return CloseDialogBoxEx(id, true, true);
}

bool PyxoAppBase::CloseDialogBoxEx(intptr_t id, bool removeWidget, bool deleteDialog)
{
    const auto it = mDialogMap.find(id);
    if (it == mDialogMap.end())
        return false;
    // Without deleteDialog the caller takes the dialog back.
    Dialog* dialog = it->second.release();
    if (dialog->mResult == -1)
        dialog->mResult = 0;
    mDialogList.remove(dialog);
    mDialogMap.erase(it);
    if (removeWidget || deleteDialog)
        mWidgetManager->RemoveWidget(dialog);
    if (dialog->IsModal()) {
        ModalClose();
        mWidgetManager->PopModal(dialog);
    }
    if (deleteDialog)
        DeferDelete(dialog);
    return true;
}

int PyxoAppBase::GetDialogCount()
{
    return static_cast<int>(mDialogMap.size());
}

} // namespace Pyxo
