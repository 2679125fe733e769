#include "shell/DSoundManager.h"

#include "platform/audio/AudioMixer.h"
#include "platform/audio/AudioOutput.h"
#include "platform/audio/DirectSound.h"
#include "platform/time/Clock.h"
#include "shell/DSoundInstance.h"
#include "shell/FModLoader.h"
#include "shell/ProcessExit.h"

#include <algorithm>
#include <cmath>

namespace Pyxo {

namespace {

// Static, software mixed, with frequency, pan and volume control and an accurate play position.
constexpr uint32_t kSoundBufferFlags = Platform::DSBCAPS_STATIC | Platform::DSBCAPS_LOCSOFTWARE |
                                       Platform::DSBCAPS_CTRLFREQUENCY | Platform::DSBCAPS_CTRLPAN |
                                       Platform::DSBCAPS_CTRLVOLUME | Platform::DSBCAPS_GETCURRENTPOSITION2;
static_assert(kSoundBufferFlags == 0x80EA);

} // namespace

DSoundManager::DSoundManager(Platform::WindowHandle window, bool useFMod) : mUseFMod(useFMod)
{
    mBaseVolumes.fill(1.0);
    if (!window) {
        return;
    }
    Platform::RegisterDirectSoundStandIn();
    mDSoundModule = Platform::LoadLibraryA("dsound.dll");
    auto create =
        reinterpret_cast<Platform::LPDIRECTSOUNDCREATE>(Platform::GetProcAddress(mDSoundModule, "DirectSoundCreate"));
    if (!create || Platform::Failed(create(nullptr, mDirectSound.Put(), nullptr))) {
        mDirectSound.Reset();
        return;
    }
    // The audio device pulls from its own thread, which an exit must end like any other.
    mOutputStopper = AddThreadStopper([] { Platform::AudioOutput::Shutdown(); });
    if (mUseFMod) {
        LoadFModLibrary();
        FMOD_INSTANCE* fmod = GetFModLibrary();
        fmod->FSOUND_SetHWND(reinterpret_cast<void*>(uintptr_t(window.id)));
        fmod->FSOUND_SetBufferSize(200);
        fmod->FSOUND_Init(44100, 64, 2);
    }
    if (Platform::Failed(mDirectSound->SetCooperativeLevel(window, Platform::DSSCL_PRIORITY))) {
        mDirectSound->SetCooperativeLevel(window, Platform::DSSCL_NORMAL);
        return;
    }
    const Platform::DSBUFFERDESC description{Platform::kDSBufferDescSize, Platform::DSBCAPS_PRIMARYBUFFER, 0, 0,
                                             nullptr};
    if (Platform::Succeeded(mDirectSound->CreateSoundBuffer(&description, mPrimaryBuffer.Put(), nullptr))) {
        const Platform::WaveFormat format = Platform::MakePcmFormat(2, 44100, 16);
        mPrimaryBuffer->SetFormat(&format);
    } else {
        mPrimaryBuffer.Reset();
    }
}

DSoundManager::~DSoundManager()
{
    ReleaseChannels();
    ReleaseSounds();
    mPrimaryBuffer.Reset();
    if (mDirectSound) {
        if (mUseFMod) {
            GetFModLibrary()->FSOUND_Close();
        }
        mDirectSound.Reset();
        if (mUseFMod) {
            FreeFModLibrary();
        }
    }
    if (mOutputStopper >= 0) {
        RemoveThreadStopper(mOutputStopper);
    }
    if (mDSoundModule) {
        Platform::FreeLibrary(mDSoundModule);
    }
}

bool DSoundManager::Initialized()
{
    return mDirectSound != nullptr;
}

int DSoundManager::LoadSoundByName(const std::string& fileName)
{
    if (!fileName.empty()) {
        for (unsigned id = 0; id < kMaxSounds; ++id) {
            if (mSourceFileNames[id] == fileName) {
                return int(id);
            }
        }
    }
    for (int id = int(kMaxSounds) - 1; id >= 0; --id) {
        if (!mSourceSounds[id]) {
            return LoadSound(unsigned(id), fileName) ? id : -1;
        }
    }
    return -1;
}

void DSoundManager::ReleaseSound(unsigned int id)
{
    if (id < kMaxSounds && mSourceSounds[id]) {
        FreeSoundBuffer(id);
        mSourceFileNames[id].clear();
    }
}

void DSoundManager::SetVolume(double volume)
{
    mMasterVolume = volume;
    for (const auto& instance : mPlayingSounds) {
        if (instance) {
            instance->RehupVolume();
        }
    }
}

bool DSoundManager::SetBaseVolume(unsigned int id, double volume)
{
    if (id >= kMaxSounds) {
        return false;
    }
    mBaseVolumes[id] = volume;
    return true;
}

bool DSoundManager::SetBasePan(unsigned int id, int pan)
{
    if (id >= kMaxSounds) {
        return false;
    }
    mBasePans[id] = pan;
    return true;
}

SoundInstance* DSoundManager::GetSoundInstance(unsigned int id)
{
    if (id >= kMaxSounds) {
        return nullptr;
    }
    const uint32_t now = Platform::GetTickCount();
    if (now - mLastReleaseTick > 1000) {
        for (auto& instance : mPlayingSounds) {
            if (instance && instance->IsReleased()) {
                instance.reset();
            }
        }
        mLastReleaseTick = now;
    }
    std::unique_ptr<DSoundInstance>* channel = nullptr;
    for (auto& instance : mPlayingSounds) {
        if (!instance) {
            channel = &instance;
            break;
        }
        if (instance->IsReleased()) {
            instance.reset();
            channel = &instance;
            break;
        }
    }
    if (!channel) {
        return nullptr;
    }
    if (mDirectSound && !mSourceSounds[id]) {
        return nullptr;
    }
    *channel = std::make_unique<DSoundInstance>(this, mDirectSound ? mSourceSounds[id].Get() : nullptr);
    DSoundInstance* instance = channel->get();
    instance->SetBasePan(mBasePans[id]);
    instance->SetBaseVolume(mBaseVolumes[id]);
    return instance;
}

void DSoundManager::ReleaseSounds()
{
    for (unsigned id = 0; id < kMaxSounds; ++id) {
        FreeSoundBuffer(id);
    }
}

void DSoundManager::ReleaseChannels()
{
    for (auto& instance : mPlayingSounds) {
        instance.reset();
    }
}

double DSoundManager::GetMasterVolume()
{
    return Platform::SharedAudioMixer().MasterVolume();
}

void DSoundManager::SetMasterVolume(double volume)
{
    // The 16-bit steps of a wave-output volume control, but on our own mixer: the system's is never touched.
    const double clamped = std::isnan(volume) ? 0.0 : std::clamp(volume, 0.0, 1.0);
    Platform::SharedAudioMixer().SetMasterVolume(uint32_t(clamped * 65535) / 65535.0);
}

void DSoundManager::SetCooperativeWindow(Platform::WindowHandle window, bool /*isWindowed*/)
{
    if (mDirectSound) {
        mDirectSound->SetCooperativeLevel(window, Platform::DSSCL_NORMAL);
    }
}

void DSoundManager::StopAllSounds()
{
    for (const auto& instance : mPlayingSounds) {
        if (instance) {
            const bool autoRelease = instance->GetAutoRelease();
            instance->Stop();
            instance->SetAutoRelease(autoRelease);
        }
    }
}

int DSoundManager::GetFreeSoundId()
{
    for (unsigned id = 0; id < kMaxSounds; ++id) {
        if (!mSourceSounds[id]) {
            return int(id);
        }
    }
    return -1;
}

int DSoundManager::GetNumSounds()
{
    return int(std::count_if(mSourceSounds.begin(), mSourceSounds.end(),
                             [](const auto& buffer) { return buffer != nullptr; }));
}

Platform::DirectSoundBuffer* DSoundManager::GetSourceBuffer(unsigned int id) const
{
    return id < kMaxSounds ? mSourceSounds[id] : nullptr;
}

const std::string& DSoundManager::GetSoundName(unsigned int id) const
{
    static const std::string kNone;
    return id < kMaxSounds ? mSourceFileNames[id] : kNone;
}

uint32_t DSoundManager::GetSampleSize(unsigned int id) const
{
    return id < kMaxSounds ? mSourceDataSizes[id] : 0;
}

double DSoundManager::GetBaseVolume(unsigned int id) const
{
    return id < kMaxSounds ? mBaseVolumes[id] : 1.0;
}

int DSoundManager::GetBasePan(unsigned int id) const
{
    return id < kMaxSounds ? mBasePans[id] : 0;
}

bool DSoundManager::CreateSoundBuffer(unsigned int id, const Platform::WaveFormat& format, uint32_t bytes)
{
    FreeSoundBuffer(id);
    mSourceDataSizes[id] = bytes;
    if (!mDirectSound) {
        return false;
    }
    const Platform::DSBUFFERDESC description{Platform::kDSBufferDescSize, kSoundBufferFlags, bytes, 0, &format};
    if (Platform::Failed(mDirectSound->CreateSoundBuffer(&description, mSourceSounds[id].Put(), nullptr))) {
        mSourceSounds[id].Reset();
        return false;
    }
    return true;
}

void DSoundManager::FreeSoundBuffer(unsigned int id)
{
    mSourceSounds[id].Reset();
}

} // namespace Pyxo
