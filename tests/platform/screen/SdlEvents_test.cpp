// The SDL backend on SDL's off-screen video driver: SDL events pushed into its queue must come
// out as the kit's events, window calls and pixels. No display is needed.
#include "SdlTestSupport.h"
#include "platform/kit/Application.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/Screen.h"
#include "platform/screen/SdlScreenBackend.h"

#include <SDL2/SDL.h>
#include <array>
#include <atomic>
#include <cstring>
#include <ctime>
#include <thread>

namespace {

using namespace platform;
using sdltest::KeyableWindow;
using sdltest::PaintedView;
using sdltest::RecordingDelegate;
using sdltest::ScopedEnv;

class SdlEvents : public ::testing::Test {
protected:
    void SetUp() override {
        RunLoop::resetMain();
        setScreenBackend(nullptr);
        WindowServer::shared().reset();
        std::string error;
        auto created = SdlScreenBackend::create(&error);
        if (!created)
            GTEST_SKIP() << "SDL's off-screen video driver cannot start: " << error;
        backend = created.get();
        setScreenBackend(std::move(created));
        screenHeight = Screen::mainScreen()->frame().height();
    }
    void TearDown() override {
        window.reset();
        setScreenBackend(nullptr);
        WindowServer::shared().reset();
        RunLoop::resetMain();
        Application::resetSharedApplication();
    }

    // A window at (100, 100) of 300 x 200 whose content view records events.
    void open(WindowStyleMask style = BorderlessWindowMask) {
        window = make<KeyableWindow>(Rect(100, 100, 300, 200), style);
        auto content = make<PaintedView>(Rect(0, 0, 300, 200), Color(0.2, 0.6, 0.8));
        view = content.get();
        window->setContentView(content);
        window->makeKeyAndOrderFront(nullptr);
        window->makeFirstResponder(view);
        id = backend->sdlWindowId(*window);
        ASSERT_NE(id, 0u);
    }

    void push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }
    void button(Uint32 type, Uint8 which, int x, int y, Uint8 clicks = 1) {
        SDL_Event e{};
        e.button.type = type;
        e.button.windowID = id;
        e.button.button = which;
        e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.button.clicks = clicks;
        e.button.x = x;
        e.button.y = y;
        push(e);
    }
    void key(Uint32 type, SDL_Scancode scancode, SDL_Keycode keycode, Uint16 mod = 0,
             const char* text = nullptr) {
        SDL_Event e{};
        e.key.type = type;
        e.key.windowID = id;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.scancode = scancode;
        e.key.keysym.sym = keycode;
        e.key.keysym.mod = mod;
        push(e);
        if (text) {
            SDL_Event t{};
            t.text.type = SDL_TEXTINPUT;
            t.text.windowID = id;
            SDL_strlcpy(t.text.text, text, sizeof(t.text.text));
            push(t);
        }
    }
    void windowEvent(Uint8 what, int data1 = 0, int data2 = 0) {
        SDL_Event e{};
        e.window.type = SDL_WINDOWEVENT;
        e.window.windowID = id;
        e.window.event = what;
        e.window.data1 = data1;
        e.window.data2 = data2;
        push(e);
    }
    // What the backend read, delivered as the run loop would.
    void deliver() {
        backend->processPendingEvents();
        WindowServer::shared().dispatchPendingEvents();
    }

    SdlScreenBackend* backend = nullptr;
    double screenHeight = 0;
    std::shared_ptr<Window> window;
    PaintedView* view = nullptr;
    Uint32 id = 0;
    // Before any SDL call of the fixture: SDL reads the driver when the backend starts.
    ScopedEnv driver{"SDL_VIDEODRIVER", "offscreen"};
};

