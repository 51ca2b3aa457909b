#include "app/contacts/ContactOperations.h"
#include "engine/AccountService.h"
#include "engine/ArchiveService.h"
#include "engine/ConversationService.h"
#include "engine/FeaturesService.h"
#include "engine/FileTransferService.h"
#include "engine/OVConnectService.h"
#include "engine/OVContactManager.h"
#include "engine/OVIMService.h"
#include "engine/PhoneService.h"
#include "engine/PhoneStatusService.h"
#include "engine/StartupService.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "support/Localization.h"

#include <algorithm>

namespace {

platform::MenuDelegate* favouritesMenuDelegate = nullptr;

std::shared_ptr<PhoneService> phone() {
    return StartupService::instance().phoneService();
}

bool feature(std::string_view name) {
    const auto features = StartupService::instance().featuresService();
    return features && features->featureAvailable(name);
}

// The enabled accounts, as the gates of the menus count them.
struct AccountFacts {
    bool sms = false;
    bool im = false;
    bool sipIM = false;
    bool xmppIM = false;
    std::vector<std::shared_ptr<OVAccount>> xmpp;

    AccountFacts() {
        const auto service = phone();
        if (!service) {
            return;
        }
        for (const auto& account : service->getAccountService()->accounts()) {
            if (account->status() != OVAccount::statusEnabled) {
                continue;
            }
            sms = sms || account->isFeatureEnabled(OVAccount::featureSMS);
            if (account->isFeatureEnabled(OVAccount::featureIM)) {
                im = true;
                sipIM = sipIM || account->protocol() == OVAccount::SIPprotocol;
                xmppIM = xmppIM || account->protocol() == OVAccount::XMPPprotocol;
            }
            if (account->protocol() == OVAccount::XMPPprotocol) {
                xmpp.push_back(account);
            }
        }
    }
};

// The contact a selection names when it names exactly one identity, else nullptr.
std::shared_ptr<OVEntity> oneContact(const ContactSelection& selection) {
    if (selection.empty() || !selection.front()) {
        return nullptr;
    }
    for (const auto& item : selection) {
        if (!item || !item->isEqualToInterface(*selection.front())) {
            return nullptr;
        }
    }
    return selection.front();
}

bool isGroup(const std::shared_ptr<OVEntity>& entity) {
    return entity && entity->type() == OVEntity::typeGroup;
}

bool isJid(const std::shared_ptr<OVField>& field) {
    return field && field->name() == OVField::fieldJidAddr;
}

std::vector<std::shared_ptr<OVField>>
sortedAddresses(std::vector<std::shared_ptr<OVField>> fields) {
    std::stable_sort(fields.begin(), fields.end(), [](const auto& a, const auto& b) {
        return std::tie(a->name(), a->valueStr()) < std::tie(b->name(), b->valueStr());
    });
    return fields;
}

platform::Value fieldValue(const std::shared_ptr<OVField>& field) {
    return platform::Value(std::static_pointer_cast<platform::Object>(field));
}

platform::Value entityValue(const std::shared_ptr<OVEntity>& entity) {
    return platform::Value(std::static_pointer_cast<platform::Object>(entity));
}

// The call the user is in: established and not held here, else any established one.
std::shared_ptr<Conversation> liveConversation(const ConversationService& service) {
    std::shared_ptr<Conversation> established;
    for (const auto& conversation : service.getAllConversations()) {
        if (!conversation->isEstablished()) {
            continue;
        }
        if (!conversation->isHoldingLocally()) {
            return conversation;
        }
        if (!established) {
            established = conversation;
        }
    }
    return established;
}

// The title of the add-to-call item, when one goes into the menu.
std::optional<std::string> addToCallTitle(bool forContacts) {
    const auto service = phone();
    if (!service || !feature("conferencingEnabled")) {
        return std::nullopt;
    }
    const auto conversations = service->getConversationService();
    const auto live = liveConversation(*conversations);
    if (!live || !live->canCallAndAddParticipant()) {
        return std::nullopt;
    }
    if (live->isConference()) {
        return QXLS("msg.contextmenuitem.addtoconference", "Add to Conference Call");
    }
    if (forContacts && feature("server_based_conference")) {
        return std::nullopt;
    }
    if (!conversations->hasConference() && !live->getRelatedConversation() &&
        !live->participants().empty() && live->participants().front()->connectionStatus() == 4) {
        return QXLS("msg.contextmenuitem.addtocall", "Add to Call");
    }
    return std::nullopt;
}

bool canIM(const std::string& address, bool viaXMPP) {
    const auto service = phone();
    return service && service->getIMService()->canNewIMSession(address, viaXMPP, false);
}

// A separator, unless the menu is empty or ends with one already: menus built one block after
// another never start with a separator or show two in a row.
bool addSeparator(platform::Menu& menu) {
    const long count = menu.numberOfItems();
    if (count == 0 || menu.itemAtIndex(count - 1)->isSeparatorItem()) {
        return false;
    }
    menu.addItem(platform::MenuItem::separatorItem());
    return true;
}

// Separators the menu ends with go.
void trimTrailingSeparators(platform::Menu& menu) {
    while (menu.numberOfItems() > 0 &&
           menu.itemAtIndex(menu.numberOfItems() - 1)->isSeparatorItem()) {
        menu.removeItemAtIndex(menu.numberOfItems() - 1);
    }
}

// Opens a block with a separator; the block's end takes it away when nothing followed it.
class SeparatedBlock {
public:
    explicit SeparatedBlock(platform::Menu& menu)
        : menu_(menu), index_(menu.numberOfItems()), added_(addSeparator(menu)) {}
    void closeIfEmpty() {
        if (added_ && menu_.numberOfItems() == index_ + 1) {
            remove();
        }
    }
    void remove() {
        if (added_) {
            menu_.removeItemAtIndex(index_);
            added_ = false;
        }
    }

private:
    platform::Menu& menu_;
    long index_;
    bool added_;
};

} // namespace

