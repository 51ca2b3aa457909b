#include "app/calls/VideoWindow.h"

#include "app/calls/CallModuleController.h"
#include "app/calls/ToolbarControllerPrt.h"
#include "app/calls/VideoController.h"
#include "app/calls/VideoView.h"
#include "app/core/AppController.h"
#include "app/main_window/LogoView.h"
#include "app/main_window/MainAppWindow.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "support/Notifications.h"
#include "widgets/QXBaseFrameView.h"

namespace {

std::shared_ptr<VideoWindow>& sharedInstance() {
    static std::shared_ptr<VideoWindow> window;
    return window;
}

const platform::Value& brandSection() {
    static const platform::Value empty;
    AppController* app = AppController::sharedAppController();
    return app ? app->brandDict()["VideoWindow"] : empty;
}

constexpr platform::WindowStyleMask freeStyle =
    platform::TitledWindowMask | platform::ClosableWindowMask | platform::ResizableWindowMask;

} // namespace

VideoWindow::VideoWindow(bool docked, const platform::Rect& contentRect)
    : QXAttachWindow(KeepStyle{}, contentRect, docked ? platform::BorderlessWindowMask : freeStyle),
      _docked(docked) {
    // The docked form collapses until it slides open; the free one keeps its size.
    if (docked) {
        setAllowKeyWindow(true);
    }
}

VideoWindow::~VideoWindow() {
    platform::NotificationCenter::defaultCenter().removeObserver(this);
}

bool VideoWindow::videoWindowExist() {
    return sharedInstance() != nullptr;
}

VideoWindow& VideoWindow::sharedVideoWindow() {
    auto& shared = sharedInstance();
    if (!shared) {
        // What the interface definition holds: the window, its video view and the controller
        // that owns them, woken in that order.
        const bool docked = brandSection()["attachToMainWindow"].boolValue();
        auto controller = std::make_shared<VideoController>();
        auto window = platform::make<VideoWindow>(docked, platform::Rect(0, 0, 640, 480));
        auto view = platform::make<VideoView>(platform::Rect(0, 0, 640, 480));
        view->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewHeightSizable);
        window->setVideoView(view);
        window->setController(controller);
        controller->setView(view);
        controller->setWindow(window.get());
        view->awake();
        window->awake();
        controller->awakeFromNib();
        shared = window;
    }
    return *shared;
}

void VideoWindow::sharedVideoWindowRelease() {
    if (auto window = std::move(sharedInstance())) {
        window->orderOut(nullptr);
        window->setAttachWindow(nullptr);
        window->setController(nullptr);
    }
}

void VideoWindow::setController(std::shared_ptr<VideoController> controller) {
    if (_controller) {
        _controller->setWindow(nullptr);
    }
    _controller = std::move(controller);
}

void VideoWindow::awake() {
    const platform::Value& brand = brandSection();
    setSkinFromBrandSection(brand);
    setReleasedWhenClosed(false);
    _logoView = LogoView::initOnView(*frameView(), brand["Logo"]);
    if (_videoView) {
        setContentView(_videoView);
    }
    const bool onTop =
        platform::UserDefaults::standardUserDefaults().boolForKey("mainPhone.ui.alwaysOnTop");
    setLevel(onTop ? platform::FloatingWindowLevel : platform::NormalWindowLevel);
    if (_docked) {
        AppController* app = AppController::sharedAppController();
        if (MainAppWindow* main = app ? app->mainWindow() : nullptr) {
            setAttachWindow(main);
        }
        setOffset({static_cast<double>(brand["attachOffset.x"].intValue()),
                   static_cast<double>(brand["attachOffset.y"].intValue())});
        const std::string* position = brand["attachPosition"].string();
        setAttachToLeft(position && *position == "left");
    } else {
        center();
    }
}

void VideoWindow::orderFront(platform::Object* sender) {
    auto keep = sharedWindow();
    QXAttachWindow::orderFront(sender);
    if (_toolBar) {
        _toolBar->setVideoState(true);
    }
    if (_controller) {
        _controller->startCamera(this);
    }
    if (_videoView) {
        setContentSize(_videoView->contentSize());
    }
    if (!_observingShutdown) {
        _observingShutdown = true;
        platform::NotificationCenter::defaultCenter().addObserver(
            this, ApplicationShutdownNotification, nullptr,
            [this](const platform::Notification& n) { shouldClose(n); });
    }
}

void VideoWindow::orderOut(platform::Object* sender) {
    auto keep = sharedWindow();
    if (attachWindow() && attachToLeft()) {
        // Docked on the left it only slides closed; the camera goes on.
        QXAttachWindow::orderOut(sender);
    } else {
        if (isVisible() || isMiniaturized()) {
            if (CallModuleController::sharedControllerExists()) {
                CallModuleController::sharedController().cameraStopped();
            }
            if (_controller) {
                _controller->stopCamera(this);
            }
            if (isVisible()) {
                QXAttachWindow::orderOut(sender);
            } else {
                QXAttachWindow::orderOut(sender);
                QXAttachWindow::close();
            }
        }
        if (_observingShutdown) {
            _observingShutdown = false;
            platform::NotificationCenter::defaultCenter().removeObserver(this);
        }
    }
    if (_toolBar) {
        _toolBar->setVideoState(false);
    }
}

void VideoWindow::close() {
    QXAttachWindow::close();
    if (_toolBar) {
        _toolBar->setVideoState(false);
    }
}

void VideoWindow::shouldClose(const platform::Notification& /*notification*/) {
    if (attachWindow() && attachToLeft()) {
        close();
    } else {
        orderOut(nullptr);
    }
}

platform::Size VideoWindow::windowWillResize(platform::Window& sender, platform::Size frameSize) {
    const platform::Size proposed = QXAttachWindow::windowWillResize(sender, frameSize);
    if (!_videoView) {
        return proposed;
    }
    const platform::Rect content = contentRectForFrameRect({{0, 0}, proposed});
    const platform::Size corrected = _videoView->willResize(content.size);
    return frameRectForContentRect({{0, 0}, corrected}).size;
}

void VideoWindow::setContentView(std::shared_ptr<platform::View> view) {
    QXAttachWindow::setContentView(view);
    if (auto* video = dynamic_cast<VideoView*>(view.get())) {
        video->willResize(video->frame().size);
    }
}
