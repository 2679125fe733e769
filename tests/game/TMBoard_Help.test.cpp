// The help book: pages in element order, arrows disabled at both ends and off the pages, and closing back to the
// escape menu over a running level (where Escape then closes the menu) or to the main menu.
#include "game/TMBoard_Help.h"

#include "tests/SuiteLabels.h"
#include "tests/game/ScreenTestKit.h"

#include <gtest/gtest.h>

namespace {

using namespace GameTest;

class TMBoard_HelpTest : public ScreenFixture {
protected:
    void ExpectArrows(bool previous, bool next)
    {
        EXPECT_EQ(!mHelp->mPrevButton->mDisabled, previous);
        EXPECT_EQ(!mHelp->mNextButton->mDisabled, next);
    }

    TMBoard_Help* mHelp = nullptr;
};

ILVANE_THREADED_SUITE(TMBoard_HelpTest);

TEST_F(TMBoard_HelpTest, FromTheMainMenuThreePagesTurnWithTheArrows)
{
    LoadScreens(ScreensUi(HelpScreen(3)));
    mHelp = mGame->mHelpBoard;
    ASSERT_EQ(mHelp->GetPages().size(), 3u) << "only the children named page_";
    EXPECT_EQ(mHelp->GetPages()[0], mHelp->FindChild("page_1"));
    EXPECT_EQ(mHelp->GetPageIndex(), -1);

    mGame->mMainMenuBoard->Show();
    mHelp->Show();
    EXPECT_EQ(mManager->mFocusWidget, mHelp);
    EXPECT_EQ(mHelp->GetPageIndex(), 0);
    EXPECT_FALSE(mGame->mMainMenuBoard->mVisible) << "the book turned to help";
    ExpectArrows(false, true);
    ClickWidget(mHelp->mNextButton);
    EXPECT_EQ(mHelp->GetPageIndex(), 1);
    ExpectArrows(true, true);
    ClickWidget(mHelp->mNextButton);
    EXPECT_EQ(mHelp->GetPageIndex(), 2);
    ExpectArrows(true, false);
    ClickWidget(mHelp->mNextButton); // disabled: nothing
    EXPECT_EQ(mHelp->GetPageIndex(), 2);
    ClickWidget(mHelp->mPrevButton);
    EXPECT_EQ(mHelp->GetPageIndex(), 1);

    mHelp->ShowPage(3); // past the last page
    ExpectArrows(false, false);

    ClickWidget(mHelp->mCloseButton);
    EXPECT_FALSE(mHelp->mVisible);
    EXPECT_TRUE(mGame->mMainMenuBoard->mVisible);
    EXPECT_EQ(mManager->mFocusWidget, nullptr);
}

TEST_F(TMBoard_HelpTest, WithoutPagesBothArrowsAreDisabled)
{
    LoadScreens(ScreensUi(HelpScreen(0)));
    mHelp = mGame->mHelpBoard;
    mHelp->Show();
    EXPECT_TRUE(mHelp->GetPages().empty());
    EXPECT_EQ(mHelp->GetPageIndex(), 0);
    ExpectArrows(false, false);
    ClickWidget(mHelp->mCloseButton);
    EXPECT_TRUE(mGame->mMainMenuBoard->mVisible);
}

TEST_F(TMBoard_HelpTest, FromTheEscapeMenuHelpClosesBackToItAndEscapeThenClosesTheMenu)
{
    LoadScreens(ScreensUi(HelpScreen(2)));
    WriteCafe(1);
    ASSERT_TRUE(RunLevel(1, true));
    TMBoard_Game3& board = *mGame->mGameBoard;
    mHelp = mGame->mHelpBoard;
    TMBoard_EscapeMenu* menu = board.GetEscapeMenu();
    board.KeyUp(27);
    ASSERT_TRUE(menu->mVisible);

    ClickWidget(menu->mHelpButton);
    EXPECT_TRUE(mHelp->mVisible);
    EXPECT_EQ(mHelp->GetPageIndex(), 0);
    ClickWidget(mHelp->mNextButton);
    EXPECT_EQ(mHelp->GetPageIndex(), 1);
    ExpectArrows(true, false);
    EXPECT_EQ(board.mPauseCount, 1);

    ClickWidget(mHelp->mCloseButton);
    EXPECT_FALSE(mHelp->mVisible);
    EXPECT_TRUE(menu->mVisible);
    EXPECT_TRUE(menu->GetDialog()->mVisible);
    EXPECT_FALSE(mGame->mMainMenuBoard->mVisible) << "back to the escape menu, not the main menu";
    EXPECT_EQ(mManager->mFocusWidget, menu);

    Key(27);
    Step();
    EXPECT_FALSE(menu->mVisible);
    EXPECT_EQ(board.mPauseCount, 0);
    EXPECT_TRUE(board.mRunning);
}

} // namespace
