#include "graphics/raster/FixedPoint.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

using namespace Raster;

namespace {

constexpr int32_t Fx(int whole)
{
    return whole * 0x10000;
}

} // namespace

TEST(FixedPoint, RatioGoesThroughTheTruncatedReciprocal)
{
    struct Case {
        int64_t n;
        int32_t d;
        int32_t expected;
    };
    const Case cases[] = {
        {Fx(3), Fx(3), 0xFFFF}, // 2^48 / 3.0 is truncated, so 3 / 3 falls just short of 1
        {Fx(-3), Fx(3), -0x10000},
        {Fx(4), Fx(4), 0x10000},
        {Fx(5), Fx(3), 0x1AAAA},
        {Fx(1), Fx(-2), -0x8000},
        {0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.n << " / " << c.d);
        EXPECT_EQ(FxRatio(c.n, c.d), c.expected);
        EXPECT_EQ(FxEdgeSlope(static_cast<int32_t>(c.n), c.d), c.expected);
    }
}

TEST(FixedPoint, EdgeSlopeSaturatesWhereTheRatioWraps)
{
    // 19 pixels across over 1/2048 of a row: 38912 pixels per row, far beyond the 16.16 range.
    EXPECT_NE(FxRatio(0x130000, 0x20), FxEdgeSlope(0x130000, 0x20));
    EXPECT_EQ(FxEdgeSlope(0x130000, 0x20), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(FxEdgeSlope(-0x130000, 0x20), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(FxEdgeSlope(0x130000, -0x20), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(FxEdgeSlope(std::numeric_limits<int32_t>::max(), 1), std::numeric_limits<int32_t>::max());
    // A steep slope that still fits is left exact.
    EXPECT_EQ(FxEdgeSlope(Fx(32000), Fx(1)), FxRatio(Fx(32000), Fx(1)));
}

TEST(FixedPoint, MultiplyKeepsTheLow32BitsOfTheShiftedProduct)
{
    EXPECT_EQ(FxMul(Fx(3), Fx(2)), Fx(6));
    EXPECT_EQ(FxMul(-0x8000, Fx(3)), -0x18000);
    EXPECT_EQ(FxMul64(Fx(30000), Fx(30000)), int64_t{900000000} * 0x10000);
    EXPECT_EQ(FxMul(Fx(30000), Fx(30000)), WrapInt32(int64_t{900000000} * 0x10000));
}

TEST(FixedPoint, CeilAndFloor)
{
    EXPECT_EQ(Ceil16(Fx(2)), 2);
    EXPECT_EQ(Ceil16(Fx(2) + 1), 3);
    EXPECT_EQ(Ceil16(-0x8000), 0);
    EXPECT_EQ(Ceil16(Fx(-2) - 1), -2);
    EXPECT_EQ(Ceil16(std::numeric_limits<int32_t>::max()), 32768);
    EXPECT_EQ(FxFloor(0x18000), 0x10000);
    EXPECT_EQ(FxFloor(-0x8000), -0x10000);
    EXPECT_EQ(FxFloor(-0x10000), -0x10000);
}

TEST(FixedPoint, FloatConversionTruncatesTowardZeroAndSaturates)
{
    EXPECT_EQ(FloatToFx(-0.3f), -19660); // not -19661
    EXPECT_EQ(FloatToFx(1.5f), 0x18000);
    EXPECT_EQ(FloatToFx(1e20f), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(FloatToFx(-1e20f), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(FloatToFx(std::numeric_limits<float>::quiet_NaN()), 0);
}
