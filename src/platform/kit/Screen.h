#pragma once

#include "platform/graphics/Geometry.h"

#include <vector>

namespace platform {

// A display. Frames are in the global screen coordinates (points, y upwards, origin at the
// bottom left of the main screen). The visible frame leaves out what the desktop reserves (the
// headless screen reserves a 22-point strip at the top, as a menu bar would).
class Screen {
public:
    Screen(const Rect& frame, const Rect& visibleFrame, double backingScaleFactor = 1.0)
        : frame_(frame), visibleFrame_(visibleFrame), backingScaleFactor_(backingScaleFactor) {}

    // The first screen of the backend (the one with the menu bar); nullptr when there are none.
    static Screen* mainScreen();
    static std::vector<Screen*> screens();

    Rect frame() const { return frame_; }
    Rect visibleFrame() const { return visibleFrame_; }
    double backingScaleFactor() const { return backingScaleFactor_; }

private:
    Rect frame_;
    Rect visibleFrame_;
    double backingScaleFactor_;
};

// The screen that holds most of `rect` (screen coordinates); the main screen when none does.
Screen* screenForRect(const Rect& rect);

// `rect` moved the least distance that puts it wholly inside `visible`; a side longer than
// the visible frame's is cut to it (keeping the top edge's place where it can).
Rect fitRectInVisibleFrame(const Rect& rect, const Rect& visible);

} // namespace platform
