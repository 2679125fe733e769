// The game's own drawing path, measured through the calls the framework and the engine make: Graphics on a
// display with 3-D on (the device's quads) and with 3-D off (the surface's own drawing), with the states the
// widget manager sets for each. Beside them, for the same scenes: SDL2's software renderer through
// SDL_RenderCopy / SDL_RenderCopyEx (its fastest software path), pixman, our rasterizer called directly, and
// one memcpy of the 800 × 600 × 4 frame, all in one process. Each benchmark reports the scene's frame time;
// game_path_table.py turns a --benchmark_out file into ratios of medians.
#include "graphics/D3DInterface.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/Graphics.h"
#include "graphics/Matrix3.h"
#include "graphics/MemoryImage.h"
#include "graphics/raster/SoftwareTriangle.h"
#include "platform/directdraw/DirectDrawEmulation.h"
#include "platform/directdraw/DirectDrawSurface.h"
#include "shell/PyxoAppBase.h"

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

// ---------------------------------------------------------------------------------------------------------
// Scene content: straight (not premultiplied) ARGB pictures, and scenes as lists of draws.

uint32_t Hash(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

struct Picture {
    int width = 0;
    int height = 0;
    bool alpha = false;
    std::vector<uint32_t> texels;
};

Picture Opaque(int width, int height, uint32_t seed)
{
    Picture picture{width, height, false, std::vector<uint32_t>(static_cast<std::size_t>(width) * height)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t noise = Hash(static_cast<uint32_t>(y * width + x) ^ seed) & 0x1F1F1F;
            const uint32_t ramp = (static_cast<uint32_t>(x * 200 / width) << 16) |
                                  (static_cast<uint32_t>(y * 200 / height) << 8) |
                                  static_cast<uint32_t>((x + y) * 100 / (width + height));
            picture.texels[static_cast<std::size_t>(y * width + x)] = 0xFF000000u | (ramp + noise);
        }
    return picture;
}

// A soft sprite: an opaque body, an alpha ramp at its rim, transparent corners.
Picture Soft(int size, uint32_t seed)
{
    Picture picture = Opaque(size, size, seed);
    picture.alpha = true;
    const double centre = (size - 1) / 2.0;
    const double radius = size / 2.0 - 0.5;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double r = std::hypot(x - centre, y - centre);
            const double cover = std::clamp((radius - r) / 6.0, 0.0, 1.0);
            const auto alpha = static_cast<uint32_t>(cover * 255.0 + 0.5);
            uint32_t& texel = picture.texels[static_cast<std::size_t>(y * size + x)];
            texel = (alpha << 24) | (texel & 0xFFFFFF);
        }
    return picture;
}

// A sheet of 16 × 10 glyph cells of 12 × 16: white, alpha-only shapes with soft edges, as an image font's.
constexpr int kGlyphWidth = 12;
constexpr int kGlyphHeight = 16;
Picture GlyphSheet()
{
    Picture picture{16 * kGlyphWidth, 10 * kGlyphHeight, true,
                    std::vector<uint32_t>(static_cast<std::size_t>(16 * kGlyphWidth) * 10 * kGlyphHeight)};
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const int cell = (y / kGlyphHeight) * 16 + x / kGlyphWidth;
            const int cx = x % kGlyphWidth;
            const int cy = y % kGlyphHeight;
            const uint32_t bits = Hash(static_cast<uint32_t>(cell * 977 + (cy / 3) * 7 + cx / 3));
            const bool stroke = cx > 1 && cx < kGlyphWidth - 2 && cy > 2 && cy < kGlyphHeight - 2 && (bits & 3) != 0;
            const uint32_t alpha = stroke ? ((cx + cy) % 3 == 0 ? 160u : 255u) : 0u;
            picture.texels[static_cast<std::size_t>(y * picture.width + x)] = (alpha << 24) | 0xFFFFFF;
        }
    return picture;
}

