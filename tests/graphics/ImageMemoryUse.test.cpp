// The memory figures of the image dump and the video statistics: one per pixel store, and totals beyond 32 bits.
#include "graphics/ImageMemoryUse.h"

#include "graphics/MemoryImage.h"
#include "graphics/TextureData.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

namespace {

using Pyxo::ImageMemoryUse;
using Pyxo::MemoryImage;

TEST(ImageMemoryUse, EachStoreCountsByTheImageSize)
{
    MemoryImage image(nullptr);
    image.mWidth = 10;
    image.mHeight = 5;
    EXPECT_EQ(ImageMemoryUse::Of(image).Total(), 0) << "no stores, nothing counted";

    image.mBits = std::make_unique<uint32_t[]>(51);
    image.mNativeAlphaData = std::make_unique<uint32_t[]>(1);
    image.mRLAlphaData = std::make_unique<uint8_t[]>(1);
    ImageMemoryUse use = ImageMemoryUse::Of(image);
    EXPECT_EQ(use.bits, 200);
    EXPECT_EQ(use.nativeAlpha, 200);
    EXPECT_EQ(use.rlAlpha, 50);
    EXPECT_EQ(use.Total(), 450);

    // Palettised, the native data is a palette.
    image.mColorTable = std::make_unique<uint32_t[]>(256);
    use = ImageMemoryUse::Of(image);
    EXPECT_EQ(use.palletized, 50 + 1024);
    EXPECT_EQ(use.nativeAlpha, 1024);

    // The texture data says what its pieces take; the image size does not enter.
    Pyxo::TextureData textures;
    textures.mTexMemSize = 4096;
    textures.mPixelFormat = Pyxo::kTextureFormatR5G6B5;
    image.mD3DData = &textures;
    use = ImageMemoryUse::Of(image);
    image.mD3DData = nullptr;
    EXPECT_EQ(use.texture, 4096);
    EXPECT_STREQ(ImageMemoryUse::FormatName(use.textureFormat), "R5G6B5");
}

TEST(ImageMemoryUse, FiguresBeyond32BitsDoNotOverflow)
{
    MemoryImage image(nullptr);
    image.mWidth = 50000; // only the figure is asked for: no pixels of that size are made
    image.mHeight = 50000;
    image.mRLAdditiveData = std::make_unique<uint8_t[]>(1);
    image.mRLAlphaData = std::make_unique<uint8_t[]>(1);
    const ImageMemoryUse use = ImageMemoryUse::Of(image);
    EXPECT_EQ(use.rlAdditive, 2'500'000'000);
    EXPECT_EQ(use.Total(), 5'000'000'000);
}

} // namespace
