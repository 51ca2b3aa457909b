#include "platform/kit/KitTestSupport.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/WindowServer.h"

#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace kittest;
using platform::ActionTarget;
using platform::Menu;
using platform::MenuItem;
using platform::Object;

// Answers some actions, validates by a table, and writes down what it performed.
class Target : public ActionTarget {
public:
    explicit Target(std::vector<std::string> actions) : actions_(std::move(actions)) {}
    bool tryToPerform(std::string_view action, Object* sender) override {
        if (!respondsToAction(action))
            return false;
        performed.emplace_back(action);
        senders.push_back(sender);
        return true;
    }
    bool respondsToAction(std::string_view action) const override {
        return std::find(actions_.begin(), actions_.end(), action) != actions_.end();
    }
    std::optional<bool> validateMenuItem(MenuItem& item) override {
        asked.push_back(item.action());
        auto it = validity.find(item.action());
        if (it == validity.end())
            return std::nullopt;
        return it->second;
    }
    std::vector<std::string> performed;
    std::vector<Object*> senders;
    std::vector<std::string> asked;
    std::map<std::string, bool> validity;

private:
    std::vector<std::string> actions_;
};

class ChainDelegate : public platform::WindowDelegate, public Target {
public:
    using Target::Target;
};

class Recorder : public platform::MenuDelegate {
public:
    std::vector<std::string> calls;
    std::function<void(Menu&)> onUpdate;
    void menuNeedsUpdate(Menu& menu) override {
        calls.push_back("needsUpdate");
        if (onUpdate)
            onUpdate(menu);
    }
    void menuWillOpen(Menu&) override { calls.push_back("willOpen"); }
    void menuDidClose(Menu&) override { calls.push_back("didClose"); }
};

class MenuTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        window = makeWindow({100, 100, 300, 200});
        window->setContentView(std::make_shared<View>(Rect{0, 0, 300, 200}));
        window->makeKeyAndOrderFront(nullptr);
        window->setDelegate(&chain);
        menu = std::make_shared<Menu>("Test");
        open = menu->addItemWithTitle("Open", "open:", "o");
        save = menu->addItemWithTitle("Save", "save:", "s");
        menu->addItem(MenuItem::separatorItem());
        nobody = menu->addItemWithTitle("Nobody", "nobodyAnswers:", "");
    }
    void TearDown() override {
        Menu::setTrackingHook({});
        Menu::setMainMenu(nullptr);
        window->setDelegate(nullptr);
        window.reset();
        KitTest::TearDown();
    }
    // The centre of an item's row in the open menu's window, in that window's coordinates.
    static Point rowCentre(Menu& m, MenuItem* item) {
        Window* w = m.trackingWindow();
        const double row = std::ceil(m.font().defaultLineHeightForFont()) + 4;
        double top = 4;
        for (const auto& i : m.itemArray()) {
            if (i->isHidden())
                continue;
            const double h = i->isSeparatorItem() ? 10 : row;
            if (i.get() == item)
                return {w->frame().width() / 2, w->frame().height() - top - h / 2};
            top += h;
        }
        return {};
    }
    static void post(EventType type, Window* w, Point p) {
        WindowServer::shared().postEvent(Event::mouseEvent(type, p, 0, w));
    }

    ChainDelegate chain{{"open:", "save:", "sub:"}};
    std::shared_ptr<Window> window;
    std::shared_ptr<Menu> menu;
    std::shared_ptr<MenuItem> open, save, nobody;
};

TEST_F(MenuTest, ItemsKeepOrderAndMoveBetweenMenus) {
    EXPECT_EQ(menu->numberOfItems(), 4);
    EXPECT_EQ(menu->indexOfItem(save.get()), 1);
    EXPECT_EQ(menu->indexOfItemWithTitle("Nobody"), 3);
    save->setTag(7);
    EXPECT_EQ(menu->itemWithTag(7), save.get());
    auto object = std::make_shared<Object>();
    nobody->setRepresentedObject(platform::Value(object));
    EXPECT_EQ(menu->indexOfItemWithRepresentedObject(platform::Value(object)), 3);
    EXPECT_EQ(menu->itemAtIndex(9), nullptr);

    auto other = std::make_shared<Menu>("Other");
    other->addItem(save);
    EXPECT_EQ(save->menu(), other.get());
    EXPECT_EQ(menu->indexOfItem(save.get()), -1);
    menu->insertItem(save, 0);
    EXPECT_EQ(other->numberOfItems(), 0);
    EXPECT_EQ(menu->itemAtIndex(0), save.get());
    menu->removeItemAtIndex(0);
    EXPECT_EQ(save->menu(), nullptr);
}

