// The four fuzz targets share this harness; each executable is built with
// CORELENS_FUZZ_SURFACE naming the function below that takes its input.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/batch.h"
#include "app/command_line.h"
#include "app/switches.h"
#include "core/cpuid_source.h"
#include "core/naming.h"
#include "core/probe.h"
#include "platform/platform.h"
#include "report/renderers.h"
#include "report/result_output.h"
#include "report/value_texts.h"
#include "tables/reference_tables.h"

namespace corelens::fuzz {
namespace {

// A broken invariant aborts, so that libFuzzer keeps the input.
void check(bool holds, const char* invariant, const std::string& detail = {}) {
    if (holds) return;
    std::fprintf(stderr, "invariant broken: %s\n  %s\n", invariant, detail.c_str());
    std::abort();
}

bool starts_with(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }
bool ends_with(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}
template <std::size_t N>
bool terminated(const char (&field)[N]) { return std::memchr(field, '\0', N) != nullptr; }

// What every probed record owes its reader, whatever the processor answered: C strings
// within their fields, never a wrong name, and both reports whole within their blocks.
void check_probed(const ProcessorRecord& record) {
    check(terminated(record.vendor_id) && terminated(record.name) && terminated(record.brand_string) &&
              terminated(record.type_name), "record text without its NUL");
    const std::string vendor = record_text(record.vendor_id), name = record_text(record.name);
    bool known = false;
    for (int row = 0; row < k_vendor_rows; ++row) known = known || vendor == vendor_table.key_at(row);
    if (!known) {
        const std::size_t first = vendor.find_first_not_of(' ');
        const std::string own = first == std::string::npos
                                    ? "Unknown" : vendor.substr(first, vendor.find_last_not_of(' ') - first + 1);
        check(name == own + " " + k_name_not_in_database, "unknown vendor named", name);
    }
    if (is_beyond_tables(record)) check(ends_with(name, k_name_not_in_database), "newer processor named", name);
    if (vendor != "GenuineIntel" && vendor != "AuthenticAMD") {
        check((format_family(record) + format_model(record)).find('(') == std::string::npos,
              "family or model named for another vendor", vendor);
    }
    const std::string text = render_text_report(record, ReportContext{});
    const std::string html = render_html_report(record, ReportContext{});
    check(text.size() < k_clipboard_block_size && html.size() < 8192, "report over its block");
    check(text.find('\0') == std::string::npos && html.find('\0') == std::string::npos, "NUL in a report");
    check(text.find("Processor name:           " + name + "\r\n") != std::string::npos &&
              ends_with(text, "]") && ends_with(html, "</BODY>\r\n"), "report cut", name);
}

[[maybe_unused]] int fuzz_dump(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    RecordedCpuid source;
    RecordedCpuid::ParseError error;
    if (!source.parse(text, "fuzz.txt", error)) {
        // The error names a CPUID line of this file, quotes a bounded excerpt, keeps nothing.
        std::size_t start = 0;
        for (int line = 1; line < error.line && start != std::string::npos; ++line) {
            start = text.find('\n', start);
            if (start != std::string::npos) ++start;
        }
        check(error.file == "fuzz.txt" && error.line > 0 && start < text.size() &&
                  text.compare(start, 5, "CPUID") == 0, "error names no CPUID line", error.what());
        check(error.message.size() < 200, "error message grows with the line", error.message);
        const CpuidRegisters zero = source.query(0);
        check((zero.eax | zero.ebx | zero.ecx | zero.edx) == 0, "failed parse kept answers");
        return 0;
    }
    // The dump the tool prints for a replayed dump reads back to itself.
    const std::string dump = format_dump(source);
    RecordedCpuid replayed;
    check(replayed.parse(dump, "replay", error) && format_dump(replayed) == dump, "dump changes when replayed", dump);
    source.rewind();
    ProcessorRecord record{};
    std::int32_t non_intel = 0;
    check(probe_processor(record, non_intel, source, [] { return 0.0; }) == 1, "recorded probe failed");
    check_probed(record);
    return 0;
}

// A processor answering anything: known or random leaves, one to three answers each (the
// last repeating), an optional vendor the tables know or not.
class FuzzedCpuid final : public CpuidSource {
public:
    explicit FuzzedCpuid(FuzzedDataProvider& input) {
        static constexpr std::uint32_t k_leaves[] = {0, 1, 2, 0x80000000u, 0x80000001u, 0x80000002u,
                                                     0x80000003u, 0x80000004u, 0x80000005u, 0x80000006u,
                                                     0x80000007u, 0x80000008u};
        static constexpr const char* k_vendors[] = {"GenuineIntel", "AuthenticAMD", "CyrixInstead", "  Shanghai  "};
        has_cpuid_ = input.ConsumeIntegralInRange<int>(0, 15) != 0;
        const std::size_t vendor = input.ConsumeIntegralInRange<std::size_t>(0, 7);
        while (input.remaining_bytes() > 0) {
            const std::size_t pick = input.ConsumeIntegralInRange<std::size_t>(0, std::size(k_leaves));
            const std::uint32_t leaf = pick < std::size(k_leaves) ? k_leaves[pick] : input.ConsumeIntegral<std::uint32_t>();
            for (int i = input.ConsumeIntegralInRange<int>(1, 3); i > 0; --i) {
                CpuidRegisters regs;
                for (std::uint32_t* word : {&regs.eax, &regs.ebx, &regs.ecx, &regs.edx}) {
                    *word = input.ConsumeIntegral<std::uint32_t>();
                }
                leaves_[leaf].push_back(regs);
            }
        }
        if (vendor < std::size(k_vendors)) {
            CpuidRegisters& leaf0 = leaves_[0].empty() ? leaves_[0].emplace_back() : leaves_[0].front();
            std::memcpy(&leaf0.ebx, k_vendors[vendor], 4);
            std::memcpy(&leaf0.edx, k_vendors[vendor] + 4, 4);
            std::memcpy(&leaf0.ecx, k_vendors[vendor] + 8, 4);
        }
    }
    int has_cpuid() override { return has_cpuid_ ? 1 : 0; }
    CpuidRegisters first(std::uint32_t leaf) { return leaves_[leaf].empty() ? CpuidRegisters{} : leaves_[leaf][0]; }
    CpuidRegisters query(std::uint32_t leaf) override {
        ++queries;
        const std::vector<CpuidRegisters>& answers = leaves_[leaf];
        if (answers.empty()) return {};
        std::size_t& next = next_[leaf];
        const CpuidRegisters regs = answers[next];
        if (next + 1 < answers.size()) ++next;
        return regs;
    }
    long queries = 0;

private:
    bool has_cpuid_ = false;
    std::map<std::uint32_t, std::vector<CpuidRegisters>> leaves_;
    std::map<std::uint32_t, std::size_t> next_;
};

[[maybe_unused]] int fuzz_probe(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::uint64_t ticks = input.ConsumeIntegral<std::uint64_t>();  // over the one-second window
    FuzzedCpuid source(input);
    ProcessorRecord record;
    std::memset(&record, 0xA5, sizeof record);
    const ProcessorRecord before = record;
    std::int32_t non_intel = 0;
    bool measured = false;
    const int probed = probe_processor(record, non_intel, source, [&] {
        measured = true;
        return static_cast<double>(ticks) / 1000000.0;
    });
    if (source.has_cpuid() == 0) {
        check(probed == 0 && std::memcmp(&record, &before, sizeof record) == 0 && non_intel == 0,
              "probe without CPUID touched the record");
        return 0;
    }
    check(probed == 1 && source.queries <= 256 + 16, "probe failed or asked too often");
    // The clock is measured exactly when leaf 1 shows a time-stamp counter, and kept.
    const bool counter = source.first(0).eax >= 1 && (source.first(1).edx & (1u << 4)) != 0;
    check(measured == counter && record.speed_mhz == (counter ? static_cast<float>(ticks / 1000000.0) : 0.0f),
          "speed not the measured one");
    if (record_text(record.vendor_id) == "GenuineIntel") check(record.l2_kb >= -1, "level-2 size below -1");
    check_probed(record);
    return 0;
}

std::string escaped(const std::string& value) {
    std::string text;
    for (const char c : value) {
        text += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '"' ? "&quot;" : std::string(1, c);
    }
    return text;
}

// Markup characters and ampersands that start no escape; only values could add any.
std::string markup_of(const std::string& html) {
    std::string marks;
    for (std::size_t at = 0; at < html.size(); ++at) {
        const char c = html[at];
        const bool escape = c == '&' && (html.compare(at, 5, "&amp;") == 0 || html.compare(at, 4, "&lt;") == 0 ||
                                         html.compare(at, 4, "&gt;") == 0 || html.compare(at, 6, "&quot;") == 0);
        if ((c == '<' || c == '>' || c == '"' || c == '&') && !escape) marks += c;
    }
    return marks;
}

[[maybe_unused]] int fuzz_render(const std::uint8_t* data, std::size_t size) {
    static const std::string page_markup = markup_of(render_html_report(ProcessorRecord{}, ReportContext{}));
    FuzzedDataProvider input(data, size);
    ProcessorRecord record{};
    const std::vector<std::uint8_t> raw = input.ConsumeBytes<std::uint8_t>(sizeof record);
    if (!raw.empty()) std::memcpy(&record, raw.data(), raw.size());
    ReportContext context;
    for (unsigned* field : {&context.day, &context.month, &context.year, &context.hour, &context.minute,
                            &context.second}) {
        *field = input.ConsumeIntegral<unsigned>();
    }
    context.user_name = input.ConsumeRandomLengthString(600);
    context.computer_name = input.ConsumeRemainingBytesAsString();

    const std::string text = render_text_report(record, context);
    check(starts_with(text, "Corelens results:\r\n**************\r\n\r\n") &&
              ends_with(text, std::string("[Result file generated by Corelens, version ") + k_version_text + "]"),
          "text report frame");
    const std::string html = render_html_report(record, context);
    check(starts_with(html, "<HTML>\r\n") && ends_with(html, "</font>\r\n</BODY>\r\n"), "html report frame");
    check(markup_of(html) == page_markup, "a value added markup to the page");
    // Values whole, never cut, never read past their field.
    const std::pair<std::string, std::string> rows[] = {
        {"User:                     ", context.user_name},
        {"Computer:                 ", context.computer_name},
        {"Processor name:           ", record_text(record.name)},
        {"Internal vendor string:   ", record_text(record.vendor_id)},
    };
    for (const auto& [label, value] : rows) {
        check(text.find(label + value + "\r\n") != std::string::npos, "text report lost a value", value);
        check(html.find(">" + escaped(value) + "</TD>") != std::string::npos, "html report lost a value", value);
    }
    return 0;
}

// Options line (first byte odd: POSIX arguments, else a Windows command line; bytes 1-4:
// which name lookups find a file taken; 5-8: which writes fail), program directory,
// computer name, then the command line (the rest) or one POSIX argument per line.
std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (const char c : text) {
        if (c == '\n') {
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

std::uint32_t word_at(const std::string& text, std::size_t at) {
    std::uint32_t word = 0;
    for (std::size_t i = at; i < at + 4 && i < text.size(); ++i) word = word << 8 | static_cast<unsigned char>(text[i]);
    return word;
}

// True when leaf is name, or name with a counter from 1 before its extension.
bool is_numbering_of(const std::string& leaf, const std::string& name) {
    if (leaf == name) return true;
    const std::size_t dot = name.rfind('.');
    const std::string base = name.substr(0, dot), extension = name.substr(base.size());
    if (leaf.size() <= name.size() || !starts_with(leaf, base) || !ends_with(leaf, extension)) return false;
    const std::string counter = leaf.substr(base.size(), leaf.size() - name.size());
    return counter[0] != '0' && counter.find_first_not_of("0123456789") == std::string::npos;
}

// Numbers names against taken ones as the program's writer does, and fails chosen writes.
class StagedFiles final : public ResultFiles {
public:
    StagedFiles(std::uint32_t taken, std::uint32_t failing) : taken_(taken), failing_(failing) {}
    bool write(const std::string& directory, const std::string& name, int mode, std::string& path,
               std::string& reason) override {
        calls.push_back(name + '\n' + directory + '\n' + std::to_string(mode));
        OutputFileSystem file_system;
        int lookups = 0;
        file_system.name_exists = [&](const std::string&, const std::string&) {
            return lookups < 32 && ((taken_ >> lookups++) & 1u) != 0;
        };
        std::string numbered = name;
        const bool fits = make_unique_file_name(directory, numbered, file_system) == 1;
        const std::string prefix = directory + platform::k_path_separator;
        check(!fits || (numbered.size() < k_path_capacity && starts_with(numbered, prefix) &&
                        is_numbering_of(numbered.substr(prefix.size()), name)),
              "numbered path not a numbering of the name", numbered + " from " + name);
        const bool fails = !fits || ((failing_ >> (calls.size() - 1) % 32) & 1u) != 0;
        if (fits) path = numbered;
        if (fails) reason = fits ? "staged failure" : "too long once numbered";
        failed.push_back(fails);
        return !fails;
    }
    std::vector<std::string> calls;
    std::vector<bool> failed;

private:
    std::uint32_t taken_, failing_;
};

[[maybe_unused]] int fuzz_switches(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> lines = split_lines(std::string(reinterpret_cast<const char*>(data), size));
    if (lines.size() < 4) return 0;
    const bool posix = !lines[0].empty() && (static_cast<unsigned char>(lines[0][0]) & 1u) != 0;
    std::string command_line = lines[3];
    for (std::size_t i = 4; i < lines.size(); ++i) command_line += '\n' + lines[i];
    const std::string tail = posix ? posix_command_tail({lines.begin() + 3, lines.end()})
                                   : windows_command_tail(command_line.c_str());
    for (const SwitchSearch search : {SwitchSearch::substring, SwitchSearch::argument_start}) {
        SwitchInputs inputs;
        inputs.tail = tail;
        inputs.program_directory = lines[1];
        int computer_reads = 0;
        inputs.computer_name = [&] {
            ++computer_reads;
            return lines[2];
        };
        inputs.search = search;
        const BatchPlan plan = plan_batch(inputs);
        const std::string extension = "." + plan.output_extension;

        std::string switches;
        for (const PlannedFile& file : plan.files) {
            const std::string path = planned_path(file, platform::k_path_separator);
            switches += file.switch_name + ' ';
            check(file.directory == plan.output_directory && ends_with(file.name, extension), "file misplaced", path);
            // Refused exactly when the unnumbered path cannot fit: never cut to fit.
            check(file.refusal.empty() == (path.size() < k_path_capacity), "refusal does not follow the length", path);
            if (file.switch_name == "/f:") {
                const std::size_t at = find_switch(tail, "/f:", search) + 3;
                const std::size_t end = at + file.name.size() - extension.size();
                if (search == SwitchSearch::substring) {
                    check(file.mode == k_create_new && tail.compare(at, end - at, file.name, 0, end - at) == 0 &&
                              (end == tail.size() || tail[end] == ' ' || tail[end] == '\0'), "/f: name is not the whole argument", file.name);
                } else {
                    // POSIX drops the quotes the tail formation added; what is left stands in
                    // the tail in order.
                    const std::string base = file.name.substr(0, file.name.size() - extension.size());
                    std::size_t next = at;
                    for (const char c : base) {
                        next = next == std::string::npos ? next : tail.find(c, next);
                        if (next != std::string::npos) ++next;
                    }
                    check(file.mode == k_create_new && next != std::string::npos, "/f: name is not from the argument",
                          file.name);
                }
            }
            if (file.switch_name != "/f:") {
                check(file.mode == k_create_always &&
                          file.name == (file.switch_name == "/c" ? lines[2] : "corelens_results") + extension,
                      "/f or /c planned wrongly", file.name);
            }
        }
        check(switches == "" || switches == "/f: " || switches == "/f " || switches == "/c " ||
                  switches == "/f: /c " || switches == "/f /c ", "files planned out of order", switches);
        check(computer_reads == (switches.find("/c") != std::string::npos ? 1 : 0), "computer name read wrongly");

        StagedFiles files(word_at(lines[0], 1), word_at(lines[0], 5));
        const std::vector<BatchFailure> failures = run_batch_plan(plan, files, platform::k_path_separator);
        std::size_t call = 0, failure = 0;
        for (const PlannedFile& file : plan.files) {
            const bool refused = !file.refusal.empty();
            check(refused || (call < files.calls.size() &&
                              files.calls[call] == file.name + '\n' + file.directory + '\n' + std::to_string(file.mode)),
                  "planned file not handed to the writer", file.name);
            if (refused || files.failed[call]) {
                check(failure < failures.size() && !failures[failure].path.empty() && !failures[failure].reason.empty(),
                      "failure not reported with path and reason", file.name);
                ++failure;
            }
            call += refused ? 0 : 1;
        }
        check(call == files.calls.size() && failure == failures.size(), "writer or failures do not match the plan");
        check(batch_exit_status(failures) == (failures.empty() ? 0 : 1), "exit status");
    }
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
