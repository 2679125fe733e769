// Stretched blits into a surface image's own surface: nearest samples of the native pixels (fast and mirrored),
// DirectDraw's own stretch of opaque surfaces, and the filtered stretch drawn through the plain blit.

#include "platform/directdraw/DirectDrawEmulation.h"
#include "tests/graphics/DDImageDrawTestKit.h"

#include <cstdlib>
#include <vector>

namespace {

using namespace SurfaceDrawTest;
using Platform::DirectDrawCall;
using Pyxo::Color;
using Pyxo::Rect;

constexpr uint32_t kL = 0xFF000001; // a left and a right pixel
constexpr uint32_t kR = 0xFF000002;

class DDImageDrawStretchTest : public Fixture {
protected:
    /// A row of the target without the unused top byte of 32-bit pixels.
    std::vector<uint32_t> Colors(int y) const
    {
        std::vector<uint32_t> row = Row(y);
        for (uint32_t& p : row)
            p &= 0xFFFFFF;
        return row;
    }
};

TEST_F(DDImageDrawStretchTest, FastStretchRepeatsTheNearestSample)
{
    struct Case {
        Format format;
        uint32_t red, green, blue, white;
    };
    const Case cases[] = {{kX888, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, {k565, 0xF800, 0x07E0, 0x001F, 0xFFFF}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format.name);
        auto source = Source(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF});
        MakeTarget(c.format, 4, 4, 0);
        mTarget->StretchBlt(source.get(), Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 4, 4), Color::White, 0, true);
        EXPECT_EQ(Colors(0), (std::vector<uint32_t>{c.red, c.red, c.green, c.green}));
        EXPECT_EQ(Colors(1), (std::vector<uint32_t>{c.red, c.red, c.green, c.green}));
        EXPECT_EQ(Colors(2), (std::vector<uint32_t>{c.blue, c.blue, c.white, c.white}));
        EXPECT_EQ(Colors(3), (std::vector<uint32_t>{c.blue, c.blue, c.white, c.white}));
        EXPECT_TRUE(source->mDrawn);
        EXPECT_EQ(mTarget->mBits, nullptr);
    }
}

