// The game's sound library on a private mixer, heard by pulling frames as the silent output leaves them: volume,
// pan, looping, group volumes, pauses of a channel and of the whole device, channel reuse, and workers fired on a
// manual clock.
#include "platform/audio/SoundLibrary.h"

#include "platform/audio/AudioMixer.h"
#include "platform/time/Clock.h"
#include "tests/SuiteLabels.h"
#include "tests/platform/audio/SoundFileBuilders.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace {

using namespace Platform;

/// The stand-in with samples made in memory.
class TestLibrary : public SoundLibrary {
public:
    using SoundLibrary::SoundLibrary;

    using SoundLibrary::AddStreamSample;

    /// Mono 16-bit at 44100 Hz holding `frames` frames of one value.
    SoundSampleId AddConstant(int16_t value, size_t frames)
    {
        std::vector<uint8_t> pcm;
        for (size_t i = 0; i < frames; ++i) {
            pcm.push_back(uint8_t(uint16_t(value)));
            pcm.push_back(uint8_t(uint16_t(value) >> 8));
        }
        return AddSample(MakePcmFormat(1, 44100, 16), pcm, 0);
    }
};

/// Mono 16-bit frames 1, 2, 3 ... `frames`, delivered in pieces of at most 1000 frames.
class Ramp : public SoundDecoder {
public:
    explicit Ramp(int frames) : SoundDecoder(SoundSource{}), mFrames(frames)
    {
        mFormat = MakePcmFormat(1, 44100, 16);
        mTotalBytes = uint64_t(frames) * 2;
    }
    size_t Read(std::span<uint8_t> out) override
    {
        size_t n = 0;
        while (n + 2 <= out.size() && n < 2000 && mNext <= mFrames) {
            out[n++] = uint8_t(mNext);
            out[n++] = uint8_t(mNext >> 8);
            ++mNext;
        }
        return n;
    }
    bool Rewind() override
    {
        mNext = 1;
        return true;
    }

private:
    int mFrames;
    int mNext = 1;
};

struct Stereo {
    int left;
    int right;
    friend bool operator==(Stereo, Stereo) = default;
};

void PrintTo(Stereo s, std::ostream* os)
{
    *os << "(" << s.left << ", " << s.right << ")";
}

class SoundLibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mPreviousClock = SetClock(&mClock);
        SoundLibraryParams params;
        params.workerThread = false;
        params.channels = 4;
        ASSERT_EQ(mLibrary.Init(params), 0);
    }
    void TearDown() override
    {
        mLibrary.Free();
        SetClock(mPreviousClock);
    }

    /// The next frame of the mix.
    Stereo Pull(size_t frames = 1)
    {
        std::vector<int16_t> out(frames * 2);
        mMixer.Mix(out.data(), frames);
        return {out[out.size() - 2], out[out.size() - 1]};
    }

    ManualClock mClock{5000};
    Clock* mPreviousClock = nullptr;
    AudioMixer mMixer;
    TestLibrary mLibrary{mMixer};
};

ILVANE_THREADED_SUITE(SoundLibraryTest);

TEST_F(SoundLibraryTest, VolumeAndPanShapeWhatIsHeard)
{
    struct Case {
        const char* name;
        int volume;
        int pan;
        Stereo heard;
    };
    const Case cases[] = {
        {"full, centre", 100, 50, {10000, 10000}},
        {"half", 50, 50, {5000, 5000}},
        {"silent", 0, 50, {0, 0}},
        {"right only", 100, 100, {0, 10000}},
        {"left only", 100, 0, {10000, 0}},
        {"a quarter right", 100, 75, {5000, 10000}},
    };
    const SoundSampleId sample = mLibrary.AddConstant(10000, 1000);
    ASSERT_TRUE(sample);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SoundChannelId channel = mLibrary.SamplePlay(sample, false, 1, true, 0, c.volume, 44100, c.pan);
        ASSERT_TRUE(channel);
        EXPECT_EQ(Pull(), c.heard);
        mLibrary.ChannelStop(channel);
        EXPECT_EQ(mLibrary.ChannelStatus(channel), kChannelNone);
    }
}

TEST_F(SoundLibraryTest, ASoundEndsUnlessItLoops)
{
    const SoundSampleId sample = mLibrary.AddConstant(8000, 4);
    const SoundChannelId once = mLibrary.SamplePlay(sample, false, 1, true, 0, 100, 44100, 50);
    const SoundChannelId looped = mLibrary.SamplePlay(sample, true, 2, true, 0, 100, 44100, 50);
    EXPECT_EQ(Pull(3), (Stereo{16000, 16000}));
    EXPECT_EQ(Pull(5), (Stereo{8000, 8000})) << "the looping one goes on alone";
    EXPECT_EQ(mLibrary.ChannelStatus(once), kChannelNone);
    EXPECT_EQ(mLibrary.ChannelStatus(looped), kChannelPlaying);
    EXPECT_EQ(mLibrary.ChannelCount(), 1u);

    // A group's volume is the volume of each of its channels.
    const SoundChannelId other = mLibrary.SamplePlay(sample, true, 3, true, 0, 100, 44100, 50);
    mLibrary.ChannelGroupSetVolume(2, 50);
    EXPECT_EQ(mLibrary.ChannelVolume(looped), 50);
    EXPECT_EQ(mLibrary.ChannelVolume(other), 100);
    EXPECT_EQ(Pull(), (Stereo{12000, 12000}));
}

