#include "graphics/Rect.h"

#include "graphics/Color.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using Pyxo::Color;
using Pyxo::FRect;
using Pyxo::Rect;

TEST(Color, PacksAndUnpacksWithoutTouchingAlpha)
{
    struct Case {
        const char* name;
        Color color;
        uint32_t packed;
    };
    static constexpr int kRow[3] = {7, 8, 9};
    const Case cases[] = {
        {"default is opaque black", Color(), 0xFF000000u},
        {"three components are opaque", Color(1, 2, 3), 0xFF010203u},
        {"four components", Color(1, 2, 3, 4), 0x04010203u},
        {"a packed value with top byte 0 is invisible", Color(0x00FF0000u), 0x00FF0000u},
        {"unpacked channels", Color(0x80402010u), 0x80402010u},
        {"table row", Color(kRow), 0xFF070809u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.color.ToInt(), c.packed);
        EXPECT_EQ(Color(c.packed), c.color);
    }
    EXPECT_EQ(Color(0x00FF0000u).mAlpha, 0);
    EXPECT_NE(Color(1, 2, 3, 4), Color(1, 2, 3, 5));
}

TEST(Color, ToIntDoesNotMaskOutOfRangeComponents)
{
    // Nothing clamps the components; the packing ors them as they stand.
    EXPECT_EQ(Color(0x100, 0, 0, 0).ToInt(), 0x01000000u);
}

TEST(Rect, Intersection)
{
    struct Case {
        const char* name;
        Rect a;
        Rect b;
        Rect expected;
    };
    const Case cases[] = {
        {"inside", {0, 0, 10, 10}, {2, 2, 3, 3}, {2, 2, 3, 3}},
        {"overhang", {0, 0, 10, 10}, {8, 8, 5, 5}, {8, 8, 2, 2}},
        {"negative corner", {-5, -5, 10, 10}, {0, 0, 100, 100}, {0, 0, 5, 5}},
        {"touching keeps its position", {0, 0, 10, 10}, {10, 0, 5, 5}, {10, 0, 0, 5}},
        {"touching below", {0, 0, 10, 10}, {3, 10, 2, 2}, {3, 10, 2, 0}},
        {"apart in x", {0, 0, 10, 10}, {11, 0, 5, 5}, {0, 0, 0, 0}},
        {"apart in y", {0, 0, 10, 10}, {0, 11, 5, 5}, {0, 0, 0, 0}},
        {"negative size", {0, 0, -3, 10}, {0, 0, 10, 10}, {0, 0, 0, 0}},
        {"near the right limit", {INT_MAX - 128, 0, 200, 10}, {0, 0, INT_MAX, 10}, {INT_MAX - 128, 0, 128, 10}},
        {"near the bottom limit", {0, INT_MAX - 5, 10, 200}, {0, 0, 800, INT_MAX}, {0, INT_MAX - 5, 10, 5}},
        {"near the left limit",
         {INT_MIN, INT_MIN, 10, 10},
         {INT_MIN + 5, INT_MIN + 5, 10, 10},
         {INT_MIN + 5, INT_MIN + 5, 5, 5}},
        {"both past the limit", {INT_MAX - 10, 0, 100, 10}, {INT_MAX - 20, 0, 100, 10}, {INT_MAX - 10, 0, 10, 10}},
        {"ends just below zero", {INT_MIN, 0, INT_MAX, 1}, {-10, 0, INT_MAX, 1}, {-10, 0, 9, 1}},
        {"far apart", {INT_MIN, 0, 10, 10}, {INT_MAX - 10, 0, 100, 10}, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.a.Intersection(c.b), c.expected);
        EXPECT_EQ(c.b.Intersection(c.a), c.expected);
    }
}

TEST(FRect, IntersectionInDoublePrecision)
{
    EXPECT_EQ(FRect(0.5, 0.25, 10, 10).Intersection(FRect(2.75, -1, 3, 3)), FRect(2.75, 0.25, 3, 1.75));
    EXPECT_EQ(FRect(0, 0, 1, 1).Intersection(FRect(1, 0, 1, 1)), FRect(1, 0, 0, 1));
    EXPECT_EQ(FRect(0, 0, 1, 1).Intersection(FRect(1.5, 0, 1, 1)), FRect(0, 0, 0, 0));
    EXPECT_EQ(FRect(0, 0, 1, 1).Intersection(FRect(0, 1.001, 1, 1)), FRect(0, 0, 0, 0));
}

} // namespace
