// The 3-D capability test: its read-back image, the video-memory rule, the card lists and the driver's year, the
// five scenes on the stand-in device, and the texts a failing step leaves.
#include "graphics/D3DTester.h"

#include "platform/direct3d/Direct3DEmulation.h"
#include "platform/directdraw/DirectDraw.h"
#include "platform/directdraw/DirectDrawEmulation.h"
#include "platform/directdraw/DirectDrawSurface.h"
#include "platform/files/FileSystem.h"
#include "tests/graphics/DisplayTestKit.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace Platform;
using DisplayTest::Desktop;
using Pyxo::D3DTester;
using Pyxo::D3DTestImage;

TEST(D3DTestImage, JudgesUniformityAndStripes)
{
    D3DTestImage image;
    image.Create(12, 12);
    image.FillRect(0, 0, 12, 12, 0xFF780078); // 0x7F007F as a 5-6-5 surface reads it back
    int far = -1;
    EXPECT_TRUE(image.CheckUniform(0x7F007F, far, 10, 10));
    EXPECT_EQ(far, 0);
    EXPECT_EQ(D3DTestImage::ColorDistance(0xFF780078, 0x007F007F), 98);
    image.FillRect(3, 4, 1, 1, 0xFF00FF00);
    EXPECT_FALSE(image.CheckUniform(0x7F007F, far, 10, 10));
    EXPECT_EQ(far, 1);
    EXPECT_TRUE(image.CheckUniform(0x7F007F, far, 3, 3)) << "only the top-left area counts";

    image.FillStripes();
    EXPECT_EQ(image.CountStripeErrors(10, 10, 0, 0), 0);
    EXPECT_EQ(image.CountStripeErrors(10, 10, 1, 0), 100) << "shifted by a column, every pixel is wrong";
}

/// The stand-ins reset, a scratch folder as the current folder (where the card lists are looked for) and as the
/// system folder.
class D3DTesterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetDirectDrawEmulation();
        SetEmulatedDesktop(Desktop(1024, 768, kFormatX888));
        mFolder = fs::temp_directory_path() / ("ilvane-tester-" + std::to_string(getpid()));
        fs::remove_all(mFolder);
        fs::create_directories(mFolder);
        mPreviousFolder = fs::current_path();
        fs::current_path(mFolder);
        SetSystemFolder(mFolder);
    }
    void TearDown() override
    {
        SetSystemFolder({});
        fs::current_path(mPreviousFolder);
        fs::remove_all(mFolder);
        ResetDirectDrawEmulation();
    }

    void Write(const char* name, const std::string& text) const { std::ofstream(mFolder / name) << text; }
    /// A file in the system folder last written in the given year.
    void Driver(const char* name, int year) const
    {
        Write(name, "driver");
        struct tm when {};
        when.tm_year = year - 1900;
        when.tm_mon = 5;
        when.tm_mday = 15;
        const timespec times[2] = {{timegm(&when), 0}, {timegm(&when), 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, (mFolder / name).c_str(), times, 0), 0);
    }

    static std::unique_ptr<D3DTester> Run()
    {
        auto tester = std::make_unique<D3DTester>();
        tester->SetVideoMemoryLimits(6, 14);
        tester->Test(WindowHandle{}, nullptr);
        return tester;
    }

    fs::path mFolder;
    fs::path mPreviousFolder;
};

TEST_F(D3DTesterTest, TheStandInPassesEveryScene)
{
    for (const PixelFormat& format : {kFormatX888, kFormat565}) {
        SCOPED_TRACE(format.rgbBitCount);
        SetEmulatedDesktop(Desktop(1024, 768, format));
        const int draws = DirectDrawCallCount(DirectDrawCall::DrawPrimitive);
        D3DTester tester;
        tester.SetVideoMemoryLimits(6, 14);
        tester.Test(WindowHandle{}, nullptr);
        EXPECT_EQ(tester.mFailureReason, "");
        EXPECT_EQ(tester.mWarning, "");
        EXPECT_GE(tester.mDriverYear, 2002) << "the driver is the running program";
        EXPECT_EQ(DirectDrawCallCount(DirectDrawCall::DrawPrimitive) - draws, 9) << "two draws a blend, one to clip";
        EXPECT_EQ(LiveDirect3DDeviceCount(), 0) << "everything is released after the test";
        EXPECT_EQ(LiveDirectDrawSurfaceCount(), 0);
        EXPECT_EQ(LiveDirectDrawCount(), 0);
    }
}

