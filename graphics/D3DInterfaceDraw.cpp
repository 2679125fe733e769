// The drawing operations of the 3-D path: textured rectangles, transformed rectangles, textured triangle lists,
// lines, filled rectangles and polygons, all sent to the device as pre-transformed vertices. Clipping to a
// rectangle is done here on polygons, before they are drawn as fans.
#include "graphics/D3DInterface.h"
#include "graphics/D3DPolygon.h"
#include "graphics/Image.h"
#include "graphics/MemoryImage.h"
#include "graphics/TextureData.h"
#include "platform/direct3d/Direct3DDevice.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace Pyxo {

namespace {

using Platform::TLVertex;

// Triangles of one DrawPrimitive call of a single-piece triangle list.
constexpr int kTrianglesPerBatch = 100;

TLVertex Vertex(float x, float y, uint32_t color, float u = 0, float v = 0)
{
    TLVertex vertex;
    vertex.sx = x;
    vertex.sy = y;
    vertex.sz = 0;
    vertex.rhw = 1.0f;
    vertex.color = color;
    vertex.specular = 0;
    vertex.tu = u;
    vertex.tv = v;
    return vertex;
}

Matrix3 Translation(float x, float y)
{
    Matrix3 transform(true);
    transform.Translate(x, y);
    return transform;
}

bool InsideClip(const TLVertex& vertex, const Rect& clip)
{
    const auto left = static_cast<float>(clip.mX);
    const auto top = static_cast<float>(clip.mY);
    const auto right = static_cast<float>(clip.mX + clip.mWidth);
    const auto bottom = static_cast<float>(clip.mY + clip.mHeight);
    return vertex.sx >= left && vertex.sx <= right && vertex.sy >= top && vertex.sy <= bottom;
}

/// The pieces a texture-coordinate range in tile units touches: floor(low) up to, not including, ceil(high),
/// within 0 .. count - 1. A range of no width, lying on a piece boundary, still takes the piece it starts.
void PiecesTouched(float low, float high, int count, int& first, int& last)
{
    first = static_cast<int>(std::floor(low));
    last = std::max(static_cast<int>(std::ceil(high)) - 1, first);
    first = std::clamp(first, 0, count - 1);
    last = std::clamp(last, 0, count - 1);
}

/// Whether a float range converts to int without overflow; NaN is not.
bool Representable(float low, float high)
{
    return low >= -1.0e9f && high <= 1.0e9f;
}

} // namespace

void D3DInterface::SetBlendMode(int drawMode)
{
    mD3DDevice->SetRenderState(Platform::D3DRENDERSTATE_SRCBLEND, Platform::D3DBLEND_SRCALPHA);
    mD3DDevice->SetRenderState(Platform::D3DRENDERSTATE_DESTBLEND,
                               drawMode == 1 ? Platform::D3DBLEND_ONE : Platform::D3DBLEND_INVSRCALPHA);
}

void D3DInterface::SetLinearFilter(bool on)
{
    if (on == sLinearFilter)
        return;
    const char* label = on ? "SetTextureStageState LINEAR" : "SetTextureStageState Point";
    CheckResult(mD3DDevice->SetTextureStageState(0, Platform::D3DTSS_MINFILTER,
                                                 on ? Platform::D3DTFN_LINEAR : Platform::D3DTFN_POINT),
                label);
    CheckResult(mD3DDevice->SetTextureStageState(0, Platform::D3DTSS_MAGFILTER,
                                                 on ? Platform::D3DTFG_LINEAR : Platform::D3DTFG_POINT),
                label);
    CheckResult(mD3DDevice->SetTextureStageState(0, Platform::D3DTSS_MIPFILTER,
                                                 on ? Platform::D3DTFP_POINT : Platform::D3DTFP_NONE),
                label);
    sLinearFilter = on;
}

bool D3DInterface::BltTexturedQuad(Image* image, float x, float y, const Rect& srcRect, const Color& color,
                                   int drawMode, bool linear)
{
    if (mTransformedDraw) {
        // A translation needs no matrix: Blt puts the same corners (and takes the transform stack when there is
        // one), with the filter on as for any transformed quad.
        Blt(image, x, y, srcRect, color, drawMode, true);
        return true;
    }
    auto* source = dynamic_cast<MemoryImage*>(image);
    if (!Setup() || !PrepareTexture(source))
        return false;
    Blt(image, x, y, srcRect, color, drawMode, linear);
    return true;
}

