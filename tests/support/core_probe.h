#pragma once
// Runs the real probe on any CPUID source with a clock the test chooses.
#include <cstdint>
#include <vector>

#include "core/probe.h"
#include "tables/reference_tables.h"

namespace corelens {

struct Probed {
    ProcessorRecord record{};
    std::int32_t flag = 0;
    int result = 0;
};

inline Probed probe_source(CpuidSource& source, const ClockMeasurement& clock = [] { return 1000.0; }) {
    build_reference_tables();
    Probed probed;
    probed.result = probe_processor(probed.record, probed.flag, source, clock);
    return probed;
}

// Level-1 data, level-1 code and level-2 sizes in KB, compared as one value.
inline std::vector<int> cache_sizes(const ProcessorRecord& record) {
    return {record.l1_data_kb, record.l1_code_kb, record.l2_kb};
}

}  // namespace corelens
