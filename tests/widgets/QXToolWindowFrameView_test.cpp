#include "platform/graphics/GraphicsTestSupport.h"
#include "platform/kit/View.h"
#include "widgets/QXBubbleView.h"
#include "widgets/QXGradient.h"
#include "widgets/QXToolWindowFrameView.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

using graphics_test::Canvas;
using graphics_test::colorNear;
using platform::Color;
using platform::Point;
using platform::Rect;

const Color kClear(0, 0, 0, 0);
const Color kGreen(0, 1, 0, 1);
const Color kRed(1, 0, 0, 1);
const Color kBlue(0, 0, 1, 1);

std::shared_ptr<QXToolWindowFrameView> makeFrameView(Rect frame, int style) {
    auto view = platform::make<QXToolWindowFrameView>(frame);
    view->setStyle(style);
    return view;
}

std::shared_ptr<QXGradient> flat(const Color& color) {
    return QXGradient::linearGradientWithAngle(0, {color, color}, {0.0, 1.0});
}

std::shared_ptr<platform::Image> solidImage(platform::Size size, const Color& color) {
    auto image = std::make_shared<platform::Image>(size);
    image->lockFocus();
    platform::GraphicsContext::currentContext()->setFillColor(color);
    platform::GraphicsContext::currentContext()->fillRect(Rect({}, size));
    image->unlockFocus();
    return image;
}

// Draws the view over blue, so that what it clears shows.
void render(Canvas& canvas, QXToolWindowFrameView& view) {
    canvas.context().setFillColor(kBlue);
    canvas.context().fillRect(view.frame());
    view.drawRect(view.frame());
    canvas.touch();
}

TEST(QXToolWindowFrameView, StartsAsARightCentreBubbleOnAGreyGradient) {
    auto view = platform::make<QXToolWindowFrameView>(Rect(0, 0, 200, 100));
    EXPECT_EQ(view->style(), 5);
    ASSERT_NE(view->bubbleView(), nullptr);
    EXPECT_EQ(view->bubbleView()->type(), QXBubbleView::rightCenterBubble());
    ASSERT_NE(view->bkgGradient(), nullptr);
    EXPECT_TRUE(colorNear(view->bkgGradient()->interpolatedColorAtLocation(0),
                          Color(0.59, 0.59, 0.59, 0.97), 1e-6));
    EXPECT_TRUE(colorNear(view->bkgGradient()->interpolatedColorAtLocation(1),
                          Color(0.59, 0.59, 0.59, 0.96), 1e-6));
}

TEST(QXToolWindowFrameView, BubbleStylesGiveTheBubbleViewItsType) {
    const struct {
        int style;
        int bubble;
    } cases[] = {
        {3, QXBubbleView::freeBubble()},        {4, QXBubbleView::rightUpBubble()},
        {5, QXBubbleView::rightCenterBubble()}, {6, QXBubbleView::rightDownBubble()},
        {7, QXBubbleView::leftUpBubble()},      {8, QXBubbleView::leftCenterBubble()},
        {9, QXBubbleView::leftDownBubble()},
    };
    auto view = platform::make<QXToolWindowFrameView>(Rect(0, 0, 200, 100));
    for (const auto& c : cases) {
        view->setStyle(c.style);
        EXPECT_EQ(view->bubbleView()->type(), c.bubble) << c.style;
    }
    // The other styles leave the bubble view as it was.
    for (int style : {0, 1, 2, 10}) {
        view->setStyle(style);
        EXPECT_EQ(view->bubbleView()->type(), QXBubbleView::leftDownBubble()) << style;
    }
}

TEST(QXToolWindowFrameView, ContentAndFrameRectanglesByStyle) {
    const struct {
        int style;
        Rect frame;
        Rect content;      // contentRectForFrameRect(frame)
        Rect givenContent; // frameRectForContentRect(givenContent) == givenFrame
        Rect givenFrame;
    } cases[] = {
        {0, {0, 0, 200, 100}, {0, 4, 200, 96}, {10, 20, 200, 96}, {10, 16, 200, 100}},
        {1, {0, 0, 300, 90}, {4, 4, 300, 90}, {10, 20, 300, 90}, {6, 16, 300, 90}},
        {2, {0, 0, 300, 90}, {4, 4, 300, 90}, {4, 4, 300, 90}, {0, 0, 300, 90}},
        {3, {50, 50, 200, 100}, {0, 0, 200, 100}, {10, 20, 200, 100}, {10, 20, 200, 100}},
        {5, {0, 0, 200, 100}, {20, 0, 180, 100}, {20, 0, 180, 100}, {0, 0, 200, 100}},
        {8, {0, 0, 200, 100}, {0, 0, 180, 100}, {0, 0, 180, 100}, {0, 0, 200, 100}},
        {11, {50, 50, 200, 100}, {50, 50, 200, 100}, {10, 20, 30, 40}, {10, 20, 30, 40}},
    };
    for (const auto& c : cases) {
        auto view = makeFrameView(Rect(0, 0, 200, 100), c.style);
        EXPECT_EQ(view->contentRectForFrameRect(c.frame), c.content) << c.style;
        EXPECT_EQ(view->frameRectForContentRect(c.givenContent), c.givenFrame) << c.style;
    }
}

