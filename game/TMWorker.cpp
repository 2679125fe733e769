#include "game/TMWorker.h"

#include "engine/EngineLog.h"
#include "engine/EngineRandom.h"
#include "engine/GameClock.h"
#include "engine/TMEngine.h"
#include "engine/TMItemPart.h"
#include "engine/TMSoundChannel.h"
#include "engine/TMSoundManager.h"
#include "engine/XmlConfig.h"
#include "game/NamedConfigs.h"
#include "game/ProductMasks.h"
#include "game/ReentryGuard.h"
#include "game/TBoard_Hud.h"
#include "game/TMBoard_Game3.h"
#include "game/TMBoss.h"
#include "game/TutorialScript.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

constexpr const char* kConfigFile = "cfg\\cfg.xml";

/// Shared by every worker: the animations SetState plays may end at once and call back into it.
bool gWorkerSetStateRunning = false;

// Without a game board (a worker on its own) no tutorial runs, no ice lasts and no upgrade is owned.
/// A breakdown costs the no-broke achievement: the board counts it and hides its icon.
void ReportBreakdown()
{
    if (!gGameBoard)
        return;
    gGameBoard->IncrementBreakdownCounter();
    if (TBoard_Hud* hud = gGameBoard->GetHud())
        if (TMCandyWidget* icon = hud->FindChild("ach_4"))
            icon->SetVisible(false);
}

/// The digits that end the name ("worker12" gives "12").
std::string TrailingDigits(const std::string& name)
{
    size_t start = name.size();
    while (start > 0 && std::isdigit(static_cast<unsigned char>(name[start - 1])))
        --start;
    return name.substr(start);
}

} // namespace

std::map<std::string, TMWorker*> gWorkersByName;
std::map<std::string, WorkerConfig> gWorkerConfigs;
WorkerTuning gWorkerTuning;

// ---- Configuration -----------------------------------------------------------------------------------------------

void WorkerConfig::Load(pugi::xml_node node)
{
    XmlGetAttrFloat(node, "work_time", workTime);
    XmlGetAttrFloat(node, "tidiness_up", tidinessUp);
    XmlGetAttrFloat(node, "tidiness_down", tidinessDown);
    XmlGetAttrInt(node, "direct_character_break_frame", breakFrame);
    XmlGetAttrFloat(node, "direct_character_break_time", breakTime);
    XmlGetAttrFloat(node, "upgrade_tidiness_down", upgradeTidinessDown);
    XmlGetAttrFloat(node, "upgrade_work_speed", upgradeWorkSpeed);
    XmlGetAttrFloat(node, "idle_rastart_time_min", idleRestartMin);
    XmlGetAttrFloat(node, "idle_rastart_time_max", idleRestartMax);
    XmlGetAttrInt(node, "idle_stop_frame", idleStopFrame);
    XmlGetAttrString(node, "snd_worker_begin", workSound);
    XmlGetAttrString(node, "product", product);
    XmlGetAttrString(node, "product_type", productType);
}

void LoadWorkersConfig(pugi::xml_node root)
{
    gWorkerConfigs.clear();
    const pugi::xml_node workers = root.child("workers");
    if (!workers) {
        EngineLog("%s: no \"workers\" element; no worker type is configured", kConfigFile);
        return;
    }
    XmlGetAttrFloat(workers, "tidiness_g_level", gWorkerTuning.tidinessGLevel);
    XmlGetAttrFloat(workers, "tidiness_y_level", gWorkerTuning.tidinessYLevel);
    XmlGetAttrFloat(workers, "tidiness_r_level", gWorkerTuning.tidinessRLevel);
    XmlGetAttrFloat(workers, "cleanser_effect", gWorkerTuning.cleanserEffect);
    XmlGetAttrFloat(workers, "brush_effect", gWorkerTuning.brushEffect);
    XmlGetAttrFloat(workers, "worker_alpha_blend_time", gWorkerTuning.alphaBlendTime);
    int32_t sequence = 0; // restarts with every load, so the worker numbers stay the same
    LoadNamedConfigs(workers, "worker", "worker", gWorkerConfigs,
                     [&sequence](WorkerConfig& config) { config.sequence = ++sequence; });
}

void ClearWorkersConfig()
{
    gWorkerConfigs.clear();
}

