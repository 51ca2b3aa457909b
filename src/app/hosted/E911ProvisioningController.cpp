#include "app/hosted/E911ProvisioningController.h"

#include "app/hosted/HostedFlowView.h"
#include "platform/foundation/RunLoop.h"
#include "support/Localization.h"

#include <memory>

namespace {

std::unique_ptr<E911ProvisioningController>& sharedInstance() {
    static std::unique_ptr<E911ProvisioningController> controller;
    return controller;
}

} // namespace

E911ProvisioningController& E911ProvisioningController::instance() {
    auto& shared = sharedInstance();
    if (!shared) {
        shared = std::make_unique<E911ProvisioningController>();
    }
    return *shared;
}

void E911ProvisioningController::releaseInstance() {
    sharedInstance().reset();
}

E911ProvisioningController::~E911ProvisioningController() {
    cancelAnswer();
}

void E911ProvisioningController::initWithWindow(QXCollectionWindow& window) {
    window_ = &window;
    addHostedFlowView(window, "e911provision",
                      QXLS("msg.e911.provision.progress", "Setting up your emergency address..."));
}

void E911ProvisioningController::startE911Provisioning() {
    provisioned_ = true;
    cancelAnswer();
    // The answer comes from the run loop, as the engine's model would give it: never from
    // inside the caller's own step.
    answerTimer_ =
        platform::Timer::scheduledTimerWithTimeInterval(0, false, [this](platform::Timer&) {
            answerTimer_.reset();
            if (delegate_) {
                delegate_->e911provisioningSucceed(answer_);
            }
        });
}

void E911ProvisioningController::stopE911Provisioning() {
    cancelAnswer();
    provisioned_ = false;
}

void E911ProvisioningController::cancelAnswer() {
    if (answerTimer_) {
        answerTimer_->invalidate();
        answerTimer_.reset();
    }
}
