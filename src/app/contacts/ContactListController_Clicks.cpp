#include "app/calls/VideoWindow.h"
#include "app/contacts/ContactListController.h"
#include "app/contacts/ContactOperations.h"
#include "app/contacts/ContactWithGroup.h"
#include "app/core/AppController.h"
#include "app/main_window/PrimaryModuleController.h"
#include "engine/AccountService.h"
#include "engine/ConversationService.h"
#include "engine/FeaturesService.h"
#include "engine/OVIMService.h"
#include "engine/PhoneService.h"
#include "engine/SettingBlock.h"
#include "engine/StartupService.h"
#include "platform/foundation/RunLoop.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"

#include <algorithm>

namespace {

double& doubleClickIntervalSetting() {
    static double interval = 0.5;
    return interval;
}

bool feature(std::string_view name) {
    const auto features = StartupService::instance().featuresService();
    return features && features->featureAvailable(name);
}

// Characters a value keeps in a URL; every other byte is written as %XX.
std::string percentEncoded(std::string_view text, std::string_view keep) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || std::string_view("-._~").find(c) != std::string_view::npos ||
            keep.find(c) != std::string_view::npos) {
            out.push_back(c);
        } else {
            out.push_back('%');
            out.push_back(hex[byte >> 4]);
            out.push_back(hex[byte & 15]);
        }
    }
    return out;
}

bool isJid(const std::shared_ptr<OVField>& field) {
    return field && field->name() == OVField::fieldJidAddr;
}

} // namespace

double ContactListController::doubleClickInterval() {
    return doubleClickIntervalSetting();
}

void ContactListController::setDoubleClickInterval(double seconds) {
    doubleClickIntervalSetting() = seconds;
}

std::string ContactListController::mailtoURL(std::string_view address) {
    return "mailto:" + percentEncoded(address, "@+!$'*,;=");
}

std::string ContactListController::webURL(std::string_view address) {
    // An address shorter than four characters does not begin with "http".
    const bool http = address.size() >= 4 &&
                      std::equal(address.begin(), address.begin() + 4, "http", [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) == b;
                      });
    const std::string encoded = percentEncoded(address, ":/?#[]@!$&'()*+,;=%");
    return http ? encoded : "http://" + encoded;
}

bool ContactListController::respondsToAction(std::string_view action) const {
    return action == "rowClick:" || action == "rowDoubleClick:" || respondsToListAction(action);
}

bool ContactListController::tryToPerform(std::string_view action, platform::Object* sender) {
    if (respondsToListAction(action)) {
        return performListAction(action, sender);
    }
    if (action == "rowClick:") {
        rowClick();
    } else if (action == "rowDoubleClick:") {
        rowDoubleClick();
    } else {
        return false;
    }
    return true;
}

void ContactListController::rowClick() {
    cancel(_rowClickTimer);
    _rowClickTimer = platform::Timer::scheduledTimerWithTimeInterval(
        doubleClickInterval() + 0.025, false, [this](platform::Timer&) {
            _rowClickTimer.reset();
            rowClickDelayed();
        });
}

void ContactListController::rowClickDelayed() {
    const long row = _contactOutlineView->selectedRow();
    if (row >= 0 &&
        std::dynamic_pointer_cast<ContactWithGroup>(_contactOutlineView->itemAtRow(row))) {
        setExpandedItemAtRow(row);
    }
    _expandOnClick = true;
}

void ContactListController::setExpandedItemAtRow(long row) {
    if (!_expandOnClick) {
        return;
    }
    platform::IndexSet rows;
    if (_expandedItem) {
        if (const long current = _contactOutlineView->rowForItem(_expandedItem); current >= 0) {
            rows.insert(current);
        }
    }
    auto item = std::dynamic_pointer_cast<ContactWithGroup>(_contactOutlineView->itemAtRow(row));
    if (item && item == _expandedItem) {
        _expandedItem.reset();
    } else if (item) {
        _expandedItem = item;
    }
    if (_expandedItem) {
        rows.insert(row);
    } else {
        _contactOutlineView->deselectAll(nullptr);
    }
    _contactOutlineView->noteHeightOfRowsWithIndexesChanged(rows);
}

