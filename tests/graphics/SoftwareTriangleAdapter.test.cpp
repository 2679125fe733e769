// The adapter from the framework's types to the software rasterizer: it must draw exactly what the rasterizer
// draws for the same strip, and translate what the plain entry does not know (clamped colours, the texture's
// flags, unusable modes and textures).
#include "graphics/SoftwareTriangleAdapter.h"

#include "graphics/MemoryImage.h"
#include "graphics/raster/SoftwareTriangle.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

using Pyxo::Color;
using Pyxo::MemoryImage;
using Pyxo::Rect;
using Pyxo::TriTarget;
using Pyxo::TriVertex;

std::unique_ptr<MemoryImage> ImageOf(const std::vector<uint32_t>& pixels, int width, int height, bool commit = true)
{
    auto image = std::make_unique<MemoryImage>(nullptr);
    image->SetBits(pixels.data(), width, height, commit);
    return image;
}

// A 4 x 4 texture with opaque, partly transparent and transparent texels.
std::unique_ptr<MemoryImage> Texture()
{
    std::vector<uint32_t> texels;
    for (uint32_t i = 0; i < 16; ++i) {
        const uint32_t alpha = i % 5 == 0 ? 0x80 : i % 7 == 0 ? 0 : 0xFF;
        texels.push_back(alpha << 24 | (i * 16) << 16 | (255 - i * 16) << 8 | (i * 40 % 256));
    }
    return ImageOf(texels, 4, 4);
}

// A frame buffer of width x height pixels with guard rows above and below and guard columns to the right.
struct Frame {
    static constexpr int kGuard = 3;
    int width;
    int height;
    std::vector<uint32_t> pixels;

    Frame(int w, int h, uint32_t fill) : width(w), height(h), pixels(size_t((w + kGuard) * (h + 2 * kGuard)), fill) {}
    int Pitch() const { return (width + kGuard) * 4; }
    uint32_t* Origin() { return pixels.data() + size_t(kGuard * (width + kGuard)); }
    TriTarget Target(int format = Pyxo::kTriFormat8888) { return TriTarget{Origin(), width, height, Pitch(), format}; }
    Raster::TriDestination Destination(Raster::PixelFormat format = Raster::PixelFormat::Argb8888)
    {
        return Raster::TriDestination{Origin(), width, height, Pitch(), format};
    }
};

std::vector<Raster::TriVertex> ToRaster(const std::vector<TriVertex>& vertices)
{
    std::vector<Raster::TriVertex> out;
    for (const TriVertex& v : vertices) {
        out.push_back({v.x, v.y, v.u, v.v, v.color});
    }
    return out;
}

const std::vector<TriVertex> kStrip = {
    {0.3f, -1.0f, 0.0f, 0.0f, 0xFF20FF40}, {9.7f, 0.8f, 1.0f, 0.0f, 0x80FF0000},  {-0.6f, 7.2f, 0.0f, 1.0f, 0xFF0000FF},
    {8.4f, 8.9f, 1.0f, 1.0f, 0x40FFFFFF},  {4.0f, 12.0f, 0.5f, 1.5f, 0xFF808080},
};

TEST(SoftwareTriangleAdapter, DrawsWhatTheRasterizerDrawsForTheSameStrip)
{
    struct Case {
        const char* name;
        bool textured;
        Color color;
        uint32_t packed;
        int mode;
        bool filter;
        bool vertexColours;
    };
    const Case cases[] = {
        {"textured", true, Color::White, 0xFFFFFFFF, 0, false, false},
        {"filtered additive", true, Color::White, 0xFFFFFFFF, 1, true, false},
        {"tinted", true, Color(255, 128, 0, 200), 0xC8FF8000, 0, false, false},
        {"tinted additive with vertex colours", true, Color(10, 200, 30, 255), 0xFF0AC81E, 1, false, true},
        {"untextured vertex colours", false, Color(128, 128, 128, 128), 0x80808080, 0, false, true},
    };
    const Rect clip(1, 0, 8, 9);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto texture = Texture();
        Frame expected(10, 10, 0x80402010);
        const Raster::TriTexture rasterTexture{texture->GetBits(), 4, 4, 0, texture->mHasAlpha, texture->mHasTrans};
        const std::vector<Raster::TriVertex> vertices = ToRaster(kStrip);
        Raster::SoftwareDrawTriangleStrip(vertices.data(), int(vertices.size()), c.textured ? &rasterTexture : nullptr,
                                          c.packed, static_cast<Raster::DrawMode>(c.mode), {1, 0, 8, 9},
                                          expected.Destination(), c.filter, c.vertexColours);
        Frame actual(10, 10, 0x80402010);
        Pyxo::SoftwareDrawTriangleStrip(kStrip.data(), int(kStrip.size()), c.textured ? texture.get() : nullptr,
                                        c.color, c.mode, clip, actual.Target(), c.filter, c.vertexColours);
        EXPECT_EQ(actual.pixels, expected.pixels);
        EXPECT_NE(actual.pixels, Frame(10, 10, 0x80402010).pixels); // something was drawn
    }
}