void ContactOperations::setFavouritesMenuDelegate(platform::MenuDelegate* delegate) {
    favouritesMenuDelegate = delegate;
}

bool ContactOperations::hasConnectPresence(const OVField& /*field*/) {
    return false;
}

std::string ContactOperations::addressTypeLabel(std::string_view fieldName) {
    struct Label {
        std::string_view field;
        std::string_view key;
        std::string_view text;
    };
    static constexpr Label labels[] = {
        {OVField::fieldSoftphone, "msg.shared.cm.softphone", "Softphone"},
        {OVField::fieldJidAddr, "msg.shared.cm.jabber", "Instant Message"},
        {OVField::fieldHomeNum, "msg.shared.cm.home", "Home"},
        {OVField::fieldWorkNum, "msg.shared.cm.work", "Work"},
        {OVField::fieldMobileNum, "msg.shared.cm.mobile", "Mobile"},
        {OVField::fieldPagerNum, "msg.shared.cm.pager", "Pager"},
        {OVField::fieldEmailAddr, "msg.shared.cm.email", "E-mail"},
        {OVField::fieldFaxNum, "msg.shared.cm.fax", "Fax"},
        {OVField::fieldWebAddress, "msg.shared.cm.web", "Website"},
        {OVField::fieldOtherAddress, "msg.shared.cm.other", "Other"},
    };
    for (const auto& label : labels) {
        if (label.field == fieldName) {
            return QXLS(label.key, label.text);
        }
    }
    return {};
}

std::string ContactOperations::addressLabel(const OVField& field) const {
    std::string_view type = field.name();
    if ((type == OVField::fieldSoftphone && !feature("presenceEnabled")) ||
        (type == OVField::fieldJidAddr && !feature("xmppEnabled"))) {
        type = OVField::fieldOtherAddress;
    }
    return addressTypeLabel(type) + ": " + field.valueStrToDisplay();
}

std::shared_ptr<platform::MenuItem> ContactOperations::addItem(platform::Menu& menu,
                                                               std::string title,
                                                               std::string action,
                                                               platform::Value object) const {
    auto item = std::make_shared<platform::MenuItem>(std::move(title), std::move(action), "");
    item->setTarget(const_cast<ContactOperations*>(this));
    item->setRepresentedObject(std::move(object));
    menu.addItem(item);
    return item;
}

