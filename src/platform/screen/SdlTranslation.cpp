#include "platform/screen/SdlTranslation.h"

#include <SDL.h>
#include <algorithm>
#include <cmath>

namespace platform::sdl {

namespace {

int roundToInt(double value) {
    return static_cast<int>(std::lround(value));
}

struct KeyEntry {
    SDL_Scancode scancode;
    unsigned short keyCode;
    char32_t character; // 0: the layout gives the text
    EventModifierFlags flags;
    bool modifier;
};

constexpr EventModifierFlags kPad = NumericPadKeyMask;
constexpr EventModifierFlags kFn = FunctionKeyMask;

// Places on a US keyboard and the original's codes for them.
constexpr KeyEntry kKeys[] = {
    {SDL_SCANCODE_A, KeyCode::A, 0, 0, false},
    {SDL_SCANCODE_B, KeyCode::B, 0, 0, false},
    {SDL_SCANCODE_C, KeyCode::C, 0, 0, false},
    {SDL_SCANCODE_D, KeyCode::D, 0, 0, false},
    {SDL_SCANCODE_E, KeyCode::E, 0, 0, false},
    {SDL_SCANCODE_F, KeyCode::F, 0, 0, false},
    {SDL_SCANCODE_G, KeyCode::G, 0, 0, false},
    {SDL_SCANCODE_H, KeyCode::H, 0, 0, false},
    {SDL_SCANCODE_I, KeyCode::I, 0, 0, false},
    {SDL_SCANCODE_J, KeyCode::J, 0, 0, false},
    {SDL_SCANCODE_K, KeyCode::K, 0, 0, false},
    {SDL_SCANCODE_L, KeyCode::L, 0, 0, false},
    {SDL_SCANCODE_M, KeyCode::M, 0, 0, false},
    {SDL_SCANCODE_N, KeyCode::N, 0, 0, false},
    {SDL_SCANCODE_O, KeyCode::O, 0, 0, false},
    {SDL_SCANCODE_P, KeyCode::P, 0, 0, false},
    {SDL_SCANCODE_Q, KeyCode::Q, 0, 0, false},
    {SDL_SCANCODE_R, KeyCode::R, 0, 0, false},
    {SDL_SCANCODE_S, KeyCode::S, 0, 0, false},
    {SDL_SCANCODE_T, KeyCode::T, 0, 0, false},
    {SDL_SCANCODE_U, KeyCode::U, 0, 0, false},
    {SDL_SCANCODE_V, KeyCode::V, 0, 0, false},
    {SDL_SCANCODE_W, KeyCode::W, 0, 0, false},
    {SDL_SCANCODE_X, KeyCode::X, 0, 0, false},
    {SDL_SCANCODE_Y, KeyCode::Y, 0, 0, false},
    {SDL_SCANCODE_Z, KeyCode::Z, 0, 0, false},
    {SDL_SCANCODE_1, KeyCode::Digit1, 0, 0, false},
    {SDL_SCANCODE_2, KeyCode::Digit2, 0, 0, false},
    {SDL_SCANCODE_3, KeyCode::Digit3, 0, 0, false},
    {SDL_SCANCODE_4, KeyCode::Digit4, 0, 0, false},
    {SDL_SCANCODE_5, KeyCode::Digit5, 0, 0, false},
    {SDL_SCANCODE_6, KeyCode::Digit6, 0, 0, false},
    {SDL_SCANCODE_7, KeyCode::Digit7, 0, 0, false},
    {SDL_SCANCODE_8, KeyCode::Digit8, 0, 0, false},
    {SDL_SCANCODE_9, KeyCode::Digit9, 0, 0, false},
    {SDL_SCANCODE_0, KeyCode::Digit0, 0, 0, false},
    {SDL_SCANCODE_MINUS, KeyCode::Minus, 0, 0, false},
    {SDL_SCANCODE_EQUALS, KeyCode::Equal, 0, 0, false},
    {SDL_SCANCODE_LEFTBRACKET, KeyCode::LeftBracket, 0, 0, false},
    {SDL_SCANCODE_RIGHTBRACKET, KeyCode::RightBracket, 0, 0, false},
    {SDL_SCANCODE_BACKSLASH, KeyCode::Backslash, 0, 0, false},
    {SDL_SCANCODE_NONUSHASH, KeyCode::Backslash, 0, 0, false},
    {SDL_SCANCODE_SEMICOLON, KeyCode::Semicolon, 0, 0, false},
    {SDL_SCANCODE_APOSTROPHE, KeyCode::Quote, 0, 0, false},
    {SDL_SCANCODE_GRAVE, KeyCode::Grave, 0, 0, false},
    {SDL_SCANCODE_COMMA, KeyCode::Comma, 0, 0, false},
    {SDL_SCANCODE_PERIOD, KeyCode::Period, 0, 0, false},
    {SDL_SCANCODE_SLASH, KeyCode::Slash, 0, 0, false},
    {SDL_SCANCODE_NONUSBACKSLASH, 10, 0, 0, false}, // the ISO section key
    {SDL_SCANCODE_SPACE, KeyCode::Space, 0, 0, false},
    {SDL_SCANCODE_RETURN, KeyCode::Return, CarriageReturnCharacter, 0, false},
    {SDL_SCANCODE_RETURN2, KeyCode::Return, CarriageReturnCharacter, 0, false},
    {SDL_SCANCODE_TAB, KeyCode::Tab, TabCharacter, 0, false},
    {SDL_SCANCODE_BACKSPACE, KeyCode::Delete, DeleteCharacter, 0, false},
    {SDL_SCANCODE_ESCAPE, KeyCode::Escape, EscapeCharacter, 0, false},
    {SDL_SCANCODE_DELETE, KeyCode::ForwardDelete, DeleteFunctionKey, kFn, false},
    {SDL_SCANCODE_INSERT, KeyCode::Help, InsertFunctionKey, kFn, false},
    {SDL_SCANCODE_HELP, KeyCode::Help, HelpFunctionKey, kFn, false},
    {SDL_SCANCODE_HOME, KeyCode::Home, HomeFunctionKey, kFn, false},
    {SDL_SCANCODE_END, KeyCode::End, EndFunctionKey, kFn, false},
    {SDL_SCANCODE_PAGEUP, KeyCode::PageUp, PageUpFunctionKey, kFn, false},
    {SDL_SCANCODE_PAGEDOWN, KeyCode::PageDown, PageDownFunctionKey, kFn, false},
    {SDL_SCANCODE_UP, KeyCode::UpArrow, UpArrowFunctionKey, kFn | kPad, false},
    {SDL_SCANCODE_DOWN, KeyCode::DownArrow, DownArrowFunctionKey, kFn | kPad, false},
    {SDL_SCANCODE_LEFT, KeyCode::LeftArrow, LeftArrowFunctionKey, kFn | kPad, false},
    {SDL_SCANCODE_RIGHT, KeyCode::RightArrow, RightArrowFunctionKey, kFn | kPad, false},
    {SDL_SCANCODE_PRINTSCREEN, 105, 0xF72E, kFn, false},
    {SDL_SCANCODE_SCROLLLOCK, 107, 0xF72F, kFn, false},
    {SDL_SCANCODE_PAUSE, 113, 0xF730, kFn, false},
    {SDL_SCANCODE_F1, KeyCode::F1, F1FunctionKey + 0, kFn, false},
    {SDL_SCANCODE_F2, KeyCode::F2, F1FunctionKey + 1, kFn, false},
    {SDL_SCANCODE_F3, KeyCode::F3, F1FunctionKey + 2, kFn, false},
    {SDL_SCANCODE_F4, KeyCode::F4, F1FunctionKey + 3, kFn, false},
    {SDL_SCANCODE_F5, KeyCode::F5, F1FunctionKey + 4, kFn, false},
    {SDL_SCANCODE_F6, KeyCode::F6, F1FunctionKey + 5, kFn, false},
    {SDL_SCANCODE_F7, KeyCode::F7, F1FunctionKey + 6, kFn, false},
    {SDL_SCANCODE_F8, KeyCode::F8, F1FunctionKey + 7, kFn, false},
    {SDL_SCANCODE_F9, KeyCode::F9, F1FunctionKey + 8, kFn, false},
    {SDL_SCANCODE_F10, KeyCode::F10, F1FunctionKey + 9, kFn, false},
    {SDL_SCANCODE_F11, KeyCode::F11, F1FunctionKey + 10, kFn, false},
    {SDL_SCANCODE_F12, KeyCode::F12, F1FunctionKey + 11, kFn, false},
    {SDL_SCANCODE_F13, 105, F1FunctionKey + 12, kFn, false},
    {SDL_SCANCODE_F14, 107, F1FunctionKey + 13, kFn, false},
    {SDL_SCANCODE_F15, 113, F1FunctionKey + 14, kFn, false},
    {SDL_SCANCODE_F16, 106, F1FunctionKey + 15, kFn, false},
    {SDL_SCANCODE_F17, 64, F1FunctionKey + 16, kFn, false},
    {SDL_SCANCODE_F18, 79, F1FunctionKey + 17, kFn, false},
    {SDL_SCANCODE_F19, 80, F1FunctionKey + 18, kFn, false},
    {SDL_SCANCODE_F20, 90, F1FunctionKey + 19, kFn, false},
    {SDL_SCANCODE_KP_ENTER, KeyCode::KeypadEnter, EnterCharacter, kPad, false},
    {SDL_SCANCODE_NUMLOCKCLEAR, 71, 0xF739, kPad, false}, // the keypad's Clear key
    {SDL_SCANCODE_KP_DIVIDE, 75, 0, kPad, false},
    {SDL_SCANCODE_KP_MULTIPLY, 67, 0, kPad, false},
    {SDL_SCANCODE_KP_MINUS, 78, 0, kPad, false},
    {SDL_SCANCODE_KP_PLUS, 69, 0, kPad, false},
    {SDL_SCANCODE_KP_EQUALS, 81, 0, kPad, false},
    {SDL_SCANCODE_KP_PERIOD, 65, 0, kPad, false},
    {SDL_SCANCODE_KP_0, 82, 0, kPad, false},
    {SDL_SCANCODE_KP_1, 83, 0, kPad, false},
    {SDL_SCANCODE_KP_2, 84, 0, kPad, false},
    {SDL_SCANCODE_KP_3, 85, 0, kPad, false},
    {SDL_SCANCODE_KP_4, 86, 0, kPad, false},
    {SDL_SCANCODE_KP_5, 87, 0, kPad, false},
    {SDL_SCANCODE_KP_6, 88, 0, kPad, false},
    {SDL_SCANCODE_KP_7, 89, 0, kPad, false},
    {SDL_SCANCODE_KP_8, 91, 0, kPad, false},
    {SDL_SCANCODE_KP_9, 92, 0, kPad, false},
    // Modifiers: Ctrl stands for Command and Super for Control (see modifierFlagsFromSdl).
    {SDL_SCANCODE_LCTRL, KeyCode::Command, 0, 0, true},
    {SDL_SCANCODE_RCTRL, 54, 0, 0, true},
    {SDL_SCANCODE_LSHIFT, KeyCode::Shift, 0, 0, true},
    {SDL_SCANCODE_RSHIFT, KeyCode::RightShift, 0, 0, true},
    {SDL_SCANCODE_LALT, KeyCode::Option, 0, 0, true},
    {SDL_SCANCODE_RALT, KeyCode::RightOption, 0, 0, true},
    {SDL_SCANCODE_LGUI, KeyCode::Control, 0, 0, true},
    {SDL_SCANCODE_RGUI, KeyCode::RightControl, 0, 0, true},
    {SDL_SCANCODE_CAPSLOCK, KeyCode::CapsLock, 0, 0, true},
    {SDL_SCANCODE_MODE, KeyCode::RightOption, 0, 0, true},
};

} // namespace

PixelRect pixelRectFromFrame(const Rect& frame, double screenHeight) {
    PixelRect rect;
    rect.x = roundToInt(frame.minX());
    rect.y = roundToInt(screenHeight - frame.maxY());
    rect.width = std::max(1, roundToInt(frame.width()));
    rect.height = std::max(1, roundToInt(frame.height()));
    return rect;
}

Rect frameFromPixelRect(const PixelRect& rect, double screenHeight) {
    return Rect(rect.x, screenHeight - rect.y - rect.height, rect.width, rect.height);
}

Point windowPointFromPixel(double column, double row, double windowHeight) {
    return {column, windowHeight - row};
}

Point screenPointFromRootPixel(double x, double y, double screenHeight) {
    return {x, screenHeight - y};
}

EventModifierFlags modifierFlagsFromSdl(unsigned sdlModifiers) {
    EventModifierFlags flags = 0;
    if (sdlModifiers & KMOD_SHIFT)
        flags |= ShiftKeyMask;
    if (sdlModifiers & KMOD_CTRL)
        flags |= CommandKeyMask;
    if (sdlModifiers & KMOD_GUI)
        flags |= ControlKeyMask;
    if (sdlModifiers & (KMOD_ALT | KMOD_MODE))
        flags |= AlternateKeyMask;
    if (sdlModifiers & KMOD_CAPS)
        flags |= AlphaShiftKeyMask;
    return flags;
}

KeyDescription describeKey(int scancode, int keycode) {
    KeyDescription description;
    // A key the scancode table does not know may still be named by its keycode.
    if (scancode == SDL_SCANCODE_UNKNOWN && (keycode & SDLK_SCANCODE_MASK))
        scancode = keycode & ~SDLK_SCANCODE_MASK;
    for (const KeyEntry& entry : kKeys) {
        if (entry.scancode != scancode)
            continue;
        description.keyCode = entry.keyCode;
        if (entry.character)
            description.fixedCharacters = utf8FromCodePoint(entry.character);
        description.isModifier = entry.modifier;
        description.keyFlags = entry.flags;
        break;
    }
    return description;
}

std::string charactersForKeycode(int keycode, unsigned sdlModifiers) {
    if (keycode <= 0 || (keycode & SDLK_SCANCODE_MASK) || keycode < 0x20 || keycode == 0x7f)
        return {};
    char32_t character = static_cast<char32_t>(keycode);
    const bool upper = ((sdlModifiers & KMOD_SHIFT) != 0) != ((sdlModifiers & KMOD_CAPS) != 0);
    if (upper && character >= 'a' && character <= 'z')
        character = character - 'a' + 'A';
    return utf8FromCodePoint(character);
}

Point scrollDeltasFromSdl(double x, double y, bool flipped) {
    const double sign = flipped ? -1.0 : 1.0;
    return {-x * sign, y * sign};
}

} // namespace platform::sdl
