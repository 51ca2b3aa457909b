#include "app/main_window/LogoView.h"

#include "platform/foundation/Bundle.h"
#include "platform/graphics/Compositing.h"
#include "support/BrandText.h"

#include <algorithm>
#include <cmath>

using platform::Rect;

LogoView::LogoView(const Rect& frame) : View(frame) {}

LogoView::~LogoView() {
    // The timer and the animation outlive the view on the run loop unless told to stop.
    if (_timer)
        _timer->invalidate();
    releaseAnimation();
}

std::shared_ptr<LogoView> LogoView::initOnView(platform::View& host, const platform::Value& logo) {
    Rect frame = valueWithRectFromString(logo["placement"].string());
    const bool alignRight = logo["align"].stringValue() == "right";
    if (alignRight)
        frame.origin.x = host.frame().width() - frame.width() - frame.origin.x;

    auto view = std::make_shared<LogoView>(frame);
    // The view keeps its distance from the top edge: the window grows and shrinks keeping its
    // top, and the logo belongs to the skin's strip there.
    platform::AutoresizingMask mask = platform::ViewMinYMargin;
    if (alignRight)
        mask |= platform::ViewMinXMargin;
    view->setAutoresizingMask(mask);
    view->_currentIndex = 0;

    if (const auto* names = logo["Images"].array()) {
        for (const auto& name : *names) {
            const std::string* text = name.string();
            if (!text)
                continue;
            auto path = platform::Bundle::mainBundle().pathForResource(*text);
            auto image = path ? platform::Image::imageWithContentsOfFile(*path) : nullptr;
            // A name the bundle lacks adds nothing, so every index names a real image.
            if (image)
                view->_images.push_back(std::move(image));
        }
    }
    host.addSubview(view);

    const double transition = logo["transition_time"].doubleValue();
    // Without images there is nothing to fade, and the fade must never index an empty list.
    if (transition > 0 && !view->_images.empty()) {
        std::weak_ptr<platform::View> weak = view;
        view->_timer = platform::Timer::scheduledTimerWithTimeInterval(
            std::max(transition, kMinimumTransitionTime), true, [weak](platform::Timer&) {
                if (auto alive = std::dynamic_pointer_cast<LogoView>(weak.lock()))
                    alive->timeout();
            });
    }
    view->_alpha = 1;
    view->_changingImages = false;
    return view;
}

void LogoView::drawRect(const Rect& /*dirtyRect*/) {
    if (_currentIndex < 0 || _currentIndex >= static_cast<long>(_images.size()))
        return;
    _images[_currentIndex]->drawInRect(bounds(), Rect(), platform::CompositingOperation::SourceOver,
                                       _alpha);
}

void LogoView::timeout() {
    if (_theAnimation)
        return;
    auto animation =
        std::make_shared<platform::Animation>(kFadeDuration, platform::AnimationCurve::EaseInOut);
    // The original ran the fade on a thread of its own that wrote the view's state while the
    // main thread drew it; here it runs on the main run loop at the same pace.
    animation->setAnimationBlockingMode(platform::AnimationBlockingMode::Nonblocking);
    animation->setDelegate(this);
    std::vector<double> marks;
    marks.reserve(kProgressMarks);
    for (int i = 0; i < kProgressMarks; ++i)
        marks.push_back(i / static_cast<double>(kProgressMarks - 1));
    animation->setProgressMarks(std::move(marks));
    _theAnimation = animation;
    animation->startAnimation();
}

void LogoView::animationDidReachProgressMark(platform::Animation& /*animation*/, double progress) {
    _alpha = static_cast<float>(std::fabs(1.0 - 2.0 * progress));
    if (_alpha < 0.01f && !_images.empty())
        _currentIndex = (_currentIndex + 1) % static_cast<long>(_images.size());
    setNeedsDisplay(true);
}

void LogoView::animationDidEnd(platform::Animation& /*animation*/) {
    releaseAnimation();
}

void LogoView::animationDidStop(platform::Animation& /*animation*/) {
    releaseAnimation();
}

void LogoView::releaseAnimation() {
    if (!_theAnimation)
        return;
    // Forgotten before it is stopped: stopping reports animationDidStop, which lands here.
    auto animation = std::move(_theAnimation);
    _theAnimation = nullptr;
    animation->setDelegate(nullptr);
    animation->stopAnimation();
}
