#include "platform/window/DesktopDisplay.h"

#include "platform/window/VideoSystem.h"

#include <gtest/gtest.h>

namespace {

using namespace Platform;

// SDL's dummy driver offers one desktop of 1024 x 768 in 32-bit colour.
TEST(DesktopDisplay, DescribesTheDesktopAsTheScreenModeCodeCountsIt)
{
    const auto desktop = GetDesktopMode();
    ASSERT_TRUE(desktop) << VideoError();
    EXPECT_EQ(desktop->width, 1024);
    EXPECT_EQ(desktop->height, 768);
    EXPECT_EQ(desktop->bitsPerPixel, 32) << "8-bit channels count as 32 bits, padding included";
    EXPECT_EQ(desktop->redMask, 0x00FF0000u);
    EXPECT_EQ(desktop->greenMask, 0x0000FF00u);
    EXPECT_EQ(desktop->blueMask, 0x000000FFu);

    EXPECT_TRUE(HasDisplayMode(1024, 768));
    EXPECT_FALSE(HasDisplayMode(800, 600));

    const auto area = GetWorkArea();
    ASSERT_TRUE(area);
    EXPECT_EQ(*area, (WindowRect{0, 0, 1024, 768}));
}

TEST(DesktopDisplay, ScreenSaverIsRefusedUntilAllowed)
{
    AllowScreenSaver(false);
    EXPECT_FALSE(IsScreenSaverAllowed());
    AllowScreenSaver(true);
    EXPECT_TRUE(IsScreenSaverAllowed());
    AllowScreenSaver(false);
    EXPECT_FALSE(IsScreenSaverAllowed());
}

} // namespace
