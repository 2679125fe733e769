#pragma once

#include <memory>

namespace Pyxo {

class DDImage;
class MemoryImage;
struct ImagePoolEntry;

/// A counted reference to a shared pool entry (graphics/ImagePool.h), or the holder of an unshared memory image
/// of the program's own. Copies, whether constructed or assigned, count: a copy refers to the same entry
/// (count + 1) and shares the unshared image, which lives until its last holder releases it, so no copy is left
/// pointing at a deleted image. Releasing the last reference to an entry only tells the entry's pool; the entry
/// and its image stay until the pool's sweep after the next update.
class ImagePoolRef {
public:
    ImagePoolRef() = default;
    explicit ImagePoolRef(ImagePoolEntry* entry); // a null entry counts nothing
    ImagePoolRef(const ImagePoolRef& other);
    ~ImagePoolRef(); // Release

    /// Release, then refer to what the other refers to, as a copy made by construction does.
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
