#pragma once

#include "platform/kit/Control.h"

namespace platform {

// A horizontal slider: a thin track with a round knob. A press or a drag moves the knob under
// the pointer and sends the action at every step.
class Slider : public Control {
public:
    explicit Slider(const Rect& frame = {});

    double minValue() const { return minValue_; }
    void setMinValue(double value);
    double maxValue() const { return maxValue_; }
    void setMaxValue(double value);
    Value objectValue() const override { return Value(value_); }
    // Numbers are kept within the slider's range; anything else reads as the minimum.
    void setObjectValue(Value value) override;

    // The knob's square, in the slider's coordinates.
    Rect knobRect() const;

    void drawRect(const Rect& dirtyRect) override;
    void mouseDown(const Event& event) override;
    void mouseDragged(const Event& event) override;
    void mouseUp(const Event& event) override;

private:
    void trackTo(const Event& event);

    double minValue_ = 0;
    double maxValue_ = 1;
    double value_ = 0;
};

} // namespace platform
