// Blits of memory images into a surface image's locked surface, plain and mirrored.
#include "graphics/D3DInterface.h"
#include "graphics/DDImage.h"
#include "graphics/DDImagePixels.h"
#include "graphics/DDInterface.h"
#include "graphics/Matrix3.h"
#include "platform/directdraw/DirectDrawSurface.h"

#include <optional>

namespace Pyxo {
namespace {

using namespace SurfacePixels;

/// A blit cut to the source image and the surface: source pixels i0..i1 - 1 of rows j0..j1 - 1 of the source
/// rectangle are drawn. Source pixel i of a row lands on column x + i, or x + width - 1 - i when mirrored.
struct BlitArea {
    int x = 0;
    int y = 0;
    int width = 0; // of the source rectangle
    int srcX = 0;
    int srcY = 0;
    int i0 = 0, i1 = 0;
    int j0 = 0, j1 = 0;
    int srcPitch = 0; // source image width

    [[nodiscard]] int ColumnOf(int i, bool mirror) const { return mirror ? x + width - 1 - i : x + i; }
};

/// Cuts the source rectangle to a source of srcWidth x srcHeight and its destination to a target of
/// destWidth x destHeight, together.
std::optional<BlitArea> ClipBlit(int x, int y, const Rect& src, int srcWidth, int srcHeight, int destWidth,
                                 int destHeight, bool mirror)
{
    const int64_t w = src.mWidth, h = src.mHeight;
    int64_t i0 = std::max<int64_t>(0, -int64_t{src.mX});
    int64_t i1 = std::min<int64_t>(w, int64_t{srcWidth} - src.mX);
    if (mirror) {
        i0 = std::max<int64_t>(i0, int64_t{x} + w - destWidth);
        i1 = std::min<int64_t>(i1, int64_t{x} + w);
    } else {
        i0 = std::max<int64_t>(i0, -int64_t{x});
        i1 = std::min<int64_t>(i1, int64_t{destWidth} - x);
    }
    const int64_t j0 = std::max<int64_t>({0, -int64_t{src.mY}, -int64_t{y}});
    const int64_t j1 = std::min<int64_t>({h, int64_t{srcHeight} - src.mY, int64_t{destHeight} - y});
    if (i0 >= i1 || j0 >= j1)
        return std::nullopt;
    return BlitArea{x,
                    y,
                    src.mWidth,
                    src.mX,
                    src.mY,
                    static_cast<int>(i0),
                    static_cast<int>(i1),
                    static_cast<int>(j0),
                    static_cast<int>(j1),
                    srcWidth};
}

std::optional<BlitArea> ClipBlit(int x, int y, const Rect& src, const MemoryImage& source, const Target& t, bool mirror)
{
    return ClipBlit(x, y, src, source.GetWidth(), source.GetHeight(), t.width, t.height, mirror);
}

enum class RunKind { Skip, Opaque, Blend };

/// Walks each row run by run: the run-length byte at a pixel tells how many pixels from it on share its class,
/// and the run's first pixel decides what is done with all of them.
template <typename Pixel, typename Source, typename Decide, typename OpaqueOp, typename BlendOp>
void BlitRuns(const Target& t, const BlitArea& a, bool mirror, const Source& source, const uint8_t* runs, Decide decide,
              OpaqueOp opaque, BlendOp blend)
{
    const ptrdiff_t step = mirror ? -Pixel::kBytes : Pixel::kBytes;
    for (int j = a.j0; j < a.j1; ++j) {
        uint8_t* row = t.Row(a.y + j);
        const size_t rowStart = size_t(a.srcY + j) * size_t(a.srcPitch) + size_t(a.srcX);
        int i = a.i0;
        while (i < a.i1) {
            const size_t s = rowStart + size_t(i);
            const int run = std::clamp(int(runs[s]), 1, a.i1 - i);
            const RunKind kind = decide(source[s]);
            uint8_t* p = row + static_cast<ptrdiff_t>(a.ColumnOf(i, mirror)) * Pixel::kBytes;
            if (kind == RunKind::Opaque) {
                for (int k = 0; k < run; ++k, p += step)
                    Pixel::Store(p, opaque(Pixel::Load(p), source[s + size_t(k)]));
            } else if (kind == RunKind::Blend) {
                for (int k = 0; k < run; ++k, p += step)
                    Pixel::Store(p, blend(Pixel::Load(p), source[s + size_t(k)]));
            }
            i += run;
        }
    }
}

/// Applies op(d, s) to every pixel of the area.
template <typename Pixel, typename Source, typename Op>
void BlitEach(const Target& t, const BlitArea& a, const Source& source, Op op)
{
    for (int j = a.j0; j < a.j1; ++j) {
        uint8_t* p = t.Row(a.y + j) + static_cast<ptrdiff_t>(a.ColumnOf(a.i0, false)) * Pixel::kBytes;
        const size_t rowStart = size_t(a.srcY + j) * size_t(a.srcPitch) + size_t(a.srcX);
        for (int i = a.i0; i < a.i1; ++i, p += Pixel::kBytes)
            Pixel::Store(p, op(Pixel::Load(p), source[rowStart + size_t(i)]));
    }
}

// Normal blit through the alpha path (run-length alpha data over the native pixels); also the mirrored form.
void AlphaPathBlt(DDImage& dest, MemoryImage& source, int x, int y, const Rect& srcRect, const Color& color,
                  bool mirror)
{
    Target t;
    if (!TargetOf(dest, t))
        return;
    const std::optional<BlitArea> area = ClipBlit(x, y, srcRect, source, t, mirror);
    if (!area)
        return;
    const bool white = IsWhite(color);
    const Rgb k = ScalesOf(color);
    const uint32_t colorAlpha = uint32_t(Clamp255(color.mAlpha));
    WithNative(source, dest.mDDInterface, [&](const auto& native) {
        const uint8_t* runs = source.GetRLAlphaData();
        if (!runs)
            return;
        auto decide = [&](uint32_t n) {
            const uint32_t a = n >> 24;
            if (a == 0)
                return RunKind::Skip;
            return a == 255 && (white || colorAlpha == 255) ? RunKind::Opaque : RunKind::Blend;
        };
        ForPixelSize(t, [&]<typename Pixel>() {
            if (white) {
                constexpr uint32_t keep = Pixel::kBytes == 2 ? 0xFFFF : 0xFFFFFFFF;
                BlitRuns<Pixel>(
                    t, *area, mirror, native, runs, decide, [](uint32_t, uint32_t n) { return n & keep; },
                    [&](uint32_t d, uint32_t n) { return OverNative<Pixel>(t, d, n); });
            } else {
                BlitRuns<Pixel>(
                    t, *area, mirror, native, runs, decide, [&](uint32_t, uint32_t n) { return ScaleNative(t, n, k); },
                    [&](uint32_t d, uint32_t n) { return OverNativeColored(t, d, n, k, colorAlpha); });
            }
        });
    });
}

// Additive blit: runs of the run-length additive data; runs without colour are skipped.
void AdditivePathBlt(DDImage& dest, MemoryImage& source, int x, int y, const Rect& srcRect, const Color& color,
                     bool mirror)
{
    Target t;
    if (!TargetOf(dest, t))
        return;
    const std::optional<BlitArea> area = ClipBlit(x, y, srcRect, source, t, mirror);
    if (!area)
        return;
    const bool white = IsWhite(color);
    const Rgb k = ScalesOf(color);
    WithNative(source, dest.mDDInterface, [&](const auto& native) {
        source.CommitBits();
        if (!dest.LockSurface())
            return;
        if (const uint8_t* runs = source.GetRLAdditiveData(dest.mDDInterface)) {
            auto decide = [](uint32_t n) { return (n & 0xFFFFFF) == 0 ? RunKind::Skip : RunKind::Blend; };
            auto add = [&](uint32_t d, uint32_t n) { return AddNative(t, d, n, k, white); };
            ForPixelSize(t,
                         [&]<typename Pixel>() { BlitRuns<Pixel>(t, *area, mirror, native, runs, decide, add, add); });
        }
        dest.UnlockSurface();
    });
}

} // namespace

void DDImage::NormalBlt(Image* image, int x, int y, const Rect& srcRect, const Color& color)
{
    if (!image)
        return;
    image->mDrawn = true;
    auto* source = dynamic_cast<MemoryImage*>(image);
    if (!source)
        return;
    auto* surfaceSource = dynamic_cast<DDImage*>(image);
    const bool sourceHasSurface = surfaceSource && surfaceSource->mSurface;
    const bool white = IsWhite(color);

    // Copies between two surfaces are DirectDraw's own; every other blit is the rasterizer's quad, the 3-D path's
    // pixels.
    const bool volatileBits = source->mIsVolatile && !sourceHasSurface;
    if (!volatileBits)
        source->CommitBits();
    const bool directDrawCopy = !volatileBits && !source->mHasAlpha && white && sourceHasSurface &&
                                !(surfaceSource->mVideoMemory && !mVideoMemory);
    if (!directDrawCopy && !mNoLock &&
        DrawImageQuad(image, Rect(x, y, srcRect.mWidth, srcRect.mHeight), srcRect, Rect(0, 0, mWidth, mHeight), color,
                      0, false))
        return;

    if (volatileBits && !mNoLock && white) {
        // A volatile source changes every frame: its ARGB pixels are blended straight, with no derived stores.
        if (!LockSurface())
            return;
        Target t;
        std::optional<BlitArea> area;
        if (TargetOf(*this, t))
            area = ClipBlit(x, y, srcRect, *source, t, false);
        const uint32_t* bits = source->mColorTable ? nullptr : source->GetBits();
        const uint32_t* palette = source->mColorTable.get();
        const uint8_t* indices = source->mColorIndices.get();
        if (area && (bits || (palette && indices))) {
            ForPixelSize(t, [&]<typename Pixel>() {
                auto direct = [&](uint32_t d, uint32_t s) {
                    const uint32_t a = s >> 24;
                    if constexpr (Pixel::kBytes == 4) {
                        if (t.rgbOrder) {
                            const uint32_t rb =
                                ((((s & 0xFF00FF) - (d & 0xFF00FF)) * a >> 8) + (d & 0xFF00FF)) & 0xFF00FF;
                            const uint32_t g = ((((s & 0xFF00) - (d & 0xFF00)) * a >> 8) + (d & 0xFF00)) & 0xFF00;
                            return rb | g;
                        }
                    } else {
                        if (t.rgbOrder && t.pack != 0) {
                            const uint32_t d32 = Spread16(d, t.pack);
                            const uint32_t s32 = t.pack == 0x07E0F81F
                                                     ? ((s & 0xFC00) << 11) + ((s >> 3) & 0x1F) + ((s >> 8) & 0xF800)
                                                     : ((s & 0xF800) << 10) + ((s >> 9) & 0x7C00) + ((s >> 3) & 0x1F);
                            return Fold16(((((s32 - d32) * (s >> 27)) >> 5) + d32) & t.pack);
                        }
                    }
                    const uint32_t sc[3] = {(s >> 16) & 0xFF, (s >> 8) & 0xFF, s & 0xFF};
                    uint32_t out = 0;
                    for (int i = 0; i < 3; ++i) {
                        const uint64_t m = t.rgb[i].mask;
                        const uint64_t add = Pixel::kBytes == 4 ? ((sc[i] * a) >> 8) * m : (sc[i] * a * m) >> 8;
                        out += static_cast<uint32_t>(((d & m) * (256 - a) + add + (m >> 1)) >> 8) & t.rgb[i].mask;
                    }
                    return out;
                };
                if (bits)
                    BlitEach<Pixel>(t, *area, PixelsAt{bits}, direct);
                else
                    BlitEach<Pixel>(t, *area, PaletteAt{palette, indices}, direct);
            });
        }
        UnlockSurface();
        return;
    }

    source->CommitBits();
    if (!source->mHasAlpha && white && sourceHasSurface && !(surfaceSource->mVideoMemory && !mVideoMemory)) {
        // Opaque surfaces are copied by DirectDraw itself.
        if (!GetSurface())
            return;
        const std::optional<BlitArea> area =
            ClipBlit(x, y, srcRect, surfaceSource->mSurface->Width(), surfaceSource->mSurface->Height(),
                     mSurface->Width(), mSurface->Height(), false);
        if (!area)
            return;
        const Rect to(x + area->i0, y + area->j0, area->i1 - area->i0, area->j1 - area->j0);
        const Rect from(srcRect.mX + area->i0, srcRect.mY + area->j0, to.mWidth, to.mHeight);
        const bool wasLocked = mLockCount > 0;
        if (wasLocked)
            mSurface->Unlock();
        const Platform::WindowRect fromRect{from.mX, from.mY, from.mX + from.mWidth, from.mY + from.mHeight};
        const Platform::WindowRect toRect{to.mX, to.mY, to.mX + to.mWidth, to.mY + to.mHeight};
        const Platform::BltFx fx;
        const uint32_t flags = Platform::DDBLT_WAIT | (surfaceSource->mHasTrans ? Platform::DDBLT_KEYSRC : 0);
        mSurface->Blt(&toRect, surfaceSource->mSurface.Get(), &fromRect, flags, &fx);
        if (wasLocked)
            mSurface->Lock(nullptr, &mLockDesc, Platform::DDLOCK_WAIT);
        return;
    }

    if (mNoLock || !LockSurface())
        return;
    if (!source->mHasAlpha && white) {
        // Opaque pixels are copied; transparent ones (native alpha 0) leave the surface as it is.
        Target t;
        std::optional<BlitArea> area;
        if (TargetOf(*this, t))
            area = ClipBlit(x, y, srcRect, *source, t, false);
        if (area) {
            const bool keyed = source->mHasTrans;
            WithNative(*source, mDDInterface, [&](const auto& native) {
                ForPixelSize(t, [&]<typename Pixel>() {
                    const uint32_t keep = Pixel::kBytes == 2 ? 0xFFFF : 0xFFFFFFFF;
                    BlitEach<Pixel>(t, *area, native,
                                    [&](uint32_t d, uint32_t n) { return keyed && (n >> 24) == 0 ? d : n & keep; });
                });
            });
        }
    } else {
        AlphaPathBlt(*this, *source, x, y, srcRect, color, false);
    }
    UnlockSurface();
}

void DDImage::AdditiveBlt(Image* image, int x, int y, const Rect& srcRect, const Color& color)
{
    if (!image)
        return;
    image->mDrawn = true;
    auto* source = dynamic_cast<MemoryImage*>(image);
    if (!source || mNoLock)
        return;
    if (DrawImageQuad(image, Rect(x, y, srcRect.mWidth, srcRect.mHeight), srcRect, Rect(0, 0, mWidth, mHeight), color,
                      1, false))
        return;
    if (!LockSurface())
        return;
    AdditivePathBlt(*this, *source, x, y, srcRect, color, false);
    UnlockSurface();
}

namespace {

// The mirrored blits' shared frame: the source marked drawn and committed, the surface locked around the path.
// The rasterizer's quad draws the blit unless the surface's layout is one it does not draw; the path's loops do
// then.
template <typename Path, typename Quad>
void MirroredBlt(DDImage& dest, Image* image, Path path, Quad quad)
{
    if (!image)
        return;
    image->mDrawn = true;
    auto* source = dynamic_cast<MemoryImage*>(image);
    if (!source)
        return;
    source->CommitBits();
    if (dest.mNoLock || quad() || !dest.LockSurface())
        return;
    path(*source);
    dest.UnlockSurface();
}

} // namespace

void DDImage::NormalBltMirror(Image* image, int x, int y, const Rect& srcRect, const Color& color)
{
    MirroredBlt(
        *this, image, [&](MemoryImage& source) { AlphaPathBlt(*this, source, x, y, srcRect, color, true); },
        [&] {
            return DrawImageQuad(image, Rect(x, y, srcRect.mWidth, srcRect.mHeight), srcRect,
                                 Rect(0, 0, mWidth, mHeight), color, 0, true);
        });
}

void DDImage::AdditiveBltMirror(Image* image, int x, int y, const Rect& srcRect, const Color& color)
{
    MirroredBlt(
        *this, image, [&](MemoryImage& source) { AdditivePathBlt(*this, source, x, y, srcRect, color, true); },
        [&] {
            return DrawImageQuad(image, Rect(x, y, srcRect.mWidth, srcRect.mHeight), srcRect,
                                 Rect(0, 0, mWidth, mHeight), color, 1, true);
        });
}

void DDImage::BltMirrored(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode)
{
    CommitBits();
    if (Uses3D()) {
        if (!image)
            return;
        image->mDrawn = true;
        Matrix3 transform(true);
        transform.Translate(static_cast<float>(-srcRect.mWidth), 0.0f);
        transform.Scale(-1.0f, 1.0f);
        transform.Translate(static_cast<float>(x), static_cast<float>(y));
        mDDInterface->mD3DInterface->BltTransformed(image, nullptr, color, drawMode, srcRect, transform, false, 0.0f,
                                                    0.0f);
        return;
    }
    if (drawMode == 0)
        NormalBltMirror(image, x, y, srcRect, color);
    else if (drawMode == 1)
        AdditiveBltMirror(image, x, y, srcRect, color);
    FreeNonSurfaceData();
}

} // namespace Pyxo
