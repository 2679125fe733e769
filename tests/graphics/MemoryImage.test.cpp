#include "graphics/MemoryImage.h"

#include "graphics/DDInterface.h"
#include "graphics/NativeDisplay.h"
#include "shell/PyxoAppBase.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

using Pyxo::MemoryImage;
using Pyxo::NativeDisplay;

void SetFormat8888(NativeDisplay& d)
{
    d.mRGBBits = 32;
    d.mRedMask = 0xFF0000;
    d.mGreenMask = 0xFF00;
    d.mBlueMask = 0xFF;
    d.mRedBits = d.mGreenBits = d.mBlueBits = 8;
    d.mRedShift = 16;
    d.mGreenShift = 8;
    d.mBlueShift = 0;
}

void SetFormat565(NativeDisplay& d)
{
    d.mRGBBits = 16;
    d.mRedMask = 0xF800;
    d.mGreenMask = 0x07E0;
    d.mBlueMask = 0x001F;
    d.mRedBits = 5;
    d.mGreenBits = 6;
    d.mBlueBits = 5;
    d.mRedShift = 11;
    d.mGreenShift = 5;
    d.mBlueShift = 0;
}

// An image of the given pixels, not registered with any application.
std::unique_ptr<MemoryImage> ImageOf(const std::vector<uint32_t>& pixels, int width, int height)
{
    auto image = std::make_unique<MemoryImage>(nullptr);
    image->SetBits(pixels.data(), width, height, true);
    return image;
}

std::vector<uint32_t> BitsOf(MemoryImage& image)
{
    const uint32_t* bits = image.GetBits();
    return std::vector<uint32_t>(bits, bits + image.PixelCount());
}

TEST(MemoryImage, CreatedImageReadsAsTransparentBlackWithTheGuardWord)
{
    MemoryImage image(nullptr);
    image.Create(3, 2);
    EXPECT_TRUE(image.mHasTrans);
    EXPECT_TRUE(image.mHasAlpha);
    const uint32_t* bits = image.GetBits();
    ASSERT_NE(bits, nullptr);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(bits[i], 0u);
    }
    EXPECT_EQ(bits[6], MemoryImage::kGuardWord);
}

