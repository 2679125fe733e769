#include "engine/AnimationEffectFunctions.h"

#include "engine/TMEffect.h"

#include <algorithm>

namespace {

template <class T>
T* Param(EffectCallRecord* call, int32_t id)
{
    return call && call->owner ? static_cast<T*>(call->owner->GetParam(id)) : nullptr;
}

} // namespace

int AnimFrameFromProgress(EffectCallRecord* call)
{
    auto* frame = Param<int32_t>(call, kAnimParamFrame);
    const auto* timing = Param<AnimFrameTiming>(call, kAnimParamTiming);
    if (frame && timing && timing->frameCount >= 1)
        *frame = static_cast<int32_t>(static_cast<float>(timing->frameCount - 1) * call->t);
    return 1;
}

int AnimSetEnded(EffectCallRecord* call)
{
    if (auto* ended = Param<bool>(call, kAnimParamEnded))
        *ended = true;
    return 1;
}

int AnimEndAndSetFrame(EffectCallRecord* call)
{
    if (auto* ended = Param<bool>(call, kAnimParamEnded))
        *ended = true;
    auto* frame = Param<int32_t>(call, kAnimParamFrame);
    const auto* timing = Param<AnimFrameTiming>(call, kAnimParamTiming);
    if (frame && timing)
        *frame = static_cast<int32_t>(static_cast<float>(timing->fps) * call->t);
    return 1;
}

void SetupEffectTimersFromTables(TMEffect& effect, std::span<const TimerTableSpec> specs,
                                 std::span<const int> controlCounts, std::span<const TimerControlRecord> controls)
{
    size_t next = 0;
    for (size_t i = 0; i < specs.size(); ++i) {
        effect.AddTimer(specs[i].id);
        TMTimer* timer = effect.GetTimer(specs[i].id);
        timer->Setup(specs[i].setup);
        const int wanted = i < controlCounts.size() ? controlCounts[i] : 0;
        const size_t count = std::min(static_cast<size_t>(std::max(wanted, 0)), controls.size() - next);
        for (size_t c = 0; c < count; ++c) {
            TimerControlRecord control = controls[next++];
            control.owner = &effect;
            timer->AddControl(control);
        }
    }
}
