#include "app/messaging/IMArchiveWindowController.h"

#include "app/core/SheetsTracker.h"
#include "engine/FeaturesService.h"
#include "engine/OVContactManager.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/Panel.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/TableColumn.h"
#include "platform/kit/TextField.h"
#include "platform/kit/WindowServer.h"
#include "platform/kit/Workspace.h"
#include "support/DateFormatting.h"
#include "support/HTMLEscaping.h"
#include "support/Localization.h"
#include "support/StringExtensions.h"
#include "support/ValueTransformers.h"

#include <algorithm>
#include <utility>

namespace {

constexpr double kFilterRow = 34;
constexpr double kContactsWidth = 190;
constexpr double kItemsHeight = 130;
constexpr double kMinimumPane = 100;

std::unique_ptr<IMArchiveWindowController>& sharedInstance() {
    static std::unique_ptr<IMArchiveWindowController> controller;
    return controller;
}

bool featureOn(std::string_view name) {
    auto features = StartupService::instance().featuresService();
    return features && features->featureAvailable(std::string(name));
}

// Lower case for the letters whose lower case is as long in UTF-8 (ASCII and Latin-1), so that
// positions in the folded text are positions in the text.
std::string foldedForMatching(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c < 0x80) {
            out[i] = static_cast<char>(std::tolower(c));
        } else if (c == 0xC3 && i + 1 < out.size()) {
            const auto next = static_cast<unsigned char>(out[i + 1]);
            if (next >= 0x80 && next <= 0x9E && next != 0x97)
                out[i + 1] = static_cast<char>(next + 0x20);
            ++i;
        }
    }
    return out;
}

} // namespace

// Shared window.

IMArchiveWindowController& IMArchiveWindowController::sharedIMArchiveWindowController() {
    auto& shared = sharedInstance();
    if (shared && shared->_window->isMiniaturized()) {
        shared->_window->deminiaturize(nullptr);
        return *shared;
    }
    if (!shared || !shared->_window->isVisible())
        shared = std::make_unique<IMArchiveWindowController>();
    return *shared;
}

bool IMArchiveWindowController::sharedIMArchiveWindowControllerExists() {
    return sharedInstance() != nullptr;
}

void IMArchiveWindowController::close() {
    sharedInstance().reset();
}

IMArchiveWindowController::IMArchiveWindowController()
    : _window(platform::make<platform::Window>(
          platform::Rect(0, 0, 720, 480),
          platform::TitledWindowMask | platform::ClosableWindowMask |
              platform::MiniaturizableWindowMask | platform::ResizableWindowMask)) {
    _window->setReleasedWhenClosed(false);
    _window->setTitle(QXLS("msg.imarchive.title", "Message Archive"));
    _window->setMinSize(platform::Size(2 * kMinimumPane + 120, 2 * kMinimumPane + kFilterRow));
    _window->setDelegate(this);
    buildWindow();
    _phoneService = StartupService::instance().phoneService();
    if (_phoneService) {
        _archiveService = _phoneService->getArchiveService();
        _archiveService->setDelegate(this);
        _archiveService->queryContacts();
    }
    setupFilterMenu();
    // The chat page; what it shows waits for its load.
    _chatWebView->loadBundlePage("imchat");
    if (!featureOn("instantMessagingEnabled")) {
        if (auto* type = _itemsTableView->tableColumnWithIdentifier("type"))
            _itemsTableView->removeTableColumn(type);
    }
    _window->center();
}

IMArchiveWindowController::~IMArchiveWindowController() {
    _highlightContact.reset();
    SheetsTracker::sharedController().closeSheetsForCreator(this);
    releaseDelegates();
    _window->setDelegate(nullptr);
    _window->orderOut(nullptr);
}

void IMArchiveWindowController::releaseDelegates() {
    for (const auto& contact : _contacts)
        contact->removeDelegate(this);
    if (_filteredContact)
        _filteredContact->removeDelegate(this);
    if (_archiveService)
        _archiveService->removeDelegate(this);
    _chatWebView->setFrameLoadDelegate(nullptr);
    _chatWebView->setPolicyDelegate(nullptr);
    _chatWebView->setUIDelegate(nullptr);
    _filterTextField->setDelegate(nullptr);
    _contactsTableView->setDelegate(nullptr);
    _contactsTableView->setDataSource(nullptr);
    _itemsTableView->setDelegate(nullptr);
    _itemsTableView->setDataSource(nullptr);
}

