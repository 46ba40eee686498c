#pragma once
// Runs the real probe on any CPUID source with a clock the test chooses.
#include <cstdint>

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

}  // namespace corelens
