#include "platform/kit/Event.h"

#include "platform/kit/TrackingArea.h"
#include "platform/kit/Window.h"

#include <fmt/format.h>

namespace platform {

namespace {

TimeInterval nowOnMainLoop() {
    return RunLoop::main().now();
}

int numberOf(const Window* window) {
    return window ? window->windowNumber() : 0;
}

} // namespace

std::optional<unsigned short> keyCodeForCharacter(char32_t c) {
    if (c >= 'A' && c <= 'Z')
        c = c - 'A' + 'a';
    switch (c) {
    case 'a':
        return KeyCode::A;
    case 's':
        return KeyCode::S;
    case 'd':
        return KeyCode::D;
    case 'f':
        return KeyCode::F;
    case 'h':
        return KeyCode::H;
    case 'g':
        return KeyCode::G;
    case 'z':
        return KeyCode::Z;
    case 'x':
        return KeyCode::X;
    case 'c':
        return KeyCode::C;
    case 'v':
        return KeyCode::V;
    case 'b':
        return KeyCode::B;
    case 'q':
        return KeyCode::Q;
    case 'w':
        return KeyCode::W;
    case 'e':
        return KeyCode::E;
    case 'r':
        return KeyCode::R;
    case 'y':
        return KeyCode::Y;
    case 't':
        return KeyCode::T;
    case 'o':
        return KeyCode::O;
    case 'u':
        return KeyCode::U;
    case 'i':
        return KeyCode::I;
    case 'p':
        return KeyCode::P;
    case 'l':
        return KeyCode::L;
    case 'j':
        return KeyCode::J;
    case 'k':
        return KeyCode::K;
    case 'n':
        return KeyCode::N;
    case 'm':
        return KeyCode::M;
    case '1':
    case '!':
        return KeyCode::Digit1;
    case '2':
    case '@':
        return KeyCode::Digit2;
    case '3':
    case '#':
        return KeyCode::Digit3;
    case '4':
    case '$':
        return KeyCode::Digit4;
    case '5':
    case '%':
        return KeyCode::Digit5;
    case '6':
    case '^':
        return KeyCode::Digit6;
    case '7':
    case '&':
        return KeyCode::Digit7;
    case '8':
    case '*':
        return KeyCode::Digit8;
    case '9':
    case '(':
        return KeyCode::Digit9;
    case '0':
    case ')':
        return KeyCode::Digit0;
    case '=':
    case '+':
        return KeyCode::Equal;
    case '-':
    case '_':
        return KeyCode::Minus;
    case ']':
    case '}':
        return KeyCode::RightBracket;
    case '[':
    case '{':
        return KeyCode::LeftBracket;
    case '\'':
    case '"':
        return KeyCode::Quote;
    case ';':
    case ':':
        return KeyCode::Semicolon;
    case '\\':
    case '|':
        return KeyCode::Backslash;
    case ',':
    case '<':
        return KeyCode::Comma;
    case '/':
    case '?':
        return KeyCode::Slash;
    case '.':
    case '>':
        return KeyCode::Period;
    case '`':
    case '~':
        return KeyCode::Grave;
    case ' ':
        return KeyCode::Space;
    case CarriageReturnCharacter:
    case NewlineCharacter:
        return KeyCode::Return;
    case EnterCharacter:
        return KeyCode::KeypadEnter;
    case TabCharacter:
    case BackTabCharacter:
        return KeyCode::Tab;
    case EscapeCharacter:
        return KeyCode::Escape;
    case DeleteCharacter:
    case BackspaceCharacter:
        return KeyCode::Delete;
    case UpArrowFunctionKey:
        return KeyCode::UpArrow;
    case DownArrowFunctionKey:
        return KeyCode::DownArrow;
    case LeftArrowFunctionKey:
        return KeyCode::LeftArrow;
    case RightArrowFunctionKey:
        return KeyCode::RightArrow;
    case DeleteFunctionKey:
        return KeyCode::ForwardDelete;
    case HomeFunctionKey:
        return KeyCode::Home;
    case EndFunctionKey:
        return KeyCode::End;
    case PageUpFunctionKey:
        return KeyCode::PageUp;
    case PageDownFunctionKey:
        return KeyCode::PageDown;
    case HelpFunctionKey:
        return KeyCode::Help;
    case F1FunctionKey:
        return KeyCode::F1;
    case F1FunctionKey + 1:
        return KeyCode::F2;
    case F1FunctionKey + 2:
        return KeyCode::F3;
    case F1FunctionKey + 3:
        return KeyCode::F4;
    case F1FunctionKey + 4:
        return KeyCode::F5;
    case F1FunctionKey + 5:
        return KeyCode::F6;
    case F1FunctionKey + 6:
        return KeyCode::F7;
    case F1FunctionKey + 7:
        return KeyCode::F8;
    case F1FunctionKey + 8:
        return KeyCode::F9;
    case F1FunctionKey + 9:
        return KeyCode::F10;
    case F1FunctionKey + 10:
        return KeyCode::F11;
    case F1FunctionKey + 11:
        return KeyCode::F12;
    default:
        return std::nullopt;
    }
}

std::string utf8FromCodePoint(char32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x110000) {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

char32_t firstCodePoint(std::string_view s) {
    if (s.empty())
        return 0;
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char c = b(0);
    if (c < 0x80)
        return c;
    if ((c & 0xE0) == 0xC0 && s.size() >= 2)
        return ((c & 0x1F) << 6) | (b(1) & 0x3F);
    if ((c & 0xF0) == 0xE0 && s.size() >= 3)
        return ((c & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
    if ((c & 0xF8) == 0xF0 && s.size() >= 4)
        return ((c & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
    return 0xFFFD;
}

Event Event::mouseEventWithType(EventType type, Point location, EventModifierFlags flags,
                                TimeInterval timestamp, int windowNumber, long eventNumber,
                                long clickCount, float pressure) {
    Event e;
    e.type_ = type;
    e.location_ = location;
    e.modifierFlags_ = flags;
    e.timestamp_ = timestamp;
    e.windowNumber_ = windowNumber;
    e.eventNumber_ = eventNumber;
    e.clickCount_ = clickCount;
    e.pressure_ = pressure;
    switch (type) {
    case EventType::RightMouseDown:
    case EventType::RightMouseUp:
    case EventType::RightMouseDragged:
        e.buttonNumber_ = 1;
        break;
    case EventType::OtherMouseDown:
    case EventType::OtherMouseUp:
    case EventType::OtherMouseDragged:
        e.buttonNumber_ = 2;
        break;
    default:
        break;
    }
    return e;
}

Event Event::keyEventWithType(EventType type, Point location, EventModifierFlags flags,
                              TimeInterval timestamp, int windowNumber, std::string_view characters,
                              std::string_view charactersIgnoringModifiers, bool isARepeat,
                              unsigned short keyCode) {
    Event e;
    e.type_ = type;
    e.location_ = location;
    e.modifierFlags_ = flags;
    e.timestamp_ = timestamp;
    e.windowNumber_ = windowNumber;
    e.characters_ = characters;
    e.charactersIgnoringModifiers_ = charactersIgnoringModifiers;
    e.isARepeat_ = isARepeat;
    e.keyCode_ = keyCode;
    return e;
}

Event Event::enterExitEventWithType(EventType type, Point location, EventModifierFlags flags,
                                    TimeInterval timestamp, int windowNumber, long eventNumber,
                                    std::shared_ptr<TrackingArea> trackingArea) {
    Event e;
    e.type_ = type;
    e.location_ = location;
    e.modifierFlags_ = flags;
    e.timestamp_ = timestamp;
    e.windowNumber_ = windowNumber;
    e.eventNumber_ = eventNumber;
    e.trackingArea_ = std::move(trackingArea);
    return e;
}

Event Event::otherEventWithType(EventType type, Point location, EventModifierFlags flags,
                                TimeInterval timestamp, int windowNumber, short subtype, long data1,
                                long data2) {
    Event e;
    e.type_ = type;
    e.location_ = location;
    e.modifierFlags_ = flags;
    e.timestamp_ = timestamp;
    e.windowNumber_ = windowNumber;
    e.subtype_ = subtype;
    e.data1_ = data1;
    e.data2_ = data2;
    return e;
}

Event Event::mouseEvent(EventType type, Point locationInWindow, EventModifierFlags flags,
                        const Window* window, long clickCount) {
    return mouseEventWithType(type, locationInWindow, flags, nowOnMainLoop(), numberOf(window), 0,
                              clickCount, 1.0f);
}

Event Event::keyEvent(EventType type, std::string_view characters, EventModifierFlags flags,
                      const Window* window, std::optional<unsigned short> keyCode,
                      std::string_view charactersIgnoringModifiers, bool isARepeat) {
    if (!keyCode)
        keyCode = keyCodeForCharacter(firstCodePoint(characters)).value_or(0);
    if (charactersIgnoringModifiers.empty())
        charactersIgnoringModifiers = characters;
    return keyEventWithType(type, {}, flags, nowOnMainLoop(), numberOf(window), characters,
                            charactersIgnoringModifiers, isARepeat, *keyCode);
}

Event Event::scrollWheelEvent(Point locationInWindow, double deltaX, double deltaY,
                              EventModifierFlags flags, const Window* window) {
    Event e = mouseEventWithType(EventType::ScrollWheel, locationInWindow, flags, nowOnMainLoop(),
                                 numberOf(window), 0, 0, 0);
    e.deltaX_ = deltaX;
    e.deltaY_ = deltaY;
    return e;
}

Window* Event::window() const {
    return windowNumber_ ? Window::windowWithNumber(windowNumber_) : nullptr;
}

Value Event::userData() const {
    return trackingArea_ ? trackingArea_->userInfo() : Value();
}

bool Event::isMouseDown() const {
    return type_ == EventType::LeftMouseDown || type_ == EventType::RightMouseDown ||
           type_ == EventType::OtherMouseDown;
}

bool Event::isMouseUp() const {
    return type_ == EventType::LeftMouseUp || type_ == EventType::RightMouseUp ||
           type_ == EventType::OtherMouseUp;
}

bool Event::isMouseDragged() const {
    return type_ == EventType::LeftMouseDragged || type_ == EventType::RightMouseDragged ||
           type_ == EventType::OtherMouseDragged;
}

bool Event::isMouseEvent() const {
    return isMouseDown() || isMouseUp() || isMouseDragged() || type_ == EventType::MouseMoved ||
           type_ == EventType::MouseEntered || type_ == EventType::MouseExited ||
           type_ == EventType::ScrollWheel;
}

bool Event::isKeyEvent() const {
    return type_ == EventType::KeyDown || type_ == EventType::KeyUp ||
           type_ == EventType::FlagsChanged;
}

Event Event::withLocation(Point location, int windowNumber) const {
    Event e = *this;
    e.location_ = location;
    e.windowNumber_ = windowNumber;
    return e;
}

Event Event::withTrackingArea(EventType type, std::shared_ptr<TrackingArea> area) const {
    Event e = *this;
    e.type_ = type;
    e.trackingArea_ = std::move(area);
    e.clickCount_ = 0;
    return e;
}

Event Event::withDeltas(double dx, double dy) const {
    Event e = *this;
    e.deltaX_ = dx;
    e.deltaY_ = dy;
    return e;
}

Event Event::withButtonNumber(long button) const {
    Event e = *this;
    e.buttonNumber_ = button;
    return e;
}

std::string Event::description() const {
    if (isKeyEvent())
        return fmt::format("Event type={} keyCode={} chars=\"{}\" flags={:#x} window={}",
                           static_cast<int>(type_), keyCode_, characters_, modifierFlags_,
                           windowNumber_);
    return fmt::format("Event type={} loc=({}, {}) flags={:#x} clicks={} window={}",
                       static_cast<int>(type_), location_.x, location_.y, modifierFlags_,
                       clickCount_, windowNumber_);
}

} // namespace platform
