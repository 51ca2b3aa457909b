#include "app/contacts/ContactContentController.h"
#include "app/contacts/ContactEditorController.h"
#include "app/core/SheetsTracker.h"
#include "engine/AccountService.h"
#include "engine/FeaturesService.h"
#include "engine/OVContactManager.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Application.h"
#include "platform/kit/Button.h"
#include "platform/kit/ButtonCell.h"
#include "platform/kit/Panel.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/TextField.h"
#include "support/AlertExtensions.h"
#include "support/Localization.h"

#include <algorithm>

// The presence section of a source: which of its addresses the contact's presence is watched
// through (a softphone address in a pop-up, or for a roster source its chat address with a
// check box), and the Create Contact button that turns a chat address typed into another
// source into a roster source of this contact, after an introduction the user writes.

namespace {

std::vector<std::shared_ptr<OVAccount>> allAccounts() {
    const auto phone = StartupService::instance().phoneService();
    return phone ? phone->getAccountService()->accounts()
                 : std::vector<std::shared_ptr<OVAccount>>{};
}

std::string domainPart(const std::string& address) {
    const auto at = address.find('@');
    return at == std::string::npos ? address : address.substr(at + 1);
}

bool featureOn(std::string_view name) {
    const auto features = StartupService::instance().featuresService();
    return features && features->featureAvailable(name);
}

bool isXmpp(const OVEntity& entity) {
    return entity.providerProtocol() == OVProviderProtocol::protocolXmpp;
}

} // namespace

void ContactContentController::makePresenceSection() {
    _presenceTextField = platform::make<platform::TextField>(platform::Rect());
    _presenceTextField->setEditable(false);
    _presenceTextField->setEnabled(false);
    _presenceEnableCheckBox = platform::make<platform::Button>(platform::Rect());
    _presenceEnableCheckBox->setButtonType(platform::SwitchButton);
    _presenceEnableCheckBox->setTitle("");
    _presenceEnableCheckBox->setTarget(this);
    _presenceEnableCheckBox->setAction("enablePresence:");
    _createContactButton = platform::make<platform::Button>(platform::Rect());
    _createContactButton->setTitle(QXLS("msg.contact.button.create_contact", "Create Contact"));
    _createContactButton->setTarget(this);
    _createContactButton->setAction("createContact:");
    _createContactButton->setHidden(true);
    for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
             _presenceTextField, _presenceEnableCheckBox, _createContactButton}) {
        _view->addSubview(view);
    }

    // The introduction sent with the roster request.
    _presenceIntroSheet =
        platform::make<platform::Panel>(platform::Rect(0, 0, 380, 150), platform::TitledWindowMask);
    auto* content = _presenceIntroSheet->contentView();
    auto prompt = platform::TextField::labelWithString(
        QXLS("msg.contact.intro.prompt", "Introduce yourself to the new contact:"),
        platform::Rect(16, 112, 348, 22));
    prompt->setSelectable(true);
    _presenceIntroTextView = platform::make<platform::TextField>(platform::Rect(16, 52, 348, 56));
    _introContinueButton = platform::make<platform::Button>(platform::Rect(270, 12, 94, 28));
    _introContinueButton->setTitle(QXLS("msg.contact.button.continue", "Continue"));
    _introContinueButton->setTarget(this);
    _introContinueButton->setAction("continueClick:");
    _introCancelButton = platform::make<platform::Button>(platform::Rect(170, 12, 94, 28));
    _introCancelButton->setTitle(QXLS("msg.opt.dialog.button.cancel", "Cancel"));
    _introCancelButton->setTarget(this);
    _introCancelButton->setAction("cancelIntroClick:");
    content->addSubview(prompt);
    content->addSubview(_presenceIntroTextView);
    content->addSubview(_introCancelButton);
    content->addSubview(_introContinueButton);
}

void ContactContentController::dropPresenceSection() {
    for (const auto& b : {_presenceEnableCheckBox, _createContactButton, _introContinueButton,
                          _introCancelButton}) {
        if (b) {
            b->setTarget(nullptr);
        }
    }
    if (_introShowing && _presenceIntroSheet) {
        SheetsTracker::sharedController().deRegisterSheet(_presenceIntroSheet.get(), this);
    }
}

