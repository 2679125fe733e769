#pragma once

#include "engine/TMDialog.h"

#include <pugixml.hpp>

class TMBoard_Game3;

/// The tray of bonus parts in the HUD (dialog "minigame", the HUD's child "minigame"): chain-bonus payouts add
/// parts of five kinds (0 coin, 1 clean, 2 ice, 3 happy, 4 speed); three or more alike in a row pay the game
/// board's ApplyMiniGameBonus. Main thread, except LoadParts (the level-loading thread).
class TMMiniGame : public TMDialog {
public:
    /// The most parts the tray holds.
    static constexpr int kMaxParts = 16;

    TMMiniGame(TMBoard_Game3* board, Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMMiniGame() override;

    /// Reads the level element's "partparams" (weights per stage and kind, the slide speed), then Clear.
    virtual void LoadParts(pugi::xml_node level);
    void AddPart(int kind, bool enabled, bool atFront);
    /// A part drawn by the weights of the chain-bonus stage; nothing without weights.
    void AddRandomPart(int stage);
    /// Enables the part at the 0-based tray position.
    void EnablePartAt(int position);
    /// Removes every part and forgets the pushed-out kinds.
    void Clear();
    [[nodiscard]] int GetPartCount() const;

protected:
    TMBoard_Game3* mBoard; // borrowed
};
