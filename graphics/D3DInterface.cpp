#include "graphics/D3DInterface.h"

#include "graphics/DDInterface.h"
#include "graphics/DirectXErrors.h"
#include "graphics/MemoryImage.h"
#include "graphics/TextureData.h"
#include "platform/direct3d/Direct3D.h"
#include "platform/direct3d/Direct3DDevice.h"
#include "platform/directdraw/DirectDraw.h"
#include "platform/directdraw/DirectDrawSurface.h"
#include "platform/window/WindowSystem.h"
#include "shell/PyxoAppBase.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace Pyxo {

int D3DInterface::sMinTextureWidth = 64;
int D3DInterface::sMinTextureHeight = 64;
int D3DInterface::sMaxTextureWidth = 64;
int D3DInterface::sMaxTextureHeight = 64;
int D3DInterface::sMaxTextureAspectRatio = 1;
uint32_t D3DInterface::sSupportedTextureFormats = 0;
bool D3DInterface::sLinearFilter = false;
bool D3DInterface::sRenderTargetFailed = false;
std::string D3DInterface::sErrorString;

namespace {

using Platform::HResult;

constexpr int kSubdivisionTableSize = 1024;
constexpr int kMaxTextureSide = 1024;
constexpr int kNoAspectLimit = 65536;
// Device limits beyond any surface the stand-in makes are cut here, so that they convert to int safely.
constexpr uint32_t kLargestLimit = 1u << 16;

bool IsPowerOfTwo(int value)
{
    return value > 0 && (value & (value - 1)) == 0;
}

int NextPowerOfTwo(int value)
{
    int power = 1;
    while (power < value && power < (1 << 30))
        power *= 2;
    return power;
}

const std::array<int, kSubdivisionTableSize>& SubdivisionTable()
{
    static const std::array<int, kSubdivisionTableSize> table = [] {
        std::array<int, kSubdivisionTableSize> entries{};
        for (int v = 0; v < kSubdivisionTableSize; ++v) {
            int power = 1;
            while (v > power)
                power *= 2;
            int entry = power;
            if (power - v > 64) {
                entry = power / 2;
                while (v % entry >= 64 && !IsPowerOfTwo(v % entry))
                    entry /= 2;
            }
            entries[static_cast<size_t>(v)] = entry;
        }
        return entries;
    }();
    return table;
}

/// The device formats of the texture format bits.
Platform::PixelFormat DeviceFormatOf(int format)
{
    switch (format) {
    case kTextureFormatA4R4G4B4:
        return Platform::kFormat4444;
    case kTextureFormatR5G6B5:
        return Platform::kFormat565;
    case kTextureFormatPalettized:
        return Platform::PixelFormat{Platform::DDPF_RGB | Platform::DDPF_PALETTEINDEXED8, 8, 0, 0, 0, 0};
    default:
        return Platform::kFormat8888;
    }
}

int BytesPerTexel(int format)
{
    switch (format) {
    case kTextureFormatPalettized:
        return 1;
    case kTextureFormatA4R4G4B4:
    case kTextureFormatR5G6B5:
        return 2;
    default:
        return 4;
    }
}

uint32_t ToTexel(uint32_t c, int format)
{
    switch (format) {
    case kTextureFormatA4R4G4B4:
        return ((c >> 16) & 0xF000) | ((c >> 12) & 0x0F00) | ((c >> 8) & 0x00F0) | ((c >> 4) & 0x000F);
    case kTextureFormatR5G6B5:
        return ((c >> 8) & 0xF800) | ((c >> 5) & 0x07E0) | ((c >> 3) & 0x001F);
    default:
        return c;
    }
}

uint32_t FromTexel(uint32_t t, int format)
{
    switch (format) {
    case kTextureFormatA4R4G4B4:
        // The alpha nibble is not read back.
        return 0xFF000000 | ((t & 0x0F00) << 12) | ((t & 0x00F0) << 8) | ((t & 0x000F) << 4);
    case kTextureFormatR5G6B5:
        return 0xFF000000 | ((t & 0xF800) << 8) | ((t & 0x07E0) << 5) | ((t & 0x001F) << 3);
    default:
        return t;
    }
}

uint32_t LoadTexel(const uint8_t* at, int bytes)
{
    if (bytes == 2) {
        uint16_t value = 0;
        std::memcpy(&value, at, 2);
        return value;
    }
    uint32_t value = 0;
    std::memcpy(&value, at, 4);
    return value;
}

void StoreTexel(uint8_t* at, int bytes, uint32_t value)
{
    if (bytes == 2) {
        const auto narrow = static_cast<uint16_t>(value);
        std::memcpy(at, &narrow, 2);
    } else {
        std::memcpy(at, &value, 4);
    }
}

HResult CollectTextureFormat(Platform::PixelFormat* format, void* context)
{
    if (format != nullptr)
        *static_cast<uint32_t*>(context) |= static_cast<uint32_t>(D3DInterface::ClassifyTextureFormat(*format));
    return Platform::D3DENUMRET_OK;
}

int ClampLimit(uint32_t value, int low)
{
    return std::max(static_cast<int>(std::min(value, kLargestLimit)), low);
}

/// The ARGB pixels of an image, from its bits or its palette and colour indices.
struct ImagePixels {
    const uint32_t* bits = nullptr;
    const uint32_t* palette = nullptr;
    const uint8_t* indices = nullptr;
    int width = 0;

