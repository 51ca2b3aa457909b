#include "KitTestSupport.h"
#include "platform/kit/Cursor.h"

namespace kittest {
namespace {

using platform::TrackingArea;

// A window that records the keys nobody else took.
class KeyWindow : public Window {
public:
    using Window::Window;
    void keyDown(const Event& event) override { unhandled.push_back(event.characters()); }
    std::vector<std::string> unhandled;
};

class EventsTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        window = make<KeyWindow>(Rect(100, 100, 300, 200), platform::TitledWindowMask);
        left = std::make_shared<RecordingView>(Rect(10, 10, 100, 100), "left", &log);
        right = std::make_shared<RecordingView>(Rect(150, 10, 100, 100), "right", &log);
        inner = std::make_shared<RecordingView>(Rect(20, 20, 40, 40), "inner", &log);
        window->contentView()->addSubview(left);
        window->contentView()->addSubview(right);
        right->addSubview(inner);
        window->makeKeyAndOrderFront(nullptr);
    }
    std::vector<std::string> log;
    std::shared_ptr<KeyWindow> window;
    std::shared_ptr<RecordingView> left, right, inner;
};

TEST_F(EventsTest, AClickReachesTheViewUnderItAndDragsFollowTheDown) {
    left->acceptsFirst = true;
    mouse(EventType::LeftMouseDown, *window, {50, 50});
    mouse(EventType::LeftMouseDragged, *window, {200, 50}); // over the right view now
    mouse(EventType::LeftMouseUp, *window, {200, 150});
    EXPECT_EQ(log, (std::vector<std::string>{"left:down", "left:dragged", "left:up"}));
    EXPECT_EQ(left->locations.back(), Point(200, 150)); // window coordinates as given
    EXPECT_EQ(window->firstResponder(), left.get());

    // The next click goes by the new hit test; a view refusing first responder leaves it.
    log.clear();
    mouse(EventType::LeftMouseDown, *window, {180, 40}); // inner: 150+20 .. 150+60
    mouse(EventType::LeftMouseUp, *window, {180, 40});
    EXPECT_EQ(log, (std::vector<std::string>{"inner:down", "inner:up"}));
    EXPECT_EQ(window->firstResponder(), left.get());
}

TEST_F(EventsTest, AnUnhandledMouseDownTravelsUpTheViewsToTheWindow) {
    struct Passing : View {
        using View::View;
    };
    auto plain = std::make_shared<Passing>(Rect(0, 0, 10, 10));
    left->addSubview(plain);
    mouse(EventType::LeftMouseDown, *window, {15, 15});
    EXPECT_EQ(log, (std::vector<std::string>{"left:down"}));
}

TEST_F(EventsTest, KeysReachTheFirstResponderAndFallBackAlongTheChain) {
    inner->acceptsFirst = true;
    ASSERT_TRUE(window->makeFirstResponder(inner.get()));
    key("a");
    EXPECT_EQ(log, (std::vector<std::string>{"inner:key:a"}));

    // inner passes on: its superview gets it next, then (passing too) the window.
    log.clear();
    inner->passKeys = true;
    right->passKeys = true;
    key("b");
    EXPECT_EQ(log, (std::vector<std::string>{"inner:keyPassed", "right:keyPassed"}));
    EXPECT_EQ(window->unhandled, (std::vector<std::string>{"b"}));

    // With no first responder view, the window takes keys directly.
    window->makeFirstResponder(nullptr);
    key("c");
    EXPECT_EQ(window->unhandled, (std::vector<std::string>{"b", "c"}));
}

TEST_F(EventsTest, KeyEquivalentsGoToViewsThenTheMenuBeforeTheFirstResponder) {
    struct Shortcut : View {
        using View::View;
        bool performKeyEquivalent(const Event& e) override {
            return e.charactersIgnoringModifiers() == "k";
        }
    };
    window->contentView()->addSubview(std::make_shared<Shortcut>(Rect()));
    std::vector<std::string> menu;
    WindowServer::shared().setMenuKeyEquivalentHandler([&](const Event& e) {
        menu.push_back(e.characters());
        return e.characters() == "m";
    });
    key("k", platform::CommandKeyMask);
    key("m", platform::CommandKeyMask);
    key("x", platform::CommandKeyMask);
    EXPECT_EQ(menu, (std::vector<std::string>{"m", "x"}));
    EXPECT_EQ(window->unhandled, (std::vector<std::string>{"x"}));
}

