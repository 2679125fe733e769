// Music streams with their cross-fade, the fade workers fired by hand on the manual clock: 20 steps in, 20 out,
// then the old stream's sample unloaded; a quick switch away and back; the music list's stops.
#include "engine/TMMusicPlayer.h"

#include "tests/SuiteLabels.h"
#include "tests/engine/SoundTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using SoundTest::SoundFixture;

constexpr const char* kMusic = R"(<root><music>
    <stream name="menu" path="music\menu.ogg"/>
    <stream name="cafe" path="music\cafe.ogg"/>
</music></root>)";

class TMMusicPlayerTest : public SoundFixture {
protected:
    void SetUp() override
    {
        SoundFixture::SetUp();
        Start();
        ASSERT_TRUE(mDocument.load_string(kMusic));
        ASSERT_TRUE(mMusic.Load(mDocument.child("root")));
    }

    int VolumeOf(const std::string& stream) { return mLibrary.ChannelVolume(mMusic.GetChannel(stream)); }

    pugi::xml_document mDocument;
    TMMusicPlayer mMusic;
};

ILVANE_THREADED_SUITE(TMMusicPlayerTest);

TEST_F(TMMusicPlayerTest, SwitchingFadesTheNewStreamInAndTheOldOneOutAndUnloadsIt)
{
    mMusic.SoundSetMusicVolume(80);
    mMusic.Play("menu");
    const Platform::SoundChannelId menu = mMusic.GetChannel("menu");
    ASSERT_TRUE(menu);
    EXPECT_EQ(VolumeOf("menu"), 0);
    std::vector<int> steps;
    for (int i = 0; i < 21; ++i) {
        Tick(50);
        steps.push_back(VolumeOf("menu"));
    }
    EXPECT_EQ(steps[0], 4);
    EXPECT_NEAR(steps[9], 40, 1);
    EXPECT_EQ(steps[19], 80) << "full after 20 steps";
    EXPECT_EQ(steps[20], 80);

    mMusic.SoundSetMusicVolume(100);
    EXPECT_EQ(VolumeOf("menu"), 100) << "the music group takes the new volume at once";
    const Platform::SoundSampleId menuSample = mMusic.GetSample("menu");
    mLibrary.TakeCalls();
    mMusic.Play("cafe");
    const Platform::SoundChannelId cafe = mMusic.GetChannel("cafe");
    Tick(50, 20);
    EXPECT_EQ(VolumeOf("cafe"), 100) << "in after 1 s";
    EXPECT_NEAR(mLibrary.ChannelVolume(menu), 50, 1) << "half way out";
    Tick(50, 19);
    EXPECT_NEAR(mLibrary.ChannelVolume(menu), 5, 1);
    EXPECT_EQ(mLibrary.ChannelStatus(menu), Platform::kChannelPlaying);
    Tick(50, 2);
    EXPECT_EQ(mLibrary.ChannelStatus(menu), Platform::kChannelNone) << "out after 20 steps of 100 ms";
    EXPECT_FALSE(mMusic.GetSample("menu"));
    const auto calls = mLibrary.TakeCalls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "SampleUnload " + std::to_string(menuSample.value)), calls.end());
    EXPECT_EQ(mLibrary.ChannelStatus(cafe), Platform::kChannelPlaying);

    mMusic.Play("cafe");
    mMusic.Play("unknown");
    EXPECT_TRUE(mLibrary.TakeCalls().empty()) << "the current name or an unknown one changes nothing";
    EXPECT_EQ(mMusic.GetCurrentName(), "cafe");

    mMusic.Play("menu");
    EXPECT_TRUE(mMusic.GetSample("menu")) << "played again, loaded again";
}

TEST_F(TMMusicPlayerTest, SwitchingAwayAndBackQuicklyKeepsTheNewChannel)
{
    mMusic.Play("menu");
    Tick(50, 20);
    const Platform::SoundChannelId first = mMusic.GetChannel("menu");
    mMusic.Play("cafe");
    Tick(50, 5);
    mMusic.Play("menu");
    const Platform::SoundChannelId second = mMusic.GetChannel("menu");
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    Tick(50, 60);
    EXPECT_EQ(mLibrary.ChannelStatus(first), Platform::kChannelNone) << "the old fade ended its own channel";
    EXPECT_EQ(mLibrary.ChannelStatus(second), Platform::kChannelPlaying);
    EXPECT_EQ(VolumeOf("menu"), 100);
    EXPECT_TRUE(mMusic.GetSample("menu")) << "its sample is still in use";
    EXPECT_FALSE(mMusic.GetSample("cafe"));

    mMusic.PauseCurrent();
    EXPECT_EQ(mLibrary.ChannelStatus(second), Platform::kChannelPaused);
    mMusic.ResumeCurrent();
    EXPECT_EQ(mLibrary.ChannelStatus(second), Platform::kChannelPlaying);
}

TEST_F(TMMusicPlayerTest, APlayerDeletedMidFadeLeavesNoWorkerBehind)
{
    for (const bool deviceGone : {false, true}) {
        SCOPED_TRACE(deviceGone ? "the device deleted first" : "the device still there");
        auto music = std::make_unique<TMMusicPlayer>();
        ASSERT_TRUE(music->Load(mDocument.child("root")));
        music->Play("menu");
        Tick(50, 20);
        music->Play("cafe");
        Tick(50, 3);
        const Platform::SoundChannelId cafe = music->GetChannel("cafe");
        ASSERT_TRUE(cafe);
        const int volume = mLibrary.ChannelVolume(cafe);
        if (deviceGone) {
            gSoundDevice = nullptr;
            delete mDevice;
            mDevice = nullptr;
        }
        music.reset(); // neither fade may run on the deleted player
        Tick(50, 40);
        if (!deviceGone) {
            EXPECT_EQ(mLibrary.ChannelVolume(cafe), volume) << "the fade in stopped with the player";
        }
    }
}

TEST_F(TMMusicPlayerTest, TheListStopsAtAMissingOrRepeatedName)
{
    struct Case {
        const char* name;
        const char* xml;
        std::vector<std::string> known;
    };
    const Case cases[] = {
        {"no name",
         R"(<root><music><stream name="a" path="a.ogg"/><stream path="b.ogg"/>
                       <stream name="c" path="c.ogg"/></music></root>)",
         {"a"}},
        {"no path", R"(<root><music><stream name="a"/><stream name="c" path="c.ogg"/></music></root>)", {}},
        {"twice",
         R"(<root><music><stream name="a" path="a.ogg"/><stream name="a" path="x.ogg"/>
                     <stream name="c" path="c.ogg"/></music></root>)",
         {"a"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pugi::xml_document document;
        ASSERT_TRUE(document.load_string(c.xml));
        TMMusicPlayer music;
        EXPECT_FALSE(music.Load(document.child("root")));
        for (const char* name : {"a", "c"}) {
            const bool known = std::find(c.known.begin(), c.known.end(), name) != c.known.end();
            music.Play(name);
            EXPECT_EQ(music.GetCurrentName() == name, known) << name;
        }
    }
}

} // namespace