TEST_F(SdlEvents, TheWindowIsPlacedAndItsPixelsPresentedTheRightWayUp) {
    window = make<KeyableWindow>(Rect(100, 100, 300, 200), BorderlessWindowMask);
    auto content = make<PaintedView>(Rect(0, 0, 300, 200), Color(0, 0, 1));
    content->marker = Color(1, 0, 0);
    window->setContentView(content);
    int firstPaints = 0;
    backend->setFirstPaintHandler([&](Window&) { ++firstPaints; });
    // A window never shown has no SDL window.
    EXPECT_EQ(backend->sdlWindowId(*window), 0u);
    window->orderFront(nullptr);
    SDL_Window* sdlWindow = SDL_GetWindowFromID(backend->sdlWindowId(*window));
    ASSERT_NE(sdlWindow, nullptr);
    EXPECT_GE(backend->presentCount(*window), 1);
    EXPECT_EQ(firstPaints, 1);
    EXPECT_TRUE(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_BORDERLESS);

    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(sdlWindow, &x, &y);
    SDL_GetWindowSize(sdlWindow, &w, &h);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, static_cast<int>(screenHeight) - 100 - 200);
    EXPECT_EQ(w, 300);
    EXPECT_EQ(h, 200);

    SDL_Surface* surface = SDL_GetWindowSurface(sdlWindow);
    ASSERT_NE(surface, nullptr);
    auto pixel = [&](int px, int py) {
        Uint32 value = 0;
        std::memcpy(&value,
                    static_cast<unsigned char*>(surface->pixels) + py * surface->pitch + px * 4, 4);
        Uint8 r, g, b;
        SDL_GetRGB(value, surface->format, &r, &g, &b);
        return std::array<int, 3>{r, g, b};
    };
    // The marker is in the top left corner of the view, row 0 of the surface.
    EXPECT_EQ(pixel(2, 2), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(pixel(2, 197), (std::array<int, 3>{0, 0, 255}));
    EXPECT_EQ(pixel(150, 100), (std::array<int, 3>{0, 0, 255}));

    // Later drawing reaches the surface; the first paint is not reported again.
    content->marker = Color(0, 1, 0);
    content->setNeedsDisplay(true);
    window->displayIfNeeded();
    EXPECT_EQ(pixel(2, 2), (std::array<int, 3>{0, 255, 0}));
    EXPECT_EQ(firstPaints, 1);

    // Ordered out: hidden, not destroyed; back in: shown again.
    window->orderOut(nullptr);
    EXPECT_TRUE(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_HIDDEN);
    window->orderFront(nullptr);
    EXPECT_FALSE(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_HIDDEN);
    EXPECT_EQ(SDL_GetWindowFromID(backend->sdlWindowId(*window)), sdlWindow);
}

TEST_F(SdlEvents, PropertiesAndFramesFollowTheKitWindow) {
    open();
    SDL_Window* sdlWindow = SDL_GetWindowFromID(id);
    window->setTitle("Calls");
    EXPECT_STREQ(SDL_GetWindowTitle(sdlWindow), "Calls");
    window->setFrame(Rect(200, 50, 320, 240), false);
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(sdlWindow, &x, &y);
    SDL_GetWindowSize(sdlWindow, &w, &h);
    EXPECT_EQ(x, 200);
    EXPECT_EQ(y, static_cast<int>(screenHeight) - 50 - 240);
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
}

TEST_F(SdlEvents, MouseButtonsReachTheViewAtThePixelTheyHit) {
    open();
    button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20, 2);
    button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 10, 20, 2);
    button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 299, 0);
    button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 299, 0);
    button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 0, 199);
    button(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 0, 199);
    deliver();

    ASSERT_EQ(view->events.size(), 6u);
    const Event& down = view->events[0];
    EXPECT_EQ(down.type(), EventType::LeftMouseDown);
    EXPECT_EQ(down.locationInWindow(), Point(10, 180));
    EXPECT_EQ(down.clickCount(), 2);
    EXPECT_EQ(down.window(), window.get());
    EXPECT_EQ(view->events[1].type(), EventType::LeftMouseUp);
    EXPECT_EQ(view->events[2].type(), EventType::RightMouseDown);
    EXPECT_EQ(view->events[2].locationInWindow(), Point(299, 200));
    EXPECT_EQ(view->events[2].buttonNumber(), 1);
    EXPECT_EQ(view->events[3].type(), EventType::RightMouseUp);
    EXPECT_EQ(view->events[4].type(), EventType::OtherMouseDown);
    EXPECT_EQ(view->events[4].locationInWindow(), Point(0, 1));
    EXPECT_EQ(view->events[4].buttonNumber(), 2);
    EXPECT_EQ(view->events[5].type(), EventType::OtherMouseUp);
    // The pointer's screen position follows.
    EXPECT_EQ(backend->mouseLocation(), Point(100, 101));
}

