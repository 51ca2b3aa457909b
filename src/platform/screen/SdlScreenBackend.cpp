#include "platform/screen/SdlScreenBackend.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Application.h"
#include "platform/kit/Event.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"
#include "platform/screen/SdlClipboard.h"
#include "platform/screen/SdlFirstPaint.h"
#include "platform/screen/SdlTranslation.h"
#include "platform/screen/X11ErrorHandler.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <algorithm>
#include <atomic>
#include <cairo.h>
#include <climits>
#include <cmath>
#include <cstring>
#include <deque>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <unordered_map>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace platform {

namespace {

using sdl::PixelRect;

// Requests of our own that the window manager may still confirm; older ones are stale.
constexpr std::size_t kRememberedRequests = 8;

// The SDL pixel formats that lay out words as the backing store does (alpha, if any, ignored).
bool sameLayoutAsBackingStore(Uint32 format) {
    return format == SDL_PIXELFORMAT_ARGB8888 || format == SDL_PIXELFORMAT_RGB888;
}

// An SDL surface (straight alpha) of an image, for window icons.
SDL_Surface* surfaceFromImage(const Image& image) {
    cairo_surface_t* source = image.cairoSurface();
    if (!source || cairo_surface_status(source) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    cairo_surface_flush(source);
    const int width = cairo_image_surface_get_width(source);
    const int height = cairo_image_surface_get_height(source);
    const int stride = cairo_image_surface_get_stride(source);
    const unsigned char* data = cairo_image_surface_get_data(source);
    if (!data || width <= 0 || height <= 0)
        return nullptr;
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!surface)
        return nullptr;
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const Uint32*>(data + y * stride);
        auto* out = reinterpret_cast<Uint32*>(static_cast<unsigned char*>(surface->pixels) +
                                              y * surface->pitch);
        for (int x = 0; x < width; ++x) {
            const Uint32 p = in[x];
            const Uint32 a = p >> 24;
            if (a == 0 || a == 255) {
                out[x] = a ? p : 0;
                continue;
            }
            // Cairo keeps colours premultiplied; SDL's icons take them straight.
            auto channel = [&](int shift) {
                return std::min<Uint32>(255, (((p >> shift) & 0xff) * 255 + a / 2) / a) << shift;
            };
            out[x] = (a << 24) | channel(16) | channel(8) | channel(0);
        }
    }
    return surface;
}

} // namespace

struct SdlScreenBackend::Impl {
    // The run-loop source: SDL's queue and the loop's timers are waited on together, since
    // the loop passes its next timer date as the timeout. The wait is a poll of the X
    // connection and of an event counter that other threads bump to cut it short: SDL's own
    // wake-up sends an X event to one of our windows from the waking thread, which fails
    // with BadWindow when that window is being destroyed at the same moment.
    class Source final : public RunLoopSource {
    public:
        explicit Source(Impl& impl) : impl_(impl) {}
        bool waitAndDispatch(TimeInterval timeout) override { return impl_.wait(timeout); }
        void wakeUp() override { impl_.wakeUp(); }

    private:
        Impl& impl_;
    };

    struct Record {
        Window* window = nullptr;
        int number = 0;
        SDL_Window* sdl = nullptr;
        Uint32 id = 0;
        bool shown = false;
        // The kit has drawn the window at least once, so there is something to show.
        bool hasContent = false;
        bool presenting = false;
        Rect pendingDirty;
        int presents = 0;
        // Where the X window is as far as we know: what we asked for or the window manager
        // reported last.
        PixelRect placed;
        std::deque<PixelRect> requested;
        std::shared_ptr<Image> icon;
        WindowStyleMask style = 0;
    };

    explicit Impl(SdlScreenBackend& owner) : owner(owner), source(*this) {}

    SdlScreenBackend& owner;
    Source source;
    // Written by wakeUp from any thread, read by the waiting main thread.
    int wakeFd = -1;
    // The X connection SDL reads its events from, known once the first window exists.
    int displayFd = -1;
    std::unordered_map<Window*, Record> records;
    std::unordered_map<Uint32, Window*> byId;
    // The main display in root-window pixels; kit screen coordinates start at its lower left.
    SDL_Rect mainBounds{0, 0, 0, 0};
    // A motion not yet posted: consecutive motions of one batch become one event.
    bool haveMotion = false;
    SDL_MouseMotionEvent motion{};
    // The characters a key gave when it went down, for its key-up.
    std::unordered_map<int, std::pair<std::string, std::string>> keyCharacters;
    long eventNumber = 0;
    bool focusLostInBatch = false;
    FirstPaintHandler firstPaint;
    bool firstPaintDone = false;
    // The general pasteboard's link to the clipboard while this backend runs SDL.
    PasteboardBackend* clipboard = nullptr;
    // The application's tile picture, the icon of windows without one of their own.
    std::shared_ptr<Image> applicationIcon;

