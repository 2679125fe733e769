// The menu book: the page turn and its frames, the first start's name dialog, typed names and the keys that make
// (or do not make) a profile, the profile spread, and the help command's hidden pages.
#include "game/TMBoard_MainMenu.h"

#include "engine/TMEditWidget.h"
#include "engine/TMList.h"
#include "engine/TextVars.h"
#include "game/ConfirmDialogs.h"
#include "game/TMBoard_Help.h"
#include "graphics/Font.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowSystem.h"
#include "shell/WidgetManager.h"
#include "tests/SuiteLabels.h"
#include "tests/game/GameTestKit.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace GameTest;

constexpr const char* kSpread = R"(
      <element type="tmdialog" name="left_page" x="0" y="0" width="366" height="565" visible="true">%LEFT%</element>
      <element type="tmdialog" name="right_page" x="366" y="0" width="366" height="565" visible="true">%RIGHT%</element>)";

std::string Spread(const std::string& left, const std::string& right)
{
    std::string text = kSpread;
    text.replace(text.find("%LEFT%"), 6, left);
    text.replace(text.find("%RIGHT%"), 7, right);
    return text;
}

std::string Button(const std::string& name, int y = 10)
{
    return "<element type=\"tmbutton\" name=\"" + name + "\" x=\"10\" y=\"" + std::to_string(y) +
           "\" width=\"100\" height=\"30\" visible=\"true\"/>";
}

constexpr const char* kBookParts = R"(
    <element type="tmtext" name="f_pages" x="0" y="35" width="146" height="565"><texture id="normal" texture="none"/></element>
    <element type="tmtext" name="f_cover" x="0" y="0" width="800" height="600"/>)";

// The shared question box at (200, 150); its yes button at (250, 350) on the screen.
constexpr const char* kQuestionBox = R"(
  <element name="dialogbox_2button" type="tmdialog" x="200" y="150" width="400" height="300">
    <element type="tmtext" name="icon" x="10" y="10" width="32" height="32" visible="true"/>
    <element type="tmtext" name="text1" x="50" y="10" width="300" height="20" visible="true"/>
    <element type="tmtext" name="text2" x="50" y="40" width="300" height="20" visible="true"/>
    <element type="tmbutton" name="btn_yes" x="50" y="200" width="100" height="40" visible="true"/>
    <element type="tmbutton" name="btn_no" x="250" y="200" width="100" height="40" visible="true"/>
  </element>
  <element name="dialogbox_1button" type="tmdialog" x="200" y="150" width="400" height="300">
    <element type="tmbutton" name="btn_yes" x="150" y="200" width="100" height="40" visible="true"/>
  </element>)";

std::string MenuUi()
{
    const std::string menuRight = Button("career", 10) + Button("survival", 50) + Button("scores", 90) +
                                  Button("settings", 130) + Button("help", 170) + Button("quit", 210);
    const std::string profileLeft =
        Button("create", 10) + Button("select", 50) + Button("delete", 90) +
        R"(<element type="tmlist" name="list" x="10" y="130" width="300" height="200" visible="true"/>)";
    return std::string("<root>") +
           R"(<element type="tmdialog" name="main_menu" x="0" y="0" width="800" height="600">)" +
           R"(<element type="tmdialog" name="main_menu_dlg" x="34" y="17" width="732" height="565" visible="true">)" +
           Spread(R"(<element type="tmtext" name="girl_photo" x="10" y="10" width="50" height="50"/>)", menuRight) +
           "</element>" + R"(<element type="tmdialog" name="select_profile" x="34" y="17" width="732" height="565">)" +
           Spread(profileLeft, "") + "</element>" + kBookParts + Button("profile_open", 560) +
           Button("profile_close", 560) +
           R"(<element type="tmdialog" name="create_profile" x="200" y="200" width="400" height="200">)" +
           Button("cancel", 100) + Button("create", 140) +
           R"(<element type="tmedit" name="entername_text" x="10" y="10" width="300" height="30" visible="true"/>)" +
           "</element></element>" +
           R"(<element type="tmdialog" name="career_menu" x="0" y="0" width="800" height="600">)" +
           R"(<element type="tmdialog" name="career_dlg" x="34" y="17" width="732" height="565" visible="true">)" +
           Spread("", "") + "</element>" + kBookParts + "</element>" +
           R"(<element type="tmdialog" name="help" x="0" y="0" width="800" height="600">)" + Button("next_btn") +
           Button("prev_btn") +
           R"(<element type="tmtext" name="page_1" x="0" y="0" width="10" height="10" visible="true"/>
              <element type="tmtext" name="page_2" x="0" y="0" width="10" height="10" visible="true"/>
              <element type="tmtext" name="cover" x="0" y="0" width="10" height="10" visible="true"/>)" +
           "</element>" + kQuestionBox + "</root>";
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

