#include "graphics/DDImage.h"

#include "graphics/D3DInterface.h"
#include "graphics/DDInterface.h"
#include "graphics/Matrix3.h"
#include "graphics/raster/SoftwareTriangle.h"
#include "platform/directdraw/DirectDrawSurface.h"
#include "shell/PyxoAppBase.h"

#include <algorithm>
#include <bitset>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace Pyxo {
namespace {

using Platform::Failed;

const Color kWhite(255, 255, 255, 255);

uint32_t ShiftLeft(uint32_t value, int amount)
{
    return amount >= 0 && amount < 32 ? value << amount : 0;
}

uint32_t ShiftRight(uint32_t value, int amount)
{
    return amount >= 0 && amount < 32 ? value >> amount : 0;
}

/// An ARGB colour in the surface's format: the display's bit counts and shifts place each channel, the
/// surface's own masks cut it; low bits are dropped.
uint32_t ToSurfaceColor(uint32_t argb, const NativeDisplay& display, const Platform::PixelFormat& format)
{
    return (ShiftLeft(ShiftRight(argb, 24 - display.mRedBits), display.mRedShift) & format.redMask) |
           (ShiftLeft(ShiftRight(argb, 16 - display.mGreenBits), display.mGreenShift) & format.greenMask) |
           (ShiftLeft(ShiftRight(argb, 8 - display.mBlueBits), display.mBlueShift) & format.blueMask);
}

/// One 8-bit channel read back from a surface pixel, so that a 5-bit 31 becomes 248.
uint32_t ChannelOf(uint32_t pixel, int shift, int bits)
{
    const uint32_t value = ShiftRight(pixel, shift);
    return (bits <= 8 ? ShiftLeft(value, 8 - bits) : ShiftRight(value, bits - 8)) & 0xFF;
}

/// The rasterizer's frame-buffer format for a locked surface; nullopt for a layout it has no code for.
bool RasterFormatOf(const Platform::PixelFormat& format, Raster::PixelFormat& out)
{
    if (format.rgbBitCount == 32) {
        out = Raster::PixelFormat::Rgb888;
        return true;
    }
    if (format.rgbBitCount == 16 && format.redMask == 0xF800 && format.greenMask == 0x07E0 &&
        format.blueMask == 0x001F) {
        out = Raster::PixelFormat::Rgb565;
        return true;
    }
    if (format.rgbBitCount == 16 && format.redMask == 0x7C00 && format.greenMask == 0x03E0 &&
        format.blueMask == 0x001F) {
        out = Raster::PixelFormat::Rgb555;
        return true;
    }
    return false;
}

/// The rasterizer's format for a surface layout whose pixels it writes exactly as the surface's own loops do:
/// 32-bit red, green and blue from the high byte down, 5-6-5 and 5-5-5.
bool ExactRasterFormatOf(const Platform::PixelFormat& format, Raster::PixelFormat& out)
{
    if (format.rgbBitCount == 32 &&
        (format.redMask != 0xFF0000 || format.greenMask != 0xFF00 || format.blueMask != 0xFF))
        return false;
    return RasterFormatOf(format, out);
}

/// The source of a software transformed blit or textured triangles as the rasterizer takes it; false when the
/// image has no pixels to give.
bool TextureOf(Image* image, Raster::TriTexture& texture)
{
    auto* source = dynamic_cast<MemoryImage*>(image);
    if (!source)
        return false;
    source->CommitBits();
    const uint32_t* bits = source->GetBits();
    if (!bits || source->GetWidth() <= 0 || source->GetHeight() <= 0)
        return false;
    texture.texels = bits;
    texture.width = source->GetWidth();
    texture.height = source->GetHeight();
    texture.pitch = 0;
    texture.hasAlpha = source->mHasAlpha;
    texture.hasTransparency = source->mHasTrans;
    return true;
}

} // namespace