TEST_F(KitTest, TabMovesAlongTheKeyViewLoop) {
    auto plain = makeWindow();
    auto a = std::make_shared<RecordingView>(Rect(0, 0, 10, 10));
    auto b = std::make_shared<RecordingView>(Rect(20, 0, 10, 10));
    a->acceptsFirst = b->acceptsFirst = true;
    a->passKeys = b->passKeys = true;
    plain->contentView()->addSubview(a);
    plain->contentView()->addSubview(b);
    a->setNextKeyView(b.get());
    b->setNextKeyView(a.get());
    plain->makeKeyAndOrderFront(nullptr);
    plain->makeFirstResponder(a.get());
    key("\t");
    EXPECT_EQ(plain->firstResponder(), b.get());
    key("\t");
    EXPECT_EQ(plain->firstResponder(), a.get());
    key("\t", platform::ShiftKeyMask);
    EXPECT_EQ(plain->firstResponder(), b.get());
}

TEST_F(EventsTest, TrackingAreasHearEnteredMovedAndExitedWithTheirUserInfo) {
    auto area = std::make_shared<TrackingArea>(
        Rect(0, 0, 100, 100),
        platform::TrackingMouseEnteredAndExited | platform::TrackingMouseMoved |
            platform::TrackingActiveAlways,
        left.get(), Value(Value::Dictionary{{"row", Value(3)}}));
    left->addTrackingArea(area);

    mouse(EventType::MouseMoved, *window, {5, 5}); // outside (left starts at 10,10)
    mouse(EventType::MouseMoved, *window, {20, 20});
    mouse(EventType::MouseMoved, *window, {30, 30});
    mouse(EventType::MouseMoved, *window, {120, 30}); // left's right edge is at 110
    mouse(EventType::MouseMoved, *window, {130, 30});
    EXPECT_EQ(left->events, (std::vector<std::string>{"entered", "moved", "moved", "exited"}));
    ASSERT_EQ(left->userData.size(), 4u);
    for (const auto& info : left->userData)
        EXPECT_EQ(info.objectForKey("row").intValue(), 3);
    EXPECT_EQ(left->locations[0], Point(20, 20));
}

TEST_F(EventsTest, TrackingAreasFollowActivityDragsAndHiding) {
    auto keyOnly = std::make_shared<TrackingArea>(
        Rect(0, 0, 100, 100),
        platform::TrackingMouseEnteredAndExited | platform::TrackingActiveInKeyWindow, left.get());
    left->addTrackingArea(keyOnly);
    auto duringDrag = std::make_shared<TrackingArea>(Rect(0, 0, 100, 100),
                                                     platform::TrackingMouseEnteredAndExited |
                                                         platform::TrackingActiveAlways |
                                                         platform::TrackingEnabledDuringMouseDrag,
                                                     right.get());
    right->addTrackingArea(duringDrag);

    // A drag over the right view reports there (enabled during drags) but not over the left.
    mouse(EventType::LeftMouseDown, *window, {5, 150});
    mouse(EventType::LeftMouseDragged, *window, {50, 50});
    mouse(EventType::LeftMouseDragged, *window, {200, 50});
    mouse(EventType::LeftMouseUp, *window, {200, 50});
    EXPECT_EQ(left->events, std::vector<std::string>{});
    EXPECT_EQ(right->events, (std::vector<std::string>{"entered"}));

    // Hiding the view ends its area at the next move.
    right->setHidden(true);
    mouse(EventType::MouseMoved, *window, {201, 50});
    EXPECT_EQ(right->events, (std::vector<std::string>{"entered", "exited"}));

    // An area active only in the key window stays quiet in a window that is not key.
    auto other = makeWindow({500, 500, 100, 100});
    other->makeKeyAndOrderFront(nullptr);
    mouse(EventType::MouseMoved, *window, {50, 50});
    EXPECT_EQ(left->events, std::vector<std::string>{});
    window->makeKeyWindow();
    mouse(EventType::MouseMoved, *window, {51, 50});
    EXPECT_EQ(left->events, (std::vector<std::string>{"entered"}));
}

