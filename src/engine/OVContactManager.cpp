#include "engine/OVContactManager.h"

#include "engine/ContactStore.h"
#include "platform/foundation/Log.h"

#include <algorithm>
#include <cctype>

namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// An address without its "sip:" or "xmpp:" scheme, so that both forms find the contact.
std::string_view withoutScheme(std::string_view address) {
    for (std::string_view scheme : {"sip:", "sips:", "xmpp:", "tel:"}) {
        if (address.size() > scheme.size() &&
            sameIgnoringCase(address.substr(0, scheme.size()), scheme)) {
            return address.substr(scheme.size());
        }
    }
    return address;
}

} // namespace

void OVPresenceData::update(OVPresenceStatus status, std::string message) {
    if (status == status_ && message == message_) {
        return;
    }
    status_ = status;
    message_ = std::move(message);
    notifyDelegates([](OVPresenceDataPro& d) { d.ovpdOnPropertyChanged(); });
}

OVEntity::OVEntity(long long uniqueId, Type type, std::string displayName)
    : uniqueId_(uniqueId), type_(type), displayName_(std::move(displayName)) {
    if (type_ != Type::typeGroup) {
        presence_ = std::make_shared<OVPresenceData>();
    }
}

void OVEntity::setDisplayName(std::string name) {
    displayName_ = std::move(name);
    notifyObservers([](OVEntityObserver& o) { o.ovetOnPropertyChanged(); });
}

std::vector<std::shared_ptr<OVEntity>> OVEntity::parentEntities() const {
    std::vector<std::shared_ptr<OVEntity>> parents;
    for (const auto& weak : parents_) {
        if (auto parent = weak.lock()) {
            parents.push_back(std::move(parent));
        }
    }
    return parents;
}

void OVEntity::addEntity(const std::shared_ptr<OVEntity>& child) {
    if (!child || std::find(entities_.begin(), entities_.end(), child) != entities_.end()) {
        return;
    }
    entities_.push_back(child);
    child->parents_.push_back(weak_from_this());
    notifyObservers([](OVEntityObserver& o) { o.ovetOnEntityCollectionChanged(); });
}

void OVEntity::removeEntity(const std::shared_ptr<OVEntity>& child) {
    auto it = std::find(entities_.begin(), entities_.end(), child);
    if (it == entities_.end()) {
        return;
    }
    entities_.erase(it);
    std::erase_if(child->parents_, [this](const std::weak_ptr<OVEntity>& parent) {
        auto locked = parent.lock();
        return !locked || locked.get() == this;
    });
    notifyObservers([](OVEntityObserver& o) { o.ovetOnEntityCollectionChanged(); });
}

std::shared_ptr<OVField> OVEntity::getFieldByName(std::string_view name) const {
    auto it = std::find_if(fields_.begin(), fields_.end(),
                           [&](const auto& field) { return field->name() == name; });
    return it == fields_.end() ? nullptr : *it;
}

void OVEntity::updateField(std::string name, std::string value) {
    auto it = std::find_if(fields_.begin(), fields_.end(),
                           [&](const auto& field) { return field->name() == name; });
    auto field = std::make_shared<OVField>(std::move(name), std::move(value));
    if (it == fields_.end()) {
        fields_.push_back(std::move(field));
        notifyObservers([](OVEntityObserver& o) { o.ovetOnFieldCollectionChanged(); });
    } else {
        *it = std::move(field);
        notifyObservers([](OVEntityObserver& o) { o.ovetOnFieldPropertyChanged(); });
    }
}

bool OVEntity::sameAddress(std::string_view a, std::string_view b) {
    const auto left = withoutScheme(a);
    return !left.empty() && sameIgnoringCase(left, withoutScheme(b));
}

bool OVEntity::hasAddress(std::string_view address) const {
    return std::any_of(fields_.begin(), fields_.end(),
                       [&](const auto& field) { return sameAddress(field->valueStr(), address); });
}

int OVEntity::presenceStatus() const {
    return static_cast<int>(presence_ ? presence_->status() : OVPresenceStatus::statusNone);
}

OVContactManager::OVContactManager(std::shared_ptr<EngineContext> context)
    : context_(std::move(context)),
      root_(std::make_shared<OVEntity>(0, OVEntity::Type::typeGroup, "")) {}

std::vector<std::shared_ptr<OVEntity>> OVContactManager::allContacts() const {
    std::vector<std::shared_ptr<OVEntity>> contacts;
    for (const auto& group : root_->entities()) {
        for (const auto& contact : group->entities()) {
            if (std::find(contacts.begin(), contacts.end(), contact) == contacts.end()) {
                contacts.push_back(contact);
            }
        }
    }
    return contacts;
}

