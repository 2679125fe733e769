#pragma once

#include "engine/TMDialog.h"
#include "game/TMBoard_Game3.h"

#include <pugixml.hpp>

#include <vector>

/// The upgrade offer between days (dialog "upgrade_menu", the game board's child "upgrade"): one tray per offer
/// of the game board (OfferUpgrades, at most four); selecting a tray previews it in the cafe (ApplyUpgradeEntry),
/// the "upgrade" button accepts the selected one. Closing resumes the board and, in career, runs its result step
/// (FinishLevel). An open screen holds one pause of the board. Main thread.
class TMBoard_Upgrade : public TMDialog {
public:
    TMBoard_Upgrade(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_Upgrade() override;

    void Update() override;
    void OnShow() override;
    void OnHide() override;
    /// Binds "upgrade_dialog" and the "upgrade_tray..." children, then adds the child as usual.
    void AddChild(const std::string& name, TMCandyWidget* child) override;
    /// "upgrade" closes the screen; tray button i selects offer i.
    void OnControl(intptr_t controlId) override;

    /// Previews offer i and shows its picture, description and medal.
    void Select(int index);

    [[nodiscard]] bool IsOpen() const { return mOpen; }
    [[nodiscard]] int GetOfferCount() const { return static_cast<int>(mOffers.size()); }
    [[nodiscard]] int GetSelectedIndex() const { return mSelected; }
    [[nodiscard]] TMBoard_Game3::UpgradeEntry* GetSelectedOffer() const { return mSelectedOffer; }

protected:
    bool mOpen = false;                                // shown and not yet closed
    bool mPaused = false;                              // holds one pause of the board
    bool mCloseAtOnce = false;                         // opened with nothing to offer
    TMCandyWidget* mAccept = nullptr;                  // "upgrade"
    TMCandyWidget* mDescription = nullptr;             // "upgrade_description"
    TMCandyWidget* mPhoto = nullptr;                   // "upgrade_photo"
    TMCandyWidget* mMedal = nullptr;                   // "upgrade_medal"
    TMCandyWidget* mInner = nullptr;                   // "upgrade_dialog"
    std::vector<TMCandyWidget*> mTrays;                // element order
    std::vector<TMCandyWidget*> mTrayButtons;          // their "button" children (null where missing)
    std::vector<TMCandyWidget*> mTraySelects;          // their "select" children (null where missing)
    std::vector<TMBoard_Game3::UpgradeEntry*> mOffers; // borrowed from the board's catalogue
    int mSelected = -1;
    TMBoard_Game3::UpgradeEntry* mSelectedOffer = nullptr;
};
