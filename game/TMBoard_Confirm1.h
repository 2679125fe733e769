#pragma once

#include "game/ConfirmBox.h"

#include <pugixml.hpp>

#include <cstdint>

/// The shared notice box with one button, built from the element "dialogbox_1button"; asked through
/// ShowConfirmDialog1. Created hidden by CreateConfirmDialogs and owned by the widget manager once added. Main
/// thread.
class TMBoard_Confirm1 : public ConfirmBox {
public:
    TMBoard_Confirm1(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_Confirm1() override;

    /// Any control answers 1; the box hides.
    void OnControl(intptr_t controlId) override;
};
