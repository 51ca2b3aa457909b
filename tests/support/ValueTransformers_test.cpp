#include "engine/CallHistoryItem.h"
#include "engine/OVConstants.h"
#include "engine/StartupService.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/TestSupport.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"
#include "platform/kit/ValueTransformer.h"
#include "support/DateFormatting.h"
#include "support/Localization.h"
#include "support/PresenceMessageTranslator.h"
#include "support/ValueTransformers.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <set>
#include <variant>
#include <vector>

namespace {

using foundation_test::TempDir;
using foundation_test::writeFile;
using platform::Value;
using platform::ValueTransformer;

// A value as a failure message shows it: its text and its type.
std::string shown(const Value& value) {
    return value.description() + " <type " + std::to_string(static_cast<int>(value.type())) + ">";
}

// What a transformer should answer. A localised text is checked twice: with a Messages table
// that lacks its key (the default shows, framed) and with one that has it (the key's text).
struct Expect {
    enum class Kind { Null, Literal, Localized, Flag, Integer, ImageNamed };
    Kind kind = Kind::Null;
    std::string text; // literal text, image name, or key
    std::string defaultText;
    bool flag = false;
    std::int64_t integer = 0;
};

Expect null() {
    return {};
}
Expect literal(std::string text) {
    return {Expect::Kind::Literal, std::move(text), {}, false, 0};
}
Expect localized(std::string key, std::string defaultText) {
    return {Expect::Kind::Localized, std::move(key), std::move(defaultText), false, 0};
}
Expect flag(bool value) {
    return {Expect::Kind::Flag, {}, {}, value, 0};
}
Expect integer(std::int64_t value) {
    return {Expect::Kind::Integer, {}, {}, false, value};
}
Expect imageNamed(std::string name) {
    return {Expect::Kind::ImageNamed, std::move(name), {}, false, 0};
}

// The text a key has in the keyed table.
std::string keyedText(const std::string& key) {
    return "[" + key + "]";
}

::testing::AssertionResult matches(const Value& actual, const Expect& expect, bool keyed) {
    auto fail = [&](const std::string& wanted) {
        return ::testing::AssertionFailure()
               << "got " << actual.description() << " (type " << static_cast<int>(actual.type())
               << "), wanted " << wanted;
    };
    switch (expect.kind) {
    case Expect::Kind::Null:
        return actual.isNull() ? ::testing::AssertionSuccess() : fail("null");
    case Expect::Kind::Literal:
        return actual.isString() && *actual.string() == expect.text
                   ? ::testing::AssertionSuccess()
                   : fail("\"" + expect.text + "\"");
    case Expect::Kind::Localized: {
        const std::string wanted =
            keyed ? keyedText(expect.text) : "*|" + expect.defaultText + "|*";
        return actual.isString() && *actual.string() == wanted ? ::testing::AssertionSuccess()
                                                               : fail("\"" + wanted + "\"");
    }
    case Expect::Kind::Flag:
        return actual.type() == Value::Type::Bool && actual.boolValue() == expect.flag
                   ? ::testing::AssertionSuccess()
                   : fail(expect.flag ? "YES" : "NO");
    case Expect::Kind::Integer:
        return actual.type() == Value::Type::Integer && actual.integerValue() == expect.integer
                   ? ::testing::AssertionSuccess()
                   : fail(std::to_string(expect.integer));
    case Expect::Kind::ImageNamed: {
        const auto image = platform::imageFromValue(actual);
        return image && image->name() == expect.text ? ::testing::AssertionSuccess()
                                                     : fail("image " + expect.text);
    }
    }
    return fail("?");
}

// An address of a contact as the contact list hands it to the field-type-pair transformers.
class TestFieldTypePair : public FieldTypePair {
public:
    TestFieldTypePair(std::string field, OVCommunicationType type)
        : field_(std::move(field)), type_(type) {}
    std::string addressType() const override { return field_; }
    int communicationType() const override { return static_cast<int>(type_); }

private:
    std::string field_;
    OVCommunicationType type_;
};

Value pair(std::string_view field, OVCommunicationType type) {
    return Value(std::static_pointer_cast<platform::Object>(
        std::make_shared<TestFieldTypePair>(std::string(field), type)));
}

Value array(std::size_t count) {
    return Value(Value::Array(count, Value(1)));
}

struct Case {
    const char* transformer;
    Value input;
    Expect expect;
};

std::vector<Case> forwardCases() {
    using OVCommunicationType::commTypeCall;
    using OVCommunicationType::commTypeIM;
    using OVCommunicationType::commTypeSMS;
    return {
        // Presence icons by the engine's constants; idle looks away, unknown values none.
        {"PresenceStatusIconNameTransformer", Value(0), literal("StatusIconAvailable")},
        {"PresenceStatusIconNameTransformer", Value(1), literal("StatusIconBusy")},
        {"PresenceStatusIconNameTransformer", Value(2), literal("StatusIconAway")},
        {"PresenceStatusIconNameTransformer", Value(3), literal("StatusIconAway")},
        {"PresenceStatusIconNameTransformer", Value(4), literal("StatusIconOnThePhone")},
        {"PresenceStatusIconNameTransformer", Value(5), literal("StatusIconDND")},
        {"PresenceStatusIconNameTransformer", Value(6), literal("StatusIconDND")},
        {"PresenceStatusIconNameTransformer", Value(7), literal("StatusIconOffline")},
        {"PresenceStatusIconNameTransformer", Value(8), literal("StatusIconNone")},
        {"PresenceStatusIconNameTransformer", Value(9), literal("StatusIconNone")},
        {"PresenceStatusIconNameTransformer", Value(), literal("StatusIconNone")},

        {"PresenceStatusMessageTransformer", Value(), literal("")},
        {"PresenceStatusMessageTransformer", Value(0),
         localized("msg.presence.status.available", "Available")},
        {"PresenceStatusMessageTransformer", Value(1),
         localized("msg.presence.status.busy", "Busy")},
        {"PresenceStatusMessageTransformer", Value(2),
         localized("msg.presence.status.away", "Away")},
        {"PresenceStatusMessageTransformer", Value(3), null()},
        {"PresenceStatusMessageTransformer", Value(4),
         localized("msg.presence.status.on_the_phone", "On the phone")},
        {"PresenceStatusMessageTransformer", Value(5),
         localized("msg.presence.status.NotAvailableForCalls", "Not available for calls")},
        {"PresenceStatusMessageTransformer", Value(6),
         localized("msg.presence.status.dnd", "Do not disturb")},
        {"PresenceStatusMessageTransformer", Value(7),
         localized("msg.presence.status.offline", "Offline")},
        {"PresenceStatusMessageTransformer", Value(8),
         localized("msg.presence.status.offline", "Offline")},
        {"PresenceStatusMessageTransformer", Value(9), null()},
        {"PresenceStatusMessageTransformer", Value(-1), null()},

        {"PresenceMessageHiddenTransformer", Value(8), flag(true)},
        {"PresenceMessageHiddenTransformer", Value(7), flag(false)},
        {"PresenceMessageHiddenTransformer", Value(), flag(false)},

        {"NumberTypeStringTransformer", Value("softphone"),
         localized("msg.contact.address_type.uri", "Softphone")},
        {"NumberTypeStringTransformer", Value("jid"),
         localized("msg.contact.address_type.jid", "Instant Message")},
        {"NumberTypeStringTransformer", Value("home"),
         localized("msg.contact.address_type.home", "Home")},
        {"NumberTypeStringTransformer", Value("work"),
         localized("msg.contact.address_type.business", "Work")},
        {"NumberTypeStringTransformer", Value("mobile"),
         localized("msg.contact.address_type.mobile", "Mobile")},
        {"NumberTypeStringTransformer", Value("email"),
         localized("msg.contact.address_type.email", "Email")},
        {"NumberTypeStringTransformer", Value("fax"),
         localized("msg.contact.address_type.fax", "Fax")},
        {"NumberTypeStringTransformer", Value("pager"),
         localized("msg.contact.address_type.pager", "Pager")},
        {"NumberTypeStringTransformer", Value("web"),
         localized("msg.contact.address_type.web", "Web")},
        {"NumberTypeStringTransformer", Value("other"),
         localized("msg.contact.address_type.other", "Other")},
        {"NumberTypeStringTransformer", Value("Home"), null()},
        {"NumberTypeStringTransformer", Value(), null()},

        {"NumberTypeImageTransformer", Value("softphone"), imageNamed("softphone")},
        {"NumberTypeImageTransformer", Value("jid"), imageNamed("chat")},
        {"NumberTypeImageTransformer", Value("fax"), imageNamed("work")},
        {"NumberTypeImageTransformer", Value("other"), imageNamed("other")},
        {"NumberTypeImageTransformer", Value("pager"), null()},
        {"NumberTypeImageTransformer", Value("telex"), null()},

        {"ContactAddressImageTransformer", Value(0), imageNamed("softphone")},
        {"ContactAddressImageTransformer", Value(1), imageNamed("chat")},
        {"ContactAddressImageTransformer", Value(5), imageNamed("work")},
        {"ContactAddressImageTransformer", Value(6), imageNamed("email")},
        {"ContactAddressImageTransformer", Value(7), imageNamed("web")},
        {"ContactAddressImageTransformer", Value(8), imageNamed("other")},
        {"ContactAddressImageTransformer", Value(42), imageNamed("other")},

        {"ContactAddressStringTransformer", Value(0),
         localized("msg.contact.address_type.uri", "Softphone")},
        {"ContactAddressStringTransformer", Value(3),
         localized("msg.contact.address_type.business", "Work")},
        {"ContactAddressStringTransformer", Value(5),
         localized("msg.contact.address_type.fax", "Fax")},
        {"ContactAddressStringTransformer", Value(6),
         localized("msg.contact.address_type.email", "Email")},
        {"ContactAddressStringTransformer", Value(7),
         localized("msg.contact.address_type.web", "Web")},
        {"ContactAddressStringTransformer", Value(8),
         localized("msg.contact.address_type.other", "Other")},
        {"ContactAddressStringTransformer", Value(-3),
         localized("msg.contact.address_type.other", "Other")},

        // Mobile with text messages and softphone with instant messages have their own
        // labels and icons; other combinations fall back to the field's.
        {"FieldTypePairStringTransformer", pair("mobile", commTypeSMS),
         localized("msg.contact.address_type.mobile_sms", "Mobile Text Message")},
        {"FieldTypePairStringTransformer", pair("mobile", commTypeCall),
         localized("msg.contact.address_type.mobile", "Mobile")},
        {"FieldTypePairStringTransformer", pair("softphone", commTypeIM),
         localized("msg.contact.address_type.uri_im", "Instant Message")},
        {"FieldTypePairStringTransformer", pair("softphone", commTypeSMS),
         localized("msg.contact.address_type.uri", "Softphone")},
        {"FieldTypePairStringTransformer", pair("home", commTypeSMS),
         localized("msg.contact.address_type.home", "Home")},
        {"FieldTypePairStringTransformer", Value("mobile"), null()},
        {"FieldTypePairImageTransformer", pair("mobile", commTypeSMS), imageNamed("mobile")},
        {"FieldTypePairImageTransformer", pair("softphone", commTypeIM), imageNamed("chat")},
        {"FieldTypePairImageTransformer", pair("softphone", commTypeCall), imageNamed("softphone")},
        {"FieldTypePairImageTransformer", pair("pager", commTypeCall), null()},

        {"EnabledPresenceStatusTransformer", Value(2), flag(true)},
        {"EnabledPresenceStatusTransformer", Value(4), flag(true)},
        {"EnabledPresenceStatusTransformer", Value(7), flag(true)},
        {"EnabledPresenceStatusTransformer", Value(3), flag(false)},
        {"EnabledPresenceStatusTransformer", Value(8), flag(false)},
        {"EnabledPresenceStatusTransformer", Value(0), flag(false)},

        {"VoiceMailCountTransformer", Value(), flag(true)},
        {"VoiceMailCountTransformer", Value(3), flag(false)},
        {"VoiceMailCountTransformer", Value(0), flag(true)},
        {"VoiceMailCountTransformer", Value(-2), flag(true)},

        {"HiddenOnNullTransformer", Value(), flag(true)},
        {"HiddenOnNullTransformer", Value(0), flag(false)},
        {"HiddenOnNotNullTransformer", Value(), flag(false)},
        {"HiddenOnNotNullTransformer", Value(""), flag(true)},
        {"HiddenOnEmptyTransformer", Value(), flag(true)},
        {"HiddenOnEmptyTransformer", Value(""), flag(true)},
        {"HiddenOnEmptyTransformer", Value("x"), flag(false)},
        {"HiddenOnReverseBoolTransformer", Value(true), flag(false)},
        {"HiddenOnReverseBoolTransformer", Value(), flag(true)},
        {"ReverseBoolTransformer", Value(false), flag(true)},
        {"ReverseBoolTransformer", Value(1), flag(false)},

        {"CallHistoryStatusIconTransformer", Value(0), imageNamed("CallHistoryOutgoing")},
        {"CallHistoryStatusIconTransformer", Value(1), imageNamed("CallHistoryIncoming")},
        {"CallHistoryStatusIconTransformer", Value(2), imageNamed("CallHistoryMissed")},
        {"CallHistoryStatusIconTransformer", Value(7), imageNamed("CallHistoryIncoming")},
        {"CallHistoryTypeTransformer", Value(0), localized("msg.calltype.outgoing", "Outgoing")},
        {"CallHistoryTypeTransformer", Value(1), localized("msg.calltype.incoming", "Incoming")},
        {"CallHistoryTypeTransformer", Value(2), localized("msg.calltype.missed", "Missed")},
        {"CallHistoryTypeTransformer", Value(3), literal("")},

        {"EmptyDeviceTransformer", Value("USB Headset"), literal("USB Headset")},
        {"EmptyDeviceTransformer", Value(""), localized("msg.devices.no_choice", "None")},
        {"EmptyDeviceTransformer", Value(), localized("msg.devices.no_choice", "None")},

        {"ArrayHasElements", array(0), flag(false)},
        {"ArrayHasElements", array(1), flag(false)},
        {"ArrayHasElements", array(2), flag(true)},
        {"ArrayHasElements", Value("two"), flag(true)},
        {"ArrayHasElements", Value(), flag(true)},
        {"ArrayHasAtMostFiveElements", array(5), flag(true)},
        {"ArrayHasAtMostFiveElements", array(6), flag(false)},
        {"ArrayHasAtMostFiveElements", Value(9), flag(true)},

        {"TimeTransformer", Value(3725), literal("01:02:05")},
        {"TimeTransformer", Value(59.9), literal("00:00:59")},
        {"TimeTransformer", Value(0), literal("00:00:00")},
        {"TimeTransformer", Value(360000), literal("100:00:00")},
        {"TimeTransformer", Value("3725"), literal("")},
        {"TimeTransformer", Value(), literal("")},

        {"CallTimerTransformer", Value(3725), literal("01:02:05")},
        {"CallTimerTransformer", Value(1), literal("00:00:01")},
        {"CallTimerTransformer", Value(0), literal("")},
        {"CallTimerTransformer", Value(-4), literal("")},

        {"MillisecondToSecondTransformer", Value(1999), integer(1)},
        {"MillisecondToSecondTransformer", Value(-1999), integer(-1)},
        {"MillisecondToSecondTransformer", Value(5000000000000LL), integer(5000000000LL)},

        {"StorageMethodTransformer", Value("local"), localized("msg.storagemethod.local", "Local")},
        {"StorageMethodTransformer", Value("webdav"),
         localized("msg.storagemethod.webdav", "WebDAV")},
        {"StorageMethodTransformer", Value("xcap"), localized("msg.storagemethod.xcap", "XCAP")},
        {"StorageMethodTransformer", Value("custom_mac"),
         localized("msg.storagemethod.custom_mac", "Mac Address Book")},
        {"StorageMethodTransformer", Value("custom_sdk"),
         localized("msg.storagemethod.custom_sdk", "Custom")},
        {"StorageMethodTransformer", Value("Local"),
         localized("msg.storagemethod.unknown", "Unknown")},
        {"StorageMethodTransformer", Value(), localized("msg.storagemethod.unknown", "Unknown")},

        // Decimal units, truncated; sizes beyond 32 bits stay right.
        {"FileSizeTransformer", Value(0), literal("0 Bytes")},
        {"FileSizeTransformer", Value(1000), literal("1000 Bytes")},
        {"FileSizeTransformer", Value(1001), literal("1 KB")},
        {"FileSizeTransformer", Value(1000000), literal("1000 KB")},
        {"FileSizeTransformer", Value(1500000), literal("1 MB")},
        {"FileSizeTransformer", Value(5000000000LL), literal("5000 MB")},

        {"AccountInfoStatusTransformer", Value(), literal("")},
        {"AccountInfoStatusTransformer", Value(0), literal("Enabling")},
        {"AccountInfoStatusTransformer", Value(1), literal("Enabled")},
        {"AccountInfoStatusTransformer", Value(2), literal("Disabling")},
        {"AccountInfoStatusTransformer", Value(3), literal("Disabled")},
        {"AccountInfoStatusTransformer", Value(4), literal("Failed")},
        {"AccountInfoStatusTransformer", Value(5), literal("Shutdown")},
        {"AccountInfoStatusTransformer", Value(6), literal("Unknown")},

        {"AccountFailureCauseTransformer", Value(0), literal("")},
        {"AccountFailureCauseTransformer", Value(1),
         localized("msg.accountfailurecause.invalid", "Invalid settings")},
        {"AccountFailureCauseTransformer", Value(2),
         localized("msg.accountfailurecause.servernotfound", "Server not found")},
        {"AccountFailureCauseTransformer", Value(3),
         localized("msg.accountfailurecause.servernotavailable", "Server not available")},
        {"AccountFailureCauseTransformer", Value(4),
         localized("msg.accountfailurecause.connectionerror", "Connection error")},
        {"AccountFailureCauseTransformer", Value(5),
         localized("msg.accountfailurecause.authnotsup", "Authorization not supported")},
        {"AccountFailureCauseTransformer", Value(6),
         localized("msg.accountfailurecause.tlscert", "TLS cert failed")},
        {"AccountFailureCauseTransformer", Value(7),
         localized("msg.accountfailurecause.credentials", "Credential errors")},
        {"AccountFailureCauseTransformer", Value(8),
         localized("msg.accountfailurecause.resourceerror", "Resource conflict error")},
        {"AccountFailureCauseTransformer", Value(9),
         localized("msg.accountfailurecause.problemserver", "Problem at Server")},
        {"AccountFailureCauseTransformer", Value(10),
         localized("msg.storagemethod.unknown", "Unknown")},

        {"AccountProtocolTransformer", Value(0), literal("SIP")},
        {"AccountProtocolTransformer", Value(1), literal("XMPP")},
        {"AccountProtocolTransformer", Value(2), literal("Unknown")},
        {"AccountProtocolTransformer", Value(), literal("Unknown")},

        {"NetworkBandwidthTransformer", Value(128.7), integer(128)},
        {"NetworkBandwidthTransformer", Value("256"), integer(256)},

        {"ConnectionTypeIsCustomTransformer", Value(4), flag(true)},
        {"ConnectionTypeIsCustomTransformer", Value(3), flag(false)},
        {"ConnectionTypeIsCustomTransformer", Value("4"), null()},
        {"ConnectionTypeIsCustomTransformer", Value(), null()},

        {"ArchiveItemTypeTransformer", Value(0),
         localized("msg.imarchive.column.itemtype.call", "Call")},
        {"ArchiveItemTypeTransformer", Value(1),
         localized("msg.imarchive.column.itemtype.im", "Instant Message")},
        {"ArchiveItemTypeTransformer", Value(2),
         localized("msg.imarchive.column.itemtype.groupchat", "Group Chat")},
        {"ArchiveItemTypeTransformer", Value(3),
         localized("msg.imarchive.column.itemtype.sms", "Mobile Text Message")},
        {"ArchiveItemTypeTransformer", Value(4), null()},
        {"ArchiveItemTypeTransformer", Value(-1), null()},
        {"ArchiveItemTypeTransformer", Value("1"), null()},
    };
}

// Every image the cases name, so that a missing image shows as a wrong answer, not a miss.
const char* const kImages[] = {
    "softphone",
    "chat",
    "home",
    "work",
    "mobile",
    "email",
    "web",
    "other",
    "CallHistoryOutgoing",
    "CallHistoryIncoming",
    "CallHistoryMissed",
    "StatusIconAway_1",
    "StatusIconAway_2",
    "StatusIconAway_3",
    "StatusIconNone_1",
    "StatusIconOnThePhone_3",
};

// A bundle with a Messages table and the images above; the engine starts afresh with every
// feature off and the transformers registered as the application registers them.
class ValueTransformersTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>());
        StartupService::resetInstance();
        useBundle({});
        StartupService::instance().featuresService()->setFeatureAvailable("allow_pab", false);
        ValueTransformer::removeAllValueTransformers();
        registerValueTransformers(Value(Value::Dictionary{
            {"PresenceIconSet", Value(Value::Dictionary{{"main", 2}, {"dock", 0}})}}));
    }
    void TearDown() override {
        ValueTransformer::removeAllValueTransformers();
        setPresenceMessageTranslator(PresenceMessageTranslatorKind::Contacts, nullptr);
        setPresenceMessageTranslator(PresenceMessageTranslatorKind::PersonalAddressBook, nullptr);
        setCurrentDateProvider({});
        StartupService::resetInstance();
        platform::Image::clearImageCache();
        resetLocalizationCache();
        platform::Bundle::setMainBundlePath(LUMIQ_RESOURCES_DIR);
    }

    // A fresh bundle whose Messages table holds `texts`.
    void useBundle(const std::map<std::string, std::string>& texts) {
        const auto bundle = tmp / ("Test" + std::to_string(bundles_++) + ".bundle");
        writeFile(bundle / "Info.plist",
                  Value(Value::Dictionary{{"CFBundleName", "Lumiq"}}).toPropertyList());
        std::string table;
        for (const auto& [key, text] : texts) {
            table += "\"" + key + "\" = \"" + text + "\";\n";
        }
        writeFile(bundle / "Messages.strings", table);
        writeFile(bundle / "engine" / "features.plist",
                  Value(Value::Dictionary{}).toPropertyList());
        std::filesystem::create_directories(bundle / "images");
        for (const char* name : kImages) {
            platform::Image icon(platform::Size(2, 2));
            ASSERT_TRUE(icon.writePNG(bundle / "images" / (std::string(name) + ".png")));
        }
        platform::Bundle::setMainBundlePath(bundle);
        platform::Image::clearImageCache();
        resetLocalizationCache();
    }

    static Value forward(std::string_view name, const Value& input) {
        auto transformer = ValueTransformer::valueTransformerForName(name);
        EXPECT_TRUE(transformer) << name;
        return transformer ? transformer->transformedValue(input) : Value();
    }
    static Value reverse(std::string_view name, const Value& input) {
        auto transformer = ValueTransformer::valueTransformerForName(name);
        EXPECT_TRUE(transformer) << name;
        return transformer ? transformer->reverseTransformedValue(input) : Value();
    }

    TempDir tmp;
    int bundles_ = 0;
};

