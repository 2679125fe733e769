#include "game/ItemEffectFunctions.h"

#include "engine/EffectFunctionRegistry.h"
#include "engine/EffectTargetList.h"
#include "engine/EngineRandom.h"
#include "engine/TMEffect.h"
#include "engine/TMTimer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>

namespace {

constexpr float kPi = 3.14159265f;

std::span<EffectTarget> Targets(EffectCallRecord* call)
{
    if (!call || !call->owner)
        return {};
    auto* list = static_cast<EffectTargetList*>(call->owner->GetParam(256));
    if (!list || list->count < 1)
        return {};
    const auto count = static_cast<size_t>(std::min(list->count, EffectTargetList::kCapacity));
    return std::span<EffectTarget>(list->entries.data(), count);
}

// The entry at that index, when the host has it: hosts with fewer entries than a setter writes are left alone.
EffectTarget* TargetAt(EffectCallRecord* call, size_t index)
{
    const std::span<EffectTarget> targets = Targets(call);
    return index < targets.size() ? &targets[index] : nullptr;
}

template <class Field, class Value>
int WriteEach(EffectCallRecord* call, Field EffectTarget::*field, Value value)
{
    for (EffectTarget& target : Targets(call)) {
        if (target.*field)
            *(target.*field) = value;
    }
    return 1;
}

int WriteAlpha(EffectCallRecord* call, float alpha)
{
    return WriteEach(call, &EffectTarget::alpha, alpha);
}

int WriteScale(EffectCallRecord* call, float scale)
{
    return WriteEach(call, &EffectTarget::scale, scale);
}

int WriteOffsetY(EffectCallRecord* call, int32_t y)
{
    for (EffectTarget& target : Targets(call)) {
        if (target.offset)
            target.offset->y = y;
    }
    return 1;
}

int WriteColors(EffectCallRecord* call, uint32_t color, uint32_t secondColor)
{
    if (EffectTarget* target = TargetAt(call, 0)) {
        if (target->color)
            *target->color = color;
        if (target->secondColor)
            *target->secondColor = secondColor;
        if (target->alpha)
            *target->alpha = 1.0f;
    }
    return 1;
}

float T(const EffectCallRecord* call)
{
    return call ? call->t : 0.0f;
}

} // namespace

int EffectFadeOne(EffectCallRecord* call)
{
    return WriteAlpha(call, 1.0f);
}

int EffectFadeZero(EffectCallRecord* call)
{
    return WriteAlpha(call, 0.0f);
}

int EffectFadeIn(EffectCallRecord* call)
{
    return WriteAlpha(call, T(call));
}

int EffectFadeOut(EffectCallRecord* call)
{
    return WriteAlpha(call, 1.0f - T(call));
}

int EffectScaleZero(EffectCallRecord* call)
{
    return WriteScale(call, 0.0f);
}

int EffectScaleUpRecoil(EffectCallRecord* call)
{
    // The parabola through (0, 0), (0.9, 1.1) and (1, 1): grows past full size, then settles.
    const float x0 = 0.0f, y0 = 0.0f, x1 = 0.9f, y1 = 1.1f, x2 = 1.0f, y2 = 1.0f;
    const float denominator = (x0 - x1) * (x0 - x2) * (x1 - x2);
    const float a = (x2 * (y1 - y0) + x1 * (y0 - y2) + x0 * (y2 - y1)) / denominator;
    const float b = (x2 * x2 * (y0 - y1) + x1 * x1 * (y2 - y0) + x0 * x0 * (y1 - y2)) / denominator;
    const float c = (x1 * x2 * (x1 - x2) * y0 + x2 * x0 * (x2 - x0) * y1 + x0 * x1 * (x0 - x1) * y2) / denominator;
    const float t = T(call);
    return WriteScale(call, a * t * t + b * t + c);
}

int EffectScaleDownToOne(EffectCallRecord* call)
{
    return WriteScale(call, 1.0f + 1.5f * (1.0f - T(call)));
}

int EffectScaleDown(EffectCallRecord* call)
{
    return WriteScale(call, 1.0f - T(call));
}

