#include "app/contacts/ContactListController.h"

#include "app/contacts/ContactImportWindowController.h"
#include "app/contacts/ContactOperations.h"
#include "app/contacts/ContactWithGroup.h"
#include "app/core/AppController.h"
#include "app/core/SheetsTracker.h"
#include "engine/PhoneService.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Control.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/TableColumn.h"
#include "platform/kit/TextField.h"
#include "support/Localization.h"
#include "support/Notifications.h"

#include <algorithm>
#include <cctype>

namespace {

ContactListController*& sharedInstance() {
    static ContactListController* controller = nullptr;
    return controller;
}

constexpr std::string_view kFlatViewModeKey = "mainPhone.contactList.flatViewMode";
constexpr std::string_view kCondensedViewKey = "mainPhone.contactList.condensedView";
constexpr std::string_view kSortByPresenceKey = "mainPhone.contactList.sortByPresence";
constexpr std::string_view kHideOfflineKey = "mainPhone.contactList.hideOfflineContacts";
constexpr double kFilterHeight = 24;

const platform::Value& brandContactList() {
    static const platform::Value none;
    if (AppController* app = AppController::sharedAppController()) {
        return app->brandDict()["ContactList"];
    }
    return none;
}

} // namespace

ContactListController* ContactListController::sharedController() {
    return sharedInstance();
}

ContactListController::ContactListController(std::shared_ptr<PhoneService> phone)
    : _phoneService(std::move(phone)) {
    if (_phoneService) {
        _contactManager = _phoneService->getContactManager();
        _presenceService = _phoneService->getPresenceService();
        _contactManager->setDelegate(this);
        _presenceService->setDelegate(this);
    }
    buildView();
    sharedInstance() = this;
}

ContactListController::~ContactListController() {
    SheetsTracker::sharedController().closeSheetsForCreator(this);
    _contextMenu->setDelegate(nullptr);
    _contactOutlineView->setMenu(nullptr);
    detach();
    _contactOutlineView->setDataSource(nullptr);
    _contactOutlineView->setDelegate(nullptr);
    if (sharedInstance() == this) {
        sharedInstance() = nullptr;
    }
}

void ContactListController::buildView() {
    _view = std::make_shared<platform::View>(platform::Rect(0, 0, 320, 260));
    _view->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewHeightSizable);
    _filterTextBox = platform::make<platform::TextField>(
        platform::Rect(4, 260 - kFilterHeight + 2, 312, kFilterHeight - 4));
    _filterTextBox->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewMinYMargin);
    _filterTextBox->setPlaceholderString("Search contacts");
    _view->addSubview(_filterTextBox);
    platform::NotificationCenter::defaultCenter().addObserver(
        this, "PhoneServiceStarted", nullptr,
        [this](const platform::Notification&) { startListening(); });
    platform::NotificationCenter::defaultCenter().addObserver(
        this, platform::ControlTextDidChangeNotification, _filterTextBox.get(),
        [this](const platform::Notification&) { filterChanged(); });

    _scrollView =
        std::make_shared<platform::ScrollView>(platform::Rect(0, 0, 320, 260 - kFilterHeight));
    _scrollView->setHasVerticalScroller(true);
    _scrollView->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewHeightSizable);
    _contactOutlineView = platform::make<QXOutlineView>(platform::Rect(0, 0, 320, 236));
    auto column = std::make_shared<platform::TableColumn>("name");
    column->setWidth(320);
    _contactOutlineView->addTableColumn(column);
    _contactOutlineView->setOutlineTableColumn(column.get());
    _contactOutlineView->setHeaderView(nullptr);
    _contactOutlineView->setIntercellSpacing({0, 0});
    _contactOutlineView->setAllowsMultipleSelection(true);
    _contactOutlineView->setRowHeight(ContactCell::minSizeForType(ContactCell::normalType).height);
    _contactOutlineView->setDataSource(this);
    _contactOutlineView->setDelegate(this);
    _contactOutlineView->setTarget(this);
    _contactOutlineView->setAction("rowClick:");
    _contactOutlineView->setDoubleAction("rowDoubleClick:");
    _scrollView->setDocumentView(_contactOutlineView);
    _view->addSubview(_scrollView);
    _contactOutlineView->awake();
    _contactOutlineView->setTrackMouseOver(true);
    _contactOutlineView->registerForDraggedTypes(
        {std::string(QXDragDropContactType), std::string(kFileNamesPboardType)});
    buildSheets();
}

