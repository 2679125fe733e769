// The 3-D path switched on in a real application object on the stand-ins: automatic 3-D comes up on a card that
// passes the capability test, draws a scene as the 2-D path draws it, turns a failing device call into a
// recorded error and a fall-back to 2-D, and keeps the user's choice at exit without asking.
#include "graphics/D3DInterface.h"
#include "graphics/D3DTester.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/MemoryImage.h"
#include "platform/directdraw/DirectDrawEmulation.h"
#include "platform/directdraw/DirectDrawSurface.h"
#include "platform/window/MessageBox.h"
#include "tests/graphics/DisplayTestKit.h"
#include "tests/shell/PyxoAppBaseTestApp.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace {

using namespace Platform;
using Pyxo::Color;
using Pyxo::D3DInterface;
using Pyxo::Rect;

/// The framework's application with automatic 3-D, as the game sets it, on the real display.
class AutoApp : public Pyxo::PyxoAppBase {
public:
    AutoApp()
    {
        mProductName = "Ilvane 3D Test";
        mRegKey = "Ilvane Tests\\3D App";
        mWindowedRequested = true;
        mUseLoadingThread = false;
        mAutoEnable3D = true;
    }
    std::unique_ptr<Pyxo::SoundManager> CreateSoundManager(WindowHandle, bool) override
    {
        return std::make_unique<PyxoTest::FakeSoundManager>();
    }
    WindowRect DesktopWorkArea() override { return {0, 0, 1920, 1080}; }
    bool ExeFolderHook(const std::string&) override { return true; }
};

class D3DApp : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetDirectDrawEmulation();
        SetEmulatedDesktop(DisplayTest::Desktop(1024, 768, kFormatX888));
        mPreviousClock = SetClock(&mClock);
        mPreviousStorage = SetRegistryStorage(&mRegistry);
        mPreviousExit = Pyxo::SetExitHandler(&PyxoTest::ThrowExit);
        mPreviousDataFolder = Pyxo::GetAppDataFolder();
        mApp = std::make_unique<AutoApp>();
        mApp->Init();
    }
    void TearDown() override
    {
        mImages.clear();
        {
            MessageBoxScript boxes({IDYES, IDYES});
            mApp.reset();
        }
        Pyxo::SetAppDataFolder(mPreviousDataFolder);
        Pyxo::SetExitHandler(mPreviousExit);
        SetRegistryStorage(mPreviousStorage);
        SetClock(mPreviousClock);
        ResetDirectDrawEmulation();
        D3DInterface::sErrorString.clear();
        D3DInterface::sRenderTargetFailed = false;
    }

    /// A fresh application on a fresh display, with "Is3D" stored as 1; devices after the first skip fail (-1: none).
    void RestartWithStoredThreeD(int skip)
    {
        {
            MessageBoxScript boxes({IDYES, IDYES});
            mApp.reset();
        }
        ResetDirectDrawEmulation();
        SetEmulatedDesktop(DisplayTest::Desktop(1024, 768, kFormatX888));
        mApp = std::make_unique<AutoApp>();
        ASSERT_TRUE(mApp->RegistryWriteBoolean("Is3D", true));
        if (skip >= 0)
            InjectDirectDrawFailure(DirectDrawCall::CreateDevice, DDERR_GENERIC, skip);
        mApp->Init();
    }

    Pyxo::MemoryImage& Image(int width, int height, uint32_t (*pixel)(int x, int y))
    {
        std::vector<uint32_t> pixels;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels.push_back(pixel(x, y));
        mImages.push_back(std::make_unique<Pyxo::MemoryImage>(mApp.get()));
        mImages.back()->SetBits(pixels.data(), width, height, true);
        return *mImages.back();
    }

    /// Opaque, translucent, additive and rotated images, a line and a filled polygon; the display's draw surface
    /// read back afterwards.
    std::vector<uint32_t> DrawScene()
    {
        Pyxo::DDImage* screen = mApp->mDisplay->GetScreenImage();
        const Rect all(0, 0, 800, 600);
        screen->FillRect(all, Color(20, 30, 40), 0);
        screen->Blt(mOpaque, 10, 10, Rect(0, 0, 64, 64), Color::White, 0);
        screen->Blt(mTranslucent, 100, 10, Rect(0, 0, 48, 48), Color::White, 0);
        screen->Blt(mOpaque, 120, 20, Rect(0, 0, 64, 64), Color(255, 255, 255, 128), 0);
        screen->Blt(mOpaque, 200, 10, Rect(0, 0, 64, 64), Color::White, 1);
        screen->BltRotated(mOpaque, 300, 10, Rect(0, 0, 64, 64), all, Color::White, 0, std::numbers::pi / 2, 32, 32);
        screen->DrawLine(10, 200, 300, 260, Color(255, 255, 0), 0);
        const Pyxo::Point polygon[] = {{400, 200}, {500, 200}, {500, 260}, {400, 260}};
        if (!screen->FillPolygon3D(polygon, 4, nullptr, Color(0, 200, 100, 160), 0, 0, 0, true)) {
            std::vector<Pyxo::Span> spans;
            for (int y = 200; y < 260; ++y)
                spans.push_back({y, 400, 100});
            screen->FillSpans(spans.data(), int(spans.size()), Color(0, 200, 100, 160), 0);
        }
        mApp->mDisplay->Redraw();
        DirectDrawSurface* surface = mApp->mDisplay->mDrawSurface;
        std::vector<uint32_t> pixels;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                pixels.push_back(surface->PixelAt(x, y) & 0xFFFFFF);
        return pixels;
    }

    std::string RegistryError() const
    {
        char text[256] = {};
        uint32_t length = sizeof text - 1;
        uint32_t type = 0;
        if (!mApp->RegistryRead("Test3D\\RuntimeError", &type, reinterpret_cast<uint8_t*>(text), &length))
            return "(none)";
        return text;
    }

    ManualClock mClock{1000};
    MemoryRegistryStorage mRegistry;
    std::unique_ptr<AutoApp> mApp;
    std::vector<std::unique_ptr<Pyxo::MemoryImage>> mImages;
    Pyxo::MemoryImage* mOpaque = nullptr;
    Pyxo::MemoryImage* mTranslucent = nullptr;

