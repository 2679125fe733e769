#include "game/TMBoard_LoadScreen.h"

// Not built yet: the screen's controls and behaviour; it is constructed and loaded by name only.
TMBoard_LoadScreen::TMBoard_LoadScreen(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "load_screen");
}

TMBoard_LoadScreen::~TMBoard_LoadScreen() = default;
