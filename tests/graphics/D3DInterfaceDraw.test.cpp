// The 3-D path's drawing operations, seen through a recording of the device's calls: the polygon clipper and its
// edge cases on the bound, the piece and texture-coordinate split of a wide image, batching, the line's third
// vertex, blend and filter states, and the pixels additive drawing leaves.
#include "graphics/D3DInterface.h"
#include "graphics/DDInterface.h"
#include "graphics/Image.h"
#include "graphics/Matrix3.h"
#include "graphics/MemoryImage.h"
#include "graphics/TextureData.h"
#include "platform/direct3d/Direct3DDevice.h"
#include "platform/direct3d/Direct3DEmulation.h"
#include "tests/graphics/DisplayTestKit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace Platform;
using Pyxo::Color;
using Pyxo::D3DInterface;
using Pyxo::DDInterface;
using Pyxo::MemoryImage;
using Pyxo::Point;
using Pyxo::Rect;
using Kind = RecordedDeviceCall::Kind;

class D3DDraw : public DisplayTest::DisplayFixture {
protected:
    void SetUp() override
    {
        DisplayFixture::SetUp();
        mApp->mRegKey = "Ilvane Tests\\Direct3D drawing";
        mApp->mTest3D = false;
        mDisplay->mIs3D = true;
        ASSERT_EQ(StartWindowed(), DDInterface::RESULT_OK) << mDisplay->mErrorString;
        mD3D = mDisplay->mD3DInterface.get();
        ASSERT_TRUE(mD3D->Setup());
        RecordDeviceCalls(true);
    }
    void TearDown() override
    {
        RecordDeviceCalls(false);
        mImages.clear();
        DisplayFixture::TearDown();
        D3DInterface::sErrorString.clear();
    }

    MemoryImage& Image(int width, int height, uint32_t pixel)
    {
        mImages.push_back(std::make_unique<MemoryImage>(mApp.get()));
        MemoryImage& image = *mImages.back();
        const std::vector<uint32_t> pixels(size_t(width) * size_t(height), pixel);
        image.SetBits(pixels.data(), width, height, true);
        return image;
    }

    static std::vector<RecordedDeviceCall> Calls(Kind kind)
    {
        std::vector<RecordedDeviceCall> calls;
        for (RecordedDeviceCall& call : RecordedDeviceCalls())
            if (call.kind == kind)
                calls.push_back(std::move(call));
        return calls;
    }
    static std::vector<RecordedDeviceCall> Draws() { return Calls(Kind::DrawPrimitive); }

    D3DInterface* mD3D = nullptr; // owned by the display
    std::vector<std::unique_ptr<MemoryImage>> mImages;
};

bool Finite(const TLVertex& v)
{
    return std::isfinite(v.sx) && std::isfinite(v.sy) && std::isfinite(v.tu) && std::isfinite(v.tv);
}

bool HasVertexAt(const std::vector<TLVertex>& vertices, float x, float y)
{
    for (const TLVertex& v : vertices)
        if (v.sx == x && v.sy == y)
            return true;
    return false;
}

