#include "app/contacts/ContactOperations.h"
#include "app/pab/PabContactOperations.h"
#include "engine/StartupService.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/TestSupport.h"
#include "platform/foundation/Value.h"
#include "support/Localization.h"
#include "support/PresenceMessageTranslator.h"

#include <gtest/gtest.h>

namespace {

using foundation_test::TempDir;
using foundation_test::writeFile;

// A bundle that translates a few presence words, so that translated and untranslated texts
// can be told apart.
class PresenceWordsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto bundle = tmp / "Words.bundle";
        writeFile(bundle / "Info.plist",
                  platform::Value(platform::Value::Dictionary{{"CFBundleName", "Lumiq"}})
                      .toPropertyList());
        writeFile(bundle / "engine" / "features.plist",
                  platform::Value(platform::Value::Dictionary{}).toPropertyList());
        writeFile(bundle / "Messages.strings", R"(
"msg.presence.status.available" = "Erreichbar";
"msg.presence.status.connected" = "Verbunden";
"msg.presence.status.away" = "Abwesend";
"msg.presence.status.busy" = "Beschäftigt";
"msg.presence.status.OutToLunch" = "Beim Essen";
)");
        platform::Bundle::setMainBundlePath(bundle);
        platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>());
        resetLocalizationCache();
        StartupService::resetInstance();
    }
    void TearDown() override {
        StartupService::resetInstance();
        resetLocalizationCache();
        platform::Bundle::setMainBundlePath(LUMIQ_RESOURCES_DIR);
    }

    TempDir tmp;
};

TEST_F(PresenceWordsTest, ContactListWords) {
    const auto& operations = ContactOperations::instance();
    const struct {
        const char* engine;
        const char* shown;
    } forward[] = {
        {"Away", "Abwesend"},
        {"Available", "Erreichbar"},
        {"Do not disturb", "*|Do not disturb|*"},
        {"Idle", "*|Idle|*"},
        // The comparison is exact: anything else is the user's own note, on one line.
        {"away", "away"},
        {"Connected", "Connected"},
        {"Out To Lunch", "Out To Lunch"},
        {"  In a meeting\n", "In a meeting"},
        {"Back at\nthree\n o'clock ", "Back at three  o'clock"},
        {"", ""},
    };
    for (const auto& c : forward) {
        EXPECT_EQ(operations.translatePresenceMessage(c.engine), c.shown) << c.engine;
    }
    const struct {
        const char* shown;
        const char* engine;
    } reverse[] = {
        {"Abwesend", "Away"}, {"Erreichbar", "Available"}, {"*|Offline|*", "Offline"},
        {"Away", "Away"}, // the English word is no translation here: a note
        {"Lunch", "Lunch"},
    };
    for (const auto& c : reverse) {
        EXPECT_EQ(operations.translatePresenceMessageReverse(c.shown), c.engine) << c.shown;
    }
}

TEST_F(PresenceWordsTest, AddressBookWords) {
    const auto& operations = PabContactOperations::instance();
    const struct {
        const char* engine;
        const char* shown;
    } forward[] = {
        {"Available", "Verbunden"},     {"Connected", "Verbunden"},
        {"Out To Lunch", "Beim Essen"}, {"On Vacation", "*|On Vacation|*"},
        {"Busy", "Beschäftigt"},        {"two\nlines", "two lines"},
    };
    for (const auto& c : forward) {
        EXPECT_EQ(operations.translatePresenceMessage(c.engine), c.shown) << c.engine;
    }
    const struct {
        const char* shown;
        const char* engine;
    } reverse[] = {
        {"Erreichbar", "Connected"}, {"Verbunden", "Connected"}, {"Beim Essen", "Out To Lunch"},
        {"Abwesend", "Away"},        {"Beschäftigt", "Busy"},    {"Lunch", "Lunch"},
    };
    for (const auto& c : reverse) {
        EXPECT_EQ(operations.translatePresenceMessageReverse(c.shown), c.engine) << c.shown;
    }
}

TEST_F(PresenceWordsTest, TheFeatureChoosesWhichOperationsTranslate) {
    ContactOperations::instance();
    PabContactOperations::instance();
    auto features = StartupService::instance().featuresService();

    features->setFeatureAvailable("allow_pab", false);
    EXPECT_EQ(currentPresenceMessageTranslator(), &ContactOperations::instance());
    EXPECT_EQ(translatePresenceMessage("Available"), "Erreichbar");
    EXPECT_EQ(translatePresenceMessageReverse("Erreichbar"), "Available");

    features->setFeatureAvailable("allow_pab", true);
    EXPECT_EQ(currentPresenceMessageTranslator(), &PabContactOperations::instance());
    EXPECT_EQ(translatePresenceMessage("Available"), "Verbunden");
    EXPECT_EQ(translatePresenceMessageReverse("Erreichbar"), "Connected");
}

} // namespace

namespace {

TEST(QuickContact, AnyLeadingSchemeAndPortAreCutOffTheAddress) {
    struct Case {
        std::string name, address, storedName, storedAddress;
    } cases[] = {
        {"", "sip:alice@example.com:5060", "alice", "alice@example.com"},
        {"", "sips:alice@example.com", "alice", "alice@example.com"},
        {"", "SIP:Bob@Example.com", "Bob", "Bob@Example.com"},
        {"", "tel:+15550100", "+15550100", "+15550100"},
        {"", "Tel:+15550100", "+15550100", "+15550100"},
        {"", "xmpp:carol@chat.example", "carol", "carol@chat.example"},
        {"", "dave@example.com:5061", "dave", "dave@example.com"},
        {"", "word", "word", "word"},
        {"Erin E.", "sip:erin@x", "Erin E.", "erin@x"},
    };
    for (const auto& c : cases) {
        const auto fields = ContactOperations::quickContactFields(c.name, c.address, "softphone");
        ASSERT_EQ(fields.size(), 2u);
        EXPECT_EQ(fields[0], (std::pair<std::string, std::string>{"displayName", c.storedName}))
            << c.address;
        EXPECT_EQ(fields[1], (std::pair<std::string, std::string>{"softphone", c.storedAddress}))
            << c.address;
    }
}

} // namespace
