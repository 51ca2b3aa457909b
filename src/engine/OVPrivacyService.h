#pragma once

#include "engine/DelegateList.h"
#include "engine/OVConstants.h"
#include "platform/foundation/Object.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class EngineContext;

class OVPrivacyServicePro {
public:
    virtual ~OVPrivacyServicePro() = default;
};

// The addresses the user blocked, per protocol, kept in the contact store of the session.
// A contact shows how many of its call and chat addresses are blocked in its block state
// field (OVField::stateNotBlocked, statePartiallyBlocked, stateBlocked).
class OVPrivacyService : public platform::Object, public DelegatingService<OVPrivacyServicePro> {
public:
    static constexpr std::string_view stateNotBlocked = "notBlocked";
    static constexpr std::string_view statePartiallyBlocked = "partiallyBlocked";
    static constexpr std::string_view stateBlocked = "blocked";

    explicit OVPrivacyService(std::shared_ptr<EngineContext> context = nullptr);

    void blockAddresses(const std::vector<std::string>& addresses, OVAccountProtocol protocol);
    void unblockAddresses(const std::vector<std::string>& addresses, OVAccountProtocol protocol);
    // Whether the address is blocked for any protocol (scheme and case do not matter).
    bool isBlocked(std::string_view address) const;

private:
    std::weak_ptr<EngineContext> context_;
};