TEST_F(EventsTest, CursorUpdateAreasHearOnlyCursorUpdatesOnEntering) {
    left->addTrackingArea(std::make_shared<TrackingArea>(
        Rect(0, 0, 100, 100), platform::TrackingCursorUpdate | platform::TrackingActiveAlways,
        left.get()));
    mouse(EventType::MouseMoved, *window, {50, 50});
    mouse(EventType::MouseMoved, *window, {150, 150});
    mouse(EventType::MouseMoved, *window, {50, 50});
    EXPECT_EQ(left->events, (std::vector<std::string>{"cursorUpdate", "cursorUpdate"}));
}

TEST_F(EventsTest, MovingToAnotherWindowExitsTheAreasOfTheFirst) {
    left->addTrackingArea(std::make_shared<TrackingArea>(
        Rect(0, 0, 100, 100),
        platform::TrackingMouseEnteredAndExited | platform::TrackingActiveAlways, left.get()));
    auto other = makeWindow({600, 100, 100, 100});
    other->orderFront(nullptr);
    mouse(EventType::MouseMoved, *window, {50, 50});
    mouse(EventType::MouseMoved, *other, {50, 50});
    EXPECT_EQ(left->events, (std::vector<std::string>{"entered", "exited"}));
}

TEST_F(EventsTest, MouseMovedReachesTheFirstResponderOnlyWhenAskedFor) {
    left->acceptsFirst = true;
    window->makeFirstResponder(left.get());
    mouse(EventType::MouseMoved, *window, {50, 50});
    EXPECT_TRUE(left->events.empty());
    window->setAcceptsMouseMovedEvents(true);
    mouse(EventType::MouseMoved, *window, {50, 50});
    EXPECT_EQ(left->events, (std::vector<std::string>{"moved"}));
    EXPECT_EQ(window->mouseLocationOutsideOfEventStream(), Point(50, 50));
}

TEST_F(EventsTest, AMouseDownHandlerCanReadTheRestOfTheClickFromTheQueue) {
    // Controls track a click in their own loop: the up never reaches mouseUp separately.
    struct Tracking : RecordingView {
        using RecordingView::RecordingView;
        void mouseDown(const Event& e) override {
            note("down", e);
            auto next = WindowServer::shared().nextEventMatchingMask(
                platform::LeftMouseUpMask | platform::LeftMouseDraggedMask,
                RunLoop::main().now() + 1, platform::EventTrackingRunLoopMode, true);
            if (next)
                note(next->type() == EventType::LeftMouseUp ? "trackedUp" : "trackedDrag", *next);
        }
    };
    auto tracker = std::make_shared<Tracking>(Rect(0, 0, 5, 5));
    window->contentView()->addSubview(tracker);
    WindowServer::shared().postEvent(
        Event::mouseEvent(EventType::LeftMouseDown, {2, 2}, 0, window.get()));
    WindowServer::shared().postEvent(
        Event::mouseEvent(EventType::LeftMouseUp, {2, 2}, 0, window.get()));
    WindowServer::shared().dispatchPendingEvents();
    EXPECT_EQ(tracker->events, (std::vector<std::string>{"down", "trackedUp"}));
    EXPECT_EQ(WindowServer::shared().queuedEventCount(), 0u);
}

TEST_F(EventsTest, PostedEventsAreDispatchedByTheRunLoopWithCurrentEventSet) {
    struct Peek : RecordingView {
        using RecordingView::RecordingView;
        void mouseDown(const Event& e) override {
            note("down", e);
            if (const Event* current = WindowServer::shared().currentEvent())
                type = current->type();
        }
        EventType type{};
    };
    auto peek = std::make_shared<Peek>(Rect(0, 150, 10, 10));
    window->contentView()->addSubview(peek);
    window->postEvent(Event::mouseEvent(EventType::LeftMouseDown, {5, 155}, 0, window.get()),
                      false);
    EXPECT_TRUE(peek->events.empty());
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(peek->events, (std::vector<std::string>{"down"}));
    EXPECT_EQ(peek->type, EventType::LeftMouseDown);
    EXPECT_EQ(WindowServer::shared().currentEvent(), nullptr);
}

