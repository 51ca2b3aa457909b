#include "app/contacts/ContactImportWindowController.h"

#include "app/core/AppController.h"
#include "app/core/ContactImportExportController.h"
#include "app/core/SheetsTracker.h"
#include "engine/FeaturesService.h"
#include "engine/OVContactManager.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Button.h"
#include "platform/kit/ButtonCell.h"
#include "platform/kit/OpenPanel.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/TableColumn.h"
#include "platform/kit/TextField.h"
#include "support/Localization.h"

#include <algorithm>

namespace {

constexpr std::string_view kChosenFolderKey = "contactImport.addressBookFolder";

std::shared_ptr<ContactImportWindowController>& current() {
    static std::shared_ptr<ContactImportWindowController> controller;
    return controller;
}

bool& running() {
    static bool flag = false;
    return flag;
}

bool feature(std::string_view name) {
    const auto features = StartupService::instance().featuresService();
    return features && features->featureAvailable(name);
}

std::string formatted(std::string format, std::initializer_list<std::string> values) {
    for (const auto& value : values) {
        if (const auto at = format.find("%@"); at != std::string::npos) {
            format.replace(at, 2, value);
        }
    }
    return format;
}

// The contact field a phone number of that label goes to.
std::string_view fieldForPhoneLabel(std::string_view label, bool pager) {
    if (label == platform::AddressBookHomeLabel)
        return OVField::fieldHomeNum;
    if (label == platform::AddressBookWorkLabel)
        return OVField::fieldWorkNum;
    if (label == platform::AddressBookMobileLabel)
        return OVField::fieldMobileNum;
    if (label == platform::AddressBookHomeFaxLabel || label == platform::AddressBookWorkFaxLabel)
        return OVField::fieldFaxNum;
    if (label == platform::AddressBookPagerLabel && pager)
        return OVField::fieldPagerNum;
    if (label == platform::AddressBookSoftphoneLabel)
        return OVField::fieldSoftphone;
    if (label == platform::AddressBookJidLabel)
        return OVField::fieldJidAddr;
    return OVField::fieldOtherAddress;
}

// The account of the personal address book. The engine keeps no such account, so an import
// into the personal address book cannot run.
bool personalAddressBookAccount() {
    return false;
}

} // namespace

// Opening and closing.

std::shared_ptr<ContactImportWindowController>
ContactImportWindowController::initWithParams(bool eraseExistingContacts, long presenceOption,
                                              std::unique_ptr<platform::AddressBook> book) {
    if (running() && current()) {
        if (platform::Window* window = current()->window()) {
            window->makeKeyAndOrderFront(nullptr);
        }
        return nullptr;
    }
    if (!book) {
        book = platform::AddressBook::system(chosenFolder());
    }
    auto controller = std::make_shared<ContactImportWindowController>(
        eraseExistingContacts, presenceOption, std::move(book));
    SheetsTracker::sharedController().closeAllSheets();
    running() = true;
    controller->window()->makeKeyAndOrderFront(nullptr);
    current() = controller;
    return controller;
}

ContactImportWindowController* ContactImportWindowController::instance() {
    return current().get();
}

bool ContactImportWindowController::isMacAddressBookImportRunning() {
    return running();
}

void ContactImportWindowController::install() {
    ContactImportExportController::setAddressBookImport(
        [](bool replace, long presenceOption) { initWithParams(replace, presenceOption); });
}

std::optional<std::filesystem::path> ContactImportWindowController::chosenFolder() {
    auto folder = platform::UserDefaults::standardUserDefaults().stringForKey(kChosenFolderKey);
    if (!folder || folder->empty()) {
        return std::nullopt;
    }
    return std::filesystem::path(*folder);
}

void ContactImportWindowController::setChosenFolder(const std::filesystem::path& folder) {
    auto& defaults = platform::UserDefaults::standardUserDefaults();
    if (folder.empty()) {
        defaults.removeObjectForKey(kChosenFolderKey);
    } else {
        defaults.setString(kChosenFolderKey, folder.string());
    }
}

ContactImportWindowController::ContactImportWindowController(
    bool eraseExistingContacts, long presenceOption, std::unique_ptr<platform::AddressBook> book)
    : _eraseExistingContacts(eraseExistingContacts), _presenceOption(presenceOption) {
    buildWindow();
    if (book) {
        showAddressBook(*book);
    }
}

