#pragma once

#include "graphics/Rect.h"
#include "shell/WidgetContainer.h"

#include <array>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <utility>
#include <vector>

namespace Pyxo {

class Graphics;
class Image;
class PyxoAppBase;
class Widget;

/// The state saved by one PushModal, restored by the matching PopModal.
struct PreModalInfo {
    Widget* mBaseModalWidget = nullptr;     // the widget that was pushed
    Widget* mPrevBaseModalWidget = nullptr; // the base modal widget before the push
    Widget* mPrevFocusWidget = nullptr;     // the focus widget before the push
    FlagsMod mPrevBelowModalFlagsMod;       // the below-modal modifier before the push
};

/// Root of the widget tree and the only way input reaches widgets: finds the widget under the pointer, keeps the
/// mouse on the pressed widget until every button is up, sends enter and leave notices, keeps the key-down array,
/// routes keys to the focus widget, enforces modal widgets through a stack of saved states, and draws the dirty
/// top-level widgets. Created and deleted by the application; borrows every widget (its destructor only detaches
/// them). Its manager field points to itself; its rectangle is the logical screen. Main thread only
/// (Platform::IsMainThread), except QueueChange.
class WidgetManager : public WidgetContainer {
public:
    static constexpr int kNumKeys = 255;                  // key codes 0..254 are recorded
    static constexpr int kNoOverlayPriority = 0x7FFFFFFF; // lowest overlay priority when none is pending

    /// Mouse-button bits of mDownButtons and mActualDownButtons.
    static constexpr int kLeftButtonBit = 1;
    static constexpr int kRightButtonBit = 2;
    static constexpr int kMiddleButtonBit = 4;

    explicit WidgetManager(PyxoAppBase* app);
    ~WidgetManager() override; // frees the records and overlays; deletes no widget

    void DisableWidget(Widget* widget) override;
    void SetFocus(Widget* widget) override;

    /// The widget flags, with the lost-focus modifier applied while the window lacks the focus.
    [[nodiscard]] uint32_t GetWidgetFlags() const;
    /// Hit test from the top; the local coordinates are written only when a widget is found.
    Widget* FindAnyWidgetAt(int x, int y, int* widgetX, int* widgetY);
    /// FindAnyWidgetAt, but null when the widget found is disabled.
    Widget* FindWidgetAt(int x, int y, int* widgetX, int* widgetY);

    /// Size becomes dest width + 2 x dest x by dest height + 2 x dest y.
    void SetPointerMapping(const Rect& destRect, const Rect& sourceRect);
    /// Window coordinates to screen coordinates, integer division truncating toward zero.
    void MapPointerToScreen(int& x, int& y) const;

    // Input, from the application's queued messages. clickCount is encoded (DecodeClickCount, shell/Widget.h).
    bool MouseMove(int x, int y);
    bool MouseDown(int x, int y, int clickCount);
    bool MouseUp(int x, int y, int clickCount);
    bool MouseDrag(int x, int y);
    bool MouseExit(int x, int y);
    void MouseWheel(int delta);
    bool KeyChar(wchar_t character); // one UTF-16 unit
    bool KeyDown(int key);
    bool KeyUp(int key);
    void AppGotFocus();
    void AppLostFocus();
    /// Delivers the mouse-ups for the buttons held on the last down widget.
    void ReleaseCapture();

    void SetBaseModal(Widget* widget, const FlagsMod& belowFlagsMod);
    void PushModal(Widget* widget, const FlagsMod& belowFlagsMod);
    void PushModal(Widget* widget); // with mDefaultBelowModalFlagsMod
    /// Restores the state saved when the widget was pushed, only when it is the newest record.
    void PopModal(Widget* widget);

    /// One fixed update of the tree; returns whether anything is dirty.
    bool UpdateFrame();
    bool UpdateFrameFraction(float fraction);
    /// Draws the dirty top-level widgets into mImage, then the application's overlay; true when any was drawn.
    bool DrawScreen();
    void FlushOverlays(int maxPriority);
    /// Re-checks what lies under the pointer after the tree changed.
    void RecheckPointer();
    /// Moves the pointer to (x, y) and sends leave, enter and move notices.
    void TrackPointer(int x, int y);

    /// Any thread: a change of the tree to be made on the main thread at the start of the next UpdateFrame. The
    /// widgets it names must stay alive until then.
    void QueueChange(std::function<void()> change);
    /// Main thread: makes the queued changes in the order they were asked for.
    void ApplyQueuedChanges();

    Widget* mDefaultTab = nullptr;                                // borrowed; gets Tab typed with Ctrl held
    Graphics* mCurG = nullptr;                                    // the screen context while DrawScreen runs
    PyxoAppBase* mApp = nullptr;                                  // owner
    Image* mImage = nullptr;                                      // borrowed screen image, set by the application
    Widget* mPopupCommandWidget = nullptr;                        // removed by a press outside it
    std::vector<std::pair<Widget*, int>> mDeferredOverlayWidgets; // (widget, priority)
    int mMinDeferredOverlayPriority = kNoOverlayPriority;
    bool mHasFocus = true; // the application window has the input focus
    Widget* mFocusWidget = nullptr;
    Widget* mLastDownWidget = nullptr; // keeps the mouse until all buttons are up
    Widget* mOverWidget = nullptr;
    Widget* mBaseModalWidget = nullptr;
    FlagsMod mLostFocusFlagsMod;
    FlagsMod mBelowModalFlagsMod;
    FlagsMod mDefaultBelowModalFlagsMod{0, WidgetFlags::AllowMouse | WidgetFlags::AllowFocus};
    std::list<PreModalInfo> mPreModalInfoList; // newest last
    Rect mMouseDestRect;                       // where the screen lies inside the window
    Rect mMouseSourceRect;                     // the window area that maps onto it
    bool mMouseIn = false;
    int mLastMouseX = 0; // screen coordinates
    int mLastMouseY = 0;
    int mDownButtons = 0;       // buttons pressed on the last down widget
    int mActualDownButtons = 0; // buttons physically down
    int mLastInputUpdateCnt = 0;
    std::array<bool, kNumKeys> mKeyDown{};
    int mLastDownButtonId = 0; // -1 right, 1 left, 2 middle
    uint32_t mWidgetFlags =
        WidgetFlags::Update | WidgetFlags::Draw | WidgetFlags::Clip | WidgetFlags::AllowMouse | WidgetFlags::AllowFocus;

private:
    void FillModalFlags(ModalFlags& flags) const;
    Widget* FindWidgetIn(WidgetContainer* container, int x, int y, uint32_t flags, int* widgetX, int* widgetY);
    void LeaveWidget(Widget* widget);
    void EnterWidget(Widget* widget);
    /// Mouse-ups at the last pointer position, in the widget's own coordinates, for each button bit given.
    void SendMouseUps(Widget* widget, int buttons);
    void RecordInput() { mLastInputUpdateCnt = mUpdateCnt; }

    std::mutex mQueuedChangesLock;
    std::vector<std::function<void()>> mQueuedChanges; // guarded by mQueuedChangesLock
};

} // namespace Pyxo
