#include "platform/audio/AudioMixer.h"

#include <algorithm>
#include <cmath>

namespace Platform {

namespace {

// Hundredths of a decibel to an amplitude factor; the floor of the range is silence, not -100 dB.
float Attenuation(int32_t hundredthsOfDecibel)
{
    if (hundredthsOfDecibel <= SoundBuffer::kVolumeMin) {
        return 0.0f;
    }
    return float(std::pow(10.0, hundredthsOfDecibel / 2000.0));
}

struct Frame {
    float left;
    float right;
};

Frame ReadFrame(const WaveFormat& format, const uint8_t* data, uint32_t frame)
{
    const uint8_t* p = data + size_t(frame) * format.blockAlign;
    float channel[2];
    for (int c = 0; c < format.channels; ++c) {
        if (format.bitsPerSample == 8) {
            channel[c] = float((int(p[c]) - 128) * 256);
        } else {
            channel[c] = float(int16_t(uint16_t(p[2 * c] | (p[2 * c + 1] << 8))));
        }
    }
    return format.channels == 1 ? Frame{channel[0], channel[0]} : Frame{channel[0], channel[1]};
}

} // namespace

AudioMixer::AudioMixer(uint32_t outputRate) : mOutputRate(outputRate > 0 ? outputRate : kDefaultOutputRate) {}

AudioMixer::~AudioMixer() = default;

std::unique_ptr<SoundBuffer> AudioMixer::CreateBuffer(const WaveFormat& format, uint32_t bytes)
{
    if (!IsPlayableFormat(format) || bytes == 0 || bytes > kMaxBufferBytes) {
        return nullptr;
    }
    auto samples = std::make_shared<SoundBuffer::Samples>();
    samples->format = format;
    // 8-bit silence is the midpoint, 16-bit silence is zero.
    samples->bytes.assign(bytes, format.bitsPerSample == 8 ? 0x80 : 0x00);
    return Adopt(std::move(samples));
}

std::unique_ptr<SoundBuffer> AudioMixer::Duplicate(const SoundBuffer& original)
{
    if (&original.mMixer != this) {
        return nullptr;
    }
    auto duplicate = Adopt(original.mSamples);
    std::lock_guard lock(mMutex);
    duplicate->mVolume = original.mVolume;
    duplicate->mPan = original.mPan;
    duplicate->mFrequency = original.mFrequency;
    return duplicate;
}

std::unique_ptr<SoundBuffer> AudioMixer::Adopt(std::shared_ptr<SoundBuffer::Samples> samples)
{
    std::unique_ptr<SoundBuffer> buffer(new SoundBuffer(*this, std::move(samples)));
    std::lock_guard lock(mMutex);
    mBuffers.push_back(buffer.get());
    return buffer;
}

void AudioMixer::Forget(SoundBuffer* buffer)
{
    std::lock_guard lock(mMutex);
    std::erase(mBuffers, buffer);
}

void AudioMixer::Mix(int16_t* out, size_t frameCount)
{
    if (!out || frameCount == 0) {
        return;
    }
    std::lock_guard lock(mMutex);
    mScratch.assign(frameCount * 2, 0.0f);
    for (SoundBuffer* buffer : mBuffers) {
        const SoundBuffer::Samples& samples = *buffer->mSamples;
        // A locked buffer is being written: it sits this pass out rather than play half-written data.
        if (!buffer->mPlaying || samples.locks > 0) {
            continue;
        }
        const uint32_t frames = buffer->FrameCount();
        if (frames == 0) {
            buffer->mPlaying = false;
            continue;
        }
        const float gain = Attenuation(buffer->mVolume);
        const float leftGain = buffer->mPan > 0 ? gain * Attenuation(-buffer->mPan) : gain;
        const float rightGain = buffer->mPan < 0 ? gain * Attenuation(buffer->mPan) : gain;
        const uint64_t step = (uint64_t(buffer->mFrequency) << 32) / mOutputRate;
        const uint64_t end = uint64_t(frames) << 32;
        const uint8_t* data = samples.bytes.data();
        uint64_t position = buffer->mPosition;
        for (size_t i = 0; i < frameCount; ++i) {
            const uint32_t index = uint32_t(position >> 32);
            const uint32_t next = index + 1 < frames ? index + 1 : (buffer->mLooping ? 0 : index);
            const float fraction = float(uint32_t(position)) * (1.0f / 4294967296.0f);
            const Frame a = ReadFrame(samples.format, data, index);
            const Frame b = ReadFrame(samples.format, data, next);
            mScratch[2 * i] += (a.left + (b.left - a.left) * fraction) * leftGain;
            mScratch[2 * i + 1] += (a.right + (b.right - a.right) * fraction) * rightGain;
            position += step;
            if (position >= end) {
                if (!buffer->mLooping) {
                    buffer->mPlaying = false;
                    position = 0;
                    break;
                }
                position %= end;
            }
        }
        buffer->mPosition = position;
    }
    const float master = float(mMasterVolume);
    for (size_t i = 0; i < frameCount * 2; ++i) {
        const float value = std::clamp(std::nearbyint(mScratch[i] * master), -32768.0f, 32767.0f);
        out[i] = int16_t(value);
    }
}

void AudioMixer::SetMasterVolume(double volume)
{
    std::lock_guard lock(mMutex);
    mMasterVolume = std::isnan(volume) ? 0.0 : std::clamp(volume, 0.0, 1.0);
}

double AudioMixer::MasterVolume() const
{
    std::lock_guard lock(mMutex);
    return mMasterVolume;
}

size_t AudioMixer::PlayingCount() const
{
    std::lock_guard lock(mMutex);
    return size_t(std::count_if(mBuffers.begin(), mBuffers.end(), [](const SoundBuffer* b) { return b->mPlaying; }));
}

AudioMixer& SharedAudioMixer()
{
    static AudioMixer* mixer = new AudioMixer();
    return *mixer;
}

} // namespace Platform
