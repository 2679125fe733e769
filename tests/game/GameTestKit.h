#pragma once

// The game's test harness: a TMEngine3 on the headless back-end (no window; the player file under the test's
// folder, with one profile), the game board with the screens it hands results to, writers of cfg\cfg.xml's game
// sections, and StartLevelForTest, which loads a career day or survival cafe on the loading thread and dismisses the
// briefing. Level and scene files are written with the board harness's writers (WriteLevel, WriteScene). Career
// fixtures use day 2 or later: day 1 runs the tutorial, whose locks would hold a fixture day open.

#include "engine/EventQueue.h"
#include "engine/GameClock.h"
#include "engine/ItemFactory.h"
#include "engine/TMItem.h"
#include "game/TBoard_Hud.h"
#include "game/TMBoard_Briefing.h"
#include "game/TMBoard_Career.h"
#include "game/TMBoard_Game3.h"
#include "game/TMBoard_HiScores.h"
#include "game/TMBoard_Survival.h"
#include "game/TMEngine3.h"
#include "tests/engine/BoardTestKit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

namespace GameTest {

using namespace EngineTest;

/// cfg\cfg.xml's actor sections: the boss's character, three worker types (numbers 1 to 3), two client types, a
/// period item, the level bonus parameters and the chain bonus. The upgrade catalogue is the test's.
inline constexpr const char* kActorSections = R"(
    <perses><pers name="boss" move_speed="200" wash_time="2" speed_bonus="1.5"/></perses>
    <workers tidiness_g_level="70" tidiness_y_level="40" tidiness_r_level="10">
        <worker name="cook" work_time="5" tidiness_up="1" tidiness_down="2" product="1000" product_type="tea"/>
        <worker name="juicer" work_time="6" tidiness_up="1" tidiness_down="3" product="0100"/>
        <worker name="oven" work_time="7" tidiness_up="2" tidiness_down="4" product="0010"/>
    </workers>
    <clients patience_g_level="66" patience_y_level="33" patience_r_level="10" scandal_effect="5">
        <client name="client01" client_patience_speed="1.5" client_money01_g="30" client_money01_y="20"
                client_money01_r="10" client_losses_money="15"/>
        <client name="client02" client_patience_speed="2"/>
    </clients>
    <period_items><period_item name="cake" timeout_min="3" timeout_max="9"/></period_items>
    <level bonus_cash="10" bonus_cash_upgrade="25" bonus_wstamina="20" bonus_cstamina="15"
           bonus_iceagetimeout="4" client_pause="2"/>
    <bonus_config rush_timeout="3"><bonus_stages action="3" bonus="10"/></bonus_config>)";

/// cfg\cfg.xml: the actor sections and the given extra sections under "root".
inline void WriteGameConfig(const fs::path& folder, const std::string& extra,
                            const std::string& actors = kActorSections)
{
    WriteXml(folder / "cfg" / "cfg.xml", "<root>" + actors + extra + "</root>");
}

/// A scene with the objects upgrades re-skin, a standing client and its place, and the skin names of upgrades.
inline constexpr const char* kGameSceneObjects = R"(
    <object class="item" name="floor01"><part name="floor01"/></object>
    <object class="item" name="decor01"><part name="decor01"/></object>
    <object class="client" name="client1"/>
    <object class="item" name="client_place1"/>)";
inline constexpr const char* kGameSceneParam = R"(<param upgrade_skin="gold" default_skin="plain"/>)";

/// A level body that shows the scene's objects.
inline constexpr const char* kGameLevelObjects = R"(<objects><object name="floor01"/><object name="decor01"/>
    <object name="client1"/><object name="client_place1"/></objects>)";

/// A TMEngine3 without Init, its player file under the test's folder with the profile "Tester", and a game board
/// made on demand from the current cfg\cfg.xml.
class GameFixture : public BoardFixture {
protected:
    void SetUp() override
    {
        BoardFixture::SetUp();
        // The board harness's recording board and engine make way for the game's.
        mBoard.reset();
        mEngine = nullptr;
        ClearItemHooks();
        mData = mFolder / "appdata";
        const char* previous = std::getenv("XDG_DATA_HOME");
        mHadData = previous != nullptr;
        mPreviousData = previous ? previous : "";
        setenv("XDG_DATA_HOME", mData.c_str(), 1);
        mGame = &MakeEngine<Headless<TMEngine3>>();
        ASSERT_TRUE(mGame->GetPref().CreateProfile(L"Tester"));
    }

