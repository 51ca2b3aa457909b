#pragma once

#include "platform/foundation/Object.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Geometry.h"

#include <memory>
#include <optional>
#include <vector>

namespace platform {

class Animation;
class View;
class Window;

enum class AnimationCurve { EaseInOut = 0, EaseIn = 1, EaseOut = 2, Linear = 3 };
// Blocking animations run the main loop in the event-tracking mode until they end; the others
// run on timers in the common modes. The threaded mode runs on the main thread here too, at
// the same pace.
enum class AnimationBlockingMode { Blocking = 0, Nonblocking = 1, NonblockingThreaded = 2 };

class AnimationDelegate {
public:
    virtual ~AnimationDelegate() = default;
    virtual bool animationShouldStart(Animation& /*animation*/) { return true; }
    // Ended: reached its end. Stopped: stopAnimation before the end.
    virtual void animationDidEnd(Animation& /*animation*/) {}
    virtual void animationDidStop(Animation& /*animation*/) {}
    virtual void animationDidReachProgressMark(Animation& /*animation*/, double /*progress*/) {}
    // A value for the progress instead of the curve's, or nullopt.
    virtual std::optional<double> animationValueForProgress(Animation& /*animation*/,
                                                            double /*progress*/) {
        return std::nullopt;
    }
};

// Progress from 0 to 1 over a duration on the main run loop's clock, so tests move it with a
// manual clock. Hold it by shared_ptr: it keeps itself alive only while it tells its
// delegate something.
class Animation : public Object, public std::enable_shared_from_this<Animation> {
public:
    Animation(TimeInterval duration, AnimationCurve curve);
    ~Animation() override;
    Animation(const Animation&) = delete;
    Animation& operator=(const Animation&) = delete;

    void startAnimation();
    void stopAnimation();
    bool isAnimating() const { return animating_; }

    TimeInterval duration() const { return duration_; }
    void setDuration(TimeInterval duration) { duration_ = duration; }
    AnimationCurve animationCurve() const { return curve_; }
    void setAnimationCurve(AnimationCurve curve) { curve_ = curve; }
    AnimationBlockingMode animationBlockingMode() const { return blockingMode_; }
    void setAnimationBlockingMode(AnimationBlockingMode mode) { blockingMode_ = mode; }
    double frameRate() const { return frameRate_; }
    void setFrameRate(double rate) { frameRate_ = rate > 0 ? rate : 60.0; }

    double currentProgress() const { return progress_; }
    // Moves the animation to `progress` (clamped to 0..1): progress marks passed on the way
    // are reported, and subclasses apply the value.
    virtual void setCurrentProgress(double progress);
    // The curve's (or the delegate's) value for the current progress.
    double currentValue();

    void addProgressMark(double progress);
    void removeProgressMark(double progress);
    const std::vector<double>& progressMarks() const { return marks_; }
    void setProgressMarks(std::vector<double> marks);

    AnimationDelegate* delegate() const { return delegate_; }
    // Not owned; whoever sets it clears it before going away.
    void setDelegate(AnimationDelegate* delegate) { delegate_ = delegate; }

    static double valueForCurve(AnimationCurve curve, double progress);

protected:
    // Called as the animation starts (before the first progress) and when it ends or stops.
    virtual void animationWillStart() {}
    virtual void animationDidFinish(bool /*ended*/) {}

private:
    void scheduleStep();
    void step();
    void finish(bool ended);

    TimeInterval duration_;
    AnimationCurve curve_;
    AnimationBlockingMode blockingMode_ = AnimationBlockingMode::Blocking;
    double frameRate_ = 60.0;
    double progress_ = 0;
    std::vector<double> marks_;
    double lastReported_ = -1;
    AnimationDelegate* delegate_ = nullptr;
    bool animating_ = false;
    TimeInterval began_ = 0;
    std::shared_ptr<Timer> timer_;
};

enum class ViewAnimationEffect { None, FadeIn, FadeOut };

// One of the original's animation dictionaries: a window or a view, its start and end frames
// (its current frame when missing) and an effect. Targets are not owned: one that goes away
// is skipped.
struct ViewAnimationTarget {
    Window* window = nullptr;
    View* view = nullptr;
    std::optional<Rect> startFrame;
    std::optional<Rect> endFrame;
    ViewAnimationEffect effect = ViewAnimationEffect::None;
};

// Moves, resizes and fades windows and views. Fading in shows a hidden view or an ordered-out
// window first; fading out a view hides it at the end (its alpha put back); a window faded
// out stays ordered in at alpha 0 until its owner orders it out.
class ViewAnimation : public Animation {
public:
    explicit ViewAnimation(std::vector<ViewAnimationTarget> viewAnimations = {});

    const std::vector<ViewAnimationTarget>& viewAnimations() const { return targets_; }
    void setViewAnimations(std::vector<ViewAnimationTarget> viewAnimations);
    void setCurrentProgress(double progress) override;

protected:
    void animationWillStart() override;
    void animationDidFinish(bool ended) override;

private:
    struct Entry {
        std::weak_ptr<Window> window;
        std::weak_ptr<View> view;
        Rect start;
        Rect end;
        bool moves = false;
        ViewAnimationEffect effect = ViewAnimationEffect::None;
        double alpha = 1;
    };
    std::vector<ViewAnimationTarget> targets_;
    std::vector<Entry> entries_;
};

} // namespace platform
