#include "app/main_window/FunctionModuleController.h"

#include "app/contacts/ContactListController.h"
#include "app/core/AppController.h"
#include "app/core/Features.h"
#include "app/main_window/BrowserTabViewController.h"
#include "app/main_window/DirectoryTabViewController.h"
#include "app/main_window/FavouritesTabViewController.h"
#include "app/main_window/MainAppWindow.h"
#include "engine/SettingBlock.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/TabViewItem.h"
#include "platform/kit/TextField.h"
#include "support/BrandText.h"
#include "support/Localization.h"
#include "widgets/QXDropDownButton.h"
#include "widgets/QXGradient.h"
#include "widgets/QXPartitionView.h"
#include "widgets/QXTabViewItem.h"

#include <algorithm>

using platform::Rect;

namespace {

std::unique_ptr<FunctionModuleController>& sharedInstance() {
    static std::unique_ptr<FunctionModuleController> controller;
    return controller;
}

// The separator before the tabs' View-menu items goes in once per run.
bool& viewMenuSeparatorAdded() {
    static bool added = false;
    return added;
}

std::string setupKey(std::string_view identifier) {
    return "mainPhone.functionModule." + std::string(identifier) + "Setup";
}

constexpr std::string_view kSelectedTabKey = "mainPhone.functionModule.selectedTab";

std::shared_ptr<SettingBlock> preferences() {
    const auto phone = StartupService::instance().phoneService();
    const auto root = phone ? phone->getPreferenceSettings() : nullptr;
    return root ? root->sub("preferences") : nullptr;
}

std::string stringSetting(std::string_view group, std::string_view key) {
    const auto settings = preferences();
    return settings ? settings->sub(group)->sub(key)->stringSetting() : std::string();
}

bool boolSetting(std::string_view group, std::string_view key) {
    const auto settings = preferences();
    return settings && settings->sub(group)->sub(key)->boolSetting();
}

} // namespace

FunctionModuleController& FunctionModuleController::sharedController() {
    auto& shared = sharedInstance();
    if (!shared)
        shared = std::make_unique<FunctionModuleController>();
    return *shared;
}

void FunctionModuleController::releaseSharedController() {
    sharedInstance().reset();
}

FunctionModuleController::FunctionModuleController() = default;

FunctionModuleController::~FunctionModuleController() {
    cleanup();
}

std::shared_ptr<platform::View> FunctionModuleController::theView() {
    if (!_theView) {
        _theView = std::make_shared<platform::View>(Rect(0, 0, 340, 300));
        _theView->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewHeightSizable);
    }
    return _theView;
}

