#include "app/messaging/IMBroadcastWindowController.h"

#include "app/core/DeferredRelease.h"
#include "app/messaging/ChatMessageHTML.h"
#include "app/messaging/ChatSmileys.h"
#include "engine/OVContactManager.h"
#include "engine/OVIMService.h"
#include "engine/PresenceService.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Application.h"
#include "platform/kit/Button.h"
#include "platform/kit/ButtonCell.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/Panel.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/TableColumn.h"
#include "platform/kit/TextField.h"
#include "support/Localization.h"
#include "support/Notifications.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr double kInset = 7;
constexpr double kTitleRow = 24;
constexpr double kRecipientsHeight = 110;
constexpr double kButtonRow = 26;
constexpr double kStateRow = 18;
constexpr double kInputMinimum = 20;

std::vector<std::shared_ptr<IMBroadcastWindowController>>& openList() {
    static std::vector<std::shared_ptr<IMBroadcastWindowController>> controllers;
    return controllers;
}

std::shared_ptr<PhoneService> phone() {
    return StartupService::instance().phoneService();
}

std::shared_ptr<platform::TextField> label(const platform::Rect& frame, double size = 11) {
    return platform::TextField::labelWithString("", frame, platform::Font::systemFontOfSize(size));
}

std::shared_ptr<platform::Button> button(const platform::Rect& frame, std::string title,
                                         std::string action, platform::ActionTarget* target,
                                         int type = platform::MomentaryLightButton) {
    auto b = platform::make<platform::Button>(frame);
    b->setTitle(std::move(title));
    b->setButtonType(type);
    b->setTarget(target);
    b->setAction(std::move(action));
    return b;
}

bool byDisplayName(const std::shared_ptr<OVEntity>& a, const std::shared_ptr<OVEntity>& b) {
    return platform::lowercase(a->displayName()) < platform::lowercase(b->displayName());
}

} // namespace

// Recipients and the message.

std::vector<BroadcastRecipient> IMBroadcastWindowController::buildRecipientList(
    const std::vector<std::shared_ptr<OVEntity>>& contacts, bool isSms) {
    std::vector<BroadcastRecipient> list;
    for (const auto& contact : contacts) {
        if (!contact || !contact->hasParentEntities()) {
            continue;
        }
        const auto addresses = isSms ? contact->smsAddresses() : contact->imAddresses();
        if (addresses.empty()) {
            continue;
        }
        auto field = contact->getPrimary(isSms ? OVField::fieldPrimaryTypeSMS
                                               : OVField::fieldPrimaryTypePresence);
        if (!field || field->valueStr().empty() ||
            std::find(addresses.begin(), addresses.end(), field) == addresses.end()) {
            field = addresses.front();
        }
        const std::string& shown = field->valueStrToDisplay();
        if (std::any_of(list.begin(), list.end(),
                        [&](const BroadcastRecipient& r) { return r.address == shown; })) {
            continue;
        }
        BroadcastRecipient recipient;
        recipient.contact = contact;
        recipient.type = field->name() == OVField::fieldMobileNum ? BroadcastRecipient::typeMobile
                         : field->name() == OVField::fieldJidAddr ? BroadcastRecipient::typeXmpp
                                                                  : BroadcastRecipient::typeOther;
        recipient.address = shown;
        recipient.addressWithProtocol = field->valueStr();
        list.push_back(std::move(recipient));
    }
    std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) {
        return byDisplayName(a.contact, b.contact);
    });
    return list;
}

IMBroadcastWindowController::Message
IMBroadcastWindowController::composedMessage(const platform::AttributedString& input) {
    if (chat_html::trimmed(input).empty()) {
        return {};
    }
    // The text is sent as typed, blanks and all, behind the plain prefix.
    platform::AttributedString text = input;
    text.insertAttributedString(platform::AttributedString("[Broadcast] "), 0);
    return {chat_html::escapeMarkup(text.string()),
            chat_html::formSimpleHTML(text, chat_html::broadcastHTMLSettings())};
}

