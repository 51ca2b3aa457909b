#pragma once

#include <memory>
#include <string>
#include <tuple>

class OVField;

// One address line of an extended contact row: what it shows, what it hands to the engine,
// the field it came from and how it communicates (OVField type bits).
class CellLink {
public:
    CellLink(std::string displayAddress, std::string address, std::string addressType,
             int communicationType, std::shared_ptr<OVField> field = nullptr)
        : displayAddress(std::move(displayAddress)), address(std::move(address)),
          addressType(std::move(addressType)), communicationType(communicationType),
          field(std::move(field)) {}

    // By address type, then address.
    bool operator<(const CellLink& other) const {
        return std::tie(addressType, address) < std::tie(other.addressType, other.address);
    }

    std::string displayAddress;
    std::string address;
    std::string addressType;
    int communicationType = 1;
    std::shared_ptr<OVField> field;
};
