#pragma once

#include "engine/TMCandyWidget.h"
#include "engine/TextureHandle.h"
#include "shell/ButtonListener.h"

#include <pugixml.hpp>

#include <cstdint>
#include <string>

namespace Pyxo {
class PyxoAppBase;
}

/// A screen or panel built from the interface description cfg\ui.xml: found by name, it builds its child controls
/// by element type, listens to its buttons and hands every button command to OnControl, which a screen overrides
/// and which otherwise travels up to the parent dialog. A modal dialog takes the widget manager's modal input
/// while it is really visible. Main thread.
class TMDialog : public TMCandyWidget, public Pyxo::ButtonListener {
public:
    TMDialog(TMCandyWidget* parent, Pyxo::PyxoAppBase* app);
    ~TMDialog() override;

    void Update() override;
    void Draw(Pyxo::Graphics* g) override;
    void Activate() override;
    void Deactivate() override;
    /// Dialogs nested this deep (the outermost being 1) load without their controls.
    static constexpr int kMaxNesting = 128;

    /// Reads a dialog element: the common attributes, the "normal" texture, "modal" and the child elements. A
    /// dialog kMaxNesting deep inside dialogs being loaded on this thread gets no child controls (logged).
    virtual void Load(pugi::xml_node node);
    /// A control of this dialog (or of a dialog below it) was used; the id is the control itself.
    virtual void OnControl(intptr_t controlId);
    virtual void SetModal(bool modal);
    virtual void SetBackgroundTexture(const TextureHandle& texture, const Pyxo::Rect& rect);

    /// Loads the direct child element of that name with type "tmdialog" under the interface root; nothing when
    /// there is none.
    void LoadByName(pugi::xml_node root, const std::string& name);

    // Pyxo::ButtonListener
    void ButtonRelease(intptr_t id) override { OnControl(id); }

    [[nodiscard]] bool IsModal() const { return mModal; }

protected:
    /// Registers the dialog as the widget manager's base modal widget, and takes it back.
    void PushModal();
    void PopModal();
    /// Pops the registered dialogs among the children (the visible ones only, when asked), newest first, then
    /// this one.
    void PopModalTree(bool visibleOnly);

    bool mModal = false;
    Pyxo::PyxoAppBase* mApp; // borrowed
    bool mModalRegistered = false;
};
