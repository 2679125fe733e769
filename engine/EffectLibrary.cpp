#include "engine/EffectLibrary.h"

#include "engine/NotBuiltYet.h"

bool LoadEffectLibrary()
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

void FreeEffectLibrary()
{
    ENGINE_NOT_BUILT_YET();
}

TMEffect* CreateEffect(const char* /*name*/)
{
    ENGINE_NOT_BUILT_YET();
    return nullptr;
}