void ContactOperations::fillMenuImage(platform::Menu& menu) {
    const auto& items = menu.itemArray();
    const auto withImage =
        std::find_if(items.begin(), items.end(), [](const auto& item) { return item->image(); });
    if (withImage == items.end()) {
        return;
    }
    auto blank = platform::Image::imageNamed("addressIconBlank");
    if (!blank) {
        blank = std::make_shared<platform::Image>();
        blank->setSize((*withImage)->image()->size());
    }
    for (const auto& item : items) {
        if (!item->image() && !item->isSeparatorItem()) {
            item->setImage(blank);
        }
    }
}

ContactOperations::MenuPtr
ContactOperations::callMenuForNonContacts(MenuPtr menu, std::string_view address) const {
    if (!menu) {
        menu = std::make_shared<platform::Menu>();
    }
    const auto service = phone();
    if (!service) {
        return menu;
    }
    const auto conversations = service->getConversationService();
    const platform::Value object{std::string(address)};
    if (conversations->canAudioConversation()) {
        addItem(*menu, QXLS("msg.contextmenuitem.call", "Call"), "call:", object);
    }
    if (conversations->canVideoConversation()) {
        addItem(*menu, QXLS("msg.contextmenuitem.videocall", "Video Call"), "videoCall:", object);
    }
    if (const auto title = addToCallTitle(false)) {
        addItem(*menu, *title, "addToCall:", object);
    }
    return menu;
}

ContactOperations::MenuPtr ContactOperations::callMenuForContacts(const ContactSelection& selection,
                                                                  MenuPtr menu) const {
    const auto contact = oneContact(selection);
    if (!contact || isGroup(contact) || contact->callableAddresses().empty()) {
        return nullptr;
    }
    const auto addresses = sortedAddresses(contact->callableAddresses());
    if (!menu) {
        menu = std::make_shared<platform::Menu>();
    }
    const auto service = phone();
    const auto conversations = service ? service->getConversationService() : nullptr;
    SeparatedBlock block(*menu);
    const bool audio =
        conversations && conversations->canAudioConversation() && conversations->isAvailable();
    const bool video = conversations && conversations->canVideoConversation();
    if (!audio) {
        block.remove();
        return menu;
    }
    const auto addToCall = addToCallTitle(true);
    struct Entry {
        std::string title;
        std::string action;
    };
    std::vector<Entry> entries;
    if (addToCall) {
        entries.push_back({*addToCall, "addToCall:"});
    }
    entries.push_back({QXLS("msg.contextmenuitem.call", "Call"), "call:"});
    if (video) {
        entries.push_back({QXLS("msg.contextmenuitem.videocall", "Video Call"), "videoCall:"});
    }
    for (const auto& entry : entries) {
        if (addresses.size() == 1) {
            addItem(*menu, entry.title, entry.action, fieldValue(addresses.front()));
            continue;
        }
        auto submenu = std::make_shared<platform::Menu>("blubber");
        for (const auto& address : addresses) {
            auto item =
                addItem(*submenu, addressLabel(*address), entry.action, fieldValue(address));
            if (hasConnectPresence(*address)) {
                item->setImage(platform::Image::imageNamed("connect"));
            }
        }
        fillMenuImage(*submenu);
        auto holder = std::make_shared<platform::MenuItem>(entry.title, "", "");
        holder->setSubmenu(submenu);
        menu->addItem(holder);
    }
    block.closeIfEmpty();
    return menu;
}

ContactOperations::MenuPtr
ContactOperations::audioCallMenuForContacts(const ContactSelection& selection, MenuPtr menu,
                                            bool isConference) const {
    const auto contact = oneContact(selection);
    if (!contact || isGroup(contact)) {
        return nullptr;
    }
    if (!menu) {
        menu = std::make_shared<platform::Menu>();
    }
    SeparatedBlock block(*menu);
    const auto service = phone();
    const auto conversations = service ? service->getConversationService() : nullptr;
    if (conversations && conversations->canAudioConversation() && conversations->isAvailable()) {
        for (const auto& address : sortedAddresses(contact->callableAddresses())) {
            auto item = addItem(*menu, addressLabel(*address),
                                isConference ? "addToCall:" : "call:", fieldValue(address));
            if (hasConnectPresence(*address)) {
                item->setImage(platform::Image::imageNamed("connect"));
            }
        }
        fillMenuImage(*menu);
    }
    block.closeIfEmpty();
    return menu;
}

