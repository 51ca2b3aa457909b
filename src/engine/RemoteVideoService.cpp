#include "engine/RemoteVideoService.h"

#include "engine/CocoaCAOpenGLLayer.h"
#include "engine/ConversationService.h"
#include "engine/EngineBackend.h"
#include "engine/EngineContext.h"
#include "platform/foundation/RunLoop.h"

RemoteVideoService::RemoteVideoService(std::shared_ptr<EngineContext> context)
    : context_(std::move(context)) {}

RemoteVideoService::~RemoteVideoService() {
    if (stream_) {
        stream_->stop();
    }
}

void RemoteVideoService::setDisplayLayer(std::shared_ptr<CocoaCAOpenGLLayer> layer, int width,
                                         int height) {
    layer_ = std::move(layer);
    width_ = layer_ ? width : 0;
    height_ = layer_ ? height : 0;
}

void RemoteVideoService::videoStarted(const std::shared_ptr<Conversation>& conversation, Start how,
                                      bool sendingMyVideo) {
    if (auto previous = conversation_.lock(); previous && previous != conversation) {
        videoStopped(*previous);
    }
    closeStream();
    conversation_ = conversation;
    receiving_ = false;
    const auto& party = conversation->participants().front();
    // A party known by its address alone goes by the address as the interface shows it.
    const bool named = !party->displayName().empty() && party->displayName() != party->address();
    displayName_ = named ? party->displayName() : party->addressToDisplay();
    switch (how) {
    case Start::negotiated:
        notifyDelegates([](OVVideoServicePro& d) { d.ovvsInitialNegotiationSucceeded(); });
        break;
    case Start::incomingAccepted:
        notifyDelegates([](OVVideoServicePro& d) { d.ovvsIncomingVideoCallAccepted(); });
        break;
    case Start::requestAccepted:
        notifyDelegates([](OVVideoServicePro& d) { d.ovvsVideoRequestAcceptebByRemote(); });
        break;
    case Start::requestedByRemote:
        notifyDelegates([](OVVideoServicePro& d) { d.ovvsVideoRequestedByRemote(); });
        break;
    }
    notifyDelegates([](OVVideoServicePro& d) { d.ovvsRemoteDisplayNameUpdate(); });
    notifyDelegates(
        [sendingMyVideo](OVVideoServicePro& d) { d.ovvsSendingMyVideo(sendingMyVideo); });
    notifyDelegates([](OVVideoServicePro& d) { d.ovvsWaitingForRemoteVideo(); });
    if (!context_ || conversation_.lock() != conversation) {
        return;
    }
    stream_ = context_->backend()->remoteVideo(conversation->callIdentifier());
    if (stream_) {
        stream_->start([this](std::shared_ptr<const VideoFrame> frame) { deliver(frame); });
    }
}

void RemoteVideoService::sendingMyVideo(bool sending) {
    notifyDelegates([sending](OVVideoServicePro& d) { d.ovvsSendingMyVideo(sending); });
}

void RemoteVideoService::requestFailed() {
    notifyDelegates([](OVVideoServicePro& d) { d.ovvsVideoRequestFailed(); });
}

void RemoteVideoService::videoStopped(const Conversation& conversation) {
    if (conversation_.lock().get() != &conversation && !conversation_.expired()) {
        return;
    }
    closeStream();
    conversation_.reset();
    displayName_.clear();
    receiving_ = false;
    notifyDelegates([](OVVideoServicePro& d) { d.ovvsRemoteVideoStopped(); });
}

void RemoteVideoService::closeStream() {
    if (stream_) {
        stream_->stop();
        // Closing may come from inside the stream's own delivery; it goes on the next pass.
        platform::RunLoop::main().performInModes(
            [retired = std::shared_ptr<VideoFrameSource>(std::move(stream_))] {},
            platform::commonModes());
    }
}

void RemoteVideoService::deliver(std::shared_ptr<const VideoFrame> frame) {
    if (!receiving_) {
        receiving_ = true;
        notifyDelegates([](OVVideoServicePro& d) { d.ovvsRemoteVideoRecieived(); });
        if (!stream_) {
            return;
        }
    }
    if (layer_) {
        layer_->renderFrame(std::move(frame));
    }
}
