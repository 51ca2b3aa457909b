#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsTestSupport.h"
#include "platform/graphics/Image.h"
#include "widgets/QXGradientView.h"
#include "widgets/QXMaskedView.h"

#include <gtest/gtest.h>

namespace {

using graphics_test::Canvas;
using graphics_test::colorNear;
using platform::Color;
using platform::Point;
using platform::Rect;

const Color kBlack(0, 0, 0, 1);
const Color kWhite(1, 1, 1, 1);
const Color kRed(1, 0, 0, 1);
const Color kBlue(0, 0, 1, 1);
const Color kClear(0, 0, 0, 0);

std::shared_ptr<platform::Gradient> blackToWhite() {
    return std::make_shared<platform::Gradient>(kBlack, kWhite);
}

// Draws the view as its window would, into a canvas of its size first painted blue, so that
// what the view leaves clear shows.
template <class ViewType> void render(Canvas& canvas, ViewType& view) {
    canvas.context().setFillColor(kBlue);
    canvas.context().fillRect(Rect(0, 0, 100, 50));
    view.drawHierarchy(view.frame());
    canvas.touch();
}

TEST(QXGradientView, WithoutGradientClearsWhatItRedraws) {
    Canvas canvas(100, 50);
    QXGradientView view(Rect(0, 0, 100, 50));
    render(canvas, view);
    EXPECT_TRUE(colorNear(canvas.at(50, 25), kClear));
    EXPECT_TRUE(colorNear(canvas.at(0, 0), kClear));
}

TEST(QXGradientView, TheFirstCoordinateChoosesRadialOrLinear) {
    const struct {
        Point param;
        const char* what;
        double centre; // grey level at the centre
        double left;   // at the left edge, half height
        double bottom; // at the bottom edge, half width
    } cases[] = {
        // Radial around the centre: black in the middle whatever the relative centre.
        {{1, 0.5}, "radial, x = 1 included", 0, -1, -1},
        {{-1, 0}, "radial, x = -1 included", 0, -1, -1},
        // Centred, the end circle reaches the corners (radius half the diagonal, 55.9).
        {{0, 0}, "radial at the centre", 0, 50 / 55.9, 25 / 55.9},
        // Linear: x outside [-1, 1], the angle is y.
        {{1.5, 90}, "linear upwards", 0.5, 0.5, 0},
        {{1.5, 0}, "linear rightwards", 0.5, 0, 0.5},
        {{-7, 0.5}, "linear at half a degree", 0.5, 0, 0.5},
    };
    for (const auto& c : cases) {
        Canvas canvas(100, 50);
        QXGradientView view(Rect(0, 0, 100, 50));
        view.setGradient(blackToWhite(), c.param);
        render(canvas, view);
        EXPECT_NEAR(canvas.at(50, 25).redComponent(), c.centre, 0.06) << c.what;
        EXPECT_NEAR(canvas.at(50, 25).alphaComponent(), 1, 0.01) << c.what;
        if (c.left >= 0) {
            EXPECT_NEAR(canvas.at(0, 25).redComponent(), c.left, 0.06) << c.what;
        }
        if (c.bottom >= 0) {
            EXPECT_NEAR(canvas.at(50, 0).redComponent(), c.bottom, 0.06) << c.what;
        }
    }
}

TEST(QXGradientView, AnOutlineLimitsTheFillAndFollowsTheBounds) {
    // The left half of whatever frame the outline gets.
    auto outline = std::make_shared<QXOutlinePath>();
    outline->moveTo(Point(0, 0), Point(0, 0));
    outline->lineTo(Point(0, 0), Point(0.5, 0));
    outline->lineTo(Point(0, 0), Point(0.5, 1));
    outline->lineTo(Point(0, 0), Point(0, 1));
    outline->endPath();

    Canvas canvas(100, 50);
    QXGradientView view(Rect(0, 0, 100, 50));
    view.setPath(outline);
    view.setGradient(std::make_shared<platform::Gradient>(kRed, kRed), Point(2, 0));
    render(canvas, view);
    EXPECT_EQ(view.path(), outline);
    EXPECT_EQ(outline->frame(), Rect(0, 0, 100, 50));
    EXPECT_TRUE(colorNear(canvas.at(25, 25), kRed));
    EXPECT_TRUE(colorNear(canvas.at(75, 25), kClear));
}

// A mask whose left half is opaque and whose right half is transparent.
std::shared_ptr<platform::Image> halfMask(double leftAlpha) {
    auto mask = std::make_shared<platform::Image>(platform::Size(20, 10));
    mask->lockFocus();
    platform::GraphicsContext::currentContext()->setFillColor(Color(0, 0, 0, leftAlpha));
    platform::GraphicsContext::currentContext()->fillRect(Rect(0, 0, 10, 10));
    mask->unlockFocus();
    return mask;
}

TEST(QXMaskedView, ShowsTheGradientThroughTheMask) {
    const struct {
        double maskAlpha;
        Color left;
    } cases[] = {{1.0, kRed}, {0.5, Color(1, 0, 0, 0.5)}};
    for (const auto& c : cases) {
        Canvas canvas(100, 50);
        QXMaskedView view(Rect(0, 0, 100, 50));
        view.setMaskImage(halfMask(c.maskAlpha));
        view.setGradient(std::make_shared<platform::Gradient>(kRed, kRed));
        render(canvas, view);
        // The mask is stretched over the bounds; its clear half stays clear.
        EXPECT_TRUE(colorNear(canvas.at(25, 25), c.left)) << c.maskAlpha;
        EXPECT_TRUE(colorNear(canvas.at(75, 25), kClear)) << c.maskAlpha;
    }
}

TEST(QXMaskedView, DrawsLinearAtItsAngleOrRadialAroundItsOrigin) {
    auto opaque = halfMask(1.0);
    opaque->lockFocus();
    platform::GraphicsContext::currentContext()->setFillColor(kBlack);
    platform::GraphicsContext::currentContext()->fillRect(Rect(0, 0, 20, 10));
    opaque->unlockFocus();

    Canvas canvas(100, 50);
    QXMaskedView view(Rect(0, 0, 100, 50));
    view.setMaskImage(opaque);
    view.setGradient(blackToWhite());
    view.setAngle(90);
    render(canvas, view);
    EXPECT_NEAR(canvas.at(50, 0).redComponent(), 0, 0.06);
    EXPECT_NEAR(canvas.at(50, 49).redComponent(), 1, 0.06);

    view.setRadial(true);
    view.setOrigin(Point(0, 0));
    render(canvas, view);
    EXPECT_NEAR(canvas.at(50, 25).redComponent(), 0, 0.06);
    EXPECT_GT(canvas.at(0, 0).redComponent(), 0.9);
}

TEST(QXMaskedView, WithoutMaskShowsNothingAndLoadingMakesItLayerBacked) {
    Canvas canvas(100, 50);
    QXMaskedView view(Rect(0, 0, 100, 50));
    view.setGradient(blackToWhite());
    render(canvas, view);
    EXPECT_TRUE(colorNear(canvas.at(50, 25), kClear));

    EXPECT_FALSE(view.wantsLayer());
    view.awake();
    EXPECT_TRUE(view.wantsLayer());
}

} // namespace
