#include "app/main_window/DialpadWindowController.h"

#include "app/core/AppController.h"
#include "app/main_window/DialpadViewController.h"
#include "app/main_window/MainAppWindow.h"
#include "engine/StartupService.h"
#include "platform/kit/View.h"
#include "widgets/QXAttachWindow.h"

#include <memory>

namespace {

std::unique_ptr<DialpadWindowController>& sharedInstance() {
    static std::unique_ptr<DialpadWindowController> controller;
    return controller;
}

const platform::Value& brandSection() {
    static const platform::Value empty;
    AppController* app = AppController::sharedAppController();
    return app ? app->brandDict()["Dialpad"] : empty;
}

} // namespace

DialpadWindowController::DialpadWindowController()
    : _dialpad(std::make_shared<DialpadViewController>()) {
    if (const auto phone = StartupService::instance().phoneService())
        _phoneStatusService = phone->getPhoneStatusService();
    const platform::Rect content({0, 0}, _dialpad->view()->frame().size);
    _myWindow = platform::make<QXAttachWindow>(content, platform::BorderlessWindowMask);
    _myWindow->setReleasedWhenClosed(false);
    _myWindow->setContentView(_dialpad->view());
    awakeFromNib();
}

// Undocked first, so that going away never slides.
DialpadWindowController::~DialpadWindowController() {
    if (_myWindow) {
        _myWindow->setAttachWindow(nullptr);
        _myWindow->orderOut(nullptr);
    }
}

void DialpadWindowController::awakeFromNib() {
    const platform::Value& brand = brandSection();
    _myWindow->setSkinFromBrandSection(brand);
    AppController* app = AppController::sharedAppController();
    if (MainAppWindow* main = app ? app->mainWindow() : nullptr)
        _myWindow->setAttachWindow(main);
    _myWindow->setOffset({static_cast<double>(brand["attachOffset.x"].intValue()),
                          static_cast<double>(brand["attachOffset.y"].intValue())});
    const std::string* position = brand["attachPosition"].string();
    _myWindow->setAttachToLeft(position && *position == "left");
}

bool DialpadWindowController::dialpadExist() {
    return sharedInstance() != nullptr;
}

DialpadWindowController& DialpadWindowController::sharedController() {
    auto& shared = sharedInstance();
    if (!shared)
        shared = std::make_unique<DialpadWindowController>();
    return *shared;
}

void DialpadWindowController::releaseSharedController() {
    sharedInstance().reset();
}

bool DialpadWindowController::isVisible() const {
    return _myWindow && _myWindow->isVisible();
}

void DialpadWindowController::showWindow(platform::Object* sender) {
    _myWindow->orderFront(sender);
}

// Slides back behind the main window, then the window goes with the controller; the next use
// builds a fresh one, and nothing of this one is touched afterwards.
void DialpadWindowController::close() {
    _myWindow->close();
    releaseSharedController();
}
