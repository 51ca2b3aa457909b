#include "app/contacts/ContactContentController.h"

#include "app/contacts/ContactAddressRules.h"
#include "app/contacts/ContactEditorController.h"
#include "engine/AccountService.h"
#include "engine/FeaturesService.h"
#include "engine/OVContactManager.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Box.h"
#include "platform/kit/Button.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/OpenPanel.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/TextField.h"
#include "platform/kit/View.h"
#include "support/AlertExtensions.h"
#include "support/Localization.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr double kMargin = 12;
constexpr double kRowHeight = 28;
constexpr double kLabelWidth = 90;

bool feature(std::string_view name) {
    const auto features = StartupService::instance().featuresService();
    return features && features->featureAvailable(name);
}

std::vector<std::shared_ptr<OVAccount>> accounts() {
    const auto phone = StartupService::instance().phoneService();
    return phone ? phone->getAccountService()->accounts()
                 : std::vector<std::shared_ptr<OVAccount>>{};
}

// The domain of the first enabled account of the protocol, or "".
std::string firstEnabledDomain(OVAccountProtocol protocol) {
    for (const auto& account : accounts()) {
        if (account->status() == OVAccount::statusEnabled && account->protocol() == protocol) {
            return account->domain();
        }
    }
    return {};
}

std::string domainOf(const std::string& address) {
    const auto at = address.find('@');
    return at == std::string::npos ? address : address.substr(at + 1);
}

std::shared_ptr<platform::TextField> textField(const platform::Rect& frame, bool editable) {
    auto field = platform::make<platform::TextField>(frame);
    field->setEditable(editable);
    field->setSelectable(editable);
    field->setBezeled(editable);
    field->setDrawsBackground(editable);
    return field;
}

std::shared_ptr<platform::Button> button(const platform::Rect& frame, std::string title,
                                         std::string action, platform::ActionTarget* target) {
    return platform::Button::buttonWithTitle(std::move(title), target, std::move(action), frame);
}

std::string trimmedOf(std::string_view text, std::string_view characters) {
    const auto begin = text.find_first_not_of(characters);
    if (begin == std::string_view::npos) {
        return {};
    }
    const auto end = text.find_last_not_of(characters);
    return std::string(text.substr(begin, end - begin + 1));
}

} // namespace

ContactContentController::ContactContentController(std::shared_ptr<OVEntity> entity,
                                                   ContactEditorController* editor)
    : _entity(std::move(entity)), _parentController(editor),
      _view(platform::make<platform::View>(platform::Rect(0, 0, width, 200))) {
    const std::pair<std::string_view, const char*> choices[] = {
        {OVField::fieldSoftphone, "contact_method_softphone"},
        {OVField::fieldJidAddr, "contact_method_jabber"},
        {OVField::fieldHomeNum, nullptr},
        {OVField::fieldWorkNum, nullptr},
        {OVField::fieldMobileNum, nullptr},
        {OVField::fieldPagerNum, nullptr},
        {OVField::fieldFaxNum, nullptr},
        {OVField::fieldEmailAddr, nullptr},
        {OVField::fieldWebAddress, "contact_method_web"},
        {OVField::fieldOtherAddress, "contact_method_other"},
    };
    for (const auto& [name, gate] : choices) {
        if (!gate || feature(gate)) {
            _choices.emplace_back(name);
        }
    }
    _typeName = textField({}, false);
    _firstNameTextField = textField({}, true);
    _firstNameTextField->setPlaceholderString(QXLS("msg.contact.first_name", "First name"));
    _lastNameTextField = textField({}, true);
    _lastNameTextField->setPlaceholderString(QXLS("msg.contact.last_name", "Last name"));
    _displayNameTextField = textField({}, true);
    _displayNameTextField->setPlaceholderString(QXLS("msg.contact.display_name", "Display name"));
    _addressTextField = textField({}, true);
    _addressTypePopup = platform::make<platform::PopUpButton>(platform::Rect());
    for (const auto& choice : _choices) {
        _addressTypePopup->addItemWithTitle(
            ContactEditorController::stringForContactAddressType(choice));
    }
    _addressTypePopup->setTarget(this);
    _addressTypePopup->setAction("newAddressTypeChanged:");
    _addButton = button({}, QXLS("msg.contact.button.add", "Add"), "addNewAddress:", this);
    _presenceLabel = textField({}, false);
    _presenceLabel->setStringValue(QXLS("msg.contact.presence", "Presence:"));
    _defaultPresencePopup = platform::make<platform::PopUpButton>(platform::Rect());
    _avatarButton = button({}, "", "avatarClicked:", this);
    _avatarButton->setImagePosition(platform::CellImagePosition::ImageOnly);
    _avatarButton->setImageScaling(platform::ImageScaling::ProportionallyUpOrDown);
    _resetAvatarButton = button({}, "\u00d7", "resetAvatar:", this);
    _resetAvatarButton->setToolTip(QXLS("msg.contact.button.reset_picture", "No picture"));
    makePresenceSection();
    _removeButton = button({}, QXLS("msg.contact.button.remove", "Remove"), "remove:", this);
    _removeButton->setHidden(true);
    _splitButton = button({}, QXLS("msg.contact.button.split", "Split"), "split:", this);
    _splitButton->setHidden(true);
    // The marked area lies over the whole source while it is marked: its text and a button
    // that takes the mark back.
    _markedArea = platform::make<platform::Box>(platform::Rect());
    _markedArea->setBoxType(platform::BoxType::Custom);
    _markedArea->setBorderType(platform::BorderType::LineBorder);
    _markedArea->setBorderColor(platform::Color::grayColor());
    _markedArea->setFillColor(platform::Color(0.93, 0.92, 0.92, 0.94));
    _markedArea->setTitlePosition(platform::TitlePosition::NoTitle);
    _deleteSplitTextField = textField({}, false);
    _deleteSplitTextField->setAlignment(platform::TextAlignment::Center);
    _deleteSplitTextField->setTextColor(platform::Color::darkGrayColor());
    _cancelMarkButton = button({}, QXLS("msg.opt.dialog.button.cancel", "Cancel"), "cancel:", this);
    _markedArea->addSubview(_deleteSplitTextField);
    _markedArea->addSubview(_cancelMarkButton);
    _markedArea->setHidden(true);
    for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
             _typeName, _avatarButton, _resetAvatarButton, _removeButton, _splitButton,
             _firstNameTextField, _lastNameTextField, _displayNameTextField, _addressTextField,
             _addressTypePopup, _addButton, _presenceLabel, _defaultPresencePopup, _markedArea}) {
        _view->addSubview(view);
    }
}

