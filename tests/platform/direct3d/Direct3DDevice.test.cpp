// The Direct3D 7 stand-in: coverage of each primitive kind in each target format, pixels equal to the
// rasterizer's own for the same state, exact texel copies, clears, clipping to the target, targets the
// rasterizer lacks, culling, refusals, injected failures, counted objects, and fuzzed input.
#include "platform/direct3d/Direct3DDevice.h"

#include "graphics/raster/SoftwareTriangle.h"
#include "platform/direct3d/Direct3D.h"
#include "platform/direct3d/Direct3DEmulation.h"
#include "platform/directdraw/DirectDraw.h"
#include "platform/directdraw/DirectDrawEmulation.h"
#include "platform/directdraw/DirectDrawSurface.h"
#include "platform/directdraw/PixelCodec.h"
#include "tests/platform/directdraw/StandInRef.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace Platform;

using StandInTest::Ref;

struct NamedFormat {
    const char* name;
    PixelFormat format;
};
const NamedFormat kTargetFormats[] = {
    {"8888", kFormat8888}, {"x888", kFormatX888}, {"565", kFormat565}, {"555", kFormat555}};

Raster::PixelFormat RasterFormat(const PixelFormat& format)
{
    if (format == kFormatX888)
        return Raster::PixelFormat::Rgb888;
    if (format == kFormat565)
        return Raster::PixelFormat::Rgb565;
    if (format == kFormat555)
        return Raster::PixelFormat::Rgb555;
    return Raster::PixelFormat::Argb8888;
}

TLVertex Vertex(float x, float y, uint32_t color = 0xFFFFFFFF, float u = 0, float v = 0)
{
    TLVertex vertex;
    vertex.sx = x;
    vertex.sy = y;
    vertex.color = color;
    vertex.tu = u;
    vertex.tv = v;
    return vertex;
}

/// Corners top-left, top-right, bottom-left, bottom-right, with the texture's corners.
std::vector<TLVertex> Quad(float left, float top, float right, float bottom, uint32_t color = 0xFFFFFFFF)
{
    return {Vertex(left, top, color, 0, 0), Vertex(right, top, color, 1, 0), Vertex(left, bottom, color, 0, 1),
            Vertex(right, bottom, color, 1, 1)};
}

class Direct3DDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetDirectDrawEmulation();
        DirectDraw* directDraw = nullptr;
        ASSERT_EQ(DirectDrawCreateEx(nullptr, &directDraw, nullptr), DD_OK);
        mDD.reset(directDraw);
        void* direct3D = nullptr;
        ASSERT_EQ(mDD->QueryInterface(IID_IDirect3D7, &direct3D), DD_OK);
        mD3D.reset(static_cast<Direct3D*>(direct3D));
    }
    void TearDown() override
    {
        mD3D.reset();
        mDD.reset();
        ResetDirectDrawEmulation();
    }

    Ref<DirectDrawSurface> Surface(int width, int height, const PixelFormat& format, uint32_t caps)
    {
        SurfaceDesc desc;
        desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        desc.width = width;
        desc.height = height;
        desc.pixelFormat = format;
        desc.caps.caps = caps;
        DirectDrawSurface* surface = nullptr;
        EXPECT_EQ(mDD->CreateSurface(desc, &surface), DD_OK);
        return Ref<DirectDrawSurface>(surface);
    }
    Ref<DirectDrawSurface> Target(int width, int height, const PixelFormat& format = kFormat8888)
    {
        return Surface(width, height, format, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
    }
    /// A texture holding the ARGB texels, in its format.
    Ref<DirectDrawSurface> Texture(int width, int height, const std::vector<uint32_t>& argb,
                                   const PixelFormat& format = kFormat8888)
    {
        Ref<DirectDrawSurface> texture = Surface(width, height, format, DDSCAPS_TEXTURE);
        const PixelCodec codec(format);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                texture->SetPixelAt(x, y, codec.FromArgb(argb[static_cast<size_t>(y * width + x)]));
        return texture;
    }
    /// A device in a scene, with the states the display sets for every frame.
    Ref<Direct3DDevice> Device(DirectDrawSurface* target, bool additive = false)
    {
        Direct3DDevice* device = nullptr;
        EXPECT_EQ(mD3D->CreateDevice(IID_IDirect3DHALDevice, target, &device), D3D_OK);
        Ref<Direct3DDevice> held(device);
        EXPECT_EQ(device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1), D3D_OK);
        EXPECT_EQ(device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA), D3D_OK);
        EXPECT_EQ(device->SetRenderState(D3DRENDERSTATE_DESTBLEND, additive ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA),
                  D3D_OK);
        EXPECT_EQ(device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE), D3D_OK);
        EXPECT_EQ(device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE), D3D_OK);
        EXPECT_EQ(device->BeginScene(), D3D_OK);
        return held;
    }
    static HResult Draw(Direct3DDevice& device, uint32_t type, const std::vector<TLVertex>& vertices)
    {
        return device.DrawPrimitive(type, D3DFVF_TLVERTEX, vertices.data(), static_cast<uint32_t>(vertices.size()),
                                    D3DDP_WAIT);
    }
    /// '.' for black, '1' for one additive draw of 0x40, '2' for two, '?' otherwise; read through the red channel.
    static std::vector<std::string> CoverageMask(const DirectDrawSurface& surface)
    {
        const PixelCodec codec(surface.Format());
        std::vector<std::string> rows;
        for (int y = 0; y < surface.Height(); ++y) {
            std::string row;
            for (int x = 0; x < surface.Width(); ++x) {
                const uint32_t red = (codec.ToArgb(surface.PixelAt(x, y)) >> 16) & 0xFF;
                row += red < 0x20 ? '.' : red < 0x60 ? '1' : red < 0xA0 ? '2' : '?';
            }
            rows.push_back(row);
        }
        return rows;
    }
    static std::vector<uint32_t> RawPixels(const DirectDrawSurface& surface)
    {
        std::vector<uint32_t> pixels;
        for (int y = 0; y < surface.Height(); ++y)
            for (int x = 0; x < surface.Width(); ++x)
                pixels.push_back(surface.PixelAt(x, y));
        return pixels;
    }

    Ref<DirectDraw> mDD;
    Ref<Direct3D> mD3D;
};

