#include "graphics/raster/reference/ReferenceFrameBufferFormat.h"
#include "tests/graphics/raster/RasterTestSupport.h"

#include <gtest/gtest.h>

using namespace Raster;
using namespace Raster::Reference;
using RasterTest::Rgb555;
using RasterTest::Rgb565;

using Argb = FrameBufferFormat<PixelFormat::Argb8888>;
using Rgb = FrameBufferFormat<PixelFormat::Rgb888>;
using F565 = FrameBufferFormat<PixelFormat::Rgb565>;
using F555 = FrameBufferFormat<PixelFormat::Rgb555>;

TEST(FrameBufferFormat, OpaqueStoreKeepsTheTopBitsOfEachChannel)
{
    EXPECT_EQ(Argb::Store(0x00FFFFFF), 0xFFFFFFFFu);
    EXPECT_EQ(Rgb::Store(0x00FFFFFF), 0xFFFFFFFFu);
    EXPECT_EQ(F565::Store(0x00FFFFFF), 0xFFFF);
    EXPECT_EQ(F555::Store(0x00FFFFFF), 0x7FFF);
    EXPECT_EQ(F565::Store(0x00070307), 0);
    EXPECT_EQ(F565::Store(0x00C8643A), Rgb565(200 >> 3, 100 >> 2, 0x3A >> 3));
    EXPECT_EQ(F555::Store(0x00C8643A), Rgb555(200 >> 3, 100 >> 3, 0x3A >> 3));
}

TEST(FrameBufferFormat, ArgbBlendComposesOverTheDestinationAlpha)
{
    struct Case {
        const char* name;
        uint32_t destination;
        uint32_t alpha;
        uint32_t source;
        uint32_t expected;
    };
    const Case cases[] = {
        // a = 128, red 255: S = 127 for red, 0 elsewhere.
        {"over opaque", 0xFF0000FF, 128, 0x7F0000, 0xFF7F007F},
        {"over transparent black un-premultiplies", 0x00000000, 128, 0x7F0000, 0x7FFE0000},
        {"over opaque white", 0xFFFFFFFF, 128, 0x7F0000, 0xFFFE7F7F},
        {"alpha 9 of white over opaque black", 0xFF000000, 9, 0x080808, 0xFF080808},
        {"alpha 239 of white over nothing", 0x00000000, 239, 0xEEEEEE, 0xEEFEFEFE},
        {"a quotient of 256 is held at 255", 0x00000000, 63, 0x3F3F3F, 0x3EFFFFFF},
        {"no cover to divide by leaves the pixel", 0x00123456, 0, 0, 0x00123456},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Argb::Blend(c.destination, c.alpha, c.source), c.expected);
    }
}

TEST(FrameBufferFormat, OpaqueDestinationBlendsWeighTheDestinationBy255MinusAlpha)
{
    // White over white at a = 128: (255 × 127) >> 8 = 126, plus S = 127.
    EXPECT_EQ(Rgb::Blend(0x00FFFFFF, 128, 0x7F7F7F), 0xFFFDFDFDu);
    // Pure red of alpha 128 over white, whatever the destination's top byte held.
    EXPECT_EQ(Rgb::Blend(0x12FFFFFF, 128, 0x7F0000), 0xFFFD7E7Eu);

    EXPECT_EQ(F565::Blend(0xFFFF, 128, 0x7F0000), Rgb565(29, 29, 14));
    EXPECT_EQ(F555::Blend(0xFFFF, 128, 0x7F0000), Rgb555(29, 14, 14)); // bit 15 cleared
    // k = 1 at a = 240: the destination's 5-bit fields vanish, its green keeps at most 1.
    EXPECT_EQ(F565::Blend(0xFFFF, 240, 0), Rgb565(0, 1, 0));
    // k = 30 at a = 8.
    EXPECT_EQ(F565::Blend(0xFFFF, 8, 0), Rgb565(29, 59, 29));
}

TEST(FrameBufferFormat, AdditiveSaturatesPerChannelAndKeepsTheDestinationAlpha)
{
    EXPECT_EQ(Argb::Add(0x80646464, 0xC8C8C8), 0x80FFFFFFu);
    EXPECT_EQ(Argb::Add(0x00102030, 0x010203), 0x00112233u);
    EXPECT_EQ(Rgb::Add(0x00102030, 0x010203), 0xFF112233u);
    EXPECT_EQ(F565::Add(Rgb565(30, 60, 1), 0x10FF08), Rgb565(31, 63, 2));
    EXPECT_EQ(F555::Add(0x8000 | Rgb555(1, 2, 3), 0x080808), Rgb555(2, 3, 4));
}
