#include "QXBaseWindowTestSupport.h"
#include "widgets/QXViewPopMenu.h"

#include <sstream>
#include <vector>

namespace skinned_test {
namespace {

using platform::make;
using platform::View;
using platform::Window;
using platform::WindowServer;

// A view that writes down the events it is handed, with their window locations.
class RecordingView : public View {
public:
    using View::View;
    void mouseDown(const Event& e) override { note("down", e); }
    void mouseUp(const Event& e) override { note("up", e); }
    void mouseDragged(const Event& e) override { note("dragged", e); }
    void scrollWheel(const Event& e) override { note("scroll", e); }
    void flagsChanged(const Event& e) override { note("flags", e); }
    void keyDown(const Event& e) override { log.push_back("key " + e.characters()); }
    void keyUp(const Event& e) override { log.push_back("keyUp " + e.characters()); }

    void note(const char* what, const Event& e) {
        std::ostringstream text;
        text << what << " " << e.locationInWindow().x << "," << e.locationInWindow().y;
        log.push_back(text.str());
    }
    std::vector<std::string> log;
};

using Log = std::vector<std::string>;

// The menu opens from a click at (50, 50) of a window at (100, 100, 300, 200): its top-left
// corner goes 10 left and 5 below the click, to (140, 145) on the screen, and its 100 x 60
// holder makes its frame (140, 85, 100, 60).
class QXViewPopMenuTest : public SkinnedWindowTest {
public:
    void SetUp() override {
        SkinnedWindowTest::SetUp();
        source = make<Window>(Rect(100, 100, 300, 200), platform::TitledWindowMask);
        source->orderFront(nullptr);
        holder = std::make_shared<View>(Rect(30, 30, 100, 60));
        target = std::make_shared<RecordingView>(Rect(0, 0, 100, 60));
        parent = std::make_shared<RecordingView>(Rect(0, 0, 10, 10));
        menu = QXViewPopMenu::windowMenuWithHolderView(holder, target.get(), parent.get());
        opening = Event::mouseEvent(EventType::LeftMouseDown, {50, 50}, 0, source.get());
    }

    // Queues an event for the tracking loop; time moves only when the test says so.
    void queue(const Event& event) { WindowServer::shared().postEvent(event); }
    void later(double seconds = 0.01) { clock->advance(seconds); }
    Event inMenu(EventType type, Point location) {
        return Event::mouseEvent(type, location, 0, menu.get());
    }
    static Event atScreen(EventType type, Point screenPoint) {
        return Event::mouseEvent(type, screenPoint, 0, nullptr);
    }
    // A key that only a loop still tracking hands to the parent view.
    void queueSentinel() {
        later();
        queue(Event::keyEvent(EventType::KeyDown, "#", 0, menu.get()));
    }
    bool trackedToTheSentinel() const {
        return !parent->log.empty() && parent->log.back() == "key #";
    }

    void popUp() { QXViewPopMenu::popUpWindowMenu(menu, opening, source->contentView()); }

