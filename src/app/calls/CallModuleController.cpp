#include "app/calls/CallModuleController.h"

namespace {

std::unique_ptr<CallModuleController>& sharedInstance() {
    static std::unique_ptr<CallModuleController> controller;
    return controller;
}

} // namespace

CallModuleController& CallModuleController::sharedController() {
    auto& shared = sharedInstance();
    if (!shared)
        shared = std::make_unique<CallModuleController>();
    return *shared;
}

void CallModuleController::releaseSharedController() {
    sharedInstance().reset();
}

std::shared_ptr<platform::View> CallModuleController::theView() {
    if (!_theView) {
        _theView = std::make_shared<platform::View>(platform::Rect(0, 0, 320, 60));
        _theView->setAutoresizingMask(platform::ViewWidthSizable);
    }
    return _theView;
}