private:
    Clock* mPreviousClock = nullptr;
    RegistryStorage* mPreviousStorage = nullptr;
    Pyxo::ExitHandler mPreviousExit = nullptr;
    std::string mPreviousDataFolder;
};

TEST_F(D3DApp, AutomaticThreeDComesUpAndDrawsAsTheSoftwarePathDoes)
{
    ASSERT_TRUE(mApp->mDisplay->mD3DTester);
    EXPECT_EQ(mApp->mDisplay->mD3DTester->mFailureReason, "");
    EXPECT_EQ(mApp->mDisplay->mD3DTester->mWarning, "");
    ASSERT_TRUE(mApp->Is3DAccelerated());
    EXPECT_TRUE(mApp->Is3DRecommended());
    EXPECT_TRUE(mApp->mDisplay->mD3DInterface->mTransformedDraw) << "set while the device is up";

    mOpaque =
        &Image(64, 64, [](int x, int y) { return 0xFF000000u | uint32_t(x * 4) << 16 | uint32_t(y * 4) << 8 | 0x40; });
    mTranslucent = &Image(48, 48, [](int x, int y) { return (x + y) % 2 ? 0x80FF8000u : 0x40FFFFFFu; });
    const std::vector<uint32_t> threeD = DrawScene();
    EXPECT_EQ(D3DInterface::sErrorString, "");

    mApp->Set3DAcceleration(false, true);
    ASSERT_FALSE(mApp->Is3DAccelerated());
    EXPECT_FALSE(mApp->mDisplay->mD3DInterface->mTransformedDraw) << "cleared with the device";
    const std::vector<uint32_t> twoD = DrawScene();

    // The 2-D rotated blit samples in fixed point and leaves the rotated image's outermost two pixels elsewhere;
    // inside them its gradient is at most a pixel apart (4 per channel).
    const auto rotatedEdge = [](int x, int y) {
        return x >= 300 && x < 364 && y >= 10 && y < 74 && (x < 302 || x >= 362 || y < 12 || y >= 72);
    };
    int differing = 0;
    for (size_t i = 0; i < threeD.size(); ++i) {
        if (rotatedEdge(int(i % 800), int(i / 800)))
            continue;
        for (int shift : {16, 8, 0}) {
            const int a = int(threeD[i] >> shift & 0xFF);
            const int b = int(twoD[i] >> shift & 0xFF);
            if (std::abs(a - b) > 4) {
                if (differing++ < 8)
                    ADD_FAILURE() << "pixel (" << i % 800 << ", " << i / 800 << "): 3-D " << std::hex << threeD[i]
                                  << ", 2-D " << twoD[i];
                break;
            }
        }
    }
    EXPECT_EQ(differing, 0);
}