void FunctionModuleController::setup() {
    ++_setupCount;
    const auto view = theView();
    if (auto* stack = dynamic_cast<QXPartitionView*>(view->superview())) {
        const long index = stack->getModuleIndex(view.get());
        if (index >= 0)
            stack->setModuleConstraints(index, {50, 300}, {10000, 10000});
    }

    const auto phone = StartupService::instance().phoneService();
    if (phone && featureOn("contactsEnabled")) {
        if (_contactList) {
            _contactList->view()->removeFromSuperview();
            _contactList.reset();
        }
        _contactList = std::make_unique<ContactListController>(phone);
    }

    AppController* app = AppController::sharedAppController();
    const platform::Value& config =
        (app ? app->brandDict() : platform::Value::null())["FunctionModule"]["TabViewConfig"];
    if (!_tabView) {
        _tabView = platform::make<QXTabView>(Rect(0, 0, 100, 100));
        if (config["ViewStyle"].isNumber())
            _tabView->setViewStyle(config["ViewStyle"].intValue());
        _tabView->setViewGradient(QXGradient::gradientFromString(config["ViewGradient"].string()));
        if (const std::string* colour = config["ViewBorderColor"].string())
            _tabView->setViewBorderColor(colorWithRGBAfromString(*colour));
        _labelStyle = config["LabelStyle"].intValue();
        _labelHasClose = config["LabelHasClose"].boolValue();
        _labelHasCaption =
            config["LabelHasCaption"].isNull() || config["LabelHasCaption"].boolValue();
        _labelHasImage = config["LabelHasImage"].boolValue();
        _labelActiveGradient =
            QXGradient::gradientFromString(config["LabelActiveGradient"].string());
        _labelInactiveGradient =
            QXGradient::gradientFromString(config["LabelInactiveGradient"].string());
        if (const std::string* colour = config["LabelBorderColor"].string())
            _labelBorderColor = colorWithRGBAfromString(*colour);
        _borderOnInactiveTabs = config["BorderOnInactiveTabs"].boolValue();
        const auto real = [&](const char* key, float fallback) {
            return config[key].isNumber() ? config[key].floatValue() : fallback;
        };
        _tabView->setLabelHeight(real("LabelHeight", _tabView->labelHeight()));
        _tabView->setLabelWidth(real("LabelWidth", _tabView->labelWidth()));
        _tabView->setLabelSpacing(real("LabelSpacing", _tabView->labelSpacing()));
        _tabView->setLabelMinSize(real("LabelMinSize", _tabView->labelMinSize()));
        _tabView->setLabelMaxSize(real("LabelMaxSize", _tabView->labelMaxSize()));
        _labelHeight = _tabView->labelHeight();
        _tabView->setDelegate(this);
        const double margin = config["ViewMargin"].intValue();
        const Rect bounds = view->bounds();
        _tabView->setFrame(
            Rect(margin, margin, bounds.width() - 2 * margin, bounds.height() - 2 * margin));
        _tabView->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewHeightSizable);
        view->addSubview(_tabView);
    }
    if (!_overflowButton) {
        const double side = std::min(16.0, _labelHeight - 10);
        const Rect tabs = _tabView->frame();
        _overflowButton = platform::make<QXDropDownButton>(
            Rect(tabs.maxX() - side - 5, tabs.maxY() - (side + _labelHeight) / 2, side, side));
        _overflowButton->setAutoresizingMask(platform::ViewMinXMargin | platform::ViewMinYMargin);
        _overflowButton->setImage(platform::Image::imageNamed("TabOverflow"));
        _overflowButton->setAlternateImage(platform::Image::imageNamed("TabOverflow2"));
        _overflowButton->setImageScaling(platform::ImageScaling::ProportionallyUpOrDown);
        _overflowButton->setBordered(false);
        _overflowButton->setButtonType(platform::ToggleButton);
        _overflowButton->setup();
        if (_overflowButton->menu())
            _overflowButton->menu()->setDelegate(this);
        _overflowButton->setHidden(true);
        view->addSubview(_overflowButton);
    }
    reload();

    auto& defaults = platform::UserDefaults::standardUserDefaults();
    const std::string saved = defaults.stringForKey(kSelectedTabKey).value_or("");
    if (isTabShowing(saved))
        selectIfShown(saved);
    else if (isTabShowing("contacts"))
        selectIfShown("contacts");
}

void FunctionModuleController::cleanup() {
    auto& defaults = platform::UserDefaults::standardUserDefaults();
    for (const auto& [identifier, record] : _records) {
        platform::Value setup;
        setup.setObject("visible", platform::Value(record.showing));
        setup.setObject("index", platform::Value(static_cast<long long>(record.index)));
        defaults.setObject(setupKey(identifier), std::move(setup));
    }
    if (_tabView && _tabView->selectedTabViewItem() &&
        !_tabView->selectedTabViewItem()->identifier().empty())
        defaults.setString(kSelectedTabKey, _tabView->selectedTabViewItem()->identifier());
    for (const auto& [identifier, record] : _records) {
        if (auto* directory = dynamic_cast<DirectoryTabViewController*>(record.controller.get()))
            directory->cleanup();
        else if (auto* web = dynamic_cast<BrowserTabViewController*>(record.controller.get()))
            web->cleanup();
        else if (auto* favourites =
                     dynamic_cast<FavouritesTabViewController*>(record.controller.get()))
            favourites->cleanup();
    }
    if (_contactList)
        _contactList->cleanup();
    if (_overflowButton) {
        if (_overflowButton->menu())
            _overflowButton->menu()->setDelegate(nullptr);
        _overflowButton->removeFromSuperview();
        _overflowButton.reset();
    }
    if (_tabView) {
        _tabView->setDelegate(nullptr);
        _tabView->removeFromSuperview();
        _tabView.reset();
    }
    _overflowItems.clear();
    _records.clear();
}

