#include "platform/directdraw/DirectDrawSurface.h"

#include "platform/directdraw/DirectDrawClipper.h"
#include "platform/directdraw/PixelCodec.h"
#include "platform/window/WindowSystem.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace Platform {
namespace {

bool Contains(const WindowRect& outer, const WindowRect& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

} // namespace

DirectDrawSurface::DirectDrawSurface(int width, int height, const PixelFormat& format, const SurfaceCaps& caps,
                                     const SurfaceLayout& layout)
    : mWidth(width), mHeight(height), mFormat(format), mCaps(caps)
{
    const int32_t rowBytes = width * BytesPerPixel() + layout.rowPadding;
    mMemory.assign(static_cast<size_t>(rowBytes) * static_cast<size_t>(height), 0);
    mPitch = layout.bottomUp ? -rowBytes : rowBytes;
    CountDirectDrawSurface(1);
}

DirectDrawSurface::~DirectDrawSurface()
{
    if (mPrimaryLink) {
        std::lock_guard lock(mPrimaryLink->mutex);
        if (mPrimaryLink->primary == this)
            mPrimaryLink->primary = nullptr;
    }
    CountDirectDrawSurface(-1);
}

uint32_t DirectDrawSurface::AddRef()
{
    return ++mRefCount;
}

uint32_t DirectDrawSurface::Release()
{
    const uint32_t left = --mRefCount;
    if (left == 0)
        delete this;
    return left;
}

HResult DirectDrawSurface::QueryInterface(const InterfaceId& id, void** object)
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::QueryInterface); Failed(injected))
        return injected;
    if (!object)
        return DDERR_INVALIDPARAMS;
    *object = nullptr;
    if (id != IID_IDirectDrawSurface7 && id != IID_IDirectDrawSurface)
        return E_NOINTERFACE;
    AddRef();
    *object = this;
    return DD_OK;
}

const TexelView& DirectDrawSurface::Texels()
{
    if (!mTexels)
        mTexels = std::make_unique<SurfaceTexels>();
    return mTexels->View(TopRow(), mPitch, mWidth, mHeight, mFormat, mChangeCount.load());
}

uint8_t* DirectDrawSurface::DrawingTopRow()
{
    return const_cast<uint8_t*>(TopRow());
}

const uint8_t* DirectDrawSurface::TopRow() const
{
    if (mMemory.empty())
        return nullptr;
    return mPitch >= 0 ? mMemory.data() : mMemory.data() + mMemory.size() + mPitch;
}

uint8_t* DirectDrawSurface::PixelAddress(int x, int y)
{
    return const_cast<uint8_t*>(std::as_const(*this).PixelAddress(x, y));
}

const uint8_t* DirectDrawSurface::PixelAddress(int x, int y) const
{
    return TopRow() + static_cast<ptrdiff_t>(y) * mPitch + static_cast<ptrdiff_t>(x) * BytesPerPixel();
}

uint32_t DirectDrawSurface::PixelAt(int x, int y) const
{
    if (x < 0 || y < 0 || x >= mWidth || y >= mHeight || mMemory.empty())
        return 0;
    return PixelCodec::Read(PixelAddress(x, y), BytesPerPixel());
}

void DirectDrawSurface::SetPixelAt(int x, int y, uint32_t value)
{
    if (x < 0 || y < 0 || x >= mWidth || y >= mHeight || mMemory.empty())
        return;
    PixelCodec::Write(PixelAddress(x, y), BytesPerPixel(), value);
    ++mChangeCount;
}

HResult DirectDrawSurface::Lock(const WindowRect* rect, SurfaceDesc* desc, uint32_t /*flags*/)
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::Lock); Failed(injected))
        return injected;
    if (!desc || (desc->size != kSurfaceDescSize1 && desc->size != kSurfaceDescSize2))
        return DDERR_INVALIDPARAMS;
    const WindowRect whole{0, 0, mWidth, mHeight};
    const WindowRect area = rect ? *rect : whole;
    if (area.IsEmpty() || !Contains(whole, area))
        return DDERR_INVALIDRECT;
    if (mLockCount > 0)
        return DDERR_SURFACEBUSY;
    if (const HResult described = GetSurfaceDesc(desc); Failed(described))
        return described;
    desc->flags |= DDSD_LPSURFACE;
    desc->surface = PixelAddress(area.left, area.top);
    ++mLockCount;
    return DD_OK;
}

