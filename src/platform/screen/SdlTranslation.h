#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/kit/Event.h"

#include <string>

// What the SDL backend turns SDL's numbers into: screen geometry between the kit's y-up
// coordinates and X11's y-down root window, modifier flags, key codes and key characters. SDL
// values travel as plain integers so that SDL's headers stay inside the backend's sources.
namespace platform::sdl {

// A rectangle of the X11 root window: whole pixels, origin at the top left, y downwards.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The root-window rectangle of a kit frame (screen coordinates, y upwards from the bottom of
// the main screen, `screenHeight` high), rounded to whole pixels, never smaller than 1x1.
PixelRect pixelRectFromFrame(const Rect& frame, double screenHeight);
// The kit frame of a root-window rectangle.
Rect frameFromPixelRect(const PixelRect& rect, double screenHeight);
// The point that names the pixel (`column`, `row` from the top) of a window `windowHeight`
// high: the pixel's top left corner in window base coordinates. The kit's mouse-in-rect rule
// takes an unflipped rectangle's top edge and not its bottom one, so the point falls in the
// same views as the pixel, and the top row is inside the window.
Point windowPointFromPixel(double column, double row, double windowHeight);
// The same for a pixel of the root window, in screen coordinates.
Point screenPointFromRootPixel(double x, double y, double screenHeight);

// Modifier flags of an SDL modifier state (SDL_Keymod). Ctrl, the key Linux shortcuts use,
// gives the Command flag, so key equivalents work as a Linux user types them; Super gives the
// Control flag; Alt gives Alternate; Caps Lock gives AlphaShift.
EventModifierFlags modifierFlagsFromSdl(unsigned sdlModifiers);

// What a key is, from its SDL scancode (its place on the keyboard) and SDL keycode (what the
// layout puts there).
struct KeyDescription {
    // The original's virtual key code of the key at that place; 0xffff when it has none.
    unsigned short keyCode = 0xffff;
    // The character a key without text gives: the private-use code points of function and
    // arrow keys, and the control characters of Return, Tab, Backspace, Escape and Enter.
    // Empty for keys whose text comes from the layout.
    std::string fixedCharacters;
    // A modifier key: pressing it changes the flags and gives no key event.
    bool isModifier = false;
    // Flags the key adds by itself: NumericPad for keypad and arrow keys, Function for
    // function, arrow and navigation keys.
    EventModifierFlags keyFlags = 0;
};
KeyDescription describeKey(int scancode, int keycode);

// The characters of a key without its modifiers, for key events that brought no text (keys
// pressed with Ctrl, and key-ups): the layout's character of the keycode, upper case when
// Shift or Caps Lock is on; empty when the keycode is no character.
std::string charactersForKeycode(int keycode, unsigned sdlModifiers);

// Scroll deltas in the original's sense (positive y: content moves down, the wheel turned
// away from the user; positive x: the wheel tilted left) from SDL's wheel amounts.
Point scrollDeltasFromSdl(double x, double y, bool flipped);

} // namespace platform::sdl
