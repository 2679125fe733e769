// The debug aids: screenshot numbering and content, the image dump's page and files, the debug keys with and
// without Shift, the overlay in the frame loop, the windowed vertical-sync pacing and the video statistics.
#include "graphics/Color.h"
#include "graphics/DDImage.h"
#include "graphics/Graphics.h"
#include "graphics/ImageLib.h"
#include "graphics/MemoryImage.h"
#include "graphics/SysFont.h"
#include "graphics/TextureData.h"
#include "platform/directdraw/DirectDrawEmulation.h"
#include "platform/directdraw/DirectDrawSurface.h"
#include "platform/window/MessageBox.h"
#include "platform/window/VirtualKeys.h"
#include "shell/DebugOverlay.h"
#include "shell/PerfTimer.h"
#include "shell/StrFormat.h"
#include "shell/StringHelpers.h"
#include "shell/Widget.h"
#include "shell/WidgetManager.h"
#include "tests/graphics/DisplayTestKit.h"
#include "tests/shell/PyxoAppBaseTestApp.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace PyxoTest;

/// The test application on the real display (in memory, shown through SDL's dummy driver) and the real frame
/// drawing; the debug operations can be replaced by counters.
class DebugApp : public TestApp {
public:
    int StartDisplay(Platform::WindowHandle window, bool isWindowed) override
    {
        return mRealDisplay ? PyxoAppBase::StartDisplay(window, isWindowed) : TestApp::StartDisplay(window, isWindowed);
    }
    bool DrawDirty() override { return PyxoAppBase::DrawDirty(); }
    void TakeScreenshot() override
    {
        ++mScreenshots;
        if (!mFakeDebugOperations)
            PyxoAppBase::TakeScreenshot();
    }
    void DumpImages() override
    {
        ++mDumps;
        if (!mFakeDebugOperations)
            PyxoAppBase::DumpImages();
    }

    bool mRealDisplay = true;
    bool mFakeDebugOperations = false;
    int mScreenshots = 0;
    int mDumps = 0;
};

