#include "graphics/ImageFont.h"

#include "graphics/FontData.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "tests/graphics/ImageFontTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using ImageFontTest::Blit;
using Pyxo::Color;
using Pyxo::ImageFont;
using Pyxo::Rect;

constexpr uint32_t kGlyphColors[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}; // A B V C

/// A 16 x 6 sheet of four solid 4 x 6 glyphs (A, B, V, C from the left) and a fill layer at 12 points: widths
/// 5 6 7 8, spacing 1, A before V kerned by -2, ascent 5.
constexpr const wchar_t* kFillLayer = L"SetDefaultPointSize 12;\n"
                                      L"Define Chars ('A' 'B' 'V' 'C');\n"
                                      L"CreateHorzSpanRectList Sheet (0 0 0 6) (4 4 4 4);\n"
                                      L"CreateLayer Fill;\n"
                                      L"LayerSetImage Fill 'glyphs.png';\n"
                                      L"LayerSetImageMap Fill Chars Sheet;\n"
                                      L"LayerSetCharWidths Fill Chars (5 6 7 8);\n"
                                      L"LayerSetKerningPairs Fill ('AV') (-2);\n"
                                      L"LayerSetSpacing Fill 1;\n"
                                      L"LayerSetAscent Fill 5;\n"
                                      L"LayerSetPointSize Fill 12;\n";

class ImageFonts : public ::testing::Test {
protected:
    void SetUp() override
    {
        mSheet = mApp.AddImage(mFolder.Path("glyphs.png"), 16, 6,
                               [](int x, int) { return kGlyphColors[std::min(x / 4, 3)]; });
    }

    std::unique_ptr<ImageFont> MakeFont(const std::wstring& descriptor)
    {
        auto font = std::make_unique<ImageFont>(&mApp, mFolder.WriteDescriptor("font.txt", descriptor));
        EXPECT_TRUE(font->mFontData->mInitialized) << font->mFontData->GetErrorText();
        return font;
    }

    static std::vector<std::string> ActiveNames(ImageFont& font)
    {
        font.Prepare();
        std::vector<std::string> names;
        for (const auto& active : font.mActiveLayerList)
            names.push_back(active.mBaseFontLayer->mLayerName);
        return names;
    }

    ImageFontTest::FontApp mApp; // outlives the fonts
    ImageFontTest::TempFolder mFolder;
    Pyxo::DDImage* mSheet = nullptr;
};

TEST_F(ImageFonts, LayersAreChosenByTagsAndPointSize)
{
    auto font = MakeFont(L"CreateLayer Main;\n"
                         L"CreateLayer Outline; LayerRequireTags Outline ('outline');\n"
                         L"CreateLayer Shadow; LayerExcludeTags Shadow ('Flat');\n"
                         L"CreateLayer Big; LayerPointRange Big 20 -1;\n"
                         L"CreateLayer Small; LayerPointRange Small -1 15;\n"
                         L"CreateLayer Glow; LayerPointRange Glow 12 12; LayerRequireTags Glow ('outline' 'glow');\n");
    const struct {
        int pointSize;
        std::vector<std::string> tags;
        std::vector<std::string> layers;
    } kCases[] = {
        {0, {}, {"MAIN", "SHADOW", "SMALL"}},
        {12, {"outline"}, {"MAIN", "OUTLINE", "SHADOW", "SMALL"}},
        {12, {"Outline", "GLOW"}, {"MAIN", "OUTLINE", "SHADOW", "SMALL", "GLOW"}},
        {13, {"outline", "glow"}, {"MAIN", "OUTLINE", "SHADOW", "SMALL"}},
        {12, {"flat"}, {"MAIN", "SMALL"}},
        {15, {}, {"MAIN", "SHADOW", "SMALL"}},
        {16, {}, {"MAIN", "SHADOW"}},
        {20, {"glow"}, {"MAIN", "SHADOW", "BIG"}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "point size " << c.pointSize << ", " << c.tags.size() << " tags");
        ImageFont copy(*font);
        copy.SetPointSize(c.pointSize);
        for (const std::string& tag : c.tags)
            EXPECT_TRUE(copy.AddTag(tag));
        EXPECT_EQ(ActiveNames(copy), c.layers);
    }

    // Tags are stored upper-cased, compared exactly, and each change makes the layers stale.
    EXPECT_TRUE(font->AddTag("outline"));
    EXPECT_FALSE(font->AddTag("Outline"));
    EXPECT_TRUE(font->HasTag("OUTLINE"));
    EXPECT_FALSE(font->HasTag("outline"));
    EXPECT_FALSE(font->mActiveListValid);
    EXPECT_EQ(ActiveNames(*font), (std::vector<std::string>{"MAIN", "OUTLINE", "SHADOW", "SMALL"}));
    EXPECT_FALSE(font->RemoveTag("glow"));
    EXPECT_TRUE(font->mActiveListValid) << "removing a missing tag changes nothing";
    EXPECT_TRUE(font->RemoveTag("outline"));
    EXPECT_EQ(font->mTagVector.size(), 0u);
    EXPECT_EQ(ActiveNames(*font), (std::vector<std::string>{"MAIN", "SHADOW", "SMALL"}));
}

