// Rotated blits into a surface image's own surface: bilinear samples at 16.16 source positions, the output form
// of each format, the plain blit at whole pixels, and the edges.

#include "tests/graphics/DDImageDrawTestKit.h"

#include <numbers>
#include <vector>

namespace {

using namespace SurfaceDrawTest;
using Pyxo::Color;
using Pyxo::Rect;

class DDImageDrawRotateTest : public Fixture {};

// Half a pixel to the right: each drawn pixel mixes two neighbouring source pixels with weight 127 each (the
// fraction 0x8001 against 0x7FFF), the destination keeps 256 - 254 = 2 of 256. The cut keeps one column of
// margin on the left and one sample of room on the right and below, so only row 0, columns 1 to 3 are drawn.
TEST_F(DDImageDrawRotateTest, HalfPixelShiftMixesNeighbours)
{
    // Red, green, blue, white over grey.
    const std::vector<uint32_t> pixels = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF,
                                          0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000};
    struct Case {
        const char* name;
        Format format;
        Color color;
        int mode;
        uint32_t grey;
        std::vector<uint32_t> row0;
    };
    const Case cases[] = {
        // (127 x 255) >> 8 = 126 from each neighbour, plus 0x80 x 2 >> 8 = 1.
        {"x888", kX888, Color::White, 0, 0x808080, {0x808080, 0x7F7F01, 0x017F7F, 0x7F7FFE, 0x808080}},
        // Packed 5-6-5: the destination's weight (2 >> 3) is 0; the sample is cut to 5 and 6 bits.
        {"565", k565, Color::White, 0, 0x8410, {0x8410, 0x7BE0, 0x03EF, 0x7BFF, 0x8410}},
        {"bgr", kBgr, Color::White, 0, 0x808080, {0x808080, 0x017F7F, 0x7F7F01, 0xFE7F7F, 0x808080}},
        // Colourised red: the weights become 126, the rest 4, and green and blue keep only the destination.
        {"x888 red", kX888, Color(255, 0, 0), 0, 0x808080, {0x808080, 0x7F0202, 0x020202, 0x7F0202, 0x808080}},
        // Additive: the sample (126 per neighbour) x 255 >> 8 added to grey.
        {"x888 additive", kX888, Color::White, 1, 0x808080, {0x808080, 0xFDFD80, 0x80FDFD, 0xFDFDFF, 0x808080}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto source = Source(4, 2, pixels);
        MakeTarget(c.format, 5, 2, c.grey);
        mTarget->BltRotated(source.get(), 0.5f, 0.0f, Rect(0, 0, 4, 2), Rect(0, 0, 5, 2), c.color, c.mode, 0.0, 0, 0);
        EXPECT_EQ(Row(0), c.row0);
        EXPECT_EQ(Row(1), (std::vector<uint32_t>(5, c.grey)));
        EXPECT_TRUE(source->mDrawn);
        EXPECT_EQ(mTarget->mBits, nullptr);
    }
}

// Just off a whole pixel every fraction is 1 of 0x10000: the top-left weight's product (0xFFFF x 0xFFFF) lies
// beyond a signed 32-bit range, and the weight comes out as 254 of 255.
TEST_F(DDImageDrawRotateTest, NearlyWholePositionWeighsTheTopLeftPixel)
{
    auto source =
        Source(4, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000});
    MakeTarget(kX888, 6, 2, 0x808080);
    mTarget->BltRotated(source.get(), 1.0000001f, 0.0f, Rect(0, 0, 4, 2), Rect(0, 0, 6, 2), Color::White, 0, 0.0, 0, 0);
    EXPECT_EQ(Row(0), (std::vector<uint32_t>{0x808080, 0x808080, 0x01FE01, 0x0101FE, 0x808080, 0x808080}));
    EXPECT_EQ(Row(1), (std::vector<uint32_t>(6, 0x808080)));
}

// A quarter turn about the centre of a 4 x 4 source: destination (x, y) samples source (4 - y, x), each opaque
// channel coming out as (254 x c) >> 8.
TEST_F(DDImageDrawRotateTest, QuarterTurnSamplesTheTurnedSource)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x)
            pixels.push_back(0xFF000080 | uint32_t(40 + 50 * x) << 16 | uint32_t(40 + 50 * y) << 8);
    }
    auto source = Source(4, 4, pixels);
    auto scaled = [](int x, int y) {
        return uint32_t((254 * (40 + 50 * x)) >> 8) << 16 | uint32_t((254 * (40 + 50 * y)) >> 8) << 8 | 0x7F;
    };
    MakeTarget(kX888, 6, 6, 0);
    mTarget->BltRotated(source.get(), 0, 0, Rect(0, 0, 4, 4), Rect(0, 0, 6, 6), Color::White, 0, std::numbers::pi / 2,
                        2, 2);
    EXPECT_EQ(At(1, 2), scaled(2, 1));
    EXPECT_EQ(At(2, 2), scaled(2, 2));
    EXPECT_EQ(At(1, 3), scaled(1, 1));
    EXPECT_EQ(At(2, 3), scaled(1, 2));
    int drawn = 0;
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x)
            drawn += At(x, y) != 0 ? 1 : 0;
    }
    EXPECT_EQ(drawn, 4);
}

