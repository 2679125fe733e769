#include "graphics/ImageMemoryUse.h"

#include "graphics/DDImage.h"
#include "graphics/MemoryImage.h"
#include "graphics/TextureData.h"

#include <algorithm>

namespace Pyxo {

ImageMemoryUse ImageMemoryUse::Of(const MemoryImage& image)
{
    const int64_t pixels = int64_t{std::max(image.mWidth, 0)} * std::max(image.mHeight, 0);
    ImageMemoryUse use;
    if (image.mBits)
        use.bits = pixels * 4;
    if (image.mColorTable)
        use.palletized = pixels + 1024;
    if (const auto* surfaceImage = dynamic_cast<const DDImage*>(&image); surfaceImage && surfaceImage->mSurface)
        use.surface = pixels * 4;
    if (image.mD3DData) {
        use.texture = image.mD3DData->mTexMemSize;
        use.textureFormat = image.mD3DData->mPixelFormat;
    }
    if (image.mNativeAlphaData)
        use.nativeAlpha = image.mColorTable ? 1024 : pixels * 4;
    if (image.mRLAlphaData)
        use.rlAlpha = pixels;
    if (image.mRLAdditiveData)
        use.rlAdditive = pixels;
    return use;
}

int64_t ImageMemoryUse::Total() const
{
    return bits + palletized + surface + texture + nativeAlpha + rlAlpha + rlAdditive;
}

const char* ImageMemoryUse::FormatName(int format)
{
    switch (format) {
    case kTextureFormatA8R8G8B8:
        return "A8R8G8B8";
    case kTextureFormatA4R4G4B4:
        return "A4R4G4B4";
    case kTextureFormatR5G6B5:
        return "R5G6B5";
    case kTextureFormatPalettized:
        return "Palette8";
    default:
        return "";
    }
}

} // namespace Pyxo
