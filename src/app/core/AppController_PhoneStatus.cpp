#include "app/core/AppController.h"
#include "app/core/Features.h"
#include "app/main_window/PrimaryModuleController.h"
#include "engine/OVConnectService.h"
#include "engine/PhoneService.h"
#include "engine/PhoneStatusService.h"
#include "engine/PresenceService.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Font.h"
#include "support/Localization.h"
#include "support/Notifications.h"
#include "support/TextExtensions.h"

namespace {

// How long the ready message stays before it clears itself.
constexpr platform::TimeInterval readyMessageDuration = 5.0;

bool isEnabledOrEnabling(const OVAccount& account) {
    return account.status() == OVAccount::statusEnabled ||
           account.status() == OVAccount::statusEnabling;
}

// The name the user gave the account, from its settings.
std::string settingsName(const OVAccount& account) {
    const auto settings = account.getSettings();
    if (!settings) {
        return {};
    }
    const char* kind = account.protocol() == OVAccount::XMPPprotocol ? "xmppAccount" : "sipAccount";
    return settings->sub(kind)->sub("account")->sub("accountName")->stringSetting();
}

std::string failureReason(OVAccountFailureCause cause) {
    switch (cause) {
    case OVAccountFailureCause::failureCredentials:
        return QXLS("msg.phone.status.failure_credentials",
                    "Verify your user ID, password and/or authorization name.");
    case OVAccountFailureCause::failureConnectionError:
        return QXLS("msg.phone.status.failure_connection_error",
                    "Verify your server addresses or contact your administrator.");
    case OVAccountFailureCause::failureServerNotFound:
        return QXLS("msg.phone.status.failure_server_notfound",
                    "Server not found. Verify your network data.");
    default:
        return {};
    }
}

// The header followed by a name line and a reason line for every account that failed.
std::string failureDetails(std::string text, const AccountService* accounts) {
    if (!accounts) {
        return text;
    }
    for (const auto& account : accounts->accounts()) {
        if (!account) {
            continue;
        }
        std::string reason;
        if (account->sipFailureCode() > 0) {
            reason = platform::formatString(QXLS("msg.phone.status.tryAgainLater",
                                                 "Problem at server, error %i. Try again later."),
                                            account->sipFailureCode());
        } else if (account->failureCause() == OVAccountFailureCause::failureNone) {
            continue;
        } else {
            reason = failureReason(account->failureCause());
        }
        const std::string nameLine = platform::formatString(
            QXLS("msg.phone.status.accountFailedToEnable", "Account: %@ could not be enabled."),
            settingsName(*account));
        text = text.empty() ? platform::formatString("%@\n%@", nameLine, reason)
                            : platform::formatString("%@\n%@\n%@", text, nameLine, reason);
    }
    return text;
}

} // namespace

