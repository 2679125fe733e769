#pragma once

#include "platform/audio/SoundLibrary.h"

class TMSound;

/// A looping or repeated sound that one actor owns: played, paused (counted) and stopped as a channel of its own.
/// The destructor stops it. Main thread.
class TMSoundChannel {
public:
    explicit TMSoundChannel(TMSound* sound);
    ~TMSoundChannel(); // Stop
    TMSoundChannel(const TMSoundChannel&) = delete;
    TMSoundChannel& operator=(const TMSoundChannel&) = delete;

    void Play();
    void Stop();
    void Pause();
    void Resume();
    [[nodiscard]] Platform::SoundChannelId GetChannel() const { return mChannel; }

private:
    TMSound* mSound;                   // borrowed from the sound registry
    Platform::SoundChannelId mChannel; // none until played
    int mPauseCount = 0;
};
