#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Geometry.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Geometry, EdgesCentreAndEmptiness) {
    const Rect r(10, 20, 30, 40);
    EXPECT_EQ(r.minX(), 10);
    EXPECT_EQ(r.midX(), 25);
    EXPECT_EQ(r.maxX(), 40);
    EXPECT_EQ(r.minY(), 20);
    EXPECT_EQ(r.midY(), 40);
    EXPECT_EQ(r.maxY(), 60);
    EXPECT_EQ(r.center(), Point(25, 40));
    EXPECT_FALSE(r.isEmpty());
    EXPECT_TRUE(Rect(0, 0, 0, 5).isEmpty());
    EXPECT_TRUE(Rect(0, 0, 5, -1).isEmpty());
}

TEST(Geometry, InsetOffsetAndIntegral) {
    EXPECT_EQ(Rect(0, 0, 100, 50).insetBy(5, 10), Rect(5, 10, 90, 30));
    EXPECT_EQ(Rect(0, 0, 10, 10).insetBy(-2, -2), Rect(-2, -2, 14, 14));
    // Over-insetting leaves a negative, empty rectangle rather than a clamped one.
    EXPECT_TRUE(Rect(0, 0, 10, 10).insetBy(6, 0).isEmpty());
    EXPECT_EQ(Rect(0, 0, 100, 50).insetBy(EdgeInsets{1, 2, 3, 4}), Rect(2, 3, 94, 46));
    EXPECT_EQ(Rect(1, 2, 3, 4).offsetBy(10, -2), Rect(11, 0, 3, 4));
    EXPECT_EQ(Rect(0.5, 0.2, 10, 10).integral(), Rect(0, 0, 11, 11));
    EXPECT_EQ(Rect(-0.5, -1.5, 1, 1).integral(), Rect(-1, -2, 2, 2));
    EXPECT_EQ(Rect(3, 3, 0, 10).integral(), ZeroRect);
}

TEST(Geometry, UnionAndIntersection) {
    struct Case {
        Rect a, b, unionRect, intersection;
    };
    const Case cases[] = {
        {{0, 0, 10, 10}, {5, 5, 10, 10}, {0, 0, 15, 15}, {5, 5, 5, 5}},
        {{0, 0, 10, 10}, {20, 20, 5, 5}, {0, 0, 25, 25}, ZeroRect},
        // Touching edges do not intersect.
        {{0, 0, 10, 10}, {10, 0, 10, 10}, {0, 0, 20, 10}, ZeroRect},
        // An empty rectangle does not take part in a union.
        {{0, 0, 10, 10}, {50, 50, 0, 0}, {0, 0, 10, 10}, ZeroRect},
        {{50, 50, 0, 0}, {60, 60, -1, 3}, ZeroRect, ZeroRect},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(stringFromRect(c.a) + " / " + stringFromRect(c.b));
        EXPECT_EQ(c.a.unionWith(c.b), c.unionRect);
        EXPECT_EQ(c.a.intersection(c.b), c.intersection);
        EXPECT_EQ(c.a.intersects(c.b), !c.intersection.isEmpty());
    }
}

TEST(Geometry, ContainmentIsHalfOpenAndMouseTestDependsOnFlipping) {
    const Rect r(0, 0, 10, 10);
    EXPECT_TRUE(r.containsPoint({0, 0}));
    EXPECT_FALSE(r.containsPoint({10, 5}));
    EXPECT_FALSE(r.containsPoint({5, 10}));
    // Unflipped, the top edge (max y) belongs to the rectangle and the bottom edge does not.
    EXPECT_TRUE(mouseInRect({5, 10}, r, false));
    EXPECT_FALSE(mouseInRect({5, 0}, r, false));
    EXPECT_TRUE(mouseInRect({5, 0}, r, true));
    EXPECT_FALSE(mouseInRect({5, 10}, r, true));

    EXPECT_TRUE(r.containsRect({2, 2, 8, 8}));
    EXPECT_TRUE(r.containsRect(r));
    EXPECT_FALSE(r.containsRect({2, 2, 9, 8}));
    EXPECT_FALSE(r.containsRect({2, 2, 0, 0}));
}

