#include "game/TMBoard_MainMenu.h"

// Not built yet: the screen's controls and behaviour; it is constructed and loaded by name only.
TMBoard_MainMenu::TMBoard_MainMenu(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "main_menu");
}

TMBoard_MainMenu::~TMBoard_MainMenu() = default;
