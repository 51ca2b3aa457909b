#pragma once

#include "platform/foundation/RunLoop.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class Window;
}

// The headless tour (`lumiq --headless --snapshots DIR`): once the application has launched it
// waits for the login view, signs in with the demo account, waits for the main view, and writes
// a picture of each window and view on the way, one PNG named after it; then it places calls
// (one ringing in, one connected, one on hold) and pictures the main view with their panels, a
// chat, the messaging windows, a file offer, a presence request, and the video window of an
// answered video call with all its layers. It ends the application with status 0, or 1 after
// logging the step that failed.
class SnapshotTour {
public:
    explicit SnapshotTour(std::filesystem::path folder, platform::TimeInterval stepTimeout = 30);
    ~SnapshotTour();

    // Starts polling the application on the main run loop.
    void start();
    // The files written so far, in order.
    const std::vector<std::filesystem::path>& written() const { return _written; }
    // Why the tour stopped, once it failed.
    const std::optional<std::string>& failure() const { return _failure; }
    bool finished() const { return _finished; }

    // The demo account the tour signs in with.
    static constexpr const char* demoUser = "alice";
    static constexpr const char* demoPassword = "wonderland";

private:
    enum class Stage {
        waitForLogin,
        waitForMainView,
        waitForContacts,
        waitForCalls,
        waitForHold,
        waitForHangUp,
        // A call with its second call, and a conference on the server with its parties.
        waitForSecondCall,
        waitForPartiesHangUp,
        waitForChat,
        waitForChatEnd,
        // The message archive and the other messaging windows.
        waitForArchive,
        waitForChatRooms,
        waitForFileTransfer,
        waitForPresenceRequest,
        waitForGroupChat,
        waitForVideoCall,
        waitForVideoPictures,
        waitForVideoLayers,
        waitForVideoEnd,
        done
    };
    void poll();
    // Whether the phone reports its accounts enabled and ready for calls.
    static bool phoneReady();
    void placeCalls();
    // The second call's strip, the parties' rows and the conference-bridge panel.
    void startSecondCall();
    bool pollSecondCall();
    // The chat: bob writes, the user answers in rich text, bob replies.
    bool pollChat();
    // The archive window on the chat just ended, searched.
    bool pollArchive();
    bool pollChatRooms();
    // A group chat joined from an invitation, once the demo room's members have talked.
    bool pollGroupChat();
    // The broadcast window with a message typed, and an invitation into a group chat.
    bool snapshotBroadcastAndInvitation();
    // The workgroup window as it opens.
    bool snapshotWorkgroup();
    // A file offer from a demo party in its transfer window, then a request to see the
    // user's presence; both are turned down afterwards.
    void startFileTransfer();
    bool pollFileTransfer();
    bool pollPresenceRequest();
    // The video call: a caller with video is answered, the window shows both pictures, then
    // its menu, statistics and the not-sending notice.
    void startVideoCall();
    bool pollVideo();
    bool snapshot(platform::Window& window, const std::string& name);
    void fail(std::string reason);
    void finish();

    std::filesystem::path _folder;
    platform::TimeInterval _stepTimeout;
    platform::TimeInterval _stepStarted = 0;
    Stage _stage = Stage::waitForLogin;
    std::shared_ptr<platform::Timer> _timer;
    std::vector<std::filesystem::path> _written;
    std::optional<std::string> _failure;
    bool _finished = false;
};
