#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Box.h"
#include "platform/kit/ImageView.h"
#include "platform/kit/KitTestSupport.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace kittest;
using platform::Box;
using platform::ImageAlignment;
using platform::ImageScaling;
using platform::ImageView;

std::shared_ptr<platform::Image> redSquare() {
    auto image = std::make_shared<platform::Image>(platform::Size{20, 20});
    image->lockFocus();
    platform::Color::redColor().setFill();
    platform::RectFill({0, 0, 20, 20});
    image->unlockFocus();
    return image;
}

bool isRed(const platform::Color& c) {
    return c.redComponent() > 0.9 && c.greenComponent() < 0.1;
}

class ImageViewTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        window = makeWindow({100, 100, 200, 100});
        backdrop = std::make_shared<RecordingView>(Rect{0, 0, 200, 100});
        window->setContentView(backdrop);
        imageView = std::make_shared<ImageView>(Rect{10, 10, 120, 60});
        imageView->setImage(redSquare());
        backdrop->addSubview(imageView);
        window->makeKeyAndOrderFront(nullptr);
    }
    platform::Color pixel(int x, int y) {
        window->display();
        return window->snapshot()->colorAt(x, y);
    }

    std::shared_ptr<Window> window;
    std::shared_ptr<RecordingView> backdrop;
    std::shared_ptr<ImageView> imageView;
};

TEST_F(ImageViewTest, ScalingAndAlignmentPlaceTheImage) {
    // Centred at its own size: 20 points in the middle of 120 by 60.
    EXPECT_TRUE(isRed(pixel(70, 40)));
    EXPECT_FALSE(isRed(pixel(55, 40)));
    imageView->setImageScaling(ImageScaling::ProportionallyUpOrDown);
    EXPECT_TRUE(isRed(pixel(45, 40)));
    EXPECT_FALSE(isRed(pixel(35, 40)));
    imageView->setImageAlignment(ImageAlignment::Left);
    EXPECT_TRUE(isRed(pixel(12, 40)));
    imageView->setImageScaling(ImageScaling::AxesIndependently);
    EXPECT_TRUE(isRed(pixel(125, 15)));
}

TEST_F(ImageViewTest, ClicksGoOnToTheNextResponder) {
    imageView->setAction("clicked:");
    mouse(EventType::LeftMouseDown, *window, {50, 40});
    mouse(EventType::LeftMouseUp, *window, {50, 40});
    EXPECT_EQ(backdrop->events, (std::vector<std::string>{"down", "up"}));
}

TEST(BoxTest, ContentViewSitsInsideBorderTitleAndMargins) {
    Box box(Rect{0, 0, 200, 100});
    const Rect withTitle = box.contentView()->frame();
    EXPECT_EQ(withTitle.minX(), 6);
    EXPECT_LT(withTitle.maxY(), 100 - 6);
    box.setTitlePosition(platform::TitlePosition::NoTitle);
    const Rect plain = box.contentView()->frame();
    EXPECT_EQ(plain, (Rect{6, 6, 188, 88}));
    box.setContentViewMargins({0, 0});
    box.setBorderType(platform::BorderType::NoBorder);
    EXPECT_EQ(box.contentView()->frame(), (Rect{0, 0, 200, 100}));
    // The content view follows the box's size.
    box.setFrameSize({300, 120});
    EXPECT_EQ(box.contentView()->frame(), (Rect{0, 0, 300, 120}));
    box.setFrameFromContentFrame({10, 10, 50, 50});
    EXPECT_EQ(box.frame(), (Rect{10, 10, 50, 50}));
}

TEST(BoxTest, HiddenBoxHidesWhatItHolds) {
    auto box = std::make_shared<Box>(Rect{0, 0, 200, 100});
    auto inside = std::make_shared<View>(Rect{10, 10, 20, 20});
    box->contentView()->addSubview(inside);
    const Point p = inside->convertPointToView({5, 5}, box.get());
    EXPECT_EQ(box->hitTest(box->convertPointToView(p, nullptr)), inside.get());
    box->setHidden(true);
    EXPECT_EQ(box->hitTest(p), nullptr);
    EXPECT_TRUE(inside->isHiddenOrHasHiddenAncestor());
}

} // namespace
