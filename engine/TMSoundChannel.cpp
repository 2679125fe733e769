#include "engine/TMSoundChannel.h"

#include "engine/TMSound.h"
#include "engine/TMSoundDevice.h"
#include "engine/TMSoundManager.h"

TMSoundChannel::TMSoundChannel(TMSound* sound) : mSound(sound) {}

TMSoundChannel::~TMSoundChannel()
{
    Stop();
}

void TMSoundChannel::Play()
{
    Platform::SoundLibrary* library = AvailableSoundLibrary();
    if (!library || !mSound)
        return;
    if (library->ChannelStatus(mChannel) == Platform::kChannelNone)
        mChannel = library->SamplePlay(mSound->GetSample(), mSound->IsLooping(), mSound->GetGroup(), true, 0,
                                       TMSoundManager::GetEffectsVolume(), TMSoundManager::kFrequency,
                                       TMSoundManager::kPanCentre);
    else
        library->ChannelStart(mChannel);
}

void TMSoundChannel::Stop()
{
    Platform::SoundLibrary* library = AvailableSoundLibrary();
    if (library && library->ChannelStatus(mChannel) != Platform::kChannelNone)
        library->ChannelStop(mChannel);
}

void TMSoundChannel::Pause()
{
    if (mPauseCount == 0) {
        if (Platform::SoundLibrary* library = AvailableSoundLibrary())
            library->ChannelPause(mChannel, true);
    }
    ++mPauseCount;
}

void TMSoundChannel::Resume()
{
    --mPauseCount;
    if (mPauseCount == 0) {
        if (Platform::SoundLibrary* library = AvailableSoundLibrary())
            library->ChannelPause(mChannel, false);
    }
}
