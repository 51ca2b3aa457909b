#include "support/ValueTransformers.h"

#include "engine/CallHistoryItem.h"
#include "engine/OVConstants.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/graphics/Image.h"
#include "support/DateFormatting.h"
#include "support/Localization.h"
#include "support/PresenceMessageTranslator.h"

#include <array>
#include <cctype>
#include <charconv>
#include <limits>

using platform::Value;

namespace {

Value text(std::string_view key, std::string_view defaultText) {
    return Value(QXLS(key, defaultText));
}

Value image(std::string_view name) {
    return platform::valueWithImage(platform::Image::imageNamed(name));
}

std::string amSymbol() {
    return QXLS("msg.timestamp.am", "AM");
}

std::string pmSymbol() {
    return QXLS("msg.timestamp.pm", "PM");
}

std::shared_ptr<PhoneService> phoneService() {
    return StartupService::instance().phoneService();
}

// The engine's phone status number; 0 when the engine has none.
int phoneStatusValue() {
    const auto phone = phoneService();
    const auto statusService = phone ? phone->getPhoneStatusService() : nullptr;
    const auto status = statusService ? statusService->status() : nullptr;
    return status ? status->value() : 0;
}

bool hostedServiceConnected() {
    const auto phone = phoneService();
    const auto connect = phone ? phone->getConnectService() : nullptr;
    return connect && connect->isConnected();
}

struct FieldLabel {
    std::string_view field;
    std::string_view key;
    std::string_view defaultText;
};

constexpr std::array<FieldLabel, 10> kFieldLabels = {{
    {OVFieldNames::fieldSoftphone, "msg.contact.address_type.uri", "Softphone"},
    {OVFieldNames::fieldJidAddr, "msg.contact.address_type.jid", "Instant Message"},
    {OVFieldNames::fieldHomeNum, "msg.contact.address_type.home", "Home"},
    {OVFieldNames::fieldWorkNum, "msg.contact.address_type.business", "Work"},
    {OVFieldNames::fieldMobileNum, "msg.contact.address_type.mobile", "Mobile"},
    {OVFieldNames::fieldEmailAddr, "msg.contact.address_type.email", "Email"},
    {OVFieldNames::fieldFaxNum, "msg.contact.address_type.fax", "Fax"},
    {OVFieldNames::fieldPagerNum, "msg.contact.address_type.pager", "Pager"},
    {OVFieldNames::fieldWebAddr, "msg.contact.address_type.web", "Web"},
    {OVFieldNames::fieldOtherAddr, "msg.contact.address_type.other", "Other"},
}};

Value fieldLabel(std::string_view field) {
    for (const auto& label : kFieldLabels) {
        if (label.field == field) {
            return text(label.key, label.defaultText);
        }
    }
    return {};
}

Value fieldImage(std::string_view field) {
    struct FieldImage {
        std::string_view field;
        std::string_view image;
    };
    // A pager has no icon of its own.
    static constexpr std::array<FieldImage, 9> images = {{
        {OVFieldNames::fieldSoftphone, "softphone"},
        {OVFieldNames::fieldJidAddr, "chat"},
        {OVFieldNames::fieldHomeNum, "home"},
        {OVFieldNames::fieldWorkNum, "work"},
        {OVFieldNames::fieldMobileNum, "mobile"},
        {OVFieldNames::fieldEmailAddr, "email"},
        {OVFieldNames::fieldFaxNum, "work"},
        {OVFieldNames::fieldWebAddr, "web"},
        {OVFieldNames::fieldOtherAddr, "other"},
    }};
    for (const auto& entry : images) {
        if (entry.field == field) {
            return image(entry.image);
        }
    }
    return {};
}

std::string_view stringOf(const Value& value) {
    const std::string* s = value.string();
    return s ? std::string_view(*s) : std::string_view();
}

const FieldTypePair* fieldTypePair(const Value& value) {
    return dynamic_cast<const FieldTypePair*>(value.object().get());
}

bool isCommunication(const FieldTypePair& pair, OVCommunicationType type) {
    return pair.communicationType() == static_cast<int>(type);
}

struct StorageMethod {
    std::string_view method;
    std::string_view key;
    std::string_view defaultText;
};

constexpr std::array<StorageMethod, 5> kStorageMethods = {{
    {"local", "msg.storagemethod.local", "Local"},
    {"webdav", "msg.storagemethod.webdav", "WebDAV"},
    {"xcap", "msg.storagemethod.xcap", "XCAP"},
    {"custom_mac", "msg.storagemethod.custom_mac", "Mac Address Book"},
    {"custom_sdk", "msg.storagemethod.custom_sdk", "Custom"},
}};

// The text as a 64-bit integer, read as the original's scanner did: blanks, a sign, digits;
// too large a number stops at the type's limit. nullopt when no digit comes first.
std::optional<std::int64_t> scanLongLong(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    std::size_t end = at;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) {
        ++end;
    }
    if (end == at) {
        return std::nullopt;
    }
    const std::string digits = (negative ? "-" : "") + std::string(text.substr(at, end - at));
    std::int64_t result = 0;
    const auto [ptr, error] = std::from_chars(digits.data(), digits.data() + digits.size(), result);
    if (error == std::errc::result_out_of_range) {
        return negative ? std::numeric_limits<std::int64_t>::min()
                        : std::numeric_limits<std::int64_t>::max();
    }
    return result;
}

