// The container's child order, its update pass that survives changes to the list, dirty marking up to the top
// level, and the draw pass.
#include "shell/WidgetContainer.h"

#include "graphics/Graphics.h"
#include "shell/WidgetManager.h"
#include "tests/SuiteLabels.h"
#include "tests/shell/WidgetTestKit.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using namespace Pyxo;
using WidgetTestKit::Log;
using WidgetTestKit::ProbeWidget;

// The children's x positions in list order.
std::string Order(const WidgetContainer& container)
{
    std::string order;
    for (const Widget* child : container.mWidgets) {
        order += std::to_string(child->mX);
    }
    return order;
}

// Children numbered by their x in the order they were made, so that the order reads as "123".
struct Tree {
    Log log;
    WidgetContainer root;
    std::vector<std::unique_ptr<ProbeWidget>> kids;

    ProbeWidget* Add(int z, bool add = true)
    {
        kids.push_back(std::make_unique<ProbeWidget>(log, std::to_string(kids.size() + 1), int(kids.size()) + 1));
        kids.back()->mZOrder = z;
        if (add) {
            root.AddWidget(kids.back().get());
        }
        return kids.back().get();
    }
};

ILVANE_THREADED_SUITE(WidgetContainer);

TEST(WidgetContainer, ChildrenStaySortedByZOrderWhateverTheStartOfTheInsertion)
{
    {
        Tree t;
        ProbeWidget* a = t.Add(0);
        t.Add(0);
        ProbeWidget* c = t.Add(0);
        EXPECT_EQ(Order(t.root), "123") << "equals in the order of the calls";
        t.root.BringToBack(c);
        EXPECT_EQ(Order(t.root), "312");
        t.root.BringToFront(a);
        EXPECT_EQ(Order(t.root), "321");
        t.root.AddWidget(a);
        EXPECT_EQ(t.root.mWidgets.size(), 3u) << "a child is added once";
    }
    {
        Tree t;
        ProbeWidget* top = t.Add(1);
        t.Add(0);
        t.Add(0);
        EXPECT_EQ(Order(t.root), "231");
        t.root.BringToBack(top);
        EXPECT_EQ(Order(t.root), "231") << "z-order wins over BringToBack";
        ProbeWidget* low = t.Add(-1);
        t.root.BringToFront(low);
        EXPECT_EQ(Order(t.root), "4231") << "and over BringToFront";
    }
    {
        Tree t;
        ProbeWidget* a = t.Add(0);
        ProbeWidget* b = t.Add(0);
        ProbeWidget* c = t.Add(0);
        t.root.MoveBehind(c, a);
        EXPECT_EQ(Order(t.root), "312") << "directly before the other";
        t.root.MoveInFront(c, a);
        EXPECT_EQ(Order(t.root), "132") << "directly after the other";
        ProbeWidget* stranger = t.Add(0, false);
        t.root.MoveBehind(a, stranger);
        EXPECT_EQ(Order(t.root), "321") << "an unknown other puts it on top";
        t.root.MoveInFront(b, stranger);
        EXPECT_EQ(Order(t.root), "312");
        t.root.BringToFront(stranger);
        EXPECT_EQ(t.root.mWidgets.size(), 3u) << "reordering a stranger does nothing";
    }
}

TEST(WidgetContainer, IntersectsNeedsAPositiveOverlap)
{
    Log log;
    struct Case {
        const char* name;
        Rect other;
        bool expected;
    };
    const Case cases[] = {
        {"overlap", {5, 5, 10, 10}, true},
        {"edge right", {10, 0, 5, 10}, false},
        {"edge below", {0, 10, 10, 5}, false},
        {"inside", {2, 2, 1, 1}, true},
    };
    ProbeWidget a(log, "a", 0, 0, 10, 10);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProbeWidget b(log, "b", c.other.mX, c.other.mY, c.other.mWidth, c.other.mHeight);
        EXPECT_EQ(a.Intersects(&b), c.expected);
        EXPECT_EQ(b.Intersects(&a), c.expected);
    }
}

