#include "graphics/ImagePoolRef.h"

#include "graphics/DDImage.h"
#include "graphics/ImagePool.h"
#include "graphics/MemoryImage.h"
#include "tests/SuiteLabels.h"

#include <gtest/gtest.h>

namespace {

using Pyxo::ImagePoolEntry;
using Pyxo::ImagePoolRef;
using Pyxo::MemoryImage;

// Counts its own destruction, so the tests see when an unshared image is freed.
struct CountedImage : MemoryImage {
    int* deaths;
    explicit CountedImage(int* counter) : MemoryImage(nullptr), deaths(counter) {}
    ~CountedImage() override { ++*deaths; }
};

ILVANE_THREADED_SUITE(ImagePoolRef);

TEST(ImagePoolRef, CopiesCountTheSharedEntry)
{
    ImagePoolEntry entry;
    {
        ImagePoolRef first(&entry);
        EXPECT_EQ(entry.mRefCount, 1);
        ImagePoolRef second(first);
        EXPECT_EQ(entry.mRefCount, 2);
        ImagePoolRef third;
        third = second;
        EXPECT_EQ(entry.mRefCount, 3);
        third = third; // self-assignment keeps the count
        EXPECT_EQ(entry.mRefCount, 3);
        second.Release();
        EXPECT_EQ(entry.mRefCount, 2);
        EXPECT_EQ(static_cast<MemoryImage*>(second), nullptr);
    }
    // The last release leaves the entry in place for the application's sweep.
    EXPECT_EQ(entry.mRefCount, 0);
    ImagePoolRef none(static_cast<ImagePoolEntry*>(nullptr));
    EXPECT_EQ(static_cast<MemoryImage*>(none), nullptr);
}

TEST(ImagePoolRef, AssigningAnEntryReleasesTheOldOne)
{
    ImagePoolEntry a;
    ImagePoolEntry b;
    ImagePoolRef ref(&a);
    ref = &b;
    EXPECT_EQ(a.mRefCount, 0);
    EXPECT_EQ(b.mRefCount, 1);
    ref = &b;
    EXPECT_EQ(b.mRefCount, 1);
}

TEST(ImagePoolRef, UnsharedImageOutlivesTheOriginalWhileACopyHoldsIt)
{
    int deaths = 0;
    auto* image = new CountedImage(&deaths);
    auto original = std::make_unique<ImagePoolRef>();
    *original = image;
    ImagePoolRef copy(*original);
    EXPECT_EQ(static_cast<MemoryImage*>(copy), image);

    original.reset();
    EXPECT_EQ(deaths, 0) << "a copy must never point at a deleted image";
    EXPECT_EQ(static_cast<MemoryImage*>(copy), image);

    copy.Release();
    EXPECT_EQ(deaths, 1);
}

// Assignment shares exactly as copy construction does: an image the program made and put in place (the resource
// manager's ReplaceImage) must reach the assigned reference too.
TEST(ImagePoolRef, AssignmentSharesAsCopyConstructionDoes)
{
    int deaths = 0;
    ImagePoolEntry entry;
    ImagePoolRef holder;
    auto* image = new CountedImage(&deaths);
    holder = image;
    ImagePoolRef target(&entry);
    target = holder;
    EXPECT_EQ(entry.mRefCount, 0) << "the old entry was released";
    EXPECT_EQ(static_cast<MemoryImage*>(target), image);
    holder.Release();
    EXPECT_EQ(deaths, 0) << "the assigned copy still holds the image";
    holder = target;
    target = holder; // both hold it already
    EXPECT_EQ(static_cast<MemoryImage*>(target), image);

    holder = static_cast<MemoryImage*>(holder); // holding it already: kept, not freed
    EXPECT_EQ(deaths, 0);
    holder = static_cast<MemoryImage*>(nullptr);
    EXPECT_EQ(deaths, 0) << "the other holder keeps it";
    target = ImagePoolRef(&entry);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(entry.mRefCount, 1);
}

} // namespace
