#include "game/TMClient.h"

#include "engine/EventQueue.h"
#include "engine/NotBuiltYet.h"
#include "engine/XmlConfig.h"
#include "game/TMBoard_Game3.h"

#include <cctype>

std::list<TMClient*> gClients;
std::list<TMClientStand*> gStandClientPool;
std::list<TMClientSit*> gSitClientPool;
std::map<std::string, TMClient*> gClientsByName;
std::map<std::string, ClientConfig> gClientConfigs;
ClientTuning gClientTuning;

// ---- Configuration -----------------------------------------------------------------------------------------------

void ClientConfig::Load(pugi::xml_node node)
{
    XmlGetAttrInt(node, "idle_stop_frame", idleStopFrame);
    XmlGetAttrFloat(node, "idle_restart_time_min", idleRestartMin);
    XmlGetAttrFloat(node, "idle_restart_time_max", idleRestartMax);
    XmlGetAttrFloat(node, "client_patience_speed", patienceSpeed);
    XmlGetAttrFloat(node, "client_decision_timeout", decisionTimeout);
    XmlGetAttrFloat(node, "client_eating_time", eatingTime);
    XmlGetAttrInt(node, "client_money01_g", money01G);
    XmlGetAttrInt(node, "client_money01_y", money01Y);
    XmlGetAttrInt(node, "client_money01_r", money01R);
    XmlGetAttrInt(node, "client_money02_g", money02G);
    XmlGetAttrInt(node, "client_money02_y", money02Y);
    XmlGetAttrInt(node, "client_money02_r", money02R);
    XmlGetAttrInt(node, "client_losses_money", lossesMoney);
    XmlGetAttrFloat(node, "client_scandal_level", scandalLevel);
    XmlGetAttrFloat(node, "client_scandal_timeout", scandalTimeout);
    XmlGetAttrFloat(node, "client_bonus_timeout", bonusTimeout);
    XmlGetAttrFloat(node, "client_bonus_time_effect", bonusTimeEffect);
}

void LoadClientsConfig(pugi::xml_node root)
{
    gClientConfigs.clear();
    const pugi::xml_node clients = root.child("clients");
    if (!clients) {
        EngineLog("cfg\\cfg.xml: no \"clients\" element; no client type is configured");
        return;
    }
    XmlGetAttrFloat(clients, "patience_g_level", gClientTuning.patienceGLevel);
    XmlGetAttrFloat(clients, "patience_y_level", gClientTuning.patienceYLevel);
    XmlGetAttrFloat(clients, "patience_r_level", gClientTuning.patienceRLevel);
    XmlGetAttrFloat(clients, "patience_critical", gClientTuning.patienceCritical);
    XmlGetAttrFloat(clients, "scandal_effect", gClientTuning.scandalEffect);
    XmlGetAttrFloat(clients, "client_juke_box_effect", gClientTuning.jukeBoxEffect);
    XmlGetAttrFloat(clients, "client_reminder_timeout", gClientTuning.reminderTimeout);
    XmlGetAttrFloat(clients, "client_alpha_blend_time", gClientTuning.alphaBlendTime);
    XmlGetAttrFloat(clients, "juice_cup_effect", gClientTuning.juiceCupEffect);
    XmlGetAttrFloat(clients, "client_scandal_bubble_present", gClientTuning.scandalBubblePresent);
    for (pugi::xml_node node : clients.children("client")) {
        std::string name;
        if (!XmlGetAttrString(node, "name", name) || name.empty())
            continue;
        if (gClientConfigs.count(name))
            continue;
        gClientConfigs[name].Load(node);
    }
}

void ClearClientsConfig()
{
    gClientConfigs.clear();
}

ClientConfig* FindClientConfig(const std::string& name)
{
    const auto found = gClientConfigs.find(name);
    return found == gClientConfigs.end() ? nullptr : &found->second;
}

// ---- Registries ---------------------------------------------------------------------------------------------------

bool AnyClientActive()
{
    return !gClients.empty();
}

void ApplyPatienceToAllClients(int /*mode*/, float /*amount*/)
{
    ENGINE_NOT_BUILT_YET();
}

