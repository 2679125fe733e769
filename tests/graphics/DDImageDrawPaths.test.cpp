// The two drawing paths of the screen image, held to each other: the same calls through Graphics, with the
// widget manager's states for each path, give the same pixels with 3-D on (the device's quads) and off (the
// surface's own drawing), in 16 and 32 bits, for blits that map one texel onto one pixel: plain, translucent,
// tinted, additive, mirrored, and stretches at scale 1.
#include "graphics/D3DInterface.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/directdraw/DirectDrawSurface.h"
#include "tests/graphics/DisplayTestKit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace {

using Pyxo::Color;
using Pyxo::Graphics;
using Pyxo::MemoryImage;
using Pyxo::Rect;

constexpr int kWidth = 160;
constexpr int kHeight = 120;

/// A channel of bits bits widened to eight the way the 16-bit surfaces and textures widen it, so that an opaque
/// image (kept as a 5-6-5 texture in 3-D) has the same colours on either path.
uint32_t Widened(uint32_t value, int bits)
{
    uint32_t wide = 0;
    int filled = 0;
    while (filled < 8) {
        wide = (wide << bits) | value;
        filled += bits;
    }
    return (wide >> (filled - 8)) & 0xFF;
}

struct Sources {
    std::vector<std::unique_ptr<MemoryImage>> images;
    MemoryImage* background = nullptr; // opaque, the whole region
    MemoryImage* opaque = nullptr;     // opaque, odd sizes
    MemoryImage* sprite = nullptr;     // soft alpha rim, transparent corners
    MemoryImage* keyed = nullptr;      // opaque with transparent holes
};

class DDImageDrawPaths : public DisplayTest::DisplayFixture {
protected:
    MemoryImage* Make(Sources& sources, int width, int height, const std::function<uint32_t(int, int)>& pixel)
    {
        std::vector<uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels[static_cast<std::size_t>(y * width + x)] = pixel(x, y);
        sources.images.push_back(std::make_unique<MemoryImage>(mApp.get()));
        sources.images.back()->SetBits(pixels.data(), width, height, true);
        return sources.images.back().get();
    }

    Sources MakeSources()
    {
        Sources sources;
        std::mt19937 random(47);
        const auto bits = [&](int count) { return static_cast<uint32_t>(random()) & ((1u << count) - 1); };
        const auto opaquePixel = [&](int, int) {
            return 0xFF000000u | (Widened(bits(5), 5) << 16) | (Widened(bits(6), 6) << 8) | Widened(bits(5), 5);
        };
        sources.background = Make(sources, kWidth, kHeight, opaquePixel);
        sources.opaque = Make(sources, 37, 23, opaquePixel);
        sources.sprite = Make(sources, 40, 30, [&](int x, int y) {
            const double r = std::hypot(x - 19.5, y - 14.5);
            const auto alpha = static_cast<uint32_t>(std::clamp((15.0 - r) / 6.0, 0.0, 1.0) * 255.0 + 0.5);
            return (alpha << 24) | (static_cast<uint32_t>(random()) & 0xFFFFFF);
        });
        sources.keyed =
            Make(sources, 21, 19, [&](int x, int y) { return (x + y) % 5 == 0 ? 0x00000000u : opaquePixel(x, y); });
        return sources;
    }

    /// The display started in format with 3-D on or off, the scene drawn into its screen image, and the draw
    /// surface's pixels of the region read back (raw).
    std::vector<uint32_t> Frame(const Platform::PixelFormat& format, bool threeD,
                                const std::function<void(Graphics&, const Sources&)>& scene)
    {
        TearDown();
        SetUp();
        mDisplay->mIs3D = threeD;
        EXPECT_EQ(StartWindowed(format), Pyxo::DDInterface::RESULT_OK) << mDisplay->mErrorString;
        Pyxo::DDImage* screen = mDisplay->GetScreenImage();
        EXPECT_EQ(screen->Uses3D(), threeD);
        if (threeD) {
            EXPECT_TRUE(mDisplay->mD3DInterface->Setup());
        }
        const Sources sources = MakeSources();
        {
            Graphics g(screen);
            // As the widget manager sets them for each path.
            g.SetFastStretch(!threeD);
            g.SetLinearBlend(threeD);
            g.DrawImage(sources.background, 0, 0);
            scene(g, sources);
        }
        if (threeD)
            mDisplay->mD3DInterface->Flush();
        std::vector<uint32_t> pixels;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                pixels.push_back(mDisplay->mDrawSurface->PixelAt(x, y));
        return pixels;
    }

