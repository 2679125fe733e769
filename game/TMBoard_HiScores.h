#pragma once

#include "engine/TMDialog.h"

#include <pugixml.hpp>

/// The record tables of the player file. A screen of the game, built from the
/// interface description; created hidden on the resource-loading thread and owned by the widget manager once
/// added. Main thread afterwards.
class TMBoard_HiScores : public TMDialog {
public:
    TMBoard_HiScores(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_HiScores() override;
};