TEST_F(SoundLibraryTest, ChannelAndDevicePausesHoldTheSoundWhereItWas)
{
    const SoundSampleId sample = mLibrary.AddConstant(1000, 10);
    const SoundChannelId channel = mLibrary.SamplePlay(sample, false, 1, true, 0, 100, 44100, 50);
    Pull(4);
    mLibrary.Pause(true);
    EXPECT_EQ(Pull(20), (Stereo{0, 0}));
    EXPECT_EQ(mLibrary.ChannelStatus(channel), kChannelPlaying) << "paused with the device, not ended";
    mLibrary.ChannelPause(channel, true);
    mLibrary.Pause(false);
    EXPECT_EQ(Pull(), (Stereo{0, 0}));
    EXPECT_EQ(mLibrary.ChannelStatus(channel), kChannelPaused);
    mLibrary.ChannelPause(channel, false);
    EXPECT_EQ(Pull(6), (Stereo{1000, 1000})) << "the six frames left";
    EXPECT_EQ(Pull(), (Stereo{0, 0}));
    EXPECT_EQ(mLibrary.ChannelStatus(channel), kChannelNone);
    mLibrary.ChannelPause(channel, false);
    EXPECT_EQ(Pull(), (Stereo{0, 0})) << "an ended channel does not start over";

    // A sample paused as a whole pauses each of its channels; unloading stops them.
    const SoundChannelId a = mLibrary.SamplePlay(sample, true, 1, true, 0, 100, 44100, 50);
    const SoundChannelId b = mLibrary.SamplePlay(sample, true, 1, true, 0, 100, 44100, 50);
    mLibrary.SamplePause(sample, true);
    EXPECT_EQ(mLibrary.ChannelStatus(a), kChannelPaused);
    EXPECT_EQ(mLibrary.ChannelStatus(b), kChannelPaused);
    mLibrary.SampleUnload(sample);
    EXPECT_EQ(mLibrary.ChannelStatus(a), kChannelNone);
    EXPECT_FALSE(mLibrary.SamplePlay(sample, false, 1, true, 0, 100, 44100, 50));
}

TEST_F(SoundLibraryTest, WithEveryChannelBusyTheLowestPriorityGives)
{
    const SoundSampleId sample = mLibrary.AddConstant(100, 100);
    std::vector<SoundChannelId> channels;
    for (int priority : {5, 1, 5, 3})
        channels.push_back(mLibrary.SamplePlay(sample, true, 1, true, priority, 100, 44100, 50));
    EXPECT_FALSE(mLibrary.SamplePlay(sample, true, 1, true, 0, 100, 44100, 50)) << "below every playing one";
    EXPECT_TRUE(mLibrary.SamplePlay(sample, true, 1, true, 2, 100, 44100, 50));
    EXPECT_EQ(mLibrary.ChannelStatus(channels[1]), kChannelNone);
    EXPECT_EQ(mLibrary.ChannelCount(), 4u);
}

TEST_F(SoundLibraryTest, AStreamDecodesAsItPlays)
{
    // The ring holds half a second (22050 frames); the source is longer, so it is refilled as the mix goes on.
    const SoundSampleId once = mLibrary.AddStreamSample(
        MakePcmFormat(1, 44100, 16), [] { return std::make_unique<Ramp>(30000); }, 1);
    ASSERT_TRUE(once);
    const SoundChannelId channel = mLibrary.SamplePlay(once, false, 1, true, 0, 100, 44100, 50);
    EXPECT_EQ(Pull(20000).left, 20000);
    mLibrary.RunDueWorkers();
    EXPECT_EQ(Pull(9999).left, 29999);
    mLibrary.RunDueWorkers();
    EXPECT_EQ(Pull(1).left, 30000);
    EXPECT_EQ(Pull(100).left, 0) << "silence after the end, nothing stale";
    mLibrary.RunDueWorkers();
    EXPECT_EQ(mLibrary.ChannelStatus(channel), kChannelNone);

    // A looping stream starts over; each channel reads the stream on its own.
    const SoundSampleId looped = mLibrary.AddStreamSample(
        MakePcmFormat(1, 44100, 16), [] { return std::make_unique<Ramp>(1000); }, 1);
    const SoundChannelId a = mLibrary.SamplePlay(looped, true, 1, true, 0, 100, 44100, 50);
    EXPECT_EQ(Pull(2500).left, 500);
    const SoundChannelId b = mLibrary.SamplePlay(looped, true, 1, true, 0, 100, 44100, 50);
    for (int i = 0; i < 10; ++i) {
        mLibrary.RunDueWorkers();
        Pull(5000);
    }
    EXPECT_EQ(Pull(1).left, (52501 - 1) % 1000 + 1 + (50001 - 1) % 1000 + 1);
    EXPECT_EQ(mLibrary.ChannelStatus(a), kChannelPlaying);
    EXPECT_EQ(mLibrary.ChannelStatus(b), kChannelPlaying);
}

