#include "shell/FModMusicInterface.h"

#include "platform/audio/DirectSound.h"
#include "platform/files/FileSystem.h"
#include "platform/process/StandInLibrary.h"
#include "platform/window/MessageBox.h"
#include "shell/BassMusicInterface.h"
#include "shell/DSoundManager.h"
#include "shell/FModLoader.h"
#include "shell/PathHelpers.h"
#include "shell/ProcessExit.h"
#include "tests/shell/SoundTestFiles.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace Pyxo;
using SoundTest::Bytes;
using Calls = std::vector<std::string>;

// A fake of the music library: samples in memory, channels and modules as sets, and a log of the calls that
// change what is heard.
namespace Fake {

struct Sample {
    unsigned mode = 0;
    int frequency = 0;
    Bytes data;
    int loopStart = -1;
    int loopLength = -1;
};
struct Module {};

struct State {
    std::map<std::string, Sample> sources; // what "decodes": name -> sample
    std::set<std::string> songs;           // modules that load
    std::vector<std::unique_ptr<Sample>> samples;
    std::vector<std::unique_ptr<Module>> modules;
    std::set<int> playingChannels;
    std::set<const Module*> playingModules;
    Calls calls;
    std::vector<std::string> loads; // every name asked for
};
State& S()
{
    static State state;
    return state;
}
void Log(const std::string& call)
{
    S().calls.push_back(call);
}
Sample* AsSample(FSOUND_SAMPLE* sample)
{
    return reinterpret_cast<Sample*>(sample);
}
Module* AsModule(FMUSIC_MODULE* module)
{
    return reinterpret_cast<Module*>(module);
}
int BlockAlign(const Sample& sample)
{
    return FModBlockAlign(sample.mode);
}
FSOUND_SAMPLE* Keep(Sample sample)
{
    S().samples.push_back(std::make_unique<Sample>(std::move(sample)));
    return reinterpret_cast<FSOUND_SAMPLE*>(S().samples.back().get());
}

// A plain 44-byte-header WAV file, as the music cache writes it.
bool ParseWav(const Bytes& file, Sample& sample)
{
    if (file.size() < 44 || std::string(file.begin(), file.begin() + 4) != "RIFF") {
        return false;
    }
    const int channels = file[22];
    const int bits = file[34];
    sample.mode = (channels == 1 ? FSOUND_MONO : 0) | (bits == 8 ? FSOUND_8BITS : 0);
    sample.frequency = file[24] | file[25] << 8 | file[26] << 16;
    sample.data.assign(file.begin() + 44, file.end());
    return true;
}

signed char SetBufferSize(int ms)
{
    Log("SetBufferSize " + std::to_string(ms));
    return 1;
}
signed char SetHWND(void*)
{
    Log("SetHWND");
    return 1;
}
signed char Init(int rate, int channels, unsigned flags)
{
    Log("Init " + std::to_string(rate) + " " + std::to_string(channels) + " " + std::to_string(flags));
    return 1;
}
void Close()
{
    Log("Close");
}
FSOUND_SAMPLE* SampleLoad(int, const char* name, unsigned, int)
{
    S().loads.push_back(name);
    if (auto it = S().sources.find(name); it != S().sources.end()) {
        return Keep(it->second);
    }
    std::vector<uint8_t> file;
    Sample sample;
    if (Platform::ReadWholeFile(name, file) && ParseWav(file, sample)) {
        return Keep(sample);
    }
    return nullptr;
}
FSOUND_SAMPLE* SampleAlloc(int, int length, unsigned mode, int frequency, int, int, int)
{
    Log("Alloc " + std::to_string(length) + " " + std::to_string(mode) + " " + std::to_string(frequency));
    Sample sample;
    sample.mode = mode;
    sample.frequency = frequency;
    sample.data.assign(size_t(length) * FModBlockAlign(mode), 0);
    return Keep(sample);
}
void SampleFree(FSOUND_SAMPLE* sample)
{
    std::erase_if(S().samples, [&](const auto& kept) { return kept.get() == AsSample(sample); });
}
signed char SampleLock(FSOUND_SAMPLE* handle, int offset, int length, void** first, void** second, unsigned* firstBytes,
                       unsigned* secondBytes)
{
    Sample* sample = AsSample(handle);
    if (offset < 0 || length < 0 || size_t(offset) + size_t(length) > sample->data.size()) {
        return 0;
    }
    *first = sample->data.data() + offset;
    *firstBytes = unsigned(length);
    *second = nullptr;
    *secondBytes = 0;
    return 1;
}
signed char SampleUnlock(FSOUND_SAMPLE*, void*, void*, unsigned, unsigned)
{
    return 1;
}
signed char SetLoopPoints(FSOUND_SAMPLE* sample, int start, int length)
{
    AsSample(sample)->loopStart = start;
    AsSample(sample)->loopLength = length;
    return 1;
}
unsigned GetLength(FSOUND_SAMPLE* sample)
{
    return unsigned(AsSample(sample)->data.size() / BlockAlign(*AsSample(sample)));
}
signed char GetDefaults(FSOUND_SAMPLE* sample, int* frequency, int* volume, int* pan, int* priority)
{
    *frequency = AsSample(sample)->frequency;
    *volume = 255;
    *pan = 128;
    *priority = 0;
    return 1;
}
unsigned GetMode(FSOUND_SAMPLE* sample)
{
    return AsSample(sample)->mode;
}
int PlaySound(int channel, FSOUND_SAMPLE*)
{
    Log("PlaySound " + std::to_string(channel));
    S().playingChannels.insert(channel);
    return channel;
}
signed char StopSound(int channel)
{
    Log("StopSound " + std::to_string(channel));
    S().playingChannels.erase(channel);
    return 1;
}
signed char SetVolume(int channel, int volume)
{
    Log("SetVolume " + std::to_string(channel) + " " + std::to_string(volume));
    return 1;
}
signed char SetPaused(int channel, signed char paused)
{
    Log("SetPaused " + std::to_string(channel) + " " + std::to_string(paused));
    return 1;
}
signed char SetLoopMode(int channel, unsigned mode)
{
    Log("SetLoopMode " + std::to_string(channel) + " " + std::to_string(mode));
    return 1;
}
signed char IsPlaying(int channel)
{
    return S().playingChannels.count(channel) ? 1 : 0;
}
FSOUND_STREAM* StreamOpen(const char*, unsigned, int)
{
    return nullptr;
}
signed char StreamClose(FSOUND_STREAM*)
{
    return 0;
}
int StreamPlay(int, FSOUND_STREAM*)
{
    return -1;
}
FMUSIC_MODULE* LoadSong(const char* name)
{
    if (!S().songs.count(name)) {
        return nullptr;
    }
    S().modules.push_back(std::make_unique<Module>());
    return reinterpret_cast<FMUSIC_MODULE*>(S().modules.back().get());
}
signed char PlaySong(FMUSIC_MODULE* module)
{
    Log("PlaySong");
    S().playingModules.insert(AsModule(module));
    return 1;
}
signed char StopSong(FMUSIC_MODULE* module)
{
    Log("StopSong");
    S().playingModules.erase(AsModule(module));
    return 1;
}
signed char SetLooping(FMUSIC_MODULE*, signed char looping)
{
    Log("SetLooping " + std::to_string(looping));
    return 1;
}
signed char SetOrder(FMUSIC_MODULE*, int order)
{
    Log("SetOrder " + std::to_string(order));
    return 1;
}
signed char SetModulePaused(FMUSIC_MODULE*, signed char paused)
{
    Log("ModulePaused " + std::to_string(paused));
    return 1;
}
signed char SetMasterVolume(FMUSIC_MODULE*, int volume)
{
    Log("MasterVolume " + std::to_string(volume));
    return 1;
}
signed char IsModulePlaying(FMUSIC_MODULE* module)
{
    return S().playingModules.count(AsModule(module)) ? 1 : 0;
}

template <typename F>
Platform::ProcAddress Entry(F* function)
{
    return reinterpret_cast<Platform::ProcAddress>(function);
}

const std::map<std::string, Platform::ProcAddress>& Table()
{
    static const std::map<std::string, Platform::ProcAddress> table = {
        {"_FSOUND_SetBufferSize@4", Entry(&SetBufferSize)},
        {"_FSOUND_SetHWND@4", Entry(&SetHWND)},
        {"_FSOUND_Init@12", Entry(&Init)},
        {"_FSOUND_Close@0", Entry(&Close)},
        {"_FSOUND_Sample_Load@16", Entry(&SampleLoad)},
        {"_FSOUND_Sample_Alloc@28", Entry(&SampleAlloc)},
        {"_FSOUND_Sample_Free@4", Entry(&SampleFree)},
        {"_FSOUND_Sample_Lock@28", Entry(&SampleLock)},
        {"_FSOUND_Sample_Unlock@20", Entry(&SampleUnlock)},
        {"_FSOUND_Sample_SetLoopPoints@12", Entry(&SetLoopPoints)},
        {"_FSOUND_Sample_GetLength@4", Entry(&GetLength)},
        {"_FSOUND_Sample_GetDefaults@20", Entry(&GetDefaults)},
        {"_FSOUND_Sample_GetMode@4", Entry(&GetMode)},
        {"_FSOUND_PlaySound@8", Entry(&PlaySound)},
        {"_FSOUND_StopSound@4", Entry(&StopSound)},
        {"_FSOUND_SetVolume@8", Entry(&SetVolume)},
        {"_FSOUND_SetPaused@8", Entry(&SetPaused)},
        {"_FSOUND_SetLoopMode@8", Entry(&SetLoopMode)},
        {"_FSOUND_IsPlaying@4", Entry(&IsPlaying)},
        {"_FSOUND_Stream_OpenFile@12", Entry(&StreamOpen)},
        {"_FSOUND_Stream_Close@4", Entry(&StreamClose)},
        {"_FSOUND_Stream_Play@8", Entry(&StreamPlay)},
        {"_FMUSIC_LoadSong@4", Entry(&LoadSong)},
        {"_FMUSIC_PlaySong@4", Entry(&PlaySong)},
        {"_FMUSIC_StopSong@4", Entry(&StopSong)},
        {"_FMUSIC_SetLooping@8", Entry(&SetLooping)},
        {"_FMUSIC_SetOrder@8", Entry(&SetOrder)},
        {"_FMUSIC_SetPaused@8", Entry(&SetModulePaused)},
        {"_FMUSIC_SetMasterVolume@8", Entry(&SetMasterVolume)},
        {"_FMUSIC_IsPlaying@4", Entry(&IsModulePlaying)},
    };
    return table;
}

Platform::ProcAddress LookUp(std::string_view symbol)
{
    auto it = Table().find(std::string(symbol));
    return it == Table().end() ? nullptr : it->second;
}

Platform::ProcAddress LookUpWithoutAlloc(std::string_view symbol)
{
    return symbol == "_FSOUND_Sample_Alloc@28" ? nullptr : LookUp(symbol);
}

} // namespace Fake

