// The application tile's picture on a real X server: it becomes the icon (_NET_WM_ICON) of the
// application's windows. Skipped only when Xvfb cannot be started.
#include "SdlTestSupport.h"
#include "SdlXvfb.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Application.h"
#include "platform/screen/ScreenSelection.h"
#include "platform/screen/SdlScreenBackend.h"

#include <dlfcn.h>
#include <memory>
#include <vector>

// Xlib last: it defines macros (None, Bool, Status) that other headers must not see.
#include <X11/Xlib.h>

namespace {

using platform::Application;
using platform::Color;
using platform::Rect;
using platform::SdlScreenBackend;

// Reads window properties as a second client of the server; libX11 is loaded at run time so
// the test program need not link it.
class PropertyReader {
public:
    ~PropertyReader() {
        if (display_)
            closeDisplay_(display_);
        if (x11_)
            dlclose(x11_);
    }

    bool open(const std::string& name) {
        x11_ = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
        if (!x11_ || !load("XOpenDisplay", openDisplay_) || !load("XCloseDisplay", closeDisplay_) ||
            !load("XSync", sync_) || !load("XInternAtom", internAtom_) ||
            !load("XGetWindowProperty", getWindowProperty_) || !load("XFree", free_))
            return false;
        display_ = openDisplay_(name.c_str());
        return display_ != nullptr;
    }

    // The window's icon as width, height, then one ARGB word a pixel; empty when it has none.
    std::vector<unsigned long> icon(unsigned long window) {
        sync_(display_, 0);
        Atom type = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        std::vector<unsigned long> words;
        if (getWindowProperty_(display_, window, internAtom_(display_, "_NET_WM_ICON", 0), 0,
                               1 << 20, 0, AnyPropertyType, &type, &format, &count, &after,
                               &data) == Success &&
            data && format == 32) {
            const auto* items = reinterpret_cast<const long*>(data);
            for (unsigned long i = 0; i < count; ++i)
                words.push_back(static_cast<unsigned long>(items[i]) & 0xffffffffu);
        }
        if (data)
            free_(data);
        return words;
    }

private:
    template <class F> bool load(const char* name, F& function) {
        function = reinterpret_cast<F>(dlsym(x11_, name));
        return function != nullptr;
    }

    void* x11_ = nullptr;
    Display* display_ = nullptr;
    Display* (*openDisplay_)(const char*) = nullptr;
    int (*closeDisplay_)(Display*) = nullptr;
    int (*sync_)(Display*, int) = nullptr;
    Atom (*internAtom_)(Display*, const char*, int) = nullptr;
    int (*getWindowProperty_)(Display*, ::Window, Atom, long, long, int, Atom, Atom*, int*,
                              unsigned long*, unsigned long*, unsigned char**) = nullptr;
    int (*free_)(void*) = nullptr;
};

std::shared_ptr<platform::Image> filled(int width, int height, Color color) {
    auto image = std::make_shared<platform::Image>(platform::Size(width, height));
    image->lockFocus();
    platform::GraphicsContext::currentContext()->setFillColor(color);
    platform::GraphicsContext::currentContext()->fillRect(Rect(0, 0, width, height));
    image->unlockFocus();
    return image;
}

class SdlDockIcon : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server = sdltest::Xvfb::started(why);
    }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override {
        if (!server)
            GTEST_SKIP() << "No virtual X server: " << why;
        displayEnv.emplace("DISPLAY", server->display().c_str());
        driverEnv.emplace("SDL_VIDEODRIVER", nullptr);
        platform::RunLoop::resetMain();
        platform::WindowServer::shared().reset();
        Application::resetSharedApplication();
        auto& installed = platform::installScreenBackend(false);
        ASSERT_EQ(installed.name(), "sdl2");
        backend = static_cast<SdlScreenBackend*>(&installed);
        ASSERT_TRUE(x.open(server->display()));
    }
    void TearDown() override {
        windows.clear();
        platform::setScreenBackend(nullptr);
        platform::WindowServer::shared().reset();
        platform::RunLoop::resetMain();
        Application::resetSharedApplication();
    }

    platform::Window& openWindow(Rect frame) {
        auto window = platform::make<sdltest::KeyableWindow>(frame, platform::TitledWindowMask);
        window->setContentView(
            platform::make<sdltest::PaintedView>(Rect({}, frame.size), Color(0.2, 0.6, 0.8)));
        window->makeKeyAndOrderFront(nullptr);
        sdltest::runUntil([] { return false; }, 0.1);
        windows.push_back(window);
        return *window;
    }

    static inline std::unique_ptr<sdltest::Xvfb> server;
    static inline std::string why;
    std::optional<sdltest::ScopedEnv> displayEnv;
    std::optional<sdltest::ScopedEnv> driverEnv;
    SdlScreenBackend* backend = nullptr;
    PropertyReader x;
    std::vector<std::shared_ptr<platform::Window>> windows;
};

TEST_F(SdlDockIcon, TheTilesPictureIsTheIconOfWindowsWithoutOneOfTheirOwn) {
    platform::Window& main = openWindow(Rect(100, 100, 200, 150));
    platform::Window& own = openWindow(Rect(400, 100, 200, 150));
    backend->setWindowIcon(own, filled(2, 2, Color(0, 1, 0)));

    Application::sharedApplication().setApplicationIconImage(filled(4, 3, Color(1, 0, 0)));
    auto words = x.icon(backend->x11WindowId(main));
    ASSERT_EQ(words.size(), 2u + 4 * 3);
    EXPECT_EQ(words[0], 4u);
    EXPECT_EQ(words[1], 3u);
    EXPECT_EQ(words[2], 0xffff0000u);
    EXPECT_EQ(x.icon(backend->x11WindowId(own)).size(), 2u + 2 * 2) << "its own icon stays";

    // A badge label changes the picture; a window opened later shows it too.
    Application::sharedApplication().setApplicationIconImage(filled(16, 16, Color(0, 0, 1)));
    Application::sharedApplication().dockTile().setBadgeLabel("2");
    platform::Window& later = openWindow(Rect(100, 400, 200, 150));
    words = x.icon(backend->x11WindowId(later));
    ASSERT_EQ(words.size(), 2u + 16 * 16);
    EXPECT_EQ(words[2], 0xff0000ffu) << "bottom-left of the picture is the icon";
    EXPECT_EQ(x.icon(backend->x11WindowId(main)), words);
}

} // namespace
