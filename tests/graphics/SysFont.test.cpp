#include "graphics/SysFont.h"

#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "tests/graphics/DDImageDrawTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <memory>
#include <string>
#include <vector>

namespace {

using Pyxo::Color;
using Pyxo::Graphics;
using Pyxo::Image;
using Pyxo::MemoryImage;
using Pyxo::Rect;
using Pyxo::SysFont;

// A memory image that takes every blit as a plain copy of the source's pixels, so that the test sees exactly
// the text image the font made and where it went.
struct CaptureImage : MemoryImage {
    int blits = 0;
    Rect placed;
    CaptureImage(int width, int height) : MemoryImage(nullptr)
    {
        Create(width, height);
        Clear();
    }
    void Blt(Image* image, int x, int y, const Rect& srcRect, const Color&, int) override
    {
        auto* source = dynamic_cast<MemoryImage*>(image);
        ASSERT_NE(source, nullptr);
        ++blits;
        placed = Rect(x - srcRect.mX, y - srcRect.mY, source->GetWidth(), source->GetHeight());
        const uint32_t* from = source->GetBits();
        uint32_t* to = GetBits();
        for (int row = 0; row < srcRect.mHeight; ++row) {
            for (int col = 0; col < srcRect.mWidth; ++col) {
                to[(y + row) * mWidth + x + col] = from[(srcRect.mY + row) * source->GetWidth() + srcRect.mX + col];
            }
        }
        BitsChanged();
    }
    uint32_t At(int x, int y) { return GetBits()[y * mWidth + x]; }
};

TEST(SysFont, SizesAtNinetySixDotsPerInch)
{
    SysFont font("Arial", 12, false, false, false);
    ASSERT_TRUE(font.IsValid()) << "fontconfig found no font for Arial";
    EXPECT_FALSE(font.GetFontFile().empty());
    // 12 points are 16 pixels of em; the cell adds the face's room above and below.
    EXPECT_GE(font.GetHeight(), 16);
    EXPECT_LE(font.GetHeight(), 22);
    EXPECT_GT(font.GetAscent(), font.GetDescent());
    EXPECT_GT(font.GetDescent(), 0);
    EXPECT_EQ(font.GetLineSpacing(), font.GetHeight());

    SysFont large("Arial", 24, false, false, false);
    EXPECT_GT(large.GetHeight(), font.GetHeight() + 8);
    EXPECT_GT(large.StringWidth(L"Hello"), font.StringWidth(L"Hello"));
}

TEST(SysFont, MeasuresWideStrings)
{
    SysFont font("DejaVu Sans", 10, false, false, false);
    ASSERT_TRUE(font.IsValid());
    EXPECT_EQ(font.StringWidth(L""), 0);
    EXPECT_LT(font.StringWidth(L"ii"), font.StringWidth(L"WW"));
    EXPECT_EQ(font.StringWidth(L"ab"), font.CharWidth(L'a') + font.CharWidth(L'b'));
    EXPECT_GT(font.StringWidth(L"\u00c5\u0416"), 0) << "Latin and Cyrillic letters";
    // A surrogate pair is one character; a lone surrogate is measured as a replacement character.
    const std::wstring pair = {wchar_t(0xD83D), wchar_t(0xDE00)};
    EXPECT_GE(font.StringWidth(pair), 0);
    EXPECT_EQ(font.StringWidth(std::wstring(1, wchar_t(0xDC00))), font.StringWidth(L"\ufffd"));

    SysFont bold("DejaVu Sans", 10, true, false, false);
    EXPECT_GT(bold.StringWidth(L"Hello"), font.StringWidth(L"Hello"));
}

TEST(SysFont, DrawsAntialiasedTextAtTheBaseline)
{
    SysFont font("Arial", 16, false, false, false);
    ASSERT_TRUE(font.IsValid());
    CaptureImage dest(200, 60);
    Graphics g(&dest);
    g.SetFont(&font);
    g.SetColor(Color(255, 0, 0, 0)); // the colour's alpha does not matter to text
    g.Translate(3, 0);
    g.DrawString(L"Hello", 10, 40);

    ASSERT_EQ(dest.blits, 1);
    EXPECT_EQ(dest.placed, Rect(13, 40 - font.GetAscent(), font.StringWidth(L"Hello"), font.GetHeight()));
    int solid = 0;
    int edge = 0;
    int empty = 0;
    for (int y = 0; y < dest.GetHeight(); ++y) {
        for (int x = 0; x < dest.GetWidth(); ++x) {
            const uint32_t pixel = dest.At(x, y);
            const uint32_t alpha = pixel >> 24;
            (alpha == 255 ? solid : alpha == 0 ? empty : edge) += 1;
            if (alpha != 0) {
                EXPECT_EQ(pixel & 0xFFFFFF, 0xFF0000u) << "at " << x << ", " << y;
            }
        }
    }
    EXPECT_GT(solid, 20);
    EXPECT_GT(edge, 10);
    EXPECT_GT(empty, 0);
}

// Columns (for "I", a vertical bar) that hold any covered pixel of the given colour.
std::vector<int> CoveredColumns(CaptureImage& image, uint32_t rgb)
{
    std::vector<int> columns;
    for (int x = 0; x < image.GetWidth(); ++x) {
        for (int y = 0; y < image.GetHeight(); ++y) {
            const uint32_t pixel = image.At(x, y);
            if ((pixel >> 24) != 0 && (pixel & 0xFFFFFF) == rgb) {
                columns.push_back(x);
                break;
            }
        }
    }
    return columns;
}

TEST(SysFont, ShadowLiesOnePixelRightAndDown)
{
    SysFont font("DejaVu Sans", 20, false, false, false);
    ASSERT_TRUE(font.IsValid());
    CaptureImage plain(60, 60);
    CaptureImage shadowed(60, 60);
    Graphics g(&plain);
    g.SetFont(&font);
    g.SetColor(Color(0, 0, 255));
    g.DrawString(L"I", 10, 40);
    font.mDrawShadow = true;
    Graphics gs(&shadowed);
    gs.SetFont(&font);
    gs.SetColor(Color(0, 0, 255));
    gs.DrawString(L"I", 10, 40);

    const std::vector<int> bar = CoveredColumns(plain, 0x0000FF);
    ASSERT_FALSE(bar.empty());
    const std::vector<int> black = CoveredColumns(shadowed, 0x000000);
    ASSERT_FALSE(black.empty()) << "the shadow shows to the right of the bar";
    EXPECT_EQ(black.back(), bar.back() + 1);

    int lowestText = 0;
    int lowestShadow = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 60; ++x) {
            if ((plain.At(x, y) >> 24) != 0) {
                lowestText = y;
            }
            if ((shadowed.At(x, y) >> 24) != 0) {
                lowestShadow = y;
            }
        }
    }
    EXPECT_EQ(lowestShadow, lowestText + 1);
}

