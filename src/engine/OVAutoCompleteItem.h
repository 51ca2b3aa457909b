#pragma once

#include "engine/OVConstants.h"
#include "engine/OVObject.h"

#include <memory>
#include <string>

// What an entry of the suggestion and redial lists stands for: a party with an address to call.
class OVSpaceItem : public OVObject {
public:
    OVSpaceItem(std::string displayName, std::string address, OVAddressType addressType,
                long long entityID, bool isContact)
        : displayName_(std::move(displayName)), address_(std::move(address)),
          addressType_(addressType), entityID_(entityID), isContact_(isContact) {}

    const std::string& displayName() const { return displayName_; }
    // The name when there is one, else the address as shown.
    std::string display() const { return displayName_.empty() ? addressToDisplay() : displayName_; }
    const std::string& address() const { return address_; }
    // The address without its "sip:", "sips:" or "tel:" scheme and without parameters.
    std::string addressToDisplay() const { return addressWithoutScheme(address_); }
    OVAddressType addressType() const { return addressType_; }
    // The contact's unique id, -1 for none.
    long long entityID() const { return entityID_; }
    bool isContact() const { return isContact_; }

    static std::string addressWithoutScheme(std::string_view address);

    std::string description() const override { return display(); }

private:
    std::string displayName_;
    std::string address_;
    OVAddressType addressType_;
    long long entityID_;
    bool isContact_;
};

// One suggestion of the auto-complete list.
class OVAutoCompleteItem : public OVObject {
public:
    OVAutoCompleteItem(std::shared_ptr<OVSpaceItem> item, double lastUsed)
        : item_(std::move(item)), lastUsed_(lastUsed) {}

    std::shared_ptr<OVSpaceItem> getSpaceItem() const { return item_; }
    // The list's order: contacts first, by name without regard to case, then the history's
    // addresses, the most recently used first. Negative, zero or positive.
    int compare(const OVAutoCompleteItem& other) const;

private:
    std::shared_ptr<OVSpaceItem> item_;
    double lastUsed_;
};
