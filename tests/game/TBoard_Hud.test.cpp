// The HUD over a running level: the clock and the survival upgrade progress from the board's progress, the
// closing alarm once per level, the goal and expert panels, lives, the freeze bar, the tutorial hints, the texts
// that read the board's money and goal, and the menu button; missing children and frames are logged and skipped.
#include "game/TBoard_Hud.h"

#include "engine/TMText.h"
#include "engine/TMTexture.h"
#include "game/TMBoard_EscapeMenu.h"
#include "tests/SuiteLabels.h"
#include "tests/game/PlayfieldTestKit.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace PlayfieldTest;

std::vector<std::string> Frames(const char* format, int count)
{
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, format, i);
        names.push_back(name);
    }
    return names;
}

class TBoard_HudTest : public PlayfieldFixture {
protected:
    void MakeWithFrames(int clockFrames = 20, int upgradeFrames = 4)
    {
        std::vector<std::string> textures = Frames("hud_watch%02d", clockFrames);
        for (const std::string& name : Frames("hud_upgrade_%02d", upgradeFrames))
            textures.push_back(name);
        MakeStandardBoard(textures);
    }

    /// A career day whose two time points come at 0 and at the given second.
    void PlayCareerDay(const std::string& secondTime)
    {
        WriteScene("");
        WriteLevel(2, false,
                   R"(<events_queue><time_point time="0" type="tick"/><time_point time=")" + secondTime +
                       R"(" type="tick"/></events_queue>)");
        Load(2);
    }

    /// The texture record the widget's normal set shows.
    TextureRecord* Shown(const std::string& path)
    {
        TMCandyWidget* widget = Child(mHud, path);
        TMTexture* set = widget ? widget->GetNormalTextureSet() : nullptr;
        return set && !set->mFrames.empty() ? set->mFrames[0].GetRecord() : nullptr;
    }
    TextureRecord* Record(const std::string& id) { return mGame->GetTextureTable()->Find(id).GetRecord(); }
};

ILVANE_THREADED_SUITE(TBoard_HudTest);

TEST_F(TBoard_HudTest, TheClockShowsTheDaysProgressAndTheAlarmOncePerMode)
{
    MakeWithFrames();
    Child(mHud, "achievments")->SetVisible(true);
    Child(mHud, "achievments/ach_1")->SetVisible(true);
    PlayCareerDay("0.2");
    EXPECT_FALSE(Visible("achievments/ach_1")) << "earned icons start hidden";
    EXPECT_TRUE(Visible("achievments/ach_4")) << "no-broke is earned until a worker breaks down";
    EXPECT_FALSE(Visible("left_part/closed"));
    Frame(2);
    EXPECT_EQ(mHud->GetClockFrameCount(), 20u);
    EXPECT_EQ(mHud->GetLastFrame(), 9) << "trunc(0.5 x 19)";
    EXPECT_EQ(Shown("left_part/clock"), Record("hud_watch09"));
    EXPECT_FALSE(Visible("left_part/alarm"));

    Frame(25); // the second time point: progress 1
    EXPECT_EQ(mHud->GetLastFrame(), 19);
    EXPECT_EQ(Shown("left_part/clock"), Record("hud_watch19"));
    EXPECT_TRUE(Visible("left_part/alarm"));
    EXPECT_TRUE(Visible("left_part/closed"));

    Child(mHud, "left_part/alarm")->Hide();
    Frame(3);
    EXPECT_FALSE(Visible("left_part/alarm")) << "shown once";
    mHud->SetMode(false);
    Frame();
    EXPECT_TRUE(Visible("left_part/alarm")) << "armed again by SetMode";
}

