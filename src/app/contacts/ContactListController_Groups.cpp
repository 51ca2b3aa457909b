// The contact list: its menus, new groups and renaming them in place, the group-chat
// invitation and adding a contact.
#include "app/contacts/ContactEditorController.h"
#include "app/contacts/ContactImportWindowController.h"
#include "app/contacts/ContactListController.h"
#include "app/contacts/ContactOperations.h"
#include "app/contacts/ContactWithGroup.h"
#include "app/core/AppController.h"
#include "app/core/SheetsTracker.h"
#include "app/main_window/MainAppWindow.h"
#include "engine/FeaturesService.h"
#include "engine/OVConnectService.h"
#include "engine/OVIMService.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Application.h"
#include "platform/kit/Button.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/Panel.h"
#include "platform/kit/TextField.h"
#include "support/AlertExtensions.h"
#include "support/Localization.h"
#include "support/MenuExtensions.h"
#include "support/Notifications.h"

#include <algorithm>

namespace {

bool feature(std::string_view name) {
    const auto features = StartupService::instance().featuresService();
    return features && features->featureAvailable(name);
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string replacedFirst(std::string text, std::string_view placeholder, std::string_view with) {
    if (const auto at = text.find(placeholder); at != std::string::npos) {
        text.replace(at, placeholder.size(), with);
    }
    return text;
}

std::string joined(const std::vector<std::string>& parts, std::string_view separator) {
    std::string out;
    for (const auto& part : parts) {
        if (!out.empty()) {
            out += separator;
        }
        out += part;
    }
    return out;
}

platform::Window* mainWindow() {
    AppController* app = AppController::sharedAppController();
    return app ? app->mainWindow() : nullptr;
}

constexpr std::string_view kListActions[] = {"contextNewGroup:",
                                             "addContact:",
                                             "contextFindFriends:",
                                             "contextImportContacts:",
                                             "contextExportContacts:",
                                             "contextFilterShowOffline:",
                                             "contextFilterShowGroups:",
                                             "contextFilterShowMinimum:",
                                             "contextFilterShowExpanded:",
                                             "contextFilterSortByName:",
                                             "contextFilterSortyByStatus:",
                                             "contextCollapseGroups:",
                                             "contextExpandGroups:",
                                             "newGroupOK:",
                                             "newGroupCancel:",
                                             "chatInvitationOK:",
                                             "chatInvitationCancel:",
                                             "contextGroupChat:"};

} // namespace

void ContactListController::buildSheets() {
    ContactImportWindowController::install();
    _contextMenu = std::make_shared<platform::Menu>("");
    _contextMenu->setDelegate(this);
    _contactOutlineView->setMenu(_contextMenu);

    {
        constexpr double width = 320, height = 120;
        _newGroupPanel = platform::make<platform::Panel>(platform::Rect{0, 0, width, height},
                                                         platform::TitledWindowMask);
        _newGroupPanel->setReleasedWhenClosed(false);
        auto content = std::make_shared<platform::View>(platform::Rect{0, 0, width, height});
        _newGroupTextField =
            std::make_shared<platform::TextField>(platform::Rect{20, 78, width - 40, 22});
        _newGroupWarningTextField =
            platform::TextField::labelWithString({}, platform::Rect{20, 48, width - 40, 20});
        _newGroupWarningTextField->setTextColor(platform::Color::redColor());
        _newGroupOKButton =
            std::make_shared<platform::Button>(platform::Rect{width - 100, 12, 80, 26});
        _newGroupOKButton->setTitle(QXLS("msg.opt.dialog.button.ok", "OK"));
        _newGroupOKButton->setKeyEquivalent("\r");
        _newGroupOKButton->setAction("newGroupOK:");
        _newGroupOKButton->setTarget(this);
        _newGroupCancelButton =
            std::make_shared<platform::Button>(platform::Rect{width - 190, 12, 80, 26});
        _newGroupCancelButton->setTitle(QXLS("msg.opt.dialog.button.cancel", "Cancel"));
        _newGroupCancelButton->setKeyEquivalent("\x1b");
        _newGroupCancelButton->setAction("newGroupCancel:");
        _newGroupCancelButton->setTarget(this);
        for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
                 _newGroupTextField, _newGroupWarningTextField, _newGroupOKButton,
                 _newGroupCancelButton}) {
            content->addSubview(view);
        }
        _newGroupPanel->setContentView(content);
    }
    {
        constexpr double width = 380, height = 170;
        _chatInvitationSheet = platform::make<platform::Panel>(platform::Rect{0, 0, width, height},
                                                               platform::TitledWindowMask);
        _chatInvitationSheet->setReleasedWhenClosed(false);
        auto content = std::make_shared<platform::View>(platform::Rect{0, 0, width, height});
        _chatInvitationCaptionTextField =
            platform::TextField::labelWithString({}, platform::Rect{20, 108, width - 40, 44});
        _chatInvitationTextField =
            std::make_shared<platform::TextField>(platform::Rect{20, 50, width - 40, 50});
        _chatInvitationOKButton =
            std::make_shared<platform::Button>(platform::Rect{width - 100, 12, 80, 26});
        _chatInvitationOKButton->setTitle(QXLS("msg.opt.dialog.button.ok", "OK"));
        _chatInvitationOKButton->setKeyEquivalent("\r");
        _chatInvitationOKButton->setAction("chatInvitationOK:");
        _chatInvitationOKButton->setTarget(this);
        _chatInvitationCancelButton =
            std::make_shared<platform::Button>(platform::Rect{width - 190, 12, 80, 26});
        _chatInvitationCancelButton->setTitle(QXLS("msg.opt.dialog.button.cancel", "Cancel"));
        _chatInvitationCancelButton->setKeyEquivalent("\x1b");
        _chatInvitationCancelButton->setAction("chatInvitationCancel:");
        _chatInvitationCancelButton->setTarget(this);
        for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
                 _chatInvitationCaptionTextField, _chatInvitationTextField, _chatInvitationOKButton,
                 _chatInvitationCancelButton}) {
            content->addSubview(view);
        }
        _chatInvitationSheet->setContentView(content);
    }

    auto& center = platform::NotificationCenter::defaultCenter();
    center.addObserver(this, platform::ControlTextDidChangeNotification, _newGroupTextField.get(),
                       [this](const platform::Notification&) { textChanged(); });
    center.addObserver(this, ContextMenuUpdateContactList, nullptr,
                       [this](const platform::Notification& notification) {
                           if (auto menu = std::dynamic_pointer_cast<platform::Menu>(
                                   notification.userInfo[ContextMenu].object())) {
                               remoteMenuNeedsUpdate(*menu);
                           }
                       });
    center.addObserver(this, MenuUpdateContactList, nullptr,
                       [this](const platform::Notification& notification) {
                           if (auto menu = std::dynamic_pointer_cast<platform::Menu>(
                                   notification.userInfo[ContextMenu].object())) {
                               contactMenuNeedsUpdate(*menu);
                           }
                       });
    center.addObserver(this, ContextGroupChat, nullptr,
                       [this](const platform::Notification& notification) {
                           contextGroupChatRequest(notification);
                       });
}

