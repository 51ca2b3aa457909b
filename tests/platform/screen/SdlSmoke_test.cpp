// The SDL backend on a real X server (a virtual one started here): a window drawn by the kit
// must show its pixels on the server, and clicks, typing, moves and close requests made on the
// server must come back to the kit. Skipped only when Xvfb cannot be started.
#include "SdlTestSupport.h"
#include "SdlXvfb.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Application.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/Screen.h"
#include "platform/screen/ScreenSelection.h"
#include "platform/screen/SdlScreenBackend.h"
#include "platform/screen/X11ErrorHandler.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <array>
#include <chrono>
#include <cstring>
#include <dlfcn.h>
#include <memory>
#include <thread>
#include <vector>

// Xlib last: it defines macros (None, Bool, Status) that other headers must not see.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

// Xlib has its own Window, Screen and KeyCode; the kit's are named in full here.
using platform::Application;
using platform::BorderlessWindowMask;
using platform::Color;
using platform::EventType;
using platform::make;
using platform::Pasteboard;
using platform::PasteboardTypeString;
using platform::Point;
using platform::Rect;
using platform::RunLoop;
using platform::ScreenBackend;
using platform::SdlScreenBackend;
using platform::WindowServer;
using sdltest::KeyableWindow;
using sdltest::PaintedView;
using sdltest::RecordingDelegate;
using sdltest::ScopedEnv;

// The few libX11 and libXtst calls the test makes as a second client of the server, loaded at
// run time so that the test programs need not link them.
struct XClient {
    void* x11 = nullptr;
    void* xtst = nullptr;
    Display* display = nullptr;

    Display* (*openDisplay)(const char*) = nullptr;
    int (*closeDisplay)(Display*) = nullptr;
    ::Window (*defaultRootWindow)(Display*) = nullptr;
    XImage* (*getImage)(Display*, Drawable, int, int, unsigned, unsigned, unsigned long,
                        int) = nullptr;
    int (*sync)(Display*, int) = nullptr;
    int (*moveWindow)(Display*, ::Window, int, int) = nullptr;
    Atom (*internAtom)(Display*, const char*, int) = nullptr;
    int (*sendEvent)(Display*, ::Window, int, long, XEvent*) = nullptr;
    KeyCode (*keysymToKeycode)(Display*, KeySym) = nullptr;
    int (*getWindowProperty)(Display*, ::Window, Atom, long, long, int, Atom, Atom*, int*,
                             unsigned long*, unsigned long*, unsigned char**) = nullptr;
    int (*xfree)(void*) = nullptr;
    int (*fakeMotion)(Display*, int, int, int, unsigned long) = nullptr;
    int (*fakeButton)(Display*, unsigned, int, unsigned long) = nullptr;
    int (*fakeKey)(Display*, unsigned, int, unsigned long) = nullptr;

    template <class F> static bool load(void* library, const char* name, F& function) {
        function = reinterpret_cast<F>(dlsym(library, name));
        return function != nullptr;
    }

    bool open(const std::string& name, std::string& why) {
        x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
        if (!x11) {
            why = "libX11 cannot be loaded";
            return false;
        }
        if (!load(x11, "XOpenDisplay", openDisplay) || !load(x11, "XCloseDisplay", closeDisplay) ||
            !load(x11, "XDefaultRootWindow", defaultRootWindow) ||
            !load(x11, "XGetImage", getImage) || !load(x11, "XSync", sync) ||
            !load(x11, "XMoveWindow", moveWindow) || !load(x11, "XInternAtom", internAtom) ||
            !load(x11, "XSendEvent", sendEvent) ||
            !load(x11, "XKeysymToKeycode", keysymToKeycode) ||
            !load(x11, "XGetWindowProperty", getWindowProperty) || !load(x11, "XFree", xfree)) {
            why = "libX11 lacks a function the test uses";
            return false;
        }
        display = openDisplay(name.c_str());
        if (!display) {
            why = "the virtual server refuses a second client";
            return false;
        }
        // XTest is optional: without it clicks are pushed into SDL's queue instead.
        xtst = dlopen("libXtst.so.6", RTLD_NOW | RTLD_LOCAL);
        if (xtst && !(load(xtst, "XTestFakeMotionEvent", fakeMotion) &&
                      load(xtst, "XTestFakeButtonEvent", fakeButton) &&
                      load(xtst, "XTestFakeKeyEvent", fakeKey)))
            fakeMotion = nullptr;
        return true;
    }
    bool canFakeInput() const { return fakeMotion != nullptr; }

