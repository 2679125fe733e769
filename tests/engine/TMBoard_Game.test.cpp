// The board's step: the grace period before the level ends, queued clicks from the mouse and the tutorial, events
// the game declines, money and survival stages, and the counted pause.
#include "engine/TMBoard_Game.h"

#include "engine/TextVars.h"
#include "engine/ZOrder.h"
#include "tests/SuiteLabels.h"
#include "tests/engine/BoardTestKit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace EngineTest;
using Calls = std::vector<std::string>;

class TMBoardGameTest : public BoardFixture {
protected:
    /// Career level 1 with the two tables and the events given, loaded and running.
    void Begin(const std::string& events)
    {
        WriteScene("s1.xml", kTwoTables);
        WriteLevel(1, false,
                   "<objects><object name=\"table\"/><object name=\"tray\"/></objects><events_queue>" + events +
                       "</events_queue>");
        Load(1);
        ASSERT_TRUE(mBoard->mRunning);
        mBoard->ClearCalls();
    }

    /// Steps until the hook was called, at most limit steps; the number of steps taken, or -1.
    int StepsUntil(const std::string& call, int limit)
    {
        for (int i = 1; i <= limit; ++i) {
            Step();
            if (mBoard->Count(call) != 0)
                return i;
        }
        return -1;
    }

    [[nodiscard]] std::wstring TextVar(const std::string& name) { return mEngine->GetTextVars()->Get(name); }
};

ILVANE_THREADED_SUITE(TMBoardGameTest);

TEST_F(TMBoardGameTest, ABoardThatWasNeverLoadedHasItsOrderBuilder)
{
    ASSERT_NE(gZOrder, nullptr) << "made with the board";
    EXPECT_TRUE(gZOrder->GetDrawList(true).empty());
    EXPECT_EQ(gZOrder->GetCell(100, 100).owner, nullptr);
    RegisterLevelObjectsForDrawing();
    EXPECT_TRUE(gZOrder->GetStaticOrder().empty());
    mBoard->Draw(nullptr);

    // A level loaded afterwards is ordered by the same builder.
    ZOrder* const builder = gZOrder;
    Begin(R"(<time_point time="100" type="later"/>)");
    EXPECT_EQ(gZOrder, builder);
    mBoard.reset();
    EXPECT_EQ(gZOrder, nullptr) << "gone with the board";
}

TEST_F(TMBoardGameTest, TheLevelEndsOnceAfterTwoSecondsOfGameTimeAndPausingDelaysIt)
{
    mEngine->mUpdateInterval = 100;
    Begin(R"(<time_point time="0" type="only"/>)");

    Step(); // dispatches the last event; the level is over from here
    EXPECT_EQ(mBoard->Count("TryDispatchEvent only"), 1);
    Step(10);
    mBoard->Pause();
    Step(50);
    EXPECT_EQ(gFrameDelta, 0.0f) << "a paused board does not step";
    mBoard->Resume();
    const int steps = StepsUntil("OnLevelFinished", 30);
    // 2.0 s of 0.1 s steps, one second of them already run; the paused steps count for nothing.
    EXPECT_GE(steps, 9);
    EXPECT_LE(steps, 11);
    EXPECT_FALSE(mBoard->mRunning);
    Step(50);
    EXPECT_EQ(mBoard->Count("OnLevelFinished"), 1);
    EXPECT_EQ(mBoard->Count("ResetLevel"), 1) << "the level was stopped before it was reported finished";
    const Calls calls = mBoard->Calls();
    EXPECT_EQ(calls.back(), "OnLevelFinished");
}

TEST_F(TMBoardGameTest, ClicksAreHandledInTheirOrderInTheNextStepAfterTheGamesStep)
{
    Begin(R"(<time_point time="100" type="later"/>)");
    TMPickItem* table = TMPickItem::FindPickItem("table");
    TMPickItem* tray = TMPickItem::FindPickItem("tray");

    mBoard->MouseMove(250, 50);
    EXPECT_EQ(mBoard->GetHoverItem(), tray);
    EXPECT_TRUE(tray->IsMouseOver());
    EXPECT_FALSE(table->IsMouseOver());
    mBoard->MouseDown(250, 50, Pyxo::MouseButton::Left, 1);
    mBoard->ClickItem("table"); // as the tutorial clicks for the player
    mBoard->ClickItem("nobody");
    EXPECT_EQ(mBoard->Count("OnObjectClicked tray"), 0) << "queued, not handled at once";

    Step();
    EXPECT_EQ(mBoard->Calls(), (Calls{"UpdateLevel", "OnObjectClicked tray", "OnObjectClicked table"}));
    EXPECT_EQ(tray->GetClickCount(), 1);
    EXPECT_EQ(table->GetClickCount(), 1);
    EXPECT_EQ(mBoard->QueuedClickCount(), 0u);
}

