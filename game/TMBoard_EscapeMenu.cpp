#include "game/TMBoard_EscapeMenu.h"

#include "engine/TMButton.h"
#include "engine/TMSoundManager.h"
#include "game/ConfirmDialogs.h"
#include "game/ScreenControls.h"
#include "game/TMBoard_Game3.h"
#include "game/TMBoard_Help.h"
#include "game/TMBoard_MainMenu.h"
#include "game/TMBoard_Options.h"
#include "game/TMEngine3.h"
#include "shell/WidgetManager.h"

namespace {

constexpr int kEscapeKey = 27;

TMEngine3* Game()
{
    return dynamic_cast<TMEngine3*>(TMEngine::GetEngine());
}

} // namespace

TMBoard_EscapeMenu::TMBoard_EscapeMenu(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "escape_menu");
    ScreenControls::LogMissing("escape_menu", {{"escape_dlg", mDialog},
                                               {"restart", mRestartButton},
                                               {"resume", mResumeButton},
                                               {"settings", mSettingsButton},
                                               {"help", mHelpButton},
                                               {"quit", mQuitButton}});
}

TMBoard_EscapeMenu::~TMBoard_EscapeMenu() = default;

void TMBoard_EscapeMenu::AddChild(const std::string& name, TMCandyWidget* child)
{
    TMDialog::AddChild(name, child);
    if (name != "escape_dlg" || !child)
        return;
    mDialog = child;
    TMCandyWidget* page = child->FindChild("right_page");
    if (!page)
        return;
    mRestartButton = dynamic_cast<TMButton*>(page->FindChild("restart"));
    mResumeButton = dynamic_cast<TMButton*>(page->FindChild("resume"));
    mSettingsButton = dynamic_cast<TMButton*>(page->FindChild("settings"));
    mHelpButton = dynamic_cast<TMButton*>(page->FindChild("help"));
    mQuitButton = dynamic_cast<TMButton*>(page->FindChild("quit"));
}

void TMBoard_EscapeMenu::OnShow()
{
    // A second Show of the open menu must not pause again: one Hide ends the menu's pause.
    if (!mHoldsPause && gGameBoard) {
        gGameBoard->Pause();
        mHoldsPause = true;
    }
    ScreenControls::PlaySound("window_open");
    if (mApp && mApp->mWidgetManager)
        mApp->mWidgetManager->SetFocus(this);
}

void TMBoard_EscapeMenu::OnHide()
{
    if (mApp && mApp->mWidgetManager && gGameBoard)
        mApp->mWidgetManager->SetFocus(gGameBoard);
    // A surplus Resume would end a pause another screen holds.
    if (mHoldsPause && gGameBoard)
        gGameBoard->Resume();
    mHoldsPause = false;
}

void TMBoard_EscapeMenu::Activate()
{
    TMDialog::Activate();
    ScreenControls::BringForward(this);
}

void TMBoard_EscapeMenu::KeyUp(int key)
{
    if (key == kEscapeKey)
        Hide();
}

void TMBoard_EscapeMenu::OnControl(intptr_t controlId)
{
    const auto* control = reinterpret_cast<const TMCandyWidget*>(controlId);
    TMEngine3* game = Game();
    if (!control)
        return;
    if (control == mRestartButton) {
        if (ShowConfirmDialog2("restlvl") != 1)
            return;
        Hide();
        if (gGameBoard)
            gGameBoard->ReloadLevel();
    } else if (control == mResumeButton) {
        Hide();
    } else if (control == mSettingsButton) {
        if (game && game->mOptionsBoard)
            game->mOptionsBoard->Show();
    } else if (control == mHelpButton) {
        // The menu and the help book slide together.
        SendEffectMessage("onshiftright");
        if (game && game->mHelpBoard) {
            game->mHelpBoard->Show();
            game->mHelpBoard->SendEffectMessage("onshiftright");
        }
    } else if (control == mQuitButton) {
        if (ShowConfirmDialog2("exitmenu") != 1)
            return;
        Hide();
        if (gGameBoard)
            gGameBoard->Hide();
        if (game && game->mMainMenuBoard)
            game->mMainMenuBoard->Show();
        if (gGameBoard)
            gGameBoard->StopLevel();
        if (TMEngine* engine = TMEngine::GetEngine(); engine && engine->GetSoundRegistry())
            engine->GetSoundRegistry()->StopGroup("game");
    }
}
