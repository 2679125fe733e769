// Career days and survival cafes loaded on the level-loading thread from fixture levels and run to their results,
// the test playing the actors' part: money, lost lives and time points no client can serve. Also what a level
// load changes and the next one puts back: upgrade skins and the level's overrides.

#include "engine/EventQueue.h"
#include "engine/ItemFactory.h"
#include "engine/PersInfo.h"
#include "engine/TMItem.h"
#include "game/StatusIndicators.h"
#include "game/TMBoard_Game3.h"
#include "game/TMBoss.h"
#include "game/TMClient.h"
#include "game/TMItemBonus.h"
#include "game/TMPeriodItem.h"
#include "game/TMPref.h"
#include "game/TMTrash.h"
#include "game/TMTray.h"
#include "game/TMWorker.h"
#include "tests/game/GameTestKit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace GameTest;

constexpr const char* kCatalogue = R"(<upgrade>
    <functional object="cook" name="speed" min_level="1" max_level="3"/>
    <functional object="juicer" name="speed" min_level="1" max_level="3"/>
    <visual object="floor" name="marble" min_level="1" max_level="3">
        <object name="floor01"/><object name="missing01"/></visual>
    <visual object="decor" name="plants" min_level="2" max_level="3"><object name="decor01"/></visual>
</upgrade>)";

class GameLevelRunTest : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        WriteGameConfig(mFolder, kCatalogue);
        WriteScene("s1.xml", kGameSceneObjects, kGameSceneParam);
    }

    [[nodiscard]] static std::string SkinOf(const char* name)
    {
        TMItem* item = TMItem::FindByName(name);
        return item ? item->GetSkin() : "<none>";
    }
};

TEST_F(GameLevelRunTest, ACareerDayRunsToItsResultAndThePlayerFileKeepsAPreviewedUpgrade)
{
    WriteLevel(2, false, std::string(kGameLevelObjects) + R"(<params normal="50" expert="100"/>
        <events_queue><time_point time="0.5" event="closing"/>
            <time_point time="1" event="client" type="client99"><param name="1000"/></time_point>
        </events_queue>)");
    TMBoard_Game3& board = MakeGameBoard();
    ASSERT_TRUE(StartLevelForTest(2, false));
    EXPECT_EQ(board.GetNormalGoal(), 50);
    EXPECT_EQ(board.GetAchParams().bonusSuper, 4);
    EXPECT_TRUE(board.mVisible);

    TMBoard_Game3::UpgradeEntry& floor = board.GetVisualUpgrades()[0];
    board.ApplyUpgradeEntry(floor, true);
    EXPECT_EQ(SkinOf("floor01"), "gold");
    board.AddMoney(60);

    ASSERT_TRUE(RunUntilStopped(1000)) << "the day ends once its queue is through";
    EXPECT_TRUE(LogHas("event \"closing\" cannot be served"));
    EXPECT_TRUE(LogHas("client kind \"client99\" without configuration"));
    EXPECT_EQ(board.GetLastResult(), 1);
    EXPECT_FALSE(board.mVisible);
    EXPECT_TRUE(mCareer->mVisible);

    TMPref fresh(mGame);
    ASSERT_TRUE(fresh.Load());
    EXPECT_EQ(fresh.GetProfile()->Name(), L"Tester");
    EXPECT_EQ(fresh.GetProfile()->upgrades[static_cast<size_t>(floor.flagIndex)], 1);
}

TEST_F(GameLevelRunTest, ASurvivalCafeEarnsUpgradesByDayAndEndsWithTheFourthLostLife)
{
    WriteGameLevel(1, true, "", std::string(kGameLevelObjects) + R"(
        <stages><stage num="2" upgrade="func"/><stage num="3" upgrade="vis"/></stages>
        <events_queue><templates><order_template name="none"/></templates><stages>
            <stage points="100"><time_point_template prob="1" event="closing" order_template="none" time_min="0.1"
                time_max="0.1"/></stage>
            <stage points="300"><time_point_template prob="1" time_min="0.1" time_max="0.1"/></stage>
        </stages></events_queue>)");
    TMBoard_Game3& board = MakeGameBoard();
    ASSERT_TRUE(StartLevelForTest(1, true));
    EXPECT_EQ(board.GetLives(), 3);
    EXPECT_EQ(board.GetCafeIndex(), 1);

    StepGame(100);
    EXPECT_TRUE(LogHas("event \"closing\" cannot be served"));
    EXPECT_EQ(gTimePointPool.Size(), 1u) << "each dropped time point goes back to the pool for the next";

    board.AddMoney(100);
    EXPECT_EQ(board.GetStageCounter(), 2);
    ASSERT_EQ(board.GetPendingUpgrades().size(), 1u);
    std::vector<TMBoard_Game3::UpgradeEntry*> offers;
    ASSERT_EQ(board.OfferUpgrades(offers), 2);
    EXPECT_EQ(board.GetLevelUpgradeKind(), 1);
    EXPECT_TRUE(board.GetPendingUpgrades().empty());
    board.ApplyUpgradeEntry(*offers[0], true);
    EXPECT_TRUE(board.IsUpgradeOwned("cook", "speed"));
    EXPECT_EQ(mGame->GetPref().GetProfile()->upgrades[6], 0) << "survival upgrades stay out of the profile";

    StepGame(100);
    EXPECT_TRUE(LogHas("an empty time point cannot be served"));
    for (int lost = 0; lost < 3; ++lost)
        board.LoseLife();
    StepGame(300);
    EXPECT_TRUE(board.mRunning) << "with three lives lost the cafe runs on";
    board.LoseLife();
    ASSERT_TRUE(RunUntilStopped(1000));
    EXPECT_EQ(board.GetLastPlace(), 0);
    EXPECT_TRUE(mHiScores->mVisible);

    TMPref fresh(mGame);
    ASSERT_TRUE(fresh.Load());
    const HiScoreRecord& row = fresh.GetHiScoreTable(true)[0];
    EXPECT_EQ(row.Name(), L"Tester");
    EXPECT_EQ(row.score, 100);
}

