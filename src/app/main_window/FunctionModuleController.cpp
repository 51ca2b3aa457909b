#include "app/main_window/FunctionModuleController.h"

namespace {

std::unique_ptr<FunctionModuleController>& sharedInstance() {
    static std::unique_ptr<FunctionModuleController> controller;
    return controller;
}

} // namespace

FunctionModuleController& FunctionModuleController::sharedController() {
    auto& shared = sharedInstance();
    if (!shared)
        shared = std::make_unique<FunctionModuleController>();
    return *shared;
}

void FunctionModuleController::releaseSharedController() {
    sharedInstance().reset();
}

std::shared_ptr<platform::View> FunctionModuleController::theView() {
    if (!_theView) {
        _theView = std::make_shared<platform::View>(platform::Rect(0, 0, 320, 260));
        _theView->setAutoresizingMask(platform::ViewWidthSizable);
    }
    return _theView;
}
