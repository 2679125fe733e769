#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Pyxo::Color;
using Pyxo::Graphics;
using Pyxo::Rect;

struct Drawn {
    int x;
    int y;
    std::wstring text;
    Color color = Color();
    friend bool operator==(const Drawn&, const Drawn&) = default;
};

void PrintTo(const Drawn& d, std::ostream* os)
{
    *os << "(" << d.x << ", " << d.y << ", \"" << std::string(d.text.begin(), d.text.end()) << "\", ";
    Pyxo::PrintTo(d.color, os);
    *os << ")";
}

// Every character is 10 pixels wide, except 'i' (4) and a space (5); records what it draws.
struct FakeFont : Pyxo::Font {
    std::vector<Drawn> drawn;
    FakeFont()
    {
        mAscent = 8;
        mAscentPadding = 1;
        mHeight = 12;
        mLineSpacingOffset = 2;
    }
    static int Width(wchar_t c) { return c == L'i' ? 4 : c == L' ' ? 5 : 10; }
    int StringWidth(const std::wstring& text) override
    {
        int width = 0;
        for (const wchar_t c : text) {
            width += Width(c);
        }
        return width;
    }
    void DrawString(Graphics*, int x, int y, const std::wstring& text, const Color& color, const Rect&) override
    {
        drawn.push_back({x, y, text, color});
    }
    std::unique_ptr<Font> Duplicate() const override { return std::make_unique<FakeFont>(*this); }
};

struct SizedImage : Pyxo::Image {
    SizedImage()
    {
        mWidth = 400;
        mHeight = 400;
    }
};

class GraphicsText : public ::testing::Test {
protected:
    GraphicsText() : g(&image)
    {
        g.SetFont(&font);
        g.SetColor(Color(1, 2, 3, 200));
    }
    SizedImage image;
    FakeFont font;
    Graphics g;
};

const Color kStart(1, 2, 3, 200);

TEST_F(GraphicsText, ColourCodesSwitchColourAndAreNotMeasured)
{
    EXPECT_EQ(g.WriteString(L"a^FF0000^b", 5, 7), 20);
    EXPECT_EQ(font.drawn, (std::vector<Drawn>{{5, 7, L"a", kStart}, {15, 7, L"b", Color(255, 0, 0, 200)}}));
    EXPECT_EQ(g.GetColor(), Color(255, 0, 0, 200)) << "the last code's colour stays";
}

