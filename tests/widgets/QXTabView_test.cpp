#include "platform/graphics/AttributedString.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/GraphicsTestSupport.h"
#include "platform/graphics/Image.h"
#include "platform/kit/KitTestSupport.h"
#include "widgets/QXGradient.h"
#include "widgets/QXTabView.h"
#include "widgets/QXTabViewItem.h"

#include <string>
#include <vector>

namespace {

using kittest::KitTest;
using platform::Color;
using platform::EventType;
using platform::make;
using platform::Point;
using platform::Rect;
using platform::TabViewItem;
using platform::View;
using platform::Window;

// An item that writes down where it was asked to draw its label.
class RecordingItem : public QXTabViewItem {
public:
    RecordingItem(std::string identifier, std::vector<std::string>* log)
        : QXTabViewItem(std::move(identifier)), log_(log) {}

    void drawLabel(bool truncate, const Rect& rect) override {
        if (log_)
            log_->push_back(identifier() + "@" + std::to_string(static_cast<int>(rect.minX())));
        QXTabViewItem::drawLabel(truncate, rect);
    }

private:
    std::vector<std::string>* log_;
};

class RecordingDelegate : public QXTabViewDelegate {
public:
    bool tabViewCanCloseItem(QXTabView&, TabViewItem* item) override {
        log.push_back("canClose " + item->identifier());
        return canClose;
    }
    void tabViewItemRemoved(QXTabView&, TabViewItem* item) override {
        log.push_back("removed " + item->identifier());
    }
    void tabViewItemWillMoveFrom(QXTabView&, TabViewItem* item, TabViewItem* target) override {
        log.push_back("willMove " + item->identifier() + " " + target->identifier());
    }
    void tabViewItemMovedFrom(QXTabView&, TabViewItem* item, TabViewItem* target) override {
        log.push_back("moved " + item->identifier() + " " + target->identifier());
    }
    void tabViewOverflowItems(QXTabView&,
                              const std::vector<std::shared_ptr<TabViewItem>>& items) override {
        overflow.clear();
        for (const auto& item : items)
            overflow.push_back(item->identifier());
    }

    bool canClose = true;
    std::vector<std::string> log;
    std::vector<std::string> overflow;
};

std::string identifiers(const platform::TabView& tabView) {
    std::string text;
    for (const auto& item : tabView.tabViewItems())
        text += (text.empty() ? "" : " ") + item->identifier();
    return text;
}

// A gradient of one stop: a flat fill.
std::shared_ptr<QXGradient> flat(const char* colour) {
    const std::string text = std::string("linear@0:") + colour + "@0";
    return QXGradient::gradientFromString(std::string_view(text));
}

class QXTabViewTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        window = makeWindow({100, 100, 500, 200});
        tabView = make<QXTabView>(Rect(0, 0, 450, 100));
        tabView->setLabelWidth(100);
        window->contentView()->addSubview(tabView);
        window->orderFront(nullptr);
    }
    void TearDown() override {
        tabView->setDelegate(nullptr);
        tabView.reset();
        window.reset();
        KitTest::TearDown();
    }

    void addItems(int count, bool canClose = false) {
        for (int i = 0; i < count; ++i) {
            auto item = make<RecordingItem>("t" + std::to_string(i), &drawn);
            item->setLabel("Tab " + std::to_string(i));
            item->setView(std::make_shared<View>());
            item->setLabelCanClose(canClose);
            tabView->addTabViewItem(item);
        }
    }
    QXTabViewItem* item(int index) {
        return dynamic_cast<QXTabViewItem*>(tabView->tabViewItemAtIndex(index));
    }
    std::string selected() {
        auto* s = tabView->selectedTabViewItem();
        return s ? s->identifier() : "none";
    }
    void redraw() {
        drawn.clear();
        window->display();
    }
    // Mouse events at points of the tab view.
    void down(Point p) { mouse(EventType::LeftMouseDown, *window, inWindow(p)); }
    void drag(Point p) { mouse(EventType::LeftMouseDragged, *window, inWindow(p)); }
    void up(Point p) { mouse(EventType::LeftMouseUp, *window, inWindow(p)); }
    Point inWindow(Point p) { return tabView->convertPointToView(p, nullptr); }

    std::shared_ptr<Window> window;
    std::shared_ptr<QXTabView> tabView;
    std::vector<std::string> drawn;
};