TEST_F(ValueTransformersTest, ForwardRulesWithDefaultTextsAndWithTranslatedKeys) {
    const auto cases = forwardCases();
    std::map<std::string, std::string> keyed;
    for (const auto& c : cases) {
        if (c.expect.kind == Expect::Kind::Localized) {
            keyed[c.expect.text] = keyedText(c.expect.text);
        }
    }
    for (bool useKeys : {false, true}) {
        if (useKeys) {
            useBundle(keyed);
        }
        for (const auto& c : cases) {
            EXPECT_TRUE(matches(forward(c.transformer, c.input), c.expect, useKeys))
                << c.transformer << " of " << c.input.description()
                << (useKeys ? " (translated)" : " (defaults)");
        }
    }
}

TEST_F(ValueTransformersTest, ExactlyTheListedTransformersReverse) {
    const std::set<std::string> reversible = {
        "DefaultPresenceMessageStringTransformer",
        "PresenceMessageStringTransformer",
        "DateStringTransformer",
        "ReverseBoolTransformer",
        "MillisecondToSecondTransformer",
        "StorageMethodTransformer",
        "SettingLongValueTransformer",
        "NetworkBandwidthTransformer",
        "MicMuteTransformer",
    };
    const auto names = ValueTransformer::valueTransformerNames();
    EXPECT_EQ(names.size(), 42u);
    for (const auto& name : names) {
        EXPECT_EQ(ValueTransformer::valueTransformerForName(name)->allowsReverseTransformation(),
                  reversible.count(name) == 1)
            << name;
    }
    EXPECT_TRUE(ListTransformer().allowsReverseTransformation());
    EXPECT_TRUE(ChoiceToRadioButtonTransformer(1901).allowsReverseTransformation());
    // A transformer that does not reverse answers nothing rather than its forward rule.
    EXPECT_TRUE(reverse("HiddenOnNullTransformer", Value()).isNull());
}