ContactContentController::~ContactContentController() {
    _addressTypePopup->setTarget(nullptr);
    dropPresenceSection();
    for (const auto& b : {_addButton, _removeButton, _splitButton, _cancelMarkButton, _avatarButton,
                          _resetAvatarButton}) {
        b->setTarget(nullptr);
    }
    for (const auto& controls : _rowControls) {
        controls.remove->setTarget(nullptr);
    }
    for (const auto& item : _defaultPresencePopup->itemArray()) {
        item->setTarget(nullptr);
    }
    _view->removeFromSuperview();
}

bool ContactContentController::isReadOnly() const {
    const auto protocol = _entity->providerProtocol();
    return _entity->isReadOnly() || protocol == OVProviderProtocol::protocolXmpp ||
           protocol == OVProviderProtocol::protocolLdap ||
           protocol == OVProviderProtocol::protocolMacAddressBook;
}

void ContactContentController::setup() {
    switch (_entity->providerProtocol()) {
    case OVProviderProtocol::protocolXmpp:
        _typeName->setStringValue(QXLS("msg.contacts.editor.typename_XMPP", "XMPP"));
        break;
    case OVProviderProtocol::protocolMacAddressBook:
        _typeName->setStringValue(QXLS("msg.contacts.editor.typename_MacADR", "MAC Address Book"));
        break;
    case OVProviderProtocol::protocolLdap:
        _typeName->setStringValue(QXLS("msg.contacts.editor.typename_Ldap", "Directory"));
        break;
    default:
        _typeName->setStringValue(QXLS("msg.contacts.editor.typename_Contact", "Contact"));
        break;
    }
    const auto value = [&](std::string_view name) {
        const auto field = _entity->getFieldByName(name);
        return field ? field->valueStr() : std::string();
    };
    _firstNameTextField->setStringValue(value(OVField::fieldFirstName));
    _lastNameTextField->setStringValue(value(OVField::fieldLastName));
    // A contact of its own keeps its name on the entity; a source of a merged one in its
    // field.
    std::string display = value(OVField::fieldDisplayName);
    if (display.empty()) {
        display = _entity->displayName();
    }
    _displayNameTextField->setStringValue(display);

    const auto contact = _parentController ? _parentController->contact() : nullptr;
    if (const auto picture = _entity->getFieldByName(OVField::fieldAvatar);
        picture && !picture->valueStr().empty()) {
        const auto& bytes = picture->valueStr();
        _avatar.assign(bytes.begin(), bytes.end());
        if (_parentController && contact &&
            contact->getPrimary(OVField::fieldPrimaryTypeAvatar) == picture) {
            _parentController->setDefaultAvatar(this);
        }
    }
    showAvatar();
    _avatarButton->setEnabled(!isReadOnly());
    _resetAvatarButton->setHidden(isReadOnly());
    const auto primaryPresence =
        contact ? contact->getPrimary(OVField::fieldPrimaryTypePresence) : nullptr;
    for (const auto& field : _entity->addresses()) {
        auto row = appendRow(field->name(), field->valueStr(), field);
        if (!_parentController) {
            continue;
        }
        if (contact && field == contact->getPrimary(OVField::fieldPrimaryTypeCall)) {
            _parentController->setDefaultCallAddress(row);
        }
        if (contact && field == contact->getPrimary(OVField::fieldPrimaryTypeSMS)) {
            _parentController->setDefaultSMSAddress(row);
        }
        if (field == primaryPresence) {
            _defaultPresence = row;
            _parentController->setDefaultPresenceAddress(row);
        }
    }
    const bool xmpp = _entity->providerProtocol() == OVProviderProtocol::protocolXmpp;
    for (const auto& row : _rows) {
        if (row->addressType != OVField::fieldJidAddr) {
            continue;
        }
        // A roster source's last chat address is its own; elsewhere the first.
        if (xmpp || !_jidPresenceAddress) {
            _jidPresenceAddress = row;
        }
    }
    if (xmpp) {
        // Watched on its chat address when that is the source's presence address.
        const auto own = _entity->getPrimary(OVField::fieldPrimaryTypePresence);
        if (!_defaultPresence && _jidPresenceAddress && own && own == _jidPresenceAddress->field) {
            _defaultPresence = _jidPresenceAddress;
        }
    } else if (!_defaultPresence) {
        for (const auto& row : _rows) {
            if (row->addressType == OVField::fieldSoftphone) {
                _defaultPresence = row;
                break;
            }
        }
    }
    const bool readOnly = isReadOnly();
    for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
             _addressTextField, _addressTypePopup, _addButton}) {
        view->setHidden(readOnly);
    }
    for (const auto& field : {_firstNameTextField, _lastNameTextField, _displayNameTextField}) {
        field->setEditable(!readOnly);
    }
    updateExampleText();
    _splitButton->setHidden(true);
    updateRemoveButton();
    rebuildPresenceMenu();
    setupPresenceSection();
    updateCreateButton();
    layout();
}

