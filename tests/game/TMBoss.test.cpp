// The boss's character records and its pace: the speed bonus applies only with the owned "boss"/"speed" upgrade.
#include "game/TMBoss.h"

#include "engine/PersInfo.h"
#include "engine/TMItemPart.h"
#include "game/TMClient.h"
#include "game/TMTrash.h"
#include "game/TMTray.h"
#include "game/TMWorker.h"
#include "tests/TestHelpers.h"
#include "tests/engine/SceneTestKit.h"
#include "tests/game/GameTestKit.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace GameTest;

constexpr const char* kCatalogue = R"(<upgrade>
    <functional object="boss" name="speed" min_level="1" max_level="3"/></upgrade>)";

class TMBossTest : public GameFixture {
protected:
    void TearDown() override
    {
        ClearPersConfig();
        TMMoveItem::ClearPerses();
        GameFixture::TearDown();
    }

    /// A boss named by the scene, bound to its records.
    static TMBoss* LoadBoss(const char* name)
    {
        RegisterItemFactory("boss", []() -> TMItem* { return new TMBoss(); });
        pugi::xml_document scene;
        scene.load_string(
            ("<root><objects><object class=\"boss\" name=\"" + std::string(name) + "\"/></objects></root>").c_str());
        LoadLevelObjects(scene.document_element());
        auto* boss = dynamic_cast<TMBoss*>(TMItem::FindByName(name));
        if (boss)
            boss->BindPers();
        return boss;
    }
};

TEST_F(TMBossTest, CharacterRecordsAreReadByNameAndBadElementsLogged)
{
    pugi::xml_document config;
    config.load_string(R"(<root><perses><pers wash_time="9"/>
        <pers name="boss" wash_time="2.5" speed_bonus="1.5" idle_rastart_time_min="1" idle_rastart_time_max="3"
              idle_stop_frame="4"/>
        <pers name="boss" wash_time="7"/></perses></root>)");
    TestHelpers::LogCapture log;
    LoadPersConfig(config.document_element());
    ASSERT_EQ(gPersConfigs.size(), 1u);
    const PersConfig* boss = FindPersConfig("boss");
    ASSERT_NE(boss, nullptr);
    EXPECT_FLOAT_EQ(boss->washTime, 2.5f) << "the first definition stays";
    EXPECT_FLOAT_EQ(boss->idleRestartMin, 1.0f);
    EXPECT_FLOAT_EQ(boss->idleRestartMax, 3.0f);
    EXPECT_EQ(boss->idleStopFrame, 4);
    EXPECT_TRUE(log.Has("\"pers\" element 1 has no \"name\""));
    EXPECT_TRUE(log.Has("character \"boss\" is defined again"));

    pugi::xml_document none;
    none.load_string("<root/>");
    LoadPersConfig(none.document_element());
    EXPECT_TRUE(gPersConfigs.empty());
    EXPECT_TRUE(log.Has("no \"perses\" element"));
}

TEST_F(TMBossTest, SpeedBonusOnlyWithTheOwnedUpgradeAndNeverStopsTheWalk)
{
    WriteGameConfig(mFolder, kCatalogue);
    TMBoard_Game3& board = MakeGameBoard();
    board.mSurvival = false;
    pugi::xml_document config;
    config.load_string(R"(<root><perses><pers name="boss" move_speed="200" speed_bonus="1.5"/>
        <pers name="stiff" move_speed="200" speed_bonus="0"/></perses></root>)");
    TMMoveItem::LoadPerses(config.document_element());
    LoadPersConfig(config.document_element());
    TMBoss* boss = LoadBoss("boss");
    TMBoss* stiff = LoadBoss("stiff");
    ASSERT_TRUE(boss && stiff);
    EXPECT_FLOAT_EQ(boss->GetMoveSpeed(), 200.0f);

    ASSERT_FALSE(board.GetFunctionalUpgrades().empty());
    board.ApplyUpgradeEntry(board.GetFunctionalUpgrades()[0], true);
    ASSERT_TRUE(board.IsUpgradeOwned("boss", "speed"));
    EXPECT_FLOAT_EQ(boss->GetMoveSpeed(), 300.0f);
    EXPECT_FLOAT_EQ(stiff->GetMoveSpeed(), 200.0f) << "a bonus of 0 counts as none";
}

TEST_F(TMBossTest, TrailWithTheSpeedRewardOrTheOwnedUpgrade)
{
    WriteGameConfig(mFolder, kCatalogue);
    TMBoard_Game3& board = MakeGameBoard();
    board.mSurvival = false;
    RegisterItemFactory("boss", []() -> TMItem* { return new TMBoss(); });
    pugi::xml_document scene;
    scene.load_string(R"(<root><objects><object class="boss" name="boss"/></objects></root>)");
    LoadLevelObjects(scene.document_element());
    auto* boss = dynamic_cast<TMBoss*>(TMItem::FindByName("boss"));
    ASSERT_NE(boss, nullptr);

    boss->Update();
    EXPECT_FALSE(boss->IsTrailOn());
    board.ApplyUpgradeEntry(board.GetFunctionalUpgrades()[0], true);
    boss->Update();
    EXPECT_TRUE(boss->IsTrailOn()) << "with the owned upgrade";
    board.ApplyUpgradeEntry(board.GetFunctionalUpgrades()[0], false);
    boss->Update();
    EXPECT_FALSE(boss->IsTrailOn());
    const float pace = boss->GetMoveSpeed();
    board.GetSpeedCountdown().Start(5.0f);
    boss->Update();
    EXPECT_TRUE(boss->IsTrailOn()) << "while the speed reward runs";
    EXPECT_FLOAT_EQ(boss->GetMoveSpeed(), pace) << "the reward only turns the trail on";
}

