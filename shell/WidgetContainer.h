#pragma once

#include "graphics/Rect.h"

#include <cstdint>
#include <functional>
#include <list>

namespace Pyxo {

class Graphics;
class Widget;
class WidgetManager;

/// Bits of the widget flags that the traversals carry down the tree; every node may add and remove bits for its
/// own subtree through its FlagsMod.
struct WidgetFlags {
    static constexpr uint32_t Update = 1;      // the update passes call the node's Update / UpdateFraction
    static constexpr uint32_t MarkDirty = 2;   // the update pass marks the node dirty on every update
    static constexpr uint32_t Draw = 4;        // the draw pass calls the node's Draw
    static constexpr uint32_t Clip = 8;        // the draw pass clips the node to its bounds (when mClip is on)
    static constexpr uint32_t AllowMouse = 16; // the node and its subtree take part in the mouse hit test
    static constexpr uint32_t AllowFocus = 32; // the node may keep the focus while a base modal widget is above it
};

/// A modifier of the widget flags: applied to F it gives (F | add) & ~remove.
struct FlagsMod {
    uint32_t mAddFlags = 0;
    uint32_t mRemoveFlags = 0;

    [[nodiscard]] constexpr uint32_t Apply(uint32_t flags) const { return (flags | mAddFlags) & ~mRemoveFlags; }
};

/// The flags that a traversal passes by reference through the whole tree. The flags in force are the over flags
/// once the traversal has reached the manager's base modal widget (mIsOver), the under flags before it.
struct ModalFlags {
    uint32_t mOverFlags = 0;
    uint32_t mUnderFlags = 0;
    bool mIsOver = false;

    [[nodiscard]] constexpr uint32_t GetFlags() const { return mIsOver ? mOverFlags : mUnderFlags; }
};

/// Base of everything on screen: an ordered list of child widgets sorted by ascending z-order (the first drawn
/// first, the last on top), its rectangle in the parent's coordinates, its place in the tree, dirty and update
/// bookkeeping, and the update, fractional-update and draw traversals. A container never deletes its children
/// unless RemoveAllWidgets is asked to; it borrows them. Main thread only: a change of the tree's structure (add,
/// remove, reorder) asked for on another thread while the container is managed is queued for the main thread,
/// which makes it at the start of the manager's next UpdateFrame.
class WidgetContainer {
public:
    using WidgetList = std::list<Widget*>;

    WidgetContainer();
    virtual ~WidgetContainer(); // frees only the list; the children forget this parent
    WidgetContainer(const WidgetContainer&) = delete;
    WidgetContainer& operator=(const WidgetContainer&) = delete;

    [[nodiscard]] virtual Rect GetRect() const { return Rect(mX, mY, mWidth, mHeight); }
    /// True when the two rectangles overlap with positive area; rectangles that only touch do not intersect.
    [[nodiscard]] virtual bool Intersects(const WidgetContainer* other) const;
    /// Adds the widget on top of its z-order equals, unless it is a child already. Borrowed.
    virtual void AddWidget(Widget* widget);
    virtual void RemoveWidget(Widget* widget);
    [[nodiscard]] virtual bool HasWidget(const Widget* widget) const;
    virtual void DisableWidget(Widget* /*widget*/) {} // the manager overrides it
    /// Removes every child; with recursive it then empties each removed child, with doDelete it deletes it.
    virtual void RemoveAllWidgets(bool doDelete, bool recursive);
    virtual void SetFocus(Widget* /*widget*/) {} // the manager overrides it
    /// True when a depth-first walk in list order meets a before b.
    [[nodiscard]] virtual bool IsBelow(const Widget* a, const Widget* b) const;
    virtual void MarkAllDirty();
    virtual void BringToFront(Widget* widget);
    virtual void BringToBack(Widget* widget);
    virtual void MoveBehind(Widget* widget, Widget* other);
    virtual void MoveInFront(Widget* widget, Widget* other);
    [[nodiscard]] virtual Point GetAbsPos() const;
    virtual void MarkDirtyChild(WidgetContainer* child);
    virtual void MarkDirty();
    virtual void MarkDirtyOverlaps(WidgetContainer* child);
    virtual void MarkDirtyFull();
    virtual void AddedToManager(WidgetManager* manager);
    virtual void RemovedFromManager(WidgetManager* manager);
    virtual void Update(); // counts the call
    virtual void UpdateAll(ModalFlags& flags);
    virtual void UpdateFraction(float /*fraction*/) {}
    virtual void UpdateFractionAll(ModalFlags& flags, float fraction);
    /// g arrives translated to this node's origin and is never null.
    virtual void Draw(Graphics* /*g*/) {}
    virtual void DrawAll(ModalFlags& flags, Graphics* g);
    virtual void SystemColorsChangedAll();
    virtual void SystemColorsChanged() {}

    WidgetList mWidgets;                     // borrowed children, ascending z-order
    WidgetManager* mWidgetManager = nullptr; // null while detached; the manager points to itself
    WidgetContainer* mParent = nullptr;      // null for a node that is not a child
    int mLastWMUpdateCount = 0;              // the manager's update count at this node's last Update
    int mUpdateCnt = 0;                      // number of Update calls
    bool mDirty = false;
    int mX = 0; // rectangle in the parent's coordinates
    int mY = 0;
    int mWidth = 0;
    int mHeight = 0;
    bool mHasAlpha = false;   // not opaque: marking it dirty uses full overlap marking
    bool mClip = true;        // the draw pass may clip the node to its bounds
    FlagsMod mWidgetFlagsMod; // applied for this node and its subtree
    int mPriority = 0;        // deferred-overlay priority
    int mZOrder = 0;          // sort key of the parent's child list

protected:
    [[nodiscard]] WidgetList::iterator FindChild(const WidgetContainer* child);
    /// Queues the change for the manager's main thread when called on another thread; true when queued.
    bool QueueIfOffMainThread(std::function<void()> change);

private:
    enum class ReorderStart { End, Front, AtOther, AfterOther };

    /// One running update pass over the children. Passes nest (a widget's update may run a loop of its own that
    /// updates the tree again), so each keeps its own position; taking a child out moves every pass that stands
    /// on it on to its successor.
    struct UpdateWalk {
        WidgetList::iterator mPos;    // the child the pass visits
        bool mModified = false;       // the child under mPos was taken out; mPos already stands on its successor
        UpdateWalk* mOuter = nullptr; // the pass this one interrupted, or null
    };
    UpdateWalk* mUpdateWalks = nullptr; // the innermost running pass; lives on the stack of its UpdateAll

    /// Visits the children in list order for UpdateAll (no fraction) or UpdateFractionAll, safe against children
    /// added, removed or reordered during the visit and against nested passes.
    void UpdateChildren(ModalFlags& flags, const float* fraction);

    /// Inserts by ascending z-order, starting the search at where (see the reordering operations).
    WidgetList::iterator InsertByZOrder(WidgetList::iterator where, Widget* widget);
    /// Erases the entry, moving a running update pass on to its successor.
    void TakeOut(WidgetList::iterator it);
    void Reorder(Widget* widget, Widget* other, ReorderStart start);
};

} // namespace Pyxo
