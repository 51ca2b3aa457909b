// The chat window: the other party (their contact and presence, the header, the contact and
// call actions), the transcript's own links and menu.
#include "app/calls/VideoWindow.h"
#include "app/contacts/ContactEditorController.h"
#include "app/contacts/ContactOperations.h"
#include "app/core/AppController.h"
#include "app/core/SheetsTracker.h"
#include "app/messaging/IMArchiveWindowController.h"
#include "app/messaging/IMWindowController.h"
#include "engine/ConversationService.h"
#include "engine/FeaturesService.h"
#include "engine/OVContactManager.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Button.h"
#include "platform/kit/ImageView.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/TextField.h"
#include "platform/kit/ValueTransformer.h"
#include "support/DateFormatting.h"
#include "support/Localization.h"
#include "support/Notifications.h"
#include "support/ValueTransformers.h"

#include <algorithm>
#include <span>

namespace {

std::shared_ptr<PhoneService> phoneService() {
    return StartupService::instance().phoneService();
}

std::shared_ptr<platform::Image> avatarOf(const OVEntity& contact) {
    std::shared_ptr<platform::Image> picture;
    if (const auto field = contact.getPrimary(OVField::fieldPrimaryTypeAvatar);
        field && !field->valueStr().empty()) {
        const std::string& bytes = field->valueStr();
        picture = platform::Image::imageWithData(std::span<const std::uint8_t>(
            reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    }
    return picture ? picture : platform::Image::imageNamed("AvatarSample");
}

} // namespace

void IMWindowController::buildContactInfo() {
    const double width = _contactInfoView->frame().width();
    _avatar = platform::make<platform::ImageView>(platform::Rect(4, 4, 32, 32));
    _presenceImage = platform::make<platform::ImageView>(platform::Rect(40, 23, 14, 14));
    _displayNameField->setFrame(platform::Rect(58, 20, width - 160, 18));
    _addressField->setFrame(platform::Rect(40, 2, width - 142, 16));
    _addContactButton = platform::make<platform::Button>(platform::Rect(width - 100, 8, 76, 24));
    _addContactButton->setTitle(QXLS("msg.imchat.add_contact", "Add Contact"));
    _addContactButton->setTarget(this);
    _addContactButton->setAction("addContact:");
    _optionMenu = std::make_shared<platform::Menu>();
    _optionMenu->setDelegate(this);
    _optionMenu->setAutoenablesItems(false);
    _optionButton =
        platform::make<platform::PopUpButton>(platform::Rect(width - 22, 8, 20, 24), true);
    _optionButton->setMenu(_optionMenu);
    _optionButton->setTarget(this);
    _optionButton->setAction("showOptionMenu:");
    for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
             _avatar, _presenceImage, _addContactButton, _optionButton}) {
        _contactInfoView->addSubview(view);
    }
}

void IMWindowController::observeContactNotifications() {
    std::weak_ptr<int> alive = _lifetime;
    auto& center = platform::NotificationCenter::defaultCenter();
    center.addObserver(this, ContactChangedNotification, nullptr,
                       [this, alive](const platform::Notification&) {
                           if (alive.lock()) {
                               contactChanged();
                           }
                       });
    center.addObserver(this, ContactPresenceChangedNotification, nullptr,
                       [this, alive](const platform::Notification&) {
                           if (alive.lock()) {
                               contactPresenceChanged();
                           }
                       });
}

void IMWindowController::findContact() {
    auto p = phoneService();
    auto contacts = p ? p->getContactManager() : nullptr;
    std::shared_ptr<OVEntity> found;
    _matchesSeveralContacts = false;
    if (contacts && !_groupChat && !_remoteAddress.empty()) {
        const auto all = contacts->lookup("", _remoteAddress, "");
        _matchesSeveralContacts = all.size() > 1;
        if (!all.empty()) {
            found = all.front();
        }
    }
    setContact(std::move(found));
    fillFromContact();
}

void IMWindowController::setContact(std::shared_ptr<OVEntity> contact) {
    cancelContactUpdate();
    if (_contact == contact) {
        return;
    }
    if (_contact) {
        _contact->removeObserver(this);
    }
    _contact = std::move(contact);
    if (_contact) {
        _contact->addObserver(this);
    }
}

void IMWindowController::setPresenceData(std::shared_ptr<OVPresenceData> presence) {
    if (_presenceData == presence) {
        return;
    }
    if (_presenceData) {
        _presenceData->removeDelegate(this);
    }
    _presenceData = std::move(presence);
    if (_presenceData) {
        _presenceData->setDelegate(this);
    }
}

void IMWindowController::scheduleContactUpdate() {
    cancelContactUpdate();
    std::weak_ptr<int> alive = _lifetime;
    _contactUpdateTimer = platform::Timer::scheduledTimerWithTimeInterval(
        contactUpdateInterval, false, [this, alive](platform::Timer&) {
            if (alive.lock()) {
                contactChanged();
            }
        });
}

