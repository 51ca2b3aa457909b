#pragma once

#include "platform/foundation/Object.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Geometry.h"
#include "platform/kit/Event.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace platform {

class ActionTarget;
class Window;

// Return codes of modal sessions and sheets, as the original numbered them.
inline constexpr int RunStoppedResponse = -1000;
inline constexpr int RunAbortedResponse = -1001;
inline constexpr int RunContinuesResponse = -1002;
inline constexpr int AlertFirstButtonReturn = 1000;
inline constexpr int AlertSecondButtonReturn = 1001;
inline constexpr int AlertThirdButtonReturn = 1002;
// Custom sheets end with these.
inline constexpr int CancelButton = 0;
inline constexpr int OKButton = 1;

// The application's side of windows: the list of live windows in front-to-back order, key and
// main window, the event queue and dispatch, the responder-chain action dispatch, modal
// sessions and sheets. One per process, reached through WindowServer::shared().
class WindowServer {
public:
    using ModalSession = int;
    using SheetCompletion = std::function<void(int returnCode)>;

    static WindowServer& shared();
    // Forgets modal sessions, sheets and queued events (tests; windows stay registered).
    void reset();

    // Every live window, front to back for visible ones first, then the hidden ones.
    std::vector<Window*> windows() const;
    // Visible windows, front to back.
    std::vector<Window*> orderedWindows() const;
    Window* keyWindow() const { return keyWindow_; }
    Window* mainWindow() const { return mainWindow_; }
    // The frontmost visible window under a screen point that takes mouse events.
    Window* windowAtPoint(Point screenPoint) const;
    Window* windowWithNumber(int windowNumber) const;

    // Events. A backend posts what it reads; posted events are dispatched on the main run
    // loop in any mode, unless someone is reading them with nextEventMatchingMask.
    void postEvent(const Event& event, bool atStart = false);
    // Dispatches every queued event now (tests and backends that want no delay).
    void dispatchPendingEvents();
    // Routes one event: to its window (key events without one to the key window), after the
    // modal-session and sheet checks, with currentEvent set while it is handled.
    void sendEvent(const Event& event);
    const Event* currentEvent() const;
    // The next queued event of the mask, running the main loop in `mode` until it comes,
    // `untilDate` (an absolute run-loop time) passes or `giveUp` holds (checked after every
    // pass of the loop); removed from the queue when `dequeue`.
    std::optional<Event> nextEventMatchingMask(EventMask mask, TimeInterval untilDate,
                                               RunLoopMode mode, bool dequeue,
                                               const std::function<bool()>& giveUp = {});
    // Drops queued events of the mask older than `beforeTimestamp`.
    void discardEventsMatchingMask(EventMask mask, TimeInterval beforeTimestamp);
    std::size_t queuedEventCount() const { return queue_.size(); }
    // Where the pointer is, in screen coordinates (the backend's view, else the last event's).
    Point mouseLocation() const;
    // A backend tells the kit that the window manager moved or resized a window.
    void windowMovedByScreen(Window& window, const Rect& frame);

    // Key equivalents nobody in the key window took go to the main menu; the menu layer
    // installs the handler.
    using KeyEquivalentHandler = std::function<bool(const Event&)>;
    void setMenuKeyEquivalentHandler(KeyEquivalentHandler handler) {
        menuKeyEquivalentHandler_ = std::move(handler);
    }
    // Windows that hide on deactivation leave the screen while the application is inactive.
    void applicationActivationChanged(bool active);
    // Hiding the application orders its windows out; unhiding brings them back in order.
    void applicationHiddenChanged(bool hidden);

    // Actions. With a target, the target performs it; without one, the action travels the
    // chain: the key window's first responder and its next responders, the key window, its
    // delegate, then the same for the main window when it is another, then the application
    // and its delegate. False when nobody answered.
    bool sendAction(std::string_view action, ActionTarget* target, Object* sender);
    // Who would perform the action (the target itself when it answers), or nullptr.
    ActionTarget* targetForAction(std::string_view action, ActionTarget* target = nullptr,
                                  Object* sender = nullptr) const;
    // The responder chain's tail beyond the windows: by default the application and its
    // delegate; tests install their own.
    using ChainTail = std::function<std::vector<ActionTarget*>()>;
    void setChainTail(ChainTail tail) { chainTail_ = std::move(tail); }

    // Application-modal sessions. runModalForWindow shows the window, makes it key and runs
    // the main loop in the modal-panel mode until stopModal, stopModalWithCode or abortModal;
    // meanwhile only that window (and windows that work when modal) take events.
    int runModalForWindow(Window& window);
    ModalSession beginModalSessionForWindow(Window& window);
    // One pass of a session: RunContinuesResponse while it goes on, else its code.
    int runModalSession(ModalSession session);
    void endModalSession(ModalSession session);
    void stopModal();
    void stopModalWithCode(int returnCode);
    void abortModal();
    // The window of the innermost modal session, or nullptr.
    Window* modalWindow() const;

    // Sheets: a window-modal panel attached to the top edge of its parent. The sheet is shown
    // as a child of the parent, which takes no events until endSheet. endSheet may be called
    // from anywhere; the completion runs inside it. The sheet is not ordered out by endSheet:
    // its owner orders it out, as with the original.
    void beginSheet(Window& sheet, Window& parent, SheetCompletion completion = {});
    void endSheet(Window& sheet, int returnCode = RunStoppedResponse);

    // For windows: bookkeeping of the window list and order.
    void registerWindow(Window* window);
    void unregisterWindow(Window* window);
    void orderWindow(Window* window, int place, Window* relativeTo);
    // Puts the order back in shape after a level or parent change.
    void normalizeOrder();
    void setKeyWindow(Window* window);
    void setMainWindow(Window* window);
    // The next window that can take key (or main) status after `leaving` went away.
    void chooseNewKeyAndMainWindow(Window* leaving);

private:
    WindowServer();
    std::vector<ActionTarget*> chainTail() const;
    struct ModalRecord {
        ModalSession id;
        Window* window;
        int result = RunContinuesResponse;
        TimeInterval started = 0;
    };
    struct SheetRecord {
        Window* sheet;
        Window* parent;
        SheetCompletion completion;
    };
    bool eventAllowed(const Event& event, Window* window) const;
    void scheduleDispatch();
    std::vector<ActionTarget*> responderChain(Window* window) const;

    std::vector<Window*> all_;
    std::vector<Window*> order_;
    Window* keyWindow_ = nullptr;
    Window* mainWindow_ = nullptr;
    std::deque<Event> queue_;
    std::vector<std::unique_ptr<Event>> currentEvents_;
    int readers_ = 0;
    bool dispatchScheduled_ = false;
    Point lastMouseLocation_;
    ChainTail chainTail_;
    KeyEquivalentHandler menuKeyEquivalentHandler_;
    int pointerWindow_ = 0;
    std::vector<Window*> hiddenOnDeactivate_;
    std::vector<Window*> hiddenByHide_;
    int keyBeforeHide_ = 0;
    std::vector<ModalRecord> modalSessions_;
    ModalSession nextSession_ = 1;
    std::vector<SheetRecord> sheets_;
};

} // namespace platform
