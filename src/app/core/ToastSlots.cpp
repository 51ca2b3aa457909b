#include "app/core/ToastSlots.h"

#include "app/calls/ToastWindowController.h"
#include "app/core/AppController.h"
#include "app/core/DockController.h"
#include "engine/OVContactManager.h"
#include "engine/OVIMService.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Screen.h"
#include "platform/kit/Window.h"
#include "support/Notifications.h"
#include "support/ValueTransformers.h"
#include "widgets/QXToolWindow.h"

#include <algorithm>

// ---- Placement ----------------------------------------------------------------------------

namespace toast_slots {

int pitch(std::optional<platform::Size> windowSize) {
    return windowSize ? static_cast<int>(windowSize->height + 5) : 5;
}

int rowsPerColumn(double screenHeight, int pitch) {
    return std::max(1, static_cast<int>((screenHeight - pitch) / pitch));
}

platform::Point anchorForSlot(int slot, std::optional<platform::Size> windowSize,
                              const platform::Rect& screen) {
    const int p = pitch(windowSize);
    const int rows = rowsPerColumn(screen.height(), p);
    // The column follows from the rows of a column, so the next column starts exactly where
    // the last one is full and no two slots share a place.
    const int column = slot / rows;
    const int row = slot % rows;
    const double width = windowSize ? windowSize->width : 0;
    return platform::Point(screen.minX() + screen.width() -
                               static_cast<int>(column * width + column * 5) - 10,
                           screen.minY() + screen.height() - row * p - 30);
}

std::optional<int> firstFreeSlot(const std::vector<bool>& slots) {
    const auto it = std::find(slots.begin(), slots.end(), false);
    if (it == slots.end()) {
        return std::nullopt;
    }
    return static_cast<int>(it - slots.begin());
}

} // namespace toast_slots

// ---- The application controller's toasts ----------------------------------------------------

namespace {

// The engine's "preferences" / "alerts" setting `name`; off when missing.
bool alertSetting(std::string_view name) {
    const auto phone = StartupService::instance().phoneService();
    if (!phone) {
        return false;
    }
    auto block = phone->getPreferenceSettings();
    for (std::string_view part :
         {std::string_view("preferences"), std::string_view("alerts"), name}) {
        block = block ? block->existingSub(part) : nullptr;
    }
    return block && block->boolSetting();
}

const EnabledOnPhoneStatusTransformer& enabledOnPhoneStatusTransformer() {
    static const EnabledOnPhoneStatusTransformer transformer;
    return transformer;
}

bool sameContact(const Toast& a, const Toast& b) {
    return a.contact() && a.contact()->isEqualToInterface(b.contact());
}

} // namespace

void AppController::attachToastService(std::shared_ptr<ToastService> toastService,
                                       std::shared_ptr<PhoneStatusService> phoneStatusService) {
    if (_toastService) {
        _toastService->removeDelegate(this);
    }
    _toastService = std::move(toastService);
    _phoneStatusService = std::move(phoneStatusService);
    if (_toastService) {
        _toastService->setDelegate(this);
    }
}

void AppController::detachToastService() {
    if (_toastService) {
        _toastService->removeDelegate(this);
        _toastService.reset();
    }
    for (const auto& timer : _toastHideTimers) {
        timer->invalidate();
    }
    _toastHideTimers.clear();
    _waitingToasts.clear();
    const auto controllers = std::move(_toastWindowControllers);
    _toastWindowControllers.clear();
    for (const auto& controller : controllers) {
        controller->window()->forceClose();
        controller->cleanUp();
        controller->close();
    }
    _toastSlots.assign(toastSlotCount, false);
}

std::vector<std::shared_ptr<Toast>> AppController::waitingToasts() const {
    std::vector<std::shared_ptr<Toast>> toasts;
    for (const auto& waiting : _waitingToasts) {
        toasts.push_back(waiting.toast);
    }
    return toasts;
}

void AppController::toastAdded(const std::shared_ptr<Toast>& toast) {
    if (!toast) {
        return;
    }
    auto& engine = StartupService::instance();
    const auto phone = engine.phoneService();
    auto statusService = _phoneStatusService ? _phoneStatusService
                                             : (phone ? phone->getPhoneStatusService() : nullptr);
    const int phoneStatus =
        statusService && statusService->status() ? statusService->status()->value() : 0;
    const bool phoneEnabled = enabledOnPhoneStatusTransformer()
                                  .transformedValue(platform::Value(phoneStatus))
                                  .boolValue();

    // A device toast takes over the shown one; an alert-list notice takes over the one of the
    // same contact; a second offline toast of a contact is not shown at all.
    int slot = -1;
    std::shared_ptr<ToastWindowController> replaced;
    const int type = toast->type();
    for (const auto& controller : _toastWindowControllers) {
        const auto& shown = controller->toast();
        if (!shown || shown->type() != type) {
            continue;
        }
        if (type == Toast::typeDevice ||
            ((type == Toast::typeContactOffline || type == Toast::typeAlertList) &&
             sameContact(*shown, *toast))) {
            if (type == Toast::typeContactOffline) {
                return;
            }
            slot = controller->slot();
            replaced = controller;
            break;
        }
    }

    double duration = 0;
    switch (type) {
    case Toast::typeIncomingCall:
        DockController::sharedDockController().applicationAlert();
        if (!alertSetting("enableIncomingCallAlert")) {
            return;
        }
        break;
    case Toast::typeNewIM: {
        auto& application = platform::Application::sharedApplication();
        platform::Window* mainWindow = DockController::mainWindow();
        const bool inFront = application.isActive() && mainWindow && mainWindow->isVisible();
        if (!alertSetting("enableNewImAlert") ||
            (toast->imSession() && toast->imSession()->host()) || inFront) {
            return;
        }
        duration = 5;
        break;
    }
    case Toast::typeContactOnline:
    case Toast::typeContactOffline: {
        const bool online = type == Toast::typeContactOnline;
        if (alertSetting("enableSounds") &&
            !alertSetting(online ? "disableOnlineSound" : "disableOfflineSound") && phone) {
            phone->getTonePlayer()->playAlertTone2(online ? TonePlayer::contactOnlineType
                                                          : TonePlayer::contactOfflineType);
        }
        if (!alertSetting(online ? "enableOnlineAlert" : "enableOfflineAlert")) {
            return;
        }
        if (!phoneEnabled && phoneStatus != OVPhoneStatus::noSipAccount) {
            return;
        }
        duration = 3;
        break;
    }
    case Toast::typeDevice:
        duration = 5;
        break;
    case Toast::typeAlertList:
        if (!phoneEnabled && phoneStatus != OVPhoneStatus::noSipAccount) {
            return;
        }
        break;
    default:
        break;
    }

    if (!alertSetting("enableAlerts")) {
        return;
    }

    if (slot < 0) {
        const auto free = toast_slots::firstFreeSlot(_toastSlots);
        if (!free) {
            // Every slot is on screen: the toast waits for the first one to be freed rather
            // than take a place that does not exist.
            _waitingToasts.push_back({toast, duration});
            return;
        }
        slot = *free;
    }
    showToast(toast, slot, duration, replaced);
}

