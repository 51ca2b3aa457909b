#include "app/calls/VideoWindow.h"
#include "app/core/DockController.h"
#include "app/core/SignInTestSupport.h"
#include "app/main_window/ToolbarController.h"
#include "engine/AccountService.h"
#include "engine/CallHistoryService.h"
#include "engine/ConversationService.h"
#include "engine/OVConnectService.h"
#include "engine/PhoneStatusService.h"
#include "engine/SettingBlock.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/Slider.h"
#include "platform/kit/TextField.h"
#include "support/Notifications.h"
#include "widgets/QXImageButton.h"

#include <functional>
#include <map>

using namespace app_test;

namespace {

using T = ToolbarController;

// Signed in with the product's bundle or one whose "ToolBar" section a test rewrites.
class ToolbarTest : public SignInTest {
protected:
    static ToolbarController& toolbar() { return ToolbarController::sharedController(); }
    static QXImageButton& button(long tag) {
        QXImageButton* found = toolbar().button(tag);
        EXPECT_NE(found, nullptr) << "tag " << tag;
        return *found;
    }
    static std::string badge(long tag) { return button(tag).imageCell()->badgeText().string(); }
    static double badgeSize(long tag) {
        const auto& text = button(tag).imageCell()->badgeText();
        return text.empty() ? 0 : text.attributesAtIndex(0).effectiveFont().pointSize();
    }
    static std::shared_ptr<PhoneService> phone() { return engine().phoneService(); }

