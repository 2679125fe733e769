#include "game/TMClient.h"

#include "engine/EngineLog.h"
#include "engine/EventQueue.h"
#include "engine/GameClock.h"
#include "engine/TMEngine.h"
#include "engine/TMItemPart.h"
#include "engine/TMSoundManager.h"
#include "engine/XmlConfig.h"
#include "game/NamedConfigs.h"
#include "game/ReentryGuard.h"
#include "game/TMBoard_Game3.h"
#include "game/TMBoss.h"
#include "game/TMItemBonus.h"
#include "game/TutorialScript.h"

#include <algorithm>
#include <cctype>
#include <type_traits>
#include <vector>

std::list<TMClient*> gClients;
std::list<TMClientStand*> gStandClientPool;
std::list<TMClientSit*> gSitClientPool;
std::map<std::string, TMClient*> gClientsByName;
std::map<std::string, TMClientStand*> gStandClientsByName;
std::map<std::string, TMClientSit*> gSitClientsByName;
std::map<std::string, ClientConfig> gClientConfigs;
ClientTuning gClientTuning;

namespace {

constexpr const char* kConfigFile = "cfg\\cfg.xml";
constexpr size_t kClientNameSize = 128;

/// The re-entry flags of the three SetState levels, shared by every client of the level.
bool gClientSetStateRunning = false;
bool gStandSetStateRunning = false;
bool gSitSetStateRunning = false;

// Without a game board (a client on its own) no tutorial runs, no ice lasts and no money is booked.
bool IceRunning()
{
    return gGameBoard && gGameBoard->GetIceCountdown().IsRunning();
}

/// What the engine's number readers read whole: an optional '-', digits with at most one decimal point, at least
/// one digit.
bool IsNumber(const char* text)
{
    if (*text == '-')
        ++text;
    bool digit = false;
    bool point = false;
    for (; *text; ++text) {
        if (std::isdigit(static_cast<unsigned char>(*text)))
            digit = true;
        else if (*text == '.' && !point)
            point = true;
        else
            return false;
    }
    return digit;
}

/// Reads a number the element has; a value that is not a number is logged and leaves the field as it is.
template <class T>
void ReadNumber(pugi::xml_node node, const char* key, T& field, const std::string& element)
{
    const pugi::xml_attribute attribute = XmlGetAttrNode(node, key);
    if (!attribute)
        return;
    if (!IsNumber(attribute.value())) {
        EngineLog("%s: %s: \"%s\" is not a number (\"%s\"); the value stays", kConfigFile, element.c_str(), key,
                  attribute.value());
        return;
    }
    if constexpr (std::is_same_v<T, float>)
        XmlGetAttrFloat(node, key, field);
    else
        XmlGetAttrInt(node, key, field);
}

bool FellThrough(float before, float after, float level)
{
    return before > level && after <= level;
}

bool RoseThrough(float before, float after, float level)
{
    return before <= level && after > level;
}

/// The first of the red, yellow and green levels that the change crossed downwards (or upwards).
bool CrossedAnyLevel(float before, float after, bool (*crossed)(float, float, float))
{
    return crossed(before, after, gClientTuning.patienceRLevel) ||
           crossed(before, after, gClientTuning.patienceYLevel) || crossed(before, after, gClientTuning.patienceGLevel);
}

/// The order's kind has a record; logged when not.
bool CanSeat(const TimePoint* order, const char* kind)
{
    if (!order)
        return false;
    if (FindClientConfig(order->type))
        return true;
    EngineLog("%s client: kind \"%s\" has no configuration in %s; not seated", kind, order->type.c_str(), kConfigFile);
    return false;
}

} // namespace

// ---- Configuration -----------------------------------------------------------------------------------------------

