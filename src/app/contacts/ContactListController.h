#pragma once

#include "app/contacts/ContactCell.h"
#include "engine/OVContactManager.h"
#include "engine/PresenceService.h"
#include "platform/foundation/Object.h"
#include "platform/kit/Menu.h"
#include "platform/kit/OutlineView.h"
#include "support/DraggedItems.h"
#include "widgets/QXOutlineView.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

class PhoneService;
class ContactWithGroup;

namespace platform {
class Alert;
class Button;
class MenuItem;
class Panel;
class ScrollView;
class TextField;
class Timer;
class View;
} // namespace platform

// The Contacts tab: the engine's contacts in an outline, as a tree of groups, a flat list or
// the result of the filter text, sorted by name or by presence, with or without the offline
// ones. It is the one place that turns the engine's contact callbacks into
// ContactChangedNotification and ContactPresenceChangedNotification (no object). Callbacks
// come in bursts: each kind restarts its own 0.01 s one-shot timer, so a burst costs one
// rebuild or one redraw.
class ContactListController : public platform::Object,
                              public platform::ActionTarget,
                              public platform::OutlineViewDataSource,
                              public QXOutlineViewDelegate,
                              public OVEntityObserver,
                              public OVContactManagerPro,
                              public OVPresenceServicePro,
                              public ContactCellDelegate,
                              public platform::MenuDelegate,
                              public DraggedItemsSource {
public:
    static constexpr double refreshDelay = 0.01;
    // The pasteboard type of dragged files: their paths, one a line.
    static constexpr std::string_view kFileNamesPboardType = "NSFilenamesPboardType";

    // The one controller while it lives.
    static ContactListController* sharedController();

    explicit ContactListController(std::shared_ptr<PhoneService> phone);
    ~ContactListController() override;
    ContactListController(const ContactListController&) = delete;
    ContactListController& operator=(const ContactListController&) = delete;

    // The filter field above the outline in its scroll view.
    std::shared_ptr<platform::View> view() const { return _view; }
    QXOutlineView& contactOutlineView() const { return *_contactOutlineView; }
    platform::TextField& filterTextBox() const { return *_filterTextBox; }

    // Once the engine has started: the settings, the list and the first expansion.
    void startListening();
    // At shutdown: the settings saved, the timers stopped, the engine left alone.
    void cleanup();
    void loadUserSettings();
    void saveUserSettings() const;

    void updateContactList();
    void synchronizeExpandCollapse();
    void reloadContactData();
    void updateContactListDelayed();
    // Applies the filter field's text when it changed.
    void filterChanged();

    void contextFilterShowGroups();
    void contextFilterShowOffline();
    void contextFilterSortByName();
    void contextFilterSortByStatus();
    void contextFilterShowMinimum();
    void contextFilterShowExpanded();
    void contextExpandGroups();
    void contextCollapseGroups();

    bool isTreeViewMode() override { return _treeViewMode; }
    bool sortByPresence() const { return _sortByPresence; }
    bool showOfflineContacts() const { return _showOfflineContacts; }
    bool condensedView() const { return _condensedView; }
    const std::string& filterString() const { return _filterString; }
    // The contact row shown extended, or nullptr.
    const std::shared_ptr<ContactWithGroup>& expandedItem() const { return _expandedItem; }
    void setExpandedItem(std::shared_ptr<ContactWithGroup> item);

    // The rows' entity root: the tree's root or the search's result.
    const std::shared_ptr<OVEntity>& entityRoot() const { return _entityRoot; }
    // Counted for tests and benchmarks: rebuilds of the list and redraws without one.
    int rebuildCount() const { return _rebuildCount; }
    int redrawCount() const { return _redrawCount; }

    // The outline's data source.
    long outlineViewNumberOfChildrenOfItem(platform::OutlineView& outlineView,
                                           const platform::OutlineItem& item) override;
    platform::OutlineItem outlineViewChild(platform::OutlineView& outlineView, long index,
                                           const platform::OutlineItem& item) override;
    bool outlineViewIsItemExpandable(platform::OutlineView& outlineView,
                                     const platform::OutlineItem& item) override;
    platform::Value
    outlineViewObjectValueForTableColumn(platform::OutlineView& outlineView,
                                         platform::TableColumn* column,
                                         const platform::OutlineItem& item) override;
    // The outline's delegate.
    std::optional<std::shared_ptr<platform::Cell>>
    outlineViewDataCellForTableColumn(platform::OutlineView& outlineView,
                                      platform::TableColumn* column,
                                      const platform::OutlineItem& item) override;
    void outlineViewWillDisplayCell(platform::OutlineView& outlineView, platform::Cell& cell,
                                    platform::TableColumn* column,
                                    const platform::OutlineItem& item) override;
    std::optional<double> outlineViewHeightOfRowByItem(platform::OutlineView& outlineView,
                                                       const platform::OutlineItem& item) override;
    // Groups are group rows, in the tree view (the only view that shows them).
    bool outlineViewIsGroupItem(platform::OutlineView& outlineView,
                                const platform::OutlineItem& item) override;
    void outlineViewItemDidExpand(const platform::Notification& notification) override;
    void outlineViewItemDidCollapse(const platform::Notification& notification) override;
    void outlineViewMouseChangedFromRow(QXOutlineView& outlineView, long previousRow,
                                        long newRow) override;

    // The cells' delegate.
    bool shouldDisplaySeparator(const std::shared_ptr<platform::Object>& rowItem) override;
    std::vector<CellLink> linksForContact(const OVEntity& contact) override;
    bool buttonAvailable(int type, const OVEntity& contact) override;
    bool buttonHidden(int type, const OVEntity& contact) override;
    bool buttonHasMenu(int type, const OVEntity& contact) override;
    void showMenuForButton(int type, const platform::Rect& frame, const OVEntity& contact) override;
    void buttonClicked(int type, const platform::Rect& frame, const OVEntity& contact) override;
    // Runs the link's action once the double-click interval has passed without a double click.
    void linkClicked(const CellLink& link, const OVEntity& contact) override;
    // The menu a row button pops up: for the pressed contact first, then the other selected
    // contacts when the pressed one is among two or more selected rows.
    std::shared_ptr<platform::Menu> menuForButton(int type, const OVEntity& contact);

    // Clicks (ContactListController_Clicks.cpp). A single click toggles the selected contact's
    // extended row once the double-click interval (and 0.025 s) has passed; a double click
    // cancels it and a pending link click, and runs the default action.
    static double doubleClickInterval();
    static void setDoubleClickInterval(double seconds);
    void rowClick();
    void rowDoubleClick();
    void setExpandedItemAtRow(long row);
    void performDefaultActionOnSelectedRow();
    bool enterKeyPressed() override;
    bool spaceKeyPressed() override;
    bool deleteKeyPressed() override;
    bool respondsToAction(std::string_view action) const override;
    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    // The addresses a link opens, the value percent-encoded: "mailto:" and a web address
    // (with "http://" before one that does not begin with "http").
    static std::string mailtoURL(std::string_view address);
    static std::string webURL(std::string_view address);

    // Menus and groups (ContactListController_Groups.cpp). The outline's context menu is
    // filled for the row under the mouse; the application's Actions menu for the selection;
    // its Contacts menu gets the list's commands and view options after the items it has.
    void menuNeedsUpdate(platform::Menu& menu) override;
    void remoteMenuNeedsUpdate(platform::Menu& menu);
    void contactMenuNeedsUpdate(platform::Menu& menu);
    const std::shared_ptr<platform::Menu>& contextMenu() const { return _contextMenu; }
    // The new-group sheet on the main window, with a name no group has yet.
    void contextNewGroup();
    void newGroupOK();
    void newGroupCancel();
    void sheetNewGroupDidEnd(int returnCode);
    // Validates the name typed in the new-group sheet.
    void textChanged();
    platform::Panel& newGroupPanel() const { return *_newGroupPanel; }
    platform::TextField& newGroupTextField() const { return *_newGroupTextField; }
    platform::TextField& newGroupWarningTextField() const { return *_newGroupWarningTextField; }
    platform::Button& newGroupOKButton() const { return *_newGroupOKButton; }
    // Renaming a group in place, in the outline's field editor.
    void contextRenameGroup(const std::shared_ptr<OVEntity>& group);
    const std::shared_ptr<OVEntity>& editingItem() const { return _editingItem; }
    bool outlineViewShouldEditTableColumn(platform::OutlineView& outlineView,
                                          platform::TableColumn* column,
                                          const platform::OutlineItem& item) override;
    bool outlineViewSetObjectValue(platform::OutlineView& outlineView, const platform::Value& value,
                                   platform::TableColumn* column,
                                   const platform::OutlineItem& item) override;
    void controlTextDidEndEditing(const platform::Notification& notification) override;
    // The group-chat invitation: for the addresses a contact menu asks for, or for a menu
    // item's contact, group or (none) the selection.
    void contextGroupChatRequest(const platform::Notification& notification);
    void contextGroupChat(platform::MenuItem* item);
    void chatInvitationOK();
    void chatInvitationCancel();
    void chatInvitationSheetDidEnd(int returnCode);
    platform::Panel& chatInvitationSheet() const { return *_chatInvitationSheet; }
    platform::TextField& chatInvitationCaptionTextField() const {
        return *_chatInvitationCaptionTextField;
    }
    platform::TextField& chatInvitationTextField() const { return *_chatInvitationTextField; }
    // A new contact in the contact editor.
    void addContact();

    // Drag and drop (ContactListController_Drag.cpp): contact rows to other groups, onto
    // another contact (combining them) and out to the call area; files onto a contact.
    bool outlineViewWriteItems(platform::OutlineView& outlineView,
                               const std::vector<platform::OutlineItem>& items,
                               platform::Pasteboard& pasteboard) override;
    platform::DragOperation outlineViewValidateDrop(platform::OutlineView& outlineView,
                                                    platform::DraggingInfo& info,
                                                    const platform::OutlineItem& item,
                                                    long childIndex) override;
    bool outlineViewAcceptDrop(platform::OutlineView& outlineView, platform::DraggingInfo& info,
                               const platform::OutlineItem& item, long childIndex) override;
    std::vector<std::shared_ptr<platform::Object>> draggedItems() const override {
        return _draggedItems;
    }
    void setDraggedItems(std::vector<std::shared_ptr<platform::Object>> items) {
        _draggedItems = std::move(items);
    }
    void combineContactAlertDidEnd(int returnCode,
                                   const std::vector<std::shared_ptr<OVEntity>>& contacts);
    // The combine question while it is shown.
    const std::shared_ptr<platform::Alert>& combineAlert() const { return _combineAlert; }

    // Engine callbacks.
    void ovetOnPropertyChanged() override;
    void ovetOnFieldPropertyChanged() override;
    void ovetOnEntityCollectionChanged() override;
    void ovetOnFieldCollectionChanged() override;
    void ContactsAdded(const std::vector<std::shared_ptr<OVEntity>>& contacts) override;
    void ContactsRemoved(const std::vector<std::shared_ptr<OVEntity>>& contacts) override;
    void presenceUpdated(const std::string& address, OVAccountProtocol protocol,
                         OVPresenceStatus status, const std::string& message,
                         bool forceUpdate) override;

private:
    // The menu actions of the list (ContactListController_Groups.cpp).
    bool respondsToListAction(std::string_view action) const;
    bool performListAction(std::string_view action, platform::Object* sender);
    void buildSheets();
    void beginChatInvitation(std::vector<std::string> addresses, const std::string& names);
    // The entities a menu acts on, as the builders take them.
    std::vector<std::shared_ptr<OVEntity>> entitiesOfRows(const platform::IndexSet& rows) const;
    void fillContactMenu(platform::Menu& menu,
                         const std::vector<std::shared_ptr<OVEntity>>& entities);
    bool mainWindowHasSheet() const;
    // A critical sheet on the main window saying what could not be done.
    void warn(const std::string& message, const std::string& info);
    void rowClickDelayed();
    void linkClickDelayed(const CellLink& link);
    // The capability flags of the buttons, asked afresh.
    void updateData();
    bool subscribed(const OVEntity& contact) const;
    std::vector<std::shared_ptr<OVEntity>> menuContacts(const OVEntity& pressed);
    void buildView();
    // Stops the timers and leaves the engine and the notifications.
    void detach();
    void contactChangedCallback();
    void contactPresenceChangedCallback();
    // Restarts a one-shot timer of the refresh delay.
    void restart(std::shared_ptr<platform::Timer>& timer, void (ContactListController::*fire)());
    static void cancel(std::shared_ptr<platform::Timer>& timer);
    bool pending(const std::shared_ptr<platform::Timer>& timer) const;
    std::shared_ptr<ContactWithGroup> rowItem(const std::shared_ptr<OVEntity>& contact,
                                              const std::shared_ptr<OVEntity>& parent);
    void observe(const std::shared_ptr<OVEntity>& entity);
    void forgetRowItems();
    bool listSuspended() const;

    std::shared_ptr<PhoneService> _phoneService;
    std::shared_ptr<OVContactManager> _contactManager;
    std::shared_ptr<PresenceService> _presenceService;

    std::shared_ptr<platform::View> _view;
    std::shared_ptr<platform::ScrollView> _scrollView;
    std::shared_ptr<QXOutlineView> _contactOutlineView;
    std::shared_ptr<platform::TextField> _filterTextBox;

    std::shared_ptr<OVEntity> _entityRoot;
    std::shared_ptr<OVSearchSession> _searchSession;
    // Row items by "<contact id>+<parent id>", groups by "<id>", so that reloads hand the
    // outline the same objects.
    std::map<std::string, std::shared_ptr<platform::Object>> _cgDictionary;
    std::set<std::weak_ptr<OVEntity>, std::owner_less<std::weak_ptr<OVEntity>>> _observed;
    std::set<std::weak_ptr<OVEntity>, std::owner_less<std::weak_ptr<OVEntity>>> _expandedGroups;
    std::shared_ptr<ContactWithGroup> _expandedItem;
    std::string _filterString;

    bool _treeViewMode = true;
    bool _showOfflineContacts = true;
    bool _condensedView = false;
    bool _sortByPresence = false;
    bool _listening = false;
    bool _waitingForFirstUpdate = false;

    std::shared_ptr<platform::Timer> _contactChangedTimer;
    std::shared_ptr<platform::Timer> _contactPresenceUpdateTimer;
    std::shared_ptr<platform::Timer> _contactSimpleUpdateTimer;
    std::shared_ptr<platform::Timer> _rowClickTimer;
    std::shared_ptr<platform::Timer> _linkClickTimer;
    std::optional<CellLink> _lastClickedLink;
    bool _expandOnClick = true;
    bool _canCall = false;
    bool _hasIM = false;
    bool _hasSMS = false;
    bool _hasGroupChat = false;

    std::shared_ptr<platform::Menu> _contextMenu;
    std::shared_ptr<platform::Panel> _newGroupPanel;
    std::shared_ptr<platform::TextField> _newGroupTextField;
    std::shared_ptr<platform::TextField> _newGroupWarningTextField;
    std::shared_ptr<platform::Button> _newGroupOKButton;
    std::shared_ptr<platform::Button> _newGroupCancelButton;
    bool _newGroupShowing = false;
    std::shared_ptr<platform::Panel> _chatInvitationSheet;
    std::shared_ptr<platform::TextField> _chatInvitationCaptionTextField;
    std::shared_ptr<platform::TextField> _chatInvitationTextField;
    std::shared_ptr<platform::Button> _chatInvitationOKButton;
    std::shared_ptr<platform::Button> _chatInvitationCancelButton;
    bool _chatInvitationShowing = false;
    std::vector<std::string> _chatInvitationAddresses;
    std::shared_ptr<OVEntity> _editingItem;
    std::vector<std::shared_ptr<platform::Object>> _draggedItems;
    std::shared_ptr<platform::Alert> _combineAlert;
    std::shared_ptr<platform::Alert> _shownAlert;

    int _rebuildCount = 0;
    int _redrawCount = 0;
};
