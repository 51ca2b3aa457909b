#pragma once

#include "app/calls/ConversationViewPr.h"
#include "platform/kit/DragSession.h"
#include "platform/kit/View.h"
#include "support/QXMargin.h"

#include <memory>
#include <string>

class QXGradient;
class QXOutlinePath;

// The drawn body of a call panel: a face whose gradient says whether the call rings in, is held
// or is under way, in the brand's outline and margins, with a focus ring while it holds the
// keyboard focus. A held panel takes no focus. While focused, the dial keys pressed and released
// go to its controller (tones down the call) and Escape released asks it to cancel or end.
// Contacts, call-history rows and directory results dropped on it go to the controller one at
// a time.
class ConversationView : public platform::View, public platform::DraggingDestination {
public:
    explicit ConversationView(const platform::Rect& frame = {});

    ConversationViewPr* controller() const { return _controller; }
    // Not owned: the controller clears it in its clean-up.
    void setController(ConversationViewPr* controller) { _controller = controller; }

    bool isIncomming() const { return _incoming; }
    void setIncomming(bool incoming);
    bool isHold() const { return _hold; }
    // Holding stops any tone being played and gives the keyboard focus away.
    void setHold(bool hold);
    // The brand's faces ("ConversationView": "Gradient", "GradientIncoming", "GradientHold").
    void setGradients(std::shared_ptr<QXGradient> normal, std::shared_ptr<QXGradient> incoming,
                      std::shared_ptr<QXGradient> hold);
    // The brand's outline ("Path"; none: a rounded rectangle) and margins ("Margin").
    void setOutlinePath(std::shared_ptr<QXOutlinePath> outline);
    void setMargins(const QXMargin& margins);
    const QXMargin& margins() const { return _margins; }

    // "" for anything but a dial key, else the key as a one-character text.
    static std::string filterTouchKey(const std::string& characters);

    bool acceptsFirstResponder() const override { return !_hold; }
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;
    bool hasFocus() const { return _focused; }
    // A click on a label of the panel is a click on the panel.
    platform::View* hitTest(platform::Point point) override;
    void mouseDown(const platform::Event& event) override;
    void keyDown(const platform::Event& event) override;
    void keyUp(const platform::Event& event) override;
    void drawRect(const platform::Rect& dirtyRect) override;

    // Drops.
    std::vector<std::string> registeredDraggedTypes() const override;
    platform::DragOperation draggingEntered(platform::DraggingInfo& info) override;
    std::optional<platform::DragOperation> draggingUpdated(platform::DraggingInfo& info) override;
    bool prepareForDragOperation(platform::DraggingInfo& info) override;
    bool performDragOperation(platform::DraggingInfo& info) override;

private:
    bool isWindowsFirstResponder() const;

    ConversationViewPr* _controller = nullptr;
    std::shared_ptr<QXGradient> _normal, _incomingGradient, _holdGradient;
    std::shared_ptr<QXOutlinePath> _outline;
    QXMargin _margins;
    bool _incoming = false;
    bool _hold = false;
    bool _focused = false;
};
