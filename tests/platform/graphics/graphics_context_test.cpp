#include "GraphicsTestSupport.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"

#include <gtest/gtest.h>

using namespace platform;
using graphics_test::Canvas;
using graphics_test::colorNear;

TEST(GraphicsContext, UnflippedOriginIsBottomLeftFlippedIsTopLeft) {
    {
        Canvas canvas(40, 30);
        Color::redColor().setFill();
        RectFill({0, 0, 10, 10});
        // Pixels are read with (0, 0) at the bottom left, so the fill is at the bottom left.
        EXPECT_TRUE(colorNear(canvas.at(0, 0), Color::redColor()));
        EXPECT_TRUE(colorNear(canvas.at(9, 9), Color::redColor()));
        EXPECT_TRUE(colorNear(canvas.at(10, 9), Color::clearColor()));
        EXPECT_TRUE(colorNear(canvas.at(0, 10), Color::clearColor()));
        EXPECT_TRUE(colorNear(canvas.at(0, 29), Color::clearColor()));
    }
    {
        Canvas canvas(40, 30, true);
        EXPECT_TRUE(canvas.context().isFlipped());
        Color::redColor().setFill();
        RectFill({0, 0, 10, 10});
        EXPECT_TRUE(colorNear(canvas.at(0, 29), Color::redColor()));
        EXPECT_TRUE(colorNear(canvas.at(9, 20), Color::redColor()));
        EXPECT_TRUE(colorNear(canvas.at(0, 19), Color::clearColor()));
        EXPECT_TRUE(colorNear(canvas.at(0, 0), Color::clearColor()));
    }
}

TEST(GraphicsContext, FlippingAViewsCoordinatesAndRestoringIt) {
    Canvas canvas(20, 20);
    auto& context = canvas.context();
    context.saveGraphicsState();
    context.flipCoordinates(20);
    EXPECT_TRUE(context.isFlipped());
    Color::greenColor().setFill();
    RectFill({0, 0, 5, 5});
    context.restoreGraphicsState();
    EXPECT_FALSE(context.isFlipped());
    RectFill({15, 0, 5, 5}); // the fill colour was restored to black
    EXPECT_TRUE(colorNear(canvas.at(0, 19), Color::greenColor()));
    EXPECT_TRUE(colorNear(canvas.at(19, 0), Color::blackColor()));
}

TEST(GraphicsContext, SaveRestoreCoversTransformClipColourAndOperation) {
    Canvas canvas(20, 20);
    auto& context = canvas.context();
    context.setFillColor(Color::blueColor());
    context.saveGraphicsState();
    context.translate(10, 10);
    context.clipToRect({0, 0, 5, 5});
    context.setFillColor(Color::redColor());
    context.setCompositingOperation(CompositingOperation::Copy);
    EXPECT_EQ(context.currentTransform().transformPoint({0, 0}), Point(10, 10));
    EXPECT_EQ(context.clipBoundingBox(), Rect(0, 0, 5, 5));
    context.fillRect({-10, -10, 100, 100});
    context.restoreGraphicsState();
    // Unbalanced restores are ignored rather than corrupting the state.
    context.restoreGraphicsState();

    EXPECT_EQ(context.fillColor(), Color::blueColor());
    EXPECT_EQ(context.compositingOperation(), CompositingOperation::SourceOver);
    EXPECT_TRUE(context.currentTransform().isIdentity());
    EXPECT_TRUE(colorNear(canvas.at(12, 12), Color::redColor()));
    EXPECT_TRUE(colorNear(canvas.at(16, 16), Color::clearColor()));
    EXPECT_TRUE(colorNear(canvas.at(8, 8), Color::clearColor()));
}

TEST(GraphicsContext, RectFillCopiesWhileBezierFillComposites) {
    Canvas canvas(20, 10);
    Color::redColor().setFill();
    RectFill({0, 0, 20, 10});
    const Color halfBlue(0, 0, 1, 0.5);
    halfBlue.setFill();
    RectFill({0, 0, 10, 10});              // replaces: translucent blue
    BezierPath::fillRect({10, 0, 10, 10}); // source over: blends with the red
    EXPECT_TRUE(colorNear(canvas.at(5, 5), halfBlue));
    EXPECT_TRUE(colorNear(canvas.at(15, 5), Color(0.5, 0, 0.5, 1)));

    canvas.touch();
    RectFillUsingOperation({0, 0, 5, 5}, CompositingOperation::Clear);
    EXPECT_TRUE(colorNear(canvas.at(2, 2), Color::clearColor()));
}

