#pragma once

#include <iosfwd>

namespace Pyxo {

/// An integer point.
struct Point {
    int mX = 0;
    int mY = 0;

    constexpr Point() = default;
    constexpr Point(int x, int y) : mX(x), mY(y) {}
    friend constexpr bool operator==(const Point& a, const Point& b) = default;
};

/// An integer rectangle: top-left corner (x, y), width and height; the right edge x + width is exclusive.
/// Plain value type.
struct Rect {
    int mX = 0;
    int mY = 0;
    int mWidth = 0;
    int mHeight = 0;

    constexpr Rect() = default;
    constexpr Rect(int x, int y, int width, int height) : mX(x), mY(y), mWidth(width), mHeight(height) {}

    /// The overlap of the two rectangles. A negative overlap in either axis gives (0, 0, 0, 0); an overlap of
    /// zero width or height keeps its position, so rectangles that only touch give an empty rectangle at the
    /// touching edge.
    [[nodiscard]] Rect Intersection(const Rect& other) const;

    friend constexpr bool operator==(const Rect& a, const Rect& b) = default;
};

/// Rect in double precision, for clipping fractional blits. Its intersection follows the same steps; a negative
/// width or height gives all four fields 0.0.
struct FRect {
    double mX = 0.0;
    double mY = 0.0;
    double mWidth = 0.0;
    double mHeight = 0.0;

    constexpr FRect() = default;
    constexpr FRect(double x, double y, double width, double height) : mX(x), mY(y), mWidth(width), mHeight(height) {}

    [[nodiscard]] FRect Intersection(const FRect& other) const;

    friend constexpr bool operator==(const FRect& a, const FRect& b) = default;
};

/// Readable values in test failure messages.
void PrintTo(const Point& point, std::ostream* os);
void PrintTo(const Rect& rect, std::ostream* os);
void PrintTo(const FRect& rect, std::ostream* os);

} // namespace Pyxo
