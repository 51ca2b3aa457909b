#include "app/hosted/ConnectServiceWindowController.h"

#include "platform/foundation/RunLoop.h"

namespace {

std::shared_ptr<ConnectServiceWindowController>& sharedInstance() {
    static std::shared_ptr<ConnectServiceWindowController> controller;
    return controller;
}

} // namespace

void ConnectServiceWindowController::releaseSharedController() {
    sharedInstance().reset();
}

ConnectServiceWindowController* ConnectServiceWindowController::sharedController() {
    return sharedInstance().get();
}

ConnectServiceWindowController* ConnectServiceWindowController::initSharedController(
    std::shared_ptr<OVConnectServiceSetupModel> model) {
    auto& shared = sharedInstance();
    if (!shared) {
        shared = std::make_shared<ConnectServiceWindowController>(std::move(model));
    }
    return shared.get();
}

ConnectServiceWindowController::ConnectServiceWindowController(
    std::shared_ptr<OVConnectServiceSetupModel> model)
    : _model(std::move(model)), _window(platform::make<platform::Window>(
                                    platform::Rect(0, 0, 420, 320),
                                    platform::TitledWindowMask | platform::ClosableWindowMask)) {}

ConnectServiceWindowController::~ConnectServiceWindowController() {
    _window->orderOut(nullptr);
}

void ConnectServiceWindowController::showWindow(platform::Object* /*sender*/) {
    _window->makeKeyAndOrderFront(nullptr);
}

void ConnectServiceWindowController::close() {
    _window->orderOut(nullptr);
    if (sharedInstance().get() == this) {
        auto self = std::move(sharedInstance());
        platform::RunLoop::main().performInModes([self] {}, platform::commonModes());
    }
}
