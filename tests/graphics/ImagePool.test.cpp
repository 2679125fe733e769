#include "graphics/ImagePool.h"

#include "graphics/DDImage.h"
#include "shell/CritSect.h"
#include "tests/SuiteLabels.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using Pyxo::DDImage;
using Pyxo::ImagePool;
using Pyxo::ImagePoolRef;

// Counts its own destruction, so the tests see when the pool frees an image.
struct CountedImage : DDImage {
    int* deaths;
    explicit CountedImage(int* counter) : DDImage(nullptr), deaths(counter) {}
    ~CountedImage() override { ++*deaths; }
};

class ImagePoolTest : public ::testing::Test {
protected:
    ImagePool::Reader Counted()
    {
        return [this] {
            ++mReads;
            return std::make_unique<CountedImage>(&mDeaths);
        };
    }

    Pyxo::CritSect mLock;
    ImagePool mPool{[this]() -> Pyxo::CritSect& { return mLock; }};
    int mReads = 0;
    int mDeaths = 0;
};

ILVANE_THREADED_SUITE(ImagePoolTest);

TEST_F(ImagePoolTest, ReadsOncePerPathAndVariantWhateverTheCase)
{
    bool isNew = false;
    ImagePoolRef first = mPool.Get("a.png", "", Counted(), &isNew);
    EXPECT_TRUE(isNew);
    ImagePoolRef second = mPool.Get("A.PNG", "", Counted(), &isNew);
    EXPECT_FALSE(isNew);
    ImagePoolRef variant = mPool.Get("a.png", "small", Counted(), nullptr);
    EXPECT_EQ(mReads, 2);
    EXPECT_EQ(static_cast<DDImage*>(first), static_cast<DDImage*>(second));
    EXPECT_NE(static_cast<DDImage*>(first), static_cast<DDImage*>(variant));
    EXPECT_EQ(mPool.RefCount("a.png", ""), 2);

    ImagePoolRef none = mPool.Get(
        "missing.png", "", [] { return std::unique_ptr<DDImage>(); }, nullptr);
    EXPECT_EQ(static_cast<DDImage*>(none), nullptr) << "an unreadable file leaves the entry empty";
    EXPECT_EQ(mPool.RefCount("other.png", ""), -1);
}

TEST_F(ImagePoolTest, SweepFreesOnlyEntriesNobodyRefersTo)
{
    ImagePoolRef kept = mPool.Get("kept", "", Counted(), nullptr);
    ImagePoolRef let = mPool.Get("let", "", Counted(), nullptr);
    EXPECT_FALSE(mPool.NeedsSweep());
    mPool.Sweep();
    EXPECT_EQ(mPool.Size(), 2u);

    // Released, then taken again before the sweep: handed out as it is and kept.
    DDImage* image = let;
    let.Release();
    EXPECT_TRUE(mPool.NeedsSweep()) << "the last release tells the pool";
    let = mPool.Get("let", "", Counted(), nullptr);
    EXPECT_EQ(static_cast<DDImage*>(let), image);
    mPool.Sweep();
    EXPECT_EQ(mDeaths, 0);

    let.Release();
    mPool.Sweep();
    EXPECT_EQ(mDeaths, 1);
    EXPECT_EQ(mPool.RefCount("let", ""), -1);
    EXPECT_EQ(mPool.RefCount("kept", ""), 1);
    EXPECT_FALSE(mPool.NeedsSweep());

    kept.Release();
    mPool.Clear();
    EXPECT_EQ(mDeaths, 2) << "the owner's end frees what the sweep has not";
}

} // namespace
