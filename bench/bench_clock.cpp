// The clock measurement on this machine: ten runs, their median and spread, the error
// against the kernel's idea of the time-stamp-counter rate, and the cost of one probe
// without the clock.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/cpuid_source.h"
#include "core/probe.h"
#include "core/processor_record.h"
#include "tables/reference_tables.h"

namespace {

struct Reference {
    double mhz = 0.0;
    std::string source;
};

// The kernel's time-stamp-counter rate: tsc_freq_khz where the kernel exports it, else
// "cpu MHz" when the counter runs at a constant rate (otherwise that line is the current
// core clock, not the counter's).
Reference kernel_tsc_rate() {
    Reference reference;
    std::ifstream khz_file("/sys/devices/system/cpu/cpu0/tsc_freq_khz");
    double khz = 0.0;
    if (khz_file >> khz && khz > 0.0) {
        reference.mhz = khz / 1000.0;
        reference.source = "/sys/devices/system/cpu/cpu0/tsc_freq_khz";
        return reference;
    }
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    double cpu_mhz = 0.0;
    bool constant_tsc = false;
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("cpu MHz", 0) == 0 && cpu_mhz == 0.0) {
            const std::size_t colon = line.find(':');
            if (colon != std::string::npos) cpu_mhz = std::stod(line.substr(colon + 1));
        } else if (line.rfind("flags", 0) == 0 && line.find(" constant_tsc") != std::string::npos) {
            constant_tsc = true;
        }
        if (line.empty() && cpu_mhz != 0.0) break;  // the first processor is enough
    }
    if (cpu_mhz > 0.0 && constant_tsc) {
        reference.mhz = cpu_mhz;
        reference.source = "/proc/cpuinfo \"cpu MHz\" (constant_tsc)";
    }
    return reference;
}

}  // namespace

int main() {
    using namespace corelens;
    constexpr int k_runs = 10;

    std::printf("clock measurement, %d runs of about one second each\n", k_runs);
    std::vector<double> runs;
    for (int run = 1; run <= k_runs; ++run) {
        runs.push_back(measure_clock_mhz());
        std::printf("  run %2d: %.3f MHz\n", run, runs.back());
    }
    std::vector<double> sorted = runs;
    std::sort(sorted.begin(), sorted.end());
    const double median = (sorted[k_runs / 2 - 1] + sorted[k_runs / 2]) / 2.0;
    const double spread = sorted.back() - sorted.front();
    std::printf("  median %.3f MHz, spread %.3f MHz (%.0f ppm of the median)\n", median, spread,
                median > 0.0 ? spread / median * 1e6 : 0.0);

    const Reference reference = kernel_tsc_rate();
    if (reference.mhz > 0.0) {
        std::printf("  kernel's rate %.3f MHz from %s: median error %+.0f ppm\n", reference.mhz,
                    reference.source.c_str(), (median - reference.mhz) / reference.mhz * 1e6);
    } else {
        std::printf("  no kernel rate available (no tsc_freq_khz, no constant_tsc \"cpu MHz\")\n");
    }

    build_reference_tables();
    constexpr int k_probes = 20000;
    ProcessorRecord record{};
    std::int32_t flag = 0;
    LiveCpuid live;
    const auto no_clock = [] { return 0.0; };
    probe_processor(record, flag, live, no_clock);  // warm-up
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < k_probes; ++i) probe_processor(record, flag, live, no_clock);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const double ns = std::chrono::duration<double, std::nano>(elapsed).count() / k_probes;
    std::printf("probe without the clock: %.0f ns per probe (%d probes), \"%s\"\n", ns, k_probes, record.name);

    // Most of a probe is the CPUID instructions themselves; under a hypervisor each one traps.
    constexpr int k_instructions = 20000;
    std::uint32_t sink = 0;
    const auto cpuid_start = std::chrono::steady_clock::now();
    for (int i = 0; i < k_instructions; ++i) sink += execute_cpuid(static_cast<std::uint32_t>(i & 1)).eax;
    const auto cpuid_elapsed = std::chrono::steady_clock::now() - cpuid_start;
    std::printf("one CPUID instruction: %.0f ns (%d executed, checksum %u)\n",
                std::chrono::duration<double, std::nano>(cpuid_elapsed).count() / k_instructions, k_instructions,
                static_cast<unsigned>(sink & 0xFFu));
    return 0;
}
