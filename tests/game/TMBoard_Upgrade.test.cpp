// The upgrade screen on a running board: the board's offers in the trays, previews withdrawn before the next,
// the chosen entry kept, one pause held while open, the level's result in career only, and a screen with nothing
// to offer closing as it opens; then buying an upgrade from the end of a career day to pref.dat.
#include "game/TMBoard_Upgrade.h"

#include "engine/TMText.h"
#include "engine/TMTexture.h"
#include "game/ConfirmDialogs.h"
#include "game/TMBoard_Confirm1.h"
#include "game/TMPref.h"
#include "tests/SuiteLabels.h"
#include "tests/game/PlayfieldTestKit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

using namespace PlayfieldTest;

// The bonus upgrade (flag 13) and five visual ones of the first cafe (flags 14 to 18).
constexpr const char* kCatalogue = R"(<level bonus_cash="50"/><upgrade>
    <functional name="money" object="bonus" min_level="1" max_level="3"/>
    <visual name="v1" object="floor_a" min_level="1" max_level="1"/>
    <visual name="v2" object="worker_table_a" min_level="1" max_level="1"/>
    <visual name="v3" object="bar_a" min_level="1" max_level="1"/>
    <visual name="v4" object="decor_a" min_level="1" max_level="1"/>
    <visual name="v5" object="client_table_a" min_level="1" max_level="1"/>
  </upgrade>)";

constexpr Pyxo::Point kUpgradeButton{610, 510};
constexpr Pyxo::Point kSurvivalUpgradeButton{25, 65};

Pyxo::Point TrayButton(int tray) // 1 to 4
{
    return {100 * tray + 5, 105};
}

/// A widget at the top of the tree that answers the notice box once and closes the application when a test would
/// otherwise wait for ever.
class Player : public Pyxo::Widget {
public:
    explicit Player(std::function<void()> onUpdate) : mOnUpdate(std::move(onUpdate)) {}
    void Update() override
    {
        Widget::Update();
        mOnUpdate();
    }
    std::function<void()> mOnUpdate;
};

class TMBoard_UpgradeTest : public PlayfieldFixture {
protected:
    void Make(const std::string& more = "")
    {
        WriteConfig(kCatalogue);
        MakeBoard(HudXml() + MiniGameXml() + UpgradeXml() + more,
                  {"mn09_char_small_bonus_money", "mn09_char_bonus", "mn09_medal_money", "mn09_char_small_floor_a_v1"});
        mBoard->LoadConfig();
        mScreen = mBoard->GetUpgradeScreen();
        WriteScene("");
    }

    void PlayCareerDay(const char* upgrade, const std::string& events = R"(<time_point time="1000" type="tick"/>)")
    {
        WriteLevel(2, false, "<events_queue>" + events + "</events_queue>", std::string("upgrade=\"") + upgrade + "\"");
        Load(2);
    }

    void PlaySurvival(const char* upgrade)
    {
        WriteLevel(1, true,
                   std::string(R"(<events_queue><stages><stage points="100"/><stage points="250"/></stages>
                   </events_queue><stages><stage num="2" upgrade=")") +
                       upgrade + R"("/></stages>)");
        Load(1, true);
    }

    void ClickAt(Pyxo::Point at) { Click(at.mX, at.mY); }

    [[nodiscard]] bool Selected(int tray)
    {
        return Visible(mScreen, "upgrade_tray" + std::to_string(tray) + "/select");
    }
    [[nodiscard]] bool TrayShown(int tray) { return Visible(mScreen, "upgrade_tray" + std::to_string(tray)); }
    [[nodiscard]] bool Owned(TMBoard_Game3::UpgradeEntry& entry) { return mBoard->ResolveUpgradeFlag(entry); }

    TMBoard_Upgrade* mScreen = nullptr;
};

ILVANE_THREADED_SUITE(TMBoard_UpgradeTest);

