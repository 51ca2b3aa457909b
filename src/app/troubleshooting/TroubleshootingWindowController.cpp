#include "app/troubleshooting/TroubleshootingWindowController.h"

#include "app/core/Features.h"
#include "app/preferences/PlaceholderPane.h"
#include "engine/StartupService.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Font.h"
#include "platform/kit/InterfaceDefinition.h"
#include "platform/kit/TextField.h"
#include "platform/kit/View.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"
#include "support/Localization.h"
#include "support/Notifications.h"

#include <memory>

namespace {

std::unique_ptr<TroubleshootingWindowController>& sharedInstance() {
    static std::unique_ptr<TroubleshootingWindowController> controller;
    return controller;
}

void registerTroubleshootingInterfaceDefinition() {
    if (platform::InterfaceDefinition::isRegistered(TroubleshootingWindowController::nibName()))
        return;
    platform::InterfaceDefinition::registerDefinition(
        std::string(TroubleshootingWindowController::nibName()),
        [](platform::InterfaceDefinitionLoad& load) {
            auto window = platform::make<platform::Window>(platform::Rect(0, 0, 480, 300),
                                                           platform::TitledWindowMask |
                                                               platform::ClosableWindowMask |
                                                               platform::MiniaturizableWindowMask);
            window->setTitle(QXLS("msg.troubleshooting.title", "Troubleshooting"));
            window->setReleasedWhenClosed(false);
            load.addTopLevelObject(window);
            if (auto* owner = dynamic_cast<QXPrefWindowController*>(load.owner()))
                owner->setWindow(window);
        });
}

} // namespace

TroubleshootingWindowController&
TroubleshootingWindowController::sharedTroubleshootingWindowController() {
    auto& shared = sharedInstance();
    if (!shared)
        shared = std::make_unique<TroubleshootingWindowController>();
    return *shared;
}

bool TroubleshootingWindowController::sharedControllerExists() {
    return sharedInstance() != nullptr;
}

void TroubleshootingWindowController::releaseSharedController() {
    if (auto& shared = sharedInstance()) {
        shared->close();
        shared.reset();
    }
}

TroubleshootingWindowController::TroubleshootingWindowController() {
    registerTroubleshootingInterfaceDefinition();
    platform::NotificationCenter::defaultCenter().addObserver(
        this, SendDiagnosticLogNotification, nullptr,
        [this](const platform::Notification&) { sendDiagnosticLog(); });
}

TroubleshootingWindowController::~TroubleshootingWindowController() {
    platform::NotificationCenter::defaultCenter().removeObserver(this);
}

void TroubleshootingWindowController::setupToolbar() {
    auto add = [this](const std::string& identifier, const std::string& label) {
        addViewController(std::make_shared<PlaceholderPane>(label), identifier, label);
    };
    add("Audio", QXLS("msg.troubleshooting.audio.caption", "Audio"));
    if (featureOn("allow_video"))
        add("Video", QXLS("msg.video.caption", "Video"));
    add("Devices", QXLS("msg.troubleshooting.devices.caption", "Devices"));
    if (featureOn("loggingEnabled"))
        add("Diagnostics", QXLS("msg.troubleshooting.diagnostics.caption", "Diagnostics"));
}

void TroubleshootingWindowController::close() {
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

void TroubleshootingWindowController::sendDiagnosticLog() {
    // The engine keeps the log; sending it to support is the engine's upload, which the
    // simulated engine does not have, so the request is recorded.
    ++_diagnosticLogsSent;
    platform::Log("Troubleshooting: diagnostic log handed over for sending");
}
