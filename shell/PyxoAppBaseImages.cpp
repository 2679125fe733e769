// The application's images: the set of live memory images, single image files, the pool of shared images and
// image copies.
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/Graphics.h"
#include "graphics/ImageLib.h"
#include "shell/CritSect.h"
#include "shell/PyxoAppBase.h"

namespace Pyxo {
namespace {

/// Stands in for the display lock while there is no display yet.
CritSect& NoDisplayLock()
{
    static CritSect lock;
    return lock;
}

} // namespace

CritSect& PyxoAppBase::ImageLock()
{
    return mDisplay ? mDisplay->mCritSect : NoDisplayLock();
}

void PyxoAppBase::AddMemoryImage(MemoryImage* image)
{
    AutoCrit lock(ImageLock());
    mMemoryImageSet.insert(image);
}

void PyxoAppBase::RemoveMemoryImage(MemoryImage* image)
{
    AutoCrit lock(ImageLock());
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
    AutoCrit lock(ImageLock());
    for (MemoryImage* image : mMemoryImageSet)
        image->ReInit();
}

void PyxoAppBase::FreeImageCaches()
{
    AutoCrit lock(ImageLock());
    for (MemoryImage* image : mMemoryImageSet)
        image->DeleteNativeData();
}

void PyxoAppBase::DropImageSurfaces()
{
    AutoCrit lock(ImageLock());
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
    return mImagePool.Get(
        path, variant,
        [&]() -> std::unique_ptr<DDImage> {
            if (!path.empty() && path[0] == '!')
                return std::make_unique<DDImage>(mDisplay.get());
            return GetImage(path, false);
        },
        isNew);
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
