#pragma once

#include "engine/TMDialog.h"

#include <pugixml.hpp>

/// The paged help book. A screen of the game, built from the
/// interface description; created hidden on the resource-loading thread and owned by the widget manager once
/// added. Main thread afterwards.
class TMBoard_Help : public TMDialog {
public:
    TMBoard_Help(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_Help() override;

    /// Every child whose name holds "page_" becomes invisible.
    void HideAllPages();
};