void ClientConfig::Load(pugi::xml_node node)
{
    const std::string element = "client \"" + XmlReadString(node, "name", kClientNameSize) + "\"";
    ReadNumber(node, "idle_stop_frame", idleStopFrame, element);
    ReadNumber(node, "idle_restart_time_min", idleRestartMin, element);
    ReadNumber(node, "idle_restart_time_max", idleRestartMax, element);
    ReadNumber(node, "client_patience_speed", patienceSpeed, element);
    ReadNumber(node, "client_decision_timeout", decisionTimeout, element);
    ReadNumber(node, "client_eating_time", eatingTime, element);
    ReadNumber(node, "client_money01_g", money01G, element);
    ReadNumber(node, "client_money01_y", money01Y, element);
    ReadNumber(node, "client_money01_r", money01R, element);
    ReadNumber(node, "client_money02_g", money02G, element);
    ReadNumber(node, "client_money02_y", money02Y, element);
    ReadNumber(node, "client_money02_r", money02R, element);
    ReadNumber(node, "client_losses_money", lossesMoney, element);
    ReadNumber(node, "client_scandal_level", scandalLevel, element);
    ReadNumber(node, "client_scandal_timeout", scandalTimeout, element);
    ReadNumber(node, "client_bonus_timeout", bonusTimeout, element);
    ReadNumber(node, "client_bonus_time_effect", bonusTimeEffect, element);
}