bool ContactListController::respondsToListAction(std::string_view action) const {
    return std::find(std::begin(kListActions), std::end(kListActions), action) !=
           std::end(kListActions);
}

bool ContactListController::performListAction(std::string_view action, platform::Object* sender) {
    AppController* app = AppController::sharedAppController();
    if (action == "contextNewGroup:") {
        contextNewGroup();
    } else if (action == "addContact:") {
        addContact();
    } else if (action == "contextFindFriends:") {
        if (app) {
            app->findFriends(nullptr);
        }
    } else if (action == "contextImportContacts:") {
        if (app) {
            app->importContacts(nullptr);
        }
    } else if (action == "contextExportContacts:") {
        if (app) {
            app->exportContacts(nullptr);
        }
    } else if (action == "contextFilterShowOffline:") {
        contextFilterShowOffline();
    } else if (action == "contextFilterShowGroups:") {
        contextFilterShowGroups();
    } else if (action == "contextFilterShowMinimum:") {
        contextFilterShowMinimum();
    } else if (action == "contextFilterShowExpanded:") {
        contextFilterShowExpanded();
    } else if (action == "contextFilterSortByName:") {
        contextFilterSortByName();
    } else if (action == "contextFilterSortyByStatus:") {
        contextFilterSortByStatus();
    } else if (action == "contextCollapseGroups:") {
        contextCollapseGroups();
    } else if (action == "contextExpandGroups:") {
        contextExpandGroups();
    } else if (action == "newGroupOK:") {
        newGroupOK();
    } else if (action == "newGroupCancel:") {
        newGroupCancel();
    } else if (action == "chatInvitationOK:") {
        chatInvitationOK();
    } else if (action == "chatInvitationCancel:") {
        chatInvitationCancel();
    } else if (action == "contextGroupChat:") {
        contextGroupChat(dynamic_cast<platform::MenuItem*>(sender));
    } else {
        return false;
    }
    return true;
}

