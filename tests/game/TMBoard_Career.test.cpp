// The career book: the cafe and day a profile opens on (also from a damaged furthest level), the day buttons and
// signs, a finished day's result with its achievements, records and count-up, the comics before their days and
// after the last one, and a comic page missing from the content.
#include "game/TMBoard_Career.h"

#include "engine/TMLocTable.h"
#include "engine/TextVars.h"
#include "game/ConfirmDialogs.h"
#include "game/TMBoard_MainMenu.h"
#include "platform/window/WindowSystem.h"
#include "shell/WidgetManager.h"
#include "tests/SuiteLabels.h"
#include "tests/game/GameTestKit.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace GameTest;

std::string Control(const std::string& type, const std::string& name, int x = 0, int y = 0,
                    const std::string& inner = "")
{
    return "<element type=\"" + type + "\" name=\"" + name + "\" x=\"" + std::to_string(x) + "\" y=\"" +
           std::to_string(y) + "\" width=\"30\" height=\"20\" visible=\"true\">" + inner + "</element>";
}

std::string Box(const std::string& name, const std::string& inner, bool visible = true)
{
    return "<element type=\"tmdialog\" name=\"" + name + "\" x=\"0\" y=\"0\" width=\"366\" height=\"565\" visible=\"" +
           (visible ? "true" : "false") + "\">" + inner + "</element>";
}

std::string Spread(const std::string& name, bool withButtons)
{
    std::string left = Control("tmbutton", "back_button") + Control("tmtext", "photo_cafe") +
                       "<element type=\"tmtext\" name=\"day_mark\" width=\"10\" height=\"8\" visible=\"true\"/>";
    for (int n = 1; n <= 24; ++n) {
        char suffix[8];
        std::snprintf(suffix, sizeof suffix, "%02d", n);
        if (withButtons)
            left += Control("tmbutton", std::string("day_button_") + suffix, 40 * n, 100);
        for (const char* kind : {"goal_", "expert_", "star_", "day_text_"})
            left += Control("tmtext", kind + std::string(suffix));
    }
    std::string icons;
    for (int n = 1; n <= 4; ++n)
        icons += Control("tmtext", "ach_" + std::to_string(n)) + Control("tmtext", "ach_" + std::to_string(n) + "_bg");
    const std::string right =
        Control("tmbutton", "next_button") + Control("tmbutton", "play_button") + Control("tmtext", "photo_briefing") +
        Control("tmtext", "brief_debrief") + Control("tmtext", "photo_goal") + Control("tmtext", "photo_expert") +
        Control("tmtext", "photo_star") + Control("tmtext", "ach_prize") + Box("achievment_bg", icons);
    return Box(name, Box("left_page", left) + Box("right_page", right), name == "career_dlg");
}

// The shared question box at (200, 150); its yes button at (250, 350) on the screen.
constexpr const char* kQuestionBox = R"(
  <element name="dialogbox_2button" type="tmdialog" x="200" y="150" width="400" height="300">
    <element type="tmbutton" name="btn_yes" x="50" y="200" width="100" height="40" visible="true"/>
    <element type="tmbutton" name="btn_no" x="250" y="200" width="100" height="40" visible="true"/>
  </element>
  <element name="dialogbox_1button" type="tmdialog" x="200" y="150" width="400" height="300"/>)";

constexpr const char* kBriefing = R"(
  <element type="tmdialog" name="briefing_dialog" x="140" y="60" width="520" height="480">
    <element type="tmbutton" name="start" x="180" y="408" width="160" height="44" visible="true"/>
  </element>)";

std::string CareerUi()
{
    std::string comix;
    for (const char* page : {"comix00a", "comix00b", "comix00c", "comix05", "comix60"}) // no comix15
        comix += Box(page, Control("tmtext", "panel"), false);
    comix += Control("tmbutton", "next_button");
    std::string tabs;
    for (int cafe = 1; cafe <= 3; ++cafe) {
        tabs += Control("tmbutton", "cafe" + std::to_string(cafe) + "_button") +
                Control("tmtext", "cafe" + std::to_string(cafe) + "_text_big");
    }
    return "<root><element type=\"tmdialog\" name=\"career_menu\" width=\"800\" height=\"600\">" +
           Spread("career_dlg", true) + Spread("career_dlg_fake", false) + tabs + Control("tmbutton", "reset_button") +
           Control("tmbutton", "current_day") + Box("comix", comix, false) + Control("tmtext", "expert_splash") +
           Control("tmtext", "goal_splash") + Control("tmtext", "fail_splash") + "</element>" + kBriefing +
           "<element type=\"tmdialog\" name=\"main_menu\" width=\"800\" height=\"600\"/>" + kQuestionBox + "</root>";
}