void FunctionModuleController::applyLabelSettings(platform::TabViewItem& item,
                                                  const std::string& image) const {
    auto* styled = dynamic_cast<QXTabViewItem*>(&item);
    if (!styled)
        return;
    styled->setLabelStyle(_labelStyle);
    styled->setLabelCanClose(_labelHasClose);
    styled->setLabelHasCaption(_labelHasCaption);
    if (_labelHasImage)
        styled->setLabelImage(platform::Image::imageNamed(image));
    styled->setLabelActiveGradient(_labelActiveGradient);
    styled->setLabelInactiveGradient(_labelInactiveGradient);
    styled->setLabelBorderColor(_labelBorderColor);
    styled->setBorderOnInactiveTabs(_borderOnInactiveTabs);
}

FunctionModuleController::TabRecord*
FunctionModuleController::findRecord(const std::string& identifier) {
    const auto found = _records.find(identifier);
    return found == _records.end() ? nullptr : &found->second;
}

FunctionModuleController::TabRecord&
FunctionModuleController::addRecord(const std::string& identifier, const std::string& label,
                                    const std::string& image, const std::string& charCode,
                                    long defaultIndex, bool defaultShowing,
                                    std::shared_ptr<FunctionTabViewController> controller,
                                    std::shared_ptr<platform::View> content) {
    TabRecord record;
    record.item = platform::make<QXTabViewItem>(identifier);
    applyLabelSettings(*record.item, image);
    record.controller = std::move(controller);
    record.content = content ? std::move(content) : record.controller->view();
    record.item->setView(record.content);
    record.item->setLabel(label);
    record.charCode = charCode;
    const platform::Value& saved =
        platform::UserDefaults::standardUserDefaults().objectForKey(setupKey(identifier));
    if (saved.dictionary()) {
        record.showing = saved["visible"].boolValue();
        record.index = static_cast<long>(saved["index"].integerValue());
    } else {
        record.showing = defaultShowing;
        record.index = defaultIndex;
    }
    return _records.emplace(identifier, std::move(record)).first->second;
}

void FunctionModuleController::reloadTabs() {
    ++_reloadTabsCount;
    reload();
}

