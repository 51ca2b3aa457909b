#include "QXBaseWindowTestSupport.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Screen.h"
#include "platform/kit/ScreenBackend.h"
#include "widgets/QXToolWindow.h"
#include "widgets/QXToolWindowFrameView.h"

#include <algorithm>
#include <string>
#include <vector>

namespace skinned_test {
namespace {

using platform::make;
using platform::View;
using platform::Window;

constexpr int kDropdown = QXToolWindow::dropdownType();
constexpr int kPopup = QXToolWindow::popupType();
constexpr int kToast = QXToolWindow::toastType();
constexpr int kBubble = QXToolWindow::bubbleType();
constexpr int kAutoBubble = QXToolWindow::autoBubbleType();

std::string show(const Rect& r) {
    return platform::stringFromRect(r);
}

// Two displays: the usual main screen and one to its left whose bottom lies below the main
// screen's, so that neither of its edges is at zero.
class TwoScreens : public platform::ScreenBackend {
public:
    std::string name() const override { return "two-screens"; }
    std::vector<platform::ScreenDescription> screens() const override {
        return {{Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 878), 1.0}, {kSecond, kSecond, 1.0}};
    }
    static constexpr Rect kSecond{-1024, -300, 1024, 768};
};

class QXToolWindowTest : public SkinnedWindowTest {
protected:
    void TearDown() override {
        platform::NotificationCenter::defaultCenter().removeObserver(this);
        platform::setScreenBackend(nullptr);
        SkinnedWindowTest::TearDown();
    }

    // A tool window of `type` whose frame is `size`, not yet shown.
    std::shared_ptr<QXToolWindow> makeToolWindow(int type, Size size) {
        auto window = make<QXToolWindow>();
        window->setType(type);
        window->setContentView(make<View>(Rect(0, 0, 50, 50)));
        window->setFrame(Rect({}, size), false);
        return window;
    }

    static bool isOrderedIn(Window* window) {
        const auto ordered = platform::WindowServer::shared().orderedWindows();
        return std::find(ordered.begin(), ordered.end(), window) != ordered.end();
    }

