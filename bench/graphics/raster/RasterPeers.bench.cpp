// The rasterizer against the two libraries a user would reach for instead, on the same five scenes: pixman
// (compositing with affine transforms) and SDL2's software renderer (SDL_RenderGeometry into a surface). The
// same scenes also go through the 3-D device of the platform layer alone ("device"), driven here with whole-pixel
// corners and point sampling: it costs the device's state mapping and vertex set-up on top of the rasterizer. The
// game's own path (Graphics, with the framework's corners and filter states) is measured in
// bench/graphics/GamePath.bench.cpp.
// Every benchmark reports "Mpixel/s": the scene's destination area drawn per second, the same area for all
// three, so ratios compare like with like. ratio_table.py turns a --benchmark_out file into ours / peer.
#include "graphics/raster/SoftwareTriangle.h"
#include "platform/direct3d/Direct3D.h"
#include "platform/direct3d/Direct3DDevice.h"
#include "platform/directdraw/DirectDraw.h"
#include "platform/directdraw/DirectDrawSurface.h"

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using Raster::PixelFormat;

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr int kSpriteSize = 64;
constexpr int kSpriteCount = 200;
constexpr int kImageSize = 256;
constexpr double kRotationDegrees = 30.0;
constexpr int kMeshColumns = 25; // 25 × 20 cells of two triangles: 1,000 triangles
constexpr int kMeshRows = 20;

// ---------------------------------------------------------------------------------------------------------
// Scene content, shared by the three renderers. Textures are straight (not premultiplied) ARGB; pixman gets a
// premultiplied copy, which is what its OVER and ADD expect.

uint32_t Hash(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> texels;
};

Image OpaquePicture(int width, int height, uint32_t seed)
{
    Image image{width, height, std::vector<uint32_t>(static_cast<std::size_t>(width) * height)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t noise = Hash(static_cast<uint32_t>(y * width + x) ^ seed) & 0x1F1F1F;
            const uint32_t ramp = (static_cast<uint32_t>(x * 200 / width) << 16) |
                                  (static_cast<uint32_t>(y * 200 / height) << 8) |
                                  static_cast<uint32_t>((x + y) * 100 / (width + height));
            image.texels[static_cast<std::size_t>(y * width + x)] = 0xFF000000u | (ramp + noise);
        }
    return image;
}

// A soft disc: opaque in the middle, an alpha ramp at the rim, transparent corners.
Image Sprite()
{
    Image image{kSpriteSize, kSpriteSize, std::vector<uint32_t>(kSpriteSize * kSpriteSize)};
    const double centre = (kSpriteSize - 1) / 2.0;
    for (int y = 0; y < kSpriteSize; ++y)
        for (int x = 0; x < kSpriteSize; ++x) {
            const double r = std::hypot(x - centre, y - centre);
            const double cover = std::clamp((31.5 - r) / 8.0, 0.0, 1.0);
            const auto alpha = static_cast<uint32_t>(cover * 255.0 + 0.5);
            const uint32_t colour = (static_cast<uint32_t>(40 + 3 * x) << 16) |
                                    (static_cast<uint32_t>(60 + 2 * y) << 8) | static_cast<uint32_t>(200 - x - y);
            image.texels[static_cast<std::size_t>(y * kSpriteSize + x)] = (alpha << 24) | colour;
        }
    return image;
}

std::vector<uint32_t> Premultiplied(const Image& image)
{
    std::vector<uint32_t> out(image.texels.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        const uint32_t t = image.texels[i];
        const uint32_t a = t >> 24;
        const auto scale = [&](int shift) { return ((((t >> shift) & 0xFF) * a + 127) / 255) << shift; };
        out[i] = (a << 24) | scale(16) | scale(8) | scale(0);
    }
    return out;
}

struct Point {
    int x;
    int y;
};

std::vector<Point> SpritePositions()
{
    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> x(0, kScreenWidth - kSpriteSize);
    std::uniform_int_distribution<int> y(0, kScreenHeight - kSpriteSize);
    std::vector<Point> positions(kSpriteCount);
    for (Point& p : positions)
        p = {x(random), y(random)};
    return positions;
}

// The rotated image: corners in the order top-left, top-right, bottom-left, bottom-right, around the screen's
// centre. The destination area is the image's own, 256 × 256, whatever the peers cover around it.
struct Corner {
    float x;
    float y;
};