TEST_F(TMBoardGameTest, ClicksThatTheBoardCannotTakeAreIgnored)
{
    Begin(R"(<time_point time="100" type="later"/>)");
    struct Case {
        const char* name;
        int x, y, button;
        void (*before)(TMBoard_Game&);
        void (*after)(TMBoard_Game&);
    };
    const Case cases[] = {
        {"right button", 50, 50, Pyxo::MouseButton::Right, nullptr, nullptr},
        {"outside every region", 150, 50, Pyxo::MouseButton::Left, nullptr, nullptr},
        {"paused", 50, 50, Pyxo::MouseButton::Left, [](TMBoard_Game& b) { b.Pause(); },
         [](TMBoard_Game& b) { b.Resume(); }},
        {"hidden item", 50, 50, Pyxo::MouseButton::Left,
         [](TMBoard_Game&) { TMPickItem::FindPickItem("table")->SetVisible(false); },
         [](TMBoard_Game&) { TMPickItem::FindPickItem("table")->SetVisible(true); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mBoard->MouseMove(c.x, c.y);
        if (c.before)
            c.before(*mBoard);
        mBoard->MouseDown(c.x, c.y, c.button, 1);
        if (c.after)
            c.after(*mBoard);
        EXPECT_EQ(mBoard->QueuedClickCount(), 0u);
    }
    mBoard->MouseMove(50, 50);
    mBoard->MouseMove(150, 50);
    EXPECT_EQ(mBoard->GetHoverItem(), nullptr) << "the pointer left the table";
}

TEST_F(TMBoardGameTest, ADeclinedEventIsOfferedAgainEveryStepAndOneIsTakenPerStep)
{
    Begin(R"(<time_point time="0" type="first"/><time_point time="0" type="second"/>)");
    mBoard->mAcceptEvents = false;
    Step(3);
    EXPECT_EQ(mBoard->Count("TryDispatchEvent first"), 3);
    EXPECT_EQ(mBoard->Count("TryDispatchEvent second"), 0);

    mBoard->mAcceptEvents = true;
    Step();
    EXPECT_EQ(mBoard->Count("TryDispatchEvent first"), 4);
    EXPECT_EQ(mBoard->Count("TryDispatchEvent second"), 0) << "one time point per step";
    EXPECT_FLOAT_EQ(mBoard->GetProgress(), 0.5f);
    Step();
    EXPECT_EQ(mBoard->Count("TryDispatchEvent second"), 1);
    EXPECT_TRUE(mBoard->mEvents.IsFinished());
}

TEST_F(TMBoardGameTest, CareerMoneyNeverDropsBelowZero)
{
    Begin(R"(<time_point time="100" type="later"/>)");
    EXPECT_EQ(mBoard->AddMoney(30), 30);
    EXPECT_EQ(mBoard->AddMoney(-50), 0);
    EXPECT_EQ(TextVar("money"), L"0");
    EXPECT_EQ(mBoard->Count("OnMoneyChanged"), 2);
    EXPECT_EQ(mBoard->GetStageCounter(), 1) << "career levels have no stages";
}

class SurvivalStagesTest : public TMBoardGameTest {
protected:
    /// Survival level 1: money goals 100 and 250, and the stage records given, over three extra objects.
    void BeginSurvival(const std::string& stages)
    {
        WriteScene("s1.xml", std::string(kTwoTables) + R"(<object class="item" name="extra2"/>
            <object class="item" name="extra3"/><object class="item" name="extra5"/>)");
        WriteLevel(1, true,
                   R"(<objects><object name="table"/><object name="extra2" stop="1"/>
            <object name="extra3" stop="1"/><object name="extra5" stop="1"/></objects>
            <events_queue><stages><stage points="100"/><stage points="250"/></stages></events_queue>
            <stages>)" +
                       stages + "</stages>");
        Load(1, true);
        ASSERT_TRUE(mBoard->mRunning);
        mBoard->ClearCalls();
    }
    static bool Present(const char* name) { return TMItem::FindByName(name)->IsPresent(); }
};

ILVANE_THREADED_SUITE(SurvivalStagesTest);

TEST_F(SurvivalStagesTest, OneGainAdvancesOneStageHoweverManyGoalsItPasses)
{
    BeginSurvival(R"(<stage num="2"><object name="extra2"/><object name="nobody"/></stage>
                     <stage num="3"><object name="extra3"/></stage>)");
    ASSERT_EQ(mBoard->GetStages().front().objects.size(), 1u) << "the unknown name is skipped";
    EXPECT_TRUE(LogHas("nobody"));

    EXPECT_EQ(mBoard->AddMoney(-20), 0);
    EXPECT_EQ(mBoard->Count("OnMoneyChanged"), 1) << "a loss changes nothing but is still reported";
    EXPECT_EQ(TextVar("money"), L"0");
    EXPECT_FLOAT_EQ(mBoard->GetProgress(), 0.0f);
    mBoard->AddMoney(50);
    EXPECT_FLOAT_EQ(mBoard->GetProgress(), 0.5f);

    mBoard->AddMoney(250); // 300 passes both goals
    EXPECT_EQ(mBoard->GetStageCounter(), 2);
    EXPECT_TRUE(Present("extra2"));
    EXPECT_FALSE(Present("extra3"));
    EXPECT_EQ(TextVar("normal"), L"250");
    EXPECT_EQ(mBoard->Count("UpdateDayLabel"), 1);

    mBoard->AddMoney(0);
    EXPECT_EQ(mBoard->GetStageCounter(), 3);
    EXPECT_TRUE(Present("extra3"));
    EXPECT_EQ(TextVar("normal"), L"400") << "after the last goal, goals go on in its step";
    EXPECT_EQ(TextVar("money"), L"300");
}

TEST_F(SurvivalStagesTest, AStageRecordThatNeverMatchesBlocksTheLaterOnes)
{
    BeginSurvival(R"(<stage num="2"><object name="extra2"/></stage><stage num="5"><object name="extra5"/></stage>
                     <stage num="3"><object name="extra3"/></stage>)");
    mBoard->AddMoney(100);
    mBoard->AddMoney(150);
    mBoard->AddMoney(150);
    EXPECT_EQ(mBoard->GetStageCounter(), 4);
    EXPECT_TRUE(Present("extra2"));
    EXPECT_FALSE(Present("extra3")) << "stage 5 stands before it and is never reached in order";
    EXPECT_FALSE(Present("extra5"));
    EXPECT_FLOAT_EQ(mBoard->GetProgress(), 0.0f) << "no stage pending any more";
}

TEST_F(TMBoardGameTest, PauseIsCountedAndMoreResumesThanPausesCannotUndoALaterPause)
{
    Begin(R"(<time_point time="100" type="later"/>)");
    mBoard->Pause();
    mBoard->Pause();
    mBoard->Resume();
    const float before = mBoard->mLevelTime;
    Step();
    EXPECT_EQ(mBoard->mLevelTime, before) << "paused twice, resumed once: still paused";
    mBoard->Resume();
    mBoard->Resume();
    mBoard->Resume();
    EXPECT_EQ(mBoard->mPauseCount, 0);
    mBoard->Pause();
    Step();
    EXPECT_EQ(mBoard->mLevelTime, before) << "one Pause after the extra Resumes pauses again";
    mBoard->Resume();
    Step();
    EXPECT_GT(mBoard->mLevelTime, before);
    EXPECT_EQ(mBoard->Count("OnPause"), 2);
    EXPECT_EQ(mBoard->Count("OnResume"), 2);
}

TEST_F(TMBoardGameTest, TheActorConfigurationComesFromTheConfigurationFileWhenItCanBeRead)
{
    mBoard->LoadConfig();
    EXPECT_EQ(mBoard->Count("LoadActorConfigs"), 0);
    EXPECT_TRUE(LogHas("cfg\\cfg.xml: missing or not readable"));

    WriteXml(mFolder / "cfg" / "cfg.xml", "<root><perses/></root>");
    mBoard->LoadConfig();
    EXPECT_EQ(mBoard->Count("LoadActorConfigs"), 1);
    mBoard->ReleaseLevel();
    EXPECT_EQ(mBoard->Count("ClearActorConfigs"), 1);
}

} // namespace
