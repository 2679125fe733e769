#pragma once

#include "engine/TMDialog.h"

#include <pugixml.hpp>

#include <string>

class TMBoard_Game;
class TMText;

/// The card shown over the game board when a level starts (dialog "briefing_dialog", the board's child
/// "briefingdlg"): picture, intro text, goals and a start button; the level waits while it is open. Main thread.
class TMBoard_Briefing : public TMDialog {
public:
    TMBoard_Briefing(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_Briefing() override;

    void AddChild(const std::string& name, TMCandyWidget* child) override;
    /// Fills the card for the current board's level and pauses the board once.
    void OnShow() override;
    /// Resumes the board, only when this card paused it.
    void OnHide() override;
    void Activate() override;
    void Deactivate() override;
    void OnControl(intptr_t controlId) override;

    [[nodiscard]] const std::string& GetPictureName() const { return mPictureName; }

    TMText* mGoalText = nullptr; // borrowed children
    TMText* mExpertText = nullptr;
    TMText* mSettingsText = nullptr;
    TMCandyWidget* mStartButton = nullptr;

private:
    void Fill(TMBoard_Game& board);

    std::string mPictureName;
    TMBoard_Game* mPausedBoard = nullptr; // the board this card holds one pause of, or null
};
