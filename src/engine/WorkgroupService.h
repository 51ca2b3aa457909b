#pragma once

#include "engine/DelegateList.h"
#include "engine/OVObject.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class EngineContext;

// One member of the user's workgroup: an address whose line the workgroup server reports.
class OVWorkgroupEndpoint : public OVObject {
public:
    OVWorkgroupEndpoint(std::string address, std::string displayName)
        : address_(std::move(address)), displayName_(std::move(displayName)) {}
    const std::string& address() const { return address_; }
    const std::string& displayName() const { return displayName_; }

private:
    std::string address_;
    std::string displayName_;
};

class OVWorkgroupServicePro {
public:
    virtual ~OVWorkgroupServicePro() = default;
    virtual void ovgsWorkgroupEndpointAdded(const std::shared_ptr<OVWorkgroupEndpoint>&) {}
    virtual void ovgsWorkgroupEndpointUpdated(const std::shared_ptr<OVWorkgroupEndpoint>&) {}
    virtual void ovgsWorkgroupEndpointRemoved(const std::shared_ptr<OVWorkgroupEndpoint>&) {}
    // No enabled calling account to subscribe with.
    virtual void ovgsWorkgroupAccountNotReady() {}
    virtual void ovgsWorkgroupSubscriptionFailed() {}
    virtual void ovgsWorkgroupSubscriptionAccepted() {}
    virtual void ovgsworkgroupCallAdded(const std::shared_ptr<OVObject>& /*call*/) {}
    virtual void ovgsWorkgroupCallRemoved(const std::shared_ptr<OVObject>& /*call*/) {}
};

// The subscription to the workgroup server: who else is in the user's workgroup. The network's
// "workgroup" configuration lists the members ("endpoints": address and name); without it the
// server refuses the subscription. Answers come on later passes of the main run loop.
class WorkgroupService : public platform::Object,
                         public DelegatingService<OVWorkgroupServicePro>,
                         public std::enable_shared_from_this<WorkgroupService> {
public:
    enum class State { idle, subscribing, subscribed, failed };

    explicit WorkgroupService(std::shared_ptr<EngineContext> context = nullptr);

    // Subscribes again from the start: the members known so far are forgotten (each removal
    // told) and an answer still on its way is dropped. Needs an enabled calling account.
    void retrySubscription();
    // Ends the subscription; nothing more is told until the next retry.
    void stop();

    State state() const { return state_; }
    const std::vector<std::shared_ptr<OVWorkgroupEndpoint>>& endpoints() const {
        return endpoints_;
    }

private:
    void dropEndpoints();

    std::shared_ptr<EngineContext> context_;
    std::uint64_t generation_ = 0;
    State state_ = State::idle;
    std::vector<std::shared_ptr<OVWorkgroupEndpoint>> endpoints_;
};