class DebugAids : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        Platform::ResetDirectDrawEmulation();
        Platform::SetEmulatedDesktop(DisplayTest::Desktop(1024, 768, Platform::kFormatX888));
        mFolder = fs::temp_directory_path() / ("ilvane-debug-" + std::to_string(getpid()));
        fs::remove_all(mFolder);
        fs::create_directories(mFolder);
        if (const char* tz = std::getenv("TZ"))
            mOldTimeZone = tz;
        setenv("TZ", "UTC0", 1); // the dump's page shows local time
        tzset();
    }

    void TearDown() override
    {
        AppFixture::TearDown();
        Platform::ResetDirectDrawEmulation();
        fs::remove_all(mFolder);
        if (mOldTimeZone)
            setenv("TZ", mOldTimeZone->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

    /// An application with a started display, writing into the test's folder.
    DebugApp& Started(bool realDisplay = true)
    {
        auto app = std::make_unique<DebugApp>();
        app->mRealDisplay = realDisplay;
        DebugApp& result = *app;
        mApp = std::move(app);
        result.Init();
        Pyxo::SetAppDataFolder(mFolder.string());
        return result;
    }

    /// An application without a display, so the image set holds only the test's images.
    DebugApp& Bare()
    {
        auto app = std::make_unique<DebugApp>();
        DebugApp& result = *app;
        mApp = std::move(app);
        Pyxo::SetAppDataFolder(mFolder.string());
        return result;
    }

    std::string ReadPage() const
    {
        std::ifstream file(mFolder / "_dump" / "imagelist.html", std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    /// A pixel of the display's draw surface, 0x00RRGGBB.
    uint32_t ScreenPixel(int x, int y) const
    {
        Platform::DirectDrawSurface* surface = mApp->mDisplay->mDrawSurface;
        Platform::SurfaceDesc desc;
        EXPECT_EQ(surface->Lock(nullptr, &desc, Platform::DDLOCK_WAIT), Platform::DD_OK);
        uint32_t pixel = 0;
        std::memcpy(&pixel, desc.surface + static_cast<ptrdiff_t>(y) * desc.pitch + x * 4, 4);
        surface->Unlock();
        return pixel & 0xFFFFFF;
    }

    fs::path mFolder;
    std::optional<std::string> mOldTimeZone;
};

std::unique_ptr<Pyxo::MemoryImage> FilledImage(Pyxo::PyxoAppBase& app, int width, int height, uint32_t color)
{
    auto image = std::make_unique<Pyxo::MemoryImage>(&app);
    std::vector<uint32_t> bits(static_cast<size_t>(width) * static_cast<size_t>(height), color);
    image->SetBits(bits.data(), width, height, true);
    return image;
}

// --- Screenshots ---------------------------------------------------------------------------------------------

TEST_F(DebugAids, ScreenshotsAreNumberedOnFromTheLargestNumberThere)
{
    DebugApp& app = Started();
    const fs::path shots = mFolder / "_screenshots";
    fs::create_directories(shots);
    for (const char* name : {"image3.png", "image10.png", "shot.png"})
        std::ofstream(shots / name) << "x";

    Pyxo::Graphics g(app.mDisplay->GetScreenImage());
    g.SetColor(Pyxo::Color(255, 0, 0));
    g.FillRect(0, 0, 800, 600);
    app.TakeScreenshot();

    auto picture = ImageLib::GetPNGImage((shots / "image11.png").string());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->GetWidth(), 800);
    EXPECT_EQ(picture->GetHeight(), 600);
    const uint32_t red = 0xFF000000 | ScreenPixel(0, 0);
    EXPECT_EQ(red & 0xFFF0F0F0, 0xFFF00000u);
    EXPECT_EQ(picture->GetBits()[0], red);
    EXPECT_EQ(picture->GetBits()[800 * 600 - 1], red);
    EXPECT_EQ(app.mDisplay->mDrawSurface, app.mDisplay->GetScreenImage()->mSurface) << "the surface went back";
}

TEST_F(DebugAids, ZPressedTwiceMakesTwoConsecutiveScreenshots)
{
    DebugApp& app = Started();
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(app.DebugKeyDown('Z'));
    EXPECT_TRUE(fs::exists(mFolder / "_screenshots" / "image1.png"));
    EXPECT_TRUE(fs::exists(mFolder / "_screenshots" / "image2.png"));
    EXPECT_FALSE(fs::exists(mFolder / "_screenshots" / "image3.png"));
}

TEST_F(DebugAids, NoScreenshotWithoutADrawSurface)
{
    DebugApp& app = Bare();
    app.TakeScreenshot();
    EXPECT_FALSE(fs::exists(mFolder / "_screenshots"));
}

// --- Image dump ----------------------------------------------------------------------------------------------

const std::string kPageHead = "<HTML><BODY BGCOLOR=EEEEFF><CENTER><FONT SIZE=+2><B>\n"
                              "Sun Sep  9 01:46:40 2001\n\n"
                              "</B></FONT><BR>\n";

std::string TotalsAndEnd(const char* sum, const char* bits, const char* rlAlpha = "0")
{
    return std::string("<TD>Totals</TD>\n<TD>") + sum + "</TD>\n<TD>" + bits +
           "</TD>\n<TD>0</TD>\n<TD>0</TD>\n<TD>0</TD>\n"
           "<TD>&nbsp;</TD>\n<TD>&nbsp;</TD>\n<TD>&nbsp;</TD>\n<TD>&nbsp;</TD>\n"
           "<TD>0</TD>\n<TD>" +
           rlAlpha +
           "</TD>\n<TD>0</TD>\n<TD>&nbsp;</TD>\n"
           "</TABLE></CENTER></BODY></HTML>\n";
}

TEST_F(DebugAids, TheDumpOfNoImagesIsTheHeaderAndZeroTotals)
{
    DebugApp& app = Bare();
    app.DumpImages();
    EXPECT_EQ(ReadPage(), kPageHead +
                              "Total Image Allocation: 0 bytes<BR>\n"
                              "<TABLE BORDER=1 CELLSPACING=0 CELLPADDING=4>\n" +
                              TotalsAndEnd("0", "0"));
}

TEST_F(DebugAids, AnImageWithBitsOnlyFillsOneCell)
{
    DebugApp& app = Bare();
    auto image = FilledImage(app, 100, 50, 0xFF336699);
    app.DumpImages();
    EXPECT_EQ(ReadPage(), kPageHead +
                              "Total Image Allocation: 20,000 bytes<BR>\n"
                              "<TABLE BORDER=1 CELLSPACING=0 CELLPADDING=4>\n"
                              "<TR>\n"
                              "<TD><A HREF=img0000.png><IMG SRC=thumb0000.jpg WIDTH=64 HEIGHT=64></A></TD>\n"
                              "<TD ALIGN=RIGHT>100 x 50<BR>20,000 bytes</TD>\n"
                              "<TD>mBits<BR>20,000</TD>\n"
                              "<TD>&nbsp;</TD>\n<TD>&nbsp;</TD>\n<TD>&nbsp;</TD>\n<TD>&nbsp;</TD>\n<TD>&nbsp;</TD>\n"
                              "<TD>&nbsp;</TD>\n<TD>&nbsp;</TD>\n<TD>&nbsp;</TD>\n<TD>&nbsp;</TD>\n<TD>&nbsp;</TD>\n"
                              "<TD>&nbsp;</TD>\n"
                              "</TR>\n" +
                              TotalsAndEnd("20,000", "20,000"));
    auto picture = ImageLib::GetPNGImage((mFolder / "_dump" / "img0000.png").string());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->GetWidth(), 100);
    EXPECT_EQ(picture->GetBits()[0], 0xFF336699u);
    EXPECT_TRUE(fs::exists(mFolder / "_dump" / "thumb0000.jpg"));
}

TEST_F(DebugAids, RowsRunFromTheLargestImageAndEqualTotalsKeepTheSetOrder)
{
    DebugApp& app = Bare();
    auto wide = FilledImage(app, 20, 10, 0xFF000000);
    auto tall = FilledImage(app, 10, 20, 0xFF000000); // the same total as the wide one
    auto large = FilledImage(app, 30, 30, 0xFF000000);
    Pyxo::MemoryImage empty(&app); // no pixels: listed, but nothing to sample
    empty.mRLAlphaData = std::make_unique<uint8_t[]>(1);
    app.DumpImages();

    const std::string page = ReadPage();
    const bool wideFirst = std::less<Pyxo::MemoryImage*>()(wide.get(), tall.get());
    const std::vector<std::string> order = {"30 x 30", wideFirst ? "20 x 10" : "10 x 20",
                                            wideFirst ? "10 x 20" : "20 x 10", "0 x 0"};
    size_t at = 0;
    for (const std::string& size : order) {
        const size_t found = page.find("<TD ALIGN=RIGHT>" + size + "<BR>", at);
        ASSERT_NE(found, std::string::npos) << size << " after position " << at;
        at = found;
    }
    EXPECT_NE(page.find("Total Image Allocation: 5,200 bytes<BR>"), std::string::npos);
    EXPECT_NE(page.find(TotalsAndEnd("5,200", "5,200")), std::string::npos);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(fs::exists(mFolder / "_dump" / Pyxo::StrFormat("img%04d.png", i))) << i;
    EXPECT_FALSE(fs::exists(mFolder / "_dump" / "thumb0003.jpg")) << "a 0 x 0 image has no thumbnail";

    // A second dump starts from an empty folder.
    tall.reset();
    large.reset();
    app.DumpImages();
    EXPECT_TRUE(fs::exists(mFolder / "_dump" / "img0000.png"));
    EXPECT_FALSE(fs::exists(mFolder / "_dump" / "img0001.png"));
}

TEST_F(DebugAids, FiguresAndFlagsOfTheOtherStores)
{
    DebugApp& app = Bare();
    auto image = FilledImage(app, 4, 4, 0x80FFFFFF); // partial alpha
    image->SetVolatile(true);
    ASSERT_TRUE(image->Palletize());
    image->GetRLAlphaData();
    Pyxo::TextureData textures;
    textures.mTexMemSize = 4096;
    textures.mPixelFormat = Pyxo::kTextureFormatA8R8G8B8;
    image->mD3DData = &textures; // lent for the dump: this application has no display to delete it
    app.DumpImages();
    image->mD3DData = nullptr;
    const std::string page = ReadPage();
    for (const char* cell : {"<TD>Palletized<BR>1,040</TD>", "<TD>Texture<BR>A8R8G8B8<BR>4,096</TD>",
                             "<TD>Volatile</TD>", "<TD>HasAlpha</TD>", "<TD>RLAlpha<BR>16</TD>"})
        EXPECT_NE(page.find(cell), std::string::npos) << cell;
    for (const char* absent : {"Forced", "HasTrans", "DDSurface<BR>", "NativeAlpha<BR>"})
        EXPECT_EQ(page.find(absent), std::string::npos) << absent;
}

TEST_F(DebugAids, ThumbnailsSampleTheCentresOfTheirCells)
{
    DebugApp& app = Bare();
    // Four columns of one row: each quarter of the thumbnail takes one of them.
    auto image = std::make_unique<Pyxo::MemoryImage>(&app);
    const uint32_t bands[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    image->SetBits(bands, 4, 1, true);
    app.DumpImages();
    auto thumbnail = ImageLib::GetJPEGImage((mFolder / "_dump" / "thumb0000.jpg").string());
    ASSERT_TRUE(thumbnail);
    ASSERT_EQ(thumbnail->GetWidth(), 64);
    ASSERT_EQ(thumbnail->GetHeight(), 64);
    for (int band = 0; band < 4; ++band) {
        for (int x : {band * 16 + 4, band * 16 + 11}) {
            const uint32_t pixel = thumbnail->GetBits()[32 * 64 + x];
            for (int shift : {16, 8, 0}) {
                const int expected = static_cast<int>(bands[band] >> shift & 0xFF);
                const int actual = static_cast<int>(pixel >> shift & 0xFF);
                EXPECT_NEAR(actual, expected, 24) << "band " << band << " x " << x << " channel " << shift;
            }
        }
    }
}

// --- Debug keys ----------------------------------------------------------------------------------------------

struct KeyCase {
    const char* name;
    int key;
    bool shift;
    bool consumed;
    int screenshots;
    int dumps;
    const wchar_t* caption; // the message box it shows; null for none
};

TEST_F(DebugAids, DebugKeysWithAndWithoutShift)
{
    const KeyCase cases[] = {
        {"screenshot", 'Z', false, true, 1, 0, nullptr},
        {"image dump", 'Z', true, true, 0, 1, nullptr},
        {"video statistics", 'W', false, true, 0, 0, L"Video Stats"},
        {"3-D switch", 'W', true, true, 0, 0, L"Mode Switch"},
        {"nothing", 'Y', false, true, 0, 0, nullptr},
        {"nothing with Shift", 'Y', true, true, 0, 0, nullptr},
        {"overlay, passed on", 'R', false, false, 0, 0, nullptr},
        {"timing run starts", 'Q', false, false, 0, 0, nullptr},
        {"F11, the key code of a lower-case z", 'z', false, false, 0, 0, nullptr},
        {"F2, the key code of a lower-case q", Platform::VK_F2, false, false, 0, 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mApp.reset(); // before the script: an application that switched 3-D asks about it as it goes
        Platform::MessageBoxScript boxes({Platform::IDOK});
        DebugApp& app = Started(false);
        app.mFakeDebugOperations = true;
        app.mWidgetManager->mKeyDown[Platform::VK_SHIFT] = c.shift;
        EXPECT_EQ(app.DebugKeyDown(c.key), c.consumed);
        EXPECT_EQ(app.mScreenshots, c.screenshots);
        EXPECT_EQ(app.mDumps, c.dumps);
        const auto calls = boxes.Calls();
        ASSERT_EQ(calls.size(), c.caption ? 1u : 0u);
        if (c.caption) {
            EXPECT_EQ(calls[0].caption, c.caption);
        }
        if (Pyxo::IsPerfRunning())
            Pyxo::PerfRunEnd();
    }
}

TEST_F(DebugAids, ShiftWSwitches3DAndSaysWhichModeResulted)
{
    Platform::MessageBoxScript boxes({Platform::IDOK, Platform::IDOK});
    DebugApp& app = Started(false); // the scripted display starts in either mode
    app.mWidgetManager->mKeyDown[Platform::VK_SHIFT] = true;
    app.DebugKeyDown('W');
    EXPECT_TRUE(app.Is3DAccelerated());
    app.mWidgetManager->mKeyDown[Platform::VK_SHIFT] = true; // the message box released every key
    app.DebugKeyDown('W');
    EXPECT_FALSE(app.Is3DAccelerated());
    const auto calls = boxes.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].text, L"3D-Mode: ON");
    EXPECT_EQ(calls[1].text, L"3D-Mode: OFF");
    EXPECT_EQ(calls[1].flags, 0u);
}

TEST_F(DebugAids, QStartsATimingRunAndShowsItsReportTheSecondTime)
{
    Platform::MessageBoxScript boxes({Platform::IDOK});
    DebugApp& app = Started(false);
    app.DebugKeyDown('Q');
    EXPECT_TRUE(Pyxo::IsPerfRunning());
    EXPECT_TRUE(boxes.Calls().empty());
    app.DebugKeyDown('Q');
    EXPECT_FALSE(Pyxo::IsPerfRunning());
    const auto calls = boxes.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].caption, L"Perf Results");
    EXPECT_EQ(calls[0].text.rfind(L"Total Time: ", 0), 0u);
}

