// The boss's character records and its pace: the speed bonus applies only with the owned "boss"/"speed" upgrade.
#include "game/TMBoss.h"

#include "engine/PersInfo.h"
#include "tests/TestHelpers.h"
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

} // namespace