void ContactImportWindowController::showAddressBook(const platform::AddressBook& book) {
    auto contents = book.people();
    _people = std::move(contents.people);
    _select.assign(_people.size(), true);
    _skipped = std::move(contents.skipped);
    if (contents.failure) {
        _skipped.insert(_skipped.begin(), *contents.failure);
    }
    std::string text = QXLS("msg.import.addressbook.skipped", "Left out (cannot be read):");
    for (const auto& entry : _skipped) {
        platform::Logf("Contacts: left out of the address-book import: %@", entry);
        text += "\n" + entry;
    }
    _skippedTextField->setStringValue(text);
    _skippedTextField->setHidden(_skipped.empty());
    _captionTextField->setStringValue(
        formatted(QXLS("msg.import.addressbook.caption", "Choose the people to import from %@:"),
                  {book.location()}));
    _selectAllButton->setState(_people.empty() ? platform::OffState : platform::OnState);
    _contactTableView->reloadData();
    updateImportButton();
}

void ContactImportWindowController::chooseFolder() {
    if (_folderPanel) {
        return;
    }
    _folderPanel = platform::OpenPanel::openPanel();
    _folderPanel->setCanChooseFiles(false);
    _folderPanel->setCanChooseDirectories(true);
    _folderPanel->beginSheetModalForWindow(*_window, [this](int result) {
        const auto chosen = _folderPanel->filename();
        // The panel goes on the next pass, after its own call has returned.
        platform::RunLoop::main().performAfterDelay(0, [panel = std::move(_folderPanel)] {});
        if (result != platform::FileHandlingPanelOKButton || chosen.empty()) {
            return;
        }
        setChosenFolder(chosen);
        showAddressBook(*platform::AddressBook::vCardFolder(chosen));
    });
}

ContactImportWindowController::~ContactImportWindowController() {
    _window->setDelegate(nullptr);
    _contactTableView->setDataSource(nullptr);
}

void ContactImportWindowController::buildWindow() {
    constexpr double width = 420, height = 440;
    _window = platform::make<platform::Window>(
        platform::Rect(0, 0, width, height),
        platform::TitledWindowMask | platform::ClosableWindowMask | platform::ResizableWindowMask);
    _window->setReleasedWhenClosed(false);
    _window->setTitle(QXLS("msg.import.addressbook.title", "Import from Address Book"));
    _window->setDelegate(this);
    auto content = std::make_shared<platform::View>(platform::Rect(0, 0, width, height));

    const auto label = [](const platform::Rect& frame) {
        auto field = platform::TextField::labelWithString({}, frame);
        field->setSelectable(true);
        return field;
    };
    _captionTextField = label(platform::Rect(16, height - 40, width - 32, 22));
    _captionTextField->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewMinYMargin);

    _selectAllButton =
        std::make_shared<platform::Button>(platform::Rect(16, height - 68, width - 32, 20));
    _selectAllButton->setButtonType(platform::SwitchButton);
    _selectAllButton->setTitle(QXLS("msg.import.addressbook.selectall", "Select All"));
    _selectAllButton->setAction("selectAllToggle:");
    _selectAllButton->setTarget(this);
    _selectAllButton->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewMinYMargin);

    auto scroll =
        std::make_shared<platform::ScrollView>(platform::Rect(16, 106, width - 32, height - 182));
    scroll->setHasVerticalScroller(true);
    scroll->setAutoresizingMask(platform::ViewWidthSizable | platform::ViewHeightSizable);
    _contactTableView =
        platform::make<platform::TableView>(platform::Rect(0, 0, width - 34, height - 184));
    auto select = std::make_shared<platform::TableColumn>("select");
    select->setWidth(24);
    auto check = std::make_shared<platform::ButtonCell>();
    check->setButtonType(platform::SwitchButton);
    check->setTitle("");
    select->setDataCell(check);
    select->setEditable(true);
    auto contact = std::make_shared<platform::TableColumn>("contact");
    contact->setWidth(width - 64);
    contact->setEditable(false);
    _contactTableView->addTableColumn(select);
    _contactTableView->addTableColumn(contact);
    _contactTableView->setHeaderView(nullptr);
    _contactTableView->setDataSource(this);
    scroll->setDocumentView(_contactTableView);

    _skippedTextField = label(platform::Rect(16, 50, width - 32, 52));
    _skippedTextField->setAutoresizingMask(platform::ViewWidthSizable);
    _skippedTextField->setHidden(true);

    _chooseFolderButton = std::make_shared<platform::Button>(platform::Rect(16, 12, 130, 28));
    _chooseFolderButton->setTitle(QXLS("msg.import.addressbook.choosefolder", "Choose Folder..."));
    _chooseFolderButton->setAction("chooseFolder:");
    _chooseFolderButton->setTarget(this);
    _importButton = std::make_shared<platform::Button>(platform::Rect(width - 112, 12, 96, 28));
    _importButton->setTitle(QXLS("msg.import.addressbook.import", "Import"));
    _importButton->setKeyEquivalent("\r");
    _importButton->setAction("Import:");
    _importButton->setTarget(this);
    _importButton->setAutoresizingMask(platform::ViewMinXMargin);
    _cancelButton = std::make_shared<platform::Button>(platform::Rect(width - 216, 12, 96, 28));
    _cancelButton->setTitle(QXLS("msg.opt.dialog.button.cancel", "Cancel"));
    _cancelButton->setKeyEquivalent("\x1b");
    _cancelButton->setAction("cancel:");
    _cancelButton->setTarget(this);
    _cancelButton->setAutoresizingMask(platform::ViewMinXMargin);

    for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
             _captionTextField, _selectAllButton, scroll, _skippedTextField, _chooseFolderButton,
             _importButton, _cancelButton}) {
        content->addSubview(view);
    }
    _window->setContentView(content);
    _window->center();
    updateImportButton();
}

