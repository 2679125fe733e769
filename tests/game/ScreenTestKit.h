#pragma once

// The menu screens on the game's harness: an interface description holding every screen and the question box,
// the content loading run on the main thread, the real loop step with posted clicks and keys, and a probe that
// answers the question box from inside the loop it runs.

#include "engine/TMButton.h"
#include "engine/TMLocTable.h"
#include "game/ConfirmDialogs.h"
#include "game/TMBoard_Confirm2.h"
#include "game/TMBoard_EscapeMenu.h"
#include "game/TMBoard_Help.h"
#include "game/TMBoard_MainMenu.h"
#include "game/TMBoard_Menu.h"
#include "game/TMBoard_Options.h"
#include "game/TMBoard_Splash.h"
#include "platform/window/WindowSystem.h"
#include "shell/WidgetManager.h"
#include "tests/game/GameTestKit.h"

#include <functional>
#include <string>

namespace GameTest {

/// An element of the given type and name at (x, y), w x h, shown with its dialog, around its body.
inline std::string Element(const std::string& type, const std::string& name, int x, int y, int w, int h,
                           const std::string& body = "")
{
    return "<element type=\"" + type + "\" name=\"" + name + "\" x=\"" + std::to_string(x) + "\" y=\"" +
           std::to_string(y) + "\" width=\"" + std::to_string(w) + "\" height=\"" + std::to_string(h) +
           "\" visible=\"true\">" + body + "</element>";
}

/// A screen: a "tmdialog" element directly under the root, hidden until shown.
inline std::string Screen(const std::string& name, const std::string& body, int w = 800, int h = 600)
{
    return "<element type=\"tmdialog\" name=\"" + name + "\" x=\"0\" y=\"0\" width=\"" + std::to_string(w) +
           "\" height=\"" + std::to_string(h) + "\">" + body + "</element>";
}

inline std::string Button(const std::string& name, int x, int y)
{
    return Element("tmbutton", name, x, y, 60, 20);
}

/// The question box, as the game's message boxes take it: yes at (260, 360), no at (460, 360) on screen.
inline std::string QuestionBox()
{
    return R"(<element name="dialogbox_2button" type="tmdialog" x="200" y="150" width="400" height="300">
        <element type="tmtext" name="text1" x="50" y="10" width="300" height="20" visible="true"/>
        <element type="tmtext" name="text2" x="50" y="40" width="300" height="20" visible="true"/>
        <element type="tmbutton" name="btn_yes" x="50" y="200" width="100" height="40" visible="true"/>
        <element type="tmbutton" name="btn_no" x="250" y="200" width="100" height="40" visible="true"/>
      </element>)";
}

/// The escape menu's buttons stand on its book page at (0, 0), 60 x 20 each, 30 apart.
inline std::string EscapeMenuScreen()
{
    std::string buttons;
    int y = 0;
    for (const char* name : {"restart", "resume", "settings", "help", "quit"}) {
        buttons += Button(name, 0, y);
        y += 30;
    }
    return Screen("escape_menu", Element("tmdialog", "escape_dlg", 0, 0, 400, 300,
                                         Element("tmdialog", "right_page", 0, 0, 200, 200, buttons)));
}

/// Help with the given number of pages, its arrows and close button at the bottom.
inline std::string HelpScreen(int pages)
{
    std::string body;
    for (int i = 1; i <= pages; ++i)
        body += Element("tmtext", "page_" + std::to_string(i), 0, 0, 700, 500);
    body += Element("tmtext", "cover", 0, 0, 10, 10); // not a page
    body += Button("prev_btn", 100, 550) + Button("next_btn", 300, 550) + Button("close", 500, 550);
    return Screen("help", body);
}

inline constexpr int kScreenRows = 10;

