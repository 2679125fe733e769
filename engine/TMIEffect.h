#pragma once

/// What an effect changes on its host (an engine widget, a scene item or an item part): alpha, scale, visibility,
/// the scale centre and the drawing offset. Effects hold it borrowed.
class TMIEffect {
public:
    virtual ~TMIEffect() = default;

    virtual void SetAlpha(float alpha) = 0;
    virtual void SetScale(float scale) = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual void SetScalePointX(int x) = 0;
    virtual void SetScalePointY(int y) = 0;
    virtual void SetOffsetX(int x) = 0;
    virtual void SetOffsetY(int y) = 0;

protected:
    TMIEffect() = default;
    TMIEffect(const TMIEffect&) = default;
    TMIEffect& operator=(const TMIEffect&) = default;
};