void IMArchiveWindowController::buildWindow() {
    auto* content = _window->contentView();
    _filterBox = platform::make<platform::View>(platform::Rect(0, 0, 200, kFilterRow));
    _filterTypeField = platform::make<platform::PopUpButton>(platform::Rect(8, 5, 184, 24));
    _filterTypeField->setTarget(this);
    _filterTypeField->setAction("filterByCurrentTextAndType:");
    _filterBox->addSubview(_filterTypeField);
    content->addSubview(_filterBox);
    _filterTextField = platform::make<platform::TextField>(platform::Rect(0, 0, 200, 22));
    _filterTextField->setPlaceholderString(QXLS("msg.imarchive.filter", "Search"));
    _filterTextField->setDelegate(static_cast<platform::TableViewDelegate*>(this));
    content->addSubview(_filterTextField);

    _contactsTableView = platform::make<QXIMArchiveTableView>(platform::Rect(0, 0, 190, 300));
    _contactsTableView->addTableColumn(platform::TableColumn::readOnlyColumn(
        "name", QXLS("msg.imarchive.column.name", "Name"), kContactsWidth - 4));
    _contactsTableView->setAllowsEmptySelection(true);
    _contactsTableView->setDataSource(this);
    _contactsTableView->setDelegate(this);
    _contactsScrollView = platform::make<platform::ScrollView>(platform::Rect(0, 0, 190, 300));
    _contactsScrollView->setHasVerticalScroller(true);
    _contactsScrollView->setDocumentView(_contactsTableView);
    content->addSubview(_contactsScrollView);

    _itemsTableView = platform::make<QXIMArchiveTableView>(platform::Rect(0, 0, 500, 130));
    _itemsTableView->addTableColumn(platform::TableColumn::readOnlyColumn(
        "date", QXLS("msg.imarchive.column.date", "Date"), 240));
    _itemsTableView->addTableColumn(platform::TableColumn::readOnlyColumn(
        "type", QXLS("msg.imarchive.column.type", "Type"), 200));
    _itemsTableView->setAllowsMultipleSelection(true);
    _itemsTableView->setDataSource(this);
    _itemsTableView->setDelegate(this);
    _itemsScrollView = platform::make<platform::ScrollView>(platform::Rect(0, 0, 500, 130));
    _itemsScrollView->setHasVerticalScroller(true);
    _itemsScrollView->setDocumentView(_itemsTableView);
    content->addSubview(_itemsScrollView);

    _chatWebView = platform::make<platform::WebView>(platform::Rect(0, 0, 500, 300));
    _chatWebView->setFrameLoadDelegate(this);
    _chatWebView->setPolicyDelegate(this);
    _chatWebView->setUIDelegate(this);
    content->addSubview(_chatWebView);
    layout();
}

// Side by side: the parties keep their width (at least the minimum), the conversations and
// the transcript take the rest; the conversations keep their height above the transcript.
void IMArchiveWindowController::layout() {
    const auto size = _window->contentView()->bounds().size;
    const double top = size.height - kFilterRow;
    const bool filterBox = !_filterBox->isHidden();
    _filterBox->setFrame(platform::Rect(0, top, 200, kFilterRow));
    const double fieldX = filterBox ? 208 : 8;
    _filterTextField->setFrame(
        platform::Rect(fieldX, top + 6, std::max(60.0, size.width - fieldX - 8), 22));
    const double left =
        std::clamp(kContactsWidth, kMinimumPane, std::max(kMinimumPane, size.width - kMinimumPane));
    _contactsScrollView->setFrame(platform::Rect(0, 0, left, top));
    const double right = std::max(0.0, size.width - left - 1);
    const double itemsHeight = std::clamp(kItemsHeight, 0.0, std::max(0.0, top - kMinimumPane));
    _itemsScrollView->setFrame(platform::Rect(left + 1, top - itemsHeight, right, itemsHeight));
    _chatWebView->setFrame(
        platform::Rect(left + 1, 0, right, std::max(0.0, top - itemsHeight - 1)));
}