TEST_F(QXTabViewTest, LabelsThatDoNotFitAreReportedAsOverflowFarthestFirst) {
    const struct {
        int style;
        double spacing;
        double viewWidth;
        int selected;
        std::vector<std::string> drawn;
        std::vector<std::string> overflow;
    } cases[] = {
        // 306 + 100 + 5 = 411 is below 450; 406 + 105 is not.
        {2,
         0,
         450,
         0,
         {"t3@306", "t2@206", "t1@106", "t0@6"},
         {"t9", "t8", "t7", "t6", "t5", "t4"}},
        // Left of the selected label in increasing order, right of it decreasing, it last.
        {2,
         0,
         450,
         2,
         {"t0@6", "t1@106", "t3@306", "t2@206"},
         {"t9", "t8", "t7", "t6", "t5", "t4"}},
        {1,
         0,
         450,
         0,
         {"t3@302", "t2@202", "t1@102", "t0@2"},
         {"t9", "t8", "t7", "t6", "t5", "t4"}},
        // Reaching the limit exactly overflows.
        {0, 0, 405, 0, {"t2@200", "t1@100", "t0@0"}, {"t9", "t8", "t7", "t6", "t5", "t4", "t3"}},
        {3,
         -10,
         450,
         1,
         {"t0@0", "t3@270", "t2@180", "t1@90"},
         {"t9", "t8", "t7", "t6", "t5", "t4"}},
        // An overflowing selected label is reported last.
        {2,
         0,
         450,
         5,
         {"t0@6", "t1@106", "t2@206", "t3@306"},
         {"t4", "t9", "t8", "t7", "t6", "t5"}},
    };
    RecordingDelegate delegate;
    tabView->setDelegate(&delegate);
    addItems(10);
    for (const auto& c : cases) {
        tabView->setViewStyle(c.style);
        tabView->setLabelSpacing(static_cast<float>(c.spacing));
        tabView->setFrame(Rect(0, 0, c.viewWidth, 100));
        tabView->selectTabViewItemAtIndex(c.selected);
        redraw();
        const std::string what =
            "style " + std::to_string(c.style) + " selected " + std::to_string(c.selected);
        EXPECT_EQ(drawn, c.drawn) << what;
        EXPECT_EQ(delegate.overflow, c.overflow) << what;
        EXPECT_EQ(tabView->overflowItems().size(), c.overflow.size()) << what;
    }
    EXPECT_EQ(tabView->labelRectForItem(item(1)), Rect(106, 80, 100, 20));
}

TEST_F(QXTabViewTest, HitTestingFavoursTheSelectedLabelWhereLabelsOverlap) {
    addItems(5);
    const struct {
        double spacing;
        int selected;
        Point point;
        const char* expected;
    } cases[] = {
        {0, 0, {50, 90}, "t0"},
        // Hit rectangles start at the edge, without the drawn labels' 6-point offset.
        {0, 0, {103, 90}, "t1"},
        {0, 0, {50, 100}, "t0"},  // the top row of the view
        {0, 0, {50, 80}, "none"}, // the strip's bottom edge is not in it
        {0, 0, {50, 40}, "none"},
        {-20, 2, {170, 90}, "t2"},
        {-20, 2, {250, 90}, "t2"},
        {-20, 2, {150, 90}, "t1"},
        {-20, 2, {79, 90}, "t0"},
        {-20, 2, {265, 90}, "t3"},
    };
    for (const auto& c : cases) {
        tabView->setLabelSpacing(static_cast<float>(c.spacing));
        tabView->selectTabViewItemAtIndex(c.selected);
        TabViewItem* hit = tabView->tabViewItemAtPoint(c.point);
        EXPECT_EQ(hit ? hit->identifier() : "none", c.expected)
            << c.spacing << " at " << c.point.x << "," << c.point.y;
    }
}

