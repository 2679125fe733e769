#pragma once

#include "engine/TMDialog.h"

/// A dialog of the interface description (type "tmtutorial") that can hide itself when clicked: with
/// "clickhide" set, a mouse release anywhere on it hides it (through its effect's "onhide" when it has one).
class TMTutorialDialog : public TMDialog {
public:
    TMTutorialDialog(TMCandyWidget* parent, Pyxo::PyxoAppBase* app) : TMDialog(parent, app) {}

    void MouseUpXY(int x, int y) override;
    /// The dialog element, then "clickhide" (false when missing).
    void Load(pugi::xml_node node) override;

    [[nodiscard]] bool GetClickHide() const { return mClickHide; }
    void SetClickHide(bool clickHide) { mClickHide = clickHide; }

private:
    bool mClickHide = false;
};
