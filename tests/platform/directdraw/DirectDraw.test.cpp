#include "platform/directdraw/DirectDraw.h"

#include "platform/directdraw/DirectDrawClipper.h"
#include "platform/directdraw/DirectDrawEmulation.h"
#include "platform/directdraw/DirectDrawSurface.h"
#include "platform/process/StandInLibrary.h"
#include "platform/time/Clock.h"
#include "tests/platform/directdraw/StandInRef.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace Platform;

using StandInTest::Ref;

DisplayMode Desktop(int width, int height, const PixelFormat& format, int refreshRate = 60)
{
    DisplayMode mode;
    mode.width = width;
    mode.height = height;
    mode.bitsPerPixel = static_cast<int>(format.rgbBitCount);
    mode.refreshRate = refreshRate;
    mode.redMask = format.redMask;
    mode.greenMask = format.greenMask;
    mode.blueMask = format.blueMask;
    return mode;
}

class DirectDrawTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetDirectDrawEmulation();
        SetEmulatedDesktop(Desktop(320, 200, kFormatX888));
        mPreviousClock = SetClock(&mClock);
        DirectDraw* made = nullptr;
        ASSERT_EQ(DirectDrawCreateEx(nullptr, &made, nullptr), DD_OK);
        mDD.reset(made);
    }
    void TearDown() override
    {
        mDD.reset();
        SetClock(mPreviousClock);
        ResetDirectDrawEmulation();
    }

    Ref<DirectDrawSurface> Offscreen(int width, int height, const PixelFormat* format = nullptr)
    {
        SurfaceDesc desc;
        desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | (format ? DDSD_PIXELFORMAT : 0);
        desc.width = width;
        desc.height = height;
        desc.caps.caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        if (format)
            desc.pixelFormat = *format;
        DirectDrawSurface* surface = nullptr;
        EXPECT_EQ(mDD->CreateSurface(desc, &surface), DD_OK);
        return Ref<DirectDrawSurface>(surface);
    }

    ManualClock mClock{1000};
    Clock* mPreviousClock = nullptr;
    Ref<DirectDraw> mDD;
};

TEST_F(DirectDrawTest, LockGivesTheTopRowAndTheSignedPitchOfEveryFormatAndLayout)
{
    struct Case {
        const char* name;
        PixelFormat format;
        SurfaceLayout layout;
        int bytes;
    };
    const Case cases[] = {
        {"8888 packed", kFormat8888, {0, false}, 4},
        {"x888 bottom-up", kFormatX888, {0, true}, 4},
        {"565 padded", kFormat565, {6, false}, 2},
        {"555 padded bottom-up", kFormat555, {2, true}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetSurfaceLayout(c.layout);
        Ref<DirectDrawSurface> surface = Offscreen(3, 2, &c.format);
        ASSERT_TRUE(surface);
        SurfaceDesc desc;
        desc.size = kSurfaceDescSize1;
        ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT), DD_OK);
        const int rowBytes = 3 * c.bytes + c.layout.rowPadding;
        EXPECT_EQ(desc.pitch, c.layout.bottomUp ? -rowBytes : rowBytes);
        EXPECT_EQ(desc.pixelFormat, c.format);
        EXPECT_EQ(surface->LockCount(), 1);
        // Pixel (2, 1) through the pitch, little-endian like the system's memory.
        uint8_t* p = desc.surface + desc.pitch + 2 * c.bytes;
        p[0] = 0x34;
        p[1] = 0x12;
        SurfaceDesc again;
        EXPECT_EQ(surface->Lock(nullptr, &again, 0), DDERR_SURFACEBUSY) << "a surface is locked once at a time";
        ASSERT_EQ(surface->Unlock(), DD_OK);
        EXPECT_EQ(surface->Unlock(), DDERR_NOTLOCKED);
        EXPECT_EQ(surface->PixelAt(2, 1), 0x1234u);
        EXPECT_EQ(surface->PixelAt(1, 1), 0u);
    }
}