/// Closes the application when the question box has run this many loop steps unanswered: a lost click fails the
/// test instead of holding it.
class Watchdog : public Pyxo::Widget {
public:
    explicit Watchdog(Pyxo::PyxoAppBase& app) : mApp(app) {}
    void Update() override
    {
        Widget::Update();
        if (++mSteps == 2000)
            mApp.Shutdown();
    }

    Pyxo::PyxoAppBase& mApp;
    int mSteps = 0;
};

class TMBoard_CareerTest : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        WriteGameConfig(mFolder, "");
        // The real start-up, so that the question box runs the engine's loop on posted window messages.
        WriteMinimalContent();
        WriteXml(mFolder / "cfg" / "loc.xml", R"(<root><loc id="app_title" text="Fixture Cafe"/>
            <loc id="breif_qq" text="Next day"/><loc id="breif_l3" text="Day three"/></root>)");
        ASSERT_EQ(InitExitCode(*mGame), -1);
        mGame->mRunning = true;
        mGame->mDeferredMessages.clear();
        MakeGameBoard(CareerUi());
        CreateConfirmDialogs(mGame, mUi.child("root"));
        mWatchdog = std::make_unique<Watchdog>(*mGame);
        mGame->mWidgetManager->AddWidget(mWatchdog.get());
        mMenu = std::make_unique<TMBoard_MainMenu>(mGame, mUi.child("root"));
        mMenu->SetVisible(false);
        mGame->mMainMenuBoard = mMenu.get();
        mCareer->SetVisible(false);
        mProfile = mGame->GetPref().GetProfile();
    }

    void TearDown() override
    {
        // A level load the test started ends before the boards go.
        while (mGameBoard && mGameBoard->IsWaitingForLoad()) {
            if (mGame->mLoadingThreadCompleted)
                mGameBoard->FinishLevelLoad();
            else
                std::this_thread::yield();
        }
        mGame->mMainMenuBoard = nullptr;
        mMenu.reset();
        mGame->mWidgetManager->RemoveWidget(mWatchdog.get());
        mWatchdog.reset();
        GameFixture::TearDown();
    }

    void Click(TMCandyWidget* control)
    {
        ASSERT_NE(control, nullptr);
        mCareer->OnControl(reinterpret_cast<intptr_t>(control));
    }

    std::wstring Var(const std::string& name) { return mGame->GetTextVars()->Get(name); }

    /// The comic page turned to: visible from the turn's first frame.
    bool ComicShown(const char* page)
    {
        mMenu->Update();
        return mCareer->mComics->FindChild(page)->mVisible;
    }

    TMCandyWidget* Day(int day) { return mCareer->mSpread.dayButtons[static_cast<size_t>(day - 1)]; }

    std::unique_ptr<TMBoard_MainMenu> mMenu;
    ProfileRecord* mProfile = nullptr;
    std::unique_ptr<Watchdog> mWatchdog;
};

ILVANE_THREADED_SUITE(TMBoard_CareerTest);

TEST_F(TMBoard_CareerTest, TheBookOpensOnTheCafeAndDayOfTheFurthestLevel)
{
    const struct {
        int furthest;
        int cafe;
        int day;
    } cases[] = {{1, 1, 1},   {15, 1, 15}, {16, 2, 1}, {35, 2, 20}, {36, 3, 1},
                 {59, 3, 24}, {60, 3, 24}, {0, 1, 1},  {-5, 1, 1},  {99, 3, 24}}; // damaged files: 0, -5 and 99
    for (const auto& c : cases) {
        SCOPED_TRACE(c.furthest);
        mProfile->furthestLevel = c.furthest;
        mCareer->LoadFromProfile();
        EXPECT_EQ(mCareer->GetShownCafe(), c.cafe);
        EXPECT_EQ(mCareer->GetSelectedDay(), c.day);
        EXPECT_EQ(mCareer->GetFurthestDay(), c.day);
        mCareer->ShowCafe(true);
        mCareer->RefreshDay(false, false);
        EXPECT_EQ(mCareer->GetSelectedDay(), c.day);
    }
}