TEST(SysFont, BoldSimulationWidensTheStrokes)
{
    SysFont font("DejaVu Sans", 20, false, false, false);
    ASSERT_TRUE(font.IsValid());
    CaptureImage plain(60, 60);
    CaptureImage bold(60, 60);
    Graphics g(&plain);
    g.SetFont(&font);
    g.DrawString(L"I", 10, 40);
    font.mSimulateBold = true;
    Graphics gb(&bold);
    gb.SetFont(&font);
    gb.DrawString(L"I", 10, 40);
    EXPECT_EQ(CoveredColumns(bold, 0).size(), CoveredColumns(plain, 0).size() + 1);
}

TEST(SysFont, DuplicateKeepsTheFaceAndClearsTheFlags)
{
    SysFont font("Liberation Serif", 14, false, true, true);
    ASSERT_TRUE(font.IsValid());
    font.mDrawShadow = true;
    font.mSimulateBold = true;
    const std::unique_ptr<Pyxo::Font> copy = font.Duplicate();
    auto* sysCopy = dynamic_cast<SysFont*>(copy.get());
    ASSERT_NE(sysCopy, nullptr);
    EXPECT_FALSE(sysCopy->mDrawShadow);
    EXPECT_FALSE(sysCopy->mSimulateBold);
    EXPECT_EQ(sysCopy->GetAscent(), font.GetAscent());
    EXPECT_EQ(sysCopy->GetHeight(), font.GetHeight());
    EXPECT_EQ(sysCopy->StringWidth(L"Wrap"), font.StringWidth(L"Wrap"));
    EXPECT_EQ(sysCopy->GetFontFile(), font.GetFontFile());
}

