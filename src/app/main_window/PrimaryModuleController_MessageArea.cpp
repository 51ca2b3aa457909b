#include "app/main_window/PrimaryModuleController.h"
#include "engine/OVDeskphoneService.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"
#include "platform/kit/Application.h"

void PrimaryModuleController::setStatusMessage(const platform::AttributedString& message) {
    _statusMessage = message;
}

bool PrimaryModuleController::statusMessageLinkClicked(std::string_view action) {
    auto& application = platform::Application::sharedApplication();
    // The preferences and the account retry are the application controller's menu commands;
    // the links send the same actions along the responder chain so both roads behave alike.
    if (action == "viewAccount") {
        return application.sendAction("openPreferenceAccountTab:", nullptr, this);
    }
    if (action == "retryAccount") {
        return application.sendAction("retryAccounts:", nullptr, this);
    }
    if (action == "configureDeskphone") {
        return application.sendAction("openPreferenceDeviceTab:", nullptr, this);
    }
    if (action == "retryDeskphone") {
        const auto phone = StartupService::instance().phoneService();
        const auto deskphone = phone ? phone->getDeskphoneService() : nullptr;
        if (!deskphone) {
            return false;
        }
        deskphone->connect();
        return true;
    }
    return false;
}
