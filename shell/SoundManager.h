#pragma once

#include "platform/window/WindowMessage.h"

#include <string>

namespace Pyxo {

class SoundInstance;

/// Plays short sounds: 256 sound ids, each holding decoded samples with a base volume and pan, and play channels
/// that hold the instances handed out. Volumes are factors 0..1; pans in hundredths of a decibel. Created and
/// owned by the application. Main thread only.
class SoundManager {
public:
    static constexpr unsigned kMaxSounds = 256;

    SoundManager() = default;
    virtual ~SoundManager() = default;
    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;

    /// The output device exists.
    [[nodiscard]] virtual bool Initialized() = 0;
    /// The id already loaded from exactly that name, else the highest free id loaded with LoadSound; -1 when
    /// none is free or the load fails.
    virtual int LoadSoundByName(const std::string& fileName) = 0;
    /// fileName without extension; false for id >= kMaxSounds or when nothing loads.
    virtual bool LoadSound(unsigned int id, const std::string& fileName) = 0;
    virtual void ReleaseSound(unsigned int id) = 0;
    /// The manager's own volume factor for every instance.
    virtual void SetVolume(double volume) = 0;
    virtual bool SetBaseVolume(unsigned int id, double volume) = 0;
    virtual bool SetBasePan(unsigned int id, int pan) = 0;
    /// A new instance of the sound in a free channel, owned by the manager; null when none is free or the id
    /// holds no sound.
    virtual SoundInstance* GetSoundInstance(unsigned int id) = 0;
    virtual void ReleaseSounds() = 0;
    virtual void ReleaseChannels() = 0;
    [[nodiscard]] virtual double GetMasterVolume() = 0;
    virtual void SetMasterVolume(double volume) = 0;
    virtual void SetCooperativeWindow(Platform::WindowHandle window, bool isWindowed) = 0;
    virtual void StopAllSounds() = 0;
    /// Lowest id without a sound, -1 when all are taken.
    [[nodiscard]] virtual int GetFreeSoundId() = 0;
    [[nodiscard]] virtual int GetNumSounds() = 0;
};

} // namespace Pyxo