    ~XClient() {
        if (display)
            closeDisplay(display);
        if (xtst)
            dlclose(xtst);
        if (x11)
            dlclose(x11);
    }

    // The root window's pixel at (x, y), as 0xRRGGBB.
    std::optional<unsigned> pixel(int x, int y) {
        sync(display, 0);
        XImage* image = getImage(display, defaultRootWindow(display), x, y, 1, 1, ~0ul, ZPixmap);
        if (!image)
            return std::nullopt;
        std::optional<unsigned> result;
        if (image->bits_per_pixel == 32) {
            std::uint32_t value = 0;
            std::memcpy(&value, image->data, 4);
            result = value & 0xffffff;
        }
        image->f.destroy_image(image);
        return result;
    }

    // A property of 32-bit items (longs on the client side), empty when the window has none.
    std::vector<long> property(::Window window, const char* name) {
        sync(display, 0);
        Atom type = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        std::vector<long> result;
        if (getWindowProperty(display, window, internAtom(display, name, 0), 0, 1 << 20, 0,
                              AnyPropertyType, &type, &format, &count, &after, &data) == Success &&
            data && format == 32)
            result.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
        if (data)
            xfree(data);
        return result;
    }

    void click(int rootX, int rootY, unsigned button) {
        fakeMotion(display, 0, rootX, rootY, 0);
        fakeButton(display, button, 1, 0);
        fakeButton(display, button, 0, 0);
        sync(display, 0);
    }
    void type(KeySym symbol) {
        const unsigned code = keysymToKeycode(display, symbol);
        fakeKey(display, code, 1, 0);
        fakeKey(display, code, 0, 0);
        sync(display, 0);
    }
    // What a window manager sends when the user closes a window.
    void requestClose(::Window window) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = internAtom(display, "WM_PROTOCOLS", 0);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(internAtom(display, "WM_DELETE_WINDOW", 0));
        event.xclient.data.l[1] = CurrentTime;
        sendEvent(display, window, 0, NoEventMask, &event);
        sync(display, 0);
    }
};

class SdlSmoke : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = sdltest::Xvfb::started(why); }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override {
        if (!server)
            GTEST_SKIP() << "No virtual X server: " << why;
        displayEnv.emplace("DISPLAY", server->display().c_str());
        driverEnv.emplace("SDL_VIDEODRIVER", nullptr);
        RunLoop::resetMain();
        WindowServer::shared().reset();
        ScreenBackend& installed = platform::installScreenBackend(false);
        ASSERT_EQ(installed.name(), "sdl2");
        backend = static_cast<SdlScreenBackend*>(&installed);
        std::string clientWhy;
        ASSERT_TRUE(x.open(server->display(), clientWhy)) << clientWhy;
    }
    void TearDown() override {
        window.reset();
        platform::setScreenBackend(nullptr);
        WindowServer::shared().reset();
        RunLoop::resetMain();
        Application::resetSharedApplication();
    }

    // A borderless window at kit frame (100, 100, 200, 150), filled with 0x3399cc, a red
    // marker in its top left corner.
    void open() {
        window = make<KeyableWindow>(Rect(100, 100, 200, 150), BorderlessWindowMask);
        auto content = make<PaintedView>(Rect(0, 0, 200, 150), Color(0.2, 0.6, 0.8));
        content->marker = Color(1, 0, 0);
        view = content.get();
        window->setContentView(content);
        window->makeKeyAndOrderFront(nullptr);
        window->makeFirstResponder(view);
        // The server has the window once SDL has seen it exposed.
        sdltest::runUntil([] { return false; }, 0.2);
    }

    static inline std::unique_ptr<sdltest::Xvfb> server;
    static inline std::string why;
    std::optional<ScopedEnv> displayEnv;
    std::optional<ScopedEnv> driverEnv;
    SdlScreenBackend* backend = nullptr;
    XClient x;
    std::shared_ptr<platform::Window> window;
    PaintedView* view = nullptr;
};