TEST_F(ValueTransformersTest, ReverseRules) {
    useBundle({{"msg.storagemethod.local", "Lokal"}});
    const struct {
        const char* transformer;
        Value input;
        Value expected;
    } cases[] = {
        // Either the English name or its translation gives the key back.
        {"StorageMethodTransformer", Value("Local"), Value("local")},
        {"StorageMethodTransformer", Value("Lokal"), Value("local")},
        {"StorageMethodTransformer", Value("Mac Address Book"), Value("custom_mac")},
        {"StorageMethodTransformer", Value("local"), Value("Unknown")},
        {"StorageMethodTransformer", Value(), Value("Unknown")},
        {"MillisecondToSecondTransformer", Value(3), Value(3000)},
        {"ReverseBoolTransformer", Value(true), Value(false)},
        {"NetworkBandwidthTransformer", Value(64.9), Value(64)},
        // Scanned as a 64-bit integer: blanks and a sign first, stopping at the first
        // non-digit, the largest value at overflow, -1 when nothing is there to read.
        {"SettingLongValueTransformer", Value("42"), Value(42)},
        {"SettingLongValueTransformer", Value("  -7 apples"), Value(-7)},
        {"SettingLongValueTransformer", Value("+5"), Value(5)},
        {"SettingLongValueTransformer", Value("12345678901234"), Value(12345678901234LL)},
        {"SettingLongValueTransformer", Value("99999999999999999999"),
         Value(std::numeric_limits<std::int64_t>::max())},
        {"SettingLongValueTransformer", Value("apples"), Value(-1)},
        {"SettingLongValueTransformer", Value(""), Value(-1)},
        {"SettingLongValueTransformer", Value(), Value(-1)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shown(reverse(c.transformer, c.input)), shown(c.expected))
            << c.transformer << " of " << c.input.description();
    }
    // Forwards, the setting transformer leaves values as they are.
    EXPECT_EQ(forward("SettingLongValueTransformer", Value("apples")), Value("apples"));
}

