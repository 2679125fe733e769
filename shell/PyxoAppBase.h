#pragma once

#include "graphics/ImagePool.h"
#include "graphics/ImagePoolRef.h"
#include "graphics/Rect.h"
#include "platform/process/StandInLibrary.h"
#include "platform/process/VersionLibrary.h"
#include "platform/window/Cursor.h"
#include "platform/window/WindowMessage.h"
#include "shell/ButtonListener.h"
#include "shell/DialogListener.h"
#include "shell/Ratio.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>

namespace Platform {
class InstanceLock;
struct RegistryKeyHandle;
} // namespace Platform

namespace Pyxo {

class DDImage;
class DDInterface;
class DebugOverlay;
class Dialog;
class Graphics;
class Image;
class MemoryImage;
class MusicInterface;
class ResourceManager;
class SoundManager;
class Widget;
class WidgetManager;

class PyxoAppBase;

/// The process's application object, set at the very start of its construction (so that members built during
/// construction reach it) and cleared by its destructor.
extern PyxoAppBase* gPyxoAppBase;

/// The framework's application object: one per process, created by the program's entry as the game's
/// most-derived class, initialised with Init, run with Start (which returns when the program quits) and then
/// destroyed. Owns the main and invisible windows, the widget manager, the display, the sound manager, the
/// music interface, the resource manager, the dialogs registered by id, the framework string map and the
/// registry settings. The engine and the game override its virtual operations.
/// Thread: main thread, except where a member says otherwise (Shutdown from any thread; LoadContent and
/// GetPooledImage on the resource-loading thread; the cursor thread reads the flags marked atomic).
class PyxoAppBase : public ButtonListener, public DialogListener {
public:
    static constexpr int kNumCursors = 13; // cursor numbers 0..12

    /// Dialog buttons reported to ButtonPress and ButtonRelease as the dialog id plus these.
    static constexpr intptr_t kDialogYesOffset = 2000; // button 1000
    static constexpr intptr_t kDialogNoOffset = 3000;  // button 1001

    PyxoAppBase();
    ~PyxoAppBase() override;
    PyxoAppBase(const PyxoAppBase&) = delete;
    PyxoAppBase& operator=(const PyxoAppBase&) = delete;

    // DialogListener: forwards dialog buttons 1000 and 1001 to ButtonPress / ButtonRelease; ignores others.
    void DialogButtonPress(intptr_t dialogId, intptr_t buttonId) override;
    void DialogButtonRelease(intptr_t dialogId, intptr_t buttonId) override;

