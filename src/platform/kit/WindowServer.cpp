#include "platform/kit/WindowServer.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Application.h"
#include "platform/kit/Responder.h"
#include "platform/kit/ScreenBackend.h"
#include "platform/kit/Window.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace platform {

namespace {

// A manual clock never moves by itself, so a modal session nothing can end would spin for
// ever; such a session is aborted, and so is one that outlives a day of manual time.
constexpr TimeInterval kManualModalLimit = 24 * 3600.0;

bool isUserInput(const Event& event) {
    switch (event.type()) {
    case EventType::MouseMoved:
    case EventType::MouseEntered:
    case EventType::MouseExited:
    case EventType::AppKitDefined:
    case EventType::SystemDefined:
    case EventType::ApplicationDefined:
    case EventType::Periodic:
    case EventType::CursorUpdate:
    case EventType::FlagsChanged:
        return false;
    default:
        return true;
    }
}

bool isAncestorOf(const Window* ancestor, const Window* window) {
    for (const Window* w = window; w; w = w->parentWindow() ? w->parentWindow() : w->sheetParent())
        if (w == ancestor)
            return true;
    return false;
}

} // namespace

WindowServer& WindowServer::shared() {
    // Never destroyed: windows torn down by static destruction at exit still leave it.
    static auto* server = new WindowServer();
    return *server;
}

WindowServer::WindowServer() {
    auto& center = NotificationCenter::defaultCenter();
    center.addObserver(this, ApplicationDidResignActiveNotification, nullptr,
                       [this](const Notification&) { applicationActivationChanged(false); });
    center.addObserver(this, ApplicationDidBecomeActiveNotification, nullptr,
                       [this](const Notification&) { applicationActivationChanged(true); });
    center.addObserver(this, ApplicationWillHideNotification, nullptr,
                       [this](const Notification&) { applicationHiddenChanged(true); });
    center.addObserver(this, ApplicationWillUnhideNotification, nullptr,
                       [this](const Notification&) { applicationHiddenChanged(false); });
}

// The application and its delegate end the chain unless someone installed another tail.
std::vector<ActionTarget*> WindowServer::chainTail() const {
    if (chainTail_)
        return chainTail_();
    Application& application = Application::sharedApplication();
    return {&application, dynamic_cast<ActionTarget*>(application.delegate())};
}

void WindowServer::reset() {
    modalSessions_.clear();
    sheets_.clear();
    queue_.clear();
    currentEvents_.clear();
    readers_ = 0;
    hiddenOnDeactivate_.clear();
    hiddenByHide_.clear();
}

std::vector<Window*> WindowServer::windows() const {
    std::vector<Window*> out = order_;
    for (Window* w : all_)
        if (std::find(order_.begin(), order_.end(), w) == order_.end())
            out.push_back(w);
    return out;
}

std::vector<Window*> WindowServer::orderedWindows() const {
    return order_;
}

Window* WindowServer::windowAtPoint(Point screenPoint) const {
    for (Window* w : order_)
        if (!w->ignoresMouseEvents() && mouseInRect(screenPoint, w->frame(), false))
            return w;
    return nullptr;
}

Window* WindowServer::windowWithNumber(int windowNumber) const {
    for (Window* w : all_)
        if (w->windowNumber() == windowNumber)
            return w;
    return nullptr;
}

void WindowServer::postEvent(const Event& event, bool atStart) {
    if (atStart)
        queue_.push_front(event);
    else
        queue_.push_back(event);
    scheduleDispatch();
}

// Every post schedules a pass that drains the whole queue; extra passes find it empty. A pass
// is never lost to a reset of the run loop this way.
void WindowServer::scheduleDispatch() {
    RunLoop::main().performInModes([] { WindowServer::shared().dispatchPendingEvents(); },
                                   commonModes());
}

void WindowServer::dispatchPendingEvents() {
    while (readers_ == 0 && !queue_.empty()) {
        Event event = std::move(queue_.front());
        queue_.pop_front();
        sendEvent(event);
    }
}

const Event* WindowServer::currentEvent() const {
    return currentEvents_.empty() ? nullptr : currentEvents_.back().get();
}