// ---- Hands and animations, without a board ---------------------------------------------------------------------

class TMBossSceneTest : public EngineTest::SceneFixture {
protected:
    void SetUp() override
    {
        SceneFixture::SetUp();
        RegisterItemFactory("boss", []() -> TMItem* { return new TMBoss(); });
        std::vector<EngineTest::AnmFixtureSequence> body;
        for (const char* animation :
             {"boss_idle_empty1", "boss_idle_empty2", "boss_idle_full", "boss_idle_second", "boss_idle_full_second",
              "boss_move_empty", "boss_move_full", "boss_move_second", "boss_move_full_second"})
            body.push_back({"sheet", std::string("bossb") + animation, 1, 0, 10, {{0, 0, 1, 1, 0, 0}}});
        mScratch.WriteAnm("boss", body);
        std::vector<EngineTest::AnmFixtureSequence> held;
        for (const char* animation : {"0000boss_idle_full", "1000boss_idle_full", "0000boss_idle_second",
                                      "washboss_idle_second", "0100boss_idle_second"})
            held.push_back({"sheet", std::string("held_itemsb") + animation, 1, 0, 10, {{0, 0, 1, 1, 0, 0}}});
        mScratch.WriteAnm("held_items", held);
    }

    TMBoss* Load(const std::string& parts, const std::string& others = "")
    {
        const std::string text =
            "<root><objects><object class=\"boss\" name=\"boss\">" + parts + "</object></objects></root>";
        const EngineTest::XmlText scene(text.c_str());
        const EngineTest::XmlText level(
            ("<level><objects><object name=\"boss\"/>" + others + "</objects></level>").c_str());
        LoadLevelObjects(scene.Root());
        ApplyLevelObjectStates(level.Root());
        ActivateLevelObjects(true);
        return GetBoss();
    }
};

constexpr const char* kFullParts = R"(<part name="boss"/><part name="held_items"/><part name="held_items"/>
    <part name="held_items"/><part name="held_items"/>)";

TEST_F(TMBossSceneTest, MoveStateAnimationsFollowTheHands)
{
    TMBoss* boss = Load(kFullParts);
    ASSERT_NE(boss, nullptr);
    struct Case {
        const char* first;
        const char* second;
        const char* standing;
        const char* walking;
    };
    const Case cases[] = {
        {"1000", "0100", "boss_idle_full_second", "boss_move_full_second"},
        {"1000", "", "boss_idle_full", "boss_move_full"},
        {"", "wash", "boss_idle_second", "boss_move_second"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.first) + "|" + c.second);
        boss->SetFirstHand(c.first);
        boss->SetSecondHand(c.second);
        boss->SetMoveState(1);
        EXPECT_EQ(boss->GetCurrentAnimation(), c.walking);
        boss->OnDelayedEvent(3);
        EXPECT_EQ(boss->GetMoveState(), 0);
        EXPECT_EQ(boss->GetCurrentAnimation(), c.standing);
        EXPECT_EQ(boss->GetOrientation(), "b");
    }
    boss->SetFirstHand("");
    boss->SetSecondHand("");
    boss->SetMoveState(1);
    EXPECT_EQ(boss->GetCurrentAnimation(), "boss_move_empty");
    bool seen[2] = {false, false};
    for (int i = 0; i < 60; ++i) {
        boss->SetMoveState(0);
        const std::string& animation = boss->GetCurrentAnimation();
        ASSERT_TRUE(animation == "boss_idle_empty1" || animation == "boss_idle_empty2") << animation;
        seen[animation == "boss_idle_empty2" ? 1 : 0] = true;
    }
    EXPECT_TRUE(seen[0] && seen[1]) << "empty hands stand with either idle at random";
}

TEST_F(TMBossSceneTest, HandsShowTheirProductsAndWashHidesTheTray)
{
    TMBoss* boss = Load(kFullParts);
    boss->SetFirstHand("1000");
    boss->SetSecondHand("wash");
    boss->SetMoveState(0);
    boss->UpdateVisual();
    EXPECT_TRUE(boss->GetHandPart(0)->IsVisible());
    EXPECT_EQ(boss->GetHandPart(0)->GetCurrentAnimation(), "0000boss_idle_full");
    EXPECT_EQ(boss->GetHandPart(1)->GetCurrentAnimation(), "1000boss_idle_full");
    EXPECT_FALSE(boss->GetHandPart(2)->IsVisible()) << "washing shows without a tray";
    EXPECT_TRUE(boss->GetHandPart(3)->IsVisible());
    EXPECT_EQ(boss->GetHandPart(3)->GetCurrentAnimation(), "washboss_idle_second");

    boss->SetFirstHand("");
    boss->SetSecondHand("");
    boss->UpdateVisual();
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(boss->GetHandPart(i)->IsVisible()) << i;
}

