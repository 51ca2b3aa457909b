#include "KitTestSupport.h"
#include "platform/graphics/Image.h"
#include "platform/kit/TabView.h"
#include "platform/kit/TabViewItem.h"

namespace kittest {
namespace {

using platform::TabView;
using platform::TabViewDelegate;
using platform::TabViewItem;
using platform::TabViewType;

class LoggingDelegate : public TabViewDelegate {
public:
    bool tabViewShouldSelectTabViewItem(TabView&, TabViewItem* item) override {
        log.push_back("should " + item->identifier());
        return item->identifier() != refused;
    }
    void tabViewWillSelectTabViewItem(TabView&, TabViewItem* item) override {
        log.push_back("will " + item->identifier());
    }
    void tabViewDidSelectTabViewItem(TabView&, TabViewItem* item) override {
        log.push_back("did " + item->identifier());
    }
    void tabViewDidChangeNumberOfTabViewItems(TabView& tabView) override {
        log.push_back("count " + std::to_string(tabView.numberOfTabViewItems()));
    }

    std::vector<std::string> log;
    std::string refused;
};

class TabViewTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        window = makeWindow({100, 100, 220, 220});
        tabView = make<TabView>(Rect(10, 10, 200, 100));
        window->contentView()->addSubview(tabView);
    }
    void TearDown() override {
        tabView->setDelegate(nullptr);
        tabView.reset();
        window.reset();
        KitTest::TearDown();
    }

    std::shared_ptr<TabViewItem> addItem(const std::string& identifier) {
        auto item = make<TabViewItem>(identifier);
        item->setLabel(identifier);
        item->setView(std::make_shared<View>(Rect(0, 0, 10, 10)));
        tabView->addTabViewItem(item);
        return item;
    }

    std::shared_ptr<Window> window;
    std::shared_ptr<TabView> tabView;
};

TEST_F(TabViewTest, SelectingAsksTheDelegateAndSwapsTheItemViews) {
    tabView->setTabViewType(TabViewType::NoTabsNoBorder);
    LoggingDelegate delegate;
    tabView->setDelegate(&delegate);
    auto a = addItem("a");
    auto b = addItem("b");
    auto c = addItem("c");

    // The first item in becomes selected on its own.
    EXPECT_EQ(delegate.log, (std::vector<std::string>{"count 1", "should a", "will a", "did a",
                                                      "count 2", "count 3"}));
    ASSERT_EQ(tabView->selectedTabViewItem(), a.get());
    EXPECT_EQ(a->view()->superview(), tabView.get());
    EXPECT_EQ(a->view()->frame(), tabView->bounds());

    delegate.log.clear();
    tabView->selectTabViewItem(c.get());
    EXPECT_EQ(delegate.log, (std::vector<std::string>{"should c", "will c", "did c"}));
    EXPECT_EQ(tabView->subviews().size(), 1u);
    EXPECT_EQ(c->view()->superview(), tabView.get());
    EXPECT_EQ(a->view()->superview(), nullptr);
    EXPECT_EQ(c->tabState(), platform::TabState::Selected);
    EXPECT_EQ(a->tabState(), platform::TabState::Background);

    delegate.log.clear();
    delegate.refused = "b";
    tabView->selectTabViewItem(b.get());
    EXPECT_EQ(delegate.log, (std::vector<std::string>{"should b"}));
    EXPECT_EQ(tabView->selectedTabViewItem(), c.get());

    // An item of no tab view, or the selected one again, changes nothing.
    auto stranger = make<TabViewItem>("x");
    delegate.log.clear();
    tabView->selectTabViewItem(stranger.get());
    tabView->selectTabViewItem(c.get());
    EXPECT_TRUE(delegate.log.empty());
}

