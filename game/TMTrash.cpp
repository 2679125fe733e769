#include "game/TMTrash.h"

#include "engine/NotBuiltYet.h"

void TMTrash::Activate(bool on)
{
    TMPickItem::Activate(on);
}

void TMTrash::OnAnimationEnd(TMItemPart* part, const std::string& animation)
{
    TMPickItem::OnAnimationEnd(part, animation);
}

bool TMTrash::Interact(TMItem* /*by*/, bool /*checkOnly*/, int32_t* /*extra*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}
