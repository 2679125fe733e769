#pragma once

#include "engine/TMBoard_Game.h"
#include "engine/TMCountdown.h"
#include "game/TMBonus.h"

#include <pugixml.hpp>

#include <array>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class TBoard_Hud;
class TMBoard_Briefing;
class TMBoard_EscapeMenu;
class TMBoard_Upgrade;
class TMMiniGame;
class TutorialScript;

/// The cafe's playing field: the board base's hooks filled with the game's rules (career and survival modes,
/// upgrades, the chain bonus, the mini-game, the tutorial, the HUD and the level results). One game board, made by
/// the application's content loading and published in gGameBoard. Main thread, except ReadLevelConfig and
/// ReleaseLevelActors, which the level-loading thread calls while the board does not step.
class TMBoard_Game3 : public TMBoard_Game {
public:
    /// Upgrade kinds of a level or a survival stage.
    static constexpr int kUpgradeNone = 0;
    static constexpr int kUpgradeFunctional = 1;
    static constexpr int kUpgradeVisual = 2;
    /// Achievement counters, cleared at each career level start.
    static constexpr int kAchIce = 0;
    static constexpr int kAchClean = 1;
    static constexpr int kAchHappy = 2;
    static constexpr int kAchBroke = 3;
    static constexpr int kAchCounterCount = 5;
    /// Lives at the start of a survival cafe.
    static constexpr int kSurvivalLives = 3;
    /// The owned flags: the profile's in career, the board's own in survival.
    static constexpr size_t kUpgradeFlagCount = 29;
    /// The most upgrades offered at once.
    static constexpr size_t kMaxOffers = 4;

    /// One entry of the upgrade catalogue of cfg\cfg.xml.
    struct UpgradeEntry {
        std::string name;
        std::string object;
        int type = kUpgradeNone;          // kUpgradeFunctional or kUpgradeVisual
        std::vector<std::string> objects; // visual: the scene objects that change skin
        int flagIndex = -1;               // into the owned flags; fixed when the catalogue is read
        bool workerTarget = false;        // functional upgrade of the worker type named by object
        int minLevel = 0;                 // first and last cafe (1 to 3) in which it is offered and applied
        int maxLevel = 0;
    };

    /// The level bonus parameters: cfg\cfg.xml's "level", for the whole run.
    struct LevelBonusParams {
        int bonusCash = 0;          // "bonus_cash": money per amount of the coin reward
        int bonusCashUpgrade = 0;   // "bonus_cash_upgrade": the same with the upgrade "bonus"/"money"
        float workerStamina = 0.0f; // "bonus_wstamina": tidiness per amount of the clean reward
        float clientStamina = 0.0f; // "bonus_cstamina": patience per amount of the happy reward
        float iceTimeout = 0.0f;    // "bonus_iceagetimeout": seconds per amount of the ice reward
        float speedTimeout = 0.0f;  // "bonus_iceagetimeout" read again: seconds per amount of the speed reward
        float clientPause = 0.0f;   // "client_pause": a standing client's pause before it is seated again
    };

    /// The achievement values of a career level's "achparams".
    struct AchParams {
        int freeze = 5;     // ice rewards needed; 0 = no such achievement
        int clean = 5;      // clean rewards needed
        int candy = 5;      // happy rewards needed
        int noBroke = 1;    // 1 = the no-broke achievement exists
        int bonusCash = 50; // result money per achievement earned
        int bonusSuper = 5; // achievements needed for the super bonus (4 without "achparams")
        int bonusSuperCash = 100;
    };

    /// A survival stage that earns an upgrade when its day is reached.
    struct UpgradeStage {
        int num = 0;
        int kind = kUpgradeNone;
    };

