#include "game/DialogEffectFunctions.h"

#include "engine/EffectFunctionRegistry.h"
#include "engine/EffectTargetList.h"
#include "engine/TMCandyWidget.h"
#include "engine/TMEffect.h"
#include "engine/TMEngine.h"
#include "engine/TMText.h"
#include "engine/TMTimer.h"
#include "shell/MersenneTwister.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>

namespace {

constexpr float kPi = 3.14159265f;
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

float T(const EffectCallRecord* call)
{
    return call ? call->t : 0.0f;
}

TMIEffect* Target(const EffectCallRecord* call)
{
    return call && call->owner ? call->owner->GetTarget() : nullptr;
}

// The host widget, which widgets hand their effect as parameter 6; null for any other host (a scene item, an
// animation player), whose parameter slots hold other things.
TMCandyWidget* HostWidget(const EffectCallRecord* call)
{
    return call && call->owner ? static_cast<TMCandyWidget*>(call->owner->GetParam(kEffectParamWidget)) : nullptr;
}

int SetAlpha(const EffectCallRecord* call, float alpha)
{
    if (TMIEffect* target = Target(call))
        target->SetAlpha(alpha);
    return 1;
}

int SetScale(const EffectCallRecord* call, float scale)
{
    if (TMIEffect* target = Target(call))
        target->SetScale(scale);
    return 1;
}

int SetVisible(const EffectCallRecord* call, bool visible)
{
    if (TMIEffect* target = Target(call))
        target->SetVisible(visible);
    return 1;
}

float LayoutWidth(const TMCandyWidget& widget)
{
    return static_cast<float>(widget.mLayoutRect.mWidth);
}

float LayoutHeight(const TMCandyWidget& widget)
{
    return static_cast<float>(widget.mLayoutRect.mHeight);
}

/// Writes offset x = value(widget, t) into the host widget.
template <class Value>
int SetOffsetX(const EffectCallRecord* call, Value value)
{
    if (TMCandyWidget* widget = HostWidget(call))
        widget->mOffsetX = value(*widget, T(call));
    return 1;
}

template <class Value>
int SetOffsetY(const EffectCallRecord* call, Value value)
{
    if (TMCandyWidget* widget = HostWidget(call))
        widget->mOffsetY = value(*widget, T(call));
    return 1;
}

int Trunc(float value)
{
    return static_cast<int>(value);
}

/// The quadratic a t^2 + b t + c through three points, in single precision.
float Parabola(float t, float x0, float y0, float x1, float y1, float x2, float y2)
{
    const float denominator = (x0 - x1) * (x0 - x2) * (x1 - x2);
    const float a = (x2 * (y1 - y0) + x1 * (y0 - y2) + x0 * (y2 - y1)) / denominator;
    const float b = (x2 * x2 * (y0 - y1) + x1 * x1 * (y2 - y0) + x0 * x0 * (y1 - y2)) / denominator;
    const float c = (x1 * x2 * (x1 - x2) * y0 + x2 * x0 * (x2 - x0) * y1 + x0 * x1 * (x0 - x1) * y2) / denominator;
    return a * t * t + b * t + c;
}

/// The dialog moves to x while its child "girl_front" is moved back by as much, so the girl stays in place.
int SlideKeepingGirl(const EffectCallRecord* call, int (*position)(const TMCandyWidget&, float))
{
    TMCandyWidget* widget = HostWidget(call);
    TMCandyWidget* girl = widget ? widget->FindChild("girl_front") : nullptr;
    if (!girl)
        return 1;
    const int x = position(*widget, T(call));
    widget->mOffsetX = x;
    girl->mOffsetX = -x;
    girl->SetAlpha(1.0f);
    return 1;
}

std::span<EffectTarget> TargetList(const EffectCallRecord* call)
{
    if (!call || !call->owner)
        return {};
    auto* list = static_cast<EffectTargetList*>(call->owner->GetParam(kEffectParamTargetList));
    if (!list || list->count < 1)
        return {};
    const auto count = static_cast<size_t>(std::min(list->count, EffectTargetList::kCapacity));
    return std::span<EffectTarget>(list->entries.data(), count);
}

} // namespace

int DlgShow(EffectCallRecord* call)
{
    return SetVisible(call, true);
}

int DlgHide(EffectCallRecord* call)
{
    return SetVisible(call, false);
}

int DlgReset(EffectCallRecord* call)
{
    if (TMIEffect* target = Target(call)) {
        target->SetAlpha(1.0f);
        target->SetScale(1.0f);
        target->SetOffsetX(0);
        target->SetOffsetY(0);
    }
    return 1;
}

