#include "KitTestSupport.h"
#include "platform/graphics/Image.h"
#include "platform/kit/ProgressIndicator.h"

namespace kittest {
namespace {

using platform::ProgressIndicator;

class ProgressIndicatorTest : public KitTest {};

TEST_F(ProgressIndicatorTest, TheAnimationMovesInEveryModeUntilStoppedAndLeavesNoTimerBehind) {
    const std::size_t before = RunLoop::main().pendingCount();
    auto indicator = std::make_shared<ProgressIndicator>(Rect(0, 0, 100, 12));
    indicator->startAnimation(nullptr);
    indicator->startAnimation(nullptr);
    EXPECT_TRUE(indicator->isAnimating());
    EXPECT_EQ(RunLoop::main().pendingCount(), before + 1) << "starting twice keeps one timer";

    RunLoop::main().runFor(1.0);
    EXPECT_EQ(indicator->animationPhase(), 12u);
    RunLoop::main().runFor(0.5, platform::ModalPanelRunLoopMode);
    EXPECT_EQ(indicator->animationPhase(), 18u) << "it also moves inside a modal window";

    indicator->stopAnimation(nullptr);
    EXPECT_FALSE(indicator->isAnimating());
    RunLoop::main().runFor(1.0);
    EXPECT_EQ(indicator->animationPhase(), 18u);

    indicator->startAnimation(nullptr);
    EXPECT_EQ(indicator->animationPhase(), 0u) << "a new start begins a new phase";
    indicator.reset();
    EXPECT_EQ(RunLoop::main().pendingCount(), before) << "going away while animating";
}

TEST_F(ProgressIndicatorTest, ADeterminateBarIsFilledToItsValueWithinItsRange) {
    auto window = makeWindow({100, 100, 200, 20});
    auto indicator = std::make_shared<ProgressIndicator>(Rect(0, 0, 200, 20));
    window->setContentView(indicator);
    indicator->setIndeterminate(false);
    indicator->setMinValue(10);
    indicator->setMaxValue(50);
    indicator->setDoubleValue(20);
    EXPECT_DOUBLE_EQ(indicator->doubleValue(), 20);

    const auto filled = [&](int x) {
        window->display();
        const platform::Color c = window->snapshot()->colorAt(x, 10);
        return c.blueComponent() > c.redComponent() + 0.3;
    };
    // A quarter of the range: the first 50 points.
    EXPECT_TRUE(filled(25));
    EXPECT_FALSE(filled(75));

    indicator->setDoubleValue(500);
    EXPECT_DOUBLE_EQ(indicator->doubleValue(), 50) << "kept at the maximum";
    EXPECT_TRUE(filled(190));
    indicator->setDoubleValue(-3);
    EXPECT_DOUBLE_EQ(indicator->doubleValue(), 10) << "kept at the minimum";
    EXPECT_FALSE(filled(25));
}

} // namespace
} // namespace kittest