ContactOperations::MenuPtr ContactOperations::SMSMenuForContacts(const ContactSelection& selection,
                                                                 MenuPtr menu) const {
    const auto contact = oneContact(selection);
    if (!AccountFacts().sms || !contact || !feature("textMessagingEnabled") || isGroup(contact)) {
        return nullptr;
    }
    if (!menu) {
        menu = std::make_shared<platform::Menu>();
    }
    SeparatedBlock block(*menu);
    const auto addresses = sortedAddresses(contact->smsAddresses());
    const std::string title = QXLS("msg.contextmenuitem.sendsms", "Send Mobile Text Message");
    if (addresses.size() == 1) {
        addItem(*menu, title, "sendSMS:", fieldValue(addresses.front()));
    } else if (addresses.size() > 1) {
        auto submenu = std::make_shared<platform::Menu>("blubber");
        for (const auto& address : addresses) {
            addItem(*submenu, address->valueStrToDisplay(), "sendSMS:", fieldValue(address));
        }
        auto holder = std::make_shared<platform::MenuItem>(title, "", "");
        holder->setSubmenu(submenu);
        menu->addItem(holder);
    }
    block.closeIfEmpty();
    return menu;
}

ContactOperations::MenuPtr ContactOperations::IMMenuForContacts(const ContactSelection& selection,
                                                                MenuPtr menu) const {
    const AccountFacts accounts;
    const bool imOn = feature("instantMessagingEnabled");
    const bool xmppUsable = accounts.xmppIM && feature("xmppEnabled");
    if (!accounts.im || !imOn || selection.empty()) {
        return nullptr;
    }
    if (!menu) {
        menu = std::make_shared<platform::Menu>();
    }
    // The distinct contacts, and everyone reachable in a group chat (as often as met).
    std::vector<std::shared_ptr<OVEntity>> distinct;
    platform::Value::Array chatAddresses;
    platform::Value::Array chatNames;
    const auto meet = [&](const std::shared_ptr<OVEntity>& contact) {
        if (std::none_of(distinct.begin(), distinct.end(),
                         [&](const auto& d) { return d->isEqualToInterface(*contact); })) {
            distinct.push_back(contact);
        }
        const auto presence = contact->getPrimary(OVField::fieldPrimaryTypePresence);
        if (contact->presenceStatus() != 7 && contact->presenceStatus() != 8 && isJid(presence)) {
            chatAddresses.emplace_back(presence->valueStr());
            chatNames.emplace_back(contact->displayName());
        }
    };
    for (const auto& item : selection) {
        if (isGroup(item)) {
            for (const auto& member : item->entitiesAll()) {
                meet(member);
            }
        } else if (item) {
            meet(item);
        }
    }
    SeparatedBlock block(*menu);
    if (distinct.size() == 1 && !isGroup(selection.front())) {
        const auto& contact = distinct.front();
        const std::string title = QXLS("msg.contextmenuitem.sendim", "Send Instant Message");
        const auto addresses = sortedAddresses(contact->imAddresses());
        const auto service = phone();
        if (feature("connectServiceEnabled")) {
            if (contact->defaultPresence() && service &&
                service->getContactManager()->presenceSubscription(*contact)) {
                addItem(*menu, title, "sendIM:", entityValue(contact));
            }
        } else if (addresses.size() == 1) {
            const auto& address = addresses.front();
            if (canIM(address->valueStr(), false)) {
                addItem(*menu, title, "sendIM:", fieldValue(address));
            } else if (isJid(address) && canIM(address->valueStr(), true)) {
                addItem(*menu, title, "sendIMViaXMPP:", fieldValue(address));
            }
        } else if (addresses.size() > 1) {
            auto submenu = std::make_shared<platform::Menu>("blubber");
            for (const auto& address : addresses) {
                addItem(*submenu, addressLabel(*address),
                        isJid(address) ? "sendIMViaXMPP:" : "sendIM:", fieldValue(address));
            }
            auto holder = std::make_shared<platform::MenuItem>(title, "", "");
            holder->setSubmenu(submenu);
            menu->addItem(holder);
        }
        if (isJid(contact->getPrimary(OVField::fieldPrimaryTypePresence)) &&
            feature("xmpp_filetransfer") && contact->presenceStatus() != 7 &&
            contact->presenceStatus() != 8 && service &&
            service->getFileTransferService()->canNewOutgoingFileTransfer()) {
            addItem(*menu, QXLS("msg.contextmenuitem.sendfile", "Send Files..."),
                    "sendFilesXMPP:", entityValue(contact));
        }
    } else if (distinct.size() >= 2 && canBroadcastIM(selection)) {
        addItem(*menu, QXLS("msg.contextmenuitem.broadcastim", "Broadcast Instant Message"),
                "broadcastIM:", valueFromContactSelection(selection));
    }
    if (feature("groupChatEnabled") && xmppUsable && !chatAddresses.empty()) {
        for (const auto& account : accounts.xmpp) {
            platform::Value::Dictionary chat{
                {"GroupChatAddresses", platform::Value(chatAddresses)},
                {"GroupChatDisplayName", platform::Value(chatNames)},
                {"OVAccount",
                 platform::Value(std::static_pointer_cast<platform::Object>(account))}};
            std::string title =
                QXLS("msg.contextmenuitem.groupchataccount", "Start Group Chat with %@ ...");
            if (const auto at = title.find("%@"); at != std::string::npos) {
                title.replace(at, 2, account->domain());
            }
            addItem(*menu, title, "startGroupChat:", platform::Value(std::move(chat)));
        }
    }
    block.closeIfEmpty();
    return menu;
}

