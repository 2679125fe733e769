#pragma once

#include "engine/TMDialog.h"

#include <pugixml.hpp>

/// The upgrade offer between days (dialog "upgrade_menu", the game board's child "upgrade"): one tray per offer
/// of the game board (OfferUpgrades, at most four); selecting a tray previews it in the cafe (ApplyUpgradeEntry),
/// the "upgrade" button accepts the selected one. Closing resumes the board and, in career, runs its result step
/// (FinishLevel). Main thread.
class TMBoard_Upgrade : public TMDialog {
public:
    TMBoard_Upgrade(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_Upgrade() override;

    void Update() override;
    void OnShow() override;
    void OnHide() override;

protected:
    bool mOpen = false; // shown and not yet closed
};
