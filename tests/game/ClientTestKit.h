#pragma once

// Clients on a scene of their own, without a game board: the game's factory rows for the boss, the clients and the
// cash pop-ups, the place-occupant lookup, a client configuration, animation files with every sequence a client,
// its place and the pop-ups play, and a level with two standing clients, one seated client and their places.

#include "engine/EventQueue.h"
#include "engine/GameClock.h"
#include "engine/ItemFactory.h"
#include "engine/TMItemPart.h"
#include "game/TMBoss.h"
#include "game/TMClient.h"
#include "game/TMItemBonus.h"
#include "tests/TestHelpers.h"
#include "tests/engine/SceneTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace ClientTest {

/// The tuning and one client kind "girl": green above 60, yellow above 30, red level 10; scandal at 20.
inline constexpr const char* kClientsConfig = R"(<root>
  <clients patience_g_level="60" patience_y_level="30" patience_r_level="10" scandal_effect="5"
           client_scandal_bubble_present="2">
    <client name="girl" idle_stop_frame="0" idle_restart_time_min="1" idle_restart_time_max="2"
            client_patience_speed="10" client_decision_timeout="1" client_eating_time="2"
            client_money01_g="30" client_money01_y="20" client_money01_r="10" client_losses_money="15"
            client_scandal_level="20" client_scandal_timeout="5" client_bonus_timeout="3"
            client_bonus_time_effect="4"/>
  </clients>
</root>)";

/// The client's objects of a scene: two standing clients, a seated one, their places (with the money part and the
/// bar), the boss, the cash pop-ups (three "cash" parts and one "bonus"), a table with its worker.
inline constexpr const char* kClientObjects = R"(
    <object class="boss" name="boss"/>
    <object class="item_bonus" name="bonus"><part name="cash"/><part name="cash"/><part name="cash"/>
        <part name="bonus"/></object>
    <object class="pickable" name="client_place1" rgn="0 0 10 0 10 10 0 10"><part name="place"/>
        <part name="client_money"/><part name="bar"/></object>
    <object class="pickable" name="client_place2" rgn="20 0 30 0 30 10 20 10"><part name="place"/>
        <part name="client_money"/><part name="bar"/></object>
    <object class="pickable" name="client_sit_place1" rgn="40 0 50 0 50 10 40 10"><part name="client_money"/></object>
    <object class="client" name="client1" pos_x="100" pos_y="50" offs_x="2" offs_y="3">
        <part name="client_stand_up"/><part name="cash" offs_x="10" offs_y="-40" scale_point_x="7" scale_point_y="8"/>
        <part name="bonus"/></object>
    <object class="client" name="client2"><part name="client_stand_up"/><part name="cash"/></object>
    <object class="client_sit" name="client_sit1"><part name="client_sitting_up"/><part name="cash"/></object>
    <object class="pickable" name="table1" rgn="60 0 70 0 70 10 60 10"/>
    <object class="item" name="worker1"/>)";

/// Every object of kClientObjects takes part in the level.
inline constexpr const char* kClientLevelObjects = R"(
    <object name="boss"/><object name="bonus"/><object name="client_place1"/><object name="client_place2"/>
    <object name="client_sit_place1"/><object name="client1"/><object name="client2"/><object name="client_sit1"/>
    <object name="table1"/><object name="worker1"/>)";

/// The animations a client of kind "girl" and its surroundings play, one frame each.
inline void WriteClientAnimations(const EngineTest::ScratchFolder& folder)
{
    const auto write = [&](const std::string& part, const std::string& prefix,
                           std::initializer_list<const char*> animations) {
        std::vector<EngineTest::AnmFixtureSequence> sequences;
        for (const char* animation : animations)
            sequences.push_back({"sheet", prefix + animation, 1, 0, 10, {{0, 0, 1, 1, 0, 0}}});
        folder.WriteAnm(part, sequences);
    };
    const auto body = {"idle_green", "idle_yellow", "discontent", "direct_green",  "direct_yellow", "scandal",
                       "go_happy",   "go_unhappy",  "go_sitting", "idle_thinking", "eating_process"};
    write("client_stand_up", "client_stand_upgirl", body);
    write("client_sitting_up", "client_sitting_upgirl", body);
    write("place", "place", {"tray", "pack"});
    write("client_money", "client_money", {"activation"});
    write("cash", "cash", {"idle"});
    write("bonus", "bonus", {"idle"});
}

