#pragma once

#include "engine/NotificationService.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/RunLoop.h"

#include <memory>

namespace platform {
class Alert;
class Window;
} // namespace platform

// A notice waiting for the modal window in front of everything to go away, with the window to
// attach it to. The window is not kept: one that is gone by then gets no sheet.
class QueuedNotification : public platform::Object {
public:
    QueuedNotification(std::shared_ptr<Notification> notification,
                       std::weak_ptr<platform::Window> window)
        : _notification(std::move(notification)), _window(std::move(window)) {}

    const std::shared_ptr<Notification>& notification() const { return _notification; }
    // The window, or nullptr once it has gone.
    std::shared_ptr<platform::Window> window() const { return _window.lock(); }

private:
    std::shared_ptr<Notification> _notification;
    std::weak_ptr<platform::Window> _window;
};

// Shows the engine's notices (conflicts with another instance of the same account, being
// logged out by the network) as alert sheets and hands the user's answer back to the notice.
// A notice that comes while a modal window is open waits and is tried again every half second.
class NotificationController : public platform::Object {
public:
    // How long a notice waits behind a modal window before it is tried again.
    static constexpr platform::TimeInterval retryInterval = 0.5;

    // The one controller, made on first use and kept for the life of the process, since the
    // sheets it begins and the retries it schedules refer to it.
    static NotificationController& sharedController();

    // Shows the notice as a sheet on the window, or queues it while a modal window is open.
    // A notice already handled is ignored; so is one without a window to attach to.
    void doNotificationForWindow(const std::shared_ptr<Notification>& notification,
                                 platform::Window* window);
    // The retry of a queued notice: starts again at the top of doNotificationForWindow.
    void tryDisplayQueuedNotification(const std::shared_ptr<QueuedNotification>& queued);
    // The sheet's end: deregisters and hides it, then answers the notice by its type and the
    // button pressed (1000 the first, 1001 the second; any other code gives no answer) and
    // marks it handled.
    void notificationDidEnd(platform::Alert& alert, int returnCode,
                            const std::shared_ptr<Notification>& notification);

private:
    void showNotification(const std::shared_ptr<Notification>& notification,
                          platform::Window& window);
};
