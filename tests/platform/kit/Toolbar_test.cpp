#include "platform/graphics/Image.h"
#include "platform/kit/KitTestSupport.h"
#include "platform/kit/Toolbar.h"
#include "platform/kit/ToolbarItem.h"
#include "platform/kit/WindowServer.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace kittest;
using platform::ActionTarget;
using platform::Object;
using platform::Toolbar;
using platform::ToolbarDisplayMode;
using platform::ToolbarItem;
using platform::ToolbarSizeMode;

class Provider : public platform::ToolbarDelegate, public ActionTarget {
public:
    std::vector<std::string> defaults{
        "Call", std::string(platform::ToolbarFlexibleSpaceItemIdentifier), "Search"};
    std::vector<std::string> selectable{"Call"};
    std::shared_ptr<View> searchView = std::make_shared<View>(Rect{0, 0, 120, 22});
    std::vector<std::string> performed;

    std::vector<std::string> toolbarDefaultItemIdentifiers(Toolbar&) override { return defaults; }
    std::vector<std::string> toolbarAllowedItemIdentifiers(Toolbar&) override { return defaults; }
    std::vector<std::string> toolbarSelectableItemIdentifiers(Toolbar&) override {
        return selectable;
    }
    std::shared_ptr<ToolbarItem> toolbarItemForItemIdentifier(Toolbar&, const std::string& id,
                                                              bool) override {
        auto item = std::make_shared<ToolbarItem>(id);
        item->setLabel(id);
        if (id == "Search") {
            item->setView(searchView);
            item->setMinSize({100, 22});
            item->setMaxSize({200, 22});
        } else if (id == "Call") {
            item->setImage(std::make_shared<platform::Image>(platform::Size{32, 32}));
            item->setTarget(this);
            item->setAction("call:");
        } else {
            return nullptr;
        }
        return item;
    }
    bool tryToPerform(std::string_view action, Object*) override {
        if (action != "call:")
            return false;
        performed.emplace_back(action);
        return true;
    }
    bool respondsToAction(std::string_view action) const override { return action == "call:"; }
};

class ToolbarTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        window = makeWindow({100, 100, 400, 300});
        window->setContentView(std::make_shared<View>(Rect{0, 0, 400, 300}));
        window->makeKeyAndOrderFront(nullptr);
        toolbar = std::make_shared<Toolbar>("MainToolbar");
        toolbar->setDelegate(&provider);
    }
    void TearDown() override {
        window->setToolbar(nullptr);
        toolbar->setDelegate(nullptr);
        window.reset();
        KitTest::TearDown();
    }

    Provider provider;
    std::shared_ptr<Window> window;
    std::shared_ptr<Toolbar> toolbar;
};

TEST_F(ToolbarTest, WindowShowsTheItemsAsAStripAtTheTop) {
    window->setToolbar(toolbar);
    ASSERT_EQ(toolbar->items().size(), 3u);
    View* strip = toolbar->toolbarView();
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->superview(), window->rootView());
    EXPECT_EQ(strip->frame().maxY(), 300);
    EXPECT_EQ(strip->frame().width(), 400);
    EXPECT_EQ(strip->frame().height(), toolbar->height());
    // The search view sits in the strip at the right, grown to its maximum width by the
    // flexible space's neighbour rule.
    View* search = provider.searchView.get();
    EXPECT_EQ(search->superview(), strip);
    EXPECT_EQ(search->frame().width(), 200);
    EXPECT_NEAR(search->frame().maxX(), 396, 0.5);
}

TEST_F(ToolbarTest, ClickOnAnItemSendsItsActionAndSelectsIt) {
    window->setToolbar(toolbar);
    const Point inCall = toolbar->toolbarView()->convertPointToView({20, 30}, nullptr);
    mouse(EventType::LeftMouseDown, *window, inCall);
    mouse(EventType::LeftMouseUp, *window, inCall);
    EXPECT_EQ(provider.performed, std::vector<std::string>{"call:"});
    EXPECT_EQ(toolbar->selectedItemIdentifier(), std::optional<std::string>("Call"));
    // Only selectable identifiers can be selected.
    toolbar->setSelectedItemIdentifier("Search");
    EXPECT_EQ(toolbar->selectedItemIdentifier(), std::nullopt);
}

TEST_F(ToolbarTest, HidingAndToggleTakeTheStripAway) {
    window->setToolbar(toolbar);
    toolbar->setVisible(false);
    EXPECT_EQ(toolbar->toolbarView()->superview(), nullptr);
    window->toggleToolbarShown(nullptr);
    EXPECT_TRUE(toolbar->isVisible());
    EXPECT_EQ(toolbar->toolbarView()->superview(), window->rootView());
    window->setToolbar(nullptr);
    EXPECT_EQ(toolbar->window(), nullptr);
    EXPECT_EQ(toolbar->toolbarView()->superview(), nullptr);
}

TEST_F(ToolbarTest, ModesChangeTheStripHeight) {
    window->setToolbar(toolbar);
    const double iconAndLabel = toolbar->height();
    toolbar->setDisplayMode(ToolbarDisplayMode::IconOnly);
    const double iconOnly = toolbar->height();
    toolbar->setSizeMode(ToolbarSizeMode::Small);
    const double small = toolbar->height();
    toolbar->setDisplayMode(ToolbarDisplayMode::LabelOnly);
    const double labelOnly = toolbar->height();
    EXPECT_GT(iconAndLabel, iconOnly);
    EXPECT_EQ(iconOnly, 40);
    EXPECT_EQ(small, 32);
    EXPECT_LT(labelOnly, iconAndLabel);
    EXPECT_EQ(toolbar->toolbarView()->frame().height(), labelOnly);
}

TEST_F(ToolbarTest, ItemsThatDoNotFitAreNotVisible) {
    window->setToolbar(toolbar);
    EXPECT_EQ(toolbar->visibleItems().size(), 3u);
    window->setFrame({100, 100, 120, 300}, false);
    const auto visible = toolbar->visibleItems();
    ASSERT_LT(visible.size(), 3u);
    EXPECT_EQ(visible.front()->itemIdentifier(), "Call");
    EXPECT_EQ(provider.searchView->superview(), nullptr);
}

} // namespace
