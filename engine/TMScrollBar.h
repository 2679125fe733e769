#pragma once

#include "engine/TMCandyWidget.h"
#include "shell/ButtonListener.h"

#include <pugixml.hpp>

namespace Pyxo {
class PyxoAppBase;
}
class TMButton;

/// A vertical scroll bar ("tmscroll"): its buttons "up" and "down" step a position between 0 and a maximum, and its
/// "slider" button is placed along a straight track in proportion to the position. It listens to its own buttons
/// and draws nothing itself; the buttons are its children. Main thread.
class TMScrollBar : public TMCandyWidget, public Pyxo::ButtonListener {
public:
    static constexpr intptr_t kUpId = 1;
    static constexpr intptr_t kDownId = 2;
    static constexpr intptr_t kSliderId = 3;

    explicit TMScrollBar(TMCandyWidget* parent) : TMCandyWidget(parent) {}
    ~TMScrollBar() override;

    /// Clamps the position and places the slider on the track.
    void Update() override;
    void Draw(Pyxo::Graphics* g) override;
    /// Disables the arrows and hides the slider; the bar itself keeps its state.
    void SetDisabled(bool disabled) override;
    void OnShow() override {}
    void OnHide() override {}
    void Activate() override {}
    void Deactivate() override {}
    /// The common attributes, the track ends and the buttons described under "up", "down" and "slider".
    virtual void Load(pugi::xml_node node, Pyxo::PyxoAppBase* app);

    // Pyxo::ButtonListener
    void ButtonPress(intptr_t id) override;

    /// The largest position; a maximum of 0 or less disables the bar.
    void SetMax(int maximum);
    [[nodiscard]] int GetMax() const { return mMaximum; }
    void SetPosition(int position) { mPosition = position; }
    [[nodiscard]] int GetPosition() const { return mPosition; }
    /// The slider's position at position 0 and at the maximum.
    void SetTrack(int x1, int y1, int x2, int y2);
    /// The button of that id, or null when the description has none.
    [[nodiscard]] TMButton* GetButton(intptr_t id) const;

private:
    /// The button described under that name, built with this bar as its listener and added as a child; null when
    /// the description has none.
    TMButton* LoadButton(pugi::xml_node node, const char* name, intptr_t id, Pyxo::PyxoAppBase* app);

    TMButton* mUpButton = nullptr;     // borrowed: a child
    TMButton* mDownButton = nullptr;   // borrowed: a child
    TMButton* mSliderButton = nullptr; // borrowed: a child
    int mMaximum = 0;
    int mPosition = 0;
    int mDistX1 = 0;
    int mDistX2 = 0;
    int mDistY1 = 0;
    int mDistY2 = 0;
};