std::string clockText(std::string_view format, std::int64_t seconds) {
    return platform::formatString(format, seconds / 3600, (seconds / 60) % 60, seconds % 60);
}

} // namespace

std::string PresenceStatusIconNameTransformer::iconNameForStatus(const Value& value) {
    if (!value.isNumber()) {
        return "StatusIconNone";
    }
    switch (static_cast<OVPresenceStatus>(value.intValue())) {
    case OVPresenceStatus::statusAvailable:
        return "StatusIconAvailable";
    case OVPresenceStatus::statusBusy:
        return "StatusIconBusy";
    case OVPresenceStatus::statusAway:
        return "StatusIconAway";
    case OVPresenceStatus::statusOnThePhone:
        return "StatusIconOnThePhone";
    case OVPresenceStatus::statusNotAvailableForCalls:
    case OVPresenceStatus::statusDoNotDisturb:
        return "StatusIconDND";
    case OVPresenceStatus::statusOffline:
        return "StatusIconOffline";
    case OVPresenceStatus::statusNone:
        return "StatusIconNone";
    case OVPresenceStatus::statusIdle:
        return "StatusIconAway";
    }
    return "StatusIconNone";
}

Value PresenceStatusIconNameTransformer::transformedValue(const Value& value) const {
    return Value(iconNameForStatus(value));
}

PresenceStatusIconTransformer::PresenceStatusIconTransformer(Value brandDictionary)
    : PresenceStatusIconTransformer(std::move(brandDictionary), "main", 1) {}

PresenceStatusIconTransformer::PresenceStatusIconTransformer(Value brandDictionary,
                                                             std::string_view iconSetKey,
                                                             int smallestSetFallback)
    : brandDictionary_(std::move(brandDictionary)), iconSetKey_(iconSetKey),
      smallestSetFallback_(smallestSetFallback) {}

Value PresenceStatusIconTransformer::transformedValue(const Value& value) const {
    int iconSet = brandDictionary_["PresenceIconSet"][iconSetKey_].intValue();
    if (iconSet < 1) {
        iconSet = smallestSetFallback_;
    }
    return image(platform::formatString(
        "%@_%i", PresenceStatusIconNameTransformer::iconNameForStatus(value), iconSet));
}

PresenceStatusDockIconTransformer::PresenceStatusDockIconTransformer(Value brandDictionary)
    : PresenceStatusIconTransformer(std::move(brandDictionary), "dock", 3) {}

Value PresenceStatusMessageTransformer::transformedValue(const Value& value) const {
    if (value.isNull()) {
        return Value("");
    }
    switch (value.intValue()) {
    case 0:
        return text("msg.presence.status.available", "Available");
    case 1:
        return text("msg.presence.status.busy", "Busy");
    case 2:
        return text("msg.presence.status.away", "Away");
    case 4:
        return text("msg.presence.status.on_the_phone", "On the phone");
    case 5:
        return text("msg.presence.status.NotAvailableForCalls", "Not available for calls");
    case 6:
        return text("msg.presence.status.dnd", "Do not disturb");
    case 7:
    case 8:
        return text("msg.presence.status.offline", "Offline");
    default:
        return {};
    }
}