TEST(Geometry, DivideCutsSliceFromEachEdgeAndClampsTheAmount) {
    const Rect r(0, 0, 100, 50);
    struct Case {
        RectEdge edge;
        double amount;
        Rect slice, rest;
    };
    const Case cases[] = {
        {RectEdge::MinX, 30, {0, 0, 30, 50}, {30, 0, 70, 50}},
        {RectEdge::MaxX, 30, {70, 0, 30, 50}, {0, 0, 70, 50}},
        {RectEdge::MinY, 20, {0, 0, 100, 20}, {0, 20, 100, 30}},
        {RectEdge::MaxY, 20, {0, 30, 100, 20}, {0, 0, 100, 30}},
        {RectEdge::MinX, 500, {0, 0, 100, 50}, {100, 0, 0, 50}},
        {RectEdge::MaxY, -5, {0, 50, 100, 0}, {0, 0, 100, 50}},
    };
    for (const auto& c : cases) {
        const auto [slice, rest] = r.divide(c.amount, c.edge);
        EXPECT_EQ(slice, c.slice) << static_cast<int>(c.edge) << " " << c.amount;
        EXPECT_EQ(rest, c.rest) << static_cast<int>(c.edge) << " " << c.amount;
    }
}

TEST(Geometry, TextFormsRoundTripAndReadLeniently) {
    EXPECT_EQ(stringFromPoint({1.5, -2}), "{1.5, -2}");
    EXPECT_EQ(stringFromSize({320, 600}), "{320, 600}");
    EXPECT_EQ(stringFromRect({0, 0.25, 10, 20}), "{{0, 0.25}, {10, 20}}");
    EXPECT_EQ(stringFromPoint({-0.0, 0.1}), "{0, 0.1}");

    const Rect r(12.75, -3, 1e-3, 123456.5);
    EXPECT_EQ(rectFromString(stringFromRect(r)), r);
    EXPECT_EQ(pointFromString("{3,4}"), Point(3, 4));
    EXPECT_EQ(pointFromString("3 4"), Point(3, 4));
    EXPECT_EQ(sizeFromString("{7}"), Size(7, 0));
    EXPECT_EQ(rectFromString("garbage"), ZeroRect);
    EXPECT_EQ(rectFromString("{{1, 2}, {3"), Rect(1, 2, 3, 0));
}

TEST(AffineTransform, StepsApplyBeforeTheExistingTransform) {
    AffineTransform t;
    t.translateXBy(10, 0);
    t.scaleBy(2);
    // Scale first, then translate.
    EXPECT_EQ(t.transformPoint({1, 1}), Point(12, 2));
    EXPECT_EQ(t.transformSize({1, 1}), Size(2, 2));

    AffineTransform r;
    r.rotateByDegrees(90);
    const Point p = r.transformPoint({1, 0});
    EXPECT_NEAR(p.x, 0, 1e-12);
    EXPECT_NEAR(p.y, 1, 1e-12);

    AffineTransform inverse = t;
    inverse.invert();
    const Point back = inverse.transformPoint(t.transformPoint({3, -7}));
    EXPECT_NEAR(back.x, 3, 1e-12);
    EXPECT_NEAR(back.y, -7, 1e-12);

    AffineTransform a;
    a.translateXBy(5, 5);
    AffineTransform b;
    b.scaleBy(3);
    AffineTransform appended = a;
    appended.appendTransform(b); // a, then b
    EXPECT_EQ(appended.transformPoint({1, 1}), Point(18, 18));
    AffineTransform prepended = a;
    prepended.prependTransform(b); // b, then a
    EXPECT_EQ(prepended.transformPoint({1, 1}), Point(8, 8));
}
