#pragma once

// Shared fixtures of the rasterizer tests: a guarded frame buffer in any format and fixed-point vertices.
#include "graphics/raster/ScanConverter.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace RasterTest {

using namespace Raster;

inline int PixelSizeOf(PixelFormat format)
{
    return format == PixelFormat::Rgb565 || format == PixelFormat::Rgb555 ? 2 : 4;
}

/// A frame buffer with guard bytes before and after it and optional padding at the end of each row, so that a
/// write outside the writable area shows.
class Canvas {
public:
    static constexpr std::size_t kGuard = 64;
    static constexpr uint8_t kGuardByte = 0xA5;

    Canvas(PixelFormat format, int width, int height, uint32_t fill = 0, int padPixels = 0)
        : mFormat(format), mWidth(width), mHeight(height), mPitch((width + padPixels) * PixelSizeOf(format)),
          mMemory(kGuard * 2 + static_cast<std::size_t>(mPitch) * static_cast<std::size_t>(height), kGuardByte)
    {
        Fill(fill);
    }

    PixelFormat Format() const { return mFormat; }
    int Width() const { return mWidth; }
    int Height() const { return mHeight; }
    int Pitch() const { return mPitch; }
    void* Bits() { return mMemory.data() + kGuard; }

    uint32_t At(int x, int y) const
    {
        const uint8_t* p = mMemory.data() + kGuard + static_cast<std::size_t>(y * mPitch + x * PixelSizeOf(mFormat));
        if (PixelSizeOf(mFormat) == 2) {
            uint16_t v;
            std::memcpy(&v, p, 2);
            return v;
        }
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }

    void Set(int x, int y, uint32_t value)
    {
        uint8_t* p = mMemory.data() + kGuard + static_cast<std::size_t>(y * mPitch + x * PixelSizeOf(mFormat));
        if (PixelSizeOf(mFormat) == 2) {
            const auto v = static_cast<uint16_t>(value);
            std::memcpy(p, &v, 2);
        } else {
            std::memcpy(p, &value, 4);
        }
    }

    void Fill(uint32_t value)
    {
        for (int y = 0; y < mHeight; ++y)
            for (int x = 0; x < mWidth; ++x)
                Set(x, y, value);
    }

    /// The whole canvas writable.
    TriFrameBuffer Frame() { return {Bits(), mPitch, 0, 0, mWidth, mHeight}; }

    TriDestination Destination() { return {Bits(), mWidth, mHeight, mPitch, mFormat}; }

    bool GuardsIntact() const
    {
        for (std::size_t i = 0; i < kGuard; ++i)
            if (mMemory[i] != kGuardByte || mMemory[mMemory.size() - 1 - i] != kGuardByte)
                return false;
        const int used = mWidth * PixelSizeOf(mFormat);
        for (int y = 0; y < mHeight; ++y)
            for (int i = used; i < mPitch; ++i)
                if (mMemory[kGuard + static_cast<std::size_t>(y * mPitch + i)] != kGuardByte)
                    return false;
        return true;
    }

    /// One line per row, '#' where a pixel differs from background and '.' elsewhere.
    std::string Mask(uint32_t background) const
    {
        std::string mask;
        for (int y = 0; y < mHeight; ++y) {
            for (int x = 0; x < mWidth; ++x)
                mask += At(x, y) == background ? '.' : '#';
            mask += '\n';
        }
        return mask;
    }

private:
    PixelFormat mFormat;
    int mWidth;
    int mHeight;
    int mPitch;
    std::vector<uint8_t> mMemory;
};

/// A fixed-point vertex at (x, y) pixels, with an 0xAARRGGBB colour and u, v given in 16.16 texels.
inline TriVertexFx Fx(double x, double y, uint32_t color = 0, int32_t u = 0, int32_t v = 0)
{
    TriVertexFx vertex;
    vertex.x = static_cast<int32_t>(x * 65536.0);
    vertex.y = static_cast<int32_t>(y * 65536.0);
    vertex.a = static_cast<int32_t>((color >> 8) & 0xFF0000u);
    vertex.r = static_cast<int32_t>(color & 0xFF0000u);
    vertex.g = static_cast<int32_t>((color & 0xFF00u) << 8);
    vertex.b = static_cast<int32_t>((color & 0xFFu) << 16);
    vertex.u = u;
    vertex.v = v;
    return vertex;
}

inline TriGlobalColor Global(uint32_t color)
{
    return {static_cast<int32_t>(color >> 24), static_cast<int32_t>((color >> 16) & 0xFF),
            static_cast<int32_t>((color >> 8) & 0xFF), static_cast<int32_t>(color & 0xFF)};
}

/// A texture info over texels stored without gaps.
inline TriTextureInfo TextureOf(const std::vector<uint32_t>& texels, int width)
{
    return {texels.data(), width, static_cast<int32_t>(texels.size()), width};
}

inline uint32_t Rgb565(uint32_t red5, uint32_t green6, uint32_t blue5)
{
    return (red5 << 11) | (green6 << 5) | blue5;
}

inline uint32_t Rgb555(uint32_t red5, uint32_t green5, uint32_t blue5)
{
    return (red5 << 10) | (green5 << 5) | blue5;
}

} // namespace RasterTest
