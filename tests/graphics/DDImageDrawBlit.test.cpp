// Blits of memory images into a surface image's own surface: the four paths of the normal blit, the additive
// blit and the mirrored blits. Layouts the rasterizer draws (x888, 5-6-5, 5-5-5) take its quad, with its rules
// (the 3-D path's pixels: an alpha of 240 or more stores, 8 or less skips, the blend weighs the destination by
// 255 − alpha over 256, additive sources are premultiplied by alpha over 256); the expectations for other layouts
// are worked out by hand from the native (premultiplied) pixels.

#include "platform/directdraw/DirectDrawEmulation.h"
#include "tests/graphics/DDImageDrawTestKit.h"

#include <vector>

namespace {

using namespace SurfaceDrawTest;
using Platform::DirectDrawCall;
using Pyxo::Color;
using Pyxo::Rect;

class DDImageDrawBlitTest : public Fixture {
protected:
    /// The target's first row without the unused top byte of 32-bit pixels.
    std::vector<uint32_t> Colors() const
    {
        std::vector<uint32_t> row = Row(0);
        for (uint32_t& p : row)
            p &= 0xFFFFFF;
        return row;
    }
};

// Opaque sources are copied as their native pixels; pixels of alpha 0 leave the surface as it is.
TEST_F(DDImageDrawBlitTest, OpaqueSourcesAreCopiedAsNativePixels)
{
    struct Case {
        Format format;
        uint32_t raw;    // the target before
        uint32_t native; // of 0xFF123456
    };
    const Case cases[] = {
        {kX888, 0x111111, 0x123456},
        {k565, 0x1111, 0x11AA},
        {k555, 0x1111, 0x08CA},
        {kBgr, 0x111111, 0x563412},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format.name);
        auto source = Source(3, 1, {0xFF123456, 0x00ABCDEF, 0xFF000000});
        MakeTarget(c.format, 4, 1, c.raw);
        mTarget->Blt(source.get(), 1, 0, Rect(0, 0, 3, 1), Color::White, 0);
        EXPECT_EQ(Colors(), (std::vector<uint32_t>{c.raw, c.native, c.raw, 0}));
        EXPECT_TRUE(source->mDrawn);
        EXPECT_EQ(mTarget->mBits, nullptr) << "the surface alone holds the pixels";

        // Cut at the left edge of the surface, and a source rectangle reaching past the source.
        MakeTarget(c.format, 4, 1, c.raw);
        mTarget->NormalBlt(source.get(), -2, 0, Rect(0, 0, 3, 1), Color::White);
        mTarget->NormalBlt(source.get(), 3, 0, Rect(0, 0, 9, 9), Color::White);
        EXPECT_EQ(Colors(), (std::vector<uint32_t>{0, c.raw, c.raw, c.native}));
    }
}

// Transparent pixels are skipped, opaque ones copied, the rest blended: through the rasterizer's blend on the
// layouts it draws, else run by run over the run-length alpha data as premultiplied pixels: d x (256 - A) >> 8
// plus the native pixel.
TEST_F(DDImageDrawBlitTest, TranslucentSourcesBlendRunByRun)
{
    const std::vector<uint32_t> pixels = {0x00000000, 0xFFFFFFFF, 0x80FF0000, 0x40FF0000, 0xFF00FF00};
    struct Case {
        const char* name;
        Format format;
        Color color;
        uint32_t raw;
        std::vector<uint32_t> after;
    };
    const Case cases[] = {
        // Red 255 at alpha 128 adds 255 x 128 >> 8; blue 255 keeps 255 x 127 >> 8.
        {"x888", kX888, Color::White, 0xFF, {0xFF, 0xFFFFFF, 0x7F007E, 0x3F00BE, 0x00FF00}},
        // 5-6-5: the destination weighted in 5-bit steps ((255 - 128) >> 3, (255 - 64) >> 3).
        {"565", k565, Color::White, 0x1F, {0x1F, 0xFFFF, 0x780E, 0x3816, 0x07E0}},
        {"444", k444, Color::White, 0xF, {0xF, 0xFFF, 0x807, 0x40B, 0x0F0}},
        // Colourised: each channel scaled by the colour's over 256, alpha by the colour's alpha over 256.
        {"x888 orange", kX888, Color(255, 128, 0), 0xFF, {0xFF, 0xFE7F00, 0x7E007F, 0x3E00BF, 0x007F00}},
        // A translucent colour blends even the opaque pixels.
        {"x888 half white", kX888, Color(255, 255, 255, 128), 0xFF, {0xFF, 0x7E7EFD, 0x3F00BE, 0x1F00DE, 0x007E7F}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto source = Source(5, 1, pixels);
        ASSERT_TRUE(source->mHasAlpha);
        MakeTarget(c.format, 5, 1, c.raw);
        mTarget->NormalBlt(source.get(), 0, 0, Rect(0, 0, 5, 1), c.color);
        EXPECT_EQ(Colors(), c.after);
    }

    // A run longer than what is left of the cut row ends with the row.
    auto wide = Source(6, 1, std::vector<uint32_t>(6, 0x80FF0000));
    ASSERT_EQ(wide->GetRLAlphaData()[0], 6);
    MakeTarget(kX888, 4, 1, 0);
    mTarget->NormalBlt(wide.get(), 2, 0, Rect(0, 0, 6, 1), Color::White);
    EXPECT_EQ(Colors(), (std::vector<uint32_t>{0, 0, 0x7F0000, 0x7F0000}));
}

// Volatile sources are blended straight from their ARGB pixels (bits or palette): by the rasterizer on the
// layouts it draws, per channel elsewhere.
TEST_F(DDImageDrawBlitTest, VolatileSourcesBlendFromTheirArgbPixels)
{
    struct Case {
        Format format;
        uint32_t raw; // blue
        uint32_t blended;
    };
    const Case cases[] = {{kX888, 0xFF, 0x7F007E}, {k565, 0x1F, 0x780E}, {kBgr, 0xFF0000, 0x7F007F}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format.name);
        for (const bool palettised : {false, true}) {
            auto source = Source(2, 1, {0x80FF0000, 0x00FFFFFF});
            source->SetVolatile(true);
            if (palettised) {
                ASSERT_TRUE(source->Palletize());
            }
            MakeTarget(c.format, 2, 1, c.raw);
            mTarget->NormalBlt(source.get(), 0, 0, Rect(0, 0, 2, 1), Color::White);
            EXPECT_EQ(Colors(), (std::vector<uint32_t>{c.blended, c.raw})) << palettised;
            EXPECT_EQ(source->mNativeAlphaData, nullptr) << "no derived store for a volatile source";
        }
    }

    // The no-lock flag refuses it.
    auto source = Source(1, 1, {0xFFFFFFFF});
    source->SetVolatile(true);
    MakeTarget(kX888, 1, 1, 0);
    mTarget->mNoLock = true;
    mTarget->NormalBlt(source.get(), 0, 0, Rect(0, 0, 1, 1), Color::White);
    EXPECT_EQ(At(0, 0), 0u);
}