void ContactListController::warn(const std::string& message, const std::string& info) {
    _shownAlert =
        OrvantaExtensions::sheetOK(mainWindow(), message, info, platform::AlertStyle::Critical);
}

bool ContactListController::mainWindowHasSheet() const {
    AppController* app = AppController::sharedAppController();
    return app && app->mainWnidowAttachedSheet() != nullptr;
}

// Menus.

std::vector<std::shared_ptr<OVEntity>>
ContactListController::entitiesOfRows(const platform::IndexSet& rows) const {
    std::vector<std::shared_ptr<OVEntity>> entities;
    for (const long row : rows) {
        const auto item = _contactOutlineView->itemAtRow(row);
        if (auto contactRow = std::dynamic_pointer_cast<ContactWithGroup>(item)) {
            entities.push_back(contactRow->contact());
        } else if (auto group = std::dynamic_pointer_cast<OVEntity>(item)) {
            entities.push_back(group);
        }
    }
    return entities;
}

void ContactListController::fillContactMenu(
    platform::Menu& menu, const std::vector<std::shared_ptr<OVEntity>>& entities) {
    auto shared = menu.shared_from_this();
    auto& operations = ContactOperations::instance();
    operations.callMenuForContacts(entities, shared);
    operations.IMMenuForContacts(entities, shared);
    operations.SMSMenuForContacts(entities, shared);
    operations.editMenuForEntities(entities, shared);
    if (menu.numberOfItems() > 0 && menu.itemAtIndex(0)->isSeparatorItem()) {
        menu.removeItemAtIndex(0);
    }
}

void ContactListController::menuNeedsUpdate(platform::Menu& menu) {
    if (&menu != _contextMenu.get()) {
        return;
    }
    _contactOutlineView->abortEditing();
    _editingItem.reset();
    OrvantaExtensions::removeAllItems(menu);
    const long mouseRow = _contactOutlineView->mouseOverRow();
    const auto& selected = _contactOutlineView->selectedRowIndexes();
    if (mainWindowHasSheet() || mouseRow < 0 || selected.empty()) {
        return;
    }
    // A right click inside the selection acts on the whole selection, elsewhere on that row.
    const platform::IndexSet rows =
        selected.count(mouseRow) ? selected : platform::IndexSet{mouseRow};
    fillContactMenu(menu, entitiesOfRows(rows));
}

void ContactListController::remoteMenuNeedsUpdate(platform::Menu& menu) {
    OrvantaExtensions::removeAllItems(menu);
    const auto& selected = _contactOutlineView->selectedRowIndexes();
    if (mainWindowHasSheet() || selected.empty()) {
        return;
    }
    fillContactMenu(menu, entitiesOfRows(selected));
}