std::shared_ptr<platform::Image> ContactContentController::avatarImage() const {
    return _avatar.empty() ? nullptr : platform::Image::imageWithData(_avatar);
}

void ContactContentController::showAvatar() {
    auto image = avatarImage();
    _resetAvatarButton->setEnabled(image != nullptr);
    if (!image) {
        image = platform::Image::imageNamed("AvatarSample");
        _avatarButton->setToolTip("");
    }
    _avatarButton->setImage(image);
}

void ContactContentController::avatarClicked() {
    if (isReadOnly() || !_parentController || _avatarPanel) {
        return;
    }
    _avatarPanel = platform::OpenPanel::openPanel();
    _avatarPanel->setMessage(QXLS("msg.contact.select.title", "Select Image File"));
    _avatarPanel->okButton()->setTitle(QXLS("msg.contact.button.select", "Select"));
    _avatarPanel->setAllowedFileTypes({"png", "jpg", "jpeg"});
    if (const char* home = std::getenv("HOME")) {
        _avatarPanel->setDirectory(home);
    }
    auto& window = _parentController->window();
    _avatarPanel->beginSheetModalForWindow(window, [this, &window](int result) {
        auto panel = std::move(_avatarPanel);
        // The panel goes on the next pass, after its own call has returned.
        platform::RunLoop::main().performAfterDelay(0, [panel] {});
        if (result != platform::FileHandlingPanelOKButton) {
            return;
        }
        window.makeKeyAndOrderFront(nullptr);
        loadAvatar(panel->filename());
    });
}