TEST_F(TMBoard_UpgradeTest, OneOfferShowsOneTrayPreviewedAndTheAcceptEndsTheCareerDay)
{
    Make();
    PlayCareerDay("func");
    mScreen->Show();
    Frame();
    ASSERT_TRUE(mScreen->IsOpen());
    EXPECT_EQ(mScreen->GetOfferCount(), 1);
    EXPECT_EQ(mBoard->mPauseCount, 1);
    EXPECT_TRUE(TrayShown(1));
    EXPECT_FALSE(TrayShown(2));
    EXPECT_TRUE(Selected(1));
    TMBoard_Game3::UpgradeEntry& money = mBoard->GetFunctionalUpgrades()[0];
    EXPECT_TRUE(Owned(money)) << "previewed";
    EXPECT_TRUE(mBoard->IsUpgradeOwned("bonus", "money"));
    auto* description = dynamic_cast<TMText*>(Child(mScreen, "upgrade_dialog/upgrade_description"));
    ASSERT_NE(description, nullptr);
    EXPECT_EQ(description->GetText(), L"Cash rain") << "offer name, then object";
    EXPECT_EQ(Child(mScreen, "upgrade_tray1/button")->GetNormalTextureSet()->mFrames[0].GetRecord(),
              mGame->GetTextureTable()->Find("mn09_char_small_bonus_money").GetRecord())
        << "object, then offer name";

    mScreen->Show(); // already open: nothing changes
    EXPECT_EQ(mBoard->mPauseCount, 1);
    ClickAt(TrayButton(2)); // no offer there
    EXPECT_EQ(mScreen->GetSelectedIndex(), 0);

    ClickAt(kUpgradeButton);
    EXPECT_FALSE(mScreen->IsOpen());
    EXPECT_EQ(mBoard->mPauseCount, 0);
    EXPECT_TRUE(mGame->GetPref().GetProfile()->upgrades[13]) << "the chosen entry stays owned";
    EXPECT_EQ(mBoard->GetLastResult(), 2) << "FinishLevel ran: no money, failed";
    EXPECT_TRUE(std::filesystem::exists(PrefPath()));
    EXPECT_FALSE(mBoard->mVisible);

    mBoard->mPauseCount = 2;
    mScreen->Hide(); // already closed: no resume, no second result
    EXPECT_EQ(mBoard->mPauseCount, 2);
    mBoard->mPauseCount = 0;
}

TEST_F(TMBoard_UpgradeTest, ChoosingAmongFourWithdrawsEachPreviewBeforeTheNext)
{
    Make();
    PlayCareerDay("vis");
    mBoard->Pause(); // another screen's pause stays
    mScreen->Show();
    ASSERT_EQ(mScreen->GetOfferCount(), 4);
    for (int tray = 1; tray <= 4; ++tray)
        EXPECT_TRUE(TrayShown(tray)) << tray;
    std::vector<TMBoard_Game3::UpgradeEntry>& visual = mBoard->GetVisualUpgrades();
    auto ownedFlags = [&] {
        std::vector<bool> owned;
        for (TMBoard_Game3::UpgradeEntry& entry : visual)
            owned.push_back(Owned(entry));
        return owned;
    };
    EXPECT_EQ(ownedFlags(), (std::vector<bool>{true, false, false, false, false}));
    ClickAt(TrayButton(2));
    EXPECT_EQ(ownedFlags(), (std::vector<bool>{false, true, false, false, false}));
    EXPECT_FALSE(Selected(1));
    EXPECT_TRUE(Selected(2));
    ClickAt(TrayButton(3));
    EXPECT_EQ(ownedFlags(), (std::vector<bool>{false, false, true, false, false}));
    EXPECT_EQ(mScreen->GetSelectedOffer(), &visual[2]);
    ClickAt(kUpgradeButton);
    EXPECT_EQ(ownedFlags(), (std::vector<bool>{false, false, true, false, false}));
    EXPECT_EQ(mGame->GetPref().GetProfile()->upgrades[16], 1) << "bar, 5 x 1 + 11";
    EXPECT_EQ(mBoard->mPauseCount, 1) << "the other pause is still held";
    for (int tray = 1; tray <= 4; ++tray)
        EXPECT_FALSE(TrayShown(tray)) << tray;
}

