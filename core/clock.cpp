#include "core/clock.h"

#include "platform/platform.h"

#if defined(__i386__) || defined(__x86_64__)
#include <x86intrin.h>
#endif

namespace corelens {

double measure_clock_mhz(const MillisecondCounter& milliseconds, const TimeStampCounter& time_stamp) {
    // Both waits compare unsigned 32-bit differences, so a wrap of the counter is harmless.
    const std::uint32_t start = milliseconds();
    while (static_cast<std::uint32_t>(milliseconds() - start) < 1u) {
    }
    const std::uint32_t window_start = milliseconds();
    const std::uint64_t first_ticks = time_stamp();
    while (static_cast<std::uint32_t>(milliseconds() - window_start) < 1000u) {
    }
    const std::uint64_t last_ticks = time_stamp();
    // The full 64-bit difference: more than 2^32 ticks pass in one second above 4.29 GHz.
    return static_cast<double>(last_ticks - first_ticks) / 1000000.0;
}

// Its own function even where the whole program is optimised at once: the floor check of
// corelens.exe allows RDTSC here alone.
[[gnu::noinline]] std::uint64_t read_time_stamp_counter() {
#if defined(__i386__) || defined(__x86_64__)
    return __rdtsc();
#else
    return 0;
#endif
}

double measure_clock_mhz() { return measure_clock_mhz(platform::milliseconds, read_time_stamp_counter); }

}  // namespace corelens
