#include "EngineRecorder.h"
#include "EngineTestSupport.h"
#include "engine/CocoaCAOpenGLLayer.h"
#include "engine/PhoneService.h"
#include "engine/Scenario.h"
#include "engine/TestPatternSource.h"

using namespace engine_test;

namespace {

const std::string bob = "sip:bob@sip.lumiq.example";

// Signed in as the demo user with a recorder on every service and a layer for each picture.
class VideoTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        startSession();
        recorder = std::make_unique<EngineRecorder>(engine());
        remote()->setDisplayLayer(remoteLayer, 640, 480);
        local()->setDevicePaths({});
    }
    void TearDown() override {
        recorder.reset();
        EngineTest::TearDown();
    }
    static std::shared_ptr<PhoneService> phone() { return engine().phoneService(); }
    static std::shared_ptr<RemoteVideoService> remote() { return phone()->getRemoteVideoService(); }
    static std::shared_ptr<LocalVideoService> local() { return phone()->getLocalVideoService(); }
    static std::shared_ptr<ConversationService> calls() {
        return phone()->getConversationService();
    }
    // The video callbacks heard so far, in order, and forgets them.
    std::string video() {
        std::string text;
        for (const auto& call : recorder->calls)
            if (call.rfind("ovvs", 0) == 0)
                text += (text.empty() ? "" : " ") + call.substr(4);
        recorder->calls.clear();
        return text;
    }
    // An established audio call to Bob.
    std::shared_ptr<Conversation> audioCall() {
        auto call = calls()->audioConversation(bob, -1);
        pass(1.5);
        EXPECT_TRUE(call->isEstablished());
        recorder->calls.clear();
        return call;
    }

    std::unique_ptr<EngineRecorder> recorder;
    std::shared_ptr<CocoaCAOpenGLLayer> remoteLayer = CocoaCAOpenGLLayer::layer();
};

TEST_F(VideoTest, AnsweredVideoCallStreamsTheFarEndUntilItEnds) {
    auto call = calls()->videoConversation(bob, -1);
    pass(0.5);
    EXPECT_EQ(video(), "") << "no video before the other side answers";
    pass(1.0);
    ASSERT_TRUE(call->isEstablished());
    EXPECT_EQ(video(), "InitialNegotiationSucceeded RemoteDisplayNameUpdate SendingMyVideo:YES "
                       "WaitingForRemoteVideo RemoteVideoRecieived");
    EXPECT_EQ(remote()->remoteVideoDisplayName(), "bob@sip.lumiq.example")
        << "a party without a name goes by its address";
    EXPECT_TRUE(call->canStopMyVideo());
    EXPECT_FALSE(call->canStartMyVideo());
    EXPECT_FALSE(call->participants().front()->audioOnly());

    // A steady 30 frames a second, each a different picture.
    const auto before = remoteLayer->framesRendered();
    const auto first = remoteLayer->currentFrame();
    pass(1.0);
    EXPECT_NEAR(static_cast<double>(remoteLayer->framesRendered() - before), 30, 1);
    EXPECT_NEAR(remoteLayer->frameRate(), 30, 1);
    EXPECT_EQ(remoteLayer->videoWidth(), 640);
    EXPECT_EQ(remoteLayer->videoHeight(), 480);
    EXPECT_LT(remoteLayer->timeSinceLastRender(), 0.05);
    EXPECT_NE(remoteLayer->currentFrame()->pixels, first->pixels);

    // This side's picture stops and starts again without asking.
    call->stopMyVideo();
    EXPECT_EQ(video(), "SendingMyVideo:NO");
    EXPECT_TRUE(call->canStartMyVideo());
    call->startMyVideo();
    EXPECT_EQ(video(), "SendingMyVideo:YES");

    // Detached, the pictures go nowhere; the call's end stops the stream.
    remote()->setDisplayLayer(nullptr, 0, 0);
    const auto shown = remoteLayer->framesRendered();
    pass(0.5);
    EXPECT_EQ(remoteLayer->framesRendered(), shown);
    remote()->setDisplayLayer(remoteLayer, 640, 480);
    call->end();
    pass(0.5);
    EXPECT_EQ(video(), "RemoteVideoStopped");
    const auto last = remoteLayer->framesRendered();
    pass(3.5);
    EXPECT_EQ(remoteLayer->framesRendered(), last);
    EXPECT_GT(remoteLayer->timeSinceLastRender(), 3.0);
    EXPECT_EQ(remote()->remoteVideoDisplayName(), "");
}

TEST_F(VideoTest, AnsweringAnIncomingVideoCallWithOrWithoutVideo) {
    Scenario().incomingCall(bob, "Bob", true);
    settle();
    auto call = recorder->lastConversation;
    ASSERT_TRUE(call && call->isRinging());
    EXPECT_FALSE(call->canStartMyVideo()) << "not before it is answered";
    call->answer();
    settle();
    EXPECT_EQ(video(), "IncomingVideoCallAccepted RemoteDisplayNameUpdate SendingMyVideo:YES "
                       "WaitingForRemoteVideo");
    pass(0.1);
    EXPECT_EQ(video(), "RemoteVideoRecieived");
    EXPECT_EQ(remote()->remoteVideoDisplayName(), "Bob");
    call->end();
    pass(0.5);
    EXPECT_EQ(video(), "RemoteVideoStopped");

    Scenario().incomingCall("sip:carol@sip.lumiq.example", "Carol", true);
    settle();
    recorder->lastConversation->answerWithAudioOnly();
    pass(0.5);
    EXPECT_EQ(video(), "");
    EXPECT_FALSE(recorder->lastConversation->hasVideo());
}

