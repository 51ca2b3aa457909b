#include "app/core/SnapshotTour.h"

#include "app/core/AppController.h"
#include "app/core/LoginController.h"
#include "app/main_window/MainAppWindow.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Application.h"
#include "platform/kit/TextField.h"

#include <system_error>

namespace {

platform::TimeInterval now() {
    return platform::RunLoop::main().now();
}

} // namespace

SnapshotTour::SnapshotTour(std::filesystem::path folder, platform::TimeInterval stepTimeout)
    : _folder(std::move(folder)), _stepTimeout(stepTimeout) {}

SnapshotTour::~SnapshotTour() {
    if (_timer)
        _timer->invalidate();
}

void SnapshotTour::start() {
    std::error_code error;
    std::filesystem::create_directories(_folder, error);
    if (error) {
        fail("the folder " + _folder.string() + " cannot be made: " + error.message());
        return;
    }
    _stepStarted = now();
    _timer = platform::Timer::scheduledTimerWithTimeInterval(0.1, true,
                                                             [this](platform::Timer&) { poll(); });
}

void SnapshotTour::poll() {
    AppController* controller = AppController::sharedAppController();
    MainAppWindow* window = controller ? controller->mainWindow() : nullptr;
    if (!window) {
        fail("the application has no main window");
        return;
    }
    const std::string view = window->currentViewName();
    switch (_stage) {
    case Stage::waitForLogin: {
        const auto login = controller->loginController();
        if (view != "login" || !login || !login->username() || !login->password())
            break;
        if (!snapshot(*window, "login"))
            return;
        login->username()->setStringValue(demoUser);
        login->password()->setStringValue(demoPassword);
        login->login(nullptr);
        _stage = Stage::waitForMainView;
        _stepStarted = now();
        return;
    }
    case Stage::waitForMainView: {
        // A refused sign-in leaves the login view with its reason and no request under way.
        const auto login = controller->loginController();
        if (view == "login" && login && !login->loggingIn() && login->errorMsg() &&
            !login->errorMsg()->stringValue().empty() && now() - _stepStarted > 0.5) {
            fail("the sign-in as the demo user failed: " + login->errorMsg()->stringValue());
            return;
        }
        if (view != "mainView")
            break;
        if (!snapshot(*window, "main-view"))
            return;
        finish();
        return;
    }
    case Stage::done:
        return;
    }
    if (now() - _stepStarted > _stepTimeout)
        fail(_stage == Stage::waitForLogin ? "the login view never appeared"
                                           : "the sign-in as the demo user never reached the "
                                             "main view (the window shows \"" +
                                                 view + "\")");
}

bool SnapshotTour::snapshot(platform::Window& window, const std::string& name) {
    const auto path = _folder / (name + ".png");
    const auto image = window.snapshot();
    if (!image || !image->writePNG(path)) {
        fail("the picture " + path.string() + " cannot be written");
        return false;
    }
    _written.push_back(path);
    platform::Log("Snapshot: " + path.string());
    return true;
}

void SnapshotTour::fail(std::string reason) {
    _failure = std::move(reason);
    platform::Log("Snapshot tour failed: " + *_failure);
    finish();
}

void SnapshotTour::finish() {
    _stage = Stage::done;
    _finished = true;
    if (_timer) {
        _timer->invalidate();
        _timer.reset();
    }
    auto& application = platform::Application::sharedApplication();
    application.setExitStatus(_failure ? 1 : 0);
    application.terminate(nullptr);
}
