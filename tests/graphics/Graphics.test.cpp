#include "graphics/Graphics.h"

#include "graphics/Image.h"
#include "graphics/Matrix3.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Pyxo::Color;
using Pyxo::Graphics;
using Pyxo::Image;
using Pyxo::Rect;

// A destination that records the operations the context hands it.
struct Call {
    std::string op;
    Rect rect; // FillRect / DrawRect rectangle, Blt source rectangle, StretchBlt destination
    int x = 0; // Blt position
    int y = 0;
    Rect src; // StretchBlt source
    Color color = Color();
    friend bool operator==(const Call&, const Call&) = default;
};

struct RecordingImage : Image {
    std::vector<Call> calls;
    RecordingImage(int width, int height)
    {
        mWidth = width;
        mHeight = height;
    }
    void FillRect(const Rect& rect, const Color& color, int) override
    {
        calls.push_back({"FillRect", rect, 0, 0, {}, color});
    }
    void DrawRect(const Rect& rect, const Color& color, int) override
    {
        calls.push_back({"DrawRect", rect, 0, 0, {}, color});
    }
    void Blt(Image*, int x, int y, const Rect& srcRect, const Color& color, int) override
    {
        calls.push_back({"Blt", srcRect, x, y, {}, color});
    }
    void StretchBlt(Image*, const Rect& destRect, const Rect& srcRect, const Rect&, const Color& color, int,
                    bool) override
    {
        calls.push_back({"StretchBlt", destRect, 0, 0, srcRect, color});
    }
    void BltTransformed(Image*, const Rect*, const Color& color, int, const Rect& srcRect, const Pyxo::Matrix3&, bool,
                        float x, float y, bool) override
    {
        calls.push_back({"BltTransformed", srcRect, int(x), int(y), {}, color});
    }
};

struct SizedImage : Image {
    SizedImage(int width, int height)
    {
        mWidth = width;
        mHeight = height;
    }
};

TEST(Graphics, FillsAreTranslatedAndClipped)
{
    RecordingImage dest(100, 100);
    Graphics g(&dest);
    g.SetColor(Color(10, 20, 30, 0));
    g.FillRect(0, 0, 10, 10);
    EXPECT_TRUE(dest.calls.empty()) << "an invisible colour does not reach the destination";

    g.SetColor(Color(10, 20, 30, 40));
    g.Translate(95, -5);
    g.FillRect(0, 0, 10, 10);
    ASSERT_EQ(dest.calls.size(), 1u);
    EXPECT_EQ(dest.calls[0].rect, Rect(95, 0, 5, 5));
    EXPECT_EQ(dest.calls[0].color, Color(10, 20, 30, 40));
}

TEST(Graphics, OutlineInsideTheClipIsOneCallElseFourFills)
{
    RecordingImage dest(100, 100);
    Graphics g(&dest);
    g.DrawRect(0, 0, 10, 10);
    ASSERT_EQ(dest.calls.size(), 1u);
    EXPECT_EQ(dest.calls[0].op, "DrawRect");
    EXPECT_EQ(dest.calls[0].rect, Rect(0, 0, 10, 10));

    dest.calls.clear();
    g.SetClipRect(0, 0, 10, 100); // the outline covers 11 columns: one sticks out
    g.DrawRect(0, 0, 10, 10);
    std::vector<Rect> fills;
    for (const Call& call : dest.calls) {
        EXPECT_EQ(call.op, "FillRect");
        fills.push_back(call.rect);
    }
    EXPECT_EQ(fills, (std::vector<Rect>{{0, 0, 10, 1}, {0, 10, 10, 1}, {0, 1, 1, 9}, {10, 1, 0, 9}}));
}

TEST(Graphics, DrawImageClipsTheSourceToTheClip)
{
    RecordingImage dest(100, 100);
    SizedImage image(10, 10);
    Graphics g(&dest);
    g.DrawImage(&image, -5, -5);
    ASSERT_EQ(dest.calls.size(), 1u);
    EXPECT_EQ(dest.calls[0], (Call{"Blt", {5, 5, 5, 5}, 0, 0, {}, Color::White}));

    dest.calls.clear();
    g.DrawImage(&image, 100, 0);                         // outside
    g.DrawImageSrcRect(&image, 0, 0, Rect(5, 0, 6, 10)); // ends past the image
    g.DrawImageSrcRect(&image, 0, 0, Rect(-1, 0, 5, 5)); // starts before it
    EXPECT_TRUE(dest.calls.empty());
}

TEST(Graphics, ColorizeDrawsImagesInTheCurrentColour)
{
    RecordingImage dest(100, 100);
    SizedImage image(4, 4);
    Graphics g(&dest);
    g.SetColor(Color(1, 2, 3, 4));
    g.SetColorize(true);
    g.DrawImageSrcRect(&image, 10, 20, Rect(1, 1, 2, 2));
    ASSERT_EQ(dest.calls.size(), 1u);
    EXPECT_EQ(dest.calls[0], (Call{"Blt", {1, 1, 2, 2}, 10, 20, {}, Color(1, 2, 3, 4)}));
}

