#pragma once

#include "graphics/raster/FixedPoint.h"
#include "graphics/raster/ScanConverter.h"

#include <cstdint>

namespace Raster::Reference {

/// A sampled texture colour: colour is 0x00RRGGBB, alpha 0..255.
struct TexelSample {
    uint32_t colour = 0;
    uint32_t alpha = 0;
};

namespace Detail {

// Reads are guarded by the texel count alone: there is no wrap or clamp per axis, so a column past the width
// reads on into the next row, and anything outside the texel array reads as 0 (alpha 0, black).
inline uint32_t Texel(const TriTextureInfo& texture, uint32_t index)
{
    return index < static_cast<uint32_t>(texture.count) ? texture.texels[index] : 0;
}

} // namespace Detail

/// The texel under (u, v), 16.16 texels: the integer parts taken as unsigned, so a coordinate just below 0
/// reads column 65535 (usually outside the texture).
struct NearestSampler {
    static constexpr bool kFiltered = false;

    static TexelSample Sample(const TriTextureInfo& texture, int32_t u, int32_t v)
    {
        const uint32_t column = static_cast<uint32_t>(u) >> 16;
        const uint32_t row = static_cast<uint32_t>(v) >> 16;
        const uint32_t texel = Detail::Texel(texture, row * static_cast<uint32_t>(texture.stride) + column);
        return {texel & 0xFFFFFFu, texel >> 24};
    }
};

/// Bilinear filter of the four texels around (u, v), texel centres lying half-way between whole coordinates.
/// Each weight is scaled by its texel's alpha, so the colour comes out premultiplied by the filtered alpha; an
/// opaque white texture gives 253 on texel centres. The fractions are made odd so that no weight product
/// reaches 2^32.
struct BilinearSampler {
    static constexpr bool kFiltered = true;

    static TexelSample Sample(const TriTextureInfo& texture, int32_t u, int32_t v)
    {
        const int32_t us = FxSub(u, 0x8000);
        const int32_t vs = FxSub(v, 0x8000);
        const uint32_t stride = static_cast<uint32_t>(texture.stride);
        const uint32_t index =
            static_cast<uint32_t>(FxFloor(vs) >> 16) * stride + static_cast<uint32_t>(FxFloor(us) >> 16);
        const uint32_t t00 = Detail::Texel(texture, index);
        const uint32_t t10 = Detail::Texel(texture, index + 1);
        const uint32_t t01 = Detail::Texel(texture, index + stride);
        const uint32_t t11 = Detail::Texel(texture, index + stride + 1);

        const uint32_t fx = (static_cast<uint32_t>(us) & 0xFFFE) + 1;
        const uint32_t fy = (static_cast<uint32_t>(vs) & 0xFFFE) + 1;
        const uint32_t gx = 0x10000 - fx;
        const uint32_t gy = 0x10000 - fy;
        const uint32_t w00 = (((gx * gy) >> 16) * (t00 >> 24)) >> 16;
        const uint32_t w10 = (((fx * gy) >> 16) * (t10 >> 24)) >> 16;
        const uint32_t w01 = (((gx * fy) >> 16) * (t01 >> 24)) >> 16;
        const uint32_t w11 = (((fx * fy) >> 16) * (t11 >> 24)) >> 16;

        // The weights add up to at most 255, so each channel's sum fits its own 16 bits without carry.
        const auto sum = [&](uint32_t mask) {
            return (t00 & mask) * w00 + (t10 & mask) * w10 + (t01 & mask) * w01 + (t11 & mask) * w11;
        };
        const uint32_t colour =
            ((sum(0xFF0000u) >> 8) & 0xFF0000u) | ((sum(0xFF00u) >> 8) & 0xFF00u) | ((sum(0xFFu) >> 8) & 0xFFu);
        return {colour, w00 + w10 + w01 + w11};
    }
};

} // namespace Raster::Reference