Value DefaultPresenceMessageStringTransformer::transformedValue(const Value& value) const {
    if (!value.isString()) {
        return {};
    }
    return Value(translatePresenceMessage(*value.string()));
}

Value DefaultPresenceMessageStringTransformer::reverseTransformedValue(const Value& value) const {
    if (!value.isString()) {
        return {};
    }
    return Value(translatePresenceMessageReverse(*value.string()));
}

Value PresenceMessageStringTransformer::transformedValue(const Value& value) const {
    if (value.isString() && value.string()->empty()) {
        return personalAddressBookEnabled() ? text("msg.presence.status.connected", "Connected")
                                            : text("msg.presence.status.available", "Available");
    }
    return DefaultPresenceMessageStringTransformer::transformedValue(value);
}

Value PresenceMessageHiddenTransformer::transformedValue(const Value& value) const {
    return Value(value.intValue() == 8);
}

Value NumberTypeStringTransformer::transformedValue(const Value& value) const {
    return value.isString() ? fieldLabel(*value.string()) : Value();
}

Value NumberTypeImageTransformer::transformedValue(const Value& value) const {
    return value.isString() ? fieldImage(*value.string()) : Value();
}

Value ContactAddressImageTransformer::transformedValue(const Value& value) const {
    static constexpr std::array<std::string_view, 8> images = {"softphone", "chat", "home",  "work",
                                                               "mobile",    "work", "email", "web"};
    const int type = value.intValue();
    if (type >= 0 && type < static_cast<int>(images.size())) {
        return image(images[static_cast<std::size_t>(type)]);
    }
    return image("other");
}

Value ContactAddressStringTransformer::transformedValue(const Value& value) const {
    static constexpr std::array<std::string_view, 8> fields = {
        OVFieldNames::fieldSoftphone, OVFieldNames::fieldJidAddr,   OVFieldNames::fieldHomeNum,
        OVFieldNames::fieldWorkNum,   OVFieldNames::fieldMobileNum, OVFieldNames::fieldFaxNum,
        OVFieldNames::fieldEmailAddr, OVFieldNames::fieldWebAddr};
    const int type = value.intValue();
    if (type >= 0 && type < static_cast<int>(fields.size())) {
        return fieldLabel(fields[static_cast<std::size_t>(type)]);
    }
    return fieldLabel(OVFieldNames::fieldOtherAddr);
}

Value FieldTypePairStringTransformer::transformedValue(const Value& value) const {
    const FieldTypePair* pair = fieldTypePair(value);
    if (!pair) {
        return {};
    }
    const std::string field = pair->addressType();
    if (field == OVFieldNames::fieldMobileNum &&
        isCommunication(*pair, OVCommunicationType::commTypeSMS)) {
        return text("msg.contact.address_type.mobile_sms", "Mobile Text Message");
    }
    if (field == OVFieldNames::fieldSoftphone &&
        isCommunication(*pair, OVCommunicationType::commTypeIM)) {
        return text("msg.contact.address_type.uri_im", "Instant Message");
    }
    return fieldLabel(field);
}

Value FieldTypePairImageTransformer::transformedValue(const Value& value) const {
    const FieldTypePair* pair = fieldTypePair(value);
    if (!pair) {
        return {};
    }
    const std::string field = pair->addressType();
    if (field == OVFieldNames::fieldMobileNum &&
        isCommunication(*pair, OVCommunicationType::commTypeSMS)) {
        return image("mobile");
    }
    if (field == OVFieldNames::fieldSoftphone &&
        isCommunication(*pair, OVCommunicationType::commTypeIM)) {
        return image("chat");
    }
    return fieldImage(field);
}