    [[nodiscard]] uint32_t At(int x, int y) const
    {
        const size_t i = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
        return bits != nullptr ? bits[i] : palette[indices[i]];
    }
};

/// Fills a piece from the image: the part of the image it holds, then its last texel and row over the rest of
/// the piece.
void FillPiece(D3DInterface& d3d, const TextureData& data, const TexturePiece& piece, int column, int row,
               const ImagePixels& pixels)
{
    Platform::SurfaceDesc desc;
    if (d3d.CheckResult(piece.mTexture->Lock(nullptr, &desc, Platform::DDLOCK_WAIT | Platform::DDLOCK_WRITEONLY),
                        "Lock Texture"))
        return;
    const int format = data.mPixelFormat;
    const int bytes = BytesPerTexel(format);
    const int x = column * data.mTexPieceWidth;
    const int y = row * data.mTexPieceHeight;
    const int copiedWidth = std::min(piece.mWidth, data.mWidth - x);
    const int copiedHeight = std::min(piece.mHeight, data.mHeight - y);
    if (copiedWidth >= 1 && copiedHeight >= 1) {
        for (int j = 0; j < copiedHeight; ++j) {
            uint8_t* texel = desc.surface + static_cast<ptrdiff_t>(j) * desc.pitch;
            for (int i = 0; i < copiedWidth; ++i, texel += bytes)
                StoreTexel(texel, bytes, ToTexel(pixels.At(x + i, y + j), format));
            // Filtered drawing next to the image's edge finds the edge texel repeated, not undefined texels; and
            // the texture holds no transparency or alpha that the image does not, so that its draws need not
            // weigh alpha.
            for (int i = copiedWidth; i < piece.mWidth; ++i, texel += bytes)
                std::memcpy(texel, texel - bytes, static_cast<size_t>(bytes));
        }
        const uint8_t* last = desc.surface + static_cast<ptrdiff_t>(copiedHeight - 1) * desc.pitch;
        for (int j = copiedHeight; j < piece.mHeight; ++j)
            std::memcpy(desc.surface + static_cast<ptrdiff_t>(j) * desc.pitch, last,
                        static_cast<size_t>(piece.mWidth) * static_cast<size_t>(bytes));
    }
    d3d.CheckResult(piece.mTexture->Unlock(nullptr), "Texture Unlock");
}

/// Holds the display's lock for a scope, when there is a display.
class DisplayLock {
public:
    explicit DisplayLock(DDInterface* display) : mLock(display != nullptr ? &display->mCritSect : nullptr)
    {
        if (mLock != nullptr)
            mLock->Lock();
    }
    ~DisplayLock()
    {
        if (mLock != nullptr)
            mLock->Unlock();
    }
    DisplayLock(const DisplayLock&) = delete;
    DisplayLock& operator=(const DisplayLock&) = delete;

private:
    CritSect* mLock; // borrowed, or null
};

} // namespace

D3DInterface::D3DInterface() = default;

D3DInterface::~D3DInterface()
{
    Cleanup();
}