WorkerConfig* FindWorkerConfig(const std::string& name)
{
    const auto found = gWorkerConfigs.find(name);
    return found == gWorkerConfigs.end() ? nullptr : &found->second;
}

TMWorker* FindWorker(const std::string& name)
{
    const auto found = gWorkersByName.find(name);
    return found == gWorkersByName.end() ? nullptr : found->second;
}

void ClearWorkerBindings()
{
    for (auto& [name, config] : gWorkerConfigs)
        config.boundWorker = nullptr;
}

void CleanAllWorkers(int mode, float amount)
{
    if (mode != 1)
        return;
    for (auto& [name, worker] : gWorkersByName) {
        if (!worker->mPresent)
            continue;
        worker->AddTidiness(amount);
        worker->PlayCleaning();
    }
}

// ---- TMWorker ----------------------------------------------------------------------------------------------------

TMWorker::TMWorker() = default;

TMWorker::~TMWorker() = default;

void TMWorker::Activate(bool on)
{
    TMItem::Activate(on);
    if (!on)
        return;
    mTidinessUpgrade = false;
    mSpeedUpgrade = false;
    mValue.clear();
    mMouseOver = false;
    mState = 0;
    mTidiness = mConfig && mConfig->hasStartTidiness ? mConfig->startTidiness : 100.0f;
    ApplySoiling();
    SetState(0);
    Show(true);
    ApplyUpgrade({});
}

void TMWorker::OnAnimationEnd(TMItemPart* part, const std::string& animation)
{
    TMItem::OnAnimationEnd(part, animation);
    if (!part || part->GetName() != "worker_up")
        return;
    if (animation == "direct_character") {
        if (mState != 0)
            return;
        if (!mGreetingEnded)
            mGreetingEnded = true;
        else
            SetState(0);
        return;
    }
    static const char* const kRepeated[] = {"ready_green_begin",  "ready_green_end",   "switch_work",
                                            "switch_idle",        "cooking_idle",      "cooking_process_01",
                                            "cooking_process_02", "cooking_process_03"};
    if (std::find_if(std::begin(kRepeated), std::end(kRepeated), [&](const char* name) { return animation == name; }) !=
        std::end(kRepeated))
        SetState(mState);
}

void TMWorker::SetMouseOver(Pyxo::Point point, bool over)
{
    const bool changed = over != mMouseOver;
    TMItem::SetMouseOver(point, over);
    if (!changed || !mConfig)
        return;
    if (mState == 0) {
        if (over && mCurrentAnimation != "direct_character") {
            SetAnimation("direct_character", false);
            PlayToFrame(mConfig->breakFrame);
            mGreetingEnded = false;
        } else if (!over && mCurrentAnimation == "direct_character") {
            RemoveAnimationPause("direct_character");
            if (mGreetingEnded)
                PauseAnimation(false);
            else
                mGreetingEnded = true;
        }
    } else if (mState == 2 && over) {
        SetAnimation("ready_green_action", false);
    }
}

void TMWorker::LoadLevelState(pugi::xml_node node)
{
    TMItem::LoadLevelState(node);
    mConfig = FindWorkerConfig(mSkin);
    mWorkSound.reset();
    if (!mConfig) {
        EngineLog("worker \"%s\": type \"%s\" has no \"worker\" in %s; it stays idle", mName.c_str(), mSkin.c_str(),
                  kConfigFile);
    } else {
        mConfig->boundWorker = this;
        TMEngine* engine = TMEngine::GetEngine();
        if (engine && engine->GetSoundRegistry() && !mConfig->workSound.empty())
            mWorkSound.reset(engine->GetSoundRegistry()->CreateChannel(mConfig->workSound));
        for (const char* idle : {"idle_green", "idle_red"})
            SetAnimationPause(idle, mConfig->idleStopFrame, mConfig->idleRestartMin, mConfig->idleRestartMax);
    }

    const std::string digits = TrailingDigits(mName);
    mTable = TMItem::FindByName("table" + digits);
    mSoilParts = {};
    mCleaningPart = nullptr;
    if (!mTable) {
        EngineLog("worker \"%s\": no item \"table%s\"; its workplace shows no dirt", mName.c_str(), digits.c_str());
    } else {
        const auto either = [&](const char* a, const char* b) {
            TMItemPart* part = mTable->FindPart(a);
            return part ? part : mTable->FindPart(b);
        };
        mSoilParts = {mTable->FindPart("soiling_table" + digits), either("soiling_floor01", "soiling_floor02"),
                      either("soiling_front01", "soiling_front02")};
        mCleaningPart = mTable->FindPart("cleaning");
        if (!mSoilParts[0] || !mSoilParts[1] || !mCleaningPart)
            EngineLog("worker \"%s\": table \"%s\" lacks a soiling or \"cleaning\" part; it works without it",
                      mName.c_str(), mTable->GetName().c_str());
        if (mCleaningPart) {
            mCleaningPart->AcquireSkinImages();
            mCleaningPart->Show(false);
        }
    }
    mUpgradeParts = {FindPart("worker_upgrade_1"), FindPart("worker_upgrade_2")};
}

