// The game's application object: its identity and title, the boards that the content loading makes and the tree
// takes on the main thread, and a destructor that waits for the content loading.
#include "game/TMEngine3.h"

#include "engine/TMDialog.h"
#include "game/TMBoard_Career.h"
#include "game/TMBoard_Confirm1.h"
#include "game/TMBoard_Confirm2.h"
#include "game/TMBoard_EscapeMenu.h"
#include "game/TMBoard_Game3.h"
#include "game/TMBoard_Help.h"
#include "game/TMBoard_HiScores.h"
#include "game/TMBoard_LoadScreen.h"
#include "game/TMBoard_MainMenu.h"
#include "game/TMBoard_Menu.h"
#include "game/TMBoard_Options.h"
#include "game/TMBoard_Splash.h"
#include "game/TMBoard_Survival.h"
#include "platform/window/WindowSystem.h"
#include "shell/WidgetManager.h"
#include "tests/SuiteLabels.h"
#include "tests/engine/EngineTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace EngineTest;

/// The game on the headless back-end, run by Start until the first update after loading has finished.
class RunOnceLoaded : public Headless<TMEngine3> {
public:
    using Headless<TMEngine3>::Headless;

    void LoadContent() override
    {
        Headless<TMEngine3>::LoadContent();
        mSplashShownWhileLoading = mSplashBoard && mSplashBoard->mVisible;
    }

    void UpdateFrame() override
    {
        Headless<TMEngine3>::UpdateFrame();
        // One more update after the hand-over: boards that the loader queued while this update's widget pass had
        // already run join the tree at the next one.
        if (mLoadingFinishedHandled && mUpdatesSinceLoaded++ > 0)
            Shutdown();
    }

    int mUpdatesSinceLoaded = 0;

    std::atomic<bool> mSplashShownWhileLoading = true;
};

using TMEngine3Test = EngineFixture;

ILVANE_THREADED_SUITE(TMEngine3Test);

TEST_F(TMEngine3Test, TakesTheGamesIdentityAndItsLocalisedTitle)
{
    WriteMinimalContent();
    TMEngine3& game = MakeEngine<Headless<TMEngine3>>();
    EXPECT_EQ(game.mProductName, "Ilvane Cafe");
    EXPECT_EQ(game.mProductVersion, "1.0");
    EXPECT_EQ(game.mRegKey, "Ostrel Games\\Ilvane Cafe");
    EXPECT_TRUE(game.mTitle.empty());
    ASSERT_EQ(InitExitCode(game), -1);
    EXPECT_EQ(game.mTitle, L"Fixture Cafe") << "the localised text, not the product name";
    EXPECT_TRUE(game.mVSyncUpdates);
    EXPECT_TRUE(game.mAutoEnable3D);
}

TEST_F(TMEngine3Test, WithoutAppTitleTheTitleIsEmpty)
{
    WriteMinimalContent();
    WriteXml(mFolder / "cfg" / "loc.xml", R"(<root><loc id="other" text="x"/></root>)");
    TMEngine3& game = MakeEngine<Headless<TMEngine3>>();
    ASSERT_EQ(InitExitCode(game), -1);
    EXPECT_TRUE(game.mTitle.empty());
}

TEST_F(TMEngine3Test, TheBoardsStandInOrderWithTheSplashShownOnTopOnceLoaded)
{
    WriteMinimalContent();
    RunOnceLoaded& game = MakeEngine<RunOnceLoaded>();
    ASSERT_EQ(InitExitCode(game), -1);
    game.Start();

    EXPECT_FALSE(game.mSplashShownWhileLoading) << "shown only after loading has finished";
    std::vector<Pyxo::Widget*> tree(game.mWidgetManager->mWidgets.begin(), game.mWidgetManager->mWidgets.end());
    // The two message boxes and their blocker come first, below the screens until a box is asked.
    ASSERT_GE(tree.size(), 4u);
    EXPECT_NE(dynamic_cast<TMBoard_Confirm2*>(tree[1]), nullptr);
    EXPECT_NE(dynamic_cast<TMBoard_Confirm1*>(tree[2]), nullptr);
    EXPECT_NE(dynamic_cast<TMDialog*>(tree[3]), nullptr);
    const std::vector<Pyxo::Widget*> expected = {
        TMEngine::GetLockOverlay(),
        tree[1],
        tree[2],
        tree[3],
        game.mGameBoard->GetEscapeMenu(), // the game board adds its escape menu when it is made
        game.mMenuBoard,
        game.mLoadScreenBoard,
        game.mMainMenuBoard,
        game.mOptionsBoard,
        game.mHelpBoard,
        game.mHiScoresBoard,
        game.mCareerBoard,
        game.mSurvivalBoard,
        game.mGameBoard,
        game.mSplashBoard,
    };
    EXPECT_EQ(tree, expected);
    // A splash without pictures hands over at once to the menu background and the main menu.
    for (Pyxo::Widget* board : tree)
        EXPECT_EQ(board->mVisible, board == game.mMenuBoard || board == game.mMainMenuBoard);
    EXPECT_EQ(gGameBoard, game.mGameBoard);
}

/// A gate that the content loader waits at until the application is being deleted. Owned by the test, so that
/// nothing the loader touches goes away with the application's test part.
struct Gate {
    std::mutex lock;
    std::condition_variable wake;
    bool open = false;

    void Open()
    {
        {
            const std::lock_guard guard(lock);
            open = true;
        }
        wake.notify_all();
    }
    void Wait()
    {
        std::unique_lock guard(lock);
        wake.wait(guard, [this] { return open; });
    }
};

class DeletedWhileLoading : public Headless<TMEngine3> {
public:
    DeletedWhileLoading(const fs::path& folder, Gate* gate) : Headless<TMEngine3>(folder), mGate(gate) {}
    ~DeletedWhileLoading() override
    {
        mGate->Open();
        WaitForLoadingThread(); // the most derived class stops the loader before any vtable changes
    }

    /// Starts the content loading as Start does, without running the loop.
    void StartLoader()
    {
        Pyxo::PyxoAppBase* app = this;
        app->mLoadingThreadStarted = true;
        app->mLoadingThread = std::thread([app] {
            app->LoadContent();
            app->mLoadingThreadCompleted = true;
        });
    }

private:
    Gate* mGate; // borrowed
};

TEST_F(TMEngine3Test, DeletingWaitsForASlowContentLoader)
{
    WriteMinimalContent();
    Gate gate;
    std::mutex linesLock;
    std::vector<std::string> lines;
    const auto mainThread = std::this_thread::get_id();
    const Platform::LogSink previous =
        Platform::SetLogSink([&](Platform::LogLevel, const char*, const std::string& text) {
            // The loader's first report (no cfg\cfg.xml here) holds it until the application is being deleted.
            if (std::this_thread::get_id() != mainThread && text.find("cfg\\cfg.xml") != std::string::npos)
                gate.Wait();
            const std::lock_guard guard(linesLock);
            lines.push_back(text);
        });

    auto game = std::make_unique<DeletedWhileLoading>(mFolder, &gate);
    ASSERT_EQ(InitExitCode(*game), -1);
    game->StartLoader();
    game.reset(); // opens the gate, then waits for the loader before the boards and tables go
    Platform::SetLogSink(previous);

    const auto loaderLine = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("the screens stay empty") != std::string::npos;
    });
    EXPECT_NE(loaderLine, lines.end()) << "the loader ran on to the boards";
}

} // namespace
