// Clients without a game board: the configuration, patience and moods, scandals, serving through the place, the
// status they report, the pools, and whole visits of standing and seated clients.
#include "game/TMClient.h"

#include "game/TMBoard_Game3.h"
#include "tests/game/ClientTestKit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <list>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace ClientTest;
using EngineTest::XmlText;

// ---- Configuration -----------------------------------------------------------------------------------------------

class TMClientTest : public ClientSceneFixture {};

TEST_F(TMClientTest, ConfigurationReadsEveryKeyAndTheTuning)
{
    const XmlText config(R"(<root><clients patience_g_level="61.5" patience_y_level="31" patience_r_level="11"
        patience_critical="5" scandal_effect="6" client_juke_box_effect="7" client_reminder_timeout="8"
        client_alpha_blend_time="9" juice_cup_effect="10" client_scandal_bubble_present="2.5">
      <client name="boy" idle_stop_frame="3" idle_restart_time_min="0.5" idle_restart_time_max="1.5"
        client_patience_speed="2.25" client_decision_timeout="4" client_eating_time="5" client_money01_g="31"
        client_money01_y="21" client_money01_r="11" client_money02_g="32" client_money02_y="22" client_money02_r="12"
        client_losses_money="16" client_scandal_level="19" client_scandal_timeout="6" client_bonus_timeout="7"
        client_bonus_time_effect="8"/>
      <client name="kid"/>
    </clients></root>)");
    LoadClientsConfig(config.Root());

    EXPECT_FLOAT_EQ(gClientTuning.patienceGLevel, 61.5f);
    EXPECT_FLOAT_EQ(gClientTuning.patienceYLevel, 31.0f);
    EXPECT_FLOAT_EQ(gClientTuning.patienceRLevel, 11.0f);
    EXPECT_FLOAT_EQ(gClientTuning.patienceCritical, 5.0f);
    EXPECT_FLOAT_EQ(gClientTuning.scandalEffect, 6.0f);
    EXPECT_FLOAT_EQ(gClientTuning.jukeBoxEffect, 7.0f);
    EXPECT_FLOAT_EQ(gClientTuning.reminderTimeout, 8.0f);
    EXPECT_FLOAT_EQ(gClientTuning.alphaBlendTime, 9.0f);
    EXPECT_FLOAT_EQ(gClientTuning.juiceCupEffect, 10.0f);
    EXPECT_FLOAT_EQ(gClientTuning.scandalBubblePresent, 2.5f);

    EXPECT_EQ(FindClientConfig("girl"), nullptr) << "the registry is emptied first";
    const ClientConfig* boy = FindClientConfig("boy");
    ASSERT_NE(boy, nullptr);
    const struct {
        const char* key;
        float value;
        float expected;
    } cases[] = {
        {"idle_stop_frame", float(boy->idleStopFrame), 3},     {"idle_restart_time_min", boy->idleRestartMin, 0.5f},
        {"idle_restart_time_max", boy->idleRestartMax, 1.5f},  {"client_patience_speed", boy->patienceSpeed, 2.25f},
        {"client_decision_timeout", boy->decisionTimeout, 4},  {"client_eating_time", boy->eatingTime, 5},
        {"client_money01_g", float(boy->money01G), 31},        {"client_money01_y", float(boy->money01Y), 21},
        {"client_money01_r", float(boy->money01R), 11},        {"client_money02_g", float(boy->money02G), 32},
        {"client_money02_y", float(boy->money02Y), 22},        {"client_money02_r", float(boy->money02R), 12},
        {"client_losses_money", float(boy->lossesMoney), 16},  {"client_scandal_level", boy->scandalLevel, 19},
        {"client_scandal_timeout", boy->scandalTimeout, 6},    {"client_bonus_timeout", boy->bonusTimeout, 7},
        {"client_bonus_time_effect", boy->bonusTimeEffect, 8},
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(c.value, c.expected) << c.key;
    EXPECT_FALSE(boy->hasStartPatience);
    EXPECT_FLOAT_EQ(boy->startPatience, 100.0f);

    const ClientConfig* kid = FindClientConfig("kid");
    ASSERT_NE(kid, nullptr) << "a kind without keys is configured with its presets";
    EXPECT_FLOAT_EQ(kid->patienceSpeed, 0.0f);
    EXPECT_EQ(kid->money01G, 0);
}

TEST_F(TMClientTest, BadConfigurationIsLoggedAndTheRestIsRead)
{
    const XmlText config(R"(<root><clients patience_g_level="abc" patience_y_level="40">
      <client client_money01_g="99"/>
      <client name="boy" client_money01_g="12" client_patience_speed="fast" client_losses_money=""/>
      <client name="boy" client_money01_g="77"/>
      <client name="kid" client_money01_y="-8" client_money01_r="1e3" client_eating_time="-.5"/>
    </clients></root>)");
    gClientTuning.patienceGLevel = 60.0f;
    TestHelpers::LogCapture log;
    LoadClientsConfig(config.Root());

    EXPECT_FLOAT_EQ(gClientTuning.patienceGLevel, 60.0f) << "a value that is no number keeps the field";
    EXPECT_FLOAT_EQ(gClientTuning.patienceYLevel, 40.0f);
    EXPECT_TRUE(log.Has("patience_g_level")) << "named with the element and the key";
    EXPECT_TRUE(log.Has("\"client\" element 1 has no \"name\""));
    EXPECT_EQ(gClientConfigs.size(), 2u);

    const ClientConfig* boy = FindClientConfig("boy");
    ASSERT_NE(boy, nullptr);
    EXPECT_EQ(boy->money01G, 12) << "the first definition of a name stays";
    EXPECT_FLOAT_EQ(boy->patienceSpeed, 0.0f);
    EXPECT_EQ(boy->lossesMoney, 0);
    EXPECT_TRUE(log.Has("cfg\\cfg.xml: client \"boy\": \"client_patience_speed\" is not a number"));
    EXPECT_TRUE(log.Has("client \"boy\" is defined again"));
    const ClientConfig* kid = FindClientConfig("kid");
    EXPECT_EQ(kid->money01Y, -8);
    EXPECT_EQ(kid->money01R, 0);
    EXPECT_TRUE(log.Has("\"client_money01_r\" is not a number (\"1e3\")"));
    EXPECT_FLOAT_EQ(kid->eatingTime, -0.5f);

    const XmlText none(R"(<root><workers/></root>)");
    LoadClientsConfig(none.Root());
    EXPECT_TRUE(gClientConfigs.empty());
    EXPECT_TRUE(log.Has("no \"clients\" element"));
}

// ---- Seating -----------------------------------------------------------------------------------------------------

TEST_F(TMClientTest, ActivatedClientsWaitHiddenInTheirPoolsInLevelOrder)
{
    LoadScene();
    TMClientStand* first = Stand("client1");
    EXPECT_FALSE(first->IsVisible());
    EXPECT_EQ(first->GetState(), 0);
    EXPECT_FALSE(first->IsStatActive());
    EXPECT_EQ(gStandClientPool, (std::list<TMClientStand*>{first, Stand("client2")}));
    EXPECT_EQ(gSitClientPool, (std::list<TMClientSit*>{Sit("client_sit1")}));
    EXPECT_FALSE(first->IsReuseRunning());
    EXPECT_FALSE(TMItem::FindByName("client_place1")->FindPart("bar")->IsVisible());
    EXPECT_FALSE(AnyClientActive());
    EXPECT_EQ(gClientsByName.size(), 3u);
}

TEST_F(TMClientTest, SeatingAStandingClientShowsItWithTheOrdersKindAndTakesAReference)
{
    LoadScene();
    TimePoint* order = Order("girl", {"0100", "sit", "0010"});
    ASSERT_TRUE(SeatStandClient(order, 0, 80.0f));

    TMClientStand* client = Stand("client1");
    EXPECT_EQ(client->GetState(), 1);
    EXPECT_TRUE(client->IsVisible());
    EXPECT_EQ(client->GetSkin(), "girl");
    EXPECT_EQ(client->GetConfig(), FindClientConfig("girl"));
    EXPECT_FLOAT_EQ(client->GetPatience(), 80.0f);
    EXPECT_EQ(client->GetOrder(), order);
    EXPECT_EQ(order->refCount, 1);
    EXPECT_EQ(client->GetCurrentAnimation(), "direct_green");
    EXPECT_TRUE(client->GetWantedProduct().empty());
    EXPECT_EQ(gClients, (std::list<TMClient*>{client}));
    EXPECT_EQ(gStandClientPool, (std::list<TMClientStand*>{Stand("client2")}));

    TMItem* place = TMItem::FindByName("client_place1");
    EXPECT_TRUE(place->FindPart("bar")->IsVisible());
    EXPECT_EQ(place->GetCurrentAnimation(), "tray") << "a \"sit\" entry lies ahead";

    TimePoint* takeAway = Order("girl", {"0001"});
    ASSERT_TRUE(SeatStandClient(takeAway, 0, 100.0f));
    EXPECT_EQ(TMItem::FindByName("client_place2")->GetCurrentAnimation(), "pack");
    EXPECT_FALSE(SeatStandClient(takeAway, 0, 100.0f)) << "no standing client is left";
    EXPECT_EQ(takeAway->refCount, 1);
}

TEST_F(TMClientTest, AKindWithoutConfigurationIsNotSeated)
{
    LoadScene();
    TimePoint* order = Order("ghost", {"0100"});
    TestHelpers::LogCapture log;
    EXPECT_FALSE(SeatStandClient(order, 0, 100.0f));
    EXPECT_FALSE(SeatSitClient(order, 0, 100.0f));
    EXPECT_TRUE(log.Has("kind \"ghost\" has no configuration"));
    EXPECT_EQ(order->refCount, 0);
    EXPECT_EQ(gStandClientPool.size(), 2u);
    EXPECT_EQ(gSitClientPool.size(), 1u);
    EXPECT_FALSE(AnyClientActive());
    EXPECT_FALSE(SeatStandClient(nullptr, 0, 100.0f));
}

TEST_F(TMClientTest, HidingAClientTwiceLeavesItOnceInItsPool)
{
    LoadScene();
    TimePoint* order = Order("girl", {"0100"});
    ASSERT_TRUE(SeatStandClient(order, 0, 100.0f));
    TMClientStand* client = Stand("client1");
    client->SetVisible(false);
    client->SetVisible(false);
    EXPECT_EQ(CountIn(gStandClientPool, client), 1u);
    EXPECT_FALSE(AnyClientActive()) << "hiding unregisters";

    TMClientSit* sit = Sit("client_sit1");
    sit->SetVisible(false);
    sit->SetVisible(false);
    EXPECT_EQ(CountIn(gSitClientPool, sit), 1u);
}

// ---- Patience ----------------------------------------------------------------------------------------------------

TEST_F(TMClientTest, ChangePatienceClampsAndReentersTheStateOnlyWhenRisingThroughALevel)
{
    LoadScene();
    const struct {
        const char* name;
        float start;
        float delta;
        float patience;
        bool patient;
        const char* animation; // "direct_green" (the seat's) means the state was not re-entered
    } cases[] = {
        {"exactly 0 keeps the flag", 10, -10, 0, true, "direct_green"},
        {"below 0 clears it", 10, -10.5f, 0, false, "direct_green"},
        {"above 100", 90, 50, 100, true, "direct_green"},
        {"up within red", 2, 5, 7, true, "direct_green"},
        {"up through red", 5, 10, 15, true, "discontent"},
        {"up through yellow", 25, 10, 35, true, "idle_yellow"},
        {"up through green", 55, 10, 65, true, "idle_green"},
        {"up through all three", 5, 70, 75, true, "idle_green"},
        {"up onto a level", 20, 10, 30, true, "direct_green"},
        {"down through yellow", 35, -10, 25, true, "direct_green"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TimePoint* order = Order("girl", {"0100"});
        ASSERT_TRUE(SeatStandClient(order, 0, c.start));
        TMClientStand* client = Stand("client1");
        EXPECT_FLOAT_EQ(client->ChangePatience(c.delta), c.patience);
        EXPECT_EQ(client->IsPatient(), c.patient);
        EXPECT_EQ(client->GetCurrentAnimation(), c.animation);
        client->SetState(0);
        Step(0.0f);
        ASSERT_EQ(gStandClientPool.back(), client);
        // Put the first client back at the head of the pool for the next case.
        gStandClientPool.remove(client);
        gStandClientPool.push_front(client);
    }
}

TEST_F(TMClientTest, WaitingDrainsPatienceAndFallingThroughALevelChangesTheMood)
{
    LoadScene();
    TimePoint* order = Order("girl", {"0100"});
    ASSERT_TRUE(SeatStandClient(order, 0, 65.0f));
    TMClientStand* client = Stand("client1");
    Step(0.25f); // 10 points a second
    EXPECT_FLOAT_EQ(client->GetPatience(), 62.5f);
    EXPECT_EQ(client->GetCurrentAnimation(), "direct_green");
    Step(0.25f);
    EXPECT_FLOAT_EQ(client->GetPatience(), 60.0f);
    EXPECT_EQ(client->GetCurrentAnimation(), "idle_yellow") << "at the green level it is no longer green";
    Step(1.0f, 3);
    EXPECT_EQ(client->GetCurrentAnimation(), "discontent");

    // The state holds while deciding (2): no drain.
    TimePoint* other = Order("girl", {"0100"});
    ASSERT_TRUE(SeatStandClient(other, 0, 90.0f));
    TMClientStand* second = Stand("client2");
    second->SetState(2);
    Step(0.5f);
    EXPECT_FLOAT_EQ(second->GetPatience(), 90.0f);
}

TEST_F(TMClientTest, AScandalLowersEveryActiveClientAndWaitsForItsTimeout)
{
    LoadScene();
    TimePoint* first = Order("girl", {"0100"});
    TimePoint* second = Order("girl", {"0100"});
    TimePoint* seated = Order("girl", {"0100"});
    ASSERT_TRUE(SeatStandClient(first, 0, 21.0f));
    ASSERT_TRUE(SeatStandClient(second, 0, 90.0f));
    ASSERT_TRUE(SeatSitClient(seated, 0, 70.0f));
    TMClientStand* angry = Stand("client1");
    TMClientStand* calm = Stand("client2");
    TMClientSit* eating = Sit("client_sit1");

    Step(0.1f); // 21 -> 20: the scandal level
    EXPECT_FLOAT_EQ(angry->GetPatience(), 15.0f) << "the scandal lowers its maker too";
    EXPECT_FLOAT_EQ(calm->GetPatience(), 84.0f);
    EXPECT_FLOAT_EQ(eating->GetPatience(), 65.0f) << "eating clients are active too";
    EXPECT_EQ(angry->GetCurrentAnimation(), "scandal");
    EXPECT_TRUE(angry->IsScandalBubbleShown());
    std::string name;
    EXPECT_TRUE(angry->GetStatAnimName(name));
    EXPECT_EQ(name, "scandal");
    EXPECT_TRUE(angry->GetStatIconName(name));
    EXPECT_EQ(name, "aggro");

    Step(0.1f);
    EXPECT_FLOAT_EQ(calm->GetPatience(), 83.0f) << "no second scandal while its countdown runs";
    angry->ChangePatience(100.0f); // keeps it waiting
    Step(2.0f);
    EXPECT_FALSE(angry->IsScandalBubbleShown());
    EXPECT_TRUE(angry->IsScandalRunning());
    Step(3.0f);
    EXPECT_FALSE(angry->IsScandalRunning());
    angry->ChangePatience(21.0f - angry->GetPatience());
    const float before = calm->GetPatience();
    Step(0.1f);
    EXPECT_FLOAT_EQ(calm->GetPatience(), before - 1.0f - 5.0f) << "the next scandal";
}

TEST_F(TMClientTest, AClientOutOfPatienceLeavesUnhappyAndCanComeBackPatient)
{
    LoadScene();
    TimePoint* order = Order("girl", {"0100"});
    ASSERT_TRUE(SeatStandClient(order, 0, 1.0f));
    TMClientStand* client = Stand("client1");
    Step(0.2f);
    EXPECT_EQ(client->GetState(), 0);
    EXPECT_EQ(client->GetCurrentAnimation(), "go_unhappy");
    EXPECT_FALSE(client->IsVisible());
    EXPECT_EQ(client->GetOrder(), nullptr);
    EXPECT_EQ(order->refCount, 0);
    EXPECT_TRUE(order->params.empty()) << "the last reference resets the order";
    EXPECT_FALSE(AnyClientActive());
    EXPECT_EQ(VisibleParts("cash"), 1) << "the loss pops up";

    // Taken again from the pool, it waits with the patience it is given instead of leaving at once.
    gStandClientPool.remove(client);
    gStandClientPool.push_front(client);
    TimePoint* next = Order("girl", {"0100"});
    ASSERT_TRUE(SeatStandClient(next, 0, 50.0f));
    Step(0.1f);
    EXPECT_EQ(client->GetState(), 1);
    EXPECT_TRUE(client->IsPatient());
    EXPECT_FLOAT_EQ(client->GetPatience(), 49.0f);
}

// ---- Serving -----------------------------------------------------------------------------------------------------

TEST_F(TMClientTest, TheBossServesWithEitherHandAndSuperServesAnything)
{
    const struct {
        const char* name;
        const char* first;
        const char* second;
        bool served;
        const char* firstAfter;
        const char* secondAfter;
    } cases[] = {
        {"first hand", "0100", "", true, "", ""},
        {"first hand, the second moves over", "0100", "0001", true, "0001", ""},
        {"second hand", "0001", "0100", true, "0001", ""},
        {"super in the first", "super", "0001", true, "0001", ""},
        {"super in the second", "0001", "super", true, "0001", ""},
        {"wrong products", "0001", "0010", false, "0001", "0010"},
        {"empty hands", "", "", false, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoadScene();
        TMBoss* boss = GetBoss();
        ASSERT_NE(boss, nullptr);
        TimePoint* order = Order("girl", {"0100", "0010"});
        ASSERT_TRUE(SeatStandClient(order, 0, 100.0f));
        TMClientStand* client = Stand("client1");
        client->SetState(2);
        Step(1.0f); // the decision
        ASSERT_EQ(client->GetWantedProduct(), "0100");
        ASSERT_EQ(client->GetState(), 1);
        EXPECT_TRUE(client->WantsProduct("0100", "") && client->WantsProduct("", "super"));
        EXPECT_FALSE(client->WantsProduct("0010", ""));

        boss->SetFirstHand(c.first);
        boss->SetSecondHand(c.second);
        EXPECT_EQ(ServeAt("client_place1"), c.served);
        EXPECT_EQ(boss->GetFirstHand(), c.firstAfter);
        EXPECT_EQ(boss->GetSecondHand(), c.secondAfter);
        EXPECT_EQ(client->GetState(), c.served ? 2 : 1) << "served, it thinks about the next product";
        EXPECT_EQ(VisibleParts("cash"), c.served ? 1 : 0) << "the payment pops up";
        EXPECT_EQ(TMItem::FindByName("client_place1")->FindPart("client_money")->GetCurrentAnimation(),
                  c.served ? "activation" : "");
        ActivateLevelObjects(false);
        ClearLevelObjects();
    }
}

TEST_F(TMClientTest, OnlyTheBossReachesAReadyClient)
{
    LoadScene();
    TimePoint* order = Order("girl", {"0100"});
    ASSERT_TRUE(SeatStandClient(order, 0, 100.0f));
    TMClientStand* client = Stand("client1");
    TMItem* place = TMItem::FindByName("client_place1");
    EXPECT_FALSE(place->Interact(TMItem::FindByName("worker1"), true, nullptr));
    EXPECT_FALSE(place->Interact(nullptr, true, nullptr));
    EXPECT_TRUE(place->Interact(gBoss, true, nullptr)) << "a client without a wish gives its order";
    EXPECT_EQ(client->GetState(), 1) << "the check changes nothing";
    EXPECT_FALSE(place->Interact(gBoss, false, nullptr));
    EXPECT_EQ(client->GetState(), 2);
    EXPECT_EQ(client->GetCurrentAnimation(), "idle_thinking");
    EXPECT_FALSE(place->Interact(gBoss, true, nullptr)) << "a thinking client is no target";
    EXPECT_FALSE(TMItem::FindByName("client_place2")->Interact(gBoss, true, nullptr)) << "an empty place";
}

TEST_F(TMClientTest, ANestedSetStateOfTheSameLevelIsIgnored)
{
    /// Tries to start thinking while it is being sent away.
    class NestingClient : public TMClientStand {
    public:
        void SetVisible(bool visible) override
        {
            if (!visible && GetState() == 1)
                SetState(2);
            TMClientStand::SetVisible(visible);
        }
    };
    RegisterItemFactory("nesting", []() -> TMItem* { return new NestingClient(); });
    const std::string objects = std::string(kClientObjects) + R"(<object class="nesting" name="client3">
        <part name="client_stand_up"/></object>)";
    LoadScene(objects, std::string(kClientLevelObjects) + R"(<object name="client3"/>)");
    gStandClientPool.clear();
    auto* client = static_cast<NestingClient*>(gStandClientsByName.at("client3"));
    gStandClientPool.push_back(client);
    TimePoint* order = Order("girl", {"0100"});
    ASSERT_TRUE(SeatStandClient(order, 0, 100.0f));
    Step(0.5f);
    client->SetState(0);
    EXPECT_EQ(client->GetState(), 0);
    EXPECT_LT(client->GetActionRemaining(), 0.0f) << "the nested call started no decision";
    EXPECT_EQ(client->GetCurrentAnimation(), "go_happy");
    EXPECT_FALSE(client->IsVisible());
    EXPECT_EQ(order->refCount, 0);
    EXPECT_EQ(CountIn(gStandClientPool, client), 1u);
}

TEST_F(TMClientTest, TheMoodAnimationsReplayAfterTheBodysGreetingAndOnMouseOver)
{
    LoadScene();
    TimePoint* order = Order("girl", {"0100"});
    ASSERT_TRUE(SeatStandClient(order, 0, 25.0f));
    TMClientStand* client = Stand("client1");
    TMItemPart* body = client->FindPart("client_stand_up");
    client->OnAnimationEnd(client->FindPart("cash"), "direct_green");
    EXPECT_EQ(client->GetCurrentAnimation(), "direct_green") << "only the body's greeting counts";
    client->OnAnimationEnd(body, "direct_green");
    EXPECT_EQ(client->GetCurrentAnimation(), "discontent");

    client->SetMouseOver({0, 0}, true);
    EXPECT_EQ(client->GetCurrentAnimation(), "direct_yellow") << "not above the yellow level";
    EXPECT_TRUE(client->GetMouseOverFlag());
    client->OnAnimationEnd(body, "direct_yellow");
    EXPECT_EQ(client->GetCurrentAnimation(), "discontent");
    client->ChangePatience(50.0f);
    EXPECT_EQ(client->GetCurrentAnimation(), "idle_green");
    client->SetMouseOver({0, 0}, false);
    client->SetMouseOver({0, 0}, true);
    EXPECT_EQ(client->GetCurrentAnimation(), "direct_green");
}

// ---- Status ------------------------------------------------------------------------------------------------------

TEST_F(TMClientTest, StatusOverTheVisit)
{
    LoadScene();
    TMClientStand* stand = Stand("client1");
    TMClientSit* sit = Sit("client_sit1");
    std::string name;
    float value = 0.0f;
    EXPECT_FALSE(stand->GetStatAnimName(name));
    EXPECT_FALSE(stand->GetStatValue(value));
    EXPECT_FALSE(stand->IsStatActive());

    TimePoint* order = Order("girl", {"0100", "0010", "sit", "0001"});
    ASSERT_TRUE(SeatStandClient(order, 0, 75.0f));
    const auto expect = [&](TMClient* client, const char* anim, const char* icon) {
        if (anim) {
            EXPECT_TRUE(client->GetStatAnimName(name));
            EXPECT_EQ(name, anim);
        } else {
            EXPECT_FALSE(client->GetStatAnimName(name));
        }
        EXPECT_TRUE(client->GetStatIconName(name));
        EXPECT_EQ(name, icon);
    };
    {
        SCOPED_TRACE("ready without a wish");
        expect(stand, "ready", "client");
        EXPECT_TRUE(stand->GetStatValue(value));
        EXPECT_FLOAT_EQ(value, 75.0f);
        EXPECT_TRUE(stand->IsStatActive());
    }
    stand->SetState(2);
    {
        SCOPED_TRACE("deciding");
        expect(stand, "think", "client");
        EXPECT_TRUE(stand->IsStatBusy());
    }
    Step(1.0f);
    {
        SCOPED_TRACE("wishing with more to come");
        expect(stand, "0100", "multi_client");
    }
    GetBoss()->SetFirstHand("0100");
    ASSERT_TRUE(ServeAt("client_place1"));
    Step(1.0f);
    {
        SCOPED_TRACE("wishing with a seat next");
        expect(stand, "0010", "client");
    }
    {
        SCOPED_TRACE("a seated client");
        TimePoint* seated = Order("girl", {"0100"});
        ASSERT_TRUE(SeatSitClient(seated, 0, 50.0f));
        expect(sit, nullptr, "small");
        EXPECT_TRUE(sit->IsStatBusy());
        Step(2.0f);
        expect(sit, "0100", "small");
    }
}

// ---- Places ------------------------------------------------------------------------------------------------------

TEST_F(TMClientTest, PlacesLeadToTheirOccupants)
{
    const std::string objects = std::string(kClientObjects) + R"(
        <object class="pickable" name="table2"/><object class="item" name="worker2"/>
        <object class="pickable" name="tablex"/><object class="pickable" name="client_place"/>
        <object class="pickable" name="client_place9"/>)";
    LoadScene(objects, std::string(kClientLevelObjects) + R"(<object name="table2"/><object name="tablex"/>)");
    const struct {
        const char* place;
        const char* occupant; // null: none
    } cases[] = {
        {"table1", "worker1"},        {"table2", nullptr}, // worker2 is not in the level
        {"client_place1", "client1"}, {"client_place2", "client2"}, {"client_sit_place1", "client_sit1"},
        {"tablex", nullptr},          {"client_place", nullptr},    {"client_place9", nullptr},
        {"client1", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.place);
        TMItem* place = TMItem::FindByName(c.place);
        ASSERT_NE(place, nullptr);
        EXPECT_EQ(FindGamePlaceOccupant(place), c.occupant ? TMItem::FindByName(c.occupant) : nullptr);
        EXPECT_EQ(FindPlaceOccupant(place), FindGamePlaceOccupant(place)) << "installed for the engine";
    }
    EXPECT_EQ(FindGamePlaceOccupant(nullptr), nullptr);
    EXPECT_EQ(Stand("client2")->GetPlace(), TMItem::FindByName("client_place2"));
    EXPECT_EQ(Sit("client_sit1")->GetPlace(), TMItem::FindByName("client_sit_place1"));
}

TEST_F(TMClientTest, AClientWithoutItsPlaceIsServedWithoutIt)
{
    const std::string objects = R"(<object class="boss" name="boss"/>
        <object class="client" name="client7"><part name="client_stand_up"/></object>
        <object class="pickable" name="client_place8"/>
        <object class="client" name="client8"><part name="client_stand_up"/></object>)";
    TestHelpers::LogCapture log;
    LoadScene(objects, R"(<object name="boss"/><object name="client7"/><object name="client8"/>
        <object name="client_place8"/>)");
    EXPECT_TRUE(log.Has("client client7: no place item"));
    EXPECT_TRUE(log.Has("client client8: its place client_place8 has no part \"client_money\""));
    EXPECT_TRUE(log.Has("client client8: its place client_place8 has no part \"bar\""));

    TimePoint* order = Order("girl", {"0100"});
    ASSERT_TRUE(SeatStandClient(order, 0, 100.0f));
    TMClientStand* client = Stand("client7");
    client->SetState(2);
    Step(1.0f);
    GetBoss()->SetFirstHand("0100");
    EXPECT_TRUE(client->Interact(gBoss, true, nullptr));
    client->Interact(gBoss, false, nullptr);
    EXPECT_EQ(client->GetState(), 0) << "paid and gone";
    EXPECT_EQ(order->refCount, 0);
}

