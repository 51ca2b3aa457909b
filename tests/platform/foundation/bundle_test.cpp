#include "platform/foundation/Bundle.h"
#include "platform/foundation/TestSupport.h"

#include <gtest/gtest.h>

using foundation_test::ScopedEnv;
using foundation_test::TempDir;
using foundation_test::writeFile;
using platform::Bundle;
using platform::parseStringsTable;
using platform::Value;

namespace fs = std::filesystem;

namespace {

TEST(StringsTableTest, ParsesCommentsEscapesAndBareWords) {
    const char* text = R"(/* Interface texts.
   "commented.out" = "no"; */
// "line.comment" = "no";
"msg.plain" = "Plain text";
"msg.escapes" = "Say \"hi\"\tthen\\leave";
"msg.newline" = "one\ntwo";
"msg.literal" = "keep \\n as typed";
"msg.unicode" = "caf\u00e9 \U263A \ud83d\ude00";
"msg.octal" = "A\101";
"msg.utf8" = "Zoë — 電話";
bare.key = bareValue;
"msg.spaced"   =
    "across lines" ;
"msg.multi" = "first
second";
"msg.same";
"msg.comment.between" /* note */ = /* note */ "ok"; // trailing
"msg.empty" = "";
)";
    const auto table = parseStringsTable(text);
    const std::map<std::string, std::string, std::less<>> expected = {
        {"msg.plain", "Plain text"},
        {"msg.escapes", "Say \"hi\"\tthen\\leave"},
        {"msg.newline", "one\ntwo"},
        {"msg.literal", "keep \\n as typed"},
        {"msg.unicode", "café ☺ 😀"},
        {"msg.octal", "AA"},
        {"msg.utf8", "Zoë — 電話"},
        {"bare.key", "bareValue"},
        {"msg.spaced", "across lines"},
        {"msg.multi", "first\nsecond"},
        {"msg.same", "msg.same"},
        {"msg.comment.between", "ok"},
        {"msg.empty", ""},
    };
    EXPECT_EQ(table, expected);
}

TEST(StringsTableTest, MalformedEntriesAreSkippedAndTheRestKept) {
    const char* text = R"("good.1" = "one";
"missing.semicolon" = "x"
"good.2" = "two";
"missing.equals" "y";
= "no key";
"no.value" = ;
"good.3" = "three";
"unterminated" = "never closed;
)";
    const auto table = parseStringsTable(text);
    EXPECT_EQ(table.size(), 3u);
    EXPECT_EQ(table.at("good.1"), "one");
    EXPECT_EQ(table.at("good.2"), "two");
    EXPECT_EQ(table.at("good.3"), "three");
    EXPECT_TRUE(parseStringsTable("").empty());
    EXPECT_TRUE(parseStringsTable("/* never closed").empty());
    EXPECT_TRUE(parseStringsTable("\"a\" = \"b\\").empty());
}

class BundleTest : public ::testing::Test {
protected:
    void SetUp() override {
        Value info;
        info.setObject("CFBundleName", Value("Lumiq Test"));
        info.setObject("CFBundleIdentifier", Value("com.example.test"));
        info.setObject("CompanyName", Value("Example"));
        writeFile(dir / "Info.plist", info.toPropertyList());
        writeFile(dir / "Messages.strings", "\"msg.hello\" = \"Hello\\\\n${PRODUCT_NAME}\";\n");
        writeFile(dir / "brand.plist", "x");
        writeFile(dir / "images" / "logo.svg", "svg");
        writeFile(dir / "images" / "logo.png", "png");
        writeFile(dir / "sounds" / "ring.wav", "wav");
        writeFile(dir / "html" / "chat.html", "html");
        writeFile(dir / "README", "plain");
    }
    TempDir dir;
};

