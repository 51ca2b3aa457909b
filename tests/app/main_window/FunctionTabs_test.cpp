#include "app/contacts/ContactListController.h"
#include "app/core/SignInTestSupport.h"
#include "app/main_window/BrowserTabViewController.h"
#include "app/main_window/DirectoryTabViewController.h"
#include "app/main_window/FunctionModuleController.h"
#include "engine/SettingBlock.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Application.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "widgets/QXDropDownButton.h"
#include "widgets/QXPartitionView.h"

using namespace app_test;

namespace {

using Tabs = std::vector<std::string>;

// Signed in with the product's features: Contacts, Favourites, History, Directory (through
// LDAP) and the first web tab are on.
class FunctionTabsTest : public SignInTest {
protected:
    static FunctionModuleController& module() {
        return FunctionModuleController::sharedController();
    }
    static Tabs shown() { return module().shownTabs(); }
    static std::string selected() {
        const auto* item = module().tabView()->selectedTabViewItem();
        return item ? item->identifier() : std::string();
    }
    static std::shared_ptr<SettingBlock> preferences() {
        return engine().phoneService()->getPreferenceSettings()->sub("preferences");
    }
    // The View menu's items of the tabs, as the application controller asks for them.
    static std::vector<std::string> viewMenuTitles(platform::Menu& menu) {
        module().appendMenu(menu);
        std::vector<std::string> titles;
        for (const auto& item : menu.itemArray())
            if (item->representedObject().string())
                titles.push_back(item->title() + " " + item->keyEquivalent());
        return titles;
    }
    static platform::MenuItem* viewItemFor(platform::Menu& menu, std::string_view identifier) {
        for (const auto& item : menu.itemArray())
            if (const std::string* named = item->representedObject().string();
                named && *named == identifier)
                return item.get();
        return nullptr;
    }
    static bool moduleVisible() {
        auto view = module().theView();
        auto* stack = dynamic_cast<QXPartitionView*>(view->superview());
        return stack && stack->moduleVisible(stack->getModuleIndex(view.get()));
    }
    // The module goes as at a quit (its clean-up saves the tabs' setup to the user defaults,
    // written to their file) and a new one is set up from what was saved.
    void restart() {
        FunctionModuleController::sharedController().cleanup();
        FunctionModuleController::releaseSharedController();
        platform::UserDefaults::standardUserDefaults().synchronize();
        FunctionModuleController::sharedController().setup();
    }
};

// Nothing saved yet: the window opens tall enough for the tabs to show a page of the list,
// not the one row that the other modules' heights alone would leave.
TEST_F(FunctionTabsTest, OnAFirstStartTheTabsGetRoomForTheList) {
    signInToMainView();
    EXPECT_GE(module().theView()->frame().height(), 300);
    EXPECT_GE(window().contentRectForFrameRect(window().frame()).height(), 300);
}

TEST_F(FunctionTabsTest, TheTabsThatExistFollowFeaturesAndSettings) {
    struct Case {
        const char* what;
        std::vector<std::pair<const char*, bool>> features;
        std::vector<std::pair<const char*, bool>> settings; // group/key
        Tabs tabs;
    };
    const Case cases[] = {
        {"the product's", {}, {}, {"contacts", "favourites", "history", "directory", "browser1"}},
        {"no favourites, no web panel",
         {{"favoritesEnabled", false}, {"webPanelEnabled", false}},
         {},
         {"contacts", "history", "directory"}},
        {"a directory needs a source",
         {},
         {{"LDAP/enableLdap", false}},
         {"contacts", "favourites", "history", "browser1"}},
        {"the personal and global address books are a source",
         {{"allow_gab", true}, {"allow_pab", true}},
         {{"LDAP/enableLdap", false}},
         {"contacts", "favourites", "history", "directory", "browser1"}},
        {"a web tab the settings allow waits for the user to show it",
         {},
         {{"webBrowser/enable3", true}},
         {"contacts", "favourites", "history", "directory", "browser1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        startClean();
        launch();
        for (const auto& [name, on] : c.features)
            engine().featuresService()->setFeatureAvailable(name, on);
        signIn("alice", "wonderland");
        letTheEngineAnswer();
        ASSERT_EQ(view(), "mainView");
        for (const auto& [path, on] : c.settings) {
            const std::string text(path);
            const auto slash = text.find('/');
            preferences()
                ->sub(text.substr(0, slash))
                ->sub(text.substr(slash + 1))
                ->setBoolSetting(on, true);
        }
        module().reloadTabs();
        EXPECT_EQ(shown(), c.tabs);
        EXPECT_EQ(selected(), "contacts");
    }
}

TEST_F(FunctionTabsTest, TabOrderVisibilityAndSelectionSurviveARestart) {
    startClean();
    signInToMainView();
    ASSERT_EQ(shown(), (Tabs{"contacts", "favourites", "history", "directory", "browser1"}));

    // History dragged to the front, Favourites closed, Directory selected.
    module().tabView()->moveViewItem(module().tabView()->tabViewItemAtIndex(2), 0);
    EXPECT_EQ(shown(), (Tabs{"history", "contacts", "favourites", "directory", "browser1"}));
    module().tabView()->closeTabViewItem(module().tabView()->tabViewItemAtIndex(2));
    EXPECT_FALSE(module().isTabShowing("favourites"));
    module().displayTab("directory", true);
    EXPECT_EQ(selected(), "directory");

    restart();
    EXPECT_EQ(shown(), (Tabs{"history", "contacts", "directory", "browser1"}));
    EXPECT_EQ(selected(), "directory");
    EXPECT_FALSE(module().isTabShowing("favourites"));

    // The View menu brings Favourites back at its old place.
    platform::Menu menu("View");
    EXPECT_EQ(viewMenuTitles(menu),
              (std::vector<std::string>{"Hide Portal 1", "Hide Contacts C", "Hide Directory D",
                                        "Show Favorites F", "Hide History H"}));
    // The drag swapped the saved places of History and Contacts only, so Favourites comes
    // back second.
    module().menuAction(*viewItemFor(menu, "favourites"));
    EXPECT_EQ(selected(), "favourites");
    EXPECT_EQ(shown(), (Tabs{"history", "favourites", "contacts", "directory", "browser1"}));
    // Asking again replaces the items instead of adding more.
    EXPECT_EQ(viewMenuTitles(menu).size(), 5u);
}

TEST_F(FunctionTabsTest, SavedPlacesOutOfRangeAndAHiddenSelectionFallBack) {
    auto& defaults = platform::UserDefaults::standardUserDefaults();
    const auto place = [&](const char* tab, bool visible, long long index) {
        platform::Value setup;
        setup.setObject("visible", platform::Value(visible));
        setup.setObject("index", platform::Value(index));
        defaults.setObject(std::string("mainPhone.functionModule.") + tab + "Setup", setup);
    };
    startClean();
    place("history", true, -3);
    place("favourites", true, 40);
    place("contacts", true, 1);
    place("browser1", false, 4);
    defaults.setString("mainPhone.functionModule.selectedTab", "browser1");
    signInToMainView();
    EXPECT_EQ(shown(), (Tabs{"history", "contacts", "directory", "favourites"}));
    EXPECT_EQ(selected(), "contacts") << "a hidden saved tab falls back to Contacts";
}

TEST_F(FunctionTabsTest, ClosingTheLastTabHidesTheModuleAndTheViewMenuBringsItBack) {
    startClean();
    signInToMainView();
    ASSERT_TRUE(moduleVisible());
    while (module().tabView()->numberOfTabViewItems() > 0)
        module().tabView()->closeTabViewItem(module().tabView()->tabViewItemAtIndex(0));
    EXPECT_FALSE(moduleVisible());
    platform::Menu menu("View");
    module().appendMenu(menu);
    module().menuAction(*viewItemFor(menu, "history"));
    EXPECT_TRUE(moduleVisible());
    EXPECT_EQ(shown(), Tabs{"history"});
    EXPECT_EQ(selected(), "history");
}

TEST_F(FunctionTabsTest, TabsThatDoNotFitGoToTheOverflowMenu) {
    startClean();
    signInToMainView();
    // A narrow window leaves room for two or three labels only.
    platform::Window& w = *module().theView()->window();
    w.setContentSize({260, w.contentView()->frame().height()});
    w.display();
    settle();
    QXDropDownButton* overflow = module().overflowButton();
    ASSERT_NE(overflow, nullptr);
    EXPECT_FALSE(overflow->isHidden());
    platform::Menu& menu = *overflow->menu();
    module().menuNeedsUpdate(menu);
    ASSERT_GE(menu.numberOfItems(), 2);
    EXPECT_EQ(menu.itemArray().front()->title(), "");
    std::vector<std::string> titles;
    platform::MenuItem* portal = nullptr;
    for (const auto& item : menu.itemArray()) {
        titles.push_back(item->title());
        if (item->title() == "Portal")
            portal = item.get();
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"", "Portal", "Directory"}))
        << "the pull-down title, then the tabs that do not fit, farthest first";
    ASSERT_NE(portal, nullptr);
    module().tryToPerform("contextOverflowItemSelected:", portal);
    EXPECT_EQ(selected(), "browser1");
}

TEST_F(FunctionTabsTest, TabContentsFollowTheSettingsOnEveryPass) {
    startClean();
    signInToMainView();
    const auto& records = module().records();
    // Contacts shows the contact list; the others say they are not available yet.
    EXPECT_EQ(records.at("contacts").controller, nullptr);
    EXPECT_EQ(records.at("contacts").content, module().contactList()->view());
    for (const auto& [tab, notice] : std::vector<std::pair<std::string, std::string>>{
             {"favourites", "Favorites is not available yet."},
             {"history", "History is not available yet."},
             {"directory", "Directory is not available yet."},
             {"browser1", "Portal is not available yet."}}) {
        ASSERT_NE(records.at(tab).controller, nullptr) << tab;
        EXPECT_EQ(records.at(tab).controller->notice(), notice);
        EXPECT_EQ(records.at(tab).content, records.at(tab).controller->view()) << tab;
    }

    auto* web = dynamic_cast<BrowserTabViewController*>(records.at("browser1").controller.get());
    ASSERT_NE(web, nullptr);
    EXPECT_EQ(web->url(), "https://portal.lumiq.example/");
    auto* directory = DirectoryTabViewController::sharedController();
    ASSERT_NE(directory, nullptr);
    EXPECT_EQ(directory, records.at("directory").controller.get());
    EXPECT_EQ(directory->searchOptions(), std::vector<std::string>{"ldap"});

    // The preferences change: the web tab is renamed and moved, the IP Office directory comes.
    const auto browser = preferences()->sub("webBrowser");
    browser->sub("title1")->setStringSetting("Intranet", true);
    browser->sub("url1")->setStringSetting("https://intranet.lumiq.example/", true);
    preferences()->sub("IPODirectory")->sub("enableIPODirectory")->setBoolSetting(true, true);
    module().reloadTabs();
    EXPECT_EQ(records.at("browser1").item->label(), "Intranet");
    EXPECT_EQ(web->title(), "Intranet");
    EXPECT_EQ(web->notice(), "Intranet is not available yet.");
    EXPECT_EQ(web->url(), "https://intranet.lumiq.example/");
    EXPECT_EQ(directory->searchOptions(), (std::vector<std::string>{"ldap", "ipoDirectory"}));
}

} // namespace
