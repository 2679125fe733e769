// Fills, coverage spans and lines on memory images, against hand-computed pixels.
#include "graphics/MemoryImage.h"
#include "tests/graphics/MemoryImageTestKit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

using Pyxo::Color;
using Pyxo::MemoryImage;
using Pyxo::Rect;
using Pyxo::Span;

using namespace MemoryImageTestKit;

TEST(MemoryImageDraw, FillRectBlendsOverOrStoresOpaqueColours)
{
    struct Case {
        const char* name;
        uint32_t before;
        Color color;
        uint32_t after;
    };
    const Case cases[] = {
        // oa 255, w 128: green and blue (255 x 128) >> 8.
        {"half red over white", kOpaqueWhite, Color(255, 0, 0, 128), 0xFFFF7F7F},
        // oa 128, w 255: red (255 x 255) >> 8.
        {"half red over transparent", 0x00000000, Color(255, 0, 0, 128), 0x80FE0000},
        {"opaque colour is stored as it is", 0x12345678, Color(10, 20, 30, 255), 0xFF0A141E},
        {"alpha 0 leaves the pixel", 0x12345678, Color(10, 20, 30, 0), 0x12345678},
        {"components out of range are clamped", 0x00000000, Color(300, -4, 128, 400), 0xFFFF0080},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto image = Filled(1, 1, c.before);
        image->FillRect(Rect(0, 0, 1, 1), c.color, 0);
        EXPECT_EQ(BitsOf(*image)[0], c.after);
    }
}

TEST(MemoryImageDraw, FillRectIgnoresTheDrawModeAndClipsToTheImage)
{
    for (int mode : {0, 1, 7}) {
        SCOPED_TRACE(mode);
        auto image = Filled(4, 3, kOpaqueBlack);
        image->FillRect(Rect(-2, -1, 4, 3), Color(255, 0, 0, 128), mode);
        image->FillRect(Rect(3, 2, 100, 100), Color::White, mode);
        EXPECT_EQ(MaskOf(*image, kOpaqueBlack), (std::vector<std::string>{"##..", "##..", "...#"}));
        EXPECT_EQ(BitsOf(*image)[0], 0xFF7F0000u);
        EXPECT_EQ(BitsOf(*image)[11], kOpaqueWhite);
    }
    auto image = Filled(2, 2, kOpaqueBlack);
    const int far = std::numeric_limits<int>::max() - 1;
    image->FillRect(Rect(far, 0, 10, 1), Color::White, 0);
    image->ClearRect(Rect(0, far, 1, far));
    const Span spans[] = {{0, far, far}};
    const uint8_t coverage[4] = {255, 255, 255, 255};
    image->FillSpansWithCoverage(spans, 1, Color::White, 0, coverage, 0, 0, 2, 2);
    EXPECT_EQ(BitsOf(*image), std::vector<uint32_t>(4, kOpaqueBlack));
}

TEST(MemoryImageDraw, DrawingRaisesTheChangeCountAndDropsDerivedStores)
{
    auto image = Filled(2, 2, kOpaqueWhite);
    ASSERT_NE(image->GetRLAlphaData(), nullptr);
    const int before = image->mBitsChangedCount;
    image->FillRect(Rect(0, 0, 1, 1), Color(0, 0, 0, 128), 0);
    EXPECT_GT(image->mBitsChangedCount, before);
    EXPECT_TRUE(image->mBitsChanged);
    EXPECT_EQ(image->mRLAlphaData, nullptr);
}

TEST(MemoryImageDraw, ClearRectMakesTransparentBlackInsideTheImageOnly)
{
    auto image = Filled(3, 2, kOpaqueWhite);
    image->ClearRect(Rect(2, -5, 10, 6));
    EXPECT_EQ(BitsOf(*image),
              (std::vector<uint32_t>{kOpaqueWhite, kOpaqueWhite, 0, kOpaqueWhite, kOpaqueWhite, kOpaqueWhite}));
}

