#pragma once

#include "platform/foundation/Object.h"
#include "platform/foundation/RunLoop.h"

#include <memory>

class QXCollectionWindow;

// The hosted service's intro video, shown in the main window as "connectVideo" before the
// engine starts. No movie is played yet: the view shows a welcome line for the length of the
// video and then tells the application controller that the video has finished.
class ConnectVideoController : public platform::Object {
public:
    // How long the stand-in for the video stays up.
    static constexpr platform::TimeInterval kPlaybackDuration = 2.0;

    // The shared controller, made on first use.
    static std::shared_ptr<ConnectVideoController> instance();
    static bool instanceExists();
    static void releaseInstance();

    ConnectVideoController() = default;
    ~ConnectVideoController() override;
    ConnectVideoController(const ConnectVideoController&) = delete;
    ConnectVideoController& operator=(const ConnectVideoController&) = delete;

    // Adds the view "connectVideo" to the window unless it is there, keeps the window (not
    // owned) and starts playing.
    void initializeWithWindow(QXCollectionWindow& window);
    // Takes the view out of the window and ends the shared controller; the controller itself
    // goes on the next pass of the run loop, since this runs inside its own playback's end.
    void discard(QXCollectionWindow& window);

    bool isPlaying() const { return playbackTimer_ != nullptr; }
    QXCollectionWindow* window() const { return window_; }

private:
    void playbackEnded();

    QXCollectionWindow* window_ = nullptr;
    std::shared_ptr<platform::Timer> playbackTimer_;
};
