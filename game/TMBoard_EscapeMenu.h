#pragma once

#include "engine/TMDialog.h"

#include <pugixml.hpp>

/// The in-game pause menu (dialog "escape_menu"): restart, resume, settings, help and quit. Belongs to the game
/// board, which adds it to the widget manager and opens it with the Escape key. Main thread.
class TMBoard_EscapeMenu : public TMDialog {
public:
    TMBoard_EscapeMenu(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_EscapeMenu() override;
};