TEST_F(ValueTransformersTest, PresenceIconsUseTheBrandsIconSets) {
    const auto icon = [](const ValueTransformer& transformer, int status) {
        const auto image = platform::imageFromValue(transformer.transformedValue(Value(status)));
        return image ? image->name() : std::string("(none)");
    };
    using Dict = Value::Dictionary;
    const Value noSets(Dict{});
    const Value zeroSets(Dict{{"PresenceIconSet", Value(Dict{{"main", 0}, {"dock", 0}})}});
    const Value secondSets(Dict{{"PresenceIconSet", Value(Dict{{"main", 2}, {"dock", "2"}})}});

    EXPECT_EQ(icon(PresenceStatusIconTransformer(zeroSets), 2), "StatusIconAway_1");
    EXPECT_EQ(icon(PresenceStatusIconTransformer(noSets), 2), "StatusIconAway_1");
    EXPECT_EQ(icon(PresenceStatusIconTransformer(secondSets), 2), "StatusIconAway_2");
    EXPECT_EQ(icon(PresenceStatusIconTransformer(zeroSets), 8), "StatusIconNone_1");
    EXPECT_EQ(icon(PresenceStatusDockIconTransformer(zeroSets), 4), "StatusIconOnThePhone_3");
    EXPECT_EQ(icon(PresenceStatusDockIconTransformer(noSets), 2), "StatusIconAway_3");
    EXPECT_EQ(icon(PresenceStatusDockIconTransformer(secondSets), 2), "StatusIconAway_2");
    // An icon the bundle lacks is no image.
    EXPECT_EQ(icon(PresenceStatusIconTransformer(secondSets), 0), "(none)");
    // The registered ones keep the brand dictionary they were registered with.
    EXPECT_EQ(platform::imageFromValue(forward("PresenceStatusIconTransformer", Value(2)))->name(),
              "StatusIconAway_2");
    EXPECT_EQ(
        platform::imageFromValue(forward("PresenceStatusDockIconTransformer", Value(2)))->name(),
        "StatusIconAway_3");
}

