#include "engine/OVContactManager.h"

#include "engine/ContactStore.h"
#include "platform/foundation/Log.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>

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

char lowerAscii(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), lowerAscii);
    return out;
}

int compareIgnoringCase(std::string_view a, std::string_view b) {
    const auto n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(lowerAscii(a[i]));
        const auto y = static_cast<unsigned char>(lowerAscii(b[i]));
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

int OVField::defaultTypeForName(std::string_view name) {
    if (name == fieldSoftphone) {
        return fieldTypeVoiceVideo | fieldTypeIM | fieldTypePresence;
    }
    if (name == fieldJidAddr) {
        return fieldTypeIM | fieldTypePresence;
    }
    if (name == fieldMobileNum) {
        return fieldTypeVoiceVideo | fieldTypeSMS;
    }
    if (name == fieldHomeNum || name == fieldWorkNum || name == fieldOtherAddress) {
        return fieldTypeVoiceVideo;
    }
    if (name == fieldDisplayName || name == fieldFirstName || name == fieldLastName ||
        name == fieldOrganization) {
        return fieldTypeName;
    }
    if (name == fieldAvatar) {
        return fieldTypePhoto;
    }
    if (name == fieldGuid || name == fieldAlertEnabled || name == fieldAlertIsPersistent ||
        name == fieldBlockState) {
        return fieldTypeMetaData;
    }
    return fieldTypeNone;
}

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
    ++contentGeneration_;
    invalidateParents();
    notifyObservers([](OVEntityObserver& o) { o.ovetOnPropertyChanged(); });
}

void OVEntity::invalidateParents() const {
    for (const auto& weak : parents_) {
        if (auto parent = weak.lock()) {
            parent->invalidate();
        }
    }
}

void OVEntity::setHideOfflineContacts(bool hide) {
    hideOffline_ = hide;
    shownValid_ = false;
}

void OVEntity::setSortDescriptors(std::vector<OVSortDescriptor> descriptors) {
    sortDescriptors_ = std::move(descriptors);
    shownValid_ = false;
}

const std::vector<std::shared_ptr<OVEntity>>& OVEntity::entities() const {
    if (!hideOffline_ && sortDescriptors_.empty()) {
        return entities_;
    }
    if (shownValid_) {
        return shown_;
    }
    shown_.clear();
    shown_.reserve(entities_.size());
    for (const auto& child : entities_) {
        if (!hideOffline_ || child->type() == Type::typeGroup ||
            !OVPresenceData::isOfflineStatus(
                static_cast<OVPresenceStatus>(child->presenceStatus()))) {
            shown_.push_back(child);
        }
    }
    if (!sortDescriptors_.empty()) {
        std::stable_sort(shown_.begin(), shown_.end(), [this](const auto& a, const auto& b) {
            for (const auto& descriptor : sortDescriptors_) {
                int order = 0;
                if (descriptor.key == "presenceStatus") {
                    order = a->presenceStatus() - b->presenceStatus();
                } else if (descriptor.key == "displayName") {
                    order = descriptor.caseInsensitive
                                ? compareIgnoringCase(a->displayName(), b->displayName())
                                : a->displayName().compare(b->displayName());
                }
                if (order != 0) {
                    return descriptor.ascending ? order < 0 : order > 0;
                }
            }
            return false;
        });
    }
    shownValid_ = true;
    return shown_;
}

void OVEntity::presenceChanged() {
    invalidateParents();
    notifyObservers([](OVEntityObserver& o) { o.ovetOnPresencePropertyChanged(); });
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
    // The child's few parents say whether it is here already, without a walk over a group
    // of thousands.
    if (!child || std::any_of(child->parents_.begin(), child->parents_.end(),
                              [this](const auto& parent) { return parent.lock().get() == this; })) {
        return;
    }
    entities_.push_back(child);
    child->parents_.push_back(weak_from_this());
    shownValid_ = false;
    ++contentGeneration_;
    notifyObservers([](OVEntityObserver& o) { o.ovetOnEntityCollectionChanged(); });
}

