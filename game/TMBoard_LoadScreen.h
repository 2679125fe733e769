#pragma once

#include "engine/TMDialog.h"

#include <pugixml.hpp>

/// The load screen, shown while a level loads. A screen of the game, built from the
/// interface description; created hidden on the resource-loading thread and owned by the widget manager once
/// added. Main thread afterwards.
class TMBoard_LoadScreen : public TMDialog {
public:
    TMBoard_LoadScreen(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_LoadScreen() override;
};