void AppController::showToast(const std::shared_ptr<Toast>& toast, int slot, double duration,
                              const std::shared_ptr<ToastWindowController>& replaced) {
    auto controller = std::make_shared<ToastWindowController>(toast, slot);
    _toastSlots[static_cast<std::size_t>(slot)] = true;
    QXToolWindow* window = controller->window();
    window->setHasShadow(true);

    const platform::Screen* screen = platform::Screen::mainScreen();
    const platform::Rect screenFrame = screen ? screen->frame() : platform::Rect();
    const platform::Point anchor =
        toast_slots::anchorForSlot(slot, window->frame().size, screenFrame);
    window->showForWindow(nullptr, anchor);

    controller->setClosingHandler(
        [this](ToastWindowController& closed) { dropToastWindowController(closed, false); });
    _toastWindowControllers.push_back(controller);

    if (replaced) {
        // The new toast has its slot, so the slot stays taken.
        replaced->window()->forceClose();
        replaced->close();
        std::erase(_toastWindowControllers, replaced);
    }

    if (duration > 0) {
        std::erase_if(_toastHideTimers, [](const auto& timer) { return !timer->isValid(); });
        _toastHideTimers.push_back(platform::Timer::scheduledTimerWithTimeInterval(
            duration, false, [this, toast](platform::Timer&) { timerHideToastCallback(toast); }));
    }
}

void AppController::timerHideToastCallback(const std::shared_ptr<Toast>& toast) {
    if (toast && toast->type() == Toast::typeDevice) {
        platform::NotificationCenter::defaultCenter().postNotificationName(
            MediaDevicesChangedNotification, nullptr);
    }
    toastRemoved(toast);
}

void AppController::toastRemoved(const std::shared_ptr<Toast>& toast) {
    const auto it = std::find_if(_toastWindowControllers.begin(), _toastWindowControllers.end(),
                                 [&](const auto& controller) {
                                     return controller->toast() &&
                                            controller->toast()->isEqualToInterface(toast);
                                 });
    if (it != _toastWindowControllers.end()) {
        const auto controller = *it;
        dropToastWindowController(*controller, true);
        return;
    }
    // Taken back before it could be shown.
    std::erase_if(_waitingToasts, [&](const WaitingToast& w) { return w.toast == toast; });
}

void AppController::dropToastWindowController(ToastWindowController& controller, bool closeWindow) {
    const auto it = std::find_if(_toastWindowControllers.begin(), _toastWindowControllers.end(),
                                 [&](const auto& c) { return c.get() == &controller; });
    if (it == _toastWindowControllers.end()) {
        return;
    }
    const auto keep = *it;
    const int slot = controller.slot();
    if (slot >= 0 && slot < static_cast<int>(_toastSlots.size())) {
        _toastSlots[static_cast<std::size_t>(slot)] = false;
    }
    controller.cleanUp();
    if (closeWindow) {
        controller.close();
    }
    _toastWindowControllers.erase(it);
    showWaitingToasts();
}

void AppController::showWaitingToasts() {
    while (!_waitingToasts.empty()) {
        const auto free = toast_slots::firstFreeSlot(_toastSlots);
        if (!free) {
            return;
        }
        const WaitingToast next = _waitingToasts.front();
        _waitingToasts.erase(_waitingToasts.begin());
        showToast(next.toast, *free, next.duration, nullptr);
    }
}

void AppController::updateToasts() {
    const bool personalAddressBook =
        StartupService::instance().featuresService()->featureAvailable("allow_pab");
    const auto controllers = _toastWindowControllers;
    for (const auto& controller : controllers) {
        const auto& toast = controller->toast();
        const auto contact = toast ? toast->contact() : nullptr;
        if (!contact) {
            continue;
        }
        const bool keep =
            contact->hasParentEntities() && (!personalAddressBook || contact->defaultPresence());
        if (!keep) {
            controller->close(nullptr);
        }
    }
}
