#include "platform/foundation/BinaryPlistBytes.h"
#include "platform/foundation/TestSupport.h"
#include "platform/foundation/Value.h"

#include <climits>
#include <cmath>
#include <gtest/gtest.h>

using platform::Date;
using platform::PropertyListFormat;
using platform::Value;

namespace {

struct Coercion {
    const char* label;
    Value value;
    double doubleValue;
    int intValue;
    std::int64_t integerValue;
    bool boolValue;
    const char* stringValue;
};

class Named : public platform::Object {
public:
    std::string description() const override { return "named"; }
};

TEST(ValueTest, CoercionsAnswerLikeTheOriginalNumbersAndStrings) {
    const Coercion cases[] = {
        {"null", Value(), 0, 0, 0, false, ""},
        {"true", Value(true), 1, 1, 1, true, "1"},
        {"false", Value(false), 0, 0, 0, false, "0"},
        {"integer", Value(42), 42, 42, 42, true, "42"},
        {"negative integer", Value(-7), -7, -7, -7, true, "-7"},
        {"wide integer saturates as int", Value(5000000000LL), 5e9, INT_MAX, 5000000000LL, true,
         "5000000000"},
        {"real", Value(0.5), 0.5, 0, 0, true, "0.5"},
        {"whole real", Value(1.0), 1, 1, 1, true, "1"},
        {"negative real truncates", Value(-2.75), -2.75, -2, -2, true, "-2.75"},
        {"leading blanks then number", Value("  3.5abc"), 3.5, 3, 3, true, "  3.5abc"},
        {"no number", Value("abc"), 0, 0, 0, false, "abc"},
        {"signed with exponent", Value("-1.5e2px"), -150, -1, -1, true, "-1.5e2px"},
        {"exponent without digits", Value("2e"), 2, 2, 2, true, "2e"},
        {"leading dot", Value(".25"), 0.25, 0, 0, false, ".25"},
        {"YES", Value("YES"), 0, 0, 0, true, "YES"},
        {"true text", Value("true"), 0, 0, 0, true, "true"},
        {"NO", Value("NO"), 0, 0, 0, false, "NO"},
        {"zeros then digit", Value("  -007"), -7, -7, -7, true, "  -007"},
        {"only zeros", Value("000"), 0, 0, 0, false, "000"},
        {"tab and newline blanks", Value("\t\n 12"), 12, 12, 12, true, "\t\n 12"},
        {"huge text integer saturates", Value("99999999999999999999"), 1e20, INT_MAX, LLONG_MAX,
         true, "99999999999999999999"},
        {"array", Value(Value::Array{Value(1)}), 0, 0, 0, false, ""},
        {"data", Value(Value::Data{1, 2}), 0, 0, 0, false, ""},
    };
    for (const Coercion& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_DOUBLE_EQ(c.value.doubleValue(), c.doubleValue);
        EXPECT_FLOAT_EQ(c.value.floatValue(), static_cast<float>(c.doubleValue));
        EXPECT_EQ(c.value.intValue(), c.intValue);
        EXPECT_EQ(c.value.integerValue(), c.integerValue);
        EXPECT_EQ(c.value.boolValue(), c.boolValue);
        EXPECT_EQ(c.value.stringValue(), c.stringValue);
    }
}

TEST(ValueTest, RealsDescribeThemselvesInTheShortestRoundTripForm) {
    const std::pair<double, const char*> cases[] = {
        {0.5, "0.5"}, {1.0, "1"}, {0.1, "0.1"}, {-3.25, "-3.25"}, {1.0 / 3.0, "0.3333333333333333"},
    };
    for (const auto& [real, text] : cases) {
        EXPECT_EQ(Value(real).description(), text);
        EXPECT_EQ(std::stod(Value(real).description()), real);
    }
}

TEST(ValueTest, MissesAnswerNullAllTheWayDownAChain) {
    Value brand;
    brand.setObject("A", Value(Value::Dictionary{{"B", Value("2.5")}}));
    EXPECT_FLOAT_EQ(brand["A"]["B"].floatValue(), 2.5f);
    EXPECT_TRUE(brand["A"]["missing"]["deeper"].isNull());
    EXPECT_EQ(brand["A"]["missing"].floatValue(), 0.0f);
    EXPECT_TRUE(brand[3].isNull());
    EXPECT_TRUE(Value("text")["key"].isNull());
    EXPECT_EQ(&brand["nothing"], &Value::null());
    EXPECT_EQ(Value(Value::Array{Value(1), Value(2)})[1].intValue(), 2);
    EXPECT_TRUE(Value(Value::Array{Value(1)})[1].isNull());
    EXPECT_TRUE(Value(static_cast<const char*>(nullptr)).isNull());
    EXPECT_TRUE(Value(Value::ObjectHandle()).isNull());
}

TEST(ValueTest, WritingTurnsNullIntoCollectionsButLeavesOtherTypesAlone) {
    Value dictionary;
    dictionary.setObject("k", Value(1));
    EXPECT_TRUE(dictionary.isDictionary());
    dictionary.setObject("k", Value(2));
    EXPECT_EQ(dictionary.count(), 1u);
    EXPECT_EQ(dictionary["k"].intValue(), 2);
    dictionary.removeObjectForKey("k");
    dictionary.removeObjectForKey("absent");
    EXPECT_EQ(dictionary.count(), 0u);

    Value array;
    array.append(Value("a"));
    array.append(Value("b"));
    EXPECT_TRUE(array.isArray());
    EXPECT_EQ(array.count(), 2u);

    Value text("t");
    text.setObject("k", Value(1));
    text.append(Value(1));
    EXPECT_EQ(text, Value("t"));
}

TEST(ValueTest, NumbersCompareByValueAcrossKinds) {
    EXPECT_EQ(Value(1), Value(1.0));
    EXPECT_EQ(Value(true), Value(1));
    EXPECT_NE(Value(1), Value(1.5));
    EXPECT_NE(Value(1), Value("1"));
    EXPECT_NE(Value(), Value(0));
    EXPECT_EQ(Value(Value::Array{Value("a"), Value(2)}), Value(Value::Array{Value("a"), Value(2)}));
    auto object = std::make_shared<Named>();
    EXPECT_EQ(Value(Value::ObjectHandle(object)), Value(Value::ObjectHandle(object)));
    EXPECT_NE(Value(Value::ObjectHandle(object)),
              Value(Value::ObjectHandle(std::make_shared<Named>())));
}

TEST(ValueTest, CopiesAreDeep) {
    Value original;
    original.setObject("list", Value(Value::Array{Value(1)}));
    Value copy = original;
    copy.mutableDictionary()->at("list").append(Value(2));
    EXPECT_EQ(original["list"].count(), 1u);
    EXPECT_EQ(copy["list"].count(), 2u);
}

TEST(ValueTest, DescriptionsOfCollectionsUseTheOldStyleForm) {
    Value array(Value::Array{Value("a"), Value("b c"), Value(1)});
    EXPECT_EQ(array.description(), "(\n    a,\n    \"b c\",\n    1\n)");

    Value nested;
    nested.setObject("name", Value("Ann"));
    nested.setObject("list", Value(Value::Array{Value(0.5)}));
    EXPECT_EQ(nested.description(), "{\n    list = (\n        0.5\n    );\n    name = Ann;\n}");

    EXPECT_EQ(Value(Value::Array{}).description(), "(\n)");
    EXPECT_EQ(Value(Value::Data{0x01, 0x02, 0xab, 0xcd, 0xef}).description(), "<0102abcd ef>");
    EXPECT_EQ(Value(Date{0}).description(), "2001-01-01 00:00:00 +0000");
    EXPECT_EQ(Value().description(), "(null)");
    EXPECT_EQ(Value(Value::ObjectHandle(std::make_shared<Named>())).description(), "named");
}

TEST(ValueTest, ObjectsDescribeThemselvesByClassAndAddress) {
    platform::Object plain;
    const std::string text = plain.description();
    EXPECT_EQ(text.front(), '<');
    EXPECT_EQ(text.back(), '>');
    EXPECT_NE(text.find("platform::Object"), std::string::npos);
    EXPECT_NE(text.find("0x"), std::string::npos);
}

TEST(ValueTest, DatesConvertToAndFromUnixTime) {
    EXPECT_DOUBLE_EQ(Date::fromUnixTime(978307200.0).secondsSinceReferenceDate, 0.0);
    EXPECT_DOUBLE_EQ(Date{86400}.unixTime(), 978307200.0 + 86400);
    const double now = static_cast<double>(std::time(nullptr));
    EXPECT_NEAR(Date::now().unixTime(), now, 2.0);
    // A date past any calendar describes itself as nothing instead of overflowing.
    for (double seconds : {1.9e129, -1.9e129, 1e300, 0x1p63}) {
        SCOPED_TRACE(seconds);
        EXPECT_EQ(Value(Date{seconds}).description(), "");
    }
}

Value sampleTree() {
    Value root;
    root.setObject("string", Value("plain"));
    root.setObject("unicode", Value("Zoë — 電話 ☎ <&> \"quoted\""));
    root.setObject("empty", Value(""));
    root.setObject("negative", Value(-42));
    root.setObject("lowest", Value(static_cast<long long>(INT64_MIN)));
    root.setObject("highest", Value(static_cast<long long>(INT64_MAX)));
    root.setObject("zero", Value(0));
    root.setObject("real", Value(0.1));
    root.setObject("negativeReal", Value(-1234.5));
    root.setObject("yes", Value(true));
    root.setObject("no", Value(false));
    root.setObject("data", Value(Value::Data{0x00, 0xff, 0x10, 0x80}));
    root.setObject("emptyData", Value(Value::Data{}));
    root.setObject("date", Value(Date{123456789}));
    root.setObject("pastDate", Value(Date{-31536000}));
    Value inner;
    inner.setObject("list", Value(Value::Array{Value(1), Value("two"), Value(Value::Array{})}));
    inner.setObject("deeper", Value(Value::Dictionary{{"leaf", Value(3.5)}}));
    root.setObject("nested", inner);
    root.setObject("emptyDictionary", Value(Value::Dictionary{}));
    return root;
}

class PropertyListRoundTrip : public ::testing::TestWithParam<PropertyListFormat> {};

TEST_P(PropertyListRoundTrip, KeepsEveryTypeAndValue) {
    const Value tree = sampleTree();
    const std::string bytes = tree.toPropertyList(GetParam());
    ASSERT_FALSE(bytes.empty());
    const bool binary = bytes.rfind("bplist00", 0) == 0;
    EXPECT_EQ(binary, GetParam() == PropertyListFormat::Binary);

    auto back = Value::fromPropertyList(bytes);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, tree);
    // Equality of numbers crosses kinds, so check the kinds survived too.
    EXPECT_EQ((*back)["negative"].type(), Value::Type::Integer);
    EXPECT_EQ((*back)["lowest"].integerValue(), INT64_MIN);
    EXPECT_EQ((*back)["real"].type(), Value::Type::Real);
    EXPECT_EQ((*back)["yes"].type(), Value::Type::Bool);
    EXPECT_EQ((*back)["nested"]["list"][1].stringValue(), "two");
}

