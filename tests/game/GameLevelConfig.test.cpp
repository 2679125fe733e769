// The game's level configuration: the level bonus parameters, the goal and achievement values of a level file, the
// upgrade kinds, the upgrade catalogue and its owned flags, and the upgrade offer.

#include "game/TMBoard_Game3.h"
#include "game/TMPref.h"
#include "tests/game/GameTestKit.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace GameTest;

/// Seven worker types: the seventh has no owned flags of its own.
constexpr const char* kSevenWorkers = R"(
    <workers><worker name="w1"/><worker name="w2"/><worker name="w3"/><worker name="w4"/><worker name="w5"/>
        <worker name="w6"/><worker name="w7"/></workers>)";

/// One entry for every row of the flag table, and entries that fit none.
constexpr const char* kFlagCatalogue = R"(<upgrade>
    <functional object="bonus" name="money" min_level="1" max_level="3"/>
    <functional object="boss" name="speed" min_level="1" max_level="3"/>
    <functional object="w1" name="speed" min_level="1" max_level="3"/>
    <functional object="w6" name="speed" min_level="1" max_level="3"/>
    <functional object="w1" name="tidiness" min_level="1" max_level="3"/>
    <functional object="w6" name="tidiness" min_level="1" max_level="3"/>
    <functional object="w7" name="speed" min_level="1" max_level="3"/>
    <functional object="fridge" name="speed" min_level="1" max_level="3"/>
    <functional object="bonus" name="jackpot" min_level="1" max_level="3"/>
    <functional name="speed" min_level="1" max_level="3"/>
    <visual object="floor" name="marble" min_level="2" max_level="3"/>
    <visual object="worker_table_a" name="oak" min_level="1" max_level="3"/>
    <visual object="bar" name="steel" min_level="3" max_level="3"/>
    <visual object="decor" name="plants" min_level="1" max_level="3"/>
    <visual object="client_table" name="glass" min_level="2" max_level="3"/>
    <visual object="floor" name="zero" min_level="0" max_level="3"/>
    <visual object="floor" name="four" min_level="4" max_level="4"/>
    <visual object="window" name="curtain" min_level="1" max_level="3"/>
</upgrade>)";

class GameLevelConfigTest : public GameFixture {
protected:
    /// A level element parsed from the text.
    pugi::xml_node Level(const std::string& text)
    {
        mLevelDoc.load_string(text.c_str());
        return mLevelDoc.child("level");
    }

    pugi::xml_document mLevelDoc;
};

TEST_F(GameLevelConfigTest, LevelBonusParametersAreReadOnceWithTheIceTimeoutServingTheSpeedRewardToo)
{
    WriteGameConfig(mFolder, "");
    const TMBoard_Game3::LevelBonusParams& params = MakeGameBoard().GetLevelBonus();
    EXPECT_EQ(params.bonusCash, 10);
    EXPECT_EQ(params.bonusCashUpgrade, 25);
    EXPECT_FLOAT_EQ(params.workerStamina, 20.0f);
    EXPECT_FLOAT_EQ(params.clientStamina, 15.0f);
    EXPECT_FLOAT_EQ(params.iceTimeout, 4.0f);
    EXPECT_FLOAT_EQ(params.speedTimeout, 4.0f);
    EXPECT_FLOAT_EQ(params.clientPause, 2.0f);
}

TEST_F(GameLevelConfigTest, AConfigurationWithoutLevelOrUpgradeIsLoggedAndTheBoardStillWorks)
{
    WriteGameConfig(mFolder, "", "<perses/>");
    TMBoard_Game3& board = MakeGameBoard();
    EXPECT_TRUE(LogHas("cfg\\cfg.xml: no element \"level\""));
    EXPECT_TRUE(LogHas("cfg\\cfg.xml: no element \"upgrade\""));
    EXPECT_EQ(board.GetLevelBonus().bonusCash, 0);
    EXPECT_TRUE(board.GetFunctionalUpgrades().empty());

    fs::remove(mFolder / "cfg" / "cfg.xml");
    TMBoard_Game3& bare = MakeGameBoard();
    EXPECT_TRUE(LogHas("cfg\\cfg.xml: missing or not readable"));
    std::vector<TMBoard_Game3::UpgradeEntry*> offers;
    EXPECT_EQ(bare.OfferUpgrades(offers), 0);
    EXPECT_FALSE(bare.IsUpgradeOwned("boss", "speed"));
}