void ContactContentController::setupPresenceSection() {
    const bool xmpp = isXmpp(*_entity);
    _presenceTextField->setHidden(!xmpp);
    _presenceEnableCheckBox->setHidden(!xmpp);
    _defaultPresencePopup->setHidden(xmpp);
    if (xmpp) {
        _presenceTextField->setStringValue(_jidPresenceAddress ? _jidPresenceAddress->addressValue
                                                               : std::string());
        _presenceEnableCheckBox->setState(_defaultPresence ? platform::OnState
                                                           : platform::OffState);
        // Switched only while an account of the roster's server is up for chats.
        const std::string domain =
            _jidPresenceAddress ? domainPart(_jidPresenceAddress->addressValue) : std::string();
        const auto accounts = allAccounts();
        _presenceEnableCheckBox->setEnabled(
            std::any_of(accounts.begin(), accounts.end(), [&](const auto& account) {
                return account->protocol() == OVAccountProtocol::XMPPprotocol &&
                       account->status() == OVAccount::statusEnabled &&
                       account->isFeatureEnabled(OVAccount::featureIM) &&
                       account->domain() == domain;
            }));
    }
    if (featureOn("connectServiceEnabled")) {
        for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
                 _presenceTextField, _presenceEnableCheckBox, _defaultPresencePopup,
                 _presenceLabel}) {
            view->setHidden(true);
        }
    }
}

void ContactContentController::enablePresence(bool on) {
    _defaultPresence = on ? _jidPresenceAddress : nullptr;
    _presenceEnableCheckBox->setState(on ? platform::OnState : platform::OffState);
    if (_parentController) {
        _parentController->updateDisplay();
    }
}

EditableAddressPtr ContactContentController::chatRowForContact() const {
    // The chat address the button works on: the source's first.
    for (const auto& row : _rows) {
        if (row->addressType == OVField::fieldJidAddr) {
            return row;
        }
    }
    return nullptr;
}

void ContactContentController::updateCreateButton() {
    const auto row = chatRowForContact();
    const auto accounts = allAccounts();
    const bool xmppUp = std::any_of(accounts.begin(), accounts.end(), [](const auto& account) {
        return account->protocol() == OVAccountProtocol::XMPPprotocol &&
               account->status() == OVAccount::statusEnabled;
    });
    _createContactButton->setHidden(!row || row->addressValue.empty() || isXmpp(*_entity) ||
                                    !xmppUp || isReadOnly() || _showMarkedArea);
}

void ContactContentController::createContact() {
    if (!_parentController || _introShowing) {
        return;
    }
    _introShowing = true;
    auto& window = _parentController->window();
    platform::Application::sharedApplication().beginSheet(*_presenceIntroSheet, window,
                                                          [this](int code) { startDidEnd(code); });
    SheetsTracker::sharedController().registerSheet(_presenceIntroSheet, this);
    updateCreateButton();
}

void ContactContentController::continueClick() {
    if (_introShowing) {
        platform::Application::sharedApplication().endSheet(*_presenceIntroSheet, 1);
    }
}

void ContactContentController::cancelIntroClick() {
    if (_introShowing) {
        platform::Application::sharedApplication().endSheet(*_presenceIntroSheet, 0);
    }
}

void ContactContentController::startDidEnd(int returnCode) {
    _introShowing = false;
    SheetsTracker::sharedController().deRegisterSheet(_presenceIntroSheet.get(), this);
    _presenceIntroSheet->orderOut(nullptr);
    if (returnCode != 1 || !_parentController) {
        return;
    }
    const std::string message = _presenceIntroTextView->stringValue();
    _presenceIntroTextView->setStringValue("");
    const auto row = chatRowForContact();
    if (!row || row->addressValue.empty()) {
        return;
    }
    const std::string address = row->addressValue;
    std::vector<std::shared_ptr<OVEntity>> found;
    if (const auto phone = StartupService::instance().phoneService()) {
        found = phone->getContactManager()->lookup("", address, "");
    }
    if (!found.empty() && !_parentController->isContactAdded(found.front())) {
        askToMerge(found.front(), address, row);
        return;
    }
    if (_parentController->createXmppContact(displayName(), address, message)) {
        removeAddress(row);
    }
}

void ContactContentController::askToMerge(const std::shared_ptr<OVEntity>& found,
                                          const std::string& address,
                                          const EditableAddressPtr& row) {
    auto& window = _parentController->window();
    std::weak_ptr<OVEntity> weakFound = found;
    std::weak_ptr<EditableContactAddress> weakRow = row;
    // The editor owns this source; it outlives the question it shows.
    _parentController->setShownAlert(OrvantaExtensions::sheetYesNo(
        &window,
        [this, weakFound, weakRow](platform::Alert&, int returnCode) {
            auto contact = weakFound.lock();
            auto chosen = weakRow.lock();
            if (returnCode != 1000 || !contact || !_parentController) {
                return;
            }
            _parentController->addContact(contact);
            if (chosen) {
                removeAddress(chosen);
            }
        },
        QXLS("msg.opt.dialog.caption.merge", "Merge Contacts"),
        platform::formatString(QXLS("msg.opt.dialog.message.mergeExisting",
                                    "A contact already exist with %@! Do you want to merge the "
                                    "existing contact with this one?"),
                               address),
        platform::AlertStyle::Informational));
}
