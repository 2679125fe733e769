#pragma once

#include "platform/audio/SoundDecoder.h"

#include <memory>

namespace Platform {

/// One 8-bit µ-law byte as a 16-bit sample.
[[nodiscard]] int16_t DecodeMuLaw(uint8_t byte);

/// Decoder of Sun ".au" files: 8-bit µ-law samples (encoding 1), widened to 16 bits, and 8-bit linear samples
/// (encoding 2), signed in the file and unsigned in the output.
class AuDecoder : public SoundDecoder {
public:
    /// Null when the header is cut short or not an ".au" header, the encoding is another, the format is not one
    /// the mixer plays, or the data are empty or reach past the end of the file.
    [[nodiscard]] static std::unique_ptr<AuDecoder> Open(SoundSource source);

    size_t Read(std::span<uint8_t> out) override;
    bool Rewind() override;

private:
    explicit AuDecoder(SoundSource source) : SoundDecoder(std::move(source)) {}
    bool ReadHeader();

    bool mMuLaw = false;
    uint32_t mDataOffset = 0;
};

} // namespace Platform
