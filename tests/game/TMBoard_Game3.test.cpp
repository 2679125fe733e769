// The game board's rules outside the level's loading: cafes and days, the end of a level, the splashes, the
// mini-game rewards, the time points it cannot serve, and the level's result.

#include "game/TMBoard_Game3.h"

#include "engine/EventQueue.h"
#include "engine/TMCountdown.h"
#include "engine/TMPickItem.h"
#include "engine/TextVars.h"
#include "game/TBoard_Hud.h"
#include "game/TMBoard_Briefing.h"
#include "game/TMBoard_EscapeMenu.h"
#include "game/TMBoard_Upgrade.h"
#include "game/TMBoss.h"
#include "game/TMClient.h"
#include "game/TMMiniGame.h"
#include "game/TMPref.h"
#include "shell/WidgetManager.h"
#include "tests/game/GameTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using namespace GameTest;

class GameBoardRulesTest : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        WriteGameConfig(mFolder, R"(<upgrade>
            <functional object="bonus" name="money" min_level="1" max_level="3"/>
            <functional object="cook" name="speed" min_level="1" max_level="3"/></upgrade>)");
        mBoard3 = &MakeGameBoard();
    }

    void TearDown() override
    {
        gClients.clear();
        GameFixture::TearDown();
    }

    /// A level element parsed from the text.
    pugi::xml_node Level(const std::string& text)
    {
        mLevelDoc.load_string(text.c_str());
        return mLevelDoc.child("level");
    }

    TMBoard_Game3* mBoard3 = nullptr;
    pugi::xml_document mLevelDoc;
};

TEST_F(GameBoardRulesTest, TheBoardHoldsItsScreensUnderTheirNames)
{
    EXPECT_EQ(mBoard3->FindChild("hud"), mBoard3->GetHud());
    EXPECT_EQ(mBoard3->GetHud()->FindChild("minigame"), mBoard3->GetMiniGame());
    EXPECT_EQ(mBoard3->FindChild("upgrade"), mBoard3->GetUpgradeScreen());
    EXPECT_EQ(mBoard3->FindChild("briefingdlg"), mBoard3->GetBriefing());
    ASSERT_NE(mBoard3->GetTutorial(), nullptr);
    const auto& top = mGame->mWidgetManager->mWidgets;
    EXPECT_NE(std::find(top.begin(), top.end(), mBoard3->GetEscapeMenu()), top.end());
    EXPECT_EQ(gGameBoard, mBoard3);
}

TEST_F(GameBoardRulesTest, ALevelStartSetsTheGoalsCafeAndDayTexts)
{
    mBoard3->mLevel = 17;
    mBoard3->ReadGoalParams(Level(R"(<level><params normal="300" expert="450"/></level>)"));
    mBoard3->StartLevel();
    TextVars* vars = mGame->GetTextVars();
    EXPECT_EQ(vars->Get("normal"), L"300");
    EXPECT_EQ(vars->Get("expert"), L"450");
    EXPECT_EQ(vars->Get("cafe"), L"2");
    EXPECT_EQ(vars->Get("day"), L"2");
    EXPECT_TRUE(mBoard3->GetHud()->mVisible);
    EXPECT_TRUE(mBoard3->GetBriefing()->mVisible);
}

