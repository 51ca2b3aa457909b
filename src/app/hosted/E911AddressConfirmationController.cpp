#include "app/hosted/E911AddressConfirmationController.h"

#include "app/hosted/HostedFlowView.h"
#include "platform/foundation/RunLoop.h"
#include "support/Localization.h"

#include <memory>

namespace {

std::unique_ptr<E911AddressConfirmationController>& sharedInstance() {
    static std::unique_ptr<E911AddressConfirmationController> controller;
    return controller;
}

} // namespace

E911AddressConfirmationController& E911AddressConfirmationController::instance() {
    auto& shared = sharedInstance();
    if (!shared) {
        shared = std::make_unique<E911AddressConfirmationController>();
    }
    return *shared;
}

void E911AddressConfirmationController::releaseInstance() {
    sharedInstance().reset();
}

E911AddressConfirmationController::~E911AddressConfirmationController() {
    cancelAnswer();
}

void E911AddressConfirmationController::initWithWindow(QXCollectionWindow& window) {
    window_ = &window;
    addHostedFlowView(
        window, "e911addressConfirmation",
        QXLS("msg.e911.confirmation.progress", "Confirming your emergency address..."));
    addHostedFlowView(window, "e911disclaimer",
                      QXLS("msg.e911.disclaimer.progress", "Emergency calling disclaimer"));
}

void E911AddressConfirmationController::startE911AddressConfirmation() {
    confirming_ = true;
    answerLater(false);
}

void E911AddressConfirmationController::startE911Disclaimer() {
    disclaiming_ = true;
    answerLater(true);
}

void E911AddressConfirmationController::stopE911AddressConfirmation() {
    cancelAnswer();
    confirming_ = disclaiming_ = false;
}

void E911AddressConfirmationController::answerLater(bool disclaimer) {
    cancelAnswer();
    // The answer comes from the run loop, as the engine's model would give it: never from
    // inside the caller's own step.
    answerTimer_ = platform::Timer::scheduledTimerWithTimeInterval(
        0, false, [this, disclaimer](platform::Timer&) {
            answerTimer_.reset();
            if (!delegate_) {
                return;
            }
            if (disclaimer) {
                delegate_->e911DisclaimerSucceed(disclaimerAnswer_);
            } else {
                delegate_->e911AddressConfirmationSucceed(confirmAnswer_);
            }
        });
}

void E911AddressConfirmationController::cancelAnswer() {
    if (answerTimer_) {
        answerTimer_->invalidate();
        answerTimer_.reset();
    }
}