TEST_F(TBoard_HudTest, SurvivalProgressAboveOneShowsTheLastUpgradeFrame)
{
    MakeWithFrames();
    WriteScene("");
    WriteLevel(1, true, R"(<events_queue><stages><stage points="100"/><stage points="250"/></stages></events_queue>
                           <stages><stage num="2"/></stages>)");
    Load(1, true);
    EXPECT_TRUE(Visible("survival_life/life_3"));
    EXPECT_TRUE(Visible("left_survival_part"));
    EXPECT_FALSE(Visible("achievments")) << "no achievements in survival";
    mBoard->AddMoney(50);
    Frame();
    EXPECT_EQ(mHud->GetLastFrame(), 1) << "trunc(0.5 x 3)";
    EXPECT_EQ(Shown("left_survival_part/clock"), Record("hud_upgrade_01"));
    EXPECT_TRUE(Visible("left_survival_part/clock"));

    mBoard->AddMoney(1000); // one stage further: (1050 - 100) / 150 of the next goal
    ASSERT_GT(mBoard->GetProgress(), 1.0f);
    Frame();
    EXPECT_EQ(mHud->GetLastFrame(), 3);
    EXPECT_EQ(Shown("left_survival_part/clock"), Record("hud_upgrade_03"));
}

TEST_F(TBoard_HudTest, WithoutFramesTheIndicatorStaysAsItIs)
{
    MakeStandardBoard();
    PlayCareerDay("0.2");
    Frame(30);
    EXPECT_EQ(mHud->GetClockFrameCount(), 0u);
    EXPECT_EQ(mHud->GetLastFrame(), -1);
    EXPECT_FALSE(Visible("left_part/alarm"));
    EXPECT_TRUE(LogHas("no \"hud_watch%02d\" frames"));
}

TEST_F(TBoard_HudTest, TheGoalSplashTurnsTheCareerPanelToTheExpertGoal)
{
    MakeWithFrames();
    LoadSounds({"goal", "expert"});
    struct Case {
        bool survival;
        bool goalPanelAfter;
        bool expertPanelAfter;
    };
    for (const Case& c : {Case{false, false, true}, Case{true, true, false}}) {
        SCOPED_TRACE(c.survival ? "survival" : "career");
        mHud->Reset();
        mHud->SetMode(c.survival);
        EXPECT_TRUE(Visible("right_part/goal_bkg"));
        EXPECT_FALSE(Visible("right_part/expert_bkg"));
        mHud->ShowGoalSplash();
        EXPECT_TRUE(Visible("goal_splash"));
        EXPECT_TRUE(Visible("goal_splash/goal_splash_text"));
        for (const char* name : {"goal_bkg", "goal_value", "goal_text", "money_goal_value", "money_goal_value_ghost"})
            EXPECT_EQ(Visible(std::string("right_part/") + name), c.goalPanelAfter) << name;
        for (const char* name :
             {"expert_bkg", "expert_value", "expert_text", "money_expert_value", "money_expert_value_ghost"})
            EXPECT_EQ(Visible(std::string("right_part/") + name), c.expertPanelAfter) << name;
        mHud->ShowExpertSplash();
        EXPECT_TRUE(Visible("expert_splash"));
        EXPECT_EQ(TakePlayed(), (std::map<std::string, int>{{"expert", 1}, {"goal", 1}}));
    }
    mHud->Reset();
    EXPECT_FALSE(Visible("goal_splash"));
    EXPECT_FALSE(Visible("expert_splash/expert_splash_text"));
    EXPECT_FALSE(Visible("right_part"));
}

TEST_F(TBoard_HudTest, LivesShowOneWidgetAndRefuseCountsOutsideZeroToThree)
{
    MakeWithFrames();
    mHud->SetMode(true);
    struct Case {
        int set;
        int shown;
    };
    for (const Case& c : {Case{3, 3}, Case{2, 2}, Case{0, 0}, Case{5, 0}, Case{-1, 0}}) {
        SCOPED_TRACE(c.set);
        mHud->SetLives(c.set);
        EXPECT_EQ(mHud->GetShownLives(), c.shown);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(Visible("survival_life/life_" + std::to_string(i)), i == c.shown) << i;
    }
    EXPECT_TRUE(LogHas("5 lives cannot be shown"));
}