TEST(MemoryImageDraw, CoverageSpansScaleTheAlphaPixelByPixel)
{
    // Coverage rectangle (1, 1, 4, 2) over a 6 x 3 image; row 1 covered 255, 0, 127, 255.
    const std::vector<uint8_t> coverage = {255, 0, 127, 255, /* row 2 */ 255, 255, 255, 255};
    auto image = Filled(6, 3, kOpaqueWhite);
    const Span spans[] = {{1, 1, 4}};
    image->FillSpansWithCoverage(spans, 1, Color(0, 0, 255, 255), 1, coverage.data(), 1, 1, 4, 2);
    const std::vector<uint32_t> bits = BitsOf(*image);
    // Coverage 255 gives alpha 255: red and green (255 x 1) >> 8, blue (255 x 255) >> 8.
    EXPECT_EQ(bits[7], 0xFF0000FEu);
    // Zero coverage leaves its pixel; the pixels after it still take their own coverage.
    EXPECT_EQ(bits[8], kOpaqueWhite);
    EXPECT_EQ(bits[9], 0xFF8080FEu); // alpha (255 x 128) >> 8 = 127
    EXPECT_EQ(bits[10], 0xFF0000FEu);
    EXPECT_EQ(MaskOf(*image, kOpaqueWhite), (std::vector<std::string>{"......", ".#.##.", "......"}));
}

TEST(MemoryImageDraw, CoverageSpansDrawOnlyWhereImageAndCoverageOverlap)
{
    const std::vector<uint8_t> coverage(2 * 2, 255);
    auto image = Filled(3, 3, kOpaqueWhite);
    // Spans reaching left of the image, past the coverage rectangle and below the image.
    const Span spans[] = {{1, -3, 10}, {2, 0, 3}, {7, 0, 3}};
    image->FillSpansWithCoverage(spans, 3, Color(0, 0, 0, 255), 0, coverage.data(), 1, 1, 2, 2);
    EXPECT_EQ(MaskOf(*image, kOpaqueWhite), (std::vector<std::string>{"...", ".##", ".##"}));
    auto untouched = Filled(3, 3, kOpaqueWhite);
    untouched->FillSpansWithCoverage(spans, 3, Color(0, 0, 0, 255), 0, nullptr, 1, 1, 2, 2);
    EXPECT_EQ(MaskOf(*untouched, kOpaqueWhite), (std::vector<std::string>{"...", "...", "..."}));
}

TEST(MemoryImageDraw, StraightLinesAreFills)
{
    auto image = Filled(4, 3, kOpaqueBlack);
    image->DrawLine(3.0, 1.0, 0.5, 1.0, Color::White, 1);
    image->DrawLine(2.0, 2.0, 2.0, -1.0, Color::White, 5); // a fill looks at no mode; clipped at the top
    EXPECT_EQ(MaskOf(*image, kOpaqueBlack), (std::vector<std::string>{"..#.", "####", "..#."}));
    EXPECT_EQ(BitsOf(*image)[4], kOpaqueWhite);
}