void ContactListController::contactMenuNeedsUpdate(platform::Menu& menu) {
    // The application has emptied the menu and put its own import and export commands first;
    // the list adds its commands and view options after them.
    if (mainWindowHasSheet()) {
        return;
    }
    const auto add = [&](const char* key, const char* english, std::string action) {
        auto item = OrvantaExtensions::addItemWithTitle(menu, QXLS(key, english), this,
                                                        std::move(action), "");
        return item;
    };
    const auto has = [&](std::string_view action) {
        const auto& items = menu.itemArray();
        return std::any_of(items.begin(), items.end(),
                           [&](const auto& item) { return item->action() == action; });
    };
    const auto state = [](bool on) { return on ? platform::OnState : platform::OffState; };
    if (menu.numberOfItems() > 0) {
        menu.addItem(platform::MenuItem::separatorItem());
    }
    add("msg.menuitem.tree.newgroup", "New Group", "contextNewGroup:");
    add("msg.menuitem.tree.addcontact", "Add Contact", "addContact:");
    menu.addItem(platform::MenuItem::separatorItem());
    bool accountItems = false;
    if (feature("connectServiceEnabled")) {
        const auto connect = _phoneService ? _phoneService->getConnectService() : nullptr;
        const bool connected = connect && connect->isConnected();
        auto item = add("msg.menuitem.tree.findFriends", "Find Contacts...",
                        connected ? "contextFindFriends:" : "");
        item->setEnabled(connected);
        accountItems = true;
    }
    if (feature("contactImportEnabled") && !has("importContacts:")) {
        add("msg.menuitem.tree.import", "Import Contacts", "contextImportContacts:");
        accountItems = true;
    }
    if (feature("contactExportEnabled") && !has("exportContacts:")) {
        add("msg.menuitem.tree.export", "Export Contacts", "contextExportContacts:");
        accountItems = true;
    }
    if (accountItems) {
        menu.addItem(platform::MenuItem::separatorItem());
    }
    const bool presence = feature("presenceEnabled");
    if (presence) {
        add("msg.menuitem.tree.showoffline", "Show Offline Contacts", "contextFilterShowOffline:")
            ->setState(state(_showOfflineContacts));
    }
    add("msg.menuitem.tree.showgroups", "Show Groups", "contextFilterShowGroups:")
        ->setState(state(_treeViewMode));
    menu.addItem(platform::MenuItem::separatorItem());
    add("msg.menuitem.tree.minlist", "Minimum list", "contextFilterShowMinimum:")
        ->setState(state(_condensedView));
    add("msg.menuitem.tree.expandedlist", "Expanded list", "contextFilterShowExpanded:")
        ->setState(state(!_condensedView));
    if (presence) {
        menu.addItem(platform::MenuItem::separatorItem());
        add("msg.menuitem.tree.sortbyname", "Sort by Name", "contextFilterSortByName:")
            ->setState(state(!_sortByPresence));
        add("msg.menuitem.tree.sortbyonline", "Sort by Online Status",
            "contextFilterSortyByStatus:")
            ->setState(state(_sortByPresence));
    }
    if (_treeViewMode) {
        menu.addItem(platform::MenuItem::separatorItem());
        bool anyExpanded = false;
        bool anyCollapsed = false;
        if (_entityRoot) {
            for (const auto& entity : _entityRoot->entities()) {
                if (entity->type() != OVEntity::typeGroup) {
                    continue;
                }
                (_contactOutlineView->isItemExpanded(entity) ? anyExpanded : anyCollapsed) = true;
            }
        }
        if (anyExpanded) {
            add("msg.menuitem.tree.collapseGroups", "Collapse All Groups",
                "contextCollapseGroups:");
        }
        if (anyCollapsed) {
            add("msg.menuitem.tree.expandGroups", "Expand All Groups", "contextExpandGroups:");
        }
    }
}

// New groups.

void ContactListController::contextNewGroup() {
    if (platform::Window* window = _view->window()) {
        window->makeKeyAndOrderFront(nullptr);
    }
    _contactOutlineView->abortEditing();
    _editingItem.reset();
    std::string proposal = QXLS("msg.menuitem.tree.newgroup", "New Group");
    if (_contactManager) {
        auto search = _contactManager->getGroups();
        search->start();
        search->stop();
        const auto groups = search->result()->entities();
        int number = 1;
        for (std::size_t i = 0; i < groups.size(); ++i) {
            if (equalIgnoringCase(groups[i]->displayName(), proposal)) {
                proposal = replacedFirst(QXLS("msg.menuitem.tree.newgroup1", "New Group %i"), "%i",
                                         std::to_string(++number));
                i = static_cast<std::size_t>(-1); // from the first group again
            }
        }
    }
    _newGroupTextField->setStringValue(proposal);
    _newGroupWarningTextField->setHidden(true);
    _newGroupOKButton->setEnabled(true);
    platform::Window* window = mainWindow();
    if (!window) {
        return;
    }
    _newGroupShowing = true;
    platform::Application::sharedApplication().beginSheet(
        *_newGroupPanel, *window, [this](int code) { sheetNewGroupDidEnd(code); });
    SheetsTracker::sharedController().registerSheet(_newGroupPanel, this);
}

