#include "game/TMBonus.h"

#include "engine/NotBuiltYet.h"

void TMBonus::Load(pugi::xml_node /*root*/)
{
    ENGINE_NOT_BUILT_YET();
    mStages.clear();
    mCurrent.reset();
}

void TMBonus::OnAction(int kind, TMItem* /*object*/)
{
    ENGINE_NOT_BUILT_YET();
    if (kind == 0) {
        mCounter = 0;
        mElapsed = 0.0f;
        mCurrent.reset();
    }
}

void TMBonus::Update()
{
    ENGINE_NOT_BUILT_YET();
}

void TMBonus::ApplyStage(TMItem* /*object*/)
{
    ENGINE_NOT_BUILT_YET();
}
