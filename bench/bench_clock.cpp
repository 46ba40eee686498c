// The clock measurement on this machine: ten runs idle and ten beside one and two busy
// processes per core, each run's duration, and the median and worst error against the
// kernel's idea of the time-stamp-counter rate; then the cost of one probe without the clock.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
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

// The kernel's own calibration from its log, the refined figure where there is one.
double logged_tsc_mhz(const char* command) {
    const std::unique_ptr<FILE, int (*)(FILE*)> log(popen(command, "r"), pclose);
    if (!log) return 0.0;
    double detected = 0.0, refined = 0.0;
    char line[512];
    while (std::fgets(line, sizeof line, log.get()) != nullptr) {
        const std::string text = line;
        for (const auto& [key, value] : {std::pair<const char*, double*>{"tsc: Detected ", &detected},
                                         {"tsc: Refined TSC clocksource calibration: ", &refined}}) {
            const std::size_t at = text.find(key);
            if (at != std::string::npos) *value = std::atof(text.c_str() + at + std::char_traits<char>::length(key));
        }
    }
    return refined > 0.0 ? refined : detected;
}

// The kernel's time-stamp-counter rate: tsc_freq_khz where the kernel exports it, else its
// log, else "cpu MHz" when the counter runs at a constant rate (otherwise that line is the
// current core clock, not the counter's).
Reference kernel_tsc_rate() {
    Reference reference;
    std::ifstream khz_file("/sys/devices/system/cpu/cpu0/tsc_freq_khz");
    double khz = 0.0;
    if (khz_file >> khz && khz > 0.0) return {khz / 1000.0, "/sys/devices/system/cpu/cpu0/tsc_freq_khz"};
    for (const char* command : {"dmesg 2>/dev/null", "journalctl -k -b -q 2>/dev/null"}) {
        const double mhz = logged_tsc_mhz(command);
        if (mhz > 0.0) return {mhz, std::string("the kernel log (") + command + ")"};
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

// Processes that only spin, until they are killed; each dies with the benchmark too.
std::vector<pid_t> start_busy_processes(int count) {
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            for (volatile unsigned long spin = 0;; spin = spin + 1) {
            }
        }
        if (child > 0) children.push_back(child);
    }
    return children;
}

void stop(const std::vector<pid_t>& children) {
    for (const pid_t child : children) kill(child, SIGKILL);
    for (const pid_t child : children) waitpid(child, nullptr, 0);
}

// Ten measurements; prints each and the summary; returns false when a run took over 1.1 s.
bool measure_runs(const char* title, const Reference& reference) {
    constexpr int k_runs = 10;
    std::printf("%s\n", title);
    std::vector<double> errors;
    double longest_ms = 0.0;
    for (int run = 1; run <= k_runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const double mhz = corelens::measure_clock_mhz();
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        longest_ms = std::max(longest_ms, ms);
        const double ppm = reference.mhz > 0.0 ? (mhz - reference.mhz) / reference.mhz * 1e6 : 0.0;
        errors.push_back(ppm);
        std::printf("  run %2d: %.3f MHz, %+.1f ppm, %.1f ms\n", run, mhz, ppm, ms);
    }
    std::vector<double> sorted = errors;
    std::sort(sorted.begin(), sorted.end());
    const double median = (sorted[k_runs / 2 - 1] + sorted[k_runs / 2]) / 2.0;
    const double worst = std::fabs(sorted.front()) > std::fabs(sorted.back()) ? sorted.front() : sorted.back();
    std::printf("  median error %+.1f ppm, worst %+.1f ppm, longest run %.1f ms%s\n", median, worst, longest_ms,
                longest_ms > 1100.0 ? " (over 1.1 s)" : "");
    return longest_ms <= 1100.0;
}

}  // namespace

int main() {
    using namespace corelens;
    const Reference reference = kernel_tsc_rate();
    if (reference.mhz > 0.0) {
        std::printf("clock measurement against the kernel's rate %.3f MHz from %s\n", reference.mhz,
                    reference.source.c_str());
    } else {
        std::printf("clock measurement; no kernel rate available (no tsc_freq_khz, kernel log or constant_tsc "
                    "\"cpu MHz\"), errors shown as 0\n");
    }
    const long cores = std::max(1L, sysconf(_SC_NPROCESSORS_ONLN));
    bool in_time = measure_runs("idle (whatever else this machine runs)", reference);
    for (int per_core = 1; per_core <= 2; ++per_core) {
        const std::vector<pid_t> busy = start_busy_processes(static_cast<int>(cores) * per_core);
        char title[96];
        std::snprintf(title, sizeof title, "beside %d busy processes (%d per core)", static_cast<int>(busy.size()),
                      per_core);
        in_time = measure_runs(title, reference) && in_time;
        stop(busy);
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
    return in_time ? 0 : 1;
}
