// The framework dialog: its buttons by mode, their place in the tree, layout, colours, dragging, preferred
// height, drawing, and a result that comes back from nested loop steps.
#include "shell/Dialog.h"

#include "graphics/Graphics.h"
#include "shell/DialogButton.h"
#include "shell/PyxoAppBase.h"
#include "shell/WidgetManager.h"
#include "tests/shell/WidgetTestKit.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace Pyxo;
using WidgetTestKit::Log;

// An application whose loop step is a script: each step runs the next action; false once none is left.
class ScriptedApp : public PyxoAppBase {
public:
    bool RunLoopStep(bool* updated) override
    {
        if (updated != nullptr) {
            *updated = true;
        }
        if (mSteps >= mScript.size()) {
            return false;
        }
        mScript[mSteps++]();
        return true;
    }
    bool CloseDialogBox(intptr_t id) override
    {
        mLog.push_back("close(" + std::to_string(id) + ")");
        return true;
    }
    void DialogButtonPress(intptr_t dialogId, intptr_t buttonId) override
    {
        mLog.push_back("press(" + std::to_string(dialogId) + "," + std::to_string(buttonId) + ")");
    }
    void DialogButtonRelease(intptr_t dialogId, intptr_t buttonId) override
    {
        mLog.push_back("release(" + std::to_string(dialogId) + "," + std::to_string(buttonId) + ")");
    }

    std::vector<std::function<void()>> mScript;
    size_t mSteps = 0;
    Log mLog;
};

std::unique_ptr<Dialog> MakeDialog(int mode, const std::wstring& footer = L"", Image* buttonImage = nullptr)
{
    return std::make_unique<Dialog>(nullptr, buttonImage, 42, true, L"Header", L"Some lines", footer, mode);
}