TEST_F(SdlEvents, MotionsBecomeDragsWhileAButtonIsHeldAndRunsOfThemAreJoined) {
    open();
    window->setAcceptsMouseMovedEvents(true);
    auto motion = [&](int x, int y, Uint32 state) {
        SDL_Event e{};
        e.motion.type = SDL_MOUSEMOTION;
        e.motion.windowID = id;
        e.motion.state = state;
        e.motion.x = x;
        e.motion.y = y;
        push(e);
    };
    motion(5, 5, 0);
    motion(6, 6, 0);
    button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 6, 6);
    motion(20, 30, SDL_BUTTON_LMASK);
    motion(40, 50, SDL_BUTTON_LMASK);
    button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 40, 50);
    deliver();

    std::vector<EventType> types;
    for (const Event& e : view->events)
        types.push_back(e.type());
    EXPECT_EQ(types, (std::vector<EventType>{EventType::MouseMoved, EventType::LeftMouseDown,
                                             EventType::LeftMouseDragged, EventType::LeftMouseUp}));
    EXPECT_EQ(view->events[0].locationInWindow(), Point(6, 194));
    EXPECT_EQ(view->events[2].locationInWindow(), Point(40, 150));
}

TEST_F(SdlEvents, WheelScrollsAtThePointer) {
    open();
    SDL_Event e{};
    e.wheel.type = SDL_MOUSEWHEEL;
    e.wheel.windowID = id;
    e.wheel.y = 1;
    e.wheel.preciseY = 1.5f;
    e.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    e.wheel.mouseX = 30;
    e.wheel.mouseY = 40;
    push(e);
    deliver();
    ASSERT_EQ(view->events.size(), 1u);
    EXPECT_EQ(view->events[0].type(), EventType::ScrollWheel);
    EXPECT_DOUBLE_EQ(view->events[0].deltaY(), 1.5);
    EXPECT_EQ(view->events[0].locationInWindow(), Point(30, 160));
}

TEST_F(SdlEvents, KeysCarryTheirTextCodesAndFlags) {
    open();
    key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, KMOD_NONE, "a");
    key(SDL_KEYUP, SDL_SCANCODE_A, SDLK_a);
    key(SDL_KEYDOWN, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_LSHIFT);
    key(SDL_KEYDOWN, SDL_SCANCODE_2, SDLK_2, KMOD_LSHIFT, "@");
    key(SDL_KEYUP, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_NONE);
    // Ctrl gives no text: the key's own character, with the Command flag.
    key(SDL_KEYDOWN, SDL_SCANCODE_C, SDLK_c, KMOD_LCTRL);
    key(SDL_KEYDOWN, SDL_SCANCODE_UP, SDLK_UP);
    key(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE);
    key(SDL_KEYDOWN, SDL_SCANCODE_TAB, SDLK_TAB, KMOD_LSHIFT);
    // Text an input method commits without a key of its own.
    SDL_Event text{};
    text.text.type = SDL_TEXTINPUT;
    text.text.windowID = id;
    SDL_strlcpy(text.text.text, "\xe4\xbd\xa0\xe5\xa5\xbd", sizeof(text.text.text));
    push(text);
    deliver();

    struct Expected {
        EventType type;
        std::string characters;
        std::string ignoring;
        unsigned short keyCode;
        EventModifierFlags flags;
    };
    const Expected expected[] = {
        {EventType::KeyDown, "a", "a", KeyCode::A, 0},
        {EventType::KeyUp, "a", "a", KeyCode::A, 0},
        {EventType::FlagsChanged, "", "", KeyCode::Shift, ShiftKeyMask},
        {EventType::KeyDown, "@", "@", KeyCode::Digit2, ShiftKeyMask},
        {EventType::FlagsChanged, "", "", KeyCode::Shift, 0},
        {EventType::KeyDown, "c", "c", KeyCode::C, CommandKeyMask},
        {EventType::KeyDown, "\xef\x9c\x80", "\xef\x9c\x80", KeyCode::UpArrow,
         NumericPadKeyMask | FunctionKeyMask},
        {EventType::KeyDown, "\x7f", "\x7f", KeyCode::Delete, 0},
        {EventType::KeyDown, "\x19", "\x19", KeyCode::Tab, ShiftKeyMask},
        {EventType::KeyDown, "\xe4\xbd\xa0\xe5\xa5\xbd", "\xe4\xbd\xa0\xe5\xa5\xbd", 0, 0},
    };
    ASSERT_EQ(view->events.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const Event& e = view->events[i];
        EXPECT_EQ(e.type(), expected[i].type);
        EXPECT_EQ(e.characters(), expected[i].characters);
        EXPECT_EQ(e.charactersIgnoringModifiers(), expected[i].ignoring);
        EXPECT_EQ(e.keyCode(), expected[i].keyCode);
        EXPECT_EQ(e.modifierFlags(), expected[i].flags);
    }
}

