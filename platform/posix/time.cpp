#include <ctime>

#include "platform/platform.h"

namespace corelens::platform {

std::uint32_t milliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                             static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);  // wraps like timeGetTime
}

// POSIX's counter is always fine: nothing to ask for, nothing to give back.
FineTimer::FineTimer() = default;
FineTimer::~FineTimer() = default;

}  // namespace corelens::platform
