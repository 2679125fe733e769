// The texture table, its counted handles and the frame sets drawn from them: images load on the first
// acquisition and go at the last release, also when two threads acquire and release at once.
#include "engine/TextureTable.h"

#include "engine/TMTexture.h"
#include "graphics/DDImage.h"
#include "tests/SuiteLabels.h"
#include "tests/engine/EngineTestKit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using namespace EngineTest;

/// An image that counts how many of its kind are alive, and the most that ever were.
class CountedImage : public Pyxo::DDImage {
public:
    static inline std::atomic<int> sLive = 0;
    static inline std::atomic<int> sMostLive = 0;

    CountedImage() : Pyxo::DDImage(nullptr)
    {
        const int live = ++sLive;
        int most = sMostLive.load();
        while (live > most && !sMostLive.compare_exchange_weak(most, live)) {
        }
    }
    ~CountedImage() override { --sLive; }
};

/// An engine whose image loading counts its calls and makes counted images; files named "bad" do not decode
/// while failBad is set.
class CountingEngine : public EngineApp {
public:
    using EngineApp::EngineApp;

    std::unique_ptr<Pyxo::DDImage> GetImage(const std::string& fileName, bool commitBits) override
    {
        ++loads;
        EXPECT_TRUE(commitBits);
        if (failBad && fileName.find("bad") != std::string::npos)
            return nullptr;
        // A load takes time: the other thread gets its chance to act on the record meanwhile.
        std::this_thread::yield();
        return std::make_unique<CountedImage>();
    }

    std::atomic<int> loads = 0;
    std::atomic<bool> failBad = true;
};

class TextureTest : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        CountedImage::sLive = 0;
        CountedImage::sMostLive = 0;
        for (const char* name : {"a.png", "b.png", "bad.png", "smoke00.png", "smoke01.png", "smoke02.png"})
            WriteBytes(mFolder / "images" / name, {1, 2, 3});
        mEngine = &MakeEngine<CountingEngine>();
        ASSERT_TRUE(mDocument.load_string(R"(<root>
            <texture id="a" file="images\a.png"/>
            <texture id="a" file="images\b.png"/>
            <texture id="b" file="images\B.PNG"/>
            <texture id="bad" file="images\bad.png"/>
            <texture id="gone" file="images\missing.png"/>
            <texture id="smoke00" file="images\smoke00.png"/>
            <texture id="smoke01" file="images\smoke01.png"/>
            <texture id="smoke02" file="images\smoke02.png"/>
            <other id="other" file="images\a.png"/>
        </root>)"));
        mTable = mEngine->GetTextureTable();
        mTable->Load(mDocument.child("root"));
    }

    CountingEngine* mEngine = nullptr;
    TextureTable* mTable = nullptr;
    pugi::xml_document mDocument;
};

ILVANE_THREADED_SUITE(TextureTest);

TEST_F(TextureTest, TableHoldsReadableFilesAndTheFirstDefinition)
{
    EXPECT_EQ(mTable->Size(), 6u) << "the missing file and the foreign element are left out";
    TextureHandle a = mTable->Find("a");
    ASSERT_NE(a.GetRecord(), nullptr);
    EXPECT_EQ(a.GetRecord()->path, "images\\a.png") << "the first definition stays";
    EXPECT_FALSE(a.IsAcquired());
    EXPECT_NE(mTable->Find("b").GetRecord(), nullptr) << "file names are found without regard to case";
    EXPECT_EQ(mTable->Find("gone").GetRecord(), nullptr);
    EXPECT_EQ(mEngine->loads, 0) << "Find loads nothing";

    TextureHandle unknown = mTable->Find("unknown");
    EXPECT_EQ(unknown.GetImage(), nullptr);
    EXPECT_TRUE(unknown.IsAcquired()) << "an empty handle can be acquired and released harmlessly";
    unknown.Release();
}

TEST_F(TextureTest, HandlesShareOneImageUntilTheLastRelease)
{
    TextureHandle first = mTable->Find("a");
    TextureHandle second = mTable->Find("a");
    TextureRecord* record = first.GetRecord();
    first.Acquire();
    second.Acquire();
    first.Acquire(); // a second acquisition of one handle counts nothing
    EXPECT_EQ(mEngine->loads, 1);
    EXPECT_EQ(record->referenceCount, 2u);
    EXPECT_NE(first.GetImage(), nullptr);
    EXPECT_EQ(first.GetImage(), second.GetImage());

    TextureHandle copy(first);
    EXPECT_FALSE(copy.IsAcquired()) << "copies are not acquired";
    copy.Release();
    EXPECT_EQ(record->referenceCount, 2u) << "releasing the copy changes nothing";

    TextureHandle assigned;
    assigned = first;
    EXPECT_TRUE(assigned.IsAcquired()) << "assignment takes the acquired state";
    EXPECT_EQ(record->referenceCount, 3u);
    assigned.Reset();
    EXPECT_EQ(assigned.GetRecord(), nullptr);

    first.Release();
    EXPECT_NE(record->image, nullptr);
    second.Release();
    EXPECT_EQ(record->image, nullptr) << "deleted at the last release";
    EXPECT_EQ(CountedImage::sLive, 0);

    {
        TextureHandle scoped = mTable->Find("a");
        EXPECT_NE(scoped.GetImage(), nullptr) << "GetImage acquires";
    }
    EXPECT_EQ(record->referenceCount, 0u) << "the destructor releases";
    EXPECT_EQ(CountedImage::sLive, 0);
}

