#include "graphics/raster/TriangleClipper.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace Raster;

namespace {

TriVertex At(float x, float y, uint32_t color = 0)
{
    return {x, y, x / 10.0f, y / 10.0f, color};
}

bool BitEqual(const TriVertex& a, const TriVertex& b)
{
    return std::memcmp(&a, &b, sizeof(TriVertex)) == 0;
}

} // namespace

TEST(TriangleClipper, TriangleInsideComesBackAsItsOwnVertices)
{
    const TriVertex a = At(1, 1), b = At(5, 1), c = At(0, 10); // c lies on the left and bottom bounds
    ClipVertexPool pool;
    const ClipPolygon polygon = ClipTriangleToRect(a, b, c, {0, 5, 0, 10}, pool);
    ASSERT_EQ(polygon.count, 3);
    EXPECT_EQ(polygon.vertices[0], &a);
    EXPECT_EQ(polygon.vertices[1], &b);
    EXPECT_EQ(polygon.vertices[2], &c);
    EXPECT_EQ(pool.count, 0);
}

TEST(TriangleClipper, CutsAtTheRightBoundInTheTrianglesWinding)
{
    const TriVertex p0 = At(0, 0), p1 = At(10, 0, 0xFF000000), p2 = At(0, 10, 0x00FFFFFF);
    const ClipBounds bounds{0, 5, 0, 10};
    ClipVertexPool pool;
    const ClipPolygon polygon = ClipTriangleToRect(p0, p1, p2, bounds, pool);
    ASSERT_EQ(polygon.count, 4);
    EXPECT_EQ(polygon.vertices[0], &p0);
    EXPECT_EQ(polygon.vertices[3], &p2);
    const TriVertex c1 = *polygon.vertices[1];
    const TriVertex c2 = *polygon.vertices[2];
    EXPECT_EQ(c1.x, 5.0f);
    EXPECT_EQ(c1.y, 0.0f);
    EXPECT_EQ(c1.u, 0.5f);
    EXPECT_EQ(c2.x, 5.0f);
    EXPECT_EQ(c2.y, 5.0f);
    // Half-way between 0xFF000000 and 0x00FFFFFF, each channel truncated.
    EXPECT_EQ(c2.color, 0x7F7F7F7Fu);

    // The opposite winding cuts each edge from the same outside vertex, bit for bit alike.
    ClipVertexPool otherPool;
    const ClipPolygon reversed = ClipTriangleToRect(p0, p2, p1, bounds, otherPool);
    ASSERT_EQ(reversed.count, 4);
    EXPECT_TRUE(BitEqual(*reversed.vertices[2], c2));
    EXPECT_TRUE(BitEqual(*reversed.vertices[3], c1));
}

TEST(TriangleClipper, NothingLeftOutsideAnyEdge)
{
    const ClipBounds bounds{0, 10, 0, 10};
    struct Case {
        const char* name;
        TriVertex a, b, c;
    };
    const Case cases[] = {
        {"left", At(-3, 0), At(-1, 5), At(-2, 9)},
        {"right", At(11, 0), At(12, 5), At(10.5f, 9)},
        {"above", At(0, -1), At(5, -2), At(9, -0.5f)},
        {"below", At(0, 11), At(5, 12), At(9, 10.5f)},
        {"touching a corner only", At(-5, -5), At(0, -5), At(-5, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClipVertexPool pool;
        EXPECT_EQ(ClipTriangleToRect(c.a, c.b, c.c, bounds, pool).count, 0);
    }
    ClipVertexPool pool;
    EXPECT_EQ(ClipTriangleToRect(At(0, 0), At(1, 0), At(0, 1), {0, -1, 0, 10}, pool).count, 0)
        << "an empty clip rectangle keeps nothing";
}

TEST(TriangleClipper, TriangleOverTheWholeRectangleBecomesItsCorners)
{
    const TriVertex a = At(-50, -50), b = At(300, -50), c = At(-50, 300);
    ClipVertexPool pool;
    const ClipPolygon polygon = ClipTriangleToRect(a, b, c, {0, 99, 0, 99}, pool);
    ASSERT_EQ(polygon.count, 4);
    // In the triangle's winding, starting wherever the last pass put its first output.
    const float expected[4][2] = {{0, 0}, {99, 0}, {99, 99}, {0, 99}};
    int start = 0;
    while (start < 4 && !(std::abs(polygon.vertices[0]->x - expected[start][0]) < 1e-3f &&
                          std::abs(polygon.vertices[0]->y - expected[start][1]) < 1e-3f))
        ++start;
    ASSERT_LT(start, 4);
    for (int i = 0; i < 4; ++i) {
        const TriVertex* corner = polygon.vertices[static_cast<std::size_t>(i)];
        EXPECT_NEAR(corner->x, expected[(start + i) % 4][0], 1e-3) << i;
        EXPECT_NEAR(corner->y, expected[(start + i) % 4][1], 1e-3) << i;
        EXPECT_TRUE(corner != &a && corner != &b && corner != &c);
    }
    EXPECT_LE(pool.count, 8);
}
