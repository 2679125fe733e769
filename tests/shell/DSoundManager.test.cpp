#include "shell/DSoundManager.h"

#include "platform/audio/AudioMixer.h"
#include "platform/audio/DirectSound.h"
#include "platform/time/Clock.h"
#include "platform/window/MessageBox.h"
#include "shell/DSoundInstance.h"
#include "shell/PathHelpers.h"
#include "shell/ProcessExit.h"
#include "tests/SuiteLabels.h"
#include "tests/shell/SoundTestFiles.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace Pyxo;
using SoundTest::Bytes;
using Samples = std::vector<int16_t>;

constexpr Platform::WindowHandle kWindow{1};

struct ExitCalled {
    int code;
};
void ThrowOnExit(int code)
{
    throw ExitCalled{code};
}

class DSoundManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Platform::ClearDirectSoundFailures();
        Platform::SharedAudioMixer().SetMasterVolume(1.0);
        Platform::SetClock(&mClock);
        mManager = std::make_unique<DSoundManager>(kWindow, false);
        ASSERT_TRUE(mManager->Initialized());
    }
    void TearDown() override
    {
        mManager.reset();
        Platform::SetClock(nullptr);
        Platform::ClearDirectSoundFailures();
        Platform::SharedAudioMixer().SetMasterVolume(1.0);
    }

    // Loads mono 16-bit samples into the id from a WAV file (absolute name: never cached).
    void Load(unsigned id, const Samples& samples, uint32_t rate = 44100)
    {
        const auto path = mFolder.Path() / ("s" + std::to_string(id));
        SoundTest::WriteFile(path.string() + ".wav", SoundTest::MakeWav(1, rate, 16, SoundTest::Samples16(samples)));
        ASSERT_TRUE(mManager->LoadSound(id, path.string()));
    }

    static Samples Pull(size_t frames, bool right = false)
    {
        std::vector<int16_t> out(frames * 2);
        Platform::SharedAudioMixer().Mix(out.data(), frames);
        Samples side;
        for (size_t i = 0; i < frames; ++i) {
            side.push_back(out[2 * i + (right ? 1 : 0)]);
        }
        return side;
    }

    static int32_t DeviceVolume(SoundInstance* instance)
    {
        int32_t volume = 1;
        EXPECT_EQ(static_cast<DSoundInstance*>(instance)->GetSoundBuffer()->GetVolume(&volume), Platform::DS_OK);
        return volume;
    }

    Platform::ManualClock mClock{5000};
    SoundTest::ScratchFolder mFolder{"manager"};
    std::unique_ptr<DSoundManager> mManager;
};

TEST(DSoundInstance, VolumeCurve)
{
    struct Case {
        double volume;
        int32_t device;
    };
    const Case cases[] = {{1.0, 0},       {0.5, -605},    {0.1, -1682},  {0.05, -1956},
                          {0.04, -10000}, {0.01, -10000}, {0.0, -10000}, {-1.0, -10000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.volume);
        EXPECT_EQ(DSoundInstance::VolumeToDeviceVolume(c.volume), c.device);
    }
}

ILVANE_THREADED_SUITE(DSoundManagerTest);

TEST_F(DSoundManagerTest, PlaysLoadedSamplesThroughTheMixer)
{
    Load(3, {1000, -2000, 3000});
    EXPECT_EQ(mManager->GetSampleSize(3), 6u);
    SoundInstance* instance = mManager->GetSoundInstance(3);
    ASSERT_NE(instance, nullptr);
    EXPECT_FALSE(instance->IsPlaying());
    ASSERT_TRUE(instance->Play(false, false));
    EXPECT_TRUE(instance->IsPlaying());
    EXPECT_EQ(Pull(4), Samples({1000, -2000, 3000, 0}));
    EXPECT_FALSE(instance->IsPlaying());

    ASSERT_TRUE(instance->Play(true, false));
    EXPECT_EQ(Pull(5), Samples({1000, -2000, 3000, 1000, -2000}));
    instance->Stop();
    EXPECT_FALSE(instance->IsPlaying());
    ASSERT_TRUE(instance->Play(false, false));
    EXPECT_EQ(Pull(1), Samples({1000})) << "Stop rewinds";
    instance->Release();
    EXPECT_TRUE(instance->IsReleased());
    EXPECT_EQ(Pull(1), Samples({0}));
}

