#include "app/main_window/PrimaryModuleController.h"
#include "engine/OVDeskphoneService.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/RunLoop.h"
#include "platform/kit/Application.h"
#include "platform/kit/Button.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/TextField.h"
#include "platform/kit/TextView.h"
#include "support/Localization.h"
#include "support/StringExtensions.h"
#include "support/TextExtensions.h"

namespace {

// One message display at a time in the whole process; one asked for meanwhile comes later.
bool displayInProgress = false;

} // namespace

void PrimaryModuleController::setStatusMessage(const platform::AttributedString& message) {
    _statusMessage = message;
    displayMessage();
}

void PrimaryModuleController::dismissMessage(platform::Object* /*sender*/) {
    _firstStatusMessageReset = false;
    setStatusMessage(platform::AttributedString());
}

void PrimaryModuleController::displayMessage() {
    if (!_messageView || !_messageTextView)
        return;
    if (displayInProgress) {
        platform::Timer::scheduledTimerWithTimeInterval(0.1, false, [](platform::Timer&) {
            PrimaryModuleController::sharedController().displayMessage();
        });
        return;
    }
    displayInProgress = true;
    struct Done {
        ~Done() { displayInProgress = false; }
    } done;

    platform::AttributedString text;
    if (!_statusMessage.string().empty()) {
        text = _statusMessage;
        text.appendAttributedString(platform::AttributedString("\n", {}));
    }
    const bool dismissVisible = _dismissMessageButton && !_dismissMessageButton->isHidden();
    if (_firstStatusMessageReset && dismissVisible && text.string().empty()) {
        // The first message after the start stays 2 seconds after it was emptied.
        if (_messageTimer)
            _messageTimer->invalidate();
        _messageTimer =
            platform::Timer::scheduledTimerWithTimeInterval(2.0, false, [this](platform::Timer&) {
                _firstStatusMessageReset = false;
                auto keep = _messageTimer;
                _messageTimer.reset();
                setStatusMessage(platform::AttributedString());
            });
        return;
    }
    if (text.string().empty() && !dismissVisible)
        return;
    if (_messageTimer) {
        _messageTimer->invalidate();
        _messageTimer.reset();
    }
    if (text.string().empty()) {
        removeView(_messageView);
        return;
    }
    addView(_messageView, 1);
    const platform::Size size =
        OrvantaExtensions::sizeForWidth(text, _messageTextView->frame().width(), 999.0);
    adjustHeightForView(*_messageView, size.height + 15.0);
    _messageTextView->setString(text.string());
}

bool PrimaryModuleController::statusMessageLinkClicked(std::string_view link) {
    auto& application = platform::Application::sharedApplication();
    auto contains = [&](std::string_view name) {
        return link.find(name) != std::string_view::npos;
    };
    // The preferences, the account retry and the friend finder are the application
    // controller's commands; the links send the same actions along the responder chain so both
    // roads behave alike.
    if (contains("viewAccount")) {
        application.sendAction("openPreferenceAccountTab:", nullptr, this);
    } else if (contains("retryAccount")) {
        application.sendAction("retryAccounts:", nullptr, this);
    } else if (contains("retryDeskphone")) {
        const auto phone = StartupService::instance().phoneService();
        if (const auto deskphone = phone ? phone->getDeskphoneService() : nullptr)
            deskphone->connect();
    } else if (contains("configureDeskphone")) {
        application.sendAction("openPreferenceDeviceTab:", nullptr, this);
    } else if (contains("findFriends")) {
        application.sendAction("findFriends:", nullptr, this);
    }
    return true;
}

void PrimaryModuleController::accountChanged() {
    if (!_accountInUseTextField)
        return;
    auto phone = StartupService::instance().phoneService();
    std::string line;
    if (phone) {
        int enabled = 0;
        for (const auto& account : phone->getAccountService()->accounts())
            if (account->isFeatureEnabled(OVAccountFeature::featureCall) &&
                account->status() == OVAccountStatus::statusEnabled)
                ++enabled;
        const auto forCall = phone->getConversationService()->accountForCall();
        if (forCall && enabled >= 2)
            line = platform::formatString(QXLS("msg.accountForCalls", "Account for calls: %@"),
                                          forCall->accountName());
    }
    _accountInUseTextField->setStringValue(line);
}

void PrimaryModuleController::toggleAccountForCall(platform::MenuItem* item) {
    auto phone = StartupService::instance().phoneService();
    if (!item || !phone || !_accountInUseTextField)
        return;
    auto account = std::dynamic_pointer_cast<OVAccount>(item->representedObject().object());
    phone->getConversationService()->setAccountForCall(account);
    _accountInUseTextField->setStringValue(
        account ? platform::formatString(QXLS("msg.accountForCalls", "Account for calls: %@"),
                                         account->accountName())
                : std::string());
}