/// Every character 6 pixels wide: what the name field needs to take typed letters.
class TestFont : public Pyxo::Font {
public:
    TestFont()
    {
        mAscent = 10;
        mHeight = 14;
    }
    int StringWidth(const std::wstring& text) override { return 6 * static_cast<int>(text.size()); }
    [[nodiscard]] std::unique_ptr<Pyxo::Font> Duplicate() const override { return std::make_unique<TestFont>(*this); }
    TestFont(const TestFont&) = default;
};

class TMBoard_MainMenuTest : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        WriteGameConfig(mFolder, "");
        // The real start-up, so that the question box runs the engine's loop on posted window messages.
        WriteMinimalContent();
        ASSERT_EQ(InitExitCode(*mGame), -1);
        mGame->mRunning = true;
        mGame->mDeferredMessages.clear();
        mManager = mGame->mWidgetManager.get();
        MakeGameBoard(MenuUi());
        CreateConfirmDialogs(mGame, mUi.child("root"));
        mWatchdog = std::make_unique<Watchdog>(*mGame);
        mGame->mWidgetManager->AddWidget(mWatchdog.get());
        const pugi::xml_node root = mUi.child("root");
        mMenu = new TMBoard_MainMenu(mGame, root);
        mHelp = new TMBoard_Help(mGame, root);
        mMenu->SetVisible(false);
        mHelp->SetVisible(false);
        mCareer->SetVisible(false);
        for (Pyxo::Widget* board : {static_cast<Pyxo::Widget*>(mMenu), static_cast<Pyxo::Widget*>(mHelp),
                                    static_cast<Pyxo::Widget*>(mCareer.get())})
            mManager->AddWidget(board);
        mGame->mMainMenuBoard = mMenu;
        mGame->mHelpBoard = mHelp;
        mGame->mUnicodeWindows = true;
        ASSERT_NE(mMenu->mNameEdit, nullptr);
        mMenu->mNameEdit->SetTextAttr(2, &mFont, Pyxo::Color(0, 0, 0), Pyxo::Color(255, 255, 255));
    }

    void TearDown() override
    {
        mGame->mMainMenuBoard = nullptr;
        mGame->mHelpBoard = nullptr;
        for (Pyxo::Widget* board : {static_cast<Pyxo::Widget*>(mMenu), static_cast<Pyxo::Widget*>(mHelp),
                                    static_cast<Pyxo::Widget*>(mCareer.get())})
            mManager->RemoveWidget(board);
        delete mMenu;
        delete mHelp;
        mGame->mWidgetManager->RemoveWidget(mWatchdog.get());
        mWatchdog.reset();
        GameFixture::TearDown();
    }

    /// A first start: the player file holds no profile.
    void EmptyPlayerFile()
    {
        ASSERT_TRUE(mGame->GetPref().DeleteProfile(0));
        ASSERT_FALSE(mGame->GetPref().IsProfileLoaded());
    }

    void Type(const std::wstring& text)
    {
        for (wchar_t c : text)
            mManager->KeyChar(c);
    }

    void Press(uint32_t key)
    {
        mManager->KeyDown(static_cast<int>(key));
        mManager->KeyUp(static_cast<int>(key));
    }

    /// A click of the player at that point of the window, taken by the next loop step.
    void PostClick(int x, int y)
    {
        Platform::PostMessage(mGame->mMainWindow, Platform::WM_LBUTTONDOWN, Platform::MK_LBUTTON,
                              Platform::MakeLParam(x, y));
        Platform::PostMessage(mGame->mMainWindow, Platform::WM_LBUTTONUP, 0, Platform::MakeLParam(x, y));
    }

    void Click(TMCandyWidget* control)
    {
        ASSERT_NE(control, nullptr);
        mMenu->OnControl(reinterpret_cast<intptr_t>(control));
    }

    size_t ProfileCount()
    {
        std::vector<ProfileRecord> all;
        mGame->GetPref().ReadAllProfiles(all);
        return all.size();
    }

    std::wstring Var(const std::string& name) { return mGame->GetTextVars()->Get(name); }

    Pyxo::WidgetManager* mManager = nullptr;
    TMBoard_MainMenu* mMenu = nullptr;
    TMBoard_Help* mHelp = nullptr;
    TestFont mFont;
    std::unique_ptr<Watchdog> mWatchdog;
};

