#pragma once

#include "platform/kit/Event.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"

#include <string>
#include <string_view>

namespace kittest {

// Input as the headless screen gives it: each event is queued on the window server and the queue
// dispatched, and both halves of a click are queued before either is handled, so that a view
// following the mouse in a loop of its own finds the release waiting.
struct Input {
    static void dispatch() { platform::WindowServer::shared().dispatchPendingEvents(); }
    static void post(const platform::Event& event) {
        platform::WindowServer::shared().postEvent(event);
    }
    static void send(const platform::Event& event) {
        post(event);
        dispatch();
    }

    static void click(platform::Window& window, platform::Point at,
                      platform::EventModifierFlags flags = 0, long clicks = 1) {
        using platform::Event;
        using platform::EventType;
        post(Event::mouseEvent(EventType::LeftMouseDown, at, flags, &window, clicks));
        post(Event::mouseEvent(EventType::LeftMouseUp, at, flags, &window, clicks));
        dispatch();
    }
    static void doubleClick(platform::Window& window, platform::Point at,
                            platform::EventModifierFlags flags = 0) {
        click(window, at, flags, 1);
        click(window, at, flags, 2);
    }
    static void mouse(platform::EventType type, platform::Window& window, platform::Point at,
                      platform::EventModifierFlags flags = 0, long clicks = 1) {
        send(platform::Event::mouseEvent(type, at, flags, &window, clicks));
    }
    // Down at `from`, `steps` drags ending at `to`, up at `to`, each dispatched on its own.
    static void drag(platform::Window& window, platform::Point from, platform::Point to,
                     int steps = 4, platform::EventModifierFlags flags = 0) {
        using platform::EventType;
        mouse(EventType::LeftMouseDown, window, from, flags);
        for (int i = 1; i <= steps; ++i) {
            const double t = static_cast<double>(i) / steps;
            mouse(EventType::LeftMouseDragged, window,
                  {from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t}, flags);
        }
        mouse(EventType::LeftMouseUp, window, to, flags);
    }
    static void moveMouse(platform::Window& window, platform::Point at) {
        send(platform::Event::mouseEvent(platform::EventType::MouseMoved, at, 0, &window, 0));
    }
    static void scroll(platform::Window& window, platform::Point at, double dx, double dy) {
        send(platform::Event::scrollWheelEvent(at, dx, dy, 0, &window));
    }
    // One key down and up to the key window, by its character.
    static void key(char32_t character, platform::EventModifierFlags flags = 0) {
        using platform::Event;
        using platform::EventType;
        const std::string text = platform::utf8FromCodePoint(character);
        platform::Window* window = platform::WindowServer::shared().keyWindow();
        send(Event::keyEvent(EventType::KeyDown, text, flags, window));
        send(Event::keyEvent(EventType::KeyUp, text, flags, window));
    }
    static void typeText(std::string_view utf8) {
        std::size_t i = 0;
        while (i < utf8.size()) {
            const char32_t c = platform::firstCodePoint(utf8.substr(i));
            i += platform::utf8FromCodePoint(c).size();
            key(c);
        }
    }
};

} // namespace kittest
