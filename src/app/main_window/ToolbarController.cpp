#include "app/main_window/ToolbarController.h"

#include <memory>

namespace {

std::unique_ptr<ToolbarController>& sharedInstance() {
    static std::unique_ptr<ToolbarController> controller;
    return controller;
}

} // namespace

ToolbarController& ToolbarController::sharedController() {
    auto& shared = sharedInstance();
    if (!shared) {
        shared = std::make_unique<ToolbarController>();
    }
    return *shared;
}

void ToolbarController::releaseSharedController() {
    sharedInstance().reset();
}

void ToolbarController::updateToolbar() {
    ++updateCount_;
}