TEST_F(ImageFonts, MetricsComeFromTheActiveLayers)
{
    auto font = MakeFont(L"SetDefaultPointSize 10;\n"
                         L"CreateLayer A; LayerSetPointSize A 10; LayerSetAscent A 10; LayerSetHeight A 14;\n"
                         L"LayerSetAscentPadding A 2; LayerSetLineSpacingOffset A -1;\n"
                         L"CreateLayerFrom B A; LayerSetAscent B 12; LayerSetHeight B 0;\n"
                         L"LayerSetAscentPadding B 3; LayerSetLineSpacingOffset B 4;\n");
    EXPECT_EQ(font->GetDefaultPointSize(), 10);
    EXPECT_EQ(font->GetPointSize(), 10);
    EXPECT_EQ(font->GetAscent(), 12);
    EXPECT_EQ(font->GetHeight(), 14);
    EXPECT_EQ(font->GetAscentPadding(), 2);     // the smallest
    EXPECT_EQ(font->GetLineSpacingOffset(), 4); // the largest
    EXPECT_EQ(font->GetDescent(), 2);
    EXPECT_EQ(font->GetLineSpacing(), 18);

    // At 15 points everything is 1.5 times as large, each value truncated.
    font->SetPointSize(15);
    font->Prepare();
    EXPECT_EQ(font->GetAscent(), 18);
    EXPECT_EQ(font->GetHeight(), 21);
    EXPECT_EQ(font->GetAscentPadding(), 3);
    EXPECT_EQ(font->GetLineSpacingOffset(), 6);

    // A font whose descriptor failed has no layers, no metrics and draws nothing.
    ImageFont broken(&mApp, mFolder.WriteDescriptor("broken.txt", L"CreateLayer A; LayerSetHeight A x;"));
    EXPECT_FALSE(broken.mFontData->mInitialized);
    EXPECT_EQ(broken.GetHeight(), 0);
    EXPECT_EQ(broken.StringWidth(L"AB"), 0);
    ImageFontTest::RecordingImage screen;
    Pyxo::Graphics g(&screen);
    int width = -1;
    broken.DrawStringEx(&g, 0, 0, L"AB", Color::White, Rect(), nullptr, &width);
    EXPECT_EQ(width, 0);
    EXPECT_TRUE(screen.mBlits.empty());
}

TEST_F(ImageFonts, WidthsAndKerning)
{
    auto font = MakeFont(std::wstring(kFillLayer) + L"CreateLayer Wide; LayerSetCharWidths Wide ('C') (11);\n");
    const struct {
        int pointSize;
        double scale;
        const wchar_t* text;
        int width;
    } kCases[] = {
        {12, 1.0, L"", 0},     {12, 1.0, L"A", 5},   {12, 1.0, L"AV", 11}, // 5 + (7 + spacing 1 - 2)
        {12, 1.0, L"AB", 12},  {12, 1.0, L"VA", 13}, {12, 1.0, L"C", 11},  // the widest layer
        {12, 1.0, L"AzB", 13}, {24, 1.0, L"AV", 22},                       // 10 + (14 - 2)
        {18, 1.0, L"AV", 16},                                              // 7 + (10 - 1): each step truncated
        {12, 2.0, L"AV", 22},  {6, 2.0, L"AV", 11},
    };
    ImageFontTest::RecordingImage screen;
    Pyxo::Graphics g(&screen);
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << Pyxo::WStringToString(c.text) << " at " << c.pointSize << " x " << c.scale);
        font->SetPointSize(c.pointSize);
        font->SetScale(c.scale);
        EXPECT_EQ(font->StringWidth(c.text), c.width);
        int drawn = -1;
        font->DrawStringEx(&g, 7, 30, c.text, Color::White, Rect(), nullptr, &drawn);
        EXPECT_EQ(drawn, c.width) << "drawing advances as measuring does";
    }
    font->SetPointSize(12);
    font->SetScale(1.0);
    EXPECT_EQ(font->CharWidth(L'V'), 7);
    EXPECT_EQ(font->CharWidthKern(L'V', L'A'), 6);
    EXPECT_EQ(font->CharWidthKern(L'A', L'V'), 6);
    EXPECT_EQ(font->CharWidth(L'z'), 0);
}