TEST(WidgetContainer, IsBelowWalksDepthFirstInListOrder)
{
    Log log;
    WidgetContainer root;
    ProbeWidget bottom(log, "bottom"), nested(log, "nested"), top(log, "top"), stranger(log, "stranger");
    root.AddWidget(&bottom);
    bottom.AddWidget(&nested);
    root.AddWidget(&top);
    EXPECT_TRUE(root.IsBelow(&bottom, &nested)) << "a node comes before its children";
    EXPECT_TRUE(root.IsBelow(&nested, &top)) << "children before the next sibling";
    EXPECT_FALSE(root.IsBelow(&top, &nested));
    EXPECT_FALSE(root.IsBelow(&stranger, &top));
    EXPECT_TRUE(root.IsBelow(&top, &stranger)) << "meeting a alone is enough";
}

// A child that takes itself, or another, out of the list during its own update.
class SelfRemover : public ProbeWidget {
public:
    using ProbeWidget::ProbeWidget;
    void Update() override
    {
        ProbeWidget::Update();
        if (mAction == "remove") {
            mParent->RemoveWidget(this);
        } else if (mAction == "front") {
            mParent->BringToFront(this);
        }
        mAction.clear();
    }
    std::string mAction;
};

TEST(WidgetContainer, UpdatePassSurvivesAChildLeavingOrMovingDuringItsUpdate)
{
    for (const std::string action : {"remove", "front"}) {
        SCOPED_TRACE(action);
        Log log;
        WidgetManager manager(nullptr);
        SelfRemover a(log, "a");
        ProbeWidget b(log, "b"), c(log, "c");
        manager.AddWidget(&a);
        manager.AddWidget(&b);
        manager.AddWidget(&c);
        a.mAction = action;
        manager.UpdateFrame();
        EXPECT_EQ(log, (Log{"a:update", "b:update", "c:update"})) << "each once, none skipped";
    }
}

/// Runs a loop of its own inside its first update, as a modal dialog's wait does: the tree is updated again
/// (whole frames, or fractions) before this update returns.
class NestingWidget : public ProbeWidget {
public:
    using ProbeWidget::ProbeWidget;
    void Update() override
    {
        ProbeWidget::Update();
        if (std::exchange(mNest, false)) {
            mWidgetManager->UpdateFrame();
            mWidgetManager->UpdateFrame();
        }
    }
    void UpdateFraction(float /*fraction*/) override
    {
        Add("fraction");
        if (std::exchange(mNestFraction, false)) {
            mWidgetManager->UpdateFrameFraction(0.5f);
        }
    }
    bool mNest = false;
    bool mNestFraction = false;
};

class FractionProbe : public SelfRemover {
public:
    using SelfRemover::SelfRemover;
    void UpdateFraction(float /*fraction*/) override { Add("fraction"); }
};

TEST(WidgetContainer, UpdatePassesNestedInAnUpdateLeaveTheOuterPassInPlace)
{
    Log log;
    WidgetManager manager(nullptr);
    NestingWidget a(log, "a");
    FractionProbe b(log, "b"), c(log, "c");
    manager.AddWidget(&a);
    manager.AddWidget(&b);
    manager.AddWidget(&c);

    a.mNestFraction = true;
    manager.UpdateFrameFraction(0.25f);
    EXPECT_EQ(log, (Log{"a:fraction", "a:fraction", "b:fraction", "c:fraction", "b:fraction", "c:fraction"}))
        << "the outer pass goes on after a, once over each child";

    // The child after the one that nests leaves during the nested frames; the outer pass still ends at the end.
    log.clear();
    a.mNest = true;
    b.mAction = "remove";
    manager.UpdateFrame();
    EXPECT_EQ(log, (Log{"a:update", "a:update", "b:update", "c:update", "a:update", "c:update"}));
    EXPECT_FALSE(manager.HasWidget(&b));
    log.clear();
    manager.UpdateFrame();
    EXPECT_EQ(log, (Log{"a:update", "c:update"}));
}

TEST(WidgetContainer, DetachedNodesAreNotUpdated)
{
    Log log;
    WidgetContainer detached;
    ProbeWidget child(log, "child");
    detached.AddWidget(&child);
    ModalFlags flags{WidgetFlags::Update, WidgetFlags::Update, true};
    detached.UpdateAll(flags);
    child.UpdateAll(flags);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(detached.mUpdateCnt, 0);
}

