#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/kit/Event.h"
#include "platform/kit/ScreenBackend.h"
#include "platform/kit/View.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace kittest {

using platform::Event;
using platform::EventModifierFlags;
using platform::EventType;
using platform::make;
using platform::ManualClock;
using platform::Point;
using platform::Rect;
using platform::RunLoop;
using platform::Size;
using platform::Value;
using platform::View;
using platform::Window;
using platform::WindowServer;
using platform::WindowStyleMask;

// A fresh main loop on a manual clock, no screen backend, an empty window server.
class KitTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock = std::make_shared<ManualClock>(100.0);
        RunLoop::resetMain(clock);
        platform::setScreenBackend(nullptr);
        WindowServer::shared().reset();
    }
    void TearDown() override {
        WindowServer::shared().reset();
        WindowServer::shared().setChainTail({});
        WindowServer::shared().setMenuKeyEquivalentHandler({});
        Window::setFieldEditorFactory({});
        RunLoop::resetMain();
    }

    std::shared_ptr<Window> makeWindow(Rect frame = {100, 100, 300, 200},
                                       WindowStyleMask style = platform::TitledWindowMask) {
        return make<Window>(frame, style);
    }

    // The road a backend's input takes.
    static void send(const Event& event) {
        WindowServer::shared().postEvent(event);
        WindowServer::shared().dispatchPendingEvents();
    }
    static void mouse(EventType type, Window& window, Point location, long clicks = 1) {
        send(Event::mouseEvent(type, location, 0, &window, clicks));
    }
    static void key(std::string_view characters, EventModifierFlags flags = 0,
                    EventType type = EventType::KeyDown) {
        send(Event::keyEvent(type, characters, flags, WindowServer::shared().keyWindow()));
    }

    std::shared_ptr<ManualClock> clock;
};

// A view that writes down what reaches it.
class RecordingView : public View {
public:
    explicit RecordingView(const Rect& frame, std::string name = "view",
                           std::vector<std::string>* log = nullptr)
        : View(frame), name_(std::move(name)), log_(log) {}

    bool acceptsFirstResponder() const override { return acceptsFirst; }
    bool isFlipped() const override { return flipped; }

    void mouseDown(const Event& e) override { note("down", e); }
    void mouseDragged(const Event& e) override { note("dragged", e); }
    void mouseUp(const Event& e) override { note("up", e); }
    void rightMouseDown(const Event& e) override { note("rightDown", e); }
    void mouseEntered(const Event& e) override { note("entered", e); }
    void mouseExited(const Event& e) override { note("exited", e); }
    void mouseMoved(const Event& e) override { note("moved", e); }
    void scrollWheel(const Event& e) override { note("scroll", e); }
    void cursorUpdate(const Event& e) override { note("cursorUpdate", e); }
    void keyDown(const Event& e) override {
        if (passKeys) {
            note("keyPassed", e);
            View::keyDown(e);
            return;
        }
        note("key:" + e.characters(), e);
    }

    void note(const std::string& what, const Event& e) {
        events.push_back(what);
        locations.push_back(e.locationInWindow());
        userData.push_back(e.userData());
        if (log_)
            log_->push_back(name_ + ":" + what);
    }

    bool acceptsFirst = false;
    bool flipped = false;
    bool passKeys = false;
    std::vector<std::string> events;
    std::vector<Point> locations;
    std::vector<Value> userData;

private:
    std::string name_;
    std::vector<std::string>* log_;
};

} // namespace kittest
