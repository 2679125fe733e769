// The mini-game tray: parts slide in and line up, runs of three or more pay the board and leave, clicks throw
// parts away, a full tray pushes its oldest part out and brings it back, the random parts follow the stage's
// weights, and short pools or missing settings leave a running tray.
#include "game/TMMiniGame.h"

#include "shell/Random15.h"
#include "tests/SuiteLabels.h"
#include "tests/game/PlayfieldTestKit.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>

namespace {

using namespace PlayfieldTest;

class TMMiniGameTest : public PlayfieldFixture {
protected:
    void SetUp() override { PlayfieldFixture::SetUp(); }

    void Make(int pool = TMMiniGame::kMaxParts)
    {
        MakeBoard(HudXml() + MiniGameXml(pool) + UpgradeXml());
        pugi::xml_document config;
        ASSERT_TRUE(config.load_string(R"(<root><level bonus_cash="50"/></root>)"));
        mBoard->ReadLevelBonusParams(config.child("root"));
        LoadParts(R"(<partparams speed="100000" bonus0101="1" bonus0201="1" bonus0301="1"/>)");
        // The tray is shown as a running level shows it.
        mBoard->SetVisible(true);
        mHud->SetVisible(true);
        gFrameDelta = 0.01f;
    }

    void LoadParts(const std::string& params)
    {
        pugi::xml_document level;
        ASSERT_TRUE(level.load_string(("<level>" + params + "</level>").c_str()));
        mMini->LoadParts(level.child("level"));
    }

    void Add(std::initializer_list<int> kinds)
    {
        for (int kind : kinds)
            mMini->AddPart(kind, true, false);
    }