ContactOperations::MenuPtr ContactOperations::editMenuForEntities(const ContactSelection& selection,
                                                                  MenuPtr menu) const {
    std::vector<std::shared_ptr<OVEntity>> identities;
    for (const auto& item : selection) {
        if (item && std::none_of(identities.begin(), identities.end(),
                                 [&](const auto& d) { return d->isEqualToInterface(*item); })) {
            identities.push_back(item);
        }
    }
    if (identities.empty()) {
        return nullptr;
    }
    if (identities.size() == 1) {
        return isGroup(selection.front()) ? editMenuForSingleGroup(selection.front(), menu)
                                          : editMenuForSingleContact(selection.front(), menu);
    }
    if (!menu) {
        menu = std::make_shared<platform::Menu>();
    }
    std::vector<std::shared_ptr<OVEntity>> contacts;
    int contactItems = 0;
    int ownContacts = 0;
    int members = 0;
    const auto meet = [&](const std::shared_ptr<OVEntity>& contact, bool selected) {
        const bool known = std::any_of(contacts.begin(), contacts.end(), [&](const auto& d) {
            return d->isEqualToInterface(*contact);
        });
        if (known) {
            return;
        }
        contacts.push_back(contact);
        if (selected) {
            const auto sources = contact->entitiesAll();
            const auto& first = sources.empty() ? contact : sources.front();
            if (first->providerProtocol() != OVProviderProtocol::protocolMacAddressBook) {
                ++ownContacts;
            }
        }
        for (const auto& address : contact->addresses()) {
            if (hasConnectPresence(*address)) {
                ++members;
                break;
            }
        }
    };
    for (const auto& item : selection) {
        if (isGroup(item)) {
            for (const auto& member : item->entitiesAll()) {
                meet(member, false);
            }
        } else if (item) {
            ++contactItems;
            meet(item, true);
        }
    }
    addSeparator(*menu);
    const auto service = phone();
    if (feature("connectServiceEnabled") && service &&
        service->getConnectService()->isConnected() &&
        members < static_cast<int>(contacts.size())) {
        addItem(*menu, QXLS("msg.contextmenuitem.inviteFriend", "Invite to Corvane"),
                "inviteFriends:", valueFromContactSelection(selection));
    }
    if (feature("favoritesEnabled") && !contacts.empty()) {
        addItem(*menu, QXLS("msg.contextmenuitem.addAllToFav", "Add Selection to Favorites"),
                "addToFav:", valueFromContactSelection(selection));
    }
    if (feature("contactMergingEnabled") && contactItems >= 2 && ownContacts == contactItems) {
        addItem(*menu, QXLS("msg.contextmenuitem.merge", "Merge Contacts"),
                "mergeItems:", valueFromContactSelection(selection));
    }
    const bool favourites = favouritesMenuDelegate && menu->delegate() == favouritesMenuDelegate;
    addItem(*menu, QXLS("msg.contextmenuitem.deletehighlighted", "Delete Selected Items"),
            favourites ? "deleteItemsFromFavourites:" : "deleteItems:",
            valueFromContactSelection(selection));
    return menu;
}