bool ContactListController::listSuspended() const {
    if (!_contactManager) {
        return true;
    }
    if (AppController* app = AppController::sharedAppController()) {
        return app->isLoggedOut() || app->isAppTerminating();
    }
    return false;
}

void ContactListController::startListening() {
    _listening = true;
    _waitingForFirstUpdate = true;
    loadUserSettings();
    updateContactList();
}

void ContactListController::cleanup() {
    if (_listening) {
        saveUserSettings();
    }
    // An address-book import open for the session goes with it.
    if (ContactImportWindowController* import = ContactImportWindowController::instance()) {
        import->cancel();
    }
    detach();
}

void ContactListController::detach() {
    _listening = false;
    cancel(_contactChangedTimer);
    cancel(_contactPresenceUpdateTimer);
    cancel(_contactSimpleUpdateTimer);
    cancel(_rowClickTimer);
    cancel(_linkClickTimer);
    platform::NotificationCenter::defaultCenter().removeObserver(this);
    forgetRowItems();
    if (_entityRoot) {
        _entityRoot->removeObserver(this);
        _entityRoot.reset();
    }
    if (_searchSession) {
        _searchSession->stop();
        _searchSession.reset();
    }
    if (_contactManager) {
        _contactManager->removeDelegate(this);
        _presenceService->removeDelegate(this);
    }
}

void ContactListController::loadUserSettings() {
    auto& defaults = platform::UserDefaults::standardUserDefaults();
    const platform::Value& brand = brandContactList();
    if (defaults.objectForKey(kFlatViewModeKey).isNull()) {
        defaults.setBool(kFlatViewModeKey, !brand["DefaultShowGroup"].boolValue());
    }
    if (defaults.objectForKey(kCondensedViewKey).isNull()) {
        defaults.setBool(kCondensedViewKey, brand["DefaultCondensedView"].boolValue());
    }
    _treeViewMode = !defaults.boolForKey(kFlatViewModeKey);
    _condensedView = defaults.boolForKey(kCondensedViewKey);
    _sortByPresence = defaults.boolForKey(kSortByPresenceKey);
    _showOfflineContacts = !defaults.boolForKey(kHideOfflineKey);
    _contactOutlineView->setIndentCorrection(
        brand[_treeViewMode ? "GroupIndent" : "NoGroupIndent"].intValue());
}

void ContactListController::saveUserSettings() const {
    auto& defaults = platform::UserDefaults::standardUserDefaults();
    defaults.setBool(kFlatViewModeKey, !_treeViewMode);
    defaults.setBool(kCondensedViewKey, _condensedView);
    defaults.setBool(kSortByPresenceKey, _sortByPresence);
    defaults.setBool(kHideOfflineKey, !_showOfflineContacts);
    defaults.synchronize();
}

void ContactListController::observe(const std::shared_ptr<OVEntity>& entity) {
    if (entity && _observed.insert(entity).second) {
        entity->addObserver(this);
    }
}

void ContactListController::forgetRowItems() {
    for (const auto& weak : _observed) {
        if (auto entity = weak.lock()) {
            entity->removeObserver(this);
        }
    }
    _observed.clear();
    _cgDictionary.clear();
}