TEST(Dialog, ButtonsByMode)
{
    struct Case {
        int mode;
        const wchar_t* yes;
        const wchar_t* no; // null: no such button
    };
    const Case cases[] = {
        {Dialog::kButtonModeNone, nullptr, nullptr},
        {Dialog::kButtonModeYesNo, L"YES", L"NO"},
        {Dialog::kButtonModeOkCancel, L"OK", L"CANCEL"},
        {Dialog::kButtonModeFooter, L"Close", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        const auto dialog = MakeDialog(c.mode, L"Close");
        ASSERT_EQ(dialog->mYesButton != nullptr, c.yes != nullptr);
        ASSERT_EQ(dialog->mNoButton != nullptr, c.no != nullptr);
        if (c.yes != nullptr) {
            EXPECT_EQ(dialog->mYesButton->mLabel, c.yes);
            EXPECT_EQ(dialog->mYesButton->mId, Dialog::kYesButtonId);
            EXPECT_EQ(dialog->mYesButton->mButtonListener, dialog.get());
        }
        if (c.no != nullptr) {
            EXPECT_EQ(dialog->mNoButton->mLabel, c.no);
            EXPECT_EQ(dialog->mNoButton->mId, Dialog::kNoButtonId);
        }
        EXPECT_EQ(dialog->mResult, Dialog::kNoResult);
        EXPECT_EQ(dialog->mButtonHeight, 24);
    }
}

TEST(Dialog, ButtonsAreTopLevelWidgetsDirectlyAboveTheDialog)
{
    WidgetManager manager(nullptr);
    Widget below, above;
    manager.AddWidget(&below);
    const auto dialog = MakeDialog(Dialog::kButtonModeYesNo);
    manager.AddWidget(dialog.get());
    manager.AddWidget(&above);
    Widget* yes = dialog->mYesButton.get();
    Widget* no = dialog->mNoButton.get();
    EXPECT_EQ(yes->mParent, &manager);
    EXPECT_EQ(manager.mWidgets, (WidgetContainer::WidgetList{&below, dialog.get(), yes, no, &above}));

    manager.BringToBack(dialog.get());
    EXPECT_EQ(manager.mWidgets, (WidgetContainer::WidgetList{dialog.get(), no, yes, &below, &above}))
        << "the buttons follow the dialog";

    manager.RemoveWidget(dialog.get());
    EXPECT_EQ(manager.mWidgets, (WidgetContainer::WidgetList{&below, &above}));
    EXPECT_EQ(yes->mWidgetManager, nullptr);
}

TEST(Dialog, DeletingAManagedDialogTakesItsButtonsAlong)
{
    WidgetManager manager(nullptr);
    auto dialog = MakeDialog(Dialog::kButtonModeYesNo);
    manager.AddWidget(dialog.get());
    dialog.reset();
    EXPECT_TRUE(manager.mWidgets.empty());
}

TEST(Dialog, ResizeLaysTheButtonsOut)
{
    const auto two = MakeDialog(Dialog::kButtonModeYesNo);
    two->mButtonSidePadding = 5;
    two->mBackgroundInsets = Insets{2, 3, 4, 6};
    two->Resize(100, 50, 300, 200);
    // Width (300 - 10 - 24 - 4 - 2 - 24 - 8) / 2 = 114; y = 50 + 200 - 24 - 6 - 24 = 196.
    EXPECT_EQ(two->mYesButton->GetRect(), Rect(100 + 2 + 24 + 5, 196, 114, 24));
    EXPECT_EQ(two->mNoButton->GetRect(), Rect(131 + 114 + 8, 196, 114, 24));

    const auto one = MakeDialog(Dialog::kButtonModeFooter, L"Close");
    one->Resize(0, 0, 301, 100);
    EXPECT_EQ(one->mYesButton->GetRect(), Rect(24, 100 - 24 - 24, 301 - 48, 24));
}

TEST(Dialog, ButtonReportsReachTheDialogListenerAndSetTheResult)
{
    ScriptedApp app;
    const auto dialog = MakeDialog(Dialog::kButtonModeYesNo);
    EXPECT_EQ(dialog->mDialogListener, &app) << "the application by default";
    dialog->ButtonPress(Dialog::kNoButtonId);
    dialog->ButtonRelease(Dialog::kNoButtonId);
    dialog->ButtonRelease(7); // not a dialog button
    EXPECT_EQ(app.mLog, (Log{"press(42,1001)", "release(42,1001)"}));
    EXPECT_EQ(dialog->mResult, Dialog::kNoButtonId);
}

TEST(Dialog, LabelColoursAreCopiedToTheButtonsAndEachDialogKeepsItsOwnTable)
{
    const auto image = WidgetTestKit::MakeSourceImage(40, 30);
    const auto plain = MakeDialog(Dialog::kButtonModeYesNo);
    EXPECT_EQ(plain->mYesButton->GetColor(ButtonWidget::kColorLabel), Color::Black)
        << "black labels on the plain grey buttons";
    const auto skinned = MakeDialog(Dialog::kButtonModeYesNo, L"", image.get());
    EXPECT_EQ(skinned->GetColor(Dialog::kColorButtonText), Color::White)
        << "a dialog made after a plain one still has its own white labels";
    EXPECT_EQ(skinned->mNoButton->GetColor(ButtonWidget::kColorLabelHilite), Color::White);
    EXPECT_EQ(skinned->mButtonHeight, 30);

    skinned->SetColor(Dialog::kColorButtonText, Color(1, 2, 3));
    EXPECT_EQ(skinned->mYesButton->GetColor(ButtonWidget::kColorLabel), Color(1, 2, 3));
    EXPECT_EQ(skinned->mNoButton->GetColor(ButtonWidget::kColorLabel), Color(1, 2, 3));
    skinned->SetColor(Dialog::kColorButtonTextHilite, Color(4, 5, 6));
    EXPECT_EQ(skinned->mNoButton->GetColor(ButtonWidget::kColorLabelHilite), Color(4, 5, 6));
    EXPECT_EQ(MakeDialog(Dialog::kButtonModeYesNo, L"", image.get())->GetColor(Dialog::kColorButtonText), Color::White);
}

TEST(Dialog, DraggingKeepsTheDialogNearTheScreen)
{
    WidgetManager manager(nullptr);
    manager.SetPointerMapping(Rect(0, 0, 800, 600), Rect(0, 0, 800, 600));
    const auto dialog = MakeDialog(Dialog::kButtonModeNone);
    dialog->Resize(100, 100, 200, 100);
    manager.AddWidget(dialog.get());

    manager.MouseDown(110, 110, 1);
    manager.MouseMove(0, 50);
    EXPECT_EQ(dialog->mX, -8) << "at most 8 pixels past the left edge";
    EXPECT_EQ(dialog->mY, 40);
    EXPECT_EQ(dialog->mDragMouseX, 8) << "the grab point stays inside";
    manager.MouseMove(790, 50);
    EXPECT_EQ(dialog->mX, 800 - 200 + 8);
    EXPECT_EQ(dialog->mDragMouseX, 182);
    manager.MouseMove(1200, 700);
    EXPECT_EQ(dialog->mX, 608);
    EXPECT_EQ(dialog->mY, 600 - 100 + 8);
    EXPECT_EQ(dialog->mDragMouseX, 200 - 9);
    EXPECT_EQ(dialog->mDragMouseY, 100 - 9);
    manager.MouseUp(1200, 700, 1);
    EXPECT_FALSE(dialog->mDragging);
    manager.MouseMove(0, 0);
    EXPECT_EQ(dialog->mX, 608) << "no drag after the release";

    manager.MouseDown(650, 550, 2);
    EXPECT_FALSE(dialog->mDragging) << "a double click does not start a drag";
}

TEST(Dialog, PreferredHeightAddsTheParts)
{
    WidgetTestKit::FixedFont header(nullptr, 11, 15, 2);
    WidgetTestKit::FixedFont lines(nullptr, 9, 12);
    const auto empty = std::make_unique<Dialog>(nullptr, nullptr, 1, false, L"", L"", L"", Dialog::kButtonModeNone);
    empty->SetHeaderFont(&header);
    empty->SetLinesFont(&lines);
    empty->mBackgroundInsets = Insets{1, 2, 3, 4};
    EXPECT_EQ(empty->GetPreferredHeight(300), 2 + 4 + 24 + 24) << "only the insets";
    const auto full = MakeDialog(Dialog::kButtonModeYesNo, L"Footer");
    full->SetHeaderFont(&header);
    full->SetLinesFont(&lines);
    full->mLineSpacingOffset = 3;
    Graphics g;
    g.SetFont(&lines);
    const int wrapped = g.GetWrappedTextHeight(300 - 48 - 4, L"Some lines", 12 + 3, nullptr);
    EXPECT_GT(wrapped, 0);
    EXPECT_EQ(full->GetPreferredHeight(300), 48 + (15 - 2) + 10 + wrapped + 8 + 15 + 8 + 8 + 24);

    const auto noFooterLine = MakeDialog(Dialog::kButtonModeFooter, L"Close");
    noFooterLine->SetHeaderFont(&header);
    noFooterLine->SetLinesFont(&lines);
    EXPECT_EQ(noFooterLine->GetPreferredHeight(300),
              48 + 13 + 10 + g.GetWrappedTextHeight(248, L"Some lines", 12, nullptr) + 8 + 8 + 24)
        << "the footer is the button's label, not a line";
}

TEST(Dialog, DrawsItsFrameHeaderBodyAndFooter)
{
    std::vector<WidgetTestKit::FixedFont::Drawn> drawn;
    WidgetTestKit::FixedFont header(&drawn, 11, 15, 2);
    WidgetTestKit::FixedFont lines(&drawn, 9, 12);
    for (const int mode : {Dialog::kButtonModeNone, Dialog::kButtonModeFooter}) {
        SCOPED_TRACE(mode);
        const auto dialog = MakeDialog(mode, L"Foot");
        dialog->SetHeaderFont(&header);
        dialog->SetLinesFont(&lines);
        dialog->Resize(0, 0, 200, 150);
        WidgetTestKit::RecordingImage screen(800, 600);
        Graphics g(&screen);
        drawn.clear();
        dialog->Draw(&g);

        ASSERT_GE(screen.mOps.size(), 4u);
        EXPECT_EQ(screen.mOps[0].mKind, "rect");
        EXPECT_EQ(screen.mOps[0].mRect, Rect(12, 12, 175, 125));
        EXPECT_EQ(screen.mOps[0].mColor, Color::White);
        EXPECT_EQ(screen.mOps[1].mRect, Rect(13, 13, 174, 124));
        EXPECT_EQ(screen.mOps[1].mColor, Color(80, 80, 80));
        EXPECT_EQ(screen.mOps[2].mRect, Rect(188, 24, 12, 114)) << "shadow";
        EXPECT_EQ(screen.mOps[3].mRect, Rect(24, 138, 176, 12));

        ASSERT_GE(drawn.size(), 2u);
        EXPECT_EQ(drawn.front().mText, L"Header");
        EXPECT_EQ(drawn.front().mX, (200 - 36) / 2);
        EXPECT_EQ(drawn.front().mY, 24 - 2 + 11);
        EXPECT_EQ(drawn.front().mColor, Color::White);
        EXPECT_EQ(drawn[1].mColor, Color(255, 255, 0)) << "the body";
        EXPECT_EQ(drawn.back().mText == L"Foot", mode == Dialog::kButtonModeNone)
            << "mode 3 shows the footer on its button only";
    }
}

TEST(Dialog, WaitForResultStepsTheLoopUntilAButtonIsReleased)
{
    ScriptedApp app;
    WidgetManager manager(&app);
    manager.SetPointerMapping(Rect(0, 0, 800, 600), Rect(0, 0, 800, 600));
    const auto dialog = MakeDialog(Dialog::kButtonModeOkCancel);
    dialog->Resize(200, 100, 400, 200);
    manager.AddWidget(dialog.get());
    const Rect ok = dialog->mYesButton->GetRect();
    const int x = ok.mX + 5;
    const int y = ok.mY + 5;
    app.mScript = {[] {}, [&] { manager.MouseDown(x, y, 1); }, [&] { manager.MouseUp(x, y, 1); }, [] {}};

    EXPECT_EQ(dialog->WaitForResult(true), Dialog::kYesButtonId);
    EXPECT_EQ(app.mSteps, 3u) << "no step after the release";
    EXPECT_EQ(app.mLog, (Log{"press(42,1000)", "release(42,1000)", "close(42)"}));
}

TEST(Dialog, WaitForResultEndsWhenTheLoopEndsOrTheDialogLeaves)
{
    ScriptedApp app;
    WidgetManager manager(&app);
    const auto dialog = MakeDialog(Dialog::kButtonModeYesNo);
    manager.AddWidget(dialog.get());
    app.mScript = {[] {}, [] {}};
    EXPECT_EQ(dialog->WaitForResult(false), Dialog::kNoResult) << "the application is closing";
    EXPECT_EQ(app.mSteps, 2u);
    EXPECT_TRUE(app.mLog.empty());

    app.mSteps = 0;
    app.mScript = {[&] { manager.RemoveWidget(dialog.get()); }, [] {}, [] {}};
    EXPECT_EQ(dialog->WaitForResult(false), Dialog::kNoResult);
    EXPECT_EQ(app.mSteps, 1u) << "the dialog left the manager";
}

} // namespace
