#include "app/calls/VideoWindow.h"
#include "app/contacts/ContactEditorController.h"
#include "app/contacts/ContactListController.h"
#include "app/contacts/ContactOperations.h"
#include "app/core/AppController.h"
#include "app/core/SheetsTracker.h"
#include "app/hosted/ConnectInviteFriendsWindowController.h"
#include "app/main_window/MainAppWindow.h"
#include "app/messaging/IMArchiveWindowController.h"
#include "app/messaging/IMBroadcastWindowController.h"
#include "engine/AccountService.h"
#include "engine/ConversationService.h"
#include "engine/FeaturesService.h"
#include "engine/FileTransferService.h"
#include "engine/OVContactManager.h"
#include "engine/OVIMService.h"
#include "engine/OVPrivacyService.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/kit/Alert.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/OpenPanel.h"
#include "platform/kit/Panel.h"
#include "support/AlertExtensions.h"
#include "support/Localization.h"
#include "support/Notifications.h"

#include <algorithm>
#include <filesystem>

namespace {

std::shared_ptr<PhoneService> phone() {
    return StartupService::instance().phoneService();
}

bool feature(std::string_view name) {
    const auto features = StartupService::instance().featuresService();
    return features && features->featureAvailable(name);
}

platform::Window* mainWindow() {
    AppController* controller = AppController::sharedAppController();
    return controller ? controller->mainWindow() : nullptr;
}

std::shared_ptr<OVField> fieldOf(const platform::Value& object) {
    return std::dynamic_pointer_cast<OVField>(object.object());
}

std::shared_ptr<OVEntity> entityOf(const platform::Value& object) {
    return std::dynamic_pointer_cast<OVEntity>(object.object());
}

std::shared_ptr<OVEntity> contactOf(const platform::Value& object) {
    auto entity = entityOf(object);
    return entity && entity->type() != OVEntity::typeGroup ? entity : nullptr;
}

// The address and the contact's identity an address item calls: a field's value and its
// contact (a merged contact's, for a field of one of its sources), or a bare address and -1.
std::optional<std::pair<std::string, long long>> callTarget(const platform::Value& object) {
    if (const auto field = fieldOf(object)) {
        auto contact = field->parentEntity();
        if (contact && contact->type() == OVEntity::typePhysicalContact) {
            contact = contact->parentEntity();
        }
        return std::make_pair(field->valueStr(), contact ? contact->uniqueId() : -1LL);
    }
    if (object.isString() && !object.stringValue().empty()) {
        return std::make_pair(object.stringValue(), -1LL);
    }
    return std::nullopt;
}

// The members of the groups in the list, and its contacts.
std::vector<std::shared_ptr<OVEntity>> contactsIn(const ContactSelection& items) {
    std::vector<std::shared_ptr<OVEntity>> contacts;
    for (const auto& item : items) {
        if (item->type() == OVEntity::typeGroup) {
            for (const auto& member : item->entitiesAll()) {
                contacts.push_back(member);
            }
        } else {
            contacts.push_back(item);
        }
    }
    return contacts;
}

bool canOpenChat(const OVField& address) {
    const auto service = phone();
    if (!service) {
        return false;
    }
    if (address.name() == OVField::fieldSoftphone) {
        return service->getIMService()->canNewIMSession(address.valueStr(), false, false);
    }
    if (address.name() == OVField::fieldJidAddr) {
        return service->getIMService()->canNewIMSession(address.valueStr(), true, false);
    }
    return false;
}

void openChat(const std::string& address, bool viaXMPP, bool viaSms) {
    if (const auto service = phone()) {
        service->getIMService()->newIMSession(address, viaXMPP, viaSms);
    }
}

void replaceFirst(std::string& text, std::string_view what, const std::string& with) {
    if (const auto at = text.find(what); at != std::string::npos) {
        text.replace(at, what.size(), with);
    }
}

} // namespace

