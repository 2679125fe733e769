#include "graphics/ImageMemoryUse.h"

#include "graphics/DDImage.h"
#include "graphics/MemoryImage.h"

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
    // Texture data is made only by the 3-D path, whose device is not built yet, so no image holds any; once it
    // is, the figure and the format come from the texture data's own memory count and format.
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
    case kFormatA8R8G8B8:
        return "A8R8G8B8";
    case kFormatA4R4G4B4:
        return "A4R4G4B4";
    case kFormatR5G6B5:
        return "R5G6B5";
    case kFormatPalette8:
        return "Palette8";
    default:
        return "";
    }
}

} // namespace Pyxo
