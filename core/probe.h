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

// Row of vendor_table whose key equals vendor_id; leaves vendor_index alone on no match.
int find_vendor_index(ProcessorRecord& record);

// Which record field a leaf-2 descriptor byte fills; the size comes from cache_descriptor_table.
enum class DescriptorClass { other, level1_code, level1_data, level2 };
DescriptorClass classify_descriptor(std::uint8_t descriptor);

// A level-2 descriptor the vendor documents but cache_descriptor_table has no size for.
// Coming first, it leaves the level-2 size undetermined, and it keeps a 0x40 of the same
// scan from meaning "no level-2 cache".
bool names_untabled_level2_size(std::uint8_t descriptor);

}  // namespace corelens