    // Coordinates.
    double rootBottom() const { return mainBounds.y + mainBounds.h; }
    PixelRect toPixels(const Rect& frame) const {
        return sdl::pixelRectFromFrame(frame.offsetBy(mainBounds.x, 0), rootBottom());
    }
    Rect toFrame(const PixelRect& rect) const {
        return sdl::frameFromPixelRect(rect, rootBottom()).offsetBy(-mainBounds.x, 0);
    }
    Point screenPoint(double rootX, double rootY) const {
        return sdl::screenPointFromRootPixel(rootX - mainBounds.x, rootY, rootBottom());
    }

    void readMainBounds() {
        if (SDL_GetNumVideoDisplays() < 1 || SDL_GetDisplayBounds(0, &mainBounds) != 0)
            mainBounds = SDL_Rect{0, 0, 1440, 900};
    }

    Record* record(const Window& window) {
        auto it = records.find(const_cast<Window*>(&window));
        return it == records.end() ? nullptr : &it->second;
    }
    Record& ensureRecord(Window& window) {
        Record& rec = records[&window];
        rec.window = &window;
        rec.number = window.windowNumber();
        return rec;
    }
    // The live kit window of an SDL window id, or nullptr.
    Window* windowForId(Uint32 id) const {
        auto it = byId.find(id);
        if (it == byId.end())
            return nullptr;
        // The number is looked up again so that a window gone meanwhile answers nullptr.
        return WindowServer::shared().windowWithNumber(it->second->windowNumber()) == it->second
                   ? it->second
                   : nullptr;
    }

    // Window management.
    bool createSdlWindow(Window& window, Record& rec);
    void applyProperties(Window& window, Record& rec);
    void applyFrame(Window& window, Record& rec);
    void present(Window& window, Record& rec, const Rect& requested);
    void destroySdlWindow(Record& rec);

    // Events.
    bool wait(TimeInterval timeout);
    void wakeUp();
    bool drain();
    void handle(SDL_Event& event);
    void flushMotion();
    void handleWindowEvent(const SDL_WindowEvent& event);
    void handleButton(const SDL_MouseButtonEvent& event);
    void handleMotion(const SDL_MouseMotionEvent& event);
    void handleWheel(const SDL_MouseWheelEvent& event);
    void handleKey(const SDL_KeyboardEvent& event);
    void handleText(const SDL_TextInputEvent& event);
    void reportFrame(Window& window, Record& rec, const PixelRect& reported);
    void post(const Event& event) { WindowServer::shared().postEvent(event); }
    TimeInterval now() const { return RunLoop::main().now(); }
};

// ---- Windows ---------------------------------------------------------------------------

bool SdlScreenBackend::Impl::createSdlWindow(Window& window, Record& rec) {
    const PixelRect r = toPixels(window.frame());
    Uint32 flags = SDL_WINDOW_HIDDEN;
    const WindowStyleMask style = window.styleMask();
    if (!(style & TitledWindowMask))
        flags |= SDL_WINDOW_BORDERLESS;
    if (style & ResizableWindowMask)
        flags |= SDL_WINDOW_RESIZABLE;
    if (window.level() >= PopUpMenuWindowLevel)
        flags |= SDL_WINDOW_POPUP_MENU;
    else if ((style & UtilityWindowMask) || window.level() > NormalWindowLevel)
        flags |= SDL_WINDOW_SKIP_TASKBAR;
    if (window.level() > NormalWindowLevel)
        flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    rec.sdl = SDL_CreateWindow(window.title().c_str(), r.x, r.y, r.width, r.height, flags);
    if (!rec.sdl) {
        Log(std::string("SDL cannot create a window: ") + SDL_GetError());
        return false;
    }
    rec.id = SDL_GetWindowID(rec.sdl);
    if (displayFd < 0) {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (SDL_GetWindowWMInfo(rec.sdl, &info) && info.subsystem == SDL_SYSWM_X11)
            displayFd = XConnectionNumber(info.info.x11.display);
    }
    rec.placed = r;
    rec.requested.clear();
    rec.style = style;
    byId[rec.id] = &window;
    applyProperties(window, rec);
    if (const auto& icon = rec.icon ? rec.icon : applicationIcon)
        if (SDL_Surface* surface = surfaceFromImage(*icon)) {
            SDL_SetWindowIcon(rec.sdl, surface);
            SDL_FreeSurface(surface);
        }
    return true;
}