TEST_F(QXTabViewTest, ClicksSelectLabelsWhereverTheViewIsPlaced) {
    tabView->setFrame(Rect(30, 60, 450, 100));
    addItems(10);
    redraw();
    down({150, 90});
    up({150, 90});
    EXPECT_EQ(selected(), "t1");

    // Label 4 overflows although its hit rectangle (400 to 500) reaches into the view.
    down({420, 90});
    drag({440, 90});
    up({440, 90});
    EXPECT_EQ(selected(), "t1");
    EXPECT_EQ(tabView->dragImage(), nullptr);
}

TEST_F(QXTabViewTest, ClosingATabAsksTheDelegate) {
    const struct {
        const char* what;
        bool delegateSet;
        bool canClose;
        int selected;
        int closed;
        const char* remaining;
        const char* selectedAfter;
    } cases[] = {
        {"no delegate", false, true, 1, 1, "t0 t1 t2", "t1"},
        {"delegate says no", true, false, 1, 1, "t0 t1 t2", "t1"},
        {"selected middle tab", true, true, 1, 1, "t0 t2", "t2"},
        {"selected last tab", true, true, 2, 2, "t0 t1", "t0"},
        {"another tab", true, true, 0, 2, "t0 t1", "t0"},
        {"a tab before the selected one", true, true, 2, 0, "t1 t2", "t2"},
    };
    for (const auto& c : cases) {
        RecordingDelegate delegate;
        delegate.canClose = c.canClose;
        tabView = make<QXTabView>(Rect(0, 0, 450, 100));
        tabView->setLabelWidth(100);
        tabView->setDelegate(c.delegateSet ? &delegate : nullptr);
        addItems(3);
        tabView->selectTabViewItemAtIndex(c.selected);
        std::weak_ptr<TabViewItem> closed = tabView->sharedItem(item(c.closed));
        tabView->closeTabViewItem(item(c.closed));
        EXPECT_EQ(identifiers(*tabView), c.remaining) << c.what;
        EXPECT_EQ(selected(), c.selectedAfter) << c.what;
        if (c.delegateSet && c.canClose) {
            EXPECT_EQ(delegate.log.back(), "removed t" + std::to_string(c.closed)) << c.what;
        } else {
            EXPECT_FALSE(closed.expired()) << c.what;
        }
        tabView->setDelegate(nullptr);
    }
    // A delegate that leaves the question unanswered lets nothing close.
    QXTabViewDelegate silent;
    tabView->setDelegate(&silent);
    const long before = tabView->numberOfTabViewItems();
    tabView->closeTabViewItem(item(0));
    EXPECT_EQ(tabView->numberOfTabViewItems(), before);
}

TEST_F(QXTabViewTest, TheCloseButtonClosesOnlyWhenReleasedOverIt) {
    // The selected label is at (6, 80, 100, 20); its flared close button at (9, 82, 12, 12).
    const Point button(15, 88);
    const Point label(60, 90);
    const Point offLabel(60, 50);
    const struct {
        const char* what;
        bool canClose;
        std::vector<std::pair<char, Point>> events;
        bool closes;
    } cases[] = {
        {"press and release on it", true, {{'d', button}, {'u', button}}, true},
        {"moved off before release", true, {{'d', button}, {'m', label}, {'u', label}}, false},
        {"moved off and back",
         true,
         {{'d', button}, {'m', offLabel}, {'m', button}, {'u', button}},
         true},
        // A press just beside it, released over it 5 points away, short of a drag.
        {"pressed beside it", true, {{'d', {22, 88}}, {'m', {17, 88}}, {'u', {17, 88}}}, true},
        {"no close button", false, {{'d', button}, {'u', button}}, false},
    };
    for (const auto& c : cases) {
        RecordingDelegate delegate;
        tabView->removeFromSuperview();
        tabView = make<QXTabView>(Rect(0, 0, 450, 100));
        tabView->setLabelWidth(100);
        window->contentView()->addSubview(tabView);
        tabView->setDelegate(&delegate);
        addItems(2, c.canClose);
        redraw();
        ASSERT_EQ(item(0)->closeButtonRect(), Rect(9, 82, 12, 12));
        for (const auto& [kind, p] : c.events) {
            if (kind == 'd')
                down(p);
            else if (kind == 'm')
                drag(p);
            else
                up(p);
        }
        EXPECT_EQ(identifiers(*tabView), c.closes ? "t1" : "t0 t1") << c.what;
        EXPECT_EQ(tabView->dragImage(), nullptr) << c.what;
        tabView->setDelegate(nullptr);
    }
}