TEST_F(GameBoardRulesTest, CareerLevelsBelongToTheirCafeAndDay)
{
    struct Case {
        int level;
        int cafe;
        int day;
    };
    const Case cases[] = {{1, 1, 1}, {15, 1, 15}, {16, 2, 1}, {35, 2, 20}, {36, 3, 1}, {59, 3, 24}, {60, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        mBoard3->mLevel = c.level;
        EXPECT_EQ(mBoard3->GetCafeIndex(), c.cafe);
        EXPECT_EQ(mBoard3->GetDayOfLevel(), c.day);
    }
    mBoard3->mSurvival = true;
    mBoard3->mLevel = 2;
    EXPECT_EQ(mBoard3->GetCafeIndex(), 2) << "a survival cafe is its number";
}

TEST_F(GameBoardRulesTest, SurvivalEndsWhenALifeIsLostWithNoneLeft)
{
    mBoard3->mSurvival = true;
    mBoard3->StartLevel();
    ASSERT_EQ(mBoard3->GetLives(), 3);
    for (int lost = 1; lost <= 3; ++lost) {
        mBoard3->LoseLife();
        EXPECT_FALSE(mBoard3->IsLevelOver()) << lost << " lives lost";
    }
    EXPECT_EQ(mBoard3->GetLives(), 0);
    mBoard3->LoseLife();
    EXPECT_TRUE(mBoard3->IsLevelOver());

    mBoard3->mSurvival = false;
    mBoard3->StartLevel();
    const int lives = mBoard3->GetLives();
    mBoard3->LoseLife();
    EXPECT_EQ(mBoard3->GetLives(), lives) << "career days have no lives to lose";
}

TEST_F(GameBoardRulesTest, ACareerDayStaysOpenWhileAClientIsInTheCafe)
{
    mBoard3->mSurvival = false;
    ASSERT_TRUE(mBoard3->mEvents.IsFinished());
    EXPECT_TRUE(mBoard3->IsLevelOver());
    TMClientStand client;
    client.Register();
    EXPECT_FALSE(mBoard3->IsLevelOver());
    client.Unregister();
    EXPECT_TRUE(mBoard3->IsLevelOver());
}

TEST_F(GameBoardRulesTest, OneSplashPerMoneyChangeTheGoalsFirst)
{
    mBoard3->mLevel = 2;
    mBoard3->ReadGoalParams(Level(R"(<level><params normal="100" expert="150"/></level>)"));
    mBoard3->StartLevel();
    mBoard3->AddMoney(90);
    EXPECT_FALSE(mBoard3->IsGoalSplashShown());
    mBoard3->AddMoney(200);
    EXPECT_TRUE(mBoard3->IsGoalSplashShown());
    EXPECT_FALSE(mBoard3->IsExpertSplashShown()) << "the expert splash waits for the next change";
    mBoard3->AddMoney(1);
    EXPECT_TRUE(mBoard3->IsExpertSplashShown());
}

TEST_F(GameBoardRulesTest, MiniGameRewardsPayMoneyStartCountdownsAndCountAchievements)
{
    mBoard3->mLevel = 2;
    mBoard3->StartLevel();
    ProfileRecord* profile = mGame->GetPref().GetProfile();

    struct CoinCase {
        int amount;
        bool upgraded;
        int money;
    };
    for (const CoinCase c :
         {CoinCase{1, false, 10}, CoinCase{3, false, 30}, CoinCase{1, true, 25}, CoinCase{3, true, 75}}) {
        SCOPED_TRACE(std::to_string(c.amount) + (c.upgraded ? " with the money upgrade" : ""));
        profile->upgrades[13] = c.upgraded ? 1 : 0;
        mBoard3->mMoney = 0;
        mBoard3->ApplyMiniGameBonus(0, c.amount);
        EXPECT_EQ(mBoard3->mMoney, c.money);
    }

    for (const int amount : {1, 3}) {
        SCOPED_TRACE(amount);
        mBoard3->ApplyMiniGameBonus(2, amount);
        EXPECT_FLOAT_EQ(mBoard3->GetIceCountdown().GetRemaining(), 4.0f * static_cast<float>(amount));
        mBoard3->ApplyMiniGameBonus(4, amount);
        EXPECT_FLOAT_EQ(mBoard3->GetSpeedCountdown().GetRemaining(), 4.0f * static_cast<float>(amount));
    }
    EXPECT_EQ(mBoard3->GetAchievementCounter(TMBoard_Game3::kAchIce), 2);

    mBoard3->ApplyMiniGameBonus(1, 1);
    mBoard3->ApplyMiniGameBonus(3, 3);
    mBoard3->ApplyMiniGameBonus(3, 1);
    EXPECT_EQ(mBoard3->GetAchievementCounter(TMBoard_Game3::kAchClean), 1);
    EXPECT_EQ(mBoard3->GetAchievementCounter(TMBoard_Game3::kAchHappy), 2) << "one per reward, whatever its amount";

    const int money = mBoard3->mMoney;
    mBoard3->ApplyMiniGameBonus(5, 3);
    EXPECT_EQ(mBoard3->mMoney, money) << "kind 5 gives nothing";

    // A target of 0 means the level has no such achievement.
    mBoard3->ReadAchParams(Level(R"(<level><achparams clean="0"/></level>)"));
    mBoard3->ApplyMiniGameBonus(1, 3);
    EXPECT_EQ(mBoard3->GetAchievementCounter(TMBoard_Game3::kAchClean), 1);

    // The next career day counts afresh; workers count their breakdowns.
    mBoard3->StartLevel();
    EXPECT_EQ(mBoard3->GetAchievementCounter(TMBoard_Game3::kAchIce), 0);
    mBoard3->IncrementBreakdownCounter();
    EXPECT_EQ(mBoard3->GetAchievementCounter(TMBoard_Game3::kAchBroke), 1);
}

TEST_F(GameBoardRulesTest, TimePointsNoClientCanServeAreTakenAndDroppedLoggedOncePerReason)
{
    mBoard3->mLevel = 3;
    mBoard3->StartLevel();
    TimePoint closing;
    closing.event = "closing";
    TimePoint empty;
    TimePoint unknownKind;
    unknownKind.event = "client";
    unknownKind.type = "client99";
    unknownKind.params = {"1000"};
    TimePoint noOrder;
    noOrder.event = "client";
    noOrder.type = "client01";
    for (TimePoint* point : {&closing, &empty, &unknownKind, &noOrder, &closing, &unknownKind})
        EXPECT_TRUE(mBoard3->TryDispatchEvent(point));

    int logged = 0;
    for (const std::string& line : mLog)
        logged += line.find("cannot be served; dropped") != std::string::npos ? 1 : 0;
    EXPECT_EQ(logged, 4);
    EXPECT_TRUE(LogHas("event \"closing\" cannot be served"));
    EXPECT_TRUE(LogHas("an empty time point cannot be served"));
    EXPECT_TRUE(LogHas("client kind \"client99\" without configuration"));
    EXPECT_TRUE(LogHas("a client event without an order"));

    TimePoint order;
    order.event = "client";
    order.type = "client01";
    order.params = {"1000", "sit"};
    EXPECT_FALSE(mBoard3->TryDispatchEvent(&order)) << "no free client yet: offered again later";
}

TEST_F(GameBoardRulesTest, ACareerResultIsExpertGoalOrFailedAndTheBookShowsIt)
{
    struct Case {
        int money;
        int result;
    };
    mBoard3->mLevel = 2;
    mBoard3->ReadGoalParams(Level(R"(<level><params normal="100" expert="200"/></level>)"));
    for (const Case c : {Case{200, 0}, Case{199, 1}, Case{100, 1}, Case{99, 2}}) {
        SCOPED_TRACE(c.money);
        mBoard3->mVisible = true;
        mCareer->mVisible = false;
        mBoard3->mMoney = c.money;
        mBoard3->FinishLevel();
        EXPECT_EQ(mBoard3->GetLastResult(), c.result);
        EXPECT_FALSE(mBoard3->mVisible);
        EXPECT_TRUE(mCareer->mVisible);
    }
    EXPECT_TRUE(fs::exists(PrefPath()));
}

TEST_F(GameBoardRulesTest, ASurvivalScoreOpensTheRecordsWhenPlacedAndTheSurvivalScreenWhenNot)
{
    mBoard3->mSurvival = true;
    mBoard3->mLevel = 1;
    TMPref::HiScoreTable& table = mGame->GetPref().GetHiScoreTable(true);
    for (HiScoreRecord& row : table) {
        row.SetName(L"Ace");
        row.score = 1000;
    }
    mBoard3->mMoney = 500;
    mBoard3->FinishLevel();
    EXPECT_EQ(mBoard3->GetLastPlace(), TMPref::kNotPlaced);
    EXPECT_TRUE(mSurvivalScreen->mVisible);
    EXPECT_FALSE(mHiScores->mVisible);

    mSurvivalScreen->mVisible = false;
    mBoard3->mMoney = 1500;
    mBoard3->FinishLevel();
    EXPECT_EQ(mBoard3->GetLastPlace(), 0);
    EXPECT_TRUE(mHiScores->mVisible);
    EXPECT_FALSE(mSurvivalScreen->mVisible);
    EXPECT_EQ(table[0].Name(), L"Tester");
    EXPECT_EQ(table[0].score, 1500);
}

TEST_F(GameBoardRulesTest, AFinishedDayOffersAnUpgradeOnlyWhenOneIsLeft)
{
    ProfileRecord* profile = mGame->GetPref().GetProfile();
    profile->furthestLevel = 2;
    mBoard3->mLevel = 2;
    mBoard3->ReadGoalParams(Level(R"(<level><params normal="100" expert="200"/></level>)"));
    mBoard3->ReadUpgradeStages(Level(R"(<level upgrade="func"/>)"));
    mBoard3->mMoney = 150;
    mBoard3->mVisible = true;

    mBoard3->OnLevelFinished();
    TMBoard_Upgrade* screen = mBoard3->GetUpgradeScreen();
    EXPECT_TRUE(screen->mVisible);
    EXPECT_FALSE(mCareer->mVisible) << "the result waits for the upgrade screen";
    screen->Hide();
    EXPECT_TRUE(mCareer->mVisible);
    EXPECT_EQ(mBoard3->GetLastResult(), 1);

    // Every upgrade of the kind owned: the result at once, no empty screen.
    profile->upgrades[13] = 1;
    profile->upgrades[6] = 1;
    mCareer->mVisible = false;
    mBoard3->mVisible = true;
    mBoard3->OnLevelFinished();
    EXPECT_FALSE(screen->mVisible);
    EXPECT_TRUE(mCareer->mVisible);

    // A day played again, or one below its goal, offers nothing.
    profile->upgrades[13] = 0;
    for (const auto& [furthest, money] : {std::pair{3, 150}, std::pair{2, 50}}) {
        profile->furthestLevel = furthest;
        mBoard3->mMoney = money;
        mCareer->mVisible = false;
        mBoard3->OnLevelFinished();
        EXPECT_FALSE(screen->mVisible);
        EXPECT_TRUE(mCareer->mVisible);
    }
}

TEST_F(GameBoardRulesTest, AResultThatCannotBeSavedIsStillShown)
{
    // The player file's folder is a file: pref.dat cannot be written.
    fs::remove_all(PrefPath().parent_path());
    WriteBytes(PrefPath().parent_path(), {1, 2, 3});
    mBoard3->mLevel = 2;
    mBoard3->ReadGoalParams(Level(R"(<level><params normal="100" expert="200"/></level>)"));
    mBoard3->mMoney = 120;
    mBoard3->FinishLevel();
    EXPECT_EQ(mBoard3->GetLastResult(), 1);
    EXPECT_TRUE(mCareer->mVisible);
    EXPECT_TRUE(LogHas("level 2: the player file could not be saved"));
}

TEST_F(GameBoardRulesTest, AClickGoesToTheBossAsItsNextTargetOnlyWhenTheBossIsOne)
{
    TMPickItem table;
    TMItem stranger;
    gBoss = &stranger;
    mBoard3->OnObjectClicked(&table); // not a TMBoss: nothing happens
    TMBoss boss;
    gBoss = &boss;
    mBoard3->OnObjectClicked(&table);
    mBoard3->OnObjectClicked(nullptr);
    ASSERT_EQ(boss.GetTargets().size(), 1u);
    EXPECT_EQ(boss.GetTargets().front(), &table);
    boss.ClearTargets();
    gBoss = nullptr;
}

TEST_F(GameBoardRulesTest, EscapeOpensTheEscapeMenuOrClosesWhatIsOpen)
{
    TMBoard_Briefing* briefing = mBoard3->GetBriefing();
    TMBoard_EscapeMenu* menu = mBoard3->GetEscapeMenu();
    ASSERT_NE(menu, nullptr);
    briefing->Show();
    mBoard3->KeyUp(27);
    EXPECT_FALSE(briefing->mVisible);
    EXPECT_FALSE(menu->mVisible) << "Escape on the briefing only closes it";
    mBoard3->KeyUp(27);
    EXPECT_TRUE(menu->mVisible);
    mBoard3->KeyUp(13);
    EXPECT_TRUE(menu->mVisible);
    mBoard3->KeyUp(27);
    EXPECT_FALSE(menu->mVisible);
}

} // namespace
