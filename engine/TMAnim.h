#pragma once

#include "engine/TMCandyWidget.h"
#include "engine/TMTexture.h"

#include <pugixml.hpp>

#include <memory>
#include <vector>

namespace Pyxo {
class PyxoAppBase;
}

/// A flip-book ("tmanim"): one texture set per frame, shown one after another at "fps" frames per second, looping
/// or, with "oneshot", stopping on the last frame. It runs while shown (Activate) and starts again from the first
/// frame each time it is shown. Draws only its current frame; owns its frames. Main thread.
class TMAnim : public TMCandyWidget {
public:
    explicit TMAnim(TMCandyWidget* parent) : TMCandyWidget(parent) {}
    ~TMAnim() override;

    void Update() override;
    void Draw(Pyxo::Graphics* g) override;
    void Activate() override;
    void Deactivate() override;
    virtual void Load(pugi::xml_node node, Pyxo::PyxoAppBase* app);

    /// Index of the frame shown; 0 without frames.
    [[nodiscard]] int GetFrameIndex() const { return static_cast<int>(mCurrent); }
    [[nodiscard]] int GetFrameCount() const { return static_cast<int>(mFrames.size()); }
    [[nodiscard]] bool IsStopped() const { return mStopped; }
    [[nodiscard]] float GetClock() const { return mClock; }

protected:
    float mClock = 0.0f; // seconds toward the next frame
    int mFps = 0;        // 0 holds the first frame
    bool mOneShot = false;
    bool mStopped = true;
    std::vector<std::unique_ptr<TMTexture>> mFrames; // in document order
    size_t mCurrent = 0;                             // frame shown
};
