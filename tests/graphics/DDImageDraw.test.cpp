// Fills, lines, anti-aliased lines and coverage spans drawn into a surface image's own surface, with expectations
// worked out by hand from the channel arithmetic of each format.

#include "tests/graphics/DDImageDrawTestKit.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace SurfaceDrawTest;
using Pyxo::Color;
using Pyxo::Rect;

class DDImageDrawTest : public Fixture {
protected:
    /// '#' where the target holds the value, '.' where it holds the background, '?' anywhere else.
    std::vector<std::string> Mask(uint32_t value, uint32_t background) const
    {
        std::vector<std::string> rows;
        for (int y = 0; y < mTarget->GetHeight(); ++y) {
            std::string row;
            for (int x = 0; x < mTarget->GetWidth(); ++x)
                row += At(x, y) == value ? '#' : At(x, y) == background ? '.' : '?';
            rows.push_back(row);
        }
        return rows;
    }
};

TEST_F(DDImageDrawTest, FillsBlendInEachFormatAndStayInsideTheSurface)
{
    struct Case {
        const char* name;
        Format format;
        bool additive;
        Color color;
        uint32_t before;
        uint32_t after;
    };
    const Case cases[] = {
        // Opaque: scaled+1 on 16 bits (exact), scaled on 32 bits (255 gives 254).
        {"565 white", k565, false, Color(255, 255, 255), 0, 0xFFFF},
        {"x888 white", kX888, false, Color(255, 255, 255), 0, 0xFEFEFE},
        {"555 green", k555, false, Color(0, 255, 0), 0, 0x03E0},
        {"bgr red", kBgr, false, Color(255, 0, 0), 0, 0xFE},
        {"444 white", k444, false, Color(255, 255, 255), 0, 0x0FFF},
        // Translucent: red 128 over black on 5-6-5 is ((128 + 1) x 0xF800) >> 8; blue 64 over white keeps
        // (d x 192 + M) >> 8 of each destination channel and adds 7 of blue.
        {"565 half red", k565, false, Color(255, 0, 0, 128), 0, 0x7800},
        {"565 quarter blue", k565, false, Color(0, 0, 255, 64), 0xFFFF, 0xBDFE},
        {"x888 half red", kX888, false, Color(255, 0, 0, 128), 0xFFFFFF, 0xFE7F7F},
        // Additive: (c x a) / 255 brought to the channel's bits, saturated by the display's tables.
        {"565 add white", k565, true, Color(255, 255, 255), 0xFFFF, 0xFFFF},
        {"565 add half red", k565, true, Color(255, 0, 0, 128), 0, 0x8000},
        {"x888 add", kX888, true, Color(100, 50, 25), 0xC86432, 0xFF964B},
        {"555 add", k555, true, Color(8, 8, 8), 0, 0x0421},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeTarget(c.format, 3, 3, c.before);
        // Reaches past the right and bottom edges: only the surface's pixels are drawn.
        const Rect rect(1, 1, 50, 50);
        if (c.additive)
            mTarget->AdditiveFillRect(rect, c.color);
        else
            mTarget->NormalFillRect(rect, c.color);
        EXPECT_EQ(At(1, 1), c.after);
        EXPECT_EQ(At(2, 2), c.after);
        EXPECT_EQ(At(0, 0), c.before);
        EXPECT_EQ(At(2, 0), c.before);
        EXPECT_EQ(mTarget->mLockCount, 0);
    }
}

TEST_F(DDImageDrawTest, FillsFollowThePitchOfPaddedBottomUpRows)
{
    Platform::SetSurfaceLayout({6, true}); // 32-bit rows that start off any 4-byte boundary
    MakeTarget(kX888, 4, 3, 0x123456);
    mTarget->NormalFillRect(Rect(1, 1, 2, 2), Color(0, 0, 255));
    Platform::SetSurfaceLayout({});
    EXPECT_EQ(Row(0), (std::vector<uint32_t>{0x123456, 0x123456, 0x123456, 0x123456}));
    EXPECT_EQ(Row(1), (std::vector<uint32_t>{0x123456, 0xFE, 0xFE, 0x123456}));
    EXPECT_EQ(Row(2), (std::vector<uint32_t>{0x123456, 0xFE, 0xFE, 0x123456}));
}

TEST_F(DDImageDrawTest, NoLockAndAFailingLockDrawNothing)
{
    MakeTarget(kX888, 2, 2, 0);
    mTarget->mNoLock = true;
    mTarget->NormalFillRect(Rect(0, 0, 2, 2), Color(255, 255, 255));
    mTarget->AdditiveFillRect(Rect(0, 0, 2, 2), Color(255, 255, 255));
    mTarget->NormalDrawLine(0, 0, 1, 1, Color(255, 255, 255));
    EXPECT_EQ(Row(0), (std::vector<uint32_t>{0, 0}));
    // The anti-aliased line is the one line that does not look at the flag.
    mTarget->NormalDrawLineAA(0, 0, 1, 1, Color(255, 255, 255));
    EXPECT_EQ(At(0, 0), 0xFDFDFDu);

    mTarget->mNoLock = false;
    Platform::InjectDirectDrawFailure(Platform::DirectDrawCall::Lock, Platform::DDERR_SURFACELOST, 0, 1);
    mTarget->NormalFillRect(Rect(0, 0, 2, 2), Color(255, 255, 255));
    EXPECT_EQ(At(1, 0), 0u);
    EXPECT_EQ(mTarget->mLockCount, 0);
}

