#include "graphics/ImagePool.h"

#include "graphics/DDImage.h"
#include "shell/CritSect.h"
#include "shell/StringHelpers.h"

namespace Pyxo {

ImagePool::ImagePool(LockSource lock) : mLock(std::move(lock)) {}

ImagePool::~ImagePool()
{
    // No lock: the owner may be half gone by now, and no other thread runs at its end.
    mEntries.clear();
}

ImagePool::Key ImagePool::KeyOf(const std::string& path, const std::string& variant)
{
    return {StringToUpper(path), StringToUpper(variant)};
}

ImagePoolRef ImagePool::Get(const std::string& path, const std::string& variant, const Reader& read, bool* isNew)
{
    const Key key = KeyOf(path, variant);
    ImagePoolEntry* entry = nullptr;
    bool made = false;
    ImagePoolRef result;
    {
        AutoCrit lock(mLock());
        auto [it, inserted] = mEntries.try_emplace(key);
        entry = &it->second;
        entry->mPool = this;
        made = inserted;
        // Counted under the lock, so that a sweep never frees the entry between the look-up and the count.
        result = entry;
        if (made) {
            std::lock_guard reading(mReadingMutex);
            mReading.insert(entry);
        }
    }
    if (isNew)
        *isNew = made;

    if (!made) {
        // Another caller made the entry and may still be reading its file.
        std::unique_lock reading(mReadingMutex);
        mRead.wait(reading, [&] { return mReading.count(entry) == 0; });
        return result;
    }

    std::unique_ptr<DDImage> image = read ? read() : nullptr;
    {
        AutoCrit lock(mLock());
        entry->mImage = std::move(image);
    }
    {
        std::lock_guard reading(mReadingMutex);
        mReading.erase(entry);
    }
    mRead.notify_all();
    return result;
}

void ImagePool::Sweep()
{
    if (!mCleanUp.exchange(false))
        return;
    AutoCrit lock(mLock());
    std::erase_if(mEntries, [](const auto& item) { return item.second.mRefCount == 0; });
}

void ImagePool::Clear()
{
    AutoCrit lock(mLock());
    mEntries.clear();
    mCleanUp = false;
}

int ImagePool::RefCount(const std::string& path, const std::string& variant) const
{
    AutoCrit lock(mLock());
    const auto it = mEntries.find(KeyOf(path, variant));
    return it == mEntries.end() ? -1 : it->second.mRefCount.load();
}

size_t ImagePool::Size() const
{
    AutoCrit lock(mLock());
    return mEntries.size();
}

} // namespace Pyxo
