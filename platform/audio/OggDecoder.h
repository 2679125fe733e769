#pragma once

#include "platform/audio/SoundDecoder.h"

#include <memory>

namespace Platform {

/// Decoder of Ogg Vorbis files to 16-bit samples, one or two channels.
class OggDecoder : public SoundDecoder {
public:
    /// Null when the headers are damaged or cut short, the stream has no samples or more than two channels.
    [[nodiscard]] static std::unique_ptr<OggDecoder> Open(SoundSource source);
    ~OggDecoder() override;

    size_t Read(std::span<uint8_t> out) override;
    bool Rewind() override;

private:
    struct Stream;
    explicit OggDecoder(SoundSource source);

    // The Vorbis decoder's state, reading through mSource; null until the headers are read.
    std::unique_ptr<Stream> mStream;
};

} // namespace Platform
