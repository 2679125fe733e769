#pragma once

#include "engine/TMCountdown.h"

#include <set>
#include <string>

class TBoard_Hud;

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

private:
    TBoard_Hud* mHud; // borrowed
    std::set<int> mLockedIds;
    std::set<std::string> mLockedNames;
    TMCountdown mDelay;
};
