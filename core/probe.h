#pragma once
// Fills a ProcessorRecord from CPUID answers, measures the clock and composes the name.
#include <cstdint>
#include <functional>

#include "core/cpuid_source.h"
#include "core/processor_record.h"

namespace corelens {

using ClockMeasurement = std::function<double()>;

// Returns 0 and leaves the record untouched when the source has no CPUID; otherwise
// fills the record, sets non_intel_flag to 1 on the extended path, and returns 1. The clock
// is measured only when leaf 1 reports a time-stamp counter.
int probe_processor(ProcessorRecord& record, std::int32_t& non_intel_flag, CpuidSource& source,
                    const ClockMeasurement& measure_clock);

// The program's probe: the live instruction, this machine's clock, the global non_intel.
int probe_processor(ProcessorRecord& record);

// Stores vendor_row in vendor_index; leaves vendor_index alone on no match.
int find_vendor_index(ProcessorRecord& record);

}  // namespace corelens
