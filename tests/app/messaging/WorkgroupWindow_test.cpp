#include "app/AppTestSupport.h"
#include "app/messaging/WorkgroupWindowController.h"
#include "engine/PhoneService.h"
#include "platform/kit/WindowServer.h"

using namespace app_test;

namespace {

class WorkgroupWindowTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        platform::WindowServer::shared().reset();
        initializeDemoEngine({"Friends"});
        signInDemoUser();
    }
    void TearDown() override {
        WorkgroupWindowController::releaseSharedController();
        platform::WindowServer::shared().reset();
        AppTest::TearDown();
    }
    static std::shared_ptr<WorkgroupService> service() {
        return engine().phoneService()->getWorkgroupService();
    }
    static void pass(platform::TimeInterval seconds) {
        platform::RunLoop::main().runFor(seconds);
        settle();
    }
};

// The window holds the subscription: opened, it subscribes; shown again, the same window and
// subscription; closed and opened again, a fresh subscription; let go, the subscription stops
// and the service no longer reaches it.
TEST_F(WorkgroupWindowTest, TheWindowSubscribesWhileItLivesAndStopsWhenLetGo) {
    ASSERT_EQ(service()->state(), WorkgroupService::State::idle);
    auto& first = WorkgroupWindowController::sharedController();
    first.showWindow(nullptr);
    EXPECT_EQ(service()->state(), WorkgroupService::State::subscribing);
    EXPECT_TRUE(service()->delegates().contains(&first));
    pass(1);
    EXPECT_EQ(service()->state(), WorkgroupService::State::subscribed);
    EXPECT_EQ(service()->endpoints().size(), 2u);

    EXPECT_EQ(&WorkgroupWindowController::sharedController(), &first) << "shown: reused";
    EXPECT_EQ(service()->state(), WorkgroupService::State::subscribed) << "no new subscription";

    first.window()->miniaturize(nullptr);
    auto& restored = WorkgroupWindowController::sharedController();
    EXPECT_EQ(&restored, &first);
    EXPECT_FALSE(restored.window()->isMiniaturized());

    restored.window()->performClose(nullptr);
    auto& second = WorkgroupWindowController::sharedController();
    EXPECT_EQ(service()->state(), WorkgroupService::State::subscribing) << "closed: afresh";
    EXPECT_EQ(service()->delegates().size(), 1u) << "the closed window's controller is gone";
    EXPECT_TRUE(service()->delegates().contains(&second));

    WorkgroupWindowController::releaseSharedController();
    EXPECT_EQ(service()->state(), WorkgroupService::State::idle);
    EXPECT_TRUE(service()->delegates().empty());
    pass(1);
    EXPECT_TRUE(service()->endpoints().empty()) << "the stopped subscription's answer dropped";
}

} // namespace