void ContactListController::updateContactList() {
    if (listSuspended()) {
        return;
    }
    ++_rebuildCount;
    bool showOffline = _showOfflineContacts;
    const std::string text = platform::trimmedWhitespace(_filterString);
    const std::string pattern = text + "%";

    if (_searchSession) {
        _searchSession->stop();
        _searchSession.reset();
    }
    if (_entityRoot) {
        _entityRoot->removeObserver(this);
        _observed.erase(_entityRoot);
        _entityRoot.reset();
    }

    std::vector<OVSortDescriptor> order;
    if (_sortByPresence) {
        order.push_back({"presenceStatus", true, false});
    }
    order.push_back({"displayName", true, true});

    if (!text.empty()) {
        _searchSession =
            _contactManager->createSearch({{std::string(OVField::fieldDisplayName), pattern},
                                           {std::string(OVField::fieldFirstName), pattern},
                                           {std::string(OVField::fieldLastName), pattern},
                                           {std::string(OVField::fieldOrganization), pattern}},
                                          {});
        showOffline = true; // a filtered list always includes offline contacts
    } else if (!_treeViewMode) {
        _searchSession = _contactManager->getContacts();
    }
    if (_searchSession) {
        _searchSession->setResolveMulticontacts(true);
        _searchSession->setEntityType(OVEntity::typePhysicalContact);
        _searchSession->start();
        _entityRoot = _searchSession->result();
        _entityRoot->setHideOfflineContacts(!showOffline);
    } else {
        _entityRoot = _contactManager->getVeyraRoot();
        for (const auto& group : _entityRoot->entitiesAll()) {
            group->setHideOfflineContacts(!showOffline);
            group->setSortDescriptors(order);
        }
    }
    _entityRoot->addObserver(this);
    _entityRoot->setSortDescriptors(order);

    // The old row items stay alive until the outline has let go of them.
    const auto oldItems = _cgDictionary;
    forgetRowItems();
    _observed.insert(_entityRoot);
    _contactOutlineView->reloadData();
    _contactOutlineView->setNeedsDisplay(true);
    // Every group starts open, once the list first has groups (the session's contacts come
    // after the engine has started).
    if (_waitingForFirstUpdate && _treeViewMode && !_searchSession &&
        !_entityRoot->entitiesAll().empty()) {
        _waitingForFirstUpdate = false;
        contextExpandGroups();
    }
}

void ContactListController::synchronizeExpandCollapse() {
    if (!_entityRoot) {
        return;
    }
    const bool filtered = !platform::trimmedWhitespace(_filterString).empty();
    // A copy: expanding reads the lists again.
    const auto entities = _entityRoot->entities();
    for (const auto& entity : entities) {
        if (entity->type() != OVEntity::typeGroup) {
            continue;
        }
        const auto key = std::to_string(entity->uniqueId());
        auto found = _cgDictionary.find(key);
        const platform::OutlineItem item =
            found != _cgDictionary.end() ? found->second : platform::OutlineItem(entity);
        if (filtered || _expandedGroups.count(entity)) {
            _contactOutlineView->expandItem(item);
        } else {
            _contactOutlineView->collapseItem(item);
        }
    }
}

void ContactListController::contextExpandGroups() {
    if (!_entityRoot) {
        return;
    }
    // A copy: expanding reads the lists again.
    const auto entities = _entityRoot->entities();
    for (const auto& entity : entities) {
        if (entity->type() == OVEntity::typeGroup) {
            _contactOutlineView->expandItem(entity);
        }
    }
}

void ContactListController::contextCollapseGroups() {
    if (!_entityRoot) {
        return;
    }
    // A copy: expanding reads the lists again.
    const auto entities = _entityRoot->entities();
    for (const auto& entity : entities) {
        if (entity->type() == OVEntity::typeGroup) {
            _contactOutlineView->collapseItem(entity);
        }
    }
}

void ContactListController::reloadContactData() {
    cancel(_contactSimpleUpdateTimer);
    if (pending(_contactChangedTimer)) {
        contactChangedCallback(); // the rebuild redraws anyway
        return;
    }
    ++_redrawCount;
    _contactOutlineView->reloadData();
    _contactOutlineView->setNeedsDisplay(true);
}

void ContactListController::updateContactListDelayed() {
    restart(_contactChangedTimer, &ContactListController::contactChangedCallback);
}

void ContactListController::filterChanged() {
    const std::string text = _filterTextBox->stringValue();
    if (text == _filterString) {
        return;
    }
    _filterString = text;
    setExpandedItem(nullptr);
    updateContactList();
    synchronizeExpandCollapse();
}

void ContactListController::setExpandedItem(std::shared_ptr<ContactWithGroup> item) {
    _expandedItem = std::move(item);
    platform::IndexSet rows;
    for (long row = 0; row < _contactOutlineView->numberOfRows(); ++row) {
        rows.insert(row);
    }
    _contactOutlineView->noteHeightOfRowsWithIndexesChanged(rows);
    _contactOutlineView->setNeedsDisplay(true);
}

