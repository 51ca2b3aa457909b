#include "app/calls/ConversationViewController.h"
#include "app/calls/LayerMenuItem.h"
#include "app/calls/VideoController.h"
#include "app/calls/VideoView.h"
#include "app/calls/VideoWindow.h"
#include "app/core/SignInTestSupport.h"
#include "engine/CocoaCAOpenGLLayer.h"
#include "platform/kit/Event.h"
#include "platform/kit/Panel.h"
#include "platform/layers/TextLayer.h"
#include "widgets/QXImageButton.h"

#include <filesystem>

using namespace app_test;

namespace {

const std::string bob = "sip:bob@sip.lumiq.example";

// The signed-in application with the shared video window; the camera is the test picture.
class VideoWindowTest : public SignInTest {
protected:
    void TearDown() override {
        VideoWindow::sharedVideoWindowRelease();
        SignInTest::TearDown();
    }
    void signIn() {
        signInToMainView();
        phone()->getLocalVideoService()->setDevicePaths({});
    }
    static std::shared_ptr<PhoneService> phone() { return engine().phoneService(); }
    static VideoWindow& window() { return VideoWindow::sharedVideoWindow(); }
    static VideoView& view() { return *window().videoView(); }
    static bool cameraRunning() { return phone()->getLocalVideoService()->started(); }
    // A point of the view in window coordinates.
    static platform::Point inWindow(platform::Point point) {
        return view().convertPointToView(point, nullptr);
    }
    // The centre of button `index` of a menu layer, in the view's coordinates.
    static platform::Point menuButton(platform::Layer& menu, std::size_t index, std::size_t count) {
        const platform::Rect frame = menu.frame();
        const double x = frame.width() / static_cast<double>(count) * (index + 0.5);
        return menu.convertPointToLayer({x, frame.height() / 2}, nullptr);
    }
    void moveMouse(platform::Point point) {
        view().mouseMoved(platform::Event::mouseEvent(platform::EventType::MouseMoved,
                                                      inWindow(point), 0, &window()));
    }
    // Answers Bob's incoming video call from its panel's video button.
    std::shared_ptr<Conversation> answerVideoCall() {
        Scenario().incomingCall(bob, "Bob", true);
        settle();
        auto& panel = *CallModuleController::sharedController().panels().at(0);
        click(*panel.outlets().answerVideo);
        settle();
        runFor(0.05);
        return panel.conversation();
    }
    // A brand whose "VideoWindow" section is `section`.
    void startWithVideoSection(platform::Value::Dictionary section) {
        const auto folder = copyBundle(tmp / "bundle-video");
        auto brand = platform::Value::readPropertyListFile(folder / "brand.plist");
        brand->setObject("VideoWindow", platform::Value(std::move(section)));
        ASSERT_TRUE(brand->writePropertyListFile(folder / "brand.plist"));
        startClean(folder);
    }
};

TEST_F(VideoWindowTest, AnsweredVideoCallShowsTheWindowWithMovingPicturesAndStatistics) {
    signIn();
    auto call = answerVideoCall();
    ASSERT_TRUE(VideoWindow::videoWindowExist());
    ASSERT_TRUE(window().isVisible());
    EXPECT_EQ(window().title(), "Video call with Bob");
    EXPECT_TRUE(cameraRunning());
    EXPECT_TRUE(view().hasRemote());
    EXPECT_FALSE(view().remoteWaitingLayer().isHidden()) << "waiting for the first pictures";

    // Pictures flow into both panes at 30 a second and the waiting texts fade away.
    const auto remote = view().remoteLayer();
    const auto local = view().localLayer();
    const auto remoteBefore = remote->framesRendered();
    const auto picture = window().snapshot();
    runFor(1.0);
    EXPECT_NEAR(static_cast<double>(remote->framesRendered() - remoteBefore), 30, 2);
    EXPECT_GT(local->framesRendered(), 20u);
    runFor(2.5);
    EXPECT_TRUE(view().remoteWaitingLayer().isHidden());
    EXPECT_TRUE(view().localWaitingLayer().isHidden());
    const auto later = window().snapshot();
    const auto centre = view().remotePane().frame().center();
    EXPECT_NE(picture->colorAt(static_cast<int>(centre.x), static_cast<int>(centre.y)),
              later->colorAt(static_cast<int>(centre.x), static_cast<int>(centre.y)))
        << "the far end's picture moves";

    // The picture-in-picture: a third of the view, at the bottom left inside the margins.
    const double m = 6.665;
    const auto size = view().bounds().size;
    const auto pip = view().localPane().frame();
    EXPECT_NEAR(pip.width(), 0.33 * size.width, 0.01);
    EXPECT_NEAR(pip.height(), 0.33 * size.height, 0.01);
    EXPECT_NEAR(pip.minX(), 5 + m, 0.01);
    EXPECT_NEAR(pip.minY(), 10, 0.01);

    // The statistics strips say what comes and what is shown, refreshed every 0.3 s.
    const std::string remoteShown = std::to_string(static_cast<int>(size.width - 2 * m)) + "x" +
                                    std::to_string(static_cast<int>(size.height - 10));
    EXPECT_EQ(view().remoteInfoText(),
              "Remote Video (4:3): received (640x480 @ 30.0Hz) , displayed (" + remoteShown + ")");
    EXPECT_EQ(view().localInfoText(),
              "c: 640x480 @ 30.0Hz, d: " + std::to_string(static_cast<int>(pip.width())) + "x" +
                  std::to_string(static_cast<int>(pip.height())));

    // This side stops sending: the picture-in-picture says so and dims.
    call->stopMyVideo();
    settle();
    EXPECT_FALSE(view().localMessageLayer().isHidden());
    EXPECT_EQ(view().localPane().sublayerNamed("localVideo")->opacity(), 0.5);

    // The call ends: the far end's pane goes, the camera pane fills the view again.
    call->end();
    runFor(0.5);
    EXPECT_FALSE(view().hasRemote());
    EXPECT_NEAR(view().localPane().frame().width(), size.width - 2 * m, 0.01);
    runFor(0.3);
    EXPECT_NE(view().localInfoText().find("Local Video (4:3): capture (640x480 @ 30.0Hz)"),
              std::string::npos)
        << view().localInfoText();
}

TEST_F(VideoWindowTest, ThePictureInPictureIsDraggedInsideTheFarEndAndSnapsToItsEdges) {
    signIn();
    answerVideoCall();
    const auto start = view().localPane().frame();
    const auto remote = view().remotePane().frame();

    // Dropped in the middle it stays where it was dropped.
    screen->drag(window(), inWindow(start.center()), inWindow(start.center().offsetBy(200, 150)));
    settle();
    auto pip = view().localPane().frame();
    EXPECT_NEAR(pip.minX(), start.minX() + 200, 0.01);
    EXPECT_NEAR(pip.minY(), start.minY() + 150, 0.01);
    EXPECT_FALSE(view().isMovingPiP());
    EXPECT_EQ(*view().localPane().shadowColor(), platform::Color::whiteColor());

    // Dragged past the far end's right and top edges it stops at them and snaps there.
    screen->drag(window(), inWindow(pip.center()), inWindow(pip.center().offsetBy(900, 900)));
    settle();
    pip = view().localPane().frame();
    EXPECT_NEAR(pip.maxX(), remote.maxX() - 5, 0.01);
    EXPECT_NEAR(pip.maxY(), remote.maxY() - 5, 0.01);
    EXPECT_TRUE(remote.containsRect(pip));

    // And past the left and bottom ones, 5 points inside the margins.
    screen->drag(window(), inWindow(pip.center()), inWindow(pip.center().offsetBy(-900, -900)));
    settle();
    pip = view().localPane().frame();
    EXPECT_NEAR(pip.minX(), 5 + 6.665, 0.01);
    EXPECT_NEAR(pip.minY(), 10, 0.01);

    // A drag that starts on the far end moves nothing.
    screen->drag(window(), inWindow(remote.center()), inWindow(remote.center().offsetBy(50, 50)));
    settle();
    EXPECT_EQ(view().localPane().frame(), pip);
}

TEST_F(VideoWindowTest, OverlayButtonsMirrorFlipShowStatisticsAndSwitchTo16By9) {
    signIn();
    answerVideoCall();
    window().makeKeyWindow();
    runFor(3);
    const auto remoteCentre = view().remotePane().frame().center().offsetBy(100, 100);
    moveMouse(remoteCentre);
    runFor(0.1);
    EXPECT_FALSE(view().remoteMenuLayer().isHidden());
    EXPECT_TRUE(view().localMenuLayer().isHidden());
    const auto remoteItems = view().remoteMenuItems();
    ASSERT_EQ(remoteItems.size(), 4u);
    EXPECT_EQ(view().localMenuItems().size(), 3u) << "the 4:3/16:9 button moved to the far end";

    auto press = [&](std::size_t index) {
        const auto point = menuButton(view().remoteMenuLayer(), index, remoteItems.size());
        screen->click(window(), inWindow(point));
        settle();
    };
    press(0);
    EXPECT_TRUE(view().remoteLayer()->mirrored());
    EXPECT_TRUE(view().localLayer()->mirrored()) << "the camera starts mirrored, untouched";
    press(1);
    EXPECT_TRUE(view().remoteLayer()->flipped());
    press(3);
    EXPECT_FALSE(view().remoteInfoLayer().isHidden());
    for (const auto* item : remoteItems)
        EXPECT_FALSE(item->pressed());

    // 16:9 widens the window to the new aspect around its centre.
    const auto before = window().frame();
    press(2);
    runFor(1);
    EXPECT_TRUE(view().displayHD());
    EXPECT_TRUE(remoteItems[2]->selected()) << "it shows the 4:3 picture now";
    const auto after = window().frame();
    EXPECT_NEAR(after.width() / after.height(), 1.7777, 0.01)
        << before.width() << "x" << before.height() << " -> " << after.width() << "x"
        << after.height();
    EXPECT_NEAR(after.midX(), before.midX(), 1);

    // The menus hide 1.5 s after the pointer last moved.
    moveMouse(remoteCentre);
    runFor(1.0);
    EXPECT_FALSE(view().remoteMenuLayer().isHidden());
    runFor(0.9);
    EXPECT_TRUE(view().remoteMenuLayer().isHidden());
}

TEST_F(VideoWindowTest, APressOnAMenuWithoutButtonsDoesNothing) {
    const auto folder = copyBundle(tmp / "bundle-no-buttons");
    for (const auto* name : {"video_mirror", "video_flip", "video_HD", "video_SD", "video_info"})
        std::filesystem::remove(folder / "images" / (std::string(name) + ".png"));
    startOver(folder);
    signIn();
    window().orderFront(nullptr);
    window().makeKeyWindow();
    settle();
    ASSERT_TRUE(view().menus().empty());
    const auto centre = view().localPane().frame().center();
    moveMouse(centre);
    ASSERT_FALSE(view().localMenuLayer().isHidden());
    const auto mirrored = view().localLayer()->mirrored();
    screen->click(window(), inWindow(centre));
    settle();
    EXPECT_EQ(view().localLayer()->mirrored(), mirrored);
    EXPECT_FALSE(view().isMovingPiP());
}

TEST_F(VideoWindowTest, HidingStopsTheCameraUnlessTheWindowDocksOnTheLeft) {
    const struct {
        const char* name;
        platform::Value::Dictionary section;
        bool docked;
        bool cameraKeepsRunning;
    } cases[] = {
        {"free", {}, false, false},
        {"free, side keys ignored", {{"attachPosition", "left"}}, false, false},
        {"docked right", {{"attachToMainWindow", true}, {"attachPosition", "right"}}, true, false},
        {"docked, no side", {{"attachToMainWindow", true}}, true, false},
        {"docked left",
         {{"attachToMainWindow", true}, {"attachPosition", "left"}, {"attachOffset.x", 4}},
         true,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        VideoWindow::sharedVideoWindowRelease();
        startWithVideoSection(c.section);
        signIn();
        auto& w = window();
        EXPECT_EQ(w.attachWindow() != nullptr, c.docked);
        EXPECT_EQ(w.isDocked(), c.docked);
        w.orderFront(nullptr);
        runFor(0.5);
        EXPECT_TRUE(w.isVisible());
        EXPECT_TRUE(cameraRunning());
        w.orderOut(nullptr);
        runFor(0.5);
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(cameraRunning(), c.cameraKeepsRunning);
        // Showing again starts the camera once.
        w.orderFront(nullptr);
        runFor(0.5);
        EXPECT_TRUE(cameraRunning());
    }
}

TEST_F(VideoWindowTest, HidingTheWindowStopsSendingVideoInTheCalls) {
    signIn();
    auto call = answerVideoCall();
    ASSERT_TRUE(call->isSendingMyVideo());
    window().orderOut(nullptr);
    settle();
    EXPECT_FALSE(call->isSendingMyVideo());
    EXPECT_FALSE(cameraRunning());
    EXPECT_TRUE(call->canStartMyVideo()) << "the panel can start it again";
}

TEST_F(VideoWindowTest, VideoAskedForAndRefusedOrAddedByTheOtherParty) {
    signIn();
    phone()->getConversationService()->audioConversation(bob, -1);
    runFor(1.5);
    auto& panel = *CallModuleController::sharedController().panels().at(0);
    auto call = panel.conversation();
    ASSERT_TRUE(call->isEstablished());

    Scenario().acceptVideoRequests(false);
    click(*panel.outlets().startVideo);
    runFor(1.0);
    ASSERT_TRUE(VideoWindow::videoWindowExist());
    EXPECT_TRUE(window().isVisible());
    EXPECT_FALSE(view().hasRemote());
    auto* sheet = dynamic_cast<platform::Panel*>(window().attachedSheet());
    ASSERT_NE(sheet, nullptr);
    settle();

    // The other party adds video: the far end shows, this side's picture waits for the user.
    SheetsTracker::sharedController().closeAllSheets();
    Scenario().remoteVideoRequest();
    runFor(0.2);
    EXPECT_TRUE(view().hasRemote());
    EXPECT_FALSE(view().localMessageLayer().isHidden()) << "not sending video";
    click(*panel.outlets().startVideo);
    settle();
    EXPECT_TRUE(call->isSendingMyVideo());
    EXPECT_TRUE(view().localMessageLayer().isHidden());
}

} // namespace