namespace {

// A contact that can be on the alert list: its presence address has an account for chats of
// its protocol.
bool alertEligible(const OVEntity& contact, bool sip, bool xmpp) {
    const auto presence = contact.getPrimary(OVField::fieldPrimaryTypePresence);
    if (!presence) {
        return false;
    }
    return (presence->name() == OVField::fieldSoftphone && sip) ||
           (presence->name() == OVField::fieldJidAddr && xmpp);
}

bool onAlertList(const OVEntity& contact) {
    const auto field = contact.getFieldByName(OVField::fieldAlertEnabled);
    return field && field->valueStr() == OVField::fieldValueTrue;
}

bool alertListUsable(const AccountFacts& accounts) {
    const auto service = phone();
    return feature("alertListEnabled") && accounts.im && service &&
           service->getPhoneStatusService()->status()->value() != 8;
}

} // namespace

ContactOperations::MenuPtr
ContactOperations::editMenuForSingleGroup(const std::shared_ptr<OVEntity>& group,
                                          MenuPtr menu) const {
    if (!menu) {
        menu = std::make_shared<platform::Menu>();
    }
    const platform::Value object = entityValue(group);
    addSeparator(*menu);
    if (group->isReadOnly()) {
        menu->addItem(std::make_shared<platform::MenuItem>(
            QXLS("msg.contextmenuitem.readonly", "Read only group. Cannot be deleted!"), "", ""));
    }
    const AccountFacts accounts;
    int members = 0;
    int favourites = 0;
    int eligible = 0;
    int listed = 0;
    const auto tally = [&](const std::shared_ptr<OVEntity>& member) {
        ++members;
        favourites += member->favourite() ? 1 : 0;
        if (alertEligible(*member, accounts.sipIM, accounts.xmppIM)) {
            ++eligible;
            listed += onAlertList(*member) ? 1 : 0;
        }
    };
    for (const auto& member : group->entitiesAll()) {
        if (isGroup(member)) {
            for (const auto& inner : member->entitiesAll()) {
                tally(inner);
            }
        } else {
            tally(member);
        }
    }
    if (alertListUsable(accounts)) {
        bool removeAdded = false;
        if (listed > 0) {
            addItem(*menu,
                    QXLS("msg.contextmenuitem.removeGroupFromAlertList",
                         "Remove Contacts in Group from Alert List"),
                    "removeFromAlertList:", object);
            removeAdded = true;
        }
        if (listed < eligible) {
            addItem(*menu,
                    QXLS("msg.contextmenuitem.addGroupToAlertList",
                         "Add Contacts in Group to Alert List"),
                    "addToAlertList:", object);
            addSeparator(*menu);
        } else if (removeAdded) {
            addSeparator(*menu);
        }
    }
    bool favouriteAdded = false;
    if (feature("favoritesEnabled") && members > 0) {
        if (favourites < members) {
            addItem(*menu,
                    QXLS("msg.contextmenuitem.addGroupToFav", "Add Contacts in Group to Favorites"),
                    "addToFav:", object);
            favouriteAdded = true;
        }
        if (favourites > 0) {
            addItem(*menu,
                    QXLS("msg.contextmenuitem.removeGroupFromFav",
                         "Remove Contacts in Group from Favorites"),
                    "removeFromFav:", object);
            favouriteAdded = true;
        }
    }
    if (!group->isReadOnly()) {
        if (favouriteAdded) {
            addSeparator(*menu);
        }
        addItem(*menu, QXLS("msg.contextmenuitem.addgroup", "Add Contact to Group"),
                "addNewContactToGroup:", object);
        addSeparator(*menu);
        addItem(*menu, QXLS("msg.menuitem.tree.newgroup", "New Group"), "newGroup:", object);
        addItem(*menu, QXLS("msg.contextmenuitem.renamegroup", "Rename Group"),
                "renameItems:", object);
        addItem(*menu, QXLS("msg.contextmenuitem.deletegroup", "Delete Group"),
                "deleteItems:", object);
    }
    // The block opens with a separator only after other items, and leaves none at the end.
    trimTrailingSeparators(*menu);
    return menu;
}

