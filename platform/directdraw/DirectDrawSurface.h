#pragma once

#include "platform/directdraw/DirectDrawEmulation.h"
#include "platform/directdraw/DirectDrawTypes.h"
#include "platform/directdraw/SurfaceTexels.h"
#include "platform/directx/ComRef.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace Platform {

class DirectDrawClipper;
class DirectDrawSurface;

/// What a DirectDraw object shares with the primary surface it made, which may outlive it: which surface is the
/// primary. The primary clears it when it goes.
struct PrimaryLink {
    std::mutex mutex;
    DirectDrawSurface* primary = nullptr; // borrowed
};

/// A surface of the in-memory DirectDraw stand-in: pixels in memory in one pixel format, rows at a signed pitch,
/// a lock count, a source colour key, an optional clipper, and for the primary of a flip chain its back buffer.
/// Blits copy raw pixel values between surfaces of the same bit depth, stretch by nearest sample, skip pixels in
/// the source's colour key, and are refused while either surface is locked. Counted: Release frees it when the
/// last reference goes. Not locked internally: the display's lock serialises every use across threads.
class DirectDrawSurface {
public:
    DirectDrawSurface(const DirectDrawSurface&) = delete;
    DirectDrawSurface& operator=(const DirectDrawSurface&) = delete;

    uint32_t AddRef();
    uint32_t Release();
    /// IID_IDirectDrawSurface7 and IID_IDirectDrawSurface give this surface, counted; E_NOINTERFACE otherwise.
    HResult QueryInterface(const InterfaceId& id, void** object);

    /// Locks the whole surface (rect null) or a rectangle of it and fills the description: size, pitch, format,
    /// and the address of the first pixel. A surface is locked once at a time.
    HResult Lock(const WindowRect* rect, SurfaceDesc* desc, uint32_t flags);
    HResult Unlock(const WindowRect* rect = nullptr);
    /// Copies (or with DDBLT_COLORFILL fills) the source rectangle into the destination rectangle, both null for
    /// the whole surface. Without a clipper the destination must lie inside the surface.
    HResult Blt(const WindowRect* destRect, DirectDrawSurface* source, const WindowRect* srcRect, uint32_t flags,
                const BltFx* fx);
    /// Shows the back buffer of a flip chain: front and back exchange their pixels.
    HResult Flip(DirectDrawSurface* target, uint32_t flags);
    HResult GetSurfaceDesc(SurfaceDesc* desc) const;
    /// Sets (or, with a null key, clears) the source colour key.
    HResult SetColorKey(uint32_t which, const ColorKey* key);
    HResult GetColorKey(uint32_t which, ColorKey* key) const;
    /// The back buffer of a flip chain, counted.
    HResult GetAttachedSurface(const SurfaceCaps& caps, DirectDrawSurface** surface);
    /// Holds a reference on the clipper (null removes it).
    HResult SetClipper(DirectDrawClipper* clipper);

    // Stand-in only: what the presenter and tests read.
    [[nodiscard]] int Width() const { return mWidth; }
    [[nodiscard]] int Height() const { return mHeight; }
    [[nodiscard]] int32_t Pitch() const { return mPitch; }
    [[nodiscard]] const PixelFormat& Format() const { return mFormat; }
    [[nodiscard]] uint32_t Caps() const { return mCaps.caps; }
    [[nodiscard]] int LockCount() const { return mLockCount; }
    [[nodiscard]] bool HasSourceColorKey() const { return mHasSrcKey; }
    [[nodiscard]] const uint8_t* TopRow() const;
    /// Raised by every change of the pixels, so that the presenter sees whether there is anything new.
    [[nodiscard]] uint64_t ChangeCount() const { return mChangeCount.load(); }
    /// The raw pixel value at (x, y); 0 outside the surface.
    [[nodiscard]] uint32_t PixelAt(int x, int y) const;
    void SetPixelAt(int x, int y, uint32_t value);

    // Stand-in only: what the 3-D device reads and writes, outside the lock protocol (it checks LockCount itself).
    /// The pixels as a texture is sampled, made again after every change.
    const TexelView& Texels();
    /// The top row for drawing into; NoteDrawn afterwards.
    [[nodiscard]] uint8_t* DrawingTopRow();
    void NoteDrawn() { ++mChangeCount; }

private:
    friend class DirectDraw;

    DirectDrawSurface(int width, int height, const PixelFormat& format, const SurfaceCaps& caps,
                      const SurfaceLayout& layout);
    ~DirectDrawSurface();

    [[nodiscard]] int BytesPerPixel() const { return static_cast<int>(mFormat.rgbBitCount / 8); }
    [[nodiscard]] uint8_t* PixelAddress(int x, int y);
    [[nodiscard]] const uint8_t* PixelAddress(int x, int y) const;
    /// The rectangle blits onto this surface may reach: the surface, cut to the clipper's window when it has one.
    [[nodiscard]] WindowRect ClipBounds() const;
    HResult ColorFill(const WindowRect& dest, uint32_t value);

    std::atomic<uint32_t> mRefCount = 1;
    int mWidth = 0;
    int mHeight = 0;
    PixelFormat mFormat;
    SurfaceCaps mCaps;
    int32_t mPitch = 0; // negative for bottom-up rows
    std::vector<uint8_t> mMemory;
    int mLockCount = 0;
    bool mHasSrcKey = false;
    ColorKey mSrcKey;
    ComRef<DirectDrawClipper> mClipper;
    ComRef<DirectDrawSurface> mBackBuffer;     // the primary of a flip chain
    std::shared_ptr<PrimaryLink> mPrimaryLink; // set on a primary
    std::atomic<uint64_t> mChangeCount = 0;
    std::unique_ptr<SurfaceTexels> mTexels; // made when the surface is first sampled as a texture
};

} // namespace Platform
