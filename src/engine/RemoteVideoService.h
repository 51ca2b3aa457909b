#pragma once

#include "engine/DelegateList.h"
#include "engine/OVVideoServicePro.h"
#include "engine/VideoFrameSource.h"
#include "platform/foundation/Object.h"

#include <memory>
#include <string>

class CocoaCAOpenGLLayer;
class Conversation;
class EngineContext;

// The far end's picture of the call that has video, and the news of that call's video
// session: negotiated, asked for by either side, refused, received, stopped. The picture
// comes from the network as a stream of frames, which goes to the display layer while one is
// set.
class RemoteVideoService : public platform::Object, public DelegatingService<OVVideoServicePro> {
public:
    // How a call came to have video.
    enum class Start {
        // A video call placed here was answered.
        negotiated,
        // An incoming video call was answered here.
        incomingAccepted,
        // The other party agreed to add video to the call.
        requestAccepted,
        // The other party added video to the call.
        requestedByRemote,
    };

    explicit RemoteVideoService(std::shared_ptr<EngineContext> context = nullptr);
    ~RemoteVideoService() override;

    // The layer the far end's picture goes to and the size it is shown at; nullptr, 0, 0
    // detaches it.
    void setDisplayLayer(std::shared_ptr<CocoaCAOpenGLLayer> layer, int width, int height);
    const std::shared_ptr<CocoaCAOpenGLLayer>& displayLayer() const { return layer_; }
    int displayWidth() const { return width_; }
    int displayHeight() const { return height_; }
    // The far end's name, empty when no call has video.
    const std::string& remoteVideoDisplayName() const { return displayName_; }
    // The call whose video this is, while it has video.
    std::shared_ptr<Conversation> videoConversation() const { return conversation_.lock(); }
    bool isReceiving() const { return receiving_; }

    // Engine side.
    void videoStarted(const std::shared_ptr<Conversation>& conversation, Start how,
                      bool sendingMyVideo);
    void sendingMyVideo(bool sending);
    void requestFailed();
    // The call's video ended (the call ended, or went back to audio).
    void videoStopped(const Conversation& conversation);

private:
    void deliver(std::shared_ptr<const VideoFrame> frame);
    void closeStream();
    std::shared_ptr<EngineContext> context_;
    std::weak_ptr<Conversation> conversation_;
    std::unique_ptr<VideoFrameSource> stream_;
    std::shared_ptr<CocoaCAOpenGLLayer> layer_;
    std::string displayName_;
    int width_ = 0;
    int height_ = 0;
    bool receiving_ = false;
};