// Clipping to the rectangle (0, 0, 100, 100): what is left is drawn as one fan, every vertex inside and finite.
TEST_F(D3DDraw, ClippedPolygonsKeepWhatLiesInside)
{
    const Rect clip(0, 0, 100, 100);
    struct Case {
        const char* name;
        std::vector<Point> points;
        size_t expectedVertices; // 0: nothing drawn
        std::vector<Point> kept; // vertices that must come through as they are
    };
    const Case cases[] = {
        {"inside", {{10, 10}, {90, 10}, {90, 90}, {10, 90}}, 4, {{10, 10}, {90, 10}, {90, 90}, {10, 90}}},
        {"crossing the left edge", {{-20, 50}, {40, 10}, {40, 90}}, 4, {{40, 10}, {40, 90}}},
        {"wholly outside", {{-30, 10}, {-5, 10}, {-5, 50}}, 0, {}},
        {"wholly below", {{10, 120}, {50, 150}, {90, 101}}, 0, {}},
        // The vertex on the bound follows one outside: it must not be dropped.
        {"vertex on the right bound after an outside vertex",
         {{120, 10}, {100, 30}, {50, 50}},
         4,
         {{100, 30}, {50, 50}}},
        // An edge along the bound: both its ends stay, and no intersection divides zero by zero.
        {"edge lying on the right bound", {{100, 10}, {100, 50}, {50, 30}}, 3, {{100, 10}, {100, 50}, {50, 30}}},
        {"edge lying on the bottom bound", {{10, 100}, {60, 100}, {30, 40}}, 3, {{10, 100}, {60, 100}, {30, 40}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordDeviceCalls(true);
        mD3D->FillPolygon(c.points.data(), int(c.points.size()), &clip, Color(255, 0, 0), 0, 0, 0);
        const auto draws = Draws();
        if (c.expectedVertices == 0) {
            EXPECT_TRUE(draws.empty());
            continue;
        }
        ASSERT_EQ(draws.size(), 1u);
        EXPECT_EQ(draws[0].primitiveType, D3DPT_TRIANGLEFAN);
        const std::vector<TLVertex>& out = draws[0].vertices;
        EXPECT_EQ(out.size(), c.expectedVertices);
        for (const TLVertex& v : out) {
            ASSERT_TRUE(Finite(v));
            EXPECT_TRUE(v.sx >= 0 && v.sx <= 100 && v.sy >= 0 && v.sy <= 100) << v.sx << ", " << v.sy;
        }
        for (const Point& p : c.kept)
            EXPECT_TRUE(HasVertexAt(out, float(p.mX), float(p.mY))) << p.mX << ", " << p.mY;
    }

    RecordDeviceCalls(true);
    const Point two[] = {{1, 1}, {50, 50}};
    mD3D->FillPolygon(two, 2, nullptr, Color(255, 0, 0), 0, 0, 0);
    EXPECT_TRUE(Draws().empty()) << "two points make no polygon";
}

// An 800-pixel-wide image lies in pieces of 256, 256, 256 and 32 texels. A triangle whose texture coordinates end
// exactly on the image's right edge touches pieces 1 to 3, never a fourth past the end, and its edge on u = 1
// comes through the clipper whole.
TEST_F(D3DDraw, WideImagesAreDrawnPieceByPieceInEachPiecesCoordinates)
{
    MemoryImage& image = Image(800, 64, 0xFF336699);
    ASSERT_TRUE(mD3D->PrepareTexture(&image));
    const Pyxo::TextureData& data = *image.mD3DData;
    ASSERT_EQ(data.mTexVecWidth, 4);
    ASSERT_EQ(data.PieceAt(3, 0)->mWidth, 32);

    const Pyxo::TriVertex triangle[1][3] = {{{400, 0, 0.5f, 0, 0}, {800, 0, 1.0f, 0, 0}, {800, 64, 1.0f, 1.0f, 0}}};
    RecordDeviceCalls(true);
    mD3D->DrawTrianglesTex(&image, triangle, 1, Color::White, 0, 10, 20, false);
    const auto draws = Draws();
    const auto textures = Calls(Kind::SetTexture);
    ASSERT_EQ(draws.size(), 3u);
    ASSERT_EQ(textures.size(), 3u);
    // Screen spans of the pieces: u 0.5 .. 1 over x 400 .. 800 (moved by 10), cut where the pieces meet.
    const float spans[3][2] = {{410, 522}, {522, 778}, {778, 810}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(textures[size_t(i)].texture, data.PieceAt(i + 1, 0)->mTexture);
        EXPECT_EQ(draws[size_t(i)].primitiveType, D3DPT_TRIANGLEFAN);
        float low = 1e9f, high = -1e9f;
        for (const TLVertex& v : draws[size_t(i)].vertices) {
            ASSERT_TRUE(Finite(v));
            EXPECT_GE(v.tu, 0.0f);
            EXPECT_LE(v.tu, 1.0f);
            EXPECT_GE(v.tv, 0.0f);
            EXPECT_LE(v.tv, 1.0f);
            low = std::min(low, v.sx);
            high = std::max(high, v.sx);
        }
        EXPECT_NEAR(low, spans[i][0], 0.01);
        EXPECT_NEAR(high, spans[i][1], 0.01);
    }
    // The last piece holds 32 texels: the image's right edge is its u = 1, and both ends of that edge are there.
    EXPECT_TRUE(HasVertexAt(draws[2].vertices, 810, 20));
    EXPECT_TRUE(HasVertexAt(draws[2].vertices, 810, 84));
}

TEST_F(D3DDraw, TrianglesOnOneTextureGoInBatchesOfAHundred)
{
    MemoryImage& image = Image(64, 64, 0xFFFFFFFF);
    std::vector<Pyxo::TriVertex> vertices;
    for (int i = 0; i < 250; ++i) {
        const float x = float(i % 20) * 10;
        vertices.push_back({x, 0, 0, 0, 0});
        vertices.push_back({x + 10, 0, 1, 0, 0xFF00FF00});
        vertices.push_back({x, 10, 0, 1, 0});
    }
    const auto* triangles = reinterpret_cast<const Pyxo::TriVertex(*)[3]>(vertices.data());
    mD3D->DrawTrianglesTex(&image, triangles, 250, Color(1, 2, 3, 4), 0, 0.5f, 0, false);
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(draws[i].primitiveType, D3DPT_TRIANGLELIST);
        EXPECT_EQ(draws[i].vertices.size(), i < 2 ? 300u : 150u);
    }
    const TLVertex& first = draws[0].vertices[0];
    EXPECT_EQ(first.color, 0x04010203u) << "a vertex colour of 0 takes the operation's colour";
    EXPECT_EQ(draws[0].vertices[1].color, 0xFF00FF00u);
    EXPECT_EQ(first.sx, 0.5f) << "moved by the offset, with no half-pixel";
}

TEST_F(D3DDraw, AnImageWithoutPixelsDrawsNothing)
{
    for (const auto& [width, height] : {std::pair{0, 0}, std::pair{0, 5}, std::pair{5, 0}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        MemoryImage& image = Image(width, height, 0xFFFFFFFF);
        ASSERT_NE(image.GetBits(), nullptr);
        const Pyxo::TriVertex triangle[1][3] = {{{0, 0, 0, 0, 0}, {10, 0, 1, 0, 0}, {0, 10, 0, 1, 0}}};
        mD3D->DrawTrianglesTex(&image, triangle, 1, Color(255, 255, 255), 0, 0, 0, false);
        mD3D->Blt(&image, 0, 0, Rect(0, 0, 4, 4), Color(255, 255, 255), 0, false);
        mD3D->BltTransformed(&image, nullptr, Color(255, 255, 255), 0, Rect(0, 0, 4, 4), Pyxo::Matrix3(true), true, 0,
                             0);
        mD3D->BltTexturedQuad(&image, 0, 0, Rect(0, 0, 4, 4), Color(255, 255, 255), 0, false);
        EXPECT_TRUE(Draws().empty());
        EXPECT_EQ(D3DInterface::sErrorString, "");
    }
}

TEST_F(D3DDraw, ALineEndsWithAThirdVertexHalfAPixelOn)
{
    mD3D->DrawLine(10, 10, 20, 10, Color(255, 255, 255), 0);
    const auto calls = RecordedDeviceCalls();
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].primitiveType, D3DPT_LINESTRIP);
    ASSERT_EQ(draws[0].vertices.size(), 3u);
    const float expected[3][2] = {{10, 10}, {20, 10}, {20.5f, 10.5f}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(draws[0].vertices[i].sx, expected[i][0]);
        EXPECT_EQ(draws[0].vertices[i].sy, expected[i][1]);
    }
    const auto textures = Calls(Kind::SetTexture);
    ASSERT_EQ(textures.size(), 1u);
    EXPECT_EQ(textures[0].texture, nullptr) << "lines are drawn untextured";
}

