#include "engine/LocalVideoService.h"

#include "engine/CocoaCAOpenGLLayer.h"
#include "engine/TestPatternSource.h"
#include "engine/V4L2Camera.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"

LocalVideoService::LocalVideoService() : devices_(V4L2Camera::devices()) {}

LocalVideoService::~LocalVideoService() {
    if (source_) {
        source_->stop();
    }
}

void LocalVideoService::setState(int state) {
    if (state_ == state) {
        return;
    }
    state_ = state;
    notifyDelegates([state](OVVideoServicePro& d) { d.ovvsStateChangedTo(state); });
}

void LocalVideoService::start() {
    if (started()) {
        return;
    }
    setState(STARTING);
    auto deliver = [this](std::shared_ptr<const VideoFrame> frame) { this->deliver(frame); };
    for (const auto& device : devices_) {
        auto camera = std::make_unique<V4L2Camera>(device);
        std::string whyNot;
        if (camera->start(deliver, &whyNot)) {
            description_ = camera->description();
            source_ = std::move(camera);
            platform::Logf("Camera: %@", description_);
            return;
        }
        platform::Logf("Camera: %@", whyNot);
    }
    auto picture =
        std::make_unique<TestPatternSource>(640, 480, 30, TestPatternSource::Style::camera);
    picture->start(deliver);
    description_ = picture->description();
    source_ = std::move(picture);
}

void LocalVideoService::stop() {
    if (!started()) {
        return;
    }
    if (source_) {
        source_->stop();
        // Stopping may come from inside the source's own delivery; it goes on the next pass.
        platform::RunLoop::main().performInModes(
            [retired = std::shared_ptr<VideoFrameSource>(std::move(source_))] {},
            platform::commonModes());
    }
    setState(IDLE);
}

void LocalVideoService::pause(bool flag) {
    if (flag && (state_ == RECEIVING || state_ == STARTING)) {
        setState(PAUSED);
    } else if (!flag && state_ == PAUSED) {
        setState(RECEIVING);
    }
}

void LocalVideoService::setDisplayLayer(std::shared_ptr<CocoaCAOpenGLLayer> layer) {
    layer_ = std::move(layer);
}

void LocalVideoService::deliver(std::shared_ptr<const VideoFrame> frame) {
    if (state_ == PAUSED || !started()) {
        return;
    }
    if (state_ == STARTING) {
        setState(RECEIVING);
    }
    if (layer_) {
        layer_->renderFrame(std::move(frame));
    }
}
