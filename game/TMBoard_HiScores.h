#pragma once

#include "engine/TMDialog.h"

#include <pugixml.hpp>

#include <array>

class TMButton;
class TMText;

/// The record tables of the player file, a spread of the menu book: the survival table on the right page, the
/// career table on the left, the current profile's rows standing out. A screen of the game, built from the
/// interface description; created hidden on the resource-loading thread and owned by the widget manager once
/// added. Main thread afterwards.
class TMBoard_HiScores : public TMDialog {
public:
    static constexpr int kRows = 10;

    TMBoard_HiScores(Pyxo::PyxoAppBase* app, pugi::xml_node root);
    ~TMBoard_HiScores() override;

    /// "close", and "hiscores_dlg" with the rows of its "right_page" and "left_page".
    void AddChild(const std::string& name, TMCandyWidget* child) override;
    /// Fills both tables, the book turns to the spread, the focus comes here and "window_open" plays.
    void OnShow() override;
    void OnControl(intptr_t controlId) override;

    [[nodiscard]] TMCandyWidget* GetDialog() const { return mDialog; }

    TMButton* mCloseButton = nullptr;
    /// [0]: the career table (left page), [1]: the survival table (right page); row n at index n.
    std::array<std::array<TMText*, kRows>, 2> mNames{};
    std::array<std::array<TMText*, kRows>, 2> mScores{};

private:
    TMCandyWidget* mDialog = nullptr;
};
