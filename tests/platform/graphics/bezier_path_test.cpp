#include "GraphicsTestSupport.h"
#include "platform/graphics/BezierPath.h"

#include <gtest/gtest.h>
#include <limits>

using namespace platform;
using graphics_test::Canvas;
using graphics_test::colorNear;

namespace {

// Two squares, the inner one drawn in the same direction as the outer.
BezierPath nestedSquares() {
    BezierPath path;
    path.appendBezierPathWithRect({0, 0, 30, 30});
    path.appendBezierPathWithRect({10, 10, 10, 10});
    return path;
}

} // namespace

// Brand outlines can put control points at infinity or NaN; hit-testing such a curve must
// still answer (its length is no number of flattening steps).
TEST(BezierPath, CurvesOutAtInfinityOrNaNCanBeHitTested) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const Point far : {Point(inf, 0), Point(-inf, inf), Point(nan, 1), Point(1e308, -1e308)}) {
        BezierPath path;
        path.moveToPoint({0, 0});
        path.curveToPoint({10, 10}, far, {10, 0});
        path.closePath();
        path.containsPoint({5, 5});
        EXPECT_FALSE(path.containsPoint({50, 50}));
    }
}

TEST(BezierPath, WindingRulesDecideWhetherTheInnerSquareIsInside) {
    BezierPath path = nestedSquares();
    EXPECT_EQ(path.windingRule(), WindingRule::NonZero);
    EXPECT_TRUE(path.containsPoint({15, 15}));
    EXPECT_TRUE(path.containsPoint({5, 5}));
    EXPECT_FALSE(path.containsPoint({35, 15}));

    path.setWindingRule(WindingRule::EvenOdd);
    EXPECT_FALSE(path.containsPoint({15, 15}));
    EXPECT_TRUE(path.containsPoint({5, 5}));

    // The inner square drawn the other way round makes a hole under both rules.
    BezierPath reversed;
    reversed.appendBezierPathWithRect({0, 0, 30, 30});
    reversed.moveToPoint({10, 10});
    reversed.lineToPoint({10, 20});
    reversed.lineToPoint({20, 20});
    reversed.lineToPoint({20, 10});
    reversed.closePath();
    EXPECT_FALSE(reversed.containsPoint({15, 15}));
}

TEST(BezierPath, FillFollowsTheWindingRule) {
    Canvas canvas(30, 30);
    Color::redColor().setFill();
    BezierPath path = nestedSquares();
    path.setWindingRule(WindingRule::EvenOdd);
    path.fill();
    EXPECT_TRUE(colorNear(canvas.at(5, 5), Color::redColor()));
    EXPECT_TRUE(colorNear(canvas.at(15, 15), Color::clearColor()));
}

TEST(BezierPath, RoundedRectangleCutsItsCornersAndClampsRadii) {
    const BezierPath path = BezierPath::bezierPathWithRoundedRect({0, 0, 100, 40}, 10, 10);
    EXPECT_FALSE(path.containsPoint({1, 1}));
    EXPECT_TRUE(path.containsPoint({10, 10}));
    EXPECT_TRUE(path.containsPoint({50, 0.5}));
    EXPECT_EQ(path.bounds(), Rect(0, 0, 100, 40));

    // Radii beyond half the size become a stadium, not a self-crossing outline.
    const BezierPath pill = BezierPath::bezierPathWithRoundedRect({0, 0, 100, 20}, 50, 50);
    EXPECT_TRUE(pill.containsPoint({50, 10}));
    EXPECT_FALSE(pill.containsPoint({2, 2}));
    const Rect b = pill.bounds();
    EXPECT_NEAR(b.width(), 100, 1e-9);
    EXPECT_NEAR(b.height(), 20, 1e-9);

    EXPECT_EQ(BezierPath::bezierPathWithRoundedRect({0, 0, 10, 10}, 0, 0).elementCount(), 5u);
}

