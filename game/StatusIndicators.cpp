#include "game/StatusIndicators.h"

#include "engine/EngineLog.h"
#include "engine/TMItemPart.h"
#include "game/TIStatSrc.h"
#include "game/TMBoard_Game3.h"
#include "game/TMBoss.h"
#include "game/TMClient.h"
#include "game/TMWorker.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr uint32_t kGreen = 0xFF70F044;
constexpr uint32_t kYellow = 0xFFF9EF4D;
constexpr uint32_t kRed = 0xFFFB2626;
constexpr uint32_t kIce = 0xFF47D6FF;

/// The actor an indicator of this name floats over: the name with the indicator's prefix replaced by the actor's.
TMItem* FindSource(const std::string& name, const char* prefix, const char* actorPrefix)
{
    const std::string lead = prefix;
    if (name.compare(0, lead.size(), lead) != 0)
        return nullptr;
    return TMItem::FindByName(actorPrefix + name.substr(lead.size()));
}

/// Binds the source and places the indicator on it; logs an indicator that leads to no actor.
TIStatSrc* BindSource(TMItem& indicator, TMItem* source, TMItem*& bound)
{
    bound = source;
    TIStatSrc* stat = source ? dynamic_cast<TIStatSrc*>(source) : nullptr;
    if (!stat) {
        bound = nullptr;
        EngineLog("status indicator \"%s\" shows no actor: it stays hidden", indicator.GetName().c_str());
        indicator.SetVisible(false);
        return nullptr;
    }
    indicator.mPosX = source->mPosX;
    indicator.mPosY = source->mPosY;
    return stat;
}

bool BoardIsIced()
{
    return gGameBoard && gGameBoard->GetIceCountdown().IsRunning();
}

void Play(TMItemPart* part, const std::string& animation)
{
    if (part)
        part->PlayAnimation(animation, false);
}

void SetColor(TMItemPart* part, uint32_t color)
{
    if (part)
        part->mTint = color;
}

} // namespace

// ---- Bubble ------------------------------------------------------------------------------------------------------

void TMStatus_Bubble::Activate(bool on)
{
    if (!on)
        return;
    mShown = false;
    mShaking = false;
    mHighlighted = false;
    SetVisible(false);
}

void TMStatus_Bubble::LoadLevelState(pugi::xml_node node)
{
    TMItem::LoadLevelState(node);
    mIconPart = FindPart("status_bubble");
    mProductPart = FindPart("status_production");
    TMItem* source = FindSource(mName, "status_bubble_worker", "worker");
    if (!source)
        source = FindSource(mName, "status_bubble_client", "client");
    mStat = BindSource(*this, source, mSource);
}

void TMStatus_Bubble::ShowStatus(const std::string& wish)
{
    if (wish != "scandal")
        mLastWish = wish;
    if (!mStat)
        return;
    std::string icon;
    mStat->GetStatIconName(icon);
    if (mHighlighted)
        icon += "_active";
    mShownIcon = icon;
    mShownProduct = wish;
    Play(mIconPart, icon);
    Play(mProductPart, wish);
}

void TMStatus_Bubble::HideBubble()
{
    mShown = false;
    mShaking = false;
    mHighlighted = false;
    SendEffectMessage("hide_product_highlight");
    SendEffectMessage("shake_stop");
    SetVisible(false);
}

void TMStatus_Bubble::Update()
{
    TMItem::Update();
    if (!mPresent)
        return;
    if (!mStat)
        return;

    std::string wish;
    const bool answered = mStat->GetStatAnimName(wish);
    if (!answered)
        wish.clear();
    const bool active = answered && mStat->IsStatActive();

    if (!mVisible) {
        if (active) {
            mShown = true;
            SetVisible(true);
            ShowStatus(wish);
        }
        return;
    }
    if (!mShown)
        return;

    if (!active || (wish != mLastWish && wish != "scandal")) {
        HideBubble();
        return;
    }

    if (const auto* worker = dynamic_cast<const TMWorker*>(mSource); worker && mProductPart) {
        const float progress = worker->GetWorkProgress();
        mProductPart->mFillEnabled = progress != -1.0f;
        if (mProductPart->mFillEnabled)
            mProductPart->mFillLevel = 1.0f - progress;
    }

    if (wish == "scandal") {
        if (!mShaking) {
            SendEffectMessage("shake_start");
            mShaking = true;
            ShowStatus(wish);
        }
        if (mHighlighted) {
            SendEffectMessage("hide_product_highlight");
            mHighlighted = false;
            ShowStatus(wish);
        }
        return;
    }

    if (mShaking) {
        SendEffectMessage("shake_stop");
        mShaking = false;
        ShowStatus(wish);
    }
    // An empty wish matches no hand: empty hands hold nothing to highlight.
    const TMBoss* boss = GetBoss();
    const bool held =
        boss && !mLastWish.empty() && (mLastWish == boss->GetFirstHand() || mLastWish == boss->GetSecondHand());
    if (held && !mHighlighted) {
        SendEffectMessage("product_highlight");
        mHighlighted = true;
        ShowStatus(wish);
    } else if (!held && mHighlighted) {
        SendEffectMessage("hide_product_highlight");
        mHighlighted = false;
        ShowStatus(wish);
    }
}