TEST_F(GameLevelConfigTest, UpgradeKindsAreTheExactWordsFuncAndVis)
{
    struct Case {
        const char* attribute;
        int kind;
    };
    const Case cases[] = {{R"(upgrade="func")", 1},   {R"(upgrade="vis")", 2}, {R"(upgrade="Func")", 0},
                          {R"(upgrade="visual")", 0}, {R"(upgrade="")", 0},    {"", 0}};
    WriteGameConfig(mFolder, "");
    TMBoard_Game3& board = MakeGameBoard();
    board.mLevel = 2;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attribute);
        board.ReadUpgradeStages(Level(std::string("<level ") + c.attribute + "/>"));
        EXPECT_EQ(board.GetLevelUpgradeKind(), c.kind);
    }
}

TEST_F(GameLevelConfigTest, SurvivalStagesKeepOnlyThoseThatEarnAnUpgrade)
{
    WriteGameConfig(mFolder, "");
    TMBoard_Game3& board = MakeGameBoard();
    board.mSurvival = true;
    board.mLevel = 1;
    board.ReadUpgradeStages(Level(R"(<level><stages><stage num="2" upgrade="func"/><stage num="3"/>
        <stage num="4" upgrade="vis"/><stage num="5" upgrade="Vis"/></stages></level>)"));
    const std::vector<TMBoard_Game3::UpgradeStage>& stages = board.GetUpgradeStages();
    ASSERT_EQ(stages.size(), 2u);
    EXPECT_EQ(stages[0].num, 2);
    EXPECT_EQ(stages[0].kind, 1);
    EXPECT_EQ(stages[1].num, 4);
    EXPECT_EQ(stages[1].kind, 2);
}

TEST_F(GameLevelConfigTest, AchievementValuesTakeTheirDefaultsAndTheSuperBonusDependsOnTheElement)
{
    struct Case {
        const char* level;
        TMBoard_Game3::AchParams expected;
    };
    const Case cases[] = {
        {"<level/>", {5, 5, 5, 1, 50, 4, 100}},
        {"<level><achparams/></level>", {5, 5, 5, 1, 50, 5, 100}},
        {R"(<level><achparams freeze="2" clean="3" candy="0" no_broke="0" bonus_cash="70" bonus_super="3"
            bonus_super_cash="250"/></level>)",
         {2, 3, 0, 0, 70, 3, 250}},
    };
    WriteGameConfig(mFolder, "");
    TMBoard_Game3& board = MakeGameBoard();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        board.ReadAchParams(Level(c.level));
        const TMBoard_Game3::AchParams& got = board.GetAchParams();
        EXPECT_EQ(got.freeze, c.expected.freeze);
        EXPECT_EQ(got.clean, c.expected.clean);
        EXPECT_EQ(got.candy, c.expected.candy);
        EXPECT_EQ(got.noBroke, c.expected.noBroke);
        EXPECT_EQ(got.bonusCash, c.expected.bonusCash);
        EXPECT_EQ(got.bonusSuper, c.expected.bonusSuper);
        EXPECT_EQ(got.bonusSuperCash, c.expected.bonusSuperCash);
    }
}

TEST_F(GameLevelConfigTest, GoalsAreReadAndALevelWithoutParamsKeepsThePreviousOnes)
{
    WriteGameConfig(mFolder, "");
    TMBoard_Game3& board = MakeGameBoard();
    board.mLevel = 4;
    board.ReadGoalParams(Level(R"(<level><params normal="300" expert="450"/></level>)"));
    EXPECT_EQ(board.GetNormalGoal(), 300);
    EXPECT_EQ(board.GetExpertGoal(), 450);
    board.ReadGoalParams(Level(R"(<level><params expert="500"/></level>)"));
    EXPECT_EQ(board.GetNormalGoal(), 300);
    EXPECT_EQ(board.GetExpertGoal(), 500);
    board.ReadGoalParams(Level("<level/>"));
    EXPECT_EQ(board.GetNormalGoal(), 300);
    EXPECT_EQ(board.GetExpertGoal(), 500);
    EXPECT_TRUE(LogHas("cfg\\l4.xml: no element \"params\""));
}