void ContactListController::textChanged() {
    if (!_newGroupShowing) {
        return;
    }
    const std::string name = platform::trimmedWhitespace(_newGroupTextField->stringValue());
    bool valid = !name.empty();
    if (valid && _contactManager) {
        auto search = _contactManager->getGroups();
        search->start();
        search->stop();
        for (const auto& group : search->result()->entities()) {
            if (equalIgnoringCase(group->displayName(), name)) {
                valid = false;
                break;
            }
        }
    }
    _newGroupWarningTextField->setStringValue(
        QXLS("msg.opt.dialog.message.newGroupNotAllow",
             "Empty or duplicate group names are not allowed"));
    _newGroupWarningTextField->setHidden(valid);
    _newGroupOKButton->setEnabled(valid);
}

void ContactListController::newGroupOK() {
    if (_newGroupShowing) {
        _newGroupPanel->orderOut(nullptr);
        platform::Application::sharedApplication().endSheet(*_newGroupPanel, 1);
    }
}

void ContactListController::newGroupCancel() {
    if (_newGroupShowing) {
        _newGroupPanel->orderOut(nullptr);
        platform::Application::sharedApplication().endSheet(*_newGroupPanel, -1);
    }
}

void ContactListController::sheetNewGroupDidEnd(int returnCode) {
    _newGroupShowing = false;
    SheetsTracker::sharedController().deRegisterSheet(_newGroupPanel.get(), this);
    _newGroupPanel->orderOut(nullptr);
    if (returnCode < 1 || !_contactManager) {
        return;
    }
    if (!_treeViewMode) {
        contextFilterShowGroups();
    }
    // The name as validated: without the blanks around it.
    const std::string name = platform::trimmedWhitespace(_newGroupTextField->stringValue());
    if (!_contactManager->createGroup(name)) {
        warn(QXLS("msg.contacts.group.notcreated", "The group could not be created."), {});
    }
}

// Renaming in place.

void ContactListController::contextRenameGroup(const std::shared_ptr<OVEntity>& group) {
    if (!group || group->type() != OVEntity::typeGroup || group->isReadOnly()) {
        return;
    }
    const long row = _contactOutlineView->rowForItem(group);
    if (row < 0) {
        return;
    }
    _editingItem = group;
    _contactOutlineView->editColumn(0, row, nullptr, true);
}

bool ContactListController::outlineViewShouldEditTableColumn(platform::OutlineView&,
                                                             platform::TableColumn*,
                                                             const platform::OutlineItem& item) {
    auto group = std::dynamic_pointer_cast<OVEntity>(item);
    if (!group || group->type() != OVEntity::typeGroup || group->isReadOnly()) {
        return false;
    }
    _editingItem = group;
    return true;
}

bool ContactListController::outlineViewSetObjectValue(platform::OutlineView&,
                                                      const platform::Value& value,
                                                      platform::TableColumn*,
                                                      const platform::OutlineItem& item) {
    auto group = std::dynamic_pointer_cast<OVEntity>(item);
    if (!group || group->type() != OVEntity::typeGroup || !_contactManager) {
        return false;
    }
    std::string text = value.stringValue();
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    const std::string name = platform::trimmedWhitespace(text);
    if (name.empty() || name == group->displayName()) {
        return true;
    }
    for (const auto& other : _contactManager->getVeyraRoot()->entitiesAll()) {
        if (other->type() == OVEntity::typeGroup && other->displayName() == name) {
            return true;
        }
    }
    if (auto error = _contactManager->renameGroup(group, name)) {
        warn(QXLS("msg.contacts.group.notrenamed", "The group could not be renamed."), *error);
        return true;
    }
    updateContactListDelayed();
    return true;
}

void ContactListController::controlTextDidEndEditing(const platform::Notification& notification) {
    if (notification.object == _contactOutlineView.get()) {
        _editingItem.reset();
    }
}

// Group chat.

