#include "platform/graphics/GraphicsTestSupport.h"
#include "platform/graphics/Image.h"
#include "platform/kit/ImageView.h"
#include "widgets/QXBackgroundView.h"
#include "widgets/QXGradient.h"

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
const Color kGreen(0, 1, 0, 1);
const Color kBlue(0, 0, 1, 1);
const Color kYellow(1, 1, 0, 1);
const Color kGrey(0.5, 0.5, 0.5, 1);
const Color kBackdrop(0, 1, 1, 1);

std::shared_ptr<QXGradient> flat(const Color& color) {
    return QXGradient::linearGradientWithAngle(0, {color, color}, {0, 1});
}

// Paints the canvas with the backdrop, then draws the view (or the part of it in `dirty`).
void render(Canvas& canvas, platform::View& view, std::optional<Rect> dirty = std::nullopt) {
    canvas.context().setFillColor(kBackdrop);
    canvas.context().fillRect(Rect(Point(), canvas.context().size()));
    view.drawHierarchy(dirty.value_or(view.frame()));
    canvas.touch();
}

TEST(QXBackgroundView, StartsWithItsDefaults) {
    QXBackgroundView view(Rect(0, 0, 100, 50));
    EXPECT_EQ(view.viewGradient(), nullptr);
    EXPECT_EQ(view.viewBorderColor(), kBlack);
    EXPECT_EQ(view.topLeftPoint(), Point(5, 10));
    EXPECT_EQ(view.bottomRightPoint(), Point(10, 5));
    EXPECT_EQ(view.margin(), 5);

    // Loading from an interface definition runs initialize, which puts them back.
    view.setMargin(9);
    view.setTopLeftPoint(Point(1, 1));
    view.initialize();
    EXPECT_EQ(view.margin(), 5);
    EXPECT_EQ(view.topLeftPoint(), Point(5, 10));
}

TEST(QXBackgroundView, WithoutGradientOrImageDrawsNothing) {
    Canvas canvas(100, 50);
    QXBackgroundView view(Rect(0, 0, 100, 50));
    render(canvas, view);
    for (Point p : {Point(50, 25), Point(5, 25), Point(0, 0)}) {
        EXPECT_TRUE(colorNear(canvas.at(int(p.x), int(p.y)), kBackdrop)) << p.x << "," << p.y;
    }
}

TEST(QXBackgroundView, RoundedAreaHasAOnePointBorderInsideTheMargin) {
    Canvas canvas(100, 50);
    QXBackgroundView view(Rect(0, 0, 100, 50));
    view.setViewGradient(flat(kRed));
    render(canvas, view);
    // Border (5, 5, 90, 40), gradient (6, 6, 88, 38); pixels named by their lower-left corner.
    const struct {
        int x, y;
        Color expected;
    } pixels[] = {
        {4, 25, kBackdrop},
        {5, 25, kBlack},
        {6, 25, kRed},
        {93, 25, kRed},
        {94, 25, kBlack},
        {95, 25, kBackdrop},
        {50, 4, kBackdrop},
        {50, 5, kBlack},
        {50, 6, kRed},
        {50, 43, kRed},
        {50, 44, kBlack},
        {50, 45, kBackdrop},
        // The corners are rounded (radius 5).
        {5, 5, kBackdrop},
        {94, 44, kBackdrop},
    };
    for (const auto& p : pixels) {
        EXPECT_TRUE(colorNear(canvas.at(p.x, p.y), p.expected)) << p.x << "," << p.y;
    }

    view.setMargin(0);
    view.setViewBorderColor(kGreen);
    render(canvas, view);
    EXPECT_TRUE(colorNear(canvas.at(0, 25), kGreen));
    EXPECT_TRUE(colorNear(canvas.at(1, 25), kRed));
}

