#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Object.h"
#include "platform/kit/DockTile.h"
#include "platform/kit/Responder.h"
#include "platform/kit/WindowServer.h"

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace platform {

class Application;
class Menu;

// The answer to a request to quit: Cancel keeps running, Now quits, Later makes the
// application wait (in the modal-panel run-loop mode) for replyToApplicationShouldTerminate.
enum class TerminateReply { Cancel = 0, Now = 1, Later = 2 };

// Posted through the default notification centre with the application as object, and passed
// to the delegate's function of the same name.
inline constexpr std::string_view ApplicationWillFinishLaunchingNotification =
    "ApplicationWillFinishLaunchingNotification";
inline constexpr std::string_view ApplicationDidFinishLaunchingNotification =
    "ApplicationDidFinishLaunchingNotification";
inline constexpr std::string_view ApplicationWillBecomeActiveNotification =
    "ApplicationWillBecomeActiveNotification";
inline constexpr std::string_view ApplicationDidBecomeActiveNotification =
    "ApplicationDidBecomeActiveNotification";
inline constexpr std::string_view ApplicationWillResignActiveNotification =
    "ApplicationWillResignActiveNotification";
inline constexpr std::string_view ApplicationDidResignActiveNotification =
    "ApplicationDidResignActiveNotification";
inline constexpr std::string_view ApplicationWillHideNotification =
    "ApplicationWillHideNotification";
inline constexpr std::string_view ApplicationDidHideNotification = "ApplicationDidHideNotification";
inline constexpr std::string_view ApplicationWillUnhideNotification =
    "ApplicationWillUnhideNotification";
inline constexpr std::string_view ApplicationDidUnhideNotification =
    "ApplicationDidUnhideNotification";
inline constexpr std::string_view ApplicationWillTerminateNotification =
    "ApplicationWillTerminateNotification";

// What the application tells its delegate. Every function is optional.
class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;

    virtual void applicationWillFinishLaunching(const Notification& /*notification*/) {}
    virtual void applicationDidFinishLaunching(const Notification& /*notification*/) {}
    virtual void applicationWillBecomeActive(const Notification& /*notification*/) {}
    virtual void applicationDidBecomeActive(const Notification& /*notification*/) {}
    virtual void applicationWillResignActive(const Notification& /*notification*/) {}
    virtual void applicationDidResignActive(const Notification& /*notification*/) {}
    virtual void applicationWillHide(const Notification& /*notification*/) {}
    virtual void applicationDidHide(const Notification& /*notification*/) {}
    virtual void applicationWillUnhide(const Notification& /*notification*/) {}
    virtual void applicationDidUnhide(const Notification& /*notification*/) {}
    virtual void applicationWillTerminate(const Notification& /*notification*/) {}
    virtual TerminateReply applicationShouldTerminate(Application& /*sender*/) {
        return TerminateReply::Now;
    }
    // The menu of the application's launcher icon, made afresh each time it opens; null for
    // none.
    virtual std::shared_ptr<Menu> applicationDockMenu(Application& /*sender*/) { return nullptr; }
};

// The one application object: it launches, runs the main run loop, hides, activates and
// quits, telling its delegate at each step. It ends the responder chain, after the windows.
class Application : public Object, public ActionTarget {
public:
    static Application& sharedApplication();
    // Drops the shared application (and what it keeps) and makes a fresh one on next use.
    static void resetSharedApplication();

    Application();
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    ApplicationDelegate* delegate() const { return delegate_; }
    // Not owned; whoever sets it clears it before going away.
    void setDelegate(ApplicationDelegate* delegate) { delegate_ = delegate; }

    // Loads the main interface definition with the application as its owner and keeps its
    // top-level objects for the life of the application. False when it cannot be loaded.
    bool loadMainInterfaceDefinition(std::string_view name);
    void releaseTopLevelObjects();

    // Tells the delegate that the application will and then did finish launching, and makes
    // it active; runs once.
    void finishLaunching();
    bool isLaunched() const { return launched_; }
    // finishLaunching, then the main run loop until the application terminates or stop().
    void run();
    // Leaves run() without terminating.
    void stop(Object* sender);
    bool isRunning() const { return running_; }