TEST_F(DDImageDrawTest, LinesWalkTheMidpointPixels)
{
    struct Case {
        const char* name;
        double x1, y1, x2, y2;
        int width, height;
        std::vector<std::string> mask;
    };
    const Case cases[] = {
        {"steep", 0, 0, 1, 4, 2, 5, {"#.", "#.", "#.", ".#", ".#"}},
        {"steep, drawn backwards", 1, 4, 0, 0, 2, 5, {"#.", "#.", "#.", ".#", ".#"}},
        {"fractional end", 0, 0, 1, 3.5, 2, 5, {"#.", "#.", ".#", ".#", ".."}},
        {"flat", 0, 0, 4, 1, 5, 2, {"###..", "...##"}},
        {"falling to the left", 3, 0, 0, 2, 4, 3, {"...#", ".##.", "#..."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeTarget(kX888, c.width, c.height, 0);
        mTarget->NormalDrawLine(c.x1, c.y1, c.x2, c.y2, Color(255, 255, 255));
        EXPECT_EQ(Mask(0xFEFEFE, 0), c.mask);
    }
}

TEST_F(DDImageDrawTest, LinePixelsInEachFormat)
{
    struct Case {
        const char* name;
        Format format;
        bool additive;
        Color color;
        uint32_t before;
        uint32_t after;
    };
    const Case cases[] = {
        // Half-mask form: (c x M + M / 2) >> 8 per channel.
        {"x888 white", kX888, false, Color(255, 255, 255), 0, 0xFEFEFE},
        {"565 white", k565, false, Color(255, 255, 255), 0, 0xF7DE},
        {"555 white", k555, false, Color(255, 255, 255), 0, 0x7BDE},
        {"565 half white", k565, false, Color(255, 255, 255, 128), 0, 0x7BEF},
        {"x888 additive", kX888, true, Color(3, 4, 5), 0xFA6400, 0xFD6805},
        {"565 additive saturates", k565, true, Color(255, 255, 255), 0xFFFF, 0xFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeTarget(c.format, 2, 2, c.before);
        if (c.additive)
            mTarget->AdditiveDrawLine(0, 0, 1, 1, c.color);
        else
            mTarget->NormalDrawLine(0, 0, 1, 1, c.color);
        EXPECT_EQ(At(0, 0), c.after);
        EXPECT_EQ(At(1, 1), c.after);
        EXPECT_EQ(At(1, 0), c.before);
    }
}

TEST_F(DDImageDrawTest, LinesReachingPastTheEdgesDrawOnlyTheirInsidePixels)
{
    // The same line with whole-number end points, once inside a large surface and once over the edges of a
    // small one: the pixels that fall inside the small one are the same.
    MakeTarget(kX888, 40, 24, 0);
    mTarget->NormalDrawLine(5, 7, 30, 17, Color(255, 255, 255));
    mTarget->NormalDrawLineAA(5, 17, 30, 7, Color(255, 255, 255));
    std::vector<std::vector<uint32_t>> inside;
    for (int y = 10; y < 14; ++y) {
        std::vector<uint32_t> row = Row(y);
        inside.emplace_back(row.begin() + 10, row.begin() + 16);
    }
    MakeTarget(kX888, 6, 4, 0);
    mTarget->NormalDrawLine(-5, -3, 20, 7, Color(255, 255, 255));
    mTarget->NormalDrawLineAA(-5, 7, 20, -3, Color(255, 255, 255));
    for (int y = 0; y < 4; ++y)
        EXPECT_EQ(Row(y), inside[size_t(y)]) << y;

    // Far-off and broken end points draw nothing, and no walk runs away.
    MakeTarget(k565, 4, 4, 0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    mTarget->NormalDrawLine(-1e12, 1, 1e12, 2, Color(255, 255, 255));
    mTarget->AdditiveDrawLine(nan, 0, 3, 3, Color(255, 255, 255));
    mTarget->NormalDrawLineAA(0, 0, inf, 3, Color(255, 255, 255));
    for (int y = 0; y < 4; ++y)
        EXPECT_EQ(Row(y), (std::vector<uint32_t>(4, 0))) << y;
    // A line that leaves the surface early stops there, however far its end lies.
    mTarget->NormalDrawLine(0, 0, 1e6, 2, Color(255, 255, 255));
    mTarget->NormalDrawLineAA(3, 2, -1e6, 3, Color(255, 255, 255));
    mTarget->NormalDrawLineAA(0, 3, 1, 1e6, Color(255, 255, 255));
    EXPECT_EQ(At(0, 0), 0xF7DEu);
}

// The anti-aliased line: a 16-bit fraction picks the weight of the pixel on the line and of its neighbour one
// minor step on. Neighbours that fall outside the surface (below its last row, left of its first column) are
// dropped.
TEST_F(DDImageDrawTest, AntiAliasedLineWeightsAndEdgeNeighbours)
{
    // x-major, slope 1/2: the fraction alternates 0 and 0x8000. White is 0xFEFEFE in scaled form; weight 255
    // gives 0xFD, 127 gives 0x7E and 128 gives 0x7F per channel. The last pixel's neighbour lies below the
    // surface.
    MakeTarget(kX888, 5, 3, 0);
    mTarget->NormalDrawLineAA(0, 0, 4, 2, Color(255, 255, 255));
    EXPECT_EQ(Row(0), (std::vector<uint32_t>{0xFDFDFD, 0x7E7E7E, 0, 0, 0}));
    EXPECT_EQ(Row(1), (std::vector<uint32_t>{0, 0x7F7F7F, 0xFDFDFD, 0x7E7E7E, 0}));
    EXPECT_EQ(Row(2), (std::vector<uint32_t>{0, 0, 0, 0x7F7F7F, 0xFDFDFD}));

    // y-major stepping left from column 0: every neighbour lies before the start of its row. On 5-6-5 the
    // weights 255, 170, 85 and 0 blend white (0xF7DE in scaled form) in 5-bit steps.
    MakeTarget(k565, 3, 4, 0);
    mTarget->NormalDrawLineAA(0, 0, -1, 3, Color(255, 255, 255));
    EXPECT_EQ(Row(0), (std::vector<uint32_t>{0xEF9D, 0, 0}));
    EXPECT_EQ(Row(1), (std::vector<uint32_t>{0x9D13, 0, 0}));
    EXPECT_EQ(Row(2), (std::vector<uint32_t>{0x4A69, 0, 0}));
    EXPECT_EQ(Row(3), (std::vector<uint32_t>{0, 0, 0}));

    // Translucent colours scale the weight by (alpha + 1) / 256; other 16-bit layouts blend per channel.
    MakeTarget(kX888, 2, 2, 0);
    mTarget->NormalDrawLineAA(0, 0, 1, 1, Color(255, 255, 255, 127));
    EXPECT_EQ(At(0, 0), 0x7E7E7Eu);
    MakeTarget(k444, 2, 2, 0);
    mTarget->NormalDrawLineAA(0, 0, 1, 1, Color(255, 255, 255));
    EXPECT_EQ(At(0, 0), 0x0DDDu);
    // The additive anti-aliased line has no surface form.
    mTarget->AdditiveDrawLineAA(0, 1, 1, 0, Color(255, 255, 255));
    EXPECT_EQ(At(0, 1), 0u);
}

TEST_F(DDImageDrawTest, CoverageSpansBlendByTheirCoverage)
{
    // Weight ((coverage + 1) x alpha) >> 8 between the destination and the colour in scaled form.
    struct Case {
        const char* name;
        Format format;
        std::vector<uint32_t> row0, row1;
    };
    const Case cases[] = {
        {"x888", kX888, {0xFD0000, 0, 0x7E0000, 0xFD0000}, {0, 0x3F0000, 0xC60000, 0}},
        {"565", k565, {0xE800, 0, 0x7000, 0xE800}, {0, 0x3800, 0xB800, 0}},
    };
    const Pyxo::Span spans[] = {{0, 0, 4}, {1, 1, 2}};
    const uint8_t coverage[] = {255, 0, 127, 255, 0, 64, 200, 0};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeTarget(c.format, 4, 2, 0);
        mTarget->FillSpansWithCoverage(spans, 2, Color(255, 0, 0), 1, coverage, 0, 0, 4, 2);
        EXPECT_EQ(Row(0), c.row0);
        EXPECT_EQ(Row(1), c.row1);
        EXPECT_EQ(mTarget->mBits, nullptr) << "the surface alone holds the pixels";
    }

    // Only what lies inside both the surface and the coverage rectangle is drawn.
    MakeTarget(kX888, 4, 2, 0);
    const Pyxo::Span wide[] = {{0, 0, 40}, {1, -3, 40}, {5, 0, 4}};
    const uint8_t strip[] = {10, 255, 255, 0, 0, 0};
    mTarget->FillSpansWithCoverage(wide, 3, Color(255, 0, 0), 0, strip, 1, 0, 3, 2);
    EXPECT_EQ(Row(0), (std::vector<uint32_t>{0, 0x090000, 0xFD0000, 0xFD0000}));
    EXPECT_EQ(Row(1), (std::vector<uint32_t>{0, 0, 0, 0}));

    // An image with partial alpha has no surface: its bits take the spans, as they take fills.
    Pyxo::DDImage translucent(mDisplay);
    const std::vector<uint32_t> pixels = {0x80000000, 0x80000000};
    translucent.SetBits(pixels.data(), 2, 1, true);
    translucent.FillSpansWithCoverage(spans, 1, Color(255, 0, 0), 0, coverage, 0, 0, 4, 2);
    EXPECT_EQ(translucent.mSurface, nullptr);
    ASSERT_NE(translucent.mBits, nullptr);
    EXPECT_NE(translucent.mBits[0], 0x80000000u) << "drawn on the bits";
}

} // namespace
