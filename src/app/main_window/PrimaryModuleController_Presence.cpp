// The user's own presence: the chosen status and its confirmation, the custom status sheet,
// following the engine's reports, and idle auto-away.
#include "app/core/AppController.h"
#include "app/core/Features.h"
#include "app/core/SheetsTracker.h"
#include "app/main_window/PrimaryModuleController.h"
#include "app/main_window/ToolbarController.h"
#include "engine/PhoneService.h"
#include "engine/PresenceService.h"
#include "engine/SettingBlock.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Application.h"
#include "platform/kit/Button.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/Panel.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/TextField.h"
#include "support/Localization.h"
#include "support/PresenceExtensions.h"
#include "support/PresenceMessageTranslator.h"

namespace {

constexpr long kSetCustomStatusTag = 99;
constexpr int kIdleStatus = 3;
constexpr std::string_view kStatusDefault = "mainPhone.presence.status";
constexpr std::string_view kMessageDefault = "mainPhone.presence.message";

platform::PopUpButton& statusPopUp() {
    return ToolbarController::sharedController().status();
}

std::shared_ptr<PresenceService> presenceServiceOfEngine() {
    const auto phone = StartupService::instance().phoneService();
    return phone ? phone->getPresenceService() : nullptr;
}

bool applicationEnding() {
    const auto* app = AppController::sharedAppController();
    return app && (app->isForceShutDown() || app->isAppTerminating());
}

void updateApplicationToolbar() {
    if (auto* app = AppController::sharedAppController())
        app->updateToolbar();
}

} // namespace

// Set-up and the application's readiness.

void PrimaryModuleController::buildCustomPresenceSheet() {
    constexpr double width = 340, height = 130;
    _customPresenceSheet = platform::make<platform::Panel>(platform::Rect{0, 0, width, height},
                                                           platform::TitledWindowMask);
    _customPresenceSheet->setReleasedWhenClosed(false);
    auto content = std::make_shared<platform::View>(platform::Rect{0, 0, width, height});
    _customPresenceTextField =
        std::make_shared<platform::TextField>(platform::Rect{20, 88, width - 40, 22});
    _customPresencePopupButton =
        std::make_shared<platform::PopUpButton>(platform::Rect{20, 54, width - 40, 24});
    // The statuses a custom text may go with; the first five carry the engine's status icons.
    using S = OVPresenceStatus;
    for (const S status : {S::statusAvailable, S::statusBusy, S::statusAway, S::statusOnThePhone,
                           S::statusDoNotDisturb, S::statusNotAvailableForCalls}) {
        auto item = std::make_shared<platform::MenuItem>(
            translatePresenceMessage(OrvantaExtensions::string(status)), "", "");
        item->setTag(static_cast<long>(status));
        if (status != S::statusNotAvailableForCalls) {
            if (auto image = OrvantaExtensions::image(status)) {
                auto icon = image->copy();
                icon->setSize({16, 16});
                item->setImage(icon);
            }
        }
        _customPresencePopupButton->menu()->addItem(item);
    }
    _customPresencePopupButton->setAction("customPresenceStatusChanged:");
    _customPresencePopupButton->setTarget(this);
    _customPresenceOKButton =
        std::make_shared<platform::Button>(platform::Rect{width - 100, 12, 80, 26});
    _customPresenceOKButton->setTitle(QXLS("msg.opt.dialog.button.ok", "OK"));
    _customPresenceOKButton->setKeyEquivalent("\r");
    _customPresenceOKButton->setAction("customPresenceOK:");
    _customPresenceOKButton->setTarget(this);
    _customPresenceCancelButton =
        std::make_shared<platform::Button>(platform::Rect{width - 190, 12, 80, 26});
    _customPresenceCancelButton->setTitle(QXLS("msg.opt.dialog.button.cancel", "Cancel"));
    _customPresenceCancelButton->setKeyEquivalent("\x1b");
    _customPresenceCancelButton->setAction("customPresenceCancel:");
    _customPresenceCancelButton->setTarget(this);
    for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
             _customPresenceTextField, _customPresencePopupButton, _customPresenceOKButton,
             _customPresenceCancelButton})
        content->addSubview(view);
    _customPresenceSheet->setContentView(content);
}

