#include "graphics/DDInterface.h"

#include "graphics/D3DInterface.h"
#include "graphics/D3DTester.h"
#include "graphics/DDImage.h"
#include "graphics/MemoryImage.h"
#include "platform/window/WindowSystem.h"
#include "tests/graphics/DisplayTestKit.h"

#include <gtest/gtest.h>

namespace {

using namespace Platform;
using DisplayTest::Desktop;
using Pyxo::DDInterface;
using Pyxo::Rect;

class DDInterfaceTest : public DisplayTest::DisplayFixture {};

TEST_F(DDInterfaceTest, PixelFormatAndTablesFollowTheDesktop)
{
    struct Case {
        const char* name;
        PixelFormat format;
        int shifts[3];
        int bits[3];
        int red255;
        int red128;
        bool rgbOrder;
    };
    const Case cases[] = {
        {"x888", kFormatX888, {16, 8, 0}, {8, 8, 8}, 0xFF0000, 0x800000, true},
        {"565", kFormat565, {11, 5, 0}, {5, 6, 5}, 0xF800, 0x7800, true},
        {"555", kFormat555, {10, 5, 0}, {5, 5, 5}, 0x7C00, 0x3C00, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(StartWindowed(c.format), DDInterface::RESULT_OK) << mDisplay->mErrorString;
        EXPECT_EQ(mDisplay->mRGBBits, static_cast<int>(c.format.rgbBitCount));
        EXPECT_EQ(mDisplay->mRedShift, c.shifts[0]);
        EXPECT_EQ(mDisplay->mGreenShift, c.shifts[1]);
        EXPECT_EQ(mDisplay->mBlueShift, c.shifts[2]);
        EXPECT_EQ(mDisplay->mRedBits, c.bits[0]);
        EXPECT_EQ(mDisplay->mGreenBits, c.bits[1]);
        EXPECT_EQ(mDisplay->mBlueBits, c.bits[2]);
        EXPECT_EQ(mDisplay->mRedAddTable.size(), size_t(2 * ((1 << c.bits[0]) - 1) + 1));
        EXPECT_EQ(mDisplay->mGreenAddTable.back(), (1 << c.bits[1]) - 1);
        EXPECT_EQ(mDisplay->mRedConvTable[255], c.red255);
        EXPECT_EQ(mDisplay->mRedConvTable[128], c.red128);
        EXPECT_EQ(Pyxo::gDisplayRGBOrder.load(), c.rgbOrder);
        ASSERT_NE(mDisplay->GetScreenImage(), nullptr);
        EXPECT_EQ(mDisplay->GetScreenImage()->GetWidth(), 800);
        EXPECT_TRUE(mDisplay->mInitialized);
    }
}

// Every set-up step that can fail gives its result code and names the step and the error.
TEST_F(DDInterfaceTest, SetUpFailuresGiveTheirResultCodes)
{
    struct Case {
        const char* name;
        bool windowed;
        DirectDrawCall call;
        int skip;
        int expected;
        const char* text;
    };
    const Case cases[] = {
        {"create", true, DirectDrawCall::DirectDrawCreateEx, 0, 2, "DirectDrawCreateEx: DDERR_NODIRECTDRAWHW"},
        {"windowed primary", true, DirectDrawCall::CreateSurface, 0, 3,
         "CreateSurface Windowed Primary: DDERR_NODIRECTDRAWHW"},
        {"windowed draw surface", true, DirectDrawCall::CreateSurface, 1, 3,
         "CreateSurface Windowed DrawSurface: DDERR_NODIRECTDRAWHW"},
        {"windowed clipper", true, DirectDrawCall::CreateClipper, 0, 1, "CreateClipper Windowed: DDERR_NODIRECTDRAWHW"},
        {"old cursor area", true, DirectDrawCall::CreateSurface, 2, 3,
         "CreateSurface OldCursorArea: DDERR_NODIRECTDRAWHW"},
        {"new cursor area", true, DirectDrawCall::CreateSurface, 3, 3,
         "CreateSurface NewCursorArea: DDERR_NODIRECTDRAWHW"},
        {"exclusive", false, DirectDrawCall::SetCooperativeLevel, 0, 4,
         "SetCooperativeLevel FullScreen: DDERR_NODIRECTDRAWHW"},
        {"display mode", false, DirectDrawCall::SetDisplayMode, 0, 5,
         "SetDisplayMode FullScreen: DDERR_NODIRECTDRAWHW"},
        {"full-screen primary", false, DirectDrawCall::CreateSurface, 0, 3,
         "CreateSurface FullScreen Primary: DDERR_NODIRECTDRAWHW"},
        {"back buffer", false, DirectDrawCall::GetAttachedSurface, 0, 3, "GetAttachedSurface: DDERR_NODIRECTDRAWHW"},
        {"full-screen draw surface", false, DirectDrawCall::CreateSurface, 1, 3,
         "CreateSurface FullScreen DrawSurface: DDERR_NODIRECTDRAWHW"},
        {"full-screen clipper", false, DirectDrawCall::CreateClipper, 0, 1,
         "CreateClipper FullScreen: DDERR_NODIRECTDRAWHW"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mDisplay->Cleanup(); // so that the calls counted are those of the start
        ResetDirectDrawEmulation();
        SetEmulatedDesktop(Desktop(1024, 768, kFormatX888));
        InjectDirectDrawFailure(c.call, DDERR_NODIRECTDRAWHW, c.skip, 1);
        EXPECT_EQ(mDisplay->Init(WindowHandle{}, c.windowed), c.expected);
        EXPECT_EQ(mDisplay->mErrorString, c.text);
        EXPECT_FALSE(mDisplay->mInitialized);
        EXPECT_FALSE(mDisplay->Redraw());
    }
    // Each failed start left surfaces behind; the next start releases them all before it makes new ones.
    ResetDirectDrawEmulation();
    SetEmulatedDesktop(Desktop(1024, 768, kFormatX888));
    ASSERT_EQ(mDisplay->Init(WindowHandle{}, true), DDInterface::RESULT_OK);
    const int live = LiveDirectDrawSurfaceCount();
    ASSERT_EQ(mDisplay->Init(WindowHandle{}, true), DDInterface::RESULT_OK);
    EXPECT_EQ(LiveDirectDrawSurfaceCount(), live);
    EXPECT_EQ(LiveDirectDrawCount(), 1);
}

TEST_F(DDInterfaceTest, ColourDepthsThatCannotBeShownGiveResultSixWithAReason)
{
    for (int bits : {8, 24}) {
        SCOPED_TRACE(bits);
        PixelFormat format = bits == 8 ? PixelFormat{DDPF_RGB | DDPF_PALETTEINDEXED8, 8, 0, 0, 0, 0}
                                       : PixelFormat{DDPF_RGB, 24, 0xFF0000, 0xFF00, 0xFF, 0};
        SetEmulatedDesktop(Desktop(1024, 768, format));
        EXPECT_EQ(mDisplay->Init(WindowHandle{}, true), DDInterface::RESULT_INVALID_COLORDEPTH);
        EXPECT_EQ(DDInterface::ResultToString(DDInterface::RESULT_INVALID_COLORDEPTH), "RESULT_INVALID_COLORDEPTH");
        EXPECT_EQ(mDisplay->mErrorString, "CreateSurface Windowed Primary: DDERR_INVALIDPIXELFORMAT");
    }
}

TEST_F(DDInterfaceTest, ThreeDSetUpFailureIsCodeSevenWithoutAName)
{
    mApp->mTest3D = false;
    mApp->mAutoEnable3D = false;
    mDisplay->mIs3D = true;
    InjectDirectDrawFailure(DirectDrawCall::CreateDevice, DDERR_OUTOFVIDEOMEMORY, 0, 1);
    EXPECT_EQ(StartWindowed(), DDInterface::RESULT_3D_FAIL);
    EXPECT_EQ(mDisplay->mErrorString, "3D init error: CreateDevice IID_IDirect3DHALDevice: DDERR_OUTOFVIDEOMEMORY");
    EXPECT_EQ(DDInterface::ResultToString(DDInterface::RESULT_3D_FAIL), "RESULT_UNKNOWN");
    EXPECT_EQ(StartWindowed(), DDInterface::RESULT_OK) << "the device comes up once it can be made";

    // A capability test that fails switches 3-D off before the set-up; the display keeps its tester.
    mApp->mTest3D = true;
    SetEmulatedVideoMemory({1u << 20, 1u << 20});
    SetEmulatedDesktop(Desktop(640, 480, kFormat565));
    EXPECT_EQ(mDisplay->Init(WindowHandle{}, true), DDInterface::RESULT_OK);
    EXPECT_FALSE(mDisplay->mIs3D);
    ASSERT_NE(mDisplay->mD3DTester, nullptr);
    EXPECT_EQ(mDisplay->mD3DTester->mFailureReason, "Not enough video memory.");
    EXPECT_FALSE(mApp->Is3DSupported());
    EXPECT_FALSE(mApp->Is3DRecommended());
}

TEST_F(DDInterfaceTest, RefreshRateIsKeptWithinSixtyToOneHundred)
{
    struct Case {
        int reported;
        int rate;
        int period;
        bool substituted;
    };
    const Case cases[] = {{0, 60, 16, true}, {59, 60, 16, true}, {120, 100, 10, true}, {75, 75, 13, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reported);
        mApp->mRefreshRateSubstituted = false;
        SetEmulatedDesktop(Desktop(1024, 768, kFormatX888, c.reported));
        ASSERT_EQ(mDisplay->Init(WindowHandle{}, true), DDInterface::RESULT_OK);
        EXPECT_EQ(mDisplay->mRefreshRate, c.rate);
        EXPECT_EQ(mDisplay->mMillisecondsPerFrame.load(), c.period);
        EXPECT_EQ(mApp->mRefreshRateSubstituted, c.substituted);
    }
}

TEST_F(DDInterfaceTest, AspectCorrectionPlacesThePresentation)
{
    // A 16:9 window over an 800 x 600 screen, centred or stretched.
    mApp->mEnableWindowAspect = true;
    mApp->mWindowAspect = Pyxo::Ratio(16, 9);
    ASSERT_EQ(StartWindowed(), DDInterface::RESULT_OK);
    EXPECT_EQ(mDisplay->mDisplayWidth, 1066);
    EXPECT_EQ(mDisplay->mPresentationRect, Rect(133, 0, 800, 600));
    mApp->mWidescreenAware = true;
    ASSERT_EQ(StartWindowed(), DDInterface::RESULT_OK);
    EXPECT_EQ(mDisplay->mWidth, 1066);
    EXPECT_EQ(mDisplay->mPresentationRect, Rect(0, 0, 1066, 600));

    // Full screen with 3-D on a 5:4 desktop: the mode is the desktop's.
    mApp->mEnableWindowAspect = false;
    mApp->mWidescreenAware = false;
    mApp->mTest3D = false;
    SetEmulatedDesktop(Desktop(1280, 1024, kFormatX888));
    mDisplay->mIs3D = true;
    EXPECT_EQ(mDisplay->Init(WindowHandle{}, false), DDInterface::RESULT_OK);
    EXPECT_EQ(mDisplay->mDisplayWidth, 1280);
    EXPECT_EQ(mDisplay->mPresentationRect, Rect(-42, 0, 1365, 1024));
    mApp->mWidescreenAware = true;
    EXPECT_EQ(mDisplay->Init(WindowHandle{}, false), DDInterface::RESULT_OK);
    EXPECT_EQ(mDisplay->mWidth, 750);
    EXPECT_EQ(mDisplay->mPresentationRect, Rect(0, 0, 1280, 1024));
}

// The window grows to the wider aspect around its client area, so that it shows the whole presentation.
TEST_F(DDInterfaceTest, AspectCorrectionResizesTheWindow)
{
    RegisterWindowClass("AspectTest", [](WindowHandle, uint32_t, uintptr_t, intptr_t) -> intptr_t { return 0; });
    struct Case {
        const char* name;
        int x;
        int y;
        WindowPoint expected; // client origin afterwards
    };
    const Case cases[] = {
        {"grown evenly on both sides", 300, 100, {167, 100}},
        {"kept on the desktop", 50, 0, {0, 0}},
    };
    mApp->mEnableWindowAspect = true;
    mApp->mWindowAspect = Pyxo::Ratio(16, 9);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowCreateInfo info;
        info.className = "AspectTest";
        info.x = c.x;
        info.y = c.y;
        info.width = 800;
        info.height = 600;
        const WindowHandle window = CreateWindow(info);
        ASSERT_TRUE(window);
        SetEmulatedDesktop(Desktop(1920, 1080, kFormatX888));
        ASSERT_EQ(mDisplay->Init(window, true), DDInterface::RESULT_OK) << mDisplay->mErrorString;
        EXPECT_EQ(GetClientRect(window), (WindowRect{0, 0, 1066, 600}));
        WindowPoint origin{0, 0};
        ASSERT_TRUE(ClientToScreen(window, origin));
        EXPECT_EQ(origin.x, c.expected.x);
        EXPECT_EQ(origin.y, c.expected.y);
        EXPECT_EQ(mDisplay->mPresentationRect, Rect(133, 0, 800, 600));
        mDisplay->Cleanup();
        DestroyWindow(window);
    }
}

TEST_F(DDInterfaceTest, RedrawPresentsTheDrawSurfaceOnThePrimary)
{
    EXPECT_FALSE(mDisplay->Redraw()) << "nothing to present before the set-up";
    ASSERT_EQ(StartWindowed(), DDInterface::RESULT_OK);
    mDisplay->mDrawSurface->SetPixelAt(0, 0, 0x112233);
    mDisplay->mDrawSurface->SetPixelAt(799, 599, 0x445566);
    mDisplay->mDrawSurface->SetPixelAt(10, 10, 0x778899);
    const Rect part(0, 0, 5, 5);
    ASSERT_TRUE(mDisplay->Redraw(&part));
    EXPECT_EQ(mDisplay->mPrimarySurface->PixelAt(0, 0), 0x112233u);
    EXPECT_EQ(mDisplay->mPrimarySurface->PixelAt(10, 10), 0u) << "only the rectangle";
    ASSERT_TRUE(mDisplay->Redraw());
    EXPECT_EQ(mDisplay->mPrimarySurface->PixelAt(799, 599), 0x445566u);
    EXPECT_EQ(mDisplay->mPrimarySurface->PixelAt(10, 10), 0x778899u);

    InjectDirectDrawFailure(DirectDrawCall::Blt, DDERR_SURFACELOST, 0, 1);
    EXPECT_FALSE(mDisplay->Redraw());
    EXPECT_EQ(mDisplay->mErrorString, "Redraw Windowed: DDERR_SURFACELOST");
}

TEST_F(DDInterfaceTest, FullScreenFlipsOrBlitsTheFrame)
{
    SetEmulatedDesktop(Desktop(1024, 768, kFormat565));
    mApp->mColorDepth = 16;
    ASSERT_EQ(mDisplay->Init(WindowHandle{}, false), DDInterface::RESULT_OK) << mDisplay->mErrorString;
    EXPECT_EQ(CurrentDisplayMode().width, 800) << "the mode is the logical screen";
    EXPECT_EQ(mDisplay->mRGBBits, 16);
    mDisplay->mDrawSurface->SetPixelAt(3, 4, 0xF800);
    ASSERT_TRUE(mDisplay->Redraw());
    EXPECT_EQ(mDisplay->mPrimarySurface->PixelAt(3, 4), 0xF800u);
    EXPECT_EQ(DirectDrawCallCount(DirectDrawCall::Flip), 1);

    mApp->mNoFlip = true;
    mDisplay->mDrawSurface->SetPixelAt(3, 4, 0x001F);
    ASSERT_TRUE(mDisplay->Redraw());
    EXPECT_EQ(mDisplay->mPrimarySurface->PixelAt(3, 4), 0x001Fu);
    EXPECT_EQ(DirectDrawCallCount(DirectDrawCall::Flip), 1);

    mDisplay->Cleanup();
    EXPECT_EQ(CurrentDisplayMode().width, 1024) << "leaving full screen restores the desktop";
}

TEST_F(DDInterfaceTest, WindowedVSyncSplitsTheBlitAndFallsBackAfterThreeFailures)
{
    mApp->mWaitForVSync = true;
    mApp->mNoVSyncWait = false;
    ASSERT_EQ(StartWindowed(), DDInterface::RESULT_OK);
    mDisplay->mDrawSurface->SetPixelAt(1, 1, 0x010101);
    mDisplay->mDrawSurface->SetPixelAt(1, 598, 0x020202);
    // The frozen clock: only the reads move the emulated beam, and both polls still end.
    ASSERT_TRUE(mDisplay->Redraw());
    EXPECT_EQ(mDisplay->mScanLineFailCount, 0);
    EXPECT_EQ(DirectDrawCallCount(DirectDrawCall::Blt), 2) << "two halves";
    EXPECT_EQ(mDisplay->mPrimarySurface->PixelAt(1, 1), 0x010101u);
    EXPECT_EQ(mDisplay->mPrimarySurface->PixelAt(1, 598), 0x020202u);

    // A scan line that is never usable ends the poll by its bound; three such presents in a row switch to a
    // plain wait for the vertical blank.
    InjectDirectDrawFailure(DirectDrawCall::GetScanLine, DDERR_VERTICALBLANKINPROGRESS);
    for (int i = 1; i <= 3; ++i) {
        ASSERT_TRUE(mDisplay->Redraw());
        EXPECT_EQ(mDisplay->mScanLineFailCount, i);
    }
    const int reads = DirectDrawCallCount(DirectDrawCall::GetScanLine);
    const int waits = DirectDrawCallCount(DirectDrawCall::WaitForVerticalBlank);
    EXPECT_EQ(waits, 3);
    ASSERT_TRUE(mDisplay->Redraw());
    EXPECT_EQ(DirectDrawCallCount(DirectDrawCall::GetScanLine), reads) << "no more polling";
    EXPECT_EQ(DirectDrawCallCount(DirectDrawCall::WaitForVerticalBlank), waits + 1);
}

// The drawn cursor saves what lies under it on the primary and puts it back when it moves away.
TEST_F(DDInterfaceTest, DrawnCursorSavesAndRestoresThePrimary)
{
    ASSERT_EQ(StartWindowed(), DDInterface::RESULT_OK);
    DirectDrawSurface* primary = mDisplay->mPrimarySurface;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 200; ++x)
            primary->SetPixelAt(x, y, uint32_t(x << 8 | y));
    }
    Pyxo::MemoryImage cursor(mApp.get());
    cursor.Create(8, 8);
    ASSERT_TRUE(mDisplay->SetCursorImage(&cursor));
    EXPECT_FALSE(mDisplay->SetCursorImage(&cursor));