TEST_F(DirectDrawTest, BltStretchesByNearestSampleAndSkipsTheSourceColourKey)
{
    Ref<DirectDrawSurface> source = Offscreen(2, 2, &kFormat565);
    Ref<DirectDrawSurface> dest = Offscreen(4, 4, &kFormat565);
    source->SetPixelAt(0, 0, 0x1111);
    source->SetPixelAt(1, 0, 0x2222);
    source->SetPixelAt(0, 1, 0x3333);
    source->SetPixelAt(1, 1, 0xF81F); // the key
    ASSERT_EQ(dest->Blt(nullptr, source.get(), nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(dest->PixelAt(1, 1), 0x1111u);
    EXPECT_EQ(dest->PixelAt(2, 1), 0x2222u);
    EXPECT_EQ(dest->PixelAt(3, 3), 0xF81Fu);

    BltFx fill;
    fill.fillColor = 0x0707;
    ASSERT_EQ(dest->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill), DD_OK);
    EXPECT_EQ(dest->Blt(nullptr, source.get(), nullptr, DDBLT_KEYSRC, nullptr), DDERR_NOCOLORKEY);
    const ColorKey key{0xF81F, 0xF81F};
    ASSERT_EQ(source->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    const WindowRect at{1, 1, 3, 3};
    ASSERT_EQ(dest->Blt(&at, source.get(), nullptr, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(dest->PixelAt(1, 1), 0x1111u);
    EXPECT_EQ(dest->PixelAt(2, 2), 0x0707u) << "keyed pixel left alone";
    EXPECT_EQ(dest->PixelAt(0, 0), 0x0707u);
}

TEST_F(DirectDrawTest, BltRefusesWhatTheSystemRefuses)
{
    Ref<DirectDrawSurface> small = Offscreen(2, 2, &kFormatX888);
    Ref<DirectDrawSurface> dest = Offscreen(4, 4, &kFormatX888);
    Ref<DirectDrawSurface> other = Offscreen(4, 4, &kFormat565);
    const WindowRect outside{3, 3, 5, 5};
    const WindowRect badSource{1, 1, 3, 3};
    EXPECT_EQ(dest->Blt(&outside, small.get(), nullptr, 0, nullptr), DDERR_INVALIDRECT) << "no clipper";
    EXPECT_EQ(dest->Blt(nullptr, small.get(), &badSource, 0, nullptr), DDERR_INVALIDRECT);
    EXPECT_EQ(dest->Blt(nullptr, other.get(), nullptr, 0, nullptr), DDERR_INVALIDPIXELFORMAT);
    SurfaceDesc desc;
    ASSERT_EQ(small->Lock(nullptr, &desc, 0), DD_OK);
    EXPECT_EQ(dest->Blt(nullptr, small.get(), nullptr, 0, nullptr), DDERR_SURFACEBUSY);
    ASSERT_EQ(small->Unlock(), DD_OK);

    // With a clipper the same rectangle is cut to the surface instead.
    DirectDrawClipper* clipper = nullptr;
    ASSERT_EQ(mDD->CreateClipper(0, &clipper), DD_OK);
    ASSERT_EQ(clipper->SetHWnd(0, WindowHandle{}), DD_OK);
    ASSERT_EQ(dest->SetClipper(clipper), DD_OK);
    clipper->Release();
    small->SetPixelAt(0, 0, 0xABCDEF);
    EXPECT_EQ(dest->Blt(&outside, small.get(), nullptr, 0, nullptr), DD_OK);
    EXPECT_EQ(dest->PixelAt(3, 3), 0xABCDEFu);
}

TEST_F(DirectDrawTest, BltWithinOneSurfaceReadsTheOldPixels)
{
    Ref<DirectDrawSurface> surface = Offscreen(4, 1, &kFormatX888);
    for (int x = 0; x < 4; ++x)
        surface->SetPixelAt(x, 0, 10 + x);
    const WindowRect from{0, 0, 3, 1};
    const WindowRect to{1, 0, 4, 1};
    ASSERT_EQ(surface->Blt(&to, surface.get(), &from, 0, nullptr), DD_OK);
    EXPECT_EQ(surface->PixelAt(1, 0), 10u);
    EXPECT_EQ(surface->PixelAt(2, 0), 11u);
    EXPECT_EQ(surface->PixelAt(3, 0), 12u);
}

TEST_F(DirectDrawTest, PrimaryTakesTheDesktopFormatAndFlipChainsNeedFullScreen)
{
    SetEmulatedDesktop(Desktop(320, 200, kFormat555));
    SurfaceDesc desc;
    desc.flags = DDSD_CAPS;
    desc.caps.caps = DDSCAPS_PRIMARYSURFACE;
    DirectDrawSurface* primary = nullptr;
    EXPECT_EQ(mDD->CreateSurface(desc, &primary), DDERR_NOCOOPERATIVELEVELSET);
    ASSERT_EQ(mDD->SetCooperativeLevel(WindowHandle{}, DDSCL_NORMAL), DD_OK);
    ASSERT_EQ(mDD->CreateSurface(desc, &primary), DD_OK);
    EXPECT_EQ(primary->Width(), 320);
    EXPECT_EQ(primary->Format(), kFormat555);
    DirectDrawSurface* second = nullptr;
    EXPECT_EQ(mDD->CreateSurface(desc, &second), DDERR_PRIMARYSURFACEALREADYEXISTS);
    primary->Release();

    SurfaceDesc chain;
    chain.flags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    chain.backBufferCount = 1;
    chain.caps.caps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    EXPECT_EQ(mDD->CreateSurface(chain, &primary), DDERR_NOEXCLUSIVEMODE);
    EXPECT_EQ(mDD->SetDisplayMode(800, 600, 16), DDERR_NOEXCLUSIVEMODE);
    ASSERT_EQ(mDD->SetCooperativeLevel(WindowHandle{}, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    ASSERT_EQ(mDD->SetDisplayMode(800, 600, 16), DD_OK);
    EXPECT_EQ(CurrentDisplayMode().greenMask, kFormat555.greenMask) << "a 16-bit mode keeps the desktop's layout";
    const int before = LiveDirectDrawSurfaceCount();
    ASSERT_EQ(mDD->CreateSurface(chain, &primary), DD_OK);
    EXPECT_EQ(primary->Width(), 800);
    EXPECT_EQ(LiveDirectDrawSurfaceCount(), before + 2);

    DirectDrawSurface* back = nullptr;
    ASSERT_EQ(primary->GetAttachedSurface({DDSCAPS_BACKBUFFER, 0}, &back), DD_OK);
    back->SetPixelAt(5, 5, 0x7FFF);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(primary->PixelAt(5, 5), 0x7FFFu);
    EXPECT_EQ(back->PixelAt(5, 5), 0u);
    back->Release();
    primary->Release();
    EXPECT_EQ(LiveDirectDrawSurfaceCount(), before) << "the back buffer goes with its primary";

    ASSERT_EQ(mDD->SetCooperativeLevel(WindowHandle{}, DDSCL_NORMAL), DD_OK);
    EXPECT_EQ(CurrentDisplayMode().width, 320) << "leaving full screen restores the desktop";
}

TEST_F(DirectDrawTest, ScanLinePollingEndsAndVerticalBlankWaitsAtMostOnePeriod)
{
    // A frozen clock: only reads of the scan line move the beam, so a poll that waits for the wrap still ends.
    uint32_t line = 0;
    uint32_t previous = 0;
    bool wrapped = false;
    bool blank = false;
    for (int reads = 0; reads < 5000 && !wrapped; ++reads) {
        const HResult result = mDD->GetScanLine(&line);
        if (result == DDERR_VERTICALBLANKINPROGRESS) {
            blank = true;
            continue;
        }
        ASSERT_EQ(result, DD_OK);
        EXPECT_LT(line, 200u);
        wrapped = reads > 0 && line < previous;
        previous = line;
    }
    EXPECT_TRUE(blank);
    EXPECT_TRUE(wrapped);

    const uint32_t start = mClock.TickCount();
    ASSERT_EQ(mDD->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN), DD_OK);
    EXPECT_LE(mClock.TickCount() - start, 17u);
    EXPECT_EQ(mDD->GetScanLine(&line), DDERR_VERTICALBLANKINPROGRESS) << "the wait ends in the blank";
}

TEST_F(DirectDrawTest, MonitorFrequencyComesFromTheDesktopAndFailsWithoutOne)
{
    uint32_t hz = 0;
    ASSERT_EQ(mDD->GetMonitorFrequency(&hz), DD_OK);
    EXPECT_EQ(hz, 60u);
    SetEmulatedDesktop(Desktop(320, 200, kFormatX888, 0));
    EXPECT_TRUE(Failed(mDD->GetMonitorFrequency(&hz)));
}

TEST_F(DirectDrawTest, InjectedFailuresSkipThenFailTheGivenNumberOfCalls)
{
    InjectDirectDrawFailure(DirectDrawCall::CreateClipper, DDERR_OUTOFCAPS, 1, 2);
    DirectDrawClipper* clipper = nullptr;
    ASSERT_EQ(mDD->CreateClipper(0, &clipper), DD_OK);
    clipper->Release();
    EXPECT_EQ(mDD->CreateClipper(0, &clipper), DDERR_OUTOFCAPS);
    EXPECT_EQ(clipper, nullptr);
    EXPECT_EQ(mDD->CreateClipper(0, &clipper), DDERR_OUTOFCAPS);
    ASSERT_EQ(mDD->CreateClipper(0, &clipper), DD_OK);
    clipper->Release();
    EXPECT_EQ(DirectDrawCallCount(DirectDrawCall::CreateClipper), 4);

    InjectDirectDrawFailure(DirectDrawCall::DirectDrawCreateEx, DDERR_NODIRECTDRAWHW);
    DirectDraw* made = nullptr;
    EXPECT_EQ(DirectDrawCreateEx(nullptr, &made, nullptr), DDERR_NODIRECTDRAWHW);
    EXPECT_EQ(made, nullptr);
}

TEST_F(DirectDrawTest, TheLibraryTableFindsTheEntryPoints)
{
    HMODULE ddraw = LoadLibraryA("DDRAW.DLL");
    ASSERT_NE(ddraw, nullptr);
    auto create = reinterpret_cast<DirectDrawCreateProc>(GetProcAddress(ddraw, "DirectDrawCreateEx"));
    ASSERT_NE(create, nullptr);
    EXPECT_NE(GetProcAddress(ddraw, "DirectDrawCreate"), nullptr);
    EXPECT_EQ(GetProcAddress(ddraw, "DirectDrawEnumerate"), nullptr);
    const int live = LiveDirectDrawCount();
    DirectDraw* made = nullptr;
    ASSERT_EQ(create(nullptr, &made, nullptr), DD_OK);
    EXPECT_EQ(LiveDirectDrawCount(), live + 1);
    made->Release();
    EXPECT_EQ(LiveDirectDrawCount(), live);
    FreeLibrary(ddraw);
}

} // namespace
