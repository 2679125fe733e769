// Button widgets: what they report to their listener, their hover fade, and how they draw their states.
#include "shell/ButtonWidget.h"

#include "graphics/Graphics.h"
#include "shell/ButtonListener.h"
#include "shell/DialogButton.h"
#include "shell/WidgetManager.h"
#include "tests/shell/WidgetTestKit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace Pyxo;
using WidgetTestKit::Log;

class RecordingListener : public ButtonListener {
public:
    void ButtonPressClicks(intptr_t id, int clickCount) override
    {
        Add("pressclicks", id, std::to_string(clickCount));
        ButtonListener::ButtonPressClicks(id, clickCount);
    }
    void ButtonPress(intptr_t id) override { Add("press", id); }
    void ButtonRelease(intptr_t id) override { Add("release", id); }
    void ButtonHeldTick(intptr_t id) override { Add("tick", id); }
    void ButtonMouseEnter(intptr_t id) override { Add("enter", id); }
    void ButtonMouseLeave(intptr_t id) override { Add("leave", id); }
    void ButtonMouseMove(intptr_t id, int x, int y) override
    {
        Add("move", id, std::to_string(x) + "," + std::to_string(y));
    }

    Log mLog;

private:
    void Add(const std::string& what, intptr_t id, const std::string& args = "")
    {
        mLog.push_back(what + "(" + std::to_string(id) + (args.empty() ? "" : "," + args) + ")");
    }
};

class ButtonTest : public ::testing::Test {
protected:
    ButtonTest()
    {
        manager.SetPointerMapping(Rect(0, 0, 800, 600), Rect(0, 0, 800, 600));
        button.Resize(100, 100, 80, 20);
        manager.AddWidget(&button);
    }

    Log Take()
    {
        Log taken;
        taken.swap(listener.mLog);
        return taken;
    }

    // Runs updates until the button stops marking itself dirty; returns how many did.
    int CountDirtyUpdates()
    {
        int count = 0;
        for (int i = 0; i < 100; ++i) {
            button.mDirty = false;
            manager.UpdateFrame();
            if (!button.mDirty) {
                return count;
            }
            ++count;
        }
        return count;
    }

    WidgetManager manager{nullptr};
    RecordingListener listener;
    ButtonWidget button{7, &listener};
};

TEST_F(ButtonTest, ReportsPressReleaseAndPointerUnderItsId)
{
    manager.MouseMove(110, 105);
    manager.MouseMove(111, 105);
    manager.MouseDown(111, 105, 2);
    manager.MouseUp(111, 105, 2);
    EXPECT_EQ(Take(), (Log{"enter(7)", "move(7,10,5)", "move(7,11,5)", "pressclicks(7,2)", "press(7)", "release(7)"}));

    manager.MouseDown(111, 105, 1);
    manager.MouseMove(300, 300);
    manager.MouseUp(300, 300, 1);
    EXPECT_EQ(Take(), (Log{"pressclicks(7,1)", "press(7)", "leave(7)"})) << "released outside: pressed, but no release";
}

TEST_F(ButtonTest, ReleaseNeedsTheWindowFocus)
{
    manager.MouseDown(110, 105, 1);
    manager.mHasFocus = false;
    manager.MouseUp(110, 105, 1);
    for (const std::string& entry : Take()) {
        EXPECT_NE(entry, "release(7)");
    }
}

TEST_F(ButtonTest, HeldDownOverTheButtonTicksOncePerUpdate)
{
    manager.MouseDown(110, 105, 1);
    Take();
    manager.UpdateFrame();
    manager.UpdateFrame();
    EXPECT_EQ(Take(), (Log{"tick(7)", "tick(7)"}));
    EXPECT_TRUE(button.IsButtonDown());

    manager.MouseMove(300, 300); // dragged off
    Take();
    manager.UpdateFrame();
    EXPECT_TRUE(Take().empty()) << "no ticks while the pointer is off the button";
    EXPECT_FALSE(button.IsButtonDown());

    manager.MouseMove(110, 105);
    button.SetDisabled(true);
    EXPECT_FALSE(button.IsButtonDown()) << "disabling releases it";
}

TEST_F(ButtonTest, HoverImageFadesOutOverElevenUpdatesAtOneTenthEach)
{
    const auto over = WidgetTestKit::MakeSourceImage(80, 20);
    button.mOverImage = over.get();
    button.mOverAlphaSpeed = 0.1;
    manager.MouseMove(110, 105);
    manager.MouseMove(300, 300);
    EXPECT_EQ(button.mOverAlpha, 1.0) << "leaving starts the fade at full strength";
    // 1.0 less ten steps of 0.1 leaves a rounding residue above zero, which an eleventh update clears.
    EXPECT_EQ(CountDirtyUpdates(), 11);
    EXPECT_EQ(button.mOverAlpha, 0.0);
}