std::vector<Corner> RotatedCorners()
{
    const double angle = kRotationDegrees * M_PI / 180.0;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const double h = kImageSize / 2.0;
    const Corner local[4] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    std::vector<Corner> corners;
    for (const Corner& l : local) {
        const double x = l.x * h;
        const double y = l.y * h;
        corners.push_back({static_cast<float>(kScreenWidth / 2.0 + x * c - y * s),
                           static_cast<float>(kScreenHeight / 2.0 + x * s + y * c)});
    }
    return corners;
}

// Mesh vertices (kMeshColumns + 1) × (kMeshRows + 1) over the screen, jittered inside, opaque random colours.
struct MeshVertex {
    float x;
    float y;
    uint32_t color;
};

std::vector<MeshVertex> Mesh()
{
    std::mt19937 random(4242);
    std::uniform_real_distribution<float> jitter(-6.0f, 6.0f);
    std::vector<MeshVertex> mesh;
    for (int row = 0; row <= kMeshRows; ++row)
        for (int column = 0; column <= kMeshColumns; ++column) {
            float x = static_cast<float>(column * kScreenWidth) / kMeshColumns;
            float y = static_cast<float>(row * kScreenHeight) / kMeshRows;
            if (column > 0 && column < kMeshColumns)
                x += jitter(random);
            if (row > 0 && row < kMeshRows)
                y += jitter(random);
            mesh.push_back({x, y, 0xFF000000u | (static_cast<uint32_t>(random()) & 0xFFFFFF)});
        }
    return mesh;
}

const MeshVertex& MeshAt(const std::vector<MeshVertex>& mesh, int column, int row)
{
    return mesh[static_cast<std::size_t>(row * (kMeshColumns + 1) + column)];
}

struct Content {
    Image picture = OpaquePicture(kScreenWidth, kScreenHeight, 1);
    Image sprite = Sprite();
    Image image = OpaquePicture(kImageSize, kImageSize, 2);
    std::vector<Point> positions = SpritePositions();
    std::vector<Corner> corners = RotatedCorners();
    std::vector<MeshVertex> mesh = Mesh();
};

const Content& Scenes()
{
    static const Content content;
    return content;
}

enum class Scene { OpaqueQuad = 1, AlphaSprites, RotatedImage, ColourMesh, AdditiveSprites };

int64_t DestinationArea(Scene scene)
{
    switch (scene) {
    case Scene::OpaqueQuad:
    case Scene::ColourMesh:
        return int64_t{kScreenWidth} * kScreenHeight;
    case Scene::AlphaSprites:
    case Scene::AdditiveSprites:
        return int64_t{kSpriteCount} * kSpriteSize * kSpriteSize;
    case Scene::RotatedImage:
        return int64_t{kImageSize} * kImageSize;
    }
    return 0;
}

// The background every scene draws over: opaque, so that blends do real work in every format.
std::vector<uint32_t> Background()
{
    return OpaquePicture(kScreenWidth, kScreenHeight, 3).texels;
}

uint16_t To565(uint32_t c)
{
    return static_cast<uint16_t>(((c >> 8) & 0xF800) | ((c >> 5) & 0x7E0) | ((c >> 3) & 0x1F));
}

// A screen-sized frame buffer in 8888 or 565, filled with the background.
struct Screen {
    explicit Screen(bool is565) : is565(is565), pitch(kScreenWidth * (is565 ? 2 : 4))
    {
        bytes.resize(static_cast<std::size_t>(pitch) * kScreenHeight);
        const std::vector<uint32_t> background = Background();
        for (std::size_t i = 0; i < background.size(); ++i) {
            if (is565)
                reinterpret_cast<uint16_t*>(bytes.data())[i] = To565(background[i]);
            else
                reinterpret_cast<uint32_t*>(bytes.data())[i] = background[i];
        }
    }
    bool is565;
    int pitch;
    std::vector<uint8_t> bytes;
};

void Report(benchmark::State& state, Scene scene)
{
    state.counters["Mpixel/s"] =
        benchmark::Counter(static_cast<double>(DestinationArea(scene)) * static_cast<double>(state.iterations()) / 1e6,
                           benchmark::Counter::kIsRate);
}

// ---------------------------------------------------------------------------------------------------------
// Ours.