// Unturned at a whole pixel the image is copied whole, edges and last row included, and the clip applies.
TEST_F(DDImageDrawRotateTest, WholePixelPositionWithoutTurnIsAPlainBlit)
{
    auto source = Source(3, 2, {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004, 0xFF000005, 0xFF000006});
    MakeTarget(kX888, 5, 4, 0);
    mTarget->BltF(source.get(), 1.0f, 1.0f, Rect(0, 0, 3, 2), Rect(0, 0, 5, 4), Color::White, 0);
    EXPECT_EQ(Row(0), (std::vector<uint32_t>{0, 0, 0, 0, 0}));
    EXPECT_EQ(Row(1), (std::vector<uint32_t>{0, 0xFF000001, 0xFF000002, 0xFF000003, 0}));
    EXPECT_EQ(Row(2), (std::vector<uint32_t>{0, 0xFF000004, 0xFF000005, 0xFF000006, 0}));
    EXPECT_EQ(Row(3), (std::vector<uint32_t>{0, 0, 0, 0, 0}));

    MakeTarget(kX888, 5, 4, 0);
    mTarget->BltRotated(source.get(), 1.0f, 1.0f, Rect(0, 0, 3, 2), Rect(0, 0, 3, 4), Color::White, 0, 0.0, 7, 7);
    EXPECT_EQ(Row(1), (std::vector<uint32_t>{0, 0xFF000001, 0xFF000002, 0, 0}));
    EXPECT_EQ(Row(2), (std::vector<uint32_t>{0, 0xFF000004, 0xFF000005, 0, 0}));
}

TEST_F(DDImageDrawRotateTest, TransparentTargetsAndTheNoLockFlag)
{
    auto source = Source(2, 2, std::vector<uint32_t>(4, 0xFFFFFFFF));

    // A target with transparency is drawn by the memory image on its bits, never into a surface.
    ASSERT_EQ(StartWindowed(), Pyxo::DDInterface::RESULT_OK);
    Pyxo::DDImage keyed(mDisplay);
    const std::vector<uint32_t> pixels = {0x00000000, 0xFF000000, 0xFF000000, 0xFF000000,
                                          0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000};
    keyed.SetBits(pixels.data(), 4, 2, true);
    const int changes = keyed.mBitsChangedCount;
    keyed.BltRotated(source.get(), 0.5f, 0.25f, Rect(0, 0, 2, 2), Rect(0, 0, 4, 2), Color::White, 0, 0.3, 1, 1);
    EXPECT_EQ(keyed.mSurface, nullptr);
    EXPECT_GT(keyed.mBitsChangedCount, changes);

    MakeTarget(kX888, 4, 4, 0);
    mTarget->mNoLock = true;
    mTarget->BltRotated(source.get(), 1.5f, 1.5f, Rect(0, 0, 2, 2), Rect(0, 0, 4, 4), Color::White, 0, 0.3, 1, 1);
    for (int y = 0; y < 4; ++y)
        EXPECT_EQ(Row(y), (std::vector<uint32_t>(4, 0))) << y;
}

// Turned blits over and past every edge, with clips larger than the surface and source rectangles reaching past
// the source: nothing outside the surface or the source is touched (the sanitizer build watches), and nothing
// outside the clip changes.
TEST_F(DDImageDrawRotateTest, TurnedBlitsAtAndBeyondTheEdges)
{
    std::vector<uint32_t> pixels(5 * 4);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = (i % 3 == 0 ? 0x00000000 : 0xFF000000) | uint32_t(i * 0x0B1D03);
    const double angles[] = {0.0, 0.3, -0.7, 1.0, std::numbers::pi / 2, 2.5, std::numbers::pi, 4.0};
    const float positions[][2] = {{-3.5f, -2.25f}, {0.5f, 0.5f}, {4.75f, 3.5f}, {-100.5f, 2}, {2, 1e6f}};
    const Rect sources[] = {Rect(0, 0, 5, 4), Rect(2, 1, 9, 9), Rect(-3, -3, 5, 5)};
    for (const Format& format : {kX888, k565}) {
        SCOPED_TRACE(format.name);
        MakeTarget(format, 6, 5, 0x1234);
        for (const double angle : angles) {
            for (const auto& p : positions) {
                for (const Rect& src : sources) {
                    for (const int mode : {0, 1}) {
                        const Color color = mode == 0 ? Color::White : Color(200, 100, 50, 128);
                        auto source = Source(5, 4, pixels);
                        mTarget->BltRotated(source.get(), p[0], p[1], src, Rect(-10, -10, 100, 100), color, mode, angle,
                                            2.5f, 2.0f);
                        mTarget->BltRotated(source.get(), p[0], p[1], src, Rect(1, 1, 4, 3), Color(9, 9, 9), 0, angle,
                                            0, 0);
                    }
                }
            }
        }
        EXPECT_EQ(mTarget->mLockCount, 0);
    }

    MakeTarget(kX888, 6, 5, 0x1234);
    auto source = Source(5, 4, std::vector<uint32_t>(20, 0xFFFFFFFF));
    for (const double angle : angles)
        mTarget->BltRotated(source.get(), 0.5f, 0.5f, Rect(0, 0, 5, 4), Rect(1, 1, 4, 3), Color::White, 0, angle, 2, 2);
    EXPECT_NE(At(2, 2), 0x1234u);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) {
            if (x < 1 || x >= 5 || y < 1 || y >= 4) {
                EXPECT_EQ(At(x, y), 0x1234u) << x << ", " << y;
            }
        }
    }
}

} // namespace
