#include "engine/TMSoundChannel.h"

#include "engine/NotBuiltYet.h"

TMSoundChannel::TMSoundChannel(TMSound* sound) : mSound(sound) {}

TMSoundChannel::~TMSoundChannel() = default;

void TMSoundChannel::Play()
{
    ENGINE_NOT_BUILT_YET();
}

void TMSoundChannel::Stop()
{
    ENGINE_NOT_BUILT_YET();
}

void TMSoundChannel::Pause()
{
    ENGINE_NOT_BUILT_YET();
}

void TMSoundChannel::Resume()
{
    ENGINE_NOT_BUILT_YET();
}
