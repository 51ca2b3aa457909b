#pragma once

#include "engine/VideoFrame.h"

#include <functional>
#include <memory>
#include <string>

// Where pictures come from: a camera, the other party of a call, a test picture. A source
// delivers its frames on the main run loop, one call a frame, from start until stop.
class VideoFrameSource {
public:
    using Deliver = std::function<void(std::shared_ptr<const VideoFrame>)>;

    virtual ~VideoFrameSource() = default;
    // False (with the reason in whyNot) when the source cannot run.
    virtual bool start(Deliver deliver, std::string* whyNot = nullptr) = 0;
    // Nothing is delivered after it returns.
    virtual void stop() = 0;
    // What the source is ("test picture", the camera's device and name).
    virtual std::string description() const = 0;
};
