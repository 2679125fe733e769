#pragma once

#include "engine/TMDialog.h"

#include <pugixml.hpp>

#include <array>

class TMButton;

/// The survival screen, a page of the menu book where the player picks one of three cafes for an endless game;
/// the second and third open with the current profile's career progress. A screen of the game, built from the
/// interface description; created hidden on the resource-loading thread and owned by the widget manager once
/// added. Main thread afterwards.
class TMBoard_Survival : public TMDialog {
public:
    static constexpr int kCafeCount = 3;
    /// The furthest career levels that open the second and the third cafe.
    static constexpr int kSecondCafeLevel = 16;
    static constexpr int kThirdCafeLevel = 36;

    TMBoard_Survival(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_Survival() override;

    /// "survival_dlg" is kept with its controls, found on it or on its "right_page" and "left_page".
    void AddChild(const std::string& name, TMCandyWidget* child) override;
    /// Refresh, the sound "briefing_show", and the book turns to the page.
    void OnShow() override;
    void OnControl(intptr_t controlId) override;
    /// Shows the selected cafe and offers the others the profile has opened; a locked selection falls back to
    /// the first cafe.
    void Refresh();

    [[nodiscard]] int GetSelectedCafe() const { return mSelectedCafe; }
    void SetSelectedCafe(int cafe) { mSelectedCafe = cafe; }
    [[nodiscard]] TMCandyWidget* GetDialog() const { return mDialog; }

    TMButton* mCancelButton = nullptr;
    TMButton* mPlayButton = nullptr;
    // One per cafe, cafe n at index n - 1.
    std::array<TMCandyWidget*, kCafeCount> mCafeButtons{};
    std::array<TMCandyWidget*, kCafeCount> mTexts{};
    std::array<TMCandyWidget*, kCafeCount> mHeads{};
    std::array<TMCandyWidget*, kCafeCount> mDescriptions{};
    std::array<TMCandyWidget*, kCafeCount> mPhotos{};
    std::array<TMCandyWidget*, kCafeCount> mSmallPhotos{};

private:
    TMCandyWidget* mDialog = nullptr;
    int mSelectedCafe = 1;
};