int DlgFadeIn(EffectCallRecord* call)
{
    return SetAlpha(call, T(call));
}

int DlgFadeOut(EffectCallRecord* call)
{
    return SetAlpha(call, 1.0f - T(call));
}

int DlgScaleUpRecoil(EffectCallRecord* call)
{
    // Grows past full size to 1.05 at 0.85, then settles at 1.
    return SetScale(call, Parabola(T(call), 0.0f, 0.0f, 0.85f, 1.05f, 1.0f, 1.0f));
}

int DlgScaleUpEaseOut(EffectCallRecord* call)
{
    return SetScale(call, Parabola(T(call), 0.0f, 1.0f, 0.5f, 1.8f, 1.0f, 2.0f));
}

int DlgSmallScaleUpAccel(EffectCallRecord* call)
{
    const float t = T(call);
    return SetScale(call, 1.1f - 0.1f * t * t);
}

int DlgSmallScaleDownAccel(EffectCallRecord* call)
{
    const float t = T(call);
    return SetScale(call, 1.0f - 0.1f * t * t);
}

int DlgBigScaleDownAccel(EffectCallRecord* call)
{
    const float t = T(call);
    return SetScale(call, 1.0f + 3.0f * (1.0f - t * t));
}

int DlgStampSplash(EffectCallRecord* call)
{
    // Falls from four times its size while fading in, as a stamp comes down; at rest from 0.5 of the way.
    const float u = 0.7f * T(call);
    float alpha = 1.0f;
    float scale = 1.0f;
    if (u < 0.4f) {
        alpha = u;
        scale = 4.0f - 6.0f * u;
    } else if (u < 0.5f) {
        alpha = 0.4f + 0.6f * (u - 0.4f);
        scale = 4.0f - 6.0f * u;
    }
    SetAlpha(call, alpha);
    return SetScale(call, scale);
}

int DlgTypeIn(EffectCallRecord* call)
{
    auto* text = dynamic_cast<TMText*>(HostWidget(call));
    if (!text)
        return 1;
    text->SetAlpha(1.0f);
    // Rounded up, so the first character shows as soon as typing starts and the last exactly at the end.
    const float length = static_cast<float>(text->GetExpandedText().size());
    text->SetVisibleLength(Trunc(std::ceil(length * T(call))));
    return 1;
}

int DlgSetCenterScalePoint(EffectCallRecord* call)
{
    if (TMCandyWidget* widget = HostWidget(call)) {
        const Pyxo::Rect& layout = widget->mLayoutRect;
        widget->mScalePointX = layout.mX + layout.mWidth / 2;
        widget->mScalePointY = layout.mY + layout.mHeight / 2;
    }
    return 1;
}

int DlgShiftDown(EffectCallRecord* call)
{
    return SetOffsetY(call, [](const TMCandyWidget& w, float t) { return Trunc(LayoutHeight(w) * t * 0.2f); });
}

int DlgShiftDownAccel(EffectCallRecord* call)
{
    return SetOffsetY(call, [](const TMCandyWidget& w, float t) { return Trunc(t * t * 0.2f * LayoutHeight(w)); });
}

int DlgShiftToRight(EffectCallRecord* call)
{
    return SetOffsetX(call, [](const TMCandyWidget&, float t) { return Trunc(t * 400.0f - 200.0f); });
}

int DlgSlideDownAccel(EffectCallRecord* call)
{
    return SetOffsetY(call, [](const TMCandyWidget& w, float t) { return Trunc(t * t * LayoutHeight(w)); });
}

int DlgSlideRightAccel(EffectCallRecord* call)
{
    return SetOffsetX(call, [](const TMCandyWidget& w, float t) { return Trunc(t * t * LayoutWidth(w)); });
}

int DlgSlideLeftAccel(EffectCallRecord* call)
{
    return SetOffsetX(call, [](const TMCandyWidget& w, float t) { return -Trunc(t * t * LayoutWidth(w)); });
}

int DlgSlideUp20(EffectCallRecord* call)
{
    return SetOffsetY(call, [](const TMCandyWidget&, float t) { return Trunc(-20.0f * t); });
}

int DlgSlideDown20(EffectCallRecord* call)
{
    return SetOffsetY(call, [](const TMCandyWidget&, float t) { return Trunc(-20.0f * (1.0f - t)); });
}

