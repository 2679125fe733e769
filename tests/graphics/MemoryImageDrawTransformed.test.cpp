// Transformed blits and textured triangles on memory images: drawn by the software rasterizer, so they are
// compared with what the rasterizer draws for the same strip, plus a few hand-checked pixels.
#include "graphics/Matrix3.h"
#include "graphics/MemoryImage.h"
#include "graphics/raster/SoftwareTriangle.h"
#include "tests/graphics/MemoryImageTestKit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

using Pyxo::Color;
using Pyxo::Matrix3;
using Pyxo::MemoryImage;
using Pyxo::Rect;
using Pyxo::TriVertex;
using Pyxo::Vector2;

using namespace MemoryImageTestKit;

// 5 x 4 texels with partial alpha; texel (x, y) red 50 x, green 60 y.
std::unique_ptr<MemoryImage> Source()
{
    std::vector<uint32_t> pixels;
    for (uint32_t y = 0; y < 4; ++y) {
        for (uint32_t x = 0; x < 5; ++x) {
            const uint32_t alpha = (x + y) % 3 == 0 ? 0xC0 : 0xFF;
            pixels.push_back(alpha << 24 | (50 * x) << 16 | (60 * y) << 8 | 0x20);
        }
    }
    return ImageOf(pixels, 5, 4);
}

// What the rasterizer draws into a copy of dest's pixels for the strip of srcRect's corners through the matrix.
std::vector<uint32_t> RasterStrip(MemoryImage& dest, MemoryImage& source, const Rect& src, const Matrix3& m, float x,
                                  float y, uint32_t color, int mode, const Rect& clip, bool filter,
                                  Raster::PixelFormat format = Raster::PixelFormat::Argb8888)
{
    std::vector<uint32_t> pixels = BitsOf(dest);
    const float w = float(src.mWidth);
    const float h = float(src.mHeight);
    const float sw = float(source.GetWidth());
    const float sh = float(source.GetHeight());
    const float corners[4][2] = {{0, 0}, {w, 0}, {0, h}, {w, h}};
    std::vector<Raster::TriVertex> strip;
    for (const auto& corner : corners) {
        const Vector2 p = m * Vector2(corner[0], corner[1]);
        strip.push_back({p.x + x - 0.5f, p.y + y - 0.5f, (float(src.mX) + corner[0]) / sw,
                         (float(src.mY) + corner[1]) / sh, 0xFFFFFFFF});
    }
    const Raster::TriTexture texture{source.GetBits(), source.GetWidth(), source.GetHeight(), 0,
                                     source.mHasAlpha, source.mHasTrans};
    const Raster::TriDestination target{pixels.data(), dest.GetWidth(), dest.GetHeight(), dest.GetWidth() * 4, format};
    Raster::SoftwareDrawTriangleStrip(strip.data(), 4, &texture, color, static_cast<Raster::DrawMode>(mode),
                                      {clip.mX, clip.mY, clip.mWidth, clip.mHeight}, target, filter, false);
    return pixels;
}

TEST(MemoryImageDrawTransformed, TransformedBlitEqualsTheRasterizerStrip)
{
    Matrix3 turned(true);
    turned.Translate(-2.5f, -2.0f);
    turned.Rotate(0.6f);
    turned.Scale(1.7f, 1.2f);
    struct Case {
        const char* name;
        Color color;
        uint32_t packed;
        int mode;
        bool filter;
        Rect src;
    };
    const Case cases[] = {
        {"plain", Color::White, 0xFFFFFFFF, 0, false, Rect(0, 0, 5, 4)},
        {"filtered", Color::White, 0xFFFFFFFF, 0, true, Rect(0, 0, 5, 4)},
        {"tinted part", Color(255, 100, 0, 180), 0xB4FF6400, 0, false, Rect(1, 1, 3, 2)},
        {"additive", Color::White, 0xFFFFFFFF, 1, false, Rect(0, 0, 5, 4)},
        {"additive tinted filtered", Color(90, 200, 255, 255), 0xFF5AC8FF, 1, true, Rect(0, 0, 5, 4)},
    };
    const Rect clip(1, 1, 10, 9);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto source = Source();
        auto dest = Filled(12, 11, 0x80304050);
        const std::vector<uint32_t> expected =
            RasterStrip(*dest, *source, c.src, turned, 6.0f, 5.5f, c.packed, c.mode, clip, c.filter);
        dest->BltTransformed(source.get(), &clip, c.color, c.mode, c.src, turned, c.filter, 6.0f, 5.5f, false);
        EXPECT_EQ(BitsOf(*dest), expected);
        EXPECT_NE(BitsOf(*dest), BitsOf(*Filled(12, 11, 0x80304050)));
        EXPECT_TRUE(source->mDrawn);
    }
}

