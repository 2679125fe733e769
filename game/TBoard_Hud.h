#pragma once

#include "engine/TMDialog.h"

#include <pugixml.hpp>

class TMBoard_Game3;

/// The heads-up display over the playing field (dialog "hud", the game board's child "hud"): the clock or the
/// survival upgrade progress, the goal and expert panels and splashes, the lives, the achievement icons, the
/// freeze bar and clean effect, the menu and upgrade buttons and the tutorial hints. It draws nothing itself: it
/// shows, hides, moves and re-textures its named children. Hosts the mini-game as its child "minigame". Main thread.
class TBoard_Hud : public TMDialog {
public:
    /// The x of the first achievement row.
    static constexpr int kFirstAchievementPos = 40;

    TBoard_Hud(TMBoard_Game3* board, Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TBoard_Hud() override;

    void SetMode(bool survival);
    void Reset();
    void ShowGoalSplash();
    void ShowExpertSplash();
    /// 0 to 3.
    void SetLives(int lives);
    void ShowUpgradeButton(bool show);
    void ShowCleanEffect();
    void ShowFreezeBar(float seconds);
    void ShowTutorialHint(int id, bool show);
    [[nodiscard]] bool IsTutorialHintVisible(int id) const;
    /// The tutorial's background panel "tutor_bg".
    void ShowTutorialPanel(bool show);

    // Achievement icons: kinds 1 freeze, 2 clean, 3 candy, 4 no-broke; levels 1 to 5 for kinds 1 to 3.
    void ShowAchievementIcon(int kind, bool show);
    void HideAchievementLevels(int kind);
    /// Moves the kind's icon and its five level icons to (x, 0).
    void MoveAchievementRow(int kind, int x);
    void ShowAchievementLevel(int kind, int level);
    [[nodiscard]] int GetAchievementPos() const { return mAchievementPos; }
    void SetAchievementPos(int x) { mAchievementPos = x; }

    [[nodiscard]] int GetShownLives() const { return mShownLives; }

protected:
    TMBoard_Game3* mBoard; // borrowed
    bool mSurvival = false;
    int mShownLives = 0;
    int mAchievementPos = kFirstAchievementPos;
};
