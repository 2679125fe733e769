// A worker's owned upgrades read from the game board: the shorter run of "speed", the slower soiling of
// "tidiness", and the two parts that show them.
#include "engine/TMItemPart.h"
#include "game/TMBoss.h"
#include "game/TMWorker.h"
#include "tests/game/GameTestKit.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace GameTest;

constexpr const char* kActors = R"(
    <workers><worker name="cook" work_time="10" tidiness_down="5" upgrade_work_speed="0.5"
        upgrade_tidiness_down="0.4" product="1000"/></workers>)";

constexpr const char* kCatalogue = R"(<upgrade>
    <functional object="cook" name="speed" min_level="1" max_level="3"/>
    <functional object="cook" name="tidiness" min_level="1" max_level="3"/>
  </upgrade>)";

class TMWorkerUpgradeTest : public GameFixture {
protected:
    TMWorker* LoadWorker()
    {
        RegisterItemFactory("boss", []() -> TMItem* { return new TMBoss(); });
        RegisterItemFactory("worker", []() -> TMItem* { return new TMWorker(); });
        pugi::xml_document scene;
        scene.load_string(R"(<root><objects><object class="boss" name="boss"/>
            <object class="worker" name="worker1"><part name="worker_up"/><part name="worker_upgrade_1"/>
            <part name="worker_upgrade_2"/></object></objects></root>)");
        pugi::xml_document level;
        level.load_string(R"(<level><objects><object name="boss"/><object name="worker1" skin="cook"/>
            </objects></level>)");
        ClearWorkerBindings();
        LoadLevelObjects(scene.document_element());
        ApplyLevelObjectStates(level.document_element());
        ActivateLevelObjects(true);
        return FindWorker("worker1");
    }

    static bool Shown(TMWorker* worker, const char* part) { return worker->FindPart(part)->IsVisible(); }
};

TEST_F(TMWorkerUpgradeTest, OwnedUpgradesShortenTheRunSlowTheSoilingAndShowTheirParts)
{
    WriteGameConfig(mFolder, kCatalogue, kActors);
    TMBoard_Game3& board = MakeGameBoard();
    board.mSurvival = false;
    TMWorker* worker = LoadWorker();
    ASSERT_NE(worker, nullptr);
    EXPECT_FLOAT_EQ(worker->GetWorkTime(), 10.0f);
    EXPECT_FALSE(Shown(worker, "worker_upgrade_1"));
    EXPECT_FALSE(Shown(worker, "worker_upgrade_2"));

    ASSERT_EQ(board.GetFunctionalUpgrades().size(), 2u);
    board.ApplyUpgradeEntry(board.GetFunctionalUpgrades()[0], true);
    worker->ApplyUpgrade({});
    EXPECT_FLOAT_EQ(worker->GetWorkTime(), 5.0f);
    EXPECT_TRUE(Shown(worker, "worker_upgrade_1"));
    EXPECT_FALSE(Shown(worker, "worker_upgrade_2"));
    EXPECT_EQ(worker->GetSkin(), "cook") << "an upgrade never changes the skin";

    board.ApplyUpgradeEntry(board.GetFunctionalUpgrades()[1], true);
    worker->Activate(true);
    EXPECT_TRUE(Shown(worker, "worker_upgrade_2")) << "activation re-applies the owned upgrades";
    ASSERT_TRUE(worker->Interact(gBoss, true, nullptr));
    worker->Interact(gBoss, false, nullptr);
    EXPECT_FLOAT_EQ(worker->GetWorkProgress(), 1.0f);
    gFrameDelta = 1.0f;
    AdvanceGameTime();
    worker->Update();
    gFrameDelta = 0.0f;
    EXPECT_NEAR(worker->GetWorkProgress(), 0.8f, 1e-4f) << "one second of a five-second run";
    EXPECT_NEAR(worker->GetTidiness(), 98.0f, 1e-3f) << "5 per second times 0.4";
}

} // namespace