DDImage::DDImage(DDInterface* display) : MemoryImage(display ? display->mApp : gPyxoAppBase), mDDInterface(display)
{
    if (mDDInterface)
        mDDInterface->AddImage(this);
}

DDImage::~DDImage()
{
    ReleaseSurface();
    if (mDDInterface)
        mDDInterface->RemoveImage(this);
}

bool DDImage::Uses3D() const
{
    return mDDInterface && mDDInterface->mIs3D && mSurface && mSurface == mDDInterface->mDrawSurface;
}

bool DDImage::Check3D(Image* image)
{
    const auto* surfaceImage = dynamic_cast<const DDImage*>(image);
    return surfaceImage && surfaceImage->Uses3D();
}

bool DDImage::IsScreenImage() const
{
    return mDDInterface && mDDInterface->mScreenImage.get() == this;
}

Platform::DirectDrawSurface* DDImage::GetSurface()
{
    if (!mSurface)
        GenerateDDSurface();
    return mSurface.Get();
}

void DDImage::SetSurface(Platform::DirectDrawSurface* surface)
{
    // Shared first: the surface handed in may be the one held now.
    Platform::ComRef<Platform::DirectDrawSurface> shared =
        Platform::ComRef<Platform::DirectDrawSurface>::Share(surface);
    ReleaseSurface();
    mSurface = std::move(shared);
    mSurfaceSet = true;
    mNoLock = false;
    if (!mSurface)
        return;
    Platform::SurfaceDesc desc;
    desc.size = Platform::kSurfaceDescSize1;
    desc.flags = Platform::DDSD_WIDTH | Platform::DDSD_HEIGHT;
    if (!Failed(mSurface->GetSurfaceDesc(&desc))) {
        mWidth = desc.width;
        mHeight = desc.height;
    }
}

bool DDImage::LockSurface()
{
    if (Uses3D())
        return false;
    if (mLockCount == 0) {
        mLockDesc = Platform::SurfaceDesc{};
        mLockDesc.size = Platform::kSurfaceDescSize1;
        if (!GetSurface() || Failed(mSurface->Lock(nullptr, &mLockDesc, Platform::DDLOCK_WAIT)))
            return false;
    }
    ++mLockCount;
    return true;
}

bool DDImage::UnlockSurface()
{
    if (Uses3D() || mLockCount <= 0)
        return false;
    if (--mLockCount == 0 && mSurface)
        mSurface->Unlock();
    return true;
}

void DDImage::DeleteDDSurface()
{
    if (!mSurface)
        return;
    if (!mColorTable && !mBits && !mD3DData)
        GetBits();
    ReleaseSurface();
}

void DDImage::ReleaseSurface()
{
    // A surface shared with the display must not stay locked behind us.
    if (mSurface && mLockCount > 0)
        mSurface->Unlock();
    mLockCount = 0;
    mSurface.Reset();
}

void DDImage::FreeNonSurfaceData()
{
    // Until a surface holds the pixels, the memory stores are their only copy.
    if (!mSurface)
        return;
    mBits.reset();
    mNativeAlphaData.reset();
    mRLAdditiveData.reset();
    mRLAlphaData.reset();
    mColorTable.reset();
    mColorIndices.reset();
}

void DDImage::PurgeBits()
{
    if (mSurfaceSet)
        return;
    mPurgeBits = true;
    CommitBits();
    if (mApp && mApp->Is3DAccelerated()) {
        if (mSurface) {
            GetBits();
            DeleteDDSurface();
        }
        MemoryImage::PurgeBits();
        return;
    }
    if (mWantDDSurface && GenerateDDSurface()) {
        // The surface alone holds the pixels now.
        mBits.reset();
        mColorIndices.reset();
        mColorTable.reset();
        return;
    }
    MemoryImage::PurgeBits();
}

void DDImage::DeleteExtraBuffers()
{
    if (mSurfaceSet)
        return;
    MemoryImage::DeleteExtraBuffers();
    DeleteDDSurface();
}

