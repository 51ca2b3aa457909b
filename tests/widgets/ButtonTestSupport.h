#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Event.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Responder.h"
#include "platform/kit/ScreenBackend.h"
#include "platform/kit/View.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace button_test {

using platform::Color;
using platform::Event;
using platform::EventType;
using platform::Image;
using platform::Point;
using platform::Rect;
using platform::Size;

const Color kBackdrop(0, 1, 1, 1);

// A picture made of coloured rectangles (in image points, y upwards) on transparency.
inline std::shared_ptr<Image> paintedImage(Size size,
                                           const std::vector<std::pair<Rect, Color>>& areas) {
    auto image = std::make_shared<Image>(size);
    image->lockFocus();
    for (const auto& [rect, color] : areas) {
        platform::GraphicsContext::currentContext()->setFillColor(color);
        platform::GraphicsContext::currentContext()->fillRect(rect);
    }
    image->unlockFocus();
    return image;
}

inline std::shared_ptr<Image> solidImage(Size size, const Color& color) {
    return paintedImage(size, {{Rect(Point(), size), color}});
}

inline ::testing::AssertionResult near(const Color& actual, const Color& expected,
                                       double tolerance = 0.03) {
    const double d = std::max({std::abs(actual.redComponent() - expected.redComponent()),
                               std::abs(actual.greenComponent() - expected.greenComponent()),
                               std::abs(actual.blueComponent() - expected.blueComponent()),
                               std::abs(actual.alphaComponent() - expected.alphaComponent())});
    if (d <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual.description() << " is not within " << tolerance
                                         << " of " << expected.description();
}

// The pixels of one drawing of a view: the backdrop, then the view over it, read with (0, 0)
// the bottom-left pixel of the view's frame.
class Picture {
public:
    Picture(platform::View& view, Size size) {
        auto context = platform::GraphicsContext::bitmapContext(int(std::ceil(size.width)),
                                                                int(std::ceil(size.height)));
        {
            platform::ContextScope scope(*context);
            context->setFillColor(kBackdrop);
            context->fillRect(Rect(Point(), context->size()));
            // The view's frame origin at the picture's origin.
            context->translate(-view.frame().origin.x, -view.frame().origin.y);
            view.drawHierarchy(view.frame());
            context->flush();
        }
        image_ = context->makeImage();
        width_ = context->pixelsWide();
        height_ = context->pixelsHigh();
    }
    Color at(int x, int y) const { return image_->colorAt(x, y); }
    // The same pixel counted from the top edge, as a flipped view sees it.
    Color fromTop(int x, int yFromTop) const { return at(x, height_ - 1 - yFromTop); }
    int width() const { return width_; }
    int height() const { return height_; }
    // Whether any pixel differs from the other picture's by more than the tolerance.
    bool differsFrom(const Picture& other, double tolerance = 0.02) const {
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (!near(at(x, y), other.at(x, y), tolerance))
                    return true;
        return false;
    }
    // Rows (from the top) holding at least `minimum` pixels that match `test`.
    std::vector<int> rowsWhere(const std::function<bool(const Color&)>& test,
                               int minimum = 1) const {
        std::vector<int> rows;
        for (int y = 0; y < height_; ++y) {
            int count = 0;
            for (int x = 0; x < width_; ++x)
                if (test(fromTop(x, y)))
                    ++count;
            if (count >= minimum)
                rows.push_back(y);
        }
        return rows;
    }

private:
    std::shared_ptr<Image> image_;
    int width_ = 0;
    int height_ = 0;
};

// Writes down the actions it performs, with their senders.
class ActionRecorder : public platform::ActionTarget {
public:
    bool tryToPerform(std::string_view action, platform::Object* sender) override {
        actions.emplace_back(action);
        senders.push_back(sender);
        if (onAction)
            onAction();
        return true;
    }
    bool respondsToAction(std::string_view) const override { return true; }

    std::vector<std::string> actions;
    std::vector<platform::Object*> senders;
    std::function<void()> onAction;
};

// Input as a screen backend delivers it: queued on the window server, then dispatched.
class EventInjector {
public:
    explicit EventInjector(platform::Window& window) : window_(window) {}
    void post(EventType type, Point location, long clickCount = 1) {
        platform::WindowServer::shared().postEvent(
            Event::mouseEvent(type, location, 0, &window_, clickCount));
    }
    static void dispatch() { platform::WindowServer::shared().dispatchPendingEvents(); }
    // Both halves of a click queued before either is handled, as with a real click.
    void click(Point location, long clickCount = 1) {
        post(EventType::LeftMouseDown, location, clickCount);
        post(EventType::LeftMouseUp, location, clickCount);
        dispatch();
    }
    void mouseDown(Point location, long clickCount = 1) {
        post(EventType::LeftMouseDown, location, clickCount);
        dispatch();
    }
    void mouseUp(Point location, long clickCount = 1) {
        post(EventType::LeftMouseUp, location, clickCount);
        dispatch();
    }
    void dragged(Point location) {
        post(EventType::LeftMouseDragged, location);
        dispatch();
    }
    void rightClick(Point location) {
        post(EventType::RightMouseDown, location);
        post(EventType::RightMouseUp, location);
        dispatch();
    }
    void moveMouse(Point location) {
        post(EventType::MouseMoved, location, 0);
        dispatch();
    }
    void key(std::string_view characters) {
        platform::WindowServer::shared().postEvent(
            Event::keyEvent(EventType::KeyDown, characters, 0, &window_));
        dispatch();
    }

private:
    platform::Window& window_;
};

// A key window on a manual clock, for buttons driven by events.
class ButtonWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock = std::make_shared<platform::ManualClock>(100.0);
        platform::RunLoop::resetMain(clock);
        platform::setScreenBackend(nullptr);
        platform::WindowServer::shared().reset();
        window =
            platform::make<platform::Window>(Rect(100, 100, 300, 200), platform::TitledWindowMask);
        window->setContentView(std::make_shared<platform::View>(Rect(0, 0, 300, 200)));
        window->makeKeyAndOrderFront(nullptr);
        input = std::make_unique<EventInjector>(*window);
    }
    void TearDown() override {
        platform::Menu::setTrackingHook({});
        input.reset();
        window.reset();
        platform::WindowServer::shared().reset();
        platform::RunLoop::resetMain();
    }

    void add(const std::shared_ptr<platform::View>& view) {
        window->contentView()->addSubview(view);
    }

    std::shared_ptr<platform::ManualClock> clock;
    std::shared_ptr<platform::Window> window;
    std::unique_ptr<EventInjector> input;
};

} // namespace button_test