bool SeatStandClient(TimePoint* /*order*/, size_t /*cursor*/, float /*patience*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

bool SeatSitClient(TimePoint* /*order*/, size_t /*cursor*/, float /*patience*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

void ReleaseClientOrder(TimePoint* order)
{
    if (!order || --order->refCount > 0)
        return;
    order->refCount = 0;
    order->Reset();
    if (gGameBoard)
        gGameBoard->mEvents.Recycle(order);
}

namespace {

/// The digits after the prefix when the name is the prefix followed by digits only.
bool DigitsAfter(const std::string& name, const std::string& prefix, std::string& digits)
{
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    digits = name.substr(prefix.size());
    for (const char c : digits) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

} // namespace

TMItem* FindGamePlaceOccupant(TMItem* place)
{
    if (!place)
        return nullptr;
    const std::string& name = place->GetName();
    std::string digits;
    if (DigitsAfter(name, "table", digits)) {
        TMItem* worker = TMItem::FindByName("worker" + digits);
        return worker && worker->IsPresent() ? worker : nullptr;
    }
    if (DigitsAfter(name, "client_sit_place", digits))
        return TMItem::FindByName("client_sit" + digits);
    if (DigitsAfter(name, "client_place", digits))
        return TMItem::FindByName("client" + digits);
    return nullptr;
}

// ---- TMClient ----------------------------------------------------------------------------------------------------

TMClient::TMClient() = default;

TMClient::~TMClient()
{
    if (mRegistered)
        gClients.remove(this);
    ReleaseClientOrder(mOrder);
    mOrder = nullptr;
}

void TMClient::SetVisible(bool visible)
{
    TMItem::SetVisible(visible);
}

void TMClient::Activate(bool on)
{
    ENGINE_NOT_BUILT_YET();
    TMItem::Activate(on);
}

void TMClient::OnAnimationEnd(TMItemPart* part, const std::string& animation)
{
    TMItem::OnAnimationEnd(part, animation);
}

void TMClient::SetMouseOver(Pyxo::Point point, bool over)
{
    TMItem::SetMouseOver(point, over);
}

void TMClient::Load(pugi::xml_node node)
{
    TMItem::Load(node);
    gClientsByName.emplace(mName, this);
}

void TMClient::Unload()
{
    TMItem::Unload();
    const auto found = gClientsByName.find(mName);
    if (found != gClientsByName.end() && found->second == this)
        gClientsByName.erase(found);
}

void TMClient::Update()
{
    TMItem::Update();
}

bool TMClient::Interact(TMItem* /*by*/, bool /*checkOnly*/, int32_t* /*extra*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

bool TMClient::GetStatValue(float& /*value*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

bool TMClient::GetStatAnimName(std::string& /*name*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

bool TMClient::GetStatIconName(std::string& /*name*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

void TMClient::SetState(int state)
{
    ENGINE_NOT_BUILT_YET();
    mState = state;
}

void TMClient::Register()
{
    if (mRegistered)
        return;
    gClients.push_back(this);
    mRegistered = true;
}

void TMClient::Unregister()
{
    if (!mRegistered)
        return;
    gClients.remove(this);
    mRegistered = false;
}

TMItem* TMClient::GetPlace() const
{
    return nullptr;
}

bool TMClient::WantsProduct(const std::string& a, const std::string& b) const
{
    if (a == "super" || b == "super")
        return true;
    return !mValue.empty() && (mValue == a || mValue == b);
}

float TMClient::ChangePatience(float delta)
{
    ENGINE_NOT_BUILT_YET();
    mPatience += delta;
    return mPatience;
}

// ---- TMClientStand -----------------------------------------------------------------------------------------------

TMClientStand::~TMClientStand()
{
    gStandClientPool.remove(this);
}

void TMClientStand::Activate(bool on)
{
    TMClient::Activate(on);
}

void TMClientStand::Update()
{
    TMClient::Update();
}

bool TMClientStand::GetStatAnimName(std::string& name)
{
    return TMClient::GetStatAnimName(name);
}

bool TMClientStand::GetStatIconName(std::string& name)
{
    return TMClient::GetStatIconName(name);
}

void TMClientStand::SetState(int state)
{
    TMClient::SetState(state);
}

void TMClientStand::Register()
{
    TMClient::Register();
    gStandClientPool.remove(this);
}

void TMClientStand::Unregister()
{
    TMClient::Unregister();
}

TMItem* TMClientStand::GetPlace() const
{
    return TMClient::GetPlace();
}

// ---- TMClientSit -------------------------------------------------------------------------------------------------

TMClientSit::~TMClientSit()
{
    gSitClientPool.remove(this);
}

void TMClientSit::Activate(bool on)
{
    TMClient::Activate(on);
}

void TMClientSit::Update()
{
    TMClient::Update();
}

bool TMClientSit::GetStatIconName(std::string& name)
{
    return TMClient::GetStatIconName(name);
}

void TMClientSit::SetState(int state)
{
    TMClient::SetState(state);
}

void TMClientSit::Register()
{
    TMClient::Register();
    gSitClientPool.remove(this);
}

void TMClientSit::Unregister()
{
    TMClient::Unregister();
}

TMItem* TMClientSit::GetPlace() const
{
    return TMClient::GetPlace();
}