TEST_F(DebugAids, CtrlShiftDTurnsTheDebugKeysOnForTheWindow)
{
    DebugApp& app = Started(false);
    app.mFakeDebugOperations = true;
    const auto press = [&app](uint32_t key) {
        app.WindowProc(app.mMainWindow, Platform::WM_KEYDOWN, key, 0);
        app.ProcessDeferredMessage(false);
    };
    press('Z');
    EXPECT_EQ(app.mScreenshots, 0) << "off until Ctrl+Shift+D";
    press(Platform::VK_CONTROL);
    press(Platform::VK_SHIFT);
    press('D');
    app.WindowProc(app.mMainWindow, Platform::WM_KEYUP, Platform::VK_SHIFT, 0);
    app.WindowProc(app.mMainWindow, Platform::WM_KEYUP, Platform::VK_CONTROL, 0);
    app.ProcessDeferredMessage(false);
    press('Z');
    EXPECT_EQ(app.mScreenshots, 1);
}

// --- Overlay and pacing --------------------------------------------------------------------------------------

TEST_F(DebugAids, TheOverlayShowsTheFrameRateOrTheMousePosition)
{
    DebugApp& app = Started();
    app.mWidgetManager->mKeyDown[Platform::VK_SHIFT] = false;
    Pyxo::Graphics g(app.mDisplay->GetScreenImage());
    g.SetColor(Pyxo::Color::White);
    g.FillRect(0, 0, 800, 600);
    const uint32_t background = ScreenPixel(0, 0);
    ASSERT_NE(background, 0u);

    app.DebugKeyDown('R');
    ASSERT_TRUE(app.mShowFPS);
    app.DrawDirty();
    ASSERT_TRUE(app.mDebugOverlay);
    EXPECT_EQ(app.mDebugOverlay->GetText(), L"FPS: 0");
    // Drawn in the bottom-right corner, 10 pixels from the edges.
    const int height = app.mDebugOverlay->GetImage()->mHeight;
    EXPECT_EQ(ScreenPixel(800 - 10 - 50, 600 - 10 - height), 0x000000u);
    EXPECT_EQ(ScreenPixel(800 - 10 - 1, 600 - 10 - 1), 0x000000u);
    EXPECT_EQ(ScreenPixel(800 - 10, 600 - 10), background);
    EXPECT_EQ(ScreenPixel(800 - 11 - 50, 600 - 10 - 1), background);
    Pyxo::SysFont probe("Tahoma", 8, false, false, false);
    if (probe.IsValid()) {
        bool textDrawn = false;
        for (int y = 600 - 10 - height; y < 590; ++y)
            for (int x = 740; x < 790; ++x)
                textDrawn = textDrawn || ScreenPixel(x, y) != 0;
        EXPECT_TRUE(textDrawn);
    }

    for (int i = 0; i < 100; ++i) {
        mClock.Advance(10);
        app.DrawDirty();
    }
    EXPECT_EQ(app.mDebugOverlay->GetText(), L"FPS: 100") << "100 frames in the second since the reset";

    app.mWidgetManager->mKeyDown[Platform::VK_SHIFT] = true;
    app.mWidgetManager->mLastMouseX = 123;
    app.mWidgetManager->mLastMouseY = 45;
    app.DebugKeyDown('R');
    EXPECT_EQ(app.mShowFPSMode, 1);
    app.DrawDirty();
    EXPECT_EQ(app.mDebugOverlay->GetText(), L"123,45");
    app.DebugKeyDown('R');
    EXPECT_EQ(app.mShowFPSMode, 0);
    app.DrawDirty();
    EXPECT_EQ(app.mDebugOverlay->GetText(), L"FPS: 0") << "back in mode 0 the counters start afresh";

    app.mWidgetManager->mKeyDown[Platform::VK_SHIFT] = false;
    app.DebugKeyDown('R');
    EXPECT_FALSE(app.mShowFPS);
}

