#include "widgets/QXViewPopMenu.h"

#include "platform/kit/WindowServer.h"

#include <utility>

using platform::Event;
using platform::EventType;
using platform::Point;
using platform::Rect;
using platform::RunLoop;
using platform::TimeInterval;
using platform::View;
using platform::WindowServer;

namespace {

// One fade start for every pop menu: a fade that begins restarts any other's timing.
TimeInterval& sharedFadeStart() {
    static TimeInterval start = 0;
    return start;
}

// The opening click's own mouse-up comes this soon and must not reach the target.
constexpr TimeInterval kIgnoreUpAfterOpening = 0.25;
// How long one wait for the next event lasts; the loop waits again until the menu closes.
constexpr TimeInterval kEventWait = 1.0;

std::weak_ptr<View> weakView(View* view) {
    return view ? view->weak_from_this() : std::weak_ptr<View>();
}

// The event's location on the screen: window coordinates of its window, or already screen
// coordinates when it has none.
Point screenLocation(const Event& event) {
    if (platform::Window* window = event.window())
        return window->convertBaseToScreen(event.locationInWindow());
    return event.locationInWindow();
}

} // namespace

bool isMouseEventType(const Event& event) {
    switch (event.type()) {
    case EventType::LeftMouseDown:
    case EventType::LeftMouseUp:
    case EventType::RightMouseDown:
    case EventType::RightMouseUp:
    case EventType::LeftMouseDragged:
    case EventType::RightMouseDragged:
    case EventType::OtherMouseDown:
    case EventType::OtherMouseUp:
    case EventType::OtherMouseDragged:
        return true;
    default:
        return false;
    }
}

QXViewPopMenu::QXViewPopMenu(const Rect& contentRect, platform::WindowStyleMask style,
                             platform::BackingStoreType backing, bool defer)
    : Window(contentRect, style, backing, defer) {}

void QXViewPopMenu::initialize() {
    Window::initialize();
    setLevel(platform::PopUpMenuWindowLevel);
    setHasShadow(true);
    setAlphaValue(0.95);
    setReleasedWhenClosed(true);
    setFrame(Rect(0, 0, 100, 28), false);
}

std::shared_ptr<QXViewPopMenu> QXViewPopMenu::windowMenu() {
    auto menu = platform::make<QXViewPopMenu>(platform::ZeroRect, platform::BorderlessWindowMask,
                                              platform::BackingStoreType::Buffered, true);
    menu->setReleasedWhenClosed(false);
    return menu;
}

std::shared_ptr<QXViewPopMenu> QXViewPopMenu::windowMenuWithHolderView(std::shared_ptr<View> holder,
                                                                       View* target, View* parent) {
    auto menu = windowMenu();
    menu->setHolderView(std::move(holder), true);
    menu->setTargetView(target);
    menu->setParentView(parent);
    return menu;
}

void QXViewPopMenu::popUpWindowMenu(std::shared_ptr<QXViewPopMenu> menu, const Event& event,
                                    View* view) {
    const Point at = event.locationInWindow();
    popUpWindowMenu(std::move(menu), Point{at.x - 10, at.y - 5}, event, view);
}

void QXViewPopMenu::popUpWindowMenu(std::shared_ptr<QXViewPopMenu> menu, Point point,
                                    const Event& event, View* view) {
    if (!menu)
        menu = windowMenu();
    platform::Window* window = view ? view->window() : nullptr;
    menu->setFrameTopLeftPoint(window ? window->convertBaseToScreen(point) : point);
    menu->makeKeyAndOrderFront(nullptr);
    menu->trackWithEvent(event);
    menu->fadeWithTimeInterval(0.15);
}

void QXViewPopMenu::setHolderView(std::shared_ptr<View> view, bool sizeToFit) {
    _holder = view;
    if (!view)
        return;
    if (View* content = contentView())
        content->addSubview(view);
    if (sizeToFit) {
        setFrame(view->frame(), true);
        view->setFrameOrigin(platform::ZeroPoint);
    }
    view->setNeedsDisplay(true);
}

void QXViewPopMenu::setTargetView(View* view) {
    _target = weakView(view);
}

void QXViewPopMenu::setParentView(View* view) {
    _parentView = weakView(view);
}

Event QXViewPopMenu::transmogrify(const Event& event) const {
    if (event.windowNumber() == windowNumber() || !isMouseEventType(event))
        return event;
    const Point local = convertScreenToBase(screenLocation(event));
    return Event::mouseEventWithType(event.type(), local, event.modifierFlags(), event.timestamp(),
                                     windowNumber(), event.eventNumber(), event.clickCount(),
                                     event.pressure());
}