// ---- Whole visits ------------------------------------------------------------------------------------------------

TEST_F(TMClientTest, AVisitStandsSitsDownEatsAndLeaves)
{
    LoadScene();
    TMBoss* boss = GetBoss();
    TimePoint* order = Order("girl", {"0100", "sit", "0010"});
    ASSERT_TRUE(SeatStandClient(order, 0, 100.0f));
    TMClientStand* stand = Stand("client1");
    TMClientSit* sit = Sit("client_sit1");

    ASSERT_TRUE(ServeAt("client_place1")) << "the order is taken";
    EXPECT_EQ(stand->GetState(), 2);
    Step(0.5f);
    EXPECT_EQ(stand->GetState(), 2) << "still thinking";
    Step(0.5f);
    EXPECT_EQ(stand->GetState(), 1);
    EXPECT_EQ(stand->GetWantedProduct(), "0100");

    boss->SetFirstHand("0100");
    ASSERT_TRUE(ServeAt("client_place1"));
    EXPECT_EQ(stand->GetState(), 3) << "it wants a seat";
    EXPECT_EQ(stand->GetOrderCursor(), 2u);
    Step(0.1f);
    EXPECT_EQ(stand->GetState(), 0);
    EXPECT_EQ(stand->GetCurrentAnimation(), "go_sitting");
    EXPECT_EQ(stand->GetOrder(), nullptr);
    EXPECT_EQ(sit->GetState(), 2) << "the seated client eats";
    EXPECT_TRUE(sit->IsVisible());
    EXPECT_EQ(sit->GetCurrentAnimation(), "eating_process");
    EXPECT_EQ(sit->GetOrder(), order);
    EXPECT_EQ(order->refCount, 1) << "handed over, one holder";
    EXPECT_EQ(gClients, (std::list<TMClient*>{sit}));
    EXPECT_EQ(CountIn(gStandClientPool, stand), 1u);

    Step(2.5f);
    EXPECT_EQ(sit->GetState(), 1);
    EXPECT_EQ(sit->GetWantedProduct(), "0010");
    EXPECT_FALSE(ServeAt("client_place1")) << "the standing place is empty now";
    boss->SetFirstHand("0010");
    ASSERT_TRUE(ServeAt("client_sit_place1"));
    EXPECT_EQ(sit->GetState(), 0);
    EXPECT_EQ(sit->GetCurrentAnimation(), "go_happy");
    EXPECT_FALSE(sit->IsVisible());
    EXPECT_EQ(sit->GetOrder(), nullptr);
    EXPECT_EQ(order->refCount, 0) << "released once: the count never goes below 0";
    EXPECT_TRUE(order->params.empty());
    EXPECT_EQ(CountIn(gSitClientPool, sit), 1u);
    EXPECT_FALSE(AnyClientActive());
    EXPECT_EQ(VisibleParts("cash"), 2) << "two payments";
}