TEST_F(GraphicsText, CodeForms)
{
    struct Case {
        const char* name;
        std::wstring text;
        int width;
        std::vector<Drawn> drawn;
    };
    const Case cases[] = {
        {"doubled caret is one caret", L"a^^b", 30, {{0, 0, L"a^b", kStart}}},
        {"short code ends the text", L"ab^12", 20, {{0, 0, L"ab", kStart}}},
        {"lower-case digits, bad digits count as 0", L"^a0Zb0c^x", 10, {{0, 0, L"x", Color(0xA0, 0x0B, 0x0C, 200)}}},
        {"oldclr restores", L"^00ff00^a^oldclr^b", 20, {{0, 0, L"a", Color(0, 255, 0, 200)}, {10, 0, L"b", kStart}}},
        {"o that is not oldclr is black", L"^ozzzzz^a", 10, {{0, 0, L"a", Color(0, 0, 0, 200)}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        font.drawn.clear();
        g.SetColor(kStart);
        EXPECT_EQ(g.WriteString(c.text, 0, 0), c.width);
        EXPECT_EQ(font.drawn, c.drawn);
    }
}

TEST_F(GraphicsText, CodesOffDrawEveryCharacter)
{
    g.mWriteColoredString = false;
    EXPECT_EQ(g.WriteString(L"^FF0000^", 0, 0), 80);
    EXPECT_EQ(font.drawn, (std::vector<Drawn>{{0, 0, L"^FF0000^", kStart}}));
}

TEST_F(GraphicsText, Justification)
{
    struct Case {
        int justification;
        int x;
    };
    const Case cases[] = {{0, 100 + 35}, {1, 100 + 70}, {-1, 100}, {2, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.justification);
        font.drawn.clear();
        EXPECT_EQ(g.WriteString(L"abc", 100, 0, 100, c.justification), 30);
        ASSERT_EQ(font.drawn.size(), 1u);
        EXPECT_EQ(font.drawn[0].x, c.x);
    }
    font.drawn.clear();
    EXPECT_EQ(g.WriteString(L"abc", 0, 0, 100, 0, false), 30);
    EXPECT_TRUE(font.drawn.empty()) << "measuring draws nothing";
}

TEST_F(GraphicsText, RangeAndLimit)
{
    EXPECT_EQ(g.WriteString(L"abcdef", 0, 0, -1, -1, true, 2, 3), 30);
    EXPECT_EQ(font.drawn.back().text, L"cde");
    EXPECT_EQ(g.WriteString(L"abcdef", 0, 0, -1, -1, true, 4, 10), 20);
    EXPECT_EQ(font.drawn.back().text, L"ef");

    EXPECT_EQ(g.WriteStringLimited(L"abcdef", 0, 0, -1, -1, true, 2, 3, -1, 4), 20);
    EXPECT_EQ(font.drawn.back().text, L"cd");
    font.drawn.clear();
    EXPECT_EQ(g.WriteStringLimited(L"abcdef", 0, 0, -1, -1, true, 4, 2, -1, 4), -1);
    EXPECT_EQ(g.WriteStringLimited(L"abcdef", 0, 0, -1, -1, true, 1, -1, -1, 3), 20) << "to the end, then limited";
    EXPECT_EQ(font.drawn.back().text, L"bc");
}

// Lines as (x, baseline, text) in drawing order.
std::vector<Drawn> Lines(const FakeFont& font)
{
    std::vector<Drawn> lines = font.drawn;
    for (Drawn& d : lines) {
        d.color = Color();
    }
    return lines;
}

TEST_F(GraphicsText, WrapsAtSpacesAndLineFeeds)
{
    int widest = -1;
    // Baselines start at y + ascent - padding = 10 + 7; line spacing 14.
    const int height = g.DrawWrappedText(Rect(20, 10, 60, 100), L"abc def ghi\njk", -1, -1, &widest);
    EXPECT_EQ(Lines(font), (std::vector<Drawn>{{20, 17, L"abc"}, {20, 31, L"def ghi"}, {20, 45, L"jk"}}));
    EXPECT_EQ(height, 4 + 45 - 10); // descent + last baseline - top
    // The candidate for the widest line counts on to the character that broke it ("abc de" and "f").
    EXPECT_EQ(widest, 69);
    EXPECT_EQ(g.GetColor(), kStart);
}

TEST_F(GraphicsText, CutsAWordWiderThanTheLine)
{
    int widest = 0;
    int lastWidth = 0;
    g.DrawWrappedText(Rect(0, 0, 25, 100), L"abcdefg", 10, -1, &widest, -1, &lastWidth);
    EXPECT_EQ(Lines(font), (std::vector<Drawn>{{0, 7, L"ab"}, {0, 17, L"cd"}, {0, 27, L"ef"}, {0, 37, L"g"}}));
    EXPECT_EQ(widest, 20);
    EXPECT_EQ(lastWidth, 10);
}

TEST_F(GraphicsText, NarrowerThanOneCharacterStillProgresses)
{
    g.DrawWrappedText(Rect(0, 0, 0, 100), L"ab", 10);
    EXPECT_EQ(Lines(font), (std::vector<Drawn>{{0, 7, L"a"}, {0, 17, L"b"}}));
}

TEST_F(GraphicsText, CharacterLimitStopsTheText)
{
    g.DrawWrappedText(Rect(0, 0, 60, 100), L"abcd efgh ijkl", 10, -1, nullptr, 7);
    EXPECT_EQ(Lines(font), (std::vector<Drawn>{{0, 7, L"abcd"}, {0, 17, L"ef"}}));

    font.drawn.clear();
    const int height = g.DrawWrappedText(Rect(0, 0, 25, 100), L"abcdefg", 10, -1, nullptr, 3);
    EXPECT_EQ(Lines(font), (std::vector<Drawn>{{0, 7, L"ab"}, {0, 17, L"c"}}));
    EXPECT_EQ(height, 4 + 27 - 10 - 0) << "the limit ends the walk where it is reached";
}

TEST_F(GraphicsText, ColourCodesCarryAcrossLinesAndAreRestoredAtTheEnd)
{
    g.DrawWrappedText(Rect(0, 0, 35, 100), L"a^FF0000^b c^oldclr^d", 10);
    ASSERT_EQ(font.drawn.size(), 4u);
    EXPECT_EQ(font.drawn[0], (Drawn{0, 7, L"a", kStart}));
    EXPECT_EQ(font.drawn[1], (Drawn{10, 7, L"b", Color(255, 0, 0, 200)}));
    EXPECT_EQ(font.drawn[2], (Drawn{0, 17, L"c", Color(255, 0, 0, 200)}));
    EXPECT_EQ(font.drawn[3], (Drawn{10, 17, L"d", kStart}));
    EXPECT_EQ(g.GetColor(), kStart);
}

TEST_F(GraphicsText, LinesOutsideTheClipAreSkipped)
{
    g.SetClipRect(0, 20, 400, 10); // baselines 7, 17, 27, 37: visible from 20 to 20 + 10 + 10
    g.DrawWrappedText(Rect(0, 0, 15, 400), L"a b c d e", 10);
    std::vector<std::wstring> texts;
    for (const Drawn& d : font.drawn) {
        texts.push_back(d.text);
    }
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"c", L"d", L"e"})) << "the last line is always written";
}