TEST_F(SdlSmoke, AWindowIsDrawnOnTheServerTakesAClickAndCloses) {
    const Rect screen = platform::Screen::mainScreen()->frame();
    EXPECT_EQ(screen, Rect(0, 0, 1280, 800));
    open();
    ASSERT_GE(backend->presentCount(*window), 1);

    // Kit frame (100, 100, 200, 150) is root rectangle (100, 550, 200, 150).
    EXPECT_EQ(x.pixel(100 + 100, 550 + 75), 0x3399ccu);
    EXPECT_EQ(x.pixel(100 + 2, 550 + 2), 0xff0000u);
    EXPECT_EQ(x.pixel(100 + 2, 550 + 147), 0x3399ccu);
    EXPECT_NE(x.pixel(100 + 205, 550 + 75), 0x3399ccu);

    // A click on the server, 50 pixels in and 30 down.
    if (x.canFakeInput()) {
        x.click(100 + 50, 550 + 30, 1);
    } else {
        for (Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
            SDL_Event e{};
            e.button.type = type;
            e.button.windowID = backend->sdlWindowId(*window);
            e.button.button = SDL_BUTTON_LEFT;
            e.button.clicks = 1;
            e.button.x = 50;
            e.button.y = 30;
            SDL_PushEvent(&e);
        }
    }
    ASSERT_TRUE(sdltest::runUntil([&] { return !view->of(EventType::LeftMouseUp).empty(); }));
    const auto downs = view->of(EventType::LeftMouseDown);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].locationInWindow(), Point(50, 120));
    EXPECT_EQ(downs[0].clickCount(), 1);

    // Closing takes the window off the server.
    window->close();
    sdltest::runUntil([] { return false; }, 0.1);
    EXPECT_NE(x.pixel(100 + 100, 550 + 75), 0x3399ccu);
}

TEST_F(SdlSmoke, TypedKeysReachTheFirstResponder) {
    open();
    if (!x.canFakeInput())
        GTEST_SKIP() << "XTest is not available to type on the server";
    ASSERT_TRUE(window->isKeyWindow());
    // The pointer over the window and the focus on it, as after a click.
    x.click(100 + 50, 550 + 30, 1);
    x.type(XK_a);
    x.type(XK_Left);
    ASSERT_TRUE(sdltest::runUntil([&] { return view->of(EventType::KeyUp).size() >= 2; }));
    const auto downs = view->of(EventType::KeyDown);
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_EQ(downs[0].characters(), "a");
    EXPECT_EQ(downs[0].keyCode(), platform::KeyCode::A);
    EXPECT_EQ(downs[1].characters(), platform::utf8FromCodePoint(platform::LeftArrowFunctionKey));
    EXPECT_EQ(downs[1].keyCode(), platform::KeyCode::LeftArrow);
}

TEST_F(SdlSmoke, MovesOnTheServerAndCloseRequestsReachTheKit) {
    open();
    RecordingDelegate delegate;
    window->setDelegate(&delegate);
    const ::Window xwindow = backend->x11WindowId(*window);
    ASSERT_NE(xwindow, 0u);

    // Moved as a window manager would: the kit frame follows, y turned upwards.
    x.moveWindow(x.display, xwindow, 300, 200);
    x.sync(x.display, 0);
    ASSERT_TRUE(sdltest::runUntil([&] { return window->frame().origin == Point(300, 450); }))
        << platform::stringFromRect(window->frame());
    EXPECT_EQ(delegate.moves, 1);

    // Moved by the kit: the server follows.
    window->setFrameOrigin(Point(20, 30));
    sdltest::runUntil([] { return false; }, 0.2);
    EXPECT_EQ(window->frame().origin, Point(20, 30));
    EXPECT_EQ(x.pixel(20 + 100, 800 - 30 - 150 + 75), 0x3399ccu);

    x.requestClose(xwindow);
    ASSERT_TRUE(sdltest::runUntil([&] { return delegate.shouldCloseAsked > 0; }));
    EXPECT_FALSE(window->isVisible());
    window->setDelegate(nullptr);
}

