#include "platform/graphics/Image.h"
#include "platform/kit/ClipView.h"
#include "platform/kit/KitTestSupport.h"
#include "platform/kit/ListViewTestSupport.h"
#include "platform/kit/ScrollView.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

using namespace kittest;
using platform::ClipView;
using platform::Color;
using platform::Scroller;
using platform::ScrollView;

// A document that writes down every rectangle it is asked to draw.
class Canvas : public View {
public:
    Canvas(const Rect& frame, bool flipped) : View(frame), flipped_(flipped) {}
    bool isFlipped() const override { return flipped_; }
    void drawRect(const Rect& dirtyRect) override { drawn.push_back(dirtyRect); }
    std::vector<Rect> drawn;

private:
    bool flipped_;
};

class ScrollViewTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        window = makeWindow({100, 100, 300, 200});
        window->setContentView(std::make_shared<View>(Rect{0, 0, 300, 200}));
        scroll = std::make_shared<ScrollView>(Rect{10, 10, 200, 150});
        scroll->setHasVerticalScroller(true);
        scroll->setHasHorizontalScroller(true);
        window->contentView()->addSubview(scroll);
        window->makeKeyAndOrderFront(nullptr);
    }
    void TearDown() override {
        window.reset();
        KitTest::TearDown();
    }
    std::shared_ptr<Canvas> setDocument(Size size, bool flipped = true) {
        auto canvas = std::make_shared<Canvas>(Rect{{0, 0}, size}, flipped);
        scroll->setDocumentView(canvas);
        return canvas;
    }
    double scrollY() const { return scroll->contentView()->bounds().minY(); }

    std::shared_ptr<Window> window;
    std::shared_ptr<ScrollView> scroll;
};

TEST_F(ScrollViewTest, TilesClipViewAndScrollersInsideTheBorder) {
    setDocument({400, 1000});
    const double w = Scroller::scrollerWidth();
    EXPECT_EQ(scroll->contentView()->frame(), (Rect{0, w, 200 - w, 150 - w}));
    EXPECT_EQ(scroll->verticalScroller()->frame(), (Rect{200 - w, w, w, 150 - w}));
    EXPECT_EQ(scroll->horizontalScroller()->frame(), (Rect{0, 0, 200 - w, w}));
    EXPECT_TRUE(scroll->verticalScroller()->isVertical());
    EXPECT_FALSE(scroll->horizontalScroller()->isVertical());

    scroll->setBorderType(platform::BorderType::GrooveBorder);
    EXPECT_EQ(scroll->contentView()->frame(), (Rect{2, 2 + w, 196 - w, 146 - w}));
    EXPECT_EQ(ScrollView::contentSizeForFrameSize({200, 150}, true, true,
                                                  platform::BorderType::GrooveBorder),
              scroll->contentSize());
}

TEST_F(ScrollViewTest, AutohidingShowsOnlyTheScrollersTheDocumentNeeds) {
    scroll->setAutohidesScrollers(true);
    auto canvas = setDocument({100, 100});
    EXPECT_TRUE(scroll->verticalScroller()->isHidden());
    EXPECT_TRUE(scroll->horizontalScroller()->isHidden());
    EXPECT_EQ(scroll->contentView()->frame(), (Rect{0, 0, 200, 150}));

    // A document that grows tells its clip view, and the scrollers follow.
    canvas->setFrameSize({100, 1000});
    scroll->contentView()->documentViewFrameDidChange();
    EXPECT_FALSE(scroll->verticalScroller()->isHidden());
    EXPECT_TRUE(scroll->horizontalScroller()->isHidden());
    EXPECT_EQ(scroll->contentView()->frame().width(), 200 - Scroller::scrollerWidth());

    // The vertical scroller takes width, which makes a document of 190 points too wide.
    canvas->setFrameSize({190, 1000});
    scroll->contentView()->documentViewFrameDidChange();
    EXPECT_FALSE(scroll->horizontalScroller()->isHidden());
}

