#include "app/calls/VideoWindow.h"

#include "platform/kit/View.h"

namespace {

std::shared_ptr<VideoWindow>& sharedInstance() {
    static std::shared_ptr<VideoWindow> window;
    return window;
}

} // namespace

VideoWindow::VideoWindow()
    : platform::Window(platform::Rect(0, 0, 640, 480), platform::TitledWindowMask |
                                                           platform::ClosableWindowMask |
                                                           platform::ResizableWindowMask) {}

bool VideoWindow::videoWindowExist() {
    return sharedInstance() != nullptr;
}

VideoWindow& VideoWindow::sharedVideoWindow() {
    auto& shared = sharedInstance();
    if (!shared) {
        shared = platform::make<VideoWindow>();
    }
    return *shared;
}

void VideoWindow::sharedVideoWindowRelease() {
    if (auto window = std::move(sharedInstance())) {
        window->orderOut(nullptr);
    }
}