bool ContactContentController::loadAvatar(const std::filesystem::path& file) {
    const auto image = platform::Image::imageWithContentsOfFile(file);
    if (!image || image->pixelsWide() <= 0 || image->pixelsHigh() <= 0) {
        if (_parentController) {
            _parentController->showMessage(
                QXLS("msg.contact.picture.unreadable.caption", "Picture Not Changed"),
                platform::formatString(QXLS("msg.contact.picture.unreadable",
                                            "%@ cannot be read as a picture. Choose a PNG or "
                                            "JPEG file."),
                                       file.filename().string()));
        }
        return false;
    }
    // Kept small: scaled to fit the picture square, never enlarged.
    const double w = image->pixelsWide();
    const double h = image->pixelsHigh();
    const double scale = std::min(1.0, avatarSide / std::max(w, h));
    const platform::Size size(std::max(1.0, std::round(w * scale)),
                              std::max(1.0, std::round(h * scale)));
    auto small = std::make_shared<platform::Image>(size);
    small->lockFocus();
    image->drawInRect(platform::Rect(0, 0, size.width, size.height));
    small->unlockFocus();
    auto bytes = small->pngRepresentation();
    if (bytes.empty()) {
        return false;
    }
    _avatar = std::move(bytes);
    showAvatar();
    _avatarButton->setToolTip(file.filename().string());
    if (_parentController) {
        _parentController->updateDisplay();
    }
    return true;
}

void ContactContentController::resetAvatar() {
    if (isReadOnly()) {
        return;
    }
    _avatar.clear();
    showAvatar();
    if (_parentController) {
        _parentController->updateDisplay();
    }
}

void ContactContentController::updateRemoveButton() {
    const bool several = _parentController && _parentController->sources().size() >= 2;
    const bool itself = _parentController && _parentController->contact() == _entity;
    _removeButton->setHidden(!several || itself || isReadOnly() || !hasContent() ||
                             _showMarkedArea);
}

void ContactContentController::remove() {
    if (_isNew) {
        // Made here: nothing of it is stored yet, it simply goes.
        if (_parentController) {
            _parentController->removeContentController(this);
        }
        return;
    }
    std::string text = QXLS("msg.contact.marked_for_deletion", "Marked For Deletion");
    double size = 26;
    if (_entity->providerProtocol() == OVProviderProtocol::protocolXmpp) {
        const auto jids = _entity->imAddresses();
        const std::string domain = jids.empty() ? std::string() : domainOf(jids.back()->valueStr());
        const auto all = accounts();
        if (std::any_of(all.begin(), all.end(), [&](const auto& account) {
                return account->protocol() == OVAccountProtocol::XMPPprotocol &&
                       account->status() == OVAccount::statusEnabled && account->domain() == domain;
            })) {
            text = QXLS("msg.contact.removexmpp_warning",
                        "If you delete this address from the contact it will also be removed "
                        "from your XMPP account roster on the server.");
            size = 15;
        }
    }
    _deleteSplitTextField->setFont(platform::Font::fontWithName("Lucida Grande", size));
    _deleteSplitTextField->setStringValue(text);
    _markedDelete = true;
    revealMarkedArea();
    updateRemoveButton();
    layout();
    if (_parentController) {
        _parentController->updateDisplay();
    }
}

void ContactContentController::split() {
    _deleteSplitTextField->setFont(platform::Font::fontWithName("Lucida Grande", 26));
    _deleteSplitTextField->setStringValue(QXLS("msg.contact.marked_for_split", "Marked For Split"));
    _markedSplit = true;
    revealMarkedArea();
    updateRemoveButton();
    layout();
    if (_parentController) {
        _parentController->updateDisplay();
    }
}

void ContactContentController::revealMarkedArea() {
    _showMarkedArea = true;
    // Above every row, also those added after it.
    _markedArea->removeFromSuperview();
    _view->addSubview(_markedArea);
    _markedArea->setHidden(false);
    layout();
}

void ContactContentController::cancel() {
    _markedDelete = false;
    _markedSplit = false;
    _showMarkedArea = false;
    _markedArea->setHidden(true);
    updateRemoveButton();
    if (_parentController) {
        _parentController->updateDisplay();
    }
}

EditableAddressPtr ContactContentController::appendRow(std::string type, std::string value,
                                                       std::shared_ptr<OVField> field) {
    auto row = std::make_shared<EditableContactAddress>();
    row->addressType = std::move(type);
    row->addressValue = value;
    row->addressValueToDisplay = std::move(value);
    row->field = std::move(field);
    _rows.push_back(row);

    RowControls controls;
    controls.row = row;
    controls.type = platform::make<platform::PopUpButton>(platform::Rect());
    for (const auto& choice : _choices) {
        controls.type->addItemWithTitle(
            ContactEditorController::stringForContactAddressType(choice));
    }
    // A kind that is not offered (its feature is off) shows as the first choice.
    const auto choice = std::find(_choices.begin(), _choices.end(), row->addressType);
    controls.type->selectItemAtIndex(choice == _choices.end() ? 0 : choice - _choices.begin());
    controls.value = textField({}, !isReadOnly());
    controls.value->setStringValue(row->addressValueToDisplay);
    controls.remove = button({}, "-", "removeAddress:", this);
    controls.type->setEnabled(!isReadOnly());
    controls.remove->setHidden(isReadOnly());
    for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
             controls.type, controls.value, controls.remove}) {
        _view->addSubview(view);
    }
    _rowControls.push_back(std::move(controls));
    return row;
}