void WindowServer::sendEvent(const Event& event) {
    currentEvents_.push_back(std::make_unique<Event>(event));
    struct Pop {
        std::vector<std::unique_ptr<Event>>& events;
        ~Pop() {
            if (!events.empty())
                events.pop_back();
        }
    } pop{currentEvents_};

    Window* window = event.window();
    if (event.isKeyEvent() && !window)
        window = keyWindow_;
    if (event.type() == EventType::KeyDown || event.type() == EventType::KeyUp ||
        event.type() == EventType::FlagsChanged)
        window = keyWindow_ ? keyWindow_ : window;

    if (event.isMouseEvent()) {
        lastMouseLocation_ = window ? window->convertBaseToScreen(event.locationInWindow())
                                    : event.locationInWindow();
        // Leaving a window for another (or for no window) ends its tracking areas.
        const int number = window ? window->windowNumber() : 0;
        if (number != pointerWindow_ && event.type() != EventType::MouseExited) {
            if (Window* previous = windowWithNumber(pointerWindow_))
                previous->mouseExitedWindow(event.withLocation(
                    previous->convertScreenToBase(lastMouseLocation_), pointerWindow_));
            pointerWindow_ = number;
        }
    }
    if (!window || !eventAllowed(event, window))
        return;
    auto keep = window->sharedWindow();

    if (event.type() == EventType::KeyDown &&
        (event.modifierFlags() & (CommandKeyMask | ControlKeyMask))) {
        if (window->performKeyEquivalent(event))
            return;
        if (menuKeyEquivalentHandler_ && menuKeyEquivalentHandler_(event))
            return;
    }
    window->sendEvent(event);
}

bool WindowServer::eventAllowed(const Event& event, Window* window) const {
    if (!isUserInput(event))
        return true;
    if (window->attachedSheet())
        return false;
    if (Window* modal = modalWindow())
        return isAncestorOf(modal, window) || window->worksWhenModal() ||
               window->level() >= PopUpMenuWindowLevel;
    return true;
}

std::optional<Event> WindowServer::nextEventMatchingMask(EventMask mask, TimeInterval untilDate,
                                                         RunLoopMode mode, bool dequeue,
                                                         const std::function<bool()>& giveUp) {
    ++readers_;
    struct Reader {
        WindowServer& server;
        ~Reader() {
            if (--server.readers_ == 0 && !server.queue_.empty())
                server.scheduleDispatch();
        }
    } reader{*this};
    const auto find = [&] {
        return std::find_if(queue_.begin(), queue_.end(), [mask](const Event& e) {
            return (mask & eventMaskFromType(e.type())) != 0;
        });
    };
    RunLoop& loop = RunLoop::main();
    auto it = find();
    if (it == queue_.end() && untilDate > loop.now())
        loop.runUntil([&] { return find() != queue_.end() || (giveUp && giveUp()); },
                      untilDate - loop.now(), mode);
    it = find();
    if (it == queue_.end())
        return std::nullopt;
    Event event = *it;
    if (dequeue)
        queue_.erase(it);
    return event;
}

void WindowServer::discardEventsMatchingMask(EventMask mask, TimeInterval beforeTimestamp) {
    std::erase_if(queue_, [&](const Event& e) {
        return (mask & eventMaskFromType(e.type())) && e.timestamp() < beforeTimestamp;
    });
}

Point WindowServer::mouseLocation() const {
    if (ScreenBackend* backend = screenBackend())
        return backend->mouseLocation();
    return lastMouseLocation_;
}

// A size the user gave by dragging the window's edge passes the window's limits and its
// delegate, as the original's live resize did; the top edge stays where the window manager
// put it. When the answer differs, the backend is told the corrected frame.
void WindowServer::windowMovedByScreen(Window& window, const Rect& frame) {
    Rect accepted = frame;
    if (frame.size != window.frame().size) {
        Size size{std::clamp(frame.width(), window.minSize().width,
                             std::max(window.minSize().width, window.maxSize().width)),
                  std::clamp(frame.height(), window.minSize().height,
                             std::max(window.minSize().height, window.maxSize().height))};
        if (WindowDelegate* delegate = window.delegate())
            size = delegate->windowWillResize(window, size);
        accepted = Rect(frame.minX(), frame.maxY() - size.height, size.width, size.height);
    }
    window.applyFrame(accepted, true, accepted == frame);
}

void WindowServer::applicationActivationChanged(bool active) {
    if (!active) {
        for (Window* w : std::vector<Window*>(order_))
            if (w->hidesOnDeactivate()) {
                w->orderOut(nullptr);
                hiddenOnDeactivate_.push_back(w);
            }
        return;
    }
    auto windows = std::move(hiddenOnDeactivate_);
    hiddenOnDeactivate_.clear();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if (Window* w = *it; std::find(all_.begin(), all_.end(), w) != all_.end())
            w->orderFront(nullptr);
}