TEST_F(GameLevelConfigTest, EveryCatalogueEntryGetsItsFlagIndexAndEntriesWithoutOneAreDroppedAndLogged)
{
    WriteGameConfig(mFolder, kFlagCatalogue, kSevenWorkers);
    TMBoard_Game3& board = MakeGameBoard();

    struct Row {
        const char* object;
        const char* name;
        int index;
    };
    const std::vector<Row> functional = {{"bonus", "money", 13}, {"boss", "speed", 12}, {"w1", "speed", 6},
                                         {"w6", "speed", 11},    {"w1", "tidiness", 0}, {"w6", "tidiness", 5}};
    const std::vector<Row> visual = {{"floor", "marble", 19},
                                     {"worker_table_a", "oak", 15},
                                     {"bar", "steel", 26},
                                     {"decor", "plants", 17},
                                     {"client_table", "glass", 23}};
    auto check = [](const std::vector<TMBoard_Game3::UpgradeEntry>& got, const std::vector<Row>& want) {
        ASSERT_EQ(got.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i) {
            SCOPED_TRACE(want[i].object + std::string(" ") + want[i].name);
            EXPECT_EQ(got[i].object, want[i].object);
            EXPECT_EQ(got[i].name, want[i].name);
            EXPECT_EQ(got[i].flagIndex, want[i].index);
        }
    };
    check(board.GetFunctionalUpgrades(), functional);
    check(board.GetVisualUpgrades(), visual);

    EXPECT_TRUE(LogHas("worker type \"w7\" is number 7"));
    EXPECT_TRUE(LogHas("upgrade/functional \"w7\" \"speed\": has no owned flag; dropped"));
    EXPECT_TRUE(LogHas("upgrade/functional \"fridge\" \"speed\": names no worker type; dropped"));
    EXPECT_TRUE(LogHas("upgrade/functional \"bonus\" \"jackpot\": has no owned flag; dropped"));
    EXPECT_TRUE(LogHas("upgrade/functional without object or name; dropped"));
    EXPECT_TRUE(LogHas("upgrade/visual \"floor\" \"zero\": min_level 0 is not a cafe"));
    EXPECT_TRUE(LogHas("upgrade/visual \"floor\" \"four\": min_level 4 is not a cafe"));
    EXPECT_TRUE(LogHas("upgrade/visual \"window\" \"curtain\": has no owned flag; dropped"));
}

