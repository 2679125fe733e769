#pragma once

#include "engine/TMPickItem.h"

#include <cstdint>
#include <string>

/// The bin into which the boss throws products (level class "trash_bin"). Main thread, except Load.
class TMTrash : public TMPickItem {
public:
    TMTrash() = default;
    ~TMTrash() override = default;

    void Activate(bool on) override;
    void OnAnimationEnd(TMItemPart* part, const std::string& animation) override;
    bool Interact(TMItem* by, bool checkOnly, int32_t* extra) override;

protected:
    bool mPlaying = false; // "activation" plays
};