void FunctionModuleController::reload() {
    if (!_tabView)
        return;

    // The builders, in their order. Contacts and History exist only with their feature and
    // stay available once made; the others are judged again on every pass.
    if (featureOn("contactsEnabled")) {
        const std::string label = QXLS("msg.tabs.contacts.label", "Contacts");
        TabRecord* contacts = findRecord("contacts");
        if (!contacts)
            contacts = &addRecord("contacts", label, "TabContact", "C", 0, true,
                                  _contactList ? nullptr
                                               : std::make_shared<FunctionTabViewController>(label),
                                  _contactList ? _contactList->view() : nullptr);
        contacts->available = true;
        if (_contactList && contacts->content != _contactList->view()) {
            contacts->controller.reset();
            contacts->content = _contactList->view();
            contacts->item->setView(contacts->content);
        }
    }

    TabRecord* favourites = findRecord("favourites");
    if (!favourites) {
        const std::string label = QXLS("msg.tabs.favourites.label", "Favorites");
        auto controller = std::make_shared<FavouritesTabViewController>(label);
        controller->setup();
        favourites = &addRecord("favourites", label, "TabFavorites", "F", 1, true,
                                std::move(controller), nullptr);
    }
    favourites->available = featureOn("favoritesEnabled");

    if (featureOn("use_local_history_tab")) {
        const std::string label = QXLS("msg.tabs.history.label", "History");
        TabRecord* history = findRecord("history");
        if (!history)
            history = &addRecord("history", label, "TabHistory", "H", 2, true,
                                 std::make_shared<FunctionTabViewController>(label), nullptr);
        history->available = true;
    }

    TabRecord* directory = findRecord("directory");
    if (!directory) {
        const std::string label = QXLS("msg.tabs.directory.label", "Directory");
        auto controller = std::make_shared<DirectoryTabViewController>(label);
        controller->setup();
        directory = &addRecord("directory", label, "TabDirectory", "D", 3, true,
                               std::move(controller), nullptr);
    } else if (auto* shared = DirectoryTabViewController::sharedController()) {
        shared->setupSearchOptions();
    }
    directory->available =
        featureOn("directoryEnabled") &&
        ((featureOn("allow_gab") && featureOn("allow_pab")) || boolSetting("LDAP", "enableLdap") ||
         boolSetting("IPODirectory", "enableIPODirectory"));

    for (int n = 1; n <= 4; ++n) {
        const std::string number = std::to_string(n);
        const std::string identifier = "browser" + number;
        const std::string title = stringSetting("webBrowser", "title" + number);
        TabRecord* web = findRecord(identifier);
        if (!web)
            web = &addRecord(identifier, title, "TabBrowser", number, 4 + n,
                             boolSetting("webBrowser", "default_enable" + number),
                             std::make_shared<BrowserTabViewController>(title), nullptr);
        web->available =
            featureOn("webPanelEnabled") && boolSetting("webBrowser", "enable" + number);
        auto* browser = static_cast<BrowserTabViewController*>(web->controller.get());
        browser->setupWith(stringSetting("webBrowser", "url" + number));
        browser->setTitle(title);
        web->item->setLabel(title);
    }

    // In or out of the tab view, walking the tabs by their wanted position.
    std::vector<std::pair<std::string, TabRecord*>> ordered;
    for (auto& [identifier, record] : _records)
        ordered.emplace_back(identifier, &record);
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) {
        return a.second->index < b.second->index;
    });
    for (auto& [identifier, record] : ordered) {
        const bool inView = _tabView->indexOfTabViewItem(record->item.get()) >= 0;
        if (inView && (!record->showing || !record->available)) {
            _tabView->removeTabViewItem(record->item.get());
        } else if (!inView && record->showing && record->available) {
            const long count = _tabView->numberOfTabViewItems();
            _tabView->insertTabViewItem(record->item, std::clamp(record->index, 0L, count));
        }
    }
    for (auto& [identifier, record] : _records) {
        const long at = _tabView->indexOfTabViewItem(record.item.get());
        if (at >= 0)
            record.index = at;
    }

    if (const auto view = _theView) {
        if (auto* stack = dynamic_cast<QXPartitionView*>(view->superview())) {
            const long index = stack->getModuleIndex(view.get());
            if (index >= 0)
                stack->setModule(index, _tabView->numberOfTabViewItems() > 0);
        }
        if (auto* window = dynamic_cast<MainAppWindow*>(view->window()))
            window->setAllowsZoom();
    }
    _tabView->setNeedsDisplay(true);
}

std::vector<std::string> FunctionModuleController::shownTabs() const {
    std::vector<std::string> shown;
    if (_tabView)
        for (const auto& item : _tabView->tabViewItems())
            shown.push_back(item->identifier());
    return shown;
}

void FunctionModuleController::selectIfShown(std::string_view identifier) {
    const auto found = _records.find(std::string(identifier));
    if (!_tabView || found == _records.end())
        return;
    if (_tabView->indexOfTabViewItem(found->second.item.get()) >= 0)
        _tabView->selectTabViewItem(found->second.item.get());
}

void FunctionModuleController::displayTab(std::string_view identifier, bool show) {
    const auto found = _records.find(std::string(identifier));
    if (found == _records.end())
        return;
    found->second.showing = show;
    reload();
    selectIfShown(identifier);
}

bool FunctionModuleController::isTabShowing(std::string_view identifier) const {
    const auto found = _records.find(std::string(identifier));
    return found != _records.end() && found->second.showing;
}

platform::Menu& FunctionModuleController::appendMenu(platform::Menu& menu) {
    std::vector<std::string> identifiers;
    for (const auto& [identifier, record] : _records)
        identifiers.push_back(identifier);
    std::sort(identifiers.begin(), identifiers.end());
    for (const auto& identifier : identifiers) {
        const TabRecord& record = _records.at(identifier);
        const auto items = menu.itemArray();
        for (const auto& item : items) {
            const std::string* named = item->representedObject().string();
            if (named && platform::equalsIgnoringCase(*named, identifier))
                menu.removeItem(item.get());
        }
        if (!record.available)
            continue;
        if (!viewMenuSeparatorAdded()) {
            menu.addItem(platform::MenuItem::separatorItem());
            viewMenuSeparatorAdded() = true;
        }
        const std::string title = record.showing ? QXLS("msg.menuitem.view.hide", "Hide %@")
                                                 : QXLS("msg.menuitem.view.show", "Show %@");
        auto item = menu.addItemWithTitle(platform::formatString(title, record.item->label()),
                                          "menuAction:", record.charCode);
        item->setTarget(this);
        item->setRepresentedObject(platform::Value(identifier));
    }
    return menu;
}

