#include "engine/ContactStore.h"
#include "engine/OVContactManager.h"
#include "platform/foundation/Log.h"

#include <algorithm>

std::shared_ptr<OVSearchSession> OVContactManager::getGroups() const {
    auto session = createSearch({}, {});
    session->setEntityType(OVEntity::typeGroup);
    return session;
}

void OVContactManager::keepGroups(const std::vector<std::string>& names) {
    if (!store_ || !session_ || names.empty()) {
        return;
    }
    if (auto error = store_->addGroups(session_->owner, names)) {
        platform::Logf("Contacts: the groups cannot be kept: %@", *error);
    }
}

std::shared_ptr<OVEntity> OVContactManager::createGroup(const std::string& name) {
    if (name.empty()) {
        return nullptr;
    }
    for (const auto& group : root_->entitiesAll()) {
        if (group->displayName() == name && !group->isReadOnly()) {
            return group;
        }
    }
    if (storeFile_ && !store_) {
        return nullptr;
    }
    if (store_ && session_) {
        if (auto error = store_->addGroups(session_->owner, {name})) {
            platform::Logf("Contacts: the group %@ cannot be kept: %@", name, *error);
            return nullptr;
        }
    }
    auto group = std::make_shared<OVEntity>(nextUniqueId_++, OVEntity::Type::typeGroup, name);
    group->manager_ = weak_from_this();
    root_->addEntity(group);
    return group;
}

std::optional<std::string> OVContactManager::renameGroup(const std::shared_ptr<OVEntity>& group,
                                                         const std::string& name) {
    if (!group || group->type() != OVEntity::typeGroup || group->isReadOnly() || name.empty()) {
        return std::string("the group cannot be renamed");
    }
    const std::string from = group->displayName();
    if (from == name) {
        return std::nullopt;
    }
    if (storeFile_ && !store_) {
        return std::string("the contact store is not open");
    }
    if (store_ && session_) {
        if (auto error = store_->renameGroup(session_->owner, from, name)) {
            return error;
        }
    }
    for (auto& [entity, meta] : meta_) {
        std::replace(meta.groups.begin(), meta.groups.end(), from, name);
    }
    if (session_ && session_->ungroupedGroupName == from) {
        // The contacts in no group showed here; they are in this group now.
        for (const auto& contact : group->entitiesAll()) {
            if (auto meta = meta_.find(contact.get());
                meta != meta_.end() && meta->second.groups.empty()) {
                meta->second.groups = {name};
                saveEntity(*contact);
            }
        }
    }
    group->setDisplayName(name);
    root_->notifyObservers([](OVEntityObserver& o) { o.ovetOnEntityCollectionChanged(); });
    return std::nullopt;
}

std::optional<std::string>
OVContactManager::moveContacts(const std::vector<std::shared_ptr<OVEntity>>& contacts,
                               const std::shared_ptr<OVEntity>& sourceParent,
                               const std::shared_ptr<OVEntity>& destParent) {
    if (!destParent || destParent->type() != OVEntity::typeGroup || destParent->isReadOnly()) {
        return std::string("the contacts cannot go into that group");
    }
    // Both groups stay after a restart, even when the source is left empty.
    std::vector<std::string> kept{destParent->displayName()};
    if (sourceParent && sourceParent->type() == OVEntity::typeGroup &&
        sourceParent != getVeyraRoot()) {
        kept.push_back(sourceParent->displayName());
    }
    keepGroups(kept);
    for (const auto& contact : contacts) {
        if (!contact || contact->type() != OVEntity::typeLogicalContact) {
            continue;
        }
        std::vector<std::string> groups;
        for (const auto& parent : contact->parentEntities()) {
            if (parent->type() == OVEntity::typeGroup && parent != sourceParent &&
                parent != root_ && parent != destParent && !parent->isReadOnly()) {
                groups.push_back(parent->displayName());
            }
        }
        groups.push_back(destParent->displayName());
        if (auto error = setContactGroups(contact, groups)) {
            return error;
        }
    }
    return std::nullopt;
}
