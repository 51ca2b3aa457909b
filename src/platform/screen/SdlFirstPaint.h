#pragma once

#include <optional>

// The start-up measurement: with LUMIQ_EXIT_AFTER_FIRST_PAINT=1 in the environment the SDL
// backend ends the process as soon as the first window's pixels reached the X server, after
// printing one line:  first-paint-ms=<ms since the process started> peak-rss-kb=<kB>.
// LUMIQ_LAUNCH_US (microseconds since the epoch, taken by whoever launched the process) gives
// a finer start than the kernel's process start time, which counts in clock ticks.
namespace platform {

bool sdlFirstPaintRequested();
// Milliseconds since the process started, when that can be read.
std::optional<double> millisecondsSinceProcessStart();
// Prints the line and ends the process at once (no destructors: the measurement is over).
[[noreturn]] void reportFirstPaintAndExit();

} // namespace platform