void SdlScreenBackend::Impl::applyProperties(Window& window, Record& rec) {
    if (!rec.sdl)
        return;
    const WindowStyleMask style = window.styleMask();
    SDL_SetWindowTitle(rec.sdl, window.title().c_str());
    if ((style & TitledWindowMask) != (rec.style & TitledWindowMask))
        SDL_SetWindowBordered(rec.sdl, (style & TitledWindowMask) ? SDL_TRUE : SDL_FALSE);
    if ((style & ResizableWindowMask) != (rec.style & ResizableWindowMask))
        SDL_SetWindowResizable(rec.sdl, (style & ResizableWindowMask) ? SDL_TRUE : SDL_FALSE);
    rec.style = style;
    SDL_SetWindowOpacity(rec.sdl, static_cast<float>(std::clamp(window.alphaValue(), 0.0, 1.0)));
    SDL_SetWindowAlwaysOnTop(rec.sdl, window.level() > NormalWindowLevel ? SDL_TRUE : SDL_FALSE);
    const Size minSize = window.minSize();
    const Size maxSize = window.maxSize();
    SDL_SetWindowMinimumSize(rec.sdl, std::max(1, static_cast<int>(std::lround(minSize.width))),
                             std::max(1, static_cast<int>(std::lround(minSize.height))));
    if (style & ResizableWindowMask)
        SDL_SetWindowMaximumSize(
            rec.sdl, std::clamp(static_cast<int>(std::lround(maxSize.width)), 1, 16384),
            std::clamp(static_cast<int>(std::lround(maxSize.height)), 1, 16384));
}

void SdlScreenBackend::Impl::applyFrame(Window& window, Record& rec) {
    if (!rec.sdl)
        return;
    const PixelRect r = toPixels(window.frame());
    if (r == rec.placed)
        return;
    if (r.x != rec.placed.x || r.y != rec.placed.y)
        SDL_SetWindowPosition(rec.sdl, r.x, r.y);
    if (r.width != rec.placed.width || r.height != rec.placed.height)
        SDL_SetWindowSize(rec.sdl, r.width, r.height);
    rec.placed = r;
    rec.requested.push_back(r);
    while (rec.requested.size() > kRememberedRequests)
        rec.requested.pop_front();
}

void SdlScreenBackend::Impl::destroySdlWindow(Record& rec) {
    if (!rec.sdl)
        return;
    byId.erase(rec.id);
    SDL_DestroyWindow(rec.sdl);
    rec.sdl = nullptr;
    rec.id = 0;
    rec.shown = false;
}

void SdlScreenBackend::Impl::present(Window& window, Record& rec, const Rect& requested) {
    if (!rec.sdl || !rec.shown)
        return;
    if (rec.presenting) {
        // Reading the backing store let the kit draw what was still pending; that goes out
        // with the present under way.
        rec.pendingDirty = rec.pendingDirty.unionWith(requested);
        return;
    }
    rec.presenting = true;
    const WindowPixels pixels = window.backingPixels();
    rec.presenting = false;
    const Rect dirty = requested.unionWith(rec.pendingDirty);
    rec.pendingDirty = {};
    if (!pixels.data)
        return;
    SDL_Surface* surface = SDL_GetWindowSurface(rec.sdl);
    if (!surface) {
        Log(std::string("SDL has no surface for a window: ") + SDL_GetError());
        return;
    }
    const int width = std::min(pixels.width, surface->w);
    const int height = std::min(pixels.height, surface->h);
    // The dirty rectangle is in window base points, y upwards; rows count from the top.
    const double scale = pixels.scale > 0 ? pixels.scale : 1.0;
    const double pointsHigh = pixels.height / scale;
    int x0 = static_cast<int>(std::floor(dirty.minX() * scale));
    int x1 = static_cast<int>(std::ceil(dirty.maxX() * scale));
    int y0 = static_cast<int>(std::floor((pointsHigh - dirty.maxY()) * scale));
    int y1 = static_cast<int>(std::ceil((pointsHigh - dirty.minY()) * scale));
    x0 = std::clamp(x0, 0, width);
    x1 = std::clamp(x1, 0, width);
    y0 = std::clamp(y0, 0, height);
    y1 = std::clamp(y1, 0, height);
    if (x1 <= x0 || y1 <= y0)
        return;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0)
        return;
    const unsigned char* from = pixels.data + y0 * pixels.stride + x0 * 4;
    auto* to = static_cast<unsigned char*>(surface->pixels) + y0 * surface->pitch +
               x0 * surface->format->BytesPerPixel;
    if (sameLayoutAsBackingStore(surface->format->format)) {
        for (int y = y0; y < y1; ++y) {
            std::memcpy(to, from, static_cast<std::size_t>(x1 - x0) * 4);
            from += pixels.stride;
            to += surface->pitch;
        }
    } else {
        SDL_ConvertPixels(x1 - x0, y1 - y0, SDL_PIXELFORMAT_ARGB8888, from, pixels.stride,
                          surface->format->format, to, surface->pitch);
    }
    if (SDL_MUSTLOCK(surface))
        SDL_UnlockSurface(surface);
    const SDL_Rect area{x0, y0, x1 - x0, y1 - y0};
    if (SDL_UpdateWindowSurfaceRects(rec.sdl, &area, 1) != 0) {
        Log(std::string("SDL cannot present a window: ") + SDL_GetError());
        return;
    }
    ++rec.presents;
    if (!firstPaintDone) {
        firstPaintDone = true;
        if (firstPaint)
            firstPaint(window);
    }
}

