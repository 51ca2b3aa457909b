#include "KitTestSupport.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Panel.h"
#include "platform/kit/Screen.h"

namespace kittest {
namespace {

using platform::Color;
using platform::FloatingWindowLevel;
using platform::NormalWindowLevel;
using platform::PopUpMenuWindowLevel;
using platform::WindowOrderingMode;

std::vector<int> numbers(const std::vector<Window*>& windows) {
    std::vector<int> out;
    for (Window* w : windows)
        out.push_back(w->windowNumber());
    return out;
}

TEST_F(KitTest, WindowsAreOrderedByLevelThenRecency) {
    auto a = makeWindow();
    auto b = makeWindow();
    auto floating = makeWindow();
    auto menu = makeWindow();
    floating->setLevel(FloatingWindowLevel);
    menu->setLevel(PopUpMenuWindowLevel);
    auto& server = WindowServer::shared();

    menu->orderFront(nullptr);
    floating->orderFront(nullptr);
    a->orderFront(nullptr);
    b->orderFront(nullptr);
    EXPECT_EQ(numbers(server.orderedWindows()),
              numbers({menu.get(), floating.get(), b.get(), a.get()}));

    a->orderFront(nullptr);
    EXPECT_EQ(numbers(server.orderedWindows()),
              numbers({menu.get(), floating.get(), a.get(), b.get()}));
    b->orderWindow(WindowOrderingMode::Above, a->windowNumber());
    EXPECT_EQ(server.orderedWindows()[2], b.get());
    b->orderWindow(WindowOrderingMode::Below, a->windowNumber());
    EXPECT_EQ(server.orderedWindows()[3], b.get());
    // Raising a window's level moves it among the higher ones.
    b->setLevel(PopUpMenuWindowLevel);
    EXPECT_EQ(server.orderedWindows()[1], b.get());

    a->orderOut(nullptr);
    EXPECT_FALSE(a->isVisible());
    EXPECT_EQ(server.orderedWindows().size(), 3u);
    EXPECT_EQ(server.windows().size(), 4u);
    EXPECT_EQ(server.windowAtPoint({150, 150}), menu.get());
    menu->setIgnoresMouseEvents(true);
    EXPECT_EQ(server.windowAtPoint({150, 150}), b.get());
}

TEST_F(KitTest, ChildWindowsMoveAndOrderWithTheirParent) {
    auto parent = makeWindow({100, 100, 300, 200});
    auto below = makeWindow({90, 90, 50, 50});
    auto above = makeWindow({400, 100, 50, 50});
    auto stranger = makeWindow({0, 0, 10, 10});
    parent->orderFront(nullptr);
    parent->addChildWindow(below.get(), WindowOrderingMode::Below);
    parent->addChildWindow(above.get(), WindowOrderingMode::Above);
    stranger->orderFront(nullptr);
    EXPECT_TRUE(below->isVisible());
    EXPECT_EQ(below->parentWindow(), parent.get());
    EXPECT_EQ(numbers(WindowServer::shared().orderedWindows()),
              numbers({stranger.get(), above.get(), parent.get(), below.get()}));

    parent->orderFront(nullptr);
    EXPECT_EQ(numbers(WindowServer::shared().orderedWindows()),
              numbers({above.get(), parent.get(), below.get(), stranger.get()}));

    parent->setFrame({120, 80, 300, 200}, false);
    EXPECT_EQ(below->frame(), Rect(110, 70, 50, 50));
    EXPECT_EQ(above->frame(), Rect(420, 80, 50, 50));

    // Hidden with the parent, back with it; a child ordered out on its own stays out.
    parent->orderOut(nullptr);
    EXPECT_FALSE(above->isVisible());
    parent->orderFront(nullptr);
    EXPECT_TRUE(above->isVisible());
    above->orderOut(nullptr);
    parent->orderOut(nullptr);
    parent->orderFront(nullptr);
    EXPECT_FALSE(above->isVisible());
    EXPECT_TRUE(below->isVisible());

    parent->removeChildWindow(below.get());
    EXPECT_EQ(below->parentWindow(), nullptr);
    parent->setFrame({0, 0, 300, 200}, false);
    EXPECT_EQ(below->frame(), Rect(110, 70, 50, 50));
    below.reset(); // a destroyed child leaves its parent
    above.reset();
    EXPECT_TRUE(parent->childWindows().empty());
}

TEST_F(KitTest, KeyAndMainStatusMoveAsWindowsComeAndGo) {
    struct Watcher : platform::WindowDelegate {
        void windowDidBecomeKey(Window&) override { log.push_back("becomeKey"); }
        void windowDidResignKey(Window&) override { log.push_back("resignKey"); }
        void windowDidBecomeMain(Window&) override { log.push_back("becomeMain"); }
        void windowDidResignMain(Window&) override { log.push_back("resignMain"); }
        std::vector<std::string> log;
    } watcher;
    int resignMainNotices = 0;
    platform::NotificationCenter::defaultCenter().addObserver(
        &watcher, platform::WindowDidResignMainNotification, nullptr,
        [&](const platform::Notification&) { ++resignMainNotices; });

    auto first = makeWindow();
    auto second = makeWindow();
    auto borderless = makeWindow({0, 0, 10, 10}, platform::BorderlessWindowMask);
    first->setDelegate(&watcher);
    first->makeKeyAndOrderFront(nullptr);
    second->makeKeyAndOrderFront(nullptr);
    EXPECT_EQ(watcher.log,
              (std::vector<std::string>{"becomeKey", "becomeMain", "resignKey", "resignMain"}));
    EXPECT_EQ(resignMainNotices, 1);

    // A borderless window does not take key unless it says it can.
    borderless->makeKeyAndOrderFront(nullptr);
    EXPECT_TRUE(second->isKeyWindow());

    second->orderOut(nullptr);
    EXPECT_TRUE(first->isKeyWindow());
    EXPECT_TRUE(first->isMainWindow());
    first.reset();
    EXPECT_EQ(WindowServer::shared().keyWindow(), nullptr);
    platform::NotificationCenter::defaultCenter().removeObserver(&watcher);
}

TEST_F(KitTest, ClosingAsksTheDelegateAndTellsIt) {
    struct Gate : platform::WindowDelegate {
        bool windowShouldClose(Window&) override { return allow; }
        void windowWillClose(Window&) override { ++willClose; }
        bool allow = false;
        int willClose = 0;
    } gate;
    auto window = makeWindow();
    window->setDelegate(&gate);
    window->makeKeyAndOrderFront(nullptr);
    window->performClose(nullptr);
    EXPECT_TRUE(window->isVisible());
    gate.allow = true;
    window->performClose(nullptr);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(gate.willClose, 1);
    EXPECT_FALSE(window->isKeyWindow());
    window->setDelegate(nullptr);
}

TEST_F(KitTest, MiniaturizingHidesAndTellsTheDelegate) {
    struct Mini : platform::WindowDelegate {
        void windowWillMiniaturize(Window&) override { log.push_back("will"); }
        void windowDidDeminiaturize(Window&) override { log.push_back("didDe"); }
        std::vector<std::string> log;
    } mini;
    auto window = makeWindow();
    window->setDelegate(&mini);
    window->orderFront(nullptr);
    window->miniaturize(nullptr);
    EXPECT_TRUE(window->isMiniaturized());
    EXPECT_FALSE(window->isVisible());
    window->deminiaturize(nullptr);
    EXPECT_FALSE(window->isMiniaturized());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(mini.log, (std::vector<std::string>{"will", "didDe"}));
    window->setDelegate(nullptr);
}

TEST_F(KitTest, GeometryCallsKeepTheirAnchors) {
    auto window = makeWindow({100, 100, 300, 200});
    auto content = window->contentView();
    window->setContentSize({400, 150});
    EXPECT_EQ(window->frame(), Rect(100, 150, 400, 150)); // the top edge stays at 300
    EXPECT_EQ(content->frame(), Rect(0, 0, 400, 150));

    window->setFrameTopLeftPoint({10, 800});
    EXPECT_EQ(window->frame(), Rect(10, 650, 400, 150));
    const Point next = window->cascadeTopLeftFromPoint({50, 700});
    EXPECT_EQ(window->frame().origin, Point(50, 550));
    EXPECT_EQ(next, Point(70, 680));

    // Centred on the default screen's visible frame (1440 x 878), a third down.
    window->center();
    EXPECT_EQ(window->frame().origin, Point(520, 485));
    EXPECT_EQ(window->screen(), platform::Screen::mainScreen());
    EXPECT_EQ(platform::Screen::mainScreen()->visibleFrame(), Rect(0, 0, 1440, 878));

    EXPECT_EQ(window->convertBaseToScreen({1, 2}), Point(521, 487));
    EXPECT_EQ(window->convertScreenToBase({521, 487}), Point(1, 2));
    EXPECT_EQ(window->convertRectToScreen({1, 2, 3, 4}), Rect(521, 487, 3, 4));
}

TEST_F(KitTest, AnAnimatedFrameChangeBlocksForItsDurationOnTheClock) {
    struct Paced : Window {
        using Window::Window;
        // 0.04 s for every 150 points.
        platform::TimeInterval animationResizeTime(const Rect& f) const override {
            return (std::abs(f.width() - frame().width()) +
                    std::abs(f.height() - frame().height())) /
                   150.0 * 0.04;
        }
    };
    struct Resizes : platform::WindowDelegate {
        void windowDidResize(Window&) override { ++count; }
        int count = 0;
    } resizes;
    auto window = make<Paced>(Rect(0, 0, 200, 100), platform::BorderlessWindowMask);
    window->setDelegate(&resizes);
    window->orderFront(nullptr);
    bool defaultTimerFired = false;
    platform::Timer::scheduledTimerWithTimeInterval(
        0.01, false, [&](platform::Timer&) { defaultTimerFired = true; });
    const double start = clock->now();
    window->setFrame({0, 0, 350, 100}, true, true);
    EXPECT_NEAR(clock->now() - start, 0.04, 1e-9);
    EXPECT_EQ(window->frame(), Rect(0, 0, 350, 100));
    EXPECT_GE(resizes.count, 2); // at least one step on the way and the end
    EXPECT_FALSE(window->isAnimatingFrame());
    EXPECT_FALSE(defaultTimerFired); // the animation ran in the event-tracking mode

    // Without a visible window, or without a change of size, the frame is set at once.
    const double before = clock->now();
    window->setFrame({10, 10, 350, 100}, true, true);
    EXPECT_EQ(clock->now(), before);
    window->setDelegate(nullptr);
}

// Fills (0, 0, 20, 10) of its bounds red: the lower left corner unflipped, the upper left
// flipped.
class CornerView : public View {
public:
    CornerView(const Rect& frame, bool flipped) : View(frame), flipped_(flipped) {}
    bool isFlipped() const override { return flipped_; }
    void drawRect(const Rect&) override {
        Color::redColor().setFill();
        platform::RectFill({0, 0, 20, 10});
    }

private:
    bool flipped_;
};

void expectColor(const Color& actual, const Color& expected, const std::string& where) {
    EXPECT_NEAR(actual.redComponent(), expected.redComponent(), 0.01) << where;
    EXPECT_NEAR(actual.greenComponent(), expected.greenComponent(), 0.01) << where;
    EXPECT_NEAR(actual.blueComponent(), expected.blueComponent(), 0.01) << where;
    EXPECT_NEAR(actual.alphaComponent(), expected.alphaComponent(), 0.01) << where;
}

TEST_F(KitTest, ASnapshotShowsWhatTheViewsDrew) {
    for (bool flipped : {false, true}) {
        auto window = makeWindow({0, 0, 100, 80});
        window->setBackgroundColor(Color::whiteColor());
        window->contentView()->addSubview(
            std::make_shared<CornerView>(Rect(10, 10, 60, 50), flipped));
        auto image = window->snapshot();
        ASSERT_EQ(image->pixelsWide(), 100);
        ASSERT_EQ(image->pixelsHigh(), 80);
        const std::string kind = flipped ? "flipped" : "unflipped";
        // colorAt counts rows from the bottom, like the window.
        const int redY = flipped ? 55 : 15;
        const int otherY = flipped ? 15 : 55;
        expectColor(image->colorAt(15, redY), Color::redColor(), kind + " red corner");
        expectColor(image->colorAt(29, redY), Color::redColor(), kind + " red corner edge");
        expectColor(image->colorAt(31, redY), Color::whiteColor(), kind + " right of red");
        expectColor(image->colorAt(15, otherY), Color::whiteColor(), kind + " other corner");
        expectColor(image->colorAt(5, 5), Color::whiteColor(), kind + " outside the view");
    }
}

TEST_F(KitTest, ViewsRedrawWhatChangedAndHiddenViewsDrawNothing) {
    auto window = makeWindow({0, 0, 100, 80});
    window->setBackgroundColor(Color::clearColor());
    auto corner = std::make_shared<CornerView>(Rect(0, 0, 100, 80), false);
    window->contentView()->addSubview(corner);
    window->orderFront(nullptr);
    EXPECT_FALSE(window->viewsNeedDisplay());
    expectColor(window->snapshot()->colorAt(5, 5), Color::redColor(), "drawn");

    corner->setHidden(true);
    EXPECT_TRUE(window->viewsNeedDisplay());
    RunLoop::main().runUntilIdle(); // the loop displays dirty windows by itself
    EXPECT_FALSE(window->viewsNeedDisplay());
    expectColor(window->snapshot()->colorAt(5, 5), Color::clearColor(), "hidden");

    corner->setHidden(false);
    corner->setFrameOrigin({50, 40});
    auto image = window->snapshot();
    expectColor(image->colorAt(55, 45), Color::redColor(), "moved");
    expectColor(image->colorAt(5, 5), Color::clearColor(), "old place");

    // A half-transparent view is composited at its alpha.
    corner->setAlphaValue(0.5);
    const Color half = window->snapshot()->colorAt(55, 45);
    EXPECT_NEAR(half.alphaComponent(), 0.5, 0.02);
}

TEST_F(KitTest, ASkinnedWindowCanPutItsContentInsideAFrameView) {
    // What skinned windows do: the platform content view is a frame view, and contentView
    // answers the view inside it.
    struct Skinned : Window {
        using Window::Window;
        void initialize() override {
            frameView = std::make_shared<View>();
            Window::setContentView(frameView);
        }
        View* contentView() const override { return child.get(); }
        void setContentView(std::shared_ptr<View> view) override {
            if (child)
                child->removeFromSuperview();
            child = std::move(view);
            child->setFrame(rootView()->bounds().insetBy(10, 10));
            child->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewHeightSizable);
            frameView->addSubview(child);
        }
        std::shared_ptr<View> frameView;
        std::shared_ptr<View> child;
    };
    auto window = make<Skinned>(Rect(0, 0, 300, 200), platform::BorderlessWindowMask);
    auto content = std::make_shared<RecordingView>(Rect());
    window->setContentView(content);
    EXPECT_EQ(window->contentView(), content.get());
    EXPECT_EQ(window->rootView(), window->frameView.get());
    EXPECT_EQ(content->frame(), Rect(10, 10, 280, 180));
    window->setFrame({0, 0, 400, 200}, false);
    EXPECT_EQ(content->frame(), Rect(10, 10, 380, 180));
    EXPECT_EQ(content->window(), window.get());
    mouse(EventType::LeftMouseDown, *window, {50, 50});
    EXPECT_EQ(content->events, std::vector<std::string>{"down"});
}

} // namespace
} // namespace kittest

