#include "shell/WidgetManager.h"

#include "graphics/DDImage.h"
#include "graphics/Graphics.h"
#include "platform/window/VirtualKeys.h"
#include "shell/PyxoAppBase.h"
#include "shell/Widget.h"

#include <cstdint>

namespace Pyxo {

namespace {

// The button bit and the last-down-button id of an encoded click count.
int ButtonBit(int clickCount)
{
    if (clickCount == 3) {
        return WidgetManager::kMiddleButtonBit;
    }
    return clickCount < 0 ? WidgetManager::kRightButtonBit : WidgetManager::kLeftButtonBit;
}

int ButtonId(int clickCount)
{
    if (clickCount == 3) {
        return 2;
    }
    return clickCount < 0 ? -1 : 1;
}

void Detach(WidgetContainer& node)
{
    for (Widget* child : node.mWidgets) {
        child->mWidgetManager = nullptr;
        Detach(*child);
    }
}

} // namespace

WidgetManager::WidgetManager(PyxoAppBase* app) : mApp(app)
{
    mWidgetManager = this;
}

WidgetManager::~WidgetManager()
{
    // The widgets outlive the manager (the application deletes its dialogs afterwards): they must not reach it.
    Detach(*this);
    for (Widget* child : mWidgets) {
        child->mParent = nullptr;
    }
    mWidgets.clear();
}

void WidgetManager::QueueChange(std::function<void()> change)
{
    const std::lock_guard<std::mutex> lock(mQueuedChangesLock);
    mQueuedChanges.push_back(std::move(change));
}

void WidgetManager::ApplyQueuedChanges()
{
    std::vector<std::function<void()>> changes;
    {
        const std::lock_guard<std::mutex> lock(mQueuedChangesLock);
        changes.swap(mQueuedChanges);
    }
    for (const std::function<void()>& change : changes) {
        change();
    }
}

void WidgetManager::DisableWidget(Widget* widget)
{
    if (widget == nullptr) {
        return;
    }
    if (widget == mOverWidget) {
        mOverWidget = nullptr;
        LeaveWidget(widget);
    }
    if (widget == mLastDownWidget) {
        mLastDownWidget = nullptr;
        const int buttons = mDownButtons;
        mDownButtons = 0;
        SendMouseUps(widget, buttons);
    }
    if (widget == mFocusWidget) {
        mFocusWidget = nullptr;
        widget->LostFocus();
    }
    if (widget == mBaseModalWidget) {
        mBaseModalWidget = nullptr;
    }
}

void WidgetManager::SetFocus(Widget* widget)
{
    if (widget == mFocusWidget) {
        return;
    }
    Widget* old = mFocusWidget;
    mFocusWidget = nullptr;
    if (old != nullptr) {
        old->LostFocus();
    }
    if (widget != nullptr && widget->mWidgetManager == this) {
        mFocusWidget = widget;
        if (mHasFocus) {
            widget->GotFocus();
        }
    }
}

uint32_t WidgetManager::GetWidgetFlags() const
{
    return mHasFocus ? mWidgetFlags : mLostFocusFlagsMod.Apply(mWidgetFlags);
}

Widget* WidgetManager::FindWidgetIn(WidgetContainer* container, int x, int y, uint32_t flags, int* widgetX,
                                    int* widgetY)
{
    flags = container->mWidgetFlagsMod.Apply(flags);
    bool belowModal = false;
    for (auto it = container->mWidgets.rbegin(); it != container->mWidgets.rend(); ++it) {
        Widget* child = *it;
        uint32_t childFlags = child->mWidgetFlagsMod.Apply(flags);
        if (belowModal) {
            childFlags = mBelowModalFlagsMod.Apply(childFlags);
        }
        if ((childFlags & WidgetFlags::AllowMouse) != 0 && child->mVisible) {
            const int localX = x - child->mX;
            const int localY = y - child->mY;
            if (Widget* found = FindWidgetIn(child, localX, localY, childFlags, widgetX, widgetY)) {
                return found;
            }
            const Rect hit = child->GetInsetRect();
            if (child->mMouseVisible && x >= hit.mX && x < hit.mX + hit.mWidth && y >= hit.mY &&
                y < hit.mY + hit.mHeight && child->IsPointVisible(localX, localY)) {
                if (widgetX != nullptr) {
                    *widgetX = localX;
                }
                if (widgetY != nullptr) {
                    *widgetY = localY;
                }
                return child;
            }
        }
        // Children earlier in the list lie below the base modal widget.
        if (child == mBaseModalWidget) {
            belowModal = true;
        }
    }
    return nullptr;
}

Widget* WidgetManager::FindAnyWidgetAt(int x, int y, int* widgetX, int* widgetY)
{
    return FindWidgetIn(this, x, y, GetWidgetFlags(), widgetX, widgetY);
}

Widget* WidgetManager::FindWidgetAt(int x, int y, int* widgetX, int* widgetY)
{
    Widget* widget = FindAnyWidgetAt(x, y, widgetX, widgetY);
    return widget != nullptr && widget->mDisabled ? nullptr : widget;
}

void WidgetManager::SetPointerMapping(const Rect& destRect, const Rect& sourceRect)
{
    mMouseDestRect = destRect;
    mMouseSourceRect = sourceRect;
    mWidth = destRect.mWidth + 2 * destRect.mX;
    mHeight = destRect.mHeight + 2 * destRect.mY;
}

void WidgetManager::MapPointerToScreen(int& x, int& y) const
{
    // An empty source area has no mapping; the point stays as it is.
    if (mMouseSourceRect.mWidth != 0) {
        x = static_cast<int>(int64_t(x - mMouseSourceRect.mX) * mMouseDestRect.mWidth / mMouseSourceRect.mWidth +
                             mMouseDestRect.mX);
    }
    if (mMouseSourceRect.mHeight != 0) {
        y = static_cast<int>(int64_t(y - mMouseSourceRect.mY) * mMouseDestRect.mHeight / mMouseSourceRect.mHeight +
                             mMouseDestRect.mY);
    }
}

void WidgetManager::LeaveWidget(Widget* widget)
{
    widget->mIsOver = false;
    widget->MouseLeave();
    if (widget->mDoFinger) {
        widget->ShowFinger(false);
    }
}

void WidgetManager::EnterWidget(Widget* widget)
{
    widget->mIsOver = true;
    widget->MouseEnter();
    if (widget->mDoFinger) {
        widget->ShowFinger(true);
    }
}

void WidgetManager::SendMouseUps(Widget* widget, int buttons)
{
    static constexpr struct {
        int mBit;
        int mClickCount;
    } kUps[] = {{kLeftButtonBit, 1}, {kRightButtonBit, -1}, {kMiddleButtonBit, 3}};
    const Point origin = widget->GetAbsPos();
    for (const auto& up : kUps) {
        if ((buttons & up.mBit) != 0) {
            widget->mIsDown = false;
            widget->MouseUpClicks(mLastMouseX - origin.mX, mLastMouseY - origin.mY, up.mClickCount);
        }
    }
}

void WidgetManager::TrackPointer(int x, int y)
{
    const bool moved = x != mLastMouseX || y != mLastMouseY;
    mLastMouseX = x;
    mLastMouseY = y;
    int widgetX = 0;
    int widgetY = 0;
    Widget* widget = FindWidgetAt(x, y, &widgetX, &widgetY);
    if (widget == mOverWidget) {
        if (moved && widget != nullptr) {
            widget->MouseMove(widgetX, widgetY);
        }
        return;
    }
    if (Widget* old = mOverWidget) {
        mOverWidget = nullptr;
        LeaveWidget(old);
    }
    mOverWidget = widget;
    if (widget != nullptr) {
        EnterWidget(widget);
        // The enter handler may have taken the widget out of the tree.
        if (widget == mOverWidget) {
            widget->MouseMove(widgetX, widgetY);
        }
    }
}

void WidgetManager::RecheckPointer()
{
    if (mLastDownWidget == nullptr) {
        if (mMouseIn) {
            TrackPointer(mLastMouseX, mLastMouseY);
        }
        return;
    }
    if (mOverWidget != nullptr && FindWidgetAt(mLastMouseX, mLastMouseY, nullptr, nullptr) != mLastDownWidget) {
        Widget* old = mOverWidget;
        mOverWidget = nullptr;
        LeaveWidget(old);
    }
}

bool WidgetManager::MouseMove(int x, int y)
{
    RecordInput();
    if (mDownButtons == 0) {
        mMouseIn = true;
        TrackPointer(x, y);
    } else {
        MouseDrag(x, y);
    }
    return true;
}

bool WidgetManager::MouseDown(int x, int y, int clickCount)
{
    RecordInput();
    const int bit = ButtonBit(clickCount);
    mActualDownButtons |= bit;
    TrackPointer(x, y);

    if (mPopupCommandWidget != nullptr && !mPopupCommandWidget->Contains(x, y)) {
        Widget* popup = mPopupCommandWidget;
        RemoveWidget(popup);
        mPopupCommandWidget = nullptr;
    }

    int widgetX = x;
    int widgetY = y;
    Widget* widget = FindWidgetAt(x, y, &widgetX, &widgetY);
    if (mLastDownWidget != nullptr) {
        // A further press goes to the widget that holds the mouse, in that widget's own coordinates.
        widget = mLastDownWidget;
        const Point origin = widget->GetAbsPos();
        widgetX = x - origin.mX;
        widgetY = y - origin.mY;
    }
    mDownButtons |= bit;
    mLastDownButtonId = ButtonId(clickCount);
    mLastDownWidget = widget;
    if (widget != nullptr) {
        if (widget->WantsFocus()) {
            SetFocus(widget);
        }
        widget->mIsDown = true;
        widget->MouseDownClicks(widgetX, widgetY, clickCount);
    }
    return true;
}

bool WidgetManager::MouseUp(int x, int y, int clickCount)
{
    RecordInput();
    const int bit = ButtonBit(clickCount);
    mActualDownButtons &= ~bit;
    if (mLastDownWidget != nullptr && (mDownButtons & bit) != 0) {
        Widget* widget = mLastDownWidget;
        mDownButtons &= ~bit;
        if (mDownButtons == 0) {
            mLastDownWidget = nullptr;
        }
        widget->mIsDown = false;
        // Its own coordinates: the position of a nested widget is relative to its parent.
        const Point origin = widget->GetAbsPos();
        widget->MouseUpClicks(x - origin.mX, y - origin.mY, clickCount);
    } else {
        mDownButtons &= ~bit;
    }
    TrackPointer(x, y);
    return true;
}

bool WidgetManager::MouseDrag(int x, int y)
{
    RecordInput();
    mMouseIn = true;
    mLastMouseX = x;
    mLastMouseY = y;
    if (mOverWidget != nullptr && mOverWidget != mLastDownWidget) {
        Widget* old = mOverWidget;
        mOverWidget = nullptr;
        LeaveWidget(old);
    }
    Widget* down = mLastDownWidget;
    if (down == nullptr) {
        return true;
    }
    const Point origin = down->GetAbsPos();
    down->MouseDrag(x - origin.mX, y - origin.mY);
    if (down != mLastDownWidget) {
        return true; // the handler took the widget out of the tree
    }
    Widget* under = FindWidgetAt(x, y, nullptr, nullptr);
    if (under == down && mOverWidget == nullptr) {
        mOverWidget = down;
        EnterWidget(down);
    } else if (under != down && mOverWidget != nullptr) {
        Widget* old = mOverWidget;
        mOverWidget = nullptr;
        LeaveWidget(old);
    }
    return true;
}

bool WidgetManager::MouseExit(int /*x*/, int /*y*/)
{
    RecordInput();
    mMouseIn = false;
    if (Widget* old = mOverWidget) {
        mOverWidget = nullptr;
        LeaveWidget(old);
    }
    return true;
}

void WidgetManager::MouseWheel(int delta)
{
    RecordInput();
    if (mFocusWidget != nullptr) {
        mFocusWidget->MouseWheel(delta);
    }
}

bool WidgetManager::KeyChar(wchar_t character)
{
    RecordInput();
    if (character == static_cast<wchar_t>(Platform::VK_TAB) && mKeyDown[Platform::VK_CONTROL]) {
        if (mDefaultTab != nullptr) {
            mDefaultTab->KeyChar(character);
        }
        return true;
    }
    if (mFocusWidget != nullptr) {
        mFocusWidget->KeyChar(character);
    }
    return true;
}

bool WidgetManager::KeyDown(int key)
{
    RecordInput();
    if (key >= 0 && key < kNumKeys) {
        mKeyDown[static_cast<size_t>(key)] = true;
    }
    if (mFocusWidget != nullptr) {
        mFocusWidget->KeyDown(key);
    }
    return true;
}

bool WidgetManager::KeyUp(int key)
{
    RecordInput();
    if (key >= 0 && key < kNumKeys) {
        mKeyDown[static_cast<size_t>(key)] = false;
    }
    // Ctrl+Tab went to the default tab widget as a character; its release goes nowhere.
    if (key == static_cast<int>(Platform::VK_TAB) && mKeyDown[Platform::VK_CONTROL]) {
        return true;
    }
    if (mFocusWidget != nullptr) {
        mFocusWidget->KeyUp(key);
    }
    return true;
}

void WidgetManager::AppGotFocus()
{
    if (mHasFocus) {
        return;
    }
    mHasFocus = true;
    if (mFocusWidget != nullptr) {
        mFocusWidget->GotFocus();
    }
}

void WidgetManager::AppLostFocus()
{
    if (!mHasFocus) {
        return;
    }
    mActualDownButtons = 0;
    // The window will not see these keys go up.
    for (int key = 0; key < kNumKeys; ++key) {
        if (mKeyDown[static_cast<size_t>(key)]) {
            KeyUp(key);
        }
    }
    mHasFocus = false;
    if (mFocusWidget != nullptr) {
        mFocusWidget->LostFocus();
    }
}

void WidgetManager::ReleaseCapture()
{
    if (mLastDownWidget == nullptr || mDownButtons == 0) {
        return;
    }
    Widget* widget = mLastDownWidget;
    const int buttons = mDownButtons;
    mDownButtons = 0;
    mLastDownWidget = nullptr;
    SendMouseUps(widget, buttons);
}

void WidgetManager::SetBaseModal(Widget* widget, const FlagsMod& belowFlagsMod)
{
    mBaseModalWidget = widget;
    mBelowModalFlagsMod = belowFlagsMod;
    if ((belowFlagsMod.mRemoveFlags & WidgetFlags::AllowMouse) != 0) {
        if (mOverWidget != nullptr && IsBelow(mOverWidget, widget)) {
            Widget* old = mOverWidget;
            mOverWidget = nullptr;
            LeaveWidget(old);
        }
        if (mLastDownWidget != nullptr && IsBelow(mLastDownWidget, widget)) {
            Widget* down = mLastDownWidget;
            const int buttons = mDownButtons;
            mLastDownWidget = nullptr;
            mDownButtons = 0;
            SendMouseUps(down, buttons);
        }
    }
    if ((belowFlagsMod.mRemoveFlags & WidgetFlags::AllowFocus) != 0 && mFocusWidget != nullptr &&
        IsBelow(mFocusWidget, widget)) {
        Widget* old = mFocusWidget;
        mFocusWidget = nullptr;
        old->LostFocus();
    }
}

void WidgetManager::PushModal(Widget* widget, const FlagsMod& belowFlagsMod)
{
    mPreModalInfoList.push_back(PreModalInfo{widget, mBaseModalWidget, mFocusWidget, mBelowModalFlagsMod});
    SetBaseModal(widget, belowFlagsMod);
}

void WidgetManager::PushModal(Widget* widget)
{
    PushModal(widget, mDefaultBelowModalFlagsMod);
}

void WidgetManager::PopModal(Widget* widget)
{
    bool first = true;
    while (!mPreModalInfoList.empty()) {
        const auto newest = std::prev(mPreModalInfoList.end());
        if (first && newest->mBaseModalWidget != widget) {
            return;
        }
        first = false;
        const PreModalInfo info = *newest;
        SetBaseModal(info.mPrevBaseModalWidget, info.mPrevBelowModalFlagsMod);
        if (mFocusWidget == nullptr && info.mPrevFocusWidget != nullptr) {
            mFocusWidget = info.mPrevFocusWidget;
            mFocusWidget->GotFocus();
        }
        mPreModalInfoList.erase(newest);
        // A pop that uncovers no modal widget also discards the record beneath it.
        if (info.mPrevBaseModalWidget != nullptr || mPreModalInfoList.empty()) {
            return;
        }
    }
}

void WidgetManager::FillModalFlags(ModalFlags& flags) const
{
    flags.mIsOver = mBaseModalWidget == nullptr;
    flags.mOverFlags = GetWidgetFlags();
    flags.mUnderFlags = mBelowModalFlagsMod.Apply(flags.mOverFlags);
}

bool WidgetManager::UpdateFrame()
{
    ApplyQueuedChanges();
    ModalFlags flags;
    FillModalFlags(flags);
    ++mUpdateCnt;
    mLastWMUpdateCount = mUpdateCnt;
    UpdateAll(flags);
    return mDirty;
}

bool WidgetManager::UpdateFrameFraction(float fraction)
{
    ModalFlags flags;
    FillModalFlags(flags);
    UpdateFractionAll(flags, fraction);
    return mDirty;
}

bool WidgetManager::DrawScreen()
{
    ModalFlags flags;
    FillModalFlags(flags);
    bool anyDirty = false;
    for (const Widget* child : mWidgets) {
        anyDirty = anyDirty || child->mDirty;
    }
    mMinDeferredOverlayPriority = kNoOverlayPriority;
    mDeferredOverlayWidgets.clear();

    Graphics g(mImage);
    mCurG = &g;
    DDImage* surface = dynamic_cast<DDImage*>(mImage);
    const bool locked = surface != nullptr && surface->LockSurface();

    bool drewSomething = false;
    if (anyDirty) {
        Graphics screen(g);
        screen.Translate(-mMouseDestRect.mX, -mMouseDestRect.mY);
        const bool is3D = mApp != nullptr && mApp->Is3DAccelerated();
        screen.SetFastStretch(!is3D);
        screen.SetLinearBlend(is3D);
        for (Widget* child : mWidgets) {
            if (child == mBaseModalWidget) {
                flags.mIsOver = true;
            }
            if (child->mDirty && child->mVisible) {
                Graphics childG(screen);
                childG.Translate(child->mX, child->mY);
                child->DrawAll(flags, &childG);
                drewSomething = true;
                child->mDirty = false;
            }
        }
        if (mApp != nullptr) {
            mApp->DrawOverlay(&screen);
        }
    }
    FlushOverlays(kNoOverlayPriority);
    if (locked) {
        surface->UnlockSurface();
    }
    mCurG = nullptr;
    mDirty = false;
    return drewSomething;
}

void WidgetManager::FlushOverlays(int maxPriority)
{
    while (!mDeferredOverlayWidgets.empty()) {
        const int priority = mMinDeferredOverlayPriority;
        int nextLowest = kNoOverlayPriority;
        bool pending = false;
        for (std::pair<Widget*, int>& entry : mDeferredOverlayWidgets) {
            Widget* widget = entry.first;
            if (widget == nullptr) {
                continue;
            }
            if (entry.second == priority) {
                if (mCurG != nullptr) {
                    Graphics overlayG(*mCurG);
                    overlayG.Translate(widget->mX - mMouseDestRect.mX, widget->mY - mMouseDestRect.mY);
                    overlayG.SetFastStretch(!overlayG.mLinearBlend);
                    widget->DrawOverlayPriority(&overlayG, priority);
                }
                entry.first = nullptr;
            } else {
                pending = true;
                if (entry.second < nextLowest) {
                    nextLowest = entry.second;
                }
            }
        }
        if (!pending) {
            mDeferredOverlayWidgets.clear();
            mMinDeferredOverlayPriority = kNoOverlayPriority;
            return;
        }
        mMinDeferredOverlayPriority = nextLowest;
        if (nextLowest >= maxPriority) {
            return;
        }
    }
}

} // namespace Pyxo
