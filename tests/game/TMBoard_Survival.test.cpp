// The survival page: which cafes the current profile's progress opens, a stored selection that is locked, and a
// click on "play" loading the chosen cafe in survival mode.
#include "game/TMBoard_Survival.h"

#include "tests/SuiteLabels.h"
#include "tests/game/ScreenTestKit.h"

#include <gtest/gtest.h>

namespace {

using namespace GameTest;

class TMBoard_SurvivalTest : public ScreenFixture {
protected:
    void SetUp() override
    {
        ScreenFixture::SetUp();
        LoadScreens();
        mSurvival = mGame->mSurvivalBoard;
    }

    void ShowWithProgress(int furthest, int selected = 1)
    {
        mGame->GetPref().GetProfile()->furthestLevel = furthest;
        mSurvival->SetSelectedCafe(selected);
        mSurvival->Hide();
        mSurvival->Show();
    }

    [[nodiscard]] bool Offered(int cafe) const
    {
        const TMCandyWidget* photo = mSurvival->mSmallPhotos[cafe - 1];
        return photo->mVisible && !photo->mDisabled && !mSurvival->mCafeButtons[cafe - 1]->mDisabled;
    }

    TMBoard_Survival* mSurvival = nullptr;
};

ILVANE_THREADED_SUITE(TMBoard_SurvivalTest);

TEST_F(TMBoard_SurvivalTest, TheProfilesProgressOpensTheCafes)
{
    const struct {
        int furthest;
        bool second;
        bool third;
    } cases[] = {{1, false, false}, {15, false, false}, {16, true, false}, {35, true, false}, {36, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.furthest);
        ShowWithProgress(c.furthest);
        EXPECT_TRUE(mSurvival->mVisible);
        EXPECT_TRUE(mSurvival->GetDialog()->mVisible) << "the book turned to the page";
        EXPECT_TRUE(Offered(1));
        EXPECT_EQ(Offered(2), c.second);
        EXPECT_EQ(Offered(3), c.third);
        EXPECT_EQ(mSurvival->GetSelectedCafe(), 1);
        EXPECT_TRUE(mSurvival->mPhotos[0]->mVisible);
        EXPECT_TRUE(mSurvival->mDescriptions[0]->mVisible);
        EXPECT_FALSE(mSurvival->mPhotos[1]->mVisible);
        EXPECT_FALSE(mSurvival->mCafeButtons[0]->mVisible) << "the chosen cafe's button gives way to its photo";
        EXPECT_TRUE(mSurvival->mCafeButtons[1]->mVisible);
    }
}

TEST_F(TMBoard_SurvivalTest, ALockedSelectionFallsBackToTheFirstCafe)
{
    const struct {
        int furthest;
        int stored;
        int shown;
    } cases[] = {{20, 3, 1}, {20, 2, 2}, {10, 2, 1}, {40, 3, 3}, {40, 7, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.furthest) + " " + std::to_string(c.stored));
        ShowWithProgress(c.furthest, c.stored);
        EXPECT_EQ(mSurvival->GetSelectedCafe(), c.shown);
        EXPECT_TRUE(mSurvival->mHeads[c.shown - 1]->mVisible);
        EXPECT_TRUE(mSurvival->mTexts[c.shown - 1]->mVisible);
    }
}

TEST_F(TMBoard_SurvivalTest, ClicksChooseACafeAndPlayLoadsItInSurvivalMode)
{
    WriteCafe(2);
    ShowWithProgress(20);
    ClickWidget(mSurvival->mSmallPhotos[1]);
    EXPECT_EQ(mSurvival->GetSelectedCafe(), 2);
    EXPECT_TRUE(mSurvival->mPhotos[1]->mVisible);
    EXPECT_FALSE(mSurvival->mPhotos[0]->mVisible);
    ClickWidget(mSurvival->mPlayButton);
    EXPECT_FALSE(mSurvival->mVisible);
    TMBoard_Game3& board = *mGame->mGameBoard;
    EXPECT_TRUE(board.IsWaitingForLoad() || board.mRunning) << "the cafe's level loads";
    ASSERT_TRUE(RunLevel(2, true));
    EXPECT_EQ(board.mLevel, 2);
    EXPECT_TRUE(board.mSurvival);
}

TEST_F(TMBoard_SurvivalTest, CancelTurnsBackToTheMainMenu)
{
    ShowWithProgress(1);
    ClickWidget(mSurvival->mCancelButton);
    EXPECT_FALSE(mSurvival->mVisible);
    EXPECT_TRUE(mGame->mMainMenuBoard->mVisible);
}

} // namespace
