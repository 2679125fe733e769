#pragma once

// The engine's sound tests: the game's sound library on a private mixer, recording the calls the engine makes,
// installed for the process and started through the engine's device, with a manual clock for the workers.

#include "engine/TMSoundDevice.h"
#include "platform/audio/AudioMixer.h"
#include "platform/audio/SoundLibrary.h"
#include "platform/time/Clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace SoundTest {

/// The stand-in, recording each call as a line ("SamplePause 3 1"). Files whose name starts with "missing" fail
/// to load when `fakeFiles` is set; others then load as a short tone made in memory (streamed when asked). Workers run
/// only when the test calls RunDueWorkers.
class RecordingLibrary : public Platform::SoundLibrary {
public:
    /// A stream of a constant tone, one second long.
    class Tone : public Platform::SoundDecoder {
    public:
        Tone() : SoundDecoder(Platform::SoundSource{})
        {
            mFormat = Platform::MakePcmFormat(1, 44100, 16);
            mTotalBytes = kBytes;
        }
        size_t Read(std::span<uint8_t> out) override
        {
            const size_t n = std::min(out.size(), mLeft) & ~size_t(1);
            std::fill(out.begin(), out.begin() + std::ptrdiff_t(n), uint8_t(1));
            mLeft -= n;
            return n;
        }
        bool Rewind() override
        {
            mLeft = kBytes;
            return true;
        }

    private:
        static constexpr size_t kBytes = 88200;
        size_t mLeft = kBytes;
    };

    explicit RecordingLibrary(Platform::AudioMixer& mixer) : SoundLibrary(mixer) {}

    int DeviceCount() override { return mDevices; }
    int Init(const Platform::SoundLibraryParams& params) override
    {
        Platform::SoundLibraryParams manual = params;
        manual.workerThread = false;
        Record("Init");
        return SoundLibrary::Init(manual);
    }
    Platform::SoundSampleId SampleLoadFile(const char* path, const Platform::SoundSampleDefaults* defaults,
                                           bool stream) override
    {
        Platform::SoundSampleId id;
        const int group = defaults ? defaults->group : 0;
        if (!mFakeFiles)
            id = SoundLibrary::SampleLoadFile(path, defaults, stream);
        else if (std::string_view(path).substr(0, 7) == "missing")
            id = {};
        else if (stream)
            id = AddStreamSample(
                Platform::MakePcmFormat(1, 44100, 16), [] { return std::make_unique<Tone>(); }, group);
        else
            id = AddSample(Platform::MakePcmFormat(1, 44100, 16), std::vector<uint8_t>(4000, 1), group);
        Record("SampleLoadFile " + std::string(path) + (stream ? " stream" : "") + " -> " + std::to_string(id.value));
        return id;
    }
    void SampleUnload(Platform::SoundSampleId sample) override
    {
        Record("SampleUnload " + std::to_string(sample.value));
        SoundLibrary::SampleUnload(sample);
    }
    Platform::SoundChannelId SamplePlay(Platform::SoundSampleId sample, bool loop, int group, bool start, int priority,
                                        int volume, int frequency, int pan) override
    {
        const Platform::SoundChannelId id =
            SoundLibrary::SamplePlay(sample, loop, group, start, priority, volume, frequency, pan);
        char line[160];
        std::snprintf(line, sizeof line, "SamplePlay %u %d %d %d %d %d %d %d -> %u", sample.value, loop, group, start,
                      priority, volume, frequency, pan, id.value);
        Record(line);
        return id;
    }
    void SampleStop(Platform::SoundSampleId sample) override
    {
        Record("SampleStop " + std::to_string(sample.value));
        SoundLibrary::SampleStop(sample);
    }
    void SamplePause(Platform::SoundSampleId sample, bool paused) override
    {
        Record("SamplePause " + std::to_string(sample.value) + " " + std::to_string(paused));
        SoundLibrary::SamplePause(sample, paused);
    }
    void ChannelStop(Platform::SoundChannelId channel) override
    {
        Record("ChannelStop " + std::to_string(channel.value));
        SoundLibrary::ChannelStop(channel);
    }
    void ChannelPause(Platform::SoundChannelId channel, bool paused) override
    {
        Record("ChannelPause " + std::to_string(channel.value) + " " + std::to_string(paused));
        SoundLibrary::ChannelPause(channel, paused);
    }
    void ChannelStart(Platform::SoundChannelId channel) override
    {
        Record("ChannelStart " + std::to_string(channel.value));
        SoundLibrary::ChannelStart(channel);
    }
    void ChannelGroupSetVolume(int group, int volume) override
    {
        Record("ChannelGroupSetVolume " + std::to_string(group) + " " + std::to_string(volume));
        SoundLibrary::ChannelGroupSetVolume(group, volume);
    }

    /// The calls since the last take.
    std::vector<std::string> TakeCalls()
    {
        const std::lock_guard lock(mLogLock);
        std::vector<std::string> calls;
        calls.swap(mCalls);
        return calls;
    }

    int mDevices = 1;
    bool mFakeFiles = true;

private:
    void Record(const std::string& line)
    {
        const std::lock_guard lock(mLogLock);
        mCalls.push_back(line);
    }

    std::mutex mLogLock;
    std::vector<std::string> mCalls;
};

/// A device of the engine over a RecordingLibrary, with a manual clock. Tests call Start after adjusting the
/// library.
class SoundFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        mPreviousClock = Platform::SetClock(&mClock);
        mPreviousLibrary = Platform::SetSoundLibrary(&mLibrary);
        mDevice = new TMSoundDevice();
        gSoundDevice = mDevice;
    }
    void TearDown() override
    {
        gSoundDevice = nullptr;
        delete mDevice; // shuts the library down
        Platform::SetSoundLibrary(mPreviousLibrary);
        Platform::SetClock(mPreviousClock);
    }

    void Start()
    {
        SoundDeviceStart({});
        mLibrary.TakeCalls();
    }

    /// Moves the clock on by steps of `ms` and runs what has come due after each.
    void Tick(uint32_t ms, int steps = 1)
    {
        for (int i = 0; i < steps; ++i) {
            mClock.Advance(ms);
            mLibrary.RunDueWorkers();
        }
    }

    Platform::ManualClock mClock{10000};
    Platform::AudioMixer mMixer;
    RecordingLibrary mLibrary{mMixer};
    TMSoundDevice* mDevice = nullptr;

private:
    Platform::Clock* mPreviousClock = nullptr;
    Platform::SoundLibrary* mPreviousLibrary = nullptr;
};

} // namespace SoundTest
