#include "app/contacts/ContactEditorController.h"
#include "engine/OVContactManager.h"
#include "platform/foundation/Log.h"

#include <algorithm>

// Writing the editor's contact to the engine: each source's names and addresses, the display
// name, the groups, then the primary roles, and the contact stored once more with them.

namespace {

// The field a row stands for once its source is saved.
std::string fieldNameOf(const EditableAddressPtr& row) {
    return row && row->field ? row->field->name() : std::string();
}

} // namespace

void ContactEditorController::save() {
    for (const auto& source : _sources) {
        if (!source->isReadOnly() && source->hasContent()) {
            source->save();
        }
    }
    if (!_displayName.empty()) {
        _contact->setDisplayName(_displayName);
    }
    if (_selectedGroups.empty()) {
        _selectedGroups.push_back(getDefaultGroup());
    }

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
}
