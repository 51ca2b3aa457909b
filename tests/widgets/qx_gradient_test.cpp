#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "widgets/QXGradient.h"

#include <cmath>
#include <gtest/gtest.h>

using platform::Color;
using platform::Point;

namespace {

std::vector<std::pair<Color, double>> stopsOf(const QXGradient& g) {
    std::vector<std::pair<Color, double>> stops;
    for (std::size_t i = 0; i < g.numberOfColorStops(); ++i) {
        Color c;
        double location = 0;
        g.getColor(&c, &location, i);
        stops.emplace_back(c, location);
    }
    return stops;
}

const char* greyText = "linear@-90.0:c(0.59,0.59,0.59,1.0)@0.0,c(0.86,0.86,0.86,1.0)@1.0";

} // namespace

TEST(QXGradient, ReadsKindGeometryAndStops) {
    struct Case {
        const char* text;
        bool linear;
        float angle;
        Point origin;
        std::vector<std::pair<Color, double>> stops;
    };
    const Color g59(0.59f, 0.59f, 0.59f, 1), g86(0.86f, 0.86f, 0.86f, 1);
    const Case cases[] = {
        {greyText, true, -90, {0.5, 0.5}, {{g59, 0}, {g86, 1}}},
        // Capitals read the same.
        {"LINEAR@-90.0:C(0.59,0.59,0.59,1.0)@0.0,C(0.86,0.86,0.86,1.0)@1.0",
         true,
         -90,
         {0.5, 0.5},
         {{g59, 0}, {g86, 1}}},
        {"linear@90.0:c(0.39,0.39,0.39,1.0)@0.0,c(0.58,0.58,0.58,1.0)@0.22,"
         "c(0.60,0.60,0.60,1.0)@1.0",
         true,
         90,
         {0.5, 0.5},
         {{Color(0.39f, 0.39f, 0.39f, 1), 0},
          {Color(0.58f, 0.58f, 0.58f, 1), 0.22f},
          {Color(0.60f, 0.60f, 0.60f, 1), 1}}},
        {"radial@(0.2,-0.4):c(1,1,1,1)@0,c(0,0,0,1)@1",
         false,
         0,
         {0.2f, -0.4f},
         {{Color(1, 1, 1, 1), 0}, {Color(0, 0, 0, 1), 1}}},
        // Without ":" a radial gradient is centred at (0.5, 0.5); an empty geometry is (0, 0).
        {"radial@c(1,0,0,1)@0,c(0,0,1,1)@1",
         false,
         0,
         {0.5, 0.5},
         {{Color(1, 0, 0, 1), 0}, {Color(0, 0, 1, 1), 1}}},
        {"radial@:c(1,0,0,1)@0,c(0,0,1,1)@1",
         false,
         0,
         {0, 0},
         {{Color(1, 0, 0, 1), 0}, {Color(0, 0, 1, 1), 1}}},
        // Any kind but "linear" is radial.
        {"Radial@(1,1):c(1,0,0,1)@0,c(0,0,1,1)@1",
         false,
         0,
         {1, 1},
         {{Color(1, 0, 0, 1), 0}, {Color(0, 0, 1, 1), 1}}},
        {"conic@45:c(1,0,0,1)@0,c(0,0,1,1)@1",
         false,
         0,
         {0, 0},
         {{Color(1, 0, 0, 1), 0}, {Color(0, 0, 1, 1), 1}}},
        // A linear text without ":" has angle 0; an angle that is no number reads 0.
        {"linear@c(1,0,0,1)@0,c(0,0,1,1)@1",
         true,
         0,
         {0.5, 0.5},
         {{Color(1, 0, 0, 1), 0}, {Color(0, 0, 1, 1), 1}}},
        {"linear@  45deg:c(1,0,0,1)@0,c(0,0,1,1)@x",
         true,
         45,
         {0.5, 0.5},
         {{Color(1, 0, 0, 1), 0}, {Color(0, 0, 1, 1), 0}}},
        // Starting with a stop: its "@" is taken for the kind's, so only later stops remain.
        {"c(1,0,0,1)@0,c(0,1,0,1)@0.5,c(0,0,1,1)@1",
         false,
         0,
         {0.5, 0.5},
         {{Color(0, 1, 0, 1), 0.5}, {Color(0, 0, 1, 1), 1}}},
        // A stop without "@" runs into the next stop's colour text and the two make one stop:
        // "(1,0,0,1),c(0,0,1,0.5)" reads as red, its alpha the "1" before ")".
        {"linear@0:c(1,0,0,1),c(0,0,1,0.5)@0.25,c(0,1,0,1)@1",
         true,
         0,
         {0.5, 0.5},
         {{Color(1, 0, 0, 1), 0.25}, {Color(0, 1, 0, 1), 1}}},
        // A final stop without "@" is dropped.
        {"linear@0:c(1,0,0,1)@0,c(0,0,1,1)@1,c(0,1,0,1)",
         true,
         0,
         {0.5, 0.5},
         {{Color(1, 0, 0, 1), 0}, {Color(0, 0, 1, 1), 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto g = QXGradient::gradientFromString(c.text);
        ASSERT_TRUE(g);
        EXPECT_EQ(g->isLinear(), c.linear);
        EXPECT_EQ(g->angle(), c.angle);
        EXPECT_EQ(g->origin(), c.origin);
        EXPECT_EQ(stopsOf(*g), c.stops);
    }
}

TEST(QXGradient, NoTextOrNoStopGivesNoGradientAndOneStopIsFlat) {
    EXPECT_FALSE(QXGradient::gradientFromString(static_cast<const std::string*>(nullptr)));
    EXPECT_FALSE(QXGradient::gradientFromString(""));
    EXPECT_FALSE(QXGradient::gradientFromString("linear@90:"));
    EXPECT_FALSE(QXGradient::gradientFromString("linear@90:c(1,0,0,1)"));

    const auto flat = QXGradient::gradientFromString("linear@90:c(0,1,0,1)@0.3");
    ASSERT_TRUE(flat);
    auto context = platform::GraphicsContext::bitmapContext(10, 10);
    platform::ContextScope scope(*context);
    flat->drawInRect({0, 0, 10, 10});
    const auto image = context->makeImage();
    EXPECT_EQ(image->colorAt(0, 0), Color(0, 1, 0, 1));
    EXPECT_EQ(image->colorAt(9, 9), Color(0, 1, 0, 1));
}

TEST(QXGradient, FactoriesNarrowLocationsToFloatsAndPairStops) {
    const auto linear = QXGradient::linearGradientWithAngle(
        30, {Color::redColor(), Color::blueColor()}, {0.1, 0.9});
    EXPECT_TRUE(linear->isLinear());
    EXPECT_EQ(linear->angle(), 30);
    double location = 0;
    linear->getColor(nullptr, &location, 0);
    EXPECT_EQ(location, static_cast<double>(0.1f));

    const auto radial = QXGradient::radialGradientAtPoint(
        {-1, 0}, {Color::redColor(), Color::blueColor(), Color::greenColor()}, {0, 1});
    EXPECT_FALSE(radial->isLinear());
    EXPECT_EQ(radial->origin(), Point(-1, 0));
    EXPECT_EQ(radial->numberOfColorStops(), 2u);

    const QXGradient plain;
    EXPECT_TRUE(plain.isLinear());
    EXPECT_EQ(plain.angle(), 0);
    EXPECT_EQ(plain.origin(), Point(0.5, 0.5));
}

TEST(QXGradient, DrawsWithItsOwnGeometry) {
    auto context = platform::GraphicsContext::bitmapContext(100, 100);
    platform::ContextScope scope(*context);
    // -90 degrees runs from the top down: grey 0.59 at the top, 0.86 at the bottom.
    QXGradient::gradientFromString(greyText)->drawInRect({0, 0, 100, 100});
    auto image = context->makeImage();
    EXPECT_NEAR(image->colorAt(50, 99).redComponent(), 0.59, 0.01);
    EXPECT_NEAR(image->colorAt(50, 0).redComponent(), 0.86, 0.01);

    context->clear();
    const auto radial = QXGradient::gradientFromString("radial@(0,0):c(1,1,1,1)@0,c(0,0,0,1)@1");
    radial->drawInBezierPath(platform::BezierPath::bezierPathWithRect({50, 0, 50, 50}));
    image = context->makeImage();
    // The centre refers to the path's bounds, not the canvas.
    EXPECT_NEAR(image->colorAt(75, 25).redComponent(), 1.0, 0.03);
    EXPECT_NEAR(image->colorAt(99, 0).redComponent(), 0.0, 0.03);
    EXPECT_EQ(image->colorAt(25, 75).alphaComponent(), 0);
}
