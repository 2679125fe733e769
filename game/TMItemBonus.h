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

    /// Every part plays "idle", takes the caption "$" and is hidden.
    void Activate(bool on) override;

    /// Kind 0 shows the amount as "$+n" / "$-n" at the target's part "cash"; other kinds show the text at its part
    /// "bonus", placed at the target's part of that name. Nothing for an amount of 0, no target, no free part or no
    /// such part at the target (the caller books the money all the same).
    void ShowAmount(int kind, TMItem* target, int amount, const std::wstring& text);
    /// The caption of a cash amount: "$+5", "$-5".
    [[nodiscard]] static std::wstring CashCaption(int amount);
    /// The first part of that name that is not visible, or null.
    [[nodiscard]] TMItemPart* FirstFreePart(const std::string& name) const;
};

/// gBonusItem when it is a TMItemBonus, else null.
[[nodiscard]] TMItemBonus* GetBonusItem();