void IMArchiveWindowController::setupFilterMenu() {
    struct Kind {
        int code;
        const char* key;
        const char* english;
        const char* feature;
    };
    static const Kind kKinds[] = {
        {2, "msg.menuitem.imarchive.itemtype.im", "Instant Message", "instantMessagingEnabled"},
        {4, "msg.menuitem.imarchive.itemtype.sms", "Mobile Text Message", "textMessagingEnabled"},
        {3, "msg.menuitem.imarchive.itemtype.groupchat", "Group Chat", "groupChatEnabled"},
    };
    std::vector<const Kind*> enabled;
    for (const auto& kind : kKinds) {
        if (featureOn(kind.feature))
            enabled.push_back(&kind);
    }
    if (enabled.size() < 2) {
        _filterBox->setHidden(true);
        layout();
        return;
    }
    auto menu = std::make_shared<platform::Menu>("");
    auto add = [&](int code, std::string title) {
        auto item = menu->addItemWithTitle(std::move(title), "filterByCurrentTextAndType:", "");
        item->setTarget(this);
        item->setTag(code);
        item->setRepresentedObject(platform::Value(code));
    };
    add(0, QXLS("msg.menuitem.imarchive.itemtype.all", "All"));
    for (const Kind* kind : enabled)
        add(kind->code, QXLS(kind->key, kind->english));
    _filterTypeField->setMenu(menu);
    _filterTypeField->selectItemAtIndex(0);
    _filterType = 0;
    _filterBox->setHidden(false);
    layout();
}

bool IMArchiveWindowController::filterBoxHidden() const {
    return _filterBox->isHidden();
}

void IMArchiveWindowController::showWindow(platform::Object* /*sender*/) {
    _window->makeKeyAndOrderFront(nullptr);
}

void IMArchiveWindowController::windowWillClose(platform::Window& /*window*/) {
    SheetsTracker::sharedController().closeSheetsForCreator(this);
}

bool IMArchiveWindowController::respondsToAction(std::string_view action) const {
    return action == "filterByCurrentTextAndType:" || action == "filterTextChanged:" ||
           action == "deleteSelection:";
}

bool IMArchiveWindowController::tryToPerform(std::string_view action, platform::Object* sender) {
    if (action == "filterByCurrentTextAndType:") {
        const auto* item = dynamic_cast<platform::MenuItem*>(sender);
        if (!item) {
            if (const auto* button = dynamic_cast<platform::PopUpButton*>(sender))
                item = button->selectedItem();
        }
        filterByType(item ? static_cast<int>(item->tag()) : _filterType);
        return true;
    }
    if (action == "filterTextChanged:") {
        filterTextChanged();
        return true;
    }
    if (action == "deleteSelection:") {
        if (auto* table = dynamic_cast<platform::TableView*>(sender))
            deleteSelection(*table);
        return true;
    }
    return false;
}

// Filtering.

std::string IMArchiveWindowController::trimmedFilterText() const {
    return OrvantaExtensions::whitespaceAndNewlineTrimmed(_filterTextField->stringValue());
}

void IMArchiveWindowController::filterTextChanged() {
    runFilter();
}

void IMArchiveWindowController::filterByType(int type) {
    _filterType = type;
    runFilter();
}

void IMArchiveWindowController::controlTextDidChange(const platform::Notification& /*n*/) {
    filterTextChanged();
}

// The items come back through onArchiveItemAllUpdated.
void IMArchiveWindowController::runFilter() {
    clearChat();
    _items.clear();
    _itemsTableView->reloadData();
    const long row = _contactsTableView->selectedRow();
    if (row < 0 || row >= static_cast<long>(_contacts.size()))
        return;
    _filteredContact = _contacts[static_cast<std::size_t>(row)];
    _filteredContact->setDelegate(this);
    _filteredContact->filterForItemsOfType(_filterType, trimmedFilterText());
}

// Transcript.

std::string IMArchiveWindowController::highlightedHTML(std::string_view text,
                                                       std::string_view filter) {
    std::string html;
    if (filter.empty()) {
        html = "<span>" + escapedHTMLText(text) + "</span>";
        return html;
    }
    const std::string folded = foldedForMatching(text);
    const std::string needle = foldedForMatching(filter);
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t match = folded.find(needle, at);
        const std::size_t end = match == std::string::npos ? text.size() : match;
        if (end > at)
            html += "<span>" + escapedHTMLText(text.substr(at, end - at)) + "</span>";
        if (match == std::string::npos)
            break;
        html += "<span style=\"background: #ffff00;\">" + escapedHTMLText(filter) + "</span>";
        at = match + needle.size();
    }
    return html;
}

