#pragma once

namespace Pyxo {

/// One playing copy of a loaded sound, handed out by the SoundManager, which owns it and deletes it once it is
/// released. Volumes are factors 0..1; pans are in hundredths of a decibel (-10000 left to 10000 right).
/// Main thread only.
class SoundInstance {
public:
    SoundInstance() = default;
    virtual ~SoundInstance() = default;
    SoundInstance(const SoundInstance&) = delete;
    SoundInstance& operator=(const SoundInstance&) = delete;

    /// Stops it and marks it released; the manager deletes it later.
    virtual void Release() = 0;
    virtual void SetBaseVolume(double volume) = 0;
    virtual void SetBasePan(int pan) = 0;
    /// Equal-tempered semitones up (positive) or down.
    virtual void AdjustPitch(double steps) = 0;
    virtual void SetVolume(double volume) = 0;
    virtual void SetPan(int pan) = 0;
    /// With autoRelease the instance releases itself once it has finished playing.
    virtual bool Play(bool looping, bool autoRelease) = 0;
    virtual void Stop() = 0;
    [[nodiscard]] virtual bool IsPlaying() = 0;
    [[nodiscard]] virtual bool IsReleased() = 0;
    [[nodiscard]] virtual double GetVolume() = 0;
};

} // namespace Pyxo
