#pragma once

#include <string_view>

// Enumerations of the engine that the interface compares values with. The numbers are the
// engine's own; bindings hand them around as plain numbers, so each enumeration keeps a fixed
// integer value.

// Presence status of a contact or of the user. The numbers 0 to 7 are those the interface
// shows (7 offline); none is 8 and idle 3, the two that have no text of their own.
enum class OVPresenceStatus : int {
    statusAvailable = 0,
    statusBusy = 1,
    statusAway = 2,
    statusIdle = 3,
    statusOnThePhone = 4,
    statusNotAvailableForCalls = 5,
    statusDoNotDisturb = 6,
    statusOffline = 7,
    statusNone = 8,
};

// State of an account (OVAccount status).
enum class OVAccountStatus : int {
    statusEnabling = 0,
    statusEnabled = 1,
    statusDisabling = 2,
    statusDisabled = 3,
    statusFailed = 4,
    statusShutdown = 5,
};

// Signalling protocol of an account.
enum class OVAccountProtocol : int {
    SIPprotocol = 0,
    XMPPprotocol = 1,
};

// Why an account failed to enable.
enum class OVAccountFailureCause : int {
    failureNone = 0,
    failureInvalidSettings = 1,
    failureServerNotFound = 2,
    failureServerNotAvailable = 3,
    failureConnectionError = 4,
    failureAuthNotSupported = 5,
    failureTLSCert = 6,
    failureCredentials = 7,
    failureResourceConflict = 8,
    failureUnknownError = 9,
};

// How an address is used: a call, an instant message or a mobile text message.
enum class OVCommunicationType : int {
    commTypeCall = 0,
    commTypeIM = 1,
    commTypeSMS = 2,
};

// The address type numbers of call information and space items.
enum class OVAddressType : int {
    softphone = 0,
    jid = 1,
    home = 2,
    work = 3,
    mobile = 4,
    fax = 5,
    email = 6,
    web = 7,
    other = 8,
};

// Names of the contact fields that hold addresses, as a contact's field `name` gives them.
namespace OVFieldNames {
inline constexpr std::string_view fieldSoftphone = "softphone";
inline constexpr std::string_view fieldJidAddr = "jid";
inline constexpr std::string_view fieldHomeNum = "home";
inline constexpr std::string_view fieldWorkNum = "work";
inline constexpr std::string_view fieldMobileNum = "mobile";
inline constexpr std::string_view fieldEmailAddr = "email";
inline constexpr std::string_view fieldFaxNum = "fax";
inline constexpr std::string_view fieldPagerNum = "pager";
inline constexpr std::string_view fieldWebAddr = "web";
inline constexpr std::string_view fieldOtherAddr = "other";
} // namespace OVFieldNames

// The kind of address a contact field of that name holds; "other" for names of no address.
inline OVAddressType addressTypeOfFieldName(std::string_view field) {
    using namespace OVFieldNames;
    if (field == fieldJidAddr)
        return OVAddressType::jid;
    if (field == fieldHomeNum)
        return OVAddressType::home;
    if (field == fieldWorkNum)
        return OVAddressType::work;
    if (field == fieldMobileNum)
        return OVAddressType::mobile;
    if (field == fieldFaxNum)
        return OVAddressType::fax;
    if (field == fieldEmailAddr)
        return OVAddressType::email;
    if (field == fieldWebAddr)
        return OVAddressType::web;
    if (field == fieldSoftphone)
        return OVAddressType::softphone;
    return OVAddressType::other;
}
