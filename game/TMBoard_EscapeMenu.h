#pragma once

#include "engine/TMDialog.h"

#include <pugixml.hpp>

class TMButton;

/// The in-game pause menu (dialog "escape_menu"): restart, resume, settings, help and quit. Belongs to the game
/// board, which adds it to the widget manager and opens it with the Escape key. While open it holds one pause of
/// the current game board, however often it is shown or hidden. Main thread.
class TMBoard_EscapeMenu : public TMDialog {
public:
    TMBoard_EscapeMenu(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_EscapeMenu() override;

    /// "escape_dlg" is kept, with the five buttons of its "right_page".
    void AddChild(const std::string& name, TMCandyWidget* child) override;
    void OnControl(intptr_t controlId) override;
    /// Pauses the game board (once), plays "window_open" and takes the focus.
    void OnShow() override;
    /// Gives the focus back to the game board and ends the pause this menu holds.
    void OnHide() override;
    void Activate() override;
    /// Escape hides the menu.
    void KeyUp(int key) override;

    /// The menu's page in the book; null when the element lacks it.
    [[nodiscard]] TMCandyWidget* GetDialog() const { return mDialog; }
    [[nodiscard]] bool HoldsPause() const { return mHoldsPause; }

    TMButton* mRestartButton = nullptr;
    TMButton* mResumeButton = nullptr;
    TMButton* mSettingsButton = nullptr;
    TMButton* mHelpButton = nullptr;
    TMButton* mQuitButton = nullptr;

private:
    TMCandyWidget* mDialog = nullptr;
    bool mHoldsPause = false;
};