struct ExitCalled {
    int code;
};
void ThrowOnExit(int code)
{
    throw ExitCalled{code};
}

Fake::Sample MakeSample(unsigned mode, int frequency, Bytes data)
{
    Fake::Sample sample;
    sample.mode = mode;
    sample.frequency = frequency;
    sample.data = std::move(data);
    return sample;
}

class FModTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const bool registered = Platform::RegisterStandInLibrary("fake-fmod", &Fake::LookUp) &&
                                       Platform::RegisterStandInLibrary("fake-fmod-partial", &Fake::LookUpWithoutAlloc);
        ASSERT_TRUE(registered);
        Fake::S() = Fake::State{};
        SetFModLibraryName("fake-fmod");
        mPreviousAppData = GetAppDataFolder();
        SetAppDataFolder((mFolder.Path() / "appdata").string());
    }
    void TearDown() override
    {
        SetFModLibraryName("fmod.dll");
        SetAppDataFolder(mPreviousAppData);
        EXPECT_EQ(FModReferenceCount(), 0);
    }

    // Runs `body`, which should end the process; returns the exit status and the message boxes shown.
    template <typename Body>
    static std::pair<int, std::vector<Platform::MessageBoxCall>> ExpectExit(Body body)
    {
        Platform::MessageBoxScript boxes;
        const ExitHandler previous = SetExitHandler(&ThrowOnExit);
        int code = -1;
        try {
            body();
        } catch (const ExitCalled& exit) {
            code = exit.code;
        }
        SetExitHandler(previous);
        return {code, boxes.Calls()};
    }

    static Calls TakeCalls()
    {
        Calls calls = std::move(Fake::S().calls);
        Fake::S().calls.clear();
        return calls;
    }

    SoundTest::ScratchFolder mFolder{"fmod"};
    std::string mPreviousAppData;
};