struct Frame {
    Pyxo::Rect left;
    Pyxo::Rect right;
    int rightOffsetX;
    int flipX;
    float alpha;
};

ILVANE_THREADED_SUITE(TMBoard_MainMenuTest);

TEST_F(TMBoard_MainMenuTest, APageTurnLastsSevenTenthsOfASecondAndEndsOnItsTargetAlone)
{
    const struct {
        const char* name;
        bool backwards;
        int target;
        Frame start;
        Frame half;
    } cases[] = {
        {"forward to the career book",
         false,
         TMBoard_MainMenu::kTargetCareer,
         {{732, 0, 0, 565}, {732, 0, 0, 565}, -366, 659, 0.0f},
         {{366, 0, 183, 565}, {549, 0, 183, 565}, -183, 476, 1.0f}},
        {"backwards to the main menu",
         true,
         TMBoard_MainMenu::kTargetMainMenu,
         {{0, 0, 0, 565}, {0, 0, 0, 565}, -366, -73, 0.0f},
         {{0, 0, 183, 565}, {183, 0, 183, 565}, -183, 110, 1.0f}},
    };
    TMCandyWidget* page = mCareer->FindChild("career_dlg");
    ASSERT_NE(page, nullptr);
    TMCandyWidget* left = page->FindChild("left_page");
    TMCandyWidget* right = page->FindChild("right_page");
    TMCandyWidget* flip = mCareer->FindChild("f_pages");
    TMCandyWidget* cover = mCareer->FindChild("f_cover");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mMenu->SetVisible(!c.backwards);
        mCareer->SetVisible(c.backwards);
        mMenu->TurnPage(page, c.backwards, c.target);
        EXPECT_TRUE(mMenu->IsTurning());
        EXPECT_FALSE(page->mVisible) << "hidden until the first frame";

        for (const auto& [interval, frame] : {std::pair{0, c.start}, std::pair{350, c.half}}) {
            SCOPED_TRACE(interval);
            mGame->mUpdateInterval = interval;
            mMenu->Update();
            EXPECT_TRUE(page->mVisible);
            EXPECT_TRUE(cover->mVisible);
            EXPECT_EQ(left->GetRect(), frame.left);
            EXPECT_EQ(right->GetRect(), frame.right);
            EXPECT_EQ(right->mShiftX, frame.rightOffsetX);
            EXPECT_TRUE(flip->mVisible);
            EXPECT_EQ(flip->mX, frame.flipX);
            EXPECT_EQ(flip->mY, 35);
            EXPECT_NEAR(flip->mAlpha, frame.alpha, 1e-4);
        }

        mMenu->Update(); // 0.7 s
        EXPECT_FALSE(mMenu->IsTurning());
        EXPECT_EQ(left->GetRect(), Pyxo::Rect(0, 0, 366, 565));
        EXPECT_EQ(right->GetRect(), Pyxo::Rect(366, 0, 366, 565));
        EXPECT_EQ(right->mShiftX, 0);
        EXPECT_FALSE(flip->mVisible);
        EXPECT_FALSE(cover->mVisible);
        EXPECT_EQ(mMenu->mVisible, c.target == TMBoard_MainMenu::kTargetMainMenu);
        EXPECT_EQ(mCareer->mVisible, c.target == TMBoard_MainMenu::kTargetCareer);
        EXPECT_FALSE(mHelp->mVisible);
        EXPECT_EQ(mMenu->GetTargetScreen(), TMBoard_MainMenu::kTargetNone);
    }
    mGame->mUpdateInterval = 10;
}

