#include "graphics/DDImage.h"

#include "graphics/DDInterface.h"
#include "graphics/Matrix3.h"
#include "tests/graphics/DisplayTestKit.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

namespace {

using namespace Platform;
using Pyxo::Color;
using Pyxo::DDImage;
using Pyxo::Rect;

static_assert(!std::is_copy_constructible_v<DDImage>);

class DDImageTest : public DisplayTest::DisplayFixture {
protected:
    /// A surface image of the started display holding the pixels, row after row.
    std::unique_ptr<DDImage> ImageOf(int width, int height, const std::vector<uint32_t>& pixels)
    {
        auto image = std::make_unique<DDImage>(mDisplay);
        image->SetBits(pixels.data(), width, height, true);
        return image;
    }
};

/// Records what the routing hands to the surface routines.
class RecordingImage : public DDImage {
public:
    using DDImage::DDImage;
    void NormalFillRect(const Rect& rect, const Color&) override { mFills.push_back(rect); }
    void NormalBlt(Pyxo::Image*, int x, int y, const Rect&, const Color&) override { mBlts.push_back({x, y, 0, 0}); }
    void NormalDrawLine(double, double, double, double, const Color&) override { ++mLines; }
    std::vector<Rect> mFills;
    std::vector<Rect> mBlts;
    int mLines = 0;
};

// Hand-computed conversions into each display format and back: low bits are dropped on the way in, and the read
// back fills them with zeros.
TEST_F(DDImageTest, SurfacesHoldTheDisplayFormatAndReadBackOpaque)
{
    struct Case {
        const char* name;
        PixelFormat format;
        uint32_t argb;
        uint32_t surface;
        uint32_t readBack;
    };
    const Case cases[] = {
        {"x888 colour", kFormatX888, 0xFF123456, 0x123456, 0xFF123456},
        {"565 white", kFormat565, 0xFFFFFFFF, 0xFFFF, 0xFFF8FCF8},
        {"565 grey", kFormat565, 0xFF808080, 0x8410, 0xFF808080},
        {"565 low bits", kFormat565, 0xFF0F0F0F, 0x0861, 0xFF080C08},
        {"555 white", kFormat555, 0xFFFFFFFF, 0x7FFF, 0xFFF8F8F8},
        {"555 grey", kFormat555, 0xFF808080, 0x4210, 0xFF808080},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(StartWindowed(c.format), Pyxo::DDInterface::RESULT_OK);
        SetSurfaceLayout({6, true}); // padded, bottom-up rows: the pitch is what counts
        auto image = ImageOf(2, 2, {c.argb, 0xFF000000, 0xFF000000, c.argb});
        ASSERT_TRUE(image->GenerateDDSurface());
        EXPECT_FALSE(image->mSurface->HasSourceColorKey()) << "all pixels opaque";
        EXPECT_EQ(image->mSurface->PixelAt(0, 0), c.surface);
        EXPECT_EQ(image->mSurface->PixelAt(1, 1), c.surface);
        EXPECT_EQ(image->mSurface->PixelAt(1, 0), 0u);
        image->mBits.reset(); // as after drawing into the surface
        const uint32_t* bits = image->GetBits();
        ASSERT_NE(bits, nullptr);
        EXPECT_EQ(bits[0], c.readBack);
        EXPECT_EQ(bits[3], c.readBack);
        EXPECT_EQ(bits[1], 0xFF000000u);
        EXPECT_EQ(bits[4], DDImage::kGuardWord);
        SetSurfaceLayout({});
    }
}

TEST_F(DDImageTest, TransparentPixelsTakeAColourKeyNoOpaquePixelUses)
{
    struct Case {
        const char* name;
        PixelFormat format;
        std::vector<uint32_t> pixels; // 2 x 2
        uint32_t key;
    };
    const Case cases[] = {
        // The first transparent pixel's colour, converted on 16 bits and raw on 32.
        {"565 own colour", kFormat565, {0xFF0000FF, 0x00FF0000, 0xFF00FF00, 0x00000000}, 0xF800},
        {"x888 own colour", kFormatX888, {0xFF0000FF, 0x00FF0000, 0xFF00FF00, 0x00000000}, 0x00FF0000},
        // An opaque black takes the transparent black's value: 16 bits then take the lowest free value of the
        // last block of 32, 32 bits the lowest free value.
        {"565 taken", kFormat565, {0x00000000, 0xFF000000, 0xFFFFFFFF, 0xFF000000}, 0xFFE0},
        {"555 taken", kFormat555, {0x00000000, 0xFF000000, 0xFF102030, 0xFF000000}, 0xFFE0},
        {"x888 taken", kFormatX888, {0x00000000, 0xFF000000, 0xFF000001, 0xFF000000}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(StartWindowed(c.format), Pyxo::DDInterface::RESULT_OK);
        auto image = ImageOf(2, 2, c.pixels);
        ASSERT_TRUE(image->mHasTrans);
        ASSERT_TRUE(image->GenerateDDSurface());
        ColorKey key;
        ASSERT_EQ(image->mSurface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
        EXPECT_EQ(key.low, c.key);
        EXPECT_EQ(key.high, c.key);
        for (int i = 0; i < 4; ++i) {
            if ((c.pixels[size_t(i)] >> 24) == 0)
                EXPECT_EQ(image->mSurface->PixelAt(i % 2, i / 2), c.key) << i;
            else
                EXPECT_NE(image->mSurface->PixelAt(i % 2, i / 2), c.key) << i;
        }
    }
}

TEST_F(DDImageTest, PartialAlphaNeverGetsASurface)
{
    ASSERT_EQ(StartWindowed(), Pyxo::DDInterface::RESULT_OK);
    auto image = ImageOf(2, 1, {0xFF000000, 0x80FFFFFF});
    EXPECT_FALSE(image->GenerateDDSurface());
    EXPECT_EQ(image->GetSurface(), nullptr);
    EXPECT_FALSE(image->LockSurface());
}

TEST_F(DDImageTest, NestedLocksLockTheSurfaceOnce)
{
    ASSERT_EQ(StartWindowed(), Pyxo::DDInterface::RESULT_OK);
    auto image = ImageOf(2, 2, {0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000});
    ASSERT_TRUE(image->LockSurface());
    ASSERT_TRUE(image->LockSurface());
    EXPECT_EQ(image->mSurface->LockCount(), 1);
    EXPECT_TRUE(image->UnlockSurface());
    EXPECT_EQ(image->mSurface->LockCount(), 1) << "still locked after one unlock";
    EXPECT_TRUE(image->UnlockSurface());
    EXPECT_EQ(image->mSurface->LockCount(), 0);
    EXPECT_FALSE(image->UnlockSurface()) << "never below zero";

    InjectDirectDrawFailure(DirectDrawCall::Lock, DDERR_SURFACELOST, 0, 1);
    EXPECT_FALSE(image->LockSurface());
    EXPECT_EQ(image->mLockCount, 0);
}

TEST_F(DDImageTest, SurfaceLifecycleFollowsTheBits)
{
    ASSERT_EQ(StartWindowed(), Pyxo::DDInterface::RESULT_OK);
    const int live = LiveDirectDrawSurfaceCount();
    auto image = ImageOf(2, 1, {0xFF102030, 0xFF405060});
    ASSERT_TRUE(image->GenerateDDSurface());
    EXPECT_EQ(image->mSurface->Caps() & DDSCAPS_SYSTEMMEMORY, DDSCAPS_SYSTEMMEMORY);

    // Video memory: the pixels are read back first, and the next use makes the surface there.
    image->mBits.reset();
    image->SetVideoMemory(true);
    EXPECT_EQ(image->mSurface, nullptr);
    ASSERT_NE(image->mBits, nullptr);
    EXPECT_EQ(image->mBits[1], 0xFF405060u);
    ASSERT_NE(image->GetSurface(), nullptr);
    EXPECT_EQ(image->mSurface->Caps() & DDSCAPS_VIDEOMEMORY, DDSCAPS_VIDEOMEMORY);

    // A change of the bits drops the surface without reading it back.
    image->mBits[0] = 0xFFFFFFFF;
    image->BitsChanged();
    EXPECT_EQ(image->mSurface, nullptr);
    EXPECT_EQ(image->mBits[0], 0xFFFFFFFFu);

    // A re-created display gives every image that had a surface a new one.
    mDisplay->Cleanup();
    ASSERT_EQ(StartWindowed(), Pyxo::DDInterface::RESULT_OK);
    mApp->RecreateImageSurfaces();
    EXPECT_NE(image->mSurface, nullptr);
    image.reset();
    EXPECT_EQ(LiveDirectDrawSurfaceCount(), live);
}

TEST_F(DDImageTest, AHandedInSurfaceReplacesTheOldOneAndStays)
{
    ASSERT_EQ(StartWindowed(), Pyxo::DDInterface::RESULT_OK);
    const int live = LiveDirectDrawSurfaceCount();
    DDImage screen(mDisplay);
    screen.SetSurface(mDisplay->mDrawSurface);
    EXPECT_EQ(screen.GetWidth(), 800);
    screen.SetSurface(mDisplay->mOldCursorArea);
    EXPECT_EQ(screen.GetWidth(), 64);
    screen.BitsChanged();
    screen.DeleteExtraBuffers();
    screen.PurgeBits();
    EXPECT_EQ(screen.mSurface, mDisplay->mOldCursorArea) << "a screen image keeps its surface";
    mDisplay->Cleanup();
    EXPECT_EQ(LiveDirectDrawSurfaceCount(), live - 5 + 1) << "only the surface the image holds is left";
}

TEST_F(DDImageTest, DrawingIsRoutedByTheImagesAlpha)
{
    ASSERT_EQ(StartWindowed(), Pyxo::DDInterface::RESULT_OK);
    RecordingImage opaque(mDisplay);
    const std::vector<uint32_t> black(16, 0xFF000000);
    opaque.SetBits(black.data(), 4, 4, true);
    ASSERT_NE(opaque.GetSurface(), nullptr);
    opaque.DrawLine(10.7, 5, 3.2, 5, Color(1, 2, 3), 0);
    opaque.DrawLine(2, 7.9, 2, 1.5, Color(1, 2, 3), 0);
    ASSERT_EQ(opaque.mFills.size(), 2u);
    EXPECT_EQ(opaque.mFills[0], Rect(3, 5, 8, 1));
    EXPECT_EQ(opaque.mFills[1], Rect(2, 1, 1, 7));
    opaque.DrawLine(0, 0, 3, 2, Color(1, 2, 3), 0);
    EXPECT_EQ(opaque.mLines, 1);
    EXPECT_EQ(opaque.mBits, nullptr) << "drawing into the surface frees the memory stores";

    Pyxo::MemoryImage source(mApp.get());
    source.SetBits(black.data(), 4, 4, true);
    opaque.Blt(&source, 1, 2, Rect(0, 0, 4, 4), Color(255, 255, 255, 255), 0);
    ASSERT_EQ(opaque.mBlts.size(), 1u);
    EXPECT_EQ(opaque.mBlts[0], Rect(1, 2, 0, 0));
    EXPECT_TRUE(source.mDrawn);

    // With transparency the memory image draws on the bits.
    RecordingImage keyed(mDisplay);
    std::vector<uint32_t> pixels(16, 0xFF000000);
    pixels[0] = 0;
    keyed.SetBits(pixels.data(), 4, 4, true);
    keyed.FillRect(Rect(1, 1, 2, 2), Color(255, 0, 0), 0);
    keyed.Blt(&source, 0, 0, Rect(0, 0, 4, 4), Color(255, 255, 255, 255), 0);
    EXPECT_TRUE(keyed.mFills.empty());
    EXPECT_TRUE(keyed.mBlts.empty());
}

TEST_F(DDImageTest, TransformedBlitsDrawIntoTheLockedSurface)
{
    for (const PixelFormat& format : {kFormatX888, kFormat565}) {
        SCOPED_TRACE(format.rgbBitCount);
        ASSERT_EQ(StartWindowed(format), Pyxo::DDInterface::RESULT_OK);
        auto target = ImageOf(4, 4, std::vector<uint32_t>(16, 0xFF000000));
        Pyxo::MemoryImage source(mApp.get());
        const std::vector<uint32_t> white(4, 0xFFFFFFFF);
        source.SetBits(white.data(), 2, 2, true);
        const Pyxo::Matrix3 identity(true);
        target->BltTransformed(&source, nullptr, Color(255, 255, 255, 255), 0, Rect(0, 0, 2, 2), identity, false, 1.0f,
                               1.0f, false);
        ASSERT_NE(target->mSurface, nullptr);
        const uint32_t white16 = format.rgbBitCount == 16 ? 0xFFFFu : 0xFFFFFFu;
        EXPECT_EQ(target->mSurface->PixelAt(1, 1) & white16, white16);
        EXPECT_EQ(target->mSurface->PixelAt(2, 2) & white16, white16);
        EXPECT_EQ(target->mSurface->PixelAt(0, 0), 0u);
        EXPECT_EQ(target->mSurface->PixelAt(3, 3), 0u);
    }
}

} // namespace