    // Main loop and frame timing.
    /// One call of the frame driver; false only when it would have slept and allowSleep is false.
    virtual bool ProcessFrame(bool allowSleep);
    virtual void UpdateFrame();
    /// Runs one fixed update if allowed; returns whether it ran.
    virtual bool TryUpdateFrame();
    virtual void UpdateFrameFraction(float fraction);
    virtual void CreateMainWindow();
    virtual void ApplyCursor();
    virtual void RecreateImageSurfaces();
    virtual void FreeImageCaches();
    virtual void DropImageSurfaces();
    /// Called on the main thread once the resource-loading thread has finished.
    virtual void OnLoadingFinished() {}
    /// The music interface for the current sound settings; owned by the caller.
    virtual std::unique_ptr<MusicInterface> CreateMusicInterface(Platform::WindowHandle window);
    virtual void AfterInit() {}      // last step of Init
    virtual void BeforeShutdown() {} // first step of Shutdown
    virtual void AfterMainLoop() {}  // called by Start after the loop
    /// Runs on the resource-loading thread; LoadingThreadCompleted is set when it returns.
    virtual void LoadContent() {}
    virtual void WriteToRegistry();
    virtual void ReadFromRegistry();
    /// A new dialog, owned by the caller until it is added.
    virtual Dialog* CreateDialogBox(intptr_t id, bool isModal, const std::wstring& header, const std::wstring& lines,
                                    const std::wstring& footer, int buttonMode);
    virtual void BeforeDisplaySetup() {}
    virtual void BeginSystemDialog();
    virtual void EndSystemDialog();
    /// Message boxes; the result is the box's answer (IDYES, IDNO, ...), 0 when none could be shown.
    virtual int MsgBoxW(const std::wstring& text, const std::wstring& caption, uint32_t flags);
    virtual int MsgBox(const std::string& text, const std::string& caption, uint32_t flags);
    /// The fatal-error popup; shows nothing once the shutdown has begun.
    virtual void PopupW(const std::wstring& text);
    virtual void Popup(const std::string& text);
    virtual void AppendErrorLog(const std::string& text);
    /// Deletes the widget once the loop level that asked has unwound (at most mDeferDeleteHoldDepth while a wait
    /// holds deletes). Takes ownership.
    virtual void DeferDelete(Widget* widget);
    virtual void OnUrlOpenFailed(const std::string& url);
    virtual void OnUrlOpened(const std::string& url);
    virtual bool OpenURL(const std::string& url, bool shutdownOnOpen);
    /// The product version of the file's version information; empty when it has none.
    /// The file's product version from its version block ("" without one); the program's own executable carries
    /// the version the build stamped.
    virtual std::string GetProductVersion(const std::string& path);
    virtual void HideAppWindow();
    /// The application information text that crash reports carry.
    virtual std::string GetAppInfoText();
    /// The application's extra form fields of a crash report upload; none in the framework.
    virtual void GetCrashReportFields(std::map<std::string, std::string>& /*fields*/) {}
    /// Asks the program to quit. From another thread it only sets ShutdownRequested, which the frame driver
    /// acts on.
    virtual void Shutdown();
    virtual void ParseCommandLine();
    virtual void HandleCommandLine(const std::string& /*arguments*/) {}
    virtual void RestoreMainWindow(uintptr_t wParam, intptr_t lParam);
    virtual void EnsureSingleInstance();
    /// Runs the program; returns when the loop ends.
    virtual void Start();
    virtual void Init();
    /// False makes Init change the current directory to the executable's folder.
    virtual bool ExeFolderHook(const std::string& /*exeFolder*/) { return false; }
    virtual void PlaySamplePan(int soundId, int pan);
    virtual void PlaySample(int soundId);
    [[nodiscard]] virtual double GetMasterVolume();
    [[nodiscard]] virtual double GetMusicVolume() { return mMusicVolume; }
    [[nodiscard]] virtual double GetSfxVolume() { return mSfxVolume; }
    [[nodiscard]] virtual bool IsMuted() { return mMuteCount > 0; }
    virtual void SetMasterVolume(double volume);
    virtual void SetMusicVolume(double volume);
    virtual void SetSfxVolume(double volume);
    /// Mute nesting; autoMute marks mutes made for a loss of focus.
    virtual void Mute(bool autoMute);
    virtual void Unmute(bool autoMute);
    /// 1.0 once the loading thread's completion was handled, else 0.0.
    [[nodiscard]] virtual double GetLoadingProgress();
    /// Reads an image file into a new surface image of the display, owned by the caller; null when it cannot be
    /// read.
    virtual std::unique_ptr<DDImage> GetImage(const std::string& fileName, bool commitBits);
    /// The shared image of (path, variant), compared without regard to case, read on first use (a path starting
    /// with '!' gives a new empty surface image). isNew, when not null, tells whether this call made the entry.
    /// The reference's image is null when the file cannot be read. Main or resource-loading thread.
    virtual ImagePoolRef GetPooledImage(const std::string& path, const std::string& variant, bool* isNew);
    virtual void SetScreenModeEx(bool windowed, bool is3D, bool force);
    virtual void SetScreenMode(bool windowed);
    virtual void ReapplyScreenMode();
    virtual void SetSurfaceOnlyDraw(bool surfaceOnly);
    virtual Dialog* RunDialogBox(intptr_t id, bool isModal, const std::wstring& header, const std::wstring& lines,
                                 const std::wstring& footer, int buttonMode);
    [[nodiscard]] virtual Dialog* GetDialog(intptr_t id);
    /// Registers the dialog and adds it to the widget manager. Takes ownership.
    virtual void AddDialog(Dialog* dialog);
    virtual void AddDialogWithId(intptr_t id, Dialog* dialog);
    virtual bool CloseDialogObject(Dialog* dialog);
    virtual bool CloseDialogBox(intptr_t id);
    /// False when no dialog has the id. With deleteDialog the dialog goes to DeferDelete; without, ownership
    /// returns to the caller.
    virtual bool CloseDialogBoxEx(intptr_t id, bool removeWidget, bool deleteDialog);
    [[nodiscard]] virtual int GetDialogCount();
    virtual void ModalOpen() {}
    virtual void ModalClose() {}
    /// Called when the main window gains or loses the focus.
    virtual void AppGotFocus() {}
    virtual void AppLostFocus() {}
    /// True for the system characters that the window consumes (carriage return and 'r').
    virtual bool SysCharFilter(wchar_t character);
    /// The debug keys R, W, Y, Z and Q, with and without Shift; true consumes the key.
    virtual bool DebugKeyDown(int key);
    /// Saves what the display shows as "_screenshots/image<n>.png" under the application-data folder, n one more
    /// than the largest number there.
    virtual void TakeScreenshot();
    /// Writes "_dump/imagelist.html" under the application-data folder: every memory image with a thumbnail and
    /// its memory use, largest first, with each image and thumbnail file beside the page.
    virtual void DumpImages();
    /// The 3-D state, image, sound and memory counts in a message box.
    virtual void ShowVideoStats();
    /// True consumes the key.
    virtual bool AppKeyDown(int /*key*/, bool /*ctrlDown*/, bool /*altDown*/) { return false; }
    /// Called by the window procedure on a close request, before the queued close shuts the program down.
    virtual void HandleCloseRequest() {}
    /// Appended to crash reports.
    virtual std::string GetCrashExtraText();
    /// Draws and presents the dirty parts of the screen; true when a frame was presented.
    virtual bool DrawDirty();
    /// Presents the screen (or the rectangle), recovering lost surfaces.
    virtual void Redraw(const Rect* rect);
    virtual void PreInit() {}
    virtual void RunMainLoop();
    /// One step of the loop: the message pump and one queued input message, or one frame. updated tells
    /// whether a fixed update ran. False only once the application is closing.
    virtual bool RunLoopStep(bool* updated);
    virtual bool RunLoopOnce();
    virtual bool AllowRestoreWindow();
    /// Called after the widgets have been drawn each frame.
    virtual void DrawOverlay(Graphics* /*g*/) {}

