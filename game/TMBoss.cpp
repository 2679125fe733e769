#include "game/TMBoss.h"

#include "engine/EngineLog.h"
#include "engine/NotBuiltYet.h"
#include "engine/XmlConfig.h"
#include "game/ProductMasks.h"
#include "game/TMBoard_Game3.h"

namespace {

constexpr const char* kConfigFile = "cfg\\cfg.xml";
constexpr size_t kNameSize = 128;

} // namespace

std::map<std::string, PersConfig> gPersConfigs;

void PersConfig::Load(pugi::xml_node node)
{
    XmlGetAttrFloat(node, "wash_time", washTime);
    XmlGetAttrFloat(node, "speed_bonus", speedBonus);
    XmlGetAttrFloat(node, "idle_rastart_time_min", idleRestartMin);
    XmlGetAttrFloat(node, "idle_rastart_time_max", idleRestartMax);
    XmlGetAttrInt(node, "idle_stop_frame", idleStopFrame);
}

void LoadPersConfig(pugi::xml_node root)
{
    gPersConfigs.clear();
    const pugi::xml_node perses = root.child("perses");
    if (!perses) {
        EngineLog("%s: no \"perses\" element; no character is configured", kConfigFile);
        return;
    }
    int index = 0;
    for (pugi::xml_node node : perses.children("pers")) {
        ++index;
        std::string name;
        if (!XmlGetAttrString(node, "name", name, kNameSize) || name.empty()) {
            EngineLog("%s: \"pers\" element %d has no \"name\"; skipped", kConfigFile, index);
            continue;
        }
        if (gPersConfigs.count(name)) {
            EngineLog("%s: character \"%s\" is defined again (element %d); the first definition stays", kConfigFile,
                      name.c_str(), index);
            continue;
        }
        gPersConfigs[name].Load(node);
    }
}

void ClearPersConfig()
{
    gPersConfigs.clear();
}

PersConfig* FindPersConfig(const std::string& name)
{
    const auto found = gPersConfigs.find(name);
    return found == gPersConfigs.end() ? nullptr : &found->second;
}

TMBoss* GetBoss()
{
    return dynamic_cast<TMBoss*>(gBoss);
}

TMBoss::TMBoss() = default;

TMBoss::~TMBoss()
{
    mSecondHand.clear();
}

void TMBoss::Activate(bool on)
{
    ENGINE_NOT_BUILT_YET();
    TMMoveItem::Activate(on);
}

void TMBoss::OnDelayedEvent(int code)
{
    TMMoveItem::OnDelayedEvent(code);
}

void TMBoss::ReleaseLevelState()
{
    TMMoveItem::ReleaseLevelState();
    mValue.clear();
}

void TMBoss::Update()
{
    TMMoveItem::Update();
}

bool TMBoss::Interact(TMItem* /*by*/, bool /*checkOnly*/, int32_t* /*extra*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

void TMBoss::BindPers()
{
    TMMoveItem::BindPers();
    mPersConfig = FindPersConfig(mName);
}

void TMBoss::UpdateVisual()
{
    TMMoveItem::UpdateVisual();
}

float TMBoss::GetMoveSpeed() const
{
    const float speed = TMMoveItem::GetMoveSpeed();
    if (!gGameBoard || !gGameBoard->IsUpgradeOwned("boss", "speed"))
        return speed;
    // A factor of 0 or less would stop every walk: it counts as no bonus.
    const float bonus = mPersConfig ? mPersConfig->speedBonus : 1.0f;
    return bonus > 0.0f ? speed * bonus : speed;
}

bool IsFullTray(const std::string& mask)
{
    return mask.size() == 4 && mask.find("00") == std::string::npos;
}

HandsAfterTake TakeIntoHands(const std::string& first, const std::string& second, const std::string& product)
{
    if (first.empty())
        return {true, product, second};
    if (MasksCompatible(first, product)) {
        std::string merged = MergeMasks(first, product);
        if (AnyClientWants(merged))
            return {true, std::move(merged), second};
    }
    if (second.empty())
        return {true, first, product};
    if (!IsFullTray(first) && MasksCompatible(second, product)) {
        std::string merged = MergeMasks(second, product);
        if (AnyClientWants(merged))
            return {true, std::move(merged), first};
    }
    return {false, first, second};
}