TEST_F(TMClientTest, ASeatedClientPassesOverAnotherSit)
{
    LoadScene();
    TMBoss* boss = GetBoss();
    TimePoint* order = Order("girl", {"sit", "0010", "sit", "sit", "0001", "sit"});
    ASSERT_TRUE(SeatSitClient(order, 1, 100.0f));
    TMClientSit* sit = Sit("client_sit1");
    Step(2.5f);
    ASSERT_EQ(sit->GetWantedProduct(), "0010");
    boss->SetFirstHand("0010");
    ASSERT_TRUE(ServeAt("client_sit_place1"));
    EXPECT_EQ(sit->GetState(), 2) << "it eats and goes on to the next product";
    Step(2.5f);
    EXPECT_EQ(sit->GetState(), 1);
    EXPECT_EQ(sit->GetWantedProduct(), "0001");
    boss->SetFirstHand("0001");
    ASSERT_TRUE(ServeAt("client_sit_place1"));
    EXPECT_EQ(sit->GetState(), 0) << "a last \"sit\" is nothing more to wait for";
    EXPECT_EQ(order->refCount, 0);
    EXPECT_FALSE(AnyClientActive());
}

TEST_F(TMClientTest, LeavingTheLevelLetsGoOfOrdersAndPools)
{
    LoadScene();
    TimePoint* order = Order("girl", {"0100"});
    TimePoint* seated = Order("girl", {"0100"});
    ASSERT_TRUE(SeatStandClient(order, 0, 100.0f));
    ASSERT_TRUE(SeatSitClient(seated, 0, 100.0f));
    ActivateLevelObjects(false);
    EXPECT_FALSE(AnyClientActive());
    EXPECT_TRUE(gStandClientPool.empty());
    EXPECT_TRUE(gSitClientPool.empty());
    EXPECT_EQ(order->refCount, 0);
    EXPECT_EQ(seated->refCount, 0);
    ClearLevelObjects();
    EXPECT_TRUE(gClientsByName.empty());
    EXPECT_TRUE(gStandClientsByName.empty());
    EXPECT_TRUE(gSitClientsByName.empty());
}