class SysFontOnSurface : public SurfaceDrawTest::Fixture {};

// A surface image takes the text straight into its pixels, one row lower than a memory image (where the cell's
// top is the baseline minus the ascent); solid glyph pixels hold exactly the colour, in 32 and in 16 bits.
TEST_F(SysFontOnSurface, LandsWhereTheMemoryImageHasItOneRowLower)
{
    SysFont font("DejaVu Sans", 14, false, false, false);
    ASSERT_TRUE(font.IsValid());
    struct Case {
        const SurfaceDrawTest::Format* format;
        uint32_t white;
        bool shadow;
    };
    const Case cases[] = {
        {&SurfaceDrawTest::kX888, 0xFFFFFF, false},
        {&SurfaceDrawTest::k565, 0xFFFF, false},
        {&SurfaceDrawTest::k565, 0xFFFF, true},
    };
    constexpr int kWidth = 70;
    constexpr int kHeight = 32;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.format->name) + (c.shadow ? " with shadow" : ""));
        font.mDrawShadow = c.shadow;
        MakeTarget(*c.format, kWidth, kHeight, 0);
        Graphics onSurface(mTarget.get());
        onSurface.SetFont(&font);
        onSurface.SetColor(Color(255, 255, 255, 40)); // the colour's alpha does not matter to text
        onSurface.Translate(2, 1);
        onSurface.DrawString(L"Agy", 3, 20);

        MemoryImage memory(nullptr);
        const std::vector<uint32_t> black(size_t(kWidth) * kHeight, 0xFF000000);
        memory.SetBits(black.data(), kWidth, kHeight, true);
        Graphics onMemory(&memory);
        onMemory.SetFont(&font);
        onMemory.SetColor(Color(255, 255, 255));
        onMemory.Translate(2, 1);
        onMemory.DrawString(L"Agy", 3, 21);

        // Every pixel agrees with the memory image within what the surface's channels can hold.
        const bool wide = c.white == 0xFFFFFF;
        const auto channels = [&](uint32_t raw) {
            if (wide)
                return std::array<int, 3>{int(raw >> 16 & 0xFF), int(raw >> 8 & 0xFF), int(raw & 0xFF)};
            return std::array<int, 3>{int((raw >> 11) * 255 / 31), int((raw >> 5 & 0x3F) * 255 / 63),
                                      int((raw & 0x1F) * 255 / 31)};
        };
        // The glyphs are blitted by the rasterizer's rules (the 3-D path's), which skip an alpha of 8 or less and
        // store 240 or more as opaque.
        const int tolerance = 16;
        const uint32_t* bits = memory.GetBits();
        int solid = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const uint32_t expected = bits[y * kWidth + x];
                const uint32_t raw = At(x, y) & c.white; // the unused byte of x888 is not compared
                const std::array<int, 3> drawn = channels(raw);
                for (int i = 0; i < 3; ++i) {
                    EXPECT_NEAR(drawn[i], int(expected >> (16 - 8 * i) & 0xFF), tolerance) << "at " << x << ", " << y;
                }
                if (expected == 0xFFFFFFFF) {
                    ++solid;
                    EXPECT_EQ(raw, c.white) << "at " << x << ", " << y;
                }
            }
        }
        EXPECT_GT(solid, 20);
    }
}

TEST_F(SysFontOnSurface, IsCutToTheClip)
{
    SysFont font("DejaVu Sans", 14, false, false, false);
    ASSERT_TRUE(font.IsValid());
    MakeTarget(SurfaceDrawTest::kX888, 60, 30, 0);
    Graphics g(mTarget.get());
    g.SetFont(&font);
    g.SetColor(Color(255, 0, 0));
    g.ClipRect(10, 0, 8, 30);
    g.DrawString(L"WWW", 2, 20);
    int inside = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 60; ++x) {
            if (x < 10 || x >= 18) {
                EXPECT_EQ(At(x, y), 0u) << "at " << x << ", " << y;
            } else {
                inside += At(x, y) != 0 ? 1 : 0;
            }
        }
    }
    EXPECT_GT(inside, 10);
}

