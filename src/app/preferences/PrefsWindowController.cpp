#include "app/preferences/PrefsWindowController.h"

#include "app/core/Features.h"
#include "app/preferences/PlaceholderPane.h"
#include "engine/StartupService.h"
#include "platform/graphics/Font.h"
#include "platform/kit/TextField.h"
#include "platform/kit/View.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"
#include "support/Localization.h"

#include <memory>

namespace {

std::unique_ptr<PrefsWindowController>& sharedInstance() {
    static std::unique_ptr<PrefsWindowController> controller;
    return controller;
}

} // namespace

PrefsWindowController& PrefsWindowController::sharedPreferncesWindowController() {
    auto& shared = sharedInstance();
    if (!shared)
        shared = std::make_unique<PrefsWindowController>();
    return *shared;
}

bool PrefsWindowController::sharedControllerExists() {
    return sharedInstance() != nullptr;
}

void PrefsWindowController::releaseSharedController() {
    if (auto& shared = sharedInstance()) {
        shared->close();
        shared.reset();
    }
}

void PrefsWindowController::setupToolbar() {
    setHorizontalResize(true);
    auto add = [this](const std::string& identifier, const std::string& label) {
        addViewController(std::make_shared<PlaceholderPane>(label), identifier, label);
    };
    if (featureOn("account_settings"))
        add("Accounts", QXLS("msg.preferences.accounts.caption", "Accounts"));
    add("Devices", QXLS("msg.preferences.devices.caption", "Devices"));
    if (featureOn("transfersEnabled"))
        add("QuickTransfer", QXLS("msg.preferences.quicktransfer.caption", "Quick Transfer"));
    add("Advanced", QXLS("msg.preferences.advanced.caption", "Advanced"));
}

void PrefsWindowController::close() {
    if (!isWindowLoaded())
        return;
    platform::Window* window = this->window();
    if (window->delegate() == this)
        window->setDelegate(nullptr);
    if (platform::Window* sheet = window->attachedSheet())
        platform::WindowServer::shared().endSheet(*sheet, 0);
    hideCurrentView();
    window->close();
}
