#include "game/ParticleEffectFunctions.h"

#include "engine/EffectFunctionRegistry.h"
#include "engine/TMEffect.h"
#include "engine/TMParticleSystem.h"
#include "engine/TMTimer.h"

#include <cstdint>
#include <string>

namespace {

ParticleColorKey Key(float age, uint32_t argb)
{
    return {age, static_cast<int32_t>((argb >> 16) & 0xFF), static_cast<int32_t>((argb >> 8) & 0xFF),
            static_cast<int32_t>(argb & 0xFF), static_cast<int32_t>(argb >> 24)};
}

ParticleDescription Stars(const char* texture, float speed, float life, double gravityY)
{
    ParticleDescription d;
    d.texture = texture;
    d.rate = 30.0f;
    d.speed = speed;
    d.startScale = 0.3f;
    d.endScale = 1.2f;
    d.life = life;
    d.x = 400.0f;
    d.y = 300.0f;
    d.gravityY = gravityY;
    d.angle = 0.0f;
    d.spread = 360.0f;
    d.slowDownTime = 1.3f;
    d.variation = 0.5f;
    d.varyFlags = 15;
    d.keyCount = 3;
    d.keys[0] = Key(0.0f, 0x01ffffff);
    d.keys[1] = Key(0.1f, 0xffffffff);
    d.keys[2] = Key(1.01f, 0x01ffffff);
    return d;
}

ParticleDescription Smoke(float x, float y, float angle)
{
    ParticleDescription d;
    d.texture = "fx_work_smoke";
    d.rate = 5.0f;
    d.speed = 30.0f;
    d.startScale = 0.5f;
    d.endScale = 1.0f;
    d.life = 1.5f;
    d.x = x;
    d.y = y;
    d.angle = angle;
    d.spread = 180.0f;
    d.slowDownTime = 1.5f;
    d.variation = 0.5f;
    d.varyFlags = ParticleDescription::kVaryEndScale | ParticleDescription::kVaryLife;
    d.keyCount = 4;
    d.keys[0] = Key(0.0f, 0x01ffffff);
    d.keys[1] = Key(0.2f, 0xffffffff);
    d.keys[2] = Key(0.8f, 0xffffffff);
    d.keys[3] = Key(1.01f, 0x01ffffff);
    return d;
}

TMParticleSystem* System(TMEffect* effect, int32_t slot)
{
    return static_cast<TMParticleSystem*>(effect->GetParam(slot));
}

/// The system in the slot, made from the description when the slot is empty.
TMParticleSystem* SystemOrNew(TMEffect* effect, int32_t slot, const ParticleDescription& description)
{
    TMParticleSystem* system = System(effect, slot);
    if (!system) {
        system = new TMParticleSystem(description, effect);
        effect->SetParam(slot, system);
    }
    return system;
}

} // namespace

int RenderPSFunc(TMEffect* effect)
{
    auto* g = effect ? static_cast<Pyxo::Graphics*>(effect->GetParam(kEffectParamGraphics)) : nullptr;
    if (!g)
        return 0;
    for (int32_t slot = kEffectParamParticles0; slot <= kEffectParamParticles3; ++slot) {
        if (TMParticleSystem* system = System(effect, slot))
            system->Draw(g);
    }
    return 1;
}

int StopPSFunc(TMEffect* effect)
{
    // The graphics of the last draw may be gone by now: its presence is all that is asked.
    if (!effect || !effect->GetParam(kEffectParamGraphics))
        return 0;
    for (int32_t slot = kEffectParamParticles0; slot <= kEffectParamParticles3; ++slot) {
        if (TMParticleSystem* system = System(effect, slot))
            system->StopEmission();
    }
    return 1;
}

int FuncOnGoalExpertPSEffect(EffectCallRecord* call)
{
    TMEffect* effect = call ? call->owner : nullptr;
    if (!effect)
        return 1;
    if (call->t == 0.0f) {
        SystemOrNew(effect, kEffectParamParticles0, Stars("fx_goal_star_small", 400.0f, 1.0f, 20.0))->SetEmitting(true);
        SystemOrNew(effect, kEffectParamParticles0 + 1, Stars("fx_goal_star_big", 300.0f, 0.8f, 50.0))
            ->SetEmitting(true);
    } else if (call->t == 1.0f) {
        const int32_t slots[] = {kEffectParamParticles0, kEffectParamParticles0 + 1};
        for (int32_t slot : slots) {
            if (TMParticleSystem* system = System(effect, slot))
                system->StopEmission();
        }
    }
    return 1;
}

int FuncOnWorkerWorkingPSEffect(EffectCallRecord* call)
{
    TMEffect* effect = call ? call->owner : nullptr;
    if (!effect)
        return 1;
    const auto* x = static_cast<const int32_t*>(effect->GetParam(kEffectParamAnchorX));
    const auto* y = static_cast<const int32_t*>(effect->GetParam(kEffectParamAnchorY));
    const auto* orientation = static_cast<const std::string*>(effect->GetParam(kEffectParamOrientation));
    const auto* mirror = static_cast<const bool*>(effect->GetParam(kEffectParamMirror));
    const bool mirrored = mirror && *mirror;
    int dx = 0;
    int dy = 0;
    float angle = 0.0f;
    if (orientation && *orientation == "tr") {
        dx = mirrored ? -25 : 25;
        dy = -5;
        angle = mirrored ? 139.0f : 228.0f;
    } else if (orientation && *orientation == "br") {
        dx = mirrored ? -24 : 24;
        dy = 2;
        angle = mirrored ? 20.0f : -60.0f;
    }
    const float emitterX = static_cast<float>((x ? *x : 0) + dx);
    const float emitterY = static_cast<float>((y ? *y : 0) + dy);
    SystemOrNew(effect, kEffectParamParticles0, Smoke(emitterX, emitterY, angle))->SetEmitting(true);
    return 1;
}

void RegisterParticleEffectFunctions()
{
    RegisterEffectFunction("RenderPSFunc", &RenderPSFunc);
    RegisterEffectFunction("StopPSFunc", &StopPSFunc);
    RegisterEffectFunction("FuncOnGoalExpertPSEffect", &FuncOnGoalExpertPSEffect);
    RegisterEffectFunction("FuncOnWorkerWorkingPSEffect", &FuncOnWorkerWorkingPSEffect);
}
