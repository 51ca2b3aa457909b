#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Animation.h"
#include "platform/kit/View.h"

#include <memory>
#include <vector>

// The brand logo on a window's frame. With several images and a transition time it
// cross-fades from one image to the next at that interval, for ever. The fade runs on the
// main run loop, so the opacity and the image index are only ever touched by the thread that
// draws them.
class LogoView : public platform::View, public platform::AnimationDelegate {
public:
    // How long one fade lasts and how many progress marks it reports (0, 0.01, ... 1).
    static constexpr platform::TimeInterval kFadeDuration = 6.0;
    static constexpr int kProgressMarks = 101;
    // A shorter transition time than this is raised to it.
    static constexpr platform::TimeInterval kMinimumTransitionTime = 15.0;

    explicit LogoView(const platform::Rect& frame = {});
    ~LogoView() override;

    // Builds the view from the brand's "Logo" section (align, placement, Images,
    // transition_time), adds it to `host` and answers it.
    static std::shared_ptr<LogoView> initOnView(platform::View& host, const platform::Value& logo);

    void drawRect(const platform::Rect& dirtyRect) override;

    // Timer action: starts one fade unless one is running.
    void timeout();

    void animationDidReachProgressMark(platform::Animation& animation, double progress) override;
    void animationDidEnd(platform::Animation& animation) override;
    void animationDidStop(platform::Animation& animation) override;

    const std::vector<std::shared_ptr<platform::Image>>& images() const { return _images; }
    long currentIndex() const { return _currentIndex; }
    float alpha() const { return _alpha; }
    bool changingImages() const { return _changingImages; }
    platform::Animation* animation() const { return _theAnimation.get(); }
    // The repeating timer that starts the fades, or nullptr when the logo never changes.
    platform::Timer* transitionTimer() const { return _timer.get(); }

private:
    void releaseAnimation();

    std::vector<std::shared_ptr<platform::Image>> _images;
    long _currentIndex = 0;
    bool _changingImages = false;
    float _alpha = 1;
    std::shared_ptr<platform::Animation> _theAnimation;
    std::shared_ptr<platform::Timer> _timer;
};