void D3DInterface::Blt(Image* image, float x, float y, const Rect& srcRect, const Color& color, int drawMode,
                       bool linear)
{
    if (!Setup())
        return;
    if (!mTransformStack.empty()) {
        BltTransformed(image, nullptr, color, drawMode, srcRect, Translation(x, y), true, 0.0f, 0.0f);
        return;
    }
    auto* source = dynamic_cast<MemoryImage*>(image);
    if (!PrepareTexture(source))
        return;
    SetBlendMode(drawMode);
    SetLinearFilter(linear);
    const TextureData& data = *source->mD3DData;
    const uint32_t argb = color.ToInt();
    const int right = srcRect.mX + srcRect.mWidth;
    const int bottom = srcRect.mY + srcRect.mHeight;
    for (int srcY = srcRect.mY; srcY < bottom;) {
        int rowHeight = 0;
        for (int srcX = srcRect.mX; srcX < right;) {
            int width = right - srcX;
            int height = bottom - srcY;
            float u1 = 0, v1 = 0, u2 = 0, v2 = 0;
            Platform::DirectDrawSurface* piece = data.GetTexture(srcX, srcY, width, height, u1, v1, u2, v2);
            // A source rectangle reaching outside the image ends where the image does.
            if (piece == nullptr || width <= 0 || height <= 0)
                break;
            const float left = x + static_cast<float>(srcX - srcRect.mX) - 0.5f;
            const float top = y + static_cast<float>(srcY - srcRect.mY) - 0.5f;
            const float w = static_cast<float>(width);
            const float h = static_cast<float>(height);
            const TLVertex strip[4] = {Vertex(left, top, argb, u1, v1), Vertex(left + w, top, argb, u2, v1),
                                       Vertex(left, top + h, argb, u1, v2), Vertex(left + w, top + h, argb, u2, v2)};
            CheckResult(mD3DDevice->SetTexture(0, piece), "SetTexture gTexture");
            CheckResult(mD3DDevice->DrawPrimitive(Platform::D3DPT_TRIANGLESTRIP, Platform::D3DFVF_TLVERTEX, strip, 4,
                                                  Platform::D3DDP_WAIT),
                        "DrawPrimitive (Tri) 1");
            srcX += width;
            rowHeight = height;
        }
        if (rowHeight <= 0)
            break;
        srcY += rowHeight;
    }
}

void D3DInterface::BltTransformed(Image* image, const Rect* clipRect, const Color& color, int drawMode,
                                  const Rect& srcRect, const Matrix3& transform, bool linear, float x, float y)
{
    if (!Setup())
        return;
    auto* source = dynamic_cast<MemoryImage*>(image);
    if (!PrepareTexture(source))
        return;
    SetBlendMode(drawMode);
    SetLinearFilter(linear);

    Matrix3 matrix = transform;
    if (!mTransformStack.empty()) {
        if (x != 0 || y != 0)
            matrix = Translation(x, y) * matrix;
        matrix = mTransformStack.back() * matrix;
        x = 0;
        y = 0;
    }
    const TextureData& data = *source->mD3DData;
    const uint32_t argb = color.ToInt();
    const int right = srcRect.mX + srcRect.mWidth;
    const int bottom = srcRect.mY + srcRect.mHeight;
    for (int srcY = srcRect.mY; srcY < bottom;) {
        int rowHeight = 0;
        for (int srcX = srcRect.mX; srcX < right;) {
            int width = right - srcX;
            int height = bottom - srcY;
            float u1 = 0, v1 = 0, u2 = 0, v2 = 0;
            Platform::DirectDrawSurface* piece = data.GetTexture(srcX, srcY, width, height, u1, v1, u2, v2);
            if (piece == nullptr || width <= 0 || height <= 0)
                break;
            const auto left = static_cast<float>(srcX - srcRect.mX);
            const auto top = static_cast<float>(srcY - srcRect.mY);
            const float w = static_cast<float>(width);
            const float h = static_cast<float>(height);
            const auto corner = [&](float cx, float cy, float u, float v) {
                const Vector2 p = matrix * Vector2(cx, cy);
                return Vertex(p.x + x - 0.5f, p.y + y - 0.5f, argb, u, v);
            };
            const TLVertex strip[4] = {corner(left, top, u1, v1), corner(left + w, top, u2, v1),
                                       corner(left, top + h, u1, v2), corner(left + w, top + h, u2, v2)};
            CheckResult(mD3DDevice->SetTexture(0, piece), "SetTexture gTexture");
            if (clipRect == nullptr || std::all_of(std::begin(strip), std::end(strip), [&](const TLVertex& vertex) {
                    return InsideClip(vertex, *clipRect);
                })) {
                CheckResult(mD3DDevice->DrawPrimitive(Platform::D3DPT_TRIANGLESTRIP, Platform::D3DFVF_TLVERTEX, strip,
                                                      4, Platform::D3DDP_WAIT),
                            "DrawPrimitive (Tri) 3");
            } else {
                D3DPolygon polygon;
                for (const int i : {0, 1, 3, 2})
                    polygon.Add(strip[i]);
                DrawClippedPolygon(polygon, *clipRect);
            }
            srcX += width;
            rowHeight = height;
        }
        if (rowHeight <= 0)
            break;
        srcY += rowHeight;
    }
}

