#include "platform/graphics/BezierPath.h"

#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace platform {

namespace {

double defaultWidth = 1.0;

// Control-point distance of a quarter circle of radius 1 drawn as one cubic curve.
constexpr double kappa = 0.5522847498307936;

Point cubicAt(Point p0, Point p1, Point p2, Point p3, double t) {
    const double u = 1 - t;
    const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    return {a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y};
}

// Parameters in (0, 1) where one coordinate of a cubic has a zero derivative.
void cubicExtrema(double p0, double p1, double p2, double p3, std::vector<double>& out) {
    const double a = -p0 + 3 * p1 - 3 * p2 + p3;
    const double b = 2 * (p0 - 2 * p1 + p2);
    const double c = p1 - p0;
    auto keep = [&](double t) {
        if (t > 0 && t < 1)
            out.push_back(t);
    };
    if (std::abs(a) < 1e-12) {
        if (std::abs(b) > 1e-12)
            keep(-c / b);
        return;
    }
    const double disc = b * b - 4 * a * c;
    if (disc < 0)
        return;
    const double root = std::sqrt(disc);
    keep((-b + root) / (2 * a));
    keep((-b - root) / (2 * a));
}

struct Bounds {
    double x0 = std::numeric_limits<double>::infinity();
    double y0 = std::numeric_limits<double>::infinity();
    double x1 = -std::numeric_limits<double>::infinity();
    double y1 = -std::numeric_limits<double>::infinity();
    void add(Point p) {
        x0 = std::min(x0, p.x);
        y0 = std::min(y0, p.y);
        x1 = std::max(x1, p.x);
        y1 = std::max(y1, p.y);
    }
    Rect rect() const { return x0 > x1 ? ZeroRect : Rect{x0, y0, x1 - x0, y1 - y0}; }
};

} // namespace

BezierPath::BezierPath() : lineWidth_(defaultWidth) {}

BezierPath BezierPath::bezierPathWithRect(const Rect& rect) {
    BezierPath path;
    path.appendBezierPathWithRect(rect);
    return path;
}

BezierPath BezierPath::bezierPathWithOvalInRect(const Rect& rect) {
    BezierPath path;
    path.appendBezierPathWithOvalInRect(rect);
    return path;
}

BezierPath BezierPath::bezierPathWithRoundedRect(const Rect& rect, double xRadius, double yRadius) {
    BezierPath path;
    path.appendBezierPathWithRoundedRect(rect, xRadius, yRadius);
    return path;
}

void BezierPath::moveToPoint(Point p) {
    elements_.push_back({PathElementType::MoveTo, {p, {}, {}}});
    current_ = subpathStart_ = p;
    hasCurrent_ = true;
    closed_ = false;
}

void BezierPath::ensureStart(Point p) {
    if (!hasCurrent_)
        moveToPoint(p);
    else if (closed_)
        moveToPoint(subpathStart_);
}

void BezierPath::lineToPoint(Point p) {
    ensureStart(p);
    elements_.push_back({PathElementType::LineTo, {p, {}, {}}});
    current_ = p;
}

void BezierPath::curveToPoint(Point end, Point control1, Point control2) {
    ensureStart(end);
    elements_.push_back({PathElementType::CurveTo, {control1, control2, end}});
    current_ = end;
}

void BezierPath::closePath() {
    if (!hasCurrent_ || closed_)
        return;
    elements_.push_back({PathElementType::ClosePath, {}});
    current_ = subpathStart_;
    closed_ = true;
}

void BezierPath::relativeMoveToPoint(Point o) {
    moveToPoint(current_.offsetBy(o.x, o.y));
}

void BezierPath::relativeLineToPoint(Point o) {
    lineToPoint(current_.offsetBy(o.x, o.y));
}

void BezierPath::relativeCurveToPoint(Point end, Point c1, Point c2) {
    const Point base = current_;
    curveToPoint(base.offsetBy(end.x, end.y), base.offsetBy(c1.x, c1.y), base.offsetBy(c2.x, c2.y));
}

void BezierPath::removeAllPoints() {
    elements_.clear();
    current_ = subpathStart_ = Point{};
    hasCurrent_ = false;
    closed_ = false;
}

