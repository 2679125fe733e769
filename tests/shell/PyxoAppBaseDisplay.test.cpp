// Screen modes against a display that answers with scripted start-up results: Alt+Enter and maximising switch
// modes, each failing start falls back as far as it can, and a display that cannot start at all ends the
// program with a non-zero status after saying why.
#include "platform/window/MessageBox.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/WindowSystem.h"
#include "tests/shell/PyxoAppBaseTestApp.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace PyxoTest;
using namespace Platform;
using Pyxo::DDInterface;

class AppDisplay : public AppFixture {
protected:
    void AltEnter()
    {
        mApp->WindowProc(mApp->mMainWindow, WM_SYSKEYDOWN, VK_RETURN, kKeyAltDown);
        mApp->ProcessDeferredMessage(false);
    }

    std::vector<bool> StartedWindowed() const
    {
        std::vector<bool> modes;
        for (const auto& start : mApp->mStarts)
            modes.push_back(start.windowed);
        return modes;
    }
};

TEST_F(AppDisplay, AltEnterTogglesTheScreenMode)
{
    TestApp& app = MakeApp();
    app.Init();
    EXPECT_TRUE(app.mIsWindowed);
    AltEnter();
    EXPECT_FALSE(app.mIsWindowed);
    EXPECT_FALSE(app.mWindowedRequested);
    AltEnter();
    EXPECT_TRUE(app.mIsWindowed);
    EXPECT_EQ(StartedWindowed(), (std::vector<bool>{true, false, true}));
    EXPECT_TRUE(IsWindow(app.mMainWindow));
}

TEST_F(AppDisplay, MaximisingSwitchesToFullScreen)
{
    TestApp& app = MakeApp();
    app.Init();
    app.WindowProc(app.mMainWindow, WM_SIZE, SIZE_MAXIMIZED, MakeLParam(800, 600));
    app.ProcessDeferredMessage(false);
    EXPECT_FALSE(app.mIsWindowed);
}

TEST_F(AppDisplay, ADesktopTooSmallForAWindowGivesFullScreenForGood)
{
    TestApp& app = MakeApp();
    app.mWorkArea = {0, 0, 800, 600};
    app.Init();
    EXPECT_FALSE(app.mIsWindowed);
    EXPECT_TRUE(app.mWindowedImpossible);
    AltEnter();
    EXPECT_FALSE(app.mIsWindowed);
    EXPECT_EQ(StartedWindowed(), (std::vector<bool>{false}));
}

struct FallbackCase {
    const char* name;
    bool windowed;                // the mode asked for
    bool is3D;                    // the display's 3-D switch at the start
    std::vector<int> results;     // what the display's starts answer, in order
    std::vector<bool> starts;     // the modes it was started in
    bool endsWindowed;            // when the program runs on
    std::optional<int> exitCode;  // when it ends instead
    const wchar_t* message = L""; // the start of the message shown before it ends
};

TEST_F(AppDisplay, FailedStartsFallBackOrEndTheProgram)
{
    const FallbackCase cases[] = {
        {"colour depth unusable in a window",
         true,
         false,
         {DDInterface::RESULT_INVALID_COLORDEPTH},
         {true, false},
         false,
         std::nullopt},
        {"full screen refused", false, false, {DDInterface::RESULT_EXCLUSIVE_FAIL}, {false, true}, true, std::nullopt},
        {"mode change refused", false, false, {DDInterface::RESULT_DISPCHANGE_FAIL}, {false, true}, true, std::nullopt},
        {"full screen refused, then the window's depth",
         false,
         false,
         {DDInterface::RESULT_EXCLUSIVE_FAIL, DDInterface::RESULT_INVALID_COLORDEPTH},
         {false, true},
         false,
         1,
         L"Please set your desktop color depth"},
        {"3-D fails: on without it", true, true, {DDInterface::RESULT_3D_FAIL}, {true, true}, true, std::nullopt},
        {"any failure with 3-D: on without it",
         true,
         true,
         {DDInterface::RESULT_SURFACE_FAIL},
         {true, true},
         true,
         std::nullopt},
        {"3-D fails with 3-D already off",
         true,
         false,
         {DDInterface::RESULT_3D_FAIL},
         {true},
         false,
         1,
         L"Failed to initialize DirectDraw: "},
        {"no display at all",
         true,
         false,
         {DDInterface::RESULT_DD_CREATE_FAIL},
         {true},
         false,
         1,
         L"Failed to initialize DirectDraw: "},
        {"without 3-D it fails too",
         true,
         true,
         {DDInterface::RESULT_3D_FAIL, DDInterface::RESULT_FAIL},
         {true, true},
         false,
         1,
         L"Failed to initialize DirectDraw: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        {
            // The previous case's application goes first, with its question at exit answered.
            MessageBoxScript exitBoxes({IDYES});
            mApp.reset();
        }
        MessageBoxScript boxes;
        TestApp& app = MakeApp();
        app.mRegKey.clear(); // the cases must not see each other's saved screen mode
        app.mWindowedRequested = c.windowed;
        app.mInitial3D = c.is3D;
        app.mStartResults.assign(c.results.begin(), c.results.end());
        std::optional<int> exitCode;
        try {
            app.Init();
        } catch (const ExitCalled& exit) {
            exitCode = exit.code;
        }
        EXPECT_EQ(StartedWindowed(), c.starts);
        EXPECT_EQ(exitCode, c.exitCode);
        if (c.exitCode) {
            ASSERT_EQ(boxes.Calls().size(), 1u);
            EXPECT_EQ(boxes.Calls()[0].text.rfind(c.message, 0), 0u);
            EXPECT_EQ(boxes.Calls()[0].flags, MB_ICONERROR);
        } else {
            EXPECT_EQ(app.mIsWindowed, c.endsWindowed);
            EXPECT_TRUE(boxes.Calls().empty());
        }
        if (c.is3D && !c.exitCode) {
            EXPECT_FALSE(app.Is3DAccelerated());
            EXPECT_FALSE(app.mThreeDSwitchedOn) << "a fall-back, not the player's switch";
            EXPECT_TRUE(app.mDisplay->m3DMayNotHaveWorked) << "asked about at exit";
        }
    }
    MessageBoxScript exitBoxes({IDYES});
    mApp.reset();
}

