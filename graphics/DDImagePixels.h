#pragma once

// What the surface image's pixel loops share: the locked surface seen as rows of 16- or 32-bit pixels, and the
// channel arithmetic in the surface's masks. Internal to the DDImage*.cpp files.

#include "graphics/Color.h"
#include "graphics/DDImage.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace Pyxo::SurfacePixels {

/// One colour channel of the surface: its mask in the surface, and the display's shift and bit count.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
};

/// The surface as the last lock described it. Rows are addressed in bytes, so that any pitch works.
struct Target {
    uint8_t* top = nullptr; // first byte of the top row
    int32_t pitch = 0;      // bytes; negative for bottom-up rows
    int width = 0;
    int height = 0;
    int bytes = 0;         // 2 or 4
    Channel rgb[3];        // red, green, blue
    uint32_t pack = 0;     // 0x07E0F81F for 5-6-5, 0x03E07C1F for 5-5-5: the packed 16-bit forms apply; else 0
    bool rgbOrder = false; // the display's channel-order flag

    [[nodiscard]] uint8_t* Row(int y) const { return top + static_cast<ptrdiff_t>(y) * pitch; }
    [[nodiscard]] bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

/// The locked surface of the image; false when it is not locked into memory or is neither 16- nor 32-bit.
bool TargetOf(const DDImage& image, Target& target);

struct Pixel16 {
    static constexpr int kBytes = 2;
    static uint32_t Load(const uint8_t* p)
    {
        uint16_t v;
        std::memcpy(&v, p, 2);
        if constexpr (std::endian::native == std::endian::big)
            v = static_cast<uint16_t>(v << 8 | v >> 8);
        return v;
    }
    static void Store(uint8_t* p, uint32_t value)
    {
        auto v = static_cast<uint16_t>(value);
        if constexpr (std::endian::native == std::endian::big)
            v = static_cast<uint16_t>(v << 8 | v >> 8);
        std::memcpy(p, &v, 2);
    }
};

struct Pixel32 {
    static constexpr int kBytes = 4;
    static uint32_t Load(const uint8_t* p)
    {
        uint32_t v;
        std::memcpy(&v, p, 4);
        if constexpr (std::endian::native == std::endian::big)
            v = __builtin_bswap32(v);
        return v;
    }
    static void Store(uint8_t* p, uint32_t value)
    {
        if constexpr (std::endian::native == std::endian::big)
            value = __builtin_bswap32(value);
        std::memcpy(p, &value, 4);
    }
};

/// Runs f.template operator()<Pixel16 or Pixel32>() for the target's pixel size.
template <typename F>
void ForPixelSize(const Target& target, F&& f)
{
    if (target.bytes == 2)
        f.template operator()<Pixel16>();
    else
        f.template operator()<Pixel32>();
}

inline int Clamp255(int value)
{
    return std::clamp(value, 0, 255);
}

inline uint32_t ShiftLeft(uint32_t value, int amount)
{
    return amount >= 0 && amount < 32 ? value << amount : 0;
}

inline uint32_t ShiftRight(uint32_t value, int amount)
{
    return amount >= 0 && amount < 32 ? value >> amount : 0;
}

/// An 8-bit value brought to the channel's bit count by dropping low bits.
inline uint32_t ToBits(uint32_t value, const Channel& c)
{
    return c.bits <= 8 ? ShiftRight(value, 8 - c.bits) : ShiftLeft(value, c.bits - 8);
}

/// The channel's value at the bottom of the word.
inline uint32_t Field(uint32_t pixel, const Channel& c)
{
    return ShiftRight(pixel & c.mask, c.shift);
}

/// min(value, 2^bits - 1): the display's additive table, without reading outside it.
inline uint32_t Saturate(uint32_t value, const Channel& c)
{
    const uint32_t max = c.bits >= 32 ? 0xFFFFFFFFu : (1u << c.bits) - 1;
    return std::min(value, max);
}

// Placing an 8-bit value c in a mask M. Products are taken in 64 bits, so that no mask position overflows.
/// (c x M) >> 8: 255 gives 254 in an 8-bit field.
inline uint32_t Scaled(uint32_t c, uint32_t mask)
{
    return static_cast<uint32_t>((uint64_t{c} * mask) >> 8) & mask;
}
/// ((c + 1) x M) >> 8: exact for 0..255.
inline uint32_t ScaledPlus1(uint32_t c, uint32_t mask)
{
    return static_cast<uint32_t>((uint64_t{c + 1} * mask) >> 8) & mask;
}
/// (c x M + M / 2) >> 8.
inline uint32_t HalfMask(uint32_t c, uint32_t mask)
{
    return static_cast<uint32_t>((uint64_t{c} * mask + (mask >> 1)) >> 8) & mask;
}
/// ((v AND M) x weight) >> 8, AND M.
inline uint32_t Weighted(uint32_t value, uint32_t mask, uint32_t weight)
{
    return static_cast<uint32_t>((uint64_t{value & mask} * weight) >> 8) & mask;
}

/// A colour's channels in the order of Target::rgb, each 0..255.
struct Rgb {
    uint32_t v[3] = {0, 0, 0};
};

inline Rgb ChannelsOf(const Color& color)
{
    return {{uint32_t(Clamp255(color.mRed)), uint32_t(Clamp255(color.mGreen)), uint32_t(Clamp255(color.mBlue))}};
}

/// The colour scales c x alpha / 255 of a colourised draw.
inline Rgb ScalesOf(const Color& color)
{
    const int alpha = Clamp255(color.mAlpha);
    const Rgb c = ChannelsOf(color);
    return {{c.v[0] * uint32_t(alpha) / 255, c.v[1] * uint32_t(alpha) / 255, c.v[2] * uint32_t(alpha) / 255}};
}

inline bool IsWhite(const Color& color)
{
    return color == Color::White;
}

/// The colour in scaled form, channels OR-ed.
inline uint32_t ScaledColor(const Target& t, const Color& color)
{
    const Rgb c = ChannelsOf(color);
    return Scaled(c.v[0], t.rgb[0].mask) | Scaled(c.v[1], t.rgb[1].mask) | Scaled(c.v[2], t.rgb[2].mask);
}

/// d becomes table[d + add] per channel, OR-ed: add is already at the channel's bit count.
inline uint32_t AddSaturated(const Target& t, uint32_t d, const Rgb& add)
{
    uint32_t out = 0;
    for (int i = 0; i < 3; ++i)
        out |= ShiftLeft(Saturate(Field(d, t.rgb[i]) + add.v[i], t.rgb[i]), t.rgb[i].shift);
    return out;
}

/// Folding the packed 16-bit form (pixel spread over 32 bits, green in the high half) back into 16 bits.
inline uint32_t Spread16(uint32_t d, uint32_t pack)
{
    return (d | d << 16) & pack;
}
inline uint32_t Fold16(uint32_t t)
{
    return ((t >> 16) | t) & 0xFFFF;
}

/// Pixels of the source, straight or through the colour indices of a palettised image.
struct PixelsAt {
    const uint32_t* pixels;
    uint32_t operator[](size_t i) const { return pixels[i]; }
};
struct PaletteAt {
    const uint32_t* palette; // 256 entries
    const uint8_t* indices;
    uint32_t operator[](size_t i) const { return palette[indices[i]]; }
};

/// Calls fn with the source's native pixels; false when the source has none to give.
template <typename Fn>
bool WithNative(MemoryImage& source, NativeDisplay* display, Fn&& fn)
{
    const uint32_t* native = source.GetNativeAlphaData(display);
    if (!native)
        return false;
    if (source.mColorTable) {
        if (!source.mColorIndices)
            return false;
        fn(PaletteAt{native, source.mColorIndices.get()});
    } else {
        fn(PixelsAt{native});
    }
    return true;
}

/// The premultiplied native pixel n over d with n's alpha, white.
template <typename Pixel>
uint32_t OverNative(const Target& t, uint32_t d, uint32_t n)
{
    const uint32_t inv = 256 - (n >> 24);
    if constexpr (Pixel::kBytes == 4) {
        return ((((d & 0xFF00FF) * inv) >> 8) & 0xFF00FF) + ((((d & 0xFF00) * inv) >> 8) & 0xFF00) + n;
    } else {
        if (t.pack != 0)
            return (Fold16(((Spread16(d, t.pack) * (inv >> 3)) >> 5) & t.pack) + n) & 0xFFFF;
        uint32_t out = n;
        for (const Channel& c : t.rgb)
            out += Weighted(d, c.mask, inv);
        return out & 0xFFFF;
    }
}

/// The native pixel n with its colour scaled by the colour scales: an opaque colourised pixel.
inline uint32_t ScaleNative(const Target& t, uint32_t n, const Rgb& k)
{
    uint32_t out = 0;
    for (int i = 0; i < 3; ++i)
        out += Weighted(n, t.rgb[i].mask, k.v[i]);
    return out;
}

/// The native pixel n over d, colourised: its alpha times the colour's alpha, its colour times the scales.
inline uint32_t OverNativeColored(const Target& t, uint32_t d, uint32_t n, const Rgb& k, uint32_t colorAlpha)
{
    const uint32_t inv = 256 - (n >> 24) * colorAlpha / 255;
    uint32_t out = 0;
    for (int i = 0; i < 3; ++i) {
        const uint64_t m = t.rgb[i].mask;
        out += static_cast<uint32_t>(((d & m) * inv + (n & m) * k.v[i]) >> 8) & t.rgb[i].mask;
    }
    return out;
}

/// The native pixel n added to d through the saturating channels, scaled by k unless white.
inline uint32_t AddNative(const Target& t, uint32_t d, uint32_t n, const Rgb& k, bool white)
{
    uint32_t out = 0;
    for (int i = 0; i < 3; ++i) {
        const Channel& c = t.rgb[i];
        const uint32_t sum = white ? Field(n, c) + Field(d, c) : ((Field(n, c) * k.v[i]) >> 8) + Field(d, c);
        out |= ShiftLeft(Saturate(sum, c), c.shift);
    }
    return out;
}

} // namespace Pyxo::SurfacePixels
