#pragma once

#include "engine/OVVideoServicePro.h"
#include "platform/foundation/Object.h"

#include <memory>

class ConversationService;
class LocalVideoService;
class RemoteVideoService;
class VideoView;
class VideoWindow;

namespace platform {
class Button;
}

// The video window's owner: the camera's and the far end's video services report to it, it
// hands them the view's rendering layers, starts and stops the camera, turns the engine's
// video news into the view's waiting and sending states, brings the window up when a call's
// video starts, and titles it.
class VideoController : public platform::Object, public OVVideoServicePro {
public:
    VideoController() = default;
    ~VideoController() override;
    VideoController(const VideoController&) = delete;
    VideoController& operator=(const VideoController&) = delete;

    // Takes the services from the engine, listens to both video services and titles the
    // window "Video display".
    void awakeFromNib();

    const std::shared_ptr<VideoView>& view() const { return view_; }
    void setView(std::shared_ptr<VideoView> view) { view_ = std::move(view); }
    // Not owned: the window owns this controller.
    VideoWindow* window() const { return window_; }
    void setWindow(VideoWindow* window) { window_ = window; }
    // The toolbar's video button, not owned; turned on when video starts.
    platform::Button* videoButton() const { return videoButton_; }
    void setVideoButton(platform::Button* button) { videoButton_ = button; }

    void startCamera(platform::Object* sender);
    void stopCamera(platform::Object* sender);
    bool localVideoStarted() const;
    // Pauses a running camera and resumes a paused one.
    void pauseCamera(platform::Object* sender);
    void openSettings(platform::Object* /*sender*/) {}
    void toggleInfo(platform::Object* /*sender*/) {}

    // The engine's video news.
    void ovvsStateChangedTo(int state) override;
    void ovvsSendingMyVideo(bool sending) override;
    void ovvsWaitingForRemoteVideo() override;
    void ovvsRemoteVideoStopped() override;
    void ovvsRemoteVideoRecieived() override;
    void ovvsRemoteDisplayNameUpdate() override;
    void ovvsInitialNegotiationSucceeded() override;
    void ovvsVideoRequestAcceptebByRemote() override;
    void ovvsVideoRequestFailed() override;
    void ovvsVideoRequestedByRemote() override;
    void ovvsIncomingVideoCallAccepted() override;

private:
    // The far end's picture goes to the view's remote layer, which shows.
    void attachRemoteVideo();
    void attachRemoteVideoUnlessShown();
    void buttonOn();
    void orderWindowFront();
    void setWindowTitle(const std::string& title);

    std::shared_ptr<VideoView> view_;
    VideoWindow* window_ = nullptr;
    platform::Button* videoButton_ = nullptr;
    std::shared_ptr<LocalVideoService> localVideoService_;
    std::shared_ptr<RemoteVideoService> remoteVideoService_;
    std::shared_ptr<ConversationService> conversationService_;
};
