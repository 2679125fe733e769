#include "platform/audio/AudioMixer.h"

#include "tests/SuiteLabels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Platform::AudioMixer;
using Platform::MakePcmFormat;
using Platform::SoundBuffer;

// A buffer filled with 16-bit samples (interleaved when stereo).
std::unique_ptr<SoundBuffer> MakeBuffer(AudioMixer& mixer, const std::vector<int16_t>& samples, uint16_t channels = 1,
                                        uint32_t rate = 44100)
{
    auto buffer = mixer.CreateBuffer(MakePcmFormat(channels, rate, 16), uint32_t(samples.size() * 2));
    if (!buffer) {
        return nullptr;
    }
    void* data = nullptr;
    uint32_t bytes = 0;
    EXPECT_TRUE(buffer->Lock(0, buffer->Size(), &data, &bytes, nullptr, nullptr));
    std::memcpy(data, samples.data(), bytes);
    EXPECT_TRUE(buffer->Unlock());
    return buffer;
}

// Mixes frames and splits them into the left and right channels.
struct Mixed {
    std::vector<int16_t> left, right;
};
Mixed Pull(AudioMixer& mixer, size_t frames)
{
    std::vector<int16_t> out(frames * 2, 12345);
    mixer.Mix(out.data(), frames);
    Mixed mixed;
    for (size_t i = 0; i < frames; ++i) {
        mixed.left.push_back(out[2 * i]);
        mixed.right.push_back(out[2 * i + 1]);
    }
    return mixed;
}

using Samples = std::vector<int16_t>;

ILVANE_THREADED_SUITE(AudioMixer);

TEST(AudioMixer, PlaysAtOutputRateOnceThenStopsAndRewinds)
{
    AudioMixer mixer;
    auto buffer = MakeBuffer(mixer, {1000, -2000, 3000});
    EXPECT_EQ(Pull(mixer, 2).left, Samples({0, 0})) << "nothing plays before Play";
    buffer->Play(false);
    EXPECT_EQ(mixer.PlayingCount(), 1u);
    const Mixed mixed = Pull(mixer, 5);
    EXPECT_EQ(mixed.left, Samples({1000, -2000, 3000, 0, 0}));
    EXPECT_EQ(mixed.right, mixed.left) << "mono goes to both sides";
    EXPECT_FALSE(buffer->IsPlaying());
    EXPECT_EQ(buffer->Position(), 0u);
}

TEST(AudioMixer, LoopingWrapsAndStopKeepsThePosition)
{
    AudioMixer mixer;
    auto buffer = MakeBuffer(mixer, {1, 2, 3});
    buffer->Play(true);
    EXPECT_TRUE(buffer->IsLooping());
    EXPECT_EQ(Pull(mixer, 7).left, Samples({1, 2, 3, 1, 2, 3, 1}));
    buffer->Stop();
    EXPECT_EQ(buffer->Position(), 2u) << "one frame of two bytes played past the wrap";
    EXPECT_EQ(Pull(mixer, 1).left, Samples({0}));
    buffer->Play(false);
    EXPECT_EQ(Pull(mixer, 3).left, Samples({2, 3, 0})) << "play resumes where it stopped";
}

TEST(AudioMixer, GainAndPanInHundredthsOfADecibel)
{
    struct Case {
        const char* name;
        int32_t volume, pan;
        int16_t left, right;
    };
    const Case cases[] = {
        {"full", 0, 0, 10000, 10000},
        {"-6 dB", -600, 0, 5012, 5012},
        {"-20 dB", -2000, 0, 1000, 1000},
        {"floor is silence", -10000, 0, 0, 0},
        {"pan right attenuates left", 0, 600, 5012, 10000},
        {"pan left attenuates right", 0, -2000, 10000, 1000},
        {"hard right", 0, 10000, 0, 10000},
        {"hard left", 0, -10000, 10000, 0},
        {"gain and pan", -600, -600, 5012, 2512},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AudioMixer mixer;
        auto buffer = MakeBuffer(mixer, {10000});
        ASSERT_TRUE(buffer->SetVolume(c.volume));
        ASSERT_TRUE(buffer->SetPan(c.pan));
        buffer->Play(false);
        const Mixed mixed = Pull(mixer, 1);
        EXPECT_EQ(mixed.left[0], c.left);
        EXPECT_EQ(mixed.right[0], c.right);
    }
    AudioMixer mixer;
    auto buffer = MakeBuffer(mixer, {1});
    EXPECT_FALSE(buffer->SetVolume(1));
    EXPECT_FALSE(buffer->SetVolume(-10001));
    EXPECT_FALSE(buffer->SetPan(10001));
    EXPECT_EQ(buffer->Volume(), 0);
    EXPECT_EQ(buffer->Pan(), 0);
}

