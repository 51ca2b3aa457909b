#include "app/RemotePageTestSupport.h"
#include "app/messaging/ScreenShareWindowController.h"

using namespace app_test;

namespace {

class ScreenShareViewerTest : public RemotePageTest {
protected:
    void SetUp() override {
        RemotePageTest::SetUp();
        server.setPage("/screen", "<html><body><p>Bob's desktop</p>"
                                  "<a href=\"/other\" target=\"_blank\">pop</a></body></html>");
        quickNetwork(viewer().webView());
    }
    void TearDown() override {
        ScreenShareWindowController::releaseSharedController();
        RemotePageTest::TearDown();
    }
    static ScreenShareWindowController& viewer() {
        return ScreenShareWindowController::sharedScreenShareWindowController();
    }
    static std::string shownText() { return viewer().webView().renderedText(); }
};

TEST_F(ScreenShareViewerTest, ShowsTheRemotePageWithTheNameAsTextAndLoadsAnAddressOnce) {
    viewer().loadURL(server.url("/screen"), "Bob <b>Baker</b>");
    EXPECT_TRUE(viewer().window()->isVisible());
    EXPECT_EQ(viewer().window()->title(), "Shared Screen from Bob <b>Baker</b>");
    ASSERT_TRUE(waitFor([] { return shownText().find("Bob's desktop") != std::string::npos; }));

    // The same address again reloads nothing and keeps the title.
    viewer().loadURL(server.url("/screen"), "");
    waitFor([] { return false; }, 0.2);
    EXPECT_EQ(server.requests("/screen"), 1);
    EXPECT_EQ(viewer().window()->title(), "Shared Screen from Bob <b>Baker</b>");

    // Nothing opens a new window: the page stays.
    viewer().webView().followLink("/other", "_blank");
    waitFor([] { return false; }, 0.2);
    EXPECT_EQ(server.requests("/other"), 0);
    EXPECT_TRUE(openedAddress().empty());

    // Closing stops the page, so the same address loads again next time, titled without a name.
    ASSERT_TRUE(viewer().windowShouldClose(*viewer().window()));
    EXPECT_FALSE(viewer().window()->isVisible());
    viewer().loadURL(server.url("/screen"), "");
    EXPECT_EQ(viewer().window()->title(), "Shared Screen");
    ASSERT_TRUE(waitFor([this] { return server.requests("/screen") == 2; }));
}

TEST_F(ScreenShareViewerTest, AServerThatFailsOrNeverAnswersLeavesAMessageNotABlankWindow) {
    for (const char* path : {"/broken", "/silent"}) {
        SCOPED_TRACE(path);
        viewer().loadURL(server.url(path), "Bob");
        ASSERT_TRUE(waitFor([] { return !viewer().failureText().empty(); }, 8));
        EXPECT_EQ(viewer().failureText(), "The screen Bob shares cannot be shown.");
        ASSERT_TRUE(
            waitFor([] { return shownText().find("cannot be shown") != std::string::npos; }));
        EXPECT_FALSE(viewer().lastURL()) << "asking again tries again";
    }
}

} // namespace
