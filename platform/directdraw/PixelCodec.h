#pragma once

#include "platform/directdraw/DirectDrawTypes.h"

#include <cstdint>

namespace Platform {

/// Converts raw pixel values of one RGB pixel format (by its masks) to and from 32-bit ARGB. Writing keeps the high
/// bits of each channel; reading widens a channel by repeating its bits, as display hardware does, so that a full
/// 4- or 5-bit channel reads as 255. A format without an alpha mask reads as opaque and drops alpha when written.
class PixelCodec {
public:
    explicit PixelCodec(const PixelFormat& format);

    [[nodiscard]] uint32_t ToArgb(uint32_t raw) const;
    [[nodiscard]] uint32_t FromArgb(uint32_t argb) const;
    [[nodiscard]] int BytesPerPixel() const { return mBytes; }

    /// A pixel of `bytes` bytes (1 to 4), little-endian.
    [[nodiscard]] static uint32_t Read(const uint8_t* pixel, int bytes);
    static void Write(uint8_t* pixel, int bytes, uint32_t value);

private:
    struct Channel {
        uint32_t mask = 0;
        int shift = 0; // of the mask's lowest bit
        int bits = 0;
    };
    static Channel ChannelOf(uint32_t mask);
    static uint32_t Widen(uint32_t raw, const Channel& channel);
    static uint32_t Narrow(uint32_t value, const Channel& channel);

    Channel mAlpha;
    Channel mRed;
    Channel mGreen;
    Channel mBlue;
    int mBytes = 4;
};

} // namespace Platform