void PrimaryModuleController::presenceApplicationReady(bool ready) {
    if (!ready) {
        _presenceInfo.reset();
        return;
    }
    _presenceService = presenceServiceOfEngine();
    _presenceInfo = _presenceService ? _presenceService->getSelfPresence() : nullptr;
    refreshIdleInterval();
    const auto custom = _presenceService ? _presenceService->getCustomPresences()
                                         : std::vector<std::shared_ptr<OVSelfPresence>>{};
    if (!custom.empty()) {
        const long tag = static_cast<long>(custom.front()->status());
        const std::string title = translatePresenceMessage(custom.front()->message());
        showCustomStatusMenuItem(title, tag);
        _customPresenceTextField->setStringValue(title);
        _previousCustomPresenceStatus = static_cast<int>(tag);
    } else if (_customStatusMenuItem) {
        _customStatusMenuItem->setHidden(true);
    }
    if (!featureOn("not_available_for_calls_presence"))
        if (auto* item = _customPresencePopupButton->menu()->itemWithTag(
                static_cast<long>(OVPresenceStatus::statusNotAvailableForCalls)))
            item->setHidden(true);
    _presenceFeatureEnabled = featureOn("presenceEnabled");
}

// Choosing a status.

std::string PrimaryModuleController::currentPresenceTitle() const {
    const auto* app = AppController::sharedAppController();
    const std::string message = app ? app->selfPresenceMessage() : std::string();
    return translatePresenceMessage(
        message.empty() ? QXLS("msg.presence.status.available", "Available") : message);
}

void PrimaryModuleController::revertPresencePopUp() {
    statusPopUp().selectItemWithTitle(currentPresenceTitle());
}

void PrimaryModuleController::presenceChanged(platform::Object* sender) {
    _performedCommands.emplace_back("presenceChanged:");
    platform::MenuItem* chosen = dynamic_cast<platform::MenuItem*>(sender);
    if (!chosen)
        if (auto* popUp = dynamic_cast<platform::PopUpButton*>(sender))
            chosen = popUp->selectedItem();
    if (!chosen)
        return;
    // Kept for the life of the choice: a sheet may hold it until the user answers.
    std::shared_ptr<platform::MenuItem> item = chosen->weak_from_this().lock();
    if (!item) {
        item = std::make_shared<platform::MenuItem>(chosen->title(), "presenceChanged:", "");
        item->setTag(chosen->tag());
    }

    if (featureOn("remote_presence_synchronization"))
        revertPresencePopUp();
    const long tag = item->tag();
    const long current = _presenceInfo ? static_cast<long>(_presenceInfo->status()) : -1;
    std::string question;
    if (tag == kSetCustomStatusTag) {
        openCustomPresenceSheet();
    } else if (tag == static_cast<long>(OVPresenceStatus::statusDoNotDisturb) && tag != current &&
               featureOn("dnd_state_reject_calls")) {
        question = QXLS("msg.phone.status.set_presence_to_dnd",
                        "When status is set to Do not disturb, you will not receive alerts for "
                        "calls and messages. Do you want to continue?");
    } else if (tag == static_cast<long>(OVPresenceStatus::statusNotAvailableForCalls) &&
               tag != current && featureOn("nafc_state_reject_calls")) {
        question = QXLS("msg.phone.status.set_presence_to_notavailableforcalls",
                        "When status is set to not available for calls, you will not receive "
                        "alerts for calls. Do you want to continue?");
    } else {
        applyPresenceItem(*item);
    }
    if (!question.empty()) {
        auto* window = theView() ? theView()->window() : nullptr;
        auto alert = platform::Alert::alert();
        alert->addButtonWithTitle(QXLS("msg.opt.dialog.button.yes", "Yes"));
        alert->addButtonWithTitle(QXLS("msg.opt.dialog.button.no", "No"));
        alert->setMessageText(QXLS("msg.opt.dialog.caption.warnings", "Warnings"));
        alert->setInformativeText(question);
        alert->setAlertStyle(platform::AlertStyle::Warning);
        _pendingPresenceItem = item;
        if (window) {
            std::weak_ptr<platform::Alert> weak = alert;
            alert->beginSheetModalForWindow(*window, [this, weak](int returnCode) {
                if (auto shown = weak.lock(); shown && shown->window()) {
                    SheetsTracker::sharedController().deRegisterSheet(shown->window(), this);
                    shown->window()->orderOut(nullptr);
                }
                _presenceAlertSheet.reset();
                presenceAlertDidEnd(returnCode);
            });
            if (platform::Panel* panel = alert->window(); panel && panel->isSheet()) {
                _presenceAlertSheet = panel->sharedWindow();
                SheetsTracker::sharedController().registerSheet(_presenceAlertSheet, this);
            }
        } else {
            presenceAlertDidEnd(alert->runModal());
        }
    }
    if (_presenceInfo)
        _presenceStateBeforeIdle = static_cast<int>(_presenceInfo->status());
}