TEST_F(ImageFonts, OtherSizesDrawFromAScaledCopy)
{
    auto font = MakeFont(kFillLayer);
    font->Prepare();
    ASSERT_EQ(font->mActiveLayerList.size(), 1u);
    EXPECT_FALSE(font->mActiveLayerList.front().OwnsImage());
    EXPECT_EQ(font->mActiveLayerList.front().mScaledImage, mSheet) << "at its own size the layer image is used";

    font->SetPointSize(24);
    font->Prepare();
    const Pyxo::ActiveFontLayer& active = font->mActiveLayerList.front();
    ASSERT_TRUE(active.OwnsImage());
    Pyxo::MemoryImage* strip = active.mScaledImage;
    ASSERT_NE(strip, nullptr);
    // Glyphs doubled and laid side by side in character order: A B C V.
    EXPECT_EQ(strip->GetWidth(), 32);
    EXPECT_EQ(strip->GetHeight(), 12);
    const struct {
        wchar_t character;
        Rect rect;
        uint32_t color;
    } kGlyphs[] = {
        {L'A', {0, 0, 8, 12}, kGlyphColors[0]},
        {L'B', {8, 0, 8, 12}, kGlyphColors[1]},
        {L'C', {16, 0, 8, 12}, kGlyphColors[3]},
        {L'V', {24, 0, 8, 12}, kGlyphColors[2]},
    };
    const uint32_t* bits = strip->GetBits();
    ASSERT_NE(bits, nullptr);
    for (const auto& glyph : kGlyphs) {
        SCOPED_TRACE(char(glyph.character));
        EXPECT_EQ(active.GetCharRect(glyph.character), glyph.rect);
        const int centre = (glyph.rect.mY + 6) * strip->GetWidth() + glyph.rect.mX + 4;
        // Stretching may round a channel by a step or two.
        for (int shift = 0; shift < 32; shift += 8)
            EXPECT_NEAR(int((bits[centre] >> shift) & 0xFF), int((glyph.color >> shift) & 0xFF), 2) << shift;
    }
    EXPECT_EQ(active.GetCharRect(L'z'), Rect(32, 0, 0, 0)) << "the codes 0..255 exist, most of them empty";
    EXPECT_EQ(active.GetCharRect(L'\x263A'), Rect());

    // A copy of the font owns a copy of the strip, which outlives the original.
    std::unique_ptr<Pyxo::Font> copy = font->Duplicate();
    auto& copied = static_cast<ImageFont&>(*copy);
    ASSERT_EQ(copied.mActiveLayerList.size(), 1u);
    Pyxo::MemoryImage* copiedStrip = copied.mActiveLayerList.front().mScaledImage;
    ASSERT_NE(copiedStrip, nullptr);
    EXPECT_NE(copiedStrip, strip);
    font.reset();
    EXPECT_EQ(copiedStrip->GetWidth(), 32);
    ImageFontTest::RecordingImage screen;
    Pyxo::Graphics g(&screen);
    copy->DrawString(&g, 0, 100, L"V", Color::White, Rect());
    ASSERT_EQ(screen.mBlits.size(), 1u);
    EXPECT_EQ(screen.mBlits[0].mImage, copiedStrip);
    EXPECT_EQ(screen.mBlits[0].mSrcRect, Rect(24, 0, 8, 12));
    EXPECT_EQ(screen.mBlits[0].mY, 90) << "ascent 5 doubled";

    // A copy of a layer that uses the pooled image shares it.
    auto plain = MakeFont(kFillLayer);
    plain->Prepare();
    ImageFont plainCopy(*plain);
    EXPECT_EQ(plainCopy.mActiveLayerList.front().mScaledImage, mSheet);
    EXPECT_FALSE(plainCopy.mActiveLayerList.front().OwnsImage());
}