void ContactListController::contextGroupChatRequest(const platform::Notification& notification) {
    std::vector<std::string> addresses;
    if (const auto* list = notification.userInfo[GroupChatAddresses].array()) {
        for (const auto& address : *list) {
            addresses.push_back(address.stringValue());
        }
    }
    std::vector<std::string> names;
    if (const auto* list = notification.userInfo[GroupChatDisplayName].array()) {
        for (const auto& name : *list) {
            names.push_back(name.stringValue());
        }
    }
    beginChatInvitation(std::move(addresses), joined(names, ", "));
}

void ContactListController::contextGroupChat(platform::MenuItem* item) {
    std::vector<std::shared_ptr<OVEntity>> contacts;
    const auto object = item ? item->representedObject().object() : nullptr;
    if (auto row = std::dynamic_pointer_cast<ContactWithGroup>(object)) {
        contacts.push_back(row->contact());
    } else if (auto group = std::dynamic_pointer_cast<OVEntity>(object);
               group && group->type() == OVEntity::typeGroup) {
        contacts = group->entities();
    } else if (!object) {
        for (const long row : _contactOutlineView->selectedRowIndexes()) {
            if (auto contactRow = std::dynamic_pointer_cast<ContactWithGroup>(
                    _contactOutlineView->itemAtRow(row))) {
                contacts.push_back(contactRow->contact());
            }
        }
    }
    std::vector<std::string> addresses;
    std::vector<std::string> names;
    for (const auto& contact : contacts) {
        const auto field = contact->getPrimary(OVField::fieldPrimaryTypePresence);
        if (field && field->name() == OVField::fieldJidAddr) {
            addresses.push_back(field->valueStrToDisplay());
            names.push_back(contact->displayName());
        }
    }
    beginChatInvitation(std::move(addresses), joined(names, ", "));
}

void ContactListController::beginChatInvitation(std::vector<std::string> addresses,
                                                const std::string& names) {
    AppController* app = AppController::sharedAppController();
    platform::Window* window = mainWindow();
    if (!app || !window || _chatInvitationShowing) {
        return;
    }
    _chatInvitationCaptionTextField->setStringValue(
        replacedFirst(QXLS("msg.imchat.group_chat.inviter_caption",
                           "You have selected: %@. Please enter invitation text:"),
                      "%@", names));
    if (app->groupChatInvitationMessage().empty()) {
        app->setGroupChatInvitationMessage(
            QXLS("msg.imchat.group_chat.invite_message", "Please join my Group Chat..."));
    }
    _chatInvitationTextField->setStringValue(app->groupChatInvitationMessage());
    _chatInvitationAddresses = std::move(addresses);
    _chatInvitationShowing = true;
    platform::Application::sharedApplication().beginSheet(
        *_chatInvitationSheet, *window, [this](int code) { chatInvitationSheetDidEnd(code); });
    SheetsTracker::sharedController().registerSheet(_chatInvitationSheet, this);
}

void ContactListController::chatInvitationOK() {
    if (_chatInvitationShowing) {
        platform::Application::sharedApplication().endSheet(*_chatInvitationSheet, 1);
    }
}

void ContactListController::chatInvitationCancel() {
    if (_chatInvitationShowing) {
        platform::Application::sharedApplication().endSheet(*_chatInvitationSheet, -1);
    }
}

void ContactListController::chatInvitationSheetDidEnd(int returnCode) {
    _chatInvitationShowing = false;
    SheetsTracker::sharedController().deRegisterSheet(_chatInvitationSheet.get(), this);
    _chatInvitationSheet->orderOut(nullptr);
    const std::string text = _chatInvitationTextField->stringValue();
    if (AppController* app = AppController::sharedAppController()) {
        app->setGroupChatInvitationMessage(text);
    }
    const auto addresses = std::move(_chatInvitationAddresses);
    _chatInvitationAddresses.clear();
    if (returnCode > 0 && _phoneService) {
        if (!_phoneService->getIMService()->newGroupChatSession(addresses, text)) {
            warn(QXLS("msg.imchat.group_chat.notstarted", "The group chat could not be started."),
                 {});
        }
    }
}

// Adding a contact.

void ContactListController::addContact() {
    if (!_contactManager) {
        return;
    }
    auto contact = _contactManager->createLogicalEntity();
    if (!ContactEditorController::doesDisplay(contact)) {
        ContactEditorController::openForContact(contact);
    }
}
