#include "app/main_window/PrimaryModuleController.h"

#include "support/PresenceExtensions.h"

namespace {

std::unique_ptr<PrimaryModuleController>& sharedInstance() {
    static std::unique_ptr<PrimaryModuleController> controller;
    return controller;
}

} // namespace

PrimaryModuleController& PrimaryModuleController::sharedController() {
    auto& shared = sharedInstance();
    if (!shared)
        shared = std::make_unique<PrimaryModuleController>();
    return *shared;
}

void PrimaryModuleController::releaseSharedController() {
    sharedInstance().reset();
}

std::shared_ptr<platform::View> PrimaryModuleController::theView() {
    if (!_theView) {
        _theView = std::make_shared<platform::View>(platform::Rect(0, 0, 320, 80));
        _theView->setAutoresizingMask(platform::ViewWidthSizable);
    }
    return _theView;
}

std::optional<std::string> PrimaryModuleController::getPresenceMessage(int status) const {
    // The presence menu offers the statuses from available (0) to offline (7), each titled
    // with its status text.
    if (status < 0 || status > 7)
        return std::nullopt;
    return OrvantaExtensions::string(static_cast<OVPresenceStatus>(status));
}
