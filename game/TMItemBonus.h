#pragma once

#include "engine/TMItem.h"

#include <string>

class TMItemPart;

/// The level's floating display (level class "item_bonus", the object "bonus" stored in gBonusItem): shows the
/// "$" amounts of payments and the chain bonus texts over actors. Main thread.
class TMItemBonus : public TMItem {
public:
    /// ShowAmount kinds.
    static constexpr int kCash = 0;
    static constexpr int kBonusText = 1;

    TMItemBonus() = default;
    ~TMItemBonus() override = default;

    void Activate(bool on) override;

    /// Kind 0 shows the amount as "$+n" / "$-n" at the target's part "cash"; other kinds show the text at its part
    /// "bonus". Nothing for an amount of 0, no target, or no free part.
    void ShowAmount(int kind, TMItem* target, int amount, const std::wstring& text);
    /// The first part of that name that is not visible, or null.
    [[nodiscard]] TMItemPart* FirstFreePart(const std::string& name) const;
};

/// gBonusItem when it is a TMItemBonus, else null.
[[nodiscard]] TMItemBonus* GetBonusItem();