void TMWorker::ReleaseLevelState()
{
    TMItem::ReleaseLevelState();
    mWorkSound.reset();
}
void TMWorker::Load(pugi::xml_node node)
{
    TMItem::Load(node);
    gWorkersByName.emplace(mName, this);
}

void TMWorker::Unload()
{
    TMItem::Unload();
    const auto found = gWorkersByName.find(mName);
    if (found != gWorkersByName.end() && found->second == this)
        gWorkersByName.erase(found);
}

void TMWorker::Update()
{
    TMItem::Update();
    if (!mPresent || !mConfig)
        return;
    switch (mState) {
    case 0:
    case 2:
        if (mTidiness < 100.0f && !TutorialAllows(2)) {
            const float before = mTidiness;
            const float after = AddTidiness(mConfig->tidinessUp * gFrameDelta);
            const auto crossed = [&](float level) { return before <= level && after > level; };
            if (crossed(gWorkerTuning.tidinessRLevel) || crossed(gWorkerTuning.tidinessYLevel) ||
                crossed(gWorkerTuning.tidinessGLevel) || after == 100.0f)
                SetState(mState);
        }
        break;
    case 1:
        mWorkCountdown.Extend(gFrameDelta);
        break;
    case 3:
        if (!TutorialAllows(4))
            mWorkCountdown.Extend(gFrameDelta);
        if (!mWorkCountdown.IsRunning()) {
            SetState(2);
        } else if (TutorialAllows(3)) {
            const float factor = mTidinessUpgrade ? mConfig->upgradeTidinessDown : 1.0f;
            if (AddTidiness(-(mConfig->tidinessDown * gFrameDelta * factor)) <= 0.0f)
                SetState(1);
        }
        break;
    default:
        break;
    }
}

bool TMWorker::Interact(TMItem* by, bool checkOnly, int32_t* /*extra*/)
{
    if (!by || by != gBoss || !mConfig)
        return false;
    const TMBoss* boss = GetBoss();
    if (boss && boss->GetSecondHand() == "wash") {
        if (checkOnly)
            return true;
        AddTidiness(100.0f);
        PlayCleaning();
        TMEngine::PlaySound("worker_clean");
        return false;
    }
    if (mState == 0) {
        if (!checkOnly)
            SetState(3);
        return checkOnly;
    }
    if (mState == 2) {
        const std::string first = by->mValue;
        const std::string second = boss ? boss->GetSecondHand() : std::string();
        if (!TakeIntoHands(first, second, mValue).taken)
            return false;
        if (!checkOnly)
            SetState(0);
        return checkOnly;
    }
    return false;
}

bool TMWorker::ApplyUpgrade(const std::string& /*skin*/)
{
    // The upgrades show through the two parts only; the skin stays the worker's type.
    mTidinessUpgrade = gGameBoard && gGameBoard->IsUpgradeOwned(mSkin, "tidiness");
    mSpeedUpgrade = gGameBoard && gGameBoard->IsUpgradeOwned(mSkin, "speed");
    if (mUpgradeParts[0])
        mUpgradeParts[0]->Show(mSpeedUpgrade);
    if (mUpgradeParts[1])
        mUpgradeParts[1]->Show(mTidinessUpgrade);
    return true;
}

bool TMWorker::GetStatValue(float& value)
{
    if (!mPresent || !mConfig)
        return false;
    value = mTidiness;
    return true;
}