TEST_P(PropertyListRoundTrip, LeavesOutNullsAndObjects) {
    Value tree;
    tree.setObject("kept", Value(1));
    tree.setObject("object", Value(Value::ObjectHandle(std::make_shared<Named>())));
    tree.setObject("list", Value(Value::Array{Value(), Value("x")}));
    auto back = Value::fromPropertyList(tree.toPropertyList(GetParam()));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->count(), 2u);
    EXPECT_TRUE((*back)["object"].isNull());
    EXPECT_EQ((*back)["list"], Value(Value::Array{Value("x")}));
}

INSTANTIATE_TEST_SUITE_P(Formats, PropertyListRoundTrip,
                         ::testing::Values(PropertyListFormat::XML, PropertyListFormat::Binary),
                         [](const auto& info) {
                             return info.param == PropertyListFormat::XML ? "XML" : "Binary";
                         });

TEST(ValueTest, BinaryDatesKeepTheirFractionOnBothSidesOfTheReferenceDate) {
    for (double seconds : {12345.5, -100.25}) {
        Value tree(Value::Array{Value(Date{seconds})});
        auto back = Value::fromPropertyList(tree.toPropertyList(PropertyListFormat::Binary));
        ASSERT_TRUE(back.has_value());
        ASSERT_NE((*back)[0].date(), nullptr);
        EXPECT_NEAR((*back)[0].date()->secondsSinceReferenceDate, seconds, 1e-6);
    }
}