bool IMBroadcastWindowController::matchesSearch(std::string_view displayName,
                                                std::string_view text) {
    if (text.empty()) {
        return true;
    }
    const std::string name = platform::lowercase(displayName);
    const std::string wanted = platform::lowercase(text);
    for (std::size_t at = name.find(wanted); at != std::string::npos;
         at = name.find(wanted, at + 1)) {
        if (at == 0 || name[at - 1] == ' ') {
            return true;
        }
    }
    return false;
}

// Lifetime.

std::shared_ptr<IMBroadcastWindowController> IMBroadcastWindowController::initWithBroadcast(
    const std::vector<std::shared_ptr<OVEntity>>& contacts, bool isSms) {
    auto p = phone();
    if (!p || !p->getIMService()) {
        return nullptr;
    }
    auto controller = std::make_shared<IMBroadcastWindowController>(Key(), contacts, isSms);
    openList().push_back(controller);
    std::weak_ptr<IMBroadcastWindowController> weak = controller;
    auto& center = platform::NotificationCenter::defaultCenter();
    center.addObserver(controller.get(), ContactChangedNotification, nullptr,
                       [weak](const platform::Notification&) {
                           if (auto self = weak.lock()) {
                               self->contactChanged();
                           }
                       });
    center.addObserver(controller.get(), ApplicationShutdownNotification, nullptr,
                       [weak](const platform::Notification&) {
                           if (auto self = weak.lock()) {
                               self->shouldClose();
                           }
                       });
    controller->_window->makeKeyAndOrderFront(nullptr);
    controller->_window->makeFirstResponder(controller->_composer->inputView());
    return controller;
}

const std::vector<std::shared_ptr<IMBroadcastWindowController>>&
IMBroadcastWindowController::openControllers() {
    return openList();
}

void IMBroadcastWindowController::closeAll() {
    const auto controllers = openList();
    for (const auto& controller : controllers) {
        controller->shouldClose();
    }
    openList().clear();
}

IMBroadcastWindowController::IMBroadcastWindowController(
    Key /*key*/, const std::vector<std::shared_ptr<OVEntity>>& contacts, bool isSms)
    : _isSms(isSms), _window(platform::make<platform::Window>(
                         platform::Rect(0, 0, 440, 400),
                         platform::TitledWindowMask | platform::ClosableWindowMask |
                             platform::MiniaturizableWindowMask | platform::ResizableWindowMask)) {
    auto p = phone();
    _messenger = p->getIMService()->broadcastMessenger(isSms);
    _session = p->getContactManager()->getContacts();
    _session->setResolveMulticontacts(true);
    _session->start();
    buildWindow();
    buildPicker();
    _window->setMinSize(platform::Size(360, 300));
    _window->setTitle(QXLS("msg.im_broadcast.chat.title", "Broadcast Instant Message"));
    _titleLabel->setStringValue(QXLS("msg.im_broadcast.dialog.title",
                                     "Select contacts to send broadcast instant text message"));
    setRecipients(buildRecipientList(contacts, isSms));
    visualUpdate();
    _window->setDelegate(this);
}

IMBroadcastWindowController::~IMBroadcastWindowController() {
    platform::NotificationCenter::defaultCenter().removeObserver(this);
    if (_session) {
        _session->stop();
    }
    _window->setDelegate(nullptr);
    for (const auto& table : {_recipientTable, _contactTable}) {
        table->setDataSource(nullptr);
        table->setDelegate(nullptr);
    }
    for (const auto& b : {_addRecipientsButton, _selectAllBox}) {
        b->setTarget(nullptr);
    }
    _picker->orderOut(nullptr);
    _window->orderOut(nullptr);
}

