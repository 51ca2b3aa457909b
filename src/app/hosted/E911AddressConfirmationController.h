#pragma once

#include "platform/foundation/Object.h"

#include <memory>

class QXCollectionWindow;
namespace platform {
class Timer;
}

// What the address-confirmation and disclaimer flows tell the application controller.
class OVE911AddressConfirmationPro {
public:
    virtual ~OVE911AddressConfirmationPro() = default;
    virtual void e911AddressConfirmationSucceed(bool /*succeeded*/) {}
    virtual void e911DisclaimerSucceed(bool /*accepted*/) {}
};

// The emergency-address confirmation and disclaimer shown in the main window before it
// opens. Until the hosted-service flows bring the engine's models, its views are placeholders
// and each flow ends on the next pass of the run loop with the answer set for it (confirmed
// and accepted unless told otherwise).
class E911AddressConfirmationController : public platform::Object {
public:
    static E911AddressConfirmationController& instance();
    static void releaseInstance();

    E911AddressConfirmationController() = default;
    ~E911AddressConfirmationController() override;
    E911AddressConfirmationController(const E911AddressConfirmationController&) = delete;
    E911AddressConfirmationController& operator=(const E911AddressConfirmationController&) = delete;

    // Adds the views "e911addressConfirmation" and "e911disclaimer" to the main window and
    // keeps the window (not owned).
    void initWithWindow(QXCollectionWindow& window);
    QXCollectionWindow* window() const { return window_; }

    // Not owned; cleared by the delegate at its teardown.
    void setDelegate(OVE911AddressConfirmationPro* delegate) { delegate_ = delegate; }
    OVE911AddressConfirmationPro* delegate() const { return delegate_; }

    void startE911AddressConfirmation();
    void startE911Disclaimer();
    void stopE911AddressConfirmation();
    bool isConfirming() const { return confirming_; }
    bool isShowingDisclaimer() const { return disclaiming_; }

    // How the flows end when they run.
    void setSimulatedAnswers(bool confirmed, bool accepted) {
        confirmAnswer_ = confirmed;
        disclaimerAnswer_ = accepted;
    }

private:
    void answerLater(bool disclaimer);
    void cancelAnswer();

    OVE911AddressConfirmationPro* delegate_ = nullptr;
    QXCollectionWindow* window_ = nullptr;
    bool confirming_ = false;
    bool disclaiming_ = false;
    bool confirmAnswer_ = true;
    bool disclaimerAnswer_ = true;
    std::shared_ptr<platform::Timer> answerTimer_;
};