TEST_F(D3DTesterTest, VideoMemoryIsTheScreenPlusTheCardsTotal)
{
    struct Case {
        const char* name;
        int width, height;
        PixelFormat format;
        uint32_t total;
        const char* failure;
    };
    const Case cases[] = {
        {"1024 x 768 x 32 with 8 MB: 11 MB", 1024, 768, kFormatX888, 8u << 20, ""},
        {"800 x 600 x 16 with 4 MB: 4 MB", 800, 600, kFormat565, 4u << 20, "Not enough video memory."},
        // 4095 MB and the screen's 3 MB must not wrap round to 2 MB.
        {"close to 4 GiB", 1024, 768, kFormatX888, 0xFFF00000u, ""},
        // Less than recommended only warns, and that warning is wiped: 3-D stays wanted.
        {"below the recommended amount", 1024, 768, kFormatX888, 4u << 20, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetEmulatedDesktop(Desktop(c.width, c.height, c.format));
        SetEmulatedVideoMemory({c.total, c.total});
        const int devices = DirectDrawCallCount(DirectDrawCall::CreateDevice);
        const auto tester = Run();
        EXPECT_EQ(tester->mFailureReason, c.failure);
        EXPECT_EQ(tester->mWarning, "");
        EXPECT_EQ(DirectDrawCallCount(DirectDrawCall::CreateDevice) - devices, *c.failure ? 0 : 1);
    }
}

TEST_F(D3DTesterTest, CardListsAndTheDriversYearDecideWhetherTheCardIsGood)
{
    struct Case {
        const char* name;
        const char* good; // vhw.dat, null: none
        const char* bad;  // vhwb.dat, null: none
        const char* description;
        int year;
        bool accepted;
    };
    const Case cases[] = {
        {"no lists, a known maker in any case", nullptr, nullptr, "nViDiA GeForce 2", 0, true},
        {"no lists, ati with its blank", nullptr, nullptr, "ATI Rage", 1999, true},
        {"no lists, unknown card with an old driver", nullptr, nullptr, "Acme Graphics 3000", 2001, false},
        {"no lists, unknown card with a new driver", nullptr, nullptr, "Acme Graphics 3000", 2002, true},
        {"accepted by the good list", "  graphics 3000  \n", nullptr, "Acme GRAPHICS 3000", 0, true},
        {"not on the good list", "other card\n", nullptr, "NVIDIA GeForce", 2005, false},
        {"the bad list wins", "acme\n", "\n graphics \n", "Acme Graphics 3000", 2005, false},
        {"a bad list that does not match accepts", "other\n", "other\n", "Acme Graphics 3000", 0, true},
        {"a good list of blank lines accepts nothing", "\n   \n\t\n", nullptr, "Acme Graphics 3000", 2005, false},
        {"a bad list of blank lines refuses nothing", nullptr, "\n \n", "Acme Graphics 3000", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(mFolder / "vhw.dat");
        fs::remove(mFolder / "vhwb.dat");
        if (c.good)
            Write("vhw.dat", c.good);
        if (c.bad)
            Write("vhwb.dat", c.bad);
        D3DTester tester;
        tester.mDriverYear = c.year;
        EXPECT_EQ(tester.IsGoodCard(c.description), c.accepted);
    }
}

TEST_F(D3DTesterTest, AnUnknownCardWithAnOldDriverIsOnlyWarnedAbout)
{
    Driver("acme3k.drv", 2001); // a bare name: found in the system folder
    DeviceIdentifier adapter = DefaultAdapter();
    adapter.driver = "acme3k.drv";
    adapter.description = "Acme Graphics 3000";
    SetEmulatedAdapter(adapter);
    auto tester = Run();
    EXPECT_EQ(tester->mDriverYear, 2001);
    EXPECT_EQ(tester->mFailureReason, "");
    EXPECT_EQ(tester->mWarning, "Unsupported video card: Acme Graphics 3000");

    adapter.driver = (mFolder / "missing.drv").string();
    SetEmulatedAdapter(adapter);
    tester = Run();
    EXPECT_EQ(tester->mDriverYear, 0) << "an unreadable driver file is no failure";
    EXPECT_EQ(tester->mFailureReason, "");
}

TEST_F(D3DTesterTest, AFailingStepEndsTheTestWithItsText)
{
    struct Case {
        DirectDrawCall call;
        int skip;
        const char* failure;
    };
    const Case cases[] = {
        {DirectDrawCall::DirectDrawCreateEx, 0, "DXError - DirectDrawCreateEx: DDERR_SURFACELOST"},
        {DirectDrawCall::GetDeviceIdentifier, 0, "DXError - GetDeviceIdentifier: DDERR_SURFACELOST"},
        {DirectDrawCall::CreateSurface, 2, "DXError - CreateSurface (TextureSurfacd2): DDERR_SURFACELOST"},
        {DirectDrawCall::BeginScene, 0, "DXError - : DDERR_SURFACELOST"},
        {DirectDrawCall::DrawPrimitive, 3, "DXError - DrawPrimitive: DDERR_SURFACELOST"},
        {DirectDrawCall::SetRenderState, 5, "DXError - D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE: DDERR_SURFACELOST"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failure);
        InjectDirectDrawFailure(c.call, DDERR_SURFACELOST, c.skip, 1);
        const auto tester = Run();
        EXPECT_EQ(tester->mFailureReason, c.failure);
        EXPECT_EQ(LiveDirect3DDeviceCount(), 0);
        EXPECT_EQ(LiveDirectDrawSurfaceCount(), 0);
    }

    SetEmulatedTextureFormats({kFormat4444, kFormat565});
    auto tester = Run();
    EXPECT_EQ(tester->mFailureReason, "");
    EXPECT_EQ(tester->mWarning, "A8R8G8B8 texture format not supported.") << "the scenes pass on 4-4-4-4 textures";
    SetEmulatedTextureFormats({kFormat565});
    tester = Run();
    EXPECT_EQ(tester->mFailureReason, "A4R4G4B4 and A8R8G8B8 texture formats not supported.");
}

TEST_F(D3DTesterTest, AnEightBitDesktopFailsWithoutHanging)
{
    SetEmulatedDesktop(Desktop(1024, 768, PixelFormat{DDPF_RGB | DDPF_PALETTEINDEXED8, 8, 0, 0, 0, 0}));
    const auto tester = Run();
    EXPECT_EQ(tester->mFailureReason, "DXError - CreateDevice: DDERR_INVALIDPIXELFORMAT");
}

TEST_F(D3DTesterTest, A24BitDesktopFailsTheFirstSceneAndRunsNoOther)
{
    SetEmulatedDesktop(Desktop(1024, 768, PixelFormat{DDPF_RGB, 24, 0xFF0000, 0xFF00, 0xFF, 0}));
    const int draws = DirectDrawCallCount(DirectDrawCall::DrawPrimitive);
    const auto tester = Run();
    EXPECT_EQ(tester->mFailureReason, "Can't test 24-bit mode.");
    EXPECT_EQ(DirectDrawCallCount(DirectDrawCall::DrawPrimitive) - draws, 2);
}

TEST_F(D3DTesterTest, A565SurfaceReadsBackWithItsLowBitsClear)
{
    DirectDraw* directDraw = nullptr;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, &directDraw, nullptr), DD_OK);
    SurfaceDesc desc;
    desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    desc.width = 4;
    desc.height = 4;
    desc.caps.caps = DDSCAPS_OFFSCREENPLAIN;
    desc.pixelFormat = kFormat565;
    DirectDrawSurface* surface = nullptr;
    ASSERT_EQ(directDraw->CreateSurface(desc, &surface), DD_OK);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            surface->SetPixelAt(x, y, 0x780F); // 0x7F007F in 5-6-5
    D3DTestImage image;
    image.Create(4, 4);
    D3DTester::ReadSurface(surface, image);
    EXPECT_EQ(image.mBits[5], 0xFF780078u);
    int far = -1;
    EXPECT_TRUE(image.CheckUniform(0x7F007F, far, 4, 4));
    EXPECT_EQ(far, 0) << "a distance of 98 is near enough";
    surface->Release();
    directDraw->Release();
}

} // namespace
