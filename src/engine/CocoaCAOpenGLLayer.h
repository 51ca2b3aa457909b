#pragma once

#include "engine/VideoFrame.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/RunLoop.h"

#include <deque>
#include <functional>
#include <memory>

// The engine's rendering target for one picture (the camera's or the far end's): the video
// services hand it their frames, and the interface shows the latest one in its layer tree,
// mirrored or flipped as asked. It measures the frame rate and how long ago a frame came.
// Main thread only.
class CocoaCAOpenGLLayer : public platform::Object {
public:
    static std::shared_ptr<CocoaCAOpenGLLayer> layer();

    // Forgets the picture and the frame-rate history, as after a new stream starts.
    void reset();
    bool mirrored() const { return mirrored_; }
    void setMirrored(bool flag);
    bool flipped() const { return flipped_; }
    void setFlipped(bool flag);
    // Frames a second over the last second; 0 when no frame came in it.
    double frameRate() const;
    // The size of the latest picture, 0 when there is none.
    int videoWidth() const { return frame_ ? frame_->width : 0; }
    int videoHeight() const { return frame_ ? frame_->height : 0; }
    // Seconds since the latest frame; a large value when none came since the last reset.
    double timeSinceLastRender() const;

    // Engine side: a new picture.
    void renderFrame(std::shared_ptr<const VideoFrame> frame);
    const std::shared_ptr<const VideoFrame>& currentFrame() const { return frame_; }
    std::uint64_t framesRendered() const { return framesRendered_; }

    // Told after each change of the picture or of its look (the view redraws); one observer.
    void setChangeObserver(std::function<void()> observer) { observer_ = std::move(observer); }

private:
    void changed() const;
    std::shared_ptr<const VideoFrame> frame_;
    bool mirrored_ = false;
    bool flipped_ = false;
    std::deque<platform::TimeInterval> recent_;
    platform::TimeInterval lastFrame_ = -1;
    std::uint64_t framesRendered_ = 0;
    std::function<void()> observer_;
};
