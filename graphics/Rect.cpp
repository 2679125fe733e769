#include "graphics/Rect.h"

#include <algorithm>
#include <ostream>

namespace Pyxo {

Rect Rect::Intersection(const Rect& other) const
{
    const int x = std::max(mX, other.mX);
    const int width = std::min(mX + mWidth, other.mX + other.mWidth) - x;
    if (width < 0) {
        return Rect();
    }
    const int y = std::max(mY, other.mY);
    const int height = std::min(mY + mHeight, other.mY + other.mHeight) - y;
    if (height < 0) {
        return Rect();
    }
    return Rect(x, y, width, height);
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