HResult DirectDrawSurface::Unlock(const WindowRect* /*rect*/)
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::Unlock); Failed(injected))
        return injected;
    if (mLockCount == 0)
        return DDERR_NOTLOCKED;
    --mLockCount;
    // Whoever held the lock may have written anything.
    ++mChangeCount;
    return DD_OK;
}

HResult DirectDrawSurface::GetSurfaceDesc(SurfaceDesc* desc) const
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::GetSurfaceDesc); Failed(injected))
        return injected;
    if (!desc || (desc->size != kSurfaceDescSize1 && desc->size != kSurfaceDescSize2))
        return DDERR_INVALIDPARAMS;
    const uint32_t size = desc->size;
    *desc = SurfaceDesc{};
    desc->size = size;
    desc->flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc->width = mWidth;
    desc->height = mHeight;
    desc->pitch = mPitch;
    desc->pixelFormat = mFormat;
    desc->caps = mCaps;
    if (mBackBuffer) {
        desc->flags |= DDSD_BACKBUFFERCOUNT;
        desc->backBufferCount = 1;
    }
    if (mHasSrcKey) {
        desc->flags |= DDSD_CKSRCBLT;
        desc->srcBltKey = mSrcKey;
    }
    return DD_OK;
}

HResult DirectDrawSurface::SetColorKey(uint32_t which, const ColorKey* key)
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::SetColorKey); Failed(injected))
        return injected;
    if (which != DDCKEY_SRCBLT)
        return DDERR_UNSUPPORTED;
    mHasSrcKey = key != nullptr;
    mSrcKey = key ? *key : ColorKey{};
    return DD_OK;
}

HResult DirectDrawSurface::GetColorKey(uint32_t which, ColorKey* key) const
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::GetColorKey); Failed(injected))
        return injected;
    if (which != DDCKEY_SRCBLT || !key)
        return DDERR_INVALIDPARAMS;
    if (!mHasSrcKey)
        return DDERR_NOCOLORKEY;
    *key = mSrcKey;
    return DD_OK;
}

HResult DirectDrawSurface::GetAttachedSurface(const SurfaceCaps& caps, DirectDrawSurface** surface)
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::GetAttachedSurface); Failed(injected))
        return injected;
    if (!surface)
        return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    if (!mBackBuffer || (caps.caps & DDSCAPS_BACKBUFFER) == 0)
        return DDERR_NOTFOUND;
    *surface = ComRef<DirectDrawSurface>(mBackBuffer).Detach();
    return DD_OK;
}

HResult DirectDrawSurface::SetClipper(DirectDrawClipper* clipper)
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::SetClipper); Failed(injected))
        return injected;
    mClipper = ComRef<DirectDrawClipper>::Share(clipper);
    return DD_OK;
}

HResult DirectDrawSurface::Flip(DirectDrawSurface* target, uint32_t /*flags*/)
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::Flip); Failed(injected))
        return injected;
    if (!mBackBuffer || (mCaps.caps & DDSCAPS_FLIP) == 0)
        return DDERR_NOTFLIPPABLE;
    if (target && target != mBackBuffer)
        return DDERR_INVALIDPARAMS;
    if (mLockCount > 0 || mBackBuffer->mLockCount > 0)
        return DDERR_SURFACEBUSY;
    std::swap(mMemory, mBackBuffer->mMemory);
    ++mChangeCount;
    ++mBackBuffer->mChangeCount;
    return DD_OK;
}

WindowRect DirectDrawSurface::ClipBounds() const
{
    WindowRect bounds{0, 0, mWidth, mHeight};
    if (mClipper) {
        const WindowHandle window = mClipper->GetHWnd();
        if (window && IsWindow(window)) {
            // The primary covers the screen: the window's client area in screen coordinates is what it may reach.
            WindowPoint origin{0, 0};
            ClientToScreen(window, origin);
            const WindowRect client = GetClientRect(window);
            bounds = bounds.Intersection(
                WindowRect{origin.x, origin.y, origin.x + client.Width(), origin.y + client.Height()});
        }
    }
    return bounds;
}

