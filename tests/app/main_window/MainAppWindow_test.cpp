#include "app/MainWindowTestSupport.h"

namespace app_test {
namespace {

TEST_F(MainWindowTest, ShowsTheLoginViewOnStart) {
    MainAppWindow& window = launch();
    EXPECT_EQ(window.currentViewName(), "login");
    EXPECT_TRUE(window.isVisible());
}

} // namespace
} // namespace app_test