// Additive draws of 0x40 show how often each pixel was written: shared edges of strips, fans and lists are drawn
// once, quads past the target are clipped to it, and lines leave out their last pixel.
TEST_F(Direct3DDeviceTest, PrimitivesCoverTheirPixelsOnceInEveryTargetFormat)
{
    struct Case {
        const char* name;
        uint32_t type;
        std::vector<TLVertex> vertices;
        std::vector<std::string> mask;
    };
    const std::vector<std::string> square = {"......", ".1111.", ".1111.", ".1111.", ".1111.", "......"};
    const Case cases[] = {
        {"strip quad", D3DPT_TRIANGLESTRIP, Quad(0.5f, 0.5f, 4.5f, 4.5f), square},
        {"strip of two quads",
         D3DPT_TRIANGLESTRIP,
         {Vertex(0.5f, 0.5f), Vertex(4.5f, 0.5f), Vertex(0.5f, 2.5f), Vertex(4.5f, 2.5f), Vertex(0.5f, 4.5f),
          Vertex(4.5f, 4.5f)},
         square},
        {"fan around the centre",
         D3DPT_TRIANGLEFAN,
         {Vertex(2.7f, 2.3f), Vertex(0.5f, 0.5f), Vertex(4.5f, 0.5f), Vertex(4.5f, 4.5f), Vertex(0.5f, 4.5f),
          Vertex(0.5f, 0.5f)},
         square},
        {"fan of one triangle",
         D3DPT_TRIANGLEFAN,
         {Vertex(0.5f, 0.5f), Vertex(4.5f, 0.5f), Vertex(0.5f, 4.5f)},
         {"......", ".111..", ".11...", ".1....", "......", "......"}},
        {"list of two triangles",
         D3DPT_TRIANGLELIST,
         {Vertex(0.5f, 0.5f), Vertex(4.5f, 0.5f), Vertex(0.5f, 4.5f), Vertex(4.5f, 0.5f), Vertex(4.5f, 4.5f),
          Vertex(0.5f, 4.5f)},
         square},
        {"quad past every edge",
         D3DPT_TRIANGLESTRIP,
         Quad(-3.0f, -3.0f, 9.5f, 9.5f),
         {"111111", "111111", "111111", "111111", "111111", "111111"}},
        {"line strip",
         D3DPT_LINESTRIP,
         {Vertex(0, 0), Vertex(4, 0), Vertex(4, 3)},
         {"11111.", "....1.", "....1.", "......", "......", "......"}},
        {"closed line strip",
         D3DPT_LINESTRIP,
         {Vertex(1, 1), Vertex(4, 1), Vertex(4, 4), Vertex(1, 4), Vertex(1, 1)},
         {"......", ".1111.", ".1..1.", ".1..1.", ".1111.", "......"}},
        {"diagonal line",
         D3DPT_LINESTRIP,
         {Vertex(0, 0), Vertex(4, 4)},
         {"1.....", ".1....", "..1...", "...1..", "......", "......"}},
        {"line ending off the target",
         D3DPT_LINESTRIP,
         {Vertex(2, 5), Vertex(2, -40)},
         {"..1...", "..1...", "..1...", "..1...", "..1...", "..1..."}},
    };
    for (const NamedFormat& format : kTargetFormats) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(format.name) + ": " + c.name);
            Ref<DirectDrawSurface> target = Target(6, 6, format.format);
            Ref<Direct3DDevice> device = Device(target.get(), true);
            std::vector<TLVertex> vertices = c.vertices;
            for (TLVertex& vertex : vertices)
                vertex.color = 0xFF404040;
            ASSERT_EQ(Draw(*device, c.type, vertices), D3D_OK);
            EXPECT_EQ(CoverageMask(*target), c.mask);
        }
    }
}

