// Sound files from a pack archive, read through the engine's file callbacks, decoded and mixed by the game's sound
// library and pulled as the silent output leaves them: a WAV effect heard sample for sample, an Ogg Vorbis stream
// heard as it decodes, and the device's pause.
#include "engine/TMMusicPlayer.h"
#include "engine/TMSoundManager.h"
#include "graphics/PakInterface.h"
#include "tests/SuiteLabels.h"
#include "tests/TestHelpers.h"
#include "tests/engine/SoundTestKit.h"
#include "tests/platform/audio/SoundFileBuilders.h"
#include "tools/pak/PakWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

class SoundFilesTest : public SoundTest::SoundFixture {
protected:
    void SetUp() override
    {
        SoundFixture::SetUp();
        using namespace SoundTest;
        const Bytes wav = MakeWav(1, 44100, 16, Samples16({1000, -2000, 3000, -4000}));
        const Bytes ogg = ReadFile(ILVANE_TEST_DATA "/sound/tone441.ogg");
        ASSERT_FALSE(ogg.empty());
        std::vector<uint8_t> archive;
        std::string error;
        ASSERT_TRUE(PakTool::BuildPak({{"snd\\tick.wav", wav, 0}, {"music\\tone.ogg", ogg, 0}}, archive, error))
            << error;
        std::ofstream(mFolder.Path() / "data.pak", std::ios::binary)
            .write(reinterpret_cast<const char*>(archive.data()), std::streamsize(archive.size()));
        ASSERT_TRUE(mPak.AddPakFile((mFolder.Path() / "data.pak").string()));
        mLibrary.mFakeFiles = false;
        Start();
    }

    /// The largest left sample over the next frames.
    int Loudest(size_t frames)
    {
        std::vector<int16_t> out(frames * 2);
        mMixer.Mix(out.data(), frames);
        int loudest = 0;
        for (size_t i = 0; i < frames; ++i)
            loudest = std::max(loudest, std::abs(int(out[2 * i])));
        return loudest;
    }

    TestHelpers::ScratchFolder mFolder{"sound-pack"};
    PakInterface mPak;
};

ILVANE_THREADED_SUITE(SoundFilesTest);

TEST_F(SoundFilesTest, AWavEffectAndAnOggStreamFromTheArchivePlay)
{
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(R"(<root>
        <sounds><sound name="tick" group="ui" path="snd\tick.wav"/></sounds>
        <music><stream name="tone" path="music\tone.ogg"/></music></root>)"));
    TMSoundManager sounds;
    sounds.Load(document.child("root"));
    sounds.Play("tick");
    std::vector<int16_t> out(5 * 2);
    mMixer.Mix(out.data(), 5);
    EXPECT_EQ(out, (std::vector<int16_t>{1000, 1000, -2000, -2000, 3000, 3000, -4000, -4000, 0, 0}));

    TMMusicPlayer music;
    ASSERT_TRUE(music.Load(document.child("root")));
    music.Play("tone");
    ASSERT_TRUE(music.GetSample("tone"));
    Tick(50, 20); // faded in
    // 0.1 s of a 441 Hz sine at 12000, at 22050 Hz: 4410 frames at the output rate, then it loops.
    const int loudest = Loudest(4410);
    EXPECT_GT(loudest, 10000);
    EXPECT_LT(loudest, 13500);

    SoundDevicePause(true);
    EXPECT_EQ(Loudest(1000), 0);
    SoundDevicePause(false);
    EXPECT_GT(Loudest(4410), 10000);
}

} // namespace