TEST_F(TMBoard_CareerTest, ANewProfileHasOnlyItsFirstDayOpen)
{
    mCareer->Show();
    EXPECT_EQ(mCareer->GetShownCafe(), 1);
    EXPECT_EQ(mCareer->GetSelectedDay(), 1);
    EXPECT_FALSE(Day(1)->mDisabled);
    EXPECT_TRUE(Day(2)->mDisabled);
    EXPECT_TRUE(Day(15)->mVisible);
    EXPECT_FALSE(Day(16)->mVisible) << "cafe 1 has 15 days";
    EXPECT_EQ(Var("brief_debrief"), L"Next day");
    EXPECT_EQ(mCareer->GetPictureName(), "briefing_qq");
    EXPECT_TRUE(mMenu->IsTurning()) << "the book turns to the career spread";
    mCareer->ShowCafe(false);
    EXPECT_TRUE(mCareer->mCafeTabs[1]->mDisabled);
    EXPECT_TRUE(mCareer->mCafeTabs[2]->mDisabled);
}

TEST_F(TMBoard_CareerTest, ACafePastTheFurthestLevelStillOpensOnADayOfItsOwn)
{
    mProfile->furthestLevel = 16;
    mCareer->Show();
    EXPECT_EQ(mCareer->GetShownCafe(), 2);
    Click(mCareer->mCafeTabs[0]);
    EXPECT_EQ(mCareer->GetShownCafe(), 1);
    EXPECT_EQ(mCareer->GetSelectedDay(), 15) << "cafe 1 all open, its last day selected";
    EXPECT_FALSE(Day(15)->mDisabled);
    mCareer->TurnToCafe(3); // locked for this profile, but reached directly
    EXPECT_EQ(mCareer->GetSelectedDay(), 1);
}

TEST_F(TMBoard_CareerTest, AProfileSwitchRefillsTheBook)
{
    mProfile->furthestLevel = 40;
    mCareer->Show();
    EXPECT_EQ(mCareer->GetShownCafe(), 3);
    mCareer->Hide();
    mProfile->furthestLevel = 3;
    mCareer->ResetSelectedDay(); // what the menu's "select" does
    mCareer->Show();
    EXPECT_EQ(mCareer->GetShownCafe(), 1);
    EXPECT_EQ(mCareer->GetSelectedDay(), 3);
}

TEST_F(TMBoard_CareerTest, APassedDayOpensTheNextCountsUpAndGoesToTheRecords)
{
    mProfile->furthestLevel = 3;
    mProfile->bestMoney[1] = 100;
    mProfile->bestMoney[2] = 200;
    mCareer->Show();
    Click(Day(3));
    mCareer->SetVisible(true);
    mCareer->ShowLevelResult(300, 1, 3);
    EXPECT_EQ(mProfile->furthestLevel, 4);
    // No breakdown on a level with the no-broke achievement: its icon, its flag and the bonus.
    const int money = 300 + mGameBoard->GetAchParams().bonusCash;
    EXPECT_EQ(mProfile->bestMoney[3], money);
    EXPECT_EQ(mProfile->achievements[5 * 3 + 3], 1);
    EXPECT_TRUE(mCareer->mSpread.achIcons[3]->mVisible);
    EXPECT_EQ(mCareer->mSpread.achIcons[3]->mX, 40);
    EXPECT_EQ(mProfile->expert[3], 0);
    EXPECT_TRUE(mCareer->mNextButton->mVisible);
    EXPECT_FALSE(mCareer->mPlayButton->mVisible);
    EXPECT_EQ(mGame->GetPref().GetHiScoreTable(false)[0].Name(), L"Tester");
    EXPECT_EQ(mGame->GetPref().GetHiScoreTable(false)[0].score, 300 + money);

    // The count-up: half at one second, the splash after it, the whole at two.
    TMCandyWidget* splash = mCareer->FindChild("goal_splash");
    EXPECT_EQ(mCareer->GetSplash(), splash);
    EXPECT_FALSE(splash->mVisible);
    for (int i = 0; i < 100; ++i)
        mCareer->Update();
    EXPECT_NEAR(std::stoi(Var("score")), money / 2, 2);
    mCareer->Update();
    EXPECT_TRUE(splash->mVisible);
    for (int i = 0; i < 100; ++i)
        mCareer->Update();
    EXPECT_EQ(Var("score"), std::to_wstring(money));
    EXPECT_FALSE(mCareer->IsResultRunning());
}

