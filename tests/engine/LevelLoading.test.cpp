// Level loading on the level-loading thread: the hand-over to the main thread, what each level file decides,
// reloads, refused requests, loads that cannot proceed, and a running level reloaded while the main thread keeps
// stepping the board.
#include "engine/PathGraph.h"
#include "engine/TMBoard_Game.h"
#include "shell/ProcessExit.h"
#include "tests/SuiteLabels.h"
#include "tests/engine/BoardTestKit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace EngineTest;
using Calls = std::vector<std::string>;

/// Made and deleted items, in order ("made", "deleted"), to show that a reload deletes before it creates.
std::vector<std::string> gItemLife;

class CountedItem : public TMItem {
public:
    CountedItem() { gItemLife.push_back("made"); }
    ~CountedItem() override { gItemLife.push_back("deleted"); }
};

class LevelLoadingTest : public BoardFixture {
protected:
    void SetUp() override
    {
        BoardFixture::SetUp();
        gItemLife.clear();
        RegisterItemFactory("counted", []() -> TMItem* { return new CountedItem(); });
        WriteScene("s1.xml", std::string(kTwoTables) + R"(<object class="counted" name="extra"/>)");
        WriteLevel(1, false, R"(<objects><object name="table"/><object name="extra"/></objects>
            <events_queue><time_point time="100" type="later"/></events_queue>)");
    }
};

ILVANE_THREADED_SUITE(LevelLoadingTest);

TEST_F(LevelLoadingTest, ALevelLoadsOnItsThreadAndBeginsOnTheMainThread)
{
    mBoard->SetVisible(true);
    mBoard->StartLoadThread(1, false);
    EXPECT_TRUE(mBoard->IsWaitingForLoad());
    EXPECT_FALSE(mBoard->mVisible) << "the board hides while its level loads";
    EXPECT_EQ(mEngine->mShown, 1);

    PumpUntilLoaded();
    EXPECT_EQ(mEngine->mHidden, 1);
    EXPECT_TRUE(mBoard->mVisible);
    EXPECT_TRUE(mBoard->mRunning);
    EXPECT_FALSE(mBoard->IsLoadingInProgress());
    EXPECT_TRUE(mEngine->mLoadingThreadCompleted);
    EXPECT_EQ(mBoard->mLevel, 1);
    EXPECT_EQ(mBoard->Calls(), (Calls{"ReadLevelConfig", "OnMoneyChanged", "StartLevel"}))
        << "nothing stepped, drew or clicked while the level loaded";
    EXPECT_EQ(gItems.size(), 4u);
    EXPECT_TRUE(TMItem::FindByName("table")->IsPresent());
    TMItem* tray = TMItem::FindByName("tray");
    EXPECT_FALSE(tray->IsPresent()) << "an object the level file does not name takes no part";
    EXPECT_FALSE(tray->IsVisible());
}

TEST_F(LevelLoadingTest, OnlySurvivalLevelsReadTheirStages)
{
    const std::string body = R"(<objects><object name="table"/></objects>
        <stages><stage num="2"><object name="table"/></stage></stages>)";
    WriteLevel(3, false, body);
    WriteLevel(3, true, body);
    Load(3, false);
    EXPECT_TRUE(mBoard->GetStages().empty());
    EXPECT_FALSE(mBoard->mSurvival);
    Load(3, true);
    EXPECT_EQ(mBoard->GetStages().size(), 1u);
    EXPECT_TRUE(mBoard->mSurvival);
    EXPECT_EQ(mBoard->mEvents.mMode, EventQueue::kModeGenerated);
}

TEST_F(LevelLoadingTest, AReloadTearsTheRunningLevelDownBeforeCreatingTheNewOne)
{
    Load(1);
    mBoard->ClickItem("table");
    mBoard->ClearCalls();
    gItemLife.clear();

    mBoard->ReloadLevel(); // a running level, not stopped first, as the escape menu's restart does
    EXPECT_FALSE(mBoard->mRunning) << "stopped on the main thread before the thread starts";
    PumpUntilLoaded();
    EXPECT_EQ(gItemLife, (std::vector<std::string>{"deleted", "made"}));
    EXPECT_EQ(mBoard->Calls(),
              (Calls{"ResetLevel", "ReleaseLevelActors", "ReadLevelConfig", "OnMoneyChanged", "StartLevel"}));
    EXPECT_EQ(mBoard->QueuedClickCount(), 0u) << "the old level's click went with it";
    EXPECT_TRUE(mBoard->mRunning);

    mBoard->NextLevel(); // level 2 has no file
    PumpUntilLoaded();
    EXPECT_EQ(mBoard->mLevel, 2);
}

TEST_F(LevelLoadingTest, TheBossGraphTakesTheScenesTheLevelsAndThePickPointsAndGoesWithTheLevel)
{
    WriteScene("s2.xml",
               R"(<object class="pickable" name="table" rgn="0 0 9 0 9 9">
                      <point owner="boss" offs_x="40" offs_y="40"/></object>)",
               R"(<graphs><graph name="boss"><points><point name="door" x="0" y="0"/></points></graph></graphs>)");
    WriteLevel(2, false, R"(<objects><object name="table"/></objects><graphs><graph name="boss"><points>
        <point name="bar" x="10" y="10"/></points><edges><edge p1="door" p2="bar"/><edge p1="bar" p2="table"/>
        </edges></graph></graphs>)",
               "scene\\s2.xml");
    EXPECT_EQ(mBoard->GetPathGraph("client"), nullptr) << "one graph per name of the table";
    PathGraph* graph = mBoard->GetPathGraph("boss");
    ASSERT_NE(graph, nullptr);

    Load(2);
    for (const char* point : {"door", "bar", "table"})
        EXPECT_TRUE(graph->Working().HasPoint(point)) << point;
    ASSERT_TRUE(graph->SetStart("door"));
    EXPECT_TRUE(graph->StartRoute("table", 100.0f));

    Load(9); // no such level: the old one is torn down all the same
    EXPECT_TRUE(graph->Working().Points().empty());
    EXPECT_TRUE(graph->Base().Points().empty());
}