bool D3DInterface::CheckResult(int32_t result, const std::string& label)
{
    if (result >= 0)
        return false;
    const std::string text = label + ": " + GetDirectXErrorString(result);
    sErrorString = text;
    if (mDisplay != nullptr && mDisplay->mApp != nullptr)
        mDisplay->mApp->RegistryWriteString("Test3D\\RuntimeError", text);
    return true;
}

bool D3DInterface::InitFromDisplay(DDInterface* display)
{
    sErrorString.clear();
    if (display == nullptr)
        return false;
    Cleanup();
    mDisplay = display;
    mDD = display->mDD.Get();
    mHWnd = display->mHWnd;
    mWidth = display->mWidth;
    mHeight = display->mHeight;
    void* surface = nullptr;
    const HResult queried = display->mDrawSurface != nullptr
                                ? display->mDrawSurface->QueryInterface(Platform::IID_IDirectDrawSurface7, &surface)
                                : Platform::DDERR_NOTINITIALIZED;
    if (CheckResult(queried, "Query DrawSurface"))
        return false;
    mDDSDrawSurface =
        Platform::ComRef<Platform::DirectDrawSurface>::Adopt(static_cast<Platform::DirectDrawSurface*>(surface));
    mIsWindowed = display->mIsWindowed;
    // While the device is up every quad is drawn through it, so no surface copy lands between its triangles.
    mTransformedDraw = InitDevice();
    return mTransformedDraw;
}

