#pragma once

#include "engine/TMDialog.h"

#include <pugixml.hpp>

/// The shared background and the menu backdrop behind the menu screens. A screen of the game, built from the
/// interface description; created hidden on the resource-loading thread and owned by the widget manager once
/// added. Main thread afterwards.
class TMBoard_Menu : public TMDialog {
public:
    TMBoard_Menu(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_Menu() override;
};
