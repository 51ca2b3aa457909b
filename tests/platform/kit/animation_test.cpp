#include "KitTestSupport.h"
#include "platform/kit/Animation.h"

namespace kittest {
namespace {

using platform::Animation;
using platform::AnimationBlockingMode;
using platform::AnimationCurve;
using platform::ViewAnimation;
using platform::ViewAnimationEffect;
using platform::ViewAnimationTarget;

struct Recorder : platform::AnimationDelegate {
    void animationDidEnd(Animation&) override { log.push_back("end"); }
    void animationDidStop(Animation&) override { log.push_back("stop"); }
    void animationDidReachProgressMark(Animation&, double p) override {
        log.push_back("mark " + std::to_string(static_cast<int>(p * 100 + 0.5)));
    }
    std::vector<std::string> log;
};

TEST_F(KitTest, AnimationCurvesRunFromZeroToOne) {
    const struct {
        AnimationCurve curve;
        double quarter;
        double half;
    } cases[] = {
        {AnimationCurve::Linear, 0.25, 0.5},
        {AnimationCurve::EaseIn, 0.0625, 0.25},
        {AnimationCurve::EaseOut, 0.4375, 0.75},
        {AnimationCurve::EaseInOut, 0.15625, 0.5},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(Animation::valueForCurve(c.curve, 0), 0);
        EXPECT_DOUBLE_EQ(Animation::valueForCurve(c.curve, 0.25), c.quarter);
        EXPECT_DOUBLE_EQ(Animation::valueForCurve(c.curve, 0.5), c.half);
        EXPECT_DOUBLE_EQ(Animation::valueForCurve(c.curve, 1), 1);
        EXPECT_DOUBLE_EQ(Animation::valueForCurve(c.curve, 2), 1);
    }
}

TEST_F(KitTest, ABlockingAnimationTakesItsDurationAndReportsEachMarkOnce) {
    Recorder recorder;
    auto animation = std::make_shared<Animation>(0.3, AnimationCurve::Linear);
    animation->setDelegate(&recorder);
    animation->setProgressMarks({0.75, 0.25, 0.5, 1.0, 0.5});
    animation->setFrameRate(5); // steps of 0.2 s jump over marks, which still come in order
    bool defaultTimerFired = false;
    platform::Timer::scheduledTimerWithTimeInterval(
        0.1, false, [&](platform::Timer&) { defaultTimerFired = true; });
    const double start = clock->now();
    animation->startAnimation();
    EXPECT_NEAR(clock->now() - start, 0.3, 1e-9);
    EXPECT_FALSE(animation->isAnimating());
    EXPECT_FALSE(defaultTimerFired);
    EXPECT_EQ(recorder.log,
              (std::vector<std::string>{"mark 25", "mark 50", "mark 75", "mark 100", "end"}));
}

TEST_F(KitTest, ANonBlockingAnimationRunsOnTheLoopAndCanBeStoppedAndResumed) {
    Recorder recorder;
    auto animation = std::make_shared<Animation>(1.0, AnimationCurve::Linear);
    animation->setAnimationBlockingMode(AnimationBlockingMode::Nonblocking);
    animation->setDelegate(&recorder);
    animation->startAnimation();
    EXPECT_TRUE(animation->isAnimating());
    RunLoop::main().runFor(0.4);
    EXPECT_NEAR(animation->currentProgress(), 0.4, 0.02);
    animation->stopAnimation();
    EXPECT_EQ(recorder.log, std::vector<std::string>{"stop"});
    RunLoop::main().runFor(1.0);
    EXPECT_NEAR(animation->currentProgress(), 0.4, 0.02);

    // Starting again goes on from where it stopped.
    animation->startAnimation();
    RunLoop::main().runFor(0.6);
    EXPECT_FALSE(animation->isAnimating());
    EXPECT_EQ(recorder.log, (std::vector<std::string>{"stop", "end"}));
}

TEST_F(KitTest, AWindowFadesOutAndStaysOrderedInWhileItsOwnerReleasesTheAnimation) {
    auto window = makeWindow();
    window->orderFront(nullptr);
    struct Owner : platform::AnimationDelegate {
        void animationDidEnd(Animation&) override { animation.reset(); } // released in its call
        std::shared_ptr<ViewAnimation> animation;
    } owner;
    owner.animation = std::make_shared<ViewAnimation>(std::vector<ViewAnimationTarget>{
        {window.get(), nullptr, {}, {}, ViewAnimationEffect::FadeOut}});
    owner.animation->setDuration(1.5);
    owner.animation->setAnimationCurve(AnimationCurve::EaseIn);
    owner.animation->setAnimationBlockingMode(AnimationBlockingMode::Nonblocking);
    owner.animation->setDelegate(&owner);
    owner.animation->startAnimation();
    RunLoop::main().runFor(0.75);
    EXPECT_NEAR(window->alphaValue(), 0.75, 0.03); // ease-in: a quarter of the way at half time
    RunLoop::main().runFor(0.75);
    EXPECT_EQ(owner.animation, nullptr);
    EXPECT_DOUBLE_EQ(window->alphaValue(), 0);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(KitTest, ViewsMoveFadeInAndFadeOut) {
    auto window = makeWindow();
    auto moving = std::make_shared<View>(Rect(0, 0, 10, 10));
    auto appearing = std::make_shared<View>(Rect(0, 0, 10, 10));
    auto leaving = std::make_shared<View>(Rect(0, 0, 10, 10));
    for (const auto& v : {moving, appearing, leaving})
        window->contentView()->addSubview(v);
    appearing->setHidden(true);
    leaving->setAlphaValue(0.8);

    auto animation = std::make_shared<ViewAnimation>(std::vector<ViewAnimationTarget>{
        {nullptr, moving.get(), Rect(0, 0, 10, 10), Rect(100, 50, 20, 10),
         ViewAnimationEffect::None},
        {nullptr, appearing.get(), {}, {}, ViewAnimationEffect::FadeIn},
        {nullptr, leaving.get(), {}, {}, ViewAnimationEffect::FadeOut}});
    animation->setDuration(0.25);
    animation->setAnimationCurve(AnimationCurve::Linear);
    animation->setAnimationBlockingMode(AnimationBlockingMode::Nonblocking);
    animation->startAnimation();
    EXPECT_FALSE(appearing->isHidden());
    EXPECT_DOUBLE_EQ(appearing->alphaValue(), 0);
    RunLoop::main().runFor(0.125);
    EXPECT_NEAR(moving->frame().minX(), 50, 7); // within a frame's step
    EXPECT_NEAR(appearing->alphaValue(), 0.5, 0.07);
    EXPECT_NEAR(leaving->alphaValue(), 0.4, 0.06);
    RunLoop::main().runFor(0.125);
    EXPECT_EQ(moving->frame(), Rect(100, 50, 20, 10));
    EXPECT_DOUBLE_EQ(appearing->alphaValue(), 1);
    EXPECT_TRUE(leaving->isHidden());
    EXPECT_DOUBLE_EQ(leaving->alphaValue(), 0.8);
}

TEST_F(KitTest, AnAnimationWhoseTargetGoesAwayCarriesOn) {
    auto window = makeWindow();
    auto view = std::make_shared<View>(Rect(0, 0, 10, 10));
    window->contentView()->addSubview(view);
    Recorder recorder;
    auto animation = std::make_shared<ViewAnimation>(std::vector<ViewAnimationTarget>{
        {window.get(), nullptr, {}, Rect(0, 0, 50, 50), ViewAnimationEffect::FadeOut},
        {nullptr, view.get(), {}, Rect(5, 5, 5, 5), ViewAnimationEffect::None}});
    animation->setAnimationBlockingMode(AnimationBlockingMode::Nonblocking);
    animation->setDelegate(&recorder);
    animation->startAnimation();
    RunLoop::main().runFor(0.1);
    view->removeFromSuperview();
    view.reset();
    window.reset();
    RunLoop::main().runFor(1.0);
    EXPECT_EQ(recorder.log, std::vector<std::string>{"end"});
}

} // namespace
} // namespace kittest
