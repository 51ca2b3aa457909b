#include "app/core/SignInTestSupport.h"
#include "app/messaging/FakeIdleTime.h"
#include "app/main_window/ToolbarController.h"
#include "engine/PresenceService.h"
#include "engine/SettingBlock.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Application.h"
#include "platform/kit/Panel.h"
#include "platform/kit/PopUpButton.h"

using namespace app_test;

namespace {

// Signed in as the demo user, with presence allowed: tests choose statuses from the toolbar's
// pop-up and read what the engine was told to publish.
class PresenceTest : public SignInTest {
protected:
    void signInToMainView() {
        SignInTest::signInToMainView();
        ASSERT_TRUE(presence()->presenceAllowed());
    }
    void TearDown() override {
        platform::Alert::setPresentationHook({});
        SignInTest::TearDown();
    }
    static PrimaryModuleController& primary() {
        return PrimaryModuleController::sharedController();
    }
    static std::shared_ptr<PresenceService> presence() {
        return engine().phoneService()->getPresenceService();
    }
    static std::shared_ptr<OVSelfPresence> self() { return presence()->getSelfPresence(); }
    static platform::PopUpButton& popUp() { return ToolbarController::sharedController().status(); }
    static platform::MenuItem* item(long tag) { return popUp().menu()->itemWithTag(tag); }
    static std::optional<int> published() {
        const auto status = self()->publishedStatus();
        return status ? std::optional<int>(static_cast<int>(*status)) : std::nullopt;
    }
    // Chooses the item as the pop-up's action does, and lets the engine answer.
    void choose(platform::MenuItem* chosen) {
        ASSERT_NE(chosen, nullptr);
        controller().presenceChanged(chosen);
        runFor(1);
        settle();
    }
    // Alerts shown as sheets from now on, to answer with answerAlert.
    void watchAlerts() {
        platform::Alert::setPresentationHook([this](platform::Alert& alert) { alert_ = &alert; });
    }
    bool alertShown() const { return alert_ != nullptr; }
    void answerAlert(std::size_t button) {
        ASSERT_NE(alert_, nullptr);
        platform::Alert* alert = alert_;
        alert_ = nullptr;
        alert->pressButtonForTesting(button);
        runFor(1);
        settle();
    }
    static std::shared_ptr<SettingBlock> applicationSettings() {
        return engine().phoneService()->getPreferenceSettings()->sub("preferences")->sub(
            "application");
    }

private:
    platform::Alert* alert_ = nullptr;
};

TEST_F(PresenceTest, StatusesThatSilenceCallsAskFirstAndNoLeavesThePresenceAsItWas) {
    signInToMainView();
    setFeatures({{"dnd_presence", true},
                 {"not_available_for_calls_presence", true},
                 {"dnd_state_reject_calls", true},
                 {"nafc_state_reject_calls", true}});
    ToolbarController::sharedController().updatePresenceMenuItems();
    watchAlerts();
    auto& defaults = platform::UserDefaults::standardUserDefaults();

    choose(item(1)); // busy: no question
    EXPECT_FALSE(alertShown());
    EXPECT_EQ(published(), 1);
    EXPECT_EQ(defaults.integerForKey("mainPhone.presence.status"), 1);

    struct Case {
        long tag;
        std::size_t answer; // 0 Yes, 1 No
        int publishedAfter;
    };
    for (const Case c : {Case{6, 1, 1}, Case{6, 0, 6}, Case{5, 1, 6}, Case{5, 0, 5}}) {
        SCOPED_TRACE(testing::Message() << "tag " << c.tag << " answer " << c.answer);
        choose(item(c.tag));
        ASSERT_TRUE(alertShown());
        answerAlert(c.answer);
        EXPECT_EQ(published(), c.publishedAfter);
        EXPECT_EQ(defaults.integerForKey("mainPhone.presence.status"), c.publishedAfter);
    }

    // Do not disturb while already in it does not ask again.
    choose(item(6));
    answerAlert(0);
    ASSERT_EQ(published(), 6);
    choose(item(6));
    EXPECT_FALSE(alertShown());
    EXPECT_EQ(published(), 6);
}

TEST_F(PresenceTest, TheCustomSheetSetsAStatusWithTheUsersOwnText) {
    signInToMainView();
    platform::TextField& text = *primary().customPresenceTextField();
    platform::PopUpButton& sheetStatus = *primary().customPresencePopupButton();
    platform::Button& ok = *primary().customPresenceOKButton();

    choose(ToolbarController::sharedController().setCustomStatusMenuItem());
    ASSERT_TRUE(primary().customPresenceSheetVisible());

    // Names of statuses the menu shows, and the idle word, cannot be custom texts.
    for (const auto& [typed, allowed] : std::vector<std::pair<std::string, bool>>{
             {"Busy", false}, {"Idle", false}, {"  Busy  ", false}, {"busy", true},
             {"", true}, {"At the dentist", true}}) {
        SCOPED_TRACE(typed);
        text.setStringValue(typed);
        primary().textChanged({});
        EXPECT_EQ(ok.isEnabled(), allowed);
    }

    text.setStringValue("  At the dentist\n");
    sheetStatus.selectItemWithTag(1);
    primary().customPresenceOK(nullptr);
    runFor(1);
    settle();
    EXPECT_FALSE(primary().customPresenceSheetVisible());
    platform::MenuItem* custom = primary().customStatusMenuItem();
    ASSERT_NE(custom, nullptr);
    EXPECT_FALSE(custom->isHidden());
    EXPECT_EQ(custom->title(), "At the dentist");
    EXPECT_EQ(custom->tag(), 1);
    EXPECT_EQ(popUp().menu()->itemArray().back().get(), custom) << "the custom item stands last";
    EXPECT_EQ(published(), 1);
    EXPECT_EQ(self()->publishedMessage(), "At the dentist");
    ASSERT_EQ(presence()->getCustomPresences().size(), 1u);
    EXPECT_EQ(presence()->getCustomPresences().front()->message(), "At the dentist");
    EXPECT_EQ(platform::UserDefaults::standardUserDefaults().stringForKey(
                  "mainPhone.presence.message"),
              "At the dentist");

    // OK with no text clears the custom status and applies the status chosen on the sheet.
    choose(ToolbarController::sharedController().setCustomStatusMenuItem());
    EXPECT_EQ(text.stringValue(), "At the dentist") << "the sheet opens on the shown custom text";
    text.setStringValue("");
    sheetStatus.selectItemWithTag(2);
    primary().customPresenceOK(nullptr);
    runFor(1);
    settle();
    EXPECT_TRUE(custom->isHidden());
    EXPECT_TRUE(presence()->getCustomPresences().empty());
    EXPECT_EQ(published(), 2);

    // Cancel changes nothing.
    choose(ToolbarController::sharedController().setCustomStatusMenuItem());
    text.setStringValue("Gone fishing");
    primary().customPresenceCancel(nullptr);
    runFor(1);
    settle();
    EXPECT_EQ(published(), 2);
    EXPECT_TRUE(presence()->getCustomPresences().empty());
}

TEST_F(PresenceTest, IdlenessMakesAnAvailableUserIdleUntilInputComesBack) {
    auto source = std::make_shared<FakeIdleTime>();
    struct Case {
        long chosenTag;
        int publishedWhileIdle;
        bool awayReadsIdle;
    };
    signInToMainView();
    primary().setIdleTimeSource(source);
    applicationSettings()->sub("enableIdleTimer")->setBoolSetting(true, true);
    applicationSettings()->sub("setIdleTimer")->setLongSetting(0, true);
    for (const Case c : {Case{0, 3, true}, Case{1, 1, false}}) {
        SCOPED_TRACE(c.chosenTag);
        source->units = 0;
        choose(item(c.chosenTag));
        primary().refreshIdleInterval();
        EXPECT_EQ(applicationSettings()->sub("setIdleTimer")->longSetting(), 10)
            << "no interval means ten minutes";
        ASSERT_TRUE(primary().idleTimer());
        const std::string chosenMessage = self()->publishedMessage();

        source->units = 599;
        runFor(598);
        EXPECT_EQ(published(), static_cast<int>(c.chosenTag)) << "not idle before ten minutes";
        source->units = 601;
        runFor(3);
        settle();
        EXPECT_EQ(published(), c.publishedWhileIdle);
        platform::MenuItem* away = ToolbarController::sharedController().idleAwayMenuItem();
        ASSERT_NE(away, nullptr);
        EXPECT_EQ(away->title(), c.awayReadsIdle ? "Idle" : "Away");
        if (c.awayReadsIdle)
            EXPECT_EQ(self()->publishedMessage(), "Idle");

        source->units = 0;
        runFor(2);
        settle();
        EXPECT_EQ(published(), static_cast<int>(c.chosenTag)) << "the saved status comes back";
        EXPECT_EQ(self()->publishedMessage(), chosenMessage);
        EXPECT_EQ(away->title(), "Away");
        EXPECT_EQ(platform::UserDefaults::standardUserDefaults().integerForKey(
                      "mainPhone.presence.status"),
                  c.chosenTag)
            << "idling leaves the remembered choice alone";
    }
}

TEST_F(PresenceTest, AnEmptyReportedMessageRepublishesAvailable) {
    signInToMainView();
    choose(item(1));
    ASSERT_EQ(published(), 1);
    self()->setStatus(2);
    self()->setMessage("");
    primary().selfPresenceChanged(self());
    runFor(1);
    settle();
    EXPECT_EQ(published(), 0);
    EXPECT_EQ(popUp().titleOfSelectedItem(), item(0)->title());
}

} // namespace
