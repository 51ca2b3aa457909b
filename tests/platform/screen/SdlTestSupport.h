#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/Event.h"
#include "platform/kit/ScreenBackend.h"
#include "platform/kit/View.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"

#include <chrono>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace sdltest {

// Sets an environment variable (nullptr: unsets it) and puts the old value back at the end.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_.c_str(), old_->c_str(), 1);
        else
            unsetenv(name_.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

// A view that fills itself with one colour, an optional marker square in its top left
// corner, and writes down every event that reaches it.
class PaintedView : public platform::View {
public:
    PaintedView(const platform::Rect& frame, platform::Color fill) : View(frame), fill_(fill) {}

    void drawRect(const platform::Rect& /*dirtyRect*/) override {
        auto* context = platform::GraphicsContext::currentContext();
        context->setFillColor(fill_);
        context->fillRect(bounds());
        if (marker) {
            context->setFillColor(*marker);
            context->fillRect(platform::Rect(0, bounds().height() - 10, 10, 10));
        }
    }
    bool acceptsFirstResponder() const override { return true; }
    bool acceptsFirstMouse(const platform::Event*) override { return true; }

    void mouseDown(const platform::Event& e) override { events.push_back(e); }
    void mouseUp(const platform::Event& e) override { events.push_back(e); }
    void mouseDragged(const platform::Event& e) override { events.push_back(e); }
    void mouseMoved(const platform::Event& e) override { events.push_back(e); }
    void rightMouseDown(const platform::Event& e) override { events.push_back(e); }
    void rightMouseUp(const platform::Event& e) override { events.push_back(e); }
    void otherMouseDown(const platform::Event& e) override { events.push_back(e); }
    void otherMouseUp(const platform::Event& e) override { events.push_back(e); }
    void scrollWheel(const platform::Event& e) override { events.push_back(e); }
    void keyDown(const platform::Event& e) override { events.push_back(e); }
    void keyUp(const platform::Event& e) override { events.push_back(e); }
    void flagsChanged(const platform::Event& e) override { events.push_back(e); }

    // The events of one type, in order.
    std::vector<platform::Event> of(platform::EventType type) const {
        std::vector<platform::Event> result;
        for (const auto& e : events)
            if (e.type() == type)
                result.push_back(e);
        return result;
    }

    std::optional<platform::Color> marker;
    std::vector<platform::Event> events;

private:
    platform::Color fill_;
};

// A borderless window that can still be key, as the skinned windows are.
class KeyableWindow : public platform::Window {
public:
    using Window::Window;
    bool canBecomeKeyWindow() const override { return true; }
    bool canBecomeMainWindow() const override { return true; }
};

class RecordingDelegate : public platform::WindowDelegate {
public:
    bool windowShouldClose(platform::Window& /*sender*/) override {
        ++shouldCloseAsked;
        return allowClose;
    }
    void windowDidMove(platform::Window& /*window*/) override { ++moves; }
    void windowDidResize(platform::Window& /*window*/) override { ++resizes; }

    bool allowClose = true;
    int shouldCloseAsked = 0;
    int moves = 0;
    int resizes = 0;
};

// Runs the main loop (real time) until `done` holds or `seconds` pass.
inline bool runUntil(const std::function<bool()>& done, double seconds = 5.0) {
    return platform::RunLoop::main().runUntil(done, seconds);
}

} // namespace sdltest