void ContactImportWindowController::cancel() {
    _window->close();
}

void ContactImportWindowController::windowWillClose(platform::Window&) {
    running() = false;
    if (current().get() == this) {
        // Released on a later pass: the window is still closing.
        auto self = std::move(current());
        platform::RunLoop::main().performAfterDelay(0, [self] {});
    }
}

void ContactImportWindowController::finish(bool success, int count) {
    _window->close();
    if (AppController* app = AppController::sharedAppController()) {
        app->contactImportExportController().contactsImported(success, count);
    }
}

// The rows.

std::string ContactImportWindowController::labelForPerson(const platform::AddressBookPerson& p) {
    const std::string first = platform::trimmedWhitespace(p.firstName);
    const std::string last = platform::trimmedWhitespace(p.lastName);
    const std::string nick = platform::trimmedWhitespace(p.nickname);
    const std::string organization = platform::trimmedWhitespace(p.organization);
    if (!first.empty() && !last.empty() && !nick.empty())
        return first + " " + last + ", " + nick;
    if (!first.empty() && !nick.empty())
        return first + ", " + nick;
    if (!last.empty() && !nick.empty())
        return last + ", " + nick;
    if (!first.empty() && !last.empty())
        return first + " " + last;
    if (!nick.empty())
        return nick;
    if (!first.empty())
        return first;
    if (!last.empty())
        return last;
    if (!organization.empty())
        return organization;
    const std::string notSet = QXLS("msg.import.addressbook.notset", "Not set");
    if (!p.phones.empty())
        return notSet + " (" + p.phones.front().second + ")";
    if (!p.emails.empty())
        return notSet + " (" + p.emails.front().second + ")";
    return notSet;
}

std::optional<ContactRecord>
ContactImportWindowController::recordForPerson(const platform::AddressBookPerson& p,
                                               const std::string& group, bool pager) {
    ContactRecord record;
    const std::string first = platform::trimmedWhitespace(p.firstName);
    const std::string last = platform::trimmedWhitespace(p.lastName);
    if (!first.empty())
        record.assignField(OVField::fieldFirstName, first);
    if (!last.empty())
        record.assignField(OVField::fieldLastName, last);
    if (const std::string nick = platform::trimmedWhitespace(p.nickname); !nick.empty())
        record.displayName = nick;
    else if (!first.empty() && !last.empty())
        record.displayName = first + ", " + last;
    else if (!first.empty())
        record.displayName = first;
    else if (!last.empty())
        record.displayName = last;
    else if (!p.nickname.empty())
        record.displayName = p.nickname;
    else if (!p.organization.empty())
        record.displayName = platform::trimmedWhitespace(p.organization);
    for (const auto& [label, number] : p.phones)
        record.assignField(fieldForPhoneLabel(label, pager), platform::trimmedWhitespace(number));
    for (const auto& [label, address] : p.emails)
        record.assignField(OVField::fieldEmailAddr, platform::trimmedWhitespace(address));
    if (record.fields.empty())
        return std::nullopt;
    record.groups = {group};
    return record;
}