TEST_F(QXTabViewTest, TheCloseButtonFollowsThePointer) {
    addItems(2, true);
    redraw();
    QXTabViewItem* first = item(0);
    const Point button = inWindow({15, 88});
    const struct {
        const char* what;
        EventType type;
        Point at;
        int state;
    } steps[] = {
        {"over it", EventType::MouseMoved, button, QXTabViewItem::kCloseHover},
        {"elsewhere on the label", EventType::MouseMoved, inWindow({60, 90}),
         QXTabViewItem::kCloseNormal},
        {"pressed", EventType::LeftMouseDown, button, QXTabViewItem::kClosePressed},
        {"still pressed over it", EventType::LeftMouseDragged, button,
         QXTabViewItem::kClosePressed},
        {"released", EventType::LeftMouseUp, inWindow({60, 90}), QXTabViewItem::kCloseNormal},
        {"back over it", EventType::MouseMoved, button, QXTabViewItem::kCloseHover},
        {"out of the strip", EventType::MouseMoved, inWindow({60, 40}),
         QXTabViewItem::kCloseNormal},
    };
    for (const auto& s : steps) {
        mouse(s.type, *window, s.at);
        EXPECT_EQ(first->closeButtonState(), s.state) << s.what;
    }
    // Leaving the label while the button is held shows the hover state.
    first->mouseDownInLabel({15, 88});
    first->mouseExitedLabel();
    EXPECT_EQ(first->closeButtonState(), QXTabViewItem::kCloseHover);
}

TEST_F(QXTabViewTest, DraggingTheSelectedLabelReordersTheTabs) {
    const struct {
        const char* what;
        std::vector<Point> drags; // after a press at (50, 90)
        const char* order;
        bool dragging;
        std::vector<std::string> log;
    } cases[] = {
        {"6 points", {{56, 90}}, "t0 t1 t2 t3", false, {}},
        {"7 points", {{57, 90}}, "t0 t1 t2 t3", true, {}},
        {"7 points diagonally", {{53, 94}}, "t0 t1 t2 t3", true, {}},
        {"over the next label",
         {{57, 90}, {157, 90}},
         "t1 t0 t2 t3",
         true,
         {"willMove t0 t1", "moved t0 t1"}},
        {"on over the one after",
         {{57, 90}, {157, 90}, {257, 90}},
         "t1 t2 t0 t3",
         true,
         {"willMove t0 t1", "moved t0 t1", "willMove t0 t2", "moved t0 t2"}},
        {"and back",
         {{57, 90}, {157, 90}, {57, 90}},
         "t0 t1 t2 t3",
         true,
         {"willMove t0 t1", "moved t0 t1", "willMove t0 t1", "moved t0 t1"}},
        // The image's corner leaves the strip when the pointer goes down.
        {"below the strip", {{57, 90}, {157, 80}}, "t0 t1 t2 t3", true, {}},
        {"not started on the label", {{57, 40}}, "t0 t1 t2 t3", false, {}},
    };
    for (const auto& c : cases) {
        RecordingDelegate delegate;
        tabView->removeFromSuperview();
        tabView = make<QXTabView>(Rect(0, 0, 450, 100));
        tabView->setLabelWidth(100);
        window->contentView()->addSubview(tabView);
        tabView->setDelegate(&delegate);
        addItems(4);
        redraw();
        down({50, 90});
        for (Point p : c.drags)
            drag(p);
        EXPECT_EQ(tabView->dragImage() != nullptr, c.dragging) << c.what;
        EXPECT_EQ(identifiers(*tabView), c.order) << c.what;
        EXPECT_EQ(delegate.log, c.log) << c.what;
        up(c.drags.back());
        EXPECT_EQ(tabView->dragImage(), nullptr) << c.what;
        EXPECT_EQ(selected(), "t0") << c.what;
        tabView->setDelegate(nullptr);
    }
}

