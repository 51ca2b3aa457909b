#pragma once

#include "engine/DelegateList.h"
#include "engine/OVVideoServicePro.h"
#include "engine/VideoFrameSource.h"
#include "platform/foundation/Object.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CocoaCAOpenGLLayer;

// The camera. Started, it opens the first Video4Linux capture device that streams, or, when
// the machine has none, a moving test picture; its pictures go to the display layer it was
// given. The state goes IDLE -> STARTING -> RECEIVING (first picture) and back to IDLE when
// stopped; PAUSED holds the pictures back without closing the camera.
class LocalVideoService : public platform::Object, public DelegatingService<OVVideoServicePro> {
public:
    static constexpr int IDLE = 0;
    static constexpr int STARTING = 1;
    static constexpr int RECEIVING = 2;
    static constexpr int PAUSED = 3;

    LocalVideoService();
    ~LocalVideoService() override;

    void start();
    void stop();
    bool started() const { return state_ != IDLE; }
    int state() const { return state_; }
    // true pauses a running camera, false resumes a paused one.
    void pause(bool flag);
    // The layer the pictures go to; nullptr shows them nowhere.
    void setDisplayLayer(std::shared_ptr<CocoaCAOpenGLLayer> layer);
    const std::shared_ptr<CocoaCAOpenGLLayer>& displayLayer() const { return layer_; }
    // What the camera is, once started ("test picture" when there is no camera).
    const std::string& cameraDescription() const { return description_; }

    // The devices tried, in order; by default the machine's capture devices. Tests give their
    // own (none gives the test picture).
    void setDevicePaths(std::vector<std::filesystem::path> paths) { devices_ = std::move(paths); }

private:
    void setState(int state);
    void deliver(std::shared_ptr<const VideoFrame> frame);
    std::unique_ptr<VideoFrameSource> source_;
    std::shared_ptr<CocoaCAOpenGLLayer> layer_;
    std::vector<std::filesystem::path> devices_;
    std::string description_;
    int state_ = IDLE;
};
