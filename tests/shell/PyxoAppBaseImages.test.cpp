#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/ImageLib.h"
#include "graphics/ImagePool.h"
#include "shell/PyxoAppBase.h"
#include "tests/SuiteLabels.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <future>
#include <thread>

namespace {

using Pyxo::DDImage;
using Pyxo::ImagePoolRef;

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

/// Counts the files the pool reads, and can hold a read until the test lets it go on.
class PoolApp : public Pyxo::PyxoAppBase {
public:
    PoolApp() { mDisplay = std::make_unique<Pyxo::DDInterface>(this); }

    std::unique_ptr<DDImage> GetImage(const std::string& fileName, bool commitBits) override
    {
        ++mReads;
        if (mHoldReads) {
            mReadStarted.set_value();
            mGoOn.wait();
        }
        return PyxoAppBase::GetImage(fileName, commitBits);
    }

    std::atomic<int> mReads = 0;
    bool mHoldReads = false;
    std::promise<void> mReadStarted;
    std::shared_future<void> mGoOn;
};

class PooledImages : public ::testing::Test {
protected:
    void SetUp() override
    {
        mFolder = std::filesystem::temp_directory_path() / ("ilvane-pool-" + std::to_string(getpid()));
        std::filesystem::create_directories(mFolder);
        ImageLib::Image picture(2, 1);
        picture.GetBits()[0] = 0xFF112233;
        picture.GetBits()[1] = 0x80445566;
        mPicture = (mFolder / "tile.png").string();
        ASSERT_TRUE(ImageLib::WritePNGImage(mPicture, picture));
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(mFolder, ignored);
    }

    int RefCount(const std::string& path, const std::string& variant) const
    {
        return mApp.mImagePool.RefCount(path, variant);
    }

    std::filesystem::path mFolder;
    std::string mPicture;
    PoolApp mApp;
};

ILVANE_THREADED_SUITE(PooledImages);

TEST_F(PooledImages, GetImageReadsTheFileIntoASurfaceImage)
{
    std::unique_ptr<DDImage> image = mApp.GetImage(mPicture, true);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->mFilePath, mPicture);
    EXPECT_EQ(image->GetWidth(), 2);
    ASSERT_NE(image->mBits, nullptr);
    EXPECT_EQ(image->mBits[1], 0x80445566u);
    EXPECT_TRUE(image->mHasAlpha) << "committed on request";
    EXPECT_EQ(image->mDDInterface, mApp.mDisplay.get());
    EXPECT_EQ(mApp.GetImage((mFolder / "missing.png").string(), true), nullptr);
}

TEST_F(PooledImages, OneEntryPerPathAndVariantWhateverTheCase)
{
    const std::string upper = Upper(mPicture);
    bool isNew = false;
    ImagePoolRef first = mApp.GetPooledImage(mPicture, "", &isNew);
    EXPECT_TRUE(isNew);
    ImagePoolRef second = mApp.GetPooledImage(upper, "", &isNew);
    EXPECT_FALSE(isNew);
    EXPECT_EQ(mApp.mReads.load(), 1);
    DDImage* image = first;
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(static_cast<DDImage*>(second), image);
    EXPECT_EQ(RefCount(upper, ""), 2);

    ImagePoolRef variant = mApp.GetPooledImage(mPicture, "small", &isNew);
    EXPECT_TRUE(isNew);
    EXPECT_EQ(mApp.mReads.load(), 2);
    EXPECT_NE(static_cast<DDImage*>(variant), image);

    // An entry whose last reference went stays until the sweep, and is handed out again as it is.
    first.Release();
    second.Release();
    EXPECT_EQ(RefCount(upper, ""), 0);
    EXPECT_TRUE(mApp.mImagePool.NeedsSweep());
    ImagePoolRef again = mApp.GetPooledImage(mPicture, "", &isNew);
    EXPECT_FALSE(isNew);
    EXPECT_EQ(static_cast<DDImage*>(again), image);
    EXPECT_EQ(mApp.mReads.load(), 2);
}