TEST_F(QXTabViewTest, TheDraggedLabelIsATranslucentImageUnderThePointer) {
    auto red = flat("c(1,0,0,1)");
    addItems(3);
    for (int i = 0; i < 3; ++i)
        item(i)->setLabelActiveGradient(red);
    redraw();
    EXPECT_TRUE(graphics_test::colorNear(window->snapshot()->colorAt(14, 85), Color(1, 0, 0, 1)));

    down({50, 90});
    drag({57, 90});
    drag({57, 60}); // the image follows 30 points down, clear of the strip
    ASSERT_NE(tabView->dragImage(), nullptr);
    EXPECT_NEAR(tabView->dragImage()->colorAt(8, 8).alphaComponent(), 0.75, 0.02);
    EXPECT_EQ(tabView->dragImageOrigin(), Point(6, 50));
    window->displayIfNeeded();
    auto picture = window->snapshot();
    // The label's place is empty; the image shows where the pointer took it.
    EXPECT_FALSE(graphics_test::colorNear(picture->colorAt(14, 88), Color(1, 0, 0, 1), 0.2));
    const Color under = picture->colorAt(14, 55);
    EXPECT_NEAR(under.redComponent(), 1.0, 0.03);
    EXPECT_LT(under.greenComponent(), 0.3);
    up({57, 60});
    EXPECT_EQ(tabView->dragImage(), nullptr);

    // A drag whose release never came ends with the next press.
    down({50, 90});
    drag({57, 90});
    ASSERT_NE(tabView->dragImage(), nullptr);
    down({50, 90});
    EXPECT_EQ(tabView->dragImage(), nullptr);
    up({50, 90});
}

TEST_F(QXTabViewTest, LabelPicturesFollowSelectionBordersAndTheCloseButton) {
    auto red = flat("c(1,0,0,1)");
    auto blue = flat("c(0,0,1,1)");
    addItems(2, true);
    for (int i = 0; i < 2; ++i) {
        item(i)->setLabelActiveGradient(red);
        item(i)->setLabelInactiveGradient(blue);
    }
    // Inside each label, clear of the caption: the close button's spot on the selected label
    // (6 points into it, 2 up from its bottom) and the same spot on the other label.
    const int buttonX = 15, buttonY = 84, otherX = 115;
    const Color background = [&] {
        redraw();
        return window->snapshot()->colorAt(300, 150);
    }();

    const struct {
        const char* what;
        bool borderOnInactiveTabs;
        int buttonState;
        Color atButton;
        Color atOther;
    } cases[] = {
        {"normal", false, QXTabViewItem::kCloseNormal, Color(0.76, 0.16, 0.16, 1), background},
        {"hover", false, QXTabViewItem::kCloseHover, Color(0.58, 0.18, 0.18, 1), background},
        {"pressed", false, QXTabViewItem::kClosePressed, Color(0.19, 0.09, 0.09, 1), background},
        // The inactive label gets its shape but never a close button.
        {"inactive with border", true, QXTabViewItem::kCloseNormal, Color(0.76, 0.16, 0.16, 1),
         Color(0, 0, 1, 1)},
    };
    for (const auto& c : cases) {
        item(1)->setBorderOnInactiveTabs(c.borderOnInactiveTabs);
        redraw();
        if (c.buttonState == QXTabViewItem::kCloseHover)
            item(0)->mouseMovedInLabel({15, 88});
        else if (c.buttonState == QXTabViewItem::kClosePressed)
            item(0)->mouseDownInLabel({15, 88});
        else
            item(0)->mouseMovedInLabel({60, 88});
        ASSERT_EQ(item(0)->closeButtonState(), c.buttonState) << c.what;
        redraw();
        auto picture = window->snapshot();
        EXPECT_TRUE(graphics_test::colorNear(picture->colorAt(buttonX, buttonY), c.atButton, 0.03))
            << c.what;
        EXPECT_TRUE(graphics_test::colorNear(picture->colorAt(otherX, buttonY), c.atOther, 0.03))
            << c.what;
        // Beside the close button the selected label shows its gradient.
        EXPECT_TRUE(graphics_test::colorNear(picture->colorAt(30, buttonY), Color(1, 0, 0, 1)))
            << c.what;
    }
}