int EffectScalePulse(EffectCallRecord* call)
{
    return WriteScale(call, 1.0f + 0.2f * std::sin(kPi * T(call)));
}

int EffectSlideUpAccel(EffectCallRecord* call)
{
    const float t = T(call);
    return WriteOffsetY(call, static_cast<int32_t>(-20.0f * t * t));
}

int EffectSlideFromBottomDecel(EffectCallRecord* call)
{
    const float rest = 1.0f - T(call);
    return WriteOffsetY(call, static_cast<int32_t>(20.0f * rest * rest));
}

int EffectJumpUp(EffectCallRecord* call)
{
    return WriteOffsetY(call, static_cast<int32_t>(-5.0f * std::sin(kPi * T(call))));
}

int EffectShake(EffectCallRecord* call)
{
    for (EffectTarget& target : Targets(call)) {
        if (!target.offset)
            continue;
        target.offset->x = static_cast<int32_t>(RandFloatRange(-2.0f, 2.0f));
        target.offset->y = static_cast<int32_t>(RandFloatRange(-2.0f, 2.0f));
    }
    return 1;
}

int EffectSetCashPenaltyOffset(EffectCallRecord* call)
{
    return WriteOffsetY(call, 50);
}

int EffectSetCheckmarkScalepoint(EffectCallRecord* call)
{
    if (EffectTarget* target = TargetAt(call, 0); target && target->scalePoint)
        *target->scalePoint = {13, 15};
    return 1;
}

int EffectSetCashBonusColor(EffectCallRecord* call)
{
    return WriteColors(call, 0x5aff00ff, 0x000000ff);
}

int EffectSetCashPenaltyColor(EffectCallRecord* call)
{
    return WriteColors(call, 0xff0000ff, 0xffffffff);
}

int EffectSetChainColor(EffectCallRecord* call)
{
    return WriteColors(call, 0xfff7c2ff, 0x4c1900ff);
}

int EffectBlinkHP(EffectCallRecord* call)
{
    if (EffectTarget* target = TargetAt(call, 1); target && target->alpha)
        *target->alpha = 0.5f + 0.5f * std::sin(kPi * T(call));
    return 1;
}

int UpgradeEffectBlink(EffectCallRecord* call)
{
    // Ten short flashes: the item brightens a little ahead of t for the later part of each tenth.
    const float t = T(call);
    const float u = 10.0f * t;
    const float f = u - std::floor(u);
    return WriteAlpha(call, f <= 0.3f ? t : std::min(t + 0.3f, 1.0f));
}

void RegisterItemEffectFunctions()
{
    const struct {
        const char* name;
        EffectFunction function;
    } functions[] = {
        {"EffectFadeOne", EffectFadeOne},
        {"EffectBlinkHPOff", EffectFadeOne},
        {"EffectFadeZero", EffectFadeZero},
        {"EffectFadeIn", EffectFadeIn},
        {"EffectFadeOut", EffectFadeOut},
        {"EffectScaleZero", EffectScaleZero},
        {"EffectScaleUpRecoil", EffectScaleUpRecoil},
        {"EffectScaleDownToOne", EffectScaleDownToOne},
        {"EffectScaleDown", EffectScaleDown},
        {"EffectScalePulse", EffectScalePulse},
        {"EffectSlideUpAccel", EffectSlideUpAccel},
        {"EffectSlideFromBottomDecel", EffectSlideFromBottomDecel},
        {"EffectJumpUp", EffectJumpUp},
        {"EffectShake", EffectShake},
        {"EffectSetCashPenaltyOffset", EffectSetCashPenaltyOffset},
        {"EffectSetCheckmarkScalepoint", EffectSetCheckmarkScalepoint},
        {"EffectSetCashBonusColor", EffectSetCashBonusColor},
        {"EffectSetCashPenaltyColor", EffectSetCashPenaltyColor},
        {"EffectSetChainColor", EffectSetChainColor},
        {"EffectBlinkHP", EffectBlinkHP},
        {"UpgradeEffectBlink", UpgradeEffectBlink},
    };
    for (const auto& entry : functions)
        RegisterEffectFunction(entry.name, entry.function);
}
