#include "engine/OVContactManager.h"

#include "engine/ContactStore.h"
#include "platform/foundation/Log.h"

#include <algorithm>
#include <cctype>
#include <functional>
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
        name == fieldBlockState || name == fieldFavourite ||
        name.substr(0, fieldPrimaryPrefix.size()) == fieldPrimaryPrefix) {
        return fieldTypeMetaData;
    }
    return fieldTypeNone;
}

bool OVField::isAddress() const {
    return contact_files::roleOfField(name_) == std::string_view("address");
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
    field->parent_ = weak_from_this();
    ++contentGeneration_;
    if (it == fields_.end()) {
        fields_.push_back(std::move(field));
        notifyObservers([](OVEntityObserver& o) { o.ovetOnFieldCollectionChanged(); });
    } else {
        *it = std::move(field);
        notifyObservers([](OVEntityObserver& o) { o.ovetOnFieldPropertyChanged(); });
    }
}

void OVEntity::removeField(std::string_view name) {
    const auto removed =
        std::erase_if(fields_, [&](const auto& field) { return field->name() == name; });
    if (removed > 0) {
        ++contentGeneration_;
        notifyObservers([](OVEntityObserver& o) { o.ovetOnFieldCollectionChanged(); });
    }
}

namespace {

std::vector<std::shared_ptr<OVField>>
addressesWhere(const std::vector<std::shared_ptr<OVField>>& fields,
               const std::function<bool(const OVField&)>& wanted) {
    std::vector<std::shared_ptr<OVField>> out;
    for (const auto& field : fields) {
        if (field->isAddress() && !field->valueStr().empty() && wanted(*field)) {
            out.push_back(field);
        }
    }
    return out;
}

} // namespace

std::vector<std::shared_ptr<OVField>> OVEntity::addresses() const {
    return addressesWhere(fields_, [](const OVField&) { return true; });
}

std::vector<std::shared_ptr<OVField>> OVEntity::imAddresses() const {
    return addressesWhere(fields_,
                          [](const OVField& f) { return f.hasType(OVField::fieldTypeIM); });
}

std::vector<std::shared_ptr<OVField>> OVEntity::smsAddresses() const {
    return addressesWhere(fields_,
                          [](const OVField& f) { return f.hasType(OVField::fieldTypeSMS); });
}

std::vector<std::shared_ptr<OVField>> OVEntity::emailAddresses() const {
    return addressesWhere(fields_,
                          [](const OVField& f) { return f.name() == OVField::fieldEmailAddr; });
}

std::shared_ptr<OVField> OVEntity::presenceAddress() const {
    return getPrimary(OVField::fieldPrimaryTypePresence);
}

bool OVEntity::favourite() const {
    const auto field = getFieldByName(OVField::fieldFavourite);
    return field && field->valueStr() == OVField::fieldValueTrue;
}

void OVEntity::setFavourite(bool flag) {
    if (flag) {
        updateField(std::string(OVField::fieldFavourite), std::string(OVField::fieldValueTrue),
                    OVField::fieldTypeMetaData);
    } else {
        removeField(OVField::fieldFavourite);
    }
}

bool OVEntity::canBeBlocked() const {
    return type_ != Type::typeGroup && (!callableAddresses().empty() || !imAddresses().empty());
}

std::shared_ptr<OVEntity> OVEntity::parentEntity() const {
    for (const auto& weak : parents_) {
        if (auto parent = weak.lock()) {
            return parent;
        }
    }
    return nullptr;
}

void OVEntity::saveCommand() {
    if (auto manager = manager_.lock()) {
        if (auto error = manager->saveEntity(*this)) {
            platform::Logf("Contacts: %@ cannot be saved: %@", displayName_, *error);
        }
    }
}

void OVEntity::deleteCommand() {
    auto manager = manager_.lock();
    if (!manager) {
        return;
    }
    // A group goes with its contacts, a contact with its sources, a source alone.
    manager->deleteContacts({shared_from_this()});
}