// The device hands its primitives to the rasterizer unchanged: whatever the primitive kind, the pixels equal
// the rasterizer's own strip drawn with the state the device maps to (vertex colours, the draw mode, the
// filter, texture alpha). A primitive of one colour takes the global-colour converter, which must give the
// vertex-colour converter's pixels; opaque white takes the converter without a colour multiply.
TEST_F(Direct3DDeviceTest, PixelsEqualTheRasterizersOwnStrip)
{
    const int size = 8;
    std::vector<uint32_t> texels;
    for (int i = 0; i < 16; ++i)
        texels.push_back((i % 3 == 0 ? 0xFF000000u : i % 3 == 1 ? 0x80000000u : 0u) | (0x00103050u * uint32_t(i)));
    std::vector<uint32_t> opaque(texels.size());
    for (size_t i = 0; i < texels.size(); ++i)
        opaque[i] = texels[i] | 0xFF000000u;

    struct Case {
        const char* name;
        std::vector<uint32_t> colours; // top-left, top-right, bottom-left, bottom-right
        bool additive;
        bool filter;
        bool alphaTexels;
        bool referenceVertexColours; // the converter the reference uses
    };
    const std::vector<uint32_t> shaded = {0xFFFF0000, 0x8000FF00, 0xC00000FF, 0x40FFFFFF};
    const std::vector<uint32_t> tinted(4, 0xA0FF8040);
    const std::vector<uint32_t> white(4, 0xFFFFFFFF);
    const Case cases[] = {
        {"shaded", shaded, false, false, true, true},
        {"shaded additive filtered", shaded, true, true, true, true},
        {"one colour", tinted, false, false, true, true},
        {"one colour additive", tinted, true, false, false, true},
        {"one colour filtered", tinted, false, true, true, true},
        {"white over opaque texels", white, false, false, false, false},
        {"white filtered", white, false, true, true, false},
    };
    // Each form of the quad, and the strip of the same two triangles (a fan splits the quad along the other
    // diagonal).
    const struct {
        uint32_t type;
        std::vector<int> order;     // corners of the quad, top-left 0, top-right 1, bottom-left 2, bottom-right 3
        std::vector<int> reference; // the strip
    } forms[] = {{D3DPT_TRIANGLESTRIP, {0, 1, 2, 3}, {0, 1, 2, 3}},
                 {D3DPT_TRIANGLEFAN, {0, 1, 3, 2}, {1, 0, 3, 2}},
                 {D3DPT_TRIANGLELIST, {0, 1, 2, 1, 3, 2}, {0, 1, 2, 3}}};

    for (const NamedFormat& format : kTargetFormats) {
        for (const Case& c : cases) {
            const std::vector<uint32_t>& source = c.alphaTexels ? texels : opaque;
            for (const auto& form : forms) {
                SCOPED_TRACE(std::string(format.name) + ": " + c.name + ", primitive " + std::to_string(form.type));
                Ref<DirectDrawSurface> target = Target(size, size, format.format);
                for (int y = 0; y < size; ++y)
                    for (int x = 0; x < size; ++x)
                        target->SetPixelAt(x, y,
                                           PixelCodec(format.format)
                                               .FromArgb(0xFF000000u | uint32_t(x * 30) << 16 | uint32_t(y * 30)));
                std::vector<uint8_t> reference(target->TopRow(), target->TopRow() + size * target->Pitch());
                Ref<DirectDrawSurface> texture = Texture(4, 4, source);
                Ref<Direct3DDevice> device = Device(target.get(), c.additive);
                ASSERT_EQ(device->SetTexture(0, texture.get()), D3D_OK);
                const uint32_t filter = c.filter ? D3DTFG_LINEAR : D3DTFG_POINT;
                ASSERT_EQ(device->SetTextureStageState(0, D3DTSS_MAGFILTER, filter), D3D_OK);
                ASSERT_EQ(device->SetTextureStageState(0, D3DTSS_MINFILTER, filter), D3D_OK);

                const std::vector<TLVertex> corners = {
                    Vertex(0.3f, 0.7f, c.colours[0], 0, 0), Vertex(7.2f, 0.4f, c.colours[1], 1, 0),
                    Vertex(0.6f, 6.9f, c.colours[2], 0, 1), Vertex(7.4f, 7.1f, c.colours[3], 1, 1)};
                std::vector<TLVertex> vertices;
                for (int corner : form.order)
                    vertices.push_back(corners[static_cast<size_t>(corner)]);
                ASSERT_EQ(Draw(*device, form.type, vertices), D3D_OK);

                std::vector<Raster::TriVertex> strip;
                for (int index : form.reference) {
                    const TLVertex& corner = corners[static_cast<size_t>(index)];
                    strip.push_back({corner.sx, corner.sy, corner.tu, corner.tv, corner.color});
                }
                const Raster::TriTexture rasterTexture{source.data(), 4, 4, 16, c.alphaTexels, c.alphaTexels};
                const Raster::TriDestination destination{reference.data(), size, size, target->Pitch(),
                                                         RasterFormat(format.format)};
                Raster::SoftwareDrawTriangleStrip(strip.data(), 4, &rasterTexture, 0xFFFFFFFF,
                                                  c.additive ? Raster::DrawMode::Additive : Raster::DrawMode::Normal,
                                                  {0, 0, size, size}, destination, c.filter, c.referenceVertexColours);
                EXPECT_EQ(std::memcmp(target->TopRow(), reference.data(), reference.size()), 0);
            }
        }
    }
}