// ---- Events ----------------------------------------------------------------------------

bool SdlScreenBackend::Impl::wait(TimeInterval timeout) {
    // Pumping reads everything the X connection holds, so once nothing is queued a poll of
    // its socket sees the next event arrive.
    if (drain())
        return true;
    if (timeout <= 0)
        return false;
    // Whole milliseconds, rounded up so that a timer is never woken for too early.
    const double ms = std::ceil(timeout * 1000.0);
    const int waitMs = ms >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(ms);
    pollfd fds[2] = {{wakeFd, POLLIN, 0}, {displayFd, POLLIN, 0}};
    // Without an X connection to watch (before the first window, or SDL's off-screen driver
    // in tests) the queue is looked at again every few milliseconds.
    const bool haveDisplay = displayFd >= 0;
    const int limit = haveDisplay ? waitMs : std::min(waitMs, 5);
    if (::poll(fds, haveDisplay ? 2 : 1, limit) > 0 && (fds[0].revents & POLLIN)) {
        eventfd_t count = 0;
        [[maybe_unused]] const int read = eventfd_read(wakeFd, &count);
    }
    return drain();
}

void SdlScreenBackend::Impl::wakeUp() {
    [[maybe_unused]] const int written = eventfd_write(wakeFd, 1);
}

bool SdlScreenBackend::Impl::drain() {
    bool handled = false;
    SDL_Event event;
    while (SDL_PollEvent(&event) == 1) {
        handle(event);
        handled = true;
    }
    flushMotion();
    if (focusLostInBatch) {
        focusLostInBatch = false;
        // Focus moved to another program, not to another of our windows.
        if (!SDL_GetKeyboardFocus() && Application::sharedApplication().isActive())
            Application::sharedApplication().deactivate();
    }
    return handled;
}

void SdlScreenBackend::Impl::handle(SDL_Event& event) {
    if (event.type == SDL_MOUSEMOTION) {
        // Only the last of a run of motions matters; it goes out before anything else does.
        if (haveMotion &&
            (motion.windowID != event.motion.windowID || motion.state != event.motion.state))
            flushMotion();
        motion = event.motion;
        haveMotion = true;
        return;
    }
    flushMotion();
    switch (event.type) {
    case SDL_WINDOWEVENT:
        handleWindowEvent(event.window);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        handleButton(event.button);
        break;
    case SDL_MOUSEWHEEL:
        handleWheel(event.wheel);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        handleKey(event.key);
        break;
    case SDL_TEXTINPUT:
        handleText(event.text);
        break;
    default:
        break;
    }
}

void SdlScreenBackend::Impl::flushMotion() {
    if (!haveMotion)
        return;
    haveMotion = false;
    handleMotion(motion);
}

void SdlScreenBackend::Impl::reportFrame(Window& window, Record& rec, const PixelRect& reported) {
    if (reported == rec.placed)
        return;
    // A position or size we asked for earlier arrives late: the newer request stands.
    for (auto it = rec.requested.begin(); it != rec.requested.end(); ++it) {
        if (*it == reported) {
            rec.requested.erase(rec.requested.begin(), it + 1);
            return;
        }
    }
    rec.placed = reported;
    rec.requested.clear();
    WindowServer::shared().windowMovedByScreen(window, toFrame(reported));
}

