// Blits of one memory image onto another: plain, rotated and stretched, against hand-computed pixels.
#include "graphics/Image.h"
#include "graphics/MemoryImage.h"
#include "graphics/MemoryImageGeometry.h"
#include "tests/graphics/MemoryImageTestKit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace {

using Pyxo::Color;
using Pyxo::FRect;
using Pyxo::MemoryImage;
using Pyxo::Rect;

using namespace MemoryImageTestKit;

// One source pixel blitted onto one destination pixel.
struct PixelCase {
    const char* name;
    uint32_t dest;
    uint32_t source;
    Color color;
    int mode;
    uint32_t expected;
    uint32_t sourceExtra = 0xFF000000; // a second source pixel, which decides the source's alpha flag
};

void ExpectPixelBlits(const std::vector<PixelCase>& cases)
{
    for (const PixelCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto source = ImageOf({c.source, c.sourceExtra}, 2, 1);
        auto dest = Filled(1, 1, c.dest);
        dest->Blt(source.get(), 0, 0, Rect(0, 0, 1, 1), c.color, c.mode);
        EXPECT_EQ(BitsOf(*dest)[0], c.expected);
    }
}

TEST(MemoryImageDrawBlt, NormalBlitsBlendByDestinationAndColour)
{
    ExpectPixelBlits({
        // Opaque destination, white: opaque copied, transparent skipped, partial blended onto opaque.
        {"opaque source is copied", 0xFF0000FF, 0xFF102030, Color::White, 0, 0xFF102030},
        {"transparent source is skipped", 0xFF0000FF, 0x00FFFFFF, Color::White, 0, 0xFF0000FF},
        {"partial onto opaque", 0xFF0000FF, 0x80FF0000, Color::White, 0, 0xFF7F007F},
        // Destination with alpha, white: over. oa = 128 + 127 = 255, w = 255.
        {"opaque over half alpha", 0x80FFFFFF, 0xFF102030, Color::White, 0, 0xFF10202F},
        {"half over transparent", 0x00000000, 0x80FF0000, Color::White, 0, 0x80FE0000},
        // Grey colour k = 128: red (((128 x 128) >> 8) x 255) >> 8, green ((64 x 255 x 128) >> 8) >> 8.
        {"grey onto opaque black", kOpaqueBlack, 0xFF804020, Color(128, 128, 128, 255), 0, 0xFF3F1F0F},
        {"grey onto opaque white", kOpaqueWhite, 0xFF804020, Color(128, 128, 128, 255), 0, 0xFF40200F},
        {"grey at half alpha", kOpaqueBlack, 0xFF804020, Color(128, 128, 128, 128), 0, 0xFF201008},
        // Tinted: red (128 x 255 x 255) >> 16, green (((128 x 255 x 128) >> 8)) >> 8, blue 0.
        {"tinted", kOpaqueBlack, 0xFF808080, Color(255, 128, 0, 255), 0, 0xFF7F3F00},
        {"tint skips transparent pixels", kOpaqueBlack, 0x00808080, Color(255, 128, 0, 255), 0, kOpaqueBlack},
        {"other modes draw nothing", kOpaqueBlack, 0xFF808080, Color::White, 2, kOpaqueBlack},
    });
}

TEST(MemoryImageDrawBlt, AdditiveBlitsSaturateAndKeepTheDestinationAlpha)
{
    constexpr uint32_t partial = 0x80000000; // gives the source its alpha flag
    ExpectPixelBlits({
        {"white saturates", 0x80646464, 0xFFC8C8C8, Color::White, 1, 0x80FFFFFF},
        // Without partial alpha the source alpha is not weighed, but a transparent pixel adds nothing.
        {"transparent adds nothing", 0x80646464, 0x00C8C8C8, Color::White, 1, 0x80646464},
        // With partial alpha: d + ((s x sa) >> 8).
        {"white with alpha", 0xFF101010, 0x80C86432, Color::White, 1, 0xFF744229, partial},
        // Factors (c x colour alpha) / 255 = 128, 64, 0.
        {"tinted", 0xFF101010, 0xFFC8C8C8, Color(255, 128, 0, 128), 1, 0xFF744210},
        {"tinted with alpha", 0xFF101010, 0x80C8C8C8, Color(255, 128, 0, 128), 1, 0xFF422910, partial},
    });
}