void WindowServer::applicationHiddenChanged(bool hidden) {
    if (hidden) {
        keyBeforeHide_ = keyWindow_ ? keyWindow_->windowNumber() : 0;
        for (Window* w : std::vector<Window*>(order_))
            if (w->canHide() && !w->parentWindow()) {
                w->orderOut(nullptr);
                hiddenByHide_.push_back(w);
            }
        return;
    }
    // Back to front, so that the order is what it was.
    auto windows = std::move(hiddenByHide_);
    hiddenByHide_.clear();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if (std::find(all_.begin(), all_.end(), *it) != all_.end())
            (*it)->orderFront(nullptr);
    if (Window* key = windowWithNumber(keyBeforeHide_); key && key->isVisible())
        key->makeKeyWindow();
    keyBeforeHide_ = 0;
}

// The chain of one window: its first responder and the responders after it, the window, and
// the window's delegate when that answers actions.
std::vector<ActionTarget*> WindowServer::responderChain(Window* window) const {
    std::vector<ActionTarget*> chain;
    if (!window)
        return chain;
    std::set<Responder*> seen;
    for (Responder* r = window->firstResponder(); r && seen.insert(r).second;
         r = r->nextResponder())
        chain.push_back(r);
    if (!seen.count(window))
        chain.push_back(window);
    if (auto* delegate = dynamic_cast<ActionTarget*>(window->delegate()))
        if (std::find(chain.begin(), chain.end(), delegate) == chain.end())
            chain.push_back(delegate);
    return chain;
}

bool WindowServer::sendAction(std::string_view action, ActionTarget* target, Object* sender) {
    if (action.empty())
        return false;
    if (target)
        return target->tryToPerform(action, sender);
    std::vector<ActionTarget*> chain = responderChain(keyWindow_);
    if (mainWindow_ != keyWindow_)
        for (ActionTarget* t : responderChain(mainWindow_))
            chain.push_back(t);
    for (ActionTarget* t : chainTail())
        if (t)
            chain.push_back(t);
    for (ActionTarget* t : chain)
        if (t->tryToPerform(action, sender))
            return true;
    return false;
}

ActionTarget* WindowServer::targetForAction(std::string_view action, ActionTarget* target,
                                            Object* /*sender*/) const {
    if (action.empty())
        return nullptr;
    if (target)
        return target->respondsToAction(action) ? target : nullptr;
    std::vector<ActionTarget*> chain = responderChain(keyWindow_);
    if (mainWindow_ != keyWindow_)
        for (ActionTarget* t : responderChain(mainWindow_))
            chain.push_back(t);
    for (ActionTarget* t : chainTail())
        if (t)
            chain.push_back(t);
    for (ActionTarget* t : chain)
        if (t->respondsToAction(action))
            return t;
    return nullptr;
}

int WindowServer::runModalForWindow(Window& window) {
    const ModalSession session = beginModalSessionForWindow(window);
    int result = RunContinuesResponse;
    while ((result = runModalSession(session)) == RunContinuesResponse) {
    }
    endModalSession(session);
    return result;
}

WindowServer::ModalSession WindowServer::beginModalSessionForWindow(Window& window) {
    const ModalSession id = nextSession_++;
    modalSessions_.push_back({id, &window, RunContinuesResponse, RunLoop::main().now()});
    window.orderFront(nullptr);
    window.makeKeyWindow();
    return id;
}

int WindowServer::runModalSession(ModalSession session) {
    auto record = [&]() -> ModalRecord* {
        for (auto& r : modalSessions_)
            if (r.id == session)
                return &r;
        return nullptr;
    };
    if (!record())
        return RunAbortedResponse;
    if (record()->result != RunContinuesResponse)
        return record()->result;
    const auto done = [&] { return !record() || record()->result != RunContinuesResponse; };

    RunLoop& loop = RunLoop::main();
    dispatchPendingEvents();
    if (ManualClock* manual = loop.manualClock()) {
        loop.runUntilIdle(ModalPanelRunLoopMode);
        if (done())
            return record() ? record()->result : RunAbortedResponse;
        if (!loop.runMode(ModalPanelRunLoopMode, manual->now()) ||
            manual->now() - record()->started > kManualModalLimit) {
            Log("Modal session aborted: nothing left in the modal run-loop mode can end it");
            record()->result = RunAbortedResponse;
            return RunAbortedResponse;
        }
        if (!done())
            loop.runUntil(done, 1.0, ModalPanelRunLoopMode);
    } else {
        loop.runUntil(done, 0.05, ModalPanelRunLoopMode);
    }
    if (!record())
        return RunAbortedResponse;
    return record()->result;
}