TEST_F(LevelLoadingTest, ASecondRequestWhileALoadRunsIsRefused)
{
    WriteLevel(2, false, R"(<objects><object name="tray"/></objects>)");
    mBoard->StartLoadThread(1, false);
    mBoard->StartLoadThread(2, false);
    EXPECT_EQ(mEngine->mShown, 1);
    PumpUntilLoaded();
    EXPECT_TRUE(LogHas("level 2: a level load is already under way"));
    EXPECT_EQ(mBoard->mLevel, 1);
    EXPECT_EQ(mBoard->Count("ReadLevelConfig"), 1);
    EXPECT_EQ(mBoard->Count("StartLevel"), 1);
}

TEST_F(LevelLoadingTest, ALoadThatCannotProceedHidesTheLoadScreenAndBeginsNoLevel)
{
    struct Case {
        const char* name;
        const char* levelFile; // null: no level file
        const char* scene;     // the scene document scene\bad.xml; null: none
        const char* logged;
    };
    const Case cases[] = {
        {"no level file", nullptr, "<root/>", "cfg\\l2.xml: missing or cannot be opened"},
        {"broken level file", "<l", "<root/>",
         "cfg\\l2.xml: not well-formed XML at line 1, column 2: Error parsing start element tag"},
        {"no level element", "<other doc=\"scene\\bad.xml\"/>", "<root/>", "no element \"level\""},
        {"no doc attribute", "<level/>", "<root/>", "names no scene document"},
        {"no scene document", "<level doc=\"scene\\none.xml\"/>", nullptr,
         "scene\\none.xml: missing or cannot be opened"},
        {"no root element", "<level doc=\"scene\\bad.xml\"/>", "<scene/>", "scene\\bad.xml: no element \"root\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Load(1);
        ASSERT_TRUE(mBoard->mRunning);
        fs::remove(mFolder / "cfg" / "l2.xml");
        fs::remove(mFolder / "scene" / "bad.xml");
        if (c.levelFile) {
            if (std::string(c.name) == "broken level file")
                WriteBytes(mFolder / "cfg" / "l2.xml", {'<', 0, 'l', 0});
            else
                WriteXml(mFolder / "cfg" / "l2.xml", c.levelFile);
        }
        if (c.scene)
            WriteXml(mFolder / "scene" / "bad.xml", c.scene);
        mBoard->ClearCalls();
        const int hidden = mEngine->mHidden;

        Load(2);
        EXPECT_EQ(mEngine->mHidden, hidden + 1);
        EXPECT_FALSE(mBoard->mRunning);
        EXPECT_FALSE(mBoard->mVisible);
        EXPECT_TRUE(gItems.empty()) << "the previous level is gone, no new one made";
        EXPECT_EQ(mBoard->Count("OnLevelLoadFailed"), 1);
        EXPECT_EQ(mBoard->Count("StartLevel"), 0);
        EXPECT_EQ(mBoard->Count("ReadLevelConfig"), 0);
        EXPECT_TRUE(LogHas(c.logged));
        Step(5);
        EXPECT_EQ(mBoard->Count("UpdateLevel"), 0);
    }
}

TEST_F(LevelLoadingTest, AFailedLoadMayStartTheNextOne)
{
    class RetryingBoard : public RecordingBoard {
    public:
        using RecordingBoard::RecordingBoard;
        void OnLevelLoadFailed() override
        {
            RecordingBoard::OnLevelLoadFailed();
            StartLoadThread(1, false);
        }
    };
    mBoard.reset();
    mBoard = std::make_unique<RetryingBoard>(mEngine);
    Load(9);
    PumpUntilLoaded();
    EXPECT_EQ(mBoard->Count("OnLevelLoadFailed"), 1);
    EXPECT_TRUE(mBoard->mRunning);
    EXPECT_EQ(mBoard->mLevel, 1);
}

TEST_F(LevelLoadingTest, AClickThatRestartsTheLevelEndsTheStepThere)
{
    class RestartingBoard : public RecordingBoard {
    public:
        using RecordingBoard::RecordingBoard;
        void OnObjectClicked(TMPickItem* item) override
        {
            RecordingBoard::OnObjectClicked(item);
            ReloadLevel();
        }
    };
    mBoard.reset();
    mBoard = std::make_unique<RestartingBoard>(mEngine);
    Load(1);
    mBoard->ClickItem("table");
    mBoard->ClickItem("table");
    Step();
    EXPECT_TRUE(mBoard->IsWaitingForLoad());
    PumpUntilLoaded();
    EXPECT_EQ(mBoard->Count("OnObjectClicked table"), 1) << "the second click belonged to the old level";
    EXPECT_EQ(mBoard->Count("StartLevel"), 2);
}

TEST_F(LevelLoadingTest, TheProcessExitWaitsForTheLoadingThread)
{
    mBoard->StartLoadThread(1, false);
    Pyxo::StopOtherThreads();
    EXPECT_TRUE(mEngine->mLoadingThreadCompleted) << "the thread has ended";
    PumpUntilLoaded();
    EXPECT_TRUE(mBoard->mRunning);
}

} // namespace
