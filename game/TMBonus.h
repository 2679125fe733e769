#pragma once

#include <pugixml.hpp>

#include <optional>
#include <string>
#include <vector>

class TMItem;

/// One payout stage of the chain bonus.
struct BonusStage {
    int index = 0;  // 0-based position in the file
    int action = 0; // the chain counter at which the stage becomes current
    int bonus = 0;  // the value of the floating display; 0 = none
    std::wstring text;
};

/// The chain bonus: successful player actions in a row, each within the rush timeout of the previous, raise a
/// counter; configured stages pay out (a floating text and a mini-game part through the game board's
/// OnChainBonus). Held by value by the game board, loaded once from cfg\cfg.xml's "bonus_config". Main thread.
class TMBonus {
public:
    TMBonus() = default;

    /// Reads "bonus_config" under cfg\cfg.xml's root; current stage none.
    void Load(pugi::xml_node root);
    /// Kind 0 (failure, reset) breaks the chain; kind 1 (success) counts and pays the current stage.
    void OnAction(int kind, TMItem* object);
    /// Per frame: the chain breaks after the rush timeout.
    void Update();
    void ApplyStage(TMItem* object);

    [[nodiscard]] int GetCounter() const { return mCounter; }
    [[nodiscard]] const std::vector<BonusStage>& GetStages() const { return mStages; }
    [[nodiscard]] float GetRushTimeout() const { return mRushTimeout; }
    /// The stage a success pays now, or null.
    [[nodiscard]] const BonusStage* GetCurrentStage() const { return mCurrent ? &mStages[*mCurrent] : nullptr; }

    /// Taken when "rush_timeout" is missing or not positive.
    static constexpr float kDefaultRushTimeout = 3.0f;

private:
    std::vector<BonusStage> mStages; // file order
    std::optional<size_t> mCurrent;
    int mCounter = 0;
    float mElapsed = 0.0f;
    float mRushTimeout = kDefaultRushTimeout;
};