Raster::TriTexture TextureOf(const Image& image, bool hasAlpha)
{
    return {image.texels.data(), image.width, image.height, 0, hasAlpha, hasAlpha};
}

void Quad(float x0, float y0, float x1, float y1, Raster::TriVertex* out)
{
    out[0] = {x0, y0, 0, 0, 0xFFFFFFFF};
    out[1] = {x1, y0, 1, 0, 0xFFFFFFFF};
    out[2] = {x0, y1, 0, 1, 0xFFFFFFFF};
    out[3] = {x1, y1, 1, 1, 0xFFFFFFFF};
}

void RunOurs(benchmark::State& state, Scene scene, bool is565)
{
    const Content& content = Scenes();
    Screen screen(is565);
    const Raster::TriDestination destination{screen.bytes.data(), kScreenWidth, kScreenHeight, screen.pitch,
                                             is565 ? PixelFormat::Rgb565 : PixelFormat::Argb8888};
    const Raster::TriClipRect clip{0, 0, kScreenWidth, kScreenHeight};
    const Raster::TriTexture picture = TextureOf(content.picture, false);
    const Raster::TriTexture sprite = TextureOf(content.sprite, true);
    const Raster::TriTexture image = TextureOf(content.image, false);

    std::vector<std::vector<Raster::TriVertex>> strips;
    const auto addQuad = [&](float x0, float y0, float x1, float y1) {
        strips.emplace_back(4);
        Quad(x0, y0, x1, y1, strips.back().data());
    };
    switch (scene) {
    case Scene::OpaqueQuad:
        addQuad(0, 0, kScreenWidth, kScreenHeight);
        break;
    case Scene::AlphaSprites:
    case Scene::AdditiveSprites:
        for (const Point& p : content.positions)
            addQuad(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.x + kSpriteSize),
                    static_cast<float>(p.y + kSpriteSize));
        break;
    case Scene::RotatedImage: {
        strips.emplace_back(4);
        Quad(0, 0, 1, 1, strips.back().data());
        for (int i = 0; i < 4; ++i) {
            strips.back()[static_cast<std::size_t>(i)].x = content.corners[static_cast<std::size_t>(i)].x;
            strips.back()[static_cast<std::size_t>(i)].y = content.corners[static_cast<std::size_t>(i)].y;
        }
        break;
    }
    case Scene::ColourMesh:
        // One strip per row of cells: top and bottom vertex of each column in turn.
        for (int row = 0; row < kMeshRows; ++row) {
            strips.emplace_back();
            for (int column = 0; column <= kMeshColumns; ++column)
                for (int r : {row, row + 1}) {
                    const MeshVertex& m = MeshAt(content.mesh, column, r);
                    strips.back().push_back({m.x, m.y, 0, 0, m.color});
                }
        }
        break;
    }

    const Raster::TriTexture* texture = scene == Scene::OpaqueQuad     ? &picture
                                        : scene == Scene::RotatedImage ? &image
                                        : scene == Scene::ColourMesh   ? nullptr
                                                                       : &sprite;
    const uint32_t color = scene == Scene::RotatedImage ? 0x80FFFFFFu : 0xFFFFFFFFu;
    const auto mode = scene == Scene::AdditiveSprites ? Raster::DrawMode::Additive : Raster::DrawMode::Normal;
    const bool filter = scene == Scene::RotatedImage;
    const bool vertexColours = scene == Scene::ColourMesh;

    for (auto _ : state) {
        for (const auto& strip : strips)
            Raster::SoftwareDrawTriangleStrip(strip.data(), static_cast<int>(strip.size()), texture, color, mode, clip,
                                              destination, filter, vertexColours);
        benchmark::DoNotOptimize(screen.bytes.data());
        benchmark::ClobberMemory();
    }
    Report(state, scene);
}

// ---------------------------------------------------------------------------------------------------------
// pixman: SRC for the opaque quad, OVER for sprites, OVER through a solid mask of alpha 0.5 for the rotated
// image (bilinear, its inverse transform on the source), ADD for additive sprites. It has no Gouraud shading.

struct PixmanImage {
    pixman_image_t* image = nullptr;
    PixmanImage() = default;
    explicit PixmanImage(pixman_image_t* i) : image(i) {}
    PixmanImage(const PixmanImage&) = delete;
    PixmanImage& operator=(const PixmanImage&) = delete;
    ~PixmanImage()
    {
        if (image != nullptr)
            pixman_image_unref(image);
    }
};

