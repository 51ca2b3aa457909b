#pragma once

#include "platform/foundation/Object.h"

// What the provisioning flow tells the application controller when it ends.
class OVE911ProvisionPro {
public:
    virtual ~OVE911ProvisionPro() = default;
    virtual void e911provisioningSucceed(bool /*succeeded*/) {}
};

// The emergency-address provisioning flow shown in the main window before it opens. Only its
// state so far; its view and the engine model come with the hosted-service flows.
class E911ProvisioningController : public platform::Object {
public:
    static E911ProvisioningController& instance();
    static void releaseInstance();

    // Not owned; cleared by the delegate at its teardown.
    void setDelegate(OVE911ProvisionPro* delegate) { delegate_ = delegate; }
    OVE911ProvisionPro* delegate() const { return delegate_; }

    // Whether provisioning has been started.
    bool provisioned() const { return provisioned_; }
    void startE911Provisioning() { provisioned_ = true; }
    void stopE911Provisioning() { provisioned_ = false; }

private:
    OVE911ProvisionPro* delegate_ = nullptr;
    bool provisioned_ = false;
};