TEST_F(TextureTest, AFailedDecodeIsRetriedFromCountZero)
{
    TextureHandle first = mTable->Find("bad");
    TextureHandle second = mTable->Find("bad");
    EXPECT_EQ(first.GetImage(), nullptr);
    EXPECT_EQ(second.GetImage(), nullptr);
    EXPECT_EQ(mEngine->loads, 1) << "not retried while the count stays above 0";
    first.Release();
    second.Release();

    mEngine->failBad = false;
    EXPECT_NE(first.GetImage(), nullptr) << "the next acquisition from 0 tries again";
    EXPECT_EQ(mEngine->loads, 2);
}

TEST_F(TextureTest, TwoThreadsAcquireAndReleaseOneRecord)
{
    TextureRecord* record = mTable->Find("a").GetRecord();
    constexpr int kRounds = 20000;
    std::atomic<int> ready = 0;
    auto churn = [this, &ready] {
        // Both threads start together, so that their rounds overlap.
        ++ready;
        while (ready < 2) {
        }
        for (int i = 0; i < kRounds; ++i) {
            TextureHandle handle = mTable->Find("a");
            handle.Acquire();
            if (handle.GetImage() == nullptr)
                ADD_FAILURE() << "an acquired record has its image";
            handle.Release();
        }
    };
    std::thread other(churn);
    churn();
    other.join();

    EXPECT_EQ(record->referenceCount, 0u);
    EXPECT_EQ(record->image, nullptr);
    EXPECT_EQ(CountedImage::sLive, 0) << "every load was deleted once";
    EXPECT_EQ(CountedImage::sMostLive, 1) << "never loaded twice at once";
}

TEST_F(TextureTest, FrameSetsReadTheirDescription)
{
    pugi::xml_document description;
    ASSERT_TRUE(description.load_string(R"(<t>
        <texture texture="smoke" fps="10" count="3" u="4" v="5" width="6" oneshot="0" mode="additive"/>
        <texture texture="a" mode="Additive"/>
        <texture texture="smoke" fps="5" count="0"/>
    </t>)"));
    auto node = description.child("t").children("texture").begin();

    TMTexture animated;
    animated.Load(*node++, 100, 50);
    ASSERT_EQ(animated.mFrames.size(), 3u);
    EXPECT_EQ(animated.mFrames[2].GetRecord(), mTable->Find("smoke02").GetRecord()) << "frames are named %s%02d";
    EXPECT_EQ(animated.mSourceRect, Pyxo::Rect(4, 5, 6, 50)) << "a missing height takes the default";
    EXPECT_EQ(animated.mFps, 10);
    EXPECT_EQ(animated.mFrameCount, 3);
    EXPECT_EQ(animated.mOneShot, 0);
    EXPECT_TRUE(animated.mAdditive);
    EXPECT_FALSE(animated.mFrames[0].IsAcquired());

    TMTexture single;
    single.Load(*node++, 100, 50);
    ASSERT_EQ(single.mFrames.size(), 1u);
    EXPECT_EQ(single.mFrames[0].GetRecord(), mTable->Find("a").GetRecord());
    EXPECT_EQ(single.mSourceRect, Pyxo::Rect(0, 0, 100, 50));
    EXPECT_FALSE(single.mAdditive) << "the mode is case-sensitive";

    TMTexture empty;
    empty.Load(*node++, 1, 1);
    EXPECT_TRUE(empty.mFrames.empty());
    empty.Advance(1.0f);
    EXPECT_EQ(empty.mCurrentFrame, 0) << "no frames: nothing to step to";

    animated.AcquireAll();
    EXPECT_EQ(mEngine->loads, 3);
    TMTexture copy(animated);
    EXPECT_FALSE(copy.mFrames[0].IsAcquired());
    animated.SetFrame(mTable->Find("b"));
    EXPECT_EQ(CountedImage::sLive, 0) << "SetFrame releases the frames it drops";
    EXPECT_EQ(animated.mFrames.size(), 1u);
    EXPECT_EQ(animated.mFps, 0);
    EXPECT_EQ(animated.mFrameCount, 1);
}

TEST_F(TextureTest, ACountOf2147483647StopsAtTheFirstFrameMissingFromTheTable)
{
    // smoke00 to smoke02 are in the table; the rest of a count only looks up one missing id.
    const struct {
        const char* count;
        size_t frames;
        bool logged;
    } cases[] = {{"5", 3, false}, {"2147483647", 3, true}, {"2", 2, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        pugi::xml_document description;
        const std::string text = std::string(R"(<texture texture="smoke" fps="10" count=")") + c.count + "\"/>";
        ASSERT_TRUE(description.load_string(text.c_str()));
        {
            const std::lock_guard lock(mLogLock);
            mLog.clear();
        }
        TMTexture texture;
        texture.Load(description.child("texture"), 1, 1);
        EXPECT_EQ(texture.mFrames.size(), c.frames);
        EXPECT_EQ(texture.mFrameCount, int(c.frames));
        EXPECT_EQ(LogHas("asks for 2147483647 frames"), c.logged);
    }
}

TEST(TMTexture, AdvanceStepsOneFrameAtMostPerCall)
{
    struct Case {
        const char* name;
        int oneShot;
        float step;
        std::vector<int> frames;
    };
    const Case kCases[] = {
        {"one-shot stops on the last frame", 1, 0.07f, {0, 1, 2, 2, 2}},
        {"looping wraps to the first", 0, 0.07f, {0, 1, 2, 2, 0}},
        {"a long frame moves one frame", 1, 1.0f, {1, 2, 2}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        TMTexture texture;
        texture.mFrames.resize(3);
        texture.mFps = 10;
        texture.mFrameCount = 3;
        texture.mOneShot = c.oneShot;
        std::vector<int> frames;
        for (size_t i = 0; i < c.frames.size(); ++i) {
            texture.Advance(c.step);
            frames.push_back(texture.mCurrentFrame);
        }
        EXPECT_EQ(frames, c.frames);
    }
}

} // namespace
