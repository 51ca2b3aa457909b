#pragma once

#include "engine/DelegateList.h"
#include "platform/foundation/Object.h"

#include <memory>
#include <string>
#include <string_view>

class EngineContext;

class OVDialPlanServicePro {
public:
    virtual ~OVDialPlanServicePro() = default;
    // The text last asked about can be dialled.
    virtual void ovdsReadyToDial() {}
};

// The dial plan: what typed text or a link's target dials (read by DialString). A phone number
// keeps its digits, "*", "#" and a leading "+" (the separators people type and a tel link's
// parameters are dropped); an address with a scheme or an "@" is dialled as written, its
// escapes decoded and its URI headers dropped; a bare name becomes a SIP address at the domain
// of the account that places calls.
class DialPlanService : public platform::Object,
                        public DelegatingService<OVDialPlanServicePro>,
                        public std::enable_shared_from_this<DialPlanService> {
public:
    explicit DialPlanService(std::shared_ptr<EngineContext> context = nullptr)
        : context_(std::move(context)) {}

    // The address a call to the text goes to, or why the text dials nothing.
    struct Resolution {
        std::string address;
        std::string whyNot;
        explicit operator bool() const { return !address.empty(); }
    };
    Resolution resolve(std::string_view text) const;
    // The address a call to the text goes to; "" when the text dials nothing (blank, holding
    // control characters, malformed escapes).
    std::string dialString(std::string_view text) const { return resolve(text).address; }
    // Whether the text dials something; when it does, ovdsReadyToDial follows on the next pass.
    bool isNumberCallable(std::string_view text);

    // Whether the text is a phone number: digits with the usual separators, "*" and "#".
    static bool isPhoneNumber(std::string_view text);

private:
    std::shared_ptr<EngineContext> context_;
};