TEST_F(FModTest, AbsentLibraryIsReportedAndEndsWithAFailureStatus)
{
    SetFModLibraryName("fmod.dll"); // the stand-in table has none
    auto [code, boxes] = ExpectExit([] { FModMusicInterface music; });
    EXPECT_EQ(code, 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"Can't find fmod.dll.");
    EXPECT_EQ(boxes[0].caption, L"Error");
    EXPECT_EQ(GetFModLibrary(), nullptr);

    SetFModLibraryName("fake-fmod-partial");
    std::tie(code, boxes) = ExpectExit([] { FModMusicInterface music; });
    EXPECT_EQ(code, 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"\"_FSOUND_Sample_Alloc@28\" function not found in fmod.dll");
    EXPECT_EQ(GetFModLibrary(), nullptr);
}

TEST_F(FModTest, OneLibraryIsSharedWithACount)
{
    auto first = std::make_unique<FModMusicInterface>();
    FMOD_INSTANCE* library = GetFModLibrary();
    ASSERT_NE(library, nullptr);
    {
        FModMusicInterface second;
        EXPECT_EQ(GetFModLibrary(), library);
        EXPECT_EQ(FModReferenceCount(), 2);
    }
    EXPECT_EQ(FModReferenceCount(), 1);
    first.reset();
    EXPECT_EQ(GetFModLibrary(), nullptr);
}