double ContactContentController::height() const {
    // Kind and names, the rows, the new-address line and the presence line.
    return kMargin * 2 + kRowHeight * (4 + static_cast<double>(_rows.size()));
}

void ContactContentController::layout() {
    const double h = height();
    _view->setFrameSize(platform::Size(width, h));
    double y = h - kMargin - kRowHeight;
    const double fieldWidth = (width - 2 * kMargin - 58 - 8) / 3;
    // The picture stands left of the kind and the names.
    _avatarButton->setFrame(platform::Rect(kMargin, y - kRowHeight + 2, 50, 50));
    _resetAvatarButton->setFrame(platform::Rect(kMargin + 36, y + 10, 16, 16));
    const double left = kMargin + 58;
    _typeName->setFrame(platform::Rect(left, y + 4, width - left - kMargin - 150, 20));
    _splitButton->setFrame(platform::Rect(width - kMargin - 146, y + 2, 70, 24));
    _removeButton->setFrame(platform::Rect(width - kMargin - 72, y + 2, 72, 24));
    const double below = y;
    y -= kRowHeight;
    _firstNameTextField->setFrame(platform::Rect(left, y, fieldWidth, 24));
    _lastNameTextField->setFrame(platform::Rect(left + fieldWidth + 4, y, fieldWidth, 24));
    _displayNameTextField->setFrame(platform::Rect(left + 2 * (fieldWidth + 4), y, fieldWidth, 24));
    for (const auto& controls : _rowControls) {
        y -= kRowHeight;
        controls.type->setFrame(platform::Rect(kMargin, y, 130, 24));
        controls.value->setFrame(
            platform::Rect(kMargin + 136, y, width - 2 * kMargin - 136 - 32, 24));
        controls.remove->setFrame(platform::Rect(width - kMargin - 28, y, 28, 24));
    }
    y -= kRowHeight;
    _addressTypePopup->setFrame(platform::Rect(kMargin, y, 130, 24));
    _addressTextField->setFrame(
        platform::Rect(kMargin + 136, y, width - 2 * kMargin - 136 - 64, 24));
    _addButton->setFrame(platform::Rect(width - kMargin - 60, y, 60, 24));
    y -= kRowHeight;
    _presenceLabel->setFrame(platform::Rect(kMargin, y + 2, kLabelWidth, 20));
    const double presenceWidth = width - 2 * kMargin - kLabelWidth - 132;
    _defaultPresencePopup->setFrame(platform::Rect(kMargin + kLabelWidth, y, presenceWidth, 24));
    _presenceEnableCheckBox->setFrame(platform::Rect(kMargin + kLabelWidth, y + 2, 20, 20));
    _presenceTextField->setFrame(
        platform::Rect(kMargin + kLabelWidth + 24, y, presenceWidth - 24, 24));
    _createContactButton->setFrame(platform::Rect(width - kMargin - 126, y, 126, 24));
    // Over everything below the kind line.
    const platform::Rect area(kMargin / 2, kMargin / 2, width - kMargin, below - kMargin / 2);
    _markedArea->setFrame(area);
    const double textHeight = _deleteSplitTextField->font().pointSize() > 20 ? 36 : 44;
    _deleteSplitTextField->setFrame(
        platform::Rect(8, area.size.height / 2 - 4, area.size.width - 16, textHeight));
    _cancelMarkButton->setFrame(
        platform::Rect(area.size.width / 2 - 42, area.size.height / 2 - 40, 84, 28));
}

std::string ContactContentController::firstName() const {
    return _firstNameTextField->stringValue();
}

std::string ContactContentController::lastName() const {
    return _lastNameTextField->stringValue();
}

std::string ContactContentController::displayName() const {
    return _displayNameTextField->stringValue();
}

void ContactContentController::setDisplayName(const std::string& name) {
    _displayNameTextField->setStringValue(name);
}

