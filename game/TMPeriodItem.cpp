#include "game/TMPeriodItem.h"

#include "engine/EngineLog.h"
#include "engine/EngineRandom.h"
#include "engine/XmlConfig.h"
#include "game/NamedConfigs.h"
#include "game/ReentryGuard.h"
#include "game/TMBoss.h"

namespace {

constexpr const char* kConfigFile = "cfg\\cfg.xml";
constexpr size_t kProductSize = 260;

/// Shared by every period item: SetState plays animations that may end at once and call back into it.
bool gPeriodSetStateRunning = false;
bool gPeriodAnimationEndRunning = false;

/// The character has a hand free; an item that is no boss has only its first hand.
bool HasFreeHand(const TMItem* by)
{
    if (by->mValue.empty())
        return true;
    const auto* boss = dynamic_cast<const TMBoss*>(by);
    return boss && boss->GetSecondHand().empty();
}

} // namespace

std::map<std::string, PeriodConfig> gPeriodConfigs;

void PeriodConfig::Load(pugi::xml_node node)
{
    XmlGetAttrFloat(node, "timeout_min", timeoutMin);
    XmlGetAttrFloat(node, "timeout_max", timeoutMax);
}

void LoadPeriodConfig(pugi::xml_node root)
{
    gPeriodConfigs.clear();
    const pugi::xml_node items = root.child("period_items");
    if (!items) {
        EngineLog("%s: no \"period_items\" element; no period item is configured", kConfigFile);
        return;
    }
    LoadNamedConfigs(items, "period_item", "period item", gPeriodConfigs);
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
    if (!on)
        return;
    mState = 0;
    SetState(0);
    StartPause();
}

void TMPeriodItem::StartPause()
{
    // Without its pause range the item would become ready at once and again after every pick: it stays waiting.
    if (!mConfig) {
        EngineLog("period item \"%s\": no \"period_item\" of that name in %s; it stays waiting", mName.c_str(),
                  kConfigFile);
        return;
    }
    mPause.Start(RandFloatRange(mConfig->timeoutMin, mConfig->timeoutMax));
}

void TMPeriodItem::OnAnimationEnd(TMItemPart* part, const std::string& animation)
{
    TMPickItem::OnAnimationEnd(part, animation);
    if (gPeriodAnimationEndRunning)
        return;
    const ReentryGuard guard(gPeriodAnimationEndRunning);
    if (animation == "activation" || animation == "deactivation")
        SetState(mState);
}

void TMPeriodItem::Load(pugi::xml_node node)
{
    TMPickItem::Load(node);
    if (!XmlGetAttrString(node, "thing", mValue, kProductSize) || mValue.empty())
        EngineLog("period item \"%s\": no \"thing\"; it offers no product", mName.c_str());
    mConfig = FindPeriodConfig(mName);
}

void TMPeriodItem::Update()
{
    TMPickItem::Update();
    if (!mVisible || mState != 0 || !mConfig || mPause.IsRunning() || gPeriodSetStateRunning)
        return;
    const ReentryGuard guard(gPeriodSetStateRunning);
    SetAnimation("activation", false);
    mState = 1;
}

bool TMPeriodItem::Interact(TMItem* by, bool checkOnly, int32_t* /*extra*/)
{
    // The boss takes the product itself; the item only confirms and starts its next pause.
    if (!by || by->GetName() != "boss" || !HasFreeHand(by) || mState != 1)
        return false;
    if (checkOnly)
        return true;
    SetState(0);
    return false;
}

void TMPeriodItem::SetState(int state)
{
    if (gPeriodSetStateRunning)
        return;
    const ReentryGuard guard(gPeriodSetStateRunning);
    if (state == 0) {
        if (mState == 0) {
            SetAnimation("idle", false);
        } else {
            SetAnimation("deactivation", false);
            StartPause();
        }
    } else if (state == 1) {
        SetAnimation(mState == 0 ? "activation" : "ready", false);
    }
    mState = state;
}
