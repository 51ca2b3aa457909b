#pragma once

#include "platform/foundation/Object.h"

// What the address-confirmation and disclaimer flows tell the application controller.
class OVE911AddressConfirmationPro {
public:
    virtual ~OVE911AddressConfirmationPro() = default;
    virtual void e911AddressConfirmationSucceed(bool /*succeeded*/) {}
    virtual void e911DisclaimerSucceed(bool /*accepted*/) {}
};

// The emergency-address confirmation and disclaimer shown in the main window before it
// opens. Only its state so far; its views and the engine models come with the hosted-service
// flows.
class E911AddressConfirmationController : public platform::Object {
public:
    static E911AddressConfirmationController& instance();
    static void releaseInstance();

    // Not owned; cleared by the delegate at its teardown.
    void setDelegate(OVE911AddressConfirmationPro* delegate) { delegate_ = delegate; }
    OVE911AddressConfirmationPro* delegate() const { return delegate_; }

    void startE911AddressConfirmation() { confirming_ = true; }
    void startE911Disclaimer() { disclaiming_ = true; }
    void stopE911AddressConfirmation() { confirming_ = disclaiming_ = false; }
    bool isConfirming() const { return confirming_; }
    bool isShowingDisclaimer() const { return disclaiming_; }

private:
    OVE911AddressConfirmationPro* delegate_ = nullptr;
    bool confirming_ = false;
    bool disclaiming_ = false;
};
