#pragma once

#include "platform/audio/WaveFormat.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Platform {

class AudioMixer;

/// One playable buffer of the software mixer: static sample data in memory, which duplicates share, and the play
/// state of this copy (position, looping, gain, pan, frequency). Made by AudioMixer, which it must not outlive.
/// Gains and pans are in hundredths of a decibel: volume -10000 (silence) to 0 (full); pan -10000 (left only)
/// to 10000 (right only). Thread-safe: every call takes the mixer's lock.
class SoundBuffer {
public:
    static constexpr int32_t kVolumeMin = -10000;
    static constexpr int32_t kVolumeMax = 0;
    static constexpr int32_t kPanLeft = -10000;
    static constexpr int32_t kPanRight = 10000;

    ~SoundBuffer();
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    [[nodiscard]] const WaveFormat& Format() const;
    /// Bytes of sample data.
    [[nodiscard]] uint32_t Size() const;

    /// Write access to `bytes` bytes from `offset`, in two parts when the range wraps past the end (second part
    /// null otherwise). A locked buffer is not mixed until every lock is undone. False, with nothing locked, for
    /// an offset past the end or more bytes than the buffer holds.
    [[nodiscard]] bool Lock(uint32_t offset, uint32_t bytes, void** first, uint32_t* firstBytes, void** second,
                            uint32_t* secondBytes);
    /// False when the buffer is not locked.
    bool Unlock();

    /// Plays from the current position; looping wraps at the end, otherwise play stops there and the position
    /// returns to the start.
    void Play(bool looping);
    /// Stops; the position stays.
    void Stop();
    /// Byte offset of the play position, rounded down to a whole frame; false past the end.
    bool SetPosition(uint32_t byteOffset);
    [[nodiscard]] uint32_t Position() const;
    [[nodiscard]] bool IsPlaying() const;
    [[nodiscard]] bool IsLooping() const;

    /// False (nothing changes) outside kVolumeMin..kVolumeMax.
    bool SetVolume(int32_t hundredthsOfDecibel);
    [[nodiscard]] int32_t Volume() const;
    /// False (nothing changes) outside kPanLeft..kPanRight.
    bool SetPan(int32_t pan);
    [[nodiscard]] int32_t Pan() const;
    /// Samples per second at which the data play, resampled to the output rate; 0 restores the format's rate.
    /// False (nothing changes) outside kMinSoundFrequency..kMaxSoundFrequency.
    bool SetFrequency(uint32_t frequency);
    [[nodiscard]] uint32_t Frequency() const;

private:
    friend class AudioMixer;
    struct Samples {
        WaveFormat format;
        std::vector<uint8_t> bytes;
        int locks = 0; // guarded by the mixer's lock
    };

    SoundBuffer(AudioMixer& mixer, std::shared_ptr<Samples> samples);
    [[nodiscard]] uint32_t FrameCount() const;

    AudioMixer& mMixer;                // borrowed; outlives the buffer
    std::shared_ptr<Samples> mSamples; // shared with the duplicates
    // Play state, guarded by the mixer's lock. The position counts frames in 32.32 fixed point.
    uint64_t mPosition = 0;
    uint32_t mFrequency = 0;
    int32_t mVolume = 0;
    int32_t mPan = 0;
    bool mPlaying = false;
    bool mLooping = false;
};

} // namespace Platform