TEST_F(ScrollViewTest, ScrollToPointStaysInsideTheDocumentAndMovesTheKnob) {
    setDocument({400, 1000});
    ClipView* clip = scroll->contentView();
    const double visible = clip->bounds().height();
    clip->scrollToPoint({0, 5000});
    EXPECT_EQ(scrollY(), 1000 - visible);
    EXPECT_DOUBLE_EQ(scroll->verticalScroller()->doubleValue(), 1.0);
    EXPECT_DOUBLE_EQ(scroll->verticalScroller()->knobProportion(), visible / 1000);
    clip->scrollToPoint({-20, -40});
    EXPECT_EQ(clip->bounds().origin, (Point{0, 0}));
    EXPECT_DOUBLE_EQ(scroll->verticalScroller()->doubleValue(), 0.0);
    EXPECT_EQ(clip->documentVisibleRect(), (Rect{0, 0, clip->bounds().width(), visible}));

    clip->scrollToPoint({100, 300});
    EXPECT_DOUBLE_EQ(scroll->verticalScroller()->doubleValue(), 300 / (1000 - visible));
    EXPECT_DOUBLE_EQ(scroll->horizontalScroller()->doubleValue(),
                     100 / (400 - clip->bounds().width()));
}

TEST_F(ScrollViewTest, KnobOfAnUnflippedDocumentStartsAtTheTop) {
    setDocument({400, 1000}, false);
    // The document's start is its origin, the bottom: the knob is at the far end.
    EXPECT_EQ(scrollY(), 0);
    EXPECT_DOUBLE_EQ(scroll->verticalScroller()->doubleValue(), 1.0);
    scroll->contentView()->scrollToPoint({0, 1000});
    EXPECT_DOUBLE_EQ(scroll->verticalScroller()->doubleValue(), 0.0);
}

TEST_F(ScrollViewTest, PagesKeepTheOverlapInSight) {
    struct Case {
        bool flipped;
        double start;
        bool down;
        double expected;
    };
    // The clip view is 135 points high; a page is that less the 10-point overlap.
    const double top = 1000 - 135;
    const Case cases[] = {
        {true, 0, true, 125},   {true, 125, true, 250}, {true, 250, false, 125},
        {true, 60, false, 0},   {true, top, true, top}, {false, top, true, top - 125},
        {false, 0, false, 125}, {false, 0, true, 0},    {false, top - 60, false, top},
    };
    for (const Case& c : cases) {
        setDocument({400, 1000}, c.flipped);
        scroll->contentView()->scrollToPoint({0, c.start});
        ASSERT_EQ(scrollY(), c.start);
        if (c.down)
            EXPECT_TRUE(scroll->tryToPerform("pageDown:", nullptr));
        else
            EXPECT_TRUE(scroll->tryToPerform("pageUp:", nullptr));
        EXPECT_EQ(scrollY(), c.expected) << (c.flipped ? "flipped" : "unflipped") << " from "
                                         << c.start << (c.down ? " down" : " up");
    }
    scroll->setPageScroll(35);
    scroll->contentView()->scrollToPoint({0, 0});
    setDocument({400, 1000}, true);
    scroll->pageDown(nullptr);
    EXPECT_EQ(scrollY(), 100);
}

TEST_F(ScrollViewTest, WheelScrollsByLinesAndPassesOnAtTheEdge) {
    auto holder = std::make_shared<RecordingView>(Rect{0, 0, 300, 200});
    window->setContentView(holder);
    holder->addSubview(scroll);
    setDocument({400, 1000});
    Input::scroll(*window, {50, 100}, 0, -3);
    EXPECT_EQ(scrollY(), 30);
    scroll->setVerticalLineScroll(19);
    Input::scroll(*window, {50, 100}, 0, 1);
    EXPECT_EQ(scrollY(), 11);
    EXPECT_TRUE(holder->events.empty());
    Input::scroll(*window, {50, 100}, 0, 5);
    EXPECT_EQ(scrollY(), 0);
    // Nothing left to scroll upwards: the enclosing view gets the wheel.
    Input::scroll(*window, {50, 100}, 0, 2);
    EXPECT_EQ(scrollY(), 0);
    EXPECT_EQ(holder->events, std::vector<std::string>{"scroll"});
    Input::scroll(*window, {50, 100}, -2, 0);
    EXPECT_EQ(scroll->contentView()->bounds().minX(), 20);
}