TEST(MemoryImageDrawBlt, RunsOfTheSourceAreCutAtTheClippedRowEnds)
{
    // Transparent, transparent, opaque, opaque, partial, partial; blitted from column 1 for 4 pixels, so the
    // first run starts in its middle and the last is cut short.
    const uint32_t o = 0xFF204060;
    const uint32_t p = 0x80FF0000;
    auto source = ImageOf({0, 0, o, o, p, p, /* row 1 */ p, o, 0, o, 0, p}, 6, 2);
    auto dest = Filled(4, 2, 0xFF0000FF);
    dest->Blt(source.get(), 0, 0, Rect(1, 0, 4, 2), Color::White, 0);
    const uint32_t blended = 0xFF7F007F; // p onto opaque blue
    EXPECT_EQ(BitsOf(*dest), (std::vector<uint32_t>{0xFF0000FF, o, o, blended, o, 0xFF0000FF, o, 0xFF0000FF}));
}

TEST(MemoryImageDrawBlt, APalettisedSourceIsReadThroughItsPalette)
{
    auto source = ImageOf({0xFF102030, 0x80FF0000, 0xFF102030, 0x00000000}, 2, 2);
    ASSERT_TRUE(source->Palletize());
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        auto expected = Filled(2, 2, 0x80808080);
        auto fromBits = ImageOf({0xFF102030, 0x80FF0000, 0xFF102030, 0x00000000}, 2, 2);
        expected->Blt(fromBits.get(), 0, 0, Rect(0, 0, 2, 2), Color(200, 100, 50, 255), mode);
        auto dest = Filled(2, 2, 0x80808080);
        dest->Blt(source.get(), 0, 0, Rect(0, 0, 2, 2), Color(200, 100, 50, 255), mode);
        EXPECT_EQ(BitsOf(*dest), BitsOf(*expected));
    }
    EXPECT_NE(source->mColorTable, nullptr);
}

TEST(MemoryImageDrawBlt, BlitsAreClippedToBothImages)
{
    std::vector<uint32_t> pixels;
    for (uint32_t i = 0; i < 9; ++i) {
        pixels.push_back(0xFF000000 | i);
    }
    auto source = ImageOf(pixels, 3, 3);
    struct Case {
        const char* name;
        int x, y;
        Rect src;
        std::vector<uint32_t> expected; // 3 x 3, 0xFFFFFFFF untouched
    };
    const uint32_t u = kOpaqueWhite;
    const Case cases[] = {
        {"above and left", -1, -1, Rect(0, 0, 3, 3), {0xFF000004, 0xFF000005, u, 0xFF000007, 0xFF000008, u, u, u, u}},
        {"below and right", 2, 1, Rect(0, 0, 3, 3), {u, u, u, u, u, 0xFF000000, u, u, 0xFF000003}},
        // A source rectangle reaching past the source moves the drawn part with it.
        {"source past its image",
         0,
         0,
         Rect(-1, 1, 9, 9),
         {u, 0xFF000003, 0xFF000004, u, 0xFF000006, 0xFF000007, u, u, u}},
        {"nothing left", 5, 0, Rect(0, 0, 3, 3), {u, u, u, u, u, u, u, u, u}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto dest = Filled(3, 3, u);
        dest->Blt(source.get(), c.x, c.y, c.src, Color::White, 0);
        EXPECT_EQ(BitsOf(*dest), c.expected);
    }
}

TEST(MemoryImageDrawBlt, EveryBlitMarksItsSourceDrawnButOnlyMemoryImagesAreDrawn)
{
    Pyxo::Image plain;
    plain.mWidth = 2;
    plain.mHeight = 2;
    auto dest = Filled(2, 2, kOpaqueBlack);
    dest->Blt(&plain, 0, 0, Rect(0, 0, 2, 2), Color::White, 0);
    EXPECT_TRUE(plain.mDrawn);
    plain.mDrawn = false;
    dest->BltF(&plain, 0.5f, 0, Rect(0, 0, 2, 2), Rect(0, 0, 2, 2), Color::White, 0);
    EXPECT_TRUE(plain.mDrawn);
    plain.mDrawn = false;
    dest->StretchBlt(&plain, Rect(0, 0, 2, 2), Rect(0, 0, 2, 2), Rect(0, 0, 2, 2), Color::White, 0, true);
    EXPECT_TRUE(plain.mDrawn);
    EXPECT_EQ(BitsOf(*dest), std::vector<uint32_t>(4, kOpaqueBlack));

    auto source = Filled(1, 1, kOpaqueWhite);
    dest->Blt(source.get(), 0, 0, Rect(0, 0, 1, 1), Color::White, 0);
    EXPECT_TRUE(source->mDrawn);
}

// Source pixel (x, y) has red 64 x, green 64 y.
std::unique_ptr<MemoryImage> Gradient(int width, int height)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.push_back(0xFF000000 | uint32_t(64 * x) << 16 | uint32_t(64 * y) << 8);
        }
    }
    return ImageOf(pixels, width, height);
}

