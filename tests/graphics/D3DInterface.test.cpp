// The 3-D path's device and texture side: the texture size rule and the piece layout, the format choice, the
// conversions and their read-backs, piece lookup, refills and rebuilds, recorded failures, purged images across a
// display restart, and the release of every stand-in object.
#include "graphics/D3DInterface.h"

#include "graphics/DDInterface.h"
#include "graphics/MemoryImage.h"
#include "graphics/TextureData.h"
#include "platform/direct3d/Direct3DDevice.h"
#include "platform/direct3d/Direct3DEmulation.h"
#include "tests/graphics/DisplayTestKit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Platform;
using Pyxo::D3DInterface;
using Pyxo::DDInterface;
using Pyxo::MemoryImage;
using Pyxo::TextureData;

/// Sets the process-wide texture limits for a scope and puts the old ones back.
class TextureLimits {
public:
    TextureLimits(int minWidth, int minHeight, int maxWidth, int maxHeight, int aspect)
        : mSaved{D3DInterface::sMinTextureWidth, D3DInterface::sMinTextureHeight, D3DInterface::sMaxTextureWidth,
                 D3DInterface::sMaxTextureHeight, D3DInterface::sMaxTextureAspectRatio}
    {
        Set({minWidth, minHeight, maxWidth, maxHeight, aspect});
    }
    ~TextureLimits() { Set(mSaved); }
    TextureLimits(const TextureLimits&) = delete;
    TextureLimits& operator=(const TextureLimits&) = delete;

private:
    struct Limits {
        int minWidth, minHeight, maxWidth, maxHeight, aspect;
    };
    static void Set(const Limits& limits)
    {
        D3DInterface::sMinTextureWidth = limits.minWidth;
        D3DInterface::sMinTextureHeight = limits.minHeight;
        D3DInterface::sMaxTextureWidth = limits.maxWidth;
        D3DInterface::sMaxTextureHeight = limits.maxHeight;
        D3DInterface::sMaxTextureAspectRatio = limits.aspect;
    }
    Limits mSaved;
};

TEST(D3DInterfaceSizes, SubdivisionTableWastesLittleAndLeavesPowersOfTwo)
{
    const int cases[][2] = {{0, 1},     {1, 1},     {63, 64},   {64, 64},  {65, 128},  {100, 128},   {129, 128},
                            {192, 256}, {200, 256}, {300, 256}, {600, 64}, {800, 256}, {1000, 1024}, {1023, 1024}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        EXPECT_EQ(D3DInterface::SubdivisionSize(c[0]), c[1]);
    }
}

