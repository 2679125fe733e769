// The drawing entry: strips, clipping, feature selection, draw modes and unusable input.
#include "graphics/raster/SoftwareTriangle.h"

#include "graphics/raster/SpanKernels.h"
#include "tests/SuiteLabels.h"
#include "tests/graphics/raster/RasterTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace RasterTest;

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;

TriVertex V(float x, float y, float u = 0, float v = 0, uint32_t color = kWhite)
{
    return {x, y, u, v, color};
}

struct Draw {
    std::vector<TriVertex> vertices;
    const TriTexture* texture = nullptr;
    uint32_t color = kWhite;
    DrawMode mode = DrawMode::Normal;
    bool filter = false;
    bool vertexColours = false;

    void Into(Canvas& canvas, TriClipRect clip) const
    {
        SoftwareDrawTriangleStrip(vertices.data(), static_cast<int>(vertices.size()), texture, color, mode, clip,
                                  canvas.Destination(), filter, vertexColours);
        EXPECT_TRUE(canvas.GuardsIntact());
    }
    void Into(Canvas& canvas) const { Into(canvas, {0, 0, canvas.Width(), canvas.Height()}); }
};

// One texel of 0x010101 per draw, added: every pixel's value counts how often it was drawn.
const std::vector<uint32_t> kCounterTexels(16, 0xFF010101);
const TriTexture kCounter{kCounterTexels.data(), 4, 4, 0, false, false};

// The quad of four corners in the order top-left, top-right, bottom-left, bottom-right, covering the texture.
Draw CountingQuad(float left, float top, float right, float bottom)
{
    Draw draw;
    draw.vertices = {V(left, top, 0, 0), V(right, top, 1, 0), V(left, bottom, 0, 1), V(right, bottom, 1, 1)};
    draw.texture = &kCounter;
    draw.mode = DrawMode::Additive;
    return draw;
}

// Each pixel's draw count as a digit, one line per row.
std::string Counts(const Canvas& canvas)
{
    std::string counts;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x)
            counts += static_cast<char>('0' + (canvas.At(x, y) & 0xFF));
        counts += '\n';
    }
    return counts;
}

std::string Rect(int width, int height, TriClipRect filled, char inside = '1')
{
    std::string rows;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            rows += x >= filled.x && x < filled.x + filled.width && y >= filled.y && y < filled.y + filled.height
                        ? inside
                        : '0';
        rows += '\n';
    }
    return rows;
}

} // namespace

ILVANE_THREADED_SUITE(SoftwareTriangle);

