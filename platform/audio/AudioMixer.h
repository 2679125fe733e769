#pragma once

#include "platform/audio/SoundBuffer.h"
#include "platform/audio/WaveFormat.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace Platform {

/// The software mixer that the framework's sounds, its music and the game's sound library share: it sums the
/// playing buffers, each resampled to the output rate with its own gain and pan, scales the sum by the process's
/// own master volume (the system mixer is never touched) and writes 16-bit stereo frames. The audio output pulls
/// from it; tests pull with Mix directly. Thread-safe.
class AudioMixer {
public:
    static constexpr uint32_t kDefaultOutputRate = 44100;

    explicit AudioMixer(uint32_t outputRate = kDefaultOutputRate);
    /// Every buffer made by this mixer must be gone.
    ~AudioMixer();
    AudioMixer(const AudioMixer&) = delete;
    AudioMixer& operator=(const AudioMixer&) = delete;

    /// A new silent buffer of `bytes` bytes; null for an unplayable format or a size that is zero or above
    /// kMaxBufferBytes. Bytes past the last whole frame are never played.
    [[nodiscard]] std::unique_ptr<SoundBuffer> CreateBuffer(const WaveFormat& format, uint32_t bytes);
    /// A new buffer sharing the original's data, with its gain, pan and frequency, stopped at the start.
    [[nodiscard]] std::unique_ptr<SoundBuffer> Duplicate(const SoundBuffer& original);

    /// Mixes the next `frameCount` frames into `out` (interleaved left, right), advancing every playing buffer.
    void Mix(int16_t* out, size_t frameCount);

    /// Linear factor 0..1 applied to the whole mix; values outside are clamped.
    void SetMasterVolume(double volume);
    [[nodiscard]] double MasterVolume() const;
    [[nodiscard]] uint32_t OutputRate() const { return mOutputRate; }
    /// Buffers currently playing.
    [[nodiscard]] size_t PlayingCount() const;

    /// Largest buffer it makes, in bytes.
    static constexpr uint32_t kMaxBufferBytes = 256u << 20;

private:
    friend class SoundBuffer;
    std::unique_ptr<SoundBuffer> Adopt(std::shared_ptr<SoundBuffer::Samples> samples);
    void Forget(SoundBuffer* buffer); // the buffer's destructor

    const uint32_t mOutputRate;
    mutable std::mutex mMutex;
    std::vector<SoundBuffer*> mBuffers; // borrowed: each removes itself when destroyed
    double mMasterVolume = 1.0;
    std::vector<float> mScratch; // mix sums, reused between calls
};

/// The process's one mixer. Never destroyed, so that an audio thread still pulling at exit finds it alive.
AudioMixer& SharedAudioMixer();

} // namespace Platform