void D3DInterface::DrawClippedPolygon(const D3DPolygon& polygon, const Rect& clipRect)
{
    const auto left = static_cast<float>(clipRect.mX);
    const auto top = static_cast<float>(clipRect.mY);
    const auto right = static_cast<float>(clipRect.mX + clipRect.mWidth);
    const auto bottom = static_cast<float>(clipRect.mY + clipRect.mHeight);
    D3DPolygon first;
    D3DPolygon second;
    ClipPolygonMin(VertexComponent::X, left, polygon, first);
    ClipPolygonMin(VertexComponent::Y, top, first, second);
    ClipPolygonMax(VertexComponent::X, right, second, first);
    ClipPolygonMax(VertexComponent::Y, bottom, first, second);
    if (second.Size() > 2)
        CheckResult(mD3DDevice->DrawPrimitive(Platform::D3DPT_TRIANGLEFAN, Platform::D3DFVF_TLVERTEX, second.Data(),
                                              static_cast<uint32_t>(second.Size()), Platform::D3DDP_WAIT),
                    "DrawPrimitive (Tri) 2");
}

void D3DInterface::DrawTrianglesTex(Image* image, const TriVertex (*vertices)[3], int numTriangles, const Color& color,
                                    int drawMode, float tx, float ty, bool linear)
{
    if (!Setup())
        return;
    auto* source = dynamic_cast<MemoryImage*>(image);
    if (!PrepareTexture(source) || vertices == nullptr || numTriangles <= 0)
        return;
    SetBlendMode(drawMode);
    SetLinearFilter(linear);
    const TextureData& data = *source->mD3DData;
    const uint32_t argb = color.ToInt();
    const auto vertexOf = [&](const TriVertex& in, float u, float v) {
        return Vertex(in.x + tx, in.y + ty, in.color != 0 ? in.color : argb, u, v);
    };

    if (data.mMaxTotalU <= 1.0f && data.mMaxTotalV <= 1.0f) {
        CheckResult(mD3DDevice->SetTexture(0, data.mTextures[0].mTexture), "SetTexture gTexture");
        std::array<TLVertex, kTrianglesPerBatch * 3> batch;
        uint32_t collected = 0;
        for (int i = 0; i < numTriangles; ++i) {
            for (const TriVertex& in : vertices[i])
                batch[collected++] = vertexOf(in, in.u * data.mMaxTotalU, in.v * data.mMaxTotalV);
            if (collected == batch.size() || i == numTriangles - 1) {
                CheckResult(mD3DDevice->DrawPrimitive(Platform::D3DPT_TRIANGLELIST, Platform::D3DFVF_TLVERTEX,
                                                      batch.data(), collected, Platform::D3DDP_WAIT),
                            "DrawPrimitive (TriList)");
                collected = 0;
            }
        }
        return;
    }

    // Several pieces: each triangle is copied into every piece its texture coordinates touch, in that piece's
    // own coordinates, and cut to the piece.
    for (int i = 0; i < numTriangles; ++i) {
        const TriVertex(&triangle)[3] = vertices[i];
        float u[3];
        float v[3];
        for (int k = 0; k < 3; ++k) {
            u[k] = triangle[k].u * data.mMaxTotalU;
            v[k] = triangle[k].v * data.mMaxTotalV;
        }
        const auto [uLow, uHigh] = std::minmax({u[0], u[1], u[2]});
        const auto [vLow, vHigh] = std::minmax({v[0], v[1], v[2]});
        if (!Representable(uLow, uHigh) || !Representable(vLow, vHigh))
            continue;
        int firstColumn = 0, lastColumn = 0, firstRow = 0, lastRow = 0;
        PiecesTouched(uLow, uHigh, data.mTexVecWidth, firstColumn, lastColumn);
        PiecesTouched(vLow, vHigh, data.mTexVecHeight, firstRow, lastRow);
        for (int row = firstRow; row <= lastRow; ++row) {
            for (int column = firstColumn; column <= lastColumn; ++column) {
                const TexturePiece* piece = data.PieceAt(column, row);
                if (piece == nullptr || piece->mWidth <= 0 || piece->mHeight <= 0)
                    continue;
                // The last column and row hold smaller pieces: their coordinates are stretched to the piece.
                const float uScale = column == data.mTexVecWidth - 1
                                         ? static_cast<float>(data.mTexPieceWidth) / static_cast<float>(piece->mWidth)
                                         : 1.0f;
                const float vScale = row == data.mTexVecHeight - 1
                                         ? static_cast<float>(data.mTexPieceHeight) / static_cast<float>(piece->mHeight)
                                         : 1.0f;
                D3DPolygon polygon;
                for (int k = 0; k < 3; ++k)
                    polygon.Add(vertexOf(triangle[k], (u[k] - static_cast<float>(column)) * uScale,
                                         (v[k] - static_cast<float>(row)) * vScale));
                ClipToTextureSpace(polygon);
                if (polygon.Size() <= 2)
                    continue;
                CheckResult(mD3DDevice->SetTexture(0, piece->mTexture), "SetTexture gTexture");
                CheckResult(mD3DDevice->DrawPrimitive(Platform::D3DPT_TRIANGLEFAN, Platform::D3DFVF_TLVERTEX,
                                                      polygon.Data(), static_cast<uint32_t>(polygon.Size()),
                                                      Platform::D3DDP_WAIT),
                            "DrawPrimitive (Tri) 4");
            }
        }
    }
}

