#include "engine/PresenceService.h"

#include "engine/EngineContext.h"
#include "engine/OVIMService.h"
#include "engine/PhoneService.h"
#include "engine/SettingBlock.h"

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

namespace {

std::shared_ptr<SettingBlock>
customPresencesSetting(const std::shared_ptr<EngineContext>& context) {
    const auto phone = context ? context->phone() : nullptr;
    const auto root = phone ? phone->getPreferenceSettings() : nullptr;
    return root ? root->sub("presence")->sub("customPresences") : nullptr;
}

} // namespace

std::vector<std::shared_ptr<OVSelfPresence>> PresenceService::getCustomPresences() const {
    std::vector<std::shared_ptr<OVSelfPresence>> presences;
    const auto setting = customPresencesSetting(context_);
    if (!setting)
        return presences;
    if (const platform::Value::Array* stored = setting->value().array()) {
        for (const platform::Value& entry : *stored) {
            auto presence = getNewPresenceInfo();
            presence->setStatus(static_cast<int>(entry["status"].integerValue()));
            presence->setMessage(entry["message"].stringValue());
            presences.push_back(std::move(presence));
        }
    }
    return presences;
}

std::shared_ptr<OVSelfPresence> PresenceService::getNewPresenceInfo() const {
    auto presence = std::make_shared<OVSelfPresence>(context_);
    presence->setStatus(OVPresenceStatus::statusNone);
    return presence;
}

void PresenceService::setCustomPresences(
    const std::vector<std::shared_ptr<OVSelfPresence>>& presences) {
    const auto setting = customPresencesSetting(context_);
    if (!setting)
        return;
    platform::Value::Array stored;
    for (const auto& presence : presences) {
        if (!presence)
            continue;
        platform::Value entry;
        entry.setObject("status", platform::Value(static_cast<long long>(presence->status())));
        entry.setObject("message", platform::Value(presence->message()));
        stored.push_back(std::move(entry));
    }
    setting->setValue(platform::Value(std::move(stored)), true);
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
    if (auto im = phone->getIMService()) {
        im->participantPresenceChanged(address);
    }
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
