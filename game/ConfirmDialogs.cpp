#include "game/ConfirmDialogs.h"

#include "engine/EngineLog.h"
#include "engine/TMDialog.h"
#include "engine/TMEngine.h"
#include "game/ConfirmBox.h"
#include "game/TMBoard_Confirm1.h"
#include "game/TMBoard_Confirm2.h"
#include "shell/PyxoAppBase.h"
#include "shell/WidgetManager.h"

#include <algorithm>

namespace {

/// The screen-wide dialog between an open box and the screens below it, which then receive no clicks.
class ConfirmBlocker : public TMDialog {
public:
    explicit ConfirmBlocker(Pyxo::PyxoAppBase* app) : TMDialog(nullptr, app)
    {
        Resize(0, 0, TMEngine::kScreenWidth, TMEngine::kScreenHeight);
    }
    ~ConfirmBlocker() override { ForgetConfirmDialog(this); }
};

// The process-wide pointers; each object clears its own when it is deleted.
ConfirmBox* gQuestionBox = nullptr; // a TMBoard_Confirm2
ConfirmBox* gNoticeBox = nullptr;   // a TMBoard_Confirm1
ConfirmBlocker* gBlocker = nullptr;
ConfirmWait* gWaits = nullptr; // the innermost running wait

/// The widget of the tree at that address, found by comparing addresses only: the widget remembered there may have
/// been deleted since.
Pyxo::Widget* FindByAddress(const Pyxo::WidgetContainer& container, uintptr_t address)
{
    for (Pyxo::Widget* child : container.mWidgets) {
        if (reinterpret_cast<uintptr_t>(child) == address)
            return child;
        if (Pyxo::Widget* found = FindByAddress(*child, address))
            return found;
    }
    return nullptr;
}

/// Links the wait while it runs and holds the deferred deletes for the caller, however the wait ends (a step may
/// throw).
class WaitScope {
public:
    WaitScope(ConfirmBox& box, Pyxo::PyxoAppBase& app) : mApp(app), mHeldDepth(app.mDeferDeleteHoldDepth)
    {
        mWait.mBox = &box;
        mWait.mOuter = gWaits;
        gWaits = &mWait;
        box.mWait = &mWait;
        // The caller's frames (the handler or the update that asked) may still use what is deleted meanwhile.
        mApp.mDeferDeleteHoldDepth = mHeldDepth >= 0 ? std::min(mHeldDepth, mApp.mLoopDepth) : mApp.mLoopDepth;
    }
    ~WaitScope()
    {
        mApp.mDeferDeleteHoldDepth = mHeldDepth;
        if (!mWait.mDeleted)
            mWait.mBox->mWait = nullptr;
        gWaits = mWait.mOuter;
    }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

    ConfirmWait mWait;

private:
    Pyxo::PyxoAppBase& mApp;
    int mHeldDepth;
};

int32_t RunConfirmBox(ConfirmBox* box, const std::string& key)
{
    Pyxo::PyxoAppBase* app = box ? box->GetApp() : nullptr;
    if (!app) {
        EngineLog("confirmation box for \"%s\": no box", key.c_str());
        return kConfirmUnanswered;
    }
    if (box->mWait) {
        // Filling it again would change the question that the running wait is about.
        EngineLog("confirmation box for \"%s\": the box is already open", key.c_str());
        return kConfirmUnanswered;
    }
    if (!box->HasAnswerButton()) {
        // The wait could end only with the application.
        EngineContentWarning("confirmation box for \"%s\": the box has no button to answer with", key.c_str());
        return kConfirmUnanswered;
    }
    box->Fill(key);
    box->mResult = kConfirmUnanswered;

    Pyxo::WidgetManager* manager = app->mWidgetManager.get();
    uintptr_t rememberedFocus = 0;
    if (manager) {
        if (gBlocker) {
            manager->BringToFront(gBlocker);
            gBlocker->SetVisible(true);
        }
        manager->BringToFront(box);
        box->Show();
        rememberedFocus = reinterpret_cast<uintptr_t>(manager->mFocusWidget);
        manager->SetFocus(box);
    }

    int32_t result = kConfirmUnanswered;
    ConfirmWait* outer = nullptr;
    {
        WaitScope scope(*box, *app);
        outer = scope.mWait.mOuter;
        bool updated = false;
        while (app->RunLoopStep(&updated) && !scope.mWait.mDeleted && box->mWidgetManager != nullptr &&
               box->mResult == kConfirmUnanswered) {
        }
        result = scope.mWait.mDeleted ? scope.mWait.mResult : box->mResult;
    }

    manager = app->mWidgetManager.get();
    if (manager) {
        manager->SetFocus(rememberedFocus != 0 ? FindByAddress(*manager, rememberedFocus) : nullptr);
        if (gBlocker) {
            // A box still waits below this one: the blocker goes back between it and the screens.
            if (outer && !outer->mDeleted && outer->mBox->mWidgetManager == manager)
                manager->MoveBehind(gBlocker, outer->mBox);
            else
                gBlocker->SetVisible(false);
        }
    }
    return result;
}

} // namespace

void CreateConfirmDialogs(Pyxo::PyxoAppBase* app, pugi::xml_node root)
{
    gQuestionBox = new TMBoard_Confirm2(app, root);
    gNoticeBox = new TMBoard_Confirm1(app, root);
    gBlocker = new ConfirmBlocker(app);
    Pyxo::WidgetManager* manager = app ? app->mWidgetManager.get() : nullptr;
    if (!manager) {
        // Nothing would own them; each clears its pointer.
        delete gQuestionBox;
        delete gNoticeBox;
        delete gBlocker;
        return;
    }
    for (Pyxo::Widget* widget : std::initializer_list<Pyxo::Widget*>{gQuestionBox, gNoticeBox, gBlocker})
        manager->AddWidget(widget);
}

int32_t ShowConfirmDialog2(const std::string& key)
{
    return RunConfirmBox(gQuestionBox, key);
}

int32_t ShowConfirmDialog1(const std::string& key)
{
    return RunConfirmBox(gNoticeBox, key);
}

void ForgetConfirmDialog(const Pyxo::Widget* widget)
{
    if (widget == gQuestionBox)
        gQuestionBox = nullptr;
    if (widget == gNoticeBox)
        gNoticeBox = nullptr;
    if (widget == gBlocker)
        gBlocker = nullptr;
}