ContactSelection contactSelectionFromValue(const platform::Value& object) {
    ContactSelection selection;
    if (auto entity = entityOf(object)) {
        selection.push_back(std::move(entity));
    } else if (const auto* array = object.array()) {
        for (const auto& element : *array) {
            if (auto member = entityOf(element)) {
                selection.push_back(std::move(member));
            }
        }
    }
    return selection;
}

platform::Value valueFromContactSelection(const ContactSelection& selection) {
    platform::Value::Array array;
    for (const auto& entity : selection) {
        array.emplace_back(std::static_pointer_cast<platform::Object>(entity));
    }
    return platform::Value(std::move(array));
}

bool ContactOperations::respondsToAction(std::string_view action) const {
    static constexpr std::string_view actions[] = {"call:",
                                                   "videoCall:",
                                                   "addToCall:",
                                                   "sendIM:",
                                                   "sendIMViaXMPP:",
                                                   "sendSMS:",
                                                   "broadcastIM:",
                                                   "startGroupChat:",
                                                   "sendFilesXMPP:",
                                                   "editContactAction:",
                                                   "addNewContactToGroup:",
                                                   "newGroup:",
                                                   "renameItems:",
                                                   "deleteItems:",
                                                   "deleteItemsFromFavourites:",
                                                   "addToFav:",
                                                   "removeFromFav:",
                                                   "addToAlertList:",
                                                   "removeFromAlertList:",
                                                   "block:",
                                                   "unblock:",
                                                   "mergeItems:",
                                                   "splitItems:",
                                                   "showCallHistory:",
                                                   "viewIMArchive:",
                                                   "inviteFriend:",
                                                   "inviteFriends:"};
    return std::find(std::begin(actions), std::end(actions), action) != std::end(actions);
}

bool ContactOperations::tryToPerform(std::string_view action, platform::Object* sender) {
    const auto* item = dynamic_cast<platform::MenuItem*>(sender);
    if (!item || !respondsToAction(action)) {
        return false;
    }
    const platform::Value& object = item->representedObject();
    if (action == "call:") {
        call(object);
    } else if (action == "videoCall:") {
        videoCall(object);
    } else if (action == "addToCall:") {
        addToCall(object);
    } else if (action == "sendIM:") {
        sendIM(object);
    } else if (action == "sendIMViaXMPP:") {
        sendIMViaXMPP(object);
    } else if (action == "sendSMS:") {
        sendSMS(object);
    } else if (action == "broadcastIM:") {
        broadcastIM(object);
    } else if (action == "startGroupChat:") {
        startGroupChat(object);
    } else if (action == "sendFilesXMPP:") {
        if (auto contact = contactOf(object)) {
            requestFileTransfer(contact);
        }
    } else if (action == "editContactAction:") {
        if (auto contact = contactOf(object)) {
            editContact(contact);
        }
    } else if (action == "addNewContactToGroup:") {
        addNewContactToGroup(object);
    } else if (action == "newGroup:") {
        newGroup(object);
    } else if (action == "renameItems:") {
        renameItems(object);
    } else if (action == "deleteItems:" || action == "deleteItemsFromFavourites:") {
        const auto items = contactSelectionFromValue(object);
        if (!items.empty()) {
            deleteEntities(items, action == "deleteItemsFromFavourites:");
        }
    } else if (action == "addToFav:") {
        addToFav(object);
    } else if (action == "removeFromFav:") {
        removeFromFav(object);
    } else if (action == "addToAlertList:") {
        addToAlertList(object);
    } else if (action == "removeFromAlertList:") {
        removeFromAlertList(object);
    } else if (action == "block:" || action == "unblock:") {
        block(object, action == "block:");
    } else if (action == "mergeItems:") {
        mergeItems(object);
    } else if (action == "splitItems:") {
        splitItems(object);
    } else if (action == "showCallHistory:") {
        showCallHistory(object);
    } else if (action == "viewIMArchive:") {
        viewIMArchive(object);
    } else if (action == "inviteFriend:") {
        inviteOneFriend(contactOf(object));
    } else if (action == "inviteFriends:") {
        inviteFriends(object);
    }
    return true;
}

