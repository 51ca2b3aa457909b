#include "app/core/SignInTestSupport.h"
#include "app/main_window/PhoneNumberFormatter.h"
#include "engine/OVContactManager.h"
#include "engine/SimulatedNetwork.h"
#include "widgets/QXBezierComboButton.h"

#include <algorithm>

using namespace app_test;

namespace {

// The application signed in as the demo user, with the primary module set up: tests type into
// the call entry field through the headless screen.
class PrimaryModuleTest : public SignInTest {
protected:
    static PrimaryModuleController& primary() {
        return PrimaryModuleController::sharedController();
    }
    static std::shared_ptr<PhoneService> phone() { return engine().phoneService(); }
    static SimulatedNetwork* network() { return Scenario(engine()).network(); }
    static QXSearchField& field() { return *primary().getCallEntryField(); }
    std::vector<std::string> placedCalls() const {
        std::vector<std::string> calls;
        for (const auto& request : network()->requests())
            if (request.rfind("call ", 0) == 0 || request.rfind("videoCall ", 0) == 0)
                calls.push_back(request);
        return calls;
    }
    static std::vector<std::string> suggestionNames() {
        std::vector<std::string> names;
        for (const auto& item : primary().suggestions())
            names.push_back(item->getSpaceItem()->display());
        return names;
    }
    // Counts the engine's echoes of the entered number.
    struct EchoCounter : OVNumberEntryModelPro {
        void ovmdNumberEntryPropertyChanged(const std::string& name) override {
            if (name == OVNumberEntryModel::numberEnteredProperty)
                ++echoes;
        }
        int echoes = 0;
    };
};

TEST_F(PrimaryModuleTest, TypedNameOffersContactsAndHistoryAndReturnCallsThePickedOneByDefault) {
    signInToMainView();
    ContactRecord bob{"Bob Builder", {{"softphone", "sip:bob@sip.lumiq.example"}}, {"Work"}, {}};
    ASSERT_EQ(std::get<int>(phone()->getContactManager()->importRecords({bob}, false, false)), 1);
    CallHistoryRecord past;
    past.address = "sip:bobby@elsewhere.example";
    past.display = "Bobby Tables";
    phone()->getCallHistoryService()->addCall(past);
    network()->clearRequests();

    // The default call action is video: the dial button says so and Return places one.
    primary().contextSetVideoCallAsDefault(nullptr);
    EXPECT_EQ(primary().dialButton()->title(), "Video call");

    ASSERT_TRUE(field().isEnabled()) << "the engine allows new calls";
    click(field());
    screen->typeText("bo");
    settle();
    EXPECT_EQ(suggestionNames(), (std::vector<std::string>{"Bob Builder", "Bobby Tables"}));
    EXPECT_TRUE(field().isDropDownVisible());

    // Down selects the first row and Return picks it: the engine fills the entry with it.
    screen->key(platform::DownArrowFunctionKey);
    screen->key(U'\r');
    settle();
    EXPECT_FALSE(field().isDropDownVisible());
    EXPECT_EQ(field().stringValue(), "bob@sip.lumiq.example");
    ASSERT_TRUE(field().itemString().has_value());
    EXPECT_NE(field().itemString()->string().find("Bob Builder"), std::string::npos);
    EXPECT_TRUE(placedCalls().empty()) << "picking does not call yet";

    screen->key(U'\r');
    settle();
    ASSERT_EQ(placedCalls().size(), 1u);
    EXPECT_EQ(placedCalls().front().rfind("videoCall call-", 0), 0u) << placedCalls().front();
    EXPECT_NE(placedCalls().front().find("sip:bob@sip.lumiq.example"), std::string::npos);
    EXPECT_EQ(field().stringValue(), "") << "the engine empties the entry once the call is placed";
}

TEST_F(PrimaryModuleTest, DigitsTypedEchoOnceEachAndTheDialButtonPlacesTheCall) {
    signInToMainView();
    EchoCounter counter;
    primary().numberEntryModel()->setDelegate(&counter);
    network()->clearRequests();
    click(field());
    for (char digit : std::string("5551234")) {
        screen->key(static_cast<char32_t>(digit));
        settle();
    }
    EXPECT_EQ(counter.echoes, 7) << "one echo a keystroke, none for the echo itself";
    EXPECT_EQ(field().stringValue(), "5551234");
    EXPECT_EQ(primary().numberEntryModel()->numberEntered(), "5551234");
    EXPECT_FALSE(phone()->getDTMFService()->isPlayingTone()) << "released keys stop their tone";

    click(*primary().dialButton());
    settle();
    ASSERT_EQ(placedCalls().size(), 1u);
    EXPECT_EQ(placedCalls().front().rfind("call call-", 0), 0u) << placedCalls().front();
    EXPECT_NE(placedCalls().front().find("5551234"), std::string::npos);
    primary().numberEntryModel()->removeDelegate(&counter);
}

TEST_F(PrimaryModuleTest, DefaultCallActionIsRestoredMigratedAndRewritten) {
    platform::UserDefaults::standardUserDefaults().setObject("mainPhone.videoCallAsDefault",
                                                             platform::Value(true));
    signInToMainView();
    EXPECT_EQ(primary().defaulCallMethod(), 1) << "the old choice is converted";
    EXPECT_TRUE(platform::UserDefaults::standardUserDefaults()
                    .objectForKey("mainPhone.videoCallAsDefault")
                    .isNull());
    auto setting = phone()
                       ->getPreferenceSettings()
                       ->sub("preferences")
                       ->sub("application")
                       ->sub("defaultCallAction");
    EXPECT_EQ(setting->longSetting(), 1);

    setting->setLongSetting(7, true);
    primary().restoreUserInterfaceStateUsingOVSettings();
    EXPECT_EQ(primary().defaulCallMethod(), 2);
    EXPECT_EQ(setting->longSetting(), 2);
    EXPECT_EQ(primary().dialButton()->title(), "Conference call");
}

TEST_F(PrimaryModuleTest, FieldIsDisabledAndEchoesAreDroppedWhileNoCallIsAllowed) {
    signInToMainView();
    Scenario(engine()).dropNetwork();
    settle();
    EXPECT_FALSE(field().isEnabled());
    primary().numberEntryModel()->setNumberEntered("5551234");
    settle();
    EXPECT_EQ(primary().numberEntryModel()->numberEntered(), "")
        << "an echo while calls are not allowed clears the number";
    EXPECT_EQ(field().stringValue(), "");
}

TEST_F(PrimaryModuleTest, MessageAreaGrowsTheModuleAndHidesAfterTwoSeconds) {
    signInToMainView();
    auto& module = primary();
    const double entryHeight = module.views().front()->frame().height();
    module.setStatusMessage(platform::AttributedString("One\nTwo\nThree", {}));
    ASSERT_EQ(module.views().size(), 2u);
    EXPECT_EQ(module.views()[1].get(), module.messageView());
    EXPECT_GT(module.messageView()->frame().height(), 15.0);
    EXPECT_DOUBLE_EQ(module.theView()->frame().height(),
                     entryHeight + module.messageView()->frame().height());

    // The first empty message keeps the area for 2 seconds; after that they go at once.
    module.setStatusMessage(platform::AttributedString());
    EXPECT_EQ(module.views().size(), 2u);
    runFor(2.1);
    EXPECT_EQ(module.views().size(), 1u);
    EXPECT_DOUBLE_EQ(module.theView()->frame().height(), entryHeight);
    module.setStatusMessage(platform::AttributedString("Back", {}));
    EXPECT_EQ(module.views().size(), 2u);
    module.setStatusMessage(platform::AttributedString());
    EXPECT_EQ(module.views().size(), 1u);
}

TEST(PhoneNumberFormatter, GroupsNorthAmericanNumbersAndReadsThemBack) {
    const struct {
        const char* typed;
        const char* shown;
        const char* decorators;
        const char* readBack;
    } cases[] = {
        {"4165551234", "(416) 555-1234", "( )-", "4165551234"},
        {"14165551234", "+1 (416) 555-1234", "+( )-", "14165551234"},
        {"+14165551234", "+1 (416) 555-1234", "( )-", "+14165551234"},
        {"41655", "(416) 55", "( )", "41655"},
        {"  4165551234 ", "(416) 555-1234", "( )-", "4165551234"},
        {"4165", "4165", "", "4165"},
        {"416-555-1234", "416-555-1234", "", "416-555-1234"},
        {"+44 20 7946 0958", "+44 20 7946 0958", "", "+44 20 7946 0958"},
        {"Bob", "Bob", "", "Bob"},
        {"41655512345", "41655512345", "", "41655512345"},
        {" 4165 ", " 4165 ", "", " 4165 "},
    };
    for (const auto& c : cases) {
        PhoneNumberFormatter formatter;
        EXPECT_EQ(formatter.stringForObjectValue(platform::Value(c.typed)), c.shown) << c.typed;
        EXPECT_EQ(formatter.decorators(), c.decorators) << c.typed;
        platform::Value read;
        EXPECT_TRUE(formatter.getObjectValue(&read, c.shown, nullptr));
        EXPECT_EQ(read.stringValue(), c.readBack) << c.typed;
    }
    PhoneNumberFormatter formatter;
    EXPECT_EQ(formatter.stringForObjectValue(platform::Value(42)), std::nullopt);
    EXPECT_EQ(PhoneNumberFormatter::flatten("(905) 555-9876"), "9055559876");
    EXPECT_EQ(PhoneNumberFormatter::flatten("1-800-FLOWERS"), "1-800-FLOWERS");
    EXPECT_EQ(PhoneNumberFormatter::flatten(""), "");
}

} // namespace