TEST_F(ScrollViewTest, DraggingTheKnobAndClickingTheSlotScroll) {
    setDocument({400, 1000});
    Scroller& scroller = *scroll->verticalScroller();
    const Rect knob = scroller.rectForPart(platform::ScrollerPart::Knob);
    ASSERT_FALSE(knob.isEmpty());
    // The scroller is flipped: its top in window coordinates is 10 + 150.
    const double scrollerTop = 160;
    const double x = 10 + scroller.frame().midX();
    const Point onKnob{x, scrollerTop - knob.midY()};
    Input::drag(*window, onKnob, {x, onKnob.y - 50});
    const double room = scroller.frame().height() - knob.height();
    EXPECT_NEAR(scroller.doubleValue(), 50 / room, 1e-9);
    EXPECT_NEAR(scrollY(), scroller.doubleValue() * (1000 - 135), 1e-9);

    // A click in the slot below the knob pages down.
    const double before = scrollY();
    const Rect below = scroller.rectForPart(platform::ScrollerPart::IncrementPage);
    Input::click(*window, {x, scrollerTop - below.midY()});
    EXPECT_EQ(scrollY(), before + 125);
    const Rect above = scroller.rectForPart(platform::ScrollerPart::DecrementPage);
    Input::click(*window, {x, scrollerTop - above.midY()});
    EXPECT_EQ(scrollY(), before);
}

TEST_F(ScrollViewTest, AScrollerWithEverythingInSightDoesNothing) {
    setDocument({100, 100});
    Scroller& scroller = *scroll->verticalScroller();
    EXPECT_FALSE(scroller.isEnabled());
    EXPECT_FALSE(scroller.isUsable());
    EXPECT_TRUE(scroller.rectForPart(platform::ScrollerPart::Knob).isEmpty());
    Input::click(*window, {10 + scroller.frame().midX(), 100});
    EXPECT_EQ(scrollY(), 0);
}

TEST_F(ScrollViewTest, DrawsOnlyTheDocumentInSight) {
    auto canvas = setDocument({400, 1000});
    window->display();
    const Rect visible = scroll->contentView()->documentVisibleRect();
    ASSERT_FALSE(canvas->drawn.empty());
    for (const Rect& r : canvas->drawn)
        EXPECT_TRUE(visible.containsRect(r)) << platform::stringFromRect(r);

    canvas->drawn.clear();
    scroll->pageDown(nullptr);
    window->displayIfNeeded();
    const Rect after = scroll->contentView()->documentVisibleRect();
    EXPECT_EQ(after.minY(), 125);
    ASSERT_FALSE(canvas->drawn.empty());
    for (const Rect& r : canvas->drawn)
        EXPECT_TRUE(after.containsRect(r)) << platform::stringFromRect(r);
}

TEST_F(ScrollViewTest, BackgroundIsTheClipViewsWhenItDrawsOne) {
    scroll->setHasVerticalScroller(false);
    scroll->setHasHorizontalScroller(false);
    scroll->setBackgroundColor(Color::redColor());
    EXPECT_EQ(scroll->backgroundColor(), Color::redColor());
    EXPECT_TRUE(scroll->drawsBackground());
    auto image = window->snapshot();
    EXPECT_EQ(image->colorAt(100, 100), Color::redColor());
    scroll->setDrawsBackground(false);
    image = window->snapshot();
    EXPECT_NE(image->colorAt(100, 100), Color::redColor());
}

TEST_F(ScrollViewTest, EnclosingScrollViewIsTheNearestAncestor) {
    auto canvas = setDocument({400, 1000});
    auto child = std::make_shared<View>(Rect{0, 0, 10, 10});
    canvas->addSubview(child);
    EXPECT_EQ(platform::enclosingScrollView(*canvas), scroll.get());
    EXPECT_EQ(platform::enclosingScrollView(*child), scroll.get());
    EXPECT_EQ(platform::enclosingScrollView(*scroll), nullptr);
    EXPECT_EQ(platform::enclosingClipView(*child), scroll->contentView());

    // scrollRectToVisible moves by the least amount.
    EXPECT_TRUE(platform::scrollRectToVisible(*canvas, {0, 500, 10, 20}));
    EXPECT_EQ(scrollY(), 520 - 135);
    EXPECT_FALSE(platform::scrollRectToVisible(*canvas, {0, 500, 10, 20}));
    EXPECT_TRUE(platform::scrollRectToVisible(*canvas, {0, 100, 10, 20}));
    EXPECT_EQ(scrollY(), 100);
}

} // namespace
