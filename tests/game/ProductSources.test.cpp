// Trays, bins and period items on a scene of their own, with the game's boss: which clicks they accept, the
// animations they play, and the period item's waiting and ready cycle with its random pauses.
#include "engine/EngineRandom.h"
#include "engine/GameClock.h"
#include "engine/ItemFactory.h"
#include "game/TMBoss.h"
#include "game/TMPeriodItem.h"
#include "game/TMTrash.h"
#include "game/TMTray.h"
#include "tests/TestHelpers.h"
#include "tests/engine/SceneTestKit.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

using EngineTest::XmlText;

constexpr const char* kObjects = R"(<root><objects>
    <object class="boss" name="boss"/>
    <object class="item" name="helper"/>
    <object class="tray" name="material1" thing="1000" rgn="0 0 10 0 10 10 0 10"><part name="source"/></object>
    <object class="tray" name="wash_stand" thing="wash" rgn="20 0 30 0 30 10 20 10"><part name="source"/></object>
    <object class="tray" name="empty_tray" rgn="40 0 50 0 50 10 40 10"><part name="source"/></object>
    <object class="trash_bin" name="trash" rgn="60 0 70 0 70 10 60 10"><part name="source"/></object>
    <object class="period_item" name="juice" thing="super" rgn="80 0 90 0 90 10 80 10"><part name="source"/></object>
    <object class="period_item" name="cake" thing="0001" rgn="100 0 110 0 110 10 100 10"><part name="source"/></object>
  </objects></root>)";

constexpr const char* kLevel = R"(<level><objects>
    <object name="boss"/><object name="helper"/><object name="material1"/><object name="wash_stand"/>
    <object name="empty_tray"/><object name="trash"/><object name="juice"/><object name="cake"/>
  </objects></level>)";

/// "juice" waits exactly 2 s; "cake" has no record.
constexpr const char* kPeriodConfig = R"(<root><period_items>
    <period_item name="juice" timeout_min="2" timeout_max="2"/>
  </period_items></root>)";

class ProductSourcesTest : public EngineTest::SceneFixture {
protected:
    void SetUp() override
    {
        SceneFixture::SetUp();
        RegisterItemFactory("boss", []() -> TMItem* { return new TMBoss(); });
        RegisterItemFactory("tray", []() -> TMItem* { return new TMTray(); });
        RegisterItemFactory("trash_bin", []() -> TMItem* { return new TMTrash(); });
        RegisterItemFactory("period_item", []() -> TMItem* { return new TMPeriodItem(); });
        std::vector<EngineTest::AnmFixtureSequence> sequences;
        for (const char* animation : {"idle", "activation", "deactivation", "ready"})
            sequences.push_back({"sheet", std::string("source") + animation, 1, 0, 10, {{0, 0, 1, 1, 0, 0}}});
        mScratch.WriteAnm("source", sequences);
        const XmlText config(kPeriodConfig);
        LoadPeriodConfig(config.Root());
        ResetGameTime();
    }

    void TearDown() override
    {
        ActivateLevelObjects(false);
        SceneFixture::TearDown();
        ClearPeriodConfig();
        gFrameDelta = 0.0f;
        ResetGameTime();
    }

    void LoadScene()
    {
        const XmlText scene(kObjects);
        const XmlText level(kLevel);
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
    static TMItem* Item(const char* name) { return TMItem::FindByName(name); }
    static TMPeriodItem* Period(const char* name) { return dynamic_cast<TMPeriodItem*>(Item(name)); }
};

TEST_F(ProductSourcesTest, SourcesReadTheirProductAndAnEmptyOneIsLogged)
{
    TestHelpers::LogCapture log;
    LoadScene();
    EXPECT_EQ(Item("material1")->mValue, "1000");
    EXPECT_EQ(Item("wash_stand")->mValue, "wash");
    EXPECT_EQ(Item("juice")->mValue, "super");
    EXPECT_EQ(Item("empty_tray")->mValue, "");
    EXPECT_TRUE(log.Has("tray \"empty_tray\": no \"thing\""));
    EXPECT_FALSE(log.Has("\"material1\": no \"thing\""));
}

TEST_F(ProductSourcesTest, TrayConfirmsOnlyTheBossAndPlaysIdle)
{
    LoadScene();
    TMItem* tray = Item("material1");
    EXPECT_EQ(tray->GetCurrentAnimation(), "idle");

    EXPECT_TRUE(tray->Interact(gBoss, true, nullptr));
    EXPECT_FALSE(tray->Interact(gBoss, false, nullptr)) << "the boss takes the product itself";
    EXPECT_EQ(tray->mValue, "1000") << "a tray never runs out";
    EXPECT_FALSE(tray->Interact(Item("helper"), true, nullptr));
    EXPECT_FALSE(tray->Interact(nullptr, true, nullptr));

    tray->SetAnimation("activation", false);
    tray->OnAnimationEnd(tray->FindPart("source"), "activation");
    EXPECT_EQ(tray->GetCurrentAnimation(), "idle") << "every ended animation returns to idle";
}

TEST_F(ProductSourcesTest, BinAcceptsTheBossOnlyWithSomethingInHand)
{
    LoadScene();
    struct Case {
        const char* by;
        const char* first;
        const char* second;
        bool accepted;
    };
    const Case cases[] = {
        {"boss", "", "", false},         {"boss", "1000", "", true},    {"boss", "", "wash", true},
        {"boss", "0100", "super", true}, {"helper", "1000", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.by) + " [" + c.first + "|" + c.second + "]");
        TMItem* bin = Item("trash");
        bin->SetAnimation("idle", false);
        TMItem* by = Item(c.by);
        by->mValue = c.first;
        Boss()->SetSecondHand(c.by == std::string("boss") ? c.second : "");
        EXPECT_EQ(bin->Interact(by, true, nullptr), c.accepted);
        EXPECT_FALSE(bin->Interact(by, false, nullptr)) << "the boss empties its own hands";
        EXPECT_EQ(bin->GetCurrentAnimation(), c.accepted ? "activation" : "idle");
        EXPECT_EQ(by->mValue, c.first) << "the bin leaves the hands to the boss";
    }
    TMItem* bin = Item("trash");
    bin->OnAnimationEnd(bin->FindPart("source"), "activation");
    EXPECT_EQ(bin->GetCurrentAnimation(), "idle");
}