    std::shared_ptr<Window> source;
    std::shared_ptr<View> holder;
    std::shared_ptr<RecordingView> target, parent;
    std::shared_ptr<QXViewPopMenu> menu;
    Event opening;
};

TEST_F(QXViewPopMenuTest, OpensUnderTheClickAndTakesTheKey) {
    EXPECT_EQ(menu->holderView(), holder.get());
    EXPECT_EQ(holder->frame(), Rect(0, 0, 100, 60)); // moved to the origin
    EXPECT_EQ(menu->level(), platform::PopUpMenuWindowLevel);
    EXPECT_DOUBLE_EQ(menu->alphaValue(), 0.95);
    popUp();
    EXPECT_EQ(menu->frame(), Rect(140, 85, 100, 60));
    EXPECT_EQ(WindowServer::shared().keyWindow(), menu.get());
}

TEST_F(QXViewPopMenuTest, TheOpeningClicksMouseUpDoesNotReachTheTarget) {
    later(0.1);
    queue(Event::mouseEvent(EventType::LeftMouseUp, {50, 50}, 0, source.get()));
    later(0.4);
    queue(inMenu(EventType::LeftMouseDown, {50, 30}));
    later(0.1);
    queue(inMenu(EventType::LeftMouseUp, {50, 30}));
    later(0.1);
    queue(inMenu(EventType::RightMouseDown, {60, 20}));
    queueSentinel();
    popUp();
    EXPECT_EQ(target->log, (Log{"down 50,30", "up 50,30", "down 60,20"}));
    EXPECT_TRUE(trackedToTheSentinel());
}

TEST_F(QXViewPopMenuTest, DraggingFromTheOpeningPressDeliversItsDownFirst) {
    // The drags belong to the window that was clicked; the menu re-addresses them.
    later();
    queue(Event::mouseEvent(EventType::LeftMouseDragged, {60, 40}, 0, source.get()));
    later();
    queue(Event::mouseEvent(EventType::LeftMouseDragged, {70, 30}, 0, source.get()));
    later(0.5);
    queue(Event::mouseEvent(EventType::LeftMouseUp, {70, 30}, 0, source.get()));
    popUp();
    // (50, 50) of the source is (150, 150) on the screen and (10, 65) in the menu.
    EXPECT_EQ(target->log, (Log{"down 10,65", "dragged 20,55", "dragged 30,45", "up 30,45"}));
}

TEST_F(QXViewPopMenuTest, WhatEndsTracking) {
    const struct {
        const char* what;
        std::vector<Event> (*events)(QXViewPopMenuTest&);
        bool ends;
    } cases[] = {
        {"a press outside the holder",
         [](QXViewPopMenuTest& t) {
             return std::vector{t.inMenu(EventType::LeftMouseDown, {150, 30})};
         },
         true},
        {"a middle-button press, even inside",
         [](QXViewPopMenuTest& t) {
             return std::vector{t.inMenu(EventType::OtherMouseDown, {50, 30})};
         },
         true},
        {"switching to another application",
         [](QXViewPopMenuTest&) {
             return std::vector{Event::otherEventWithType(
                 EventType::AppKitDefined, {}, 0, platform::RunLoop::main().now(), 0,
                 platform::ApplicationDeactivatedEventType, 0, 0)};
         },
         true},
        {"the application becoming active",
         [](QXViewPopMenuTest&) {
             return std::vector{Event::otherEventWithType(
                 EventType::AppKitDefined, {}, 0, platform::RunLoop::main().now(), 0,
                 platform::ApplicationActivatedEventType, 0, 0)};
         },
         false},
        {"the first exit, while the opening press is still pending",
         [](QXViewPopMenuTest&) {
             return std::vector{atScreen(EventType::MouseMoved, {190, 40})};
         },
         false},
        // Once the pending press is gone (the first exit drops it), exits end tracking...
        {"leaving through the bottom",
         [](QXViewPopMenuTest&) {
             return std::vector{atScreen(EventType::MouseMoved, {190, 40}),
                                atScreen(EventType::MouseMoved, {190, 100}),
                                atScreen(EventType::MouseMoved, {190, 80})};
         },
         true},
        {"leaving through the left side",
         [](QXViewPopMenuTest&) {
             return std::vector{atScreen(EventType::MouseMoved, {190, 40}),
                                atScreen(EventType::MouseMoved, {190, 100}),
                                atScreen(EventType::MouseMoved, {135, 100})};
         },
         true},
        {"leaving through the right side",
         [](QXViewPopMenuTest&) {
             return std::vector{atScreen(EventType::MouseMoved, {190, 40}),
                                atScreen(EventType::MouseMoved, {190, 100}),
                                atScreen(EventType::MouseMoved, {245, 100})};
         },
         true},
        // ...but through the top only beyond 20 points.
        {"leaving through the top by 10 points",
         [](QXViewPopMenuTest&) {
             return std::vector{atScreen(EventType::MouseMoved, {190, 40}),
                                atScreen(EventType::MouseMoved, {190, 100}),
                                atScreen(EventType::MouseMoved, {190, 155})};
         },
         false},
        {"leaving through the top by 25 points",
         [](QXViewPopMenuTest&) {
             return std::vector{atScreen(EventType::MouseMoved, {190, 40}),
                                atScreen(EventType::MouseMoved, {190, 100}),
                                atScreen(EventType::MouseMoved, {190, 170})};
         },
         true},
        {"an exit the screen reports, with the pointer below the menu",
         [](QXViewPopMenuTest& t) {
             const double now = platform::RunLoop::main().now();
             return std::vector{t.inMenu(EventType::LeftMouseDragged, {50, 30}),
                                Event::enterExitEventWithType(EventType::MouseExited, {50, -5}, 0,
                                                              now, t.menu->windowNumber(), 0,
                                                              nullptr)};
         },
         true},
        {"moves inside the menu",
         [](QXViewPopMenuTest&) {
             return std::vector{atScreen(EventType::MouseMoved, {150, 100}),
                                atScreen(EventType::MouseMoved, {230, 140})};
         },
         false},
    };
    for (const auto& c : cases) {
        SetUp();
        for (const Event& event : c.events(*this)) {
            queue(event);
            later();
        }
        queueSentinel();
        popUp();
        EXPECT_EQ(trackedToTheSentinel(), !c.ends) << c.what;
        if (c.ends) {
            EXPECT_EQ(WindowServer::shared().queuedEventCount(), 1u) << c.what;
        }
        TearDown();
    }
}

TEST_F(QXViewPopMenuTest, KeysGoToTheParentAndEverythingElseToTheTarget) {
    queue(Event::keyEvent(EventType::KeyDown, "a", 0, menu.get()));
    queue(Event::keyEvent(EventType::KeyUp, "a", 0, menu.get()));
    queue(Event::scrollWheelEvent({40, 20}, 0, 2, 0, menu.get()));
    queue(Event::otherEventWithType(EventType::FlagsChanged, {40, 20}, platform::ShiftKeyMask,
                                    platform::RunLoop::main().now(), menu->windowNumber(), 0, 0,
                                    0));
    queueSentinel();
    popUp();
    EXPECT_EQ(parent->log, (Log{"key a", "keyUp a", "key #"}));
    EXPECT_EQ(target->log, (Log{"scroll 40,20", "flags 40,20"}));
}

TEST_F(QXViewPopMenuTest, AfterTrackingItFadesOutAndGoesAway) {
    std::weak_ptr<QXViewPopMenu> watch = menu;
    queue(inMenu(EventType::OtherMouseDown, {50, 30}));
    popUp();
    menu.reset();
    ASSERT_FALSE(watch.expired()); // the fade keeps it
    EXPECT_TRUE(watch.lock()->isVisible());

    platform::RunLoop::main().runFor(2.0 / 30.0 + 0.001);
    ASSERT_FALSE(watch.expired());
    EXPECT_NEAR(watch.lock()->alphaValue(), 1 - (2.0 / 30.0) / 0.15, 0.01);
    EXPECT_TRUE(watch.lock()->isVisible());

    platform::RunLoop::main().runFor(0.2);
    EXPECT_TRUE(watch.expired());
}

TEST_F(QXViewPopMenuTest, OnlyAVisibleMenuFadesAndAllMenusShareOneStart) {
    const std::size_t before = platform::RunLoop::main().pendingCount();
    menu->fadeWithTimeInterval(0.15);
    EXPECT_EQ(platform::RunLoop::main().pendingCount(), before);

    // A fade begun while another runs restarts the other's timing too.
    auto other = QXViewPopMenu::windowMenu();
    menu->orderFront(nullptr);
    other->orderFront(nullptr);
    menu->fadeWithTimeInterval(0.3);
    platform::RunLoop::main().runFor(0.1 + 0.001);
    other->fadeWithTimeInterval(0.3);
    platform::RunLoop::main().runFor(1.0 / 30.0 + 0.001);
    EXPECT_NEAR(menu->alphaValue(), 1 - (1.0 / 30.0) / 0.3, 0.02);
}

TEST(QXViewPopMenuEvents, MouseEventTypes) {
    const struct {
        EventType type;
        bool mouse;
    } cases[] = {
        {EventType::LeftMouseDown, true},     {EventType::LeftMouseUp, true},
        {EventType::RightMouseDown, true},    {EventType::RightMouseUp, true},
        {EventType::LeftMouseDragged, true},  {EventType::RightMouseDragged, true},
        {EventType::OtherMouseDown, true},    {EventType::OtherMouseUp, true},
        {EventType::OtherMouseDragged, true}, {EventType::MouseMoved, false},
        {EventType::MouseEntered, false},     {EventType::MouseExited, false},
        {EventType::ScrollWheel, false},      {EventType::KeyDown, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isMouseEventType(Event::mouseEvent(c.type, {})), c.mouse)
            << static_cast<int>(c.type);
}

} // namespace
} // namespace skinned_test
