#include "engine/TMTexture.h"

#include "engine/EngineLog.h"
#include "engine/TMEngine.h"
#include "engine/TextureTable.h"
#include "engine/XmlConfig.h"
#include "graphics/Graphics.h"

#include <algorithm>
#include <cstdio>

namespace {

int AttrInt(pugi::xml_node node, const char* name, int fallback)
{
    int32_t value = fallback;
    XmlGetAttrInt(node, name, value);
    return value;
}

TextureHandle FindTexture(const std::string& id)
{
    TMEngine* engine = TMEngine::GetEngine();
    TextureTable* table = engine ? engine->GetTextureTable() : nullptr;
    if (!table)
        return TextureHandle();
    TextureHandle found = table->Find(id);
    if (!found.GetRecord() && !id.empty())
        EngineContentWarning("texture \"%s\" is not in cfg\\ui.xml; the frame draws nothing", id.c_str());
    return found;
}

} // namespace

TMTexture::TMTexture(const TMTexture& other)
    : mFrames(other.mFrames), mSourceRect(other.mSourceRect), mAdditive(other.mAdditive), mFps(other.mFps),
      mCurrentFrame(other.mCurrentFrame), mFrameCount(other.mFrameCount), mOneShot(other.mOneShot),
      mAccumulator(other.mAccumulator), mShown(other.mShown), mClipRect(other.mClipRect)
{
}

TMTexture::~TMTexture() = default;

void TMTexture::Load(pugi::xml_node node, int defaultWidth, int defaultHeight)
{
    mSourceRect = Pyxo::Rect(AttrInt(node, "u", 0), AttrInt(node, "v", 0), AttrInt(node, "width", defaultWidth),
                             AttrInt(node, "height", defaultHeight));
    mFps = AttrInt(node, "fps", 0);
    const int count = AttrInt(node, "count", 1);
    mOneShot = AttrInt(node, "oneshot", 1);

    std::string base;
    XmlGetAttrString(node, "texture", base, kXmlNarrowSize);
    if (mFps != 0) {
        if (count > kMaxFrames) {
            EngineLog("%s: texture \"%s\" asks for %d frames; only the first %d are looked for",
                      XmlFileOf(node).c_str(), base.c_str(), count, kMaxFrames);
        }
        // The frames are numbered from 0 without a gap: the first number missing from the texture table ends them,
        // so a count far beyond the frames there are costs nothing.
        const int wanted = std::min(count, kMaxFrames);
        for (int i = 0; i < wanted; ++i) {
            char id[kXmlNarrowSize + 16];
            std::snprintf(id, sizeof id, "%s%02d", base.c_str(), i);
            TextureHandle frame = FindTexture(id);
            if (!frame.GetRecord())
                break;
            mFrames.push_back(frame);
        }
    } else {
        mFrames.push_back(FindTexture(base));
    }
    mFrameCount = static_cast<int>(mFrames.size());

    // Exactly "additive": the mode is case-sensitive, and "Additive" draws normally.
    std::string mode;
    mAdditive = XmlGetAttrString(node, "mode", mode) && mode == "additive";
}

void TMTexture::SetFrame(const TextureHandle& handle)
{
    ReleaseAll();
    mFrames.clear();
    mFrames.push_back(handle);
    mFps = 0;
    mCurrentFrame = 0;
    mFrameCount = 1;
    mOneShot = 1;
    mAccumulator = 0.0f;
}

void TMTexture::AcquireAll()
{
    for (TextureHandle& frame : mFrames)
        frame.Acquire();
}

void TMTexture::ReleaseAll()
{
    for (TextureHandle& frame : mFrames)
        frame.Release();
}

void TMTexture::Advance(float seconds)
{
    if (mFps == 0)
        return;
    mAccumulator += seconds;
    const float period = 1.0f / static_cast<float>(mFps);
    // One frame at most per call, whatever the time: the accumulator keeps the surplus.
    if (mAccumulator >= period) {
        ++mCurrentFrame;
        mAccumulator -= period;
    }
    if (mCurrentFrame >= mFrameCount)
        mCurrentFrame = mOneShot != 0 && mFrameCount > 0 ? mFrameCount - 1 : 0;
}

Pyxo::Image* TMTexture::GetCurrentImage()
{
    if (mCurrentFrame < 0 || mCurrentFrame >= static_cast<int>(mFrames.size()))
        return nullptr;
    TextureHandle& frame = mFrames[static_cast<size_t>(mCurrentFrame)];
    return frame.GetRecord() ? frame.GetImage() : nullptr;
}

void TMTexture::Draw(Pyxo::Graphics* g, const Pyxo::Rect& destination)
{
    if (!mShown || !g)
        return;
    Pyxo::Image* image = GetCurrentImage();
    if (!image)
        return;
    if (mAdditive)
        g->SetDrawMode(1);
    g->DrawImageStretchedSrcRect(image, destination, mSourceRect);
    if (mAdditive)
        g->SetDrawMode(0);
}

void TMTexture::DrawTransformed(Pyxo::Graphics* g)
{
    if (!mShown || !g)
        return;
    Pyxo::Image* image = GetCurrentImage();
    if (!image)
        return;
    g->SetColor(mColor);
    if (mAdditive)
        g->SetDrawMode(1);
    g->DrawImageMatrix(image, mTransform, mSourceRect, 0.0f, 0.0f);
    if (mAdditive)
        g->SetDrawMode(0);
}

void TMTexture::DrawClipped(Pyxo::Graphics* g)
{
    if (!mShown || !g)
        return;
    Pyxo::Image* image = GetCurrentImage();
    if (!image)
        return;
    // The clip is in screen coordinates like the matrix, so it narrows the graphics' clip directly rather than
    // through ClipRect, which would add the widget's translation.
    const Pyxo::Rect clip = g->mClipRect.Intersection(mClipRect);
    if (clip.mWidth <= 0 || clip.mHeight <= 0)
        return;
    const Pyxo::Rect savedClip = g->mClipRect;
    const int savedMode = g->GetDrawMode();
    g->mClipRect = clip;
    if (mAdditive)
        g->SetDrawMode(1);
    g->DrawImageMatrix(image, mTransform, mSourceRect, 0.0f, 0.0f);
    g->mClipRect = savedClip;
    g->SetDrawMode(savedMode);
}