void BezierPath::appendBezierPath(const BezierPath& other) {
    for (const auto& e : other.elements_) {
        switch (e.type) {
        case PathElementType::MoveTo:
            moveToPoint(e.points[0]);
            break;
        case PathElementType::LineTo:
            lineToPoint(e.points[0]);
            break;
        case PathElementType::CurveTo:
            curveToPoint(e.points[2], e.points[0], e.points[1]);
            break;
        case PathElementType::ClosePath:
            closePath();
            break;
        }
    }
}

void BezierPath::appendBezierPathWithRect(const Rect& r) {
    moveToPoint({r.minX(), r.minY()});
    lineToPoint({r.maxX(), r.minY()});
    lineToPoint({r.maxX(), r.maxY()});
    lineToPoint({r.minX(), r.maxY()});
    closePath();
}

void BezierPath::appendArcSegments(Point c, double rx, double ry, double start, double sweep) {
    // Pieces of at most a quarter turn keep the cubic approximation within 0.03% of the radius.
    const int pieces = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / 90.0 - 1e-9)));
    const double step = sweep / pieces * std::numbers::pi / 180.0;
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    double a = start * std::numbers::pi / 180.0;
    for (int i = 0; i < pieces; ++i) {
        const double b = a + step;
        const Point p0{c.x + rx * std::cos(a), c.y + ry * std::sin(a)};
        const Point p3{c.x + rx * std::cos(b), c.y + ry * std::sin(b)};
        const Point c1{p0.x - k * rx * std::sin(a), p0.y + k * ry * std::cos(a)};
        const Point c2{p3.x + k * rx * std::sin(b), p3.y - k * ry * std::cos(b)};
        curveToPoint(p3, c1, c2);
        a = b;
    }
}

void BezierPath::appendBezierPathWithOvalInRect(const Rect& r) {
    const Point c = r.center();
    const double rx = r.width() / 2, ry = r.height() / 2;
    moveToPoint({r.maxX(), c.y});
    curveToPoint({c.x, r.maxY()}, {r.maxX(), c.y + ry * kappa}, {c.x + rx * kappa, r.maxY()});
    curveToPoint({r.minX(), c.y}, {c.x - rx * kappa, r.maxY()}, {r.minX(), c.y + ry * kappa});
    curveToPoint({c.x, r.minY()}, {r.minX(), c.y - ry * kappa}, {c.x - rx * kappa, r.minY()});
    curveToPoint({r.maxX(), c.y}, {c.x + rx * kappa, r.minY()}, {r.maxX(), c.y - ry * kappa});
    closePath();
}

void BezierPath::appendBezierPathWithRoundedRect(const Rect& r, double xRadius, double yRadius) {
    const double rx = std::clamp(xRadius, 0.0, std::max(0.0, r.width() / 2));
    const double ry = std::clamp(yRadius, 0.0, std::max(0.0, r.height() / 2));
    if (!(rx > 0) || !(ry > 0)) {
        appendBezierPathWithRect(r);
        return;
    }
    const double kx = rx * kappa, ky = ry * kappa;
    moveToPoint({r.minX() + rx, r.minY()});
    lineToPoint({r.maxX() - rx, r.minY()});
    curveToPoint({r.maxX(), r.minY() + ry}, {r.maxX() - rx + kx, r.minY()},
                 {r.maxX(), r.minY() + ry - ky});
    lineToPoint({r.maxX(), r.maxY() - ry});
    curveToPoint({r.maxX() - rx, r.maxY()}, {r.maxX(), r.maxY() - ry + ky},
                 {r.maxX() - rx + kx, r.maxY()});
    lineToPoint({r.minX() + rx, r.maxY()});
    curveToPoint({r.minX(), r.maxY() - ry}, {r.minX() + rx - kx, r.maxY()},
                 {r.minX(), r.maxY() - ry + ky});
    lineToPoint({r.minX(), r.minY() + ry});
    curveToPoint({r.minX() + rx, r.minY()}, {r.minX(), r.minY() + ry - ky},
                 {r.minX() + rx - kx, r.minY()});
    closePath();
}