TEST_F(D3DApp, AFailingDrawIsRecordedAndThePresentFallsBackToTwoD)
{
    ASSERT_TRUE(mApp->Is3DAccelerated());
    InjectDirectDrawFailure(DirectDrawCall::DrawPrimitive, DDERR_SURFACELOST, 0, 1);
    mApp->mDisplay->GetScreenImage()->FillRect(Rect(0, 0, 10, 10), Color(255, 0, 0), 0);
    EXPECT_EQ(D3DInterface::sErrorString, "DrawPrimitive (Rect): DDERR_SURFACELOST");
    EXPECT_EQ(RegistryError(), "DrawPrimitive (Rect): DDERR_SURFACELOST");
    EXPECT_FALSE(mApp->mDisplay->Redraw());
    EXPECT_FALSE(mApp->Is3DAccelerated());
    EXPECT_TRUE(mApp->mDisplay->m3DMayNotHaveWorked);
}

TEST_F(D3DApp, SwitchedOffAndOnTheChoiceIsWrittenAtExitWithoutAQuestion)
{
    mApp->Set3DAcceleration(false, true);
    mApp->Set3DAcceleration(true, true);
    ASSERT_TRUE(mApp->Is3DAccelerated());
    bool stored = false;
    ASSERT_FALSE(mApp->RegistryReadBoolean("Is3D", &stored));
    // Scripted all the same, so that a question asked would fail the test instead of waiting for a user.
    MessageBoxScript boxes({IDNO});
    mApp->AskHardwareAccelerationQuestions();
    EXPECT_TRUE(boxes.Calls().empty());
    ASSERT_TRUE(mApp->RegistryReadBoolean("Is3D", &stored));
    EXPECT_TRUE(stored);
}

// The capability test passes, then the display's own device cannot be made: the program runs in 2-D, and the
// stored choice stays until the player answers the question at exit with No.
TEST_F(D3DApp, AFailedThreeDStartRunsInTwoDAndAsksAtExit)
{
    struct Case {
        const char* name;
        int answer;
        bool stored;
    };
    const Case cases[] = {{"kept", IDYES, true}, {"switched off", IDNO, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RestartWithStoredThreeD(1);
        ASSERT_TRUE(mApp->mDisplay->mD3DTester);
        EXPECT_EQ(mApp->mDisplay->mD3DTester->mFailureReason, "");
        EXPECT_EQ(DirectDrawCallCount(DirectDrawCall::CreateDevice), 2) << "the test's device, then the display's";
        EXPECT_FALSE(mApp->Is3DAccelerated());
        EXPECT_EQ(mApp->mDisplayStartResult, Pyxo::DDInterface::RESULT_OK);
        MessageBoxScript boxes({c.answer});
        mApp->AskHardwareAccelerationQuestions();
        ASSERT_EQ(boxes.Calls().size(), 1u);
        EXPECT_EQ(boxes.Calls()[0].text.rfind(L"Hardware Acceleration may not have been working", 0), 0u);
        bool stored = !c.stored;
        ASSERT_TRUE(mApp->RegistryReadBoolean("Is3D", &stored));
        EXPECT_EQ(stored, c.stored);
    }
}

TEST_F(D3DApp, ARenderTargetTheDeviceRefusesDiscardsTheStoredChoice)
{
    RestartWithStoredThreeD(-1);
    ASSERT_TRUE(mApp->Is3DAccelerated());
    mApp->mDisplay->Redraw();
    InjectDirectDrawFailure(DirectDrawCall::SetRenderTarget, DDERR_SURFACELOST, 0, 1);
    mApp->mDisplay->GetScreenImage()->FillRect(Rect(0, 0, 10, 10), Color(255, 0, 0), 0);
    ASSERT_TRUE(D3DInterface::sRenderTargetFailed);
    bool stored = false;
    ASSERT_TRUE(mApp->RegistryReadBoolean("Is3D", &stored));
    mApp->ReapplyScreenMode();
    EXPECT_FALSE(mApp->RegistryReadBoolean("Is3D", &stored)) << "erased when the display starts again";
}

} // namespace
