#include "platform/kit/Responder.h"

#include "platform/kit/Event.h"

namespace platform {

#define PASS_ON(name)                                                                              \
    void Responder::name(const Event& event) {                                                     \
        if (nextResponder_)                                                                        \
            nextResponder_->name(event);                                                           \
        else                                                                                       \
            noResponderFor(event);                                                                 \
    }

PASS_ON(mouseDown)
PASS_ON(mouseUp)
PASS_ON(mouseDragged)
PASS_ON(mouseMoved)
PASS_ON(mouseEntered)
PASS_ON(mouseExited)
PASS_ON(rightMouseDown)
PASS_ON(rightMouseUp)
PASS_ON(rightMouseDragged)
PASS_ON(otherMouseDown)
PASS_ON(otherMouseUp)
PASS_ON(otherMouseDragged)
PASS_ON(scrollWheel)
PASS_ON(keyDown)
PASS_ON(keyUp)
PASS_ON(flagsChanged)
PASS_ON(cursorUpdate)

#undef PASS_ON

// The original beeped at an unhandled key down; a stand-in desktop has nothing useful to say.
void Responder::noResponderFor(const Event& /*event*/) {}

} // namespace platform
