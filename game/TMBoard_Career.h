#pragma once

#include "engine/TMDialog.h"

#include <pugixml.hpp>

/// The career book: cafes, days, achievements and level results. A screen of the game, built from the
/// interface description; created hidden on the resource-loading thread and owned by the widget manager once
/// added. Main thread afterwards.
class TMBoard_Career : public TMDialog {
public:
    TMBoard_Career(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_Career() override;

    /// A career day ended with the money and the result (0 expert, 1 goal, 2 failed); the game board makes the
    /// book visible and saves the player file afterwards.
    void ShowLevelResult(int money, int result, int level);
};
