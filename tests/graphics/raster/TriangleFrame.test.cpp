// The scan-conversion frame that every converter shares: which pixels a triangle covers.
#include "tests/graphics/raster/RasterTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

using namespace RasterTest;

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;

// Fills with opaque white through the untextured converter, on a black canvas.
std::string Cover(std::array<TriVertexFx, 3> triangle, int width = 8, int height = 8)
{
    Canvas canvas(PixelFormat::Argb8888, width, height);
    DrawTri_8888_V(triangle.data(), canvas.Frame(), {}, {});
    EXPECT_TRUE(canvas.GuardsIntact());
    return canvas.Mask(0);
}

// Draws each triangle adding 1 to every channel, so a pixel's value counts how often it was drawn.
Canvas CountDraws(const std::vector<std::array<TriVertexFx, 3>>& triangles, int width, int height)
{
    Canvas canvas(PixelFormat::Rgb888, width, height, 0xFF000000);
    const TriScanConverter additive =
        gTriScanConverters[TriConverterIndex(false, false, true, false, false, PixelFormat::Rgb888, true)];
    for (auto triangle : triangles) {
        for (TriVertexFx& vertex : triangle) {
            // Colour 0xFF020202: an additive source of (2 × 255) >> 8 = 1 per channel.
            vertex.a = 0xFF0000;
            vertex.r = vertex.g = vertex.b = 0x20000;
        }
        additive(triangle.data(), canvas.Frame(), {}, {});
    }
    return canvas;
}

} // namespace

TEST(TriangleFrame, CoversRowsAndColumnsWhoseCentresLieInside)
{
    EXPECT_EQ(Cover({Fx(1, 1, kWhite), Fx(5.5, 3, kWhite), Fx(2, 6, kWhite)}),
              "........\n"
              "........\n" // the span of row 1 runs from 1.0 to 1.0
              "..##....\n"
              "..####..\n"
              "..###...\n"
              "..##....\n"
              "........\n" // the bottom vertex lies on row 6, which is not drawn
              "........\n");
}

TEST(TriangleFrame, TopAndLeftEdgesAreInsideBottomAndRightOutside)
{
    // A flat top on row 2 is drawn entirely by the lower part; the span 3.0 .. 7.0 draws columns 3 to 6.
    EXPECT_EQ(Cover({Fx(3, 2, kWhite), Fx(7, 2, kWhite), Fx(3, 5, kWhite)}), "........\n"
                                                                             "........\n"
                                                                             "...####.\n"
                                                                             "...###..\n"
                                                                             "...##...\n"
                                                                             "........\n"
                                                                             "........\n"
                                                                             "........\n");
}

TEST(TriangleFrame, TrianglesWithoutCoveredCentresDrawNothing)
{
    std::string blank;
    for (int y = 0; y < 8; ++y)
        blank += "........\n";
    struct Case {
        const char* name;
        std::array<TriVertexFx, 3> triangle;
    };
    const Case cases[] = {
        {"wide but between two rows", {Fx(0.5, 0.2, kWhite), Fx(10, 0.9, kWhite), Fx(3, 0.7, kWhite)}},
        {"collinear", {Fx(1, 1, kWhite), Fx(3, 3, kWhite), Fx(6, 6, kWhite)}},
        {"one point", {Fx(2, 2, kWhite), Fx(2, 2, kWhite), Fx(2, 2, kWhite)}},
        {"a sliver between two columns", {Fx(2.2, 0, kWhite), Fx(2.8, 0, kWhite), Fx(2.5, 7, kWhite)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Cover(c.triangle), blank);
    }
}

TEST(TriangleFrame, TrianglesSharingAnEdgeDrawEachPixelOnce)
{
    const std::vector<std::array<TriVertexFx, 3>> triangles = {
        {Fx(0.3, 0.7, kWhite), Fx(9.6, 1.2, kWhite), Fx(2.1, 9.9, kWhite)},
        {Fx(9.6, 1.2, kWhite), Fx(8.9, 9.3, kWhite), Fx(2.1, 9.9, kWhite)},
        {Fx(0.3, 0.7, kWhite), Fx(2.1, 9.9, kWhite), Fx(-1.0, 8.2, kWhite)},
    };
    const Canvas canvas = CountDraws(triangles, 12, 12);
    int drawn = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            const uint32_t count = canvas.At(x, y) & 0xFF;
            EXPECT_LE(count, 1u) << x << ", " << y;
            drawn += static_cast<int>(count);
        }
    EXPECT_GT(drawn, 60);
}

TEST(TriangleFrame, SpansStayWithinTheWritableColumnsAndRows)
{
    Canvas canvas(PixelFormat::Rgb565, 8, 8);
    TriFrameBuffer frame = canvas.Frame();
    frame.left = 2;
    frame.right = 5;
    frame.top = 1;
    frame.bottom = 4;
    const std::array<TriVertexFx, 3> big = {Fx(-20, -20, kWhite), Fx(40, -20, kWhite), Fx(-20, 40, kWhite)};
    DrawTri_565_V(big.data(), frame, {}, {});
    EXPECT_EQ(canvas.Mask(0), "........\n"
                              "..###...\n"
                              "..###...\n"
                              "..###...\n"
                              "........\n"
                              "........\n"
                              "........\n"
                              "........\n");
}

TEST(TriangleFrame, AnEdgeTooSteepForFixedPointStaysWithinTheTriangle)
{
    // About 1/4000 of a row tall and 19 pixels wide: the long edge's slope does not fit 16.16. Moved 10 pixels
    // right, the triangle spans columns 10 to 29; wrapped slopes would put row 1's span at columns 4 to 11.
    std::array<TriVertexFx, 3> sliver;
    sliver[0] = Fx(0, 0, kWhite);
    sliver[1] = Fx(0, 0, kWhite);
    sliver[2] = Fx(0, 0, kWhite);
    const int32_t xs[3] = {0xA0000, 0xC0000, 0x1D0000};
    const int32_t ys[3] = {0xFFF0, 0x10005, 0x10010};
    for (int i = 0; i < 3; ++i) {
        sliver[static_cast<std::size_t>(i)].x = xs[i];
        sliver[static_cast<std::size_t>(i)].y = ys[i];
    }
    const std::string mask = Cover(sliver, 32, 3);
    const std::size_t firstDrawn = mask.find('#');
    ASSERT_NE(firstDrawn, std::string::npos);
    EXPECT_EQ(mask.substr(0, 33), std::string(32, '.') + "\n");
    const std::string row1 = mask.substr(33, 32);
    EXPECT_EQ(row1.find('#'), row1.find_first_of('#', 10)) << row1;
    EXPECT_LT(row1.rfind('#'), 30u) << row1;
}