Value DateStringTransformer::transformedValue(const Value& value) const {
    const platform::Date* date = value.date();
    if (!date) {
        return {};
    }
    // Days are compared as calendar days of the local time zone, and yesterday is the
    // calendar day before today: a fixed 24 hours back lands on the wrong day across a
    // daylight-saving change.
    const CalendarDay day = localCalendarDay(*date);
    const CalendarDay today = localCalendarDay(currentDate());
    const std::string am = amSymbol();
    const std::string pm = pmSymbol();
    const auto time = [&] {
        return stringFromDate(*date, DateFormatterStyle::None, DateFormatterStyle::Short, am, pm);
    };
    if (day == today) {
        return Value(
            platform::formatString(QXLS("msg.dateString.label.today", "Today %@"), time()));
    }
    if (day == previousCalendarDay(today)) {
        return Value(
            platform::formatString(QXLS("msg.dateString.label.yesterday", "Yesterday %@"), time()));
    }
    return Value(
        stringFromDate(*date, DateFormatterStyle::Medium, DateFormatterStyle::Short, am, pm));
}

Value EnabledOnPhoneStatusTransformer::transformedValue(const Value& value) const {
    const int status = value.intValue();
    if (status == 2 || status == 3 || status == 4) {
        return Value(true);
    }
    return Value(hostedServiceConnected());
}

Value EnabledPresenceStatusTransformer::transformedValue(const Value& value) const {
    const int status = value.intValue();
    return Value(status == 2 || status == 4 || status == 7);
}

Value VoiceMailCountTransformer::transformedValue(const Value& value) const {
    if (value.isNull()) {
        return Value(true);
    }
    return Value(!(value.integerValue() > 0));
}

Value HiddenOnNullTransformer::transformedValue(const Value& value) const {
    return Value(value.isNull());
}

Value HiddenOnNotNullTransformer::transformedValue(const Value& value) const {
    return Value(!value.isNull());
}

Value HiddenOnEmptyTransformer::transformedValue(const Value& value) const {
    switch (value.type()) {
    case Value::Type::Null:
        return Value(true);
    case Value::Type::String:
        return Value(value.string()->empty());
    case Value::Type::Array:
    case Value::Type::Dictionary:
        return Value(value.count() == 0);
    case Value::Type::Data:
        return Value(value.data()->empty());
    default:
        return Value(false);
    }
}

Value HiddenOnReverseBoolTransformer::transformedValue(const Value& value) const {
    return Value(!value.boolValue());
}

Value ReverseBoolTransformer::transformedValue(const Value& value) const {
    return Value(!value.boolValue());
}

Value MicMuteTransformer::transformedValue(const Value& value) const {
    return Value(value.boolValue() ? 1 : 0);
}

Value MicMuteTransformer::reverseTransformedValue(const Value& value) const {
    return transformedValue(value);
}

Value CallHistoryStatusIconTransformer::transformedValue(const Value& value) const {
    switch (value.intValue()) {
    case 0:
        return image("CallHistoryOutgoing");
    case 2:
        return image("CallHistoryMissed");
    default:
        return image("CallHistoryIncoming");
    }
}

Value CallHistoryTypeTransformer::transformedValue(const Value& value) const {
    switch (value.intValue()) {
    case 0:
        return text("msg.calltype.outgoing", "Outgoing");
    case 1:
        return text("msg.calltype.incoming", "Incoming");
    case 2:
        return text("msg.calltype.missed", "Missed");
    default:
        return Value("");
    }
}

Value EmptyDeviceTransformer::transformedValue(const Value& value) const {
    const std::string name = value.stringValue();
    if (name.empty()) {
        return text("msg.devices.no_choice", "None");
    }
    return Value(name);
}

Value ArrayHasElements::transformedValue(const Value& value) const {
    if (!value.isArray()) {
        return Value(true);
    }
    return Value(value.count() >= 2);
}

Value ArrayHasAtMostFiveElements::transformedValue(const Value& value) const {
    if (!value.isArray()) {
        return Value(true);
    }
    return Value(value.count() <= 5);
}

Value DateTransformer::transformedValue(const Value& value) const {
    const platform::Date* date = value.date();
    if (!date) {
        return Value("");
    }
    return Value(stringFromDate(*date, DateFormatterStyle::Medium, DateFormatterStyle::Medium,
                                amSymbol(), pmSymbol()));
}

