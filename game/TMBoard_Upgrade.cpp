#include "game/TMBoard_Upgrade.h"

#include "engine/NotBuiltYet.h"
#include "game/TMBoard_Game3.h"

TMBoard_Upgrade::TMBoard_Upgrade(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "upgrade_menu");
}

TMBoard_Upgrade::~TMBoard_Upgrade() = default;

void TMBoard_Upgrade::Update()
{
    TMDialog::Update();
    // Until the offer is built the screen closes at once, so the level's result is not held up.
    if (mOpen && mVisible)
        Hide();
}

void TMBoard_Upgrade::OnShow()
{
    ENGINE_NOT_BUILT_YET();
    mOpen = true;
}

void TMBoard_Upgrade::OnHide()
{
    if (!mOpen)
        return;
    mOpen = false;
    if (gGameBoard && !gGameBoard->mSurvival)
        gGameBoard->FinishLevel();
}
