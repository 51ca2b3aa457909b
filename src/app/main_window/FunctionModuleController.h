#pragma once

#include "platform/foundation/Object.h"
#include "platform/graphics/Color.h"
#include "platform/kit/Menu.h"
#include "platform/kit/Responder.h"
#include "platform/kit/View.h"
#include "widgets/QXTabView.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class ContactListController;
class FunctionTabViewController;
class QXDropDownButton;
class QXGradient;
namespace platform {
class MenuItem;
class TabViewItem;
} // namespace platform

// The main window's function-tab module: Contacts, Favourites, History, Directory and four
// web tabs under the call-entry module. Which tabs exist follows the engine's feature switches
// and settings; which of them the user shows, and in what order, is kept in the user defaults
// ("mainPhone.functionModule.<tab>Setup", and the selected tab). The user reorders tabs by
// dragging their labels, hides one by closing it or through the View menu, and reaches tabs
// that do not fit through the overflow button. Tabs whose contents come with later work show a
// plain "not available yet" view.
class FunctionModuleController : public platform::Object,
                                 public platform::ActionTarget,
                                 public platform::MenuDelegate,
                                 public QXTabViewDelegate {
public:
    // One tab's record.
    struct TabRecord {
        std::shared_ptr<platform::TabViewItem> item;
        // The view shown as the tab's content.
        std::shared_ptr<platform::View> content;
        // The content's controller, for the tabs that have one (not Contacts).
        std::shared_ptr<FunctionTabViewController> controller;
        // Wanted position among the shown tabs.
        long index = 255;
        // The user wants the tab shown.
        bool showing = false;
        // Features and settings allow the tab.
        bool available = false;
        // Key equivalent of the tab's View-menu item.
        std::string charCode;
    };

    // Made on first use.
    static FunctionModuleController& sharedController();
    static void releaseSharedController();

    FunctionModuleController();
    ~FunctionModuleController() override;

    // The module's view, made on first use; its height is the module's starting height.
    std::shared_ptr<platform::View> theView();

    // Once the engine has started: the module's limits, the tab view styled from the brand's
    // "FunctionModule"/"TabViewConfig", the overflow button, the tabs, and the tab selected
    // last time (else Contacts). The contact list is made for the engine's phone service.
    void setup();
    // At shutdown: every tab's setup and the selected tab are saved, the contact list saves
    // its settings and leaves the engine, and the tabs are taken down.
    void cleanup();
    ContactListController* contactList() const { return _contactList.get(); }
    int setupCount() const { return _setupCount; }

    // Derives the tab set again from the features, the settings and the user's choice (asked
    // by the rest of the program, counted).
    void reloadTabs();
    int reloadTabsCount() const { return _reloadTabsCount; }
    // Shows or hides a tab and selects it when it is then in the tab view; an unknown
    // identifier does nothing.
    void displayTab(std::string_view identifier, bool show);
    bool isTabShowing(std::string_view identifier) const;
    // Appends the View menu's show and hide items of the tabs; answers the menu.
    platform::Menu& appendMenu(platform::Menu& menu);
    // A View-menu item: toggles the tab it names.
    void menuAction(platform::MenuItem& item);

    QXTabView* tabView() const { return _tabView.get(); }
    QXDropDownButton* overflowButton() const { return _overflowButton.get(); }
    const std::map<std::string, TabRecord>& records() const { return _records; }
    // The identifiers of the tabs in the tab view, in order.
    std::vector<std::string> shownTabs() const;

    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

    // Tab view delegate.
    bool tabViewCanCloseItem(QXTabView& tabView, platform::TabViewItem* item) override;
    void tabViewItemRemoved(QXTabView& tabView, platform::TabViewItem* item) override;
    void tabViewItemWillMoveFrom(QXTabView& tabView, platform::TabViewItem* item,
                                 platform::TabViewItem* target) override;
    void tabViewItemMovedFrom(QXTabView& tabView, platform::TabViewItem* item,
                              platform::TabViewItem* target) override;
    void
    tabViewOverflowItems(QXTabView& tabView,
                         const std::vector<std::shared_ptr<platform::TabViewItem>>& items) override;
    // The overflow menu: one item per tab that does not fit, the selected one checked.
    void menuNeedsUpdate(platform::Menu& menu) override;

private:
    void reload();
    TabRecord* findRecord(const std::string& identifier);
    // A new tab's record: its item styled and labelled, showing and index as saved, else the
    // defaults given.
    TabRecord& addRecord(const std::string& identifier, const std::string& label,
                         const std::string& image, const std::string& charCode, long defaultIndex,
                         bool defaultShowing, std::shared_ptr<FunctionTabViewController> controller,
                         std::shared_ptr<platform::View> content);
    void applyLabelSettings(platform::TabViewItem& item, const std::string& image) const;
    TabRecord* recordOf(const platform::TabViewItem* item);
    void selectIfShown(std::string_view identifier);

    std::shared_ptr<platform::View> _theView;
    std::shared_ptr<QXTabView> _tabView;
    std::shared_ptr<QXDropDownButton> _overflowButton;
    std::vector<std::shared_ptr<platform::TabViewItem>> _overflowItems;
    std::map<std::string, TabRecord> _records;
    std::unique_ptr<ContactListController> _contactList;
    double _labelHeight = 20;
    // Label settings of the brand, applied to every tab.
    int _labelStyle = 0;
    bool _labelHasClose = false;
    bool _labelHasCaption = true;
    bool _labelHasImage = false;
    bool _borderOnInactiveTabs = false;
    std::shared_ptr<QXGradient> _labelActiveGradient;
    std::shared_ptr<QXGradient> _labelInactiveGradient;
    std::optional<platform::Color> _labelBorderColor;
    int _reloadTabsCount = 0;
    int _setupCount = 0;
};