std::optional<bool> ContactOperations::validateMenuItem(platform::MenuItem& item) {
    const auto field = fieldOf(item.representedObject());
    const auto service = phone();
    if (item.action() == "sendIMViaXMPP:" && field) {
        return service && service->getIMService()->canNewIMSession(field->valueStr(), true, false);
    }
    if (item.action() == "sendIM:" && field) {
        return service && service->getIMService()->canNewIMSession(field->valueStr(), false, false);
    }
    return true;
}

void ContactOperations::call(const platform::Value& object) {
    const auto service = phone();
    if (const auto target = callTarget(object); target && service) {
        service->getConversationService()->audioConversation(target->first, target->second);
    }
}

void ContactOperations::videoCall(const platform::Value& object) {
    const auto service = phone();
    if (const auto target = callTarget(object); target && service) {
        service->getConversationService()->videoConversation(target->first, target->second);
        VideoWindow& window = VideoWindow::sharedVideoWindow();
        if (!window.isVisible()) {
            window.orderFront(nullptr);
        }
    }
}

void ContactOperations::addToCall(const platform::Value& object) {
    const auto service = phone();
    const auto target = callTarget(object);
    if (!target || !service) {
        return;
    }
    for (const auto& conversation : service->getConversationService()->getAllConversations()) {
        if (conversation->isEstablished() && conversation->canCallAndAddParticipant()) {
            conversation->callAndAddParticipant(target->first, target->second);
            return;
        }
    }
}

void ContactOperations::sendIM(const platform::Value& object) {
    if (const auto field = fieldOf(object)) {
        openChat(field->valueStr(), false, false);
        return;
    }
    const auto contact = contactOf(object);
    if (!contact) {
        return;
    }
    // The presence address when a chat can be opened on it, else the first address that can.
    if (const auto presence = contact->presenceAddress(); presence && canOpenChat(*presence)) {
        openChat(presence->valueStr(), presence->name() == OVField::fieldJidAddr, false);
        return;
    }
    for (const auto& address : contact->imAddresses()) {
        if (canOpenChat(*address)) {
            openChat(address->valueStr(), address->name() == OVField::fieldJidAddr, false);
            return;
        }
    }
}

void ContactOperations::sendIMViaXMPP(const platform::Value& object) {
    auto field = fieldOf(object);
    if (!field) {
        if (const auto contact = contactOf(object)) {
            field = contact->getPrimary(OVField::fieldPrimaryTypePresence);
        }
    }
    if (field) {
        openChat(field->valueStr(), true, false);
    }
}

void ContactOperations::sendSMS(const platform::Value& object) {
    if (const auto field = fieldOf(object)) {
        openChat(field->valueStr(), false, true);
    }
}

bool ContactOperations::canBroadcastIM(const ContactSelection& items) const {
    if (!feature("allow_im_broadcast")) {
        return false;
    }
    for (const auto& contact : contactsIn(items)) {
        const auto addresses = contact->imAddresses();
        if (std::any_of(addresses.begin(), addresses.end(),
                        [](const auto& address) { return canOpenChat(*address); })) {
            return true;
        }
    }
    return false;
}

void ContactOperations::broadcastIM(const platform::Value& object) {
    std::vector<std::shared_ptr<OVEntity>> recipients;
    for (const auto& contact : contactsIn(contactSelectionFromValue(object))) {
        const auto addresses = contact->imAddresses();
        if (std::any_of(addresses.begin(), addresses.end(),
                        [](const auto& address) { return canOpenChat(*address); })) {
            recipients.push_back(contact);
        }
    }
    if (!recipients.empty()) {
        IMBroadcastWindowController::initWithBroadcast(recipients, false);
    }
}

