#include "platform/graphics/GraphicsTestSupport.h"
#include "widgets/QXBubbleView.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace {

using graphics_test::Canvas;
using graphics_test::colorNear;
using platform::BezierPath;
using platform::Color;
using platform::Point;
using platform::Rect;

const Rect kFrame(0, 0, 200, 100);

bool hasVertex(const BezierPath& path, Point p) {
    for (const auto& element : path.elements()) {
        const Point end = element.type == platform::PathElementType::CurveTo ? element.points[2]
                                                                             : element.points[0];
        if (element.type != platform::PathElementType::ClosePath && std::abs(end.x - p.x) < 1e-9 &&
            std::abs(end.y - p.y) < 1e-9)
            return true;
    }
    return false;
}

std::string show(Point p) {
    return platform::stringFromPoint(p);
}

TEST(QXBubbleView, StartsAsARightBubbleWithTheDefaultArrowAndColour) {
    QXBubbleView view(kFrame);
    EXPECT_EQ(view.type(), QXBubbleView::rightCenterBubble());
    EXPECT_EQ(view.arrowLength(), 20);
    EXPECT_EQ(view.arrowWidth(), 10);
    EXPECT_EQ(view.cornerRadius(), 10);
    EXPECT_FALSE(view.flatAppearance());
    EXPECT_TRUE(colorNear(view.color(), Color(0.59, 0.59, 0.59, 0.97), 1e-9));
}

TEST(QXBubbleView, TheArrowTipOfEachPlace) {
    const Rect frame(10, 20, 200, 100);
    const struct {
        int type;
        Point tip;
    } cases[] = {
        {QXBubbleView::leftUpBubble(), {210, 20}},
        {QXBubbleView::leftCenterBubble(), {210, 70}},
        {QXBubbleView::leftDownBubble(), {210, 120}},
        {QXBubbleView::rightUpBubble(), {10, 20}},
        {QXBubbleView::rightCenterBubble(), {10, 70}},
        {QXBubbleView::rightDownBubble(), {10, 120}},
        {QXBubbleView::topLeftBubble(), {210, 20}},
        {QXBubbleView::topCenterBubble(), {110, 20}},
        {QXBubbleView::topRightBubble(), {10, 20}},
        {QXBubbleView::bottomLeftBubble(), {210, 120}},
        {QXBubbleView::bottomCenterBubble(), {110, 120}},
        {QXBubbleView::bottomRightBubble(), {10, 120}},
        {QXBubbleView::freeBubble(), {10, 20}},
        {13, {10, 20}},
        {-1, {10, 20}},
    };
    QXBubbleView view(frame);
    for (const auto& c : cases) {
        EXPECT_EQ(QXBubbleView::arrowTipInFrameRect(frame, c.type), c.tip) << c.type;
        view.setType(c.type);
        EXPECT_EQ(view.arrowTipInFrameRect(frame), c.tip) << c.type;
    }
    EXPECT_EQ(QXBubbleView::arrowTipInFrameRect(kFrame, 4), Point(0, 50));
    EXPECT_EQ(QXBubbleView::arrowTipInFrameRect(kFrame, 2), Point(200, 100));
    EXPECT_EQ(QXBubbleView::arrowTipInFrameRect(kFrame, 7), Point(100, 0));
    EXPECT_EQ(QXBubbleView::arrowTipInFrameRect(kFrame, 12), Point(0, 0));
}

TEST(QXBubbleView, ContentAndFrameLeaveRoomForTheArrowOnItsSide) {
    const struct {
        int type;
        Rect content; // of the 200 x 100 frame
    } cases[] = {
        {0, {0, 0, 180, 100}},  {1, {0, 0, 180, 100}},  {2, {0, 0, 180, 100}},
        {3, {20, 0, 180, 100}}, {4, {20, 0, 180, 100}}, {5, {20, 0, 180, 100}},
        {6, {0, 20, 200, 80}},  {7, {0, 20, 200, 80}},  {8, {0, 20, 200, 80}},
        {9, {0, 0, 200, 80}},   {10, {0, 0, 200, 80}},  {11, {0, 0, 200, 80}},
        {12, {0, 0, 200, 100}}, {40, {0, 0, 200, 100}},
    };
    QXBubbleView view(kFrame);
    for (const auto& c : cases) {
        view.setType(c.type);
        EXPECT_EQ(view.contentRectForFrameRect(kFrame), c.content) << c.type;
        // The frame's origin does not count: the content is in the frame's own coordinates.
        EXPECT_EQ(view.contentRectForFrameRect(kFrame.offsetBy(50, 60)), c.content) << c.type;
        EXPECT_EQ(view.frameRectForContentRect(c.content), kFrame) << c.type;
    }
    view.setType(QXBubbleView::rightCenterBubble());
    view.setArrowLength(30);
    EXPECT_EQ(view.contentRectForFrameRect(kFrame), Rect(30, 0, 170, 100));
    EXPECT_EQ(view.frameRectForContentRect(Rect(5, 5, 100, 50)), Rect(-25, 5, 130, 50));
}