TEST(ValueTest, ReadsHandWrittenXml) {
    const char* xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
    <key>Width</key><integer>-12</integer>
    <key>Alpha</key><real>0.75</real>
    <key>Name</key><string>Caf&#233; &amp; bar</string>
    <key>On</key><true/>
</dict>
</plist>)";
    auto value = Value::fromPropertyList(std::string_view(xml));
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ((*value)["Width"].integerValue(), -12);
    EXPECT_DOUBLE_EQ((*value)["Alpha"].doubleValue(), 0.75);
    EXPECT_EQ((*value)["Name"].stringValue(), "Café & bar");
    EXPECT_TRUE((*value)["On"].boolValue());
}

TEST(ValueTest, MalformedBytesAreNotAPropertyList) {
    const std::string truncatedBinary =
        sampleTree().toPropertyList(PropertyListFormat::Binary).substr(0, 40);
    const std::string cases[] = {
        "",
        "not a plist at all",
        "<?xml version=\"1.0\"?><plist><dict><key>a</key>",
        "<plist><dict><key>a</key><integer>1</integer></plist>",
        "bplist00garbage",
        truncatedBinary,
        std::string("\0\0\0\0", 4),
        // Latin-1 text in an XML list: the writer would alter it, so it is refused on reading.
        "<plist><dict><key>name</key><string>Zo\xeb</string></dict></plist>",
        "<plist><dict><key>\xc0\xaf</key><string>overlong</string></dict></plist>",
    };
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(bytes);
        EXPECT_FALSE(Value::fromPropertyList(bytes).has_value());
    }
}