TEST_F(ImageFonts, ALayerWithoutPointSizeFollowsTheScale)
{
    auto font = MakeFont(L"CreateLayer Any; LayerSetImage Any 'glyphs.png'; LayerSetImageMap Any ('A') ((0 0 4 6));"
                         L"LayerSetCharWidths Any ('A') (5); LayerSetAscent Any 3;");
    font->SetPointSize(40);
    font->Prepare();
    EXPECT_EQ(font->mActiveLayerList.front().mScaledImage, mSheet) << "any size, scale 1: no copy";
    EXPECT_EQ(font->StringWidth(L"AA"), 10);
    font->SetScale(1.5);
    EXPECT_EQ(font->StringWidth(L"AA"), 14);
    EXPECT_EQ(font->GetAscent(), 4);
    EXPECT_EQ(font->mActiveLayerList.front().GetCharRect(L'A'), Rect(0, 0, 6, 9));
}

TEST_F(ImageFonts, DrawsLayerByLayerInOrder)
{
    auto font = MakeFont(std::wstring(kFillLayer) + L"LayerSetColorMult Fill (1 0.5 1 1);\n"
                                                    L"CreateLayerFrom Outline Fill;\n"
                                                    L"LayerSetBaseOrder Outline -1;\n"
                                                    L"LayerSetOffset Outline (-1 -1);\n"
                                                    L"LayerSetDrawMode Outline 1;\n"
                                                    L"LayerSetColorMult Outline 0xFFFFFFFF;\n"
                                                    L"LayerSetColorAdd Outline 0x40102030;\n");
    ImageFontTest::RecordingImage screen;
    Pyxo::Graphics g(&screen);
    g.SetColor(Color(1, 2, 3, 4));
    g.SetDrawMode(0);
    std::vector<Rect> rects;
    int width = 0;
    font->DrawStringEx(&g, 100, 50, L"AB", Color(200, 100, 50, 255), Rect(), &rects, &width);

    // Every outline glyph lies under every fill glyph; fill colour 255*200/255, 127*100/255, ...; the outline
    // adds its colour, capped at 255.
    const Color fill(200, 49, 50, 255);
    const Color outline(216, 132, 98, 255);
    const std::vector<Blit> expected = {
        {mSheet, 99, 44, {0, 0, 4, 6}, outline, 1},
        {mSheet, 105, 44, {4, 0, 4, 6}, outline, 1},
        {mSheet, 100, 45, {0, 0, 4, 6}, fill, 0},
        {mSheet, 106, 45, {4, 0, 4, 6}, fill, 0},
    };
    ASSERT_EQ(screen.mBlits.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(screen.mBlits[i].mImage, expected[i].mImage);
        EXPECT_EQ(screen.mBlits[i].mX, expected[i].mX);
        EXPECT_EQ(screen.mBlits[i].mY, expected[i].mY);
        EXPECT_EQ(screen.mBlits[i].mSrcRect, expected[i].mSrcRect);
        EXPECT_EQ(screen.mBlits[i].mColor, expected[i].mColor);
        EXPECT_EQ(screen.mBlits[i].mDrawMode, expected[i].mDrawMode);
    }
    // The glyph rectangles in queue order: each character's layers in descriptor order.
    EXPECT_EQ(rects, (std::vector<Rect>{{100, 45, 4, 6}, {99, 44, 4, 6}, {106, 45, 4, 6}, {105, 44, 4, 6}}));
    EXPECT_EQ(width, 12);
    EXPECT_EQ(g.GetColor(), Color(1, 2, 3, 4));
    EXPECT_EQ(g.GetDrawMode(), 0);
    EXPECT_FALSE(g.GetColorize());

    // Through the drawing context's text operation, in its colour.
    screen.mBlits.clear();
    g.SetFont(font.get());
    g.SetColor(Color::White);
    g.DrawString(L"B", 10, 20);
    ASSERT_EQ(screen.mBlits.size(), 2u);
    EXPECT_EQ(screen.mBlits[1].mX, 10);
    EXPECT_EQ(screen.mBlits[1].mColor, Color(255, 127, 255, 255));
}

