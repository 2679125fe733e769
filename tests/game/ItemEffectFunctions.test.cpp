// The item effect functions over a host's target list: the values they write at given progress, and hosts with
// fewer entries than a setter writes left untouched.
#include "game/ItemEffectFunctions.h"

#include "engine/EffectFunctionRegistry.h"
#include "engine/EffectTargetList.h"
#include "engine/TMEffect.h"
#include "engine/TMTimer.h"
#include "shell/Random15.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <vector>

namespace {

/// The fields of one drawable, as a part holds them.
struct Drawable {
    EffectPoint offset;
    float scale = 7.0f;
    EffectPoint scalePoint;
    float alpha = 7.0f;
    bool visible = true;
    bool unused = false;
    uint32_t color = 7;
    uint32_t secondColor = 7;
};

/// An effect whose parameter 256 lists n drawables.
class Host {
public:
    explicit Host(int n) : mDrawables(static_cast<size_t>(n))
    {
        for (Drawable& d : mDrawables) {
            mList.Register(
                {&d.offset, &d.scale, &d.scalePoint, &d.alpha, &d.visible, &d.unused, &d.color, &d.secondColor});
        }
        mEffect.SetParam(256, &mList);
    }

    int Call(EffectFunction function, float t)
    {
        EffectCallRecord record;
        record.kind = 2;
        record.owner = &mEffect;
        record.t = t;
        return function(&record);
    }

    std::vector<Drawable> mDrawables;

private:
    EffectTargetList mList;
    TMEffect mEffect;
};

TEST(ItemEffectFunctions, ValuesAtGivenProgress)
{
    const struct {
        const char* name;
        float t;
        float Drawable::*field;
        float expected;
    } cases[] = {
        {"EffectScaleUpRecoil", 0.0f, &Drawable::scale, 0.0f},  {"EffectScaleUpRecoil", 0.9f, &Drawable::scale, 1.1f},
        {"EffectScaleUpRecoil", 1.0f, &Drawable::scale, 1.0f},  {"UpgradeEffectBlink", 0.25f, &Drawable::alpha, 0.55f},
        {"UpgradeEffectBlink", 0.52f, &Drawable::alpha, 0.52f}, {"EffectBlinkHPOff", 0.3f, &Drawable::alpha, 1.0f},
        {"EffectFadeOne", 0.3f, &Drawable::alpha, 1.0f},        {"EffectFadeZero", 0.3f, &Drawable::alpha, 0.0f},
        {"EffectFadeIn", 0.3f, &Drawable::alpha, 0.3f},         {"EffectFadeOut", 0.25f, &Drawable::alpha, 0.75f},
        {"EffectScaleZero", 0.5f, &Drawable::scale, 0.0f},      {"EffectScaleDownToOne", 0.0f, &Drawable::scale, 2.5f},
        {"EffectScaleDownToOne", 1.0f, &Drawable::scale, 1.0f}, {"EffectScaleDown", 0.25f, &Drawable::scale, 0.75f},
        {"EffectScalePulse", 0.5f, &Drawable::scale, 1.2f},
    };
    RegisterItemEffectFunctions();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " at " << c.t);
        const EffectFunction function = FindEffectFunction(c.name);
        ASSERT_NE(function, nullptr);
        Host host(2);
        EXPECT_EQ(host.Call(function, c.t), 1);
        for (const Drawable& d : host.mDrawables)
            EXPECT_NEAR(d.*c.field, c.expected, 1e-4f);
    }
}

TEST(ItemEffectFunctions, OffsetsAreTruncatedTowardZero)
{
    const struct {
        EffectFunction function;
        float t;
        int32_t y;
    } cases[] = {
        {EffectJumpUp, 0.5f, -5},
        {EffectJumpUp, 1.0f, 0},
        {EffectJumpUp, 0.1f, -1}, // -1.545
        {EffectSlideUpAccel, 0.5f, -5},
        {EffectSlideUpAccel, 0.6f, -7}, // -7.2
        {EffectSlideFromBottomDecel, 0.5f, 5},
        {EffectSlideFromBottomDecel, 0.0f, 20},
        {EffectSetCashPenaltyOffset, 0.4f, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.t);
        Host host(3);
        host.Call(c.function, c.t);
        for (const Drawable& d : host.mDrawables) {
            EXPECT_EQ(d.offset.y, c.y);
            EXPECT_EQ(d.offset.x, 0);
        }
    }
}

TEST(ItemEffectFunctions, ShakeDrawsEachOffsetAnewFromTheFifteenBitGenerator)
{
    Pyxo::SeedRand15(5);
    Host host(2);
    host.Call(EffectShake, 0.0f);
    Pyxo::SeedRand15(5);
    for (const Drawable& d : host.mDrawables) {
        const float x = static_cast<float>(-2.0f + 4.0f * (Pyxo::Rand15() / 32767.0));
        const float y = static_cast<float>(-2.0f + 4.0f * (Pyxo::Rand15() / 32767.0));
        EXPECT_EQ(d.offset.x, static_cast<int32_t>(x));
        EXPECT_EQ(d.offset.y, static_cast<int32_t>(y));
        EXPECT_LE(std::abs(d.offset.x), 2);
    }
}

TEST(ItemEffectFunctions, SettersWriteOnlyTheEntriesTheHostHas)
{
    Host two(2);
    two.Call(EffectSetCashBonusColor, 0.0f);
    EXPECT_EQ(two.mDrawables[0].color, 0x5aff00ffu);
    EXPECT_EQ(two.mDrawables[0].secondColor, 0x000000ffu);
    EXPECT_EQ(two.mDrawables[0].alpha, 1.0f);
    EXPECT_EQ(two.mDrawables[1].color, 7u) << "the first entry only";
    two.Call(EffectSetCashPenaltyColor, 0.0f);
    EXPECT_EQ(two.mDrawables[0].color, 0xff0000ffu);
    EXPECT_EQ(two.mDrawables[0].secondColor, 0xffffffffu);
    two.Call(EffectSetChainColor, 0.0f);
    EXPECT_EQ(two.mDrawables[0].color, 0xfff7c2ffu);
    EXPECT_EQ(two.mDrawables[0].secondColor, 0x4c1900ffu);
    two.Call(EffectSetCheckmarkScalepoint, 0.0f);
    EXPECT_EQ(two.mDrawables[0].scalePoint.x, 13);
    EXPECT_EQ(two.mDrawables[0].scalePoint.y, 15);
    EXPECT_EQ(two.mDrawables[1].scalePoint.x, 0);
    two.Call(EffectBlinkHP, 0.5f);
    EXPECT_FLOAT_EQ(two.mDrawables[1].alpha, 1.0f);
    EXPECT_EQ(two.mDrawables[0].alpha, 1.0f) << "set by the colour function, not by the blink";

    // One entry: the blink of the second entry has nothing to write.
    Host one(1);
    one.Call(EffectBlinkHP, 0.5f);
    EXPECT_EQ(one.mDrawables[0].alpha, 7.0f);

    // No entries: nothing is written anywhere, whatever the function.
    Host none(0);
    for (const EffectFunction function :
         {EffectSetCheckmarkScalepoint, EffectSetCashBonusColor, EffectSetCashPenaltyColor, EffectSetChainColor,
          EffectBlinkHP, EffectFadeIn, EffectShake})
        EXPECT_EQ(none.Call(function, 0.5f), 1);

    // A host without a list at all.
    TMEffect bare;
    EffectCallRecord record;
    record.owner = &bare;
    EXPECT_EQ(EffectFadeIn(&record), 1);
}

} // namespace
