#pragma once

#include "engine/TMCandyWidget.h"
#include "graphics/ImagePoolRef.h"

#include <pugixml.hpp>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace Pyxo {
class PyxoAppBase;
} // namespace Pyxo
class PathGraph;
class TMPickItem;
struct TimePoint;

/// The engine's playing field: the board on which one level runs. It owns the level's step (items, events,
/// clicks, the end of the level after a grace period), drawing the scene back to front, the mouse hit test on pick
/// items, money and survival stages, the counted pause of the game sounds, and level loading on a thread of its
/// own. The game fills its hooks. One board exists at a time and is published in gCurrentBoard. Main thread,
/// except LoadLevel (the level-loading thread).
class TMBoard_Game : public TMCandyWidget {
public:
    explicit TMBoard_Game(Pyxo::PyxoAppBase* app);
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
    /// Loads a level on the level-loading thread.
    virtual void LoadLevel(int level, bool survival);
    /// Main thread: ends the load that the loading thread finished, and begins the level.
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

    /// Starts the level-loading thread for the level.
    void StartLoadThread(int level, bool survival);
    /// The loading thread was started and FinishLevelLoad has not run yet.
    [[nodiscard]] bool IsWaitingForLoad() const { return mWaitingForLoad; }
    /// Counted pause of the level and the sound group "game".
    void Pause();
    void Resume();
    int AddMoney(int amount);
    [[nodiscard]] float GetProgress();
    void ClickItem(const char* name);
    void StopLevel();
    void NextLevel();
    void ReloadLevel();
    /// Reads cfg\cfg.xml and hands its "root" element to LoadActorConfigs; once, after the board is made.
    void LoadConfig();
    void ReleaseLevel();
    /// Takes the reference (the given one is left empty); released at the next level teardown.
    void DeferRelease(Pyxo::ImagePoolRef* image);
    [[nodiscard]] size_t DeferredReleaseCount() const { return mDeferredReleases.size(); }
    /// The board's path graph of that name (one per name of the graph-name table), or null.
    [[nodiscard]] PathGraph* GetPathGraph(const std::string& name);
    /// The draw order is rebuilt before the next draw (movers call it whenever they move).
    void SetOrderDirty() { mOrderDirty = true; }

    bool mRunning = false;
    int mPauseCount = 0;
    int mLevel = 0;
    bool mSurvival = false;
    int mMoney = 0;
    float mLevelTime = 0.0f;

protected:
    Pyxo::PyxoAppBase* mApp; // borrowed
    std::atomic<bool> mWaitingForLoad = false;
    bool mOrderDirty = false;
    /// Sheets that items let go of while the board may still draw them; emptied at level teardown.
    std::vector<Pyxo::ImagePoolRef> mDeferredReleases;
};

/// The one board; set by its constructor, cleared by its destructor.
extern TMBoard_Game* gCurrentBoard;