/// The screens every menu test uses; the help screen is given.
inline std::string ScreensUi(const std::string& help = HelpScreen(3), const std::string& splash = "")
{
    std::string survivalRight;
    std::string survivalLeft;
    for (int n = 1; n <= 3; ++n) {
        const std::string cafe = "cafe" + std::to_string(n);
        survivalRight += Button(cafe + "_button", 100 * n, 400) + Button(cafe + "_small_photo", 100 * n, 450) +
                         Element("tmtext", cafe + "_photo", 0, 0, 10, 10);
        survivalLeft += Element("tmtext", cafe + "_text", 0, 0, 10, 10) +
                        Element("tmtext", cafe + "_head", 0, 0, 10, 10) +
                        Element("tmtext", cafe + "_desc", 0, 0, 10, 10);
    }
    std::string right;
    std::string left;
    for (int row = 0; row < kScreenRows; ++row) {
        right += Element("tmtext", "line1" + std::to_string(row), 0, 20 * row, 100, 20) +
                 Element("tmtext", "score1" + std::to_string(row), 100, 20 * row, 100, 20);
        left += Element("tmtext", "line0" + std::to_string(row), 0, 20 * row, 100, 20) +
                Element("tmtext", "score0" + std::to_string(row), 100, 20 * row, 100, 20);
    }
    const std::string slider = R"(mz_x="0" mz_y="0" mz_width="200" mz_height="20" mz_dz1="0" mz_dz2="0")";
    const std::string options =
        R"(<element type="tmslider" name="sndvol_slider" x="10" y="10" width="200" height="20" visible="true" )" +
        slider + "/>" +
        R"(<element type="tmslider" name="musvol_slider" x="10" y="40" width="200" height="20" visible="true" )" +
        slider + "/>" + Element("tmcheckbox", "mute_checkbox", 10, 70, 20, 20) +
        Element("tmcheckbox", "fullscreen_checkbox", 10, 100, 20, 20) + Button("apply", 10, 130) +
        Button("cancel", 100, 130) + Button("close_x", 200, 130);
    return "<root>" + QuestionBox() + EscapeMenuScreen() +
           Screen("survival_menu", Element("tmdialog", "survival_dlg", 0, 0, 800, 600,
                                           Element("tmdialog", "right_page", 0, 0, 800, 600, survivalRight) +
                                               Element("tmdialog", "left_page", 0, 0, 10, 10, survivalLeft) +
                                               Button("cancel_button", 0, 500) + Button("play_button", 100, 500))) +
           Screen("hiscores",
                  Button("close", 700, 550) + Element("tmdialog", "hiscores_dlg", 0, 0, 600, 300,
                                                      Element("tmdialog", "right_page", 300, 0, 300, 300, right) +
                                                          Element("tmdialog", "left_page", 0, 0, 300, 300, left))) +
           Screen("options", options, 400, 300) + help +
           Screen("main_menu", Element("tmdialog", "main_menu_dlg", 0, 0, 800, 600)) + Screen("global_bkg", "") +
           Screen("menu_bg", "") + Screen("load_screen", "") + splash + "</root>";
}

inline constexpr const char* kScreensLoc = R"(<root>
  <loc id="app_title" text="Fixture Cafe"/>
  <loc id="db01_text1_exitmenu" text="Leave the day?"/>
  <loc id="db01_btnyes_exitmenu" text="Leave"/>
  <loc id="db01_btnno_exitmenu" text="Stay"/>
  <loc id="db01_text1_restlvl" text="Start again?"/>
</root>)";

struct ScreenPoint {
    int x;
    int y;
};
inline constexpr ScreenPoint kYes{260, 360};
inline constexpr ScreenPoint kNo{460, 360};

/// A widget on top of the tree that runs the test's script at each update.
class ScriptProbe : public Pyxo::Widget {
public:
    void Update() override
    {
        Widget::Update();
        if (mScript)
            mScript();
    }
    std::function<void()> mScript;
};