TEST_F(QXTabViewTest, AnImageStandsAboveASmallerCaption) {
    tabView->setLabelHeight(60);
    tabView->setFrame(Rect(0, 0, 450, 150));
    addItems(1);
    auto image = std::make_shared<platform::Image>(platform::Size(10, 10));
    image->lockFocus();
    Color(0, 0.8, 0, 1).setFill();
    platform::BezierPath::fillRect(Rect(0, 0, 10, 10));
    image->unlockFocus();
    item(0)->setLabelImage(image);
    redraw();

    // The label is at (6, 90, 100, 60); drawn with its bottom pushed 2 down from the inset
    // rectangle: (7, 89, 98, 60). The caption sits 2 above that bottom in a font 3 points
    // smaller, the image square above it.
    platform::TextAttributes attributes;
    attributes.font = tabView->font().fontWithSize(tabView->font().pointSize() - 3);
    const double captionHeight = platform::sizeWithAttributes("Tab 0", attributes).height;
    const double side = 60 - (captionHeight + 12);
    const double bottom = 89 + 2 + captionHeight + 2;
    const double left = 7 + (98 - side) * 0.5;
    auto picture = window->snapshot();
    const Color green(0, 0.8, 0, 1);
    EXPECT_TRUE(graphics_test::colorNear(
        picture->colorAt(static_cast<int>(left + side / 2), static_cast<int>(bottom + side / 2)),
        green));
    EXPECT_TRUE(graphics_test::colorNear(
        picture->colorAt(static_cast<int>(left + 1), static_cast<int>(bottom + side - 1)), green));
    EXPECT_FALSE(graphics_test::colorNear(
        picture->colorAt(static_cast<int>(left + side / 2), static_cast<int>(bottom + side + 1)),
        green, 0.2));
    EXPECT_FALSE(graphics_test::colorNear(
        picture->colorAt(static_cast<int>(left - 2), static_cast<int>(bottom + side / 2)), green,
        0.2));
}

TEST_F(QXTabViewTest, TheContentAreaTakesItsStyle) {
    tabView->setViewGradient(flat("c(0,0,1,1)"));
    tabView->setViewBorderColor(Color(1, 0, 0, 1));
    const Color blue(0, 0, 1, 1), red(1, 0, 0, 1);
    const Color pink = red.highlightWithLevel(0.2);
    const Color background = window->snapshot()->colorAt(300, 150);
    const struct {
        int style;
        Color corner;   // the content area's bottom-left pixel
        Color edge;     // its left column, halfway up
        Color belowTop; // the row under the area's top row, away from the corner
        Color topRow;   // the area's top row of pixels
        Color aboveTop; // the row above the area, the strip's bottom row
        Color middle;
    } cases[] = {
        {0, blue, blue, blue, blue, background, blue},
        // A highlighted line under the border's top.
        {1, red, red, pink, red, background, blue},
        // This style's border reaches a point into the strip.
        {3, red, red, blue, blue, red, blue},
    };
    for (const auto& c : cases) {
        tabView->setViewStyle(c.style);
        redraw();
        auto picture = window->snapshot();
        const std::string what = "style " + std::to_string(c.style);
        EXPECT_TRUE(graphics_test::colorNear(picture->colorAt(0, 0), c.corner)) << what;
        EXPECT_TRUE(graphics_test::colorNear(picture->colorAt(0, 40), c.edge)) << what;
        EXPECT_TRUE(graphics_test::colorNear(picture->colorAt(10, 78), c.belowTop)) << what;
        EXPECT_TRUE(graphics_test::colorNear(picture->colorAt(10, 79), c.topRow)) << what;
        EXPECT_TRUE(graphics_test::colorNear(picture->colorAt(10, 80), c.aboveTop)) << what;
        EXPECT_TRUE(graphics_test::colorNear(picture->colorAt(200, 40), c.middle)) << what;
    }
    // The bezel rounds its corners.
    tabView->setViewStyle(QXTabView::bezelView());
    redraw();
    auto picture = window->snapshot();
    EXPECT_FALSE(graphics_test::colorNear(picture->colorAt(0, 0), red, 0.2));
    EXPECT_TRUE(graphics_test::colorNear(picture->colorAt(0, 40), red));
    EXPECT_TRUE(graphics_test::colorNear(picture->colorAt(200, 40), blue));
}

