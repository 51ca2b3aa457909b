#include "engine/PhoneStatusService.h"

#include "engine/EngineContext.h"
#include "engine/PhoneService.h"

void OVPhoneStatus::refresh() {
    if (context_) {
        value_ = PhoneStatusService::computeStatus(*context_);
    }
}

PhoneStatusService::PhoneStatusService(std::shared_ptr<EngineContext> context)
    : context_(std::move(context)), status_(std::make_shared<OVPhoneStatus>(context_)) {}

int PhoneStatusService::computeStatus(const EngineContext& context) {
    if (!context.started()) {
        return OVPhoneStatus::noAccounts;
    }
    if (!context.networkUp()) {
        return OVPhoneStatus::networkDown;
    }
    const auto phone = context.phone();
    if (!phone) {
        return OVPhoneStatus::noAccounts;
    }
    const auto& accounts = phone->getAccountService()->accounts();
    if (accounts.empty()) {
        return OVPhoneStatus::noAccounts;
    }
    int enabling = 0, enabled = 0, failed = 0;
    bool sipEnabled = false;
    for (const auto& account : accounts) {
        switch (account->status()) {
        case OVAccountStatus::statusEnabling:
            ++enabling;
            break;
        case OVAccountStatus::statusEnabled:
            ++enabled;
            sipEnabled = sipEnabled || account->protocol() == OVAccountProtocol::SIPprotocol;
            break;
        case OVAccountStatus::statusFailed:
            ++failed;
            break;
        default:
            break;
        }
    }
    if (enabling > 0) {
        return enabled > 0 ? OVPhoneStatus::partiallyEnabled : OVPhoneStatus::enabling;
    }
    if (enabled > 0 && failed > 0) {
        return OVPhoneStatus::partialFailure;
    }
    if (enabled > 0) {
        return sipEnabled ? OVPhoneStatus::ready : OVPhoneStatus::noSipAccount;
    }
    if (failed > 0) {
        return OVPhoneStatus::failed;
    }
    return OVPhoneStatus::noneEnabled;
}

void PhoneStatusService::update() {
    if (!context_) {
        return;
    }
    const int value = computeStatus(*context_);
    if (value == status_->value()) {
        return;
    }
    status_->setValue(value);
    notifyDelegates([&](OVPhoneStatusServicePro& d) { d.phoneStatusChange(status_); });
}
