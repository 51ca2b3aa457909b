#include "app/contacts/ContactEditorController.h"

#include "app/contacts/ContactAddressRules.h"
#include "app/contacts/ContactOperations.h"
#include "app/core/DeferredRelease.h"
#include "app/core/SheetsTracker.h"
#include "engine/OVContactManager.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Application.h"
#include "platform/kit/Button.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/Panel.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/Screen.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/TextField.h"
#include "platform/kit/View.h"
#include "support/AlertExtensions.h"
#include "support/Localization.h"
#include "support/Notifications.h"

#include <algorithm>

namespace {

constexpr double kTopHeight = 44;
constexpr double kBottomHeight = 160;
constexpr double kLabelWidth = 165;

std::vector<std::shared_ptr<ContactEditorController>>& openList() {
    static std::vector<std::shared_ptr<ContactEditorController>> editors;
    return editors;
}

platform::Point& cascadePoint() {
    static platform::Point point;
    return point;
}

std::shared_ptr<platform::TextField> label(std::string text) {
    return platform::TextField::labelWithString(std::move(text));
}

std::shared_ptr<platform::Button> button(std::string title, std::string action,
                                         platform::ActionTarget* target) {
    return platform::Button::buttonWithTitle(std::move(title), target, std::move(action));
}

// A stored contact's sources are its physical contacts; one of its own is its own source.
std::vector<std::shared_ptr<OVEntity>> sourcesOf(const std::shared_ptr<OVEntity>& contact) {
    if (!contact->entitiesAll().empty()) {
        return contact->entitiesAll();
    }
    return {contact};
}

bool isBlank(const OVEntity& contact) {
    return std::none_of(contact.fields().begin(), contact.fields().end(),
                        [](const auto& field) { return !field->valueStr().empty(); }) &&
           contact.displayName().empty();
}

} // namespace

// Class side.

std::string ContactEditorController::stringForContactAddressType(std::string_view fieldName) {
    return ContactOperations::addressTypeLabel(fieldName);
}

const std::vector<std::shared_ptr<ContactEditorController>>&
ContactEditorController::openControllers() {
    return openList();
}

std::shared_ptr<ContactEditorController>
ContactEditorController::openForContact(std::shared_ptr<OVEntity> contact) {
    if (!contact) {
        return nullptr;
    }
    if (openList().empty()) {
        cascadePoint() = platform::Point();
    }
    auto editor = std::make_shared<ContactEditorController>(Key(), std::move(contact));
    // The first editor opens in the middle of the screen, the next ones cascade from it.
    if (openList().empty()) {
        editor->_window->center();
    }
    cascadePoint() = editor->_window->cascadeTopLeftFromPoint(cascadePoint());
    openList().push_back(editor);
    editor->setup();
    return editor;
}

ContactEditorController*
ContactEditorController::findControllerForAddress(std::string_view address) {
    const std::string user = contact_rules::userPart(address);
    for (const auto& editor : openList()) {
        for (const auto& source : sourcesOf(editor->_contact)) {
            for (const auto& field : source->addresses()) {
                const std::string& value = field->valueStrToDisplay();
                if (value.substr(0, value.find('@')) == user) {
                    return editor.get();
                }
            }
        }
    }
    return nullptr;
}

ContactEditorController*
ContactEditorController::findControllerForContact(const std::shared_ptr<OVEntity>& contact) {
    if (!contact) {
        return nullptr;
    }
    for (const auto& editor : openList()) {
        if (editor->_contact == contact) {
            return editor.get();
        }
        // Two blank new contacts: the same when meant for the same group.
        if (editor->_isNewContact && isBlank(*editor->_contact) && isBlank(*contact) &&
            (contact->groupToAdd().empty() ||
             editor->_selectedGroups == std::vector<std::string>{contact->groupToAdd()})) {
            return editor.get();
        }
    }
    return nullptr;
}

std::shared_ptr<ContactEditorController>
ContactEditorController::addParty(std::string_view displayName, std::string_view address,
                                  std::string_view fieldType) {
    if (doesAdding(address))
        return nullptr;
    auto contact = ContactOperations::instance().createContact(displayName, address, fieldType);
    return contact ? openForContact(std::move(contact)) : nullptr;
}