TEST_F(QXTabViewTest, ItemViewsTakeTheContentFrame) {
    addItems(2);
    const struct {
        int style;
        Rect content;
    } cases[] = {{2, {3, 3, 444, 74}}, {1, {1, 1, 448, 78}}, {0, {1, 1, 448, 78}}};
    for (const auto& c : cases) {
        tabView->setViewStyle(c.style);
        tabView->setFrame(Rect(0, 0, 450, 100));
        EXPECT_EQ(item(0)->view()->frame(), c.content) << c.style;
        EXPECT_EQ(item(1)->view()->frame(), c.content) << c.style;
    }
    // A later change of style reaches a view when its item is selected.
    tabView->setViewStyle(QXTabView::bezelView());
    tabView->selectTabViewItemAtIndex(1);
    EXPECT_EQ(item(1)->view()->frame(), Rect(3, 3, 444, 74));
    EXPECT_EQ(item(1)->view()->superview(), tabView.get());
}

TEST_F(QXTabViewTest, ThePlatformTabsStayOff) {
    for (auto type :
         {platform::TabViewType::TopTabsBezelBorder, platform::TabViewType::LeftTabsBezelBorder,
          platform::TabViewType::NoTabsLineBorder}) {
        tabView->setTabViewType(type);
        EXPECT_EQ(tabView->tabViewType(), platform::TabViewType::NoTabsNoBorder);
    }
    tabView->setDrawsBackground(true);
    EXPECT_TRUE(tabView->drawsBackground());
    EXPECT_FALSE(tabView->platform::TabView::drawsBackground());
    EXPECT_FALSE(tabView->isFlipped());
    EXPECT_FALSE(tabView->acceptsFirstResponder());
    EXPECT_EQ(tabView->labelRectForItem(nullptr), platform::ZeroRect);
}

TEST_F(QXTabViewTest, MovesTellTheDelegateAndSwapsDoNot) {
    RecordingDelegate delegate;
    tabView->setDelegate(&delegate);
    addItems(4);
    tabView->selectTabViewItemAtIndex(1);
    const struct {
        const char* what;
        const char* id;
        long index;
        const char* order;
        std::vector<std::string> log;
    } moves[] = {
        {"forwards", "t0", 2, "t1 t2 t0 t3", {"willMove t0 t2", "moved t0 t2"}},
        {"backwards", "t0", 0, "t0 t1 t2 t3", {"willMove t0 t1", "moved t0 t1"}},
        {"to the end", "t1", 3, "t0 t2 t3 t1", {"willMove t1 t3", "moved t1 t3"}},
        {"where it is", "t2", 1, "t0 t2 t3 t1", {}},
        {"past the end", "t0", 4, "t0 t2 t3 t1", {}},
        {"before the start", "t0", -1, "t0 t2 t3 t1", {}},
    };
    for (const auto& m : moves) {
        delegate.log.clear();
        tabView->moveViewItem(tabView->tabViewItemWithIdentifier(m.id), m.index);
        EXPECT_EQ(identifiers(*tabView), m.order) << m.what;
        EXPECT_EQ(delegate.log, m.log) << m.what;
        EXPECT_EQ(selected(), "t1") << m.what;
    }
    auto stranger = make<QXTabViewItem>("x");
    delegate.log.clear();
    tabView->moveViewItem(stranger.get(), 0);
    EXPECT_TRUE(delegate.log.empty());

    tabView->swapViewItemWithIndex(3, 0);
    EXPECT_EQ(identifiers(*tabView), "t1 t2 t3 t0");
    tabView->swapViewItemWithIndex(2, 2);
    tabView->swapViewItemWithIndex(0, 9);
    EXPECT_EQ(identifiers(*tabView), "t1 t2 t3 t0");
    EXPECT_EQ(selected(), "t1");
    EXPECT_TRUE(delegate.log.empty());
}

