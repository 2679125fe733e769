// The animation player: sequences chosen by exact name or as a random numbered variant, durations, and runs to a
// frame, refused at the frame count and immediate on a sequence without time.
#include "engine/AnimPlayer.h"

#include "engine/GameClock.h"
#include "shell/Random15.h"
#include "tests/engine/EngineTestKit.h"
#include "tests/engine/SceneTestKit.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

using namespace EngineTest;

class AnimPlayerTest : public ::testing::Test {
protected:
    void TearDown() override { gFrameDelta = 0.0f; }

    static AnmFixtureSequence Sequence(const char* name, int frames, int fps, int mode = AnmFrameBlock::Loop)
    {
        return {"images\\sheet.png", name, 8, mode, fps, StripFrames(frames, 8, 8)};
    }

    ScratchFolder mScratch;
};

TEST_F(AnimPlayerTest, AMissingOrRefusedFileLeavesNoData)
{
    AnimPlayer player(nullptr);
    EXPECT_FALSE(player.Load("none"));
    EXPECT_FALSE(player.Play("walk", false));
    EXPECT_EQ(player.GetCurrentSequence(), nullptr);
    EXPECT_EQ(player.GetDuration(), 0.0f);

    mScratch.WriteAnm("boss", {Sequence("walk", 2, 10)});
    ASSERT_TRUE(player.Load("boss"));
    ASSERT_TRUE(player.Play("walk", false));
    std::vector<uint8_t> bad = WriteAnmFixture({Sequence("walk", 2, 10)}, 0x1000);
    bad[0] = 'X';
    WriteBytes(mScratch.Path() / "anm" / "boss.anm", bad);
    EXPECT_FALSE(player.Load("boss"));
    EXPECT_EQ(player.GetData(), nullptr);
    EXPECT_EQ(player.GetCurrentSequence(), nullptr);
}

TEST_F(AnimPlayerTest, NumberedVariantsAreChosenAtRandomAndAnExactNameFirst)
{
    mScratch.WriteAnm("client", {Sequence("walk01", 2, 10), Sequence("walk02", 2, 10), Sequence("walk03", 2, 10),
                                 Sequence("walk05", 2, 10), Sequence("sit", 2, 10), Sequence("sit01", 2, 10)});
    AnimPlayer player(nullptr);
    ASSERT_TRUE(player.Load("client"));
    EXPECT_EQ(player.FindSequence("walk02"), 1);
    EXPECT_EQ(player.FindSequence("Walk02"), -1);

    Pyxo::SeedRand15(3);
    std::set<int> chosen;
    for (int i = 0; i < 60; ++i) {
        ASSERT_TRUE(player.Play("walk", false));
        chosen.insert(player.GetSequenceIndex());
    }
    EXPECT_EQ(chosen, (std::set<int>{0, 1, 2})) << "walk05 is past the first gap";
    EXPECT_EQ(player.GetState(), AnimPlayer::Playing);

    ASSERT_TRUE(player.Play("sit", false));
    EXPECT_EQ(player.GetSequenceIndex(), 4) << "the exact name before its variants";
    EXPECT_TRUE(player.PlayVariant("sit"));
    EXPECT_EQ(player.GetSequenceIndex(), 5) << "a variant only";

    EXPECT_FALSE(player.Play("run", false));
    EXPECT_FALSE(player.Play("", false));
    EXPECT_EQ(player.GetSequenceIndex(), 5) << "the previous sequence plays on";
    EXPECT_EQ(player.GetState(), AnimPlayer::Playing);
}

TEST_F(AnimPlayerTest, DurationsAndFramesPerSecond)
{
    mScratch.WriteAnm(
        "tray", {Sequence("ten", 10, 10, AnmFrameBlock::OnceForward), Sequence("one", 1, 25), Sequence("still", 4, 0)});
    AnimPlayer player(nullptr);
    ASSERT_TRUE(player.Load("tray"));
    ASSERT_TRUE(player.Play("ten", false));
    EXPECT_FLOAT_EQ(player.GetDuration(), 1.0f);
    ASSERT_TRUE(player.Play("one", false));
    EXPECT_EQ(player.GetDuration(), 0.0f) << "fps forced to 0 for one frame";
    ASSERT_TRUE(player.Play("still", false));
    EXPECT_EQ(player.GetDuration(), 0.0f);
}

