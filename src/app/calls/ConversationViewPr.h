#pragma once

namespace platform {
class Event;
class Value;
} // namespace platform

// What a call panel's drawn body tells the controller that owns it: the keyboard focus coming
// and going, dial keys pressed and released on it, Escape, and the things dropped on it. An
// ordinary call panel and the conference-bridge panel both own such a body; what a panel does
// not take it leaves as it is.
class ConversationViewPr {
public:
    virtual ~ConversationViewPr() = default;
    virtual void conversationViewGotFocus() {}
    virtual void conversationViewLostFocus() {}
    virtual void keyPressedOnView(const platform::Event& /*event*/) {}
    virtual void keyReleasedOnView(const platform::Event& /*event*/) {}
    virtual void escapeKeyPressed() {}
    virtual void receivedDraggedItem(const platform::Value& /*item*/) {}
};
