#include "engine/WorkgroupService.h"

#include "engine/AccountService.h"
#include "engine/EngineBackend.h"
#include "engine/EngineContext.h"
#include "engine/PhoneService.h"

#include <algorithm>

WorkgroupService::WorkgroupService(std::shared_ptr<EngineContext> context)
    : context_(std::move(context)) {}

void WorkgroupService::retrySubscription() {
    ++generation_;
    dropEndpoints();
    if (!context_) {
        state_ = State::idle;
        return;
    }
    state_ = State::subscribing;
    const std::uint64_t generation = generation_;
    std::weak_ptr<WorkgroupService> weak = weak_from_this();
    auto context = context_;
    context_->post(context_->backend()->latency("workgroup"), [weak, generation, context] {
        auto self = weak.lock();
        if (!self || generation != self->generation_)
            return;
        auto phone = context->phone();
        const auto accounts = phone ? phone->getAccountService()->accounts()
                                    : std::vector<std::shared_ptr<OVAccount>>{};
        const bool ready = std::any_of(accounts.begin(), accounts.end(), [](const auto& account) {
            return account->protocol() == OVAccount::SIPprotocol &&
                   account->status() == OVAccount::statusEnabled;
        });
        if (!ready) {
            self->state_ = State::idle;
            self->notifyDelegates(
                [](OVWorkgroupServicePro& d) { d.ovgsWorkgroupAccountNotReady(); });
            return;
        }
        const auto listed = context->backend()->configuration("workgroup")["endpoints"];
        const auto* members = listed.array();
        if (!members) {
            self->state_ = State::failed;
            self->notifyDelegates(
                [](OVWorkgroupServicePro& d) { d.ovgsWorkgroupSubscriptionFailed(); });
            return;
        }
        self->state_ = State::subscribed;
        self->notifyDelegates(
            [](OVWorkgroupServicePro& d) { d.ovgsWorkgroupSubscriptionAccepted(); });
        for (const auto& member : *members) {
            const std::string* address = member["address"].string();
            if (!address || address->empty())
                continue;
            const std::string* name = member["name"].string();
            auto endpoint =
                std::make_shared<OVWorkgroupEndpoint>(*address, name ? *name : *address);
            self->endpoints_.push_back(endpoint);
            self->notifyDelegates(
                [&](OVWorkgroupServicePro& d) { d.ovgsWorkgroupEndpointAdded(endpoint); });
            // A delegate may have stopped or retried the subscription meanwhile.
            if (generation != self->generation_)
                return;
        }
    });
}

void WorkgroupService::stop() {
    ++generation_;
    state_ = State::idle;
    endpoints_.clear();
}

void WorkgroupService::dropEndpoints() {
    auto dropped = std::move(endpoints_);
    endpoints_.clear();
    for (const auto& endpoint : dropped)
        notifyDelegates(
            [&](OVWorkgroupServicePro& d) { d.ovgsWorkgroupEndpointRemoved(endpoint); });
}
