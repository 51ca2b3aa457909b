#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/kit/Event.h"
#include "platform/kit/ScreenBackend.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Image;
class Window;

// The screen of tests and of --headless runs: one virtual 1440 x 900 display whose top
// 22 points are kept free as a menu bar would be (the visible frame is 0, 0, 1440, 878). Each
// window draws into its own off-screen backing store; a snapshot of one window or of the
// composited screen can be written as PNG. Input is injected as events that take the road
// real input takes: queued on the window server and dispatched at once, through
// WindowServer::sendEvent and Window::sendEvent.
class HeadlessScreen : public ScreenBackend {
public:
    static constexpr double kWidth = 1440;
    static constexpr double kHeight = 900;
    static constexpr double kMenuBarHeight = 22;

    // Installs a fresh headless screen as the kit's backend and answers it.
    static HeadlessScreen& install();

    std::string name() const override { return "headless"; }
    std::vector<ScreenDescription> screens() const override;
    void windowOrderedIn(Window& window) override;
    void windowOrderedOut(Window& window) override;
    void windowDidDisplay(Window& window, const Rect& dirtyRect) override;

    // Pictures.
    std::shared_ptr<Image> snapshotWindow(Window& window);
    bool writeWindowPNG(Window& window, const std::filesystem::path& path);
    bool writeScreenPNG(const std::filesystem::path& path);

    // Mouse input; locations in the window's base coordinates.
    void click(Window& window, Point location, EventModifierFlags flags = 0, long clickCount = 1);
    void doubleClick(Window& window, Point location, EventModifierFlags flags = 0);
    void rightClick(Window& window, Point location, EventModifierFlags flags = 0);
    void mouseDown(Window& window, Point location, EventModifierFlags flags = 0,
                   long clickCount = 1);
    void mouseUp(Window& window, Point location, EventModifierFlags flags = 0, long clickCount = 1);
    // Down at `from`, `steps` drags ending at `to`, up at `to`.
    void drag(Window& window, Point from, Point to, int steps = 4, EventModifierFlags flags = 0);
    void mouseDragged(Window& window, Point location, EventModifierFlags flags = 0);
    // Moves the pointer to a screen point: the window under it (if any) gets a mouse-moved
    // event in its coordinates.
    void moveMouse(Point screenPoint, EventModifierFlags flags = 0);
    void moveMouse(Window& window, Point location, EventModifierFlags flags = 0);
    void scroll(Window& window, Point location, double deltaX, double deltaY);

    // Keyboard input to the key window: each code point a key down and a key up.
    void typeText(std::string_view utf8, EventModifierFlags flags = 0);
    // One key by its character (letters, control characters, function-key code points).
    void key(char32_t character, EventModifierFlags flags = 0);
    // One key by its virtual key code, with the character the key gives.
    void keyCode(unsigned short code, EventModifierFlags flags = 0);
    void keyDown(char32_t character, EventModifierFlags flags = 0, bool isARepeat = false);
    void keyUp(char32_t character, EventModifierFlags flags = 0);
    void flagsChanged(EventModifierFlags flags);

    // Posts the event and dispatches the queue.
    void inject(const Event& event);

    // What the backend saw, for tests.
    int orderedInCount() const { return orderedIn_; }
    int orderedOutCount() const { return orderedOut_; }
    int displayCount() const { return displayed_; }

private:
    void mouse(EventType type, Window& window, Point location, EventModifierFlags flags,
               long clickCount);
    int orderedIn_ = 0;
    int orderedOut_ = 0;
    int displayed_ = 0;
};

// The character a key code gives on a US keyboard without modifiers (function keys as their
// private-use code points); 0 when unknown.
char32_t characterForKeyCode(unsigned short code);

} // namespace platform
