#pragma once

#include "graphics/ImagePoolRef.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>

namespace Pyxo {

class CritSect;
class DDImage;
class ImagePool;

/// One entry of a pool of shared images: the image, null until read or when the file could not be read, and
/// the number of ImagePoolRefs that refer to it. The entry owns the image; its pool owns the entry.
struct ImagePoolEntry {
    std::unique_ptr<DDImage> mImage;
    std::atomic<int> mRefCount = 0; // changed on the main and the resource-loading thread
    ImagePool* mPool = nullptr;     // borrowed; told when the count reaches 0; null outside a pool
};

/// The application's pool of shared images, one entry per (path, variant), case ignored. Owns its entries and
/// their images. An entry whose last reference is released stays, and is handed out again as it is, until the
/// sweep after the next update. Entries are asked for on the main and the resource-loading thread: the entry map
/// is guarded by the lock the pool is given (the display's, so that drawing and the sweep exclude each other),
/// the set of entries still being read by a lock of the pool's own, taken after the map's.
class ImagePool {
public:
    /// The lock that guards the entry map, asked for at each use (the display's may come and go).
    using LockSource = std::function<CritSect&()>;
    /// Reads an entry's image; null when there is none to read.
    using Reader = std::function<std::unique_ptr<DDImage>()>;

    explicit ImagePool(LockSource lock);
    ImagePool(const ImagePool&) = delete;
    ImagePool& operator=(const ImagePool&) = delete;
    ~ImagePool(); // frees what is left, without the lock

    /// A reference to the entry for (path, variant). A new entry is filled by `read`, called once and outside
    /// the lock, so that drawing goes on meanwhile; a request for an entry that is still being read waits for
    /// it. `isNew` (may be null) tells whether this call made the entry.
    ImagePoolRef Get(const std::string& path, const std::string& variant, const Reader& read, bool* isNew);
    /// Called by a reference that released an entry's last count: the next Sweep looks for unused entries.
    void EntryUnused() { mCleanUp = true; }
    [[nodiscard]] bool NeedsSweep() const { return mCleanUp; }
    /// Frees the entries nobody refers to, if a last reference went since the last sweep. Main thread.
    void Sweep();
    /// Frees every entry and its image, referred to or not: the owner's end, with no other thread running.
    void Clear();

    /// The count of the entry for (path, variant); -1 when there is no such entry.
    [[nodiscard]] int RefCount(const std::string& path, const std::string& variant) const;
    [[nodiscard]] size_t Size() const;

private:
    using Key = std::pair<std::string, std::string>; // (PATH, VARIANT) upper-cased

    [[nodiscard]] static Key KeyOf(const std::string& path, const std::string& variant);

    LockSource mLock;
    std::map<Key, ImagePoolEntry> mEntries; // under mLock
    std::atomic<bool> mCleanUp = false;     // an entry's count reached 0 since the last sweep

    std::mutex mReadingMutex;
    std::condition_variable mRead;            // signalled when an entry leaves mReading
    std::set<const ImagePoolEntry*> mReading; // entries whose image is still being read
};

} // namespace Pyxo
