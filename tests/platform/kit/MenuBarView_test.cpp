#include "platform/graphics/Image.h"
#include "platform/kit/KitTestSupport.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuBarView.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/WindowServer.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace kittest;
using platform::ActionTarget;
using platform::Menu;
using platform::MenuBarView;
using platform::MenuItem;
using platform::Object;

class Target : public ActionTarget {
public:
    bool tryToPerform(std::string_view action, Object* /*sender*/) override {
        performed.emplace_back(action);
        return true;
    }
    bool respondsToAction(std::string_view /*action*/) const override { return true; }
    std::vector<std::string> performed;
};

class Opened : public platform::MenuDelegate {
public:
    void menuNeedsUpdate(Menu& menu) override { opened.push_back(menu.title()); }
    std::vector<std::string> opened;
};

class MenuBarViewTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        window = makeWindow({100, 100, 400, 200});
        window->setContentView(std::make_shared<View>(Rect{0, 0, 400, 200}));
        window->makeKeyAndOrderFront(nullptr);
        bar = std::make_shared<MenuBarView>(Rect{0, 176, 400, 24});
        window->contentView()->addSubview(bar);
        menuBar = std::make_shared<Menu>("MainMenu");
        for (const char* title : {"File", "Edit", "View", "Help"}) {
            auto item = menuBar->addItemWithTitle(title, {}, {});
            auto submenu = std::make_shared<Menu>(title);
            submenu->setDelegate(&recorder);
            auto entry = submenu->addItemWithTitle(std::string(title) + " item",
                                                   std::string(title) + "Action:", "");
            entry->setTarget(&target);
            item->setSubmenu(submenu);
        }
        // An item without a menu is not a title.
        menuBar->addItemWithTitle("Loose", "loose:", "");
        bar->setMenu(menuBar);
    }
    void TearDown() override {
        Menu::setTrackingHook({});
        for (const auto& item : menuBar->itemArray())
            if (item->submenu())
                item->submenu()->setDelegate(nullptr);
        bar.reset();
        window.reset();
        KitTest::TearDown();
    }
    std::vector<std::string> titles() const {
        std::vector<std::string> out;
        for (const auto& slot : bar->slots())
            out.push_back(slot.kind == MenuBarView::SlotKind::Title      ? slot.item->title()
                          : slot.kind == MenuBarView::SlotKind::Overflow ? "»"
                                                                         : "icon");
        return out;
    }
    // Clicks the middle of a slot of the strip.
    void clickSlot(std::size_t index) {
        const Rect frame = bar->slots().at(index).frame;
        mouse(EventType::LeftMouseDown, *window, bar->convertPointToView(frame.center(), nullptr));
    }

    Target target;
    Opened recorder;
    std::shared_ptr<Window> window;
    std::shared_ptr<MenuBarView> bar;
    std::shared_ptr<Menu> menuBar;
};

TEST_F(MenuBarViewTest, TitlesFollowTheMenuAndOverflowBehindAChevron) {
    EXPECT_EQ(titles(), (std::vector<std::string>{"File", "Edit", "View", "Help"}));
    EXPECT_TRUE(bar->overflowItems().empty());
    // Slots run left to right without overlapping, each as tall as the strip.
    const auto slots = bar->slots();
    for (std::size_t i = 1; i < slots.size(); ++i)
        EXPECT_GE(slots[i].frame.minX(), slots[i - 1].frame.maxX() - 0.01);
    EXPECT_EQ(slots.front().frame.height(), 24);

    menuBar->itemWithTitle("Edit")->setHidden(true);
    EXPECT_EQ(titles(), (std::vector<std::string>{"File", "View", "Help"}));
    menuBar->itemWithTitle("Edit")->setHidden(false);

    // Too narrow for all four: the first titles stay, the rest go behind the chevron, which
    // sits at the right end inside the strip.
    const double needed = slots.back().frame.maxX();
    bar->setFrameSize({needed - 10, 24});
    const auto narrow = bar->slots();
    ASSERT_FALSE(bar->overflowItems().empty());
    EXPECT_EQ(narrow.back().kind, MenuBarView::SlotKind::Overflow);
    EXPECT_LE(narrow.back().frame.maxX(), needed - 10 + 0.01);
    std::size_t shown = narrow.size() - 1;
    EXPECT_EQ(shown + bar->overflowItems().size(), 4u);
    EXPECT_EQ(bar->overflowItems().back()->title(), "Help");
    for (std::size_t i = 0; i + 1 < narrow.size(); ++i)
        EXPECT_LE(narrow[i].frame.maxX(), narrow.back().frame.minX() + 0.01);

    bar->setIconImage(std::make_shared<platform::Image>(platform::Size{16, 16}));
    EXPECT_EQ(titles().front(), "icon");
    EXPECT_EQ(bar->slots().front().frame.width(), 24) << "a square as tall as the strip";
}

