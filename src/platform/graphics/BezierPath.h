#pragma once

#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Geometry.h"

#include <array>
#include <cstddef>
#include <vector>

namespace platform {

enum class WindingRule { NonZero, EvenOdd };
enum class LineCapStyle { Butt, Round, Square };
enum class LineJoinStyle { Miter, Round, Bevel };
enum class PathElementType { MoveTo, LineTo, CurveTo, ClosePath };

// One element of a path. A curve keeps {control point 1, control point 2, end point}; moves
// and lines keep their point first.
struct PathElement {
    PathElementType type = PathElementType::MoveTo;
    std::array<Point, 3> points{};

    friend bool operator==(const PathElement&, const PathElement&) = default;
};

// A path of lines and cubic curves, in the coordinates of the context it is drawn into.
// Unlike the original, a line or curve with no current point does not fail: it starts the
// subpath at its end point, as a move would. A line or curve right after a close starts a new
// subpath at the closed one's first point.
class BezierPath {
public:
    BezierPath();

    static BezierPath bezierPath() { return {}; }
    static BezierPath bezierPathWithRect(const Rect& rect);
    static BezierPath bezierPathWithOvalInRect(const Rect& rect);
    // The radii are clamped to half the rectangle's width and height; zero radii give a
    // plain rectangle.
    static BezierPath bezierPathWithRoundedRect(const Rect& rect, double xRadius, double yRadius);

    void moveToPoint(Point p);
    void lineToPoint(Point p);
    void curveToPoint(Point end, Point control1, Point control2);
    void closePath();
    // Relative to the current point ((0, 0) when there is none).
    void relativeMoveToPoint(Point offset);
    void relativeLineToPoint(Point offset);
    void relativeCurveToPoint(Point end, Point control1, Point control2);
    void removeAllPoints();

    void appendBezierPath(const BezierPath& other);
    void appendBezierPathWithRect(const Rect& rect);
    void appendBezierPathWithOvalInRect(const Rect& rect);
    void appendBezierPathWithRoundedRect(const Rect& rect, double xRadius, double yRadius);
    void appendBezierPathWithPoints(const std::vector<Point>& points);
    // An arc of a circle, angles in degrees counter-clockwise from the x axis (y up). A line
    // joins the current point to the arc's start; without one, the arc starts a subpath.
    void appendBezierPathWithArcWithCenter(Point center, double radius, double startAngle,
                                           double endAngle, bool clockwise = false);
    // A line from the current point towards p1, rounded into the line from p1 to p2 by an arc
    // of the given radius tangent to both.
    void appendBezierPathWithArcFromPoint(Point p1, Point p2, double radius);

    void transformUsingAffineTransform(const AffineTransform& transform);

    bool isEmpty() const { return elements_.empty(); }
    std::size_t elementCount() const { return elements_.size(); }
    const PathElement& elementAtIndex(std::size_t index) const { return elements_.at(index); }
    const std::vector<PathElement>& elements() const { return elements_; }
    // The last point reached, or (0, 0) for an empty path.
    Point currentPoint() const { return current_; }
    bool hasCurrentPoint() const { return hasCurrent_; }

    // The tight bounds of the outline (curves at their extremes), control points excluded.
    Rect bounds() const;
    Rect controlPointBounds() const;
    // Inside test with the path's winding rule; open subpaths count as closed.
    bool containsPoint(Point p) const;

    double lineWidth() const { return lineWidth_; }
    void setLineWidth(double width) { lineWidth_ = width; }
    WindingRule windingRule() const { return windingRule_; }
    void setWindingRule(WindingRule rule) { windingRule_ = rule; }
    LineCapStyle lineCapStyle() const { return lineCap_; }
    void setLineCapStyle(LineCapStyle style) { lineCap_ = style; }
    LineJoinStyle lineJoinStyle() const { return lineJoin_; }
    void setLineJoinStyle(LineJoinStyle style) { lineJoin_ = style; }
    double miterLimit() const { return miterLimit_; }
    void setMiterLimit(double limit) { miterLimit_ = limit; }
    const std::vector<double>& lineDash() const { return dash_; }
    double lineDashPhase() const { return dashPhase_; }
    void setLineDash(std::vector<double> pattern, double phase);

    // Drawing in the current context (nothing happens without one). Fill and stroke use the
    // context's fill or stroke colour and its compositing operation.
    void fill() const;
    void stroke() const;
    // Intersects the current clip with the inside of the path.
    void addClip() const;
    // Replaces the current clip with the inside of the path.
    void setClip() const;

    static void fillRect(const Rect& rect);
    static void strokeRect(const Rect& rect);
    static void clipRect(const Rect& rect);
    static void strokeLineFromPoint(Point from, Point to);
    static double defaultLineWidth();
    static void setDefaultLineWidth(double width);

    // Each subpath as a polygon, curves flattened finely enough for hit testing.
    std::vector<std::vector<Point>> flattened() const;

private:
    void ensureStart(Point p);
    void appendArcSegments(Point center, double rx, double ry, double start, double sweep);

    std::vector<PathElement> elements_;
    Point current_;
    Point subpathStart_;
    bool hasCurrent_ = false;
    bool closed_ = false;
    double lineWidth_;
    WindingRule windingRule_ = WindingRule::NonZero;
    LineCapStyle lineCap_ = LineCapStyle::Butt;
    LineJoinStyle lineJoin_ = LineJoinStyle::Miter;
    double miterLimit_ = 10;
    std::vector<double> dash_;
    double dashPhase_ = 0;
};

} // namespace platform
