// The 15-bit generator that code dividing a draw by 32767 uses.
#include "shell/Random15.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Random15, DrawsSpanZeroTo32767AndRepeatForASeed)
{
    Pyxo::Random15 generator(42);
    int lowest = Pyxo::Random15::kMax;
    int highest = 0;
    std::vector<int> first;
    for (int i = 0; i < 400000; ++i) {
        const int draw = generator.Next();
        ASSERT_GE(draw, 0);
        ASSERT_LE(draw, Pyxo::Random15::kMax);
        lowest = std::min(lowest, draw);
        highest = std::max(highest, draw);
        if (i < 8)
            first.push_back(draw);
    }
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, Pyxo::Random15::kMax);

    generator.Seed(42);
    for (const int expected : first)
        EXPECT_EQ(generator.Next(), expected);
    Pyxo::Random15 other(43);
    EXPECT_NE(other.Next(), first[0]) << "neighbouring seeds start apart";
}

} // namespace