TEST(MemoryImageDrawTransformed, IdentityPutsTexelCentresOnPixelCentres)
{
    const std::vector<uint32_t> texels = {0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0};
    auto source = ImageOf(texels, 2, 2);
    auto dest = Filled(4, 3, 0xFF000000);
    dest->BltTransformed(source.get(), nullptr, Color::White, 0, Rect(0, 0, 2, 2), Matrix3(true), false, 1.0f, 1.0f,
                         false);
    const uint32_t b = 0xFF000000;
    EXPECT_EQ(BitsOf(*dest),
              (std::vector<uint32_t>{b, b, b, b, b, texels[0], texels[1], b, b, texels[2], texels[3], b}));
}

TEST(MemoryImageDrawTransformed, WithoutAClipTheWholeImageIsTheLimit)
{
    Matrix3 large(true);
    large.Scale(3.0f, 3.0f);
    auto source = Source();
    auto dest = Filled(9, 7, 0x80304050);
    const std::vector<uint32_t> expected =
        RasterStrip(*dest, *source, Rect(0, 0, 5, 4), large, -2.0f, -1.0f, 0xFFFFFFFF, 0, Rect(0, 0, 9, 7), false);
    dest->BltTransformed(source.get(), nullptr, Color::White, 0, Rect(0, 0, 5, 4), large, false, -2.0f, -1.0f, false);
    EXPECT_EQ(BitsOf(*dest), expected);
}

TEST(MemoryImageDrawTransformed, AnImageForcedOpaqueIsDrawnWithoutAlpha)
{
    auto source = Source();
    auto dest = Filled(8, 6, 0x00204060);
    dest->SetImageMode(false, false);
    const std::vector<uint32_t> expected =
        RasterStrip(*dest, *source, Rect(0, 0, 5, 4), Matrix3(true), 1.5f, 1.0f, 0xFFFFFFFF, 0, Rect(0, 0, 8, 6), false,
                    Raster::PixelFormat::Rgb888);
    dest->BltTransformed(source.get(), nullptr, Color::White, 0, Rect(0, 0, 5, 4), Matrix3(true), false, 1.5f, 1.0f,
                         false);
    EXPECT_EQ(BitsOf(*dest), expected);
    EXPECT_EQ(BitsOf(*dest)[8 * 2 + 3] >> 24, 0xFFu);
}

TEST(MemoryImageDrawTransformed, OnlyMemoryImagesAreTransformed)
{
    Pyxo::Image plain;
    plain.mWidth = 4;
    plain.mHeight = 4;
    auto dest = Filled(4, 4, 0xFF000000);
    dest->BltTransformed(&plain, nullptr, Color::White, 0, Rect(0, 0, 4, 4), Matrix3(true), false, 0, 0, false);
    EXPECT_TRUE(plain.mDrawn);
    EXPECT_EQ(BitsOf(*dest), std::vector<uint32_t>(16, 0xFF000000));
}