pixman_fixed_t Fixed(double v)
{
    return static_cast<pixman_fixed_t>(std::lround(v * 65536.0));
}

void RunPixman(benchmark::State& state, Scene scene, bool is565)
{
    const Content& content = Scenes();
    Screen screen(is565);
    PixmanImage destination(pixman_image_create_bits(is565 ? PIXMAN_r5g6b5 : PIXMAN_a8r8g8b8, kScreenWidth,
                                                     kScreenHeight, reinterpret_cast<uint32_t*>(screen.bytes.data()),
                                                     screen.pitch));
    std::vector<uint32_t> picture = content.picture.texels;
    std::vector<uint32_t> sprite = Premultiplied(content.sprite);
    std::vector<uint32_t> image = content.image.texels;
    PixmanImage pictureImage(
        pixman_image_create_bits(PIXMAN_a8r8g8b8, kScreenWidth, kScreenHeight, picture.data(), kScreenWidth * 4));
    PixmanImage spriteImage(
        pixman_image_create_bits(PIXMAN_a8r8g8b8, kSpriteSize, kSpriteSize, sprite.data(), kSpriteSize * 4));
    PixmanImage imageImage(
        pixman_image_create_bits(PIXMAN_a8r8g8b8, kImageSize, kImageSize, image.data(), kImageSize * 4));
    pixman_image_set_filter(pictureImage.image, PIXMAN_FILTER_NEAREST, nullptr, 0);
    pixman_image_set_filter(spriteImage.image, PIXMAN_FILTER_NEAREST, nullptr, 0);

    // The rotated image: destination pixels map back into the source through the inverse rotation.
    const double angle = kRotationDegrees * M_PI / 180.0;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const double half = kImageSize / 2.0;
    const double extent = half * (std::abs(c) + std::abs(s));
    const int boxX = static_cast<int>(std::floor(kScreenWidth / 2.0 - extent));
    const int boxY = static_cast<int>(std::floor(kScreenHeight / 2.0 - extent));
    const int boxSize = static_cast<int>(std::ceil(2 * extent)) + 1;
    // Source = R⁻¹ (dest − centre) + half, with dest measured from the box's origin.
    const double tx = -(c * (kScreenWidth / 2.0 - boxX) + s * (kScreenHeight / 2.0 - boxY)) + half;
    const double ty = -(-s * (kScreenWidth / 2.0 - boxX) + c * (kScreenHeight / 2.0 - boxY)) + half;
    pixman_transform_t transform = {
        {{Fixed(c), Fixed(s), Fixed(tx)}, {Fixed(-s), Fixed(c), Fixed(ty)}, {0, 0, pixman_fixed_1}}};
    pixman_image_set_transform(imageImage.image, &transform);
    pixman_image_set_filter(imageImage.image, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    pixman_image_set_repeat(imageImage.image, PIXMAN_REPEAT_NONE);
    const pixman_color_t half_alpha = {0, 0, 0, 0x8000};
    PixmanImage mask(pixman_image_create_solid_fill(&half_alpha));

    for (auto _ : state) {
        switch (scene) {
        case Scene::OpaqueQuad:
            pixman_image_composite32(PIXMAN_OP_SRC, pictureImage.image, nullptr, destination.image, 0, 0, 0, 0, 0, 0,
                                     kScreenWidth, kScreenHeight);
            break;
        case Scene::AlphaSprites:
        case Scene::AdditiveSprites: {
            const pixman_op_t op = scene == Scene::AlphaSprites ? PIXMAN_OP_OVER : PIXMAN_OP_ADD;
            for (const Point& p : content.positions)
                pixman_image_composite32(op, spriteImage.image, nullptr, destination.image, 0, 0, 0, 0, p.x, p.y,
                                         kSpriteSize, kSpriteSize);
            break;
        }
        case Scene::RotatedImage:
            pixman_image_composite32(PIXMAN_OP_OVER, imageImage.image, mask.image, destination.image, 0, 0, 0, 0, boxX,
                                     boxY, boxSize, boxSize);
            break;
        case Scene::ColourMesh:
            break;
        }
        benchmark::DoNotOptimize(screen.bytes.data());
        benchmark::ClobberMemory();
    }
    Report(state, scene);
}

// ---------------------------------------------------------------------------------------------------------
// SDL2's software renderer: all of a scene's triangles in one SDL_RenderGeometry call, then a flush.

void RunSdl(benchmark::State& state, Scene scene, bool is565)
{
    const Content& content = Scenes();
    Screen screen(is565);
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormatFrom(screen.bytes.data(), kScreenWidth, kScreenHeight, is565 ? 16 : 32,
                                           screen.pitch, is565 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_ARGB8888);
    SDL_Renderer* renderer = surface != nullptr ? SDL_CreateSoftwareRenderer(surface) : nullptr;
    if (renderer == nullptr) {
        state.SkipWithError(SDL_GetError());
        SDL_FreeSurface(surface);
        return;
    }
    const auto makeTexture = [&](const Image& image, SDL_BlendMode mode) {
        SDL_Texture* texture =
            SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, image.width, image.height);
        SDL_UpdateTexture(texture, nullptr, image.texels.data(), image.width * 4);
        SDL_SetTextureBlendMode(texture, mode);
        return texture;
    };

    std::vector<SDL_Vertex> vertices;
    std::vector<int> indices;
    const SDL_Color white{255, 255, 255, 255};
    const auto addQuad = [&](float x0, float y0, float x1, float y1, SDL_Color colour) {
        const int base = static_cast<int>(vertices.size());
        vertices.push_back({{x0, y0}, colour, {0, 0}});
        vertices.push_back({{x1, y0}, colour, {1, 0}});
        vertices.push_back({{x0, y1}, colour, {0, 1}});
        vertices.push_back({{x1, y1}, colour, {1, 1}});
        for (int i : {0, 1, 2, 1, 3, 2})
            indices.push_back(base + i);
    };

    SDL_Texture* texture = nullptr;
    switch (scene) {
    case Scene::OpaqueQuad:
        texture = makeTexture(content.picture, SDL_BLENDMODE_NONE);
        addQuad(0, 0, kScreenWidth, kScreenHeight, white);
        break;
    case Scene::AlphaSprites:
    case Scene::AdditiveSprites:
        texture = makeTexture(content.sprite, scene == Scene::AlphaSprites ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_ADD);
        for (const Point& p : content.positions)
            addQuad(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.x + kSpriteSize),
                    static_cast<float>(p.y + kSpriteSize), white);
        break;
    case Scene::RotatedImage:
        texture = makeTexture(content.image, SDL_BLENDMODE_BLEND);
        SDL_SetTextureScaleMode(texture, SDL_ScaleModeLinear);
        addQuad(0, 0, 1, 1, {255, 255, 255, 128});
        for (int i = 0; i < 4; ++i) {
            vertices[static_cast<std::size_t>(i)].position = {content.corners[static_cast<std::size_t>(i)].x,
                                                              content.corners[static_cast<std::size_t>(i)].y};
        }
        break;
    case Scene::ColourMesh:
        SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
        for (const MeshVertex& m : content.mesh)
            vertices.push_back({{m.x, m.y},
                                {static_cast<uint8_t>(m.color >> 16), static_cast<uint8_t>(m.color >> 8),
                                 static_cast<uint8_t>(m.color), 255},
                                {0, 0}});
        for (int row = 0; row < kMeshRows; ++row)
            for (int column = 0; column < kMeshColumns; ++column) {
                const int tl = row * (kMeshColumns + 1) + column;
                const int bl = tl + kMeshColumns + 1;
                for (int i : {tl, bl, tl + 1, tl + 1, bl, bl + 1})
                    indices.push_back(i);
            }
        break;
    }

    for (auto _ : state) {
        if (SDL_RenderGeometry(renderer, texture, vertices.data(), static_cast<int>(vertices.size()), indices.data(),
                               static_cast<int>(indices.size())) != 0 ||
            SDL_RenderFlush(renderer) != 0) {
            state.SkipWithError(SDL_GetError());
            break;
        }
        benchmark::DoNotOptimize(screen.bytes.data());
        benchmark::ClobberMemory();
    }
    Report(state, scene);
    if (texture != nullptr)
        SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_FreeSurface(surface);
}