TEST(AudioMixer, FrequencyResamplesLinearly)
{
    AudioMixer mixer;
    auto slow = MakeBuffer(mixer, {0, 1000, 2000, 3000}, 1, 22050);
    slow->Play(false);
    EXPECT_EQ(Pull(mixer, 9).left, Samples({0, 500, 1000, 1500, 2000, 2500, 3000, 3000, 0}))
        << "half rate interpolates midpoints and holds the last frame";

    auto fast = MakeBuffer(mixer, {0, 1000, 2000, 3000, 4000, 5000});
    ASSERT_TRUE(fast->SetFrequency(88200));
    EXPECT_EQ(fast->Frequency(), 88200u);
    fast->Play(false);
    EXPECT_EQ(Pull(mixer, 4).left, Samples({0, 2000, 4000, 0}));

    EXPECT_FALSE(fast->SetFrequency(99));
    EXPECT_FALSE(fast->SetFrequency(200001));
    ASSERT_TRUE(fast->SetFrequency(0));
    EXPECT_EQ(fast->Frequency(), 44100u) << "0 restores the format's rate";
}

TEST(AudioMixer, MasterVolumeScalesTheMixAndSumsClip)
{
    AudioMixer mixer;
    auto a = MakeBuffer(mixer, {20000, -20000, 100});
    auto b = MakeBuffer(mixer, {20000, -20000, 100});
    a->Play(false);
    b->Play(false);
    EXPECT_EQ(Pull(mixer, 3).left, Samples({32767, -32768, 200}));

    mixer.SetMasterVolume(0.5);
    EXPECT_DOUBLE_EQ(mixer.MasterVolume(), 0.5);
    a->Play(false);
    b->Play(false);
    EXPECT_EQ(Pull(mixer, 3).left, Samples({20000, -20000, 100}));

    mixer.SetMasterVolume(7.0);
    EXPECT_DOUBLE_EQ(mixer.MasterVolume(), 1.0);
    mixer.SetMasterVolume(-1.0);
    EXPECT_DOUBLE_EQ(mixer.MasterVolume(), 0.0);
}

TEST(AudioMixer, ReadsStereoAndEightBitData)
{
    AudioMixer mixer;
    auto stereo = MakeBuffer(mixer, {100, -100, 200, -200}, 2);
    stereo->Play(false);
    Mixed mixed = Pull(mixer, 2);
    EXPECT_EQ(mixed.left, Samples({100, 200}));
    EXPECT_EQ(mixed.right, Samples({-100, -200}));

    auto eight = mixer.CreateBuffer(MakePcmFormat(1, 44100, 8), 3);
    ASSERT_NE(eight, nullptr);
    void* data = nullptr;
    uint32_t bytes = 0;
    ASSERT_TRUE(eight->Lock(0, 3, &data, &bytes, nullptr, nullptr));
    const uint8_t values[] = {0x80, 0xFF, 0x00};
    std::memcpy(data, values, 3);
    ASSERT_TRUE(eight->Unlock());
    eight->Play(false);
    EXPECT_EQ(Pull(mixer, 3).left, Samples({0, 127 * 256, -128 * 256})) << "8-bit samples are unsigned";
}