TEST(MemoryImageDrawBlt, UnturnedBlitsAtWholePixelsDrawWhatBltDraws)
{
    auto source = Gradient(4, 4);
    auto expected = Filled(6, 6, 0xFF0000FF);
    expected->Blt(source.get(), 1, 1, Rect(0, 0, 4, 4), Color::White, 0);
    auto floated = Filled(6, 6, 0xFF0000FF);
    floated->BltF(source.get(), 1.0f, 1.0f, Rect(0, 0, 4, 4), Rect(0, 0, 6, 6), Color::White, 0);
    EXPECT_EQ(BitsOf(*floated), BitsOf(*expected)) << "edge columns and the last row included";
    auto turned = Filled(6, 6, 0xFF0000FF);
    turned->BltRotated(source.get(), 1.0f, 1.0f, Rect(0, 0, 4, 4), Rect(0, 0, 6, 6), Color::White, 0, 0.0, 2.5f, 2.5f);
    EXPECT_EQ(BitsOf(*turned), BitsOf(*expected));

    // The clip still applies, and the source rectangle's corner moves with what it cuts off.
    auto clipped = Filled(6, 6, 0xFF0000FF);
    clipped->BltF(source.get(), 0.0f, -1.0f, Rect(1, 0, 3, 4), Rect(1, 0, 6, 2), Color(255, 255, 255, 128), 1);
    auto plain = Filled(6, 6, 0xFF0000FF);
    plain->Blt(source.get(), 1, 0, Rect(2, 1, 2, 2), Color(255, 255, 255, 128), 1);
    EXPECT_EQ(BitsOf(*clipped), BitsOf(*plain));
}

TEST(MemoryImageDrawBlt, HalfPixelBltFMixesNeighbours)
{
    // Fractions 0x8001 and 0x7FFF: weights 127 and 127 of each pair.
    auto source = ImageOf({kOpaqueBlack, kOpaqueWhite, kOpaqueBlack, kOpaqueWhite, //
                           kOpaqueBlack, kOpaqueWhite, kOpaqueBlack, kOpaqueWhite},
                          4, 2);
    auto dest = Filled(5, 2, 0xFF0000FF);
    dest->BltF(source.get(), 0.5f, 0.0f, Rect(0, 0, 4, 2), Rect(0, 0, 5, 2), Color::White, 0);
    const uint32_t mix = 0xFF7E7E7E; // (127 x 255) >> 8
    EXPECT_EQ(BitsOf(*dest), (std::vector<uint32_t>{0xFF0000FF, mix, mix, mix, 0xFF0000FF, 0xFF0000FF, 0xFF0000FF,
                                                    0xFF0000FF, 0xFF0000FF, 0xFF0000FF}));
}

