#pragma once

#include "engine/OVConnectService.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Window.h"

#include <memory>

// The hosted service's sign-in and sign-up window, following the engine's set-up model. So
// far the window and the model it was made for; the form comes with the hosted-service
// windows.
class ConnectServiceWindowController : public platform::Object {
public:
    // The shared controller, or null when none is open.
    static ConnectServiceWindowController* sharedController();
    // Makes the shared controller for the model unless one exists; answers the shared one.
    static ConnectServiceWindowController*
    initSharedController(std::shared_ptr<OVConnectServiceSetupModel> model);
    // Drops the shared controller at once (shutdown, tests).
    static void releaseSharedController();

    explicit ConnectServiceWindowController(std::shared_ptr<OVConnectServiceSetupModel> model);
    ~ConnectServiceWindowController() override;
    ConnectServiceWindowController(const ConnectServiceWindowController&) = delete;
    ConnectServiceWindowController& operator=(const ConnectServiceWindowController&) = delete;

    platform::Window* window() const { return _window.get(); }
    const std::shared_ptr<OVConnectServiceSetupModel>& model() const { return _model; }
    void showWindow(platform::Object* sender);
    // Orders the window out and ends the shared controller (on the next run-loop pass, as
    // the close may come from its own window).
    void close();

private:
    std::shared_ptr<OVConnectServiceSetupModel> _model;
    std::shared_ptr<platform::Window> _window;
};
