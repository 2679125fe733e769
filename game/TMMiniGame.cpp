#include "game/TMMiniGame.h"

#include "engine/NotBuiltYet.h"
#include "game/TBoard_Hud.h"
#include "game/TMBoard_Game3.h"

TMMiniGame::TMMiniGame(TMBoard_Game3* board, Pyxo::PyxoAppBase* app, pugi::xml_node root)
    : TMDialog(board ? board->GetHud() : nullptr, app), mBoard(board)
{
    LoadByName(root, "minigame");
}

TMMiniGame::~TMMiniGame() = default;

void TMMiniGame::LoadParts(pugi::xml_node /*level*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMMiniGame::AddPart(int /*kind*/, bool /*enabled*/, bool /*atFront*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMMiniGame::AddRandomPart(int /*stage*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMMiniGame::EnablePartAt(int /*position*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMMiniGame::Clear()
{
    ENGINE_NOT_BUILT_YET();
}

int TMMiniGame::GetPartCount() const
{
    ENGINE_NOT_BUILT_YET();
    return 0;
}
