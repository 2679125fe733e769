#pragma once

#include "engine/TMCountdown.h"
#include "engine/TMItem.h"
#include "game/TIStatSrc.h"

#include <pugixml.hpp>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

class TMItemPart;
class TMSoundChannel;
class TMWorker;

/// The tuning of one worker type: a "workers/worker" element of cfg\cfg.xml, keyed by "name" (the worker item's
/// skin). A level may override the work time, the tidiness rates and the start tidiness for one level (the game
/// board remembers and restores them).
struct WorkerConfig {
    float workTime = 0.0f;            // "work_time": seconds of one run
    float tidinessUp = 0.0f;          // "tidiness_up": regained per second
    float tidinessDown = 0.0f;        // "tidiness_down": lost per second of work
    int32_t breakFrame = 0;           // "direct_character_break_frame"
    float breakTime = 0.0f;           // "direct_character_break_time": kept, unused
    float upgradeTidinessDown = 0.0f; // "upgrade_tidiness_down": soiling factor with the "tidiness" upgrade
    float upgradeWorkSpeed = 0.0f;    // "upgrade_work_speed": work time factor with the "speed" upgrade
    bool hasStartTidiness = false;    // set by a level override
    float startTidiness = 100.0f;     // level override "worker_start_stamina"
    float idleRestartMin = 0.0f;      // "idle_rastart_time_min" (spelled so in the file)
    float idleRestartMax = 0.0f;      // "idle_rastart_time_max"
    int32_t idleStopFrame = 0;        // "idle_stop_frame"
    std::string workSound;            // "snd_worker_begin"
    std::string product;              // "product": the mask this worker makes
    std::string productType;          // "product_type": the bubble's name of the finished product
    int32_t sequence = 0;             // 1 for the first record read, 2 for the next, ...: the worker number
    TMWorker* boundWorker = nullptr;  // borrowed: the worker that last bound this record

    /// Reads the keys the element has; a missing key leaves its field as it is.
    void Load(pugi::xml_node node);
};

/// The game-wide worker values: attributes of the "workers" element.
struct WorkerTuning {
    float tidinessGLevel = 0.0f; // "tidiness_g_level"
    float tidinessYLevel = 0.0f; // "tidiness_y_level"
    float tidinessRLevel = 0.0f; // "tidiness_r_level"
    float cleanserEffect = 0.0f; // "cleanser_effect": kept, unused
    float brushEffect = 0.0f;    // "brush_effect": kept, unused
    float alphaBlendTime = 0.0f; // "worker_alpha_blend_time": kept, unused
};

/// A cook or machine at the table of the same number (level class "worker"): the boss starts it, it works for its
/// work time and leaves a finished product (mValue, the table content) until the boss takes it; its workplace gets
/// dirty while it works and it breaks down at zero tidiness. States: 0 idle, 1 broken, 2 finished, 3 working.
/// Main thread.
class TMWorker : public TMItem, public TIStatSrc {
public:
    TMWorker();
    ~TMWorker() override;

    // TMItem
    void Activate(bool on) override;
    void OnAnimationEnd(TMItemPart* part, const std::string& animation) override;
    [[nodiscard]] bool IsBusy() const override { return mState == 1 || mState == 3; }
    void SetMouseOver(Pyxo::Point point, bool over) override;
    void LoadLevelState(pugi::xml_node node) override;
    void ReleaseLevelState() override;
    void Load(pugi::xml_node node) override;
    void Unload() override;
    void Update() override;
    bool Interact(TMItem* by, bool checkOnly, int32_t* extra) override;

    // TMIUpgrade: the owned "speed" and "tidiness" upgrades of the worker's type.
    bool ApplyUpgrade(const std::string& skin) override;

    // TIStatSrc
    bool GetStatValue(float& value) override;
    bool GetStatAnimName(std::string& name) override;
    bool GetStatIconName(std::string& name) override;
    bool GetStatText(std::string& text) override;
    [[nodiscard]] bool IsStatActive() override { return mState != 0; }
    [[nodiscard]] bool IsStatBusy() override { return IsBusy(); }

    virtual void SetState(int state);
    /// Adds tidiness under the ice reward's and the tutorial's rules; returns the new tidiness.
    float AddTidiness(float delta);
    /// While working: the remaining share of the run (1 falling to 0); -1 otherwise.
    [[nodiscard]] float GetWorkProgress() const;
    /// The game board's ice reward runs.
    [[nodiscard]] bool IsFrozen() const;
    /// Seconds of one run: the configured work time, shortened by the owned "speed" upgrade.
    [[nodiscard]] float GetWorkTime() const;
    /// Shows the "cleaning" part's effect; a broken worker goes back to work (its frozen run goes on).
    void PlayCleaning();

    [[nodiscard]] int GetState() const { return mState; }
    [[nodiscard]] float GetTidiness() const { return mTidiness; }
    [[nodiscard]] const WorkerConfig* GetConfig() const { return mConfig; }

protected:
    int32_t mState = 0;
    WorkerConfig* mConfig = nullptr; // borrowed from the registry
    float mTidiness = 100.0f;
    TMCountdown mWorkCountdown;
    TMItem* mTable = nullptr; // borrowed from gItems
    bool mTidinessUpgrade = false;
    bool mSpeedUpgrade = false;
    bool mGreetingEnded = false;
    /// The table's soiling parts: table, floor, front (may be missing); borrowed.
    std::array<TMItemPart*, 3> mSoilParts{};
    TMItemPart* mCleaningPart = nullptr;        // borrowed: the table's "cleaning"
    std::array<TMItemPart*, 2> mUpgradeParts{}; // borrowed: "worker_upgrade_1" (speed), "_2" (tidiness)
    std::unique_ptr<TMSoundChannel> mWorkSound; // the configured "snd_worker_begin"; null without a device

private:
    void ApplySoiling();
};

/// The workers of the loaded level by item name; borrowed.
extern std::map<std::string, TMWorker*> gWorkersByName;
/// The worker types by name.
extern std::map<std::string, WorkerConfig> gWorkerConfigs;
extern WorkerTuning gWorkerTuning;

/// Reads the "workers" element of cfg\cfg.xml's root: the tuning values, then one record per "worker" child with
/// a "name" (the first record of a name stays), numbered from 1 in file order. Empties the registry first.
void LoadWorkersConfig(pugi::xml_node root);
void ClearWorkersConfig();
/// The record of the type, or null.
[[nodiscard]] WorkerConfig* FindWorkerConfig(const std::string& name);
/// The worker of that item name in the loaded level, or null.
[[nodiscard]] TMWorker* FindWorker(const std::string& name);
/// Forgets which worker bound each record (a level's actors are about to be made or were released).
void ClearWorkerBindings();
/// Mode 1: every present worker gains the amount of tidiness and is cleaned; other modes do nothing.
void CleanAllWorkers(int mode, float amount);
