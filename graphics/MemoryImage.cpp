#include "graphics/MemoryImage.h"

#include "graphics/D3DInterface.h"
#include "graphics/DDInterface.h"
#include "graphics/MemoryImageGeometry.h"
#include "graphics/NativeDisplay.h"
#include "shell/PyxoAppBase.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <optional>
#include <utility>
#include <vector>

namespace Pyxo {

namespace {

constexpr int kPaletteSize = 256;

template <typename T>
std::unique_ptr<T[]> Allocate(size_t count)
{
    // A size from a damaged file must not end the program: the caller sees null and reports it.
    return std::unique_ptr<T[]>(new (std::nothrow) T[count]);
}

template <typename T>
std::unique_ptr<T[]> CopyOf(const std::unique_ptr<T[]>& source, size_t count)
{
    if (!source) {
        return nullptr;
    }
    std::unique_ptr<T[]> copy = Allocate<T>(count);
    if (copy) {
        std::copy(source.get(), source.get() + count, copy.get());
    }
    return copy;
}

// One 8-bit channel premultiplied by alpha and placed in the display's format. Unsigned throughout, so that a
// mask reaching bit 31 never shifts into the sign.
uint32_t PackChannel(uint32_t value, uint32_t alpha, int bits, int shift, uint32_t mask)
{
    uint32_t premultiplied = (value * (alpha + 1)) >> 8;
    if (bits >= 0 && bits <= 8) {
        premultiplied >>= unsigned(8 - bits);
    } else if (bits > 8 && bits < 32) {
        premultiplied <<= unsigned(bits - 8);
    }
    if (shift < 0 || shift >= 32) {
        return 0;
    }
    return (premultiplied << unsigned(shift)) & mask;
}

// The inverse of PackChannel: back to an 8-bit value.
uint32_t UnpackChannel(uint32_t native, uint32_t alpha, int bits, int shift, uint32_t mask)
{
    const int down = shift + bits;
    if (down <= 0 || down > 40) {
        return 0;
    }
    const uint32_t unpremultiplied = (((native & mask) << 8) / (alpha + 1)) & mask;
    return uint32_t((uint64_t(unpremultiplied) << 8) >> unsigned(down)) & 0xFF;
}

// Run-length bytes of one row: each byte tells how many pixels from it onward (at most 255) share its class.
template <typename ClassOf>
void EncodeRuns(uint8_t* out, int width, int height, ClassOf classOf)
{
    for (int y = 0; y < height; ++y) {
        uint8_t* row = out + size_t(y) * size_t(width);
        int remaining = 0;
        int nextClass = -1;
        for (int x = width - 1; x >= 0; --x) {
            const int pixelClass = classOf(size_t(y) * size_t(width) + size_t(x));
            remaining = pixelClass == nextClass ? remaining + 1 : 1;
            nextClass = pixelClass;
            row[x] = uint8_t(std::min(remaining, 255));
        }
    }
}

NativeDisplay* DisplayOf(PyxoAppBase* app)
{
    return app != nullptr ? app->mDisplay.get() : nullptr;
}

} // namespace

uint32_t ToNativeColor(uint32_t argb, const NativeDisplay& display)
{
    const uint32_t alpha = argb >> 24;
    return (alpha << 24) |
           PackChannel((argb >> 16) & 0xFF, alpha, display.mRedBits, display.mRedShift, display.mRedMask) |
           PackChannel((argb >> 8) & 0xFF, alpha, display.mGreenBits, display.mGreenShift, display.mGreenMask) |
           PackChannel(argb & 0xFF, alpha, display.mBlueBits, display.mBlueShift, display.mBlueMask);
}

uint32_t FromNativeColor(uint32_t native, const NativeDisplay& display)
{
    const uint32_t alpha = native >> 24;
    return (alpha << 24) | (UnpackChannel(native, alpha, display.mRedBits, display.mRedShift, display.mRedMask) << 16) |
           (UnpackChannel(native, alpha, display.mGreenBits, display.mGreenShift, display.mGreenMask) << 8) |
           UnpackChannel(native, alpha, display.mBlueBits, display.mBlueShift, display.mBlueMask);
}

MemoryImage::MemoryImage() : MemoryImage(gPyxoAppBase) {}

MemoryImage::MemoryImage(PyxoAppBase* app) : mApp(app)
{
    if (mApp != nullptr) {
        mApp->AddMemoryImage(this);
    }
}

MemoryImage::MemoryImage(const MemoryImage& other)
    : Image(other), mBitsChangedCount(other.mBitsChangedCount), mD3DFlags(other.mD3DFlags), mHasTrans(other.mHasTrans),
      mHasAlpha(other.mHasAlpha), mIsVolatile(other.mIsVolatile), mPurgeBits(other.mPurgeBits),
      mWantPal(other.mWantPal), mBitsChanged(other.mBitsChanged), mApp(other.mApp)
{
    const size_t pixels = PixelCount();
    auto& source = const_cast<MemoryImage&>(other);
    // A source whose pixels live only in derived stores lends its bits for the copy.
    const bool madeSourceBits = !source.mBits && !source.mColorTable;
    if (madeSourceBits) {
        source.GetBits();
    }
    if (source.mBits) {
        mBits = CopyOf(source.mBits, pixels + 1);
    }
    mColorTable = CopyOf(source.mColorTable, kPaletteSize);
    mColorIndices = CopyOf(source.mColorIndices, pixels);
    mNativeAlphaData = CopyOf(source.mNativeAlphaData, source.mColorTable ? size_t(kPaletteSize) : pixels);
    mRLAlphaData = CopyOf(source.mRLAlphaData, pixels);
    mRLAdditiveData = CopyOf(source.mRLAdditiveData, pixels);
    if (madeSourceBits) {
        source.mBits.reset();
    }
    if (mApp != nullptr) {
        mApp->AddMemoryImage(this);
    }
}

MemoryImage::~MemoryImage()
{
    if (mApp != nullptr) {
        mApp->RemoveMemoryImage(this);
    }
}

size_t MemoryImage::PixelCount() const
{
    if (mWidth <= 0 || mHeight <= 0) {
        return 0;
    }
    return size_t(mWidth) * size_t(mHeight);
}

uint32_t* MemoryImage::GetNativeAlphaData(NativeDisplay* display)
{
    if (mNativeAlphaData) {
        return mNativeAlphaData.get();
    }
    if (display == nullptr) {
        return nullptr;
    }
    CommitBits();
    if (mColorTable) {
        mNativeAlphaData = Allocate<uint32_t>(kPaletteSize);
        if (mNativeAlphaData) {
            for (int i = 0; i < kPaletteSize; ++i) {
                mNativeAlphaData[size_t(i)] = ToNativeColor(mColorTable[size_t(i)], *display);
            }
        }
        return mNativeAlphaData.get();
    }
    const uint32_t* bits = GetBits();
    if (bits == nullptr) {
        return nullptr;
    }
    const size_t pixels = PixelCount();
    mNativeAlphaData = Allocate<uint32_t>(pixels);
    if (mNativeAlphaData) {
        for (size_t i = 0; i < pixels; ++i) {
            mNativeAlphaData[i] = ToNativeColor(bits[i], *display);
        }
    }
    return mNativeAlphaData.get();
}

uint8_t* MemoryImage::GetRLAlphaData()
{
    if (mRLAlphaData) {
        return mRLAlphaData.get();
    }
    CommitBits();
    const size_t pixels = PixelCount();
    // Palettised native data is a palette, not one entry per pixel: the indices come first.
    const uint32_t* palette = mColorIndices ? mColorTable.get() : nullptr;
    const uint8_t* indices = mColorIndices.get();
    const uint32_t* pixelsArgb = nullptr;
    if (palette == nullptr) {
        pixelsArgb = mNativeAlphaData ? mNativeAlphaData.get() : GetBits();
        if (pixelsArgb == nullptr) {
            return nullptr;
        }
    }
    mRLAlphaData = Allocate<uint8_t>(pixels);
    if (!mRLAlphaData) {
        return nullptr;
    }
    EncodeRuns(mRLAlphaData.get(), mWidth, mHeight, [&](size_t i) {
        const uint32_t alpha = (palette != nullptr ? palette[indices[i]] : pixelsArgb[i]) >> 24;
        return alpha == 0 ? 0 : alpha == 255 ? 1 : 2;
    });
    return mRLAlphaData.get();
}

uint8_t* MemoryImage::GetRLAdditiveData(NativeDisplay* display)
{
    if (mRLAdditiveData) {
        return mRLAdditiveData.get();
    }
    const uint32_t* native = GetNativeAlphaData(display);
    if (native == nullptr) {
        return nullptr;
    }
    const uint8_t* indices = mColorTable ? mColorIndices.get() : nullptr;
    if (mColorTable && indices == nullptr) {
        return nullptr;
    }
    mRLAdditiveData = Allocate<uint8_t>(PixelCount());
    if (!mRLAdditiveData) {
        return nullptr;
    }
    EncodeRuns(mRLAdditiveData.get(), mWidth, mHeight, [&](size_t i) {
        const uint32_t value = indices != nullptr ? native[indices[i]] : native[i];
        return (value & 0xFFFFFF) == 0 ? 0 : 1;
    });
    return mRLAdditiveData.get();
}

void MemoryImage::PurgeBits()
{
    mPurgeBits = true;
    const bool accelerated = mApp != nullptr && mApp->Is3DAccelerated();
    if (!accelerated) {
        if (!mBits && !mColorIndices) {
            return;
        }
        // The native data is what the bits are rebuilt from; without it the pixels would be lost.
        if (GetNativeAlphaData(DisplayOf(mApp)) == nullptr) {
            return;
        }
    } else if (!D3DInterface::TexturesHoldBits(*this)) {
        // Only A8R8G8B8 textures made from the current bits give them back unchanged.
        return;
    }
    mBits.reset();
    if (mD3DData != nullptr) {
        mColorIndices.reset();
        mColorTable.reset();
    }
}

void MemoryImage::DeleteSWBuffers()
{
    if (!mBits && !mColorIndices) {
        GetBits();
    }
    mNativeAlphaData.reset();
    mRLAdditiveData.reset();
    mRLAlphaData.reset();
}

void MemoryImage::Delete3DBuffers()
{
    if (mApp != nullptr) {
        mApp->RemoveImageTextures(this);
    }
}

void MemoryImage::DeleteExtraBuffers()
{
    DeleteSWBuffers();
    Delete3DBuffers();
}

void MemoryImage::ReInit()
{
    if (mWantPal) {
        Palletize();
    }
    if (mPurgeBits) {
        PurgeBits();
    }
}

void MemoryImage::BitsChanged()
{
    ++mBitsChangedCount;
    mBitsChanged = true;
    mNativeAlphaData.reset();
    mRLAlphaData.reset();
    mRLAdditiveData.reset();
}

void MemoryImage::CommitBits()
{
    if (!mBitsChanged || mForcedMode) {
        return;
    }
    const uint32_t* colors = nullptr;
    size_t count = 0;
    if (mBits) {
        colors = mBits.get();
        count = PixelCount();
    } else if (mColorTable) {
        colors = mColorTable.get();
        count = kPaletteSize;
    }
    if (colors != nullptr) {
        bool hasTrans = false;
        bool hasAlpha = false;
        for (size_t i = 0; i < count && !(hasTrans && hasAlpha); ++i) {
            const uint32_t alpha = colors[i] >> 24;
            hasTrans |= alpha == 0;
            hasAlpha |= alpha != 0 && alpha != 255;
        }
        mHasTrans = hasTrans;
        mHasAlpha = hasAlpha;
    } else {
        mHasTrans = true;
        mHasAlpha = false;
    }
    mBitsChanged = false;
}

void MemoryImage::DeleteNativeData()
{
    if (!mBits && !mColorIndices) {
        GetBits();
    }
    mNativeAlphaData.reset();
    mRLAdditiveData.reset();
}

void MemoryImage::Clear()
{
    uint32_t* bits = GetBits();
    if (bits != nullptr) {
        std::fill(bits, bits + PixelCount(), 0u);
    }
    BitsChanged();
}

void MemoryImage::SetBits(const uint32_t* bits, int width, int height, bool commitBits)
{
    if (bits == mBits.get() && bits != nullptr) {
        return;
    }
    if (bits == nullptr || width < 0 || height < 0) {
        return;
    }
    const size_t pixels = size_t(width) * size_t(height);
    // A purged image has no bits even at the same size: they are allocated again.
    if (width != mWidth || height != mHeight || !mBits) {
        std::unique_ptr<uint32_t[]> fresh = Allocate<uint32_t>(pixels + 1);
        if (!fresh) {
            return;
        }
        mBits = std::move(fresh);
        mWidth = width;
        mHeight = height;
    }
    mColorIndices.reset();
    mColorTable.reset();
    std::copy(bits, bits + pixels, mBits.get());
    mBits[pixels] = kGuardWord;
    BitsChanged();
    if (commitBits) {
        CommitBits();
    }
}

void MemoryImage::Create(int width, int height)
{
    mBits.reset();
    // The indices belong to the old size; reading them at the new one would run past their end.
    mColorIndices.reset();
    mColorTable.reset();
    mWidth = width;
    mHeight = height;
    mHasTrans = true;
    mHasAlpha = true;
    BitsChanged();
}

uint32_t* MemoryImage::GetBits()
{
    if (mBits) {
        return mBits.get();
    }
    if (mWidth < 0 || mHeight < 0) {
        return nullptr;
    }
    const size_t pixels = PixelCount();
    mBits = Allocate<uint32_t>(pixels + 1);
    if (!mBits) {
        return nullptr;
    }
    uint32_t* bits = mBits.get();
    bits[pixels] = kGuardWord;
    const NativeDisplay* display = DisplayOf(mApp);
    if (mColorTable && mColorIndices) {
        for (size_t i = 0; i < pixels; ++i) {
            bits[i] = mColorTable[mColorIndices[i]];
        }
        mColorIndices.reset();
        mColorTable.reset();
        mNativeAlphaData.reset();
    } else if (mNativeAlphaData && display != nullptr) {
        for (size_t i = 0; i < pixels; ++i) {
            bits[i] = FromNativeColor(mNativeAlphaData[i], *display);
        }
    } else {
        std::fill(bits, bits + pixels, 0u);
        if (mD3DData != nullptr && mApp != nullptr && mApp->mDisplay && mApp->mDisplay->mD3DInterface) {
            // A lost texture reads back as transparent black.
            if (!mApp->mDisplay->mD3DInterface->ReadTextureBits(this)) {
                std::fill(bits, bits + pixels, 0u);
            }
        }
    }
    return bits;
}

void MemoryImage::SetImageMode(bool hasTrans, bool hasAlpha)
{
    mForcedMode = true;
    mHasTrans = hasTrans;
    mHasAlpha = hasAlpha;
}

void MemoryImage::SetVolatile(bool isVolatile)
{
    mIsVolatile = isVolatile;
}

bool MemoryImage::Palletize()
{
    CommitBits();
    if (mColorTable) {
        return true;
    }
    const size_t pixels = PixelCount();
    if (pixels == 0) {
        return false; // nothing to quantise, and no first pixel to start the palette with
    }
    const uint32_t* bits = GetBits();
    if (bits == nullptr) {
        return false;
    }
    std::unique_ptr<uint8_t[]> indices = Allocate<uint8_t>(pixels);
    std::unique_ptr<uint32_t[]> palette = Allocate<uint32_t>(kPaletteSize);
    if (!indices || !palette) {
        mWantPal = false;
        return false;
    }
    std::fill(palette.get(), palette.get() + kPaletteSize, 0u);

    // The colours found so far, sorted by value, each with its palette index.
    std::vector<std::pair<uint32_t, uint8_t>> found;
    found.reserve(kPaletteSize);
    palette[0] = bits[0];
    found.emplace_back(bits[0], uint8_t(0));
    int used = 1;
    for (size_t i = 0; i < pixels; ++i) {
        const uint32_t color = bits[i];
        auto at = std::lower_bound(
            found.begin(), found.end(), color,
            [](const std::pair<uint32_t, uint8_t>& entry, uint32_t value) { return entry.first < value; });
        if (at != found.end() && at->first == color) {
            indices[i] = at->second;
            continue;
        }
        if (used == kPaletteSize) {
            mWantPal = false; // more colours than a palette holds: the bits stay as they are
            return false;
        }
        palette[size_t(used)] = color;
        found.insert(at, {color, uint8_t(used)});
        indices[i] = uint8_t(used);
        ++used;
    }
    mColorIndices = std::move(indices);
    mColorTable = std::move(palette);
    mBits.reset();
    mNativeAlphaData.reset();
    mWantPal = true;
    return true;
}

void MemoryImage::StretchBltMirrored(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                                     const Color& color, int drawMode, bool /*fastStretch*/)
{
    if (image == nullptr)
        return;
    image->mDrawn = true;
    auto* source = dynamic_cast<MemoryImage*>(image);
    if (source == nullptr || source->GetWidth() <= 0 || source->GetHeight() <= 0)
        return;
    const std::optional<StretchClip> cut =
        ClipStretchBlt(destRect, srcRect, ClipRectWide(clipRect, Rect(0, 0, mWidth, mHeight)), true);
    if (!cut)
        return;
    source->CommitBits();
    const uint32_t* pixels = source->GetBits();
    if (pixels == nullptr)
        return;

    // Each destination pixel takes the source texel under its centre, as the surfaces' stretch does, into an image
    // of the destination's size, which the plain blit then draws with the colour and the mode.
    const Rect& to = cut->dest;
    MemoryImage samples(mApp);
    samples.Create(to.mWidth, to.mHeight);
    uint32_t* out = samples.GetBits();
    if (out == nullptr)
        return;
    // Sample positions come from the whole rectangles, exactly: the centre of destination pixel j lies at
    // (2j + 1) / 2 x srcSize / destSize, counted from the source's right edge across, as it is mirrored. A centre
    // that falls on a texel edge takes the texel of the pixels before it.
    const int width = source->GetWidth();
    const int height = source->GetHeight();
    const int64_t srcW = srcRect.mWidth;
    const int64_t srcH = srcRect.mHeight;
    const int64_t destW = destRect.mWidth;
    const int64_t destH = destRect.mHeight;
    for (int j = 0; j < to.mHeight; ++j) {
        const int64_t y = to.mY + j - destRect.mY;
        const int64_t row =
            std::clamp<int64_t>(srcRect.mY + ((2 * y + 1) * srcH + 2 * destH - 1) / (2 * destH) - 1, 0, height - 1);
        uint32_t* line = out + size_t(j) * size_t(to.mWidth);
        for (int i = 0; i < to.mWidth; ++i) {
            const int64_t x = to.mX + i - destRect.mX;
            const int64_t fromRight = ((2 * x + 1) * srcW + 2 * destW - 1) / (2 * destW);
            const int64_t column = std::clamp<int64_t>(srcRect.mX + srcW - fromRight, 0, width - 1);
            line[i] = pixels[size_t(row) * size_t(width) + size_t(column)];
        }
    }
    samples.BitsChanged();
    samples.CommitBits();
    Blt(&samples, to.mX, to.mY, Rect(0, 0, to.mWidth, to.mHeight), color, drawMode);
}

} // namespace Pyxo