namespace kittest {
namespace {

TEST_F(KitTest, AClickOnABackWindowBringsItForwardAndActsAtOnce) {
    auto back = makeWindow({0, 0, 200, 200});
    auto front = makeWindow({50, 50, 200, 200});
    auto view = std::make_shared<RecordingView>(Rect(0, 0, 200, 200));
    back->contentView()->addSubview(view);
    back->makeKeyAndOrderFront(nullptr);
    front->makeKeyAndOrderFront(nullptr);
    mouse(EventType::LeftMouseDown, *back, {10, 10});
    EXPECT_TRUE(back->isKeyWindow());
    EXPECT_TRUE(back->isMainWindow());
    EXPECT_EQ(WindowServer::shared().orderedWindows().front(), back.get());
    EXPECT_EQ(view->events, std::vector<std::string>{"down"});
}

} // namespace
} // namespace kittest

namespace kittest {
namespace {

TEST_F(KitTest, AResizeByTheWindowManagerPassesTheLimitsAndTheDelegate) {
    struct Clamp : platform::WindowDelegate {
        Size windowWillResize(Window&, Size size) override {
            asked.push_back(size);
            return {size.width, std::min(size.height, 250.0)};
        }
        std::vector<Size> asked;
    } clamp;
    struct Backend : platform::ScreenBackend {
        std::string name() const override { return "test"; }
        std::vector<platform::ScreenDescription> screens() const override {
            return {{Rect(0, 0, 1000, 800), Rect(0, 0, 1000, 800), 1.0}};
        }
        void windowFrameChanged(Window& w) override { told.push_back(w.frame()); }
        std::vector<Rect> told;
    };
    auto backendOwner = std::make_unique<Backend>();
    Backend* backend = backendOwner.get();
    platform::setScreenBackend(std::move(backendOwner));

    auto window = makeWindow({100, 100, 300, 200});
    window->setDelegate(&clamp);
    window->setMinSize({200, 150});
    auto& server = WindowServer::shared();

    server.windowMovedByScreen(*window, {150, 120, 300, 200}); // a move: nobody is asked
    EXPECT_EQ(window->frame(), Rect(150, 120, 300, 200));
    EXPECT_TRUE(backend->told.empty());
    EXPECT_TRUE(clamp.asked.empty());

    // Grown at the bottom edge past the delegate's limit, shrunk below the minimum width.
    server.windowMovedByScreen(*window, {150, 20, 100, 300});
    EXPECT_EQ(clamp.asked, std::vector<Size>{Size(200, 300)});
    EXPECT_EQ(window->frame(), Rect(150, 70, 200, 250)); // top edge kept at 320
    ASSERT_EQ(backend->told.size(), 1u);
    EXPECT_EQ(backend->told[0], window->frame());
    window->setDelegate(nullptr);
    platform::setScreenBackend(nullptr);
}

} // namespace
} // namespace kittest