    void ExpectSamePixels(const std::function<void(Graphics&, const Sources&)>& scene)
    {
        for (const Platform::PixelFormat& format : {Platform::kFormatX888, Platform::kFormat565}) {
            SCOPED_TRACE(format.rgbBitCount == 16 ? "565" : "x888");
            const std::vector<uint32_t> twoD = Frame(format, false, scene);
            const std::vector<uint32_t> threeD = Frame(format, true, scene);
            ASSERT_EQ(twoD.size(), threeD.size());
            const uint32_t mask = format.rgbBitCount == 16 ? 0xFFFF : 0xFFFFFF;
            int differing = 0;
            for (std::size_t i = 0; i < twoD.size(); ++i)
                if ((twoD[i] & mask) != (threeD[i] & mask) && differing++ < 3)
                    ADD_FAILURE() << "pixel " << i % kWidth << ", " << i / kWidth << std::hex << ": 2-D 0x"
                                  << (twoD[i] & mask) << ", 3-D 0x" << (threeD[i] & mask);
            EXPECT_EQ(differing, 0);
        }
    }
};

TEST_F(DDImageDrawPaths, PlainBlitsAreTheSame)
{
    ExpectSamePixels([](Graphics& g, const Sources& s) {
        g.DrawImage(s.opaque, 5, 7);
        g.DrawImage(s.opaque, kWidth - 20, kHeight - 10); // cut by the screen
        g.DrawImage(s.keyed, 60, 3);
        g.DrawImage(s.sprite, 30, 40);
        g.DrawImage(s.sprite, -12, 90); // cut on the left
        g.DrawImageSrcRect(s.sprite, 100, 50, Rect(10, 5, 25, 20));
        g.ClipRect(70, 60, 30, 25);
        g.DrawImage(s.sprite, 65, 55); // cut by the clip rectangle
    });
}

TEST_F(DDImageDrawPaths, TintedAndAdditiveBlitsAreTheSame)
{
    ExpectSamePixels([](Graphics& g, const Sources& s) {
        g.SetColorize(true);
        g.SetColor(Color(255, 160, 64, 200));
        g.DrawImage(s.opaque, 5, 7);
        g.DrawImage(s.sprite, 30, 40);
        g.SetColor(Color(255, 255, 255, 90));
        g.SetDrawMode(1);
        g.DrawImage(s.sprite, 70, 20);
        g.SetColorize(false);
        g.DrawImage(s.keyed, 120, 80);
        g.DrawImage(s.sprite, 100, 60);
    });
}

TEST_F(DDImageDrawPaths, MirroredBlitsAndStretchesAtScaleOneAreTheSame)
{
    // The engine's sprites and textures: DrawImageMirror and DrawImageStretchedSrcRect at their own size.
    ExpectSamePixels([](Graphics& g, const Sources& s) {
        g.DrawImageMirror(s.sprite, Rect(10, 10, 40, 30), Rect(0, 0, 40, 30), true);
        g.DrawImageMirror(s.opaque, Rect(60, 10, 37, 23), Rect(0, 0, 37, 23), true);
        g.DrawImageMirror(s.keyed, Rect(100, 5, 21, 19), Rect(0, 0, 21, 19), false);
        g.DrawImageStretchedSrcRect(s.sprite, Rect(5, 60, 30, 20), Rect(8, 6, 30, 20));
        g.DrawImageMirror(s.sprite, Rect(kWidth - 15, 70, 40, 30), Rect(0, 0, 40, 30), true); // cut by the screen
        g.SetDrawMode(1);
        g.DrawImageMirror(s.sprite, Rect(50, 70, 40, 30), Rect(0, 0, 40, 30), true);
        g.SetDrawMode(0);
        g.SetColorize(true);
        g.SetColor(Color(128, 255, 200, 160));
        g.DrawImageMirror(s.sprite, Rect(90, 80, 40, 30), Rect(0, 0, 40, 30), true);
        g.DrawImageStretchedSrcRect(s.opaque, Rect(120, 40, 37, 23), Rect(0, 0, 37, 23));
    });
}

} // namespace
