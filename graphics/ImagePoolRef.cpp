#include "graphics/ImagePoolRef.h"

#include "graphics/DDImage.h"
#include "graphics/ImagePool.h"
#include "graphics/MemoryImage.h"

#include <utility>

namespace Pyxo {

ImagePoolRef::ImagePoolRef(ImagePoolEntry* entry) : mSharedImage(entry)
{
    if (mSharedImage != nullptr) {
        ++mSharedImage->mRefCount;
    }
}

ImagePoolRef::ImagePoolRef(const ImagePoolRef& other)
    : mSharedImage(other.mSharedImage), mUnsharedImage(other.mUnsharedImage)
{
    if (mSharedImage != nullptr) {
        ++mSharedImage->mRefCount;
    }
}

ImagePoolRef::~ImagePoolRef()
{
    Release();
}

ImagePoolRef& ImagePoolRef::operator=(const ImagePoolRef& other)
{
    if (this == &other) {
        return *this;
    }
    // Take the count and the image first: the other may be the only other holder of the same ones.
    ImagePoolEntry* entry = other.mSharedImage;
    if (entry != nullptr) {
        ++entry->mRefCount;
    }
    std::shared_ptr<MemoryImage> unshared = other.mUnsharedImage;
    Release();
    mSharedImage = entry;
    mUnsharedImage = std::move(unshared);
    return *this;
}

ImagePoolRef& ImagePoolRef::operator=(ImagePoolEntry* entry)
{
    if (entry != nullptr) {
        ++entry->mRefCount;
    }
    Release();
    mSharedImage = entry;
    return *this;
}

ImagePoolRef& ImagePoolRef::operator=(MemoryImage* image)
{
    // Holding the image already: releasing first would delete it under the new owner.
    std::shared_ptr<MemoryImage> keep = image != nullptr && image == mUnsharedImage.get() ? mUnsharedImage : nullptr;
    Release();
    if (keep) {
        mUnsharedImage = std::move(keep);
    } else {
        mUnsharedImage.reset(image);
    }
    return *this;
}

void ImagePoolRef::Release()
{
    mUnsharedImage.reset();
    if (mSharedImage != nullptr) {
        // The entry and its image stay: the pool's sweep after the next update removes entries nobody refers to.
        // The pool is read first: once the count is 0 the sweep on another thread may free the entry.
        ImagePool* pool = mSharedImage->mPool;
        if (mSharedImage->mRefCount.fetch_sub(1) == 1 && pool != nullptr) {
            pool->EntryUnused();
        }
        mSharedImage = nullptr;
    }
}

ImagePoolRef::operator MemoryImage*() const
{
    if (mUnsharedImage) {
        return mUnsharedImage.get();
    }
    return mSharedImage != nullptr ? mSharedImage->mImage.get() : nullptr;
}

ImagePoolRef::operator DDImage*() const
{
    return mSharedImage != nullptr ? mSharedImage->mImage.get() : nullptr;
}

} // namespace Pyxo
