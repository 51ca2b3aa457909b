#pragma once

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Gradient.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The one gradient of the interface: colour stops plus whether it is linear or radial and the
// geometry to draw it with, so callers only name the rectangle or path to fill. Most come from
// brand texts such as
//   "linear@-90.0:c(0.59,0.59,0.59,1.0)@0.0,c(0.86,0.86,0.86,1.0)@1.0"
//   "radial@(0.2,-0.4):c(1,1,1,1)@0,c(0,0,0,1)@1"
// A gradient is not changed once made.
class QXGradient : public platform::Gradient {
public:
    // Linear, angle 0, centre (0.5, 0.5), no stops.
    QXGradient();

    // Reads a gradient text: kind before the first "@", geometry before the next ":", then
    // every "c(r,g,b,a)@location" stop. The text is read by successive searches, never
    // rejected: missing parts take defaults. No text, or a text without a single stop, gives
    // no gradient (nullptr); one stop gives a flat fill of its colour.
    static std::shared_ptr<QXGradient> gradientFromString(const std::string* text);
    static std::shared_ptr<QXGradient> gradientFromString(std::string_view text);
    static std::shared_ptr<QXGradient>
    linearGradientWithAngle(float angle, std::vector<platform::Color> colors,
                            const std::vector<double>& locations);
    static std::shared_ptr<QXGradient> radialGradientAtPoint(platform::Point relativeCenter,
                                                             std::vector<platform::Color> colors,
                                                             const std::vector<double>& locations);

    // The initialisers: each location is narrowed to a float; colours and locations pair up
    // in order, the longer list's extra entries ignored.
    void initAsLinearAtAngle(float angle, std::vector<platform::Color> colors,
                             const std::vector<double>& locations);
    void initAsRadialAtPoint(platform::Point relativeCenter, std::vector<platform::Color> colors,
                             const std::vector<double>& locations);

    // Linear gradients draw at their angle (degrees, counter-clockwise, y up); radial ones
    // around their relative centre, which for a path refers to the path's bounds.
    void drawInRect(const platform::Rect& rect) const;
    void drawInBezierPath(const platform::BezierPath& path) const;
    using platform::Gradient::drawInBezierPath;
    using platform::Gradient::drawInRect;

    bool isLinear() const { return _linear; }
    float angle() const { return _angle; }
    platform::Point origin() const { return _origin; }

private:
    bool _linear = true;
    float _angle = 0;
    platform::Point _origin{0.5, 0.5};
};