TEST_F(TMBoard_MainMenuTest, TheFirstStartAsksForANameAndEnterMakesTheProfile)
{
    EmptyPlayerFile();
    mMenu->Show();
    ASSERT_TRUE(mMenu->mNameDialog->mVisible);
    EXPECT_TRUE(mMenu->mCancelButton->mDisabled);
    EXPECT_TRUE(mMenu->mProfileOpen->mDisabled);
    EXPECT_TRUE(mMenu->mProfileClose->mDisabled);

    Press(Platform::VK_ESCAPE);
    EXPECT_TRUE(mMenu->mNameDialog->mVisible) << "no way out without a profile";

    // Nothing, and blanks only, are refused: no profile, and the spread stays closed.
    for (const std::wstring& typed : {std::wstring(), std::wstring(L"   ")}) {
        mMenu->mNameEdit->SetText(L"", false);
        Type(typed);
        Press(Platform::VK_RETURN);
        EXPECT_FALSE(mGame->GetPref().IsProfileLoaded());
        EXPECT_TRUE(mMenu->mNameDialog->mVisible);
        EXPECT_TRUE(mMenu->mProfileOpen->mDisabled);
        EXPECT_TRUE(mMenu->mProfileClose->mDisabled);
    }

    mMenu->mNameEdit->SetText(L"", false);
    Type(L" Anna ");
    Press(Platform::VK_RETURN);
    ASSERT_TRUE(mGame->GetPref().IsProfileLoaded());
    EXPECT_EQ(mGame->GetPref().GetProfile()->Name(), L"Anna");
    EXPECT_EQ(fs::file_size(PrefPath()), 6152u);
    EXPECT_FALSE(mMenu->mNameDialog->mVisible);
    EXPECT_FALSE(mMenu->mProfileOpen->mDisabled);
    EXPECT_TRUE(mMenu->mMainSpread->mVisible);
    ASSERT_EQ(mMenu->mList->GetItems(), std::vector<std::wstring>{L"Anna"});
    EXPECT_EQ(mMenu->mList->GetCheckedItem(), 0);
    EXPECT_EQ(mMenu->mList->GetSelection(), 0);
    EXPECT_EQ(Var("profile_name"), L"Anna");

    // The dialog is closed now: neither a letter nor Enter makes another profile.
    Type(L"B");
    Press(Platform::VK_RETURN);
    Press('B');
    EXPECT_EQ(ProfileCount(), 1u);
}

TEST_F(TMBoard_MainMenuTest, APlayerFileOfAnotherVersionGivesTheFirstStartAndIsKept)
{
    std::vector<uint8_t> bytes(6152, 0);
    bytes[16] = 99; // the version after the signature
    WriteBytes(PrefPath(), bytes);
    ASSERT_TRUE(mGame->GetPref().Load());
    mMenu->Show();
    EXPECT_TRUE(mMenu->mNameDialog->mVisible);
    EXPECT_TRUE(mMenu->mCancelButton->mDisabled);
    EXPECT_TRUE(fs::exists(PrefPath().string() + ".bad"));
}

