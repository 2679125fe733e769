#pragma once

#include "platform/directx/ComRef.h"
#include "shell/SoundInstance.h"

#include <cstdint>

namespace Platform {
class DirectSoundBuffer;
}

namespace Pyxo {

class DSoundManager;

/// A sound instance on its own duplicate of a loaded sound's buffer, so that several instances of one sound play
/// at once. Without a source buffer (no device) it plays nothing. Owned by the manager's channel table.
/// Main thread only.
class DSoundInstance : public SoundInstance {
public:
    /// Duplicates the source buffer (borrowed, may be null). A failed duplicate is shown in a message box and
    /// ends the process with a failure status.
    DSoundInstance(DSoundManager* manager, Platform::DirectSoundBuffer* sourceBuffer);
    ~DSoundInstance() override;

    void Release() override;
    void SetBaseVolume(double volume) override;
    void SetBasePan(int pan) override;
    void AdjustPitch(double steps) override;
    void SetVolume(double volume) override;
    void SetPan(int pan) override;
    bool Play(bool looping, bool autoRelease) override;
    void Stop() override;
    [[nodiscard]] bool IsPlaying() override;
    [[nodiscard]] bool IsReleased() override;
    [[nodiscard]] double GetVolume() override;

    /// Re-applies the volume: the manager's volume changed.
    void RehupVolume();
    [[nodiscard]] bool GetAutoRelease() const { return mAutoRelease; }
    void SetAutoRelease(bool autoRelease) { mAutoRelease = autoRelease; }
    /// The instance's own buffer; null without a device.
    [[nodiscard]] Platform::DirectSoundBuffer* GetSoundBuffer() const { return mSoundBuffer; }

    /// Device volume in hundredths of a decibel for a factor 0..1: 0 at full, -10000 (silence) below about 0.0432.
    [[nodiscard]] static int32_t VolumeToDeviceVolume(double volume);

private:
    DSoundManager* mManager;                                    // borrowed; owns this instance
    Platform::DirectSoundBuffer* mSourceSoundBuffer;            // borrowed: the manager's buffer of the id
    Platform::ComRef<Platform::DirectSoundBuffer> mSoundBuffer; // the duplicate
    bool mAutoRelease = false;
    bool mHasPlayed = false;
    bool mReleased = false;
    int mBasePan = 0;
    double mBaseVolume = 1.0;
    int mPan = 0;
    double mVolume = 1.0;
    uint32_t mDefaultFrequency = 44100;
};

} // namespace Pyxo
