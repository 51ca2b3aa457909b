#pragma once

#include "platform/foundation/Bundle.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Event.h"
#include "platform/kit/ScreenBackend.h"
#include "platform/kit/View.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <unistd.h>

namespace skinned_test {

using platform::Color;
using platform::Event;
using platform::EventType;
using platform::Point;
using platform::Rect;
using platform::Size;

// A temporary folder of its own for each test.
inline std::filesystem::path makeTempFolder(const std::string& what) {
    static std::atomic<int> counter{0};
    const char* root = std::getenv("LUMIQ_TEST_TMP");
    std::filesystem::path base =
        root ? std::filesystem::path(root) : std::filesystem::temp_directory_path();
    std::filesystem::path folder = base / ("skinned-" + what + "-" + std::to_string(getpid()) +
                                           "-" + std::to_string(counter++));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

// A fresh main loop on a manual clock, the default 1440 x 900 screen (visible 1440 x 878),
// an empty window server and user defaults in a temporary file.
class SkinnedWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock = std::make_shared<platform::ManualClock>(100.0);
        platform::RunLoop::resetMain(clock);
        platform::setScreenBackend(nullptr);
        platform::screensChanged();
        platform::WindowServer::shared().reset();
        folder = makeTempFolder("window");
        defaultsFile = folder / "defaults.plist";
        platform::UserDefaults::resetStandardUserDefaults(defaultsFile);
    }
    void TearDown() override {
        platform::WindowServer::shared().reset();
        platform::RunLoop::resetMain();
        // Saved while the temporary folder is still there, not later into a folder gone.
        platform::UserDefaults::standardUserDefaults().synchronize();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    // The road a backend's input takes: queued on the window server, then dispatched.
    static void send(const Event& event) {
        platform::WindowServer::shared().postEvent(event);
        platform::WindowServer::shared().dispatchPendingEvents();
    }
    static void mouse(EventType type, platform::Window& window, Point location) {
        send(Event::mouseEvent(type, location, 0, &window));
    }
    // A pointer event at a screen point, given in the window's coordinates of the moment (the
    // window moves while it is resized from its bottom edge).
    static void mouseAtScreen(EventType type, platform::Window& window, Point screenPoint) {
        mouse(type, window, window.convertScreenToBase(screenPoint));
    }

    std::shared_ptr<platform::ManualClock> clock;
    std::filesystem::path folder;
    std::filesystem::path defaultsFile;
};

inline bool near(const Color& a, const Color& b, double tolerance = 0.03) {
    return std::abs(a.redComponent() - b.redComponent()) <= tolerance &&
           std::abs(a.greenComponent() - b.greenComponent()) <= tolerance &&
           std::abs(a.blueComponent() - b.blueComponent()) <= tolerance &&
           std::abs(a.alphaComponent() - b.alphaComponent()) <= tolerance;
}

inline std::string describe(const Color& c) {
    return "(" + std::to_string(c.redComponent()) + ", " + std::to_string(c.greenComponent()) +
           ", " + std::to_string(c.blueComponent()) + ", " + std::to_string(c.alphaComponent()) +
           ")";
}

// A PNG of one colour, written to `path`.
inline void writeSolidPNG(const std::filesystem::path& path, Size size, const Color& color) {
    platform::Image image(size);
    image.lockFocus();
    platform::GraphicsContext::currentContext()->setFillColor(color);
    platform::GraphicsContext::currentContext()->fillRect(Rect({}, size));
    image.unlockFocus();
    ASSERT_TRUE(image.writePNG(path));
}

inline bool sizeNear(Size a, Size b) {
    return std::abs(a.width - b.width) < 0.001 && std::abs(a.height - b.height) < 0.001;
}

} // namespace skinned_test
