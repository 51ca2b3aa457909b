#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/kit/View.h"

// A continuous level bar: the part from the minimum to the value is filled.
class LevelIndicator : public platform::View {
public:
    explicit LevelIndicator(const platform::Rect& frame = {}) : View(frame) {}

    double minValue() const { return _minValue; }
    void setMinValue(double value);
    double maxValue() const { return _maxValue; }
    void setMaxValue(double value);
    double doubleValue() const { return _value; }
    // Kept within the minimum and the maximum.
    void setDoubleValue(double value);
    // The filled share of the bar, 0 to 1.
    double fraction() const;

    void drawRect(const platform::Rect& dirtyRect) override;

private:
    double _minValue = 0;
    double _maxValue = 1;
    double _value = 0;
};
