#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform {

// How long the desktop has gone without key or pointer input, as its session reports it.
class IdleTimeSource {
public:
    virtual ~IdleTimeSource() = default;

    // Nanoseconds since the last input; nullopt when the desktop does not say.
    virtual std::optional<std::uint64_t> idleNanoseconds() = 0;

    // The desktop's own: the X screen-saver extension where an X display can be opened, else
    // the session's idle-monitor D-Bus interface, else a source that never says.
    static std::shared_ptr<IdleTimeSource> system();
    // The X screen-saver extension on the display named (empty: $DISPLAY); null when the
    // display cannot be opened or has no such extension.
    static std::shared_ptr<IdleTimeSource> xScreenSaver(const std::string& display = {});
    // The session bus's idle monitor; null when there is no session bus. A monitor that turns
    // out to be missing answers nullopt from then on, without asking the bus again.
    static std::shared_ptr<IdleTimeSource> idleMonitor();
};

} // namespace platform