namespace bplist = foundation_test::bplist;

// Lists the format allows but no reader may trust: each is refused with its reason, none
// aborts or reads outside the bytes (the sanitizers watch the latter).
TEST(ValueTest, MalformedBinaryListsAreRefusedWithAReason) {
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<std::string> nested;
    for (int i = 0; i < 600; ++i)
        nested.push_back(bplist::array({i + 1}, 2));
    nested.push_back(bplist::ascii("leaf"));
    // Thirty levels of [previous, previous]: a few hundred bytes that would be 2^30 copies.
    std::vector<std::string> doubling{bplist::ascii("x")};
    for (int i = 1; i <= 30; ++i)
        doubling.push_back(bplist::array({i - 1, i - 1}));
    std::string tableOutside = bplist::list({bplist::ascii("x")});
    tableOutside[tableOutside.size() - 1] = '\x7f';
    std::string objectOutside = bplist::list({bplist::ascii("x")});
    objectOutside[10] = '\x60'; // the offset table's one entry points into the trailer
    const struct {
        const char* label;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"UTF-16 key with a NUL", bplist::nulInKey(), "NUL"},
        {"ASCII key with a NUL",
         bplist::list(
             {bplist::entry(1, 2), bplist::ascii(std::string("a\0b", 3)), bplist::ascii("v")}),
         "NUL"},
        {"NaN date", bplist::nanDate(), "date"},
        {"infinite date", bplist::list({bplist::array({1}), bplist::date(inf)}), "date"},
        {"minus infinite date", bplist::list({bplist::array({1}), bplist::date(-inf)}), "date"},
        {"array holding itself", bplist::list({bplist::array({0})}), "contains itself"},
        {"two arrays holding each other", bplist::list({bplist::array({1}), bplist::array({0})}),
         "contains itself"},
        {"reference past the objects", bplist::list({bplist::array({5})}), "beyond"},
        {"top object past the objects", bplist::list({bplist::ascii("x")}, 3), "top object"},
        {"offset table outside", tableOutside, "offset table"},
        {"object outside", objectOutside, "outside"},
        {"string longer than the list", bplist::list({bplist::marker(0x5, 12) + "ab"}),
         "runs past"},
        {"length that is not an integer", bplist::list({"\x5f\x51x"}), "length"},
        {"huge length", bplist::list({"\xaf\x13" + bplist::bigEndian(~0ull, 8)}), "runs past"},
        {"key that is not a string", bplist::list({bplist::entry(1, 1), "\x10\x05"}),
         "not a string"},
        {"null object", bplist::list({bplist::array({1}), std::string(1, '\0')}), "unknown kind"},
        {"unknown marker", bplist::list({"\x70"}), "unknown kind"},
        {"nested too deeply", bplist::list(nested, 0, 2), "nested too deeply"},
        {"shared objects doubling", bplist::list(doubling, 30), "expand"},
        {"only the header", "bplist00", "known version"},
        {"another version", "bplist15" + std::string(40, '\0'), "known version"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::string why;
        EXPECT_FALSE(Value::fromPropertyList(c.bytes, &why).has_value());
        EXPECT_NE(why.find(c.reason), std::string::npos) << why;
    }
}