    void runFor(double seconds) { platform::RunLoop::main().runFor(seconds); }
};

TEST_F(QXToolWindowTest, StartsAsABorderlessBubbleThatCannotMove) {
    auto window = make<QXToolWindow>();
    EXPECT_EQ(window->frame(), Rect(0, 0, 10, 10));
    EXPECT_EQ(window->styleMask(), platform::BorderlessWindowMask);
    EXPECT_EQ(window->type(), kBubble);
    EXPECT_FALSE(window->allowMove());
    EXPECT_FALSE(window->isOpaque());
    EXPECT_EQ(window->toolFrameView(), nullptr);
}

struct PlacementCase {
    const char* what;
    int type;
    Point anchor;
    Size size;
    Rect expected;
    int style; // the frame view's style after placement
};

// Each type beside an anchor in the middle and near each edge of the 1440 x 900 screen.
const PlacementCase kPlacements[] = {
    {"drop-down hangs from its top-left corner",
     kDropdown,
     {100, 500},
     {200, 80},
     {100, 420, 200, 80},
     0},
    {"drop-down near the bottom is not clamped",
     kDropdown,
     {100, 30},
     {200, 80},
     {100, -50, 200, 80},
     0},
    {"pop-up half a size above and right", kPopup, {100, 100}, {200, 80}, {200, 140, 200, 80}, 1},
    {"toast hangs from its top-right corner",
     kToast,
     {1000, 800},
     {300, 90},
     {700, 710, 300, 90},
     2},
    {"toast in the top-right screen corner",
     kToast,
     {1430, 870},
     {300, 90},
     {1130, 780, 300, 90},
     2},
    {"bubble centred on its anchor", kBubble, {700, 450}, {200, 100}, {600, 400, 200, 100}, 3},
    {"bubble near the bottom edge rises", kBubble, {700, 60}, {200, 100}, {600, 50, 200, 100}, 3},
    {"bubble near the left edge", kBubble, {50, 450}, {200, 100}, {0, 400, 200, 100}, 3},
    {"bubble near the right edge (full width tested)",
     kBubble,
     {1300, 450},
     {200, 100},
     {1240, 400, 200, 100},
     3},
    {"bubble near the top edge is not clamped",
     kBubble,
     {700, 890},
     {200, 100},
     {600, 840, 200, 100},
     3},
    {"auto-bubble right of its anchor, arrow at the left centre",
     kAutoBubble,
     {700, 450},
     {200, 100},
     {700, 400, 200, 100},
     5},
    {"auto-bubble near the right edge goes left",
     kAutoBubble,
     {1400, 450},
     {200, 100},
     {1200, 400, 200, 100},
     8},
    {"auto-bubble near the top goes down",
     kAutoBubble,
     {700, 880},
     {200, 100},
     {700, 780, 200, 100},
     6},
    {"auto-bubble near the bottom goes up",
     kAutoBubble,
     {700, 20},
     {200, 100},
     {700, 20, 200, 100},
     4},
    {"auto-bubble in the top-right corner goes left and down",
     kAutoBubble,
     {1400, 880},
     {200, 100},
     {1200, 780, 200, 100},
     9},
    {"auto-bubble in the bottom-right corner goes left and up",
     kAutoBubble,
     {1400, 20},
     {200, 100},
     {1200, 20, 200, 100},
     7},
    {"auto-bubble left of the screen keeps 10 points in",
     kAutoBubble,
     {-5, 450},
     {200, 100},
     {10, 400, 200, 100},
     5},
};

TEST_F(QXToolWindowTest, EachTypeIsPlacedBesideItsAnchorNearEveryScreenEdge) {
    for (const auto& c : kPlacements) {
        SCOPED_TRACE(c.what);
        auto window = makeToolWindow(c.type, c.size);
        window->showForWindow(nullptr, c.anchor);
        EXPECT_EQ(window->frame(), c.expected) << show(window->frame());
        EXPECT_EQ(window->anchor(), c.anchor);
        ASSERT_NE(window->toolFrameView(), nullptr);
        EXPECT_EQ(window->toolFrameView()->style(), c.style);
        EXPECT_TRUE(window->isVisible());
        // The content sits where the frame view says, in the frame of the shape chosen.
        ASSERT_NE(window->contentView(), nullptr);
        EXPECT_EQ(window->contentView()->frame(),
                  window->toolFrameView()->contentRectForFrameRect(window->frame()));
    }
}

TEST_F(QXToolWindowTest, OtherTypesAreNotPlaced) {
    EXPECT_EQ(QXToolWindow::calculateBestLayout(7, {500, 500}, {200, 100}, {0, 0, 1440, 900}),
              Rect());
    EXPECT_EQ(QXToolWindow::calculateBestLayout(-1, {500, 500}, {200, 100}, {0, 0, 1440, 900}),
              Rect());
}

// Bubbles are clamped against their own screen's edges; on the main screen the results are
// those of clamping against zero.
TEST_F(QXToolWindowTest, BubblesStayOnAScreenAwayFromTheOrigin) {
    const Rect second = TwoScreens::kSecond; // x -1024 .. 0, y -300 .. 468
    struct Case {
        const char* what;
        int type;
        Point anchor;
        Rect expected;
    } cases[] = {
        {"left edge of the second screen", kBubble, {-1000, 100}, {-1024, 50, 200, 100}},
        {"bottom edge of the second screen", kBubble, {-500, -280}, {-600, -250, 200, 100}},
        {"right edge of the second screen", kBubble, {-100, 100}, {-200, 50, 200, 100}},
        {"middle of the second screen", kBubble, {-500, 100}, {-600, 50, 200, 100}},
        {"auto-bubble left of the second screen", kAutoBubble, {-1030, 100}, {-1014, 50, 200, 100}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Rect placed = QXToolWindow::calculateBestLayout(c.type, c.anchor, {200, 100}, second);
        EXPECT_EQ(placed, c.expected) << show(placed);
        EXPECT_TRUE(second.containsRect(placed)) << show(placed);
    }
    // No screen at all: the zero rectangle's edges.
    EXPECT_EQ(QXToolWindow::calculateBestLayout(kBubble, {-50, 20}, {200, 100}, Rect()),
              Rect(0, 50, 200, 100));
}

TEST_F(QXToolWindowTest, ABubbleShownForAWindowOnTheSecondScreenStaysOnIt) {
    platform::setScreenBackend(std::make_unique<TwoScreens>());
    ASSERT_EQ(platform::Screen::screens().size(), 2u);
    auto parent = make<Window>(Rect(-1024, -300, 400, 300), platform::TitledWindowMask);
    parent->orderFront(nullptr);
    // The bubble still stands on the main screen; it goes to the screen of its anchor.
    auto bubble = makeToolWindow(kBubble, {200, 100});
    bubble->showForWindow(parent.get(), {24, 20});
    EXPECT_EQ(bubble->anchor(), Point(-1000, -280));
    EXPECT_EQ(bubble->frame(), Rect(-1024, -250, 200, 100)) << show(bubble->frame());
    EXPECT_EQ(bubble->screen()->frame(), TwoScreens::kSecond);
    EXPECT_EQ(bubble->forWindow(), parent.get());

    // A child window is placed on its parent's screen, wherever the anchor lies.
    auto main = make<Window>(Rect(0, 100, 400, 300), platform::TitledWindowMask);
    main->orderFront(nullptr);
    main->addChildWindow(bubble.get(), platform::WindowOrderingMode::Above);
    bubble->updatePositionForWindow(main.get(), {-50, 100}, false);
    EXPECT_EQ(bubble->frame(), Rect(0, 150, 200, 100)) << show(bubble->frame());
}

TEST_F(QXToolWindowTest, ShowingForAWindowAnchorsInItsCoordinatesAndFloatsAboveIt) {
    auto parent = make<Window>(Rect(300, 300, 400, 300), platform::TitledWindowMask);
    parent->orderFront(nullptr);
    auto other = make<Window>(Rect(0, 0, 100, 100), platform::TitledWindowMask);
    other->orderFront(nullptr);
    auto dropdown = makeToolWindow(kDropdown, {200, 80});
    dropdown->showForWindow(parent.get(), {20, 280});
    EXPECT_EQ(dropdown->anchor(), Point(320, 580));
    EXPECT_EQ(dropdown->frame(), Rect(320, 500, 200, 80));
    EXPECT_EQ(dropdown->level(), platform::FloatingWindowLevel);
    EXPECT_EQ(dropdown->alphaValue(), 1.0);
    EXPECT_EQ(dropdown->forWindow(), parent.get());
    const auto ordered = platform::WindowServer::shared().orderedWindows();
    ASSERT_FALSE(ordered.empty());
    EXPECT_EQ(ordered.front(), dropdown.get());

    // Without a window the point is already a screen point.
    auto toast = makeToolWindow(kToast, {300, 90});
    toast->showForWindow(nullptr, {1000, 800});
    EXPECT_EQ(toast->frame(), Rect(700, 710, 300, 90));
    EXPECT_EQ(toast->forWindow(), nullptr);

    parent.reset();
    EXPECT_EQ(dropdown->forWindow(), nullptr);
}

TEST_F(QXToolWindowTest, ReplacingFollowsTheAnchorWithTheSameSize) {
    auto window = makeToolWindow(kAutoBubble, {200, 100});
    window->showForWindow(nullptr, {700, 450});
    EXPECT_EQ(window->toolFrameView()->style(), 5);
    window->updatePositionForWindow(nullptr, {1400, 450}, false);
    EXPECT_EQ(window->frame(), Rect(1200, 400, 200, 100));
    EXPECT_EQ(window->toolFrameView()->style(), 8);
    EXPECT_EQ(window->contentView()->frame(), Rect(0, 0, 180, 100));
}

TEST_F(QXToolWindowTest, AnAutoBubbleDrawsItsArrowOnTheSideItWasPlaced) {
    auto window = makeToolWindow(kAutoBubble, {200, 100});
    window->showForWindow(nullptr, {700, 450});
    auto right = window->snapshot();
    ASSERT_TRUE(right);
    // Arrow on the left, pointing at the anchor; the body fills the right-hand side.
    EXPECT_GT(right->colorAt(4, 49).alphaComponent(), 0.9);
    EXPECT_LT(right->colorAt(4, 60).alphaComponent(), 0.02);
    EXPECT_GT(right->colorAt(195, 60).alphaComponent(), 0.9);

    window->updatePositionForWindow(nullptr, {1400, 450}, false);
    auto left = window->snapshot();
    ASSERT_TRUE(left);
    EXPECT_GT(left->colorAt(195, 49).alphaComponent(), 0.9);
    EXPECT_LT(left->colorAt(195, 60).alphaComponent(), 0.02);
    EXPECT_GT(left->colorAt(4, 60).alphaComponent(), 0.9);
}

TEST_F(QXToolWindowTest, OnlyTheDropdownNeverBecomesKey) {
    for (int type : {kDropdown, kPopup, kToast, kBubble, kAutoBubble}) {
        auto window = makeToolWindow(type, {200, 100});
        EXPECT_EQ(window->canBecomeKeyWindow(), type != kDropdown) << type;
    }
}

TEST_F(QXToolWindowTest, ContentIsPlacedInsideTheShapeOfItsType) {
    struct Case {
        int type;
        Point anchor;
        Rect content;
        Rect frame;
        Rect placedContent;
    } cases[] = {
        // The drop-down adds 4 points below its content.
        {kDropdown, {100, 500}, {0, 0, 200, 76}, {100, 420, 200, 80}, {0, 4, 200, 76}},
        // Pop-ups and toasts keep the content's size, shifted by 4.
        {kToast, {1000, 800}, {0, 0, 300, 90}, {700, 710, 300, 90}, {4, 4, 300, 90}},
        // The auto-bubble makes room for its 20-point arrow on the left.
        {kAutoBubble, {700, 450}, {0, 0, 180, 100}, {700, 400, 200, 100}, {20, 0, 180, 100}},
        {kBubble, {700, 450}, {0, 0, 180, 100}, {610, 400, 180, 100}, {0, 0, 180, 100}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        auto window = make<QXToolWindow>();
        window->setType(c.type);
        window->showForWindow(nullptr, c.anchor);
        auto content = make<View>(c.content);
        window->setContentView(content);
        EXPECT_EQ(window->frame(), c.frame) << show(window->frame());
        EXPECT_EQ(content->frame(), c.placedContent) << show(content->frame());
        EXPECT_EQ(window->contentView(), content.get());
        EXPECT_EQ(content->superview(), window->toolFrameView());
    }
}

TEST_F(QXToolWindowTest, ResizeTimeIsFourHundredthsOfASecondPer150Points) {
    auto window = makeToolWindow(kBubble, {200, 100});
    window->setFrameOrigin({500, 500});
    EXPECT_DOUBLE_EQ(window->animationResizeTime(Rect(500, 500, 350, 100)), 0.04);
    EXPECT_DOUBLE_EQ(window->animationResizeTime(Rect(0, 0, 50, 250)), 0.08);
    EXPECT_DOUBLE_EQ(window->animationResizeTime(Rect(900, 10, 200, 100)), 0.0);
    EXPECT_DOUBLE_EQ(window->animationResizeTime(Rect(0, 0, 215, 100)), 0.004);
}

TEST_F(QXToolWindowTest, AShownWindowGrowsSmoothlyToItsNewContent) {
    auto window = makeToolWindow(kBubble, {200, 100});
    window->showForWindow(nullptr, {700, 450});
    ASSERT_EQ(window->frame(), Rect(600, 400, 200, 100));
    std::vector<Rect> steps;
    platform::NotificationCenter::defaultCenter().addObserver(
        this, platform::WindowDidResizeNotification, window.get(),
        [&](const platform::Notification&) { steps.push_back(window->frame()); });

    const double before = clock->now();
    window->setContentView(make<View>(Rect(0, 0, 350, 100)));
    EXPECT_NEAR(clock->now() - before, 0.04, 1e-9);
    EXPECT_EQ(window->frame(), Rect(525, 400, 350, 100));
    EXPECT_EQ(window->contentView()->frame(), Rect(0, 0, 350, 100));
    // Several steps of growing width, each one wider than the last.
    ASSERT_GE(steps.size(), 2u);
    for (std::size_t i = 1; i < steps.size(); ++i)
        EXPECT_GT(steps[i].width(), steps[i - 1].width());
    EXPECT_GT(steps.front().width(), 200);
    EXPECT_LT(steps.front().width(), 350);
    EXPECT_EQ(steps.back(), Rect(525, 400, 350, 100));
}

TEST_F(QXToolWindowTest, AHiddenWindowTakesItsNewSizeAtOnce) {
    auto window = makeToolWindow(kToast, {300, 90});
    const double before = clock->now();
    window->setContentSize({400, 100});
    EXPECT_EQ(clock->now(), before);
    EXPECT_EQ(window->frame().size, Size(400, 100));
}

struct FadeCase {
    int type;
    double duration;
    bool staysIn;
};

TEST_F(QXToolWindowTest, OrderingOutFadesForTheTypesTimeWithEaseIn) {
    const FadeCase cases[] = {
        {kDropdown, 0.2, false}, {kPopup, 0.2, false},      {kToast, 1.5, true},
        {kBubble, 0.15, false},  {kAutoBubble, 0.2, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        auto window = makeToolWindow(c.type, {200, 100});
        window->showForWindow(nullptr, {700, 450});
        window->orderOut(nullptr);
        EXPECT_TRUE(window->isFading());
        EXPECT_TRUE(window->isVisible());
        runFor(c.duration / 2);
        // Ease-in: a quarter of the way at half the time.
        EXPECT_NEAR(window->alphaValue(), 0.75, 0.08);
        runFor(c.duration / 2 - 0.001);
        EXPECT_TRUE(window->isVisible());
        runFor(0.002);
        EXPECT_FALSE(window->isFading());
        EXPECT_EQ(window->alphaValue(), 0.0);
        EXPECT_EQ(window->isVisible(), c.staysIn);
        EXPECT_EQ(isOrderedIn(window.get()), c.staysIn);
    }
}

TEST_F(QXToolWindowTest, ASecondOrderOutDuringTheFadeIsIgnored) {
    auto window = makeToolWindow(kBubble, {200, 100});
    window->showForWindow(nullptr, {700, 450});
    window->orderOut(nullptr);
    runFor(0.1);
    window->orderOut(nullptr);
    runFor(0.06);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(QXToolWindowTest, ShowingAgainDuringTheFadeStopsIt) {
    auto window = makeToolWindow(kPopup, {200, 100});
    window->showForWindow(nullptr, {300, 300});
    window->orderOut(nullptr);
    runFor(0.1);
    window->showForWindow(nullptr, {400, 400});
    EXPECT_FALSE(window->isFading());
    EXPECT_EQ(window->alphaValue(), 1.0);
    runFor(1.0);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->alphaValue(), 1.0);
    // A faded toast can be shown again, opaque.
    auto toast = makeToolWindow(kToast, {300, 90});
    toast->showForWindow(nullptr, {1000, 800});
    toast->orderOut(nullptr);
    runFor(2.0);
    ASSERT_TRUE(toast->isVisible());
    toast->showForWindow(nullptr, {1000, 700});
    EXPECT_EQ(toast->alphaValue(), 1.0);
    EXPECT_EQ(toast->frame(), Rect(700, 610, 300, 90));
}

TEST_F(QXToolWindowTest, ForceCloseOrdersOutAtOnceAndClosingFades) {
    auto toast = makeToolWindow(kToast, {300, 90});
    toast->showForWindow(nullptr, {1000, 800});
    toast->orderOut(nullptr);
    runFor(0.5);
    toast->forceClose();
    EXPECT_FALSE(toast->isVisible());
    EXPECT_FALSE(toast->isFading());
    EXPECT_EQ(toast->level(), platform::FloatingWindowLevel);
    EXPECT_FALSE(toast->hidesOnDeactivate());

    // Forcing is for one order-out only: the window fades again next time.
    toast->showForWindow(nullptr, {1000, 800});
    toast->orderOut(nullptr);
    EXPECT_TRUE(toast->isFading());

    auto bubble = makeToolWindow(kBubble, {200, 100});
    auto parent = make<Window>(Rect(300, 300, 400, 300), platform::TitledWindowMask);
    parent->orderFront(nullptr);
    parent->addChildWindow(bubble.get(), platform::WindowOrderingMode::Above);
    bubble->showForWindow(parent.get(), {50, 50});
    bubble->close();
    EXPECT_EQ(bubble->parentWindow(), nullptr);
    EXPECT_TRUE(parent->childWindows().empty());
    EXPECT_TRUE(bubble->isFading());
    runFor(0.16);
    EXPECT_FALSE(bubble->isVisible());

    // orderOut without a sender does not fade.
    auto popup = makeToolWindow(kPopup, {200, 100});
    popup->showForWindow(nullptr, {300, 300});
    popup->orderOut();
    EXPECT_FALSE(popup->isVisible());
    EXPECT_FALSE(popup->isFading());
}

TEST_F(QXToolWindowTest, ADyingWindowLeavesItsFadeBehindSafely) {
    auto window = makeToolWindow(kToast, {300, 90});
    window->showForWindow(nullptr, {1000, 800});
    window->orderOut(nullptr);
    window.reset();
    runFor(2.0);
    SUCCEED();
}

// A drag in screen points, the event locations converted in the window's coordinates of the
// moment, since the window moves under the pointer.
class QXToolWindowDragTest : public QXToolWindowTest {
protected:
    void press(QXToolWindow& window, Point screen) {
        mouseAtScreen(EventType::LeftMouseDown, window, screen);
    }
    void dragTo(QXToolWindow& window, Point screen) {
        mouseAtScreen(EventType::LeftMouseDragged, window, screen);
    }
    void release(QXToolWindow& window, Point screen) {
        mouseAtScreen(EventType::LeftMouseUp, window, screen);
    }
};

TEST_F(QXToolWindowDragTest, ADragStartsPastEightPointsAndMovesWithoutAJump) {
    auto window = makeToolWindow(kBubble, {200, 100});
    window->setAllowMove(true);
    window->showForWindow(nullptr, {700, 450});
    const Rect start = window->frame();
    press(*window, {650, 420});
    dragTo(*window, {658, 412});
    EXPECT_EQ(window->frame(), start);
    EXPECT_FALSE(window->isDragging());
    EXPECT_FALSE(window->didMove());
    dragTo(*window, {659, 420}); // 9 points: the drag starts here, nothing moves yet
    EXPECT_TRUE(window->isDragging());
    EXPECT_EQ(window->frame(), start);
    dragTo(*window, {679, 430});
    EXPECT_EQ(window->frame(), start.offsetBy(20, 10));
    EXPECT_TRUE(window->didMove());
    EXPECT_TRUE(window->hidesOnDeactivate());
    EXPECT_EQ(window->level(), platform::FloatingWindowLevel);
    release(*window, {689, 425});
    EXPECT_FALSE(window->isDragging());
    EXPECT_EQ(window->frame(), start.offsetBy(30, 5));
    EXPECT_EQ(window->anchor(), start.offsetBy(30, 5).center());

    // A dragged window no longer follows its anchor, until it is shown again.
    window->updatePositionForWindow(nullptr, {100, 100}, false);
    EXPECT_EQ(window->frame(), start.offsetBy(30, 5));
    window->showForWindow(nullptr, {700, 450});
    EXPECT_FALSE(window->didMove());
    EXPECT_EQ(window->frame(), start);
}

TEST_F(QXToolWindowDragTest, AWindowThatMayNotMoveStaysPut) {
    auto window = makeToolWindow(kBubble, {200, 100});
    window->showForWindow(nullptr, {700, 450});
    const Rect start = window->frame();
    press(*window, {650, 420});
    dragTo(*window, {700, 480});
    dragTo(*window, {750, 500});
    release(*window, {750, 500});
    EXPECT_EQ(window->frame(), start);
    EXPECT_FALSE(window->didMove());
}

TEST_F(QXToolWindowDragTest, ADraggedAutoBubbleLosesItsArrowAndItsParent) {
    auto parent = make<Window>(Rect(300, 300, 600, 300), platform::TitledWindowMask);
    parent->orderFront(nullptr);
    auto window = makeToolWindow(kAutoBubble, {200, 100});
    parent->addChildWindow(window.get(), platform::WindowOrderingMode::Above);
    window->setAllowMove(true);
    window->showForWindow(parent.get(), {100, 150});
    ASSERT_EQ(window->frame(), Rect(400, 400, 200, 100));
    EXPECT_EQ(window->toolFrameView()->style(), 5);
    press(*window, {500, 450});
    dragTo(*window, {520, 450});
    dragTo(*window, {530, 450});
    EXPECT_EQ(window->type(), kBubble);
    EXPECT_EQ(window->toolFrameView()->style(), 3);
    EXPECT_EQ(window->parentWindow(), nullptr);
    EXPECT_TRUE(parent->childWindows().empty());
    EXPECT_TRUE(window->hasShadow());
    EXPECT_EQ(window->frame(), Rect(410, 400, 200, 100));
}

} // namespace
} // namespace skinned_test