Value TimeTransformer::transformedValue(const Value& value) const {
    if (!value.isNumber()) {
        return Value("");
    }
    return Value(clockText("%02lld:%02lld:%02lld", value.integerValue()));
}

Value MillisecondToSecondTransformer::transformedValue(const Value& value) const {
    return Value(value.integerValue() / 1000);
}

Value MillisecondToSecondTransformer::reverseTransformedValue(const Value& value) const {
    return Value(value.integerValue() * 1000);
}

std::shared_ptr<ListTransformer>
ListTransformer::createListTransformerWithName(std::string_view name, Value::Array objects) {
    auto transformer = std::make_shared<ListTransformer>();
    transformer->setList(std::move(objects));
    platform::ValueTransformer::setValueTransformer(transformer, name);
    return transformer;
}

Value ListTransformer::transformedValue(const Value& value) const {
    if (value.isNull()) {
        return {};
    }
    for (std::size_t index = 0; index < list_.size(); ++index) {
        if (list_[index] == value) {
            return Value(static_cast<unsigned long long>(index));
        }
    }
    return {};
}

Value ListTransformer::reverseTransformedValue(const Value& value) const {
    if (value.isNull()) {
        return {};
    }
    // Read as unsigned, as the original did: a negative index is far beyond the list.
    const auto index = static_cast<std::uint64_t>(value.integerValue());
    if (index >= list_.size()) {
        return {};
    }
    return list_[static_cast<std::size_t>(index)];
}

Value StorageMethodTransformer::transformedValue(const Value& value) const {
    const std::string_view method = stringOf(value);
    for (const auto& entry : kStorageMethods) {
        if (value.isString() && entry.method == method) {
            return text(entry.key, entry.defaultText);
        }
    }
    return text("msg.storagemethod.unknown", "Unknown");
}

Value StorageMethodTransformer::reverseTransformedValue(const Value& value) const {
    if (value.isString()) {
        const std::string_view label = *value.string();
        for (const auto& entry : kStorageMethods) {
            if (label == entry.defaultText || label == QXLS(entry.key, entry.defaultText)) {
                return Value(entry.method);
            }
        }
    }
    return Value("Unknown");
}

Value SettingLongValueTransformer::reverseTransformedValue(const Value& value) const {
    if (value.isNumber()) {
        return Value(value.integerValue());
    }
    if (!value.isString()) {
        return Value(-1);
    }
    return Value(scanLongLong(*value.string()).value_or(-1));
}

Value FileSizeTransformer::transformedValue(const Value& value) const {
    // 64-bit throughout: files of several gigabytes are common.
    const std::int64_t bytes = value.integerValue();
    if (bytes <= 1000) {
        return Value(platform::formatString("%lld Bytes", bytes));
    }
    if (bytes <= 1000000) {
        return Value(platform::formatString("%lld KB", bytes / 1000));
    }
    return Value(platform::formatString("%lld MB", bytes / 1000000));
}

Value ChoiceToRadioButtonTransformer::transformedValue(const Value& value) const {
    const std::int64_t number = value.integerValue();
    if (number >= 1901) {
        return Value(number == static_cast<std::int64_t>(choice_) ? 1 : 0);
    }
    return Value(number == 1 ? choice_ : 0U);
}

Value AccountInfoStatusTransformer::transformedValue(const Value& value) const {
    if (value.isNull()) {
        return Value("");
    }
    if (!value.isNumber()) {
        return Value("Unknown");
    }
    switch (static_cast<OVAccountStatus>(value.intValue())) {
    case OVAccountStatus::statusEnabling:
        return Value("Enabling");
    case OVAccountStatus::statusEnabled:
        return Value("Enabled");
    case OVAccountStatus::statusDisabling:
        return Value("Disabling");
    case OVAccountStatus::statusDisabled:
        return Value("Disabled");
    case OVAccountStatus::statusFailed:
        return Value("Failed");
    case OVAccountStatus::statusShutdown:
        return Value("Shutdown");
    }
    return Value("Unknown");
}