bool D3DInterface::InitDevice()
{
    void* direct3D = nullptr;
    const HResult queried =
        mDD != nullptr ? mDD->QueryInterface(Platform::IID_IDirect3D7, &direct3D) : Platform::DDERR_NOTINITIALIZED;
    if (CheckResult(queried, "QueryInterface IID_IDirect3D7"))
        return false;
    mD3D = Platform::ComRef<Platform::Direct3D>::Adopt(static_cast<Platform::Direct3D*>(direct3D));
    if (CheckResult(mD3D->CreateDevice(Platform::IID_IDirect3DHALDevice, mDDSDrawSurface.Get(), mD3DDevice.Put()),
                    "CreateDevice IID_IDirect3DHALDevice"))
        return false;
    Platform::DeviceDesc7 desc;
    if (CheckResult(mD3DDevice->GetCaps(&desc), ""))
        return false;

    if (desc.maxTextureWidth == 0) {
        sMinTextureWidth = sMinTextureHeight = sMaxTextureWidth = sMaxTextureHeight = 64;
        sMaxTextureAspectRatio = 1;
    } else {
        sMaxTextureWidth = std::min(ClampLimit(desc.maxTextureWidth, 0), kMaxTextureSide);
        sMaxTextureHeight = std::min(ClampLimit(desc.maxTextureHeight, 0), kMaxTextureSide);
        sMinTextureWidth = ClampLimit(desc.minTextureWidth, 1);
        sMinTextureHeight = ClampLimit(desc.minTextureHeight, 1);
        sMaxTextureAspectRatio =
            desc.maxTextureAspectRatio == 0 ? kNoAspectLimit : ClampLimit(desc.maxTextureAspectRatio, 1);
    }
    sLinearFilter = false;

    uint32_t formats = 0;
    mD3DDevice->EnumTextureFormats(&CollectTextureFormat, &formats);
    // Palettised textures need a palette object, which the display's DirectDraw does not offer: they are never
    // chosen, whatever the device reports.
    formats &= ~static_cast<uint32_t>(kTextureFormatPalettized);
    sSupportedTextureFormats = formats;

    // A window without a client area (one not on screen) leaves the device's own viewport: all of its target.
    const Platform::WindowRect client = Platform::GetClientRect(mHWnd);
    mViewport = Rect(0, 0, client.Width(), client.Height());
    Platform::Viewport7 viewport;
    viewport.width = static_cast<uint32_t>(std::max(client.Width(), 0));
    viewport.height = static_cast<uint32_t>(std::max(client.Height(), 0));
    mD3DDevice->SetViewport(&viewport);
    mD3DDevice->Clear(0, nullptr, Platform::D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    return true;
}

bool D3DInterface::Setup()
{
    if (mDisplay != nullptr && mDisplay->mApp != nullptr && mDisplay->mApp->mMinimized)
        return false;
    if (mSceneBegun)
        return true;
    if (mD3DDevice == nullptr)
        return false;
    if (Platform::Failed(mD3DDevice->SetRenderTarget(mDDSDrawSurface.Get(), 0))) {
        sRenderTargetFailed = true;
        return false;
    }
    sRenderTargetFailed = false;
    mD3DDevice->BeginScene();
    mD3DDevice->SetRenderState(Platform::D3DRENDERSTATE_ALPHABLENDENABLE, 1);
    mD3DDevice->SetRenderState(Platform::D3DRENDERSTATE_SRCBLEND, Platform::D3DBLEND_SRCALPHA);
    mD3DDevice->SetRenderState(Platform::D3DRENDERSTATE_DESTBLEND, Platform::D3DBLEND_INVSRCALPHA);
    mD3DDevice->SetRenderState(Platform::D3DRENDERSTATE_LIGHTING, 0);
    mD3DDevice->SetTextureStageState(0, Platform::D3DTSS_MINFILTER, Platform::D3DTFN_POINT);
    mD3DDevice->SetTextureStageState(0, Platform::D3DTSS_MAGFILTER, Platform::D3DTFG_POINT);
    mD3DDevice->SetTextureStageState(0, Platform::D3DTSS_MIPFILTER, Platform::D3DTFP_NONE);
    mD3DDevice->SetTextureStageState(0, Platform::D3DTSS_ALPHAOP, Platform::D3DTOP_MODULATE);
    mD3DDevice->SetTextureStageState(0, Platform::D3DTSS_ADDRESSU, Platform::D3DTADDRESS_CLAMP);
    mD3DDevice->SetTextureStageState(0, Platform::D3DTSS_ADDRESSV, Platform::D3DTADDRESS_CLAMP);
    mD3DDevice->SetRenderState(Platform::D3DRENDERSTATE_DITHERENABLE, 0);
    mD3DDevice->SetRenderState(Platform::D3DRENDERSTATE_SPECULARENABLE, 0);
    mD3DDevice->SetRenderState(Platform::D3DRENDERSTATE_ZWRITEENABLE, 0);
    mD3DDevice->SetRenderState(Platform::D3DRENDERSTATE_ZENABLE, 0);
    mD3DDevice->SetRenderState(Platform::D3DRENDERSTATE_CULLMODE, Platform::D3DCULL_NONE);
    mSceneBegun = true;
    sLinearFilter = false;
    return true;
}

void D3DInterface::Flush()
{
    if (!mSceneBegun)
        return;
    if (mD3DDevice != nullptr)
        mD3DDevice->EndScene();
    mSceneBegun = false;
    sErrorString.clear();
}

void D3DInterface::Cleanup()
{
    DisplayLock lock(mDisplay);
    Flush();
    mTransformedDraw = false;
    // A purged image keeps its pixels only in its textures: they come back into its memory bits before the
    // textures go, so that a restart of the display (or a switch to 2-D) finds them.
    for (MemoryImage* image : mImageSet) {
        if (image->mBits || (image->mColorTable && image->mColorIndices) || image->PixelCount() == 0)
            continue;
        const bool readsThroughUs =
            image->mApp != nullptr && image->mApp->mDisplay && image->mApp->mDisplay->mD3DInterface.get() == this;
        if (image->GetBits() != nullptr && !readsThroughUs)
            ReadTextureBits(image);
    }
    for (MemoryImage* image : mImageSet) {
        delete image->mD3DData;
        image->mD3DData = nullptr;
    }
    mImageSet.clear();
    mD3DDevice.Reset();
    mD3D.Reset();
    mDDSDrawSurface.Reset();
    mDD = nullptr;
}

int D3DInterface::SubdivisionSize(int v)
{
    return SubdivisionTable()[static_cast<size_t>(std::clamp(v, 0, kSubdivisionTableSize - 1))];
}

void D3DInterface::GetTextureSize(int& width, int& height, bool exact, bool fit, int imageFlags)
{
    if (imageFlags & kD3DImageFlagTile64) {
        width = 64;
        height = 64;
        return;
    }
    if (fit) {
        const bool table = !exact && (imageFlags & kD3DImageFlagPowerOfTwo) == 0;
        const auto fitted = [table](int size, int maximum) {
            if (size >= maximum)
                return maximum;
            return table ? SubdivisionSize(size) : NextPowerOfTwo(size);
        };
        width = fitted(width, sMaxTextureWidth);
        height = fitted(height, sMaxTextureHeight);
    }
    width = std::max(width, sMinTextureWidth);
    height = std::max(height, sMinTextureHeight);
    // Doubling stops once the aspect holds; sizes below 1 would never get there.
    width = std::max(width, 1);
    height = std::max(height, 1);
    const int64_t aspect = std::max(sMaxTextureAspectRatio, 1);
    if (height < width) {
        while (width > aspect * height)
            height *= 2;
    } else if (width < height) {
        while (height > aspect * width)
            width *= 2;
    }
}

int D3DInterface::ClassifyTextureFormat(const Platform::PixelFormat& format)
{
    for (const int bit : {kTextureFormatA8R8G8B8, kTextureFormatA4R4G4B4, kTextureFormatR5G6B5}) {
        if (format == DeviceFormatOf(bit))
            return bit;
    }
    const Platform::PixelFormat palettised = DeviceFormatOf(kTextureFormatPalettized);
    if (format.flags == palettised.flags && format.rgbBitCount == palettised.rgbBitCount)
        return kTextureFormatPalettized;
    return kTextureFormatNone;
}

bool D3DInterface::TexturesHoldBits(const MemoryImage& image)
{
    const TextureData* data = image.mD3DData;
    if (data == nullptr || data->mPixelFormat != kTextureFormatA8R8G8B8 ||
        data->mBitsChangedCount != image.mBitsChangedCount || data->mWidth != image.GetWidth() ||
        data->mHeight != image.GetHeight())
        return false;
    return std::all_of(data->mTextures.begin(), data->mTextures.end(),
                       [](const TexturePiece& piece) { return piece.mTexture != nullptr; });
}

bool D3DInterface::PrepareTexture(MemoryImage* image)
{
    // An image without pixels has no texture to draw from: its drawings draw nothing, as on the 2-D path.
    if (image == nullptr || mDD == nullptr || image->GetWidth() <= 0 || image->GetHeight() <= 0)
        return false;
    TextureData* data = image->mD3DData;
    bool purge = false;
    if (data == nullptr) {
        data = new TextureData();
        image->mD3DData = data;
        purge = image->mPurgeBits;
        DisplayLock lock(mDisplay);
        mImageSet.insert(image);
    }
    const int width = image->GetWidth();
    const int height = image->GetHeight();
    const int flags = image->mD3DFlags;
    if (data->mPixelFormat != kTextureFormatNone && data->mWidth == width && data->mHeight == height &&
        data->mBitsChangedCount == image->mBitsChangedCount && data->mImageFlags == flags)
        return true;

    image->CommitBits();
    int format = kTextureFormatA8R8G8B8;
    if (!image->mHasTrans && !image->mHasAlpha && (sSupportedTextureFormats & kTextureFormatR5G6B5) != 0 &&
        (flags & kD3DImageFlagNo565) == 0)
        format = kTextureFormatR5G6B5;
    if (format == kTextureFormatA8R8G8B8) {
        const bool supports4444 = (sSupportedTextureFormats & kTextureFormatA4R4G4B4) != 0;
        if (((flags & kD3DImageFlagPrefer4444) != 0 && supports4444) ||
            (sSupportedTextureFormats & kTextureFormatA8R8G8B8) == 0)
            format = kTextureFormatA4R4G4B4;
    }

    // The pixels are taken before any texture goes: a purged image reads them back from its textures.
    ImagePixels pixels;
    pixels.width = width;
    if (image->mColorTable && image->mColorIndices) {
        pixels.palette = image->mColorTable.get();
        pixels.indices = image->mColorIndices.get();
    } else {
        pixels.bits = image->GetBits();
    }
    if (pixels.bits == nullptr && pixels.indices == nullptr) {
        data->mPixelFormat = kTextureFormatNone;
        return false;
    }

    if (width != data->mWidth || height != data->mHeight || format != data->mPixelFormat ||
        flags != data->mImageFlags) {
        data->ReleaseTextures();
        data->mPixelFormat = format;
        data->mImageFlags = flags;
        data->CreateTextureDimensions(width, height);
    }

    const int bytes = BytesPerTexel(format);
    bool made = true;
    for (int row = 0; row < data->mTexVecHeight && made; ++row) {
        for (int column = 0; column < data->mTexVecWidth; ++column) {
            TexturePiece& piece = data->mTextures[static_cast<size_t>(row) * static_cast<size_t>(data->mTexVecWidth) +
                                                  static_cast<size_t>(column)];
            if (piece.mTexture == nullptr) {
                if (mD3DDevice != nullptr)
                    CheckResult(mD3DDevice->SetTexture(0, nullptr), "SetTexture NULL");
                Platform::SurfaceDesc desc;
                desc.flags =
                    Platform::DDSD_CAPS | Platform::DDSD_HEIGHT | Platform::DDSD_WIDTH | Platform::DDSD_PIXELFORMAT;
                desc.caps.caps = Platform::DDSCAPS_TEXTURE;
                desc.caps.caps2 = Platform::DDSCAPS2_D3DTEXTUREMANAGE;
                desc.width = piece.mWidth;
                desc.height = piece.mHeight;
                desc.pixelFormat = DeviceFormatOf(format);
                HResult created = Platform::DDERR_NOTINITIALIZED;
                {
                    DisplayLock lock(mDisplay);
                    created = mDD->CreateSurface(desc, piece.mTexture.Put());
                }
                if (Platform::Failed(created) || piece.mTexture == nullptr) {
                    // Not a 3-D error: the drawing that asked draws nothing, and the next request tries again.
                    data->mPixelFormat = kTextureFormatNone;
                    made = false;
                    break;
                }
                data->mTexMemSize += int64_t{piece.mWidth} * piece.mHeight * bytes;
            }
            FillPiece(*this, *data, piece, column, row, pixels);
        }
    }

    data->mWidth = width;
    data->mHeight = height;
    data->mBitsChangedCount = image->mBitsChangedCount;
    if (purge && TexturesHoldBits(*image))
        image->PurgeBits();
    return data->mPixelFormat != kTextureFormatNone;
}

void D3DInterface::RemoveTextureData(MemoryImage* image)
{
    if (image == nullptr)
        return;
    DisplayLock lock(mDisplay);
    delete image->mD3DData;
    image->mD3DData = nullptr;
    mImageSet.erase(image);
}

bool D3DInterface::ReadTextureBits(MemoryImage* image)
{
    if (image == nullptr || image->mD3DData == nullptr || !image->mBits)
        return false;
    const TextureData& data = *image->mD3DData;
    if (data.mBitsChangedCount != image->mBitsChangedCount || data.mPixelFormat == kTextureFormatNone ||
        data.mWidth != image->GetWidth() || data.mHeight != image->GetHeight())
        return false;
    const int format = data.mPixelFormat;
    const int bytes = BytesPerTexel(format);
    uint32_t* bits = image->mBits.get();
    for (int row = 0; row < data.mTexVecHeight; ++row) {
        for (int column = 0; column < data.mTexVecWidth; ++column) {
            const TexturePiece& piece = *data.PieceAt(column, row);
            if (piece.mTexture == nullptr)
                return false;
            Platform::SurfaceDesc desc;
            if (CheckResult(piece.mTexture->Lock(nullptr, &desc, Platform::DDLOCK_WAIT | Platform::DDLOCK_READONLY),
                            "Lock Texture"))
                return false;
            const int x = column * data.mTexPieceWidth;
            const int y = row * data.mTexPieceHeight;
            const int readWidth = std::min(piece.mWidth, data.mWidth - x);
            const int readHeight = std::min(piece.mHeight, data.mHeight - y);
            for (int j = 0; j < readHeight; ++j) {
                const uint8_t* texel = desc.surface + static_cast<ptrdiff_t>(j) * desc.pitch;
                uint32_t* out =
                    bits + static_cast<size_t>(y + j) * static_cast<size_t>(data.mWidth) + static_cast<size_t>(x);
                for (int i = 0; i < readWidth; ++i, texel += bytes)
                    out[i] = FromTexel(LoadTexel(texel, bytes), format);
            }
            CheckResult(piece.mTexture->Unlock(nullptr), "Texture Unlock");
        }
    }
    return true;
}

} // namespace Pyxo