std::vector<std::shared_ptr<OVEntity>>
OVContactManager::lookup(std::string_view /*lookupText*/, std::string_view address,
                         std::string_view /*display*/) const {
    std::vector<std::shared_ptr<OVEntity>> matches;
    for (const auto& contact : allContacts()) {
        if (contact->hasAddress(address)) {
            matches.push_back(contact);
        }
    }
    return matches;
}

std::shared_ptr<OVEntity> OVContactManager::groupNamed(const std::string& name) {
    for (const auto& group : root_->entities()) {
        if (group->displayName() == name) {
            return group;
        }
    }
    auto group = std::make_shared<OVEntity>(nextUniqueId_++, OVEntity::Type::typeGroup, name);
    root_->addEntity(group);
    return group;
}

std::vector<std::shared_ptr<OVEntity>>
OVContactManager::addContacts(const std::vector<ContactConfig>& contacts,
                              const std::string& ungroupedGroupName) {
    std::vector<std::shared_ptr<OVEntity>> added;
    for (const auto& config : contacts) {
        auto contact = std::make_shared<OVEntity>(
            nextUniqueId_++, OVEntity::Type::typeLogicalContact, config.displayName);
        for (const auto& [name, value] : config.fields) {
            contact->updateField(name, value);
        }
        contact->defaultPresence()->update(config.presenceStatus, config.presenceMessage);
        for (const auto& group : config.groups) {
            groupNamed(group)->addEntity(contact);
        }
        if (config.groups.empty()) {
            groupNamed(ungroupedGroupName)->addEntity(contact);
        }
        added.push_back(std::move(contact));
    }
    return added;
}

void OVContactManager::loadContacts(const std::vector<ContactConfig>& contacts,
                                    const std::string& ungroupedGroupName) {
    const auto added = addContacts(contacts, ungroupedGroupName);
    for (std::size_t i = 0; i < added.size(); ++i) {
        meta_[added[i].get()] = ContactMeta{0, true, contacts[i].groups};
    }
    if (!added.empty()) {
        notifyDelegates([&](OVContactManagerPro& d) { d.ContactsAdded(added); });
    }
}

void OVContactManager::clear() {
    const auto removed = allContacts();
    root_ = std::make_shared<OVEntity>(0, OVEntity::Type::typeGroup, "");
    meta_.clear();
    session_.reset();
    store_.reset();
    if (!removed.empty()) {
        notifyDelegates([&](OVContactManagerPro& d) { d.ContactsRemoved(removed); });
    }
}

OVContactManager::~OVContactManager() = default;

ContactConfig OVContactManager::configFor(const ContactRecord& record,
                                          bool presenceSubscription) const {
    ContactConfig config;
    config.displayName = record.displayName;
    config.groups = record.groups;
    for (const auto& [name, value] : record.fields) {
        config.fields.emplace(name, value);
    }
    // A provisioned contact with one of the addresses brings the network's presence.
    config.presenceStatus =
        presenceSubscription ? OVPresenceStatus::statusOffline : OVPresenceStatus::statusNone;
    if (presenceSubscription && session_) {
        for (const auto& [address, presence] : session_->provisionedPresence) {
            const bool shared =
                std::any_of(record.fields.begin(), record.fields.end(), [&](const auto& field) {
                    return contact_files::roleOfField(field.first) == std::string_view("address") &&
                           OVEntity::sameAddress(field.second, address);
                });
            if (shared) {
                config.presenceStatus = presence.first;
                config.presenceMessage = presence.second;
                break;
            }
        }
    }
    return config;
}