void IMBroadcastWindowController::buildWindow() {
    auto* content = _window->contentView();
    _titleLabel = label(platform::Rect(0, 0, 100, 18), 12);
    _recipientTable = platform::make<platform::TableView>(platform::Rect(0, 0, 300, 100));
    for (const auto& [identifier, width] :
         {std::pair{"displayName", 180.0}, std::pair{"address", 200.0}}) {
        auto column = std::make_shared<platform::TableColumn>(identifier);
        column->setWidth(width);
        column->setEditable(false);
        _recipientTable->addTableColumn(column);
    }
    _recipientTable->setHeaderView(nullptr);
    _recipientTable->setDataSource(this);
    _recipientTable->setDelegate(this);
    _recipientScrollView = platform::make<platform::ScrollView>(platform::Rect(0, 0, 300, 100));
    _recipientScrollView->setHasVerticalScroller(true);
    _recipientScrollView->setDocumentView(_recipientTable);
    _addRecipientsButton =
        button(platform::Rect(0, 0, 110, 24),
               QXLS("msg.im_broadcast.add_recipients", "Recipients..."), "updateRecipients:", this);

    _buttonView = platform::make<platform::View>(platform::Rect(0, 0, 200, kButtonRow));
    _composer = std::make_unique<ChatComposer>(
        ChatComposer::Options{.sms = _isSms}, [this] { sendUserInput(); },
        [this] { textChanged(); });
    // Bold, italic and underline side by side, the smileys a little apart.
    double x = 0;
    for (const auto& view : _composer->formattingControls()) {
        const bool smileys = view.get() == _composer->smileyButton();
        view->setFrameOrigin(platform::Point(smileys ? x + 2 : x, 2));
        x += view->frame().width() + 2;
        _buttonView->addSubview(view);
    }
    _composer->sendButton()->setButtonType(platform::MomentaryLightButton);
    for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
             _titleLabel, _recipientScrollView, _addRecipientsButton, _buttonView,
             _composer->inputScrollView(), _composer->sendButton(), _composer->stateLabel()}) {
        content->addSubview(view);
    }
}

void IMBroadcastWindowController::buildPicker() {
    _picker =
        platform::make<platform::Panel>(platform::Rect(0, 0, 340, 320), platform::TitledWindowMask);
    auto* content = _picker->contentView();
    _searchField = platform::make<platform::TextField>(platform::Rect(12, 284, 316, 24));
    _searchField->setPlaceholderString(QXLS("msg.im_broadcast.search", "Search"));
    _searchField->setTarget(this);
    _searchField->setAction("searchChanged:");
    _selectAllBox =
        button(platform::Rect(12, 256, 200, 20), QXLS("msg.im_broadcast.select_all", "Select All"),
               "selectAllToggle:", this, platform::SwitchButton);
    _contactTable = platform::make<platform::TableView>(platform::Rect(0, 0, 316, 200));
    auto check = std::make_shared<platform::TableColumn>("selected");
    auto cell = std::make_shared<platform::ButtonCell>("");
    cell->setButtonType(platform::SwitchButton);
    check->setDataCell(cell);
    check->setWidth(20);
    _contactTable->addTableColumn(check);
    auto name = std::make_shared<platform::TableColumn>("displayName");
    name->setWidth(290);
    name->setEditable(false);
    _contactTable->addTableColumn(name);
    _contactTable->setHeaderView(nullptr);
    _contactTable->setDataSource(this);
    _contactTable->setDelegate(this);
    auto scroll = platform::make<platform::ScrollView>(platform::Rect(12, 48, 316, 200));
    scroll->setHasVerticalScroller(true);
    scroll->setDocumentView(_contactTable);
    auto select = button(platform::Rect(248, 12, 80, 28), QXLS("msg.im_broadcast.select", "Select"),
                         "pickContactsSelect:", this);
    auto cancel =
        button(platform::Rect(160, 12, 80, 28), QXLS("msg.opt.dialog.button.cancel", "Cancel"),
               "pickContactsCancel:", this);
    for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
             _searchField, _selectAllBox, scroll, select, cancel}) {
        content->addSubview(view);
    }
}