TEST_F(GameLevelRunTest, OwnedVisualUpgradesOfTheCafeReskinAtLoadAndAPreviewIsWithdrawn)
{
    WriteLevel(2, false, std::string(kGameLevelObjects) + R"(<params normal="50" expert="100"/>)");
    TMBoard_Game3& board = MakeGameBoard();
    ProfileRecord* profile = mGame->GetPref().GetProfile();
    TMBoard_Game3::UpgradeEntry& floor = board.GetVisualUpgrades()[0];
    TMBoard_Game3::UpgradeEntry& decor = board.GetVisualUpgrades()[1];
    profile->upgrades[static_cast<size_t>(decor.flagIndex)] = 1; // a cafe 2 upgrade: not applied in cafe 1

    ASSERT_TRUE(StartLevelForTest(2, false));
    const std::string plainDecor = SkinOf("decor01");
    EXPECT_NE(plainDecor, "gold");
    board.ApplyUpgradeEntry(floor, true);
    EXPECT_EQ(SkinOf("floor01"), "gold");
    board.ApplyUpgradeEntry(floor, false);
    EXPECT_EQ(SkinOf("floor01"), "plain");
    EXPECT_FALSE(board.IsUpgradeOwned("floor", "marble"));

    board.ApplyUpgradeEntry(floor, true);
    ASSERT_TRUE(StartLevelForTest(2, false));
    EXPECT_EQ(SkinOf("floor01"), "gold") << "owned, so applied by the load";
    EXPECT_EQ(SkinOf("decor01"), plainDecor);
}

TEST_F(GameLevelRunTest, OverridesHoldForTheirLevelOnly)
{
    WriteGameLevel(2, false, R"(override_boss_speed="50")", R"(<params normal="50" expert="100"/>
        <override_workers><worker name="cook" work_time="1" tidiness_down="9"/><worker name="fridge"/>
        </override_workers>
        <override_clients><client name="client01" client_money01_g="99" client_losses_money="1"
            client_start_stamina="40"/></override_clients>)");
    WriteLevel(3, false, R"(<params normal="50" expert="100"/>)");
    MakeGameBoard();
    ASSERT_TRUE(StartLevelForTest(2, false));
    const WorkerConfig* cook = FindWorkerConfig("cook");
    const ClientConfig* client = FindClientConfig("client01");
    ASSERT_NE(cook, nullptr);
    ASSERT_NE(client, nullptr);
    EXPECT_FLOAT_EQ(cook->workTime, 1.0f);
    EXPECT_FLOAT_EQ(cook->tidinessUp, 1.0f);
    EXPECT_FLOAT_EQ(cook->tidinessDown, 9.0f);
    EXPECT_TRUE(cook->hasStartTidiness);
    EXPECT_FLOAT_EQ(cook->startTidiness, 100.0f);
    EXPECT_EQ(client->money01G, 99);
    EXPECT_EQ(client->money01Y, 20);
    EXPECT_EQ(client->lossesMoney, 1);
    EXPECT_TRUE(client->hasStartPatience);
    EXPECT_FLOAT_EQ(client->startPatience, 40.0f);
    EXPECT_FLOAT_EQ(gPersByName["boss"].moveSpeed, 50.0f);
    EXPECT_TRUE(LogHas("cfg\\l2.xml: override_workers/worker names no worker type \"fridge\""));

    ASSERT_TRUE(StartLevelForTest(3, false));
    EXPECT_FLOAT_EQ(cook->workTime, 5.0f);
    EXPECT_FLOAT_EQ(cook->tidinessDown, 2.0f);
    EXPECT_FALSE(cook->hasStartTidiness);
    EXPECT_EQ(client->money01G, 30);
    EXPECT_EQ(client->lossesMoney, 15);
    EXPECT_FALSE(client->hasStartPatience);
    EXPECT_FLOAT_EQ(gPersByName["boss"].moveSpeed, 200.0f);
}

