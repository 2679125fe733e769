// The widget's own state and helpers: the colour table, click-count decoding, tab focus, enabling under the
// pointer, centred lines and digit strips.
#include "shell/Widget.h"

#include "graphics/Graphics.h"
#include "platform/window/VirtualKeys.h"
#include "shell/WidgetManager.h"
#include "tests/shell/WidgetTestKit.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using namespace Pyxo;
using WidgetTestKit::Log;
using WidgetTestKit::ProbeWidget;

TEST(Widget, ColorTableGrowsWithOpaqueBlack)
{
    Widget widget;
    const Color teal(0, 128, 128, 200);
    widget.SetColor(5, teal);
    ASSERT_EQ(widget.mColors.size(), 6u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(widget.GetColor(i), Color::Black) << i;
    }
    EXPECT_EQ(widget.GetColor(5), teal);
    EXPECT_EQ(widget.GetColor(6), Color::Black) << "past the end";
    EXPECT_EQ(widget.GetColor(-1), Color::Black);
    EXPECT_EQ(widget.GetColorOr(6, teal), teal);
    EXPECT_EQ(widget.GetColorOr(0, teal), Color::Black);

    const int rgba[][4] = {{1, 2, 3, 4}, {5, 6, 7, 8}};
    widget.SetColors(rgba, 2);
    EXPECT_EQ(widget.mColors, (std::vector<Color>{Color(1, 2, 3, 4), Color(5, 6, 7, 8)})) << "the table is replaced";
    const int rgb[][3] = {{9, 10, 11}};
    widget.SetColorsRGB(rgb, 1);
    EXPECT_EQ(widget.mColors, (std::vector<Color>{Color(9, 10, 11, 255)}));
}

TEST(Widget, ClickCountsDecodeToButtonAndCount)
{
    Log log;
    ProbeWidget widget(log, "w");
    struct Case {
        int encoded;
        const char* down;
    };
    const Case cases[] = {
        {1, "w:down(3,4,0,1)"},  {2, "w:down(3,4,0,2)"}, {-1, "w:down(3,4,1,1)"},
        {-2, "w:down(3,4,1,2)"}, {3, "w:down(3,4,2,1)"},
    };
    for (const Case& c : cases) {
        log.clear();
        widget.MouseDownClicks(3, 4, c.encoded);
        EXPECT_EQ(log, (Log{c.down})) << c.encoded;
    }
    log.clear();
    widget.MouseUpClicks(3, 4, -2);
    EXPECT_EQ(log, (Log{"w:up(3,4,1,2)"}));
}

TEST(Widget, NumDigitsCountsDecimalDigits)
{
    const Widget widget;
    const std::pair<int, int> cases[] = {{0, 1}, {9, 1}, {10, 2}, {999, 3}, {1000, 4}, {INT_MAX, 10}};
    for (const auto& [number, digits] : cases) {
        EXPECT_EQ(widget.GetNumDigits(number), digits) << number;
    }
}

TEST(Widget, TabMovesTheFocusToTheNeighbours)
{
    Log log;
    WidgetManager manager(nullptr);
    ProbeWidget first(log, "first"), second(log, "second"), last(log, "last");
    for (ProbeWidget* w : {&first, &second, &last}) {
        manager.AddWidget(w);
    }
    second.mTabPrev = &first;
    second.mTabNext = &last;
    manager.SetFocus(&second);

    manager.KeyDown(int(Platform::VK_TAB));
    EXPECT_EQ(manager.mFocusWidget, &last);
    manager.KeyDown(int(Platform::VK_TAB));
    EXPECT_EQ(manager.mFocusWidget, &last) << "no next neighbour: the focus stays";

    manager.SetFocus(&second);
    manager.KeyDown(int(Platform::VK_SHIFT));
    manager.KeyDown(int(Platform::VK_TAB));
    EXPECT_EQ(manager.mFocusWidget, &first);
}

TEST(Widget, DisablingLeavesAndEnablingUnderThePointerEntersAgain)
{
    Log log;
    WidgetManager manager(nullptr);
    ProbeWidget board(log, "board", 200, 100, 100, 100);
    ProbeWidget button(log, "button", 10, 10, 20, 20);
    board.AddWidget(&button);
    manager.AddWidget(&board);
    manager.MouseMove(215, 115);
    log.clear();

    button.SetDisabled(true);
    EXPECT_EQ(log, (Log{"button:leave"}));
    log.clear();
    manager.MouseMove(216, 116);
    EXPECT_TRUE(log.empty()) << "a disabled widget is handed nothing";

    button.SetDisabled(false);
    EXPECT_EQ(log, (Log{"button:enter", "button:move(6,6)"}))
        << "the pointer lies inside the nested widget, measured in its parent's coordinates";
}

TEST(Widget, CenteredLinesReportTheRectangleTheyCover)
{
    std::vector<WidgetTestKit::FixedFont::Drawn> drawn;
    WidgetTestKit::FixedFont font(&drawn, 10, 14);
    WidgetTestKit::RecordingImage image(200, 100);
    Graphics g(&image);
    g.SetFont(&font);
    Widget widget;
    widget.mWidth = 101;

    EXPECT_EQ(widget.DrawCenteredLine(&g, 30, L"abcd"), Rect(38, 20, 24, 14));
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].mX, 38);
    EXPECT_EQ(drawn[0].mY, 30);

    drawn.clear();
    const Color red(255, 0, 0), shadow(0, 0, 0, 128);
    EXPECT_EQ(widget.DrawCenteredLineColors(&g, 30, L"abcd", red, shadow, Point(-2, 3)), Rect(36, 20, 26, 17));
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].mX, 36) << "the shadow first, offset";
    EXPECT_EQ(drawn[0].mY, 33);
    EXPECT_EQ(drawn[0].mColor, shadow);
    EXPECT_EQ(drawn[1].mX, 38);
    EXPECT_EQ(drawn[1].mColor, red);

    Graphics noFont(&image);
    EXPECT_EQ(widget.DrawCenteredLine(&noFont, 30, L"abcd"), Rect(50, 30, 0, 0)) << "no font: nothing to measure";
}

TEST(Widget, DigitStripShowsOneDigitThroughEachClip)
{
    WidgetTestKit::RecordingImage screen(200, 100);
    const auto strip = WidgetTestKit::MakeSourceImage(100, 12); // ten digits of 10 pixels
    Graphics g(&screen);
    Widget widget;
    widget.DrawNumberFromStrip(&g, 305, 5, 7, strip.get(), 2);
    ASSERT_EQ(screen.mOps.size(), 3u);
    const Rect expectedDest[] = {{5, 7, 10, 12}, {17, 7, 10, 12}, {29, 7, 10, 12}};
    const Rect expectedSrc[] = {{30, 0, 10, 12}, {0, 0, 10, 12}, {50, 0, 10, 12}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(screen.mOps[i].mRect, expectedDest[i]) << i;
        EXPECT_EQ(screen.mOps[i].mSrcRect, expectedSrc[i]) << i;
    }
    EXPECT_EQ(g.mClipRect, Rect(0, 0, 200, 100)) << "the caller's context keeps its clip";
}

} // namespace
