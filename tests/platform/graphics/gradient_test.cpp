#include "GraphicsTestSupport.h"
#include "platform/graphics/Gradient.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace platform;
using graphics_test::Canvas;
using graphics_test::colorNear;

namespace {

const Color red = Color::redColor();
const Color blue = Color::blueColor();
const Gradient redToBlue(red, blue);

// Where along a radial gradient from a point at `c` to a circle of radius R at `e` the point
// `p` lies: the largest t with |p - c - t(e - c)| = t R.
double radialLocation(Point p, Point c, Point e, double R) {
    const double dx = e.x - c.x, dy = e.y - c.y;
    const double px = p.x - c.x, py = p.y - c.y;
    const double a = dx * dx + dy * dy - R * R;
    const double b = -2 * (px * dx + py * dy);
    const double cc = px * px + py * py;
    const double disc = std::sqrt(b * b - 4 * a * cc);
    const double t1 = (-b + disc) / (2 * a), t2 = (-b - disc) / (2 * a);
    return std::max(t1, t2) >= 0 && std::max(t1, t2) <= 1 ? std::max(t1, t2) : std::min(t1, t2);
}

} // namespace

TEST(Gradient, InterpolatesBetweenStopsAndHoldsTheEnds) {
    const Gradient g({red, Color::greenColor(), blue}, {0.0, 0.25, 1.0});
    EXPECT_EQ(g.numberOfColorStops(), 3u);
    EXPECT_TRUE(colorNear(g.interpolatedColorAtLocation(-1), red));
    EXPECT_TRUE(colorNear(g.interpolatedColorAtLocation(0.125), Color(0.5, 0.5, 0, 1)));
    EXPECT_TRUE(colorNear(g.interpolatedColorAtLocation(0.625), Color(0, 0.5, 0.5, 1)));
    EXPECT_TRUE(colorNear(g.interpolatedColorAtLocation(2), blue));

    // Stops given out of order are used in location order.
    const Gradient unordered({blue, red}, {1.0, 0.0});
    EXPECT_TRUE(colorNear(unordered.interpolatedColorAtLocation(0.1), Color(0.9, 0, 0.1, 1)));
    // More colours than locations: the extra colour is dropped, not read past the end.
    EXPECT_EQ(Gradient({red, blue, red}, {0.0, 1.0}).numberOfColorStops(), 2u);
}

TEST(Gradient, LinearAnglesRunEdgeToEdgeAndCornerToCorner) {
    struct Case {
        double angle;
        Point start, end; // pixels holding the first and last colour
    };
    const Case cases[] = {
        {0, {0, 50}, {99, 50}}, {90, {50, 0}, {50, 99}},  {-90, {50, 99}, {50, 0}},
        {45, {0, 0}, {99, 99}}, {180, {99, 50}, {0, 50}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.angle);
        Canvas canvas(100, 100);
        redToBlue.drawInRect({0, 0, 100, 100}, c.angle);
        EXPECT_TRUE(colorNear(canvas.at(int(c.start.x), int(c.start.y)), red, 0.03));
        EXPECT_TRUE(colorNear(canvas.at(int(c.end.x), int(c.end.y)), blue, 0.03));
        EXPECT_TRUE(colorNear(canvas.at(50, 50), Color(0.5, 0, 0.5, 1), 0.03));
    }
    // Across a square at 45 degrees, the other two corners are half way.
    Canvas canvas(100, 100);
    redToBlue.drawInRect({0, 0, 100, 100}, 45);
    EXPECT_TRUE(colorNear(canvas.at(0, 99), Color(0.5, 0, 0.5, 1), 0.03));
}

TEST(Gradient, LinearGradientSpansTheRectangleNotTheCanvas) {
    Canvas canvas(100, 40);
    redToBlue.drawInRect({20, 10, 40, 20}, 0);
    EXPECT_TRUE(colorNear(canvas.at(20, 15), red, 0.03));
    EXPECT_TRUE(colorNear(canvas.at(59, 15), blue, 0.03));
    EXPECT_TRUE(colorNear(canvas.at(40, 20), Color(0.5, 0, 0.5, 1), 0.03));
    EXPECT_TRUE(colorNear(canvas.at(19, 15), Color::clearColor()));
    EXPECT_TRUE(colorNear(canvas.at(60, 15), Color::clearColor()));
    EXPECT_TRUE(colorNear(canvas.at(40, 30), Color::clearColor()));
}