TEST(Graphics, TranslationIsTruncatedAfterTheAddition)
{
    RecordingImage dest(100, 100);
    SizedImage image(4, 4);
    Graphics g(&dest);
    g.mTransX = 0.7f;
    g.DrawImage(&image, 0, 0);
    ASSERT_EQ(dest.calls.size(), 1u);
    EXPECT_EQ(dest.calls[0].x, 0);

    g.DrawImageMatrix(&image, Pyxo::Matrix3(true), Rect(0, 0, 4, 4), 3.0f, 4.0f);
    EXPECT_EQ(dest.calls.back().x, 3) << "matrix draws take their position as it is";
    EXPECT_EQ(g.mTransX, 0.0f);
}

TEST(Graphics, ScaledImagesAreStretchedAboutTheOrigin)
{
    RecordingImage dest(100, 100);
    SizedImage image(10, 10);
    Graphics g(&dest);
    g.mScaleX = 2.0f;
    g.mScaleY = 0.5f;
    g.mScaleOrigX = 10.0f;
    g.mScaleOrigY = 10.0f;
    g.DrawImage(&image, 15, 20);
    ASSERT_EQ(dest.calls.size(), 1u);
    EXPECT_EQ(dest.calls[0].op, "StretchBlt");
    EXPECT_EQ(dest.calls[0].rect, Rect(20, 15, 20, 5));
    EXPECT_EQ(dest.calls[0].src, Rect(0, 0, 10, 10));
}

TEST(Graphics, StateStackRestoresAndIgnoresAnEmptyPop)
{
    RecordingImage dest(100, 100);
    Graphics g(&dest);
    g.PopState();
    EXPECT_EQ(g.mClipRect, Rect(0, 0, 100, 100));

    g.PushState();
    g.Translate(10, 10);
    g.ClipRect(0, 0, 20, 20);
    g.ClipRect(-100, -100, 1000, 1000); // only ever shrinks
    g.SetColor(Color(1, 2, 3));
    EXPECT_EQ(g.mClipRect, Rect(10, 10, 20, 20));
    g.PopState();
    EXPECT_EQ(g.mClipRect, Rect(0, 0, 100, 100));
    EXPECT_EQ(g.mTransX, 0.0f);
    EXPECT_EQ(g.GetColor(), Color());

    Graphics copy(g);
    copy.PopState(); // a copy starts with an empty stack
    g.SetClipRect(50, 50, 100, 100);
    EXPECT_EQ(g.mClipRect, Rect(50, 50, 50, 50));
}

TEST(Graphics, WithoutADestinationNothingIsVisible)
{
    Graphics g(nullptr);
    ASSERT_NE(g.mDestImage, nullptr);
    EXPECT_EQ(g.mClipRect, Rect(0, 0, 0, 0));
    EXPECT_FALSE(g.mIs3D);
    g.FillRect(0, 0, 10, 10);
    g.DrawString(L"no font", 0, 0);
}

TEST(Graphics, TiledBoxCoversTheDestinationExactly)
{
    RecordingImage dest(100, 100);
    SizedImage image(3, 3);
    Graphics g(&dest);
    g.DrawImageTiledBox(Rect(0, 0, 10, 4), &image);

    std::vector<std::vector<int>> covered(4, std::vector<int>(10, 0));
    int corners = 0;
    int edges = 0;
    int middles = 0;
    for (const Call& call : dest.calls) {
        ASSERT_EQ(call.op, "Blt");
        ASSERT_EQ(call.rect.mWidth, 1);
        ASSERT_EQ(call.rect.mHeight, 1);
        covered[size_t(call.y)][size_t(call.x)] += 1;
        const bool cornerSource = call.rect.mX != 1 && call.rect.mY != 1;
        const bool middleSource = call.rect.mX == 1 && call.rect.mY == 1;
        (cornerSource ? corners : middleSource ? middles : edges) += 1;
    }
    EXPECT_EQ(corners, 4);
    EXPECT_EQ(edges, 8 + 8 + 2 + 2);
    EXPECT_EQ(middles, 16);
    for (const auto& row : covered) {
        EXPECT_EQ(row, std::vector<int>(10, 1));
    }
}

TEST(Graphics, TiledBoxCutsTheLastTileAtTheBox)
{
    RecordingImage dest(100, 100);
    SizedImage image(9, 9); // 3 x 3 corners, 3 x 3 middle
    Graphics g(&dest);
    g.DrawImageTiledBox(Rect(0, 0, 10, 10), &image);
    int covered = 0;
    for (const Call& call : dest.calls) {
        EXPECT_LE(call.x + call.rect.mWidth, 10);
        EXPECT_LE(call.y + call.rect.mHeight, 10);
        covered += call.rect.mWidth * call.rect.mHeight;
    }
    EXPECT_EQ(covered, 100);
}

} // namespace
