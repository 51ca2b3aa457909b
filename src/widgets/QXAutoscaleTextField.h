#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/kit/TextField.h"

#include <string>

// A text field that fits its height to its text, between a minimum and a maximum height, and
// keeps its top edge where it is. The text wraps at the field's width.
class QXAutoscaleTextField : public platform::TextField {
public:
    explicit QXAutoscaleTextField(const platform::Rect& frame = {});

    void initialize() override;
    void awake() override;

    // Sets the text, then fits the height.
    void setStringValue(std::string value) override;
    // The used height of the text laid out at the field's width, plus 3, clamped to the
    // minimum and maximum heights; the frame keeps its top edge.
    void adjustSize();

    platform::Size minSize() const { return _minSize; }
    void setMinSize(platform::Size size) { _minSize = size; }
    platform::Size maxSize() const { return _maxSize; }
    void setMaxSize(platform::Size size) { _maxSize = size; }

private:
    // Only the heights are used.
    platform::Size _minSize{16, 16};
    platform::Size _maxSize{10000000, 10000000};
};