TEST_F(FModTest, ModuleSongPlaysPausesAndStops)
{
    Fake::S().songs = {"music\\theme.mod"};
    FModMusicInterface music;
    EXPECT_FALSE(music.LoadMusic(1, "music\\missing.mod"));
    ASSERT_TRUE(music.LoadMusic(1, "music\\theme.mod"));

    music.PlayMusic(7, 0, false);
    EXPECT_TRUE(TakeCalls().empty()) << "an id without a song is ignored";
    EXPECT_FALSE(music.IsPlaying(7));

    music.PlayMusic(1, 3, false);
    EXPECT_EQ(TakeCalls(), Calls({"MasterVolume 100", "SetLooping 2", "PlaySong", "SetOrder 3"}));
    EXPECT_TRUE(music.IsPlaying(1));
    music.PlayMusic(1, 0, true);
    EXPECT_EQ(TakeCalls(), Calls({"MasterVolume 100", "SetLooping 1", "PlaySong", "SetOrder 0"}));

    music.PauseMusic(1);
    music.ResumeMusic(1);
    music.SetVolume(0.5);
    music.SetSongVolume(1, 0.3);
    EXPECT_EQ(TakeCalls(), Calls({"ModulePaused 1", "ModulePaused 0", "MasterVolume 50", "MasterVolume 15"}));

    music.StopMusic(1);
    EXPECT_EQ(TakeCalls(), Calls({"StopSong"}));
    EXPECT_FALSE(music.IsPlaying(1));
    EXPECT_EQ(music.GetMusicMap().at(1).mVolume, 0.0);
}