ContactOperations::MenuPtr
ContactOperations::editMenuForSingleContact(const std::shared_ptr<OVEntity>& contact,
                                            MenuPtr menu) const {
    if (!menu) {
        menu = std::make_shared<platform::Menu>();
    }
    const platform::Value object = entityValue(contact);
    const auto service = phone();
    addSeparator(*menu);
    addItem(*menu, QXLS("msg.contextmenuitem.editcontact", "View/Edit Profile"),
            "editContactAction:", object);
    if (!contact->callableAddresses().empty()) {
        addItem(*menu, QXLS("msg.contextmenuitem.contactcallhistory", "View Call History"),
                "showCallHistory:", object);
    }
    const auto chats = contact->imAddresses();
    if (service && std::any_of(chats.begin(), chats.end(), [&](const auto& address) {
            return service->getArchiveService()->latestFor(address->valueStr()) != nullptr;
        })) {
        addItem(*menu, QXLS("msg.contextmenuitem.viewarchive", "View Message Archive"),
                "viewIMArchive:", object);
    }
    const auto addresses = contact->addresses();
    const bool member = std::any_of(addresses.begin(), addresses.end(),
                                    [](const auto& a) { return hasConnectPresence(*a); });
    if (feature("connectServiceEnabled") && service &&
        service->getConnectService()->isConnected() && !member) {
        addItem(*menu, QXLS("msg.contextmenuitem.inviteFriend", "Invite to Corvane"),
                "inviteFriend:", object);
    }
    const AccountFacts accounts;
    if (feature("alertListEnabled") && accounts.im &&
        contact->getPrimary(OVField::fieldPrimaryTypePresence) &&
        alertEligible(*contact, accounts.sipIM, accounts.xmppIM)) {
        if (onAlertList(*contact)) {
            addItem(*menu,
                    QXLS("msg.contextmenuitem.removeContactFromAlertList",
                         "Remove Contact from Alert List"),
                    "removeFromAlertList:", object);
        } else if (contact->defaultPresence() &&
                   contact->defaultPresence()->status() != OVPresenceStatus::statusNone) {
            addItem(*menu,
                    QXLS("msg.contextmenuitem.addContactToAlertList", "Add Contact to Alert List"),
                    "addToAlertList:", object);
        }
    }
    if (feature("privacyEnabled") &&
        (!contact->callableAddresses().empty() || !contact->imAddresses().empty())) {
        const auto state = contact->getFieldByName(OVField::fieldBlockState);
        const std::string value = state ? state->valueStr() : std::string();
        if (state && (value == OVField::stateBlocked || value == OVField::statePartiallyBlocked)) {
            addItem(*menu, QXLS("msg.contextmenuitem.unblock", "Unblock this Person"),
                    "unblock:", object);
        }
        if (contact->canBeBlocked() && (!state || value == OVField::stateNotBlocked ||
                                        value == OVField::statePartiallyBlocked)) {
            addItem(*menu, QXLS("msg.contextmenuitem.block", "Block this Person"),
                    "block:", object);
        }
    }
    addSeparator(*menu);
    if (feature("favoritesEnabled")) {
        if (contact->favourite()) {
            addItem(*menu, QXLS("msg.contextmenuitem.removeFromFav", "Remove from Favorites"),
                    "removeFromFav:", object);
        } else {
            addItem(*menu, QXLS("msg.contextmenuitem.addToFav", "Add to Favorites"),
                    "addToFav:", object);
        }
    }
    if (feature("contactMergingEnabled") && contact->entitiesAll().size() >= 2) {
        addItem(*menu, QXLS("msg.contextmenuitem.split", "Split Contacts"), "splitItems:", object);
    }
    const bool favourites = favouritesMenuDelegate && menu->delegate() == favouritesMenuDelegate;
    addItem(*menu, QXLS("msg.contextmenuitem.deletecontact", "Delete Contact"),
            favourites ? "deleteItemsFromFavourites:" : "deleteItems:", object);
    return menu;
}