TEST_F(ValueTransformersTest, PhoneControlsFollowThePhoneStatusAndTheHostedService) {
    auto phone = StartupService::instance().phoneService();
    auto connect = phone->getConnectService();
    for (bool connected : {false, true}) {
        connect->setConnected(connected);
        for (int status = 0; status <= 8; ++status) {
            const bool ready = status >= 2 && status <= 4;
            EXPECT_EQ(shown(forward("EnabledOnPhoneStatusTransformer", Value(status))),
                      shown(Value(ready || connected)))
                << status << (connected ? " connected" : "");
        }
    }
}

TEST_F(ValueTransformersTest, AFailedAccountReadsNetworkDownWhileTheNetworkIsDown) {
    auto status = StartupService::instance().phoneService()->getPhoneStatusService()->status();
    status->setValue(8);
    for (const Value& cause : {Value(0), Value(3), Value(42), Value()}) {
        EXPECT_EQ(forward("AccountFailureCauseTransformer", cause), Value("*|Network Down.|*"))
            << cause.description();
    }
    status->setValue(4);
    EXPECT_EQ(forward("AccountFailureCauseTransformer", Value(3)),
              Value("*|Server not available|*"));
}

TEST_F(ValueTransformersTest, ListTransformerGivesIndexesAndObjects) {
    auto created = ListTransformer::createListTransformerWithName(
        "TransportListTransformer", {Value("Automatic"), Value("TCP"), Value("UDP"), Value("TLS")});
    auto transformer = ValueTransformer::valueTransformerForName("TransportListTransformer");
    ASSERT_EQ(transformer, created);

    EXPECT_EQ(transformer->transformedValue(Value("UDP")), Value(2));
    EXPECT_EQ(transformer->transformedValue(Value("Automatic")), Value(0));
    EXPECT_TRUE(transformer->transformedValue(Value("SCTP")).isNull());
    EXPECT_TRUE(transformer->transformedValue(Value()).isNull());

    EXPECT_EQ(transformer->reverseTransformedValue(Value(3)), Value("TLS"));
    EXPECT_TRUE(transformer->reverseTransformedValue(Value(4)).isNull()); // the count
    EXPECT_TRUE(transformer->reverseTransformedValue(Value(-1)).isNull());
    EXPECT_TRUE(transformer->reverseTransformedValue(Value()).isNull());
}