// ---------------------------------------------------------------------------------------------------------
// The 3-D device: the scene's quads and strips as pre-transformed vertices, with the states the display's 3-D
// path sets (alpha blending, additive as source alpha over one, texture times diffuse, point or linear filter).

/// A stand-in surface: the 800 x 600 render target in 8888 or 565, or an 8888 texture.
Platform::DirectDrawSurface* MakeSurface(Platform::DirectDraw& directDraw, int width, int height, bool texture,
                                         bool is565, const std::vector<uint32_t>& pixels)
{
    Platform::SurfaceDesc desc;
    desc.flags = Platform::DDSD_CAPS | Platform::DDSD_WIDTH | Platform::DDSD_HEIGHT | Platform::DDSD_PIXELFORMAT;
    desc.width = width;
    desc.height = height;
    desc.caps.caps =
        texture ? Platform::DDSCAPS_TEXTURE : Platform::DDSCAPS_OFFSCREENPLAIN | Platform::DDSCAPS_3DDEVICE;
    desc.pixelFormat = texture || !is565 ? Platform::kFormat8888 : Platform::kFormat565;
    Platform::DirectDrawSurface* surface = nullptr;
    if (Platform::Failed(directDraw.CreateSurface(desc, &surface)))
        return nullptr;
    Platform::SurfaceDesc locked;
    if (Platform::Succeeded(surface->Lock(nullptr, &locked, Platform::DDLOCK_WAIT | Platform::DDLOCK_WRITEONLY))) {
        for (int y = 0; y < height; ++y) {
            uint8_t* row = locked.surface + static_cast<std::ptrdiff_t>(y) * locked.pitch;
            for (int x = 0; x < width; ++x) {
                const uint32_t c = pixels[static_cast<std::size_t>(y * width + x)];
                if (is565 && !texture) {
                    const uint16_t narrow = To565(c);
                    std::memcpy(row + x * 2, &narrow, 2);
                } else {
                    std::memcpy(row + x * 4, &c, 4);
                }
            }
        }
        surface->Unlock();
    }
    return surface;
}