    mDisplay->SetCursorPos(100, 50);
    ASSERT_TRUE(mDisplay->mHasOldCursorArea);
    EXPECT_EQ(mDisplay->mOldCursorArea->PixelAt(0, 0), uint32_t(68 << 8 | 18)) << "area origin = position - 32";
    EXPECT_EQ(mDisplay->mOldCursorArea->PixelAt(63, 63), uint32_t(131 << 8 | 81));

    // Whatever the cursor drew there, moving it away must bring the background back.
    for (int y = 18; y < 82; ++y) {
        for (int x = 68; x < 132; ++x)
            primary->SetPixelAt(x, y, 0xDEAD);
    }
    mDisplay->SetCursorPos(120, 50); // overlapping move
    EXPECT_EQ(primary->PixelAt(68, 18), uint32_t(68 << 8 | 18));
    EXPECT_EQ(primary->PixelAt(87, 81), uint32_t(87 << 8 | 81));
    EXPECT_EQ(mDisplay->mCursorX.load(), 120);
    EXPECT_EQ(mDisplay->mOldCursorArea->PixelAt(0, 0), uint32_t(88 << 8 | 18)) << "background at the new place";

    // A cursor near the edge saves the part that lies on screen.
    mDisplay->SetCursorPos(5, 5);
    EXPECT_TRUE(mDisplay->mHasOldCursorArea);