TEST_F(DDImageDrawBlitTest, OpaqueSurfacesAreCopiedByDirectDraw)
{
    MakeTarget(k565, 4, 2, 0x1111);
    Pyxo::DDImage source(mDisplay);
    const std::vector<uint32_t> pixels = {0xFFFFFFFF, 0x00000000, 0xFF808080, 0xFFFFFFFF};
    source.SetBits(pixels.data(), 2, 2, true);
    ASSERT_TRUE(source.GenerateDDSurface());

    // The target stays locked across the copy, which DirectDraw only makes on unlocked surfaces.
    ASSERT_TRUE(mTarget->LockSurface());
    const int blits = Platform::DirectDrawCallCount(DirectDrawCall::Blt);
    mTarget->NormalBlt(&source, 2, 0, Rect(0, 0, 2, 2), Color::White);
    EXPECT_EQ(Platform::DirectDrawCallCount(DirectDrawCall::Blt), blits + 1);
    EXPECT_EQ(mTarget->mLockCount, 1);
    EXPECT_EQ(mTarget->mSurface->LockCount(), 1);
    ASSERT_TRUE(mTarget->UnlockSurface());
    // The transparent pixel is the source's colour key: it leaves the target alone.
    EXPECT_EQ(Row(0), (std::vector<uint32_t>{0x1111, 0x1111, 0xFFFF, 0x1111}));
    EXPECT_EQ(Row(1), (std::vector<uint32_t>{0x1111, 0x1111, 0x8410, 0xFFFF}));

    // A video-memory source is not copied into a system-memory target by DirectDraw: the copy path draws.
    MakeTarget(k565, 2, 1, 0);
    source.SetVideoMemory(true);
    ASSERT_NE(source.GetSurface(), nullptr);
    const int before = Platform::DirectDrawCallCount(DirectDrawCall::Blt);
    mTarget->NormalBlt(&source, 0, 0, Rect(0, 1, 2, 1), Color::White);
    EXPECT_EQ(Platform::DirectDrawCallCount(DirectDrawCall::Blt), before);
    EXPECT_EQ(Row(0), (std::vector<uint32_t>{0x8410, 0xFFFF}));
}

