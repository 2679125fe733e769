// Workers on a scene of their own, with the game's boss and without a game board: the configuration, tidiness and
// the soiling it shows, the run from the click to the finished product, breakdowns and washing, the greeting, the
// status they report, and the mends for missing records and parts.
#include "game/TMWorker.h"

#include "engine/GameClock.h"
#include "engine/ItemFactory.h"
#include "engine/TMItemPart.h"
#include "game/ProductMasks.h"
#include "game/TMBoss.h"
#include "tests/TestHelpers.h"
#include "tests/engine/SceneTestKit.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

using EngineTest::XmlText;

/// A cook that works 10 s, soils 5 per second of work (2 with the tidiness upgrade) and regains 10 per second.
constexpr const char* kWorkersConfig = R"(<root><workers tidiness_g_level="60" tidiness_y_level="30"
    tidiness_r_level="10" cleanser_effect="1" brush_effect="2" worker_alpha_blend_time="3">
    <worker name="cook" work_time="10" tidiness_up="10" tidiness_down="5" direct_character_break_frame="0"
        direct_character_break_time="1.5" upgrade_tidiness_down="0.4" upgrade_work_speed="0.5"
        idle_rastart_time_min="1" idle_rastart_time_max="2" idle_stop_frame="0" snd_worker_begin="cook_loop"
        product="1000" product_type="coffee"/>
  </workers></root>)";

constexpr const char* kObjects = R"(<root><objects>
    <object class="boss" name="boss"/>
    <object class="item" name="helper"/>
    <object class="pickable" name="table1" rgn="0 0 10 0 10 10 0 10"><part name="soiling_table1"/>
        <part name="soiling_floor02"/><part name="soiling_front01"/><part name="cleaning"/></object>
    <object class="worker" name="worker1"><part name="worker_up"/><part name="worker_upgrade_1"/>
        <part name="worker_upgrade_2"/></object>
    <object class="worker" name="worker2"><part name="worker_up"/></object>
    <object class="worker" name="worker3"><part name="worker_up"/></object>
  </objects></root>)";

/// worker2's type has no record; worker3 has no table.
constexpr const char* kLevel = R"(<level><objects>
    <object name="boss"/><object name="helper"/><object name="table1"/><object name="worker1" skin="cook"/>
    <object name="worker2" skin="ghost"/><object name="worker3" skin="cook"/>
  </objects></level>)";

class TMWorkerTest : public EngineTest::SceneFixture {
protected:
    void SetUp() override
    {
        SceneFixture::SetUp();
        RegisterItemFactory("boss", []() -> TMItem* { return new TMBoss(); });
        RegisterItemFactory("worker", []() -> TMItem* { return new TMWorker(); });
        std::vector<EngineTest::AnmFixtureSequence> sequences;
        for (const char* animation :
             {"idle_green", "idle_red", "direct_character", "switch_work", "switch_idle", "cooking_idle",
              "cooking_process_01", "cooking_process_02", "cooking_process_03", "ready_green_begin", "ready_green_end",
              "ready_green_action", "idle_broken_workplace"})
            sequences.push_back({"sheet", std::string("worker_upcook") + animation, 1, 0, 10, {{0, 0, 1, 1, 0, 0}}});
        mScratch.WriteAnm("worker_up", sequences);
        mScratch.WriteAnm("cleaning", {{"sheet", "cleaningactivation", 1, 0, 10, {{0, 0, 1, 1, 0, 0}}}});
        const XmlText config(kWorkersConfig);
        LoadWorkersConfig(config.Root());
        ResetGameTime();
    }

    void TearDown() override
    {
        ActivateLevelObjects(false);
        SceneFixture::TearDown();
        ClearWorkersConfig();
        gWorkerTuning = WorkerTuning();
        gFrameDelta = 0.0f;
        ResetGameTime();
    }

    void LoadScene()
    {
        const XmlText scene(kObjects);
        const XmlText level(kLevel);
        ClearWorkerBindings();
        LoadLevelObjects(scene.Root());
        ApplyLevelObjectStates(level.Root());
        ActivateLevelObjects(true);
    }

    static void Step(float dt, int n = 1)
    {
        for (int i = 0; i < n; ++i) {
            gFrameDelta = dt;
            AdvanceGameTime();
            UpdateLevelObjects();
        }
        gFrameDelta = 0.0f;
    }