    // A bundle whose brand orders the toolbar so, and whose demo data is left alone.
    std::filesystem::path bundleWithOrder(const std::string& order, const std::string& more = {}) {
        const auto folder = copyBundle(tmp / ("toolbar-" + std::to_string(++bundles_)));
        auto brand = platform::Value::readPropertyListFile(folder / "brand.plist");
        platform::Value section = (*brand)["ToolBar"];
        section.setObject("buttonOrder", platform::Value(order));
        section.setObject("moreOptions", platform::Value(more));
        brand->setObject("ToolBar", std::move(section));
        EXPECT_TRUE(brand->writePropertyListFile(folder / "brand.plist"));
        return folder;
    }
    void signInAs(std::string_view user, std::string_view password) {
        launch();
        signIn(user, password);
        letTheEngineAnswer();
        runFor(1);
        settle();
        ASSERT_EQ(view(), "mainView");
    }
    // The toolbar strip gets this width, as when the user resizes the window.
    void resizeTo(double width) {
        platform::Window& w = *toolbar().theView()->window();
        w.setContentSize({width, w.contentView()->frame().height()});
        settle();
    }
    void setPhoneStatus(int value) {
        phone()->getPhoneStatusService()->status()->setValue(value);
        toolbar().updateToolbar();
    }

private:
    int bundles_ = 0;
};

TEST_F(ToolbarTest, ButtonsArePlacedByTheBrandsOrderAtEveryWidth) {
    // Every button of the strip is 30 points wide in the product's brand; a gap of 3 follows
    // each placed button, "sp" is 8 points and "fs" shares what is left. Positions are given
    // for a strip of width W.
    using Place = std::function<double(double W)>;
    const auto at = [](double x) -> Place { return [x](double) { return x; }; };
    const auto fromRight = [](double x) -> Place { return [x](double W) { return W - x; }; };
    struct Case {
        const char* order;
        std::map<long, Place> x; // by tag
        std::vector<long> hidden;
    };
    const Case cases[] = {
        // Flush right: the last button's trailing gap is not counted.
        {"1,fs,2", {{1, at(0)}, {2, fromRight(30)}}, {}},
        // Spaces after the last button do not take from the share.
        {"1,fs,2,sp,sp", {{1, at(0)}, {2, fromRight(30)}}, {}},
        // Two shares split the room; a space moves what follows.
        {"1,sp,2,fs,4,fs,5",
         {{1, at(0)},
          {2, at(41)},
          {4, [](double W) { return 74 + (W - 137) / 2; }},
          {5, fromRight(30)}},
         {}},
        // The pull button (feature off) is hidden: no room, no gap.
        {"12,1,12,2", {{1, at(0)}, {2, at(33)}}, {12}},
        // Buttons named nowhere are hidden at set-up.
        {"2,1", {{2, at(0)}, {1, at(33)}}, {3, 4, 5, 9, 10, 11, 12, 13}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.order);
        startClean(bundleWithOrder(c.order));
        signInToMainView();
        EXPECT_EQ(toolbar().buttonOrder(), c.order);
        for (long tag : c.hidden)
            EXPECT_TRUE(button(tag).isHidden()) << tag;
        // Laid out again at each size the window takes.
        for (double width : {340.0, 480.0}) {
            resizeTo(width);
            const double W = toolbar().theView()->bounds().width();
            for (const auto& [tag, x] : c.x) {
                EXPECT_FALSE(button(tag).isHidden()) << tag;
                EXPECT_DOUBLE_EQ(button(tag).frame().minX(), x(W)) << "tag " << tag << " W " << W;
                EXPECT_DOUBLE_EQ(button(tag).frame().minY(), 0) << "tag " << tag;
            }
        }
    }
}

TEST_F(ToolbarTest, TheNameIsCutToHalfTheStripAndThePopUpAndSliderFollow) {
    signInToMainView();
    resizeTo(340);
    const double W = toolbar().theView()->bounds().width();
    toolbar().setDisplayName("Alice Archer of the Very Long Name Department, Head Office");
    const platform::Rect name = toolbar().username()->frame();
    EXPECT_DOUBLE_EQ(name.width(), W / 2);
    const platform::Rect popUp = toolbar().status().frame();
    EXPECT_DOUBLE_EQ(popUp.minX(), name.maxX());
    EXPECT_DOUBLE_EQ(popUp.midY(), name.midY());
    EXPECT_LE(popUp.maxX(), toolbar().speakerMute()->frame().minX() - 20 + 0.001);
    const platform::Rect slider = toolbar().volumeSlider()->frame();
    EXPECT_DOUBLE_EQ(slider.maxX(), W);
    EXPECT_DOUBLE_EQ(toolbar().speakerMute()->frame().maxX(), slider.minX() - 2.5);
    // The row of buttons stays clear of the line above.
    EXPECT_GE(name.minY(), button(T::keyPadTag).frame().maxY());
}

TEST_F(ToolbarTest, BadgesShowTheCountsAndTheDock) {
    signInToMainView();
    auto& dock = DockController::sharedDockController();
    struct Voicemail {
        int reported;
        std::string shown;
        double size;
        unsigned dock;
    };
    for (const Voicemail& c :
         {Voicemail{0, "", 0, 0}, Voicemail{7, "7", 11.5, 7}, Voicemail{42, "42", 9.5, 42},
          Voicemail{150, "99", 9.5, 99}, Voicemail{-1, "*", 15.5, 1}}) {
        SCOPED_TRACE(c.reported);
        platform::NotificationCenter::defaultCenter().postNotificationName(
            VoiceMailCountNotification, nullptr,
            platform::Value(platform::Value::Dictionary{
                {std::string(VoiceMailCount), platform::Value(c.reported)}}));
        EXPECT_EQ(badge(T::messagesTag), c.shown);
        EXPECT_DOUBLE_EQ(badgeSize(T::messagesTag), c.size);
        EXPECT_EQ(dock.voicemailBadge().count(), c.dock);
    }

    const auto history = phone()->getCallHistoryService();
    struct Missed {
        int count;
        std::string shown;
        bool enabled;
    };
    for (const Missed& c : {Missed{0, "", false}, Missed{3, "3", true}, Missed{150, "150", true}}) {
        SCOPED_TRACE(c.count);
        history->setReviewedAll();
        for (int i = 0; i < c.count; ++i)
            history->addMissedCall();
        toolbar().updateToolbar();
        EXPECT_EQ(badge(T::missedCallsTag), c.shown);
        EXPECT_EQ(button(T::missedCallsTag).isEnabled(), c.enabled);
    }
}

TEST_F(ToolbarTest, ReadinessDecidesTheCallOptions) {
    signInToMainView();
    setFeatures({{"connectServiceEnabled", true}});
    const auto connect = phone()->getConnectService();
    struct Case {
        int status;
        bool hostedConnected;
        bool ready;
        bool connectEnabled;
    };
    // The hosted-service button is off only when the network is down.
    for (const Case c :
         {Case{4, false, true, true}, Case{2, false, true, true}, Case{1, false, false, true},
          Case{5, false, false, true}, Case{6, false, false, true}, Case{7, false, false, true},
          Case{8, false, false, false}, Case{7, true, true, true}, Case{1, true, true, true},
          Case{8, true, false, false}}) {
        SCOPED_TRACE(testing::Message()
                     << "status " << c.status << " hosted " << c.hostedConnected);
        connect->setConnected(c.hostedConnected);
        setPhoneStatus(c.status);
        EXPECT_EQ(toolbar().isPhoneReady(), c.ready);
        for (long tag : {T::autoAnswerTag, T::anonymousTag})
            EXPECT_EQ(button(tag).isEnabled(), c.ready) << tag;
        EXPECT_EQ(button(T::connectTag).isEnabled(), c.connectEnabled);
    }

    // The options' states follow the engine once the phone is ready.
    connect->setConnected(false);
    setPhoneStatus(4);
    phone()->getConversationService()->setAnonymous(true);
    runFor(0.1);
    settle();
    EXPECT_EQ(button(T::anonymousTag).state(), platform::OnState);
    EXPECT_EQ(button(T::autoAnswerTag).state(), platform::OffState);
}

TEST_F(ToolbarTest, TheAccountsButtonNeedsTwoCallAccounts) {
    signInToMainView(); // one SIP account
    EXPECT_TRUE(button(T::accountsTag).isHidden());

    startClean();
    signInAs("dave", "diver");
    EXPECT_FALSE(button(T::accountsTag).isHidden());
    EXPECT_TRUE(button(T::accountsTag).isEnabled());

    // A failed account is still counted, but only enabled ones make the button usable.
    Scenario().accountFails("Dave (Office)", OVAccountFailureCause::failureServerNotAvailable);
    runFor(1);
    settle();
    toolbar().updateToolbar();
    EXPECT_FALSE(button(T::accountsTag).isHidden());
    EXPECT_FALSE(button(T::accountsTag).isEnabled());

    // Its menu offers the engine's choice and the enabled call accounts.
    Scenario().accountRecovers("Dave (Office)");
    runFor(1);
    settle();
    std::vector<std::string> titles;
    platform::Menu::setTrackingHook([&](platform::Menu& menu) {
        for (const auto& item : menu.itemArray())
            titles.push_back(item->title());
        menu.finishTrackingWithItem(menu.itemArray().back().get());
    });
    toolbar().tryToPerform("selectAccounts:", &button(T::accountsTag));
    platform::Menu::setTrackingHook({});
    EXPECT_EQ(titles, (std::vector<std::string>{"Automatic", "Dave (Home)", "Dave (Office)"}));
    EXPECT_EQ(phone()->getConversationService()->accountForCall()->accountName(), "Dave (Office)");
    EXPECT_EQ(button(T::accountsTag).state(), platform::OffState);
}

TEST_F(ToolbarTest, VoicemailCallsTheOneBoxOrAsksWhichOne) {
    signInToMainView(); // the session reports 2 new voicemails of Alice's SIP account
    const auto calls = phone()->getConversationService();
    ASSERT_EQ(toolbar().callableVoicemailAccounts().size(), 1u);
    EXPECT_TRUE(button(T::messagesTag).isEnabled());
    bool menuShown = false;
    platform::Menu::setTrackingHook([&](platform::Menu& menu) {
        menuShown = true;
        menu.cancelTracking();
    });
    toolbar().tryToPerform("voicemailPressed:", &button(T::messagesTag));
    EXPECT_FALSE(menuShown);
    ASSERT_EQ(calls->getAllConversations().size(), 1u);
    EXPECT_EQ(calls->getAllConversations().front()->participants().front()->address(),
              "sip:voicemail@sip.lumiq.example");
    calls->endAll();
    runFor(1);
    settle();

    startClean();
    signInAs("dave", "diver");
    Scenario().voiceMail("Dave (Home)", 1);
    Scenario().voiceMail("Dave (Office)", 4);
    runFor(0.1);
    settle();
    std::vector<std::string> titles;
    platform::Menu::setTrackingHook([&](platform::Menu& menu) {
        for (const auto& item : menu.itemArray())
            titles.push_back(item->title());
        menu.finishTrackingWithItem(menu.itemArray().back().get());
    });
    toolbar().tryToPerform("voicemailPressed:", &button(T::messagesTag));
    platform::Menu::setTrackingHook({});
    EXPECT_EQ(titles,
              (std::vector<std::string>{"Dave (Home) - (1 new)", "Dave (Office) - (4 new)"}));
    const auto placed = phone()->getConversationService()->getAllConversations();
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(placed.front()->participants().front()->address(),
              "sip:office-voicemail@sip.lumiq.example");
    EXPECT_EQ(button(T::messagesTag).state(), platform::OffState);
    phone()->getConversationService()->endAll();
    runFor(1);
    settle();

    // No new messages and no "show always": nothing to call, the button is off.
    Scenario().voiceMail("Dave (Home)", 0);
    Scenario().voiceMail("Dave (Office)", 0);
    runFor(0.1);
    settle();
    toolbar().updateToolbar();
    EXPECT_FALSE(button(T::messagesTag).isEnabled());
    setFeatures({{"show_voicemail_always", true}});
    toolbar().updateToolbar();
    EXPECT_TRUE(button(T::messagesTag).isEnabled());
}

TEST_F(ToolbarTest, SpeakerMuteAndVolumeDriveTheEngineAndTheImage) {
    signInToMainView();
    platform::Button& mute = *toolbar().speakerMute();
    platform::Slider& slider = *toolbar().volumeSlider();

    slider.setIntValue(80);
    toolbar().tryToPerform("speakerVolumeChange:", &slider);
    EXPECT_EQ(phone()->speakerVolume(), 80);

    mute.setState(platform::OnState);
    toolbar().tryToPerform("toggleSpeakerMute:", &mute);
    runFor(0.1);
    settle();
    EXPECT_TRUE(phone()->speakerMuted());
    EXPECT_FALSE(slider.isEnabled());
    EXPECT_EQ(mute.image()->name(), "speakerVolume_0");

    mute.setState(platform::OffState);
    toolbar().tryToPerform("toggleSpeakerMute:", &mute);
    runFor(0.1);
    settle();
    EXPECT_FALSE(phone()->speakerMuted());
    EXPECT_TRUE(slider.isEnabled());
    EXPECT_EQ(slider.intValue(), 80);
}

TEST(ToolbarIndicator, TheLevelDotFillsTheGreyDiscAtFullLevel) {
    auto base = std::make_shared<platform::Image>(platform::Size{20, 20});
    // The dot's square sits at the image's lower left corner (y from the bottom).
    const auto centre = [](const platform::Image& image) { return image.colorAt(5, 15); };
    const auto full = ToolbarController::drawIndicator(*base, 100);
    const auto none = ToolbarController::drawIndicator(*base, 0);
    const platform::Color green = centre(*full);
    const platform::Color grey = centre(*none);
    EXPECT_GT(green.greenComponent(), green.redComponent() + 0.3);
    EXPECT_NEAR(grey.redComponent(), grey.greenComponent(), 0.01);
    // Level 100 reaches the disc's edge; level 50 leaves a ring of grey.
    const auto half = ToolbarController::drawIndicator(*base, 50);
    EXPECT_GT(full->colorAt(1, 15).greenComponent(), full->colorAt(1, 15).redComponent() + 0.2);
    EXPECT_NEAR(half->colorAt(1, 15).greenComponent(), half->colorAt(1, 15).redComponent(), 0.05);
}

// The pop-up says "Offline" until the engine is ready; then it shows the user's presence.
TEST_F(ToolbarTest, OnceSignedInThePresencePopUpShowsTheUsersPresenceNotOffline) {
    signInToMainView();
    runFor(1);
    settle();
    EXPECT_TRUE(toolbar().status().isEnabled());
    EXPECT_EQ(toolbar().status().titleOfSelectedItem(), "Available");
}

TEST_F(ToolbarTest, TheDialpadStateIsRestoredFromTheSettings) {
    signInToMainView();
    const auto setting = phone()
                             ->getPreferenceSettings()
                             ->sub("preferences")
                             ->sub("application")
                             ->sub("dialpadExpanded");
    EXPECT_EQ(button(T::keyPadTag).state(), platform::OffState);
    button(T::keyPadTag).setState(platform::OnState);
    toolbar().saveUserSetting();
    EXPECT_TRUE(setting->boolSetting());
    const auto before = PrimaryModuleController::sharedController().performedCommands().size();
    toolbar().restoreUserInterfaceStateUsingOVSettings();
    EXPECT_EQ(button(T::keyPadTag).state(), platform::OnState);
    const auto& after = PrimaryModuleController::sharedController().performedCommands();
    ASSERT_GT(after.size(), before);
    EXPECT_EQ(after.back(), "toggleDialpad:");
}

TEST_F(ToolbarTest, ThePresenceMenuRebuiltUnderTheCustomSheetLeavesNoStaleItem) {
    signInToMainView();
    auto& primary = PrimaryModuleController::sharedController();
    const auto choose = [&](platform::MenuItem* item) {
        ASSERT_NE(item, nullptr);
        controller().presenceChanged(item);
        runFor(1);
        settle();
    };
    choose(toolbar().setCustomStatusMenuItem());
    ASSERT_TRUE(primary.customPresenceSheetVisible());

    // The contact stack changes while the sheet is up: the menu is rebuilt from empty and the
    // custom-status item it had is gone.
    setFeatures({{"allow_pab", true}});
    toolbar().updatePresenceMenuItems();
    EXPECT_EQ(toolbar().presenceMenuOption(), 2);
    EXPECT_EQ(toolbar().setCustomStatusMenuItem(), nullptr);
    primary.customPresenceCancel(nullptr);
    settle();
    EXPECT_FALSE(primary.customPresenceSheetVisible());

    // Back on the generic stack, the sheet's end turns the new item off.
    setFeatures({{"allow_pab", false}});
    toolbar().updatePresenceMenuItems();
    platform::MenuItem* setCustom = toolbar().setCustomStatusMenuItem();
    choose(setCustom);
    ASSERT_TRUE(primary.customPresenceSheetVisible());
    setCustom->setState(platform::OnState);
    primary.customPresenceCancel(nullptr);
    settle();
    EXPECT_EQ(setCustom->state(), platform::OffState);
}

TEST_F(ToolbarTest, TheCameraButtonShowsAndClosesTheVideoWindowAndFollowsIt) {
    signInToMainView();
    QXImageButton& camera = button(T::cameraTag);
    VideoWindow& window = VideoWindow::sharedVideoWindow();
    const auto press = [&](platform::Object* sender) {
        controller().performEventHubAction("toggleVideo:", sender);
        runFor(1);
        settle();
    };

    // The button asks for the state it shows, even when the window already is so.
    for (int i = 0; i < 2; ++i) {
        camera.setState(platform::OnState);
        press(&camera);
        EXPECT_TRUE(window.isVisible());
    }
    camera.setState(platform::OffState);
    press(&camera);
    EXPECT_FALSE(window.isVisible());

    // A menu item turns the window over; the button follows the window either way.
    platform::MenuItem item("Turn on video display", "toggleVideo:", "");
    press(&item);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(camera.state(), platform::OnState);
    press(&item);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(camera.state(), platform::OffState);

    // The toolbar going first leaves the window nothing to call.
    ToolbarController::releaseSharedController();
    EXPECT_EQ(window.toolBar(), nullptr);
    window.orderFront(nullptr);
    window.close();
}

} // namespace
