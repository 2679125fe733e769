// The registry of named sounds against the game's sound library, through the calls it makes: group numbers,
// counted pauses, the channels actors own, a sound that cannot load, and a machine without a sound device.
#include "engine/TMSoundManager.h"

#include "engine/TMSound.h"
#include "engine/TMSoundChannel.h"
#include "platform/log/Log.h"
#include "tests/SuiteLabels.h"
#include "tests/engine/SoundTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using SoundTest::SoundFixture;
using Calls = std::vector<std::string>;

constexpr const char* kSounds = R"(<root><sounds>
    <sound name="click" group="ui" path="snd\click.wav"/>
    <sound name="pour" group="game" path="snd\pour.wav" loop="true"/>
    <sound name="bell" group="game" path="snd\bell.wav"/>
    <sound name="page" group="book" path="snd\page.ogg"/>
    <sound name="broken" group="ui" path="missing.wav"/>
</sounds></root>)";

class TMSoundManagerTest : public SoundFixture {
protected:
    void Load(const char* xml = kSounds)
    {
        ASSERT_TRUE(mDocument.load_string(xml));
        mSounds.Load(mDocument.child("root"));
    }

    /// The sample of the named sound, as the number the calls show.
    std::string SampleOf(const char* name) { return std::to_string(mSounds.Find(name)->GetSample().value); }

    pugi::xml_document mDocument;
    TMSoundManager mSounds;
};

ILVANE_THREADED_SUITE(TMSoundManagerTest);

TEST_F(TMSoundManagerTest, GroupsAreNumberedInTheOrderTheyFirstAppear)
{
    Start();
    Load();
    EXPECT_EQ(mSounds.GetGroupId("ui"), 1);
    EXPECT_EQ(mSounds.GetGroupId("game"), 2);
    EXPECT_EQ(mSounds.GetGroupId("book"), 3);
    EXPECT_EQ(mSounds.GetGroupId("other"), 0);
    EXPECT_TRUE(mSounds.Find("pour")->IsLooping());
    EXPECT_FALSE(mSounds.Find("bell")->IsLooping());

    mLibrary.TakeCalls();
    mSounds.SoundSetEffectsVolume(40);
    EXPECT_EQ(mLibrary.TakeCalls(),
              (Calls{"ChannelGroupSetVolume 3 40", "ChannelGroupSetVolume 2 40", "ChannelGroupSetVolume 1 40"}));
    mSounds.Play("click");
    EXPECT_EQ(mLibrary.TakeCalls().at(0).rfind("SamplePlay " + SampleOf("click") + " 0 1 1 0 40 44100 50", 0), 0u)
        << "once, in its group, at the effects volume, centred";
    mSounds.SoundSetEffectsVolume(100);
}

TEST_F(TMSoundManagerTest, PlayingNothingOrAnUnknownNameMakesNoCall)
{
    Start();
    Load();
    mLibrary.TakeCalls();
    mSounds.Play("");
    mSounds.Play("nope");
    EXPECT_TRUE(mLibrary.TakeCalls().empty());
    EXPECT_EQ(mSounds.CreateChannel("nope"), nullptr);
}

TEST_F(TMSoundManagerTest, GroupAndSoundPausesAreCounted)
{
    Start();
    Load();
    const std::string pour = SampleOf("pour");
    const std::string bell = SampleOf("bell");
    mLibrary.TakeCalls();
    mSounds.PauseGroup("game");
    mSounds.PauseGroup("game");
    EXPECT_EQ(mLibrary.TakeCalls(), (Calls{"SamplePause " + bell + " 1", "SamplePause " + pour + " 1"}));
    mSounds.ResumeGroup("game");
    EXPECT_TRUE(mLibrary.TakeCalls().empty()) << "one resume of two pauses keeps both paused";
    mSounds.PauseAll();
    mSounds.ResumeAll();
    for (const std::string& call : mLibrary.TakeCalls())
        EXPECT_EQ(call.find(" " + pour + " "), std::string::npos) << call;
    mSounds.ResumeGroup("game");
    EXPECT_EQ(mLibrary.TakeCalls(), (Calls{"SamplePause " + bell + " 0", "SamplePause " + pour + " 0"}));
    mSounds.PauseGroup("unknown");
    EXPECT_TRUE(mLibrary.TakeCalls().empty());
    mSounds.StopGroup("game");
    EXPECT_EQ(mLibrary.TakeCalls(), (Calls{"SampleStop " + bell, "SampleStop " + pour}));
}

TEST_F(TMSoundManagerTest, AnActorsChannelPlaysAgainAfterItsPausesEnd)
{
    Start();
    Load();
    std::unique_ptr<TMSoundChannel> channel(mSounds.CreateChannel("pour"));
    ASSERT_NE(channel, nullptr);
    channel->Play();
    const Platform::SoundChannelId id = channel->GetChannel();
    ASSERT_TRUE(id);
    EXPECT_EQ(mLibrary.ChannelStatus(id), Platform::kChannelPlaying);
    channel->Pause();
    channel->Pause();
    channel->Resume();
    EXPECT_EQ(mLibrary.ChannelStatus(id), Platform::kChannelPaused);
    channel->Resume();
    EXPECT_EQ(mLibrary.ChannelStatus(id), Platform::kChannelPlaying);
    channel->Play();
    EXPECT_EQ(channel->GetChannel(), id) << "a sounding channel is started, not played again";
    channel.reset();
    EXPECT_EQ(mLibrary.ChannelStatus(id), Platform::kChannelNone) << "the owner's end stops it";
}

TEST_F(TMSoundManagerTest, ASoundThatCannotLoadStaysSilentAndAReplacedOneIsFreed)
{
    std::vector<std::string> log;
    const Platform::LogSink previous =
        Platform::SetLogSink([&log](Platform::LogLevel, const char*, const std::string& text) { log.push_back(text); });
    Start();
    Load();
    EXPECT_FALSE(mSounds.Find("broken")->GetSample());
    EXPECT_NE(std::find_if(log.begin(), log.end(),
                           [](const std::string& line) { return line.find("missing.wav") != std::string::npos; }),
              log.end());
    mLibrary.TakeCalls();
    mSounds.Play("broken");
    EXPECT_EQ(mLibrary.TakeCalls().at(0).substr(0, 13), "SamplePlay 0 ");
    EXPECT_EQ(mLibrary.ChannelCount(), 0u);

    const std::string old = SampleOf("click");
    Load(R"(<root><sounds><sound name="click" group="book" path="snd\click2.wav"/></sounds></root>)");
    const Calls calls = mLibrary.TakeCalls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "SampleUnload " + old), calls.end());
    EXPECT_EQ(mSounds.Find("click")->GetGroup(), 3);
    Platform::SetLogSink(previous);

    mSounds.Clear();
    EXPECT_EQ(mSounds.Find("pour"), nullptr);
    EXPECT_EQ(mSounds.GetGroupId("ui"), 0);
}

TEST_F(TMSoundManagerTest, WithoutADeviceEverythingIsSilent)
{
    mLibrary.mDevices = 0;
    Start();
    EXPECT_FALSE(mDevice->IsAvailable());
    Load();
    ASSERT_NE(mSounds.Find("click"), nullptr) << "the names are still known";
    mSounds.Play("click");
    mSounds.PauseGroup("ui");
    mSounds.SoundSetEffectsVolume(10);
    EXPECT_EQ(mSounds.CreateChannel("pour"), nullptr);
    EXPECT_TRUE(mLibrary.TakeCalls().empty());
    mSounds.SoundSetEffectsVolume(100);
}

} // namespace
