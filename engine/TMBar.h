#pragma once

#include "engine/TMCandyWidget.h"
#include "engine/TMTexture.h"

#include <pugixml.hpp>

namespace Pyxo {
class PyxoAppBase;
}

/// A segmented gauge ("tmbar"): the control's width is cut into segments of "seg_width" pixels, drawn with the fill
/// texture up to value / maximum and with the empty texture beyond. Draws only its own two textures. Owns both.
/// Main thread.
class TMBar : public TMCandyWidget {
public:
    explicit TMBar(TMCandyWidget* parent) : TMCandyWidget(parent) {}

    void Draw(Pyxo::Graphics* g) override;
    void Activate() override;
    void Deactivate() override;
    virtual void SetMax(int maximum) { mMaximum = maximum; }
    virtual void SetValue(int value) { mValue = value; }
    /// The common attributes, "seg_width" and the "fill" and "empty" textures.
    virtual void Load(pugi::xml_node node, Pyxo::PyxoAppBase* app);
    /// Both textures take the handle as their only frame.
    virtual void SetTextureAll(const TextureHandle& texture);

    [[nodiscard]] int GetMax() const { return mMaximum; }
    [[nodiscard]] int GetValue() const { return mValue; }
    [[nodiscard]] int GetSegmentWidth() const { return mSegmentWidth; }

protected:
    int mMaximum = 0;
    int mValue = 0;
    TMTexture mFill;
    TMTexture mEmpty;
    int mSegmentWidth = 0; // 0 (missing or unusable) draws nothing
};