void PrimaryModuleController::applyPresenceItem(platform::MenuItem& item) {
    // Remembered and published once, with the engine's word for the item's title.
    publishPresence(static_cast<int>(item.tag()), translatePresenceMessageReverse(item.title()));
}

void PrimaryModuleController::presenceAlertDidEnd(int returnCode) {
    const std::shared_ptr<platform::MenuItem> item = std::move(_pendingPresenceItem);
    _pendingPresenceItem.reset();
    if (!item)
        return;
    if (returnCode == platform::AlertFirstButtonReturn) {
        applyPresenceItem(*item);
        if (_presenceInfo)
            _presenceStateBeforeIdle = static_cast<int>(_presenceInfo->status());
        return;
    }
    revertPresencePopUp();
    if (item == _customStatusMenuItem && item->menu() && item->menu()->itemArray().back() == item) {
        item->setTag(_previousCustomPresenceStatus);
        if (auto* same = item->menu()->itemWithTag(_previousCustomPresenceStatus);
            same && same != item.get())
            item->setImage(same->image());
    }
    if (_presenceInfo)
        _presenceInfo->setMessage(
            translatePresenceMessageReverse(statusPopUp().titleOfSelectedItem()));
}

void PrimaryModuleController::publishPresence(int status, const std::string& message) {
    auto& defaults = platform::UserDefaults::standardUserDefaults();
    defaults.setInteger(kStatusDefault, status);
    defaults.setObject(kMessageDefault, platform::Value(message));
    if (!_presenceInfo)
        return;
    _presenceInfo->setStatus(status);
    _presenceInfo->setMessage(message);
    _presenceInfo->publish();
}

std::optional<std::string> PrimaryModuleController::getPresenceMessage(int status) const {
    for (const auto& item : statusPopUp().itemArray())
        if (!item->isSeparatorItem() && item->tag() == status)
            return item->title();
    return std::nullopt;
}

// The custom status sheet.

platform::MenuItem& PrimaryModuleController::ensureCustomStatusMenuItem() {
    if (!_customStatusMenuItem)
        _customStatusMenuItem = std::make_shared<platform::MenuItem>("", "presenceChanged:", "");
    // A menu rebuilt from empty has lost the item: it goes back at the end.
    if (!_customStatusMenuItem->menu())
        ToolbarController::sharedController().presenceMenu()->addItem(_customStatusMenuItem);
    _customStatusMenuItem->setEnabled(_presenceService && _presenceService->presenceAllowed());
    return *_customStatusMenuItem;
}

std::shared_ptr<platform::Image> PrimaryModuleController::customSheetImageForTag(long tag) const {
    const auto* item = _customPresencePopupButton->menu()->itemWithTag(tag);
    return item ? item->image() : nullptr;
}

void PrimaryModuleController::showCustomStatusMenuItem(const std::string& title, long tag) {
    platform::MenuItem& item = ensureCustomStatusMenuItem();
    item.setHidden(false);
    item.setTitle(title);
    item.setTag(tag);
    item.setImage(customSheetImageForTag(tag));
}

bool PrimaryModuleController::customPresenceSheetVisible() const {
    return _customPresenceSheetVisible || (_customPresenceSheetShowing && _customPresenceSheet &&
                                           _customPresenceSheet->isVisible());
}

void PrimaryModuleController::openCustomPresenceSheet() {
    revertPresencePopUp();
    _customPresenceTextField->setStringValue("");
    const long tag = _customStatusMenuItem ? _customStatusMenuItem->tag() : 0;
    if (!_customPresencePopupButton->selectItemWithTag(tag))
        _customPresencePopupButton->selectItemAtIndex(0);
    _previousCustomPresenceStatus = static_cast<int>(tag);
    if (_customStatusMenuItem && !_customStatusMenuItem->isHidden())
        _customPresenceTextField->setStringValue(_customStatusMenuItem->title());
    validateCustomPresenceText();
    auto* window = theView() ? theView()->window() : nullptr;
    if (!window)
        return;
    platform::Application::sharedApplication().activateIgnoringOtherApps(true);
    window->makeKeyAndOrderFront(nullptr);
    _customPresenceSheetShowing = true;
    platform::Application::sharedApplication().beginSheet(
        *_customPresenceSheet, *window, [this](int code) { customPresenceSheetDidEnd(code); });
    SheetsTracker::sharedController().registerSheet(_customPresenceSheet, this);
}