TEST_F(DebugAids, WindowedVerticalSyncSleepsOutTheRefreshPeriod)
{
    for (bool softWait : {true, false}) {
        SCOPED_TRACE(softWait ? "sleep pacing on" : "sleep pacing off");
        DebugApp& app = Started();
        Pyxo::Widget widget;
        widget.Resize(0, 0, 800, 600);
        app.mWidgetManager->AddWidget(&widget);
        app.mWaitForVSync = true;
        app.mNoVSyncWait = true; // the present's own wait for the vertical blank stays out of the measure
        app.mSoftVSyncWait = softWait;
        app.mDisplay->mMillisecondsPerFrame = 16;
        app.mWidgetManager->MarkAllDirty();
        app.DrawDirty();
        mClock.Advance(5);
        const uint32_t before = mClock.TickCount();
        app.mWidgetManager->MarkAllDirty();
        ASSERT_TRUE(app.DrawDirty());
        EXPECT_EQ(mClock.TickCount() - before, softWait ? 11u : 0u) << "16 ms after the last draw began";
        app.mWidgetManager->RemoveWidget(&widget);
    }
}

TEST_F(DebugAids, DrawsPauseForTheLoaderOnlyUntilItHasFinished)
{
    DebugApp& app = Started();
    Pyxo::Widget widget;
    widget.Resize(0, 0, 800, 600);
    app.mWidgetManager->AddWidget(&widget);
    app.mLoadingThreadStarted = true;
    app.mWidgetManager->MarkAllDirty();
    ASSERT_TRUE(app.DrawDirty());
    mClock.Advance(5);
    app.mWidgetManager->MarkAllDirty();
    EXPECT_FALSE(app.DrawDirty()) << "the loader gets the processor between frames";
    // Finished inside that pause: the next frame is drawn at once, whatever the clock says.
    app.mLoadingThreadCompleted = true;
    app.mWidgetManager->MarkAllDirty();
    EXPECT_TRUE(app.DrawDirty());
    app.mWidgetManager->RemoveWidget(&widget);
}

