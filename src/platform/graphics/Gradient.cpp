#include "platform/graphics/Gradient.h"

#include "platform/graphics/CairoBridge.h"
#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <numbers>
#include <numeric>

namespace platform {

namespace {

struct Stop {
    double location;
    Color color;
};

double finiteLocation(double location) {
    return std::isfinite(location) ? location : 0.0;
}

// Stops ordered by location; equal locations keep the order they were given in.
std::vector<Stop> sortedStops(const std::vector<Color>& colors,
                              const std::vector<double>& locations) {
    std::vector<Stop> stops;
    for (std::size_t i = 0; i < colors.size() && i < locations.size(); ++i)
        stops.push_back({finiteLocation(locations[i]), colors[i]});
    std::stable_sort(stops.begin(), stops.end(),
                     [](const Stop& a, const Stop& b) { return a.location < b.location; });
    return stops;
}

void addStops(cairo_pattern_t* pattern, const std::vector<Stop>& stops) {
    for (const auto& stop : stops) {
        const Color& c = stop.color;
        cairo_pattern_add_color_stop_rgba(
            pattern, std::clamp(stop.location, 0.0, 1.0), detail::clampUnit(c.redComponent()),
            detail::clampUnit(c.greenComponent()), detail::clampUnit(c.blueComponent()),
            detail::clampUnit(c.alphaComponent()));
    }
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
}

// Paints the current clip of the current context with the gradient's pattern, or with its
// only colour.
template <class MakePattern> void paint(const std::vector<Stop>& stops, MakePattern makePattern) {
    auto* context = GraphicsContext::currentContext();
    if (!context || stops.empty())
        return;
    cairo_t* cr = context->cairo();
    if (stops.size() == 1) {
        detail::setSourceColor(cr, stops.front().color);
    } else {
        cairo_pattern_t* pattern = makePattern();
        if (!pattern)
            return;
        addStops(pattern, stops);
        cairo_set_source(cr, pattern);
        cairo_pattern_destroy(pattern);
    }
    detail::paintWithOperation(cr, context->compositingOperation());
}

bool finite(Point p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

} // namespace

Gradient::Gradient(const Color& startingColor, const Color& endingColor)
    : colors_{startingColor, endingColor}, locations_{0.0, 1.0} {}

Gradient::Gradient(std::vector<Color> colors) : colors_(std::move(colors)) {
    const std::size_t n = colors_.size();
    for (std::size_t i = 0; i < n; ++i)
        locations_.push_back(n == 1 ? 0.0 : static_cast<double>(i) / static_cast<double>(n - 1));
}

Gradient::Gradient(std::vector<Color> colors, const std::vector<double>& locations) {
    setStops(std::move(colors), locations);
}

Gradient::Gradient(const std::vector<std::pair<Color, double>>& colorsAndLocations) {
    for (const auto& [color, location] : colorsAndLocations) {
        colors_.push_back(color);
        locations_.push_back(location);
    }
}

void Gradient::setStops(std::vector<Color> colors, std::vector<double> locations) {
    const std::size_t n = std::min(colors.size(), locations.size());
    colors.resize(n);
    locations.resize(n);
    colors_ = std::move(colors);
    locations_ = std::move(locations);
}

bool Gradient::getColor(Color* color, double* location, std::size_t index) const {
    if (index >= colors_.size())
        return false;
    if (color)
        *color = colors_[index];
    if (location)
        *location = locations_[index];
    return true;
}

Color Gradient::interpolatedColorAtLocation(double location) const {
    const auto stops = sortedStops(colors_, locations_);
    if (stops.empty())
        return Color::clearColor();
    if (!(location > stops.front().location))
        return stops.front().color;
    if (location >= stops.back().location)
        return stops.back().color;
    for (std::size_t i = 1; i < stops.size(); ++i) {
        if (location <= stops[i].location) {
            const Stop& a = stops[i - 1];
            const Stop& b = stops[i];
            const double span = b.location - a.location;
            const double f = span > 0 ? (location - a.location) / span : 1.0;
            return a.color.blendedColorWithFraction(f, b.color);
        }
    }
    return stops.back().color;
}

void Gradient::drawFromPoint(Point start, Point end) const {
    if (!finite(start) || !finite(end))
        return;
    paint(sortedStops(colors_, locations_),
          [&] { return cairo_pattern_create_linear(start.x, start.y, end.x, end.y); });
}

void Gradient::drawFromCenter(Point startCenter, double startRadius, Point endCenter,
                              double endRadius) const {
    if (!finite(startCenter) || !finite(endCenter) || !std::isfinite(startRadius) ||
        !std::isfinite(endRadius))
        return;
    paint(sortedStops(colors_, locations_), [&] {
        return cairo_pattern_create_radial(startCenter.x, startCenter.y, std::max(0.0, startRadius),
                                           endCenter.x, endCenter.y, std::max(0.0, endRadius));
    });
}

namespace {

// The linear gradient's ends for a rectangle: through the centre along the angle, as far as
// the corners reach in that direction.
std::pair<Point, Point> linearEnds(const Rect& rect, double angle) {
    const double radians = angle * std::numbers::pi / 180.0;
    const double dx = std::cos(radians), dy = std::sin(radians);
    const double half = (std::abs(rect.width() * dx) + std::abs(rect.height() * dy)) / 2;
    const Point c = rect.center();
    return {{c.x - dx * half, c.y - dy * half}, {c.x + dx * half, c.y + dy * half}};
}

struct Radial {
    Point start;
    Point end;
    double radius;
};

Radial radialGeometry(const Rect& rect, Point relative) {
    const Point c = rect.center();
    const Point e{c.x + relative.x * rect.width() / 2, c.y + relative.y * rect.height() / 2};
    double radius = 0;
    for (const Point corner : {Point(rect.minX(), rect.minY()), Point(rect.maxX(), rect.minY()),
                               Point(rect.minX(), rect.maxY()), Point(rect.maxX(), rect.maxY())})
        radius = std::max(radius, std::hypot(corner.x - e.x, corner.y - e.y));
    return {c, e, radius};
}

} // namespace

void Gradient::drawInRect(const Rect& rect, double angle) const {
    auto* context = GraphicsContext::currentContext();
    if (!context || rect.isEmpty() || !std::isfinite(angle))
        return;
    GraphicsStateSaver saver;
    context->clipToRect(rect);
    const auto [start, end] = linearEnds(rect, angle);
    drawFromPoint(start, end);
}

void Gradient::drawInRect(const Rect& rect, Point relativeCenterPosition) const {
    auto* context = GraphicsContext::currentContext();
    if (!context || rect.isEmpty() || !finite(relativeCenterPosition))
        return;
    GraphicsStateSaver saver;
    context->clipToRect(rect);
    const Radial r = radialGeometry(rect, relativeCenterPosition);
    drawFromCenter(r.start, 0, r.end, r.radius);
}

void Gradient::drawInBezierPath(const BezierPath& path, double angle) const {
    auto* context = GraphicsContext::currentContext();
    const Rect bounds = path.bounds();
    if (!context || bounds.isEmpty() || !std::isfinite(angle))
        return;
    GraphicsStateSaver saver;
    context->clipToPath(path);
    const auto [start, end] = linearEnds(bounds, angle);
    drawFromPoint(start, end);
}

void Gradient::drawInBezierPath(const BezierPath& path, Point relativeCenterPosition) const {
    auto* context = GraphicsContext::currentContext();
    const Rect bounds = path.bounds();
    if (!context || bounds.isEmpty() || !finite(relativeCenterPosition))
        return;
    GraphicsStateSaver saver;
    context->clipToPath(path);
    const Radial r = radialGeometry(bounds, relativeCenterPosition);
    drawFromCenter(r.start, 0, r.end, r.radius);
}

} // namespace platform
