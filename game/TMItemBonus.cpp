#include "game/TMItemBonus.h"

#include "engine/NotBuiltYet.h"

TMItemBonus* GetBonusItem()
{
    return dynamic_cast<TMItemBonus*>(gBonusItem);
}

void TMItemBonus::Activate(bool on)
{
    TMItem::Activate(on);
}

void TMItemBonus::ShowAmount(int /*kind*/, TMItem* /*target*/, int /*amount*/, const std::wstring& /*text*/)
{
    ENGINE_NOT_BUILT_YET();
}

TMItemPart* TMItemBonus::FirstFreePart(const std::string& /*name*/) const
{
    ENGINE_NOT_BUILT_YET();
    return nullptr;
}
