#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Geometry.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class TrackingArea;
class Window;

// Event types carry the original platform's numbers, which some callers store and compare.
enum class EventType : int {
    LeftMouseDown = 1,
    LeftMouseUp = 2,
    RightMouseDown = 3,
    RightMouseUp = 4,
    MouseMoved = 5,
    LeftMouseDragged = 6,
    RightMouseDragged = 7,
    MouseEntered = 8,
    MouseExited = 9,
    KeyDown = 10,
    KeyUp = 11,
    FlagsChanged = 12,
    AppKitDefined = 13,
    SystemDefined = 14,
    ApplicationDefined = 15,
    Periodic = 16,
    CursorUpdate = 17,
    ScrollWheel = 22,
    OtherMouseDown = 25,
    OtherMouseUp = 26,
    OtherMouseDragged = 27,
};

// A mask of event types: bit n stands for the type numbered n.
using EventMask = std::uint64_t;
constexpr EventMask eventMaskFromType(EventType type) {
    return EventMask{1} << static_cast<int>(type);
}
inline constexpr EventMask AnyEventMask = ~EventMask{0};
inline constexpr EventMask LeftMouseDownMask = eventMaskFromType(EventType::LeftMouseDown);
inline constexpr EventMask LeftMouseUpMask = eventMaskFromType(EventType::LeftMouseUp);
inline constexpr EventMask RightMouseDownMask = eventMaskFromType(EventType::RightMouseDown);
inline constexpr EventMask RightMouseUpMask = eventMaskFromType(EventType::RightMouseUp);
inline constexpr EventMask MouseMovedMask = eventMaskFromType(EventType::MouseMoved);
inline constexpr EventMask LeftMouseDraggedMask = eventMaskFromType(EventType::LeftMouseDragged);
inline constexpr EventMask RightMouseDraggedMask = eventMaskFromType(EventType::RightMouseDragged);
inline constexpr EventMask MouseEnteredMask = eventMaskFromType(EventType::MouseEntered);
inline constexpr EventMask MouseExitedMask = eventMaskFromType(EventType::MouseExited);
inline constexpr EventMask KeyDownMask = eventMaskFromType(EventType::KeyDown);
inline constexpr EventMask KeyUpMask = eventMaskFromType(EventType::KeyUp);
inline constexpr EventMask FlagsChangedMask = eventMaskFromType(EventType::FlagsChanged);
inline constexpr EventMask AppKitDefinedMask = eventMaskFromType(EventType::AppKitDefined);
inline constexpr EventMask ApplicationDefinedMask =
    eventMaskFromType(EventType::ApplicationDefined);
inline constexpr EventMask ScrollWheelMask = eventMaskFromType(EventType::ScrollWheel);
inline constexpr EventMask OtherMouseDownMask = eventMaskFromType(EventType::OtherMouseDown);
inline constexpr EventMask OtherMouseUpMask = eventMaskFromType(EventType::OtherMouseUp);
inline constexpr EventMask OtherMouseDraggedMask = eventMaskFromType(EventType::OtherMouseDragged);

// App-kit-defined subtypes.
inline constexpr short ApplicationActivatedEventType = 1;
inline constexpr short ApplicationDeactivatedEventType = 2;

// Modifier flag bits, as the original numbered them.
using EventModifierFlags = unsigned;
inline constexpr EventModifierFlags AlphaShiftKeyMask = 1u << 16;
inline constexpr EventModifierFlags ShiftKeyMask = 1u << 17;
inline constexpr EventModifierFlags ControlKeyMask = 1u << 18;
inline constexpr EventModifierFlags AlternateKeyMask = 1u << 19;
inline constexpr EventModifierFlags CommandKeyMask = 1u << 20;
inline constexpr EventModifierFlags NumericPadKeyMask = 1u << 21;
inline constexpr EventModifierFlags HelpKeyMask = 1u << 22;
inline constexpr EventModifierFlags FunctionKeyMask = 1u << 23;
inline constexpr EventModifierFlags DeviceIndependentModifierFlagsMask = 0xffff0000u;