// An image drawn unshaded and unscaled, as the display draws most of its images, keeps its exact texels, whatever
// the texture format holds exactly.
TEST_F(Direct3DDeviceTest, WhiteDiffuseCopiesTexelsExactly)
{
    const std::vector<uint32_t> texels = {0xFF123456, 0xFF89ABCD, 0xFFFEDCBA, 0xFF000001,
                                          0xFF7F7F7F, 0xFF808080, 0xFF010203, 0xFFFFFFFF};
    const std::vector<uint32_t> texels565 = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF,
                                             0xFF000000, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFF00};
    const struct {
        const char* name;
        PixelFormat format;
        const std::vector<uint32_t>& texels;
    } cases[] = {{"8888", kFormat8888, texels}, {"565", kFormat565, texels565}, {"4444", kFormat4444, texels565}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Ref<DirectDrawSurface> target = Target(4, 2);
        Ref<DirectDrawSurface> texture = Texture(4, 2, c.texels, c.format);
        Ref<Direct3DDevice> device = Device(target.get());
        ASSERT_EQ(device->SetTexture(0, texture.get()), D3D_OK);
        ASSERT_EQ(Draw(*device, D3DPT_TRIANGLESTRIP, Quad(-0.5f, -0.5f, 3.5f, 1.5f)), D3D_OK);
        EXPECT_EQ(RawPixels(*target), c.texels);
    }
}

TEST_F(Direct3DDeviceTest, ClearFillsTheViewportOrTheRectanglesInTheTargetsFormat)
{
    Ref<DirectDrawSurface> target = Target(6, 4, kFormat565);
    Ref<Direct3DDevice> device = Device(target.get());
    Viewport7 viewport;
    viewport.x = 1;
    viewport.y = 1;
    viewport.width = 3;
    viewport.height = 2;
    ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);
    const ClearRect rects[] = {{3, 0, 9, 9}, {0, 0, 1, 1}};
    ASSERT_EQ(device->Clear(2, rects, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
    std::vector<std::string> rows;
    for (int y = 0; y < 4; ++y) {
        std::string row;
        for (int x = 0; x < 6; ++x) {
            const uint32_t pixel = target->PixelAt(x, y);
            row += pixel == 0xF800 ? 'r' : pixel == 0x07E0 ? 'g' : pixel == 0 ? '.' : '?';
        }
        rows.push_back(row);
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"......", ".rrg..", ".rrg..", "......"}));
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_ZBUFFER_NOTPRESENT);
    EXPECT_EQ(device->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), DDERR_INVALIDPARAMS);
}

// A viewport taken from a window larger than the target (full screen on a wider desktop) still draws inside the
// target only: the spare bytes at the end of each row stay as they are, whatever way the rows run.
TEST_F(Direct3DDeviceTest, AViewportPastTheTargetNeverWritesOutsideIt)
{
    const struct {
        const char* name;
        SurfaceLayout layout;
        PixelFormat format;
    } cases[] = {{"padded rows", {3, false}, kFormat8888},
                 {"padded rows going up", {3, true}, kFormat565},
                 {"rows going up", {4, true}, kFormat8888}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetSurfaceLayout(c.layout);
        Ref<DirectDrawSurface> target = Target(5, 3, c.format);
        SetSurfaceLayout({});
        Ref<Direct3DDevice> device = Device(target.get());
        Viewport7 viewport;
        viewport.width = 1280;
        viewport.height = 1024;
        ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), D3D_OK);
        ASSERT_EQ(Draw(*device, D3DPT_TRIANGLESTRIP, Quad(-100, -100, 1000, 1000, 0xFFFF0000)), D3D_OK);
        ASSERT_EQ(Draw(*device, D3DPT_LINESTRIP, {Vertex(-50, 1, 0xFF00FF00), Vertex(900, 1, 0xFF00FF00)}), D3D_OK);
        const PixelCodec codec(c.format);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(codec.ToArgb(target->PixelAt(x, y)) & 0xFFFFFF, y == 1 ? 0x00FF00u : 0xFF0000u);
            const uint8_t* padding = target->TopRow() + y * target->Pitch() + 5 * codec.BytesPerPixel();
            for (int i = 0; i < c.layout.rowPadding; ++i)
                EXPECT_EQ(padding[i], 0) << "row " << y;
        }
    }
}

