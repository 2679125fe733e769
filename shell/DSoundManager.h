#pragma once

#include "platform/directx/ComRef.h"
#include "platform/process/StandInLibrary.h"
#include "platform/window/WindowMessage.h"
#include "shell/SoundManager.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace Platform {
class DirectSoundBuffer;
class DirectSoundDevice;
class SoundDecoder;
struct WaveFormat;
} // namespace Platform

namespace Pyxo {

class DSoundInstance;

/// The sound manager on the DirectSound stand-in: 256 sound ids, each with a static buffer of decoded samples,
/// and 32 play channels. Sounds load from WAV, Ogg Vorbis, ".au" and (with the music library) MP3 files through
/// the pack-aware file functions; decoded sounds are cached as WAV files under the application-data folder.
/// Without a window or a device the manager is silent: loads succeed without loading and instances play nothing.
/// Main thread only.
class DSoundManager : public SoundManager {
public:
    static constexpr int kMaxChannels = 32;
    /// The key that scrambles the sample bytes of cached sounds (the pack archives' key).
    static constexpr uint8_t kCacheKey = 0xA9;

    DSoundManager(Platform::WindowHandle window, bool useFMod);
    ~DSoundManager() override;

    [[nodiscard]] bool Initialized() override;
    int LoadSoundByName(const std::string& fileName) override;
    bool LoadSound(unsigned int id, const std::string& fileName) override;
    void ReleaseSound(unsigned int id) override;
    void SetVolume(double volume) override;
    bool SetBaseVolume(unsigned int id, double volume) override;
    bool SetBasePan(unsigned int id, int pan) override;
    SoundInstance* GetSoundInstance(unsigned int id) override;
    void ReleaseSounds() override;
    void ReleaseChannels() override;
    [[nodiscard]] double GetMasterVolume() override;
    void SetMasterVolume(double volume) override;
    void SetCooperativeWindow(Platform::WindowHandle window, bool isWindowed) override;
    void StopAllSounds() override;
    [[nodiscard]] int GetFreeSoundId() override;
    [[nodiscard]] int GetNumSounds() override;

    // Readers: each fills the id's buffer from one file; false when the file is missing, damaged or of a format
    // it does not take (the id then holds no buffer).
    bool ReadWav(unsigned int id, const std::string& path);
    bool ReadMp3(unsigned int id, const std::string& path);
    bool ReadOgg(unsigned int id, const std::string& path);
    bool ReadAu(unsigned int id, const std::string& path);
    /// Writes the id's samples as a cached WAV naming its source file; false for an empty path, an id without a
    /// buffer or a failed write.
    bool WriteCachedWav(unsigned int id, const std::string& cachePath, const std::string& sourcePath);

    /// The manager's volume factor for every instance (SetVolume).
    [[nodiscard]] double GetVolume() const { return mMasterVolume; }
    /// The id's buffer, or null.
    [[nodiscard]] Platform::DirectSoundBuffer* GetSourceBuffer(unsigned int id) const;
    [[nodiscard]] const std::string& GetSoundName(unsigned int id) const;
    [[nodiscard]] uint32_t GetSampleSize(unsigned int id) const;
    [[nodiscard]] double GetBaseVolume(unsigned int id) const;
    [[nodiscard]] int GetBasePan(unsigned int id) const;
    [[nodiscard]] Platform::DirectSoundDevice* GetDevice() const { return mDirectSound; }
    [[nodiscard]] Platform::DirectSoundBuffer* GetPrimaryBuffer() const { return mPrimaryBuffer; }

private:
    /// Creates the id's static buffer; the sample size is stored.
    bool CreateSoundBuffer(unsigned int id, const Platform::WaveFormat& format, uint32_t bytes);
    void FreeSoundBuffer(unsigned int id);
    /// Creates the id's buffer for the decoder's whole sound and decodes into it; false (no buffer kept) when the
    /// sound is too long for a buffer or its data end early or are damaged.
    bool FillSoundBuffer(unsigned int id, Platform::SoundDecoder& decoder);

    std::array<Platform::ComRef<Platform::DirectSoundBuffer>, kMaxSounds> mSourceSounds; // null = id free
    std::array<std::string, kMaxSounds> mSourceFileNames;
    Platform::ComRef<Platform::DirectSoundBuffer> mPrimaryBuffer;
    std::array<uint32_t, kMaxSounds> mSourceDataSizes{};
    std::array<double, kMaxSounds> mBaseVolumes;
    std::array<int, kMaxSounds> mBasePans{};
    std::array<std::unique_ptr<DSoundInstance>, kMaxChannels> mPlayingSounds;
    double mMasterVolume = 1.0;
    uint32_t mLastReleaseTick = 0;
    Platform::ComRef<Platform::DirectSoundDevice> mDirectSound; // null without a device
    bool mUseFMod = false;
    Platform::HMODULE mDSoundModule = nullptr; // one load of the stand-in library
    int mOutputStopper = -1;                   // ticket of the exit step that ends the audio thread
};

} // namespace Pyxo
