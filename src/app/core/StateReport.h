#pragma once

#include "platform/foundation/Value.h"

// What the program shows now, for a program that drives it from outside (a test sending
// input through the X server): the main window's view, and for every visible window its title,
// frame and the views that show text or take input, front to back, with the rows of any open
// menu. Frames are in the X server's coordinates (origin at the top left of the screen), so
// that a point inside one can be clicked as it stands.
namespace state_report {

platform::Value currentState();

} // namespace state_report