TEST(ValueTest, HandBuiltBinaryListsReadAsTheirWritersMeant) {
    const std::u16string clef = u"\U0001D11E";
    const std::string shared = bplist::list({
        bplist::marker(0xD, 4) + std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8),
        bplist::ascii("text"),
        bplist::ascii("long"),
        bplist::ascii("number"),
        bplist::ascii("set"),
        bplist::utf16(u"Zo\u00eb " + clef + u" \xd800!"),
        "\x5f\x10\x14" + std::string(20, 'z'),
        "\x14" + std::string(15, '\0') + "\x2a",
        bplist::marker(0xC, 2) + "\x01\x01",
    });
    std::string why;
    auto value = Value::fromPropertyList(shared, &why);
    ASSERT_TRUE(value.has_value()) << why;
    // A lone surrogate becomes U+FFFD; a pair is one character.
    EXPECT_EQ((*value)["text"].stringValue(), "Zoë \xF0\x9D\x84\x9E \xEF\xBF\xBD!");
    EXPECT_EQ((*value)["long"].stringValue(), std::string(20, 'z'));
    EXPECT_EQ((*value)["number"], Value(42));
    EXPECT_EQ((*value)["set"], Value(Value::Array{Value("text"), Value("text")}));
}

TEST(ValueTest, WritesFilesAtomicallyAndReadsThemBack) {
    foundation_test::TempDir dir;
    const auto file = dir / "tree.plist";
    ASSERT_TRUE(sampleTree().writePropertyListFile(file));
    ASSERT_TRUE(sampleTree().writePropertyListFile(file, PropertyListFormat::Binary));
    auto back = Value::readPropertyListFile(file);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, sampleTree());
    // Only the file itself: no temporary left next to it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
    EXPECT_FALSE(Value::readPropertyListFile(dir / "missing.plist").has_value());
    EXPECT_FALSE(sampleTree().writePropertyListFile(dir / "no-such-folder" / "x.plist"));
    EXPECT_FALSE(Value().writePropertyListFile(dir / "null.plist"));
}

} // namespace
