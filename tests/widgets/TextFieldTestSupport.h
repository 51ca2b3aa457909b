#pragma once

#include "platform/foundation/Bundle.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Event.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/ScreenBackend.h"
#include "platform/kit/View.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"
#include "widgets/QXBaseWindow.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace textfield_test {

using platform::Color;
using platform::Event;
using platform::EventType;
using platform::Image;
using platform::Point;
using platform::Rect;
using platform::Size;

// Input as a screen delivers it: queued on the window server, then dispatched. Keys go to the
// key window; locations are in the given view's coordinates.
class Input {
public:
    explicit Input(platform::Window& window) : window_(window) {}

    static void dispatch() { platform::WindowServer::shared().dispatchPendingEvents(); }

    void keyDown(char32_t c, bool isARepeat = false, platform::EventModifierFlags flags = 0) {
        const std::string chars = platform::utf8FromCodePoint(c);
        platform::WindowServer::shared().postEvent(Event::keyEvent(
            EventType::KeyDown, chars, flags, &window_, std::nullopt, {}, isARepeat));
        dispatch();
    }
    void keyUp(char32_t c) {
        platform::WindowServer::shared().postEvent(
            Event::keyEvent(EventType::KeyUp, platform::utf8FromCodePoint(c), 0, &window_));
        dispatch();
    }
    void key(char32_t c, platform::EventModifierFlags flags = 0) {
        keyDown(c, false, flags);
        keyUp(c);
    }
    // Each code point of the UTF-8 text as its own key, as an input method would hand it on.
    void type(std::string_view utf8) {
        while (!utf8.empty()) {
            const char32_t c = platform::firstCodePoint(utf8);
            const std::size_t length = platform::utf8FromCodePoint(c).size();
            key(c);
            utf8.remove_prefix(std::min(length, utf8.size()));
        }
    }

    Point inWindow(const platform::View& view, Point local) const {
        return view.convertPointToView(local, nullptr);
    }
    void mouse(EventType type, Point locationInWindow, long clickCount = 1) {
        platform::WindowServer::shared().postEvent(
            Event::mouseEvent(type, locationInWindow, 0, &window_, clickCount));
        dispatch();
    }
    void click(const platform::View& view, Point local, long clickCount = 1) {
        const Point p = inWindow(view, local);
        platform::WindowServer::shared().postEvent(
            Event::mouseEvent(EventType::LeftMouseDown, p, 0, &window_, clickCount));
        platform::WindowServer::shared().postEvent(
            Event::mouseEvent(EventType::LeftMouseUp, p, 0, &window_, clickCount));
        dispatch();
    }
    void down(const platform::View& view, Point local) {
        mouse(EventType::LeftMouseDown, inWindow(view, local));
    }
    void up(const platform::View& view, Point local) {
        mouse(EventType::LeftMouseUp, inWindow(view, local));
    }
    void move(const platform::View& view, Point local) {
        mouse(EventType::MouseMoved, inWindow(view, local), 0);
    }

private:
    platform::Window& window_;
};

// A key skinned window on a manual clock, with a plain content view to put fields in.
class FieldWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock = std::make_shared<platform::ManualClock>(100.0);
        platform::RunLoop::resetMain(clock);
        platform::setScreenBackend(nullptr);
        platform::screensChanged();
        platform::WindowServer::shared().reset();
        platform::Pasteboard::resetAll();
        window =
            platform::make<QXBaseWindow>(Rect(200, 400, 400, 300), platform::ResizableWindowMask);
        content = std::make_shared<platform::View>(Rect(0, 0, 400, 300));
        window->setContentView(content);
        window->makeKeyAndOrderFront(nullptr);
        input = std::make_unique<Input>(*window);
    }
    void TearDown() override {
        platform::Menu::setTrackingHook({});
        input.reset();
        content.reset();
        window.reset();
        platform::Image::clearImageCache();
        platform::WindowServer::shared().reset();
        platform::Pasteboard::resetAll();
        platform::RunLoop::resetMain();
    }

    std::shared_ptr<platform::ManualClock> clock;
    std::shared_ptr<QXBaseWindow> window;
    std::shared_ptr<platform::View> content;
    std::unique_ptr<Input> input;
};

// A bundle of its own for a test, in a fresh temporary folder, with images written into it.
class TestBundle {
public:
    TestBundle() {
        static std::atomic<int> counter{0};
        const char* root = std::getenv("LUMIQ_TEST_TMP");
        const std::filesystem::path base =
            root ? std::filesystem::path(root) : std::filesystem::temp_directory_path();
        folder_ =
            base / ("textfield-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_ / "images");
        previous_ = platform::Bundle::mainBundle().resourcePath();
        platform::Bundle::setMainBundlePath(folder_);
        platform::Image::clearImageCache();
    }
    ~TestBundle() {
        platform::Bundle::setMainBundlePath(previous_);
        platform::Image::clearImageCache();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    TestBundle(const TestBundle&) = delete;
    TestBundle& operator=(const TestBundle&) = delete;

    // A PNG of `size` in one colour, found as the image `name`.
    void addImage(const std::string& name, Size size, const Color& color) const {
        Image image(size);
        image.lockFocus();
        platform::GraphicsContext::currentContext()->setFillColor(color);
        platform::GraphicsContext::currentContext()->fillRect(Rect(Point(), size));
        image.unlockFocus();
        ASSERT_TRUE(image.writePNG(folder_ / "images" / (name + ".png")));
    }

private:
    std::filesystem::path folder_;
    std::filesystem::path previous_;
};

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

// The pixels of one drawing of a view over a cyan backdrop, read from the top-left corner
// down, as a flipped view sees them.
class Picture {
public:
    Picture(platform::View& view, Size size) {
        auto context = platform::GraphicsContext::bitmapContext(int(std::ceil(size.width)),
                                                                int(std::ceil(size.height)));
        {
            platform::ContextScope scope(*context);
            context->setFillColor(Color(0, 1, 1, 1));
            context->fillRect(Rect(Point(), context->size()));
            view.drawHierarchy(view.frame());
            context->flush();
        }
        image_ = context->makeImage();
        width_ = context->pixelsWide();
        height_ = context->pixelsHigh();
    }
    Color fromTop(int x, int yFromTop) const { return image_->colorAt(x, height_ - 1 - yFromTop); }
    int width() const { return width_; }
    int height() const { return height_; }

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
        return true;
    }
    bool respondsToAction(std::string_view) const override { return true; }

    std::vector<std::string> actions;
    std::vector<platform::Object*> senders;
};

// The colour at the middle of an image.
inline Color middleOf(const Image& image) {
    return image.colorAt(image.pixelsWide() / 2, image.pixelsHigh() / 2);
}

// Whether the bytes are well-formed UTF-8 (no sequence cut short).
inline bool isWholeUTF8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80         ? 1
                             : (lead >> 5) == 6  ? 2
                             : (lead >> 4) == 14 ? 3
                             : (lead >> 3) == 30 ? 4
                                                 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 2)
                return false;
        i += length;
    }
    return true;
}

} // namespace textfield_test
