// Cursor calls made off the main thread (the resource-loading thread selects the engine's cursor) reach the
// window on the main thread, at its next update.
#include "shell/WidgetManager.h"
#include "tests/SuiteLabels.h"
#include "tests/shell/PyxoAppBaseTestApp.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using PyxoTest::AppFixture;
using PyxoTest::TestApp;

using AppCursors = AppFixture;

ILVANE_THREADED_SUITE(AppCursors);

TEST_F(AppCursors, CallsFromAnotherThreadWaitForTheMainThread)
{
    TestApp& app = MakeApp();
    app.Init();
    Pyxo::Image* const image = nullptr;
    std::thread loader([&] {
        app.SetCursorImage(12, image);
        app.EnableCustomCursors(true);
        app.SetCursor(12);
    });
    loader.join();
    EXPECT_EQ(app.mCursorNumber, 0) << "nothing changes off the main thread";
    EXPECT_FALSE(app.mCustomCursors);

    app.mWidgetManager->UpdateFrame();
    EXPECT_EQ(app.mCursorNumber, 12);
    EXPECT_TRUE(app.mCustomCursors);

    app.SetCursor(3);
    EXPECT_EQ(app.mCursorNumber, 3) << "on the main thread at once";
}

} // namespace