    void TearDown() override
    {
        DestroyGameBoard();
        if (mHadData)
            setenv("XDG_DATA_HOME", mPreviousData.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
        BoardFixture::TearDown();
    }

    /// The game board and the screens that take its results, as the content loading makes them (with an empty
    /// interface description unless given); the board reads cfg\cfg.xml.
    TMBoard_Game3& MakeGameBoard(const std::string& ui = "<root/>")
    {
        DestroyGameBoard();
        mUi.load_string(ui.c_str());
        const pugi::xml_node root = mUi.child("root");
        mCareer = std::make_unique<TMBoard_Career>(mGame, root);
        mSurvivalScreen = std::make_unique<TMBoard_Survival>(mGame, root);
        mHiScores = std::make_unique<TMBoard_HiScores>(mGame, root);
        mGame->mCareerBoard = mCareer.get();
        mGame->mSurvivalBoard = mSurvivalScreen.get();
        mGame->mHiScoresBoard = mHiScores.get();
        mGameBoard = std::make_unique<TMBoard_Game3>(mGame, root);
        mGame->mGameBoard = mGameBoard.get();
        mGameBoard->LoadConfig();
        return *mGameBoard;
    }

    void DestroyGameBoard()
    {
        if (mGame) {
            mGame->mGameBoard = nullptr;
            mGame->mCareerBoard = nullptr;
            mGame->mSurvivalBoard = nullptr;
            mGame->mHiScoresBoard = nullptr;
        }
        mGameBoard.reset();
        mCareer.reset();
        mSurvivalScreen.reset();
        mHiScores.reset();
    }

    /// Loads the career day or survival cafe on the loading thread, begins it and closes the briefing, whatever
    /// the briefing does. True when the level runs.
    bool StartLevelForTest(int level, bool survival)
    {
        TMBoard_Game3& board = *mGameBoard;
        board.StartLoadThread(level, survival);
        while (board.IsWaitingForLoad()) {
            if (mGame->mLoadingThreadCompleted)
                board.FinishLevelLoad(); // what the loop step does
            else
                std::this_thread::yield();
        }
        if (TMBoard_Briefing* briefing = board.GetBriefing(); briefing && briefing->mVisible)
            briefing->Hide();
        return board.mRunning;
    }

    /// cfg\\l<n>.xml or cfg\\e<n>.xml with attributes of the "level" element (the upgrade kind, the boss's speed
    /// override) besides the scene it names.
    void WriteGameLevel(int level, bool survival, const std::string& attributes, const std::string& body,
                        const std::string& scene = "scene\\s1.xml")
    {
        const std::string name = (survival ? "e" : "l") + std::to_string(level) + ".xml";
        WriteXml(mFolder / "cfg" / name, "<level doc=\"" + scene + "\" " + attributes + ">" + body + "</level>");
    }

    /// Steps the game board n frames of 10 ms.
    void StepGame(int n = 1)
    {
        for (int i = 0; i < n; ++i)
            mGameBoard->Update();
    }

    /// Steps until the level has stopped, at most n frames; true when it stopped.
    bool RunUntilStopped(int n)
    {
        for (int i = 0; i < n && mGameBoard->mRunning; ++i)
            mGameBoard->Update();
        return !mGameBoard->mRunning;
    }

    [[nodiscard]] fs::path PrefPath() const { return mData / "Ostrel Games" / "Ilvane" / "pref.dat"; }

    TMEngine3* mGame = nullptr;
    std::unique_ptr<TMBoard_Game3> mGameBoard;
    std::unique_ptr<TMBoard_Career> mCareer;
    std::unique_ptr<TMBoard_Survival> mSurvivalScreen;
    std::unique_ptr<TMBoard_HiScores> mHiScores;
    pugi::xml_document mUi;
    fs::path mData;

private:
    bool mHadData = false;
    std::string mPreviousData;
};

} // namespace GameTest
