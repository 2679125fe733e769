// Random, huge, degenerate and off-screen input, in every format and mode: nothing is written outside the clip
// rectangle or read outside the texture (the sanitizer build checks the reads), and nothing fails.
#include "graphics/raster/SoftwareTriangle.h"
#include "tests/graphics/raster/RasterTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

using namespace RasterTest;

namespace {

class Fuzzer {
public:
    explicit Fuzzer(uint32_t seed) : mRandom(seed) {}

    int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(mRandom); }
    float Real(float low, float high) { return std::uniform_real_distribution<float>(low, high)(mRandom); }
    bool Chance(int percent) { return Int(0, 99) < percent; }
    uint32_t Bits() { return static_cast<uint32_t>(mRandom()); }

    float Position(float previous)
    {
        const int kind = Int(0, 99);
        if (kind < 6)
            return Real(-1e4f, 1e4f);
        if (kind < 9)
            return Chance(50) ? Real(-3e38f, 3e38f) : Real(-1e20f, 1e20f);
        if (kind < 17)
            return static_cast<float>(Int(-2, 26)); // on a pixel centre or a clip edge
        if (kind < 23)
            return previous; // degenerate: two vertices in a line or in one point
        if (kind < 25)
            return Chance(80) ? std::numeric_limits<float>::quiet_NaN() : std::numeric_limits<float>::infinity();
        return Real(-6.0f, 30.0f);
    }

    float TextureCoordinate()
    {
        const int kind = Int(0, 99);
        if (kind < 8)
            return Real(-1e9f, 1e9f);
        if (kind < 10)
            return std::numeric_limits<float>::quiet_NaN();
        return Real(-0.2f, 1.2f);
    }

    int32_t Fixed()
    {
        switch (Int(0, 9)) {
        case 0:
            return static_cast<int32_t>(Bits());
        case 1:
            return Int(-0x400000, 0x400000);
        default:
            return Int(-0x30000, 0x180000); // -3 .. 24 pixels
        }
    }

    TriClipRect Clip()
    {
        constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
        constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
        const int kind = Int(0, 19);
        if (kind == 0)
            return {kMin, kMin, kMax, kMax}; // ends at column and row -1
        if (kind == 1)
            return {kMax - 3, 2, kMax, 10};
        if (kind < 4)
            return {Int(-100, 100), Int(-100, 100), Int(-100, 200), Int(-100, 200)};
        if (kind < 10)
            return {0, 0, kMax, kMax};
        return {Int(-4, 12), Int(-4, 12), Int(0, 30), Int(0, 30)};
    }

private:
    std::mt19937 mRandom;
};

struct FuzzTexture {
    std::vector<uint32_t> texels;
    TriTexture texture;
};

std::vector<FuzzTexture> MakeTextures(Fuzzer& fuzz)
{
    const auto make = [&](int width, int height, int padTexels) {
        FuzzTexture t;
        t.texels.resize(static_cast<std::size_t>((width + padTexels) * (height - 1) + width));
        for (uint32_t& texel : t.texels) {
            const int kind = fuzz.Int(0, 3);
            texel = kind == 0 ? 0 : kind == 1 ? (fuzz.Bits() | 0xFF000000u) : fuzz.Bits();
        }
        t.texture = {nullptr,         width,          height, padTexels == 0 ? 0 : (width + padTexels) * 4,
                     fuzz.Chance(50), fuzz.Chance(50)};
        return t;
    };
    std::vector<FuzzTexture> textures;
    textures.push_back(make(1, 1, 0));
    textures.push_back(make(1, 37, 0));
    textures.push_back(make(29, 1, 0));
    textures.push_back(make(17, 13, 3));
    textures.push_back(make(70000, 1, 0)); // u × width × 65536 leaves the 32-bit range
    textures.push_back(make(1, 70000, 0));
    for (FuzzTexture& t : textures)
        t.texture.texels = t.texels.data();
    // Dimensions whose texel count no 32-bit index reaches: refused before anything is read.
    FuzzTexture vast;
    vast.texels.resize(1);
    vast.texture = {nullptr, 65536, 65536, 0, false, true};
    textures.push_back(std::move(vast));
    textures.back().texture.texels = textures.back().texels.data();
    return textures;
}

constexpr int32_t kFormats[] = {0x8888, 0x888, 0x565, 0x555, 0x1234};

bool Changed(const Canvas& canvas, const Canvas& before)
{
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            if (canvas.At(x, y) != before.At(x, y))
                return true;
    return false;
}

// Every pixel outside the given columns and rows still holds its snapshot.
void ExpectOnlyInside(const Canvas& canvas, const Canvas& before, int64_t left, int64_t top, int64_t right,
                      int64_t bottom)
{
    ASSERT_TRUE(canvas.GuardsIntact());
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            if (!(x >= left && x < right && y >= top && y < bottom)) {
                ASSERT_EQ(canvas.At(x, y), before.At(x, y)) << "wrote outside the clip at " << x << ", " << y;
            }
        }
    }
}

} // namespace

