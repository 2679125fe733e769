#include "game/TMBoard_Splash.h"

// Not built yet: the screen's controls and behaviour; it is constructed and loaded by name only.
TMBoard_Splash::TMBoard_Splash(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "splash");
}

TMBoard_Splash::~TMBoard_Splash() = default;