struct WorkerLog {
    SoundLibrary* library = nullptr;
    int calls = 0;
    int stopAfter = 0;
};

void CountingWorker(SoundChannelId channel, void* argument)
{
    auto& log = *static_cast<WorkerLog*>(argument);
    if (++log.calls == log.stopAfter)
        log.library->ChannelSetWorker(channel, nullptr, nullptr, 0);
}

TEST_F(SoundLibraryTest, WorkersRunOncePerPeriodOfTheProcessClock)
{
    const SoundSampleId sample = mLibrary.AddConstant(100, 100);
    const SoundChannelId channel = mLibrary.SamplePlay(sample, true, 1, true, 0, 100, 44100, 50);
    WorkerLog log{&mLibrary, 0, 5};
    mLibrary.ChannelSetWorker(channel, &CountingWorker, &log, 50);
    mClock.Advance(49);
    mLibrary.RunDueWorkers();
    EXPECT_EQ(log.calls, 0);
    mClock.Advance(1);
    mLibrary.RunDueWorkers();
    EXPECT_EQ(log.calls, 1);
    mClock.Advance(150);
    mLibrary.RunDueWorkers();
    EXPECT_EQ(log.calls, 4) << "each period passed counts";
    mClock.Advance(500);
    mLibrary.RunDueWorkers();
    EXPECT_EQ(log.calls, 5) << "the worker removed itself";
}

struct Signal {
    std::mutex mutex;
    std::condition_variable changed;
    int calls = 0;
};

void SignallingWorker(SoundChannelId, void* argument)
{
    auto& signal = *static_cast<Signal*>(argument);
    const std::lock_guard lock(signal.mutex);
    ++signal.calls;
    signal.changed.notify_all();
}

TEST_F(SoundLibraryTest, TheLibrarysOwnThreadRunsTheWorkersUntilItIsFreed)
{
    AudioMixer mixer;
    TestLibrary threaded(mixer);
    SoundLibraryParams params;
    ASSERT_EQ(threaded.Init(params), 0);
    const SoundChannelId channel =
        threaded.SamplePlay(threaded.AddConstant(100, 100), true, 1, true, 0, 100, 44100, 50);
    Signal signal;
    threaded.ChannelSetWorker(channel, &SignallingWorker, &signal, 50);
    mClock.Advance(50);
    {
        std::unique_lock lock(signal.mutex);
        ASSERT_TRUE(signal.changed.wait_for(lock, std::chrono::seconds(30), [&] { return signal.calls > 0; }))
            << "the worker thread never ran the due worker";
    }
    threaded.Free();
    const std::lock_guard lock(signal.mutex);
    EXPECT_EQ(signal.calls, 1) << "once for the one period passed";
}

TEST_F(SoundLibraryTest, SampleFilesDecodeAsWavOrOggVorbis)
{
    const std::string wav = ::testing::TempDir() + "sound-library-" + std::to_string(getpid()) + ".wav";
    SoundTest::WriteBytes(wav, SoundTest::MakeWav(1, 22050, 16, SoundTest::Samples16({1, 2, 3})));
    const std::string broken = wav + ".broken";
    SoundTest::WriteBytes(broken, SoundTest::Bytes{'R', 'I', 'F', 'F', 0, 0});
    EXPECT_TRUE(mLibrary.SampleLoadFile(wav.c_str(), nullptr));
    EXPECT_TRUE(mLibrary.SampleLoadFile(ILVANE_TEST_DATA "/sound/tone441.ogg", nullptr));
    EXPECT_FALSE(mLibrary.SampleLoadFile(broken.c_str(), nullptr));
    std::remove(wav.c_str());
    std::remove(broken.c_str());
}

TEST_F(SoundLibraryTest, NothingHappensBeforeInitOrWithUnknownHandles)
{
    AudioMixer mixer;
    TestLibrary idle(mixer);
    EXPECT_FALSE(idle.AddConstant(1, 10));
    EXPECT_FALSE(idle.SampleLoadFile("missing.wav", nullptr));
    EXPECT_EQ(idle.ChannelStatus(SoundChannelId{7}), kChannelNone);
    EXPECT_FALSE(mLibrary.SampleLoadFile("no such file.wav", nullptr));
    EXPECT_FALSE(mLibrary.SamplePlay(SoundSampleId{}, false, 1, true, 0, 100, 44100, 50));
    mLibrary.ChannelStop(SoundChannelId{12345});
    mLibrary.ChannelSetVolume(SoundChannelId{12345}, 10);
    EXPECT_EQ(mLibrary.ChannelCount(), 0u);
}

} // namespace