/// A client order as the board dispatches it.
inline std::unique_ptr<TimePoint> MakeOrder(const std::string& kind, std::vector<std::string> entries)
{
    auto order = std::make_unique<TimePoint>();
    order->type = kind;
    order->event = "client";
    order->params = std::move(entries);
    return order;
}

/// The game's rows and lookup on the engine's scene fixture, the configuration read, and the scene loaded,
/// given its level states and switched on. The game clock is stepped by hand.
class ClientSceneFixture : public EngineTest::SceneFixture {
protected:
    void SetUp() override
    {
        SceneFixture::SetUp();
        RegisterGameRows();
        WriteClientAnimations(mScratch);
        const EngineTest::XmlText config(kClientsConfig);
        LoadClientsConfig(config.Root());
        ResetGameTime();
    }

    void TearDown() override
    {
        ActivateLevelObjects(false);
        SceneFixture::TearDown();
        ClearClientsConfig();
        gClientTuning = ClientTuning();
        gFrameDelta = 0.0f;
        ResetGameTime();
    }

    static void RegisterGameRows()
    {
        RegisterItemFactory("boss", []() -> TMItem* { return new TMBoss(); });
        RegisterItemFactory("client", []() -> TMItem* { return new TMClientStand(); });
        RegisterItemFactory("client_sit", []() -> TMItem* { return new TMClientSit(); });
        RegisterItemFactory("item_bonus", []() -> TMItem* { return new TMItemBonus(); });
        SetPlaceOccupantLookup(&FindGamePlaceOccupant);
    }

    /// Loads the objects, applies the level's entries (all of kClientLevelObjects unless given) and activates.
    void LoadScene(const std::string& objects = kClientObjects, const std::string& level = kClientLevelObjects)
    {
        const std::string sceneText = "<root><objects>" + objects + "</objects></root>";
        const std::string levelText = "<level><objects>" + level + "</objects></level>";
        const EngineTest::XmlText scene(sceneText.c_str());
        const EngineTest::XmlText levelNode(levelText.c_str());
        LoadLevelObjects(scene.Root());
        ApplyLevelObjectStates(levelNode.Root());
        ActivateLevelObjects(true);
    }

    /// n board frames of dt seconds: the clock, then every present item.
    static void Step(float dt, int n = 1)
    {
        for (int i = 0; i < n; ++i) {
            gFrameDelta = dt;
            AdvanceGameTime();
            UpdateLevelObjects();
        }
        gFrameDelta = 0.0f;
    }

    /// An order that outlives the scene's clients.
    TimePoint* Order(const std::string& kind, std::vector<std::string> entries)
    {
        mOrders.push_back(MakeOrder(kind, std::move(entries)));
        return mOrders.back().get();
    }

    static TMClientStand* Stand(const char* name) { return gStandClientsByName.at(name); }
    static TMClientSit* Sit(const char* name) { return gSitClientsByName.at(name); }

    /// The boss serves through the place the way the mover does: the check, then the real call.
    static bool ServeAt(const char* place)
    {
        TMItem* item = TMItem::FindByName(place);
        if (!item || !item->Interact(gBoss, true, nullptr))
            return false;
        item->Interact(gBoss, false, nullptr);
        return true;
    }

    static size_t CountIn(const auto& list, const void* client)
    {
        return static_cast<size_t>(std::count(list.begin(), list.end(), client));
    }

    /// The visible parts of that name of the pop-up item.
    static int VisibleParts(const char* name)
    {
        int count = 0;
        for (const auto& part : gBonusItem->GetParts())
            count += part->GetName() == name && part->IsVisible() ? 1 : 0;
        return count;
    }

    std::vector<std::unique_ptr<TimePoint>> mOrders;
};

} // namespace ClientTest