TEST_F(MenuTest, ValidationAsksTargetOrChain) {
    Target own({"save:"});
    own.validity["save:"] = false;
    save->setTarget(&own);
    chain.validity["open:"] = true;
    auto sub = std::make_shared<Menu>("Sub");
    auto holder = menu->addItemWithTitle("More", "", "");
    menu->setSubmenu(sub, holder.get());
    auto bare = menu->addItemWithTitle("Bare", "", "");

    menu->update();
    EXPECT_TRUE(open->isEnabled());    // the window's delegate answers and says yes
    EXPECT_FALSE(save->isEnabled());   // its own target says no
    EXPECT_FALSE(nobody->isEnabled()); // nobody answers the action
    EXPECT_TRUE(holder->isEnabled());  // no action but a submenu
    EXPECT_FALSE(bare->isEnabled());   // no action, no submenu
    EXPECT_EQ(own.asked, std::vector<std::string>{"save:"});

    // A target that does not validate leaves the item enabled; turning validation off keeps
    // whatever the items say.
    own.validity.clear();
    menu->update();
    EXPECT_TRUE(save->isEnabled());
    menu->setAutoenablesItems(false);
    nobody->setEnabled(true);
    menu->update();
    EXPECT_TRUE(nobody->isEnabled());
}

TEST_F(MenuTest, MainMenuKeyEquivalentsPerformValidatedItems) {
    Menu::setMainMenu(menu);
    key("o", platform::CommandKeyMask);
    EXPECT_EQ(chain.performed, std::vector<std::string>{"open:"});
    EXPECT_EQ(chain.senders.back(), open.get());
    chain.validity["save:"] = false;
    key("s", platform::CommandKeyMask);
    EXPECT_EQ(chain.performed.size(), 1u);
    // Upper-case key equivalents need Shift.
    open->setKeyEquivalent("O");
    key("o", platform::CommandKeyMask);
    EXPECT_EQ(chain.performed.size(), 1u);
    key("O", platform::CommandKeyMask | platform::ShiftKeyMask);
    EXPECT_EQ(chain.performed.size(), 2u);
}

TEST_F(MenuTest, PopUpChoosesWithTheMouseAndSendsTheAction) {
    Recorder recorder;
    menu->setDelegate(&recorder);
    Rect shownFrame;
    Menu::setTrackingHook([&](Menu& m) {
        Window* shown = m.trackingWindow();
        shownFrame = shown->frame();
        EXPECT_TRUE(shown->isVisible());
        EXPECT_EQ(shown->level(), platform::PopUpMenuWindowLevel);
        recorder.calls.push_back("hook");
        const Point p = rowCentre(m, save.get());
        post(EventType::MouseMoved, shown, p);
        post(EventType::LeftMouseUp, shown, p);
    });
    const bool chosen = menu->popUpMenuPositioningItem(nullptr, {50, 150}, window->contentView());
    EXPECT_TRUE(chosen);
    EXPECT_EQ(chain.performed, std::vector<std::string>{"save:"});
    EXPECT_EQ(recorder.calls,
              (std::vector<std::string>{"needsUpdate", "willOpen", "hook", "didClose"}));
    // The menu's top-left corner was where it was asked for, in screen coordinates, and its
    // window is gone.
    EXPECT_EQ(shownFrame.minX(), 150);
    EXPECT_EQ(shownFrame.maxY(), 250);
    EXPECT_FALSE(menu->isTracking());
    EXPECT_EQ(WindowServer::shared().orderedWindows().size(), 1u);
    menu->setDelegate(nullptr);
}

TEST_F(MenuTest, DelegateRebuildsTheMenuBeforeItOpens) {
    Recorder recorder;
    recorder.onUpdate = [&](Menu& m) {
        m.removeAllItems();
        m.addItemWithTitle("Fresh", "open:", "");
    };
    menu->setDelegate(&recorder);
    Menu::setTrackingHook([&](Menu& m) { m.finishTrackingWithItem(m.itemAtIndex(0)); });
    EXPECT_TRUE(menu->popUpMenuPositioningItem(nullptr, {0, 0}, window->contentView()));
    EXPECT_EQ(chain.performed, std::vector<std::string>{"open:"});
    menu->setDelegate(nullptr);
}

