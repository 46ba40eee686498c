// Dump text of any bytes through the parser, then, as corelens-cpuid report does, through
// the probe and both renderers.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/cpuid_source.h"
#include "core/probe.h"
#include "fuzz/fuzz_check.h"
#include "report/renderers.h"
#include "tables/reference_tables.h"

namespace corelens::fuzz {
namespace {

// Line number (from 1) of each line as the parser counts them: a final line feed ends the
// last line and starts none.
std::string line_at(const std::string& text, int number, bool& exists) {
    std::size_t start = 0;
    for (int line = 1; start < text.size(); ++line) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (line == number) {
            exists = true;
            return text.substr(start, end - start);
        }
        start = end + 1;
    }
    exists = false;
    return {};
}

void check_error(const std::string& text, const RecordedCpuid::ParseError& error) {
    check(error.file == "fuzz.txt", "error names another file", error.file);
    bool exists = false;
    const std::string line = line_at(text, error.line, exists);
    check(exists, "error names a line that is not there", std::to_string(error.line));
    check(starts_with(line, "CPUID"), "error on a line that is not a CPUID line", line);
    check(error.what() == "fuzz.txt:" + std::to_string(error.line) + ": " + error.message, "error text",
          error.what());
    // The message quotes an excerpt, never the whole of a long line.
    check(error.message.size() < 200, "error message grows with the line", std::to_string(error.message.size()));
}

}  // namespace
}  // namespace corelens::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corelens;
    const std::string text(reinterpret_cast<const char*>(data), size);
    RecordedCpuid source;
    RecordedCpuid::ParseError error;
    if (!source.parse(text, "fuzz.txt", error)) {
        fuzz::check_error(text, error);
        // A failed parse keeps nothing: the source still answers all zero.
        const CpuidRegisters zero = source.query(0);
        fuzz::check(zero.eax == 0 && zero.ebx == 0 && zero.ecx == 0 && zero.edx == 0, "failed parse kept answers");
        return 0;
    }

    // What the dump tool prints for a replayed dump reads back to the same dump.
    const std::string dump = format_dump(source);
    RecordedCpuid replayed;
    fuzz::check(replayed.parse(dump, "replay", error), "formatted dump does not parse", error.what());
    fuzz::check(format_dump(replayed) == dump, "dump changes when replayed", dump);
    source.rewind();
    fuzz::check(format_dump(source) == dump, "rewind does not restart the answers", dump);

    source.rewind();
    ProcessorRecord record{};
    std::int32_t non_intel_flag = 0;
    fuzz::check(probe_processor(record, non_intel_flag, source, [] { return 0.0; }) == 1, "recorded probe failed");
    fuzz::check(fuzz::is_terminated(record.name) && fuzz::is_terminated(record.vendor_id) &&
                    fuzz::is_terminated(record.brand_string) && fuzz::is_terminated(record.type_name),
                "record text without its NUL");
    const ReportContext context;
    fuzz::check(fuzz::ends_with(render_text_report(record, context), "]"), "text report incomplete");
    fuzz::check(fuzz::ends_with(render_html_report(record, context), "</BODY>\r\n"), "html report incomplete");
    return 0;
}
