#include "../AppTestSupport.h"
#include "app/main_window/MainAppWindow.h"

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

} // namespace
