#include "graphics/DDImagePixels.h"

#include "graphics/DDInterface.h"

namespace Pyxo::SurfacePixels {
namespace {

/// Shift and bit count of a mask, for a surface whose image has no display to take them from.
Channel ChannelOfMask(uint32_t mask)
{
    Channel c;
    c.mask = mask;
    if (mask == 0)
        return c;
    c.shift = std::countr_zero(mask);
    c.bits = std::popcount(mask);
    return c;
}

} // namespace

bool TargetOf(const DDImage& image, Target& target)
{
    const Platform::SurfaceDesc& desc = image.mLockDesc;
    const Platform::PixelFormat& format = desc.pixelFormat;
    if (!desc.surface || desc.width <= 0 || desc.height <= 0 || (format.rgbBitCount != 16 && format.rgbBitCount != 32))
        return false;
    target.top = desc.surface;
    target.pitch = desc.pitch;
    target.width = desc.width;
    target.height = desc.height;
    target.bytes = static_cast<int>(format.rgbBitCount / 8);
    const uint32_t masks[3] = {format.redMask, format.greenMask, format.blueMask};
    for (int i = 0; i < 3; ++i)
        target.rgb[i] = ChannelOfMask(masks[i]);
    if (const NativeDisplay* display = image.mDDInterface; display && display->mRGBBits != 0) {
        // Conversions follow the display's format; the surface's own masks cut the results.
        target.rgb[0].shift = display->mRedShift;
        target.rgb[0].bits = display->mRedBits;
        target.rgb[1].shift = display->mGreenShift;
        target.rgb[1].bits = display->mGreenBits;
        target.rgb[2].shift = display->mBlueShift;
        target.rgb[2].bits = display->mBlueBits;
    }
    target.pack = 0;
    if (target.bytes == 2) {
        const uint32_t redBlue = format.redMask | format.blueMask;
        if (format.greenMask == 0x07E0 && redBlue == 0xF81F)
            target.pack = 0x07E0F81F;
        else if (format.greenMask == 0x03E0 && redBlue == 0x7C1F)
            target.pack = 0x03E07C1F;
    }
    target.rgbOrder = gDisplayRGBOrder;
    return true;
}

} // namespace Pyxo::SurfacePixels
