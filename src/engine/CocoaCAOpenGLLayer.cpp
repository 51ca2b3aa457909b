#include "engine/CocoaCAOpenGLLayer.h"

namespace {

platform::TimeInterval now() {
    return platform::RunLoop::main().now();
}

// Long enough that any "no picture for a while" test holds.
constexpr double noFrameYet = 1e9;

} // namespace

std::shared_ptr<CocoaCAOpenGLLayer> CocoaCAOpenGLLayer::layer() {
    return std::make_shared<CocoaCAOpenGLLayer>();
}

void CocoaCAOpenGLLayer::reset() {
    frame_.reset();
    recent_.clear();
    lastFrame_ = -1;
    changed();
}

void CocoaCAOpenGLLayer::setMirrored(bool flag) {
    if (mirrored_ != flag) {
        mirrored_ = flag;
        changed();
    }
}

void CocoaCAOpenGLLayer::setFlipped(bool flag) {
    if (flipped_ != flag) {
        flipped_ = flag;
        changed();
    }
}

double CocoaCAOpenGLLayer::frameRate() const {
    const auto t = now();
    std::size_t count = 0;
    for (auto it = recent_.rbegin(); it != recent_.rend() && t - *it < 1.0; ++it) {
        ++count;
    }
    return static_cast<double>(count);
}

double CocoaCAOpenGLLayer::timeSinceLastRender() const {
    return lastFrame_ < 0 ? noFrameYet : now() - lastFrame_;
}

void CocoaCAOpenGLLayer::renderFrame(std::shared_ptr<const VideoFrame> frame) {
    if (!frame || frame->width <= 0 || frame->height <= 0) {
        return;
    }
    frame_ = std::move(frame);
    const auto t = now();
    lastFrame_ = t;
    recent_.push_back(t);
    while (!recent_.empty() && t - recent_.front() >= 1.0) {
        recent_.pop_front();
    }
    ++framesRendered_;
    changed();
}

void CocoaCAOpenGLLayer::changed() const {
    if (observer_) {
        observer_();
    }
}