void IMBroadcastWindowController::layout() {
    const auto size = _window->contentView()->bounds().size;
    const bool buttons = !_buttonView->isHidden();
    double top = size.height - kInset;
    _titleLabel->setFrame(platform::Rect(kInset, top - 18, size.width - 2 * kInset, 18));
    top -= kTitleRow;
    _recipientScrollView->setFrame(platform::Rect(kInset, top - kRecipientsHeight,
                                                  size.width - 2 * kInset, kRecipientsHeight));
    top -= kRecipientsHeight + 4;
    _addRecipientsButton->setFrameOrigin(platform::Point(kInset, top - 24));
    top -= 28;
    if (buttons) {
        _buttonView->setFrame(platform::Rect(kInset, top - kButtonRow, 200, kButtonRow));
        top -= kButtonRow;
    }
    // The input takes the rest of the window, above the chat state line.
    const double bottom = kStateRow + 4;
    const double height = std::max(kInputMinimum + 10, top - 4 - bottom);
    const auto& scroll = _composer->inputScrollView();
    scroll->setFrame(platform::Rect(kInset, top - 4 - height,
                                    std::max(0.0, size.width - 2 * kInset - 78), height));
    // The text wraps at the input's width, not at the width it was made with.
    auto* input = _composer->inputView();
    input->setFrameSize(platform::Size(std::max(0.0, scroll->frame().width() - 16),
                                       std::max(input->frame().height(), height)));
    _composer->sendButton()->setFrameOrigin(
        platform::Point(size.width - kInset - 70, top - 4 - 24));
    _composer->stateLabel()->setFrame(
        platform::Rect(kInset, 2, size.width - 2 * kInset, kStateRow));
}

void IMBroadcastWindowController::visualUpdate() {
    if (_isSms && !_smsLayoutDone && !_buttonView->isHidden()) {
        _smsLayoutDone = true;
        _buttonView->setHidden(true);
        auto frame = _window->frame();
        frame.size = _window->minSize();
        _window->setFrame(frame, false);
        _window->setTitle(
            QXLS("msg.sms_broadcast.chat.title", "Broadcast Mobile Text Message [SMS]"));
        _titleLabel->setStringValue(QXLS("msg.sms_broadcast.dialog.title",
                                         "Select contacts to send broadcast mobile text message"));
        _window->setShowsResizeIndicator(false);
    }
    layout();
}

void IMBroadcastWindowController::setRecipients(std::vector<BroadcastRecipient> recipients) {
    _recipients = std::move(recipients);
    _recipientTable->reloadData();
    _messenger->updateRecipients(_recipients);
    updateControls();
}

void IMBroadcastWindowController::updateControls() {
    _composer->inputView()->setEditable(!_recipients.empty());
    _composer->sendButton()->setEnabled(!_recipients.empty() && _composer->hasText());
}

platform::TextView* IMBroadcastWindowController::inputView() const {
    return _composer->inputView();
}

bool IMBroadcastWindowController::isInputEditable() const {
    return _composer->inputView()->isEditable();
}

bool IMBroadcastWindowController::isSendEnabled() const {
    return _composer->sendButton()->isEnabled();
}

std::string IMBroadcastWindowController::chatStateText() const {
    return _composer->stateText();
}

std::string IMBroadcastWindowController::titleLabelText() const {
    return _titleLabel->stringValue();
}

// The picker.

void IMBroadcastWindowController::fillPicker() {
    _contactsToAdd.clear();
    auto p = phone();
    auto im = p ? p->getIMService() : nullptr;
    std::vector<std::shared_ptr<OVEntity>> offered;
    if (_session && im) {
        _session->start();
        const auto result = _session->result();
        for (const auto& entity :
             result ? result->entitiesAll() : std::vector<std::shared_ptr<OVEntity>>{}) {
            const auto addresses = _isSms ? entity->smsAddresses() : entity->imAddresses();
            const bool reachable =
                std::any_of(addresses.begin(), addresses.end(), [&](const auto& field) {
                    return im->canNewIMSession(field->valueStr(), true, _isSms) ||
                           im->canNewIMSession(field->valueStr(), false, _isSms);
                });
            if (reachable && std::none_of(offered.begin(), offered.end(), [&](const auto& other) {
                    return other->isEqualToInterface(*entity);
                })) {
                offered.push_back(entity);
            }
        }
    }
    std::stable_sort(offered.begin(), offered.end(), byDisplayName);
    for (const auto& entity : offered) {
        const bool chosen = std::any_of(_recipients.begin(), _recipients.end(), [&](const auto& r) {
            return r.contact && r.contact->isEqualToInterface(*entity);
        });
        _contactsToAdd.push_back(PickerEntry{entity, chosen});
    }
    _selectAllBox->setState(isSelectAllOn() ? platform::OnState : platform::OffState);
    _contactTable->reloadData();
}