TEST_F(ImageFonts, OrdersBeyondTheBucketsAndMissingGlyphs)
{
    auto font = MakeFont(std::wstring(kFillLayer) + L"LayerSetCharOrders Fill ('A' 'B') (400 -300);\n");
    ImageFontTest::RecordingImage screen;
    Pyxo::Graphics g(&screen);
    std::vector<Rect> rects;
    font->DrawStringEx(&g, 0, 10, L"AzB", Color::White, Rect(), &rects, nullptr);
    ASSERT_EQ(screen.mBlits.size(), 2u) << "a glyph the layer lacks draws nothing";
    EXPECT_EQ(screen.mBlits[0].mSrcRect, Rect(4, 0, 4, 6)) << "order -300 goes to the first bucket";
    EXPECT_EQ(screen.mBlits[1].mSrcRect, Rect(0, 0, 4, 6)) << "order 400 to the last";
    EXPECT_EQ(rects.size(), 3u);
    EXPECT_EQ(rects[1].mWidth, 0);
}

// A glyph moved next to the integer limit by its layer's offset lies far outside any image: nothing is drawn and
// no edge sum overflows on the way.
TEST_F(ImageFonts, AnOffsetNearTheIntegerLimitDrawsNothing)
{
    for (const wchar_t* offset : {L"(2147483520 0)", L"(0 2147483520)", L"(-2147483520 0)"}) {
        SCOPED_TRACE(Pyxo::WStringToString(offset));
        auto font = MakeFont(std::wstring(kFillLayer) + L"LayerSetOffset Fill " + offset + L";\n");
        Pyxo::MemoryImage screen(nullptr);
        screen.Create(64, 16);
        screen.Clear();
        Pyxo::Graphics g(&screen);
        g.SetFont(font.get());
        g.DrawString(L"ABVC", 100, 10);
        const uint32_t* bits = screen.GetBits();
        EXPECT_TRUE(std::all_of(bits, bits + 64 * 16, [](uint32_t pixel) { return pixel == 0; }));
    }
}

TEST_F(ImageFonts, OneDrawQueuesAtMostTheGlyphPool)
{
    auto font = MakeFont(std::wstring(kFillLayer) + L"CreateLayerFrom Outline Fill;\n");
    ImageFontTest::RecordingImage screen;
    screen.mWidth = 1 << 20;
    Pyxo::Graphics g(&screen);
    std::vector<Rect> rects;
    int width = 0;
    const std::wstring text(ImageFont::kMaxQueuedGlyphs / 2 + 1, L'A');
    font->DrawStringEx(&g, 0, 10, text, Color::White, Rect(), &rects, &width);
    EXPECT_EQ(rects.size(), size_t(ImageFont::kMaxQueuedGlyphs));
    EXPECT_EQ(screen.mBlits.size(), size_t(ImageFont::kMaxQueuedGlyphs));
    EXPECT_EQ(width, (ImageFont::kMaxQueuedGlyphs / 2) * 6) << "the pen stops at the first glyph left out";

    // The pool is reused: the next draw starts empty.
    screen.mBlits.clear();
    font->DrawStringEx(&g, 0, 10, L"A", Color::White, Rect(), nullptr, nullptr);
    EXPECT_EQ(screen.mBlits.size(), 2u);
}

TEST_F(ImageFonts, FontsShareTheirData)
{
    auto font = MakeFont(kFillLayer);
    Pyxo::FontData* data = font->mFontData;
    EXPECT_EQ(data->mRefCount.load(), 1);
    {
        std::unique_ptr<Pyxo::Font> copy = font->Duplicate();
        EXPECT_EQ(static_cast<ImageFont&>(*copy).mFontData, data);
        EXPECT_EQ(data->mRefCount.load(), 2);
    }
    EXPECT_EQ(data->mRefCount.load(), 1);
    EXPECT_EQ(mApp.RefCount(mFolder.Path("glyphs.png")), 1);
    font.reset();
    EXPECT_EQ(mApp.RefCount(mFolder.Path("glyphs.png")), 0) << "the last font frees the data and its images";
}

} // namespace
