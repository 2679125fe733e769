#include "graphics/DDImage.h"
#include "shell/PyxoAppBase.h"

namespace Pyxo {

// not built yet
std::unique_ptr<DDImage> PyxoAppBase::GetImage(const std::string&, bool)
{
    return nullptr;
}
ImagePoolRef PyxoAppBase::GetPooledImage(const std::string&, const std::string&, bool* isNew)
{
    if (isNew)
        *isNew = false;
    return ImagePoolRef();
}
std::unique_ptr<DDImage> PyxoAppBase::CopyImage(Image*)
{
    return nullptr;
}
void PyxoAppBase::AddMemoryImage(MemoryImage* image)
{
    mMemoryImageSet.insert(image);
}
void PyxoAppBase::RemoveMemoryImage(MemoryImage* image)
{
    mMemoryImageSet.erase(image);
}
void PyxoAppBase::RemoveImageTextures(MemoryImage*) {}
void PyxoAppBase::RecreateImageSurfaces() {}
void PyxoAppBase::FreeImageCaches() {}
void PyxoAppBase::DropImageSurfaces() {}

} // namespace Pyxo
