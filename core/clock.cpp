#include "core/clock.h"

#include "platform/platform.h"

#if defined(__i386__) || defined(__x86_64__)
#include <x86intrin.h>
#endif

namespace corelens {
namespace {

// A change of the millisecond counter: its new value, how far it moved, and the time-stamp
// counter at the middle of the bracket around it and that bracket's width.
struct Edge {
    std::uint32_t ms;
    std::uint32_t jump;
    std::uint64_t ticks;
    std::uint64_t width;
};

// The busy loop. Each pass reads the millisecond counter, then the time-stamp counter, so a
// change between two counter reads lies between the time-stamp reads before the first of them
// and after the second. A thread that lost the processor next to an edge shows as a wide
// bracket, however the counters read; a counter that moved by twice its usual step or more
// was updated late, and its value is not the moment of the edge. Either edge is passed over.
class EdgeWatch {
public:
    EdgeWatch(const MillisecondCounter& milliseconds, const TimeStampCounter& time_stamp)
        : milliseconds_(milliseconds), time_stamp_(time_stamp) {
        before_last_ = time_stamp_();
        last_ms_ = milliseconds_();
        after_last_ = time_stamp_();
    }

    // The first edge at least wait_ms past from_ms whose jump is the usual step and whose
    // bracket is within `shift` doublings of the narrowest two passes seen. Each wide edge of
    // the usual step doubles the allowance: where every edge is slow to see (a slow machine's
    // clock interrupt) one soon passes, while a thread that lost the processor comes back to
    // clean edges long before the allowance grows to a time slice.
    Edge accepted(std::uint32_t from_ms, std::uint32_t wait_ms) {
        int shift = 5;  // 32 times: above the jitter of a pass, below most interruptions
        for (;;) {
            const Edge edge = next();
            // The counter wraps at 2^32.
            if (edge.ms - from_ms < wait_ms || edge.jump - step_ >= step_) continue;
            if ((edge.width >> shift) <= narrowest_) return edge;
            if (shift < 63) ++shift;
        }
    }

    std::uint32_t last_ms() const { return last_ms_; }

private:
    Edge next() {
        for (;;) {
            const std::uint32_t ms = milliseconds_();
            const std::uint64_t ticks = time_stamp_();
            const std::uint64_t width = ticks - before_last_;  // wraps harmlessly, like the counter
            if (width < narrowest_) narrowest_ = width;
            // The edge may lie anywhere in the bracket; its middle halves the worst error.
            const Edge edge{ms, ms - last_ms_, before_last_ + width / 2, width};
            before_last_ = after_last_;
            after_last_ = ticks;
            last_ms_ = ms;
            if (edge.jump != 0) {
                if (edge.jump < step_) step_ = edge.jump;
                return edge;
            }
        }
    }

    const MillisecondCounter& milliseconds_;
    const TimeStampCounter& time_stamp_;
    std::uint64_t before_last_ = 0;  // read before the last counter read
    std::uint64_t after_last_ = 0;   // read after it
    std::uint32_t last_ms_ = 0;
    std::uint64_t narrowest_ = ~std::uint64_t{0};  // two passes
    std::uint32_t step_ = ~std::uint32_t{0};       // the smallest jump seen: 1, or 10-16 on a coarse timer
};

}  // namespace

double measure_clock_mhz(const MillisecondCounter& milliseconds, const TimeStampCounter& time_stamp) {
    EdgeWatch watch(milliseconds, time_stamp);
    const Edge first = watch.accepted(watch.last_ms(), 1);
    const Edge last = watch.accepted(first.ms, 1000);
    // The full 64-bit difference (more than 2^32 ticks pass in one second above 4.29 GHz),
    // over the milliseconds that really passed between the two edges.
    return static_cast<double>(last.ticks - first.ticks) / (1000.0 * static_cast<double>(last.ms - first.ms));
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

double measure_clock_mhz() {
    const platform::FineTimer fine_timer;
    return measure_clock_mhz(platform::milliseconds, read_time_stamp_counter);
}

}  // namespace corelens
