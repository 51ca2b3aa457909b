#pragma once

#include "platform/system/IdleTimeSource.h"

#include <cstdint>
#include <optional>

namespace app_test {

// Idle time as a test sets it, in the idle timer's units of 2^30 nanoseconds; none when unset.
class FakeIdleTime : public platform::IdleTimeSource {
public:
    std::optional<std::uint64_t> idleNanoseconds() override {
        if (!units)
            return std::nullopt;
        return static_cast<std::uint64_t>(*units) << 30;
    }
    std::optional<std::int64_t> units = 0;
};

} // namespace app_test
