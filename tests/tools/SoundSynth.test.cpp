// The sound generator: a WAV and an Ogg Vorbis file from recipes, decoded by the game's own sound loaders with the
// expected length and peak. The generator runs as its program: its encoder and the game's decoder cannot share one.
#include "platform/audio/DirectSound.h"
#include "shell/DSoundManager.h"
#include "tests/tools/ToolsTestKit.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

namespace fs = std::filesystem;

constexpr Platform::WindowHandle kWindow{1};
constexpr int kSampleRate = 44100;

/// Runs ilvane-sound on the recipe into the folder; its exit status, with what it printed in `output`.
int RunTool(const fs::path& recipe, const fs::path& data, std::string& output)
{
    const fs::path log = data.parent_path() / "tool.log";
    const std::string command = std::string("'") + ILVANE_SOUND_TOOL + "' '" + recipe.string() + "' '" + data.string() +
                                "' '" + (data.parent_path() / "written.list").string() + "' > '" + log.string() +
                                "' 2>&1";
    const int status = std::system(command.c_str());
    const std::vector<uint8_t> bytes = ToolsTest::ReadBytes(log);
    output.assign(bytes.begin(), bytes.end());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

/// The 16-bit mono samples the manager holds for the id.
std::vector<int16_t> Samples(Pyxo::DSoundManager& manager, unsigned id)
{
    std::vector<int16_t> samples;
    Platform::DirectSoundBuffer* buffer = manager.GetSourceBuffer(id);
    if (buffer == nullptr) {
        ADD_FAILURE() << "no sound in id " << id;
        return samples;
    }
    Platform::WaveFormat format{};
    EXPECT_EQ(buffer->GetFormat(&format, sizeof(format), nullptr), Platform::DS_OK);
    EXPECT_EQ(format, Platform::MakePcmFormat(1, kSampleRate, 16));
    void* data = nullptr;
    uint32_t bytes = 0;
    EXPECT_EQ(buffer->Lock(0, 0, &data, &bytes, nullptr, nullptr, Platform::DSBLOCK_ENTIREBUFFER), Platform::DS_OK);
    samples.resize(bytes / 2);
    std::memcpy(samples.data(), data, samples.size() * 2);
    EXPECT_EQ(buffer->Unlock(data, bytes, nullptr, 0), Platform::DS_OK);
    return samples;
}

int Peak(const std::vector<int16_t>& samples)
{
    int peak = 0;
    for (const int16_t sample : samples)
        peak = std::max(peak, std::abs(int(sample)));
    return peak;
}

TEST(SoundSynth, WavAndOggDecodeWithTheirLengthAndPeak)
{
    ToolsTest::TempFolder folder;
    const fs::path recipe = folder.Write("sounds.xml", R"(<sounds>
  <sound file="sounds/beep.wav">
    <tone freq="441" start="0.1" length="0.4" volume="0.5" attack="0" release="0"/>
  </sound>
  <sound file="sounds/mix.wav" length="0.3">
    <tone freq="200" to="800" wave="square" length="0.1" volume="0.8"/>
    <noise start="0.05" length="0.1" volume="0.8" seed="7"/>
    <notes start="0.2" tempo="600" wave="triangle" notes="C5 R E5:0.5"/>
  </sound>
  <sound file="music/menu.ogg" length="2">
    <notes tempo="240" notes="A4 C5 E5 A5 E5 C5 A4 R" volume="0.6" attack="0.01" release="0.05"/>
  </sound>
</sounds>)");
    std::string output;
    ASSERT_EQ(RunTool(recipe, folder.Path() / "data", output), 0) << output;
    const std::vector<uint8_t> list = ToolsTest::ReadBytes(folder.Path() / "written.list");
    EXPECT_EQ(std::string(list.begin(), list.end()), "sounds/beep.wav\nsounds/mix.wav\nmusic/menu.ogg\n");

    Pyxo::DSoundManager manager(kWindow, false);
    ASSERT_TRUE(manager.ReadWav(1, (folder.Path() / "data/sounds/beep.wav").string()));
    const std::vector<int16_t> beep = Samples(manager, 1);
    EXPECT_EQ(beep.size(), 22050u) << "0.1 s of silence, then 0.4 s of tone";
    EXPECT_EQ(Peak({beep.begin(), beep.begin() + 4410}), 0);
    EXPECT_NEAR(Peak(beep), 16384, 40) << "half of full scale";

    ASSERT_TRUE(manager.ReadWav(2, (folder.Path() / "data/sounds/mix.wav").string()));
    const std::vector<int16_t> mix = Samples(manager, 2);
    EXPECT_EQ(mix.size(), 13230u) << "cut to the sound's own length";
    EXPECT_EQ(Peak(mix), 32767) << "a loud sum is clipped, not wrapped";

    ASSERT_TRUE(manager.ReadOgg(3, (folder.Path() / "data/music/menu.ogg").string()));
    const std::vector<int16_t> music = Samples(manager, 3);
    EXPECT_EQ(music.size(), 88200u);
    EXPECT_NEAR(Peak(music), int(0.6 * 32767), 3000) << "lossy, but near the recipe's level";

    // The same recipe gives the same bytes.
    const std::vector<uint8_t> first = ToolsTest::ReadBytes(folder.Path() / "data/music/menu.ogg");
    ASSERT_EQ(RunTool(recipe, folder.Path() / "again", output), 0) << output;
    EXPECT_EQ(ToolsTest::ReadBytes(folder.Path() / "again/music/menu.ogg"), first);
}

TEST(SoundSynth, FaultyRecipesAreRefused)
{
    const struct {
        const char* name;
        const char* sound;
        const char* expected;
    } cases[] = {
        {"bad note", R"(<sound file="s.wav"><notes notes="H4"/></sound>)", ":2: note \"H4\""},
        {"no octave", R"(<sound file="s.wav"><notes notes="C"/></sound>)", ":2: note \"C\" needs an octave"},
        {"volume above 1", R"(<sound file="s.wav"><tone length="1" volume="2"/></sound>)", ":2: attribute volume"},
        {"too long", R"(<sound file="s.wav"><tone length="100000"/></sound>)", ":2: attribute length"},
        {"no length", R"(<sound file="s.wav"><tone/></sound>)", ":2: <tone> needs length"},
        {"empty", R"(<sound file="s.wav"/>)", ":2: the sound is empty"},
        {"unknown wave", R"(<sound file="s.wav"><tone length="1" wave="pulse"/></sound>)", ":2: wave must be"},
        {"other format", R"(<sound file="s.mp3" length="1"/>)", ":2: file="},
    };
    ToolsTest::TempFolder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path recipe = folder.Write("sounds.xml", std::string("<sounds>\n") + c.sound + "\n</sounds>");
        std::string output;
        EXPECT_EQ(RunTool(recipe, folder.Path() / "data", output), 1);
        EXPECT_NE(output.find(recipe.string() + c.expected), std::string::npos) << output;
        EXPECT_FALSE(fs::exists(folder.Path() / "written.list")) << "no list for a failed run";
    }
}

} // namespace