TEST_F(TMBoard_MainMenuTest, TheProfileSpreadMakesSelectsAndKeepsLongAndForeignNames)
{
    mMenu->Show();
    EXPECT_FALSE(mMenu->mNameDialog->mVisible) << "a profile exists: the main spread";
    Click(mMenu->mProfileOpen);
    EXPECT_TRUE(mMenu->mProfileClose->mVisible);
    EXPECT_FALSE(mMenu->mProfileOpen->mVisible);
    EXPECT_TRUE(mMenu->mDeleteButton->mDisabled) << "a single profile cannot be deleted";

    Click(mMenu->mCreateButton);
    ASSERT_TRUE(mMenu->mNameDialog->mVisible);
    EXPECT_FALSE(mMenu->mCancelButton->mDisabled);
    Type(L"Abcdefghijklmnopqrst"); // 20 letters
    Press(Platform::VK_RETURN);
    EXPECT_EQ(mGame->GetPref().GetProfile()->Name(), L"Abcdefghijklmno");

    Click(mMenu->mCreateButton);
    Type(L"Анна Éva");
    Click(mMenu->mNameCreateButton);
    EXPECT_EQ(mGame->GetPref().GetProfile()->Name(), L"Анна Éva");
    EXPECT_EQ(Var("profile_name"), L"Анна Éva");
    EXPECT_EQ(mMenu->mList->GetItems(), (std::vector<std::wstring>{L"Tester", L"Abcdefghijklmno", L"Анна Éva"}));
    EXPECT_EQ(mMenu->mList->GetCheckedItem(), 2);
    EXPECT_FALSE(mMenu->mDeleteButton->mDisabled);

    // Escape cancels a dialog that may be cancelled, and makes nothing.
    Click(mMenu->mCreateButton);
    Type(L"Zed");
    Press(Platform::VK_ESCAPE);
    EXPECT_FALSE(mMenu->mNameDialog->mVisible);
    EXPECT_EQ(ProfileCount(), 3u);

    // Back from a restart, the foreign name is still there.
    TMPref reread(nullptr);
    ASSERT_TRUE(reread.Load());
    std::vector<ProfileRecord> stored;
    reread.ReadAllProfiles(stored);
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[2].Name(), L"Анна Éva");

    mMenu->mList->SetSelection(0);
    mCareer->ResetSelectedDay();
    Click(mMenu->mSelectButton);
    EXPECT_EQ(mGame->GetPref().GetProfile()->Name(), L"Tester");
    EXPECT_EQ(Var("profile_name"), L"Tester");
    EXPECT_EQ(mMenu->mList->GetCheckedItem(), 0);
    EXPECT_EQ(mCareer->GetSelectedDay(), -1);
    EXPECT_TRUE(mMenu->IsTurning());
}

TEST_F(TMBoard_MainMenuTest, DeletingAnsweredYesLeavesTheLastProfileUndeletable)
{
    mMenu->Show();
    Click(mMenu->mProfileOpen);
    Click(mMenu->mCreateButton);
    Type(L"Boris");
    Press(Platform::VK_RETURN);
    ASSERT_EQ(ProfileCount(), 2u);
    EXPECT_FALSE(mMenu->mDeleteButton->mDisabled);

    mCareer->LoadFromProfile();
    ASSERT_EQ(mCareer->GetSelectedDay(), 1);
    // The player answers the question box with a click on its yes button.
    PostClick(300, 370);
    Click(mMenu->mDeleteButton);
    EXPECT_EQ(ProfileCount(), 1u);
    EXPECT_EQ(mMenu->mList->GetItems(), std::vector<std::wstring>{L"Tester"});
    EXPECT_EQ(Var("profile_name"), L"Tester");
    EXPECT_TRUE(mMenu->mDeleteButton->mDisabled);
    EXPECT_EQ(mCareer->GetSelectedDay(), -1) << "the current profile went: the book refills";

    Click(mMenu->mDeleteButton); // refused with one profile, no question asked
    EXPECT_EQ(ProfileCount(), 1u);
}

TEST_F(TMBoard_MainMenuTest, HelpOpensOnItsFirstPageWithTheOthersHidden)
{
    mHelp->FindChild("page_2")->SetVisible(true);
    mMenu->Show();
    Click(mMenu->mHelpButton);
    EXPECT_TRUE(mHelp->mVisible);
    EXPECT_EQ(mHelp->GetPageIndex(), 0);
    EXPECT_FALSE(mHelp->FindChild("page_2")->mVisible) << "a page left open last time is hidden";
    EXPECT_TRUE(mHelp->FindChild("cover")->mVisible);
}

} // namespace
