// The flip-book control: frame stepping at its rate, looping or once, the restart when shown again, and the
// control without frames.
#include "engine/TMAnim.h"

#include "graphics/Graphics.h"
#include "tests/engine/ControlTestKit.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace EngineTest;

class TMAnimTest : public ControlFixture {
protected:
    /// The frame index after each of count updates, as digits.
    static std::string Frames(TMAnim& anim, int count)
    {
        std::string frames;
        for (int i = 0; i < count; ++i) {
            anim.Update();
            frames += char('0' + anim.GetFrameIndex());
        }
        return frames;
    }
};

constexpr const char* kLoop = R"(<element type="tmanim" width="16" height="16" fps="8" visible="true">
    <texture texture="red"/><texture texture="green"/><texture texture="blue"/></element>)";
constexpr const char* kOnce = R"(<element type="tmanim" width="16" height="16" fps="8" oneshot="true" visible="true">
    <texture texture="red"/><texture texture="green"/><texture texture="blue"/></element>)";

TEST_F(TMAnimTest, StepsOneFrameEachPeriod)
{
    struct Case {
        const char* name;
        const char* element;
        int intervalMs;
        std::string frames;
    };
    const Case cases[] = {
        {"looping", kLoop, 125, "12012"},
        {"oneshot stops on the last frame", kOnce, 125, "12222"},
        {"about half a period per update", kLoop, 63, "01122"},
        {"several periods per update still step one", kLoop, 500, "12012"},
        {"fps 0 holds the first frame",
         R"(<element type="tmanim" width="16" height="16" visible="true"><texture texture="red"/>
              <texture texture="green"/></element>)",
         125, "00000"},
        {"no frames", R"(<element type="tmanim" width="16" height="16" fps="8" visible="true"/>)", 125, "00000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mEngine->mUpdateInterval = c.intervalMs;
        auto anim = Load<TMAnim>(c.element);
        EXPECT_EQ(Frames(*anim, 5), c.frames);
    }
}

TEST_F(TMAnimTest, TheClockKeepsTheSurplusOfALongFrame)
{
    mEngine->mUpdateInterval = 500;
    auto anim = Load<TMAnim>(kLoop);
    anim->Update();
    EXPECT_FLOAT_EQ(anim->GetClock(), 0.375f);
    anim->Update();
    EXPECT_FLOAT_EQ(anim->GetClock(), 0.75f);
}

TEST_F(TMAnimTest, AOneshotRestartsOnlyWhenShownAgain)
{
    mEngine->mUpdateInterval = 125;
    auto anim = Load<TMAnim>(kOnce);
    EXPECT_EQ(Frames(*anim, 3), "122");
    EXPECT_TRUE(anim->IsStopped());

    anim->SetVisible(false);
    EXPECT_EQ(anim->GetFrameIndex(), 0);
    EXPECT_EQ(Frames(*anim, 2), "00") << "hidden, it does not run";
    anim->SetVisible(true);
    EXPECT_FALSE(anim->IsStopped());
    EXPECT_EQ(Frames(*anim, 3), "122");
}

TEST_F(TMAnimTest, DrawsTheCurrentFrameOverItsRectangle)
{
    mEngine->mUpdateInterval = 125;
    auto anim = Load<TMAnim>(kLoop);
    auto target = Target(20, 20);
    {
        Pyxo::Graphics g(target.get());
        anim->Draw(&g);
    }
    EXPECT_EQ(PixelRow(*target, 8, 2, 4, 5), "RRRR.");
    anim->Update();
    Pyxo::Graphics g(target.get());
    anim->Draw(&g);
    EXPECT_EQ(PixelRow(*target, 8, 2, 4, 5), "GGGG.");

    auto empty = Load<TMAnim>(R"(<element type="tmanim" width="16" height="16" fps="8" visible="true"/>)");
    auto untouched = Target(20, 20);
    Pyxo::Graphics emptyG(untouched.get());
    empty->Draw(&emptyG);
    EXPECT_EQ(PixelRow(*untouched, 8, 2, 4, 5), ".....");
}

} // namespace