TEST_F(AnimPlayerTest, PlayToFrameAcceptsOnlyFramesBelowTheCountAndStandsAtOnceWithoutTime)
{
    mScratch.WriteAnm("sign", {Sequence("one", 1, 10), Sequence("still", 4, 0)});
    AnimPlayer player(nullptr);
    EXPECT_FALSE(player.PlayToFrame(0)) << "nothing loaded";
    ASSERT_TRUE(player.Load("sign"));
    EXPECT_FALSE(player.PlayToFrame(0)) << "no sequence selected";

    ASSERT_TRUE(player.Play("one", false));
    EXPECT_FALSE(player.PlayToFrame(1)) << "the frame count itself is refused";
    EXPECT_FALSE(player.PlayToFrame(-1));
    EXPECT_EQ(player.GetState(), AnimPlayer::Playing);
    EXPECT_TRUE(player.PlayToFrame(0));
    EXPECT_EQ(player.GetState(), AnimPlayer::Paused) << "no time to run: paused on the frame at once";
    EXPECT_EQ(player.GetFrameIndex(), 0);
    EXPECT_EQ(player.GetTargetFrame(), -1);

    ASSERT_TRUE(player.Play("still", false));
    EXPECT_FALSE(player.PlayToFrame(4));
    EXPECT_TRUE(player.PlayToFrame(3));
    EXPECT_EQ(player.GetFrameIndex(), 3);
    ASSERT_NE(player.GetCurrentFrame(), nullptr);
    EXPECT_EQ(player.GetCurrentFrame()->x, 24);
    EXPECT_TRUE(player.Resume());
    EXPECT_FALSE(player.Resume());
}

/// Steps the player by dt n times and collects the frames and the ended flags handed out.
struct Steps {
    std::vector<int> frames;
    int ends = 0;
};

Steps Step(AnimPlayer& player, float dt, int n)
{
    Steps run;
    gFrameDelta = dt;
    for (int i = 0; i < n; ++i) {
        bool ended = false;
        player.Update(ended);
        run.frames.push_back(player.GetFrameIndex());
        run.ends += ended ? 1 : 0;
    }
    return run;
}

TEST_F(AnimPlayerTest, OnceForwardRunsThroughEveryFrameAndEndsOnce)
{
    mScratch.WriteAnm("cook", {Sequence("fry", 10, 10, AnmFrameBlock::OnceForward)});
    AnimPlayer player(nullptr);
    ASSERT_TRUE(player.Load("cook"));
    ASSERT_TRUE(player.Play("fry", false));
    const Steps run = Step(player, 0.1f, 12);
    // Frame = trunc(9 x t): the last frame shows only at t = 1.
    EXPECT_EQ(run.frames, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 9}));
    EXPECT_EQ(run.ends, 1);
}

TEST_F(AnimPlayerTest, LoopsWrapAndBackwardRunsFromTheLastFrame)
{
    mScratch.WriteAnm("fan", {Sequence("spin", 4, 4), Sequence("back", 4, 4, AnmFrameBlock::OnceBackward)});
    AnimPlayer player(nullptr);
    ASSERT_TRUE(player.Load("fan"));
    ASSERT_TRUE(player.Play("spin", false));
    const Steps loop = Step(player, 0.25f, 8);
    EXPECT_EQ(loop.ends, 0) << "a loop never ends";
    EXPECT_LT(loop.frames[4], loop.frames[3]) << "wrapped";
    ASSERT_TRUE(player.Play("back", false));
    const Steps back = Step(player, 0.25f, 5);
    EXPECT_GT(back.frames.front(), back.frames[3]);
    EXPECT_EQ(back.frames[3], 0);
    EXPECT_EQ(back.ends, 1);
}

TEST_F(AnimPlayerTest, OneFrameSequencesNeverRunNorEnd)
{
    mScratch.WriteAnm("sign", {Sequence("one", 1, 10, AnmFrameBlock::OnceForward)});
    AnimPlayer player(nullptr);
    ASSERT_TRUE(player.Load("sign"));
    ASSERT_TRUE(player.Play("one", false));
    const Steps run = Step(player, 0.5f, 4);
    EXPECT_EQ(run.frames, (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(run.ends, 0);
}

TEST_F(AnimPlayerTest, PlayToTheLastFramePausesThere)
{
    mScratch.WriteAnm("door", {Sequence("open", 5, 10)});
    AnimPlayer player(nullptr);
    ASSERT_TRUE(player.Load("door"));
    ASSERT_TRUE(player.Play("open", false));
    EXPECT_FALSE(player.PlayToFrame(5));
    ASSERT_TRUE(player.PlayToFrame(4));
    const Steps run = Step(player, 0.1f, 8);
    EXPECT_EQ(player.GetState(), AnimPlayer::Paused);
    EXPECT_EQ(player.GetFrameIndex(), 4);
    EXPECT_EQ(run.ends, 1);
    EXPECT_EQ(player.GetTargetFrame(), -1);
}

} // namespace
