#include "platform/directdraw/PixelCodec.h"

#include <bit>

namespace Platform {

PixelCodec::PixelCodec(const PixelFormat& format)
    : mAlpha(ChannelOf((format.flags & DDPF_ALPHAPIXELS) != 0 ? format.alphaMask : 0)), mRed(ChannelOf(format.redMask)),
      mGreen(ChannelOf(format.greenMask)), mBlue(ChannelOf(format.blueMask)),
      mBytes(static_cast<int>(format.rgbBitCount / 8))
{
    if (mBytes < 1 || mBytes > 4)
        mBytes = 4;
}

PixelCodec::Channel PixelCodec::ChannelOf(uint32_t mask)
{
    Channel channel;
    if (mask == 0)
        return channel;
    channel.mask = mask;
    channel.shift = std::countr_zero(mask);
    channel.bits = std::popcount(mask);
    return channel;
}

uint32_t PixelCodec::Widen(uint32_t raw, const Channel& channel)
{
    if (channel.bits == 0)
        return 0;
    const uint32_t value = (raw & channel.mask) >> channel.shift;
    if (channel.bits >= 8)
        return value >> (channel.bits - 8);
    // Repeat the bits from the top down until eight are filled.
    uint32_t wide = 0;
    int filled = 0;
    while (filled < 8) {
        wide = (wide << channel.bits) | value;
        filled += channel.bits;
    }
    return (wide >> (filled - 8)) & 0xFF;
}

uint32_t PixelCodec::Narrow(uint32_t value, const Channel& channel)
{
    if (channel.mask == 0)
        return 0;
    const uint32_t cut = channel.bits >= 8 ? value << (channel.bits - 8) : value >> (8 - channel.bits);
    return (cut << channel.shift) & channel.mask;
}

uint32_t PixelCodec::ToArgb(uint32_t raw) const
{
    const uint32_t alpha = mAlpha.mask != 0 ? Widen(raw, mAlpha) : 0xFF;
    return (alpha << 24) | (Widen(raw, mRed) << 16) | (Widen(raw, mGreen) << 8) | Widen(raw, mBlue);
}

uint32_t PixelCodec::FromArgb(uint32_t argb) const
{
    return Narrow(argb >> 24, mAlpha) | Narrow((argb >> 16) & 0xFF, mRed) | Narrow((argb >> 8) & 0xFF, mGreen) |
           Narrow(argb & 0xFF, mBlue);
}

uint32_t PixelCodec::Read(const uint8_t* pixel, int bytes)
{
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= uint32_t{pixel[i]} << (8 * i);
    return value;
}

void PixelCodec::Write(uint8_t* pixel, int bytes, uint32_t value)
{
    for (int i = 0; i < bytes; ++i)
        pixel[i] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace Platform