TEST(MemoryImageDrawTransformed, TexturedTrianglesAreMovedAndDrawnOneByOne)
{
    const TriVertex triangles[2][3] = {
        {{0.0f, 0.0f, 0.0f, 0.0f, 0}, {6.0f, 0.5f, 1.0f, 0.0f, 0}, {0.5f, 5.0f, 0.0f, 1.0f, 0}},
        {{6.0f, 0.5f, 1.0f, 0.0f, 0}, {0.5f, 5.0f, 0.0f, 1.0f, 0}, {6.5f, 6.0f, 1.0f, 1.0f, 0xFF00FF00}},
    };
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        auto source = Source();
        auto dest = Filled(9, 8, 0x80304050);
        // The rasterizer, triangle by triangle, moved by (1.5, 0.5); the second has a vertex colour.
        std::vector<uint32_t> expected = BitsOf(*dest);
        const Raster::TriTexture texture{source->GetBits(), 5, 4, 0, source->mHasAlpha, source->mHasTrans};
        const Raster::TriDestination target{expected.data(), 9, 8, 36, Raster::PixelFormat::Argb8888};
        for (int t = 0; t < 2; ++t) {
            Raster::TriVertex moved[3];
            for (int k = 0; k < 3; ++k) {
                const TriVertex& v = triangles[t][k];
                moved[k] = {v.x + 1.5f, v.y + 0.5f, v.u, v.v, v.color};
            }
            Raster::SoftwareDrawTriangleStrip(moved, 3, &texture, 0xC0FFFFFF, static_cast<Raster::DrawMode>(mode),
                                              {0, 0, 8, 7}, target, true, t == 1);
        }
        dest->BltTexturedTriangles(source.get(), triangles, 2, Rect(0, 0, 8, 7), Color(255, 255, 255, 192), mode, 1.5f,
                                   0.5f, true);
        EXPECT_EQ(BitsOf(*dest), expected);
        EXPECT_TRUE(source->mDrawn);
    }
}

TEST(MemoryImageDrawTransformed, TrianglesOfAnImageWithoutTexelsAreDrawnUntextured)
{
    Pyxo::Image plain;
    const TriVertex shaded[1][3] = {{{0.0f, 0.0f, 0.0f, 0.0f, 0xFFFF0000},
                                     {5.0f, 0.0f, 0.0f, 0.0f, 0xFF00FF00},
                                     {0.0f, 5.0f, 0.0f, 0.0f, 0xFF0000FF}}};
    auto dest = Filled(6, 6, 0xFF000000);
    std::vector<uint32_t> expected = BitsOf(*dest);
    Raster::TriVertex moved[3];
    for (int k = 0; k < 3; ++k) {
        moved[k] = {shaded[0][k].x, shaded[0][k].y + 1.0f, 0, 0, shaded[0][k].color};
    }
    Raster::SoftwareDrawTriangleStrip(moved, 3, nullptr, 0xFFFFFFFF, Raster::DrawMode::Normal, {0, 0, 6, 6},
                                      {expected.data(), 6, 6, 24, Raster::PixelFormat::Argb8888}, false, true);
    dest->BltTexturedTriangles(&plain, shaded, 1, Rect(0, 0, 6, 6), Color::White, 0, 0.0f, 1.0f, false);
    EXPECT_TRUE(plain.mDrawn);
    EXPECT_EQ(BitsOf(*dest), expected);
    EXPECT_NE(BitsOf(*dest), std::vector<uint32_t>(36, 0xFF000000));

    // No triangles, no drawing.
    auto untouched = Filled(6, 6, 0xFF000000);
    untouched->BltTexturedTriangles(&plain, shaded, 0, Rect(0, 0, 6, 6), Color::White, 0, 0.0f, 0.0f, false);
    untouched->BltTexturedTriangles(&plain, nullptr, 3, Rect(0, 0, 6, 6), Color::White, 0, 0.0f, 0.0f, false);
    EXPECT_EQ(BitsOf(*untouched), std::vector<uint32_t>(36, 0xFF000000));
}

} // namespace