// Text cut by the edge of its destination has the pixels it has where it is drawn whole: only the part that
// shows is rendered, whatever the shadow, bold and underline add.
TEST(SysFont, TextCutByTheDestinationKeepsItsPixels)
{
    struct Case {
        const char* name;
        bool shadow, bold, underline;
    };
    const Case cases[] = {
        {"plain", false, false, false},
        {"shadow and bold", true, true, false},
        {"underline with shadow", true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SysFont font("DejaVu Sans", 20, false, false, c.underline);
        ASSERT_TRUE(font.IsValid());
        font.mDrawShadow = c.shadow;
        font.mSimulateBold = c.bold;
        const auto draw = [&](int width, int height, int x, int y) {
            auto image = std::make_unique<MemoryImage>(nullptr);
            const std::vector<uint32_t> black(size_t(width) * height, 0xFF000000);
            image->SetBits(black.data(), width, height, true);
            Graphics g(image.get());
            g.SetFont(&font);
            g.SetColor(Color(255, 200, 0));
            g.DrawString(L"Wag_y W", x, y);
            return image;
        };
        const auto whole = draw(160, 60, 20, 35);
        const auto cut = draw(40, 20, 20 - 50, 35 - 25); // shows (50, 25)-(90, 45) of the whole
        int covered = 0;
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 40; ++x) {
                const uint32_t expected = whole->GetBits()[(y + 25) * 160 + x + 50];
                ASSERT_EQ(cut->GetBits()[y * 40 + x], expected) << "at " << x << ", " << y;
                covered += expected != 0xFF000000;
            }
        }
        EXPECT_GT(covered, 10);
    }
}

// A long string at a large size renders only what its destination shows: the text image is the size of the
// visible part, not of the string (two hundred letters of a thousand points would take gigabytes).
TEST(SysFont, HugeTextRendersOnlyTheVisiblePart)
{
    SysFont font("DejaVu Sans", 1000, false, false, false);
    ASSERT_TRUE(font.IsValid());
    EXPECT_GT(font.GetHeight(), 1000);
    CaptureImage dest(120, 50);
    Graphics g(&dest);
    g.SetFont(&font);
    g.DrawString(std::wstring(200, L'\u2588'), -300, 700); // full blocks: whatever shows is covered
    ASSERT_EQ(dest.blits, 1);
    EXPECT_EQ(dest.placed, Rect(0, 0, 120, 50));
    int covered = 0;
    for (int y = 0; y < 50; ++y) {
        for (int x = 0; x < 120; ++x) {
            covered += (dest.At(x, y) >> 24) == 255;
        }
    }
    EXPECT_EQ(covered, 120 * 50);
}

TEST(SysFont, SizesLargerThanAScreenMakeNoFace)
{
    for (const int points : {SysFont::kMaxPointSize + 1, 100000, INT_MAX, -100000, INT_MIN}) {
        SCOPED_TRACE(points);
        SysFont font("DejaVu Sans", points, false, false, false);
        EXPECT_FALSE(font.IsValid());
        EXPECT_EQ(font.GetHeight(), 0);
        EXPECT_EQ(font.StringWidth(L"text"), 0);
        CaptureImage dest(20, 20);
        Graphics g(&dest);
        g.SetFont(&font);
        g.DrawString(L"text", 0, 10);
        EXPECT_EQ(dest.blits, 0);
    }
    EXPECT_TRUE(SysFont("DejaVu Sans", SysFont::kMaxPointSize, false, false, false).IsValid());
}

TEST(SysFont, NothingIsDrawnWithoutADestination)
{
    SysFont font("Arial", 12, false, false, true);
    Graphics g(nullptr);
    g.SetFont(&font);
    g.DrawString(L"invisible", 0, 10);
    EXPECT_GT(g.GetWrappedTextHeight(40, L"some words to wrap", -1, nullptr), font.GetHeight());
}

} // namespace