void ContactListController::contextFilterShowGroups() {
    _contactOutlineView->deselectAll(nullptr);
    _treeViewMode = !_treeViewMode;
    _contactOutlineView->setIndentCorrection(
        brandContactList()[_treeViewMode ? "GroupIndent" : "NoGroupIndent"].intValue());
    if (_expandedItem) {
        setExpandedItem(nullptr);
    }
    updateContactList();
    synchronizeExpandCollapse();
}

void ContactListController::contextFilterShowOffline() {
    _showOfflineContacts = !_showOfflineContacts;
    updateContactList();
    synchronizeExpandCollapse();
}

void ContactListController::contextFilterSortByName() {
    _sortByPresence = false;
    updateContactList();
    synchronizeExpandCollapse();
}

void ContactListController::contextFilterSortByStatus() {
    _sortByPresence = true;
    updateContactList();
    synchronizeExpandCollapse();
}

void ContactListController::contextFilterShowMinimum() {
    _condensedView = true;
    reloadContactData();
}

void ContactListController::contextFilterShowExpanded() {
    _condensedView = false;
    reloadContactData();
}

// Coalescing.

void ContactListController::cancel(std::shared_ptr<platform::Timer>& timer) {
    if (timer) {
        timer->invalidate();
        timer.reset();
    }
}

bool ContactListController::pending(const std::shared_ptr<platform::Timer>& timer) const {
    return timer && timer->isValid();
}

void ContactListController::restart(std::shared_ptr<platform::Timer>& timer,
                                    void (ContactListController::*fire)()) {
    cancel(timer);
    timer = platform::Timer::scheduledTimerWithTimeInterval(
        refreshDelay, false, [this, fire](platform::Timer&) { (this->*fire)(); });
}

void ContactListController::contactChangedCallback() {
    cancel(_contactChangedTimer);
    updateContactList();
    synchronizeExpandCollapse();
    platform::NotificationCenter::defaultCenter().postNotificationName(ContactChangedNotification);
}

void ContactListController::contactPresenceChangedCallback() {
    cancel(_contactPresenceUpdateTimer);
    if (AppController* app = AppController::sharedAppController(); app && app->isForceShutDown()) {
        return;
    }
    // Only icons and texts change unless offline contacts are hidden, the list is filtered or
    // sorted by presence: then rows come, go or move.
    if (_showOfflineContacts && platform::trimmedWhitespace(_filterString).empty() &&
        !_sortByPresence) {
        reloadContactData();
    } else {
        updateContactList();
        synchronizeExpandCollapse();
    }
    platform::NotificationCenter::defaultCenter().postNotificationName(
        ContactPresenceChangedNotification);
}

void ContactListController::ovetOnPropertyChanged() {
    restart(_contactSimpleUpdateTimer, &ContactListController::reloadContactData);
}

void ContactListController::ovetOnFieldPropertyChanged() {
    restart(_contactSimpleUpdateTimer, &ContactListController::reloadContactData);
}

void ContactListController::ovetOnEntityCollectionChanged() {
    updateContactListDelayed();
}

void ContactListController::ovetOnFieldCollectionChanged() {
    updateContactListDelayed();
}

void ContactListController::ContactsAdded(const std::vector<std::shared_ptr<OVEntity>>& contacts) {
    if (!_showOfflineContacts &&
        std::any_of(contacts.begin(), contacts.end(), [](const auto& contact) {
            return contact->presenceStatus() == static_cast<int>(OVPresenceStatus::statusOffline);
        })) {
        _showOfflineContacts = true; // so that the new contact is seen
    }
    updateContactListDelayed();
}

void ContactListController::ContactsRemoved(
    const std::vector<std::shared_ptr<OVEntity>>& contacts) {
    if (_expandedItem &&
        std::find(contacts.begin(), contacts.end(), _expandedItem->contact()) != contacts.end()) {
        setExpandedItem(nullptr);
    }
    updateContactListDelayed();
}

void ContactListController::presenceUpdated(const std::string& /*address*/,
                                            OVAccountProtocol /*protocol*/,
                                            OVPresenceStatus /*status*/,
                                            const std::string& /*message*/, bool /*forceUpdate*/) {
    restart(_contactPresenceUpdateTimer, &ContactListController::contactPresenceChangedCallback);
}