TEST_F(SdlEvents, TextGoesWithTheKeyThatTypedIt) {
    open();
    // A shortcut without text, then a typed key: the text belongs to the second key only.
    key(SDL_KEYDOWN, SDL_SCANCODE_S, SDLK_s, KMOD_LCTRL);
    key(SDL_KEYDOWN, SDL_SCANCODE_B, SDLK_b, KMOD_NONE, "b");
    // Alt types the layout's character; ignoring modifiers gives the plain key.
    key(SDL_KEYDOWN, SDL_SCANCODE_E, SDLK_e, KMOD_LALT, "\xc3\xa9");
    key(SDL_KEYUP, SDL_SCANCODE_E, SDLK_e, KMOD_LALT);
    deliver();
    ASSERT_EQ(view->events.size(), 4u);
    EXPECT_EQ(view->events[0].characters(), "s");
    EXPECT_EQ(view->events[0].modifierFlags(), CommandKeyMask);
    EXPECT_EQ(view->events[1].characters(), "b");
    EXPECT_EQ(view->events[2].characters(), "\xc3\xa9");
    EXPECT_EQ(view->events[2].charactersIgnoringModifiers(), "e");
    EXPECT_EQ(view->events[2].modifierFlags(), AlternateKeyMask);
    // The key-up tells what its key-down typed.
    EXPECT_EQ(view->events[3].type(), EventType::KeyUp);
    EXPECT_EQ(view->events[3].characters(), "\xc3\xa9");
}

TEST_F(SdlEvents, TheWindowManagersMovesAndResizesReachTheKitFrame) {
    open();
    RecordingDelegate delegate;
    window->setDelegate(&delegate);
    const int top = static_cast<int>(screenHeight) - 100 - 200;
    // Moved by the user: y counts down from the top of the screen in X11.
    windowEvent(SDL_WINDOWEVENT_MOVED, 400, top + 50);
    deliver();
    EXPECT_EQ(window->frame(), Rect(400, 50, 300, 200));
    EXPECT_EQ(delegate.moves, 1);

    // Resized by the user, the top left corner staying.
    SDL_SetWindowSize(SDL_GetWindowFromID(id), 350, 260);
    SDL_FlushEvents(SDL_WINDOWEVENT, SDL_WINDOWEVENT);
    windowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 350, 260);
    deliver();
    EXPECT_EQ(window->frame().size, Size(350, 260));
    EXPECT_EQ(window->frame().maxY(), 250);
    EXPECT_EQ(delegate.resizes, 1);
    window->setDelegate(nullptr);
}