void SdlScreenBackend::Impl::handleWindowEvent(const SDL_WindowEvent& event) {
    Window* window = windowForId(event.windowID);
    if (!window)
        return;
    Record* rec = record(*window);
    if (!rec)
        return;
    switch (event.event) {
    case SDL_WINDOWEVENT_MOVED: {
        PixelRect reported = rec->placed;
        reported.x = event.data1;
        reported.y = event.data2;
        reportFrame(*window, *rec, reported);
        break;
    }
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
        PixelRect reported = rec->placed;
        // A move that comes with the resize was reported just before it.
        reported.width = event.data1;
        reported.height = event.data2;
        reportFrame(*window, *rec, reported);
        // The surface was made again at the new size: show everything.
        present(*window, *rec, Rect({}, window->frame().size));
        break;
    }
    case SDL_WINDOWEVENT_EXPOSED:
        if (rec->hasContent)
            present(*window, *rec, Rect({}, window->frame().size));
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        if (!Application::sharedApplication().isActive())
            Application::sharedApplication().activateIgnoringOtherApps(true);
        if (!window->isKeyWindow() && window->canBecomeKeyWindow())
            window->makeKeyWindow();
        if (!window->isMainWindow() && window->canBecomeMainWindow())
            window->makeMainWindow();
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        focusLostInBatch = true;
        break;
    case SDL_WINDOWEVENT_CLOSE:
        window->performClose(nullptr);
        break;
    case SDL_WINDOWEVENT_LEAVE: {
        // No motion reports that the pointer left; one motion from where it is now lets the
        // kit's tracking areas see it go.
        int rootX = 0;
        int rootY = 0;
        SDL_GetGlobalMouseState(&rootX, &rootY);
        const Point screen = screenPoint(rootX, rootY);
        owner.setMouseLocation(screen);
        const Rect frame = window->frame();
        const Event moved = Event::mouseEventWithType(
            EventType::MouseMoved, Point(screen.x - frame.minX(), screen.y - frame.minY()),
            sdl::modifierFlagsFromSdl(SDL_GetModState()), now(), window->windowNumber(),
            ++eventNumber, 0, 0);
        post(moved);
        break;
    }
    default:
        break;
    }
}

void SdlScreenBackend::Impl::handleButton(const SDL_MouseButtonEvent& event) {
    if (event.which == SDL_TOUCH_MOUSEID)
        return;
    Window* window = windowForId(event.windowID);
    if (!window)
        return;
    const bool down = event.type == SDL_MOUSEBUTTONDOWN;
    EventType type;
    long button = 0;
    switch (event.button) {
    case SDL_BUTTON_LEFT:
        type = down ? EventType::LeftMouseDown : EventType::LeftMouseUp;
        button = 0;
        break;
    case SDL_BUTTON_RIGHT:
        type = down ? EventType::RightMouseDown : EventType::RightMouseUp;
        button = 1;
        break;
    case SDL_BUTTON_MIDDLE:
        type = down ? EventType::OtherMouseDown : EventType::OtherMouseUp;
        button = 2;
        break;
    default:
        type = down ? EventType::OtherMouseDown : EventType::OtherMouseUp;
        button = event.button - 1;
        break;
    }
    const Rect frame = window->frame();
    const Point location = sdl::windowPointFromPixel(event.x, event.y, frame.height());
    owner.setMouseLocation(location.offsetBy(frame.minX(), frame.minY()));
    const Event kitEvent =
        Event::mouseEventWithType(type, location, sdl::modifierFlagsFromSdl(SDL_GetModState()),
                                  now(), window->windowNumber(), ++eventNumber,
                                  std::max<long>(1, event.clicks), down ? 1.0f : 0.0f)
            .withButtonNumber(button);
    post(kitEvent);
}

void SdlScreenBackend::Impl::handleMotion(const SDL_MouseMotionEvent& event) {
    if (event.which == SDL_TOUCH_MOUSEID)
        return;
    Window* window = windowForId(event.windowID);
    if (!window)
        return;
    EventType type = EventType::MouseMoved;
    long button = 0;
    if (event.state & SDL_BUTTON_LMASK) {
        type = EventType::LeftMouseDragged;
    } else if (event.state & SDL_BUTTON_RMASK) {
        type = EventType::RightMouseDragged;
        button = 1;
    } else if (event.state) {
        type = EventType::OtherMouseDragged;
        button = 2;
    }
    const Rect frame = window->frame();
    const Point location = sdl::windowPointFromPixel(event.x, event.y, frame.height());
    owner.setMouseLocation(location.offsetBy(frame.minX(), frame.minY()));
    const Event kitEvent = Event::mouseEventWithType(
                               type, location, sdl::modifierFlagsFromSdl(SDL_GetModState()), now(),
                               window->windowNumber(), ++eventNumber, 0, event.state ? 1.0f : 0.0f)
                               .withButtonNumber(button)
                               .withDeltas(event.xrel, event.yrel);
    post(kitEvent);
}