TEST_F(ValueTransformersTest, ChoiceToRadioButtonWorksBothWays) {
    const ChoiceToRadioButtonTransformer transformer(1902);
    const struct {
        Value input;
        Value expected;
    } cases[] = {
        {Value(1902), Value(1)},                          // the choice: this button is on
        {Value(1903), Value(0)},                          // another choice
        {Value(1901), Value(0)}, {Value(1), Value(1902)}, // the button turned on gives its choice
        {Value(0), Value(0)},    {Value(2), Value(0)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shown(transformer.transformedValue(c.input)), shown(c.expected))
            << c.input.description();
        EXPECT_EQ(shown(transformer.reverseTransformedValue(c.input)), shown(c.expected))
            << c.input.description();
    }
}

TEST_F(ValueTransformersTest, HistoryNamesMarkBlockedParties) {
    auto item = std::make_shared<CallHistoryItem>("Bob Smith", false);
    const Value boxed(std::static_pointer_cast<platform::Object>(item));
    EXPECT_EQ(forward("HistoryNameDisplayTransformer", boxed), Value("Bob Smith"));
    item->setBlocked(true);
    EXPECT_EQ(forward("HistoryNameDisplayTransformer", boxed), Value("Bob Smith (*|Blocked|*)"));
    EXPECT_TRUE(forward("HistoryNameDisplayTransformer", Value("Bob Smith")).isNull());
}

