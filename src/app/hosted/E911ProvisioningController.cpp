#include "app/hosted/E911ProvisioningController.h"

#include <memory>

namespace {

std::unique_ptr<E911ProvisioningController>& sharedInstance() {
    static std::unique_ptr<E911ProvisioningController> controller;
    return controller;
}

} // namespace

E911ProvisioningController& E911ProvisioningController::instance() {
    auto& shared = sharedInstance();
    if (!shared) {
        shared = std::make_unique<E911ProvisioningController>();
    }
    return *shared;
}

void E911ProvisioningController::releaseInstance() {
    sharedInstance().reset();
}
