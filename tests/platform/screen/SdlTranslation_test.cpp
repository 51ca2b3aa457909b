#include "platform/screen/SdlTranslation.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

namespace {

using namespace platform;
using sdl::PixelRect;

TEST(SdlTranslation, FramesTurnBetweenYUpScreenAndYDownRoot) {
    struct Case {
        Rect frame;
        double screenHeight;
        PixelRect pixels;
    };
    const Case cases[] = {
        {{100, 100, 300, 200}, 800, {100, 500, 300, 200}},
        {{0, 0, 1280, 800}, 800, {0, 0, 1280, 800}},
        // A window above the top edge and one left of the screen keep their places.
        {{-50, 780, 100, 40}, 800, {-50, -20, 100, 40}},
        // Half points round to whole pixels; the top edge is what is rounded, not the bottom.
        {{10.4, 20.6, 99.6, 50.2}, 800, {10, 729, 100, 50}},
        // A window of no size still needs a pixel.
        {{5, 5, 0, 0}, 800, {5, 795, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(stringFromRect(c.frame));
        EXPECT_EQ(sdl::pixelRectFromFrame(c.frame, c.screenHeight), c.pixels);
    }
    // Whole frames come back unchanged.
    const Rect frame(100, 100, 300, 200);
    EXPECT_EQ(sdl::frameFromPixelRect(sdl::pixelRectFromFrame(frame, 800), 800), frame);
}

TEST(SdlTranslation, PixelsBecomePointsInsideTheSamePlaces) {
    // A window 200 high: the top row at the top edge, the bottom row one point above 0; both
    // inside the window by the mouse-in-rect rule, which takes the top edge and not the bottom.
    const Rect window(0, 0, 300, 200);
    const Point top = sdl::windowPointFromPixel(0, 0, 200);
    const Point bottom = sdl::windowPointFromPixel(299, 199, 200);
    EXPECT_EQ(top, Point(0, 200));
    EXPECT_EQ(bottom, Point(299, 1));
    EXPECT_TRUE(mouseInRect(top, window, false));
    EXPECT_TRUE(mouseInRect(bottom, window, false));
    // Rows 0-99 are the upper half of the window.
    const Rect upperHalf(0, 100, 300, 100);
    EXPECT_TRUE(mouseInRect(sdl::windowPointFromPixel(10, 99, 200), upperHalf, false));
    EXPECT_FALSE(mouseInRect(sdl::windowPointFromPixel(10, 100, 200), upperHalf, false));
    EXPECT_EQ(sdl::screenPointFromRootPixel(0, 0, 800), Point(0, 800));
    EXPECT_EQ(sdl::screenPointFromRootPixel(640, 799, 800), Point(640, 1));
}

TEST(SdlTranslation, ModifierFlags) {
    struct Case {
        unsigned sdl;
        EventModifierFlags flags;
    };
    const Case cases[] = {
        {KMOD_NONE, 0},
        {KMOD_LSHIFT, ShiftKeyMask},
        {KMOD_RSHIFT, ShiftKeyMask},
        {KMOD_LCTRL, CommandKeyMask},
        {KMOD_RCTRL, CommandKeyMask},
        {KMOD_LGUI, ControlKeyMask},
        {KMOD_LALT, AlternateKeyMask},
        {KMOD_MODE, AlternateKeyMask},
        {KMOD_CAPS, AlphaShiftKeyMask},
        // Num Lock is a state, not a modifier of the key.
        {KMOD_NUM, 0},
        {KMOD_LCTRL | KMOD_LSHIFT | KMOD_RALT, CommandKeyMask | ShiftKeyMask | AlternateKeyMask},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sdl);
        EXPECT_EQ(sdl::modifierFlagsFromSdl(c.sdl), c.flags);
    }
}

TEST(SdlTranslation, KeysGiveTheOriginalCodesAndCharacters) {
    struct Case {
        SDL_Scancode scancode;
        SDL_Keycode keycode;
        unsigned short keyCode;
        char32_t character; // 0: none fixed, the layout's text is used
        EventModifierFlags flags;
    };
    const Case cases[] = {
        {SDL_SCANCODE_UP, SDLK_UP, KeyCode::UpArrow, 0xF700, FunctionKeyMask | NumericPadKeyMask},
        {SDL_SCANCODE_DOWN, SDLK_DOWN, KeyCode::DownArrow, 0xF701,
         FunctionKeyMask | NumericPadKeyMask},
        {SDL_SCANCODE_LEFT, SDLK_LEFT, KeyCode::LeftArrow, 0xF702,
         FunctionKeyMask | NumericPadKeyMask},
        {SDL_SCANCODE_RIGHT, SDLK_RIGHT, KeyCode::RightArrow, 0xF703,
         FunctionKeyMask | NumericPadKeyMask},
        {SDL_SCANCODE_DELETE, SDLK_DELETE, KeyCode::ForwardDelete, 0xF728, FunctionKeyMask},
        {SDL_SCANCODE_PAGEUP, SDLK_PAGEUP, KeyCode::PageUp, 0xF72C, FunctionKeyMask},
        {SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN, KeyCode::PageDown, 0xF72D, FunctionKeyMask},
        {SDL_SCANCODE_HOME, SDLK_HOME, KeyCode::Home, 0xF729, FunctionKeyMask},
        {SDL_SCANCODE_END, SDLK_END, KeyCode::End, 0xF72B, FunctionKeyMask},
        {SDL_SCANCODE_F1, SDLK_F1, KeyCode::F1, 0xF704, FunctionKeyMask},
        {SDL_SCANCODE_F12, SDLK_F12, KeyCode::F12, 0xF70F, FunctionKeyMask},
        {SDL_SCANCODE_RETURN, SDLK_RETURN, KeyCode::Return, 13, 0},
        {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, KeyCode::KeypadEnter, 3, NumericPadKeyMask},
        {SDL_SCANCODE_TAB, SDLK_TAB, KeyCode::Tab, 9, 0},
        // The backspace key gives Delete, as the original's keyboard did.
        {SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, KeyCode::Delete, 127, 0},
        {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, KeyCode::Escape, 27, 0},
        {SDL_SCANCODE_A, SDLK_a, KeyCode::A, 0, 0},
        {SDL_SCANCODE_Z, SDLK_z, KeyCode::Z, 0, 0},
        {SDL_SCANCODE_5, SDLK_5, KeyCode::Digit5, 0, 0},
        {SDL_SCANCODE_SPACE, SDLK_SPACE, KeyCode::Space, 0, 0},
        {SDL_SCANCODE_SLASH, SDLK_SLASH, KeyCode::Slash, 0, 0},
        {SDL_SCANCODE_KP_7, SDLK_KP_7, 89, 0, NumericPadKeyMask},
        // A layout that moves letters: the code stays with the place, as on the original.
        {SDL_SCANCODE_Z, SDLK_y, KeyCode::Z, 0, 0},
        // A key SDL gives no scancode for but names by keycode.
        {SDL_SCANCODE_UNKNOWN, SDLK_HOME, KeyCode::Home, 0xF729, FunctionKeyMask},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(SDL_GetScancodeName(c.scancode));
        const sdl::KeyDescription key = sdl::describeKey(c.scancode, c.keycode);
        EXPECT_EQ(key.keyCode, c.keyCode);
        EXPECT_EQ(key.fixedCharacters, c.character ? utf8FromCodePoint(c.character) : "");
        EXPECT_EQ(key.keyFlags, c.flags);
        EXPECT_FALSE(key.isModifier);
    }
}

TEST(SdlTranslation, ModifierKeysAreMarkedAndUnknownKeysHaveNoCode) {
    struct Case {
        SDL_Scancode scancode;
        unsigned short keyCode;
    };
    const Case modifiers[] = {
        {SDL_SCANCODE_LSHIFT, KeyCode::Shift},      {SDL_SCANCODE_RSHIFT, KeyCode::RightShift},
        {SDL_SCANCODE_LCTRL, KeyCode::Command},     {SDL_SCANCODE_LGUI, KeyCode::Control},
        {SDL_SCANCODE_LALT, KeyCode::Option},       {SDL_SCANCODE_RALT, KeyCode::RightOption},
        {SDL_SCANCODE_CAPSLOCK, KeyCode::CapsLock},
    };
    for (const Case& c : modifiers) {
        SCOPED_TRACE(SDL_GetScancodeName(c.scancode));
        const sdl::KeyDescription key = sdl::describeKey(c.scancode, 0);
        EXPECT_TRUE(key.isModifier);
        EXPECT_EQ(key.keyCode, c.keyCode);
    }
    const sdl::KeyDescription unknown = sdl::describeKey(SDL_SCANCODE_AC_BOOKMARKS, 0);
    EXPECT_EQ(unknown.keyCode, 0xffff);
    EXPECT_FALSE(unknown.isModifier);
    EXPECT_EQ(unknown.fixedCharacters, "");
}

TEST(SdlTranslation, CharactersOfKeysWithoutText) {
    struct Case {
        SDL_Keycode keycode;
        unsigned modifiers;
        const char* characters;
    };
    const Case cases[] = {
        {SDLK_c, KMOD_LCTRL, "c"},
        {SDLK_c, KMOD_LCTRL | KMOD_LSHIFT, "C"},
        {SDLK_c, KMOD_CAPS, "C"},
        {SDLK_c, KMOD_CAPS | KMOD_LSHIFT, "c"},
        {SDLK_1, KMOD_LSHIFT, "1"},
        {SDLK_SPACE, 0, " "},
        // A layout's own letter (here a-umlaut) comes through as UTF-8.
        {0xe4, 0, "\xc3\xa4"},
        // Keys that are no characters.
        {SDLK_UP, 0, ""},
        {SDLK_RETURN, 0, ""},
        {SDLK_BACKSPACE, 0, ""},
        {SDLK_DELETE, 0, ""},
        {SDLK_UNKNOWN, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keycode);
        EXPECT_EQ(sdl::charactersForKeycode(c.keycode, c.modifiers), c.characters);
    }
}

TEST(SdlTranslation, ScrollDeltasFollowTheOriginalsSigns) {
    // The wheel turned away from the user scrolls up: positive y on both sides.
    EXPECT_EQ(sdl::scrollDeltasFromSdl(0, 1, false), Point(0, 1));
    // Tilted right: SDL says +x, the original -x.
    EXPECT_EQ(sdl::scrollDeltasFromSdl(2, 0, false), Point(-2, 0));
    // A flipped (natural) wheel reports the other way round; the content moves the same.
    EXPECT_EQ(sdl::scrollDeltasFromSdl(0, -1, true), Point(0, 1));
    EXPECT_EQ(sdl::scrollDeltasFromSdl(0.5, 0, true), Point(0.5, 0));
}

} // namespace