/// The game with its content loaded on the main thread from the screens' interface description, the player file
/// under the test's folder (profile "Tester").
class ScreenFixture : public GameFixture {
protected:
    void LoadScreens(const std::string& ui = ScreensUi())
    {
        WriteMinimalContent();
        WriteXml(mFolder / "cfg" / "loc.xml", kScreensLoc);
        WriteXml(mFolder / "cfg" / "ui.xml", ui);
        WriteGameConfig(mFolder, "");
        ASSERT_EQ(InitExitCode(*mGame), -1);
        mGame->mRunning = true;
        mGame->mDeferredMessages.clear();
        mGame->LoadContent();
        // The loop's hand-over after loading (the splash) is the splash tests' own.
        mGame->mLoadingFinishedHandled = true;
        mManager = mGame->mWidgetManager.get();
        mManager->ApplyQueuedChanges();
        mProbe = new ScriptProbe();
        mManager->AddWidget(mProbe); // the tree owns it
    }

    void TearDown() override
    {
        if (mProbe)
            mProbe->mScript = nullptr;
        GameFixture::TearDown();
    }

    void Click(ScreenPoint at)
    {
        Platform::PostMessage(mGame->mMainWindow, Platform::WM_LBUTTONDOWN, Platform::MK_LBUTTON,
                              Platform::MakeLParam(at.x, at.y));
        Platform::PostMessage(mGame->mMainWindow, Platform::WM_LBUTTONUP, 0, Platform::MakeLParam(at.x, at.y));
    }

    void Key(int key)
    {
        Platform::PostMessage(mGame->mMainWindow, Platform::WM_KEYDOWN, static_cast<uintptr_t>(key), 0);
        Platform::PostMessage(mGame->mMainWindow, Platform::WM_KEYUP, static_cast<uintptr_t>(key), 0);
    }

    /// A few loop steps, enough for posted messages to arrive and the screens to update.
    void Step(int n = 30)
    {
        for (int i = 0; i < n; ++i)
            mGame->RunLoopStep(nullptr);
    }

    /// Clicks the button's centre on screen.
    void ClickWidget(TMCandyWidget* widget)
    {
        ASSERT_NE(widget, nullptr);
        const Pyxo::Rect bounds = widget->GetScreenBounds();
        Click({bounds.mX + bounds.mWidth / 2, bounds.mY + bounds.mHeight / 2});
        Step();
    }

    /// While the question box is open, the probe clicks its answer once.
    void AnswerNextQuestion(ScreenPoint answer)
    {
        auto* question = dynamic_cast<TMBoard_Confirm2*>(FindScreen<TMBoard_Confirm2>());
        ASSERT_NE(question, nullptr);
        mProbe->mScript = [this, question, answer, asked = false]() mutable {
            if (!asked && question->mVisible) {
                asked = true;
                Click(answer);
            }
        };
        mManager->BringToFront(mProbe);
    }

    template <class T>
    T* FindScreen()
    {
        for (Pyxo::Widget* widget : mManager->mWidgets) {
            if (auto* found = dynamic_cast<T*>(widget))
                return found;
        }
        return nullptr;
    }

    /// Loads the level on the loading thread (unless a load is under way or has made it run), as the loop step
    /// finishes it, and closes the briefing.
    bool RunLevel(int level, bool survival)
    {
        TMBoard_Game3& board = *mGame->mGameBoard;
        if (!board.IsWaitingForLoad() && !(board.mRunning && board.mLevel == level && board.mSurvival == survival))
            board.StartLoadThread(level, survival);
        while (board.IsWaitingForLoad()) {
            if (mGame->mLoadingThreadCompleted)
                board.FinishLevelLoad();
            else
                std::this_thread::yield();
        }
        if (TMBoard_Briefing* briefing = board.GetBriefing(); briefing && briefing->mVisible)
            briefing->Hide();
        return board.mRunning;
    }

    /// A survival cafe whose level runs with the fixture scene.
    void WriteCafe(int cafe)
    {
        WriteScene("s1.xml", kGameSceneObjects, kGameSceneParam);
        WriteGameLevel(cafe, true, "", kGameLevelObjects);
    }

    Pyxo::WidgetManager* mManager = nullptr;
    ScriptProbe* mProbe = nullptr;
};

} // namespace GameTest
