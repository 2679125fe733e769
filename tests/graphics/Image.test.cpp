#include "graphics/Image.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Pyxo::AnimInfo;
using Pyxo::Color;
using Pyxo::Image;
using Pyxo::Rect;
using Pyxo::Span;

TEST(AnimInfo, ComputeFramesAndTiming)
{
    struct Case {
        const char* name;
        int type;
        int frameDelay;
        std::vector<int> perFrame;
        int cels;
        int beginDelay;
        int endDelay;
        int expectedCels;
        std::vector<int> expectedMap;
        std::vector<int> expectedPerFrame;
        int expectedTotal;
    };
    const Case cases[] = {
        {"loop", AnimInfo::AnimType_Loop, 10, {}, 4, 0, 0, 4, {}, {}, 40},
        {"no frames count as one", AnimInfo::AnimType_Once, 0, {}, 0, 0, 0, 1, {}, {}, 1},
        {"ping-pong", AnimInfo::AnimType_PingPong, 5, {}, 4, 0, 0, 6, {0, 1, 2, 3, 2, 1}, {}, 30},
        {"ping-pong of one frame", AnimInfo::AnimType_PingPong, 5, {}, 1, 0, 0, 1, {}, {}, 5},
        {"begin and end delays", AnimInfo::AnimType_Loop, 10, {}, 3, 100, 200, 3, {}, {100, 10, 200}, 310},
        {"per-frame delays fill gaps", AnimInfo::AnimType_Loop, 7, {0, 20}, 4, 0, 0, 4, {}, {7, 20, 7, 7}, 41},
        {"per-frame delays cut to the frames", AnimInfo::AnimType_Loop, 7, {1, 2, 3, 4, 5}, 2, 0, 0, 2, {}, {1, 2}, 3},
        {"end delay on the last ping-pong frame",
         AnimInfo::AnimType_PingPong,
         10,
         {},
         3,
         0,
         50,
         4,
         {0, 1, 2, 1},
         {10, 10, 10, 50},
         80},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AnimInfo info;
        info.mAnimType = c.type;
        info.mFrameDelay = c.frameDelay;
        info.mPerFrameDelay = c.perFrame;
        EXPECT_TRUE(info.Compute(c.cels, c.beginDelay, c.endDelay));
        EXPECT_EQ(info.mNumCels, c.expectedCels);
        EXPECT_EQ(info.mFrameMap, c.expectedMap);
        EXPECT_EQ(info.mPerFrameDelay, c.expectedPerFrame);
        EXPECT_EQ(info.mTotalAnimTime, c.expectedTotal);
        EXPECT_GE(info.mFrameDelay, 1);
    }
}

TEST(AnimInfo, SetPerFrameDelayGrowsWithZeros)
{
    AnimInfo info;
    info.SetPerFrameDelay(3, 9);
    EXPECT_EQ(info.mPerFrameDelay, (std::vector<int>{0, 0, 0, 9}));
    info.SetPerFrameDelay(1, 4);
    EXPECT_EQ(info.mPerFrameDelay, (std::vector<int>{0, 4, 0, 9}));
}

struct FillRecorder : Image {
    std::vector<Rect> fills;
    void FillRect(const Rect& rect, const Color&, int) override { fills.push_back(rect); }
};

TEST(Image, BaseOutlineAndSpansAreFills)
{
    FillRecorder image;
    image.DrawRect(Rect(2, 3, 10, 5), Color::White, 0);
    const std::vector<Rect> outline = {{2, 3, 11, 1}, {2, 8, 11, 1}, {2, 4, 1, 4}, {12, 4, 1, 4}};
    EXPECT_EQ(image.fills, outline);

    image.fills.clear();
    const Span spans[] = {{4, 1, 3}, {5, 0, 7}};
    image.FillSpans(spans, 2, Color::White, 0);
    EXPECT_EQ(image.fills, (std::vector<Rect>{{1, 4, 3, 1}, {0, 5, 7, 1}}));
}

TEST(Image, CopyAttributesDeepCopiesTheAnimationAndKeepsTheSize)
{
    FillRecorder source;
    source.mNumRows = 2;
    source.mNumCols = 3;
    source.mAnimInfo = std::make_unique<AnimInfo>();
    source.mAnimInfo->mFrameDelay = 42;
    FillRecorder target;
    target.mWidth = 5;
    target.CopyAttributes(source);
    source.mAnimInfo->mFrameDelay = 1;
    EXPECT_EQ(target.mNumRows, 2);
    EXPECT_EQ(target.mNumCols, 3);
    EXPECT_EQ(target.mWidth, 5);
    ASSERT_NE(target.mAnimInfo, nullptr);
    EXPECT_EQ(target.mAnimInfo->mFrameDelay, 42);
}

} // namespace
