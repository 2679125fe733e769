#pragma once

#include "graphics/raster/SoftwareTriangle.h"

#include <array>
#include <cstddef>

namespace Raster {

/// The four clip bounds; a vertex exactly on a bound is inside.
struct ClipBounds {
    float left = 0;
    float right = 0;
    float top = 0;
    float bottom = 0;
};

/// N records that are always written before they are read, so not cleared when made: clearing them cost more
/// than drawing a small sprite. T must be trivially copyable; records are assigned whole.
template <class T, std::size_t N>
class ScratchArray {
public:
    ScratchArray() {}
    T& operator[](std::size_t i) { return mItems[i]; }
    const T& operator[](std::size_t i) const { return mItems[i]; }

private:
    union {
        T mItems[N];
    };
};

/// Room for the cut vertices of one triangle. Each clip pass makes at most two cut points, so a triangle uses
/// at most 8; the drawing owns one per call, which keeps it re-entrant.
struct ClipVertexPool {
    static constexpr int kCapacity = 16;
    ScratchArray<TriVertex, kCapacity> records;
    int count = 0;
};

/// A clipped polygon: references to the triangle's own vertices or to records of the pool, in the winding of
/// the triangle. A convex polygon cut by four edges keeps at most 7 vertices.
struct ClipPolygon {
    static constexpr int kCapacity = 16;
    std::array<const TriVertex*, kCapacity> vertices{};
    int count = 0;
};

inline bool InsideBounds(const TriVertex& vertex, const ClipBounds& bounds)
{
    return vertex.x >= bounds.left && vertex.x <= bounds.right && vertex.y >= bounds.top && vertex.y <= bounds.bottom;
}

/// Clips a triangle against the bounds, one Sutherland-Hodgman pass per edge (left, right, top, bottom), and
/// gives a convex polygon of 0 or 3 to 7 vertices. Cut vertices carry every attribute, interpolated. Resets the
/// pool first; its records stay valid until the next triangle is clipped with it.
ClipPolygon ClipTriangleToRect(const TriVertex& a, const TriVertex& b, const TriVertex& c, const ClipBounds& bounds,
                               ClipVertexPool& pool);

/// One pass each; an input of fewer than three vertices gives nothing.
ClipPolygon ClipPolygonLeft(const ClipPolygon& input, float bound, ClipVertexPool& pool);
ClipPolygon ClipPolygonRight(const ClipPolygon& input, float bound, ClipVertexPool& pool);
ClipPolygon ClipPolygonTop(const ClipPolygon& input, float bound, ClipVertexPool& pool);
ClipPolygon ClipPolygonBottom(const ClipPolygon& input, float bound, ClipVertexPool& pool);

/// The point where the segment from p (outside) to q (inside) meets x = bound or y = bound, in the pool's next
/// record; null when the pool is full. p is always the outside end, so an edge shared by two triangles is cut
/// at exactly the same point by both.
const TriVertex* CutEdgeAtX(const TriVertex& p, const TriVertex& q, float bound, ClipVertexPool& pool);
const TriVertex* CutEdgeAtY(const TriVertex& p, const TriVertex& q, float bound, ClipVertexPool& pool);

} // namespace Raster
