#pragma once

#include <cstdint>

namespace Platform {

inline constexpr uint16_t WAVE_FORMAT_PCM = 1;

/// The format of sample data, with the fields of the Windows wave format record: PCM, interleaved channels,
/// 8-bit samples unsigned, 16-bit samples signed little-endian.
struct WaveFormat {
    uint16_t formatTag = WAVE_FORMAT_PCM;
    uint16_t channels = 0;
    uint32_t samplesPerSecond = 0;
    uint32_t avgBytesPerSecond = 0;
    uint16_t blockAlign = 0; // bytes of one frame: channels * bitsPerSample / 8
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;

    friend bool operator==(const WaveFormat&, const WaveFormat&) = default;
};

/// Lowest and highest play frequency a buffer accepts, in samples per second.
inline constexpr uint32_t kMinSoundFrequency = 100;
inline constexpr uint32_t kMaxSoundFrequency = 200000;

/// PCM with 1 or 2 channels of 8 or 16 bits, a rate the mixer accepts and a block alignment that matches.
[[nodiscard]] constexpr bool IsPlayableFormat(const WaveFormat& format)
{
    return format.formatTag == WAVE_FORMAT_PCM && (format.channels == 1 || format.channels == 2) &&
           (format.bitsPerSample == 8 || format.bitsPerSample == 16) && format.samplesPerSecond >= kMinSoundFrequency &&
           format.samplesPerSecond <= kMaxSoundFrequency &&
           format.blockAlign == format.channels * format.bitsPerSample / 8;
}

/// The PCM format of that shape, with the block alignment and byte rate computed.
[[nodiscard]] constexpr WaveFormat MakePcmFormat(uint16_t channels, uint32_t samplesPerSecond, uint16_t bits)
{
    WaveFormat format;
    format.channels = channels;
    format.samplesPerSecond = samplesPerSecond;
    format.bitsPerSample = bits;
    format.blockAlign = uint16_t(uint32_t(channels) * bits / 8); // a damaged header may hold any two numbers
    format.avgBytesPerSecond = format.blockAlign * samplesPerSecond;
    return format;
}

} // namespace Platform
