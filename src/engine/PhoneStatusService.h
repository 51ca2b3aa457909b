#pragma once

#include "engine/DelegateList.h"
#include "engine/OVObject.h"

#include <memory>

class EngineContext;
class OVPhoneStatus;

// Callbacks of the phone status service.
class OVPhoneStatusServicePro {
public:
    virtual ~OVPhoneStatusServicePro() = default;
    virtual void phoneStatusChange(const std::shared_ptr<OVPhoneStatus>& /*status*/) {}
};

// The phone's overall state as one number: 0 or 6 nothing enabled, 1 enabling, 2 partly
// enabled, 3 partial failure, 4 ready, 5 failed, 7 no SIP account, 8 network down.
class OVPhoneStatus : public OVObject {
public:
    static constexpr int noAccounts = 0;
    static constexpr int enabling = 1;
    static constexpr int partiallyEnabled = 2;
    static constexpr int partialFailure = 3;
    static constexpr int ready = 4;
    static constexpr int failed = 5;
    static constexpr int noneEnabled = 6;
    static constexpr int noSipAccount = 7;
    static constexpr int networkDown = 8;

    explicit OVPhoneStatus(std::shared_ptr<EngineContext> context = nullptr)
        : context_(std::move(context)) {}

    int value() const { return value_; }
    void setValue(int value) { value_ = value; }
    // Reads the number again from the accounts and the network.
    void refresh();

private:
    std::shared_ptr<EngineContext> context_;
    int value_ = 0;
};

class PhoneStatusService : public platform::Object,
                           public DelegatingService<OVPhoneStatusServicePro> {
public:
    explicit PhoneStatusService(std::shared_ptr<EngineContext> context = nullptr);

    std::shared_ptr<OVPhoneStatus> status() const { return status_; }

    // The number the accounts and the network give now.
    static int computeStatus(const EngineContext& context);
    // Engine side: recomputes the number and, when it changed, tells the delegates.
    void update();

private:
    std::shared_ptr<EngineContext> context_;
    std::shared_ptr<OVPhoneStatus> status_;
};