    static TMBoss* Boss() { return dynamic_cast<TMBoss*>(gBoss); }
    static TMWorker* Worker(const char* name = "worker1") { return FindWorker(name); }
    static uint32_t Alpha(const char* part) { return TMItem::FindByName("table1")->FindPart(part)->mTint >> 24; }

    /// The boss's click as the mover makes it: the worker's check, then its real call.
    static bool Click(TMWorker* worker)
    {
        if (!worker->Interact(gBoss, true, nullptr))
            return false;
        worker->Interact(gBoss, false, nullptr);
        return true;
    }
};

TEST_F(TMWorkerTest, ConfigurationReadsEveryKeyAndNumbersTheTypesAnewOnEachLoad)
{
    const WorkerConfig* cook = FindWorkerConfig("cook");
    ASSERT_NE(cook, nullptr);
    EXPECT_FLOAT_EQ(cook->workTime, 10.0f);
    EXPECT_FLOAT_EQ(cook->breakTime, 1.5f) << "read and kept";
    EXPECT_FLOAT_EQ(cook->upgradeWorkSpeed, 0.5f);
    EXPECT_FLOAT_EQ(cook->idleRestartMax, 2.0f) << "spelled \"rastart\" in the file";
    EXPECT_EQ(cook->workSound, "cook_loop");
    EXPECT_EQ(cook->productType, "coffee");
    EXPECT_FLOAT_EQ(gWorkerTuning.alphaBlendTime, 3.0f);

    const XmlText two(R"(<root><workers><worker product="9"/><worker name="a"/><worker name="b" work_time="4"/>
        <worker name="b" work_time="8"/></workers></root>)");
    TestHelpers::LogCapture log;
    for (int load = 0; load < 2; ++load) {
        LoadWorkersConfig(two.Root());
        EXPECT_EQ(gWorkerConfigs.size(), 2u);
        EXPECT_EQ(FindWorkerConfig("a")->sequence, 1);
        EXPECT_EQ(FindWorkerConfig("b")->sequence, 2) << "load " << load;
        EXPECT_FLOAT_EQ(FindWorkerConfig("b")->workTime, 4.0f) << "the first definition stays";
    }
    EXPECT_EQ(FindWorkerConfig("cook"), nullptr) << "the registry is emptied first";
    EXPECT_TRUE(log.Has("\"worker\" element 1 has no \"name\""));
    EXPECT_TRUE(log.Has("worker \"b\" is defined again"));

    const XmlText none("<root/>");
    LoadWorkersConfig(none.Root());
    EXPECT_TRUE(gWorkerConfigs.empty());
    EXPECT_TRUE(log.Has("no \"workers\" element"));
}

TEST_F(TMWorkerTest, TidinessShowsAsSoilingAlpha)
{
    LoadScene();
    TMWorker* worker = Worker();
    EXPECT_EQ(FindWorkerConfig("cook")->boundWorker, Worker("worker3")) << "the last worker of a type binds it";
    struct Case {
        float tidiness;
        uint32_t alpha;
    };
    for (const Case c : {Case{100.0f, 0u}, Case{50.0f, 128u}, Case{0.0f, 255u}}) {
        worker->AddTidiness(c.tidiness - worker->GetTidiness());
        EXPECT_FLOAT_EQ(worker->GetTidiness(), c.tidiness);
        for (const char* part : {"soiling_table1", "soiling_floor02", "soiling_front01"})
            EXPECT_EQ(Alpha(part), c.alpha) << part << " at " << c.tidiness;
    }
    EXPECT_FLOAT_EQ(worker->AddTidiness(250.0f), 100.0f);
    EXPECT_FLOAT_EQ(worker->AddTidiness(-250.0f), 0.0f);
}