void IMWindowController::cancelContactUpdate() {
    if (_contactUpdateTimer) {
        _contactUpdateTimer->invalidate();
        _contactUpdateTimer.reset();
    }
}

void IMWindowController::fillFromContact() {
    if (_contact) {
        setPresenceData(_contact->defaultPresence());
        _presenceStatus = _presenceData ? _presenceData->status() : OVPresenceStatus::statusNone;
        _presenceInfoMessage = _presenceData ? _presenceData->message() : std::string();
        _remoteDisplayName = _contact->displayName();
        _avatar->setImage(avatarOf(*_contact));
    }
    _displayNameField->setStringValue(_remoteDisplayName);
    ++_headerRefreshCount;
    updatePresenceImage();
    updatePartyControls();
}

void IMWindowController::updatePartyControls() {
    // Someone the contacts know (or several of them) is not added again.
    _addContactButton->setHidden(_groupChat || _contact || _matchesSeveralContacts);
    _addContactButton->setEnabled(!_isEnded && _imSession);
    _avatar->setHidden(!_contact);
}

void IMWindowController::updatePresenceImage() {
    const auto transformer =
        platform::ValueTransformer::valueTransformerForName("PresenceStatusIconTransformer");
    const platform::Value status(
        static_cast<int>(_presenceData ? _presenceStatus : OVPresenceStatus::statusNone));
    auto image =
        transformer ? platform::imageFromValue(transformer->transformedValue(status)) : nullptr;
    if (!image) {
        // The brand's set may lack a picture: the list's own set stands in.
        image = platform::Image::imageNamed(
            PresenceStatusIconNameTransformer::iconNameForStatus(status) + "_3");
    }
    _presenceImage->setImage(std::move(image));
}

void IMWindowController::resetTitle() {
    if (_groupChat) {
        return;
    }
    _window->setTitle(platform::formatString(
        _isSMS ? QXLS("msg.smschat.chat.title", "Mobile Text Messaging [SMS] with %@")
               : QXLS("msg.imchat.chat.title", "Chat with %@"),
        _remoteDisplayName));
}

void IMWindowController::contactChanged() {
    cancelContactUpdate();
    if (_contact) {
        setPresenceData(nullptr);
        setContact(nullptr);
        _remoteDisplayName = _imSession && !_imSession->remoteDisplayName().empty()
                                 ? _imSession->remoteDisplayName()
                                 : _remoteAddress;
        _presenceStatus = OVPresenceStatus::statusNone;
        _presenceInfoMessage.clear();
        _avatar->setImage(platform::Image::imageNamed("AvatarSample"));
    }
    findContact();
    resetTitle();
}

void IMWindowController::contactPresenceChanged() {
    if (!_contact || !_contact->defaultPresence()) {
        findContact();
    } else {
        fillFromContact();
    }
    resetTitle();
    if (_contact && isRemotePartyOffline()) {
        updateStatusBlock();
        if (!_groupChat) {
            setChatStateText("");
        }
    } else if (!_groupChat) {
        _transcript->setPartyOffline(false);
        _transcript->hideStatus();
    }
}

void IMWindowController::chatParticipantPresenceUpdate(const std::shared_ptr<ChatParticipant>&) {
    if (_contact) {
        setPresenceData(_contact->defaultPresence());
        _presenceStatus = _presenceData ? _presenceData->status() : OVPresenceStatus::statusNone;
        _presenceInfoMessage = _presenceData ? _presenceData->message() : std::string();
        if (isRemotePartyOffline()) {
            updateStatusBlock();
            if (!_groupChat) {
                setChatStateText("");
            }
        } else if (!_groupChat) {
            _transcript->setPartyOffline(false);
            _transcript->hideStatus();
        }
    }
    updatePresenceImage();
}

void IMWindowController::ovpdOnPropertyChanged() {
    if (!_presenceData) {
        return;
    }
    _presenceStatus = _presenceData->status();
    _presenceInfoMessage = _presenceData->message();
    if (_presenceStatus != OVPresenceStatus::statusOffline && !_lastMessageReceived.empty()) {
        setChatStateText(_lastMessageReceived);
        _transcript->hideStatus();
    }
    updatePresenceImage();
}

// The party's menu and actions.

void IMWindowController::menuNeedsUpdate(platform::Menu& menu) {
    if (&menu != _optionMenu.get()) {
        return;
    }
    menu.removeAllItems();
    menu.setAutoenablesItems(false);
    auto& operations = ContactOperations::instance();
    auto shared = _optionMenu;
    if (_contact) {
        const ContactSelection one{_contact};
        operations.callMenuForContacts(one, shared);
        if (_isSMS) {
            operations.IMMenuForContacts(one, shared);
        } else {
            operations.SMSMenuForContacts(one, shared);
        }
        operations.editMenuForEntities(one, shared);
    } else if (!_imSession || !_imSession->isXMPP()) {
        menu.addItem(std::make_shared<platform::MenuItem>("", "", ""));
        operations.callMenuForNonContacts(shared, _remoteAddress);
    }
}