TEST_F(VideoTest, VideoAskedForOnAnAudioCallIsAcceptedOrRefused) {
    auto call = audioCall();
    ASSERT_TRUE(call->canStartMyVideo());
    call->startMyVideo();
    EXPECT_FALSE(call->canStartMyVideo()) << "asked once while the answer is awaited";
    pass(1.0);
    EXPECT_EQ(video(), "VideoRequestAcceptebByRemote RemoteDisplayNameUpdate SendingMyVideo:YES "
                       "WaitingForRemoteVideo RemoteVideoRecieived");
    EXPECT_TRUE(call->hasVideo());
    call->end();
    pass(0.5);
    video();

    Scenario().acceptVideoRequests(false);
    call = audioCall();
    call->startMyVideo();
    pass(1.0);
    EXPECT_EQ(video(), "VideoRequestFailed");
    EXPECT_FALSE(call->hasVideo());
    EXPECT_TRUE(call->canStartMyVideo()) << "the user may ask again";
    EXPECT_FALSE(remote()->isReceiving());

    // A held call cannot start video; a call that ends while the answer is awaited hears none.
    call->hold();
    settle();
    EXPECT_FALSE(call->canStartMyVideo());
    call->resume();
    settle();
    Scenario().acceptVideoRequests(true);
    call->startMyVideo();
    call->end();
    pass(1.5);
    EXPECT_EQ(video(), "");
}

TEST_F(VideoTest, TheOtherPartyAddsVideoToTheCallBeingTalkedOn) {
    Scenario().remoteVideoRequest();
    pass(0.1);
    EXPECT_EQ(video(), "") << "no call, nothing to add video to";

    auto call = audioCall();
    Scenario().remoteVideoRequest();
    pass(0.1);
    EXPECT_EQ(video(), "VideoRequestedByRemote RemoteDisplayNameUpdate SendingMyVideo:NO "
                       "WaitingForRemoteVideo RemoteVideoRecieived");
    EXPECT_TRUE(call->hasVideo());
    EXPECT_TRUE(call->canStartMyVideo()) << "this side's picture waits for the user";
    EXPECT_GT(remoteLayer->framesRendered(), 0u);
}

TEST_F(VideoTest, TheCameraWithoutADeviceShowsTheTestPicture) {
    auto layer = CocoaCAOpenGLLayer::layer();
    local()->setDevicePaths({"/dev/null", tmp / "no-such-camera"});
    local()->setDisplayLayer(layer);
    local()->start();
    local()->start();
    EXPECT_EQ(video(), "StateChangedTo:1");
    EXPECT_EQ(local()->cameraDescription(), "test picture");
    pass(0.1);
    EXPECT_EQ(video(), "StateChangedTo:2");
    EXPECT_EQ(local()->state(), LocalVideoService::RECEIVING);
    pass(1.0);
    EXPECT_NEAR(layer->frameRate(), 30, 1);

    local()->pause(true);
    EXPECT_EQ(local()->state(), LocalVideoService::PAUSED);
    const auto paused = layer->framesRendered();
    pass(0.5);
    EXPECT_EQ(layer->framesRendered(), paused);
    local()->pause(false);
    pass(0.5);
    EXPECT_GT(layer->framesRendered(), paused);

    local()->stop();
    local()->stop();
    EXPECT_EQ(video(), "StateChangedTo:3 StateChangedTo:2 StateChangedTo:0");
    const auto stopped = layer->framesRendered();
    pass(0.5);
    EXPECT_EQ(layer->framesRendered(), stopped);
    EXPECT_FALSE(local()->started());
}

TEST(TestPatternSource, FramesMoveAndCountThemselves) {
    TestPatternSource source(320, 240, 30, TestPatternSource::Style::camera);
    VideoFrame a(320, 240), b(320, 240), again(320, 240);
    source.drawFrame(1, a);
    source.drawFrame(2, b);
    source.drawFrame(1, again);
    EXPECT_NE(a.pixels, b.pixels);
    EXPECT_EQ(a.pixels, again.pixels);
    // The bottom strip holds the frame number in binary, lowest bit first.
    const int markWidth = 320 / 32;
    const auto mark = [&](const VideoFrame& f, int bit) {
        return f.pixels[static_cast<std::size_t>(239) * 320 + bit * markWidth + 1] == 0xffffffffu;
    };
    EXPECT_TRUE(mark(a, 0));
    EXPECT_FALSE(mark(a, 1));
    EXPECT_FALSE(mark(b, 0));
    EXPECT_TRUE(mark(b, 1));
    // Every pixel is opaque and a frame of another size is made to fit.
    VideoFrame odd(3, 3);
    source.drawFrame(5, odd);
    EXPECT_EQ(odd.width, 320);
    for (auto pixel : odd.pixels)
        ASSERT_EQ(pixel >> 24, 0xffu);
}

} // namespace