int DlgSlideLeftAccel400(EffectCallRecord* call)
{
    return SetOffsetX(call, [](const TMCandyWidget&, float t) { return 400 - Trunc(400.0f * t * t); });
}

int DlgSlideLeftAccel400M(EffectCallRecord* call)
{
    return SetOffsetX(call, [](const TMCandyWidget&, float t) { return Trunc(-400.0f * t * t); });
}

int DlgSlideFromRightAccel(EffectCallRecord* call)
{
    // In from W to the right of its place, fast at first and slowing to rest.
    return SetOffsetX(call, [](const TMCandyWidget& w, float t) {
        const float s = (1.0f - t) * (1.0f - t);
        return Trunc(LayoutWidth(w) * s);
    });
}

int DlgSlideFromBottomAccel(EffectCallRecord* call)
{
    return SetOffsetY(call, [](const TMCandyWidget& w, float t) {
        const float s = (1.0f - t) * (1.0f - t);
        return Trunc(LayoutHeight(w) * s);
    });
}

int DlgSlideFromLeftAccel(EffectCallRecord* call)
{
    return SetOffsetX(
        call, [](const TMCandyWidget& w, float t) { return Trunc(t * t * LayoutWidth(w)) - w.mLayoutRect.mWidth; });
}

int DlgSlideFromLeftAccel400(EffectCallRecord* call)
{
    return SetOffsetX(call, [](const TMCandyWidget&, float t) { return Trunc(400.0f * t * t); });
}

int DlgSlideFromLeftAccel400M(EffectCallRecord* call)
{
    return SetOffsetX(call, [](const TMCandyWidget&, float t) { return -400 - Trunc(-400.0f * t * t); });
}

int DlgSlideDownAccel485(EffectCallRecord* call)
{
    // From 242 above its place, swinging about it with a shrinking swing, to rest.
    return SetOffsetY(call, [](const TMCandyWidget&, float t) {
        const float rest = (1.0f - t) * (1.0f - t);
        return Trunc(-std::cos(2.0f * kPi * t * t) * 242.0f * rest);
    });
}

int DlgSlideFromBottomAccel485(EffectCallRecord* call)
{
    return SetOffsetY(call, [](const TMCandyWidget&, float t) {
        const float rest = (1.0f - t) * (1.0f - t);
        return Trunc(242.0f * (1.0f - std::sin(2.0f * kPi * t * t)) * rest - 242.0f);
    });
}

int DlgSlideRightAccelGirl(EffectCallRecord* call)
{
    return SlideKeepingGirl(call, [](const TMCandyWidget& w, float t) { return Trunc(t * t * LayoutWidth(w)); });
}

int DlgSlideFromRightAccelGirl(EffectCallRecord* call)
{
    return SlideKeepingGirl(call, [](const TMCandyWidget& w, float t) {
        const float s = (1.0f - t) * (1.0f - t);
        return Trunc(LayoutWidth(w) * s);
    });
}

int DlgUpgradeBtnBlink(EffectCallRecord* call)
{
    TMCandyWidget* widget = HostWidget(call);
    if (!widget)
        return 1;
    // Two dips while the pointer is away; steady under the pointer.
    const float t = T(call);
    float alpha = 1.0f;
    if (!widget->mIsOver) {
        if (t > 0.0f && t <= 0.2f)
            alpha = 1.0f - t / 0.2f;
        else if (t > 0.3f && t <= 0.5f)
            alpha = 1.0f - (t - 0.3f) / 0.2f;
    }
    widget->SetAlpha(alpha);
    return 1;
}

int Rotate360(EffectCallRecord* call)
{
    if (TMCandyWidget* widget = HostWidget(call))
        widget->mRotation = 360.0f * T(call);
    return 1;
}

int SparklingStar(EffectCallRecord* call)
{
    TMCandyWidget* widget = HostWidget(call);
    if (!widget)
        return 1;
    // A widget larger than the screen has no room to move: it goes to the corner instead of a negative range.
    const float rangeX = static_cast<float>(std::max(0, kScreenWidth - widget->mWidth));
    const float rangeY = static_cast<float>(std::max(0, kScreenHeight - widget->mHeight));
    widget->mOffsetX = Trunc(Pyxo::RandFloat(rangeX));
    widget->mOffsetY = Trunc(Pyxo::RandFloat(rangeY));
    widget->mScalePointX = widget->mOffsetX + widget->mWidth / 2;
    widget->mScalePointY = widget->mOffsetY + widget->mHeight / 2;
    return 1;
}

