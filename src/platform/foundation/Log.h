#pragma once

#include "platform/foundation/Format.h"

#include <functional>
#include <string>
#include <string_view>

namespace platform {

// The system log: one line on standard error, like the original's NSLog.
void Log(std::string_view line);

template <class... Args>
void Logf(std::string_view format, const Args&... args) {
    Log(formatString(format, args...));
}

// Tests capture log lines; nullptr restores standard error.
void setLogSink(std::function<void(std::string_view)> sink);

} // namespace platform