TEST(BezierPath, BoundsFollowCurvesNotTheirControlPoints) {
    const BezierPath oval = BezierPath::bezierPathWithOvalInRect({10, 20, 40, 60});
    const Rect b = oval.bounds();
    EXPECT_NEAR(b.minX(), 10, 1e-9);
    EXPECT_NEAR(b.maxY(), 80, 1e-9);

    BezierPath bump;
    bump.moveToPoint({0, 0});
    bump.curveToPoint({100, 0}, {0, 100}, {100, 100});
    EXPECT_NEAR(bump.bounds().maxY(), 75, 1e-9);
    EXPECT_EQ(bump.controlPointBounds(), Rect(0, 0, 100, 100));
    EXPECT_EQ(BezierPath().bounds(), ZeroRect);
}

TEST(BezierPath, ArcsRunCounterClockwiseUnlessAskedOtherwise) {
    BezierPath ccw;
    ccw.appendBezierPathWithArcWithCenter({0, 0}, 10, 0, 90);
    EXPECT_NEAR(ccw.currentPoint().x, 0, 1e-9);
    EXPECT_NEAR(ccw.currentPoint().y, 10, 1e-9);
    EXPECT_NEAR(ccw.bounds().minY(), 0, 1e-9); // the quarter above the x axis

    BezierPath cw;
    cw.appendBezierPathWithArcWithCenter({0, 0}, 10, 0, 90, true);
    EXPECT_NEAR(cw.bounds().minY(), -10, 1e-6); // three quarters, through the bottom

    BezierPath circle;
    circle.appendBezierPathWithArcWithCenter({50, 50}, 20, 0, 360);
    circle.closePath();
    EXPECT_TRUE(circle.containsPoint({50, 50}));
    EXPECT_TRUE(circle.containsPoint({50, 69}));
    EXPECT_FALSE(circle.containsPoint({65, 65}));

    BezierPath corner;
    corner.moveToPoint({0, 0});
    corner.appendBezierPathWithArcFromPoint({10, 0}, {10, 10}, 5);
    EXPECT_NEAR(corner.currentPoint().x, 10, 1e-9);
    EXPECT_NEAR(corner.currentPoint().y, 5, 1e-9);
}

TEST(BezierPath, LinesWithoutCurrentPointStartTheSubpath) {
    BezierPath path;
    path.lineToPoint({5, 5});
    ASSERT_EQ(path.elementCount(), 2u);
    EXPECT_EQ(path.elementAtIndex(0).type, PathElementType::MoveTo);
    EXPECT_EQ(path.elementAtIndex(0).points[0], Point(5, 5));

    // After a close, the next line starts again from the closed subpath's first point.
    path.lineToPoint({10, 5});
    path.closePath();
    EXPECT_EQ(path.currentPoint(), Point(5, 5));
    path.lineToPoint({5, 20});
    EXPECT_EQ(path.elementAtIndex(path.elementCount() - 2).type, PathElementType::MoveTo);

    path.relativeLineToPoint({1, 1});
    EXPECT_EQ(path.currentPoint(), Point(6, 21));
    path.removeAllPoints();
    EXPECT_TRUE(path.isEmpty());
    EXPECT_FALSE(path.hasCurrentPoint());
}

TEST(BezierPath, TransformAndAppend) {
    BezierPath path = BezierPath::bezierPathWithRect({0, 0, 10, 10});
    AffineTransform t;
    t.translateXBy(5, 5);
    t.scaleBy(2);
    path.transformUsingAffineTransform(t);
    EXPECT_EQ(path.bounds(), Rect(5, 5, 20, 20));

    BezierPath both = BezierPath::bezierPathWithRect({0, 0, 1, 1});
    both.appendBezierPath(path);
    EXPECT_EQ(both.bounds(), Rect(0, 0, 25, 25));
    EXPECT_EQ(both.elementCount(), 10u);
}

TEST(BezierPath, StrokeWidthAndStaticHelpers) {
    Canvas canvas(20, 20);
    Color::blueColor().setStroke();
    BezierPath::setDefaultLineWidth(2);
    BezierPath::strokeLineFromPoint({0, 10}, {20, 10});
    BezierPath::setDefaultLineWidth(1);
    EXPECT_TRUE(colorNear(canvas.at(5, 9), Color::blueColor()));
    EXPECT_TRUE(colorNear(canvas.at(5, 10), Color::blueColor()));
    EXPECT_TRUE(colorNear(canvas.at(5, 12), Color::clearColor()));
}