void SdlScreenBackend::Impl::handleWheel(const SDL_MouseWheelEvent& event) {
    if (event.which == SDL_TOUCH_MOUSEID)
        return;
    Window* window = windowForId(event.windowID);
    if (!window)
        return;
    const Rect frame = window->frame();
    const Point location = sdl::windowPointFromPixel(event.mouseX, event.mouseY, frame.height());
    const Point deltas = sdl::scrollDeltasFromSdl(event.preciseX, event.preciseY,
                                                  event.direction == SDL_MOUSEWHEEL_FLIPPED);
    post(Event::scrollWheelEvent(location, deltas.x, deltas.y,
                                 sdl::modifierFlagsFromSdl(SDL_GetModState()), window));
}

void SdlScreenBackend::Impl::handleKey(const SDL_KeyboardEvent& event) {
    Window* window = windowForId(event.windowID);
    const int number = window ? window->windowNumber() : 0;
    const int scancode = event.keysym.scancode;
    const int keycode = event.keysym.sym;
    const unsigned mod = event.keysym.mod;
    const sdl::KeyDescription key = sdl::describeKey(scancode, keycode);
    const EventModifierFlags flags = sdl::modifierFlagsFromSdl(mod) | key.keyFlags;
    const unsigned short keyCode = key.keyCode == 0xffff ? 0 : key.keyCode;
    if (key.isModifier) {
        if (!event.repeat)
            post(Event::keyEventWithType(EventType::FlagsChanged, {}, flags, now(), number, {}, {},
                                         false, keyCode));
        return;
    }
    if (event.type == SDL_KEYUP) {
        auto it = keyCharacters.find(scancode);
        std::string characters;
        std::string ignoring;
        if (it != keyCharacters.end()) {
            characters = std::move(it->second.first);
            ignoring = std::move(it->second.second);
            keyCharacters.erase(it);
        } else if (!key.fixedCharacters.empty()) {
            characters = ignoring = key.fixedCharacters;
        } else {
            characters = ignoring = sdl::charactersForKeycode(keycode, mod);
        }
        post(Event::keyEventWithType(EventType::KeyUp, {}, flags, now(), number, characters,
                                     ignoring, false, keyCode));
        return;
    }
    // The text a key types comes as a text-input event queued right behind its key-down.
    // Keys that type nothing (function keys, Ctrl and Super combinations) leave a text event
    // that follows them alone: an input method may have committed it.
    std::string text;
    SDL_Event next;
    const bool mayType = key.fixedCharacters.empty() && !(mod & (KMOD_CTRL | KMOD_GUI));
    if (mayType && SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1 &&
        next.type == SDL_TEXTINPUT) {
        SDL_PeepEvents(&next, 1, SDL_GETEVENT, SDL_TEXTINPUT, SDL_TEXTINPUT);
        text = next.text.text;
    }
    std::string characters;
    std::string ignoring;
    if (!key.fixedCharacters.empty()) {
        characters = ignoring = key.fixedCharacters;
        if (key.keyCode == KeyCode::Tab && (flags & ShiftKeyMask))
            characters = ignoring = utf8FromCodePoint(BackTabCharacter);
    } else if (!text.empty()) {
        characters = text;
        const bool shortcut = (flags & (CommandKeyMask | ControlKeyMask | AlternateKeyMask)) != 0;
        ignoring = shortcut ? sdl::charactersForKeycode(keycode, mod) : text;
        if (ignoring.empty())
            ignoring = text;
    } else {
        characters = ignoring = sdl::charactersForKeycode(keycode, mod);
    }
    keyCharacters[scancode] = {characters, ignoring};
    post(Event::keyEventWithType(EventType::KeyDown, {}, flags, now(), number, characters, ignoring,
                                 event.repeat != 0, keyCode));
}