TEST_F(TMBoard_UpgradeTest, SurvivalBuysIntoTheBoardsCopyAndTheCafeGoesOn)
{
    Make();
    PlaySurvival("vis");
    mBoard->AddMoney(120); // day 2 earns a visual upgrade
    Frame();
    ASSERT_EQ(mBoard->GetPendingUpgrades().size(), 1u);
    EXPECT_TRUE(Visible("left_survival_part/upgrade_btn"));
    ClickAt(kSurvivalUpgradeButton);
    ASSERT_TRUE(mScreen->IsOpen());
    EXPECT_TRUE(mBoard->GetPendingUpgrades().empty());
    EXPECT_FALSE(Visible("left_survival_part/upgrade_btn"));
    EXPECT_EQ(mBoard->mPauseCount, 1);
    ClickAt(TrayButton(2));
    ClickAt(kUpgradeButton);
    EXPECT_FALSE(mScreen->IsOpen());
    EXPECT_EQ(mBoard->mPauseCount, 0);
    EXPECT_EQ(mBoard->GetSurvivalFlags()[15], 1) << "worker_table, 5 x 1 + 10";
    EXPECT_EQ(mGame->GetPref().GetProfile()->upgrades[15], 0);
    EXPECT_TRUE(mBoard->mVisible) << "no result step in survival";
    EXPECT_TRUE(mBoard->mRunning);
    EXPECT_EQ(mBoard->GetLastPlace(), -1);
}

TEST_F(TMBoard_UpgradeTest, WithNothingToOfferTheScreenClosesAsItOpensWithoutAPause)
{
    Make();
    PlaySurvival("vis");
    mScreen->Show(); // no pending upgrade
    EXPECT_EQ(mScreen->GetOfferCount(), 0);
    EXPECT_EQ(mBoard->mPauseCount, 0);
    Frame();
    EXPECT_FALSE(mScreen->mVisible);
    EXPECT_FALSE(mScreen->IsOpen());
    EXPECT_EQ(mBoard->mPauseCount, 0);
    EXPECT_TRUE(mBoard->mRunning);
    EXPECT_EQ(mBoard->GetLastPlace(), -1) << "no result step";
}

TEST_F(TMBoard_UpgradeTest, ACareerDayFinishedAboveItsGoalSellsItsUpgradeIntoThePlayerFile)
{
    Make(kNoticeBox);
    CreateConfirmDialogs(mGame, mUi.child("root"));
    ASSERT_TRUE(mGame->GetPref().CreateProfile(L"Ann"));
    mGame->GetPref().GetProfile()->furthestLevel = 2;
    bool answered = false;
    int updates = 0;
    Player player([&] {
        if (++updates == 5000)
            mGame->Shutdown(); // never answered: the nested loop ends
        TMBoard_Confirm1* notice = nullptr;
        for (Pyxo::Widget* widget : mGame->mWidgetManager->mWidgets) {
            if (auto* found = dynamic_cast<TMBoard_Confirm1*>(widget))
                notice = found;
        }
        if (!answered && notice && notice->mVisible) {
            answered = true;
            Platform::PostMessage(mGame->mMainWindow, Platform::WM_LBUTTONDOWN, Platform::MK_LBUTTON,
                                  Platform::MakeLParam(360, 360));
            Platform::PostMessage(mGame->mMainWindow, Platform::WM_LBUTTONUP, 0, Platform::MakeLParam(360, 360));
        }
    });
    mGame->mWidgetManager->AddWidget(&player);
    struct Leave {
        Pyxo::WidgetManager* manager;
        Pyxo::Widget* widget;
        ~Leave() { manager->RemoveWidget(widget); }
    } leave{mGame->mWidgetManager.get(), &player};

    PlayCareerDay("func", R"(<time_point time="0" type="tick"/>)");
    mBoard->AddMoney(150);
    StepUntil([&] { return mScreen->IsOpen(); });
    EXPECT_TRUE(answered);
    ClickAt(TrayButton(1));
    ClickAt(kUpgradeButton);
    EXPECT_FALSE(mScreen->IsOpen());
    EXPECT_EQ(mBoard->GetLastResult(), 1);

    TMPref stored(mGame);
    ASSERT_TRUE(stored.Load());
    EXPECT_EQ(stored.GetProfile()->upgrades[13], 1);
}

} // namespace