TEST(SoftwareTriangleAdapter, LongStripsAndSixteenBitTargetsPassThrough)
{
    std::vector<TriVertex> strip;
    for (int i = 0; i < 40; ++i) {
        strip.push_back({float(i % 2 == 0 ? 0 : 9), float(i) * 0.25f, float(i % 2), float(i) / 40.0f, 0});
    }
    auto texture = Texture();
    for (int format : {Pyxo::kTriFormat8888, Pyxo::kTriFormat565}) {
        SCOPED_TRACE(format);
        Frame expected(10, 10, 0x12345678);
        const Raster::TriTexture rasterTexture{texture->GetBits(), 4, 4, 0, texture->mHasAlpha, texture->mHasTrans};
        const std::vector<Raster::TriVertex> vertices = ToRaster(strip);
        Raster::SoftwareDrawTriangleStrip(vertices.data(), int(vertices.size()), &rasterTexture, 0xFFFFFFFF,
                                          Raster::DrawMode::Normal, {0, 0, 10, 10},
                                          expected.Destination(static_cast<Raster::PixelFormat>(format)), false, false);
        Frame actual(10, 10, 0x12345678);
        Pyxo::SoftwareDrawTriangleStrip(strip.data(), int(strip.size()), texture.get(), Color::White, 0,
                                        Rect(0, 0, 10, 10), actual.Target(format), false, false);
        EXPECT_EQ(actual.pixels, expected.pixels);
    }
}

TEST(SoftwareTriangleAdapter, ColourComponentsAreClampedBeforePacking)
{
    auto texture = Texture();
    Frame clamped(10, 10, 0xFF000000);
    Pyxo::SoftwareDrawTriangleStrip(kStrip.data(), 4, texture.get(), Color(300, -5, 255, 999), 0, Rect(0, 0, 10, 10),
                                    clamped.Target(), false, false);
    Frame plain(10, 10, 0xFF000000);
    Pyxo::SoftwareDrawTriangleStrip(kStrip.data(), 4, texture.get(), Color(255, 0, 255, 255), 0, Rect(0, 0, 10, 10),
                                    plain.Target(), false, false);
    EXPECT_EQ(clamped.pixels, plain.pixels);
}

TEST(SoftwareTriangleAdapter, CommitsTheTextureEvenWhenNothingIsDrawn)
{
    auto texture = ImageOf({0xFF000000, 0x80000000}, 2, 1, false);
    ASSERT_TRUE(texture->mBitsChanged);
    Frame frame(4, 4, 0);
    Pyxo::SoftwareDrawTriangleStrip(kStrip.data(), 2, texture.get(), Color::White, 0, Rect(0, 0, 4, 4), frame.Target(),
                                    false, false);
    EXPECT_FALSE(texture->mBitsChanged);
    EXPECT_TRUE(texture->mHasAlpha);
    EXPECT_EQ(frame.pixels, Frame(4, 4, 0).pixels);
}

TEST(SoftwareTriangleAdapter, UnusableInputDrawsNothingAndNothingOutsideTheTarget)
{
    auto texture = Texture();
    MemoryImage empty(nullptr);
    empty.Create(0, 0);
    const std::vector<TriVertex> huge = {{-500, -500, 0, 0, 0xFFFFFFFF},
                                         {500, -500, 1, 0, 0xFFFFFFFF},
                                         {-500, 500, 0, 1, 0xFFFFFFFF},
                                         {500, 500, 1, 1, 0xFFFFFFFF}};
    const Frame untouched(6, 5, 0x11223344);

    Frame frame(6, 5, 0x11223344);
    Pyxo::SoftwareDrawTriangleStrip(kStrip.data(), 4, texture.get(), Color::White, 2, Rect(0, 0, 6, 5), frame.Target(),
                                    false, false);
    Pyxo::SoftwareDrawTriangleStrip(kStrip.data(), 4, &empty, Color::White, 0, Rect(0, 0, 6, 5), frame.Target(), false,
                                    false);
    Pyxo::SoftwareDrawTriangleStrip(nullptr, 4, texture.get(), Color::White, 0, Rect(0, 0, 6, 5), frame.Target(), false,
                                    false);
    EXPECT_EQ(frame.pixels, untouched.pixels);

    // A clip far larger than the target covers the target only: the guard rows and columns stay.
    Pyxo::SoftwareDrawTriangleStrip(huge.data(), 4, texture.get(), Color::White, 1, Rect(-100, -100, 300, 300),
                                    frame.Target(), true, false);
    for (size_t i = 0; i < frame.pixels.size(); ++i) {
        const int row = int(i) / (frame.width + Frame::kGuard) - Frame::kGuard;
        const int column = int(i) % (frame.width + Frame::kGuard);
        if (row < 0 || row >= frame.height || column >= frame.width) {
            EXPECT_EQ(frame.pixels[i], 0x11223344u) << "row " << row << " column " << column;
        }
    }
    EXPECT_NE(frame.pixels, untouched.pixels);
}

} // namespace
