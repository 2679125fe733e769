#pragma once

#include "platform/direct3d/Direct3DTypes.h"

#include <array>
#include <cstddef>
#include <vector>

namespace Pyxo {

/// A polygon of pre-transformed vertices, as the 3-D path clips and draws it: up to 100 vertices in place, more
/// on the heap. Plain value type.
class D3DPolygon {
public:
    static constexpr size_t kInPlace = 100;

    void Clear()
    {
        mCount = 0;
        mHeap.clear();
    }
    void Add(const Platform::TLVertex& vertex);
    [[nodiscard]] size_t Size() const { return mCount; }
    [[nodiscard]] const Platform::TLVertex* Data() const { return mCount > kInPlace ? mHeap.data() : mInPlace.data(); }
    [[nodiscard]] const Platform::TLVertex& operator[](size_t i) const { return Data()[i]; }

private:
    std::array<Platform::TLVertex, kInPlace> mInPlace;
    std::vector<Platform::TLVertex> mHeap; // all vertices, once there are more than kInPlace
    size_t mCount = 0;
};

/// Vertex components a clipping pass can look at.
enum class VertexComponent { X = 0, Y = 1, Z = 2, U = 3, V = 4 };

/// One clipping pass: `out` becomes the part of `in` whose component is at least `bound` (Min) or at most `bound`
/// (Max); a vertex on the bound is inside for both ends of an edge, so nothing on the bound is lost and no
/// intersection divides by zero. Fewer than 2 vertices in give none out.
void ClipPolygonMin(VertexComponent component, float bound, const D3DPolygon& in, D3DPolygon& out);
void ClipPolygonMax(VertexComponent component, float bound, const D3DPolygon& in, D3DPolygon& out);
/// a + (b - a) t in position and texture coordinates; each colour channel likewise, truncated, when the colours
/// differ; depth, reciprocal w and specular stay a's.
[[nodiscard]] Platform::TLVertex InterpolateVertex(const Platform::TLVertex& a, const Platform::TLVertex& b, float t);
/// Cuts the polygon to 0 <= u <= 1 and 0 <= v <= 1.
void ClipToTextureSpace(D3DPolygon& polygon);

} // namespace Pyxo
