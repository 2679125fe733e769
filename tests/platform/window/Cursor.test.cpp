#include "platform/window/Cursor.h"

#include "platform/window/VideoSystem.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace Platform;

TEST(Cursor, SystemCursorsAreSharedAndTheArrowComesFirst)
{
    const CursorHandle arrow = LoadSystemCursor(SystemCursor::Arrow);
    EXPECT_TRUE(arrow);
    EXPECT_EQ(LoadSystemCursor(SystemCursor::Arrow), arrow);
    EXPECT_NE(LoadSystemCursor(SystemCursor::Hand), arrow);
    EXPECT_FALSE(DestroyCursor(arrow)) << "system cursors are never destroyed";
}

TEST(Cursor, CustomCursorsCheckTheirPixels)
{
    const std::vector<uint32_t> pixels(32 * 32, 0xFF000000u);
    struct Case {
        const char* name;
        int width, height, hotX, hotY;
        size_t count;
        bool valid;
    };
    const Case cases[] = {
        {"32 x 32 with the hot spot inside", 32, 32, 11, 4, 32 * 32, true},
        {"hot spot in the last pixel", 32, 32, 31, 31, 32 * 32, true},
        {"hot spot outside", 32, 32, 32, 0, 32 * 32, false},
        {"negative hot spot", 32, 32, 0, -1, 32 * 32, false},
        {"too few pixels", 32, 32, 0, 0, 32 * 32 - 1, false},
        {"empty", 0, 32, 0, 0, 32 * 32, false},
        {"too large", 1024, 1, 0, 0, 32 * 32, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CursorHandle cursor =
            CreateCursorFromArgb(c.width, c.height, std::span(pixels.data(), c.count), c.hotX, c.hotY);
        EXPECT_EQ(static_cast<bool>(cursor), c.valid);
        if (cursor) {
            EXPECT_TRUE(DestroyCursor(cursor));
        }
    }
}

TEST(Cursor, SetCursorReturnsThePreviousAndSurvivesItsDestruction)
{
    ASSERT_TRUE(EnsureVideo()) << VideoError(); // the dummy driver draws no cursors; handles work all the same
    const CursorHandle arrow = LoadSystemCursor(SystemCursor::Arrow);
    const CursorHandle hand = LoadSystemCursor(SystemCursor::Hand);
    SetCursor(arrow);
    EXPECT_EQ(SetCursor(hand), arrow);
    EXPECT_EQ(GetCursor(), hand);
    EXPECT_EQ(SetCursor(CursorHandle{}), hand) << "null hides the pointer";
    EXPECT_FALSE(GetCursor());
    EXPECT_EQ(SetCursor(CursorHandle{987654}), CursorHandle{}) << "an unknown handle changes nothing";
    EXPECT_FALSE(GetCursor());

    const std::vector<uint32_t> pixels(4, 0xFFFFFFFFu);
    const CursorHandle custom = CreateCursorFromArgb(2, 2, pixels, 0, 0);
    ASSERT_TRUE(custom);
    SetCursor(custom);
    EXPECT_TRUE(DestroyCursor(custom));
    EXPECT_EQ(GetCursor(), arrow) << "the arrow replaces a destroyed cursor in use";
    EXPECT_FALSE(DestroyCursor(custom));
}

TEST(Cursor, DisplayCounterCountsShowsAndHides)
{
    const int start = ShowCursor(true) - 1;
    EXPECT_EQ(ShowCursor(false), start);
    EXPECT_EQ(ShowCursor(false), start - 1);
    EXPECT_EQ(ShowCursor(true), start);
}

} // namespace