long ContactImportWindowController::numberOfRowsInTableView(platform::TableView&) {
    return static_cast<long>(_people.size());
}

platform::Value ContactImportWindowController::tableViewObjectValueForTableColumn(
    platform::TableView&, platform::TableColumn* column, long row) {
    if (!column || row < 0 || row >= static_cast<long>(_people.size())) {
        return {};
    }
    if (column->identifier() == "select") {
        return platform::Value(static_cast<long>(_select[static_cast<std::size_t>(row)] ? 1 : 0));
    }
    if (column->identifier() == "contact") {
        return platform::Value(labelForPerson(_people[static_cast<std::size_t>(row)]));
    }
    return {};
}

bool ContactImportWindowController::tableViewSetObjectValue(platform::TableView&,
                                                            const platform::Value& value,
                                                            platform::TableColumn* column,
                                                            long row) {
    if (column && column->identifier() == "select" && row >= 0 &&
        row < static_cast<long>(_select.size())) {
        const bool on = value.intValue() != 0;
        _select[static_cast<std::size_t>(row)] = on;
        if (!on) {
            _selectAllButton->setState(platform::OffState);
        }
    }
    updateImportButton();
    return true;
}

void ContactImportWindowController::updateImportButton() {
    _importButton->setEnabled(std::find(_select.begin(), _select.end(), true) != _select.end());
}

void ContactImportWindowController::selectAllToggle() {
    const bool on = _selectAllButton->state() == platform::OnState;
    std::fill(_select.begin(), _select.end(), on);
    _importButton->setEnabled(on && !_select.empty());
    _contactTableView->reloadData();
}

// Importing.

void ContactImportWindowController::Import() {
    _window->orderOut(nullptr);
    const auto phone = StartupService::instance().phoneService();
    const auto manager = phone ? phone->getContactManager() : nullptr;
    const bool pab = feature("allow_pab");
    // Everything the import needs is checked before anything is deleted: a failure leaves
    // the contacts as they are.
    if (!manager || !manager->hasSession()) {
        finish(false, 0);
        return;
    }
    if (pab && !personalAddressBookAccount()) {
        platform::Log("Contacts: the personal address book has no account; nothing imported");
        finish(false, 0);
        return;
    }
    const std::string group = QXLS("msg.import.defaultGroupName", "Imported Contacts");
    const bool pager = feature("contact_method_pager");
    std::vector<ContactRecord> records;
    for (std::size_t i = 0; i < _people.size(); ++i) {
        if (!_select[i]) {
            continue;
        }
        auto record = recordForPerson(_people[i], group, pager);
        if (!record || (pab && !record->field(OVField::fieldSoftphone))) {
            continue;
        }
        if (pab) {
            record->fields.emplace_back(
                "Show Availability", _presenceOption == 1 ? std::string(OVField::fieldValueTrue)
                                                          : std::string(OVField::fieldValueFalse));
        }
        records.push_back(std::move(*record));
    }
    const auto result =
        manager->importRecords(records, _eraseExistingContacts,
                               pab ? std::optional<bool>(_presenceOption == 1) : std::nullopt);
    if (const auto* error = std::get_if<std::string>(&result)) {
        platform::Logf("Contacts: the address-book import failed: %@", *error);
        finish(false, 0);
        return;
    }
    finish(true, std::get<int>(result));
}

bool ContactImportWindowController::respondsToAction(std::string_view action) const {
    return action == "selectAllToggle:" || action == "Import:" || action == "cancel:" ||
           action == "chooseFolder:";
}

bool ContactImportWindowController::tryToPerform(std::string_view action, platform::Object*) {
    // The window may close (and this controller go) inside the action.
    auto keep = current();
    if (action == "selectAllToggle:") {
        selectAllToggle();
    } else if (action == "Import:") {
        Import();
    } else if (action == "cancel:") {
        cancel();
    } else if (action == "chooseFolder:") {
        chooseFolder();
    } else {
        return false;
    }
    return true;
}
