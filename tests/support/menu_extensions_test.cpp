#include "platform/foundation/Bundle.h"
#include "platform/foundation/TestSupport.h"
#include "platform/graphics/Image.h"
#include "platform/kit/KitTestSupport.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/Responder.h"
#include "support/MenuExtensions.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace ext = OrvantaExtensions;
using platform::Menu;
using platform::MenuItem;
using platform::Value;

class Target : public platform::ActionTarget {};

struct Recorder : platform::MenuDelegate {
    std::vector<std::string> heard;
    void menuWillOpen(Menu&) override { heard.push_back("open"); }
    void menuDidClose(Menu&) override { heard.push_back("close"); }
};

class MenuExtensionsTest : public kittest::KitTest {};

TEST_F(MenuExtensionsTest, AddItemsWithTargetTagAndObject) {
    Menu menu;
    Target target;
    auto plain = ext::addItemWithTitle(menu, "Call", &target, "call:", "d");
    auto tagged = ext::addItemWithTitle(menu, "Busy", &target, "presenceChanged:", "", 1);
    auto carrying = ext::addItemWithTitle(menu, "Alice", nullptr, "chat:", "", Value("alice@x"));
    ASSERT_EQ(menu.numberOfItems(), 3);
    EXPECT_EQ(menu.itemAtIndex(0), plain.get());
    EXPECT_EQ(menu.itemAtIndex(2), carrying.get());
    EXPECT_EQ(plain->title(), "Call");
    EXPECT_EQ(plain->action(), "call:");
    EXPECT_EQ(plain->keyEquivalent(), "d");
    EXPECT_EQ(plain->target(), &target);
    EXPECT_EQ(tagged->tag(), 1);
    EXPECT_EQ(tagged->target(), &target);
    EXPECT_EQ(carrying->representedObject(), Value("alice@x"));
    EXPECT_EQ(carrying->target(), nullptr);
}

TEST_F(MenuExtensionsTest, RemoveAllItemsLetsGoOfWhatTheyCarried) {
    Menu empty;
    ext::removeAllItems(empty);
    EXPECT_EQ(empty.numberOfItems(), 0);

    Menu menu;
    auto contact = std::make_shared<platform::Object>();
    std::weak_ptr<platform::Object> watch = contact;
    auto first = ext::addItemWithTitle(menu, "Alice", nullptr, "chat:", "",
                                       Value(std::shared_ptr<platform::Object>(contact)));
    ext::addItemWithTitle(menu, "Bob", nullptr, "chat:", "", Value("bob"));
    menu.addItem(MenuItem::separatorItem());
    contact.reset();
    ext::removeAllItems(menu);
    EXPECT_EQ(menu.numberOfItems(), 0);
    // The item is still held here, yet its represented contact is gone.
    EXPECT_TRUE(first->representedObject().isNull());
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(first->menu(), nullptr);
}

TEST_F(MenuExtensionsTest, StatesAndFirstEnabledItem) {
    Menu menu;
    EXPECT_EQ(ext::firstEnabledMenuItem(menu), nullptr);
    auto a = ext::addItemWithTitle(menu, "A", nullptr, "", "");
    auto b = ext::addItemWithTitle(menu, "B", nullptr, "", "");
    auto c = ext::addItemWithTitle(menu, "C", nullptr, "", "");
    a->setEnabled(false);
    EXPECT_EQ(ext::firstEnabledMenuItem(menu), b.get());
    b->setEnabled(false);
    c->setEnabled(false);
    EXPECT_EQ(ext::firstEnabledMenuItem(menu), nullptr);

    b->setState(platform::OnState);
    ext::setAllMenuItemsToState(menu, platform::MixedState);
    for (const auto& item : menu.itemArray())
        EXPECT_EQ(item->state(), platform::MixedState);
}

TEST_F(MenuExtensionsTest, AbruptCloseEndsTrackingWithoutTellingTheDelegate) {
    auto menu = std::make_shared<Menu>();
    ext::addItemWithTitle(*menu, "Hold", nullptr, "hold:", "");
    Recorder recorder;
    menu->setDelegate(&recorder);
    bool wasTracking = false;
    Menu::setTrackingHook([&](Menu& m) {
        wasTracking = m.isTracking();
        ext::abruptClose(m);
    });
    EXPECT_EQ(menu->trackAt({200, 600}), nullptr);
    Menu::setTrackingHook({});
    EXPECT_TRUE(wasTracking);
    EXPECT_FALSE(menu->isTracking());
    EXPECT_EQ(menu->delegate(), nullptr);
    EXPECT_EQ(recorder.heard, std::vector<std::string>{"open"});
    // On a closed menu it only forgets the delegate.
    menu->setDelegate(&recorder);
    ext::abruptClose(*menu);
    EXPECT_EQ(menu->delegate(), nullptr);
}

TEST_F(MenuExtensionsTest, ItemInitialisers) {
    Target target;
    auto untitled = ext::initWithTitle(std::nullopt, &target, "open:", "o");
    EXPECT_EQ(untitled->title(), "");
    EXPECT_EQ(untitled->target(), &target);
    EXPECT_EQ(untitled->action(), "open:");
    EXPECT_EQ(untitled->keyEquivalent(), "o");
    EXPECT_EQ(untitled->menu(), nullptr);

    auto carrying = ext::initWithTitle("Zoë", &target, "chat:", "", Value(7));
    EXPECT_EQ(carrying->title(), "Zoë");
    EXPECT_EQ(carrying->representedObject(), Value(7));

    auto masked = ext::initWithTitle("Quit", nullptr, "terminate:", "q",
                                     platform::CommandKeyMask | platform::AlternateKeyMask);
    EXPECT_EQ(masked->keyEquivalentModifierMask(),
              platform::CommandKeyMask | platform::AlternateKeyMask);
}

TEST_F(MenuExtensionsTest, TitleCompareSortsWithoutRegardToCase) {
    std::vector<std::shared_ptr<MenuItem>> items;
    for (const char* title : {"bob", "Alice", "alice b", "Zoe", "", "BOB"})
        items.push_back(ext::initWithTitle(title, nullptr, "", ""));
    std::stable_sort(items.begin(), items.end(),
                     [](const auto& a, const auto& b) { return ext::titleCompare(*a, *b) < 0; });
    std::vector<std::string> titles;
    for (const auto& item : items)
        titles.push_back(item->title());
    EXPECT_EQ(titles, (std::vector<std::string>{"", "Alice", "alice b", "bob", "BOB", "Zoe"}));
    EXPECT_EQ(ext::titleCompare(*items[3], *items[4]), 0);
    EXPECT_GT(ext::titleCompare(*items[5], *items[1]), 0);
}

TEST_F(MenuExtensionsTest, ImageByExactResourceName) {
    foundation_test::TempDir bundle;
    std::filesystem::create_directories(bundle / "images");
    platform::Image icon(platform::Size{8, 6});
    ASSERT_TRUE(icon.writePNG(bundle / "images" / "dot.png"));
    platform::Bundle::setMainBundlePath(bundle.path());
    MenuItem item;
    ext::setImageWithName(item, "dot.png");
    ASSERT_NE(item.image(), nullptr);
    EXPECT_EQ(item.image()->size(), (platform::Size{8, 6}));
    item.setImage(nullptr);
    ext::setImageWithName(item, "dot");
    EXPECT_NE(item.image(), nullptr);
    ext::setImageWithName(item, "missing");
    EXPECT_EQ(item.image(), nullptr);
    platform::Bundle::setMainBundlePath(LUMIQ_RESOURCES_DIR);
}

} // namespace