void PrimaryModuleController::customPresenceOK(platform::Object* /*sender*/) {
    if (_customPresenceSheetShowing)
        platform::Application::sharedApplication().endSheet(*_customPresenceSheet, 1);
}

void PrimaryModuleController::customPresenceCancel(platform::Object* /*sender*/) {
    if (_customPresenceSheetShowing)
        platform::Application::sharedApplication().endSheet(*_customPresenceSheet, -1);
}

void PrimaryModuleController::customPresenceSheetDidEnd(int returnCode) {
    _customPresenceSheetShowing = false;
    SheetsTracker::sharedController().deRegisterSheet(_customPresenceSheet.get(), this);
    _customPresenceSheet->orderOut(nullptr);
    const std::string text = platform::trimmedWhitespace(_customPresenceTextField->stringValue());
    platform::MenuItem* selected = _customPresencePopupButton->selectedItem();
    const long tag = selected ? selected->tag() : 0;
    if (returnCode == 1 && !text.empty()) {
        if (_presenceService) {
            const auto existing = _presenceService->getCustomPresences();
            auto custom =
                existing.empty() ? _presenceService->getNewPresenceInfo() : existing.front();
            custom->setStatus(static_cast<int>(tag));
            custom->setMessage(translatePresenceMessageReverse(text));
            _presenceService->setCustomPresences({custom});
        }
        showCustomStatusMenuItem(text, tag);
        presenceChanged(_customStatusMenuItem.get());
    } else if (returnCode == 1) {
        if (_presenceService)
            _presenceService->setCustomPresences({});
        statusPopUp().selectItemWithTag(tag);
        if (_customStatusMenuItem)
            _customStatusMenuItem->setHidden(true);
        presenceChanged(&statusPopUp());
    } else {
        revertPresencePopUp();
        if (_presenceInfo)
            _presenceInfo->setMessage(
                translatePresenceMessageReverse(statusPopUp().titleOfSelectedItem()));
    }
    // Asked of the toolbar each time: it makes the item anew when its menu changes kind.
    if (auto* setCustom = ToolbarController::sharedController().setCustomStatusMenuItem())
        setCustom->setState(platform::OffState);
    updateApplicationToolbar();
}

void PrimaryModuleController::customPresenceStatusChanged(platform::Object* /*sender*/) {
    validateCustomPresenceText();
}

void PrimaryModuleController::textChanged(const platform::Notification& /*notification*/) {
    validateCustomPresenceText();
}

void PrimaryModuleController::validateCustomPresenceText() {
    if (!_customPresenceTextField || !_customPresenceOKButton)
        return;
    const std::string text = platform::trimmedWhitespace(_customPresenceTextField->stringValue());
    bool taken = text == QXLS("msg.presence.status.idle", "Idle");
    if (!text.empty() && !taken)
        for (const auto& item : statusPopUp().itemArray())
            if (item != _customStatusMenuItem && item->isEnabled() && !item->isHidden() &&
                !item->isSeparatorItem() && item->title() == text) {
                taken = true;
                break;
            }
    _customPresenceOKButton->setEnabled(!taken);
}

// The engine's reports.