enum PictureId { kBackground, kTile, kSprite64, kSprite96, kSprite128, kSprite200, kGlyphs, kPictureCount };

const std::vector<Picture>& Pictures()
{
    static const std::vector<Picture> pictures = {Opaque(kScreenWidth, kScreenHeight, 1),
                                                  Opaque(96, 80, 2),
                                                  Soft(64, 3),
                                                  Soft(96, 4),
                                                  Soft(128, 5),
                                                  Soft(200, 6),
                                                  GlyphSheet()};
    return pictures;
}

/// How a draw reaches Graphics: DrawImageSrcRect (a plain blit), DrawImageMirror (the engine's item parts) or
/// DrawImageStretchedSrcRect (its textures), or DrawImageMatrix (rotated and scaled).
enum class Call { Blit, Mirror, Stretched, Matrix };

struct DrawOp {
    PictureId picture;
    Call call = Call::Blit;
    int x = 0;
    int y = 0;
    int srcX = 0;
    int srcY = 0;
    int width = 0; // of the source rectangle; the destination is the same size, or scale times it for Matrix
    int height = 0;
    bool mirror = false;
    uint32_t color = 0xFFFFFFFF; // 0xAARRGGBB; colourised when not white
    bool additive = false;
    double angle = 0; // degrees, Matrix only
    double scale = 1; // Matrix only
};

struct Scene {
    const char* name;
    std::vector<DrawOp> ops;
    int64_t area = 0; // destination pixels drawn
};

DrawOp Whole(PictureId id, Call call, int x, int y)
{
    const Picture& picture = Pictures()[id];
    DrawOp op{id, call, x, y, 0, 0, picture.width, picture.height};
    return op;
}

std::vector<DrawOp> Sprites(Call call, bool mirrors, uint32_t seed)
{
    std::mt19937 random(seed);
    const PictureId kinds[] = {kSprite64, kSprite96, kSprite128, kSprite200};
    std::vector<DrawOp> ops;
    for (int i = 0; i < 60; ++i) {
        const PictureId id = kinds[i % 4];
        const int size = Pictures()[id].width;
        DrawOp op = Whole(id, call, std::uniform_int_distribution<int>(0, kScreenWidth - size)(random),
                          std::uniform_int_distribution<int>(0, kScreenHeight - size)(random));
        op.mirror = mirrors && i % 4 == 1;
        ops.push_back(op);
    }
    return ops;
}

std::vector<DrawOp> Glyphs(Call call)
{
    std::vector<DrawOp> ops;
    for (int i = 0; i < 160; ++i) {
        const int cell = (i * 37) % 160;
        DrawOp op{kGlyphs,
                  call,
                  40 + (i % 40) * (kGlyphWidth + 2),
                  300 + (i / 40) * (kGlyphHeight + 6),
                  (cell % 16) * kGlyphWidth,
                  (cell / 16) * kGlyphHeight,
                  kGlyphWidth,
                  kGlyphHeight};
        op.color = 0xFF402010;
        ops.push_back(op);
    }
    return ops;
}

int64_t AreaOf(const std::vector<DrawOp>& ops)
{
    int64_t area = 0;
    for (const DrawOp& op : ops)
        area += static_cast<int64_t>(std::lround(op.width * op.scale)) * std::lround(op.height * op.scale);
    return area;
}

