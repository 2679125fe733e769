#pragma once

#include "engine/TMDialog.h"

#include <pugixml.hpp>

/// The card shown over the game board when a level starts (dialog "briefing_dialog", the board's child
/// "briefingdlg"): picture, intro text, goals and a start button; the level waits while it is open. Main thread.
class TMBoard_Briefing : public TMDialog {
public:
    TMBoard_Briefing(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_Briefing() override;
};
