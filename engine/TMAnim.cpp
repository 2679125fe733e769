#include "engine/TMAnim.h"

#include "engine/ControlDrawing.h"
#include "engine/TMEngine.h"
#include "engine/TMTexture.h"
#include "engine/XmlConfig.h"
#include "graphics/Graphics.h"

TMAnim::~TMAnim() = default;

void TMAnim::Load(pugi::xml_node node, Pyxo::PyxoAppBase* /*app*/)
{
    LoadCommon(node);
    int32_t fps = 0;
    XmlGetAttrInt(node, "fps", fps);
    mFps = fps;
    bool oneShot = false;
    XmlGetAttrBool(node, "oneshot", oneShot);
    mOneShot = oneShot;
    for (pugi::xml_node child = node.child("texture"); child; child = child.next_sibling("texture")) {
        auto frame = std::make_unique<TMTexture>();
        frame->Load(child, mWidth, mHeight);
        mFrames.push_back(std::move(frame));
    }
    mCurrent = 0;
}

void TMAnim::Activate()
{
    TMCandyWidget::Activate();
    for (auto& frame : mFrames)
        frame->AcquireAll();
    mStopped = false;
    mCurrent = 0;
}

void TMAnim::Deactivate()
{
    TMCandyWidget::Deactivate();
    for (auto& frame : mFrames)
        frame->ReleaseAll();
    mCurrent = 0;
    mStopped = true;
}

void TMAnim::Update()
{
    TMCandyWidget::Update();
    // Without frames there is nothing to step to.
    if (mStopped || mFrames.empty())
        return;
    const TMEngine* engine = TMEngine::GetEngine();
    mClock += static_cast<float>((engine ? engine->mUpdateInterval : 0) / 1000.0);
    if (mFps == 0)
        return;
    const float period = 1.0f / static_cast<float>(mFps);
    // One frame at most per update; the clock keeps the surplus.
    if (period > mClock)
        return;
    mClock -= period;
    if (mCurrent + 1 == mFrames.size()) {
        if (mOneShot)
            mStopped = true;
        else
            mCurrent = 0;
    } else {
        ++mCurrent;
    }
    MarkDirty();
}

void TMAnim::Draw(Pyxo::Graphics* g)
{
    ControlDrawing::SetFadedWhite(g, *this);
    if (mCurrent < mFrames.size())
        mFrames[mCurrent]->Draw(g, Pyxo::Rect(0, 0, mWidth, mHeight));
}