void OVEntity::removeEntity(const std::shared_ptr<OVEntity>& child) {
    auto it = std::find(entities_.begin(), entities_.end(), child);
    if (it == entities_.end()) {
        return;
    }
    entities_.erase(it);
    shownValid_ = false;
    ++contentGeneration_;
    std::erase_if(child->parents_, [this](const std::weak_ptr<OVEntity>& parent) {
        auto locked = parent.lock();
        return !locked || locked.get() == this;
    });
    notifyObservers([](OVEntityObserver& o) { o.ovetOnEntityCollectionChanged(); });
}

void OVEntity::removeAllEntities() {
    if (entities_.empty()) {
        return;
    }
    for (const auto& child : entities_) {
        std::erase_if(child->parents_, [this](const std::weak_ptr<OVEntity>& parent) {
            auto locked = parent.lock();
            return !locked || locked.get() == this;
        });
    }
    entities_.clear();
    shownValid_ = false;
    ++contentGeneration_;
    notifyObservers([](OVEntityObserver& o) { o.ovetOnEntityCollectionChanged(); });
}

std::shared_ptr<OVField> OVEntity::getFieldByName(std::string_view name) const {
    auto it = std::find_if(fields_.begin(), fields_.end(),
                           [&](const auto& field) { return field->name() == name; });
    return it == fields_.end() ? nullptr : *it;
}

void OVEntity::updateField(std::string name, std::string value) {
    const int type = OVField::defaultTypeForName(name);
    updateField(std::move(name), std::move(value), type);
}

void OVEntity::updateField(std::string name, std::string value, int type) {
    auto it = std::find_if(fields_.begin(), fields_.end(),
                           [&](const auto& field) { return field->name() == name; });
    auto field = std::make_shared<OVField>(std::move(name), std::move(value), type);
    ++contentGeneration_;
    if (it == fields_.end()) {
        fields_.push_back(std::move(field));
        notifyObservers([](OVEntityObserver& o) { o.ovetOnFieldCollectionChanged(); });
    } else {
        *it = std::move(field);
        notifyObservers([](OVEntityObserver& o) { o.ovetOnFieldPropertyChanged(); });
    }
}

std::shared_ptr<OVField> OVEntity::getPrimary(OVField::PrimaryType role) const {
    if (auto chosen = primary_.find(role); chosen != primary_.end()) {
        if (auto field = getFieldByName(chosen->second)) {
            return field;
        }
    }
    auto firstOf = [&](std::initializer_list<std::string_view> names) -> std::shared_ptr<OVField> {
        for (auto name : names) {
            if (auto field = getFieldByName(name); field && !field->valueStr().empty()) {
                return field;
            }
        }
        return nullptr;
    };
    switch (role) {
    case OVField::PrimaryType::call:
        return firstOf({OVField::fieldSoftphone, OVField::fieldWorkNum, OVField::fieldMobileNum,
                        OVField::fieldHomeNum, OVField::fieldOtherAddress});
    case OVField::PrimaryType::sms:
        return firstOf({OVField::fieldMobileNum});
    case OVField::PrimaryType::presence:
        return firstOf({OVField::fieldSoftphone, OVField::fieldJidAddr});
    case OVField::PrimaryType::avatar:
        return firstOf({OVField::fieldAvatar});
    case OVField::PrimaryType::displayName:
        return firstOf({OVField::fieldDisplayName});
    }
    return nullptr;
}

std::vector<std::shared_ptr<OVField>> OVEntity::callableAddresses() const {
    std::vector<std::shared_ptr<OVField>> callable;
    for (auto name : {OVField::fieldSoftphone, OVField::fieldWorkNum, OVField::fieldMobileNum,
                      OVField::fieldHomeNum, OVField::fieldOtherAddress}) {
        if (auto field = getFieldByName(name); field && !field->valueStr().empty()) {
            callable.push_back(field);
        }
    }
    return callable;
}

