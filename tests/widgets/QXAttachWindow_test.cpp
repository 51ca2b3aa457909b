#include "QXBaseWindowTestSupport.h"
#include "widgets/QXAttachWindow.h"

#include <vector>

namespace skinned_test {
namespace {

using platform::make;

// Notes every frame it is given and when, so a test can follow a slide step by step.
class RecordingAttachWindow : public QXAttachWindow {
public:
    using QXAttachWindow::QXAttachWindow;
    void setFrame(const Rect& frame, bool display, bool animate) override {
        steps.push_back({platform::RunLoop::main().now(), frame});
        QXAttachWindow::setFrame(frame, display, animate);
    }
    struct Step {
        double time;
        Rect frame;
    };
    std::vector<Step> steps;
};

class AttachWindowTest : public SkinnedWindowTest {
protected:
    // A main window at (400, 300, 300, 400) and a 200 x 250 window docked to it with the
    // offset (5, 20).
    void SetUp() override {
        SkinnedWindowTest::SetUp();
        parent = make<QXBaseWindow>(Rect(400, 300, 300, 400), platform::ResizableWindowMask);
        parent->orderFront(nullptr);
        attached = make<RecordingAttachWindow>(Rect(0, 0, 200, 250), platform::TitledWindowMask);
    }
    void TearDown() override {
        attached.reset();
        parent.reset();
        SkinnedWindowTest::TearDown();
    }
    void dock(bool left) {
        attached->setAttachWindow(parent.get());
        attached->setOffset({5, 20});
        attached->setAttachToLeft(left);
    }

    std::shared_ptr<QXBaseWindow> parent;
    std::shared_ptr<RecordingAttachWindow> attached;
};

TEST_F(AttachWindowTest, CreationIsBorderlessClosedAndRemembersItsSize) {
    EXPECT_EQ(attached->styleMask(), platform::BorderlessWindowMask);
    EXPECT_EQ(attached->initialSize(), Size(200, 250));
    EXPECT_EQ(attached->state(), QXAttachWindow::stateClosed);
    auto styled = make<QXAttachWindow>(QXAttachWindow::KeepStyle{}, Rect(0, 0, 50, 60),
                                       platform::ResizableWindowMask);
    EXPECT_EQ(styled->styleMask(), platform::ResizableWindowMask);

    dock(false);
    EXPECT_EQ(attached->frame(), Rect());
    EXPECT_EQ(attached->state(), QXAttachWindow::stateClosed);
    EXPECT_FALSE(attached->isVisible());
    ASSERT_EQ(parent->observerWindows().size(), 1u);
    EXPECT_EQ(parent->observerWindows()[0].get(), attached.get());
}

struct SideCase {
    const char* name;
    bool left;
    Rect hidden; // where the slide starts, behind the main window
    Rect docked; // where it ends
    Rect slidIn; // where sliding back in ends
};

// Main window (400, 300, 300, 400): top at 700, right edge at 700.
const SideCase kSides[] = {
    {"right", false, {500, 430, 200, 250}, {705, 430, 200, 250}, {500, 430, 200, 250}},
    {"left", true, {400, 430, 200, 250}, {205, 430, 200, 250}, {405, 430, 200, 250}},
};

TEST_F(AttachWindowTest, SlidesOutAndInOnEachSide) {
    for (const auto& side : kSides) {
        SCOPED_TRACE(side.name);
        attached = make<RecordingAttachWindow>(Rect(0, 0, 200, 250), 0);
        dock(side.left);
        attached->steps.clear();
        const double began = clock->now();
        attached->orderFront(nullptr);

        // The call returns once the slide is over, 0.3 s later on the clock.
        EXPECT_NEAR(clock->now() - began, 0.3, 1e-9);
        EXPECT_TRUE(attached->isVisible());
        EXPECT_EQ(attached->frame(), side.docked);
        ASSERT_GE(attached->steps.size(), 10u);
        EXPECT_EQ(attached->steps.front().frame, side.hidden);
        // Ease-in: a quarter of the way at half time.
        for (const auto& step : attached->steps) {
            const double t = (step.time - began) / 0.3;
            const double expected =
                side.hidden.minX() + (side.docked.minX() - side.hidden.minX()) * t * t;
            EXPECT_NEAR(step.frame.minX(), expected, 1e-6) << "at " << t;
            EXPECT_EQ(step.frame.minY(), 430);
        }

        attached->steps.clear();
        attached->orderOut(nullptr);
        EXPECT_FALSE(attached->isVisible());
        ASSERT_GE(attached->steps.size(), 2u);
        EXPECT_EQ(attached->steps.front().frame, side.docked);
        EXPECT_EQ(attached->steps[attached->steps.size() - 2].frame, side.slidIn);
        EXPECT_EQ(attached->frame(), Rect()) << "collapsed once in";
        EXPECT_TRUE(parent->observerWindows().empty());
    }
}

TEST_F(AttachWindowTest, FollowsTheMainWindowOnlyWhileOpen) {
    dock(false);
    attached->open();
    parent->setFrameOrigin({100, 100});
    EXPECT_EQ(attached->frame(), Rect(405, 230, 200, 250));
    parent->setFrame(Rect(100, 100, 350, 500), true);
    EXPECT_EQ(attached->frame(), Rect(455, 330, 200, 250));

    attached->close();
    attached->steps.clear();
    parent->setFrameOrigin({300, 200});
    EXPECT_TRUE(attached->steps.empty()) << "nothing is placed while closed";
    EXPECT_EQ(attached->frame(), Rect());
}

TEST_F(AttachWindowTest, OpeningOrClosingTwiceSlidesOnce) {
    dock(true);
    attached->open();
    const double afterFirst = clock->now();
    attached->open();
    EXPECT_EQ(clock->now(), afterFirst);
    EXPECT_EQ(parent->observerWindows().size(), 1u);
    attached->close();
    const double afterClose = clock->now();
    EXPECT_NEAR(afterClose - afterFirst, 0.3, 1e-9);
    attached->close();
    EXPECT_EQ(clock->now(), afterClose);
    EXPECT_TRUE(parent->observerWindows().empty());
}

TEST_F(AttachWindowTest, ALargerWindowSlidesOutNoBiggerThanTheMainWindow) {
    attached = make<RecordingAttachWindow>(Rect(0, 0, 500, 600), 0);
    dock(false);
    attached->open();
    EXPECT_EQ(attached->frame(), Rect(705, 280, 300, 400));
    // Sliding in it ends 10 points smaller than the main window.
    attached->steps.clear();
    attached->close();
    ASSERT_GE(attached->steps.size(), 2u);
    EXPECT_EQ(attached->steps[attached->steps.size() - 2].frame, Rect(410, 280, 290, 390));
}

TEST_F(AttachWindowTest, UndockedItIsAnOrdinaryWindow) {
    attached->orderFront(nullptr);
    EXPECT_TRUE(attached->isVisible());
    EXPECT_EQ(attached->frame(), Rect(0, 0, 200, 250));
    attached->orderOut(nullptr);
    EXPECT_FALSE(attached->isVisible());
    attached->orderFront(nullptr);
    attached->close();
    EXPECT_FALSE(attached->isVisible());

    // Undocking stops following.
    dock(false);
    attached->setAttachWindow(nullptr);
    EXPECT_TRUE(parent->observerWindows().empty());
    EXPECT_EQ(attached->attachWindow(), nullptr);
}

} // namespace
} // namespace skinned_test
