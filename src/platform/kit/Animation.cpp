#include "platform/kit/Animation.h"

#include "platform/kit/View.h"
#include "platform/kit/Window.h"

#include <algorithm>

namespace platform {

Animation::Animation(TimeInterval duration, AnimationCurve curve)
    : duration_(duration), curve_(curve) {}

Animation::~Animation() {
    if (timer_)
        timer_->invalidate();
}

double Animation::valueForCurve(AnimationCurve curve, double t) {
    t = std::clamp(t, 0.0, 1.0);
    switch (curve) {
    case AnimationCurve::EaseIn:
        return t * t;
    case AnimationCurve::EaseOut:
        return 1 - (1 - t) * (1 - t);
    case AnimationCurve::EaseInOut:
        return t * t * (3 - 2 * t);
    case AnimationCurve::Linear:
        break;
    }
    return t;
}

double Animation::currentValue() {
    if (delegate_)
        if (auto value = delegate_->animationValueForProgress(*this, progress_))
            return *value;
    return valueForCurve(curve_, progress_);
}

void Animation::addProgressMark(double progress) {
    progress = std::clamp(progress, 0.0, 1.0);
    if (std::find(marks_.begin(), marks_.end(), progress) == marks_.end())
        marks_.insert(std::upper_bound(marks_.begin(), marks_.end(), progress), progress);
}

void Animation::removeProgressMark(double progress) {
    std::erase(marks_, progress);
}

void Animation::setProgressMarks(std::vector<double> marks) {
    marks_.clear();
    for (double m : marks)
        addProgressMark(m);
}

void Animation::setCurrentProgress(double progress) {
    progress = std::clamp(progress, 0.0, 1.0);
    progress_ = progress;
    if (!delegate_)
        return;
    // Marks are reported once each, in order, however far one step jumps.
    const auto marks = marks_;
    for (double mark : marks) {
        if (mark <= lastReported_ || mark > progress)
            continue;
        lastReported_ = mark;
        if (delegate_)
            delegate_->animationDidReachProgressMark(*this, mark);
    }
}

void Animation::startAnimation() {
    if (animating_)
        return;
    if (delegate_ && !delegate_->animationShouldStart(*this))
        return;
    auto keep = weak_from_this().lock();
    RunLoop& loop = RunLoop::main();
    if (progress_ >= 1.0)
        progress_ = 0;
    lastReported_ = progress_ > 0 ? progress_ : -1;
    began_ = loop.now() - progress_ * duration_;
    animating_ = true;
    animationWillStart();
    setCurrentProgress(progress_);
    if (duration_ <= 0) {
        setCurrentProgress(1.0);
        finish(true);
        return;
    }
    scheduleStep();
    if (blockingMode_ == AnimationBlockingMode::Blocking)
        loop.runUntil([this] { return !animating_; }, duration_ + 1.0, EventTrackingRunLoopMode);
}

// One step a frame, and the last exactly when the duration is over.
void Animation::scheduleStep() {
    RunLoop& loop = RunLoop::main();
    const TimeInterval end = began_ + duration_;
    const TimeInterval next = std::min(loop.now() + 1.0 / frameRate_, end);
    timer_ = Timer::timerWithTimeInterval(std::max(0.0, next - loop.now()), false,
                                          [this](Timer&) { step(); });
    loop.addTimer(timer_, commonModes());
}

void Animation::step() {
    auto keep = weak_from_this().lock();
    // The last step is scheduled for the end exactly; rounding must not leave it short of 1.
    const TimeInterval now = RunLoop::main().now();
    const double progress =
        now >= began_ + duration_ - 1e-9 ? 1.0 : std::clamp((now - began_) / duration_, 0.0, 1.0);
    setCurrentProgress(progress);
    if (!animating_)
        return;
    if (progress >= 1.0)
        finish(true);
    else
        scheduleStep();
}

void Animation::stopAnimation() {
    if (!animating_)
        return;
    auto keep = weak_from_this().lock();
    finish(false);
}

void Animation::finish(bool ended) {
    animating_ = false;
    if (timer_) {
        timer_->invalidate();
        timer_.reset();
    }
    animationDidFinish(ended);
    if (delegate_) {
        if (ended)
            delegate_->animationDidEnd(*this);
        else
            delegate_->animationDidStop(*this);
    }
}

ViewAnimation::ViewAnimation(std::vector<ViewAnimationTarget> viewAnimations)
    : Animation(0.5, AnimationCurve::EaseInOut), targets_(std::move(viewAnimations)) {}

void ViewAnimation::setViewAnimations(std::vector<ViewAnimationTarget> viewAnimations) {
    targets_ = std::move(viewAnimations);
}

void ViewAnimation::animationWillStart() {
    entries_.clear();
    for (const auto& t : targets_) {
        Entry e;
        e.effect = t.effect;
        if (t.window) {
            e.window = t.window->weak_from_this();
            const Rect current = t.window->frame();
            e.start = t.startFrame.value_or(current);
            e.end = t.endFrame.value_or(current);
            e.alpha = t.window->alphaValue();
            if (t.effect == ViewAnimationEffect::FadeIn && !t.window->isVisible()) {
                t.window->setAlphaValue(0);
                t.window->orderFront(nullptr);
            }
        } else if (t.view) {
            e.view = t.view->weak_from_this();
            const Rect current = t.view->frame();
            e.start = t.startFrame.value_or(current);
            e.end = t.endFrame.value_or(current);
            e.alpha = t.view->alphaValue();
            if (t.effect == ViewAnimationEffect::FadeIn && t.view->isHidden()) {
                t.view->setAlphaValue(0);
                t.view->setHidden(false);
            }
        } else {
            continue;
        }
        e.moves = t.startFrame.has_value() || t.endFrame.has_value();
        entries_.push_back(e);
    }
}

void ViewAnimation::setCurrentProgress(double progress) {
    Animation::setCurrentProgress(progress);
    if (!isAnimating())
        return;
    const double v = currentValue();
    const auto mix = [v](double a, double b) { return a + (b - a) * v; };
    const auto frameAt = [&](const Entry& e) {
        return Rect(mix(e.start.minX(), e.end.minX()), mix(e.start.minY(), e.end.minY()),
                    mix(e.start.width(), e.end.width()), mix(e.start.height(), e.end.height()));
    };
    const auto alphaAt = [&](const Entry& e) {
        switch (e.effect) {
        case ViewAnimationEffect::FadeIn:
            return mix(0.0, 1.0);
        case ViewAnimationEffect::FadeOut:
            return mix(e.alpha, 0.0);
        case ViewAnimationEffect::None:
            break;
        }
        return e.alpha;
    };
    for (const auto& e : entries_) {
        if (auto window = e.window.lock()) {
            if (e.moves)
                window->setFrame(frameAt(e), true);
            if (e.effect != ViewAnimationEffect::None)
                window->setAlphaValue(alphaAt(e));
        } else if (auto view = e.view.lock()) {
            if (e.moves)
                view->setFrame(frameAt(e));
            if (e.effect != ViewAnimationEffect::None)
                view->setAlphaValue(alphaAt(e));
        }
    }
}

void ViewAnimation::animationDidFinish(bool ended) {
    if (!ended)
        return;
    for (const auto& e : entries_) {
        if (auto view = e.view.lock(); view && e.effect == ViewAnimationEffect::FadeOut) {
            view->setHidden(true);
            view->setAlphaValue(e.alpha);
        }
    }
}

} // namespace platform
