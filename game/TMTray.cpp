#include "game/TMTray.h"

#include "engine/NotBuiltYet.h"
#include "engine/XmlConfig.h"

void TMTray::Activate(bool on)
{
    TMPickItem::Activate(on);
}

void TMTray::OnAnimationEnd(TMItemPart* part, const std::string& animation)
{
    TMPickItem::OnAnimationEnd(part, animation);
}

void TMTray::Load(pugi::xml_node node)
{
    TMPickItem::Load(node);
    XmlGetAttrString(node, "thing", mValue, 260);
}

bool TMTray::Interact(TMItem* /*by*/, bool /*checkOnly*/, int32_t* /*extra*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}
