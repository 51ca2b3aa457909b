#include "engine/StartupService.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Locale.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/TestSupport.h"
#include "platform/foundation/Value.h"
#include "support/Localization.h"

#include <gtest/gtest.h>

namespace {

using foundation_test::TempDir;
using foundation_test::writeFile;

// A bundle whose folder name holds a blank, with the product's Info and a small table.
class LocalizationTest : public ::testing::Test {
protected:
    void SetUp() override {
        bundle = tmp / "Lumiq Test.bundle";
        writeFile(bundle / "Info.plist",
                  platform::Value(platform::Value::Dictionary{{"CFBundleName", "Lumiq"},
                                                              {"CompanyName", "Orvanta"}})
                      .toPropertyList());
        writeFile(bundle / "Messages.strings", R"(
"msg.test.plain" = "Hello";
"msg.test.newline" = "First\\nSecond";
"msg.test.capital_newline" = "First\\NSecond";
"msg.test.names" = "Welcome to ${product_name} by ${Company_Name}, ${PRODUCT_NAME}";
"msg.test.server" = "Connect to ${SERVER}";
"msg.test.empty" = "";
)");
        platform::Bundle::setMainBundlePath(bundle);
        platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>());
        resetLocalizationCache();
        StartupService::resetInstance();
    }
    void TearDown() override {
        platform::setCurrentLocaleIdentifier("");
        StartupService::resetInstance();
        resetLocalizationCache();
        platform::Bundle::setMainBundlePath(LUMIQ_RESOURCES_DIR);
    }

    TempDir tmp;
    std::filesystem::path bundle;
};

TEST_F(LocalizationTest, LooksUpTheTableAndFillsItsPlaceholders) {
    const struct {
        const char* key;
        const char* defaultText;
        const char* expected;
    } cases[] = {
        {"msg.test.plain", "Ignored", "Hello"},
        {"msg.test.newline", "", "First\nSecond"},
        {"msg.test.capital_newline", "", "First\nSecond"},
        {"msg.test.names", "", "Welcome to Lumiq by Orvanta, Lumiq"},
        {"msg.test.server", "", "Connect to ${SERVER}"},
        {"msg.test.empty", "Not empty", ""},
        // Missing keys show their default framed, so an untranslated text stands out.
        {"msg.test.missing", "Friends", "*|Friends|*"},
        {"msg.test.missing", "", "*||*"},
        {"msg.test.missing", "About ${PRODUCT_NAME}\\nnow", "*|About Lumiq\nnow|*"},
        {"msg.test.missing", "Logging in to ${SERVER}", "*|Logging in to ${SERVER}|*"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QXLS(c.key, c.defaultText), c.expected) << c.key << " / " << c.defaultText;
    }
}

TEST_F(LocalizationTest, TheProductionTableHoldsTheStartUpTexts) {
    platform::Bundle::setMainBundlePath(LUMIQ_RESOURCES_DIR);
    resetLocalizationCache();
    EXPECT_EQ(QXLS("msg.phone.default_group_1", "x"), "Friends");
    EXPECT_EQ(QXLS("msg.phone.added_friends_group", "x"), "Added Contacts");
    EXPECT_EQ(QXLS("msg.product.name", "x"), "Lumiq");
}

TEST_F(LocalizationTest, FillsAddressPlaceholdersThenTheEnginesMacros) {
    platform::setCurrentLocaleIdentifier("fr_CA");
    StartupService::instance().phoneService()->setUserName("alice");
    const std::string root = bundle.string();
    std::string escapedRoot = root;
    replaceOccurrencesIgnoringCase(escapedRoot, " ", "%20");

    const struct {
        std::optional<std::string_view> text;
        std::string expected;
    } cases[] = {
        {std::nullopt, ""},
        {"", ""},
        {"https://help.example/$LANGUAGE$/a b.html", "https://help.example/fr-CA/a%20b.html"},
        {"%instroot%/help.html", escapedRoot + "/help.html"},
        {"https://x.example/?u=$username$&l=$language$", "https://x.example/?u=alice&l=fr-CA"},
        {"$language", "$language"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TranslateUrlMacros(c.text), c.expected) << c.text.value_or("(none)");
    }
}

TEST(ReplaceOccurrencesIgnoringCase, ReplacesLeftToRightWithoutRescanning) {
    const struct {
        const char* text;
        const char* target;
        const char* replacement;
        const char* expected;
        std::size_t count;
    } cases[] = {
        {"aXa", "x", "y", "aya", 1},           {"xxx", "xx", "x", "xx", 1},
        {"abAB", "ab", "abab", "abababab", 2}, {"", "x", "y", "", 0},
        {"text", "", "y", "text", 0},
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        const auto count = replaceOccurrencesIgnoringCase(text, c.target, c.replacement);
        EXPECT_EQ(text, c.expected) << c.text;
        EXPECT_EQ(count, c.count) << c.text;
    }
}

} // namespace
