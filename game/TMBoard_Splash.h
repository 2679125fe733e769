#pragma once

#include "engine/TMDialog.h"

#include <pugixml.hpp>

/// The start-up splash sequence, shown once loading has finished. A screen of the game, built from the
/// interface description; created hidden on the resource-loading thread and owned by the widget manager once
/// added. Main thread afterwards.
class TMBoard_Splash : public TMDialog {
public:
    TMBoard_Splash(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_Splash() override;
};