TEST_F(ProductSourcesTest, PeriodItemWaitsBecomesReadyAndStartsANewPauseWhenPicked)
{
    LoadScene();
    TMPeriodItem* juice = Period("juice");
    EXPECT_EQ(juice->GetState(), 0);
    EXPECT_EQ(juice->GetCurrentAnimation(), "idle");
    EXPECT_FALSE(juice->Interact(gBoss, true, nullptr)) << "while waiting it is no target";

    Step(0.5f, 3);
    EXPECT_EQ(juice->GetState(), 0) << "1.5 s of a 2 s pause";
    Step(0.5f, 1);
    EXPECT_EQ(juice->GetState(), 1);
    EXPECT_EQ(juice->GetCurrentAnimation(), "activation");
    juice->OnAnimationEnd(juice->FindPart("source"), "activation");
    EXPECT_EQ(juice->GetCurrentAnimation(), "ready");

    Boss()->SetFirstHand("1000");
    Boss()->SetSecondHand("0100");
    EXPECT_FALSE(juice->Interact(gBoss, true, nullptr)) << "both hands full";
    EXPECT_FALSE(juice->Interact(Item("helper"), true, nullptr));
    Boss()->SetSecondHand("");
    EXPECT_TRUE(juice->Interact(gBoss, true, nullptr));
    EXPECT_EQ(juice->GetState(), 1) << "the check changes nothing";

    EXPECT_FALSE(juice->Interact(gBoss, false, nullptr));
    EXPECT_EQ(juice->GetState(), 0);
    EXPECT_EQ(juice->GetCurrentAnimation(), "deactivation");
    EXPECT_NEAR(juice->GetPause().GetRemaining(), 2.0f, 1e-4f);
    juice->OnAnimationEnd(juice->FindPart("source"), "deactivation");
    EXPECT_EQ(juice->GetCurrentAnimation(), "idle");
    EXPECT_EQ(juice->GetState(), 0);

    Step(1.0f, 2);
    EXPECT_EQ(juice->GetState(), 1) << "ready again after the new pause";
}

TEST_F(ProductSourcesTest, PeriodPausesAreDrawnFromTheConfiguredRange)
{
    const XmlText config(R"(<root><period_items><period_item name="juice" timeout_min="1" timeout_max="3"/>
        </period_items></root>)");
    LoadPeriodConfig(config.Root());
    LoadScene();
    TMPeriodItem* juice = Period("juice");
    bool varied = false;
    float first = -1.0f;
    for (int i = 0; i < 20; ++i) {
        juice->Activate(true);
        const float pause = juice->GetPause().GetRemaining();
        EXPECT_GE(pause, 1.0f - 1e-4f);
        EXPECT_LE(pause, 3.0f + 1e-4f);
        varied |= i > 0 && pause != first;
        if (i == 0)
            first = pause;
    }
    EXPECT_TRUE(varied) << "each pause is drawn anew";
}

TEST_F(ProductSourcesTest, HiddenOrUnconfiguredPeriodItemsStayWaiting)
{
    TestHelpers::LogCapture log;
    LoadScene();
    EXPECT_TRUE(log.Has("period item \"cake\": no \"period_item\""));
    Period("juice")->SetVisible(false);
    Step(1.0f, 5);
    EXPECT_EQ(Period("cake")->GetState(), 0) << "without its pause range it never becomes ready";
    EXPECT_EQ(Period("juice")->GetState(), 0) << "a hidden item does not become ready";
    Period("juice")->SetVisible(true);
    Step(0.1f);
    EXPECT_EQ(Period("juice")->GetState(), 1);
}

TEST_F(ProductSourcesTest, PeriodConfigurationSkipsBadElementsAndKeepsTheFirstOfAName)
{
    const XmlText config(R"(<root><period_items>
        <period_item timeout_min="9"/>
        <period_item name="tea" timeout_min="1.5" timeout_max="4"/>
        <period_item name="tea" timeout_min="7" timeout_max="8"/>
        <period_item name="pie" timeout_max="6"/>
      </period_items></root>)");
    TestHelpers::LogCapture log;
    LoadPeriodConfig(config.Root());
    EXPECT_EQ(gPeriodConfigs.size(), 2u) << "the registry is emptied first";
    ASSERT_NE(FindPeriodConfig("tea"), nullptr);
    EXPECT_FLOAT_EQ(FindPeriodConfig("tea")->timeoutMin, 1.5f);
    EXPECT_FLOAT_EQ(FindPeriodConfig("tea")->timeoutMax, 4.0f);
    EXPECT_FLOAT_EQ(FindPeriodConfig("pie")->timeoutMin, 0.0f);
    EXPECT_EQ(FindPeriodConfig("juice"), nullptr);
    EXPECT_TRUE(log.Has("\"period_item\" element 1 has no \"name\""));
    EXPECT_TRUE(log.Has("period item \"tea\" is defined again"));

    const XmlText none("<root/>");
    LoadPeriodConfig(none.Root());
    EXPECT_TRUE(gPeriodConfigs.empty());
    EXPECT_TRUE(log.Has("no \"period_items\" element"));
}

} // namespace
