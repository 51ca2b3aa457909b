#include "platform/graphics/Geometry.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace platform {

Rect Rect::insetBy(const EdgeInsets& insets) const {
    return {origin.x + insets.left, origin.y + insets.bottom,
            size.width - insets.left - insets.right, size.height - insets.top - insets.bottom};
}

Rect Rect::integral() const {
    if (isEmpty())
        return ZeroRect;
    const double x0 = std::floor(minX());
    const double y0 = std::floor(minY());
    return {x0, y0, std::ceil(maxX()) - x0, std::ceil(maxY()) - y0};
}

Rect Rect::unionWith(const Rect& other) const {
    if (isEmpty())
        return other.isEmpty() ? ZeroRect : other;
    if (other.isEmpty())
        return *this;
    const double x0 = std::min(minX(), other.minX());
    const double y0 = std::min(minY(), other.minY());
    return {x0, y0, std::max(maxX(), other.maxX()) - x0, std::max(maxY(), other.maxY()) - y0};
}

Rect Rect::intersection(const Rect& other) const {
    const double x0 = std::max(minX(), other.minX());
    const double y0 = std::max(minY(), other.minY());
    const double x1 = std::min(maxX(), other.maxX());
    const double y1 = std::min(maxY(), other.maxY());
    if (!(x1 > x0) || !(y1 > y0))
        return ZeroRect;
    return {x0, y0, x1 - x0, y1 - y0};
}

bool Rect::intersects(const Rect& other) const {
    return !isEmpty() && !other.isEmpty() && !intersection(other).isEmpty();
}

bool Rect::containsPoint(Point p) const {
    return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
}

bool Rect::containsRect(const Rect& other) const {
    return !other.isEmpty() && other.minX() >= minX() && other.maxX() <= maxX() &&
           other.minY() >= minY() && other.maxY() <= maxY();
}

std::pair<Rect, Rect> Rect::divide(double amount, RectEdge edge) const {
    const bool horizontal = edge == RectEdge::MinX || edge == RectEdge::MaxX;
    const double extent = std::max(0.0, horizontal ? size.width : size.height);
    const double a = std::clamp(amount, 0.0, extent);
    Rect slice = *this;
    Rect rest = *this;
    switch (edge) {
    case RectEdge::MinX:
        slice.size.width = a;
        rest.origin.x += a;
        rest.size.width -= a;
        break;
    case RectEdge::MaxX:
        slice.origin.x = maxX() - a;
        slice.size.width = a;
        rest.size.width -= a;
        break;
    case RectEdge::MinY:
        slice.size.height = a;
        rest.origin.y += a;
        rest.size.height -= a;
        break;
    case RectEdge::MaxY:
        slice.origin.y = maxY() - a;
        slice.size.height = a;
        rest.size.height -= a;
        break;
    }
    return {slice, rest};
}

bool mouseInRect(Point p, const Rect& rect, bool flipped) {
    if (flipped)
        return rect.containsPoint(p);
    return p.x >= rect.minX() && p.x < rect.maxX() && p.y > rect.minY() && p.y <= rect.maxY();
}

namespace {

std::string number(double v) {
    if (v == 0)
        v = 0; // no "-0"
    std::array<char, 32> buffer{};
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), v);
    return std::string(buffer.data(), result.ptr);
}

// The numbers of a text in order, each one starting where a sign, digit or point begins a
// number; everything between numbers is skipped.
template <std::size_t N> std::array<double, N> numbers(std::string_view text) {
    std::array<double, N> out{};
    std::size_t found = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && found < N) {
        const char c = *p;
        const bool starts = (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
        if (starts) {
            // from_chars reads the same whatever the locale, but takes no "+".
            const char* from = c == '+' ? p + 1 : p;
            double v = 0;
            const auto result = std::from_chars(from, end, v);
            if (result.ec == std::errc() || result.ec == std::errc::result_out_of_range) {
                out[found++] = v;
                p = result.ptr;
                continue;
            }
        }
        ++p;
    }
    return out;
}

// Built by appending: GCC 12 warns falsely about "{" + std::string in release builds.
std::string braced(double a, double b) {
    std::string out = "{";
    out += number(a);
    out += ", ";
    out += number(b);
    out += '}';
    return out;
}

} // namespace

std::string stringFromPoint(Point p) { return braced(p.x, p.y); }

std::string stringFromSize(Size s) { return braced(s.width, s.height); }

std::string stringFromRect(const Rect& r) {
    std::string out = "{";
    out += stringFromPoint(r.origin);
    out += ", ";
    out += stringFromSize(r.size);
    out += '}';
    return out;
}

Point pointFromString(std::string_view text) {
    const auto n = numbers<2>(text);
    return {n[0], n[1]};
}

Size sizeFromString(std::string_view text) {
    const auto n = numbers<2>(text);
    return {n[0], n[1]};
}

Rect rectFromString(std::string_view text) {
    const auto n = numbers<4>(text);
    return {n[0], n[1], n[2], n[3]};
}

} // namespace platform
