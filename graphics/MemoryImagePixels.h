#pragma once

#include "graphics/Color.h"

#include <algorithm>
#include <cmath>
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
/// separately, the rounding of a packed red-blue multiply, on which pixel-exact results depend.
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

/// The source pixels a stretch may read: its source rectangle within the source image.
struct SourceBounds {
    int left = 0;
    int top = 0;
    int right = 0; // exclusive
    int bottom = 0;
};

/// One destination pixel of the area-weighted stretch: the source pixels under its footprint [x0, x1) x [y0, y1),
/// each weighted by the part it covers, averaged with premultiplied colour. Alpha 0 when nothing is covered.
/// Surface images share it, so that both kinds of image stretch alike.
template <typename Source>
[[nodiscard]] uint32_t AreaSample(const Source& source, int sourceWidth, const SourceBounds& bounds, double x0,
                                  double x1, double y0, double y1)
{
    const int kx0 = std::max(bounds.left, int(std::floor(x0)));
    const int kx1 = std::min(bounds.right, int(std::ceil(x1)));
    const int ky0 = std::max(bounds.top, int(std::floor(y0)));
    const int ky1 = std::min(bounds.bottom, int(std::ceil(y1)));
    double area = 0.0;
    double alpha = 0.0;
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    for (int ky = ky0; ky < ky1; ++ky) {
        const double wy = std::min(double(ky + 1), y1) - std::max(double(ky), y0);
        if (wy <= 0.0) {
            continue;
        }
        const size_t row = size_t(ky) * size_t(sourceWidth);
        for (int kx = kx0; kx < kx1; ++kx) {
            const double wx = std::min(double(kx + 1), x1) - std::max(double(kx), x0);
            if (wx <= 0.0) {
                continue;
            }
            const uint32_t p = source[row + size_t(kx)];
            const double w = wx * wy;
            const double wa = w * double(AlphaOf(p));
            area += w;
            alpha += wa;
            red += wa * double(RedOf(p));
            green += wa * double(GreenOf(p));
            blue += wa * double(BlueOf(p));
        }
    }
    if (area <= 0.0 || alpha <= 0.0) {
        return 0;
    }
    auto toByte = [](double v) { return uint32_t(std::clamp(v + 0.5, 0.0, 255.0)); };
    return Pack(toByte(alpha / area), toByte(red / alpha), toByte(green / alpha), toByte(blue / alpha));
}

} // namespace Pyxo::Pixels
