#include "game/TMPeriodItem.h"

#include "engine/NotBuiltYet.h"
#include "engine/XmlConfig.h"

std::map<std::string, PeriodConfig> gPeriodConfigs;

void PeriodConfig::Load(pugi::xml_node node)
{
    XmlGetAttrFloat(node, "timeout_min", timeoutMin);
    XmlGetAttrFloat(node, "timeout_max", timeoutMax);
}

void LoadPeriodConfig(pugi::xml_node root)
{
    gPeriodConfigs.clear();
    for (pugi::xml_node node : root.child("period_items").children("period_item")) {
        std::string name;
        if (!XmlGetAttrString(node, "name", name) || name.empty())
            continue;
        if (gPeriodConfigs.count(name))
            continue;
        gPeriodConfigs[name].Load(node);
    }
}

void ClearPeriodConfig()
{
    gPeriodConfigs.clear();
}

PeriodConfig* FindPeriodConfig(const std::string& name)
{
    const auto found = gPeriodConfigs.find(name);
    return found == gPeriodConfigs.end() ? nullptr : &found->second;
}

void TMPeriodItem::Activate(bool on)
{
    TMPickItem::Activate(on);
}

void TMPeriodItem::OnAnimationEnd(TMItemPart* part, const std::string& animation)
{
    TMPickItem::OnAnimationEnd(part, animation);
}

void TMPeriodItem::Load(pugi::xml_node node)
{
    TMPickItem::Load(node);
    XmlGetAttrString(node, "thing", mValue, 260);
    mConfig = FindPeriodConfig(mName);
}

void TMPeriodItem::Update()
{
    TMPickItem::Update();
}

bool TMPeriodItem::Interact(TMItem* /*by*/, bool /*checkOnly*/, int32_t* /*extra*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

void TMPeriodItem::SetState(int state)
{
    ENGINE_NOT_BUILT_YET();
    mState = state;
}