void D3DInterface::DrawLine(double startX, double startY, double endX, double endY, const Color& color, int drawMode)
{
    if (!Setup())
        return;
    SetBlendMode(drawMode);
    Vector2 start(static_cast<float>(startX), static_cast<float>(startY));
    Vector2 end(static_cast<float>(endX), static_cast<float>(endY));
    if (!mTransformStack.empty()) {
        start = mTransformStack.back() * start;
        end = mTransformStack.back() * end;
    }
    const uint32_t argb = color.ToInt();
    // The third vertex draws the line's last pixel, which a strip leaves out.
    const TLVertex line[3] = {Vertex(start.x, start.y, argb), Vertex(end.x, end.y, argb),
                              Vertex(end.x + 0.5f, end.y + 0.5f, argb)};
    CheckResult(mD3DDevice->SetTexture(0, nullptr), "SetTexture NULL");
    CheckResult(
        mD3DDevice->DrawPrimitive(Platform::D3DPT_LINESTRIP, Platform::D3DFVF_TLVERTEX, line, 3, Platform::D3DDP_WAIT),
        "DrawPrimitive (Line)");
}

void D3DInterface::FillRect(const Rect& rect, const Color& color, int drawMode)
{
    if (!Setup())
        return;
    SetBlendMode(drawMode);
    const float left = static_cast<float>(rect.mX) - 0.5f;
    const float top = static_cast<float>(rect.mY) - 0.5f;
    const float right = static_cast<float>(rect.mX + rect.mWidth) - 0.5f;
    const float bottom = static_cast<float>(rect.mY + rect.mHeight) - 0.5f;
    const uint32_t argb = color.ToInt();
    TLVertex strip[4] = {Vertex(left, top, argb), Vertex(right, top, argb), Vertex(left, bottom, argb),
                         Vertex(right, bottom, argb)};
    if (!mTransformStack.empty()) {
        // Deliberate: under a transform the half-pixel offset is taken a second time.
        for (TLVertex& vertex : strip) {
            const Vector2 p = mTransformStack.back() * Vector2(vertex.sx, vertex.sy);
            vertex.sx = p.x - 0.5f;
            vertex.sy = p.y - 0.5f;
        }
    }
    CheckResult(mD3DDevice->SetTexture(0, nullptr), "SetTexture NULL");
    CheckResult(mD3DDevice->DrawPrimitive(Platform::D3DPT_TRIANGLESTRIP, Platform::D3DFVF_TLVERTEX, strip, 4,
                                          Platform::D3DDP_WAIT),
                "DrawPrimitive (Rect)");
}

void D3DInterface::FillPolygon(const Point* points, int count, const Rect* clipRect, const Color& color, int drawMode,
                               int tx, int ty)
{
    if (points == nullptr || count <= 2 || !Setup())
        return;
    SetBlendMode(drawMode);
    CheckResult(mD3DDevice->SetTexture(0, nullptr), "SetTexture NULL");
    const uint32_t argb = color.ToInt();
    D3DPolygon polygon;
    for (int i = 0; i < count; ++i) {
        Vector2 p(static_cast<float>(points[i].mX + tx), static_cast<float>(points[i].mY + ty));
        if (!mTransformStack.empty())
            p = mTransformStack.back() * p;
        polygon.Add(Vertex(p.x, p.y, argb));
    }
    if (clipRect != nullptr) {
        DrawClippedPolygon(polygon, *clipRect);
        return;
    }
    CheckResult(mD3DDevice->DrawPrimitive(Platform::D3DPT_TRIANGLEFAN, Platform::D3DFVF_TLVERTEX, polygon.Data(),
                                          static_cast<uint32_t>(polygon.Size()), Platform::D3DDP_WAIT),
                "DrawPrimitive (FillPoly)");
}

} // namespace Pyxo