    // Seams to the display and sound back-ends, so that tests can supply a display that answers with scripted
    // result codes and a silent sound manager.
    /// The display back-end of this application; owned by the caller.
    virtual std::unique_ptr<DDInterface> CreateDisplay();
    /// Starts the display for the window; a DDInterface::Result.
    virtual int StartDisplay(Platform::WindowHandle window, bool isWindowed);
    /// Presents the frame (or the rectangle); false when presenting failed (surfaces lost).
    virtual bool PresentDisplay(const Rect* rect);
    /// The sound manager for the window (no window with mNoSound); null when none can be made.
    virtual std::unique_ptr<SoundManager> CreateSoundManager(Platform::WindowHandle window, bool useFMod);
    /// The part of the desktop that windows may cover, in screen coordinates; empty when unknown.
    virtual Platform::WindowRect DesktopWorkArea();

    // Windows, input and cursors.
    /// The window procedure of both windows.
    intptr_t WindowProc(Platform::WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
    /// Dispatches queued messages (one when onlyOne); returns whether messages remain.
    bool ProcessDeferredMessage(bool onlyOne);
    // The steps of ProcessDeferredMessage: one message to its handler; keys, the pointer and a size change.
    void HandleDeferredMessage(const Platform::WindowMessage& record);
    void HandleKeyDown(const Platform::WindowMessage& record); // the screen-mode and debug-key toggles first
    void HandleMouseMessage(const Platform::WindowMessage& record);
    void HandleSize(const Platform::WindowMessage& record); // the main window's
    void UpdateFocus();
    /// The queued WM_TIMER of a window: pending URL checks and the pointer-in-window test.
    void TimerTick(Platform::WindowHandle window);
    // Any thread: called off the main thread, the change is made by the main thread at its next update.
    void SetCursor(int cursorNumber); // 0..12
    void EnableCustomCursors(bool enabled);
    void SetCursorImage(int cursorNumber, Image* image); // borrowed; null clears; numbers above 12 ignored
    /// Off the main thread: queues the change for the main thread and returns true.
    bool QueueCursorChangeIfOffMainThread(std::function<void()> change);

    // Display.
    void Set3DAcceleration(bool is3D, bool restart);
    [[nodiscard]] bool Is3DAccelerated() const;
    /// A tester exists and recorded no failure; Is3DRecommended: and no warning either.
    [[nodiscard]] bool Is3DSupported() const;
    [[nodiscard]] bool Is3DRecommended() const;
    void RemoveImageTextures(MemoryImage* image);
    void RestoreDisplayMode();
    [[noreturn]] void RestoreDisplayAndExit(int exitCode);
    /// After a display start: the images remake their surfaces, the widget manager draws on the new screen image.
    void AdoptDisplaySurfaces();
    /// The fatal popup for a display that cannot start, with the result's name and the display's error text.
    void ShowDisplayFailure(int result);
    /// After a failed 3-D start: on without 3-D, and the question about it at exit.
    void FallBackFrom3D();

    // Images.
    /// The lock that guards the image sets and the pool: the display's, or a stand-in while there is none.
    CritSect& ImageLock();
    /// The set of live memory images, under the display lock; removal also drops the image's 3-D data.
    void AddMemoryImage(MemoryImage* image);
    void RemoveMemoryImage(MemoryImage* image);
    /// A new surface image holding a copy of the image and its attributes, owned by the caller.
    std::unique_ptr<DDImage> CopyImage(Image* image);

    /// Asked at destruction when 3-D was switched during the run, or failed during it: whether to keep hardware
    /// acceleration. At most one question.
    void AskHardwareAccelerationQuestions();
    /// Makes the hand and drag cursors of cursor numbers 1 and 2.
    void CreateCursors();

    // Loop helpers.
    /// Waits while the resource-loading thread runs and has not completed.
    void WaitForLoadingThread();
    /// Starts the elapsed-time measurement afresh, so that time spent outside the loop is not caught up.
    void RestartElapsedTime();
    /// Adds the time since the last measurement to mElapsedTime, at most 200 ms in all.
    void AddElapsedTime();
    /// Deletes the objects handed to DeferDelete at this loop depth or deeper.
    void ProcessDeferredDeletes();
    /// One poll of the cursor thread: moves the drawn cursor to the pointer. Cursor thread.
    void CursorThreadStep();
    /// The windowed client origin for the preferred position (-1 centres) inside the work area.
    [[nodiscard]] static Platform::WindowPoint PlaceWindow(int preferredX, int preferredY, int width, int height,
                                                           const Platform::WindowRect& workArea);

    // Registry settings under "SOFTWARE\" + mRegKey. A value name's part before its last backslash is a
    // sub-key. With an empty key every reader returns false and every writer writes nothing.
    bool RegistryWrite(const std::string& valueName, uint32_t type, const uint8_t* data, uint32_t length);
    bool RegistryWriteString(const std::string& valueName, const std::string& text);
    bool RegistryWriteInteger(const std::string& valueName, int value);
    bool RegistryWriteBoolean(const std::string& valueName, bool value);
    void RegistryEraseValue(const std::wstring& valueName);
    bool RegistryReadKey(const std::string& valueName, uint32_t* type, uint8_t* value, uint32_t* length,
                         Platform::RegistryKeyHandle* rootKey);
    bool RegistryRead(const std::string& valueName, uint32_t* type, uint8_t* value, uint32_t* length);
    /// True only for an existing REG_DWORD; value untouched otherwise.
    bool RegistryReadInteger(const std::string& valueName, int* value);
    bool RegistryReadBoolean(const std::string& valueName, bool* value);

    // Framework strings and system services.
    void SetString(const std::string& id, const std::wstring& text);
    /// The map's text for the id, else defaultText.
    [[nodiscard]] std::wstring GetString(const std::string& id, const std::wstring& defaultText) const;
    void CopyToClipboard(const std::string& text);
    [[nodiscard]] std::string GetClipboardText();

    // Resources.
    /// Loads "properties\resources.xml" into the resource manager; on failure shows its error and exits.
    void LoadResourceManifest();
    /// Shows the resource manager's error in the fatal-error popup; with doExit the program ends.
    void ShowResourceError(bool doExit);

    // Identity and settings.
    uint32_t mRandSeed = 0;               // seed of the shared random generator, taken at Init
    std::string mCompanyName;             // prefixes the captions of the hardware-acceleration questions
    std::string mCompanyFolder;           // between the common application-data folder and the product name
    std::string mProductName = "Product"; // source of the single-instance names and the data folder
    std::wstring mTitle = L"PyxoApp";     // main-window title
    std::string mRegKey;                  // below "SOFTWARE\"; empty switches the registry off
    std::string mExeFolder;
    std::string mProductVersion;
    // The version-information calls: the "version" library is loaded at construction, its entries resolved by the
    // first GetProductVersion; the library is freed at destruction.
    Platform::HMODULE mVersionLibrary = nullptr;
    Platform::GetFileVersionInfoSizeAProc mGetFileVersionInfoSize = nullptr;
    Platform::GetFileVersionInfoAProc mGetFileVersionInfo = nullptr;
    Platform::VerQueryValueAProc mVerQueryValue = nullptr;
    std::string mDemoFileName = "pyxoapp.dmo";
    std::string mCommandLine; // as the system hands it over: the program path, quoted, then the arguments
    int mPreferredX = -1;     // windowed position; -1 centres
    int mPreferredY = -1;
    int mWidth = 800; // logical screen
    int mHeight = 600;
    Ratio mAspectRatio{4, 3};
    int mColorDepth = 32; // asked of the display in full screen
    double mMusicVolume = 0.85;
    double mSfxVolume = 0.85;
    bool mNoSound = false;
    bool mUseFMod = false;
    bool mCommandLineDone = false;
    bool mSingleInstance = true;
    std::unique_ptr<Platform::InstanceLock> mInstanceMutex; // the single-instance lock
    uint32_t mNotifyMessage = 0;                            // registered message of this product
    bool mSettingsRead = false;
    bool mLastRunCompleted = true; // "InProgress" was 0 when read
    bool mUnicodeWindows = false;  // wide-character input: characters above 127 are typed
    bool mTabletPC = false;
    bool mDisplayOption = true; // read by the display; cleared on a Tablet PC
    std::map<std::string, std::wstring> mStringMap;

    // Owned parts.
    std::unique_ptr<WidgetManager> mWidgetManager;
    // Deleted through the deleter stored with it, so that this class needs no complete ResourceManager.
    std::unique_ptr<ResourceManager> mResourceManager;
    std::unique_ptr<DDInterface> mDisplay;
    std::unique_ptr<SoundManager> mSoundManager;
    std::unique_ptr<MusicInterface> mMusicInterface;
    std::map<intptr_t, std::unique_ptr<Dialog>> mDialogMap; // by id
    std::list<Dialog*> mDialogList;                         // the open dialogs in the order they were added (borrowed)
    std::list<std::pair<int, std::unique_ptr<Widget>>> mDeferredDeletes; // (loop depth, widget)

    // Windows and input.
    Platform::WindowHandle mMainWindow;
    Platform::WindowHandle mInvisibleWindow;
    std::list<Platform::WindowMessage> mDeferredMessages; // input waiting for the loop, in arrival order
    bool mInitialized = false;
    bool mAppHidden = false; // the main window was hidden for good
    bool mActive = true;
    bool mMinimized = false;
    bool mSizeMinimized = false;
    bool mDisabled = false;
    bool mHasFocus = false;
    bool mMouseIn = false; // the pointer is inside the client area
    bool mSystemCursorShown = true;
    bool mCtrlDown = false;
    bool mAltDown = false;
    bool mDebugKeysOn = false;
    bool mInSystemDialog = false;
    bool mAllowMonitorPowerOff = true;
    bool mAllowMaximize = false;
    int mCursorNumber = 0;
    std::array<Image*, kNumCursors> mCursorImages{}; // borrowed
    bool mCustomCursors = false;
    Platform::CursorHandle mHandCursor; // made in Init
    Platform::CursorHandle mDragCursor;
    Platform::CursorHandle mOverrideCursor; // when set, replaces the cursor of the number
    uint32_t mLastTimerTick = 0;
    uint32_t mTimerRunStart = 0;
    bool mCloseFromWindow = false;             // the close came from the window (close box, Alt+F4)
    Platform::WindowPoint mCursorReference;    // cursor thread: the position last drawn
    std::atomic<uint32_t> mCursorWindowId = 0; // the main window, for the cursor thread

    // Screen modes and display settings.
    bool mWindowedRequested = false; // registry "ScreenMode" 0
    bool mIsWindowed = true;         // the mode of the current main window
    bool mDisplayModeChanged = false;
    bool mWindowedImpossible = false;
    bool mFullScreenFailed = false;
    bool mSurfaceOnlyDraw = false;
    bool mThreeDSwitchedOn = false; // the 3-D setting changed during this run
    bool mTest3D = true;            // run the 3-D capability test
    bool mAutoEnable3D = false;     // a card that passes the test without warning switches 3-D on
    uint32_t mMinVidMemory3D = 6;   // MB, handed to the 3-D test
    uint32_t mRecommendedVidMemory3D = 14;
    bool mWidescreenAware = false;    // stretch the draw surface to fill instead of centring it
    bool mEnableWindowAspect = false; // windowed aspect override
    Ratio mWindowAspect;
    Rect mScreenBounds;                   // presentation rectangle, written by the display
    bool mRefreshRateSubstituted = false; // the display replaced an implausible refresh rate
    bool mFullScreenPageFlip = true;
    bool mNoFlip = false;           // full-screen override of page flipping
    bool mSoftVSyncWait = true;     // pace windowed draws by sleeping until the refresh period passed
    bool mNoVSyncWait = false;      // windowed presents skip the vertical-sync wait
    bool mInDraw = false;           // DrawDirty is drawing; Redraw does nothing meanwhile
    bool mSurfacesLost = false;     // the last present failed
    uint32_t mLastRecoveryTime = 0; // tick of the last attempt to restart the display after a failed present
    int mRedrawCount = 0;
    int mRedrawFailCount = 0;
    uint32_t mLastActivityTime = 0; // last screen-mode switch or input, for the idle check
    bool mScreenSaverActive = false;
    int mDisplayStartResult = 0; // DDInterface::Result of the last display start

    // Sound.
    int mMuteCount = 0;
    int mAutoMuteCount = 0;
    bool mMuteOnFocusLoss = true;

    // URL opening.
    bool mIsOpeningURL = false;
    bool mShutdownOnURLOpen = false;
    std::string mOpeningURL;
    uint32_t mOpeningURLTime = 0; // tick count

    // Images: the live memory images and the pool of shared images, both under ImageLock.
    std::set<MemoryImage*> mMemoryImageSet;
    ImagePool mImagePool{[this]() -> CritSect& { return ImageLock(); }}; // swept after each update

    // Main loop and frame timing.
    int mUpdateInterval = 10;      // ms per fixed update
    double mSpeedMultiplier = 1.0; // 0 or less stops updates and draws
    int mRefreshRate = 100;        // Hz; the display's measured rate once it exists
    bool mVSyncUpdates = false;
    bool mWaitForVSync = false; // registry "WaitForVSync"
    bool mAllowWindowedVSync = true;
    bool mVSyncBroken = false;
    int mLoopState = 0; // 0 pump, 1 update, 2 fraction and draw, 3 end of frame
    int mLoopDepth = 0;
    /// -1, or the deepest loop depth that DeferDelete records while a wait runs the loop inside a caller (an update
    /// or a handler): what is deleted during the wait is then kept until the wait has returned to that caller,
    /// whose frames may still use it.
    int mDeferDeleteHoldDepth = -1;
    uint32_t mUpdateCount = 0;
    std::atomic<uint32_t> mDrawCount = 0; // read by the cursor thread
    uint32_t mSleepCount = 0;
    int mUpdatesSinceDraw = 0;
    double mUpdateFraction = 0.0;
    double mElapsedTime = 0.0;  // ms not yet spent on updates; at most 200
    uint32_t mElapsedStamp = 0; // 0 = not started
    bool mHasUpdated = true;
    bool mLastDrawSkipped = false;
    uint32_t mRealTimeCheckTicks = 0;
    uint32_t mRealTimeCheckStamp = 0;
    int mRealTimeStrikes = 0;
    std::atomic<uint32_t> mLastDrawTime = 0; // read by the cursor thread
    uint32_t mNextDrawTime = 0;
    int mDrawTime = 0;
    int mScreenBltTime = 0;
    uint32_t mStartTick = 0;
    bool mRunning = false;
    bool mShowFPS = false;                       // the debug overlay
    int mShowFPSMode = 0;                        // 0 frames per second, 1 mouse position
    std::unique_ptr<DebugOverlay> mDebugOverlay; // made on the first frame that shows it

    // Flags shared between threads.
    std::atomic<bool> mShutdown = false;
    std::atomic<bool> mExitLoopStep = false;
    std::atomic<bool> mShutdownRequested = false;
    bool mUseLoadingThread = true;
    std::atomic<bool> mLoadingThreadStarted = false;
    std::atomic<bool> mLoadingThreadCompleted = false;
    bool mLoadingFinishedHandled = false;
    bool mYieldToLoader = false;
    std::atomic<bool> mCursorThreadRunning = false;
    std::thread mLoadingThread; // joined at destruction, or by the exit function
    std::thread mCursorThread;  // joined by Shutdown
    std::mutex mThreadMutex;    // with mThreadWake: wakes the cursor thread and the waiter for the loader
    std::condition_variable mThreadWake;
    int mExitStopperTicket = 0; // registration with the process exit function
};

} // namespace Pyxo
