#include "app/calls/VideoController.h"

#include "app/calls/VideoView.h"
#include "app/calls/VideoWindow.h"
#include "engine/ConversationService.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Button.h"
#include "support/AlertExtensions.h"
#include "support/Localization.h"

#include <cmath>

VideoController::~VideoController() {
    if (localVideoService_) {
        localVideoService_->removeDelegate(this);
    }
    if (remoteVideoService_) {
        remoteVideoService_->removeDelegate(this);
    }
}

void VideoController::awakeFromNib() {
    if (auto phone = StartupService::instance().phoneService()) {
        localVideoService_ = phone->getLocalVideoService();
        remoteVideoService_ = phone->getRemoteVideoService();
        conversationService_ = phone->getConversationService();
        localVideoService_->setDelegate(this);
        remoteVideoService_->setDelegate(this);
    }
    setWindowTitle(QXLS("msg.video.window_title", "Video display"));
}

void VideoController::setWindowTitle(const std::string& title) {
    if (window_) {
        window_->setTitle(title);
    }
}

void VideoController::startCamera(platform::Object* /*sender*/) {
    if (!localVideoService_ || localVideoService_->started()) {
        return;
    }
    if (view_) {
        view_->displayLocalWaiting();
    }
    localVideoService_->start();
}

void VideoController::stopCamera(platform::Object* /*sender*/) {
    if (!localVideoService_) {
        return;
    }
    if (localVideoService_->started()) {
        localVideoService_->stop();
    }
    localVideoService_->setDisplayLayer(nullptr);
}

bool VideoController::localVideoStarted() const {
    return localVideoService_ && localVideoService_->started();
}

void VideoController::pauseCamera(platform::Object* /*sender*/) {
    if (localVideoService_) {
        localVideoService_->pause(localVideoService_->state() != LocalVideoService::PAUSED);
    }
}

void VideoController::attachRemoteVideo() {
    if (!remoteVideoService_ || !view_) {
        return;
    }
    const platform::Size size = view_->contentSize();
    remoteVideoService_->setDisplayLayer(view_->remoteLayer(), static_cast<int>(size.width),
                                         static_cast<int>(size.height));
    view_->setHasRemote(true);
}

void VideoController::attachRemoteVideoUnlessShown() {
    if (view_ && !view_->hasRemote()) {
        attachRemoteVideo();
    }
}

void VideoController::buttonOn() {
    if (videoButton_) {
        videoButton_->setState(platform::OnState);
    }
}

void VideoController::orderWindowFront() {
    if (window_) {
        window_->orderFront(videoButton_);
    }
}

void VideoController::ovvsStateChangedTo(int state) {
    if (!view_ || !localVideoService_) {
        return;
    }
    if (state == LocalVideoService::RECEIVING || state == LocalVideoService::IDLE) {
        localVideoService_->setDisplayLayer(view_->localLayer());
    } else {
        view_->displayLocalWaiting();
    }
}

void VideoController::ovvsSendingMyVideo(bool sending) {
    if (view_) {
        view_->setSendingLocal(sending);
    }
}

void VideoController::ovvsWaitingForRemoteVideo() {
    if (!view_) {
        return;
    }
    view_->displayRemoteWaiting();
    attachRemoteVideoUnlessShown();
}

void VideoController::ovvsRemoteVideoStopped() {
    if (remoteVideoService_) {
        remoteVideoService_->setDisplayLayer(nullptr, 0, 0);
    }
    if (view_) {
        view_->setHasRemote(false);
    }
}

void VideoController::ovvsRemoteVideoRecieived() {
    attachRemoteVideoUnlessShown();
    ovvsRemoteDisplayNameUpdate();
}

void VideoController::ovvsRemoteDisplayNameUpdate() {
    auto live = conversationService_ ? conversationService_->getLiveConversation() : nullptr;
    if (live && live->isConference()) {
        setWindowTitle(QXLS("msg.video.window_tile_conference", "Conference"));
        return;
    }
    const std::string name =
        remoteVideoService_ ? remoteVideoService_->remoteVideoDisplayName() : std::string();
    if (!name.empty()) {
        setWindowTitle(platform::formatString(
            QXLS("msg.video.window_tile_active", "Video call with %@"), name));
    } else {
        setWindowTitle(QXLS("msg.video.window_title", "Video display"));
    }
}

void VideoController::ovvsInitialNegotiationSucceeded() {
    if (view_ && !view_->hasRemote()) {
        attachRemoteVideo();
        view_->setSendingLocal(false);
    }
    if (view_) {
        view_->displayRemoteWaiting();
    }
    buttonOn();
    orderWindowFront();
}

void VideoController::ovvsVideoRequestAcceptebByRemote() {
    attachRemoteVideoUnlessShown();
    buttonOn();
    orderWindowFront();
}

void VideoController::ovvsVideoRequestFailed() {
    orderWindowFront();
    OrvantaExtensions::sheetOK(window_, QXLS("msg.opt.dialog.caption.WARNING", "Warning"),
                               QXLS("msg.opt.dialog.message.video_failed", "Failed to start video"),
                               platform::AlertStyle::Critical);
    if (view_) {
        view_->setHasRemote(false);
    }
}

void VideoController::ovvsVideoRequestedByRemote() {
    buttonOn();
    orderWindowFront();
    if (view_ && !view_->hasRemote()) {
        attachRemoteVideo();
        view_->setSendingLocal(false);
    }
    if (view_) {
        view_->displayRemoteWaiting();
    }
}

void VideoController::ovvsIncomingVideoCallAccepted() {
    attachRemoteVideoUnlessShown();
    buttonOn();
    orderWindowFront();
}
