#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/kit/View.h"

#include <memory>

namespace platform {

// Styles of a progress indicator, as the original numbered them.
enum class ProgressIndicatorStyle : int { Bar = 0, Spinning = 1 };

// Shows that work goes on: a bar filled to its value between a minimum and a maximum
// (determinate), or a bar with moving stripes or a spinning wheel (indeterminate). The movement
// runs on the main run loop in every mode from startAnimation until stopAnimation, so that it
// also moves inside modal windows.
class ProgressIndicator : public View {
public:
    // The animation's step, twelve a second.
    static constexpr TimeInterval animationStep = 1.0 / 12.0;

    explicit ProgressIndicator(const Rect& frame = {});
    ~ProgressIndicator() override;

    ProgressIndicatorStyle style() const { return style_; }
    void setStyle(ProgressIndicatorStyle style);
    bool isIndeterminate() const { return indeterminate_; }
    void setIndeterminate(bool flag);
    // A stopped spinning indicator disappears when this is set (the default).
    bool isDisplayedWhenStopped() const { return displayedWhenStopped_; }
    void setDisplayedWhenStopped(bool flag);

    double minValue() const { return minValue_; }
    void setMinValue(double value);
    double maxValue() const { return maxValue_; }
    void setMaxValue(double value);
    // Kept within the minimum and the maximum.
    double doubleValue() const { return value_; }
    void setDoubleValue(double value);
    void incrementBy(double delta) { setDoubleValue(value_ + delta); }

    // Starting again while animating and stopping while stopped change nothing.
    void startAnimation(Object* sender);
    void stopAnimation(Object* sender);
    bool isAnimating() const { return timer_ != nullptr; }
    // How many steps the animation has moved since it started (the phase of the drawing).
    unsigned animationPhase() const { return phase_; }

    void drawRect(const Rect& dirtyRect) override;

private:
    void step();

    ProgressIndicatorStyle style_ = ProgressIndicatorStyle::Bar;
    bool indeterminate_ = true;
    bool displayedWhenStopped_ = true;
    double minValue_ = 0;
    double maxValue_ = 100;
    double value_ = 0;
    unsigned phase_ = 0;
    std::shared_ptr<Timer> timer_;
};

} // namespace platform
