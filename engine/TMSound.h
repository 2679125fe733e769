#pragma once

#include "platform/audio/SoundLibrary.h"

#include <string>

/// One named sound effect of the registry: its loaded sample, group and loop flag, and a counted pause (the
/// library pauses it on the first pause and resumes it on the last resume). Owned by the sound registry; deleting
/// it stops and unloads the sample.
class TMSound {
public:
    TMSound(std::string path, int group, bool loop);
    ~TMSound();
    TMSound(const TMSound&) = delete;
    TMSound& operator=(const TMSound&) = delete;

    /// Loads the sample through the library; an invalid sample, logged, when it cannot.
    void LoadSample();
    /// Once, at the effects volume.
    void Play();
    void Stop();
    void Pause();
    void Resume();

    [[nodiscard]] Platform::SoundSampleId GetSample() const { return mSample; }
    [[nodiscard]] int GetGroup() const { return mGroup; }
    [[nodiscard]] bool IsLooping() const { return mLoop; }
    [[nodiscard]] const std::string& GetPath() const { return mPath; }
    [[nodiscard]] int GetPauseCount() const { return mPauseCount; }

private:
    Platform::SoundSampleId mSample; // none when not loaded
    std::string mPath;
    int mGroup = 0;
    bool mLoop = false;
    int mPauseCount = 0;
};