bool ContactEditorController::doesAdding(std::string_view address) {
    if (auto* editor = findControllerForAddress(address)) {
        editor->_window->makeKeyAndOrderFront(nullptr);
        return true;
    }
    return false;
}

bool ContactEditorController::doesDisplay(const std::shared_ptr<OVEntity>& contact) {
    if (auto* editor = findControllerForContact(contact)) {
        editor->_window->makeKeyAndOrderFront(nullptr);
        return true;
    }
    return false;
}

void ContactEditorController::close(const std::shared_ptr<OVEntity>& contact) {
    for (const auto& editor : std::vector(openList())) {
        if (editor->_contact == contact) {
            editor->closeEditor();
        }
    }
}

void ContactEditorController::cleanup() {
    for (const auto& editor : std::vector(openList())) {
        if (platform::Window* sheet = editor->_window->attachedSheet()) {
            platform::Application::sharedApplication().endSheet(*sheet, 0);
        }
        editor->closeEditor();
    }
    openList().clear();
}

// Instance side.

ContactEditorController::ContactEditorController(Key /*key*/, std::shared_ptr<OVEntity> contact)
    : _contact(std::move(contact)),
      _window(platform::make<platform::Window>(
          platform::Rect(0, 0, ContactContentController::width, 400),
          platform::TitledWindowMask | platform::ClosableWindowMask)) {
    if (const auto phone = StartupService::instance().phoneService()) {
        _contactManager = phone->getContactManager();
    }
    _window->setTitle(QXLS("msg.contact.editor.title", "Contact"));
    _window->setDelegate(this);
    auto* content = _window->contentView();
    _topView = platform::make<platform::View>(platform::Rect());
    _stackView = platform::make<platform::View>(platform::Rect());
    _addressScrollView = platform::make<platform::ScrollView>(platform::Rect());
    _addressScrollView->setHasVerticalScroller(true);
    _addressScrollView->setAutohidesScrollers(true);
    _addressScrollView->setDrawsBackground(false);
    _addressScrollView->setDocumentView(_stackView);
    _bottomView = platform::make<platform::View>(platform::Rect());
    content->addSubview(_topView);
    content->addSubview(_addressScrollView);
    content->addSubview(_bottomView);

    _popUpGroups = platform::make<platform::PopUpButton>(platform::Rect(), true);
    _topView->addSubview(_popUpGroups);
    // The contact's picture; a click offers the pictures of its sources.
    _avatarButton = button("", "avatarMenuClick:", this);
    _avatarButton->setImagePosition(platform::CellImagePosition::ImageOnly);
    _avatarButton->setImageScaling(platform::ImageScaling::ProportionallyUpOrDown);
    _avatarButton->setFrame(platform::Rect(12, 4, 36, 36));
    _topView->addSubview(_avatarButton);
    _avatarMenu = std::make_shared<platform::Menu>("");

    _contactDisplayAsLabel = label(QXLS("msg.contact.display_as", "Display as:"));
    _popUpDisplayAs = platform::make<platform::PopUpButton>(platform::Rect());
    _defaultCallLabel = label(QXLS("msg.contact.default_call", "Default call address:"));
    _defaultCallPopup = platform::make<platform::PopUpButton>(platform::Rect());
    _defaultPresenceLabel = label(QXLS("msg.contact.default_presence", "Presence address:"));
    _defaultPresencePopup = platform::make<platform::PopUpButton>(platform::Rect());
    _defaultSMSLabel = label(QXLS("msg.contact.default_sms", "Text message address:"));
    _defaultSMSPopup = platform::make<platform::PopUpButton>(platform::Rect());
    _buttonSplit = button(QXLS("msg.contact.button.split", "Split"), "splitClick:", this);
    _cancelButton = button(QXLS("msg.opt.dialog.button.cancel", "Cancel"), "cancelClick:", this);
    _okButton = button(QXLS("msg.opt.dialog.button.ok", "OK"), "okClick:", this);
    const double w = ContactContentController::width;
    const double popUpWidth = w - 24 - kLabelWidth;
    const std::pair<std::shared_ptr<platform::TextField>, std::shared_ptr<platform::PopUpButton>>
        lines[] = {{_contactDisplayAsLabel, _popUpDisplayAs},
                   {_defaultCallLabel, _defaultCallPopup},
                   {_defaultPresenceLabel, _defaultPresencePopup},
                   {_defaultSMSLabel, _defaultSMSPopup}};
    double y = kBottomHeight - 36;
    for (const auto& [text, popUp] : lines) {
        text->setFrame(platform::Rect(12, y + 2, kLabelWidth, 20));
        popUp->setFrame(platform::Rect(12 + kLabelWidth, y, popUpWidth, 24));
        _bottomView->addSubview(text);
        _bottomView->addSubview(popUp);
        y -= 28;
    }
    _buttonSplit->setFrame(platform::Rect(12, 8, 80, 28));
    _cancelButton->setFrame(platform::Rect(w - 188, 8, 84, 28));
    _okButton->setFrame(platform::Rect(w - 96, 8, 84, 28));
    for (const auto& b : {_buttonSplit, _cancelButton, _okButton}) {
        _bottomView->addSubview(b);
    }
    _popUpGroups->setFrame(platform::Rect(56, 10, w - 68, 24));
}

