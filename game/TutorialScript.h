#pragma once

#include "engine/TMCountdown.h"

#include <array>
#include <set>
#include <string>

class TBoard_Hud;
class TMMiniGame;

/// One step of a tutorial script: what it waits for, how long the next delay-driven step waits after it, and
/// what it does (hints, locks, a click for the player, mini-game parts, the hint panel).
struct TutorialStep {
    int trigger = 0;                           // event id that runs the step; 0 = the previous step's delay passed
    float delay = 0.0f;                        // seconds before a trigger-0 step may follow
    int showHint = 0;                          // HUD hint id; 0 = none
    int hideHint = 0;                          // HUD hint id; 0 = none
    std::array<int, 4> lockIds{};              // up to the first 0
    std::array<int, 4> unlockIds{};            // up to the first 0
    std::array<const char*, 16> lockNames{};   // up to the first null
    std::array<const char*, 16> unlockNames{}; // up to the first null
    const char* click = nullptr;               // pick item clicked for the player; null = none
    int addParts = 0;                          // scripted mini-game parts added now
    bool panel = false;                        // the HUD's "tutor_bg" panel shown or hidden
    int enable = 0;                            // 0-based tray position of the part to enable; 0 = none
};

/// A level's script: its steps and the mini-game parts it deals out in order.
struct TutorialScriptRow {
    int level = 0;
    const TutorialStep* steps = nullptr;
    int stepCount = 0;
    const int* partKinds = nullptr;
    const bool* partEnabled = nullptr;
    int partCount = 0;
};

/// The compiled-in tutorial of the first career day: steps that show and hide the HUD's hints, lock and unlock
/// rules and objects, click for the player and feed the mini-game, each waiting for a game event or a delay.
/// Owned by the game board; started at every career level start. Without a running script every id and name is
/// allowed. Main thread.
class TutorialScript {
public:
    explicit TutorialScript(TBoard_Hud* hud);
    ~TutorialScript();
    TutorialScript(const TutorialScript&) = delete;
    TutorialScript& operator=(const TutorialScript&) = delete;

    /// Clears the running state and the locks; runs the script of that level when there is one.
    void Start(int level);
    /// Event ids: 0 delay passed, 1 client seated, 2 allowed click, 3 client paid, 4 client ready, 5 tray used,
    /// 6 mini-game reward, 7 worker started, 8 worker finished.
    void OnEvent(int id);
    void Update();
    /// Stops the script and forgets the locks.
    void Clear();
    /// Ids: 1 patience drops, 2 idle tidiness drops, 3 work wear, 4 work timer, 5 client events, 6 chain parts.
    [[nodiscard]] bool IsIdAllowed(int id) const;
    [[nodiscard]] bool IsNameAllowed(const std::string& name) const;
    /// The next scripted mini-game part's kind and enabled flag; -1 when none is left or no script runs.
    int NextScriptedPart(bool& enabled);
    [[nodiscard]] bool IsRunning() const;
    /// The index of the step that runs next (0 when none runs).
    [[nodiscard]] int GetStepIndex() const { return mStepIndex; }

    /// The table of scripts, one row per level that has one.
    [[nodiscard]] static const TutorialScriptRow* FindRow(int level);

private:
    void ApplyStep(const TutorialStep& step);
    [[nodiscard]] TMMiniGame* MiniGame() const;

    TBoard_Hud* mHud;                     // borrowed
    const TutorialStep* mSteps = nullptr; // the running script's steps; null = none runs
    int mStepCount = 0;
    int mStepIndex = 0;
    const int* mPartKinds = nullptr;
    const bool* mPartEnabled = nullptr;
    int mNextPart = 0;
    int mPartCount = 0;
    int mLastShownHint = 0; // the hint the last applied step showed; 0 = none
    TMCountdown mDelay;
    std::set<int> mLockedIds;
    std::set<std::string> mLockedNames;
};

/// The game board's tutorial allows the id; without a board or a tutorial everything is allowed.
[[nodiscard]] bool TutorialAllows(int id);
/// Sends the event to the game board's tutorial, when there is one.
void TutorialEvent(int id);
