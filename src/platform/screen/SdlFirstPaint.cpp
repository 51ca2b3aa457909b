#include "platform/screen/SdlFirstPaint.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <unistd.h>

namespace platform {

namespace {

std::optional<double> fromLaunchTimestamp() {
    const char* value = std::getenv("LUMIQ_LAUNCH_US");
    if (!value || !*value)
        return std::nullopt;
    long long launched = 0;
    const std::string_view text(value);
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), launched);
    if (error != std::errc() || end != text.data() + text.size() || launched <= 0)
        return std::nullopt;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const long long nowUs = static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
    return (nowUs - launched) / 1000.0;
}

// /proc/self/stat's start time (field 22) counts clock ticks since boot.
std::optional<double> fromProcStat() {
    std::ifstream file("/proc/self/stat");
    std::string line;
    if (!std::getline(file, line))
        return std::nullopt;
    // The command name may hold spaces; fields are counted after its closing parenthesis.
    const auto close = line.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    std::istringstream rest(line.substr(close + 2));
    std::string field;
    unsigned long long startTicks = 0;
    for (int index = 3; rest >> field; ++index) {
        if (index == 22) {
            startTicks = std::strtoull(field.c_str(), nullptr, 10);
            break;
        }
    }
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    if (!startTicks || ticksPerSecond <= 0)
        return std::nullopt;
    timespec boot{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    const double nowSeconds = boot.tv_sec + boot.tv_nsec / 1e9;
    return (nowSeconds - static_cast<double>(startTicks) / ticksPerSecond) * 1000.0;
}

} // namespace

bool sdlFirstPaintRequested() {
    const char* value = std::getenv("LUMIQ_EXIT_AFTER_FIRST_PAINT");
    return value && *value && std::string_view(value) != "0";
}

std::optional<double> millisecondsSinceProcessStart() {
    if (auto ms = fromLaunchTimestamp())
        return ms;
    return fromProcStat();
}

void reportFirstPaintAndExit() {
    const double ms = millisecondsSinceProcessStart().value_or(-1);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("first-paint-ms=%.1f peak-rss-kb=%ld\n", ms, usage.ru_maxrss);
    std::fflush(stdout);
    std::_Exit(0);
}

} // namespace platform
