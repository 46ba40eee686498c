// corelens-cpuid: prints this processor's CPUID leaves as a dump, or runs the program's
// probe, tables, renderers and flag list against a recorded dump.
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
#include "report/fields.h"
#include "report/renderers.h"
#include "report/result_output.h"
#include "tables/reference_tables.h"
#include "tools/inventory_command.h"
#include "ui/feature_list.h"

namespace {

constexpr int k_usage_error = 2;

const char* const k_usage =
    "usage: corelens-cpuid dump\n"
    "       corelens-cpuid report [--html | --json] [--mhz N] [-o FILE] DUMP\n"
    "       corelens-cpuid flags DUMP\n"
    "       corelens-cpuid inventory [--csv | --json] [-r] [-a] FILE|FOLDER...\n"
    "       corelens-cpuid -h | --help | --version\n"
    "\n"
    "dump    prints this processor's CPUID leaves, one line per leaf:\n"
    "        CPUID LLLLLLLL: AAAAAAAA-BBBBBBBB-CCCCCCCC-DDDDDDDD\n"
    "report  prints the text (or with --html the HTML) report for a recorded dump;\n"
    "        --mhz gives the clock speed to report (0.0 without it); -o writes FILE\n"
    "        byte for byte as corelens writes a result file (HTML when FILE ends\n"
    "        in html), never over the dump itself; --json prints the record as one\n"
    "        JSON object instead\n"
    "flags   prints the features window's flag list for a recorded dump, one row per\n"
    "        line: feature, name, position and yes or no, separated by tabs\n"
    "inventory  reads result files (text or HTML; in folders the *.txt, *.html and\n"
    "        *.htm, with -r in the folders below too) and prints one row per\n"
    "        computer, the newest report of each (with -a every report, newest\n"
    "        first), as CSV or with --json as a JSON array\n"
    "\n"
    "DUMP is a file of such lines (other lines are ignored), at most 4 MB; - reads\n"
    "standard input. A file without any CPUID line is not a dump. The exit status\n"
    "is 0 on success, 1 when the output could not be written, 2 for a usage error\n"
    "or a file that is not a dump.\n";

const char* const k_program = "corelens-cpuid";

void error(const std::string& message) { corelens::platform::print_error(k_program, message); }

int usage_error(const std::string& message) {
    error(message);
    std::fputs("Try 'corelens-cpuid --help'.\n", stderr);
    return k_usage_error;
}

// 0 when all of the UTF-8 text reached standard output, 1 after a message saying why not.
int print_utf8(const std::string& text) {
    std::string reason;
    if (corelens::platform::write_standard_output(text, &reason)) return 0;
    error("write error: " + reason);
    return 1;
}

// The same for Windows-1252 text.
int print(const std::string& text) { return print_utf8(corelens::platform::terminal_text(text)); }

int dump() {
    corelens::LiveCpuid source;
    if (!source.has_cpuid()) {
        error("this processor has no CPUID instruction");
        return 1;
    }
    return print(corelens::format_dump(source));
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

// Replays file ("-": standard input) through the program's probe into the program's
// record; 0, or the exit status after a message.
int probe_dump(const std::string& file, double mhz) {
    corelens::RecordedCpuid source;
    corelens::RecordedCpuid::ParseError parse_error;
    if (!source.load_file(file, parse_error)) {
        error(parse_error.what());
        return k_usage_error;
    }
    corelens::build_reference_tables();
    corelens::processor_record = corelens::ProcessorRecord{};
    if (!corelens::probe_processor(corelens::processor_record, corelens::non_intel, source, [mhz] { return mhz; })) {
        error((file == "-" ? "standard input" : file) + ": no CPUID line: not a dump");
        return k_usage_error;
    }
    return 0;
}

int report(const std::vector<std::string>& arguments) {
    bool html = false;
    bool json = false;
    double mhz = 0.0;
    std::string file;
    std::string output;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--html") {
            html = true;
        } else if (argument == "--json") {
            json = true;
        } else if (argument == "--mhz" || argument == "-o") {
            if (i + 1 >= arguments.size()) return usage_error(argument + " needs a value");
            const std::string& value = arguments[++i];
            if (argument == "-o") {
                if (value.empty()) return usage_error("-o needs a file name");
                output = value;
            } else if (!parse_mhz(value, mhz)) {
                return usage_error("bad --mhz value '" + value + "'");
            }
        } else if (argument.size() > 1 && argument[0] == '-') {
            return usage_error("unknown option '" + argument + "'");
        } else if (!file.empty()) {
            return usage_error("one dump file only, got '" + file + "' and '" + argument + "'");
        } else if (argument.empty()) {
            return usage_error("empty dump file name");
        } else {
            file = argument;
        }
    }
    if (file.empty()) return usage_error("report needs a dump file");
    // The file's ending decides its format, as it does for the program's own saves.
    if (html && !output.empty() && !corelens::has_extension("html", output)) {
        return usage_error("--html with -o needs a file name ending in html");
    }
    if (json && (html || !output.empty())) return usage_error("--json goes with neither --html nor -o");
    // However named (a link, "-" with the file as standard input): the dump would be lost.
    if (!output.empty() && corelens::platform::same_file(output, file)) {
        return usage_error("-o " + output + " is the dump itself");
    }
    if (const int status = probe_dump(file, mhz)) return status;

    const corelens::ReportContext context = corelens::gather_report_context();
    if (json) {
        // UTF-8 already: written as it is.
        return print_utf8(corelens::render_json_report(corelens::processor_record, context));
    }
    if (!output.empty()) {
        std::string reason;
        if (corelens::save_results(output, corelens::k_create_always, corelens::processor_record, context,
                                   &reason) != 1) {
            error("cannot write " + output + ": " + reason);
            return 1;
        }
        return 0;
    }
    // On a terminal the report gets a line end after its closing bracket; the file has none.
    return print(html ? corelens::render_html_report(corelens::processor_record, context)
                      : corelens::render_text_report(corelens::processor_record, context) + "\r\n");
}

// The features window's rows, as the window builds them.
int flags(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1 || arguments[0].empty() || (arguments[0][0] == '-' && arguments[0] != "-")) {
        return usage_error("flags needs one dump file");
    }
    if (const int status = probe_dump(arguments[0], 0.0)) return status;
    std::string text;
    for (const corelens::FeatureRow& row : corelens::feature_rows(corelens::processor_record)) {
        text += row.short_name + '\t' + row.long_name + '\t' + row.position_text + '\t' + row.enabled_text + '\n';
    }
    return print(text);
}

}  // namespace

int main(int argc, char** argv) {
    corelens::platform::prepare_process();
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
        return print(k_usage);
    }
    if (command == "--version") return print(std::string("corelens-cpuid ") + corelens::k_version_text + "\n");
    if (command == "dump") {
        if (arguments.size() > 1) return usage_error("dump takes no arguments");
        return dump();
    }
    if (command == "report") return report({arguments.begin() + 1, arguments.end()});
    if (command == "flags") return flags({arguments.begin() + 1, arguments.end()});
    if (command == "inventory") return corelens::inventory_command({arguments.begin() + 1, arguments.end()});
    return usage_error("unknown command '" + command + "'");
}
