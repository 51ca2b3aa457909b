#pragma once

#include "platform/kit/ScreenBackend.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

class Image;

// Real windows through SDL2 on X11 (under Wayland through XWayland): one SDL window for each
// kit window that has been on screen, at the kit window's frame, borderless when the window
// is, kept on top above the normal level, with the window's alpha. Pixels go through SDL's
// software window surface, copied from the window's backing store after the kit displayed it;
// SDL's GL framebuffer is turned off, since Cairo draws in software anyway and GL would only
// add start-up time and memory. Mouse, wheel, keyboard and text input, focus, moves and
// resizes by the window manager and close requests come back as kit events and calls.
class SdlScreenBackend final : public ScreenBackend {
public:
    // Starts SDL's video with the X11 driver (unless SDL_VIDEODRIVER names another); nullptr,
    // with the reason in `error`, when there is no display to open.
    static std::unique_ptr<SdlScreenBackend> create(std::string* error = nullptr);
    ~SdlScreenBackend() override;
    SdlScreenBackend(const SdlScreenBackend&) = delete;
    SdlScreenBackend& operator=(const SdlScreenBackend&) = delete;

    std::string name() const override { return "sdl2"; }
    std::vector<ScreenDescription> screens() const override;

    void windowCreated(Window& window) override;
    void windowDestroyed(Window& window) override;
    void windowOrderedIn(Window& window) override;
    void windowOrderedOut(Window& window) override;
    void windowFrameChanged(Window& window) override;
    void windowPropertiesChanged(Window& window) override;
    void windowBecameKey(Window& window) override;
    void windowDidDisplay(Window& window, const Rect& dirtyRect) override;
    RunLoopSource* runLoopSource() override;

    // The icon the desktop shows for the window (task bar, switcher); the Dock-tile stand-in
    // draws its badge into the main window's icon and sets it here. Null clears it.
    void setWindowIcon(Window& window, std::shared_ptr<Image> icon);
    // The application's tile picture becomes the icon of every window that has none of its
    // own, those made later included.
    void applicationIconChanged(std::shared_ptr<Image> icon) override;

    // Runs once, right after the first window's pixels reached the X server.
    using FirstPaintHandler = std::function<void(Window& window)>;
    void setFirstPaintHandler(FirstPaintHandler handler);

    // Handles every SDL event already queued, without waiting; true when there was one.
    bool processPendingEvents();

    // For tests and diagnostics: the SDL window id of the kit window (0 when it has none yet),
    // its X11 window id (0 when none), and how many times its pixels were presented.
    std::uint32_t sdlWindowId(const Window& window) const;
    unsigned long x11WindowId(const Window& window) const;
    int presentCount(const Window& window) const;

private:
    SdlScreenBackend();
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