void OVContactManager::loadSession(const std::string& owner,
                                   const std::vector<ContactConfig>& provisioned,
                                   const std::string& ungroupedGroupName,
                                   const std::optional<std::filesystem::path>& storeFile) {
    clear();
    Session session{owner, ungroupedGroupName, {}};
    for (const auto& config : provisioned) {
        for (const auto& [name, value] : config.fields) {
            session.provisionedPresence.emplace(
                value, std::make_pair(config.presenceStatus, config.presenceMessage));
        }
    }
    session_ = std::move(session);

    if (storeFile) {
        store_ = std::make_unique<ContactStore>();
        if (auto error = store_->open(*storeFile)) {
            platform::Logf("Contacts: the store cannot be used, the list stays in memory: %@",
                           *error);
            store_.reset();
        }
    }
    if (store_ && !store_->hasList(owner)) {
        std::vector<ContactStore::NewContact> seed;
        for (const auto& config : provisioned) {
            ContactRecord record;
            record.displayName = config.displayName;
            record.groups = config.groups;
            for (const auto& [name, value] : config.fields) {
                record.fields.emplace_back(name, value);
            }
            seed.push_back({std::move(record), true});
        }
        if (auto error = store_->write(owner, seed, false)) {
            platform::Logf("Contacts: the store cannot be seeded, the list stays in memory: %@",
                           *error);
            store_.reset();
        }
    }
    if (!store_) {
        loadContacts(provisioned, ungroupedGroupName);
        return;
    }
    const auto stored = store_->contacts(owner);
    std::vector<ContactConfig> configs;
    configs.reserve(stored.size());
    for (const auto& contact : stored) {
        configs.push_back(configFor(contact.record, contact.presenceSubscription));
    }
    const auto added = addContacts(configs, ungroupedGroupName);
    for (std::size_t i = 0; i < added.size(); ++i) {
        meta_[added[i].get()] =
            ContactMeta{stored[i].id, stored[i].presenceSubscription, stored[i].record.groups};
    }
    if (!added.empty()) {
        notifyDelegates([&](OVContactManagerPro& d) { d.ContactsAdded(added); });
    }
}

namespace {

// Two records name the same contact when name and fields agree, in whatever order.
bool sameContact(const ContactRecord& a, const ContactRecord& b) {
    if (a.displayName != b.displayName || a.fields.size() != b.fields.size()) {
        return false;
    }
    auto left = a.fields;
    auto right = b.fields;
    std::sort(left.begin(), left.end());
    std::sort(right.begin(), right.end());
    return left == right;
}

} // namespace

std::variant<int, std::string>
OVContactManager::importRecords(const std::vector<ContactRecord>& records, bool eraseExisting,
                                std::optional<bool> presenceSubscription) {
    if (!session_) {
        return std::string("no user is signed in");
    }
    std::vector<ContactRecord> present;
    if (!eraseExisting) {
        present = contactRecords();
    }
    std::vector<ContactStore::NewContact> add;
    for (const auto& record : records) {
        const auto same = [&](const ContactRecord& other) { return sameContact(record, other); };
        if (std::any_of(present.begin(), present.end(), same) ||
            std::any_of(add.begin(), add.end(),
                        [&](const auto& entry) { return same(entry.record); })) {
            continue;
        }
        const bool hasAddress =
            std::any_of(record.fields.begin(), record.fields.end(), [](const auto& field) {
                return contact_files::roleOfField(field.first) == std::string_view("address");
            });
        add.push_back({record, presenceSubscription.value_or(hasAddress)});
    }
    std::vector<long long> ids;
    if (store_) {
        if (auto error = store_->write(session_->owner, add, eraseExisting, &ids)) {
            return "the contact store cannot be written: " + *error;
        }
    }
    if (eraseExisting) {
        const auto removed = allContacts();
        for (const auto& group : root_->entities()) {
            for (const auto& contact : group->entities()) {
                group->removeEntity(contact);
            }
        }
        meta_.clear();
        if (!removed.empty()) {
            notifyDelegates([&](OVContactManagerPro& d) { d.ContactsRemoved(removed); });
        }
    }
    std::vector<ContactConfig> configs;
    for (const auto& entry : add) {
        configs.push_back(configFor(entry.record, entry.presenceSubscription));
    }
    const auto added = addContacts(configs, session_->ungroupedGroupName);
    for (std::size_t i = 0; i < added.size(); ++i) {
        meta_[added[i].get()] = ContactMeta{i < ids.size() ? ids[i] : 0,
                                            add[i].presenceSubscription, add[i].record.groups};
    }
    if (!added.empty()) {
        notifyDelegates([&](OVContactManagerPro& d) { d.ContactsAdded(added); });
    }
    return static_cast<int>(added.size());
}

std::vector<ContactRecord> OVContactManager::contactRecords() const {
    std::vector<ContactRecord> records;
    for (const auto& contact : allContacts()) {
        ContactRecord record;
        record.displayName = contact->displayName();
        for (const auto& field : contact->fields()) {
            record.fields.emplace_back(field->name(), field->valueStr());
        }
        if (auto found = meta_.find(contact.get()); found != meta_.end()) {
            record.groups = found->second.groups;
        } else {
            for (const auto& parent : contact->parentEntities()) {
                record.groups.push_back(parent->displayName());
            }
        }
        records.push_back(std::move(record));
    }
    return records;
}

bool OVContactManager::presenceSubscription(const OVEntity& contact) const {
    auto found = meta_.find(&contact);
    return found == meta_.end() || found->second.presenceSubscription;
}