// Characters of keys that have no printable character: the private-use code points the
// original platform used, so key handlers compare them as it did.
inline constexpr char32_t UpArrowFunctionKey = 0xF700;
inline constexpr char32_t DownArrowFunctionKey = 0xF701;
inline constexpr char32_t LeftArrowFunctionKey = 0xF702;
inline constexpr char32_t RightArrowFunctionKey = 0xF703;
inline constexpr char32_t F1FunctionKey = 0xF704; // F2 is 0xF705 and so on up to F35
inline constexpr char32_t InsertFunctionKey = 0xF727;
inline constexpr char32_t DeleteFunctionKey = 0xF728; // forward delete
inline constexpr char32_t HomeFunctionKey = 0xF729;
inline constexpr char32_t BeginFunctionKey = 0xF72A;
inline constexpr char32_t EndFunctionKey = 0xF72B;
inline constexpr char32_t PageUpFunctionKey = 0xF72C;
inline constexpr char32_t PageDownFunctionKey = 0xF72D;
inline constexpr char32_t HelpFunctionKey = 0xF746;
// Control characters that keys produce.
inline constexpr char32_t EnterCharacter = 0x03;
inline constexpr char32_t BackspaceCharacter = 0x08;
inline constexpr char32_t TabCharacter = 0x09;
inline constexpr char32_t NewlineCharacter = 0x0a;
inline constexpr char32_t CarriageReturnCharacter = 0x0d;
inline constexpr char32_t EscapeCharacter = 0x1b;
inline constexpr char32_t BackTabCharacter = 0x19;
inline constexpr char32_t DeleteCharacter = 0x7f; // the backspace key

// Virtual key codes of the original's US keyboard, which handlers compare directly.
namespace KeyCode {
inline constexpr unsigned short A = 0, S = 1, D = 2, F = 3, H = 4, G = 5, Z = 6, X = 7, C = 8,
                                V = 9, B = 11, Q = 12, W = 13, E = 14, R = 15, Y = 16, T = 17,
                                O = 31, U = 32, I = 34, P = 35, L = 37, J = 38, K = 40, N = 45,
                                M = 46;
inline constexpr unsigned short Digit1 = 18, Digit2 = 19, Digit3 = 20, Digit4 = 21, Digit6 = 22,
                                Digit5 = 23, Digit9 = 25, Digit7 = 26, Digit8 = 28, Digit0 = 29;
inline constexpr unsigned short Equal = 24, Minus = 27, RightBracket = 30, LeftBracket = 33,
                                Quote = 39, Semicolon = 41, Backslash = 42, Comma = 43, Slash = 44,
                                Period = 47, Grave = 50;
inline constexpr unsigned short Return = 36, Tab = 48, Space = 49, Delete = 51, Escape = 53,
                                Command = 55, Shift = 56, CapsLock = 57, Option = 58, Control = 59,
                                RightShift = 60, RightOption = 61, RightControl = 62, Function = 63;
inline constexpr unsigned short KeypadEnter = 76, Help = 114, Home = 115, PageUp = 116,
                                ForwardDelete = 117, End = 119, PageDown = 121;
inline constexpr unsigned short LeftArrow = 123, RightArrow = 124, DownArrow = 125, UpArrow = 126;
inline constexpr unsigned short F1 = 122, F2 = 120, F3 = 99, F4 = 118, F5 = 96, F6 = 97, F7 = 98,
                                F8 = 100, F9 = 101, F10 = 109, F11 = 103, F12 = 111;
} // namespace KeyCode

// The key code a US keyboard gives for a character (letters of either case, digits,
// punctuation, space, return, tab, escape, backspace and the function-key code points);
// nullopt when no key types it.
std::optional<unsigned short> keyCodeForCharacter(char32_t character);
// UTF-8 of one code point.
std::string utf8FromCodePoint(char32_t codePoint);
// The first code point of a UTF-8 string; 0 for an empty one.
char32_t firstCodePoint(std::string_view utf8);

// One input event, a value. The window is kept as its number and looked up on demand, so an
// event that outlives its window answers nullptr instead of dangling.
class Event {
public:
    Event() = default;