TEST_F(SdlEvents, LateReportsOfOurOwnMovesDoNotPullTheWindowBack) {
    open();
    window->setFrameOrigin(Point(10, 10));
    window->setFrameOrigin(Point(20, 20));
    const int height = static_cast<int>(screenHeight);
    // The server confirms the first move after the second was asked for.
    windowEvent(SDL_WINDOWEVENT_MOVED, 10, height - 10 - 200);
    windowEvent(SDL_WINDOWEVENT_MOVED, 20, height - 20 - 200);
    deliver();
    EXPECT_EQ(window->frame().origin, Point(20, 20));
}

TEST_F(SdlEvents, CloseRequestsAskTheDelegate) {
    open(TitledWindowMask | ClosableWindowMask);
    RecordingDelegate delegate;
    delegate.allowClose = false;
    window->setDelegate(&delegate);
    windowEvent(SDL_WINDOWEVENT_CLOSE);
    deliver();
    EXPECT_EQ(delegate.shouldCloseAsked, 1);
    EXPECT_TRUE(window->isVisible());
    delegate.allowClose = true;
    windowEvent(SDL_WINDOWEVENT_CLOSE);
    deliver();
    EXPECT_EQ(delegate.shouldCloseAsked, 2);
    EXPECT_FALSE(window->isVisible());
    window->setDelegate(nullptr);
}

TEST_F(SdlEvents, FocusMakesTheWindowKeyAndActivatesTheApplication) {
    open(TitledWindowMask);
    auto other = make<Window>(Rect(500, 100, 100, 100), TitledWindowMask);
    other->makeKeyAndOrderFront(nullptr);
    ASSERT_TRUE(other->isKeyWindow());
    Application::sharedApplication().deactivate();
    windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    deliver();
    EXPECT_TRUE(window->isKeyWindow());
    EXPECT_TRUE(window->isMainWindow());
    EXPECT_TRUE(Application::sharedApplication().isActive());
}

TEST_F(SdlEvents, EventsOfAWindowGoneAreDropped) {
    open();
    button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 10);
    window.reset();
    view = nullptr;
    deliver();
    EXPECT_EQ(WindowServer::shared().queuedEventCount(), 0u);
}

TEST_F(SdlEvents, TheLoopWaitsForTimersAndEventsWithoutSpinning) {
    bool fired = false;
    auto timer = Timer::scheduledTimerWithTimeInterval(0.3, false, [&](Timer&) { fired = true; });
    timespec cpu0{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu0);
    const auto wall0 = std::chrono::steady_clock::now();
    EXPECT_TRUE(sdltest::runUntil([&] { return fired; }, 5.0));
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    timespec cpu1{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu1);
    const double cpu = (cpu1.tv_sec - cpu0.tv_sec) + (cpu1.tv_nsec - cpu0.tv_nsec) / 1e9;
    EXPECT_GE(wall, 0.29);
    EXPECT_LT(wall, 1.5);
    // A spinning loop would burn the whole 0.3 s.
    EXPECT_LT(cpu, 0.1);

    // Another thread's task cuts a long wait short.
    std::atomic<bool> ran{false};
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        RunLoop::main().postFromAnyThread([&] { ran = true; });
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(sdltest::runUntil([&] { return ran.load(); }, 10.0));
    poster.join();
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 2.0);
}

TEST_F(SdlEvents, TheGeneralPasteboardsTextIsTheClipboard) {
    Pasteboard::generalPasteboard().writeString("caf\xc3\xa9 \xe2\x98\x8e");
    char* text = SDL_GetClipboardText();
    EXPECT_STREQ(text, "caf\xc3\xa9 \xe2\x98\x8e");
    SDL_free(text);
    SDL_SetClipboardText("from elsewhere");
    EXPECT_EQ(Pasteboard::generalPasteboard().stringForType(PasteboardTypeString),
              std::optional<std::string>("from elsewhere"));
    // Without the backend the pasteboard no longer reaches SDL.
    setScreenBackend(nullptr);
    EXPECT_EQ(Pasteboard::generalBackend(), nullptr);
}

} // namespace