void IMArchiveWindowController::showChat(const std::string& content) {
    if (content.empty() || !_pageLoaded)
        return;
    auto& document = _chatWebView->mainFrameDocument();
    auto paras = document.getElementById("paras");
    if (!paras)
        return;
    paras.setInnerHTML(content);
    const std::string filter = trimmedFilterText();
    if (filter.empty())
        return;
    for (auto& font : document.getElementsByTagName("font")) {
        const std::string text = font.textContent();
        font.setInnerHTML(highlightedHTML(text, filter));
    }
}

void IMArchiveWindowController::clearChat() {
    if (!_pageLoaded)
        return;
    if (auto paras = _chatWebView->mainFrameDocument().getElementById("paras"))
        paras.setInnerHTML("<div id=\"paras\"></div>");
}

std::string IMArchiveWindowController::shownTranscript() const {
    if (!_pageLoaded)
        return {};
    auto paras = _chatWebView->mainFrameDocument().getElementById("paras");
    return paras ? paras.innerHTML() : std::string();
}

void IMArchiveWindowController::selectContactRow(long row) {
    _contactsTableView->selectRow(row, false);
    _contactsTableView->scrollRowToVisible(row);
}

void IMArchiveWindowController::refreshChat(platform::TableView& tableView) {
    if (&tableView == _contactsTableView.get()) {
        if (_contactsTableView->selectedRow() >= 0)
            runFilter();
        return;
    }
    if (_items.empty())
        return;
    long row = _itemsTableView->selectedRow();
    if (row < 0) {
        row = 0;
        _itemsTableView->selectRow(0, false);
        return; // the selection change shows it
    }
    if (row < static_cast<long>(_items.size()))
        showChat(_items[static_cast<std::size_t>(row)]->content());
}

// Tables.

long IMArchiveWindowController::numberOfRowsInTableView(platform::TableView& tableView) {
    return static_cast<long>(&tableView == _contactsTableView.get() ? _contacts.size()
                                                                    : _items.size());
}

platform::Value IMArchiveWindowController::tableViewObjectValueForTableColumn(
    platform::TableView& tableView, platform::TableColumn* column, long row) {
    if (row < 0)
        return {};
    if (&tableView == _contactsTableView.get()) {
        if (row >= static_cast<long>(_contacts.size()))
            return {};
        return platform::Value(_contacts[static_cast<std::size_t>(row)]->nameToDisplay());
    }
    if (row >= static_cast<long>(_items.size()) || !column)
        return {};
    const auto& item = _items[static_cast<std::size_t>(row)];
    if (column->identifier() == "type")
        return ArchiveItemTypeTransformer().transformedValue(platform::Value(item->type()));
    return platform::Value(
        stringFromDate(item->date(), DateFormatterStyle::Medium, DateFormatterStyle::Short));
}

void IMArchiveWindowController::tableViewSelectionDidChange(
    const platform::Notification& notification) {
    if (auto* table = dynamic_cast<platform::TableView*>(notification.object))
        refreshChat(*table);
}

void IMArchiveWindowController::tableViewDidClickTableColumn(platform::TableView& /*tableView*/,
                                                             platform::TableColumn& /*column*/) {
    refreshChat(*_contactsTableView);
}

bool IMArchiveWindowController::deleteSelection(QXIMArchiveTableView& tableView) {
    deleteSelection(static_cast<platform::TableView&>(tableView));
    return true;
}