TEST_F(D3DDraw, BlitsArePiecesOfFourVerticesHalfAPixelUpAndLeft)
{
    MemoryImage& image = Image(800, 64, 0xFF102030);
    mD3D->Blt(&image, 10, 20, Rect(0, 0, 800, 64), Color::White, 0, false);
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 4u);
    EXPECT_EQ(draws[0].primitiveType, D3DPT_TRIANGLESTRIP);
    ASSERT_EQ(draws[0].vertices.size(), 4u);
    EXPECT_EQ(draws[0].vertices[0].sx, 9.5f);
    EXPECT_EQ(draws[0].vertices[0].sy, 19.5f);
    EXPECT_EQ(draws[0].vertices[3].sx, 265.5f);
    EXPECT_EQ(draws[0].vertices[3].sy, 83.5f);
    EXPECT_EQ(draws[3].vertices[0].sx, 777.5f) << "the last piece starts where the third ends";
    EXPECT_EQ(draws[3].vertices[3].tu, 1.0f);

    // A transformed blit of a part cut by the clip rectangle becomes a clipped fan.
    RecordDeviceCalls(true);
    Pyxo::Matrix3 transform(true);
    transform.Translate(-5, 0);
    const Rect clip(0, 0, 50, 50);
    mD3D->BltTransformed(&image, &clip, Color::White, 0, Rect(0, 0, 40, 40), transform, false, 0, 0);
    const auto clipped = Draws();
    ASSERT_EQ(clipped.size(), 1u);
    EXPECT_EQ(clipped[0].primitiveType, D3DPT_TRIANGLEFAN);
    for (const TLVertex& v : clipped[0].vertices)
        EXPECT_GE(v.sx, 0.0f);
}