TEST(AudioMixer, RefusesUnplayableBuffers)
{
    AudioMixer mixer;
    Platform::WaveFormat wrongAlign = MakePcmFormat(2, 44100, 16);
    wrongAlign.blockAlign = 2;
    Platform::WaveFormat floats = MakePcmFormat(1, 44100, 16);
    floats.formatTag = 3;
    EXPECT_EQ(mixer.CreateBuffer(MakePcmFormat(1, 44100, 16), 0), nullptr);
    EXPECT_EQ(mixer.CreateBuffer(MakePcmFormat(3, 44100, 16), 6), nullptr);
    EXPECT_EQ(mixer.CreateBuffer(MakePcmFormat(1, 44100, 24), 6), nullptr);
    EXPECT_EQ(mixer.CreateBuffer(MakePcmFormat(1, 0, 16), 2), nullptr);
    EXPECT_EQ(mixer.CreateBuffer(wrongAlign, 4), nullptr);
    EXPECT_EQ(mixer.CreateBuffer(floats, 4), nullptr);
    EXPECT_EQ(mixer.CreateBuffer(MakePcmFormat(1, 44100, 16), AudioMixer::kMaxBufferBytes + 1), nullptr);

    // Less than one frame: it holds nothing to play and stops at once.
    auto partial = mixer.CreateBuffer(MakePcmFormat(2, 44100, 16), 3);
    ASSERT_NE(partial, nullptr);
    partial->Play(true);
    EXPECT_EQ(Pull(mixer, 2).left, Samples({0, 0}));
    EXPECT_FALSE(partial->IsPlaying());
}

TEST(AudioMixer, LockWrapsAndALockedBufferIsNotMixed)
{
    AudioMixer mixer;
    auto buffer = MakeBuffer(mixer, {1, 2, 3, 4});
    void* first = nullptr;
    void* second = nullptr;
    uint32_t firstBytes = 0;
    uint32_t secondBytes = 0;
    ASSERT_TRUE(buffer->Lock(6, 4, &first, &firstBytes, &second, &secondBytes));
    EXPECT_EQ(firstBytes, 2u);
    EXPECT_EQ(secondBytes, 2u);
    const int16_t last = 40;
    const int16_t head = 10;
    std::memcpy(first, &last, 2);
    std::memcpy(second, &head, 2);

    buffer->Play(false);
    EXPECT_EQ(Pull(mixer, 2).left, Samples({0, 0})) << "still locked: not mixed, not advanced";
    ASSERT_TRUE(buffer->Unlock());
    EXPECT_FALSE(buffer->Unlock());
    EXPECT_EQ(Pull(mixer, 4).left, Samples({10, 2, 3, 40}));

    EXPECT_FALSE(buffer->Lock(8, 1, &first, &firstBytes, &second, &secondBytes)) << "offset past the end";
    EXPECT_FALSE(buffer->Lock(0, 9, &first, &firstBytes, &second, &secondBytes)) << "more than the buffer";
    EXPECT_FALSE(buffer->Lock(0, 0, &first, &firstBytes, &second, &secondBytes));
    EXPECT_FALSE(buffer->Lock(6, 4, &first, &firstBytes, nullptr, nullptr)) << "a wrap needs the second part";
    EXPECT_FALSE(buffer->Unlock()) << "failed locks lock nothing";
}

TEST(AudioMixer, DuplicatesShareDataButPlayOnTheirOwn)
{
    AudioMixer mixer;
    auto original = MakeBuffer(mixer, {100, 200, 300});
    ASSERT_TRUE(original->SetVolume(-2000));
    original->Play(true);
    auto copy = mixer.Duplicate(*original);
    ASSERT_NE(copy, nullptr);
    EXPECT_FALSE(copy->IsPlaying());
    EXPECT_EQ(copy->Volume(), -2000);
    ASSERT_TRUE(copy->SetVolume(0));
    original->Stop();

    void* data = nullptr;
    uint32_t bytes = 0;
    ASSERT_TRUE(original->Lock(0, 2, &data, &bytes, nullptr, nullptr));
    const int16_t changed = 1000;
    std::memcpy(data, &changed, 2);
    ASSERT_TRUE(original->Unlock());

    copy->Play(false);
    EXPECT_EQ(Pull(mixer, 3).left, Samples({1000, 200, 300}));
    original.reset();
    copy->Play(false);
    EXPECT_EQ(Pull(mixer, 1).left, Samples({1000})) << "the data outlive the original";

    AudioMixer other;
    EXPECT_EQ(other.Duplicate(*copy), nullptr) << "buffers stay with their mixer";
}

TEST(AudioMixer, PositionsAreWholeFrames)
{
    AudioMixer mixer;
    auto buffer = MakeBuffer(mixer, {1, 2, 3, 4}, 2);
    ASSERT_TRUE(buffer->SetPosition(7));
    EXPECT_EQ(buffer->Position(), 4u);
    EXPECT_FALSE(buffer->SetPosition(8));
    buffer->Play(false);
    EXPECT_EQ(Pull(mixer, 1).left, Samples({3}));
}

} // namespace
