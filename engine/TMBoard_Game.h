#pragma once

#include "engine/EventQueue.h"
#include "engine/TMCandyWidget.h"
#include "engine/TMCountdown.h"
#include "graphics/ImagePoolRef.h"

#include <pugixml.hpp>

#include <atomic>
#include <cstdint>
#include <deque>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Pyxo {
class PyxoAppBase;
} // namespace Pyxo
class PathGraph;
class TMItem;
class TMPickItem;
class ZOrder;
struct TimePoint;

/// The engine's playing field: the board on which one level runs. It owns the level's step (items, events,
/// clicks, the end of the level after a grace period), drawing the scene back to front, the mouse hit test on pick
/// items, money and survival stages, the counted pause of the game sounds, and level loading on a thread of its
/// own. The game fills its hooks. One board exists at a time and is published in gCurrentBoard. Main thread,
/// except LoadLevel (the level-loading thread): while a load is under way the board neither steps, draws its items
/// nor takes mouse input, so the loading thread has the level to itself.
class TMBoard_Game : public TMCandyWidget {
public:
    /// Objects that appear when the stage counter reaches num (survival levels).
    struct LevelStage {
        int num = 0;
        std::vector<TMItem*> objects; // borrowed from gItems
    };

    /// Seconds between the level-over answer and the end of the level.
    static constexpr float kLevelOverGrace = 2.0f;

    explicit TMBoard_Game(Pyxo::PyxoAppBase* app);
    /// Joins a running loading thread first. A derived board should call ReleaseLevel before it goes, since the
    /// loading thread calls its hooks.
    ~TMBoard_Game() override;

    // TMCandyWidget and Pyxo::Widget
    void Update() override;
    void Draw(Pyxo::Graphics* g) override;
    void KeyUp(int key) override;
    void MouseMove(int x, int y) override;
    void MouseDown(int x, int y, int button, int clickCount) override;
    void MouseDrag(int x, int y) override;
    void OnShow() override;
    void OnHide() override;
    void Activate() override;
    void Deactivate() override;

    // Level loading.
    /// Loads a level; runs on the level-loading thread. A missing level file, "level" element, "doc" attribute,
    /// scene document or "root" element abandons the load with a log and leaves the board empty.
    virtual void LoadLevel(int level, bool survival);
    /// Main thread: ends the load that the loading thread finished, and begins the level (or, after an abandoned
    /// load, calls OnLevelLoadFailed instead).
    virtual void FinishLevelLoad();
    virtual bool IsLevelOver();

    // The game's hooks.
    virtual void StartLevel() = 0;
    virtual void OnLevelFinished() = 0;
    virtual void ResetLevel() = 0;
    virtual void ReadLevelConfig(pugi::xml_node root, pugi::xml_node level) = 0;
    virtual void ReleaseLevelActors() = 0;
    virtual void OnObjectClicked(TMPickItem* item) = 0;
    virtual void UpdateLevel() = 0;
    virtual void LoadActorConfigs(pugi::xml_node root) = 0;
    virtual void ClearActorConfigs() = 0;
    virtual void OnMoneyChanged() = 0;
    virtual void UpdateDayLabel() = 0;
    virtual bool TryDispatchEvent(TimePoint* point) = 0;
    virtual void OnPause() = 0;
    virtual void OnResume() = 0;
    virtual void DispatchEvents();
    /// Main thread, once per abandoned load, after the load screen was hidden; the board stays hidden and no level
    /// runs. A new load may be started from here.
    virtual void OnLevelLoadFailed() {}

