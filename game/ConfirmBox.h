#pragma once

#include "engine/TMDialog.h"
#include "game/ConfirmDialogs.h"

#include <cstdint>
#include <string>

class ConfirmBox;
class TMButton;
class TMText;

/// One running wait on a box (ShowConfirmDialog1, ShowConfirmDialog2). It lives on the waiting call's stack; a box
/// deleted during the wait marks it and leaves its answer there, so the wait touches the box no more.
struct ConfirmWait {
    ConfirmBox* mBox = nullptr;    // borrowed; not to be used once mDeleted
    ConfirmWait* mOuter = nullptr; // the wait on the other box that this one interrupted, or null
    bool mDeleted = false;
    int32_t mResult = kConfirmUnanswered;
};

/// What the question box and the notice box share: the children bound by name when the element is loaded, the
/// answer, and the wait that runs while the box is open. Built hidden; owned by the widget manager once added, and
/// forgotten by the process-wide box pointers when deleted. Main thread.
class ConfirmBox : public TMDialog {
public:
    explicit ConfirmBox(Pyxo::PyxoAppBase* app);
    ~ConfirmBox() override;

    /// Binds "btn_yes", "text1", "text2" and "icon" (exact names, first child of a name, of the expected kind),
    /// then adds the child as every dialog does.
    void AddChild(const std::string& name, TMCandyWidget* child) override;
    /// Gives the children that are present the icon, texts and labels of the message key. Without a texture for
    /// the icon the icon is hidden, and it shows again for a key that has one.
    virtual void Fill(const std::string& key);
    /// Whether the element gave the box a button that answers it.
    [[nodiscard]] virtual bool HasAnswerButton() const { return mYesButton != nullptr; }

    [[nodiscard]] Pyxo::PyxoAppBase* GetApp() const { return mApp; }

    TMButton* mYesButton = nullptr; // borrowed children; null when the element has none
    TMText* mText1 = nullptr;
    TMText* mText2 = nullptr;
    TMCandyWidget* mIcon = nullptr;
    int32_t mResult = kConfirmUnanswered; // 1 yes, 0 no
    ConfirmWait* mWait = nullptr;         // the running wait, or null

private:
    void FillIcon(const std::string& key);

    bool mIconHiddenByFill = false; // the icon is hidden because the last key had no texture for it
};