void BezierPath::appendBezierPathWithPoints(const std::vector<Point>& points) {
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i == 0 && (!hasCurrent_ || isEmpty()))
            moveToPoint(points[i]);
        else
            lineToPoint(points[i]);
    }
}

void BezierPath::appendBezierPathWithArcWithCenter(Point center, double radius, double startAngle,
                                                   double endAngle, bool clockwise) {
    double sweep = endAngle - startAngle;
    if (!std::isfinite(sweep) || !std::isfinite(radius))
        return;
    if (std::abs(sweep) > 360)
        sweep = std::fmod(sweep, 360.0);
    if (!clockwise && sweep < 0)
        sweep += 360;
    if (clockwise && sweep > 0)
        sweep -= 360;
    const double a = startAngle * std::numbers::pi / 180.0;
    const Point start{center.x + radius * std::cos(a), center.y + radius * std::sin(a)};
    if (!hasCurrent_)
        moveToPoint(start);
    else
        lineToPoint(start);
    if (sweep != 0)
        appendArcSegments(center, radius, radius, startAngle, sweep);
}

void BezierPath::appendBezierPathWithArcFromPoint(Point p1, Point p2, double radius) {
    if (!hasCurrent_) {
        moveToPoint(p1);
        return;
    }
    const Point p0 = current_;
    const double ax = p0.x - p1.x, ay = p0.y - p1.y;
    const double bx = p2.x - p1.x, by = p2.y - p1.y;
    const double la = std::hypot(ax, ay), lb = std::hypot(bx, by);
    const double cross = ax * by - ay * bx;
    if (la == 0 || lb == 0 || std::abs(cross) < 1e-12 * la * lb || !(radius > 0)) {
        lineToPoint(p1);
        return;
    }
    const double ux = ax / la, uy = ay / la, vx = bx / lb, vy = by / lb;
    const double angle = std::acos(std::clamp(ux * vx + uy * vy, -1.0, 1.0));
    const double distance = radius / std::tan(angle / 2);
    const Point t1{p1.x + ux * distance, p1.y + uy * distance};
    const Point t2{p1.x + vx * distance, p1.y + vy * distance};
    const double bisX = ux + vx, bisY = uy + vy;
    const double bisLen = std::hypot(bisX, bisY);
    const double centerDistance = radius / std::sin(angle / 2);
    const Point c{p1.x + bisX / bisLen * centerDistance, p1.y + bisY / bisLen * centerDistance};
    const double start = std::atan2(t1.y - c.y, t1.x - c.x) * 180 / std::numbers::pi;
    const double end = std::atan2(t2.y - c.y, t2.x - c.x) * 180 / std::numbers::pi;
    // Turning left (counter-clockwise) from p0 through p1 to p2 makes the arc run the same way.
    const bool clockwise = cross > 0;
    lineToPoint(t1);
    appendBezierPathWithArcWithCenter(c, radius, start, end, clockwise);
}

void BezierPath::transformUsingAffineTransform(const AffineTransform& t) {
    for (auto& e : elements_) {
        const int count = e.type == PathElementType::CurveTo     ? 3
                          : e.type == PathElementType::ClosePath ? 0
                                                                 : 1;
        for (int i = 0; i < count; ++i)
            e.points[i] = t.transformPoint(e.points[i]);
    }
    current_ = t.transformPoint(current_);
    subpathStart_ = t.transformPoint(subpathStart_);
}

Rect BezierPath::bounds() const {
    Bounds b;
    Point last;
    std::vector<double> ts;
    for (const auto& e : elements_) {
        switch (e.type) {
        case PathElementType::MoveTo:
        case PathElementType::LineTo:
            b.add(e.points[0]);
            last = e.points[0];
            break;
        case PathElementType::CurveTo: {
            ts.clear();
            cubicExtrema(last.x, e.points[0].x, e.points[1].x, e.points[2].x, ts);
            cubicExtrema(last.y, e.points[0].y, e.points[1].y, e.points[2].y, ts);
            for (double t : ts)
                b.add(cubicAt(last, e.points[0], e.points[1], e.points[2], t));
            b.add(e.points[2]);
            last = e.points[2];
            break;
        }
        case PathElementType::ClosePath:
            break;
        }
    }
    return b.rect();
}