std::vector<IMBroadcastWindowController::PickerEntry>
IMBroadcastWindowController::shownContacts() const {
    std::vector<PickerEntry> shown;
    for (const auto& entry : _contactsToAdd) {
        if (matchesSearch(entry.contact->displayName(), _searchText)) {
            shown.push_back(entry);
        }
    }
    return shown;
}

bool IMBroadcastWindowController::isSelectAllOn() const {
    return !_contactsToAdd.empty() && std::all_of(_contactsToAdd.begin(), _contactsToAdd.end(),
                                                  [](const PickerEntry& e) { return e.selected; });
}

void IMBroadcastWindowController::updateRecipients() {
    if (_pickerShown) {
        return;
    }
    fillPicker();
    _pickerShown = true;
    std::weak_ptr<IMBroadcastWindowController> weak = weak_from_this();
    platform::Application::sharedApplication().beginSheet(*_picker, *_window, [weak](int code) {
        if (auto self = weak.lock()) {
            self->pickerDidEnd(code);
        }
    });
}

void IMBroadcastWindowController::setSearchText(const std::string& text) {
    _searchText = text;
    if (_searchField->stringValue() != text) {
        _searchField->setStringValue(text);
    }
    _contactTable->reloadData();
}

void IMBroadcastWindowController::setContactSelected(long row, bool selected) {
    const auto shown = shownContacts();
    if (row < 0 || row >= static_cast<long>(shown.size())) {
        return;
    }
    const auto& contact = shown[static_cast<std::size_t>(row)].contact;
    for (auto& entry : _contactsToAdd) {
        if (entry.contact == contact) {
            entry.selected = selected;
        }
    }
    if (!selected) {
        _selectAllBox->setState(platform::OffState);
    }
    _contactTable->reloadData();
}

void IMBroadcastWindowController::selectAllToggle(bool on) {
    const auto shown = shownContacts();
    for (auto& entry : _contactsToAdd) {
        if (std::any_of(shown.begin(), shown.end(),
                        [&](const PickerEntry& e) { return e.contact == entry.contact; })) {
            entry.selected = on;
        }
    }
    _selectAllBox->setState(on ? platform::OnState : platform::OffState);
    _contactTable->reloadData();
    _recipientTable->reloadData();
}

void IMBroadcastWindowController::pickContactsSelect() {
    if (_pickerShown) {
        platform::Application::sharedApplication().endSheet(*_picker, 1);
    }
}

void IMBroadcastWindowController::pickContactsCancel() {
    if (_pickerShown) {
        platform::Application::sharedApplication().endSheet(*_picker, -1);
    }
}

void IMBroadcastWindowController::pickerDidEnd(int returnCode) {
    _pickerShown = false;
    _picker->orderOut(nullptr);
    if (returnCode < 1) {
        return;
    }
    std::vector<std::shared_ptr<OVEntity>> chosen;
    for (const auto& entry : _contactsToAdd) {
        if (entry.selected) {
            chosen.push_back(entry.contact);
        }
    }
    setRecipients(buildRecipientList(chosen, _isSms));
}

// Composition.

void IMBroadcastWindowController::sendUserInput() {
    const Message message = composedMessage(_composer->text());
    if (!message.plain.empty() && _messenger->canBroadcast()) {
        _messenger->broadcast(message.plain, message.html);
    }
    _composer->clear();
    updateControls();
    if (_isSms && _messenger->textLeft("") >= 0) {
        _composer->setStateText(ChatComposer::charactersLeftText(_messenger->textLeft("")));
    }
    layout();
}