TEST_F(GameLevelRunTest, ABossSpeedOverrideWithoutABossIsLoggedAndTheDayRuns)
{
    WriteGameConfig(mFolder, kCatalogue, "<workers/>");
    WriteGameLevel(2, false, R"(override_boss_speed="50")", R"(<params normal="50" expert="100"/>)");
    MakeGameBoard();
    ASSERT_TRUE(StartLevelForTest(2, false));
    EXPECT_TRUE(LogHas("cfg\\l2.xml: override_boss_speed without a \"boss\" description"));
    EXPECT_TRUE(RunUntilStopped(1000));
}

TEST_F(GameLevelRunTest, AFailedLoadReturnsToTheScreenItCameFromWithNothingScored)
{
    MakeGameBoard();
    const auto written = fs::last_write_time(PrefPath());
    EXPECT_FALSE(StartLevelForTest(7, false));
    EXPECT_TRUE(mCareer->mVisible);
    EXPECT_FALSE(mGameBoard->mVisible);
    EXPECT_TRUE(LogHas("career day 7: the level could not be loaded; back to the career book"));
    EXPECT_EQ(mGameBoard->GetLastResult(), -1);

    EXPECT_FALSE(StartLevelForTest(4, true));
    EXPECT_TRUE(mSurvivalScreen->mVisible);
    EXPECT_EQ(mGameBoard->GetLastPlace(), -1);
    EXPECT_EQ(fs::last_write_time(PrefPath()), written);
}

TEST_F(GameLevelRunTest, TheFactoryMakesTheGamesActorsAndAPlaceLeadsToItsOccupant)
{
    const char* classes[] = {"item",
                             "pickable",
                             "boss",
                             "worker",
                             "tray",
                             "status_bubble",
                             "trash_bin",
                             "status_hp_worker",
                             "status_hp_client",
                             "period_item",
                             "client",
                             "client_sit",
                             "item_bonus"};
    const std::vector<ItemFactoryEntry>& table = ItemFactoryTable();
    ASSERT_EQ(table.size(), std::size(classes));
    for (size_t i = 0; i < table.size(); ++i)
        EXPECT_EQ(table[i].className, classes[i]);

    WriteScene("s2.xml", R"(
        <object class="boss" name="boss"/><object class="item_bonus" name="bonus"/>
        <object class="worker" name="worker3" skin="cook"/><object class="item" name="table3"/>
        <object class="worker" name="worker5"/><object class="item" name="table5"/>
        <object class="client" name="client2"/><object class="pickable" name="client_place2"/>
        <object class="client_sit" name="client_sit4"/><object class="item" name="client_sit_place4"/>
        <object class="tray" name="tray1" thing="1000"/><object class="trash_bin" name="trash_bin"/>
        <object class="period_item" name="cake" thing="0001"/><object class="status_bubble" name="status_bubble_worker3"/>
        <object class="status_hp_worker" name="status_hp_worker3"/><object class="status_hp_client" name="status_hp_client2"/>)");
    WriteLevel(2, false, R"(<params normal="50" expert="100"/><objects><object name="boss"/><object name="bonus"/>
        <object name="worker3"/><object name="table3"/><object name="client2"/><object name="client_place2"/>
        <object name="client_sit4"/><object name="client_sit_place4"/><object name="tray1"/><object name="cake"/>
        </objects>)",
               "scene\\s2.xml");
    MakeGameBoard();
    ASSERT_TRUE(StartLevelForTest(2, false));
    EXPECT_NE(GetBoss(), nullptr);
    EXPECT_NE(GetBonusItem(), nullptr);
    EXPECT_NE(dynamic_cast<TMTrash*>(TMItem::FindByName("trash_bin")), nullptr);
    EXPECT_NE(dynamic_cast<TMStatus_Bubble*>(TMItem::FindByName("status_bubble_worker3")), nullptr);
    EXPECT_NE(dynamic_cast<TMStatus_HP_Worker*>(TMItem::FindByName("status_hp_worker3")), nullptr);
    EXPECT_NE(dynamic_cast<TMStatus_HP_Client*>(TMItem::FindByName("status_hp_client2")), nullptr);
    EXPECT_EQ(TMItem::FindByName("tray1")->mValue, "1000") << "a tray's product is its \"thing\"";
    EXPECT_EQ(TMItem::FindByName("cake")->mValue, "0001");
    EXPECT_EQ(FindWorker("worker3"), TMItem::FindByName("worker3"));

    struct Case {
        const char* place;
        const char* occupant;
    };
    for (const Case c : {Case{"table3", "worker3"}, Case{"table5", nullptr}, Case{"client_place2", "client2"},
                         Case{"client_sit_place4", "client_sit4"}, Case{"tray1", nullptr}}) {
        SCOPED_TRACE(c.place);
        TMItem* occupant = FindPlaceOccupant(TMItem::FindByName(c.place));
        EXPECT_EQ(occupant, c.occupant ? TMItem::FindByName(c.occupant) : nullptr);
    }
    EXPECT_NE(dynamic_cast<TMClientStand*>(FindPlaceOccupant(TMItem::FindByName("client_place2"))), nullptr);
    EXPECT_NE(dynamic_cast<TMClientSit*>(FindPlaceOccupant(TMItem::FindByName("client_sit_place4"))), nullptr);
}

} // namespace