TEST_F(AppDisplay, AtTheEndOneQuestionAboutHardwareAcceleration)
{
    struct Case {
        const char* name;
        bool switchedOn; // 3-D was switched on during the run, no choice stored
        bool failed;     // the display recorded that 3-D may not have worked
        int answer;
        const wchar_t* question;    // the start of the text asked, null: nothing asked
        std::optional<bool> stored; // "Is3D" afterwards
    };
    const Case cases[] = {
        {"failed, answered No", false, true, IDNO, L"Hardware Acceleration may not have been working", false},
        {"failed, answered Yes", false, true, IDYES, L"Hardware Acceleration may not have been working", std::nullopt},
        {"switched on and failed: the first question only", true, true, IDNO, L"Hardware Acceleration was switched on",
         std::nullopt},
        {"neither", false, false, IDNO, nullptr, std::nullopt},
    };
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestApp& app = MakeApp();
        app.mRegKey = "Ilvane Tests\\Question " + std::to_string(++number);
        app.Init();
        app.mDisplay->mIs3D = true;
        app.mThreeDSwitchedOn = c.switchedOn;
        app.mDisplay->m3DMayNotHaveWorked = c.failed;
        MessageBoxScript boxes({c.answer});
        app.AskHardwareAccelerationQuestions();
        if (c.question == nullptr) {
            EXPECT_TRUE(boxes.Calls().empty());
        } else {
            ASSERT_EQ(boxes.Calls().size(), 1u);
            EXPECT_EQ(boxes.Calls()[0].text.rfind(c.question, 0), 0u);
            EXPECT_EQ(boxes.Calls()[0].caption, L" Hardware Acceleration Confirmation");
            EXPECT_EQ(boxes.Calls()[0].flags, MB_YESNO | MB_ICONQUESTION);
        }
        bool value = true;
        const bool read = app.RegistryReadBoolean("Is3D", &value);
        EXPECT_EQ(read ? std::optional<bool>(value) : std::nullopt, c.stored);
    }
}

TEST_F(AppDisplay, AfterAFailedFullScreenAltEnterStaysPut)
{
    TestApp& app = MakeApp();
    app.mWindowedRequested = false;
    app.mStartResults = {DDInterface::RESULT_EXCLUSIVE_FAIL};
    app.Init();
    ASSERT_TRUE(app.mFullScreenFailed);
    AltEnter();
    EXPECT_TRUE(app.mIsWindowed);
    EXPECT_EQ(app.mStarts.size(), 2u);
}

TEST_F(AppDisplay, FullScreenFailingWhereNoWindowFitsEndsTheProgram)
{
    MessageBoxScript boxes;
    TestApp& app = MakeApp();
    app.mWorkArea = {0, 0, 800, 600};
    app.mStartResults = {DDInterface::RESULT_EXCLUSIVE_FAIL};
    try {
        app.Init();
        FAIL() << "a display that never started passed for one";
    } catch (const ExitCalled& exit) {
        EXPECT_EQ(exit.code, 1);
    }
    EXPECT_EQ(boxes.Calls().size(), 1u);
}

TEST_F(AppDisplay, LostSurfacesAreRestoredOnlyWhileActive)
{
    TestApp& app = MakeApp();
    app.Init();
    mClock.Advance(5000);
    app.mActive = false;
    app.mPresentResults = {false, false};
    app.Redraw(nullptr); // inactive: the first attempt restarts the display, then it waits to be activated
    app.Redraw(nullptr);
    EXPECT_EQ(app.mStarts.size(), 2u);
    EXPECT_TRUE(app.mSurfacesLost);
    app.mActive = true;
    app.mPresentResults = {false};
    app.Redraw(nullptr);
    EXPECT_EQ(app.mStarts.size(), 3u);
    app.Redraw(nullptr);
    EXPECT_FALSE(app.mSurfacesLost);
    EXPECT_EQ(app.mPresents, 4);
}

struct PlaceCase {
    const char* name;
    int preferredX;
    int preferredY;
    Platform::WindowPoint expected;
};

TEST_F(AppDisplay, WindowsAreCentredOrPulledInsideTheWorkArea)
{
    const Platform::WindowRect workArea{0, 30, 1280, 1024}; // 1280 x 994 below a panel
    const PlaceCase cases[] = {
        {"centred, at 38.2 % of the free height", -1, -1, {240, 30 + 150}},
        {"inside stays", 100, 200, {100, 200}},
        {"off the top left", -50, 0, {4, 34}},
        {"off the bottom right", 900, 900, {1280 - 4 - 800, 1024 - 4 - 600}},
        {"touching the margin", 476, 100, {476, 100}},
        {"one pixel into it", 477, 100, {476, 100}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Pyxo::PyxoAppBase::PlaceWindow(c.preferredX, c.preferredY, 800, 600, workArea), c.expected);
    }
}

} // namespace