TEST_F(FModTest, FadeOutStopsTheSongOnceSilent)
{
    Fake::S().songs = {"theme.mod"};
    FModMusicInterface music;
    ASSERT_TRUE(music.LoadMusic(1, "theme.mod"));
    music.PlayMusic(1, 0, false);
    // A step that binary fractions hold exactly: volume 0 is reached on the 16th update, and only going below it
    // stops the song. (With 0.01 the sum of rounded steps already drops below 0 on the 100th update.)
    music.FadeOut(1, true, 0.0625);
    TakeCalls();
    for (int update = 1; update <= 16; ++update) {
        music.Update();
        ASSERT_TRUE(music.IsPlaying(1)) << "update " << update;
    }
    EXPECT_EQ(music.GetMusicMap().at(1).mVolume, 0.0);
    music.Update();
    EXPECT_FALSE(music.IsPlaying(1)) << "stopped on the 17th update";
    const Calls calls = TakeCalls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], "StopSong");
    EXPECT_EQ(calls.back(), "MasterVolume 0");
    music.Update();
    EXPECT_TRUE(TakeCalls().empty()) << "the fade has ended";
}

TEST_F(FModTest, FadeInStartsAStoppedSampleSongAndRisesToTheCap)
{
    Fake::S().sources["music\\theme.ogg"] = MakeSample(0, 44100, Bytes(16, 1));
    FModMusicInterface music;
    ASSERT_TRUE(music.LoadMusicSample(2, "music\\theme", true));
    TakeCalls();
    music.FadeIn(2, -1, 0.25, false);
    EXPECT_EQ(TakeCalls(), Calls({"PlaySound 2", "SetLoopMode 2 2", "SetVolume 2 0"}));
    for (int i = 0; i < 6; ++i) {
        music.Update();
    }
    // The cap is only noticed once the volume passes it.
    EXPECT_EQ(TakeCalls(),
              Calls({"SetVolume 2 25", "SetVolume 2 50", "SetVolume 2 75", "SetVolume 2 100", "SetVolume 2 100"}));
    EXPECT_TRUE(music.IsPlaying(2)) << "a sample song asks its channel";

    music.FadeIn(2, -1, 0.25, false);
    EXPECT_EQ(TakeCalls(), Calls({"SetVolume 2 100"})) << "already playing: not started again";
    music.PauseMusic(2);
    music.ResumeMusic(2);
    music.StopAllMusic();
    EXPECT_EQ(TakeCalls(), Calls({"SetPaused 2 1", "SetPaused 2 0", "StopSound 2"}));
    EXPECT_FALSE(music.IsPlaying(2));
}

TEST_F(FModTest, FadeOutAllFadesEverySong)
{
    Fake::S().songs = {"a.mod", "b.mod"};
    FModMusicInterface music;
    ASSERT_TRUE(music.LoadMusic(1, "a.mod"));
    ASSERT_TRUE(music.LoadMusic(2, "b.mod"));
    music.PlayMusic(1, 0, false);
    music.PlayMusic(2, 0, false);
    music.FadeOutAll(true, 0.6);
    music.Update();
    music.Update();
    EXPECT_FALSE(music.IsPlaying(1));
    EXPECT_FALSE(music.IsPlaying(2));
}

TEST_F(FModTest, SampleSongsAreCachedAsPlainWavFiles)
{
    const Bytes data = SoundTest::Samples16({1, -1, 2, -2});
    Fake::S().sources["music\\theme.ogg"] = MakeSample(FSOUND_MONO, 22050, data);
    {
        FModMusicInterface music;
        EXPECT_FALSE(music.LoadMusicSample(1, "music\\missing", false));
        ASSERT_TRUE(music.LoadMusicSample(1, "music\\theme", false));
        music.PlayMusic(1, 0, false);
        EXPECT_EQ(TakeCalls(), Calls({"PlaySound 1", "SetLoopMode 1 1", "SetVolume 1 100"}));
    }
    const auto cachePath = mFolder.Path() / "appdata" / "cached" / "theme.wav";
    EXPECT_EQ(SoundTest::ReadFile(cachePath), SoundTest::MakeWav(1, 22050, 16, data));

    Fake::S().sources.clear();
    Fake::S().loads.clear();
    FModMusicInterface music;
    ASSERT_TRUE(music.LoadMusicSample(1, "music\\theme", true));
    ASSERT_EQ(Fake::S().loads.size(), 1u) << "the cached copy is used";
    EXPECT_EQ(Fake::S().loads[0], GetAppDataFolder() + "cached\\theme.wav");
}

