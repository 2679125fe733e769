#include "shell/WidgetContainer.h"

#include "graphics/Graphics.h"
#include "platform/process/MainThread.h"
#include "shell/Widget.h"
#include "shell/WidgetManager.h"

#include <algorithm>
#include <vector>

namespace Pyxo {

namespace {

// The flags of one node's subtree: the modifier applied to both words; the caller puts the words back.
struct SavedFlags {
    uint32_t mOver;
    uint32_t mUnder;
};

SavedFlags ApplyFlagsMod(ModalFlags& flags, const FlagsMod& mod)
{
    const SavedFlags saved{flags.mOverFlags, flags.mUnderFlags};
    flags.mOverFlags = mod.Apply(flags.mOverFlags);
    flags.mUnderFlags = mod.Apply(flags.mUnderFlags);
    return saved;
}

void RestoreFlags(ModalFlags& flags, const SavedFlags& saved)
{
    flags.mOverFlags = saved.mOver;
    flags.mUnderFlags = saved.mUnder;
}

// Withdraws the manager from a widget's subtree, deepest first, so that the manager drops every pointer it
// holds into the subtree before the widget leaves the tree.
void RemoveFromManager(Widget* widget)
{
    WidgetManager* manager = widget->mWidgetManager;
    if (manager == nullptr) {
        return;
    }
    for (Widget* child : std::vector<Widget*>(widget->mWidgets.begin(), widget->mWidgets.end())) {
        RemoveFromManager(child);
    }
    manager->DisableWidget(widget);
    for (PreModalInfo& info : manager->mPreModalInfoList) {
        if (info.mPrevBaseModalWidget == widget) {
            info.mPrevBaseModalWidget = nullptr;
        }
        if (info.mPrevFocusWidget == widget) {
            info.mPrevFocusWidget = nullptr;
        }
    }
    widget->RemovedFromManager(manager);
    widget->MarkDirtyOverlaps(widget);
    widget->mWidgetManager = nullptr;
}

// IsBelow's walk: 1 when a is met first, -1 when b is, 0 when neither.
int FindFirst(const WidgetContainer& node, const Widget* a, const Widget* b)
{
    for (const Widget* child : node.mWidgets) {
        if (child == a) {
            return 1;
        }
        if (child == b) {
            return -1;
        }
        if (const int found = FindFirst(*child, a, b); found != 0) {
            return found;
        }
    }
    return 0;
}

} // namespace

WidgetContainer::WidgetContainer() = default;

WidgetContainer::~WidgetContainer()
{
    // The children outlive their list; they must not reach back into a container that is gone.
    for (Widget* child : mWidgets) {
        if (child->mParent == this) {
            child->mParent = nullptr;
        }
    }
}

bool WidgetContainer::Intersects(const WidgetContainer* other) const
{
    const Rect a = GetRect();
    const Rect b = other->GetRect();
    return a.mX < b.mX + b.mWidth && b.mX < a.mX + a.mWidth && a.mY < b.mY + b.mHeight && b.mY < a.mY + a.mHeight;
}

WidgetContainer::WidgetList::iterator WidgetContainer::FindChild(const WidgetContainer* child)
{
    return std::find_if(mWidgets.begin(), mWidgets.end(),
                        [child](const Widget* w) { return static_cast<const WidgetContainer*>(w) == child; });
}

WidgetContainer::WidgetList::iterator WidgetContainer::InsertByZOrder(WidgetList::iterator where, Widget* widget)
{
    const int z = widget->mZOrder;
    while (where != mWidgets.end() && (*where)->mZOrder < z) {
        ++where;
    }
    if (where != mWidgets.end() && (where == mWidgets.begin() || (*where)->mZOrder == z)) {
        return mWidgets.insert(where, widget);
    }
    while (where != mWidgets.begin() && (*std::prev(where))->mZOrder > z) {
        --where;
    }
    return mWidgets.insert(where, widget);
}

void WidgetContainer::TakeOut(WidgetList::iterator it)
{
    for (UpdateWalk* walk = mUpdateWalks; walk != nullptr; walk = walk->mOuter) {
        if (walk->mPos == it) {
            ++walk->mPos;
            walk->mModified = true;
        }
    }
    mWidgets.erase(it);
}

bool WidgetContainer::QueueIfOffMainThread(std::function<void()> change)
{
    if (mWidgetManager == nullptr || Platform::IsMainThread()) {
        return false;
    }
    mWidgetManager->QueueChange(std::move(change));
    return true;
}

void WidgetContainer::AddWidget(Widget* widget)
{
    if (widget == nullptr || QueueIfOffMainThread([this, widget] { AddWidget(widget); })) {
        return;
    }
    if (HasWidget(widget)) {
        return;
    }
    InsertByZOrder(mWidgets.end(), widget);
    widget->mWidgetManager = mWidgetManager;
    widget->mParent = this;
    if (mWidgetManager != nullptr) {
        widget->AddedToManager(mWidgetManager);
        widget->MarkDirtyFull();
        mWidgetManager->RecheckPointer();
    }
    MarkDirty();
}

void WidgetContainer::RemoveWidget(Widget* widget)
{
    if (widget == nullptr || QueueIfOffMainThread([this, widget] { RemoveWidget(widget); })) {
        return;
    }
    if (!HasWidget(widget)) {
        return;
    }
    RemoveFromManager(widget);
    widget->mParent = nullptr;
    // The manager's callbacks may have moved the widget already.
    if (const auto it = FindChild(widget); it != mWidgets.end()) {
        TakeOut(it);
    }
}

bool WidgetContainer::HasWidget(const Widget* widget) const
{
    return std::find(mWidgets.begin(), mWidgets.end(), widget) != mWidgets.end();
}

void WidgetContainer::RemoveAllWidgets(bool doDelete, bool recursive)
{
    if (QueueIfOffMainThread([this, doDelete, recursive] { RemoveAllWidgets(doDelete, recursive); })) {
        return;
    }
    while (!mWidgets.empty()) {
        Widget* child = mWidgets.front();
        RemoveWidget(child);
        if (!mWidgets.empty() && mWidgets.front() == child) {
            // A child that put itself back would keep this loop going for ever.
            child->mParent = nullptr;
            TakeOut(mWidgets.begin());
        }
        if (recursive) {
            child->RemoveAllWidgets(doDelete, recursive);
        }
        if (doDelete) {
            delete child;
        }
    }
}

bool WidgetContainer::IsBelow(const Widget* a, const Widget* b) const
{
    return FindFirst(*this, a, b) > 0;
}

void WidgetContainer::MarkAllDirty()
{
    MarkDirty();
    for (Widget* child : mWidgets) {
        child->mDirty = true;
        child->MarkAllDirty();
    }
}

void WidgetContainer::Reorder(Widget* widget, Widget* other, ReorderStart start)
{
    const auto it = FindChild(widget);
    if (it == mWidgets.end()) {
        return;
    }
    TakeOut(it);
    WidgetList::iterator where = mWidgets.end();
    switch (start) {
    case ReorderStart::End:
        break;
    case ReorderStart::Front:
        where = mWidgets.begin();
        break;
    case ReorderStart::AtOther:
        where = FindChild(other);
        break;
    case ReorderStart::AfterOther:
        where = FindChild(other);
        if (where != mWidgets.end()) {
            ++where;
        }
        break;
    }
    InsertByZOrder(where, widget);
    widget->OnOrderChanged();
}

void WidgetContainer::BringToFront(Widget* widget)
{
    if (!QueueIfOffMainThread([this, widget] { BringToFront(widget); })) {
        Reorder(widget, nullptr, ReorderStart::End);
    }
}

void WidgetContainer::BringToBack(Widget* widget)
{
    if (!QueueIfOffMainThread([this, widget] { BringToBack(widget); })) {
        Reorder(widget, nullptr, ReorderStart::Front);
    }
}

void WidgetContainer::MoveBehind(Widget* widget, Widget* other)
{
    if (!QueueIfOffMainThread([this, widget, other] { MoveBehind(widget, other); })) {
        Reorder(widget, other, ReorderStart::AtOther);
    }
}

void WidgetContainer::MoveInFront(Widget* widget, Widget* other)
{
    if (!QueueIfOffMainThread([this, widget, other] { MoveInFront(widget, other); })) {
        Reorder(widget, other, ReorderStart::AfterOther);
    }
}

Point WidgetContainer::GetAbsPos() const
{
    if (mParent == nullptr) {
        return Point(mX, mY);
    }
    const Point parent = mParent->GetAbsPos();
    return Point(mX + parent.mX, mY + parent.mY);
}

void WidgetContainer::MarkDirtyChild(WidgetContainer* child)
{
    if (child->mDirty) {
        return;
    }
    MarkDirty();
    child->mDirty = true;
    if (mParent != nullptr) {
        return;
    }
    // At the top: whatever lies above the child and overlaps it is drawn over it, so it is drawn again.
    if (child->mHasAlpha) {
        MarkDirtyOverlaps(child);
        return;
    }
    auto it = FindChild(child);
    if (it == mWidgets.end()) {
        return;
    }
    for (++it; it != mWidgets.end(); ++it) {
        Widget* above = *it;
        if (above->mVisible && above->Intersects(child)) {
            MarkDirtyChild(above);
        }
    }
}

void WidgetContainer::MarkDirty()
{
    if (mParent != nullptr) {
        mParent->MarkDirtyChild(this);
    } else {
        mDirty = true;
    }
}

void WidgetContainer::MarkDirtyOverlaps(WidgetContainer* child)
{
    MarkDirtyFull();
    child->mDirty = true;
    if (mParent != nullptr) {
        return;
    }
    const auto at = FindChild(child);
    if (at == mWidgets.end()) {
        return;
    }
    const Rect visible = child->GetRect().Intersection(Rect(0, 0, mWidth, mHeight));
    const int right = visible.mX + visible.mWidth - 1;
    const int bottom = visible.mY + visible.mHeight - 1;
    for (auto it = at; it != mWidgets.begin();) {
        Widget* below = *--it;
        if (!below->mVisible) {
            continue;
        }
        if (!below->mHasAlpha && !below->mHasTransparencies && below->Contains(visible.mX, visible.mY) &&
            below->Contains(right, bottom)) {
            // Nothing below an opaque cover shows through.
            below->MarkDirty();
            break;
        }
        if (below->Intersects(child)) {
            MarkDirtyChild(below);
        }
    }
    for (auto it = std::next(at); it != mWidgets.end(); ++it) {
        Widget* above = *it;
        if (above->mVisible && above->Intersects(child)) {
            MarkDirtyChild(above);
        }
    }
}

void WidgetContainer::MarkDirtyFull()
{
    if (mParent != nullptr) {
        mParent->MarkDirtyOverlaps(this);
    } else {
        mDirty = true;
    }
}

void WidgetContainer::AddedToManager(WidgetManager* manager)
{
    // A copy: a child's handler may add widgets (a dialog adds its buttons to the manager).
    for (Widget* child : std::vector<Widget*>(mWidgets.begin(), mWidgets.end())) {
        child->mWidgetManager = manager;
        child->AddedToManager(manager);
        MarkDirty();
    }
}

void WidgetContainer::RemovedFromManager(WidgetManager* manager)
{
    for (Widget* child : std::vector<Widget*>(mWidgets.begin(), mWidgets.end())) {
        manager->DisableWidget(child);
        child->RemovedFromManager(manager);
        child->mWidgetManager = nullptr;
    }
    if (static_cast<WidgetContainer*>(manager->mPopupCommandWidget) == this) {
        manager->mPopupCommandWidget = nullptr;
    }
}

void WidgetContainer::Update()
{
    ++mUpdateCnt;
}

void WidgetContainer::UpdateAll(ModalFlags& flags)
{
    const SavedFlags saved = ApplyFlagsMod(flags, mWidgetFlagsMod);
    if ((flags.GetFlags() & WidgetFlags::MarkDirty) != 0) {
        MarkDirty();
    }
    WidgetManager* manager = mWidgetManager;
    if (manager == nullptr) {
        RestoreFlags(flags, saved);
        return;
    }
    // Reached twice in one manager update (a child moved during the pass), a node still updates once.
    if ((flags.GetFlags() & WidgetFlags::Update) != 0 && mLastWMUpdateCount != manager->mUpdateCnt) {
        mLastWMUpdateCount = manager->mUpdateCnt;
        Update();
    }
    UpdateChildren(flags, nullptr);
    RestoreFlags(flags, saved);
}

void WidgetContainer::UpdateChildren(ModalFlags& flags, const float* fraction)
{
    WidgetManager* manager = mWidgetManager;
    UpdateWalk walk{mWidgets.begin(), false, mUpdateWalks};
    mUpdateWalks = &walk;
    // The pass leaves the list of running passes however it ends, a throwing update included.
    struct Leave {
        WidgetContainer& container;
        UpdateWalk& walk;
        ~Leave() { container.mUpdateWalks = walk.mOuter; }
    } leave{*this, walk};
    while (walk.mPos != mWidgets.end()) {
        walk.mModified = false;
        Widget* child = *walk.mPos;
        if (manager != nullptr && child == manager->mBaseModalWidget) {
            flags.mIsOver = true;
        }
        if (fraction != nullptr) {
            child->UpdateFractionAll(flags, *fraction);
        } else {
            child->UpdateAll(flags);
        }
        // A removed child has already moved the position on to its successor.
        if (!walk.mModified) {
            ++walk.mPos;
        }
    }
}

void WidgetContainer::UpdateFractionAll(ModalFlags& flags, float fraction)
{
    const SavedFlags saved = ApplyFlagsMod(flags, mWidgetFlagsMod);
    if ((flags.GetFlags() & WidgetFlags::Update) != 0) {
        UpdateFraction(fraction);
    }
    UpdateChildren(flags, &fraction);
    RestoreFlags(flags, saved);
}

void WidgetContainer::DrawAll(ModalFlags& flags, Graphics* g)
{
    WidgetManager* manager = mWidgetManager;
    if (manager != nullptr && mPriority > manager->mMinDeferredOverlayPriority) {
        manager->FlushOverlays(mPriority);
    }
    const SavedFlags saved = ApplyFlagsMod(flags, mWidgetFlagsMod);
    const uint32_t inForce = flags.GetFlags();
    if (mClip && (inForce & WidgetFlags::Clip) != 0) {
        g->ClipRect(0, 0, mWidth, mHeight);
    }
    if (mWidgets.empty()) {
        if ((inForce & WidgetFlags::Draw) != 0) {
            Draw(g);
        }
        RestoreFlags(flags, saved);
        return;
    }
    if ((inForce & WidgetFlags::Draw) != 0) {
        g->PushState();
        Draw(g);
        g->PopState();
    }
    for (Widget* child : mWidgets) {
        if (!child->mVisible) {
            continue;
        }
        if (manager != nullptr && child == manager->mBaseModalWidget) {
            flags.mIsOver = true;
        }
        Graphics childG(*g);
        childG.Translate(child->mX, child->mY);
        child->DrawAll(flags, &childG);
        child->mDirty = false;
    }
    RestoreFlags(flags, saved);
}

void WidgetContainer::SystemColorsChangedAll()
{
    SystemColorsChanged();
    for (Widget* child : mWidgets) {
        child->SystemColorsChangedAll();
    }
}

} // namespace Pyxo