std::vector<Scene> MakeScenes()
{
    std::vector<Scene> scenes;
    scenes.push_back({"1_OpaqueFullScreen", {Whole(kBackground, Call::Blit, 0, 0)}});
    {
        std::vector<DrawOp> tiles;
        for (int y = 0; y + 80 <= kScreenHeight; y += 85)
            for (int x = 0; x + 96 <= kScreenWidth; x += 100)
                tiles.push_back(Whole(kTile, Call::Blit, x, y));
        scenes.push_back({"2_OpaqueSprites", tiles});
    }
    scenes.push_back({"3_AlphaSprites", Sprites(Call::Blit, false, 7)});
    {
        std::vector<DrawOp> rotated;
        for (int i = 0; i < 6; ++i) {
            DrawOp op = Whole(kSprite200, Call::Matrix, 130 + (i % 3) * 250, 150 + (i / 3) * 300);
            op.angle = 15.0 + 25.0 * i;
            op.scale = 0.8 + 0.1 * i;
            op.color = 0xC0FFFFFF;
            rotated.push_back(op);
        }
        scenes.push_back({"4_RotatedScaledBilinear", rotated});
    }
    {
        std::vector<DrawOp> additive = Sprites(Call::Blit, false, 9);
        for (DrawOp& op : additive) {
            op.additive = true;
            op.color = 0xA0FFFFFF;
        }
        scenes.push_back({"5_Additive", additive});
    }
    scenes.push_back({"6_Glyphs", Glyphs(Call::Blit)});
    {
        // A frame of plain blits: the background, sprites (a quarter mirrored) and text.
        std::vector<DrawOp> frame = {Whole(kBackground, Call::Blit, 0, 0)};
        for (const DrawOp& op : Sprites(Call::Blit, true, 11))
            frame.push_back(op);
        for (const DrawOp& op : Glyphs(Call::Blit))
            frame.push_back(op);
        scenes.push_back({"7_PlainFrame", frame});
    }
    {
        // The engine's frame: the background as a texture, item parts through DrawImageMirror (a quarter
        // mirrored), texts as the labels' glyphs.
        std::vector<DrawOp> frame = {Whole(kBackground, Call::Stretched, 0, 0)};
        for (const DrawOp& op : Sprites(Call::Mirror, true, 11))
            frame.push_back(op);
        for (const DrawOp& op : Glyphs(Call::Blit))
            frame.push_back(op);
        scenes.push_back({"8_EngineFrame", frame});
    }
    for (Scene& scene : scenes)
        scene.area = AreaOf(scene.ops);
    return scenes;
}

const std::vector<Scene>& Scenes()
{
    static const std::vector<Scene> scenes = MakeScenes();
    return scenes;
}