ContactEditorController::~ContactEditorController() {
    platform::NotificationCenter::defaultCenter().removeObserver(this);
    _window->setDelegate(nullptr);
    for (const auto& b : {_buttonSplit, _cancelButton, _okButton, _avatarButton}) {
        b->setTarget(nullptr);
    }
    for (const auto& item : _avatarMenu->itemArray()) {
        item->setTarget(nullptr);
    }
    for (const auto* popUp : {_popUpGroups.get(), _popUpDisplayAs.get(), _defaultCallPopup.get(),
                              _defaultPresencePopup.get(), _defaultSMSPopup.get()}) {
        for (const auto& item : popUp->itemArray()) {
            item->setTarget(nullptr);
        }
    }
    _sources.clear();
    _window->orderOut(nullptr);
}

void ContactEditorController::setup() {
    _parents = _contact->parentEntities();
    if (!_contact->groupToAdd().empty()) {
        _selectedGroups.push_back(_contact->groupToAdd());
        _contact->setGroupToAdd({});
    }
    for (const auto& parent : _parents) {
        if (parent->type() == OVEntity::typeGroup &&
            std::find(_selectedGroups.begin(), _selectedGroups.end(), parent->displayName()) ==
                _selectedGroups.end()) {
            _selectedGroups.push_back(parent->displayName());
        }
    }
    _isNewContact = _parents.empty();
    for (const auto& source : sourcesOf(_contact)) {
        if (auto view = addEntity(source)) {
            view->setIsNew(_isNewContact);
        }
    }
    // Each source sets itself up once the stack is complete (the remove buttons count it).
    for (const auto& source : std::vector(_sources)) {
        source->setup();
    }
    layout();
    if (!_sources.empty()) {
        _defaultDisplay = _sources.front();
        _displayName = _contact->displayName();
    }
    updateDisplay();
    scrollToTop();
    _openedAs = snapshot();
    std::weak_ptr<ContactEditorController> weak = weak_from_this();
    platform::NotificationCenter::defaultCenter().addObserver(
        this, ContactChangedNotification, nullptr, [weak](const platform::Notification&) {
            if (auto self = weak.lock()) {
                self->contactChanged();
            }
        });
    _window->makeKeyAndOrderFront(nullptr);
    if (!_sources.empty()) {
        _window->makeFirstResponder(&_sources.front()->firstNameField());
    }
}

std::shared_ptr<ContactContentController>
ContactEditorController::addEntity(const std::shared_ptr<OVEntity>& entity) {
    auto source = std::make_shared<ContactContentController>(entity, this);
    _sources.push_back(source);
    _stackView->addSubview(source->view());
    return source;
}

void ContactEditorController::removeContentController(ContactContentController* source) {
    const auto it = std::find_if(_sources.begin(), _sources.end(),
                                 [&](const auto& s) { return s.get() == source; });
    if (it == _sources.end()) {
        return;
    }
    // The view goes now; the controller at the next pass (its own button is still at work).
    auto gone = *it;
    _sources.erase(it);
    gone->view()->removeFromSuperview();
    if (_defaultDisplay == gone) {
        _defaultDisplay.reset();
    }
    if (_defaultAvatar == gone) {
        _defaultAvatar.reset();
    }
    platform::RunLoop::main().performInModes([gone] {}, platform::commonModes());
    layout();
    updateDisplay();
}

