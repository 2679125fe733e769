#include "game/TMBoard_Menu.h"

TMBoard_Menu::TMBoard_Menu(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "global_bkg");
    LoadByName(root, "menu_bg");
}

TMBoard_Menu::~TMBoard_Menu() = default;