void ContactOperations::startGroupChat(const platform::Value& object) {
    if (!object.isDictionary()) {
        return;
    }
    platform::NotificationCenter::defaultCenter().postNotificationName(ContextGroupChat, nullptr,
                                                                       object);
}

void ContactOperations::addNewContactToGroup(const platform::Value& object) {
    const auto group = entityOf(object);
    if (!group || group->type() != OVEntity::typeGroup) {
        return;
    }
    const auto service = phone();
    if (!service) {
        return;
    }
    auto contact = service->getContactManager()->createLogicalEntity();
    contact->setGroupToAdd(group->displayName());
    editContact(contact);
}

void ContactOperations::newGroup(const platform::Value& /*object*/) {
    if (auto* list = ContactListController::sharedController()) {
        list->contextNewGroup();
    }
}

void ContactOperations::renameItems(const platform::Value& object) {
    if (const auto group = entityOf(object); group && group->type() == OVEntity::typeGroup) {
        if (auto* list = ContactListController::sharedController()) {
            list->contextRenameGroup(group);
        }
    }
}

void ContactOperations::addToFav(const platform::Value& object) {
    for (const auto& contact : contactsIn(contactSelectionFromValue(object))) {
        contact->setFavourite(true);
        contact->saveCommand();
    }
}

void ContactOperations::removeFromFav(const platform::Value& object) {
    for (const auto& contact : contactsIn(contactSelectionFromValue(object))) {
        contact->setFavourite(false);
        contact->saveCommand();
    }
}

namespace {

struct ChatAccounts {
    bool sip = false;
    bool xmpp = false;
    ChatAccounts() {
        const auto service = phone();
        if (!service) {
            return;
        }
        for (const auto& account : service->getAccountService()->accounts()) {
            if (account->status() == OVAccount::statusEnabled &&
                account->isFeatureEnabled(OVAccount::featureIM)) {
                sip = sip || account->protocol() == OVAccount::SIPprotocol;
                xmpp = xmpp || account->protocol() == OVAccount::XMPPprotocol;
            }
        }
    }
    bool eligible(const OVEntity& contact) const {
        const auto presence = contact.getPrimary(OVField::fieldPrimaryTypePresence);
        return presence && ((presence->name() == OVField::fieldSoftphone && sip) ||
                            (presence->name() == OVField::fieldJidAddr && xmpp));
    }
};

// The contacts the alert-list actions walk: the members of groups and of merged contacts,
// then the items that are contacts.
std::vector<std::shared_ptr<OVEntity>> alertListWalk(const ContactSelection& items) {
    std::vector<std::shared_ptr<OVEntity>> walk;
    for (const auto& item : items) {
        if (item->type() == OVEntity::typeGroup || item->entitiesAll().size() >= 2) {
            for (const auto& member : item->entitiesAll()) {
                walk.push_back(member);
            }
        }
    }
    for (const auto& item : items) {
        if (item->type() != OVEntity::typeGroup) {
            walk.push_back(item);
        }
    }
    return walk;
}

} // namespace

void ContactOperations::addToAlertList(const platform::Value& object) {
    const ChatAccounts accounts;
    for (const auto& contact : alertListWalk(contactSelectionFromValue(object))) {
        if (accounts.eligible(*contact)) {
            contact->updateField(std::string(OVField::fieldAlertEnabled),
                                 std::string(OVField::fieldValueTrue), OVField::fieldTypeMetaData);
            contact->saveCommand();
        }
    }
}

void ContactOperations::removeFromAlertList(const platform::Value& object) {
    for (const auto& contact : alertListWalk(contactSelectionFromValue(object))) {
        const auto field = contact->getFieldByName(OVField::fieldAlertEnabled);
        if (field && field->valueStr() == OVField::fieldValueTrue) {
            for (auto name : {OVField::fieldAlertEnabled, OVField::fieldAlertIsPersistent}) {
                contact->updateField(std::string(name), std::string(OVField::fieldValueFalse),
                                     OVField::fieldTypeMetaData);
            }
            contact->saveCommand();
        }
    }
}