int WidgetsLock(EffectCallRecord* /*call*/)
{
    TMEngine::LockWidgets();
    return 1;
}

int WidgetsUnlock(EffectCallRecord* /*call*/)
{
    TMEngine::UnlockWidgets();
    return 1;
}

int WidgetsLockMessage(TMEffect* /*effect*/)
{
    TMEngine::LockWidgets();
    return 1;
}

int WidgetsUnlockMessage(TMEffect* /*effect*/)
{
    TMEngine::UnlockWidgets();
    return 1;
}

int WindowFadeOut(EffectCallRecord* call)
{
    const std::span<EffectTarget> targets = TargetList(call);
    if (targets.empty())
        return 1;
    const float t = T(call);
    for (EffectTarget& target : targets) {
        if (target.alpha)
            *target.alpha = 1.0f - t;
        if (t == 1.0f && target.visible)
            *target.visible = false;
    }
    return 1;
}

int WindowReset(EffectCallRecord* call)
{
    if (!call || !call->owner)
        return 1;
    if (auto* visible = static_cast<bool*>(call->owner->GetParam(kEffectParamVisible)))
        *visible = true;
    for (EffectTarget& target : TargetList(call)) {
        if (target.visible)
            *target.visible = true;
        if (target.alpha)
            *target.alpha = 1.0f;
    }
    return 1;
}

void RegisterDialogEffectFunctions()
{
    const struct {
        const char* name;
        EffectFunction function;
    } functions[] = {
        {"DlgShow", DlgShow},
        {"EffectItemShow", DlgShow},
        {"DlgHide", DlgHide},
        {"EffectItemHide", DlgHide},
        {"DlgReset", DlgReset},
        {"DlgFadeIn", DlgFadeIn},
        {"DlgFadeOut", DlgFadeOut},
        {"DlgScaleUpRecoil", DlgScaleUpRecoil},
        {"DlgScaleUpEaseOut", DlgScaleUpEaseOut},
        {"DlgSmallScaleUpAccel", DlgSmallScaleUpAccel},
        {"DlgSmallScaleDownAccel", DlgSmallScaleDownAccel},
        {"DlgBigScaleDownAccel", DlgBigScaleDownAccel},
        {"DlgStampSplash", DlgStampSplash},
        {"DlgTypeIn", DlgTypeIn},
        {"DlgSetCenterScalePoint", DlgSetCenterScalePoint},
        {"DlgShiftDown", DlgShiftDown},
        {"DlgShiftDownAccel", DlgShiftDownAccel},
        {"DlgShiftToRight", DlgShiftToRight},
        {"DlgSlideDownAccel", DlgSlideDownAccel},
        {"DlgSlideRightAccel", DlgSlideRightAccel},
        {"DlgSlideLeftAccel", DlgSlideLeftAccel},
        {"DlgSlideUp20", DlgSlideUp20},
        {"DlgSlideDown20", DlgSlideDown20},
        {"DlgSlideLeftAccel400", DlgSlideLeftAccel400},
        {"DlgSlideLeftAccel400M", DlgSlideLeftAccel400M},
        {"DlgSlideFromRightAccel", DlgSlideFromRightAccel},
        {"DlgSlideFromBottomAccel", DlgSlideFromBottomAccel},
        {"DlgSlideFromLeftAccel", DlgSlideFromLeftAccel},
        {"DlgSlideFromLeftAccel400", DlgSlideFromLeftAccel400},
        {"DlgSlideFromLeftAccel400M", DlgSlideFromLeftAccel400M},
        {"DlgSlideDownAccel485", DlgSlideDownAccel485},
        {"DlgSlideFromBottomAccel485", DlgSlideFromBottomAccel485},
        {"DlgSlideRightAccelGirl", DlgSlideRightAccelGirl},
        {"DlgSlideFromRightAccelGirl", DlgSlideFromRightAccelGirl},
        {"DlgUpgradeBtnBlink", DlgUpgradeBtnBlink},
        {"Rotate360", Rotate360},
        {"SparklingStar", SparklingStar},
        {"WidgetsLock", WidgetsLock},
        {"WidgetsUnlock", WidgetsUnlock},
        {"WindowFadeOut", WindowFadeOut},
        {"WindowReset", WindowReset},
    };
    for (const auto& entry : functions)
        RegisterEffectFunction(entry.name, entry.function);
    RegisterEffectFunction("WidgetsLock", WidgetsLockMessage);
    RegisterEffectFunction("WidgetsUnlock", WidgetsUnlockMessage);
}