void IMWindowController::addContact() {
    if (ContactEditorController::doesAdding(_remoteAddress)) {
        return;
    }
    SheetsTracker::sharedController().closeAllSheets();
    std::string address = _remoteAddress;
    std::string_view type = OVField::fieldSoftphone;
    if (_isSMS) {
        type = OVField::fieldMobileNum;
        if (const auto at = address.find('@'); at != std::string::npos) {
            address.erase(at);
        }
    } else if (_imSession && _imSession->isXMPP()) {
        type = OVField::fieldJidAddr;
    }
    if (auto contact = ContactOperations::instance().createContact(
            _imSession ? _imSession->remoteDisplayName() : _remoteDisplayName, address, type)) {
        ContactEditorController::openForContact(std::move(contact));
    }
}

void IMWindowController::editContact() {
    if (_contact) {
        ContactOperations::instance().editContact(_contact);
    }
}

void IMWindowController::viewContactArchive() {
    auto& archive = IMArchiveWindowController::sharedIMArchiveWindowController();
    archive.showWindow(nullptr);
    if (_contact) {
        archive.showChatsFor(_contact);
    } else {
        archive.showChatsForAddress(_remoteAddress);
    }
}

void IMWindowController::callParty(const platform::Value& object, bool video) {
    auto p = phoneService();
    auto conversations = p ? p->getConversationService() : nullptr;
    if (!conversations) {
        return;
    }
    std::string address;
    long long entityID = -1;
    if (object.isString()) {
        address = *object.string();
    } else if (auto handle = object.isObject() ? object.object() : nullptr) {
        if (auto entity = std::dynamic_pointer_cast<OVEntity>(handle)) {
            if (const auto field = entity->getPrimary(OVField::fieldPrimaryTypeCall)) {
                address = field->valueStr();
                entityID = entity->uniqueId();
            }
        } else if (auto field = std::dynamic_pointer_cast<OVField>(handle)) {
            address = field->valueStr();
        }
    }
    if (address.empty()) {
        return;
    }
    if (video) {
        conversations->videoConversation(address, entityID);
        auto& videoWindow = VideoWindow::sharedVideoWindow();
        if (!videoWindow.isVisible()) {
            videoWindow.orderFront(nullptr);
        }
    } else {
        conversations->audioConversation(address, entityID);
    }
}

void IMWindowController::addPartyToCall(const platform::Value& object) {
    auto p = phoneService();
    auto conversations = p ? p->getConversationService() : nullptr;
    auto live = conversations ? conversations->getLiveConversation() : nullptr;
    if (!live) {
        return;
    }
    if (object.isString()) {
        live->callAndAddParticipant(*object.string(), -1);
    } else if (auto field = object.isObject() ? std::dynamic_pointer_cast<OVField>(object.object())
                                              : nullptr) {
        const auto parent = field->parentEntity();
        live->callAndAddParticipant(field->valueStr(), parent ? parent->uniqueId() : -1);
    }
}

bool IMWindowController::isRemotePartyOffline() const {
    const auto presence = _contact ? _contact->defaultPresence() : nullptr;
    return presence && presence->status() == OVPresenceData::statusOffline;
}

void IMWindowController::updateStatusBlock() {
    if (_groupChat) {
        return;
    }
    const bool offline = isRemotePartyOffline();
    _transcript->setPartyOffline(offline);
    if (offline) {
        _transcript->showStatus("statusmessage_offline",
                                platform::formatString(QXLS("msg.imchat.messagestatus.offline",
                                                            "%@ appears to be offline %@"),
                                                       _remoteDisplayName,
                                                       _transcript->formattedTime(currentDate())));
    } else {
        _transcript->hideStatus();
    }
}

void IMWindowController::viewArchive() {
    auto& archive = IMArchiveWindowController::sharedIMArchiveWindowController();
    archive.showWindow(nullptr);
    archive.showChatsForAddress(_remoteAddress);
}

std::vector<std::shared_ptr<platform::MenuItem>>
IMWindowController::webViewContextMenuItemsForElement(
    platform::WebView&, const platform::WebElementInfo&,
    std::vector<std::shared_ptr<platform::MenuItem>> items) {
    // Nothing that opens, downloads or navigates: the transcript is not a browser.
    static constexpr long removed[] = {platform::WebMenuItemTagOpenLinkInNewWindow,
                                       platform::WebMenuItemTagDownloadLinkToDisk,
                                       platform::WebMenuItemTagOpenImageInNewWindow,
                                       platform::WebMenuItemTagDownloadImageToDisk,
                                       platform::WebMenuItemTagOpenFrameInNewWindow,
                                       platform::WebMenuItemTagGoBack,
                                       platform::WebMenuItemTagGoForward,
                                       platform::WebMenuItemTagStop,
                                       platform::WebMenuItemTagReload};
    std::erase_if(items, [](const std::shared_ptr<platform::MenuItem>& item) {
        return std::find(std::begin(removed), std::end(removed), item->tag()) != std::end(removed);
    });
    return items;
}