    /// The seed whose first draw is 0, so that RandFloatRange(0, 1) gives exactly 0.
    static uint32_t SeedDrawingZero()
    {
        for (uint32_t seed = 1; seed < 50'000'000; ++seed) {
            Pyxo::SeedRand15(seed);
            if (Pyxo::Rand15() == 0)
                return seed;
        }
        ADD_FAILURE() << "no seed draws 0 first";
        return 1;
    }
};

ILVANE_THREADED_SUITE(TMMiniGameTest);

TEST_F(TMMiniGameTest, FiveCoinsInARowPayThreeTimesTheCoinBonusAndAllLeave)
{
    Make();
    Add({0, 0, 0, 0, 0});
    EXPECT_EQ(mMini->GetPartWidget(0)->mX, 600) << "parts come in at the tray's right edge";
    mMini->Update(); // all slide into place; nothing moving is counted
    EXPECT_EQ(mMini->GetPartCount(), 5);
    EXPECT_EQ(mMini->GetPartWidget(0)->mX, 15);
    EXPECT_EQ(mMini->GetPartWidget(1)->mX, 46) << "each next part at the previous x + width - 1";
    EXPECT_EQ(mMini->GetPartWidget(4)->mX, 139);
    EXPECT_EQ(mBoard->mMoney, 0);
    mMini->Update();
    EXPECT_EQ(mBoard->mMoney, 3 * 50) << "ApplyMiniGameBonus(0, 3)";
    EXPECT_EQ(mMini->GetPartCount(), 0);
}

TEST_F(TMMiniGameTest, ARunFollowedByAnotherKindPaysAtOnceAndTheRestMoveOnTheNextFrame)
{
    Make();
    Add({1, 1, 1, 2, 0});
    mMini->Update();
    TMButton* ice = mMini->GetPartWidget(3);
    EXPECT_EQ(ice->mX, 108);
    mMini->Update();
    EXPECT_EQ(mMini->GetPartKinds(), (std::vector<int>{2, 0}));
    EXPECT_EQ(mBoard->GetHud()->GetAchievementPos(), 80) << "the clean reward placed its achievement row";
    EXPECT_TRUE(Visible("achievments/ach_2"));
    EXPECT_EQ(Child(mHud, "achievments/ach_2")->mX, 40);
    EXPECT_TRUE(Visible("achievments/ach_2_01")) << "level clamp(trunc(1 x 5 / 5), 1, 5)";
    EXPECT_EQ(Child(mHud, "achievments/ach_2_05")->mX, 40);
    EXPECT_FALSE(Visible("achievments/ach_1"));
    EXPECT_EQ(ice->mX, 108) << "the walk stopped at the run";
    mMini->Update();
    EXPECT_EQ(ice->mX, 15);
    EXPECT_EQ(mMini->GetPartWidget(1)->mX, 46);
}

TEST_F(TMMiniGameTest, ASlowPartMovesTheWholePixelsOfItsFrameOnly)
{
    Make();
    LoadParts(R"(<partparams speed="150" bonus0101="1"/>)");
    Add({0});
    const std::vector<int> expected = {599, 598, 597}; // trunc(150 x 0.01) = 1 pixel a frame
    for (int x : expected) {
        mMini->Update();
        EXPECT_EQ(mMini->GetPartWidget(0)->mX, x);
    }
    gFrameDelta = 0.005f; // trunc(0.75) = 0: the part stays
    mMini->Update();
    EXPECT_EQ(mMini->GetPartWidget(0)->mX, 597);
}

TEST_F(TMMiniGameTest, WithTheTwoNewestPartsAlikeTheirKindIsNeverDrawn)
{
    Make();
    LoadParts(R"(<partparams speed="100000" bonus0201="1" bonus0301="1"/>)");
    for (int draw = 0; draw < 20; ++draw) {
        mMini->Clear();
        Add({1, 1});
        mMini->AddRandomPart(0);
        EXPECT_EQ(mMini->GetPartKinds(), (std::vector<int>{1, 1, 2}));
    }
}

TEST_F(TMMiniGameTest, StageWeightsAreNormalisedPerStage)
{
    Make();
    LoadParts(R"(<partparams speed="1" bonus0207="3" bonus0107="1" bonus0540="2"/>)");
    const auto* stage6 = mMini->GetStageWeights(6);
    ASSERT_NE(stage6, nullptr);
    EXPECT_FLOAT_EQ((*stage6)[1], 0.75f) << "bonus0207 is kind 1 at stage index 6";
    EXPECT_FLOAT_EQ((*stage6)[0], 0.25f);
    EXPECT_FLOAT_EQ((*mMini->GetStageWeights(39))[4], 1.0f);
    EXPECT_EQ(mMini->GetStageWeights(40), nullptr);
    mMini->AddRandomPart(40);
    EXPECT_EQ(mMini->GetPartCount(), 0) << "no weights for that stage";
}

TEST_F(TMMiniGameTest, NoKindOfWeightZeroIsEverAddedAndAllZeroAddsNothing)
{
    Make();
    LoadParts(R"(<partparams speed="1"/>)");
    mMini->AddRandomPart(0); // would walk the kinds for ever
    EXPECT_EQ(mMini->GetPartCount(), 0);

    // Only kind 1 has weight; kind 0 is excluded only when its weight is 0 and the draw is exactly 0.
    LoadParts(R"(<partparams speed="1" bonus0201="1"/>)");
    Pyxo::SeedRand15(SeedDrawingZero());
    mMini->AddRandomPart(0);
    EXPECT_EQ(mMini->GetPartKinds(), (std::vector<int>{1}));

    // Only the excluded kind has weight: nothing to draw.
    Add({1});
    mMini->AddRandomPart(0);
    EXPECT_EQ(mMini->GetPartKinds(), (std::vector<int>{1, 1}));
}

TEST_F(TMMiniGameTest, TheSeventeenthPartPushesOutTheOldestWhichReturnsAtTheFront)
{
    Make();
    for (int i = 0; i < TMMiniGame::kMaxParts; ++i)
        mMini->AddPart(i % 2 == 0 ? 3 : 4, true, false);
    mMini->Update();
    mMini->AddPart(2, true, false);
    EXPECT_EQ(mMini->GetPartCount(), TMMiniGame::kMaxParts);
    EXPECT_EQ(mMini->GetPartKinds().front(), 4);
    EXPECT_EQ(mMini->GetPartKinds().back(), 2);
    EXPECT_EQ(mMini->GetPendingKinds(), (std::deque<int>{3}));
    mMini->Update();
    EXPECT_EQ(mMini->GetPendingKinds().size(), 1u) << "no room yet";

    mMini->OnPartClicked(reinterpret_cast<intptr_t>(mMini->GetPartWidget(5)));
    mMini->Update();
    EXPECT_EQ(mMini->GetPartKinds().front(), 3);
    EXPECT_TRUE(mMini->GetPendingKinds().empty());
    EXPECT_EQ(mMini->GetPartWidget(0)->mX, 15) << "it came in at x 0 and slid to its place";
}

TEST_F(TMMiniGameTest, ADisabledPartIgnoresAClickUntilEnabled)
{
    Make();
    LoadSounds({"minigame_hit"});
    mMini->AddPart(1, false, false);
    mMini->AddPart(2, false, false);
    mMini->Update();
    Click(20, 560);
    EXPECT_EQ(mMini->GetPartCount(), 2);
    EXPECT_TRUE(TakePlayed().empty());
    mMini->EnablePartAt(0);
    mMini->EnablePartAt(5); // no part there: nothing
    TMButton* clicked = mMini->GetPartWidget(0);
    Click(20, 560);
    EXPECT_EQ(mMini->GetPartKinds(), (std::vector<int>{2}));
    EXPECT_EQ(TakePlayed(), (std::map<std::string, int>{{"minigame_hit", 1}}));
    EXPECT_FALSE(clicked->mVisible) << "without an \"onclick\" effect the part is hidden at once";
    EXPECT_TRUE(mMini->GetPartWidget(0)->mDisabled);
}

TEST_F(TMMiniGameTest, ThreeWidgetsHoldThreePartsAndTheFourthIsLoggedOnce)
{
    Make(3);
    EXPECT_TRUE(LogHas("3 part widgets and 3 effect elements"));
    Add({0, 1, 2, 3, 4});
    EXPECT_EQ(mMini->GetPartKinds(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(std::count_if(mLog.begin(), mLog.end(),
                            [](const std::string& line) { return line.find("no free") != std::string::npos; }),
              1);
    mMini->Clear();
    Add({4});
    EXPECT_EQ(mMini->GetPartKinds(), (std::vector<int>{4})) << "removed parts give their widgets back";
}

TEST_F(TMMiniGameTest, WithoutSpeedOrPartParamsTheTrayRunsAndLogs)
{
    Make();
    LoadParts("");
    EXPECT_TRUE(LogHas("no \"partparams\""));
    EXPECT_TRUE(LogHas("no \"speed\""));
    Add({0, 0, 0});
    mMini->AddRandomPart(0);
    for (int i = 0; i < 10; ++i)
        mMini->Update();
    EXPECT_EQ(mMini->GetPartCount(), 3) << "parts that never settle make no run";
    EXPECT_EQ(mMini->GetPartWidget(0)->mX, 600);
}

TEST_F(TMMiniGameTest, WhileALevelLoadsTheTrayStandsStillAndTheLevelStartEmptiesIt)
{
    Make();
    Add({0, 0});
    mMini->Update();
    Add({1});
    WriteScene("");
    WriteLevel(2, false, R"(<partparams speed="100000" bonus0101="1"/>)");
    mBoard->StartLoadThread(2, false);
    // The loading thread reads the new weights meanwhile: the tray neither moves nor takes clicks.
    mMini->Update();
    mMini->OnPartClicked(reinterpret_cast<intptr_t>(mMini->GetPartWidget(0)));
    EXPECT_EQ(mMini->GetPartKinds(), (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(mMini->GetPartWidget(2)->mX, 600);
    while (mBoard->IsWaitingForLoad()) {
        if (mGame->mLoadingThreadCompleted)
            mBoard->FinishLevelLoad();
        else
            std::this_thread::yield();
    }
    EXPECT_EQ(mMini->GetPartCount(), 0) << "cleared by the level start";
    EXPECT_EQ(mMini->GetSpeed(), 100000.0f);
}

} // namespace