std::string_view OVEntity::primaryRoleName(OVField::PrimaryType role) {
    switch (role) {
    case OVField::PrimaryType::call:
        return "call";
    case OVField::PrimaryType::sms:
        return "sms";
    case OVField::PrimaryType::presence:
        return "presence";
    case OVField::PrimaryType::avatar:
        return "avatar";
    case OVField::PrimaryType::displayName:
        return "displayName";
    }
    return "";
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

std::shared_ptr<OVField> OVEntity::fieldForAddress(std::string_view address) const {
    for (const auto& field : fields_) {
        const std::string& value = field->valueStr();
        if (value.size() == address.size() &&
            std::equal(value.begin(), value.end(), address.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            })) {
            return field;
        }
    }
    return nullptr;
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
    group->manager_ = weak_from_this();
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
        contact->manager_ = weak_from_this();
        for (const auto& [name, value] : config.fields) {
            if (name.starts_with(OVField::fieldPrimaryPrefix)) {
                for (auto role : {OVField::PrimaryType::call, OVField::PrimaryType::sms,
                                  OVField::PrimaryType::presence, OVField::PrimaryType::avatar,
                                  OVField::PrimaryType::displayName}) {
                    if (name.substr(OVField::fieldPrimaryPrefix.size()) ==
                        OVEntity::primaryRoleName(role)) {
                        contact->setPrimary(role, value);
                    }
                }
            } else if (name != OVField::fieldBlockState) {
                contact->updateField(name, value);
            }
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
    blocked_.clear();
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
    // Stored by its own saveCommand, like a blank new contact.
    contact->manager_ = weak_from_this();
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
    if (entityType_ == OVEntity::Type::typeGroup) {
        rows = manager->getVeyraRoot()->entitiesAll();
    } else if (criteria_.empty()) {
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
    // What the network last said of the contacts shown stays theirs.
    std::map<std::string, std::pair<OVPresenceStatus, std::string>> presence;
    for (const auto& contact : removed) {
        if (const auto address = contact->presenceAddress()) {
            const auto record = contact->defaultPresence();
            presence[lowered(withoutScheme(address->valueStr()))] = {record->status(),
                                                                     record->message()};
        }
    }
    if (!removed.empty()) {
        for (const auto& group : root_->entitiesAll()) {
            group->removeAllEntities();
        }
        meta_.clear();
        notifyDelegates([&](OVContactManagerPro& d) { d.ContactsRemoved(removed); });
    }
    // Groups without contacts are kept too.
    for (const auto& name : store_->groups(session_->owner)) {
        groupNamed(name);
    }
    const auto stored = store_->contacts(session_->owner);
    std::vector<ContactConfig> configs;
    configs.reserve(stored.size());
    for (const auto& contact : stored) {
        configs.push_back(configFor(contact.record, contact.presenceSubscription));
    }
    auto added = addContacts(configs, session_->ungroupedGroupName);
    std::map<long long, std::shared_ptr<OVEntity>> byId;
    for (std::size_t i = 0; i < added.size(); ++i) {
        meta_[added[i].get()] =
            ContactMeta{stored[i].id, stored[i].presenceSubscription, stored[i].record.groups};
        byId[stored[i].id] = added[i];
        if (const auto address = added[i]->presenceAddress()) {
            auto known = presence.find(lowered(withoutScheme(address->valueStr())));
            if (known != presence.end() && stored[i].presenceSubscription) {
                added[i]->defaultPresence()->update(known->second.first, known->second.second);
            }
        }
    }
    // Merged contacts: each head with its members, in the order of the list.
    std::map<long long, std::vector<std::shared_ptr<OVEntity>>> members;
    for (const auto& [member, head] : store_->merges(session_->owner)) {
        if (byId.count(member) && byId.count(head)) {
            members[head].push_back(byId[member]);
        }
    }
    for (const auto& [head, list] : members) {
        applyMerge(byId[head], list);
        for (const auto& member : list) {
            std::erase(added, member);
        }
    }
    blocked_.clear();
    for (const auto& [protocol, address] : store_->blocked(session_->owner)) {
        blocked_.emplace(protocol, address);
    }
    updateBlockStates();
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
            // The contact's state (favourite, alert list, block state) is no part of it.
            if (!field->hasType(OVField::fieldTypeMetaData)) {
                record.fields.emplace_back(field->name(), field->valueStr());
            }
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

std::vector<std::shared_ptr<OVEntity>>
OVContactManager::sourcesOf(const std::shared_ptr<OVEntity>& entity) {
    if (entity->type() == OVEntity::typeLogicalContact && !entity->entitiesAll().empty()) {
        return entity->entitiesAll();
    }
    return {entity};
}

ContactRecord OVContactManager::recordOf(const OVEntity& source, const OVEntity* logical) const {
    ContactRecord record;
    record.displayName = logical ? logical->displayName() : source.displayName();
    for (const auto& field : source.fields()) {
        if (!field->hasType(OVField::fieldTypeMetaData)) {
            record.fields.emplace_back(field->name(), field->valueStr());
        }
    }
    if (logical) {
        // What belongs to the contact as a whole goes with its first source.
        for (const auto& field : logical->fields()) {
            if (field->hasType(OVField::fieldTypeMetaData) &&
                field->name() != OVField::fieldBlockState) {
                record.fields.emplace_back(field->name(), field->valueStr());
            }
        }
        for (const auto& [role, name] : logical->primaryFields()) {
            record.fields.emplace_back(std::string(OVField::fieldPrimaryPrefix) +
                                           std::string(OVEntity::primaryRoleName(role)),
                                       name);
        }
    }
    const OVEntity* owner = logical ? logical : &source;
    if (auto found = meta_.find(owner); found != meta_.end()) {
        record.groups = found->second.groups;
    }
    return record;
}

void OVContactManager::applyMerge(const std::shared_ptr<OVEntity>& head,
                                  const std::vector<std::shared_ptr<OVEntity>>& members) {
    std::vector<std::shared_ptr<OVEntity>> sources;
    const auto takeSources = [&](const std::shared_ptr<OVEntity>& contact) {
        if (!contact->entitiesAll().empty()) {
            const auto own = contact->entitiesAll();
            contact->removeAllEntities();
            sources.insert(sources.end(), own.begin(), own.end());
            return;
        }
        // A contact of its own becomes one source, with its fields but not what belongs to
        // the contact as a whole.
        auto source = std::make_shared<OVEntity>(
            nextUniqueId_++, OVEntity::Type::typePhysicalContact, contact->displayName());
        source->manager_ = weak_from_this();
        source->provider_ = contact->provider_;
        for (const auto& field : contact->fields()) {
            if (!field->hasType(OVField::fieldTypeMetaData)) {
                source->updateField(field->name(), field->valueStr(), field->type());
            }
        }
        if (auto found = meta_.find(contact.get()); found != meta_.end()) {
            meta_[source.get()] = found->second;
        }
        sources.push_back(std::move(source));
    };
    takeSources(head);
    auto& headMeta = meta_[head.get()];
    for (const auto& member : members) {
        takeSources(member);
        for (const auto& parent : member->parentEntities()) {
            parent->removeEntity(member);
            parent->addEntity(head);
        }
        if (auto found = meta_.find(member.get()); found != meta_.end()) {
            for (const auto& group : found->second.groups) {
                if (std::find(headMeta.groups.begin(), headMeta.groups.end(), group) ==
                    headMeta.groups.end()) {
                    headMeta.groups.push_back(group);
                }
            }
            meta_.erase(found);
        }
    }
    // The contact's fields: what belongs to it as a whole, then every source's, once each.
    std::vector<std::shared_ptr<OVField>> fields;
    for (const auto& field : head->fields_) {
        if (field->hasType(OVField::fieldTypeMetaData)) {
            fields.push_back(field);
        }
    }
    for (const auto& source : sources) {
        head->addEntity(source);
        for (const auto& field : source->fields()) {
            const bool known = std::any_of(fields.begin(), fields.end(), [&](const auto& f) {
                return f->name() == field->name() && f->valueStr() == field->valueStr();
            });
            if (!known) {
                fields.push_back(field);
            }
        }
    }
    head->fields_ = std::move(fields);
    ++OVEntity::contentGeneration_;
    head->invalidateParents();
    head->notifyObservers([](OVEntityObserver& o) { o.ovetOnFieldCollectionChanged(); });
}

void OVContactManager::refreshMergedFields(OVEntity& contact) {
    // What belongs to the contact as a whole stays; every source's fields as they are now,
    // once each.
    std::vector<std::shared_ptr<OVField>> fields;
    for (const auto& field : contact.fields_) {
        if (field->hasType(OVField::fieldTypeMetaData)) {
            fields.push_back(field);
        }
    }
    for (const auto& source : contact.entitiesAll()) {
        for (const auto& field : source->fields()) {
            const bool known = std::any_of(fields.begin(), fields.end(), [&](const auto& f) {
                return f->name() == field->name() && f->valueStr() == field->valueStr();
            });
            if (!known) {
                fields.push_back(field);
            }
        }
    }
    const auto same = [](const std::shared_ptr<OVField>& a, const std::shared_ptr<OVField>& b) {
        return a == b;
    };
    if (std::equal(fields.begin(), fields.end(), contact.fields_.begin(), contact.fields_.end(),
                   same)) {
        return;
    }
    contact.fields_ = std::move(fields);
    ++OVEntity::contentGeneration_;
    contact.invalidateParents();
    contact.notifyObservers([](OVEntityObserver& o) { o.ovetOnFieldCollectionChanged(); });
}

std::shared_ptr<OVEntity> OVContactManager::createLogicalEntity() {
    auto contact =
        std::make_shared<OVEntity>(nextUniqueId_++, OVEntity::Type::typeLogicalContact, "");
    contact->manager_ = weak_from_this();
    return contact;
}

std::optional<std::string> OVContactManager::saveEntity(OVEntity& entity) {
    if (entity.type() == OVEntity::typeGroup) {
        return std::nullopt;
    }
    if (entity.type() == OVEntity::typePhysicalContact) {
        auto parent = entity.parentEntity();
        return parent ? saveEntity(*parent) : std::nullopt;
    }
    auto contact = entity.shared_from_this();
    auto found = meta_.find(contact.get());
    if (found == meta_.end()) {
        // A new contact joins the list in its group.
        if (!session_) {
            return std::string("no user is signed in");
        }
        const std::string group =
            contact->groupToAdd().empty() ? session_->ungroupedGroupName : contact->groupToAdd();
        ContactMeta meta{0, true, {group}};
        meta_[contact.get()] = meta;
        ContactRecord record = recordOf(*contact, contact.get());
        if (storeFile_ && !store_) {
            meta_.erase(contact.get());
            return std::string("the contact store is not open");
        }
        if (store_) {
            std::vector<long long> ids;
            if (auto error = store_->write(session_->owner, {{record, true}}, false, &ids)) {
                meta_.erase(contact.get());
                return error;
            }
            meta_[contact.get()].storeId = ids.empty() ? 0 : ids.front();
        }
        contact->setGroupToAdd({});
        groupNamed(group)->addEntity(contact);
        updateBlockStates();
        notifyDelegates([&](OVContactManagerPro& d) { d.ContactsAdded({contact}); });
        return std::nullopt;
    }
    if (!contact->entitiesAll().empty()) {
        refreshMergedFields(*contact);
    }
    if (!store_) {
        return storeFile_ ? std::optional<std::string>("the contact store is not open")
                          : std::nullopt;
    }
    std::vector<std::pair<long long, ContactRecord>> rows;
    const long long headId = found->second.storeId;
    if (contact->entitiesAll().empty()) {
        rows.emplace_back(headId, recordOf(*contact, contact.get()));
    } else {
        for (const auto& source : contact->entitiesAll()) {
            auto meta = meta_.find(source.get());
            if (meta == meta_.end()) {
                continue;
            }
            const bool first = meta->second.storeId == headId;
            rows.emplace_back(meta->second.storeId, first ? recordOf(*source, contact.get())
                                                          : recordOf(*source, nullptr));
            if (first) {
                rows.back().second.displayName = contact->displayName();
            }
        }
    }
    return store_->update(rows);
}

std::shared_ptr<OVEntity>
OVContactManager::mergeContacts(const std::vector<std::shared_ptr<OVEntity>>& contacts) {
    std::vector<std::shared_ptr<OVEntity>> distinct;
    for (const auto& contact : contacts) {
        if (!contact || contact->type() != OVEntity::typeLogicalContact ||
            !meta_.count(contact.get())) {
            continue;
        }
        if (std::none_of(distinct.begin(), distinct.end(),
                         [&](const auto& d) { return d->isEqualToInterface(*contact); })) {
            distinct.push_back(contact);
        }
    }
    if (distinct.size() < 2) {
        return nullptr;
    }
    const auto head = distinct.front();
    const std::vector<std::shared_ptr<OVEntity>> members(distinct.begin() + 1, distinct.end());
    if (store_) {
        std::vector<long long> memberIds;
        for (const auto& contact : distinct) {
            for (const auto& source : sourcesOf(contact)) {
                if (auto meta = meta_.find(source.get()); meta != meta_.end()) {
                    memberIds.push_back(meta->second.storeId);
                }
            }
        }
        if (auto error = store_->setMerged(meta_[head.get()].storeId, memberIds)) {
            platform::Logf("Contacts: the merge cannot be kept: %@", *error);
            return nullptr;
        }
    } else if (storeFile_) {
        return nullptr;
    }
    applyMerge(head, members);
    if (store_) {
        // The head's row keeps the groups of them all.
        saveEntity(*head);
    }
    notifyDelegates([&](OVContactManagerPro& d) { d.ContactsRemoved(members); });
    return head;
}

void OVContactManager::splitContact(const std::shared_ptr<OVEntity>& contact) {
    if (!contact || contact->type() != OVEntity::typeLogicalContact ||
        contact->entitiesAll().size() < 2 || !meta_.count(contact.get())) {
        return;
    }
    const long long headId = meta_[contact.get()].storeId;
    if (store_) {
        if (auto error = store_->setMerged(headId, {})) {
            platform::Logf("Contacts: the split cannot be kept: %@", *error);
            return;
        }
    } else if (storeFile_) {
        return;
    }
    const auto sources = contact->entitiesAll();
    contact->removeAllEntities();
    // The first source stays the contact; each other one becomes a contact of its own.
    std::shared_ptr<OVEntity> first = sources.front();
    for (const auto& source : sources) {
        if (auto meta = meta_.find(source.get());
            meta != meta_.end() && meta->second.storeId == headId) {
            first = source;
        }
    }
    std::vector<std::shared_ptr<OVField>> fields;
    for (const auto& field : contact->fields_) {
        if (field->hasType(OVField::fieldTypeMetaData)) {
            fields.push_back(field);
        }
    }
    for (const auto& field : first->fields()) {
        field->parent_ = contact;
        fields.push_back(field);
    }
    contact->fields_ = std::move(fields);
    meta_.erase(first.get());
    std::vector<std::shared_ptr<OVEntity>> added;
    for (const auto& source : sources) {
        if (source == first) {
            continue;
        }
        auto meta = meta_.count(source.get()) ? meta_[source.get()] : ContactMeta{};
        meta_.erase(source.get());
        ContactConfig config;
        config.displayName = source->displayName();
        config.groups = meta.groups;
        for (const auto& field : source->fields()) {
            config.fields.emplace(field->name(), field->valueStr());
        }
        ContactRecord record;
        record.fields.assign(config.fields.begin(), config.fields.end());
        const auto presence = configFor(record, meta.presenceSubscription);
        config.presenceStatus = presence.presenceStatus;
        config.presenceMessage = presence.presenceMessage;
        auto made = addContacts({config}, session_ ? session_->ungroupedGroupName : "");
        for (const auto& entity : made) {
            meta_[entity.get()] = meta;
            added.push_back(entity);
        }
    }
    ++OVEntity::contentGeneration_;
    contact->invalidateParents();
    contact->notifyObservers([](OVEntityObserver& o) { o.ovetOnFieldCollectionChanged(); });
    updateBlockStates();
    if (!added.empty()) {
        notifyDelegates([&](OVContactManagerPro& d) { d.ContactsAdded(added); });
    }
}

void OVContactManager::detach(const std::shared_ptr<OVEntity>& contact) {
    for (const auto& parent : contact->parentEntities()) {
        parent->removeEntity(contact);
    }
    for (const auto& source : contact->entitiesAll()) {
        meta_.erase(source.get());
    }
    meta_.erase(contact.get());
}

std::optional<std::string>
OVContactManager::setContactGroups(const std::shared_ptr<OVEntity>& contact,
                                   const std::vector<std::string>& groups) {
    auto meta = contact ? meta_.find(contact.get()) : meta_.end();
    if (meta == meta_.end() || groups.empty()) {
        return std::string("the contact is not stored");
    }
    const auto wanted = [&](const std::string& name) {
        return std::find(groups.begin(), groups.end(), name) != groups.end();
    };
    for (const auto& group : std::vector<std::shared_ptr<OVEntity>>(root_->entitiesAll())) {
        const auto& members = group->entitiesAll();
        const bool member = std::find(members.begin(), members.end(), contact) != members.end();
        if (member && (group->isReadOnly() || !wanted(group->displayName()))) {
            group->removeEntity(contact);
        }
    }
    for (const auto& name : groups) {
        std::shared_ptr<OVEntity> target;
        for (const auto& group : root_->entitiesAll()) {
            if (group->displayName() == name && !group->isReadOnly()) {
                target = group;
                break;
            }
        }
        if (!target) {
            target = std::make_shared<OVEntity>(nextUniqueId_++, OVEntity::Type::typeGroup, name);
            target->manager_ = weak_from_this();
            root_->addEntity(target);
        }
        const auto& members = target->entitiesAll();
        if (std::find(members.begin(), members.end(), contact) == members.end()) {
            target->addEntity(contact);
        }
    }
    meta->second.groups = groups;
    return saveEntity(*contact);
}

void OVContactManager::deleteContacts(const std::vector<std::shared_ptr<OVEntity>>& entities) {
    std::vector<std::shared_ptr<OVEntity>> contacts;
    std::vector<std::shared_ptr<OVEntity>> sources;
    std::vector<std::shared_ptr<OVEntity>> groups;
    const auto addContact = [&](const std::shared_ptr<OVEntity>& contact) {
        if (std::find(contacts.begin(), contacts.end(), contact) == contacts.end()) {
            contacts.push_back(contact);
        }
    };
    for (const auto& entity : entities) {
        if (!entity) {
            continue;
        }
        switch (entity->type()) {
        case OVEntity::typeGroup:
            groups.push_back(entity);
            for (const auto& member : entity->entitiesAll()) {
                addContact(member);
            }
            break;
        case OVEntity::typeLogicalContact:
            addContact(entity);
            break;
        case OVEntity::typePhysicalContact:
            sources.push_back(entity);
            break;
        }
    }
    std::vector<long long> ids;
    for (const auto& contact : contacts) {
        for (const auto& source : sourcesOf(contact)) {
            if (auto meta = meta_.find(source.get()); meta != meta_.end() && meta->second.storeId) {
                ids.push_back(meta->second.storeId);
            }
        }
        if (auto meta = meta_.find(contact.get()); meta != meta_.end() && meta->second.storeId) {
            ids.push_back(meta->second.storeId);
        }
    }
    for (const auto& source : sources) {
        if (auto meta = meta_.find(source.get()); meta != meta_.end() && meta->second.storeId) {
            ids.push_back(meta->second.storeId);
        }
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    if (store_ && !ids.empty()) {
        if (auto error = store_->remove(ids)) {
            platform::Logf("Contacts: the contacts cannot be deleted: %@", *error);
            return;
        }
    } else if (storeFile_ && !store_ && !ids.empty()) {
        return;
    }
    for (const auto& contact : contacts) {
        detach(contact);
    }
    for (const auto& group : groups) {
        if (store_ && session_) {
            if (auto error = store_->removeGroup(session_->owner, group->displayName())) {
                platform::Logf("Contacts: the group cannot be deleted: %@", *error);
            }
        }
        root_->removeEntity(group);
    }
    for (const auto& source : sources) {
        auto contact = source->parentEntity();
        if (!contact || std::find(contacts.begin(), contacts.end(), contact) != contacts.end()) {
            continue;
        }
        const bool wasFirst = meta_.count(source.get()) && meta_.count(contact.get()) &&
                              meta_[source.get()].storeId == meta_[contact.get()].storeId;
        contact->removeEntity(source);
        meta_.erase(source.get());
        const auto rest = contact->entitiesAll();
        if (wasFirst && !rest.empty() && meta_.count(rest.front().get())) {
            // The next source's row carries the contact from now on.
            meta_[contact.get()].storeId = meta_[rest.front().get()].storeId;
            if (store_) {
                std::vector<long long> others;
                for (const auto& other : rest) {
                    others.push_back(meta_[other.get()].storeId);
                }
                store_->setMerged(meta_[contact.get()].storeId, others);
            }
        }
        std::erase_if(contact->fields_, [&](const auto& field) {
            return !field->hasType(OVField::fieldTypeMetaData) && field->parentEntity() == source;
        });
        ++OVEntity::contentGeneration_;
        contact->invalidateParents();
        contact->notifyObservers([](OVEntityObserver& o) { o.ovetOnFieldCollectionChanged(); });
        if (store_) {
            saveEntity(*contact);
        }
    }
    if (!contacts.empty()) {
        notifyDelegates([&](OVContactManagerPro& d) { d.ContactsRemoved(contacts); });
    }
}

void OVContactManager::setAddressesBlocked(const std::vector<std::string>& addresses,
                                           OVAccountProtocol protocol, bool blocked) {
    std::vector<std::string> keys;
    for (const auto& address : addresses) {
        auto key = lowered(withoutScheme(address));
        if (!key.empty() && std::find(keys.begin(), keys.end(), key) == keys.end()) {
            keys.push_back(std::move(key));
        }
    }
    if (store_ && session_) {
        if (auto error =
                store_->setBlocked(session_->owner, static_cast<int>(protocol), keys, blocked)) {
            platform::Logf("Contacts: the blocked addresses cannot be kept: %@", *error);
            return;
        }
    }
    for (const auto& key : keys) {
        if (blocked) {
            blocked_.emplace(static_cast<int>(protocol), key);
        } else {
            blocked_.erase({static_cast<int>(protocol), key});
        }
    }
    updateBlockStates();
}

bool OVContactManager::isAddressBlocked(std::string_view address) const {
    const auto key = lowered(withoutScheme(address));
    return std::any_of(blocked_.begin(), blocked_.end(),
                       [&](const auto& entry) { return entry.second == key; });
}

void OVContactManager::updateBlockStates() {
    for (const auto& contact : allContacts()) {
        int all = 0;
        int blocked = 0;
        std::vector<std::string> seen;
        auto count = [&](const std::vector<std::shared_ptr<OVField>>& fields) {
            for (const auto& field : fields) {
                auto key = lowered(withoutScheme(field->valueStr()));
                if (std::find(seen.begin(), seen.end(), key) != seen.end()) {
                    continue;
                }
                seen.push_back(key);
                ++all;
                blocked += isAddressBlocked(key) ? 1 : 0;
            }
        };
        count(contact->callableAddresses());
        count(contact->imAddresses());
        const std::string_view state = blocked == 0     ? OVField::stateNotBlocked
                                       : blocked == all ? OVField::stateBlocked
                                                        : OVField::statePartiallyBlocked;
        const auto field = contact->getFieldByName(OVField::fieldBlockState);
        if (field ? field->valueStr() != state : blocked > 0) {
            contact->updateField(std::string(OVField::fieldBlockState), std::string(state),
                                 OVField::fieldTypeMetaData);
        }
    }
}
