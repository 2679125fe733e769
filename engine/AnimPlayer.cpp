#include "engine/AnimPlayer.h"

#include "engine/AnimationEffectFunctions.h"
#include "engine/EngineRandom.h"
#include "engine/GameClock.h"
#include "engine/TMEffect.h"
#include "engine/TMItem.h"
#include "engine/TMItemPart.h"
#include "engine/TMTimer.h"
#include "shell/PyxoAppBase.h"

#include <cstdio>

namespace {

constexpr int32_t kTimer = 1;

TimerControlRecord MakeControl(uint32_t kind, int32_t id, float start, float end, EffectFunction function,
                               TMEffect* owner, bool active)
{
    TimerControlRecord control;
    control.kind = kind | TimerControlRecord::kHasFunction;
    control.id = id;
    control.startTime = start;
    control.endTime = end;
    control.function = function;
    control.owner = owner;
    control.active = active;
    return control;
}

constexpr uint32_t kPoint = 1;
constexpr uint32_t kRange = 2;

} // namespace

AnimPlayer::AnimPlayer(TMItemPart* owner) : mEffect(std::make_unique<TMEffect>()), mOwner(owner)
{
    // Timer 1: forward, runs once, no duration, stopped; its three controls start switched off.
    TimerSetupRecord setup;
    setup.flags = TimerSetupRecord::kDuration | TimerSetupRecord::kDirection | TimerSetupRecord::kType;
    setup.duration = 0.0f;
    setup.direction = TMTimer::Forward;
    setup.type = TMTimer::Usual;
    setup.running = false;
    const TimerTableSpec specs[] = {{kTimer, setup}};
    const int controlCounts[] = {3};
    TMEffect* effect = mEffect.get();
    const TimerControlRecord controls[] = {
        MakeControl(kRange, FrameControl, 0.0f, 1.0f, AnimFrameFromProgress, effect, false),
        MakeControl(kPoint, EndControl, 0.0f, 0.0f, AnimSetEnded, effect, false),
        MakeControl(kPoint, TargetControl, 0.0f, 0.0f, AnimEndAndSetFrame, effect, false),
    };
    SetupEffectTimersFromTables(*mEffect, specs, controlCounts, controls);
    mEffect->SetParam(kAnimParamFrame, &mFrame);
    mEffect->SetParam(kAnimParamEnded, &mEnded);
}

AnimPlayer::~AnimPlayer() = default;

bool AnimPlayer::Load(const std::string& name)
{
    mFrame = 0;
    std::unique_ptr<AnmFile> data = AnmFile::Load("anm\\" + name + ".anm");
    // Indices of the old file mean nothing in a new one.
    mVariants.clear();
    mEffect->RemoveParam(kAnimParamTiming);
    mData = std::move(data);
    if (!mData) {
        mSequence = -1;
        return false;
    }
    CancelPlayToFrame();
    if (mSequence >= mData->Count())
        mSequence = -1;
    if (mSequence >= 0)
        SetSequence(mSequence, false);
    return true;
}

int AnimPlayer::FindSequence(const std::string& name) const
{
    return mData ? mData->Find(name) : -1;
}

AnmFrameBlock* AnimPlayer::CurrentBlock() const
{
    if (!mData)
        return nullptr;
    AnmSequence* sequence = mData->Sequence(mSequence);
    return sequence ? sequence->block : nullptr;
}

bool AnimPlayer::IsRunningTimer() const
{
    const TMTimer* timer = mEffect->GetTimer(kTimer);
    return timer && timer->IsRunning();
}

void AnimPlayer::SetSequence(int index, bool keepTime)
{
    if (index < 0 || !mData)
        return;
    AnmSequence* sequence = mData->Sequence(index);
    if (!sequence)
        return;
    TMTimer* timer = mEffect->GetTimer(kTimer);

    double start = 0.0;
    if (!keepTime)
        mFrame = 0;
    else if (timer)
        start = timer->GetClock();

    if (!sequence->imageRequested) {
        sequence->imageRequested = true;
        if (Pyxo::gPyxoAppBase)
            sequence->image = Pyxo::gPyxoAppBase->GetPooledImage(sequence->fileName, "", nullptr);
    }

    const AnmFrameBlock& block = *sequence->block;
    const float duration =
        block.fps != 0 && block.count > 1 ? static_cast<float>(block.count) / static_cast<float>(block.fps) : 0.0f;
    if (keepTime && duration < start)
        start = 0.0;

    if (timer) {
        TimerSetupRecord setup;
        setup.flags = TimerSetupRecord::kDuration | TimerSetupRecord::kDirection | TimerSetupRecord::kType;
        setup.duration = duration;
        setup.direction = block.mode == AnmFrameBlock::OnceBackward ? TMTimer::Backward : TMTimer::Forward;
        setup.type = block.mode == AnmFrameBlock::Loop ? TMTimer::Cycle : TMTimer::Usual;
        setup.running = duration > 0.0f;
        timer->Setup(setup);
        if (keepTime)
            timer->SetClock(start);
        else
            timer->Restart();
        timer->SetRunning(duration > 0.0f);

        const bool once = block.mode == AnmFrameBlock::OnceForward || block.mode == AnmFrameBlock::OnceBackward;
        TMEffect* effect = mEffect.get();
        timer->ReplaceControl(
            MakeControl(kRange, FrameControl, 0.0f, duration, AnimFrameFromProgress, effect, duration > 0.0f));
        timer->ReplaceControl(MakeControl(kPoint, EndControl, duration, duration, AnimSetEnded, effect,
                                          once && block.count > 1 && duration > 0.0f));
    }
    mTiming = {block.fps, block.count};
    mEffect->SetParam(kAnimParamTiming, &mTiming);
    mSequence = index;
}

