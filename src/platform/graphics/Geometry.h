#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace platform {

// Geometry is in points. The platform's coordinates put the origin at the bottom left with y
// growing upwards; a flipped view or context turns y downwards. "min" and "max" therefore
// name the smaller and the larger coordinate, never "top" or "bottom", which depend on
// flipping.

struct Point {
    double x = 0;
    double y = 0;

    constexpr Point() = default;
    constexpr Point(double x_, double y_) : x(x_), y(y_) {}

    constexpr Point offsetBy(double dx, double dy) const { return {x + dx, y + dy}; }
    friend constexpr bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;

    constexpr Size() = default;
    constexpr Size(double w, double h) : width(w), height(h) {}

    friend constexpr bool operator==(const Size&, const Size&) = default;
};

// The edge a rectangle is divided from.
enum class RectEdge { MinX, MinY, MaxX, MaxY };

// Distances inwards from each edge; top and bottom are as seen in unflipped coordinates
// (top = max y).
struct EdgeInsets {
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;

    friend constexpr bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

struct Rect {
    Point origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(Point o, Size s) : origin(o), size(s) {}
    constexpr Rect(double x, double y, double w, double h) : origin(x, y), size(w, h) {}

    constexpr double minX() const { return origin.x; }
    constexpr double midX() const { return origin.x + size.width * 0.5; }
    constexpr double maxX() const { return origin.x + size.width; }
    constexpr double minY() const { return origin.y; }
    constexpr double midY() const { return origin.y + size.height * 0.5; }
    constexpr double maxY() const { return origin.y + size.height; }
    constexpr double width() const { return size.width; }
    constexpr double height() const { return size.height; }
    constexpr Point center() const { return {midX(), midY()}; }

    // Empty when either dimension is zero or negative.
    constexpr bool isEmpty() const { return !(size.width > 0) || !(size.height > 0); }

    // Moves every edge inwards by dx and dy (outwards when negative); the size may go negative.
    constexpr Rect insetBy(double dx, double dy) const {
        return {origin.x + dx, origin.y + dy, size.width - 2 * dx, size.height - 2 * dy};
    }
    Rect insetBy(const EdgeInsets& insets) const;
    constexpr Rect offsetBy(double dx, double dy) const {
        return {origin.x + dx, origin.y + dy, size.width, size.height};
    }
    // The smallest rectangle on whole numbers enclosing this one; the zero rectangle when empty.
    Rect integral() const;
    // The smallest rectangle enclosing both; an empty one does not count.
    Rect unionWith(const Rect& other) const;
    // The overlap; the zero rectangle when they do not overlap.
    Rect intersection(const Rect& other) const;
    bool intersects(const Rect& other) const;
    // Half-open containment, min edges in and max edges out, the test of flipped coordinates.
    bool containsPoint(Point p) const;
    // True when `other` is not empty and lies wholly inside.
    bool containsRect(const Rect& other) const;
    // Cuts `amount` (clamped to the rectangle) off the given edge: {slice, remainder}.
    std::pair<Rect, Rect> divide(double amount, RectEdge edge) const;

    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

inline constexpr Point ZeroPoint{};
inline constexpr Size ZeroSize{};
inline constexpr Rect ZeroRect{};

// Mouse hit test: in unflipped coordinates the max-y edge is inside and the min-y edge is not,
// so that a click on a view's top row of pixels belongs to it; flipped, it is containsPoint.
bool mouseInRect(Point p, const Rect& rect, bool flipped);

// Text forms "{x, y}", "{w, h}" and "{{x, y}, {w, h}}", numbers written in their shortest
// exact form. The readers take the numbers in order wherever they stand and leave missing
// ones at zero, so "{1,2}" and "1 2" both read as (1, 2).
std::string stringFromPoint(Point p);
std::string stringFromSize(Size s);
std::string stringFromRect(const Rect& r);
Point pointFromString(std::string_view text);
Size sizeFromString(std::string_view text);
Rect rectFromString(std::string_view text);

} // namespace platform