TEST_F(KitTest, EventsCarryTheOriginalNumbersAndCharacters) {
    EXPECT_EQ(static_cast<int>(EventType::LeftMouseDown), 1);
    EXPECT_EQ(static_cast<int>(EventType::MouseExited), 9);
    EXPECT_EQ(static_cast<int>(EventType::ScrollWheel), 22);
    EXPECT_EQ(static_cast<int>(EventType::OtherMouseDragged), 27);
    EXPECT_EQ(platform::CommandKeyMask, 1u << 20);

    struct KeyCase {
        char32_t character;
        unsigned short keyCode;
    };
    const KeyCase keys[] = {{platform::PageUpFunctionKey, 116},
                            {platform::PageDownFunctionKey, 121},
                            {platform::LeftArrowFunctionKey, 123},
                            {platform::RightArrowFunctionKey, 124},
                            {platform::DownArrowFunctionKey, 125},
                            {platform::UpArrowFunctionKey, 126},
                            {platform::DeleteCharacter, 51},
                            {platform::CarriageReturnCharacter, 36},
                            {platform::EscapeCharacter, 53},
                            {platform::TabCharacter, 48},
                            {U'a', 0},
                            {U'A', 0},
                            {U'?', 44}};
    for (const auto& k : keys)
        EXPECT_EQ(platform::keyCodeForCharacter(k.character), k.keyCode)
            << static_cast<unsigned>(k.character);
    EXPECT_EQ(platform::keyCodeForCharacter(U'é'), std::nullopt);

    const Event e = Event::keyEvent(EventType::KeyDown,
                                    platform::utf8FromCodePoint(platform::UpArrowFunctionKey));
    EXPECT_EQ(e.keyCode(), 126);
    EXPECT_EQ(platform::firstCodePoint(e.characters()), platform::UpArrowFunctionKey);
    EXPECT_EQ(platform::firstCodePoint("é"), U'é');
    EXPECT_EQ(platform::firstCodePoint(""), 0u);

    // An event outliving its window answers no window.
    Event orphan;
    {
        auto w = makeWindow();
        orphan = Event::mouseEvent(EventType::LeftMouseDown, {1, 1}, 0, w.get());
        EXPECT_EQ(orphan.window(), w.get());
    }
    EXPECT_EQ(orphan.window(), nullptr);
}

} // namespace
} // namespace kittest

namespace kittest {
namespace {

TEST_F(EventsTest, TheCursorFollowsTheCursorRectsUnderThePointer) {
    struct Linky : RecordingView {
        using RecordingView::RecordingView;
        void resetCursorRects() override {
            ++resets;
            addCursorRect({0, 0, 50, 50}, platform::Cursor::pointingHandCursor());
        }
        int resets = 0;
    };
    auto link = std::make_shared<Linky>(Rect(10, 10, 100, 100));
    window->contentView()->addSubview(link);
    mouse(EventType::MouseMoved, *window, {20, 20});
    EXPECT_EQ(platform::Cursor::currentCursor(), platform::Cursor::pointingHandCursor());
    mouse(EventType::MouseMoved, *window, {80, 80}); // in the view, outside its rectangle
    EXPECT_EQ(platform::Cursor::currentCursor(), platform::Cursor::arrowCursor());
    EXPECT_EQ(link->resets, 1);

    // Rebuilt after a move of the view.
    link->setFrameOrigin({60, 60});
    mouse(EventType::MouseMoved, *window, {80, 80});
    EXPECT_EQ(platform::Cursor::currentCursor(), platform::Cursor::pointingHandCursor());
    EXPECT_EQ(link->resets, 2);
    link->setHidden(true);
    mouse(EventType::MouseMoved, *window, {81, 80});
    EXPECT_EQ(platform::Cursor::currentCursor(), platform::Cursor::arrowCursor());
}

} // namespace
} // namespace kittest
