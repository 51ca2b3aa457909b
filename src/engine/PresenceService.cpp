#include "engine/PresenceService.h"

#include "engine/EngineContext.h"
#include "engine/PhoneService.h"

void OVSelfPresence::publish() {
    if (!context_) {
        return;
    }
    const auto status = status_;
    const auto message = message_;
    auto self = this;
    auto phone = context_->phone();
    std::weak_ptr<PresenceService> presence = phone ? phone->getPresenceService() : nullptr;
    context_->backend()->publishPresence(status, message,
                                         context_->guard([self, presence, status, message] {
                                             // The presence lives as long as its service, which the
                                             // engine keeps.
                                             if (auto service = presence.lock()) {
                                                 self->publishedStatus_ = status;
                                                 self->publishedMessage_ = message;
                                                 service->selfPresencePublished();
                                             }
                                         }));
}

void OVSelfPresence::reset() {
    status_ = OVPresenceStatus::statusAvailable;
    message_.clear();
    publishedStatus_.reset();
    publishedMessage_.clear();
}

PresenceService::PresenceService(std::shared_ptr<EngineContext> context)
    : context_(std::move(context)), selfPresence_(std::make_shared<OVSelfPresence>(context_)) {}

bool PresenceService::presenceAllowed() const {
    if (!context_ || !context_->started()) {
        return false;
    }
    auto phone = context_->phone();
    return phone &&
           phone->getAccountService()->defaultAccount(OVAccountFeature::featurePresence) != nullptr;
}

void PresenceService::selfPresencePublished() {
    notifyDelegates([&](OVPresenceServicePro& d) { d.selfPresenceUpdated(selfPresence_); });
}

void PresenceService::contactPresenceChanged(const std::string& address, OVPresenceStatus status,
                                             const std::string& message) {
    auto phone = context_ ? context_->phone() : nullptr;
    if (!phone) {
        return;
    }
    auto protocol = OVAccountProtocol::SIPprotocol;
    std::vector<std::shared_ptr<Toast>> toasts;
    for (const auto& contact : phone->getContactManager()->lookup("", address, "")) {
        auto jid = contact->getFieldByName(OVFieldNames::fieldJidAddr);
        if (jid && OVEntity::sameAddress(jid->valueStr(), address)) {
            protocol = OVAccountProtocol::XMPPprotocol;
        }
        const auto presence = contact->defaultPresence();
        const bool wasOffline = OVPresenceData::isOfflineStatus(presence->status());
        presence->update(status, message);
        contact->presenceChanged();
        const bool isOffline = OVPresenceData::isOfflineStatus(status);
        if (wasOffline != isOffline) {
            auto toast = std::make_shared<Toast>(isOffline ? Toast::typeContactOffline
                                                           : Toast::typeContactOnline);
            toast->setContact(contact);
            toast->setDisplay(contact->displayName(), address);
            toasts.push_back(std::move(toast));
        }
    }
    // The lists learn of the change before a toast announces it.
    notifyDelegates([&](OVPresenceServicePro& d) {
        d.presenceUpdated(address, protocol, status, message, false);
    });
    for (const auto& toast : toasts) {
        phone->getToastService()->addToast(toast);
    }
}

void PresenceService::receivePresenceRequest(std::shared_ptr<PresenceRequest> request) {
    notifyDelegates([&](OVPresenceServicePro& d) { d.presenceRequest(request); });
}

void PresenceService::presenceAccountEnabled(OVAccountProtocol protocol) {
    if (initialized_) {
        return;
    }
    initialized_ = true;
    notifyDelegates([&](OVPresenceServicePro& d) { d.presenceInitialized(protocol); });
}

void PresenceService::resetSession() {
    selfPresence_->reset();
    initialized_ = false;
}
