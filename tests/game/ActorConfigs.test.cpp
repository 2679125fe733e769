// The actors' records in cfg\cfg.xml: client, worker, character and period item types by name, the client and
// worker tuning values, and what a client wants.

#include "game/TMBoss.h"
#include "game/TMClient.h"
#include "game/TMPeriodItem.h"
#include "game/TMWorker.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

namespace {

class ActorConfigsTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        ClearClientsConfig();
        ClearWorkersConfig();
        ClearPersConfig();
        ClearPeriodConfig();
    }

    pugi::xml_node Root(const char* text)
    {
        mDoc.load_string(text);
        return mDoc.child("root");
    }

    pugi::xml_document mDoc;
};

TEST_F(ActorConfigsTest, ClientTypesAreReadByNameTheFirstOfANameStaying)
{
    LoadClientsConfig(Root(R"(<root><clients patience_g_level="66" patience_y_level="33" patience_r_level="10"
            scandal_effect="5" client_scandal_bubble_present="1.5">
        <client name="client01" idle_stop_frame="4" client_patience_speed="1.5" client_decision_timeout="2"
            client_eating_time="6" client_money01_g="30" client_money01_y="20" client_money01_r="10"
            client_money02_g="3" client_losses_money="15" client_scandal_level="12" client_bonus_time_effect="7"/>
        <client name="client01" client_patience_speed="9"/>
        <client client_patience_speed="8"/></clients></root>)"));
    EXPECT_FLOAT_EQ(gClientTuning.patienceGLevel, 66.0f);
    EXPECT_FLOAT_EQ(gClientTuning.patienceRLevel, 10.0f);
    EXPECT_FLOAT_EQ(gClientTuning.scandalEffect, 5.0f);
    EXPECT_FLOAT_EQ(gClientTuning.scandalBubblePresent, 1.5f);
    ASSERT_EQ(gClientConfigs.size(), 1u);
    const ClientConfig* config = FindClientConfig("client01");
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(config->idleStopFrame, 4);
    EXPECT_FLOAT_EQ(config->patienceSpeed, 1.5f);
    EXPECT_FLOAT_EQ(config->eatingTime, 6.0f);
    EXPECT_EQ(config->money01Y, 20);
    EXPECT_EQ(config->money02G, 3);
    EXPECT_EQ(config->lossesMoney, 15);
    EXPECT_FLOAT_EQ(config->scandalLevel, 12.0f);
    EXPECT_FLOAT_EQ(config->bonusTimeEffect, 7.0f);
    EXPECT_FALSE(config->hasStartPatience);
    EXPECT_EQ(FindClientConfig("client02"), nullptr);

    LoadClientsConfig(Root("<root/>"));
    EXPECT_TRUE(gClientConfigs.empty()) << "reading empties the registry first";
}

TEST_F(ActorConfigsTest, WorkerTypesAreNumberedInFileOrder)
{
    LoadWorkersConfig(Root(R"(<root><workers tidiness_g_level="70" tidiness_y_level="40" tidiness_r_level="10">
        <worker name="cook" work_time="5" tidiness_up="1" tidiness_down="2" upgrade_work_speed="0.5"
            idle_rastart_time_min="1" idle_rastart_time_max="3" snd_worker_begin="sizzle" product="1000"
            product_type="tea"/>
        <worker product="0001"/>
        <worker name="juicer"/><worker name="cook" work_time="9"/></workers></root>)"));
    EXPECT_FLOAT_EQ(gWorkerTuning.tidinessYLevel, 40.0f);
    const WorkerConfig* cook = FindWorkerConfig("cook");
    const WorkerConfig* juicer = FindWorkerConfig("juicer");
    ASSERT_NE(cook, nullptr);
    ASSERT_NE(juicer, nullptr);
    EXPECT_EQ(cook->sequence, 1);
    EXPECT_EQ(juicer->sequence, 2);
    EXPECT_FLOAT_EQ(cook->workTime, 5.0f);
    EXPECT_FLOAT_EQ(cook->upgradeWorkSpeed, 0.5f);
    EXPECT_FLOAT_EQ(cook->idleRestartMax, 3.0f);
    EXPECT_EQ(cook->workSound, "sizzle");
    EXPECT_EQ(cook->product, "1000");
    EXPECT_EQ(cook->productType, "tea");
    EXPECT_EQ(gWorkerConfigs.size(), 2u);
}

TEST_F(ActorConfigsTest, CharactersAndPeriodItemsAreReadByName)
{
    const pugi::xml_node root = Root(R"(<root>
        <perses><pers name="boss" wash_time="2" speed_bonus="1.5" idle_rastart_time_min="1" idle_rastart_time_max="4"
            idle_stop_frame="6"/><pers wash_time="9"/></perses>
        <period_items><period_item name="cake" timeout_min="3" timeout_max="9"/><period_item timeout_min="1"/>
        </period_items></root>)");
    LoadPersConfig(root);
    LoadPeriodConfig(root);
    const PersConfig* boss = FindPersConfig("boss");
    ASSERT_NE(boss, nullptr);
    EXPECT_FLOAT_EQ(boss->washTime, 2.0f);
    EXPECT_FLOAT_EQ(boss->speedBonus, 1.5f);
    EXPECT_FLOAT_EQ(boss->idleRestartMax, 4.0f);
    EXPECT_EQ(boss->idleStopFrame, 6);
    EXPECT_EQ(gPersConfigs.size(), 1u);
    const PeriodConfig* cake = FindPeriodConfig("cake");
    ASSERT_NE(cake, nullptr);
    EXPECT_FLOAT_EQ(cake->timeoutMin, 3.0f);
    EXPECT_FLOAT_EQ(cake->timeoutMax, 9.0f);
    EXPECT_EQ(gPeriodConfigs.size(), 1u);
}

TEST_F(ActorConfigsTest, AClientWantsItsWishOrSuperAndAnyActiveClientCounts)
{
    TMClientStand client;
    EXPECT_FALSE(client.WantsProduct("", "")) << "without a wish only \"super\" serves";
    EXPECT_TRUE(client.WantsProduct("super", ""));
    client.mValue = "0110";
    struct Case {
        const char* a;
        const char* b;
        bool wants;
    };
    for (const Case c : {Case{"0110", "0", true}, Case{"0", "0110", true}, Case{"0100", "0010", false},
                         Case{"0100", "super", true}, Case{"", "", false}}) {
        SCOPED_TRACE(std::string(c.a) + " " + c.b);
        EXPECT_EQ(client.WantsProduct(c.a, c.b), c.wants);
    }

    EXPECT_FALSE(AnyClientActive());
    client.Register();
    EXPECT_TRUE(AnyClientActive());
    client.Unregister();
    EXPECT_FALSE(AnyClientActive());
    client.Register();
    // A client that goes away leaves the active clients.
    {
        TMClientSit seated;
        seated.Register();
        client.Unregister();
    }
    EXPECT_FALSE(AnyClientActive());
}

TEST_F(ActorConfigsTest, TheBossKeepsAProductInEachHand)
{
    TMBoss boss;
    boss.SetFirstHand("1000");
    boss.SetSecondHand("wash");
    EXPECT_EQ(boss.mValue, "1000");
    EXPECT_EQ(boss.GetFirstHand(), "1000");
    EXPECT_EQ(boss.GetSecondHand(), "wash");
    gBoss = &boss;
    EXPECT_EQ(GetBoss(), &boss);
    TMItem other;
    gBoss = &other;
    EXPECT_EQ(GetBoss(), nullptr);
    gBoss = nullptr;
}

} // namespace
