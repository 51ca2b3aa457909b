#pragma once

namespace platform {

class ScreenBackend;

// Whether the environment names a display (DISPLAY or WAYLAND_DISPLAY).
bool displayNamedInEnvironment();

// Installs the backend the process shows its windows on and answers it: the SDL2 backend when
// `headless` is false, a display is named and SDL's video starts on it; otherwise the headless
// screen (an SDL failure is logged). With the SDL2 backend the general pasteboard's text is
// the desktop's clipboard.
ScreenBackend& installScreenBackend(bool headless);

} // namespace platform
