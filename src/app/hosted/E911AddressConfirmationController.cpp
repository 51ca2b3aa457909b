#include "app/hosted/E911AddressConfirmationController.h"

#include <memory>

namespace {

std::unique_ptr<E911AddressConfirmationController>& sharedInstance() {
    static std::unique_ptr<E911AddressConfirmationController> controller;
    return controller;
}

} // namespace

E911AddressConfirmationController& E911AddressConfirmationController::instance() {
    auto& shared = sharedInstance();
    if (!shared) {
        shared = std::make_unique<E911AddressConfirmationController>();
    }
    return *shared;
}

void E911AddressConfirmationController::releaseInstance() {
    sharedInstance().reset();
}
