#include "game/TMBoard_Help.h"

// Not built yet: the screen's controls and behaviour; it is constructed and loaded by name only.
TMBoard_Help::TMBoard_Help(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "help");
}

TMBoard_Help::~TMBoard_Help() = default;