    TMBoard_Game3(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_Game3() override;

    // Pyxo::Widget and TMCandyWidget
    void KeyUp(int key) override;
    void OnShow() override;

    // TMBoard_Game
    bool IsLevelOver() override;
    void StartLevel() override;
    void OnLevelFinished() override;
    void ResetLevel() override;
    void ReadLevelConfig(pugi::xml_node root, pugi::xml_node level) override;
    void ReleaseLevelActors() override;
    void OnObjectClicked(TMPickItem* item) override;
    void UpdateLevel() override;
    void LoadActorConfigs(pugi::xml_node root) override;
    void ClearActorConfigs() override;
    void OnMoneyChanged() override;
    void UpdateDayLabel() override;
    bool TryDispatchEvent(TimePoint* point) override;
    void OnPause() override;
    void OnResume() override;
    void OnLevelLoadFailed() override;

    /// Survival: one life less; the HUD shows what is left (none below 0, which ends the cafe).
    void LoseLife();
    /// The level's result: records (survival) or the career book, then the player file is saved.
    void FinishLevel();
    /// The chain bonus paid the stage (0-based): a mini-game part, scripted while the tutorial has one.
    void OnChainBonus(int stage);
    /// The mini-game's reward of that kind (0 coin, 1 clean, 2 ice, 3 happy, 4 speed) for a run of amount + 2.
    void ApplyMiniGameBonus(int kind, int amount);
    /// Survival: the level number; career: 1 for days 1-15, 2 for 16-35, 3 for 36-59, else 0.
    [[nodiscard]] int GetCafeIndex() const;
    /// Survival: the stage counter; career: the day within the cafe, 0 above 59.
    [[nodiscard]] int GetDayOfLevel() const;

    // Upgrades.
    /// The owned flag of the entry of that object and name (functional first, then visual); false without one.
    [[nodiscard]] bool IsUpgradeOwned(const std::string& object, const std::string& name) const;
    /// Fills out with up to four entries of the level's upgrade kind that are not owned and belong to this cafe,
    /// in catalogue order; returns how many. Survival first takes the oldest pending kind (none left: none).
    int OfferUpgrades(std::vector<UpgradeEntry*>& out);
    /// How many entries OfferUpgrades would give in career, without changing anything.
    [[nodiscard]] int CountCareerOffers() const;
    /// Sets the owned flag and shows it: a functional entry upgrades its bound worker, a visual one re-skins its
    /// objects ("upgrade_skin" or "default_skin") and sends them "on_upgrade" or "on_downgrade".
    void ApplyUpgradeEntry(UpgradeEntry& entry, bool owned);
    /// The owned flag of the entry, in the flags of the current mode.
    [[nodiscard]] bool ResolveUpgradeFlag(const UpgradeEntry& entry) const;
    /// Owned visual entries of this cafe re-skin their objects.
    void ApplyLevelUpgrades();

    // Configuration readers, in the order the board runs them.
    void ReadLevelBonusParams(pugi::xml_node root);
    void ReadUpgradeCatalogue(pugi::xml_node root);
    void ReadSkinParams(pugi::xml_node sceneRoot);
    void ReadGoalParams(pugi::xml_node level);
    void ReadAchParams(pugi::xml_node level);
    /// Survival: the stage list; career: the level's upgrade kind. Then ApplyLevelUpgrades.
    void ReadUpgradeStages(pugi::xml_node level);
    void ReadLevelOverrides(pugi::xml_node level);
    /// Puts back every value the level's overrides replaced, and clears the start values they set.
    void RestoreOverrides();
    /// "func" 1, "vis" 2, anything else 0.
    [[nodiscard]] static int UpgradeKindFromText(const std::string& text);

    // What the actors and screens read.
    [[nodiscard]] TMCountdown& GetIceCountdown() { return mIceCountdown; }
    [[nodiscard]] TMCountdown& GetSpeedCountdown() { return mSpeedCountdown; }
    [[nodiscard]] int GetAchievementCounter(int index) const;
    /// A worker broke down (the no-broke achievement).
    void IncrementBreakdownCounter() { ++mAchCounters[kAchBroke]; }
    [[nodiscard]] const AchParams& GetAchParams() const { return mAchParams; }
    [[nodiscard]] const LevelBonusParams& GetLevelBonus() const { return mLevelBonus; }
    [[nodiscard]] TMBonus& GetChainBonus() { return mChainBonus; }
    [[nodiscard]] TutorialScript* GetTutorial() const { return mTutorial.get(); }
    [[nodiscard]] TBoard_Hud* GetHud() const { return mHud; }
    [[nodiscard]] TMMiniGame* GetMiniGame() const { return mMiniGame; }
    [[nodiscard]] TMBoard_EscapeMenu* GetEscapeMenu() const { return mEscapeMenu; }
    [[nodiscard]] TMBoard_Upgrade* GetUpgradeScreen() const { return mUpgradeScreen; }
    [[nodiscard]] TMBoard_Briefing* GetBriefing() const { return mBriefing; }
    [[nodiscard]] int GetLives() const { return mLives; }
    [[nodiscard]] int GetNormalGoal() const { return mNormalGoal; }
    [[nodiscard]] int GetExpertGoal() const { return mExpertGoal; }
    [[nodiscard]] int GetLevelUpgradeKind() const { return mLevelUpgradeKind; }
    [[nodiscard]] const std::list<int>& GetPendingUpgrades() const { return mPendingUpgrades; }
    [[nodiscard]] const std::vector<UpgradeStage>& GetUpgradeStages() const { return mUpgradeStages; }
    [[nodiscard]] const std::string& GetUpgradeSkin() const { return mUpgradeSkin; }
    [[nodiscard]] const std::string& GetDefaultSkin() const { return mDefaultSkin; }
    [[nodiscard]] std::vector<UpgradeEntry>& GetFunctionalUpgrades() { return mFunctionalUpgrades; }
    [[nodiscard]] std::vector<UpgradeEntry>& GetVisualUpgrades() { return mVisualUpgrades; }
    [[nodiscard]] const std::array<uint8_t, kUpgradeFlagCount>& GetSurvivalFlags() const { return mSurvivalFlags; }
    [[nodiscard]] bool IsGoalSplashShown() const { return mGoalSplashShown; }
    [[nodiscard]] bool IsExpertSplashShown() const { return mExpertSplashShown; }
    /// The result of the last career day that ended (0 expert, 1 goal, 2 failed), -1 before.
    [[nodiscard]] int GetLastResult() const { return mLastResult; }
    /// The place of the last survival score (kNotPlaced when it made no record), -1 before.
    [[nodiscard]] int GetLastPlace() const { return mLastPlace; }

private:
    struct SavedWorker {
        float workTime = 0.0f;
        float tidinessUp = 0.0f;
        float tidinessDown = 0.0f;
    };
    struct SavedClient {
        float patienceSpeed = 0.0f;
        std::array<int32_t, 7> money{}; // money01 g, y, r, money02 g, y, r, losses
    };

    /// The owned flags of the current mode; null in career without a player file.
    [[nodiscard]] uint8_t* OwnedFlags() const;
    /// The entry's flag index, or -1 when it fits no row (logged).
    [[nodiscard]] int FlagIndexFor(const UpgradeEntry& entry) const;
    void ReadCatalogueList(pugi::xml_node list, int type, std::vector<UpgradeEntry>& out);
    /// The achievement step of a reward kind (1 freeze, 2 clean, 3 candy).
    void AwardAchievement(int hudKind, int target, int counterIndex, int amount);
    void SetDayLabel();
    /// Logs a time point the board cannot serve, once per level and reason.
    void LogDroppedEvent(const std::string& reason);
    void PlaySound(const char* name) const;
    /// The level file being played, "cfg\\l%d.xml" or "cfg\\e%d.xml", for messages.
    [[nodiscard]] std::string LevelFileName() const;

    std::array<int, kAchCounterCount> mAchCounters{};
    AchParams mAchParams;
    TMBonus mChainBonus;
    std::unique_ptr<TutorialScript> mTutorial;
    bool mGoalSplashShown = false;
    bool mExpertSplashShown = false;
    int mNormalGoal = 0;
    int mExpertGoal = 0;
    std::string mUpgradeSkin;
    std::string mDefaultSkin;
    TMCountdown mIceCountdown;
    TMCountdown mSpeedCountdown;
    int mLives = kSurvivalLives;
    TMBoard_EscapeMenu* mEscapeMenu = nullptr; // owned by the widget manager
    TBoard_Hud* mHud = nullptr;                // owned by this board (child "hud")
    TMBoard_Upgrade* mUpgradeScreen = nullptr; // owned by this board (child "upgrade")
    TMMiniGame* mMiniGame = nullptr;           // owned by the HUD (child "minigame")
    TMBoard_Briefing* mBriefing = nullptr;     // owned by this board (child "briefingdlg")
    std::vector<UpgradeStage> mUpgradeStages;  // file order
    size_t mUpgradeStageCursor = 0;
    std::list<int> mPendingUpgrades; // oldest first
    std::vector<UpgradeEntry> mFunctionalUpgrades;
    std::vector<UpgradeEntry> mVisualUpgrades;
    std::array<uint8_t, kUpgradeFlagCount> mSurvivalFlags{};
    int mLevelUpgradeKind = kUpgradeNone;
    LevelBonusParams mLevelBonus;
    std::map<std::string, SavedWorker> mSavedWorkers;
    std::map<std::string, SavedClient> mSavedClients;
    std::set<std::string> mStartTidinessSet; // worker types whose start value the level set
    std::set<std::string> mStartPatienceSet; // client types whose start value the level set
    bool mBossSpeedSaved = false;
    float mSavedBossSpeed = 0.0f;
    std::set<std::string> mDroppedEventLogs; // reasons logged in this level
    int mLastResult = -1;
    int mLastPlace = -1;
};

/// The game board; set by its constructor, cleared by its destructor.
extern TMBoard_Game3* gGameBoard;