TEST_F(TMBoard_CareerTest, ALowerReplayKeepsTheBestAndAFailedDayKeepsTheFurthest)
{
    mProfile->furthestLevel = 5;
    mProfile->bestMoney[3] = 5000;
    mCareer->Show();
    Click(Day(3));
    mCareer->ShowLevelResult(400, 0, 3);
    EXPECT_EQ(mProfile->bestMoney[3], 5000);
    EXPECT_EQ(mProfile->expert[3], 1) << "the expert flag is set all the same";
    EXPECT_EQ(mCareer->GetSplash(), mCareer->FindChild("expert_splash"));
    EXPECT_EQ(mGame->GetPref().GetHiScoreTable(false)[0].Name() == L"Tester", false) << "no record offered";
    EXPECT_EQ(mProfile->furthestLevel, 5);

    Click(Day(5));
    mCareer->ShowLevelResult(10, 2, 5);
    EXPECT_EQ(mProfile->furthestLevel, 5);
    EXPECT_EQ(mProfile->bestMoney[5], 0);
    EXPECT_EQ(mCareer->GetSplash(), mCareer->FindChild("fail_splash"));
    EXPECT_TRUE(mCareer->mPlayButton->mVisible);
    EXPECT_FALSE(mCareer->mNextButton->mVisible);
}

TEST_F(TMBoard_CareerTest, TheCareerTotalOfferedToTheRecordsStaysWithinRange)
{
    mProfile->furthestLevel = 4;
    for (int level = 1; level <= 3; ++level)
        mProfile->bestMoney[static_cast<size_t>(level)] = 0x7FFFFF00;
    mCareer->Show();
    Click(Day(4));
    mCareer->ShowLevelResult(1000, 1, 4);
    EXPECT_EQ(mGame->GetPref().GetHiScoreTable(false)[0].score, 0x7FFFFFFF);
}

TEST_F(TMBoard_CareerTest, ComicsComeBeforeTheirDaysEveryTimeAndAfterTheLastDay)
{
    mProfile->furthestLevel = 60;
    mCareer->Show();
    for (int round = 0; round < 2; ++round) { // a replay shows the comic again
        SCOPED_TRACE(round);
        mCareer->StartDay(1);
        EXPECT_EQ(mCareer->GetComicPage(), 1);
        EXPECT_TRUE(mCareer->mComics->mVisible);
        EXPECT_TRUE(ComicShown("comix00a"));
        Click(mCareer->mComicNext);
        EXPECT_EQ(mCareer->GetComicPage(), 2);
        Click(mCareer->mComicNext);
        EXPECT_EQ(mCareer->GetComicPage(), 3);
        EXPECT_TRUE(ComicShown("comix00c"));
        mCareer->StartDay(6);
        EXPECT_EQ(mCareer->GetComicPage(), 4);
        mCareer->mComics->SetVisible(false);
    }
    mCareer->StartDay(7);
    EXPECT_EQ(mCareer->GetComicPage(), 4) << "days without a comic change nothing";

    // The last day passed: the ending comic, no count-up under it, and its button leads to the menu.
    mCareer->SetVisible(true);
    mCareer->StartDay(59);
    mCareer->ShowLevelResult(100, 1, 59);
    EXPECT_EQ(mCareer->GetComicPage(), TMBoard_Career::kEndingComic);
    EXPECT_TRUE(ComicShown("comix60"));
    mCareer->Update();
    EXPECT_FALSE(mCareer->IsResultRunning());
    Click(mCareer->mComicNext);
    EXPECT_EQ(mCareer->GetComicPage(), 0);
    EXPECT_FALSE(mCareer->mVisible);
    EXPECT_TRUE(mMenu->mVisible);
}

