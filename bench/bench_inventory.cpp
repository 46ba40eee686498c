// Reading back what a site's batch runs leave in a shared folder: 10,000 result files, text
// and HTML, made from the recorded dumps (one in ten computers with a second, numbered
// report), read by `corelens-cpuid inventory`. Prints its wall time over a few runs.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/cpuid_source.h"
#include "core/probe.h"
#include "report/renderers.h"
#include "tables/reference_tables.h"

namespace {

namespace fs = std::filesystem;

constexpr unsigned k_files = 10000;
constexpr unsigned k_computers = 9000;  // the other 1,000 files are second reports

std::vector<corelens::ProcessorRecord> recorded_processors(const std::string& dumps) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dumps)) {
        if (entry.path().extension() == ".txt" && entry.path().parent_path() != fs::path(dumps)) {
            files.push_back(entry.path().string());
        }
    }
    std::sort(files.begin(), files.end());
    corelens::build_reference_tables();
    std::vector<corelens::ProcessorRecord> records;
    for (const std::string& file : files) {
        corelens::RecordedCpuid source;
        corelens::RecordedCpuid::ParseError error;
        corelens::ProcessorRecord record{};
        std::int32_t non_intel = 0;
        if (source.load_file(file, error) &&
            corelens::probe_processor(record, non_intel, source, [] { return 733.0; }) == 1) {
            records.push_back(record);
        }
    }
    return records;
}

struct Run {
    double wall_ms = -1.0;  // -1 when the run failed
    double cpu_ms = 0.0;    // user and system time
};

// One run, its output left in out.
Run run_inventory(const std::string& directory, const std::string& out) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        if (std::freopen(out.c_str(), "w", stdout) == nullptr) _exit(127);
        execl(CORELENS_CPUID_PROGRAM, CORELENS_CPUID_PROGRAM, "inventory", directory.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    Run run;
    run.cpu_ms = ms(usage.ru_utime) + ms(usage.ru_stime);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        run.wall_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
    return run;
}

}  // namespace

int main() {
    if (!fs::is_directory(CORELENS_DUMPS_DIR)) {
        std::printf("inventory: skipped, no recorded dumps in %s\n", CORELENS_DUMPS_DIR);
        return 0;
    }
    const std::vector<corelens::ProcessorRecord> records = recorded_processors(CORELENS_DUMPS_DIR);
    char pattern[] = "/tmp/corelens-bench-XXXXXX";
    if (records.empty() || mkdtemp(pattern) == nullptr) {
        std::fprintf(stderr, "inventory: no records or no temporary directory\n");
        return 1;
    }
    const std::string directory = pattern, reports = directory + "/reports";
    fs::create_directory(reports);
    std::uintmax_t bytes = 0;
    for (unsigned i = 0; i < k_files; ++i) {
        const unsigned computer = i % k_computers;
        const bool html = i % 2 == 1;
        char name[32];
        std::snprintf(name, sizeof name, "PC%04u", computer);
        const corelens::ReportContext context{1 + i % 28, 1 + i % 12, 2001, 8, 30, i % 60,
                                              "user", name};
        const corelens::ProcessorRecord& record = records[static_cast<std::size_t>(computer) % records.size()];
        const std::string page = html ? corelens::render_html_report(record, context)
                                      : corelens::render_text_report(record, context);
        // The second report of a computer is numbered as batch mode numbers it.
        std::ofstream(reports + "/" + name + (i >= k_computers ? "1" : "") + (html ? ".html" : ".txt"),
                      std::ios::binary) << page;
        bytes += page.size();
    }
    std::vector<double> times, cpu;
    for (int i = 0; i < 5; ++i) {
        const Run run = run_inventory(reports, directory + "/inventory.csv");
        times.push_back(run.wall_ms);
        cpu.push_back(run.cpu_ms);
    }
    std::ifstream csv(directory + "/inventory.csv");
    const long lines = std::count(std::istreambuf_iterator<char>(csv), std::istreambuf_iterator<char>(), '\n');
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    fs::remove_all(directory);
    if (times.front() < 0) {
        std::fprintf(stderr, "inventory: corelens-cpuid inventory failed\n");
        return 1;
    }
    std::printf("inventory of %u result files (%.1f MB, %zu recorded processors): %ld rows, "
                "median %.0f ms wall (%.0f-%.0f ms over %zu runs, files in the page cache), %.0f ms processor "
                "time (user and system)\n",
                k_files, bytes / 1e6, records.size(), lines - 1, times[times.size() / 2], times.front(), times.back(),
                times.size(), cpu[cpu.size() / 2]);
    return 0;
}