bool ContactEditorController::isContactAdded(const std::shared_ptr<OVEntity>& entity) const {
    if (!entity) {
        return false;
    }
    if (_contact->isEqualToInterface(*entity)) {
        return true;
    }
    return std::any_of(_sources.begin(), _sources.end(), [&](const auto& source) {
        return source->entity()->isEqualToInterface(*entity);
    });
}

void ContactEditorController::addContact(const std::shared_ptr<OVEntity>& entity) {
    if (!entity) {
        return;
    }
    std::vector<std::shared_ptr<ContactContentController>> added;
    for (const auto& source : sourcesOf(entity)) {
        if (auto view = addEntity(source)) {
            view->setIsNew(true);
            added.push_back(view);
        }
    }
    for (const auto& view : added) {
        view->setup();
    }
    layout();
    updateDisplay();
    scrollToBottom();
}

void ContactEditorController::layout() {
    double stack = 0;
    for (const auto& source : _sources) {
        stack += source->height();
    }
    // With three sources or more two sources' worth is shown and the rest scrolls; the
    // window never grows past the screen.
    double shown = stack;
    if (_sources.size() >= 3) {
        shown = stack / static_cast<double>(_sources.size()) * 2;
    }
    platform::Rect frame = _window->frame();
    const double titleBar = frame.size.height - _window->contentView()->frame().size.height;
    if (const auto* screen = platform::Screen::mainScreen()) {
        const double room =
            screen->visibleFrame().size.height - kTopHeight - kBottomHeight - titleBar;
        shown = std::min(shown, std::max(room, 0.0));
    }
    const bool scrolls = shown < stack;
    const double w = ContactContentController::width;
    const double windowWidth = w + (scrolls ? platform::Scroller::scrollerWidth() : 0);
    const double h = kTopHeight + shown + kBottomHeight;
    const double top = frame.origin.y + frame.size.height;
    _window->setContentSize(platform::Size(windowWidth, h));
    frame = _window->frame();
    if (const auto* screen = platform::Screen::mainScreen()) {
        const platform::Rect visible = screen->visibleFrame();
        const double maxTop = visible.origin.y + visible.size.height;
        const double minTop = visible.origin.y + frame.size.height;
        frame.origin.y = std::clamp(top, std::min(minTop, maxTop), maxTop) - frame.size.height;
    } else {
        frame.origin.y = top - frame.size.height;
    }
    _window->setFrameOrigin(frame.origin);
    _bottomView->setFrame(platform::Rect(0, 0, windowWidth, kBottomHeight));
    _addressScrollView->setFrame(platform::Rect(0, kBottomHeight, windowWidth, shown));
    _stackView->setFrame(platform::Rect(0, 0, w, stack));
    double y = stack;
    for (const auto& source : _sources) {
        y -= source->height();
        source->view()->setFrameOrigin(platform::Point(0, y));
    }
    _addressScrollView->tile();
    _topView->setFrame(platform::Rect(0, kBottomHeight + shown, windowWidth, kTopHeight));
}

void ContactEditorController::scrollToTop() {
    // The stack's first source is at the top of the (unflipped) document.
    const double visible = _addressScrollView->contentSize().height;
    const double height = _stackView->frame().size.height;
    _addressScrollView->contentView()->scrollToPoint(
        platform::Point(0, std::max(height - visible, 0.0)));
    _addressScrollView->reflectScrolledClipView(_addressScrollView->contentView());
}

void ContactEditorController::scrollToBottom() {
    _addressScrollView->contentView()->scrollToPoint(platform::Point(0, 0));
    _addressScrollView->reflectScrolledClipView(_addressScrollView->contentView());
}

double ContactEditorController::scrolledFromTop() const {
    const platform::Rect visible = _addressScrollView->documentVisibleRect();
    return _stackView->frame().size.height - (visible.origin.y + visible.size.height);
}

void ContactEditorController::sourceChanged() {
    layout();
    updateDisplay();
}

bool ContactEditorController::presenceAddressExist(const std::string& address) const {
    return std::any_of(_presenceAddresses.begin(), _presenceAddresses.end(),
                       [&](const auto& row) { return row && row->addressValue == address; });
}

