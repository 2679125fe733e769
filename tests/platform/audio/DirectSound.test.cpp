#include "platform/audio/DirectSound.h"

#include "platform/audio/AudioMixer.h"
#include "platform/audio/AudioOutput.h"
#include "platform/process/StandInLibrary.h"
#include "tests/SuiteLabels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using namespace Platform;

constexpr WindowHandle kWindow{7};
constexpr uint32_t kStaticFlags = DSBCAPS_STATIC | DSBCAPS_LOCSOFTWARE | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN |
                                  DSBCAPS_CTRLVOLUME | DSBCAPS_GETCURRENTPOSITION2;

class DirectSoundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearDirectSoundFailures();
        ASSERT_EQ(DirectSoundCreate(nullptr, &mDevice, nullptr), DS_OK);
        ASSERT_NE(mDevice, nullptr);
    }
    void TearDown() override
    {
        ClearDirectSoundFailures();
        if (mDevice) {
            mDevice->Release();
        }
    }

    DirectSoundBuffer* MakeBuffer(std::vector<int16_t> samples, uint32_t flags = kStaticFlags)
    {
        const WaveFormat format = MakePcmFormat(1, 44100, 16);
        DSBUFFERDESC description{kDSBufferDescSize, flags, uint32_t(samples.size() * 2), 0, &format};
        DirectSoundBuffer* buffer = nullptr;
        EXPECT_EQ(mDevice->CreateSoundBuffer(&description, &buffer, nullptr), DS_OK);
        void* data = nullptr;
        uint32_t bytes = 0;
        EXPECT_EQ(buffer->Lock(0, 0, &data, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
        std::memcpy(data, samples.data(), bytes);
        EXPECT_EQ(buffer->Unlock(data, bytes, nullptr, 0), DS_OK);
        return buffer;
    }

    static std::vector<int16_t> PullLeft(size_t frames)
    {
        std::vector<int16_t> out(frames * 2);
        SharedAudioMixer().Mix(out.data(), frames);
        std::vector<int16_t> left;
        for (size_t i = 0; i < frames; ++i) {
            left.push_back(out[2 * i]);
        }
        return left;
    }

    DirectSoundDevice* mDevice = nullptr;
};

ILVANE_THREADED_SUITE(DirectSoundTest);

TEST_F(DirectSoundTest, HeadlessOutputIsSilentAndTheTestPullsTheMix)
{
    EXPECT_EQ(AudioBackendFromEnvironment(), AudioBackend::Silent);
    EXPECT_TRUE(AudioOutput::IsSilent());
    DirectSoundBuffer* buffer = MakeBuffer({500, 600});
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    uint32_t status = 0;
    ASSERT_EQ(buffer->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, DSBSTATUS_PLAYING);
    EXPECT_EQ(PullLeft(3), std::vector<int16_t>({500, 600, 0}));
    ASSERT_EQ(buffer->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, 0u);
    buffer->Release();
}

TEST_F(DirectSoundTest, LoopingStatusStopAndRewind)
{
    DirectSoundBuffer* buffer = MakeBuffer({1, 2, 3});
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    uint32_t status = 0;
    ASSERT_EQ(buffer->GetStatus(&status), DS_OK);
    EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    EXPECT_EQ(PullLeft(4), std::vector<int16_t>({1, 2, 3, 1}));
    ASSERT_EQ(buffer->Stop(), DS_OK);
    uint32_t play = 0;
    ASSERT_EQ(buffer->GetCurrentPosition(&play, nullptr), DS_OK);
    EXPECT_EQ(play, 2u);
    ASSERT_EQ(buffer->SetCurrentPosition(0), DS_OK);
    EXPECT_EQ(buffer->SetCurrentPosition(6), DSERR_INVALIDPARAM);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(PullLeft(1), std::vector<int16_t>({1}));
    EXPECT_EQ(buffer->Play(1, 0, 0), DSERR_INVALIDPARAM);
    buffer->Release();
}

TEST_F(DirectSoundTest, ControlsNeedTheirFlagsAndValidRanges)
{
    DirectSoundBuffer* plain = MakeBuffer({1}, DSBCAPS_STATIC);
    EXPECT_EQ(plain->SetVolume(-100), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetPan(100), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetFrequency(22050), DSERR_CONTROLUNAVAIL);
    plain->Release();

    DirectSoundBuffer* buffer = MakeBuffer({1});
    EXPECT_EQ(buffer->SetVolume(-600), DS_OK);
    EXPECT_EQ(buffer->SetVolume(1), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetPan(-10001), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetFrequency(50), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetFrequency(11025), DS_OK);
    int32_t volume = 0;
    uint32_t frequency = 0;
    ASSERT_EQ(buffer->GetVolume(&volume), DS_OK);
    ASSERT_EQ(buffer->GetFrequency(&frequency), DS_OK);
    EXPECT_EQ(volume, -600);
    EXPECT_EQ(frequency, 11025u);
    ASSERT_EQ(buffer->SetFrequency(DSBFREQUENCY_ORIGINAL), DS_OK);
    ASSERT_EQ(buffer->GetFrequency(&frequency), DS_OK);
    EXPECT_EQ(frequency, 44100u);

    WaveFormat format;
    uint32_t written = 0;
    ASSERT_EQ(buffer->GetFormat(&format, sizeof(format), &written), DS_OK);
    EXPECT_EQ(format, MakePcmFormat(1, 44100, 16));
    EXPECT_EQ(buffer->GetFormat(&format, 4, nullptr), DSERR_INVALIDPARAM);
    buffer->Release();
}

TEST_F(DirectSoundTest, CreateRefusesBadDescriptions)
{
    const WaveFormat good = MakePcmFormat(2, 44100, 16);
    WaveFormat floats = good;
    floats.formatTag = 3;
    struct Case {
        const char* name;
        DSBUFFERDESC description;
        HResult expected;
    };
    const Case cases[] = {
        {"wrong record size", {24, kStaticFlags, 4, 0, &good}, DSERR_INVALIDPARAM},
        {"no format", {kDSBufferDescSize, kStaticFlags, 4, 0, nullptr}, DSERR_INVALIDPARAM},
        {"no bytes", {kDSBufferDescSize, kStaticFlags, 0, 0, &good}, DSERR_INVALIDPARAM},
        {"too many bytes",
         {kDSBufferDescSize, kStaticFlags, AudioMixer::kMaxBufferBytes + 4, 0, &good},
         DSERR_INVALIDPARAM},
        {"float data", {kDSBufferDescSize, kStaticFlags, 4, 0, &floats}, DSERR_BADFORMAT},
        {"primary with a format", {kDSBufferDescSize, DSBCAPS_PRIMARYBUFFER, 0, 0, &good}, DSERR_INVALIDPARAM},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DirectSoundBuffer* buffer = reinterpret_cast<DirectSoundBuffer*>(1);
        EXPECT_EQ(mDevice->CreateSoundBuffer(&c.description, &buffer, nullptr), c.expected);
        EXPECT_EQ(buffer, nullptr);
    }
}

TEST_F(DirectSoundTest, PrimaryBufferFormatNeedsThePriorityLevel)
{
    DSBUFFERDESC description{kDSBufferDescSize, DSBCAPS_PRIMARYBUFFER, 0, 0, nullptr};
    DirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(mDevice->CreateSoundBuffer(&description, &primary, nullptr), DS_OK);
    const WaveFormat format = MakePcmFormat(2, 44100, 16);
    EXPECT_EQ(mDevice->SetCooperativeLevel(WindowHandle{}, DSSCL_PRIORITY), DSERR_INVALIDPARAM);
    ASSERT_EQ(mDevice->SetCooperativeLevel(kWindow, DSSCL_NORMAL), DS_OK);
    EXPECT_EQ(primary->SetFormat(&format), DSERR_PRIOLEVELNEEDED);
    ASSERT_EQ(mDevice->SetCooperativeLevel(kWindow, DSSCL_PRIORITY), DS_OK);
    ASSERT_EQ(primary->SetFormat(&format), DS_OK);
    WaveFormat read;
    ASSERT_EQ(primary->GetFormat(&read, sizeof(read), nullptr), DS_OK);
    EXPECT_EQ(read, format);
    void* data = nullptr;
    uint32_t bytes = 0;
    EXPECT_EQ(primary->Lock(0, 4, &data, &bytes, nullptr, nullptr, 0), DSERR_INVALIDCALL);
    DirectSoundBuffer* duplicate = nullptr;
    EXPECT_EQ(mDevice->DuplicateSoundBuffer(primary, &duplicate), DSERR_INVALIDCALL);
    primary->Release();
}

TEST_F(DirectSoundTest, DuplicatesShareDataAndKeepTheDeviceAlive)
{
    DirectSoundBuffer* original = MakeBuffer({7, 8});
    DirectSoundBuffer* duplicate = nullptr;
    ASSERT_EQ(mDevice->DuplicateSoundBuffer(original, &duplicate), DS_OK);
    original->Release();
    mDevice->Release(); // the duplicate still holds the device
    mDevice = nullptr;
    ASSERT_EQ(duplicate->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(PullLeft(2), std::vector<int16_t>({7, 8}));
    EXPECT_EQ(duplicate->Release(), 0u);
}

TEST_F(DirectSoundTest, InjectedFailuresReachTheCaller)
{
    DirectSoundBuffer* buffer = MakeBuffer({1});
    SetDirectSoundFailure(DirectSoundCall::DuplicateSoundBuffer, DSERR_ALLOCATED);
    DirectSoundBuffer* duplicate = nullptr;
    EXPECT_EQ(mDevice->DuplicateSoundBuffer(buffer, &duplicate), DSERR_ALLOCATED);
    EXPECT_EQ(duplicate, nullptr);

    SetDirectSoundFailure(DirectSoundCall::Unlock, DSERR_INVALIDCALL);
    void* data = nullptr;
    uint32_t bytes = 0;
    ASSERT_EQ(buffer->Lock(0, 2, &data, &bytes, nullptr, nullptr, 0), DS_OK);
    EXPECT_EQ(buffer->Unlock(data, bytes, nullptr, 0), DSERR_INVALIDCALL);
    SetDirectSoundFailure(DirectSoundCall::Unlock, DS_OK);
    EXPECT_EQ(buffer->Unlock(data, bytes, nullptr, 0), DSERR_INVALIDCALL) << "the failed unlock still unlocked";

    SetDirectSoundFailure(DirectSoundCall::Create, DSERR_NODRIVER);
    DirectSoundDevice* device = reinterpret_cast<DirectSoundDevice*>(1);
    EXPECT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(device, nullptr);
    buffer->Release();
}

TEST(DirectSoundStandIn, IsFoundThroughTheLibraryTable)
{
    RegisterDirectSoundStandIn();
    HMODULE module = LoadLibraryA("DSOUND.DLL");
    ASSERT_NE(module, nullptr);
    auto create = reinterpret_cast<LPDIRECTSOUNDCREATE>(GetProcAddress(module, "DirectSoundCreate"));
    ASSERT_NE(create, nullptr);
    EXPECT_EQ(GetProcAddress(module, "DirectSoundCaptureCreate"), nullptr);
    DirectSoundDevice* device = nullptr;
    ASSERT_EQ(create(nullptr, &device, nullptr), DS_OK);
    EXPECT_EQ(device->Release(), 0u);
    EXPECT_TRUE(FreeLibrary(module));
}

} // namespace