// The source is cut to the part that maps onto the clipped destination, so the pixels kept are those the
// whole stretch would have drawn there; mirrored, the cut comes off the source's other end.
TEST_F(DDImageDrawStretchTest, StretchesAreCutByTheClip)
{
    auto source = Source(2, 1, {kL, kR});
    struct Case {
        const char* name;
        bool mirrored;
        Rect dest;
        Rect clip;
        std::vector<uint32_t> row;
    };
    const Case cases[] = {
        {"whole", false, Rect(0, 0, 4, 1), Rect(0, 0, 4, 1), {1, 1, 2, 2}},
        {"left edge", false, Rect(-1, 0, 4, 1), Rect(0, 0, 4, 1), {1, 2, 2, 7}},
        {"mirrored", true, Rect(0, 0, 4, 1), Rect(0, 0, 4, 1), {2, 2, 1, 1}},
        {"mirrored, right edge", true, Rect(0, 0, 4, 1), Rect(0, 0, 3, 1), {2, 2, 1, 7}},
        {"mirrored, left edge", true, Rect(-1, 0, 4, 1), Rect(0, 0, 4, 1), {2, 1, 1, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeTarget(kX888, 4, 1, 7);
        if (c.mirrored)
            mTarget->StretchBltMirrored(source.get(), c.dest, Rect(0, 0, 2, 1), c.clip, Color::White, 0, false);
        else
            mTarget->StretchBlt(source.get(), c.dest, Rect(0, 0, 2, 1), c.clip, Color::White, 0, true);
        EXPECT_EQ(Colors(0), c.row);
    }
}

// Each sample is drawn as the blit draws it: over, colourised, or added (by the rasterizer in the layouts it
// draws, as the 3-D path); a draw mode other than normal or additive adds, through the surface's own loop.
TEST_F(DDImageDrawStretchTest, NearestSamplesBlendByModeAndColour)
{
    struct Case {
        const char* name;
        uint32_t pixel;
        Color color;
        int mode;
        uint32_t before, after;
    };
    const Case cases[] = {
        {"half red over blue", 0x80FF0000, Color::White, 0, 0xFF, 0x7F007E},
        {"transparent", 0x00FFFFFF, Color::White, 0, 0xFF, 0xFF},
        {"green-tinted half red", 0x80FF0000, Color(0, 255, 0), 0, 0xFF, 0x7F},
        {"added half red", 0x80FF0000, Color::White, 1, 0x10, 0x7F0010},
        {"any other mode adds", 0x80FF0000, Color::White, 5, 0x10, 0x800010},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto source = Source(1, 1, {c.pixel});
        MakeTarget(kX888, 2, 1, c.before);
        mTarget->StretchBlt(source.get(), Rect(0, 0, 2, 1), Rect(0, 0, 1, 1), Rect(0, 0, 2, 1), c.color, c.mode, true);
        EXPECT_EQ(Colors(0), (std::vector<uint32_t>{c.after, c.after}));
    }
}

TEST_F(DDImageDrawStretchTest, OpaqueSurfacesAreStretchedByDirectDraw)
{
    MakeTarget(kX888, 4, 2, 0);
    Pyxo::DDImage source(mDisplay);
    const std::vector<uint32_t> pixels = {0xFFFF0000, 0xFF0000FF};
    source.SetBits(pixels.data(), 2, 1, true);
    ASSERT_TRUE(source.GenerateDDSurface());
    const int blits = Platform::DirectDrawCallCount(DirectDrawCall::Blt);
    mTarget->StretchBlt(&source, Rect(0, 0, 4, 2), Rect(0, 0, 2, 1), Rect(0, 0, 4, 2), Color::White, 0, true);
    EXPECT_EQ(Platform::DirectDrawCallCount(DirectDrawCall::Blt), blits + 1);
    EXPECT_EQ(Colors(0), (std::vector<uint32_t>{0xFF0000, 0xFF0000, 0xFF, 0xFF}));
    EXPECT_EQ(Colors(1), (std::vector<uint32_t>{0xFF0000, 0xFF0000, 0xFF, 0xFF}));

    // A colour needs the software loops.
    MakeTarget(kX888, 2, 1, 0);
    mTarget->StretchBlt(&source, Rect(0, 0, 2, 1), Rect(0, 0, 2, 1), Rect(0, 0, 2, 1), Color(255, 0, 0), 0, true);
    EXPECT_EQ(Platform::DirectDrawCallCount(DirectDrawCall::Blt), blits + 1);
    EXPECT_EQ(Colors(0), (std::vector<uint32_t>{0xFE0000, 0}));
}

// Without fast stretching the source is resampled by area into an image of the destination's size, which the
// plain blit then draws.
TEST_F(DDImageDrawStretchTest, FilteredStretchAveragesTheFootprint)
{
    struct Case {
        Format format;
        uint32_t grey;
    };
    for (const Case& c : {Case{kX888, 0x808080}, Case{k565, 0x8410}}) {
        SCOPED_TRACE(c.format.name);
        auto source = Source(2, 1, {0xFF000000, 0xFFFFFFFF});
        MakeTarget(c.format, 3, 1, 0);
        mTarget->StretchBlt(source.get(), Rect(1, 0, 1, 1), Rect(0, 0, 2, 1), Rect(0, 0, 3, 1), Color::White, 0, false);
        EXPECT_EQ(Colors(0), (std::vector<uint32_t>{0, c.grey, 0}));
    }

    // Transparent pixels keep the target as it is; a half-covered footprint keeps its colour at half alpha.
    auto source = Source(2, 1, {0x00FFFFFF, 0xFFFF0000});
    MakeTarget(kX888, 4, 1, 0xFF);
    mTarget->StretchBlt(source.get(), Rect(0, 0, 4, 1), Rect(0, 0, 2, 1), Rect(0, 0, 4, 1), Color::White, 0, false);
    EXPECT_EQ(Colors(0), (std::vector<uint32_t>{0xFF, 0xFF, 0xFF0000, 0xFF0000}));
    mTarget->StretchBlt(source.get(), Rect(0, 0, 1, 1), Rect(0, 0, 2, 1), Rect(0, 0, 4, 1), Color::White, 0, false);
    EXPECT_EQ(Colors(0)[0], 0x7F007Eu);
}

// Targets with transparency or partial alpha are drawn by the memory image on their bits, fast or filtered.
TEST_F(DDImageDrawStretchTest, TranslucentTargetsStretchOnTheirBits)
{
    ASSERT_EQ(StartWindowed(), Pyxo::DDInterface::RESULT_OK);
    auto source = Source(2, 1, {0x00FFFFFF, 0xFFFF0000});
    for (const uint32_t first : {0x00000000u, 0x80000000u}) {
        for (const bool fast : {false, true}) {
            SCOPED_TRACE(fast);
            Pyxo::DDImage target(mDisplay);
            const std::vector<uint32_t> pixels = {first, 0xFF000000};
            target.SetBits(pixels.data(), 2, 1, true);
            target.StretchBlt(source.get(), Rect(0, 0, 2, 1), Rect(0, 0, 2, 1), Rect(0, 0, 2, 1), Color::White, 0,
                              fast);
            EXPECT_EQ(target.mSurface, nullptr);
            ASSERT_NE(target.mBits, nullptr);
            EXPECT_NE(target.mBits[1], 0xFF000000u) << "drawn on the bits";
        }
    }
}

// A memory image has no surface: it takes the same samples and draws them with its own blit, which must leave the
// pixels the surface loops leave.
TEST_F(DDImageDrawStretchTest, AMemoryImageMirrorsAsASurfaceImageDoes)
{
    const std::vector<uint32_t> four = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    const std::vector<uint32_t> three = {0xFF102030, 0xFF405060, 0xFF708090};
    struct Case {
        const char* name;
        int width, height;
        const std::vector<uint32_t>& pixels;
        Rect dest, src, clip;
        Color color;
        int mode;
    };
    const std::vector<uint32_t> translucent = {0x80FF0000, 0x00FFFFFF, 0x40FF8000, 0xFF00FF00};
    const Case cases[] = {
        {"doubled", 2, 2, four, Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 4, 4), Color::White, 0},
        {"same size", 2, 2, four, Rect(1, 1, 2, 2), Rect(0, 0, 2, 2), Rect(0, 0, 4, 4), Color::White, 0},
        {"shrunk", 3, 1, three, Rect(0, 0, 2, 3), Rect(0, 0, 3, 1), Rect(0, 0, 4, 4), Color::White, 0},
        // No pixel centre falls on a texel edge: there the surface's two triangles may round either way.
        {"three columns onto four", 3, 1, three, Rect(0, 0, 4, 2), Rect(0, 0, 3, 1), Rect(0, 0, 4, 4), Color::White, 0},
        {"cut at both edges", 2, 2, four, Rect(-1, 0, 6, 4), Rect(0, 0, 2, 2), Rect(0, 0, 3, 4), Color::White, 0},
        {"part of the source", 3, 1, three, Rect(0, 0, 4, 2), Rect(1, 0, 2, 1), Rect(0, 0, 4, 4), Color::White, 0},
        {"translucent", 2, 2, translucent, Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 4, 4), Color::White, 0},
        {"added", 2, 2, translucent, Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 4, 4), Color::White, 1},
        {"tinted", 2, 2, four, Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 4, 4), Color(0, 255, 128), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto source = Source(c.width, c.height, c.pixels);
        MakeTarget(kX888, 4, 4, 0x203040);
        mTarget->StretchBltMirrored(source.get(), c.dest, c.src, c.clip, c.color, c.mode, true);
        Pyxo::MemoryImage memory(mApp.get());
        const std::vector<uint32_t> before(16, 0xFF203040);
        memory.SetBits(before.data(), 4, 4, true);
        memory.StretchBltMirrored(source.get(), c.dest, c.src, c.clip, c.color, c.mode, false);
        // Blending and tinting use the memory image's own arithmetic, which may round a channel the other way.
        const int tolerance = c.pixels == translucent || c.color.mGreen != 255 || c.color.mBlue != 255 ? 1 : 0;
        const uint32_t* bits = memory.GetBits();
        for (int y = 0; y < 4; ++y) {
            const std::vector<uint32_t> surface = Colors(y);
            for (int x = 0; x < 4; ++x) {
                for (int shift : {16, 8, 0}) {
                    const int a = int(bits[y * 4 + x] >> shift & 0xFF);
                    const int b = int(surface[size_t(x)] >> shift & 0xFF);
                    EXPECT_LE(std::abs(a - b), tolerance) << "(" << x << ", " << y << ") shift " << shift;
                }
            }
        }
    }
}

} // namespace
