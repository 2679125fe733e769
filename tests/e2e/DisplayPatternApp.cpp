// A small program on the application object: a full-screen widget paints four coloured quadrants and a yellow
// centre square, and the framework's loop presents it. A screenshot of the real window then shows whether the
// picture reached the screen. With the argument "3d" it asks for automatic 3-D and paints with the drawing
// context's fills, which the 3-D device draws; with "2d" (the default) it keeps 3-D off and writes the pixels
// straight into the locked screen image. It says on its output which path it drew with, and runs until it is
// closed or killed.
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/Graphics.h"
#include "shell/ProcessExit.h"
#include "shell/PyxoAppBase.h"
#include "shell/Widget.h"
#include "shell/WidgetManager.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct Rgb {
    int red;
    int green;
    int blue;
};

/// The pattern the screenshot test looks for, at 800 x 600.
Rgb PatternAt(int x, int y)
{
    if (x >= 350 && x < 450 && y >= 250 && y < 350)
        return {255, 255, 0};
    if (y < 300)
        return x < 400 ? Rgb{255, 0, 0} : Rgb{0, 255, 0};
    return x < 400 ? Rgb{0, 0, 255} : Rgb{255, 255, 255};
}

class PatternWidget final : public Pyxo::Widget {
public:
    void Update() override
    {
        Widget::Update();
        MarkDirty(); // presented every frame, whatever the window system did to the window meanwhile
    }

    void Draw(Pyxo::Graphics* g) override
    {
        if (Pyxo::gPyxoAppBase->Is3DAccelerated()) {
            // The same picture as rectangles: quadrants first, the centre square over them.
            const struct {
                int x, y, width, height;
                Rgb colour;
            } parts[] = {{0, 0, 400, 300, {255, 0, 0}},
                         {400, 0, 400, 300, {0, 255, 0}},
                         {0, 300, 400, 300, {0, 0, 255}},
                         {400, 300, 400, 300, {255, 255, 255}},
                         {350, 250, 100, 100, {255, 255, 0}}};
            for (const auto& part : parts) {
                g->SetColor(Pyxo::Color(part.colour.red, part.colour.green, part.colour.blue));
                g->FillRect(part.x, part.y, part.width, part.height);
            }
            return;
        }
        Pyxo::DDInterface* display = Pyxo::gPyxoAppBase->mDisplay.get();
        Pyxo::DDImage* screen = display ? display->GetScreenImage() : nullptr;
        if (!screen || !screen->LockSurface())
            return;
        const Platform::SurfaceDesc& desc = screen->mLockDesc;
        const int bytes = static_cast<int>(desc.pixelFormat.rgbBitCount / 8);
        for (int y = 0; y < desc.height && y < 600; ++y) {
            uint8_t* row = desc.surface + static_cast<ptrdiff_t>(y) * desc.pitch;
            for (int x = 0; x < desc.width && x < 800; ++x) {
                const Rgb c = PatternAt(x, y);
                // The display's tables place each channel in its pixel format.
                const auto value = static_cast<uint32_t>(display->mRedConvTable[size_t(c.red)] |
                                                         display->mGreenConvTable[size_t(c.green)] |
                                                         display->mBlueConvTable[size_t(c.blue)]);
                for (int i = 0; i < bytes; ++i)
                    row[x * bytes + i] = static_cast<uint8_t>(value >> (8 * i));
            }
        }
        screen->UnlockSurface();
    }
};

class PatternApp final : public Pyxo::PyxoAppBase {
public:
    explicit PatternApp(bool threeD)
    {
        mAutoEnable3D = threeD;
        mTest3D = threeD;
        mProductName = "Ilvane Display Pattern";
        mRegKey = "Ilvane Tests\\Display Pattern";
        mTitle = L"Ilvane Display Pattern";
        mWindowedRequested = true;
        mUseLoadingThread = false;
    }

    std::unique_ptr<Pyxo::DDInterface> CreateDisplay() override
    {
        auto display = PyxoAppBase::CreateDisplay();
        display->mIs3D = mAutoEnable3D;
        return display;
    }

    void AfterInit() override
    {
        std::printf("3-D is %s\n", Is3DAccelerated() ? "on" : "off");
        std::fflush(stdout);
        mPattern = std::make_unique<PatternWidget>();
        mPattern->Resize(0, 0, mWidth, mHeight);
        mWidgetManager->AddWidget(mPattern.get());
        mPattern->MarkDirty();
    }

private:
    std::unique_ptr<PatternWidget> mPattern; // leaves the widget manager when it goes
};

} // namespace

int main(int argc, char** argv)
{
    {
        PatternApp app(argc > 1 && std::strcmp(argv[1], "3d") == 0);
        app.Init();
        app.Start();
    }
    Pyxo::ExitProcess(0);
}