bool ContactContentController::hasContent() const {
    const auto filled = [](std::string_view text) { return !contact_rules::trimmed(text).empty(); };
    if (filled(displayName()) || filled(firstName()) || filled(lastName())) {
        return true;
    }
    return std::any_of(_rowControls.begin(), _rowControls.end(),
                       [&](const auto& c) { return filled(c.value->stringValue()); });
}

std::string ContactContentController::defaultDomain(const std::string& fieldName) const {
    if (fieldName == OVField::fieldSoftphone) {
        return firstEnabledDomain(OVAccountProtocol::SIPprotocol);
    }
    if (fieldName == OVField::fieldJidAddr) {
        return firstEnabledDomain(OVAccountProtocol::XMPPprotocol);
    }
    return {};
}

void ContactContentController::collect() {
    for (const auto& controls : _rowControls) {
        auto& row = *controls.row;
        const long index = controls.type->indexOfSelectedItem();
        if (index >= 0 && index < static_cast<long>(_choices.size())) {
            row.addressType = _choices[static_cast<std::size_t>(index)];
        }
        const std::string shown = controls.value->stringValue();
        if (shown != row.addressValueToDisplay) {
            row.addressValueToDisplay = shown;
            row.addressValue = contact_rules::completedValue(
                row.addressType, shown, row.addressValue, defaultDomain(row.addressType));
        }
    }
}

std::vector<EditableAddressPtr> ContactContentController::callAddresses() const {
    std::vector<EditableAddressPtr> out;
    if (_markedDelete || _markedSplit) {
        return out;
    }
    for (const auto& row : _rows) {
        const auto& t = row->addressType;
        if (t == OVField::fieldSoftphone || t == OVField::fieldMobileNum ||
            t == OVField::fieldWorkNum || t == OVField::fieldHomeNum || t == OVField::fieldFaxNum ||
            t == OVField::fieldPagerNum) {
            out.push_back(row);
        }
    }
    return out;
}

void ContactContentController::updateExampleText() {
    const long index = _addressTypePopup->indexOfSelectedItem();
    const std::string type =
        index >= 0 && index < static_cast<long>(_choices.size()) ? _choices[index] : std::string();
    const std::string domain = defaultDomain(type);
    if (type == OVField::fieldSoftphone && !domain.empty()) {
        _addressTextField->setPlaceholderString(
            platform::formatString(QXLS("msg.contact.example.softphone", "user@%@"), domain));
    } else if (type == OVField::fieldJidAddr && !domain.empty()) {
        _addressTextField->setPlaceholderString(
            platform::formatString(QXLS("msg.contact.example.jid", "user@%@"), domain));
    } else {
        _addressTextField->setPlaceholderString(
            QXLS("msg.contact.example.others", "Enter number or address here"));
    }
}

void ContactContentController::addNewAddress() {
    std::string text = contact_rules::trimmed(_addressTextField->stringValue());
    if (text.empty() || isReadOnly()) {
        return;
    }
    const long index = _addressTypePopup->indexOfSelectedItem();
    if (index < 0 || index >= static_cast<long>(_choices.size())) {
        return;
    }
    const std::string type = _choices[static_cast<std::size_t>(index)];
    if (type == OVField::fieldJidAddr && _parentController) {
        const std::string value =
            contact_rules::completedValue(type, text, "", defaultDomain(type));
        if (_parentController->presenceAddressExist(value)) {
            _parentController->showAddressExists(value);
            return;
        }
    }
    auto row = appendRow(type, text, nullptr);
    row->addressValue = contact_rules::completedValue(type, text, "", defaultDomain(type));
    if (!_defaultPresence && type == OVField::fieldSoftphone) {
        _defaultPresence = row;
    }
    if (!_jidPresenceAddress && type == OVField::fieldJidAddr) {
        _jidPresenceAddress = row;
    }
    updateCreateButton();
    _addressTextField->setStringValue("");
    layout();
    rebuildPresenceMenu();
    if (_parentController) {
        _parentController->sourceChanged();
    }
}

void ContactContentController::removeAddress(const EditableAddressPtr& row) {
    const auto it = std::find_if(_rowControls.begin(), _rowControls.end(),
                                 [&](const auto& c) { return c.row == row; });
    if (it == _rowControls.end() || isReadOnly()) {
        return;
    }
    if (_defaultPresence == row) {
        _defaultPresence.reset();
    }
    if (_jidPresenceAddress == row) {
        _jidPresenceAddress.reset();
    }
    if (row->field) {
        _removedFields.push_back(row->field);
    }
    for (const auto& view :
         std::initializer_list<std::shared_ptr<platform::View>>{it->type, it->value, it->remove}) {
        view->removeFromSuperview();
    }
    it->remove->setTarget(nullptr);
    _rowControls.erase(it);
    std::erase(_rows, row);
    layout();
    rebuildPresenceMenu();
    updateCreateButton();
    if (_parentController) {
        _parentController->sourceChanged();
    }
}

