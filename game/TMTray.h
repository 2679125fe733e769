#pragma once

#include "engine/TMPickItem.h"

#include <cstdint>
#include <string>

/// A clickable product source (level class "tray"): its product, read from the level's "thing", is mValue.
/// Main thread, except Load (the level-loading thread).
class TMTray : public TMPickItem {
public:
    TMTray() = default;
    ~TMTray() override = default;

    void Activate(bool on) override;
    void OnAnimationEnd(TMItemPart* part, const std::string& animation) override;
    void Load(pugi::xml_node node) override;
    bool Interact(TMItem* by, bool checkOnly, int32_t* extra) override;

protected:
    bool mPlaying = false; // "activation" plays
};
