#pragma once

#include "platform/foundation/Object.h"

#include <memory>

class OVEntity;

// The item of a contact row: the contact and the group (or list root) it is shown under. A
// contact in two groups has two such items.
class ContactWithGroup : public platform::Object {
public:
    ContactWithGroup(std::shared_ptr<OVEntity> contact, std::shared_ptr<OVEntity> group)
        : _contact(std::move(contact)), _group(std::move(group)) {}

    const std::shared_ptr<OVEntity>& contact() const { return _contact; }
    const std::shared_ptr<OVEntity>& group() const { return _group; }

private:
    std::shared_ptr<OVEntity> _contact;
    std::shared_ptr<OVEntity> _group;
};
