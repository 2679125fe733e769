// The escape menu over a running level: Escape opens and closes it through the focus, it holds one pause while
// open, and its commands ask the question box from inside the loop and act on the answer.
#include "game/TMBoard_EscapeMenu.h"

#include "tests/SuiteLabels.h"
#include "tests/game/ScreenTestKit.h"

#include <gtest/gtest.h>

namespace {

using namespace GameTest;

constexpr int kEscape = 27;

class TMBoard_EscapeMenuTest : public ScreenFixture {
protected:
    void SetUp() override
    {
        ScreenFixture::SetUp();
        LoadScreens();
        WriteCafe(1);
        ASSERT_TRUE(RunLevel(1, true));
        mBoard = mGame->mGameBoard;
        mMenu = mBoard->GetEscapeMenu();
        ASSERT_NE(mMenu, nullptr);
    }

    /// Escape reaches the board as the player's key does while the board has the focus.
    void OpenWithEscape()
    {
        mBoard->KeyUp(kEscape);
        Step();
        ASSERT_TRUE(mMenu->mVisible);
        ASSERT_EQ(mManager->mFocusWidget, mMenu);
    }

    TMBoard_Game3* mBoard = nullptr;
    TMBoard_EscapeMenu* mMenu = nullptr;
};

ILVANE_THREADED_SUITE(TMBoard_EscapeMenuTest);

TEST_F(TMBoard_EscapeMenuTest, EscapeOpensAndClosesTheMenuWithOnePause)
{
    OpenWithEscape();
    EXPECT_EQ(mBoard->mPauseCount, 1);
    mMenu->Show(); // the HUD's menu button with the menu open
    EXPECT_EQ(mBoard->mPauseCount, 1) << "a second Show pauses no further";

    Key(kEscape);
    Step();
    EXPECT_FALSE(mMenu->mVisible);
    EXPECT_EQ(mBoard->mPauseCount, 0);
    mMenu->Hide(); // the closed menu hidden again
    EXPECT_EQ(mBoard->mPauseCount, 0);

    mBoard->Pause(); // another screen's pause survives the menu
    OpenWithEscape();
    ClickWidget(mMenu->mResumeButton);
    EXPECT_FALSE(mMenu->mVisible);
    EXPECT_EQ(mBoard->mPauseCount, 1);
    mBoard->Resume();
}

TEST_F(TMBoard_EscapeMenuTest, NoToLeavingKeepsTheMenuOpenAndTheLevelPaused)
{
    OpenWithEscape();
    AnswerNextQuestion(kNo);
    ClickWidget(mMenu->mQuitButton);
    EXPECT_TRUE(mMenu->mVisible);
    EXPECT_EQ(mBoard->mPauseCount, 1);
    EXPECT_TRUE(mBoard->mRunning);
}

TEST_F(TMBoard_EscapeMenuTest, YesToLeavingStopsTheLevelAndShowsTheMainMenu)
{
    OpenWithEscape();
    AnswerNextQuestion(kYes);
    ClickWidget(mMenu->mQuitButton);
    EXPECT_FALSE(mMenu->mVisible);
    EXPECT_FALSE(mBoard->mRunning);
    EXPECT_FALSE(mBoard->mVisible);
    EXPECT_TRUE(mGame->mMainMenuBoard->mVisible);
    EXPECT_EQ(mBoard->mPauseCount, 0);
}

TEST_F(TMBoard_EscapeMenuTest, RestartWithYesReloadsTheLevel)
{
    mBoard->AddMoney(77);
    OpenWithEscape();
    AnswerNextQuestion(kYes);
    ClickWidget(mMenu->mRestartButton);
    EXPECT_FALSE(mMenu->mVisible);
    ASSERT_TRUE(RunLevel(1, true));
    EXPECT_EQ(mBoard->mMoney, 0) << "the level started again";
    EXPECT_EQ(mBoard->mLevel, 1);
    EXPECT_TRUE(mBoard->mSurvival);
    EXPECT_EQ(mBoard->mPauseCount, 0);
}

TEST_F(TMBoard_EscapeMenuTest, SettingsShowTheOptionsOverTheMenu)
{
    OpenWithEscape();
    ClickWidget(mMenu->mSettingsButton);
    EXPECT_TRUE(mGame->mOptionsBoard->mVisible);
    EXPECT_TRUE(mMenu->mVisible);
    EXPECT_EQ(mBoard->mPauseCount, 1);
}

TEST_F(TMBoard_EscapeMenuTest, AMenuWithoutItsButtonsIsLoggedAndStillOpensAndCloses)
{
    const pugi::xml_document empty;
    TMBoard_EscapeMenu bare(mGame, empty.root());
    EXPECT_NE(std::find_if(mLog.begin(), mLog.end(),
                           [](const std::string& line) {
                               return line.find("escape_menu: no control escape_dlg, restart, resume") !=
                                      std::string::npos;
                           }),
              mLog.end());
    bare.Show();
    EXPECT_EQ(mBoard->mPauseCount, 1);
    bare.OnControl(1); // no control matches
    bare.KeyUp(kEscape);
    EXPECT_EQ(mBoard->mPauseCount, 0);
}

} // namespace
