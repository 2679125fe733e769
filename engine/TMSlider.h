#pragma once

#include "engine/TMCandyWidget.h"

#include <pugixml.hpp>

#include <string>

namespace Pyxo {
class PyxoAppBase;
}
class TMBar;
class TMText;

/// A value from 0 to a maximum ("tmslider"), set by a press inside a mouse zone: a press in the dead zone at
/// either end gives 0 or the maximum, elsewhere the value in proportion to the press along the zone. It shows the
/// value with its children "back", "bar" and "thumb", which let the mouse through to it. It reports nothing: its
/// screen reads GetValue. Main thread.
class TMSlider : public TMCandyWidget {
public:
    explicit TMSlider(TMCandyWidget* parent) : TMCandyWidget(parent) {}

    /// Clamps the value and places the thumb on its track, while really visible.
    void Update() override;
    void MouseDown(int x, int y, int button, int clickCount) override;
    void OnShow() override {}
    void OnHide() override {}
    /// "back", "bar" and "thumb" are also kept as the slider's parts; every child lets the mouse through.
    void AddChild(const std::string& name, TMCandyWidget* child) override;
    virtual void Load(pugi::xml_node node, Pyxo::PyxoAppBase* app);
    virtual void SetMax(int maximum);
    virtual void SetValue(int value);
    [[nodiscard]] virtual int GetValue() const { return mValue; }

    [[nodiscard]] int GetMax() const { return mMaximum; }
    [[nodiscard]] TMBar* GetBar() const { return mBar; }
    [[nodiscard]] TMText* GetThumb() const { return mThumb; }
    [[nodiscard]] TMText* GetBack() const { return mBack; }

private:
    int mMaximum = 0;
    int mValue = 0;
    TMBar* mBar = nullptr;    // borrowed: a child
    TMText* mThumb = nullptr; // borrowed: a child
    TMText* mBack = nullptr;  // borrowed: a child
    int mZoneX = 0;
    int mZoneY = 0;
    int mZoneWidth = 0;
    int mZoneHeight = 0;
    int mDeadZoneLeft = 0;  // a press left of it gives 0
    int mDeadZoneRight = 0; // a press within it of the right edge gives the maximum
    int mMargin = 0;        // the thumb's x as loaded: the track runs from it to width - it
};