TEST_F(ButtonTest, HoverImageFadesInWhileThePointerIsOver)
{
    const auto over = WidgetTestKit::MakeSourceImage(80, 20);
    button.mOverImage = over.get();
    button.mOverAlphaFadeInSpeed = 0.3;
    manager.MouseMove(110, 105);
    EXPECT_EQ(CountDirtyUpdates(), 4) << "0.3, 0.6, 0.9, then capped at 1";
    EXPECT_EQ(button.mOverAlpha, 1.0);

    button.mOverAlphaFadeInSpeed = 0.0;
    manager.MouseMove(300, 300);
    EXPECT_EQ(button.mOverAlpha, 0.0) << "without a fade-out speed it drops at once";
}

TEST_F(ButtonTest, EnterAndLeaveRepaintOnlyWhenSomethingVisibleChanges)
{
    button.SetColor(ButtonWidget::kColorLabelHilite, button.GetColor(ButtonWidget::kColorLabel));
    button.mDirty = false;
    manager.MouseMove(110, 105);
    EXPECT_FALSE(button.mDirty) << "one label colour and no hover image";
    manager.MouseMove(300, 300);
    button.SetColor(ButtonWidget::kColorLabelHilite, Color(255, 0, 0));
    button.mDirty = false;
    manager.MouseMove(110, 105);
    EXPECT_TRUE(button.mDirty);
}

// The fills of a plain box, as (rectangle, colour index) in the button's coordinates.
struct Fill {
    Rect mRect;
    int mColor;
};

std::vector<Fill> PlainBox(bool pressed, int w, int h)
{
    if (pressed) {
        return {{{0, 0, w, h}, 5},     {{0, 0, w - 1, 1}, 2}, {{0, 0, 1, h - 1}, 2}, {{0, h - 1, w, 1}, 3},
                {{w - 1, 0, 1, h}, 3}, {{1, 1, w - 3, 1}, 4}, {{1, 1, 1, h - 3}, 4}};
    }
    return {{{0, 0, w, h}, 5},     {{0, 0, w - 1, 1}, 3},     {{0, 0, 1, h - 1}, 3},    {{0, h - 1, w, 1}, 2},
            {{w - 1, 0, 1, h}, 2}, {{1, h - 2, w - 2, 1}, 4}, {{w - 2, 1, 1, h - 2}, 4}};
}

TEST_F(ButtonTest, PlainButtonDrawsABevelAndShiftsItsLabelWhilePressed)
{
    std::vector<WidgetTestKit::FixedFont::Drawn> drawn;
    WidgetTestKit::FixedFont font(&drawn, 10, 14);
    button.SetFont(&font);
    button.mLabel = L"Go";
    button.SetColor(ButtonWidget::kColorLabelHilite, Color(255, 0, 0));

    for (const bool pressed : {false, true}) {
        SCOPED_TRACE(pressed);
        if (pressed) {
            manager.MouseDown(110, 105, 1);
        }
        WidgetTestKit::RecordingImage screen(800, 600);
        Graphics g(&screen);
        drawn.clear();
        button.Draw(&g);
        const std::vector<Fill> expected = PlainBox(pressed, 80, 20);
        ASSERT_EQ(screen.mOps.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(screen.mOps[i].mRect, expected[i].mRect) << i;
            EXPECT_EQ(screen.mOps[i].mColor, button.GetColor(expected[i].mColor)) << i;
        }
        ASSERT_EQ(drawn.size(), 1u);
        // Centred: (80 - 12) / 2 = 34; (20 - 14) / 2 + ascent 10 = 13.
        EXPECT_EQ(drawn[0].mX, pressed ? 35 : 34);
        EXPECT_EQ(drawn[0].mY, pressed ? 14 : 13);
        EXPECT_EQ(drawn[0].mColor, pressed ? Color(255, 0, 0) : Color::Black);
    }
}