void ContactEditorController::showAddressExists(const std::string& address) {
    _shownAlert = OrvantaExtensions::sheetOK(
        _window.get(), QXLS("msg.opt.dialog.caption.add.address", "Add Address"),
        platform::formatString(QXLS("msg.opt.dialog.message.xmpp.address.exist",
                                    "The XMPP address %@ you are trying to add already exists "
                                    "for this contact."),
                               address),
        platform::AlertStyle::Informational);
}

void ContactEditorController::updateDisplay() {
    _callAddresses.clear();
    _presenceAddresses.clear();
    for (const auto& source : _sources) {
        source->collect();
        for (const auto& row : source->callAddresses()) {
            _callAddresses.push_back(row);
        }
        if (source->presenceAddress() && !source->markedDelete() && !source->markedSplit()) {
            _presenceAddresses.push_back(source->presenceAddress());
        }
    }
    if (_defaultDisplay) {
        _displayName = _defaultDisplay->displayName();
    }
    _buttonSplit->setHidden(sourcesOf(_contact).size() < 2 || _contact->entitiesAll().empty());
    for (const auto& source : _sources) {
        source->updateRemoveButton();
    }
    groupMenuNeedsUpdate();
    avatarMenuNeedsUpdate();
    displayMenuNeedsUpdate();
    addressForCallMenuNeedsUpdate();
    addressForPresenceMenuNeedsUpdate();
    addressForSMSMenuNeedsUpdate();
}

platform::Alert* ContactEditorController::shownAlert() const {
    const auto alert = _shownAlert.lock();
    return alert && alert->isShowing() ? alert.get() : nullptr;
}

void ContactEditorController::setDefaultAvatar(ContactContentController* source) {
    _defaultAvatar.reset();
    for (const auto& s : _sources) {
        if (s.get() == source) {
            _defaultAvatar = s;
        }
    }
}

void ContactEditorController::showMessage(const std::string& caption, const std::string& text) {
    _shownAlert = OrvantaExtensions::sheetOK(_window.get(), caption, text,
                                             platform::AlertStyle::Informational);
}

void ContactEditorController::showWarning(const std::string& message) {
    _shownAlert =
        OrvantaExtensions::sheetOK(_window.get(), QXLS("msg.opt.dialog.caption.WARNING", "Warning"),
                                   message, platform::AlertStyle::Critical);
}

std::string ContactEditorController::snapshot() const {
    std::string out;
    for (const auto& source : _sources) {
        out += source->snapshot() + "\n--\n";
    }
    for (const auto& group : _selectedGroups) {
        out += group + ",";
    }
    for (std::size_t i = 0; i < _sources.size(); ++i) {
        if (_sources[i] == _defaultAvatar) {
            out += "\npicture " + std::to_string(i);
        }
    }
    for (const auto* popUp : {_popUpDisplayAs.get(), _defaultCallPopup.get(),
                              _defaultPresencePopup.get(), _defaultSMSPopup.get()}) {
        out += "\n" + popUp->titleOfSelectedItem();
    }
    return out;
}

void ContactEditorController::okClick() {
    _window->makeFirstResponder(nullptr);
    std::string fallback;
    for (const auto& source : _sources) {
        if (fallback.empty()) {
            fallback = contact_rules::trimmed(source->displayName());
        }
    }
    // A source with only a picture is saved under the contact's name.
    for (const auto& source : _sources) {
        if (!source->hasContent() && !source->avatar().empty()) {
            source->setDisplayName(fallback);
        }
    }
    for (const auto& source : _sources) {
        source->addNewAddress();
        if (shownAlert()) {
            return;
        }
        if (auto message = source->validate()) {
            showWarning(*message);
            return;
        }
    }
    if (std::none_of(_sources.begin(), _sources.end(), [](const auto& source) {
            return !source->markedDelete() && source->hasContent();
        })) {
        showWarning(QXLS("msg.contact.validation.empty", "Cannot save empty contact"));
        return;
    }
    SheetsTracker::sharedController().closeAllSheets();
    platform::NotificationCenter::defaultCenter().removeObserver(this);
    save();
    if (_isNewContact && _contact->hasParentEntities()) {
        platform::NotificationCenter::defaultCenter().postNotificationName(
            ContactAddNewNotification, nullptr,
            platform::Value(platform::Value::Dictionary{
                {"NewContact",
                 platform::Value(std::static_pointer_cast<platform::Object>(_contact))}}));
    }
    closeEditor();
}

