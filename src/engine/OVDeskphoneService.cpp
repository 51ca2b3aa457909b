#include "engine/OVDeskphoneService.h"

#include "engine/EngineBackend.h"
#include "engine/EngineContext.h"
#include "engine/PhoneService.h"

void OVDeskphoneService::setStatus(OVDeskphoneStatus status) {
    if (status == status_) {
        return;
    }
    status_ = status;
    notifyDelegates([&](OVDeskphoneServicePro& d) { d.ovdsStatusChanged(status); });
}

void OVDeskphoneService::connect() {
    if (!context_ || status_ == OVDeskphoneStatus::connected ||
        status_ == OVDeskphoneStatus::connecting) {
        return;
    }
    auto context = context_;
    context_->post([context] {
        auto phone = context->phone();
        if (!phone) {
            return;
        }
        phone->getDeskphoneService()->setStatus(OVDeskphoneStatus::connecting);
        context->post(context->backend()->latency("deskphone"), [context] {
            if (auto phone = context->phone()) {
                auto service = phone->getDeskphoneService();
                if (service->status() == OVDeskphoneStatus::connecting) {
                    service->setStatus(OVDeskphoneStatus::connected);
                }
            }
        });
    });
}

void OVDeskphoneService::disconnect() {
    if (!context_ || status_ == OVDeskphoneStatus::disconnected ||
        status_ == OVDeskphoneStatus::disconnecting) {
        return;
    }
    auto context = context_;
    context_->post([context] {
        auto phone = context->phone();
        if (!phone) {
            return;
        }
        phone->getDeskphoneService()->setStatus(OVDeskphoneStatus::disconnecting);
        context->post(context->backend()->latency("deskphone"), [context] {
            if (auto phone = context->phone()) {
                auto service = phone->getDeskphoneService();
                if (service->status() == OVDeskphoneStatus::disconnecting) {
                    service->setStatus(OVDeskphoneStatus::disconnected);
                }
                phone->getConversationService()->useLocalAccountForCall();
            }
        });
    });
}