bool TMWorker::GetStatAnimName(std::string& name)
{
    if (!mConfig)
        return false;
    switch (mState) {
    case 1:
        name = "broken";
        return true;
    case 2:
        name = mConfig->productType;
        return true;
    case 3:
        name = "working";
        return true;
    default:
        return false;
    }
}

bool TMWorker::GetStatIconName(std::string& name)
{
    if (!mConfig || mState == 0)
        return false;
    name = mState == 1 ? "broken" : "worker";
    return true;
}

bool TMWorker::GetStatText(std::string& text)
{
    if (!mConfig)
        return false;
    text = mConfig->product;
    return true;
}

void TMWorker::SetState(int state)
{
    if (gWorkerSetStateRunning)
        return;
    const ReentryGuard guard(gWorkerSetStateRunning);
    const int from = mState;
    switch (state) {
    case 0:
        if (from == 0)
            SetAnimation("idle_green", false);
        else if (from == 2)
            SetAnimation("ready_green_end", false);
        break;
    case 1:
        ReportBreakdown();
        if (from == 1) {
            SetAnimation("idle_broken_workplace", false);
        } else if (from == 3) {
            SetAnimation("switch_idle", false);
            TMEngine::PlaySound("worker_broke");
            if (mWorkSound)
                mWorkSound->Pause();
        }
        break;
    case 2:
        if (from == 2) {
            SetAnimation("ready_green_action", false);
        } else if (from == 3) {
            mValue = MergeMasks(mValue, mConfig ? mConfig->product : std::string());
            TMEngine::PlaySound("worker_finish");
            SetAnimation("switch_idle", false);
            TutorialEvent(8);
        }
        break;
    case 3:
        if (from == 0) {
            mWorkCountdown.Start(GetWorkTime());
            if (mWorkSound)
                mWorkSound->Play();
            TutorialEvent(7);
            if (mWorkSound)
                mWorkSound->Resume();
            SetAnimation("switch_work", false);
        } else if (from == 1) {
            if (mWorkSound)
                mWorkSound->Resume();
            SetAnimation("switch_work", false);
        } else if (from == 2) {
            SetAnimation("ready_green_end", false);
            mWorkCountdown.Start(GetWorkTime());
        } else if (from == 3) {
            if (mCurrentAnimation == "ready_green_end") {
                SetAnimation("switch_work", false);
            } else {
                static const char* const kCooking[] = {"cooking_idle", "cooking_process_01", "cooking_process_02",
                                                       "cooking_process_03"};
                SetAnimation(kCooking[RandInt(0, 3)], false);
            }
        }
        break;
    default:
        break;
    }
    mState = state;
}

float TMWorker::AddTidiness(float delta)
{
    if (delta > 0.0f)
        mTidiness = std::min(mTidiness + delta, 100.0f);
    else if (!IsFrozen() && TutorialAllows(3))
        mTidiness = std::max(mTidiness + delta, 0.0f);
    ApplySoiling();
    return mTidiness;
}

void TMWorker::ApplySoiling()
{
    // Integer arithmetic so that a clean workplace (100) shows exactly no dirt.
    const auto alpha = static_cast<uint32_t>(255 - static_cast<int>(std::trunc(mTidiness * 255.0f / 100.0f)));
    for (TMItemPart* part : mSoilParts)
        if (part)
            part->mTint = (alpha << 24) | 0x00FFFFFFu;
}

float TMWorker::GetWorkTime() const
{
    if (!mConfig)
        return 0.0f;
    return mSpeedUpgrade ? mConfig->workTime * mConfig->upgradeWorkSpeed : mConfig->workTime;
}

void TMWorker::PlayCleaning()
{
    if (mCleaningPart) {
        mCleaningPart->Show(true);
        mCleaningPart->PlayAnimation("activation", false);
    }
    if (mState == 1)
        SetState(3);
}

float TMWorker::GetWorkProgress() const
{
    if (mState != 3)
        return -1.0f;
    const float full = GetWorkTime();
    if (full <= 0.0f)
        return 0.0f;
    return std::clamp(mWorkCountdown.GetRemaining() / full, 0.0f, 1.0f);
}

bool TMWorker::IsFrozen() const
{
    return gGameBoard && gGameBoard->GetIceCountdown().IsRunning();
}