TEST(MemoryImageDrawBlt, RotatedSamplesBlendByModeAndColour)
{
    struct Case {
        const char* name;
        uint32_t dest;
        uint32_t source; // every source pixel
        Color color;
        int mode;
        uint32_t expected;
    };
    const Case cases[] = {
        // Sample alpha 127 (weight 254 x alpha 128): oa 256, ((254 x 129) + 127 c) / 256, stored alpha 255.
        {"half alpha over white", kOpaqueWhite, 0x80FF0000, Color::White, 0, 0xFFFE7F7F},
        // Over transparent: oa 127, the channels come back whole, stored alpha oa - 1.
        {"half alpha over transparent", 0x00000000, 0x80FF0000, Color::White, 0, 0x7EFF0000},
        // Colour alpha 128 halves the weights to 127; the red factor 255 counts the alpha no second time.
        {"colourised", kOpaqueBlack, kOpaqueWhite, Color(255, 0, 0, 128), 0, 0xFF7E0000},
        // Weight (254 x 255) >> 8 = 253 over 251: written opaque, ((253 x 200 x c) >> 8) >> 8.
        {"colourised opaque", kOpaqueBlack, 0xFFC8C8C8, Color(128, 255, 0, 255), 0, 0xFF62C400},
        // Additive: d + (254 x 200) >> 8; alpha kept.
        {"additive", 0x80101010, 0xFFC8C8C8, Color::White, 1, 0x80D6D6D6},
        // Factors (c x colour alpha) / 255 = 128, 64, 0 on the sample 198.
        {"additive colourised", 0x80101010, 0xFFC8C8C8, Color(255, 128, 0, 128), 1, 0x80734110},
        {"other modes draw nothing", 0x80101010, 0xFFC8C8C8, Color::White, 3, 0x80101010},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto source = Filled(3, 2, c.source);
        auto dest = Filled(3, 2, c.dest);
        // A turn too small to move a sample keeps the resampling loops, which an exact 0 would leave for Blt.
        dest->BltRotated(source.get(), 0.0f, 0.0f, Rect(0, 0, 3, 2), Rect(0, 0, 3, 2), c.color, c.mode, 1e-12, 0.0f,
                         0.0f);
        EXPECT_EQ(BitsOf(*dest)[1], c.expected);
    }
}

TEST(MemoryImageDrawBlt, QuarterTurnMapsSourceColumnsToRows)
{
    // About the corner, placed at (0, 4): source (x, y) lands at (y, 4 - x).
    auto source = Gradient(4, 4);
    auto dest = Filled(6, 6, 0xFF0000FF);
    dest->BltRotated(source.get(), 0.0f, 4.0f, Rect(0, 0, 4, 4), Rect(0, 0, 6, 6), Color::White, 0,
                     std::numbers::pi / 2, 0.0f, 0.0f);
    EXPECT_EQ(MaskOf(*dest, 0xFF0000FF),
              (std::vector<std::string>{"......", "......", ".##...", ".##...", "......", "......"}));
    const std::vector<uint32_t> bits = BitsOf(*dest);
    EXPECT_EQ(bits[13], 0xFF7F3F00u); // source (2, 1)
    EXPECT_EQ(bits[14], 0xFF7F7F00u); // source (2, 2)
    EXPECT_EQ(bits[19], 0xFF3F3F00u); // source (1, 1)
    EXPECT_EQ(bits[20], 0xFF3F7F00u); // source (1, 2)
}

