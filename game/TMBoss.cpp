#include "game/TMBoss.h"

#include "engine/EngineLog.h"
#include "engine/EngineRandom.h"
#include "engine/ItemFactory.h"
#include "engine/TMEngine.h"
#include "engine/TMItemPart.h"
#include "engine/TMSoundChannel.h"
#include "engine/TMSoundManager.h"
#include "engine/XmlConfig.h"
#include "engine/ZOrder.h"
#include "game/NamedConfigs.h"
#include "game/ProductMasks.h"
#include "game/TMBoard_Game3.h"
#include "game/TMBonus.h"
#include "game/TMClient.h"
#include "game/TMWorker.h"

namespace {

constexpr const char* kConfigFile = "cfg\\cfg.xml";

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
    LoadNamedConfigs(perses, "pers", "character", gPersConfigs);
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

namespace {

/// The worker's state at the check of a wash, read by the real call that follows it.
int gWashedWorkerState = 0;

} // namespace

TMBoss* GetBoss()
{
    return dynamic_cast<TMBoss*>(gBoss);
}

TMBoss::TMBoss()
{
    TMEngine* engine = TMEngine::GetEngine();
    if (engine && engine->GetSoundRegistry())
        mSteps.reset(engine->GetSoundRegistry()->CreateChannel("boss_steps"));
}

TMBoss::~TMBoss()
{
    mSecondHand.clear();
}

void TMBoss::Activate(bool on)
{
    if (on) {
        Show(true);
        BindPers();
        mMovingSeen = false;
        if (mPersConfig) {
            for (const char* idle : {"boss_idle_empty1", "boss_idle_empty2", "boss_idle_full", "boss_idle_second",
                                     "boss_idle_full_second"})
                SetAnimationPause(idle, mPersConfig->idleStopFrame, mPersConfig->idleRestartMin,
                                  mPersConfig->idleRestartMax);
        }
        mValue.clear();
        ApplyAnimation("", nullptr);
        SetMoveState(0);
    } else if (mSteps) {
        mSteps->Stop();
    }
    TMMoveItem::Activate(on);
}

void TMBoss::OnDelayedEvent(int code)
{
    TMMoveItem::OnDelayedEvent(code);
    if (code == 3)
        SetMoveState(0);
    else if (code == 4)
        mMovingSeen = false;
}

void TMBoss::ReleaseLevelState()
{
    TMMoveItem::ReleaseLevelState();
    mValue.clear();
}

void TMBoss::Update()
{
    TMMoveItem::Update();
    if (!IsDelayPending() && IsMoving() != mMovingSeen) {
        mMovingSeen = IsMoving();
        if (mMovingSeen)
            SetMoveState(1);
    }
    if (gGameBoard && gGameBoard->GetSpeedCountdown().IsRunning())
        SetTrail(true, 600.0f, 0.01f);
    else if (gGameBoard && gGameBoard->IsUpgradeOwned("boss", "speed"))
        SetTrail(true, 500.0f, 0.01f);
    else
        SetTrail(false, 0.0f, 0.0f);
}

void TMBoss::SetMoveState(int state)
{
    const bool first = !mValue.empty();
    const bool second = !mSecondHand.empty();
    std::string animation;
    if (state == 0) {
        if (mOrientation != "b")
            SetOrientation("b", false);
        if (first && second)
            animation = "boss_idle_full_second";
        else if (first)
            animation = "boss_idle_full";
        else if (second)
            animation = "boss_idle_second";
        else
            animation = RandInt(0, 1) == 0 ? "boss_idle_empty1" : "boss_idle_empty2";
        if (mSteps)
            mSteps->Stop();
    } else {
        animation = first && second ? "boss_move_full_second"
                    : first         ? "boss_move_full"
                    : second        ? "boss_move_second"
                                    : "boss_move_empty";
        if (mSteps)
            mSteps->Play();
    }
    SetAnimation(animation, true);
    mMoveState = state;
}

bool TMBoss::Interact(TMItem* object, bool checkOnly, int32_t* /*extra*/)
{
    if (!object)
        return false;
    const bool result = InteractWith(*object, checkOnly);
    if (!checkOnly)
        SetMoveState(mMoveState);
    return checkOnly && result;
}

void TMBoss::ReportChain(bool success, TMItem* object)
{
    if (gGameBoard)
        gGameBoard->GetChainBonus().OnAction(success ? 1 : 0, object);
}

bool TMBoss::InteractWith(TMItem& object, bool checkOnly)
{
    const std::string& name = object.GetName();
    const auto startsWith = [&](const char* prefix) { return name.rfind(prefix, 0) == 0; };

    if (name == "coffeemachine" || name == "super_material" || startsWith("material")) {
        if (!mValue.empty() && !mSecondHand.empty()) {
            ReportChain(false, &object);
            return false;
        }
        if (checkOnly)
            return true;
        (mValue.empty() ? mValue : mSecondHand) = object.mValue;
        ReportChain(true, &object);
        TMEngine::PlaySound("boss_take_item");
        return false;
    }
    if (name == "wash_stand") {
        if (checkOnly)
            return true;
        ReportChain(false, &object);
        if (mSecondHand.empty()) {
            mSecondHand = object.mValue;
            TMEngine::PlaySound("boss_take_item");
        }
        return false;
    }
    if (startsWith("trash_bin")) {
        std::string* hand = !mSecondHand.empty() ? &mSecondHand : !mValue.empty() ? &mValue : nullptr;
        if (!hand)
            return false;
        if (checkOnly)
            return true;
        hand->clear();
        ReportChain(false, &object);
        TMEngine::PlaySound("make_trash");
        return false;
    }
    if (startsWith("tray"))
        return false;
    if (startsWith("table"))
        return InteractWithWorker(object, checkOnly);
    if (startsWith("client_place") || startsWith("client_sit_place")) {
        auto* client = dynamic_cast<TMClient*>(FindPlaceOccupant(&object));
        if (!client)
            return false;
        // The client's own call has served it before this one and it may have moved on or left: the real call
        // only reports the serve, which both checks allowed.
        if (!checkOnly) {
            ReportChain(true, &object);
            return false;
        }
        if (!client->IsVisible()) {
            ReportChain(false, &object);
            return false;
        }
        if (!client->GetWantedProduct().empty() && !client->WantsProduct(mValue, mSecondHand))
            return false;
        return true;
    }
    return false;
}

bool TMBoss::InteractWithWorker(TMItem& table, bool checkOnly)
{
    auto* worker = dynamic_cast<TMWorker*>(FindPlaceOccupant(&table));
    if (!worker || !worker->mPresent)
        return false;
    if (mSecondHand == "wash") {
        if (checkOnly) {
            gWashedWorkerState = worker->GetState();
            return true;
        }
        if (gWashedWorkerState == 1 && mPersConfig)
            PostDelayedEvent(mPersConfig->washTime, 4);
        ReportChain(false, &table);
        mSecondHand.clear();
        return false;
    }
    const WorkerConfig* config = worker->GetConfig();
    const std::string product = config ? config->product : std::string();
    // An empty table shares no slot with anything.
    const bool finished = !worker->mValue.empty() && !MasksCompatible(worker->mValue, product);
    if (!finished) {
        if (checkOnly)
            return true;
        ReportChain(true, &table);
        worker->mValue = "0000";
        return false;
    }
    if (checkOnly)
        return true;
    const HandsAfterTake after = TakeIntoHands(mValue, mSecondHand, worker->mValue);
    if (!after.taken) {
        ReportChain(false, &table);
        return false;
    }
    mValue = after.first;
    mSecondHand = after.second;
    worker->mValue.clear();
    ReportChain(true, &table);
    TMEngine::PlaySound("boss_take_item");
    return false;
}

void TMBoss::BindPers()
{
    mHandParts = {};
    mBodyPart = nullptr;
    TMMoveItem::BindPers();
    size_t next = 0;
    for (const auto& part : mParts) {
        if (part->GetName() == "held_items") {
            // A fifth part replaces the second hand's product.
            mHandParts[std::min(next, mHandParts.size() - 1)] = part.get();
            ++next;
            part->AcquireSkinImages();
            part->Show(false);
        } else if (part->GetName() == "boss") {
            mBodyPart = part.get();
        }
    }
    if (next < mHandParts.size())
        EngineLog("boss \"%s\": %zu \"held_items\" parts of four; the missing hands are not shown", mName.c_str(),
                  next);
    mPersConfig = FindPersConfig(mName);
    if (!mPersConfig)
        EngineLog("boss \"%s\": no \"pers\" of that name in %s; no wash time, speed bonus or idle holds", mName.c_str(),
                  kConfigFile);
}

void TMBoss::UpdateVisual()
{
    TMMoveItem::UpdateVisual();
    const std::string* hands[2] = {&mValue, &mSecondHand};
    for (size_t hand = 0; hand < 2; ++hand) {
        TMItemPart* tray = mHandParts[hand * 2];
        TMItemPart* product = mHandParts[hand * 2 + 1];
        const std::string& held = *hands[hand];
        if (held.empty()) {
            if (tray)
                tray->Show(false);
            if (product)
                product->Show(false);
            continue;
        }
        std::string suffix = mCurrentAnimation;
        if (suffix == "boss_idle_full_second")
            suffix = hand == 0 ? "boss_idle_full" : "boss_idle_second";
        else if (suffix == "boss_move_full_second")
            suffix = hand == 0 ? "boss_move_full" : "boss_move_second";
        if (tray) {
            tray->SetSkin("");
            tray->SetOrientation(mOrientation, false);
            tray->Show(held != "wash");
            tray->PlayAnimation("0000" + suffix, true);
        }
        if (product) {
            product->SetSkin("");
            product->SetOrientation(mOrientation, false);
            product->Show(true);
            product->PlayAnimation(held + suffix, true);
        }
    }
    if (mBodyPart && gZOrder) {
        for (TMItemPart* part : mHandParts)
            if (part)
                gZOrder->AddPartLink(mBodyPart, part);
        if (gGameBoard)
            gGameBoard->SetOrderDirty();
    }
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