void IMBroadcastWindowController::textChanged() {
    if (!_window->isVisible()) {
        return;
    }
    auto p = phone();
    const bool available = p && p->getPresenceService()->isAvailable();
    _composer->sendButton()->setEnabled(!_recipients.empty() && _composer->hasText() && available);
    if (_isSms) {
        _composer->limitText([this](std::string_view text) { return _messenger->textLeft(text); },
                             true);
    }
    layout();
}

void IMBroadcastWindowController::contactChanged() {
    std::vector<std::shared_ptr<OVEntity>> contacts;
    for (const auto& recipient : _recipients) {
        contacts.push_back(recipient.contact);
    }
    setRecipients(buildRecipientList(contacts, _isSms));
    if (_pickerShown) {
        fillPicker();
    }
}

void IMBroadcastWindowController::shouldClose() {
    if (_pickerShown) {
        platform::Application::sharedApplication().endSheet(*_picker, 0);
    }
    close();
}

void IMBroadcastWindowController::close() {
    _window->close();
    finish();
}

void IMBroadcastWindowController::finish() {
    if (_finished) {
        return;
    }
    _finished = true;
    platform::NotificationCenter::defaultCenter().removeObserver(this);
    _window->setDelegate(nullptr);
    _window->orderOut(nullptr);
    releaseOnNextPass(openList(), *this);
}

// Delegates.

void IMBroadcastWindowController::windowWillClose(platform::Window&) {
    finish();
}

platform::Size IMBroadcastWindowController::windowWillResize(platform::Window&,
                                                             platform::Size proposed) {
    return _isSms ? _window->minSize() : proposed;
}

long IMBroadcastWindowController::numberOfRowsInTableView(platform::TableView& tableView) {
    if (&tableView == _recipientTable.get()) {
        return static_cast<long>(_recipients.size());
    }
    return static_cast<long>(shownContacts().size());
}

platform::Value IMBroadcastWindowController::tableViewObjectValueForTableColumn(
    platform::TableView& tableView, platform::TableColumn* column, long row) {
    if (row < 0 || !column) {
        return {};
    }
    if (&tableView == _recipientTable.get()) {
        if (row >= static_cast<long>(_recipients.size())) {
            return {};
        }
        const auto& recipient = _recipients[static_cast<std::size_t>(row)];
        return column->identifier() == "address"
                   ? platform::Value(recipient.address)
                   : platform::Value(recipient.contact->displayName());
    }
    const auto shown = shownContacts();
    if (row >= static_cast<long>(shown.size())) {
        return {};
    }
    const auto& entry = shown[static_cast<std::size_t>(row)];
    return column->identifier() == "selected" ? platform::Value(entry.selected ? 1 : 0)
                                              : platform::Value(entry.contact->displayName());
}

bool IMBroadcastWindowController::tableViewSetObjectValue(platform::TableView& tableView,
                                                          const platform::Value& value,
                                                          platform::TableColumn* column, long row) {
    if (&tableView != _contactTable.get() || !column || column->identifier() != "selected") {
        return false;
    }
    setContactSelected(row, value.intValue() != 0);
    return true;
}

bool IMBroadcastWindowController::respondsToAction(std::string_view action) const {
    return action == "updateRecipients:" || action == "pickContactsSelect:" ||
           action == "pickContactsCancel:" || action == "selectAllToggle:" ||
           action == "searchChanged:" || _composer->respondsToAction(action);
}

bool IMBroadcastWindowController::tryToPerform(std::string_view action, platform::Object* sender) {
    if (_composer->tryToPerform(action, sender)) {
        return true;
    }
    if (action == "updateRecipients:") {
        updateRecipients();
    } else if (action == "pickContactsSelect:") {
        pickContactsSelect();
    } else if (action == "pickContactsCancel:") {
        pickContactsCancel();
    } else if (action == "selectAllToggle:") {
        selectAllToggle(_selectAllBox->state() == platform::OnState);
    } else if (action == "searchChanged:") {
        setSearchText(_searchField->stringValue());
    } else {
        return false;
    }
    return true;
}
