// The game's particle effect functions: the star bursts made once per effect and restarted, the worker's smoke
// turned by orientation and mirror, and the draw and stop calls that need the graphics of a draw.
#include "game/ParticleEffectFunctions.h"

#include "engine/EffectFunctionRegistry.h"
#include "engine/ParticleSystemTable.h"
#include "engine/TMEffect.h"
#include "engine/TMParticleSystem.h"
#include "engine/TMTimer.h"
#include "graphics/Graphics.h"
#include "tests/engine/EngineTestKit.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace EngineTest;

using ParticleEffectFunctionsTest = EngineFixture;

TMParticleSystem* Slot(TMEffect& effect, int32_t id)
{
    return static_cast<TMParticleSystem*>(effect.GetParam(id));
}

int Call(EffectFunction function, TMEffect& effect, float t)
{
    EffectCallRecord record{2, 0, &effect, 0, t};
    return function(&record);
}

TEST_F(ParticleEffectFunctionsTest, TheStarSystemsAreMadeOnceAndRestarted)
{
    MakeEngine();
    TMEffect effect;
    EXPECT_EQ(Call(&FuncOnGoalExpertPSEffect, effect, 0.0f), 1);
    TMParticleSystem* small = Slot(effect, kEffectParamParticles0);
    TMParticleSystem* big = Slot(effect, kEffectParamParticles0 + 1);
    ASSERT_NE(small, nullptr);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(small->GetDescription().texture, "fx_goal_star_small");
    EXPECT_EQ(big->GetDescription().texture, "fx_goal_star_big");
    EXPECT_FLOAT_EQ(big->GetDescription().life, 0.8f);
    EXPECT_EQ(small->GetMaxParticles(), 30);
    EXPECT_TRUE(small->IsEmitting());
    EXPECT_TRUE(big->IsEmitting());

    Call(&FuncOnGoalExpertPSEffect, effect, 0.5f);
    EXPECT_TRUE(small->IsEmitting()) << "only t 0 and t 1 act";
    Call(&FuncOnGoalExpertPSEffect, effect, 1.0f);
    EXPECT_FALSE(small->IsEmitting());
    EXPECT_FALSE(big->IsEmitting());

    Call(&FuncOnGoalExpertPSEffect, effect, 0.0f);
    EXPECT_EQ(Slot(effect, kEffectParamParticles0), small) << "a second goal message reuses the systems";
    EXPECT_EQ(Slot(effect, kEffectParamParticles0 + 1), big);
    EXPECT_TRUE(small->IsEmitting());
    EXPECT_EQ(mApp->GetParticleSystems()->Count(&effect), 2u);
}

TEST_F(ParticleEffectFunctionsTest, SmokeFollowsTheOrientationAndMirror)
{
    MakeEngine();
    struct Case {
        const char* orientation;
        bool mirror;
        float x, y, angle;
    };
    const Case kCases[] = {
        {"tr", false, 125, 195, 228}, {"br", false, 124, 202, -60}, {"tr", true, 75, 195, 139},
        {"br", true, 76, 202, 20},    {"bl", false, 100, 200, 0},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.orientation) + (c.mirror ? " mirrored" : ""));
        TMEffect effect;
        int32_t x = 100;
        int32_t y = 200;
        std::string orientation = c.orientation;
        bool mirror = c.mirror;
        effect.SetParam(kEffectParamAnchorX, &x);
        effect.SetParam(kEffectParamAnchorY, &y);
        effect.SetParam(kEffectParamOrientation, &orientation);
        effect.SetParam(kEffectParamMirror, &mirror);
        EXPECT_EQ(Call(&FuncOnWorkerWorkingPSEffect, effect, 0.3f), 1);
        TMParticleSystem* smoke = Slot(effect, kEffectParamParticles0);
        ASSERT_NE(smoke, nullptr);
        EXPECT_TRUE(smoke->IsEmitting());
        const ParticleDescription& d = smoke->GetDescription();
        EXPECT_EQ(d.texture, "fx_work_smoke");
        EXPECT_FLOAT_EQ(d.x, c.x);
        EXPECT_FLOAT_EQ(d.y, c.y);
        EXPECT_FLOAT_EQ(d.angle, c.angle);
        EXPECT_EQ(d.keyCount, 4);

        smoke->StopEmission();
        x = 0;
        Call(&FuncOnWorkerWorkingPSEffect, effect, 0.0f);
        EXPECT_EQ(Slot(effect, kEffectParamParticles0), smoke) << "the system is kept, its place too";
        EXPECT_FLOAT_EQ(smoke->GetDescription().x, c.x);
        EXPECT_TRUE(smoke->IsEmitting());
    }
}

TEST_F(ParticleEffectFunctionsTest, DrawAndStopNeedTheGraphicsOfADraw)
{
    MakeEngine();
    RegisterParticleEffectFunctions();
    EXPECT_EQ(FindEffectMessageFunction("RenderPSFunc"), &RenderPSFunc);
    EXPECT_EQ(FindEffectMessageFunction("StopPSFunc"), &StopPSFunc);
    EXPECT_EQ(FindEffectFunction("FuncOnGoalExpertPSEffect"), &FuncOnGoalExpertPSEffect);
    EXPECT_EQ(FindEffectFunction("FuncOnWorkerWorkingPSEffect"), &FuncOnWorkerWorkingPSEffect);

    TMEffect effect;
    Call(&FuncOnGoalExpertPSEffect, effect, 0.0f);
    TMParticleSystem* big = Slot(effect, kEffectParamParticles0 + 1);
    effect.SetParam(kEffectParamParticles0, nullptr);
    EXPECT_EQ(RenderPSFunc(&effect), 0);
    EXPECT_EQ(StopPSFunc(&effect), 0);
    EXPECT_TRUE(big->IsEmitting()) << "nothing stops without the graphics";

    Pyxo::Graphics g;
    effect.SetParam(kEffectParamGraphics, &g);
    EXPECT_EQ(RenderPSFunc(&effect), 1) << "only the system in 259 is drawn";
    EXPECT_EQ(StopPSFunc(&effect), 1);
    EXPECT_FALSE(big->IsEmitting());
}

} // namespace
