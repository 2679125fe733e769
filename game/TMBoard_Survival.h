#pragma once

#include "engine/TMDialog.h"

#include <pugixml.hpp>

/// The survival screen, where the player picks a cafe for an endless game. A screen of the game, built from the
/// interface description; created hidden on the resource-loading thread and owned by the widget manager once
/// added. Main thread afterwards.
class TMBoard_Survival : public TMDialog {
public:
    TMBoard_Survival(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_Survival() override;
};