TEST_F(DebugAids, VideoStatsShowTheModeTheCountsAndTheVideoMemory)
{
    Platform::SetEmulatedVideoMemory({64u << 20, 48u << 20});
    Platform::MessageBoxScript boxes({Platform::IDOK});
    DebugApp& app = Started();
    // Two textured images of one format: the display deletes their texture data with them.
    Pyxo::MemoryImage first(&app);
    Pyxo::MemoryImage second(&app);
    for (Pyxo::MemoryImage* image : {&first, &second}) {
        image->mD3DData = new Pyxo::TextureData;
        image->mD3DData->mTexMemSize = 6144;
        image->mD3DData->mPixelFormat = Pyxo::kTextureFormatA4R4G4B4;
    }
    app.DebugKeyDown('W');
    const auto calls = boxes.Calls();
    ASSERT_EQ(calls.size(), 1u);
    const char* rating = app.Is3DRecommended() ? "Recommended" : app.Is3DSupported() ? "Supported" : "Unsupported";
    const std::string expected =
        Pyxo::StrFormat("3D-Mode is %s (3D is %s on this system)\r\n\r\n"
                        "Num Images: %d\r\n"
                        "Num Sounds: 0\r\n"
                        "Video Memory: 16,384/65,536 KB\r\n"
                        "Texture Memory: 12 KB\r\n"
                        "A4R4G4B4: 2 - 12 KB\r\n",
                        app.Is3DAccelerated() ? "On" : "Off", rating, static_cast<int>(app.mMemoryImageSet.size()));
    EXPECT_EQ(calls[0].text, Pyxo::StringToWString(expected));
    EXPECT_EQ(calls[0].caption, L"Video Stats");
}

} // namespace
