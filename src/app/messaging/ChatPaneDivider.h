#pragma once

#include "platform/kit/View.h"

#include <functional>

// The bar between a chat window's transcript and its input: dragging it up or down tells the
// owner where the pointer is, in the superview's coordinates, and the owner places the panes.
class ChatPaneDivider : public platform::View {
public:
    static constexpr double thickness = 6;

    explicit ChatPaneDivider(const platform::Rect& frame = {});

    // Called with the pointer's height in the superview while the bar is dragged.
    void setDragHandler(std::function<void(double y)> handler) { handler_ = std::move(handler); }

    void drawRect(const platform::Rect& dirtyRect) override;
    void resetCursorRects() override;
    void mouseDown(const platform::Event& event) override;
    void mouseDragged(const platform::Event& event) override;

private:
    void report(const platform::Event& event);
    std::function<void(double)> handler_;
    // Where in the bar the pointer took hold of it, so that it does not jump.
    double grip_ = 0;
};