void LoadClientsConfig(pugi::xml_node root)
{
    gClientConfigs.clear();
    const pugi::xml_node clients = root.child("clients");
    if (!clients) {
        EngineLog("%s: no \"clients\" element; no client kind is configured", kConfigFile);
        return;
    }
    const std::string element = "\"clients\"";
    ReadNumber(clients, "patience_g_level", gClientTuning.patienceGLevel, element);
    ReadNumber(clients, "patience_y_level", gClientTuning.patienceYLevel, element);
    ReadNumber(clients, "patience_r_level", gClientTuning.patienceRLevel, element);
    ReadNumber(clients, "patience_critical", gClientTuning.patienceCritical, element);
    ReadNumber(clients, "scandal_effect", gClientTuning.scandalEffect, element);
    ReadNumber(clients, "client_juke_box_effect", gClientTuning.jukeBoxEffect, element);
    ReadNumber(clients, "client_reminder_timeout", gClientTuning.reminderTimeout, element);
    ReadNumber(clients, "client_alpha_blend_time", gClientTuning.alphaBlendTime, element);
    ReadNumber(clients, "juice_cup_effect", gClientTuning.juiceCupEffect, element);
    ReadNumber(clients, "client_scandal_bubble_present", gClientTuning.scandalBubblePresent, element);
    LoadNamedConfigs(clients, "client", "client", gClientConfigs);
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

void ApplyPatienceToAllClients(int mode, float amount)
{
    if (mode != 1 && mode != 2)
        return;
    // A client's change of mood must not disturb the walk over the list.
    const std::vector<TMClient*> clients(gClients.begin(), gClients.end());
    for (TMClient* client : clients) {
        if (client->IsStatActive())
            client->ChangePatience(mode == 1 ? amount : -amount);
    }
}

bool SeatStandClient(TimePoint* order, size_t cursor, float patience)
{
    if (!CanSeat(order, "standing") || gStandClientPool.empty())
        return false;
    TMClientStand* client = gStandClientPool.front();
    if (client->IsReuseRunning() || !client->Seat(order, cursor, patience))
        return false;
    client->SetState(1);
    return true;
}

bool SeatSitClient(TimePoint* order, size_t cursor, float patience)
{
    if (!CanSeat(order, "seated") || gSitClientPool.empty())
        return false;
    TMClientSit* client = gSitClientPool.front();
    if (!client->Seat(order, cursor, patience))
        return false;
    client->SetState(2);
    return true;
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
    ReleaseOrder();
    const auto found = gClientsByName.find(mName);
    if (found != gClientsByName.end() && found->second == this)
        gClientsByName.erase(found);
}

void TMClient::SetVisible(bool visible)
{
    if (!visible && mPresent)
        Unregister();
    TMItem::SetVisible(visible);
}

void TMClient::Activate(bool on)
{
    if (!on) {
        Unregister();
        ReleaseOrder();
        LeavePool();
        return;
    }
    SetVisible(false);
    mState = 0;
    // A client that left at a loss must not come back out of patience.
    mPatient = true;
    BindPlace();
}

void TMClient::BindPlace()
{
    mPlace = GetPlace();
    mMoneyPart = mPlace ? mPlace->FindPart("client_money") : nullptr;
    if (!mPlace) {
        EngineLog("client %s: no place item; it is served without one", mName.c_str());
        return;
    }
    if (mMoneyPart)
        mMoneyPart->AcquireSkinImages();
    else
        EngineLog("client %s: its place %s has no part \"client_money\"", mName.c_str(), mPlace->GetName().c_str());
}

void TMClient::OnAnimationEnd(TMItemPart* part, const std::string& animation)
{
    TMItem::OnAnimationEnd(part, animation);
    if (!part)
        return;
    const std::string& partName = part->GetName();
    const bool body = partName == "client_stand_up" || partName == "client_sitting_up";
    if (body && (animation == "direct_green" || animation == "scandal" || animation == "direct_yellow"))
        SetState(mState);
}

void TMClient::SetMouseOver(Pyxo::Point point, bool over)
{
    if (over && !mMouseOver && mState == 1 && mCurrentAnimation != "direct_green" &&
        mCurrentAnimation != "direct_yellow")
        SetAnimation(mPatience > gClientTuning.patienceYLevel ? "direct_green" : "direct_yellow", true);
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
    if (mState == 1) {
        if (mPatient && mConfig) {
            const float before = mPatience;
            const float after = ChangePatience(-mConfig->patienceSpeed * gFrameDelta);
            if (CrossedAnyLevel(before, after, &FellThrough))
                SetState(1);
            if (mPatience <= mConfig->scandalLevel && !mScandalCountdown.IsRunning()) {
                mScandalCountdown.Start(mConfig->scandalTimeout);
                ApplyPatienceToAllClients(2, gClientTuning.scandalEffect);
                mScandalBubbleCountdown.Start(gClientTuning.scandalBubblePresent);
                if (mState == 1 && mCurrentAnimation != "scandal") {
                    SetAnimation("scandal", true);
                    TMEngine::PlaySound("client_scandal");
                }
            }
        }
        if (!mPatient) {
            Pay();
            SetState(0);
        }
    }
    TMItem::Update();
}

bool TMClient::Interact(TMItem* by, bool checkOnly, int32_t* /*extra*/)
{
    TMBoss* boss = GetBoss();
    if (!boss || by != boss || mState != 1)
        return false;
    if (mValue.empty()) {
        if (checkOnly)
            return true;
        // The boss takes the order: a standing client starts to think.
        SetState(2);
        return false;
    }
    const auto serves = [this](const std::string& hand) { return hand == "super" || (hand == mValue); };
    const bool first = serves(boss->GetFirstHand());
    const bool second = !first && serves(boss->GetSecondHand());
    if (!first && !second)
        return false;
    if (checkOnly)
        return true;
    if (first)
        boss->SetFirstHand("");
    else
        boss->SetSecondHand("");
    if (boss->GetFirstHand().empty() && !boss->GetSecondHand().empty()) {
        boss->SetFirstHand(boss->GetSecondHand());
        boss->SetSecondHand("");
    }
    Pay();
    switch (NextOrderEntry(true)) {
    case kEntryNone:
        SetState(0);
        break;
    case kEntryProduct:
        SetState(2);
        break;
    default:
        SetState(3);
        break;
    }
    return false;
}

bool TMClient::GetStatValue(float& value)
{
    if (mState == 0)
        return false;
    value = mPatience;
    return true;
}

bool TMClient::GetStatAnimName(std::string& name)
{
    if (mState == 0)
        return false;
    if (mScandalBubbleCountdown.IsRunning()) {
        name = "scandal";
        return true;
    }
    if (mState == 1) {
        name = mValue.empty() ? "ready" : mValue;
        return true;
    }
    return false;
}

bool TMClient::GetStatIconName(std::string& name)
{
    name = mScandalBubbleCountdown.IsRunning() ? "aggro" : "client";
    return true;
}

void TMClient::SetState(int state)
{
    if (gClientSetStateRunning)
        return;
    const ReentryGuard guard(gClientSetStateRunning);
    const int old = mState;
    if (state == 0) {
        if (old == 1 || old == 2) {
            SetAnimation(mPatient ? "go_happy" : "go_unhappy", false);
            ReleaseOrder();
        } else if (old == 3) {
            SetAnimation("go_sitting", false);
            ReleaseOrder();
        }
    } else if (state == 1) {
        if (old == 0 || old == 2) {
            if (mConfig)
                mBonusCountdown.Start(mConfig->bonusTimeout);
            TMEngine::PlaySound("client_ready");
            TutorialEvent(4);
        }
    } else if (state == 2 && old == 0) {
        if (mConfig)
            mScandalCountdown.Start(mConfig->scandalTimeout);
        mScandalBubbleCountdown.Start(0.0f);
        mPatient = true;
    }
    mState = state;
}

void TMClient::Register()
{
    if (!mRegistered) {
        gClients.push_back(this);
        mRegistered = true;
    }
    LeavePool();
}

void TMClient::Unregister()
{
    if (mRegistered) {
        gClients.remove(this);
        mRegistered = false;
    }
    JoinPool();
}

TMItem* TMClient::GetPlace() const
{
    return nullptr;
}

bool TMClient::Seat(TimePoint* order, size_t cursor, float patience)
{
    if (!CanSeat(order, "a"))
        return false;
    Register();
    mPatience = patience;
    mPatient = true;
    SetSkin(order->type, true);
    ReleaseOrder();
    mOrder = order;
    ++mOrder->refCount;
    mOrderCursor = cursor;
    return true;
}

int TMClient::NextOrderEntry(bool peek)
{
    if (!mOrder || mOrderCursor >= mOrder->params.size())
        return kEntryNone;
    int result = kEntrySit;
    if (!EntryIsSit(mOrderCursor)) {
        result = kEntryProduct;
        if (!peek)
            mValue = mOrder->params[mOrderCursor];
    }
    if (!peek)
        ++mOrderCursor;
    return result;
}

void TMClient::Pay()
{
    int amount = 0;
    if (mPatient) {
        if (mConfig) {
            amount = mPatience > gClientTuning.patienceGLevel   ? mConfig->money01G
                     : mPatience > gClientTuning.patienceYLevel ? mConfig->money01Y
                                                                : mConfig->money01R;
            ChangePatience(mConfig->bonusTimeEffect);
        }
        if (mMoneyPart) {
            mMoneyPart->Show(true);
            mMoneyPart->PlayAnimation("activation", false);
        }
        TMEngine::PlaySound("client_positiv");
    } else {
        if (mConfig)
            amount = -mConfig->lossesMoney;
        TMEngine::PlaySound("client_negativ");
        if (gGameBoard)
            gGameBoard->LoseLife();
    }
    if (TMItemBonus* bonus = GetBonusItem())
        bonus->ShowAmount(TMItemBonus::kCash, this, amount, std::wstring());
    if (gGameBoard)
        gGameBoard->AddMoney(amount);
    TutorialEvent(3);
}

bool TMClient::WantsProduct(const std::string& a, const std::string& b) const
{
    if (a == "super" || b == "super")
        return true;
    return !mValue.empty() && (mValue == a || mValue == b);
}

float TMClient::ChangePatience(float delta)
{
    const float before = mPatience;
    if (delta < 0.0f && !TutorialAllows(1))
        delta = 0.0f;
    if (IceRunning()) {
        // The ice reward holds the mood: nothing drains, and the scandal pause does not run down.
        if (delta > 0.0f)
            mPatience += delta;
        if (mScandalCountdown.IsRunning())
            mScandalCountdown.Extend(gFrameDelta);
    } else {
        mPatience += delta;
    }
    if (mPatience > 100.0f)
        mPatience = 100.0f;
    if (mPatience < 0.0f) {
        mPatience = 0.0f;
        mPatient = false;
    }
    if (CrossedAnyLevel(before, mPatience, &RoseThrough))
        SetState(mState);
    return mPatience;
}

void TMClient::ReleaseOrder()
{
    TimePoint* order = mOrder;
    mOrder = nullptr;
    ReleaseClientOrder(order);
}

void TMClient::PlayMoodAnimation()
{
    const char* mood = mPatience > gClientTuning.patienceGLevel   ? "idle_green"
                       : mPatience > gClientTuning.patienceYLevel ? "idle_yellow"
                                                                  : "discontent";
    SetAnimation(mood, false);
}

void TMClient::SetMoodHolds()
{
    if (!mConfig)
        return;
    for (const char* animation : {"idle_green", "idle_yellow", "discontent"})
        SetAnimationPause(animation, mConfig->idleStopFrame, mConfig->idleRestartMin, mConfig->idleRestartMax);
}

bool TMClient::EntryIsSit(size_t index) const
{
    return mOrder && index < mOrder->params.size() && mOrder->params[index] == "sit";
}

bool TMClient::SitAhead() const
{
    if (!mOrder)
        return false;
    for (size_t i = mOrderCursor; i < mOrder->params.size(); ++i) {
        if (EntryIsSit(i))
            return true;
    }
    return false;
}

// ---- TMClientStand -----------------------------------------------------------------------------------------------

TMClientStand::~TMClientStand()
{
    gStandClientPool.remove(this);
    const auto found = gStandClientsByName.find(mName);
    if (found != gStandClientsByName.end() && found->second == this)
        gStandClientsByName.erase(found);
}

void TMClientStand::Activate(bool on)
{
    TMClient::Activate(on);
    if (!on)
        return;
    SetState(0);
    if (mBarPart)
        mBarPart->SetVisible(false);
    mReuseCountdown.Start(0.0f);
}

void TMClientStand::BindPlace()
{
    TMClient::BindPlace();
    mBarPart = mPlace ? mPlace->FindPart("bar") : nullptr;
    if (mPlace && !mBarPart)
        EngineLog("client %s: its place %s has no part \"bar\"", mName.c_str(), mPlace->GetName().c_str());
}

void TMClientStand::Load(pugi::xml_node node)
{
    TMClient::Load(node);
    gStandClientsByName.emplace(mName, this);
}

void TMClientStand::Unload()
{
    const auto found = gStandClientsByName.find(mName);
    if (found != gStandClientsByName.end() && found->second == this)
        gStandClientsByName.erase(found);
    TMClient::Unload();
}

void TMClientStand::Update()
{
    if (mState == 2) {
        if (!mActionCountdown.IsRunning())
            SetState(1);
    } else if (mState == 3) {
        if (SeatSitClient(mOrder, mOrderCursor, mPatience))
            SetState(0);
    }
    TMClient::Update();
}

bool TMClientStand::GetStatAnimName(std::string& name)
{
    if (TMClient::GetStatAnimName(name))
        return true;
    if (mState != 2)
        return false;
    name = "think";
    return true;
}

bool TMClientStand::GetStatIconName(std::string& name)
{
    if (mScandalBubbleCountdown.IsRunning()) {
        name = "aggro";
    } else if (mOrder && mOrderCursor < mOrder->params.size() && !mValue.empty()) {
        name = EntryIsSit(mOrderCursor) ? "client" : "multi_client";
    } else {
        name = "client";
    }
    return true;
}

void TMClientStand::SetState(int state)
{
    if (gStandSetStateRunning)
        return;
    const ReentryGuard guard(gStandSetStateRunning);
    const int old = mState;
    if (state == 0) {
        if (old == 1 || old == 3) {
            mValue.clear();
            Show(false);
            if (mBarPart)
                mBarPart->Show(false);
            mConfig = nullptr;
            ReleaseOrder();
        }
    } else if (state == 2) {
        if (old == 1) {
            if (mConfig)
                mActionCountdown.Start(mConfig->decisionTimeout);
            SetAnimation("idle_thinking", false);
        }
    } else if (state == 1 || state == 3) {
        if (old == 0) {
            Show(true);
            mConfig = FindClientConfig(mSkin);
            if (mConfig && mConfig->hasStartPatience)
                mPatience = mConfig->startPatience;
            SetMoodHolds();
            if (mBarPart)
                mBarPart->Show(true);
            if (mPlace)
                mPlace->SetAnimation(SitAhead() ? "tray" : "pack", true);
            SetAnimation("direct_green", true);
            TMEngine::PlaySound("client_spawn");
        } else {
            if (old == 2 || (old == 1 && state == 3))
                NextOrderEntry(false);
            PlayMoodAnimation();
        }
    }
    TMClient::SetState(state);
}

void TMClientStand::JoinPool()
{
    if (std::find(gStandClientPool.begin(), gStandClientPool.end(), this) != gStandClientPool.end())
        return;
    gStandClientPool.push_back(this);
    mReuseCountdown.Start(gGameBoard ? gGameBoard->GetLevelBonus().clientPause : 0.0f);
}

void TMClientStand::LeavePool()
{
    gStandClientPool.remove(this);
}

TMItem* TMClientStand::GetPlace() const
{
    constexpr size_t kPrefix = sizeof("client") - 1;
    if (mName.size() < kPrefix)
        return nullptr;
    return TMItem::FindByName("client_place" + mName.substr(kPrefix));
}

// ---- TMClientSit -------------------------------------------------------------------------------------------------

TMClientSit::~TMClientSit()
{
    gSitClientPool.remove(this);
    const auto found = gSitClientsByName.find(mName);
    if (found != gSitClientsByName.end() && found->second == this)
        gSitClientsByName.erase(found);
}

void TMClientSit::Activate(bool on)
{
    TMClient::Activate(on);
    if (on)
        SetState(0);
}

void TMClientSit::Load(pugi::xml_node node)
{
    TMClient::Load(node);
    gSitClientsByName.emplace(mName, this);
}

void TMClientSit::Unload()
{
    const auto found = gSitClientsByName.find(mName);
    if (found != gSitClientsByName.end() && found->second == this)
        gSitClientsByName.erase(found);
    TMClient::Unload();
}

void TMClientSit::Update()
{
    TMClient::Update();
    if (mState != 2 || mActionCountdown.IsRunning())
        return;
    switch (NextOrderEntry(true)) {
    case kEntryNone:
        SetState(0);
        break;
    case kEntryProduct:
        SetState(1);
        break;
    default:
        break;
    }
}

bool TMClientSit::GetStatIconName(std::string& name)
{
    name = mScandalBubbleCountdown.IsRunning() ? "aggro" : "small";
    return true;
}

void TMClientSit::SetState(int state)
{
    if (gSitSetStateRunning)
        return;
    const ReentryGuard guard(gSitSetStateRunning);
    const int old = mState;
    if (state == 0) {
        if (old == 1 || old == 2) {
            mValue.clear();
            Show(false);
            mConfig = nullptr;
            ReleaseOrder();
        }
    } else if (state == 1) {
        if (old == 2)
            NextOrderEntry(false);
        if (old == 1 || old == 2)
            PlayMoodAnimation();
    } else if (state == 2 && (old == 0 || old == 1)) {
        if (old == 0) {
            Show(true);
            mConfig = FindClientConfig(mSkin);
            SetMoodHolds();
        }
        if (mConfig)
            mActionCountdown.Start(mConfig->eatingTime);
        SetAnimation("eating_process", true);
    }
    TMClient::SetState(state);
}

int TMClientSit::NextOrderEntry(bool peek)
{
    // A client already at a table passes over a wish to sit down, or it would wait for nothing for ever.
    while (EntryIsSit(mOrderCursor))
        ++mOrderCursor;
    return TMClient::NextOrderEntry(peek);
}

void TMClientSit::JoinPool()
{
    if (std::find(gSitClientPool.begin(), gSitClientPool.end(), this) == gSitClientPool.end())
        gSitClientPool.push_back(this);
}

void TMClientSit::LeavePool()
{
    gSitClientPool.remove(this);
}

TMItem* TMClientSit::GetPlace() const
{
    constexpr size_t kPrefix = sizeof("client_sit") - 1;
    if (mName.size() < kPrefix)
        return nullptr;
    return TMItem::FindByName("client_sit_place" + mName.substr(kPrefix));
}
