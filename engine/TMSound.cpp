#include "engine/TMSound.h"

#include "engine/EngineLog.h"
#include "engine/TMSoundDevice.h"
#include "engine/TMSoundManager.h"

#include <utility>

TMSound::TMSound(std::string path, int group, bool loop) : mPath(std::move(path)), mGroup(group), mLoop(loop) {}

TMSound::~TMSound()
{
    if (Platform::SoundLibrary* library = AvailableSoundLibrary()) {
        library->SampleStop(mSample);
        if (mSample)
            library->SampleUnload(mSample);
    }
}

void TMSound::LoadSample()
{
    Platform::SoundLibrary* library = AvailableSoundLibrary();
    if (!library)
        return;
    const Platform::SoundSampleDefaults defaults{mGroup};
    mSample = library->SampleLoadFile(mPath.c_str(), &defaults);
    if (!mSample)
        EngineContentWarning("sound %s: not loaded; it stays silent", mPath.c_str());
}

void TMSound::Play()
{
    if (Platform::SoundLibrary* library = AvailableSoundLibrary())
        (void)library->SamplePlay(mSample, false, mGroup, true, 0, TMSoundManager::GetEffectsVolume(),
                                  TMSoundManager::kFrequency, TMSoundManager::kPanCentre);
}

void TMSound::Stop()
{
    if (Platform::SoundLibrary* library = AvailableSoundLibrary())
        library->SampleStop(mSample);
}

void TMSound::Pause()
{
    if (mPauseCount == 0) {
        if (Platform::SoundLibrary* library = AvailableSoundLibrary())
            library->SamplePause(mSample, true);
    }
    ++mPauseCount;
}

void TMSound::Resume()
{
    --mPauseCount;
    if (mPauseCount == 0) {
        if (Platform::SoundLibrary* library = AvailableSoundLibrary())
            library->SamplePause(mSample, false);
    }
}