void DDImage::ReInit()
{
    MemoryImage::ReInit();
    if (mWantDDSurface)
        GenerateDDSurface();
}

void DDImage::BitsChanged()
{
    MemoryImage::BitsChanged();
    // The surface is made again from the new bits; a screen image keeps the surface it was given.
    if (mSurface && !mSurfaceSet)
        ReleaseSurface();
}

void DDImage::CommitBits()
{
    // With a surface the transparency flags stay as they are: the bits may be gone.
    if (!mSurface)
        MemoryImage::CommitBits();
}

void DDImage::DeleteNativeData()
{
    if (mSurfaceSet)
        return;
    MemoryImage::DeleteNativeData();
    DeleteDDSurface();
}

void DDImage::Create(int width, int height)
{
    mBits.reset();
    // A palette of the old size would be read with the new one.
    mColorTable.reset();
    mColorIndices.reset();
    mWidth = std::max(width, 0);
    mHeight = std::max(height, 0);
    BitsChanged();
}

uint32_t* DDImage::GetBits()
{
    if (mBits)
        return mBits.get();
    if (!mSurface)
        return MemoryImage::GetBits();
    if (mNoLock || !LockSurface())
        return nullptr;
    const size_t pixels = size_t(std::max(mWidth, 0)) * size_t(std::max(mHeight, 0));
    mBits.reset(new (std::nothrow) uint32_t[pixels + 1]());
    if (!mBits) {
        UnlockSurface();
        return nullptr;
    }
    mBits[pixels] = kGuardWord;
    const NativeDisplay fallback;
    const NativeDisplay& display = mDDInterface ? static_cast<const NativeDisplay&>(*mDDInterface) : fallback;
    const uint32_t bitCount = mLockDesc.pixelFormat.rgbBitCount;
    // Only what both the image and the surface cover is read; the rest stays 0.
    const int width = std::min(mWidth, mLockDesc.width);
    const int height = std::min(mHeight, mLockDesc.height);
    if (mLockDesc.surface && (bitCount == 16 || bitCount == 32)) {
        for (int y = 0; y < height; ++y) {
            const uint8_t* row = mLockDesc.surface + static_cast<ptrdiff_t>(y) * mLockDesc.pitch;
            uint32_t* out = mBits.get() + size_t(y) * size_t(mWidth);
            for (int x = 0; x < width; ++x) {
                uint32_t p = 0;
                if (bitCount == 16) {
                    p = uint32_t(row[2 * x]) | uint32_t(row[2 * x + 1]) << 8;
                } else {
                    const uint8_t* q = row + 4 * x;
                    p = uint32_t(q[0]) | uint32_t(q[1]) << 8 | uint32_t(q[2]) << 16 | uint32_t(q[3]) << 24;
                }
                out[x] = 0xFF000000 | ChannelOf(p, display.mRedShift, display.mRedBits) << 16 |
                         ChannelOf(p, display.mGreenShift, display.mGreenBits) << 8 |
                         ChannelOf(p, display.mBlueShift, display.mBlueBits);
            }
        }
    }
    UnlockSurface();
    return mBits.get();
}

bool DDImage::Palletize()
{
    const bool palletized = MemoryImage::Palletize();
    if (palletized)
        DeleteDDSurface();
    return palletized;
}

void DDImage::SetVideoMemory(bool videoMemory)
{
    if (videoMemory == mVideoMemory)
        return;
    mVideoMemory = videoMemory;
    GetBits();
    DeleteDDSurface();
}