TEST_F(TMBossSceneTest, MissingHandPartsAndRecordAreLoggedAndNeverRead)
{
    TestHelpers::LogCapture log;
    TMBoss* boss = Load(R"(<part name="held_items"/><part name="held_items"/>)");
    ASSERT_NE(boss, nullptr);
    EXPECT_TRUE(log.Has("2 \"held_items\" parts of four"));
    EXPECT_TRUE(log.Has("no \"pers\" of that name"));
    EXPECT_EQ(boss->GetHandPart(2), nullptr);
    boss->SetFirstHand("1000");
    boss->SetSecondHand("0100");
    boss->SetMoveState(0);
    boss->UpdateVisual();
    EXPECT_TRUE(boss->GetHandPart(0)->IsVisible());
}

TEST_F(TMBossSceneTest, InteractCasesPerObjectKind)
{
    RegisterItemFactory("tray", []() -> TMItem* { return new TMTray(); });
    RegisterItemFactory("trash_bin", []() -> TMItem* { return new TMTrash(); });
    TMBoss* boss = Load(std::string(kFullParts) + R"(</object>
        <object class="tray" name="material1" thing="1000"/><object class="tray" name="wash_stand" thing="wash"/>
        <object class="tray" name="tray_cups" thing="0100"/><object class="trash_bin" name="trash_bin"/>
        <object class="item" name="window"><part name="x"/>)");
    ASSERT_NE(boss, nullptr);
    struct Case {
        const char* object;
        const char* first;
        const char* second;
        bool check;
        const char* firstAfter;
        const char* secondAfter;
    };
    const Case cases[] = {
        {"material1", "", "", true, "1000", ""},
        {"material1", "0100", "", true, "0100", "1000"},
        {"material1", "0100", "0010", false, "0100", "0010"},
        {"wash_stand", "", "", true, "", "wash"},
        {"wash_stand", "", "0010", true, "", "0010"},
        {"trash_bin", "1000", "0100", true, "1000", ""},
        {"trash_bin", "1000", "", true, "", ""},
        {"trash_bin", "", "", false, "", ""},
        {"tray_cups", "", "", false, "", ""},
        {"window", "", "", false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.object) + " [" + c.first + "|" + c.second + "]");
        TMItem* object = TMItem::FindByName(c.object);
        ASSERT_NE(object, nullptr);
        boss->SetFirstHand(c.first);
        boss->SetSecondHand(c.second);
        EXPECT_EQ(boss->Interact(object, true, nullptr), c.check);
        EXPECT_EQ(boss->GetFirstHand(), c.first) << "the check changes nothing";
        EXPECT_EQ(boss->GetSecondHand(), c.second);
        EXPECT_FALSE(boss->Interact(object, false, nullptr));
        EXPECT_EQ(boss->GetFirstHand(), c.firstAfter);
        EXPECT_EQ(boss->GetSecondHand(), c.secondAfter);
    }
    EXPECT_FALSE(boss->Interact(nullptr, true, nullptr));
}

TEST_F(TMBossSceneTest, WashingWaitsOnlyForAWorkerBrokenAtTheCheck)
{
    RegisterItemFactory("worker", []() -> TMItem* { return new TMWorker(); });
    SetPlaceOccupantLookup(&FindGamePlaceOccupant);
    const EngineTest::XmlText config(R"(<root><perses><pers name="boss" wash_time="2"/></perses>
        <workers><worker name="cook" work_time="10" tidiness_down="50" product="1000"/></workers></root>)");
    LoadPersConfig(config.Root());
    LoadWorkersConfig(config.Root());
    TMBoss* boss = Load(std::string(kFullParts) + R"(</object>
        <object class="pickable" name="table1"/><object class="worker" name="worker1"><part name="w"/>)",
                        R"(<object name="table1"/><object name="worker1" skin="cook"/>)");
    ASSERT_NE(boss, nullptr);
    TMWorker* worker = FindWorker("worker1");
    TMItem* table = TMItem::FindByName("table1");
    ASSERT_TRUE(worker && table);

    boss->SetSecondHand("wash");
    ASSERT_TRUE(boss->Interact(table, true, nullptr));
    boss->Interact(table, false, nullptr);
    EXPECT_FALSE(boss->IsDelayPending()) << "an idle worker needs no wait";
    EXPECT_EQ(boss->GetSecondHand(), "");

    worker->SetState(3);
    worker->SetState(1);
    boss->SetSecondHand("wash");
    ASSERT_TRUE(boss->Interact(table, true, nullptr));
    boss->Interact(table, false, nullptr);
    EXPECT_TRUE(boss->IsDelayPending()) << "the boss stays at a broken workplace";
    ClearPersConfig();
    ClearWorkersConfig();
    SetPlaceOccupantLookup(nullptr);
}

} // namespace
