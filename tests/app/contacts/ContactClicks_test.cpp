#include "app/contacts/ContactListController.h"
#include "app/contacts/ContactOperations.h"
#include "app/contacts/ContactWithGroup.h"
#include "app/core/SignInTestSupport.h"
#include "app/main_window/FunctionModuleController.h"
#include "engine/ConversationService.h"
#include "engine/OVContactManager.h"
#include "engine/OVIMService.h"
#include "engine/SettingBlock.h"

using namespace app_test;

namespace {

// Clicks, keys, row buttons and links of the demo user's contact list, on the test clock.
class ContactClicksTest : public SignInTest {
protected:
    void SetUp() override {
        SignInTest::SetUp();
        signInToMainView();
        ContactListController::setDoubleClickInterval(0.3);
        AppController::setURLOpener([this](const std::string& url) { opened.push_back(url); });
    }
    void TearDown() override {
        AppController::setURLOpener(nullptr);
        SignInTest::TearDown();
    }
    static ContactListController& list() {
        return *FunctionModuleController::sharedController().contactList();
    }
    // Selects the first row of the contact.
    static long select(std::string_view name) {
        auto& outline = list().contactOutlineView();
        for (long row = 0; row < outline.numberOfRows(); ++row) {
            auto item = std::dynamic_pointer_cast<ContactWithGroup>(outline.itemAtRow(row));
            if (item && item->contact()->displayName() == name) {
                outline.selectRow(row, false);
                return row;
            }
        }
        ADD_FAILURE() << "no row for " << name;
        return -1;
    }
    static bool extended(std::string_view name) {
        const auto& item = list().expandedItem();
        return item && item->contact()->displayName() == name;
    }
    static std::size_t calls() {
        return engine().phoneService()->getConversationService()->getAllConversations().size();
    }
    static void setDoubleClickAction(int action) {
        engine()
            .phoneService()
            ->getPreferenceSettings()
            ->sub("preferences")
            ->sub("application")
            ->sub("doubleClickAction")
            ->setValue(platform::Value(action), true);
    }
    std::vector<std::string> opened;
};

} // namespace

TEST_F(ContactClicksTest, ASingleClickWaitsForTheDoubleClickIntervalAndADoubleClickCancelsIt) {
    setDoubleClickAction(0);
    select("Dave Dunn");
    struct Step {
        const char* what;
        std::function<void()> act;
        bool extended;
        std::size_t calls;
    } steps[] = {
        {"a click does nothing yet", [] { list().rowClick(); }, false, 0},
        {"... until the interval and 0.025 s have passed", [] { runFor(0.33); }, true, 0},
        {"a second single click closes it again",
         [] {
             list().rowClick();
             runFor(0.4);
         },
         false, 0},
        {"a double click calls and leaves the row as it was",
         [] {
             select("Dave Dunn"); // closing the row deselected it
             list().rowClick();
             runFor(0.1);
             list().rowClick();
             list().rowDoubleClick();
             runFor(0.5);
         },
         false, 1},
    };
    for (const auto& step : steps) {
        step.act();
        EXPECT_EQ(extended("Dave Dunn"), step.extended) << step.what;
        EXPECT_EQ(calls(), step.calls) << step.what;
    }
}

TEST_F(ContactClicksTest, ALinkClickWaitsAndADoubleClickCancelsIt) {
    const auto dave = engine().phoneService()->getContactManager()->lookup(
        "", "sip:dave@sip.lumiq.example", "")[0];
    select("Dave Dunn");
    setDoubleClickAction(99); // a double click that does nothing itself
    const CellLink call("+15550100", "+15550100", std::string(OVField::fieldMobileNum),
                        OVField::fieldTypeVoiceVideo);
    list().linkClicked(call, *dave);
    runFor(0.1);
    list().rowDoubleClick();
    runFor(0.5);
    EXPECT_EQ(calls(), 0u) << "cancelled";
    list().linkClicked(call, *dave);
    runFor(0.4);
    EXPECT_EQ(calls(), 1u);
    EXPECT_FALSE(extended("Dave Dunn")) << "the link's row click does not toggle the row";
}

TEST_F(ContactClicksTest, TheDoubleClickActionSetting) {
    auto& ops = ContactOperations::instance();
    (void)ops;
    struct Case {
        int action;
        bool email;
        const char* contact;
        std::size_t calls;
        std::vector<std::string> opened;
    } cases[] = {
        {0, false, "Dave Dunn", 1, {}},
        {3, false, "Isabel Jones", 0, {}},
        {3, true, "Isabel Jones", 0, {"mailto:isabel@mail.lumiq.example"}},
        {7, true, "Dave Dunn", 0, {}},
    };
    for (const auto& c : cases) {
        engine().featuresService()->setFeatureAvailable("sendEmailEnabled", c.email);
        setDoubleClickAction(c.action);
        opened.clear();
        const auto before = calls();
        select(c.contact);
        list().rowDoubleClick();
        settle();
        EXPECT_EQ(calls() - before, c.calls) << c.action;
        EXPECT_EQ(opened, c.opened) << c.action;
    }
}

TEST(ContactLinkURLs, ValuesArePercentEncodedBeforeTheURLIsMade) {
    struct Case {
        std::string address;
        std::string url;
    } mail[] = {
        {"ann@example.com", "mailto:ann@example.com"},
        {"ann smith@example.com", "mailto:ann%20smith@example.com"},
        {"zoë@exämple.de", "mailto:zo%C3%AB@ex%C3%A4mple.de"},
    };
    for (const auto& c : mail)
        EXPECT_EQ(ContactListController::mailtoURL(c.address), c.url);
    Case web[] = {
        {"www.example.com/a b", "http://www.example.com/a%20b"},
        {"HTTPS://Example.com/x?y=1", "HTTPS://Example.com/x?y=1"},
        {"htt", "http://htt"},
        {"example.com/ä", "http://example.com/%C3%A4"},
    };
    for (const auto& c : web)
        EXPECT_EQ(ContactListController::webURL(c.address), c.url);
}

TEST_F(ContactClicksTest, CallButtonMenusFollowTheVideoSwitch) {
    auto frank = engine().phoneService()->getContactManager()->lookup(
        "", "sip:frank@sip.lumiq.example", "")[0];
    auto dave = engine().phoneService()->getContactManager()->lookup(
        "", "sip:dave@sip.lumiq.example", "")[0];
    for (bool video : {true, false}) {
        engine().featuresService()->setFeatureAvailable("allow_video", video);
        EXPECT_EQ(list().buttonHasMenu(CellButton::buttonTypeCall, *frank), video);
        EXPECT_TRUE(list().buttonHasMenu(CellButton::buttonTypeCall, *dave));
    }
    // The more button's menu is the edit menu of the pressed contact.
    const auto menu = list().menuForButton(CellButton::buttonTypeMoreMenu, *dave);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->itemAtIndex(0)->title(), "View/Edit Profile");
}