bool DDImage::GenerateDDSurface()
{
    if (mSurface)
        return true;
    if (!mDDInterface)
        return false;
    CommitBits();
    if (mHasAlpha)
        return false;
    mWantDDSurface = true;
    if (mColorTable || (!mBits && (mNativeAlphaData || mD3DData)))
        MemoryImage::GetBits(); // the pixels of the other stores, as bits

    Platform::SurfaceDesc desc;
    desc.flags = Platform::DDSD_CAPS | Platform::DDSD_HEIGHT | Platform::DDSD_WIDTH;
    desc.width = mWidth;
    desc.height = mHeight;
    desc.caps.caps = mVideoMemory ? Platform::DDSCAPS_VIDEOMEMORY : Platform::DDSCAPS_SYSTEMMEMORY;

    AutoCrit lock(mDDInterface->mCritSect);
    if (Failed(mDDInterface->CreateSurface(desc, mSurface)) || !mSurface)
        return false;
    if (!LockSurface()) {
        // A surface that was never filled must not pass for this image's pixels.
        ReleaseSurface();
        return false;
    }
    bool generated = true;
    if (!mLockDesc.surface) {
        // Nothing to fill.
    } else if (mLockDesc.pixelFormat.rgbBitCount == 16) {
        FillSurface16();
    } else if (mLockDesc.pixelFormat.rgbBitCount == 32) {
        FillSurface32();
    } else {
        generated = false;
    }
    UnlockSurface();
    if (!generated)
        ReleaseSurface();
    return generated;
}

DDImage::SurfaceSource DDImage::SourceForSurface() const
{
    return {mBits.get(), size_t(mWidth), std::min(mWidth, mLockDesc.width), std::min(mHeight, mLockDesc.height)};
}

void DDImage::FillSurface16()
{
    const SurfaceSource source = SourceForSurface();
    if (!source.bits)
        return;
    const Platform::PixelFormat format = mLockDesc.pixelFormat;
    const NativeDisplay& display = *mDDInterface;
    const size_t count = size_t(source.width) * size_t(source.height);
    std::vector<uint16_t> converted(count);
    uint16_t key = 0;
    bool keyFound = false;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t c = source.At(i);
        converted[i] = static_cast<uint16_t>(ToSurfaceColor(c, display, format));
        if (!keyFound && (c >> 24) < 255) {
            key = converted[i];
            keyFound = true;
        }
    }
    if (mHasTrans) {
        key = ColorKey16(source, converted, key);
        for (size_t i = 0; i < count; ++i) {
            if ((source.At(i) >> 24) != 255)
                converted[i] = key;
        }
    }
    for (int y = 0; y < source.height; ++y) {
        uint8_t* row = mLockDesc.surface + static_cast<ptrdiff_t>(y) * mLockDesc.pitch;
        for (int x = 0; x < source.width; ++x) {
            const uint16_t v = converted[size_t(y) * size_t(source.width) + size_t(x)];
            row[2 * x] = static_cast<uint8_t>(v);
            row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
        }
    }
    if (mHasTrans) {
        const Platform::ColorKey colorKey{key, key};
        mSurface->SetColorKey(Platform::DDCKEY_SRCBLT, &colorKey);
    }
}

uint16_t DDImage::ColorKey16(const SurfaceSource& source, const std::vector<uint16_t>& converted, uint16_t key)
{
    bool keyTaken = false;
    for (size_t i = 0; i < converted.size() && !keyTaken; ++i)
        keyTaken = (source.At(i) >> 24) == 255 && converted[i] == key;
    if (!keyTaken)
        return key;
    // Every value an opaque or partly visible pixel uses; the last block of 32 values with a free one gives the
    // key.
    auto used = std::make_unique<std::bitset<65536>>();
    for (size_t i = 0; i < converted.size(); ++i) {
        if ((source.At(i) >> 24) > 0)
            used->set(converted[i]);
    }
    for (uint32_t word = 0; word < 2048; ++word) {
        for (uint32_t bit = 0; bit < 32; ++bit) {
            if (!used->test(word * 32 + bit)) {
                key = static_cast<uint16_t>(word * 32 + bit);
                break;
            }
        }
    }
    return key;
}