Platform::TLVertex Tl(float x, float y, float u, float v, uint32_t color)
{
    Platform::TLVertex vertex;
    vertex.sx = x;
    vertex.sy = y;
    vertex.tu = u;
    vertex.tv = v;
    vertex.color = color;
    return vertex;
}

void RunThreeD(benchmark::State& state, Scene scene, bool is565)
{
    const Content& content = Scenes();
    Platform::DirectDraw* directDraw = nullptr;
    if (Platform::Failed(Platform::DirectDrawCreateEx(nullptr, &directDraw, nullptr))) {
        state.SkipWithError("no DirectDraw stand-in");
        return;
    }
    Platform::DirectDrawSurface* target =
        MakeSurface(*directDraw, kScreenWidth, kScreenHeight, false, is565, Background());
    const Image& source = scene == Scene::OpaqueQuad     ? content.picture
                          : scene == Scene::RotatedImage ? content.image
                                                         : content.sprite;
    Platform::DirectDrawSurface* texture =
        scene == Scene::ColourMesh ? nullptr
                                   : MakeSurface(*directDraw, source.width, source.height, true, false, source.texels);
    void* object = nullptr;
    Platform::Direct3DDevice* device = nullptr;
    if (target == nullptr || Platform::Failed(directDraw->QueryInterface(Platform::IID_IDirect3D7, &object)) ||
        Platform::Failed(static_cast<Platform::Direct3D*>(object)->CreateDevice(Platform::IID_IDirect3DHALDevice,
                                                                                target, &device))) {
        state.SkipWithError("no 3-D device");
        return;
    }
    static_cast<Platform::Direct3D*>(object)->Release();
    device->SetRenderState(Platform::D3DRENDERSTATE_ALPHABLENDENABLE, 1);
    device->SetRenderState(Platform::D3DRENDERSTATE_SRCBLEND, Platform::D3DBLEND_SRCALPHA);
    device->SetRenderState(Platform::D3DRENDERSTATE_DESTBLEND,
                           scene == Scene::AdditiveSprites ? Platform::D3DBLEND_ONE : Platform::D3DBLEND_INVSRCALPHA);
    device->SetRenderState(Platform::D3DRENDERSTATE_CULLMODE, Platform::D3DCULL_NONE);
    device->SetTextureStageState(0, Platform::D3DTSS_ALPHAOP, Platform::D3DTOP_MODULATE);
    const bool filter = scene == Scene::RotatedImage;
    device->SetTextureStageState(0, Platform::D3DTSS_MINFILTER,
                                 filter ? Platform::D3DTFN_LINEAR : Platform::D3DTFN_POINT);
    device->SetTextureStageState(0, Platform::D3DTSS_MAGFILTER,
                                 filter ? Platform::D3DTFG_LINEAR : Platform::D3DTFG_POINT);
    device->SetTexture(0, texture);

    const uint32_t color = scene == Scene::RotatedImage ? 0x80FFFFFFu : 0xFFFFFFFFu;
    std::vector<std::vector<Platform::TLVertex>> strips;
    const auto addQuad = [&](float x0, float y0, float x1, float y1) {
        strips.push_back(
            {Tl(x0, y0, 0, 0, color), Tl(x1, y0, 1, 0, color), Tl(x0, y1, 0, 1, color), Tl(x1, y1, 1, 1, color)});
    };
    switch (scene) {
    case Scene::OpaqueQuad:
        addQuad(0, 0, kScreenWidth, kScreenHeight);
        break;
    case Scene::AlphaSprites:
    case Scene::AdditiveSprites:
        for (const Point& p : content.positions)
            addQuad(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.x + kSpriteSize),
                    static_cast<float>(p.y + kSpriteSize));
        break;
    case Scene::RotatedImage:
        addQuad(0, 0, 1, 1);
        for (std::size_t i = 0; i < 4; ++i) {
            strips.back()[i].sx = content.corners[i].x;
            strips.back()[i].sy = content.corners[i].y;
        }
        break;
    case Scene::ColourMesh:
        for (int row = 0; row < kMeshRows; ++row) {
            strips.emplace_back();
            for (int column = 0; column <= kMeshColumns; ++column)
                for (int r : {row, row + 1}) {
                    const MeshVertex& m = MeshAt(content.mesh, column, r);
                    strips.back().push_back(Tl(m.x, m.y, 0, 0, m.color));
                }
        }
        break;
    }
    for (auto _ : state) {
        device->BeginScene();
        for (const auto& strip : strips)
            device->DrawPrimitive(Platform::D3DPT_TRIANGLESTRIP, Platform::D3DFVF_TLVERTEX, strip.data(),
                                  static_cast<uint32_t>(strip.size()), Platform::D3DDP_WAIT);
        device->EndScene();
        benchmark::DoNotOptimize(target);
        benchmark::ClobberMemory();
    }
    Report(state, scene);
    device->Release();
    if (texture != nullptr)
        texture->Release();
    target->Release();
    directDraw->Release();
}

