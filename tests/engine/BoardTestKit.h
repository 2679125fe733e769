#pragma once

// The board's test harness: a board whose hooks record their calls, an engine that counts its load screens, and
// level and scene files written into the engine's content folder at test time.

#include "engine/GameClock.h"
#include "engine/ItemFactory.h"
#include "engine/TMBoard_Game.h"
#include "engine/TMItem.h"
#include "engine/TMPickItem.h"
#include "tests/engine/EngineTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace EngineTest {

/// Records every hook call as one line ("OnObjectClicked table"); the loading thread's hooks record too, so the
/// record is locked.
class RecordingBoard : public TMBoard_Game {
public:
    using TMBoard_Game::TMBoard_Game;
    ~RecordingBoard() override { ReleaseLevel(); }

    void StartLevel() override { Record("StartLevel"); }
    void OnLevelFinished() override { Record("OnLevelFinished"); }
    void ResetLevel() override { Record("ResetLevel"); }
    void ReadLevelConfig(pugi::xml_node, pugi::xml_node) override { Record("ReadLevelConfig"); }
    void ReleaseLevelActors() override { Record("ReleaseLevelActors"); }
    void OnObjectClicked(TMPickItem* item) override { Record("OnObjectClicked " + item->GetName()); }
    void UpdateLevel() override { Record("UpdateLevel"); }
    void LoadActorConfigs(pugi::xml_node) override { Record("LoadActorConfigs"); }
    void ClearActorConfigs() override { Record("ClearActorConfigs"); }
    void OnMoneyChanged() override { Record("OnMoneyChanged"); }
    void UpdateDayLabel() override { Record("UpdateDayLabel"); }
    bool TryDispatchEvent(TimePoint* point) override
    {
        Record("TryDispatchEvent " + point->type);
        return mAcceptEvents;
    }
    void OnPause() override { Record("OnPause"); }
    void OnResume() override { Record("OnResume"); }
    void OnLevelLoadFailed() override { Record("OnLevelLoadFailed"); }

    void Record(const std::string& call)
    {
        const std::lock_guard lock(mCallLock);
        mCalls.push_back(call);
    }
    [[nodiscard]] std::vector<std::string> Calls()
    {
        const std::lock_guard lock(mCallLock);
        return mCalls;
    }
    [[nodiscard]] int Count(const std::string& call)
    {
        const std::lock_guard lock(mCallLock);
        return static_cast<int>(std::count(mCalls.begin(), mCalls.end(), call));
    }
    void ClearCalls()
    {
        const std::lock_guard lock(mCallLock);
        mCalls.clear();
    }

    bool mAcceptEvents = true;

private:
    std::mutex mCallLock;
    std::vector<std::string> mCalls;
};

/// The engine with a load screen that counts how often it was shown and hidden.
class LoadScreenEngine : public EngineApp {
public:
    using EngineApp::EngineApp;
    void ShowLoadingScreen() override { ++mShown; }
    void HideLoadingScreen() override { ++mHidden; }
    std::atomic<int> mShown = 0;
    std::atomic<int> mHidden = 0;
};

/// An engine, the engine's item classes in the factory, a recording board, and writers of level files.
class BoardFixture : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        ClearLevelObjects();
        ClearItemHooks();
        RegisterItemFactory("item", [] { return new TMItem(); });
        RegisterItemFactory("pickable", []() -> TMItem* { return new TMPickItem(); });
        RegisterNamedItemSlot("boss", &gBoss);
        mEngine = &MakeEngine<LoadScreenEngine>();
        mBoard = std::make_unique<RecordingBoard>(mEngine);
    }

    void TearDown() override
    {
        mBoard.reset();
        ClearLevelObjects();
        ClearItemHooks();
        gFrameDelta = 0.0f;
        ResetGameTime();
        EngineFixture::TearDown();
    }

    /// cfg\l<n>.xml or cfg\e<n>.xml: a "level" element naming the scene, around the body.
    void WriteLevel(int level, bool survival, const std::string& body, const std::string& scene = "scene\\s1.xml")
    {
        const std::string name = (survival ? "e" : "l") + std::to_string(level) + ".xml";
        WriteXml(mFolder / "cfg" / name, "<level doc=\"" + scene + "\">" + body + "</level>");
    }

    /// The scene document scene\<name>: "root" with the objects given, and what else it holds.
    void WriteScene(const std::string& name, const std::string& objects, const std::string& more = "")
    {
        WriteXml(mFolder / "scene" / name, "<root><objects>" + objects + "</objects>" + more + "</root>");
    }

    /// Runs the main thread's side of a load until the board has finished it, stepping, drawing and moving the
    /// mouse over the board meanwhile, as the loop would.
    void PumpUntilLoaded()
    {
        while (mBoard->IsWaitingForLoad()) {
            mBoard->Update();
            mBoard->Draw(nullptr);
            mBoard->MouseMove(50, 50);
            mBoard->MouseDown(50, 50, Pyxo::MouseButton::Left, 1);
            mBoard->ClickItem("table");
            if (mEngine->mLoadingThreadCompleted)
                mBoard->FinishLevelLoad(); // what the engine's loop step does
            else
                std::this_thread::yield();
        }
    }

    /// Loads the level on its thread and waits for it.
    void Load(int level, bool survival = false)
    {
        mBoard->StartLoadThread(level, survival);
        PumpUntilLoaded();
    }

    /// Steps the board n frames.
    void Step(int n = 1)
    {
        for (int i = 0; i < n; ++i)
            mBoard->Update();
    }

    LoadScreenEngine* mEngine = nullptr;
    std::unique_ptr<RecordingBoard> mBoard;
};

/// Two pick items side by side and a plain item, and career level 1 showing the pick items.
inline constexpr const char* kTwoTables = R"(
    <object class="pickable" name="table" rgn="0 0 100 0 100 100 0 100"/>
    <object class="pickable" name="tray" rgn="200 0 300 0 300 100 200 100"/>
    <object class="item" name="plant"/>)";

} // namespace EngineTest
