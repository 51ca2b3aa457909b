#include "platform/kit/Window.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Cursor.h"
#include "platform/kit/Screen.h"
#include "platform/kit/ScreenBackend.h"
#include "platform/kit/Toolbar.h"
#include "platform/kit/WindowServer.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <functional>
#include <map>
#include <set>

namespace platform {

namespace {

int nextWindowNumber = 1;

Window::FieldEditorFactory& fieldEditorFactory() {
    static Window::FieldEditorFactory factory;
    return factory;
}

void post(std::string_view name, Window* window) {
    NotificationCenter::defaultCenter().postNotificationName(name, window);
}

template <class F> void forEachView(View* view, F f) {
    if (!view)
        return;
    f(*view);
    auto subviews = view->subviews();
    for (const auto& sub : subviews)
        forEachView(sub.get(), f);
}

Rect interpolate(const Rect& a, const Rect& b, double t) {
    const auto mix = [t](double x, double y) { return x + (y - x) * t; };
    return {mix(a.minX(), b.minX()), mix(a.minY(), b.minY()), mix(a.width(), b.width()),
            mix(a.height(), b.height())};
}

bool isActive(const TrackingArea& area, const Window& window) {
    const TrackingAreaOptions o = area.options();
    if (o & (TrackingActiveAlways | TrackingActiveInActiveApp))
        return true;
    if (o & TrackingActiveInKeyWindow)
        return window.isKeyWindow();
    if (o & TrackingActiveWhenFirstResponder)
        return window.isKeyWindow() && window.firstResponder() == area.view();
    return false;
}

} // namespace

struct Window::Impl {
    std::unique_ptr<GraphicsContext> store;
    Rect dirty;
    std::weak_ptr<View> mouseDownView[3];
    std::weak_ptr<View> initialFirstResponder;
    std::shared_ptr<View> fieldEditor;
    std::map<Window*, WindowOrderingMode> childPlaces;
    std::set<Window*> hiddenWithParent;
    bool trackingDirty = true;
    bool cursorRectsDirty = true;
    bool animating = false;
    Rect userFrame;
};

Window::Window(const Rect& contentRect, WindowStyleMask style, BackingStoreType /*backing*/,
               bool /*defer*/, Screen* /*screen*/)
    : impl_(std::make_unique<Impl>()), windowNumber_(nextWindowNumber++), styleMask_(style),
      frame_(contentRect) {
    firstResponder_ = this;
    rootView_ = std::make_shared<View>(Rect({}, frame_.size));
    rootView_->setAutoresizingMask(ViewWidthSizable | ViewHeightSizable);
    rootView_->setNextResponder(this);
    rootView_->setWindow(this);
    WindowServer::shared().registerWindow(this);
    if (ScreenBackend* backend = screenBackend())
        backend->windowCreated(*this);
}

Window::~Window() {
    if (ScreenBackend* backend = screenBackend())
        backend->windowDestroyed(*this);
    WindowServer::shared().unregisterWindow(this);
    if (parentWindow_)
        parentWindow_->removeChildWindow(this);
    for (Window* child : std::vector<Window*>(childWindows_))
        removeChildWindow(child);
    if (rootView_) {
        rootView_->setWindow(nullptr);
        if (rootView_->nextResponder() == this)
            rootView_->setNextResponder(nullptr);
    }
}

Window* Window::windowWithNumber(int windowNumber) {
    return WindowServer::shared().windowWithNumber(windowNumber);
}

std::shared_ptr<Window> Window::sharedWindow() {
    return weak_from_this().lock();
}

void Window::setStyleMask(WindowStyleMask style) {
    styleMask_ = style;
    if (ScreenBackend* backend = screenBackend())
        backend->windowPropertiesChanged(*this);
}

void Window::setTitle(std::string title) {
    title_ = std::move(title);
    if (ScreenBackend* backend = screenBackend())
        backend->windowPropertiesChanged(*this);
}

void Window::setFrame(const Rect& proposed, bool display, bool animate) {
    const Rect frame = isVisible() && (styleMask_ & TitledWindowMask)
                           ? constrainFrameRect(proposed, nullptr)
                           : proposed;
    if (animate && isVisible()) {
        const TimeInterval duration = animationResizeTime(frame);
        if (duration > 0 && !impl_->animating) {
            runFrameAnimation(frame, display, duration);
            return;
        }
    }
    applyFrame(frame, display, false);
}

// The original's default pace: 0.2 s for every 150 points the size changes by.
TimeInterval Window::animationResizeTime(const Rect& newFrame) const {
    return (std::abs(newFrame.width() - frame_.width()) +
            std::abs(newFrame.height() - frame_.height())) /
           150.0 * 0.2;
}

bool Window::isAnimatingFrame() const {
    return impl_->animating;
}

// Like the original, an animated frame change blocks: it runs the main loop in the
// event-tracking mode until the frame arrives, so a manual clock moves by the duration.
void Window::runFrameAnimation(const Rect& frame, bool display, TimeInterval duration) {
    auto keep = sharedWindow();
    RunLoop& loop = RunLoop::main();
    const Rect start = frame_;
    const TimeInterval began = loop.now();
    const TimeInterval end = began + duration;
    bool done = false;
    impl_->animating = true;
    std::shared_ptr<Timer> timer;
    // Steps come every 1/60 s, and the last one exactly when the duration is over.
    std::function<void()> schedule = [&] {
        const TimeInterval next = std::min(loop.now() + 1.0 / 60.0, end);
        timer = Timer::timerWithTimeInterval(next - loop.now(), false, [&](Timer&) {
            const double t = loop.now() >= end - 1e-9
                                 ? 1.0
                                 : std::clamp((loop.now() - began) / duration, 0.0, 1.0);
            applyFrame(t >= 1.0 ? frame : interpolate(start, frame, t), display, false);
            if (t >= 1.0)
                done = true;
            else
                schedule();
        });
        loop.addTimer(timer, {EventTrackingRunLoopMode, DefaultRunLoopMode, ModalPanelRunLoopMode});
    };
    schedule();
    loop.runUntil([&done] { return done; }, duration + 1.0, EventTrackingRunLoopMode);
    if (timer)
        timer->invalidate();
    impl_->animating = false;
    if (!done)
        applyFrame(frame, display, false);
}

void Window::applyFrame(const Rect& frame, bool display, bool fromScreen) {
    const Rect old = frame_;
    if (old == frame)
        return;
    frame_ = frame;
    const bool moved = old.origin != frame.origin;
    const bool resized = old.size != frame.size;
    if (moved) {
        const double dx = frame.minX() - old.minX();
        const double dy = frame.minY() - old.minY();
        for (Window* child : std::vector<Window*>(childWindows_))
            child->applyFrame(child->frame().offsetBy(dx, dy), false, false);
    }
    if (resized) {
        if (rootView_)
            rootView_->setFrame(Rect({}, frame.size));
        invalidateBaseRect(Rect({}, frame.size));
        invalidateTrackingAreas();
    }
    if (!fromScreen)
        if (ScreenBackend* backend = screenBackend())
            backend->windowFrameChanged(*this);
    if (moved) {
        if (delegate_)
            delegate_->windowDidMove(*this);
        post(WindowDidMoveNotification, this);
    }
    if (resized) {
        if (delegate_)
            delegate_->windowDidResize(*this);
        post(WindowDidResizeNotification, this);
    }
    if (display)
        displayIfNeeded();
}

void Window::setFrameOrigin(Point origin) {
    setFrame(Rect(origin, frame_.size), true);
}

void Window::setFrameTopLeftPoint(Point point) {
    setFrameOrigin({point.x, point.y - frame_.height()});
}

// Cascaded windows step 20 points right and down from the previous window's top left.
Point Window::cascadeTopLeftFromPoint(Point point) {
    if (point != ZeroPoint)
        setFrameTopLeftPoint(point);
    return {frame_.minX() + 20, frame_.maxY() - 20};
}

void Window::center() {
    Screen* s = screen();
    if (!s)
        return;
    const Rect visible = s->visibleFrame();
    const double x = std::floor(visible.midX() - frame_.width() / 2);
    const double y = std::floor(visible.minY() + (visible.height() - frame_.height()) * 2 / 3);
    setFrameOrigin({x, y});
}

Rect Window::constrainFrameRect(const Rect& frameRect, const Screen* screen) const {
    if (!screen)
        screen = screenForRect(frameRect);
    return screen ? fitRectInVisibleFrame(frameRect, screen->visibleFrame()) : frameRect;
}

Rect Window::frameRectForContentRect(const Rect& contentRect) const {
    return contentRect;
}

Rect Window::contentRectForFrameRect(const Rect& frameRect) const {
    return frameRect;
}

void Window::setContentSize(Size size) {
    const Rect content = contentRectForFrameRect(frame_);
    Rect frame = frameRectForContentRect(Rect(content.origin, size));
    frame.origin.y = frame_.maxY() - frame.height();
    frame.origin.x = frame_.minX();
    setFrame(frame, true);
}

Size Window::contentMinSize() const {
    return contentRectForFrameRect(Rect({}, minSize_)).size;
}

void Window::setContentMinSize(Size size) {
    minSize_ = frameRectForContentRect(Rect({}, size)).size;
}

Size Window::contentMaxSize() const {
    return contentRectForFrameRect(Rect({}, maxSize_)).size;
}

void Window::setContentMaxSize(Size size) {
    maxSize_ = frameRectForContentRect(Rect({}, size)).size;
}

void Window::setContentView(std::shared_ptr<View> view) {
    if (view == rootView_)
        return;
    if (!view)
        view = std::make_shared<View>();
    if (rootView_) {
        rootView_->setWindow(nullptr);
        if (rootView_->nextResponder() == this)
            rootView_->setNextResponder(nullptr);
    }
    if (view->superview())
        view->removeFromSuperview();
    rootView_ = std::move(view);
    rootView_->setFrame(Rect({}, contentRectForFrameRect(frame_).size));
    rootView_->setNextResponder(this);
    rootView_->setWindow(this);
    invalidateTrackingAreas();
    invalidateBaseRect(Rect({}, frame_.size));
}

void Window::setLevel(WindowLevel level) {
    if (level_ == level)
        return;
    level_ = level;
    WindowServer::shared().normalizeOrder();
    if (ScreenBackend* backend = screenBackend())
        backend->windowPropertiesChanged(*this);
}

void Window::setAlphaValue(double alpha) {
    if (alphaValue_ == alpha)
        return;
    alphaValue_ = alpha;
    if (ScreenBackend* backend = screenBackend())
        backend->windowPropertiesChanged(*this);
}

void Window::setHasShadow(bool flag) {
    hasShadow_ = flag;
    if (ScreenBackend* backend = screenBackend())
        backend->windowPropertiesChanged(*this);
}

void Window::setOpaque(bool flag) {
    opaque_ = flag;
    if (ScreenBackend* backend = screenBackend())
        backend->windowPropertiesChanged(*this);
}

void Window::setBackgroundColor(const Color& color) {
    backgroundColor_ = color;
    invalidateBaseRect(Rect({}, frame_.size));
}

void Window::orderFront(Object* /*sender*/) {
    orderIn(WindowOrderingMode::Above, nullptr);
}

void Window::orderBack(Object* /*sender*/) {
    orderIn(WindowOrderingMode::Below, nullptr);
}

void Window::orderFrontRegardless() {
    orderIn(WindowOrderingMode::Above, nullptr);
}

void Window::orderWindow(WindowOrderingMode place, int otherWindowNumber) {
    if (place == WindowOrderingMode::Out)
        orderOut(nullptr);
    else
        orderIn(place, otherWindowNumber ? windowWithNumber(otherWindowNumber) : nullptr);
}

void Window::orderIn(WindowOrderingMode place, Window* relativeTo) {
    miniaturized_ = false;
    if (parentWindow_)
        parentWindow_->impl_->hiddenWithParent.erase(this);
    const bool wasVisible = visible_;
    if (!wasVisible && (styleMask_ & TitledWindowMask))
        applyFrame(constrainFrameRect(frame_, nullptr), false, false);
    visible_ = true;
    WindowServer::shared().orderWindow(this, static_cast<int>(place), relativeTo);
    if (!wasVisible) {
        invalidateTrackingAreas();
        displayIfNeeded();
    }
    if (ScreenBackend* backend = screenBackend())
        backend->windowOrderedIn(*this);
    // Children hidden with this window come back with it.
    for (Window* child : std::vector<Window*>(childWindows_))
        if (impl_->hiddenWithParent.erase(child))
            child->orderIn(WindowOrderingMode::Above, this);
}

void Window::orderOut(Object* /*sender*/) {
    if (parentWindow_)
        parentWindow_->impl_->hiddenWithParent.erase(this);
    for (Window* child : std::vector<Window*>(childWindows_)) {
        if (child->visible_) {
            child->orderOut(nullptr);
            impl_->hiddenWithParent.insert(child);
        }
    }
    if (!visible_)
        return;
    visible_ = false;
    WindowServer::shared().orderWindow(this, static_cast<int>(WindowOrderingMode::Out), nullptr);
    if (ScreenBackend* backend = screenBackend())
        backend->windowOrderedOut(*this);
    WindowServer::shared().chooseNewKeyAndMainWindow(this);
}

void Window::makeKeyAndOrderFront(Object* sender) {
    orderFront(sender);
    makeKeyWindow();
    if (canBecomeMainWindow())
        makeMainWindow();
}

void Window::performClose(Object* /*sender*/) {
    if (delegate_ && !delegate_->windowShouldClose(*this))
        return;
    close();
}

void Window::close() {
    auto keep = sharedWindow();
    if (delegate_)
        delegate_->windowWillClose(*this);
    post(WindowWillCloseNotification, this);
    orderOut(nullptr);
    for (Window* child : std::vector<Window*>(childWindows_))
        removeChildWindow(child);
    if (parentWindow_)
        parentWindow_->removeChildWindow(this);
    WindowServer::shared().chooseNewKeyAndMainWindow(this);
}

void Window::miniaturize(Object* /*sender*/) {
    if (miniaturized_)
        return;
    if (delegate_)
        delegate_->windowWillMiniaturize(*this);
    post(WindowWillMiniaturizeNotification, this);
    orderOut(nullptr);
    miniaturized_ = true;
    if (delegate_)
        delegate_->windowDidMiniaturize(*this);
    post(WindowDidMiniaturizeNotification, this);
}

void Window::deminiaturize(Object* /*sender*/) {
    if (!miniaturized_)
        return;
    orderIn(WindowOrderingMode::Above, nullptr);
    if (delegate_)
        delegate_->windowDidDeminiaturize(*this);
    post(WindowDidDeminiaturizeNotification, this);
}

// Zooming toggles between the screen's visible frame and the frame the user had before.
void Window::zoom(Object* /*sender*/) {
    Screen* s = screen();
    if (!s)
        return;
    if (zoomed_) {
        zoomed_ = false;
        setFrame(impl_->userFrame, true, true);
    } else {
        impl_->userFrame = frame_;
        zoomed_ = true;
        setFrame(s->visibleFrame(), true, true);
    }
}

bool Window::isKeyWindow() const {
    return WindowServer::shared().keyWindow() == this;
}

bool Window::isMainWindow() const {
    return WindowServer::shared().mainWindow() == this;
}

bool Window::canBecomeKeyWindow() const {
    return (styleMask_ & (TitledWindowMask | ResizableWindowMask)) != 0;
}

bool Window::canBecomeMainWindow() const {
    return (styleMask_ & (TitledWindowMask | ResizableWindowMask)) != 0;
}

void Window::makeKeyWindow() {
    if (canBecomeKeyWindow())
        WindowServer::shared().setKeyWindow(this);
}

void Window::makeMainWindow() {
    if (canBecomeMainWindow())
        WindowServer::shared().setMainWindow(this);
}

void Window::becomeKeyWindow() {
    if (firstResponder_ == this)
        if (View* initial = initialFirstResponder())
            makeFirstResponder(initial);
    invalidateTrackingAreas();
    if (delegate_)
        delegate_->windowDidBecomeKey(*this);
    post(WindowDidBecomeKeyNotification, this);
}

void Window::resignKeyWindow() {
    invalidateTrackingAreas();
    if (delegate_)
        delegate_->windowDidResignKey(*this);
    post(WindowDidResignKeyNotification, this);
}

void Window::becomeMainWindow() {
    if (delegate_)
        delegate_->windowDidBecomeMain(*this);
    post(WindowDidBecomeMainNotification, this);
}

void Window::resignMainWindow() {
    if (delegate_)
        delegate_->windowDidResignMain(*this);
    post(WindowDidResignMainNotification, this);
}

bool Window::makeFirstResponder(Responder* responder) {
    if (!responder)
        responder = this;
    if (responder == firstResponder_)
        return true;
    if (firstResponder_ && firstResponder_ != this && !firstResponder_->resignFirstResponder())
        return false;
    // The window holds the post while the new responder decides, as the original did.
    firstResponder_ = this;
    invalidateTrackingAreas();
    if (responder != this && !responder->becomeFirstResponder())
        return false;
    // A text field hands the post on to its field editor from inside becomeFirstResponder;
    // that nested choice stands.
    if (firstResponder_ == this)
        firstResponder_ = responder;
    return true;
}

View* Window::initialFirstResponder() const {
    return impl_->initialFirstResponder.lock().get();
}

void Window::setInitialFirstResponder(View* view) {
    impl_->initialFirstResponder = view ? view->weak_from_this() : std::weak_ptr<View>();
}

View* Window::fieldEditor(bool createFlag, Object* client) {
    if (delegate_)
        if (View* editor = delegate_->windowWillReturnFieldEditor(*this, client))
            return editor;
    if (!impl_->fieldEditor && createFlag && fieldEditorFactory())
        impl_->fieldEditor = fieldEditorFactory()();
    return impl_->fieldEditor.get();
}

void Window::setFieldEditorFactory(FieldEditorFactory factory) {
    fieldEditorFactory() = std::move(factory);
}

void Window::endEditingFor(Object* object) {
    View* editor = fieldEditor(false, object);
    if (!editor || firstResponder_ != editor)
        return;
    if (!makeFirstResponder(this))
        firstResponder_ = this;
}

void Window::selectNextKeyView(Object* /*sender*/) {
    if (auto* view = dynamic_cast<View*>(firstResponder_)) {
        selectKeyViewFollowingView(view);
        return;
    }
    View* initial = initialFirstResponder();
    if (initial && initial->canBecomeKeyView())
        makeFirstResponder(initial);
    else if (initial)
        selectKeyViewFollowingView(initial);
}

void Window::selectPreviousKeyView(Object* /*sender*/) {
    if (auto* view = dynamic_cast<View*>(firstResponder_)) {
        selectKeyViewPrecedingView(view);
        return;
    }
    if (View* initial = initialFirstResponder())
        selectKeyViewPrecedingView(initial);
}

void Window::selectKeyViewFollowingView(View* view) {
    if (View* next = view ? view->nextValidKeyView() : nullptr)
        makeFirstResponder(next);
}

void Window::selectKeyViewPrecedingView(View* view) {
    if (View* previous = view ? view->previousValidKeyView() : nullptr)
        makeFirstResponder(previous);
}

void Window::recalculateKeyViewLoop() {
    std::vector<View*> views;
    forEachView(rootView_.get(), [&](View& v) {
        if (v.acceptsFirstResponder())
            views.push_back(&v);
    });
    if (views.empty())
        return;
    std::vector<std::pair<Rect, View*>> placed;
    for (View* v : views)
        placed.emplace_back(v->convertRectToView(v->bounds(), nullptr), v);
    std::stable_sort(placed.begin(), placed.end(), [](const auto& a, const auto& b) {
        if (a.first.maxY() != b.first.maxY())
            return a.first.maxY() > b.first.maxY();
        return a.first.minX() < b.first.minX();
    });
    for (std::size_t i = 0; i < placed.size(); ++i)
        placed[i].second->setNextKeyView(placed[(i + 1) % placed.size()].second);
    if (!initialFirstResponder())
        setInitialFirstResponder(placed.front().second);
}

void Window::sendEvent(const Event& event) {
    auto keep = sharedWindow();
    switch (event.type()) {
    case EventType::KeyDown:
        (firstResponder_ ? firstResponder_ : this)->keyDown(event);
        break;
    case EventType::KeyUp:
        (firstResponder_ ? firstResponder_ : this)->keyUp(event);
        break;
    case EventType::FlagsChanged:
        (firstResponder_ ? firstResponder_ : this)->flagsChanged(event);
        break;
    default:
        if (event.isMouseEvent())
            dispatchMouse(event);
        break;
    }
}

bool Window::performKeyEquivalent(const Event& event) {
    auto root = rootView_;
    return root && root->performKeyEquivalent(event);
}

void Window::dispatchMouse(const Event& event) {
    const Point location = event.locationInWindow();
    auto root = rootView_;
    const auto hitView = [&]() -> std::shared_ptr<View> {
        View* hit = root ? root->hitTest(location) : nullptr;
        return hit ? hit->sharedView() : nullptr;
    };
    const auto slot = [](EventType type) {
        switch (type) {
        case EventType::RightMouseDown:
        case EventType::RightMouseUp:
        case EventType::RightMouseDragged:
            return 1;
        case EventType::OtherMouseDown:
        case EventType::OtherMouseUp:
        case EventType::OtherMouseDragged:
            return 2;
        default:
            return 0;
        }
    };

    switch (event.type()) {
    case EventType::LeftMouseDown:
    case EventType::RightMouseDown:
    case EventType::OtherMouseDown: {
        updateTrackingAreasFor(event);
        if (event.type() == EventType::LeftMouseDown && !isKeyWindow() && canBecomeKeyWindow()) {
            orderFront(nullptr);
            makeKeyWindow();
            if (canBecomeMainWindow())
                makeMainWindow();
        }
        auto view = hitView();
        impl_->mouseDownView[slot(event.type())] = view;
        if (!view) {
            if (event.type() == EventType::LeftMouseDown)
                mouseDown(event);
            else if (event.type() == EventType::RightMouseDown)
                rightMouseDown(event);
            else
                otherMouseDown(event);
            return;
        }
        if (event.type() == EventType::LeftMouseDown) {
            if (view->acceptsFirstResponder() && firstResponder_ != view.get())
                makeFirstResponder(view.get());
            view->mouseDown(event);
        } else if (event.type() == EventType::RightMouseDown) {
            view->rightMouseDown(event);
        } else {
            view->otherMouseDown(event);
        }
        return;
    }
    case EventType::LeftMouseDragged:
    case EventType::RightMouseDragged:
    case EventType::OtherMouseDragged:
    case EventType::LeftMouseUp:
    case EventType::RightMouseUp:
    case EventType::OtherMouseUp: {
        const int s = slot(event.type());
        std::shared_ptr<View> view = impl_->mouseDownView[s].lock();
        Responder* target = view ? static_cast<Responder*>(view.get()) : this;
        if (event.isMouseUp())
            impl_->mouseDownView[s].reset();
        updateTrackingAreasFor(event);
        switch (event.type()) {
        case EventType::LeftMouseDragged:
            target->mouseDragged(event);
            break;
        case EventType::RightMouseDragged:
            target->rightMouseDragged(event);
            break;
        case EventType::OtherMouseDragged:
            target->otherMouseDragged(event);
            break;
        case EventType::LeftMouseUp:
            target->mouseUp(event);
            break;
        case EventType::RightMouseUp:
            target->rightMouseUp(event);
            break;
        default:
            target->otherMouseUp(event);
            break;
        }
        return;
    }
    case EventType::MouseMoved:
        updateTrackingAreasFor(event);
        updateCursorFor(location);
        if (acceptsMouseMovedEvents_)
            (firstResponder_ ? firstResponder_ : this)->mouseMoved(event);
        return;
    case EventType::ScrollWheel: {
        auto view = hitView();
        if (view)
            view->scrollWheel(event);
        else
            scrollWheel(event);
        return;
    }
    case EventType::MouseEntered:
    case EventType::MouseExited:
        if (TrackingArea* area = event.trackingArea()) {
            if (Responder* owner = area->owner()) {
                if (event.type() == EventType::MouseEntered)
                    owner->mouseEntered(event);
                else
                    owner->mouseExited(event);
            }
        } else if (event.type() == EventType::MouseExited) {
            mouseExitedWindow(event);
        } else {
            updateTrackingAreasFor(event);
        }
        return;
    default:
        return;
    }
}

// Each mouse event compares the pointer with every live tracking area: areas it left hear
// mouseExited first, then areas it entered hear mouseEntered, then areas that ask for moves
// hear mouseMoved. While a button is held, only areas enabled during drags are followed.
void Window::updateTrackingAreasFor(const Event& event) {
    if (impl_->trackingDirty) {
        impl_->trackingDirty = false;
        forEachView(rootView_.get(), [](View& v) { v.updateTrackingAreas(); });
    }
    const bool dragging = event.isMouseDragged();
    const bool moving = event.type() == EventType::MouseMoved || dragging;
    const Point location = event.locationInWindow();
    std::vector<std::shared_ptr<TrackingArea>> exits, enters, moves;
    forEachView(rootView_.get(), [&](View& v) {
        for (const auto& area : v.trackingAreas()) {
            if (dragging && !(area->options() & TrackingEnabledDuringMouseDrag))
                continue;
            bool inside = false;
            if (visible_ && isActive(*area, *this) && !v.isHiddenOrHasHiddenAncestor()) {
                const Point p = v.convertPointFromView(location, nullptr);
                const Rect r = area->effectiveRect().intersection(v.visibleRect());
                inside = v.mouseInRect(p, r);
            }
            if (inside != area->inside_) {
                area->inside_ = inside;
                if (area->options() & (TrackingMouseEnteredAndExited | TrackingCursorUpdate))
                    (inside ? enters : exits).push_back(area);
            }
            if (inside && moving && (area->options() & TrackingMouseMoved))
                moves.push_back(area);
        }
    });
    for (const auto& area : exits)
        if (Responder* owner = area->owner();
            owner && (area->options() & TrackingMouseEnteredAndExited))
            owner->mouseExited(event.withTrackingArea(EventType::MouseExited, area));
    for (const auto& area : enters) {
        if (Responder* owner = area->owner();
            owner && (area->options() & TrackingMouseEnteredAndExited))
            owner->mouseEntered(event.withTrackingArea(EventType::MouseEntered, area));
        if (area->options() & TrackingCursorUpdate)
            if (Responder* owner = area->owner())
                owner->cursorUpdate(event.withTrackingArea(EventType::CursorUpdate, area));
    }
    for (const auto& area : moves)
        if (Responder* owner = area->owner())
            owner->mouseMoved(event.withTrackingArea(EventType::MouseMoved, area));
}

void Window::mouseExitedWindow(const Event& event) {
    std::vector<std::shared_ptr<TrackingArea>> exits;
    forEachView(rootView_.get(), [&](View& v) {
        for (const auto& area : v.trackingAreas()) {
            if (!area->inside_)
                continue;
            area->inside_ = false;
            if (area->options() & TrackingMouseEnteredAndExited)
                exits.push_back(area);
        }
    });
    for (const auto& area : exits)
        if (Responder* owner = area->owner())
            owner->mouseExited(event.withTrackingArea(EventType::MouseExited, area));
}

void Window::keyDown(const Event& event) {
    const bool commandOrControl = event.modifierFlags() & (CommandKeyMask | ControlKeyMask);
    const char32_t c = firstCodePoint(event.charactersIgnoringModifiers());
    if (!commandOrControl && (c == TabCharacter || c == BackTabCharacter)) {
        if (c == BackTabCharacter || (event.modifierFlags() & ShiftKeyMask))
            selectPreviousKeyView(this);
        else
            selectNextKeyView(this);
        return;
    }
    // Keys nobody in the window took: Escape asks the delegate to cancel, Command-W (Ctrl+W
    // on the desktop) to close. A delegate that does not answer them leaves them be.
    const bool command = event.modifierFlags() & CommandKeyMask;
    const std::string_view request = c == EscapeCharacter && !commandOrControl ? "cancelOperation:"
                                     : command && (c == U'w' || c == U'W')     ? "performClose:"
                                                                               : "";
    if (auto* target = dynamic_cast<ActionTarget*>(delegate_);
        target && !request.empty() && target->respondsToAction(request)) {
        target->tryToPerform(request, this);
        return;
    }
    Responder::keyDown(event);
}

Point Window::mouseLocationOutsideOfEventStream() const {
    return convertScreenToBase(WindowServer::shared().mouseLocation());
}

void Window::postEvent(const Event& event, bool atStart) {
    WindowServer::shared().postEvent(event, atStart);
}

Point Window::convertBaseToScreen(Point point) const {
    return {point.x + frame_.minX(), point.y + frame_.minY()};
}

Point Window::convertScreenToBase(Point point) const {
    return {point.x - frame_.minX(), point.y - frame_.minY()};
}

Rect Window::convertRectToScreen(const Rect& rect) const {
    return rect.offsetBy(frame_.minX(), frame_.minY());
}

Rect Window::convertRectFromScreen(const Rect& rect) const {
    return rect.offsetBy(-frame_.minX(), -frame_.minY());
}

void Window::invalidateTrackingAreas() {
    impl_->trackingDirty = true;
    impl_->cursorRectsDirty = true;
}

void Window::invalidateCursorRectsForView(View* /*view*/) {
    impl_->cursorRectsDirty = true;
}

void Window::resetCursorRects() {
    discardCursorRects();
    forEachView(rootView_.get(), [](View& v) { v.resetCursorRects(); });
    impl_->cursorRectsDirty = false;
}

void Window::discardCursorRects() {
    forEachView(rootView_.get(), [](View& v) { v.discardCursorRects(); });
    impl_->cursorRectsDirty = true;
}

// The cursor of the front-most cursor rectangle under the pointer, else the arrow; only views
// that are shown count, and a rectangle is cut to its view's visible part.
void Window::updateCursorFor(Point location) {
    if (!cursorRectsEnabled_)
        return;
    if (impl_->cursorRectsDirty)
        resetCursorRects();
    Cursor* cursor = nullptr;
    forEachView(rootView_.get(), [&](View& v) {
        if (v.cursorRects().empty() || v.isHiddenOrHasHiddenAncestor())
            return;
        const Point p = v.convertPointFromView(location, nullptr);
        const Rect visible = v.visibleRect();
        for (const auto& [rect, c] : v.cursorRects())
            if (v.mouseInRect(p, rect.intersection(visible)))
                cursor = c;
    });
    (cursor ? cursor : Cursor::arrowCursor())->set();
}

void Window::viewRemovedFromWindow(View* view) {
    if (auto* responder = dynamic_cast<View*>(firstResponder_);
        responder && responder->isDescendantOf(view))
        firstResponder_ = this;
    invalidateTrackingAreas();
}

void Window::invalidateBaseRect(const Rect& rect) {
    const Rect r = rect.intersection(Rect({}, frame_.size));
    if (r.isEmpty())
        return;
    const bool wasClean = impl_->dirty.isEmpty();
    impl_->dirty = wasClean ? r : impl_->dirty.unionWith(r);
    // Like the original's automatic display, dirty windows draw on the loop's next pass.
    if (wasClean && visible_) {
        const int number = windowNumber_;
        RunLoop::main().performInModes(
            [number] {
                if (Window* window = Window::windowWithNumber(number))
                    if (window->isVisible())
                        window->displayIfNeeded();
            },
            commonModes());
    }
}

void Window::display() {
    impl_->dirty = Rect({}, frame_.size);
    displayIfNeeded();
}

void Window::displayIfNeeded() {
    if (impl_->dirty.isEmpty())
        return;
    const Rect dirty = impl_->dirty;
    impl_->dirty = {};
    displayBaseRect(dirty);
    forEachView(rootView_.get(), [](View& v) { v.setNeedsDisplay(false); });
}

bool Window::viewsNeedDisplay() const {
    return !impl_->dirty.isEmpty();
}

void Window::setViewsNeedDisplay(bool flag) {
    if (flag)
        invalidateBaseRect(Rect({}, frame_.size));
    else
        impl_->dirty = {};
}

void Window::displayBaseRect(const Rect& rect) {
    const int width = static_cast<int>(std::ceil(frame_.width()));
    const int height = static_cast<int>(std::ceil(frame_.height()));
    if (width <= 0 || height <= 0)
        return;
    Rect r = rect.intersection(Rect({}, frame_.size));
    Screen* s = screen();
    const double scale = s ? s->backingScaleFactor() : 1.0;
    const int pixelsWide = static_cast<int>(std::ceil(width * scale));
    const int pixelsHigh = static_cast<int>(std::ceil(height * scale));
    if (!impl_->store || impl_->store->pixelsWide() != pixelsWide ||
        impl_->store->pixelsHigh() != pixelsHigh) {
        impl_->store = GraphicsContext::bitmapContext(pixelsWide, pixelsHigh, scale, false);
        r = Rect({}, frame_.size);
    }
    if (r.isEmpty())
        return;
    GraphicsContext& context = *impl_->store;
    {
        ContextScope scope(context);
        context.saveGraphicsState();
        context.clipToRect(r);
        context.setFillColor(backgroundColor_);
        context.fillRect(r, CompositingOperation::Copy);
        if (auto root = rootView_)
            root->drawHierarchy(r);
        context.restoreGraphicsState();
    }
    context.flush();
    if (ScreenBackend* backend = screenBackend())
        backend->windowDidDisplay(*this, r);
}

std::shared_ptr<Image> Window::snapshot() {
    WindowPixels pixels = backingPixels();
    if (!pixels.data)
        return std::make_shared<Image>();
    return impl_->store->makeImage();
}

WindowPixels Window::backingPixels() {
    if (!impl_->store)
        impl_->dirty = Rect({}, frame_.size);
    displayIfNeeded();
    if (!impl_->store)
        return {};
    cairo_surface_t* surface = cairo_get_target(impl_->store->cairo());
    cairo_surface_flush(surface);
    WindowPixels pixels;
    pixels.data = cairo_image_surface_get_data(surface);
    pixels.width = cairo_image_surface_get_width(surface);
    pixels.height = cairo_image_surface_get_height(surface);
    pixels.stride = cairo_image_surface_get_stride(surface);
    pixels.scale = impl_->store->backingScaleFactor();
    return pixels;
}

void Window::renderInto(unsigned char* data, int width, int height, int stride, double scale) {
    auto context = GraphicsContext::contextWithPixels(data, width, height, stride, scale, false);
    const Rect all({}, frame_.size);
    {
        ContextScope scope(*context);
        context->setFillColor(backgroundColor_);
        context->fillRect(all, CompositingOperation::Copy);
        if (auto root = rootView_)
            root->drawHierarchy(all);
    }
    context->flush();
}

void Window::addChildWindow(Window* child, WindowOrderingMode place) {
    if (!child || child == this)
        return;
    if (child->parentWindow_ && child->parentWindow_ != this)
        child->parentWindow_->removeChildWindow(child);
    if (std::find(childWindows_.begin(), childWindows_.end(), child) == childWindows_.end())
        childWindows_.push_back(child);
    impl_->childPlaces[child] =
        place == WindowOrderingMode::Below ? WindowOrderingMode::Below : WindowOrderingMode::Above;
    child->setParentWindow(this);
    if (visible_)
        child->orderIn(impl_->childPlaces[child], this);
    else
        WindowServer::shared().normalizeOrder();
}

void Window::removeChildWindow(Window* child) {
    auto it = std::find(childWindows_.begin(), childWindows_.end(), child);
    if (it == childWindows_.end())
        return;
    childWindows_.erase(it);
    impl_->childPlaces.erase(child);
    impl_->hiddenWithParent.erase(child);
    if (child->parentWindow_ == this)
        child->setParentWindow(nullptr);
    WindowServer::shared().normalizeOrder();
}

void Window::setParentWindow(Window* parent) {
    parentWindow_ = parent;
}

WindowOrderingMode Window::placeOfChild(Window* child) const {
    auto it = impl_->childPlaces.find(child);
    return it == impl_->childPlaces.end() ? WindowOrderingMode::Above : it->second;
}

Screen* Window::screen() const {
    return screenForRect(frame_);
}

// The toolbar puts its strip over the top of the root view while it is attached.
void Window::setToolbar(std::shared_ptr<Toolbar> toolbar) {
    if (toolbar_ == toolbar)
        return;
    if (toolbar_)
        toolbar_->attachToWindow(nullptr);
    toolbar_ = std::move(toolbar);
    if (toolbar_)
        toolbar_->attachToWindow(this);
}

void Window::toggleToolbarShown(Object* /*sender*/) {
    if (toolbar_)
        toolbar_->setVisible(!toolbar_->isVisible());
}

std::string Window::description() const {
    return Object::description() + " #" + std::to_string(windowNumber_) + " \"" + title_ +
           "\" frame " + stringFromRect(frame_);
}

} // namespace platform