    // The original's factory functions. Timestamps are run-loop clock seconds.
    static Event mouseEventWithType(EventType type, Point location, EventModifierFlags flags,
                                    TimeInterval timestamp, int windowNumber, long eventNumber,
                                    long clickCount, float pressure);
    static Event keyEventWithType(EventType type, Point location, EventModifierFlags flags,
                                  TimeInterval timestamp, int windowNumber,
                                  std::string_view characters,
                                  std::string_view charactersIgnoringModifiers, bool isARepeat,
                                  unsigned short keyCode);
    static Event enterExitEventWithType(EventType type, Point location, EventModifierFlags flags,
                                        TimeInterval timestamp, int windowNumber, long eventNumber,
                                        std::shared_ptr<TrackingArea> trackingArea);
    static Event otherEventWithType(EventType type, Point location, EventModifierFlags flags,
                                    TimeInterval timestamp, int windowNumber, short subtype,
                                    long data1, long data2);

    // Shorter forms for tests and backends: the time is the main run loop's now, the window
    // may be null, a click count of 1.
    static Event mouseEvent(EventType type, Point locationInWindow, EventModifierFlags flags = 0,
                            const Window* window = nullptr, long clickCount = 1);
    // A key event; charactersIgnoringModifiers defaults to `characters`, the key code to the
    // US keyboard's code for the first character.
    static Event keyEvent(EventType type, std::string_view characters, EventModifierFlags flags = 0,
                          const Window* window = nullptr,
                          std::optional<unsigned short> keyCode = std::nullopt,
                          std::string_view charactersIgnoringModifiers = {},
                          bool isARepeat = false);
    static Event scrollWheelEvent(Point locationInWindow, double deltaX, double deltaY,
                                  EventModifierFlags flags = 0, const Window* window = nullptr);

    EventType type() const { return type_; }
    EventModifierFlags modifierFlags() const { return modifierFlags_; }
    TimeInterval timestamp() const { return timestamp_; }
    // Window base coordinates (y upwards); screen coordinates when there is no window.
    Point locationInWindow() const { return location_; }
    int windowNumber() const { return windowNumber_; }
    // The live window with that number, or nullptr.
    Window* window() const;
    long eventNumber() const { return eventNumber_; }

    long clickCount() const { return clickCount_; }
    long buttonNumber() const { return buttonNumber_; }
    float pressure() const { return pressure_; }
    double deltaX() const { return deltaX_; }
    double deltaY() const { return deltaY_; }
    double deltaZ() const { return deltaZ_; }

    // Key events: UTF-8 text the key produced, with and without modifiers.
    const std::string& characters() const { return characters_; }
    const std::string& charactersIgnoringModifiers() const { return charactersIgnoringModifiers_; }
    bool isARepeat() const { return isARepeat_; }
    unsigned short keyCode() const { return keyCode_; }

    // Entered, exited and moved events of tracking areas.
    TrackingArea* trackingArea() const { return trackingArea_.get(); }
    // The tracking area's user info, or a null Value.
    Value userData() const;

    short subtype() const { return subtype_; }
    long data1() const { return data1_; }
    long data2() const { return data2_; }

    bool isMouseDown() const;
    bool isMouseUp() const;
    bool isMouseDragged() const;
    // Any mouse event (buttons, moves, drags, entered/exited, scroll).
    bool isMouseEvent() const;
    bool isKeyEvent() const;

    // A copy with another location and window (events passed on to child windows).
    Event withLocation(Point location, int windowNumber) const;
    Event withTrackingArea(EventType type, std::shared_ptr<TrackingArea> area) const;
    Event withDeltas(double dx, double dy) const;
    Event withButtonNumber(long button) const;

    std::string description() const;

private:
    EventType type_ = EventType::ApplicationDefined;
    EventModifierFlags modifierFlags_ = 0;
    TimeInterval timestamp_ = 0;
    Point location_;
    int windowNumber_ = 0;
    long eventNumber_ = 0;
    long clickCount_ = 0;
    long buttonNumber_ = 0;
    float pressure_ = 0;
    double deltaX_ = 0;
    double deltaY_ = 0;
    double deltaZ_ = 0;
    std::string characters_;
    std::string charactersIgnoringModifiers_;
    bool isARepeat_ = false;
    unsigned short keyCode_ = 0;
    std::shared_ptr<TrackingArea> trackingArea_;
    short subtype_ = 0;
    long data1_ = 0;
    long data2_ = 0;
};

} // namespace platform