Value AccountFailureCauseTransformer::transformedValue(const Value& value) const {
    if (phoneStatusValue() == 8) {
        return text("msg.phone.status.networkdown", "Network Down.");
    }
    if (!value.isNumber()) {
        return text("msg.storagemethod.unknown", "Unknown");
    }
    switch (static_cast<OVAccountFailureCause>(value.intValue())) {
    case OVAccountFailureCause::failureNone:
        return Value("");
    case OVAccountFailureCause::failureInvalidSettings:
        return text("msg.accountfailurecause.invalid", "Invalid settings");
    case OVAccountFailureCause::failureServerNotFound:
        return text("msg.accountfailurecause.servernotfound", "Server not found");
    case OVAccountFailureCause::failureServerNotAvailable:
        return text("msg.accountfailurecause.servernotavailable", "Server not available");
    case OVAccountFailureCause::failureConnectionError:
        return text("msg.accountfailurecause.connectionerror", "Connection error");
    case OVAccountFailureCause::failureAuthNotSupported:
        return text("msg.accountfailurecause.authnotsup", "Authorization not supported");
    case OVAccountFailureCause::failureTLSCert:
        return text("msg.accountfailurecause.tlscert", "TLS cert failed");
    case OVAccountFailureCause::failureCredentials:
        return text("msg.accountfailurecause.credentials", "Credential errors");
    case OVAccountFailureCause::failureResourceConflict:
        return text("msg.accountfailurecause.resourceerror", "Resource conflict error");
    case OVAccountFailureCause::failureUnknownError:
        return text("msg.accountfailurecause.problemserver", "Problem at Server");
    }
    return text("msg.storagemethod.unknown", "Unknown");
}

Value AccountProtocolTransformer::transformedValue(const Value& value) const {
    if (value.isNumber()) {
        switch (static_cast<OVAccountProtocol>(value.intValue())) {
        case OVAccountProtocol::SIPprotocol:
            return Value("SIP");
        case OVAccountProtocol::XMPPprotocol:
            return Value("XMPP");
        }
    }
    return Value("Unknown");
}

Value NetworkBandwidthTransformer::transformedValue(const Value& value) const {
    return Value(value.integerValue());
}

Value ConnectionTypeIsCustomTransformer::transformedValue(const Value& value) const {
    if (!value.isNumber()) {
        return {};
    }
    return Value(value.intValue() == 4);
}

Value ArchiveItemTypeTransformer::transformedValue(const Value& value) const {
    if (!value.isNumber()) {
        return {};
    }
    switch (value.intValue()) {
    case 0:
        return text("msg.imarchive.column.itemtype.call", "Call");
    case 1:
        return text("msg.imarchive.column.itemtype.im", "Instant Message");
    case 2:
        return text("msg.imarchive.column.itemtype.groupchat", "Group Chat");
    case 3:
        return text("msg.imarchive.column.itemtype.sms", "Mobile Text Message");
    default:
        return {};
    }
}

Value HistoryNameDisplayTransformer::transformedValue(const Value& value) const {
    const auto* item = dynamic_cast<const CallHistoryItem*>(value.object().get());
    if (!item) {
        return {};
    }
    if (item->isBlocked()) {
        return Value(platform::formatString("%@ (%@)", item->display(),
                                            QXLS("msg.contact.blocked", "Blocked")));
    }
    return Value(item->display());
}

Value CallTimerTransformer::transformedValue(const Value& value) const {
    const std::int64_t seconds = value.integerValue();
    if (seconds <= 0) {
        return Value("");
    }
    return Value(clockText("%0.2lld:%0.2lld:%0.2lld", seconds));
}