// ---------------------------------------------------------------------------------------------------------
// Names: <scene>/<format>/<renderer>, which ratio_table.py splits.

const char* SceneName(Scene scene)
{
    switch (scene) {
    case Scene::OpaqueQuad:
        return "1_OpaqueQuad";
    case Scene::AlphaSprites:
        return "2_AlphaSprites";
    case Scene::RotatedImage:
        return "3_RotatedBilinearHalfAlpha";
    case Scene::ColourMesh:
        return "4_VertexColourMesh";
    case Scene::AdditiveSprites:
        return "5_AdditiveSprites";
    }
    return "?";
}

[[maybe_unused]] const bool kRegistered = [] {
    for (Scene scene :
         {Scene::OpaqueQuad, Scene::AlphaSprites, Scene::RotatedImage, Scene::ColourMesh, Scene::AdditiveSprites})
        for (bool is565 : {false, true}) {
            const std::string prefix = std::string(SceneName(scene)) + (is565 ? "/565/" : "/8888/");
            benchmark::RegisterBenchmark((prefix + "ours").c_str(),
                                         [=](benchmark::State& state) { RunOurs(state, scene, is565); });
            if (scene != Scene::ColourMesh)
                benchmark::RegisterBenchmark((prefix + "pixman").c_str(),
                                             [=](benchmark::State& state) { RunPixman(state, scene, is565); });
            benchmark::RegisterBenchmark((prefix + "sdl2").c_str(),
                                         [=](benchmark::State& state) { RunSdl(state, scene, is565); });
            benchmark::RegisterBenchmark((prefix + "device").c_str(),
                                         [=](benchmark::State& state) { RunThreeD(state, scene, is565); });
        }
    return true;
}();

} // namespace
