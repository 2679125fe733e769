#pragma once

#include <atomic>
#include <memory>

namespace Pyxo {

class DDImage;
class MemoryImage;

/// One entry of the application's pool of shared images (PyxoAppBase::mSharedImages): the image, null until
/// loaded or when the file could not be read, and the number of ImagePoolRefs that refer to it. The entry owns
/// the image; the application deletes entries whose count is 0 after an update.
struct ImagePoolEntry {
    DDImage* mImage = nullptr;      // owned
    std::atomic<int> mRefCount = 0; // changed on the main and the resource-loading thread
};

/// A counted reference to a shared pool entry, or the holder of an unshared memory image of the program's own.
/// Copies count: a copy refers to the same entry (count + 1) and shares the unshared image, which lives until its
/// last holder releases it, so no copy is left pointing at a deleted image.
/// Releasing the last reference to an entry only raises the application's clean-up flag; the entry and its
/// image stay until the sweep after the next update.
class ImagePoolRef {
public:
    ImagePoolRef() = default;
    explicit ImagePoolRef(ImagePoolEntry* entry); // a null entry counts nothing
    ImagePoolRef(const ImagePoolRef& other);
    ~ImagePoolRef(); // Release

    /// Release, then refer to the other's shared entry only (its unshared image is not taken over).
    ImagePoolRef& operator=(const ImagePoolRef& other);
    ImagePoolRef& operator=(ImagePoolEntry* entry);
    /// Release, then hold and own the image as the unshared image.
    ImagePoolRef& operator=(MemoryImage* image);

    void Release();

    /// The unshared image when set, else the entry's image, else null.
    operator MemoryImage*() const;
    /// The entry's image, null without an entry.
    operator DDImage*() const;

private:
    ImagePoolEntry* mSharedImage = nullptr;      // counted
    std::shared_ptr<MemoryImage> mUnsharedImage; // shared with the copies of this reference
};

} // namespace Pyxo
