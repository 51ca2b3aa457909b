#pragma once

#include "platform/graphics/Geometry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class Cursor;
class Image;
class RunLoopSource;
class Window;

// One display as a backend describes it.
struct ScreenDescription {
    Rect frame;
    Rect visibleFrame;
    double backingScaleFactor = 1.0;
};

// Where windows appear. The kit tells the backend what happened to its windows; the backend
// shows their pixels (Window::backingPixels or Window::renderInto) and reports input back as
// Events through WindowServer::postEvent, and moves or resizes by the window manager through
// WindowServer::windowMovedByScreen. Every call is on the main thread.
class ScreenBackend {
public:
    virtual ~ScreenBackend() = default;

    virtual std::string name() const = 0;
    // The displays, the main one first. Read once when the backend is installed and again
    // after screensChanged().
    virtual std::vector<ScreenDescription> screens() const = 0;

    virtual void windowCreated(Window& /*window*/) {}
    // The window is being destroyed; forget it.
    virtual void windowDestroyed(Window& /*window*/) {}
    // The window became visible or changed its place in the order (WindowServer::
    // orderedWindows gives the order).
    virtual void windowOrderedIn(Window& /*window*/) {}
    virtual void windowOrderedOut(Window& /*window*/) {}
    virtual void windowFrameChanged(Window& /*window*/) {}
    // Level, alpha, shadow, opacity, title or style changed.
    virtual void windowPropertiesChanged(Window& /*window*/) {}
    virtual void windowBecameKey(Window& /*window*/) {}
    // The window drew into its backing store; `dirtyRect` is in window base coordinates.
    virtual void windowDidDisplay(Window& /*window*/, const Rect& /*dirtyRect*/) {}

    // The pointer's shape changed (Cursor::set).
    virtual void cursorChanged(const Cursor& /*cursor*/) {}

    // The application's tile (kit/DockTile.h) composed a new picture; a desktop backend shows
    // it as the icon of the application's windows. Null: no picture.
    virtual void applicationIconChanged(std::shared_ptr<Image> /*icon*/) {}

    // The source the main run loop waits on for input, or nullptr.
    virtual RunLoopSource* runLoopSource() { return nullptr; }
    // The pointer in screen coordinates, as the backend last saw it.
    virtual Point mouseLocation() const { return mouseLocation_; }
    void setMouseLocation(Point point) { mouseLocation_ = point; }

    // A picture of the whole of the main screen; the default composites the visible windows
    // back to front over a transparent background.
    virtual std::shared_ptr<Image> snapshotScreen();

private:
    Point mouseLocation_;
};

// Installs the backend (replacing and destroying the previous one); null installs nothing, so
// windows live without being shown and the screens are the default headless one.
void setScreenBackend(std::unique_ptr<ScreenBackend> backend);
ScreenBackend* screenBackend();
// Counts the installations, so that state handed to one backend is not taken for handed to
// the next (which may live at the same address).
std::uint64_t screenBackendGeneration();
// Re-reads the backend's screens.
void screensChanged();
// The kit's picture of the main screen from the windows' own backing stores, back to front,
// each at its frame and alpha.
std::shared_ptr<Image> compositeScreenImage(const Rect& screenFrame);

} // namespace platform