void AppController::updatePhoneStatusMessage() {
    if (!_accountService && _phoneService) {
        _accountService = _phoneService->getAccountService();
        if (_accountService) {
            _accountService->setDelegate(this);
        }
    }
    platform::AttributedString message;
    if (_hideStatusMessageTimer) {
        _hideStatusMessageTimer->invalidate();
        _hideStatusMessageTimer.reset();
    }

    // Sign-in hands the services over; until then they are read from the phone service.
    const auto statusService = _phoneStatusService ? _phoneStatusService
                               : _phoneService     ? _phoneService->getPhoneStatusService()
                                                   : nullptr;
    const auto connectService = _connectService ? _connectService
                                : _phoneService ? _phoneService->getConnectService()
                                                : nullptr;
    const long status =
        statusService && statusService->status() ? statusService->status()->value() : 0;
    platform::Log(platform::formatString("Phone Status: %ld ", status));

    const auto makeFirstActiveAccountReport = [this] {
        if (!_accountService) {
            return;
        }
        for (const auto& account : _accountService->accounts()) {
            if (account && isEnabledOrEnabling(*account)) {
                account->setDelegate(this);
                break;
            }
        }
    };
    const bool severalAccounts = _accountService && _accountService->viewableAccountCount() > 1;

    switch (status) {
    case OVPhoneStatus::ready: {
        platform::NotificationCenter::defaultCenter().postNotificationName(
            ContactListRefreshNotification, this);
        makeFirstActiveAccountReport();
        const bool noDefaultAccount =
            !_accountService || (!_accountService->defaultAccount(OVAccount::featureCall) &&
                                 !_accountService->defaultAccount(OVAccount::featurePresence));
        if (noDefaultAccount) {
            message = platform::AttributedString(
                QXLS("msg.service_availability.conversation_service.reason.account_not_ready",
                     "Account is not ready..."));
        } else {
            message = platform::AttributedString(
                severalAccounts ? QXLS("msg.phone.status.enabled",
                                       "All accounts are enabled. The phone is ready.")
                                : QXLS("msg.phone.status.enabledOneAccount",
                                       "Account enabled. The phone is ready."));
            _hideStatusMessageTimer = platform::Timer::scheduledTimerWithTimeInterval(
                readyMessageDuration, false,
                [this](platform::Timer& timer) { hideMessageAreaDelayCallback(timer); });
        }
        break;
    }
    case OVPhoneStatus::noAccounts:
    case OVPhoneStatus::noneEnabled:
        if (connectService && connectService->isConnected()) {
            break;
        }
        if (_hibernationSuspend) {
            message = platform::AttributedString(
                QXLS("msg.phone.status.hibernationSuspend",
                     "No accounts are registered. System is going into sleep mode"));
        } else if (featureOn("show_account_settings_link")) {
            message = platform::AttributedString(
                QXLS("msg.phone.status.allaccountdisabled",
                     "No accounts are enabled. To setup an account, go to Preferences > "));
            message.appendAttributedString(OrvantaExtensions::hyperlinkFromString(
                QXLS("msg.phone.status.allaccountdisabled2", "Account settings"), "viewAccount"));
        } else {
            message = platform::AttributedString(
                QXLS("msg.phone.status.allaccountdisabled.short", "No accounts are enabled."));
        }
        if (featureOn("presenceEnabled")) {
            const auto presence = _presenceService ? _presenceService
                                  : _phoneService  ? _phoneService->getPresenceService()
                                                   : nullptr;
            if (const auto self = presence ? presence->getSelfPresence() : nullptr) {
                self->setStatus(0);
                self->setMessage("Available");
                self->publish();
            }
        }
        break;
    case OVPhoneStatus::enabling:
        message = platform::AttributedString(
            QXLS("msg.phone.status.enabling", "Enabling account, please wait..."));
        break;
    case OVPhoneStatus::partiallyEnabled:
        message = platform::AttributedString(QXLS(
            "msg.phone.status.partiallyEnabled", "Accounts are partially enabled, please wait..."));
        break;
    case OVPhoneStatus::noSipAccount:
        message = platform::AttributedString(
            QXLS("msg.phone.status.nosipaccount",
                 "There are no SIP accounts enabled, you cannot make a call."));
        makeFirstActiveAccountReport();
        break;
    case OVPhoneStatus::networkDown:
        message = platform::AttributedString(QXLS("msg.phone.status.networkdown", "Network Down."));
        break;
    case OVPhoneStatus::partialFailure:
    case OVPhoneStatus::failed: {
        std::string header;
        if (status == OVPhoneStatus::partialFailure) {
            header = QXLS("msg.phone.status.partialEnablingFailure",
                          "Accounts partially enabled. Some accounts have failed to be enabled\n");
        } else if (severalAccounts) {
            header = QXLS("msg.phone.status.allAccountsFailed", "All accounts failed to enable\n");
        } else {
            header = QXLS("msg.phone.status.accountFailed", "Account failed to enable\n");
        }
        const std::string details = failureDetails(std::move(header), _accountService.get());
        message = platform::AttributedString(platform::formatString("%@\n", details));
        if (featureOn("account_settings")) {
            message.appendAttributedString(OrvantaExtensions::hyperlinkFromString(
                QXLS("msg.phone.status.account.open", "\nClick here to open Account Preferences"),
                "viewAccount"));
        }
        message.appendAttributedString(OrvantaExtensions::hyperlinkFromString(
            QXLS("msg.phone.status.account.retry", "\nClick here to retry"), "retryAccount"));
        break;
    }
    default:
        break;
    }

    if (message.empty()) {
        message = platform::AttributedString(_conversationServiceAvailabilityMessage);
    }
    if (!message.empty()) {
        const platform::TextRange whole{0, message.length()};
        platform::TextAttributes font;
        font.font = platform::Font::fontWithName("Lucida Grande", 11);
        message.addAttributes(font, whole);
        message.setAlignment(platform::TextAlignment::Center, whole);
    }
    PrimaryModuleController::sharedController().setStatusMessage(message);
}

void AppController::hideMessageAreaDelayCallback(platform::Timer& timer) {
    timer.invalidate();
    _hideStatusMessageTimer.reset();
    PrimaryModuleController::sharedController().setStatusMessage(platform::AttributedString());
}

void AppController::detachPhoneStatusMessage() {
    if (_hideStatusMessageTimer) {
        _hideStatusMessageTimer->invalidate();
        _hideStatusMessageTimer.reset();
    }
    if (_accountService) {
        _accountService->removeDelegate(this);
        for (const auto& account : _accountService->accounts()) {
            if (account) {
                account->removeDelegate(this);
            }
        }
    }
}