void ContactListController::rowDoubleClick() {
    cancel(_linkClickTimer);
    _lastClickedLink.reset();
    cancel(_rowClickTimer);
    performDefaultActionOnSelectedRow();
    _expandOnClick = true;
}

void ContactListController::performDefaultActionOnSelectedRow() {
    const long row = _contactOutlineView->selectedRow();
    if (row < 0) {
        return;
    }
    const auto item = _contactOutlineView->itemAtRow(row);
    if (auto group = std::dynamic_pointer_cast<OVEntity>(item)) {
        if (_contactOutlineView->isItemExpanded(item)) {
            _contactOutlineView->collapseItem(item);
        } else {
            _contactOutlineView->expandItem(item);
        }
        return;
    }
    const auto row_ = std::dynamic_pointer_cast<ContactWithGroup>(item);
    if (!row_) {
        return;
    }
    const auto& contact = *row_->contact();
    long action = 0;
    if (_phoneService) {
        action = _phoneService->getPreferenceSettings()
                     ->sub("preferences")
                     ->sub("application")
                     ->sub("doubleClickAction")
                     ->longSetting();
    }
    switch (action) {
    case 0:
        buttonClicked(CellButton::buttonTypeCall, {}, contact);
        break;
    case 1:
        buttonClicked(CellButton::buttonTypeChat, {}, contact);
        break;
    case 2:
        buttonClicked(CellButton::buttonTypeSMS, {}, contact);
        break;
    case 3:
        if (feature("sendEmailEnabled") && !contact.emailAddresses().empty()) {
            AppController::openURL(mailtoURL(contact.emailAddresses().front()->valueStr()));
        }
        break;
    default:
        break;
    }
}

bool ContactListController::enterKeyPressed() {
    performDefaultActionOnSelectedRow();
    return true;
}

bool ContactListController::spaceKeyPressed() {
    cancel(_rowClickTimer);
    const long row = _contactOutlineView->selectedRow();
    if (row < 0) {
        return true;
    }
    const auto item = _contactOutlineView->itemAtRow(row);
    if (std::dynamic_pointer_cast<OVEntity>(item)) {
        if (_contactOutlineView->isItemExpanded(item)) {
            _contactOutlineView->collapseItem(item);
        } else {
            _contactOutlineView->expandItem(item);
        }
    } else {
        setExpandedItemAtRow(row);
    }
    return true;
}

bool ContactListController::deleteKeyPressed() {
    ContactSelection items;
    for (long row : _contactOutlineView->selectedRowIndexes()) {
        const auto item = _contactOutlineView->itemAtRow(row);
        if (auto group = std::dynamic_pointer_cast<OVEntity>(item)) {
            if (!group->isReadOnly()) {
                items.push_back(group);
            }
        } else if (auto contactRow = std::dynamic_pointer_cast<ContactWithGroup>(item)) {
            items.push_back(contactRow->contact());
        }
    }
    if (!items.empty()) {
        ContactOperations::instance().deleteEntities(items, false);
    }
    return true;
}

// Row buttons.

void ContactListController::updateData() {
    bool sms = false;
    bool im = false;
    bool xmpp = false;
    if (_phoneService) {
        for (const auto& account : _phoneService->getAccountService()->accounts()) {
            if (account->status() != OVAccount::statusEnabled) {
                continue;
            }
            sms = sms || account->isFeatureEnabled(OVAccount::featureSMS);
            if (account->isFeatureEnabled(OVAccount::featureIM)) {
                im = true;
                xmpp = xmpp || account->protocol() == OVAccount::XMPPprotocol;
            }
        }
    }
    _canCall = _phoneService && _phoneService->getConversationService()->isAvailable();
    _hasIM = im && feature("instantMessagingEnabled");
    _hasSMS = sms && feature("textMessagingEnabled");
    _hasGroupChat = _hasIM && xmpp && feature("groupChatEnabled");
}

bool ContactListController::subscribed(const OVEntity& contact) const {
    const auto presence = contact.defaultPresence();
    return presence && presence->status() != OVPresenceStatus::statusNone && _contactManager &&
           _contactManager->presenceSubscription(contact);
}

