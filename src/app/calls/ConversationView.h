#pragma once

#include "platform/kit/View.h"

#include <memory>

class ConversationViewController;
class QXGradient;

// The drawn body of a call panel: a rounded face whose gradient says whether the call rings in,
// is held or is under way, and a focus ring while it holds the keyboard focus. It takes the
// keyboard focus when clicked; Escape goes to its controller.
class ConversationView : public platform::View {
public:
    explicit ConversationView(const platform::Rect& frame = {});

    ConversationViewController* controller() const { return _controller; }
    // Not owned: the controller clears it in its clean-up.
    void setController(ConversationViewController* controller) { _controller = controller; }

    bool isIncomming() const { return _incoming; }
    void setIncomming(bool incoming);
    bool isHold() const { return _hold; }
    void setHold(bool hold);
    // The brand's faces ("ConversationView": "Gradient", "GradientIncoming", "GradientHold").
    void setGradients(std::shared_ptr<QXGradient> normal, std::shared_ptr<QXGradient> incoming,
                      std::shared_ptr<QXGradient> hold);

    bool acceptsFirstResponder() const override { return true; }
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;
    bool hasFocus() const { return _focused; }
    void mouseDown(const platform::Event& event) override;
    void keyDown(const platform::Event& event) override;
    void drawRect(const platform::Rect& dirtyRect) override;

private:
    ConversationViewController* _controller = nullptr;
    std::shared_ptr<QXGradient> _normal, _incomingGradient, _holdGradient;
    bool _incoming = false;
    bool _hold = false;
    bool _focused = false;
};
