#include "game/TBoard_Hud.h"

#include "engine/NotBuiltYet.h"
#include "game/TMBoard_Game3.h"

TBoard_Hud::TBoard_Hud(TMBoard_Game3* board, Pyxo::PyxoAppBase* app, pugi::xml_node root)
    : TMDialog(board, app), mBoard(board)
{
    LoadByName(root, "hud");
}

TBoard_Hud::~TBoard_Hud() = default;

void TBoard_Hud::SetMode(bool survival)
{
    ENGINE_NOT_BUILT_YET();
    mSurvival = survival;
}

void TBoard_Hud::Reset()
{
    ENGINE_NOT_BUILT_YET();
    mShownLives = 0;
}

void TBoard_Hud::ShowGoalSplash()
{
    ENGINE_NOT_BUILT_YET();
}

void TBoard_Hud::ShowExpertSplash()
{
    ENGINE_NOT_BUILT_YET();
}

void TBoard_Hud::SetLives(int lives)
{
    ENGINE_NOT_BUILT_YET();
    mShownLives = lives;
}

void TBoard_Hud::ShowUpgradeButton(bool /*show*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TBoard_Hud::ShowCleanEffect()
{
    ENGINE_NOT_BUILT_YET();
}

void TBoard_Hud::ShowFreezeBar(float /*seconds*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TBoard_Hud::ShowTutorialHint(int /*id*/, bool /*show*/)
{
    ENGINE_NOT_BUILT_YET();
}

bool TBoard_Hud::IsTutorialHintVisible(int /*id*/) const
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

void TBoard_Hud::ShowTutorialPanel(bool /*show*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TBoard_Hud::ShowAchievementIcon(int /*kind*/, bool /*show*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TBoard_Hud::HideAchievementLevels(int /*kind*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TBoard_Hud::MoveAchievementRow(int /*kind*/, int /*x*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TBoard_Hud::ShowAchievementLevel(int /*kind*/, int /*level*/)
{
    ENGINE_NOT_BUILT_YET();
}