TEST(GraphicsContext, FrameRectStaysInsideTheRectangle) {
    Canvas canvas(20, 20);
    Color::blackColor().setFill();
    FrameRect({5, 5, 10, 10});
    EXPECT_TRUE(colorNear(canvas.at(5, 5), Color::blackColor()));
    EXPECT_TRUE(colorNear(canvas.at(14, 14), Color::blackColor()));
    EXPECT_TRUE(colorNear(canvas.at(10, 14), Color::blackColor()));
    EXPECT_TRUE(colorNear(canvas.at(10, 10), Color::clearColor()));
    EXPECT_TRUE(colorNear(canvas.at(15, 15), Color::clearColor()));
    EXPECT_TRUE(colorNear(canvas.at(4, 10), Color::clearColor()));
}

TEST(GraphicsContext, CurrentContextStackAndDrawingWithoutContext) {
    EXPECT_EQ(GraphicsContext::currentContext(), nullptr);
    // Drawing with no current context is a no-op, like messages to nil.
    Color::redColor().set();
    RectFill({0, 0, 10, 10});
    BezierPath::fillRect({0, 0, 10, 10});

    auto outer = GraphicsContext::bitmapContext(4, 4);
    auto inner = GraphicsContext::bitmapContext(4, 4);
    {
        ContextScope a(*outer);
        EXPECT_EQ(GraphicsContext::currentContext(), outer.get());
        {
            ContextScope b(*inner);
            EXPECT_EQ(GraphicsContext::currentContext(), inner.get());
        }
        EXPECT_EQ(GraphicsContext::currentContext(), outer.get());
    }
    EXPECT_EQ(GraphicsContext::currentContext(), nullptr);
}

TEST(GraphicsContext, BackingScaleDrawsPointsAsSeveralPixels) {
    auto context = GraphicsContext::bitmapContext(40, 40, 2.0);
    ContextScope scope(*context);
    EXPECT_EQ(context->size(), Size(20, 20));
    Color::redColor().setFill();
    RectFill({0, 0, 5, 5});
    auto image = context->makeImage();
    EXPECT_EQ(image->size(), Size(20, 20));
    EXPECT_EQ(image->pixelsWide(), 40);
    EXPECT_TRUE(colorNear(image->colorAt(9, 9), Color::redColor()));
    EXPECT_TRUE(colorNear(image->colorAt(10, 10), Color::clearColor()));
}

TEST(GraphicsContext, ExternalPixelsReceiveTheDrawing) {
    std::vector<unsigned char> pixels(8 * 4 * 4, 0);
    auto context = GraphicsContext::contextWithPixels(pixels.data(), 8, 4, 8 * 4);
    {
        ContextScope scope(*context);
        Color::whiteColor().setFill();
        RectFill({0, 3, 1, 1}); // top-left pixel in unflipped coordinates
    }
    context->flush();
    EXPECT_EQ(pixels[0], 255);
    EXPECT_EQ(pixels[3], 255);
    EXPECT_EQ(pixels[4], 0);
}

TEST(GraphicsContext, GrooveBezelAndFocusRingStayWhereTheyBelong) {
    Canvas canvas(40, 40);
    DrawGroove({0, 0, 20, 20}, {0, 0, 40, 40});
    // Lit from the top of the screen: the outer top edge is the dark one in a groove.
    EXPECT_TRUE(colorNear(canvas.at(10, 19), Color::grayColor()));
    EXPECT_TRUE(colorNear(canvas.at(10, 0), Color::whiteColor()));
    EXPECT_TRUE(colorNear(canvas.at(10, 10), Color::clearColor()));

    canvas.touch();
    DrawLightBezel({20, 20, 20, 20}, {20, 20, 10, 20});
    EXPECT_TRUE(colorNear(canvas.at(25, 30), Color(0.9, 0.9, 0.9, 1)));
    EXPECT_TRUE(colorNear(canvas.at(35, 30), Color::clearColor())); // clipped away

    Canvas ring(40, 40);
    DrawFocusRing(BezierPath::bezierPathWithRect({10, 10, 20, 20}));
    EXPECT_GT(ring.at(8, 20).alphaComponent(), 0.3);
    EXPECT_TRUE(colorNear(ring.at(12, 20), Color::clearColor()));
    EXPECT_TRUE(colorNear(ring.at(2, 20), Color::clearColor()));
}