    /// Starts the level-loading thread for the level: stops a running level, hides the board and shows the load
    /// screen. Refused (logged) while another load is under way.
    void StartLoadThread(int level, bool survival);
    /// The loading thread was started and FinishLevelLoad has not run yet.
    [[nodiscard]] bool IsWaitingForLoad() const { return mWaitingForLoad; }
    /// The loading thread is running or has not been joined yet.
    [[nodiscard]] bool IsLoadingInProgress() const { return mLoadingInProgress; }
    /// Counted pause of the level and the sound group "game"; more Resume than Pause calls leave the count at 0.
    void Pause();
    void Resume();
    /// Adds the amount (money never drops below 0; survival ignores losses) and, in survival, advances at most one
    /// stage when the goal is reached. Returns the new money.
    int AddMoney(int amount);
    /// 0..1: the share of the current money stage (survival) or of the dispatched events.
    [[nodiscard]] float GetProgress();
    /// Queues a click on the pick item of that name, as the player's would be.
    void ClickItem(const char* name);
    /// The item's click is counted, sounded and handled in the next step.
    void QueueClick(TMPickItem* item);
    void StopLevel();
    void NextLevel();
    void ReloadLevel();
    /// Reads cfg\cfg.xml and hands its "root" element to LoadActorConfigs; once, after the board is made.
    void LoadConfig();
    /// Tears the level down and lets go of the actor configurations; waits for a running load first.
    void ReleaseLevel();
    /// Takes the reference (the given one is left empty); released at the next level teardown.
    void DeferRelease(Pyxo::ImagePoolRef* image);
    [[nodiscard]] size_t DeferredReleaseCount() const { return mDeferredReleases.size(); }
    /// The board's path graph of that name (one per name of the graph-name table), or null.
    [[nodiscard]] PathGraph* GetPathGraph(const std::string& name);
    /// The draw order is rebuilt before the next draw (movers call it whenever they move).
    void SetOrderDirty() { mOrderDirty = true; }

    [[nodiscard]] int GetStageCounter() const { return mStageCounter; }
    [[nodiscard]] const std::list<LevelStage>& GetStages() const { return mStages; }
    [[nodiscard]] TMPickItem* GetHoverItem() const { return mHoverItem; }
    [[nodiscard]] size_t QueuedClickCount() const { return mClicked.size(); }

    bool mRunning = false;
    int mPauseCount = 0;
    int mLevel = 0;
    bool mSurvival = false;
    int mMoney = 0;
    float mLevelTime = 0.0f;
    EventQueue mEvents;

protected:
    /// One step of the running level (Update).
    void StepLevel();
    /// Running, not paused, the application active, the board visible and no load under way.
    [[nodiscard]] bool CanStep() const;
    void DrawItems(Pyxo::Graphics* g);
    void UpdateMouseOver(int x, int y);
    void ClickAt(int x, int y);
    void AdvanceStage();
    /// Starts the loaded level; FinishLevelLoad calls it.
    void BeginLevel();
    /// Stops and deletes the level; nothing while no level is loaded (mLevel below 1).
    void TeardownLevel();
    void FlushDeferredReleases();
    /// Survival: the stage records of "stages/stage"; object names that match nothing are skipped, logged.
    void ReadStages(pugi::xml_node level);

    Pyxo::PyxoAppBase* mApp; // borrowed
    std::atomic<bool> mWaitingForLoad = false;
    bool mOrderDirty = false;
    /// Sheets that items let go of while the board may still draw them; emptied at level teardown.
    std::vector<Pyxo::ImagePoolRef> mDeferredReleases;

private:
    struct LoadRequest {
        std::atomic<int> level = 0;
        std::atomic<bool> survival = false;
    };

    /// The loading thread's body: LoadLevel, then the loading-completed flag.
    void RunLoadThread();
    /// Logs why, drops the documents and marks the load abandoned.
    void AbandonLoad(const char* format, ...) __attribute__((format(printf, 2, 3)));
    /// Waits for the loading thread, if there is one, and unregisters it from the process exit.
    void JoinLoadThread();

    bool mLevelOverSeen = false;
    TMCountdown mLevelOverDelay;
    LoadRequest mLoadRequest;
    std::list<LevelStage> mStages; // file order
    int mStageCounter = 0;
    std::list<LevelStage>::iterator mStageCursor = mStages.end();
    bool mStagesPending = false;
    TMPickItem* mHoverItem = nullptr;              // borrowed from gPickItems
    std::deque<TMPickItem*> mClicked;              // borrowed; oldest first
    std::unique_ptr<pugi::xml_document> mLevelDoc; // only while LoadLevel runs
    std::unique_ptr<pugi::xml_document> mSceneDoc;
    int mPreviousGoal = 0;
    std::map<std::string, std::unique_ptr<PathGraph>> mGraphs; // one per name of the graph-name table
    std::unique_ptr<ZOrder> mZOrder;                           // published in gZOrder; made by the constructor
    std::atomic<bool> mLoadingInProgress = false;
    std::atomic<bool> mLoadAbandoned = false;
    std::mutex mLoadThreadLock; // the thread object: FinishLevelLoad, the destructor and the process exit join it
    std::thread mLoadThread;
    int mLoadStopperTicket = 0;
};

/// The one board; set by its constructor, cleared by its destructor.
extern TMBoard_Game* gCurrentBoard;
