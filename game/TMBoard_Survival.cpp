#include "game/TMBoard_Survival.h"

// Not built yet: the screen's controls and behaviour; it is constructed and loaded by name only.
TMBoard_Survival::TMBoard_Survival(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "survival_menu");
}

TMBoard_Survival::~TMBoard_Survival() = default;