std::optional<std::string> ContactContentController::validate() {
    collect();
    // The store keeps one address of a kind; a second, different one would be lost.
    std::vector<std::pair<std::string, std::string>> seen;
    for (const auto& controls : _rowControls) {
        const auto& row = *controls.row;
        if (controls.value->stringValue().empty() && row.addressValue.empty()) {
            return QXLS("msg.contact.validation.blank_address",
                        "Number or address must not be blank");
        }
        const std::string value = trimmedOf(row.addressValue, " ");
        if (value.empty()) {
            continue;
        }
        if (auto message = contact_rules::validationMessage(row.addressType, value)) {
            return message;
        }
        const auto same = std::find_if(seen.begin(), seen.end(),
                                       [&](const auto& s) { return s.first == row.addressType; });
        if (same != seen.end() && same->second != value) {
            return platform::formatString(
                QXLS("msg.contact.validation.one_per_kind",
                     "%@ : a contact keeps one address of each kind; choose another kind."),
                value);
        }
        seen.emplace_back(row.addressType, value);
    }
    return std::nullopt;
}

void ContactContentController::rebuildPresenceMenu() {
    if (_entity->providerProtocol() == OVProviderProtocol::protocolXmpp) {
        // A roster source watches its chat address, switched with the check box.
        return;
    }
    for (const auto& item : _defaultPresencePopup->itemArray()) {
        item->setTarget(nullptr);
    }
    _defaultPresencePopup->removeAllItems();
    const auto all = accounts();
    long selected = -1;
    long tag = 0;
    for (const auto& row : _rows) {
        ++tag;
        if (row->addressType != OVField::fieldSoftphone) {
            continue;
        }
        const std::string title = trimmedOf(row->addressValue, "( )");
        if (title.empty()) {
            continue;
        }
        // A softphone address is watched through an account of its domain, enabled or not.
        const std::string domain = domainOf(title);
        if (std::none_of(all.begin(), all.end(),
                         [&](const auto& account) { return account->domain() == domain; })) {
            continue;
        }
        _defaultPresencePopup->addItemWithTitle(title);
        auto* item = _defaultPresencePopup->lastItem();
        item->setTag(tag);
        item->setTarget(this);
        item->setAction("updateDefaultPresenceAddress:");
        if (row == _defaultPresence) {
            selected = _defaultPresencePopup->numberOfItems() - 1;
        }
    }
    _defaultPresencePopup->addItemWithTitle(QXLS("msg.contact.menu.none", "None"));
    auto* none = _defaultPresencePopup->lastItem();
    none->setTag(0);
    none->setTarget(this);
    none->setAction("updateDefaultPresenceAddress:");
    if (selected < 0) {
        _defaultPresence.reset();
        selected = _defaultPresencePopup->numberOfItems() - 1;
    }
    _defaultPresencePopup->selectItemAtIndex(selected);
}