TEST(Gradient, AngleIsCounterClockwiseInTheViewsOwnCoordinates) {
    // In a flipped context y grows downwards, so 90 degrees runs from the top of the screen.
    Canvas canvas(20, 20, true);
    redToBlue.drawInRect({0, 0, 20, 20}, 90);
    EXPECT_TRUE(colorNear(canvas.at(10, 19), red, 0.05));
    EXPECT_TRUE(colorNear(canvas.at(10, 0), blue, 0.05));
}

TEST(Gradient, RadialStartsAtTheCentreAndCoversTheRectangle) {
    struct Case {
        Point relative;
    };
    const Case cases[] = {{{0, 0}}, {{0.5, 0.5}}, {{1, 0}}, {{-1, -1}}};
    const Rect rect(0, 0, 100, 60);
    for (const auto& c : cases) {
        SCOPED_TRACE(stringFromPoint(c.relative));
        Canvas canvas(100, 60);
        redToBlue.drawInRect(rect, c.relative);
        // The start circle is a point at the centre of the rectangle.
        EXPECT_TRUE(colorNear(canvas.at(50, 30), red, 0.03));

        const Point centre = rect.center();
        const Point end{centre.x + c.relative.x * 50, centre.y + c.relative.y * 30};
        double radius = 0;
        for (Point k : {Point(0, 0), Point(100, 0), Point(0, 60), Point(100, 60)})
            radius = std::max(radius, std::hypot(k.x - end.x, k.y - end.y));
        for (Point pixel : {Point(0, 0), Point(99, 0), Point(0, 59), Point(99, 59), Point(80, 30),
                            Point(50, 5)}) {
            const Point p{pixel.x + 0.5, pixel.y + 0.5};
            const double t = radialLocation(p, centre, end, radius);
            EXPECT_TRUE(colorNear(canvas.at(int(pixel.x), int(pixel.y)),
                                  redToBlue.interpolatedColorAtLocation(t), 0.03))
                << "pixel " << stringFromPoint(pixel) << " at " << t;
        }
    }
    // The farthest corner from an off-centre end circle gets the end colour.
    Canvas canvas(100, 60);
    redToBlue.drawInRect(rect, Point(1, 1));
    EXPECT_TRUE(colorNear(canvas.at(0, 0), blue, 0.03));
}

TEST(Gradient, PathVariantsUseThePathBoundsAndClipToThePath) {
    Canvas canvas(100, 100);
    const BezierPath oval = BezierPath::bezierPathWithOvalInRect({0, 0, 100, 100});
    redToBlue.drawInBezierPath(oval, 0);
    EXPECT_TRUE(colorNear(canvas.at(1, 50), red, 0.05));
    EXPECT_TRUE(colorNear(canvas.at(98, 50), blue, 0.05));
    EXPECT_TRUE(colorNear(canvas.at(2, 2), Color::clearColor()));

    Canvas radial(100, 100);
    redToBlue.drawInBezierPath(BezierPath::bezierPathWithRect({50, 50, 50, 50}), Point(0, 0));
    EXPECT_TRUE(colorNear(radial.at(75, 75), red, 0.05));
    EXPECT_TRUE(colorNear(radial.at(25, 25), Color::clearColor()));
}

TEST(Gradient, DegenerateGradientsDrawFlatOrNothing) {
    Canvas canvas(10, 10);
    Gradient({Color::greenColor()}, std::vector<double>{0.5}).drawInRect({0, 0, 5, 10}, 30);
    Gradient().drawInRect({5, 0, 5, 10}, 0);
    EXPECT_TRUE(colorNear(canvas.at(2, 5), Color::greenColor()));
    EXPECT_TRUE(colorNear(canvas.at(7, 5), Color::clearColor()));
    // Non-finite input is ignored rather than poisoning the context.
    redToBlue.drawInRect({0, 0, 10, 10}, std::nan(""));
    Gradient({red, blue}, {std::nan(""), 1e300}).drawInRect({0, 0, 10, 10}, 0);
    redToBlue.drawInRect({0, 0, 10, 10}, Point(INFINITY, 0));
    canvas.touch();
    Color::whiteColor().setFill();
    RectFill({0, 0, 1, 1});
    canvas.touch();
    EXPECT_TRUE(colorNear(canvas.at(0, 0), Color::whiteColor()));
}
