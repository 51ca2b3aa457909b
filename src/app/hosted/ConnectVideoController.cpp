#include "app/hosted/ConnectVideoController.h"

#include "app/core/AppController.h"
#include "app/hosted/HostedFlowView.h"
#include "support/Localization.h"
#include "widgets/QXCollectionWindow.h"

namespace {

constexpr std::string_view kViewName = "connectVideo";

std::shared_ptr<ConnectVideoController>& sharedInstance() {
    static std::shared_ptr<ConnectVideoController> controller;
    return controller;
}

} // namespace

std::shared_ptr<ConnectVideoController> ConnectVideoController::instance() {
    auto& shared = sharedInstance();
    if (!shared)
        shared = std::make_shared<ConnectVideoController>();
    return shared;
}

bool ConnectVideoController::instanceExists() {
    return sharedInstance() != nullptr;
}

void ConnectVideoController::releaseInstance() {
    sharedInstance().reset();
}

ConnectVideoController::~ConnectVideoController() {
    if (playbackTimer_)
        playbackTimer_->invalidate();
}

void ConnectVideoController::initializeWithWindow(QXCollectionWindow& window) {
    window_ = &window;
    addHostedFlowView(window, std::string(kViewName),
                      QXLS("msg.product.videoWindow.title", "Welcome to ${PRODUCT_NAME}"));
    if (playbackTimer_)
        playbackTimer_->invalidate();
    playbackTimer_ = platform::Timer::scheduledTimerWithTimeInterval(
        kPlaybackDuration, false, [this](platform::Timer&) { playbackEnded(); });
}

void ConnectVideoController::playbackEnded() {
    playbackTimer_.reset();
    if (AppController* controller = AppController::sharedAppController())
        controller->videoFinishedPlaying(this);
}

void ConnectVideoController::discard(QXCollectionWindow& window) {
    if (playbackTimer_) {
        playbackTimer_->invalidate();
        playbackTimer_.reset();
    }
    window.removeViewWithName(kViewName);
    if (&window == window_)
        window_ = nullptr;
    if (auto shared = std::move(sharedInstance()))
        platform::RunLoop::main().performInModes([shared] {}, platform::commonModes());
}
