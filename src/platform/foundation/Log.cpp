#include "platform/foundation/Log.h"

#include <cstdio>
#include <mutex>

namespace platform {

namespace {

std::mutex& logMutex() {
    static std::mutex mutex;
    return mutex;
}

std::function<void(std::string_view)>& logSink() {
    static std::function<void(std::string_view)> sink;
    return sink;
}

} // namespace

void Log(std::string_view line) {
    std::function<void(std::string_view)> sink;
    {
        std::lock_guard lock(logMutex());
        sink = logSink();
        if (!sink) {
            // One write per line keeps lines from different threads whole.
            std::string text(line);
            if (text.empty() || text.back() != '\n')
                text.push_back('\n');
            std::fwrite(text.data(), 1, text.size(), stderr);
            std::fflush(stderr);
            return;
        }
    }
    sink(line);
}

void setLogSink(std::function<void(std::string_view)> sink) {
    std::lock_guard lock(logMutex());
    logSink() = std::move(sink);
}

} // namespace platform
