#pragma once

#include "engine/TMMoveItem.h"

#include <pugixml.hpp>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

class TMItemPart;
class TMSoundChannel;

/// The tuning of one walking character: a "perses/pers" element of cfg\cfg.xml, keyed by the character's item
/// name.
struct PersConfig {
    float washTime = 0.0f;       // "wash_time": seconds the boss stays at a broken workplace it washes
    float speedBonus = 0.0f;     // "speed_bonus": factor on the move speed with the boss's speed upgrade
    float idleRestartMin = 0.0f; // "idle_rastart_time_min" (spelled so in the file)
    float idleRestartMax = 0.0f; // "idle_rastart_time_max"
    int32_t idleStopFrame = 0;   // "idle_stop_frame"

    /// Reads the keys the element has; a missing key leaves its field as it is.
    void Load(pugi::xml_node node);
};

/// The player's character (level class "boss", stored in gBoss): walks to the objects the player clicks and
/// carries up to two products, one per hand (a mask, "super" or "wash"; empty = free). The first hand is mValue.
/// Main thread.
class TMBoss : public TMMoveItem {
public:
    TMBoss();
    ~TMBoss() override;

    // TMItem and TMMoveItem
    void Activate(bool on) override;
    void OnDelayedEvent(int code) override;
    void ReleaseLevelState() override;
    void Update() override;
    bool Interact(TMItem* by, bool checkOnly, int32_t* extra) override;
    void BindPers() override;
    void UpdateVisual() override;
    [[nodiscard]] float GetMoveSpeed() const override;

    void SetFirstHand(const std::string& product) { mValue = product; }
    void SetSecondHand(const std::string& product) { mSecondHand = product; }
    [[nodiscard]] const std::string& GetFirstHand() const { return mValue; }
    [[nodiscard]] const std::string& GetSecondHand() const { return mSecondHand; }
    [[nodiscard]] const PersConfig* GetPersConfig() const { return mPersConfig; }
    /// 0 standing, 1 walking: the animation of the hands, the orientation and the steps sound.
    void SetMoveState(int state);
    [[nodiscard]] int GetMoveState() const { return mMoveState; }
    [[nodiscard]] TMItemPart* GetHandPart(int i) const { return mHandParts[static_cast<size_t>(i)]; }

protected:
    /// The rules per object kind; true when the boss would act there.
    bool InteractWith(TMItem& object, bool checkOnly);
    bool InteractWithWorker(TMItem& table, bool checkOnly);
    static void ReportChain(bool success, TMItem* object);

    std::string mSecondHand;
    int32_t mMoveState = 0; // 0 standing, 1 walking
    bool mMovingSeen = false;
    /// First-hand tray, first-hand product, second-hand tray, second-hand product; borrowed, null before binding.
    std::array<TMItemPart*, 4> mHandParts{};
    TMItemPart* mBodyPart = nullptr;        // borrowed: the part "boss"
    PersConfig* mPersConfig = nullptr;      // borrowed from the registry
    std::unique_ptr<TMSoundChannel> mSteps; // "boss_steps"; null without a sound device
};

/// The characters by item name.
extern std::map<std::string, PersConfig> gPersConfigs;

/// Reads every "perses/pers" with a "name" under cfg\cfg.xml's root (the first record of a name stays); empties
/// the registry first.
void LoadPersConfig(pugi::xml_node root);
void ClearPersConfig();
/// The record of the character, or null.
[[nodiscard]] PersConfig* FindPersConfig(const std::string& name);
/// The boss's hands after taking a finished product; taken is false when no hand can hold it.
struct HandsAfterTake {
    bool taken = false;
    std::string first;
    std::string second;
};

/// A mask of exactly four slots without two empty ones in a row.
[[nodiscard]] bool IsFullTray(const std::string& mask);
/// The one take rule of the boss and the workers, in order of preference: into a free first hand; merged into the
/// first hand when the masks share no slot and some client wants the merge; into a free second hand; merged with
/// the second hand into a mask some client wants (unless the first hand is a full tray), the former first hand
/// then going to the second.
[[nodiscard]] HandsAfterTake TakeIntoHands(const std::string& first, const std::string& second,
                                           const std::string& product);
/// gBoss when it is a TMBoss, else null.
[[nodiscard]] TMBoss* GetBoss();
