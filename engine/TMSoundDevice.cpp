#include "engine/TMSoundDevice.h"

#include "engine/NotBuiltYet.h"

TMSoundDevice* gSoundDevice = nullptr;

TMSoundDevice::~TMSoundDevice() = default;

void SoundDeviceStart(Platform::WindowHandle /*window*/)
{
    ENGINE_NOT_BUILT_YET();
}

void SoundDeviceShutdown()
{
    ENGINE_NOT_BUILT_YET();
}

void SoundDevicePause(bool /*paused*/)
{
    ENGINE_NOT_BUILT_YET();
}