void ContactContentController::save() {
    collect();
    const auto setName = [&](std::string_view name, const std::string& text) {
        const std::string value = contact_rules::trimmed(text);
        if (value.empty()) {
            _entity->removeField(name);
        } else {
            _entity->updateField(std::string(name), value, OVField::fieldTypeName);
        }
    };
    setName(OVField::fieldFirstName, firstName());
    setName(OVField::fieldLastName, lastName());

    _entity->removeField(OVField::fieldAvatar);
    if (!_avatar.empty()) {
        _entity->updateField(std::string(OVField::fieldAvatar),
                             std::string(_avatar.begin(), _avatar.end()), OVField::fieldTypePhoto);
    }

    if (!isReadOnly()) {
        for (const auto& field : _removedFields) {
            if (_entity->getFieldByName(field->name()) == field) {
                _entity->removeField(field->name());
            }
        }
        _removedFields.clear();
        // One value per kind: a later row of a kind already written is a duplicate.
        std::vector<std::string> written;
        for (const auto& row : _rows) {
            const std::string value = trimmedOf(row->addressValue, " ");
            if (row->field && _entity->getFieldByName(row->field->name()) == row->field &&
                (row->field->name() != row->addressType || row->field->valueStr() != value)) {
                _entity->removeField(row->field->name());
            }
            if (value.empty() ||
                std::find(written.begin(), written.end(), row->addressType) != written.end()) {
                continue;
            }
            const std::string stored = row->addressType == OVField::fieldSoftphone
                                           ? contact_rules::softphoneStoredValue(value)
                                           : value;
            _entity->updateField(row->addressType, stored,
                                 OVField::defaultTypeForName(row->addressType));
            row->field = _entity->getFieldByName(row->addressType);
            written.push_back(row->addressType);
        }
    }

    // The name shown: the display name, else first and last name, else one of them, else the
    // user part of the first address.
    const std::string display = contact_rules::trimmed(displayName());
    const std::string first = contact_rules::trimmed(firstName());
    const std::string last = contact_rules::trimmed(lastName());
    std::string name;
    if (!display.empty()) {
        name = display;
    } else if (!first.empty() && !last.empty()) {
        name = first + " " + last;
    } else if (!first.empty()) {
        name = first;
    } else if (!last.empty()) {
        name = last;
    } else if (!_rows.empty()) {
        const std::string& shown = _rows.front()->addressValueToDisplay;
        name = shown.substr(0, shown.find('@'));
    }
    if (!name.empty()) {
        _entity->updateField(std::string(OVField::fieldDisplayName), name, OVField::fieldTypeName);
        if (_entity->type() != OVEntity::typePhysicalContact) {
            _entity->setDisplayName(name);
        }
    }
}

std::string ContactContentController::snapshot() const {
    std::string out = firstName() + "\n" + lastName() + "\n" + displayName() + "\n" +
                      _addressTextField->stringValue() + "\n";
    for (const auto& controls : _rowControls) {
        out += std::to_string(controls.type->indexOfSelectedItem()) + ":" +
               controls.value->stringValue() + "\n";
    }
    out += std::to_string(_defaultPresencePopup->indexOfSelectedItem()) + "\n";
    out += std::string(_avatar.begin(), _avatar.end());
    out += _markedDelete ? "\nD" : "";
    out += _markedSplit ? "\nS" : "";
    return out;
}

platform::TextField* ContactContentController::valueFieldOf(const EditableAddressPtr& row) const {
    for (const auto& controls : _rowControls) {
        if (controls.row == row) {
            return controls.value.get();
        }
    }
    return nullptr;
}

platform::Button* ContactContentController::removeButtonOf(const EditableAddressPtr& row) const {
    for (const auto& controls : _rowControls) {
        if (controls.row == row) {
            return controls.remove.get();
        }
    }
    return nullptr;
}

bool ContactContentController::respondsToAction(std::string_view action) const {
    return action == "addNewAddress:" || action == "removeAddress:" ||
           action == "newAddressTypeChanged:" || action == "updateDefaultPresenceAddress:" ||
           action == "remove:" || action == "split:" || action == "cancel:" ||
           action == "avatarClicked:" || action == "resetAvatar:" || action == "enablePresence:" ||
           action == "createContact:" || action == "continueClick:" ||
           action == "cancelIntroClick:";
}

bool ContactContentController::tryToPerform(std::string_view action, platform::Object* sender) {
    if (action == "addNewAddress:") {
        addNewAddress();
    } else if (action == "removeAddress:") {
        for (const auto& controls : _rowControls) {
            if (controls.remove.get() == sender) {
                const auto row = controls.row;
                removeAddress(row);
                break;
            }
        }
    } else if (action == "enablePresence:") {
        enablePresence(_presenceEnableCheckBox->state() == platform::OnState);
    } else if (action == "createContact:") {
        createContact();
    } else if (action == "continueClick:") {
        continueClick();
    } else if (action == "cancelIntroClick:") {
        cancelIntroClick();
    } else if (action == "avatarClicked:") {
        avatarClicked();
    } else if (action == "resetAvatar:") {
        resetAvatar();
    } else if (action == "remove:") {
        remove();
    } else if (action == "split:") {
        split();
    } else if (action == "cancel:") {
        cancel();
    } else if (action == "newAddressTypeChanged:") {
        updateExampleText();
    } else if (action == "updateDefaultPresenceAddress:") {
        const auto* item = dynamic_cast<platform::MenuItem*>(sender);
        const long tag = item ? item->tag() : 0;
        _defaultPresence =
            tag > 0 && tag <= static_cast<long>(_rows.size()) ? _rows[tag - 1] : nullptr;
        if (_parentController) {
            _parentController->sourceChanged();
        }
    } else {
        return false;
    }
    return true;
}