TEST_F(TMWorkerTest, ARunFromTheClickToTheTakenProduct)
{
    LoadScene();
    TMWorker* worker = Worker();
    EXPECT_EQ(worker->GetState(), 0);
    EXPECT_EQ(worker->GetCurrentAnimation(), "idle_green");
    EXPECT_FLOAT_EQ(worker->GetWorkProgress(), -1.0f);
    EXPECT_FALSE(worker->Interact(TMItem::FindByName("helper"), true, nullptr)) << "only the boss counts";

    ASSERT_TRUE(Click(worker));
    EXPECT_EQ(worker->GetState(), 3);
    EXPECT_TRUE(worker->IsBusy());
    EXPECT_EQ(worker->GetCurrentAnimation(), "switch_work");
    EXPECT_FLOAT_EQ(worker->GetWorkProgress(), 1.0f) << "the bubble starts empty";
    EXPECT_FALSE(worker->Interact(gBoss, true, nullptr)) << "a working worker takes no click";

    Step(1.0f, 4);
    EXPECT_NEAR(worker->GetWorkProgress(), 0.6f, 1e-4f);
    EXPECT_NEAR(worker->GetTidiness(), 80.0f, 1e-3f) << "5 per second of work";
    worker->OnAnimationEnd(worker->FindPart("worker_up"), "switch_work");
    EXPECT_NE(worker->GetCurrentAnimation(), "switch_work") << "the run goes on with a cooking animation";
    EXPECT_EQ(worker->GetState(), 3);

    Step(1.0f, 6);
    EXPECT_EQ(worker->GetState(), 2);
    EXPECT_EQ(worker->mValue, "1000") << "the product lands on the table";
    EXPECT_EQ(worker->GetCurrentAnimation(), "switch_idle");
    EXPECT_FLOAT_EQ(worker->GetWorkProgress(), -1.0f);
    EXPECT_NEAR(worker->GetTidiness(), 55.0f, 1e-3f);
    Step(1.0f, 3);
    EXPECT_NEAR(worker->GetTidiness(), 55.0f, 1e-3f) << "without a tutorial it does not rise by itself";

    Boss()->SetFirstHand("0100");
    Boss()->SetSecondHand("0010");
    EXPECT_FALSE(worker->Interact(gBoss, true, nullptr)) << "no client wants a merge and no hand is free";
    Boss()->SetFirstHand("");
    Boss()->SetSecondHand("");
    ASSERT_TRUE(Click(worker));
    EXPECT_EQ(worker->GetState(), 0);
    EXPECT_EQ(worker->GetCurrentAnimation(), "ready_green_end");
}

TEST_F(TMWorkerTest, ABrokenWorkerIsWashedAndFinishesItsRunWithTheTimeItHadLeft)
{
    LoadScene();
    TMWorker* worker = Worker();
    worker->AddTidiness(-90.0f);
    ASSERT_TRUE(Click(worker));
    Step(1.0f, 2);
    EXPECT_EQ(worker->GetState(), 1) << "tidiness 10 lasts two seconds of work";
    EXPECT_EQ(worker->GetCurrentAnimation(), "switch_idle");
    EXPECT_TRUE(worker->IsBusy());
    EXPECT_FALSE(worker->Interact(gBoss, true, nullptr)) << "a broken worker wants washing";
    Step(1.0f, 20);
    EXPECT_EQ(worker->GetState(), 1) << "the run is frozen";

    Boss()->SetSecondHand("wash");
    EXPECT_TRUE(worker->Interact(gBoss, true, nullptr));
    EXPECT_EQ(worker->GetState(), 1) << "the check changes nothing";
    worker->Interact(gBoss, false, nullptr);
    Boss()->SetSecondHand("");
    EXPECT_FLOAT_EQ(worker->GetTidiness(), 100.0f);
    EXPECT_EQ(worker->GetState(), 3);
    EXPECT_TRUE(TMItem::FindByName("table1")->FindPart("cleaning")->IsVisible());
    EXPECT_NEAR(worker->GetWorkProgress(), 0.8f, 1e-3f) << "8 of its 10 seconds are left";
    Step(1.0f, 7);
    EXPECT_EQ(worker->GetState(), 3);
    Step(1.0f, 2);
    EXPECT_EQ(worker->GetState(), 2);
}

