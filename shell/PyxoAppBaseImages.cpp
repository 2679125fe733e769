// The application's images: the set of live memory images, single image files, the pool of shared images and
// image copies.
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/Graphics.h"
#include "graphics/ImageLib.h"
#include "shell/CritSect.h"
#include "shell/PyxoAppBase.h"
#include "shell/StringHelpers.h"

#include <condition_variable>
#include <mutex>
#include <set>

namespace Pyxo {
namespace {

/// Pool entries whose image is still being read, so that a second request waits for the image instead of taking
/// the entry without it. Lock order: the display lock first, then this one.
struct PoolLoads {
    std::mutex mutex;
    std::condition_variable loaded;
    std::set<const ImagePoolEntry*> loading;
};

PoolLoads& ThePoolLoads()
{
    static PoolLoads loads;
    return loads;
}

/// Stands in for the display lock while there is no display yet.
CritSect& NoDisplayLock()
{
    static CritSect lock;
    return lock;
}

/// The display's critical section, which guards the image sets.
CritSect& ImageLock(const PyxoAppBase& app)
{
    return app.mDisplay ? app.mDisplay->mCritSect : NoDisplayLock();
}

} // namespace

void PyxoAppBase::AddMemoryImage(MemoryImage* image)
{
    AutoCrit lock(ImageLock(*this));
    mMemoryImageSet.insert(image);
}

void PyxoAppBase::RemoveMemoryImage(MemoryImage* image)
{
    AutoCrit lock(ImageLock(*this));
    mMemoryImageSet.erase(image);
    if (mDisplay)
        mDisplay->DropTextureData(image);
}

void PyxoAppBase::RemoveImageTextures(MemoryImage* image)
{
    if (mDisplay)
        mDisplay->DropTextureData(image);
}

void PyxoAppBase::RecreateImageSurfaces()
{
    AutoCrit lock(ImageLock(*this));
    for (MemoryImage* image : mMemoryImageSet)
        image->ReInit();
}

void PyxoAppBase::FreeImageCaches()
{
    AutoCrit lock(ImageLock(*this));
    for (MemoryImage* image : mMemoryImageSet)
        image->DeleteNativeData();
}

void PyxoAppBase::DropImageSurfaces()
{
    AutoCrit lock(ImageLock(*this));
    for (MemoryImage* image : mMemoryImageSet)
        image->DeleteExtraBuffers();
}

std::unique_ptr<DDImage> PyxoAppBase::GetImage(const std::string& fileName, bool commitBits)
{
    std::unique_ptr<ImageLib::Image> decoded = ImageLib::GetImage(fileName, true);
    if (!decoded || !decoded->GetBits())
        return nullptr;
    auto image = std::make_unique<DDImage>(mDisplay.get());
    image->mFilePath = fileName;
    image->SetBits(decoded->GetBits(), decoded->GetWidth(), decoded->GetHeight(), commitBits);
    return image;
}

ImagePoolRef PyxoAppBase::GetPooledImage(const std::string& path, const std::string& variant, bool* isNew)
{
    const std::pair<std::string, std::string> key(StringToUpper(path), StringToUpper(variant));
    PoolLoads& loads = ThePoolLoads();
    ImagePoolEntry* entry = nullptr;
    bool inserted = false;
    ImagePoolRef result;
    {
        AutoCrit lock(ImageLock(*this));
        auto [it, made] = mSharedImages.try_emplace(key);
        entry = &it->second;
        inserted = made;
        result = entry;
        if (inserted) {
            std::lock_guard loading(loads.mutex);
            loads.loading.insert(entry);
        }
    }
    if (isNew)
        *isNew = inserted;

    if (!inserted) {
        // Another caller made the entry and may still be reading its file.
        std::unique_lock loading(loads.mutex);
        loads.loaded.wait(loading, [&] { return loads.loading.count(entry) == 0; });
        return result;
    }

    // The file is read outside the lock, so that drawing goes on meanwhile.
    std::unique_ptr<DDImage> image;
    if (!path.empty() && path[0] == '!')
        image = std::make_unique<DDImage>(mDisplay.get());
    else
        image = GetImage(path, false);
    {
        AutoCrit lock(ImageLock(*this));
        entry->mImage = image.release();
    }
    {
        std::lock_guard loading(loads.mutex);
        loads.loading.erase(entry);
    }
    loads.loaded.notify_all();
    return result;
}

std::unique_ptr<DDImage> PyxoAppBase::CopyImage(Image* image)
{
    if (!image)
        return nullptr;
    auto copy = std::make_unique<DDImage>(mDisplay.get());
    copy->Create(image->GetWidth(), image->GetHeight());
    {
        Graphics g(copy.get());
        g.DrawImage(image, 0, 0);
    }
    copy->CopyAttributes(*image);
    return copy;
}

} // namespace Pyxo