// A target in a format the rasterizer does not draw gets the pixels it would get from an ARGB target of the same
// content, narrowed to its format.
TEST_F(Direct3DDeviceTest, TargetsTheRasterizerLacksAreDrawnThroughAnArgbCopy)
{
    const NamedFormat formats[] = {{"4444", kFormat4444},
                                   {"blue-green-red", PixelFormat{DDPF_RGB, 32, 0xFF, 0xFF00, 0xFF0000, 0}},
                                   {"24-bit", PixelFormat{DDPF_RGB, 24, 0xFF0000, 0xFF00, 0xFF, 0}}};
    for (const NamedFormat& format : formats) {
        SCOPED_TRACE(format.name);
        const PixelCodec codec(format.format);
        const bool alpha = format.format.alphaMask != 0;
        Ref<DirectDrawSurface> odd = Target(6, 5, format.format);
        Ref<DirectDrawSurface> argb = Target(6, 5, alpha ? kFormat8888 : kFormatX888);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 6; ++x) {
                odd->SetPixelAt(x, y, codec.FromArgb(0xC0000000u | uint32_t(x * 40) << 8 | uint32_t(y * 50)));
                argb->SetPixelAt(x, y, codec.ToArgb(odd->PixelAt(x, y)));
            }
        }
        for (DirectDrawSurface* target : {odd.get(), argb.get()}) {
            Ref<Direct3DDevice> device = Device(target);
            ASSERT_EQ(Draw(*device, D3DPT_TRIANGLESTRIP, Quad(0.5f, 0.2f, 4.5f, 3.7f, 0xFF336699)), D3D_OK);
            ASSERT_EQ(Draw(*device, D3DPT_TRIANGLEFAN,
                           {Vertex(1, 1, 0x80FF0000), Vertex(5, 1, 0x80FF0000), Vertex(5, 4, 0x8000FF00)}),
                      D3D_OK);
            ASSERT_EQ(Draw(*device, D3DPT_LINESTRIP, {Vertex(0, 4, 0xFFFFFFFF), Vertex(6, 4, 0xFFFFFFFF)}), D3D_OK);
        }
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x)
                EXPECT_EQ(odd->PixelAt(x, y), codec.FromArgb(argb->PixelAt(x, y))) << x << ", " << y;
    }
}

TEST_F(Direct3DDeviceTest, CullModesDropTrianglesByTheirWindingOnScreen)
{
    const std::vector<TLVertex> clockwise = {Vertex(0.5f, 0.5f), Vertex(3.5f, 0.5f), Vertex(0.5f, 3.5f)};
    const std::vector<TLVertex> counter = {Vertex(0.5f, 0.5f), Vertex(0.5f, 3.5f), Vertex(3.5f, 0.5f)};
    const struct {
        uint32_t cull;
        bool clockwiseDrawn;
        bool counterDrawn;
    } cases[] = {{D3DCULL_NONE, true, true}, {D3DCULL_CW, false, true}, {D3DCULL_CCW, true, false}};
    for (const auto& c : cases) {
        for (const uint32_t type : {D3DPT_TRIANGLELIST, D3DPT_TRIANGLESTRIP, D3DPT_TRIANGLEFAN}) {
            SCOPED_TRACE(std::to_string(c.cull) + " " + std::to_string(type));
            for (const bool isClockwise : {true, false}) {
                Ref<DirectDrawSurface> target = Target(4, 4);
                Ref<Direct3DDevice> device = Device(target.get());
                ASSERT_EQ(device->SetRenderState(D3DRENDERSTATE_CULLMODE, c.cull), D3D_OK);
                ASSERT_EQ(Draw(*device, type, isClockwise ? clockwise : counter), D3D_OK);
                EXPECT_EQ(target->PixelAt(1, 1) != 0, isClockwise ? c.clockwiseDrawn : c.counterDrawn);
            }
        }
    }
    // The second triangle of a strip runs the other way round in its vertex order, and is still clockwise.
    Ref<DirectDrawSurface> target = Target(4, 4);
    Ref<Direct3DDevice> device = Device(target.get());
    ASSERT_EQ(device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CCW), D3D_OK);
    ASSERT_EQ(Draw(*device, D3DPT_TRIANGLESTRIP, Quad(0.5f, 0.5f, 3.5f, 3.5f)), D3D_OK);
    EXPECT_NE(target->PixelAt(3, 3), 0u);
}