void DDImage::FillSurface32()
{
    const SurfaceSource source = SourceForSurface();
    if (!source.bits)
        return;
    const Platform::PixelFormat format = mLockDesc.pixelFormat;
    const NativeDisplay& display = *mDDInterface;
    const uint32_t key = mHasTrans ? ColorKey32(source) : 0;
    for (int y = 0; y < source.height; ++y) {
        uint8_t* row = mLockDesc.surface + static_cast<ptrdiff_t>(y) * mLockDesc.pitch;
        for (int x = 0; x < source.width; ++x) {
            const uint32_t c = source.At(x, y);
            const uint32_t v = mHasTrans && (c >> 24) != 255 ? key : ToSurfaceColor(c, display, format);
            uint8_t* q = row + 4 * x;
            q[0] = static_cast<uint8_t>(v);
            q[1] = static_cast<uint8_t>(v >> 8);
            q[2] = static_cast<uint8_t>(v >> 16);
            q[3] = static_cast<uint8_t>(v >> 24);
        }
    }
    if (mHasTrans) {
        const Platform::ColorKey colorKey{key, key};
        mSurface->SetColorKey(Platform::DDCKEY_SRCBLT, &colorKey);
    }
}

uint32_t DDImage::ColorKey32(const SurfaceSource& source)
{
    // The first pixel that is not opaque gives the key, unless an opaque pixel has its colour; then the first
    // colour no visible pixel uses.
    uint32_t key = 0;
    bool found = false;
    for (int y = 0; y < source.height && !found; ++y) {
        for (int x = 0; x < source.width && !found; ++x) {
            if ((source.At(x, y) >> 24) < 255) {
                key = source.At(x, y);
                found = true;
            }
        }
    }
    bool keyTaken = false;
    for (int y = 0; y < source.height && !keyTaken; ++y) {
        for (int x = 0; x < source.width && !keyTaken; ++x)
            keyTaken = (source.At(x, y) >> 24) == 255 && (source.At(x, y) & 0xFFFFFF) == key;
    }
    if (!keyTaken)
        return key;
    auto used = std::make_unique<std::bitset<(1u << 24)>>();
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < source.width; ++x) {
            if ((source.At(x, y) >> 24) > 0)
                used->set(source.At(x, y) & 0xFFFFFF);
        }
    }
    for (uint32_t value = 0; value < (1u << 24); ++value) {
        if (!used->test(value))
            return value;
    }
    return key;
}

bool DDImage::FillPolygon3D(const Point* points, int count, const Rect* clipRect, const Color& color, int drawMode,
                            int tx, int ty, bool /*convex*/)
{
    if (!Uses3D())
        return false;
    mDDInterface->mD3DInterface->FillPolygon(points, count, clipRect, color, drawMode, tx, ty);
    return true;
}

// Whether this image draws into its own surface: a surface holds neither partial alpha nor a transparent pixel,
// and with 3-D on every drawing goes through the 3-D display instead.
bool DDImage::DrawsIntoSurface() const
{
    return !mHasAlpha && !mHasTrans && !(mDDInterface && mDDInterface->mIs3D);
}

void DDImage::FillRect(const Rect& rect, const Color& color, int drawMode)
{
    if (Uses3D()) {
        mDDInterface->mD3DInterface->FillRect(rect, color, drawMode);
        return;
    }
    CommitBits();
    if (DrawsIntoSurface()) {
        if (drawMode == 0)
            NormalFillRect(rect, color);
        else if (drawMode == 1)
            AdditiveFillRect(rect, color);
        FreeNonSurfaceData();
        return;
    }
    MemoryImage::FillRect(rect, color, drawMode);
}

// A horizontal or vertical line is a rectangle fill; true when it was one.
bool DDImage::DrawStraightLine(double startX, double startY, double endX, double endY, const Color& color, int drawMode)
{
    if (startY == endY) {
        const int x = static_cast<int>(std::min(startX, endX));
        const int y = static_cast<int>(startY);
        FillRect(Rect(x, y, static_cast<int>(std::max(startX, endX)) - x + 1, static_cast<int>(endY - startY + 1)),
                 color, drawMode);
        return true;
    }
    if (startX == endX) {
        const int x = static_cast<int>(startX);
        const int y = static_cast<int>(std::min(startY, endY));
        FillRect(Rect(x, y, static_cast<int>(endX - startX + 1), static_cast<int>(std::max(startY, endY)) - y + 1),
                 color, drawMode);
        return true;
    }
    return false;
}