TEST_F(MenuBarViewTest, AClickOpensTheTitlesMenuBelowItAndChoosingSendsTheAction) {
    platform::Rect shown;
    MenuItem* openWhileTracking = nullptr;
    Menu::setTrackingHook([&](Menu& menu) {
        shown = menu.trackingWindow()->frame();
        openWhileTracking = bar->openItem();
        menu.finishTrackingWithItem(menu.itemAtIndex(0));
    });
    clickSlot(2);
    EXPECT_EQ(recorder.opened, std::vector<std::string>{"View"});
    EXPECT_EQ(target.performed, std::vector<std::string>{"ViewAction:"});
    EXPECT_EQ(openWhileTracking, menuBar->itemWithTitle("View"));
    EXPECT_EQ(bar->openItem(), nullptr);
    // The menu hangs from the title's bottom-left corner, in screen coordinates.
    const platform::Rect title = bar->slots()[2].frame;
    const platform::Point corner =
        window->convertBaseToScreen(bar->convertPointToView({title.minX(), title.minY()}, nullptr));
    EXPECT_NEAR(shown.minX(), corner.x, 0.01);
    EXPECT_NEAR(shown.maxY(), corner.y, 0.01);

    // Cancelled: nothing is sent.
    Menu::setTrackingHook([](Menu& menu) { menu.cancelTracking(); });
    EXPECT_FALSE(bar->openMenuOfItem(menuBar->itemWithTitle("File")));
    EXPECT_EQ(target.performed.size(), 1u);
    // Items that are no title of the bar open nothing.
    EXPECT_FALSE(bar->openMenuOfItem(menuBar->itemWithTitle("Loose")));
}

TEST_F(MenuBarViewTest, TheChevronNamesTheHiddenTitlesAndOpensTheOneChosen) {
    bar->setFrameSize({bar->slots().back().frame.maxX() - 10, 24});
    const auto hidden = bar->overflowItems();
    ASSERT_FALSE(hidden.empty());
    std::vector<std::string> listed;
    int level = 0;
    Menu::setTrackingHook([&](Menu& menu) {
        if (level++ == 0) {
            for (const auto& item : menu.itemArray())
                listed.push_back(item->title());
            menu.finishTrackingWithItem(menu.itemAtIndex(menu.numberOfItems() - 1));
        } else {
            menu.finishTrackingWithItem(menu.itemAtIndex(0));
        }
    });
    clickSlot(bar->slots().size() - 1);
    std::vector<std::string> expected;
    for (MenuItem* item : hidden)
        expected.push_back(item->title());
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(recorder.opened, std::vector<std::string>{"Help"});
    EXPECT_EQ(target.performed, std::vector<std::string>{"HelpAction:"});
    // The submenu still belongs to its menu-bar item.
    EXPECT_EQ(menuBar->itemWithTitle("Help")->submenu()->supermenu(), menuBar.get());
}

TEST_F(MenuBarViewTest, TheIconAsksForItsMenuEachTimeItOpens) {
    int asked = 0;
    auto iconMenu = std::make_shared<Menu>("Icon");
    iconMenu->addItemWithTitle("Quit", "quit:", "")->setTarget(&target);
    bar->setIconMenuProvider([&]() -> std::shared_ptr<Menu> {
        ++asked;
        return asked == 1 ? iconMenu : nullptr;
    });
    EXPECT_FALSE(bar->openIconMenu()) << "no icon, no icon menu";
    bar->setIconImage(std::make_shared<platform::Image>(platform::Size{16, 16}));
    Menu::setTrackingHook([](Menu& menu) { menu.finishTrackingWithItem(menu.itemAtIndex(0)); });
    clickSlot(0);
    EXPECT_EQ(target.performed, std::vector<std::string>{"quit:"});
    // A right click on the icon asks again; without a menu nothing opens.
    const platform::Rect icon = bar->slots().front().frame;
    mouse(EventType::RightMouseDown, *window, bar->convertPointToView(icon.center(), nullptr));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(target.performed.size(), 1u);
}

} // namespace