TEST(MemoryImageDraw, LinesStepAlongTheMajorAxis)
{
    struct Case {
        const char* name;
        double x1, y1, x2, y2;
        std::vector<std::string> mask;
    };
    const Case cases[] = {
        {"diagonal", 0, 0, 3, 3, {"#....", ".#...", "..#..", "...#."}},
        {"shallow", 0, 0, 4, 2, {"##...", "..##.", "....#", "....."}},
        {"shallow given backwards", 4, 2, 0, 0, {"##...", "..##.", "....#", "....."}},
        {"steep going left", 2, 0, 0, 3, {"..#..", ".#...", ".#...", "#...."}},
        {"anti-diagonal", 3, 0, 0, 3, {"...#.", "..#..", ".#...", "#...."}},
        {"clipped at every edge", -2, -2, 9, 9, {"#....", ".#...", "..#..", "...#."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto image = Filled(5, 4, kOpaqueBlack);
        image->DrawLine(c.x1, c.y1, c.x2, c.y2, Color::White, 0);
        EXPECT_EQ(MaskOf(*image, kOpaqueBlack), c.mask);
    }
}

TEST(MemoryImageDraw, LinePixelsInEachMode)
{
    struct Case {
        const char* name;
        uint32_t before;
        Color color;
        int mode;
        uint32_t after;
    };
    const Case cases[] = {
        // Opaque colours come out as (c x 255 + 127) >> 8: 255 gives 254.
        {"normal opaque white", 0xFF000000, Color::White, 0, 0xFFFEFEFE},
        // ((d x 128 + 127) >> 8) + ((((c x 128 + 128) >> 8) x 255 + 127) >> 8): 5 + 100, 10 + 50, 15 + 0.
        {"normal half alpha", 0x000A141E, Color(200, 100, 0, 128), 0, 0xFF693C0F},
        // d + (c x A) / 255, saturated; alpha 255.
        {"additive half alpha", 0x80C8640A, Color(100, 200, 50, 128), 1, 0xFFFAC823},
        {"additive saturates", 0x80646464, Color(255, 200, 50, 255), 1, 0xFFFFFF96},
        {"other modes draw nothing", 0x12345678, Color::White, 2, 0x12345678},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto image = Filled(2, 2, c.before);
        image->DrawLine(0, 0, 1, 1, c.color, c.mode);
        EXPECT_EQ(BitsOf(*image), (std::vector<uint32_t>{c.after, c.before, c.before, c.after}));
    }
}

TEST(MemoryImageDraw, LinesFarOutsideTheImageDrawNothing)
{
    auto image = Filled(3, 3, kOpaqueBlack);
    image->DrawLine(-1e12, 0, 1e12, 2, Color::White, 0);
    image->DrawLine(0, std::nan(""), 2, 2, Color::White, 0);
    image->DrawLineAA(-1e12, 0, 1e12, 2, Color::White, 0);
    image->DrawLine(100, 101, 200, 300, Color::White, 0);
    EXPECT_EQ(MaskOf(*image, kOpaqueBlack), (std::vector<std::string>{"...", "...", "..."}));
}

TEST(MemoryImageDraw, AntiAliasedLinesShareCoverageWithTheMinorNeighbour)
{
    // Slope 1/2: the accumulator runs 0, 0x8000, 0 (stepped), 0x8000, 0 (stepped).
    auto image = Filled(5, 3, kOpaqueBlack);
    image->DrawLineAA(0, 0, 4, 2, Color::White, 0);
    const uint32_t full = 0xFFFEFEFE; // alpha 255 over black: (255 x 255) >> 8
    const uint32_t near = 0xFF7E7E7E; // coverage 127
    const uint32_t far = 0xFF7F7F7F;  // coverage 128
    EXPECT_EQ(BitsOf(*image), (std::vector<uint32_t>{full, near, kOpaqueBlack, kOpaqueBlack, kOpaqueBlack, //
                                                     kOpaqueBlack, far, full, near, kOpaqueBlack,          //
                                                     kOpaqueBlack, kOpaqueBlack, kOpaqueBlack, far, full}));
}

TEST(MemoryImageDraw, AntiAliasedLineStartsFromTheFractionsOfItsFirstPoint)
{
    // Accumulator 0.5 x 0.5 x 65536 = 0x4000: coverage 191 on the line, 64 beside it, at the first pixel.
    auto image = Filled(3, 3, kOpaqueBlack);
    image->DrawLineAA(0.5, 0.5, 2.5, 2.5, Color::White, 0);
    const std::vector<uint32_t> bits = BitsOf(*image);
    EXPECT_EQ(bits[0], 0xFFBEBEBEu); // a = (256 x 191) >> 8 = 191
    EXPECT_EQ(bits[1], 0xFF3F3F3Fu); // a = 64: (255 x 64) >> 8
    EXPECT_EQ(MaskOf(*image, kOpaqueBlack), (std::vector<std::string>{"##.", ".##", "..#"}));
}

TEST(MemoryImageDraw, AntiAliasedLinesWeighTheColourAlphaAndStayInTheImage)
{
    auto image = Filled(4, 4, kOpaqueBlack);
    image->DrawLineAA(-2, -2, 6, 6, Color(255, 0, 0, 127), 0);
    // Coverage 255 gives alpha (128 x 255) >> 8 = 127: red (255 x 127) >> 8.
    const uint32_t red = 0xFF7E0000;
    const uint32_t b = kOpaqueBlack;
    EXPECT_EQ(BitsOf(*image), (std::vector<uint32_t>{red, b, b, b, b, red, b, b, b, b, red, b, b, b, b, red}));
}

TEST(MemoryImageDraw, AntiAliasedLinesOnlyInNormalModeExceptStraightOnes)
{
    auto image = Filled(3, 3, kOpaqueBlack);
    image->DrawLineAA(0, 0, 2, 2, Color::White, 1);
    EXPECT_EQ(MaskOf(*image, kOpaqueBlack), (std::vector<std::string>{"...", "...", "..."}));
    image->DrawLineAA(0, 1, 2, 1, Color(10, 20, 30, 255), 1);
    EXPECT_EQ(BitsOf(*image)[3], 0xFF0A141Eu);
}

} // namespace