// Stands in for the application's contact operations.
class UpperCaseTranslator : public PresenceMessageTranslator {
public:
    explicit UpperCaseTranslator(std::string mark) : mark_(std::move(mark)) {}
    std::string translatePresenceMessage(std::string_view message) const override {
        return mark_ + std::string(message);
    }
    std::string translatePresenceMessageReverse(std::string_view text) const override {
        return std::string(text.substr(text.find(':') + 1));
    }

private:
    std::string mark_;
};

TEST_F(ValueTransformersTest, PresenceMessagesGoThroughTheContactOperationsOfTheMode) {
    // Without contact operations the messages pass as they are.
    EXPECT_EQ(forward("DefaultPresenceMessageStringTransformer", Value("Away")), Value("Away"));

    const UpperCaseTranslator contacts("contacts:");
    const UpperCaseTranslator addressBook("pab:");
    setPresenceMessageTranslator(PresenceMessageTranslatorKind::Contacts, &contacts);
    setPresenceMessageTranslator(PresenceMessageTranslatorKind::PersonalAddressBook, &addressBook);
    auto features = StartupService::instance().featuresService();

    const struct {
        bool pab;
        const char* transformer;
        Value input;
        Value expected;
    } cases[] = {
        {false, "DefaultPresenceMessageStringTransformer", Value("Away"), Value("contacts:Away")},
        {true, "DefaultPresenceMessageStringTransformer", Value("Away"), Value("pab:Away")},
        {false, "DefaultPresenceMessageStringTransformer", Value(""), Value("contacts:")},
        {false, "DefaultPresenceMessageStringTransformer", Value(), Value()},
        {false, "PresenceMessageStringTransformer", Value("Lunch"), Value("contacts:Lunch")},
        {false, "PresenceMessageStringTransformer", Value(""), Value("*|Available|*")},
        {true, "PresenceMessageStringTransformer", Value(""), Value("*|Connected|*")},
        {true, "PresenceMessageStringTransformer", Value(), Value()},
    };
    for (const auto& c : cases) {
        features->setFeatureAvailable("allow_pab", c.pab);
        EXPECT_EQ(shown(forward(c.transformer, c.input)), shown(c.expected))
            << c.transformer << " of " << c.input.description() << (c.pab ? " (pab)" : "");
    }

    features->setFeatureAvailable("allow_pab", true);
    EXPECT_EQ(reverse("PresenceMessageStringTransformer", Value("pab:Away")), Value("Away"));
    features->setFeatureAvailable("allow_pab", false);
    EXPECT_EQ(reverse("DefaultPresenceMessageStringTransformer", Value("contacts:Busy")),
              Value("Busy"));
}

