#pragma once

#include "engine/TMDialog.h"

#include <pugixml.hpp>

/// The title screen: profiles, and the book whose pages lead to the other screens. A screen of the game, built from the
/// interface description; created hidden on the resource-loading thread and owned by the widget manager once
/// added. Main thread afterwards.
class TMBoard_MainMenu : public TMDialog {
public:
    TMBoard_MainMenu(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_MainMenu() override;
};