void registerValueTransformers(const Value& brandDictionary) {
    using platform::ValueTransformer;
    const auto add = [](std::shared_ptr<ValueTransformer> transformer, std::string_view name) {
        ValueTransformer::setValueTransformer(std::move(transformer), name);
    };
    add(std::make_shared<PresenceStatusIconNameTransformer>(), "PresenceStatusIconNameTransformer");
    add(std::make_shared<PresenceStatusIconTransformer>(brandDictionary),
        "PresenceStatusIconTransformer");
    add(std::make_shared<PresenceStatusDockIconTransformer>(brandDictionary),
        "PresenceStatusDockIconTransformer");
    add(std::make_shared<PresenceStatusMessageTransformer>(), "PresenceStatusMessageTransformer");
    add(std::make_shared<DefaultPresenceMessageStringTransformer>(),
        "DefaultPresenceMessageStringTransformer");
    add(std::make_shared<PresenceMessageStringTransformer>(), "PresenceMessageStringTransformer");
    add(std::make_shared<PresenceMessageHiddenTransformer>(), "PresenceMessageHiddenTransformer");
    add(std::make_shared<NumberTypeStringTransformer>(), "NumberTypeStringTransformer");
    add(std::make_shared<NumberTypeImageTransformer>(), "NumberTypeImageTransformer");
    add(std::make_shared<ContactAddressImageTransformer>(), "ContactAddressImageTransformer");
    add(std::make_shared<ContactAddressStringTransformer>(), "ContactAddressStringTransformer");
    add(std::make_shared<FieldTypePairStringTransformer>(), "FieldTypePairStringTransformer");
    add(std::make_shared<FieldTypePairImageTransformer>(), "FieldTypePairImageTransformer");
    add(std::make_shared<DateStringTransformer>(), "DateStringTransformer");
    add(std::make_shared<EnabledOnPhoneStatusTransformer>(), "EnabledOnPhoneStatusTransformer");
    add(std::make_shared<EnabledPresenceStatusTransformer>(), "EnabledPresenceStatusTransformer");
    add(std::make_shared<VoiceMailCountTransformer>(), "VoiceMailCountTransformer");
    add(std::make_shared<HiddenOnNullTransformer>(), "HiddenOnNullTransformer");
    add(std::make_shared<HiddenOnNotNullTransformer>(), "HiddenOnNotNullTransformer");
    add(std::make_shared<HiddenOnEmptyTransformer>(), "HiddenOnEmptyTransformer");
    add(std::make_shared<HiddenOnReverseBoolTransformer>(), "HiddenOnReverseBoolTransformer");
    add(std::make_shared<ReverseBoolTransformer>(), "ReverseBoolTransformer");
    add(std::make_shared<MicMuteTransformer>(), "MicMuteTransformer");
    add(std::make_shared<CallHistoryStatusIconTransformer>(), "CallHistoryStatusIconTransformer");
    add(std::make_shared<CallHistoryTypeTransformer>(), "CallHistoryTypeTransformer");
    add(std::make_shared<EmptyDeviceTransformer>(), "EmptyDeviceTransformer");
    add(std::make_shared<ArrayHasElements>(), "ArrayHasElements");
    add(std::make_shared<ArrayHasAtMostFiveElements>(), "ArrayHasAtMostFiveElements");
    add(std::make_shared<DateTransformer>(), "DateTransformer");
    add(std::make_shared<TimeTransformer>(), "TimeTransformer");
    add(std::make_shared<MillisecondToSecondTransformer>(), "MillisecondToSecondTransformer");
    add(std::make_shared<StorageMethodTransformer>(), "StorageMethodTransformer");
    add(std::make_shared<SettingLongValueTransformer>(), "SettingLongValueTransformer");
    add(std::make_shared<FileSizeTransformer>(), "FileSizeTransformer");
    add(std::make_shared<AccountInfoStatusTransformer>(), "AccountInfoStatusTransformer");
    add(std::make_shared<AccountFailureCauseTransformer>(), "AccountFailureCauseTransformer");
    add(std::make_shared<AccountProtocolTransformer>(), "AccountProtocolTransformer");
    add(std::make_shared<NetworkBandwidthTransformer>(), "NetworkBandwidthTransformer");
    add(std::make_shared<ConnectionTypeIsCustomTransformer>(), "ConnectionTypeIsCustomTransformer");
    add(std::make_shared<ArchiveItemTypeTransformer>(), "ArchiveItemTypeTransformer");
    add(std::make_shared<HistoryNameDisplayTransformer>(), "HistoryNameDisplayTransformer");
    add(std::make_shared<CallTimerTransformer>(), "CallTimerTransformer");
}
