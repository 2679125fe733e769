#include "engine/TextureHandle.h"

#include "engine/TMEngine.h"
#include "engine/TextureTable.h"
#include "graphics/DDImage.h"

#include <mutex>

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
    if (mAcquired)
        return;
    mAcquired = true;
    if (!mRecord)
        return;
    const std::lock_guard guard(mRecord->lock);
    // A failed decode leaves the image null, so the next acquisition from 0 tries again.
    if (mRecord->referenceCount++ == 0 && mRecord->engine)
        mRecord->image = mRecord->engine->GetImage(mRecord->path, true).release();
}

void TextureHandle::Release()
{
    if (!mAcquired)
        return;
    mAcquired = false;
    if (!mRecord)
        return;
    const std::lock_guard guard(mRecord->lock);
    if (mRecord->referenceCount > 0 && --mRecord->referenceCount == 0) {
        delete mRecord->image;
        mRecord->image = nullptr;
    }
}

Pyxo::Image* TextureHandle::GetImage()
{
    Acquire();
    if (!mRecord)
        return nullptr;
    const std::lock_guard guard(mRecord->lock);
    return mRecord->image;
}

void TextureHandle::Reset()
{
    Release();
    mRecord = nullptr;
}
