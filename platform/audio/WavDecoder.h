#pragma once

#include "platform/audio/SoundDecoder.h"

#include <memory>
#include <optional>
#include <string>

namespace Platform {

/// The "dep " chunk of a cached sound: the file it was decoded from, and that file's last-write time then.
struct WavSourceNote {
    std::string name;
    uint64_t time = 0;
};

/// Decoder of RIFF WAVE files with PCM samples. Chunks before "data" are read ("fmt ", the cache's "dep " and
/// "xor ") or skipped; nothing after it is read. Without a "fmt " chunk the samples are 16-bit mono at 22050 Hz.
/// An "xor " key unscrambles the samples as they are read.
class WavDecoder : public SoundDecoder {
public:
    /// Null when the file is not a RIFF WAVE file, a chunk before "data" is cut short, the format is not one the
    /// mixer plays, there is no "data" chunk or it claims more bytes than the file holds.
    [[nodiscard]] static std::unique_ptr<WavDecoder> Open(SoundSource source);

    /// The cached sound's source file, when the file names one.
    [[nodiscard]] const std::optional<WavSourceNote>& SourceNote() const { return mSourceNote; }

    size_t Read(std::span<uint8_t> out) override;
    bool Rewind() override;

private:
    explicit WavDecoder(SoundSource source) : SoundDecoder(std::move(source)) {}
    bool ReadHeaders();

    std::optional<WavSourceNote> mSourceNote;
    int64_t mDataStart = 0;
    uint8_t mKey = 0;
};

} // namespace Platform
