#include "platform/audio/DirectSound.h"

#include "platform/audio/AudioMixer.h"
#include "platform/audio/AudioOutput.h"
#include "platform/process/StandInLibrary.h"

#include <array>
#include <string_view>

namespace Platform {

namespace {

std::array<std::atomic<HResult>, size_t(DirectSoundCall::kCount)>& Failures()
{
    static std::array<std::atomic<HResult>, size_t(DirectSoundCall::kCount)> failures{};
    return failures;
}

HResult InjectedFailure(DirectSoundCall call)
{
    return Failures()[size_t(call)].load();
}

ProcAddress LookUpDirectSound(std::string_view symbol)
{
    if (symbol == "DirectSoundCreate") {
        return reinterpret_cast<ProcAddress>(&DirectSoundCreate);
    }
    return nullptr;
}

} // namespace

void SetDirectSoundFailure(DirectSoundCall call, HResult result)
{
    if (call < DirectSoundCall::kCount) {
        Failures()[size_t(call)] = result;
    }
}

void ClearDirectSoundFailures()
{
    for (auto& failure : Failures()) {
        failure = DS_OK;
    }
}

void RegisterDirectSoundStandIn()
{
    RegisterStandInLibrary("dsound", &LookUpDirectSound);
}

// Device.

DirectSoundDevice::DirectSoundDevice()
{
    AudioOutput::Acquire();
}

DirectSoundDevice::~DirectSoundDevice()
{
    AudioOutput::Release();
}

uint32_t DirectSoundDevice::AddRef()
{
    return ++mReferences;
}

uint32_t DirectSoundDevice::Release()
{
    const uint32_t left = --mReferences;
    if (left == 0) {
        delete this;
    }
    return left;
}

HResult DirectSoundDevice::SetCooperativeLevel(WindowHandle window, uint32_t level)
{
    if (HResult failure = InjectedFailure(DirectSoundCall::SetCooperativeLevel); Failed(failure)) {
        return failure;
    }
    if (!window || (level != DSSCL_NORMAL && level != DSSCL_PRIORITY)) {
        return DSERR_INVALIDPARAM;
    }
    mLevel = level;
    return DS_OK;
}

HResult DirectSoundDevice::CreateSoundBuffer(const DSBUFFERDESC* description, DirectSoundBuffer** buffer, void* outer)
{
    if (!buffer) {
        return DSERR_INVALIDPARAM;
    }
    *buffer = nullptr;
    if (!description || description->dwSize != kDSBufferDescSize) {
        return DSERR_INVALIDPARAM;
    }
    if (outer) {
        return DSERR_NOAGGREGATION;
    }
    if (HResult failure = InjectedFailure(DirectSoundCall::CreateSoundBuffer); Failed(failure)) {
        return failure;
    }
    if (description->dwFlags & DSBCAPS_PRIMARYBUFFER) {
        if (description->dwBufferBytes != 0 || description->lpwfxFormat) {
            return DSERR_INVALIDPARAM;
        }
        *buffer = new DirectSoundBuffer(*this, nullptr, description->dwFlags);
        return DS_OK;
    }
    if (!description->lpwfxFormat || description->dwBufferBytes == 0 ||
        description->dwBufferBytes > AudioMixer::kMaxBufferBytes) {
        return DSERR_INVALIDPARAM;
    }
    if (!IsPlayableFormat(*description->lpwfxFormat)) {
        return DSERR_BADFORMAT;
    }
    auto mixed = SharedAudioMixer().CreateBuffer(*description->lpwfxFormat, description->dwBufferBytes);
    if (!mixed) {
        return DSERR_OUTOFMEMORY;
    }
    *buffer = new DirectSoundBuffer(*this, std::move(mixed), description->dwFlags);
    return DS_OK;
}

HResult DirectSoundDevice::DuplicateSoundBuffer(DirectSoundBuffer* original, DirectSoundBuffer** duplicate)
{
    if (!duplicate) {
        return DSERR_INVALIDPARAM;
    }
    *duplicate = nullptr;
    if (!original) {
        return DSERR_INVALIDPARAM;
    }
    if (!original->mBuffer) {
        return DSERR_INVALIDCALL; // the primary buffer has no data to share
    }
    if (HResult failure = InjectedFailure(DirectSoundCall::DuplicateSoundBuffer); Failed(failure)) {
        return failure;
    }
    auto mixed = SharedAudioMixer().Duplicate(*original->mBuffer);
    if (!mixed) {
        return DSERR_OUTOFMEMORY;
    }
    *duplicate = new DirectSoundBuffer(*this, std::move(mixed), original->mFlags);
    return DS_OK;
}

HResult DirectSoundCreate(const void* guid, DirectSoundDevice** device, void* outer)
{
    if (!device) {
        return DSERR_INVALIDPARAM;
    }
    *device = nullptr;
    if (guid) {
        return DSERR_NODRIVER; // only the default device exists
    }
    if (outer) {
        return DSERR_NOAGGREGATION;
    }
    if (HResult failure = InjectedFailure(DirectSoundCall::Create); Failed(failure)) {
        return failure;
    }
    *device = new DirectSoundDevice();
    return DS_OK;
}

// Buffer.

DirectSoundBuffer::DirectSoundBuffer(DirectSoundDevice& device, std::unique_ptr<SoundBuffer> buffer, uint32_t flags)
    : mDevice(ComRef<DirectSoundDevice>::Share(&device)), mBuffer(std::move(buffer)), mFlags(flags)
{
}

// The mixer's buffer goes before the device is let go.
DirectSoundBuffer::~DirectSoundBuffer() = default;

uint32_t DirectSoundBuffer::AddRef()
{
    return ++mReferences;
}

uint32_t DirectSoundBuffer::Release()
{
    const uint32_t left = --mReferences;
    if (left == 0) {
        delete this;
    }
    return left;
}

HResult DirectSoundBuffer::GetFormat(WaveFormat* format, uint32_t sizeAllocated, uint32_t* sizeWritten)
{
    if (!format) {
        if (!sizeWritten) {
            return DSERR_INVALIDPARAM;
        }
        *sizeWritten = sizeof(WaveFormat);
        return DS_OK;
    }
    if (sizeAllocated < sizeof(WaveFormat)) {
        return DSERR_INVALIDPARAM;
    }
    *format = mBuffer ? mBuffer->Format() : mPrimaryFormat;
    if (sizeWritten) {
        *sizeWritten = sizeof(WaveFormat);
    }
    return DS_OK;
}

HResult DirectSoundBuffer::SetFormat(const WaveFormat* format)
{
    if (mBuffer) {
        return DSERR_INVALIDCALL;
    }
    if (mDevice->CooperativeLevel() < DSSCL_PRIORITY) {
        return DSERR_PRIOLEVELNEEDED;
    }
    if (HResult failure = InjectedFailure(DirectSoundCall::SetFormat); Failed(failure)) {
        return failure;
    }
    if (!format) {
        return DSERR_INVALIDPARAM;
    }
    if (!IsPlayableFormat(*format)) {
        return DSERR_BADFORMAT;
    }
    // The mix stays 44.1 kHz 16-bit stereo whatever the primary buffer's format: it only records it.
    mPrimaryFormat = *format;
    return DS_OK;
}

HResult DirectSoundBuffer::GetStatus(uint32_t* status)
{
    if (!status) {
        return DSERR_INVALIDPARAM;
    }
    if (HResult failure = InjectedFailure(DirectSoundCall::GetStatus); Failed(failure)) {
        return failure;
    }
    *status = 0;
    if (mBuffer && mBuffer->IsPlaying()) {
        *status = DSBSTATUS_PLAYING | (mBuffer->IsLooping() ? DSBSTATUS_LOOPING : 0);
    }
    return DS_OK;
}

HResult DirectSoundBuffer::Lock(uint32_t offset, uint32_t bytes, void** first, uint32_t* firstBytes, void** second,
                                uint32_t* secondBytes, uint32_t flags)
{
    if (!mBuffer) {
        return DSERR_INVALIDCALL;
    }
    if (HResult failure = InjectedFailure(DirectSoundCall::Lock); Failed(failure)) {
        return failure;
    }
    if (flags & DSBLOCK_ENTIREBUFFER) {
        offset = 0;
        bytes = mBuffer->Size();
    }
    return mBuffer->Lock(offset, bytes, first, firstBytes, second, secondBytes) ? DS_OK : DSERR_INVALIDPARAM;
}

HResult DirectSoundBuffer::Unlock(void* first, uint32_t /*firstBytes*/, void* /*second*/, uint32_t /*secondBytes*/)
{
    if (!mBuffer) {
        return DSERR_INVALIDCALL;
    }
    if (!first) {
        return DSERR_INVALIDPARAM;
    }
    if (!mBuffer->Unlock()) {
        return DSERR_INVALIDCALL;
    }
    // An injected failure still undoes the lock, so that the buffer plays again once the failure is cleared.
    return InjectedFailure(DirectSoundCall::Unlock);
}

HResult DirectSoundBuffer::Play(uint32_t reserved, uint32_t /*priority*/, uint32_t flags)
{
    if (reserved != 0) {
        return DSERR_INVALIDPARAM;
    }
    if (HResult failure = InjectedFailure(DirectSoundCall::Play); Failed(failure)) {
        return failure;
    }
    if (mBuffer) {
        mBuffer->Play((flags & DSBPLAY_LOOPING) != 0);
    }
    return DS_OK;
}

HResult DirectSoundBuffer::Stop()
{
    if (mBuffer) {
        mBuffer->Stop();
    }
    return DS_OK;
}

HResult DirectSoundBuffer::SetCurrentPosition(uint32_t byteOffset)
{
    if (!mBuffer) {
        return DSERR_INVALIDCALL;
    }
    return mBuffer->SetPosition(byteOffset) ? DS_OK : DSERR_INVALIDPARAM;
}

HResult DirectSoundBuffer::GetCurrentPosition(uint32_t* playCursor, uint32_t* writeCursor)
{
    if (!mBuffer) {
        return DSERR_INVALIDCALL;
    }
    const uint32_t position = mBuffer->Position();
    if (playCursor) {
        *playCursor = position;
    }
    if (writeCursor) {
        *writeCursor = position;
    }
    return DS_OK;
}

HResult DirectSoundBuffer::SetVolume(int32_t volume)
{
    if (!mBuffer || !(mFlags & DSBCAPS_CTRLVOLUME)) {
        return DSERR_CONTROLUNAVAIL;
    }
    return mBuffer->SetVolume(volume) ? DS_OK : DSERR_INVALIDPARAM;
}

HResult DirectSoundBuffer::GetVolume(int32_t* volume)
{
    if (!mBuffer || !(mFlags & DSBCAPS_CTRLVOLUME)) {
        return DSERR_CONTROLUNAVAIL;
    }
    if (!volume) {
        return DSERR_INVALIDPARAM;
    }
    *volume = mBuffer->Volume();
    return DS_OK;
}

HResult DirectSoundBuffer::SetPan(int32_t pan)
{
    if (!mBuffer || !(mFlags & DSBCAPS_CTRLPAN)) {
        return DSERR_CONTROLUNAVAIL;
    }
    return mBuffer->SetPan(pan) ? DS_OK : DSERR_INVALIDPARAM;
}

HResult DirectSoundBuffer::GetPan(int32_t* pan)
{
    if (!mBuffer || !(mFlags & DSBCAPS_CTRLPAN)) {
        return DSERR_CONTROLUNAVAIL;
    }
    if (!pan) {
        return DSERR_INVALIDPARAM;
    }
    *pan = mBuffer->Pan();
    return DS_OK;
}

HResult DirectSoundBuffer::SetFrequency(uint32_t frequency)
{
    if (!mBuffer || !(mFlags & DSBCAPS_CTRLFREQUENCY)) {
        return DSERR_CONTROLUNAVAIL;
    }
    return mBuffer->SetFrequency(frequency) ? DS_OK : DSERR_INVALIDPARAM;
}

HResult DirectSoundBuffer::GetFrequency(uint32_t* frequency)
{
    if (!mBuffer || !(mFlags & DSBCAPS_CTRLFREQUENCY)) {
        return DSERR_CONTROLUNAVAIL;
    }
    if (!frequency) {
        return DSERR_INVALIDPARAM;
    }
    *frequency = mBuffer->Frequency();
    return DS_OK;
}

} // namespace Platform