TEST_F(DSoundManagerTest, VolumesCombineAndPanAddsTheBasePan)
{
    Load(0, {10000});
    ASSERT_TRUE(mManager->SetBaseVolume(0, 0.5));
    ASSERT_TRUE(mManager->SetBasePan(0, 400));
    EXPECT_FALSE(mManager->SetBaseVolume(256, 0.5));
    EXPECT_FALSE(mManager->SetBasePan(256, 1));

    SoundInstance* instance = mManager->GetSoundInstance(0);
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(DeviceVolume(instance), -605) << "the id's base volume";
    instance->SetPan(200);
    int32_t pan = 0;
    ASSERT_EQ(static_cast<DSoundInstance*>(instance)->GetSoundBuffer()->GetPan(&pan), Platform::DS_OK);
    EXPECT_EQ(pan, 600);
    instance->SetVolume(1.0);
    ASSERT_TRUE(instance->Play(false, false));
    std::vector<int16_t> frame(2);
    Platform::SharedAudioMixer().Mix(frame.data(), 1);
    EXPECT_EQ(frame, Samples({2497, 4983})) << "-6.05 dB, and a further -6 dB on the left";

    mManager->SetVolume(0.2);
    EXPECT_EQ(DeviceVolume(instance), DSoundInstance::VolumeToDeviceVolume(0.1)) << "the manager's volume re-applies";
    instance->SetVolume(0.01);
    EXPECT_EQ(DeviceVolume(instance), -10000);
    EXPECT_DOUBLE_EQ(instance->GetVolume(), 0.01);
}

TEST_F(DSoundManagerTest, PitchStepsAreSemitonesWithinLimits)
{
    Load(1, {0, 100, 200, 300, 400, 500});
    SoundInstance* instance = mManager->GetSoundInstance(1);
    ASSERT_NE(instance, nullptr);
    Platform::DirectSoundBuffer* buffer = static_cast<DSoundInstance*>(instance)->GetSoundBuffer();
    uint32_t frequency = 0;
    instance->AdjustPitch(12);
    ASSERT_EQ(buffer->GetFrequency(&frequency), Platform::DS_OK);
    EXPECT_EQ(frequency, 88200u);
    ASSERT_TRUE(instance->Play(false, false));
    EXPECT_EQ(Pull(4), Samples({0, 200, 400, 0})) << "an octave up plays every other frame";

    instance->AdjustPitch(-120);
    ASSERT_EQ(buffer->GetFrequency(&frequency), Platform::DS_OK);
    EXPECT_EQ(frequency, 100u);
    instance->AdjustPitch(60);
    ASSERT_EQ(buffer->GetFrequency(&frequency), Platform::DS_OK);
    EXPECT_EQ(frequency, 100000u);
    instance->AdjustPitch(-1);
    ASSERT_EQ(buffer->GetFrequency(&frequency), Platform::DS_OK);
    EXPECT_EQ(frequency, 41624u) << "steps count from the default frequency, truncated";
}

TEST_F(DSoundManagerTest, MasterVolumeIsTheProcessMixersOwn)
{
    Load(0, {10000, 10000});
    mManager->SetMasterVolume(0.5);
    EXPECT_DOUBLE_EQ(mManager->GetMasterVolume(), 32767 / 65535.0);
    EXPECT_DOUBLE_EQ(Platform::SharedAudioMixer().MasterVolume(), 32767 / 65535.0);
    SoundInstance* instance = mManager->GetSoundInstance(0);
    ASSERT_TRUE(instance->Play(false, false));
    EXPECT_EQ(Pull(1), Samples({5000}));
    mManager->SetMasterVolume(3.0);
    EXPECT_DOUBLE_EQ(mManager->GetMasterVolume(), 1.0);
    EXPECT_EQ(Pull(1), Samples({10000}));
}

TEST_F(DSoundManagerTest, ThirtyTwoChannelsAndReclaimingReleasedInstances)
{
    Load(0, {1, 2});
    std::vector<SoundInstance*> instances;
    for (int i = 0; i < DSoundManager::kMaxChannels; ++i) {
        instances.push_back(mManager->GetSoundInstance(0));
        ASSERT_NE(instances.back(), nullptr);
    }
    EXPECT_EQ(mManager->GetSoundInstance(0), nullptr) << "every channel busy";
    EXPECT_EQ(mManager->GetSoundInstance(5), nullptr) << "no sound in id 5";
    EXPECT_EQ(mManager->GetSoundInstance(256), nullptr);

    // A finished auto-release instance is found released and its channel reused.
    ASSERT_TRUE(instances[7]->Play(false, true));
    Pull(3);
    EXPECT_NE(mManager->GetSoundInstance(0), nullptr);
    EXPECT_EQ(mManager->GetSoundInstance(0), nullptr);

    // So is a released one.
    instances[9]->Release();
    EXPECT_NE(mManager->GetSoundInstance(0), nullptr);

    // StopAllSounds keeps the auto-release flags, so a stopped auto-release instance is reclaimed too.
    ASSERT_TRUE(instances[11]->Play(true, true));
    ASSERT_TRUE(instances[12]->Play(true, false));
    mManager->StopAllSounds();
    EXPECT_FALSE(instances[11]->IsPlaying());
    EXPECT_NE(mManager->GetSoundInstance(0), nullptr);
    EXPECT_EQ(mManager->GetSoundInstance(0), nullptr);
}