TEST_F(ButtonTest, LabelJustificationAndTheFramelessBox)
{
    std::vector<WidgetTestKit::FixedFont::Drawn> drawn;
    WidgetTestKit::FixedFont font(&drawn, 10, 14);
    button.SetFont(&font);
    button.mLabel = std::wstring(80 / 6, L'x'); // 78 pixels
    button.mFrameNoDraw = true;
    struct Case {
        int justify, x;
    };
    for (const Case c : {Case{ButtonWidget::kJustifyCenter, 1}, Case{ButtonWidget::kJustifyRight, 2},
                         Case{ButtonWidget::kJustifyLeft, 0}, Case{42, 0}}) {
        button.mLabelJustify = c.justify;
        WidgetTestKit::RecordingImage screen(800, 600);
        Graphics g(&screen);
        drawn.clear();
        button.Draw(&g);
        EXPECT_TRUE(screen.mOps.empty()) << "no frame, no fill";
        ASSERT_EQ(drawn.size(), 1u);
        EXPECT_EQ(drawn[0].mX, c.x) << c.justify;
    }
    button.mLabel = std::wstring(80 / 6, L'x') + L"xx"; // 90 pixels, wider than the button
    button.mLabelJustify = ButtonWidget::kJustifyRight;
    WidgetTestKit::RecordingImage screen(800, 600);
    Graphics g(&screen);
    drawn.clear();
    button.Draw(&g);
    EXPECT_EQ(drawn[0].mX, -10);
}

TEST_F(ButtonTest, StateImagesFollowPressHoverAndFade)
{
    const auto normal = WidgetTestKit::MakeSourceImage(80, 20);
    const auto over = WidgetTestKit::MakeSourceImage(80, 20);
    const auto down = WidgetTestKit::MakeSourceImage(80, 20);
    const auto disabled = WidgetTestKit::MakeSourceImage(80, 20);
    button.mButtonImage = normal.get();
    button.mOverImage = over.get();
    button.mDisabledImage = disabled.get();

    auto drawnImages = [&] {
        WidgetTestKit::RecordingImage screen(800, 600);
        Graphics g(&screen);
        button.Draw(&g);
        std::vector<std::pair<const Image*, Color>> images;
        for (const auto& op : screen.mOps) {
            images.emplace_back(op.mSource, op.mColor);
        }
        return images;
    };
    using Images = std::vector<std::pair<const Image*, Color>>;
    EXPECT_EQ(drawnImages(), (Images{{normal.get(), Color::White}}));
    manager.MouseMove(110, 105);
    EXPECT_EQ(drawnImages(), (Images{{over.get(), Color::White}}));
    manager.MouseDown(110, 105, 1);
    EXPECT_EQ(drawnImages(), (Images{{over.get(), Color::White}})) << "pressed without a down image";
    button.mDownImage = down.get();
    EXPECT_EQ(drawnImages(), (Images{{down.get(), Color::White}}));
    manager.MouseUp(110, 105, 1);

    manager.MouseMove(300, 300);
    button.mOverAlpha = 0.5;
    EXPECT_EQ(drawnImages(), (Images{{normal.get(), Color::White}, {over.get(), Color(255, 255, 255, 127)}}))
        << "the hover image over the normal one, at half strength";
    button.mOverAlpha = 0.0;
    button.SetDisabled(true);
    EXPECT_EQ(drawnImages(), (Images{{disabled.get(), Color::White}}));
    button.mBtnNoDraw = true;
    EXPECT_TRUE(drawnImages().empty());
}

TEST(DialogButton, LabelSitsBelowCentreAndShiftsWhilePressed)
{
    WidgetManager manager(nullptr);
    RecordingListener listener;
    const auto component = WidgetTestKit::MakeSourceImage(30, 30);
    DialogButton button(component.get(), 1000, &listener);
    EXPECT_TRUE(button.mDoFinger);
    EXPECT_EQ(button.GetColor(ButtonWidget::kColorLabel), Color::White);
    button.Resize(0, 0, 100, 30);
    manager.AddWidget(&button);
    std::vector<WidgetTestKit::FixedFont::Drawn> drawn;
    WidgetTestKit::FixedFont font(&drawn, 12, 16, 2);
    button.SetFont(&font);
    button.mLabel = L"OK";

    for (const bool pressed : {false, true}) {
        if (pressed) {
            manager.MouseDown(10, 10, 1);
        }
        WidgetTestKit::RecordingImage screen(800, 600);
        Graphics g(&screen);
        drawn.clear();
        button.Draw(&g);
        ASSERT_EQ(drawn.size(), 1u);
        // x = (100 - 12) / 2; y = (12 + (30 - 12 / 6 - 2) - 1) / 2.
        EXPECT_EQ(drawn[0].mX, pressed ? 45 : 44);
        EXPECT_EQ(drawn[0].mY, pressed ? 19 : 18);
        EXPECT_FALSE(screen.mOps.empty()) << "the nine-part box";
        EXPECT_EQ(g.mTransX, 0.0f) << "the press offset is undone";
    }
}

} // namespace
