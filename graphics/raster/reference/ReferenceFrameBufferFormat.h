#pragma once

#include "graphics/raster/SoftwareTriangle.h"

#include <algorithm>
#include <cstdint>

namespace Raster::Reference {

/// Store, blend and additive rules of the four frame-buffer formats. Colours come in as 0x00RRGGBB words of
/// 8-bit channels; a blend takes the blend alpha a (1..255) and the premultiplied source terms S (one 8-bit
/// value per channel, packed the same way). All arithmetic is unsigned 32-bit and truncating.
template <PixelFormat kFormat>
struct FrameBufferFormat;

namespace Detail {

constexpr uint32_t Channel(uint32_t colour, int shift)
{
    return (colour >> shift) & 0xFF;
}

constexpr uint32_t Pack(uint32_t red, uint32_t green, uint32_t blue)
{
    return (red << 16) | (green << 8) | blue;
}

} // namespace Detail

template <>
struct FrameBufferFormat<PixelFormat::Argb8888> {
    using Pixel = uint32_t;

    static constexpr Pixel Store(uint32_t colour) { return colour | 0xFF000000u; }

    /// Source over a destination with its own straight (not premultiplied) alpha, normalised by the combined
    /// cover D. With a = 0 over alpha 0 there is no cover to divide by, and the pixel stays as it is.
    static constexpr Pixel Blend(Pixel d, uint32_t a, uint32_t source)
    {
        const uint32_t dA = d >> 24;
        const uint32_t inverse = 256 - a;
        const uint32_t cover = 256 - (((256 - dA) * inverse) >> 8);
        if (cover == 0)
            return d;
        const auto channel = [&](int shift) {
            const uint32_t numerator =
                ((Detail::Channel(d, shift) * dA) >> 8) * inverse + Detail::Channel(source, shift) * 256;
            return std::min<uint32_t>(numerator / cover, 255);
        };
        return ((cover - 1) << 24) | Detail::Pack(channel(16), channel(8), channel(0));
    }

    static constexpr Pixel Add(Pixel d, uint32_t source)
    {
        const auto channel = [&](int shift) {
            return std::min<uint32_t>(Detail::Channel(d, shift) + Detail::Channel(source, shift), 255);
        };
        return (d & 0xFF000000u) | Detail::Pack(channel(16), channel(8), channel(0));
    }
};

template <>
struct FrameBufferFormat<PixelFormat::Rgb888> {
    using Pixel = uint32_t;

    static constexpr Pixel Store(uint32_t colour) { return colour | 0xFF000000u; }

    // The destination weighs 255 − a here, not the 256 − a of the ARGB rule.
    static constexpr Pixel Blend(Pixel d, uint32_t a, uint32_t source)
    {
        const auto channel = [&](int shift) {
            return std::min<uint32_t>(((Detail::Channel(d, shift) * (255 - a)) >> 8) + Detail::Channel(source, shift),
                                      255);
        };
        return 0xFF000000u | Detail::Pack(channel(16), channel(8), channel(0));
    }

    static constexpr Pixel Add(Pixel d, uint32_t source)
    {
        const auto channel = [&](int shift) {
            return std::min<uint32_t>(Detail::Channel(d, shift) + Detail::Channel(source, shift), 255);
        };
        return 0xFF000000u | Detail::Pack(channel(16), channel(8), channel(0));
    }
};

namespace Detail {

/// The 16-bit formats: fields of 5 bits (green 6 in 5-6-5) that keep the top bits of each channel. The
/// destination fields are weighed in 32nds at their own width and are never widened to 8 bits.
template <int kRedShift, int kGreenBits>
struct Format16 {
    using Pixel = uint16_t;
    static constexpr int kGreenDrop = 8 - kGreenBits;
    static constexpr uint32_t kGreenMax = (1u << kGreenBits) - 1;

    static constexpr Pixel Compose(uint32_t red, uint32_t green, uint32_t blue)
    {
        return static_cast<Pixel>((red << kRedShift) | (green << 5) | blue);
    }
    static constexpr uint32_t Red(Pixel d) { return (d >> kRedShift) & 31; }
    static constexpr uint32_t Green(Pixel d) { return (d >> 5) & kGreenMax; }
    static constexpr uint32_t Blue(Pixel d) { return d & 31; }

    static constexpr Pixel Store(uint32_t colour)
    {
        return Compose(Channel(colour, 16) >> 3, Channel(colour, 8) >> kGreenDrop, Channel(colour, 0) >> 3);
    }

    static constexpr Pixel Blend(Pixel d, uint32_t a, uint32_t source)
    {
        const uint32_t k = (255 - a) >> 3;
        return Compose(std::min<uint32_t>(((Red(d) * k) >> 5) + (Channel(source, 16) >> 3), 31),
                       std::min<uint32_t>(((Green(d) * k) >> 5) + (Channel(source, 8) >> kGreenDrop), kGreenMax),
                       std::min<uint32_t>(((Blue(d) * k) >> 5) + (Channel(source, 0) >> 3), 31));
    }

    static constexpr Pixel Add(Pixel d, uint32_t source)
    {
        return Compose(std::min<uint32_t>(Red(d) + (Channel(source, 16) >> 3), 31),
                       std::min<uint32_t>(Green(d) + (Channel(source, 8) >> kGreenDrop), kGreenMax),
                       std::min<uint32_t>(Blue(d) + (Channel(source, 0) >> 3), 31));
    }
};

} // namespace Detail

template <>
struct FrameBufferFormat<PixelFormat::Rgb565> : Detail::Format16<11, 6> {
};

// Bit 15 is never set: Compose leaves it clear and Red() ignores it.
template <>
struct FrameBufferFormat<PixelFormat::Rgb555> : Detail::Format16<10, 5> {
};

} // namespace Raster::Reference
