// The vector span kernels against the plain per-pixel converters in reference/: every table entry, in every
// format and draw mode, with each instruction set this processor runs, must give the same pixels; so must
// the pair table, which draws two triangles row by row together, against the reference drawing one after
// the other.
#include "graphics/raster/SpanKernels.h"
#include "graphics/raster/reference/ReferenceConverters.h"
#include "tests/graphics/raster/RasterTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

using namespace RasterTest;

namespace {

TEST(OptimisedConverters, ReciprocalDivisionIsExactForEveryBlendInput)
{
    // The 8888 blend divides numerators below 2^17 by covers 1..256.
    int64_t wrong = 0;
    uint32_t firstN = 0, firstCover = 0;
    for (uint32_t cover = 1; cover <= 256; ++cover)
        for (uint32_t n = 0; n < (1u << 17); ++n)
            if (DivideByCover(n, cover) != n / cover && wrong++ == 0) {
                firstN = n;
                firstCover = cover;
            }
    EXPECT_EQ(wrong, 0) << "first at " << firstN << " / " << firstCover;
}

class Random {
public:
    explicit Random(uint32_t seed) : mEngine(seed) {}
    int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(mEngine); }
    uint32_t Bits() { return static_cast<uint32_t>(mEngine()); }
    bool Chance(int percent) { return Int(0, 99) < percent; }

    // Alphas and channels bunched around the limits the converters test (8, 240) and the ends.
    uint32_t Channel()
    {
        switch (Int(0, 5)) {
        case 0:
            return static_cast<uint32_t>(Int(0, 10));
        case 1:
            return static_cast<uint32_t>(Int(236, 255));
        case 2:
            return 255;
        default:
            return static_cast<uint32_t>(Int(0, 255));
        }
    }
    uint32_t Colour() { return (Channel() << 24) | (Channel() << 16) | (Channel() << 8) | Channel(); }

private:
    std::mt19937 mEngine;
};

struct Texture {
    std::vector<uint32_t> texels;
    TriTextureInfo info;
};

Texture MakeTexture(Random& random)
{
    const int width = random.Int(1, 40);
    const int height = random.Int(1, 30);
    const int stride = width + (random.Chance(30) ? random.Int(1, 5) : 0);
    Texture texture;
    texture.texels.resize(static_cast<std::size_t>(stride * (height - 1) + width));
    const int kind = random.Int(0, 2); // opaque, with transparent holes, anything
    for (uint32_t& texel : texture.texels) {
        texel = random.Colour();
        if (kind == 0)
            texel |= 0xFF000000u;
        else if (kind == 1 && random.Chance(70))
            texel |= 0xFF000000u;
    }
    texture.info = {texture.texels.data(), width, static_cast<int32_t>(texture.texels.size()), stride};
    return texture;
}

// Triangles over a canvas of up to 48 × 20 pixels, partly off it. Texture coordinates either follow the
// pixels one texel each (as an unscaled image does, sometimes a hair off), or are anything.
std::vector<TriVertexFx> MakeTriangle(Random& random, const Texture& texture)
{
    std::vector<TriVertexFx> triangle(3);
    const int mapping = random.Int(0, 3);
    const int32_t offsetU = random.Int(-3 * 65536, 30 * 65536);
    const int32_t offsetV = random.Int(-3 * 65536, 20 * 65536);
    const int32_t nudge = random.Chance(50) ? 0 : random.Int(-80, 80);
    for (TriVertexFx& vertex : triangle) {
        const int32_t x = random.Int(-6 * 65536, 54 * 65536);
        const int32_t y = random.Int(-4 * 65536, 24 * 65536);
        const uint32_t colour = random.Colour();
        vertex = Fx(0, 0, colour);
        vertex.x = x;
        vertex.y = y;
        if (random.Chance(5)) { // a carried channel a little out of range
            vertex.g = random.Int(-70000, 0);
            vertex.a = 0xFFFFFF + random.Int(0, 70000);
        }
        if (mapping == 0) {
            vertex.u = random.Int(-2 * 65536, (texture.info.width + 2) * 65536);
            vertex.v = random.Int(-2 * 65536, (texture.info.count / texture.info.stride + 2) * 65536);
        } else {
            // u = x + offset, v = y + offset: one texel per pixel across, the same row along a span.
            vertex.u = x + offsetU + (mapping == 2 ? static_cast<int32_t>((static_cast<int64_t>(x) * nudge) >> 16) : 0);
            vertex.v = mapping == 3 ? offsetV + random.Int(0, 3) : y + offsetV;
        }
    }
    if (random.Chance(30)) { // axis-aligned right triangle, as quads give
        triangle[1].y = triangle[0].y;
        triangle[2].x = triangle[0].x;
    }
    return triangle;
}

