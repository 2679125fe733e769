#include "graphics/raster/TriangleClipper.h"

#include <cstdint>

namespace Raster {

namespace {

const TriVertex* Cut(const TriVertex& p, const TriVertex& q, float t, ClipVertexPool& pool)
{
    if (pool.count >= ClipVertexPool::kCapacity)
        return nullptr;
    TriVertex cut;
    cut.x = p.x + (q.x - p.x) * t;
    cut.y = p.y + (q.y - p.y) * t;
    cut.u = p.u + (q.u - p.u) * t;
    cut.v = p.v + (q.v - p.v) * t;
    // Each channel as a whole number: the difference times t, truncated; t in 0..1 keeps it between p and q.
    uint32_t color = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int pc = static_cast<int>((p.color >> shift) & 0xFF);
        const int qc = static_cast<int>((q.color >> shift) & 0xFF);
        const auto channel = static_cast<int>(static_cast<float>(pc) + static_cast<float>(qc - pc) * t);
        color |= static_cast<uint32_t>(channel & 0xFF) << shift;
    }
    cut.color = color;
    TriVertex& record = pool.records[static_cast<std::size_t>(pool.count++)];
    record = cut;
    return &record;
}

enum class Edge { Left, Right, Top, Bottom };

template <Edge kEdge>
bool Outside(const TriVertex& vertex, float bound)
{
    switch (kEdge) {
    case Edge::Left:
        return vertex.x < bound;
    case Edge::Right:
        return vertex.x > bound;
    case Edge::Top:
        return vertex.y < bound;
    case Edge::Bottom:
        return vertex.y > bound;
    }
    return false;
}

template <Edge kEdge>
ClipPolygon ClipPass(const ClipPolygon& input, float bound, ClipVertexPool& pool)
{
    ClipPolygon output;
    if (input.count < 3)
        return output;
    const auto emit = [&output](const TriVertex* vertex) {
        if (vertex != nullptr && output.count < ClipPolygon::kCapacity)
            output.vertices[static_cast<std::size_t>(output.count++)] = vertex;
    };
    const auto cut = [&](const TriVertex& outside, const TriVertex& inside) {
        return kEdge == Edge::Left || kEdge == Edge::Right ? CutEdgeAtX(outside, inside, bound, pool)
                                                           : CutEdgeAtY(outside, inside, bound, pool);
    };
    for (int i = 0; i < input.count; ++i) {
        const TriVertex& current = *input.vertices[static_cast<std::size_t>(i)];
        const TriVertex& next = *input.vertices[static_cast<std::size_t>(i + 1 < input.count ? i + 1 : 0)];
        const bool currentOut = Outside<kEdge>(current, bound);
        const bool nextOut = Outside<kEdge>(next, bound);
        if (!currentOut) {
            emit(&current);
            if (nextOut)
                emit(cut(next, current));
        } else if (!nextOut) {
            emit(cut(current, next));
        }
    }
    return output;
}

} // namespace

const TriVertex* CutEdgeAtX(const TriVertex& p, const TriVertex& q, float bound, ClipVertexPool& pool)
{
    return Cut(p, q, (bound - p.x) / (q.x - p.x), pool);
}

const TriVertex* CutEdgeAtY(const TriVertex& p, const TriVertex& q, float bound, ClipVertexPool& pool)
{
    return Cut(p, q, (bound - p.y) / (q.y - p.y), pool);
}

ClipPolygon ClipPolygonLeft(const ClipPolygon& input, float bound, ClipVertexPool& pool)
{
    return ClipPass<Edge::Left>(input, bound, pool);
}

ClipPolygon ClipPolygonRight(const ClipPolygon& input, float bound, ClipVertexPool& pool)
{
    return ClipPass<Edge::Right>(input, bound, pool);
}

ClipPolygon ClipPolygonTop(const ClipPolygon& input, float bound, ClipVertexPool& pool)
{
    return ClipPass<Edge::Top>(input, bound, pool);
}

ClipPolygon ClipPolygonBottom(const ClipPolygon& input, float bound, ClipVertexPool& pool)
{
    return ClipPass<Edge::Bottom>(input, bound, pool);
}

ClipPolygon ClipTriangleToRect(const TriVertex& a, const TriVertex& b, const TriVertex& c, const ClipBounds& bounds,
                               ClipVertexPool& pool)
{
    pool.count = 0;
    ClipPolygon polygon;
    polygon.vertices[0] = &a;
    polygon.vertices[1] = &b;
    polygon.vertices[2] = &c;
    polygon.count = 3;
    // Most triangles lie wholly inside, where every pass would hand the three vertices on unchanged.
    if (InsideBounds(a, bounds) && InsideBounds(b, bounds) && InsideBounds(c, bounds))
        return polygon;
    polygon = ClipPolygonLeft(polygon, bounds.left, pool);
    polygon = ClipPolygonRight(polygon, bounds.right, pool);
    polygon = ClipPolygonTop(polygon, bounds.top, pool);
    polygon = ClipPolygonBottom(polygon, bounds.bottom, pool);
    if (polygon.count < 3)
        polygon.count = 0;
    return polygon;
}

} // namespace Raster
