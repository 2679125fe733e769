#include "game/TMBoard_EscapeMenu.h"

// Not built yet: the menu's controls and the pause; it is constructed and loaded by name only.
TMBoard_EscapeMenu::TMBoard_EscapeMenu(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "escape_menu");
}

TMBoard_EscapeMenu::~TMBoard_EscapeMenu() = default;
