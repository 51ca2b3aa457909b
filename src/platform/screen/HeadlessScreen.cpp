#include "platform/screen/HeadlessScreen.h"

#include "platform/graphics/Image.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"

namespace platform {

namespace {

std::string charactersFor(char32_t c) {
    return c ? utf8FromCodePoint(c) : std::string();
}

// What a key types with Shift held: upper-case letters and the US keyboard's shifted symbols.
char32_t shifted(char32_t c) {
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 'A';
    static const std::string_view plain = "1234567890-=[]\\;',./`";
    static const std::string_view upper = "!@#$%^&*()_+{}|:\"<>?~";
    if (c < 0x80)
        if (auto pos = plain.find(static_cast<char>(c)); pos != std::string_view::npos)
            return static_cast<unsigned char>(upper[pos]);
    return c;
}

} // namespace

char32_t characterForKeyCode(unsigned short code) {
    switch (code) {
    case KeyCode::Return:
        return CarriageReturnCharacter;
    case KeyCode::KeypadEnter:
        return EnterCharacter;
    case KeyCode::Tab:
        return TabCharacter;
    case KeyCode::Space:
        return ' ';
    case KeyCode::Delete:
        return DeleteCharacter;
    case KeyCode::Escape:
        return EscapeCharacter;
    case KeyCode::ForwardDelete:
        return DeleteFunctionKey;
    case KeyCode::Home:
        return HomeFunctionKey;
    case KeyCode::End:
        return EndFunctionKey;
    case KeyCode::PageUp:
        return PageUpFunctionKey;
    case KeyCode::PageDown:
        return PageDownFunctionKey;
    case KeyCode::LeftArrow:
        return LeftArrowFunctionKey;
    case KeyCode::RightArrow:
        return RightArrowFunctionKey;
    case KeyCode::DownArrow:
        return DownArrowFunctionKey;
    case KeyCode::UpArrow:
        return UpArrowFunctionKey;
    case KeyCode::Help:
        return HelpFunctionKey;
    default:
        break;
    }
    for (char32_t c = 0x20; c < 0x7f; ++c)
        if (keyCodeForCharacter(c) == code && !(c >= 'A' && c <= 'Z') && shifted(c) != c)
            return c;
    for (char32_t c = F1FunctionKey; c < F1FunctionKey + 12; ++c)
        if (keyCodeForCharacter(c) == code)
            return c;
    return 0;
}

HeadlessScreen& HeadlessScreen::install() {
    auto screen = std::make_unique<HeadlessScreen>();
    HeadlessScreen& ref = *screen;
    setScreenBackend(std::move(screen));
    return ref;
}

std::vector<ScreenDescription> HeadlessScreen::screens() const {
    return {{Rect(0, 0, kWidth, kHeight), Rect(0, 0, kWidth, kHeight - kMenuBarHeight), 1.0}};
}

void HeadlessScreen::windowOrderedIn(Window& /*window*/) {
    ++orderedIn_;
}

void HeadlessScreen::windowOrderedOut(Window& /*window*/) {
    ++orderedOut_;
}

void HeadlessScreen::windowDidDisplay(Window& /*window*/, const Rect& /*dirtyRect*/) {
    ++displayed_;
}

std::shared_ptr<Image> HeadlessScreen::snapshotWindow(Window& window) {
    return window.snapshot();
}

bool HeadlessScreen::writeWindowPNG(Window& window, const std::filesystem::path& path) {
    auto image = window.snapshot();
    return image && image->writePNG(path);
}

bool HeadlessScreen::writeScreenPNG(const std::filesystem::path& path) {
    auto image = snapshotScreen();
    return image && image->writePNG(path);
}

void HeadlessScreen::inject(const Event& event) {
    WindowServer::shared().postEvent(event);
    WindowServer::shared().dispatchPendingEvents();
}

void HeadlessScreen::mouse(EventType type, Window& window, Point location, EventModifierFlags flags,
                           long clickCount) {
    setMouseLocation(window.convertBaseToScreen(location));
    inject(Event::mouseEvent(type, location, flags, &window, clickCount));
}

void HeadlessScreen::click(Window& window, Point location, EventModifierFlags flags,
                           long clickCount) {
    // Both halves are queued before either is handled, so a control that tracks the mouse
    // in its own loop finds the up waiting, as it would with a real click.
    setMouseLocation(window.convertBaseToScreen(location));
    WindowServer::shared().postEvent(
        Event::mouseEvent(EventType::LeftMouseDown, location, flags, &window, clickCount));
    WindowServer::shared().postEvent(
        Event::mouseEvent(EventType::LeftMouseUp, location, flags, &window, clickCount));
    WindowServer::shared().dispatchPendingEvents();
}

void HeadlessScreen::doubleClick(Window& window, Point location, EventModifierFlags flags) {
    click(window, location, flags, 1);
    click(window, location, flags, 2);
}

void HeadlessScreen::rightClick(Window& window, Point location, EventModifierFlags flags) {
    setMouseLocation(window.convertBaseToScreen(location));
    WindowServer::shared().postEvent(
        Event::mouseEvent(EventType::RightMouseDown, location, flags, &window, 1));
    WindowServer::shared().postEvent(
        Event::mouseEvent(EventType::RightMouseUp, location, flags, &window, 1));
    WindowServer::shared().dispatchPendingEvents();
}

void HeadlessScreen::mouseDown(Window& window, Point location, EventModifierFlags flags,
                               long clickCount) {
    mouse(EventType::LeftMouseDown, window, location, flags, clickCount);
}

void HeadlessScreen::mouseUp(Window& window, Point location, EventModifierFlags flags,
                             long clickCount) {
    mouse(EventType::LeftMouseUp, window, location, flags, clickCount);
}

void HeadlessScreen::mouseDragged(Window& window, Point location, EventModifierFlags flags) {
    mouse(EventType::LeftMouseDragged, window, location, flags, 1);
}

void HeadlessScreen::drag(Window& window, Point from, Point to, int steps,
                          EventModifierFlags flags) {
    steps = std::max(1, steps);
    auto w = window.sharedWindow();
    mouseDown(window, from, flags);
    for (int i = 1; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        mouseDragged(window, {from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t}, flags);
    }
    mouseUp(window, to, flags);
}

void HeadlessScreen::moveMouse(Point screenPoint, EventModifierFlags flags) {
    setMouseLocation(screenPoint);
    Window* window = WindowServer::shared().windowAtPoint(screenPoint);
    const Point location = window ? window->convertScreenToBase(screenPoint) : screenPoint;
    inject(Event::mouseEvent(EventType::MouseMoved, location, flags, window, 0));
}

void HeadlessScreen::moveMouse(Window& window, Point location, EventModifierFlags flags) {
    mouse(EventType::MouseMoved, window, location, flags, 0);
}

void HeadlessScreen::scroll(Window& window, Point location, double deltaX, double deltaY) {
    setMouseLocation(window.convertBaseToScreen(location));
    inject(Event::scrollWheelEvent(location, deltaX, deltaY, 0, &window));
}

void HeadlessScreen::typeText(std::string_view utf8, EventModifierFlags flags) {
    std::size_t i = 0;
    while (i < utf8.size()) {
        const char32_t c = firstCodePoint(utf8.substr(i));
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        i += lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : 4;
        key(c, flags);
    }
}

void HeadlessScreen::key(char32_t character, EventModifierFlags flags) {
    keyDown(character, flags);
    keyUp(character, flags);
}

void HeadlessScreen::keyCode(unsigned short code, EventModifierFlags flags) {
    const char32_t c = characterForKeyCode(code);
    const std::string plain = charactersFor(c);
    const std::string typed = charactersFor((flags & ShiftKeyMask) ? shifted(c) : c);
    Window* window = WindowServer::shared().keyWindow();
    inject(Event::keyEvent(EventType::KeyDown, typed, flags, window, code, plain));
    inject(Event::keyEvent(EventType::KeyUp, typed, flags, window, code, plain));
}

// Characters ignoring modifiers are what the key gives without Shift (letters in lower case),
// as the original reported them; the characters carry Shift's effect.
void HeadlessScreen::keyDown(char32_t character, EventModifierFlags flags, bool isARepeat) {
    Window* window = WindowServer::shared().keyWindow();
    const bool upper = character >= 'A' && character <= 'Z';
    if (upper)
        flags |= ShiftKeyMask;
    const char32_t plain = upper ? character - 'A' + 'a' : character;
    inject(Event::keyEvent(EventType::KeyDown, charactersFor(character), flags, window,
                           keyCodeForCharacter(character).value_or(0), charactersFor(plain),
                           isARepeat));
}

void HeadlessScreen::keyUp(char32_t character, EventModifierFlags flags) {
    Window* window = WindowServer::shared().keyWindow();
    const bool upper = character >= 'A' && character <= 'Z';
    if (upper)
        flags |= ShiftKeyMask;
    const char32_t plain = upper ? character - 'A' + 'a' : character;
    inject(Event::keyEvent(EventType::KeyUp, charactersFor(character), flags, window,
                           keyCodeForCharacter(character).value_or(0), charactersFor(plain)));
}

void HeadlessScreen::flagsChanged(EventModifierFlags flags) {
    Window* window = WindowServer::shared().keyWindow();
    inject(Event::keyEventWithType(EventType::FlagsChanged, {}, flags, RunLoop::main().now(),
                                   window ? window->windowNumber() : 0, "", "", false, 0));
}

} // namespace platform
