#include "shell/DSoundInstance.h"

namespace Pyxo {

DSoundInstance::DSoundInstance(DSoundManager* manager, Platform::DirectSoundBuffer* sourceBuffer)
    : mManager(manager), mSourceSoundBuffer(sourceBuffer)
{
}
DSoundInstance::~DSoundInstance() = default; // not built yet
void DSoundInstance::Release()
{
    mReleased = true; // not built yet
}
void DSoundInstance::SetBaseVolume(double volume)
{
    mBaseVolume = volume; // not built yet
}
void DSoundInstance::SetBasePan(int pan)
{
    mBasePan = pan; // not built yet
}
void DSoundInstance::AdjustPitch(double) {} // not built yet
void DSoundInstance::SetVolume(double volume)
{
    mVolume = volume; // not built yet
}
void DSoundInstance::SetPan(int pan)
{
    mPan = pan; // not built yet
}
bool DSoundInstance::Play(bool, bool)
{
    return false; // not built yet
}
void DSoundInstance::Stop() {} // not built yet
bool DSoundInstance::IsPlaying()
{
    return false; // not built yet
}
bool DSoundInstance::IsReleased()
{
    return mReleased; // not built yet
}
double DSoundInstance::GetVolume()
{
    return mVolume;
}
void DSoundInstance::RehupVolume() {} // not built yet
int32_t DSoundInstance::VolumeToDeviceVolume(double)
{
    return 0; // not built yet
}

} // namespace Pyxo
