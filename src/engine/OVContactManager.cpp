#include "engine/OVContactManager.h"

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

void OVContactManager::loadContacts(const std::vector<ContactConfig>& contacts,
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
    if (!added.empty()) {
        notifyDelegates([&](OVContactManagerPro& d) { d.ContactsAdded(added); });
    }
}

void OVContactManager::clear() {
    const auto removed = allContacts();
    root_ = std::make_shared<OVEntity>(0, OVEntity::Type::typeGroup, "");
    if (!removed.empty()) {
        notifyDelegates([&](OVContactManagerPro& d) { d.ContactsRemoved(removed); });
    }
}
