#include "engine/DialPlanService.h"

#include "engine/DialString.h"
#include "engine/EngineContext.h"
#include "engine/PhoneService.h"

bool DialPlanService::isPhoneNumber(std::string_view text) {
    return DialString::isPhoneNumber(text);
}

DialPlanService::Resolution DialPlanService::resolve(std::string_view text) const {
    const DialString dial(text);
    switch (dial.kind()) {
    case DialString::Kind::nothing:
        return {{}, dial.whyNot()};
    case DialString::Kind::phoneNumber:
    case DialString::Kind::address:
        return {dial.text(), {}};
    case DialString::Kind::name:
        break;
    }
    // A name alone is a user at the calling account's domain.
    const auto phone = context_ ? context_->phone() : nullptr;
    const auto account =
        phone ? phone->getAccountService()->defaultAccount(OVAccountFeature::featureCall) : nullptr;
    if (!account || account->domain().empty())
        return {dial.text(), {}};
    return {"sip:" + dial.text() + "@" + account->domain(), {}};
}

bool DialPlanService::isNumberCallable(std::string_view text) {
    if (dialString(text).empty())
        return false;
    if (context_) {
        std::weak_ptr<DialPlanService> weak = weak_from_this();
        context_->post([weak] {
            if (auto self = weak.lock())
                self->notifyDelegates([](OVDialPlanServicePro& d) { d.ovdsReadyToDial(); });
        });
    }
    return true;
}
