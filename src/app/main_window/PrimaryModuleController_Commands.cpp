#include "app/calls/CallModuleController.h"
#include "app/calls/VideoWindow.h"
#include "app/core/AppController.h"
#include "app/main_window/DialpadViewController.h"
#include "app/main_window/DialpadWindowController.h"
#include "app/main_window/FunctionModuleController.h"
#include "app/main_window/PrimaryModuleController.h"
#include "app/main_window/ToolbarController.h"
#include "engine/AccountService.h"
#include "engine/ConversationService.h"
#include "engine/PhoneService.h"
#include "engine/PresenceService.h"
#include "engine/StartupService.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Button.h"
#include "platform/kit/MenuItem.h"
#include "support/Notifications.h"
#include "support/PresenceMessageTranslator.h"

namespace {

// The state a toggle's sender asks for: a button's or menu item's own state.
bool senderIsOn(platform::Object* sender) {
    if (auto* button = dynamic_cast<platform::Button*>(sender))
        return button->state() == platform::OnState;
    if (auto* item = dynamic_cast<platform::MenuItem*>(sender))
        return item->state() == platform::OnState;
    return false;
}

void updateToolbar() {
    if (auto* controller = AppController::sharedAppController())
        controller->updateToolbar();
}

} // namespace

void PrimaryModuleController::toggleDialpad(platform::Object* sender) {
    _performedCommands.emplace_back("toggleDialpad:");
    const bool show = senderIsOn(sender);
    auto* app = AppController::sharedAppController();
    // The brand's "attachToMainWindow" on means the floating window beside the main window.
    const bool floating = app && app->brandDict()["Dialpad"]["attachToMainWindow"].boolValue();
    if (floating) {
        if (show)
            DialpadWindowController::sharedController().showWindow(sender);
        else if (DialpadWindowController::dialpadExist())
            DialpadWindowController::sharedController().close();
    } else if (show) {
        if (!_dockedDialpad) {
            _dockedDialpad = std::make_shared<DialpadViewController>();
            addView(_dockedDialpad->view(), 100);
        }
    } else if (_dockedDialpad) {
        removeView(_dockedDialpad->view());
        _dockedDialpad.reset();
    }
    const bool callTookFocus =
        CallModuleController::sharedControllerExists() &&
        CallModuleController::sharedController().makeCallViewFirstResponder();
    if (!callTookFocus && app)
        app->setCallEntryFieldFocus();
}

void PrimaryModuleController::toggleSpeakerPhone(platform::Object* sender) {
    _performedCommands.emplace_back("toggleSpeakerPhone:");
    const bool on = senderIsOn(sender);
    if (auto phone = StartupService::instance().phoneService())
        phone->enableSpeaker(on);
    platform::Value::Dictionary info;
    info.emplace(std::string(SpeakerPhoneEnabled), platform::Value(on));
    platform::NotificationCenter::defaultCenter().postNotificationName(
        SpeakerPhoneEnabledNotification, nullptr, platform::Value(std::move(info)));
}

void PrimaryModuleController::toggleVideo(platform::Object* sender) {
    _performedCommands.emplace_back("toggleVideo:");
    ToolbarController::sharedController().setupToolbarVideoButton();
    VideoWindow& window = VideoWindow::sharedVideoWindow();
    // A button asks for the state it shows; anything else (a menu item) turns the window over.
    const auto* button = dynamic_cast<platform::Button*>(sender);
    const bool show = button ? button->state() == platform::OnState : !window.isVisible();
    if (show) {
        window.orderFront(sender);
        window.makeKeyWindow();
    } else {
        window.close();
    }
    if (AppController* app = AppController::sharedAppController())
        app->updateToolbar();
}

void PrimaryModuleController::toggleDeskphone(platform::Object* /*sender*/) {
    _performedCommands.emplace_back("toggleDeskphone:");
    if (auto calls = conversationService()) {
        calls->setUseDeskphone(!calls->usingDeskphone());
        updateToolbar();
    }
}

void PrimaryModuleController::voiceMailPressed(platform::Object* /*sender*/) {
    _performedCommands.emplace_back("voiceMailPressed:");
}

void PrimaryModuleController::missedCallsPressed(platform::Object* /*sender*/) {
    _performedCommands.emplace_back("missedCallsPressed:");
    if (auto phone = StartupService::instance().phoneService())
        phone->getCallHistoryService()->setReviewedAll();
    FunctionModuleController::sharedController().displayTab("history", true);
}

void PrimaryModuleController::togglAnonymousCalling(platform::Object* /*sender*/) {
    _performedCommands.emplace_back("togglAnonymousCalling:");
    if (auto calls = conversationService()) {
        calls->setAnonymous(!calls->anonymous());
        updateToolbar();
    }
}

void PrimaryModuleController::togglAutoAnswer(platform::Object* /*sender*/) {
    _performedCommands.emplace_back("togglAutoAnswer:");
    if (auto calls = conversationService()) {
        calls->setAutoAnswer(!calls->autoAnswer());
        updateToolbar();
    }
}

void PrimaryModuleController::togglLettersToNumbers(platform::Object* /*sender*/) {
    _performedCommands.emplace_back("togglLettersToNumbers:");
    if (auto calls = conversationService()) {
        calls->setLettersToNumbers(!calls->lettersToNumbers());
        updateToolbar();
    }
}

std::optional<bool> PrimaryModuleController::validateToggle(platform::MenuItem& item) const {
    const std::string& action = item.action();
    const auto calls = conversationService();
    auto show = [&](bool on) { item.setState(on ? platform::OnState : platform::OffState); };
    if (action == "togglAnonymousCalling:" || action == "togglAutoAnswer:" ||
        action == "togglLettersToNumbers:") {
        if (!calls)
            return false;
        show(action == "togglAnonymousCalling:" ? calls->anonymous()
             : action == "togglAutoAnswer:"     ? calls->autoAnswer()
                                                : calls->lettersToNumbers());
        return calls->isAvailable();
    }
    if (action == "toggleDeskphone:") {
        if (!calls)
            return false;
        show(calls->usingDeskphone());
        const auto phone = StartupService::instance().phoneService();
        if (!phone)
            return false;
        auto node = phone->getPreferenceSettings()->existingSub("preferences");
        node = node ? node->existingSub("devices") : nullptr;
        node = node ? node->existingSub("deskphoneSubscriptionUri") : nullptr;
        const auto account = phone->getAccountService()->defaultAccount(OVAccount::featureCall);
        return node && !node->stringSetting().empty() && account &&
               account->status() == OVAccount::statusEnabled;
    }
    return std::nullopt;
}

std::shared_ptr<ConversationService> PrimaryModuleController::conversationService() const {
    const auto phone = StartupService::instance().phoneService();
    return phone ? phone->getConversationService() : nullptr;
}
