#include "game/TMBoard_Menu.h"

// Not built yet: the screen's controls and behaviour; it is constructed and loaded by name only.
TMBoard_Menu::TMBoard_Menu(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "global_bkg");
    LoadByName(root, "menu_bg");
}

TMBoard_Menu::~TMBoard_Menu() = default;