void DDImage::DrawLine(double startX, double startY, double endX, double endY, const Color& color, int drawMode)
{
    DrawAnyLine(startX, startY, endX, endY, color, drawMode, false);
}

void DDImage::DrawLineAA(double startX, double startY, double endX, double endY, const Color& color, int drawMode)
{
    DrawAnyLine(startX, startY, endX, endY, color, drawMode, true);
}

void DDImage::DrawAnyLine(double startX, double startY, double endX, double endY, const Color& color, int drawMode,
                          bool antiAliased)
{
    if (Uses3D()) {
        mDDInterface->mD3DInterface->DrawLine(startX, startY, endX, endY, color, drawMode);
        return;
    }
    if (DrawsIntoSurface()) {
        if (DrawStraightLine(startX, startY, endX, endY, color, drawMode))
            return;
        CommitBits();
        if (drawMode == 0 && antiAliased)
            NormalDrawLineAA(startX, startY, endX, endY, color);
        else if (drawMode == 0)
            NormalDrawLine(startX, startY, endX, endY, color);
        else if (drawMode == 1 && antiAliased)
            AdditiveDrawLineAA(startX, startY, endX, endY, color);
        else if (drawMode == 1)
            AdditiveDrawLine(startX, startY, endX, endY, color);
        FreeNonSurfaceData();
        return;
    }
    // Deliberate: an anti-aliased line too is a plain line here, not the memory image's anti-aliased one.
    MemoryImage::DrawLine(startX, startY, endX, endY, color, drawMode);
}

void DDImage::Blt(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode)
{
    if (!image)
        return;
    image->mDrawn = true;
    CommitBits();
    if (Uses3D()) {
        D3DInterface& d3d = *mDDInterface->mD3DInterface;
        auto* source = dynamic_cast<DDImage*>(image);
        if (source && source->mSurface && drawMode == 0 && color == kWhite && !source->mHasAlpha &&
            !d3d.mTransformedDraw) {
            // Opaque copies between two surfaces need no texture.
            const bool wasLocked = mLockCount > 0;
            if (wasLocked)
                mSurface->Unlock();
            const Platform::WindowRect from{srcRect.mX, srcRect.mY, srcRect.mX + srcRect.mWidth,
                                            srcRect.mY + srcRect.mHeight};
            const Platform::WindowRect to{x, y, x + srcRect.mWidth, y + srcRect.mHeight};
            const Platform::BltFx fx;
            const uint32_t flags = Platform::DDBLT_WAIT | (source->mHasTrans ? Platform::DDBLT_KEYSRC : 0);
            mSurface->Blt(&to, source->mSurface.Get(), &from, flags, &fx);
            if (wasLocked)
                mSurface->Lock(nullptr, &mLockDesc, Platform::DDLOCK_WAIT);
        } else {
            d3d.BltTexturedQuad(image, static_cast<float>(x), static_cast<float>(y), srcRect, color, drawMode, false);
        }
        return;
    }
    if (!mHasAlpha && !mHasTrans && (!(mDDInterface && mDDInterface->mIs3D) || IsScreenImage())) {
        if (drawMode == 0)
            NormalBlt(image, x, y, srcRect, color);
        else if (drawMode == 1)
            AdditiveBlt(image, x, y, srcRect, color);
        FreeNonSurfaceData();
        return;
    }
    MemoryImage::Blt(image, x, y, srcRect, color, drawMode);
}

