#include "widgets/QXOutlinePath.h"

#include <gtest/gtest.h>

using platform::PathElementType;
using platform::Point;
using platform::Rect;

namespace {

// The default button shape: a rectangle inset by half a point with corners of 3.5 points.
const std::vector<std::string> buttonShape = {
    "m p(3.5,0.5) a(0,0)",
    "l p(-3.5,0.5) a(1,0)",
    "c p(-0.5,3.5) h1(-1.5,0.5) h2(-0.5,1.5) a(1,0)",
    "l p(-0.5,-3.5) a(1,1)",
    "c p(-3.5,-0.5) h1(-0.5,-1.5) h2(-1.5,-0.5) a(1,1)",
    "l p(3.5,-0.5) a(0,1)",
    "c p(0.5,-3.5) h1(1.5,-0.5) h2(0.5,-1.5) a(0,1)",
    "l p(0.5,3.5) a(0,0)",
    "c p(3.5,0.5) h1(0.5,1.5) h2(1.5,0.5) a(0,0)",
};

} // namespace

TEST(QXOutlinePath, ButtonShapeFollowsItsFrame) {
    QXOutlinePath outline(buttonShape);
    ASSERT_EQ(outline.dataPoints().size(), 9u);
    EXPECT_EQ(outline.frame(), Rect());

    outline.setFrame({0, 0, 100, 20});
    const auto& path = outline.bezierPath();
    EXPECT_EQ(path.elementAtIndex(1).points[0], Point(96.5, 0.5));
    // Handles are offsets from the anchored corner, not from the vertex.
    EXPECT_EQ(path.elementAtIndex(2).points[0], Point(98.5, 0.5));
    EXPECT_EQ(path.elementAtIndex(2).points[1], Point(99.5, 1.5));
    EXPECT_EQ(path.elementAtIndex(2).points[2], Point(99.5, 3.5));
    EXPECT_EQ(path.elements().back().type, PathElementType::ClosePath);
    EXPECT_EQ(path.bounds(), Rect(0.5, 0.5, 99, 19));
    EXPECT_TRUE(path.containsPoint({50, 10}));
    EXPECT_FALSE(path.containsPoint({0.8, 0.8}));

    outline.setFrame({10, 30, 50, 40});
    EXPECT_EQ(outline.bezierPath().bounds(), Rect(10.5, 30.5, 49, 39));
}

TEST(QXOutlinePath, CommandsAreReadLooselyButShortOrUnknownOnesAreIgnored) {
    struct Case {
        const char* command;
        bool appends;
        int type;
        Point point, anchor, handle1, handle2;
    };
    const Case cases[] = {
        {"m p(3.5,0.5) a(0,0)", true, 0, {3.5, 0.5}, {0, 0}, {}, {}},
        {"mp(3.5,0.5)a(0,0)", true, 0, {3.5, 0.5}, {0, 0}, {}, {}},
        {"M P(1,2) A(1,1)", true, 0, {1, 2}, {1, 1}, {}, {}},
        {"l a(1,0.5)   p(-2,3)", true, 1, {-2, 3}, {1, 0.5}, {}, {}},
        {"c p(1,1) h2(3,3) a(0,1) h1(2,2)", true, 2, {1, 1}, {0, 1}, {2, 2}, {3, 3}},
        // Exactly 10 characters is long enough; the empty anchor is the origin.
        {"mp(0,0)a()", true, 0, {0, 0}, {0, 0}, {}, {}},
        {"mp(0,0)a(", false, 0, {}, {}, {}, {}},
        // Missing parts and a part without ")" read as (0, 0).
        {"l p(4,4)          ", true, 1, {4, 4}, {0, 0}, {}, {}},
        {"l a(1,1) p(4,4", true, 1, {0, 0}, {1, 1}, {}, {}},
        // The first ")" after "p(" may be another part's: the text between still reads.
        {"l p(4,4 a(1,1)", true, 1, {4, 4}, {1, 1}, {}, {}},
        // Handles are read for every kind but kept only by curves.
        {"l p(1,1) a(0,0) h1(5,5)", true, 1, {1, 1}, {0, 0}, {}, {}},
        {"x p(1,1) a(0,0)", false, 0, {}, {}, {}, {}},
        {" m p(1,1) a(0,0)", false, 0, {}, {}, {}, {}},
        {"", false, 0, {}, {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        QXOutlinePath outline;
        outline.parseCommand(c.command);
        ASSERT_EQ(outline.dataPoints().size(), c.appends ? 1u : 0u);
        if (!c.appends)
            continue;
        const BezierPoint& v = outline.dataPoints().front();
        EXPECT_EQ(v.type(), c.type);
        EXPECT_EQ(v.point(), c.point);
        EXPECT_EQ(v.anchor(), c.anchor);
        EXPECT_EQ(v.handle1(), c.handle1);
        EXPECT_EQ(v.handle2(), c.handle2);
    }
}

TEST(QXOutlinePath, BrandArraysSkipBadEntriesAndKeepReading) {
    platform::Value::Array commands{
        platform::Value("m p(0,0) a(0,0)"), platform::Value(5), platform::Value("z p(9,9) a(1,1)"),
        platform::Value("l p(0,0) a(1,0)"), platform::Value("l p(0,0) a(1,1)")};
    QXOutlinePath outline = QXOutlinePath::initFromArray(platform::Value(commands));
    EXPECT_EQ(outline.dataPoints().size(), 3u);
    outline.setFrame({0, 0, 10, 10});
    EXPECT_TRUE(outline.bezierPath().containsPoint({8, 2}));
    EXPECT_FALSE(outline.bezierPath().containsPoint({2, 8}));

    EXPECT_TRUE(QXOutlinePath::initFromArray(platform::Value()).bezierPath().isEmpty());
}

TEST(QXOutlinePath, VerticesWaitForEndPathAndFramesAlwaysRebuild) {
    QXOutlinePath outline;
    outline.moveTo({1, 1}, {0, 0});
    outline.lineTo({-1, 1}, {1, 0});
    outline.lineTo({0, -1}, {0.5, 1});
    EXPECT_TRUE(outline.bezierPath().isEmpty());
    outline.endPath();
    EXPECT_EQ(outline.bezierPath().elementCount(), 4u);

    outline.setFrame({0, 0, 20, 20});
    const auto first = outline.bezierPath().elements();
    outline.setFrame({0, 0, 20, 20});
    EXPECT_EQ(outline.bezierPath().elements(), first);
    EXPECT_EQ(first[2].points[0], Point(10, 19));

    outline.clearPath();
    EXPECT_TRUE(outline.dataPoints().empty());
    outline.setFrame({0, 0, 20, 20});
    EXPECT_TRUE(outline.bezierPath().isEmpty()); // an outline without vertices draws nothing
}

TEST(QXOutlinePath, OutlineNotStartingWithAMoveStartsAtItsFirstVertex) {
    QXOutlinePath outline({"l p(0,0) a(0,0)", "l p(0,0) a(1,0)", "l p(0,0) a(1,1)"});
    outline.setFrame({0, 0, 10, 10});
    const auto& path = outline.bezierPath();
    EXPECT_EQ(path.elementAtIndex(0).type, PathElementType::MoveTo);
    EXPECT_EQ(path.elementAtIndex(0).points[0], Point(0, 0));
    EXPECT_TRUE(path.containsPoint({8, 2}));
}
