#pragma once

#include "platform/audio/SoundSource.h"
#include "platform/audio/WaveFormat.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>

namespace Platform {

/// A sound file being decoded to PCM samples in its WaveFormat, read from a SoundSource that it keeps. A whole
/// sound is decoded at once with DecodeWhole; a music stream reads piece by piece as it plays. Decoders are made
/// by the Open functions of each file type, which refuse a file whose header is damaged, truncated or of a kind
/// the mixer cannot play. One thread at a time.
class SoundDecoder {
public:
    virtual ~SoundDecoder() = default;
    SoundDecoder(const SoundDecoder&) = delete;
    SoundDecoder& operator=(const SoundDecoder&) = delete;

    [[nodiscard]] const WaveFormat& Format() const { return mFormat; }
    /// Bytes of samples the whole sound decodes to, as its header gives them.
    [[nodiscard]] uint64_t TotalBytes() const { return mTotalBytes; }

    /// Decodes the next samples into `out`, filling it unless the sound ends first; `out` holds whole frames
    /// (a multiple of the format's blockAlign). Returns the bytes written: 0 at the end. When the data end before
    /// TotalBytes or are damaged, Damaged() turns true.
    virtual size_t Read(std::span<uint8_t> out) = 0;
    /// Starts again at the first sample; false when the source cannot seek back (nothing more is read then).
    virtual bool Rewind() = 0;
    /// True once a read found the data shorter than the header said, or broken.
    [[nodiscard]] bool Damaged() const { return mDamaged; }

protected:
    explicit SoundDecoder(SoundSource source) : mSource(std::move(source)) {}
    /// Seeks the source to the first sample at `offset` and starts counting again; when it cannot, nothing more
    /// is read.
    bool RestartAt(int64_t offset);

    SoundSource mSource;
    WaveFormat mFormat;
    uint64_t mTotalBytes = 0;
    uint64_t mDelivered = 0; // bytes of samples handed out
    bool mDamaged = false;
};

/// Decodes the whole sound into `out`, which must hold exactly TotalBytes(); false when the data end early or are
/// damaged (the bytes written so far are then of no use).
[[nodiscard]] bool DecodeWhole(SoundDecoder& decoder, std::span<uint8_t> out);

} // namespace Platform