void DDImage::BltF(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect, const Color& color,
                   int drawMode)
{
    if (!image)
        return;
    image->mDrawn = true;
    if (!Uses3D()) {
        BltRotated(image, x, y, srcRect, clipRect, color, drawMode, 0.0, 0.0f, 0.0f);
        return;
    }
    D3DInterface& d3d = *mDDInterface->mD3DInterface;
    const FRect area(x, y, srcRect.mWidth, srcRect.mHeight);
    const FRect clipped = area.Intersection(FRect(clipRect.mX, clipRect.mY, clipRect.mWidth, clipRect.mHeight));
    if (clipped.mWidth == srcRect.mWidth && clipped.mHeight == srcRect.mHeight) {
        d3d.BltTexturedQuad(image, x, y, srcRect, color, drawMode, true);
    } else if (clipped.mWidth > 0 && clipped.mHeight > 0) {
        Matrix3 transform(true);
        transform.Translate(x, y);
        d3d.BltTransformed(image, &clipRect, color, drawMode, srcRect, transform, true, 0.0f, 0.0f);
    }
}

void DDImage::BltTransformed(Image* image, const Rect* clipRect, const Color& color, int drawMode, const Rect& srcRect,
                             const Matrix3& transform, bool linearFilter, float x, float y, bool /*center*/)
{
    if (!image)
        return;
    image->mDrawn = true;
    if (Uses3D()) {
        mDDInterface->mD3DInterface->BltTransformed(image, clipRect, color, drawMode, srcRect, transform, linearFilter,
                                                    x, y);
        return;
    }
    Raster::TriTexture texture;
    if (!TextureOf(image, texture) || srcRect.mWidth <= 0 || srcRect.mHeight <= 0)
        return;
    // The corners of the source rectangle through the matrix, moved by (x - 0.5, y - 0.5), as one strip.
    const float w = static_cast<float>(srcRect.mWidth);
    const float h = static_cast<float>(srcRect.mHeight);
    const float corners[4][2] = {{0, 0}, {w, 0}, {0, h}, {w, h}};
    const float left = static_cast<float>(srcRect.mX) / static_cast<float>(texture.width);
    const float top = static_cast<float>(srcRect.mY) / static_cast<float>(texture.height);
    const float right = static_cast<float>(srcRect.mX + srcRect.mWidth) / static_cast<float>(texture.width);
    const float bottom = static_cast<float>(srcRect.mY + srcRect.mHeight) / static_cast<float>(texture.height);
    const float uv[4][2] = {{left, top}, {right, top}, {left, bottom}, {right, bottom}};
    Raster::TriVertex vertices[4];
    for (int i = 0; i < 4; ++i) {
        const Vector2 p = transform * Vector2(corners[i][0], corners[i][1]);
        vertices[i] = {p.x + x - 0.5f, p.y + y - 0.5f, uv[i][0], uv[i][1], 0xFFFFFFFF};
    }
    DrawTrianglesIntoSurface(vertices, 4, &texture, clipRect, color, drawMode, linearFilter, false);
}

void DDImage::BltTexturedTriangles(Image* image, const TriVertex (*vertices)[3], int numTriangles, const Rect& clipRect,
                                   const Color& color, int drawMode, float tx, float ty, bool blend)
{
    if (!image)
        return;
    image->mDrawn = true;
    if (Uses3D()) {
        mDDInterface->mD3DInterface->DrawTrianglesTex(image, vertices, numTriangles, color, drawMode, tx, ty, blend);
        return;
    }
    if (!vertices || numTriangles < 1)
        return;
    Raster::TriTexture texture;
    const bool textured = TextureOf(image, texture);
    for (int i = 0; i < numTriangles; ++i) {
        Raster::TriVertex triangle[3];
        bool vertexColours = false;
        for (int k = 0; k < 3; ++k) {
            const TriVertex& v = vertices[i][k];
            triangle[k] = {v.x + tx, v.y + ty, v.u, v.v, v.color};
            vertexColours = vertexColours || v.color != 0;
        }
        DrawTrianglesIntoSurface(triangle, 3, textured ? &texture : nullptr, &clipRect, color, drawMode, blend,
                                 vertexColours);
    }
}