// ---- Client bar --------------------------------------------------------------------------------------------------

void TMStatus_HP_Client::Activate(bool on)
{
    if (!on)
        return;
    mShowing = mStat && mStat->IsStatActive();
    SetVisible(mShowing);
    Play(mBack, "idle");
    mLastValue = 100.0f;
    mLastFrame = -1;
    mLastMood.clear();
}

void TMStatus_HP_Client::LoadLevelState(pugi::xml_node node)
{
    TMItem::LoadLevelState(node);
    mBar = FindPart("status_hp_client");
    mBack = FindPart("status_hp_client_back");
    mSmile = FindPart("status_hp_client_smile");
    for (TMItemPart* part : {mBar, mBack, mSmile}) {
        if (part)
            part->AcquireSkinImages();
    }
    mStat = BindSource(*this, FindSource(mName, "status_hp_client", "client"), mSource);
}

uint32_t TMStatus_HP_Client::GetBarColor() const
{
    return mBar ? mBar->mTint : 0;
}

void TMStatus_HP_Client::Update()
{
    TMItem::Update();
    if (!mPresent)
        return;
    if (!mStat)
        return;

    float p = 0.0f;
    if (!mStat->IsStatActive() || !mStat->GetStatValue(p)) {
        if (mShowing) {
            mShowing = false;
            SetVisible(false);
        }
        return;
    }
    if (!mShowing) {
        mShowing = true;
        SetVisible(true);
    }

    const float g = gClientTuning.patienceGLevel;
    const float y = gClientTuning.patienceYLevel;
    const float r = gClientTuning.patienceRLevel;
    const float g2 = g + 2.0f * (100.0f - g) / 3.0f;
    const float g1 = g + (100.0f - g) / 3.0f;
    const float y1 = y + (g - y) / 2.0f;

    uint32_t color;
    std::string mood;
    int32_t frame;
    if (p >= g) {
        color = kGreen;
        mood = "greenidle";
        frame = p >= g2 ? 6 : p >= g1 ? 5 : 4;
    } else if (p >= y) {
        color = kYellow;
        mood = "yellowidle";
        frame = p >= y1 ? 3 : 2;
    } else {
        color = kRed;
        mood = "redidle";
        frame = p >= r ? 1 : 0;
    }
    if (BoardIsIced()) {
        mood = "freezeidle";
        color = kIce;
    }
    SetColor(mBar, color);

    if (mLastValue > r && p < r)
        SendEffectMessage("on_blink_hp");
    else if (mLastValue < r && p > r)
        SendEffectMessage("off_blink_hp");

    if (frame != mLastFrame) {
        mLastFrame = frame;
        char name[32];
        std::snprintf(name, sizeof(name), "point0%didle", frame);
        Play(mBar, name);
    }
    if (mood != mLastMood) {
        mLastMood = mood;
        Play(mSmile, mood);
    }
    mLastValue = p;
}

// ---- Worker bar --------------------------------------------------------------------------------------------------

void TMStatus_HP_Worker::Activate(bool on)
{
    if (!on || !mStat)
        return;
    SetVisible(true);
    mStat->GetStatValue(mLastValue);
    mLastFrame = -1;
}

void TMStatus_HP_Worker::LoadLevelState(pugi::xml_node node)
{
    TMItem::LoadLevelState(node);
    mBar = FindPart("status_hp_worker");
    mBack = FindPart("status_hp_worker_back");
    for (TMItemPart* part : {mBar, mBack}) {
        if (part)
            part->AcquireSkinImages();
    }
    mStat = BindSource(*this, FindSource(mName, "status_hp_worker", "worker"), mSource);
}

uint32_t TMStatus_HP_Worker::GetBarColor() const
{
    return mBar ? mBar->mTint : 0;
}

void TMStatus_HP_Worker::Update()
{
    TMItem::Update();
    if (!mPresent)
        return;
    float t = 0.0f;
    if (!mStat || !mStat->GetStatValue(t))
        return;

    if (mBack)
        mBack->PlayAnimation("idle", true);

    const float r = gWorkerTuning.tidinessRLevel;
    if (BoardIsIced())
        SetColor(mBar, kIce);
    else if (t > gWorkerTuning.tidinessGLevel)
        SetColor(mBar, kGreen);
    else if (t > gWorkerTuning.tidinessYLevel)
        SetColor(mBar, kYellow);
    else
        SetColor(mBar, kRed);

    if (mLastValue > r && t <= r)
        SendEffectMessage("on_blink_hp");
    else if (mLastValue < r && t >= r)
        SendEffectMessage("off_blink_hp");

    // A tidiness below 0 (never set by the workers) still shows the empty bar.
    const int32_t frame = std::clamp(static_cast<int32_t>(std::ceil(t / 8.333333f)), 0, 12);
    if (frame != mLastFrame) {
        mLastFrame = frame;
        char name[32];
        std::snprintf(name, sizeof(name), "point%02didle", frame);
        Play(mBar, name);
    }
    mLastValue = t;
}
