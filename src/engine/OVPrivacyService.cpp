#include "engine/OVPrivacyService.h"

#include "engine/EngineContext.h"
#include "engine/OVContactManager.h"
#include "engine/PhoneService.h"

OVPrivacyService::OVPrivacyService(std::shared_ptr<EngineContext> context) : context_(context) {}

namespace {

std::shared_ptr<OVContactManager> contactManager(const std::weak_ptr<EngineContext>& weak) {
    const auto context = weak.lock();
    const auto phone = context ? context->phone() : nullptr;
    return phone ? phone->getContactManager() : nullptr;
}

} // namespace

void OVPrivacyService::blockAddresses(const std::vector<std::string>& addresses,
                                      OVAccountProtocol protocol) {
    if (auto manager = contactManager(context_)) {
        manager->setAddressesBlocked(addresses, protocol, true);
    }
}

void OVPrivacyService::unblockAddresses(const std::vector<std::string>& addresses,
                                        OVAccountProtocol protocol) {
    if (auto manager = contactManager(context_)) {
        manager->setAddressesBlocked(addresses, protocol, false);
    }
}

bool OVPrivacyService::isBlocked(std::string_view address) const {
    const auto manager = contactManager(context_);
    return manager && manager->isAddressBlocked(address);
}
