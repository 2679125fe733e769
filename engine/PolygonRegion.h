#pragma once

#include "graphics/Rect.h"

#include <vector>

/// The click area of a pick item: a closed polygon in scene coordinates filled by the non-zero winding rule. A
/// point stands for the pixel whose top-left corner it is, tested at that pixel's centre, so a point on a left or
/// top edge is inside and one on a right or bottom edge is outside, as pixel regions count them. Fewer than two
/// vertices make no region.
class PolygonRegion {
public:
    PolygonRegion() = default;
    explicit PolygonRegion(std::vector<Pyxo::Point> vertices);

    [[nodiscard]] bool IsEmpty() const { return mVertices.size() < 2; }
    [[nodiscard]] bool Contains(Pyxo::Point point) const;
    [[nodiscard]] const std::vector<Pyxo::Point>& Vertices() const { return mVertices; }

private:
    std::vector<Pyxo::Point> mVertices;
};
