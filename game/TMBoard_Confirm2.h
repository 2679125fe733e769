#pragma once

#include "game/ConfirmBox.h"

#include <pugixml.hpp>

#include <cstdint>
#include <string>

/// The shared question box with a yes and a no button, built from the element "dialogbox_2button"; asked through
/// ShowConfirmDialog2. Created hidden by CreateConfirmDialogs and owned by the widget manager once added. Main
/// thread.
class TMBoard_Confirm2 : public ConfirmBox {
public:
    TMBoard_Confirm2(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_Confirm2() override;

    /// Binds "btn_no" as well.
    void AddChild(const std::string& name, TMCandyWidget* child) override;
    /// The no button's label as well.
    void Fill(const std::string& key) override;
    [[nodiscard]] bool HasAnswerButton() const override { return mYesButton || mNoButton; }
    /// The yes button answers 1, any other control 0; the box hides.
    void OnControl(intptr_t controlId) override;

    TMButton* mNoButton = nullptr; // borrowed child; null when the element has none
};