void Report(benchmark::State& state, const Scene& scene)
{
    state.counters["Mpixel/s"] =
        benchmark::Counter(static_cast<double>(scene.area) * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}

// ---------------------------------------------------------------------------------------------------------
// The game's path: Graphics into the screen image of a display on the DirectDraw and Direct3D stand-ins.

class GameDisplay {
public:
    explicit GameDisplay(bool threeD)
    {
        Platform::DisplayMode mode;
        mode.width = 1024;
        mode.height = 768;
        mode.bitsPerPixel = 32;
        mode.refreshRate = 60;
        mode.redMask = 0xFF0000;
        mode.greenMask = 0xFF00;
        mode.blueMask = 0xFF;
        Platform::SetEmulatedDesktop(mode);
        mApp = std::make_unique<Pyxo::PyxoAppBase>();
        mApp->mDisplay = std::make_unique<Pyxo::DDInterface>(mApp.get());
        mApp->mTest3D = false;
        mApp->mDisplay->mIs3D = threeD;
        mThreeD = threeD;
        mReady = mApp->mDisplay->Init(Platform::WindowHandle{}, true) == Pyxo::DDInterface::RESULT_OK;
        mScreen = mApp->mDisplay->GetScreenImage();
        mReady = mReady && mScreen != nullptr && mScreen->Uses3D() == threeD &&
                 (!threeD || mApp->mDisplay->mD3DInterface->Setup());
        for (const Picture& picture : Pictures()) {
            mImages.push_back(std::make_unique<Pyxo::MemoryImage>(mApp.get()));
            mImages.back()->SetBits(picture.texels.data(), picture.width, picture.height, true);
        }
    }

    bool Ready() const { return mReady; }

    void Draw(const Scene& scene)
    {
        Pyxo::Graphics g(mScreen);
        // The widget manager's states for the path.
        g.SetFastStretch(!mThreeD);
        g.SetLinearBlend(mThreeD);
        for (const DrawOp& op : scene.ops) {
            Pyxo::Image* image = mImages[op.picture].get();
            const bool tinted = op.color != 0xFFFFFFFF;
            g.SetColorize(tinted);
            g.SetColor(Pyxo::Color(static_cast<int>((op.color >> 16) & 0xFF), static_cast<int>((op.color >> 8) & 0xFF),
                                   static_cast<int>(op.color & 0xFF), static_cast<int>(op.color >> 24)));
            g.SetDrawMode(op.additive ? 1 : 0);
            const Pyxo::Rect src(op.srcX, op.srcY, op.width, op.height);
            switch (op.call) {
            case Call::Blit:
                if (op.mirror)
                    mScreen->BltMirrored(image, op.x, op.y, src, tinted ? g.GetColor() : Pyxo::Color::White,
                                         op.additive ? 1 : 0);
                else
                    g.DrawImageSrcRect(image, op.x, op.y, src);
                break;
            case Call::Mirror:
                g.DrawImageMirror(image, Pyxo::Rect(op.x, op.y, op.width, op.height), src, op.mirror);
                break;
            case Call::Stretched:
                g.DrawImageStretchedSrcRect(image, Pyxo::Rect(op.x, op.y, op.width, op.height), src);
                break;
            case Call::Matrix: {
                Pyxo::Matrix3 matrix(true);
                matrix.Translate(-op.width / 2.0f, -op.height / 2.0f);
                matrix.Scale(static_cast<float>(op.scale), static_cast<float>(op.scale));
                matrix.Rotate(static_cast<float>(op.angle * M_PI / 180.0));
                matrix.Translate(static_cast<float>(op.x), static_cast<float>(op.y));
                g.DrawImageMatrix(image, matrix, src, 0, 0);
                break;
            }
            }
        }
        if (mThreeD)
            mApp->mDisplay->mD3DInterface->Flush();
    }

private:
    std::unique_ptr<Pyxo::PyxoAppBase> mApp;
    Pyxo::DDImage* mScreen = nullptr; // owned by the display
    std::vector<std::unique_ptr<Pyxo::MemoryImage>> mImages;
    bool mThreeD = false;
    bool mReady = false;
};

GameDisplay& DisplayFor(bool threeD)
{
    static GameDisplay twoD(false);
    static GameDisplay threeDisplay(true);
    return threeD ? threeDisplay : twoD;
}

void RunGame(benchmark::State& state, const Scene& scene, bool threeD)
{
    GameDisplay& display = DisplayFor(threeD);
    if (!display.Ready()) {
        state.SkipWithError("the display did not start");
        return;
    }
    for (auto _ : state)
        display.Draw(scene);
    Report(state, scene);
}

// ---------------------------------------------------------------------------------------------------------
// Our rasterizer called directly: one strip of four corners per draw, half a pixel up and left of the pixels.

void RunDirect(benchmark::State& state, const Scene& scene)
{
    std::vector<uint32_t> frame(static_cast<std::size_t>(kScreenWidth) * kScreenHeight, 0xFF000000u);
    const Raster::TriDestination destination{frame.data(), kScreenWidth, kScreenHeight, kScreenWidth * 4,
                                             Raster::PixelFormat::Rgb888};
    const Raster::TriClipRect clip{0, 0, kScreenWidth, kScreenHeight};
    std::vector<Raster::TriTexture> textures;
    for (const Picture& picture : Pictures())
        textures.push_back({picture.texels.data(), picture.width, picture.height, 0, picture.alpha, picture.alpha});
    for (auto _ : state) {
        for (const DrawOp& op : scene.ops) {
            const Picture& picture = Pictures()[op.picture];
            const float w = static_cast<float>(picture.width);
            const float h = static_cast<float>(picture.height);
            float u0 = static_cast<float>(op.srcX) / w;
            float u1 = static_cast<float>(op.srcX + op.width) / w;
            if (op.mirror)
                std::swap(u0, u1);
            const float v0 = static_cast<float>(op.srcY) / h;
            const float v1 = static_cast<float>(op.srcY + op.height) / h;
            float corners[4][2] = {{0, 0},
                                   {static_cast<float>(op.width), 0},
                                   {0, static_cast<float>(op.height)},
                                   {static_cast<float>(op.width), static_cast<float>(op.height)}};
            const double c = std::cos(op.angle * M_PI / 180.0) * op.scale;
            const double s = std::sin(op.angle * M_PI / 180.0) * op.scale;
            for (auto& corner : corners) {
                if (op.call == Call::Matrix) {
                    const double x = corner[0] - op.width / 2.0;
                    const double y = corner[1] - op.height / 2.0;
                    corner[0] = static_cast<float>(x * c - y * s + op.x);
                    corner[1] = static_cast<float>(x * s + y * c + op.y);
                } else {
                    corner[0] += static_cast<float>(op.x);
                    corner[1] += static_cast<float>(op.y);
                }
            }
            const Raster::TriVertex quad[4] = {{corners[0][0] - 0.5f, corners[0][1] - 0.5f, u0, v0, 0xFFFFFFFF},
                                               {corners[1][0] - 0.5f, corners[1][1] - 0.5f, u1, v0, 0xFFFFFFFF},
                                               {corners[2][0] - 0.5f, corners[2][1] - 0.5f, u0, v1, 0xFFFFFFFF},
                                               {corners[3][0] - 0.5f, corners[3][1] - 0.5f, u1, v1, 0xFFFFFFFF}};
            Raster::SoftwareDrawTriangleStrip(quad, 4, &textures[op.picture], op.color,
                                              op.additive ? Raster::DrawMode::Additive : Raster::DrawMode::Normal, clip,
                                              destination, op.call == Call::Matrix, false);
        }
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    Report(state, scene);
}

// ---------------------------------------------------------------------------------------------------------
// SDL2's software renderer: SDL_RenderCopy, or SDL_RenderCopyEx for mirrored and rotated draws, into an
// 800 × 600 surface, then a flush. Colour and alpha modulation and blend modes as the draw asks.

void RunSdl(benchmark::State& state, const Scene& scene)
{
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, kScreenWidth, kScreenHeight, 32, SDL_PIXELFORMAT_RGB888);
    SDL_Renderer* renderer = surface != nullptr ? SDL_CreateSoftwareRenderer(surface) : nullptr;
    std::vector<SDL_Texture*> textures;
    for (const Picture& picture : Pictures()) {
        SDL_Texture* texture = renderer != nullptr
                                   ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                                       picture.width, picture.height)
                                   : nullptr;
        if (texture != nullptr)
            SDL_UpdateTexture(texture, nullptr, picture.texels.data(), picture.width * 4);
        textures.push_back(texture);
    }
    if (renderer == nullptr || std::count(textures.begin(), textures.end(), nullptr) > 0) {
        state.SkipWithError(SDL_GetError());
    } else {
        for (auto _ : state) {
            for (const DrawOp& op : scene.ops) {
                SDL_Texture* texture = textures[op.picture];
                const Picture& picture = Pictures()[op.picture];
                SDL_SetTextureBlendMode(texture, op.additive                                 ? SDL_BLENDMODE_ADD
                                                 : picture.alpha || (op.color >> 24) != 0xFF ? SDL_BLENDMODE_BLEND
                                                                                             : SDL_BLENDMODE_NONE);
                SDL_SetTextureColorMod(texture, (op.color >> 16) & 0xFF, (op.color >> 8) & 0xFF, op.color & 0xFF);
                SDL_SetTextureAlphaMod(texture, op.color >> 24);
                SDL_SetTextureScaleMode(texture, op.call == Call::Matrix ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
                const SDL_Rect src{op.srcX, op.srcY, op.width, op.height};
                const int w = static_cast<int>(std::lround(op.width * op.scale));
                const int h = static_cast<int>(std::lround(op.height * op.scale));
                const SDL_Rect dst = op.call == Call::Matrix ? SDL_Rect{op.x - w / 2, op.y - h / 2, w, h}
                                                             : SDL_Rect{op.x, op.y, op.width, op.height};
                if (op.mirror || op.angle != 0)
                    SDL_RenderCopyEx(renderer, texture, &src, &dst, op.angle, nullptr,
                                     op.mirror ? SDL_FLIP_HORIZONTAL : SDL_FLIP_NONE);
                else
                    SDL_RenderCopy(renderer, texture, &src, &dst);
            }
            SDL_RenderFlush(renderer);
            benchmark::DoNotOptimize(surface->pixels);
        }
        Report(state, scene);
    }
    for (SDL_Texture* texture : textures)
        if (texture != nullptr)
            SDL_DestroyTexture(texture);
    if (renderer != nullptr)
        SDL_DestroyRenderer(renderer);
    if (surface != nullptr)
        SDL_FreeSurface(surface);
}

// ---------------------------------------------------------------------------------------------------------
// pixman: premultiplied copies of the pictures, composited with SRC (opaque), OVER or ADD; a tint's alpha as a
// solid mask (pixman cannot multiply the colour); mirrors and rotations as transforms, rotations bilinear.

pixman_fixed_t Fixed(double v)
{
    return static_cast<pixman_fixed_t>(std::lround(v * 65536.0));
}

void RunPixman(benchmark::State& state, const Scene& scene)
{
    std::vector<uint32_t> frame(static_cast<std::size_t>(kScreenWidth) * kScreenHeight, 0xFF000000u);
    pixman_image_t* target =
        pixman_image_create_bits(PIXMAN_x8r8g8b8, kScreenWidth, kScreenHeight, frame.data(), kScreenWidth * 4);
    std::vector<std::vector<uint32_t>> premultiplied;
    std::vector<pixman_image_t*> images;
    for (const Picture& picture : Pictures()) {
        std::vector<uint32_t> bits(picture.texels.size());
        for (std::size_t i = 0; i < bits.size(); ++i) {
            const uint32_t t = picture.texels[i];
            const uint32_t a = t >> 24;
            const auto scale = [&](int shift) { return ((((t >> shift) & 0xFF) * a + 127) / 255) << shift; };
            bits[i] = (a << 24) | scale(16) | scale(8) | scale(0);
        }
        premultiplied.push_back(std::move(bits));
        images.push_back(pixman_image_create_bits(picture.alpha ? PIXMAN_a8r8g8b8 : PIXMAN_x8r8g8b8, picture.width,
                                                  picture.height, premultiplied.back().data(), picture.width * 4));
    }
    for (auto _ : state) {
        for (const DrawOp& op : scene.ops) {
            pixman_image_t* source = images[op.picture];
            const Picture& picture = Pictures()[op.picture];
            const uint32_t alpha = op.color >> 24;
            pixman_image_t* mask = nullptr;
            if (alpha != 0xFF) {
                const pixman_color_t solid{0, 0, 0, static_cast<uint16_t>(alpha * 257)};
                mask = pixman_image_create_solid_fill(&solid);
            }
            const pixman_op_t operation = op.additive                        ? PIXMAN_OP_ADD
                                          : picture.alpha || mask != nullptr ? PIXMAN_OP_OVER
                                                                             : PIXMAN_OP_SRC;
            if (op.call == Call::Matrix || op.mirror) {
                // The transform maps destination pixels to source ones.
                pixman_transform_t transform;
                int dx = op.x, dy = op.y, w = op.width, h = op.height;
                if (op.call == Call::Matrix) {
                    const double angle = op.angle * M_PI / 180.0;
                    const double c = std::cos(angle) / op.scale;
                    const double s = std::sin(angle) / op.scale;
                    const double extent = std::hypot(op.width, op.height) * op.scale;
                    w = h = static_cast<int>(extent);
                    dx = op.x - w / 2;
                    dy = op.y - h / 2;
                    // Destination (i, j) relative to the centre, rotated back, into the source's centre.
                    const double cx = w / 2.0, cy = h / 2.0;
                    pixman_transform_init_identity(&transform);
                    transform.matrix[0][0] = Fixed(c);
                    transform.matrix[0][1] = Fixed(s);
                    transform.matrix[0][2] = Fixed(-c * cx - s * cy + op.width / 2.0 + op.srcX);
                    transform.matrix[1][0] = Fixed(-s);
                    transform.matrix[1][1] = Fixed(c);
                    transform.matrix[1][2] = Fixed(s * cx - c * cy + op.height / 2.0 + op.srcY);
                    pixman_image_set_filter(source, PIXMAN_FILTER_BILINEAR, nullptr, 0);
                } else {
                    pixman_transform_init_identity(&transform);
                    transform.matrix[0][0] = Fixed(-1);
                    transform.matrix[0][2] = Fixed(op.srcX + op.width);
                    transform.matrix[1][2] = Fixed(op.srcY);
                    pixman_image_set_filter(source, PIXMAN_FILTER_NEAREST, nullptr, 0);
                }
                pixman_image_set_transform(source, &transform);
                pixman_image_composite32(op.call == Call::Matrix ? PIXMAN_OP_OVER : operation, source, mask, target, 0,
                                         0, 0, 0, dx, dy, w, h);
                pixman_image_set_transform(source, nullptr);
                pixman_image_set_filter(source, PIXMAN_FILTER_NEAREST, nullptr, 0);
            } else {
                pixman_image_composite32(operation, source, mask, target, op.srcX, op.srcY, 0, 0, op.x, op.y, op.width,
                                         op.height);
            }
            if (mask != nullptr)
                pixman_image_unref(mask);
        }
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    Report(state, scene);
    for (pixman_image_t* image : images)
        pixman_image_unref(image);
    pixman_image_unref(target);
}

// ---------------------------------------------------------------------------------------------------------
// The unit of the frame costs: one copy of an 800 × 600 × 4 frame.

void RunMemcpy(benchmark::State& state)
{
    const std::size_t bytes = static_cast<std::size_t>(kScreenWidth) * kScreenHeight * 4;
    std::vector<uint8_t> from(bytes, 0x5A), to(bytes, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.counters["Mpixel/s"] = benchmark::Counter(static_cast<double>(kScreenWidth) * kScreenHeight * 1e-6,
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

[[maybe_unused]] const bool kRegistered = [] {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    Platform::ResetDirectDrawEmulation();
    benchmark::RegisterBenchmark("0_Frame/memcpy", RunMemcpy)->Unit(benchmark::kMillisecond);
    for (const Scene& scene : Scenes()) {
        const std::string prefix = std::string(scene.name) + "/";
        benchmark::RegisterBenchmark((prefix + "3d").c_str(), [&scene](benchmark::State& state) {
            RunGame(state, scene, true);
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((prefix + "2d").c_str(), [&scene](benchmark::State& state) {
            RunGame(state, scene, false);
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((prefix + "direct").c_str(), [&scene](benchmark::State& state) {
            RunDirect(state, scene);
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((prefix + "sdl_copy").c_str(), [&scene](benchmark::State& state) {
            RunSdl(state, scene);
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((prefix + "pixman").c_str(), [&scene](benchmark::State& state) {
            RunPixman(state, scene);
        })->Unit(benchmark::kMillisecond);
    }
    return true;
}();

} // namespace
