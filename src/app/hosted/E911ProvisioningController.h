#pragma once

#include "platform/foundation/Object.h"

#include <memory>

class QXCollectionWindow;
namespace platform {
class Timer;
}

// What the provisioning flow tells the application controller when it ends.
class OVE911ProvisionPro {
public:
    virtual ~OVE911ProvisionPro() = default;
    virtual void e911provisioningSucceed(bool /*succeeded*/) {}
};

// The emergency-address provisioning flow shown in the main window before it opens. Until the
// hosted-service flows bring the engine's provisioning model, its view is a placeholder and
// the flow ends on the next pass of the run loop with the answer set for it (success unless
// told otherwise).
class E911ProvisioningController : public platform::Object {
public:
    static E911ProvisioningController& instance();
    static void releaseInstance();

    E911ProvisioningController() = default;
    ~E911ProvisioningController() override;
    E911ProvisioningController(const E911ProvisioningController&) = delete;
    E911ProvisioningController& operator=(const E911ProvisioningController&) = delete;

    // Adds the view "e911provision" to the main window and keeps the window (not owned).
    void initWithWindow(QXCollectionWindow& window);
    QXCollectionWindow* window() const { return window_; }

    // Not owned; cleared by the delegate at its teardown.
    void setDelegate(OVE911ProvisionPro* delegate) { delegate_ = delegate; }
    OVE911ProvisionPro* delegate() const { return delegate_; }

    // Whether provisioning has been started.
    bool provisioned() const { return provisioned_; }
    void startE911Provisioning();
    void stopE911Provisioning();

    // How the flow ends when it runs.
    void setSimulatedAnswer(bool succeeded) { answer_ = succeeded; }

private:
    void cancelAnswer();

    OVE911ProvisionPro* delegate_ = nullptr;
    QXCollectionWindow* window_ = nullptr;
    bool provisioned_ = false;
    bool answer_ = true;
    std::shared_ptr<platform::Timer> answerTimer_;
};
