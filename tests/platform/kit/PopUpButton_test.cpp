#include "platform/kit/KitTestSupport.h"
#include "platform/kit/Menu.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/WindowServer.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace kittest;
using platform::ActionTarget;
using platform::Menu;
using platform::MenuItem;
using platform::Object;
using platform::PopUpButton;

class Target : public ActionTarget {
public:
    bool tryToPerform(std::string_view action, Object* sender) override {
        if (!respondsToAction(action))
            return false;
        performed.emplace_back(action);
        if (auto* button = dynamic_cast<PopUpButton*>(sender))
            titles.push_back(button->titleOfSelectedItem());
        return true;
    }
    bool respondsToAction(std::string_view action) const override {
        return action == "choose:" || action == "command:";
    }
    std::vector<std::string> performed;
    std::vector<std::string> titles;
};

class PopUpButtonTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        window = makeWindow({100, 100, 300, 200});
        window->setContentView(std::make_shared<View>(Rect{0, 0, 300, 200}));
        popUp = std::make_shared<PopUpButton>(Rect{20, 100, 150, 24});
        popUp->addItemsWithTitles({"Available", "Away", "Busy"});
        popUp->setTarget(&target);
        popUp->setAction("choose:");
        window->contentView()->addSubview(popUp);
        window->makeKeyAndOrderFront(nullptr);
    }
    void TearDown() override {
        Menu::setTrackingHook({});
        popUp.reset();
        window.reset();
        KitTest::TearDown();
    }

    Target target;
    std::shared_ptr<Window> window;
    std::shared_ptr<PopUpButton> popUp;
};

TEST_F(PopUpButtonTest, SelectionByIndexTitleAndTag) {
    EXPECT_EQ(popUp->indexOfSelectedItem(), 0);
    EXPECT_EQ(popUp->titleOfSelectedItem(), "Available");
    popUp->itemAtIndex(2)->setTag(30);
    EXPECT_TRUE(popUp->selectItemWithTag(30));
    EXPECT_EQ(popUp->selectedItem(), popUp->itemAtIndex(2));
    EXPECT_EQ(popUp->itemAtIndex(2)->state(), platform::OnState);
    EXPECT_EQ(popUp->itemAtIndex(0)->state(), platform::OffState);
    EXPECT_FALSE(popUp->selectItemWithTag(99));
    EXPECT_EQ(popUp->indexOfSelectedItem(), 2);
    // Titles are unique: adding one again moves it to the end.
    popUp->addItemWithTitle("Away");
    EXPECT_EQ(popUp->itemTitles(), (std::vector<std::string>{"Available", "Busy", "Away"}));
    popUp->removeItemWithTitle("Busy");
    EXPECT_EQ(popUp->numberOfItems(), 2);
    EXPECT_EQ(popUp->selectedItem(), popUp->itemAtIndex(1));
    popUp->removeAllItems();
    EXPECT_EQ(popUp->selectedItem(), nullptr);
    EXPECT_EQ(popUp->titleOfSelectedItem(), "");
}

TEST_F(PopUpButtonTest, ClickOpensTheMenuAndTheChoiceSelectsAndSendsTheAction) {
    bool itemOverButton = false;
    Menu::setTrackingHook([&](Menu& m) {
        // The selected item's row is over the button.
        const platform::Rect frame = m.trackingWindow()->frame();
        const platform::Rect button = window->convertRectToScreen(popUp->frame());
        itemOverButton = frame.maxY() > button.maxY() - 8 && frame.maxY() < button.maxY() + 12;
        EXPECT_GE(frame.width(), popUp->frame().width());
        m.finishTrackingWithItem(m.itemAtIndex(1));
    });
    mouse(EventType::LeftMouseDown, *window, {60, 110});
    EXPECT_TRUE(itemOverButton);
    EXPECT_EQ(target.performed, std::vector<std::string>{"choose:"});
    EXPECT_EQ(target.titles, std::vector<std::string>{"Away"});
    EXPECT_EQ(popUp->indexOfSelectedItem(), 1);
    EXPECT_FALSE(popUp->isHighlighted());
}

TEST_F(PopUpButtonTest, AClickOpensTheMenuAndASecondClickChooses) {
    // The release of the opening click lands on the menu, which opens over the button: it
    // keeps the menu open (else it would choose the selected item). A click on an item
    // afterwards chooses it.
    Menu::setTrackingHook([&](Menu& m) {
        Window* shown = m.trackingWindow();
        const Point press = shown->convertScreenToBase(window->convertBaseToScreen({60, 110}));
        ASSERT_TRUE(shown->frame().containsPoint(window->convertBaseToScreen({60, 110})));
        const Point busy{shown->frame().width() / 2, shown->frame().height() / 6};
        WindowServer::shared().postEvent(
            Event::mouseEvent(EventType::LeftMouseUp, press, 0, shown));
        for (auto type : {EventType::MouseMoved, EventType::LeftMouseDown, EventType::LeftMouseUp})
            WindowServer::shared().postEvent(Event::mouseEvent(type, busy, 0, shown));
    });
    mouse(EventType::LeftMouseDown, *window, {60, 110});
    EXPECT_EQ(target.titles, std::vector<std::string>{"Busy"});
    EXPECT_EQ(popUp->indexOfSelectedItem(), 2);
}

TEST_F(PopUpButtonTest, CancelledMenuChangesNothingAndDisabledButtonDoesNotOpen) {
    int opened = 0;
    Menu::setTrackingHook([&](Menu& m) {
        ++opened;
        m.cancelTracking();
    });
    popUp->performClick(nullptr);
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(target.performed.empty());
    EXPECT_EQ(popUp->indexOfSelectedItem(), 0);
    popUp->setEnabled(false);
    mouse(EventType::LeftMouseDown, *window, {60, 110});
    EXPECT_EQ(opened, 1);
}

TEST_F(PopUpButtonTest, PullDownShowsItsTitleItemOnlyAsTitle) {
    auto menu = std::make_shared<Menu>();
    menu->addItemWithTitle("accounts", "", "");
    menu->addItemWithTitle("Sign in", "command:", "")->setTarget(&target);
    menu->addItemWithTitle("Sign out", "command:", "")->setTarget(&target);
    popUp->setPullsDown(true);
    popUp->setMenu(menu);
    EXPECT_EQ(popUp->cell()->title(), "accounts");
    bool titleHidden = false;
    Menu::setTrackingHook([&](Menu& m) {
        titleHidden = m.itemAtIndex(0)->isHidden();
        // Opens below the button.
        const platform::Rect button = window->convertRectToScreen(popUp->frame());
        EXPECT_LE(m.trackingWindow()->frame().maxY(), button.minY() + 0.5);
        m.finishTrackingWithItem(m.itemAtIndex(2));
    });
    popUp->performClick(nullptr);
    EXPECT_TRUE(titleHidden);
    EXPECT_FALSE(menu->itemAtIndex(0)->isHidden());
    // An item with an action of its own sends that, and a pull-down keeps its title.
    EXPECT_EQ(target.performed, std::vector<std::string>{"command:"});
    EXPECT_EQ(popUp->cell()->title(), "accounts");
}

} // namespace