TEST_F(GraphicsText, LineOffsetContinuesAParagraph)
{
    int offset = 30;
    g.DrawWrappedText(Rect(0, 0, 100, 100), L"ab", 10, -1, nullptr, -1, &offset);
    EXPECT_EQ(Lines(font), (std::vector<Drawn>{{30, 7, L"ab"}}));
    EXPECT_EQ(offset, 50);

    font.drawn.clear();
    offset = 90;
    g.DrawWrappedText(Rect(0, 0, 100, 100), L"x yz", 10, -1, nullptr, -1, &offset);
    EXPECT_EQ(Lines(font), (std::vector<Drawn>{{90, 7, L"x"}, {0, 17, L"yz"}}));
    EXPECT_EQ(offset, 20);
}

TEST_F(GraphicsText, EmptyTextAndTrailingLineFeed)
{
    int offset = 77;
    EXPECT_EQ(g.DrawWrappedText(Rect(0, 10, 100, 100), L"", 14), 4 + 17 - 14 - 10);
    EXPECT_TRUE(font.drawn.empty());

    EXPECT_EQ(g.DrawWrappedText(Rect(0, 10, 100, 100), L"ab\n", 14, -1, nullptr, -1, &offset), 4 + 17 + 14 - 10);
    EXPECT_EQ(Lines(font), (std::vector<Drawn>{{77, 17, L"ab"}}));
    EXPECT_EQ(offset, 0);
}

TEST_F(GraphicsText, WrappedHeightMeasuresWithoutDrawing)
{
    int widest = 0;
    g.SetFont(nullptr);
    EXPECT_EQ(g.GetWrappedTextHeight(60, L"abc", -1, &widest), 0) << "no font, no text";
    g.SetFont(&font);
    const int height = g.GetWrappedTextHeight(60, L"abc def ghi", -1, &widest);
    EXPECT_EQ(height, 4 + 35 - 14); // baselines 7 and 21
    EXPECT_EQ(widest, 65);
    EXPECT_EQ(g.GetColor(), kStart);
}

} // namespace
