#include "platform/directdraw/SurfaceTexels.h"

#include "platform/directdraw/PixelCodec.h"

#include <cstddef>

namespace Platform {

const TexelView& SurfaceTexels::View(const uint8_t* topRow, int32_t pitch, int width, int height,
                                     const PixelFormat& format, uint64_t changeCount)
{
    if (mMade && changeCount == mChangeCount)
        return mView;
    mMade = true;
    mChangeCount = changeCount;
    mView = TexelView{};
    const bool rgb = (format.flags & DDPF_RGB) != 0 && (format.flags & DDPF_PALETTEINDEXED8) == 0 &&
                     format.rgbBitCount >= 16 && format.rgbBitCount <= 32 && format.rgbBitCount % 8 == 0;
    if (topRow == nullptr || width <= 0 || height <= 0 || !rgb)
        return mView;

    const auto rows = static_cast<std::size_t>(height);
    const auto columns = static_cast<std::size_t>(width);
    if (format == kFormat8888 && pitch > 0 && pitch % 4 == 0) {
        mCopy.clear();
        mCopy.shrink_to_fit();
        mView.texels = reinterpret_cast<const uint32_t*>(topRow);
        mView.pitch = pitch;
    } else {
        const PixelCodec codec(format);
        const int bytes = codec.BytesPerPixel();
        mCopy.resize(rows * columns);
        for (std::size_t y = 0; y < rows; ++y) {
            const uint8_t* in = topRow + static_cast<std::ptrdiff_t>(y) * pitch;
            uint32_t* out = mCopy.data() + y * columns;
            for (std::size_t x = 0; x < columns; ++x, in += bytes)
                out[x] = codec.ToArgb(PixelCodec::Read(in, bytes));
        }
        mView.texels = mCopy.data();
        mView.pitch = width * 4;
    }
    mView.width = width;
    mView.height = height;

    const std::size_t stride = static_cast<std::size_t>(mView.pitch) / 4;
    for (std::size_t y = 0; y < rows && !(mView.hasAlpha && mView.hasTransparency); ++y) {
        const uint32_t* row = mView.texels + y * stride;
        for (std::size_t x = 0; x < columns; ++x) {
            const uint32_t alpha = row[x] >> 24;
            mView.hasTransparency |= alpha == 0;
            mView.hasAlpha |= alpha != 0 && alpha != 255;
        }
    }
    return mView;
}

} // namespace Platform
