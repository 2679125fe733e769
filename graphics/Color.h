#pragma once

#include <cstdint>
#include <iosfwd>

namespace Pyxo {

/// An RGBA colour with int components meant to lie in 0..255 (nothing clamps them). Alpha 255 is opaque, 0
/// invisible; the default is opaque black. Converts to and from a packed 0xAARRGGBB value. Plain value type.
struct Color {
    int mRed = 0;
    int mGreen = 0;
    int mBlue = 0;
    int mAlpha = 255;

    constexpr Color() = default;
    /// From 0xAARRGGBB, alpha taken as it stands: a packed value whose top byte is 0 gives alpha 0.
    constexpr explicit Color(uint32_t packed)
        : mRed(int((packed >> 16) & 0xFF)), mGreen(int((packed >> 8) & 0xFF)), mBlue(int(packed & 0xFF)),
          mAlpha(int((packed >> 24) & 0xFF))
    {
    }
    constexpr Color(int red, int green, int blue) : mRed(red), mGreen(green), mBlue(blue) {}
    constexpr Color(int red, int green, int blue, int alpha) : mRed(red), mGreen(green), mBlue(blue), mAlpha(alpha) {}
    /// Red, green and blue from one row of a static colour table; alpha 255.
    constexpr explicit Color(const int (&rgb)[3]) : mRed(rgb[0]), mGreen(rgb[1]), mBlue(rgb[2]) {}

    /// (alpha << 24) | (red << 16) | (green << 8) | blue, without masking the components.
    [[nodiscard]] constexpr uint32_t ToInt() const
    {
        return (uint32_t(mAlpha) << 24) | (uint32_t(mRed) << 16) | (uint32_t(mGreen) << 8) | uint32_t(mBlue);
    }

    [[nodiscard]] constexpr int GetRed() const { return mRed; }
    [[nodiscard]] constexpr int GetGreen() const { return mGreen; }
    [[nodiscard]] constexpr int GetBlue() const { return mBlue; }
    [[nodiscard]] constexpr int GetAlpha() const { return mAlpha; }

    friend constexpr bool operator==(const Color& a, const Color& b) = default;

    /// Shared constants: images are drawn in White when not colourised.
    static const Color White;
    static const Color Black;
};

inline constexpr Color Color::White{255, 255, 255, 255};
inline constexpr Color Color::Black{0, 0, 0, 255};

/// Readable values in test failure messages.
void PrintTo(const Color& color, std::ostream* os);

} // namespace Pyxo