TEST_F(D3DDraw, DrawModesSetTheBlendFactorsAndAdditiveBrightens)
{
    const Color grey(0x40, 0x40, 0x40);
    mD3D->FillRect(Rect(0, 0, 8, 8), grey, 0);
    mD3D->FillRect(Rect(0, 0, 8, 8), grey, 1);
    mD3D->FillRect(Rect(0, 0, 8, 8), grey, 1);
    std::vector<uint32_t> destBlend;
    for (const RecordedDeviceCall& call : Calls(Kind::SetRenderState)) {
        if (call.state == D3DRENDERSTATE_SRCBLEND) {
            EXPECT_EQ(call.value, D3DBLEND_SRCALPHA);
        }
        if (call.state == D3DRENDERSTATE_DESTBLEND)
            destBlend.push_back(call.value);
    }
    EXPECT_EQ(destBlend, (std::vector<uint32_t>{D3DBLEND_INVSRCALPHA, D3DBLEND_ONE, D3DBLEND_ONE}));
    mD3D->Flush();
    const uint32_t added = mDisplay->mDrawSurface->PixelAt(3, 3);
    for (int shift : {16, 8, 0})
        EXPECT_NEAR(int(added >> shift & 0xFF), 0xC0, 3) << "grey over grey, added twice";
    EXPECT_EQ(mDisplay->mDrawSurface->PixelAt(8, 8) & 0xFFFFFF, 0u) << "the rectangle ends at its size";
}

TEST_F(D3DDraw, FilterStatesChangeOnlyWhenTheWantedOneDiffers)
{
    MemoryImage& image = Image(16, 16, 0xFFFFFFFF);
    const auto filterCalls = [] {
        std::vector<uint32_t> values;
        for (const RecordedDeviceCall& call : Calls(Kind::SetTextureStageState))
            values.push_back(call.value);
        RecordDeviceCalls(true);
        return values;
    };
    mD3D->Blt(&image, 0, 0, Rect(0, 0, 16, 16), Color::White, 0, false);
    EXPECT_TRUE(filterCalls().empty()) << "the scene starts with point sampling";
    mD3D->Blt(&image, 0, 0, Rect(0, 0, 16, 16), Color::White, 0, true);
    EXPECT_EQ(filterCalls(), (std::vector<uint32_t>{D3DTFN_LINEAR, D3DTFG_LINEAR, D3DTFP_POINT}));
    mD3D->Blt(&image, 0, 0, Rect(0, 0, 16, 16), Color::White, 0, true);
    EXPECT_TRUE(filterCalls().empty()) << "cached";
    mD3D->Blt(&image, 0, 0, Rect(0, 0, 16, 16), Color::White, 0, false);
    EXPECT_EQ(filterCalls(), (std::vector<uint32_t>{D3DTFN_POINT, D3DTFG_POINT, D3DTFP_NONE}));
}

TEST_F(D3DDraw, AFailingCallIsRecordedUnderItsLabelAndDrawingGoesOn)
{
    MemoryImage& image = Image(800, 64, 0xFF102030);
    InjectDirectDrawFailure(DirectDrawCall::DrawPrimitive, DDERR_SURFACELOST, 0, 1);
    mD3D->Blt(&image, 0, 0, Rect(0, 0, 800, 64), Color::White, 0, false);
    EXPECT_EQ(D3DInterface::sErrorString, "DrawPrimitive (Tri) 1: DDERR_SURFACELOST");
    EXPECT_EQ(Draws().size(), 4u) << "the other pieces are still drawn";

    InjectDirectDrawFailure(DirectDrawCall::SetTexture, DDERR_SURFACELOST, 0, 1);
    mD3D->DrawLine(0, 0, 5, 5, Color::White, 0);
    EXPECT_EQ(D3DInterface::sErrorString, "SetTexture NULL: DDERR_SURFACELOST");
}

} // namespace
