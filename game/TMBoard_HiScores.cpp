#include "game/TMBoard_HiScores.h"

// Not built yet: the screen's controls and behaviour; it is constructed and loaded by name only.
TMBoard_HiScores::TMBoard_HiScores(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "hiscores");
}

TMBoard_HiScores::~TMBoard_HiScores() = default;
