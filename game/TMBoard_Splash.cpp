#include "game/TMBoard_Splash.h"

#include "engine/CursorTable.h"
#include "engine/TMEngine.h"
#include "engine/TMTexture.h"
#include "game/TMBoard_MainMenu.h"
#include "game/TMBoard_Menu.h"
#include "game/TMEngine3.h"
#include "graphics/Graphics.h"
#include "shell/WidgetManager.h"

namespace {

void ShowCursor(bool shown)
{
    TMEngine* engine = TMEngine::GetEngine();
    CursorTable* cursors = engine ? engine->GetCursorTable() : nullptr;
    if (!cursors)
        return;
    if (shown)
        cursors->Show();
    else
        cursors->Hide();
}

} // namespace

TMBoard_Splash::TMBoard_Splash(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "splash");
}

TMBoard_Splash::~TMBoard_Splash() = default;

void TMBoard_Splash::AddChild(const std::string& name, TMCandyWidget* child)
{
    if (!child)
        return;
    child->SetVisible(false);
    if (const TMTexture* normal = child->GetNormalTextureSet(); normal && !normal->mFrames.empty())
        mPictures.push_back(child);
    TMDialog::AddChild(name, child);
}

void TMBoard_Splash::Draw(Pyxo::Graphics* g)
{
    g->SetColor(Pyxo::Color(0, 0, 0, 255));
    g->FillRect(0, 0, mWidth, mHeight);
    TMDialog::Draw(g);
}

void TMBoard_Splash::Activate()
{
    TMDialog::Activate();
    ShowCursor(false);
    if (mApp && mApp->mWidgetManager)
        mApp->mWidgetManager->SetFocus(this);
    // Without a picture there is nothing to wait for: the menus take over at once.
    if (mPictureIndex < 0 || mPictureIndex >= static_cast<int>(mPictures.size())) {
        Hide();
        return;
    }
    mPictures[mPictureIndex]->Show();
}

void TMBoard_Splash::Update()
{
    TMDialog::Update();
    if (!mVisible || mPictureIndex < 0 || mPictureIndex >= static_cast<int>(mPictures.size()))
        return;
    const TMCandyWidget* picture = mPictures[mPictureIndex];
    if (!mPictureShown) {
        mPictureShown = picture->mVisible;
        return;
    }
    if (!picture->mVisible)
        Advance();
}

void TMBoard_Splash::Advance()
{
    if (mPictureIndex + 1 < static_cast<int>(mPictures.size())) {
        ++mPictureIndex;
        mPictures[mPictureIndex]->Show();
        mPictureShown = false;
        return;
    }
    Hide();
}

void TMBoard_Splash::KeyDown(int /*key*/)
{
    if (mPictureIndex < 0 || mPictureIndex >= static_cast<int>(mPictures.size()))
        return;
    mPictures[mPictureIndex]->SetVisible(false);
    mPictureShown = true;
}

void TMBoard_Splash::Deactivate()
{
    TMDialog::Deactivate();
    ShowCursor(true);
    if (mApp && mApp->mWidgetManager)
        mApp->mWidgetManager->SetFocus(nullptr);
    auto* game = dynamic_cast<TMEngine3*>(mApp);
    if (!game)
        return;
    if (game->mMenuBoard)
        game->mMenuBoard->Show();
    if (game->mMainMenuBoard)
        game->mMainMenuBoard->Show();
}
