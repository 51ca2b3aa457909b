#pragma once

#include "platform/foundation/Object.h"

#include <optional>
#include <string_view>

namespace platform {

class Event;
class MenuItem;

// Something that answers named actions ("presenceChanged:"): responders, and delegates or
// controllers that take part in the responder chain or are the target of a control. An
// action's name is the original's selector, colon included.
class ActionTarget {
public:
    virtual ~ActionTarget() = default;

    // Runs the action when this object answers it and says so; does not pass it on (the
    // application walks the chain). The default answers nothing.
    virtual bool tryToPerform(std::string_view /*action*/, Object* /*sender*/) { return false; }
    // Whether tryToPerform would answer the action.
    virtual bool respondsToAction(std::string_view /*action*/) const { return false; }
    // Menu validation: enabled or not, or nullopt for "does not validate" (the item then stays
    // enabled, as with the original when validateMenuItem: is not implemented).
    virtual std::optional<bool> validateMenuItem(MenuItem& /*item*/) { return std::nullopt; }
};

// A link of the responder chain: views, windows and whatever is put between them. Event
// handlers pass the event to the next responder unless overridden; the end of the chain
// drops it (an unhandled key down is the original's beep).
class Responder : public Object, public ActionTarget {
public:
    Responder() = default;
    Responder(const Responder&) = delete;
    Responder& operator=(const Responder&) = delete;
    ~Responder() override = default;

    // Not owned. Views set it to their superview, a window's content view to the window.
    Responder* nextResponder() const { return nextResponder_; }
    virtual void setNextResponder(Responder* responder) { nextResponder_ = responder; }

    virtual void mouseDown(const Event& event);
    virtual void mouseUp(const Event& event);
    virtual void mouseDragged(const Event& event);
    virtual void mouseMoved(const Event& event);
    virtual void mouseEntered(const Event& event);
    virtual void mouseExited(const Event& event);
    virtual void rightMouseDown(const Event& event);
    virtual void rightMouseUp(const Event& event);
    virtual void rightMouseDragged(const Event& event);
    virtual void otherMouseDown(const Event& event);
    virtual void otherMouseUp(const Event& event);
    virtual void otherMouseDragged(const Event& event);
    virtual void scrollWheel(const Event& event);
    virtual void keyDown(const Event& event);
    virtual void keyUp(const Event& event);
    virtual void flagsChanged(const Event& event);
    virtual void cursorUpdate(const Event& event);

    // Key equivalents (Command-key shortcuts) offered before the key goes to the first
    // responder; true when handled.
    virtual bool performKeyEquivalent(const Event& /*event*/) { return false; }
    // The end of the chain for an event nobody took.
    virtual void noResponderFor(const Event& event);

    virtual bool acceptsFirstResponder() const { return false; }
    // Asked when this responder is about to become (or stop being) the window's first
    // responder; false refuses.
    virtual bool becomeFirstResponder() { return true; }
    virtual bool resignFirstResponder() { return true; }

private:
    Responder* nextResponder_ = nullptr;
};

} // namespace platform
