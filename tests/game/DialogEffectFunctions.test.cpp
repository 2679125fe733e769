// The dialog and window effect functions: the values they write into a widget host at given progress, the names
// they are found under, and hosts they cannot act on (no widget, no "girl_front" child, a widget larger than
// the screen) left alone.
#include "game/DialogEffectFunctions.h"

#include "engine/EffectFunctionRegistry.h"
#include "engine/EffectTargetList.h"
#include "engine/TMCandyWidget.h"
#include "engine/TMDialog.h"
#include "engine/TMEffect.h"
#include "engine/TMEngine.h"
#include "engine/TMText.h"
#include "engine/TMTimer.h"
#include "shell/MersenneTwister.h"
#include "tests/engine/EngineTestKit.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <string>
#include <vector>

namespace {

/// A widget with an effect whose slots point at it, as a widget read from the interface description has.
class HostWidget : public TMCandyWidget {
public:
    HostWidget(int x, int y, int width, int height) : TMCandyWidget(nullptr)
    {
        Resize(x, y, width, height);
        mEffect = new TMEffect();
        mEffect->SetParam(3, &mOffsetX);
        mEffect->SetParam(5, &mScalePointX);
        mEffect->SetParam(6, static_cast<TMCandyWidget*>(this));
        mEffect->SetParam(7, &mEffectTargets);
        mEffect->SetTarget(this);
    }
};

int Call(EffectFunction function, TMEffect* owner, float t)
{
    EffectCallRecord record;
    record.kind = 2;
    record.owner = owner;
    record.t = t;
    return function(&record);
}

EffectFunction Named(const char* name)
{
    RegisterDialogEffectFunctions();
    const EffectFunction function = FindEffectFunction(name);
    EXPECT_NE(function, nullptr) << name;
    return function;
}

const char* const kAllNames[] = {
    "DlgShow",
    "DlgHide",
    "DlgReset",
    "DlgFadeIn",
    "DlgFadeOut",
    "DlgScaleUpRecoil",
    "DlgScaleUpEaseOut",
    "DlgSmallScaleUpAccel",
    "DlgSmallScaleDownAccel",
    "DlgBigScaleDownAccel",
    "DlgStampSplash",
    "DlgTypeIn",
    "DlgSetCenterScalePoint",
    "DlgShiftDown",
    "DlgShiftDownAccel",
    "DlgShiftToRight",
    "DlgSlideDownAccel",
    "DlgSlideRightAccel",
    "DlgSlideLeftAccel",
    "DlgSlideUp20",
    "DlgSlideDown20",
    "DlgSlideLeftAccel400",
    "DlgSlideLeftAccel400M",
    "DlgSlideFromRightAccel",
    "DlgSlideFromBottomAccel",
    "DlgSlideFromLeftAccel",
    "DlgSlideFromLeftAccel400",
    "DlgSlideFromLeftAccel400M",
    "DlgSlideDownAccel485",
    "DlgSlideFromBottomAccel485",
    "DlgSlideRightAccelGirl",
    "DlgSlideFromRightAccelGirl",
    "DlgUpgradeBtnBlink",
    "Rotate360",
    "SparklingStar",
    "WidgetsLock",
    "WidgetsUnlock",
    "WindowFadeOut",
    "WindowReset",
};

TEST(DialogEffectFunctions, OffsetsOfA400By300Dialog)
{
    const struct {
        const char* name;
        float t;
        int x;
        int y;
    } cases[] = {
        {"DlgSlideFromRightAccel", 0.0f, 400, 0},
        {"DlgSlideFromRightAccel", 0.5f, 100, 0},
        {"DlgSlideFromRightAccel", 1.0f, 0, 0},
        {"DlgSlideFromBottomAccel", 0.5f, 0, 75},
        {"DlgSlideFromLeftAccel", 0.0f, -400, 0},
        {"DlgSlideFromLeftAccel", 0.5f, -300, 0},
        {"DlgSlideFromLeftAccel", 1.0f, 0, 0},
        {"DlgSlideRightAccel", 0.5f, 100, 0},
        {"DlgSlideLeftAccel", 0.5f, -100, 0},
        {"DlgSlideDownAccel", 0.5f, 0, 75},
        {"DlgShiftDown", 0.5f, 0, 30},
        {"DlgShiftDown", 1.0f, 0, 60},
        {"DlgShiftDownAccel", 0.5f, 0, 15},
        {"DlgShiftToRight", 0.0f, -200, 0},
        {"DlgShiftToRight", 0.75f, 100, 0},
        {"DlgSlideUp20", 0.5f, 0, -10},
        {"DlgSlideUp20", 0.33f, 0, -6}, // -6.6 toward zero
        {"DlgSlideDown20", 0.0f, 0, -20},
        {"DlgSlideDown20", 1.0f, 0, 0},
        {"DlgSlideLeftAccel400", 0.0f, 400, 0},
        {"DlgSlideLeftAccel400", 0.5f, 300, 0},
        {"DlgSlideLeftAccel400M", 0.5f, -100, 0},
        {"DlgSlideFromLeftAccel400", 0.5f, 100, 0},
        {"DlgSlideFromLeftAccel400M", 0.0f, -400, 0},
        {"DlgSlideFromLeftAccel400M", 0.5f, -300, 0},
        {"DlgSlideFromLeftAccel400M", 1.0f, 0, 0},
        {"DlgSlideDownAccel485", 0.0f, 0, -242},
        {"DlgSlideDownAccel485", 0.5f, 0, 0},
        {"DlgSlideDownAccel485", 1.0f, 0, 0},
        {"DlgSlideFromBottomAccel485", 0.0f, 0, 0},
        {"DlgSlideFromBottomAccel485", 0.5f, 0, -242},
        {"DlgSlideFromBottomAccel485", 1.0f, 0, -242},
        {"DlgReset", 0.5f, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " at " << c.t);
        HostWidget widget(10, 20, 400, 300);
        if (std::string(c.name) == "DlgReset") {
            widget.mOffsetX = 7;
            widget.mOffsetY = 7;
        }
        EXPECT_EQ(Call(Named(c.name), widget.GetEffect(), c.t), 1);
        EXPECT_EQ(widget.mOffsetX, c.x);
        EXPECT_EQ(widget.mOffsetY, c.y);
    }
}

TEST(DialogEffectFunctions, AlphaScaleAndRotation)
{
    const struct {
        const char* name;
        float t;
        float TMCandyWidget::*field;
        float expected;
    } cases[] = {
        {"DlgFadeIn", 0.3f, &TMCandyWidget::mAlpha, 0.3f},
        {"DlgFadeOut", 0.25f, &TMCandyWidget::mAlpha, 0.75f},
        {"DlgScaleUpRecoil", 0.0f, &TMCandyWidget::mScale, 0.0f},
        {"DlgScaleUpRecoil", 0.85f, &TMCandyWidget::mScale, 1.05f},
        {"DlgScaleUpRecoil", 1.0f, &TMCandyWidget::mScale, 1.0f},
        {"DlgScaleUpEaseOut", 0.0f, &TMCandyWidget::mScale, 1.0f},
        {"DlgScaleUpEaseOut", 0.5f, &TMCandyWidget::mScale, 1.8f},
        {"DlgScaleUpEaseOut", 1.0f, &TMCandyWidget::mScale, 2.0f},
        {"DlgSmallScaleUpAccel", 0.0f, &TMCandyWidget::mScale, 1.1f},
        {"DlgSmallScaleUpAccel", 1.0f, &TMCandyWidget::mScale, 1.0f},
        {"DlgSmallScaleDownAccel", 1.0f, &TMCandyWidget::mScale, 0.9f},
        {"DlgBigScaleDownAccel", 0.0f, &TMCandyWidget::mScale, 4.0f},
        {"DlgBigScaleDownAccel", 1.0f, &TMCandyWidget::mScale, 1.0f},
        {"DlgStampSplash", 0.0f, &TMCandyWidget::mAlpha, 0.0f},
        {"DlgStampSplash", 0.0f, &TMCandyWidget::mScale, 4.0f},
        {"DlgStampSplash", 0.5f, &TMCandyWidget::mAlpha, 0.35f},
        {"DlgStampSplash", 0.5f, &TMCandyWidget::mScale, 1.9f},
        {"DlgStampSplash", 0.6f, &TMCandyWidget::mAlpha, 0.412f},
        {"DlgStampSplash", 0.6f, &TMCandyWidget::mScale, 1.48f},
        {"DlgStampSplash", 1.0f, &TMCandyWidget::mAlpha, 1.0f},
        {"DlgStampSplash", 1.0f, &TMCandyWidget::mScale, 1.0f},
        {"DlgUpgradeBtnBlink", 0.0f, &TMCandyWidget::mAlpha, 1.0f},
        {"DlgUpgradeBtnBlink", 0.1f, &TMCandyWidget::mAlpha, 0.5f},
        {"DlgUpgradeBtnBlink", 0.25f, &TMCandyWidget::mAlpha, 1.0f},
        {"DlgUpgradeBtnBlink", 0.4f, &TMCandyWidget::mAlpha, 0.5f},
        {"DlgUpgradeBtnBlink", 0.6f, &TMCandyWidget::mAlpha, 1.0f},
        {"DlgReset", 0.5f, &TMCandyWidget::mAlpha, 1.0f},
        {"DlgReset", 0.5f, &TMCandyWidget::mScale, 1.0f},
        {"Rotate360", 0.25f, &TMCandyWidget::mRotation, 90.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " at " << c.t);
        HostWidget widget(10, 20, 400, 300);
        widget.mAlpha = 7.0f;
        widget.mScale = 7.0f;
        EXPECT_EQ(Call(Named(c.name), widget.GetEffect(), c.t), 1);
        EXPECT_NEAR(widget.*c.field, c.expected, 1e-6f);
    }
}

TEST(DialogEffectFunctions, TypeInShowsTheTextCharacterByCharacter)
{
    TMText text(nullptr, nullptr);
    text.SetText(L"Hello");
    text.Update(); // expands the text
    TMEffect* effect = new TMEffect();
    effect->SetParam(6, static_cast<TMCandyWidget*>(&text));
    effect->SetTarget(&text);
    const struct {
        float t;
        int length;
    } cases[] = {{0.0f, 0}, {0.01f, 1}, {0.2f, 1}, {0.21f, 2}, {0.5f, 3}, {1.0f, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.t);
        text.mAlpha = 0.0f;
        EXPECT_EQ(Call(DlgTypeIn, effect, c.t), 1);
        EXPECT_EQ(text.GetVisibleLength(), c.length);
        EXPECT_EQ(text.mAlpha, 1.0f);
    }
    delete effect;

    // Any other widget is left alone.
    HostWidget widget(0, 0, 10, 10);
    widget.mAlpha = 0.0f;
    Call(DlgTypeIn, widget.GetEffect(), 0.5f);
    EXPECT_EQ(widget.mAlpha, 0.0f);
}

TEST(DialogEffectFunctions, BlinkHoldsStillUnderThePointer)
{
    HostWidget widget(0, 0, 10, 10);
    widget.mIsOver = true;
    Call(DlgUpgradeBtnBlink, widget.GetEffect(), 0.1f);
    EXPECT_EQ(widget.mAlpha, 1.0f);
}

TEST(DialogEffectFunctions, VisibilityAndTheItemNames)
{
    for (const char* show : {"DlgShow", "EffectItemShow"}) {
        SCOPED_TRACE(show);
        HostWidget widget(0, 0, 10, 10);
        Call(Named(show), widget.GetEffect(), 0.0f);
        EXPECT_TRUE(widget.mVisible);
        Call(Named(show == std::string("DlgShow") ? "DlgHide" : "EffectItemHide"), widget.GetEffect(), 1.0f);
        EXPECT_FALSE(widget.mVisible);
    }
    EXPECT_EQ(Named("EffectItemShow"), &DlgShow);
    EXPECT_EQ(Named("EffectItemHide"), &DlgHide);
}

TEST(DialogEffectFunctions, ScalePointAtTheLayoutCentre)
{
    HostWidget widget(10, 20, 401, 301);
    Call(DlgSetCenterScalePoint, widget.GetEffect(), 0.5f);
    EXPECT_EQ(widget.mScalePointX, 10 + 200);
    EXPECT_EQ(widget.mScalePointY, 20 + 150);
}

TEST(DialogEffectFunctions, GirlStaysInPlaceWhileTheDialogSlides)
{
    for (const EffectFunction function : {DlgSlideRightAccelGirl, DlgSlideFromRightAccelGirl}) {
        HostWidget widget(0, 0, 400, 300);
        auto* girl = new TMCandyWidget(&widget);
        widget.AddChild("girl_front", girl);
        girl->mAlpha = 0.0f;
        Call(function, widget.GetEffect(), 0.5f);
        EXPECT_EQ(widget.mOffsetX, 100);
        EXPECT_EQ(girl->mOffsetX, -100);
        EXPECT_EQ(girl->mAlpha, 1.0f);

        // Without the child the dialog is left where it is.
        HostWidget alone(0, 0, 400, 300);
        alone.AddChild("girl_back", new TMCandyWidget(&alone));
        Call(function, alone.GetEffect(), 0.5f);
        EXPECT_EQ(alone.mOffsetX, 0);
    }
}

TEST(DialogEffectFunctions, SparklingStarJumpsOnScreenAndAnOversizedOneStaysInTheCorner)
{
    Pyxo::SeedRandom(3);
    for (int i = 0; i < 50; ++i) {
        HostWidget star(0, 0, 40, 20);
        Call(SparklingStar, star.GetEffect(), 0.0f);
        EXPECT_GE(star.mOffsetX, 0);
        EXPECT_LE(star.mOffsetX, 760);
        EXPECT_GE(star.mOffsetY, 0);
        EXPECT_LE(star.mOffsetY, 580);
        EXPECT_EQ(star.mScalePointX, star.mOffsetX + 20);
        EXPECT_EQ(star.mScalePointY, star.mOffsetY + 10);
    }
    HostWidget wide(0, 0, 900, 700);
    Call(SparklingStar, wide.GetEffect(), 0.0f);
    EXPECT_EQ(wide.mOffsetX, 0);
    EXPECT_EQ(wide.mOffsetY, 0);
    EXPECT_EQ(wide.mScalePointX, 450);
    EXPECT_EQ(wide.mScalePointY, 350);
}

/// What an item host's target receives.
class RecordingTarget : public TMIEffect {
public:
    void SetAlpha(float a) override { calls.push_back("alpha " + std::to_string(a)); }
    void SetScale(float s) override { calls.push_back("scale " + std::to_string(s)); }
    void SetVisible(bool v) override { calls.push_back(v ? "shown" : "hidden"); }
    void SetScalePointX(int) override { calls.push_back("point"); }
    void SetScalePointY(int) override { calls.push_back("point"); }
    void SetOffsetX(int x) override { calls.push_back("x " + std::to_string(x)); }
    void SetOffsetY(int y) override { calls.push_back("y " + std::to_string(y)); }
    std::vector<std::string> calls;
};

TEST(DialogEffectFunctions, AHostThatIsNoWidgetIsOnlyReachedThroughItsTarget)
{
    // An animation player's effect: slot 3 holds its end flag, not an offset block.
    bool ended = false;
    RecordingTarget target;
    TMEffect effect;
    effect.SetParam(3, &ended);
    effect.SetTarget(&target);
    for (const char* name : kAllNames) {
        if (std::string(name).rfind("Widgets", 0) == 0)
            continue; // the engine's overlay, not the host
        SCOPED_TRACE(name);
        target.calls.clear();
        EXPECT_EQ(Call(Named(name), &effect, 0.5f), 1);
        EXPECT_FALSE(ended);
        for (const std::string& call : target.calls)
            EXPECT_TRUE(call.rfind("alpha", 0) == 0 || call.rfind("scale ", 0) == 0 || call == "shown" ||
                        call == "hidden" || call == "x 0" || call == "y 0")
                << call;
    }
    target.calls.clear();
    Call(DlgReset, &effect, 0.0f);
    EXPECT_EQ(target.calls, (std::vector<std::string>{"alpha 1.000000", "scale 1.000000", "x 0", "y 0"}));
}

TEST(DialogEffectFunctions, EveryFunctionIsRegisteredAndSurvivesARecordWithoutOwner)
{
    for (const char* name : kAllNames) {
        SCOPED_TRACE(name);
        const EffectFunction function = Named(name);
        ASSERT_NE(function, nullptr);
        EXPECT_EQ(Call(function, nullptr, 0.5f), 1);
        EXPECT_EQ(function(nullptr), 1);
    }
}

TEST(DialogEffectFunctions, WindowFadeOutAndResetOverTheTargetList)
{
    struct Part {
        float alpha = 1.0f;
        bool visible = true;
    } parts[2];
    EffectTargetList list;
    for (Part& part : parts) {
        EffectTarget target;
        target.alpha = &part.alpha;
        target.visible = &part.visible;
        list.Register(target);
    }
    bool hostVisible = false;
    TMEffect effect;
    effect.SetParam(256, &list);

    Call(WindowFadeOut, &effect, 0.75f);
    for (const Part& part : parts) {
        EXPECT_FLOAT_EQ(part.alpha, 0.25f);
        EXPECT_TRUE(part.visible) << "shown until the end";
    }
    Call(WindowFadeOut, &effect, 1.0f);
    for (const Part& part : parts) {
        EXPECT_FLOAT_EQ(part.alpha, 0.0f);
        EXPECT_FALSE(part.visible);
    }

    Call(WindowReset, &effect, 0.0f);
    for (const Part& part : parts) {
        EXPECT_FLOAT_EQ(part.alpha, 1.0f);
        EXPECT_TRUE(part.visible);
    }
    EXPECT_FALSE(hostVisible) << "no visibility slot yet";
    effect.SetParam(257, &hostVisible);
    Call(WindowReset, &effect, 0.0f);
    EXPECT_TRUE(hostVisible);
}

using DialogEffectEngine = EngineTest::EngineFixture;

TEST_F(DialogEffectEngine, WidgetsLockAndUnlockAsControlsAndAsCalls)
{
    MakeEngine();
    RegisterDialogEffectFunctions();
    TMDialog* overlay = TMEngine::GetLockOverlay();
    ASSERT_NE(overlay, nullptr);

    EXPECT_EQ(Call(FindEffectFunction("WidgetsLock"), nullptr, 0.0f), 1);
    EXPECT_TRUE(overlay->mVisible);
    EXPECT_EQ(Call(FindEffectFunction("WidgetsUnlock"), nullptr, 1.0f), 1);
    EXPECT_FALSE(overlay->mVisible);

    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(R"(<effect><messages>
        <message name="lock" timer_id="WidgetsLock" command="call"/>
        <message name="unlock" timer_id="WidgetsUnlock" command="call"/>
    </messages></effect>)"));
    TMEffect effect;
    effect.Load(document.child("effect"));
    ASSERT_TRUE(effect.SendMessage("lock"));
    EXPECT_TRUE(overlay->mVisible);
    ASSERT_TRUE(effect.SendMessage("unlock"));
    EXPECT_FALSE(overlay->mVisible);
}

} // namespace
