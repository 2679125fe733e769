#include "platform/audio/DirectSound.h"
#include "shell/DSoundManager.h"
#include "shell/PathHelpers.h"
#include "shell/SoundCache.h"
#include "tests/shell/SoundTestFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>

namespace {

using namespace Pyxo;
using SoundTest::Bytes;
namespace fs = std::filesystem;

constexpr Platform::WindowHandle kWindow{1};

// The id's buffer: its format and bytes.
struct Loaded {
    Platform::WaveFormat format;
    Bytes bytes;
};
Loaded Contents(DSoundManager& manager, unsigned id)
{
    Loaded loaded;
    Platform::DirectSoundBuffer* buffer = manager.GetSourceBuffer(id);
    if (!buffer) {
        ADD_FAILURE() << "id " << id << " holds no sound";
        return loaded;
    }
    EXPECT_EQ(buffer->GetFormat(&loaded.format, sizeof(loaded.format), nullptr), Platform::DS_OK);
    void* data = nullptr;
    uint32_t bytes = 0;
    EXPECT_EQ(buffer->Lock(0, 0, &data, &bytes, nullptr, nullptr, Platform::DSBLOCK_ENTIREBUFFER), Platform::DS_OK);
    loaded.bytes.assign(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + bytes);
    EXPECT_EQ(buffer->Unlock(data, bytes, nullptr, 0), Platform::DS_OK);
    return loaded;
}

class SoundLoadingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mPreviousAppData = GetAppDataFolder();
        SetAppDataFolder((mFolder.Path() / "appdata").string());
    }
    void TearDown() override { SetAppDataFolder(mPreviousAppData); }

    std::string Write(const std::string& name, const Bytes& bytes)
    {
        SoundTest::WriteFile(mFolder.Path() / name, bytes);
        return (mFolder.Path() / name).string();
    }

    SoundTest::ScratchFolder mFolder{"loading"};
    DSoundManager mManager{kWindow, false};
    std::string mPreviousAppData;
};

TEST_F(SoundLoadingTest, WavWithChunksBeforeTheData)
{
    const Bytes data = SoundTest::Samples16({100, -100, 200, -200});
    const std::string path =
        Write("list.wav", SoundTest::MakeWav(2, 22050, 16, data, {{"LIST", Bytes{'I', 'N', 'F', 'O', 0, 0}}}));
    ASSERT_TRUE(mManager.ReadWav(5, path));
    const Loaded loaded = Contents(mManager, 5);
    EXPECT_EQ(loaded.format, Platform::MakePcmFormat(2, 22050, 16));
    EXPECT_EQ(loaded.bytes, data);
    EXPECT_EQ(mManager.GetSampleSize(5), data.size());

    // Chunks after "data" are never read, however broken.
    Bytes trailing = SoundTest::MakeWav(1, 8000, 8, Bytes{1, 2, 3});
    SoundTest::Append(trailing, "junk");
    SoundTest::AppendLE(trailing, 0xFFFFFFFFu, 4);
    ASSERT_TRUE(mManager.ReadWav(6, Write("trailing.wav", trailing)));
    EXPECT_EQ(Contents(mManager, 6).bytes, Bytes({1, 2, 3}));
}

