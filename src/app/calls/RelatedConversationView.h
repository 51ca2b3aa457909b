#pragma once

#include "platform/kit/View.h"

#include <memory>
#include <string>

class RelatedConversationViewController;

namespace platform {
class Box;
}

// The strip of a call's second call: a framed box whose border darkens while the second call is
// held here. While it holds the keyboard focus (never while held), the dial keys typed on it go
// to its controller as presses and releases; other keys are dropped, and keys with Command or
// Control held (and repeats) go on to the usual handling.
class RelatedConversationView : public platform::View {
public:
    explicit RelatedConversationView(const platform::Rect& frame = {});

    platform::Box* box() const { return _box.get(); }
    void setBox(std::shared_ptr<platform::Box> box) { _box = std::move(box); }
    // Not owned: the controller clears it in its clean-up.
    RelatedConversationViewController* controller() const { return _controller; }
    void setController(RelatedConversationViewController* controller) { _controller = controller; }
    bool onHold() const { return _onHold; }
    void setHold(bool hold);
    bool hasFocus() const { return _focused; }

    // "" for anything but a dial key, else the key as a one-character text.
    static std::string filterTouchKey(const std::string& characters);

    void viewDidMoveToWindow() override;
    bool acceptsFirstResponder() const override { return !_onHold; }
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;
    void keyDown(const platform::Event& event) override;
    void keyUp(const platform::Event& event) override;

private:
    bool isWindowsFirstResponder() const;
    std::shared_ptr<platform::Box> _box;
    RelatedConversationViewController* _controller = nullptr;
    bool _onHold = false;
    bool _focused = false;
};