TEST_F(TMClientTest, ApplyingPatienceToAllClientsRaisesOrLowersTheActiveOnes)
{
    LoadScene();
    TimePoint* order = Order("girl", {"0100"});
    ASSERT_TRUE(SeatStandClient(order, 0, 50.0f));
    TMClientStand* client = Stand("client1");
    const struct {
        int mode;
        float amount;
        float patience;
    } cases[] = {{1, 10, 60}, {2, 15, 45}, {0, 10, 45}, {3, 10, 45}};
    for (const auto& c : cases) {
        ApplyPatienceToAllClients(c.mode, c.amount);
        EXPECT_FLOAT_EQ(client->GetPatience(), c.patience) << "mode " << c.mode;
    }
    EXPECT_FLOAT_EQ(Stand("client2")->GetPatience(), 100.0f) << "pooled clients are not active";
}

} // namespace

namespace {

using namespace ClientTest;

// ---- On the game board -------------------------------------------------------------------------------------------

/// The clients with a game board of their own (no application): the board books their money and lives, and holds
/// the ice reward and the standing clients' pause.
class TMClientOnBoardTest : public ClientSceneFixture {
protected:
    void SetUp() override
    {
        ClientSceneFixture::SetUp();
        mBoard = std::make_unique<TMBoard_Game3>(nullptr, pugi::xml_node());
        ASSERT_EQ(gGameBoard, mBoard.get());
    }

