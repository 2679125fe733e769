// Stretched blits into a surface image: DirectDraw's own stretch, nearest samples of the native pixels, or an
// area-weighted copy drawn by the plain blit; plain and mirrored.
#include "graphics/D3DInterface.h"
#include "graphics/DDImage.h"
#include "graphics/DDImagePixels.h"
#include "graphics/DDInterface.h"
#include "graphics/Matrix3.h"
#include "graphics/MemoryImageGeometry.h"
#include "graphics/MemoryImagePixels.h"
#include "platform/directdraw/DirectDrawSurface.h"

#include <cmath>
#include <optional>

namespace Pyxo {
namespace {

using namespace SurfacePixels;

/// Draws the stretch through the 3-D display: the source rectangle scaled onto the destination rectangle.
void StretchThrough3D(D3DInterface& d3d, Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                      const Color& color, int drawMode, bool fastStretch, bool mirror)
{
    if (srcRect.mWidth <= 0 || srcRect.mHeight <= 0)
        return;
    const float scaleX = float(destRect.mWidth) / float(srcRect.mWidth);
    const float scaleY = float(destRect.mHeight) / float(srcRect.mHeight);
    Matrix3 transform(true);
    if (mirror) {
        transform.Translate(float(-srcRect.mWidth), 0.0f);
        transform.Scale(-scaleX, scaleY);
    } else {
        transform.Scale(scaleX, scaleY);
    }
    transform.Translate(float(destRect.mX), float(destRect.mY));
    d3d.BltTransformed(image, &clipRect, color, drawMode, srcRect, transform, !fastStretch, 0.0f, 0.0f);
}

/// Each destination pixel of the cut takes the native pixel at its 16.16 source position (no filtering); mirrored,
/// the destination row is walked from its right end.
template <typename Pixel, typename Source, typename Op>
void NearestRows(const Target& t, const StretchClip& cut, const Source& source, int srcWidth, int srcHeight,
                 bool mirror, Op op)
{
    const Rect& to = cut.dest;
    const int64_t stepX = int64_t(cut.source.mWidth * 65536.0 / to.mWidth);
    const int64_t stepY = int64_t(cut.source.mHeight * 65536.0 / to.mHeight);
    const int64_t startX = int64_t(cut.source.mX * 65536.0);
    int64_t posY = int64_t(cut.source.mY * 65536.0);
    const ptrdiff_t step = mirror ? -Pixel::kBytes : Pixel::kBytes;
    for (int j = 0; j < to.mHeight; ++j, posY += stepY) {
        // Rounding never carries a sample past the source; the clamp only guards a source rectangle that does.
        const int64_t row = std::clamp<int64_t>(posY >> 16, 0, srcHeight - 1);
        const int firstColumn = mirror ? to.mX + to.mWidth - 1 : to.mX;
        uint8_t* p = t.Row(to.mY + j) + static_cast<ptrdiff_t>(firstColumn) * Pixel::kBytes;
        int64_t posX = startX;
        for (int i = 0; i < to.mWidth; ++i, posX += stepX, p += step) {
            const int64_t column = std::clamp<int64_t>(posX >> 16, 0, srcWidth - 1);
            Pixel::Store(p, op(Pixel::Load(p), source[size_t(row) * size_t(srcWidth) + size_t(column)]));
        }
    }
}

/// The nearest-sample loops of the fast and the mirrored stretch, per draw mode and colour.
void NearestStretch(DDImage& dest, MemoryImage& source, const StretchClip& cut, const Color& color, int drawMode,
                    bool mirror)
{
    source.CommitBits();
    if (!source.GetNativeAlphaData(dest.mDDInterface) || !dest.LockSurface())
        return;
    Target t;
    // The cut lies in the clip, which the caller keeps inside the image; the surface is what counts here.
    if (TargetOf(dest, t) && cut.dest.Intersection(Rect(0, 0, t.width, t.height)) == cut.dest) {
        const bool white = IsWhite(color);
        const Rgb k = ScalesOf(color);
        const uint32_t colorAlpha = uint32_t(Clamp255(color.mAlpha));
        const int width = source.GetWidth();
        const int height = source.GetHeight();
        WithNative(source, dest.mDDInterface, [&](const auto& native) {
            ForPixelSize(t, [&]<typename Pixel>() {
                if (drawMode != 0) {
                    NearestRows<Pixel>(t, cut, native, width, height, mirror, [&](uint32_t d, uint32_t n) {
                        return n == 0 ? d : AddNative(t, d, n, k, white);
                    });
                } else if (white) {
                    NearestRows<Pixel>(t, cut, native, width, height, mirror, [&](uint32_t d, uint32_t n) {
                        return (n >> 24) == 0 ? d : OverNative<Pixel>(t, d, n);
                    });
                } else {
                    NearestRows<Pixel>(t, cut, native, width, height, mirror, [&](uint32_t d, uint32_t n) {
                        const uint32_t a = n >> 24;
                        if (a == 0)
                            return d;
                        return a == 255 && colorAlpha == 255 ? ScaleNative(t, n, k)
                                                             : OverNativeColored(t, d, n, k, colorAlpha);
                    });
                }
            });
        });
    }
    dest.UnlockSurface();
}

} // namespace

void DDImage::StretchBlt(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                         const Color& color, int drawMode, bool fastStretch)
{
    if (!image)
        return;
    image->mDrawn = true;
    CommitBits();
    if (Uses3D()) {
        StretchThrough3D(*mDDInterface->mD3DInterface, image, destRect, srcRect, clipRect, color, drawMode, fastStretch,
                         false);
        return;
    }
    if (!DrawsIntoSurface()) {
        // Fast stretches too: an image with partial alpha has no surface, and a keyed one would blend over its key.
        MemoryImage::StretchBlt(image, destRect, srcRect, clipRect, color, drawMode, fastStretch);
        return;
    }
    const Rect clip = ClipRectWide(clipRect, Rect(0, 0, mWidth, mHeight));
    const std::optional<StretchClip> cut = ClipStretchBlt(destRect, srcRect, clip, false);
    if (!cut)
        return;
    const Rect& to = cut->dest;
    const FRect& from = cut->source;
    auto* source = dynamic_cast<MemoryImage*>(image);
    // At scale 1 a stretch is the plain blit, filtered or not: the rasterizer's quad, as in 3-D. So is the fast
    // stretch, sampled at pixel centres.
    const bool unscaled = destRect.mWidth == srcRect.mWidth && destRect.mHeight == srcRect.mHeight;
    auto* surfaceSource = dynamic_cast<DDImage*>(image);
    const bool directDrawCopy = fastStretch && surfaceSource && surfaceSource->mSurface && IsWhite(color) &&
                                drawMode == 0 && !source->mHasAlpha && !unscaled;
    if ((unscaled || fastStretch) && !directDrawCopy && (drawMode == 0 || drawMode == 1) && !mNoLock &&
        DrawImageQuad(image, destRect, srcRect, clip, color, drawMode, false))
        return;
    if (fastStretch) {
        if (surfaceSource && surfaceSource->mSurface && IsWhite(color) && drawMode == 0 && !source->mHasAlpha) {
            // DirectDraw stretches opaque surfaces itself.
            if (GetSurface()) {
                const bool wasLocked = mLockCount > 0;
                if (wasLocked)
                    mSurface->Unlock();
                const Platform::WindowRect fromRect{int(from.mX), int(from.mY), int(from.mX + from.mWidth),
                                                    int(from.mY + from.mHeight)};
                const Platform::WindowRect toRect{to.mX, to.mY, to.mX + to.mWidth, to.mY + to.mHeight};
                const Platform::BltFx fx;
                const uint32_t flags = Platform::DDBLT_WAIT | (surfaceSource->mHasTrans ? Platform::DDBLT_KEYSRC : 0);
                mSurface->Blt(&toRect, surfaceSource->mSurface.Get(), &fromRect, flags, &fx);
                if (wasLocked)
                    mSurface->Lock(nullptr, &mLockDesc, Platform::DDLOCK_WAIT);
            }
        } else if (source) {
            NearestStretch(*this, *source, *cut, color, drawMode, false);
        }
        FreeNonSurfaceData();
        return;
    }
    if (!source)
        return;
    // The filtered stretch goes through an image of the destination's size, drawn by the plain blit.
    source->CommitBits();
    const uint32_t* bits = source->GetBits();
    const Rect bounds = ClipRectWide(srcRect, Rect(0, 0, source->GetWidth(), source->GetHeight()));
    if (!bits || bounds.mWidth <= 0 || bounds.mHeight <= 0)
        return;
    const Pixels::SourceBounds sampled{bounds.mX, bounds.mY, bounds.mX + bounds.mWidth, bounds.mY + bounds.mHeight};
    MemoryImage stretched(mApp);
    stretched.Create(to.mWidth, to.mHeight);
    uint32_t* out = stretched.GetBits();
    if (!out)
        return;
    const double rx = double(srcRect.mWidth) / double(destRect.mWidth);
    const double ry = double(srcRect.mHeight) / double(destRect.mHeight);
    for (int j = 0; j < to.mHeight; ++j) {
        const double y0 = from.mY + double(j) * ry;
        for (int i = 0; i < to.mWidth; ++i) {
            const double x0 = from.mX + double(i) * rx;
            out[size_t(j) * size_t(to.mWidth) + size_t(i)] =
                Pixels::AreaSample(bits, source->GetWidth(), sampled, x0, x0 + rx, y0, y0 + ry);
        }
    }
    stretched.BitsChanged();
    stretched.CommitBits();
    Blt(&stretched, to.mX, to.mY, Rect(0, 0, to.mWidth, to.mHeight), color, drawMode);
}

void DDImage::StretchBltMirrored(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                                 const Color& color, int drawMode, bool fastStretch)
{
    if (!image)
        return;
    image->mDrawn = true;
    CommitBits();
    if (Uses3D()) {
        StretchThrough3D(*mDDInterface->mD3DInterface, image, destRect, srcRect, clipRect, color, drawMode, fastStretch,
                         true);
        return;
    }
    const Rect clip = ClipRectWide(clipRect, Rect(0, 0, mWidth, mHeight));
    const std::optional<StretchClip> cut = ClipStretchBlt(destRect, srcRect, clip, true);
    if (!cut)
        return;
    if ((drawMode == 0 || drawMode == 1) && !mNoLock &&
        DrawImageQuad(image, destRect, srcRect, clip, color, drawMode, true))
        return;
    if (auto* source = dynamic_cast<MemoryImage*>(image))
        NearestStretch(*this, *source, *cut, color, drawMode, true);
    FreeNonSurfaceData();
}

} // namespace Pyxo
