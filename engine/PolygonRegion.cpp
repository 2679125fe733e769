#include "engine/PolygonRegion.h"

#include <cstdint>
#include <utility>

namespace {

__extension__ using Wide = __int128;

} // namespace

PolygonRegion::PolygonRegion(std::vector<Pyxo::Point> vertices) : mVertices(std::move(vertices)) {}

bool PolygonRegion::Contains(Pyxo::Point point) const
{
    if (IsEmpty())
        return false;
    // Doubled coordinates keep the pixel centre (2x + 1, 2y + 1) and every vertex on integers: the test is exact.
    const int64_t px = 2 * int64_t{point.mX} + 1;
    const int64_t py = 2 * int64_t{point.mY} + 1;
    int winding = 0;
    const size_t count = mVertices.size();
    for (size_t i = 0; i < count; ++i) {
        const Pyxo::Point& a = mVertices[i];
        const Pyxo::Point& b = mVertices[(i + 1) % count];
        const int64_t ax = 2 * int64_t{a.mX}, ay = 2 * int64_t{a.mY};
        const int64_t bx = 2 * int64_t{b.mX}, by = 2 * int64_t{b.mY};
        // Each factor needs 34 bits, a product 67: the cross product is taken in 128 bits.
        const Wide side = Wide{bx - ax} * (py - ay) - Wide{px - ax} * (by - ay);
        if (ay <= py) {
            if (by > py && side > 0)
                ++winding;
        } else if (by <= py && side < 0) {
            --winding;
        }
    }
    return winding != 0;
}
