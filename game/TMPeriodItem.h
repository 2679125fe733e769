#pragma once

#include "engine/TMCountdown.h"
#include "engine/TMPickItem.h"

#include <pugixml.hpp>

#include <cstdint>
#include <map>
#include <string>

/// The pause range of one period item: a "period_items/period_item" element of cfg\cfg.xml, keyed by "name".
struct PeriodConfig {
    float timeoutMin = 0.0f; // "timeout_min", seconds
    float timeoutMax = 0.0f; // "timeout_max", seconds

    /// Reads the keys the element has; a missing key leaves its field as it is.
    void Load(pugi::xml_node node);
};

/// A clickable source that becomes available again after a random pause (level class "period_item"); its product
/// is mValue. States: 0 waiting, 1 ready. Main thread, except Load.
class TMPeriodItem : public TMPickItem {
public:
    TMPeriodItem() = default;
    ~TMPeriodItem() override = default;

    void Activate(bool on) override;
    void OnAnimationEnd(TMItemPart* part, const std::string& animation) override;
    void Load(pugi::xml_node node) override;
    void Update() override;
    bool Interact(TMItem* by, bool checkOnly, int32_t* extra) override;

    virtual void SetState(int state);
    [[nodiscard]] int GetState() const { return mState; }
    [[nodiscard]] const TMCountdown& GetPause() const { return mPause; }

protected:
    /// Starts the pause with a random time of the configured range; without a configuration it stays waiting.
    void StartPause();

    int32_t mState = 0;
    TMCountdown mPause;
    PeriodConfig* mConfig = nullptr; // borrowed from the registry
};

/// The period items by name.
extern std::map<std::string, PeriodConfig> gPeriodConfigs;

/// Reads every "period_items/period_item" with a "name" under cfg\cfg.xml's root (the first record of a name
/// stays); empties the registry first.
void LoadPeriodConfig(pugi::xml_node root);
void ClearPeriodConfig();
/// The record of the item, or null.
[[nodiscard]] PeriodConfig* FindPeriodConfig(const std::string& name);
