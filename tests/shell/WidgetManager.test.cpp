// Input routing of the widget manager: the topmost widget under the pointer, capture until every button is up,
// enter and leave notices, modal widgets that block what lies below, focus and keys.
#include "shell/WidgetManager.h"

#include "platform/window/VirtualKeys.h"
#include "shell/Widget.h"
#include "tests/shell/WidgetTestKit.h"

#include <gtest/gtest.h>

namespace {

using namespace Pyxo;
using WidgetTestKit::Log;
using WidgetTestKit::ProbeWidget;

constexpr int kShift = int(Platform::VK_SHIFT);
constexpr int kCtrl = int(Platform::VK_CONTROL);
constexpr int kTab = int(Platform::VK_TAB);

class WidgetManagerTest : public ::testing::Test {
protected:
    void SetUp() override { manager.SetPointerMapping(Rect(0, 0, 800, 600), Rect(0, 0, 800, 600)); }

    ProbeWidget* Add(const std::string& name, int x, int y, int width, int height, WidgetContainer* parent = nullptr)
    {
        widgets.push_back(std::make_unique<ProbeWidget>(log, name, x, y, width, height));
        widgets.back()->mLogUpdates = false;
        (parent != nullptr ? parent : &manager)->AddWidget(widgets.back().get());
        return widgets.back().get();
    }

    Log Take()
    {
        Log taken;
        taken.swap(log);
        return taken;
    }

