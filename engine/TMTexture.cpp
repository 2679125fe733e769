#include "engine/TMTexture.h"

#include "engine/NotBuiltYet.h"

TMTexture::TMTexture(const TMTexture& other)
    : mFrames(other.mFrames), mSourceRect(other.mSourceRect), mAdditive(other.mAdditive), mFps(other.mFps),
      mCurrentFrame(other.mCurrentFrame), mFrameCount(other.mFrameCount), mOneShot(other.mOneShot),
      mAccumulator(other.mAccumulator), mShown(other.mShown)
{
}

TMTexture::~TMTexture() = default;

void TMTexture::Load(pugi::xml_node /*node*/, int /*defaultWidth*/, int /*defaultHeight*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMTexture::SetFrame(const TextureHandle& /*handle*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMTexture::AcquireAll()
{
    ENGINE_NOT_BUILT_YET();
}

void TMTexture::ReleaseAll()
{
    ENGINE_NOT_BUILT_YET();
}

void TMTexture::Advance(float /*seconds*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMTexture::Draw(Pyxo::Graphics* /*g*/, const Pyxo::Rect& /*destination*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMTexture::DrawTransformed(Pyxo::Graphics* /*g*/)
{
    ENGINE_NOT_BUILT_YET();
}