bool QXViewPopMenu::exitEndsTracking(Point screenPoint) const {
    const View* holder = holderView();
    const Rect holderFrame = holder ? holder->frame() : Rect();
    const Rect allowed(frame().origin, {holderFrame.width(), holderFrame.height() + 20});
    return !allowed.containsPoint(screenPoint);
}

void QXViewPopMenu::trackWithEvent(const Event& openingEvent) {
    auto keep = sharedWindow();
    WindowServer& server = WindowServer::shared();
    RunLoop& loop = RunLoop::main();
    const TimeInterval opened = openingEvent.timestamp();
    std::optional<Event> pending = openingEvent;
    std::optional<Event> last;
    // The kit tells views of exits only while it dispatches events, and this loop takes them
    // off the queue itself, so it notices the pointer leaving the window from the moves.
    bool pointerInside = true;
    bool tracking = true;

    const auto handleExit = [&](Point screenPoint) {
        if (pending) {
            pending.reset();
            return;
        }
        if (exitEndsTracking(screenPoint))
            tracking = false;
    };

    while (tracking) {
        std::optional<Event> next =
            server.nextEventMatchingMask(platform::AnyEventMask, loop.now() + kEventWait,
                                         platform::EventTrackingRunLoopMode, true);
        if (!next) {
            // Under a manual clock nothing more can arrive while the loop waits.
            if (loop.manualClock())
                break;
            continue;
        }
        last = next;
        const Event event = transmogrify(*next);
        const int type = static_cast<int>(event.type());
        if (type < 1 || type > 25)
            continue;
        View* target = targetView();
        switch (event.type()) {
        case EventType::LeftMouseDown:
        case EventType::RightMouseDown: {
            const View* holder = holderView();
            if (holder && holder->frame().containsPoint(event.locationInWindow())) {
                if (target)
                    target->mouseDown(event);
            } else {
                tracking = false;
            }
            break;
        }
        case EventType::LeftMouseUp:
        case EventType::RightMouseUp:
            if (event.timestamp() - opened >= kIgnoreUpAfterOpening && target)
                target->mouseUp(event);
            break;
        case EventType::LeftMouseDragged:
        case EventType::RightMouseDragged:
            if (pending && target)
                target->mouseDown(transmogrify(*pending));
            pending.reset();
            if (target)
                target->mouseDragged(event);
            break;
        case EventType::MouseMoved: {
            const Point screenPoint = screenLocation(event);
            const bool inside = frame().containsPoint(screenPoint);
            if (pointerInside && !inside)
                handleExit(screenPoint);
            pointerInside = inside;
            break;
        }
        case EventType::MouseExited:
            pointerInside = false;
            handleExit(screenLocation(event));
            break;
        case EventType::KeyDown:
            if (View* parent = parentView())
                parent->keyDown(event);
            break;
        case EventType::KeyUp:
            if (View* parent = parentView())
                parent->keyUp(event);
            break;
        case EventType::FlagsChanged:
            if (target)
                target->flagsChanged(event);
            break;
        case EventType::AppKitDefined:
            if (event.subtype() == platform::ApplicationDeactivatedEventType)
                tracking = false;
            break;
        case EventType::ScrollWheel:
            if (target)
                target->scrollWheel(event);
            break;
        case EventType::OtherMouseDown:
            tracking = false;
            break;
        default:
            break;
        }
    }
    if (last)
        server.discardEventsMatchingMask(platform::AnyEventMask, last->timestamp());
}

void QXViewPopMenu::fadeWithTimeInterval(TimeInterval seconds) {
    if (!isVisible())
        return;
    // The timer keeps the menu alive until the fade is over.
    auto keep = std::static_pointer_cast<QXViewPopMenu>(sharedWindow());
    if (!keep)
        return;
    sharedFadeStart() = RunLoop::main().now();
    platform::Timer::scheduledTimerWithTimeInterval(
        1.0 / 30.0, true,
        [keep, seconds](platform::Timer& timer) { keep->timerFadeCallback(timer, seconds); });
}

void QXViewPopMenu::timerFadeCallback(platform::Timer& timer, TimeInterval seconds) {
    const TimeInterval elapsed = RunLoop::main().now() - sharedFadeStart();
    setAlphaValue(1.0 - elapsed / seconds);
    if (elapsed > seconds) {
        timer.invalidate();
        orderOut(nullptr);
    }
}