TEST_F(Direct3DDeviceTest, MisuseAndStatesWithoutAConverterAreRefused)
{
    Ref<DirectDrawSurface> target = Target(4, 4);
    Ref<DirectDrawSurface> plain = Surface(4, 4, kFormat8888, DDSCAPS_OFFSCREENPLAIN);
    Ref<Direct3DDevice> device = Device(target.get());
    const std::vector<TLVertex> quad = Quad(0, 0, 4, 4);
    const struct {
        const char* name;
        std::function<HResult()> call;
        HResult expected;
    } cases[] = {
        {"second scene", [&] { return device->BeginScene(); }, D3DERR_SCENE_IN_SCENE},
        {"another vertex format",
         [&] { return device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_XYZRHW, quad.data(), 4, 0); },
         D3DERR_INVALIDVERTEXTYPE},
        {"points", [&] { return Draw(*device, D3DPT_POINTLIST, quad); }, D3DERR_INVALIDPRIMITIVETYPE},
        {"no vertices", [&] { return device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, nullptr, 4, 0); },
         DDERR_INVALIDPARAMS},
        {"colour blend factor",
         [&] {
             device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_SRCCOLOR);
             const HResult result = Draw(*device, D3DPT_TRIANGLESTRIP, quad);
             device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA);
             return result;
         },
         D3DERR_UNSUPPORTEDFACTORVALUE},
        {"locked target",
         [&] {
             SurfaceDesc desc;
             target->Lock(nullptr, &desc, DDLOCK_WAIT);
             const HResult result = Draw(*device, D3DPT_TRIANGLESTRIP, quad);
             target->Unlock();
             return result;
         },
         DDERR_SURFACEBUSY},
        {"texture without the texture cap", [&] { return device->SetTexture(0, plain.get()); }, DDERR_INVALIDCAPS},
        {"render target without the 3-D cap", [&] { return device->SetRenderTarget(plain.get(), 0); },
         DDERR_INVALIDCAPS},
        {"adding stage", [&] { return device->SetTextureStageState(0, D3DTSS_COLOROP, 7); },
         D3DERR_UNSUPPORTEDCOLOROPERATION},
        {"second stage", [&] { return device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE); },
         DDERR_INVALIDPARAMS},
        {"anisotropic filter", [&] { return device->SetTextureStageState(0, D3DTSS_MAGFILTER, 5); },
         D3DERR_UNSUPPORTEDTEXTUREFILTER},
        {"unknown render state", [&] { return device->SetRenderState(9999, 1); }, DDERR_INVALIDPARAMS},
        {"empty viewport",
         [&] {
             const Viewport7 empty;
             return device->SetViewport(&empty);
         },
         DDERR_INVALIDPARAMS},
        {"software device",
         [&] {
             Direct3DDevice* other = nullptr;
             return mD3D->CreateDevice(IID_IDirectDraw7, target.get(), &other);
         },
         D3DERR_INVALID_DEVICE},
        {"device on a plain surface",
         [&] {
             Direct3DDevice* other = nullptr;
             return mD3D->CreateDevice(IID_IDirect3DHALDevice, plain.get(), &other);
         },
         DDERR_INVALIDCAPS},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.call(), c.expected);
    }
    EXPECT_EQ(RawPixels(*target), std::vector<uint32_t>(16, 0u)) << "nothing refused was drawn";
    ASSERT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(Draw(*device, D3DPT_TRIANGLESTRIP, quad), D3DERR_SCENE_NOT_IN_SCENE);
    EXPECT_EQ(device->EndScene(), D3DERR_SCENE_NOT_IN_SCENE);
}

TEST_F(Direct3DDeviceTest, EveryMethodCanBeMadeToFail)
{
    Ref<DirectDrawSurface> target = Target(4, 4);
    Ref<Direct3DDevice> device = Device(target.get());
    const std::vector<TLVertex> quad = Quad(0, 0, 4, 4);
    Viewport7 viewport;
    viewport.width = 4;
    viewport.height = 4;
    DeviceDesc7 caps;
    void* object = nullptr;
    Direct3DDevice* other = nullptr;
    const struct {
        DirectDrawCall call;
        std::function<HResult()> invoke;
    } cases[] = {
        {DirectDrawCall::QueryInterface, [&] { return mDD->QueryInterface(IID_IDirect3D7, &object); }},
        {DirectDrawCall::CreateDevice,
         [&] { return mD3D->CreateDevice(IID_IDirect3DHALDevice, target.get(), &other); }},
        {DirectDrawCall::GetCaps, [&] { return device->GetCaps(&caps); }},
        {DirectDrawCall::EnumTextureFormats,
         [&] { return device->EnumTextureFormats([](PixelFormat*, void*) { return D3DENUMRET_OK; }, nullptr); }},
        {DirectDrawCall::SetViewport, [&] { return device->SetViewport(&viewport); }},
        {DirectDrawCall::Clear, [&] { return device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0); }},
        {DirectDrawCall::SetRenderTarget, [&] { return device->SetRenderTarget(target.get(), 0); }},
        {DirectDrawCall::EndScene, [&] { return device->EndScene(); }},
        {DirectDrawCall::BeginScene, [&] { return device->BeginScene(); }},
        {DirectDrawCall::SetRenderState, [&] { return device->SetRenderState(D3DRENDERSTATE_LIGHTING, 0); }},
        {DirectDrawCall::SetTextureStageState,
         [&] { return device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_POINT); }},
        {DirectDrawCall::SetTexture, [&] { return device->SetTexture(0, nullptr); }},
        {DirectDrawCall::DrawPrimitive, [&] { return Draw(*device, D3DPT_TRIANGLESTRIP, quad); }},
    };
    constexpr HResult kInjected = HResult(0x8876F00DU);
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.call));
        InjectDirectDrawFailure(c.call, kInjected, 0, 1);
        EXPECT_EQ(c.invoke(), kInjected);
        EXPECT_EQ(c.invoke(), D3D_OK) << "only the one call fails";
    }
    static_cast<Direct3D*>(object)->Release(); // the second QueryInterface handed out a Direct3D object
    other->Release();
    EXPECT_EQ(RawPixels(*target), std::vector<uint32_t>(16, 0xFFFFFFFFu)) << "the failed draw drew nothing";
}