// A 40 x 30 skin: red, green, blue and yellow corners for the start insets (left 5, top 10,
// right 10, bottom 5), grey edges and a white centre of 25 x 15.
std::shared_ptr<platform::Image> skin() {
    auto image = std::make_shared<platform::Image>(platform::Size(40, 30));
    image->lockFocus();
    auto* context = platform::GraphicsContext::currentContext();
    const auto fill = [&](const Color& color, const Rect& rect) {
        context->setFillColor(color);
        context->fillRect(rect);
    };
    fill(kGrey, Rect(0, 0, 40, 30));
    fill(kRed, Rect(0, 20, 5, 10));
    fill(kGreen, Rect(30, 20, 10, 10));
    fill(kBlue, Rect(0, 0, 5, 5));
    fill(kYellow, Rect(30, 0, 10, 5));
    fill(kWhite, Rect(5, 5, 25, 15));
    image->unlockFocus();
    return image;
}

class FlippedBackgroundView : public QXBackgroundView {
public:
    using QXBackgroundView::QXBackgroundView;
    bool isFlipped() const override { return true; }
};

TEST(QXBackgroundView, AnImageIsStretchedAsNineParts) {
    for (bool flipped : {false, true}) {
        Canvas canvas(100, 60);
        std::shared_ptr<QXBackgroundView> view =
            flipped ? std::make_shared<FlippedBackgroundView>(Rect(0, 0, 100, 60))
                    : std::make_shared<QXBackgroundView>(Rect(0, 0, 100, 60));
        auto imageView = platform::make<platform::ImageView>(Rect(0, 0, 10, 10));
        imageView->setImage(skin());
        view->setImage(imageView);
        view->setViewGradient(flat(kBlack)); // the image wins
        render(canvas, *view);
        // Screen positions, y up: the picture stands upright whatever the view's flipping.
        const struct {
            int x, y;
            Color expected;
        } pixels[] = {
            {1, 58, kRed},   {97, 58, kGreen}, {1, 1, kBlue},    {97, 1, kYellow}, {50, 30, kWhite},
            {5, 30, kWhite}, {4, 30, kGrey},   {89, 30, kWhite}, {90, 30, kGrey},  {50, 49, kWhite},
            {50, 50, kGrey}, {50, 5, kWhite},  {50, 4, kGrey},
        };
        for (const auto& p : pixels) {
            EXPECT_TRUE(colorNear(canvas.at(p.x, p.y), p.expected))
                << p.x << "," << p.y << (flipped ? " flipped" : "");
        }
    }
}

TEST(QXBackgroundView, APartialRedrawKeepsTheFrameAtTheViewsEdges) {
    Canvas canvas(100, 60);
    QXBackgroundView view(Rect(0, 0, 100, 60));
    auto imageView = platform::make<platform::ImageView>(Rect(0, 0, 10, 10));
    imageView->setImage(skin());
    view.setImage(imageView);
    render(canvas, view, Rect(40, 20, 20, 20));
    // Inside the redrawn part only the centre shows; outside it nothing was drawn.
    EXPECT_TRUE(colorNear(canvas.at(41, 21), kWhite));
    EXPECT_TRUE(colorNear(canvas.at(58, 38), kWhite));
    EXPECT_TRUE(colorNear(canvas.at(1, 58), kBackdrop));
}

TEST(QXBackgroundView, NinePartSlicingOfTheStartInsets) {
    // A 40 x 30 image drawn at its own size: each piece lands where it was cut from.
    Canvas canvas(40, 30);
    QXBackgroundView view(Rect(0, 0, 40, 30));
    canvas.context().setFillColor(kBackdrop);
    canvas.context().fillRect(Rect(0, 0, 40, 30));
    view.drawViewAreaWithImage(Rect(0, 0, 40, 30), *skin());
    canvas.touch();
    // The centre piece is 25 x 15.
    EXPECT_TRUE(colorNear(canvas.at(5, 5), kWhite));
    EXPECT_TRUE(colorNear(canvas.at(29, 19), kWhite));
    EXPECT_TRUE(colorNear(canvas.at(30, 19), kGrey));
    EXPECT_TRUE(colorNear(canvas.at(29, 20), kGrey));
    EXPECT_TRUE(colorNear(canvas.at(4, 25), kRed));
    EXPECT_TRUE(colorNear(canvas.at(35, 2), kYellow));
}

} // namespace
