#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "support/ImageExtensions.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

namespace ext = OrvantaExtensions;
using platform::Color;
using platform::Image;
using platform::Rect;
using platform::Size;

std::shared_ptr<Image> filled(Size size, Color color) {
    auto image = std::make_shared<Image>(size);
    image->lockFocus();
    color.set();
    platform::RectFill({0, 0, size.width, size.height});
    image->unlockFocus();
    return image;
}

TEST(ImageExtensions, FitsTheSourceProportionsCentred) {
    const struct {
        Size image;
        Rect in;
        Rect from;
        Rect drawn;
    } cases[] = {
        // Wider than the room: full width, centred vertically.
        {{100, 50}, {0, 0, 100, 100}, {}, {0, 25, 100, 50}},
        // Taller: full height, centred horizontally.
        {{50, 100}, {10, 10, 100, 100}, {}, {35, 10, 50, 100}},
        // Same proportions: the whole room.
        {{40, 20}, {5, 5, 80, 40}, {}, {5, 5, 80, 40}},
        // A square part of a wide image draws square.
        {{100, 50}, {0, 0, 200, 100}, {0, 0, 10, 10}, {50, 0, 100, 100}},
        // A source too small to have proportions takes the image's.
        {{100, 50}, {0, 0, 100, 100}, {0, 0, 1, 0.4}, {0, 25, 100, 50}},
        // An empty image has none: nothing is drawn.
        {{0, 0}, {0, 0, 100, 100}, {}, {}},
    };
    for (const auto& c : cases) {
        const Rect r = ext::preservingArRect(c.image, c.in, c.from);
        EXPECT_EQ(r, c.drawn) << r.origin.x << "," << r.origin.y << " " << r.size.width << "x"
                              << r.size.height;
    }
}

TEST(ImageExtensions, DrawsWideImage25PointsUpInASquare) {
    const auto source = filled({100, 50}, Color::redColor());
    Image target(Size{100, 100});
    target.lockFocus();
    ext::drawPreservingArInRect(*source, {0, 0, 100, 100}, {},
                                platform::CompositingOperation::SourceOver, 1, false);
    target.unlockFocus();
    for (int x : {0, 50, 99}) {
        EXPECT_EQ(target.colorAt(x, 24).alphaComponent(), 0) << x;
        EXPECT_EQ(target.colorAt(x, 25), Color::redColor()) << x;
        EXPECT_EQ(target.colorAt(x, 74), Color::redColor()) << x;
        EXPECT_EQ(target.colorAt(x, 75).alphaComponent(), 0) << x;
    }
}

} // namespace