TEST_F(TMWorkerTest, CleanAllWorkersRepairsBrokenOnesAndOnlyForModeOne)
{
    LoadScene();
    TMWorker* worker = Worker();
    worker->AddTidiness(-95.0f);
    ASSERT_TRUE(Click(worker));
    Step(1.0f, 1);
    ASSERT_EQ(worker->GetState(), 1);

    CleanAllWorkers(0, 50.0f);
    EXPECT_EQ(worker->GetState(), 1);
    EXPECT_FLOAT_EQ(worker->GetTidiness(), 0.0f);
    CleanAllWorkers(1, 30.0f);
    EXPECT_EQ(worker->GetState(), 3);
    EXPECT_FLOAT_EQ(worker->GetTidiness(), 30.0f);
    EXPECT_FLOAT_EQ(Worker("worker3")->GetTidiness(), 100.0f);
}

TEST_F(TMWorkerTest, GreetingOnMouseOverAndTheFinishedProductsAction)
{
    LoadScene();
    TMWorker* worker = Worker();
    worker->SetMouseOver({0, 0}, true);
    EXPECT_EQ(worker->GetCurrentAnimation(), "direct_character");
    worker->SetMouseOver({0, 0}, true);
    EXPECT_EQ(worker->GetCurrentAnimation(), "direct_character");
    TMItemPart* body = worker->FindPart("worker_up");
    worker->OnAnimationEnd(body, "direct_character");
    EXPECT_EQ(worker->GetCurrentAnimation(), "direct_character") << "the first end holds the greeting";
    worker->OnAnimationEnd(body, "direct_character");
    EXPECT_EQ(worker->GetCurrentAnimation(), "idle_green") << "the next one returns to idle";
    worker->SetMouseOver({0, 0}, false);

    ASSERT_TRUE(Click(worker));
    Step(5.0f, 2);
    ASSERT_EQ(worker->GetState(), 2);
    worker->SetMouseOver({0, 0}, true);
    EXPECT_EQ(worker->GetCurrentAnimation(), "ready_green_action");
}

TEST_F(TMWorkerTest, StatusReportedPerState)
{
    LoadScene();
    TMWorker* worker = Worker();
    std::string anim;
    std::string icon;
    std::string text;
    float value = 0.0f;
    EXPECT_FALSE(worker->IsStatActive());
    EXPECT_FALSE(worker->GetStatAnimName(anim));
    EXPECT_FALSE(worker->GetStatIconName(icon));
    ASSERT_TRUE(worker->GetStatValue(value));
    EXPECT_FLOAT_EQ(value, 100.0f);
    ASSERT_TRUE(worker->GetStatText(text));
    EXPECT_EQ(text, "1000");

    ASSERT_TRUE(Click(worker));
    ASSERT_TRUE(worker->GetStatAnimName(anim) && worker->GetStatIconName(icon));
    EXPECT_EQ(anim, "working");
    EXPECT_EQ(icon, "worker");
    Step(5.0f, 2);
    ASSERT_TRUE(worker->GetStatAnimName(anim));
    EXPECT_EQ(anim, "coffee");
}

TEST_F(TMWorkerTest, MissingRecordOrTableIsLoggedAndNeverCrashes)
{
    TestHelpers::LogCapture log;
    LoadScene();
    EXPECT_TRUE(log.Has("worker \"worker2\": type \"ghost\" has no \"worker\""));
    EXPECT_TRUE(log.Has("worker \"worker3\": no item \"table3\""));

    TMWorker* ghost = Worker("worker2");
    EXPECT_FALSE(ghost->Interact(gBoss, true, nullptr)) << "a worker without its record cannot work";
    Boss()->SetSecondHand("wash");
    EXPECT_FALSE(ghost->Interact(gBoss, true, nullptr));
    Boss()->SetSecondHand("");
    std::string text;
    float value = 0.0f;
    EXPECT_FALSE(ghost->GetStatValue(value));
    EXPECT_FALSE(ghost->GetStatText(text));
    ghost->SetMouseOver({0, 0}, true);
    Step(1.0f, 3);
    EXPECT_EQ(ghost->GetState(), 0);

    TMWorker* tableless = Worker("worker3");
    ASSERT_TRUE(Click(tableless)) << "a worker without its table works without dirt";
    Step(1.0f, 3);
    EXPECT_NEAR(tableless->GetTidiness(), 85.0f, 1e-3f);
    CleanAllWorkers(1, 10.0f);
    EXPECT_NEAR(tableless->GetTidiness(), 95.0f, 1e-3f);
}

} // namespace