TEST_F(SoundLoadingTest, DamagedOrUnsupportedWavFailsCleanly)
{
    const Bytes data = SoundTest::Samples16({1, 2, 3, 4});
    Bytes truncated = SoundTest::MakeWav(1, 22050, 16, data);
    truncated.resize(truncated.size() - 3);
    Bytes hugeChunk = SoundTest::MakeWav(1, 22050, 16, data);
    hugeChunk[hugeChunk.size() - data.size() - 1] = 0x7F; // data size 0x7Fxxxxxx
    Bytes shortFmt;
    SoundTest::Append(shortFmt, "RIFF");
    SoundTest::AppendLE(shortFmt, 0, 4);
    SoundTest::Append(shortFmt, "WAVE");
    SoundTest::AppendChunk(shortFmt, "fmt ", Bytes{1, 0, 1, 0});
    SoundTest::AppendChunk(shortFmt, "data", data);
    Bytes noData = SoundTest::MakeWav(1, 22050, 16, data);
    noData.resize(36);
    Bytes notRiff = SoundTest::MakeWav(1, 22050, 16, data);
    notRiff[0] = 'X';

    struct Case {
        const char* name;
        Bytes file;
    };
    const Case cases[] = {
        {"float format", SoundTest::MakeWav(1, 22050, 16, data, {}, 3)},
        {"no channels", SoundTest::MakeWav(0, 22050, 16, data)},
        {"24-bit", SoundTest::MakeWav(1, 22050, 24, Bytes(6))},
        {"zero rate", SoundTest::MakeWav(1, 0, 16, data)},
        {"truncated data", truncated},
        {"data chunk larger than the file", hugeChunk},
        {"short fmt chunk", shortFmt},
        {"no data chunk", noData},
        {"not RIFF", notRiff},
        {"empty file", Bytes{}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(mManager.ReadWav(9, Write("bad.wav", c.file)));
        EXPECT_EQ(mManager.GetSourceBuffer(9), nullptr) << "nothing half-registered";
    }
    EXPECT_FALSE(mManager.ReadWav(9, (mFolder.Path() / "missing.wav").string()));
}

TEST_F(SoundLoadingTest, AuFiles)
{
    ASSERT_TRUE(mManager.ReadAu(1, Write("mu.au", SoundTest::MakeAu(1, 8000, 1, Bytes{0xFF, 0x80, 0x00, 0xFE}))));
    Loaded mu = Contents(mManager, 1);
    EXPECT_EQ(mu.format, Platform::MakePcmFormat(1, 8000, 16));
    EXPECT_EQ(mu.bytes, SoundTest::Samples16({0, 31616, -31616, 8}));

    ASSERT_TRUE(
        mManager.ReadAu(2, Write("linear.au", SoundTest::MakeAu(2, 8000, 2, Bytes{0x00, 0x7F, 0x80, 0xFF}, 32))));
    Loaded linear = Contents(mManager, 2);
    EXPECT_EQ(linear.format, Platform::MakePcmFormat(2, 8000, 8)) << "encoding 2 keeps 8-bit samples";
    EXPECT_EQ(linear.bytes, Bytes({0x80, 0xFF, 0x00, 0x7F})) << "signed in the file, unsigned in the buffer";

    Bytes pastTheEnd = SoundTest::MakeAu(1, 8000, 1, Bytes{1});
    pastTheEnd[7] = 200;
    struct Case {
        const char* name;
        Bytes file;
    };
    const Case cases[] = {
        {"16-bit linear encoding", SoundTest::MakeAu(3, 8000, 1, Bytes{0, 0})},
        {"truncated data", SoundTest::MakeAu(1, 8000, 1, Bytes{1, 2}, 24, 3)},
        {"no data", SoundTest::MakeAu(1, 8000, 1, Bytes{}, 24, 0)},
        {"data offset past the end", pastTheEnd},
        {"huge size", SoundTest::MakeAu(1, 8000, 1, Bytes{1}, 24, 0xFFFFFFF0u)},
        {"no channels", SoundTest::MakeAu(1, 8000, 0, Bytes{1})},
        {"short header", Bytes{'.', 's', 'n', 'd', 0, 0}},
        {"wrong magic", Bytes{'.', 's', 'n', 'x', 0, 0, 0, 24, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 31, 64, 0, 0, 0, 1, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(mManager.ReadAu(3, Write("bad.au", c.file)));
        EXPECT_EQ(mManager.GetSourceBuffer(3), nullptr);
    }
}

TEST_F(SoundLoadingTest, OggVorbisDecodes)
{
    ASSERT_TRUE(mManager.ReadOgg(4, ILVANE_TEST_DATA "/sound/tone441.ogg"));
    const Loaded tone = Contents(mManager, 4);
    EXPECT_EQ(tone.format, Platform::MakePcmFormat(1, 22050, 16));
    ASSERT_EQ(tone.bytes.size(), 2205u * 2);
    // Lossy, but close to the sine it was made from.
    double error = 0;
    for (size_t i = 0; i < 2205; ++i) {
        const int16_t sample = int16_t(tone.bytes[2 * i] | tone.bytes[2 * i + 1] << 8);
        const double expected = 12000 * std::sin(2 * M_PI * 441 * double(i) / 22050);
        error += (sample - expected) * (sample - expected);
    }
    EXPECT_LT(std::sqrt(error / 2205), 600.0);

    Bytes ogg = SoundTest::ReadFile(ILVANE_TEST_DATA "/sound/tone441.ogg");
    struct Case {
        const char* name;
        Bytes file;
    };
    const Case cases[] = {
        {"headers cut short", Bytes(ogg.begin(), ogg.begin() + 100)},
        {"not Ogg", SoundTest::MakeWav(1, 22050, 16, Bytes{1, 2})},
        {"empty", Bytes{}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(mManager.ReadOgg(3, Write("bad.ogg", c.file)));
        EXPECT_EQ(mManager.GetSourceBuffer(3), nullptr);
    }
    EXPECT_FALSE(mManager.ReadOgg(3, (mFolder.Path() / "missing.ogg").string()));
}

TEST_F(SoundLoadingTest, CacheNames)
{
    struct Case {
        const char* name;
        bool cached;
    };
    const Case cases[] = {{"sounds\\click", true}, {"\\sounds\\click", false},
                          {"/abs/click", false},   {"c:\\click", false},
                          {"ab", false},           {"abc", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsCacheableSoundName(c.name), c.cached);
        EXPECT_EQ(GetSoundCachePath(c.name).empty(), !c.cached);
    }
    EXPECT_EQ(GetSoundCachePath("snd\\a"), GetAppDataFolder() + "cached\\snd\\a.wav");
}

TEST_F(SoundLoadingTest, DecodedSoundsAreCachedAndRefusedOnceTheSourceChanges)
{
    SoundTest::WorkingFolder work(mFolder.Path());
    const Bytes mu{0xFF, 0x80, 0x00};
    Write("snd/beep.au", SoundTest::MakeAu(1, 8000, 1, mu));
    ASSERT_TRUE(mManager.LoadSound(0, "snd\\beep"));
    EXPECT_EQ(mManager.GetSoundName(0), "snd\\beep");
    const Bytes decoded = SoundTest::Samples16({0, 31616, -31616});
    EXPECT_EQ(Contents(mManager, 0).bytes, decoded);

    // The cached file: the layout of a cached WAV, samples scrambled with the key.
    const fs::path cachePath = mFolder.Path() / "appdata" / "cached" / "snd" / "beep.wav";
    const Bytes cached = SoundTest::ReadFile(cachePath);
    const std::string source = "snd\\beep.au";
    const size_t n = source.size();
    ASSERT_EQ(cached.size(), 71 + n + decoded.size());
    EXPECT_EQ(Bytes(cached.begin(), cached.begin() + 4), Bytes({'R', 'I', 'F', 'F'}));
    EXPECT_EQ(cached[4], decoded.size() + 36);
    EXPECT_EQ(Bytes(cached.begin() + 36, cached.begin() + 40), Bytes({'d', 'e', 'p', ' '}));
    EXPECT_EQ(cached[40], n + 10);
    EXPECT_EQ(std::string(cached.begin() + 46, cached.begin() + 46 + long(n)), source);
    uint64_t storedTime = 0;
    for (int i = 7; i >= 0; --i) {
        storedTime = storedTime << 8 | cached[46 + n + i];
    }
    EXPECT_EQ(storedTime, GetSoundFileTime(source));
    EXPECT_NE(storedTime, 0u);
    EXPECT_EQ(cached[62 + n], DSoundManager::kCacheKey);
    for (size_t i = 0; i < decoded.size(); ++i) {
        EXPECT_EQ(cached[71 + n + i] ^ DSoundManager::kCacheKey, decoded[i]);
    }

    // While the source keeps its time, the cache is used: a source damaged in place does not matter.
    struct stat before;
    ASSERT_EQ(stat("snd/beep.au", &before), 0);
    Write("snd/beep.au", Bytes{'j', 'u', 'n', 'k'});
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, "snd/beep.au", times, 0), 0);
    DSoundManager second(kWindow, false);
    ASSERT_TRUE(second.LoadSound(3, "snd\\beep"));
    EXPECT_EQ(Contents(second, 3).bytes, decoded);

    // A newer source makes the cache stale: decoded again, and the cache rewritten.
    Write("snd/beep.au", SoundTest::MakeAu(1, 8000, 1, Bytes{0xFE}));
    const timespec later[2] = {{before.st_mtim.tv_sec + 10, 0}, {before.st_mtim.tv_sec + 10, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, "snd/beep.au", later, 0), 0);
    ASSERT_TRUE(second.LoadSound(3, "snd\\beep"));
    EXPECT_EQ(Contents(second, 3).bytes, SoundTest::Samples16({8}));
    DSoundManager third(kWindow, false);
    ASSERT_TRUE(third.ReadWav(0, cachePath.string()));
    EXPECT_EQ(Contents(third, 0).bytes, SoundTest::Samples16({8}));
}

TEST_F(SoundLoadingTest, LoadOrderAndUncachedNames)
{
    SoundTest::WorkingFolder work(mFolder.Path());
    // A WAV beside an Ogg file wins, and a plain WAV is not cached.
    Write("both.wav", SoundTest::MakeWav(1, 44100, 16, SoundTest::Samples16({42})));
    Write("both.ogg", SoundTest::ReadFile(ILVANE_TEST_DATA "/sound/tone441.ogg"));
    ASSERT_TRUE(mManager.LoadSound(0, "both"));
    EXPECT_EQ(Contents(mManager, 0).bytes, SoundTest::Samples16({42}));
    EXPECT_FALSE(fs::exists(mFolder.Path() / "appdata" / "cached" / "both.wav"));

    fs::remove(mFolder.Path() / "both.wav");
    ASSERT_TRUE(mManager.LoadSound(0, "both"));
    EXPECT_EQ(Contents(mManager, 0).bytes.size(), 2205u * 2);
    EXPECT_TRUE(fs::exists(mFolder.Path() / "appdata" / "cached" / "both.wav"));

    // An absolute name is neither looked up in nor written to the cache.
    const std::string absolute = (mFolder.Path() / "abs").string();
    Write("abs.au", SoundTest::MakeAu(2, 8000, 1, Bytes{0}));
    ASSERT_TRUE(mManager.LoadSound(1, absolute));
    int cachedFiles = 0;
    for (const auto& entry : fs::recursive_directory_iterator(mFolder.Path() / "appdata")) {
        cachedFiles += entry.is_regular_file();
    }
    EXPECT_EQ(cachedFiles, 1) << "only both.wav";
    EXPECT_FALSE(mManager.LoadSound(2, "nothing"));
    EXPECT_FALSE(mManager.WriteCachedWav(2, "x.wav", "nothing")) << "no sound in the id";
    EXPECT_FALSE(mManager.WriteCachedWav(0, "", "both.ogg"));
}

} // namespace
