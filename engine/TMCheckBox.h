#pragma once

#include "engine/TMCandyWidget.h"

#include <pugixml.hpp>

#include <array>

namespace Pyxo {
class PyxoAppBase;
}

/// A check box ("tmcheckbox"): a click toggles it; it shows a normal, over or disabled texture for the unchecked
/// and for the checked state. It reports nothing: its screen reads IsChecked. Main thread.
class TMCheckBox : public TMCandyWidget {
public:
    /// The six textures: unchecked then checked, each normal, over and disabled.
    enum Slot { Normal, Over, Disabled, CheckNormal, CheckOver, CheckDisabled, SlotCount };

    explicit TMCheckBox(TMCandyWidget* parent) : TMCandyWidget(parent) {}

    void Update() override;
    void Draw(Pyxo::Graphics* g) override;
    void MouseEnter() override { MarkDirty(); }
    void MouseLeave() override { MarkDirty(); }
    /// Toggles while the mouse is over the box, so a press dragged off it and released elsewhere does nothing.
    void MouseUp(int x, int y, int button, int clickCount) override;
    virtual void SetChecked(bool checked);
    virtual void Load(pugi::xml_node node, Pyxo::PyxoAppBase* app);
    [[nodiscard]] virtual bool IsChecked() const { return mChecked; }

    /// The texture of a slot, or null when the description has none.
    [[nodiscard]] TMTexture* GetSlot(Slot slot) const { return mSlots[slot]; }

protected:
    bool mChecked = false;
    std::array<TMTexture*, SlotCount> mSlots{}; // borrowed: also texture sets under id 0, owned there
};
