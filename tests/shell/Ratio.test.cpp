#include "shell/Ratio.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

struct RatioCase {
    int numerator, denominator;
    int reducedNumerator, reducedDenominator;
};

TEST(Ratio, SetReducesByTheGreatestCommonDivisor)
{
    const RatioCase cases[] = {
        {1280, 1024, 5, 4},
        {800, 600, 4, 3},
        {1920, 1080, 16, 9},
        {7, 5, 7, 5},
        {0, 5, 0, 1},
        {5, 0, 1, 0},
        {0, 0, 0, 0},
        {-4, 6, -2, 3},
        {4, -6, -2, 3},
        {-4, -6, 2, 3},
        {INT_MIN, -1, INT_MIN, -1},
        {INT_MIN, 0, 1, 0},
        {INT_MIN, INT_MIN, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.numerator << ":" << c.denominator);
        Pyxo::Ratio ratio;
        ratio.Set(c.numerator, c.denominator);
        EXPECT_EQ(ratio.mNumerator, c.reducedNumerator);
        EXPECT_EQ(ratio.mDenominator, c.reducedDenominator);
    }
    EXPECT_EQ(Pyxo::Ratio(), Pyxo::Ratio(3, 3));
    EXPECT_NE(Pyxo::Ratio(16, 9), Pyxo::Ratio(4, 3));
}

} // namespace
