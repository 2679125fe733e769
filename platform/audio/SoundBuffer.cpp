#include "platform/audio/SoundBuffer.h"

#include "platform/audio/AudioMixer.h"

#include <algorithm>
#include <utility>

namespace Platform {

SoundBuffer::SoundBuffer(AudioMixer& mixer, std::shared_ptr<Samples> samples)
    : mMixer(mixer), mSamples(std::move(samples)), mFrequency(mSamples->format.samplesPerSecond)
{
}

SoundBuffer::~SoundBuffer()
{
    mMixer.Forget(this);
}

const WaveFormat& SoundBuffer::Format() const
{
    return mSamples->format; // fixed at creation
}

uint32_t SoundBuffer::Size() const
{
    return uint32_t(mSamples->bytes.size());
}

uint32_t SoundBuffer::FrameCount() const
{
    return uint32_t(mSamples->bytes.size() / mSamples->format.blockAlign);
}

bool SoundBuffer::Lock(uint32_t offset, uint32_t bytes, void** first, uint32_t* firstBytes, void** second,
                       uint32_t* secondBytes)
{
    const uint32_t size = Size();
    if (!first || !firstBytes || offset >= size || bytes == 0 || bytes > size) {
        return false;
    }
    const uint32_t head = std::min(bytes, size - offset);
    if (head < bytes && (!second || !secondBytes)) {
        return false;
    }
    std::lock_guard lock(mMixer.mMutex);
    ++mSamples->locks;
    *first = mSamples->bytes.data() + offset;
    *firstBytes = head;
    if (second && secondBytes) {
        *second = head < bytes ? mSamples->bytes.data() : nullptr;
        *secondBytes = bytes - head;
    }
    return true;
}

bool SoundBuffer::Unlock()
{
    std::lock_guard lock(mMixer.mMutex);
    if (mSamples->locks == 0) {
        return false;
    }
    --mSamples->locks;
    return true;
}

void SoundBuffer::Play(bool looping)
{
    std::lock_guard lock(mMixer.mMutex);
    mPlaying = true;
    mLooping = looping;
}

void SoundBuffer::Stop()
{
    std::lock_guard lock(mMixer.mMutex);
    mPlaying = false;
}

bool SoundBuffer::SetPosition(uint32_t byteOffset)
{
    if (byteOffset >= Size()) {
        return false;
    }
    std::lock_guard lock(mMixer.mMutex);
    mPosition = uint64_t(byteOffset / mSamples->format.blockAlign) << 32;
    return true;
}

uint32_t SoundBuffer::Position() const
{
    std::lock_guard lock(mMixer.mMutex);
    return uint32_t(mPosition >> 32) * mSamples->format.blockAlign;
}

bool SoundBuffer::IsPlaying() const
{
    std::lock_guard lock(mMixer.mMutex);
    return mPlaying;
}

bool SoundBuffer::IsLooping() const
{
    std::lock_guard lock(mMixer.mMutex);
    return mPlaying && mLooping;
}

bool SoundBuffer::SetVolume(int32_t hundredthsOfDecibel)
{
    if (hundredthsOfDecibel < kVolumeMin || hundredthsOfDecibel > kVolumeMax) {
        return false;
    }
    std::lock_guard lock(mMixer.mMutex);
    mVolume = hundredthsOfDecibel;
    return true;
}

int32_t SoundBuffer::Volume() const
{
    std::lock_guard lock(mMixer.mMutex);
    return mVolume;
}

bool SoundBuffer::SetPan(int32_t pan)
{
    if (pan < kPanLeft || pan > kPanRight) {
        return false;
    }
    std::lock_guard lock(mMixer.mMutex);
    mPan = pan;
    return true;
}

int32_t SoundBuffer::Pan() const
{
    std::lock_guard lock(mMixer.mMutex);
    return mPan;
}

bool SoundBuffer::SetFrequency(uint32_t frequency)
{
    if (frequency == 0) {
        frequency = mSamples->format.samplesPerSecond;
    }
    if (frequency < kMinSoundFrequency || frequency > kMaxSoundFrequency) {
        return false;
    }
    std::lock_guard lock(mMixer.mMutex);
    mFrequency = frequency;
    return true;
}

uint32_t SoundBuffer::Frequency() const
{
    std::lock_guard lock(mMixer.mMutex);
    return mFrequency;
}

} // namespace Platform
