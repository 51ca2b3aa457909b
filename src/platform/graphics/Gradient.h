#pragma once

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"

#include <cstddef>
#include <utility>
#include <vector>

namespace platform {

// Colour stops at locations from 0 to 1, drawn as a linear or a radial fill. Before the first
// and after the last stop the end colours continue. A gradient with one stop draws that colour
// flat; one without stops draws nothing.
class Gradient {
public:
    Gradient() = default;
    Gradient(const Color& startingColor, const Color& endingColor);
    // Colours spaced evenly from 0 to 1.
    explicit Gradient(std::vector<Color> colors);
    // Colours at the given locations; extra colours or locations beyond the shorter list are
    // ignored.
    Gradient(std::vector<Color> colors, const std::vector<double>& locations);
    explicit Gradient(const std::vector<std::pair<Color, double>>& colorsAndLocations);
    virtual ~Gradient() = default;
    Gradient(const Gradient&) = default;
    Gradient& operator=(const Gradient&) = default;

    std::size_t numberOfColorStops() const { return colors_.size(); }
    // The stop at `index` (in the order given); false when out of range.
    bool getColor(Color* color, double* location, std::size_t index) const;
    // The colour the gradient has at `location`, the ends continuing outside the stops.
    Color interpolatedColorAtLocation(double location) const;

    // Linear fill of the rectangle at `angle` degrees counter-clockwise from the x axis in the
    // current coordinates. The start and end lie where the rectangle's extreme corners project
    // onto that direction, so at 0 and 90 degrees the gradient runs edge to edge and at 45
    // degrees across a square from corner to corner.
    void drawInRect(const Rect& rect, double angle) const;
    // Radial fill: the gradient starts at the rectangle's centre (a circle of radius 0) and
    // ends on a circle centred at the centre moved by `relativeCenterPosition` times half the
    // size (-1 to 1 reaching the edges), its radius the smallest that covers the rectangle.
    void drawInRect(const Rect& rect, Point relativeCenterPosition) const;
    // The same inside a path, the rectangle being the path's bounds.
    void drawInBezierPath(const BezierPath& path, double angle) const;
    void drawInBezierPath(const BezierPath& path, Point relativeCenterPosition) const;
    // The primitive forms: a linear gradient from one point to another, a radial one between
    // two circles, over the whole current clip.
    void drawFromPoint(Point start, Point end) const;
    void drawFromCenter(Point startCenter, double startRadius, Point endCenter,
                        double endRadius) const;

protected:
    // Replaces the stops, as an initialiser of a subclass does.
    void setStops(std::vector<Color> colors, std::vector<double> locations);

private:
    std::vector<Color> colors_;
    std::vector<double> locations_;
};

} // namespace platform