TEST_F(DSoundManagerTest, SoundIds)
{
    EXPECT_EQ(mManager->GetFreeSoundId(), 0);
    Load(0, {1});
    Load(2, {1});
    EXPECT_EQ(mManager->GetNumSounds(), 2);
    EXPECT_EQ(mManager->GetFreeSoundId(), 1);

    const std::string name = (mFolder.Path() / "s0").string();
    EXPECT_EQ(mManager->LoadSoundByName(name), 0) << "found by its name";
    const auto other = mFolder.Path() / "other";
    SoundTest::WriteFile(other.string() + ".wav", SoundTest::MakeWav(1, 44100, 16, SoundTest::Samples16({5})));
    EXPECT_EQ(mManager->LoadSoundByName(other.string()), 255) << "the highest free id";
    EXPECT_EQ(mManager->LoadSoundByName(other.string()), 255);
    EXPECT_EQ(mManager->LoadSoundByName((mFolder.Path() / "missing").string()), -1);
    EXPECT_EQ(mManager->GetSoundName(254), "") << "a failed load keeps no name";
    EXPECT_EQ(mManager->LoadSoundByName((mFolder.Path() / "missing").string()), -1)
        << "and is not found as if it had loaded";

    mManager->ReleaseSound(0);
    EXPECT_EQ(mManager->GetSourceBuffer(0), nullptr);
    EXPECT_EQ(mManager->GetSoundName(0), "");
    EXPECT_EQ(mManager->GetNumSounds(), 2);
    EXPECT_FALSE(mManager->LoadSound(256, name));
    mManager->ReleaseSounds();
    EXPECT_EQ(mManager->GetNumSounds(), 0);
}

TEST_F(DSoundManagerTest, FailedDuplicateIsReportedAndEndsWithAFailureStatus)
{
    Load(0, {1});
    Platform::MessageBoxScript boxes;
    const ExitHandler previous = SetExitHandler(&ThrowOnExit);
    Platform::SetDirectSoundFailure(Platform::DirectSoundCall::DuplicateSoundBuffer, Platform::DSERR_ALLOCATED);
    int code = 0;
    try {
        (void)mManager->GetSoundInstance(0);
    } catch (const ExitCalled& exit) {
        code = exit.code;
    }
    SetExitHandler(previous);
    EXPECT_EQ(code, 1);
    const auto calls = boxes.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].text, L"DSERR_ALLOCATED");
    EXPECT_EQ(calls[0].caption, L"Hey");
}

TEST(DSoundManager, WithoutWindowOrDeviceItIsSilent)
{
    for (bool failDevice : {false, true}) {
        SCOPED_TRACE(failDevice ? "device fails" : "no window");
        Platform::SetDirectSoundFailure(Platform::DirectSoundCall::Create,
                                        failDevice ? Platform::DSERR_NODRIVER : Platform::DS_OK);
        DSoundManager manager(failDevice ? kWindow : Platform::WindowHandle{}, false);
        Platform::ClearDirectSoundFailures();
        EXPECT_FALSE(manager.Initialized());
        EXPECT_TRUE(manager.LoadSound(4, "anything")) << "loads succeed without loading";
        EXPECT_EQ(manager.GetNumSounds(), 0);
        SoundInstance* instance = manager.GetSoundInstance(4);
        ASSERT_NE(instance, nullptr);
        EXPECT_FALSE(instance->Play(false, true));
        EXPECT_FALSE(instance->IsPlaying());
        EXPECT_TRUE(instance->IsReleased());
    }
}

TEST(DSoundManager, NormalLevelWhenPriorityIsRefused)
{
    Platform::SetDirectSoundFailure(Platform::DirectSoundCall::SetCooperativeLevel, Platform::DSERR_INVALIDCALL);
    DSoundManager refused(kWindow, false);
    Platform::ClearDirectSoundFailures();
    EXPECT_TRUE(refused.Initialized());
    EXPECT_EQ(refused.GetPrimaryBuffer(), nullptr);

    DSoundManager manager(kWindow, false);
    ASSERT_NE(manager.GetPrimaryBuffer(), nullptr);
    EXPECT_EQ(manager.GetDevice()->CooperativeLevel(), Platform::DSSCL_PRIORITY);
    Platform::WaveFormat format;
    ASSERT_EQ(manager.GetPrimaryBuffer()->GetFormat(&format, sizeof(format), nullptr), Platform::DS_OK);
    EXPECT_EQ(format, Platform::MakePcmFormat(2, 44100, 16));
    manager.SetCooperativeWindow(kWindow, true);
    EXPECT_EQ(manager.GetDevice()->CooperativeLevel(), Platform::DSSCL_NORMAL);
}

} // namespace