TEST_F(PooledImages, BangPathsAndUnreadableFiles)
{
    bool isNew = false;
    ImagePoolRef blank = mApp.GetPooledImage("!scratch", "", &isNew);
    EXPECT_TRUE(isNew);
    EXPECT_EQ(mApp.mReads.load(), 0) << "no file for a '!' path";
    DDImage* image = blank;
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), 0);
    ImagePoolRef same = mApp.GetPooledImage("!SCRATCH", "", nullptr);
    EXPECT_EQ(static_cast<DDImage*>(same), image);

    const std::string missing = (mFolder / "missing.png").string();
    ImagePoolRef none = mApp.GetPooledImage(missing, "", &isNew);
    EXPECT_TRUE(isNew);
    EXPECT_EQ(static_cast<DDImage*>(none), nullptr);
    ImagePoolRef stillNone = mApp.GetPooledImage(missing, "", &isNew);
    EXPECT_FALSE(isNew);
    EXPECT_EQ(static_cast<DDImage*>(stillNone), nullptr);
    EXPECT_EQ(mApp.mReads.load(), 1);
}

// A second request for an image that is still being read waits for it instead of taking the empty entry.
TEST_F(PooledImages, ASecondRequestWaitsForTheImageBeingRead)
{
    std::promise<void> goOn;
    mApp.mGoOn = goOn.get_future().share();
    mApp.mHoldReads = true;
    std::future<void> started = mApp.mReadStarted.get_future();

    DDImage* readByFirst = nullptr;
    std::thread loader([&] {
        ImagePoolRef ref = mApp.GetPooledImage(mPicture, "", nullptr);
        readByFirst = ref;
    });
    started.wait();
    ASSERT_EQ(RefCount(mPicture, ""), 1);

    DDImage* readBySecond = nullptr;
    bool secondIsNew = true;
    std::thread second([&] {
        ImagePoolRef ref = mApp.GetPooledImage(mPicture, "", &secondIsNew);
        readBySecond = ref;
    });
    // Once the second request holds its reference it is past the look-up; the read is still held.
    while (RefCount(mPicture, "") < 2)
        std::this_thread::yield();
    goOn.set_value();
    loader.join();
    second.join();
    EXPECT_FALSE(secondIsNew);
    ASSERT_NE(readBySecond, nullptr);
    EXPECT_EQ(readBySecond, readByFirst);
    EXPECT_EQ(mApp.mReads.load(), 1);
    EXPECT_EQ(RefCount(mPicture, ""), 0);
}

TEST_F(PooledImages, ReferencesCountAcrossTwoThreads)
{
    const std::string keys[] = {"!one", "!two", "!three"};
    ImagePoolRef held = mApp.GetPooledImage("!one", "", nullptr);
    constexpr int kRounds = 2000;
    auto work = [&](int offset) {
        for (int i = 0; i < kRounds; ++i) {
            ImagePoolRef ref = mApp.GetPooledImage(keys[(i + offset) % 3], "", nullptr);
            ImagePoolRef copy = ref;
            ImagePoolRef other;
            other = copy;
        }
    };
    std::thread a(work, 0);
    std::thread b(work, 1);
    a.join();
    b.join();
    EXPECT_EQ(mApp.mImagePool.Size(), 3u);
    EXPECT_EQ(RefCount("!one", ""), 1);
    EXPECT_EQ(RefCount("!two", ""), 0);
    EXPECT_EQ(RefCount("!three", ""), 0);
    EXPECT_NE(static_cast<DDImage*>(held), nullptr);
}

TEST_F(PooledImages, CopyImageMakesASurfaceImageWithTheSourcesAttributes)
{
    Pyxo::MemoryImage source(&mApp);
    const uint32_t pixels[] = {0xFF010203, 0xFF040506, 0xFF070809, 0xFF0A0B0C, 0xFF0D0E0F, 0xFF101112};
    source.SetBits(pixels, 3, 2, true);
    source.mNumCols = 3;
    std::unique_ptr<DDImage> copy = mApp.CopyImage(&source);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetWidth(), 3);
    EXPECT_EQ(copy->GetHeight(), 2);
    EXPECT_EQ(copy->mNumCols, 3);
    EXPECT_TRUE(source.mDrawn);
    EXPECT_EQ(mApp.CopyImage(nullptr), nullptr);
}

} // namespace