void SdlScreenBackend::Impl::handleText(const SDL_TextInputEvent& event) {
    // Text without a key-down of its own: an input method committed it.
    Window* window = windowForId(event.windowID);
    const std::string text = event.text;
    if (text.empty())
        return;
    post(Event::keyEventWithType(EventType::KeyDown, {},
                                 sdl::modifierFlagsFromSdl(SDL_GetModState()), now(),
                                 window ? window->windowNumber() : 0, text, text, false, 0));
}

// ---- The backend -----------------------------------------------------------------------

std::unique_ptr<SdlScreenBackend> SdlScreenBackend::create(std::string* error) {
    // X11 places windows at absolute positions; an SDL_VIDEODRIVER the user set still wins.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    // Cairo draws in software; a GL framebuffer would only cost start-up time and memory.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // The application turns SIGINT and SIGTERM into terminate() itself.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // Every poll pumps the X connection, so that nothing waits in Xlib's queue while the loop
    // sleeps on the connection's socket.
    SDL_SetHint(SDL_HINT_POLL_SENTINEL, "0");
#if defined(__SANITIZE_ADDRESS__)
    // SDL opens the session bus as video starts; libdbus keeps a read buffer for the life of
    // the process that LeakSanitizer would report after every test.
    __lsan_disable();
#endif
    const int started = SDL_InitSubSystem(SDL_INIT_VIDEO);
#if defined(__SANITIZE_ADDRESS__)
    __lsan_enable();
#endif
    if (started != 0) {
        if (error)
            *error = SDL_GetError();
        return nullptr;
    }
    // Xlib's own handler ends the process on any error, also on one about a window that went
    // while a request to it was on its way.
    if (const char* driver = SDL_GetCurrentVideoDriver(); driver && std::strcmp(driver, "x11") == 0)
        X11ErrorHandler::install();
    std::unique_ptr<SdlScreenBackend> backend(new SdlScreenBackend());
    Impl& impl = *backend->impl_;
    impl.wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    impl.readMainBounds();
    // Input the backend does not use stays out of the queue.
    SDL_EventState(SDL_DROPFILE, SDL_DISABLE);
    SDL_EventState(SDL_SYSWMEVENT, SDL_DISABLE);
    SDL_StartTextInput();
    auto clipboard = std::make_unique<SdlClipboard>();
    impl.clipboard = clipboard.get();
    Pasteboard::setGeneralBackend(std::move(clipboard));
    if (sdlFirstPaintRequested())
        backend->setFirstPaintHandler([](Window&) { reportFirstPaintAndExit(); });
    return backend;
}

SdlScreenBackend::SdlScreenBackend() : impl_(std::make_unique<Impl>(*this)) {}

SdlScreenBackend::~SdlScreenBackend() {
    for (auto& [window, rec] : impl_->records)
        impl_->destroySdlWindow(rec);
    impl_->records.clear();
    if (impl_->clipboard && Pasteboard::generalBackend() == impl_->clipboard)
        Pasteboard::setGeneralBackend(nullptr);
    if (impl_->wakeFd >= 0)
        ::close(impl_->wakeFd);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    // The last user of SDL lets it close its D-Bus connection and the rest of its state too.
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0)
        SDL_Quit();
}

std::vector<ScreenDescription> SdlScreenBackend::screens() const {
    impl_->readMainBounds();
    std::vector<ScreenDescription> result;
    const int count = SDL_GetNumVideoDisplays();
    for (int i = 0; i < count; ++i) {
        SDL_Rect bounds;
        SDL_Rect usable;
        if (SDL_GetDisplayBounds(i, &bounds) != 0)
            continue;
        if (SDL_GetDisplayUsableBounds(i, &usable) != 0)
            usable = bounds;
        ScreenDescription description;
        description.frame = impl_->toFrame({bounds.x, bounds.y, bounds.w, bounds.h});
        description.visibleFrame = impl_->toFrame({usable.x, usable.y, usable.w, usable.h});
        result.push_back(description);
    }
    if (result.empty()) {
        ScreenDescription fallback;
        fallback.frame = fallback.visibleFrame = Rect(0, 0, 1440, 900);
        result.push_back(fallback);
    }
    return result;
}

void SdlScreenBackend::windowCreated(Window& window) {
    impl_->ensureRecord(window);
}

void SdlScreenBackend::windowDestroyed(Window& window) {
    auto it = impl_->records.find(&window);
    if (it == impl_->records.end())
        return;
    impl_->destroySdlWindow(it->second);
    impl_->records.erase(it);
}