TEST_F(TabViewTest, RemovingTheSelectedItemLeavesNoSelectionAndKeepsTheItemWhole) {
    LoggingDelegate delegate;
    tabView->setDelegate(&delegate);
    auto a = addItem("a");
    auto b = addItem("b");
    std::weak_ptr<View> aView = a->view();
    delegate.log.clear();

    tabView->removeTabViewItem(a.get());
    EXPECT_EQ(delegate.log, (std::vector<std::string>{"count 1"}));
    EXPECT_EQ(tabView->selectedTabViewItem(), nullptr);
    EXPECT_TRUE(tabView->subviews().empty());
    EXPECT_EQ(a->tabView(), nullptr);
    EXPECT_EQ(a->view(), aView.lock());
    EXPECT_EQ(tabView->indexOfTabViewItem(a.get()), TabView::NotFound);

    // Removing what is not there is ignored; adding to a non-empty tab view selects nothing.
    tabView->removeTabViewItem(a.get());
    tabView->addTabViewItem(a);
    EXPECT_EQ(tabView->selectedTabViewItem(), nullptr);
    EXPECT_EQ(tabView->indexOfTabViewItem(a.get()), 1);
    EXPECT_EQ(b->tabView(), tabView.get());
}

TEST_F(TabViewTest, NextAndPreviousStopAtTheEnds) {
    for (const char* id : {"a", "b", "c"})
        addItem(id);
    const struct {
        long from;
        bool next;
        long expected;
    } cases[] = {{0, true, 1}, {2, true, 2}, {1, false, 0}, {0, false, 0}};
    for (const auto& c : cases) {
        tabView->selectTabViewItemAtIndex(c.from);
        if (c.next)
            tabView->selectNextTabViewItem(nullptr);
        else
            tabView->selectPreviousTabViewItem(nullptr);
        EXPECT_EQ(tabView->indexOfTabViewItem(tabView->selectedTabViewItem()), c.expected)
            << c.from << (c.next ? " next" : " previous");
    }
    tabView->selectLastTabViewItem(nullptr);
    EXPECT_EQ(tabView->selectedTabViewItem()->identifier(), "c");
    tabView->selectTabViewItemWithIdentifier("b");
    EXPECT_EQ(tabView->selectedTabViewItem()->identifier(), "b");
    EXPECT_TRUE(
        WindowServer::shared().sendAction("selectFirstTabViewItem:", tabView.get(), nullptr));
    EXPECT_EQ(tabView->selectedTabViewItem()->identifier(), "a");
}

TEST_F(TabViewTest, TheTypeDecidesTheContentRectangle) {
    auto a = addItem("a");
    const struct {
        TabViewType type;
        Rect content;
    } cases[] = {
        {TabViewType::TopTabsBezelBorder, {2, 2, 196, 72}},
        {TabViewType::LeftTabsBezelBorder, {26, 2, 172, 96}},
        {TabViewType::BottomTabsBezelBorder, {2, 26, 196, 72}},
        {TabViewType::RightTabsBezelBorder, {2, 2, 172, 96}},
        {TabViewType::NoTabsBezelBorder, {2, 2, 196, 96}},
        {TabViewType::NoTabsLineBorder, {1, 1, 198, 98}},
        {TabViewType::NoTabsNoBorder, {0, 0, 200, 100}},
    };
    for (const auto& c : cases) {
        tabView->setTabViewType(c.type);
        EXPECT_EQ(tabView->contentRect(), c.content) << static_cast<int>(c.type);
        EXPECT_EQ(a->view()->frame(), c.content) << static_cast<int>(c.type);
    }
    // A resize refits the selected view.
    tabView->setFrame(Rect(10, 10, 150, 60));
    EXPECT_EQ(a->view()->frame(), Rect(0, 0, 150, 60));
}

