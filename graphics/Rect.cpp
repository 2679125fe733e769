#include "graphics/Rect.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <ostream>

namespace Pyxo {

Rect Rect::Intersection(const Rect& other) const
{
    // Edges are summed in 64 bits, so that rectangles near the integer limits (a glyph moved far off by a font's
    // offset) cannot overflow; the right and bottom edges of the result are kept within int.
    const int64_t x = std::max(mX, other.mX);
    const int64_t right = std::min({int64_t(mX) + mWidth, int64_t(other.mX) + other.mWidth, int64_t(INT_MAX)});
    if (right < x) {
        return Rect();
    }
    const int64_t y = std::max(mY, other.mY);
    const int64_t bottom = std::min({int64_t(mY) + mHeight, int64_t(other.mY) + other.mHeight, int64_t(INT_MAX)});
    if (bottom < y) {
        return Rect();
    }
    return Rect(int(x), int(y), int(std::min<int64_t>(right - x, INT_MAX)),
                int(std::min<int64_t>(bottom - y, INT_MAX)));
}

FRect FRect::Intersection(const FRect& other) const
{
    const double x = std::max(mX, other.mX);
    const double width = std::min(mX + mWidth, other.mX + other.mWidth) - x;
    if (width < 0.0) {
        return FRect();
    }
    const double y = std::max(mY, other.mY);
    const double height = std::min(mY + mHeight, other.mY + other.mHeight) - y;
    if (height < 0.0) {
        return FRect();
    }
    return FRect(x, y, width, height);
}

void PrintTo(const Point& point, std::ostream* os)
{
    *os << "(" << point.mX << ", " << point.mY << ")";
}

void PrintTo(const Rect& rect, std::ostream* os)
{
    *os << "(" << rect.mX << ", " << rect.mY << ", " << rect.mWidth << ", " << rect.mHeight << ")";
}

void PrintTo(const FRect& rect, std::ostream* os)
{
    *os << "(" << rect.mX << ", " << rect.mY << ", " << rect.mWidth << ", " << rect.mHeight << ")";
}

} // namespace Pyxo
