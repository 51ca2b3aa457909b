#include "app/main_window/DialpadWindowController.h"

#include "app/main_window/DialpadViewController.h"
#include "engine/StartupService.h"

#include <memory>

namespace {

std::unique_ptr<DialpadWindowController>& sharedInstance() {
    static std::unique_ptr<DialpadWindowController> controller;
    return controller;
}

} // namespace

bool DialpadWindowController::dialpadExist() {
    return sharedInstance() != nullptr;
}

DialpadWindowController& DialpadWindowController::sharedController() {
    auto& shared = sharedInstance();
    if (!shared) {
        shared = std::make_unique<DialpadWindowController>();
    }
    return *shared;
}

void DialpadWindowController::releaseSharedController() {
    sharedInstance().reset();
}

void DialpadWindowController::showWindow(platform::Object* /*sender*/) {
    if (!dialpad_)
        dialpad_ = std::make_shared<DialpadViewController>();
    visible_ = true;
}

void DialpadWindowController::close() {
    visible_ = false;
    dialpad_.reset();
    // The next use builds a fresh one.
    releaseSharedController();
}

std::shared_ptr<PhoneStatusService> DialpadWindowController::phoneStatusService() const {
    const auto phone = StartupService::instance().phoneService();
    return phone ? phone->getPhoneStatusService() : nullptr;
}
