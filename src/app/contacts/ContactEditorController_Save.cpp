#include "app/contacts/ContactEditorController.h"
#include "engine/OVContactManager.h"
#include "platform/foundation/Log.h"

#include <algorithm>

// Writing the editor's contact to the engine: each source's names and addresses, the display
// name, the groups, then the sources marked for deletion, the sources brought in (merged into
// the contact) and the split, and last the primary roles, the contact stored once more with
// them.

namespace {

// The field a row stands for once its source is saved.
std::string fieldNameOf(const EditableAddressPtr& row) {
    return row && row->field ? row->field->name() : std::string();
}

bool sameEntity(const std::shared_ptr<OVEntity>& a, const std::shared_ptr<OVEntity>& b) {
    return a && b && a->isEqualToInterface(*b);
}

} // namespace

void ContactEditorController::save() {
    for (const auto& source : _sources) {
        if (!source->markedDelete() && !source->isReadOnly() && source->hasContent()) {
            source->save();
        }
    }
    if (!_displayName.empty()) {
        _contact->setDisplayName(_displayName);
    }
    if (_selectedGroups.empty()) {
        _selectedGroups.push_back(getDefaultGroup());
    }
    const auto setPrimaries = [this] {
        _contact->clearPrimaryFields();
        if (const auto name = fieldNameOf(_defaultCall); !name.empty()) {
            _contact->setPrimary(OVField::fieldPrimaryTypeCall, name);
        }
        if (const auto name = fieldNameOf(_defaultPresence); !name.empty()) {
            _contact->setPrimary(OVField::fieldPrimaryTypePresence, name);
        }
        if (const auto name = fieldNameOf(_defaultSMS); !name.empty()) {
            _contact->setPrimary(OVField::fieldPrimaryTypeSMS, name);
        }
        if (_defaultAvatar && !_defaultAvatar->avatar().empty()) {
            _contact->setPrimary(OVField::fieldPrimaryTypeAvatar, OVField::fieldAvatar);
        }
    };
    setPrimaries();

    if (!_contact->hasParentEntities()) {
        // A new contact is stored into its first group, then into the others.
        _contact->setGroupToAdd(_selectedGroups.front());
    }
    _contact->saveCommand();
    if (_contactManager && _contact->hasParentEntities()) {
        if (auto error = _contactManager->setContactGroups(_contact, _selectedGroups)) {
            platform::Logf("Contacts: the groups of %@ cannot be saved: %@",
                           _contact->displayName(), *error);
        }
    }

    // Each source goes into at most one list. The contact itself (a contact that was never
    // merged is its own single source) is never deleted from here.
    std::vector<std::shared_ptr<ContactContentController>> toDelete;
    std::vector<std::shared_ptr<ContactContentController>> toMerge;
    bool split = false;
    for (const auto& source : _sources) {
        const auto& entity = source->entity();
        if (entity == _contact) {
            split = split || source->markedSplit();
            continue;
        }
        if ((source->markedDelete() || !source->hasContent()) && entity->hasParentEntities()) {
            toDelete.push_back(source);
        } else if (source->markedSplit()) {
            split = true;
        } else if (source->isNew() && (source->hasContent() || !source->avatar().empty())) {
            toMerge.push_back(source);
        }
    }

    for (const auto& source : toDelete) {
        const auto& entity = source->entity();
        const auto parent = entity->parentEntity();
        if (sameEntity(parent, _contact) ||
            (entity->type() == OVEntity::typePhysicalContact && parent &&
             parent->type() == OVEntity::typeLogicalContact)) {
            // A source of this contact, or one brought in from another contact: only the
            // source goes, never the contact it came from.
            entity->deleteCommand();
        }
        // A whole contact brought in and then emptied is simply not merged.
    }

    if (!toMerge.empty() && _contactManager) {
        // The contact stays first so that it keeps its identity (and its editor its contact).
        std::vector<std::shared_ptr<OVEntity>> contacts{_contact};
        for (const auto& source : toMerge) {
            auto entity = source->entity();
            if (entity->type() == OVEntity::typePhysicalContact) {
                entity = entity->parentEntity();
            } else if (!entity->hasParentEntities()) {
                // Made in this editor: stored first, in the contact's first group.
                entity->setGroupToAdd(_selectedGroups.front());
                entity->saveCommand();
            }
            if (entity && std::none_of(contacts.begin(), contacts.end(),
                                       [&](const auto& c) { return sameEntity(c, entity); })) {
                contacts.push_back(entity);
            }
        }
        if (contacts.size() >= 2) {
            if (auto merged = _contactManager->mergeContacts(contacts)) {
                _contact = merged;
            } else {
                platform::Logf("Contacts: the sources of %@ cannot be merged",
                               _contact->displayName());
            }
        }
    }

    if (split && _contactManager && _contact->type() == OVEntity::typeLogicalContact) {
        // The whole contact is split, one contact for each of its sources.
        _contactManager->splitContact(_contact);
    }

    setPrimaries();
    _contact->saveCommand();
}
