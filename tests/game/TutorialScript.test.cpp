// The first day's tutorial on a running level: its steps wait for their events and delays, show and hide the
// HUD's hints and panel, lock and unlock rules and objects, click for the player and deal the mini-game its
// scripted parts; other days run no script, and a hint still being shown keeps its step's delay.
#include "game/TutorialScript.h"

#include "engine/EffectFunctionRegistry.h"
#include "engine/EffectLibrary.h"
#include "engine/TMEffect.h"
#include "engine/TMIEffect.h"
#include "engine/TMPickItem.h"
#include "engine/TMTimer.h"
#include "tests/SuiteLabels.h"
#include "tests/game/PlayfieldTestKit.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace PlayfieldTest;

constexpr const char* kNine[] = {"client_place02", "client_place03", "client_place04", "trash_bin", "tray",
                                 "wash_stand",     "table01",        "table03",        "table04"};

int MakeVisible(EffectCallRecord* call)
{
    call->owner->GetTarget()->SetVisible(true);
    return 1;
}

class TutorialScriptTest : public PlayfieldFixture {
protected:
    void SetUp() override
    {
        PlayfieldFixture::SetUp();
        // An effect that brings its widget in one short moment after "onshow".
        RegisterEffectFunction("TutorialTestShow", &MakeVisible);
        WriteXml(mFolder / "cfg" / "effect.xml", R"(<effects><effect name="latein">
            <timers><timer name="in" type="usual" ftime="0.015"><control id="1" type="point" starttime="0.015"
                function="TutorialTestShow"/></timer></timers>
            <messages><message name="onshow" timer_id="in" command="start"/></messages></effect></effects>)");
        ASSERT_TRUE(LoadEffectLibrary());
    }
    void TearDown() override
    {
        FreeEffectLibrary();
        PlayfieldFixture::TearDown();
    }

    /// Career day `level` with the nine objects as pick items, a far-off time point that keeps the day open, and
    /// a tray whose parts settle in one frame.
    void PlayDay(int level, const std::string& hintAttributes = "")
    {
        MakeBoard(HudXml("", hintAttributes) + MiniGameXml() + UpgradeXml());
        std::string scene;
        std::string objects;
        int x = 0;
        for (const char* name : kNine) {
            const std::string left = std::to_string(x);
            const std::string right = std::to_string(x + 20);
            scene += std::string("<object class=\"pickable\" name=\"") + name + "\" rgn=\"" + left + " 0 " + right +
                     " 0 " + right + " 20 " + left + " 20\"/>";
            objects += std::string("<object name=\"") + name + "\"/>";
            x += 30;
        }
        WriteScene(scene);
        WriteLevel(level, false,
                   "<objects>" + objects +
                       R"(</objects><events_queue><time_point time="10000" type="tick"/></events_queue>
                          <partparams speed="100000" bonus0101="1" bonus0201="1"/>)");
        Load(level);
        mScript = mBoard->GetTutorial();
    }

    [[nodiscard]] const TutorialStep& Current() const
    {
        return TutorialScript::FindRow(1)->steps[mScript->GetStepIndex()];
    }

    /// Runs the current step: its event, or frames until its delay has passed.
    void RunStep()
    {
        const int index = mScript->GetStepIndex();
        const int trigger = Current().trigger;
        if (trigger != 0) {
            mScript->OnEvent(trigger);
        } else {
            for (int frame = 0; frame < 1000 && mScript->IsRunning() && mScript->GetStepIndex() == index; ++frame)
                Frame();
        }
        ASSERT_TRUE(!mScript->IsRunning() || mScript->GetStepIndex() == index + 1) << "step " << index;
    }

    void RunTo(int step)
    {
        while (mScript->IsRunning() && mScript->GetStepIndex() < step)
            RunStep();
    }

    [[nodiscard]] int Clicks(const char* name) { return TMPickItem::FindPickItem(name)->GetClickCount(); }

    TutorialScript* mScript = nullptr;
};

ILVANE_THREADED_SUITE(TutorialScriptTest);

TEST_F(TutorialScriptTest, OtherDaysRunNoScriptAndAllowEverything)
{
    PlayDay(2);
    EXPECT_FALSE(mScript->IsRunning());
    for (int id = 1; id <= 6; ++id)
        EXPECT_TRUE(mScript->IsIdAllowed(id));
    EXPECT_TRUE(mScript->IsNameAllowed("table01"));
    bool enabled = false;
    EXPECT_EQ(mScript->NextScriptedPart(enabled), -1);
    mScript->OnEvent(1);
    Frame(5);
    EXPECT_FALSE(mHud->IsTutorialHintVisible(1));
}