bool ContactListController::buttonHidden(int type, const OVEntity& contact) {
    updateData();
    switch (type) {
    case CellButton::buttonTypeCall:
        return !(_canCall && contact.getPrimary(OVField::fieldPrimaryTypeCall));
    case CellButton::buttonTypeChat: {
        const auto addresses = contact.imAddresses();
        const bool reachable = std::any_of(addresses.begin(), addresses.end(), [](const auto& a) {
            return a->name() == OVField::fieldJidAddr || a->name() == OVField::fieldSoftphone;
        });
        return !(_hasIM && (subscribed(contact) || reachable));
    }
    case CellButton::buttonTypeSMS:
        return !_hasSMS;
    default:
        return false;
    }
}

bool ContactListController::buttonAvailable(int type, const OVEntity& contact) {
    updateData();
    const auto im = _phoneService ? _phoneService->getIMService() : nullptr;
    switch (type) {
    case CellButton::buttonTypeMoreMenu:
        return true;
    case CellButton::buttonTypeCall:
        return _canCall && contact.getPrimary(OVField::fieldPrimaryTypeCall);
    case CellButton::buttonTypeChat: {
        if (!_hasIM || !im) {
            return false;
        }
        if (subscribed(contact)) {
            return true;
        }
        if (const auto presence = contact.getPrimary(OVField::fieldPrimaryTypePresence)) {
            return im->canNewIMSession(presence->valueStr(), isJid(presence), false);
        }
        const auto addresses = contact.imAddresses();
        return std::any_of(addresses.begin(), addresses.end(), [&](const auto& a) {
            return im->canNewIMSession(a->valueStr(), isJid(a), false);
        });
    }
    case CellButton::buttonTypeSMS: {
        const auto sms = contact.getPrimary(OVField::fieldPrimaryTypeSMS);
        return _hasSMS && sms && im && im->canNewIMSession(sms->valueStr(), false, true);
    }
    default:
        return false;
    }
}

bool ContactListController::buttonHasMenu(int type, const OVEntity& contact) {
    switch (type) {
    case CellButton::buttonTypeMoreMenu:
        return true;
    case CellButton::buttonTypeCall: {
        const std::size_t needed = feature("allow_video") ? 0 : 1;
        return _canCall && contact.callableAddresses().size() > needed;
    }
    case CellButton::buttonTypeChat:
        return _hasIM && (contact.getPrimary(OVField::fieldPrimaryTypePresence) || _hasGroupChat ||
                          _contactOutlineView->numberOfSelectedRows() > 1);
    case CellButton::buttonTypeSMS:
        return _hasSMS && contact.getPrimary(OVField::fieldPrimaryTypeSMS) &&
               _contactOutlineView->numberOfSelectedRows() > 1;
    default:
        return false;
    }
}

void ContactListController::buttonClicked(int type, const platform::Rect&,
                                          const OVEntity& contact) {
    _expandOnClick = false;
    if (!_phoneService) {
        return;
    }
    switch (type) {
    case CellButton::buttonTypeCall: {
        auto field = contact.getPrimary(OVField::fieldPrimaryTypeCall);
        if (!field && !contact.callableAddresses().empty()) {
            field = contact.callableAddresses().front();
        }
        if (field) {
            _phoneService->getConversationService()->audioConversation(field->valueStr(),
                                                                       contact.uniqueId());
        }
        break;
    }
    case CellButton::buttonTypeChat: {
        auto self = std::const_pointer_cast<OVEntity>(contact.shared_from_this());
        ContactOperations::instance().sendIM(
            platform::Value(std::static_pointer_cast<platform::Object>(self)));
        break;
    }
    case CellButton::buttonTypeSMS: {
        auto field = contact.getPrimary(OVField::fieldPrimaryTypeSMS);
        if (!field && !contact.smsAddresses().empty()) {
            field = contact.smsAddresses().front();
        }
        if (field && field->name() == OVField::fieldMobileNum) {
            _phoneService->getIMService()->newIMSession(field->valueStr(), false, true);
        }
        break;
    }
    default:
        break;
    }
}

