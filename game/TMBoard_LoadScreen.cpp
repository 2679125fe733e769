#include "game/TMBoard_LoadScreen.h"

TMBoard_LoadScreen::TMBoard_LoadScreen(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "load_screen");
}

TMBoard_LoadScreen::~TMBoard_LoadScreen() = default;
