#pragma once

#include "engine/TMDialog.h"

#include <pugixml.hpp>

/// The settings dialog: effects and music volume, mute and full screen. A screen of the game, built from the
/// interface description; created hidden on the resource-loading thread and owned by the widget manager once
/// added. Main thread afterwards.
class TMBoard_Options : public TMDialog {
public:
    TMBoard_Options(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_Options() override;
};
