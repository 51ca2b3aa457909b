#pragma once

// Callbacks of the local (camera) and the remote video services, on the main thread. The
// spellings are the engine's.
class OVVideoServicePro {
public:
    virtual ~OVVideoServicePro() = default;
    // The camera's state changed (LocalVideoService's constants).
    virtual void ovvsStateChangedTo(int /*state*/) {}
    // Whether this side's picture goes to the other party.
    virtual void ovvsSendingMyVideo(bool /*sending*/) {}
    virtual void ovvsWaitingForRemoteVideo() {}
    virtual void ovvsRemoteVideoStopped() {}
    virtual void ovvsRemoteVideoRecieived() {}
    virtual void ovvsRemoteDisplayNameUpdate() {}
    // A video call was connected with video both ways agreed.
    virtual void ovvsInitialNegotiationSucceeded() {}
    virtual void ovvsVideoRequestAcceptebByRemote() {}
    virtual void ovvsVideoRequestFailed() {}
    virtual void ovvsVideoRequestedByRemote() {}
    virtual void ovvsIncomingVideoCallAccepted() {}
};
