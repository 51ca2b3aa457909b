#pragma once

#include "platform/kit/Control.h"

namespace platform {

// The parts of a scroller, as the original numbered them.
enum class ScrollerPart : int {
    NoPart = 0,
    DecrementPage = 1,
    Knob = 2,
    IncrementPage = 3,
    DecrementLine = 4,
    IncrementLine = 5,
    KnobSlot = 6,
};

// A scroll bar: a slot with a knob whose length shows how much of the document is in sight
// (knobProportion) and whose place shows where (the value, 0 at the top or left end, 1 at the
// other). It is vertical when its frame is at least as high as wide, as the original decided.
// Dragging the knob or clicking the slot changes the value and sends the action, with hitPart
// telling the target what the user did; the slot pages, it does not jump.
class Scroller : public Control {
public:
    explicit Scroller(const Rect& frame = {});

    // The width of a vertical scroller (height of a horizontal one), in points.
    static double scrollerWidth() { return 15; }

    bool isVertical() const;
    double knobProportion() const { return knobProportion_; }
    // Clamped to 0...1.
    void setKnobProportion(double proportion);
    // The value is the knob's place, clamped to 0...1.
    Value objectValue() const override { return Value(value_); }
    void setObjectValue(Value value) override;

    // The part the mouse worked last, for the target while it handles the action.
    ScrollerPart hitPart() const { return hitPart_; }
    // The part under `point` (scroller coordinates).
    ScrollerPart testPart(Point point) const;
    // The slot, the knob or the page areas either side of the knob; empty when not shown.
    Rect rectForPart(ScrollerPart part) const;
    // Whether the knob can move: enabled, and less than everything is in sight.
    bool isUsable() const;

    bool isFlipped() const override { return true; }
    bool acceptsFirstResponder() const override { return false; }
    bool acceptsFirstMouse(const Event* /*event*/) override { return true; }
    void drawRect(const Rect& dirtyRect) override;
    virtual void drawKnobSlotInRect(const Rect& slotRect, bool highlight);
    virtual void drawKnob();

    void mouseDown(const Event& event) override;
    void mouseDragged(const Event& event) override;
    void mouseUp(const Event& event) override;

private:
    double slotLength() const;
    double knobLength() const;
    double knobStart() const;
    void moveKnobTo(double start);

    double knobProportion_ = 0;
    double value_ = 0;
    ScrollerPart hitPart_ = ScrollerPart::NoPart;
    bool draggingKnob_ = false;
    double grabOffset_ = 0;
};

} // namespace platform