TEST_F(FModTest, IntroAndLoopJoinIntoOneLoopingSample)
{
    const Bytes intro = SoundTest::Samples16({1, 2, 3, 4});
    const Bytes loop = SoundTest::Samples16({5, 6});
    auto& sources = Fake::S().sources;
    sources["intro.ogg"] = MakeSample(0, 44100, intro);
    sources["loop.ogg"] = MakeSample(0, 44100, loop);
    sources["other.ogg"] = MakeSample(0, 22050, loop);
    FModMusicInterface music;
    EXPECT_FALSE(music.LoadMusicIntroLoop(1, "intro", "other", false)) << "rates differ";
    EXPECT_FALSE(music.LoadMusicIntroLoop(1, "intro", "missing", false));
    EXPECT_TRUE(Fake::S().samples.empty()) << "the sources are freed";

    ASSERT_TRUE(music.LoadMusicIntroLoop(1, "intro", "loop", true));
    ASSERT_EQ(Fake::S().samples.size(), 1u);
    const Fake::Sample& joined = *Fake::S().samples[0];
    Bytes expected = intro;
    expected.insert(expected.end(), loop.begin(), loop.end());
    EXPECT_EQ(joined.data, expected);
    EXPECT_EQ(joined.mode, FSOUND_LOOP_NORMAL);
    EXPECT_EQ(joined.frequency, 44100);
    EXPECT_EQ(joined.loopStart, 2);
    EXPECT_EQ(joined.loopLength, 1);
    EXPECT_TRUE(music.GetMusicMap().at(1).mRepeats);
}

TEST_F(FModTest, SoundManagerDecodesMp3ThroughTheLibrary)
{
    SoundTest::WorkingFolder work(mFolder.Path());
    const Bytes data = SoundTest::Samples16({300, -300});
    Fake::S().sources["fx\\boom.mp3"] = MakeSample(FSOUND_MONO, 22050, data);
    {
        DSoundManager manager(Platform::WindowHandle{1}, true);
        EXPECT_EQ(TakeCalls(), Calls({"SetHWND", "SetBufferSize 200", "Init 44100 64 2"}));
        ASSERT_TRUE(manager.LoadSound(0, "fx\\boom"));
        Platform::WaveFormat format;
        ASSERT_EQ(manager.GetSourceBuffer(0)->GetFormat(&format, sizeof(format), nullptr), Platform::DS_OK);
        EXPECT_EQ(format, Platform::MakePcmFormat(1, 22050, 16));
        EXPECT_EQ(manager.GetSampleSize(0), data.size());
        EXPECT_TRUE(Fake::S().samples.empty()) << "the decoded sample is freed";
        EXPECT_FALSE(manager.ReadMp3(1, "fx\\missing.mp3"));
    }
    EXPECT_EQ(TakeCalls(), Calls({"Close"}));
    const Bytes cached = SoundTest::ReadFile(mFolder.Path() / "appdata" / "cached" / "fx" / "boom.wav");
    EXPECT_EQ(std::string(cached.begin() + 46, cached.begin() + 57), "fx\\boom.mp3");

    DSoundManager withoutLibrary(Platform::WindowHandle{1}, false);
    EXPECT_FALSE(withoutLibrary.ReadMp3(0, "fx\\boom.mp3")) << "only with the library";
}

TEST(MusicInterface, BassVariantAcceptsSongsAndPlaysNothing)
{
    BassMusicInterface music;
    EXPECT_TRUE(music.LoadMusic(1, "theme"));
    music.PlayMusic(1, 0, false);
    music.FadeIn(1, -1, 0.1, false);
    music.Update();
    EXPECT_FALSE(music.IsPlaying(1));
}

} // namespace