TEST(MemoryImageDrawBlt, RotatedBlitsStayInsideClipAndImage)
{
    auto source = Filled(8, 8, kOpaqueWhite);
    auto dest = Filled(5, 5, kOpaqueBlack);
    // A clip that excludes the image changes nothing.
    dest->BltRotated(source.get(), 0, 0, Rect(0, 0, 8, 8), Rect(40, 40, 5, 5), Color::White, 0, 0.0, 0, 0);
    EXPECT_EQ(BitsOf(*dest), std::vector<uint32_t>(25, kOpaqueBlack));
    // A clip wider than the image, a turned source larger than it, a source rectangle past the source.
    for (double angle : {0.3, 1.0, 2.5, -2.0, 4.0}) {
        dest->BltRotated(source.get(), -1.5f, -2.0f, Rect(-3, -3, 20, 20), Rect(-10, -10, 50, 50), Color::White, 1,
                         angle, 4.0f, 4.0f);
    }
    dest->BltRotated(source.get(), 1.0f, 1.0f, Rect(0, 0, 8, 8), Rect(0, 0, 5, 5), Color::White, 0, std::nan(""), 0, 0);
    dest->BltRotated(source.get(), 3e9f, 1.0f, Rect(0, 0, 8, 8), Rect(0, 0, 5, 5), Color::White, 0, 0.5, -3e9f, 0);
    // Only the clip's inner rectangle is drawn: a clip of (1, 1, 3, 3) keeps the border.
    auto clipped = Filled(5, 5, kOpaqueBlack);
    clipped->BltF(source.get(), -2.0f, -2.0f, Rect(0, 0, 8, 8), Rect(1, 1, 3, 3), Color::White, 0);
    EXPECT_EQ(MaskOf(*clipped, kOpaqueBlack), (std::vector<std::string>{".....", ".###.", ".###.", ".###.", "....."}));
}

TEST(MemoryImageDrawBlt, RotatedRowsAreCutToKeepEverySampleAndItsNeighboursInside)
{
    struct Case {
        const char* name;
        Pyxo::RotatedRow row;
        int width, height;
        bool drawn;
        int64_t first, last; // starting from 0 and 10
    };
    const Case cases[] = {
        {"forward from the corner", {0, 0, 0x10000, 0}, 4, 3, true, 1, 2},
        {"forward from before the source", {-100000, 0, 0x10000, 0}, 4, 3, true, 2, 4},
        {"forward from the last column", {3 << 16, 0, 0x10000, 0}, 4, 3, false, 0, 0},
        {"backward from the right edge", {4 << 16, 0, -0x10000, 0}, 4, 3, true, 2, 3},
        {"backward from before the source", {-1, 0, -0x10000, 0}, 4, 3, false, 0, 0},
        {"still row on the last row", {0, 2 << 16, 0x10000, 0}, 4, 3, false, 0, 0},
        {"still row below the source", {0, -1, 0x10000, 0}, 4, 3, false, 0, 0},
        {"both axes", {0, 0, 0x8000, 0x10000}, 8, 4, true, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int64_t first = 0;
        int64_t last = 10;
        ASSERT_EQ(Pyxo::CutRotatedRow(c.row, c.width, c.height, first, last), c.drawn);
        if (c.drawn) {
            EXPECT_EQ(first, c.first);
            EXPECT_EQ(last, c.last);
        }
    }
}

TEST(MemoryImageDrawBlt, RotatedAreaIsTheTurnedBoundingBoxWithinTheClip)
{
    const FRect straight = Pyxo::RotatedBltArea(1.5f, 2.0f, Rect(0, 0, 4, 3), Rect(0, 0, 100, 100), 0.0, 0, 0);
    EXPECT_EQ(straight, FRect(1.5, 2.0, 4.0, 3.0));
    const FRect clipped = Pyxo::RotatedBltArea(-1.0f, 0.0f, Rect(0, 0, 4, 3), Rect(0, 0, 2, 2), 0.0, 0, 0);
    EXPECT_EQ(clipped, FRect(0.0, 0.0, 2.0, 2.0));
    // A half turn about the centre covers the same box.
    const FRect turned =
        Pyxo::RotatedBltArea(0.0f, 0.0f, Rect(0, 0, 4, 2), Rect(-10, -10, 100, 100), std::numbers::pi, 2.0f, 1.0f);
    EXPECT_NEAR(turned.mX, 0.0, 1e-9);
    EXPECT_NEAR(turned.mWidth, 4.0, 1e-9);
    EXPECT_NEAR(turned.mHeight, 2.0, 1e-9);
    EXPECT_EQ(Pyxo::RotatedBltArea(std::nanf(""), 0, Rect(0, 0, 4, 2), Rect(0, 0, 9, 9), 0.0, 0, 0).mWidth, 0.0);
}

TEST(MemoryImageDrawBlt, StretchClippingCutsTheSourceToMatch)
{
    struct Case {
        const char* name;
        Rect dest, src, clip;
        bool mirrored;
        bool drawn;
        Rect expectedDest;
        FRect expectedSource;
    };
    const Case cases[] = {
        {"inside", Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 9, 9), false, true, Rect(0, 0, 4, 4),
         FRect(0, 0, 2, 2)},
        {"left cut", Rect(-2, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 9, 9), false, true, Rect(0, 0, 2, 4),
         FRect(1, 0, 1, 2)},
        {"right cut", Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 2, 9), false, true, Rect(0, 0, 2, 4),
         FRect(0, 0, 1, 2)},
        // Mirrored, the source x comes from what was cut off the right.
        {"right cut mirrored", Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 2, 9), true, true, Rect(0, 0, 2, 4),
         FRect(1, 0, 1, 2)},
        {"outside", Rect(20, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 9, 9), false, false, Rect(), FRect()},
        {"empty destination", Rect(0, 0, 0, 4), Rect(0, 0, 2, 2), Rect(0, 0, 9, 9), false, false, Rect(), FRect()},
        {"empty source", Rect(0, 0, 4, 4), Rect(0, 0, 0, 2), Rect(0, 0, 9, 9), false, false, Rect(), FRect()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto cut = Pyxo::ClipStretchBlt(c.dest, c.src, c.clip, c.mirrored);
        ASSERT_EQ(cut.has_value(), c.drawn);
        if (cut) {
            EXPECT_EQ(cut->dest, c.expectedDest);
            EXPECT_EQ(cut->source, c.expectedSource);
        }
    }
}

