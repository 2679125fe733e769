// The engine's random helpers on the shared 15-bit generator, and the particle block pool.
#include "engine/EngineRandom.h"

#include "engine/BlockPool.h"
#include "shell/Random15.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(EngineRandom, IntegersCoverTheirWholeRangeAndNothingElse)
{
    Pyxo::SeedRand15(7);
    for (const auto& [a, b] : {std::pair{3, 4}, {3, 5}, {0, 0}, {-2, 2}}) {
        SCOPED_TRACE(testing::Message() << a << ".." << b);
        std::set<int> seen;
        for (int i = 0; i < 2000; ++i) {
            const int value = RandInt(a, b);
            ASSERT_GE(value, a);
            ASSERT_LE(value, b);
            seen.insert(value);
        }
        EXPECT_EQ(seen.size(), static_cast<size_t>(b - a + 1));
    }
    EXPECT_EQ(RandInt(0, -1), 0) << "an empty range divides nothing by zero";
    EXPECT_EQ(RandInt(5, 1), 5);
}

TEST(EngineRandom, FloatsStayInTheirRange)
{
    Pyxo::SeedRand15(7);
    float lowest = 10.0f;
    float highest = -10.0f;
    for (int i = 0; i < 5000; ++i) {
        const float value = RandFloatRange(-1.5f, 2.5f);
        lowest = std::min(lowest, value);
        highest = std::max(highest, value);
    }
    EXPECT_GE(lowest, -1.5f);
    EXPECT_LE(highest, 2.5f);
    EXPECT_LT(lowest, -1.4f);
    EXPECT_GT(highest, 2.4f);
    EXPECT_EQ(RandFloatRange(3.0f, 3.0f), 3.0f);
}

TEST(BlockPool, HandsOutItsBlocksThenOverflowsToTheHeap)
{
    BlockPool pool(24, 2);
    void* first = pool.Alloc();
    void* second = pool.Alloc();
    EXPECT_NE(first, second);
    EXPECT_EQ(pool.Used(), 2u);
    EXPECT_EQ(pool.Overflow(), 0u);

    void* extra = pool.Alloc();
    EXPECT_EQ(pool.Overflow(), 1u);
    pool.Free(extra);
    EXPECT_EQ(pool.Overflow(), 0u);

    pool.Free(first);
    EXPECT_EQ(pool.Used(), 1u);
    EXPECT_EQ(pool.Alloc(), first) << "the block freed last is handed out next";
    pool.Free(first);
    pool.Free(second);
    pool.Free(second); // freed twice: ignored rather than written before the list
    pool.Free(nullptr);
    EXPECT_EQ(pool.Used(), 0u);
    EXPECT_EQ(pool.Overflow(), 0u);
}

} // namespace
