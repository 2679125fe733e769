#include "shell/DSoundInstance.h"

#include "platform/audio/DirectSound.h"
#include "platform/window/MessageBox.h"
#include "shell/DSoundManager.h"
#include "shell/ProcessExit.h"

#include <cmath>

namespace Pyxo {

namespace {

const wchar_t* DuplicateErrorName(Platform::HResult result)
{
    switch (result) {
    case Platform::DSERR_ALLOCATED:
        return L"DSERR_ALLOCATED";
    case Platform::DSERR_OUTOFMEMORY:
        return L"DSERR_OUTOFMEMORY";
    case Platform::DSERR_INVALIDPARAM:
        return L"DSERR_INVALIDPARAM";
    case Platform::DSERR_INVALIDCALL:
        return L"DSERR_INVALIDCALL";
    case Platform::DSERR_UNINITIALIZED:
        return L"DSERR_UNINITIALIZED";
    default:
        return nullptr;
    }
}

} // namespace

DSoundInstance::DSoundInstance(DSoundManager* manager, Platform::DirectSoundBuffer* sourceBuffer)
    : mManager(manager), mSourceSoundBuffer(sourceBuffer)
{
    if (!mSourceSoundBuffer || !mManager || !mManager->GetDevice()) {
        return;
    }
    const Platform::HResult result =
        mManager->GetDevice()->DuplicateSoundBuffer(mSourceSoundBuffer, mSoundBuffer.Put());
    if (Platform::Failed(result)) {
        mSoundBuffer.Reset();
        if (const wchar_t* name = DuplicateErrorName(result)) {
            Platform::MessageBox(Platform::WindowHandle{}, name, L"Hey", Platform::MB_OK);
        }
        // A failure ends the process with a failure status, never with 0.
        ExitProcess(1);
    }
    mSoundBuffer->GetFrequency(&mDefaultFrequency);
    RehupVolume();
}

DSoundInstance::~DSoundInstance() = default;

int32_t DSoundInstance::VolumeToDeviceVolume(double volume)
{
    const double decibels = (std::log10(volume * 9 + 1) - 1) * 2333;
    // Also silence for what has no logarithm (negative or NaN factors).
    if (!(decibels >= -2000)) {
        return Platform::DSBVOLUME_MIN;
    }
    return decibels > 10000 ? 10000 : int32_t(decibels);
}

void DSoundInstance::RehupVolume()
{
    if (mSoundBuffer) {
        mSoundBuffer->SetVolume(VolumeToDeviceVolume(mBaseVolume * mVolume * mManager->GetVolume()));
    }
}

void DSoundInstance::Release()
{
    Stop();
    mReleased = true;
}

void DSoundInstance::SetBaseVolume(double volume)
{
    mBaseVolume = volume;
    RehupVolume();
}

void DSoundInstance::SetBasePan(int pan)
{
    mBasePan = pan;
    if (mSoundBuffer) {
        mSoundBuffer->SetPan(mPan + mBasePan);
    }
}

void DSoundInstance::AdjustPitch(double steps)
{
    if (!mSoundBuffer) {
        return;
    }
    double frequency = mDefaultFrequency * std::pow(1.0594630943592953, steps);
    if (!(frequency >= 100)) {
        frequency = 100;
    } else if (frequency > 100000) {
        frequency = 100000;
    }
    mSoundBuffer->SetFrequency(uint32_t(frequency));
}

void DSoundInstance::SetVolume(double volume)
{
    mVolume = volume;
    RehupVolume();
}

void DSoundInstance::SetPan(int pan)
{
    mPan = pan;
    if (mSoundBuffer) {
        mSoundBuffer->SetPan(mPan + mBasePan);
    }
}

bool DSoundInstance::Play(bool looping, bool autoRelease)
{
    Stop();
    mHasPlayed = true;
    mAutoRelease = autoRelease;
    if (!mSoundBuffer) {
        return false;
    }
    return Platform::Succeeded(mSoundBuffer->Play(0, 0, looping ? Platform::DSBPLAY_LOOPING : 0));
}

void DSoundInstance::Stop()
{
    if (mSoundBuffer) {
        mSoundBuffer->Stop();
        mSoundBuffer->SetCurrentPosition(0);
    }
    mAutoRelease = false;
}

bool DSoundInstance::IsPlaying()
{
    if (!mHasPlayed || !mSoundBuffer) {
        return false;
    }
    uint32_t status = 0;
    if (Platform::Failed(mSoundBuffer->GetStatus(&status))) {
        return false;
    }
    return (status & Platform::DSBSTATUS_PLAYING) != 0;
}

bool DSoundInstance::IsReleased()
{
    if (!mReleased && mAutoRelease && mHasPlayed && !IsPlaying()) {
        Release();
    }
    return mReleased;
}

double DSoundInstance::GetVolume()
{
    return mVolume;
}

} // namespace Pyxo
