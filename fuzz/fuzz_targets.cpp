// The four fuzz targets share this harness; each executable is built with
// CORELENS_FUZZ_SURFACE naming the function below that takes its input.
#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "app/batch.h"
#include "app/command_line.h"
#include "app/switches.h"
#include "core/cpuid_source.h"
#include "core/naming.h"
#include "core/probe.h"
#include "platform/platform.h"
#include "report/fields.h"
#include "report/inventory.h"
#include "report/renderers.h"
#include "report/result_output.h"
#include "report/value_texts.h"
#include "tables/reference_tables.h"
#include "ui/view_model.h"

namespace corelens::fuzz {
namespace {

// A broken invariant aborts, so that libFuzzer keeps the input.
void check(bool holds, const char* invariant, const std::string& detail = {}) {
    if (holds) return;
    std::fprintf(stderr, "invariant broken: %s\n  %s\n", invariant, detail.c_str());
    std::abort();
}

bool ends_with(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}
template <std::size_t N>
bool terminated(const char (&field)[N]) { return std::memchr(field, '\0', N) != nullptr; }

// Probes source with a clock of ticks over the one-second window, then checks what every
// probed record owes its reader, whatever the processor answered: the clock measured exactly
// when leaf 1 shows a time-stamp counter, and kept; C strings within their fields; no name
// for a processor newer than the tables; both reports whole within their blocks.
void probe_and_check(RecordedCpuid& source, std::uint64_t ticks) {
    ProcessorRecord record;
    std::memset(&record, 0xA5, sizeof record);
    std::int32_t non_intel = 0;
    bool measured = false;
    const int probed = probe_processor(record, non_intel, source, [&] {
        measured = true;
        return static_cast<double>(ticks) / 1000000.0;
    });
    // Text without a CPUID line is no dump, and gives no record.
    if (probed == 0) return check(source.has_cpuid() == 0 && !measured, "a dump with CPUID lines not probed");
    source.rewind();
    const bool counter = source.query(0).eax >= 1 && (source.query(1).edx & (1u << 4)) != 0;
    check(probed == 1 && measured == counter &&
              record.speed_mhz == (counter ? static_cast<float>(ticks / 1000000.0) : 0.0f), "speed not the measured one");
    check(terminated(record.vendor_id) && terminated(record.name) && terminated(record.brand_string) &&
              terminated(record.type_name), "record text without its NUL");
    const std::string name = record_text(record.name);
    check(!is_beyond_tables(record) || ends_with(name, k_name_not_in_database), "newer processor named", name);
    const std::string text = render_text_report(record, ReportContext{});
    const std::string html = render_html_report(record, ReportContext{});
    check(text.size() < k_clipboard_block_size && html.size() < 8192, "report over its block");
    check(text.find("Processor name:           " + name + "\r\n") != std::string::npos &&
              ends_with(text, "]") && ends_with(html, "</BODY>\r\n"), "report cut", name);
}

// Dump text, and through it the probe's answers: any leaf, any registers, a leaf given again
// answering again with its last answer repeating.
[[maybe_unused]] int fuzz_dump(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    RecordedCpuid source;
    RecordedCpuid::ParseError error;
    if (!source.parse(text, "fuzz.txt", error)) {
        const CpuidRegisters zero = source.query(0);
        check(error.file == "fuzz.txt" && error.line > 0 && error.message.size() < 200 &&
                  (zero.eax | zero.ebx | zero.ecx | zero.edx) == 0, "parse error without its line, or kept answers",
              error.what());
        return 0;
    }
    // The dump the tool prints for a replayed dump reads back to itself.
    const std::string dump = format_dump(source);
    RecordedCpuid replayed;
    check(replayed.parse(dump, "replay", error) && format_dump(replayed) == dump, "dump changes when replayed", dump);
    source.rewind();
    probe_and_check(source, 733000000);
    return 0;
}

// The tag and quote characters of a page; an escaped value adds none.
std::string markup_of(const std::string& html) {
    std::string marks;
    for (const char c : html) marks += c == '<' || c == '>' || c == '"' ? std::string(1, c) : "";
    return marks;
}

[[maybe_unused]] int fuzz_render(const std::uint8_t* data, std::size_t size) {
    static const std::string page_markup = markup_of(render_html_report(ProcessorRecord{}, ReportContext{}));
    FuzzedDataProvider input(data, size);
    ProcessorRecord record{};
    const std::vector<std::uint8_t> raw = input.ConsumeBytes<std::uint8_t>(sizeof record);
    if (!raw.empty()) std::memcpy(&record, raw.data(), raw.size());
    // Date and time numbers, user name, computer name (a braced list is read in order).
    const ReportContext context{input.ConsumeIntegral<unsigned>(), input.ConsumeIntegral<unsigned>(),
                                input.ConsumeIntegral<unsigned>(), input.ConsumeIntegral<unsigned>(),
                                input.ConsumeIntegral<unsigned>(), input.ConsumeIntegral<unsigned>(),
                                input.ConsumeRandomLengthString(600), input.ConsumeRemainingBytesAsString()};
    const std::string text = render_text_report(record, context);
    check(markup_of(render_html_report(record, context)) == page_markup, "a value added markup to the page");
    // Values whole, never cut, never read past their field.
    const std::pair<std::string, std::string> rows[] = {
        {"User:                     ", context.user_name},
        {"Computer:                 ", context.computer_name},
        {"Processor name:           ", record_text(record.name)},
    };
    for (const auto& [label, value] : rows) {
        check(text.find(label + value + "\r\n") != std::string::npos, "text report lost a value", value);
    }
    // Numbers of any size as the C library's printf prints them (the formatter's reference).
    char numbers[160];
    std::snprintf(numbers, sizeof numbers, "Speed:                    %0.1f MHz\r\n", static_cast<double>(record.speed_mhz));
    check(text.find(numbers) != std::string::npos, "speed printed otherwise than printf prints it", numbers);
    std::snprintf(numbers, sizeof numbers, "Date & Time:              %02u.%02u.%04u %02u:%02u:%02u\r\n", context.day,
                  context.month, context.year, context.hour, context.minute, context.second);
    check(text.find(numbers) != std::string::npos, "date printed otherwise than printf prints it", numbers);
    return 0;
}

// -?(0|[1-9][0-9]*)(\.[0-9])?, never "-0".
bool is_json_number(const std::string& n) {
    const std::size_t start = n.compare(0, 1, "-") == 0 ? 1 : 0, point = n.find('.');
    const std::string whole = n.substr(start, point == std::string::npos ? point : point - start);
    return !whole.empty() && whole.find_first_not_of("0123456789") == std::string::npos &&
           (whole == "0" || whole[0] != '0') && n != "-0" &&
           (point == std::string::npos || (n.size() == point + 2 && std::isdigit(static_cast<unsigned char>(n.back()))));
}

// Any bytes as a result file: rows or a short reason. What was read reads the same again from
// either dress, and its fields leave no raw control character in JSON or CSV, numbers as JSON
// has them, and as many CSV fields as fields.
[[maybe_unused]] int fuzz_inventory(const std::uint8_t* data, std::size_t size) {
    std::vector<ReportRow> rows, again;
    std::string reason;
    if (!read_result_file(std::string(reinterpret_cast<const char*>(data), size), rows, reason)) {
        check(!reason.empty() && reason.size() < 200, "refused without a short reason", reason);
        return 0;
    }
    for (const std::string& page : {render_text_rows(rows, "1.13f"), render_html_rows(rows, "1.13f")}) {
        check(read_result_file(page, again, reason), "a read report does not read back", reason);
        for (std::size_t i = 0; i < rows.size(); ++i) check(again[i].value == rows[i].value, "value changed", rows[i].value);
    }
    const std::vector<Field> fields = report_fields(rows, nullptr);
    std::string csv = csv_record(fields, false);
    csv.resize(csv.size() - 2);  // its line end
    for (const std::string& out : {json_object(fields, false), csv}) {
        for (std::size_t i = 0; i < out.size(); ++i) {
            const auto c = static_cast<unsigned char>(out[i]);
            const bool c1 = c == 0xC2 && i + 1 < out.size() && (out[i + 1] & 0xE0) == 0x80;
            check(c >= 0x20 && c != 0x7F && !c1, "raw control character", out);
        }
    }
    std::size_t commas = 0;
    bool quoted = false;
    for (const char c : csv) quoted = c == '"' ? !quoted : quoted, commas += c == ',' && !quoted;
    check(commas + 1 == fields.size(), "CSV fields miscounted", csv);
    for (const Field& field : fields) {
        check(field.kind != FieldKind::number || is_json_number(field.text), "not a JSON number", field.text);
    }
    return 0;
}

// Fails the writes the input chose, counting them.
struct StagedFiles final : ResultFiles {
    std::uint32_t failing = 0;
    std::size_t calls = 0;
    bool write(const std::string& directory, const std::string& name, std::string& path,
               std::string& reason) override {
        path = directory + platform::k_path_separator + name;
        reason = ((failing >> calls++ % 32) & 1u) != 0 ? "staged failure" : "";
        return reason.empty();
    }
};

// The plan of a POSIX argument list against the arguments themselves: each is one switch,
// the first "/p:" and "/f:" count, "/f" only without "/f:"; help, version or the first
// argument that is no switch (named in the error) ends the reading.
void check_against_arguments(const std::vector<std::string>& arguments, const Arguments& read,
                             const std::string& program_directory, const std::string& computer) {
    using Action = Arguments::Action;
    const auto begins = [](const std::string& a, const char* prefix) { return a.size() > 3 && a.compare(0, 3, prefix) == 0; };
    const auto is_switch = [&](const std::string& a) {
        return a == "/h" || a == "/f" || a == "/c" || begins(a, "/p:") || begins(a, "/f:");
    };
    const auto other = std::find_if_not(arguments.begin(), arguments.end(),
                                        [&](const std::string& a) { return is_switch(a) || a == "--json"; });
    if (other != arguments.end()) {
        const std::string& a = *other;
        return check(a == "-h" || a == "--help" || a == "--version"
                         ? read.action == (a == "--version" ? Action::version : Action::help)
                         : read.action == Action::usage_error && read.error.find(a) != std::string::npos,
                     "not answered, or a usage error that does not name the argument", a);
    }
    // --json prints the report instead of writing files: never beside a switch.
    if (std::find(arguments.begin(), arguments.end(), "--json") != arguments.end()) {
        const bool alone = std::none_of(arguments.begin(), arguments.end(), is_switch);
        return check(alone ? read.action == Action::json
                           : read.action == Action::usage_error && read.error.find("--json") != std::string::npos,
                     "--json not answered as asked", alone ? "alone" : "with switches");
    }
    check(read.action == (arguments.empty() ? Action::report : Action::batch), "no batch run for switches");
    const auto first = [&](const char* prefix) {
        const auto at = std::find_if(arguments.begin(), arguments.end(), [&](const std::string& a) { return begins(a, prefix); });
        return at == arguments.end() ? std::string() : at->substr(3);
    };
    const auto given = [&](const char* a) { return std::find(arguments.begin(), arguments.end(), a) != arguments.end(); };
    const std::string extension = given("/h") ? ".html" : ".txt", name = first("/f:");
    std::string expected = first("/p:").empty() ? program_directory : first("/p:"), planned;
    if (!name.empty() || given("/f")) expected += "|" + (name.empty() ? "corelens_results" : name) + extension;
    if (given("/c")) expected += "|" + computer + extension;
    const BatchPlan plan = plan_batch(read.switches, {program_directory, [&] { return computer; }, false});
    planned = plan.output_directory;
    for (const PlannedFile& file : plan.files) planned += "|" + file.name;
    check(planned == expected, "the plan is not what the arguments ask for", expected + " / " + planned);
}

[[maybe_unused]] int fuzz_switches(const std::uint8_t* data, std::size_t size) {
    // Options line (first byte: bit 0 POSIX arguments, else a Windows command line, bit 1 a
    // program path too long; the bits of the second: which writes fail), program directory,
    // computer name, then the command line (the rest) or one POSIX argument per line.
    std::vector<std::string> lines;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    if (lines.size() < 4) return 0;
    std::string command_line = lines[3];
    for (std::size_t i = 4; i < lines.size(); ++i) command_line += '\n' + lines[i];
    const unsigned options = lines[0].empty() ? 0 : static_cast<unsigned char>(lines[0][0]);
    const bool posix = (options & 1u) != 0, program_path_too_long = (options & 2u) != 0;
    Switches switches = find_switches(windows_command_tail(command_line.c_str()));
    if (posix) {
        const std::vector<std::string> arguments(lines.begin() + 3, lines.end());
        const Arguments read = read_arguments(arguments);
        check_against_arguments(arguments, read, lines[1], lines[2]);
        switches = read.switches;
    }
    const BatchPlan plan = plan_batch(switches, {lines[1], [&] { return lines[2]; }, program_path_too_long});
    StagedFiles files;
    files.failing = lines[0].size() > 1 ? static_cast<unsigned char>(lines[0][1]) : 0;
    const std::vector<BatchFailure> failures = run_batch_plan(plan, files, platform::k_path_separator);
    std::size_t written = 0, failed = 0;
    for (const PlannedFile& file : plan.files) failed += file.refusal.empty() ? (files.failing >> written++ % 32) & 1u : 1;
    // Refused files never reach the writer; every failure is reported, and fails the run.
    check(written == files.calls && failed == failures.size() &&
              batch_exit_status(failures) == (failures.empty() ? 0 : 1), "writes or failures do not match the plan");
    return 0;
}

}  // namespace
}  // namespace corelens::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    corelens::build_reference_tables();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return corelens::fuzz::CORELENS_FUZZ_SURFACE(data, size);
}