TEST_F(BundleTest, ReadsTheInfoDictionary) {
    Bundle bundle(dir.path());
    EXPECT_EQ(bundle.bundleName(), "Lumiq Test");
    EXPECT_EQ(bundle.bundleIdentifier(), "com.example.test");
    EXPECT_EQ(bundle.objectForInfoDictionaryKey("CompanyName").stringValue(), "Example");
    EXPECT_TRUE(bundle.objectForInfoDictionaryKey("Missing").isNull());
    EXPECT_EQ(bundle.resourcePath(), dir.path());

    Bundle empty(dir / "nowhere");
    EXPECT_TRUE(empty.infoDictionary().isDictionary());
    EXPECT_EQ(empty.bundleName(), "");
}

TEST_F(BundleTest, FindsResourcesByNameAndType) {
    Bundle bundle(dir.path());
    const struct {
        const char* name;
        const char* type;
        std::optional<fs::path> expected;
    } cases[] = {
        {"brand", "plist", dir / "brand.plist"},
        {"brand.plist", "", dir / "brand.plist"},
        {"brand", "", dir / "brand.plist"},
        {"logo", "svg", dir / "images" / "logo.svg"},
        {"logo", ".png", dir / "images" / "logo.png"},
        {"logo", "", dir / "images" / "logo.png"},
        {"ring", "wav", dir / "sounds" / "ring.wav"},
        {"chat", "html", dir / "html" / "chat.html"},
        {"README", "", dir / "README"},
        {"images", "", dir / "images"},
        {"html/chat", "html", dir / "html" / "chat.html"},
        {"logo", "gif", std::nullopt},
        {"missing", "", std::nullopt},
        {"", "", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " / " + c.type);
        EXPECT_EQ(bundle.pathForResource(c.name, c.type), c.expected);
    }
}

TEST_F(BundleTest, LocalizedStringsFallBackToTheGivenValue) {
    Bundle bundle(dir.path());
    EXPECT_EQ(bundle.localizedStringForKey("msg.hello", "*|default|*", "Messages"),
              "Hello\\n${PRODUCT_NAME}");
    EXPECT_EQ(bundle.localizedStringForKey("msg.absent", "*|default|*", "Messages"), "*|default|*");
    EXPECT_EQ(bundle.localizedStringForKey("msg.absent", "", "Messages"), "msg.absent");
    EXPECT_EQ(bundle.localizedStringForKey("msg.hello", "fallback", "NoSuchTable"), "fallback");
}

TEST_F(BundleTest, StringTablesMayBeUtf16OrPropertyLists) {
    // "k" = "é☺"; as UTF-16 little-endian with a byte-order mark.
    const std::u16string text = u"\"k\" = \"\u00e9\u263a\";\n";
    std::string bytes = "\xff\xfe";
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xff);
        bytes += static_cast<char>(unit >> 8);
    }
    writeFile(dir / "Utf16.strings", bytes);
    writeFile(dir / "Plist.strings",
              Value(Value::Dictionary{{"k", Value("from plist")}}).toPropertyList());
    writeFile(dir / "Bom.strings", "\xef\xbb\xbf\"k\" = \"bom\";");
    Bundle bundle(dir.path());
    EXPECT_EQ(bundle.localizedStringForKey("k", "", "Utf16"), "é☺");
    EXPECT_EQ(bundle.localizedStringForKey("k", "", "Plist"), "from plist");
    EXPECT_EQ(bundle.localizedStringForKey("k", "", "Bom"), "bom");
}

TEST_F(BundleTest, MainBundleCanBeRepointedAndKeepsItsIdentity) {
    Bundle& main = Bundle::mainBundle();
    Bundle::setMainBundlePath(dir.path());
    EXPECT_EQ(&main, &Bundle::mainBundle());
    EXPECT_EQ(main.bundleName(), "Lumiq Test");
    Bundle::setMainBundlePath(LUMIQ_RESOURCES_DIR);
    EXPECT_EQ(Bundle::mainBundle().bundlePath(), fs::path(LUMIQ_RESOURCES_DIR));
}

} // namespace