int AnimPlayer::PickVariant(const std::string& name)
{
    auto found = mVariants.find(name);
    if (found == mVariants.end()) {
        // Looked up once per name: name01, name02, ... up to the first that is missing.
        std::vector<int> variants;
        for (int n = 1;; ++n) {
            char suffix[16];
            std::snprintf(suffix, sizeof(suffix), "%02d", n);
            const int variant = FindSequence(name + suffix);
            if (variant < 0)
                break;
            variants.push_back(variant);
        }
        found = mVariants.emplace(name, std::move(variants)).first;
    }
    const std::vector<int>& variants = found->second;
    if (variants.empty())
        return -1;
    if (variants.size() == 1)
        return variants[0];
    return variants[static_cast<size_t>(RandInt(0, static_cast<int>(variants.size()) - 1))];
}

bool AnimPlayer::Play(const std::string& name, bool keepTime)
{
    if (!mData || name.empty())
        return false;
    int index = FindSequence(name);
    if (index < 0)
        index = PickVariant(name);
    if (index < 0)
        return false;
    if (!keepTime)
        Stop();
    SetSequence(index, keepTime);
    mState = Playing;
    return true;
}

bool AnimPlayer::PlayVariant(const std::string& name)
{
    if (!mData || name.empty())
        return false;
    const int index = PickVariant(name);
    if (index < 0)
        return false;
    SetSequence(index, true);
    mState = Playing;
    return true;
}

void AnimPlayer::Stop()
{
    if (mState != Playing && mState != Paused)
        return;
    mState = Stopped;
    TMTimer* timer = mEffect->GetTimer(kTimer);
    if (!timer)
        return;
    const bool wasRunning = timer->IsRunning();
    timer->SetRunning(false);
    timer->Restart();
    for (const int32_t control : {FrameControl, EndControl, TargetControl})
        timer->SetControlActive(control, false);
    mTargetFrame = -1;
    if (wasRunning && mOwner && mOwner->GetOwner())
        mOwner->GetOwner()->OnAnimationEnd(mOwner, mOwner->GetCurrentAnimation());
}

bool AnimPlayer::Pause()
{
    if (mState != Playing)
        return false;
    mState = Paused;
    if (TMTimer* timer = mEffect->GetTimer(kTimer))
        timer->SetRunning(false);
    return true;
}

bool AnimPlayer::Resume()
{
    if (mState != Paused)
        return false;
    mState = Playing;
    if (TMTimer* timer = mEffect->GetTimer(kTimer))
        timer->SetRunning(true);
    return true;
}

void AnimPlayer::Update(bool& ended)
{
    ended = false;
    if (mState != Playing)
        return;
    TMTimer* timer = mEffect->GetTimer(kTimer);
    float step = gFrameDelta;
    if (mSync && timer) {
        const float duration = GetDuration();
        step = mSyncFactor * duration - static_cast<float>(timer->GetClock());
        if (step < 0.0f)
            step += duration;
    }
    mEffect->Update(step);

    if (mTargetFrame >= 0 && mEnded) {
        const AnmFrameBlock* block = CurrentBlock();
        if (timer && block && block->fps != 0)
            timer->SetClock(static_cast<double>(mTargetFrame + 1) / block->fps);
        if (timer)
            timer->SetControlActive(TargetControl, false);
        mTargetFrame = -1;
        if (mState == Playing) {
            mState = Paused;
            if (timer)
                timer->SetRunning(false);
        }
    }
    ended = mEnded;
    mEnded = false;
}

void AnimPlayer::CancelPlayToFrame()
{
    if (TMTimer* timer = mEffect->GetTimer(kTimer))
        timer->SetControlActive(TargetControl, false);
    mTargetFrame = -1;
}

bool AnimPlayer::PlayToFrame(int frame)
{
    const AnmFrameBlock* block = CurrentBlock();
    if (!block || frame < 0 || frame >= block->count)
        return false;
    TMTimer* timer = mEffect->GetTimer(kTimer);
    if (block->fps == 0) {
        // No time to run through: stand on the frame now.
        CancelPlayToFrame();
        mFrame = frame;
        if (mState == Playing) {
            mState = Paused;
            if (timer)
                timer->SetRunning(false);
        }
        return true;
    }
    if (!timer)
        return false;
    const float at = static_cast<float>(frame) / static_cast<float>(block->fps);
    TimerControlRecord control = MakeControl(kPoint, TargetControl, at, at, AnimEndAndSetFrame, mEffect.get(), true);
    if (!timer->ReplaceControl(control))
        timer->AddControl(control);
    mTargetFrame = frame;
    return true;
}

AnmSequence* AnimPlayer::GetCurrentSequence()
{
    if (!mData || (mState != Playing && mState != Paused))
        return nullptr;
    return mData->Sequence(mSequence);
}

const AnmFrame* AnimPlayer::GetCurrentFrame()
{
    AnmSequence* sequence = GetCurrentSequence();
    if (!sequence || mFrame < 0 || mFrame >= sequence->block->count)
        return nullptr;
    return &sequence->block->frames[static_cast<size_t>(mFrame)];
}

float AnimPlayer::GetDuration() const
{
    const AnmFrameBlock* block = CurrentBlock();
    if (!block || block->fps == 0)
        return 0.0f;
    return static_cast<float>(block->count) / static_cast<float>(block->fps);
}
