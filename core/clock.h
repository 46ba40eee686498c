#pragma once
// Core clock from time-stamp-counter ticks across one second of a millisecond counter.
#include <cstdint>
#include <functional>

namespace corelens {

using MillisecondCounter = std::function<std::uint32_t()>;  // wraps at 2^32
using TimeStampCounter = std::function<std::uint64_t()>;

// Busy-waits for an edge of the millisecond counter, then counts ticks to the first edge
// 1000 ms later, over the milliseconds that really passed. An edge next to which the thread
// lost the processor, or that the counter reached late, is passed over for the next one; the
// measurement still ends within about 1.1 s. The tick count is the full 64-bit difference,
// so clocks above 4294.967296 MHz read correctly.
double measure_clock_mhz(const MillisecondCounter& milliseconds, const TimeStampCounter& time_stamp);

// RDTSC where the processor has it (x86), else 0.
std::uint64_t read_time_stamp_counter();

// This machine's clock: the platform's millisecond counter, at 1 ms steps, and RDTSC.
double measure_clock_mhz();

}  // namespace corelens