    // A present draws the cursor into the frame and leaves the draw surface as it was.
    mDisplay->mDrawSurface->SetPixelAt(5, 5, 0x123456);
    ASSERT_TRUE(mDisplay->Redraw());
    EXPECT_TRUE(mDisplay->mHasOldCursorArea);
    EXPECT_EQ(mDisplay->mDrawSurface->PixelAt(5, 5), 0x123456u);
    EXPECT_EQ(primary->PixelAt(5, 5), 0x123456u);
}

TEST_F(DDInterfaceTest, ScreenImageFollowsTheVideoOnlyChoice)
{
    ASSERT_EQ(StartWindowed(), DDInterface::RESULT_OK);
    EXPECT_EQ(mDisplay->GetScreenImage()->mSurface, mDisplay->mDrawSurface);
    mDisplay->SetSurfaceOnlyDraw(true);
    Pyxo::DDImage* screen = mDisplay->GetScreenImage();
    EXPECT_EQ(screen->mSurface, mDisplay->mSecondarySurface);
    EXPECT_TRUE(screen->mNoLock);
    EXPECT_EQ(screen->GetBits(), nullptr) << "a video-only screen cannot be read back";
    mDisplay->mSecondarySurface->SetPixelAt(2, 2, 0xABCDEF);
    ASSERT_TRUE(mDisplay->Redraw());
    EXPECT_EQ(mDisplay->mPrimarySurface->PixelAt(2, 2), 0xABCDEFu);

    InjectDirectDrawFailure(DirectDrawCall::CreateSurface, DDERR_OUTOFVIDEOMEMORY, 0, 1);
    mDisplay->Cleanup();
    mDisplay->SetSurfaceOnlyDraw(true);
    EXPECT_FALSE(mDisplay->mVideoOnlyDraw) << "without a secondary surface the flag is cleared";
}

} // namespace