void ContactOperations::block(const platform::Value& object, bool blocked) {
    const auto contact = contactOf(object);
    const auto service = phone();
    if (!contact || !service) {
        return;
    }
    std::vector<std::string> addresses;
    for (const auto& field : contact->imAddresses()) {
        addresses.push_back(field->valueStr());
    }
    for (const auto& field : contact->callableAddresses()) {
        addresses.push_back(field->valueStr());
    }
    const auto privacy = service->getPrivacyService();
    for (auto protocol : {OVAccountProtocol::SIPprotocol, OVAccountProtocol::XMPPprotocol}) {
        if (blocked) {
            privacy->blockAddresses(addresses, protocol);
        } else {
            privacy->unblockAddresses(addresses, protocol);
        }
    }
    platform::NotificationCenter::defaultCenter().postNotificationName(PrivacyChangedNotification,
                                                                       this, {});
}

void ContactOperations::mergeItems(const platform::Value& object) {
    const auto service = phone();
    if (!feature("contactMergingEnabled") || !service) {
        return;
    }
    // The distinct contacts first: a contact selected twice (in two groups) is one, and the
    // others' primary fields are cleared only once a merge of two or more is certain.
    std::vector<std::shared_ptr<OVEntity>> contacts;
    for (const auto& item : contactSelectionFromValue(object)) {
        if (item->type() == OVEntity::typeGroup ||
            item->providerProtocol() == OVProviderProtocol::protocolMacAddressBook) {
            continue;
        }
        if (std::none_of(contacts.begin(), contacts.end(),
                         [&](const auto& c) { return c->isEqualToInterface(*item); })) {
            contacts.push_back(item);
        }
    }
    if (contacts.size() < 2) {
        return;
    }
    for (std::size_t i = 1; i < contacts.size(); ++i) {
        contacts[i]->clearPrimaryFields();
        contacts[i]->saveCommand();
    }
    if (const auto merged = service->getContactManager()->mergeContacts(contacts)) {
        merged->saveCommand();
        editContact(merged);
    }
}

void ContactOperations::splitItems(const platform::Value& object) {
    const auto contact = contactOf(object);
    if (!contact) {
        return;
    }
    // Once the menu has closed.
    platform::Timer::scheduledTimerWithTimeInterval(
        0.2, false, [contact](platform::Timer&) { instance().splitItemsCallback(contact); });
}

void ContactOperations::splitItemsCallback(const std::shared_ptr<OVEntity>& contact) {
    const auto service = phone();
    if (!contact || contact->type() != OVEntity::typeLogicalContact || !service) {
        return;
    }
    const auto sources = contact->entitiesAll();
    for (const auto& source : sources) {
        if (source->addresses().empty()) {
            source->deleteCommand();
        }
    }
    service->getContactManager()->splitContact(contact);
}

void ContactOperations::showCallHistory(const platform::Value& object) {
    if (contactOf(object)) {
        notAvailableYet(QXLS("msg.contacts.notyet.history", "The call history"));
    }
}

void ContactOperations::viewIMArchive(const platform::Value& object) {
    if (const auto contact = contactOf(object)) {
        auto& archive = IMArchiveWindowController::sharedIMArchiveWindowController();
        archive.showWindow(this);
        archive.showChatsFor(contact);
    }
}

void ContactOperations::inviteFriends(const platform::Value& object) {
    for (const auto& contact : contactsIn(contactSelectionFromValue(object))) {
        const auto addresses = contact->addresses();
        if (std::none_of(addresses.begin(), addresses.end(),
                         [](const auto& a) { return hasConnectPresence(*a); })) {
            inviteOneFriend(contact);
        }
    }
}

void ContactOperations::inviteOneFriend(const std::shared_ptr<OVEntity>& contact) {
    if (!contact || contact->type() == OVEntity::typeGroup) {
        return;
    }
    auto& invite = ConnectInviteFriendsWindowController::sharedInviteWindowController();
    invite.showWindow(this);
    const auto emails = contact->emailAddresses();
    invite.invite(contact->displayName(), emails.empty() ? "" : emails.front()->valueStr());
}