TEST_F(TutorialScriptTest, TheWholeScriptRunsOnItsEventsAndLeavesNothingLocked)
{
    PlayDay(1);
    ASSERT_TRUE(mScript->IsRunning());
    EXPECT_EQ(mScript->GetStepIndex(), 1) << "step 0 runs at the start";
    for (int id : {1, 6, 4, 3})
        EXPECT_FALSE(mScript->IsIdAllowed(id)) << id;
    EXPECT_TRUE(mScript->IsIdAllowed(5));
    for (const char* name : kNine)
        EXPECT_FALSE(mScript->IsNameAllowed(name)) << name;

    std::set<int> hintsSeen;
    while (mScript->IsRunning()) {
        const int step = mScript->GetStepIndex();
        RunStep();
        for (int id = 1; id <= 24; ++id) {
            if (mHud->IsTutorialHintVisible(id))
                hintsSeen.insert(id);
        }
        switch (step) {
        case 1:
            EXPECT_TRUE(mScript->IsNameAllowed("client_place02"));
            EXPECT_FALSE(mScript->IsIdAllowed(5));
            break;
        case 7:
            for (int id : {4, 3, 2})
                EXPECT_TRUE(mScript->IsIdAllowed(id)) << id;
            break;
        case 25:
            EXPECT_TRUE(Visible("tutor_bg"));
            EXPECT_FALSE(mScript->IsIdAllowed(6));
            break;
        case 26:
            EXPECT_TRUE(mScript->IsIdAllowed(6));
            EXPECT_TRUE(mScript->IsIdAllowed(5));
            break;
        case 32:
        case 34:
        case 36:
        case 38:
        case 40:
        case 42:
            EXPECT_EQ(Clicks(TutorialScript::FindRow(1)->steps[step].click), 1) << "clicked for the player";
            break;
        case 43:
            EXPECT_EQ(mMini->GetPartKinds(), (std::vector<int>{0, 0, 1, 0}));
            for (int position = 0; position < 4; ++position)
                EXPECT_EQ(mMini->GetPartWidget(position)->mDisabled, position != 2) << position;
            EXPECT_FALSE(Visible("tutor_bg"));
            break;
        case 47:
            EXPECT_FALSE(mScript->IsIdAllowed(1)) << "patience stays locked to the end";
            break;
        default:
            break;
        }
    }
    EXPECT_EQ(Clicks("trash_bin"), 0);
    std::set<int> expectedHints;
    for (int id = 1; id <= 24; ++id) {
        if (id != 3)
            expectedHints.insert(id);
        EXPECT_FALSE(mHud->IsTutorialHintVisible(id)) << id;
    }
    EXPECT_EQ(hintsSeen, expectedHints) << "every hint but 3 was shown";
    for (int id = 1; id <= 6; ++id)
        EXPECT_TRUE(mScript->IsIdAllowed(id)) << id;
    for (const char* name : kNine)
        EXPECT_TRUE(mScript->IsNameAllowed(name)) << name;
    bool enabled = true;
    EXPECT_EQ(mScript->NextScriptedPart(enabled), -1);
}

TEST_F(TutorialScriptTest, EventsOutOfTurnWaitAndClosingAHintEndsTheDelay)
{
    PlayDay(1);
    RunTo(3);
    mScript->OnEvent(2); // step 3 waits for a client ready to order
    EXPECT_EQ(mScript->GetStepIndex(), 3);
    mScript->OnEvent(4);
    EXPECT_EQ(mScript->GetStepIndex(), 4);
    EXPECT_TRUE(mHud->IsTutorialHintVisible(2));
    Frame(10);
    EXPECT_EQ(mScript->GetStepIndex(), 4) << "the 3 s delay holds";
    mHud->ShowTutorialHint(2, false); // the player closes the hint
    Frame();
    EXPECT_EQ(mScript->GetStepIndex(), 5);
    EXPECT_TRUE(mHud->IsTutorialHintVisible(4));
}

TEST_F(TutorialScriptTest, AHintStillComingInKeepsItsStepsDelay)
{
    PlayDay(1, "effect=\"latein\"");
    RunTo(3);
    mScript->OnEvent(4); // shows hint 2 through its effect, with a 3 s delay
    TMCandyWidget* hint = Child(mHud, "tutorial2");
    ASSERT_NE(hint, nullptr);
    EXPECT_FALSE(hint->mVisible);
    EXPECT_TRUE(mHud->IsTutorialHintVisible(2)) << "being shown counts as open";
    Frame(5);
    EXPECT_TRUE(hint->mVisible);
    EXPECT_EQ(mScript->GetStepIndex(), 4) << "the delay was not skipped";
}

TEST_F(TutorialScriptTest, ChainPayoutsTakeScriptedPartsFirstAndStepFortyThreeAddsWhatIsLeft)
{
    PlayDay(1);
    RunTo(26);
    mBoard->OnChainBonus(0);
    EXPECT_TRUE(mMini->GetPartKinds().empty()) << "id 6 is locked until step 26";
    RunTo(27);
    for (int payout = 0; payout < 7; ++payout)
        mBoard->OnChainBonus(0);
    EXPECT_EQ(mMini->GetPartKinds(), (std::vector<int>{0, 0, 1, 0, 1, 1, 3}));
    RunTo(44);
    EXPECT_EQ(mMini->GetPartKinds(), (std::vector<int>{0, 0, 1, 0, 1, 1, 3, 1})) << "one scripted part was left";
    EXPECT_FALSE(mMini->GetPartWidget(2)->mDisabled);
    EXPECT_TRUE(mMini->GetPartWidget(7)->mDisabled);
    mBoard->OnChainBonus(0); // no scripted part left: a random one, enabled
    ASSERT_EQ(mMini->GetPartCount(), 9);
    EXPECT_FALSE(mMini->GetPartWidget(8)->mDisabled);
}

} // namespace