void ContactEditorController::cancelClick() {
    if (snapshot() == _openedAs) {
        closeEditor();
        return;
    }
    std::weak_ptr<ContactEditorController> weak = weak_from_this();
    _shownAlert = OrvantaExtensions::sheetYesNo(
        _window.get(),
        [weak](platform::Alert&, int returnCode) {
            auto self = weak.lock();
            if (self && returnCode == 1000) {
                self->closeEditor();
            }
        },
        QXLS("msg.contact.discard.caption", "Discard Changes"),
        QXLS("msg.contact.discard.message",
             "This contact was changed. Do you want to close it without saving the changes?"),
        platform::AlertStyle::Warning);
}

void ContactEditorController::splitClick() {
    if (_contact->type() != OVEntity::typeLogicalContact || _contact->entitiesAll().size() < 2) {
        return;
    }
    for (const auto& source : std::vector(_contact->entitiesAll())) {
        if (source->addresses().empty()) {
            source->deleteCommand();
        }
    }
    if (_contactManager) {
        _contactManager->splitContact(_contact);
    }
    closeEditor();
}

void ContactEditorController::contactChanged() {
    if (_alertUp || _closed) {
        return;
    }
    const auto now = _contact->parentEntities();
    if (now.size() == _parents.size() &&
        ((now.empty() && _isNewContact) ||
         (!now.empty() && now.front()->isEqualToInterface(*_parents.front())))) {
        return;
    }
    // The contact was moved or deleted behind the editor: what it shows is out of date.
    if (platform::Window* sheet = _window->attachedSheet()) {
        platform::Application::sharedApplication().endSheet(*sheet, 0);
    }
    _alertUp = true;
    auto alert = platform::Alert::alert();
    alert->setMessageText(QXLS("msg.opt.dialog.caption.WARNING", "Warning"));
    alert->setInformativeText(QXLS("msg.opt.dialog.message.contacteditor.deleted",
                                   "Changes to this contact could not be applied."));
    alert->setAlertStyle(platform::AlertStyle::Informational);
    alert->addButtonWithTitle(QXLS("msg.opt.dialog.button.ok", "OK"));
    _shownAlert = alert;
    std::weak_ptr<ContactEditorController> weak = weak_from_this();
    alert->beginSheetModalForWindow(*_window, [weak](int) {
        if (auto self = weak.lock()) {
            self->_alertUp = false;
            self->closeEditor();
        }
    });
}

void ContactEditorController::closeEditor() {
    if (_closed) {
        return;
    }
    _closed = true;
    platform::NotificationCenter::defaultCenter().removeObserver(this);
    _window->setDelegate(nullptr);
    _window->orderOut(nullptr);
    releaseOnNextPass(openList(), *this);
}

bool ContactEditorController::windowShouldClose(platform::Window&) {
    // The close box is Cancel.
    cancelClick();
    return false;
}

void ContactEditorController::windowWillClose(platform::Window&) {
    closeEditor();
}

bool ContactEditorController::respondsToAction(std::string_view action) const {
    return action == "okClick:" || action == "cancelClick:" || action == "splitClick:" ||
           action == "avatarMenuClick:" || action == "updateDefaultForAvatar:" ||
           action == "updateGroupsForContact:" || action == "updateDefaultForDisplay:" ||
           action == "updateDefaultCallAddress:" || action == "updateDefaultPresenceAddress:" ||
           action == "updateDefaultSMSAddress:";
}

bool ContactEditorController::tryToPerform(std::string_view action, platform::Object* sender) {
    if (action == "okClick:") {
        okClick();
    } else if (action == "cancelClick:") {
        cancelClick();
    } else if (action == "splitClick:") {
        splitClick();
    } else if (action == "avatarMenuClick:") {
        avatarMenuNeedsUpdate();
        _avatarMenu->popUpMenuPositioningItem(nullptr, platform::Point(0, 0), _avatarButton.get());
    } else if (respondsToAction(action)) {
        chooseFromMenu(action, sender);
    } else {
        return false;
    }
    return true;
}
