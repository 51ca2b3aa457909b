#pragma once

#include "platform/graphics/Geometry.h"

#include <optional>
#include <vector>

// Toasts stack down from the top right corner of the main screen, one slot under the other,
// in columns that grow to the left. These are the rules the application controller places
// them by.
namespace toast_slots {

// The space one toast takes down a column: its window's height and a 5-point gap (5 without
// a window), in whole points.
int pitch(std::optional<platform::Size> windowSize);

// How many toasts fit in one column of a screen `screenHeight` high: at least one, so that a
// missing screen (height 0) or a toast taller than the screen never divides by zero.
int rowsPerColumn(double screenHeight, int pitch);

// The point the toast of `slot` hangs from (its window's top right corner): 10 points in from
// the right edge and 30 down from the top for the first toast, each next one a pitch lower,
// each next column a toast's width plus 5 points further left. `screen` is the main screen's
// frame, the zero rectangle when there is none.
platform::Point anchorForSlot(int slot, std::optional<platform::Size> windowSize,
                              const platform::Rect& screen);

// The lowest free slot, or none when every slot is taken.
std::optional<int> firstFreeSlot(const std::vector<bool>& slots);

} // namespace toast_slots