// Deleting: a party's whole archive after asking; the last selected conversation at once.
void IMArchiveWindowController::deleteSelection(platform::TableView& tableView) {
    if (&tableView == _contactsTableView.get()) {
        const long row = _contactsTableView->selectedRow();
        if (row < 0 || row >= static_cast<long>(_contacts.size()) || _deleteSheet)
            return;
        auto contact = _contacts[static_cast<std::size_t>(row)];
        auto alert = platform::Alert::alert();
        alert->addButtonWithTitle(QXLS("msg.opt.dialog.button.yes", "Yes"));
        alert->addButtonWithTitle(QXLS("msg.opt.dialog.button.no", "No"));
        alert->setMessageText(QXLS("msg.opt.dialog.caption.WARNING", "Warning"));
        alert->setInformativeText(platform::formatString(
            QXLS("msg.opt.dialog.message.delete_archived_user", "Delete all the messages from %@?"),
            contact->nameToDisplay()));
        alert->setAlertStyle(platform::AlertStyle::Warning);
        std::weak_ptr<platform::Alert> weak = alert;
        alert->beginSheetModalForWindow(*_window, [this, weak, row, contact](int returnCode) {
            if (auto shown = weak.lock(); shown && shown->window()) {
                SheetsTracker::sharedController().deRegisterSheet(shown->window(), this);
                shown->window()->orderOut(nullptr);
            }
            _deleteSheet.reset();
            deleteContactAlertDidEnd(returnCode, row, contact);
        });
        if (platform::Panel* panel = alert->window(); panel && panel->isSheet()) {
            _deleteSheet = panel->sharedWindow();
            SheetsTracker::sharedController().registerSheet(_deleteSheet, this);
        }
        return;
    }
    const auto& rows = _itemsTableView->selectedRowIndexes();
    if (rows.empty())
        return;
    const long last = _itemsTableView->selectedRow();
    const long first = *rows.begin();
    if (last < 0 || last >= static_cast<long>(_items.size()))
        return;
    auto item = _items[static_cast<std::size_t>(last)];
    item->remove();
    if (first < static_cast<long>(_items.size()))
        _itemsTableView->selectRow(first, false);
    clearChat();
}

void IMArchiveWindowController::deleteContactAlertDidEnd(
    int returnCode, long row, const std::shared_ptr<ArchiveContact>& contact) {
    if (returnCode != platform::AlertFirstButtonReturn)
        return;
    contact->remove();
    const long rows = _contactsTableView->numberOfRows();
    if (row + 1 < rows)
        selectContactRow(row);
    else if (rows > 0)
        selectContactRow(0);
}

// Engine.

void IMArchiveWindowController::onArchiveContactAdded(
    const std::shared_ptr<ArchiveContact>& contact) {
    contact->setDelegate(this);
    _contacts.push_back(contact);
    _contactsTableView->reloadData();
}

void IMArchiveWindowController::onArchiveContactRemoved(
    const std::shared_ptr<ArchiveContact>& contact) {
    contact->removeDelegate(this);
    auto it = std::find(_contacts.begin(), _contacts.end(), contact);
    if (it == _contacts.end())
        return;
    // The selection stays on the party it was on, or goes when that party went.
    const long selected = _contactsTableView->selectedRow();
    const long removed = it - _contacts.begin();
    _contacts.erase(it);
    if (_filteredContact == contact) {
        _filteredContact.reset();
        _items.clear();
        _itemsTableView->reloadData();
        clearChat();
    }
    _contactsTableView->reloadData();
    if (selected == removed)
        _contactsTableView->deselectAll(nullptr);
    else if (selected > removed)
        _contactsTableView->selectRow(selected - 1, false);
}

void IMArchiveWindowController::onArchiveContactAllUpdated() {
    if (!_archiveService)
        return;
    for (const auto& contact : _archiveService->archiveContacts())
        contact->setDelegate(this);
    if (_contacts.empty() && !_archiveService->archiveContacts().empty()) {
        _contacts = _archiveService->archiveContacts();
        _contactsTableView->reloadData();
        if (_pageLoaded)
            selectContactRow(0);
    }
    applyHighlightContact();
}

void IMArchiveWindowController::onArchiveItemAdded(const std::shared_ptr<ArchiveItem>& item) {
    // Heard from the service and from the party alike: taken once.
    if (!_filteredContact || item->address() != _filteredContact->address() ||
        std::any_of(_items.begin(), _items.end(),
                    [&](const auto& shown) { return shown->itemID() == item->itemID(); }))
        return;
    // A conversation archived while the list shows: it comes in when it passes the filter.
    if (trimmedFilterText().empty() && (_filterType == 0 || _filterType == item->type() + 1)) {
        _items.push_back(item);
        _itemsTableView->reloadData();
    }
}

void IMArchiveWindowController::onArchiveItemRemoved(const std::shared_ptr<ArchiveItem>& item) {
    auto it = std::find_if(_items.begin(), _items.end(),
                           [&](const auto& shown) { return shown->itemID() == item->itemID(); });
    if (it == _items.end())
        return;
    // The selected rows follow their items.
    std::vector<std::shared_ptr<ArchiveItem>> selected;
    for (long row : _itemsTableView->selectedRowIndexes()) {
        if (row < static_cast<long>(_items.size()) && _items[static_cast<std::size_t>(row)] != *it)
            selected.push_back(_items[static_cast<std::size_t>(row)]);
    }
    _items.erase(it);
    _itemsTableView->reloadData();
    if (_items.empty()) {
        clearChat();
        return;
    }
    platform::IndexSet rows;
    for (const auto& keep : selected)
        rows.insert(std::find(_items.begin(), _items.end(), keep) - _items.begin());
    _itemsTableView->selectRowIndexes(rows, false);
}