TEST(SoftwareTriangle, FullTextureQuadCoversItsClipRectangleOnce)
{
    struct Case {
        const char* name;
        float left, top, right, bottom;
        TriClipRect clip;
    };
    const Case cases[] = {
        {"corners on the clip rectangle's edges", 2, 1, 7, 5, {2, 1, 5, 4}},
        {"corners half a pixel up and left", 1.5f, 0.5f, 6.5f, 4.5f, {2, 1, 5, 4}},
        {"larger than the clip rectangle", -3.3f, -2.7f, 11.2f, 9.9f, {2, 1, 5, 4}},
        {"the whole canvas", -0.5f, -0.5f, 9.5f, 7.5f, {0, 0, 10, 8}},
        {"clip reaching past the canvas", -0.5f, -0.5f, 30, 30, {3, 2, 100, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(PixelFormat::Argb8888, 10, 8);
        CountingQuad(c.left, c.top, c.right, c.bottom).Into(canvas, c.clip);
        EXPECT_EQ(Counts(canvas), Rect(10, 8, c.clip));
    }
}

TEST(SoftwareTriangle, RotatedQuadsCoverEachPixelOnce)
{
    for (int step = 0; step < 12; ++step) {
        SCOPED_TRACE(step);
        const float angle = 0.13f + static_cast<float>(step) * 0.5f;
        const float c = std::cos(angle) * 20, s = std::sin(angle) * 20;
        Draw draw = CountingQuad(0, 0, 0, 0);
        const float cx = 8.2f, cy = 7.7f;
        draw.vertices = {V(cx - c + s, cy - s - c, 0, 0), V(cx + c + s, cy + s - c, 1, 0),
                         V(cx - c - s, cy - s + c, 0, 1), V(cx + c - s, cy + s + c, 1, 1)};
        Canvas canvas(PixelFormat::Argb8888, 16, 16);
        const TriClipRect clip{1, 2, 13, 11};
        draw.Into(canvas, clip);
        EXPECT_EQ(Counts(canvas), Rect(16, 16, clip));
    }
}

TEST(SoftwareTriangle, StripTrianglesAlternateTheirWinding)
{
    // Five vertices draw (0, 1, 2), (1, 3, 2) and (2, 3, 4): a band and a triangle, each pixel once.
    Draw draw = CountingQuad(0, 0, 0, 0);
    draw.vertices = {V(0, 0), V(0, 6), V(4, 0), V(4, 6), V(8, 0)};
    Canvas canvas(PixelFormat::Argb8888, 9, 7);
    draw.Into(canvas);
    EXPECT_EQ(Counts(canvas), "111111110\n"
                              "111111110\n"
                              "111111100\n"
                              "111111000\n"
                              "111111000\n"
                              "111110000\n"
                              "000000000\n");
}

TEST(SoftwareTriangle, QuadStripDrawsWhatItsTwoTrianglesDrawOneByOne)
{
    // Image quads take their own way through the drawing; one triangle at a time takes the general one.
    std::mt19937 random(7);
    const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    std::vector<uint32_t> texels(23 * 17);
    for (uint32_t& texel : texels)
        texel = static_cast<uint32_t>(random()) | (pick(0, 2) == 0 ? 0u : 0xFF000000u);
    for (int round = 0; round < 600; ++round) {
        const PixelFormat format = pick(0, 1) == 0 ? PixelFormat::Argb8888 : PixelFormat::Rgb565;
        // Sizes of a power of two give exact gradients, others ones a hair short of a texel per pixel.
        const int width = pick(0, 2) == 0 ? 1 << pick(0, 4) : pick(1, 23);
        const int height = pick(0, 2) == 0 ? 1 << pick(0, 4) : pick(1, 17);
        const bool alpha = pick(0, 1) == 1;
        const TriTexture texture{texels.data(), width, height, 23 * 4, alpha, alpha};
        // Whole or fractional positions; one texel per pixel, or a little or much scaled; at times mirrored or
        // past the canvas.
        const float left = static_cast<float>(pick(-8, 30)) + (pick(0, 3) == 0 ? 0.37f : 0.0f);
        const float top = static_cast<float>(pick(-8, 20)) + (pick(0, 3) == 0 ? 0.61f : 0.0f);
        const float scale = pick(0, 2) == 0 ? 1.0f : pick(0, 1) == 0 ? 1.01f : 1.7f;
        const float right = left + static_cast<float>(width) * scale;
        const float bottom = top + static_cast<float>(height) * scale;
        const float shiftU = pick(0, 2) == 0 ? static_cast<float>(pick(1, 99)) / 100.0f / static_cast<float>(width) : 0;
        const float shiftV =
            pick(0, 2) == 0 ? static_cast<float>(pick(1, 99)) / 100.0f / static_cast<float>(height) : 0;
        const float u0 = (pick(0, 5) == 0 ? 1.0f : 0.0f) + shiftU;
        const float u1 = (u0 >= 1.0f ? 0.0f : 1.0f) + shiftU;
        const float v0 = shiftV;
        const float v1 = 1.0f + shiftV;
        Draw quad;
        quad.vertices = {V(left, top, u0, v0), V(right, top, u1, v0), V(left, bottom, u0, v1),
                         V(right, bottom, u1, v1)};
        quad.texture = &texture;
        quad.color = pick(0, 3) == 0 ? 0x80FFC0FFu : kWhite;
        quad.mode = pick(0, 2) == 0 ? DrawMode::Additive : DrawMode::Normal;
        Draw first = quad;
        first.vertices = {quad.vertices[0], quad.vertices[1], quad.vertices[2]};
        Draw second = quad;
        second.vertices = {quad.vertices[1], quad.vertices[3], quad.vertices[2]};

        Canvas whole(format, 36, 24, 0xFF336699u);
        const TriClipRect clip = pick(0, 3) == 0 ? TriClipRect{pick(0, 10), pick(0, 8), pick(5, 30), pick(4, 20)}
                                                 : TriClipRect{0, 0, 36, 24};
        Canvas halves = whole;
        quad.Into(whole, clip);
        first.Into(halves, clip);
        second.Into(halves, clip);
        for (int y = 0; y < whole.Height(); ++y)
            for (int x = 0; x < whole.Width(); ++x)
                ASSERT_EQ(whole.At(x, y), halves.At(x, y)) << "round " << round << ", pixel " << x << ", " << y;
    }
}

TEST(SoftwareTriangle, WholePixelTranslationsDrawTheirTexelsWhateverTheFilter)
{
    // Corners half a pixel up and left of whole pixels put texel centres on pixel centres: filtered or not, in
    // whatever corner order, the quad draws what its two triangles draw unfiltered, and an opaque image is copied.
    std::mt19937 random(47);
    const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    std::vector<uint32_t> texels(29 * 13);
    for (uint32_t& texel : texels)
        texel = static_cast<uint32_t>(random());
    std::vector<uint32_t> opaque = texels;
    for (uint32_t& texel : opaque)
        texel |= 0xFF000000u;
    // Both kernel sets in turn (the AVX2 one where the processor has it), the default restored after.
    for (int round = 0; round < 600; ++round) {
        if (round % 300 == 0 && !SelectSpanKernels(round == 0 ? SpanIsa::Portable : SpanIsa::Avx2))
            break;
        const PixelFormat format = pick(0, 1) == 0 ? PixelFormat::Argb8888 : PixelFormat::Rgb565;
        const int width = pick(1, 29);
        const int height = pick(1, 13);
        const bool alpha = pick(0, 1) == 1;
        const TriTexture texture{alpha ? texels.data() : opaque.data(), 29, 13, 0, alpha, alpha};
        const int srcX = pick(0, 29 - width);
        const int srcY = pick(0, 13 - height);
        const float left = static_cast<float>(pick(-10, 40)) - 0.5f;
        const float top = static_cast<float>(pick(-6, 24)) - 0.5f;
        const float right = left + static_cast<float>(width);
        const float bottom = top + static_cast<float>(height);
        const bool mirror = pick(0, 2) == 0;
        float u0 = static_cast<float>(srcX) / 29.0f;
        float u1 = static_cast<float>(srcX + width) / 29.0f;
        if (mirror)
            std::swap(u0, u1);
        const float v0 = static_cast<float>(srcY) / 13.0f;
        const float v1 = static_cast<float>(srcY + height) / 13.0f;
        const TriVertex tl = V(left, top, u0, v0), tr = V(right, top, u1, v0), bl = V(left, bottom, u0, v1),
                        br = V(right, bottom, u1, v1);
        Draw quad;
        // As a device gets them: a strip, or a clipped fan turned into a strip (top-right first).
        quad.vertices =
            pick(0, 1) == 0 ? std::vector<TriVertex>{tl, tr, bl, br} : std::vector<TriVertex>{tr, tl, br, bl};
        quad.texture = &texture;
        quad.filter = true;
        quad.color = pick(0, 3) == 0 ? 0x80FFC0FFu : kWhite;
        quad.mode = pick(0, 2) == 0 ? DrawMode::Additive : DrawMode::Normal;
        Draw first = quad;
        first.filter = false;
        first.vertices = {tl, tr, bl};
        Draw second = first;
        second.vertices = {tr, br, bl};

        Canvas whole(format, 40, 24, 0xFF336699u);
        const TriClipRect clip = pick(0, 3) == 0 ? TriClipRect{pick(0, 10), pick(0, 8), pick(5, 30), pick(4, 20)}
                                                 : TriClipRect{0, 0, 40, 24};
        Canvas halves = whole;
        quad.Into(whole, clip);
        first.Into(halves, clip);
        second.Into(halves, clip);
        const bool copy =
            !alpha && quad.color == kWhite && quad.mode == DrawMode::Normal && format == PixelFormat::Argb8888;
        for (int y = 0; y < whole.Height(); ++y)
            for (int x = 0; x < whole.Width(); ++x) {
                ASSERT_EQ(whole.At(x, y), halves.At(x, y)) << "round " << round << ", pixel " << x << ", " << y;
                const int i = x - static_cast<int>(left + 0.5f);
                const int j = y - static_cast<int>(top + 0.5f);
                const bool inside = i >= 0 && i < width && j >= 0 && j < height && x >= clip.x &&
                                    x < clip.x + clip.width && y >= clip.y && y < clip.y + clip.height;
                if (copy && inside) {
                    const int column = srcX + (mirror ? width - 1 - i : i);
                    ASSERT_EQ(whole.At(x, y), opaque[static_cast<std::size_t>((srcY + j) * 29 + column)])
                        << "round " << round << ", pixel " << x << ", " << y;
                }
            }
    }
    if (!SelectSpanKernels(SpanIsa::Avx2))
        SelectSpanKernels(SpanIsa::Portable);
}

TEST(SoftwareTriangle, DrawsNothingWithoutSomethingToDraw)
{
    const Draw triangle = [] {
        Draw draw;
        draw.vertices = {V(0, 0), V(8, 0), V(0, 8)};
        draw.vertexColours = true;
        return draw;
    }();
    const std::string untouched = Rect(8, 8, {0, 0, 0, 0});

    Canvas canvas(PixelFormat::Argb8888, 8, 8);
    Draw two = triangle;
    two.vertices.pop_back();
    two.Into(canvas);
    EXPECT_EQ(Counts(canvas), untouched) << "fewer than three vertices";

    Draw plain = triangle;
    plain.vertexColours = false;
    plain.color = 0x80FF0000;
    plain.Into(canvas);
    EXPECT_EQ(Counts(canvas), untouched) << "no texture and no vertex colour";

    triangle.Into(canvas, {0, 0, 0, 8});
    triangle.Into(canvas, {4, 4, -3, 2});
    triangle.Into(canvas, {8, 0, 4, 8});
    EXPECT_EQ(Counts(canvas), untouched) << "an empty clip rectangle, or one beside the canvas";

    Draw other = triangle;
    other.mode = static_cast<DrawMode>(2);
    other.Into(canvas);
    EXPECT_EQ(Counts(canvas), untouched) << "an unknown draw mode";

    const TriTexture missing{nullptr, 4, 4, 0, false, false};
    Draw textured = CountingQuad(0, 0, 8, 8);
    textured.texture = &missing;
    textured.Into(canvas);
    const TriTexture tooNarrowPitch{kCounterTexels.data(), 4, 4, 8, false, false};
    textured.texture = &tooNarrowPitch;
    textured.Into(canvas);
    EXPECT_EQ(Counts(canvas), untouched) << "a texture that cannot be sampled";

    TriDestination cramped = canvas.Destination();
    cramped.pitch = 8; // two pixels for a row of eight
    SoftwareDrawTriangleStrip(triangle.vertices.data(), 3, nullptr, kWhite, DrawMode::Normal, {0, 0, 8, 8}, cramped,
                              false, true);
    EXPECT_EQ(Counts(canvas), untouched) << "a pitch shorter than a row";
    EXPECT_TRUE(canvas.GuardsIntact());
}

// Rows going up in memory: the row walk and the guard against writing outside the block must agree on the step,
// so a pitch of part pixels is refused and a whole-pixel one draws every row inside the block.
TEST(SoftwareTriangle, NegativePitchesOfPartPixelsAreRefused)
{
    struct Case {
        PixelFormat format;
        int size;  // width and height
        int pitch; // bytes
        bool drawn;
    };
    const Case cases[] = {
        {PixelFormat::Rgb565, 4, -9, false},      {PixelFormat::Rgb565, 4, -8, true},
        {PixelFormat::Argb8888, 32, -129, false}, {PixelFormat::Argb8888, 32, -130, false},
        {PixelFormat::Argb8888, 32, -128, true},  {PixelFormat::Argb8888, 32, 129, false},
    };
    constexpr size_t kGuard = 256;
    constexpr uint8_t kGuardByte = 0xA5;
    for (const Case& c : cases) {
        SCOPED_TRACE("pitch " + std::to_string(c.pitch));
        const size_t span = size_t(std::abs(c.pitch)) * size_t(c.size);
        std::vector<uint8_t> memory(kGuard * 2 + span, kGuardByte);
        std::fill(memory.begin() + kGuard, memory.end() - kGuard, 0);
        uint8_t* first = memory.data() + kGuard + (c.pitch < 0 ? span - size_t(-c.pitch) : 0);
        const TriDestination destination{first, c.size, c.size, c.pitch, c.format};
        const float edge = float(c.size);
        const std::vector<TriVertex> quad = {V(0, 0), V(edge, 0), V(0, edge), V(edge, edge)};
        SoftwareDrawTriangleStrip(quad.data(), 4, nullptr, kWhite, DrawMode::Normal, {0, 0, c.size, c.size},
                                  destination, false, true);
        EXPECT_TRUE(std::all_of(memory.begin(), memory.begin() + kGuard, [](uint8_t b) { return b == kGuardByte; }));
        EXPECT_TRUE(std::all_of(memory.end() - kGuard, memory.end(), [](uint8_t b) { return b == kGuardByte; }));
        const bool anyDrawn =
            std::any_of(memory.begin() + kGuard, memory.end() - kGuard, [](uint8_t b) { return b != 0; });
        EXPECT_EQ(anyDrawn, c.drawn);
    }
}

TEST(SoftwareTriangle, SkipsTrianglesWithNonFiniteCoordinates)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    Draw draw = CountingQuad(0, 0, 0, 0);
    // (0, 1, 2) and (1, 3, 2) hold the NaN; (2, 3, 4) draws; (3, 5, 4) holds the infinity.
    draw.vertices = {V(0, 0), V(nan, 0), V(0, 4), V(4, 0), V(4, 4), V(inf, 2)};
    Canvas canvas(PixelFormat::Argb8888, 6, 5);
    draw.Into(canvas);
    EXPECT_EQ(Counts(canvas), "000000\n"
                              "000100\n"
                              "001100\n"
                              "011100\n"
                              "000000\n");
}

TEST(SoftwareTriangle, GlobalColourIsOnForAnyChannelBelowFull)
{
    const std::vector<uint32_t> white = {kWhite};
    const TriTexture texture{white.data(), 1, 1, 0, false, false};
    Draw draw;
    draw.vertices = {V(0, 0, 0.5f, 0.5f), V(4, 0, 0.5f, 0.5f), V(0, 4, 0.5f, 0.5f)};
    draw.texture = &texture;

    Canvas plain(PixelFormat::Argb8888, 4, 4, 0xFF000000);
    draw.Into(plain);
    EXPECT_EQ(plain.At(0, 0), kWhite);

    Canvas tinted(PixelFormat::Argb8888, 4, 4, 0xFF000000);
    draw.color = 0xFEFFFFFF; // alpha 254 alone turns the tint on, which takes one step off each channel
    draw.Into(tinted);
    EXPECT_EQ(tinted.At(0, 0), 0xFFFEFEFEu);
}

TEST(SoftwareTriangle, FilteringGoesThroughTextureAlpha)
{
    // Sampled far past the texture every neighbour reads as nothing: with texture alpha the pixel stays, where
    // the plain filtered converter would store black.
    const std::vector<uint32_t> white = {kWhite};
    const TriTexture texture{white.data(), 1, 1, 0, false, false};
    Draw draw;
    draw.vertices = {V(0, 0, 5, 5), V(4, 0, 5, 5), V(0, 4, 5, 5)};
    draw.texture = &texture;
    draw.filter = true;
    Canvas canvas(PixelFormat::Argb8888, 4, 4, 0x12345678);
    draw.Into(canvas);
    EXPECT_EQ(canvas.At(0, 0), 0x12345678u);
}

TEST(SoftwareTriangle, UnnamedFormatValuesDrawAsArgb)
{
    Draw draw;
    draw.vertices = {V(0, 0, 0, 0, 0x80FF0000), V(4, 0, 0, 0, 0x80FF0000), V(0, 4, 0, 0, 0x80FF0000)};
    draw.vertexColours = true;
    for (const int value : {0x8888, 0, 0x1000}) {
        SCOPED_TRACE(value);
        Canvas canvas(PixelFormat::Argb8888, 4, 4, 0);
        TriDestination destination = canvas.Destination();
        destination.format = static_cast<PixelFormat>(value);
        SoftwareDrawTriangleStrip(draw.vertices.data(), 3, nullptr, kWhite, DrawMode::Normal, {0, 0, 4, 4}, destination,
                                  false, true);
        EXPECT_EQ(canvas.At(0, 0), 0x7FFE0000u); // 0x888 would have stored 0xFF7F0000
    }
}

TEST(SoftwareTriangle, AdditiveDrawsAddThePremultipliedSourceAndKeepTheAlpha)
{
    const std::vector<uint32_t> texels = {0x80C86432};
    const TriTexture texture{texels.data(), 1, 1, 0, true, false};
    Draw draw;
    draw.vertices = {V(0, 0, 0.5f, 0.5f), V(4, 0, 0.5f, 0.5f), V(0, 4, 0.5f, 0.5f)};
    draw.texture = &texture;
    draw.mode = DrawMode::Additive;

    Canvas argb(PixelFormat::Argb8888, 4, 4, 0x40A01010);
    draw.Into(argb);
    // (200, 100, 50) × 128 / 256 = (100, 50, 25), red saturating.
    EXPECT_EQ(argb.At(0, 0), 0x40FF4229u);

    Canvas rgb565(PixelFormat::Rgb565, 4, 4, Rgb565(1, 2, 3));
    draw.Into(rgb565);
    EXPECT_EQ(rgb565.At(0, 0), Rgb565(1 + 12, 2 + 12, 3 + 3));

    draw.color = 0x00FFFFFF; // a source alpha of 0 adds nothing
    Canvas unchanged(PixelFormat::Rgb888, 4, 4, 0xFF102030);
    draw.Into(unchanged);
    EXPECT_EQ(unchanged.At(0, 0), 0xFF102030u);
}

TEST(SoftwareTriangle, TexturePitchSkipsTheEndOfEachRow)
{
    // A 2 × 2 texture in rows of three texels; the third of each row must never be read.
    const std::vector<uint32_t> texels = {0xFF000010, 0xFF000020, 0xFFFF0000, 0xFF000030, 0xFF000040};
    const TriTexture texture{texels.data(), 2, 2, 12, false, false};
    Draw draw;
    draw.vertices = {V(0, 0, 0, 0), V(4, 0, 1, 0), V(0, 4, 0, 1), V(4, 4, 1, 1)};
    draw.texture = &texture;
    Canvas canvas(PixelFormat::Argb8888, 4, 4);
    draw.Into(canvas);
    EXPECT_EQ(canvas.At(0, 0), 0xFF000010u);
    EXPECT_EQ(canvas.At(3, 0), 0xFF000020u);
    EXPECT_EQ(canvas.At(0, 3), 0xFF000030u);
    EXPECT_EQ(canvas.At(3, 3), 0xFF000040u);
}

TEST(SoftwareTriangle, NegativePitchDrawsRowsUpwardInMemory)
{
    std::vector<uint32_t> memory(4 * 4, 0);
    const TriDestination destination{memory.data() + 12, 4, 4, -16, PixelFormat::Argb8888};
    const TriVertex quad[] = {V(0, 0, 0, 0, 0xFF112233), V(4, 0, 0, 0, 0xFF112233), V(0, 1, 0, 0, 0xFF112233),
                              V(4, 1, 0, 0, 0xFF112233)};
    SoftwareDrawTriangleStrip(quad, 4, nullptr, kWhite, DrawMode::Normal, {0, 0, 4, 4}, destination, false, true);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(memory[static_cast<std::size_t>(i)], i >= 12 ? 0xFF112233u : 0u) << i;
}

TEST(SoftwareTriangle, DrawingIsReentrant)
{
    const auto drawMany = [](Canvas& canvas, int seed) {
        Draw draw = CountingQuad(0, 0, 0, 0);
        for (int i = 0; i < 200; ++i) {
            const float t = static_cast<float>((seed * 31 + i * 17) % 97) / 97.0f;
            draw.vertices = {V(-5 + t * 10, -3, 0, 0), V(40, 2 + t * 5, 1, 0), V(3, 40 - t * 9, 0, 1),
                             V(35 * t, 30, 1, 1)};
            draw.Into(canvas, {1, 1, 30, 30});
        }
    };
    std::vector<Canvas> alone, together;
    for (int i = 0; i < 4; ++i) {
        alone.emplace_back(PixelFormat::Argb8888, 32, 32);
        together.emplace_back(PixelFormat::Argb8888, 32, 32);
        drawMany(alone.back(), i);
    }
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&, i] { drawMany(together[static_cast<std::size_t>(i)], i); });
    for (std::thread& thread : threads)
        thread.join();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Counts(together[static_cast<std::size_t>(i)]), Counts(alone[static_cast<std::size_t>(i)]));
}