void WindowServer::endModalSession(ModalSession session) {
    std::erase_if(modalSessions_, [session](const ModalRecord& r) { return r.id == session; });
}

void WindowServer::stopModal() {
    stopModalWithCode(RunStoppedResponse);
}

void WindowServer::stopModalWithCode(int returnCode) {
    for (auto it = modalSessions_.rbegin(); it != modalSessions_.rend(); ++it)
        if (it->result == RunContinuesResponse) {
            it->result = returnCode;
            return;
        }
}

void WindowServer::abortModal() {
    stopModalWithCode(RunAbortedResponse);
}

Window* WindowServer::modalWindow() const {
    for (auto it = modalSessions_.rbegin(); it != modalSessions_.rend(); ++it)
        if (it->result == RunContinuesResponse && it->window)
            return it->window;
    return nullptr;
}

void WindowServer::beginSheet(Window& sheet, Window& parent, SheetCompletion completion) {
    if (&sheet == &parent || sheet.sheetParent())
        return;
    // One sheet at a time on a window; a second waits until the first ends.
    if (parent.attachedSheet()) {
        sheets_.push_back({&sheet, &parent, std::move(completion)});
        return;
    }
    sheets_.push_back({&sheet, &parent, std::move(completion)});
    parent.attachedSheet_ = &sheet;
    sheet.sheetParent_ = &parent;
    if (parent.delegate())
        parent.delegate()->windowWillBeginSheet(parent);
    // Attached to the top edge of the parent's content, centred.
    const Rect content = parent.contentRectForFrameRect(parent.frame());
    const Rect frame = sheet.frame();
    sheet.setFrame(Rect(std::floor(content.midX() - frame.width() / 2),
                        content.maxY() - frame.height(), frame.width(), frame.height()),
                   false);
    parent.addChildWindow(&sheet, WindowOrderingMode::Above);
    sheet.orderFront(nullptr);
    if (sheet.canBecomeKeyWindow())
        sheet.makeKeyWindow();
}

void WindowServer::endSheet(Window& sheet, int returnCode) {
    auto it = std::find_if(sheets_.begin(), sheets_.end(), [&](const SheetRecord& r) {
        return r.sheet == &sheet && r.parent->attachedSheet() == &sheet;
    });
    if (it == sheets_.end())
        return;
    SheetRecord record = std::move(*it);
    sheets_.erase(it);
    Window& parent = *record.parent;
    parent.attachedSheet_ = nullptr;
    sheet.sheetParent_ = nullptr;
    parent.removeChildWindow(&sheet);
    if (record.completion)
        record.completion(returnCode);
    if (std::find(all_.begin(), all_.end(), &parent) == all_.end())
        return;
    if (parent.delegate())
        parent.delegate()->windowDidEndSheet(parent);
    // An end handler may have begun the next sheet itself; then nothing waits to be begun.
    if (parent.attachedSheet())
        return;
    if (keyWindow_ == &sheet || !keyWindow_)
        parent.makeKeyWindow();
    auto waiting = std::find_if(sheets_.begin(), sheets_.end(),
                                [&](const SheetRecord& r) { return r.parent == &parent; });
    if (waiting != sheets_.end()) {
        SheetRecord next = std::move(*waiting);
        sheets_.erase(waiting);
        beginSheet(*next.sheet, parent, std::move(next.completion));
    }
}

void WindowServer::registerWindow(Window* window) {
    all_.push_back(window);
}