void IMArchiveWindowController::onArchiveItemAllUpdated() {
    if (_filteredContact) {
        _items = _filteredContact->archiveItems();
        _itemsTableView->reloadData();
        if (!_items.empty()) {
            _itemsTableView->deselectAll(nullptr);
            _itemsTableView->selectRow(0, false);
        }
    }
    applyHighlightContact();
}

// The highlight contact: the first of its fields that an archived party answers to.
void IMArchiveWindowController::showChatsFor(std::shared_ptr<OVEntity> contact) {
    _highlightContact = std::move(contact);
    applyHighlightContact();
}

void IMArchiveWindowController::applyHighlightContact() {
    if (_contacts.empty())
        return;
    if (!_highlightAddress.empty())
        showChatsForAddress(std::exchange(_highlightAddress, {}));
    if (!_highlightContact)
        return;
    const bool pab = featureOn("allow_pab");
    const bool connect = featureOn("connectServiceEnabled");
    auto withoutSip = [](std::string_view address) {
        return std::string(address.substr(address.rfind("sip:", 0) == 0 ? 4 : 0));
    };
    const auto& name = _highlightContact->displayName();
    for (const auto& field : _highlightContact->fields()) {
        for (std::size_t row = 0; row < _contacts.size(); ++row) {
            const auto& party = *_contacts[row];
            const bool match =
                pab ? party.nameToDisplay() == name ||
                          withoutSip(field->valueStr()) == withoutSip(party.address())
                    : field->valueStr() == party.address() ||
                          (connect && party.nameToDisplay() == name);
            if (match) {
                _highlightContact.reset();
                selectContactRow(static_cast<long>(row));
                return;
            }
        }
    }
}

void IMArchiveWindowController::showChatsForAddress(const std::string& address) {
    // The parties arrive on a later pass: a window just made selects the party then.
    if (_contacts.empty()) {
        _highlightAddress = address;
        return;
    }
    for (std::size_t row = 0; row < _contacts.size(); ++row) {
        if (_contacts[row]->address() == ArchiveService::archiveKey(address)) {
            selectContactRow(static_cast<long>(row));
            return;
        }
    }
}

// Page.

void IMArchiveWindowController::webViewDidFinishLoad(platform::WebView& /*sender*/,
                                                     const std::string& /*url*/) {
    _pageLoaded = true;
    if (_contacts.empty())
        return;
    if (_contactsTableView->selectedRow() < 0)
        selectContactRow(0);
    else if (!_items.empty())
        refreshChat(*_itemsTableView);
    applyHighlightContact();
}

platform::WebPolicyDecision IMArchiveWindowController::webViewDecidePolicyForNavigationAction(
    platform::WebView& /*sender*/, const platform::WebNavigationAction& action) {
    if (action.navigationType == platform::WebNavigationType::Other)
        return platform::WebPolicyDecision::Use;
    if (action.navigationType == platform::WebNavigationType::LinkClicked)
        platform::Workspace::sharedWorkspace().openURL(action.url, [](const std::string&) {});
    return platform::WebPolicyDecision::Ignore;
}

platform::WebPolicyDecision IMArchiveWindowController::webViewDecidePolicyForNewWindowAction(
    platform::WebView& /*sender*/, const platform::WebNavigationAction& action,
    const std::string& /*frameName*/) {
    platform::Workspace::sharedWorkspace().openURL(action.url, [](const std::string&) {});
    return platform::WebPolicyDecision::Ignore;
}

std::vector<std::shared_ptr<platform::MenuItem>>
IMArchiveWindowController::webViewContextMenuItemsForElement(
    platform::WebView& /*sender*/, const platform::WebElementInfo& /*element*/,
    std::vector<std::shared_ptr<platform::MenuItem>> defaultMenuItems) {
    static const long kDropped[] = {1, 2, 4, 5, 7, 9, 10, 11, 12, 19, 2000};
    std::erase_if(defaultMenuItems, [](const auto& item) {
        return std::find(std::begin(kDropped), std::end(kDropped), item->tag()) !=
               std::end(kDropped);
    });
    return defaultMenuItems;
}