TEST_F(TabViewTest, ClicksOnTabsAndArrowKeysSelect) {
    // Tall enough for a column of three side tabs.
    tabView->setFrame(Rect(10, 10, 200, 200));
    for (const char* id : {"One", "Two", "Three"})
        addItem(id);
    for (auto type : {TabViewType::TopTabsBezelBorder, TabViewType::BottomTabsBezelBorder,
                      TabViewType::LeftTabsBezelBorder, TabViewType::RightTabsBezelBorder}) {
        tabView->setTabViewType(type);
        tabView->selectFirstTabViewItem(nullptr);
        const Rect tab = tabView->tabRectForItemAtIndex(2);
        ASSERT_FALSE(tab.isEmpty());
        EXPECT_FALSE(tab.intersects(tabView->contentRect())) << static_cast<int>(type);
        // Tabs do not overlap one another.
        EXPECT_FALSE(tab.intersects(tabView->tabRectForItemAtIndex(1))) << static_cast<int>(type);
        const Point inWindow = tabView->convertPointToView(tab.center(), nullptr);
        mouse(EventType::LeftMouseDown, *window, inWindow);
        mouse(EventType::LeftMouseUp, *window, inWindow);
        EXPECT_EQ(tabView->selectedTabViewItem()->identifier(), "Three") << static_cast<int>(type);
    }
    tabView->setTabViewType(TabViewType::TopTabsBezelBorder);
    window->makeKeyAndOrderFront(nullptr);
    ASSERT_TRUE(window->makeFirstResponder(tabView.get()));
    key(platform::utf8FromCodePoint(platform::LeftArrowFunctionKey));
    EXPECT_EQ(tabView->selectedTabViewItem()->identifier(), "Two");
    key(platform::utf8FromCodePoint(platform::RightArrowFunctionKey));
    EXPECT_EQ(tabView->selectedTabViewItem()->identifier(), "Three");

    // Without tabs nothing is hit and nothing takes the keyboard.
    tabView->setTabViewType(TabViewType::NoTabsNoBorder);
    EXPECT_EQ(tabView->tabViewItemAtPoint(tabView->tabRectForItemAtIndex(0).center()), nullptr);
    EXPECT_FALSE(tabView->acceptsFirstResponder());
}

TEST_F(TabViewTest, TheKeyboardFocusLeavesWithTheViewThatHadIt) {
    auto a = addItem("a");
    addItem("b");
    auto field = std::make_shared<RecordingView>(Rect(0, 0, 5, 5));
    field->acceptsFirst = true;
    a->view()->addSubview(field);
    window->makeKeyAndOrderFront(nullptr);
    ASSERT_TRUE(window->makeFirstResponder(field.get()));

    tabView->selectTabViewItemAtIndex(1);
    EXPECT_EQ(window->firstResponder(), window.get());
}

TEST_F(TabViewTest, ItemsMoveBetweenTabViewsAndReplaceTheirViews) {
    auto a = addItem("a");
    auto other = make<TabView>(Rect(0, 0, 50, 50));
    other->addTabViewItem(a);
    EXPECT_EQ(tabView->numberOfTabViewItems(), 0);
    EXPECT_EQ(a->tabView(), other.get());
    EXPECT_EQ(other->selectedTabViewItem(), a.get());

    // Replacing the view of the selected item swaps it in place.
    auto old = a->view();
    auto replacement = std::make_shared<View>();
    a->setView(replacement);
    EXPECT_EQ(old->superview(), nullptr);
    EXPECT_EQ(replacement->superview(), other.get());
    EXPECT_EQ(replacement->frame(), other->contentRect());

    // Items outlive their tab view.
    other.reset();
    EXPECT_EQ(a->tabView(), nullptr);
}

TEST_F(TabViewTest, TheSelectedTabIsDrawnLighter) {
    addItem("a");
    addItem("b");
    window->orderFront(nullptr);
    auto image = window->snapshot();
    // Just inside the top edge of each tab, clear of the label.
    auto probe = [&](long index) {
        const Rect tab = tabView->tabRectForItemAtIndex(index);
        const Point p = tabView->convertPointToView(Point(tab.minX() + 4, tab.maxY() - 3), nullptr);
        return image->colorAt(static_cast<int>(p.x), static_cast<int>(p.y));
    };
    EXPECT_NEAR(probe(0).redComponent(), 1.0, 0.02);
    EXPECT_NEAR(probe(1).redComponent(), 0.85, 0.02);
}

} // namespace
} // namespace kittest