void FunctionModuleController::menuAction(platform::MenuItem& item) {
    const std::string* identifier = item.representedObject().string();
    if (!identifier)
        return;
    const auto found = _records.find(*identifier);
    if (found == _records.end())
        return;
    found->second.showing = !found->second.showing;
    reload();
    selectIfShown(*identifier);
}

bool FunctionModuleController::respondsToAction(std::string_view action) const {
    return action == "menuAction:" || action == "contextOverflowItemSelected:";
}

bool FunctionModuleController::tryToPerform(std::string_view action, platform::Object* sender) {
    auto* item = dynamic_cast<platform::MenuItem*>(sender);
    if (action == "menuAction:") {
        if (item)
            menuAction(*item);
        return true;
    }
    if (action == "contextOverflowItemSelected:") {
        if (item && _tabView)
            if (const std::string* identifier = item->representedObject().string())
                selectIfShown(*identifier);
        return true;
    }
    return false;
}

FunctionModuleController::TabRecord*
FunctionModuleController::recordOf(const platform::TabViewItem* item) {
    for (auto& [identifier, record] : _records)
        if (record.item.get() == item)
            return &record;
    return nullptr;
}

bool FunctionModuleController::tabViewCanCloseItem(QXTabView& /*tabView*/,
                                                   platform::TabViewItem* /*item*/) {
    return true;
}

void FunctionModuleController::tabViewItemRemoved(QXTabView& tabView, platform::TabViewItem* item) {
    if (TabRecord* record = recordOf(item))
        record->showing = false;
    if (tabView.numberOfTabViewItems() == 0 && _theView) {
        if (auto* stack = dynamic_cast<QXPartitionView*>(_theView->superview())) {
            const long index = stack->getModuleIndex(_theView.get());
            if (index >= 0)
                stack->setModule(index, false);
        }
    }
}

void FunctionModuleController::tabViewItemWillMoveFrom(QXTabView& /*tabView*/,
                                                       platform::TabViewItem* item,
                                                       platform::TabViewItem* target) {
    for (TabRecord* record : {recordOf(item), recordOf(target)})
        if (auto* web = record ? dynamic_cast<BrowserTabViewController*>(record->controller.get())
                               : nullptr)
            web->tabViewWillMove();
}

void FunctionModuleController::tabViewItemMovedFrom(QXTabView& /*tabView*/,
                                                    platform::TabViewItem* item,
                                                    platform::TabViewItem* target) {
    TabRecord* moved = recordOf(item);
    TabRecord* other = recordOf(target);
    for (TabRecord* record : {moved, other})
        if (auto* web = record ? dynamic_cast<BrowserTabViewController*>(record->controller.get())
                               : nullptr)
            web->tabViewMoved();
    if (moved && other)
        std::swap(moved->index, other->index);
}

void FunctionModuleController::tabViewOverflowItems(
    QXTabView& /*tabView*/, const std::vector<std::shared_ptr<platform::TabViewItem>>& items) {
    _overflowItems = items;
    if (_overflowButton)
        _overflowButton->setHidden(items.empty());
}

void FunctionModuleController::menuNeedsUpdate(platform::Menu& menu) {
    if (!_overflowButton || &menu != _overflowButton->menu().get())
        return;
    menu.removeAllItems();
    menu.addItemWithTitle("", "", "");
    for (const auto& overflowing : _overflowItems) {
        auto item = menu.addItemWithTitle(overflowing->label(), "contextOverflowItemSelected:", "");
        item->setTarget(this);
        item->setRepresentedObject(platform::Value(overflowing->identifier()));
        if (_tabView && _tabView->selectedTabViewItem() == overflowing.get())
            item->setState(platform::OnState);
    }
}
