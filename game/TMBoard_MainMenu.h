#pragma once

#include "engine/TMDialog.h"
#include "game/TMPref.h"

#include <pugixml.hpp>

#include <string>
#include <vector>

class TMEditWidget;
class TMEngine3;
class TMList;

/// The title screen: profiles, and the book whose pages lead to the other screens. A screen of the game, built from the
/// interface description; created hidden on the resource-loading thread and owned by the widget manager once
/// added. Main thread afterwards. It also turns the book's pages for the screens shown in it: the turn ends with
/// exactly the target screen visible.
class TMBoard_MainMenu : public TMDialog {
public:
    // Screens a page turn ends on.
    static constexpr int kTargetNone = 0;
    static constexpr int kTargetMainMenu = 1;
    static constexpr int kTargetHelp = 2;
    static constexpr int kTargetCareer = 3;
    static constexpr int kTargetSurvival = 4;
    static constexpr int kTargetRecords = 5;
    // The book: one page, a spread of two, and how long a turn lasts.
    static constexpr int kPageWidth = 366;
    static constexpr int kPageHeight = 565;
    static constexpr int kSpreadWidth = 732;
    static constexpr float kTurnSeconds = 0.7f;

    TMBoard_MainMenu(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_MainMenu() override;

    void Update() override;
    /// Enter while the name dialog is open makes the profile; Escape closes the dialog when it may be cancelled.
    void KeyDown(int key) override;
    void OnShow() override;
    void Activate() override;
    void Deactivate() override;
    void AddChild(const std::string& name, TMCandyWidget* child) override;
    void OnControl(intptr_t controlId) override;

    /// Turns to the page (the main spread when null, which also ends on the main menu) and shows the target
    /// screen when the turn ends.
    void TurnPage(TMCandyWidget* page, bool backwards, int target);
    void ShowMainPage();
    void ShowCreateProfile(bool cancelDisabled);
    void RefreshProfiles();
    void OpenProfiles();

    [[nodiscard]] bool IsTurning() const { return mTurning; }
    [[nodiscard]] int GetTargetScreen() const { return mTargetScreen; }
    [[nodiscard]] const std::vector<ProfileRecord>& GetProfiles() const { return mProfiles; }

    // Borrowed controls of the binding table; null when the content lacks them.
    TMCandyWidget* mMainSpread = nullptr;
    TMCandyWidget* mCareerButton = nullptr;
    TMCandyWidget* mSurvivalButton = nullptr;
    TMCandyWidget* mScoresButton = nullptr;
    TMCandyWidget* mSettingsButton = nullptr;
    TMCandyWidget* mHelpButton = nullptr;
    TMCandyWidget* mQuitButton = nullptr;
    TMCandyWidget* mGirlPhoto = nullptr;
    TMCandyWidget* mProfileOpen = nullptr;
    TMCandyWidget* mProfileClose = nullptr;
    TMDialog* mProfileSpread = nullptr;
    TMCandyWidget* mCreateButton = nullptr;
    TMCandyWidget* mSelectButton = nullptr;
    TMCandyWidget* mDeleteButton = nullptr;
    TMList* mList = nullptr;
    TMCandyWidget* mPages = nullptr;
    TMCandyWidget* mGirlFront = nullptr;
    TMCandyWidget* mNameDialog = nullptr;
    TMCandyWidget* mCancelButton = nullptr;
    TMCandyWidget* mNameCreateButton = nullptr;
    TMEditWidget* mNameEdit = nullptr;

private:
    [[nodiscard]] TMEngine3* Game() const;
    /// Makes a profile of the typed name, blanks at either end dropped; false, with the dialog left open, for a
    /// name that is empty then.
    bool CreateProfileStep();
    void EnableProfileButtons();
    /// The turn's frame: page rectangles, the right page's offset and the flip sprite at time t.
    void LayoutTurn(float t);
    void EndTurn();

    std::vector<ProfileRecord> mProfiles;
    bool mTurning = false;
    bool mBackwards = false;
    TMCandyWidget* mTurningPage = nullptr;
    int mTargetScreen = kTargetNone;
    float mTurnTime = 0.0f;
};