TEST_F(MenuTest, DisabledSeparatorAndOutsideDoNotChoose) {
    // A release on a disabled item keeps the menu open; Escape then closes it.
    Menu::setTrackingHook([&](Menu& m) {
        Window* w = m.trackingWindow();
        post(EventType::LeftMouseUp, w, rowCentre(m, nobody.get()));
        WindowServer::shared().postEvent(Event::keyEvent(EventType::KeyDown, "\x1b", 0, w));
    });
    EXPECT_FALSE(menu->popUpMenuPositioningItem(nullptr, {50, 150}, window->contentView()));
    // A test hook cannot pick a disabled item either.
    Menu::setTrackingHook([&](Menu& m) { m.finishTrackingWithItem(nobody.get()); });
    EXPECT_FALSE(menu->popUpMenuPositioningItem(nullptr, {50, 150}, window->contentView()));
    // A click outside every menu window cancels.
    Menu::setTrackingHook([&](Menu&) { post(EventType::LeftMouseDown, window.get(), {5, 5}); });
    EXPECT_FALSE(menu->popUpMenuPositioningItem(nullptr, {50, 150}, window->contentView()));
    EXPECT_TRUE(chain.performed.empty());
}

TEST_F(MenuTest, KeyboardMovesThroughEnabledItems) {
    Menu::setTrackingHook([&](Menu& m) {
        Window* w = m.trackingWindow();
        for (const char* k : {"\xEF\x9C\x81", "\xEF\x9C\x81", "\xEF\x9C\x81", "\xEF\x9C\x80", "\r"})
            WindowServer::shared().postEvent(Event::keyEvent(EventType::KeyDown, k, 0, w));
    });
    // Down, Down, Down (stays on Save: the rest cannot be chosen), Up to Open, Return.
    EXPECT_TRUE(menu->popUpMenuPositioningItem(nullptr, {50, 150}, window->contentView()));
    EXPECT_EQ(chain.performed, std::vector<std::string>{"open:"});
}

TEST_F(MenuTest, SubmenuOpensOnHoverAndItsItemIsChosen) {
    auto sub = std::make_shared<Menu>("Sub");
    auto deep = sub->addItemWithTitle("Deep", "sub:", "");
    auto holder = menu->insertItemWithTitle("More", "", "", 0);
    menu->setSubmenu(sub, holder.get());
    Menu::setTrackingHook([&](Menu& m) {
        Window* w = m.trackingWindow();
        post(EventType::MouseMoved, w, rowCentre(m, holder.get()));
        // The submenu opens to the right with its first row level with the holder's row; an
        // event without a window is in screen coordinates.
        const double row = std::ceil(m.font().defaultLineHeightForFont()) + 4;
        const Point inDeep{w->frame().maxX() + 10, w->frame().maxY() - 4 - row / 2};
        WindowServer::shared().postEvent(
            Event::mouseEvent(EventType::MouseMoved, inDeep, 0, nullptr));
        WindowServer::shared().postEvent(
            Event::mouseEvent(EventType::LeftMouseUp, inDeep, 0, nullptr));
    });
    EXPECT_TRUE(menu->popUpMenuPositioningItem(nullptr, {50, 150}, window->contentView()));
    EXPECT_EQ(chain.performed, std::vector<std::string>{"sub:"});
    EXPECT_EQ(deep->parentItem(), holder.get());
    EXPECT_EQ(sub->trackingWindow(), nullptr);
}

TEST_F(MenuTest, ASubmenusDelegateCanEndTheTrackingAsTheSubmenuOpens) {
    // A submenu that starts a command when pointed at, and closes every menu.
    class Closer : public platform::MenuDelegate {
    public:
        void menuWillOpen(Menu& m) override {
            opened = true;
            m.cancelTracking();
        }
        bool opened = false;
    } closer;
    auto sub = std::make_shared<Menu>("Sub");
    sub->setDelegate(&closer);
    auto holder = menu->insertItemWithTitle("More", "", "", 0);
    menu->setSubmenu(sub, holder.get());
    Menu::setTrackingHook([&](Menu& m) {
        post(EventType::MouseMoved, m.trackingWindow(), rowCentre(m, holder.get()));
        // Would choose Open if the tracking went on.
        post(EventType::LeftMouseUp, m.trackingWindow(), rowCentre(m, open.get()));
    });
    EXPECT_FALSE(menu->popUpMenuPositioningItem(nullptr, {50, 150}, window->contentView()));
    EXPECT_TRUE(closer.opened);
    EXPECT_TRUE(chain.performed.empty());
    EXPECT_FALSE(menu->isTracking());
    EXPECT_EQ(WindowServer::shared().orderedWindows().size(), 1u);
    sub->setDelegate(nullptr);
}

TEST_F(MenuTest, HiddenItemsTakeNoRowAndHideTheirSubmenus) {
    const double full = menu->size().height;
    save->setHidden(true);
    EXPECT_LT(menu->size().height, full);
    auto sub = std::make_shared<Menu>("Sub");
    auto deep = sub->addItemWithTitle("Deep", "sub:", "");
    menu->setSubmenu(sub, save.get());
    EXPECT_TRUE(deep->isHiddenOrHasHiddenAncestor());
    EXPECT_FALSE(open->isHiddenOrHasHiddenAncestor());
}

} // namespace