void ContactOperations::editContact(const std::shared_ptr<OVEntity>& contact) {
    if (contact && contact->type() != OVEntity::typeGroup &&
        !ContactEditorController::doesDisplay(contact)) {
        ContactEditorController::openForContact(contact);
    }
}

void ContactOperations::deleteGroup(const std::shared_ptr<OVEntity>& group) {
    if (group && group->type() == OVEntity::typeGroup && !group->isReadOnly()) {
        group->deleteCommand();
    }
}

void ContactOperations::notAvailableYet(const std::string& what) {
    std::string message = QXLS("msg.contacts.notyet", "%@ is not available yet.");
    replaceFirst(message, "%@", what);
    instance().showSheet(message, {});
}

void ContactOperations::showSheet(const std::string& message, const std::string& info,
                                  std::function<void(int)> done) {
    platform::Window* window = mainWindow();
    const auto ended = [this, done](platform::Alert& alert, int returnCode) {
        if (platform::Panel* panel = alert.window()) {
            SheetsTracker::sharedController().deRegisterSheet(panel, this);
        }
        if (done) {
            done(returnCode);
        }
    };
    std::shared_ptr<platform::Alert> alert;
    if (done) {
        alert = OrvantaExtensions::sheetYesNo(window, ended, message, info,
                                              platform::AlertStyle::Warning);
    } else {
        alert = OrvantaExtensions::sheetOK(window, message, info, platform::AlertStyle::Warning);
    }
    if (!alert) {
        return;
    }
    _shownAlert = alert;
    if (platform::Panel* panel = alert->window(); panel && panel->isSheet()) {
        SheetsTracker::sharedController().registerSheet(panel->sharedWindow(), this);
    }
}

platform::Alert* ContactOperations::shownAlert() const {
    const auto alert = _shownAlert.lock();
    return alert && alert->isShowing() ? alert.get() : nullptr;
}

void ContactOperations::deleteEntities(const ContactSelection& items, bool fromFavourites) {
    const auto service = phone();
    if (items.empty() || !service) {
        return;
    }
    int groups = 0;
    int contacts = 0;
    int members = 0;
    for (const auto& item : items) {
        if (item->type() == OVEntity::typeGroup && !item->isReadOnly()) {
            ++groups;
            members += static_cast<int>(item->entitiesAll().size());
        } else {
            ++contacts;
        }
    }
    const auto manager = service->getContactManager();
    std::string caption;
    std::string message;
    const std::string groupsCaption =
        QXLS("msg.opt.dialog.caption.deletecontactgroup", "Delete Groups and Contacts");
    if (items.size() == 1) {
        const auto& item = items.front();
        if (groups == 1 && members == 0) {
            manager->deleteContacts(items);
            return;
        }
        if (groups == 1) {
            caption = groupsCaption;
            message = QXLS("msg.opt.dialog.message.deletegroup",
                           "Delete the group and all its contacts?");
        } else {
            caption = QXLS("msg.opt.dialog.caption.deletecontact", "Delete Contact");
            message = item->parentEntities().size() >= 2
                          ? QXLS("msg.opt.dialog.message.deletecontactinallgroups",
                                 "Are you sure you want to delete this contact from all groups?")
                          : QXLS("msg.opt.dialog.message.deletecontact",
                                 "Are you sure you want to delete this contact?");
        }
        if (fromFavourites) {
            message = QXLS("msg.opt.dialog.message.deleteContactFromFavorites",
                           "This contact will also be deleted from your contact list. To delete "
                           "only from Favorites, use Remove From Favorites. Are you sure you "
                           "want to delete this contact?");
        }
    } else {
        if (contacts == 0 && members == 0) {
            manager->deleteContacts(items);
            return;
        }
        if (contacts == 0) {
            caption = groupsCaption;
            message = QXLS("msg.opt.dialog.message.deletegroups",
                           "Delete the groups and all their contacts?");
        } else if (groups == 0) {
            caption = QXLS("msg.opt.dialog.caption.deletecontacts", "Delete Contacts");
            message = QXLS("msg.opt.dialog.message.deletecontacts",
                           "Are you sure you want to delete these contacts?");
        } else {
            caption = groupsCaption;
            message = QXLS("msg.opt.dialog.message.deletecontactgroup",
                           "Delete all highlighted contacts, groups and all its contacts?");
        }
        if (fromFavourites) {
            message = QXLS("msg.opt.dialog.message.deleteContactsFromFavorites",
                           "These contacts will also be deleted from your contact list. To "
                           "delete only from Favorites, use Remove From Favorites. Are you sure "
                           "you want to delete these contacts?");
        }
    }
    // Read-only groups count as items but are never deleted.
    ContactSelection doomed;
    for (const auto& item : items) {
        if (item->type() != OVEntity::typeGroup || !item->isReadOnly()) {
            doomed.push_back(item);
        }
    }
    showSheet(caption, message, [doomed](int returnCode) {
        if (returnCode != platform::AlertFirstButtonReturn) {
            return;
        }
        if (const auto service = phone()) {
            service->getContactManager()->deleteContacts(doomed);
        }
    });
}