ContactSelection ContactListController::menuContacts(const OVEntity& pressed) {
    ContactSelection contacts;
    const auto self = std::const_pointer_cast<OVEntity>(pressed.shared_from_this());
    if (_contactOutlineView->numberOfSelectedRows() >= 2) {
        bool among = false;
        for (long row : _contactOutlineView->selectedRowIndexes()) {
            auto item =
                std::dynamic_pointer_cast<ContactWithGroup>(_contactOutlineView->itemAtRow(row));
            if (!item) {
                continue;
            }
            if (item->contact()->isEqualToInterface(pressed)) {
                among = true;
            } else {
                contacts.push_back(item->contact());
            }
        }
        if (!among) {
            contacts.clear();
        }
    }
    contacts.insert(contacts.begin(), self);
    return contacts;
}

std::shared_ptr<platform::Menu> ContactListController::menuForButton(int type,
                                                                     const OVEntity& contact) {
    const auto contacts = menuContacts(contact);
    auto& operations = ContactOperations::instance();
    switch (type) {
    case CellButton::buttonTypeMoreMenu:
        return operations.editMenuForEntities(contacts, nullptr);
    case CellButton::buttonTypeCall:
        return operations.callMenuForContacts(contacts, nullptr);
    case CellButton::buttonTypeSMS:
        return operations.SMSMenuForContacts(contacts, nullptr);
    case CellButton::buttonTypeChat:
        return operations.IMMenuForContacts(contacts, nullptr);
    default:
        return nullptr;
    }
}

void ContactListController::showMenuForButton(int type, const platform::Rect& frame,
                                              const OVEntity& contact) {
    _expandOnClick = false;
    if (const auto menu = menuForButton(type, contact)) {
        menu->setAutoenablesItems(false);
        menu->popUpMenuPositioningItem(nullptr, {frame.minX() - 3, frame.maxY()},
                                       _contactOutlineView.get());
    }
}

// Links.

void ContactListController::linkClicked(const CellLink& link, const OVEntity&) {
    cancel(_linkClickTimer);
    _lastClickedLink = link;
    _linkClickTimer = platform::Timer::scheduledTimerWithTimeInterval(
        doubleClickInterval() + 0.025, false, [this](platform::Timer&) {
            _linkClickTimer.reset();
            if (auto link = std::move(_lastClickedLink)) {
                _lastClickedLink.reset();
                linkClickDelayed(*link);
            }
        });
    _expandOnClick = false;
}

void ContactListController::linkClickDelayed(const CellLink& link) {
    if (!_phoneService) {
        return;
    }
    const auto im = _phoneService->getIMService();
    if (link.communicationType == OVField::fieldTypeIM) {
        im->newIMSession(link.address, link.addressType == OVField::fieldJidAddr, false);
    } else if (link.communicationType == OVField::fieldTypeSMS) {
        im->newIMSession(link.address, false, true);
    } else if (link.communicationType == OVField::fieldTypeVoiceVideo) {
        const long row = _contactOutlineView->selectedRow();
        auto item =
            row >= 0
                ? std::dynamic_pointer_cast<ContactWithGroup>(_contactOutlineView->itemAtRow(row))
                : nullptr;
        if (item) {
            const auto id = item->contact()->uniqueId();
            const auto conversations = _phoneService->getConversationService();
            const int method = PrimaryModuleController::sharedController().defaulCallMethod();
            if (method == 1) {
                conversations->videoConversation(link.address, id);
                VideoWindow& window = VideoWindow::sharedVideoWindow();
                if (!window.isVisible()) {
                    window.orderFront(nullptr);
                }
            } else if (method == 2) {
                conversations->conferenceConversation(link.address, id);
            } else {
                conversations->audioConversation(link.address, id);
            }
        }
    } else if (link.addressType == OVField::fieldEmailAddr) {
        AppController::openURL(mailtoURL(link.address));
    } else if (link.addressType == OVField::fieldWebAddress) {
        AppController::openURL(webURL(link.address));
    }
    _expandOnClick = false;
}