TEST(D3DInterfaceSizes, TextureSizeFollowsTheFlagsAndTheDeviceLimits)
{
    struct Case {
        const char* name;
        int limits[5]; // minimum width, height, maximum width, height, aspect
        int width, height;
        bool exact, fit;
        int flags;
        int expectedWidth, expectedHeight;
    };
    const Case cases[] = {
        {"subdivided", {1, 1, 1024, 1024, 65536}, 800, 600, false, true, 0, 256, 64},
        {"at the maximum", {1, 1, 1024, 1024, 65536}, 2000, 1024, false, true, 0, 1024, 1024},
        {"exact powers of two", {1, 1, 1024, 1024, 65536}, 33, 3, true, true, 0, 64, 4},
        {"powers of two by flag", {1, 1, 1024, 1024, 65536}, 600, 300, false, true, 1, 1024, 512},
        {"forced 64 x 64", {1, 1, 1024, 1024, 65536}, 800, 600, false, true, 2, 64, 64},
        {"not fitted", {1, 1, 1024, 1024, 65536}, 800, 600, false, false, 0, 800, 600},
        {"aspect limit 4", {1, 1, 1024, 1024, 4}, 256, 16, false, true, 0, 256, 64},
        {"aspect limit 4, tall", {1, 1, 1024, 1024, 4}, 2, 64, true, true, 0, 16, 64},
        {"minimum width 8", {8, 1, 1024, 1024, 65536}, 1, 1, true, true, 0, 8, 1},
        {"device maximum width 0", {64, 64, 64, 64, 1}, 800, 600, false, true, 0, 64, 64},
        {"device maximum width 0, small", {64, 64, 64, 64, 1}, 10, 3, true, true, 0, 64, 64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TextureLimits limits(c.limits[0], c.limits[1], c.limits[2], c.limits[3], c.limits[4]);
        int width = c.width;
        int height = c.height;
        D3DInterface::GetTextureSize(width, height, c.exact, c.fit, c.flags);
        EXPECT_EQ(width, c.expectedWidth);
        EXPECT_EQ(height, c.expectedHeight);
    }
}

TEST(D3DInterfaceSizes, PieceLayoutOfAnImageTooLargeForOneTexture)
{
    struct Case {
        const char* name;
        int limits[5];
        int flags;
        int tile[2];
        int across, down;
        int right[2], bottom[2], corner[2];
    };
    const Case cases[] = {
        {"800 x 600", {1, 1, 1024, 1024, 65536}, 0, {256, 64}, 4, 10, {32, 64}, {256, 32}, {32, 32}},
        {"device maximum width 0", {64, 64, 64, 64, 1}, 0, {64, 64}, 13, 10, {64, 64}, {64, 64}, {64, 64}},
        {"forced 64 x 64", {1, 1, 1024, 1024, 65536}, 2, {64, 64}, 13, 10, {64, 64}, {64, 64}, {64, 64}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TextureLimits limits(c.limits[0], c.limits[1], c.limits[2], c.limits[3], c.limits[4]);
        TextureData data;
        data.mImageFlags = c.flags;
        data.CreateTextureDimensions(800, 600);
        EXPECT_EQ(data.mTexPieceWidth, c.tile[0]);
        EXPECT_EQ(data.mTexPieceHeight, c.tile[1]);
        ASSERT_EQ(data.mTexVecWidth, c.across);
        ASSERT_EQ(data.mTexVecHeight, c.down);
        ASSERT_EQ(data.mTextures.size(), size_t(c.across * c.down));
        EXPECT_FLOAT_EQ(data.mMaxTotalU, 800.0f / float(c.tile[0]));
        EXPECT_FLOAT_EQ(data.mMaxTotalV, 600.0f / float(c.tile[1]));
        const auto size = [&](int column, int row) {
            const Pyxo::TexturePiece* piece = data.PieceAt(column, row);
            return std::vector<int>{piece->mWidth, piece->mHeight};
        };
        EXPECT_EQ(size(0, 0), (std::vector<int>{c.tile[0], c.tile[1]}));
        EXPECT_EQ(size(c.across - 1, 0), (std::vector<int>{c.right[0], c.right[1]}));
        EXPECT_EQ(size(0, c.down - 1), (std::vector<int>{c.bottom[0], c.bottom[1]}));
        EXPECT_EQ(size(c.across - 1, c.down - 1), (std::vector<int>{c.corner[0], c.corner[1]}));
    }
}

/// A display with its 3-D device up, on the stand-ins, writing its registry under a test key.
class D3DInterfaceTest : public DisplayTest::DisplayFixture {
protected:
    void SetUp() override
    {
        DisplayFixture::SetUp();
        mSavedFormats = D3DInterface::sSupportedTextureFormats;
        mApp->mRegKey = "Ilvane Tests\\Direct3D";
        mApp->mTest3D = false;
        mDisplay->mIs3D = true;
        ASSERT_EQ(StartWindowed(), DDInterface::RESULT_OK) << mDisplay->mErrorString;
        mD3D = mDisplay->mD3DInterface.get();
    }
    void TearDown() override
    {
        mImages.clear();
        DisplayFixture::TearDown();
        D3DInterface::sSupportedTextureFormats = mSavedFormats;
        D3DInterface::sErrorString.clear();
    }

    /// An image of the application with these pixels and 3-D flags.
    MemoryImage& Image(const std::vector<uint32_t>& pixels, int width, int height, int flags)
    {
        mImages.push_back(std::make_unique<MemoryImage>(mApp.get()));
        MemoryImage& image = *mImages.back();
        image.SetBits(pixels.data(), width, height, true);
        image.mD3DFlags = flags;
        return image;
    }
    /// The raw texel at (x, y) of a piece.
    static uint32_t Texel(const Pyxo::TexturePiece& piece, int x, int y) { return piece.mTexture->PixelAt(x, y); }
    std::string RegistryError() const
    {
        char text[256] = {};
        uint32_t length = sizeof text - 1;
        uint32_t type = 0;
        if (!mApp->RegistryRead("Test3D\\RuntimeError", &type, reinterpret_cast<uint8_t*>(text), &length))
            return "(none)";
        return text;
    }

    D3DInterface* mD3D = nullptr; // owned by the display
    uint32_t mSavedFormats = 0;
    std::vector<std::unique_ptr<MemoryImage>> mImages;
};

TEST_F(D3DInterfaceTest, TheDeviceTakesItsLimitsAndFormatsFromTheCard)
{
    EXPECT_EQ(D3DInterface::sMinTextureWidth, 1);
    EXPECT_EQ(D3DInterface::sMaxTextureWidth, 1024) << "2048 is lowered to 1024";
    EXPECT_EQ(D3DInterface::sMaxTextureAspectRatio, 65536) << "no limit";
    EXPECT_EQ(D3DInterface::sSupportedTextureFormats, 7u);

    DeviceDesc7 caps;
    caps.triCaps.textureCaps = D3DPTEXTURECAPS_ALPHAPALETTE;
    caps.minTextureWidth = 8;
    caps.maxTextureWidth = 0;
    caps.maxTextureAspectRatio = 4;
    SetEmulatedDeviceCaps(caps);
    SetEmulatedTextureFormats({kFormat565, PixelFormat{DDPF_RGB | DDPF_PALETTEINDEXED8, 8, 0, 0, 0, 0},
                               PixelFormat{DDPF_RGB, 16, 0xF800, 0x7E0, 0x1F, 0xF}});
    ASSERT_EQ(StartWindowed(), DDInterface::RESULT_OK);
    EXPECT_EQ(D3DInterface::sMinTextureWidth, 64) << "a maximum width of 0 makes every limit 64";
    EXPECT_EQ(D3DInterface::sMaxTextureHeight, 64);
    EXPECT_EQ(D3DInterface::sMaxTextureAspectRatio, 1);
    EXPECT_EQ(D3DInterface::sSupportedTextureFormats, 4u) << "no palettised textures, no half-matching format";
}

TEST_F(D3DInterfaceTest, FormatChoiceFollowsTheImageTheFlagsAndTheDevice)
{
    const uint32_t all = 7;
    const struct {
        const char* name;
        uint32_t pixel;
        int flags;
        uint32_t supported;
        int format;
    } cases[] = {
        {"opaque", 0xFF102030, 0, all, Pyxo::kTextureFormatR5G6B5},
        {"opaque, no 565 by flag", 0xFF102030, Pyxo::kD3DImageFlagNo565, all, Pyxo::kTextureFormatA8R8G8B8},
        {"opaque, no 565 on the card", 0xFF102030, 0, 3, Pyxo::kTextureFormatA8R8G8B8},
        {"translucent", 0x80102030, 0, all, Pyxo::kTextureFormatA8R8G8B8},
        {"transparent", 0x00102030, 0, all, Pyxo::kTextureFormatA8R8G8B8},
        {"translucent, 4444 asked for", 0x80102030, Pyxo::kD3DImageFlagPrefer4444, all, Pyxo::kTextureFormatA4R4G4B4},
        {"4444 asked for, not on the card", 0x80102030, Pyxo::kD3DImageFlagPrefer4444, 5, Pyxo::kTextureFormatA8R8G8B8},
        {"no 8888 on the card", 0x80102030, 0, 6, Pyxo::kTextureFormatA4R4G4B4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        D3DInterface::sSupportedTextureFormats = c.supported;
        MemoryImage& image = Image({c.pixel, 0xFF000000}, 2, 1, c.flags);
        ASSERT_TRUE(mD3D->PrepareTexture(&image));
        EXPECT_EQ(image.mD3DData->mPixelFormat, c.format);
        EXPECT_EQ(image.mD3DData->PieceAt(0, 0)->mTexture->Format(),
                  c.format == Pyxo::kTextureFormatA8R8G8B8   ? kFormat8888
                  : c.format == Pyxo::kTextureFormatA4R4G4B4 ? kFormat4444
                                                             : kFormat565);
    }
}

// The three conversions into texels and back, as written: A4R4G4B4 reads back opaque without its alpha, R5G6B5
// with its low bits zero.
TEST_F(D3DInterfaceTest, ConversionsAndReadBacks)
{
    const struct {
        const char* name;
        uint32_t pixel;
        int flags;
        uint32_t texel;
        uint32_t readBack;
    } cases[] = {
        {"A8R8G8B8", 0x80FF8040, Pyxo::kD3DImageFlagNo565, 0x80FF8040, 0x80FF8040},
        {"A4R4G4B4", 0x80FF8040, Pyxo::kD3DImageFlagPrefer4444, 0x8F84, 0xFFF08040},
        {"R5G6B5", 0xFFFF8040, 0, 0xFC08, 0xFFF88040},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryImage& image = Image({c.pixel}, 1, 1, c.flags);
        ASSERT_TRUE(mD3D->PrepareTexture(&image));
        EXPECT_EQ(Texel(*image.mD3DData->PieceAt(0, 0), 0, 0), c.texel);
        image.mBits[0] = 0;
        ASSERT_TRUE(mD3D->ReadTextureBits(&image));
        EXPECT_EQ(image.mBits[0], c.readBack);
    }
    MemoryImage& changed = Image({0xFF000000}, 1, 1, 0);
    ASSERT_TRUE(mD3D->PrepareTexture(&changed));
    changed.BitsChanged();
    EXPECT_FALSE(mD3D->ReadTextureBits(&changed)) << "textures of older pixels are not read back";
}

TEST_F(D3DInterfaceTest, PiecesRepeatTheirLastColumnAndRow)
{
    // 3 x 3 pixels in a 4 x 4 texture.
    MemoryImage& image = Image({1, 2, 3, 4, 5, 6, 7, 8, 9}, 3, 3, Pyxo::kD3DImageFlagNo565);
    ASSERT_TRUE(mD3D->PrepareTexture(&image));
    const Pyxo::TexturePiece& piece = *image.mD3DData->PieceAt(0, 0);
    ASSERT_EQ(piece.mWidth, 4);
    ASSERT_EQ(piece.mHeight, 4);
    std::vector<uint32_t> texels;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            texels.push_back(Texel(piece, x, y));
    EXPECT_EQ(texels, (std::vector<uint32_t>{1, 2, 3, 3, 4, 5, 6, 6, 7, 8, 9, 9, 7, 8, 9, 9}));
}

TEST_F(D3DInterfaceTest, GetTextureFindsThePieceAndItsCoordinates)
{
    std::vector<uint32_t> pixels(800 * 600, 0xFF000000);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            pixels[size_t(y * 800 + x)] |= uint32_t(x) << 8 | uint32_t(y);
    MemoryImage& image = Image(pixels, 800, 600, Pyxo::kD3DImageFlagNo565);
    ASSERT_TRUE(mD3D->PrepareTexture(&image));
    const TextureData& data = *image.mD3DData;
    ASSERT_EQ(data.mTexVecWidth, 4);
    ASSERT_EQ(data.mTexVecHeight, 10);
    EXPECT_EQ(data.mTexMemSize, int64_t{800} * (9 * 64 + 32) * 4) << "the bottom row's pieces are 32 high";

    const struct {
        int x, y, width, height;
        int column, row;
        int partWidth, partHeight;
        float u1, v1, u2, v2;
    } cases[] = {
        {300, 70, 500, 10, 1, 1, 212, 10, 44 / 256.0f, 6 / 64.0f, 1.0f, 16 / 64.0f},
        {780, 590, 100, 100, 3, 9, 20, 18, 12 / 32.0f, 14 / 32.0f, 1.0f, 1.0f}, // to the piece's edges
        {0, 0, 1, 1, 0, 0, 1, 1, 0.0f, 0.0f, 1 / 256.0f, 1 / 64.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + ", " + std::to_string(c.y));
        int width = c.width;
        int height = c.height;
        float u1 = -1, v1 = -1, u2 = -1, v2 = -1;
        DirectDrawSurface* surface = data.GetTexture(c.x, c.y, width, height, u1, v1, u2, v2);
        EXPECT_EQ(surface, data.PieceAt(c.column, c.row)->mTexture);
        EXPECT_EQ(width, c.partWidth);
        EXPECT_EQ(height, c.partHeight);
        EXPECT_FLOAT_EQ(u1, c.u1);
        EXPECT_FLOAT_EQ(v1, c.v1);
        EXPECT_FLOAT_EQ(u2, c.u2);
        EXPECT_FLOAT_EQ(v2, c.v2);
        ASSERT_NE(surface, nullptr);
        const int localX = int(u1 * float(data.PieceAt(c.column, c.row)->mWidth));
        const int localY = int(v1 * float(data.PieceAt(c.column, c.row)->mHeight));
        EXPECT_EQ(surface->PixelAt(localX, localY), pixels[size_t(c.y * 800 + c.x)]) << "the piece holds the point";
    }
    int width = 1;
    int height = 1;
    float u1 = 0, v1 = 0, u2 = 0, v2 = 0;
    EXPECT_EQ(data.GetTexture(800, 0, width, height, u1, v1, u2, v2), nullptr);
    EXPECT_EQ(data.GetTexture(0, -1, width, height, u1, v1, u2, v2), nullptr);
}

// Current textures are kept; a change of the pixels refills the same surfaces; a change of size rebuilds them.
TEST_F(D3DInterfaceTest, RefillWhenOnlyThePixelsChangedRebuildWhenTheSizeDid)
{
    MemoryImage& image = Image({0xFF000001, 0xFF000002}, 2, 1, Pyxo::kD3DImageFlagNo565);
    ASSERT_TRUE(mD3D->PrepareTexture(&image));
    DirectDrawSurface* first = image.mD3DData->PieceAt(0, 0)->mTexture;
    const int surfaces = LiveDirectDrawSurfaceCount();
    const int locks = DirectDrawCallCount(DirectDrawCall::Lock);
    ASSERT_TRUE(mD3D->PrepareTexture(&image));
    EXPECT_EQ(DirectDrawCallCount(DirectDrawCall::Lock), locks) << "up to date: nothing filled";

    image.mBits[1] = 0xFF0000FF;
    image.BitsChanged();
    ASSERT_TRUE(mD3D->PrepareTexture(&image));
    EXPECT_EQ(image.mD3DData->PieceAt(0, 0)->mTexture, first);
    EXPECT_EQ(LiveDirectDrawSurfaceCount(), surfaces);
    EXPECT_EQ(first->PixelAt(1, 0), 0xFF0000FFu);
    EXPECT_EQ(image.mD3DData->mBitsChangedCount, image.mBitsChangedCount);

    const std::vector<uint32_t> wider(300, 0xFF00FF00);
    image.SetBits(wider.data(), 300, 1, true);
    ASSERT_TRUE(mD3D->PrepareTexture(&image));
    const TextureData& data = *image.mD3DData;
    EXPECT_EQ(data.mWidth, 300);
    EXPECT_EQ(data.mTexVecWidth, 2) << "tiles of 256 and a 64-wide rest";
    EXPECT_EQ(data.PieceAt(1, 0)->mWidth, 64);
    EXPECT_EQ(data.PieceAt(1, 0)->mTexture->PixelAt(43, 0), 0xFF00FF00u);
    EXPECT_EQ(LiveDirectDrawSurfaceCount(), surfaces + 1) << "the old surface went, two new ones came";

    image.mD3DFlags = Pyxo::kD3DImageFlagTile64;
    ASSERT_TRUE(mD3D->PrepareTexture(&image));
    EXPECT_EQ(image.mD3DData->mTexVecWidth, 5) << "other flags, another layout";
}

// A texture that cannot be made is no 3-D error: nothing is drawn with it, and the next request tries again.
TEST_F(D3DInterfaceTest, ATextureThatCannotBeMadeIsTriedAgain)
{
    MemoryImage& image = Image({0xFF102030}, 1, 1, 0);
    InjectDirectDrawFailure(DirectDrawCall::CreateSurface, DDERR_OUTOFVIDEOMEMORY, 0, 1);
    EXPECT_FALSE(mD3D->PrepareTexture(&image));
    EXPECT_EQ(image.mD3DData->mPixelFormat, Pyxo::kTextureFormatNone);
    EXPECT_EQ(D3DInterface::sErrorString, "");
    EXPECT_TRUE(mD3D->PrepareTexture(&image));
    EXPECT_EQ(Texel(*image.mD3DData->PieceAt(0, 0), 0, 0), 0x1106u);
}

// Every failing device call leaves "label: error name" as the 3-D error text and in the registry; a failure
// while the device is made fails the display's start with code 7.
TEST_F(D3DInterfaceTest, FailuresAreRecordedWithTheirLabels)
{
    const struct {
        DirectDrawCall call;
        int skip;
        const char* text;
    } starts[] = {
        {DirectDrawCall::QueryInterface, 0, "Query DrawSurface: DDERR_OUTOFCAPS"},
        {DirectDrawCall::QueryInterface, 1, "QueryInterface IID_IDirect3D7: DDERR_OUTOFCAPS"},
        {DirectDrawCall::CreateDevice, 0, "CreateDevice IID_IDirect3DHALDevice: DDERR_OUTOFCAPS"},
        {DirectDrawCall::GetCaps, 0, ": DDERR_OUTOFCAPS"},
    };
    for (const auto& c : starts) {
        SCOPED_TRACE(c.text);
        InjectDirectDrawFailure(c.call, DDERR_OUTOFCAPS, c.skip, 1);
        EXPECT_EQ(StartWindowed(), DDInterface::RESULT_3D_FAIL);
        EXPECT_EQ(mDisplay->mErrorString, std::string("3D init error: ") + c.text);
        EXPECT_EQ(D3DInterface::sErrorString, c.text);
        EXPECT_EQ(RegistryError(), c.text);
    }

    ASSERT_EQ(StartWindowed(), DDInterface::RESULT_OK);
    EXPECT_EQ(D3DInterface::sErrorString, "") << "a start clears the text";
    MemoryImage& image = Image({0xFF102030}, 1, 1, 0);
    InjectDirectDrawFailure(DirectDrawCall::Lock, DDERR_SURFACELOST, 0, 1);
    mD3D->PrepareTexture(&image);
    EXPECT_EQ(D3DInterface::sErrorString, "Lock Texture: DDERR_SURFACELOST");
    EXPECT_EQ(RegistryError(), "Lock Texture: DDERR_SURFACELOST");
    EXPECT_FALSE(mDisplay->Redraw()) << "the next present turns 3-D off";
    EXPECT_FALSE(mDisplay->mIs3D);
}

TEST_F(D3DInterfaceTest, SetupBeginsTheSceneWithTheFramesStatesAndFlushEndsIt)
{
    Direct3DDevice* device = mD3D->mD3DDevice;
    EXPECT_EQ(device->Viewport().width, 800u) << "a window off screen leaves the whole target";
    ASSERT_TRUE(mD3D->Setup());
    EXPECT_TRUE(device->InScene());
    EXPECT_EQ(device->RenderTarget(), mDisplay->mDrawSurface);
    EXPECT_EQ(device->RenderState(D3DRENDERSTATE_ALPHABLENDENABLE), 1u);
    EXPECT_EQ(device->RenderState(D3DRENDERSTATE_SRCBLEND), D3DBLEND_SRCALPHA);
    EXPECT_EQ(device->RenderState(D3DRENDERSTATE_DESTBLEND), D3DBLEND_INVSRCALPHA);
    EXPECT_EQ(device->RenderState(D3DRENDERSTATE_CULLMODE), D3DCULL_NONE);
    EXPECT_EQ(device->TextureStageState(D3DTSS_ALPHAOP), D3DTOP_MODULATE);
    EXPECT_EQ(device->TextureStageState(D3DTSS_ADDRESSU), D3DTADDRESS_CLAMP);
    EXPECT_TRUE(mD3D->Setup()) << "within the scene";
    D3DInterface::sErrorString = "left over";
    mD3D->Flush();
    EXPECT_FALSE(device->InScene());
    EXPECT_EQ(D3DInterface::sErrorString, "");

    mApp->mMinimized = true;
    EXPECT_FALSE(mD3D->Setup());
    mApp->mMinimized = false;
    InjectDirectDrawFailure(DirectDrawCall::SetRenderTarget, DDERR_SURFACELOST, 0, 1);
    EXPECT_FALSE(mD3D->Setup());
    EXPECT_TRUE(D3DInterface::sRenderTargetFailed);
    EXPECT_EQ(D3DInterface::sErrorString, "") << "no 3-D error for the render target";
    EXPECT_TRUE(mD3D->Setup());
    EXPECT_FALSE(D3DInterface::sRenderTargetFailed);
    mD3D->Flush();
}

// An image whose memory bits were purged holds its pixels in its textures alone. Only A8R8G8B8 textures give them
// back exactly, so only those let the bits go; and a restart of the display reads them back before the textures
// are deleted.
TEST_F(D3DInterfaceTest, PurgedImagesKeepTheirPixelsAcrossARestart)
{
    const std::vector<uint32_t> translucent = {0x80FF8040, 0x00000000, 0xFF123456, 0x01020304};
    const std::vector<uint32_t> opaque = {0xFFFF8047, 0xFF000001, 0xFF123456, 0xFFFFFFFF};
    MemoryImage& argb = Image(translucent, 2, 2, Pyxo::kD3DImageFlagNo565);
    MemoryImage& rgb = Image(opaque, 2, 2, 0);
    MemoryImage& nibbles = Image(translucent, 2, 2, Pyxo::kD3DImageFlagPrefer4444);
    for (MemoryImage* image : {&argb, &rgb, &nibbles}) {
        image->PurgeBits(); // asks for it; there are no textures yet
        ASSERT_NE(image->mBits, nullptr);
        ASSERT_TRUE(mD3D->PrepareTexture(image));
    }
    EXPECT_EQ(argb.mBits, nullptr) << "A8R8G8B8 reads back exactly";
    EXPECT_NE(rgb.mBits, nullptr) << "R5G6B5 would lose the low bits";
    EXPECT_NE(nibbles.mBits, nullptr) << "A4R4G4B4 would lose the alpha";
    EXPECT_EQ(std::vector<uint32_t>(argb.GetBits(), argb.GetBits() + 4), translucent);
    argb.PurgeBits();
    ASSERT_EQ(argb.mBits, nullptr);

    ASSERT_EQ(StartWindowed(), DDInterface::RESULT_OK);
    mApp->RecreateImageSurfaces();
    for (MemoryImage* image : {&argb, &rgb, &nibbles})
        EXPECT_EQ(image->mD3DData, nullptr);
    ASSERT_NE(argb.mBits, nullptr);
    EXPECT_EQ(std::vector<uint32_t>(argb.mBits.get(), argb.mBits.get() + 4), translucent);
    EXPECT_EQ(std::vector<uint32_t>(rgb.mBits.get(), rgb.mBits.get() + 4), opaque);
    EXPECT_EQ(std::vector<uint32_t>(nibbles.mBits.get(), nibbles.mBits.get() + 4), translucent);

    ASSERT_TRUE(mD3D->PrepareTexture(&argb));
    EXPECT_EQ(argb.mBits, nullptr) << "the purge is asked for again with the new textures";
}

TEST_F(D3DInterfaceTest, NoStandInObjectOutlivesTheCleanup)
{
    MemoryImage& image = Image(std::vector<uint32_t>(300 * 70, 0x80808080), 300, 70, 0);
    ASSERT_TRUE(mD3D->PrepareTexture(&image));
    ASSERT_TRUE(mD3D->Setup());
    EXPECT_GT(LiveDirectDrawSurfaceCount(), 4);
    mD3D->RemoveTextureData(&image);
    EXPECT_EQ(image.mD3DData, nullptr);
    EXPECT_TRUE(mD3D->mImageSet.empty());
    ASSERT_TRUE(mD3D->PrepareTexture(&image));

    mDisplay->Cleanup();
    EXPECT_EQ(image.mD3DData, nullptr);
    EXPECT_TRUE(mD3D->mImageSet.empty());
    EXPECT_EQ(mD3D->mD3DDevice, nullptr);
    EXPECT_EQ(LiveDirect3DDeviceCount(), 0);
    EXPECT_EQ(LiveDirect3DCount(), 0);
    EXPECT_EQ(LiveDirectDrawCount(), 0);
    EXPECT_EQ(LiveDirectDrawSurfaceCount(), 0);
}

} // namespace