void PrimaryModuleController::selfPresenceChanged(const std::shared_ptr<OVSelfPresence>& presence) {
    _selfPresence = presence;
    if (!presence || applicationEnding())
        return;
    platform::PopUpButton& popUp = statusPopUp();
    if (!popUp.isEnabled()) {
        popUp.selectItemWithTitle(QXLS("msg.presence.status.offline", "Offline"));
        return;
    }
    if (featureOn("connectServiceEnabled"))
        ToolbarController::sharedController().updatePresenceMenuItems();
    const std::string& message = presence->message();
    const std::string title = translatePresenceMessage(
        message.empty() ? QXLS("msg.presence.status.available", "Available") : message);
    if (platform::MenuItem* item = popUp.itemWithTitle(title); item && !message.empty()) {
        if (item == _customStatusMenuItem.get() && item->isHidden())
            return;
        popUp.selectItem(item);
        return;
    }
    if (!featureOn("remote_presence_synchronization"))
        platform::Log("Something is wrong with the self presence update logic");
    if (_customStatusMenuItem && !message.empty()) {
        showCustomStatusMenuItem(title, static_cast<long>(presence->status()));
        if (auto* same = popUp.menu()->itemWithTag(static_cast<long>(presence->status()));
            same && same != _customStatusMenuItem.get())
            _customStatusMenuItem->setImage(same->image());
        popUp.selectItem(_customStatusMenuItem.get());
        return;
    }
    const auto* app = AppController::sharedAppController();
    if (app && app->isForceShutDown())
        return;
    const std::string available = featureOn("allow_pab")
                                      ? QXLS("msg.presence.status.connected", "Connected")
                                      : QXLS("msg.presence.status.available", "Available");
    platform::MenuItem* item = popUp.itemWithTitle(translatePresenceMessage(available));
    if (!item)
        return;
    publishPresence(static_cast<int>(item->tag()), item->title());
    popUp.selectItem(item);
}

// Idle auto-away.

void PrimaryModuleController::refreshIdleInterval() {
    if (_idleTimer) {
        _idleTimer->invalidate();
        _idleTimer->setDelegate(nullptr);
        auto stopped = std::move(_idleTimer);
        _idleTimer.reset();
        timerFinishedIdling(*stopped);
    }
    const auto phone = StartupService::instance().phoneService();
    const auto settings = phone ? phone->getPreferenceSettings() : nullptr;
    if (!settings)
        return;
    const auto application = settings->sub("preferences")->sub("application");
    if (!application->sub("enableIdleTimer")->boolSetting())
        return;
    auto minutes = application->sub("setIdleTimer");
    if (minutes->longSetting() == 0)
        minutes->setLongSetting(10, true);
    _idleTimer = NQSystemIdleTimer::initSystemIdleTimerWithTimeInterval(
        static_cast<double>(minutes->longSetting()) * 60.0, _idleTimeSource);
    _idleTimer->setDelegate(this);
}

void PrimaryModuleController::timerBeginsIdling(NQSystemIdleTimer& /*timer*/) {
    if (!_presenceService || !_presenceService->presenceAllowed() || !_presenceInfo)
        return;
    _presenceStateBeforeIdle = static_cast<int>(_presenceInfo->status());
    _presenceMessageBeforeIdle = _presenceInfo->message();
    if (_presenceStateBeforeIdle != 0) {
        // Not available: the presence stays as it is and the watch starts over.
        refreshIdleInterval();
        return;
    }
    if (auto* away = ToolbarController::sharedController().idleAwayMenuItem())
        away->setTitle(QXLS("msg.presence.status.idle", "Idle"));
    _presenceInfo->setStatus(kIdleStatus);
    if (_customStatusMenuItem && statusPopUp().selectedItem() == _customStatusMenuItem.get())
        _customStatusMenuItem->setImage(
            customSheetImageForTag(static_cast<long>(OVPresenceStatus::statusAway)));
    else
        _presenceInfo->setMessage(
            translatePresenceMessageReverse(QXLS("msg.presence.status.idle", "Idle")));
    _presenceInfo->publish();
}

void PrimaryModuleController::timerFinishedIdling(NQSystemIdleTimer& /*timer*/) {
    if (_presenceMessageBeforeIdle && _presenceInfo) {
        _presenceInfo->setStatus(_presenceStateBeforeIdle);
        if (_customStatusMenuItem && statusPopUp().selectedItem() == _customStatusMenuItem.get())
            _customStatusMenuItem->setImage(customSheetImageForTag(_presenceStateBeforeIdle));
        else
            _presenceInfo->setMessage(translatePresenceMessageReverse(*_presenceMessageBeforeIdle));
        _presenceInfo->publish();
    }
    _presenceMessageBeforeIdle.reset();
    if (auto* away = ToolbarController::sharedController().idleAwayMenuItem())
        away->setTitle(QXLS("msg.presence.status.away", "Away"));
}

void PrimaryModuleController::saveUserSetting() {
    if (!statusPopUp().isEnabled()) {
        auto& defaults = platform::UserDefaults::standardUserDefaults();
        defaults.removeObjectForKey(kStatusDefault);
        defaults.removeObjectForKey(kMessageDefault);
    }
    saveUserInterfaceStateUsingOVSettings();
}