TEST_F(TBoard_HudTest, TheFreezeBarHidesWhenItsCountdownRunsOut)
{
    MakeWithFrames();
    mHud->SetVisible(true);
    mHud->ShowFreezeBar(0.05f);
    EXPECT_TRUE(Visible("freeze"));
    EXPECT_TRUE(Visible("freeze/step_2"));
    EXPECT_FLOAT_EQ(Child(mHud, "freeze/step_1")->mScale, 4.0f);
    gFrameDelta = 0.01f;
    for (int i = 0; i < 4; ++i)
        AdvanceGameTime();
    mHud->Update();
    EXPECT_TRUE(Visible("freeze"));
    AdvanceGameTime();
    AdvanceGameTime(); // past 0.05 s however the frames add up
    mHud->Update();
    EXPECT_FALSE(Visible("freeze"));
    EXPECT_FALSE(Visible("freeze/step_2"));
}

TEST_F(TBoard_HudTest, HintsAnswerTheNumberAfterTheirNameAndOthersAreLogged)
{
    MakeBoard(HudXml(Text("tutorialbox", 0, 0, 10, 10)) + MiniGameXml() + UpgradeXml());
    EXPECT_TRUE(LogHas("\"tutorialbox\" has no number"));
    mHud->ShowTutorialHint(7, true);
    EXPECT_TRUE(Visible("tutorial7"));
    EXPECT_TRUE(mHud->IsTutorialHintVisible(7));
    EXPECT_FALSE(mHud->IsTutorialHintVisible(17));
    mHud->ShowTutorialHint(99, true); // no such hint
    EXPECT_FALSE(mHud->IsTutorialHintVisible(99));
    mHud->ShowTutorialHint(7, false);
    EXPECT_FALSE(Visible("tutorial7"));
}

TEST_F(TBoard_HudTest, MissingChildrenAreLoggedOnceAndSkipped)
{
    MakeBoard(Dialog("hud", Dialog("survival_life", Text("life_3", 0, 0, 10, 10)) + Button("menu_btn", 0, 0, 9, 9)) +
              MiniGameXml() + UpgradeXml());
    EXPECT_TRUE(LogHas("no child \"freeze\""));
    EXPECT_TRUE(LogHas("no child \"survival_life/life_0\""));
    mHud->SetMode(true);
    mHud->SetLives(3);
    mHud->SetLives(1);
    mHud->ShowGoalSplash();
    mHud->ShowFreezeBar(1.0f);
    mHud->ShowCleanEffect();
    mHud->ShowUpgradeButton(true);
    mHud->ShowAchievementIcon(2, true);
    mHud->MoveAchievementRow(2, 40);
    mHud->ShowTutorialPanel(true);
    mHud->SetVisible(true);
    mHud->Update();
    mHud->Reset();
    EXPECT_EQ(mHud->GetShownLives(), 0);
}

TEST_F(TBoard_HudTest, TextsReadTheBoardsMoneyAndGoalAndTheMenuButtonOpensTheEscapeMenu)
{
    MakeWithFrames();
    PlayCareerDay("100");
    mBoard->AddMoney(30);
    Frame();
    auto* money = dynamic_cast<TMText*>(Child(mHud, "right_part/money_goal_value"));
    auto* goal = dynamic_cast<TMText*>(Child(mHud, "right_part/goal_value"));
    ASSERT_NE(money, nullptr);
    ASSERT_NE(goal, nullptr);
    EXPECT_EQ(money->GetExpandedText(), L"30");
    EXPECT_EQ(goal->GetExpandedText(), L"100");

    ASSERT_NE(mBoard->GetEscapeMenu(), nullptr);
    EXPECT_FALSE(mBoard->GetEscapeMenu()->mVisible);
    const int pauses = mBoard->mPauseCount;
    Click(710, 20);
    EXPECT_TRUE(mBoard->GetEscapeMenu()->mVisible);
    EXPECT_EQ(mBoard->mPauseCount, pauses + 1) << "the level waits behind the menu";
}

} // namespace