// Each object holds what it was made from, so the display may release DirectDraw and Direct3D before the device,
// and the last release of the device frees everything.
TEST_F(Direct3DDeviceTest, ReleasingParentsFirstLeavesChildrenWorking)
{
    const int surfaces = LiveDirectDrawSurfaceCount();
    Ref<DirectDrawSurface> target = Target(4, 4);
    Ref<DirectDrawSurface> texture = Texture(1, 1, {0xFF00FF00});
    Ref<Direct3DDevice> device = Device(target.get());
    ASSERT_EQ(device->SetTexture(0, texture.get()), D3D_OK);
    target.reset();
    texture.reset();
    mD3D.reset();
    mDD.reset();
    EXPECT_EQ(LiveDirectDrawCount(), 1);
    EXPECT_EQ(LiveDirect3DCount(), 1);
    EXPECT_EQ(LiveDirectDrawSurfaceCount(), surfaces + 2);
    ASSERT_EQ(Draw(*device, D3DPT_TRIANGLESTRIP, Quad(-1, -1, 5, 5)), D3D_OK);
    EXPECT_EQ(device->RenderTarget()->PixelAt(3, 3), 0xFF00FF00u);
    device.reset();
    EXPECT_EQ(LiveDirect3DDeviceCount(), 0);
    EXPECT_EQ(LiveDirect3DCount(), 0);
    EXPECT_EQ(LiveDirectDrawCount(), 0);
    EXPECT_EQ(LiveDirectDrawSurfaceCount(), surfaces);
}