    Log log;
    WidgetManager manager{nullptr};
    std::vector<std::unique_ptr<ProbeWidget>> widgets;
};

TEST_F(WidgetManagerTest, ThePressGoesToTheTopmostWidgetInItsOwnCoordinates)
{
    ProbeWidget* board = Add("board", 100, 100, 200, 200);
    Add("button", 10, 10, 50, 50, board);
    Add("under", 0, 0, 800, 600);
    manager.BringToBack(widgets.back().get());
    Take();

    manager.MouseDown(120, 115, 1);
    manager.MouseUp(130, 125, 1);
    EXPECT_EQ(Take(), (Log{"button:enter", "button:move(10,5)", "button:down(10,5,0,1)", "button:up(20,15,0,1)",
                           "button:move(20,15)"}))
        << "a nested widget's release is in its own coordinates, not its parent's";

    manager.MouseDown(50, 50, -2);
    manager.MouseUp(50, 50, -2);
    EXPECT_EQ(Take(), (Log{"button:leave", "under:enter", "under:move(50,50)", "under:down(50,50,1,2)",
                           "under:up(50,50,1,2)"}));
}

TEST_F(WidgetManagerTest, ThePressedWidgetKeepsTheMouseUntilEveryButtonIsUp)
{
    ProbeWidget* first = Add("first", 0, 0, 100, 100);
    ProbeWidget* second = Add("second", 200, 0, 100, 100);
    manager.MouseMove(10, 10);
    manager.MouseDown(10, 10, 1);
    manager.MouseMove(250, 20); // a drag, with a button down
    Take();

    manager.MouseDown(250, 20, -1);
    EXPECT_EQ(Take(), (Log{"second:enter", "second:move(50,20)", "first:down(250,20,1,1)"}))
        << "the second press also goes to the first widget, in the first widget's coordinates";
    EXPECT_EQ(manager.mLastDownButtonId, -1);

    manager.MouseUp(250, 20, 1);
    EXPECT_EQ(manager.mLastDownWidget, first) << "the right button still holds it";
    EXPECT_EQ(Take(), (Log{"first:up(250,20,0,1)"}));
    manager.MouseUp(250, 20, -1);
    EXPECT_EQ(manager.mLastDownWidget, nullptr);
    EXPECT_EQ(Take(), (Log{"first:up(250,20,1,1)"}));
    EXPECT_EQ(manager.mOverWidget, second);
}

TEST_F(WidgetManagerTest, DraggingOffThePressedWidgetLeavesAndComingBackEnters)
{
    ProbeWidget* board = Add("board", 100, 100, 300, 300);
    ProbeWidget* knob = Add("knob", 20, 20, 40, 40, board);
    manager.MouseMove(130, 130);
    manager.MouseDown(130, 130, 1);
    Take();

    manager.MouseMove(300, 300);
    EXPECT_EQ(Take(), (Log{"knob:drag(180,180)", "knob:leave"}));
    EXPECT_FALSE(knob->mIsOver);
    manager.MouseDrag(140, 150);
    EXPECT_EQ(Take(), (Log{"knob:drag(20,30)", "knob:enter"}));
    manager.MouseUp(141, 151, 1);
    EXPECT_EQ(Take(), (Log{"knob:up(21,31,0,1)", "knob:move(21,31)"}));
    EXPECT_FALSE(knob->mIsDown);
}

TEST_F(WidgetManagerTest, DisabledWidgetsSwallowTheMouseAndSeeThroughOnesLetItPass)
{
    Add("below", 0, 0, 100, 100);
    ProbeWidget* lid = Add("lid", 0, 0, 100, 100);
    lid->mDisabled = true;
    Take();
    manager.MouseDown(10, 10, 1);
    manager.MouseUp(10, 10, 1);
    EXPECT_TRUE(Take().empty()) << "a click on a disabled widget reaches neither it nor what lies below";

    lid->mDisabled = false;
    lid->mHoleInside = true;
    manager.MouseDown(10, 10, 1);
    EXPECT_EQ(Take(), (Log{"below:enter", "below:move(10,10)", "below:down(10,10,0,1)"}));
}

TEST_F(WidgetManagerTest, MouseInsetsShrinkTheHitRectangleAndHiddenWidgetsAreNotHit)
{
    ProbeWidget* button = Add("button", 10, 10, 40, 40);
    button->mMouseInsets = Insets{5, 5, 5, 5};
    ProbeWidget* hidden = Add("hidden", 0, 0, 100, 100);
    hidden->mVisible = false;
    int localX = -1;
    int localY = -1;
    EXPECT_EQ(manager.FindWidgetAt(12, 12, &localX, &localY), nullptr);
    EXPECT_EQ(localX, -1) << "untouched when nothing is found";
    EXPECT_EQ(manager.FindWidgetAt(15, 16, &localX, &localY), button);
    EXPECT_EQ(localX, 5);
    EXPECT_EQ(localY, 6);
}

TEST_F(WidgetManagerTest, AModalWidgetBlocksTheMouseAndTheFocusBelowIt)
{
    ProbeWidget* field = Add("field", 0, 0, 100, 100);
    ProbeWidget* dialog = Add("dialog", 200, 200, 100, 100);
    manager.SetFocus(field);
    manager.MouseMove(10, 10);
    Take();

    manager.PushModal(dialog);
    EXPECT_EQ(Take(), (Log{"field:leave", "field:lostfocus"}));
    manager.MouseDown(10, 10, 1);
    manager.MouseUp(10, 10, 1);
    EXPECT_TRUE(Take().empty()) << "nothing below the modal widget takes the click";
    manager.MouseDown(210, 210, 1);
    EXPECT_EQ(Take(), (Log{"dialog:enter", "dialog:move(10,10)", "dialog:down(10,10,0,1)"}));
    manager.MouseUp(210, 210, 1);
    Take();

    manager.PopModal(field);
    EXPECT_EQ(manager.mBaseModalWidget, dialog) << "only the newest record pops";
    manager.PopModal(dialog);
    EXPECT_EQ(manager.mBaseModalWidget, nullptr);
    EXPECT_EQ(manager.mFocusWidget, field);
    EXPECT_EQ(Take(), (Log{"field:gotfocus"}));
    manager.MouseMove(10, 10);
    EXPECT_EQ(Take(), (Log{"dialog:leave", "field:enter", "field:move(10,10)"}));
}

TEST_F(WidgetManagerTest, AModalWidgetReleasesAPressHeldBelowIt)
{
    ProbeWidget* below = Add("below", 0, 0, 100, 100);
    ProbeWidget* dialog = Add("dialog", 200, 200, 100, 100);
    manager.MouseDown(10, 20, 1);
    Take();
    manager.PushModal(dialog);
    EXPECT_EQ(Take(), (Log{"below:leave", "below:up(10,20,0,1)"}));
    EXPECT_EQ(manager.mLastDownWidget, nullptr);
    EXPECT_FALSE(below->mIsDown);
}

TEST_F(WidgetManagerTest, RemovingTheModalWidgetDropsItFromTheSavedRecords)
{
    ProbeWidget* first = Add("first", 0, 0, 10, 10);
    ProbeWidget* second = Add("second", 20, 0, 10, 10);
    manager.PushModal(first);
    manager.PushModal(second);
    ASSERT_EQ(manager.mPreModalInfoList.back().mPrevBaseModalWidget, first);
    manager.RemoveWidget(first);
    EXPECT_EQ(manager.mPreModalInfoList.back().mPrevBaseModalWidget, nullptr);
    manager.PopModal(second);
    EXPECT_TRUE(manager.mPreModalInfoList.empty()) << "a pop that uncovers no modal widget discards the record below";
    EXPECT_EQ(manager.mBaseModalWidget, nullptr);
}

TEST_F(WidgetManagerTest, KeysGoToTheFocusWidget)
{
    ProbeWidget* field = Add("field", 0, 0, 10, 10);
    ProbeWidget* other = Add("other", 20, 0, 10, 10);
    ProbeWidget* tabTarget = Add("tabtarget", 40, 0, 10, 10);
    manager.mDefaultTab = tabTarget;
    manager.SetFocus(field);
    Take();

    manager.KeyDown('A');
    manager.KeyChar(L'a');
    manager.KeyUp('A');
    manager.MouseWheel(-120);
    EXPECT_EQ(Take(), (Log{"field:keydown(65)", "field:char(97)", "field:keyup(65)", "field:wheel(-120)"}));

    manager.KeyDown(kCtrl);
    manager.KeyChar(wchar_t(kTab));
    manager.KeyUp(kTab);
    manager.KeyUp(kCtrl);
    EXPECT_EQ(Take(), (Log{"field:keydown(17)", "tabtarget:char(9)", "field:keyup(17)"}))
        << "Ctrl+Tab goes to the default tab widget; the Tab release goes nowhere";

    manager.KeyDown(300);
    EXPECT_EQ(Take(), (Log{"field:keydown(300)"})) << "passed on, though not recorded";

    manager.SetFocus(other);
    EXPECT_EQ(Take(), (Log{"field:lostfocus", "other:gotfocus"}));
    ProbeWidget stranger(log, "stranger");
    manager.SetFocus(&stranger);
    EXPECT_EQ(manager.mFocusWidget, nullptr) << "a widget of no manager cannot take the focus";
}

TEST_F(WidgetManagerTest, LosingTheWindowFocusReleasesHeldKeysInAscendingOrder)
{
    ProbeWidget* field = Add("field", 0, 0, 10, 10);
    manager.SetFocus(field);
    manager.KeyDown('Z');
    manager.KeyDown(kShift);
    manager.MouseDown(5, 5, 1);
    Take();

    manager.AppLostFocus();
    EXPECT_EQ(Take(), (Log{"field:keyup(16)", "field:keyup(90)", "field:lostfocus"}));
    EXPECT_EQ(manager.mActualDownButtons, 0);
    EXPECT_FALSE(manager.mKeyDown[kShift]);
    manager.AppLostFocus();
    EXPECT_TRUE(Take().empty());
    manager.AppGotFocus();
    EXPECT_EQ(Take(), (Log{"field:gotfocus"}));
}

TEST_F(WidgetManagerTest, WidgetsThatWantTheFocusTakeItOnAPress)
{
    ProbeWidget* field = Add("field", 0, 0, 10, 10);
    field->mWantsFocus = true;
    manager.MouseDown(5, 5, 1);
    EXPECT_EQ(manager.mFocusWidget, field);
}

TEST_F(WidgetManagerTest, ChangesToTheTreeRecheckWhatLiesUnderThePointer)
{
    ProbeWidget* button = Add("button", 0, 0, 50, 50);
    manager.MouseMove(10, 10);
    Take();
    button->SetVisible(false);
    EXPECT_EQ(Take(), (Log{"button:leave"}));
    button->SetVisible(true);
    EXPECT_EQ(Take(), (Log{"button:enter", "button:move(10,10)"}));
    button->Move(100, 0);
    EXPECT_EQ(Take(), (Log{"button:leave"}));
    manager.MouseExit(-1, -1);
    ProbeWidget* late = Add("late", 0, 0, 50, 50);
    EXPECT_FALSE(late->mIsOver) << "the pointer has left the window";
}

TEST_F(WidgetManagerTest, ReleaseCaptureSendsTheUpsOfEveryHeldButton)
{
    ProbeWidget* board = Add("board", 100, 0, 100, 100);
    Add("knob", 10, 10, 20, 20, board);
    manager.MouseDown(115, 15, 1);
    manager.MouseDown(115, 15, 3);
    Take();
    manager.ReleaseCapture();
    EXPECT_EQ(Take(), (Log{"knob:up(5,5,0,1)", "knob:up(5,5,2,1)"}));
    EXPECT_EQ(manager.mLastDownWidget, nullptr);
    EXPECT_EQ(manager.mDownButtons, 0);
}

TEST_F(WidgetManagerTest, APressOutsideThePopupCommandWidgetRemovesIt)
{
    ProbeWidget* menu = Add("menu", 0, 0, 50, 50);
    manager.mPopupCommandWidget = menu;
    manager.MouseDown(10, 10, 1);
    manager.MouseUp(10, 10, 1);
    EXPECT_TRUE(manager.HasWidget(menu));
    manager.MouseDown(60, 60, 1);
    EXPECT_FALSE(manager.HasWidget(menu));
    EXPECT_EQ(manager.mPopupCommandWidget, nullptr);
}

TEST(WidgetManager, PointerMappingScalesWindowCoordinatesToTheScreen)
{
    WidgetManager manager(nullptr);
    manager.SetPointerMapping(Rect(80, 0, 640, 480), Rect(0, 0, 1024, 768));
    EXPECT_EQ(manager.mWidth, 800);
    EXPECT_EQ(manager.mHeight, 480);
    struct Case {
        int x, y, screenX, screenY;
    };
    const Case cases[] = {{0, 0, 80, 0}, {1023, 767, 719, 479}, {-3, -3, 79, -1}, {512, 384, 400, 240}};
    for (const Case& c : cases) {
        int x = c.x;
        int y = c.y;
        manager.MapPointerToScreen(x, y);
        EXPECT_EQ(x, c.screenX) << c.x;
        EXPECT_EQ(y, c.screenY) << c.y;
    }
    manager.SetPointerMapping(Rect(0, 0, 800, 600), Rect(0, 0, 0, 0));
    int x = 5;
    int y = 6;
    manager.MapPointerToScreen(x, y); // an empty window area maps nothing, and does not divide by zero
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 6);
}

} // namespace
