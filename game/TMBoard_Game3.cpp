#include "game/TMBoard_Game3.h"

#include "engine/NotBuiltYet.h"

TMBoard_Game3* gGameBoard = nullptr;

TMBoard_Game3::TMBoard_Game3(Pyxo::PyxoAppBase* app, pugi::xml_node /*root*/) : TMBoard_Game(app)
{
    gGameBoard = this;
}

TMBoard_Game3::~TMBoard_Game3()
{
    if (gGameBoard == this)
        gGameBoard = nullptr;
}

void TMBoard_Game3::StartLevel()
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game3::OnLevelFinished()
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game3::ResetLevel()
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game3::ReadLevelConfig(pugi::xml_node /*root*/, pugi::xml_node /*level*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game3::ReleaseLevelActors()
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game3::OnObjectClicked(TMPickItem* /*item*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game3::UpdateLevel()
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game3::LoadActorConfigs(pugi::xml_node /*root*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game3::ClearActorConfigs()
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game3::OnMoneyChanged()
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Game3::UpdateDayLabel()
{
    ENGINE_NOT_BUILT_YET();
}

bool TMBoard_Game3::TryDispatchEvent(TimePoint* /*point*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

void TMBoard_Game3::OnPause() {}

void TMBoard_Game3::OnResume() {}
