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
    /// Shows the cafe of the selected day again; with resetDay, selects the cafe's furthest open day.
    void ShowCafe(bool resetDay);
    /// The shown cafe's title and the tabs of the other two.
    void ShowCafeTabs();
    /// The book refills from the current profile when it is next shown (another profile became current).
    void ResetSelectedDay() { mSelectedDay = -1; }
    [[nodiscard]] int GetSelectedDay() const { return mSelectedDay; }

private:
    int mSelectedDay = -1; // 1-based day of the shown cafe; -1 until filled from the profile
};