TEST(MemoryImageDrawBlt, FastStretchRepeatsNearestPixelsAndBlendsNormally)
{
    const uint32_t a = 0xFFFF0000;
    const uint32_t b = 0x00FFFFFF; // skipped
    const uint32_t c = 0xFF0000FF;
    const uint32_t d = 0xFF00FF00;
    auto source = ImageOf({a, b, c, d}, 2, 2);
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        auto dest = Filled(4, 4, 0);
        dest->StretchBlt(source.get(), Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 4, 4), Color::White, mode, true);
        // Over transparent black with alpha 255: each channel (c x 255) >> 8.
        const uint32_t A = 0xFFFE0000, C = 0xFF0000FE, D = 0xFF00FE00;
        EXPECT_EQ(BitsOf(*dest), (std::vector<uint32_t>{A, A, 0, 0, A, A, 0, 0, C, C, D, D, C, C, D, D}));
    }
    auto untouched = Filled(4, 4, 0);
    untouched->StretchBlt(source.get(), Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 4, 4), Color(255, 255, 255, 254),
                          0, true);
    EXPECT_EQ(BitsOf(*untouched), std::vector<uint32_t>(16, 0));
}

TEST(MemoryImageDrawBlt, FilteredStretchAveragesTheFootprintWithPremultipliedColour)
{
    struct Case {
        const char* name;
        std::vector<uint32_t> source; // 4 x 2
        uint32_t dest;
        std::vector<uint32_t> expected; // 2 x 1
    };
    const Case cases[] = {
        // Black and white average to 128 (rounded), then are copied onto the opaque destination.
        {"grey",
         {kOpaqueBlack, kOpaqueWhite, kOpaqueWhite, kOpaqueWhite, kOpaqueBlack, kOpaqueWhite, kOpaqueWhite,
          kOpaqueWhite},
         kOpaqueBlack,
         {0xFF808080, kOpaqueWhite}},
        // Red beside transparent gives half-transparent red, not dark red: over transparent, (255 x 255) >> 8.
        {"no dark fringe", {0xFFFF0000, 0, 0, 0, 0xFFFF0000, 0, 0, 0}, 0, {0x80FE0000, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto source = ImageOf(c.source, 4, 2);
        auto dest = Filled(2, 1, c.dest);
        dest->StretchBlt(source.get(), Rect(0, 0, 2, 1), Rect(0, 0, 4, 2), Rect(0, 0, 2, 1), Color::White, 0, false);
        EXPECT_EQ(BitsOf(*dest), c.expected);
    }
}

TEST(MemoryImageDrawBlt, FilteredStretchDrawsLikeBltInEveryModeAndColour)
{
    // At 1:1 and at 2:1 the footprints hold whole source pixels, so the stretch draws what Blt draws.
    auto source = ImageOf({0xFF102030, 0x80FF8000, 0x00FFFFFF, 0xFFC0C0C0, 0x40202020, 0xFF00FF00}, 3, 2);
    auto doubled = ImageOf({0xFF102030, 0xFF102030, 0x80FF8000, 0x80FF8000, 0x00FFFFFF, 0x00FFFFFF, //
                            0xFFC0C0C0, 0xFFC0C0C0, 0x40202020, 0x40202020, 0xFF00FF00, 0xFF00FF00},
                           6, 2);
    const Color colors[] = {Color::White, Color(100, 100, 100, 255), Color(255, 128, 0, 200)};
    for (uint32_t background : {0xFF405060u, 0x80405060u}) {
        for (int mode : {0, 1}) {
            for (const Color& color : colors) {
                SCOPED_TRACE(testing::Message() << background << " mode " << mode << " red " << color.mRed);
                auto expected = Filled(3, 2, background);
                expected->Blt(source.get(), 0, 0, Rect(0, 0, 3, 2), color, mode);
                auto same = Filled(3, 2, background);
                same->StretchBlt(source.get(), Rect(0, 0, 3, 2), Rect(0, 0, 3, 2), Rect(0, 0, 3, 2), color, mode,
                                 false);
                EXPECT_EQ(BitsOf(*same), BitsOf(*expected));
                auto halved = Filled(3, 2, background);
                halved->StretchBlt(doubled.get(), Rect(0, 0, 3, 2), Rect(0, 0, 6, 2), Rect(0, 0, 3, 2), color, mode,
                                   false);
                EXPECT_EQ(BitsOf(*halved), BitsOf(*expected));
            }
        }
    }
}

TEST(MemoryImageDrawBlt, StretchIsClippedAndReadsOnlyItsSource)
{
    auto source = ImageOf({0xFFFF0000, 0xFF0000FF}, 2, 1);
    // The destination's left half is cut off: only the source's right column is drawn, stretched to 2 x 2.
    auto dest = Filled(4, 2, kOpaqueBlack);
    dest->StretchBlt(source.get(), Rect(-2, 0, 4, 2), Rect(0, 0, 2, 1), Rect(0, 0, 100, 100), Color::White, 0, false);
    EXPECT_EQ(BitsOf(*dest), (std::vector<uint32_t>{0xFF0000FF, 0xFF0000FF, kOpaqueBlack, kOpaqueBlack, 0xFF0000FF,
                                                    0xFF0000FF, kOpaqueBlack, kOpaqueBlack}));
    // A source rectangle past the image reads only what the image holds; an empty destination draws nothing.
    for (bool fast : {false, true}) {
        auto far = Filled(4, 2, kOpaqueBlack);
        far->StretchBlt(source.get(), Rect(0, 0, 4, 2), Rect(1, 0, 5, 3), Rect(0, 0, 4, 2), Color::White, 0, fast);
        far->StretchBlt(source.get(), Rect(0, 0, 0, 2), Rect(0, 0, 2, 1), Rect(0, 0, 4, 2), Color::White, 0, fast);
        // Nearest: blue over opaque black at alpha 255; filtered: the one readable pixel, copied.
        EXPECT_EQ(BitsOf(*far)[0], fast ? 0xFF0000FEu : 0xFF0000FFu) << fast;
    }
}

} // namespace
