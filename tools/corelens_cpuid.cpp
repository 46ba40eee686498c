// corelens-cpuid: prints this processor's CPUID leaves as a dump, or runs the program's
// probe, tables and renderers against a recorded dump.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "core/cpuid_source.h"
#include "core/probe.h"
#include "core/processor_record.h"
#include "platform/platform.h"
#include "report/renderers.h"
#include "report/result_output.h"
#include "tables/reference_tables.h"

namespace {

constexpr int k_usage_error = 2;

const char* const k_usage =
    "usage: corelens-cpuid dump\n"
    "       corelens-cpuid report [--html] [--mhz N] FILE\n"
    "       corelens-cpuid --help\n"
    "\n"
    "dump    prints this processor's CPUID leaves, one line per leaf:\n"
    "        CPUID LLLLLLLL: AAAAAAAA-BBBBBBBB-CCCCCCCC-DDDDDDDD\n"
    "report  prints the text (or with --html the HTML) report for a recorded dump;\n"
    "        --mhz gives the clock speed to report (0.0 without it)\n";

int usage_error(const std::string& message) {
    std::fprintf(stderr, "corelens-cpuid: %s\n", message.c_str());
    std::fprintf(stderr, "Try 'corelens-cpuid --help'.\n");
    return k_usage_error;
}

void print(const std::string& text) {
    const std::string out = corelens::platform::terminal_text(text);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}

int dump() {
    corelens::LiveCpuid source;
    if (!source.has_cpuid()) {
        std::fprintf(stderr, "corelens-cpuid: this processor has no CPUID instruction\n");
        return 1;
    }
    print(corelens::format_dump(source));
    return 0;
}

bool parse_mhz(const std::string& text, double& mhz) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || end == nullptr || *end != '\0' || !std::isfinite(value) || value < 0.0) return false;
    mhz = value;
    return true;
}

int report(const std::vector<std::string>& arguments) {
    bool html = false;
    double mhz = 0.0;
    std::string file;
    bool have_file = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--html") {
            html = true;
        } else if (argument == "--mhz") {
            if (i + 1 >= arguments.size()) return usage_error("--mhz needs a value");
            if (!parse_mhz(arguments[++i], mhz)) return usage_error("bad --mhz value '" + arguments[i] + "'");
        } else if (argument.size() > 1 && argument[0] == '-') {
            return usage_error("unknown option '" + argument + "'");
        } else if (have_file) {
            return usage_error("one dump file only, got '" + file + "' and '" + argument + "'");
        } else {
            file = argument;
            have_file = true;
        }
    }
    if (!have_file) return usage_error("report needs a dump file");

    corelens::RecordedCpuid source;
    corelens::RecordedCpuid::ParseError error;
    if (!source.load_file(file, error)) {
        std::fprintf(stderr, "corelens-cpuid: %s\n", error.what().c_str());
        return k_usage_error;
    }

    corelens::build_reference_tables();
    corelens::processor_record = corelens::ProcessorRecord{};
    if (!corelens::probe_processor(corelens::processor_record, corelens::non_intel, source, [mhz] { return mhz; })) {
        std::fprintf(stderr, "corelens-cpuid: %s: the dump has no CPUID\n", file.c_str());
        return 1;
    }
    const corelens::ReportContext context = corelens::gather_report_context();
    print(html ? corelens::render_html_report(corelens::processor_record, context)
               : corelens::render_text_report(corelens::processor_record, context) + "\r\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // Reports carry their own "\r\n"; the runtime must not add another "\r".
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
    if (arguments.empty()) {
        std::fputs(k_usage, stderr);
        return k_usage_error;
    }
    const std::string& command = arguments[0];
    if (command == "--help" || command == "-h") {
        std::fputs(k_usage, stdout);
        return 0;
    }
    if (command == "dump") {
        if (arguments.size() > 1) return usage_error("dump takes no arguments");
        return dump();
    }
    if (command == "report") return report({arguments.begin() + 1, arguments.end()});
    return usage_error("unknown command '" + command + "'");
}
