#include "game/TMBoard_Briefing.h"

// Not built yet: the card's texts, the start button and the pause; it is constructed and loaded by name only.
TMBoard_Briefing::TMBoard_Briefing(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "briefing_dialog");
}

TMBoard_Briefing::~TMBoard_Briefing() = default;