void OVEntity::setPrimary(OVField::PrimaryType role, std::string_view fieldName) {
    primary_[role] = std::string(fieldName);
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
    std::unordered_set<const OVEntity*> seen;
    for (const auto& group : root_->entitiesAll()) {
        for (const auto& contact : group->entitiesAll()) {
            if (seen.insert(contact.get()).second) {
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
    for (const auto& group : root_->entitiesAll()) {
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
    storeFile_.reset();
    if (!removed.empty()) {
        notifyDelegates([&](OVContactManagerPro& d) { d.ContactsRemoved(removed); });
    }
}

OVContactManager::~OVContactManager() = default;

std::shared_ptr<OVSearchSession> OVContactManager::getContacts() const {
    return createSearch({}, {});
}

std::shared_ptr<OVSearchSession>
OVContactManager::createSearch(std::map<std::string, std::string> criteria,
                               const std::vector<std::string>& /*tags*/) const {
    return std::make_shared<OVSearchSession>(weak_from_this(), std::move(criteria));
}

std::vector<std::shared_ptr<OVEntity>>
OVContactManager::contactsWithPrefix(std::string_view field, std::string_view prefix) const {
    if (searchIndexGeneration_ != OVEntity::contentGeneration() ||
        searchIndexRoot_ != root_.get()) {
        searchIndex_.clear();
        for (const auto& contact : allContacts()) {
            auto add = [&](std::string_view name, std::string_view value) {
                if (!value.empty()) {
                    searchIndex_.emplace_back(std::string(name) + '\0' + lowered(value), contact);
                }
            };
            add(OVField::fieldDisplayName, contact->displayName());
            for (const auto& f : contact->fields()) {
                if (f->hasType(OVField::fieldTypeName) && f->name() != OVField::fieldDisplayName) {
                    add(f->name(), f->valueStr());
                }
            }
        }
        std::sort(searchIndex_.begin(), searchIndex_.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        searchIndexGeneration_ = OVEntity::contentGeneration();
        searchIndexRoot_ = root_.get();
    }
    const std::string key = std::string(field) + '\0' + lowered(prefix);
    std::vector<std::shared_ptr<OVEntity>> found;
    auto it =
        std::lower_bound(searchIndex_.begin(), searchIndex_.end(), key,
                         [](const auto& entry, const std::string& k) { return entry.first < k; });
    for (; it != searchIndex_.end() && it->first.compare(0, key.size(), key) == 0; ++it) {
        found.push_back(it->second);
    }
    return found;
}

std::shared_ptr<OVEntity> OVContactManager::createLogicalEntityWithFields(
    const std::vector<std::pair<std::string, std::string>>& fields) {
    auto contact =
        std::make_shared<OVEntity>(nextUniqueId_++, OVEntity::Type::typeLogicalContact, "");
    for (const auto& [name, value] : fields) {
        if (name == OVField::fieldDisplayName) {
            contact->setDisplayName(value);
        } else {
            contact->updateField(name, value);
        }
    }
    return contact;
}

OVSearchSession::OVSearchSession(std::weak_ptr<const OVContactManager> manager,
                                 std::map<std::string, std::string> criteria)
    : manager_(std::move(manager)), criteria_(std::move(criteria)) {}

void OVSearchSession::start() {
    auto result = std::make_shared<OVEntity>(-1, OVEntity::Type::typeGroup, "");
    auto manager = manager_.lock();
    if (!manager) {
        result_ = std::move(result);
        return;
    }
    std::vector<std::shared_ptr<OVEntity>> rows;
    if (criteria_.empty()) {
        rows = manager->allContacts();
    } else {
        std::unordered_set<const OVEntity*> seen;
        for (const auto& [field, pattern] : criteria_) {
            // A pattern is matched from the start of the value; its text ends at the first
            // "%", which stands for any rest.
            const auto wildcard = pattern.find('%');
            const std::string_view text = std::string_view(pattern).substr(0, wildcard);
            for (auto& contact : manager->contactsWithPrefix(field, text)) {
                if (wildcard == std::string::npos) {
                    const auto* value =
                        field == OVField::fieldDisplayName ? &contact->displayName() : nullptr;
                    auto f = value ? nullptr : contact->getFieldByName(field);
                    if (compareIgnoringCase(value ? *value : (f ? f->valueStr() : ""), text) != 0) {
                        continue;
                    }
                }
                if (seen.insert(contact.get()).second) {
                    rows.push_back(std::move(contact));
                }
            }
        }
    }
    // The rows are the result's children, but the result is none of their parents.
    result->entities_ = std::move(rows);
    result_ = std::move(result);
}

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
            const std::string& provisioned = address;
            const bool shared =
                std::any_of(record.fields.begin(), record.fields.end(), [&](const auto& field) {
                    return contact_files::roleOfField(field.first) == std::string_view("address") &&
                           OVEntity::sameAddress(field.second, provisioned);
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
    Session session{owner, ungroupedGroupName, {}, provisioned};
    for (const auto& config : provisioned) {
        for (const auto& [name, value] : config.fields) {
            session.provisionedPresence.emplace(
                value, std::make_pair(config.presenceStatus, config.presenceMessage));
        }
    }
    session_ = std::move(session);

    storeFile_ = storeFile;
    if (storeFile_) {
        if (auto error = openStore()) {
            platform::Logf("Contacts: the store cannot be used, the list stays as provisioned "
                           "until it can: %@",
                           *error);
        }
    }
    if (!store_) {
        loadContacts(provisioned, ungroupedGroupName);
        return;
    }
    showStoredList();
}

void OVContactManager::showStoredList() {
    const auto removed = allContacts();
    if (!removed.empty()) {
        for (const auto& group : root_->entitiesAll()) {
            group->removeAllEntities();
        }
        meta_.clear();
        notifyDelegates([&](OVContactManagerPro& d) { d.ContactsRemoved(removed); });
    }
    const auto stored = store_->contacts(session_->owner);
    std::vector<ContactConfig> configs;
    configs.reserve(stored.size());
    for (const auto& contact : stored) {
        configs.push_back(configFor(contact.record, contact.presenceSubscription));
    }
    const auto added = addContacts(configs, session_->ungroupedGroupName);
    for (std::size_t i = 0; i < added.size(); ++i) {
        meta_[added[i].get()] =
            ContactMeta{stored[i].id, stored[i].presenceSubscription, stored[i].record.groups};
    }
    if (!added.empty()) {
        notifyDelegates([&](OVContactManagerPro& d) { d.ContactsAdded(added); });
    }
}

std::optional<std::string> OVContactManager::openStore() {
    store_ = std::make_unique<ContactStore>();
    std::optional<std::string> error = store_->open(*storeFile_);
    if (!error && !store_->hasList(session_->owner)) {
        std::vector<ContactStore::NewContact> seed;
        for (const auto& config : session_->provisioned) {
            ContactRecord record;
            record.displayName = config.displayName;
            record.groups = config.groups;
            for (const auto& [name, value] : config.fields) {
                record.fields.emplace_back(name, value);
            }
            seed.push_back({std::move(record), true});
        }
        error = store_->write(session_->owner, seed, false);
    }
    if (error) {
        store_.reset();
    }
    return error;
}

namespace {

// What makes two records the same contact: the name and the fields in whatever order. Equal
// keys mean equal contacts, so that duplicates are found by hashing instead of comparing every
// record with every other.
std::string contactKey(const ContactRecord& record) {
    auto fields = record.fields;
    std::sort(fields.begin(), fields.end());
    std::string key = record.displayName;
    for (const auto& [name, value] : fields) {
        // Lengths first, so that no value can pass for a field boundary.
        key += '\0' + std::to_string(name.size()) + ':' + name + std::to_string(value.size()) +
               ':' + value;
    }
    return key;
}

} // namespace

std::variant<int, std::string>
OVContactManager::importRecords(const std::vector<ContactRecord>& records, bool eraseExisting,
                                std::optional<bool> presenceSubscription) {
    if (!session_) {
        return std::string("no user is signed in");
    }
    // A store that could not be opened at sign-in is tried again; without it imported
    // contacts would be lost at the next restart.
    if (storeFile_ && !store_) {
        if (auto error = openStore()) {
            return "the contacts cannot be kept: " + *error;
        }
        showStoredList();
    }
    std::unordered_set<std::string> known;
    if (!eraseExisting) {
        for (const auto& record : contactRecords()) {
            known.insert(contactKey(record));
        }
    }
    std::vector<ContactStore::NewContact> add;
    for (const auto& record : records) {
        if (!known.insert(contactKey(record)).second) {
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
        for (const auto& group : root_->entitiesAll()) {
            group->removeAllEntities();
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
