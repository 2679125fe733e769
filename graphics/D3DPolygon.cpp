#include "graphics/D3DPolygon.h"

#include <algorithm>
#include <cmath>

namespace Pyxo {

namespace {

using Platform::TLVertex;

float Component(const TLVertex& vertex, VertexComponent component)
{
    switch (component) {
    case VertexComponent::X:
        return vertex.sx;
    case VertexComponent::Y:
        return vertex.sy;
    case VertexComponent::Z:
        return vertex.sz;
    case VertexComponent::U:
        return vertex.tu;
    case VertexComponent::V:
        return vertex.tv;
    }
    return 0;
}

/// Sutherland-Hodgman against one bound; `inside` says which side is kept. The predicate is the same for both
/// ends of an edge, so an edge crossing the bound has ends with different components and its intersection is
/// well defined.
template <class Inside>
void ClipPolygon(VertexComponent component, float bound, const D3DPolygon& in, D3DPolygon& out, Inside inside)
{
    out.Clear();
    const size_t count = in.Size();
    if (count < 2)
        return;
    const auto crossing = [&](const TLVertex& a, const TLVertex& b) {
        const float from = Component(a, component);
        const float span = Component(b, component) - from;
        const float t = span != 0 ? (bound - from) / span : 0.0f;
        // An edge between two infinite ends has no crossing to find.
        return InterpolateVertex(a, b, std::isfinite(t) ? t : 0.0f);
    };
    const TLVertex* a = &in[count - 1];
    for (size_t i = 0; i < count; ++i) {
        const TLVertex& b = in[i];
        const bool aInside = inside(Component(*a, component));
        const bool bInside = inside(Component(b, component));
        if (aInside && bInside) {
            out.Add(b);
        } else if (aInside) {
            out.Add(crossing(*a, b));
        } else if (bInside) {
            out.Add(crossing(*a, b));
            out.Add(b);
        }
        a = &b;
    }
}

int Lerp(int from, int to, float t)
{
    // Channels stay within their byte, whatever t a caller passes.
    const float value = static_cast<float>(from) + static_cast<float>(to - from) * t;
    return std::isfinite(value) ? static_cast<int>(std::clamp(value, 0.0f, 255.0f)) : from;
}

} // namespace

void D3DPolygon::Add(const TLVertex& vertex)
{
    if (mCount < kInPlace) {
        mInPlace[mCount++] = vertex;
        return;
    }
    if (mCount == kInPlace)
        mHeap.assign(mInPlace.begin(), mInPlace.end());
    mHeap.push_back(vertex);
    ++mCount;
}

void ClipPolygonMin(VertexComponent component, float bound, const D3DPolygon& in, D3DPolygon& out)
{
    ClipPolygon(component, bound, in, out, [bound](float value) { return value >= bound; });
}

void ClipPolygonMax(VertexComponent component, float bound, const D3DPolygon& in, D3DPolygon& out)
{
    ClipPolygon(component, bound, in, out, [bound](float value) { return value <= bound; });
}

TLVertex InterpolateVertex(const TLVertex& a, const TLVertex& b, float t)
{
    TLVertex result = a;
    result.sx = a.sx + (b.sx - a.sx) * t;
    result.sy = a.sy + (b.sy - a.sy) * t;
    result.tu = a.tu + (b.tu - a.tu) * t;
    result.tv = a.tv + (b.tv - a.tv) * t;
    if (a.color != b.color) {
        uint32_t color = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const int channel =
                Lerp(static_cast<int>((a.color >> shift) & 0xFF), static_cast<int>((b.color >> shift) & 0xFF), t);
            color |= (static_cast<uint32_t>(channel) & 0xFF) << shift;
        }
        result.color = color;
    }
    return result;
}

void ClipToTextureSpace(D3DPolygon& polygon)
{
    D3DPolygon other;
    ClipPolygonMin(VertexComponent::U, 0.0f, polygon, other);
    ClipPolygonMin(VertexComponent::V, 0.0f, other, polygon);
    ClipPolygonMax(VertexComponent::U, 1.0f, polygon, other);
    ClipPolygonMax(VertexComponent::V, 1.0f, other, polygon);
}

} // namespace Pyxo
