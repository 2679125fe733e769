#pragma once

#include "graphics/Color.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

// Pixel arithmetic shared by the memory image's software drawing loops. Pixels are 0xAARRGGBB; every function
// works on one pixel and returns it.

namespace Pyxo::Pixels {

[[nodiscard]] constexpr uint32_t AlphaOf(uint32_t p)
{
    return p >> 24;
}
[[nodiscard]] constexpr uint32_t RedOf(uint32_t p)
{
    return (p >> 16) & 0xFF;
}
[[nodiscard]] constexpr uint32_t GreenOf(uint32_t p)
{
    return (p >> 8) & 0xFF;
}
[[nodiscard]] constexpr uint32_t BlueOf(uint32_t p)
{
    return p & 0xFF;
}
[[nodiscard]] constexpr uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return (a << 24) | (r << 16) | (g << 8) | b;
}

/// Additive drawing clamps every channel sum to 255.
[[nodiscard]] constexpr uint32_t Saturate(uint32_t sum)
{
    return std::min(sum, 255u);
}

/// A drawing colour with each component clamped to 0..255, so that packing it never spills into the neighbouring
/// channel and no alpha outside 0..255 reaches the blends.
struct DrawColor {
    uint32_t r = 255;
    uint32_t g = 255;
    uint32_t b = 255;
    uint32_t a = 255;

    [[nodiscard]] static constexpr DrawColor Of(const Color& color)
    {
        auto clamp = [](int v) { return uint32_t(std::clamp(v, 0, 255)); };
        return {clamp(color.mRed), clamp(color.mGreen), clamp(color.mBlue), clamp(color.mAlpha)};
    }
    [[nodiscard]] constexpr uint32_t Packed() const { return Pack(a, r, g, b); }
    /// Opaque white draws images as they are.
    [[nodiscard]] constexpr bool IsWhite() const { return r == 255 && g == 255 && b == 255 && a == 255; }
    /// The additive factors: each channel scaled by the colour's alpha.
    [[nodiscard]] constexpr uint32_t FactorR() const { return r * a / 255; }
    [[nodiscard]] constexpr uint32_t FactorG() const { return g * a / 255; }
    [[nodiscard]] constexpr uint32_t FactorB() const { return b * a / 255; }
};

/// Normal-mode "over" of the colour (r, g, b) with effective alpha a (1..255) onto d. Blue truncates its two terms
/// separately, as the packed red-blue multiply of the original loops did.
[[nodiscard]] constexpr uint32_t Over(uint32_t d, uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
    const uint32_t da = AlphaOf(d);
    const uint32_t oa = da + ((255 - da) * a) / 255; // >= a >= 1
    const uint32_t w = (a * 255) / oa;
    const uint32_t red = (RedOf(d) * (256 - w) + r * w) >> 8;
    const uint32_t green = (GreenOf(d) * (256 - w) + g * w) >> 8;
    const uint32_t blue = ((BlueOf(d) * (256 - w)) >> 8) + ((b * w) >> 8);
    return Pack(oa, red, green, blue);
}

/// Blend of a source pixel with its own alpha a (1..254) onto an opaque destination; the result is opaque.
[[nodiscard]] constexpr uint32_t OverOpaque(uint32_t d, uint32_t s, uint32_t a)
{
    const uint32_t red = (RedOf(d) * (256 - a) + RedOf(s) * a) >> 8;
    const uint32_t green = (GreenOf(d) * (256 - a) + GreenOf(s) * a) >> 8;
    const uint32_t blue = ((BlueOf(d) * (256 - a)) >> 8) + ((BlueOf(s) * a) >> 8);
    return Pack(255, red, green, blue);
}

/// Source pixels read straight from ARGB bits.
struct BitsSource {
    const uint32_t* bits = nullptr;
    [[nodiscard]] uint32_t operator[](size_t i) const { return bits[i]; }
};

/// Source pixels of a palettised image, read through its colour indices without converting it back to bits.
struct PaletteSource {
    const uint32_t* palette = nullptr;
    const uint8_t* indices = nullptr;
    [[nodiscard]] uint32_t operator[](size_t i) const { return palette[indices[i]]; }
};

} // namespace Pyxo::Pixels