Rect BezierPath::controlPointBounds() const {
    Bounds b;
    for (const auto& e : elements_) {
        if (e.type == PathElementType::CurveTo) {
            for (const auto& p : e.points)
                b.add(p);
        } else if (e.type != PathElementType::ClosePath) {
            b.add(e.points[0]);
        }
    }
    return b.rect();
}

std::vector<std::vector<Point>> BezierPath::flattened() const {
    std::vector<std::vector<Point>> polygons;
    Point last;
    for (const auto& e : elements_) {
        switch (e.type) {
        case PathElementType::MoveTo:
            polygons.push_back({e.points[0]});
            last = e.points[0];
            break;
        case PathElementType::LineTo:
            if (polygons.empty())
                polygons.push_back({last});
            polygons.back().push_back(e.points[0]);
            last = e.points[0];
            break;
        case PathElementType::CurveTo: {
            if (polygons.empty())
                polygons.push_back({last});
            const double length =
                std::hypot(e.points[0].x - last.x, e.points[0].y - last.y) +
                std::hypot(e.points[1].x - e.points[0].x, e.points[1].y - e.points[0].y) +
                std::hypot(e.points[2].x - e.points[1].x, e.points[2].y - e.points[1].y);
            // Clamped as a double: a curve out at infinity (or NaN) has no int length.
            const double wanted = length / 2;
            const int steps = wanted >= 128 ? 128 : wanted > 8 ? static_cast<int>(wanted) : 8;
            for (int i = 1; i <= steps; ++i)
                polygons.back().push_back(
                    cubicAt(last, e.points[0], e.points[1], e.points[2], double(i) / steps));
            last = e.points[2];
            break;
        }
        case PathElementType::ClosePath:
            break;
        }
    }
    return polygons;
}

bool BezierPath::containsPoint(Point p) const {
    int winding = 0;
    int crossings = 0;
    for (const auto& polygon : flattened()) {
        const std::size_t n = polygon.size();
        if (n < 3)
            continue;
        for (std::size_t i = 0; i < n; ++i) {
            const Point a = polygon[i];
            const Point b = polygon[(i + 1) % n];
            // A horizontal ray to the right: count edges that cross it, with their direction.
            if ((a.y <= p.y) != (b.y <= p.y)) {
                const double x = a.x + (p.y - a.y) / (b.y - a.y) * (b.x - a.x);
                if (x > p.x) {
                    ++crossings;
                    winding += b.y > a.y ? 1 : -1;
                }
            }
        }
    }
    return windingRule_ == WindingRule::EvenOdd ? (crossings % 2) == 1 : winding != 0;
}

void BezierPath::setLineDash(std::vector<double> pattern, double phase) {
    dash_ = std::move(pattern);
    dashPhase_ = phase;
}

void BezierPath::fill() const {
    if (auto* context = GraphicsContext::currentContext())
        context->fillPath(*this);
}

void BezierPath::stroke() const {
    if (auto* context = GraphicsContext::currentContext())
        context->strokePath(*this);
}

void BezierPath::addClip() const {
    if (auto* context = GraphicsContext::currentContext())
        context->clipToPath(*this);
}

void BezierPath::setClip() const {
    if (auto* context = GraphicsContext::currentContext()) {
        context->resetClip();
        context->clipToPath(*this);
    }
}

void BezierPath::fillRect(const Rect& rect) {
    bezierPathWithRect(rect).fill();
}

void BezierPath::strokeRect(const Rect& rect) {
    bezierPathWithRect(rect).stroke();
}

void BezierPath::clipRect(const Rect& rect) {
    bezierPathWithRect(rect).addClip();
}

void BezierPath::strokeLineFromPoint(Point from, Point to) {
    BezierPath path;
    path.moveToPoint(from);
    path.lineToPoint(to);
    path.stroke();
}

double BezierPath::defaultLineWidth() {
    return defaultWidth;
}

void BezierPath::setDefaultLineWidth(double width) {
    defaultWidth = width;
}

} // namespace platform
