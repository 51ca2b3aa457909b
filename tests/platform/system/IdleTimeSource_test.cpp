// The desktop's idle time read from a real X server: it grows while nothing happens and drops
// when input arrives. Skipped when Xvfb or XTest cannot be had.
#include "platform/screen/SdlXvfb.h"
#include "platform/screen/XTestInput.h"
#include "platform/system/IdleTimeSource.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

using platform::IdleTimeSource;

TEST(IdleTimeSourceTest, TheXServersIdleTimeGrowsUntilInputArrives) {
    std::string why;
    const auto server = sdltest::Xvfb::started(why);
    if (!server)
        GTEST_SKIP() << why;
    sdltest::XTestInput input;
    if (!input.open(server->display(), why))
        GTEST_SKIP() << why;
    const auto source = IdleTimeSource::xScreenSaver(server->display());
    ASSERT_TRUE(source) << "the virtual server has the screen-saver extension";

    input.move(10, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto before = source->idleNanoseconds();
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    const auto after = source->idleNanoseconds();
    ASSERT_TRUE(before && after);
    EXPECT_GE(*after, *before + 400'000'000ULL) << "idle time grows with nothing happening";

    input.move(200, 120);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto afterInput = source->idleNanoseconds();
    ASSERT_TRUE(afterInput);
    EXPECT_LT(*afterInput, *after) << "input sets the idle time back";
    EXPECT_LT(*afterInput, 400'000'000ULL);
}

TEST(IdleTimeSourceTest, NoDisplayGivesNoScreenSaverSource) {
    EXPECT_EQ(IdleTimeSource::xScreenSaver(":98765"), nullptr);
}

} // namespace