    // Asks the delegate whether to quit. Now: the delegate hears applicationWillTerminate
    // and run() returns. Later: waits in the modal-panel mode of the main run loop until
    // replyToApplicationShouldTerminate answers. Cancel: nothing happens.
    void terminate(Object* sender);
    void replyToApplicationShouldTerminate(bool shouldTerminate);
    // terminate() for SIGINT or SIGTERM. While it asks, isTerminatingForSignal() is true, so
    // a delegate that cannot quit at that moment knows the request must not be dropped. When
    // a quit is already waiting for the delegate's answer, the delegate is asked again.
    void terminateForSignal();
    bool isTerminatingForSignal() const { return terminatingForSignal_; }
    bool isWaitingForTerminationReply() const { return awaitingReply_; }
    bool isTerminated() const { return terminated_; }
    // What the process returns once run() is over; 0 unless a failure set it.
    int exitStatus() const { return exitStatus_; }
    void setExitStatus(int status) { exitStatus_ = status; }

    void hide(Object* sender);
    void unhide(Object* sender);
    bool isHidden() const { return hidden_; }
    void activateIgnoringOtherApps(bool flag);
    void deactivate();
    bool isActive() const { return active_; }

    // Windows, events, actions, modal sessions and sheets: the original's application calls,
    // answered by the window server (kit/WindowServer.h), which keeps that state.
    std::vector<Window*> windows() const;
    Window* keyWindow() const;
    Window* mainWindow() const;
    const Event* currentEvent() const;
    void sendEvent(const Event& event);
    void postEvent(const Event& event, bool atStart);
    std::optional<Event> nextEventMatchingMask(EventMask mask, TimeInterval untilDate,
                                               RunLoopMode mode, bool dequeue);
    void discardEventsMatchingMask(EventMask mask, TimeInterval beforeTimestamp);
    bool sendAction(std::string_view action, ActionTarget* target, Object* sender);
    ActionTarget* targetForAction(std::string_view action, ActionTarget* target = nullptr,
                                  Object* sender = nullptr) const;
    int runModalForWindow(Window& window);
    void stopModal();
    void stopModalWithCode(int returnCode);
    void abortModal();
    Window* modalWindow() const;
    void beginSheet(Window& sheet, Window& parent, WindowServer::SheetCompletion completion = {});
    void endSheet(Window& sheet, int returnCode = RunStoppedResponse);
    // In the responder chain the application answers "terminate:", "hide:", "unhide:" and
    // "stop:".
    bool tryToPerform(std::string_view action, Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

    // The application's launcher tile, and the original's calls that reach it: the icon image
    // shown for the application and the requests for the user's attention.
    DockTile& dockTile();
    std::shared_ptr<Image> applicationIconImage() const;
    void setApplicationIconImage(std::shared_ptr<Image> image);
    int requestUserAttention(RequestUserAttentionType type);
    void cancelUserAttentionRequest(int request);

    // Turns SIGINT and SIGTERM into terminate() on the main run loop, so the delegate gets
    // its say and the process ends through the ordinary road.
    void handleTerminationSignals();
    void stopHandlingTerminationSignals();

private:
    void post(std::string_view name, void (ApplicationDelegate::*function)(const Notification&));
    void finishTermination();

    ApplicationDelegate* delegate_ = nullptr;
    std::vector<std::shared_ptr<Object>> topLevelObjects_;
    bool launched_ = false;
    bool running_ = false;
    bool stopRequested_ = false;
    bool terminated_ = false;
    bool awaitingReply_ = false;
    bool hidden_ = false;
    bool active_ = false;
    bool terminatingForSignal_ = false;
    int exitStatus_ = 0;

    struct SignalWatcher;
    std::unique_ptr<SignalWatcher> signalWatcher_;
    mutable std::unique_ptr<DockTile> dockTile_;
};

} // namespace platform
