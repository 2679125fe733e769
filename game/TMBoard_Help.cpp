#include "game/TMBoard_Help.h"

#include "engine/TMButton.h"
#include "game/MenuBook.h"
#include "game/ScreenControls.h"
#include "game/TMBoard_EscapeMenu.h"
#include "game/TMBoard_Game3.h"
#include "game/TMEngine3.h"
#include "shell/WidgetManager.h"

TMBoard_Help::TMBoard_Help(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "help");
    ScreenControls::LogMissing("help", {{"prev_btn", mPrevButton}, {"next_btn", mNextButton}, {"close", mCloseButton}});
}

TMBoard_Help::~TMBoard_Help() = default;

void TMBoard_Help::AddChild(const std::string& name, TMCandyWidget* child)
{
    TMDialog::AddChild(name, child);
    if (!child)
        return;
    if (name == "prev_btn")
        mPrevButton = dynamic_cast<TMButton*>(child);
    else if (name == "next_btn")
        mNextButton = dynamic_cast<TMButton*>(child);
    else if (name == "close")
        mCloseButton = dynamic_cast<TMButton*>(child);
    if (name.find("page_") != std::string::npos)
        mPages.push_back(child);
}

void TMBoard_Help::OnShow()
{
    if (mApp && mApp->mWidgetManager) {
        mApp->mWidgetManager->BringToFront(this);
        mApp->mWidgetManager->SetFocus(this);
    }
    mBackwards = false;
    ShowPage(0);
    ScreenControls::PlaySound("window_open");
}

void TMBoard_Help::OnHide()
{
    if (gGameBoard && mApp && mApp->mWidgetManager)
        mApp->mWidgetManager->SetFocus(gGameBoard);
}

void TMBoard_Help::ShowPage(int index)
{
    mPageIndex = index;
    const int count = static_cast<int>(mPages.size());
    const bool onPage = index >= 0 && index < count;
    if (onPage)
        TurnMenuBook(mPages[static_cast<size_t>(index)], mBackwards, kBookHelp);
    for (TMButton* button : {mPrevButton, mNextButton, mCloseButton})
        ScreenControls::BringForward(button);
    // Off the pages (none at all, or an index past either end) neither arrow leads anywhere.
    ScreenControls::SetEnabled(mPrevButton, onPage && index > 0);
    ScreenControls::SetEnabled(mNextButton, onPage && index < count - 1);
}

void TMBoard_Help::OnControl(intptr_t controlId)
{
    const auto* control = reinterpret_cast<const TMCandyWidget*>(controlId);
    if (!control)
        return;
    if (control == mPrevButton) {
        mBackwards = true;
        ShowPage(mPageIndex - 1);
    } else if (control == mNextButton) {
        mBackwards = false;
        ShowPage(mPageIndex + 1);
    } else if (control == mCloseButton) {
        auto* game = dynamic_cast<TMEngine3*>(mApp);
        TMBoard_EscapeMenu* menu = game && game->mGameBoard ? game->mGameBoard->GetEscapeMenu() : nullptr;
        Pyxo::WidgetManager* manager = mApp ? mApp->mWidgetManager.get() : nullptr;
        // The turn hides this screen without OnHide, and keys reach the focus even when it is hidden: the focus
        // goes where the book lands.
        if (gGameBoard && gGameBoard->mRunning && menu) {
            TurnMenuBook(menu->GetDialog(), true, kBookNoScreen);
            SendEffectMessage("onshiftleft");
            menu->SendEffectMessage("onshiftleft");
            if (manager)
                manager->SetFocus(menu);
        } else {
            TurnMenuBook(nullptr, true, kBookNoScreen);
            if (manager)
                manager->SetFocus(nullptr);
        }
    }
}

void TMBoard_Help::HideAllPages()
{
    for (TMCandyWidget* page : mPages)
        page->SetVisible(false);
}
