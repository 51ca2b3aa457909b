#include "platform/kit/Cursor.h"

#include "platform/kit/ScreenBackend.h"

namespace platform {

namespace {

Cursor*& current() {
    static Cursor* cursor = Cursor::arrowCursor();
    return cursor;
}

} // namespace

#define STANDARD_CURSOR(function, text)                                                            \
    Cursor* Cursor::function() {                                                                   \
        static Cursor cursor(text);                                                                \
        return &cursor;                                                                            \
    }

STANDARD_CURSOR(arrowCursor, "arrow")
STANDARD_CURSOR(pointingHandCursor, "pointingHand")
STANDARD_CURSOR(IBeamCursor, "IBeam")
STANDARD_CURSOR(crosshairCursor, "crosshair")
STANDARD_CURSOR(openHandCursor, "openHand")
STANDARD_CURSOR(closedHandCursor, "closedHand")
STANDARD_CURSOR(resizeLeftRightCursor, "resizeLeftRight")
STANDARD_CURSOR(resizeUpDownCursor, "resizeUpDown")
STANDARD_CURSOR(operationNotAllowedCursor, "operationNotAllowed")

#undef STANDARD_CURSOR

Cursor* Cursor::currentCursor() {
    return current();
}

void Cursor::set() {
    if (current() == this)
        return;
    current() = this;
    if (ScreenBackend* backend = screenBackend())
        backend->cursorChanged(*this);
}

} // namespace platform