// For each place, a point just inside the arrow's tip lies in the outline and a point beside
// it, where a wrongly turned or misplaced triangle would be, does not. The arrow reaches the
// frame's edge, so the outline fills the frame exactly.
TEST(QXBubbleView, EachArrowEndsAtItsTip) {
    const struct {
        int type;
        Point inside;
        Point beside;
    } cases[] = {
        {0, {198, 0.5}, {198, 3}},   {1, {198, 50}, {198, 53}}, {2, {198, 99.5}, {198, 97}},
        {3, {2, 0.5}, {2, 3}},       {4, {2, 50}, {2, 53}},     {5, {2, 99.5}, {2, 97}},
        {6, {199.5, 2}, {197, 2}},   {7, {100, 2}, {103, 2}},   {8, {0.5, 2}, {3, 2}},
        {9, {199.5, 98}, {197, 98}}, {10, {100, 98}, {97, 98}}, {11, {0.5, 98}, {3, 98}},
    };
    QXBubbleView view(kFrame);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        view.setType(c.type);
        const BezierPath path = view.bubblePathInRect(kFrame);
        const Point tip = QXBubbleView::arrowTipInFrameRect(kFrame, c.type);
        EXPECT_TRUE(hasVertex(path, tip)) << show(tip);
        EXPECT_TRUE(path.containsPoint(c.inside)) << show(c.inside);
        EXPECT_FALSE(path.containsPoint(c.beside)) << show(c.beside);
        EXPECT_TRUE(path.containsPoint(kFrame.center()));
        EXPECT_EQ(path.bounds(), kFrame);
    }
}

TEST(QXBubbleView, TheFreeBubbleIsARoundedRectangleOverTheWholeFrame) {
    QXBubbleView view(kFrame);
    for (int type : {12, 13, 100, -1}) {
        SCOPED_TRACE(type);
        view.setType(type);
        const BezierPath path = view.bubblePathInRect(kFrame);
        EXPECT_EQ(path.bounds(), kFrame);
        for (Point corner :
             {Point(0.5, 0.5), Point(199.5, 0.5), Point(0.5, 99.5), Point(199.5, 99.5)})
            EXPECT_FALSE(path.containsPoint(corner)) << show(corner);
        for (Point edge :
             {Point(0.5, 50), Point(199.5, 50), Point(100, 0.5), Point(100, 99.5), Point(4, 4)})
            EXPECT_TRUE(path.containsPoint(edge)) << show(edge);
    }
}

TEST(QXBubbleView, TheOutlineFollowsTheRectangleGiven) {
    QXBubbleView view(kFrame);
    view.setType(QXBubbleView::bottomCenterBubble());
    const Rect elsewhere(40, 30, 120, 60);
    const BezierPath path = view.bubblePathInRect(elsewhere);
    EXPECT_EQ(path.bounds(), elsewhere);
    EXPECT_TRUE(hasVertex(path, Point(100, 90)));
}

// Painted over blue, so what the drawing clears shows.
void paintBackground(Canvas& canvas) {
    canvas.context().setFillColor(Color(0, 0, 1, 1));
    canvas.context().fillRect(kFrame);
}

TEST(QXBubbleView, DrawsAHighlightOnTopTheBaseColourAndADarkerBandBelow) {
    Canvas canvas(200, 100);
    paintBackground(canvas);
    QXBubbleView view(kFrame);
    view.setColor(Color(0.5, 0.5, 0.5, 1));
    view.drawRect(kFrame);
    canvas.touch();
    // Light: 0.4 of the way to white; dark: 0.2 of the way to black.
    EXPECT_TRUE(colorNear(canvas.at(100, 99), Color(0.7, 0.7, 0.7, 1), 0.03));
    EXPECT_TRUE(colorNear(canvas.at(100, 50), Color(0.5, 0.5, 0.5, 1)));
    EXPECT_TRUE(colorNear(canvas.at(100, 0), Color(0.4, 0.4, 0.4, 1), 0.03));
    // The arrow at the left centre is filled, the frame beside it cleared.
    EXPECT_TRUE(colorNear(canvas.at(10, 50), Color(0.5, 0.5, 0.5, 1)));
    EXPECT_TRUE(colorNear(canvas.at(10, 60), Color(0, 0, 0, 0)));
    EXPECT_TRUE(colorNear(canvas.at(2, 2), Color(0, 0, 0, 0)));
}

TEST(QXBubbleView, EveryPlaceDrawsItsArrowBesideACleanFrame) {
    // A pixel well inside each arrow, five or six points from its tip, and one beside it that
    // only a misplaced triangle would cover.
    const struct {
        int type;
        int x, y;
        int besideX, besideY;
    } cases[] = {
        {0, 193, 0, 193, 6}, {1, 194, 49, 194, 53}, {2, 193, 99, 193, 93}, {3, 6, 0, 6, 6},
        {4, 5, 49, 5, 53},   {5, 6, 99, 6, 93},     {6, 199, 6, 193, 6},   {7, 99, 5, 103, 5},
        {8, 0, 6, 6, 6},     {9, 199, 93, 193, 93}, {10, 99, 94, 103, 94}, {11, 0, 93, 6, 93},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        Canvas canvas(200, 100);
        paintBackground(canvas);
        QXBubbleView view(kFrame);
        view.setType(c.type);
        view.drawRect(kFrame);
        canvas.touch();
        EXPECT_GT(canvas.at(c.x, c.y).alphaComponent(), 0.9);
        EXPECT_TRUE(colorNear(canvas.at(c.besideX, c.besideY), Color(0, 0, 0, 0)));
    }
}

} // namespace
