#include "game/TMBoard_Options.h"

// Not built yet: the screen's controls and behaviour; it is constructed and loaded by name only.
TMBoard_Options::TMBoard_Options(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "options");
}

TMBoard_Options::~TMBoard_Options() = default;