// Top-level children of a 100 x 100 manager, bottom to top.
struct DirtyScene {
    Log log;
    WidgetManager manager{nullptr};
    ProbeWidget back{log, "back", 0, 0, 100, 100};     // opaque, under everything
    ProbeWidget cover{log, "cover", 10, 10, 50, 50};   // opaque, covers the marked widget
    ProbeWidget glass{log, "glass", 20, 20, 10, 10};   // has alpha, intersects
    ProbeWidget hidden{log, "hidden", 0, 0, 100, 100}; // not visible
    ProbeWidget marked{log, "marked", 15, 15, 20, 20};
    ProbeWidget above{log, "above", 30, 30, 20, 20};
    ProbeWidget apart{log, "apart", 80, 80, 10, 10};

    DirtyScene()
    {
        manager.SetPointerMapping(Rect(0, 0, 100, 100), Rect(0, 0, 100, 100));
        glass.mHasAlpha = true;
        hidden.mVisible = false;
        for (ProbeWidget* w : All()) {
            manager.AddWidget(w);
        }
        Clean();
    }
    std::vector<ProbeWidget*> All() { return {&back, &cover, &glass, &hidden, &marked, &above, &apart}; }
    void Clean()
    {
        manager.mDirty = false;
        for (ProbeWidget* w : All()) {
            w->mDirty = false;
        }
    }
    std::string Dirty()
    {
        std::string names;
        for (ProbeWidget* w : All()) {
            if (w->mDirty) {
                names += (names.empty() ? "" : " ") + std::string(w == &back     ? "back"
                                                                  : w == &cover  ? "cover"
                                                                  : w == &glass  ? "glass"
                                                                  : w == &hidden ? "hidden"
                                                                  : w == &marked ? "marked"
                                                                  : w == &above  ? "above"
                                                                                 : "apart");
            }
        }
        return names;
    }
};

TEST(WidgetContainer, DirtyMarkingRepaintsWhatOverlapsAndStopsBelowAnOpaqueCover)
{
    {
        DirtyScene s;
        s.marked.MarkDirty();
        EXPECT_EQ(s.Dirty(), "marked above") << "an opaque widget repaints only what lies above it";
        EXPECT_TRUE(s.manager.mDirty);
        s.Clean();
        s.marked.mDirty = true;
        s.marked.MarkDirty();
        EXPECT_EQ(s.Dirty(), "marked") << "marking a dirty widget again does nothing";
    }
    {
        DirtyScene s;
        s.marked.mHasAlpha = true;
        s.marked.MarkDirty();
        EXPECT_EQ(s.Dirty(), "cover glass marked above") << "see-through: below it too, down to the opaque cover";
    }
    {
        DirtyScene s;
        s.marked.Resize(15, 15, 20, 21);
        EXPECT_EQ(s.Dirty(), "cover glass marked above") << "resizing repaints the old area";
        s.Clean();
        s.marked.Resize(15, 15, 20, 21);
        EXPECT_EQ(s.Dirty(), "") << "resizing to the same rectangle marks nothing";
    }
}

TEST(WidgetContainer, NestedMarksTravelToTheTopLevelChild)
{
    Log log;
    WidgetManager manager(nullptr);
    ProbeWidget board(log, "board", 0, 0, 50, 50);
    ProbeWidget control(log, "control", 5, 5, 10, 10);
    board.AddWidget(&control);
    manager.AddWidget(&board);
    board.mDirty = control.mDirty = manager.mDirty = false;
    control.MarkDirty();
    EXPECT_TRUE(control.mDirty);
    EXPECT_TRUE(board.mDirty);
    EXPECT_TRUE(manager.mDirty);
}

TEST(WidgetContainer, DrawPassTranslatesEachChildAndDrawsBottomToTop)
{
    Log log;
    WidgetManager manager(nullptr);
    ProbeWidget board(log, "board", 100, 50, 200, 200);
    ProbeWidget low(log, "low", 10, 20, 5, 5), high(log, "high", 30, 40, 5, 5), gone(log, "gone", 0, 0, 5, 5);
    ProbeWidget inner(log, "inner", 1, 2, 1, 1);
    high.AddWidget(&inner);
    board.AddWidget(&high);
    board.AddWidget(&low);
    board.AddWidget(&gone);
    board.BringToFront(&high);
    gone.mVisible = false;
    manager.AddWidget(&board);
    log.clear();

    WidgetTestKit::RecordingImage screen(800, 600);
    manager.mImage = &screen;
    EXPECT_TRUE(manager.DrawScreen());
    EXPECT_EQ(log, (Log{"board:draw@100,50", "low:draw@110,70", "high:draw@130,90", "inner:draw@131,92"}));
    EXPECT_FALSE(board.mDirty);
    EXPECT_FALSE(high.mDirty);

    log.clear();
    EXPECT_FALSE(manager.DrawScreen()) << "nothing dirty, nothing drawn";
    EXPECT_TRUE(log.empty());
}