TEST_F(QXTabViewTest, IdentifiersMatchIgnoringCase) {
    addItems(3);
    auto* found = tabView->tabViewItemWithIdentifier("T2");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->identifier(), "t2");
    EXPECT_EQ(tabView->tabViewItemWithIdentifier("t22"), nullptr);
    EXPECT_EQ(tabView->tabViewItemWithIdentifier(""), nullptr);
}

TEST(QXTabViewItem, ShapesFitTheirRectangle) {
    const Rect r(10, 5, 100, 20);
    const struct {
        const char* what;
        int style;
        platform::BezierPath (QXTabViewItem::*shape)(const Rect&) const;
        Rect bounds;
    } cases[] = {
        {"flare", 0, &QXTabViewItem::labelShape, {10, 5, 100, 20}},
        {"square", 2, &QXTabViewItem::labelShape, {10, 5, 100, 20}},
        {"hanging", 3, &QXTabViewItem::labelShape, {10, 5, 100, 20}},
        {"hanging inactive", 3, &QXTabViewItem::inactiveLabelShape, {10, 5, 100, 20}},
        // The border stands a point higher, its right side a point short of the bottom.
        {"border", 3, &QXTabViewItem::labelBorderShape, {10, 6, 100, 20}},
        {"inactive", 0, &QXTabViewItem::inactiveLabelShape, {10, 5.5, 100, 19.5}},
        {"inactive border", 1, &QXTabViewItem::inactiveLabelBorderShape, {10, 6, 100, 20}},
    };
    for (const auto& c : cases) {
        auto item = make<QXTabViewItem>("x");
        item->setLabelStyle(c.style);
        const Rect b = ((*item).*c.shape)(r).bounds();
        EXPECT_NEAR(b.minX(), c.bounds.minX(), 1e-6) << c.what;
        EXPECT_NEAR(b.minY(), c.bounds.minY(), 1e-6) << c.what;
        EXPECT_NEAR(b.width(), c.bounds.width(), 1e-6) << c.what;
        EXPECT_NEAR(b.height(), c.bounds.height(), 1e-6) << c.what;
    }
    // A flare is open at the bottom and rounded at the top; a hanging label the other way.
    auto item = make<QXTabViewItem>("x");
    EXPECT_TRUE(item->labelShape(r).containsPoint({10.5, 5.5}));
    EXPECT_FALSE(item->labelShape(r).containsPoint({10.5, 24.5}));
    item->setLabelStyle(QXTabViewItem::hangingLabel());
    EXPECT_FALSE(item->labelShape(r).containsPoint({10.5, 5.5}));
    EXPECT_TRUE(item->labelShape(r).containsPoint({10.5, 24.5}));
}

TEST(QXTabViewItem, TheCloseButtonSitsAtTheLabelsLeft) {
    const struct {
        int style;
        Rect expected;
    } cases[] = {{0, {13, 2, 12, 12}}, {1, {13, 4, 12, 12}}, {3, {13, 4, 12, 12}}};
    for (const auto& c : cases) {
        auto item = make<QXTabViewItem>("x");
        item->setLabelStyle(c.style);
        item->drawLabel(true, Rect(10, 0, 80, 20));
        EXPECT_EQ(item->closeButtonRect(), c.expected) << c.style;
        // The circle counts, the corners of its square do not.
        item->setLabelCanClose(true);
        const Rect b = c.expected;
        EXPECT_TRUE(item->mouseDownInLabel({b.midX() + 4, b.midY()})) << c.style;
        EXPECT_FALSE(item->mouseDownInLabel({b.minX() + 0.5, b.minY() + 0.5})) << c.style;
    }
}

} // namespace
