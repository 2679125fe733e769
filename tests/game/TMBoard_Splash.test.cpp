// The start-up splash: with the boards made on a content-loading thread and handed over, a key skips each
// picture and the menus follow the last; without pictures the menus follow at once. The menu background and the
// load screen are built from their elements.
#include "game/TMBoard_Splash.h"

#include "engine/CursorTable.h"
#include "game/TMBoard_LoadScreen.h"
#include "tests/SuiteLabels.h"
#include "tests/game/ScreenTestKit.h"

#include <gtest/gtest.h>

#include <thread>

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

class TMBoard_SplashTest : public ScreenFixture {
protected:
    /// The content loading on a thread of its own, as the start runs it (the boards wait in the tree's queue), then
    /// the main thread's hand-over.
    void LoadOnThreadAndHandOver(const std::string& ui)
    {
        WriteMinimalContent();
        WriteXml(mFolder / "cfg" / "loc.xml", kScreensLoc);
        WriteXml(mFolder / "cfg" / "ui.xml", ui);
        WriteGameConfig(mFolder, "");
        ASSERT_EQ(InitExitCode(*mGame), -1);
        mGame->mRunning = true;
        mGame->mDeferredMessages.clear();
        mManager = mGame->mWidgetManager.get();
        std::thread loader([this] { mGame->LoadContent(); });
        loader.join();
        ASSERT_EQ(mGame->mSplashBoard->mWidgetManager, nullptr) << "queued, not yet in the tree";
        mGame->mLoadingThreadCompleted = true;
        mGame->mLoadingFinishedHandled = true;
        mGame->OnLoadingFinished();
    }
};

ILVANE_THREADED_SUITE(TMBoard_SplashTest);

TEST_F(TMBoard_SplashTest, AKeySkipsEachPictureAndTheMenusFollowTheLast)
{
    LoadOnThreadAndHandOver(ScreensUi(HelpScreen(1), SplashScreen(2)));
    TMBoard_Splash* splash = mGame->mSplashBoard;
    ASSERT_EQ(splash->GetPictures().size(), 2u) << "the frame without a picture is not one";
    EXPECT_TRUE(splash->mVisible);
    EXPECT_EQ(mManager->mFocusWidget, splash) << "the splash stands in the tree when it takes the focus";
    EXPECT_FALSE(mGame->GetCursorTable()->IsShown());
    for (int picture = 0; picture < 2; ++picture) {
        SCOPED_TRACE(picture);
        EXPECT_EQ(splash->GetPictureIndex(), picture);
        EXPECT_TRUE(splash->GetPictures()[static_cast<size_t>(picture)]->mVisible);
        Step();
        EXPECT_EQ(splash->GetPictureIndex(), picture) << "a picture stays until it leaves or a key is pressed";
        Key(' ');
        Step();
    }
    EXPECT_FALSE(splash->mVisible);
    EXPECT_TRUE(mGame->mMenuBoard->mVisible);
    EXPECT_TRUE(mGame->mMainMenuBoard->mVisible);
    EXPECT_TRUE(mGame->GetCursorTable()->IsShown());
    EXPECT_EQ(mManager->mFocusWidget, nullptr);
}

TEST_F(TMBoard_SplashTest, WithoutPicturesTheMenusShowAtOnce)
{
    LoadOnThreadAndHandOver(ScreensUi(HelpScreen(1), SplashScreen(0)));
    EXPECT_TRUE(mGame->mSplashBoard->GetPictures().empty());
    EXPECT_FALSE(mGame->mSplashBoard->mVisible);
    EXPECT_TRUE(mGame->mMenuBoard->mVisible);
    EXPECT_TRUE(mGame->mMainMenuBoard->mVisible);
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