void WindowServer::unregisterWindow(Window* window) {
    // Dropped sheet records may hold the last reference to a sheet's owner, whose windows then
    // unregister too; they are destroyed here last, once the lists are consistent again.
    std::vector<SheetRecord> dropped;
    std::erase(all_, window);
    std::erase(order_, window);
    std::erase(hiddenOnDeactivate_, window);
    std::erase(hiddenByHide_, window);
    for (auto& r : modalSessions_)
        if (r.window == window) {
            r.window = nullptr;
            if (r.result == RunContinuesResponse)
                r.result = RunAbortedResponse;
        }
    // A sheet or parent that goes away ends the attachment without its completion.
    for (auto& r : sheets_) {
        if (r.sheet == window || r.parent == window) {
            if (r.parent->attachedSheet_ == r.sheet)
                r.parent->attachedSheet_ = nullptr;
            r.sheet->sheetParent_ = nullptr;
        }
    }
    for (auto it = sheets_.begin(); it != sheets_.end();) {
        if (it->sheet == window || it->parent == window) {
            dropped.push_back(std::move(*it));
            it = sheets_.erase(it);
        } else {
            ++it;
        }
    }
    if (keyWindow_ == window)
        keyWindow_ = nullptr;
    if (mainWindow_ == window)
        mainWindow_ = nullptr;
    if (pointerWindow_ == window->windowNumber())
        pointerWindow_ = 0;
    if (!keyWindow_ || !mainWindow_)
        chooseNewKeyAndMainWindow(window);
}

void WindowServer::orderWindow(Window* window, int place, Window* relativeTo) {
    std::erase(order_, window);
    if (place == static_cast<int>(WindowOrderingMode::Out)) {
        normalizeOrder();
        return;
    }
    auto position = order_.end();
    if (relativeTo && relativeTo != window) {
        auto it = std::find(order_.begin(), order_.end(), relativeTo);
        if (it != order_.end())
            position = place == static_cast<int>(WindowOrderingMode::Above) ? it : it + 1;
    } else if (place == static_cast<int>(WindowOrderingMode::Above)) {
        position = std::find_if(order_.begin(), order_.end(),
                                [&](Window* w) { return w->level() <= window->level(); });
    } else {
        position = std::find_if(order_.begin(), order_.end(),
                                [&](Window* w) { return w->level() < window->level(); });
    }
    order_.insert(position, window);
    normalizeOrder();
}

// Higher levels first, the order within a level kept; then each visible child window is put
// right above or below its parent.
void WindowServer::normalizeOrder() {
    std::stable_sort(order_.begin(), order_.end(),
                     [](Window* a, Window* b) { return a->level() > b->level(); });
    const auto visible = [this](Window* w) {
        return std::find(order_.begin(), order_.end(), w) != order_.end();
    };
    std::vector<Window*> out;
    std::set<Window*> placed;
    std::function<void(Window*)> emit = [&](Window* w) {
        if (!placed.insert(w).second)
            return;
        const auto& children = w->childWindows();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            if (visible(*it) && w->placeOfChild(*it) == WindowOrderingMode::Above)
                emit(*it);
        out.push_back(w);
        for (Window* child : children)
            if (visible(child) && w->placeOfChild(child) == WindowOrderingMode::Below)
                emit(child);
    };
    for (Window* w : order_)
        if (!w->parentWindow() || !visible(w->parentWindow()))
            emit(w);
    for (Window* w : order_)
        emit(w);
    order_ = std::move(out);
}

void WindowServer::setKeyWindow(Window* window) {
    if (keyWindow_ == window)
        return;
    Window* old = keyWindow_;
    keyWindow_ = window;
    if (old)
        old->resignKeyWindow();
    if (window && keyWindow_ == window) {
        window->becomeKeyWindow();
        if (ScreenBackend* backend = screenBackend())
            backend->windowBecameKey(*window);
    }
}

void WindowServer::setMainWindow(Window* window) {
    if (mainWindow_ == window)
        return;
    Window* old = mainWindow_;
    mainWindow_ = window;
    if (old)
        old->resignMainWindow();
    if (window && mainWindow_ == window)
        window->becomeMainWindow();
}

void WindowServer::chooseNewKeyAndMainWindow(Window* leaving) {
    if (keyWindow_ == leaving || (keyWindow_ && !keyWindow_->isVisible())) {
        Window* next = nullptr;
        if (leaving && leaving->sheetParent() && leaving->sheetParent()->isVisible())
            next = leaving->sheetParent();
        for (Window* w : order_)
            if (!next && w != leaving && w->canBecomeKeyWindow())
                next = w;
        setKeyWindow(next);
    }
    if (mainWindow_ == leaving || (mainWindow_ && !mainWindow_->isVisible())) {
        Window* next = nullptr;
        for (Window* w : order_)
            if (!next && w != leaving && w->canBecomeMainWindow())
                next = w;
        setMainWindow(next);
    }
}

} // namespace platform