// Two triangles: the halves of a quad (corners top-left, top-right, bottom-left, bottom-right, as a strip
// cuts them) mapped one texel per pixel, or two triangles anywhere, which may overlap.
std::vector<TriVertexFx> MakePair(Random& random, const Texture& texture)
{
    if (random.Chance(50)) {
        std::vector<TriVertexFx> pair = MakeTriangle(random, texture);
        const std::vector<TriVertexFx> second = MakeTriangle(random, texture);
        pair.insert(pair.end(), second.begin(), second.end());
        return pair;
    }
    // Corners on whole pixels, half a pixel up and left of them (texel centres on pixel centres, as images are
    // drawn), or anywhere.
    const int place = random.Int(0, 9);
    const auto fraction = [&] { return place < 5 ? 0 : place < 8 ? -32768 : random.Int(0, 65535); };
    const int32_t left = random.Int(-6, 30) * 65536 + fraction();
    const int32_t top = random.Int(-4, 14) * 65536 + fraction();
    const int32_t width = random.Int(1, 40) * 65536;
    const int32_t height = random.Int(1, 16) * 65536;
    const int32_t u = random.Int(-2, texture.info.width) * 65536 + (random.Chance(70) ? 0 : random.Int(0, 65535));
    const int32_t v = random.Int(-2, texture.info.count / texture.info.stride) * 65536 +
                      (random.Chance(80) ? 0 : random.Int(0, 65535));
    const int32_t stretch = random.Chance(70) ? 0 : random.Int(-3, 3) * 65536;
    // Mostly one texel per pixel; else mirrored, halved or doubled along one axis.
    const int scaleKind = random.Int(0, 9);
    const auto scaled = [&](int32_t d, bool alongV) {
        if (scaleKind < 6 || alongV != (scaleKind % 2 == 0))
            return d;
        return scaleKind < 8 ? -d : scaleKind == 8 ? d / 2 : 2 * d;
    };
    // Mirrored across, the image mostly starts from its right edge, inside the texture.
    const int32_t mirrorShift = scaleKind == 6 && random.Chance(70) ? width : 0;
    const auto corner = [&](int32_t dx, int32_t dy) {
        TriVertexFx vertex = Fx(0, 0, random.Chance(80) ? 0xFFFFFFFFu : random.Colour());
        vertex.x = left + dx;
        vertex.y = top + dy;
        vertex.u = u + mirrorShift + scaled(dx, false) + (dx != 0 ? stretch : 0);
        vertex.v = v + scaled(dy, true);
        return vertex;
    };
    const TriVertexFx tl = corner(0, 0), tr = corner(width, 0), bl = corner(0, height), br = corner(width, height);
    return {tl, tr, bl, tr, br, bl};
}

void CompareEveryEntry(uint32_t seed, bool pairs)
{
    Random random(seed);
    constexpr int kRounds = 40;
    for (std::size_t index = 0; index < kTriConverterCount; ++index) {
        const PixelFormat format = Detail::kBlockFormats[index / 32 % 4];
        for (int round = 0; round < kRounds; ++round) {
            const Texture texture = MakeTexture(random);
            const std::vector<TriVertexFx> triangle = pairs ? MakePair(random, texture) : MakeTriangle(random, texture);
            const TriGlobalColor color = random.Chance(10)
                                             ? TriGlobalColor{random.Int(-5, 300), random.Int(-5, 300), 255, 255}
                                             : Global(random.Colour());
            Canvas expected(format, random.Int(1, 48), random.Int(1, 20));
            const int pixelKind = random.Int(0, 2); // opaque, transparent or anything under the triangle
            for (int y = 0; y < expected.Height(); ++y)
                for (int x = 0; x < expected.Width(); ++x) {
                    const uint32_t d = random.Colour();
                    expected.Set(x, y, pixelKind == 0 ? (d | 0xFF000000u) : pixelKind == 1 ? (d & 0xFFFFFF) : d);
                }
            Canvas actual = expected;
            TriFrameBuffer frame = expected.Frame();
            if (random.Chance(30)) {
                frame.left = random.Int(0, expected.Width() - 1);
                frame.right = random.Int(frame.left, expected.Width());
            }
            if (random.Chance(20)) {
                frame.top = random.Int(0, expected.Height() - 1);
                frame.bottom = random.Int(frame.top, expected.Height());
            }

            Reference::gTriScanConverters[index](triangle.data(), frame, texture.info, color);
            if (pairs)
                Reference::gTriScanConverters[index](triangle.data() + 3, frame, texture.info, color);
            TriFrameBuffer actualFrame = frame;
            actualFrame.bits = actual.Bits();
            (pairs ? gTriPairConverters : gTriScanConverters)[index](triangle.data(), actualFrame, texture.info, color);

            for (int y = 0; y < expected.Height(); ++y)
                for (int x = 0; x < expected.Width(); ++x)
                    if (actual.At(x, y) != expected.At(x, y)) {
                        ADD_FAILURE() << "entry " << index << ", round " << round << ": pixel " << x << ", " << y
                                      << std::hex << " is 0x" << actual.At(x, y) << ", reference 0x"
                                      << expected.At(x, y);
                        return;
                    }
            ASSERT_TRUE(actual.GuardsIntact()) << "entry " << index << ", round " << round;
        }
    }
}

// Restores the default kernels after a test that switched them.
class KernelChoice : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (!SelectSpanKernels(SpanIsa::Avx2))
            SelectSpanKernels(SpanIsa::Portable);
    }
};

TEST_F(KernelChoice, PortableKernelsMatchTheReferenceInEveryEntry)
{
    ASSERT_TRUE(SelectSpanKernels(SpanIsa::Portable));
    CompareEveryEntry(0x0DDBA11, false);
    CompareEveryEntry(0x5EAF00D, true);
}

TEST_F(KernelChoice, Avx2KernelsMatchTheReferenceInEveryEntry)
{
    if (!SelectSpanKernels(SpanIsa::Avx2))
        GTEST_SKIP() << "no AVX2 kernels on this build or processor";
    CompareEveryEntry(0xFACADE, false);
    CompareEveryEntry(0xB0A710AD, true);
}

} // namespace