TEST(SoftwareTriangleFuzz, RandomStripsStayInsideTheClipRectangle)
{
    Fuzzer fuzz(0x5EED1234);
    const std::vector<FuzzTexture> textures = MakeTextures(fuzz);
    std::vector<TriVertex> vertices;
    int drawn = 0;
    for (int round = 0; round < 3000; ++round) {
        SCOPED_TRACE(round);
        const auto format = static_cast<PixelFormat>(kFormats[fuzz.Int(0, 4)]);
        Canvas canvas(format, fuzz.Int(1, 24), fuzz.Int(1, 24), fuzz.Bits(), fuzz.Int(0, 2));
        const Canvas before = canvas;

        vertices.resize(static_cast<std::size_t>(fuzz.Chance(10) ? fuzz.Int(0, 2) : fuzz.Int(3, 7)));
        float x = 0, y = 0;
        for (TriVertex& vertex : vertices) {
            vertex = {x = fuzz.Position(x), y = fuzz.Position(y), fuzz.TextureCoordinate(), fuzz.TextureCoordinate(),
                      fuzz.Chance(30) ? 0xFFFFFFFFu : fuzz.Bits()};
        }
        const TriTexture* texture =
            fuzz.Chance(25) ? nullptr
                            : &textures[static_cast<std::size_t>(fuzz.Chance(95) ? fuzz.Int(0, 5) : 6)].texture;
        const uint32_t color = fuzz.Chance(40) ? 0xFFFFFFFFu : fuzz.Bits();
        const auto mode = static_cast<DrawMode>(fuzz.Chance(10) ? fuzz.Int(-1, 3) : fuzz.Int(0, 1));
        const TriClipRect clip = fuzz.Clip();
        SoftwareDrawTriangleStrip(vertices.data(), static_cast<int>(vertices.size()), texture, color, mode, clip,
                                  canvas.Destination(), fuzz.Chance(50), fuzz.Chance(60));

        ExpectOnlyInside(canvas, before, clip.x, clip.y, static_cast<int64_t>(clip.x) + clip.width,
                         static_cast<int64_t>(clip.y) + clip.height);
        drawn += Changed(canvas, before) ? 1 : 0;
    }
    EXPECT_GT(drawn, 400) << "too few rounds drew anything to exercise the converters";
}

TEST(SoftwareTriangleFuzz, EveryConverterTakesAnyFixedPointRecords)
{
    Fuzzer fuzz(0xC0FFEE);
    const std::vector<FuzzTexture> textures = MakeTextures(fuzz);
    int drawn = 0;
    for (int round = 0; round < 4000; ++round) {
        SCOPED_TRACE(round);
        const std::size_t index = static_cast<std::size_t>(fuzz.Int(0, static_cast<int>(kTriConverterCount) - 1));
        const auto format = static_cast<PixelFormat>(kFormats[index / 32 % 4]);
        Canvas canvas(format, fuzz.Int(1, 24), fuzz.Int(1, 24), fuzz.Bits(), fuzz.Int(0, 1));
        const Canvas before = canvas;
        TriFrameBuffer frame = canvas.Frame();
        if (fuzz.Chance(50)) {
            frame.left = fuzz.Int(0, canvas.Width() - 1);
            frame.right = fuzz.Int(frame.left, canvas.Width());
            frame.top = fuzz.Int(0, canvas.Height() - 1);
            frame.bottom = fuzz.Int(frame.top, canvas.Height());
        }

        TriVertexFx triangle[3];
        for (TriVertexFx& vertex : triangle) {
            vertex = {fuzz.Fixed(),
                      fuzz.Fixed(),
                      fuzz.Chance(80) ? fuzz.Int(0, 255) << 16 : static_cast<int32_t>(fuzz.Bits()),
                      fuzz.Int(0, 255) << 16,
                      fuzz.Chance(90) ? fuzz.Int(0, 255) << 16 : -fuzz.Int(0, 999),
                      fuzz.Int(0, 255) << 16,
                      fuzz.Fixed(),
                      fuzz.Fixed()};
        }
        const FuzzTexture& texture = textures[static_cast<std::size_t>(fuzz.Int(0, 3))];
        const TriTextureInfo info = TextureOf(texture.texels, texture.texture.width);
        const TriGlobalColor color{fuzz.Int(-5, 300), fuzz.Int(0, 255), fuzz.Int(0, 255), fuzz.Int(0, 255)};
        gTriScanConverters[index](triangle, frame, info, color);

        ExpectOnlyInside(canvas, before, frame.left, frame.top, frame.right, frame.bottom);
        drawn += Changed(canvas, before) ? 1 : 0;
    }
    EXPECT_GT(drawn, 500) << "too few rounds drew anything to exercise the converters";
}