void ContactOperations::requestFileTransfer(const std::shared_ptr<OVEntity>& contact) {
    platform::Window* window = mainWindow();
    if (!contact || !window) {
        return;
    }
    window->makeKeyAndOrderFront(nullptr);
    auto panel = platform::OpenPanel::openPanel();
    panel->setMessage(QXLS("msg.file_transfer.selectfiles", "Select Files:"));
    const char* home = std::getenv("HOME");
    if (home) {
        panel->setDirectory(std::filesystem::path(home) / "Documents");
    }
    std::weak_ptr<OVEntity> weak = contact;
    panel->beginSheetModalForWindow(*window, [panel, weak](int result) {
        const auto chosen = panel->filename();
        // The panel goes on the next pass, after its own call has returned.
        platform::RunLoop::main().performAfterDelay(0, [panel] {});
        const auto target = weak.lock();
        if (result != platform::FileHandlingPanelOKButton || !target) {
            return;
        }
        instance().sendFiles({chosen.string()}, target);
    });
}

void ContactOperations::sendFiles(const std::vector<std::string>& paths,
                                  const std::shared_ptr<OVEntity>& contact) {
    const auto service = phone();
    if (!contact || !service) {
        return;
    }
    std::vector<std::string> files;
    for (const auto& path : paths) {
        std::error_code error;
        if (std::filesystem::exists(path, error) && !std::filesystem::is_directory(path, error)) {
            files.push_back(path);
        }
    }
    const auto transfers = service->getFileTransferService();
    const int most = transfers->maxSimultaneousFiles();
    if (static_cast<int>(files.size()) > most) {
        std::string message = QXLS("msg.opt.dialog.message.file_transfer_limit_exceeded",
                                   "Sorry, you can only send a maximum of %i files at once.");
        replaceFirst(message, "%i", std::to_string(most));
        _shownAlert = OrvantaExtensions::sheetOK(mainWindow(),
                                                 QXLS("msg.opt.dialog.caption.WARNING", "Warning"),
                                                 message, platform::AlertStyle::Critical);
        return;
    }
    const auto presence = contact->defaultPresence();
    const auto address = contact->getPrimary(OVField::fieldPrimaryTypePresence);
    if (files.empty() || !presence || OVPresenceData::isOfflineStatus(presence->status()) ||
        !address || address->name() != OVField::fieldJidAddr ||
        !transfers->canNewOutgoingFileTransfer()) {
        return;
    }
    transfers->newOutgoingFileTransfer(address->valueStr(), "", contact->displayName(), files);
}
