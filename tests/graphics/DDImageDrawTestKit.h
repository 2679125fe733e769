#pragma once

// Small surfaces for the surface image's pixel loops: a display in the format under test, a surface image of a
// few pixels whose raw surface values the test sets and reads, and memory images as sources.

#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "tests/graphics/DisplayTestKit.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace SurfaceDrawTest {

struct Format {
    const char* name;
    Platform::PixelFormat format;
};

inline const Format kX888{"x888", Platform::kFormatX888};
inline const Format k565{"565", Platform::kFormat565};
inline const Format k555{"555", Platform::kFormat555};
/// Blue in the high byte: the channel-order flag is off, so the loops work per channel with the masks.
inline const Format kBgr{"bgr", Platform::PixelFormat{Platform::DDPF_RGB, 32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0}};
/// A 16-bit layout that is neither 5-6-5 nor 5-5-5.
inline const Format k444{"444", Platform::PixelFormat{Platform::DDPF_RGB, 16, 0x0F00, 0x00F0, 0x000F, 0}};

class Fixture : public DisplayTest::DisplayFixture {
protected:
    void TearDown() override
    {
        mTarget.reset(); // before the display it belongs to
        DisplayTest::DisplayFixture::TearDown();
    }

    /// Starts the display in the format and makes the target: a surface image of width x height whose surface
    /// pixels all hold the raw value.
    void MakeTarget(const Format& format, int width, int height, uint32_t raw = 0)
    {
        mTarget.reset();
        ASSERT_EQ(StartWindowed(format.format), Pyxo::DDInterface::RESULT_OK);
        mTarget = std::make_unique<Pyxo::DDImage>(mDisplay);
        const std::vector<uint32_t> black(size_t(width) * size_t(height), 0xFF000000);
        mTarget->SetBits(black.data(), width, height, true);
        ASSERT_TRUE(mTarget->GenerateDDSurface());
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                mTarget->mSurface->SetPixelAt(x, y, raw);
        }
    }

    /// The raw surface pixel of the target; 0 outside it.
    uint32_t At(int x, int y) const { return mTarget->mSurface->PixelAt(x, y); }

    /// One row of raw pixels, for whole-row comparisons.
    std::vector<uint32_t> Row(int y) const
    {
        std::vector<uint32_t> row;
        for (int x = 0; x < mTarget->GetWidth(); ++x)
            row.push_back(At(x, y));
        return row;
    }

    /// A memory image of the application holding the ARGB pixels, row after row.
    std::unique_ptr<Pyxo::MemoryImage> Source(int width, int height, const std::vector<uint32_t>& pixels)
    {
        auto image = std::make_unique<Pyxo::MemoryImage>(mApp.get());
        image->SetBits(pixels.data(), width, height, true);
        return image;
    }

    std::unique_ptr<Pyxo::DDImage> mTarget;
};

} // namespace SurfaceDrawTest