HResult DirectDrawSurface::ColorFill(const WindowRect& dest, uint32_t value)
{
    const WindowRect visible = dest.Intersection(ClipBounds());
    if (visible.IsEmpty())
        return DD_OK;
    const int bytes = BytesPerPixel();
    for (int y = visible.top; y < visible.bottom; ++y) {
        uint8_t* row = PixelAddress(visible.left, y);
        for (int x = visible.left; x < visible.right; ++x, row += bytes)
            PixelCodec::Write(row, bytes, value);
    }
    ++mChangeCount;
    return DD_OK;
}

HResult DirectDrawSurface::Blt(const WindowRect* destRect, DirectDrawSurface* source, const WindowRect* srcRect,
                               uint32_t flags, const BltFx* fx)
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::Blt); Failed(injected))
        return injected;
    if (mLockCount > 0 || (source && source->mLockCount > 0))
        return DDERR_SURFACEBUSY;
    const WindowRect whole{0, 0, mWidth, mHeight};
    const WindowRect dest = destRect ? *destRect : whole;
    if (dest.IsEmpty() || (!mClipper && !Contains(whole, dest)))
        return DDERR_INVALIDRECT;

    if (flags & DDBLT_COLORFILL) {
        if (!fx)
            return DDERR_INVALIDPARAMS;
        return ColorFill(dest, fx->fillColor);
    }
    if (!source)
        return DDERR_INVALIDPARAMS;
    const WindowRect src = srcRect ? *srcRect : WindowRect{0, 0, source->mWidth, source->mHeight};
    if (src.IsEmpty() || !Contains(WindowRect{0, 0, source->mWidth, source->mHeight}, src))
        return DDERR_INVALIDRECT;
    if (source->mFormat.rgbBitCount != mFormat.rgbBitCount)
        return DDERR_INVALIDPIXELFORMAT;
    const bool keyed = (flags & DDBLT_KEYSRC) != 0;
    if (keyed && !source->mHasSrcKey)
        return DDERR_NOCOLORKEY;

    const WindowRect visible = dest.Intersection(ClipBounds());
    if (visible.IsEmpty())
        return DD_OK;

    // A blit within one surface reads a copy, so overlapping rectangles see the old pixels.
    const int bytes = BytesPerPixel();
    const int srcWidth = src.Width();
    const int srcHeight = src.Height();
    std::vector<uint8_t> copy;
    const uint8_t* srcTop = source->PixelAddress(src.left, src.top);
    ptrdiff_t srcPitch = source->mPitch;
    if (source == this) {
        const size_t rowBytes = static_cast<size_t>(srcWidth) * static_cast<size_t>(bytes);
        copy.resize(rowBytes * static_cast<size_t>(srcHeight));
        for (int y = 0; y < srcHeight; ++y)
            std::memcpy(copy.data() + rowBytes * static_cast<size_t>(y), srcTop + y * srcPitch, rowBytes);
        srcTop = copy.data();
        srcPitch = static_cast<ptrdiff_t>(rowBytes);
    }

    // Nearest sample of the unclipped mapping, so that clipping never shifts the picture.
    const int64_t destWidth = dest.Width();
    const int64_t destHeight = dest.Height();
    for (int y = visible.top; y < visible.bottom; ++y) {
        const auto sy = static_cast<ptrdiff_t>((int64_t{y - dest.top} * srcHeight) / destHeight);
        const uint8_t* srcRow = srcTop + sy * srcPitch;
        uint8_t* out = PixelAddress(visible.left, y);
        for (int x = visible.left; x < visible.right; ++x, out += bytes) {
            const auto sx = static_cast<ptrdiff_t>((int64_t{x - dest.left} * srcWidth) / destWidth);
            const uint8_t* in = srcRow + sx * bytes;
            if (keyed) {
                const uint32_t value = PixelCodec::Read(in, bytes);
                if (value >= source->mSrcKey.low && value <= source->mSrcKey.high)
                    continue;
            }
            std::memcpy(out, in, static_cast<size_t>(bytes));
        }
    }
    ++mChangeCount;
    return DD_OK;
}

} // namespace Platform