    void TearDown() override
    {
        ClientSceneFixture::TearDown();
        mBoard.reset();
        gTimePointPool.Clear();
    }

    /// A standing client with the wish "0100" and the patience, served with it.
    void ServeWithPatience(float patience)
    {
        mOrder = Order("girl", {"0100"});
        ASSERT_TRUE(SeatStandClient(mOrder, 0, patience + 10.0f));
        Stand("client1")->SetState(2);
        Step(1.0f); // decides, then waits a second's worth of patience less
        ASSERT_FLOAT_EQ(Stand("client1")->GetPatience(), patience);
        GetBoss()->SetFirstHand("0100");
        ASSERT_TRUE(ServeAt("client_place1"));
    }

    std::unique_ptr<TMBoard_Game3> mBoard;
    TimePoint* mOrder = nullptr;
};

TEST_F(TMClientOnBoardTest, APaymentGoesByTheMood)
{
    const struct {
        float patience;
        int money;
    } cases[] = {{70, 30}, {60.5f, 30}, {60, 20}, {45, 20}, {30, 10}, {25, 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.patience);
        LoadScene();
        mBoard->mMoney = 0;
        ServeWithPatience(c.patience);
        EXPECT_EQ(mBoard->mMoney, c.money);
        EXPECT_FLOAT_EQ(Stand("client1")->GetPatience(), c.patience + 4.0f) << "the bonus time effect";
        EXPECT_EQ(Stand("client1")->GetState(), 0) << "the order is done";
        ActivateLevelObjects(false);
        ClearLevelObjects();
    }
}

TEST_F(TMClientOnBoardTest, MoneyIsBookedWhenNoPopUpIsFree)
{
    LoadScene();
    for (const auto& part : gBonusItem->GetParts())
        part->SetVisible(true);
    ServeWithPatience(70.0f);
    EXPECT_EQ(mBoard->mMoney, 30);
}

TEST_F(TMClientOnBoardTest, ALeavingClientCostsMoneyAndInSurvivalALife)
{
    const struct {
        bool survival;
        int money;
        int lives;
    } cases[] = {{false, 25, TMBoard_Game3::kSurvivalLives}, {true, 40, TMBoard_Game3::kSurvivalLives - 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.survival ? "survival" : "career");
        LoadScene();
        mBoard->mSurvival = c.survival;
        mBoard->mMoney = 40;
        TimePoint* order = Order("girl", {"0100"});
        ASSERT_TRUE(SeatStandClient(order, 0, 1.0f));
        Step(0.2f);
        EXPECT_EQ(Stand("client1")->GetState(), 0);
        EXPECT_EQ(mBoard->mMoney, c.money) << "survival books no losses";
        EXPECT_EQ(mBoard->GetLives(), c.lives);
        ActivateLevelObjects(false);
        ClearLevelObjects();
    }
}

TEST_F(TMClientOnBoardTest, IceHoldsThePatienceAndTheScandalPause)
{
    LoadScene();
    TimePoint* order = Order("girl", {"0100"});
    ASSERT_TRUE(SeatStandClient(order, 0, 21.0f));
    TMClientStand* client = Stand("client1");
    Step(0.1f); // the scandal: 5 seconds before the next
    ASSERT_TRUE(client->IsScandalRunning());
    mBoard->GetIceCountdown().Start(100.0f);
    Step(1.0f, 10);
    EXPECT_FLOAT_EQ(client->GetPatience(), 15.0f) << "nothing drains";
    EXPECT_TRUE(client->IsScandalRunning()) << "the scandal pause stands still";
    EXPECT_FLOAT_EQ(client->ChangePatience(5.0f), 20.0f) << "a rise still counts";
    EXPECT_FLOAT_EQ(client->ChangePatience(-5.0f), 20.0f);

    mBoard->GetIceCountdown().Start(0.0f);
    Step(1.0f);
    EXPECT_FLOAT_EQ(client->GetPatience(), 10.0f);
}

TEST_F(TMClientOnBoardTest, AStandingClientPausesBeforeItIsSeatedAgain)
{
    const EngineTest::XmlText config(R"(<root><level client_pause="3"/></root>)");
    mBoard->ReadLevelBonusParams(config.Root());
    LoadScene();
    TimePoint* first = Order("girl", {"0100"});
    ASSERT_TRUE(SeatStandClient(first, 0, 100.0f));
    TMClientStand* client = Stand("client1");
    EXPECT_FALSE(client->IsReuseRunning()) << "activation clears the pause";
    client->SetState(0);
    EXPECT_TRUE(client->IsReuseRunning());
    EXPECT_EQ(gStandClientPool, (std::list<TMClientStand*>{Stand("client2"), client}));

    TimePoint* second = Order("girl", {"0100"});
    TimePoint* third = Order("girl", {"0100"});
    ASSERT_TRUE(SeatStandClient(second, 0, 100.0f));
    EXPECT_FALSE(SeatStandClient(third, 0, 100.0f)) << "the only free client still pauses";
    EXPECT_EQ(third->refCount, 0);
    Step(1.0f, 3);
    EXPECT_TRUE(SeatStandClient(third, 0, 100.0f));
    EXPECT_EQ(client->GetOrder(), third);
}

TEST_F(TMClientOnBoardTest, AGeneratedOrderGoesBackToThePoolOnceItsLastClientLeaves)
{
    LoadScene();
    mBoard->mEvents.mMode = EventQueue::kModeGenerated;
    auto* order = new TimePoint; // the pool takes it over
    order->type = "girl";
    order->params = {"0100", "sit", "0010"};
    ASSERT_TRUE(SeatStandClient(order, 0, 100.0f));
    TMClientStand* stand = Stand("client1");
    stand->SetState(2);
    Step(1.0f);
    GetBoss()->SetFirstHand("0100");
    ASSERT_TRUE(ServeAt("client_place1"));
    Step(0.1f); // handed to the seated client
    EXPECT_FALSE(gTimePointPool.Contains(order)) << "the seated client still holds it";
    EXPECT_EQ(order->params.size(), 3u);
    Step(2.5f);
    GetBoss()->SetFirstHand("0010");
    ASSERT_TRUE(ServeAt("client_sit_place1"));
    EXPECT_TRUE(gTimePointPool.Contains(order));
    EXPECT_EQ(gTimePointPool.Size(), 1u);
    EXPECT_TRUE(order->params.empty());
    EXPECT_EQ(order->refCount, 0);
}

} // namespace