TEST_F(TMBoard_CareerTest, AMissingComicPageGoesOnToTheLevel)
{
    mProfile->furthestLevel = 20;
    mCareer->Show();
    mCareer->StartDay(16); // comix15 is not in the content
    EXPECT_TRUE(LogHas("comic page \"comix15\" missing"));
    EXPECT_EQ(mCareer->GetComicPage(), 0);
    EXPECT_FALSE(mCareer->mVisible);
    EXPECT_TRUE(mGameBoard->IsWaitingForLoad()) << "the level loads";
}

TEST_F(TMBoard_CareerTest, AConfirmedResetIsInThePlayerFileAtOnce)
{
    mProfile->furthestLevel = 30;
    mProfile->bestMoney[3] = 700;
    ASSERT_TRUE(mGame->GetPref().Save());
    mCareer->Show();
    EXPECT_EQ(mCareer->GetShownCafe(), 2);

    // The player answers the question box with a click on its yes button.
    Platform::PostMessage(mGame->mMainWindow, Platform::WM_LBUTTONDOWN, Platform::MK_LBUTTON,
                          Platform::MakeLParam(300, 370));
    Platform::PostMessage(mGame->mMainWindow, Platform::WM_LBUTTONUP, 0, Platform::MakeLParam(300, 370));
    Click(mCareer->mResetButton);
    EXPECT_EQ(mCareer->GetShownCafe(), 1);
    EXPECT_EQ(mCareer->GetSelectedDay(), 1);

    TMPref reread(nullptr);
    ASSERT_TRUE(reread.Load());
    EXPECT_EQ(reread.GetProfile()->furthestLevel, 1);
    EXPECT_EQ(reread.GetProfile()->bestMoney[3], 0);
    EXPECT_EQ(reread.GetProfile()->Name(), L"Tester");
}

TEST_F(TMBoard_CareerTest, DayOneGoesThroughItsComicToTheBriefingOverThePausedBoard)
{
    WriteScene("s1.xml", kGameSceneObjects, kGameSceneParam);
    WriteGameLevel(1, false, "", std::string(kGameLevelObjects) + R"(<params normal="50" expert="100"/>)");
    mCareer->Show();
    Click(Day(1));
    Click(mCareer->mPlayButton);
    for (const char* page : {"comix00a", "comix00b", "comix00c"}) {
        SCOPED_TRACE(page);
        EXPECT_TRUE(ComicShown(page));
        Click(mCareer->mComicNext);
    }
    EXPECT_EQ(mCareer->GetComicPage(), 0);
    EXPECT_FALSE(mCareer->mVisible);
    ASSERT_TRUE(mGameBoard->IsWaitingForLoad());
    while (mGameBoard->IsWaitingForLoad()) {
        if (mGame->mLoadingThreadCompleted)
            mGameBoard->FinishLevelLoad();
        else
            std::this_thread::yield();
    }
    EXPECT_EQ(mGameBoard->mLevel, 1);
    TMBoard_Briefing* briefing = mGameBoard->GetBriefing();
    EXPECT_TRUE(briefing->mVisible);
    EXPECT_EQ(mGameBoard->mPauseCount, 1);
    ASSERT_NE(briefing->mStartButton, nullptr);
    briefing->ButtonRelease(reinterpret_cast<intptr_t>(briefing->mStartButton));
    EXPECT_FALSE(briefing->mVisible);
    EXPECT_EQ(mGameBoard->mPauseCount, 0);
    EXPECT_TRUE(mGameBoard->mRunning);
}

TEST_F(TMBoard_CareerTest, ADayButtonSelectsAnOpenDayAndPlayStartsIt)
{
    mProfile->furthestLevel = 5;
    mProfile->bestMoney[3] = 120;
    mCareer->Show();
    Click(Day(3));
    EXPECT_EQ(mCareer->GetSelectedDay(), 3);
    EXPECT_EQ(Var("day"), L"3");
    EXPECT_EQ(Var("score"), L"120");
    EXPECT_EQ(Var("brief_debrief"), L"Day three");
    EXPECT_TRUE(mCareer->mSpread.goals[2]->mVisible);
    EXPECT_TRUE(mCareer->mSpread.photoGoal->mVisible);
    Click(mCareer->mPlayButton);
    EXPECT_FALSE(mCareer->mVisible);
    EXPECT_TRUE(mGameBoard->IsWaitingForLoad());
}

} // namespace
