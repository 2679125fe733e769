// The start-up splash: on the real start, with the boards made on the content-loading thread, a key skips each
// picture and the menus follow the last; without pictures the menus follow at once. The menu background and the
// load screen are built from their elements.
#include "game/TMBoard_Splash.h"

#include "engine/CursorTable.h"
#include "game/TMBoard_LoadScreen.h"
#include "tests/game/ScreenTestKit.h"

#include <gtest/gtest.h>

namespace {

using namespace GameTest;

std::string SplashScreen(int pictures)
{
    std::string body = Element("tmtext", "frame", 0, 0, 800, 600); // no picture: never shown
    for (int i = 1; i <= pictures; ++i)
        body += Element("tmtext", "logo" + std::to_string(i), 0, 0, 400, 300,
                        "<texture id=\"normal\" texture=\"logo" + std::to_string(i) + "\"/>");
    return Screen("splash", body);
}

/// The game on the real start; each update runs the test's script, and the run ends when it asks or after 500
/// updates.
class ScriptedGame : public Headless<TMEngine3> {
public:
    using Headless<TMEngine3>::Headless;

    void UpdateFrame() override
    {
        Headless<TMEngine3>::UpdateFrame();
        if (mScript && mLoadingFinishedHandled)
            mScript(*this);
        if (++mUpdates > 500)
            Shutdown();
    }

    std::function<void(ScriptedGame&)> mScript;
    int mUpdates = 0;
};

class TMBoard_SplashTest : public ScreenFixture {
protected:
    ScriptedGame& StartGame(const std::string& ui)
    {
        WriteMinimalContent();
        WriteXml(mFolder / "cfg" / "loc.xml", kScreensLoc);
        WriteXml(mFolder / "cfg" / "ui.xml", ui);
        WriteGameConfig(mFolder, "");
        ScriptedGame& game = MakeEngine<ScriptedGame>();
        mGame = &game;
        EXPECT_EQ(InitExitCode(game), -1);
        return game;
    }
};

TEST_F(TMBoard_SplashTest, AKeySkipsEachPictureAndTheMenusFollowTheLast)
{
    ScriptedGame& game = StartGame(ScreensUi(HelpScreen(1), SplashScreen(2)));
    std::vector<int> skipped;
    bool splashHadFocus = false;
    bool cursorHidden = false;
    game.mScript = [&](ScriptedGame& self) {
        TMBoard_Splash* splash = self.mSplashBoard;
        if (splash->mVisible) {
            splashHadFocus = splashHadFocus || self.mWidgetManager->mFocusWidget == splash;
            cursorHidden = cursorHidden || !self.GetCursorTable()->IsShown();
            const int index = splash->GetPictureIndex();
            if (splash->GetPictures()[static_cast<size_t>(index)]->mVisible &&
                (skipped.empty() || skipped.back() != index)) {
                skipped.push_back(index);
                Platform::PostMessage(self.mMainWindow, Platform::WM_KEYDOWN, 32, 0);
            }
        } else if (self.mMainMenuBoard->mVisible) {
            self.Shutdown();
        }
    };
    game.Start();

    EXPECT_EQ(game.mSplashBoard->GetPictures().size(), 2u) << "the frame without a picture is not one";
    EXPECT_EQ(skipped, (std::vector<int>{0, 1}));
    EXPECT_TRUE(splashHadFocus) << "the splash stands in the tree when it takes the focus";
    EXPECT_TRUE(cursorHidden);
    EXPECT_FALSE(game.mSplashBoard->mVisible);
    EXPECT_TRUE(game.mMenuBoard->mVisible);
    EXPECT_TRUE(game.mMainMenuBoard->mVisible);
    EXPECT_TRUE(game.GetCursorTable()->IsShown());
    EXPECT_EQ(game.mWidgetManager->mFocusWidget, nullptr);
    EXPECT_LT(game.mUpdates, 500);
}

TEST_F(TMBoard_SplashTest, WithoutPicturesTheMenusShowAtOnce)
{
    ScriptedGame& game = StartGame(ScreensUi(HelpScreen(1), SplashScreen(0)));
    game.mScript = [](ScriptedGame& self) { self.Shutdown(); };
    game.Start();

    EXPECT_TRUE(game.mSplashBoard->GetPictures().empty());
    EXPECT_FALSE(game.mSplashBoard->mVisible);
    EXPECT_TRUE(game.mMenuBoard->mVisible);
    EXPECT_TRUE(game.mMainMenuBoard->mVisible);
}

TEST_F(TMBoard_SplashTest, APictureLeavingByItselfAdvancesTheSequence)
{
    LoadScreens(ScreensUi(HelpScreen(1), SplashScreen(2)));
    TMBoard_Splash* splash = mGame->mSplashBoard;
    splash->Show();
    ASSERT_TRUE(splash->GetPictures()[0]->mVisible);
    splash->Update();
    splash->GetPictures()[0]->SetVisible(false); // its effect faded it out
    splash->Update();
    EXPECT_EQ(splash->GetPictureIndex(), 1);
    EXPECT_TRUE(splash->GetPictures()[1]->mVisible);
    splash->Update();
    EXPECT_TRUE(splash->mVisible) << "a picture still shown holds the sequence";
    splash->GetPictures()[1]->SetVisible(false);
    splash->Update();
    EXPECT_FALSE(splash->mVisible);
    EXPECT_TRUE(mGame->mMainMenuBoard->mVisible);
}

TEST_F(TMBoard_SplashTest, TheMenuBackgroundAndTheLoadScreenAreBuiltFromTheirElements)
{
    LoadScreens(ScreensUi() + "");
    EXPECT_EQ(mGame->mMenuBoard->mWidth, 800);
    EXPECT_EQ(mGame->mLoadScreenBoard->mWidth, 800);
    mGame->ShowLoadingScreen();
    EXPECT_TRUE(mGame->mLoadScreenBoard->mVisible);
    mGame->HideLoadingScreen();
    EXPECT_FALSE(mGame->mLoadScreenBoard->mVisible);
}

} // namespace