TEST(WidgetContainer, ModifierFlagsReachTheSubtree)
{
    Log log;
    WidgetManager manager(nullptr);
    ProbeWidget board(log, "board", 0, 0, 10, 10), child(log, "child", 0, 0, 5, 5);
    board.AddWidget(&child);
    manager.AddWidget(&board);
    board.mWidgetFlagsMod.mRemoveFlags = WidgetFlags::Update | WidgetFlags::Draw;
    child.mWidgetFlagsMod.mAddFlags = WidgetFlags::Draw;
    log.clear();
    manager.UpdateFrame();
    WidgetTestKit::RecordingImage screen(100, 100);
    manager.mImage = &screen;
    board.MarkDirty();
    manager.DrawScreen();
    EXPECT_EQ(log, (Log{"child:draw@0,0"})) << "the child adds Draw back for itself only";

    log.clear();
    board.mWidgetFlagsMod = FlagsMod{WidgetFlags::MarkDirty, 0};
    board.mDirty = false;
    manager.UpdateFrame();
    EXPECT_TRUE(board.mDirty) << "MarkDirty in force marks on every update";
}

TEST(WidgetContainer, RemovingAllChildrenDeletesThemWhenAsked)
{
    Log log;
    WidgetManager manager(nullptr);
    auto* board = new ProbeWidget(log, "board");
    auto* nested = new ProbeWidget(log, "nested");
    board->AddWidget(nested);
    manager.AddWidget(board);
    manager.SetFocus(nested);
    manager.RemoveAllWidgets(true, true); // leaks, or frees twice, under the sanitizer if wrong
    EXPECT_TRUE(manager.mWidgets.empty());
    EXPECT_EQ(manager.mFocusWidget, nullptr);
}

TEST(WidgetContainer, DeletingAManagedWidgetTakesItOutOfTheTree)
{
    Log log;
    WidgetManager manager(nullptr);
    ProbeWidget board(log, "board", 0, 0, 50, 50);
    auto* control = new ProbeWidget(log, "control", 0, 0, 10, 10);
    board.AddWidget(control);
    manager.AddWidget(&board);
    manager.SetFocus(control);
    manager.MouseMove(5, 5);
    ASSERT_EQ(manager.mOverWidget, control);
    delete control;
    EXPECT_TRUE(board.mWidgets.empty());
    EXPECT_EQ(manager.mOverWidget, nullptr);
    EXPECT_EQ(manager.mFocusWidget, nullptr);
    manager.MouseMove(6, 6); // would touch freed memory otherwise
}

TEST(WidgetContainer, WidgetsOutliveTheManagerDetached)
{
    Log log;
    ProbeWidget board(log, "board"), control(log, "control");
    board.AddWidget(&control);
    {
        WidgetManager manager(nullptr);
        manager.AddWidget(&board);
    }
    EXPECT_EQ(board.mParent, nullptr);
    EXPECT_EQ(board.mWidgetManager, nullptr);
    EXPECT_EQ(control.mWidgetManager, nullptr);
    EXPECT_EQ(control.mParent, &board);
}

TEST(WidgetContainer, ChangesFromAnotherThreadWaitForTheNextUpdate)
{
    Log log;
    WidgetManager manager(nullptr);
    ProbeWidget board(log, "board"), other(log, "other");
    manager.AddWidget(&other);
    std::thread loader([&] {
        manager.AddWidget(&board);
        manager.BringToBack(&board);
    });
    loader.join();
    EXPECT_FALSE(manager.HasWidget(&board)) << "the tree is the main thread's";
    manager.UpdateFrame();
    ASSERT_TRUE(manager.HasWidget(&board));
    EXPECT_EQ(manager.mWidgets.front(), &board);
    EXPECT_EQ(board.mWidgetManager, &manager);
}

} // namespace