TEST(QXToolWindowFrameView, TheAnchorPointOfAFrameByStyle) {
    const Rect frame(10, 20, 200, 100);
    const struct {
        int style;
        Point anchor;
    } cases[] = {
        {0, {10, 120}}, {1, {110, 70}},  {2, {210, 120}}, {3, {10, 20}},
        {4, {10, 20}},  {5, {10, 70}},   {6, {10, 120}},  {7, {210, 20}},
        {8, {210, 70}}, {9, {210, 120}}, {12, {10, 20}},
    };
    for (const auto& c : cases) {
        auto view = makeFrameView(Rect(0, 0, 200, 100), c.style);
        EXPECT_EQ(view->frameAnchorForRect(frame), c.anchor) << c.style;
    }
}

TEST(QXToolWindowFrameView, TheDropdownOutlineHasASquareTopAndRoundedBottomCorners) {
    const auto path = QXToolWindowFrameView::dropdownPathForRect(Rect(50, 60, 200, 100));
    // Only the size counts.
    EXPECT_EQ(path.bounds(), Rect(0, 0, 200, 100));
    EXPECT_TRUE(path.containsPoint({0.5, 99.5}));
    EXPECT_TRUE(path.containsPoint({199.5, 99.5}));
    EXPECT_FALSE(path.containsPoint({0.3, 0.3}));
    EXPECT_FALSE(path.containsPoint({199.7, 0.3}));
    EXPECT_TRUE(path.containsPoint({100, 0.5}));
    EXPECT_TRUE(path.containsPoint({0.5, 4.5}));
}

TEST(QXToolWindowFrameView, EachStyleDrawsItsShapeAndClearsTheRest) {
    const struct {
        int style;
        Point filled[2];
        Point cleared[2];
    } cases[] = {
        // Drop-down: square top corners, rounded bottom ones.
        {0, {{0, 99}, {199, 99}}, {{0, 0}, {199, 0}}},
        // Pop-up and toast: every corner rounded with radius 8.
        {1, {{100, 50}, {4, 4}}, {{0, 0}, {199, 99}}},
        {2, {{100, 50}, {4, 96}}, {{0, 99}, {199, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        Canvas canvas(200, 100);
        auto view = makeFrameView(Rect(0, 0, 200, 100), c.style);
        view->setBkgGradient(flat(kGreen));
        render(canvas, *view);
        for (Point p : c.filled)
            EXPECT_TRUE(colorNear(canvas.at(int(p.x), int(p.y)), kGreen));
        for (Point p : c.cleared)
            EXPECT_TRUE(colorNear(canvas.at(int(p.x), int(p.y)), kClear));
    }
}

TEST(QXToolWindowFrameView, ABubbleDrawsInTheGradientsMiddleColour) {
    Canvas canvas(200, 100);
    auto view = makeFrameView(Rect(0, 0, 200, 100), 8);
    view->setBkgGradient(QXGradient::linearGradientWithAngle(0, {kRed, kBlue}, {0.0, 1.0}));
    EXPECT_TRUE(colorNear(view->bubbleView()->color(), Color(0.5, 0, 0.5, 1)));
    render(canvas, *view);
    EXPECT_TRUE(colorNear(canvas.at(90, 50), Color(0.5, 0, 0.5, 1)));
    // Arrow on the right centre, the left edge's middle is body, the right corners clear.
    EXPECT_GT(canvas.at(194, 49).alphaComponent(), 0.9);
    EXPECT_TRUE(colorNear(canvas.at(194, 55), kClear));
    EXPECT_TRUE(colorNear(canvas.at(199, 99), kClear));
}

TEST(QXToolWindowFrameView, BothBackgroundImagesReplaceTheShape) {
    Canvas canvas(200, 100);
    auto view = makeFrameView(Rect(0, 0, 200, 100), 2);
    view->setBkgGradient(flat(kGreen));
    // One image alone changes nothing.
    view->setImageBackgroundTop(solidImage({200, 60}, kRed));
    render(canvas, *view);
    EXPECT_TRUE(colorNear(canvas.at(100, 80), kGreen));
    EXPECT_TRUE(colorNear(canvas.at(100, 30), kGreen));

    // With both, the top image's lower part gives way to the bottom image where they overlap.
    view->setImageBackgroundBottom(solidImage({200, 60}, kBlue));
    canvas.context().setFillColor(kClear);
    canvas.context().fillRect(Rect(0, 0, 200, 100), platform::CompositingOperation::Copy);
    view->drawRect(view->frame());
    canvas.touch();
    EXPECT_TRUE(colorNear(canvas.at(100, 80), kRed));
    EXPECT_TRUE(colorNear(canvas.at(100, 61), kRed));
    EXPECT_TRUE(colorNear(canvas.at(100, 30), kBlue));
    EXPECT_TRUE(colorNear(canvas.at(100, 2), kBlue));
}

} // namespace
