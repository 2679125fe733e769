#pragma once

#include "engine/TMCountdown.h"
#include "engine/TMDialog.h"
#include "engine/TextureHandle.h"

#include <pugixml.hpp>

#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

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

    // Pyxo::Widget and TMDialog
    void Update() override;
    void OnShow() override;
    void Activate() override;
    void Deactivate() override;
    /// Binds the named children it knows, then adds the child as usual.
    void AddChild(const std::string& name, TMCandyWidget* child) override;
    /// "menu_btn" opens the board's escape menu, "upgrade_btn" the upgrade screen.
    void OnControl(intptr_t controlId) override;

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
    [[nodiscard]] int GetLastFrame() const { return mLastFrame; }
    [[nodiscard]] size_t GetClockFrameCount() const { return mClockFrames.size(); }
    [[nodiscard]] size_t GetUpgradeFrameCount() const { return mUpgradeFrames.size(); }

protected:
    /// The bound children; null where the description lacks one (logged once, every use skipped).
    struct Bound {
        // "right_part"
        TMCandyWidget* rightPart = nullptr;
        TMCandyWidget* goalBkg = nullptr;
        TMCandyWidget* expertBkg = nullptr;
        TMCandyWidget* goalValue = nullptr;
        TMCandyWidget* expertValue = nullptr;
        TMCandyWidget* goalText = nullptr;
        TMCandyWidget* expertText = nullptr;
        TMCandyWidget* moneyGoalValue = nullptr;
        TMCandyWidget* moneyExpertValue = nullptr;
        TMCandyWidget* moneyGoalGhost = nullptr;
        TMCandyWidget* moneyExpertGhost = nullptr;
        TMCandyWidget* menuButton = nullptr;
        // "left_part"
        TMCandyWidget* leftPart = nullptr;
        TMCandyWidget* clock = nullptr;
        TMCandyWidget* alarm = nullptr;
        TMCandyWidget* closed = nullptr;
        // "achievments"
        TMCandyWidget* achievements = nullptr;
        std::array<TMCandyWidget*, 4> achIcons{};                 // kinds 1 to 4
        std::array<std::array<TMCandyWidget*, 5>, 3> achLevels{}; // kinds 1 to 3, levels 1 to 5
        // "left_survival_part"
        TMCandyWidget* leftSurvivalPart = nullptr;
        TMCandyWidget* upgradeClock = nullptr;
        TMCandyWidget* upgradeBack = nullptr;
        TMCandyWidget* upgradeButton = nullptr;
        TMCandyWidget* goalSplash = nullptr;
        TMCandyWidget* expertSplash = nullptr;
        TMCandyWidget* survivalLife = nullptr;
        std::array<TMCandyWidget*, 4> lives{};
        TMCandyWidget* globalClean = nullptr;
        TMCandyWidget* globalCleaning = nullptr;
        TMCandyWidget* freeze = nullptr;
        std::array<TMCandyWidget*, 3> freezeSteps{};
        TMCandyWidget* tutorBg = nullptr;
    };

    /// The child of that name, or null (logged once by the binding's name).
    TMCandyWidget* BindChild(TMCandyWidget* parent, const std::string& parentName, const std::string& name);
    void LogMissing(const std::string& name);
    /// Reads the frames of the format (with one number) until a name is not in the texture table.
    static std::vector<TextureHandle> LoadFrames(const char* format);
    /// Hides the alarm only while it is shown: every Hide restarts its "onhide".
    void HideAlarm();
    void PlaySound(const char* name) const;

    TMBoard_Game3* mBoard; // borrowed
    bool mSurvival = false;
    int mShownLives = 0;
    Bound mBound;
    bool mAlarmArmed = false;
    std::vector<TextureHandle> mClockFrames;
    std::vector<TextureHandle> mUpgradeFrames;
    std::vector<TextureHandle>* mAcquiredFrames = nullptr; // the list Activate acquired
    int mLastFrame = -1;
    TMCountdown mFreezeCountdown;
    std::map<int, TMCandyWidget*> mHints; // borrowed, by hint id
    int mAchievementPos = kFirstAchievementPos;
    std::set<std::string> mLoggedMissing;
    bool mNoFramesLogged = false;
};
