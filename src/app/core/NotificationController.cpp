#include "app/core/NotificationController.h"

#include "app/core/SheetsTracker.h"
#include "platform/foundation/Log.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Application.h"
#include "platform/kit/Panel.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"
#include "support/Localization.h"

#include <optional>

namespace {

struct NoticeTexts {
    std::string message;
    std::string information;
    std::vector<std::string> buttons;
    platform::AlertStyle style = platform::AlertStyle::Warning;
};

std::string conflictTitle() {
    return QXLS("msg.notification.conflict.title", "Login information:");
}

std::optional<NoticeTexts> textsForNotice(const Notification& notification) {
    const auto okay = [] { return QXLS("msg.opt.dialog.button.ok", "Okay"); };
    switch (notification.getType()) {
    case Notification::typeResourceConflict_AnotherInstanceWasForcedOut:
        return NoticeTexts{conflictTitle(),
                           QXLS("msg.notification.conflict.other_forced_out",
                                "Ready to Call. Another instance of your Sidekin was automatically "
                                "logged out."),
                           {QXLS("msg.opt.dialog.button.okay", "Okay")},
                           platform::AlertStyle::Warning};
    case Notification::typeResourceConflict_AnotherInstanceForcedUsOut:
        return NoticeTexts{QXLS("msg.notification.conflict.we_got_forced_out",
                                "You have been logged out by another instance of your Sidekin."),
                           "",
                           {okay()},
                           platform::AlertStyle::Warning};
    case Notification::typeResourceConflict_AnotherInstanceIsOnACall:
        return NoticeTexts{
            conflictTitle(),
            QXLS("msg.notification.conflict.ask_for_force",
                 "Another instance of your Sidekin is on a phone call. Would you "
                 "like to log out that other instance and terminate the call?"),
            {QXLS("msg.opt.dialog.button.yes", "Yes"), QXLS("msg.opt.dialog.button.no", "No")},
            platform::AlertStyle::Warning};
    case Notification::typeResourceConflict_AnotherInstanceIsOnAnEmergencyCall:
        return NoticeTexts{conflictTitle(),
                           QXLS("msg.notification.conflict.cant_force",
                                "Cannot log in at this time. Another instance of your Sidekin is "
                                "on an emergency phone call."),
                           {okay()},
                           platform::AlertStyle::Critical};
    case Notification::typeConfigUpdate_ForcedOut: {
        std::string information = notification.getExtraInfo();
        if (information.empty()) {
            information = QXLS("msg.notification.config_update.force_out.generic_info",
                               "You have been logged out by the Calverra network.");
        }
        return NoticeTexts{
            QXLS("msg.notification.config_update.force_out", "You have been logged out:"),
            std::move(information),
            {okay()},
            platform::AlertStyle::Warning};
    }
    default:
        return std::nullopt;
    }
}

} // namespace

NotificationController& NotificationController::sharedController() {
    // Never destroyed: sheets and retries may still refer to it while the process ends.
    static NotificationController* const shared =
        std::make_unique<NotificationController>().release();
    return *shared;
}

void NotificationController::doNotificationForWindow(
    const std::shared_ptr<Notification>& notification, platform::Window* window) {
    if (!notification || notification->hasBeenHandled()) {
        return;
    }
    if (!window) {
        platform::Log("Notice not shown: there is no window to attach it to");
        return;
    }
    if (platform::Application::sharedApplication().modalWindow()) {
        // The timer runs in the default mode only, so it fires once the modal loop is over.
        auto queued = std::make_shared<QueuedNotification>(notification, window->sharedWindow());
        platform::Timer::scheduledTimerWithTimeInterval(
            retryInterval, false,
            [this, queued](platform::Timer&) { tryDisplayQueuedNotification(queued); });
        return;
    }
    showNotification(notification, *window);
}

void NotificationController::tryDisplayQueuedNotification(
    const std::shared_ptr<QueuedNotification>& queued) {
    if (!queued) {
        return;
    }
    const auto window = queued->window();
    doNotificationForWindow(queued->notification(), window.get());
}

void NotificationController::showNotification(const std::shared_ptr<Notification>& notification,
                                              platform::Window& window) {
    SheetsTracker::sharedController().closeAllSheets();
    const auto texts = textsForNotice(*notification);
    if (!texts) {
        return;
    }
    auto alert = platform::Alert::alert();
    alert->setMessageText(texts->message);
    alert->setInformativeText(texts->information);
    for (const std::string& title : texts->buttons) {
        alert->addButtonWithTitle(title);
    }
    alert->setAlertStyle(texts->style);
    // The completion keeps the notice for the life of the sheet; the sheet keeps the alert.
    std::weak_ptr<platform::Alert> weakAlert = alert;
    alert->beginSheetModalForWindow(window, [this, weakAlert, notification](int returnCode) {
        if (auto shown = weakAlert.lock()) {
            notificationDidEnd(*shown, returnCode, notification);
        }
    });
    if (platform::Panel* panel = alert->window(); panel && panel->isSheet()) {
        SheetsTracker::sharedController().registerSheet(panel->sharedWindow(), this);
    }
}

void NotificationController::notificationDidEnd(platform::Alert& alert, int returnCode,
                                                const std::shared_ptr<Notification>& notification) {
    if (platform::Panel* panel = alert.window()) {
        SheetsTracker::sharedController().deRegisterSheet(panel, this);
        panel->orderOut(nullptr);
    }
    if (!notification || notification->hasBeenHandled()) {
        return;
    }
    const bool first = returnCode == platform::AlertFirstButtonReturn;
    const bool second = returnCode == platform::AlertSecondButtonReturn;
    switch (notification->getType()) {
    case Notification::typeResourceConflict_AnotherInstanceWasForcedOut:
    case Notification::typeResourceConflict_AnotherInstanceForcedUsOut:
    case Notification::typeResourceConflict_AnotherInstanceIsOnAnEmergencyCall:
        if (first) {
            notification->dismiss();
        }
        break;
    case Notification::typeResourceConflict_AnotherInstanceIsOnACall:
        if (first) {
            notification->yes();
        } else if (second) {
            notification->no();
        }
        break;
    default:
        // Being logged out by the network is only acknowledged.
        break;
    }
    notification->makeHasBeenHandled();
}