TEST_F(DDImageDrawBlitTest, AdditiveBlitsSaturateEachChannel)
{
    // Sources are premultiplied by alpha over 256 (255 takes 1 off 16), so a transparent pixel adds nothing and
    // alpha 128 adds half.
    const std::vector<uint32_t> pixels = {0xFF646464, 0xFF102030, 0x80FF0000, 0x00FF0000};
    struct Case {
        const char* name;
        Format format;
        Color color;
        std::vector<uint32_t> before, after;
    };
    const Case cases[] = {
        {"x888", kX888, Color::White, {0xC8C8C8, 0x010203, 0, 0x123456}, {0xFFFFFF, 0x102132, 0x7F0000, 0x123456}},
        // Red only: 0x10 x 255 >> 8 = 15, then 15 x 255 >> 8 = 14.
        {"x888 red", kX888, Color(255, 0, 0), {0, 0x010203, 0, 0}, {0x620000, 0x0F0203, 0x7E0000, 0}},
        {"565", k565, Color::White, {0xFFFF, 0, 0, 0}, {0xFFFF, 0x08E5, 0x7800, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto source = Source(4, 1, pixels);
        MakeTarget(c.format, 4, 1, 0);
        for (int x = 0; x < 4; ++x)
            mTarget->mSurface->SetPixelAt(x, 0, c.before[size_t(x)]);
        mTarget->Blt(source.get(), 0, 0, Rect(0, 0, 4, 1), c.color, 1);
        EXPECT_EQ(Colors(), c.after);
        EXPECT_EQ(mTarget->mLockCount, 0) << "both locks released";
    }
}

TEST_F(DDImageDrawBlitTest, MirroredBlitsWalkTheDestinationBackwards)
{
    auto source = Source(3, 1, {0xFF000001, 0xFF000002, 0xFF000003});
    struct Case {
        int x;
        std::vector<uint32_t> after;
    };
    const Case cases[] = {
        {1, {0, 3, 2, 1}},  // the last pixel lands on x
        {-1, {2, 1, 0, 0}}, // cut at the left edge: the last pixel falls off
        {2, {0, 0, 3, 2}},  // cut at the right edge: the first pixel falls off
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        MakeTarget(kX888, 4, 1, 0);
        mTarget->BltMirrored(source.get(), c.x, 0, Rect(0, 0, 3, 1), Color::White, 0);
        EXPECT_EQ(Colors(), c.after);
    }

    MakeTarget(kX888, 4, 1, 0x10);
    mTarget->BltMirrored(source.get(), 0, 0, Rect(0, 0, 3, 1), Color::White, 1);
    EXPECT_EQ(Colors(), (std::vector<uint32_t>{0x13, 0x12, 0x11, 0x10}));

    // Another draw mode draws nothing, and still leaves the surface as the only store.
    MakeTarget(kX888, 4, 1, 0x10);
    ASSERT_NE(mTarget->mBits, nullptr);
    mTarget->BltMirrored(source.get(), 0, 0, Rect(0, 0, 3, 1), Color::White, 2);
    EXPECT_EQ(Colors(), (std::vector<uint32_t>(4, 0x10)));
    EXPECT_EQ(mTarget->mBits, nullptr);
}

// The display's 3-D draw surface is drawn by the 3-D interface alone: no surface loop touches it.
TEST_F(DDImageDrawBlitTest, TheThreeDDrawSurfaceIsLeftToTheDevice)
{
    ASSERT_EQ(StartWindowed(), Pyxo::DDInterface::RESULT_OK);
    mDisplay->mIs3D = true;
    Pyxo::DDImage* screen = mDisplay->GetScreenImage();
    ASSERT_TRUE(screen->Uses3D());
    mDisplay->mDrawSurface->SetPixelAt(1, 1, 0x123456);
    auto source = Source(2, 2, std::vector<uint32_t>(4, 0xFFFFFFFF));
    const Rect all(0, 0, 800, 600);
    screen->BltMirrored(source.get(), 1, 1, Rect(0, 0, 2, 2), Color::White, 0);
    screen->BltRotated(source.get(), 0.5f, 0.5f, Rect(0, 0, 2, 2), all, Color::White, 0, 0.3, 1, 1);
    screen->StretchBlt(source.get(), Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), all, Color::White, 0, true);
    screen->StretchBltMirrored(source.get(), Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), all, Color::White, 0, false);
    const Pyxo::Span span{1, 0, 3};
    const uint8_t coverage[3] = {255, 255, 255};
    screen->FillSpansWithCoverage(&span, 1, Color::White, 0, coverage, 0, 1, 3, 1);
    EXPECT_EQ(mDisplay->mDrawSurface->PixelAt(1, 1), 0x123456u);
    EXPECT_EQ(mDisplay->mDrawSurface->LockCount(), 0);
}

// An image whose surface cannot be made keeps its pixels: the memory stores are dropped only while a surface
// holds them.
TEST_F(DDImageDrawBlitTest, AFailedSurfaceDrawKeepsTheBits)
{
    ASSERT_EQ(StartWindowed(), Pyxo::DDInterface::RESULT_OK);
    Pyxo::DDImage translucent(mDisplay);
    const std::vector<uint32_t> pixels = {0x80FFFFFF, 0xFF000000};
    translucent.SetBits(pixels.data(), 2, 1, true);
    auto source = Source(1, 1, {0xFFFFFFFF});
    translucent.BltMirrored(source.get(), 0, 0, Rect(0, 0, 1, 1), Color::White, 0);
    ASSERT_EQ(translucent.mSurface, nullptr);
    ASSERT_NE(translucent.mBits, nullptr);
    EXPECT_EQ(translucent.mBits[0], 0x80FFFFFFu);
}

} // namespace