TEST(MemoryImage, CommitBitsFindsTransparencyAndPartialAlpha)
{
    struct Case {
        const char* name;
        std::vector<uint32_t> pixels;
        bool trans;
        bool alpha;
    };
    const Case cases[] = {
        {"opaque", {0xFF000000, 0xFFFFFFFF}, false, false},
        {"one transparent", {0xFF000000, 0x00FFFFFF}, true, false},
        {"one partial", {0x80FFFFFF, 0xFFFFFFFF}, false, true},
        {"both", {0x01000000, 0x00000000, 0xFE000000}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryImage image(nullptr);
        image.Create(int(c.pixels.size()), 1); // starts with both flags set
        image.SetBits(c.pixels.data(), int(c.pixels.size()), 1, true);
        EXPECT_EQ(image.mHasTrans, c.trans);
        EXPECT_EQ(image.mHasAlpha, c.alpha);
    }
}

TEST(MemoryImage, ForcedModeKeepsTheFlags)
{
    const std::vector<uint32_t> pixels = {0x80FFFFFF};
    auto image = ImageOf(pixels, 1, 1);
    image->SetImageMode(false, false);
    image->BitsChanged();
    image->CommitBits();
    EXPECT_FALSE(image->mHasAlpha);
}

TEST(MemoryImage, BitsChangedDropsDerivedStores)
{
    const std::vector<uint32_t> pixels = {0xFF000000, 0x00000000};
    auto image = ImageOf(pixels, 2, 1);
    NativeDisplay display;
    SetFormat8888(display);
    ASSERT_NE(image->GetNativeAlphaData(&display), nullptr);
    ASSERT_NE(image->GetRLAlphaData(), nullptr);
    ASSERT_NE(image->GetRLAdditiveData(&display), nullptr);
    const int before = image->mBitsChangedCount;
    image->BitsChanged();
    EXPECT_EQ(image->mBitsChangedCount, before + 1);
    EXPECT_EQ(image->mNativeAlphaData, nullptr);
    EXPECT_EQ(image->mRLAlphaData, nullptr);
    EXPECT_EQ(image->mRLAdditiveData, nullptr);
}

TEST(MemoryImage, RunLengthAlphaCountsPixelsOfTheSameClassToTheRowEnd)
{
    struct Case {
        const char* name;
        std::vector<uint32_t> pixels;
        int width;
        std::vector<uint8_t> expected;
    };
    std::vector<uint32_t> long_run(300, 0xFF123456);
    std::vector<uint8_t> long_bytes(46, 255);
    for (int n = 254; n >= 1; --n) {
        long_bytes.push_back(uint8_t(n));
    }
    const Case cases[] = {
        {"mixed row", {0x00000000, 0x00FFFFFF, 0x00000000, 0xFF000000, 0x80000000}, 5, {3, 2, 1, 1, 1}},
        {"runs stop at the row end", {0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000}, 2, {2, 1, 2, 1}},
        {"one pixel wide", {0xFF000000, 0xFF000000, 0x00000000}, 1, {1, 1, 1}},
        {"partial alphas form one class", {0x01000000, 0xFE000000, 0x80000000}, 3, {3, 2, 1}},
        {"a run longer than a byte", long_run, 300, long_bytes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto image = ImageOf(c.pixels, c.width, int(c.pixels.size()) / c.width);
        const uint8_t* runs = image->GetRLAlphaData();
        ASSERT_NE(runs, nullptr);
        EXPECT_EQ(std::vector<uint8_t>(runs, runs + c.pixels.size()), c.expected);
    }
}

TEST(MemoryImage, RunLengthAdditiveSeparatesBlackFromColour)
{
    const std::vector<uint32_t> pixels = {0xFF000000, 0x00000000, 0xFF000001, 0x80100000};
    auto image = ImageOf(pixels, 4, 1);
    NativeDisplay display;
    SetFormat8888(display);
    const uint8_t* runs = image->GetRLAdditiveData(&display);
    ASSERT_NE(runs, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(runs, runs + 4), (std::vector<uint8_t>{2, 1, 2, 1}));
}

TEST(MemoryImage, NativeColoursPremultiplyAndRoundTrip)
{
    struct Case {
        const char* name;
        bool is565;
        uint32_t argb;
        uint32_t native;
        uint32_t back;
    };
    const Case cases[] = {
        {"8888 opaque", false, 0xFF123456, 0xFF123456, 0xFF123456},
        {"8888 half", false, 0x80FF8000, 0x80804000, 0x80FE7F00},
        {"8888 almost transparent", false, 0x01FFFFFF, 0x01010101, 0x01808080},
        {"8888 transparent", false, 0x00FFFFFF, 0x00000000, 0x00000000},
        {"8888 near opaque", false, 0xFE102030, 0xFE0F1F2F, 0xFE0F1F2F},
        {"565 white", true, 0xFFFFFFFF, 0xFF00FFFF, 0xFFF8FCF8},
        {"565 opaque", true, 0xFF123456, 0xFF0011AA, 0xFF103450},
        {"565 half", true, 0x80FF8000, 0x80008200, 0x80F87C00},
        {"565 transparent", true, 0x00FFFFFF, 0x00000000, 0x00000000},
        {"565 near opaque", true, 0xFE102030, 0xFE0008E5, 0xFE081C28},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NativeDisplay display;
        c.is565 ? SetFormat565(display) : SetFormat8888(display);
        EXPECT_EQ(Pyxo::ToNativeColor(c.argb, display), c.native);
        EXPECT_EQ(Pyxo::FromNativeColor(c.native, display), c.back);
    }
}

TEST(MemoryImage, NativeDataOfAPalettisedImageIsANativePalette)
{
    std::vector<uint32_t> pixels = {0xFF102030, 0x80FF8000, 0xFF102030};
    auto image = ImageOf(pixels, 3, 1);
    ASSERT_TRUE(image->Palletize());
    NativeDisplay display;
    SetFormat565(display);
    const uint32_t* native = image->GetNativeAlphaData(&display);
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(native[0], Pyxo::ToNativeColor(0xFF102030, display));
    EXPECT_EQ(native[1], 0x80008200u);
    const uint8_t* runs = image->GetRLAdditiveData(&display);
    ASSERT_NE(runs, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(runs, runs + 3), (std::vector<uint8_t>{3, 2, 1}));
    const uint8_t* alphaRuns = image->GetRLAlphaData();
    ASSERT_NE(alphaRuns, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(alphaRuns, alphaRuns + 3), (std::vector<uint8_t>{1, 1, 1}));
}

TEST(MemoryImage, PalletizeAtMostTwoHundredFiftySixColours)
{
    std::vector<uint32_t> pixels(512);
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = 0xFF000000u | uint32_t((i * 7919) % 256) << 8; // 256 colours in scrambled order, twice
    }
    auto image = ImageOf(pixels, 32, 16);
    ASSERT_TRUE(image->Palletize());
    EXPECT_EQ(image->mBits, nullptr);
    EXPECT_TRUE(image->mWantPal);
    ASSERT_NE(image->mColorTable, nullptr);
    EXPECT_EQ(image->mColorTable[0], pixels[0]) << "the palette keeps the order of first appearance";
    EXPECT_EQ(image->mColorTable[1], pixels[1]);
    EXPECT_TRUE(image->Palletize()) << "a palettised image stays so";
    EXPECT_EQ(BitsOf(*image), pixels);
    EXPECT_EQ(image->mColorTable, nullptr);

    pixels[300] = 0xFFABCDEF; // the 257th colour
    auto tooMany = ImageOf(pixels, 32, 16);
    EXPECT_FALSE(tooMany->Palletize());
    EXPECT_EQ(tooMany->mColorTable, nullptr);
    EXPECT_EQ(tooMany->mColorIndices, nullptr);
    EXPECT_FALSE(tooMany->mWantPal);
    EXPECT_EQ(BitsOf(*tooMany), pixels);
}

TEST(MemoryImage, PalletizeOfAnEmptyImageDoesNothing)
{
    MemoryImage image(nullptr);
    EXPECT_FALSE(image.Palletize());
    image.Create(0, 5);
    EXPECT_FALSE(image.Palletize());
    EXPECT_EQ(image.mColorTable, nullptr);
}

TEST(MemoryImage, SetBitsAfterTheBitsWereFreedAllocatesThem)
{
    const std::vector<uint32_t> first = {1, 2, 3, 4};
    auto image = ImageOf(first, 2, 2);
    ASSERT_TRUE(image->Palletize()); // frees the bits, keeps the size
    ASSERT_EQ(image->mBits, nullptr);
    const std::vector<uint32_t> second = {5, 6, 7, 8};
    image->SetBits(second.data(), 2, 2, false);
    ASSERT_NE(image->mBits, nullptr);
    EXPECT_EQ(image->mColorTable, nullptr);
    EXPECT_EQ(BitsOf(*image), second);
    EXPECT_EQ(image->mBits[4], MemoryImage::kGuardWord);
}

TEST(MemoryImage, CreateAtANewSizeForgetsTheOldPalette)
{
    const std::vector<uint32_t> pixels = {1, 2, 3, 4};
    auto image = ImageOf(pixels, 2, 2);
    ASSERT_TRUE(image->Palletize());
    image->Create(10, 10);
    EXPECT_EQ(BitsOf(*image), std::vector<uint32_t>(100, 0u));
}

TEST(MemoryImage, ClearMakesEveryPixelTransparentBlack)
{
    const std::vector<uint32_t> pixels = {0xFFFFFFFF, 0x80808080};
    auto image = ImageOf(pixels, 2, 1);
    image->Clear();
    EXPECT_EQ(BitsOf(*image), (std::vector<uint32_t>{0, 0}));
    EXPECT_EQ(image->mBits[2], MemoryImage::kGuardWord);
}

TEST(MemoryImage, CopyDuplicatesEveryStore)
{
    const std::vector<uint32_t> pixels = {0xFF000000, 0x80FFFFFF, 0x00000000, 0xFF00FF00};
    auto source = ImageOf(pixels, 2, 2);
    source->mNumCols = 2;
    ASSERT_NE(source->GetRLAlphaData(), nullptr);
    MemoryImage copy(*source);
    EXPECT_EQ(copy.GetWidth(), 2);
    EXPECT_EQ(copy.mNumCols, 2);
    EXPECT_TRUE(copy.mHasAlpha);
    ASSERT_NE(copy.mRLAlphaData, nullptr);
    EXPECT_NE(copy.mRLAlphaData.get(), source->mRLAlphaData.get());
    EXPECT_EQ(copy.mBits[4], MemoryImage::kGuardWord);
    copy.GetBits()[0] = 0x12345678;
    EXPECT_EQ(BitsOf(*source), pixels);

    ASSERT_TRUE(source->Palletize());
    MemoryImage palettised(*source);
    EXPECT_EQ(palettised.mBits, nullptr);
    EXPECT_EQ(BitsOf(palettised), pixels);
}

// With an application whose display describes its pixel format, native data can stand in for the bits.
class MemoryImageWithDisplay : public ::testing::Test {
protected:
    MemoryImageWithDisplay()
    {
        mApp.mDisplay = std::make_unique<Pyxo::DDInterface>(&mApp);
        mApp.mDisplay->mIs3D = false; // software drawing: purged bits are rebuilt from native data
        SetFormat565(*mApp.mDisplay);
    }
    Pyxo::PyxoAppBase mApp;
};

TEST_F(MemoryImageWithDisplay, ImagesJoinAndLeaveTheApplicationSet)
{
    {
        MemoryImage image(&mApp);
        MemoryImage copy(image);
        EXPECT_EQ(mApp.mMemoryImageSet.count(&image), 1u);
        EXPECT_EQ(mApp.mMemoryImageSet.count(&copy), 1u);
    }
    EXPECT_TRUE(mApp.mMemoryImageSet.empty());
}

TEST_F(MemoryImageWithDisplay, PurgedBitsComeBackFromTheNativeData)
{
    const std::vector<uint32_t> pixels = {0xFFFFFFFF, 0x80FF8000, 0x00000000};
    MemoryImage image(&mApp);
    image.SetBits(pixels.data(), 3, 1, true);
    image.PurgeBits();
    EXPECT_TRUE(image.mPurgeBits);
    EXPECT_EQ(image.mBits, nullptr);
    ASSERT_NE(image.mNativeAlphaData, nullptr);

    MemoryImage copy(image); // the source lends bits for the copy and drops them again
    EXPECT_EQ(image.mBits, nullptr);
    EXPECT_EQ(BitsOf(copy), (std::vector<uint32_t>{0xFFF8FCF8, 0x80F87C00, 0x00000000}));
    EXPECT_EQ(BitsOf(image), (std::vector<uint32_t>{0xFFF8FCF8, 0x80F87C00, 0x00000000}));
}

TEST(MemoryImage, PurgeWithoutADisplayKeepsTheBits)
{
    const std::vector<uint32_t> pixels = {0xFF010203};
    auto image = ImageOf(pixels, 1, 1);
    image->PurgeBits();
    EXPECT_EQ(BitsOf(*image), pixels);
}

} // namespace