void SdlScreenBackend::windowOrderedIn(Window& window) {
    Impl::Record& rec = impl_->ensureRecord(window);
    if (!rec.sdl && !impl_->createSdlWindow(window, rec))
        return;
    impl_->applyFrame(window, rec);
    if (!rec.shown) {
        // Windows that take no key status (toasts, tool tips) should not steal the focus.
        const bool quiet = !window.canBecomeKeyWindow();
        if (quiet)
            SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "1");
        SDL_ShowWindow(rec.sdl);
        if (quiet)
            SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "0");
        rec.shown = true;
        // The kit drew the window before ordering it in; show that.
        rec.hasContent = true;
        impl_->present(window, rec, Rect({}, window.frame().size));
    } else {
        auto ordered = WindowServer::shared().orderedWindows();
        if (!ordered.empty() && ordered.front() == &window && window.canBecomeKeyWindow())
            SDL_RaiseWindow(rec.sdl);
    }
    if (window.isKeyWindow() && SDL_GetKeyboardFocus() != rec.sdl)
        SDL_SetWindowInputFocus(rec.sdl);
}

void SdlScreenBackend::windowOrderedOut(Window& window) {
    Impl::Record* rec = impl_->record(window);
    if (!rec || !rec->sdl || !rec->shown)
        return;
    SDL_HideWindow(rec->sdl);
    rec->shown = false;
}

void SdlScreenBackend::windowFrameChanged(Window& window) {
    if (Impl::Record* rec = impl_->record(window))
        impl_->applyFrame(window, *rec);
}

void SdlScreenBackend::windowPropertiesChanged(Window& window) {
    if (Impl::Record* rec = impl_->record(window))
        impl_->applyProperties(window, *rec);
}

void SdlScreenBackend::windowBecameKey(Window& window) {
    Impl::Record* rec = impl_->record(window);
    if (!rec || !rec->sdl || !rec->shown)
        return;
    if (SDL_GetKeyboardFocus() != rec->sdl)
        SDL_SetWindowInputFocus(rec->sdl);
}

void SdlScreenBackend::windowDidDisplay(Window& window, const Rect& dirtyRect) {
    Impl::Record& rec = impl_->ensureRecord(window);
    rec.hasContent = true;
    impl_->present(window, rec, dirtyRect);
}

RunLoopSource* SdlScreenBackend::runLoopSource() {
    return &impl_->source;
}

void SdlScreenBackend::setWindowIcon(Window& window, std::shared_ptr<Image> icon) {
    Impl::Record& rec = impl_->ensureRecord(window);
    rec.icon = std::move(icon);
    if (!rec.sdl)
        return;
    if (!rec.icon) {
        // SDL has no call to remove an icon; a fully transparent one comes closest.
        if (SDL_Surface* blank =
                SDL_CreateRGBSurfaceWithFormat(0, 1, 1, 32, SDL_PIXELFORMAT_ARGB8888)) {
            SDL_SetWindowIcon(rec.sdl, blank);
            SDL_FreeSurface(blank);
        }
        return;
    }
    if (SDL_Surface* surface = surfaceFromImage(*rec.icon)) {
        SDL_SetWindowIcon(rec.sdl, surface);
        SDL_FreeSurface(surface);
    }
}

void SdlScreenBackend::applicationIconChanged(std::shared_ptr<Image> icon) {
    impl_->applicationIcon = std::move(icon);
    if (!impl_->applicationIcon)
        return;
    SDL_Surface* surface = surfaceFromImage(*impl_->applicationIcon);
    if (!surface)
        return;
    for (auto& [window, rec] : impl_->records)
        if (rec.sdl && !rec.icon)
            SDL_SetWindowIcon(rec.sdl, surface);
    SDL_FreeSurface(surface);
}

void SdlScreenBackend::setFirstPaintHandler(FirstPaintHandler handler) {
    impl_->firstPaint = std::move(handler);
}

bool SdlScreenBackend::processPendingEvents() {
    return impl_->drain();
}

std::uint32_t SdlScreenBackend::sdlWindowId(const Window& window) const {
    const Impl::Record* rec = impl_->record(window);
    return rec ? rec->id : 0;
}

unsigned long SdlScreenBackend::x11WindowId(const Window& window) const {
    const Impl::Record* rec = impl_->record(window);
    if (!rec || !rec->sdl)
        return 0;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(rec->sdl, &info) || info.subsystem != SDL_SYSWM_X11)
        return 0;
    return static_cast<unsigned long>(info.info.x11.window);
}

int SdlScreenBackend::presentCount(const Window& window) const {
    const Impl::Record* rec = impl_->record(window);
    return rec ? rec->presents : 0;
}

} // namespace platform