TEST_F(Direct3DDeviceTest, QueryInterfaceHandsOutCountedInterfaces)
{
    mD3D.reset(); // it held a reference on the DirectDraw object
    void* object = nullptr;
    ASSERT_EQ(mDD->QueryInterface(IID_IDirectDraw7, &object), DD_OK);
    EXPECT_EQ(object, mDD.get());
    EXPECT_EQ(mDD->Release(), 1u) << "the query added a reference";
    EXPECT_EQ(mDD->QueryInterface(IID_IDirectDrawSurface7, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);

    Ref<DirectDrawSurface> surface = Target(2, 2);
    for (const InterfaceId id : {IID_IDirectDrawSurface7, IID_IDirectDrawSurface}) {
        ASSERT_EQ(surface->QueryInterface(id, &object), DD_OK);
        EXPECT_EQ(object, surface.get());
        EXPECT_EQ(surface->Release(), 1u);
    }
    EXPECT_EQ(surface->QueryInterface(IID_IDirect3D7, &object), E_NOINTERFACE);
}

TEST_F(Direct3DDeviceTest, CapsAndTextureFormatsFollowTheEmulatedCard)
{
    Ref<DirectDrawSurface> target = Target(2, 2);
    Ref<Direct3DDevice> device = Device(target.get());
    struct Seen {
        std::vector<PixelFormat> formats;
        size_t stopAfter = 99;
    } seen;
    const auto collect = [](PixelFormat* format, void* context) {
        auto* s = static_cast<Seen*>(context);
        s->formats.push_back(*format);
        return s->formats.size() >= s->stopAfter ? D3DENUMRET_CANCEL : D3DENUMRET_OK;
    };
    ASSERT_EQ(device->EnumTextureFormats(collect, &seen), D3D_OK);
    EXPECT_EQ(seen.formats, (std::vector<PixelFormat>{kFormat8888, kFormat4444, kFormat565}));
    seen = {{}, 1};
    ASSERT_EQ(device->EnumTextureFormats(collect, &seen), D3D_OK);
    EXPECT_EQ(seen.formats.size(), 1u);

    DeviceDesc7 chosen;
    chosen.minTextureWidth = 8;
    chosen.maxTextureAspectRatio = 4;
    SetEmulatedDeviceCaps(chosen);
    DeviceDesc7 caps;
    ASSERT_EQ(device->GetCaps(&caps), D3D_OK);
    EXPECT_EQ(caps.minTextureWidth, 8u);
    EXPECT_EQ(caps.maxTextureWidth, 0u);
    EXPECT_EQ(caps.maxTextureAspectRatio, 4u);
    EXPECT_EQ(caps.triCaps.textureCaps & D3DPTEXTURECAPS_ALPHAPALETTE, 0u);
}

// Texture surfaces are sampled as ARGB, their channels widened by repeating their bits; 8888 rows in place.
TEST_F(Direct3DDeviceTest, TexturesAreSampledAsWidenedArgb)
{
    const struct {
        const char* name;
        PixelFormat format;
        uint32_t raw;
        uint32_t argb;
        bool hasAlpha;
    } cases[] = {{"4444 half alpha", kFormat4444, 0x8F00, 0x88FF0000, true},
                 {"4444 opaque", kFormat4444, 0xF1E2, 0xFF11EE22, false},
                 {"565", kFormat565, 0xF81F, 0xFFFF00FF, false},
                 {"565 low bits", kFormat565, 0x0821, 0xFF080408, false},
                 {"8888", kFormat8888, 0x00123456, 0x00123456, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Ref<DirectDrawSurface> texture = Surface(2, 1, c.format, DDSCAPS_TEXTURE);
        SurfaceDesc desc;
        ASSERT_EQ(texture->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY), DD_OK);
        EXPECT_EQ(desc.pixelFormat, c.format);
        PixelCodec::Write(desc.surface, static_cast<int>(c.format.rgbBitCount / 8), c.raw);
        PixelCodec::Write(desc.surface + c.format.rgbBitCount / 8, static_cast<int>(c.format.rgbBitCount / 8),
                          PixelCodec(c.format).FromArgb(0xFFFFFFFF));
        ASSERT_EQ(texture->Unlock(), DD_OK);
        const TexelView& view = texture->Texels();
        ASSERT_NE(view.texels, nullptr);
        EXPECT_EQ(view.texels[0], c.argb);
        EXPECT_EQ(view.texels[1], 0xFFFFFFFFu);
        EXPECT_EQ(view.hasAlpha, c.hasAlpha);
        EXPECT_EQ(view.hasTransparency, (c.argb >> 24) == 0);
        if (c.format == kFormat8888) {
            EXPECT_EQ(reinterpret_cast<const uint8_t*>(view.texels), texture->TopRow());
        }
    }
}

// Huge, degenerate, non-finite and far-off coordinates go through every primitive kind into targets the
// rasterizer draws directly and through a copy; nothing is written outside the target (the sanitizer build
// watches the memory, the padding shows stray writes within it).
TEST_F(Direct3DDeviceTest, FuzzedPrimitivesStayInsideTheTarget)
{
    std::mt19937 random(19);
    const auto coordinate = [&]() -> float {
        switch (random() % 8) {
        case 0:
            return std::ldexp(static_cast<float>(random() % 2000) - 1000.0f, static_cast<int>(random() % 120));
        case 1:
            return std::numeric_limits<float>::quiet_NaN();
        case 2:
            return random() % 2 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
        case 3:
            return static_cast<float>(random() % 5) - 0.5f; // on pixel edges
        default:
            return static_cast<float>(static_cast<int>(random() % 4000) - 1000) / 100.0f;
        }
    };
    const struct {
        SurfaceLayout layout;
        PixelFormat format;
    } targets[] = {{{4, false}, kFormat8888}, {{2, true}, kFormat565}, {{3, false}, kFormat4444}};
    const uint32_t types[] = {D3DPT_TRIANGLELIST, D3DPT_TRIANGLESTRIP, D3DPT_TRIANGLEFAN, D3DPT_LINESTRIP};
    Ref<DirectDrawSurface> texture = Texture(3, 2, {0x80FF0000, 0xFF00FF00, 0, 0xFFFFFFFF, 0x10101010, 0xFF000000});
    for (const auto& t : targets) {
        SetSurfaceLayout(t.layout);
        Ref<DirectDrawSurface> target = Target(13, 9, t.format);
        SetSurfaceLayout({});
        Ref<Direct3DDevice> device = Device(target.get());
        for (int round = 0; round < 1500; ++round) {
            std::vector<TLVertex> vertices(random() % 10);
            const bool repeat = random() % 4 == 0; // degenerate: every vertex in one place
            for (TLVertex& vertex : vertices) {
                vertex = repeat && &vertex != vertices.data()
                             ? vertices.front()
                             : Vertex(coordinate(), coordinate(), random(), coordinate(), coordinate());
            }
            ASSERT_EQ(device->SetTexture(0, random() % 2 ? texture.get() : nullptr), D3D_OK);
            ASSERT_EQ(
                device->SetRenderState(D3DRENDERSTATE_DESTBLEND, random() % 2 ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA),
                D3D_OK);
            ASSERT_EQ(device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE + random() % 3), D3D_OK);
            ASSERT_EQ(device->SetTextureStageState(0, D3DTSS_MAGFILTER, random() % 2 ? D3DTFG_LINEAR : D3DTFG_POINT),
                      D3D_OK);
            ASSERT_EQ(Draw(*device, types[random() % 4], vertices), D3D_OK);
        }
        const int bytes = static_cast<int>(t.format.rgbBitCount / 8);
        for (int y = 0; y < 9; ++y) {
            const uint8_t* padding = target->TopRow() + y * target->Pitch() + 13 * bytes;
            for (int i = 0; i < t.layout.rowPadding; ++i)
                ASSERT_EQ(padding[i], 0) << "row " << y;
        }
    }
}

} // namespace