TEST_F(SdlSmoke, LevelAlphaAndIconReachTheXWindow) {
    open();
    SDL_Window* sdlWindow = SDL_GetWindowFromID(backend->sdlWindowId(*window));
    ASSERT_NE(sdlWindow, nullptr);
    window->setLevel(platform::FloatingWindowLevel);
    EXPECT_TRUE(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_ALWAYS_ON_TOP);
    window->setLevel(platform::NormalWindowLevel);
    EXPECT_FALSE(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_ALWAYS_ON_TOP);

    window->setAlphaValue(0.5);
    float opacity = 0;
    SDL_GetWindowOpacity(sdlWindow, &opacity);
    EXPECT_NEAR(opacity, 0.5f, 0.01f);

    // A half-transparent red icon: the kit keeps colours premultiplied, the desktop takes
    // them straight (_NET_WM_ICON: width, height, then ARGB words).
    auto icon = std::make_shared<platform::Image>(platform::Size(4, 3));
    icon->lockFocus();
    platform::GraphicsContext::currentContext()->setFillColor(Color(1, 0, 0, 0.5));
    platform::GraphicsContext::currentContext()->fillRect(Rect(0, 0, 4, 3));
    icon->unlockFocus();
    backend->setWindowIcon(*window, icon);
    // Read through another connection: the property is there once SDL's requests reach the
    // server, which a busy machine may take a moment to do.
    auto words = x.property(backend->x11WindowId(*window), "_NET_WM_ICON");
    for (int tries = 0; tries < 200 && words.size() != 2u + 4 * 3; ++tries) {
        SDL_PumpEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        words = x.property(backend->x11WindowId(*window), "_NET_WM_ICON");
    }
    ASSERT_EQ(words.size(), 2u + 4 * 3);
    EXPECT_EQ(words[0], 4);
    EXPECT_EQ(words[1], 3);
    const unsigned long pixel = static_cast<unsigned long>(words[2]) & 0xffffffffu;
    EXPECT_NEAR(static_cast<double>(pixel >> 24), 128, 1);
    EXPECT_EQ((pixel >> 16) & 0xff, 0xffu);
    EXPECT_EQ(pixel & 0xffff, 0u);
}

TEST_F(SdlSmoke, TheClipboardHoldsWhatWasCopied) {
    Pasteboard::generalPasteboard().writeString("+1 555 0100");
    EXPECT_EQ(Pasteboard::generalPasteboard().stringForType(PasteboardTypeString),
              std::optional<std::string>("+1 555 0100"));
}

} // namespace

// A request that crosses a window's destruction (SDL's wake-up sent to a menu just closed)
// comes back as BadWindow: logged, and the program goes on drawing and taking input.
TEST_F(SdlSmoke, AnXErrorOnAWindowThatIsGoneIsLoggedNotFatal) {
    ASSERT_TRUE(platform::X11ErrorHandler::isInstalled());
    open();
    SDL_Window* sdlWindow = SDL_GetWindowFromID(backend->sdlWindowId(*window));
    ASSERT_NE(sdlWindow, nullptr);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(sdlWindow, &info));
    ASSERT_EQ(info.subsystem, SDL_SYSWM_X11);
    Display* display = info.info.x11.display;
    const ::Window gone = info.info.x11.window;
    const Uint32 goneId = backend->sdlWindowId(*window);
    window->orderOut(nullptr);
    window.reset();
    ASSERT_EQ(SDL_GetWindowFromID(goneId), nullptr) << "the X window has been destroyed";

    std::vector<std::string> log;
    platform::setLogSink([&log](std::string_view line) { log.emplace_back(line); });
    const auto before = platform::X11ErrorHandler::ignoredErrorCount();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = gone;
    event.xclient.format = 32;
    XSendEvent(display, gone, False, NoEventMask, &event);
    XSync(display, False);
    platform::setLogSink(nullptr);

    EXPECT_EQ(platform::X11ErrorHandler::ignoredErrorCount(), before + 1);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("X error on a window that no longer exists"), std::string::npos)
        << log[0];
    EXPECT_NE(log[0].find("BadWindow"), std::string::npos) << log[0];

    open();
    EXPECT_EQ(x.pixel(100 + 100, 550 + 75), 0x3399ccu) << "windows still open and draw";
}