bool DDImage::DrawImageQuad(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                            const Color& color, int drawMode, bool mirror)
{
    Raster::PixelFormat format = Raster::PixelFormat::Rgb888;
    Raster::TriTexture texture;
    if (!GetSurface() || !ExactRasterFormatOf(mSurface->Format(), format) || !TextureOf(image, texture))
        return false;
    Rect from = srcRect;
    Rect to = destRect;
    const bool unscaled = srcRect.mWidth == destRect.mWidth && srcRect.mHeight == destRect.mHeight;
    const Rect inside = srcRect.Intersection(Rect(0, 0, texture.width, texture.height));
    if (!(inside == srcRect)) {
        // Only the image's own texels are drawn; a stretch past them is left to the caller's loops.
        if (!unscaled)
            return false;
        if (inside.mWidth <= 0 || inside.mHeight <= 0)
            return true;
        const int cutLeft = inside.mX - srcRect.mX;
        const int cutRight = srcRect.mX + srcRect.mWidth - (inside.mX + inside.mWidth);
        to = Rect(destRect.mX + (mirror ? cutRight : cutLeft), destRect.mY + inside.mY - srcRect.mY, inside.mWidth,
                  inside.mHeight);
        from = inside;
    }
    if (from.mWidth <= 0 || from.mHeight <= 0 || to.mWidth <= 0 || to.mHeight <= 0)
        return true;
    // Corners half a pixel up and left of the destination's: texel centres fall on pixel centres.
    const float left = static_cast<float>(to.mX) - 0.5f;
    const float top = static_cast<float>(to.mY) - 0.5f;
    const float right = left + static_cast<float>(to.mWidth);
    const float bottom = top + static_cast<float>(to.mHeight);
    float u0 = static_cast<float>(from.mX) / static_cast<float>(texture.width);
    float u1 = static_cast<float>(from.mX + from.mWidth) / static_cast<float>(texture.width);
    if (mirror)
        std::swap(u0, u1);
    const float v0 = static_cast<float>(from.mY) / static_cast<float>(texture.height);
    const float v1 = static_cast<float>(from.mY + from.mHeight) / static_cast<float>(texture.height);
    const Raster::TriVertex quad[4] = {{left, top, u0, v0, 0xFFFFFFFF},
                                       {right, top, u1, v0, 0xFFFFFFFF},
                                       {left, bottom, u0, v1, 0xFFFFFFFF},
                                       {right, bottom, u1, v1, 0xFFFFFFFF}};
    DrawTrianglesIntoSurface(quad, 4, &texture, &clipRect, color, drawMode, false, false);
    return true;
}

void DDImage::DrawTrianglesIntoSurface(const Raster::TriVertex* vertices, int count, const Raster::TriTexture* texture,
                                       const Rect* clipRect, const Color& color, int drawMode, bool filter,
                                       bool vertexColours)
{
    if (!GetSurface() || !LockSurface())
        return;
    Raster::PixelFormat format = Raster::PixelFormat::Rgb888;
    if (mLockDesc.surface && RasterFormatOf(mLockDesc.pixelFormat, format)) {
        Raster::TriDestination destination;
        destination.bits = mLockDesc.surface;
        destination.width = mLockDesc.width;
        destination.height = mLockDesc.height;
        destination.pitch = mLockDesc.pitch;
        destination.format = format;
        const Raster::TriClipRect clip =
            clipRect ? Raster::TriClipRect{clipRect->mX, clipRect->mY, clipRect->mWidth, clipRect->mHeight}
                     : Raster::TriClipRect{0, 0, mLockDesc.width, mLockDesc.height};
        Raster::SoftwareDrawTriangleStrip(vertices, count, texture, color.ToInt(),
                                          static_cast<Raster::DrawMode>(drawMode), clip, destination, filter,
                                          vertexColours);
    }
    UnlockSurface();
    FreeNonSurfaceData();
}

} // namespace Pyxo
