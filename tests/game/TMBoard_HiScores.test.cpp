// The records spread: both tables highest first, the current profile's rows enabled and the others disabled, a
// score of 0 empty, and rows with long names or negative scores shown as they are.
#include "game/TMBoard_HiScores.h"

#include "engine/TMText.h"
#include "tests/SuiteLabels.h"
#include "tests/game/ScreenTestKit.h"

#include <gtest/gtest.h>

namespace {

using namespace GameTest;

class TMBoard_HiScoresTest : public ScreenFixture {
protected:
    void SetUp() override
    {
        ScreenFixture::SetUp();
        LoadScreens();
        mRecords = mGame->mHiScoresBoard;
        TMPref& pref = mGame->GetPref();
        for (bool survival : {true, false}) {
            for (auto& row : pref.GetHiScoreTable(survival))
                row = HiScoreRecord{};
        }
    }

    TMBoard_HiScores* mRecords = nullptr;
};

ILVANE_THREADED_SUITE(TMBoard_HiScoresTest);

TEST_F(TMBoard_HiScoresTest, BothTablesListHighestFirstWithThePlayersRowsEnabled)
{
    TMPref& pref = mGame->GetPref();
    pref.InsertHiScore(true, L"Ann", 300);
    pref.InsertHiScore(true, L"Tester", 500);
    pref.InsertHiScore(true, L"Bob", 400);
    pref.InsertHiScore(false, L"Tester", 90);
    pref.InsertHiScore(false, L"Cleo", 120);
    mRecords->Show();

    const struct {
        int side;
        int row;
        const wchar_t* name;
        const wchar_t* score;
        bool enabled;
    } rows[] = {
        {1, 0, L"Tester", L"500", true}, {1, 1, L"Bob", L"400", false},  {1, 2, L"Ann", L"300", false},
        {0, 0, L"Cleo", L"120", false},  {0, 1, L"Tester", L"90", true}, {0, 2, L"", L"", false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.side) + "/" + std::to_string(r.row));
        EXPECT_EQ(mRecords->mNames[r.side][r.row]->GetText(), r.name);
        EXPECT_EQ(mRecords->mScores[r.side][r.row]->GetText(), r.score);
        EXPECT_EQ(!mRecords->mNames[r.side][r.row]->mDisabled, r.enabled);
    }
    EXPECT_TRUE(mRecords->GetDialog()->mVisible);
    EXPECT_EQ(mManager->mFocusWidget, mRecords);

    ClickWidget(mRecords->mCloseButton);
    EXPECT_FALSE(mRecords->mVisible);
    EXPECT_TRUE(mGame->mMainMenuBoard->mVisible);
}

TEST_F(TMBoard_HiScoresTest, RowsWithoutTheProfileLongNamesAndOddScoresShowAsTheyAre)
{
    TMPref::HiScoreTable& table = mGame->GetPref().GetHiScoreTable(true);
    const std::wstring longName(127, L'x');
    table[0].SetName(longName);
    table[0].score = -40;
    table[1].SetName(L"Zed");
    table[1].score = 0;
    mRecords->Show();
    EXPECT_EQ(mRecords->mNames[1][0]->GetText(), longName);
    EXPECT_EQ(mRecords->mScores[1][0]->GetText(), L"-40");
    EXPECT_EQ(mRecords->mNames[1][1]->GetText(), L"Zed");
    EXPECT_EQ(mRecords->mScores[1][1]->GetText(), L"") << "a score of 0 is empty";
    for (int side = 0; side < 2; ++side) {
        for (int row = 0; row < TMBoard_HiScores::kRows; ++row)
            EXPECT_TRUE(mRecords->mNames[side][row]->mDisabled) << "no row is the profile's";
    }
}

} // namespace
