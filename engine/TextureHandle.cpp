#include "engine/TextureHandle.h"

#include "engine/NotBuiltYet.h"

TextureHandle& TextureHandle::operator=(const TextureHandle& other)
{
    if (this != &other) {
        Release();
        mRecord = other.mRecord;
        if (other.mAcquired)
            Acquire();
    }
    return *this;
}

TextureHandle::~TextureHandle()
{
    Release();
}

void TextureHandle::Acquire()
{
    ENGINE_NOT_BUILT_YET();
}

void TextureHandle::Release()
{
    if (mAcquired)
        ENGINE_NOT_BUILT_YET();
}

Pyxo::Image* TextureHandle::GetImage()
{
    ENGINE_NOT_BUILT_YET();
    return nullptr;
}

void TextureHandle::Reset()
{
    Release();
    mRecord = nullptr;
}