TEST_F(GameLevelConfigTest, OwnedFlagsAreTheProfilesInCareerAndTheBoardsOwnInSurvival)
{
    WriteGameConfig(mFolder, kFlagCatalogue, kSevenWorkers);
    TMBoard_Game3& board = MakeGameBoard();
    ProfileRecord* profile = mGame->GetPref().GetProfile();
    TMBoard_Game3::UpgradeEntry& floor = board.GetVisualUpgrades()[0];

    board.mSurvival = false;
    board.ApplyUpgradeEntry(floor, true);
    EXPECT_EQ(profile->upgrades[19], 1);
    ASSERT_TRUE(mGame->GetPref().Save());
    std::ifstream file(PrefPath(), std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const size_t byte = TMPref::kProfilesOffset +
                        static_cast<size_t>(mGame->GetPref().GetHeader().currentProfile) * ProfileRecord::kFileSize +
                        279;
    ASSERT_GT(bytes.size(), byte);
    EXPECT_EQ(bytes[byte], 1) << "the flag is byte 279 of the profile in pref.dat";
    EXPECT_TRUE(board.IsUpgradeOwned("floor", "marble"));
    EXPECT_EQ(board.GetSurvivalFlags()[19], 0);

    board.mSurvival = true;
    EXPECT_FALSE(board.IsUpgradeOwned("floor", "marble")) << "survival reads its own flags";
    board.ApplyUpgradeEntry(board.GetFunctionalUpgrades()[1], true);
    EXPECT_EQ(board.GetSurvivalFlags()[12], 1);
    EXPECT_TRUE(board.IsUpgradeOwned("boss", "speed"));
    EXPECT_EQ(profile->upgrades[12], 0);
    EXPECT_FALSE(board.IsUpgradeOwned("boss", "jump"));

    board.mSurvival = false;
    board.ApplyUpgradeEntry(floor, false);
    EXPECT_EQ(profile->upgrades[19], 0);
}

/// A functional catalogue with six entries that a day of cafe 1 can offer, between an owned one and one of a later
/// cafe.
constexpr const char* kOfferCatalogue = R"(<upgrade>
    <functional object="cook" name="speed" min_level="1" max_level="3"/>
    <functional object="juicer" name="speed" min_level="1" max_level="3"/>
    <functional object="bonus" name="money" min_level="2" max_level="3"/>
    <functional object="juicer" name="tidiness" min_level="1" max_level="1"/>
    <functional object="oven" name="speed" min_level="1" max_level="3"/>
    <functional object="oven" name="tidiness" min_level="1" max_level="3"/>
    <functional object="boss" name="speed" min_level="1" max_level="3"/>
    <functional object="cook" name="tidiness" min_level="1" max_level="3"/>
    <visual object="floor" name="marble" min_level="1" max_level="3"><object name="floor01"/></visual>
</upgrade>)";

TEST_F(GameLevelConfigTest, TheOfferIsTheFirstFourEntriesNotOwnedOfThisCafeInFileOrder)
{
    WriteGameConfig(mFolder, kOfferCatalogue);
    TMBoard_Game3& board = MakeGameBoard();
    mGame->GetPref().GetProfile()->upgrades[6] = 1; // cook speed
    board.mLevel = 5;
    board.ReadUpgradeStages(Level(R"(<level upgrade="func"/>)"));
    EXPECT_EQ(board.CountCareerOffers(), 4);

    std::vector<TMBoard_Game3::UpgradeEntry*> offers;
    ASSERT_EQ(board.OfferUpgrades(offers), 4);
    const char* expected[][2] = {{"juicer", "speed"}, {"juicer", "tidiness"}, {"oven", "speed"}, {"oven", "tidiness"}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(offers[i]->object, expected[i][0]);
        EXPECT_EQ(offers[i]->name, expected[i][1]);
    }

    // Later in the career the day is in cafe 2: the money bonus comes in, the juicer's tidiness goes.
    board.mLevel = 20;
    ASSERT_EQ(board.OfferUpgrades(offers), 4);
    EXPECT_EQ(offers[1]->object, "bonus");
    EXPECT_EQ(offers[2]->object, "oven");

    board.ReadUpgradeStages(Level(R"(<level upgrade="vis"/>)"));
    ASSERT_EQ(board.OfferUpgrades(offers), 1);
    EXPECT_EQ(offers[0]->object, "floor");
    board.ReadUpgradeStages(Level("<level/>"));
    EXPECT_EQ(board.OfferUpgrades(offers), 0);
    EXPECT_TRUE(offers.empty());
}

TEST_F(GameLevelConfigTest, SurvivalOffersThePendingKindAndNothingWhenNoneIsPending)
{
    WriteGameConfig(mFolder, kOfferCatalogue);
    TMBoard_Game3& board = MakeGameBoard();
    board.mSurvival = true;
    board.mLevel = 1;
    std::vector<TMBoard_Game3::UpgradeEntry*> offers;
    EXPECT_EQ(board.OfferUpgrades(offers), 0);
    EXPECT_EQ(board.GetLevelUpgradeKind(), 0) << "no kind was taken";
    EXPECT_TRUE(board.GetPendingUpgrades().empty());
}

} // namespace