// Dates in a zone with daylight-saving time, with "now" fixed by the test.
class DateTransformersTest : public ValueTransformersTest {
protected:
    void SetUp() override {
        ValueTransformersTest::SetUp();
        if (const char* tz = std::getenv("TZ")) {
            savedTZ_ = tz;
        }
        setenv("TZ", "America/New_York", 1);
        tzset();
        useBundle({{"msg.dateString.label.today", "Today %@"},
                   {"msg.dateString.label.yesterday", "Yesterday %@"},
                   {"msg.timestamp.am", "a.m."},
                   {"msg.timestamp.pm", "p.m."}});
    }
    void TearDown() override {
        if (savedTZ_) {
            setenv("TZ", savedTZ_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
        ValueTransformersTest::TearDown();
    }

    // A local wall-clock time of New York.
    static platform::Date local(int year, int month, int day, int hour, int minute,
                                int second = 0) {
        std::tm parts{};
        parts.tm_year = year - 1900;
        parts.tm_mon = month - 1;
        parts.tm_mday = day;
        parts.tm_hour = hour;
        parts.tm_min = minute;
        parts.tm_sec = second;
        parts.tm_isdst = -1;
        return platform::Date::fromUnixTime(static_cast<double>(std::mktime(&parts)));
    }

    static void setNow(platform::Date now) {
        setCurrentDateProvider([now] { return now; });
    }

    std::optional<std::string> savedTZ_;
};

TEST_F(DateTransformersTest, TodayAndYesterdayAreCalendarDays) {
    const struct {
        const char* what;
        platform::Date now;
        platform::Date date;
        const char* expected;
    } cases[] = {
        {"earlier today", local(2026, 12, 29, 10, 0), local(2026, 12, 29, 8, 5), "Today 8:05 a.m."},
        {"midnight today", local(2026, 12, 29, 10, 0), local(2026, 12, 29, 0, 0),
         "Today 12:00 a.m."},
        {"late yesterday", local(2026, 12, 29, 10, 0), local(2026, 12, 28, 23, 59),
         "Yesterday 11:59 p.m."},
        {"two days back", local(2026, 12, 29, 10, 0), local(2026, 12, 27, 23, 59),
         "Dec 27, 2026, 11:59 p.m."},
        // The same day a year before falls in the same week-based year: it is not today.
        {"a year ago", local(2026, 12, 29, 10, 0), local(2025, 12, 29, 8, 5),
         "Dec 29, 2025, 8:05 a.m."},
        {"a year and a day ago", local(2026, 12, 29, 10, 0), local(2025, 12, 28, 8, 5),
         "Dec 28, 2025, 8:05 a.m."},
        {"across the new year", local(2027, 1, 1, 0, 10), local(2026, 12, 31, 23, 50),
         "Yesterday 11:50 p.m."},
        {"tomorrow", local(2026, 12, 29, 10, 0), local(2026, 12, 30, 9, 0),
         "Dec 30, 2026, 9:00 a.m."},
        // Just after a 23-hour day: 24 hours back is two calendar days back.
        {"after spring forward", local(2026, 3, 9, 0, 30), local(2026, 3, 8, 10, 0),
         "Yesterday 10:00 a.m."},
        {"before spring forward", local(2026, 3, 9, 0, 30), local(2026, 3, 7, 23, 0),
         "Mar 7, 2026, 11:00 p.m."},
        // Late on a 25-hour day: 24 hours back is still the same day.
        {"on fall back", local(2026, 11, 1, 23, 30), local(2026, 10, 31, 20, 0),
         "Yesterday 8:00 p.m."},
        {"on fall back, earlier", local(2026, 11, 1, 23, 30), local(2026, 11, 1, 0, 45),
         "Today 12:45 a.m."},
    };
    for (const auto& c : cases) {
        setNow(c.now);
        EXPECT_EQ(shown(forward("DateStringTransformer", Value(c.date))), shown(Value(c.expected)))
            << c.what;
    }
    EXPECT_TRUE(forward("DateStringTransformer", Value("yesterday")).isNull());
}

TEST_F(DateTransformersTest, DateTransformerShowsMediumDateAndTime) {
    EXPECT_EQ(forward("DateTransformer", Value(local(2026, 12, 10, 15, 4, 5))),
              Value("Dec 10, 2026, 3:04:05 p.m."));
    EXPECT_EQ(forward("DateTransformer", Value(local(2026, 7, 4, 0, 0, 9))),
              Value("Jul 4, 2026, 12:00:09 a.m."));
    EXPECT_EQ(forward("DateTransformer", Value(42)), Value(""));
}

TEST(CalendarDays, PreviousDayCrossesMonthsYearsAndLeapDays) {
    const struct {
        CalendarDay day;
        CalendarDay expected;
    } cases[] = {
        {{2026, 3, 9}, {2026, 3, 8}},
        {{2026, 3, 1}, {2026, 2, 28}},
        {{2028, 3, 1}, {2028, 2, 29}},
        {{2027, 1, 1}, {2026, 12, 31}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(previousCalendarDay(c.day), c.expected) << c.day.year << "-" << c.day.month;
    }
}

} // namespace
