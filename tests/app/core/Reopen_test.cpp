#include "../AppTestSupport.h"
#include "SignInTestSupport.h"
#include "app/core/EntryRequests.h"
#include "app/main_window/MainAppWindow.h"

#include <functional>

using namespace app_test;

namespace {

TEST_F(AppTest, ReopeningTheApplicationShowsTheHiddenMainWindow) {
    AppController& controller = loadMainMenu();
    MainAppWindow* window = controller.mainWindow();
    ASSERT_NE(window, nullptr);
    window->orderOut(nullptr);
    ASSERT_FALSE(window->isVisible());

    EXPECT_TRUE(controller.applicationShouldOpenUntitledFile(app()));
    EXPECT_FALSE(controller.applicationOpenUntitledFile(app())) << "the answer is always NO";
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isKeyWindow());

    // A window in sight stays as it is.
    EXPECT_FALSE(controller.applicationOpenUntitledFile(app()));
    EXPECT_TRUE(window->isVisible());
}

// Another start of the program brings back a main window that Hide or a close put away,
// whatever it asked for besides.
TEST_F(SignInTest, AnotherStartShowsTheHiddenOrClosedMainWindow) {
    MainAppWindow* window = &launch();
    AppController& controller = SignInTest::controller();
    ASSERT_TRUE(window->isVisible());
    const struct {
        const char* how;
        std::function<void()> putAway;
        platform::Value request;
    } cases[] = {
        {"hidden", [] { app().hide(nullptr); }, entry::requestToShow()},
        {"closed", [window] { window->performClose(nullptr); }, entry::requestToShow()},
        {"hidden, then a link", [] { app().hide(nullptr); }, entry::requestForURL("tel:5551234")},
        {"closed, then a command", [window] { window->performClose(nullptr); },
         entry::requestForEndCall(std::nullopt)},
    };
    for (const auto& c : cases) {
        c.putAway();
        settle();
        ASSERT_FALSE(window->isVisible()) << c.how;

        controller.handleEntryRequest(c.request);

        EXPECT_FALSE(app().isHidden()) << c.how;
        EXPECT_TRUE(app().isActive()) << c.how;
        EXPECT_TRUE(window->isVisible()) << c.how;
        EXPECT_TRUE(window->isKeyWindow()) << c.how;
    }
    EXPECT_EQ(controller.handleEntryRequest(entry::requestToShow())["result"].stringValue(),
              "shown");
}

} // namespace
